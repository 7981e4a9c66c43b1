#pragma once
// Models built from vertex configurations for the stellation tests, and what the tests
// read off a stellated block: the inclusion of its cells as text, the volume enclosed
// by the current stellation's surface. Also the program-wide criterion set for one test
// and a clock that makes the progress window appear.

#include <cmath>
#include <cstdint>
#include <string>

#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "platform/Services.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"
#include "symmetry/SymOperations.h"

namespace corvia::testing {

// A model built from a vertex configuration; the template outlives the model.
struct ConfigModel {
  PolyTemplate polyTemplate;
  Poly poly;
  bool built = false;

  explicit ConfigModel(const char* text) { built = polyTemplate.Parse(text, nullptr) && poly.Build(&polyTemplate, 0); }
  FaceTypeBlock* Block(bool dual) { return dual ? poly.mDualBlock.get() : poly.mBaseBlock.get(); }
  // Stellates the block and hands it back.
  FaceTypeBlock* Stellated(bool dual = false) {
    FaceTypeBlock* block = Block(dual);
    (void)Stellate(&poly, block, false);
    return block;
  }
};

// One character per finite cell, '1' for an included one.
inline std::string Inclusion(const FaceTypeBlock* block) {
  std::string text;
  for (const StellationCell* c = block->mFirstCell; c && c != block->mOuterCell; c = c->mNext) {
    text += c->IsIncluded() ? '1' : '0';
  }
  return text;
}

// Signed area of a segment's ring in its face frame.
inline double SegmentArea(const StellationSegment* segment) {
  double area = 0.0;
  const SegVert* c = segment->mFirst;
  do {
    const StellationPoint* a = c->mPoint;
    const StellationPoint* b = c->mNext->mPoint;
    area += a->mX * b->mY - b->mX * a->mY;
    c = c->mNext;
  } while (c != segment->mFirst);
  return 0.5 * area;
}

// The volume the current stellation's surface encloses: a third of the sum, over the
// visible facets on every face, of area times the plane's distance from the centre,
// negative where the surface faces the centre.
inline double StellationVolume(const FaceTypeBlock* block) {
  double volume = 0.0;
  for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster || !type->mFirstFace) continue;
    const PolyElement* rep = type->mFirstFace;
    const double distance = Dot(rep->mCentre, rep->mZAxis);
    const int rotations = type->mNumRotations > 0 ? type->mNumRotations : 1;
    for (const StellationFacet* f = type->mVisibleFacets; f; f = f->mNextVisible) {
      double area = 0.0;
      for (int k = 0; k < rotations; ++k) {
        if (const StellationSegment* s = f->GetSegment(k)) area += SegmentArea(s);
      }
      const double sign = (f->mFlags & kFacetFacesDown) ? -1.0 : 1.0;
      volume += sign * area * type->mCount * distance / 3.0;
    }
  }
  return volume;
}

// Sets the program-wide criterion and options for a test and puts them back.
class CriteriaScope {
 public:
  explicit CriteriaScope(int criterion, uint32_t options = 0)
      : mCriterion(StellationCriteria), mOptions(StellationOptions) {
    StellationCriteria = criterion;
    StellationOptions = options;
  }
  ~CriteriaScope() {
    StellationCriteria = mCriterion;
    StellationOptions = mOptions;
  }
  CriteriaScope(const CriteriaScope&) = delete;
  CriteriaScope& operator=(const CriteriaScope&) = delete;

 private:
  int32_t mCriterion;
  uint32_t mOptions;
};

// A clock that moves on a little at every reading, so that the progress window appears
// during a long computation.
class TickingClock final : public platform::Clock {
 public:
  explicit TickingClock(double step = 0.01) : mStep(step) {}
  double NowSeconds() const override {
    mNow += mStep;
    return mNow;
  }

 private:
  double mStep;
  mutable double mNow = 1000.0;
};

// Counts the stellations from the core until the walk wraps round; chiral counts those
// with an unpaired cell.
struct WalkCount {
  int total = 0;
  int chiral = 0;
};

inline WalkCount CountWalk(FaceTypeBlock* block, int limit = 1000000) {
  WalkCount count;
  block->mCriteriaFlag = 0;
  block->GoToCore();
  do {
    ++count.total;
    if (block->mSecondCellCount > 0) ++count.chiral;
  } while (block->NextStellation() && count.total < limit);
  return count;
}

}  // namespace corvia::testing
