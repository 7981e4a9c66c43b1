// Boxes found by place: every search answers exactly the filed boxes that reach the
// searched one (grown by the tolerance), in increasing order, whatever was filed and
// taken out before, with boxes far larger than a cell and boxes that are no boxes.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/BoxGrid.h"
#include "core/Progress.h"
#include "tests/support/AllocationHook.h"
#include "tests/support/TestSupport.h"

namespace {

struct Box {
  double least[2];
  double largest[2];
};

bool Reaches(const Box& box, const double* least, const double* largest, double tolerance) {
  return !(box.largest[0] < least[0] - tolerance || box.least[0] > largest[0] + tolerance ||
           box.largest[1] < least[1] - tolerance || box.least[1] > largest[1] + tolerance);
}

}  // namespace

TEST(BoxGrid, SearchesFindExactlyTheBoxesThatReachTheSearchedOne) {
  std::mt19937 random(41);
  std::uniform_real_distribution<double> place(-10.0, 10.0);
  std::uniform_real_distribution<double> size(0.0, 1.5);
  std::uniform_real_distribution<double> huge(0.0, 40.0);
  std::vector<Box> boxes(400);
  std::vector<bool> filed(boxes.size(), false);
  corvia::BoxGrid grid(0.5);
  for (size_t id = 0; id < boxes.size(); ++id) {
    const double x = place(random), y = place(random);
    // Some boxes cover far more cells than others.
    const double w = id % 37 == 0 ? huge(random) : size(random);
    const double h = id % 41 == 0 ? huge(random) : size(random);
    boxes[id] = {{x, y}, {x + w, y + h}};
  }
  std::vector<uint32_t> found;
  for (int round = 0; round < 2000; ++round) {
    const uint32_t id = static_cast<uint32_t>(random() % boxes.size());
    if (filed[id] && random() % 3 == 0) {
      grid.Remove(id);
      filed[id] = false;
    } else if (!filed[id]) {
      grid.Insert(id, boxes[id].least, boxes[id].largest);
      filed[id] = true;
    }
    EXPECT_EQ(grid.Contains(id), filed[id]);
    const double x = place(random), y = place(random);
    const double side = round % 50 == 0 ? 30.0 : size(random);
    const double least[2] = {x, y}, largest[2] = {x + side, y + side};
    const double tolerance = round % 2 ? 1e-6 : 0.0;
    grid.Query(least, largest, tolerance, found);
    std::vector<uint32_t> expected;
    for (uint32_t k = 0; k < boxes.size(); ++k) {
      if (filed[k] && Reaches(boxes[k], least, largest, tolerance)) expected.push_back(k);
    }
    ASSERT_EQ(found, expected) << "round " << round;
  }
}

TEST(BoxGrid, BoxesThatAreNoBoxesAreFoundByEverySearch) {
  corvia::BoxGrid grid(1.0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double lost[2] = {nan, nan}, far[2] = {inf, inf}, from[2] = {-1e30, -1e30};
  const double a[2] = {0.0, 0.0}, b[2] = {1.0, 1.0};
  grid.Insert(3, lost, lost);
  grid.Insert(7, from, far);
  grid.Insert(1, a, b);
  std::vector<uint32_t> found;
  const double least[2] = {5.0, 5.0}, largest[2] = {6.0, 6.0};
  grid.Query(least, largest, 0.0, found);
  EXPECT_EQ(found, (std::vector<uint32_t>{3, 7}));
  // A search with no place of its own meets everything.
  grid.Query(lost, lost, 0.0, found);
  EXPECT_EQ(found, (std::vector<uint32_t>{1, 3, 7}));
  grid.Remove(3);
  grid.Remove(7);
  grid.Query(least, largest, 0.0, found);
  EXPECT_TRUE(found.empty());
}

// A grid of many boxes, each in cells of its own, is made, searched, thinned and freed
// with a few blocks of memory: not a block per cell, which its owner's end would free
// one by one.
TEST(BoxGrid, ManyBoxesTakeAFewBlocksOfMemory) {
  constexpr uint32_t kSide = 100;
  corvia::testing::ResetAllocationCount();
  corvia::testing::CountAllocations(true);
  {
    corvia::BoxGrid grid(1.0);
    for (uint32_t k = 0; k < kSide * kSide; ++k) {
      const double least[2] = {k % kSide + 0.25, k / kSide + 0.25};
      const double largest[2] = {least[0] + 0.5, least[1] + 0.5};
      grid.Insert(k, least, largest);
    }
    std::vector<uint32_t> found;
    const double least[2] = {10.5, 20.5}, largest[2] = {10.5, 20.5};
    grid.Query(least, largest, 0.0, found);
    EXPECT_EQ(found, (std::vector<uint32_t>{20 * kSide + 10}));
    for (uint32_t k = 0; k < kSide * kSide; k += 2) grid.Remove(k);
    grid.Query(least, largest, 0.0, found);
    EXPECT_TRUE(found.empty());
  }
  corvia::testing::CountAllocations(false);
  EXPECT_LT(corvia::testing::CountedAllocations(), 100u);
}

// A grid of half a million boxes grows its tables in runs, the window answering
// between them: the box that outgrows the table of records does not move them all at
// once (a net of a million facelets held the window for seconds there).
TEST(BoxGrid, AGrowingGridAnswersTheWindowAsItsRecordsMove) {
  auto& platform = corvia::testing::Platform();
  const corvia::ProgressScope work;
  platform.clock.Advance(2.0);
  ASSERT_TRUE(corvia::UpdateProgress(0.0));
  auto& window = *platform.progress.Current();
  // Every pump lets two ticks of the work's clock go by: each report asked for is due.
  window.onPump = [&platform](auto&) { platform.clock.Advance(2 * corvia::kProgressTickSeconds); };
  // Many boxes to a cell: the table of cells stays small and does not grow meanwhile.
  constexpr uint32_t kBoxes = uint32_t{1} << 19;
  corvia::BoxGrid grid(8.0);
  auto file = [&grid](uint32_t k) {
    const double least[2] = {k % 1024 + 0.25, k / 1024 + 0.25};
    const double largest[2] = {least[0] + 0.5, least[1] + 0.5};
    grid.Insert(k, least, largest);
  };
  for (uint32_t k = 0; k < kBoxes; ++k) file(k);
  const int before = window.pumps;
  file(kBoxes);
  window.onPump = nullptr;
  EXPECT_GE(window.pumps - before, 2) << "the records moved in runs";
  std::vector<uint32_t> found;
  for (const uint32_t k : {0u, kBoxes - 1, kBoxes}) {
    const double at[2] = {k % 1024 + 0.5, k / 1024 + 0.5};
    grid.Query(at, at, 0.0, found);
    EXPECT_EQ(found, (std::vector<uint32_t>{k})) << "the records kept as they were";
  }
}
