// Lock and modifier keys taken over from the desktop at start-up, and the housekeeping
// thread's lock-key synchronisation, handed to the display thread.
#include "input/key_state.h"
#include "platform/keylocks.h"

constexpr auto relaxed = std::memory_order_relaxed;

// The housekeeping thread never runs the key paths itself: two producers writing the
// key-hit ring and the held keys at once would lose or reorder keys. It posts "lock L
// should be on/off" to this ring, and the display thread applies the requests in
// kbd_poll_extra_keys. A request is idempotent, so posting one twice does no harm.
enum LockId { LOCK_SCROLL, LOCK_CAPS, LOCK_NUM };
constexpr int32_t LOCK_RING = 64;
static std::atomic<int32_t> lock_requests[LOCK_RING];
static std::atomic<int32_t> lock_write{0};  // housekeeping thread
static std::atomic<int32_t> lock_read{0};   // display thread

static void post_lock_request(LockId lock, bool on) {
  int32_t w = lock_write.load(relaxed);
  int32_t next = (w + 1) % LOCK_RING;
  if (next == lock_read.load(std::memory_order_acquire)) return;  // display thread stalled: next cycle retries
  lock_requests[w].store(lock * 2 + (on ? 1 : 0), relaxed);
  lock_write.store(next, std::memory_order_release);
}

static void apply_toggle_key(int32_t code, bool on) {
  bool held = kbd_in_held_list(code);
  if (on && !held) kbd_key_down(code);
  if (!on && held) kbd_key_up(code);
  kbd_update_flags();
}

static void apply_lock_request(int32_t request) {
  bool on = request & 1;
  switch (LockId(request >> 1)) {
    case LOCK_SCROLL:
      if (on != kbd_in_held_list(KEY_SCROLL_LOCK_ON)) {
        kbd_toggle_held(KEY_SCROLL_LOCK_ON);
        kbd_update_flags();
      }
      break;
    case LOCK_CAPS: apply_toggle_key(KEY_CAPS_LOCK, on); break;
    case LOCK_NUM: apply_toggle_key(KEY_NUM_LOCK, on); break;
  }
}

void kbd_apply_lock_events() {
  int32_t r = lock_read.load(relaxed);
  while (r != lock_write.load(std::memory_order_acquire)) {
    apply_lock_request(lock_requests[r].load(relaxed));
    r = (r + 1) % LOCK_RING;
    lock_read.store(r, std::memory_order_release);
  }
}

void kbd_sync_locks_to(const PlatKeyState &state) {
  if (state.scroll_lock_on != kbd_in_held_list(KEY_SCROLL_LOCK_ON)) post_lock_request(LOCK_SCROLL, state.scroll_lock_on);
  if (state.caps_lock_on != kbd_in_held_list(KEY_CAPS_LOCK)) post_lock_request(LOCK_CAPS, state.caps_lock_on);
  if (state.num_lock_on != kbd_in_held_list(KEY_NUM_LOCK)) post_lock_request(LOCK_NUM, state.num_lock_on);
}

void kbd_sync_locks() { kbd_sync_locks_to(plat_key_state()); }

static void down_if(bool is_down, int32_t code) {
  if (is_down) kbd_key_down(code);
}

void kbd_startup_from(const PlatKeyState &state) {
  held_key_count.store(0, relaxed);
  kbd_hit_clear();
  kbd_queue_clear();
  kbd_scan_clear();
  lock_read.store(lock_write.load(relaxed), relaxed);
  kbd_taking_over_locks = true;
  if (state.scroll_lock_on) kbd_hold(KEY_SCROLL_LOCK_ON);
  down_if(state.scroll_lock_down, KEY_SCROLL_LOCK);
  down_if(state.left_shift, KEY_LEFT_SHIFT);
  down_if(state.right_shift, KEY_RIGHT_SHIFT);
  down_if(state.left_ctrl, KEY_LEFT_CTRL);
  down_if(state.right_ctrl, KEY_RIGHT_CTRL);
  down_if(state.left_alt, KEY_LEFT_ALT);
  down_if(state.right_alt, KEY_RIGHT_ALT);
  down_if(state.caps_lock_on, KEY_CAPS_LOCK);
  down_if(state.num_lock_on, KEY_NUM_LOCK);
  kbd_taking_over_locks = false;
  kbd_update_flags();
}

static bool keyboard_started = false;

void kbd_startup() {
  kbd_startup_from(plat_key_state());
  keyboard_started = true;
}

void kbd_reset_queues() {
  kbd_hit_clear();
  kbd_queue_clear();
}

bool kbd_available() { return keyboard_started; }
