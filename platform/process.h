// The running process: its executable, directory and environment.
#pragma once

#include <cstddef>

// Writes the running executable's full path; false when it cannot be found.
bool plat_module_path(char *buffer, size_t size);

// Changes the current directory; false on failure.
bool plat_chdir(const char *path);

// Number of entries in the process environment.
int plat_environment_size();

// Sets the floating-point unit to a 64-bit mantissa and routes arithmetic faults
// to handler.
void plat_fpu_extended_precision();
void plat_route_arith_fault(void (*handler)(int));

// Ends the process at once with the exit code.
[[noreturn]] void plat_exit(int code);
