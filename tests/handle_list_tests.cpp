// Handle lists: handles 1, 2, ..., reuse of released handles, range checks and
// records that never move.
#include "core/core.h"
#include "fixture.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include <cstdint>
#include <cstring>
#include <vector>

// Lists live until the process ends, as the runtime's own do; kept reachable here.
static HandleList *lists[16];
static int list_count = 0;
static HandleList *make_list(int32_t element_size) { return lists[list_count++] = rt_hlist_new(element_size); }

TEST(HandleList, FirstThreeHandlesUseTwoBlocks) {
  HandleList *list = make_list(8);
  EXPECT_EQ(list->block_capacity, 0);
  EXPECT_EQ(list->highest_handle, 0);
  EXPECT_EQ(rt_hlist_alloc(list), 1);
  EXPECT_EQ(list->block_count, 1);
  EXPECT_EQ(list->block_capacity, 1);
  EXPECT_EQ(rt_hlist_alloc(list), 2);
  EXPECT_EQ(rt_hlist_alloc(list), 3);
  EXPECT_EQ(list->block_count, 2);
  EXPECT_EQ(list->block_capacity, 3);
  for (int32_t h = 1; h <= 3; h++) EXPECT_EQ(rt_hlist_handle_of(list, rt_hlist_get(list, h)), h);
}

TEST(HandleList, ReleasedHandleComesBackZeroFilled) {
  HandleList *list = make_list(20);
  for (int i = 0; i < 3; i++) rt_hlist_alloc(list);
  auto *record = static_cast<uint8_t *>(rt_hlist_get(list, 2));
  memset(record, 0xEE, 20);
  EXPECT_EQ(rt_hlist_free(list, 2), -1);
  EXPECT_EQ(rt_hlist_handle_of(list, record), 0);
  EXPECT_EQ(rt_hlist_alloc(list), 2);
  EXPECT_EQ(rt_hlist_get(list, 2), record);
  for (int i = 0; i < 20; i++) EXPECT_EQ(record[i], 0) << i;
  EXPECT_EQ(rt_hlist_alloc(list), 4);  // nothing left to reuse
}

TEST(HandleList, LastReleasedIsFirstReused) {
  HandleList *list = make_list(4);
  for (int i = 0; i < 5; i++) rt_hlist_alloc(list);
  rt_hlist_free(list, 2);
  rt_hlist_free(list, 4);
  EXPECT_EQ(rt_hlist_alloc(list), 4);
  EXPECT_EQ(rt_hlist_alloc(list), 2);
}

TEST(HandleList, DoubleAndOutOfRangeReleasesChangeNothing) {
  HandleList *list = make_list(8);
  for (int i = 0; i < 3; i++) rt_hlist_alloc(list);
  EXPECT_EQ(rt_hlist_free(list, 2), -1);
  EXPECT_EQ(rt_hlist_free(list, 2), 0);
  for (int32_t h : {0, -1, 4, INT32_MIN, INT32_MAX}) EXPECT_EQ(rt_hlist_free(list, h), 0) << h;
  EXPECT_EQ(list->free_top, 1);
  EXPECT_EQ(rt_hlist_alloc(list), 2);
  EXPECT_EQ(rt_hlist_alloc(list), 4);
}

TEST(HandleList, GetRejectsMissingHandles) {
  HandleList *list = make_list(8);
  EXPECT_EQ(rt_hlist_get(list, 1), nullptr);  // empty list
  for (int i = 0; i < 3; i++) rt_hlist_alloc(list);
  rt_hlist_free(list, 3);
  for (int32_t h : {0, -1, -1000, 3, 4, INT32_MAX}) EXPECT_EQ(rt_hlist_get(list, h), nullptr) << h;
  EXPECT_NE(rt_hlist_get(list, 1), nullptr);
}

TEST(HandleList, RecordsNeverMove) {
  HandleList *list = make_list(12);
  ASSERT_EQ(rt_hlist_alloc(list), 1);
  void *first = rt_hlist_get(list, 1);
  memcpy(first, "first record", 12);
  std::vector<void *> records;
  for (int i = 0; i < 1000; i++) records.push_back(rt_hlist_get(list, rt_hlist_alloc(list)));
  EXPECT_EQ(rt_hlist_get(list, 1), first);
  EXPECT_EQ(memcmp(first, "first record", 12), 0);
  for (int i = 0; i < 1000; i++) ASSERT_EQ(rt_hlist_get(list, i + 2), records[size_t(i)]);
}

// Records hold pointers on this platform (sockets, streams); they must be aligned.
TEST(HandleList, RecordsArePointerAligned) {
  for (int32_t size : {8, 20, 12, 1}) {
    HandleList *list = make_list(size);
    for (int i = 0; i < 20; i++) {
      void *record = rt_hlist_get(list, rt_hlist_alloc(list));
      EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % alignof(void *), 0u) << size;
    }
  }
}

TEST(HandleList, StartUpListsExist) {
  rt_test_init();
  ASSERT_NE(device_handles, nullptr);
  EXPECT_EQ(device_handles->element_size, 8);
  EXPECT_EQ(stream_handles->element_size, 20);
  EXPECT_EQ(socket_handles->element_size, 20);
}
