#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "core/Messages.h"
#include "core/VectorMath.h"
#include "symmetry/BlendFaces.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/TestSupport.h"

namespace test_BlendFaces {

using P3 = std::array<double, 3>;

// Builds a model from faces given by corner positions; equal positions share a vertex.
class Builder {
 public:
  int Vert(const P3& p) {
    for (size_t i = 0; i < mVerts.size(); ++i) {
      if (mVerts[i] == p) return static_cast<int>(i);
    }
    mVerts.push_back(p);
    return static_cast<int>(mVerts.size()) - 1;
  }
  void Face(const std::vector<P3>& corners) {
    std::vector<int> f;
    for (const P3& p : corners) f.push_back(Vert(p));
    mFaces.push_back(f);
  }
  std::unique_ptr<corvia::SimplePoly> Make() const {
    auto poly = std::make_unique<corvia::SimplePoly>(static_cast<int>(mVerts.size()), static_cast<int>(mFaces.size()));
    for (size_t i = 0; i < mVerts.size(); ++i) poly->VertAt(static_cast<int>(i)).SetPos(mVerts[i].data());
    for (size_t i = 0; i < mFaces.size(); ++i) poly->FaceAt(static_cast<int>(i)).items = mFaces[i];
    return poly;
  }

 private:
  std::vector<P3> mVerts;
  std::vector<std::vector<int>> mFaces;
};

// The point of cube face `axis`/`side` at in-plane coordinates (u, v) in [0, 1].
P3 CubePoint(int axis, int side, double u, double v) {
  P3 p{};
  p[static_cast<size_t>(axis)] = side;
  p[static_cast<size_t>((axis + 1) % 3)] = side ? u : v;
  p[static_cast<size_t>((axis + 2) % 3)] = side ? v : u;
  return p;
}

struct Counts {
  int faces = 0;
  int verts = 0;
  std::vector<int> sides;
};

Counts Live(const corvia::SimplePoly& poly) {
  Counts c;
  for (int i = 0; i < poly.NumFaces(); ++i) {
    if (poly.FaceAt(i).IsTemp()) continue;
    ++c.faces;
    c.sides.push_back(poly.FaceAt(i).Count());
  }
  for (int i = 0; i < poly.NumVerts(); ++i) c.verts += poly.VertAt(i).IsTemp() ? 0 : 1;
  return c;
}

// Every live face: corners live, no vertex twice.
void ExpectCleanFaces(const corvia::SimplePoly& poly) {
  for (int i = 0; i < poly.NumFaces(); ++i) {
    const corvia::SimpleFace& f = poly.FaceAt(i);
    if (f.IsTemp()) continue;
    EXPECT_GE(f.Count(), 3);
    for (int k = 0; k < f.Count(); ++k) {
      EXPECT_FALSE(f.VertAt(k).IsTemp()) << "face " << i;
      EXPECT_EQ(f.FindItem(f.items[static_cast<size_t>(k)], k), -1) << "face " << i << " repeats a vertex";
    }
  }
}

// A unit square of the plane z = 0 with corner (x, y), counter-clockwise seen from +z.
std::vector<P3> Square(double x, double y) { return {{x, y, 0}, {x + 1, y, 0}, {x + 1, y + 1, 0}, {x, y + 1, 0}}; }

TEST(BlendFacesTest, TriangulatedCubeGivesBackSixSquares) {
  Builder b;
  // Each face cut into a 2 x 2 grid of squares, each square into two triangles.
  for (int axis = 0; axis < 3; ++axis) {
    for (int side = 0; side < 2; ++side) {
      for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
          const double u0 = i * 0.5, u1 = u0 + 0.5, v0 = j * 0.5, v1 = v0 + 0.5;
          b.Face({CubePoint(axis, side, u0, v0), CubePoint(axis, side, u1, v0), CubePoint(axis, side, u1, v1)});
          b.Face({CubePoint(axis, side, u0, v0), CubePoint(axis, side, u1, v1), CubePoint(axis, side, u0, v1)});
        }
      }
    }
  }
  auto poly = b.Make();
  ASSERT_EQ(poly->NumFaces(), 48);
  ASSERT_EQ(poly->NumVerts(), 26);
  EXPECT_TRUE(corvia::BlendCoplanarFaces(*poly, 0));
  const Counts c = Live(*poly);
  EXPECT_EQ(c.faces, 6);
  EXPECT_EQ(c.verts, 8);
  for (int s : c.sides) EXPECT_EQ(s, 4);
  ExpectCleanFaces(*poly);
  // Each square keeps its side of the cube: area 1.
  for (int i = 0; i < poly->NumFaces(); ++i) {
    if (poly->FaceAt(i).IsTemp()) continue;
    double area[3];
    poly->FaceAt(i).AreaVector(area);
    EXPECT_NEAR(std::sqrt(corvia::Dot(area, area)) / 2, 1.0, 1e-12);
  }
}

TEST(BlendFacesTest, TwoGluedCubesBecomeABox) {
  Builder b;
  for (int cube = 0; cube < 2; ++cube) {
    const double x0 = cube;
    auto at = [&](int i) { return P3{x0 + (i & 1), static_cast<double>((i >> 1) & 1), static_cast<double>(i >> 2)}; };
    // The faces where the cubes touch (x = 1) are left out.
    if (cube == 0) b.Face({at(0), at(4), at(6), at(2)});
    if (cube == 1) b.Face({at(1), at(3), at(7), at(5)});
    b.Face({at(0), at(1), at(5), at(4)});
    b.Face({at(2), at(6), at(7), at(3)});
    b.Face({at(0), at(2), at(3), at(1)});
    b.Face({at(4), at(5), at(7), at(6)});
  }
  auto poly = b.Make();
  EXPECT_TRUE(corvia::BlendCoplanarFaces(*poly, 0));
  const Counts c = Live(*poly);
  EXPECT_EQ(c.faces, 6);
  EXPECT_EQ(c.verts, 8);
  for (int s : c.sides) EXPECT_EQ(s, 4);
  ExpectCleanFaces(*poly);
}

TEST(BlendFacesTest, FlatSheetKeepsItsMiddleCorners) {
  Builder b;
  b.Face(Square(0, 0));
  b.Face(Square(1, 0));
  auto poly = b.Make();
  EXPECT_TRUE(corvia::BlendCoplanarFaces(*poly, 0));
  const Counts c = Live(*poly);
  EXPECT_EQ(c.faces, 1);
  ASSERT_EQ(c.sides.size(), 1u);
  EXPECT_EQ(c.sides[0], 6);
  ExpectCleanFaces(*poly);
}

TEST(BlendFacesTest, FacesOfOppositeSensesAreBlendedToo) {
  Builder b;
  b.Face(Square(0, 0));
  std::vector<P3> reversed = Square(1, 0);
  std::swap(reversed[1], reversed[3]);
  b.Face(reversed);
  auto poly = b.Make();
  EXPECT_TRUE(corvia::BlendCoplanarFaces(*poly, 0));
  const Counts c = Live(*poly);
  EXPECT_EQ(c.faces, 1);
  ASSERT_EQ(c.sides.size(), 1u);
  EXPECT_EQ(c.sides[0], 6);
}

TEST(BlendFacesTest, FacesTouchingAtACornerAreNotBlendedAndNothingIsAsked) {
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  Builder b;
  b.Face(Square(0, 0));
  b.Face(Square(1, 1));
  auto poly = b.Make();
  uint32_t flags = 99;
  EXPECT_FALSE(corvia::BlendCoplanarFaces(*poly, corvia::kBlendAskUser, nullptr, &flags));
  EXPECT_EQ(flags, 0u);
  EXPECT_TRUE(messages.Boxes().empty());
  EXPECT_EQ(Live(*poly).faces, 2);
}

TEST(BlendFacesTest, QuestionRefusedLeavesTheModelAndAcceptedBlends) {
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  Builder b;
  b.Face(Square(0, 0));
  b.Face(Square(1, 0));
  auto poly = b.Make();
  const std::vector<int> before0 = poly->FaceAt(0).items;
  messages.QueueAnswer(corvia::kBoxNo);
  uint8_t answer = 7;
  uint32_t flags = 0;
  EXPECT_FALSE(corvia::BlendCoplanarFaces(*poly, corvia::kBlendAskUser, &answer, &flags));
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(flags, corvia::kBlendQuestionShown);
  ASSERT_EQ(messages.Boxes().size(), 1u);
  EXPECT_EQ(messages.Boxes()[0].text, "Some coplanar faces share an edge.\nShall I blend these faces?");
  EXPECT_EQ(poly->FaceAt(0).items, before0);
  EXPECT_EQ(Live(*poly).faces, 2);

  messages.Clear();
  messages.QueueAnswer(corvia::kBoxYes);
  EXPECT_TRUE(corvia::BlendCoplanarFaces(*poly, corvia::kBlendAskUser, &answer, &flags));
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(messages.Boxes().size(), 1u);
  EXPECT_EQ(Live(*poly).faces, 1);
  messages.Clear();
}

TEST(BlendFacesTest, RingRoundAGapIsLeftUnblended) {
  Builder b;
  for (int x = 0; x < 3; ++x) {
    for (int y = 0; y < 3; ++y) {
      if (x != 1 || y != 1) b.Face(Square(x, y));
    }
  }
  auto poly = b.Make();
  corvia::BlendCoplanarFaces(*poly, 0);
  const Counts c = Live(*poly);
  EXPECT_EQ(c.faces, 8);
  for (int s : c.sides) EXPECT_EQ(s, 4);
  ExpectCleanFaces(*poly);
}

TEST(BlendFacesTest, OutlineTouchingItselfAtACornerIsCutThere) {
  Builder b;
  // A row of three squares and one above its right end, plus a square that meets
  // that one only at a corner.
  b.Face(Square(0, 0));
  b.Face(Square(1, 0));
  b.Face(Square(2, 0));
  b.Face(Square(2, 1));
  b.Face(Square(1, 2));
  auto poly = b.Make();
  EXPECT_TRUE(corvia::BlendCoplanarFaces(*poly, 0));
  Counts c = Live(*poly);
  ASSERT_EQ(c.faces, 2);
  std::sort(c.sides.begin(), c.sides.end());
  EXPECT_EQ(c.sides[0], 4);
  EXPECT_EQ(c.sides[1], 10);
  ExpectCleanFaces(*poly);
}

TEST(BlendFacesTest, MergedVerticesJoinCopiesAtOnePlace) {
  // The two squares have their own vertex records along the shared edge.
  auto poly = std::make_unique<corvia::SimplePoly>(8, 2);
  const P3 pts[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}};
  for (int i = 0; i < 8; ++i) poly->VertAt(i).SetPos(pts[i].data());
  poly->FaceAt(0).items = {0, 1, 2, 3};
  poly->FaceAt(1).items = {4, 5, 6, 7};
  EXPECT_TRUE(corvia::BlendCoplanarFaces(*poly, corvia::kBlendMergeVerts));
  const Counts c = Live(*poly);
  EXPECT_EQ(c.faces, 1);
  EXPECT_EQ(c.verts, 6);
  ExpectCleanFaces(*poly);
}

}  // namespace test_BlendFaces
