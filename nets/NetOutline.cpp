#include "nets/NetOutline.h"

#include <algorithm>
#include <cmath>

#include "core/Progress.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"

namespace corvia {

NetOutline::NetOutline(double cellSize) : mGrid(cellSize) {}

double NetOutline::CellSizeFor(const Net& net) {
  // About one edge per cell: the mean length of the net's edges.
  double sum = 0.0;
  int count = 0;
  // A net of a million facelets: the window answers along them.
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  for (const Face3D* f = net.first; f; f = f->mNextInNet) {
    (void)tick();
    const int edges = f->GetNumEdges();
    for (int i = 0; i < edges; ++i) {
      const double length = std::sqrt(f->mEdges[i].GetLengthSquared());
      if (std::isfinite(length)) {
        sum += length;
        ++count;
      }
    }
  }
  return count > 0 && sum > 0.0 ? sum / count : 1.0;
}

void NetOutline::Fill(const Net& net) {
  // The joins must be a tree over the whole net: every facelet reached once from the
  // first, each join met from both sides, and nothing more.
  std::vector<Face3D*> reached;
  bool exact = true;
  int joinedSides = 0;
  if (net.first) {
    reached.push_back(net.first);
    net.first->mFlags |= kFaceletVisited;
  }
  for (size_t k = 0; k < reached.size(); ++k) {
    Face3D* f = reached[k];
    if (f->mType && f->mType->mNumLoops > 1) exact = false;
    const int edges = f->GetNumEdges();
    for (int i = 0; i < edges; ++i) {
      Edge3D* e = &f->mEdges[i];
      if (!(e->flags & kEdgeJoined)) {
        Insert(e);
        continue;
      }
      ++joinedSides;
      Edge3D* across = Edge3D::GetNeighInNet(e, false);
      if (!across || across->face->mNet != &net || !(across->flags & kEdgeJoined)) {
        exact = false;
        continue;
      }
      if (!(across->face->mFlags & kFaceletVisited)) {
        across->face->mFlags |= kFaceletVisited;
        reached.push_back(across->face);
      }
    }
  }
  for (Face3D* f : reached) f->mFlags &= ~kFaceletVisited;
  const int facelets = Net::CountFacelets(&net);
  if (static_cast<int>(reached.size()) != facelets || joinedSides != 2 * (facelets - 1)) exact = false;
  // Facelets the joins do not reach still bound the net.
  if (static_cast<int>(reached.size()) != facelets) {
    for (Face3D* f = net.first; f; f = f->mNextInNet) {
      const int edges = f->GetNumEdges();
      for (int i = 0; i < edges; ++i) {
        if (!(f->mEdges[i].flags & kEdgeJoined) && !Contains(&f->mEdges[i])) Insert(&f->mEdges[i]);
      }
    }
  }
  mExact = exact;
}

namespace detail_NetOutline {

// The first slot to look in for the edgelet: its address mixed, so that edgelets
// next to each other in memory spread over the table.
size_t FirstSlot(const Edge3D* edge, size_t mask) {
  uint64_t h = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(edge));
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return static_cast<size_t>(h) & mask;
}

}  // namespace detail_NetOutline

const uint32_t* NetOutline::FindId(const Edge3D* edge) const {
  if (mIdKeys.empty()) return nullptr;
  const size_t mask = mIdKeys.size() - 1;
  for (size_t slot = detail_NetOutline::FirstSlot(edge, mask);; slot = (slot + 1) & mask) {
    if (mIdKeys[slot] == edge) return &mIdValues[slot];
    if (!mIdKeys[slot]) return nullptr;
  }
}

void NetOutline::PlaceId(const Edge3D* edge, uint32_t id) {
  const size_t mask = mIdKeys.size() - 1;
  size_t slot = detail_NetOutline::FirstSlot(edge, mask);
  while (mIdKeys[slot]) slot = (slot + 1) & mask;
  mIdKeys[slot] = edge;
  mIdValues[slot] = id;
}

uint32_t NetOutline::IdOf(Edge3D* edge) {
  if (const uint32_t* found = FindId(edge)) return *found;
  const uint32_t id = static_cast<uint32_t>(mEdges.size());
  mEdges.push_back(edge);
  if (2 * mEdges.size() > mIdKeys.size()) {
    // Grown fourfold, and every id placed again.
    size_t slots = 64;
    while (slots < 4 * mEdges.size()) slots *= 2;
    AssignAnsweringTheWindow(mIdKeys, slots, static_cast<const Edge3D*>(nullptr));
    AssignAnsweringTheWindow(mIdValues, slots, uint32_t{0});
    // The outline of a net of a million facelets has millions of ids to place again:
    // the window answers along them. No cancel is taken here, where the caller cannot
    // stop; its next report hears it.
    const ProgressShield noCancelHere;
    ProgressTicker tick;
    for (size_t k = 0; k < mEdges.size(); ++k) {
      (void)tick();
      PlaceId(mEdges[k], static_cast<uint32_t>(k));
    }
  } else {
    PlaceId(edge, id);
  }
  return id;
}

bool NetOutline::Contains(const Edge3D* edge) const {
  const uint32_t* id = FindId(edge);
  return id && mGrid.Contains(*id);
}

void NetOutline::File(Edge3D* edge, const double* least, const double* largest) {
  mGrid.Insert(IdOf(edge), least, largest);
  if (mRecording) mTrial.push_back({edge, true, {least[0], least[1]}, {largest[0], largest[1]}});
}

void NetOutline::Insert(Edge3D* edge) {
  if (Contains(edge)) return;
  const Edge3D* next = edge->GetNextInLoop();
  const double least[2] = {std::min(edge->unfolded[0], next->unfolded[0]),
                           std::min(edge->unfolded[1], next->unfolded[1])};
  const double largest[2] = {std::max(edge->unfolded[0], next->unfolded[0]),
                             std::max(edge->unfolded[1], next->unfolded[1])};
  File(edge, least, largest);
}

void NetOutline::InsertOpenEdges(Face3D* facelet) {
  // The walk keeps to one loop of each facelet: the others are no part of its outline.
  if (facelet->mType && facelet->mType->mNumLoops > 1) mExact = false;
  const int edges = facelet->GetNumEdges();
  for (int i = 0; i < edges; ++i) {
    if (!(facelet->mEdges[i].flags & kEdgeJoined)) Insert(&facelet->mEdges[i]);
  }
}

void NetOutline::Remove(Edge3D* edge) {
  if (!Contains(edge)) return;
  const uint32_t id = *FindId(edge);
  if (mRecording) {
    const double* least = mGrid.Least(id);
    const double* largest = mGrid.Largest(id);
    mTrial.push_back({edge, false, {least[0], least[1]}, {largest[0], largest[1]}});
  }
  mGrid.Remove(id);
}

void NetOutline::Query(const double* least, const double* largest, double tolerance, std::vector<Edge3D*>& out) {
  mGrid.Query(least, largest, tolerance, mFound);
  out.clear();
  for (uint32_t id : mFound) out.push_back(mEdges[id]);
}

void NetOutline::BeginTrial() {
  mTrial.clear();
  mRecording = true;
}

void NetOutline::KeepTrial() {
  mTrial.clear();
  mRecording = false;
}

void NetOutline::UndoTrial() {
  mRecording = false;
  for (auto it = mTrial.rbegin(); it != mTrial.rend(); ++it) {
    // Every edgelet of the trial was filed, and so has its id.
    const uint32_t id = *FindId(it->edge);
    if (it->inserted) {
      mGrid.Remove(id);
    } else {
      mGrid.Insert(id, it->least, it->largest);
    }
  }
  mTrial.clear();
}

}  // namespace corvia
