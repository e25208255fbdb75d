// The key translation table: make codes and the codes each key produces with no
// modifier, Shift, Ctrl, Alt and the keypad's Num Lock columns. Built at compile time.
#include "input/input.h"

#include <initializer_list>

namespace {

struct KeyTableData {
  int32_t rec[KEY_TABLE_RECORDS][KC_COUNT];
};

struct PairedKey {
  char plain, shifted;
  int32_t make, ctrl, alt;
};

// Keys with two printing characters: both records are alike but for the character.
constexpr PairedKey paired_keys[] = {
    {'1', '!', 2, 0, 0x7800},    {'2', '@', 3, 0x0300, 0x7900}, {'3', '#', 4, 0, 0x7A00},
    {'4', '$', 5, 0, 0x7B00},    {'5', '%', 6, 0, 0x7C00},      {'6', '^', 7, 30, 0x7D00},
    {'7', '&', 8, 0, 0x7E00},    {'8', '*', 9, 0, 0x7F00},      {'9', '(', 10, 0, 0x8000},
    {'0', ')', 11, 0, 0x8100},   {'-', '_', 12, 31, 0x8200},    {'=', '+', 13, 0, 0x8300},
    {'[', '{', 26, 27, 0x1A00},  {']', '}', 27, 29, 0x1B00},    {';', ':', 39, 0, 0x2700},
    {'\'', '"', 40, 0, 0x2800},  {'`', '~', 41, 0, 0x2900},     {'\\', '|', 43, 28, 0x2B00},
    {',', '<', 51, 0, 0x3300},   {'.', '>', 52, 0, 0x3400},     {'/', '?', 53, 0, 0x3500},
};

// Scan set 1 make codes of a..z.
constexpr int32_t letter_make[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                     49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

struct ControlKey {
  int32_t record, make, plain, shift, ctrl, alt;
};
constexpr ControlKey control_keys[] = {
    {8, 14, 8, 8, 127, 0x0E00}, {9, 15, 9, 0x0F00, 0x9400, 0}, {13, 28, 13, 13, 10, 0},
    {27, 1, 27, 27, 27, 0},     {32, 57, 32, 32, 32, 0},
};

struct NavigationKey {
  int32_t scan, ctrl, alt;
};
constexpr NavigationKey navigation_keys[] = {
    {71, 0x7700, 0x9700}, {72, 0x8D00, 0x9800}, {73, 0x8400, 0x9900}, {75, 0x7300, 0x9B00},
    {77, 0x7400, 0x9D00}, {79, 0x7500, 0x9F00}, {80, 0x9100, 0xA000}, {81, 0x7600, 0xA100},
    {82, 0x9200, 0xA200}, {83, 0x9300, 0xA300},
};

// Keypad records 512..527: make, no modifier, Shift, Ctrl, Alt, Num Lock, Num Lock + Shift.
constexpr int32_t keypad_keys[16][7] = {
    {82, 0x5200, '0', 0x9200, 0, '0', 0x5200},    {79, 0x4F00, '1', 0x7500, 0, '1', 0x4F00},
    {80, 0x5000, '2', 0x9100, 0, '2', 0x5000},    {81, 0x5100, '3', 0x7600, 0, '3', 0x5100},
    {75, 0x4B00, '4', 0x7300, 0, '4', 0x4B00},    {76, 0x4C00, '5', 0x8F00, 0, '5', 0x4C00},
    {77, 0x4D00, '6', 0x7400, 0, '6', 0x4D00},    {71, 0x4700, '7', 0x7700, 0, '7', 0x4700},
    {72, 0x4800, '8', 0x8D00, 0, '8', 0x4800},    {73, 0x4900, '9', 0x8400, 0, '9', 0x4900},
    {83, 0x5300, '.', 0x9300, 0, '.', 0x5300},    {53, '/', '/', 0x9500, 0xA400, '/', '/'},
    {55, '*', '*', 0x9600, 0x3700, '*', '*'},     {74, '-', '-', 0x8E00, 0x4A00, '-', '-'},
    {78, '+', '+', 0x9000, 0x4E00, '+', '+'},     {28, 13, 13, 10, 0xA600, 13, 13},
};

constexpr void set_keys(int32_t *r, int32_t make, int32_t plain, int32_t shift, int32_t ctrl, int32_t alt) {
  r[KC_MAKE] = make;
  r[KC_PLAIN] = plain;
  r[KC_SHIFT] = shift;
  r[KC_CTRL] = ctrl;
  r[KC_ALT] = alt;
}

constexpr void fill_characters(KeyTableData &t) {
  for (int32_t i = 0; i < 26; i++) {
    for (int32_t c : {'a' + i, 'A' + i}) {
      int32_t *r = t.rec[c];
      r[KC_IDENTITY] = 'a' + i;
      set_keys(r, letter_make[i], c, c, i + 1, letter_make[i] << 8);
    }
  }
  for (const PairedKey &k : paired_keys) {
    for (int32_t c : {int32_t(k.plain), int32_t(k.shifted)}) {
      int32_t *r = t.rec[c];
      set_keys(r, k.make, c, c, k.ctrl, k.alt);
    }
  }
  for (const ControlKey &k : control_keys) set_keys(t.rec[k.record], k.make, k.plain, k.shift, k.ctrl, k.alt);
}

constexpr void fill_extended(KeyTableData &t) {
  for (int32_t i = 0; i < 10; i++) {  // F1..F10
    int32_t scan = 59 + i;
    set_keys(t.rec[KEY_RECORD_EXTENDED + scan], scan, scan << 8, (0x54 + i) << 8, (0x5E + i) << 8, (0x68 + i) << 8);
  }
  set_keys(t.rec[KEY_RECORD_EXTENDED + 133], 87, 0x8500, 0x8700, 0x8900, 0x8B00);  // F11
  set_keys(t.rec[KEY_RECORD_EXTENDED + 134], 88, 0x8600, 0x8800, 0x8A00, 0x8C00);  // F12
  for (const NavigationKey &k : navigation_keys)
    set_keys(t.rec[KEY_RECORD_EXTENDED + k.scan], k.scan, k.scan << 8, k.scan << 8, k.ctrl, k.alt);
}

constexpr void fill_keypad(KeyTableData &t) {
  for (int32_t i = 0; i < 16; i++) {
    const int32_t *k = keypad_keys[i];
    int32_t *r = t.rec[KEY_RECORD_KEYPAD + i];
    r[KC_IDENTITY] = KEY_RECORD_KEYPAD + i;
    set_keys(r, k[0], k[1], k[2], k[3], k[4]);
    r[KC_NUM_LOCK] = k[5];
    r[KC_NUM_LOCK_SHIFT] = k[6];
  }
}

constexpr KeyTableData build_key_table() {
  KeyTableData t{};
  for (int32_t i = 0; i < 256; i++) t.rec[i][KC_IDENTITY] = i;
  for (int32_t i = 0; i < 256; i++) t.rec[KEY_RECORD_EXTENDED + i][KC_IDENTITY] = i;
  fill_characters(t);
  fill_extended(t);
  fill_keypad(t);
  return t;
}

constexpr KeyTableData key_table_data = build_key_table();

}  // namespace

const int32_t (&key_table)[KEY_TABLE_RECORDS][KC_COUNT] = key_table_data.rec;
