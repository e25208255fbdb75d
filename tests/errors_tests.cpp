// Error raising, the error table and the error dialog answered by a hook instead of a
// window, and the statement epilogue: pause, errors at statement boundaries, ON ERROR.
#include "fixture.h"
#include "core/core.h"
#include "errors/errors.h"
#include "platform/msgbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <string>
#include <thread>

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

struct SeenBox {
  std::string text, caption;
  unsigned flags = 0;
  int count = 0;
};
SeenBox seen;
int box_answer = PLAT_IDYES;

int remember_box(const char *text, const char *caption, unsigned flags) {
  seen.text = text;
  seen.caption = caption;
  seen.flags = flags;
  seen.count++;
  return box_answer;
}

// Death tests see only the child's standard error.
int report_box(const char *text, const char *caption, unsigned flags) {
  fprintf(stderr, "[%s|%s|%#x]", caption, text, flags);
  return box_answer;
}

void start(int answer, PlatMessageBoxHook hook = remember_box) {
  rt_test_init();
  rt_key_traps_reset();
  pending_error.store(0);
  event_pending.store(0);
  retry_statement.store(0);
  program_paused.store(0);
  handler_active = in_handler = handler_jump = retry_request = 0;
  err_main_routine = nullptr;
  seen = SeenBox{};
  box_answer = answer;
  plat_message_box_set_hook(hook);
}

// The report_box output as a regular expression that matches it exactly.
std::string box_pattern(const std::string &caption, const std::string &text, const char *flags) {
  std::string out = "^\\[";
  for (char c : caption + "|" + text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) out += '\\';
    out += c;
  }
  return out + "\\|" + flags + "\\]$";
}

// ---- Raising --------------------------------------------------------------------------

TEST(ErrRaise, CodesBelowOneBecomeIllegalFunctionCall) {
  for (int code : {0, -4, INT_MIN}) {
    start(PLAT_IDYES);
    EXPECT_EQ(err_raise(code), 5) << code;
    EXPECT_EQ(pending_error.load(), 5u);
    EXPECT_EQ(event_pending.load(), 1) << "the next epilogue must run";
  }
}

TEST(ErrRaise, TheFirstErrorOfAStatementWinsAndTheStatementCompletes) {
  start(PLAT_IDYES);
  int runs = 0, second = 0;
  RT_STMT(51, err_raise(9); second = err_raise(13); runs++);
  EXPECT_EQ(second, 9);
  EXPECT_EQ(runs, 1) << "Yes counts the failing statement as done";
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.caption, "Unhandled Error #9");
}

// ---- The dialog -------------------------------------------------------------------------

TEST(ErrDialog, ReportsLineAndMessageAndAsksToContinue) {
  start(PLAT_IDYES);
  bool next_ran = false;
  RT_STMT(50, (void)0);
  RT_STMT(51, err_raise(9));
  RT_STMT(52, next_ran = true);
  EXPECT_EQ(seen.text, "Line:51\nSubscript out of range\nContinue?");
  EXPECT_EQ(seen.caption, "Unhandled Error #9");
  EXPECT_EQ(seen.flags, PLAT_MB_SYSTEMMODAL | PLAT_MB_YESNO);
  EXPECT_EQ(pending_error.load(), 0u);
  EXPECT_EQ(err_error_line(), 51);
  EXPECT_TRUE(next_ran);
}

TEST(ErrDialog, CodesWithoutAMessageAreUnprintable) {
  for (int code : {15, 21, 28, 77, 999}) {
    start(PLAT_IDYES);
    RT_STMT(7, err_raise(code));
    EXPECT_EQ(seen.text, "Line:7\nUnprintable error\nContinue?") << code;
    EXPECT_EQ(seen.caption, "Unhandled Error #" + std::to_string(code));
  }
}

// Yes, and results that are neither No nor OK (0 when no box could be shown), continue.
TEST(ErrDialog, AnythingButNoOrOkContinues) {
  for (int answer : {PLAT_IDYES, 0, 2}) {
    start(answer);
    bool next_ran = false;
    RT_STMT(53, err_raise(53));
    RT_STMT(54, next_ran = true);
    EXPECT_TRUE(next_ran) << answer;
    EXPECT_EQ(end_requested.load(), 0);
  }
}

// No and OK end the program: the program thread parks for good, so it runs on a thread
// of its own that the test leaves behind.
TEST(ErrDialog, NoOrOkEndsTheProgram) {
  for (int answer : {PLAT_IDNO, PLAT_IDOK}) {
    start(answer);
    end_requested.store(0);
    parked_threads.store(0);
    static std::atomic<bool> next_ran;
    next_ran = false;
    std::thread([] {
      RT_STMT(60, err_raise(62));
      RT_STMT(61, next_ran = true);
    }).detach();
    ASSERT_TRUE([] {
      for (int i = 0; i < 1000; i++, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (parked_threads.load() & 1) return true;
      return false;
    }()) << "the program thread did not park after answer " << answer;
    EXPECT_EQ(end_requested.load(), 1);
    EXPECT_FALSE(next_ran);
  }
}

TEST(ErrDialog, CriticalErrorShowsOkAndExitsEvenWithAHandler) {
  start(PLAT_IDOK, report_box);
  handler_active = 1;
  err_main_routine = [] { fprintf(stderr, "handler entered"); };
  EXPECT_EXIT(RT_STMT(51, err_raise(301)), testing::ExitedWithCode(0),
              box_pattern("Critical Error #301", "Line:51\nInvalid size", "0"));
}

// ---- Fatal codes ------------------------------------------------------------------------

struct FatalCase {
  int code;
  const char *caption, *text;
};

TEST(ErrFatal, BoxThenExitCodeZeroEvenWithAnErrorPending) {
  const FatalCase cases[] = {
      {11, "Critical Error", "Division by zero"},
      {256, "Critical Error", "Out of stack space"},
      {257, "Critical Error #1", "Out of memory"},
      {259, "Critical Error", "Cannot find dynamic library file"},
      {260, "Critical Error", "Sub/Function does not exist in dynamic library"},
      {261, "Critical Error", "Sub/Function does not exist in dynamic library"},
      {263, "Critical Error", "Paths/Filename illegal in TALVO"},
      {270, "Critical Error", "_GL command called outside of SUB _GL's scope"},
      {271, "Critical Error", "END/SYSTEM called within SUB _GL's scope"},
      {502, "Critical Error #2", "Out of memory"},
      {505, "Critical Error #5", "Out of memory"},
      {518, "Critical Error #18", "Out of memory"},
  };
  for (const FatalCase &c : cases) {
    start(PLAT_IDOK, report_box);
    err_raise(9);  // a fatal code does not wait for the pending error's dialog
    EXPECT_EXIT(err_raise(c.code), testing::ExitedWithCode(0), box_pattern(c.caption, c.text, "0x1000"))
        << c.code;
  }
}

TEST(ErrFatal, NeighboursOfTheFatalRangeAreOrdinary) {
  for (int code : {501, 519, 258, 262}) {
    start(PLAT_IDYES);
    EXPECT_EQ(err_raise(code), code);
    EXPECT_EQ(seen.count, 0) << code;
  }
}

// ---- The table ----------------------------------------------------------------------------

struct TableEntry {
  int code;
  const char *text;
};
const TableEntry expected_table[] = {
    {1, "NEXT without FOR"}, {2, "Syntax error"}, {3, "RETURN without GOSUB"}, {4, "Out of DATA"},
    {5, "Illegal function call"}, {6, "Overflow"}, {7, "Out of memory"}, {8, "Label not defined"},
    {9, "Subscript out of range"}, {10, "Duplicate definition"}, {12, "Illegal in direct mode"},
    {13, "Type mismatch"}, {14, "Out of string space"}, {16, "String formula too complex"},
    {17, "Cannot continue"}, {18, "Function not defined"}, {19, "No RESUME"}, {20, "RESUME without error"},
    {24, "Device timeout"}, {25, "Device fault"}, {26, "FOR without NEXT"}, {27, "Out of paper"},
    {29, "WHILE without WEND"}, {30, "WEND without WHILE"}, {33, "Duplicate label"},
    {35, "Subprogram not defined"}, {37, "Argument-count mismatch"}, {38, "Array not defined"},
    {40, "Variable required"}, {50, "FIELD overflow"}, {51, "Internal error"},
    {52, "Bad file name or number"}, {53, "File not found"}, {54, "Bad file mode"},
    {55, "File already open"}, {56, "FIELD statement active"}, {57, "Device I/O error"},
    {58, "File already exists"}, {59, "Bad record length"}, {61, "Disk full"},
    {62, "Input past end of file"}, {63, "Bad record number"}, {64, "Bad file name"}, {67, "Too many files"},
    {68, "Device unavailable"}, {69, "Communication-buffer overflow"}, {70, "Permission denied"},
    {71, "Disk not ready"}, {72, "Disk-media error"}, {73, "Feature unavailable"},
    {74, "Rename across disks"}, {75, "Path/File access error"}, {76, "Path not found"},
    {258, "Invalid handle"}, {262, "Function unavailable in TALVO"}, {300, "Memory region out of range"},
    {301, "Invalid size"}, {302, "Source memory region out of range"},
    {303, "Destination memory region out of range"},
    {304, "Source and destination memory regions out of range"}, {305, "Source memory has been freed"},
    {306, "Destination memory has been freed"}, {307, "Memory already freed"},
    {308, "Memory has been freed"}, {309, "Memory not initialized"}, {310, "Source memory not initialized"},
    {311, "Destination memory not initialized"}, {312, "Source and destination memory not initialized"},
    {313, "Source and destination memory have been freed"},
};

TEST(ErrTable, HoldsExactlyTheSixtyNineMessages) {
  static_assert(sizeof expected_table / sizeof expected_table[0] == 69);
  for (const TableEntry &e : expected_table) EXPECT_STREQ(err_message(e.code), e.text) << e.code;
  int with_message = 0;
  for (int code = -10; code < 1000; code++) with_message += std::string(err_message(code)) != "Unprintable error";
  EXPECT_EQ(with_message, 69);
}

// ---- ON ERROR handlers ----------------------------------------------------------------------

struct HandlerLog {
  int entries = 0, err = 0, error_line = 0;
  double erl = 0;
  bool resume = false;       // RESUME: run the failing statement again
  int raise_inside = 0;      // an error the handler itself raises
};
HandlerLog handler_log;

// A translated main routine with a handler, as the dialog re-enters it.
void main_with_handler() {
  if (!err_take_handler_jump()) return;  // the test body plays the routine's own statements
  in_handler = 1;
  handler_log.entries++;
  handler_log.err = err_err();
  handler_log.erl = err_erl();
  handler_log.error_line = err_error_line();
  if (handler_log.raise_inside && handler_log.entries == 1) err_raise(handler_log.raise_inside);
  in_handler = 0;
  if (handler_log.resume) retry_request = 1;
}

void start_with_handler(bool resume, int raise_inside = 0) {
  start(PLAT_IDYES);
  handler_log = HandlerLog{};
  handler_log.resume = resume;
  handler_log.raise_inside = raise_inside;
  err_main_routine = main_with_handler;
  handler_active = 1;
}

TEST(ErrHandler, ResumeRunsTheFailingStatementAgain) {
  start_with_handler(true);
  last_line_label = 70;
  int attempts = 0;
  RT_STMT(71, if (++attempts == 1) err_raise(62));
  EXPECT_EQ(attempts, 2);
  EXPECT_EQ(handler_log.entries, 1);
  EXPECT_EQ(handler_log.err, 62);
  EXPECT_EQ(handler_log.erl, 70.0) << "ERL is the last BASIC line label";
  EXPECT_EQ(handler_log.error_line, 71);
  EXPECT_EQ(seen.count, 0) << "a handled error shows no box";
  EXPECT_EQ(pending_error.load(), 0u);
  EXPECT_EQ(retry_request, 0);
  EXPECT_EQ(handler_jump, 0) << "the re-entered routine took the jump";
}

TEST(ErrHandler, WithoutResumeTheProgramGoesOnWithTheNextStatement) {
  start_with_handler(false);
  int attempts = 0;
  bool next_ran = false;
  RT_STMT(71, ++attempts; err_raise(53));
  RT_STMT(72, next_ran = true);
  EXPECT_EQ(attempts, 1);
  EXPECT_TRUE(next_ran);
  EXPECT_EQ(handler_log.entries, 1);
}

TEST(ErrHandler, AnErrorInsideTheHandlerShowsTheBox) {
  start_with_handler(false);
  in_handler = 1;
  RT_STMT(80, err_raise(9));
  EXPECT_EQ(handler_log.entries, 0);
  EXPECT_EQ(seen.caption, "Unhandled Error #9");
}

TEST(ErrHandler, AnErrorRaisedByTheHandlerIsReportedAtTheNextStatement) {
  start_with_handler(false, 13);
  bool next_ran = false;
  RT_STMT(51, err_raise(9));
  EXPECT_EQ(handler_log.entries, 1);
  EXPECT_EQ(pending_error.load(), 13u) << "kept for the next statement's epilogue";
  RT_STMT(52, next_ran = true);
  EXPECT_TRUE(next_ran);
  EXPECT_EQ(handler_log.entries, 2);
  EXPECT_EQ(handler_log.err, 13);
  EXPECT_EQ(handler_log.error_line, 52);
  EXPECT_EQ(seen.count, 0);
}

TEST(ErrHandler, AProgramWithoutTheHandlerItClaimsEndsWithExitCode99) {
  start(PLAT_IDYES, report_box);
  handler_active = 1;
  err_main_routine = [] {
    if (err_take_handler_jump()) err_exit_without_handler();
  };
  EXPECT_EXIT(RT_STMT(51, err_raise(9)), testing::ExitedWithCode(99), "^$") << "no box either";
}

// A label-only line has nothing to run again, even when the handler asks for RESUME.
TEST(ErrHandler, ALabelLineIsNeverRunTwice) {
  start_with_handler(true);
  err_raise(9);
  RT_LABEL(90);
  EXPECT_EQ(handler_log.entries, 1);
  EXPECT_EQ(retry_statement.load(), 0);
}

// ---- The epilogue: pause and trap dispatch ----------------------------------------------------

TEST(Epilogue, PauseHoldsTheProgramAtTheNextStatementBoundary) {
  start(PLAT_IDYES);
  std::atomic<bool> released{false};
  int runs = 0;
  program_paused.store(1);  // as the Pause key does
  event_pending.store(1);
  std::thread key([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    released.store(true);
    program_paused.store(0);  // the next key press
  });
  RT_STMT(10, runs++);
  EXPECT_TRUE(released.load()) << "the epilogue returned while paused";
  EXPECT_EQ(runs, 1) << "the statement in progress completes, once";
  key.join();
  RT_STMT(11, runs++);
  EXPECT_EQ(runs, 2);
}

TEST(Epilogue, AnErrorRaisedByATrapHandlerIsReportedAtTheNextStatement) {
  start(PLAT_IDYES);
  static int64_t handled_id;
  handled_id = 0;
  trap_handler = [](int64_t id) {
    handled_id = id;
    err_raise(5);
  };
  KeyTrapSlot &slot = key_trap_slots[1];
  slot.trap_defined = 1;
  slot.state = 1;
  slot.pending = 1;
  slot.handler_id = 7;
  event_pending.store(1);
  RT_STMT(20, (void)0);
  EXPECT_EQ(handled_id, 7);
  EXPECT_EQ(slot.pending, 0);
  EXPECT_EQ(seen.count, 0);
  RT_STMT(21, (void)0);
  EXPECT_EQ(seen.text, "Line:21\nIllegal function call\nContinue?");
  trap_handler = nullptr;
}

TEST(Epilogue, NoTrapRunsWhileTheErrorHandlerRuns) {
  start(PLAT_IDYES);
  static int dispatched;
  dispatched = 0;
  trap_handler = [](int64_t) { dispatched++; };
  KeyTrapSlot &slot = key_trap_slots[2];
  slot.trap_defined = 1;
  slot.state = 1;
  slot.pending = 1;
  in_handler = 1;
  event_pending.store(1);
  RT_STMT(30, (void)0);
  EXPECT_EQ(dispatched, 0);
  in_handler = 0;
  event_pending.store(1);
  RT_STMT(31, (void)0);
  EXPECT_EQ(dispatched, 1);
  trap_handler = nullptr;
}

}  // namespace
