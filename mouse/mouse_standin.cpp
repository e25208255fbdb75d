// Stand-ins for the mouse queue until it exists: events are dropped.
#include "mouse/mouse.h"

std::atomic<int32_t> mouse_offset_x{0}, mouse_offset_y{0};
std::atomic<float> mouse_scale_x{1.0f}, mouse_scale_y{1.0f};
std::atomic<int32_t> mouse_clip_x{0}, mouse_clip_y{0};

void mouse_button_event(int, int, int, int) {}
void mouse_wheel_event(int, int, int, int) {}
void mouse_motion_event(int, int) {}
void mouse_raw_motion(int, int) {}
