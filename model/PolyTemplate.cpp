#include "model/PolyTemplate.h"

// The template record itself: its ring of polygons, their order and the texts made
// from them. Reading a configuration and solving it for the vertex height are the
// construction's (construction/PolyTemplate.cpp).

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "core/Messages.h"
#include "core/RainbowColor.h"

namespace corvia {

// ---- TemplatePolygon --------------------------------------------------------------------

TemplatePolygon::TemplatePolygon(PolyTemplate* owner, int sides, int wraps)
    : mSides(sides), mWraps(wraps), mRatioWraps(wraps), mOwner(owner) {
  mFaceAngle = 2.0 * std::numbers::pi * wraps / sides;
  mInteriorAngle = std::numbers::pi - mFaceAngle;
  mHalfInteriorSine = std::sin(mInteriorAngle / 2.0);
  RainbowColor(0, mColor);
  // Insert before the head: the ring keeps the order of the text.
  TemplatePolygon* head = owner->mHead;
  if (!head) {
    mNext = mPrev = this;
    owner->mHead = this;
    owner->mNextToTry = this;
  } else {
    mNext = head;
    mPrev = head->mPrev;
    head->mPrev->mNext = this;
    head->mPrev = this;
  }
  ++owner->mValence;
}

int TemplatePolygon::GetIndex() const {
  const TemplatePolygon* p = mOwner ? mOwner->mHead : nullptr;
  for (int i = 0; p && i < mOwner->mValence; ++i, p = p->mNext) {
    if (p == this) return i;
  }
  return -1;
}

bool TemplatePolygon::Matches(const TemplatePolygon& other, int* direction) const {
  if (!direction || mIsHemi || other.mIsHemi) {
    return mSides == other.mSides && mRatioWraps == other.mRatioWraps;
  }
  if (mSides != other.mSides) return false;
  const int reversedWraps = mSides - mWraps;
  switch (*direction) {
    case kTemplateDirectionUndecided:
      if (other.mWraps == mWraps) {
        *direction = kTemplateDirectionSame;
        return true;
      }
      if (other.mWraps == reversedWraps) {
        *direction = kTemplateDirectionReversed;
        return true;
      }
      return false;
    case kTemplateDirectionSame:
      return other.mWraps == mWraps;
    default:
      return other.mWraps == reversedWraps;
  }
}

// ---- PolyTemplate: life ---------------------------------------------------------------

PolyTemplate::PolyTemplate() { Init(); }

PolyTemplate::~PolyTemplate() { Clear(); }

void PolyTemplate::Init() {
  mShowErrors = 1;
  mText.clear();
  mEntry = nullptr;
  mValence = 0;
  mWraps = 1;
  mHasHemi = 0;
  mSpare = 0;
  mHalfTurnMatch = 0;
  mReflexSides = -1;
  mReflexWraps = -1;
  mRadius = mMidRadius = mMidRadiusSqOverRadius = mMaxMidRadiusSqOverHeight = 0.0;
  mEdgeLength = mVertHeight = mHalfFigureRadius = 0.0;
  mNextToTry = mPrevToTry = nullptr;
  mHead = nullptr;
}

void PolyTemplate::Clear() {
  if (mHead) {
    // Break the ring, then delete along it.
    mHead->mPrev->mNext = nullptr;
    TemplatePolygon* p = mHead;
    while (p) {
      TemplatePolygon* next = p->mNext;
      delete p;
      p = next;
    }
  }
  Init();
}

// ---- Text -----------------------------------------------------------------------------

std::string PolyTemplate::FormatVertexConfiguration(const PolyTemplate* poly, const TemplatePolygon* start,
                                                    bool backwards) {
  if (!poly) return "Not-uniform";
  if (!start) start = poly->mHead;
  if (!start) return std::string();
  std::string text;
  char number[32];
  if (poly->mWraps >= 2) text += '(';
  const TemplatePolygon* p = start;
  for (int i = 0; i < poly->mValence; ++i, p = backwards ? p->mPrev : p->mNext) {
    if (i > 0) text += '.';
    std::snprintf(number, sizeof number, "%d", p->mSides);
    text += number;
    if (p->mWraps > 1) {
      std::snprintf(number, sizeof number, "/%d", p->mWraps);
      text += number;
    }
  }
  if (poly->mWraps >= 2) {
    std::snprintf(number, sizeof number, ")/%d", poly->mWraps);
    text += number;
  }
  return text;
}

void PolyTemplate::FormatVertexConfiguration(const PolyTemplate* poly, char* buffer, size_t size,
                                             const TemplatePolygon* start, bool backwards) {
  if (!buffer || size == 0) return;
  const std::string text = FormatVertexConfiguration(poly, start, backwards);
  std::snprintf(buffer, size, "%s", text.c_str());
}

// A debugging dump: traces only.
void PolyTemplate::Dump() const {
  if (!mHead) {
    DoNothing("PolyTemplate not valid.\n");
    return;
  }
  DoNothing("\nPolyTemplate '%s', valence %d, %d wraps%s.\n", mText.c_str(), mValence, mWraps,
            mHasHemi ? ", HasHemi" : "");
  const TemplatePolygon* p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) {
    DoNothing("   Face %d (0x%x): %d/%d%s, id 0x%x, radius %g, height %g\n", i, p->mFlags, p->mSides, p->mWraps,
              p->mIsHemi ? " (Hemi)" : "", p->mId, p->mFaceRadius, p->mHeight);
    DoNothing("    Face angle %g, Projected angle %g, Dihedral angle %g\n", p->mFaceAngle, p->mProjectedAngle,
              p->mDihedralAngle);
    DoNothing("    NextToTry %d", p->mNextToTry ? p->mNextToTry->GetIndex() : -1);
    DoNothing("PrevToTry %d", p->mPrevToTry ? p->mPrevToTry->GetIndex() : -1);
  }
}

}  // namespace corvia
