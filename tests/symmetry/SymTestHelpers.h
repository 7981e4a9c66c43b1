#pragma once
// Shared by the symmetry tests: the operations of a group as a list of matrices,
// tolerant matrix comparison, the list of every kind of group, and hull models
// built into a Poly with the sizes of their element types, and a snapshot of
// everything the set-up of a Poly decides.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/VectorMath.h"
#include "model/CreatePoly.h"
#include "model/Edge.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace corvia::symtest {

using Matrix = std::array<double, 9>;

inline constexpr double kMatrixTolerance = 1e-9;

inline bool SameMatrix(const Matrix& a, const Matrix& b) {
  for (int j = 0; j < 9; ++j) {
    if (std::fabs(a[j] - b[j]) > kMatrixTolerance) return false;
  }
  return true;
}

inline bool Contains(const std::vector<Matrix>& set, const Matrix& m) {
  for (const Matrix& s : set) {
    if (SameMatrix(s, m)) return true;
  }
  return false;
}

inline Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix out;
  MatrixTimesMatrix(out.data(), a.data(), b.data());
  return out;
}

inline Matrix Transposed(const Matrix& m) {
  Matrix out;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) out[3 * c + r] = m[3 * r + c];
  }
  return out;
}

inline Matrix Identity() {
  return {1, 0, 0, 0, 1, 0, 0, 0, 1};
}

inline double Determinant(const Matrix& m) {
  double c0[3] = {m[0], m[1], m[2]};
  double c1[3] = {m[3], m[4], m[5]};
  double c2[3] = {m[6], m[7], m[8]};
  double cross[3];
  Cross(cross, c1, c2);
  return Dot(c0, cross);
}

// Every operation the group yields, identity first.
inline std::vector<Matrix> Operations(const SymGroup* group, bool improper) {
  std::vector<Matrix> ops;
  SymOperationIterator it;
  Matrix m;
  while (GetNextSymmetryOperation(group, it, true, m.data(), improper)) {
    ops.push_back(m);
    if (ops.size() > 1000) break;  // a runaway iterator fails the counts below
  }
  return ops;
}

inline std::vector<Matrix> Rotations(const SymGroup* group) {
  return Operations(group, false);
}

// A group type, fold and reflection type; every allowed combination is listed by
// AllGroups.
struct GroupKind {
  int type;
  int fold;
  int refl;

  std::string Label() const {
    return "type " + std::to_string(type) + " fold " + std::to_string(fold) + " refl " + std::to_string(refl);
  }
};

inline std::vector<GroupKind> AllGroups(int maxFold) {
  std::vector<GroupKind> kinds;
  for (int type = kSymGroupIcosahedral; type <= kSymGroupNone; ++type) {
    bool folded = type == kSymGroupDihedral || type == kSymGroupPyramidal;
    for (int fold = 1; fold <= (folded ? maxFold : 1); ++fold) {
      for (int refl = kReflectionHorizontal; refl <= kReflectionChiral; ++refl) {
        if (IsReflectionTypeAllowed(type, refl)) kinds.push_back({type, folded ? fold : 0, refl});
      }
    }
  }
  return kinds;
}

inline std::unique_ptr<SymGroup> MakeGroup(const GroupKind& kind) {
  auto group = CreateSymGroup(kind.type, kind.fold);
  group->SetReflectionType(kind.refl);
  return group;
}

// A rotation with no special relation to any axis of the groups.
inline Matrix GenericRotation() {
  Matrix a, b, c;
  AxisRotationMatrix(a.data(), 0, 0.3);
  AxisRotationMatrix(b.data(), 1, -1.1);
  AxisRotationMatrix(c.data(), 2, 0.7);
  return Multiply(a, Multiply(b, c));
}

// The convex hull of the points built into an empty Poly; a refusal fails the test.
inline void BuildHullPoly(Poly& poly, const std::vector<Point>& points) {
  auto model = MakeHullModel(points);
  ASSERT_TRUE(CreatePoly(*model, &poly, false, true));
}

// Sizes of the face types of a block, smallest first.
inline std::vector<int> TypeSizes(const FaceTypeBlock& block) {
  std::vector<int> sizes;
  for (const FaceType* t = block.mFirstFaceType; t; t = t->mNext) sizes.push_back(t->mCount);
  std::sort(sizes.begin(), sizes.end());
  return sizes;
}

// Sizes of the edge types of a model, smallest first.
inline std::vector<int> EdgeTypeSizes(const Poly& poly) {
  std::vector<int> sizes;
  for (int t = 0; t < poly.mNumEdgeTypes; ++t) sizes.push_back(poly.mEdgeTypes[t].mNumEdges);
  std::sort(sizes.begin(), sizes.end());
  return sizes;
}

// The first sentence of every refusal of a model on its way to a Poly.
inline constexpr const char* kInvalidModelText = "The polyhedron you want to create\ndoes not appear to be valid.";

// Everything the set-up decides, in order, as one record.
struct Snapshot {
  std::vector<double> numbers;
  bool operator==(const Snapshot& other) const { return numbers == other.numbers; }
};

inline Snapshot Take(const Poly& poly) {
  Snapshot s;
  auto add = [&s](double x) { s.numbers.push_back(x); };
  for (const ElementList* list : {static_cast<const ElementList*>(&poly.mFaces),
                                          static_cast<const ElementList*>(&poly.mVertices)}) {
    for (const PolyElement* e = list->mHead; e; e = e->mNext) {
      add(FaceType::GetIndex(e->mType));
      for (int k = 0; k < 3; ++k) {
        add(e->mXAxis[k]);
        add(e->mYAxis[k]);
        add(e->mZAxis[k]);
        add(e->mDualVert[k]);
        add(e->mColor[k]);
      }
      for (int k = 0; k < e->mNumSides; ++k) add(PolyElement::GetIndex(e->GetCorner(k)));
    }
  }
  for (int i = 0; i < poly.mNumEdges; ++i) {
    const Edge& e = poly.mEdgeArray[i];
    add(e.mEdgeType);
    add(e.mEdgeFlags);
    add(PolyElement::GetIndex(e.mVert1));
    add(PolyElement::GetIndex(e.mVert2));
    add(PolyElement::GetIndex(e.mFace1));
    add(PolyElement::GetIndex(e.mFace2));
  }
  return s;
}

}  // namespace corvia::symtest
