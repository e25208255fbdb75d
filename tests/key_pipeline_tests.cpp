// Key pipeline: key codes to BIOS buffer entries, key-hit values, status bytes, the
// scan-code buffer, keypad columns, control keys and key traps.
#include "core/core.h"
#include "fixture.h"
#include "input/input.h"
#include "platform/keylocks.h"
#include "strings/strings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using Entry = std::pair<int, int>;

static void fresh_keyboard() {
  rt_test_init();
  kbd_startup_from(PlatKeyState{});
}

static int bios(int address) { return conventional_memory[address]; }

// The BIOS buffer's entries, head to tail, without taking them.
static std::vector<Entry> queue_entries() {
  std::vector<Entry> out;
  for (int at = bios(BIOS_KBD_HEAD); at != bios(BIOS_KBD_TAIL); at = at + 2 > BIOS_KBD_LAST ? BIOS_KBD_FIRST : at + 2)
    out.push_back({bios(0x400 + at), bios(0x401 + at)});
  return out;
}

static std::vector<int32_t> hit_values() {
  std::vector<int32_t> out;
  while (int32_t v = kbd_next_key_event()) out.push_back(v);
  return out;
}

// One toolkit event: a character, a special key, or a key code straight into the pipeline.
enum Kind { CHAR, SPECIAL, CODE };
struct Step {
  Kind kind;
  int32_t key;
  bool down;
  int32_t modifiers;
};

static void run(const std::vector<Step> &steps) {
  for (const Step &s : steps) {
    if (s.kind == CHAR) kbd_char_event(s.key, s.down, s.modifiers);
    if (s.kind == SPECIAL) kbd_special_event(s.key, s.down, s.modifiers);
    if (s.kind == CODE) s.down ? kbd_key_down(s.key) : kbd_key_up(s.key);
  }
}

static std::vector<Step> tap(Kind kind, int32_t key, int32_t mods = 0) { return {{kind, key, true, mods}, {kind, key, false, mods}}; }

// modifier (special-key number) held around a tap
static std::vector<Step> with(int32_t special, int32_t mods, std::vector<Step> inner) {
  std::vector<Step> out{{SPECIAL, special, true, 0}};
  for (Step s : inner) {
    s.modifiers |= mods;
    out.push_back(s);
  }
  out.push_back({SPECIAL, special, false, mods});
  return out;
}

constexpr int32_t SH = KBD_MOD_SHIFT, CT = KBD_MOD_CTRL, AL = KBD_MOD_ALT;
constexpr int32_t L_SHIFT = 112, L_CTRL = 114, L_ALT = 116;

struct KeyCase {
  const char *name;
  std::vector<Step> steps;
  std::vector<Entry> entries;
  std::vector<int32_t> hits;
};

TEST(KeyPipeline, EdgeCaseTable) {
  const std::vector<KeyCase> cases = {
      {"a", tap(CHAR, 'a'), {{97, 30}}, {97, -97}},
      {"Shift+A", with(L_SHIFT, SH, tap(CHAR, 'A')), {{65, 30}}, {100304, 65, -65, -100304}},
      {"Ctrl+C", with(L_CTRL, CT, tap(CHAR, 3)), {{3, 46}}, {100306, 99, -99, -100306}},
      {"Ctrl+Enter", with(L_CTRL, CT, tap(CHAR, 10)), {{10, 28}}, {100306, 13, -13, -100306}},
      {"Shift+Tab", with(L_SHIFT, SH, tap(CHAR, 9)), {{0, 15}}, {100304, 9, -9, -100304}},
      {"F1", tap(SPECIAL, 1), {{0, 59}}, {0x3B00, -0x3B00}},
      {"Alt+X", with(L_ALT, AL, tap(CHAR, 'x')), {{0, 45}}, {100308, 120, -120, -100308}},
      {"Up", tap(SPECIAL, 101), {{0, 72}}, {0x4800, -0x4800}},
      {"Shift+F11", with(L_SHIFT, SH, tap(SPECIAL, 11)), {{0, 135}}, {100304, 0x8500, -0x8500, -100304}},
      {"Delete", tap(CHAR, 127), {{0, 83}}, {0x5300, -0x5300}},
      {"Ctrl+Backspace", with(L_CTRL, CT, tap(CHAR, 127)), {{0, 147}}, {100306, 0x5300, -0x5300, -100306}},
      {"Ctrl+J", with(L_CTRL, CT, tap(CHAR, 10)), {{10, 28}}, {100306, 13, -13, -100306}},
      {"Pause then a", {{CODE, KEY_PAUSE, true, 0}, {CODE, KEY_PAUSE, false, 0}, {CHAR, 'a', true, 0}, {CHAR, 'a', false, 0}},
       {}, {-100019, -97}},
      {"Alt+Enter", with(L_ALT, AL, tap(CHAR, 13)), {}, {100308, -13, -100308}},
      {"Shift alone", {{SPECIAL, L_SHIFT, true, 0}}, {}, {100304}},
      {"Esc with Alt", with(L_ALT, AL, tap(CHAR, 27)), {}, {100308, 27, -27, -100308}},
      {"Right Ctrl+Up", with(115, CT, tap(SPECIAL, 101)), {{0, 0x8D}}, {100305, 0x4800, -0x4800, -100305}},
      {"Shift+Insert", with(L_SHIFT, SH, tap(SPECIAL, 108)), {{0, 82}}, {100304, 0x5200, -0x5200, -100304}},
  };
  for (const KeyCase &c : cases) {
    fresh_keyboard();
    program_paused = 0;
    run(c.steps);
    EXPECT_EQ(queue_entries(), c.entries) << c.name;
    EXPECT_EQ(hit_values(), c.hits) << c.name;
    EXPECT_EQ(program_paused & 1, 0) << c.name;
  }
}

TEST(KeyPipeline, ShiftAloneSetsItsStatusBitOnly) {
  fresh_keyboard();
  kbd_special_event(L_SHIFT, true, 0);
  EXPECT_EQ(bios(BIOS_KBD_FLAGS), 0x02);
  kbd_special_event(113, true, SH);  // right Shift too
  EXPECT_EQ(bios(BIOS_KBD_FLAGS), 0x03);
  kbd_special_event(L_SHIFT, false, SH);
  kbd_special_event(113, false, SH);
  EXPECT_EQ(bios(BIOS_KBD_FLAGS), 0x00);
  EXPECT_TRUE(queue_entries().empty());
}

TEST(KeyPipeline, StatusBytesFollowModifiersAndLocks) {
  struct Case {
    int32_t code;
    int f417, f418, f496;
  };
  const Case cases[] = {
      {KEY_RIGHT_SHIFT, 0x01, 0x00, 0x10}, {KEY_LEFT_SHIFT, 0x02, 0x00, 0x10}, {KEY_LEFT_CTRL, 0x04, 0x01, 0x10},
      {KEY_RIGHT_CTRL, 0x04, 0x00, 0x11},  {KEY_LEFT_ALT, 0x08, 0x02, 0x10},   {KEY_RIGHT_ALT, 0x08, 0x00, 0x12},
      {KEY_NUM_LOCK, 0x20, 0x00, 0x10},    {KEY_CAPS_LOCK, 0x40, 0x00, 0x10},  {KEY_SCROLL_LOCK, 0x10, 0x10, 0x10},
      {KEY_INSERT, 0x80, 0x80, 0x10},
  };
  for (const Case &c : cases) {
    fresh_keyboard();
    kbd_key_down(c.code);
    EXPECT_EQ(bios(BIOS_KBD_FLAGS), c.f417) << c.code;
    EXPECT_EQ(bios(BIOS_KBD_FLAGS2), c.f418) << c.code;
    EXPECT_EQ(bios(BIOS_KBD_FLAGS3), c.f496) << c.code;
  }
}

TEST(KeyPipeline, InsertAndScrollLockToggleTheirPseudoKeys) {
  fresh_keyboard();
  kbd_key_down(KEY_INSERT);
  kbd_key_down(KEY_INSERT);  // auto-repeat: already held, no second toggle
  kbd_key_up(KEY_INSERT);
  EXPECT_EQ(bios(BIOS_KBD_FLAGS), 0x80);
  EXPECT_EQ(bios(BIOS_KBD_FLAGS2), 0x00);
  kbd_key_down(KEY_INSERT);
  kbd_key_up(KEY_INSERT);
  EXPECT_EQ(bios(BIOS_KBD_FLAGS), 0x00);
  kbd_key_down(KEY_LEFT_SHIFT);  // Shift+Insert leaves insert mode alone
  kbd_key_down(KEY_INSERT);
  kbd_key_up(KEY_INSERT);
  kbd_key_up(KEY_LEFT_SHIFT);
  EXPECT_EQ(bios(BIOS_KBD_FLAGS) & 0x80, 0);

  kbd_key_down(KEY_SCROLL_LOCK);
  kbd_key_up(KEY_SCROLL_LOCK);
  EXPECT_EQ(kbd_is_held(KEY_SCROLL_LOCK_ON), 1);
  EXPECT_EQ(bios(BIOS_KBD_FLAGS), 0x10);
  kbd_key_down(KEY_SCROLL_LOCK);
  kbd_key_up(KEY_SCROLL_LOCK);
  EXPECT_EQ(kbd_is_held(KEY_SCROLL_LOCK_ON), 0);
  EXPECT_EQ(queue_entries().size(), 4u);  // the Insert presses, (0, 82) each
}

TEST(KeyPipeline, KeypadColumnsWithAndWithoutNumLock) {
  struct Case {
    const char *name;
    int32_t modifier;  // key code held first, 0 none
    int32_t code;
    Entry entry;
    int32_t hit;
  };
  const Case cases[] = {
      {"pad 1 Num Lock", 0, 100257, {'1', 79}, '1'},
      {"pad 1 Num Lock+Shift", KEY_LEFT_SHIFT, 100257, {0, 79}, '1'},
      {"pad 1 Num Lock+Ctrl", KEY_LEFT_CTRL, 100257, {0, 0x75}, '1'},
      {"pad 5 Num Lock", 0, 100261, {'5', 76}, '5'},
      {"pad . Num Lock", 0, 100266, {'.', 83}, '.'},
      {"pad End", 0, 200001, {0, 79}, 0x4F00},
      {"pad End+Shift", KEY_LEFT_SHIFT, 200001, {'1', 79}, 0x4F00},
      {"pad centre", 0, 200005, {0, 76}, 0x4C00},
      {"pad Delete", 0, KEY_PAD_NAV_DELETE, {0, 83}, 0x5300},
      {"pad /", 0, 100267, {'/', 53}, '/'},
      {"pad / Alt", KEY_LEFT_ALT, 100267, {0, 0xA4}, '/'},
      {"pad *", 0, 100268, {'*', 55}, '*'},
      {"pad Enter", 0, KEY_PAD_ENTER, {13, 28}, 13},
      {"pad Enter Ctrl", KEY_RIGHT_CTRL, KEY_PAD_ENTER, {10, 28}, 13},
  };
  for (const Case &c : cases) {
    fresh_keyboard();
    if (c.modifier) kbd_key_down(c.modifier);
    hit_values();
    kbd_key_down(c.code);
    EXPECT_EQ(queue_entries(), std::vector<Entry>{c.entry}) << c.name;
    EXPECT_EQ(hit_values(), std::vector<int32_t>{c.hit}) << c.name;
  }
}

TEST(KeyPipeline, HeldKeysCountKeypadTwins) {
  fresh_keyboard();
  kbd_key_down(100257);       // keypad 1, Num Lock on
  kbd_key_down(200008);       // keypad Up, Num Lock off
  kbd_key_down(100271);       // keypad Enter
  EXPECT_EQ(kbd_is_held('1'), 1);
  EXPECT_EQ(kbd_is_held(0x4800), 1);
  EXPECT_EQ(kbd_is_held(13), 1);
  EXPECT_EQ(kbd_is_held('2'), 0);
  EXPECT_EQ(kbd_is_held(0x4D00), 0);
  kbd_key_down(200005);  // keypad centre, Num Lock off
  EXPECT_EQ(kbd_is_held(0x4C00), 1);
  kbd_key_up(100257);
  EXPECT_EQ(kbd_is_held('1'), 0);
  kbd_key_down('+');
  EXPECT_EQ(kbd_is_held(100270), 0);  // twins go one way only
}

TEST(KeyPipeline, ReleaseAfterModifierMatchesThePressedCharacter) {
  fresh_keyboard();
  kbd_special_event(L_SHIFT, true, 0);
  kbd_char_event('A', true, SH);
  kbd_special_event(L_SHIFT, false, SH);
  kbd_char_event('a', false, 0);  // the toolkit reports the release as 'a'
  EXPECT_EQ(kbd_is_held('A'), 0);
  EXPECT_EQ(hit_values(), (std::vector<int32_t>{100304, 65, -100304, -65}));
}

TEST(KeyPipeline, ModifierReleasedElsewhereIsLetGo) {
  fresh_keyboard();
  kbd_special_event(L_ALT, true, 0);
  kbd_char_event('x', true, 0);  // the event says Alt is up: its release went to another window
  EXPECT_EQ(queue_entries(), (std::vector<Entry>{{'x', 45}}));
  EXPECT_EQ(hit_values(), (std::vector<int32_t>{100308, -100308, 'x'}));
  EXPECT_EQ(bios(BIOS_KBD_FLAGS) & 0x08, 0);
}

TEST(KeyPipeline, SixteenthKeyIsLost) {
  fresh_keyboard();
  for (int i = 0; i < 16; i++) kbd_key_down('a' + i);
  std::vector<Entry> entries = queue_entries();
  ASSERT_EQ(entries.size(), 15u);
  EXPECT_EQ(entries.front().first, 'a');
  EXPECT_EQ(entries.back().first, 'a' + 14);
  EXPECT_EQ(hit_values().size(), 16u);  // the key-hit ring still has it
}

TEST(KeyPipeline, BufferIndexesPokedOutsideTheBufferRefuseKeys) {
  fresh_keyboard();
  conventional_memory[BIOS_KBD_TAIL] = 61;
  conventional_memory[BIOS_KBD_HEAD] = 61;
  kbd_key_down('a');
  EXPECT_EQ(bios(0x400 + 61), 0);
  EXPECT_EQ(bios(BIOS_KBD_TAIL), 61);
}

TEST(KeyPipeline, KeyHitRingKeepsTheNewest8191) {
  fresh_keyboard();
  for (int32_t v = 1; v <= 8197; v++) kbd_key_up(300000 + v);  // releases of codes without side effects
  std::vector<int32_t> values = hit_values();
  ASSERT_EQ(values.size(), 8191u);
  EXPECT_EQ(values.front(), -300007);
  EXPECT_EQ(values.back(), -308197);
}

TEST(KeyPipeline, ScanCodesMakeBreakAndDeduplicated) {
  fresh_keyboard();
  EXPECT_EQ(kbd_read_scan_code(), 0x81);
  kbd_key_down('a');
  kbd_key_down('a');  // repeat: same byte as the last, not appended
  kbd_key_up('a');
  kbd_key_down(KEY_LEFT_SHIFT);
  kbd_key_down(0x3B00);
  kbd_key_up(0x3B00);
  kbd_key_down(0x1234);  // extended code without a record: no scan code
  std::vector<int32_t> codes;
  for (int i = 0; i < 6; i++) codes.push_back(kbd_read_scan_code());
  EXPECT_EQ(codes, (std::vector<int32_t>{30, 158, 42, 59, 187, 187}));  // then the last again
}

TEST(KeyPipeline, ScanBufferDropsOldestWhenFull) {
  fresh_keyboard();
  for (int i = 0; i < 150; i++) {
    kbd_key_down('a' + i % 26);
    kbd_key_up('a' + i % 26);
  }
  // 300 codes, the newest 256 kept: the first left is the press of the 23rd letter, w.
  EXPECT_EQ(kbd_read_scan_code(), 17);
  int32_t last = 0;
  for (int i = 1; i < 256; i++) last = kbd_read_scan_code();
  EXPECT_EQ(last, key_table['t'][KC_MAKE] + 128);  // key 149 is t (149 % 26 = 19)
  EXPECT_EQ(kbd_read_scan_code(), last);
}

TEST(KeyPipeline, BreakEndsOrIsTrapped) {
  fresh_keyboard();
  kbd_key_down(KEY_LEFT_CTRL);
  kbd_key_down(KEY_SCROLL_LOCK);  // Ctrl+Scroll Lock is Break
  EXPECT_EQ(end_requested, 1);
  EXPECT_EQ(kbd_is_held(KEY_SCROLL_LOCK_ON), 0);
  end_requested = 0;
  exit_trapping = 1;
  kbd_key_down(KEY_BREAK);
  EXPECT_EQ(end_requested, 0);
  EXPECT_EQ(window_close_requested & 2, 2);
  EXPECT_TRUE(queue_entries().empty());
}

TEST(KeyPipeline, PauseAndCtrlNumLockPauseUntilTheNextKeyDown) {
  fresh_keyboard();
  event_pending = 0;
  kbd_key_down(KEY_PAUSE);
  EXPECT_EQ(program_paused & 1, 1);
  EXPECT_EQ(event_pending, 1);
  kbd_key_up(KEY_PAUSE);  // releases do not resume
  EXPECT_EQ(program_paused & 1, 1);
  kbd_key_down(KEY_LEFT_SHIFT);  // any key-down resumes, even a modifier
  EXPECT_EQ(program_paused & 1, 0);
  kbd_key_up(KEY_LEFT_SHIFT);
  kbd_key_down(KEY_RIGHT_CTRL);
  kbd_key_down(KEY_NUM_LOCK);
  EXPECT_EQ(program_paused & 1, 1);
}

TEST(KeyPipeline, StartUpTakesOverLocksAndModifiers) {
  rt_test_init();
  PlatKeyState state{};
  state.caps_lock_on = state.num_lock_on = state.scroll_lock_on = true;
  state.left_ctrl = true;
  kbd_startup_from(state);
  kbd_reset_queues();
  EXPECT_EQ(bios(BIOS_KBD_FLAGS), 0x74);  // Ctrl, Scroll, Num, Caps
  EXPECT_EQ(program_paused & 1, 0);       // Num Lock found on with Ctrl is no Pause
  EXPECT_EQ(kbd_next_key_event(), 0);
  EXPECT_TRUE(queue_entries().empty());
  EXPECT_EQ(bios(BIOS_KBD_HEAD), 30);
  EXPECT_EQ(bios(BIOS_KBD_TAIL), 30);
}

TEST(KeyPipeline, LockSyncIsAppliedOnTheDisplayThreadSide) {
  fresh_keyboard();
  PlatKeyState state{};
  state.caps_lock_on = state.scroll_lock_on = true;
  kbd_sync_locks_to(state);
  kbd_sync_locks_to(state);  // posted twice before the display thread ran: still one key-down
  EXPECT_EQ(bios(BIOS_KBD_FLAGS), 0x00);
  kbd_apply_lock_events();
  EXPECT_EQ(bios(BIOS_KBD_FLAGS), 0x50);
  state.caps_lock_on = false;
  kbd_sync_locks_to(state);
  kbd_apply_lock_events();
  EXPECT_EQ(bios(BIOS_KBD_FLAGS), 0x10);
  EXPECT_EQ(hit_values(), (std::vector<int32_t>{100301, -100301}));
}

TEST(KeyTable, SpotChecks) {
  struct Case {
    int record;
    std::vector<int32_t> columns;  // identity, make, plain, shift, ctrl, alt
  };
  const Case cases[] = {
      {'q', {'q', 16, 'q', 'q', 17, 0x1000}},
      {'Q', {'q', 16, 'Q', 'Q', 17, 0x1000}},
      {'6', {'6', 7, '6', '6', 30, 0x7D00}},
      {'^', {'^', 7, '^', '^', 30, 0x7D00}},
      {'"', {'"', 40, '"', '"', 0, 0x2800}},
      {'|', {'|', 43, '|', '|', 28, 0x2B00}},
      {9, {9, 15, 9, 0x0F00, 0x9400, 0}},
      {200, {200, 0, 0, 0, 0, 0}},
      {256 + 68, {68, 68, 0x4400, 0x5D00, 0x6700, 0x7100}},
      {256 + 134, {134, 88, 0x8600, 0x8800, 0x8A00, 0x8C00}},
      {256 + 81, {81, 81, 0x5100, 0x5100, 0x7600, 0xA100}},
      {256 + 44, {44, 0, 0, 0, 0, 0}},
      {512 + 13, {525, 74, '-', '-', 0x8E00, 0x4A00}},
  };
  for (const Case &c : cases)
    for (int col = 0; col < 6; col++) EXPECT_EQ(key_table[c.record][col], c.columns[col]) << c.record << " col " << col;
  EXPECT_EQ(key_table[512 + 7][KC_NUM_LOCK], '7');
  EXPECT_EQ(key_table[512 + 7][KC_NUM_LOCK_SHIFT], 0x4700);
}

TEST(KeyTraps, DefinedTrapTakesTheKeyAndItsRelease) {
  fresh_keyboard();
  KeyTrapSlot &f1 = key_trap_slots[1];
  f1.trap_defined = 1;
  f1.state = 1;
  event_pending = 0;
  kbd_special_event(1, true, 0);
  kbd_special_event(1, true, 0);
  EXPECT_EQ(f1.pending, 2);
  EXPECT_EQ(event_pending, 1);
  kbd_special_event(1, false, 0);
  EXPECT_TRUE(queue_entries().empty());
  EXPECT_EQ(hit_values(), std::vector<int32_t>{});  // neither press nor release reported
  f1.state = 2;  // stopped: one event remembered
  kbd_special_event(1, true, 0);
  kbd_special_event(1, true, 0);
  EXPECT_EQ(f1.pending, 1);
}

TEST(KeyTraps, UndefinedSlotsLeaveKeysAlone) {
  fresh_keyboard();
  key_trap_slots[1].state = 1;  // ON without a handler: not a trap
  kbd_special_event(1, true, 0);
  EXPECT_EQ(queue_entries(), (std::vector<Entry>{{0, 59}}));
}

TEST(KeyTraps, ScanCodeTrapHonoursShiftFlags) {
  fresh_keyboard();
  KeyTrapSlot &slot = key_trap_slots[15];
  slot.trap_defined = 1;
  slot.state = 1;
  slot.scan_code = 30;  // the A key, no modifier
  kbd_key_down('a');
  EXPECT_EQ(slot.pending, 1);
  kbd_key_down(KEY_LEFT_SHIFT);
  kbd_key_down('A');
  EXPECT_EQ(slot.pending, 1);  // flags ask for Shift up
  EXPECT_EQ(queue_entries(), (std::vector<Entry>{{'A', 30}}));
  slot.shift_flags = 0x02;
  kbd_key_down('A');
  EXPECT_EQ(slot.pending, 2);

  KeyTrapSlot &up = key_trap_slots[16];
  up.trap_defined = 1;
  up.state = 1;
  up.scan_code = 72;
  up.shift_flags = 0x80;  // extended: the arrow, not keypad 8
  kbd_key_up(KEY_LEFT_SHIFT);
  kbd_key_down(200008);
  EXPECT_EQ(up.pending, 0);
  kbd_key_down(0x4800);
  EXPECT_EQ(up.pending, 1);
}

TEST(KeyTraps, SoftKeyTypesItsText) {
  fresh_keyboard();
  key_trap_slots[2].soft_key_text = rtstr_from_cstr("hi");  // F2
  kbd_special_event(2, true, 0);
  kbd_special_event(2, false, 0);
  EXPECT_EQ(queue_entries(), (std::vector<Entry>{{'h', 35}, {'i', 23}}));
  EXPECT_EQ(hit_values(), (std::vector<int32_t>{'h', -'h', 'i', -'i'}));
  EXPECT_EQ(taken_key_count, 0);
}
