// Window layer internals: the X11 side that freeglut does not cover.
#pragma once

// Hooks freeglut's display connection, once its window exists: the close request
// goes to disp_window_event and never reaches freeglut (which would destroy the
// window), and an exposed window is drawn again.
void disp_window_hook_x11();
