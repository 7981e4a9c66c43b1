#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "construction/SpringRelax.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/TestSupport.h"

namespace test_SpringRelax {

// Edge lengths of the result's faces that belong to the model.
void EdgeRange(const corvia::SimplePoly& poly, double& lo, double& hi) {
  lo = 1e300;
  hi = 0.0;
  for (int f = 0; f < poly.NumFaces(); ++f) {
    const corvia::SimpleFace& face = poly.FaceAt(f);
    if (face.IsTemp()) continue;
    for (int i = 0; i < face.Count(); ++i) {
      const double* p = face.VertAt(i).pos;
      const double* q = face.VertWrapped(i + 1).pos;
      const double len = std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                                   (p[2] - q[2]) * (p[2] - q[2]));
      lo = std::min(lo, len);
      hi = std::max(hi, len);
    }
  }
}

std::string InternalError() {
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) {
    if (box.title == "Internal Error") return box.text;
  }
  return std::string();
}

bool AllFinite(const corvia::SimplePoly& poly) {
  for (int i = 0; i < poly.NumVerts(); ++i) {
    for (double c : poly.VertAt(i).pos) {
      if (!std::isfinite(c)) return false;
    }
  }
  return true;
}

constexpr const char* kPentagonalPrism =
    "L5 L5 (0 1 2 3 4) (5 6 7 8 9) (0 1 6 5) (1 2 7 6) (2 3 8 7) (3 4 9 8) (4 0 5 9)";
constexpr const char* kPentagonalAntiprism =
    "L5 L+5 (0 1 2 3 4)(5 6 7 8 9)(0 1 5)(1 5 6)(1 2 6)(2 6 7)(2 3 7)(3 7 8)(3 4 8)(4 8 9)(4 0 9)(0 9 5)";
constexpr const char* kPentagonalPyramid = "h L1 L5 (1 2 3 4 5) (1 2 0) (2 3 0) (3 4 0) (4 5 0) (5 1 0)";

}  // namespace test_SpringRelax

TEST(SpringRelaxTest, FaceListIsReadWithPrefixesAndLabels) {
  corvia::SpringPolyDesc desc;
  ASSERT_TRUE(corvia::CreateFromDesc(desc, "h3 ~ L5 L5 (0 1 2 3 4)(5 6 7 8 9) t(0 1 6 5) T(1 2 7 6)/1"));
  EXPECT_EQ(desc.mFlags, corvia::kSpringDescNeighbourSprings);
  EXPECT_EQ(desc.mMaxHops, 3);
  EXPECT_EQ(desc.mExtraLevel, 4);
  EXPECT_EQ(std::strncmp(desc.mText, "L5 L5", 5), 0);
  EXPECT_EQ(desc.mNumVerts, 10);
  EXPECT_EQ(desc.mNumFaces, 4);
  const corvia::SpringFace* f = corvia::GetFirstSpringFace();
  f = static_cast<const corvia::SpringFace*>(f->mNext->mNext);
  EXPECT_EQ(f->mFlags, corvia::kSpringFaceNotInResult);
  f = static_cast<const corvia::SpringFace*>(f->mNext);
  EXPECT_EQ(f->mFlags, corvia::kSpringFaceNotInResult | corvia::kSpringFaceTemporary);

  ASSERT_TRUE(corvia::CreateFromDesc(desc, "~7 (0 1 2)"));
  EXPECT_EQ(desc.mExtraLevel, 7);
  ASSERT_TRUE(corvia::CreateFromDesc(desc, "(0 1 2)"));
  EXPECT_EQ(desc.mExtraLevel, -1);
  EXPECT_EQ(desc.mMaxHops, corvia::kSpringDefaultMaxHops);
  corvia::FreeAllSprings();
}

TEST(SpringRelaxTest, FaceListErrors) {
  corvia::SpringPolyDesc desc;
  corvia::testing::ExpectInternalErrors(6);
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  EXPECT_FALSE(corvia::CreateFromDesc(desc, "[0 1 2]"));
  EXPECT_EQ(test_SpringRelax::InternalError(), "Expected '(', got '[0 1 2]'");
  messages.Clear();
  EXPECT_FALSE(corvia::CreateFromDesc(desc, "L3 (0 1 2) (2 1 3"));
  EXPECT_EQ(test_SpringRelax::InternalError(), "No closing ')' in '(0 1 2) (2 1 3'");
  messages.Clear();
  EXPECT_FALSE(corvia::CreateFromDesc(desc, "( x)"));
  EXPECT_EQ(test_SpringRelax::InternalError(), "Expected digit after '(', got 'x)'");
  messages.Clear();
  EXPECT_FALSE(corvia::CreateFromDesc(desc, "(0 1 2)/x"));
  EXPECT_EQ(test_SpringRelax::InternalError(), "Expected digit after '/', got 'x'");
  // Hostile counts are refused, not allocated.
  messages.Clear();
  EXPECT_FALSE(corvia::CreateFromDesc(desc, "(0 1 99999999999999)"));
  EXPECT_FALSE(corvia::CreateFromDesc(desc, "(0 1 2)/0"));
  EXPECT_EQ(corvia::GetFirstSpringVert(), nullptr);
  EXPECT_EQ(corvia::GetFirstSpringFace(), nullptr);
  messages.Clear();
}

TEST(SpringRelaxTest, SharedEdgesMakeOneSpring) {
  corvia::SpringPolyDesc desc;
  ASSERT_TRUE(corvia::CreateFromDesc(desc, "(0 1 2)(2 1 3)"));
  corvia::CreateSprings(desc);
  EXPECT_EQ(corvia::CountSprings(), 5);
  EXPECT_EQ(desc.mNumEdgeSprings, 5);
  EXPECT_EQ(desc.mNumTargetSprings, 0);

  // An edge first made by a temporary face becomes permanent when a face of the
  // model uses it too.
  ASSERT_TRUE(corvia::CreateFromDesc(desc, "T(0 1 2)(1 0 3)"));
  corvia::CreateSprings(desc);
  EXPECT_EQ(desc.mNumTemporarySprings, 3);
  int temporary = 0;
  for (auto* s = corvia::GetFirstSpring(); s; s = static_cast<corvia::Spring*>(s->mNext)) {
    const bool joins01 = s->mEndA->mIndex == 0 && s->mEndB->mIndex == 1;
    if (joins01) {
      EXPECT_EQ(s->mFlags & corvia::kSpringTemporary, 0u);
    }
    if (s->mFlags & corvia::kSpringTemporary) ++temporary;
  }
  EXPECT_EQ(temporary, 2);

  // A square: four edges, two diagonals of length sqrt 2, four targets.
  ASSERT_TRUE(corvia::CreateFromDesc(desc, "(0 1 2 3)"));
  corvia::CreateSprings(desc);
  EXPECT_EQ(desc.mNumEdgeSprings, 4);
  EXPECT_EQ(desc.mNumDiagonalSprings, 2);
  EXPECT_EQ(desc.mNumTargetSprings, 4);
  for (auto* s = corvia::GetFirstSpring(); s; s = static_cast<corvia::Spring*>(s->mNext)) {
    if (s->mFlags & corvia::kSpringDiagonal) {
      EXPECT_NEAR(s->mRestLength, std::sqrt(2.0), 1e-12);
    }
  }
  corvia::FreeAllSprings();
}

TEST(SpringRelaxTest, TreeKeepsEveryPairAfterDeletions) {
  corvia::SpringPolyDesc desc;
  ASSERT_TRUE(corvia::CreateFromDesc(desc, "(0 1 2 3 4 5 6 7 8 9)"));
  corvia::CreateSprings(desc);
  const int total = corvia::CountSprings();
  // Delete every other spring, then ask for every pair again: the survivors are
  // found (null), the deleted ones made anew.
  std::vector<corvia::Spring*> doomed;
  int i = 0;
  for (auto* s = corvia::GetFirstSpring(); s; s = static_cast<corvia::Spring*>(s->mNext), ++i) {
    if (i % 2 == 0) doomed.push_back(s);
  }
  std::vector<std::pair<corvia::SpringVert*, corvia::SpringVert*>> pairs;
  for (auto* s = corvia::GetFirstSpring(); s; s = static_cast<corvia::Spring*>(s->mNext)) {
    pairs.push_back({s->mEndA, s->mEndB});
  }
  for (auto* s : doomed) corvia::DeleteSpring(s);
  int made = 0;
  for (auto [a, b] : pairs) {
    if (corvia::FindOrCreateSpring(b, a, 1.0, false, 3, 1.0)) ++made;
  }
  EXPECT_EQ(made, static_cast<int>(doomed.size()));
  EXPECT_EQ(corvia::CountSprings(), total);
  corvia::FreeAllSprings();
}

TEST(SpringRelaxTest, FamilyModelsRelaxToEqualEdges) {
  for (const char* text : {test_SpringRelax::kPentagonalPrism, test_SpringRelax::kPentagonalAntiprism,
                           test_SpringRelax::kPentagonalPyramid}) {
    corvia::SpringPolyDesc desc;
    ASSERT_TRUE(corvia::CreateFromDesc(desc, text));
    const double force = corvia::RelaxSpringModel(desc, 10);
    ASSERT_TRUE(desc.mResult) << text;
    EXPECT_LT(force, corvia::kSpringConvergedForce) << text;
    double lo, hi;
    test_SpringRelax::EdgeRange(*desc.mResult, lo, hi);
    EXPECT_NEAR(lo, 1.0, 1e-5) << text;
    EXPECT_NEAR(hi, 1.0, 1e-5) << text;
    EXPECT_EQ(corvia::GetFirstSpringVert(), nullptr);
  }
}

TEST(SpringRelaxTest, RandomStartsAreReproducible) {
  // A cube given without ring labels starts from random positions.
  const char* cube = "h (0 1 2 3)(7 6 5 4)(0 4 5 1)(1 5 6 2)(2 6 7 3)(3 7 4 0)";
  corvia::SpringPolyDesc a, b;
  ASSERT_TRUE(corvia::CreateFromDesc(a, cube));
  corvia::RelaxSpringModel(a, 10);
  ASSERT_TRUE(corvia::CreateFromDesc(b, cube));
  corvia::RelaxSpringModel(b, 10);
  ASSERT_TRUE(a.mResult && b.mResult);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(std::memcmp(a.mResult->VertAt(i).pos, b.mResult->VertAt(i).pos, sizeof(double) * 3), 0);
  }
  double lo, hi;
  test_SpringRelax::EdgeRange(*a.mResult, lo, hi);
  EXPECT_NEAR(lo, 1.0, 1e-5);
  EXPECT_NEAR(hi, 1.0, 1e-5);
}

TEST(SpringRelaxTest, UnreferencedVertexAndHiddenFacesAreFlagged) {
  corvia::SpringPolyDesc desc;
  ASSERT_TRUE(corvia::CreateFromDesc(desc, "(0 1 2)(0 2 3)(0 3 1)(1 3 2) t(5 6 7)(7 8 9)"));
  EXPECT_EQ(desc.mNumVerts, 10);
  corvia::RelaxSpringModel(desc, 1);
  ASSERT_TRUE(desc.mResult);
  EXPECT_EQ(desc.mResult->NumVerts(), 10);
  EXPECT_TRUE(desc.mResult->VertAt(4).IsTemp());
  EXPECT_FALSE(desc.mResult->VertAt(5).IsTemp());
  EXPECT_TRUE(desc.mResult->FaceAt(4).IsTemp());
  EXPECT_FALSE(desc.mResult->FaceAt(5).IsTemp());
}

TEST(SpringRelaxTest, DegenerateSpringsAndTriangleModelsStayFinite) {
  // A repeated corner gives a spring whose ends always coincide.
  corvia::SpringPolyDesc desc;
  ASSERT_TRUE(corvia::CreateFromDesc(desc, "(0 0 1 2)(0 2 1)"));
  corvia::RelaxSpringModel(desc, 1);
  ASSERT_TRUE(desc.mResult);
  EXPECT_TRUE(test_SpringRelax::AllFinite(*desc.mResult));

  // Only triangles, with the flattening pass: no target springs to share with.
  corvia::SpringPolyDesc tetra;
  ASSERT_TRUE(corvia::CreateFromDesc(tetra, "~ L1 L3 (1 2 3)(0 2 1)(0 3 2)(0 1 3)"));
  corvia::RelaxSpringModel(tetra, 1);
  ASSERT_TRUE(tetra.mResult);
  EXPECT_TRUE(test_SpringRelax::AllFinite(*tetra.mResult));
  double lo, hi;
  test_SpringRelax::EdgeRange(*tetra.mResult, lo, hi);
  EXPECT_NEAR(lo, 1.0, 1e-5);
  EXPECT_NEAR(hi, 1.0, 1e-5);
}
