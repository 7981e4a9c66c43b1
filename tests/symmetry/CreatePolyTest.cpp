#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/FaceImageRef.h"
#include "core/Progress.h"
#include "model/CreatePoly.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "symmetry/ExportPrep.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"
#include "tests/symmetry/SymTestHelpers.h"

namespace test_CreatePoly {

using corvia::Edge;
using corvia::Poly;
using corvia::PolyElement;
using corvia::SimplePoly;
using corvia::SymGroup;
using corvia::symtest::AddCyclicSigns;
using corvia::symtest::AddRing;
using corvia::symtest::BruteHullFaces;
using corvia::symtest::Cube;
using corvia::symtest::EdgeTypeSizes;
using corvia::symtest::FaceList;
using corvia::symtest::MakeHullModel;
using corvia::symtest::MakeModel;
using corvia::symtest::Point;
using corvia::symtest::Snapshot;
using corvia::symtest::SnubCubeOfHand;
using corvia::symtest::SquareAntiprism;
using corvia::symtest::Take;
using corvia::symtest::Tetrahedron;
using corvia::symtest::TypeSizes;

constexpr const char* kInvalid = corvia::symtest::kInvalidModelText;

std::vector<Point> Cuboctahedron() {
  std::vector<Point> p;
  AddCyclicSigns(p, {1, 1, 0});
  return p;
}

// Two interpenetrating tetrahedra on the corners of a cube.
std::unique_ptr<SimplePoly> TwoTetrahedra() {
  const std::vector<Point> a = Tetrahedron();
  std::vector<Point> points = a;
  for (const Point& q : a) points.push_back({-q[0], -q[1], -q[2]});
  FaceList faces = BruteHullFaces(a);
  const std::vector<Point> b(points.begin() + 4, points.end());
  for (auto face : BruteHullFaces(b)) {
    for (int& i : face) i += 4;
    faces.push_back(face);
  }
  return MakeModel(points, faces);
}

bool Build(Poly& poly, SimplePoly& model) {
  return CreatePoly(model, &poly, false, true).done();
}

// The shared face-type sizes under the name these tests read them by.
std::vector<int> FaceTypeSizes(const corvia::FaceTypeBlock& block) { return TypeSizes(block); }

// Every edge joins two corners shared by its two faces, and sits in the slots of all four.
void ExpectEdgesLinked(const Poly& poly) {
  for (int i = 0; i < poly.mNumEdges; ++i) {
    const Edge& e = poly.mEdgeArray[i];
    ASSERT_TRUE(e.mVert1 && e.mVert2 && e.mFace1 && e.mFace2) << "edge " << i;
    for (const PolyElement* f : {static_cast<const PolyElement*>(e.mFace1), static_cast<const PolyElement*>(e.mFace2)}) {
      EXPECT_TRUE(f->HasCorner(e.mVert1) && f->HasCorner(e.mVert2)) << "edge " << i;
      EXPECT_GE(f->FindEdgeIndexAfter(&e, -1), 0) << "edge " << i;
    }
    EXPECT_GE(e.mEdgeType, 0);
    EXPECT_LT(e.mEdgeType, poly.mNumEdgeTypes);
  }
  for (int t = 0; t < poly.mNumEdgeTypes; ++t) {
    const corvia::EdgeType& type = poly.mEdgeTypes[t];
    ASSERT_NE(type.mFirstEdge, nullptr);
    for (int k = 0; k < type.mNumEdges; ++k) EXPECT_EQ(type.mFirstEdge[k].mEdgeType, t);
  }
}

TEST(CreatePolyTest, CubeBecomesTheFullModel) {
  auto model = MakeHullModel(Cube());
  Poly poly;
  ASSERT_TRUE(Build(poly, *model));
  EXPECT_EQ(SymGroup::GetSchoenflies(poly.mSymGroup), "Oh");
  EXPECT_EQ(poly.mFaces.mCount, 6);
  EXPECT_EQ(poly.mVertices.mCount, 8);
  EXPECT_EQ(poly.mBaseBlock->CountFaceTypes(), 1);
  EXPECT_EQ(poly.mDualBlock->CountFaceTypes(), 1);
  EXPECT_EQ(poly.mNumEdges, 12);
  EXPECT_EQ(poly.mNumEdgeTypes, 1);
  EXPECT_EQ(poly.mReflexible, 1);
  EXPECT_EQ(poly.mBuildState, 1);
  ExpectEdgesLinked(poly);
  // The dual block: the cube's vertices are the octahedron's 8 faces, all of one type.
  ASSERT_NE(poly.mDualBlock->mFirstFaceType, nullptr);
  EXPECT_EQ(poly.mDualBlock->mFirstFaceType->mCount, 8);
  // One convex part: density 1 and the simple-solid mark.
  EXPECT_NEAR(poly.mModelDensity, 1.0, 1e-9);
  EXPECT_TRUE(poly.mPolyFlags & corvia::kPolyFlagDensityOne);
  EXPECT_EQ(poly.CountCompoundParts(), 1);
}

TEST(CreatePolyTest, FaceTypesOfArchimedeanAndPrismaticModels) {
  {
    auto model = MakeHullModel(Cuboctahedron());
    Poly poly;
    ASSERT_TRUE(Build(poly, *model));
    EXPECT_EQ(SymGroup::GetSchoenflies(poly.mSymGroup), "Oh");
    EXPECT_EQ(FaceTypeSizes(*poly.mBaseBlock), (std::vector<int>{6, 8}));
    EXPECT_EQ(poly.mDualBlock->CountFaceTypes(), 1);
    EXPECT_EQ(poly.mNumEdges, 24);
    EXPECT_EQ(poly.mNumEdgeTypes, 1);
    ExpectEdgesLinked(poly);
  }
  {
    auto model = MakeHullModel(SquareAntiprism());
    Poly poly;
    ASSERT_TRUE(Build(poly, *model));
    EXPECT_EQ(SymGroup::GetSchoenflies(poly.mSymGroup), "D4d");
    EXPECT_EQ(FaceTypeSizes(*poly.mBaseBlock), (std::vector<int>{2, 8}));
    EXPECT_EQ(poly.mNumEdges, 16);
    // The 2-fold axes pass through the side edges: under the rotations they form two
    // orbits of 4, mirror images of each other, with consecutive type numbers.
    EXPECT_EQ(EdgeTypeSizes(poly), (std::vector<int>{4, 4, 8}));
    ExpectEdgesLinked(poly);
    int first = 0, second = 0;
    for (int i = 0; i < poly.mNumEdges; ++i) {
      const Edge& e = poly.mEdgeArray[i];
      if (e.mEdgeFlags & corvia::kEdgeMirrorFirst) {
        ++first;
        EXPECT_EQ(poly.mEdgeTypes[e.mEdgeType].mNumEdges, 4);
      }
      if (e.mEdgeFlags & corvia::kEdgeMirrorSecond) {
        ++second;
        ASSERT_GE(e.mEdgeType, 1);
        EXPECT_TRUE(poly.mEdgeTypes[e.mEdgeType - 1].mFirstEdge->mEdgeFlags & corvia::kEdgeMirrorFirst);
      }
    }
    EXPECT_EQ(first, 4);
    EXPECT_EQ(second, 4);
  }
}

TEST(CreatePolyTest, SnubCubeIsChiralWithTwoOrbitsOfTriangles) {
  auto model = MakeHullModel(SnubCubeOfHand(true));
  Poly poly;
  ASSERT_TRUE(Build(poly, *model));
  EXPECT_EQ(SymGroup::GetSchoenflies(poly.mSymGroup), "O");
  EXPECT_EQ(poly.mReflexible, 0);
  EXPECT_EQ(FaceTypeSizes(*poly.mBaseBlock), (std::vector<int>{6, 8, 24}));
  EXPECT_EQ(poly.mDualBlock->CountFaceTypes(), 1);
  // 60 edges: square-triangle 24, triangle-triangle 24 + 12 (orbits of the 24 rotations).
  EXPECT_EQ(poly.mNumEdges, 60);
  EXPECT_EQ(EdgeTypeSizes(poly), (std::vector<int>{12, 24, 24}));
  ExpectEdgesLinked(poly);
  for (int i = 0; i < poly.mNumEdges; ++i) {
    EXPECT_EQ(poly.mEdgeArray[i].mEdgeFlags & (corvia::kEdgeMirrorFirst | corvia::kEdgeMirrorSecond |
                                                 corvia::kEdgeSelfMirror),
              0u);
  }
}

TEST(CreatePolyTest, CompoundOfTwoTetrahedraHasTwoParts) {
  auto model = TwoTetrahedra();
  Poly poly;
  ASSERT_TRUE(Build(poly, *model));
  EXPECT_EQ(poly.mFaces.mCount, 8);
  EXPECT_EQ(poly.CountCompoundParts(), 2);
  EXPECT_EQ(poly.mNumEdges, 12);
  EXPECT_FALSE(poly.mPolyFlags & corvia::kPolyFlagDensityOne);
  ExpectEdgesLinked(poly);
}

TEST(CreatePolyTest, SameModelGivesTheSameSetUpEveryTime) {
  for (auto points : {SnubCubeOfHand(true), Cuboctahedron(), SquareAntiprism()}) {
    auto first = MakeHullModel(points);
    auto second = MakeHullModel(points);
    Poly a, b;
    ASSERT_TRUE(Build(a, *first));
    ASSERT_TRUE(Build(b, *second));
    EXPECT_TRUE(Take(a) == Take(b));
    // Building into a model that already holds one gives the same again.
    auto third = MakeHullModel(points);
    ASSERT_TRUE(Build(a, *third));
    EXPECT_TRUE(Take(a) == Take(b));
  }
}

TEST(CreatePolyTest, ModelThatCannotBeBuiltLeavesTheOldOne) {
  auto cube = MakeHullModel(Cube());
  Poly poly;
  ASSERT_TRUE(Build(poly, *cube));
  poly.SetName("cube");
  const Snapshot before = Take(poly);
  const PolyElement* firstFace = poly.mFaces.mHead;
  const SymGroup* group = poly.mSymGroup;

  auto& messages = corvia::testing::Platform().messages;
  std::vector<std::unique_ptr<SimplePoly>> bad;
  bad.push_back(MakeModel({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 2, 1}}));
  bad.push_back(MakeModel({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}, {0, 3, 2, 1}}));
  for (auto& model : bad) {
    messages.Clear();
    const corvia::Outcome outcome = CreatePoly(*model, &poly, false, true);
    EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused);
    EXPECT_EQ(outcome.text(), kInvalid);
    EXPECT_TRUE(messages.Boxes().empty());
    EXPECT_EQ(poly.mFaces.mHead, firstFace);
    EXPECT_EQ(poly.mSymGroup, group);
    EXPECT_STREQ(poly.mName, "cube");
    EXPECT_TRUE(Take(poly) == before);
  }
  messages.Clear();
}

// A clock that moves two seconds at every look, so that the progress window opens at
// once and every tick of long work pumps it.
class TickingClock final : public corvia::platform::Clock {
 public:
  double NowSeconds() const override { return mNow += 2.0; }

 private:
  mutable double mNow = 0.0;
};

// The search for the symmetries of a large model keeps the progress window answering
// candidate by candidate; a cancel there leaves the old model as it was, with no box.
TEST(CreatePolyTest, ACancelWhileTheSymmetriesAreSearchedLeavesTheOldModel) {
  auto cube = MakeHullModel(Cube());
  Poly poly;
  ASSERT_TRUE(Build(poly, *cube));
  const Snapshot before = Take(poly);
  // The geodesic sphere of frequency 6 on the octahedron: many candidate axes.
  auto octahedron = MakeHullModel({{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}});
  std::unique_ptr<SimplePoly> sphere = corvia::Subdivide(*octahedron, corvia::kSubdivideGeodesic, 6);
  ASSERT_TRUE(sphere);
  TickingClock clock;
  corvia::platform::ServiceSet services = corvia::platform::Services();
  services.clock = &clock;
  const corvia::platform::ServiceSet previous = corvia::platform::InstallServices(services);
  auto& progress = corvia::testing::Platform().progress;
  int searching = 0;
  // Each window takes the hook over from the one before.
  progress.Current()->onPump = [&](corvia::platform::HeadlessProgressWindow::State& state) {
    if (state.caption == "Finding the symmetries of the new model..." && ++searching == 3) state.cancel = true;
  };
  corvia::testing::Platform().messages.Clear();
  EXPECT_FALSE(CreatePoly(*sphere, &poly, false, false));
  progress.Current()->onPump = nullptr;
  corvia::platform::InstallServices(previous);
  EXPECT_EQ(searching, 3);
  EXPECT_TRUE(Take(poly) == before);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  EXPECT_FALSE(corvia::IsProgressActive());
}

// Every report of the build up to the old model's end (the symmetry search with its
// hull, its sorting and its axis tests) can take a cancel, and each leaves the old
// model as it was, with no box and no level left open.
TEST(CreatePolyTest, ACancelAtAnyReportBeforeTheOldModelGoesLeavesIt) {
  auto cube = MakeHullModel(Cube());
  Poly poly;
  ASSERT_TRUE(Build(poly, *cube));
  const Snapshot before = Take(poly);
  auto octahedron = MakeHullModel({{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}});
  TickingClock clock;
  corvia::platform::ServiceSet services = corvia::platform::Services();
  services.clock = &clock;
  const corvia::platform::ServiceSet previous = corvia::platform::InstallServices(services);
  auto& progress = corvia::testing::Platform().progress;
  int pumps = 0;
  int cancelAt = 0;
  progress.Current()->onPump = [&](corvia::platform::HeadlessProgressWindow::State& state) {
    if (state.caption != "Finding the symmetries of the new model...") return;
    if (++pumps == cancelAt) state.cancel = true;
  };
  // A first build counts the reports; it is then cancelled at each in turn.
  {
    std::unique_ptr<SimplePoly> sphere = corvia::Subdivide(*octahedron, corvia::kSubdivideGeodesic, 6);
    Poly counted;
    ASSERT_TRUE(CreatePoly(*sphere, &counted, false, false));
  }
  const int reports = pumps;
  EXPECT_GT(reports, 10) << "the search reports as it goes";
  std::vector<int> notLeft;
  for (cancelAt = 1; cancelAt <= reports; ++cancelAt) {
    pumps = 0;
    std::unique_ptr<SimplePoly> sphere = corvia::Subdivide(*octahedron, corvia::kSubdivideGeodesic, 6);
    corvia::testing::Platform().messages.Clear();
    const bool made = CreatePoly(*sphere, &poly, false, false).done();
    if (made || !(Take(poly) == before) || !corvia::testing::Platform().messages.Boxes().empty() ||
        corvia::IsProgressActive()) {
      notLeft.push_back(cancelAt);
    }
    if (made) break;
  }
  progress.Current()->onPump = nullptr;
  corvia::platform::InstallServices(previous);
  EXPECT_TRUE(notLeft.empty()) << "cancelled at report " << notLeft.front() << " of " << reports;
}

TEST(CreatePolyTest, FaceOnARemovedVertexIsRefusedBeforeTheOldModelGoes) {
  auto cube = MakeHullModel(Cube());
  Poly poly;
  ASSERT_TRUE(Build(poly, *cube));
  const Snapshot before = Take(poly);
  // A face that refers to a vertex index past the end, or to a removed vertex, cannot
  // be built; the check comes before the old model is destroyed. An index past the
  // end is bad input, the user's error; a removed vertex that a face still uses is a
  // builder's fault.
  auto& messages = corvia::testing::Platform().messages;
  for (int variant = 0; variant < 2; ++variant) {
    auto model = MakeHullModel(Cube());
    if (variant == 0) {
      model->FaceAt(0).items[0] = 99;
    } else {
      model->VertAt(model->FaceAt(0).items[0]).flags |= corvia::kSimpleTemp;
    }
    messages.Clear();
    const corvia::Outcome outcome = CreatePoly(*model, &poly, false, true);
    EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused);
    if (variant == 0) {
      EXPECT_EQ(outcome.text(), std::string(kInvalid) + "\n\nFace 0 refers to vertex 99, which the model does not have.");
      EXPECT_TRUE(messages.Boxes().empty());
    } else {
      EXPECT_EQ(outcome.text().rfind(kInvalid, 0), 0u) << outcome.text();
    }
    EXPECT_TRUE(Take(poly) == before);
  }
  messages.Clear();
}

TEST(CreatePolyTest, MidRadiusAndCentralFaces) {
  // Edge lines of the cube lie at distance sqrt(2) before normalising.
  auto cube = MakeHullModel(Cube());
  EXPECT_NEAR(cube->GetMidRadius(), std::sqrt(2.0), 1e-12);
  // A model whose only face lines all pass through the origin gives no distance:
  // the radius falls back to 1 instead of the mean of nothing.
  auto lines = MakeModel({{1, 0, 0}, {-1, 0, 0}, {2, 0, 0}}, {{0, 1, 2}});
  EXPECT_EQ(lines->GetMidRadius(), 1.0);
  EXPECT_TRUE(std::isfinite(lines->GetMidRadius()));
}

TEST(CreatePolyTest, EdgeAttributesFollowTheirEdgesAndBadRecordsAreSkipped) {
  auto cube = MakeHullModel(Cube());
  cube->SetNumEdges(3);
  // Edge 0: a real edge of face 0; edge 1: a removed face index; edge 2: ends that
  // share no edge.
  const corvia::SimpleFace& f0 = cube->FaceAt(0);
  const int a = f0.items[0], b = f0.items[1];
  int other = -1;
  for (int i = 1; i < cube->NumFaces() && other < 0; ++i) {
    const corvia::SimpleFace& f = cube->FaceAt(i);
    for (int k = 0; k < f.Count(); ++k) {
      if (f.items[k] == b && f.items[(k + 1) % f.Count()] == a) other = i;
    }
  }
  ASSERT_GE(other, 0);
  corvia::SimpleEdge& e0 = cube->EdgeAt(0);
  e0.endA = a;
  e0.endB = b;
  e0.faceA = 0;
  e0.faceB = other;
  e0.flags = corvia::kEdgeHidden;
  e0.color = 0x0000FF;
  e0.SetLabel("edge");
  corvia::SimpleEdge& e1 = cube->EdgeAt(1);
  e1.endA = a;
  e1.endB = b;
  e1.faceA = 0;
  e1.faceB = 1000;
  corvia::SimpleEdge& e2 = cube->EdgeAt(2);
  e2.endA = 0;
  e2.endB = 7;
  e2.faceA = 0;
  e2.faceB = 1;
  Poly poly;
  ASSERT_TRUE(Build(poly, *cube));
  int labelled = 0;
  for (int i = 0; i < poly.mNumEdges; ++i) {
    const Edge& e = poly.mEdgeArray[i];
    if (!e.HasLabel()) {
      EXPECT_FALSE(e.mEdgeFlags & corvia::kEdgeHidden);
      continue;
    }
    ++labelled;
    EXPECT_STREQ(e.GetLabel(), "edge");
    EXPECT_TRUE(e.mEdgeFlags & corvia::kEdgeHidden);
    EXPECT_FLOAT_EQ(e.mColor[0], 1.0f);
    EXPECT_FLOAT_EQ(e.mColor[1], 0.0f);
  }
  EXPECT_EQ(labelled, 1);
}

int CountImages() {
  int n = 0;
  for (corvia::ListNode* node = corvia::GetFaceImageList(); node; node = node->mNext) ++n;
  return n;
}

TEST(CreatePolyTest, ImagesAreCopiedOncePerModelAndOwnedByTheNewElements) {
  const int before = CountImages();
  {
    auto model = MakeHullModel(Cube());
    ASSERT_EQ(model->NumFaces(), 6);
    auto* shared = new corvia::FaceImage(nullptr, corvia::kImageProjectPlanar, corvia::kImageBoundaryBorder);
    for (int i = 0; i < 3; ++i) shared->AddUse();
    shared->mRotation = 0.5;
    shared->mOwner = static_cast<corvia::SimpleElement*>(&model->FaceAt(3));
    model->FaceAt(0).SetImage(shared);
    model->FaceAt(3).SetImage(shared);
    model->VertAt(5).SetImage(shared);
    // An owner outside the plain model is not carried into the new one.
    int elsewhere = 0;
    auto* stray = new corvia::FaceImage(nullptr, corvia::kImageProjectPlanar, corvia::kImageBoundaryBorder);
    stray->AddUse();
    stray->mOwner = &elsewhere;
    model->FaceAt(1).SetImage(stray);

    Poly poly;
    ASSERT_TRUE(Build(poly, *model));
    EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 0);
    corvia::FaceImage* copy = poly.GetFace(0)->GetImage();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, shared);
    EXPECT_EQ(poly.GetFace(3)->GetImage(), copy);
    EXPECT_EQ(poly.GetVertex(5)->GetImage(), copy);
    EXPECT_EQ(poly.GetFace(2)->GetImage(), nullptr);
    EXPECT_EQ(copy->GetUseCount(), 3);
    EXPECT_EQ(copy->mRotation, 0.5);
    EXPECT_EQ(copy->GetOwnerFace(), poly.GetFace(3));
    corvia::FaceImage* strayCopy = poly.GetFace(1)->GetImage();
    ASSERT_NE(strayCopy, nullptr);
    EXPECT_EQ(strayCopy->GetOwnerFace(), nullptr);
    EXPECT_EQ(shared->GetUseCount(), 3);
    EXPECT_EQ(CountImages(), before + 4);
  }
  EXPECT_EQ(CountImages(), before);
}

// A plain model made only to be built lets go of its vertices and faces once the new
// model holds them; the model built is the one built from a model that keeps them,
// with the edge attributes (read after) and the picture (whose owner is found before).
TEST(CreatePolyTest, AModelBuiltOnceLetsGoOfItsElementsAndBuildsTheSameModel) {
  const int before = CountImages();
  {
    Poly kept, released;
    for (const bool once : {false, true}) {
      auto cube = MakeHullModel(Cube());
      cube->SetNumEdges(1);
      const corvia::SimpleFace& f0 = cube->FaceAt(0);
      corvia::SimpleEdge& edge = cube->EdgeAt(0);
      edge.endA = f0.items[0];
      edge.endB = f0.items[1];
      edge.faceA = 0;
      for (int i = 1; i < cube->NumFaces() && edge.faceB < 0; ++i) {
        if (cube->FaceAt(i).HasEdge(edge.endB, edge.endA)) edge.faceB = i;
      }
      edge.SetLabel("edge");
      auto* image = new corvia::FaceImage(nullptr, corvia::kImageProjectPlanar, corvia::kImageBoundaryBorder);
      image->AddUse();
      image->mOwner = static_cast<corvia::SimpleElement*>(&cube->FaceAt(3));
      cube->FaceAt(3).SetImage(image);
      if (once) cube->flags |= corvia::kSimpleBuiltOnce;
      Poly& poly = once ? released : kept;
      ASSERT_TRUE(Build(poly, *cube));
      EXPECT_EQ(cube->NumVerts(), once ? 0 : 8);
      EXPECT_EQ(cube->NumFaces(), once ? 0 : 6);
      ASSERT_NE(poly.GetFace(3)->GetImage(), nullptr);
      EXPECT_EQ(poly.GetFace(3)->GetImage()->GetOwnerFace(), poly.GetFace(3));
      int labelled = 0;
      for (int i = 0; i < poly.mNumEdges; ++i) labelled += poly.mEdgeArray[i].HasLabel() ? 1 : 0;
      EXPECT_EQ(labelled, 1);
    }
    EXPECT_TRUE(Take(kept) == Take(released));
    EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 0);
  }
  EXPECT_EQ(CountImages(), before);
}

}  // namespace test_CreatePoly
