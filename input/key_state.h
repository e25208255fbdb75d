// Key structures shared by the pipeline files: held keys, the BIOS buffer, the key-hit
// ring and the scan-code buffer.
#pragma once

#include "input/input.h"

#include <atomic>
#include <cstdint>

// Only the display thread changes the key structures (the housekeeping thread hands its
// lock changes over, see lock_keys.cpp); the program thread reads them.

extern std::atomic<int32_t> sleep_wake;
// Set while start-up takes over the desktop's lock state (not key presses).
extern bool kbd_taking_over_locks;

// held_keys: in pressing order, no duplicates. A fixed array, so that the program
// thread can read it while the display thread changes it.
constexpr int32_t HELD_KEYS_MAX = 512;
extern std::atomic<int32_t> held_keys[HELD_KEYS_MAX];
extern std::atomic<int32_t> held_key_count;
bool kbd_in_held_list(int32_t code);  // exactly this code, no keypad twin
void kbd_toggle_held(int32_t code);

bool kbd_shift_held();
bool kbd_ctrl_held();
bool kbd_alt_held();

// The key-hit ring: a producer that finds it full drops the oldest entry.
constexpr int32_t KEY_HIT_QUEUE_SIZE = 8192;
void kbd_hit_append(int32_t value);
void kbd_hit_clear();

// The BIOS buffer: false when full (the key is lost).
bool kbd_queue_add(uint8_t character, uint8_t scan);
void kbd_queue_clear();
bool kbd_queue_slot_valid(int32_t offset);

// The keyboard controller's output.
constexpr int32_t SCAN_BUFFER_SIZE = 256;
void kbd_scan_append(uint8_t code);
void kbd_scan_clear();

// The key-hit value of a key code: keypad keys read as their character or navigation key.
int32_t kbd_hit_value(int32_t code);
// The key_table record of a character, extended or keypad code; -1 for other codes.
int32_t kbd_record_of(int32_t code);
// The make code of modifier and lock keys (no key_table record); 0 for other codes.
int32_t kbd_modifier_make(int32_t code);
