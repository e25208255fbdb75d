// Keyboard lock and modifier state over Xlib, on a connection of its own opened at the
// first call, so the housekeeping thread never shares the toolkit's connection.
#include "platform/keylocks.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <atomic>

// Xlib's own locking must be on before any thread's first Xlib call.
[[maybe_unused]] static const bool xlib_threads_ready = XInitThreads() != 0;

enum ReaderKey { LEFT_SHIFT, RIGHT_SHIFT, LEFT_CTRL, RIGHT_CTRL, LEFT_ALT, RIGHT_ALT, SCROLL_LOCK_KEY, KEY_COUNT };
enum ReaderLight { CAPS_LIGHT, NUM_LIGHT, SCROLL_LIGHT, LIGHT_COUNT };
enum ReaderState { NOT_TRIED, OPENING, OPEN, UNAVAILABLE };

// Start-up and the housekeeping thread may both call in; a keymap change rewrites the
// key codes and indicator bits, so they are atomics rather than plain fields.
struct LockKeyReader {
  Display *display;
  bool has_xkb;
  std::atomic<int> light_bit[LIGHT_COUNT];  // -1 when the keymap has no such indicator
  std::atomic<KeyCode> key_code[KEY_COUNT]; // 0 when no key carries the symbol
};

static LockKeyReader reader;
static std::atomic<int> reader_state{NOT_TRIED};

static const char *const light_names[LIGHT_COUNT] = {"Caps Lock", "Num Lock", "Scroll Lock"};

static KeyCode code_of(KeySym sym, KeySym alternative) {
  KeyCode code = XKeysymToKeycode(reader.display, sym);
  return code || !alternative ? code : XKeysymToKeycode(reader.display, alternative);
}

static void read_keymap() {
  static const KeySym symbols[KEY_COUNT][2] = {
      {XK_Shift_L, 0}, {XK_Shift_R, 0}, {XK_Control_L, 0}, {XK_Control_R, 0},
      {XK_Alt_L, XK_Meta_L}, {XK_Alt_R, XK_ISO_Level3_Shift}, {XK_Scroll_Lock, 0}};
  for (int k = 0; k < KEY_COUNT; k++)
    reader.key_code[k].store(code_of(symbols[k][0], symbols[k][1]), std::memory_order_relaxed);
  for (int i = 0; i < LIGHT_COUNT; i++) {
    int index = -1;
    Atom name = XInternAtom(reader.display, light_names[i], False);
    if (reader.has_xkb && !XkbGetNamedIndicator(reader.display, name, &index, nullptr, nullptr, nullptr))
      index = -1;
    reader.light_bit[i].store(index, std::memory_order_relaxed);
  }
}

static bool open_reader() {
  int expected = NOT_TRIED;
  if (!reader_state.compare_exchange_strong(expected, OPENING)) return expected == OPEN;
  reader.display = XOpenDisplay(nullptr);
  if (!reader.display) {
    reader_state.store(UNAVAILABLE, std::memory_order_release);
    return false;
  }
  int opcode, event, error, major = XkbMajorVersion, minor = XkbMinorVersion;
  reader.has_xkb = XkbQueryExtension(reader.display, &opcode, &event, &error, &major, &minor);
  read_keymap();
  reader_state.store(OPEN, std::memory_order_release);
  return true;
}

// The server tells every client about keymap changes; nobody else reads this
// connection's queue, so we drain it here and follow the new keymap.
static void follow_keymap_changes() {
  bool changed = false;
  while (XPending(reader.display)) {
    XEvent e;
    XNextEvent(reader.display, &e);
    if (e.type == MappingNotify) {
      XRefreshKeyboardMapping(&e.xmapping);
      changed = true;
    }
  }
  if (changed) read_keymap();
}

static bool light_on(unsigned lights, ReaderLight light) {
  int bit = reader.light_bit[light].load(std::memory_order_relaxed);
  return bit >= 0 && (lights >> bit) & 1;
}

static bool key_down(const char keys[32], ReaderKey key) {
  KeyCode code = reader.key_code[key].load(std::memory_order_relaxed);
  return code && (keys[code >> 3] >> (code & 7)) & 1;
}

PlatKeyState plat_key_state() {
  PlatKeyState state{};
  if (reader_state.load(std::memory_order_acquire) != OPEN && !open_reader()) return state;
  follow_keymap_changes();
  unsigned lights = 0;
  if (reader.has_xkb) {
    XkbGetIndicatorState(reader.display, XkbUseCoreKbd, &lights);
    state.caps_lock_on = light_on(lights, CAPS_LIGHT);
    state.num_lock_on = light_on(lights, NUM_LIGHT);
    state.scroll_lock_on = light_on(lights, SCROLL_LIGHT);
  }
  char keys[32];
  XQueryKeymap(reader.display, keys);
  state.left_shift = key_down(keys, LEFT_SHIFT);
  state.right_shift = key_down(keys, RIGHT_SHIFT);
  state.left_ctrl = key_down(keys, LEFT_CTRL);
  state.right_ctrl = key_down(keys, RIGHT_CTRL);
  state.left_alt = key_down(keys, LEFT_ALT);
  state.right_alt = key_down(keys, RIGHT_ALT);
  state.scroll_lock_down = key_down(keys, SCROLL_LOCK_KEY);
  return state;
}
