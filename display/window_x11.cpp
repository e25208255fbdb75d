// The window layer's X11 hooks on freeglut's own display connection: the close
// request and expose events, seen before freeglut reads them.
#include "display/display.h"
#include "display/window_private.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xlibint.h>

using WireToEvent = Bool (*)(Display *, XEvent *, xEvent *);

static WireToEvent previous_client_message = nullptr;
static WireToEvent previous_expose = nullptr;
static Atom wm_protocols = None;
static Atom wm_delete_window = None;

// Runs inside Xlib with the display locked: no Xlib calls here, only our flags.
// Returning False drops the event, so freeglut never sees the close request.
static Bool on_client_message(Display *display, XEvent *event, xEvent *wire) {
  Bool keep = previous_client_message(display, event, wire);
  if (!keep || event->type != ClientMessage) return keep;
  const XClientMessageEvent &message = event->xclient;
  if (message.message_type != wm_protocols || message.format != 32) return keep;
  if (Atom(message.data.l[0]) != wm_delete_window) return keep;
  return disp_window_event(1, 0, 0) ? False : True;
}

// Our presenter draws only new frames; an exposed window has lost its pixels and
// needs the newest one again.
static Bool on_expose(Display *display, XEvent *event, xEvent *wire) {
  Bool keep = previous_expose(display, event, wire);
  if (keep && event->type == Expose) forced_redraw = 1;
  return keep;
}

void disp_window_hook_x11() {
  Display *display = glXGetCurrentDisplay();
  if (!display) return;  // the fallback close callback still reports the request
  // Interned before the hooks exist: the hooks run with the display locked.
  wm_protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  wm_delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
  previous_client_message = XESetWireToEvent(display, ClientMessage, on_client_message);
  previous_expose = XESetWireToEvent(display, Expose, on_expose);
}
