// Block pools: allocation, growth, rewinding and fresh elements after a rewind.

#include <gtest/gtest.h>

#include "model/BlockPool.h"

namespace {

struct Record {
  int value = -1;
  Record* link = nullptr;
};

TEST(BlockPool, AllocationGrowsByDoublingAndZeroTakesNoSpace) {
  corvia::BlockPool<Record> pool;
  Record* small = pool.Alloc(30);
  EXPECT_EQ(pool.Alloc(50), small + 30);  // one block of the minimum size
  EXPECT_EQ(pool.GetFirstBlockCapacity(), 120);
  pool.Clear();
  Record* first = pool.Alloc(100);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(pool.GetFirstBlockCapacity(), 200);
  Record* zero = pool.Alloc(0);
  EXPECT_EQ(zero, first + 100);
  EXPECT_EQ(pool.Alloc(20), first + 100);
  // A request larger than the minimum: twice the request plus the skipped capacity.
  pool.Alloc(200);
  EXPECT_EQ(pool.GetNumBlocks(), 2);
  EXPECT_EQ(pool.GetFirstBlockCapacity(), 2 * (200 + 200));
  EXPECT_EQ(pool.Alloc(-1), nullptr);
}

TEST(BlockPool, RewindReusesTheSameBlocksWithFreshElements) {
  corvia::BlockPool<Record> pool;
  std::vector<Record*> before;
  for (int n : {50, 100, 300, 7}) {
    Record* r = pool.Alloc(n);
    for (int i = 0; i < n; ++i) r[i].value = i;
    before.push_back(r);
  }
  const int blocks = pool.GetNumBlocks();
  pool.Rewind();
  std::vector<Record*> after;
  for (int n : {50, 100, 300, 7}) after.push_back(pool.Alloc(n));
  EXPECT_EQ(pool.GetNumBlocks(), blocks);
  // Reused memory comes back as new records, not as the last diagram's.
  for (Record* r : after) {
    EXPECT_EQ(r->value, -1);
    EXPECT_EQ(r->link, nullptr);
  }
  pool.Clear();
  EXPECT_EQ(pool.GetNumBlocks(), 0);
  EXPECT_EQ(pool.GetMinimumBlockSize(), 120);
}

}  // namespace
