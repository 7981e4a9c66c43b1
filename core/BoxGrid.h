#pragma once
// Boxes in the plane found by where they lie. Each box is filed under the square cells
// it covers, so the boxes that may meet a given box are read from the few cells that
// box covers: a search costs the same however many boxes are filed elsewhere. Boxes
// that would cover too many cells are kept apart and met by every search.
//
// The grid files numbers (ids) that the caller gives, small and dense (they index a
// table), with the box each had when it was filed; boxes can be filed and taken out
// at any time.

#include <cstdint>
#include <unordered_map>
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

  bool CellRange(const double* least, const double* largest, int64_t* range) const;
  static uint64_t Key(int64_t x, int64_t y);

  double mCell;
  std::vector<Record> mRecords;
  std::unordered_map<uint64_t, std::vector<uint32_t>> mCells;
  std::vector<uint32_t> mWide;
  uint32_t mStamp = 0;
  uint64_t mRead = 0;
};

}  // namespace corvia
