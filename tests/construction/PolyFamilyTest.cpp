#include <gtest/gtest.h>

#include "construction/PolyFamily.h"
#include "tests/support/TestSupport.h"

namespace corvia {

TEST(PolyFamilyTest, BaseTestsAcceptAndRefuseWithTheirMessages) {
  auto& messages = testing::Platform().messages;
  messages.Clear();
  Outcome why;
  // Bases up to the limit build in moments; larger ones are refused before anything
  // is built.
  EXPECT_FALSE(CheckPrismBase(kFamilyMaxSides + 1, 1, &why));
  EXPECT_EQ(why.text(), "Prism base must have less than 100 sides");
  EXPECT_TRUE(CheckPrismBase(kFamilyMaxSides, 1, &why));
  EXPECT_EQ(kFamilyMaxSides, 99);
  EXPECT_FALSE(CheckAntiprismBase(10000, 1, &why));
  EXPECT_EQ(why.text(), "Antiprism base must have less than 100 sides");
  EXPECT_TRUE(CheckAntiprismBase(99, 65, &why));
  EXPECT_FALSE(CheckPyramidBase(101, 20, &why));
  EXPECT_EQ(why.text(), "Pyramid base must have less than 100 sides");
  EXPECT_TRUE(CheckPyramidBase(99, 20, &why));
  EXPECT_FALSE(CheckCupolaBase(100, 33, &why));
  EXPECT_EQ(why.text(), "Cupola base must have less than 100 sides");
  EXPECT_TRUE(CheckCupolaBase(98, 33, &why));
  EXPECT_FALSE(CheckCuploidBase(100, 34, &why));
  EXPECT_EQ(why.text(), "Cuploid base must have less than 100 sides");
  EXPECT_TRUE(CheckCuploidBase(99, 34, &why));
  EXPECT_FALSE(CheckPrismBase(6, 2, &why));
  EXPECT_EQ(why.text(), "Illegal prism base");
  EXPECT_FALSE(CheckAntiprismBase(2, 1, &why));
  EXPECT_EQ(why.text(), "Illegal antiprism base");
  EXPECT_FALSE(CheckPyramidBase(6, 1, &why));  // n / d = 6: flat
  EXPECT_EQ(why.text(), "Illegal pyramid base");
  EXPECT_TRUE(CheckPyramidBase(5, 2, &why));
  EXPECT_TRUE(CheckCupolaBase(4, 3, &why));
  EXPECT_FALSE(CheckCupolaBase(4, 2, &why));
  EXPECT_EQ(why.text(), "Illegal cupola base");
  EXPECT_TRUE(CheckCuploidBase(5, 2, &why));
  EXPECT_FALSE(CheckCuploidBase(5, 3, &why));
  EXPECT_EQ(why.text(), "Illegal cuploid base");
  EXPECT_FALSE(CheckCupolaicBlendBase(10001, 1, &why));
  EXPECT_EQ(why.text(), "Cupolaic blend base must have less than 100 sides");
  EXPECT_EQ(why.kind(), Outcome::Kind::kRefused);
  EXPECT_FALSE(CheckCupolaBase(0, 1, nullptr));
  // The tests show no box of their own.
  EXPECT_TRUE(messages.Boxes().empty());
}

// d = n/2 would give two-vertex top faces: refused.
TEST(PolyFamilyTest, CuploidWithHalfTurnBaseIsRefused) {
  EXPECT_FALSE(CheckCuploidBase(8, 4, nullptr));
  EXPECT_FALSE(CheckCuploidBase(4, 2, nullptr));
  EXPECT_TRUE(CheckCuploidBase(7, 2, nullptr));
  EXPECT_FALSE(MakeCuploidDesc(8, 4).has_value());
}

TEST(PolyFamilyTest, GeneratedTexts) {
  EXPECT_EQ(MakePrismDesc(5, 1).value(),
            "L5 L5 (0 1 2 3 4) (5 6 7 8 9) (0 1 6 5) (1 2 7 6) (2 3 8 7) (3 4 9 8) (4 0 5 9)");
  EXPECT_EQ(MakeAntiprismDesc(3, 1).value(),
            "L3 L+3 (0 1 2) (3 4 5) (0 1 3) (1 3 4) (1 2 4) (2 4 5) (2 0 5) (0 5 3)");
  EXPECT_EQ(MakePyramidDesc(4, 1).value(), "h L1 L4 (1 2 3 4) (1 2 0) (2 3 0) (3 4 0) (4 1 0)");
  EXPECT_EQ(MakePyramidDesc(5, 2).value(), "L1 L5/2 (1 2 3 4 5)/2 (1 2 0) (2 3 0) (3 4 0) (4 5 0) (5 1 0)");
  EXPECT_EQ(MakeCupolaDesc(3, 1).value(),
            "L3 L+6 (0 1 2) (3 4 5 6 7 8) (0 1 4 3) (1 4 5) (1 2 6 5) (2 6 7) (2 0 8 7) (0 8 3)");
  EXPECT_EQ(MakeCupolaDesc(2, 1).value(), "L2 L+4 (2 3 4 5) (0 1 3 2) (1 3 4) (1 0 5 4) (0 5 2)");
  EXPECT_EQ(MakeCuploidDesc(5, 2).value(),
            "L5 L+5 (0 2 4 1 3)/2 (2 0 5 6) (1 6 5) (3 1 6 7) (2 7 6) (4 2 7 8) (3 8 7) (0 3 8 9) (4 9 8) "
            "(1 4 9 5) (0 5 9)");
  EXPECT_EQ(MakeCupolaicBlendDesc(2, 1).value(),
            "L4 L+4 (0 2 5 4) (1 5 4) (1 3 6 5) (2 6 5) (2 0 7 6) (3 7 6) (3 1 4 7) (0 4 7) t(4 5 6 7)");
  EXPECT_EQ(MakeCupolaicBlendDesc(3, 1).value().substr(0, 28), "L6 L+6 (0 2 4) (1 3 5) (0 2 ");
  std::string label;
  AppendFamilyLabel(label, 7, 3, true);
  EXPECT_EQ(label, "L+7/3 ");
}

TEST(PolyFamilyTest, FamilyFaceCounts) {
  EXPECT_EQ(GetFamilyVertexCount(kFamilyPrism, 5, 1), 7);
  EXPECT_EQ(GetFamilyVertexCount(kFamilyAntiprism, 5, 1), 12);
  EXPECT_EQ(GetFamilyVertexCount(kFamilyPrism, 4, 2), 4);    // n = 2d: no caps
  EXPECT_EQ(GetFamilyVertexCount(kFamilyAntiprism, 6, 2), 16);  // two triangles as caps
}

}  // namespace corvia
