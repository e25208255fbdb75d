// The window layer: the freeglut window, its callbacks and the 8 ms redisplay timer.
#include "display/display.h"
#include "display/window_private.h"
#include "input/input.h"
#include "mouse/mouse.h"
#include "platform/clock.h"

#include <GL/freeglut.h>

void disp_redisplay_timer(int) {
  glutPostRedisplay();
  kbd_poll_extra_keys();
  glutTimerFunc(8, disp_redisplay_timer, 0);
}

// Reached only if a close request got past the X11 hook: freeglut has destroyed the
// window by then, but the request is still reported.
static void on_window_closed() { disp_window_event(1, 0, 0); }

static void register_callbacks() {
  glutDisplayFunc(disp_present);
  glutKeyboardFunc(kbd_glut_char_down);
  glutKeyboardUpFunc(kbd_glut_char_up);
  glutSpecialFunc(kbd_glut_special_down);
  glutSpecialUpFunc(kbd_glut_special_up);
  glutMouseFunc(mouse_button_event);
  glutMotionFunc(mouse_motion_event);
  glutPassiveMotionFunc(mouse_motion_event);
  glutMouseWheelFunc(mouse_wheel_event);
  glutReshapeFunc(disp_reshape);
  glutCloseFunc(on_window_closed);
}

void disp_window_run(int argc, char **argv) {
  glutInit(&argc, argv);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(1024, 552);
  glutCreateWindow("Untitled");
  disp_window_hook_x11();
  register_callbacks();
  glutTimerFunc(8, disp_redisplay_timer, 0);
  glutMainLoop();
  for (;;) plat_sleep_ms(1000);  // the housekeeping thread ends the process
}
