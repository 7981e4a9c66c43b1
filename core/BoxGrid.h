#pragma once
// Boxes in the plane found by where they lie. Each box is filed under the square cells
// it covers, so the boxes that may meet a given box are read from the few cells that
// box covers: a search costs the same however many boxes are filed elsewhere. Boxes
// that would cover too many cells are kept apart and met by every search.
//
// The grid files numbers (ids) that the caller gives, small and dense (they index a
// table), with the box each had when it was filed; boxes can be filed and taken out
// at any time.
//
// The cells' lists live in two blocks of memory (an open table of cells and a pool of
// list links), not a block per cell: a grid of millions of boxes is made and freed
// with a few allocations.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvia {

class BoxGrid {
 public:
  // Cells cellSize wide; searches are cheapest with boxes of about a cell.
  explicit BoxGrid(double cellSize);

  void Insert(uint32_t id, const double* least, const double* largest);
  void Remove(uint32_t id);
  bool Contains(uint32_t id) const { return id < mRecords.size() && mRecords[id].filed; }
  // The box the id was filed with (it must be filed).
  const double* Least(uint32_t id) const { return mRecords[id].least; }
  const double* Largest(uint32_t id) const { return mRecords[id].largest; }
  // The ids of the filed boxes that reach the box grown by the tolerance on every
  // side, each once, in increasing order.
  void Query(const double* least, const double* largest, double tolerance, std::vector<uint32_t>& out);
  // The filed boxes the searches have compared with theirs (for tests).
  uint64_t CountBoxesRead() const { return mRead; }

 private:
  struct Record {
    double least[2] = {0.0, 0.0};
    double largest[2] = {0.0, 0.0};
    int64_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // cells covered; none when x0 > x1
    uint32_t stamp = 0;
    bool filed = false;
    bool wide = false;
  };

  static constexpr uint32_t kNone = 0xffffffffu;
  // A filled cell of the open table (empty: head is kNone), its ids linked through
  // the pool.
  struct Cell {
    uint64_t key = 0;
    uint32_t head = kNone;
  };
  struct Link {
    uint32_t id;
    uint32_t next;
  };

  bool CellRange(const double* least, const double* largest, int64_t* range) const;
  static uint64_t Key(int64_t x, int64_t y);
  // The cell's slot in the table, or kNone.
  uint32_t FindCell(uint64_t key) const;
  void FileInCell(uint64_t key, uint32_t id);
  void DropFromCell(uint64_t key, uint32_t id);
  void EmptySlot(uint32_t slot);
  template <typename Visit>
  void ForEachInCell(uint32_t slot, Visit&& visit) const {
    for (uint32_t link = mCells[slot].head; link != kNone; link = mLinks[link].next) visit(mLinks[link].id);
  }

  double mCell;
  std::vector<Record> mRecords;
  std::vector<Cell> mCells;  // a power of two of slots, at most half filled
  std::size_t mFilledCells = 0;
  std::vector<Link> mLinks;
  uint32_t mFreeLink = kNone;
  std::vector<uint32_t> mWide;
  uint32_t mStamp = 0;
  uint64_t mRead = 0;
};

}  // namespace corvia
