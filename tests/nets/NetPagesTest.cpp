// Fitting printed nets onto pages: the grid of one page rectangle, turned nets, the
// leftover strips, giving copies back, and whole page lists that keep every net on
// its page and apart from the others.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

#include "core/Units.h"
#include "nets/NetPages.h"
#include "tests/nets/NetChecks.h"

namespace test_NetPages {

namespace n = corvia::testing::nets;

class NetPagesTest : public n::NetsTest {
 protected:
  void SetUp() override {
    n::NetsTest::SetUp();
    // One twip per model unit, so that sizes read directly.
    corvia::UnitSettings& units = corvia::GetUnitSettings();
    units.mLengthScale = 1.0;
    units.mTwipsPerUnit = 1.0;
    units.mNetSpacing = 0;
    poly = n::BuildLibraryPoly(n::kCube);
    model = n::MakeNets(poly.get(), 1);
    type = model->mNetTypes;
  }
  // Six nets of one type, each of the given half sizes, count of them to print.
  void Size(double radiusX, double radiusY, int count) {
    type->radiusX = radiusX;
    type->radiusY = radiusY;
    type->printCount = count;
    type->printCursor = -1;
  }
  std::unique_ptr<corvia::Poly> poly;
  std::unique_ptr<corvia::Model3D> model;
  corvia::NetType* type = nullptr;
};

std::vector<std::tuple<int, int, int>> Placements(const corvia::NetPage& page) {
  std::vector<std::tuple<int, int, int>> all;
  for (const corvia::NetPlacement* p = page.head; p; p = p->next) all.push_back({p->x, p->y, p->rotated});
  return all;
}

}  // namespace test_NetPages

namespace corvia {

using test_NetPages::NetPagesTest;
using test_NetPages::Placements;
namespace n = testing::nets;

TEST_F(NetPagesTest, APageNoWiderThanTheSpacingTakesNothing) {
  GetUnitSettings().mNetSpacing = 10;
  Size(2.0, 2.0, 3);
  NetPage page;
  int remaining = 3;
  EXPECT_EQ(PackNets(model.get(), &page, 0, 100, 10, 0, remaining, 0, nullptr, false), 100);
  EXPECT_EQ(page.head, nullptr);
  EXPECT_EQ(remaining, 3);
}

TEST_F(NetPagesTest, ANetThatFitsOnlyTurnedIsTurned) {
  Size(50.0, 10.0, 2);
  NetPage page;
  int remaining = 2;
  PackNets(model.get(), &page, 0, 200, 60, 0, remaining, 0, nullptr, false);
  EXPECT_EQ(remaining, 0);
  const auto placed = Placements(page);
  ASSERT_EQ(placed.size(), 2u);
  // Turned, a net is 20 wide and 100 high: side by side at the top.
  EXPECT_EQ(placed[0], std::make_tuple(10, 150, 1));
  EXPECT_EQ(placed[1], std::make_tuple(30, 150, 1));
}

TEST_F(NetPagesTest, FiveCopiesOnATwoByThreeGrid) {
  Size(10.0, 10.0, 5);
  NetPage page;
  int remaining = 5;
  const int32_t lowest = PackNets(model.get(), &page, 0, 60, 40, 0, remaining, 0, nullptr, false);
  EXPECT_EQ(remaining, 0);
  EXPECT_EQ(type->printCount, 0);
  const std::vector<std::tuple<int, int, int>> expected = {
      {10, 50, 0}, {30, 50, 0}, {10, 30, 0}, {30, 30, 0}, {10, 10, 0}};
  EXPECT_EQ(Placements(page), expected);
  EXPECT_EQ(lowest, 0);
  // The copies are the type's nets in turn.
  int k = 0;
  for (NetPlacement* p = page.head; p; p = p->next, ++k) EXPECT_EQ(p->net, &type->nets[k]);
}

TEST_F(NetPagesTest, UnplacingGivesBackEveryCopyAndTheCursor) {
  Size(10.0, 10.0, 9);
  type->printCursor = 2;
  NetPage page;
  int remaining = 9;
  PackNets(model.get(), &page, 0, 40, 40, 0, remaining, 1, nullptr, false);
  EXPECT_EQ(remaining, 5);
  EXPECT_EQ(type->printCount, 5);
  EXPECT_EQ(type->printCursor, 0);  // past the last net it wraps round
  page.Unplace();
  EXPECT_EQ(type->printCount, 9);
  EXPECT_EQ(type->printCursor, 2);
  EXPECT_EQ(page.head, nullptr);
}

TEST_F(NetPagesTest, PageTransformsTakePagePointsBackToTheNet) {
  const double p[2] = {3.0, -2.0};
  for (uint8_t rotated : {0, 1}) {
    NetPlacement placement;
    placement.net = &type->nets[0];
    placement.rotated = rotated;
    placement.x = 100;
    placement.y = 50;
    double page[2];
    placement.ToPagePoint(p, false, page);
    Transform3D back;
    placement.GetTransform(back);
    const double point[3] = {page[0], page[1], 0.0};
    double net[3];
    TransformPoint(back, net, point);
    EXPECT_NEAR(net[0], p[0], 1e-12) << int(rotated);
    EXPECT_NEAR(net[1], p[1], 1e-12) << int(rotated);
    EXPECT_EQ(placement.AdjustAngle(10.0), rotated ? 100.0 : 10.0);
  }
}

TEST_F(NetPagesTest, EveryNetLandsInsideItsPageAndApartFromTheOthers) {
  std::unique_ptr<Poly> ico = n::BuildLibraryPoly(n::kIcosahedron);
  UnitSettings& units = GetUnitSettings();
  units.mLengthScale = 3.0;
  units.mTwipsPerUnit = kTwipsPerCentimetre;
  units.mNetSpacing = 200;
  for (int maxFaces : {1, 3, 1000000}) {
    std::unique_ptr<Model3D> nets = n::MakeNets(ico.get(), maxFaces);
    units.mNumExtraNets = 2;
    const int total = nets->CountNetsToPrint(nullptr, false);
    ASSERT_GT(total, 0);
    const int32_t rect[4] = {500, 15000, 11000, 800};
    int32_t lowest = 0;
    NetPage* pages = FitNetsOnPages(nets.get(), rect, 1000, nullptr, false, &lowest);
    ASSERT_NE(pages, nullptr) << maxFaces;
    int placed = 0;
    bool firstPage = true;
    std::vector<std::vector<std::tuple<int, int, int>>> layout;
    for (NetPage* page = pages; page; page = page->next) {
      layout.push_back(Placements(*page));
      const double top = firstPage ? rect[1] - 1000 : rect[1];
      firstPage = false;
      std::vector<std::array<double, 4>> boxes;
      for (NetPlacement* p = page->head; p; p = p->next) {
        ++placed;
        // Every corner and every tab point of the net within its box and on the page.
        std::array<double, 4> box = {1e300, 1e300, -1e300, -1e300};
        auto add = [&](const double* point) {
          double q[2];
          p->ToPagePoint(point, false, q);
          box = {std::min(box[0], q[0]), std::min(box[1], q[1]), std::max(box[2], q[0]), std::max(box[3], q[1])};
        };
        for (Face3D* f = p->net->first; f; f = f->mNextInNet) {
          for (int i = 0; i < f->GetNumEdges(); ++i) {
            add(f->mEdges[i].unfolded);
            if (f->mEdges[i].tab) {
              for (const TabPoint& t : f->mEdges[i].tab->outline) add(t.pos2D);
            }
          }
        }
        EXPECT_GE(box[0], rect[0] - 1.0);
        EXPECT_LE(box[2], rect[2] + 1.0);
        EXPECT_GE(box[1], rect[3] - 1.0);
        EXPECT_LE(box[3], top + 1.0);
        for (const auto& other : boxes) {
          const bool apart = box[2] <= other[0] + 1.0 || other[2] <= box[0] + 1.0 || box[3] <= other[1] + 1.0 ||
                             other[3] <= box[1] + 1.0;
          EXPECT_TRUE(apart) << maxFaces;
        }
        boxes.push_back(box);
      }
    }
    EXPECT_EQ(placed, total);
    NetPage::FreeList(pages);
    // The same copies fit the same way again.
    nets->CountNetsToPrint(nullptr, false);
    NetPage* again = FitNetsOnPages(nets.get(), rect, 1000, nullptr, false, &lowest);
    std::vector<std::vector<std::tuple<int, int, int>>> second;
    for (NetPage* page = again; page; page = page->next) second.push_back(Placements(*page));
    EXPECT_EQ(second, layout);
    NetPage::FreeList(again);
  }
}

TEST_F(NetPagesTest, ANetLargerThanThePageFitsNowhere) {
  Size(1000.0, 1000.0, 1);
  const int32_t rect[4] = {0, 500, 500, 0};
  int32_t lowest = 0;
  EXPECT_EQ(FitNetsOnPages(model.get(), rect, 0, nullptr, false, &lowest), nullptr);
  EXPECT_EQ(lowest, 500);
  // Nothing to print: no pages either.
  Size(10.0, 10.0, 0);
  EXPECT_EQ(FitNetsOnPages(model.get(), rect, 0, nullptr, false, &lowest), nullptr);
}

}  // namespace corvia
