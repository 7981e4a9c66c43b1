#pragma once
// Stellation diagrams: the pattern that the planes of all other faces cut into the
// plane of one face type's representative face, worked in that face's 2D frame (origin
// at the face centre).
//
// The diagram is a planar subdivision: lines (one per distinct trace of a cutting
// plane), points where lines cross, regions (segments) each bounded by a ring of
// corners (SegVert), and facets, the classes of segments that the face type's rotations
// carry onto each other. A SegVert is a corner of its segment and also the directed
// edge that leaves it towards the next corner; segment rings run counter-clockwise in
// the face frame, so a segment lies on the left of its edges. Corners outside the
// trimmed diagram have no segment and form the outer ring.
//
// A line's run of corners has two ends: its first corner starts at one end point and
// runs along the line, its last corner starts at the other end point and runs back.
// Stepping along a line (SegVert::GetNextAlongLine) from either end walks the whole run.
//
// Every record is a plain structure owned by its face type, allocated from the type's
// stellation pools and freed all at once by FaceType::ClearStellationDiagram.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/Outcome.h"
#include "core/Tolerances.h"
#include "model/BlockPool.h"
#include "model/ModelPart.h"

namespace corvia {

class FaceType;
class FaceTypeBlock;
class PolyElement;
struct StellationCell;
struct StellationLine;
struct StellationPoint;
struct SegVert;
struct StellationSegment;
struct StellationFacet;

// ---- StellationLine::mFlags --------------------------------------------------------
constexpr uint32_t kLineSameDirection1 = 0x1;    // the first linked line runs the same way
constexpr uint32_t kLineSameDirection2 = 0x2;    // the second linked line runs the same way
constexpr uint32_t kLineMostlyHorizontal = 0x8;  // abs(a) < abs(b): crossings compare x
constexpr uint32_t kLineInMirrorPlane = 0x10;    // lies in a mirror plane of the model
constexpr uint32_t kLineHemiJoin = 0x80;         // joins two faces through the centre
constexpr uint32_t kLineThroughCentre = 0x100;   // passes through the face centre

// ---- StellationPoint::mFlags -------------------------------------------------------
constexpr uint32_t kPointSingle = 0x1;     // one vertex, not copied by the symmetry (a centre at the origin)
constexpr uint32_t kPointOnAxis = 0x2;     // lies on a symmetry axis
constexpr uint32_t kPointAxisKind0 = 0x4;  // ... of the group's first axis type
constexpr uint32_t kPointAxisKind1 = 0x8;  // ... of the second; neither: the third
constexpr uint32_t kPointAxisBits = kPointSingle | kPointOnAxis | kPointAxisKind0 | kPointAxisKind1;
constexpr uint32_t kPointUsed = 0x10;     // decided by the current stellation's vertex count
constexpr uint32_t kPointCounted = 0x20;  // a vertex of the current stellation, counted
constexpr uint32_t kPointOuter = 0x40;    // on the bounding square while the diagram is built

// ---- SegVert::mFlags ---------------------------------------------------------------
constexpr uint32_t kSegVertOriginalEdge = 0x200;   // lies on an edge of the original model
constexpr uint32_t kSegVertOriginalEdge2 = 0x400;  // ... marked the other way round
constexpr uint32_t kSegVertTwoFoldMiddle = 0x800;  // the middle of the edge lies on a 2-fold axis
constexpr uint32_t kSegVertUsed = 0x1000;          // an edge of the current stellation
constexpr uint32_t kSegVertWork = 0x2000;          // work mark cleared with kSegVertUsed

// ---- StellationSegment::mMarks -----------------------------------------------------
constexpr uint32_t kSegmentMarked = 0x1;  // visited by a walk over joined segments

// ---- StellationFacet::mFlags -------------------------------------------------------
constexpr uint32_t kFacetVisible = 0x1;        // part of the current stellation's surface
constexpr uint32_t kFacetFacesDown = 0x2;      // the surface's outside faces down the face normal
constexpr uint32_t kFacetBothSides = 0x4;      // drawn on both sides of a face
constexpr uint32_t kFacetHidden = 0x8;         // between two included cells
constexpr uint32_t kFacetMirrorFirst = 0x10;   // first member of a mirror pair
constexpr uint32_t kFacetMirrorSecond = 0x20;  // second member of a mirror pair
constexpr uint32_t kFacetCollected = 0x40;     // collected for the cell being built
constexpr uint32_t kFacetHemi = 0x80;          // lies on a face through the centre
constexpr uint32_t kFacetOnAxis = 0x100;       // lies on a symmetry axis
constexpr uint32_t kFacetAxisKind0 = 0x200;
constexpr uint32_t kFacetAxisKind1 = 0x400;
constexpr uint32_t kFacetOriginal = 0x800;       // lies on a face of the original model
constexpr uint32_t kFacetRegionTop = 0x1000;     // the original surface's outside faces up
constexpr uint32_t kFacetRegionBottom = 0x2000;  // ... faces down
constexpr uint32_t kFacetSideAbove = 0x4000;     // collected with the cell above it
constexpr uint32_t kFacetSideBelow = 0x8000;     // collected with the cell below it
constexpr uint32_t kFacetSelfCell = 0x10000;     // both sides belong to one cell

// The draw states of StellationFacet::GetDrawState.
constexpr int kFacetStateOutside = 0;   // on the surface, facing out
constexpr int kFacetStateInside = 1;    // on the surface, facing in
constexpr int kFacetStateHidden = 2;    // between included cells
constexpr int kFacetStateExcluded = 3;  // between excluded cells

// ---- Records -----------------------------------------------------------------------

// One line a x + b y + c = 0 of a diagram, the trace of one or more cutting planes.
struct StellationLine {
  FaceType* mOwner = nullptr;
  double mA = 0.0;
  double mB = 0.0;
  double mC = 0.0;
  uint32_t mFlags = 0;
  SegVert* mFirst = nullptr;
  SegVert* mLast = nullptr;
  // The cutting face's normal crossed with the face type's normal (zero for the
  // bounding lines).
  double mDirection[3] = {0.0, 0.0, 0.0};
  // The first two are the extreme planes through the line by the plane measure; the
  // third keeps one more.
  PolyElement* mPlaneFaces[3] = {nullptr, nullptr, nullptr};
  double mMeasures[2] = {0.0, 0.0};
  // The lines this face type's plane makes in the diagrams of the first and second
  // plane faces.
  StellationLine* mLinked[2] = {nullptr, nullptr};
  StellationLine* mNext = nullptr;

  // Owner, equation, flags and direction; the cutting face becomes the first and second
  // plane face.
  void Init(FaceType* owner, const double* equation, PolyElement* cuttingFace, StellationLine* next);
  // Position in the owner's line list; -1 for none, -2 when absent.
  static int GetIndex(const StellationLine* line);
  // Whether the element is (coplanar with) one of the plane faces.
  bool HasPlaneFace(const PolyElement* element) const;
  // Signed squared sine of the angle between the face's plane and the owner's plane,
  // negative when the face turns against the line's direction.
  double PlaneMeasure(const PolyElement* face) const;
  double Evaluate(double x, double y) const { return mA * x + mB * y + mC; }
  bool YAtX(double x, double* y) const;
  bool XAtY(double y, double* x) const;
  // Whether the line lies in a mirror plane of the model (cached in kLineInMirrorPlane
  // on either linked line).
  bool LiesInMirrorPlane(const FaceType* type) const;
};

// A point of a diagram where lines meet.
struct StellationPoint {
  uint32_t mFlags = 0;
  FaceType* mOwner = nullptr;
  double mX = 0.0;
  double mY = 0.0;
  // Free for the facelet model: 1 + the index of the point's vertex group, 0 for none.
  int32_t mSpare = 0;
  // Next point of the ring of points that stand for the same vertex of the stellation.
  StellationPoint* mCoincident = nullptr;
  StellationPoint* mNext = nullptr;

  void Init(FaceType* owner, double x, double y, StellationPoint* next);
  // Position in the owner's outer, then inner point list; -1 for none, -2 when absent.
  static int GetIndex(const StellationPoint* point);
  // 0 for a centre at the origin or the first axis type, 1 for the second, 2 for the
  // third; -1 when the point lies on no axis.
  int GetSymmetryKind() const;
  // How many vertices of the model the point stands for.
  int GetNumCopies() const;
};

// One corner of a segment and the directed edge from it to the next corner.
struct SegVert {
  uint32_t mFlags = 0;
  StellationSegment* mSegment = nullptr;
  StellationLine* mLine = nullptr;
  SegVert* mTwin = nullptr;
  // The corner of the linked diagram that stands for the same 3D edge on the side
  // below this face's plane (SetNeighPointers).
  SegVert* mNeighbour = nullptr;
  StellationPoint* mPoint = nullptr;
  SegVert* mNext = nullptr;
  SegVert* mPrev = nullptr;
  // Which plane face of the line (0 or 1) the neighbour lies in.
  uint8_t mNeighbourPlane = 0;

  void Init(StellationSegment* segment, StellationLine* line, StellationPoint* point);
  StellationFacet* GetFacet() const;
  // The layer of the edge: the larger facet layer of its two sides, one more than the
  // only side's, 0 with none.
  int GetLayer() const;
  // The corner of the neighbouring diagram at the same 3D edge, on the side below this
  // face's plane (down) or above it: the neighbour, or the twin of the twin's neighbour.
  SegVert* GetAdjacent(bool down) const;
  // The plane face in which GetAdjacent (down) lies.
  PolyElement* GetAdjacentPlane(bool down) const;
  SegVert* GetAdjacentReverse(bool down) const { return GetAdjacent(!down); }
  // From the end of this corner's edge, the corner that goes on along the line (the
  // same direction); null at the end of the line.
  SegVert* GetNextAlongLine(const StellationLine* line) const;
  // The crossing of the edge with the line, within the edge's extent along its major
  // axis (3e-8 of slack).
  bool CrossesLine(const StellationLine* line, double* x, double* y) const;
  bool IsAtPoint(double x, double y) const;
  int CountEdgesAtPoint() const;
  // Position in its segment's ring, counted from the segment's first corner; -1 without
  // a segment.
  int GetIndexInSegment() const;
  // Diagnostic labels, in rotating buffers (up to four may be held at once).
  const char* GetName() const;
  const char* GetLongName() const;
};

// A region of the diagram.
struct StellationSegment {
  StellationFacet* mFacet = nullptr;
  // For the segments of one facet, the first corners correspond under the rotations.
  SegVert* mFirst = nullptr;
  StellationSegment* mNext = nullptr;
  StellationSegment* mPrev = nullptr;
  uint32_t mMarks = 0;

  void Init(SegVert* first) { mFirst = first; }
  int CountCorners() const;
  void GetCentroid(double* out) const;
  // Some corner's twin has no segment.
  bool TouchesOutside() const;
  // Corners whose twin's segment does not touch the outside.
  int CountInnerCorners() const;
  // Clears the walk marks of this segment and, recursively, of the marked segments
  // joined to it.
  void ClearMarks();
};

// A class of segments that the face type's rotations carry onto each other.
struct StellationFacet {
  FaceType* mOwner = nullptr;
  int32_t mNumber = 0;
  StellationCell* mCellBelow = nullptr;
  StellationCell* mCellAbove = nullptr;
  int32_t mLayer = 0;
  uint32_t mFlags = 0;
  uint32_t mSpare = 0;
  StellationFacet* mMirror = nullptr;
  StellationFacet* mHemiPartner = nullptr;
  // One segment per rotation of the face type; a facet round the centre holds only the
  // first.
  StellationSegment** mSegments = nullptr;
  StellationFacet* mNext = nullptr;
  StellationFacet* mPrev = nullptr;
  StellationFacet* mNextVisible = nullptr;

  // Appended to the owner's list of all facets.
  void Init(FaceType* owner, int32_t number, int32_t layer, StellationSegment** segments);
  StellationFacet* GetMirrorPartner() const { return mMirror; }
  // Pairs both ways; this becomes the first of the pair.
  void SetMirrorPartner(StellationFacet* other);
  void SetSegment(int rotation, StellationSegment* segment);
  bool IsVisible() const { return (mFlags & kFacetVisible) != 0; }
  // On: pushed on the owner's visible list (clears kFacetHidden); off: removed from it
  // (clears bits 0 to 2).
  void SetVisible(bool on);
  int GetDrawState() const;
  const char* GetName() const;
  // The segment of rotation k (null when the facet holds only the first).
  StellationSegment* GetSegment(int k) const;
  // The corner of rotation k that corresponds to corner j of the first segment.
  SegVert* GetCorner(int k, int j) const;
};

// Order by layer, then by number.
int CompareFacetsByLayer(const StellationFacet* a, const StellationFacet* b);

// The records of one face type's diagram.
struct StellationDiagramPools : ModelPart {
  BlockPool<StellationLine> mLines;
  BlockPool<StellationPoint> mPoints;
  BlockPool<SegVert> mSegVerts;
  BlockPool<StellationSegment> mSegments;
  BlockPool<StellationFacet> mFacets;
  BlockPool<StellationSegment*> mFacetSegments;
  // The tail of the owner's list of all facets.
  StellationFacet* mLastFacet = nullptr;
  // The sides of the bounding square while the diagram is built: y = -R, x = R, y = R,
  // x = -R.
  StellationLine* mBoundingLines[4] = {nullptr, nullptr, nullptr, nullptr};
  // In a diagram made by equations (CreateStellationDiagram), a point lies on a line
  // when the determinant of the line's equation with those of two lines through the
  // point is within this share of its size (the constant terms taken as shares of
  // mMeetScale, the model's size); 0 where points are placed against lines by their
  // coordinates.
  double mMeetTolerance = 0.0;
  double mMeetScale = 1.0;
};
// The type's records, made (and the block's stellation record with them) the first time
// the type's diagram is built.
StellationDiagramPools& StellationPoolsOf(FaceType* type);

// Marks, once, the diagram edges and points used by the current stellation and stores
// the number of its vertices in the block; a block not stellated counts none. Its
// callers stellate the block first (Stellate) and tell what that set-up gave.
void MarkAllUsedSegVerts(FaceTypeBlock* block);

// Segments of one diagram found by their centroid, for the rotated and mirrored images
// of segments: the nearest centroid within the mirror tolerance, grown with the
// distance from the centre (null when none lies so near).
class SegmentLocator {
 public:
  explicit SegmentLocator(FaceType* type);
  StellationSegment* Find(double x, double y) const;

 private:
  struct Entry {
    double centroid[2] = {0.0, 0.0};
    StellationSegment* segment = nullptr;
  };
  std::vector<Entry> mEntries;
};

// ---- Line arithmetic ----------------------------------------------------------------

// The crossing of two lines; false when they are parallel (determinant within 1e-7).
// Coordinates within 1e-7 of 0 become 0.
bool IntersectLines(const StellationLine* a, const StellationLine* b, double* x, double* y);

// ---- Diagrams (StellationDiagram.cpp) ----------------------------------------------------

// The lines the planes of the other faces cut in the plane of the type's first face.
// False, refused in *why (when given) with the words that say why, when two of them
// nearly but not quite coincide or one lies far outside the model: planes that no
// diagram can tell apart.
bool CreateLines(FaceType* type, Outcome* why = nullptr);
// Builds the whole diagram of the face type (the i-th of n, for the progress caption).
// True when it exists or is not needed; false on cancel or failure (a refusal in *why
// when given), the diagram then trimmed or cleared. Points are placed against lines by
// their coordinates, or byEquations by the equations of the lines through them, where
// the model's corners lie on the planes of their faces to about the arithmetic's
// rounding (else refused). *equationsMayPart (when given) true where a line could not
// be threaded by coordinates through crossings too near together for them, in a model
// whose diagrams may be made by equations.
bool CreateStellationDiagram(FaceType* type, int i, int n, Outcome* why = nullptr, bool byEquations = false,
                             bool* equationsMayPart = nullptr);
// Whether the diagrams of the type's model may be made by equations (byEquations of
// CreateStellationDiagram).
bool DiagramsMayUseEquations(const FaceType* type);
// Threads the line through the diagram; false when it cannot, where it meets points
// of the diagram nearer together than the diagram tells apart (the subdivision may
// then be inconsistent).
bool InsertLine(FaceType* type, StellationLine* line);
// Removes the regions that reach the bounding square; false when nothing bounded is
// left (refused in *why when given).
bool DeleteOuterSegments(FaceType* type, Outcome* why = nullptr);
int CountLines(const FaceType* type);
// The side of the line (1 where its equation is positive, -1, or 0 on it) on which the
// corner's point lies: by the equations of the lines through the point where the
// diagram has a meet tolerance (StellationDiagramPools), else by its coordinates
// (within 1e-7).
int SideOfLine(const StellationLine* line, const SegVert* corner);
// Among the corners round the corner's point, the first (stepping twin, then next) whose
// far end lies on the other side of the line than the start's far end (SideOfLine).
SegVert* FindEdgeAroundVertex(SegVert* corner, const StellationLine* line);
// Joins the coincident rings of two points.
void JoinCoincidentLists(StellationPoint* a, StellationPoint* b);

// ---- Linking, facets and coincident vertices (StellationLinking.cpp) ----------------------

// Links every line of the type to the lines it makes in the diagrams of its plane faces;
// false after "Couldn't find line in other plane".
bool LinkLines(FaceType* type, int* lineCounter, int numLines);
// False, refused in *why when given, when two diagrams cut one line differently.
bool SetNeighPointers(FaceType* type, Outcome* why = nullptr);
// The words of a refusal of diagrams that disagree on their crossings, for the model.
const char* CrossingsDisagree(const FaceType* type);
bool CreateFacets(FaceType* type);
bool JoinCoincidentVertices(FaceType* type, int i, int n);
// The face whose frame a face reads its diagram in: itself, or for a face of a coplanar
// copy the first face of the diagram's type after it round its coplanar ring (itself
// where none is). Found for the faces of a whole ring in one read of it, kept for the
// faces the walk of one marking meets. The type is the face's diagram type (its own or
// its coplanar master).
class DiagramFrameFaces {
public:
  // Room for the faces of a list of the size, kept by their places in it.
  explicit DiagramFrameFaces(size_t faces);
  PolyElement* Of(PolyElement* face, const FaceType* type);

private:
  PolyElement* Known(const PolyElement* face) const;
  void Keep(const PolyElement* face, PolyElement* frame);
  std::vector<const PolyElement*> mOwners;
  std::vector<PolyElement*> mFrames;
  // Faces whose place does not name them alone.
  std::unordered_map<const PolyElement*, PolyElement*> mOthers;
};
// Marks the corners on the original model's edges, from the face outwards; the corner of
// the highest layer met, or null. The walk crosses no edge between faces of one plane.
SegVert* MarkOriginalEdges(PolyElement* face, uint32_t flag, DiagramFrameFaces& frames);
// Sets the symmetry-axis flags of the type's inner points from where they lie in space.
void MarkPointsOnAxes(FaceType* type);

// ---- Shared helpers ---------------------------------------------------------------
// The point (x, y) of one face's 2D frame, carried by the matrix (none: the identity)
// and seen in another face's frame: out[0], out[1] in its plane, out[2] the height above.
void MapFramePoint(const PolyElement* from, const double* matrix, const PolyElement* to, double x, double y,
                   double* out);
// One of four buffers of 32 characters used in turn, for the names of the records: a
// message may hold up to four names at once.
char* NextStellationNameBuffer();
constexpr size_t kStellationNameSize = 32;

// ---- Frames for net drawing --------------------------------------------------------

// A face's frame as two in-plane axes and an origin, in a 4x4 column form.
void FrameFromFace(double* frame, const PolyElement* face);
// out = the frame after a 2D affine map m (m0 m1 / m2 m3 and the offset m4 m5).
void ComposeFrame(double* out, const double* frame, const double* m);
// origin + x axis1 + y axis2.
void MapPointThroughFrame(double* out, const double* frame, double x, double y);

}  // namespace corvia
