// A model enters alike whatever order its file lists the corners in: the mirror
// partners of its face types, found by position, and the orbits of its vertices,
// swept piece by piece along each candidate axis, must not depend on the numbering;
// a large model listed in no order is numbered as its faces use the vertices.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/VectorMath.h"
#include "model/CreatePoly.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace test_CornerOrder {

using corvia::FaceType;
using corvia::Poly;
using corvia::SimplePoly;

// The model with its vertices renumbered by a random permutation; faces keep their
// order.
std::unique_ptr<SimplePoly> Renumbered(const SimplePoly& model, unsigned seed) {
  std::vector<int> newIndex(static_cast<size_t>(model.NumVerts()));
  std::iota(newIndex.begin(), newIndex.end(), 0);
  std::shuffle(newIndex.begin(), newIndex.end(), std::mt19937(seed));
  auto copy = std::make_unique<SimplePoly>(model.NumVerts(), model.NumFaces());
  for (int i = 0; i < model.NumVerts(); ++i) copy->VertAt(newIndex[static_cast<size_t>(i)]).SetPos(model.VertAt(i).pos);
  for (int f = 0; f < model.NumFaces(); ++f) {
    const corvia::SimpleFace& from = model.FaceAt(f);
    copy->FaceAt(f).SetNumVerts(from.Count());
    for (int k = 0; k < from.Count(); ++k) {
      copy->FaceAt(f).SetVertIndex(k, newIndex[static_cast<size_t>(from.items[static_cast<size_t>(k)])]);
    }
  }
  return copy;
}

// What the face types of an entered model come to, apart from their numbering.
struct Summary {
  int group = -1;
  int types = 0;
  int selfMirror = 0;
  int paired = 0;
  std::multiset<int> sizes;
};

// Checks every mirror pair on the way: the partners name each other, have as many
// faces, and the mirror face lies where the group's reflection carries the
// representative.
Summary Enter(SimplePoly& model) {
  Summary s;
  Poly poly;
  EXPECT_TRUE(CreatePoly(model, &poly, false, false));
  if (!poly.mSymGroup) return s;
  s.group = poly.mSymGroup->type;
  double reflection[9];
  poly.mSymGroup->GetReflectionMatrix(reflection);
  for (const FaceType* type = poly.mBaseBlock->mFirstFaceType; type; type = type->mNext) {
    ++s.types;
    s.sizes.insert(type->mCount);
    if (type->mFlags & corvia::kFaceTypeSelfMirror) ++s.selfMirror;
    const FaceType* partner = type->mMirrorPartner;
    if (!partner) continue;
    ++s.paired;
    EXPECT_EQ(partner->mMirrorPartner, type);
    EXPECT_EQ(partner->mCount, type->mCount);
    // The type that found the pair keeps the mirror face of its representative.
    if (!type->mMirrorFace) continue;
    EXPECT_EQ(type->mMirrorFace->mType, partner);
    double image[3];
    corvia::MatrixTimesVector(reflection, image, type->mFirstFace->mCentre);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(type->mMirrorFace->mCentre[k], image[k], 1e-6);
  }
  return s;
}

Summary ExpectSameEntry(const std::unique_ptr<SimplePoly>& model, int expectedGroup) {
  const std::unique_ptr<SimplePoly> copy = model->CopyWithNames();
  const Summary original = Enter(*copy);
  EXPECT_EQ(original.group, expectedGroup);
  for (unsigned seed : {1u, 2u}) {
    const std::unique_ptr<SimplePoly> shuffled = Renumbered(*model, seed);
    const Summary other = Enter(*shuffled);
    EXPECT_EQ(other.group, original.group) << "seed " << seed;
    EXPECT_EQ(other.types, original.types) << "seed " << seed;
    EXPECT_EQ(other.selfMirror, original.selfMirror) << "seed " << seed;
    EXPECT_EQ(other.paired, original.paired) << "seed " << seed;
    EXPECT_EQ(other.sizes, original.sizes) << "seed " << seed;
  }
  return original;
}

TEST(CornerOrder, AGeodesicSphereWithItsCornersRenumberedHasTheSameTypesAndMirrorPairs) {
  // Frequency 5 has faces off every mirror plane: their types come in mirror pairs.
  const Summary sphere = ExpectSameEntry(corvia::symtest::MakeGeodesicModel(5), corvia::kSymGroupIcosahedral);
  EXPECT_GT(sphere.paired, 0);
  EXPECT_GT(sphere.selfMirror, 0);
}

TEST(CornerOrder, ALargeSphereListedInNoOrderIsNumberedAsItsFacesUseTheVertices) {
  // Frequency 41: 16,812 vertices, past those a model keeps its numbering up to.
  const std::unique_ptr<SimplePoly> model = corvia::symtest::MakeGeodesicModel(41);
  const std::unique_ptr<SimplePoly> shuffled = Renumbered(*model, 3);
  EXPECT_FALSE(model->CopyWithNames()->RenumberScatteredVerts()) << "listed ring by ring";
  // Every record moves whole: a colour and a label made from its old number go with
  // it, and its links lead to its new number.
  std::vector<std::array<double, 3>> oldPos;
  for (int32_t i = 0; i < shuffled->NumVerts(); ++i) {
    const double* p = shuffled->VertAt(i).pos;
    oldPos.push_back({p[0], p[1], p[2]});
    shuffled->VertAt(i).color = static_cast<uint32_t>(i);
    shuffled->VertAt(i).SetLabel(std::to_string(i).c_str());
  }
  ASSERT_TRUE(shuffled->RenumberScatteredVerts());
  for (int32_t i = 0; i < shuffled->NumVerts(); ++i) {
    const corvia::SimpleVert& v = shuffled->VertAt(i);
    ASSERT_EQ(v.Label(), std::to_string(v.color));
    for (int c = 0; c < 3; ++c) ASSERT_EQ(v.pos[c], oldPos[v.color][static_cast<size_t>(c)]);
    ASSERT_TRUE(v.coinc == corvia::kNoIndex || v.coinc == i);
    ASSERT_TRUE(v.nextOfType == corvia::kNoIndex || v.nextOfType == i);
  }
  int next = 0;
  for (int f = 0; f < model->NumFaces(); ++f) {
    ASSERT_EQ(shuffled->FaceAt(f).Count(), model->FaceAt(f).Count());
    for (int k = 0; k < model->FaceAt(f).Count(); ++k) {
      const int32_t corner = shuffled->FaceAt(f).items[static_cast<size_t>(k)];
      ASSERT_LE(corner, next) << "face " << f;
      if (corner == next) ++next;
      for (int c = 0; c < 3; ++c) {
        ASSERT_EQ(shuffled->VertAt(corner).pos[c], model->VertAt(model->FaceAt(f).items[static_cast<size_t>(k)]).pos[c]);
      }
    }
  }
  ExpectSameEntry(model, corvia::kSymGroupIcosahedral);
}

TEST(CornerOrder, ACompoundOfTwoTetrahedraWithItsCornersRenumberedKeepsItsGroup) {
  // Two pieces: the spread from a candidate axis reaches one tetrahedron, and the
  // sweep must start the other.
  std::vector<corvia::symtest::Point> corners;
  for (int s = 0; s < 8; ++s) corners.push_back({s & 1 ? 1.0 : -1.0, s & 2 ? 1.0 : -1.0, s & 4 ? 1.0 : -1.0});
  corvia::symtest::FaceList faces;
  for (int parity : {0, 1}) {
    std::vector<int> piece;
    for (int s = 0; s < 8; ++s) {
      if (__builtin_popcount(static_cast<unsigned>(s)) % 2 == parity) piece.push_back(s);
    }
    for (int skip = 0; skip < 4; ++skip) {
      std::vector<int> face;
      for (int k = 0; k < 4; ++k) {
        if (k != skip) face.push_back(piece[static_cast<size_t>(k)]);
      }
      // Counter-clockwise from outside: away from the skipped corner.
      double u[3], v[3], n[3], out[3];
      corvia::Subtract(u, corners[static_cast<size_t>(face[1])].data(), corners[static_cast<size_t>(face[0])].data());
      corvia::Subtract(v, corners[static_cast<size_t>(face[2])].data(), corners[static_cast<size_t>(face[0])].data());
      corvia::Cross(n, u, v);
      corvia::Subtract(out, corners[static_cast<size_t>(face[0])].data(),
                       corners[static_cast<size_t>(piece[static_cast<size_t>(skip)])].data());
      if (corvia::Dot(n, out) < 0) std::swap(face[1], face[2]);
      faces.push_back(face);
    }
  }
  ExpectSameEntry(corvia::symtest::MakeModel(corners, faces), corvia::kSymGroupOctahedral);
}

}  // namespace test_CornerOrder
