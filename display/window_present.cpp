// The presenter: the toolkit's display callback, drawing the newest frame 1:1 with
// its first row at the top and keeping the window the size of the frame.
#include "core/core.h"
#include "display/display.h"
#include "mouse/mouse.h"

#include <GL/freeglut.h>

static void publish_mouse_mapping(const Frame &f) {
  mouse_offset_x.store(0, std::memory_order_relaxed);
  mouse_offset_y.store(0, std::memory_order_relaxed);
  mouse_scale_x.store(1.0f, std::memory_order_relaxed);
  mouse_scale_y.store(1.0f, std::memory_order_relaxed);
  mouse_clip_x.store(f.frame_width - 1, std::memory_order_relaxed);
  mouse_clip_y.store(f.frame_height - 1, std::memory_order_relaxed);
}

static void draw_frame(const Frame &f, bool blended) {
  glClear(GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glViewport(0, 0, window_width, window_height);
  glOrtho(0, window_width, window_height, 0, -1, 1);
  // Raster position at the top-left corner, rows going down: frames are top-first.
  glRasterPos2f(0, 0);
  glPixelZoom(1, -1);
  publish_mouse_mapping(f);
  if (blended) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  glDrawPixels(f.frame_width, f.frame_height, GL_BGRA, GL_UNSIGNED_BYTE, f.frame_pixels);
}

static void drawing_passes(const Frame &f) {
  int frame_pass = layer_order == 2 ? 1 : layer_order == 1 ? 3 : 0;
  for (int pass = 1; pass <= 4; pass++) {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    if (pass == 1) glClear(GL_COLOR_BUFFER_BIT);
    if (pass == frame_pass) draw_frame(f, pass == 3);
  }
}

void disp_present() {
  PresentStep step = disp_present_begin();
  if (step.action == PresentAction::nothing) return;
  const Frame &f = frame_ring[step.frame];
  if (step.action == PresentAction::resize) {
    // The reshape report that follows forces the frame onto the screen.
    glutReshapeWindow(f.frame_width, f.frame_height);
    glutPostRedisplay();
    return;
  }
  drawing_passes(f);
  disp_present_end();
  if (!(program_paused.load(std::memory_order_relaxed) & 1)) glutSwapBuffers();
}
