#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "core/MergeSort.h"

namespace {

TEST(MergeSort, SortsAndKeepsTiesInIndexOrder) {
  struct Item {
    int key;
    int index;
  };
  std::vector<Item> items;
  std::mt19937 random(7);
  for (int i = 0; i < 1000; ++i) items.push_back({static_cast<int>(random() % 17), i});
  corvia::MergeSort(items, [](const Item& a, const Item& b) { return a.key - b.key; });
  for (size_t i = 1; i < items.size(); ++i) {
    ASSERT_LE(items[i - 1].key, items[i].key);
    if (items[i - 1].key == items[i].key) {
      ASSERT_LT(items[i - 1].index, items[i].index);
    }
  }
}

TEST(MergeSort, SurvivesComparatorsThatAreNotOrders) {
  // A tolerant compare chains 0, 0.6e-7, 1.2e-7 ... into "equal" neighbours that are
  // not equal end to end; a random answer is worse still. Neither may break the sort.
  std::vector<double> values;
  for (int i = 0; i < 500; ++i) values.push_back((i % 50) * 0.6e-7);
  auto tolerant = [](double a, double b) { return std::fabs(a - b) <= 1e-7 ? 0 : (a < b ? -1 : 1); };
  corvia::MergeSort(values, tolerant);
  EXPECT_EQ(values.size(), 500u);

  std::mt19937 random(3);
  std::vector<int> numbers(777);
  for (int i = 0; i < 777; ++i) numbers[i] = i;
  corvia::MergeSort(numbers, [&](int, int) { return static_cast<int>(random() % 3) - 1; });
  std::vector<int> sorted = numbers;
  std::sort(sorted.begin(), sorted.end());
  for (int i = 0; i < 777; ++i) ASSERT_EQ(sorted[i], i);  // a permutation: nothing lost or doubled
}

TEST(MergeSort, IndicesOfEmptyAndSingle) {
  EXPECT_TRUE(corvia::MergeSortIndices(0, [](int, int) { return 0; }).empty());
  auto order = corvia::MergeSortIndices(4, [](int a, int b) { return (a % 2) - (b % 2); });
  EXPECT_EQ(order, (std::vector<int>{0, 2, 1, 3}));
}

}  // namespace
