// Errors: run-time error codes and messages, raising, fatal and critical errors,
// and the error dialog with its hand-over to a program's ON ERROR handler.
#pragma once

#include <atomic>
#include <cstdint>

extern std::atomic<uint32_t> pending_error;  // the error waiting for the epilogue; 0 none
extern int32_t error_line;        // line the epilogue passed with the last pending error
extern int32_t err_number;        // ERR
extern double err_line;           // ERL
extern double last_line_label;    // most recent BASIC line number, kept by the program
extern int32_t handler_active;    // an ON ERROR handler is in force
extern int32_t in_handler;        // the handler runs
extern int32_t handler_jump;      // the re-entered main routine must jump to its handler
extern int32_t retry_request;     // RESUME: run the failing statement again

// The one idiom of every runtime operation: `if (err_pending()) return fallback;`
// so the rest of a failing statement runs without effect.
inline bool err_pending() { return pending_error.load(std::memory_order_relaxed) != 0; }

// Records the first error of a statement (fatal codes end the process at once).
// Returns the code now pending.
int32_t err_raise(int32_t code);

// Called by the epilogue when an error is pending.
void err_dialog();

int32_t err_err();         // ERR
double err_erl();          // ERL
int32_t err_error_line();  // line of the statement that raised the pending error

// The message of a code, "Unprintable error" for codes without one.
const char *err_message(int32_t code);

// The translated main routine, re-entered by the dialog to run the program's handler.
// Set by rt_entry; a program without a handler ends with exit code 99 when re-entered.
using ErrMainRoutine = void (*)();
extern ErrMainRoutine err_main_routine;

// ---- For translated main routines: the re-entry test --------------------------------
// A translated main routine begins with
//   if (err_take_handler_jump()) { <jump to the handler>, or err_exit_without_handler(); }
// True once per re-entry by the dialog; the flag is cleared on the way.
inline bool err_take_handler_jump() {
  if (!handler_jump) return false;
  handler_jump = 0;
  return true;
}
// A program re-entered for a handler it does not have ends with exit code 99.
[[noreturn]] void err_exit_without_handler();
