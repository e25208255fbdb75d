// Display: the frame builder that turns the visible page into 32-bit frames, and the
// presenter with the window layer.
#pragma once

// Start-up: empty the frame ring.
void disp_clear_ring();
// Builds a frame of the display page when something changed (housekeeping thread or
// the program thread on request).
void disp_build_frame();
// Creates the window, registers the callbacks and runs the toolkit loop (display
// thread); never returns.
[[noreturn]] void disp_window_run(int argc, char **argv);
