// String functions and comparisons: clamping, errors and the reuse of arguments.
#include "fixture.h"
#include "string_test_support.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

// ---- Comparisons ---------------------------------------------------------------------

struct CompareCase {
  std::string a, b;
  int order;  // sign of a against b
};

TEST(StringCompare, SixOperatorsFollowUnsignedByteOrderThenLength) {
  rt_test_init();
  const CompareCase cases[] = {
      {"", "", 0},           {"", "A", -1},          {"A", "", 1},
      {"AB", "ABC", -1},     {"ABC", "AB", 1},       {"ABC", "ABC", 0},
      {"a", "Z", 1},         {"\xC8", "z", 1},       {"\x80", "\x7F", 1},
      {"A\0B"s, "A\0C"s, -1}, {"A\0"s, "A"s, 1},     {"\0"s, ""s, 1},
      {"A\0B"s, "A\0B"s, 0}, {"B", "ABCDEF", 1},     {"\xFF\xFF", "\xFF\xFE\xFF", 1},
  };
  for (const CompareCase &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b));
    RtString *a = make_variable(c.a), *b = make_variable(c.b);
    EXPECT_EQ(rtstr_equal(a, b), c.order == 0 ? -1 : 0);
    EXPECT_EQ(rtstr_not_equal(a, b), c.order != 0 ? -1 : 0);
    EXPECT_EQ(rtstr_less(a, b), c.order < 0 ? -1 : 0);
    EXPECT_EQ(rtstr_greater(a, b), c.order > 0 ? -1 : 0);
    EXPECT_EQ(rtstr_less_equal(a, b), c.order <= 0 ? -1 : 0);
    EXPECT_EQ(rtstr_greater_equal(a, b), c.order >= 0 ? -1 : 0);
    EXPECT_EQ(bytes_of(a), c.a);  // comparisons only read
  }
}

// ---- LEFT$, RIGHT$, MID$ ---------------------------------------------------------------

enum class Slice { Left, Right, Mid, MidToEnd };

struct SliceCase {
  Slice kind;
  std::string s;
  int32_t a, b;  // n for LEFT$/RIGHT$; start and n for MID$
  std::string expected;
};

static RtString *apply(const SliceCase &c, RtString *s) {
  switch (c.kind) {
    case Slice::Left: return rtstr_left(s, c.a);
    case Slice::Right: return rtstr_right(s, c.a);
    case Slice::Mid: return rtstr_mid(s, c.a, c.b, true);
    case Slice::MidToEnd: return rtstr_mid(s, c.a, 0, false);
  }
  return nullptr;
}

static const SliceCase slice_cases[] = {
    {Slice::Left, "HELLO", -3, 0, ""},         {Slice::Left, "HELLO", 0, 0, ""},
    {Slice::Left, "HELLO", 2, 0, "HE"},        {Slice::Left, "HELLO", 5, 0, "HELLO"},
    {Slice::Left, "HELLO", 99, 0, "HELLO"},    {Slice::Left, "", 3, 0, ""},
    {Slice::Right, "HELLO", -1, 0, ""},        {Slice::Right, "HELLO", 0, 0, ""},
    {Slice::Right, "HELLO", 2, 0, "LO"},       {Slice::Right, "HELLO", 99, 0, "HELLO"},
    {Slice::Mid, "HELLO", 0, 3, "HE"},         {Slice::Mid, "HELLO", 2, 0, ""},
    {Slice::Mid, "HELLO", 2, 3, "ELL"},        {Slice::Mid, "HELLO", 4, 99, "LO"},
    {Slice::Mid, "HELLO", 9, 2, ""},           {Slice::Mid, "HELLO", -5, 7, "H"},
    {Slice::Mid, "HELLO", -5, 6, ""},          {Slice::Mid, "HELLO", 1, 5, "HELLO"},
    {Slice::Mid, "HELLO", 2, INT32_MAX, "ELLO"}, {Slice::Mid, "HELLO", INT32_MIN, INT32_MAX, ""},
    {Slice::MidToEnd, "HELLO", 4, 0, "LO"},    {Slice::MidToEnd, "HELLO", 9, 0, ""},
    {Slice::MidToEnd, "HELLO", -7, 0, "HELLO"}, {Slice::MidToEnd, "HELLO", 5, 0, "O"},
    {Slice::MidToEnd, "HELLO", 6, 0, ""},
};

TEST(StringSlices, ClampingOnAVariableLeavesTheVariableAlone) {
  rt_test_init();
  for (const SliceCase &c : slice_cases) {
    SCOPED_TRACE(c.s + " " + std::to_string(c.a) + "," + std::to_string(c.b));
    RtString *v = make_variable(c.s);
    RtString *r = apply(c, v);
    EXPECT_EQ(bytes_of(r), c.expected);
    EXPECT_EQ(bytes_of(v), c.s);
    if (c.expected.size() == c.s.size())
      EXPECT_EQ(r, v);  // the whole text: the argument itself
    else
      EXPECT_TRUE(r != v && r->is_temporary);
    EXPECT_EQ(pending_error.load(), 0u);
  }
}

TEST(StringSlices, ADisposableArgumentIsCutInPlace) {
  rt_test_init();
  for (const SliceCase &c : slice_cases) {
    SCOPED_TRACE(c.s + " " + std::to_string(c.a) + "," + std::to_string(c.b));
    uint32_t temps = temp_count;
    RtString *t = make_temp(c.s);
    RtString *r = apply(c, t);
    EXPECT_EQ(r, t);
    EXPECT_EQ(bytes_of(r), c.expected);
    EXPECT_EQ(temp_count, temps + 1);  // nothing new was made
    rtstr_release_temps(temps, 0);
  }
}

TEST(StringSlices, AConstantArgumentIsCopiedAndItsBytesStayIntact) {
  rt_test_init();
  static const char text[] = "CONSTANT";
  RtString *r = rtstr_right(rtstr_from_cstr(text), 3);
  EXPECT_EQ(bytes_of(r), "ANT");
  EXPECT_TRUE(r->is_temporary && !r->is_read_only);
  EXPECT_STREQ(text, "CONSTANT");
}

// ---- MID$ statement --------------------------------------------------------------------

struct MidAssignCase {
  int32_t start, n;
  bool n_given;
  std::string r, expected;
};

TEST(MidAssign, OverwritesWithoutChangingTheLength) {
  rt_test_init();
  const MidAssignCase cases[] = {
      {0, 0, false, "XYZ", "YZLLO"},   {4, 0, false, "XYZ", "HELXY"},
      {6, 0, false, "XYZ", "HELLO"},   {1, 0, false, "ABCDEFGH", "ABCDE"},
      {2, 2, true, "XYZ", "HXYLO"},    {2, 0, true, "XYZ", "HELLO"},
      {2, 9, true, "X", "HXLLO"},      {-2, 0, false, "XYZ", "HELLO"},
      {-1, 5, true, "ABCD", "CDLLO"},  {5, 1, true, "", "HELLO"},
      {INT32_MIN, INT32_MAX, true, "XYZ", "HELLO"}, {3, INT32_MAX, true, "XYZ", "HEXYZ"},
  };
  for (const MidAssignCase &c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + "," + std::to_string(c.n) + " " + c.r);
    RtString *d = make_variable("HELLO");
    RtString *r = make_variable(c.r);
    rtstr_mid_assign(d, c.start, c.n, r, c.n_given);
    EXPECT_EQ(bytes_of(d), c.expected);
    EXPECT_EQ(bytes_of(r), c.r);
  }
}

TEST(MidAssign, SameStringOverlapNullStringAndPendingError) {
  rt_test_init();
  RtString *a = make_variable("HELLO");
  rtstr_mid_assign(a, 2, 0, a, false);
  EXPECT_EQ(bytes_of(a), "HHELL");
  RtString *b = make_variable("ABCDE");
  rtstr_mid_assign(b, 1, 0, rtstr_right(b, 4), false);  // a copy: the variable is not cut
  EXPECT_EQ(bytes_of(b), "BCDEE");

  rtstr_mid_assign(null_string, 1, 0, make_variable("X"), false);
  EXPECT_EQ(null_string->length, 0);

  err_raise(5);
  rtstr_mid_assign(a, 1, 0, make_variable("ZZ"), false);
  EXPECT_EQ(bytes_of(a), "HHELL");
}

// ---- INSTR ------------------------------------------------------------------------------

struct InstrCase {
  int32_t start;
  bool start_given;
  std::string s, t;
  int32_t expected;
};

TEST(Instr, StartAndEmptySearchRules) {
  rt_test_init();
  const InstrCase cases[] = {
      {0, false, "HELLO", "", 1},       {3, true, "HELLO", "", 3},
      {5, true, "HELLO", "", 5},        {6, true, "HELLO", "", 0},
      {9, true, "HELLO", "", 0},        {0, true, "HELLO", "", 0},
      {0, true, "HELLO", "L", 3},       {-9, true, "HELLO", "L", 3},
      {0, false, "", "", 0},            {0, false, "", "A", 0},
      {0, false, "HELLO", "LOX", 0},    {0, false, "HELLO", "LO", 4},
      {4, true, "HELLO", "L", 4},       {5, true, "HELLO", "L", 0},
      {0, false, "HELLO", "HELLO!", 0}, {2, true, "HELLO", "HELLO", 0},
      {0, false, "AAAB", "AAB", 2},     {0, false, "X\0Y\0Z"s, "\0Z"s, 4},
      {0, false, "abc\xE9", "\xE9", 4}, {INT32_MAX, true, "HELLO", "O", 0},
      {0, false, "ABABABAC", "ABAC", 5},
  };
  for (const InstrCase &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.s) + " / " + testing::PrintToString(c.t) + " from " +
                 std::to_string(c.start));
    EXPECT_EQ(rtstr_instr(c.start, make_variable(c.s), make_variable(c.t), c.start_given), c.expected);
  }
}

// ---- Case and trimming --------------------------------------------------------------------

enum class Change { Upper, Lower, TrimLeft, TrimRight };

struct ChangeCase {
  Change kind;
  std::string s, expected;
};

static RtString *apply(Change kind, RtString *s) {
  switch (kind) {
    case Change::Upper: return rtstr_ucase(s);
    case Change::Lower: return rtstr_lcase(s);
    case Change::TrimLeft: return rtstr_ltrim(s);
    case Change::TrimRight: return rtstr_rtrim(s);
  }
  return nullptr;
}

TEST(CaseAndTrim, BytesChangedAndArgumentsReused) {
  rt_test_init();
  const ChangeCase cases[] = {
      {Change::Upper, "abc", "ABC"},          {Change::Upper, "ABC", "ABC"},
      {Change::Upper, "a\xE4z{`@", "A\xE4Z{`@"}, {Change::Upper, "", ""},
      {Change::Lower, "AbC", "abc"},          {Change::Lower, "[\xC4Z@", "[\xC4z@"},
      {Change::TrimLeft, "   ", ""},          {Change::TrimLeft, "  A B ", "A B "},
      {Change::TrimLeft, "\tA", "\tA"},       {Change::TrimLeft, "A", "A"},
      {Change::TrimRight, "   ", ""},         {Change::TrimRight, " A B  ", " A B"},
      {Change::TrimRight, "A\t", "A\t"},      {Change::TrimRight, "", ""},
  };
  for (const ChangeCase &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.s));
    RtString *v = make_variable(c.s);
    RtString *from_variable = apply(c.kind, v);
    EXPECT_EQ(bytes_of(from_variable), c.expected);
    EXPECT_EQ(bytes_of(v), c.s);
    EXPECT_EQ(from_variable == v, c.expected == c.s);  // no change: the variable itself

    RtString *t = make_temp(c.s);
    RtString *from_temp = apply(c.kind, t);
    EXPECT_EQ(from_temp, t);
    EXPECT_EQ(bytes_of(from_temp), c.expected);
  }
}

// ---- Building strings, ASC, LEN -------------------------------------------------------------

TEST(BuildAndAsc, CountsCodesAndErrors) {
  rt_test_init();
  EXPECT_EQ(bytes_of(rtstr_space(3)), "   ");
  EXPECT_EQ(bytes_of(rtstr_space(-1)), "");
  EXPECT_EQ(bytes_of(rtstr_repeat(3, 65 + 256)), "AAA");  // low 8 bits, no range test
  EXPECT_EQ(bytes_of(rtstr_repeat(2, -1)), "\xFF\xFF");
  EXPECT_EQ(bytes_of(rtstr_repeat(-5, 65)), "");
  EXPECT_EQ(bytes_of(rtstr_chr(0)), "\0"s);
  EXPECT_EQ(bytes_of(rtstr_chr(255)), "\xFF");
  EXPECT_EQ(take_error(), 0u);

  for (int32_t code : {256, -1}) {
    RtString *r = rtstr_chr(code);
    EXPECT_EQ(r->length, 0);
    EXPECT_TRUE(r->is_temporary);
    EXPECT_EQ(take_error(), 5u);
  }

  RtString *s = make_variable("A\xC8");
  EXPECT_EQ(rtstr_asc(s), 65);
  EXPECT_EQ(rtstr_asc(s, 2), 200);
  EXPECT_EQ(rtstr_len(s), 2);
  struct { RtString *s; int32_t position; } bad[] = {{make_variable(""), 1}, {s, 0}, {s, 3}, {s, -1}};
  for (auto &b : bad) {
    EXPECT_EQ(rtstr_asc(b.s, b.position), 0);
    EXPECT_EQ(take_error(), 5u);
  }
}

TEST(BuildAndAsc, FunctionsReturnTheirFallbackWhileAnErrorIsPending) {
  rt_test_init();
  RtString *v = make_variable("abc");
  err_raise(5);
  EXPECT_EQ(rtstr_ucase(v), v);
  EXPECT_EQ(bytes_of(v), "abc");
  EXPECT_EQ(rtstr_space(4)->length, 0);
  EXPECT_EQ(rtstr_len(v), 0);
  EXPECT_EQ(rtstr_equal(v, v), 0);
}

// ---- LSET and RSET ---------------------------------------------------------------------------

TEST(LsetRset, PadOrCutToTheFixedLength) {
  rt_test_init();
  struct { bool right; std::string r, expected; } cases[] = {
      {false, "AB", "AB   "}, {false, "ABCDEFG", "ABCDE"}, {false, "", "     "},
      {true, "AB", "   AB"},  {true, "ABCDEFG", "ABCDE"},  {true, "ABCDE", "ABCDE"},
  };
  for (auto &c : cases) {
    char storage[5] = {'x', 'x', 'x', 'x', 'x'};
    RtString *d = rtstr_wrap_fixed(storage, 5, false);
    c.right ? rtstr_rset(d, make_variable(c.r)) : rtstr_lset(d, make_variable(c.r));
    EXPECT_EQ(std::string(storage, 5), c.expected);
    EXPECT_EQ(d->length, 5);
  }
}

static RtString *stored_field = nullptr;
static void record_field_store(RtString *s) { stored_field = s; }

TEST(LsetRset, AFieldStringIsHandedToTheFileSubsystem) {
  rt_test_init();
  char storage[4];
  RtString *d = rtstr_wrap_fixed(storage, 4, false);
  field_store_handler = record_field_store;
  rtstr_lset(d, make_variable("Z"));
  EXPECT_EQ(stored_field, nullptr);  // not bound: nothing to copy
  d->field_binding = reinterpret_cast<FieldBinding *>(storage);  // any non-null marker
  rtstr_rset(d, make_variable("Z"));
  EXPECT_EQ(stored_field, d);
  d->field_binding = nullptr;
  field_store_handler = nullptr;
}
