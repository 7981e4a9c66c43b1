// A net's outline filed by place answers a placement as the walk round the outline
// does, and says when it cannot (joins that close a cycle); a facelet's place in its
// net's chain follows the chain through appends, merges and changes made behind the
// table's back; the facelets filed by their boxes, at once or in turns, are found as a
// walk of the net finds them.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "nets/NetOutline.h"
#include "nets/Unfold.h"
#include "tests/nets/NetChecks.h"

namespace test_NetOutline {

namespace n = corvia::testing::nets;
using namespace corvia;

class NetOutlineTest : public n::NetsTest {};

constexpr int kFrequency = 4;

std::vector<Edge3D*> Sorted(PlacementJoins joins) {
  std::sort(joins.begin(), joins.end());
  return joins;
}

TEST_F(NetOutlineTest, APlacementAgainstTheFiledOutlineIsAnsweredAsByTheWalk) {
  std::unique_ptr<Poly> poly = n::BuildGeodesicPoly(kFrequency);
  ASSERT_TRUE(poly);
  Model3D model(poly.get(), false);
  NetType type(1, 1);
  Net* net = type.GetFirstNet();
  net->Init(&type, &model.mFaceTypes->mFacelets[0]);
  NetOutline outline(NetOutline::CellSizeFor(*net));
  outline.Fill(*net);
  ASSERT_TRUE(outline.IsExact());
  // Grown depth first, so that the net winds round the sphere and meets itself: each
  // placement is tried both ways, and the net takes the facelet when they agree it
  // fits.
  int accepted = 0, refused = 0;
  std::vector<Face3D*> open{net->first};
  while (!open.empty()) {
    Face3D* f = open.back();
    open.pop_back();
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      Edge3D* edge = &f->mEdges[i];
      Edge3D* across = Edge3D::GetNeighInNet(edge, true);
      if ((edge->flags & kEdgeJoined) || !across || across->face->mNet) continue;
      PlacementJoins walked, filed;
      const bool byWalk = CalcUnfoldedFacePos2D(edge, across, true, &walked);
      const bool byOutline = CalcUnfoldedFacePos2D(edge, across, true, &filed, &outline);
      ASSERT_EQ(byWalk, byOutline) << GetEdgeName(edge);
      if (!byWalk) {
        ++refused;
        continue;
      }
      EXPECT_EQ(Sorted(walked), Sorted(filed)) << GetEdgeName(edge);
      ++accepted;
      net->AddFacelet(edge, across);
      outline.Remove(edge);
      outline.InsertOpenEdges(across->face);
      ApplyPlacementJoins(filed);
      open.push_back(f);
      open.push_back(across->face);
      break;
    }
  }
  EXPECT_GT(accepted, 100);
  EXPECT_GT(refused, 10) << accepted << " placed";
  EXPECT_TRUE(outline.IsExact());
  n::ExpectNetWithoutOverlap(*net, "the grown net");

  // A join that closes a cycle leaves more than one outline: no longer exact.
  Edge3D* closing = nullptr;
  for (Face3D* f = net->first; f && !closing; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges() && !closing; ++i) {
      Edge3D* across = Edge3D::GetNeighInNet(&f->mEdges[i], false);
      if (!(f->mEdges[i].flags & kEdgeJoined) && across && across->face->mNet == net) closing = &f->mEdges[i];
    }
  }
  ASSERT_NE(closing, nullptr);
  closing->flags |= kEdgeJoinedFirst;
  Edge3D::GetNeighInNet(closing, false)->flags |= kEdgeJoinedAdded;
  NetOutline cycled(NetOutline::CellSizeFor(*net));
  cycled.Fill(*net);
  EXPECT_FALSE(cycled.IsExact());
  model.ClearNets(true);
}

TEST_F(NetOutlineTest, AFaceletsPlaceInItsNetFollowsTheChain) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kCube);
  ASSERT_TRUE(poly);
  Model3D model(poly.get(), false);
  Face3D* f = model.mFaceTypes->mFacelets.get();
  NetType type(1, 2);
  Net* a = &type.nets[0];
  Net* b = &type.nets[1];
  // Two strips of three faces round the cube, joined across their edges.
  auto grow = [](Net* net, Face3D* start, int count) {
    Face3D* last = start;
    for (int k = 1; k < count; ++k) {
      for (int i = 0; i < last->GetNumEdges(); ++i) {
        Edge3D* across = Edge3D::GetNeighInNet(&last->mEdges[i], true);
        if (across && !across->face->mNet) {
          net->AddFacelet(&last->mEdges[i], across);
          last = across->face;
          break;
        }
      }
    }
  };
  a->Init(&type, &f[0]);
  grow(a, &f[0], 3);
  Face3D* bStart = nullptr;
  for (int k = 0; k < 6 && !bStart; ++k) bStart = f[k].mNet ? nullptr : &f[k];
  b->Init(&type, bStart);
  grow(b, bStart, 3);
  ASSERT_EQ(Net::CountFacelets(a), 3);
  const int inB = Net::CountFacelets(b);
  ASSERT_GE(inB, 2);
  auto expectInStep = [](const Net* net) {
    int place = 0;
    for (Face3D* g = net->first; g; g = g->mNextInNet, ++place) {
      EXPECT_EQ(g->GetIndexInNet(), place);
      EXPECT_EQ(net->GetFaceletAt(place), g);
    }
    EXPECT_EQ(net->GetFaceletAt(place), nullptr);
    EXPECT_EQ(Net::CountFacelets(net), place);
  };
  expectInStep(a);
  expectInStep(b);

  // Taken in across an edge between them: b's facelets follow a's.
  Edge3D* between = nullptr;
  for (Face3D* g = a->first; g && !between; g = g->mNextInNet) {
    for (int i = 0; i < g->GetNumEdges() && !between; ++i) {
      Edge3D* across = Edge3D::GetNeighInNet(&g->mEdges[i], true);
      if (across && across->face->mNet == b) between = &g->mEdges[i];
    }
  }
  ASSERT_NE(between, nullptr);
  Edge3D* intoB = Edge3D::GetNeighInNet(between, true);
  b->Absorb(a, intoB);
  EXPECT_EQ(Net::CountFacelets(a), 3 + inB);
  EXPECT_EQ(Net::CountFacelets(b), 0);
  expectInStep(a);

  // The chain changed behind the table's back: the last facelet moved to the head.
  Face3D* before = a->first;
  while (before->mNextInNet != a->last) before = before->mNextInNet;
  Face3D* moved = a->last;
  before->mNextInNet = nullptr;
  moved->mNextInNet = a->first;
  a->first = moved;
  a->last = before;
  expectInStep(a);

  // A facelet that names the net but is not in its chain has no place there.
  Face3D outsider;
  outsider.mNet = a;
  EXPECT_EQ(outsider.GetIndexInNet(), -1);
  outsider.mNet = nullptr;
  model.ClearNets(true);
}

// The facelets whose box (their tabs' points in it) meets a box of the net's plane,
// as a walk of the whole net finds them, in the order of the chain.
std::vector<Face3D*> FaceletsMeetingByWalk(const Net& net, const double* least, const double* largest) {
  std::vector<Face3D*> met;
  for (Face3D* f = net.first; f; f = f->mNextInNet) {
    double lo[2] = {DBL_MAX, DBL_MAX}, hi[2] = {-DBL_MAX, -DBL_MAX};
    auto widen = [&](const double* p) {
      for (int k = 0; k < 2; ++k) {
        lo[k] = std::min(lo[k], p[k]);
        hi[k] = std::max(hi[k], p[k]);
      }
    };
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      widen(f->mEdges[i].unfolded);
      if (!f->mEdges[i].tab) continue;
      for (const TabPoint& t : f->mEdges[i].tab->outline) widen(t.pos2D);
      for (const TabPoint& t : f->mEdges[i].tab->points) widen(t.pos2D);
    }
    if (lo[0] <= largest[0] && hi[0] >= least[0] && lo[1] <= largest[1] && hi[1] >= least[1]) met.push_back(f);
  }
  return met;
}

// A search of the facelets filed by their boxes finds what the walk of the net finds,
// each once and in the order of the chain, for boxes of any size anywhere round the net
// (none beyond it, none for a box that is not one), and after the nets are made again;
// a box the size of a facelet reads under a hundred of the net's thousand boxes.
TEST_F(NetOutlineTest, TheFaceletsFiledByTheirBoxesAreFoundAsAWalkOfTheNetFindsThem) {
  std::unique_ptr<Poly> poly = n::BuildGeodesicPoly(8);
  ASSERT_TRUE(poly);
  std::unique_ptr<Model3D> model = n::MakeNets(poly.get());
  Net* net = model->mCurrentNet;
  ASSERT_NE(net, nullptr);
  const int facelets = Net::CountFacelets(net);
  ASSERT_GT(facelets, 1000);
  // The net's bounds, and the size of a facelet.
  const std::vector<Face3D*> all = FaceletsMeetingByWalk(*net, std::array{-DBL_MAX, -DBL_MAX}.data(),
                                                         std::array{DBL_MAX, DBL_MAX}.data());
  ASSERT_EQ(static_cast<int>(all.size()), facelets);
  double lo[2] = {DBL_MAX, DBL_MAX}, hi[2] = {-DBL_MAX, -DBL_MAX};
  for (const Face3D* f : all) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      for (int k = 0; k < 2; ++k) {
        lo[k] = std::min(lo[k], f->mEdges[i].unfolded[k]);
        hi[k] = std::max(hi[k], f->mEdges[i].unfolded[k]);
      }
    }
  }
  const double edge = std::sqrt(net->first->mEdges[0].GetLengthSquared());
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
  };
  auto expectFound = [&](const double* least, const double* largest) {
    std::vector<Face3D*> found;
    net->FindFaceletsMeeting(least, largest, found);
    EXPECT_EQ(found, FaceletsMeetingByWalk(*net, least, largest))
        << least[0] << "," << least[1] << " to " << largest[0] << "," << largest[1];
    return found.size();
  };
  size_t mostRead = 0;
  for (int k = 0; k < 200; ++k) {
    const double width = hi[0] - lo[0], height = hi[1] - lo[1];
    const double x = lo[0] - 0.2 * width + 1.4 * width * next(), y = lo[1] - 0.2 * height + 1.4 * height * next();
    // A pick's box, a facelet's, and boxes up to half the net.
    const double size = k % 3 == 0 ? 0.1 * edge : k % 3 == 1 ? edge : 0.5 * width * next();
    const double least[2] = {x - size / 2, y - size / 2}, largest[2] = {x + size / 2, y + size / 2};
    const uint64_t before = net->CountFaceletBoxesTested();
    expectFound(least, largest);
    if (k % 3 != 2) mostRead = std::max<size_t>(mostRead, net->CountFaceletBoxesTested() - before);
  }
  EXPECT_LT(mostRead, 100u);
  EXPECT_EQ(expectFound(lo, hi), all.size());
  const double corner[2] = {net->first->mEdges[0].unfolded[0], net->first->mEdges[0].unfolded[1]};
  EXPECT_GE(expectFound(corner, corner), 1u);
  const double beyond[2] = {hi[0] + 100.0 * edge, hi[1] + 100.0 * edge};
  EXPECT_EQ(expectFound(beyond, beyond), 0u);
  EXPECT_EQ(expectFound(hi, lo), 0u);
  const double none[2] = {std::nan(""), std::nan("")};
  EXPECT_EQ(expectFound(none, none), 0u);

  // Cut along a joined edge: the nets are made again, and found as they lie now.
  Edge3D* joined = nullptr;
  for (Face3D* f : all) {
    for (int i = 0; i < f->GetNumEdges() && !joined; ++i) {
      if (f->mEdges[i].Has(kEdgeJoinedFirst) && !f->mEdges[i].Has(kEdgeGeneratorCut)) joined = &f->mEdges[i];
    }
    if (joined) break;
  }
  ASSERT_NE(joined, nullptr);
  joined->ToggleCut(false);
  net = model->mCurrentNet;
  ASSERT_NE(net, nullptr);
  for (int k = 0; k < 30; ++k) {
    const double x = lo[0] + (hi[0] - lo[0]) * next(), y = lo[1] + (hi[1] - lo[1]) * next();
    const double least[2] = {x - edge, y - edge}, largest[2] = {x + edge, y + edge};
    expectFound(least, largest);
  }
}

// The boxes filed a turn at a time, as the idle work files them, make the grid filed at
// once: each turn takes its share of steps and no more (a box measured, then filed), and
// the searches find the same facelets reading the same boxes. A search after a turn,
// as a click after a Cancel, files the rest and finds the same.
TEST_F(NetOutlineTest, TheFaceletsFiledInTurnsAreFiledAsAtOnce) {
  std::unique_ptr<Poly> poly = n::BuildGeodesicPoly(8);
  ASSERT_TRUE(poly);
  std::unique_ptr<Model3D> model = n::MakeNets(poly.get());
  const Net* net = model->mCurrentNet;
  ASSERT_NE(net, nullptr);
  const size_t facelets = static_cast<size_t>(Net::CountFacelets(net));
  ASSERT_GT(facelets, 1000u);
  const double edge = std::sqrt(net->first->mEdges[0].GetLengthSquared());
  // Boxes a pick's size to a few facelets' round the net's facelets, what each finds
  // and the boxes it reads.
  auto search = [&](std::vector<std::vector<Face3D*>>& found, std::vector<uint64_t>& read) {
    found.clear();
    read.clear();
    int k = 0;
    for (const Face3D* f = net->first; f; f = f->mNextInNet, ++k) {
      if (k % 7 != 0) continue;
      const double* p = f->mEdges[0].unfolded;
      const double size = (0.1 + k % 5) * edge;
      const double least[2] = {p[0] - size, p[1] - size}, largest[2] = {p[0] + size, p[1] + size};
      const uint64_t before = net->CountFaceletBoxesTested();
      found.emplace_back();
      net->FindFaceletsMeeting(least, largest, found.back());
      read.push_back(net->CountFaceletBoxesTested() - before);
    }
  };
  EXPECT_EQ(net->FileFaceletBoxes(), 0u);
  std::vector<std::vector<Face3D*>> atOnce, inTurns;
  std::vector<uint64_t> readAtOnce, readInTurns;
  search(atOnce, readAtOnce);

  constexpr size_t kShare = 97;
  model->MarkNetsChanged();
  EXPECT_EQ(net->FileFaceletBoxes(0), 2 * facelets);
  size_t left = 2 * facelets, turns = 0;
  while (left > 0 && turns < 2 * facelets) {
    const size_t now = net->FileFaceletBoxes(kShare);
    EXPECT_EQ(now, left - std::min(left, kShare));
    left = now;
    ++turns;
  }
  EXPECT_EQ(turns, (2 * facelets + kShare - 1) / kShare);
  search(inTurns, readInTurns);
  EXPECT_EQ(inTurns, atOnce);
  EXPECT_EQ(readInTurns, readAtOnce);

  // Cut off while measuring, and while filing.
  for (size_t steps : {facelets / 2, facelets + facelets / 2}) {
    model->MarkNetsChanged();
    EXPECT_EQ(net->FileFaceletBoxes(steps), 2 * facelets - steps);
    search(inTurns, readInTurns);
    EXPECT_EQ(inTurns, atOnce);
    EXPECT_EQ(readInTurns, readAtOnce);
  }
}

}  // namespace test_NetOutline
