#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "core/Progress.h"
#include "platform/Headless.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

TEST(SimplePolyRecords, DefaultsOfNewRecords) {
  SimplePoly poly(2, 2);
  const SimpleFace& f = poly.FaceAt(1);
  EXPECT_FALSE(f.HasNormal());
  EXPECT_EQ(f.flags, kSimpleIsFace);
  EXPECT_EQ(f.color, kSimpleFaceColor);
  EXPECT_EQ(f.nextOfType, 1);
  EXPECT_EQ(poly.VertAt(1).coinc, 1);
  EXPECT_EQ(poly.VertAt(0).typeId, -1);
  poly.FaceAt(0).SetNumVerts(0);
  EXPECT_TRUE(poly.flags & kSimpleHasPlaneFaces);
}

TEST(SimplePolyRecords, FindOrCreateVertMergesWithinTolerance) {
  SimplePoly poly(4, 0);
  int used = 0;
  const double p[3] = {1, 2, 3};
  SimpleVert* a = poly.FindOrCreateVert(p, used);
  const double near[3] = {1 + 1e-7, 2 - 1e-7, 3};
  EXPECT_EQ(poly.FindOrCreateVert(near, used), a);
  const double far[3] = {1 + 2e-7, 2, 3};
  EXPECT_NE(poly.FindOrCreateVert(far, used), a);
  // An infinite vertex is a direction: never the same as a point.
  SimpleVert* inf = poly.FindOrCreateVert(p, used, true);
  EXPECT_NE(inf->GetIndex(), 0);
  EXPECT_TRUE(inf->IsInfinite());
  EXPECT_EQ(poly.FindOrCreateVert(p, used, true), inf);
  EXPECT_EQ(used, 3);
}

// After the whole model moves the search is filled again when it is next used:
// from the positions as they are then, with the moves made in between.
TEST(SimplePolyRecords, SearchAfterTheModelMovesFindsTheNewPositions) {
  SimplePoly poly(4, 0);
  int used = 0;
  const double p[3] = {1, 2, 3}, q[3] = {-1, 0.5, 2};
  SimpleVert* a = poly.FindOrCreateVert(p, used);
  SimpleVert* b = poly.FindOrCreateVert(q, used);
  poly.Scale(2);
  const double moved[3] = {4, 5, 6};
  b->SetPos(moved);
  const double pScaled[3] = {2, 4, 6};
  EXPECT_EQ(poly.FindOrCreateVert(pScaled, used), a);
  EXPECT_EQ(poly.FindOrCreateVert(moved, used), b);
  EXPECT_EQ(poly.FindOrCreateVert(p, used)->GetIndex(), 2);  // nothing is left at the old place
  EXPECT_EQ(used, 3);
  // Once filled, the search follows single moves again.
  const double back[3] = {-1, 0.5, 2};
  b->SetPos(back);
  EXPECT_EQ(poly.FindOrCreateVert(back, used), b);
  EXPECT_EQ(used, 3);
}

TEST(SimplePolyRecords, FullModelWithoutGrowthGivesNullNotACrash) {
  testing::ExpectInternalErrors(3);
  SimplePoly poly(1, 0);
  int used = 0;
  const double p[3] = {0, 0, 0}, q[3] = {1, 0, 0};
  ASSERT_NE(poly.FindOrCreateVert(p, used), nullptr);
  EXPECT_EQ(poly.FindOrCreateVert(q, used), nullptr);
  EXPECT_EQ(used, 1);
  EXPECT_EQ(poly.GetVert(-1), nullptr);
  EXPECT_EQ(poly.GetFace(0), nullptr);
}

// Many additions in random order, most of them repeats within the tolerance: every
// distinct point is one vertex, whatever the growth of the array did meanwhile.
TEST(SimplePolyRecords, HundredThousandAdditionsMergeAfterGrowth) {
  SimplePoly poly;
  poly.flags |= kSimpleGrowable;
  constexpr int kDistinct = 20000;
  constexpr int kAdds = 100000;
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> coord(-1.0, 1.0);
  std::vector<std::array<double, 3>> points(kDistinct);
  for (auto& p : points) {
    for (double& c : p) c = std::round(coord(rng) * 1e4) * 1e-4;  // at least 1e-4 apart
  }
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());
  std::uniform_int_distribution<size_t> pick(0, points.size() - 1);
  std::uniform_real_distribution<double> jitter(-0.9e-7, 0.9e-7);
  std::vector<int> index(points.size(), -1);
  int used = 0;
  for (int i = 0; i < kAdds; ++i) {
    const size_t k = i < static_cast<int>(points.size()) ? points.size() - 1 - static_cast<size_t>(i) : pick(rng);
    // A repeat lies within the tolerance of the first point in every coordinate.
    double p[3];
    for (int c = 0; c < 3; ++c) p[c] = points[k][static_cast<size_t>(c)] + (index[k] >= 0 ? jitter(rng) * 0.5 : 0.0);
    SimpleVert* v = poly.FindOrCreateVert(p, used);
    ASSERT_NE(v, nullptr);
    if (index[k] < 0) {
      index[k] = v->GetIndex();
    } else {
      ASSERT_EQ(v->GetIndex(), index[k]) << "addition " << i;
    }
  }
  EXPECT_EQ(used, static_cast<int>(points.size()));
  EXPECT_EQ(poly.NumVerts(), used);
}

// Points near a cell or tree boundary must still be found (a plain tolerant tree
// misses the second one here).
TEST(SimplePolyRecords, NearBoundaryPointIsFound) {
  SimplePoly poly(3, 0);
  int used = 0;
  const double a[3] = {1.5e-7, 0, 0}, w[3] = {0, 5, 0}, q[3] = {0.9e-7, 5, 0};
  poly.FindOrCreateVert(a, used);
  SimpleVert* vw = poly.FindOrCreateVert(w, used);
  const int wi = vw->GetIndex();
  EXPECT_EQ(poly.FindOrCreateVert(q, used)->GetIndex(), wi);
}

TEST(SimplePolyRecords, GrowthKeepsEverything) {
  SimplePoly poly(10, 2);
  poly.flags |= kSimpleGrowable;
  int used = 0;
  for (int i = 0; i < 10; ++i) {
    const double p[3] = {double(i), 0, 0};
    poly.FindOrCreateVert(p, used);
  }
  poly.VertAt(3).SetLabel("three");
  poly.VertAt(3).SetAlpha(0.5f);
  poly.FaceAt(0).SetNumVerts(3);
  for (int k = 0; k < 3; ++k) poly.FaceAt(0).SetVertIndex(k, k + 4);
  poly.FaceAt(0).JoinCoinc(poly.FaceAt(1));
  poly.currentFace = 1;
  ASSERT_NE(poly.GetVert(15), nullptr);
  ASSERT_NE(poly.GetFace(30), nullptr);
  EXPECT_EQ(poly.NumVerts(), 16);
  EXPECT_EQ(poly.VertAt(3).Label(), "three");
  EXPECT_FLOAT_EQ(poly.VertAt(3).Alpha(), 0.5f);
  EXPECT_EQ(poly.FaceAt(0).VertAt(2).pos[0], 6.0);
  EXPECT_EQ(poly.FaceAt(0).CoincCount(), 2);
  EXPECT_EQ(poly.GetCurrentFace(), &poly.FaceAt(1));
  // The search still finds the early vertices.
  const double p[3] = {7, 0, 0};
  EXPECT_EQ(poly.FindOrCreateVert(p, used)->GetIndex(), 7);
}

// A label is held apart from the record and only while it has text: each copy owns
// its own text, and whatever clears a label (a blank text, an empty one, a move)
// leaves it empty, so that no empty label is counted or written.
TEST(SimplePolyRecords, LabelsAreCopiedWholeAndClearedToNothing) {
  SimplePoly a(2, 1), b(2, 1);
  a.VertAt(0).SetLabel("north");
  b.VertAt(1).CopyAttributes(a.VertAt(0));
  a.VertAt(0).SetLabel("south");
  EXPECT_EQ(b.VertAt(1).Label(), "north");
  EXPECT_EQ(std::string("pole ") + b.VertAt(1).Label(), "pole north");
  a.VertAt(0).SetLabel(" \t\r\n");
  EXPECT_TRUE(a.VertAt(0).Label().empty());
  EXPECT_EQ(a.VertAt(0).Label().c_str(), std::string());
  OptionalText top;
  top = std::string("top");
  EXPECT_EQ(top, "top");
  top = std::string();
  EXPECT_TRUE(top.empty());
  EXPECT_EQ(top.size(), 0u);

  b.SetNumEdges(2);
  b.EdgeAt(0).SetLabel("rim");
  b.EdgeAt(1) = b.EdgeAt(0);
  b.EdgeAt(0).SetLabel(nullptr);
  EXPECT_TRUE(b.EdgeAt(0).label.empty());
  EXPECT_EQ(b.EdgeAt(1).label, "rim");
  SimpleVert moved(std::move(b.VertAt(1)));
  EXPECT_EQ(moved.Label(), "north");
  EXPECT_TRUE(b.VertAt(1).Label().empty());
}

// A large model's records are made in runs with a report after each, so that the
// window answers; a Cancel clicked then is left for the caller's next report, which can
// stop the work (the growth itself cannot).
TEST(SimplePolyRecords, ALargeGrowthReportsBetweenRunsOfRecords) {
  platform::HeadlessProgress& progress = testing::Platform().progress;
  SimplePoly poly(10, 0);
  int pumps = 0;
  int most = 0;
  int last = poly.NumVerts() + poly.NumFaces();
  progress.Current()->onPump = [&](platform::HeadlessProgressWindow::State& state) {
    testing::Platform().clock.Advance(1.0);
    const int made = poly.NumVerts() + poly.NumFaces();
    most = std::max(most, made - last);
    last = made;
    if (++pumps == 3) state.cancel = true;
  };
  bool goOn = true;
  {
    ProgressScope scope;
    testing::Platform().clock.Advance(2.0);
    poly.Resize(100000, 200000);
    // The caller's next step.
    ProgressScope step;
    goOn = UpdateProgress(0.5);
  }
  progress.Current()->onPump = nullptr;
  EXPECT_FALSE(goOn) << "the Cancel was lost";
  EXPECT_GT(pumps, 10);
  EXPECT_LE(most, SimplePoly::kRecordsPerReport);
  ASSERT_EQ(poly.NumVerts(), 100000);
  ASSERT_EQ(poly.NumFaces(), 200000);
  for (int i : {10, 16394, 99999}) {
    EXPECT_EQ(poly.VertAt(i).coinc, i);
    EXPECT_EQ(poly.VertAt(i).GetIndex(), i);
  }
  for (int i : {0, 150000, 199999}) {
    EXPECT_EQ(poly.FaceAt(i).nextOfType, i);
    EXPECT_EQ(poly.FaceAt(i).GetIndex(), i);
  }
}

// The faces round every vertex of a large model are gathered in runs with a report
// after each: a million faces took most of a second with none. The lists are made
// whole, in face order, and a Cancel clicked meanwhile is left for the caller.
TEST(SimplePolyRecords, LargeVertexFaceListsReportBetweenRunsOfRecords) {
  platform::HeadlessProgress& progress = testing::Platform().progress;
  const int verts = 60000;
  const int faces = 2 * verts;
  SimplePoly poly(verts, faces);
  for (int i = 0; i < faces; ++i) {
    SimpleFace& f = poly.FaceAt(i);
    f.SetNumVerts(3);
    for (int k = 0; k < 3; ++k) f.SetVertIndex(k, (i / 2 + k) % verts);
  }
  int pumps = 0;
  int most = 0;
  int last = 0;
  auto listed = [&poly] {
    int k = 0;
    for (int i = 0; i < poly.NumVerts(); ++i) k += poly.VertAt(i).Count() > 0 ? 1 : 0;
    return k;
  };
  progress.Current()->onPump = [&](platform::HeadlessProgressWindow::State& state) {
    testing::Platform().clock.Advance(1.0);
    const int now = listed();
    most = std::max(most, now - last);
    last = now;
    if (++pumps == 3) state.cancel = true;
  };
  bool goOn = true;
  {
    ProgressScope scope;
    testing::Platform().clock.Advance(2.0);
    poly.CreateVertexFaceLists(true);
    ProgressScope step;
    goOn = UpdateProgress(0.5);
  }
  progress.Current()->onPump = nullptr;
  EXPECT_FALSE(goOn) << "the Cancel was lost";
  // Two passes over the faces and one over the vertices.
  EXPECT_GE(pumps, 2 * faces / SimplePoly::kRecordsPerReport + verts / SimplePoly::kRecordsPerReport);
  EXPECT_LE(most, SimplePoly::kRecordsPerReport) << "vertices given their lists between two reports";
  for (int v : {0, 1, 2, 30000, verts - 1}) {
    // Vertex v is a corner of the two faces of each of the steps v-2, v-1 and v.
    std::vector<int32_t> expected;
    for (int s : {v - 2, v - 1, v}) {
      const int step = (s + verts) % verts;
      expected.push_back(2 * step);
      expected.push_back(2 * step + 1);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(poly.VertAt(v).items, expected) << v;
  }
}

TEST(SimplePolyRecords, SetNameRules) {
  SimplePoly poly;
  poly.SetName("", "");
  EXPECT_TRUE(poly.name.empty());
  poly.SetName("", "Geodesic ");
  EXPECT_EQ(poly.name, "Geodesic Polyhedron");
  // A long name keeps the model it came from; a long chain of operations before it
  // leaves out its oldest ones, never the name it started from.
  poly.SetName(std::string(70, 'a').c_str(), "Stellar");
  EXPECT_EQ(poly.name, "Stellar" + std::string(70, 'a'));
  const std::string blend = "Dual compound of Crossed Heptagrammic Cupolaic Blend";
  poly.SetName(blend.c_str(), "Convex hull of ", true);
  EXPECT_EQ(poly.name, "Convex hull of " + blend);
  poly.SetName(poly.name.c_str(), "Faceted ", true);
  EXPECT_EQ(poly.name, "Faceted ... " + blend);
  poly.SetName(poly.name.c_str(), "Stellated ", true);
  EXPECT_EQ(poly.name, "Stellated ... " + blend);
  poly.SetName("Faceted Stellated Augmented Tridiminished Icosahedron", "Compound of mirror images of ");
  EXPECT_EQ(poly.name, "Compound of mirror images of ... Augmented Tridiminished Icosahedron");
  poly.SetName("Faceted Convex hull of Stellated Faceted Augmented Cube", "Dual compound of ", true);
  EXPECT_EQ(poly.name, "Dual compound of Faceted Convex hull of ... Augmented Cube");
  poly.SetName(nullptr);
  poly.SetDualName("Stellated Faceted Stellated Great Rhombicosidodecahedron", "Convex hull of ", true);
  EXPECT_EQ(poly.dualName, "Convex hull of ... Stellated Great Rhombicosidodecahedron");
  poly.SetName("Dual Cube", "Dual ");
  EXPECT_EQ(poly.name, "Dual Cube");
  poly.SetName("Dual Cube", "Dual ", true);
  EXPECT_EQ(poly.name, "Dual Dual Cube");
  poly.SetName(std::string(59, 'b').c_str());
  EXPECT_EQ(poly.name.size(), 59u);
  poly.SetDualName(nullptr, "Great ");
  EXPECT_EQ(poly.dualName, "Great Dual");
}

TEST(SimplePolyRecords, SetSymmetryWithOwnGroup) {
  SimplePoly poly;
  poly.symmetry = CreateSymGroup(kSymGroupOctahedral, 0);
  poly.SetSymmetry(poly.symmetry.get());
  ASSERT_NE(poly.symmetry, nullptr);
  EXPECT_EQ(poly.symmetry->type, kSymGroupOctahedral);
}

TEST(SimplePolyRecords, FaceCornerEditing) {
  SimplePoly poly(5, 1);
  SimpleFace& f = poly.FaceAt(0);
  f.SetNumVerts(4);
  for (int k = 0; k < 4; ++k) f.SetVert(k, &poly.VertAt(k));
  EXPECT_EQ(f.FindVert(&poly.VertAt(2)), 2);
  EXPECT_EQ(f.FindVert(&poly.VertAt(2), 2), -1);
  f.InsertVertAt(1, &poly.VertAt(4));
  EXPECT_EQ(f.items, (std::vector<int32_t>{0, 4, 1, 2, 3}));
  f.RemoveVert(&poly.VertAt(1));
  f.RemoveVertsAt(0, 2);
  EXPECT_EQ(f.items, (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(WrapIndex(3, 1, 4), 0);
  EXPECT_EQ(WrapIndex(0, -1, 4), 3);
}

TEST(SimplePolyRecords, TruncateRefusesDanglingReferences) {
  testing::ExpectInternalErrors(1);
  SimplePoly poly(5, 2);
  poly.FaceAt(0).SetNumVerts(1);
  poly.FaceAt(0).SetVertIndex(0, 4);
  EXPECT_FALSE(poly.Truncate(3, 1));
  EXPECT_EQ(poly.NumVerts(), 5);
  EXPECT_TRUE(poly.Truncate(5, 1));
  EXPECT_EQ(poly.NumFaces(), 1);
}

}  // namespace
}  // namespace corvia
