// Steps of the face-type set-up that work on single face types: raising the rotational
// order to the fold of a symmetry axis through the face, and the order in which the
// types of a block are listed.

#include <cmath>
#include <cstdlib>
#include <numeric>

#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/FaceType.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_FaceTypeSetup {


bool AlongEitherSense(const double* axis, const double* d) {
  bool same = true;
  bool opposite = true;
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(axis[k] - d[k]) > kAxisTolerance) same = false;
    if (std::fabs(axis[k] + d[k]) > kAxisTolerance) opposite = false;
  }
  return same || opposite;
}

// The angle between the sides of a face at its first corner, from 0 to pi.
double CornerAngle(const PolyElement* face) {
  const int n = face->mNumSides;
  const PolyElement* corner = face->GetCorner(0);
  double after[3], before[3], normal[3];
  Subtract(after, face->GetCorner(1)->mDualVert, corner->mDualVert);
  Subtract(before, face->GetCorner(n - 1)->mDualVert, corner->mDualVert);
  Cross(normal, after, before);
  return std::atan2(std::sqrt(Dot(normal, normal)), Dot(after, before));
}

// The face description's angle key of a type's representative face; false when the
// face has no description. A model of a vertex configuration that was not grown from
// it (read from a file, or mirrored) has regular faces without their descriptions:
// their corners give the same angle, so its types are listed as the grown model's.
bool DescriptionKey(const FaceType* type, double* key) {
  const PolyElement* first = type->mFirstFace;
  if (!first || first->IsVertex()) return false;
  if (const TemplatePolygon* record = static_cast<const Face*>(first)->mRecord) {
    *key = std::fabs(record->mInteriorAngle);
    return true;
  }
  const int n = first->mNumSides;
  if (!first->mPoly || !first->mPoly->mTemplate || n < 3) return false;
  if (!first->GetCorner(0) || !first->GetCorner(1) || !first->GetCorner(n - 1)) return false;
  *key = CornerAngle(first);
  return true;
}

int CompareWithTolerance(double a, double b) {
  if (std::fabs(a - b) <= kPointTolerance) return 0;
  return a < b ? -1 : 1;
}

}  // namespace detail_FaceTypeSetup

void FaceType::RaiseRotSymFromAxes() {
  const SymGroup* group = mOwner ? mOwner->mSymGroup : nullptr;
  // A type without a known order has nothing to raise (and no multiple to test).
  if (!group || !mFirstFace || mNumRotations <= 0) return;
  // The order read from the shape can claim more than the model has: the corners of a
  // snub's triangle are all alike, yet no 3-fold axis runs through it. Only the
  // rotations about an axis along the normal map the face onto itself (a face through
  // the centre too: a half turn about an axis in its plane turns it over, it does not
  // turn it about its normal).
  if (mNumRotations > 1) {
    int fold = 1;
    for (int t = 0; t < group->numAxisTypes && fold == 1; ++t) {
      const SymAxisType& axisType = group->axisTypes[t];
      for (int i = 0; i < axisType.numAxes; ++i) {
        if (detail_FaceTypeSetup::AlongEitherSense(axisType.axes[i].direction, mFirstFace->mZAxis)) {
          fold = std::abs(axisType.fold);
          break;
        }
      }
    }
    if (fold % mNumRotations != 0) mNumRotations = std::gcd(mNumRotations, fold);
  }
  for (int t = 0; t < group->numAxisTypes; ++t) {
    const SymAxisType& axisType = group->axisTypes[t];
    const int fold = std::abs(axisType.fold);
    if (fold == mNumRotations || fold % mNumRotations != 0) continue;
    for (int i = 0; i < axisType.numAxes; ++i) {
      if (detail_FaceTypeSetup::AlongEitherSense(axisType.axes[i].direction, mFirstFace->mZAxis)) {
        mNumRotations = fold;
        return;
      }
    }
  }
}

int CompareFaceTypesForSort(const FaceType* a, const FaceType* b) {
  using namespace detail_FaceTypeSetup;
  const PolyElement* fa = a->mFirstFace;
  const PolyElement* fb = b->mFirstFace;
  const bool infiniteA = fa && fa->HasFlag(kElementInf);
  const bool infiniteB = fb && fb->HasFlag(kElementInf);
  if (infiniteA != infiniteB) return infiniteA ? 1 : -1;
  if (!infiniteA && (a->mCoplanarMaster != nullptr) != (b->mCoplanarMaster != nullptr)) {
    return a->mCoplanarMaster ? 1 : -1;
  }
  int order = 0;
  double keyA = 0.0;
  double keyB = 0.0;
  if (DescriptionKey(a, &keyA) && DescriptionKey(b, &keyB)) {
    order = CompareWithTolerance(keyA, keyB);
  } else if (fa && fb) {
    order = CompareWithTolerance(Dot(fa->mCentre, fa->mCentre), Dot(fb->mCentre, fb->mCentre));
  }
  if (order != 0) return order;
  return a->mIndex < b->mIndex ? -1 : (a->mIndex > b->mIndex ? 1 : 0);
}

}  // namespace corvia
