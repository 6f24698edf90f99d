// The range over a list's occupied slots: every loop over the listed touch screens rests on it.
#include <memory>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "device/core/occupied_slots.h"

TEST(OccupiedSlots, YieldsTheFilledSlotsBelowTheCountInOrder) {
  struct Case {
    const char* name;
    std::vector<int> filled;  // the slots that hold something, of eight
    int count;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"empty list", {}, 0, {}},
      {"dense", {0, 1, 2}, 3, {0, 1, 2}},
      {"a hole is skipped", {0, 2, 3}, 4, {0, 2, 3}},
      {"the first slot empty", {1, 2}, 3, {1, 2}},
      {"nothing at or past the count", {0, 1, 5, 7}, 2, {0, 1}},
      {"the last slot", {7}, 8, {7}},
      {"a negative count is none", {0, 1}, -1, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::shared_ptr<int>> slots(8);
    for (int i : c.filled) slots[i] = std::make_shared<int>(100 + i);
    std::vector<int> seen;
    for (const auto [index, item] : OccupiedSlots<int>(slots.data(), c.count)) {
      EXPECT_EQ(item, 100 + index) << c.name;  // the item is the slot's own
      seen.push_back(index);
    }
    EXPECT_EQ(seen, c.expected) << c.name;
  }
}

TEST(OccupiedSlots, GivesTheItemItselfToChange) {
  std::vector<std::shared_ptr<int>> slots{std::make_shared<int>(1), nullptr, std::make_shared<int>(3)};
  for (const auto [index, item] : OccupiedSlots<int>(slots.data(), 3)) item += 10;
  EXPECT_EQ(*slots[0], 11);
  EXPECT_EQ(*slots[2], 13);
}
