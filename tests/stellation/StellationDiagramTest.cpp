// Stellation diagrams of whole models: the numbers of lines, points, segments and
// facets of the classical diagrams; the subdivision's rings, twins and line runs; the
// corners linked across planes to the same 3D edge; the rings of points that stand for
// one vertex; faces through the centre; a face with nothing to cut it; crossings nearer
// together than a fixed distance tells apart, and a saved model's with them; regions
// that meet at a point alone.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "core/VectorMath.h"
#include "files/ModelFile.h"
#include "model/CreatePoly.h"
#include "model/ElementFlags.h"
#include "model/Subdivision.h"
#include "stellation/Stellate.h"
#include "stellation/StellationDiagram.h"
#include "tests/model/PolyModels.h"
#include "tests/stellation/StellationModels.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SimplePolyTestModels.h"

namespace test_StellationDiagram {

using corvia::FaceType;
using corvia::FaceTypeBlock;
using corvia::SegVert;
using corvia::StellationFacet;
using corvia::StellationLine;
using corvia::StellationPoint;
using corvia::StellationSegment;
using corvia::testing::ConfigModel;

int CountPoints(const FaceType* type) {
  int count = 0;
  for (const StellationPoint* p = type->mInnerPoints; p; p = p->mNext) ++count;
  return count;
}

int CountAllFacets(const FaceType* type) {
  int count = 0;
  for (const StellationFacet* f = type->mAllFacets; f; f = f->mNext) ++count;
  return count;
}

// Every corner of every segment, then the corners of the outer ring.
std::vector<SegVert*> AllCorners(const FaceType* type) {
  std::vector<SegVert*> corners;
  for (StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
    SegVert* c = s->mFirst;
    do {
      corners.push_back(c);
      c = c->mNext;
    } while (c != s->mFirst);
  }
  return corners;
}

void ToWorld(const corvia::PolyElement* face, double x, double y, double* out) {
  corvia::Transform3D t;
  face->GetFaceToWorld(t, false);
  const double local[3] = {x, y, 0.0};
  corvia::TransformPoint(t, out, local);
}

double Distance(const double* a, const double* b) {
  double d[3];
  corvia::Subtract(d, a, b);
  return std::sqrt(corvia::Dot(d, d));
}

}  // namespace test_StellationDiagram

// The diagram of a face is the arrangement of the lines the other planes cut into it:
// its bounded regions number (edges - points + 1) by Euler's formula, counted for each
// model by intersecting the lines independently of this code: the icosahedron's 18
// lines cross in 48 points and bound 67 regions in 23 classes under its 3-fold turn.
TEST(StellationDiagram, ClassicalDiagrams) {
  using namespace test_StellationDiagram;
  struct Case {
    const char* config;
    int lines, points, segments, facets;
  };
  const Case cases[] = {
      {"3.3.3.3.3", 18, 48, 67, 23}, {"3.3.3.3", 6, 6, 4, 2}, {"5.5.5", 10, 15, 16, 4}, {"4.4.4", 4, 4, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    ConfigModel model(c.config);
    ASSERT_TRUE(model.built);
    FaceTypeBlock* block = model.Stellated();
    ASSERT_TRUE(block->IsStellated());
    const FaceType* type = block->mFirstFaceType;
    EXPECT_EQ(corvia::CountLines(type), c.lines);
    EXPECT_EQ(test_StellationDiagram::CountPoints(type), c.points);
    EXPECT_EQ(type->GetNumSegments(), c.segments);
    EXPECT_EQ(test_StellationDiagram::CountAllFacets(type), c.facets);
    EXPECT_EQ(type->mOuterPoints, nullptr);
    // Each facet holds one segment per rotation (the central one holds the turned
    // copies of its corners itself); together they hold every segment once.
    std::set<const StellationSegment*> seen;
    for (const StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
      for (int k = 0; k < type->mNumRotations; ++k) {
        const StellationSegment* s = f->GetSegment(k);
        if (!s) continue;
        EXPECT_EQ(s->mFacet, f);
        EXPECT_TRUE(seen.insert(s).second);
      }
    }
    EXPECT_EQ(static_cast<int>(seen.size()), c.segments);
  }
}

// Rings close both ways, twins pair up the other way round, segments run
// counter-clockwise, and every line's run of corners lies on the line from one end to
// the other.
TEST(StellationDiagram, SubdivisionIsConsistent) {
  using namespace test_StellationDiagram;
  ConfigModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated(true);
  ASSERT_TRUE(block->IsStellated());
  const FaceType* type = block->mFirstFaceType;
  for (SegVert* c : AllCorners(type)) {
    ASSERT_NE(c->mTwin, nullptr);
    EXPECT_EQ(c->mTwin->mTwin, c);
    EXPECT_EQ(c->mNext->mPrev, c);
    EXPECT_EQ(c->mTwin->mPoint, c->mNext->mPoint);
    EXPECT_EQ(c->mTwin->mLine, c->mLine);
    EXPECT_NEAR(c->mLine->Evaluate(c->mPoint->mX, c->mPoint->mY), 0.0, 1e-7);
  }
  for (const StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
    EXPECT_GT(corvia::testing::SegmentArea(s), 0.0);
    EXPECT_FALSE(s->TouchesOutside() && s->CountCorners() < 3);
  }
  EXPECT_GT(type->mDiagramRadius, 1.0);
  for (const StellationLine* line = type->mLineEqns; line; line = line->mNext) {
    ASSERT_NE(line->mFirst, nullptr);
    ASSERT_NE(line->mLast, nullptr);
    const SegVert* c = line->mFirst;
    const SegVert* end = nullptr;
    int steps = 0;
    for (; c && steps < 1000; c = c->GetNextAlongLine(line), ++steps) end = c;
    ASSERT_NE(end, nullptr);
    // The run forwards ends where the last corner starts, and back again.
    EXPECT_EQ(end->mNext->mPoint, line->mLast->mPoint);
    const SegVert* back = line->mLast;
    for (int k = 1; k < steps && back; ++k) back = back->GetNextAlongLine(line);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->mNext->mPoint, line->mFirst->mPoint);
  }
}

// A corner's neighbour stands for the same 3D edge, in the plane that cuts along the
// corner's line, on the side below the corner's own plane.
TEST(StellationDiagram, NeighboursStandForTheSameEdge) {
  using namespace test_StellationDiagram;
  for (const char* config : {"3.3.3.3.3", "3.5.3.5"}) {
    SCOPED_TRACE(config);
    ConfigModel model(config);
    ASSERT_TRUE(model.built);
    FaceTypeBlock* block = model.Stellated();
    ASSERT_TRUE(block->IsStellated());
    for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      if (type->mCoplanarMaster) continue;
      const corvia::PolyElement* rep = type->mFirstFace;
      for (SegVert* c : AllCorners(type)) {
        const SegVert* below = c->GetAdjacent(true);
        const corvia::PolyElement* plane = c->GetAdjacentPlane(true);
        ASSERT_NE(below, nullptr);
        ASSERT_NE(plane, nullptr);
        double a[3], b[3], p[3], q[3];
        ToWorld(rep, c->mPoint->mX, c->mPoint->mY, a);
        ToWorld(rep, c->mNext->mPoint->mX, c->mNext->mPoint->mY, b);
        ToWorld(plane, below->mPoint->mX, below->mPoint->mY, p);
        ToWorld(plane, below->mTwin->mPoint->mX, below->mTwin->mPoint->mY, q);
        const bool same = Distance(a, p) < 1e-6 && Distance(b, q) < 1e-6;
        const bool reversed = Distance(a, q) < 1e-6 && Distance(b, p) < 1e-6;
        EXPECT_TRUE(same || reversed);
        // Its region lies below the corner's plane.
        const SegVert* side = below->mSegment ? below : below->mTwin;
        ASSERT_NE(side->mSegment, nullptr);
        double inner[3];
        double centroid[2];
        side->mSegment->GetCentroid(centroid);
        ToWorld(plane, centroid[0], centroid[1], inner);
        double d[3];
        corvia::Subtract(d, inner, rep->mCentre);
        EXPECT_EQ(below == side, corvia::Dot(d, rep->mZAxis) < 0.0);
      }
    }
  }
}

// The points of one ring stand for one vertex of the stellation under the symmetry: in
// space they all lie at one distance from the centre.
TEST(StellationDiagram, CoincidentRingsAreOneVertex) {
  using namespace test_StellationDiagram;
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  const FaceType* type = block->mFirstFaceType;
  std::set<long> radii;
  for (const StellationPoint* p = type->mInnerPoints; p; p = p->mNext) {
    ASSERT_NE(p->mCoincident, nullptr);
    double a[3];
    test_StellationDiagram::ToWorld(type->mFirstFace, p->mX, p->mY, a);
    const StellationPoint* q = p->mCoincident;
    int members = 1;
    for (; q != p && members < 1000; q = q->mCoincident, ++members) {
      double b[3];
      test_StellationDiagram::ToWorld(q->mOwner->mFirstFace, q->mX, q->mY, b);
      EXPECT_NEAR(std::sqrt(corvia::Dot(a, a)), std::sqrt(corvia::Dot(b, b)), 1e-7);
    }
    EXPECT_EQ(q, p);
    radii.insert(std::lround(std::sqrt(corvia::Dot(a, a)) * 1e6));
    // A point copied by the 3-fold turn round the face stands in a ring of three or more.
    if (std::hypot(p->mX, p->mY) > 1e-6) {
      EXPECT_GE(members, 3);
    }
  }
  // The 274 points where three of the icosahedron's twenty planes meet lie at eight
  // distances from the centre (worked out from the planes alone), and every one of them
  // lies in each plane.
  EXPECT_EQ(radii.size(), 8u);
}

// Faces through the centre: lines through the face centre are flagged, every facet has
// a partner across the plane's half-turn axis, and the set-up ends without a fault.
TEST(StellationDiagram, FacesThroughTheCentre) {
  using namespace test_StellationDiagram;
  ConfigModel model("3.6.3/2.6");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  ASSERT_TRUE(block->IsStellated());
  int hemiTypes = 0;
  for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster || !type->mFirstFace->HasFlag(corvia::kElementHemi)) continue;
    ++hemiTypes;
    int throughCentre = 0;
    for (const StellationLine* line = type->mLineEqns; line; line = line->mNext) {
      if (line->mFlags & corvia::kLineThroughCentre) ++throughCentre;
    }
    EXPECT_GT(throughCentre, 0);
    for (const StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
      ASSERT_NE(f->mHemiPartner, nullptr);
      EXPECT_EQ(f->mHemiPartner->mHemiPartner, f);
      EXPECT_TRUE(f->mFlags & corvia::kFacetHemi);
    }
  }
  EXPECT_EQ(hemiTypes, 1);
}

// The geodesic sphere of frequency 6 (720 faces, worked out by the program): in the
// plane of face 11, crossings of its lines lie nearer together than 3e-8, the distance
// within which coordinates are one point, so a line cannot be threaded by them; the
// equations of the lines tell them apart: the diagram is made, a planar subdivision
// whose bounded regions number edges - points + 1.
TEST(StellationDiagram, CrossingsNearerThanAFixedDistance) {
  using namespace test_StellationDiagram;
  ConfigModel icosahedron("3.3.3.3.3");
  ASSERT_TRUE(icosahedron.built);
  std::unique_ptr<corvia::SimplePoly> simple = icosahedron.poly.Subdivide(corvia::kSubdivideGeodesic, 6);
  corvia::Poly sphere;
  ASSERT_TRUE(simple && CreatePoly(*simple, &sphere, false, false));
  FaceType* type = sphere.mFaces.GetAt(10)->mType;
  if (type->mCoplanarMaster) type = type->mCoplanarMaster;
  corvia::ProgressScope progress;
  corvia::Outcome why;
  bool equationsMayPart = false;
  EXPECT_FALSE(corvia::CreateStellationDiagram(type, 0, 1, &why, false, &equationsMayPart));
  ASSERT_TRUE(equationsMayPart);
  type->ClearStellationDiagram();
  ASSERT_TRUE(corvia::CreateStellationDiagram(type, 0, 1, &why, true)) << why.text();
  std::vector<SegVert*> corners = AllCorners(type);
  const SegVert* outer = type->mOuterRing;
  do {
    corners.push_back(const_cast<SegVert*>(outer));
    outer = outer->mNext;
  } while (outer != type->mOuterRing);
  for (const SegVert* c : corners) {
    ASSERT_EQ(c->mTwin->mTwin, c);
    ASSERT_EQ(c->mTwin->mPoint, c->mNext->mPoint);
  }
  for (const StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
    ASSERT_GT(corvia::testing::SegmentArea(s), 0.0);
  }
  const int edges = static_cast<int>(corners.size()) / 2;
  EXPECT_EQ(type->GetNumSegments(), edges - CountPoints(type) + 1);
  sphere.mBaseBlock->Clear(false);
}

// A model the program made (a convex core of a dual compound), saved in the BINARY
// form: in the plane of face 1 of its dual, the other planes cross in points that
// nearly coincide. Its dual stellates, and alike once an undo step's copy gives it
// back; only a copy of corners known to a file's decimals is refused, as such a file is.
TEST(StellationDiagram, CornersWrittenWholeStellateAsTheModelDid) {
  // A path, or an undo step's data.
  auto read = [](const std::string& data, bool file, corvia::Poly& poly) {
    corvia::ModelFileContents contents;
    const bool read = file ? corvia::ReadModelFile(data.c_str(), contents, nullptr)
                           : corvia::ReadModelFromMemory(data, "Undo step", contents, nullptr);
    return read && CreatePoly(*contents.model, &poly, false, false).done();
  };
  auto stellate = [](corvia::Poly& poly) { return corvia::Stellate(&poly, poly.mDualBlock.get(), false); };
  corvia::Poly saved;
  ASSERT_TRUE(read((corvia::testing::FixturesDir() / "model-files" / "dual-core-nearly-meeting.corv").string(), true,
                   saved));
  const corvia::Outcome made = stellate(saved);
  ASSERT_TRUE(made.done()) << made.text();
  std::string data;
  ASSERT_TRUE(corvia::WriteModelToMemory(saved, data));
  corvia::Poly undone;
  ASSERT_TRUE(read(data, false, undone));
  const corvia::Outcome again = stellate(undone);
  ASSERT_TRUE(again.done()) << again.text();
  EXPECT_EQ(undone.mDualBlock->CountAllCells(), saved.mDualBlock->CountAllCells());

  saved.mPolyFlags |= corvia::kPolyFlagDecimalCorners;
  ASSERT_TRUE(corvia::WriteModelToMemory(saved, data));
  corvia::Poly decimals;
  ASSERT_TRUE(read(data, false, decimals));
  const corvia::Outcome refused = stellate(decimals);
  EXPECT_NE(refused.text().find("as in a file written with few decimals."), std::string::npos) << refused.text();
}

// Two triangles on one plane facing apart: nothing cuts the plane, so there is no
// bounded region; the set-up is refused in words that say so and the block refuses
// from then on.
TEST(StellationDiagram, NothingToCutTheFace) {
  using namespace test_StellationDiagram;
  corvia::testing::Platform().messages.Clear();
  corvia::Poly poly;
  corvia::testing::BuildPoly(poly, {{1, 0, 0}, {-0.5, 0.8, 0}, {-0.5, -0.8, 0}}, {{0, 1, 2}, {0, 2, 1}});
  corvia::testing::OneTypePerSide(poly);
  FaceTypeBlock* block = poly.mBaseBlock.get();
  const corvia::Outcome refused = Stellate(&poly, block, false);
  EXPECT_FALSE(block->IsStellated());
  EXPECT_EQ(block->mStellationRefused, 1);
  EXPECT_EQ(block->mFirstFaceType->mFirstSegment, nullptr);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  EXPECT_EQ(refused.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(refused.text(), "This model cannot be stellated: the planes of its faces do not enclose any space.");

  // The diagram's own step gives its refusal back; the set-up above passes it on.
  corvia::Poly again;
  corvia::testing::BuildPoly(again, {{1, 0, 0}, {-0.5, 0.8, 0}, {-0.5, -0.8, 0}}, {{0, 1, 2}, {0, 2, 1}});
  corvia::testing::OneTypePerSide(again);
  corvia::testing::Platform().messages.Clear();
  corvia::Outcome why;
  EXPECT_FALSE(corvia::CreateStellationDiagram(again.mBaseBlock->mFirstFaceType, 0, 1, &why));
  EXPECT_EQ(why.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(why.text(), "This model cannot be stellated: the planes of its faces do not enclose any space.");
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  again.mBaseBlock->Clear(false);
}

// A triangular prism whose top slants down towards one corner of the triangle, so far
// that its plane meets the bottom plane beyond that corner: there the two sides through
// the corner cross, and the bottom face and a triangle beyond the crossing meet at it
// alone, with no edge between them. Both are facets; the cell above the far triangle
// (the tetrahedron across the prism's edge) is 1/28 of the prism.
TEST(StellationDiagram, RegionsThatMeetAtAPointAloneAreFacets) {
  using namespace test_StellationDiagram;
  std::unique_ptr<corvia::SimplePoly> simple = corvia::testmodels::ModelOf(
      {{0, 0, 0}, {1, 0.7, 0}, {1, -0.7, 0}, {0, 0, 0.5}, {1, 0.7, 1.5}, {1, -0.7, 1.5}},
      {{0, 1, 2}, {3, 5, 4}, {0, 3, 4, 1}, {1, 4, 5, 2}, {2, 5, 3, 0}});
  corvia::Poly poly;
  ASSERT_TRUE(corvia::CreatePoly(*simple, &poly, false, false).done());
  FaceTypeBlock* block = poly.mBaseBlock.get();
  EXPECT_TRUE(Stellate(&poly, block, false).done());
  ASSERT_TRUE(block->IsStellated());
  for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    for (const StellationSegment* s = type->mFirstSegment; s; s = s->mNext) EXPECT_TRUE(s->mFacet);
  }
  EXPECT_EQ(corvia::testing::Inclusion(block), "10");
  const double prism = corvia::testing::StellationVolume(block);
  corvia::StellationCell::SetIncluded(block->mFirstCell->mNext, true);
  EXPECT_NEAR(corvia::testing::StellationVolume(block) / prism, 29.0 / 28.0, 1e-9);
}
