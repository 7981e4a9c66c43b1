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

TEST(MergeSort, BlockwisePassesMergeAsWholePassesDo) {
  // Under a tolerant compare the result depends on which runs are merged: the sort must
  // give what plain passes over the whole array give, for lengths on either side of
  // its block.
  auto tolerant = [](double a, double b) { return std::fabs(a - b) <= 0.05 ? 0 : (a < b ? -1 : 1); };
  std::mt19937 random(5);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (size_t n : {1000u, 1024u, 1500u, 5000u}) {
    std::vector<double> values(n);
    for (double& v : values) v = unit(random);
    std::vector<double> expected = values, other = values;
    for (size_t width = 1; width < n; width *= 2) {
      for (size_t low = 0; low < n; low += 2 * width) {
        const size_t mid = std::min(low + width, n), high = std::min(low + 2 * width, n);
        size_t i = low, j = mid, k = low;
        while (i < mid || j < high) {
          const bool right = i == mid || (j < high && tolerant(expected[j], expected[i]) < 0);
          other[k++] = right ? expected[j++] : expected[i++];
        }
      }
      expected.swap(other);
    }
    corvia::MergeSort(values, tolerant);
    EXPECT_EQ(values, expected) << n << " values";
  }
}

TEST(MergeSort, IndicesOfEmptyAndSingle) {
  EXPECT_TRUE(corvia::MergeSortIndices(0, [](int, int) { return 0; }).empty());
  auto order = corvia::MergeSortIndices(4, [](int a, int b) { return (a % 2) - (b % 2); });
  EXPECT_EQ(order, (std::vector<int>{0, 2, 1, 3}));
}

}  // namespace
