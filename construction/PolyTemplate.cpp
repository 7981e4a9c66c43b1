#include "model/PolyTemplate.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "construction/BuildHooks.h"
#include "core/IntMath.h"
#include "core/Messages.h"
#include "core/Outcome.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "model/LibraryEntry.h"

namespace corvia {

namespace detail_PolyTemplate {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// The angle sum of a height at which some polygon's corner cannot span its
// neighbours at all; it steers the bisection towards smaller heights.
constexpr double kInvalidAngleSum = 9999999.9;
// A corner's sine may overshoot 1 by this much through rounding.
constexpr double kSineOvershoot = 1.000001;
constexpr double kSineClamp = 0.999999;
constexpr int kMaxIterations = 1000;
constexpr int kFirstLoggedIteration = 995;
// A face whose circumradius lies this close to the sphere's passes through the
// centre.
constexpr double kHemiRadiusLow = 0.9999989999;
constexpr double kHemiRadiusHigh = 1.0000010001;
constexpr double kAmbiguousFullTurn = 6.283184306979586;
constexpr int kMaxAmbiguousValence = 4;
// The ambiguous case solves one auxiliary template, which must itself be plain.
constexpr int kMaxSolveDepth = 1;
constexpr size_t kMessageSize = 512;

// Polygons whose interior angles and cosine terms the ambiguous-height search
// combines with the ring's own polygons.
struct AmbiguousRow {
  int sides;
  int wraps;
  double interior;
  double cosineTerm;
};
constexpr int kAmbiguousRowCount = 9;
constexpr int kAmbiguousPolygons[kAmbiguousRowCount][2] = {{5, 2}, {8, 3}, {3, 1}, {10, 3}, {4, 1},
                                                           {5, 1}, {6, 1}, {8, 1}, {10, 1}};

const AmbiguousRow* AmbiguousTable() {
  static AmbiguousRow table[kAmbiguousRowCount];
  static bool filled = false;
  if (!filled) {
    for (int i = 0; i < kAmbiguousRowCount; ++i) {
      const int n = kAmbiguousPolygons[i][0];
      const int q = kAmbiguousPolygons[i][1];
      table[i] = {n, q, kPi - kTwoPi * q / n, 2.0 * std::cos(kPi * q / n)};
    }
    filled = true;
  }
  return table;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
const char* SkipBlanks(const char* s) {
  while (IsBlank(*s)) ++s;
  return s;
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a run of digits; a value past `cap` is held at cap + 1 so that the bound
// checks see it and nothing overflows.
int ReadNumber(const char*& s, int cap) {
  long long value = 0;
  while (IsDigit(*s)) {
    value = value * 10 + (*s - '0');
    if (value > cap) value = static_cast<long long>(cap) + 1;
    ++s;
  }
  return static_cast<int>(value);
}

uint32_t HighWord(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return static_cast<uint32_t>(bits >> 32);
}
uint32_t LowWord(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return static_cast<uint32_t>(bits);
}

TemplatePolygon* Step(const TemplatePolygon* p, bool backwards) { return backwards ? p->mPrev : p->mNext; }

}  // namespace detail_PolyTemplate

void PolyTemplate::Report(bool warning, const char* format, ...) const {
  if (!mShowErrors || !mWhy) return;
  char message[detail_PolyTemplate::kMessageSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  const char* text = mText.c_str();
  Outcome said = Outcome::RefusedF("\"%s\" - %s", text, message);
  if (warning) {
    mWhy->Warn(said.text());
  } else {
    mWhy->Then(said);
  }
}

// ---- Parsing --------------------------------------------------------------------------

bool PolyTemplate::Parse(const char* text, Outcome* why) {
  // Copied before clearing: the text may be this template's own.
  std::string copy = text ? text : "";
  Clear();
  if (!text) return false;
  mText = std::move(copy);
  mShowErrors = why ? 1 : 0;
  // The refusal goes to *why while this parse runs, and nowhere after it.
  struct Refusals {
    PolyTemplate& poly;
    ~Refusals() { poly.mWhy = nullptr; }
  } refusals{*this};
  mWhy = why;
  if (!ParseText()) return false;
  if (!Solve(0)) return false;
  // Edges shorter than the distance at which two points are one: the faces close
  // round the vertex only in the plane (a tiling), at a height of nothing.
  if (!(std::sqrt(2.0 * mRadius * mVertHeight) > kPointTolerance)) {
    Report(false, "Faces at vertex lie in plane.");
    return false;
  }
  return Finish(mVertHeight, true);
}

bool PolyTemplate::ParseText() {
  using detail_PolyTemplate::IsDigit;
  using detail_PolyTemplate::SkipBlanks;
  const char* s = SkipBlanks(mText.c_str());
  const bool group = *s == '(' || *s == '{';
  if (group) ++s;
  for (;;) {
    s = SkipBlanks(s);
    if (!IsDigit(*s)) {
      if (*s == '\0') {
        Report(false, "Expected a number at end.");
      } else {
        Report(false, "Expected a number at '%s'.", s);
      }
      return false;
    }
    const int n = detail_PolyTemplate::ReadNumber(s, kTemplateMaxSides);
    if (n < 3) {
      Report(false, "Polygons must have at least three sides.");
      return false;
    }
    if (n > kTemplateMaxSides) {
      Report(false, "Polygons may not have more than %d sides.", kTemplateMaxSides);
      return false;
    }
    int q = 1;
    s = SkipBlanks(s);
    if (*s == '/') {
      s = SkipBlanks(s + 1);
      if (!IsDigit(*s)) {
        Report(false, "Expected a number after '/'.");
        return false;
      }
      q = detail_PolyTemplate::ReadNumber(s, kTemplateMaxSides);
    }
    if (q < 0) {
      Report(false, "Number of wraps may not be < 0.");
      return false;
    }
    if (q >= n) {
      Report(false, "Number of wraps may not be >= number of sides.");
      return false;
    }
    const int g = Gcd(n, q);
    if (g > 1) {
      Report(false, "Number of sides (%d) and number of wraps (%d) may not have a common factor (%d).", n, q, g);
      return false;
    }
    if (mValence >= kTemplateMaxValence) {
      Report(false, "May not have more than %d faces at a vertex.", kTemplateMaxValence);
      return false;
    }
    new TemplatePolygon(this, n, q);
    s = SkipBlanks(s);
    if (*s == '\0') break;
    if (group && (*s == ')' || *s == '}')) break;
    if (*s == ',' || *s == '.') {
      ++s;
      continue;
    }
    Report(false, "Expected ',' or '.', got '%c'.", *s);
    return false;
  }
  if (group) {
    if (*s == '\0') {
      Report(false, "Missing closing parenthesis.");
      return false;
    }
    s = SkipBlanks(s + 1);
    if (*s == '/') {
      s = SkipBlanks(s + 1);
      if (!IsDigit(*s)) {
        Report(false, "Expected a number after '/'.");
        return false;
      }
      mWraps = detail_PolyTemplate::ReadNumber(s, kTemplateMaxWraps);
      // No winding, or one past all bounds, leaves nothing to close round.
      if (mWraps < 1) {
        Report(false, "Number of wraps round the vertex must be at least 1.");
        return false;
      }
      if (mWraps > kTemplateMaxWraps) {
        Report(false, "Number of wraps round the vertex may not be more than %d.", kTemplateMaxWraps);
        return false;
      }
    }
  }
  if (mValence < 3) {
    Report(false, "Must have at least three faces at a vertex.");
    return false;
  }
  s = SkipBlanks(s);
  if (*s != '\0') Report(true, "Ignoring trailing characters: '%s'.", s);

  double sum = 0.0;
  TemplatePolygon* p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) sum += p->mInteriorAngle;
  const double full = mWraps * detail_PolyTemplate::kTwoPi;
  if (sum > full + kAngleTolerance) {
    Report(false, "Faces can't connect around vertex.");
    return false;
  }
  if (sum >= full - kAngleTolerance) {
    Report(false, "Faces at vertex lie in plane.");
    return false;
  }
  p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) {
    const TemplatePolygon* next = p->mNext;
    if (next->mSides == p->mSides && next->mWraps == p->mSides - p->mWraps) {
      Report(false, "Face %d/%d may not be followed by matching retrograde face %d/%d.", p->mSides, p->mWraps,
             next->mSides, next->mWraps);
      return false;
    }
  }
  return true;
}

// ---- Solving ----------------------------------------------------------------------------

void PolyTemplate::AssignColors() {
  TemplatePolygon* p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) p->mColor[0] = -1.0f;
  NextRainbowColor(nullptr, 0);
  p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) {
    if (p->mColor[0] >= 0.0f) continue;
    NextRainbowColor(p->mColor, 0);
    TemplatePolygon* later = p->mNext;
    for (int j = i + 1; j < mValence; ++j, later = later->mNext) {
      if (later->mSides == p->mSides && later->mRatioWraps == p->mRatioWraps) {
        for (int c = 0; c < 3; ++c) later->mColor[c] = p->mColor[c];
      }
    }
  }
}

double PolyTemplate::AngleSum(double h, bool clamp) {
  // Edge length over the radius of the circle of the neighbouring vertices.
  const double k = std::sqrt(2.0 * mRadius) / std::sqrt(2.0 * mRadius - h);
  double sum = 0.0;
  TemplatePolygon* p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) {
    double x = k * p->mHalfInteriorSine;
    if (x > 1.0) {
      if (x > detail_PolyTemplate::kSineOvershoot) return detail_PolyTemplate::kInvalidAngleSum;
      x = 1.0;
    }
    if (x < -1.0) x = -1.0;
    if (clamp) {
      if (x > detail_PolyTemplate::kSineClamp) x = 1.0;
      if (x < -detail_PolyTemplate::kSineClamp) x = -1.0;
    }
    p->mProjectedAngle = 2.0 * std::asin(x);
    if (p->mSides == mReflexSides && p->mWraps == mReflexWraps) p->mProjectedAngle = detail_PolyTemplate::kTwoPi - p->mProjectedAngle;
    sum += p->mProjectedAngle;
  }
  return sum;
}

bool PolyTemplate::Solve(int depth) {
  AssignColors();
  mRadius = 1.0;
  // The key polygon has the largest n / q: it is the first to pass through the
  // centre as the height grows.
  const TemplatePolygon* key = mHead;
  TemplatePolygon* p = mHead->mNext;
  for (int i = 1; i < mValence; ++i, p = p->mNext) {
    if (static_cast<long long>(p->mSides) * key->mRatioWraps > static_cast<long long>(key->mSides) * p->mRatioWraps) {
      key = p;
    }
  }
  // Retrograde pairs {n/q} and {n/(n-q)}: when every polygon has a partner the
  // angle sum is the same at every height, and the height comes from elsewhere.
  p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) p->mFlags &= ~kTemplatePolygonPaired;
  bool allPaired = true;
  p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) {
    if (p->mFlags & kTemplatePolygonPaired) continue;
    TemplatePolygon* later = p->mNext;
    for (int j = i + 1; j < mValence; ++j, later = later->mNext) {
      if (!(later->mFlags & kTemplatePolygonPaired) && later->mSides == p->mSides &&
          later->mWraps == p->mSides - p->mWraps) {
        p->mFlags |= kTemplatePolygonPaired;
        later->mFlags |= kTemplatePolygonPaired;
        break;
      }
    }
    if (!(p->mFlags & kTemplatePolygonPaired)) allPaired = false;
  }
  return allPaired ? SolveAmbiguous(key, depth) : SolveByBisection(key);
}

bool PolyTemplate::SolveByBisection(const TemplatePolygon* key) {
  double target = mWraps * detail_PolyTemplate::kTwoPi;
  // At hi the key polygon would pass through the centre.
  double hi = (1.0 - std::cos(key->mFaceAngle)) * mRadius;
  double lo = 0.0;
  double h = hi;
  mReflexSides = mReflexWraps = -1;
  double s = AngleSum(h, false);
  if (std::fabs(s) <= kAngleTolerance) {
    target = 0.0;
  } else if (s < target) {
    mReflexSides = key->mSides;
    mReflexWraps = key->mRatioWraps;
  }
  const bool reflex = mReflexSides >= 0;
  if (hi > 0.0) {
    double previous = h;
    int iteration = 0;
    while (lo < hi) {
      ++iteration;
      if (iteration >= detail_PolyTemplate::kFirstLoggedIteration) {
        // Traces of the search for the height, on no failure path.
        DoNothing("Iteration %d: min %.20f, vertHeight %.20f\n", iteration, lo, h);
        DoNothing("    max %.20f, angleSum %.8f\n", hi, s);
        DoNothing("    min 0x%x-%x, max 0x%x-%x, vh 0x%x-%x\n", detail_PolyTemplate::HighWord(lo), detail_PolyTemplate::LowWord(lo), detail_PolyTemplate::HighWord(hi), detail_PolyTemplate::LowWord(hi),
                  detail_PolyTemplate::HighWord(h), detail_PolyTemplate::LowWord(h));
      }
      if (iteration >= detail_PolyTemplate::kMaxIterations) {
        Report(true, "Can't form a vertex surrounded by those faces\n");
        Dump();
        return false;
      }
      h = (lo + hi) / 2.0;
      if (std::memcmp(&h, &previous, sizeof h) == 0) break;
      previous = h;
      s = AngleSum(h, false);
      if (s < target) {
        if (reflex) {
          hi = h;
        } else {
          lo = h;
        }
      } else if (s == target) {
        break;
      } else if (!reflex || s == detail_PolyTemplate::kInvalidAngleSum) {
        hi = h;
      } else {
        lo = h;
      }
    }
  }
  // The clamp snaps a corner that spans its neighbours almost straight (a face
  // through the centre) to exactly straight; the corner of a polygon of many sides
  // is that close to straight and yet not straight, so its sum is also taken as
  // solved.
  s = AngleSum(h, true);
  if (std::fabs(s - target) > kAngleTolerance) s = AngleSum(h, false);
  if (s < target - kAngleTolerance || s > target + kAngleTolerance) {
    Dump();
    Report(false, "Failed to figure out vertex height.");
    return false;
  }
  mVertHeight = h;
  return true;
}

bool PolyTemplate::SolveAmbiguous(const TemplatePolygon* key, int depth) {
  if (mValence > detail_PolyTemplate::kMaxAmbiguousValence) {
    Report(false, "Can't solve for ambiguous vertex height of valence > 4.");
    return false;
  }
  const detail_PolyTemplate::AmbiguousRow* table = detail_PolyTemplate::AmbiguousTable();
  const TemplatePolygon* a = key;
  if (a->mSkipInHeightSearch) a = a->mNext->mNext;
  const TemplatePolygon* b = a->mNext;
  if (b->mSkipInHeightSearch) b = b->mNext;
  const double sinA = std::sin(a->mInteriorAngle / 2.0);
  const double sinB = std::sin(b->mInteriorAngle / 2.0);
  const double x = 4.0 * (sinA * sinA - sinB * sinB);
  // The vertex figure is a crossed quadrilateral whose sides are the chords of A and
  // B. Its corners also form an isosceles trapezoid with legs B and parallel sides
  // of product X (Ptolemy), and the ring B . i . B . j of two further polygons
  // whose chords make that product closes at the same height. A chord does not
  // tell a polygon from its retrograde reading, so B enters that ring read
  // forwards: {n/(n-q)} for a retrograde {n/q}, whose interior angle is negative.
  const int bWraps = 2 * b->mWraps > b->mSides ? b->mSides - b->mWraps : b->mWraps;
  const double bInterior = detail_PolyTemplate::kPi - detail_PolyTemplate::kTwoPi * bWraps / b->mSides;
  int rowI = -1;
  int rowJ = -1;
  for (int i = 0; i < detail_PolyTemplate::kAmbiguousRowCount && rowI < 0; ++i) {
    for (int j = i + 1; j < detail_PolyTemplate::kAmbiguousRowCount; ++j) {
      const double sum = 2.0 * bInterior + table[i].interior;
      if (std::fabs(x / table[i].cosineTerm - table[j].cosineTerm) <= kAmbiguousHeightTolerance &&
          sum >= table[j].interior + kAmbiguousHeightTolerance && sum + table[j].interior <= detail_PolyTemplate::kAmbiguousFullTurn) {
        rowI = i;
        rowJ = j;
        break;
      }
    }
  }
  // The auxiliary ring must itself have a height of its own; one that is
  // ambiguous again would send the search round for ever.
  if (rowI < 0 || depth >= detail_PolyTemplate::kMaxSolveDepth) {
    Report(false, "Can't find good height for vertex with ambiguous height.");
    return false;
  }
  // B . row i . B . row j closes at the height that the ring needs.
  PolyTemplate aux;
  aux.mShowErrors = 0;
  aux.mText = mText;
  new TemplatePolygon(&aux, b->mSides, bWraps);
  new TemplatePolygon(&aux, table[rowI].sides, table[rowI].wraps);
  new TemplatePolygon(&aux, b->mSides, bWraps);
  new TemplatePolygon(&aux, table[rowJ].sides, table[rowJ].wraps);
  if (!aux.Solve(depth + 1)) {
    Report(false, "Can't find good height for vertex with ambiguous height.");
    return false;
  }
  mReflexSides = mReflexWraps = -1;
  mVertHeight = aux.mVertHeight;
  AngleSum(mVertHeight, true);
  return true;
}

// ---- Finishing ------------------------------------------------------------------------

bool PolyTemplate::Finish(double h, bool lookUp) {
  const double r = mRadius;
  mVertHeight = h;
  mEdgeLength = std::sqrt(2.0 * r * h);
  const double e = mEdgeLength;
  mHalfFigureRadius = std::sqrt(std::max(0.0, 2.0 * r * h - h * h)) / 2.0;
  const double midSq = r * r - e * e / 4.0;
  mMidRadius = std::sqrt(std::max(0.0, midSq));
  mMidRadiusSqOverRadius = midSq / r;
  mMaxMidRadiusSqOverHeight = 0.0;
  mHasHemi = 0;
  TemplatePolygon* p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) {
    p->mFaceRadius = (e / 2.0) / std::sin(p->mFaceAngle / 2.0);
    const double fr = p->mFaceRadius;
    if (fr >= detail_PolyTemplate::kHemiRadiusLow && fr <= detail_PolyTemplate::kHemiRadiusHigh) {
      p->mIsHemi = 1;
      mHasHemi = 1;
      p->mHalfDihedral = 0.0;
      p->mHeight = 0.0;
      continue;
    }
    p->mIsHemi = 0;
    // Rounding may carry the cosine just past 1.
    double c = e / (2.0 * mMidRadius * std::tan(p->mFaceAngle / 2.0));
    if (c > 1.0) c = 1.0;
    if (c < -1.0) c = -1.0;
    p->mHalfDihedral = std::acos(c);
    p->mHeight = std::sqrt(std::max(0.0, r * r - fr * fr));
    if (p->mHeight > 0.0 && midSq / p->mHeight > mMaxMidRadiusSqOverHeight) {
      mMaxMidRadiusSqOverHeight = midSq / p->mHeight;
    }
    if (p->mSides == mReflexSides && p->mRatioWraps == mReflexWraps) p->mHeight = -p->mHeight;
  }
  p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) p->mDihedralAngle = p->mHalfDihedral + p->mNext->mHalfDihedral;

  OrderStartingPolygons();
  FindHalfTurnMatch();
  if (!lookUp) return true;
  int n = -1;
  int d = -1;
  mEntry = GetTemplateLibraryEntry(this, &n, &d);
  if (!mEntry) {
    Report(false, "No polyhedron of the library has this vertex configuration.");
    return false;
  }
  // A family's record keeps the parameters last used with it, and its names and its
  // configuration are made from them: the 13-gonal prism is named as one.
  if (mEntry->IsParametric() && n >= 1 && d >= 1) mEntry->CheckParams(n, d, nullptr);
  return true;
}

void PolyTemplate::OrderStartingPolygons() {
  using detail_PolyTemplate::Step;
  TemplatePolygon* p = mHead;
  for (int i = 0; i < mValence; ++i, p = p->mNext) {
    p->mId = 0;
    p->mNextToTry = p->mPrevToTry = nullptr;
  }
  mNextToTry = mPrevToTry = nullptr;
  TemplatePolygon* tails[2] = {nullptr, nullptr};
  uint32_t nextBit = 1;
  for (int pass = 0; pass < 2; ++pass) {
    const bool backwards = pass == 1;
    p = mHead;
    for (int i = 0; i < mValence; ++i, p = Step(p, backwards)) {
      bool found = false;
      for (int list = 0; list < 2 && !found; ++list) {
        const bool listBackwards = list == 1;
        for (TemplatePolygon* m = listBackwards ? mPrevToTry : mNextToTry; m && !found;
             m = listBackwards ? m->mPrevToTry : m->mNextToTry) {
          // Walk both rings together, each in its own direction.
          int direction = kTemplateDirectionUndecided;
          const TemplatePolygon* a = m;
          const TemplatePolygon* b = p;
          bool all = true;
          for (int k = 0; k < mValence && all; ++k) {
            all = a->Matches(*b, &direction);
            a = Step(a, listBackwards);
            b = Step(b, backwards);
          }
          if (all) {
            p->mId = m->mId;
            found = true;
          }
        }
      }
      if (found) continue;
      if (backwards) {
        if (tails[1]) {
          tails[1]->mPrevToTry = p;
        } else {
          mPrevToTry = p;
        }
        tails[1] = p;
      } else {
        if (tails[0]) {
          tails[0]->mNextToTry = p;
        } else {
          mNextToTry = p;
        }
        tails[0] = p;
        p->mId = nextBit;
        nextBit <<= 1;
      }
    }
  }
}

void PolyTemplate::FindHalfTurnMatch() {
  mHalfTurnMatch = 0;
  if (mValence % 2 != 0 || !mPrevToTry) return;
  const TemplatePolygon* opposite = mHead;
  for (int i = 0; i < mValence / 2; ++i) opposite = opposite->mNext;
  int direction = kTemplateDirectionReversed;
  if (opposite->Matches(*mHead, &direction)) mHalfTurnMatch = 1;
}

}  // namespace corvia
