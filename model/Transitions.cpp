// Transition timing of a model and the construction-kit check.

#include "model/Transitions.h"

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/ModelBusy.h"
#include "model/Poly.h"
#include "model/PolyElement.h"

namespace corvia {

namespace detail_Transitions {

// More sides than this marks the larger of two panels.
constexpr int kSmallPanelSides = 6;

// Reasons handed in by callers are kept for the life of the program, so the side's
// reason pointer never dangles; each distinct text is kept once.
const char* KeepReason(const char* text) {
  for (const char* fixed : {kKitEdgeLengths, kKitFacesIntersect, kKitEdgeAngle, kKitPanelShape, kKitFaceAngle}) {
    if (std::string(fixed) == text) return fixed;
  }
  static std::set<std::string> kept;
  return kept.insert(text).first->c_str();
}

// No two rods at a ball closer than the kit's minimum angle. The rods of an element
// of the other block run to its adjacent elements of the same kind.
bool RodAnglesAllowed(const FaceTypeBlock* otherBlock) {
  const double limit = std::cos(kKitMinAngle);
  for (const FaceType* type = otherBlock->mFirstFaceType; type; type = type->mNext) {
    const PolyElement* element = type->mFirstFace;
    if (!element) continue;
    const int n = element->mNumSides;
    std::vector<double> rods(static_cast<size_t>(3 * n), 0.0);
    std::vector<bool> present(static_cast<size_t>(n), false);
    for (int i = 0; i < n; ++i) {
      const PolyElement* other = element->GetAdjacent(i);
      if (!other) continue;
      double* rod = &rods[static_cast<size_t>(3 * i)];
      Subtract(rod, other->mDualVert, element->mDualVert);
      const double length = std::sqrt(Dot(rod, rod));
      if (length <= kPointTolerance) continue;
      Divide(rod, rod, length);
      present[static_cast<size_t>(i)] = true;
    }
    for (int i = 0; i < n; ++i) {
      for (int j = i + 1; j < n; ++j) {
        if (!present[static_cast<size_t>(i)] || !present[static_cast<size_t>(j)]) continue;
        const double c = Dot(&rods[static_cast<size_t>(3 * i)], &rods[static_cast<size_t>(3 * j)]);
        if (c > limit && !(c >= kUnitLow && c <= kUnitHigh)) return false;
      }
    }
  }
  return true;
}

// Panels that fold too sharply against a neighbour: one of the two loses its panel.
// Returns the reason left, or the one given.
const char* CheckPanels(FaceTypeBlock* block, const char* reason) {
  const double limit = std::cos(M_PI - kKitMinAngle);
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    PolyElement* face = type->mFirstFace;
    if (!face) continue;
    if (!type->CanBuildPanel()) {
      if (!reason) reason = kKitPanelShape;
      continue;
    }
    double a[3];
    face->GetNormal(a);
    for (int i = 0; i < face->mNumSides; ++i) {
      PolyElement* neighbour = face->GetAdjacent(i);
      if (!neighbour || !neighbour->mType || !neighbour->mType->CanBuildPanel()) continue;
      double b[3];
      neighbour->GetNormal(b);
      if (Dot(a, b) >= limit) continue;
      const bool neighbourLarge = neighbour->mNumSides > kSmallPanelSides;
      const bool faceLarge = face->mNumSides > kSmallPanelSides;
      PolyElement* loser = face;
      if (neighbourLarge && !faceLarge) {
        loser = neighbour;
      } else if (neighbourLarge == faceLarge) {
        const int neighbourCount = neighbour->mType->mCount;
        const int faceCount = type->mCount;
        if (neighbourCount < faceCount || (neighbourCount == faceCount && neighbour->mNumSides < face->mNumSides)) {
          loser = neighbour;
        }
      }
      loser->mType->mFlags &= ~(kFaceTypePanelYes | kFaceTypePanelSquare2);
      loser->mType->mFlags |= kFaceTypePanelNo;
      reason = kKitFaceAngle;
      if (loser == face) break;
    }
  }
  return reason;
}

}  // namespace detail_Transitions

// ---- Transition timing ----------------------------------------------------------------------

bool IsCurrentPoly(const Poly* poly) { return poly && poly == GetCurrentPoly(); }

bool Poly::IsTransitionRunning() const { return mTransitionEnd >= 0.0; }

double Poly::GetTransitionDuration() const { return mTransition.GetDuration(); }

// The duration in force, never the "unset" marker, so that the start is a time.
double Poly::GetTransitionStart() const { return mTransitionEnd - GetTransitionDuration(); }

void Poly::RetimeTransition(double now, double duration) {
  if (!(duration >= 0.0) || !std::isfinite(duration)) return;
  const double oldDuration = GetTransitionDuration();
  const double start = mTransitionEnd - oldDuration;
  if (start >= now) {
    // Not started: the start stays where it is and the whole runs for the new time.
    mTransitionEnd = start + duration;
    mTransition.mDuration = duration;
  } else if (now < mTransitionEnd) {
    // Running: what is left stretches by the same ratio as the whole. The old
    // duration is positive here, as start < now < end.
    const double ratio = duration / oldDuration;
    mTransition.mDuration = oldDuration * ratio;
    mTransitionEnd = now + (mTransitionEnd - now) * ratio;
  }
}

void Poly::SetTransitionTarget(double now, double target) {
  const double start = GetTransitionStart();
  if (start >= now) {
    mTransitionTarget = target;
  } else if (now < mTransitionEnd) {
    // The part already run stays run: the current value is where the new target
    // would have brought it by now.
    const double done = (now - start) / (mTransitionEnd - start);
    mTransitionTarget = target;
    mTransitionCurrent = mTransitionBase + (target - mTransitionBase) * done;
  }
}

bool Poly::IsTransitionFading() const {
  switch (mTransition.mType) {
    case kTransitionExplodeAndImplode:
      return true;
    case kTransitionExplodeAndGrow:
      return mTransitionDirection == 0;
    case kTransitionShrinkAndImplode:
      return mTransitionDirection != 0;
    default:
      return false;
  }
}

// ---- Construction kit -------------------------------------------------------------------------

bool CanBuildWithKit(Poly* poly, bool dualSide, const char* reason) {
  // A model half made or half stellated is not judged, nor is a verdict cached for it.
  if (StellationBusy || g_ModelBusy) return true;
  if (!poly) return false;
  const uint32_t okBit = dualSide ? kKitDualBuildable : kKitBaseBuildable;
  const uint32_t failBit = dualSide ? kKitDualNotBuildable : kKitBaseNotBuildable;
  const char*& sideReason = poly->mKitReason[dualSide ? 1 : 0];
  FaceTypeBlock* block = dualSide ? poly->mDualBlock.get() : poly->mBaseBlock.get();
  FaceTypeBlock* otherBlock = dualSide ? poly->mBaseBlock.get() : poly->mDualBlock.get();

  if (reason) {
    poly->mPolyFlags = (poly->mPolyFlags & ~okBit) | failBit;
    sideReason = detail_Transitions::KeepReason(reason);
  }
  if (poly->mPolyFlags & (okBit | failBit)) return (poly->mPolyFlags & okBit) != 0;
  if (!block || !otherBlock) return false;

  sideReason = nullptr;
  auto fail = [&](const char* why) {
    sideReason = why;
    poly->mPolyFlags |= failBit;
    return false;
  };
  block->CalcEdgeLengthRange();
  if (std::fabs(block->mLongestEdge - block->mShortestEdge) > kPointTolerance) return fail(kKitEdgeLengths);
  if (poly->mPolyFlags & (kPolyFlagOneSidedFace | kPolyFlagReversedFace)) return fail(kKitFacesIntersect);
  if (!detail_Transitions::RodAnglesAllowed(otherBlock)) return fail(kKitEdgeAngle);
  sideReason = detail_Transitions::CheckPanels(block, sideReason);
  poly->mPolyFlags |= okBit;
  return true;
}


}  // namespace corvia
