#include "model/ElementList.h"

#include <cmath>

#include "core/Progress.h"
#include "core/Tolerances.h"
#include "model/ElementFlags.h"
#include "model/PolyElement.h"
#include "model/PolyFwd.h"

namespace corvia {

ElementList::~ElementList() {
  Clear();
}

void ElementList::Append(PolyElement* element) {
  element->mIndex = mCount++;
  element->mList = this;
  element->mNext = nullptr;
  element->mPrev = mTail;
  if (mTail) {
    mTail->mNext = element;
  } else {
    mHead = element;
  }
  mTail = element;
  if (element->HasLabel()) ++mNumLabelled;
  if (element->mOpacity < 1.0f) ++mNumTranslucent;
  mCachedSpread = -1.0;
}

void ElementList::Remove(PolyElement* element) {
  if (!element || element->mList != this) return;
  --mCount;
  if (element->mPrev) {
    element->mPrev->mNext = element->mNext;
  } else {
    mHead = element->mNext;
  }
  if (element->mNext) {
    element->mNext->mPrev = element->mPrev;
  } else {
    mTail = element->mPrev;
  }
  for (PolyElement* later = element->mNext; later; later = later->mNext) --later->mIndex;
  element->mNext = nullptr;
  element->mPrev = nullptr;
  mCachedSpread = -1.0;
  // Still counted as ours while it goes, so that its label and opacity leave the counts.
  delete element;
}

void ElementList::Clear() {
  mListFlags |= kListEmptying;
  // The elements of a large model take a while to go: the progress window of the work
  // that replaces them keeps answering.
  ProgressTicker tick;
  // The rings go first, all at once: an element that left its ring on its own would
  // walk the ring for the member before it, the square of a plane's faces in all.
  for (PolyElement* element = mHead; element; element = element->mNext) element->mCoplanarNext = nullptr;
  while (mTail) {
    (void)tick();
    Remove(mTail);
  }
  mHead = nullptr;
  mTail = nullptr;
  mListFlags = 0;
  mCount = 0;
  mNumLabelled = 0;
  mNumTranslucent = 0;
  mCachedSpread = -1.0;
}

void ElementList::Renumber() {
  int index = 0;
  for (PolyElement* element = mHead; element; element = element->mNext) element->mIndex = index++;
}

PolyElement* ElementList::GetAt(int i) const {
  if (i < 0) return nullptr;
  PolyElement* element = mHead;
  for (; element && i > 0; --i) element = element->mNext;
  return element;
}

PolyElement* ElementList::FindAt(const double* point) const {
  for (PolyElement* element = mHead; element; element = element->mNext) {
    if (NearlyEqual(element->mDualVert, point, kPointTolerance)) return element;
  }
  return nullptr;
}

ElementList* ElementList::GetVertexListOf(Poly* poly) {
  if (!poly || PolyFaceList(poly) != this) return nullptr;
  return PolyVertexList(poly);
}

bool ElementList::HasOtherImageEntry(const FaceImage* entry) const {
  // An element that carries an image entry is itself proof that face images exist.
  for (const PolyElement* element = mHead; element; element = element->mNext) {
    if (element->GetImage() && element->GetImage() != entry) return true;
  }
  return false;
}

bool ElementList::AllSameColour(const ElementList* list) {
  if (!list || !list->mHead) return true;
  const float* first = list->mHead->mColor;
  for (const PolyElement* element = list->mHead->mNext; element; element = element->mNext) {
    if (element->mColor[0] != first[0] || element->mColor[1] != first[1] || element->mColor[2] != first[2]) {
      return false;
    }
  }
  return true;
}

void ElementList::CalcDensities() {
  for (PolyElement* element = mHead; element; element = element->mNext) element->CalcDensity();
}

}  // namespace corvia
