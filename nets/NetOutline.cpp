#include "nets/NetOutline.h"

#include <algorithm>
#include <cmath>

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
  for (const Face3D* f = net.first; f; f = f->mNextInNet) {
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

uint32_t NetOutline::IdOf(Edge3D* edge) {
  const auto found = mIds.find(edge);
  if (found != mIds.end()) return found->second;
  const uint32_t id = static_cast<uint32_t>(mEdges.size());
  mIds.emplace(edge, id);
  mEdges.push_back(edge);
  return id;
}

bool NetOutline::Contains(const Edge3D* edge) const {
  const auto found = mIds.find(edge);
  return found != mIds.end() && mGrid.Contains(found->second);
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
  const uint32_t id = mIds[edge];
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
    const uint32_t id = mIds[it->edge];
    if (it->inserted) {
      mGrid.Remove(id);
    } else {
      mGrid.Insert(id, it->least, it->largest);
    }
  }
  mTrial.clear();
}

}  // namespace corvia
