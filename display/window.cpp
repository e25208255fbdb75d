// The window layer: the freeglut window, its callbacks and the 8 ms redisplay timer.
#include "display/display.h"

#include <GL/freeglut.h>

static void on_display() {
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glutSwapBuffers();
}

static void on_timer(int) {
  glutPostRedisplay();
  glutTimerFunc(8, on_timer, 0);
}

void disp_window_run(int argc, char **argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(1024, 552);
  glutCreateWindow("Untitled");
  glutDisplayFunc(on_display);
  glutTimerFunc(8, on_timer, 0);
  glutMainLoop();
  for (;;) {  // the loop never returns; the housekeeping thread ends the process
  }
}
