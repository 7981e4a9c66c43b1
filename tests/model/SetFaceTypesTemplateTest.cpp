#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "construction/Library.h"
#include "core/VectorMath.h"
#include "model/CoplanarFaces.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"
#include "tests/support/TestSupport.h"

namespace test_SetFaceTypesTemplate {

// Faces per type in type order, with the side count of each.
struct TypeShape {
  int sides;
  int count;
};

std::vector<TypeShape> ShapesOf(const corvia::FaceTypeBlock* block) {
  std::vector<TypeShape> shapes;
  for (const corvia::FaceType* t = block->mFirstFaceType; t; t = t->mNext) {
    shapes.push_back({t->mFirstFace ? t->mFirstFace->mNumSides : 0, t->mCount});
  }
  return shapes;
}

// The block's types have these side counts and sizes, in order.
void ExpectShapes(const corvia::FaceTypeBlock* block, const std::vector<TypeShape>& expected) {
  const std::vector<TypeShape> shapes = ShapesOf(block);
  ASSERT_EQ(shapes.size(), expected.size());
  for (size_t i = 0; i < shapes.size(); ++i) {
    EXPECT_EQ(shapes[i].sides, expected[i].sides) << "type " << i;
    EXPECT_EQ(shapes[i].count, expected[i].count) << "type " << i;
  }
}

// Every internal error shown since the test began.
std::vector<std::string> InternalErrors() {
  std::vector<std::string> texts;
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) {
    if (box.title == "Internal Error") texts.push_back(box.text);
  }
  return texts;
}

// The vertex's frame starts at the face of its ring whose pole lies along its x axis.
int FrameReferenceIndex(const corvia::PolyElement* v) {
  for (int i = 0; i < v->mNumSides; ++i) {
    double a[3];
    corvia::Subtract(a, v->mNeighbours[i]->mDualVert, v->mCentre);
    const double length = std::sqrt(corvia::Dot(a, a));
    if (length <= 0.0) continue;
    corvia::Divide(a, a, length);
    if (corvia::NearlyEqual(a, v->mXAxis, 1e-6)) return i;
  }
  return -1;
}

// How many vertices turn negatively from their reference face to the face half-way
// round their ring.
int CountNegativeHalfTurns(const corvia::Poly& poly, int valence) {
  int negative = 0;
  for (const corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    const int r = FrameReferenceIndex(v);
    EXPECT_GE(r, 0);
    if (r < 0) continue;
    double a[3], b[3], turn[3];
    corvia::Subtract(a, v->mNeighbours[r]->mDualVert, v->mCentre);
    corvia::Subtract(b, v->mNeighbours[(r + valence / 2) % valence]->mDualVert, v->mCentre);
    corvia::Cross(turn, a, b);
    if (corvia::Dot(turn, v->mZAxis) < 0.0) ++negative;
  }
  return negative;
}

// Whether the frame of f, up to a turn by a multiple of 2 pi / p about its normal,
// is the image of rep's frame under the matrix.
bool FrameIsImage(const corvia::PolyElement* rep, const corvia::PolyElement* f, const double* m, int p) {
  double c[3], x[3], z[3];
  corvia::MatrixTimesVector(m, c, rep->mCentre);
  corvia::MatrixTimesVector(m, x, rep->mXAxis);
  corvia::MatrixTimesVector(m, z, rep->mZAxis);
  if (!corvia::NearlyEqual(c, f->mCentre, 1e-6) || !corvia::NearlyEqual(z, f->mZAxis, 1e-6)) return false;
  for (int k = 0; k < p; ++k) {
    const double angle = 2.0 * M_PI * k / p;
    double turned[3];
    for (int i = 0; i < 3; ++i) turned[i] = std::cos(angle) * f->mXAxis[i] + std::sin(angle) * f->mYAxis[i];
    if (corvia::NearlyEqual(x, turned, 1e-6)) return true;
  }
  return false;
}

// Faces whose frame is the image of their representative's under no rotation of the
// group (up to the type's own turns); only the types without a partner whose corners
// the axis treatment orders (fewer rotations than sides) are counted.
int CountFramesNotRotatedImages(const corvia::Poly& poly) {
  int count = 0;
  for (const corvia::FaceType* t = poly.mBaseBlock->mFirstFaceType; t; t = t->mNext) {
    const corvia::PolyElement* rep = t->mFirstFace;
    const int p = t->mNumRotations > 0 ? t->mNumRotations : 1;
    if (t->mCoplanarMaster || !rep || p >= rep->mNumSides) continue;
    int guard = 0;
    for (const corvia::PolyElement* f = rep; f && guard < t->mCount; f = f->mNextOfType, ++guard) {
      bool found = false;
      corvia::SymOperationIterator it;
      it.Reset();
      double m[9];
      while (!found && corvia::GetNextSymmetryOperation(poly.mSymGroup, it, true, m, false)) {
        found = FrameIsImage(rep, f, m, p);
      }
      if (!found) ++count;
    }
  }
  return count;
}

// The great dirhombicosidodecahedron: its ring reads the same backwards from the
// pentagram half-way round.
constexpr const char* kHalfTurnConfiguration = "(5/2.4.3.4.5/3.4.3/2.4)/2";

}  // namespace test_SetFaceTypesTemplate

TEST(SetFaceTypesTemplateTest, TemplateBuildsGetTheTypesOfTheirGroup) {
  using test_SetFaceTypesTemplate::TypeShape;
  struct Case {
    const char* text;
    std::vector<TypeShape> base;
    int dualTypes;
    int edgeTypes;
    int groupType;
  };
  // Orbits of faces under the group: the snub cube's 32 triangles are the 8 on the
  // 3-fold axes and 24 others; the 40 triangles and 24 pentagrams of the great
  // dirhombicosidodecahedron lie in coplanar pairs, two orbits each.
  const Case cases[] = {
      {"3.3.3.3.3", {{3, 20}}, 1, 1, corvia::kSymGroupIcosahedral},
      {"3.4.3.4", {{3, 8}, {4, 6}}, 1, 1, corvia::kSymGroupOctahedral},
      {"3.3.3.3.5", {{3, 60}, {3, 20}, {5, 12}}, 1, 3, corvia::kSymGroupIcosahedral},
      {"5/2.3.3.3.5/3.3", {{5, 12}, {3, 60}, {3, 20}, {5, 12}}, 1, 3, corvia::kSymGroupIcosahedral},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(polyTemplate.Parse(c.text, nullptr));
    ASSERT_TRUE(poly.Build(&polyTemplate, 0));
    test_SetFaceTypesTemplate::ExpectShapes(poly.mBaseBlock.get(), c.base);
    EXPECT_EQ(test_SetFaceTypesTemplate::ShapesOf(poly.mDualBlock.get()).size(), static_cast<size_t>(c.dualTypes));
    EXPECT_EQ(poly.mNumEdgeTypes, c.edgeTypes);
    ASSERT_NE(poly.mSymGroup, nullptr);
    EXPECT_EQ(poly.mSymGroup->type, c.groupType);
  }
}

TEST(SetFaceTypesTemplateTest, SnubCubeSplitsItsTrianglesByOrbit) {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  ASSERT_TRUE(polyTemplate.Parse("3.3.3.3.4", nullptr));
  ASSERT_TRUE(poly.Build(&polyTemplate, 0));
  const auto shapes = test_SetFaceTypesTemplate::ShapesOf(poly.mBaseBlock.get());
  ASSERT_EQ(shapes.size(), 3u);
  EXPECT_EQ(shapes[0].count, 24);
  EXPECT_EQ(shapes[1].count, 8);
  EXPECT_EQ(shapes[2].sides, 4);
  // 24 square-triangle edges, 24 between the two kinds of triangle, 12 across 2-fold
  // axes; the group has no reflections.
  EXPECT_EQ(poly.mNumEdges, 60);
  EXPECT_EQ(poly.mNumEdgeTypes, 3);
  EXPECT_EQ(poly.mSymGroup->type, corvia::kSymGroupOctahedral);
}

TEST(SetFaceTypesTemplateTest, HandedClassesOf40And24AreSplitInTwo) {
  // The 40 triangles and 24 pentagrams of the great dirhombicosidodecahedron lie in
  // coplanar pairs of the two hands: two orbits each. Its squares lie in pairs through
  // the centre, each plane with a turning axis of its own; their rings order alike.
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  ASSERT_TRUE(polyTemplate.Parse(test_SetFaceTypesTemplate::kHalfTurnConfiguration, nullptr));
  ASSERT_TRUE(poly.Build(&polyTemplate, 0));
  test_SetFaceTypesTemplate::ExpectShapes(poly.mBaseBlock.get(), {{5, 12}, {3, 20}, {4, 60}, {5, 12}, {3, 20}});
  EXPECT_EQ(test_SetFaceTypesTemplate::ShapesOf(poly.mDualBlock.get()).size(), 1u);
  EXPECT_EQ(poly.mNumEdges, 240);
  EXPECT_EQ(poly.mSymGroup->type, corvia::kSymGroupIcosahedral);
}

TEST(SetFaceTypesTemplateTest, HandedClassOf120IsSplitIntoItsTwoOrbits) {
  // The great disnub dirhombidodecahedron: its 120 triangles are one class of the
  // configuration, each carried onto each other by one operation of the group, half of
  // them by reflections only. Split by hand they make two types of 60, mirror partners,
  // each type's frames the images of its first face's under rotations; the pentagrams
  // lie in coplanar pairs of the two hands.
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  ASSERT_TRUE(polyTemplate.Parse(corvia::gLibraryTable[75].mConfig, nullptr));
  ASSERT_TRUE(poly.Build(&polyTemplate, 0));
  test_SetFaceTypesTemplate::ExpectShapes(poly.mBaseBlock.get(), {{5, 12}, {3, 60}, {3, 60}, {4, 60}, {5, 12}});
  const corvia::FaceType* triangles = poly.mBaseBlock->mFirstFaceType->mNext;
  EXPECT_EQ(triangles->mMirrorPartner, triangles->mNext);
  EXPECT_EQ(test_SetFaceTypesTemplate::CountFramesNotRotatedImages(poly), 0);
  EXPECT_EQ(poly.mNumEdges, 360);
  EXPECT_EQ(poly.mSymGroup->type, corvia::kSymGroupIcosahedral);
  EXPECT_TRUE(test_SetFaceTypesTemplate::InternalErrors().empty());
}

TEST(SetFaceTypesTemplateTest, LibraryRecordsWithSquaresThroughTheCentreOrderTheirRings) {
  // The great dirhombicosidodecahedron and the great disnub dirhombidodecahedron: each
  // plane through the centre holds two squares facing opposite ways, related by the
  // half turn about the 2-fold axis of that plane. Every ring must be ordered like the
  // reference ring without an internal error.
  for (int record : {74, 75}) {
    corvia::LibraryEntry& entry = corvia::gLibraryTable[record];
    SCOPED_TRACE(entry.mName);
    std::unique_ptr<corvia::SimplePoly> model = entry.CreatePoly(false);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->NumFaces(), entry.mNumFaces);
    EXPECT_EQ(model->NumEdges(), entry.mNumEdges);
    EXPECT_EQ(model->NumVerts(), entry.mNumVerts);
    EXPECT_TRUE(test_SetFaceTypesTemplate::InternalErrors().empty());
  }
}

TEST(SetFaceTypesTemplateTest, HalfTurnRingsStartTheirFramesOnTheSameSide) {
  // With the axis treatment the vertex frames of the set-up stay as made: each starts
  // at the face from which the turn to the face half-way round is positive.
  corvia::PolyTemplate polyTemplate;
  ASSERT_TRUE(polyTemplate.Parse(test_SetFaceTypesTemplate::kHalfTurnConfiguration, nullptr));
  ASSERT_EQ(polyTemplate.mHalfTurnMatch, 1);
  ASSERT_EQ(polyTemplate.mValence, 8);
  corvia::Poly poly;
  ASSERT_TRUE(poly.Build(&polyTemplate, corvia::kPolyFlagAxisTreatment));
  EXPECT_EQ(test_SetFaceTypesTemplate::CountNegativeHalfTurns(poly, 8), 0);
  // The frames of the faces of a type, those through the centre too, are images of
  // their representative's under rotations of the group.
  EXPECT_EQ(test_SetFaceTypesTemplate::CountFramesNotRotatedImages(poly), 0);

  // Without the flag the starts fall on either side.
  corvia::PolyTemplate plain;
  ASSERT_TRUE(plain.Parse(test_SetFaceTypesTemplate::kHalfTurnConfiguration, nullptr));
  plain.mHalfTurnMatch = 0;
  corvia::Poly other;
  ASSERT_TRUE(other.Build(&plain, corvia::kPolyFlagAxisTreatment));
  EXPECT_GT(test_SetFaceTypesTemplate::CountNegativeHalfTurns(other, 8), 0);
  EXPECT_TRUE(test_SetFaceTypesTemplate::InternalErrors().empty());
}

TEST(SetFaceTypesTemplateTest, SquareThroughTheCentreWoundTheOtherWayGetsTheSameFrame) {
  // A square through the centre whose corners run round the opposite normal is the
  // same image of its representative: the axis treatment negates the normal, matches
  // its corners the other way round and gives it the frame it had.
  corvia::PolyTemplate polyTemplate;
  ASSERT_TRUE(polyTemplate.Parse(test_SetFaceTypesTemplate::kHalfTurnConfiguration, nullptr));
  corvia::Poly poly;
  ASSERT_TRUE(poly.Build(&polyTemplate, corvia::kPolyFlagAxisTreatment));
  corvia::PolyElement* square = nullptr;
  for (const corvia::FaceType* t = poly.mBaseBlock->mFirstFaceType; t && !square; t = t->mNext) {
    if (t->mFirstFace && t->mFirstFace->HasFlag(corvia::kElementHemi) && t->mFirstFace->mNextOfType) {
      square = t->mFirstFace->mNextOfType;
    }
  }
  ASSERT_NE(square, nullptr);
  double x[3], y[3], z[3];
  corvia::CopyVector(x, square->mXAxis);
  corvia::CopyVector(y, square->mYAxis);
  corvia::CopyVector(z, square->mZAxis);
  square->RotateCorners(0, true);
  corvia::Negate(square->mZAxis);
  corvia::ReorientFaceAxes(&poly.mFaces, poly.mBaseBlock->mFirstFaceType);
  EXPECT_TRUE(corvia::NearlyEqual(square->mXAxis, x, 1e-9));
  EXPECT_TRUE(corvia::NearlyEqual(square->mYAxis, y, 1e-9));
  EXPECT_TRUE(corvia::NearlyEqual(square->mZAxis, z, 1e-9));
  EXPECT_EQ(test_SetFaceTypesTemplate::CountFramesNotRotatedImages(poly), 0);
  EXPECT_TRUE(test_SetFaceTypesTemplate::InternalErrors().empty());
}
