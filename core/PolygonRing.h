#pragma once
// Pooled rings of 2D polygon vertices and their triangulation by ear clipping.
//
// A ring is a circular doubly linked list of PolygonVertex nodes, named by any one of
// them (its head); a null head is the empty ring and a single vertex links to itself.
// Counter-clockwise rings have positive area (left turns are convex corners).
// Vertices and list nodes come from process-wide pools with stable addresses: freed
// nodes go back on a free list and nothing returns to the system until the pool is
// released, so triangulating many small polygons allocates nothing per polygon.

#include <cstdint>
#include <memory>
#include <vector>

namespace corvia {

struct PolygonCrossing;

// PolygonVertex::flags bits.
constexpr uint32_t kPolygonVertexFree = 0x1;        // on the free list
constexpr uint32_t kPolygonVertexMarked = 0x2;      // set by MarkPolygonVertex
constexpr uint32_t kPolygonVertexOwnerFlag = 0x4;   // the owner's record carries its 0x10 flag
constexpr uint32_t kPolygonVertexAtCrossing = 0x8;  // inserted at a crossing by a split
constexpr uint32_t kPolygonVertexEdgeTaken = 0x20;  // the edge to the successor was traced

// Ear measure of a reflex or straight corner (never clipped as an ear).
constexpr double kEarMeasureReflex = 9.99999e99;
// Ear measure of a spike (a corner that turns straight back) or a repeated point.
constexpr double kEarMeasureSpike = -1.0;

struct PolygonVertex {
  double x = 0.0;  // 2D position in the polygon's plane
  double y = 0.0;
  double point[3] = {0.0, 0.0, 0.0};  // the 3D point the vertex stands for
  int32_t index = -1;                 // number written into triangle index arrays
  uint32_t flags = 0;
  double edgeX = 0.0;  // edge to the next vertex (triangulator work fields)
  double edgeY = 0.0;
  double edgeLength = -1.0;
  double earQuality = 0.0;
  PolygonVertex* blocker = nullptr;  // vertex last found inside this ear
  void* owner = nullptr;
  PolygonCrossing* crossing = nullptr;
  PolygonVertex* nextAtCrossing = nullptr;
  PolygonVertex* savedNext = nullptr;
  PolygonVertex* savedPrev = nullptr;
  PolygonVertex* queueNext = nullptr;
  PolygonVertex* queuePrev = nullptr;
  PolygonVertex* next = nullptr;
  PolygonVertex* prev = nullptr;
};

struct PolygonList {
  PolygonVertex* ring = nullptr;
  PolygonList* next = nullptr;
};

// Index arrays carved out of large blocks: no allocation per polygon.
struct IntBlock {
  int* data = nullptr;
  int capacity = 0;
  int used = 0;
  IntBlock* next = nullptr;
};

struct IntBlockPool {
  IntBlock* blocks = nullptr;   // newest first
  IntBlock* current = nullptr;  // the block now being filled
  int32_t minimumSize = 4096;
};

// Frees every block of the pool; arrays handed out before become invalid.
void FreeIntBlockPool(IntBlockPool* pool);
// n ints from the pool.
int* AllocIndexBlock(IntBlockPool* pool, int n);

struct EarSortEntry {
  double measure;
  int position;
  PolygonVertex* vertex;
};

// Reusable state of many triangulations: the index pool and scratch arrays.
struct TriangulationContext {
  IntBlockPool pool;
  int* scratch = nullptr;
  int scratchCapacity = 0;
  std::vector<EarSortEntry> sortBuffer;
  bool failed = false;  // the last TriangulatePolygon through this context failed

  TriangulationContext() = default;
  ~TriangulationContext();
  TriangulationContext(const TriangulationContext&) = delete;
  TriangulationContext& operator=(const TriangulationContext&) = delete;
};

// The context's scratch int array, regrown to 3n/2 + 20 entries when n exceeds it.
int* GetTriangleScratch(TriangulationContext* context, int n);

// ---- Vertices and rings -------------------------------------------------------------

// A new vertex appended at the end of the ring (just before its head; an empty ring
// gets it as head). x and y within 1e-7 of 0 are stored as 0. point may be null.
PolygonVertex* NewPolygonVertex(double x, double y, void* owner, const double* point, PolygonVertex*& ring,
                                bool ownerFlagged = false);
// A new vertex with the same x, y, owner, point, index and crossing record.
PolygonVertex* CopyPolygonVertex(const PolygonVertex* vertex, PolygonVertex*& ring);
PolygonVertex* CopyPolygonRing(const PolygonVertex* ring);
// Returns one node to the pool; the caller has unlinked it.
void FreePolygonVertex(PolygonVertex* vertex);
void FreePolygonRing(PolygonVertex* ring);
// Deletes every pooled vertex node once none is in use; while a ring lives, its nodes
// and the free ones stay for reuse.
void ReleasePolygonVertexPool();
// Nodes of the vertex pool now handed out (for leak checks).
int CountLivePolygonVertices();

void MarkPolygonVertex(PolygonVertex* vertex);
void OrPolygonRingFlags(PolygonVertex* ring, uint32_t flags);

void SavePolygonRingLinks(PolygonVertex* ring);
// Frees what was inserted into the ring since SavePolygonRingLinks; the ring's vertices
// that were there at the save must still be linked in their old order.
void RemoveInsertedPolygonVertices(PolygonVertex* ring);

void GetPolygonRingCentroid(double* out, const PolygonVertex* ring);
// Unit normal of the ring's plane from its 3D points, oriented by the ring's area
// vector; false (and the zero vector) when every corner is collinear.
bool GetPolygonRingPlaneNormal(double* out, const PolygonVertex* ring);
// Twice the vector area of the ring's 3D points.
void GetPolygonRingAreaVector(double* out, const PolygonVertex* ring);
// Twice the signed 2D area (positive for counter-clockwise rings).
double GetPolygonRingArea2D(const PolygonVertex* ring);

int CountPolygonRing(const PolygonVertex* ring);
bool IsPolygonRingConvex(const PolygonVertex* ring);
PolygonVertex* ReversePolygonRing(PolygonVertex* ring);
PolygonVertex* RemoveDuplicatePolygonVertices(PolygonVertex* ring);

// ---- Lists of rings -------------------------------------------------------------------

PolygonList* NewPolygonListNode(PolygonVertex* ring);
// Returns one list node to its pool (not its ring).
void FreePolygonListNode(PolygonList* node);
// Deletes every pooled list node once none is in use, as ReleasePolygonVertexPool.
void ReleasePolygonListPool();
int CountLivePolygonListNodes();

void AppendToPolygonList(PolygonVertex* ring, PolygonList*& head, PolygonList*& tail);
void FreePolygonList(PolygonList* list);
PolygonList* CopyPolygonList(const PolygonList* list);
int CountPolygonListRings(const PolygonList* list);
int CountPolygonListVertices(const PolygonList* list);
bool IsPolygonListConvex(const PolygonList* list);
void ReversePolygonList(PolygonList* list);

// ---- Triangulation ---------------------------------------------------------------------

// Ear clipping. Consumes the ring and writes up to maxIndices vertex indices, three
// per triangle, keeping the ring's own winding (a clockwise ring gives clockwise
// triangles). Returns the number of indices written. A ring that cannot be finished
// is reported as "Triangulation failed: ..." and sets the context's failed flag.
// Where the ring passes a point several times and its passages cross there, each way
// in is first joined to the nearest way out on its outer side; the rings this makes
// (meeting at that point) are clipped one after another.
int TriangulatePolygon(PolygonVertex* ring, int maxIndices, int* indices, TriangulationContext* context);
// Allocates 3 (n - 2) ints (from the context's pool, else with new[]: free with
// delete[]) and triangulates. Fewer than three vertices give null and 0.
int TriangulatePolygonRing(PolygonVertex* ring, int** indices, TriangulationContext* context);
// Merges the list's rings into the first (holes), triangulates it and frees the list.
int TriangulatePolygonList(PolygonList* list, int maxIndices, int* indices, TriangulationContext* context);
int TriangulatePolygonListAlloc(PolygonList* list, int** indices, TriangulationContext* context);

}  // namespace corvia
