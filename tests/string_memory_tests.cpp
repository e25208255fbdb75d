// String memory: take-over, growth in place and relocation, fixed-length assignment,
// concatenation, temporaries and their release, compaction, area growth, low strings.
#include "errors/errors.h"
#include "fixture.h"
#include "strings/string_private.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

RtString *temp_text(const std::string &text) {
  RtString *s = rtstr_new(uint32_t(text.size()), true);
  memcpy(s->bytes, text.data(), text.size());
  return s;
}

RtString *variable_with(const std::string &text) {
  RtString *v = rtstr_new(0, false);
  return rtstr_assign(v, temp_text(text));
}

std::string text_of(const RtString *s) { return std::string(reinterpret_cast<const char *>(s->bytes), size_t(s->length)); }

uint16_t low_word(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

// Every live entry of the main list holds its own slot and ascending bytes.
void expect_main_list_consistent() {
  const uint8_t *previous_end = string_area;
  for (int32_t i = 0; i < string_list.count; i++) {
    const RtString *s = string_list.entries[i];
    if (s == list_hole) continue;
    EXPECT_EQ(s->list_slot, i);
    EXPECT_GE(s->bytes, previous_end);
    previous_end = s->bytes + s->length;
    EXPECT_LE(size_t(previous_end - string_area), string_used);
  }
}

class StringMemory : public ::testing::Test {
 protected:
  void SetUp() override { rt_test_init(); }
};

}  // namespace

TEST_F(StringMemory, StartUpState) {
  EXPECT_EQ(temp_count, 1u);
  EXPECT_EQ(temp_list[0], nullptr);
  EXPECT_EQ(string_area_size, 1048576u);
  ASSERT_NE(null_string, nullptr);
  EXPECT_EQ(null_string->length, 0);
  EXPECT_TRUE(null_string->in_low_memory);
  ASSERT_EQ(space_string->length, 1);
  EXPECT_EQ(space_string->bytes[0], ' ');
  EXPECT_EQ(space_string->bytes, data_segment + LOW_AREA_START);
  EXPECT_EQ(low_top, LOW_AREA_END - 8);  // the two records
  rtstr_init();                          // a second call changes nothing
  EXPECT_EQ(low_top, LOW_AREA_END - 8);
}

TEST_F(StringMemory, AssignTakesOverTemporaryWithoutCopy) {
  uint32_t mark = temp_count;
  RtString *v = rtstr_new(0, false);
  RtString *t = temp_text("HELLO");
  uint8_t *bytes = t->bytes;
  int32_t slot = t->list_slot;
  EXPECT_EQ(rtstr_assign(v, t), v);
  EXPECT_EQ(v->bytes, bytes);
  EXPECT_EQ(text_of(v), "HELLO");
  EXPECT_EQ(v->list_slot, slot);
  EXPECT_EQ(string_list.entries[slot], v);
  EXPECT_FALSE(v->is_temporary);
  EXPECT_EQ(temp_count, mark);
  // The temporary's descriptor went back to the pool: it is the next one handed out.
  EXPECT_EQ(rtstr_new(0, false), t);
  expect_main_list_consistent();
}

TEST_F(StringMemory, MostRecentVariableGrowsInPlace) {
  RtString *v = rtstr_new(0, false);
  uint8_t *bytes = v->bytes;
  rtstr_assign(v, rtstr_from_cstr("A constant longer than thirty-two bytes of slack"));
  EXPECT_EQ(v->bytes, bytes);
  EXPECT_EQ(text_of(v), "A constant longer than thirty-two bytes of slack");
  EXPECT_EQ(string_used, size_t(v->bytes + v->length - string_area));
  EXPECT_EQ(temp_count, 1u);  // the read-only source was freed
}

TEST_F(StringMemory, OlderVariableMovesOnlyWhenItReachesTheNextString) {
  RtString *older = rtstr_new(0, false);
  RtString *next = rtstr_new(0, false);  // starts right after the older one's slack
  rtstr_assign(next, rtstr_from_cstr("NEXT"));
  uint8_t *bytes = older->bytes;
  ASSERT_EQ(next->bytes, bytes + STRING_SLACK);
  std::string fits(32, 'f');
  rtstr_assign(older, rtstr_from_bytes(fits.data(), 32));
  EXPECT_EQ(older->bytes, bytes);
  std::string too_long(33, 'x');
  rtstr_assign(older, rtstr_from_bytes(too_long.data(), 33));
  EXPECT_NE(older->bytes, bytes);
  EXPECT_GT(older->bytes, next->bytes);
  EXPECT_EQ(older->list_slot, string_list.count - 1);
  EXPECT_EQ(text_of(older), too_long);
  EXPECT_EQ(text_of(next), "NEXT");
  expect_main_list_consistent();
}

// The PRINT pattern: a fresh variable made after the temporary takes it over and
// leaves a trailing hole; growing it later stays in place and drops that hole.
TEST_F(StringMemory, GrowthOverTrailingHolesCutsTheListBack) {
  RtString *t = temp_text("abc");
  RtString *fresh = rtstr_new(0, false);
  rtstr_assign(fresh, t);
  ASSERT_EQ(string_list.entries[string_list.count - 1], list_hole);
  uint8_t *bytes = fresh->bytes;
  rtstr_assign(fresh, rtstr_from_cstr("a text long enough to pass the old slack"));
  EXPECT_EQ(fresh->bytes, bytes);
  EXPECT_EQ(fresh->list_slot, string_list.count - 1);
  EXPECT_EQ(string_used, size_t(fresh->bytes + fresh->length - string_area));
  EXPECT_EQ(text_of(fresh), "a text long enough to pass the old slack");
  expect_main_list_consistent();
}

TEST_F(StringMemory, ShorterSourceIsCopiedOverTheStart) {
  RtString *v = variable_with("LONGER TEXT");
  RtString *w = variable_with("abc");
  uint8_t *bytes = v->bytes;
  rtstr_assign(v, w);
  EXPECT_EQ(v->bytes, bytes);
  EXPECT_EQ(text_of(v), "abc");
  EXPECT_EQ(text_of(w), "abc");  // a permanent source is left alone
  EXPECT_EQ(rtstr_assign(v, v), v);
  EXPECT_EQ(text_of(v), "abc");
}

TEST_F(StringMemory, FixedLengthDestinationPadsAndCuts) {
  struct Case {
    const char *source;
    const char *expected;
  } cases[] = {{"AB", "AB   "}, {"ABCDEFG", "ABCDE"}, {"", "     "}, {"12345", "12345"}};
  for (const Case &c : cases) {
    char storage[6] = "#####";
    RtString *fixed = rtstr_wrap_fixed(storage, 5, false);
    rtstr_assign(fixed, rtstr_from_cstr(c.source));
    EXPECT_EQ(std::string(storage, 5), c.expected) << c.source;
    EXPECT_EQ(fixed->length, 5);
    EXPECT_EQ(storage[5], 0);
    rtstr_free(fixed);
  }
  EXPECT_EQ(temp_count, 1u);
}

TEST_F(StringMemory, FixedStringInsideTheDataSegmentHasALowRecord) {
  uint8_t *inside = data_segment + 1000;
  RtString *fixed = rtstr_wrap_fixed(inside, 4, false);
  ASSERT_NE(fixed->low_descriptor, nullptr);
  EXPECT_EQ(low_word(fixed->low_descriptor), 4);
  EXPECT_EQ(low_word(fixed->low_descriptor + 2), 1000);
  EXPECT_EQ(fixed->low_descriptor, data_segment + fixed->low_descriptor_offset);
  char outside[4];
  EXPECT_EQ(rtstr_wrap_fixed(outside, 4, false)->low_descriptor, nullptr);
  EXPECT_EQ(rtstr_wrap_fixed(data_segment, 4, false)->low_descriptor, nullptr);  // its first byte is not inside
  EXPECT_EQ(rtstr_wrap_fixed(inside, 4, true)->low_descriptor, nullptr);
}

TEST_F(StringMemory, ConcatEdgeCases) {
  uint32_t mark = temp_count;
  RtString *empty = rtstr_from_bytes("", 0);
  RtString *t = temp_text("tail");
  EXPECT_EQ(rtstr_concat(empty, t), t);
  EXPECT_EQ(rtstr_concat(t, empty), t);
  RtString *v = variable_with("var");
  EXPECT_EQ(rtstr_concat(v, empty), v);

  // t lies right behind the slack of left: left is extended where it lies.
  RtString *left = temp_text("left+");
  RtString *joined = rtstr_concat(left, t);
  EXPECT_EQ(joined, left);
  EXPECT_EQ(text_of(joined), "left+tail");
  EXPECT_TRUE(rtstr_is_disposable(joined));
  // Both temporaries went: only the empty constant and the result remain.
  int live = 0;
  for (uint32_t i = mark; i < temp_count; i++) live += temp_list[i] != list_hole;
  EXPECT_EQ(live, 2);
  RtString *twice = rtstr_concat(v, v);  // permanent operands are not freed
  EXPECT_EQ(text_of(twice), "varvar");
  EXPECT_EQ(text_of(v), "var");
  rtstr_release_temps(mark, 0);
  EXPECT_EQ(temp_count, mark);
  EXPECT_EQ(text_of(v), "var");
}

TEST_F(StringMemory, ConcatWithoutRoomMakesANewTemporaryAndFreesBoth) {
  uint32_t mark = temp_count;
  RtString *left = temp_text("left");
  RtString *blocker = variable_with("blocker");  // lives right behind left's slack
  RtString *right = temp_text(std::string(80, 'r'));
  RtString *joined = rtstr_concat(left, right);
  EXPECT_NE(joined, left);
  EXPECT_EQ(text_of(joined), "left" + std::string(80, 'r'));
  int live = 0;
  for (uint32_t i = mark; i < temp_count; i++) live += temp_list[i] != list_hole;
  EXPECT_EQ(live, 1);
  EXPECT_EQ(text_of(blocker), "blocker");
  // Read-only and permanent operands are never extended in place.
  RtString *constant = rtstr_from_cstr("const");
  EXPECT_NE(rtstr_concat(constant, rtstr_from_cstr("ant")), constant);
  rtstr_release_temps(mark, 0);
  EXPECT_EQ(temp_count, mark);
  expect_main_list_consistent();
}

TEST_F(StringMemory, PendingErrorMakesAssignAndConcatInert) {
  RtString *v = variable_with("keep");
  uint32_t mark = temp_count;
  pending_error.store(5);
  rtstr_assign(v, temp_text("other"));
  EXPECT_EQ(text_of(v), "keep");
  RtString *c = rtstr_concat(temp_text("a"), temp_text("b"));
  EXPECT_EQ(c->length, 0);
  rtstr_release_temps(mark, 0);  // the statement's cleanup still runs
  EXPECT_EQ(temp_count, mark);
  pending_error.store(0);
}

TEST_F(StringMemory, ReleaseTempsFreesNewestFirstAndPassesTheValue) {
  RtString *v = variable_with("variable");
  size_t used_before = string_used;
  uint32_t outer = temp_count;
  RtString *below = temp_text("below the mark");
  uint32_t mark = temp_count;
  for (int i = 0; i < 5; i++) temp_text(std::string(size_t(i * 7), 'q'));
  rtstr_from_cstr("constant");
  rtstr_free(below);  // a hole just below the mark
  // A consumer already freed one of them: it must be skipped, not freed twice.
  rtstr_concat(temp_text("x"), temp_text("y"));
  EXPECT_EQ(rtstr_release_temps(mark, -1), -1);
  EXPECT_LE(temp_count, mark);
  EXPECT_EQ(temp_count, outer);
  // Freeing newest first gave every byte back at once.
  EXPECT_EQ(string_used, used_before);
  EXPECT_EQ(text_of(v), "variable");
  EXPECT_EQ(rtstr_release_temps(0, 42), 42);  // a mark below slot 1 stops at slot 1
  EXPECT_EQ(temp_count, 1u);
}

TEST_F(StringMemory, MakeTemporaryEntersOnce) {
  RtString *v = variable_with("result");
  uint32_t mark = temp_count;
  rtstr_make_temporary(v);
  rtstr_make_temporary(v);
  EXPECT_EQ(temp_count, mark + 1);
  RtString *caller_var = rtstr_new(0, false);
  uint8_t *bytes = v->bytes;
  rtstr_assign(caller_var, v);  // a FUNCTION result is handed over, not copied
  EXPECT_EQ(caller_var->bytes, bytes);
  EXPECT_EQ(temp_count, mark);
}

TEST_F(StringMemory, SixtyFiveThousandStringsInOneStatement) {
  constexpr int count = 70000;
  RtString *v = variable_with("survivor");
  uint32_t mark = temp_count;
  size_t used = string_used;
  std::vector<RtString *> strings;
  for (int i = 0; i < count; i++) {
    RtString *s = rtstr_new(4, true);
    memcpy(s->bytes, &i, 4);
    strings.push_back(s);
  }
  EXPECT_GT(string_list.capacity, INITIAL_LIST_CAPACITY);
  EXPECT_GT(temp_capacity, uint32_t(INITIAL_LIST_CAPACITY));
  for (int i = 0; i < count; i++) {
    int32_t value;
    memcpy(&value, strings[size_t(i)]->bytes, 4);
    ASSERT_EQ(value, i);
    ASSERT_EQ(string_list.entries[strings[size_t(i)]->list_slot], strings[size_t(i)]);
    ASSERT_EQ(temp_list[strings[size_t(i)]->temp_slot], strings[size_t(i)]);
  }
  rtstr_release_temps(mark, 0);
  EXPECT_EQ(temp_count, mark);
  EXPECT_LE(string_used, used);  // the growth compacted the survivor downwards
  EXPECT_EQ(string_used, size_t(v->bytes - string_area) + 8 + STRING_SLACK);
  EXPECT_EQ(text_of(v), "survivor");
  expect_main_list_consistent();
}

TEST_F(StringMemory, ReleaseOrderIsNewestFirst) {
  static std::vector<RtString *> freed;
  field_unbind_handler = [](RtString *s) { freed.push_back(s); };
  static int binding_token;
  uint32_t mark = temp_count;
  std::vector<RtString *> made;
  for (int i = 0; i < 4; i++) {
    RtString *s = i % 2 ? rtstr_from_cstr("c") : temp_text("t");
    s->field_binding = reinterpret_cast<FieldBinding *>(&binding_token);
    made.push_back(s);
  }
  rtstr_release_temps(mark, 0);
  field_unbind_handler = nullptr;
  EXPECT_EQ(freed, std::vector<RtString *>(made.rbegin(), made.rend()));
}

TEST_F(StringMemory, CompactionKeepsEveryTextAndSmallGaps) {
  std::vector<RtString *> kept;
  std::vector<std::string> texts;
  for (int i = 0; i < 400; i++) {
    std::string text = "string " + std::to_string(i) + std::string(size_t(i % 50), char('a' + i % 26));
    RtString *v = variable_with(text);
    if (i % 3 == 0) {
      rtstr_free(v);
    } else {
      kept.push_back(v);
      texts.push_back(text);
    }
  }
  rtstr_compact(0);
  const uint8_t *cursor = string_area;
  for (size_t i = 0; i < kept.size(); i++) {
    ASSERT_EQ(text_of(kept[i]), texts[i]);
    EXPECT_LE(kept[i]->bytes - cursor, STRING_SLACK);
    cursor = kept[i]->bytes + kept[i]->length;
  }
  EXPECT_EQ(string_used, size_t(cursor - string_area));
  expect_main_list_consistent();
}

TEST_F(StringMemory, AreaGrowthKeepsEveryPointerValid) {
  std::vector<RtString *> vars;
  for (int i = 0; i < 100; i++) vars.push_back(variable_with("v" + std::to_string(i)));
  size_t old_size = string_area_size;
  RtString *big = rtstr_new(3u << 20, false);  // larger than the whole area
  memset(big->bytes, 'B', big->length);
  EXPECT_GE(string_area_size, (3u << 20) + 2 * old_size);
  for (int i = 0; i < 100; i++) {
    ASSERT_EQ(text_of(vars[size_t(i)]), "v" + std::to_string(i));
    ASSERT_GE(vars[size_t(i)]->bytes, string_area);
    ASSERT_LT(vars[size_t(i)]->bytes, string_area + string_area_size);
  }
  EXPECT_EQ(big->bytes[big->length - 1], 'B');
  expect_main_list_consistent();
}

TEST_F(StringMemory, FillingTheAreaCompactsInsteadOfGrowing) {
  RtString *v = rtstr_new(0, false);
  for (int i = 0; i < 20000; i++) {
    uint32_t mark = temp_count;
    rtstr_assign(v, rtstr_concat(temp_text("statement "), temp_text(std::to_string(i))));
    rtstr_release_temps(mark, 0);
  }
  EXPECT_EQ(text_of(v), "statement 19999");
  EXPECT_EQ(string_area_size, INITIAL_STRING_AREA);
  EXPECT_EQ(string_list.capacity, INITIAL_LIST_CAPACITY);
}

TEST_F(StringMemory, LowPermanentStringKeepsItsRecordCurrent) {
  int32_t top = low_top;
  RtString *low = rtstr_new_low(0, false);
  EXPECT_EQ(low_top, top - 4);
  ASSERT_EQ(low->low_descriptor, data_segment + low_top);
  EXPECT_EQ(low->low_descriptor_offset, low_top);
  rtstr_assign(low, rtstr_from_cstr("low text"));
  EXPECT_EQ(text_of(low), "low text");
  EXPECT_EQ(low_word(low->low_descriptor), 8);
  EXPECT_EQ(low_word(low->low_descriptor + 2), low->bytes - data_segment);
  // The record is what a BASIC program sees through PEEK in the data segment.
  EXPECT_EQ(rt_peek(low->low_descriptor_offset), 8);

  RtString *blocker = rtstr_new_low(0, false);
  rtstr_assign(blocker, rtstr_from_cstr("B"));
  rtstr_assign(low, rtstr_from_cstr("a longer low text"));  // must move past the blocker
  EXPECT_GT(low->bytes, blocker->bytes);
  EXPECT_EQ(low_word(low->low_descriptor), 17);
  EXPECT_EQ(low_word(low->low_descriptor + 2), low->bytes - data_segment);
  EXPECT_EQ(text_of(blocker), "B");
}

TEST_F(StringMemory, LowTemporaryIsTakenOverByLowVariable) {
  RtString *low = rtstr_new_low(0, false);
  uint32_t mark = temp_count;
  RtString *t = rtstr_new_low(3, true);
  memcpy(t->bytes, "xyz", 3);
  EXPECT_EQ(t->low_descriptor, nullptr);
  EXPECT_FALSE(rtstr_is_disposable(t));
  uint8_t *bytes = t->bytes;
  rtstr_assign(low, t);
  EXPECT_EQ(low->bytes, bytes);
  EXPECT_EQ(low_word(low->low_descriptor), 3);
  EXPECT_EQ(low_word(low->low_descriptor + 2), bytes - data_segment);
  EXPECT_EQ(temp_count, mark);
  // A main-area temporary is copied into a low variable, never taken over.
  RtString *main_temp = temp_text("main");
  rtstr_assign(low, main_temp);
  EXPECT_TRUE(low->in_low_memory);
  EXPECT_EQ(text_of(low), "main");
  EXPECT_GE(low->bytes, data_segment + LOW_AREA_START);
  EXPECT_LT(low->bytes, data_segment + low_top);
}

TEST_F(StringMemory, LowCompactionMovesStringsAndRewritesRecords) {
  std::vector<RtString *> lows;
  for (int i = 0; i < 10; i++) {
    RtString *s = rtstr_new_low(0, false);
    rtstr_assign(s, temp_text(std::string(size_t(i + 1), char('0' + i))));
    lows.push_back(s);
  }
  rtstr_free(lows[2]);
  rtstr_free(lows[5]);
  rtstr_compact_low(0);
  int32_t cursor = LOW_AREA_START + 1;  // after space_string
  for (int i = 0; i < 10; i++) {
    if (i == 2 || i == 5) continue;
    RtString *s = lows[size_t(i)];
    EXPECT_EQ(s->bytes - data_segment, cursor);
    EXPECT_EQ(text_of(s), std::string(size_t(i + 1), char('0' + i)));
    EXPECT_EQ(low_word(s->low_descriptor + 2), cursor);
    cursor += s->length;
  }
  EXPECT_EQ(low_used, cursor);
}

TEST_F(StringMemory, ProcedureRestoresLowTop) {
  int32_t saved = rtstr_low_top();
  RtString *local = rtstr_new_low(0, false);
  EXPECT_EQ(rtstr_low_top(), saved - 4);
  rtstr_free(local);
  rtstr_restore_low_top(saved);
  EXPECT_EQ(low_top, saved);
}

TEST_F(StringMemory, ReadOnlyConstantsAreNotCopied) {
  static const char text[] = "constant";
  RtString *c = rtstr_from_cstr(text);
  EXPECT_EQ(c->bytes, reinterpret_cast<const uint8_t *>(text));
  EXPECT_EQ(c->length, 8);
  EXPECT_TRUE(c->is_read_only && c->is_temporary);
  EXPECT_EQ(rtstr_from_cstr(nullptr)->length, 0);
  RtString *with_nul = rtstr_from_bytes("a\0b", 3);
  EXPECT_EQ(with_nul->length, 3);
  size_t used = string_used;
  rtstr_release_temps(1, 0);
  EXPECT_EQ(string_used, used);  // constants never touch the area
}

TEST_F(StringMemory, ReadOnlyDestinationGetsBytesOfItsOwn) {
  static const char text[] = "constant";
  RtString *c = rtstr_from_cstr(text);
  rtstr_assign(c, rtstr_from_cstr("replacement text"));
  EXPECT_STREQ(text, "constant");
  EXPECT_EQ(text_of(c), "replacement text");
  rtstr_release_temps(1, 0);
  expect_main_list_consistent();
}

TEST_F(StringMemory, OverlongLengthIsAnErrorNotAWrap) {
  RtString *s = rtstr_new(0x80000000u, true);
  EXPECT_EQ(s->length, 0);
  EXPECT_EQ(pending_error.load(), 14u);
  pending_error.store(0);
}

TEST_F(StringMemory, ScratchArenaBumpsAndReleases) {
  void *saved = rt_scratch_position();
  auto *a = static_cast<uint8_t *>(rt_scratch_alloc(3));
  auto *b = static_cast<uint8_t *>(rt_scratch_alloc(8));
  EXPECT_EQ(a, saved);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % alignof(double), 0u);
  EXPECT_GT(b, a);
  rt_scratch_release(saved);
  EXPECT_EQ(rt_scratch_position(), saved);
  // An allocation beyond the block starts a larger one; old values stay readable.
  *reinterpret_cast<double *>(b) = 2.5;
  size_t capacity = scratch_arena.capacity;
  auto *big = static_cast<uint8_t *>(rt_scratch_alloc(capacity));
  EXPECT_EQ(big, scratch_arena.block_start);
  EXPECT_EQ(scratch_arena.capacity, capacity + 2 * capacity);
  EXPECT_EQ(*reinterpret_cast<double *>(b), 2.5);
  rt_scratch_release(saved);  // a position in the old block falls back to the block start
  EXPECT_EQ(rt_scratch_position(), scratch_arena.block_start);
}

TEST(StringMemoryDeath, LowAreaExhaustionIsFatal) {
  rt_test_init();
  EXPECT_EXIT(
      {
        for (;;) rtstr_new_low(1000, false);
      },
      ::testing::ExitedWithCode(0), "Critical Error #1[34]");
}
