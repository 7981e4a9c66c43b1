#include "model/PolyElement.h"

#include <cmath>

#include "core/FaceImageRef.h"
#include "core/Geometry.h"
#include "core/IntMath.h"
#include "core/Tolerances.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceDiagramCells.h"
#include "model/FaceImageAttach.h"
#include "model/FaceTypeBlock.h"
#include "model/PolyFwd.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

PolyElement::PolyElement(Poly* poly, int numSides)
    : mNumSides(numSides > 0 ? numSides : 0),
      mPoly(poly),
      mNeighbours(new PolyElement*[mNumSides > 0 ? mNumSides : 1]()),
      mEdges(new Edge*[mNumSides > 0 ? mNumSides : 1]()) {}

PolyElement::~PolyElement() {
  // The label goes the ordinary way so that the list's count of labels stays right.
  SetLabel(nullptr);
  if (mList && mOpacity < 1.0f) --mList->mNumTranslucent;
  // The image drops the use and the texture reference the element held, and forgets
  // the element as its owner.
  DetachFromFace(this);
  // Always leave the ring, Hemi or not: the other members must not keep a link to a
  // destroyed element.
  UnlinkCoplanar();
  if (mPoly) PolyForgetElement(mPoly, this);
}

ElementExtras& PolyElement::Extras() {
  if (!mExtras) mExtras = std::make_unique<ElementExtras>();
  return *mExtras;
}

void PolyElement::DropExtrasIfEmpty() {
  if (mExtras && mExtras->IsEmpty()) mExtras.reset();
}

void PolyElement::SetImage(FaceImage* image) {
  if (!image && !mExtras) return;
  Extras().image = image;
  DropExtrasIfEmpty();
}

void PolyElement::SetSymAxis(SymAxis* axis) {
  if (!axis && !mExtras) return;
  Extras().symAxis = axis;
  DropExtrasIfEmpty();
}

CellColorArray& PolyElement::MakeCellColours(int side) {
  auto& slot = side == 0 ? mCellColours : Extras().secondCellColours;
  if (!slot) slot.reset(new CellColorArray());
  return *slot;
}

void PolyElement::DropCellColours(int side) {
  if (side == 0) {
    mCellColours.reset();
  } else if (mExtras) {
    mExtras->secondCellColours.reset();
    DropExtrasIfEmpty();
  }
}

int PolyElement::RingWalkLimit() const {
  // A ring holds elements of one list; without a list, a generous bound.
  return mList ? mList->mCount + 1 : (1 << 24);
}

int PolyElement::GetSerialIndex(const PolyElement* element) {
  if (!element) return -1;
  if (element->IsFace() || !element->mPoly) return element->mIndex;
  const ElementList* faces = PolyFaceList(element->mPoly);
  return element->mIndex + (faces ? faces->mCount : 0);
}

FaceTypeBlock* PolyElement::GetTypeBlock() const {
  return mPoly ? PolyTypeBlock(mPoly, IsVertex()) : nullptr;
}

PolyElement* PolyElement::GetSelfOrNextFinite() {
  if (!HasFlag(kElementInf)) return this;
  const int limit = RingWalkLimit();
  PolyElement* element = this;
  for (int steps = 0; steps < limit; ++steps) {
    element = element->mNext ? element->mNext : (mList ? mList->mHead : nullptr);
    if (!element || element == this) return nullptr;
    if (!element->HasFlag(kElementInf)) return element;
  }
  return nullptr;
}

void PolyElement::SetOpacity(float value) {
  if (value >= kOpacitySnapOne) {
    value = 1.0f;
  } else if (value < kOpacitySnapZero) {
    value = 0.0f;
  }
  if (value == mOpacity) return;
  if (mList && mOpacity < 1.0f) --mList->mNumTranslucent;
  mOpacity = value;
  if (mList && mOpacity < 1.0f) ++mList->mNumTranslucent;
}

bool PolyElement::IsTranslucent() const {
  if (GetElementDisplayOptions().constructionToyStyle) return true;
  if (mOpacity < 1.0f) return true;
  return GetImage() && FaceImageHasAlpha(GetImage());
}

bool PolyElement::AnyCoplanarTranslucent() const {
  const PolyElement* element = this;
  const int limit = RingWalkLimit();
  for (int steps = 0; element && steps < limit; ++steps) {
    if (!element->HasFlag(kElementHidden) && element->IsTranslucent()) return true;
    element = element->mCoplanarNext;
    if (element == this) break;
  }
  return false;
}

int PolyElement::GetRotationOrder() const {
  const SymGroup* group = mPoly ? PolySymGroup(mPoly) : nullptr;
  if (!group && mPoly) group = PolyFullSymGroup(mPoly);
  // Without a face type nothing is known of the element's own symmetry.
  if (!mType) return 1;
  const int typeRotations = FaceTypeRotationCount(mType);
  if (!group) return typeRotations;
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(mCentroid[k] - mCentre[k]) > kPointTolerance) return 1;
  }
  const int numFaces = FaceTypeNumFaces(mType);
  if (numFaces <= 0) return 1;
  // The rotations that fix one element of the type: the group's order over the orbit.
  int q = group->numRotations / numFaces;
  if (group->reflectionType != kReflectionChiral) {
    // With improper operations a type can hold two orbits of the rotations, mirror
    // images of each other (the two hexagons of a prism under C6h): the group's order
    // over the type then counts half the rotations. Count those that fix the element.
    q = 0;
    SymRotationIterator it;
    it.Reset();
    double matrix[9];
    while (GetNextSymmetryRotation(group, it, true, matrix)) {
      if (MapsOntoUnder(this, matrix)) ++q;
    }
    if (q < 1) q = 1;
  }
  return q <= typeRotations ? q : Gcd(q, typeRotations);
}

void PolyElement::CalcDensity() {
  const int n = mNumSides;
  if (n < 5) return;
  for (int i = 0; i < n; ++i) {
    if (!mNeighbours[i]) return;
  }
  // Turning number of the edge directions, counted in quarter turns in the plane of
  // the two coordinate axes the normal leans on least.
  const int skip = LargestAxis(mZAxis);
  const int u = skip == 0 ? 1 : 0;
  const int v = skip == 2 ? 1 : 2;
  auto edge2D = [&](int i, double* out) {
    const double* a = mNeighbours[i]->mDualVert;
    const double* b = mNeighbours[(i + 1) % n]->mDualVert;
    out[0] = b[u] - a[u];
    out[1] = b[v] - a[v];
  };
  double previous[2];
  edge2D(n - 1, previous);
  int quadrant = GetQuadrant2D(previous);
  int sum = 0;
  for (int i = 0; i < n; ++i) {
    double edge[2];
    edge2D(i, edge);
    sum += GetQuadrantWinding2D(edge, previous, quadrant, kPointTolerance);
  }
  const int density = (sum < 0 ? -sum : sum) / 4;
  mDensity = density < 1 ? 1 : density;
}

int PolyElement::CountCoplanar() const {
  if (!mCoplanarNext) return 1;
  int count = 1;
  const int limit = RingWalkLimit();
  for (const PolyElement* element = mCoplanarNext; element && element != this && count < limit;
       element = element->mCoplanarNext) {
    ++count;
  }
  return count;
}

bool PolyElement::IsCoplanarWith(const PolyElement* other) const {
  if (other == this) return true;
  if (!other) return false;
  const int limit = RingWalkLimit();
  int steps = 0;
  const PolyElement* element = other->mCoplanarNext;
  for (; element && element != other && steps < limit && element != this; element = element->mCoplanarNext) ++steps;
  const bool found = element == this && steps < limit;
  AddWholeWalkSteps(static_cast<uint64_t>(steps) + (found ? 1 : 0));
  return found;
}

PolyElement* PolyElement::GetFirstUnskipped(PolyElement* element) {
  if (!element || !element->mCoplanarNext || !element->HasFlag(kElementSkip)) return element;
  const int limit = element->RingWalkLimit();
  int steps = 0;
  for (PolyElement* member = element->mCoplanarNext; member && member != element && steps < limit;
       member = member->mCoplanarNext, ++steps) {
    if (!member->HasFlag(kElementSkip)) return member;
  }
  return element;
}

void PolyElement::UnlinkCoplanar() {
  if (!mCoplanarNext) return;
  PolyElement* previous = mCoplanarNext;
  const int limit = RingWalkLimit();
  for (int steps = 0; previous && previous->mCoplanarNext != this && steps < limit; ++steps) {
    previous = previous->mCoplanarNext;
  }
  if (previous && previous->mCoplanarNext == this) {
    previous->mCoplanarNext = mCoplanarNext == this ? nullptr : mCoplanarNext;
    // A ring of one is no ring.
    if (previous->mCoplanarNext == previous) {
      previous->mCoplanarNext = nullptr;
      previous->mFlags &= ~kElementCoplanar;
    }
  }
  mCoplanarNext = nullptr;
  mFlags &= ~kElementCoplanar;
}

void PolyElement::GetWorldToFace(Transform3D& t, bool flipX) const {
  double x[3];
  CopyVector(x, mXAxis);
  if (flipX) Negate(x);
  SetTransformFromRows(t, mCentre, x, mYAxis, mZAxis);
}

void PolyElement::GetFaceToWorld(Transform3D& t, bool flipX) const {
  double x[3];
  CopyVector(x, mXAxis);
  if (flipX) Negate(x);
  SetTransformFromColumns(t, mCentre, x, mYAxis, mZAxis);
}

}  // namespace corvia
