#pragma once
// The outline of one net laid out flat, filed by place: its open edgelets (those not
// joined inside the net) in the cells of a square grid, so that a facelet being placed
// is tested only against the outline near it instead of the whole outline. While the
// net's joins form a tree of one-loop facelets, the walk round the outline meets every
// open edgelet exactly once, so the edgelets filed here are the ones the walk would
// test; otherwise the outline is not exact and the caller walks it.

#include <cstdint>
#include <vector>

#include "core/BoxGrid.h"

namespace corvia {

class Face3D;
class Net;
struct Edge3D;

class NetOutline {
 public:
  // Cells of the given size (model units).
  explicit NetOutline(double cellSize);
  NetOutline(const NetOutline&) = delete;
  NetOutline& operator=(const NetOutline&) = delete;

  // The outline of the net as it lies: every open edgelet of its facelets; exact when
  // its joins are a tree over all its facelets and each facelet has one loop.
  static double CellSizeFor(const Net& net);
  void Fill(const Net& net);

  bool IsExact() const { return mExact; }
  void SetExact(bool exact) { mExact = exact; }
  // Whether the net was laid out again from its first facelet since the outline was
  // filled: the places change by rounding only, so the filed boxes still serve.
  bool IsNetLaidOut() const { return mNetLaidOut; }
  void SetNetLaidOut() { mNetLaidOut = true; }

  // Files the edgelet's unfolded segment (from its point to the next in its loop).
  void Insert(Edge3D* edge);
  // Files the facelet's edgelets that are not joined (a facelet of several loops makes
  // the outline inexact).
  void InsertOpenEdges(Face3D* facelet);
  void Remove(Edge3D* edge);
  bool Contains(const Edge3D* edge) const;
  // The filed edgelets whose segment boxes reach the box grown by the tolerance, each
  // once.
  void Query(const double* least, const double* largest, double tolerance, std::vector<Edge3D*>& out);

  // A record of every insertion and removal from now on, so that a trial can be
  // taken back.
  void BeginTrial();
  void KeepTrial();
  void UndoTrial();

 private:
  struct Change {
    Edge3D* edge;
    bool inserted;
    double least[2];
    double largest[2];
  };

  uint32_t IdOf(Edge3D* edge);
  // The edgelet's id, or null when it was never filed.
  const uint32_t* FindId(const Edge3D* edge) const;
  void PlaceId(const Edge3D* edge, uint32_t id);
  void File(Edge3D* edge, const double* least, const double* largest);

  BoxGrid mGrid;
  bool mExact = true;
  bool mNetLaidOut = false;
  // The ids by edgelet, an open table (null: an empty slot) of twice as many slots as
  // ids at least: in one block of memory, so that the outline of a net of a million
  // facelets, which has filed millions of edgelets while it grew, goes at once.
  std::vector<const Edge3D*> mIdKeys;
  std::vector<uint32_t> mIdValues;
  // The edgelets by id.
  std::vector<Edge3D*> mEdges;
  std::vector<uint32_t> mFound;
  bool mRecording = false;
  std::vector<Change> mTrial;
};

}  // namespace corvia
