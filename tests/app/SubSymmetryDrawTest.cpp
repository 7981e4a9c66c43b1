// The model panes after a subgroup of the symmetry is chosen: the icosahedron under
// its tetrahedral subgroup Th draws every face in its place, and the full group brings
// the first picture back.

#include <gtest/gtest.h>

#include "symmetry/SymGroup.h"
#include "symmetry/SymSubgroups.h"
#include "tests/app/AppTestSupport.h"

namespace test_SubSymmetryDraw {

using namespace corvia;
using corvia::testing::Platform;

bool Foreground(const GLBitmap& image, int x, int y) {
  const uint8_t* corner = image.Pixel(image.width - 1, image.height - 1);
  const uint8_t* p = image.Pixel(x, y);
  return p[0] != corner[0] || p[1] != corner[1] || p[2] != corner[2];
}

class SubSymmetryDrawTest : public corvia::testing::IcosahedronDocumentTest {
 protected:
  // The index of the tetrahedral subgroup among the rotational ones, as the option
  // toolbar's combo lists them.
  static int Tetrahedral(const SymGroup* full) {
    SymSubgroupSpec spec;
    for (int n = 0; SymGroup::GetRotationalSubgroup(full, n, spec); ++n) {
      if (spec.type == kSymGroupTetrahedral) return n;
    }
    return -1;
  }
};

TEST_F(SubSymmetryDrawTest, UnderThEveryFaceIsDrawnInItsPlaceAndTheFullGroupRestoresThePicture) {
  constexpr int kSize = 240;
  CPolyView* pane = AddPane(kViewBasePolyhedron, kSize, kSize);
  Poly* poly = GetCurrentPoly();
  const GLBitmap before = Draw(pane);
  const int rotational = Tetrahedral(poly->mSymGroup);
  ASSERT_GE(rotational, 0);
  ASSERT_TRUE(poly->ApplySubSymmetry(rotational, 0));
  ASSERT_EQ(SymGroup::GetSchoenflies(poly->mSymGroup), "Th");
  EXPECT_EQ(poly->mBaseBlock->CountDistinctFaceTypes(), 2);

  // A face drawn off its place (shifted, or turned in its plane) changes the outline:
  // it must stay the icosahedron's, pixel for pixel.
  const GLBitmap after = Draw(pane);
  int differ = 0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) differ += Foreground(before, x, y) != Foreground(after, x, y) ? 1 : 0;
  }
  EXPECT_EQ(differ, 0);

  // The full group again: the first picture.
  ASSERT_TRUE(poly->ApplySubSymmetry(0, -1));
  EXPECT_EQ(SymGroup::GetSchoenflies(poly->mSymGroup), "Ih");
  const GLBitmap restored = Draw(pane);
  EXPECT_EQ(restored.pixels, before.pixels);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

}  // namespace test_SubSymmetryDraw
