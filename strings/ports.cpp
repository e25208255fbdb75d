// Emulated I/O ports: INP, OUT and WAIT on the keyboard controller (0x60), the
// palette DAC (0x3C7..0x3C9) and the retrace status (0x3DA).
#include "core/core.h"
#include "errors/errors.h"
#include "input/input.h"
#include "platform/clock.h"
#include "screen/screen.h"
#include "strings/strings.h"

#include <cmath>

std::atomic<uint8_t> retrace_now{0};
std::atomic<uint8_t> retrace_latch{0};
uint8_t port_unsupported = 0;
uint8_t dac_read_index = 0, dac_write_index = 0;
static int32_t dac_read_component = 0, dac_write_component = 0;  // 0 red, 1 green, 2 blue

constexpr int32_t PORT_KEYBOARD = 0x60;
constexpr int32_t PORT_DAC_READ_INDEX = 0x3C7;
constexpr int32_t PORT_DAC_WRITE_INDEX = 0x3C8;
constexpr int32_t PORT_DAC_DATA = 0x3C9;
constexpr int32_t PORT_RETRACE_STATUS = 0x3DA;

static bool port_in_range(int32_t port) {
  if (port >= -65536 && port <= 65535) return true;
  err_raise(6);
  return false;
}

static int32_t port_number(int32_t port) { return port & 0xFFFF; }  // modulo 65536

// Palette entries hold 0x00RRGGBB; component 0 is red at bits 16..23.
static int32_t component_shift(int32_t component) { return 16 - 8 * component; }

static uint32_t *current_palette() { return dest_image ? dest_image->palette : nullptr; }

// The DAC speaks 6-bit components; the palette keeps 8 bits.
static int32_t to_six_bits(uint32_t eight) {
  return int32_t(std::nearbyint(double(eight) / 3.984376 - 0.4999999));
}
static uint32_t to_eight_bits(int32_t value) {
  return uint32_t(std::nearbyint(double(value & 63) * 4.0634918 - 0.4999999));
}

static void advance(int32_t *component, uint8_t *index) {
  if (++*component == 3) {
    *component = 0;
    ++*index;  // wraps at 256
  }
}

static int32_t read_dac_data() {
  const uint32_t *palette = current_palette();
  int32_t value = 0;
  if (palette) value = to_six_bits((palette[dac_read_index] >> component_shift(dac_read_component)) & 0xFF);
  advance(&dac_read_component, &dac_read_index);
  return value;
}

static void write_dac_data(int32_t value) {
  uint32_t *palette = current_palette();
  if (palette) {
    int32_t shift = component_shift(dac_write_component);
    uint32_t entry = palette[dac_write_index] & ~(uint32_t(0xFF) << shift);
    palette[dac_write_index] = entry | (to_eight_bits(value) << shift);
  }
  advance(&dac_write_component, &dac_write_index);
}

static int32_t read_retrace_status() {
  bool in_retrace = retrace_now.load(std::memory_order_relaxed) ||
                    retrace_latch.load(std::memory_order_relaxed);
  retrace_latch.store(0, std::memory_order_relaxed);
  return in_retrace ? 8 : 0;
}

int32_t rt_inp(int32_t port) {
  if (err_pending()) return 0;
  if (!port_in_range(port)) return 0;
  switch (port_number(port)) {
    case PORT_KEYBOARD: return kbd_read_scan_code();
    case PORT_DAC_DATA: return read_dac_data();
    case PORT_RETRACE_STATUS: return read_retrace_status();
    default: port_unsupported = 1; return 0;
  }
}

void rt_out(int32_t port, int32_t value) {
  if (err_pending()) return;
  port_unsupported = 0;
  if (!port_in_range(port)) return;
  switch (port_number(port)) {
    case PORT_DAC_READ_INDEX:
      dac_read_index = uint8_t(value);
      dac_read_component = 0;
      return;
    case PORT_DAC_WRITE_INDEX:
      dac_write_index = uint8_t(value);
      dac_write_component = 0;
      return;
    case PORT_DAC_DATA: write_dac_data(value); return;
    default: port_unsupported = 1; return;
  }
}

static bool mask_in_range(int32_t mask) {
  if (mask >= -32768 && mask <= 65535) return true;
  err_raise(6);
  return false;
}

void rt_wait(int32_t port, int32_t and_mask, int32_t xor_mask, bool xor_given) {
  if (err_pending()) return;
  if (!port_in_range(port) || !mask_in_range(and_mask) || (xor_given && !mask_in_range(xor_mask))) return;
  const int32_t flip = xor_given ? (xor_mask & 0xFF) : 0;
  port_unsupported = 0;
  for (;;) {
    int32_t value = rt_inp(port);
    if (port_unsupported || err_pending()) return;
    if (((value ^ flip) & and_mask & 0xFF) != 0) return;
    if (exit_in_progress.load(std::memory_order_relaxed)) return;
    plat_sleep_ms(1);
  }
}
