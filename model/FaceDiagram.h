#pragma once
// A planar arrangement of tagged segments: the face diagram.
//
// Segments in one plane, each tagged with the source it came from (a face, an item
// answered through callbacks, or a coloured loop record), are cut against each other
// at every crossing, touch and overlap. The result is a set of closed regions (loops)
// and, for every region, how many times each source winds round it. Regions covered
// by exactly the same sources form the cells (FaceDiagramCells.h) through which faces
// are filled and measured.
//
// Every record comes from the block pools of the diagram's work pool set; only the
// cells, their triangles and the result's points go to the result pool set.

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/BlockPool.h"

namespace corvia {

class PolyElement;
struct DiagramCell;
struct CellTriangles;
struct DiagramSourceCallbacks;

// An opaque source identifier (a Face, a callback item, a coloured loop record);
// 0 is no source.
using DiagramSource = uintptr_t;

// What the sources of a diagram are.
constexpr int32_t kDiagramSourceNone = -1;
constexpr int32_t kDiagramSourceFaces = 0;
constexpr int32_t kDiagramSourceCallbacks = 1;
constexpr int32_t kDiagramSourceLoops = 2;

// Coordinates of "no point" and the start of bounding-box searches.
constexpr double kDiagramNoPoint = 9.99999e99;

// FaceDiagram::Finish flags.
constexpr uint32_t kDiagramFinishFilled = 0x1;
constexpr uint32_t kDiagramFinishEvenOdd = 0x2;
constexpr uint32_t kDiagramFinishSecondColour = 0x4;
constexpr uint32_t kDiagramFinishKeepEdges = 0x8;

// HalfEdge::flags.
constexpr uint32_t kHalfEdgeReversed = 0x2;  // the twin made second: the reversed half
constexpr uint32_t kHalfEdgeRemoved = 0x8;

// DiagramEdge::flags.
constexpr uint32_t kDiagramEdgeVisited = 0x1;
constexpr uint32_t kDiagramEdgeOverlapping = 0x2;  // more than one given segment lies on it

// DiagramLoop::flags.
constexpr uint32_t kLoopVisited = 0x1;
constexpr uint32_t kLoopClockwise = 0x2;   // the outer boundary of a connected component
constexpr uint32_t kLoopDegenerate = 0x4;  // no net turn
constexpr uint32_t kLoopPlaced = 0x8;      // placed in the nesting tree
constexpr uint32_t kLoopFirstOfCell = 0x10;

// DiagramComponent::flags.
constexpr uint32_t kComponentNested = 0x1;

// Sorted (by source position) list of winding counts.
struct WindingNode {
  int32_t source = 0;  // position of the source in the diagram's source table
  int32_t count = 0;
  WindingNode* next = nullptr;
};

struct DiagramVertex {
  DiagramVertex* next = nullptr;
  DiagramVertex* prev = nullptr;
  int32_t index = -1;  // -1 until numbered
  double x = 0.0;
  double y = 0.0;
  HalfEdge* firstOut = nullptr;  // one half-edge that starts here
};

struct HalfEdge {
  HalfEdge* next = nullptr;  // next half-edge of its loop (turns at the end vertex)
  HalfEdge* prev = nullptr;
  DiagramEdge* edge = nullptr;
  DiagramLoop* loop = nullptr;
  HalfEdge* twin = nullptr;
  DiagramVertex* start = nullptr;
  uint32_t flags = 0;
  // Change of winding from this half's loop (on its left) to its twin's loop. The
  // stored half owns the list; the reversed half reads it negated.
  WindingNode* winding = nullptr;
  HalfEdge* overlap = nullptr;
  HalfEdge* listNext = nullptr;
  HalfEdge* listPrev = nullptr;
  double angle = 0.0;  // direction round the start vertex
};

// One edge of the arrangement, shared by both halves.
struct DiagramEdge {
  DiagramVertex* start = nullptr;
  DiagramVertex* end = nullptr;
  int32_t source = -1;  // position of the first source laid on it
  HalfEdge* first = nullptr;
  uint32_t flags = 0;
  DiagramEdge* prev = nullptr;
};

struct DiagramComponent;

struct DiagramLoop {
  DiagramLoop* next = nullptr;
  DiagramLoop* prev = nullptr;
  uint32_t flags = 0;
  HalfEdge* first = nullptr;
  WindingNode* winding = nullptr;
  DiagramLoop* sibling = nullptr;     // next bounded loop of the same component
  DiagramLoop* firstChild = nullptr;  // clockwise loop: the component's first bounded loop
  DiagramComponent* component = nullptr;
  DiagramComponent* firstNested = nullptr;  // bounded loop: components nested inside it
  int32_t numEdges = 0;
  int32_t cell = -1;
};

struct DiagramComponent {
  DiagramLoop* outer = nullptr;  // the clockwise loop
  DiagramComponent* next = nullptr;
  DiagramComponent* nestedNext = nullptr;  // next component nested in the same region
  DiagramLoop* region = nullptr;           // the region it is nested in
  double minX = kDiagramNoPoint, minY = kDiagramNoPoint;
  double maxX = -kDiagramNoPoint, maxY = -kDiagramNoPoint;
  double boxArea = 0.0;
  uint32_t flags = 0;
};

struct DiagramSourceEntry {
  DiagramSource source = 0;
  double area = 0.0;  // area covered by the source
  int32_t position = 0;
};

struct DiagramPoint {
  double x = 0.0;
  double y = 0.0;
};

// What outlives a diagram: its cell count, the cells' triangles and the points they
// index.
struct FaceDiagramResult {
  int32_t mSourceKind = kDiagramSourceNone;
  int32_t mNumCells = -1;  // -1: none built
  CellTriangles* mTriangles = nullptr;
  DiagramPoint* mPoints = nullptr;
  int32_t mNumPoints = 0;

  void Reset() { *this = FaceDiagramResult(); }
};

// ---- Winding lists ---------------------------------------------------------------------
void AddWinding(WindingNode*& list, int32_t source, int32_t count, BlockPool<WindingNode>& pool);
// Adds every count of other (negated with negate) to list.
void AddWindingList(WindingNode*& list, const WindingNode* other, bool negate, BlockPool<WindingNode>& pool);
// A copy of list without the sources whose counts are zero.
WindingNode* CopyWindingList(const WindingNode* list, BlockPool<WindingNode>& pool);
void DropZeroWindings(WindingNode*& list);
bool WindingListsEqual(const WindingNode* a, const WindingNode* b);
// Three-way order: node by node by count, then by source; a shorter list first.
int CompareWindingLists(const WindingNode* a, const WindingNode* b);
int32_t GetWindingOf(const WindingNode* list, int32_t source);

class FaceDiagram {
 public:
  FaceDiagram(FaceDiagramWorkPools* workPools = nullptr, FaceDiagramResultPools* resultPools = nullptr);
  FaceDiagram(const FaceDiagram&) = delete;
  FaceDiagram& operator=(const FaceDiagram&) = delete;

  void Init(int32_t kind, const DiagramSourceCallbacks* callbacks);
  // Clears every field and rewinds the work pools for reuse.
  void Reset();
  void SetPools(FaceDiagramWorkPools* workPools, FaceDiagramResultPools* resultPools);

  DiagramVertex* FindOrCreateVert2D(const double* point, bool& created);
  void AddEdge(DiagramSource source, const double* from, const double* to);
  // Cuts the segments into the arrangement, forms loops, nesting and windings, then
  // the cells and their colours. ownerFace: a face whose coplanar ring receives copies
  // of the cells (null for none).
  void Finish(uint32_t flags, PolyElement* ownerFace);

  // Loops and windings of the segments added so far (Finish calls it).
  void CreateLoops();

  // Position of the source in the source table (entered when new).
  int32_t EnterSource(DiagramSource source);
  // Rewinds the work pools after a build; the diagram keeps only its cells.
  void ReleaseWorkRecords();
  // Whether the last CreateLoops found a consistent arrangement.
  bool LoopsFailed() const { return mLoopsFailed; }

  FaceDiagramWorkPools* mWorkPools;
  FaceDiagramResultPools* mResultPools;
  int32_t mSourceKind = kDiagramSourceNone;
  const DiagramSourceCallbacks* mCallbacks = nullptr;

  int32_t mNumCells = 0;
  DiagramCell* mCells = nullptr;
  CellTriangles* mTriangles = nullptr;

  DiagramLoop* mFirstLoop = nullptr;
  DiagramLoop* mLastLoop = nullptr;
  DiagramComponent* mFirstComponent = nullptr;
  HalfEdge* mFirstHalfEdge = nullptr;
  HalfEdge* mLastHalfEdge = nullptr;
  DiagramVertex* mFirstVertex = nullptr;
  DiagramVertex* mLastVertex = nullptr;
  DiagramEdge* mFirstEdge = nullptr;
  int32_t mNumVertices = 0;
  int32_t mNumLoops = 0;
  int32_t mNumComponents = 0;

  DiagramSourceEntry* mSources = nullptr;
  int32_t mNumSources = 0;
  int32_t mSourceCapacity = 0;

 private:
  struct Segment {
    DiagramVertex* from;
    DiagramVertex* to;
    int32_t source;
  };
  void InsertChild(DiagramComponent* container, DiagramComponent* component);
  void AddWindingToNested(DiagramComponent* component, const WindingNode* winding, int depth);
  void LinkHalfEdge(HalfEdge* h);
  void ClearLoops();

  // Visits the pairs of segments whose boxes may meet within the tolerance, each as
  // (i, j) with i < j, in that order.
  template <typename Visit>
  void ForEachNearSegmentPair(Visit visit) const;
  void ForgetVerticesAndSources();

  std::vector<Segment> mSegments;  // the segments as given, cut in CreateLoops
  bool mLoopsFailed = false;
  // The vertices filed under squares of a few tolerances (FindOrCreateVert2D), each
  // square's in a chain through mVertexChain, and the sources by their position in the
  // table (EnterSource): a diagram of a plane of many faces finds each in a step.
  std::unordered_map<uint64_t, int32_t> mVertexSquares;
  std::vector<std::pair<DiagramVertex*, int32_t>> mVertexChain;
  std::unordered_map<DiagramSource, int32_t> mSourcePositions;
};

// Whether the point lies inside the loop (non-zero rule on a ray raised by 1e-7).
bool IsPointInDiagramLoop(const DiagramLoop* loop, double x, double y);

// ---- Builder: paths of points drawn into a diagram --------------------------------------
struct FaceDiagramBuilder {
  double mFirst[2] = {kDiagramNoPoint, 0.0};  // x = kDiagramNoPoint: no open path
  double mCurrent[2] = {0.0, 0.0};
  DiagramSource mSource = 0;
  bool mReversed = false;
  FaceDiagram* mDiagram = nullptr;
};

void BeginFaceDiagram(FaceDiagramResult* result, FaceDiagram* diagram, int32_t kind, FaceDiagramWorkPools* workPools,
                      FaceDiagramResultPools* resultPools, FaceDiagramBuilder* builder);
// Closes the open path (from its current point back to its first) and starts a new
// one with the given source and direction.
void DiagramClosePath(DiagramSource source, bool reversed, FaceDiagramBuilder* builder);
void DiagramLineTo(const double* point, FaceDiagramBuilder* builder);
// Closes the last path, finishes the diagram, copies its points into the result and
// hands the cell array to the caller; the work pools are rewound.
void EndFaceDiagram(FaceDiagramResult* result, FaceDiagramBuilder* builder, DiagramCell** cells, uint32_t flags,
                    PolyElement* ownerFace);

}  // namespace corvia
