#include "construction/FaceOrientation.h"

#include <algorithm>
#include <cmath>

#include "core/IntMath.h"
#include "core/Tolerances.h"
#include "model/ElementFlags.h"
#include "model/ElementServices.h"
#include "model/Face.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_FaceOrientation {

// Rotation (column order) taking the orthonormal frame (a, b, c) to (A, B, C):
// R = [A B C] [a b c]^T.
void FrameToFrame(double* r, const double* a, const double* b, const double* c, const double* A, const double* B,
                  const double* C) {
  double to[9], fromT[9];
  MatrixFromColumns(to, A, B, C);
  MatrixFromRows(fromT, a, b, c);
  MatrixTimesMatrix(r, to, fromT);
}

}  // namespace detail_FaceOrientation

namespace {

// X(p) = C + R (p - c), R already scaled.
Transform3D ScaledPlacement(const double* r, const double* c, const double* C) {
  Transform3D place;
  CopyVector(place.Matrix(), r);
  CopyVector(place.Matrix() + 3, r + 3);
  CopyVector(place.Matrix() + 6, r + 6);
  double rc[3];
  MatrixTimesVector(r, rc, c);
  Subtract(place.Translation(), C, rc);
  return place;
}

// Whether the face, placed so its corner m goes to the target's corner j0 and
// walked in direction dir, lands on every corner of the target.
bool LandsOnCorners(const Transform3D& place, const SimpleFace& face, int m, int dir, const PolyElement* target,
                    int j0) {
  const int n = face.Count();
  for (int k = 0; k < n; ++k) {
    double x[3];
    TransformPoint(place, x, face.VertWrapped(m + dir * k).pos);
    if (!NearlyEqual(x, target->GetCorner(WrapIndex(j0, k % n, n))->mDualVert, kPointTolerance)) return false;
  }
  return true;
}

// Frees every record after the first `keep`.
void KeepFirst(int keep, ListNode*& head, ListNode*& tail) {
  ListNode* node = head;
  for (int i = 0; node; ++i) {
    ListNode* next = node->mNext;
    if (i >= keep) ListUnlink(node, head, tail);
    node = next;
  }
}

}  // namespace

FaceOrientation::~FaceOrientation() = default;

FaceOrientation* FindOrientations(const SimpleFace& face, const PolyElement* target, uint32_t options) {
  const int n = face.Count();
  if (!target || target->mNumSides != n || n <= 2) return nullptr;
  double c[3];
  face.GetCentroid(c);
  const double* C = target->mCentroid;
  double r1 = -1.0, r2 = -1.0;
  for (int i = 0; i < n; ++i) {
    double d[3];
    Subtract(d, face.VertAt(i).pos, c);
    r1 = std::max(r1, Dot(d, d));
    Subtract(d, target->GetCorner(i)->mDualVert, C);
    r2 = std::max(r2, Dot(d, d));
  }
  if (r1 < kPointTolerance || r2 < kPointTolerance) return nullptr;
  const double s = std::sqrt(r2) / std::sqrt(r1);
  int j0 = -1;
  for (int j = 0; j < n && j0 < 0; ++j) {
    if (!NearlyEqual(target->GetCorner(j)->mDualVert, C, kPointTolerance)) j0 = j;
  }
  if (j0 < 0) return nullptr;
  double U[3];
  Subtract(U, target->GetCorner(j0)->mDualVert, C);
  NormaliseVector(U, U);
  bool flip = (target->mFlags & kElementReverseNorm) != 0;
  if (options & kOrientOtherSide) flip = !flip;
  if (face.flags & kSimpleReversed) flip = !flip;
  double N[3];
  CopyVector(N, target->mZAxis);
  if (!flip) Negate(N);
  double NU[3];
  Cross(NU, N, U);
  // This face's own plane: its stored normal, or the plane of its cycle when the
  // normal has not been computed.
  double nn[3];
  if (face.HasNormal()) {
    CopyVector(nn, face.normal);
  } else if (!PlaneNormalOfCycle(face, nn)) {
    return nullptr;
  }

  ListNode* head = nullptr;
  ListNode* tail = nullptr;
  int records = 0;
  Transform3D worldToFace;
  target->GetWorldToFace(worldToFace, false);
  // A record that cannot be made frees those made before it.
  try {
    for (int dir : {1, -1}) {
      for (int m = 0; m < n; ++m) {
        double u[3];
        Subtract(u, face.VertAt(m).pos, c);
        NormaliseVector(u, u);
        double nu[3];
        Cross(nu, nn, u);
        double r[9];
        detail_FaceOrientation::FrameToFrame(r, u, nu, nn, U, NU, N);
        ScaleMatrix(r, s);
        const Transform3D place = ScaledPlacement(r, c, C);
        if (!LandsOnCorners(place, face, m, dir, target, j0)) continue;
        auto* record = new FaceOrientation();
        int offset = dir > 0 ? (m - j0) % n : (m + j0) % n;
        if (offset < 0) offset += n;
        record->vertexOffset = offset;
        record->backward = dir > 0 ? 0 : 1;
        record->normalSide = static_cast<uint8_t>((options & kOrientOtherSide) ? !flip : flip);
        ComposeTransforms(record->toTargetFrame, worldToFace, place);
        ListNode::Append(record, head, tail);
        ++records;
      }
    }
  } catch (...) {
    while (head) ListUnlink(head, head, tail);
    throw;
  }
  if (records == 0) return nullptr;
  // Placements that differ only by a symmetry of both faces are one placement.
  int a = 1;
  if (face.rots > 1 && AreParallel(c, nn, kPointTolerance)) a = face.rots;
  int b = 1;
  if (target->mType) {
    const int typeRots = FaceTypeRotationCount(target->mType);
    if (typeRots > 1 && NearlyEqual(target->mCentroid, target->mCentre, kPointTolerance)) b = typeRots;
  }
  KeepFirst(std::max(1, records / Lcm(a, b)), head, tail);
  return static_cast<FaceOrientation*>(head);
}

}  // namespace corvia
