// Face types: the record, its face list and the parts of it that belong to the type
// itself (kit panels, the stellated radius, the stellation diagram records).

#include "model/FaceType.h"

#include <algorithm>
#include <cmath>

#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceTypeBlock.h"
#include "model/GeomagPanels.h"
#include "model/Poly.h"
#include "model/PolyElement.h"

namespace corvia {

FaceType::FaceType(Poly* poly, FaceTypeBlock* block, uint32_t idFlags, int32_t index)
    : mOwner(poly), mIdFlags(idFlags), mIndex(index), mBlock(block) {}

FaceType::~FaceType() { ClearStellationDiagram(); }

void FaceType::AddFace(PolyElement* element) {
  element->mType = this;
  element->mNextOfType = nullptr;
  if (mLastFace) {
    mLastFace->mNextOfType = element;
  } else {
    mFirstFace = element;
  }
  mLastFace = element;
  ++mCount;
}

bool FaceType::HasLowerIdPartner() const { return mMirrorPartner && mMirrorPartner->mIndex < mIndex; }

PolyElement* FaceType::GetFirstPlaneFace() const {
  if (!mOwner || !mFirstFace) return nullptr;
  return mFirstFace->IsVertex() ? mOwner->mVertices.mHead : mOwner->mFaces.mHead;
}

void FaceType::ClearStellationDiagram() {
  // A coplanar copy owns none of the records it points at: it only lets go of them.
  if (!mCoplanarMaster) mStellationPools.reset();
  mCentralSegment = mFirstSegment = mLastSegment = nullptr;
  mNumSegments = 0;
  mOuterRing = nullptr;
  mLineEqns = nullptr;
  mOuterPoints = mInnerPoints = nullptr;
  mAllFacets = mVisibleFacets = nullptr;
}

bool FaceType::CanBuildPanel() {
  if (mFlags & kFaceTypePanelYes) return true;
  if (mFlags & kFaceTypePanelNo) return false;
  PolyElement* face = mFirstFace;
  const int n = face ? face->mNumSides : 0;
  double rod = 0.0;
  if (mBlock) {
    mBlock->CalcEdgeLengthRange();
    rod = mBlock->mShortestEdge;
  }
  if (n >= 3 && n < kFaceTypeMaxPanelSides && rod > kPointTolerance) {
    // The corners in the face's own frame, measured in rods, turning about +z.
    Transform3D worldToFace;
    face->GetWorldToFace(worldToFace, false);
    const bool reversed = face->HasFlag(kElementReversed);
    double corners[3 * kFaceTypeMaxPanelSides];
    bool finite = true;
    for (int i = 0; i < n && finite; ++i) {
      double points[10];
      finite = face->GetPolygon2D(reversed ? n - 1 - i : i, worldToFace, points) == 1;
      corners[3 * i] = points[0] / rod;
      corners[3 * i + 1] = points[1] / rod;
      corners[3 * i + 2] = 0.0;
    }
    const double normal[3] = {0.0, 0.0, 1.0};
    bool rhombus = false;
    if (finite && CanMakeGeomagPanel(n, corners, normal, &rhombus)) {
      mFlags |= kFaceTypePanelYes | (rhombus ? kFaceTypePanelSquare2 : 0u);
      return true;
    }
  }
  mFlags |= kFaceTypePanelNo;
  return false;
}


}  // namespace corvia
