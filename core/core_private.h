// Runtime core internals shared between its files.
#pragma once

#include "core/core.h"

extern RtMainRoutine program_main_routine;

void rt_program_thread();
void rt_timer_thread();
void rt_housekeeping_thread();
