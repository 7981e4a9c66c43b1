#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "core/Messages.h"
#include "symmetry/CoincidentFaces.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/TestSupport.h"

namespace test_CoincidentFaces {

using P3 = std::array<double, 3>;

// Cube corner i of the unit cube at offset (x, y, z): bit 0 x, bit 1 y, bit 2 z.
P3 Corner(int i, double z0 = 0) {
  return {static_cast<double>(i & 1), static_cast<double>((i >> 1) & 1), z0 + static_cast<double>(i >> 2)};
}

// Faces turning outwards.
const std::vector<std::vector<int>> kCubeFaces = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                                  {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};

// copies cubes at the same place; cube k uses vertices 8k .. 8k+7.
std::unique_ptr<corvia::SimplePoly> Cubes(int copies) {
  auto poly = std::make_unique<corvia::SimplePoly>(8 * copies, 6 * copies);
  for (int k = 0; k < copies; ++k) {
    for (int i = 0; i < 8; ++i) poly->VertAt(8 * k + i).SetPos(Corner(i).data());
    for (int f = 0; f < 6; ++f) {
      std::vector<int> items = kCubeFaces[static_cast<size_t>(f)];
      for (int& v : items) v += 8 * k;
      poly->FaceAt(6 * k + f).items = items;
    }
  }
  return poly;
}

int LiveFaces(const corvia::SimplePoly& poly) {
  int n = 0;
  for (int i = 0; i < poly.NumFaces(); ++i) n += poly.FaceAt(i).IsTemp() ? 0 : 1;
  return n;
}
int LiveVerts(const corvia::SimplePoly& poly) {
  int n = 0;
  for (int i = 0; i < poly.NumVerts(); ++i) n += poly.VertAt(i).IsTemp() ? 0 : 1;
  return n;
}
void ExpectLiveCorners(const corvia::SimplePoly& poly) {
  for (int i = 0; i < poly.NumFaces(); ++i) {
    if (poly.FaceAt(i).IsTemp()) continue;
    for (int32_t v : poly.FaceAt(i).items) EXPECT_FALSE(poly.VertAt(v).IsTemp()) << "face " << i;
  }
}

TEST(CoincidentFacesTest, DoubledCubeKeepsOneCopyOrNothing) {
  auto keepOne = Cubes(2);
  EXPECT_TRUE(corvia::RemoveCoincidentFaces(*keepOne, corvia::kCoincidentKeepOne, false, corvia::kSimpleTemp));
  EXPECT_EQ(LiveFaces(*keepOne), 6);
  EXPECT_EQ(LiveVerts(*keepOne), 8);
  // The first copy stays, on the vertices earlier in the array.
  for (int f = 0; f < 6; ++f) EXPECT_FALSE(keepOne->FaceAt(f).IsTemp());
  for (int v = 0; v < 8; ++v) EXPECT_FALSE(keepOne->VertAt(v).IsTemp());
  ExpectLiveCorners(*keepOne);

  auto inPairs = Cubes(2);
  EXPECT_TRUE(corvia::RemoveCoincidentFaces(*inPairs, corvia::kCoincidentInPairs, false, corvia::kSimpleTemp));
  EXPECT_EQ(LiveFaces(*inPairs), 0);
  EXPECT_EQ(LiveVerts(*inPairs), 0);
}

TEST(CoincidentFacesTest, ThreeCopiesKeepOne) {
  auto poly = Cubes(3);
  EXPECT_TRUE(corvia::RemoveCoincidentFaces(*poly, corvia::kCoincidentKeepOne, false, corvia::kSimpleTemp));
  EXPECT_EQ(LiveFaces(*poly), 6);
  EXPECT_EQ(LiveVerts(*poly), 8);
  ExpectLiveCorners(*poly);
}

TEST(CoincidentFacesTest, OppositeOrientationCoincidesButOtherCornersDoNot) {
  // Two triangles on the same corners, one reversed.
  auto poly = std::make_unique<corvia::SimplePoly>(6, 2);
  const P3 pts[6] = {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}};
  for (int i = 0; i < 6; ++i) poly->VertAt(i).SetPos(pts[i].data());
  poly->FaceAt(0).items = {0, 1, 2};
  poly->FaceAt(1).items = {5, 4, 3};
  EXPECT_TRUE(corvia::RemoveCoincidentFaces(*poly, corvia::kCoincidentInPairs, false, corvia::kSimpleTemp));
  EXPECT_EQ(LiveFaces(*poly), 0);

  // Same plane and centroid, different corners: (0,0) (3,0) (0,3) and (1,1) (2,-1) ...
  auto other = std::make_unique<corvia::SimplePoly>(6, 2);
  const P3 q[6] = {{0, 0, 1}, {3, 0, 1}, {0, 3, 1}, {2, 2, 1}, {-1, 2, 1}, {2, -1, 1}};
  for (int i = 0; i < 6; ++i) other->VertAt(i).SetPos(q[i].data());
  other->FaceAt(0).items = {0, 1, 2};
  other->FaceAt(1).items = {3, 4, 5};
  EXPECT_TRUE(corvia::RemoveCoincidentFaces(*other, corvia::kCoincidentInPairs, false, corvia::kSimpleTemp));
  EXPECT_EQ(LiveFaces(*other), 2);
}

TEST(CoincidentFacesTest, QuestionCancelAndNoChangeNothing) {
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  auto poly = Cubes(2);
  messages.QueueAnswer(corvia::kBoxCancel);
  EXPECT_FALSE(corvia::RemoveCoincidentFaces(*poly, corvia::kCoincidentKeepOne, true, corvia::kSimpleTemp));
  ASSERT_EQ(messages.Boxes().size(), 1u);
  EXPECT_EQ(messages.Boxes()[0].text, "There are some coincident faces.\nShall I remove all but one of these?");
  messages.QueueAnswer(corvia::kBoxNo);
  EXPECT_TRUE(corvia::RemoveCoincidentFaces(*poly, corvia::kCoincidentInPairs, true, corvia::kSimpleTemp));
  ASSERT_EQ(messages.Boxes().size(), 2u);
  EXPECT_EQ(messages.Boxes()[1].text, "There are some coincident faces.\nShall I remove these in pairs?");
  EXPECT_EQ(LiveFaces(*poly), 12);
  EXPECT_EQ(LiveVerts(*poly), 16);
  messages.Clear();
}

TEST(CoincidentFacesTest, MarkingFlagOnlyMarks) {
  constexpr uint32_t kMark = 0x40;
  auto poly = Cubes(2);
  EXPECT_TRUE(corvia::RemoveCoincidentFaces(*poly, corvia::kCoincidentKeepOne, false, kMark));
  int marked = 0;
  for (int i = 0; i < poly->NumFaces(); ++i) marked += (poly->FaceAt(i).flags & kMark) ? 1 : 0;
  EXPECT_EQ(marked, 6);
  EXPECT_EQ(LiveFaces(*poly), 12);
}

TEST(CoincidentFacesTest, AddedPyramidOnACubeFaceJoinsTheSurface) {
  // Cube (faces 0-5, vertices 0-7), then a square pyramid on its top face z = 1
  // (faces 6-10, vertices 8-12); the pyramid's base faces down onto the cube.
  auto poly = std::make_unique<corvia::SimplePoly>(13, 11);
  for (int i = 0; i < 8; ++i) poly->VertAt(i).SetPos(Corner(i).data());
  for (int f = 0; f < 6; ++f) poly->FaceAt(f).items = kCubeFaces[static_cast<size_t>(f)];
  const int top[4] = {4, 5, 7, 6};
  for (int k = 0; k < 4; ++k) poly->VertAt(8 + k).SetPos(Corner(top[k]).data());
  const P3 apex = {0.5, 0.5, 2};
  poly->VertAt(12).SetPos(apex.data());
  poly->FaceAt(6).items = {8, 11, 10, 9};
  for (int k = 0; k < 4; ++k) poly->FaceAt(7 + k).items = {8 + k, 8 + (k + 1) % 4, 12};
  EXPECT_TRUE(corvia::RemoveCoincidentFacePairs(*poly, 6, 8, 6, false, corvia::kSimpleTemp));
  EXPECT_TRUE(poly->FaceAt(1).IsTemp());
  EXPECT_TRUE(poly->FaceAt(6).IsTemp());
  EXPECT_EQ(LiveFaces(*poly), 9);
  EXPECT_EQ(LiveVerts(*poly), 9);
  ExpectLiveCorners(*poly);
  // The pyramid's sides now stand on the cube's own corners.
  for (int k = 0; k < 4; ++k) {
    for (int32_t v : poly->FaceAt(7 + k).items) EXPECT_TRUE(v < 8 || v == 12);
  }
}

TEST(CoincidentFacesTest, PairsWithNothingAddedDoNothing) {
  auto poly = Cubes(1);
  EXPECT_TRUE(corvia::RemoveCoincidentFacePairs(*poly, 0, 0, 6, false, corvia::kSimpleTemp));
  EXPECT_TRUE(corvia::RemoveCoincidentFacePairs(*poly, 6, 8, 6, false, corvia::kSimpleTemp));
  EXPECT_EQ(LiveFaces(*poly), 6);
}

}  // namespace test_CoincidentFaces
