// Error raising, the error table and the error dialog.
#include "errors/errors.h"
#include "core/core.h"
#include "platform/msgbox.h"
#include "platform/process.h"

#include <cstdio>

constexpr auto relaxed = std::memory_order_relaxed;

std::atomic<uint32_t> pending_error{0};
int32_t error_line = 0;
int32_t err_number = 0;
double err_line = 0;
double last_line_label = 0;
int32_t handler_active = 0;
int32_t in_handler = 0;
int32_t handler_jump = 0;
int32_t retry_request = 0;
ErrMainRoutine err_main_routine = nullptr;

struct ErrorMessage {
  int32_t code;
  const char *text;
};

static const ErrorMessage error_table[] = {
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
    {62, "Input past end of file"}, {63, "Bad record number"}, {64, "Bad file name"},
    {67, "Too many files"}, {68, "Device unavailable"}, {69, "Communication-buffer overflow"},
    {70, "Permission denied"}, {71, "Disk not ready"}, {72, "Disk-media error"},
    {73, "Feature unavailable"}, {74, "Rename across disks"}, {75, "Path/File access error"},
    {76, "Path not found"}, {258, "Invalid handle"}, {262, "Function unavailable in TALVO"},
    {300, "Memory region out of range"}, {301, "Invalid size"}, {302, "Source memory region out of range"},
    {303, "Destination memory region out of range"},
    {304, "Source and destination memory regions out of range"}, {305, "Source memory has been freed"},
    {306, "Destination memory has been freed"}, {307, "Memory already freed"},
    {308, "Memory has been freed"}, {309, "Memory not initialized"}, {310, "Source memory not initialized"},
    {311, "Destination memory not initialized"}, {312, "Source and destination memory not initialized"},
    {313, "Source and destination memory have been freed"},
};
static_assert(sizeof error_table / sizeof error_table[0] == 69);

const char *err_message(int32_t code) {
  for (const ErrorMessage &e : error_table)
    if (e.code == code) return e.text;
  return "Unprintable error";
}

// Fatal codes: their box text and caption, or false for an ordinary code.
static bool fatal_box(int32_t code, const char **text, char *caption, size_t caption_size) {
  *text = nullptr;
  switch (code) {
    case 11: *text = "Division by zero"; break;
    case 256: *text = "Out of stack space"; break;
    case 257: snprintf(caption, caption_size, "Critical Error #1"); *text = "Out of memory"; return true;
    case 259: *text = "Cannot find dynamic library file"; break;
    case 260:
    case 261: *text = "Sub/Function does not exist in dynamic library"; break;
    case 263: *text = "Paths/Filename illegal in TALVO"; break;
    case 270: *text = "_GL command called outside of SUB _GL's scope"; break;
    case 271: *text = "END/SYSTEM called within SUB _GL's scope"; break;
    default:
      if (code >= 502 && code <= 518) {
        snprintf(caption, caption_size, "Critical Error #%d", code - 500);
        *text = "Out of memory";
        return true;
      }
      return false;
  }
  snprintf(caption, caption_size, "Critical Error");
  return true;
}

int32_t err_raise(int32_t code) {
  const char *text;
  char caption[32];
  if (fatal_box(code, &text, caption, sizeof caption)) {
    plat_message_box(text, caption, PLAT_MB_SYSTEMMODAL);
    plat_exit(0);
  }
  if (uint32_t pending = pending_error.load(relaxed)) return int32_t(pending);  // the first error wins
  if (code < 1) code = 5;
  pending_error.store(uint32_t(code), relaxed);
  event_pending.store(1, relaxed);
  return code;
}

void err_dialog() {
  int32_t code = int32_t(pending_error.load(relaxed));
  bool critical = code >= 300 && code <= 313;
  // Without a main routine to re-enter (a program not started by rt_entry) the
  // handler cannot run: the box below reports the error instead of a crash.
  if (handler_active && !in_handler && !critical && err_main_routine) {
    err_number = code;
    pending_error.store(0, relaxed);
    err_line = last_line_label;
    handler_jump = 1;
    err_main_routine();  // the program jumps to its handler, or exits with 99 without one
    return;
  }
  char text[160], caption[48];
  snprintf(text, sizeof text, "Line:%d\n%s%s", error_line, err_message(code), critical ? "" : "\nContinue?");
  snprintf(caption, sizeof caption, critical ? "Critical Error #%d" : "Unhandled Error #%d", code);
  if (critical) {
    plat_message_box(text, caption, PLAT_MB_OK);
    plat_exit(0);
  }
  int answer = plat_message_box(text, caption, PLAT_MB_SYSTEMMODAL | PLAT_MB_YESNO);
  if (answer == PLAT_IDNO || answer == PLAT_IDOK) {
    end_requested.store(1, relaxed);
    rt_halt_program_thread();
  }
  pending_error.store(0, relaxed);
}

int32_t err_err() { return err_number; }
double err_erl() { return err_line; }
int32_t err_error_line() { return error_line; }

void err_exit_without_handler() { plat_exit(99); }
