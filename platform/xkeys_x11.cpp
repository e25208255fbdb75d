// The extra key watcher over X11: a second connection that selects key presses and
// releases on the toolkit's window, for Pause/Break, Shift+Tab and Ctrl keys' identity.
#include "platform/xkeys.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

int plat_toolkit_modifiers() {
  return glutGetModifiers() & (GLUT_ACTIVE_SHIFT | GLUT_ACTIVE_CTRL | GLUT_ACTIVE_ALT);
}

// Everything here runs on the display thread only.
static Display *watch_display = nullptr;
static bool watch_given_up = false;
static bool select_failed = false;

// Ctrl key events as this connection saw them; the toolkit sees the same events in
// the same order, so the oldest unclaimed one of a kind is the one it reports.
struct SeenCtrlKey {
  bool down;
  int reported;       // character with the event's modifiers, -1 none
  int without_ctrl;   // character with Ctrl taken away, -1 none
};
constexpr int SEEN_MAX = 64;
static SeenCtrlKey seen_keys[SEEN_MAX];
static int seen_first = 0, seen_count = 0;

constexpr int EXTRA_MAX = 32;
static PlatExtraKey extra_keys[EXTRA_MAX];
static int extra_first = 0, extra_count = 0;
static int pause_kind_down = 0;  // what the Pause key's press was, for its release

static int (*toolkit_error_handler)(Display *, XErrorEvent *) = nullptr;

// Errors of our own connection (a window that is not ours to watch) must not reach
// Xlib's default handler, which ends the process.
static int watch_error_handler(Display *display, XErrorEvent *error) {
  if (display == watch_display) {
    select_failed = true;
    return 0;
  }
  return toolkit_error_handler ? toolkit_error_handler(display, error) : 0;
}

static bool open_watch() {
  if (watch_display) return true;
  if (watch_given_up) return false;
  Window window = Window(glXGetCurrentDrawable());
  if (window == 0) return false;  // the window is not up yet: try again next time
  watch_display = XOpenDisplay(nullptr);
  if (!watch_display) {
    watch_given_up = true;
    return false;
  }
  toolkit_error_handler = XSetErrorHandler(watch_error_handler);
  XSelectInput(watch_display, window, KeyPressMask | KeyReleaseMask);
  XSync(watch_display, False);
  XSetErrorHandler(toolkit_error_handler);
  if (select_failed) {
    XCloseDisplay(watch_display);
    watch_display = nullptr;
    watch_given_up = true;
  }
  return watch_display != nullptr;
}

static int lookup_character(XKeyEvent *event) {
  char text[8];
  KeySym sym;
  int n = XLookupString(event, text, sizeof text, &sym, nullptr);
  return n > 0 ? int(static_cast<unsigned char>(text[0])) : -1;
}

static void push_extra(int kind, bool down) {
  if (extra_count == EXTRA_MAX) return;
  extra_keys[(extra_first + extra_count++) % EXTRA_MAX] = PlatExtraKey{kind, down};
}

static void note_pause_key(XKeyEvent *event, KeySym sym) {
  bool down = event->type == KeyPress;
  if (down) {
    pause_kind_down = (sym == XK_Break || (event->state & ControlMask)) ? PLAT_EXTRA_BREAK : PLAT_EXTRA_PAUSE;
    push_extra(pause_kind_down, true);
  } else {
    push_extra(pause_kind_down ? pause_kind_down : PLAT_EXTRA_PAUSE, false);
    pause_kind_down = 0;
  }
}

static void note_ctrl_key(XKeyEvent *event) {
  SeenCtrlKey seen{event->type == KeyPress, lookup_character(event), -1};
  XKeyEvent plain = *event;
  plain.state &= ~unsigned(ControlMask);
  seen.without_ctrl = lookup_character(&plain);
  if (seen_count == SEEN_MAX) {  // the oldest is long past
    seen_first = (seen_first + 1) % SEEN_MAX;
    seen_count--;
  }
  seen_keys[(seen_first + seen_count++) % SEEN_MAX] = seen;
}

static void drain_events() {
  while (XPending(watch_display)) {
    XEvent event;
    XNextEvent(watch_display, &event);
    if (event.type != KeyPress && event.type != KeyRelease) continue;
    KeySym sym = XLookupKeysym(&event.xkey, 0);
    KeySym shifted = XLookupKeysym(&event.xkey, 1);
    if (sym == XK_Pause || sym == XK_Break || shifted == XK_Break)
      note_pause_key(&event.xkey, sym);
    else if (sym == XK_Tab && (event.xkey.state & ShiftMask))
      push_extra(PLAT_EXTRA_SHIFT_TAB, event.type == KeyPress);
    else if (event.xkey.state & ControlMask)
      note_ctrl_key(&event.xkey);
  }
}

bool plat_extra_key_next(PlatExtraKey *key) {
  if (!open_watch()) return false;
  if (extra_count == 0) drain_events();
  if (extra_count == 0) return false;
  *key = extra_keys[extra_first];
  extra_first = (extra_first + 1) % EXTRA_MAX;
  extra_count--;
  return true;
}

int plat_key_char_without_ctrl(int reported, bool down) {
  if (!watch_display) return -1;
  XSync(watch_display, False);  // the event the toolkit handles is now in our queue
  drain_events();
  for (int i = 0; i < seen_count; i++) {
    const SeenCtrlKey &seen = seen_keys[(seen_first + i) % SEEN_MAX];
    if (seen.down != down || seen.reported != reported) continue;
    int result = seen.without_ctrl;
    seen_first = (seen_first + i + 1) % SEEN_MAX;  // older ones were never asked for
    seen_count -= i + 1;
    return result;
  }
  return -1;
}
