#pragma once
// Edge types of a SimplePoly: classes of edges that the symmetry group maps onto one
// another, with the faces that meet at each edge in a corresponding order. The full
// sort of faces round vertices walks round each vertex through them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace corvia {

class SimplePoly;
class SymGroup;

// Entry flags.
constexpr uint32_t kEdgeEntryFirstDone = 0x1;   // loop round the entry's first vertex passed it
constexpr uint32_t kEdgeEntrySecondDone = 0x2;  // the same for its second vertex
constexpr uint32_t kEdgeEntryAtEndA = 0x4;      // the corner vertex is the type's end a (or its image)
// Occurrence flag.
constexpr uint32_t kEdgeOccurrenceMatched = 0x1;

// One face at one edge: the edge runs from corner to corner + 1 of the face.
struct EdgeFaceEntry {
  uint32_t flags = 0;
  int32_t face = -1;
  int32_t corner = -1;
};

// The faces at one edge, in order. Nearly every edge has two: those are kept in
// place, so that the hundreds of thousands of edges of a large model cost no
// allocation each; more go to the heap, and the place then holds the pointer to
// them. An edge with its flags takes 32 bytes, two to a cache line.
class EdgeFaceEntries {
 public:
  EdgeFaceEntries() = default;
  EdgeFaceEntries(const EdgeFaceEntries& other) { assign(other.begin(), other.end()); }
  EdgeFaceEntries(EdgeFaceEntries&& other) noexcept { Take(other); }
  EdgeFaceEntries& operator=(const EdgeFaceEntries& other) {
    if (this != &other) assign(other.begin(), other.end());
    return *this;
  }
  EdgeFaceEntries& operator=(EdgeFaceEntries&& other) noexcept {
    if (this != &other) {
      Release();
      Take(other);
    }
    return *this;
  }
  ~EdgeFaceEntries() { Release(); }

  // The range may not lie in these entries.
  void assign(const EdgeFaceEntry* first, const EdgeFaceEntry* last) {
    Release();
    const size_t n = static_cast<size_t>(last - first);
    if (n > kInPlace) SetHeap(new EdgeFaceEntry[n]);
    mSize = static_cast<uint32_t>(n);
    std::copy(first, last, data());
  }
  size_t size() const { return mSize; }
  bool empty() const { return mSize == 0; }
  EdgeFaceEntry* data() { return mSize > kInPlace ? Heap() : mInPlace; }
  const EdgeFaceEntry* data() const { return mSize > kInPlace ? Heap() : mInPlace; }
  EdgeFaceEntry& operator[](size_t i) { return data()[i]; }
  const EdgeFaceEntry& operator[](size_t i) const { return data()[i]; }
  EdgeFaceEntry& front() { return data()[0]; }
  const EdgeFaceEntry& front() const { return data()[0]; }
  EdgeFaceEntry* begin() { return data(); }
  EdgeFaceEntry* end() { return data() + mSize; }
  const EdgeFaceEntry* begin() const { return data(); }
  const EdgeFaceEntry* end() const { return data() + mSize; }

 private:
  static constexpr size_t kInPlace = 2;
  EdgeFaceEntry* Heap() const {
    EdgeFaceEntry* heap;
    std::memcpy(&heap, static_cast<const void*>(mInPlace), sizeof heap);
    return heap;
  }
  // The entries are plain bytes to copy (the pointer's bytes fit in their place).
  void SetHeap(EdgeFaceEntry* heap) { std::memcpy(static_cast<void*>(mInPlace), &heap, sizeof heap); }
  void Release() {
    if (mSize > kInPlace) delete[] Heap();
    mSize = 0;
  }
  void Take(EdgeFaceEntries& other) {
    mSize = other.mSize;
    std::copy(other.mInPlace, other.mInPlace + kInPlace, mInPlace);
    other.mSize = 0;
  }

  uint32_t mSize = 0;
  EdgeFaceEntry mInPlace[kInPlace];
  static_assert(std::is_trivially_copyable_v<EdgeFaceEntry> && sizeof(EdgeFaceEntry*) <= sizeof(mInPlace));
};

// One edge of the model with the faces that meet there.
struct alignas(32) EdgeOccurrence {
  uint32_t flags = 0;
  EdgeFaceEntries entries;
};
static_assert(sizeof(EdgeOccurrence) == 32, "an edge fills half a cache line");

// Per face position at the edges of one type.
struct SimpEdgeSlot {
  int32_t partner = -1;  // -1 unpaired
  int32_t orbit = -1;
  int32_t orbitSize = 1;
  int32_t ring = -1;  // orbit ring under the rotations about or across the edge
  int32_t next = -1;  // coplanar ring
  int32_t prev = -1;
};

struct SimpEdgeType {
  int32_t rotationOrder = 1;
  uint8_t rotAboutEdge = 0;
  uint8_t halfTurnAcross = 0;
  // Squared length of the edge.
  double length = 0;
  // Vertex indices of the ends of the first edge; a has the lower typeId.
  int32_t a = -1;
  int32_t b = -1;
  int32_t numFaces = 0;
  std::vector<SimpEdgeSlot> slots;
  std::vector<EdgeOccurrence> edges;

  SimpEdgeType(int32_t endA, int32_t endB, double squaredLength, int32_t faces);

  // Appends an occurrence holding a copy of the n entries.
  void AddEdge(int n, const EdgeFaceEntry* entries);
  // Takes slot k out of its coplanar ring.
  void UnlinkSlot(int k);
  // Joins the slots into orbits under the turns about the axis by multiples of
  // 1/order of a turn (faces read from the model).
  void GroupByEdgeRotation(int order, const double* axis, const SimplePoly& poly);
};

// A fan of faces round a vertex that is to become a vertex of its own.
struct SimpleSplitRecord {
  int32_t vertex = -1;
  int32_t numFaces = 0;
  // Corner position of the vertex in each face of the fan (may be empty: then
  // every occurrence of the vertex in those faces is replaced).
  std::vector<int32_t> corners;
};

}  // namespace corvia
