// Message boxes over Xlib: a modal dialog on a display connection of its own, so the
// program thread can wait in it while the display thread runs the toolkit's loop.
#include "platform/clock.h"
#include "platform/msgbox.h"
#include "platform/msgbox_x11_private.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

// Xlib's own locking must be on before any thread's first Xlib call: the toolkit's
// connection and ours are used from different threads.
[[maybe_unused]] static const bool xlib_threads_ready = XInitThreads() != 0;

static std::atomic<PlatMessageBoxHook> message_box_hook{nullptr};

void plat_message_box_set_hook(PlatMessageBoxHook hook) { message_box_hook.store(hook); }

enum BoxAtom { WM_PROTOCOLS_ATOM, WM_DELETE, NET_WM_NAME, UTF8, NET_WM_PID, WINDOW_TYPE, TYPE_DIALOG,
               NET_WM_STATE, STATE_MODAL, STATE_ABOVE, ACTIVE_WINDOW, WM_CHECK, ATOM_COUNT };
static const char *atom_names[ATOM_COUNT] = {
    "WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_NAME", "UTF8_STRING", "_NET_WM_PID",
    "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG", "_NET_WM_STATE", "_NET_WM_STATE_MODAL",
    "_NET_WM_STATE_ABOVE", "_NET_ACTIVE_WINDOW", "_NET_SUPPORTING_WM_CHECK"};

struct BoxSession {
  MessageBoxWindow box;
  Atom atoms[ATOM_COUNT];
  bool window_manager;   // someone else stacks and focuses windows
  bool keep_raised;
  bool obscured;
  bool destroyed;
  int64_t last_raise_ms;
  char held_at_map[32];  // keys already down when the box appeared, by key code bit
};

constexpr int RAISE_INTERVAL_MS = 200;  // two always-on-top windows must not raise-fight at full speed

// Only the root window is asked: requests on other clients' windows could fail, and
// Xlib's default error handler would end the whole process.
static bool window_manager_running(BoxSession *s) {
  Display *d = s->box.display;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char *data = nullptr;
  if (XGetWindowProperty(d, RootWindow(d, s->box.screen), s->atoms[WM_CHECK], 0, 1, False, XA_WINDOW, &type,
                         &format, &count, &after, &data) != Success)
    return false;
  bool found = data && count == 1;
  if (data) XFree(data);
  return found;
}

static void set_atom_list(BoxSession *s, BoxAtom property, const Atom *values, int count) {
  XChangeProperty(s->box.display, s->box.window, s->atoms[property], XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char *>(values), count);
}

static void set_identity(BoxSession *s, const char *caption) {
  Display *d = s->box.display;
  Window w = s->box.window;
  XStoreName(d, w, caption);
  std::string utf8 = msgbox_latin1_to_utf8(caption);
  XChangeProperty(d, w, s->atoms[NET_WM_NAME], s->atoms[UTF8], 8, PropModeReplace,
                  reinterpret_cast<const unsigned char *>(utf8.data()), int(utf8.size()));
  char host[256] = "";
  gethostname(host, sizeof host - 1);
  char *host_list[1] = {host};
  XTextProperty machine;
  if (XStringListToTextProperty(host_list, 1, &machine)) {
    XSetWMClientMachine(d, w, &machine);
    XFree(machine.value);
  }
  long pid = long(getpid());
  XChangeProperty(d, w, s->atoms[NET_WM_PID], XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char *>(&pid), 1);
  char res_name[] = "msgbox", res_class[] = "RtMessageBox";
  XClassHint class_hint{res_name, res_class};
  XSetClassHint(d, w, &class_hint);
}

// A fixed-size dialog above everything of ours; "no owner window", so it is
// transient for the root, which managers read as "for the whole screen".
static void set_manager_hints(BoxSession *s, int x, int y) {
  Display *d = s->box.display;
  Window w = s->box.window;
  XSizeHints *size = XAllocSizeHints();
  size->flags = PPosition | PSize | PMinSize | PMaxSize;
  size->x = x;
  size->y = y;
  size->width = size->min_width = size->max_width = s->box.width;
  size->height = size->min_height = size->max_height = s->box.height;
  XSetWMNormalHints(d, w, size);
  XFree(size);
  XWMHints *wm = XAllocWMHints();
  wm->flags = InputHint | StateHint;
  wm->input = True;
  wm->initial_state = NormalState;
  XSetWMHints(d, w, wm);
  XFree(wm);
  XSetWMProtocols(d, w, &s->atoms[WM_DELETE], 1);
  XSetTransientForHint(d, w, RootWindow(d, s->box.screen));
  set_atom_list(s, WINDOW_TYPE, &s->atoms[TYPE_DIALOG], 1);
  Atom states[2] = {s->atoms[STATE_MODAL], s->atoms[STATE_ABOVE]};
  set_atom_list(s, NET_WM_STATE, states, 2);
}

static void create_window(BoxSession *s, const char *caption) {
  MessageBoxWindow &box = s->box;
  Display *d = box.display;
  int x = (DisplayWidth(d, box.screen) - box.width) / 2, y = (DisplayHeight(d, box.screen) - box.height) / 2;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  XSetWindowAttributes attributes{};
  attributes.background_pixel = box.colours.button_strip;
  attributes.border_pixel = box.colours.border;
  attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                          StructureNotifyMask | VisibilityChangeMask;
  box.window = XCreateWindow(d, RootWindow(d, box.screen), x, y, unsigned(box.width), unsigned(box.height), 1,
                             CopyFromParent, InputOutput, CopyFromParent,
                             CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
  set_identity(s, caption);
  set_manager_hints(s, x, y);
  box.gc = XCreateGC(d, box.window, 0, nullptr);
  XSetFont(d, box.gc, box.font->fid);
  XMapRaised(d, box.window);
}

// Without a manager nobody gives the box the keyboard; with one we ask it politely.
static void take_focus(BoxSession *s) {
  Display *d = s->box.display;
  if (!s->window_manager) {
    XSetInputFocus(d, s->box.window, RevertToPointerRoot, CurrentTime);
    return;
  }
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = s->box.window;
  e.xclient.message_type = s->atoms[ACTIVE_WINDOW];
  e.xclient.format = 32;
  e.xclient.data.l[0] = 1;  // a normal application asks
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, RootWindow(d, s->box.screen), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

static bool is_yes_no(const MessageBoxWindow &box) { return box.button_count == 2; }

// Escape and the manager's close button: No where there is one, otherwise OK.
static int dismiss_answer(const MessageBoxWindow &box) { return is_yes_no(box) ? PLAT_IDNO : PLAT_IDOK; }

// A key held since before the box appeared (typing on into the program, or a key
// left down) must not answer it; only its release makes it count again.
static bool held_from_before(BoxSession *s, XKeyEvent *key) {
  char &byte = s->held_at_map[key->keycode >> 3];
  char bit = char(1 << (key->keycode & 7));
  if (key->type == KeyRelease) byte = char(byte & ~bit);
  return byte & bit;
}

static int key_answer(BoxSession *s, XKeyEvent *key) {
  MessageBoxWindow &box = s->box;
  if (held_from_before(s, key) || key->type == KeyRelease) return 0;
  char text[8];
  KeySym sym = NoSymbol;
  XLookupString(key, text, sizeof text, &sym, nullptr);
  switch (sym) {
    case XK_Return: case XK_KP_Enter: case XK_space: return box.buttons[box.focused].answer;
    case XK_Escape: return dismiss_answer(box);
    case XK_y: case XK_Y: return is_yes_no(box) ? PLAT_IDYES : 0;
    case XK_n: case XK_N: return is_yes_no(box) ? PLAT_IDNO : 0;
    case XK_o: case XK_O: return is_yes_no(box) ? 0 : PLAT_IDOK;
    case XK_Tab: case XK_ISO_Left_Tab: case XK_Left: case XK_Right:
      box.focused = (box.focused + 1) % box.button_count;
      msgbox_draw(&box);
      return 0;
    default: return 0;
  }
}

// A click answers when the button goes down and comes up on the same button.
static int mouse_answer(BoxSession *s, XButtonEvent *button) {
  MessageBoxWindow &box = s->box;
  if (button->button != Button1) return 0;
  int hit = msgbox_button_at(&box, button->x, button->y);
  if (button->type == ButtonPress) {
    box.pressed = hit;
    if (hit >= 0) msgbox_draw(&box);
    return 0;
  }
  int was_pressed = box.pressed;
  box.pressed = -1;
  if (was_pressed >= 0 && hit == was_pressed) return box.buttons[hit].answer;
  if (was_pressed >= 0) msgbox_draw(&box);
  return 0;
}

static int handle_event(BoxSession *s, XEvent *e) {
  switch (e->type) {
    case Expose:
      if (e->xexpose.count == 0) msgbox_draw(&s->box);
      return 0;
    case MapNotify:
      XQueryKeymap(s->box.display, s->held_at_map);
      take_focus(s);
      return 0;
    case VisibilityNotify:
      s->obscured = e->xvisibility.state != VisibilityUnobscured;
      return 0;
    case KeyPress: case KeyRelease: return key_answer(s, &e->xkey);
    case ButtonPress: case ButtonRelease: return mouse_answer(s, &e->xbutton);
    case ClientMessage:
      if (e->xclient.message_type == s->atoms[WM_PROTOCOLS_ATOM] && Atom(e->xclient.data.l[0]) == s->atoms[WM_DELETE])
        return dismiss_answer(s->box);
      return 0;
    case DestroyNotify:
      s->destroyed = true;
      return dismiss_answer(s->box);
    default: return 0;
  }
}

static int wait_for_answer(BoxSession *s) {
  Display *d = s->box.display;
  for (;;) {
    while (XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      if (int answer = handle_event(s, &e)) return answer;
    }
    int64_t now = plat_clock_ms();
    if (s->keep_raised && s->obscured && now - s->last_raise_ms >= RAISE_INTERVAL_MS) {
      XRaiseWindow(d, s->box.window);
      XFlush(d);
      s->last_raise_ms = now;
    }
    pollfd connection{ConnectionNumber(d), POLLIN, 0};
    poll(&connection, 1, RAISE_INTERVAL_MS);
  }
}

static void set_buttons(MessageBoxWindow *box, unsigned flags) {
  // Only the two button sets the runtime asks for; any other set shows OK.
  if ((flags & 0xF) == PLAT_MB_YESNO) {
    box->buttons[0] = BoxButton{"Yes", PLAT_IDYES, 0, 0, 0, 0};
    box->buttons[1] = BoxButton{"No", PLAT_IDNO, 0, 0, 0, 0};
    box->button_count = 2;
  } else {
    box->buttons[0] = BoxButton{"OK", PLAT_IDOK, 0, 0, 0, 0};
    box->button_count = 1;
  }
  box->focused = 0;
  box->pressed = -1;
}

static int show_box(Display *d, const char *text, const char *caption, unsigned flags) {
  BoxSession s{};
  s.box.display = d;
  s.box.screen = DefaultScreen(d);
  XInternAtoms(d, const_cast<char **>(atom_names), ATOM_COUNT, False, s.atoms);
  s.window_manager = window_manager_running(&s);
  XkbSetDetectableAutoRepeat(d, True, nullptr);  // a held key repeats presses only, no releases
  // Nothing else keeps a box above the program's window when no manager runs.
  s.keep_raised = (flags & PLAT_MB_SYSTEMMODAL) || !s.window_manager;
  set_buttons(&s.box, flags);
  msgbox_load_font(&s.box);
  msgbox_alloc_colours(&s.box);
  msgbox_layout(&s.box, text);
  create_window(&s, caption);
  int answer = wait_for_answer(&s);
  if (!s.destroyed) XDestroyWindow(d, s.box.window);
  XFreeGC(d, s.box.gc);
  msgbox_free_font(&s.box);
  return answer;
}

int plat_message_box(const char *text, const char *caption, unsigned flags) {
  if (!text) text = "";
  if (!caption) caption = "";
  if (PlatMessageBoxHook hook = message_box_hook.load()) return hook(text, caption, flags);
  Display *d = XOpenDisplay(nullptr);
  if (!d) {
    fprintf(stderr, "%s\n%s\n", caption, text);
    return 0;
  }
  int answer = show_box(d, text, caption, flags);
  XCloseDisplay(d);
  return answer;
}
