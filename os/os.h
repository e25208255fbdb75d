// Operating-system services: command line, environment, SHELL, RUN, CHAIN, clipboard.
#pragma once

#include <atomic>
#include <cstdint>

// Set while a SHELL waits for its child process.
extern std::atomic<int32_t> shell_running;
