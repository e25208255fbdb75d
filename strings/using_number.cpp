// PRINT USING number formatting: the layout of a fixed or exponent field for a
// digit form, rounding once at the last printed digit, and the field's characters.
#include "strings/print_using_private.h"

namespace {

struct Layout {
  int32_t integer_places;   // I after the sign and comma adjustments
  int32_t fraction_places;  // F
  int32_t width;            // W: places left of the point, commas included (fixed)
  int32_t integer_digits;   // N = count + exponent (fixed)
  int32_t exponent;         // the digit form's exponent, after the zero shift
  int64_t printed_exponent;
  int32_t exponent_digits;  // E, widened when the exponent needs more
  bool point;
  bool sign_reserved;
  bool sign_prints_zero;    // exponent field: the given-back sign position shows 0
  bool sign_given_back;     // exponent field: the sign position holds a digit
  bool overflow;
};

}  // namespace

static bool is_zero(const DigitForm *v) { return v->count == 1 && v->digits[0] == '0'; }

static bool has_trailing_sign(const NumericField *f) {
  return f->trailing_plus || f->trailing_minus;
}

static int32_t decimal_width(int64_t v) {
  int32_t n = 1;
  for (; v >= 10; v /= 10) n++;
  return n;
}

// A zero written as one integer digit moves right of the point when there is no
// integer place for it.
static void shift_lone_zero(const DigitForm *v, Layout *L) {
  if (is_zero(v) && v->count + L->exponent == 1 && L->integer_places == 0) L->exponent--;
}

static void layout_exponent(const NumericField *f, const DigitForm *v, Layout *L) {
  L->sign_reserved = !f->leading_plus && !has_trailing_sign(f);
  if (L->sign_reserved) {
    if (L->integer_places > 0) {
      L->integer_places--;
    } else {
      L->fraction_places--;
      if (L->fraction_places <= 0 && L->point) {
        L->fraction_places = 0;
        L->point = false;
        L->integer_places = 1;
      }
    }
  }
  shift_lone_zero(v, L);
  if (L->sign_reserved && !v->negative && L->integer_places <= 0) {
    L->integer_places++;
    L->sign_given_back = true;
    if (L->integer_places == 1 && L->fraction_places > 0) {
      L->integer_places = 0;
      L->sign_given_back = false;
      L->sign_prints_zero = true;
    }
  }
  if (L->integer_places == 0 && L->fraction_places == 0) {
    L->overflow = true;
    L->integer_places = 1;
  }
  L->printed_exponent = (int64_t(v->count) + L->exponent - 1) - (L->integer_places - 1);
  int64_t magnitude = L->printed_exponent < 0 ? -L->printed_exponent : L->printed_exponent;
  int32_t needed = decimal_width(magnitude);
  if (needed > L->exponent_digits) {
    L->overflow = true;
    L->exponent_digits = needed;
  }
}

static void layout_fixed(const NumericField *f, const DigitForm *v, Layout *L) {
  L->sign_reserved = !f->leading_plus && !has_trailing_sign(f) && v->negative;
  if (L->sign_reserved) L->integer_places--;
  L->width = L->integer_places;
  if (f->comma) L->integer_places -= L->integer_places / 4;
  shift_lone_zero(v, L);
  L->integer_digits = v->count + L->exponent;
  if (L->integer_places < L->integer_digits) {
    L->overflow = true;
    L->integer_places = L->integer_digits;
    L->width = f->comma ? L->integer_places + (L->integer_places - 1) / 3 : L->integer_places;
  }
}

static void layout_field(const NumericField *f, const DigitForm *v, Layout *L) {
  *L = Layout{};
  L->integer_places = f->integer_places;
  L->fraction_places = f->fraction_places;
  L->point = f->point;
  L->exponent = v->exponent;
  L->exponent_digits = f->exponent_digits;
  if (f->exponent_digits > 0) {
    layout_exponent(f, v, L);
  } else {
    layout_fixed(f, v, L);
  }
}

// Index in the digit string of the first digit not printed; negative when that
// place lies before the string.
static int32_t first_unprinted(const NumericField *f, const Layout &L) {
  if (f->exponent_digits > 0) return L.integer_places + L.fraction_places;
  return L.integer_digits + L.fraction_places;
}

// Keeps `keep` digits and adds one unit to the last, half away from zero.
static void round_up_at(DigitForm *v, int32_t keep) {
  v->exponent += v->count - keep;
  v->count = keep;
  int32_t i = keep - 1;
  while (i >= 0 && v->digits[i] == '9') v->digits[i--] = '0';
  if (i >= 0) {
    v->digits[i]++;
    return;
  }
  v->digits[0] = '1';
  v->exponent += keep;
  v->count = 1;
}

namespace {

struct DigitReader {
  const DigitForm *value;
  int32_t next;
};

}  // namespace

static char next_digit(DigitReader *r) {
  int32_t i = r->next++;
  return i < r->value->count ? r->value->digits[i] : '0';
}

static void put_exponent_field(const NumericField *f, const Layout &L, const DigitForm *v,
                               char letter, UsingBuffer *out) {
  if (f->dollar) using_put(out, '$');
  if (L.sign_reserved) {
    if (v->negative) {
      using_put(out, '-');
    } else if (L.sign_prints_zero) {
      using_put(out, '0');
    } else if (!L.sign_given_back) {
      using_put(out, ' ');
    }
  }
  DigitReader reader{v, 0};
  for (int32_t i = 0; i < L.integer_places; i++) using_put(out, next_digit(&reader));
  if (L.point) using_put(out, '.');
  for (int32_t i = 0; i < L.fraction_places; i++) using_put(out, next_digit(&reader));
  using_put(out, letter);
  using_put(out, L.printed_exponent < 0 ? '-' : '+');
  int64_t magnitude = L.printed_exponent < 0 ? -L.printed_exponent : L.printed_exponent;
  char text[24];
  int32_t n = 0;
  for (; n < L.exponent_digits; n++, magnitude /= 10) text[n] = char('0' + magnitude % 10);
  while (n > 0) using_put(out, text[--n]);
}

static void put_fixed_field(const NumericField *f, const Layout &L, const DigitForm *v,
                            UsingBuffer *out) {
  int32_t n = L.integer_digits;
  int32_t places = f->comma ? n + (n - 1) / 3 : n;
  if (places < 0) places = 0;
  int32_t padding = L.width - places;
  if (padding < 0) padding = 0;
  bool leading_zero = places == 0 && padding > 0;
  if (leading_zero) padding--;
  for (int32_t i = 0; i < padding; i++) using_put(out, f->asterisk_fill ? '*' : ' ');
  if (L.sign_reserved) using_put(out, '-');
  if (f->dollar) using_put(out, '$');
  if (leading_zero) using_put(out, '0');
  DigitReader reader{v, 0};
  for (int32_t distance = places; distance >= 1; distance--) {
    bool comma_place = f->comma && distance % 4 == 0;
    using_put(out, comma_place ? ',' : next_digit(&reader));
  }
  if (L.point) using_put(out, '.');
  for (int32_t i = 0; i < L.fraction_places; i++) {
    using_put(out, n < 0 && i < -n ? '0' : next_digit(&reader));
  }
}

void using_format_number(const NumericField *field, DigitForm *value, char exponent_letter,
                         UsingBuffer *out) {
  Layout L;
  layout_field(field, value, &L);
  int32_t next = first_unprinted(field, L);
  if (next >= 0 && next < value->count && value->digits[next] >= '5') {
    round_up_at(value, next);
    layout_field(field, value, &L);
  }
  if (L.overflow) using_put(out, '%');
  if (field->leading_plus) using_put(out, value->negative ? '-' : '+');
  if (field->exponent_digits > 0) {
    put_exponent_field(field, L, value, exponent_letter, out);
  } else {
    put_fixed_field(field, L, value, out);
  }
  if (field->trailing_plus) using_put(out, value->negative ? '-' : '+');
  if (field->trailing_minus) using_put(out, value->negative ? '-' : ' ');
}
