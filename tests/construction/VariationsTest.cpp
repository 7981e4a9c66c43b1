// The variations of Go to Variation: the mirror image of a chiral Johnson solid lies
// where its vertices reflected in x lie; the rhombicuboctahedron's configuration has
// a pseudo version (the elongated square gyrobicupola's shape, D4d), the snub cube's
// only its own mirror image.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/ModelLookup.h"
#include "construction/Variations.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyBuild.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"

namespace test_Variations {

using namespace corvia;

struct LibraryModel {
  PolyTemplate polyTemplate;
  Poly poly;
  bool Build(const char* name) {
    bool known = false;
    LibraryEntry* entry = LookUpModel(name, &known, nullptr, nullptr, false);
    return entry && CreateFromLibraryEntry(&poly, &polyTemplate, entry, false);
  }
};

std::vector<std::array<double, 3>> Positions(const SimplePoly& simple) {
  std::vector<std::array<double, 3>> out;
  for (int i = 0; i < simple.NumVerts(); ++i)
    out.push_back({simple.VertAt(i).pos[0], simple.VertAt(i).pos[1], simple.VertAt(i).pos[2]});
  return out;
}

std::vector<std::array<double, 3>> Positions(const Poly& poly) {
  std::vector<std::array<double, 3>> out;
  for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext)
    out.push_back({v->mDualVert[0], v->mDualVert[1], v->mDualVert[2]});
  return out;
}

}  // namespace test_Variations

namespace corvia {

using namespace test_Variations;

TEST(Variations, TheMirrorImageOfAChiralSolidReflectsItsVerticesInX) {
  LibraryModel j45;
  ASSERT_TRUE(j45.Build("Gyroelongated Square Bicupola"));
  std::unique_ptr<SimplePoly> mirror = MakeMirrorImage(j45.poly);
  ASSERT_TRUE(mirror);
  EXPECT_EQ(mirror->NumFaces(), j45.poly.mFaces.mCount);
  EXPECT_TRUE(testing::MirroredInX(Positions(j45.poly), Positions(*mirror), 1e-9));
  // The solid is chiral: it is not its own reflection in x.
  EXPECT_FALSE(testing::MirroredInX(Positions(j45.poly), Positions(j45.poly), 1e-9));
  // Built, the reflection keeps the group and the counts.
  Poly built;
  ASSERT_TRUE(CreatePoly(*mirror, &built, true, true));
  EXPECT_EQ(SymGroup::GetSchoenflies(built.mSymGroup), SymGroup::GetSchoenflies(j45.poly.mSymGroup));
  EXPECT_EQ(built.mVertices.mCount, j45.poly.mVertices.mCount);
  EXPECT_EQ(built.mNumEdges, j45.poly.mNumEdges);
}

TEST(Variations, APseudoVersionIsAnotherShapeOfTheSameConfiguration) {
  LibraryModel rhombi;
  ASSERT_TRUE(rhombi.Build("4.4.3.4"));
  ASSERT_EQ(SymGroup::GetSchoenflies(rhombi.poly.mSymGroup), "Oh");
  const size_t boxes = testing::Platform().messages.Boxes().size();
  std::unique_ptr<SimplePoly> pseudo = FindPseudoVersion(rhombi.poly);
  ASSERT_TRUE(pseudo);
  // The solutions passed over say nothing.
  EXPECT_EQ(testing::Platform().messages.Boxes().size(), boxes);
  Poly built;
  ASSERT_TRUE(CreatePoly(*pseudo, &built, false, true));
  EXPECT_EQ(built.mFaces.mCount, 26);
  EXPECT_EQ(built.mVertices.mCount, 24);
  EXPECT_EQ(built.mNumEdges, 48);
  EXPECT_EQ(SymGroup::GetSchoenflies(built.mSymGroup), "D4d");
  EXPECT_GT(built.mDualBlock->CountFaceTypes(), 1);
  // Every vertex still has a triangle and three squares round it.
  for (const PolyElement* v = built.mVertices.mHead; v; v = v->mNext) {
    int triangles = 0, squares = 0;
    for (int i = 0; i < v->mNumSides; ++i) {
      const int sides = v->GetCorner(i) ? v->GetCorner(i)->mNumSides : 0;
      triangles += sides == 3;
      squares += sides == 4;
    }
    EXPECT_EQ(triangles, 1);
    EXPECT_EQ(squares, 3);
  }

  // The snub cube's other solution is its mirror image: no other shape.
  LibraryModel snub;
  ASSERT_TRUE(snub.Build("Snub Cube"));
  ASSERT_EQ(snub.poly.mBuildState, kBuildFinishedWithChoices);
  EXPECT_FALSE(FindPseudoVersion(snub.poly));
}

}  // namespace corvia
