#pragma once
// Facetings of a model: polyhedra whose vertices are the model's own vertices and
// whose faces lie in planes through three or more of them.
//
// Each face-type block owns one Faceting engine. It works on an arrangement of
// elements built once per model and criteria: one FacetingEdge per symmetry orbit of
// vertex pairs, one FacetPlane per orbit of planes through three or more vertices
// (with the FacetPlaneVerts that lie in it and the FacetPlaneEdges between them), and
// the candidate Facets of each plane, one per orbit of closed polygons under the
// plane's own symmetry. A Facet stands for its whole orbit under the rotations of the
// model's group; a faceting is a set of Facets whose orbits use every edge they touch
// exactly twice, faces meeting at an edge never lying in one plane.
//
// The search finds facetings one after another by depth-first search over the open
// edges, counts them with BigUInt counts, and the browse steps walk facetings, edges,
// planes and facets. A faceting is shown as the model's drawn polygons, from which
// CreateSimpleFacetedPolyhedron (stellation/SimpleFaceting.h) builds the faceted model.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/BigUInt.h"
#include "core/ListNode.h"
#include "core/Outcome.h"
#include "core/TimeSpan.h"
#include "model/ModelPart.h"

namespace corvia {

class Poly;
class PolyElement;
class FaceType;
class FaceTypeBlock;
class DrawnPolygon;
struct SymAxis;
class Faceting;
class FacetPlane;
class Facet;
class FacetingEdge;
class FacetPlaneEdge;
class FacetPlaneVert;
enum class FacetPreviewPoint;  // model/ElementServices.h

// ---- Program-wide settings ---------------------------------------------------------------

// Criteria.
constexpr int kFacetingIsohedral = 0;
constexpr int kFacetingTidyAndDuals = 1;   // "Tidy Facetings && Duals": no plane through the centre
constexpr int kFacetingTidy = 2;           // coplanar facets share no vertex
constexpr int kFacetingCoplanarVerts = 3;  // coplanar facets may share vertices
constexpr int kNumFacetingCriteria = 4;

// Option bits.
constexpr uint32_t kFacetingAcceptPartial = 0x1;  // facetings may leave out vertex types
constexpr uint32_t kFacetingOnlySpiky = 0x2;      // facets touching a hull edge never join

// A maximum number of facet types that means no limit.
constexpr int kFacetingNoLimit = 2147483647;
// The room of a text of the current faceting's facets (GetCurrentFacetsText): what the
// enumeration's progress window and a browse step's words show of them.
constexpr int kFacetsTextSize = 128;

// Browse modes: what the Up and Down keys step through.
constexpr int kBrowseFacetings = 0;
constexpr int kBrowseEdges = 1;
constexpr int kBrowsePlanes = 2;
constexpr int kBrowseFacets = 3;

// Whether the panes are in "Faceting Mode", the mouse mode in which the user draws
// facets: the program says so whenever the mode changes (off at first).
void SetFacetingModeOn(bool on);
// The command whose menu path the hints name ("Faceting Mode").
constexpr int kCommandFacetingMode = 32940;
// The command of the isohedral criteria; the menu bar gives it its path.
constexpr int kCommandFacetingIsohedral = 33560;

struct FacetingSettings {
  int criteria = kFacetingTidy;
  int minFacetTypes = 1;
  int maxFacetTypes = kFacetingNoLimit;
  uint32_t options = 0;
  int browseMode = kBrowseFacetings;
};
FacetingSettings& GetFacetingSettings();

// Stores the criteria; a change clears the prepared facetings of the current model.
void SetFacetingCriteria(int criteria);
// Stores the option bits; a change resets both facetings of the current model unless
// noReset.
void SetFacetingOptions(uint32_t bits, bool noReset);
void ToggleFacetingOptions(uint32_t bits);
// Limits on the number of facet types: a minimum below 1 becomes 1, a maximum of 0 or
// less means no limit.
void SetMinFacetTypes(int n);
void SetMaxFacetTypes(int n);
// The prompts of the two limits; false when cancelled or not a number.
bool PromptMinFacetTypes();
bool PromptMaxFacetTypes();
// Stores the browse mode; a change shows the information text of the shown block's
// faceting.
void SetFacetingBrowseMode(int mode);

// Faceting::Reset (false, false) on both blocks of the current model, and of a given
// model.
void ResetAllFacetings();
void ResetFacetingsOf(Poly* poly);

// The block's faceting engine, made the first time it is asked for; null for no block.
Faceting* GetFaceting(FaceTypeBlock* block);
// The faceting of the block the current model shows; null without a model.
Faceting* GetCurrentFaceting();
// Forgets the shown block's current facet and current edge.
void ClearFacetingSelection();
void ClearFacetingSelectionOf(Poly* poly);
// True in "Faceting Mode", or while browsing other than facetings, when the current
// model's open drawn polygon has a vertex.
bool HasCurrentFaceting();
// Where a vertex point lies for the faceting preview: inside when the point is a
// corner of the current model's open drawn polygon, no preview without a current
// faceting. Installed as the model's facet-preview query (files/GeometryHooks.h).
FacetPreviewPoint PreviewPointOf(const PolyElement* element);

// The current faceting of the faceting (null: the current one) as the drawn polygons
// of its model, one polygon per facet; only in browse mode 0.
void ShowCurrentFaceting(Faceting* faceting);
// The name of the model that the model's drawn facets make, when the library holds it
// (or its dual); empty otherwise. The words of a browse step name the faceting shown by
// it. The library lives above: its answer is installed (files/GeometryHooks.h); with
// none, facetings go unnamed. Returns the one installed before.
using FacetingNameFinder = std::string (*)(Poly* model);
FacetingNameFinder SetFacetingNameFinder(FacetingNameFinder finder);
// The corners of a drawn polygon, in order (none for an empty one).
std::vector<const double*> GetDrawnPolygonPoints(const DrawnPolygon* polygon);
// The representative face of each face type of the model's shown block as drawn
// polygons: the model's own faces as facets.
void ShowOriginalAsFaceting(Poly* poly);

// Plane deduplication on (normal, d): all four components within tol, or each equal to
// minus the other's.
bool PlanesEqual(const double* a, const double* b, double tol);
bool PlanesOpposite(const double* a, const double* b, double tol);
void Vec2Add(double* out, const double* a, const double* b);
void Vec2Subtract(double* out, const double* a, const double* b);

// ---- The faceting settings in the model file ----------------------------------------------

// Names of the criteria as the model file stores them.
extern const char* const kFacetingCriteriaNames[kNumFacetingCriteria];
// Keys of the model file.
extern const char* const kFacetingKeyCriteria;      // "FacetingCriteria"
extern const char* const kFacetingKeyMinFacets;     // "MinFacets"
extern const char* const kFacetingKeyMaxFacets;     // "MaxFacets"
extern const char* const kFacetingKeyPartialOK;     // "PartialFacetingOK"
extern const char* const kFacetingKeySpiky;         // "SpikyFaceting"
extern const char* const kFacetingKeyTotalNum;      // "FacetingTotalNum"
extern const char* const kFacetingKeyNumChirals;    // "FacetingNumChirals"
extern const char* const kFacetingKeyNumCompounds;  // "FacetingNumCompounds"
extern const char* const kFacetingKeyTime;          // "FacetingTime"
// The criteria value of a stored name; -1 when unknown.
int FindFacetingCriteriaByName(const char* name);

// What a model file keeps of faceting: the settings and an enumeration's counts.
struct FacetingCriteria {
  int criteria = kFacetingTidy;
  int minFacets = 1;
  int maxFacets = kFacetingNoLimit;
  bool partialFacetingOK = false;
  bool spikyFaceting = false;
  BigUInt totalNum;
  BigUInt numChirals;
  BigUInt numCompounds;
  TimeSpan time;
};
// The settings and the counts of the faceting (null: none counted).
FacetingCriteria GetFacetingCriteria(const Faceting* faceting);
// Restores read settings: criteria, limits and options (without a reset), then resets
// the faceting (when given) to the stored counts. It prepares and searches nothing: the
// next browse step prepares the faceting and starts it from the drawn facets, and the
// counts outlive that preparation.
void RestoreFacetingCriteria(const FacetingCriteria& stored, Faceting* faceting);

// ---- Elements ------------------------------------------------------------------------------

// FacetPlaneVert::mFlags.
constexpr uint32_t kPlaneVertOnWalk = 0x1;
constexpr uint32_t kPlaneVertGroupOnWalk = 0x2;
constexpr uint32_t kPlaneVertGrouped = 0x4;
constexpr uint32_t kPlaneVertFlipped = 0x8;

// One model vertex lying in one plane, with its position in the plane's frame.
class FacetPlaneVert : public ListNode {
 public:
  // Appended to the plane's vertex list and projected into its frame; its own group.
  FacetPlaneVert(FacetPlane* plane, PolyElement* vertex);
  ~FacetPlaneVert() override = default;

  FacetPlaneVert* GetNext() const { return static_cast<FacetPlaneVert*>(mNext); }
  // The plane edge of this vertex's edge list whose other end is b, other than except.
  FacetPlaneEdge* FindEdgeTo(const FacetPlaneVert* b, const FacetPlaneEdge* except) const;
  const double* GetPosition() const;

  double x = 0.0;
  double y = 0.0;
  uint32_t mFlags = 0;
  PolyElement* mVertex;
  // Facets of the current faceting that use this vertex's class in this plane; kept on
  // the class leader.
  int32_t mUseCount = 0;
  int32_t mRotationIndex = 0;
  FacetPlaneVert* mGroupLeader;
  FacetPlaneVert* mNextInGroup;
  FacetPlaneVert* mFlippedPartner = nullptr;
  FacetPlaneEdge* mEdgeListHead = nullptr;
  // Position in the plane's vertex list.
  int32_t mIndex = 0;
  // The leader of the vertex's class under all the plane's symmetries (its rotation
  // group together with the flipped group): coplanar facets meet at a vertex when they
  // touch one class.
  FacetPlaneVert* mClassLeader;
};

// FacetingEdge::mFlags.
constexpr uint32_t kFacetingEdgeMark = 0x1;
constexpr uint32_t kFacetingEdgeOpen = 0x2;
constexpr uint32_t kFacetingEdgeClosed = 0x4;
constexpr uint32_t kFacetingEdgeHalfTurn = 0x8;  // a half-turn maps the edge onto itself reversed
constexpr uint32_t kFacetingEdgeUniqueLength = 0x10;
constexpr uint32_t kFacetingEdgeMirrorNext = 0x20;
constexpr uint32_t kFacetingEdgeMirrorPrev = 0x40;
constexpr uint32_t kFacetingEdgeHull = 0x80;

// One use of an edge by a facet: the facet's orbit runs `multiplicity` times along
// each edge of the edge's orbit.
struct FacetEdgeRecord {
  FacetingEdge* edge = nullptr;
  Facet* facet = nullptr;
  int32_t multiplicity = 1;
  FacetEdgeRecord* nextUse = nullptr;
  // A plane edge of the facet lying on the edge: facets of one plane whose plane edges
  // at an edge are images of each other under the plane's symmetry meet in that plane.
  FacetPlaneEdge* planeEdge = nullptr;
};

// Whether the facets of the two records meet in one plane at their edge: facets of one
// plane orbit whose plane edges there are images of each other under the plane's
// symmetry.
bool MeetInOnePlane(const FacetEdgeRecord* a, const FacetEdgeRecord* b);

// One segment between two model vertices, standing for its orbit. Its list node is its
// place in the list of open edges.
class FacetingEdge : public ListNode {
 public:
  // Appended to the faceting's edge list.
  FacetingEdge(Faceting* faceting, PolyElement* first, PolyElement* second);
  ~FacetingEdge() override = default;

  // The chiral partner (next or previous edge), else the edge itself.
  FacetingEdge* GetMirror();
  // Untried facets of the use list that lie in another plane than the opener.
  int CountCandidates() const;
  bool IsOpen() const { return (mFlags & kFacetingEdgeOpen) != 0; }
  bool IsClosed() const { return (mFlags & kFacetingEdgeClosed) != 0; }
  const char* GetInfoText() const;

  PolyElement* mVert1;
  PolyElement* mVert2;
  double mSquaredLength;
  int32_t mIndex = -1;
  uint32_t mFlags = 0;
  FacetEdgeRecord* mUseList = nullptr;
  FacetEdgeRecord* mFirstUse = nullptr;
  FacetEdgeRecord* mSecondUse = nullptr;
  FacetingEdge* mNextEdge = nullptr;
  FacetingEdge* mPrevEdge = nullptr;
  // Creation number: the last key of the edge order.
  int32_t mCreationIndex = 0;
};

// FacetPlaneEdge::mFlags.
constexpr uint32_t kPlaneEdgeOnWalk = 0x1;
constexpr uint32_t kPlaneEdgeExamined = 0x2;
constexpr uint32_t kPlaneEdgeDiametric = 0x4;  // ends opposite through the plane's centre
constexpr uint32_t kPlaneEdgeCountsTwice = 0x8;
constexpr uint32_t kPlaneEdgeFlippedOrbit = 0x10;

// One FacetingEdge inside one plane.
class FacetPlaneEdge : public ListNode {
 public:
  // Appended to the plane's edge list and pushed at the head of both ends' edge lists.
  FacetPlaneEdge(FacetPlane* plane, FacetPlaneVert* first, FacetPlaneVert* second, FacetingEdge* edge);
  ~FacetPlaneEdge() override = default;

  FacetPlaneEdge* GetNext() const { return static_cast<FacetPlaneEdge*>(mNext); }
  // The other end, and the next edge of that end's edge list.
  FacetPlaneVert* GetOtherEnd(const FacetPlaneVert* end) const { return end == mEnd1 ? mEnd2 : mEnd1; }
  FacetPlaneEdge* GetNextAt(const FacetPlaneVert* end) const { return end == mEnd1 ? mNextAtEnd1 : mNextAtEnd2; }

  int32_t mIndex = -1;
  uint32_t mFlags = 0;
  FacetPlaneVert* mEnd1;
  FacetPlaneVert* mEnd2;
  FacetingEdge* mEdge;
  FacetPlaneEdge* mOrbitHead;
  FacetPlaneEdge* mNextInOrbit;
  FacetPlaneEdge* mFlippedOrbit = nullptr;
  FacetPlaneEdge* mNextAtEnd1 = nullptr;
  FacetPlaneEdge* mNextAtEnd2 = nullptr;
  // Number of the rotation orbit within the plane (the order of the walks).
  int32_t mOrbitIndex = -1;
};

// Facet::mFlags.
constexpr uint32_t kFacetMarked = 0x1;
constexpr uint32_t kFacetBowTie = 0x2;
constexpr uint32_t kFacetIsohedral = 0x4;  // its orbit alone closes all its edges
constexpr uint32_t kFacetInFaceting = 0x8;
constexpr uint32_t kFacetUnreached = 0x10;
constexpr uint32_t kFacetExcluded = 0x20;
constexpr uint32_t kFacetSecondOfPair = 0x40;
constexpr uint32_t kFacetHalfTurnSymmetric = 0x80;
constexpr uint32_t kFacetTouchesHull = 0x100;

// One candidate face: a closed polygon in one plane, standing for its orbit. Its list
// node is its place in the current faceting.
class Facet : public ListNode {
 public:
  // Counted in the faceting's facet total.
  explicit Facet(FacetPlane* plane);
  ~Facet() override;

  int GetIndexInPlane() const;
  int GetGlobalIndex() const;
  Facet* GetNext() const;
  Facet* GetPrev() const;
  // "%d-%d" (plane index, index in plane), "NULL" for none, in one of four buffers used
  // in turn.
  static const char* GetIdText(const Facet* facet);
  void SumVertexPositions(double* out) const;
  // Whether the 3x3 matrix m maps the facet onto itself.
  bool MatchesUnder(const double* m) const;
  bool IsSymmetricUnderHalfTurn(const double* axis) const;
  bool IsAcceptable(uint32_t mask) const;
  bool IsAcceptableWithMirror(uint32_t mask) const;
  bool IsChiral() const { return mMirror && mMirror != this; }
  const double* GetVertexPosition(int i) const;
  // The status-bar text of the facet; empty for none.
  static std::string GetInfoText(const Facet* facet);
  Facet* GetNextInFaceting() const { return static_cast<Facet*>(mNext); }

  double mSquaredArea = 0.0;
  double mTotalTurning = 0.0;
  uint32_t mFlags = 0;
  int32_t mNumVerts = 0;
  int32_t mNumEdgeRecords = 0;
  std::vector<FacetPlaneVert*> mVerts;
  // Fixed once the facet is made: the use lists point into it.
  std::vector<FacetEdgeRecord> mEdgeRecords;
  FacetPlane* mPlane;
  int32_t mDepth = -1;
  int32_t mRotationalOrder = 1;
  Facet* mMirror = nullptr;
  Facet* mNextInPlane = nullptr;
  Facet* mPrevInPlane = nullptr;
  // The vertex classes the facet touches (their leaders), each once.
  std::vector<FacetPlaneVert*> mClassLeaders;
  // The facet's vertices as plane vertex numbers, in the least order over the plane's
  // symmetries, starting points and both directions.
  std::vector<int32_t> mCode;
  int32_t mCreationIndex = 0;
};

// FacetPlane::mFlags.
constexpr uint32_t kPlaneReflexible = 0x2;
constexpr uint32_t kPlaneReflexibleCentral = 0x4;
constexpr uint32_t kPlaneMirrorNext = 0x8;
constexpr uint32_t kPlaneMirrorPrev = 0x10;
constexpr uint32_t kPlaneThroughCentre = 0x20;
constexpr uint32_t kPlaneInPlaneAxis = 0x40;
constexpr uint32_t kPlaneEvenAxisOnMirror = 0x80;

// Where one plane's walk for its facets stands in the walk of all planes, in units of
// work: the estimates of the planes walked before it, of its own and of all; the units
// all the walks so far took, and what they may take.
struct FacetWalkShare {
  double before = 0.0;
  double estimate = 0.0;
  double total = 1.0;
  double spent = 0.0;
  double limit = 0.0;
};

// One plane through three or more model vertices, standing for its orbit.
class FacetPlane : public ListNode {
 public:
  // Appended to the faceting's plane list; normal must be a unit vector.
  FacetPlane(Faceting* faceting, const double* normal, double d, int numRots);
  ~FacetPlane() override;

  FacetPlane* GetNext() const { return static_cast<FacetPlane*>(mNext); }
  FacetPlane* GetPrev() const { return static_cast<FacetPlane*>(mPrev); }
  // The next plane when its mirror image follows, the previous when it precedes, else
  // itself.
  FacetPlane* GetMirrorPlane();
  void AppendFacet(Facet* facet);
  void RemoveFacet(Facet* facet);
  void ToPlane2D(const double* p, double* out) const;
  // A cycle of the plane's vertex numbers in the least order over the plane's
  // symmetries, starting points and both directions: one code per facet.
  std::vector<int32_t> GetCode(const std::vector<int32_t>& cycle) const;
  // The vertex at 2D position (x, y), within 1e-7; null when none.
  FacetPlaneVert* FindVertAt(double x, double y) const;
  // Rotation groups and flipped partners of the vertices; false when the plane's
  // symmetry does not map its vertices onto each other.
  bool GroupVertsOfType();
  // One orbit of plane edges per rotation orbit of vertex pairs.
  bool CreateEdges();
  // The units of work CreateFaces would take, estimated without making any facet.
  double EstimateFaces(int number);
  // The candidate facets (number: the plane's number for the progress caption); false
  // when cancelled, or refused once the walk of all planes has taken what it may.
  bool CreateFaces(int number, FacetWalkShare& share);
  static std::string GetInfoText(const FacetPlane* plane);

  Faceting* mFaceting;
  int32_t mIndex = -1;
  uint32_t mFlags = 0;
  double mNormal[3];
  double mD;
  // The mirror plane of the group perpendicular to this plane (null when none).
  const SymAxis* mMirror = nullptr;
  const SymAxis* mInPlaneAxis = nullptr;
  double mU[3];
  double mW[3];
  double mRelativeHeight = 0.0;
  int32_t mNumRots;
  int32_t mNumVerts = 0;
  int32_t mNumFacets = 0;
  int32_t mNumEdges = 0;
  ListNode* mVertHead = nullptr;
  ListNode* mVertTail = nullptr;
  ListNode* mEdgeHead = nullptr;
  ListNode* mEdgeTail = nullptr;
  Facet* mFacetHead = nullptr;
  Facet* mFacetTail = nullptr;
  int32_t mCreationIndex = 0;
  // An improper operation of the group that maps this plane onto itself (reflexible
  // planes) or onto its mirror-image plane (chiral pairs); column order.
  double mMirrorMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  // The plane's symmetries (rotations about its normal, then the half-turns about axes
  // lying in it) as permutations of its vertex numbers.
  std::vector<std::vector<int32_t>> mSymmetries;
  std::map<std::vector<int32_t>, Facet*> mFacetsByCode;
  std::vector<FacetPlaneVert*> mVertArray;
};

// One level of the search: the facet added there and, for an edge level, the open
// edge whose use list is walked.
struct FacetingSearchLevel {
  enum Kind : uint8_t { kRoot, kPending, kEdge };
  Kind kind = kRoot;
  uint8_t phase = 0;
  FacetingEdge* edge = nullptr;
  FacetEdgeRecord* next = nullptr;
  Facet* cursor = nullptr;   // root level: the last root tried
  Facet* pending = nullptr;  // pending level: the mirror partner tried first
  Facet* added = nullptr;
  Facet* addedMirror = nullptr;
  size_t marksStart = 0;
};

// ---- The engine ------------------------------------------------------------------------

class Faceting : public ModelPart {
 public:
  explicit Faceting(FaceTypeBlock* block);
  ~Faceting() override;
  Faceting(const Faceting&) = delete;
  Faceting& operator=(const Faceting&) = delete;

  // Every field to zero or none; UnitingFace -1.
  void Init();
  // Frees the elements and the search state, then Init.
  void Clear();
  // Takes the current faceting apart. keepIfEmpty: without a current faceting nothing
  // more happens; keepCounts: the counts and the time stay.
  void Reset(bool keepIfEmpty, bool keepCounts);
  bool IsPrepared() const { return mPlaneHead != nullptr; }

  // ---- Told by the model ----
  // The face types went: the elements refer to them.
  void FaceTypesCleared() override { Clear(); }
  // The drawn polygons changed under the current faceting.
  void DrawnPolygonsReset() override { Reset(false, false); }
  // The user began a new facet: no facet or edge is current.
  void SelectionCleared() override {
    mCurrentFacet = nullptr;
    mCurrentEdge = nullptr;
  }

  // ---- Preparation ----
  // CreateFaceting for the block's model unless the elements are built (for the
  // criteria now in force). A preparation refused for these criteria is not run again:
  // the refusal is given again at once.
  bool Prepare();
  // False when the preparation was cancelled or refused: TakePreparationOutcome says
  // which. The counts of an interrupted enumeration outlive it either way.
  bool CreateFaceting(Poly* poly, FaceType* firstVertexType);
  // What the last preparation that did not finish came to, for the command that asked
  // for it to tell and to undo nothing: cancelled, or refused in words (more memory
  // than the preparation can have, or vertices too nearly in symmetric places for
  // their planes to be matched with their images); done otherwise. Reading it forgets
  // it.
  Outcome TakePreparationOutcome();
  // Counts bytes the preparation is about to hold; false, with the refusal kept, when
  // they would take it past the memory it can have (platform::WorkMemoryLimit, read
  // when it began).
  bool Hold(double bytes);
  // Ends the preparation with the refusal in the user's words (the first one met).
  bool Refuse(const std::string& text);
  bool CreateEdges();
  bool CreatePlanes();
  // A new plane's vertices: a and b first (when given), then every other vertex in it.
  bool AddVerts(FacetPlane* plane, PolyElement* a, PolyElement* b);
  // False, refused, when an edge has no mirror image among the edges.
  bool FindChiralEdges();
  bool CreateFaces();
  bool FinishFacets();
  bool LabelSpikyFacets();
  // The edge onto whose ends a rotation maps the two points; reversed is set when the
  // points map onto the ends the other way round.
  FacetingEdge* FindEdge(const double* a, const double* b, bool* reversed = nullptr) const;
  double GetRelativeHeight(const double* normal, double d) const;

  // ---- The current faceting ----
  void AddFacet(Facet* facet);
  void AddFacetWithMirror(Facet* facet);
  void RemoveFacet(Facet* facet);
  Facet* GetFirstFacetInFaceting() const { return static_cast<Facet*>(mFacetingHead); }
  Facet* GetFirstFacet() const;
  Facet* GetLastFacet() const;

  // ---- Search ----
  bool FindNextFaceting();
  bool FindPrevFaceting();
  // True when the last FindNextFaceting, or the last browse step, stopped because the
  // user cancelled a search: the step ended there, with the facets drawn as they were.
  bool WasCancelled() const { return mSearchCancelled; }
  // 1 yes, 0 no, 2 only as a compound with its mirror image.
  int IsAcceptableFaceting() const;
  FacetingEdge* ChooseOpenEdge() const;
  bool EnumerateFacetings();
  void GetCurrentFacetsText(char* buffer, int size) const;
  std::string GetStateText() const;
  // The report of the enumeration command.
  std::string GetEnumerationReport(bool cancelled) const;
  // The enumeration command: enumerates, shows the report, and after a complete run
  // sets the counts back to zero. False when cancelled or not prepared.
  bool EnumerateAndReport();

  // ---- Where the faceting shown stands ----
  // Its number in the order the steps find them: 0 with the search at its start, -1
  // when not known (it came from drawn facets, or the settings changed under the
  // search).
  int64_t GetShownNumber() const;
  // The number of facetings under the settings in force, once a step forward or a
  // count went through them all; -1 until then.
  int64_t GetKnownTotal() const;
  // "Faceting 3 of 11: facets 2-0, 5-1' (Dodecadodecahedron)" (the number and the
  // count when known, the facets by plane and place, a prime on a chiral one, and the
  // name of the model they make when the library holds it: the faceting must be shown
  // as the model's drawn facets for that); empty without a faceting.
  std::string DescribeShownFaceting() const;

  // ---- Browsing ----
  bool StartFromDrawnFaces();
  bool PrepareStep();
  void StepForward();
  void StepBack();
  void GoToFirst();
  void GoToLast();
  // The plane of a drawn polygon: exact is cleared when no plane matched; rotation (when
  // given) receives the rotation that maps the polygon into the plane.
  FacetPlane* FindPlaneOfPolygon(const DrawnPolygon* polygon, bool* exact, double* rotation) const;
  Facet* FindFacetOfPolygon(const DrawnPolygon* polygon, bool* exact) const;
  bool SelectEdge(FacetingEdge* edge);
  bool SelectFacet(Facet* facet);
  void ShowInfoText() const;

  Poly* GetModel() const;

  FaceTypeBlock* mBlock;
  Poly* mModel = nullptr;
  FaceType* mVertexTypes = nullptr;
  int32_t mNumVertexTypes = 0;
  int32_t mUsedVertexTypes = 0;
  std::vector<int32_t> mVertexTypeUseCounts;
  int32_t mNumEdges = 0;
  int32_t mNumOpenEdges = 0;
  int32_t mNumPlanes = 0;
  int32_t mNumFacets = 0;
  int32_t mFacetsInFaceting = 0;
  int32_t mNumUnmatchedChirals = 0;
  int32_t UnitingFace = -1;
  uint8_t isChiralCompound = 0;
  FacetingEdge* mEdgeHead = nullptr;
  FacetingEdge* mEdgeTail = nullptr;
  ListNode* mOpenHead = nullptr;
  ListNode* mOpenTail = nullptr;
  FacetingEdge* mCurrentEdge = nullptr;
  ListNode* mPlaneHead = nullptr;
  ListNode* mPlaneTail = nullptr;
  ListNode* mFacetingHead = nullptr;
  ListNode* mFacetingTail = nullptr;
  Facet* mCurrentFacet = nullptr;
  std::vector<FacetingSearchLevel> mStack;
  BigUInt mNumFound;
  BigUInt mNumChirals;
  BigUInt mNumCompounds;
  TimeSpan mElapsed;

  // ---- Work state of our own ----
  // The criteria the elements were built for (-1: not built).
  int32_t mPreparedCriteria = -1;
  // The model's rotations, identity first (column order).
  std::vector<double> mRotations;
  // Facets marked as tried, in the order marked; each search level owns a tail.
  std::vector<Facet*> mMarks;
  // The next search step takes the current faceting apart before going on.
  bool mResumeByBacktracking = false;
  bool mSearchCancelled = false;
  int64_t mSearchPasses = 0;
  // Criteria 0: the facet whose faceting is current.
  Facet* mPosition = nullptr;
  // Restricts the search to facets marked by drawn polygons.
  bool mOnlyMarked = false;
  int32_t mNumPlanesCreated = 0;
  int32_t mNumEdgesCreated = 0;
  int32_t mNumFacetsCreated = 0;
  // The preparation's memory: the bytes its records take so far, and what it may take.
  double mBytesHeld = 0.0;
  double mBytesAllowed = 0.0;
  // The units of work the walk of the planes for their facets took
  // (FacetPlane::EstimateFaces).
  double mWalkUnits = 0.0;
  // Why the preparation was refused (empty: it was not), and under which criteria.
  std::string mRefusal;
  int32_t mRefusedCriteria = -1;
  // What the last preparation came to, until read.
  Outcome mPrepared;

 private:
  // The settings a faceting's number or the count of facetings hold under.
  struct CountKey {
    int criteria = -1;
    int minFacetTypes = 0;
    int maxFacetTypes = 0;
    uint32_t options = 0;
    bool reflexible = false;
    bool operator==(const CountKey&) const = default;
  };
  static CountKey CurrentCountKey();
  // A browse step of the facetings from the faceting numbered before: found one (the
  // next forwards, the previous backwards) or none; the pane says where it stands.
  void NoteStep(bool found, int64_t before, bool forwards);
  void SetShownNumber(int64_t number);
  // Shows the faceting as the model's drawn facets and tells the pane which it is.
  void TellShownFaceting(bool forwards);
  int64_t mShownNumber = 0;
  int64_t mKnownTotal = -1;
  CountKey mNumberKey;
  CountKey mTotalKey;

  friend class FacetPlane;
  enum class SearchStep { kAdvance, kBacktrack };
  void MarkTried(Facet* facet, int level);
  void PopLevel();
  SearchStep AfterAdd(Facet* added, bool fromPending, bool* found);
  SearchStep ChooseEdgeOrComplete(bool* found);
  // 1: a faceting found, 0: none further (or, restricted to marked facets, stuck),
  // -1: cancelled.
  int RunSearch(SearchStep step);
  bool MakeChiralCompound();
  void RemoveMirrorHalf();
  bool FindNextIsohedral(bool backwards);
  bool FindNextInSearch();
  void BuildFromMarked(Facet* root, bool compound);
  void ReleaseEdge(FacetingEdge* edge);
  void OpenEdge(FacetingEdge* edge, FacetEdgeRecord* record);
  void CloseEdge(FacetingEdge* edge, FacetEdgeRecord* record, bool both);
  void CollectRotations();
  bool ShowRefusal();
};

}  // namespace corvia
