// Threads: detached workers with the default stack.
#pragma once

// Starts fn on a new detached thread. False when the thread could not be made.
bool plat_thread_start(void (*fn)());
