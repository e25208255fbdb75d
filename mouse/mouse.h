// Mouse input: the mouse event queue filled by the window's callbacks, and the
// mapping from window to screen coordinates that the presenter publishes.
#pragma once

#include <atomic>
#include <cstdint>

// Producers on the display thread (toolkit callbacks and the window layer).
void mouse_button_event(int button, int state, int x, int y);
void mouse_wheel_event(int wheel, int direction, int x, int y);
void mouse_motion_event(int x, int y);
void mouse_raw_motion(int dx, int dy);

// Published by the presenter (display thread) on every drawn frame, read by the
// program thread's mouse functions.
extern std::atomic<int32_t> mouse_offset_x, mouse_offset_y;
extern std::atomic<float> mouse_scale_x, mouse_scale_y;
extern std::atomic<int32_t> mouse_clip_x, mouse_clip_y;
