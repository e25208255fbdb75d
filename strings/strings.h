// Strings and numbers: string descriptors and string memory, temporaries, conventional
// memory with PEEK/POKE, string functions, number text, PRINT USING, numeric built-ins.
#pragma once

#include <cstddef>
#include <cstdint>

// ==== String values and temporary strings ==========================================

struct FieldBinding;

// The descriptor of every BASIC string. Texts are counted and may hold any byte.
struct RtString {
  uint8_t *bytes;
  int32_t length;
  uint8_t in_low_memory;         // bytes live in the low string area
  uint8_t *low_descriptor;       // 4-byte record in the data segment (length, offset), or null
  int32_t low_descriptor_offset;
  int32_t list_slot;             // entry in string_list or low_string_list
  uint8_t is_temporary;
  int32_t temp_slot;             // entry in temp_list; 0 none
  uint8_t is_fixed;              // fixed length over storage it does not own
  uint8_t is_read_only;          // bytes of a constant text
  FieldBinding *field_binding;   // FIELD binding, null for other strings
};

// Temporary, and none of fixed, read-only, low: its consumer may change it in place.
inline bool rtstr_is_disposable(const RtString *s) {
  return s->is_temporary && !s->is_fixed && !s->is_read_only && !s->in_low_memory;
}

extern uint32_t temp_count;      // used slots of temp_list; a statement's mark
extern RtString *null_string;    // permanent empty low string
extern RtString *space_string;   // permanent one-byte low string " "

RtString *rtstr_new(uint32_t length, bool temporary);
RtString *rtstr_new_low(uint32_t length, bool temporary);
RtString *rtstr_from_cstr(const char *text);
RtString *rtstr_from_bytes(const void *text, int32_t length);
RtString *rtstr_wrap_fixed(void *address, int32_t length, bool temporary);
RtString *rtstr_make_temporary(RtString *s);
RtString *rtstr_assign(RtString *dest, RtString *src);
RtString *rtstr_concat(RtString *left, RtString *right);
void rtstr_free(RtString *s);
int32_t rtstr_release_temps(uint32_t mark, int32_t value);

// Builds the string memory and conventional memory (start-up; idempotent).
void rtstr_init();

void *rt_scratch_alloc(size_t n);
void rt_scratch_release(void *position);
void *rt_scratch_position();

// A procedure saves the top of the low descriptor records on entry and restores it
// on exit, which gives back the records of its low strings.
int32_t rtstr_low_top();
void rtstr_restore_low_top(int32_t saved);

// Set by the file subsystem: removes a string from its file's FIELD list and frees
// the binding record. rtstr_free calls it for a string with a field_binding.
using RtFieldUnbind = void (*)(RtString *s);
extern RtFieldUnbind field_unbind_handler;

// ==== Conventional memory ==========================================================

constexpr int32_t CONVENTIONAL_MEMORY_SIZE = 1114099;
constexpr int32_t DATA_SEGMENT = 80;                 // segment of the data segment
constexpr int32_t DATA_SEGMENT_START = DATA_SEGMENT * 16;
constexpr int32_t DATA_SEGMENT_END = DATA_SEGMENT_START + 65536;  // first byte after it

extern uint8_t *conventional_memory;
extern uint8_t *current_segment;     // base address of PEEK and POKE

void rt_def_seg(int32_t segment, bool given);
int32_t rt_peek(int32_t offset);
void rt_poke(int32_t offset, int32_t value);
uint8_t *rt_low_block_alloc(int32_t n);
void rt_low_block_free(uint8_t *p);

// ==== String functions ===============================================================
// Truth values are -1 and 0. Functions that return a string consume a temporary
// argument (a disposable one is changed in place and returned); the others only read.

int32_t rtstr_equal(RtString *a, RtString *b);
int32_t rtstr_not_equal(RtString *a, RtString *b);
int32_t rtstr_less(RtString *a, RtString *b);
int32_t rtstr_greater(RtString *a, RtString *b);
int32_t rtstr_less_equal(RtString *a, RtString *b);
int32_t rtstr_greater_equal(RtString *a, RtString *b);

RtString *rtstr_left(RtString *s, int32_t n);
RtString *rtstr_right(RtString *s, int32_t n);
RtString *rtstr_mid(RtString *s, int32_t start, int32_t n, bool n_given);
void rtstr_mid_assign(RtString *d, int32_t start, int32_t n, RtString *r, bool n_given);
int32_t rtstr_instr(int32_t start, RtString *s, RtString *t, bool start_given);
RtString *rtstr_ucase(RtString *s);
RtString *rtstr_lcase(RtString *s);
RtString *rtstr_ltrim(RtString *s);
RtString *rtstr_rtrim(RtString *s);
RtString *rtstr_space(int32_t n);
RtString *rtstr_repeat(int32_t n, int32_t code);  // STRING$
RtString *rtstr_chr(int32_t code);
int32_t rtstr_asc(RtString *s);
int32_t rtstr_asc(RtString *s, int32_t position);
int32_t rtstr_len(RtString *s);
void rtstr_lset(RtString *d, RtString *r);
void rtstr_rset(RtString *d, RtString *r);

// Set by the file subsystem: copies a FIELD string into its file's record buffer.
// LSET and RSET call it for a destination with a field_binding.
using RtFieldStore = void (*)(RtString *s);
extern RtFieldStore field_store_handler;

// Memory images of numbers, little-endian. Unpacking a string shorter than the
// image raises error 5 and gives 0; a failed pack gives an empty temporary.
RtString *rtstr_mk_i8(int8_t v);
RtString *rtstr_mk_u8(uint8_t v);
RtString *rtstr_mk_i16(int16_t v);    // MKI$
RtString *rtstr_mk_u16(uint16_t v);
RtString *rtstr_mk_i32(int32_t v);    // MKL$
RtString *rtstr_mk_u32(uint32_t v);
RtString *rtstr_mk_i64(int64_t v);
RtString *rtstr_mk_u64(uint64_t v);
RtString *rtstr_mk_single(float v);   // MKS$
RtString *rtstr_mk_double(double v);  // MKD$
RtString *rtstr_mk_extended(long double v);  // 10 bytes of x87 value, 22 zero bytes
RtString *rtstr_mk_bits(uint64_t v, int32_t bits);  // (bits + 7) / 8 bytes, bits 1..64
int8_t rtstr_cv_i8(RtString *s);
uint8_t rtstr_cv_u8(RtString *s);
int16_t rtstr_cv_i16(RtString *s);    // CVI
uint16_t rtstr_cv_u16(RtString *s);
int32_t rtstr_cv_i32(RtString *s);    // CVL
uint32_t rtstr_cv_u32(RtString *s);
int64_t rtstr_cv_i64(RtString *s);
uint64_t rtstr_cv_u64(RtString *s);
float rtstr_cv_single(RtString *s);   // CVS
double rtstr_cv_double(RtString *s);  // CVD
long double rtstr_cv_extended(RtString *s);
uint64_t rtstr_cv_ubits(RtString *s, int32_t bits);
int64_t rtstr_cv_sbits(RtString *s, int32_t bits);  // bit bits-1 extended as the sign
RtString *rtstr_mk_mbf32(float v);    // MKSMBF$
float rtstr_cv_mbf32(RtString *s);    // CVSMBF
RtString *rtstr_mk_mbf64(double v);   // MKDMBF$
double rtstr_cv_mbf64(RtString *s);   // CVDMBF

// TAB and SPC: the text for a destination of the given line width (0: unlimited, a
// file) and current column, both counted in character cells or space widths.
struct TabDestination {
  int32_t width;
  int32_t column;
  bool to_file;  // line breaks are CR LF
};
RtString *rtstr_tab_text(int32_t n, const TabDestination &dest);
RtString *rtstr_spc_text(int32_t n, const TabDestination &dest);

// ==== Numeric built-ins ==============================================================

#include <atomic>

extern uint32_t rnd_seed;        // 24-bit generator state
extern uint32_t rnd_start_seed;  // RANDOMIZE USING takes its low byte
extern double limit_last;        // rt_clock_ms of the limiter's last release, 0 before

float num_rnd(float x, bool x_given);
void num_randomize(double seed, int32_t kind);  // kind 1 seed, 3 USING, other: ask

long double num_timer(double accuracy, bool accuracy_given);
// TIMER at a given time of day in ms (exposed for tests); num_ms_of_day is the clock's.
long double num_timer_at(uint32_t ms_of_day, double accuracy, bool accuracy_given);
uint32_t num_ms_of_day();
RtString *rt_date();  // "MM-DD-YYYY"
RtString *rt_time();  // "HH:MM:SS"
void rt_date_set(RtString *text);  // DATE$ = and TIME$ = have no effect
void rt_time_set(RtString *text);

void num_delay(double seconds);
void num_limit(double rate);

long double num_log(double x);
long double num_exp_single(float x);
long double num_exp(double x);
long double num_exp(long double x);
long double num_fix(double x);
long double num_fix(long double x);
int32_t num_round_int(float x);
int32_t num_round_int(double x);
int64_t num_round_int(long double x);

RtString *num_hex(int64_t v, int32_t width_digits);  // width 2, 4, 8 or 16
RtString *num_oct(int64_t v, int32_t width_bits);    // width 8, 16, 32 or 64
RtString *num_hex_float(long double x);
RtString *num_oct_float(long double x);

// The header of a BASIC array; one ArrayDimension per dimension follows it in memory,
// the last dimension's record first.
constexpr int32_t ARRAY_ALLOCATED = 1;
struct ArrayDescriptor {
  uint8_t *data;
  int32_t second_word;
  int32_t flags;  // bit 0: allocated
  int32_t fourth_word;
};
struct ArrayDimension {
  int32_t lower_bound;
  int32_t element_count;
  int32_t third_word;
  int32_t fourth_word;
};
// An array of N dimensions laid out as the runtime reads it.
template <int N>
struct ArrayWithDimensions {
  ArrayDescriptor header;
  ArrayDimension dimensions[N];
};
inline const ArrayDimension *rt_array_dimensions(const ArrayDescriptor *a) {
  return reinterpret_cast<const ArrayDimension *>(a + 1);
}
int32_t num_lbound(const ArrayDescriptor *a, int32_t d, int32_t n);
int32_t num_ubound(const ArrayDescriptor *a, int32_t d, int32_t n);
int32_t rt_subscript_check(int32_t index_from_lower, int32_t element_count);

// Emulated I/O ports.
extern std::atomic<uint8_t> retrace_now;    // set by the housekeeping thread each round
extern std::atomic<uint8_t> retrace_latch;  // set with it; cleared by a read of 0x3DA
extern uint8_t port_unsupported;            // INP or OUT met a port that is not emulated
extern uint8_t dac_read_index, dac_write_index;
int32_t rt_inp(int32_t port);
void rt_out(int32_t port, int32_t value);
void rt_wait(int32_t port, int32_t and_mask, int32_t xor_mask, bool xor_given);

// ==== Number text and PRINT USING ====================================================
// Texts are new temporaries; the text arguments are only read, never freed.

RtString *num_str_int(int32_t v);        // 8-, 16- and 32-bit signed values
RtString *num_str_i64(int64_t v);
RtString *num_str_uint(uint32_t v);      // 8-, 16- and 32-bit unsigned values
RtString *num_str_u64(uint64_t v);
RtString *num_str_single(float v);
RtString *num_str_double(double v);
RtString *num_str_extended(long double v);  // written as the nearest double

// VAL. Error 6 for a radix literal wider than 64 bits; any other text gives a value.
long double num_val(const RtString *text);

// A number scanned from a text item (INPUT #), turned into a value by the conversions.
struct ScannedNumber {
  uint8_t kind;          // 0 decimal, 1 hexadecimal, 2 octal
  uint8_t negative;      // decimal only
  char digits[256];      // decimal: significant digits; radix: digits after leading zeros
  uint16_t digit_count;
  int64_t exponent;      // power of ten of the first digit; 0 without digits
};

constexpr int32_t NUM_SCANNED = 0;
constexpr int32_t NUM_SCAN_OVERFLOW = 1;
constexpr int32_t NUM_SCAN_NOTHING = 2;
constexpr int32_t NUM_SCAN_SYNTAX = 3;

// Scans text[*position .. end); a comma that ends the item is consumed. Returns one
// of the NUM_SCAN statuses above and leaves *position after what it took.
int32_t num_scan(const uint8_t *text, int32_t *position, int32_t end, ScannedNumber *number);
// 1 when the number fits (rounded half away from zero for the integers), else 0.
int32_t num_scanned_to_i64(const ScannedNumber *number, int64_t *value);
int32_t num_scanned_to_u64(const ScannedNumber *number, uint64_t *value);
int32_t num_scanned_to_float(const ScannedNumber *number, long double *value);

// PRINT USING: each call formats one value at format position `position` (0 for the
// first) and appends to `output` everything up to the next field; it returns that
// field's position, or 0 when the format was finished. Errors: 13 for a number meeting
// a string field or the reverse, 5 for a format without a field or a value that is
// infinite or not a number. num_using with a null value goes on with the value an
// entry below has set up.
int32_t num_using(RtString *format, int32_t position, RtString *output, RtString *value);
int32_t num_using_i64(RtString *format, int32_t position, int64_t value, RtString *output);
int32_t num_using_u64(RtString *format, int32_t position, uint64_t value, RtString *output);
int32_t num_using_single(RtString *format, int32_t position, float value, RtString *output);
int32_t num_using_double(RtString *format, int32_t position, double value, RtString *output);
int32_t num_using_extended(RtString *format, int32_t position, long double value,
                           RtString *output);
