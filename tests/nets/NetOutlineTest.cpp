// A net's outline filed by place answers a placement as the walk round the outline
// does, and says when it cannot (joins that close a cycle); a facelet's place in its
// net's chain follows the chain through appends, merges and changes made behind the
// table's back.

#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace test_NetOutline
