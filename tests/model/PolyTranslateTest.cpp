// Moving a model: its vertices move by the vector, its dual is the polar of the moved
// model about the centre, and a move that cannot be made leaves nothing to undo.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "construction/DerivedModels.h"
#include "core/VectorMath.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "tests/support/TestSupport.h"

namespace {

using corvia::Poly;
using corvia::PolyElement;

std::vector<std::vector<double>> VertexPositions(const Poly& poly) {
  std::vector<std::vector<double>> out;
  for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    out.push_back({v->mDualVert[0], v->mDualVert[1], v->mDualVert[2]});
  }
  return out;
}

// Whether every point has a partner within the tolerance in the other list.
bool SamePoints(const std::vector<std::vector<double>>& a, const std::vector<std::vector<double>>& b, double tol) {
  if (a.size() != b.size()) return false;
  for (const auto& p : a) {
    bool found = false;
    for (const auto& q : b) {
      found =
          found || (std::fabs(p[0] - q[0]) <= tol && std::fabs(p[1] - q[1]) <= tol && std::fabs(p[2] - q[2]) <= tol);
    }
    if (!found) return false;
  }
  return true;
}

// The radius of reciprocation worked out from the corners: the geometric mean, over
// every side of every face, of the distance from the centre to the side's line.
double MidRadius(const Poly& poly) {
  double logSum = 0.0;
  int count = 0;
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    for (int i = 0; i < f->mNumSides; ++i) {
      const double* a = f->mNeighbours[i]->mDualVert;
      const double* b = f->mNeighbours[(i + 1) % f->mNumSides]->mDualVert;
      double d[3], c[3];
      corvia::Subtract(d, b, a);
      corvia::Cross(c, d, a);
      logSum += std::log(std::sqrt(corvia::Dot(c, c) / corvia::Dot(d, d)));
      ++count;
    }
  }
  return std::exp(logSum / count);
}

// Each face's dual vertex is the pole of its plane: along the plane's normal at r^2
// over the plane's distance from the centre.
void ExpectDualIsPolar(const Poly& poly) {
  const double r = MidRadius(poly);
  EXPECT_NEAR(poly.mDualScale, r, 1e-9);
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    const double* a = f->mNeighbours[0]->mDualVert;
    const double* b = f->mNeighbours[1]->mDualVert;
    const double* c = f->mNeighbours[2]->mDualVert;
    double ab[3], ac[3], n[3];
    corvia::Subtract(ab, b, a);
    corvia::Subtract(ac, c, a);
    corvia::Cross(n, ab, ac);
    corvia::Scale(n, n, 1.0 / std::sqrt(corvia::Dot(n, n)));
    const double distance = corvia::Dot(n, a);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(f->mDualVert[k], n[k] * r * r / distance, 1e-9) << f->mIndex;
  }
}

TEST(PolyTranslate, MovesTheModelRemakesItsDualAndMovesBack) {
  corvia::PolyTemplate icosahedron;
  ASSERT_TRUE(icosahedron.Parse("3.3.3.3.3", nullptr));
  Poly poly;
  ASSERT_TRUE(poly.Build(&icosahedron, 0));
  const auto original = VertexPositions(poly);
  const auto originalDual = [&poly] {
    std::vector<std::vector<double>> out;
    for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
      out.push_back({f->mDualVert[0], f->mDualVert[1], f->mDualVert[2]});
    }
    return out;
  }();
  auto& undo = corvia::testing::Platform().undo;
  const size_t steps = undo.mCalls.size();
  const int discards = undo.mDiscards;

  const double by[3] = {0.25, -0.1, 0.05};
  corvia::TranslateBy(&poly, by);
  ASSERT_EQ(undo.mCalls.size(), steps + 1);
  EXPECT_EQ(undo.mCalls.back().type, corvia::kUndoTranslate);
  EXPECT_EQ(undo.mDiscards, discards);
  EXPECT_EQ(poly.mVertices.mCount, 12);
  EXPECT_EQ(poly.mFaces.mCount, 20);
  std::vector<std::vector<double>> moved = original;
  for (auto& p : moved) {
    for (int k = 0; k < 3; ++k) p[k] += by[k];
  }
  EXPECT_TRUE(SamePoints(VertexPositions(poly), moved, 1e-9));
  ExpectDualIsPolar(poly);

  // Moved back, model and dual are what they were.
  const double back[3] = {-by[0], -by[1], -by[2]};
  corvia::TranslateBy(&poly, back);
  EXPECT_EQ(undo.mCalls.size(), steps + 2);
  EXPECT_TRUE(SamePoints(VertexPositions(poly), original, 1e-9));
  std::vector<std::vector<double>> dual;
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    dual.push_back({f->mDualVert[0], f->mDualVert[1], f->mDualVert[2]});
  }
  EXPECT_TRUE(SamePoints(dual, originalDual, 1e-9));
}

// An empty model has no copy to move: the step is taken back and the model stays empty.
TEST(PolyTranslate, NothingToMoveLeavesNothingToUndo) {
  Poly poly;
  auto& undo = corvia::testing::Platform().undo;
  const size_t steps = undo.mCalls.size();
  const int discards = undo.mDiscards;
  const double by[3] = {1.0, 0.0, 0.0};
  corvia::TranslateBy(&poly, by);
  EXPECT_EQ(undo.mCalls.size(), steps + 1);
  EXPECT_EQ(undo.mDiscards, discards + 1);
  EXPECT_EQ(poly.mVertices.mCount, 0);
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 0);
}

}  // namespace
