#pragma once
// A vertex configuration ("3.3.3.3.3", "3.5/2.3.5/2", "(5/2.5/2.5/2.5/2.5/2)/2")
// turned into the numbers of the uniform polyhedron it describes: the ring of
// polygons round one vertex, the height at which the neighbouring vertices lie
// below the vertex, the edge length, mid-radius, the distance of every face plane
// from the centre and the dihedral angles, all for circumradius 1, and the library
// entry that the configuration names.
//
// Solving finds the vertex height h at which the corners of the polygons, seen
// along the axis through the vertex and the centre, close up exactly `mWraps`
// times round the vertex. With all neighbours of the vertex at edge length e on a
// circle of radius rho, a polygon's corner of interior angle a covers the angle
// 2 asin((e / rho) sin(a / 2)) of that circle, and e / rho = sqrt(2R / (2R - h)).

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvia {

class LibraryEntry;
class Outcome;
class PolyTemplate;

// The largest polygon and the most polygons round a vertex a configuration may
// have. Polygons of more than a few sides stand only in prisms and antiprisms, so
// the largest is the prism family's largest base (kFamilyMaxSides is this number):
// building a model and finding its symmetry take time that grows fast with the
// base's sides, and up to this size a model builds within moments. Each distinct
// starting polygon takes one bit of a 32-bit identity word.
constexpr int kTemplateMaxSides = 99;
constexpr int kTemplateMaxValence = 32;
constexpr int kTemplateMaxWraps = 1000;

// Bit of TemplatePolygon::mFlags: paired with a retrograde partner.
constexpr uint32_t kTemplatePolygonPaired = 0x1;

// Direction words of polygon matching.
constexpr int kTemplateDirectionUndecided = -1;
constexpr int kTemplateDirectionSame = 0;
constexpr int kTemplateDirectionReversed = 1;

// One polygon {n/q} round the vertex; owned by its template.
class TemplatePolygon {
 public:
  // Appends the polygon at the end of the owner's ring.
  TemplatePolygon(PolyTemplate* owner, int sides, int wraps);
  TemplatePolygon(const TemplatePolygon&) = delete;
  TemplatePolygon& operator=(const TemplatePolygon&) = delete;

  // Position in the owner's ring counted from the head; -1 when not in the ring.
  int GetIndex() const;
  // Whether this polygon and the other are alike. Without a direction word (null)
  // sides and wraps must agree. With one, the sides must agree and the other's
  // wraps must equal ours (same sense) or n minus ours (the polygon read the other
  // way round); an undecided word is settled by the first comparison. A polygon
  // through the centre always compares without a direction word.
  bool Matches(const TemplatePolygon& other, int* direction) const;

  // Identity bits: polygons at equivalent starting positions share them.
  uint32_t mId = 0;
  int32_t mSides;
  int32_t mWraps;
  // The q used for the ratio n / q, for the reflex polygon and for undirected
  // matching.
  int32_t mRatioWraps;
  uint8_t mIsHemi = 0;
  // Set on a polygon that the search for an ambiguous height steps over.
  uint8_t mSkipInHeightSearch = 0;
  uint32_t mFlags = 0;
  // Signed distance of the face plane from the centre.
  double mHeight = 0.0;
  double mFaceRadius = 0.0;
  // 2 pi q / n.
  double mFaceAngle;
  double mInteriorAngle;
  double mHalfInteriorSine;
  // The angle the polygon's corner covers seen along the vertex axis.
  double mProjectedAngle = 0.0;
  // Between this face and the next one in the ring.
  double mDihedralAngle = 0.0;
  // Between the face and the plane through its edge and the centre.
  double mHalfDihedral = 0.0;
  // Red is -1 while no colour has been given.
  float mColor[3];
  PolyTemplate* mOwner;
  TemplatePolygon* mNext;
  TemplatePolygon* mPrev;
  TemplatePolygon* mNextToTry = nullptr;
  TemplatePolygon* mPrevToTry = nullptr;
};

class PolyTemplate {
 public:
  PolyTemplate();
  ~PolyTemplate();
  PolyTemplate(const PolyTemplate&) = delete;
  PolyTemplate& operator=(const PolyTemplate&) = delete;

  // Clears, parses, solves and finds the library entry. A copy of the text is
  // kept for messages; with why given, the warnings met are added to *why and a
  // refusal is given to it (the text quoted before the reason); the caller tells them. True when the template is valid
  // and names a library entry; a null text gives false at once.
  bool Parse(const char* text, Outcome* why);
  // Deletes every polygon and starts afresh.
  void Clear();

  // The configuration read from `start` (the ring head when null) forwards, or
  // backwards: "(" when wrapping more than once, "n" or "n/q" per polygon joined
  // by ".", then ")/w". A null template gives "Not-uniform".
  static std::string FormatVertexConfiguration(const PolyTemplate* poly, const TemplatePolygon* start = nullptr,
                                               bool backwards = false);
  // The same into a buffer of the given size (always terminated, cut to fit).
  static void FormatVertexConfiguration(const PolyTemplate* poly, char* buffer, size_t size,
                                        const TemplatePolygon* start, bool backwards);

  // The first polygon of the ring.
  TemplatePolygon* GetHead() const { return mHead; }
  // Writes the template to the diagnostic log.
  void Dump() const;

  uint32_t mShowErrors = 1;
  // The configuration as given, owned: callers may pass a temporary.
  std::string mText;
  LibraryEntry* mEntry = nullptr;
  int32_t mValence = 0;
  int32_t mWraps = 1;
  uint8_t mHasHemi = 0;
  uint8_t mSpare = 0;
  uint8_t mHalfTurnMatch = 0;
  int32_t mReflexSides = -1;
  int32_t mReflexWraps = -1;
  double mRadius = 0.0;
  double mMidRadius = 0.0;
  double mMidRadiusSqOverRadius = 0.0;
  double mMaxMidRadiusSqOverHeight = 0.0;
  double mEdgeLength = 0.0;
  double mVertHeight = 0.0;
  double mHalfFigureRadius = 0.0;
  // While parsing the ring head; after solving the head of the distinct starting
  // polygons read forwards.
  TemplatePolygon* mNextToTry = nullptr;
  TemplatePolygon* mPrevToTry = nullptr;

 private:
  friend class TemplatePolygon;

  void Init();
  void Report(bool warning, const char* format, ...) const __attribute__((format(printf, 3, 4)));
  // Where Report puts a warning or a refusal while Parse runs.
  Outcome* mWhy = nullptr;
  bool ParseText();
  // Solving at nesting depth (the ambiguous case solves one auxiliary template).
  bool Solve(int depth);
  bool SolveByBisection(const TemplatePolygon* key);
  bool SolveAmbiguous(const TemplatePolygon* key, int depth);
  double AngleSum(double h, bool clamp);
  bool Finish(double h, bool lookUp);
  void AssignColors();
  void OrderStartingPolygons();
  void FindHalfTurnMatch();

  TemplatePolygon* mHead = nullptr;
};

}  // namespace corvia
