#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

#include "core/Progress.h"
#include "core/RadixSorter.h"
#include "tests/support/TestSupport.h"

namespace {

// The order a stable sort by float value gives, from the given starting order.
std::vector<unsigned> StableOrder(const std::vector<float>& keys, std::vector<unsigned> start) {
  std::stable_sort(start.begin(), start.end(), [&](unsigned a, unsigned b) { return keys[a] < keys[b]; });
  return start;
}

std::vector<unsigned> Identity(size_t n) {
  std::vector<unsigned> v(n);
  for (size_t j = 0; j < n; ++j) v[j] = static_cast<unsigned>(j);
  return v;
}

std::vector<unsigned> Result(const corvia::RadixSorter& sorter) {
  return std::vector<unsigned>(sorter.GetIndices(), sorter.GetIndices() + sorter.GetCount());
}

struct Node {
  Node* next = nullptr;
  Node* prev = nullptr;
  float key = 0.0f;
  int id = 0;
};

// A list of nodes with the given keys, in vector order.
std::vector<Node> MakeList(const std::vector<float>& keys) {
  std::vector<Node> nodes(keys.size());
  for (size_t j = 0; j < keys.size(); ++j) {
    nodes[j].key = keys[j];
    nodes[j].id = static_cast<int>(j);
    nodes[j].next = j + 1 < keys.size() ? &nodes[j + 1] : nullptr;
    nodes[j].prev = j > 0 ? &nodes[j - 1] : nullptr;
  }
  return nodes;
}

void* SortList(corvia::RadixSorter& sorter, void* head, unsigned count, unsigned flags, void** tail,
               bool byFunction = false) {
  corvia::RadixSorter::KeyFunction keyOf = [](void* n) { return static_cast<double>(static_cast<Node*>(n)->key); };
  return sorter.SortByCallback(head, count, flags, byFunction ? -1 : static_cast<std::ptrdiff_t>(offsetof(Node, key)),
                               keyOf, offsetof(Node, next), offsetof(Node, prev), tail);
}

// Walks the list forwards, checking every previous link on the way.
std::vector<int> ListIds(Node* head, Node* tail) {
  std::vector<int> ids;
  Node* previous = nullptr;
  for (Node* n = head; n != nullptr; n = n->next) {
    EXPECT_EQ(n->prev, previous);
    ids.push_back(n->id);
    previous = n;
  }
  EXPECT_EQ(previous, tail);
  return ids;
}

}  // namespace

TEST(RadixSorterSort, NegativeKeysBeforePositive) {
  corvia::RadixSorter sorter;
  const float keys[] = {-1.0f, 2.0f, -3.0f, 0.0f};
  sorter.Sort(keys, 4);
  EXPECT_EQ(Result(sorter), (std::vector<unsigned>{2, 0, 3, 1}));

  const std::vector<float> mixed = {5.5f,
                                    -0.0f,
                                    1e-30f,
                                    -1e30f,
                                    std::numeric_limits<float>::infinity(),
                                    -2.25f,
                                    0.0f,
                                    3.0f,
                                    -std::numeric_limits<float>::infinity(),
                                    -1e-30f,
                                    -2.5f,
                                    1e30f,
                                    7.0f,
                                    -2.25f};
  sorter.Sort(mixed.data(), static_cast<unsigned>(mixed.size()));
  EXPECT_EQ(Result(sorter), StableOrder(mixed, Identity(mixed.size())));
}

TEST(RadixSorterSort, EqualNegativeKeysKeepTheirOrder) {
  // All keys share the sign byte; reversing the order there would reverse equal keys.
  corvia::RadixSorter sorter;
  const std::vector<float> allNegative = {-1.0f, -2.0f, -1.0f, -2.0f, -1.5f, -1.0f};
  sorter.Sort(allNegative.data(), 6);
  EXPECT_EQ(Result(sorter), (std::vector<unsigned>{1, 3, 4, 0, 2, 5}));

  // Depth keys are minus squared distances: negative, many equal, with a sentinel.
  std::mt19937 random(7);
  std::vector<float> depth(2000);
  for (float& k : depth) k = random() % 5 == 0 ? -3.4028235e38f : -static_cast<float>(random() % 50) * 0.125f;
  corvia::RadixSorter fresh;
  fresh.Sort(depth.data(), static_cast<unsigned>(depth.size()));
  EXPECT_EQ(Result(fresh), StableOrder(depth, Identity(depth.size())));
}

TEST(RadixSorterSort, RandomKeysMatchAStableSort) {
  std::mt19937 random(42);
  std::uniform_real_distribution<float> wide(-1000.0f, 1000.0f);
  for (unsigned n : {1u, 2u, 3u, 17u, 256u, 5000u}) {
    std::vector<float> keys(n);
    for (float& k : keys) k = (random() % 3 == 0) ? std::round(wide(random) / 100.0f) : wide(random);
    corvia::RadixSorter sorter;
    sorter.Sort(keys.data(), n);
    EXPECT_EQ(Result(sorter), StableOrder(keys, Identity(n))) << n;
  }
}

TEST(RadixSorterSort, OrderCarriesOverBetweenSortsOfOneSize) {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> dist(-10.0f, 10.0f);
  std::vector<float> keys(1000);
  for (float& k : keys) k = dist(random);
  corvia::RadixSorter sorter;
  sorter.Sort(keys.data(), 1000);
  const std::vector<unsigned> first = Result(sorter);
  EXPECT_EQ(sorter.GetNumAlreadySorted(), 0u);

  // The same keys again: already in order, not one index moves.
  sorter.Sort(keys.data(), 1000);
  EXPECT_EQ(sorter.GetNumSorts(), 2u);
  EXPECT_EQ(sorter.GetNumAlreadySorted(), 1u);
  EXPECT_EQ(Result(sorter), first);

  // The next frame moves a few keys: sorted correctly from the last order.
  for (int j = 0; j < 20; ++j) keys[random() % 1000] += dist(random) * 0.01f;
  sorter.Sort(keys.data(), 1000);
  EXPECT_EQ(Result(sorter), StableOrder(keys, first));

  // Another count starts again from the index order.
  const float ascending[] = {1.0f, 2.0f, 3.0f};
  sorter.Sort(ascending, 3);
  EXPECT_EQ(Result(sorter), (std::vector<unsigned>{0, 1, 2}));
  EXPECT_EQ(sorter.GetNumAlreadySorted(), 2u);
}

TEST(RadixSorterSort, NothingToSort) {
  corvia::RadixSorter sorter;
  const float keys[] = {1.0f};
  sorter.Sort(nullptr, 5);
  sorter.Sort(keys, 0);
  EXPECT_EQ(sorter.GetNumSorts(), 0u);
  sorter.Sort(keys, 1);
  EXPECT_EQ(Result(sorter), (std::vector<unsigned>{0}));
  sorter.FreeAll();
  EXPECT_EQ(sorter.GetCount(), 0u);
  const float two[] = {2.0f, 1.0f};
  sorter.Sort(two, 2);
  EXPECT_EQ(Result(sorter), (std::vector<unsigned>{1, 0}));
}

TEST(RadixSorterList, RelinksNodesWithPreviousLinks) {
  const std::vector<float> keys = {3.0f, -1.0f, 2.0f, -1.0f, 0.0f, 3.0f, -7.5f};
  for (bool byFunction : {false, true}) {
    std::vector<Node> nodes = MakeList(keys);
    corvia::RadixSorter sorter;
    void* tail = nullptr;
    Node* head = static_cast<Node*>(SortList(sorter, &nodes[0], 0, 0, &tail, byFunction));
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->prev, nullptr);
    EXPECT_EQ(ListIds(head, static_cast<Node*>(tail)), (std::vector<int>{6, 1, 3, 4, 2, 0, 5}));
  }
}

TEST(RadixSorterList, RepeatedSortsKeepEqualKeysInListOrder) {
  // Frame after frame on the same list: equal keys must not trade places, although
  // the list now holds a different order from the one the sorter last produced.
  std::vector<float> keys = {-2.0f, -5.0f, -2.0f, -5.0f, -1.0f, -2.0f};
  std::vector<Node> nodes = MakeList(keys);
  corvia::RadixSorter sorter;
  void* tail = nullptr;
  Node* head = static_cast<Node*>(SortList(sorter, &nodes[0], 6, 0, &tail));
  const std::vector<int> expected = {1, 3, 0, 2, 5, 4};
  EXPECT_EQ(ListIds(head, static_cast<Node*>(tail)), expected);
  for (int frame = 0; frame < 3; ++frame) {
    head = static_cast<Node*>(SortList(sorter, head, 6, 0, &tail));
    EXPECT_EQ(ListIds(head, static_cast<Node*>(tail)), expected) << frame;
  }
  // A key changes: node 0 moves ahead of the other -2 keys but behind the -5 keys.
  nodes[0].key = -3.0f;
  head = static_cast<Node*>(SortList(sorter, head, 0, 0, &tail));
  EXPECT_EQ(ListIds(head, static_cast<Node*>(tail)), (std::vector<int>{1, 3, 0, 2, 5, 4}));
  nodes[4].key = -9.0f;
  head = static_cast<Node*>(SortList(sorter, head, 0, 0, &tail));
  EXPECT_EQ(ListIds(head, static_cast<Node*>(tail)), (std::vector<int>{4, 1, 3, 0, 2, 5}));
}

TEST(RadixSorterList, OrderOnlyLeavesTheListAlone) {
  const std::vector<float> keys = {2.0f, 1.0f, 0.5f};
  std::vector<Node> nodes = MakeList(keys);
  corvia::RadixSorter sorter;
  void* tail = nullptr;
  void* head = SortList(sorter, &nodes[0], 0, corvia::RadixSorter::kOrderOnly, &tail);
  EXPECT_EQ(head, &nodes[0]);
  EXPECT_EQ(ListIds(&nodes[0], &nodes[2]), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Result(sorter), (std::vector<unsigned>{2, 1, 0}));
}

TEST(RadixSorterList, EmptyAndShortenedLists) {
  corvia::RadixSorter sorter;
  void* tail = &sorter;
  EXPECT_EQ(SortList(sorter, nullptr, 0, 0, &tail), nullptr);
  EXPECT_EQ(tail, nullptr);

  // A count shorter than the list sorts the first nodes and keeps the rest behind.
  std::vector<Node> nodes = MakeList({3.0f, 1.0f, 2.0f, 0.0f});
  Node* head = static_cast<Node*>(SortList(sorter, &nodes[0], 3, 0, &tail));
  EXPECT_EQ(tail, &nodes[0]);
  EXPECT_EQ(ListIds(head, &nodes[3]), (std::vector<int>{1, 2, 0, 3}));
}

// Keys that differ in every digit, only in their low digits, only in their high
// digits, or in a few middle bits with many repeats: the order must be a stable
// sort's, whichever digits are passed over.
TEST(RadixSorterSortByKey, MatchesAStableSortOfTheKeys) {
  std::mt19937_64 rng(17);
  const std::function<uint64_t()> kinds[] = {
      [&] { return rng(); },
      [&] { return rng() & 0xFFFu; },
      [&] { return (rng() & 0xFFFu) << 52; },
      [&] { return ((rng() % 7) << 30) | 5u; },
  };
  for (size_t kind = 0; kind < std::size(kinds); ++kind) {
    for (size_t n : {size_t{1}, size_t{2}, size_t{37}, size_t{5000}}) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " n " << n);
      std::vector<corvia::KeyedEntry> entries;
      for (size_t i = 0; i < n; ++i) entries.push_back({kinds[kind](), static_cast<int32_t>(i)});
      std::vector<corvia::KeyedEntry> expected = entries;
      std::stable_sort(expected.begin(), expected.end(),
                       [](const corvia::KeyedEntry& a, const corvia::KeyedEntry& b) { return a.key < b.key; });
      corvia::SortByKey(entries);
      ASSERT_EQ(entries.size(), expected.size());
      for (size_t i = 0; i < n; ++i) {
        EXPECT_EQ(entries[i].key, expected[i].key) << i;
        EXPECT_EQ(entries[i].value, expected[i].value) << i;
      }
    }
  }
}

TEST(RadixSorterSortByKey, EmptyAndAllEqualKeysKeepTheirOrder) {
  std::vector<corvia::KeyedEntry> none;
  corvia::SortByKey(none);
  EXPECT_TRUE(none.empty());
  std::vector<corvia::KeyedEntry> same;
  for (int32_t i = 0; i < 100; ++i) same.push_back({0xDEADBEEFull, i});
  corvia::SortByKey(same);
  for (int32_t i = 0; i < 100; ++i) EXPECT_EQ(same[static_cast<size_t>(i)].value, i);
}

// Millions of keys are sorted answering the window along the passes; a Cancel clicked
// then is kept for the caller's next report (the sort itself goes on to its end).
TEST(RadixSorterSortByKey, MillionsOfKeysAreSortedAnsweringTheWindow) {
  corvia::platform::HeadlessProgress& progress = corvia::testing::Platform().progress;
  std::mt19937_64 rng(5);
  int pumps = 0;
  int cancelAt = -1;
  progress.Current()->onPump = [&](corvia::platform::HeadlessProgressWindow::State& state) {
    corvia::testing::Platform().clock.Advance(1.0);
    if (++pumps == cancelAt) state.cancel = true;
  };
  for (int at : {-1, 3}) {
    std::vector<uint64_t> keys(2000000);
    for (uint64_t& key : keys) key = rng();
    pumps = 0;
    cancelAt = at;
    bool goOn = true;
    {
      corvia::ProgressScope scope;
      corvia::testing::Platform().clock.Advance(2.0);
      corvia::SortByKey(keys);
      // The caller's next step.
      goOn = corvia::ProgressTick();
    }
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    if (at < 0) {
      EXPECT_TRUE(goOn);
      // Six passes over two million keys, each reading and moving them: a report at
      // least every 2^17 keys met.
      EXPECT_GE(pumps, 12 * 2000000 / (1 << 17));
    } else {
      EXPECT_FALSE(goOn) << "the Cancel was lost";
      EXPECT_EQ(pumps, at);
    }
  }
  progress.Current()->onPump = nullptr;
}
