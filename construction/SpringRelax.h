#pragma once
// The spring model: turns a combinatorial polyhedron (which vertices make which
// faces) into coordinates in which every face is as near as possible a regular
// polygon of edge length 1. Masses sit at the vertices; springs hold edges at
// length 1 and diagonals at the lengths of the regular polygon, and pull each corner
// of a face towards the matching corner of a regular polygon fitted round the
// face's centre. Temporary springs between vertices a few edges apart spread a
// random start before they are removed. The model is integrated with strongly
// damped explicit steps until the largest spring force stops falling.
//
// All spring data is global (one model at a time) and is freed as a whole by
// FreeAllSprings.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/ListNode.h"

namespace corvia {

class Poly;
class SimplePoly;

// SpringVert::mFlags.
constexpr uint32_t kSpringVertUnreferenced = 0x1;
constexpr uint32_t kSpringVertVisited = 0x2;
constexpr uint32_t kSpringVertModel = 0x4;

// SpringFace::mFlags: not part of the result ("t"); temporary springs ("T").
constexpr uint32_t kSpringFaceNotInResult = 0x1;
constexpr uint32_t kSpringFaceTemporary = 0x2;

// Spring::mFlags.
constexpr uint32_t kSpringTemporary = 0x1;
constexpr uint32_t kSpringEdge = 0x2;
constexpr uint32_t kSpringDiagonal = 0x4;
constexpr uint32_t kSpringTarget = 0x8;

// SpringPolyDesc::mFlags: add springs between vertices a few edges apart ("h");
// start from the source model's positions and keep its face colours.
constexpr uint32_t kSpringDescNeighbourSprings = 0x1;
constexpr uint32_t kSpringDescFromModel = 0x2;

constexpr int kSpringDefaultMaxHops = 9999;
constexpr int kSpringDefaultExtraLevel = 4;
// A relaxation whose final force lies below this has converged.
constexpr double kSpringConvergedForce = 1e-7;

class SpringVert : public ListNode {
 public:
  SpringVert();
  int32_t mIndex = 0;
  double mPos[4] = {0, 0, 0, 0};
  double mVel[4] = {0, 0, 0, 0};
  uint32_t mFlags = 0;
  // Vertices joined to this one by edge springs.
  std::vector<SpringVert*> mNeighbours;
};

class SpringFace : public ListNode {
 public:
  explicit SpringFace(int numSides);
  // Sets q and the circumradius of {n/q} with unit edge.
  void SetWraps(int wraps);

  int32_t mNumSides;
  int32_t mWraps = 1;
  double mRadiusFactor = 0.0;
  // The n corners; from four sides on followed by the n target points.
  std::vector<SpringVert*> mVerts;
  uint32_t mFlags = 0;
};

class Spring : public ListNode {
 public:
  SpringVert* mEndA = nullptr;
  SpringVert* mEndB = nullptr;
  double mRestLength = 0.0;
  double mStiffness = 1.0;
  // -1 for none; springs of a face carry its number of sides.
  int32_t mLevel = -1;
  uint32_t mFlags = 0;
  // Search tree over the pair of ends.
  Spring* mParent = nullptr;
  Spring* mLeft = nullptr;
  Spring* mRight = nullptr;
};

// One relaxation run; owned by the caller.
class SpringPolyDesc {
 public:
  SpringPolyDesc() = default;
  SpringPolyDesc(const SpringPolyDesc&) = delete;
  SpringPolyDesc& operator=(const SpringPolyDesc&) = delete;

  const Poly* mPoly = nullptr;
  // The model built; owned until the caller takes it.
  std::unique_ptr<SimplePoly> mResult;
  int32_t mSpare = 0;
  // The ring labels of the face-list text (the caller's text, not owned).
  const char* mText = nullptr;
  uint32_t mFlags = 0;
  int32_t mNumVerts = 0;
  int32_t mNumFaces = 0;
  int32_t mNumEdgeSprings = 0;
  int32_t mNumDiagonalSprings = 0;
  int32_t mNumTargetSprings = 0;
  int32_t mNumTemporarySprings = 0;
  int32_t mMaxHops = kSpringDefaultMaxHops;
  int32_t mExtraLevel = kSpringDefaultExtraLevel;
};

// Reads a face-list text: prefixes "h[hops]" and "~[level]", ring labels, then faces
// "[t][T](a b c ...)[/q]". False (all spring data freed) after an error.
bool CreateFromDesc(SpringPolyDesc& desc, const char* text);
// One spring vertex per model vertex and one face per model face.
bool CreateFromPoly(SpringPolyDesc& desc, const Poly* poly);
// Builds the springs, settles up to `attempts` times, writes desc.mResult and
// returns the final force.
double RelaxSpringModel(SpringPolyDesc& desc, int attempts);

// The steps of a run.
void CreateSprings(SpringPolyDesc& desc);
bool ApplySpringSpecification(SpringPolyDesc& desc);
double TimeStep(double dt, bool regular);
double SettleOnceB(bool regular, int levelLimit);
double SettleOnceA(SpringPolyDesc& desc);
int RemoveTemporarySprings();
// The spring between a and b: null when it exists already (a non-temporary request
// then makes it permanent, a larger level replaces its level), else the new one.
Spring* FindOrCreateSpring(SpringVert* a, SpringVert* b, double rest, bool temporary, int level, double stiffness);
void DeleteSpring(Spring* spring);
void FreeAllSprings();
void ScaleSpringModel();
void CentreSpringModel();
int AddNeighbourSprings(int maxHops);

// Read access to the global spring data (tests, diagnostics).
SpringVert* GetFirstSpringVert();
SpringFace* GetFirstSpringFace();
Spring* GetFirstSpring();
int CountSprings();
// Lengths in four dimensions (x, y, z and w); cleared by FreeAllSprings.
void SetFourDimensionalSprings(bool on);

}  // namespace corvia
