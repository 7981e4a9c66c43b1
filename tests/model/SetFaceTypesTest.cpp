#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "model/CreatePoly.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace test_SetFaceTypes {

using corvia::Poly;
using corvia::PolyElement;
using corvia::symtest::AddRing;
using corvia::symtest::Cube;
using corvia::symtest::MakeHullModel;
using corvia::symtest::Point;

std::unique_ptr<Poly> BuiltModel(const std::vector<Point>& points) {
  auto model = MakeHullModel(points);
  auto poly = std::make_unique<Poly>();
  EXPECT_TRUE(CreatePoly(*model, poly.get(), false, true));
  return poly;
}

TEST(SetFaceTypesTest, EqualRatioPolygonsCompareAsEqualShapes) {
  // {6/2} and {3} have the same ratio n/d: the order must not answer "after" both ways.
  corvia::Face hexagram(nullptr, nullptr, 6);
  hexagram.mDensity = 2;
  corvia::Face triangle(nullptr, nullptr, 3);
  hexagram.mIndex = 0;
  triangle.mIndex = 1;
  const int ab = corvia::CompareFaces(&hexagram, &triangle);
  const int ba = corvia::CompareFaces(&triangle, &hexagram);
  EXPECT_EQ(ab > 0, ba < 0);
  EXPECT_NE(ab, 0);
  // Different ratios: the smaller n/d first, either way round.
  corvia::Face square(nullptr, nullptr, 4);
  EXPECT_LT(corvia::CompareFaces(&triangle, &square), 0);
  EXPECT_GT(corvia::CompareFaces(&square, &triangle), 0);
}

TEST(SetFaceTypesTest, CubeSetUpWithoutAGroupFindsAndAlignsTheOctahedralGroup) {
  auto poly = BuiltModel(Cube());
  poly->SetFaceTypes(nullptr, false, false);
  ASSERT_NE(poly->mSymGroup, nullptr);
  EXPECT_EQ(poly->mSymGroup->type, corvia::kSymGroupOctahedral);
  EXPECT_EQ(poly->mSymGroup->reflectionType, corvia::kReflectionHorizontal);
  EXPECT_EQ(poly->mReflexible, 1);
  EXPECT_EQ(poly->mBaseBlock->CountFaceTypes(), 1);
  EXPECT_EQ(poly->mDualBlock->CountFaceTypes(), 1);
  EXPECT_EQ(poly->mNumEdges, 12);
  EXPECT_EQ(poly->mNumEdgeTypes, 1);
  // The principal type's first face now points along a 4-fold axis of the group.
  const PolyElement* first = poly->mBaseBlock->mFirstFaceType->mFirstFace;
  const corvia::SymAxisType* fourFold = poly->mSymGroup->FindAxisType(4);
  ASSERT_NE(fourFold, nullptr);
  bool along = false;
  for (int i = 0; i < fourFold->numAxes; ++i) {
    along = along || corvia::NearlyEqual(first->mZAxis, fourFold->axes[i].direction, 1e-9) ||
            corvia::NearlyOpposite(first->mZAxis, fourFold->axes[i].direction, 1e-9);
  }
  EXPECT_TRUE(along);
}

TEST(SetFaceTypesTest, SquareAntiprismWithoutAGroupIsDihedral) {
  std::vector<Point> p;
  AddRing(p, 4, 0.6, 1, 0);
  AddRing(p, 4, -0.6, 1, M_PI / 4);
  auto poly = BuiltModel(p);
  poly->SetFaceTypes(nullptr, false, false);
  ASSERT_NE(poly->mSymGroup, nullptr);
  EXPECT_EQ(poly->mSymGroup->type, corvia::kSymGroupDihedral);
  EXPECT_EQ(poly->mBaseBlock->CountFaceTypes(), 2);
  EXPECT_EQ(poly->mReflexible, 1);
  EXPECT_EQ(poly->mNumEdges, 16);
}

TEST(SetFaceTypesTest, EdgesAreRebuiltInPlaceAndCarryMirrorFlags) {
  auto poly = BuiltModel(Cube());
  ASSERT_EQ(poly->mNumEdges, 12);
  poly->CreateEdges();
  EXPECT_EQ(poly->mNumEdges, 12);
  EXPECT_EQ(poly->mNumEdgeTypes, 1);
  ASSERT_NE(poly->mEdgeTypes, nullptr);
  EXPECT_EQ(poly->mEdgeTypes[0].mNumEdges, 12);
  EXPECT_EQ(poly->mEdgeTypes[0].mFirstEdge, poly->mEdgeArray);
  // Every face slot holds one of the new edges.
  for (const PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
    for (int i = 0; i < f->mNumSides; ++i) {
      ASSERT_NE(f->mEdges[i], nullptr);
      EXPECT_GE(f->mEdges[i] - poly->mEdgeArray, 0);
      EXPECT_LT(f->mEdges[i] - poly->mEdgeArray, 12);
    }
  }
  // The cube's edges are their own mirror images: the mirror pass over the squares
  // finds no new edge, so the one type is marked as its own mirror image.
  ASSERT_NE(poly->mBaseBlock->mFirstFaceType->mMirrorFace, nullptr);
  for (int i = 0; i < poly->mNumEdges; ++i) {
    const uint32_t flags = poly->mEdgeArray[i].mEdgeFlags;
    EXPECT_EQ(flags & (corvia::kEdgeMirrorFirst | corvia::kEdgeMirrorSecond), 0u);
    EXPECT_TRUE(flags & corvia::kEdgeSelfMirror);
  }
  poly->CountEdges();
  EXPECT_EQ(poly->mNumEdges, 12);
}

TEST(SetFaceTypesTest, SortFacesOrdersByShapeThenTypeSize) {
  // Cuboctahedron: 8 triangles before 6 squares once the faces are sorted.
  std::vector<Point> p;
  corvia::symtest::AddCyclicSigns(p, {1, 1, 0});
  auto poly = BuiltModel(p);
  poly->SortFaces();
  int index = 0;
  for (const PolyElement* f = poly->mFaces.mHead; f; f = f->mNext, ++index) {
    EXPECT_EQ(f->mIndex, index);
    EXPECT_EQ(f->mNumSides, index < 8 ? 3 : 4);
  }
  EXPECT_EQ(poly->mFaces.mTail->mIndex, 13);
}

}  // namespace test_SetFaceTypes
