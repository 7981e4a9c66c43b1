#pragma once
// Typed arenas for the short-lived records of face diagrams.
//
// A face diagram makes many small records in a burst and drops them all at once, so
// its records come from block pools: runs of elements are handed out from large
// blocks, single elements are never freed, and a pool is either rewound (every block
// kept and marked empty) or cleared (every block freed). Pools are grouped in two
// sets: one for records that live while a diagram is built, one for the results.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace corvia {

struct WindingNode;
struct DiagramVertex;
struct HalfEdge;
struct DiagramLoop;
struct DiagramEdge;
struct DiagramSourceEntry;
struct DiagramComponent;
struct DiagramCell;
struct CellTriangles;
struct CellSourcePair;
struct DiagramPoint;

constexpr int32_t kPoolDefaultBlockSize = 120;

template <typename T>
class BlockPool {
 public:
  explicit BlockPool(int32_t minimumBlockSize = kPoolDefaultBlockSize) : mMinimumBlockSize(minimumBlockSize) {}
  ~BlockPool() { Clear(); }
  BlockPool(const BlockPool&) = delete;
  BlockPool& operator=(const BlockPool&) = delete;

  // n consecutive elements, each freshly value-initialised (a rewound block hands out
  // memory that held the previous diagram's records). Null for a negative count.
  // Alloc(0) answers a position in the current block without using space.
  T* Alloc(int32_t n) {
    if (n < 0) return nullptr;
    size_t skipped = 0;
    for (size_t b = mCurrent; b < mBlocks.size(); ++b) {
      Block& block = *mBlocks[b];
      if (static_cast<size_t>(block.used) + static_cast<size_t>(n) <= static_cast<size_t>(block.capacity)) {
        T* result = block.elements.get() + block.used;
        for (int32_t i = 0; i < n; ++i) result[i] = T{};
        block.used += n;
        mCurrent = b;
        return result;
      }
      skipped += static_cast<size_t>(block.capacity);
    }
    // Growing pools double their block size: twice the request plus what was skipped.
    size_t capacity = 2 * (static_cast<size_t>(n) + skipped);
    if (capacity < static_cast<size_t>(mMinimumBlockSize)) capacity = static_cast<size_t>(mMinimumBlockSize);
    if (capacity > static_cast<size_t>(INT32_MAX)) capacity = static_cast<size_t>(INT32_MAX);
    auto block = std::make_unique<Block>();
    block->elements = std::make_unique<T[]>(capacity);
    block->capacity = static_cast<int32_t>(capacity);
    block->used = n;
    mBlocks.push_back(std::move(block));
    mCurrent = mBlocks.size() - 1;
    return mBlocks.back()->elements.get();
  }

  // Every block becomes empty; no memory is freed. Blocks are reused in the order in
  // which they were made, so repeating the same allocations needs no new block.
  void Rewind() {
    for (auto& block : mBlocks) block->used = 0;
    mCurrent = 0;
  }

  // Frees every block; the minimum block size goes back to the default.
  void Clear() {
    mBlocks.clear();
    mCurrent = 0;
    mMinimumBlockSize = kPoolDefaultBlockSize;
  }

  int32_t GetNumBlocks() const { return static_cast<int32_t>(mBlocks.size()); }
  int32_t GetMinimumBlockSize() const { return mMinimumBlockSize; }
  // Capacity of the newest block (0 with none).
  int32_t GetFirstBlockCapacity() const { return mBlocks.empty() ? 0 : mBlocks.back()->capacity; }

 private:
  struct Block {
    std::unique_ptr<T[]> elements;
    int32_t capacity = 0;
    int32_t used = 0;
  };
  std::vector<std::unique_ptr<Block>> mBlocks;  // oldest first
  size_t mCurrent = 0;                          // the block now being filled
  int32_t mMinimumBlockSize;
};

// Records that live while one diagram is built.
class FaceDiagramWorkPools {
 public:
  FaceDiagramWorkPools();
  ~FaceDiagramWorkPools();
  FaceDiagramWorkPools(const FaceDiagramWorkPools&) = delete;
  FaceDiagramWorkPools& operator=(const FaceDiagramWorkPools&) = delete;

  void Clear();
  // Rewinds the eight pools. Rewinding the program's global work set also rewinds the
  // global result set, whose results live only until the next diagram is built.
  void Rewind();

  std::unique_ptr<BlockPool<WindingNode>> mWindings;
  std::unique_ptr<BlockPool<DiagramVertex>> mVertices;
  std::unique_ptr<BlockPool<HalfEdge>> mHalfEdges;
  std::unique_ptr<BlockPool<DiagramLoop>> mLoops;
  std::unique_ptr<BlockPool<DiagramEdge>> mEdges;
  std::unique_ptr<BlockPool<DiagramSourceEntry>> mSourceTables;
  std::unique_ptr<BlockPool<int32_t>> mVertexTables;
  // The small pool: the connected components of a diagram.
  std::unique_ptr<BlockPool<DiagramComponent>> mComponents;
};

// Records of finished diagrams: cells, their triangles, source pairs and points.
class FaceDiagramResultPools {
 public:
  FaceDiagramResultPools();
  ~FaceDiagramResultPools();
  FaceDiagramResultPools(const FaceDiagramResultPools&) = delete;
  FaceDiagramResultPools& operator=(const FaceDiagramResultPools&) = delete;

  void Clear();
  void Rewind();

  std::unique_ptr<BlockPool<DiagramCell>> mCells;
  std::unique_ptr<BlockPool<CellTriangles>> mTriangleRanges;
  std::unique_ptr<BlockPool<CellSourcePair>> mSourcePairs;
  // The spare pool: copies of cell arrays handed to the faces of a coplanar ring.
  std::unique_ptr<BlockPool<DiagramCell>> mCellCopies;
  std::unique_ptr<BlockPool<DiagramPoint>> mPoints;
  std::unique_ptr<BlockPool<int32_t>> mTriangleIndices;
};

// The program's own pool sets, built before the first diagram and freed at exit.
FaceDiagramWorkPools& GetFaceDiagramWorkPools();
FaceDiagramResultPools& GetFaceDiagramResultPools();
// Frees the global work pools (the main window calls it when it closes).
void ClearFaceDiagramPools();

}  // namespace corvia
