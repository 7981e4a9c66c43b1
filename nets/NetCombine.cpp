// Making nets larger after they were grown: combining the nets of one type into
// rings of nets across copies of one edge (keeping the type's symmetry), and merging
// nets of several types across convex edges.

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/Units.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetOutline.h"
#include "nets/Unfold.h"

namespace corvia {

namespace detail_NetCombine {

int MaxFacesPerNet() {
  const int32_t max = GetUnitSettings().mMaxFacesPerNet;
  return max < 1 ? 1 : max;
}

struct Candidate {
  Edge3D* edge;
  int position;
  int index;
  int ringLength;
  double spread;  // squared length of the sum of the edge's end points
};

// Cut in every net of its type.
bool CutInEveryCopy(Edge3D* edge) {
  return edge->EveryCopyHas(kEdgeCut);
}

// The nets met when crossing the copies of the edgelet at (position, index), from
// the given net until back at it; empty when the walk leaves the type or runs past
// the limit.
std::vector<Net*> RingOf(NetType* type, Net* start, int position, int index, int limit) {
  std::vector<Net*> ring{start};
  Net* net = start;
  for (;;) {
    Edge3D* copy = net->GetEdgeAt(position, index);
    Edge3D* across = copy ? Edge3D::GetNeighInNet(copy, true) : nullptr;
    Net* next = across ? across->face->mNet : nullptr;
    if (!next || next->type != type) return {};
    if (next == start) return ring;
    if (std::find(ring.begin(), ring.end(), next) != ring.end()) return {};
    ring.push_back(next);
    if (static_cast<int>(ring.size()) > limit) return {};
    net = next;
  }
}

// Moves the first facelet of the net at ring place h to the head of the chain.
void MoveToHead(Net* net, Face3D* anchor) {
  if (!anchor || net->first == anchor) return;
  Face3D* before = net->first;
  while (before && before->mNextInNet != anchor) before = before->mNextInNet;
  if (!before) return;
  before->mNextInNet = anchor->mNextInNet;
  if (net->last == anchor) net->last = before;
  anchor->mNextInNet = net->first;
  net->first = anchor;
}

}  // namespace detail_NetCombine

bool NetType::TryToCombineNets(int limit) {
  using namespace detail_NetCombine;
  if (groupSize != 1 || numNets < 2) return true;
  Net* firstNet = GetFirstNet();
  const int firstCount = Net::CountFacelets(firstNet);
  if (firstCount < 1) return true;
  limit = std::min(limit, MaxFacesPerNet() / firstCount);
  if (limit < 2) return true;

  std::vector<Candidate> candidates;
  int position = 0;
  for (Face3D* f = firstNet->first; f; f = f->mNextInNet, ++position) {
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* edge = &f->mEdges[i];
      if (edge->flags & kEdgeNeverJoin) continue;
      Edge3D* across = Edge3D::GetNeighInNet(edge, true);
      if (!across || !across->face->mNet || across->face->mNet == firstNet) continue;
      const std::vector<Net*> ring = RingOf(this, firstNet, position, i, limit);
      if (ring.size() < 2) continue;
      double sum[3];
      Add(sum, Face3D::GetCornerPosition(edge), Face3D::GetCornerPosition(edge->GetNextInLoop()));
      candidates.push_back({edge, position, i, static_cast<int>(ring.size()), Dot(sum, sum)});
    }
  }
  MergeSort(candidates, [](const Candidate& a, const Candidate& b) {
    if (a.ringLength != b.ringLength) return a.ringLength > b.ringLength ? -1 : 1;
    const bool a1 = (a.edge->flags & kEdgePrefer1) != 0, b1 = (b.edge->flags & kEdgePrefer1) != 0;
    if (a1 != b1) return a1 ? -1 : 1;
    const bool a2 = (a.edge->flags & kEdgePrefer2) != 0, b2 = (b.edge->flags & kEdgePrefer2) != 0;
    if (a2 != b2) return a2 ? -1 : 1;
    if (a.spread > b.spread + kPointTolerance) return -1;
    if (a.spread < b.spread - kPointTolerance) return 1;
    if (a.position != b.position) return a.position < b.position ? -1 : 1;
    if (a.index != b.index) return a.index < b.index ? -1 : 1;
    return 0;
  });

  for (const Candidate& candidate : candidates) {
    const int length = candidate.ringLength;
    if (numNets % length != 0) continue;
    // Every net must lie in exactly one ring of this length.
    std::vector<std::vector<Net*>> rings;
    std::vector<char> taken(static_cast<size_t>(numNets), 0);
    bool partition = true;
    for (int n = 0; n < numNets && partition; ++n) {
      if (taken[static_cast<size_t>(n)]) continue;
      std::vector<Net*> ring = RingOf(this, &nets[n], candidate.position, candidate.index, length);
      if (static_cast<int>(ring.size()) != length) {
        partition = false;
        break;
      }
      for (Net* member : ring) {
        const size_t k = static_cast<size_t>(member - nets.get());
        if (taken[k]) partition = false;
        taken[k] = 1;
      }
      rings.push_back(std::move(ring));
    }
    if (!partition) continue;

    // Try the first ring: join it across all but the last crossing and lay it out.
    const std::vector<Net*>& trial = rings.front();
    std::vector<std::pair<Edge3D*, Edge3D*>> marked;
    for (int j = 0; j + 1 < length; ++j) {
      Edge3D* copy = trial[static_cast<size_t>(j)]->GetEdgeAt(candidate.position, candidate.index);
      Edge3D* across = Edge3D::GetNeighInNet(copy, true);
      copy->flags |= kEdgeJoinedFirst;
      across->flags |= kEdgeJoinedAdded;
      marked.push_back({copy, across});
    }
    PlacementJoins joins;
    const std::vector<Net*> others(trial.begin() + 1, trial.end());
    const bool accepted = trial.front()->Relayout(true, &joins, &others);
    for (auto& [copy, across] : marked) {
      copy->flags &= ~kEdgeJoinedFirst;
      across->flags &= ~kEdgeJoinedAdded;
    }
    if (!accepted) {
      trial.front()->Relayout(false, nullptr);
      for (Net* other : others) other->Relayout(false, nullptr);
      continue;
    }

    // The winner: every ring becomes one net.
    groupSize = length;
    for (const std::vector<Net*>& ring : rings) {
      Net* head = ring.front();
      std::vector<Face3D*> starts;
      std::vector<Edge3D*> crossings;
      for (Net* member : ring) {
        starts.push_back(member->first);
        crossings.push_back(member->GetEdgeAt(candidate.position, candidate.index));
      }
      for (int j = 0; j + 1 < length; ++j)
        ring[static_cast<size_t>(j + 1)]->Absorb(head, crossings[static_cast<size_t>(j)]);
      MoveToHead(head, starts[static_cast<size_t>(length / 2)]);
    }
    const int expected = numNets / length;
    std::unique_ptr<Net[]> survivors = std::make_unique<Net[]>(static_cast<size_t>(expected));
    int k = 0;
    for (int n = 0; n < numNets; ++n) {
      if (nets[n].flags & kNetRemoved) continue;
      if (k < expected) {
        survivors[k] = nets[n];
        for (Face3D* f = survivors[k].first; f; f = f->mNextInNet) f->mNet = &survivors[k];
      }
      ++k;
    }
    if (k != expected) ShowInternalError("TryToCombineNets: wrong number of nets\nExpected %d, got %d", expected, k);
    nets = std::move(survivors);
    numNets = std::min(k, expected);
    GetFirstNet()->Relayout(false, nullptr);
    ApplyPlacementJoins(joins);
    return true;
  }
  return true;
}

// ---- Merging across convex edges -------------------------------------------------------------

void NetType::TestMergeCandidate() {
  // The first net of a whole face of a finely cut model: the window answers along it (a
  // cancel is kept for the caller's next report).
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  using namespace detail_NetCombine;
  flags &= ~kNetTypeCandidate;
  Net* net = GetFirstNet();
  if (!net || !net->first || Net::CountFacelets(net) >= MaxFacesPerNet() || IsDrawn()) return;
  bool counted = false;
  for (Face3D* f = net->first; f; f = f->mNextInNet) {
    (void)tick();
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* edge = &f->mEdges[i];
      if (edge->GetFirstNetCopy()->flags & kEdgeJoinedSomewhere) {
        if (!edge->IsConvex()) return;
        continue;
      }
      if (CutInEveryCopy(edge) || edge->nextCoinc) continue;
      Edge3D* across = Edge3D::GetNeighInNet(edge, true);
      if (!edge->IsConvex()) {
        if (across && across->face->mNet && across->face->mNet->type == this) return;
        continue;
      }
      counted = true;
    }
  }
  if (counted) flags |= kNetTypeCandidate;
}

int NetType::CountReachableCandidates() {
  // The first net of a whole face of a finely cut model: the window answers along it (a
  // cancel is kept for the caller's next report).
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  using namespace detail_NetCombine;
  if (flags & (kNetTypeVisited | kNetTypeRejected)) return 0;
  flags |= kNetTypeVisited;
  Net* net = GetFirstNet();
  if (!net) return 0;
  for (Face3D* f = net->first; f; f = f->mNextInNet) {
    (void)tick();
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* edge = &f->mEdges[i];
      if (edge->flags & kEdgeJoined) continue;
      Edge3D* across = Edge3D::GetNeighInNet(edge, true);
      const Net* other = across ? across->face->mNet : nullptr;
      if (!other || !other->type || !(other->type->flags & kNetTypeVisited)) continue;
      if (!edge->IsConvex() || edge->nextCoinc) {
        flags = (flags & ~kNetTypeVisited) | kNetTypeRejected;
        return 0;
      }
    }
  }
  int reached = 0;
  for (Face3D* f = net->first; f; f = f->mNextInNet) {
    (void)tick();
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* edge = &f->mEdges[i];
      if ((edge->GetFirstNetCopy()->flags & kEdgeJoinedSomewhere) || edge->nextCoinc || !edge->IsConvex() ||
          CutInEveryCopy(edge)) {
        continue;
      }
      Edge3D* across = Edge3D::GetNeighInNet(edge, true);
      NetType* other = across && across->face->mNet ? across->face->mNet->type : nullptr;
      if (!other || !(other->flags & kNetTypeCandidate)) continue;
      reached += other->CountReachableCandidates();
      if (!(other->flags & kNetTypeRejected)) ++reached;
    }
  }
  return reached;
}

bool NetType::TestClosure() {
  // The first net of a whole face of a finely cut model: the window answers along it (a
  // cancel is kept for the caller's next report).
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  Net* start = GetFirstNet();
  if (!start) return false;
  std::vector<Net*> marked{start};
  start->flags |= kNetVisited;
  bool success = false;
  for (size_t k = 0; k < marked.size() && !success; ++k) {
    Net* net = marked[k];
    for (Face3D* f = net->first; f && !success; f = f->mNextInNet) {
      (void)tick();
      const int count = f->GetNumEdges();
      for (int i = 0; i < count; ++i) {
        Edge3D* edge = &f->mEdges[i];
        if ((edge->flags & kEdgeCut) || edge->nextCoinc || !edge->IsConvex()) continue;
        Edge3D* across = Edge3D::GetNeighInNet(edge, true);
        Net* other = across ? across->face->mNet : nullptr;
        if (!other || other == net || (other->flags & kNetVisited)) continue;
        const NetType* type = other->type;
        if (!type || !(type->flags & kNetTypeVisited) || (type->flags & kNetTypeRejected)) continue;
        if (type->numNets == 1 || (type == this && other != start)) {
          success = true;
          break;
        }
        other->flags |= kNetVisited;
        marked.push_back(other);
      }
    }
  }
  for (Net* net : marked) net->flags &= ~kNetVisited;
  return success;
}

namespace detail_NetCombine {

// Lays the net out against the receiving net across the hinge (edge in the receiving
// net, across in this one, both marked joined): the receiving net stays where it is
// and this net's facelets are placed one by one from the hinge, in the order of the
// tree of joins from the first facelet of the two, each tested against the outline
// of what is placed so far. The outline follows; on a refusal it is put back.
bool PlaceAgainst(Net* net, Edge3D* edge, Edge3D* across, PlacementJoins* joins, NetOutline& outline,
                  MergeShare* share) {
  std::vector<NetHinge> tree{{edge, across, edge->flags, across->flags}};
  std::vector<NetHinge> extra;
  CollectNetHinges(across->face, across, [net](const Face3D* f) { return f->mNet == net; }, tree, extra);
  OpenNetHinges(tree);
  OpenNetHinges(extra);
  outline.BeginTrial();
  const bool wasExact = outline.IsExact();
  bool accepted = true;
  size_t placed = 0;
  // A net of a whole face of a finely cut model takes a while to place: the bar moves
  // by the facelets placed, and a Cancel ends the placing as a refusal does.
  ProgressTicker tick;
  for (; placed < tree.size(); ++placed) {
    if (!tick(share ? share->Fraction() : kProgressNoReport)) {
      accepted = false;
      break;
    }
    if (share) share->done += 1.0;
    const NetHinge& h = tree[placed];
    const bool ok = CalcUnfoldedFacePos2D(h.edge, h.across, true, joins, &outline);
    RestoreNetHinge(h);
    if (!ok) {
      accepted = false;
      ++placed;
      break;
    }
    outline.Remove(h.edge);
    outline.InsertOpenEdges(h.across->face);
  }
  for (; placed < tree.size(); ++placed) RestoreNetHinge(tree[placed]);
  for (const NetHinge& h : extra) RestoreNetHinge(h);
  if (!accepted) {
    // The whole net lies against the hinge, as if taken in; the caller lays it out
    // again from its own first facelet.
    for (const NetHinge& h : tree) CalcUnfoldedFacePos2D(h.edge, h.across, false, nullptr);
    outline.UndoTrial();
    outline.SetExact(wasExact);
    return false;
  }
  // A join that closes a cycle is no part of the outline, and the outline is no
  // longer one walk round a tree.
  for (const NetHinge& h : extra) {
    outline.Remove(h.edge);
    outline.Remove(h.across);
  }
  if (!extra.empty()) outline.SetExact(false);
  outline.KeepTrial();
  return true;
}

}  // namespace detail_NetCombine

bool Net::MergeConvex(Net* into, Edge3D* edge, NetOutline* outline, MergeShare* share) {
  using namespace detail_NetCombine;
  if (!edge) {
    flags |= kNetMerged;
    bool absorbed = false;
    // This net's outline filed once, kept in step with every net it takes in.
    NetOutline own(NetOutline::CellSizeFor(*this));
    own.Fill(*this);
    for (Face3D* f = first; f; f = f->mNextInNet) {
      // Taking in the nets round a growing one can run long: the user may stop it.
      if (!ProgressTick(share ? share->Fraction() : kProgressNoReport)) return absorbed;
      if (share) share->done += 1.0;
      const int count = f->GetNumEdges();
      for (int i = 0; i < count; ++i) {
        Edge3D* e = &f->mEdges[i];
        if (e->flags & (kEdgeCut | kEdgeJoined)) continue;
        Edge3D* across = Edge3D::GetNeighInNet(e, true);
        Net* other = across ? across->face->mNet : nullptr;
        if (!other || other == this || !other->type || !(other->type->flags & kNetTypeVisited)) continue;
        if (other->MergeConvex(this, e, &own, share)) absorbed = true;
      }
    }
    return absorbed;
  }
  if (flags & kNetMerged) return false;
  const int max = MaxFacesPerNet();
  if (CountFacelets(this) + (into ? CountFacelets(into) : 0) > max) return false;
  Edge3D* across = Edge3D::GetNeighInNet(edge, true);
  if (!across || !into) return false;
  edge->flags |= kEdgeJoinedFirst;
  across->flags |= kEdgeJoinedAdded;
  PlacementJoins joins;
  bool accepted;
  if (outline && outline->IsExact()) {
    accepted = PlaceAgainst(this, edge, across, &joins, *outline, share);
  } else {
    const std::vector<Net*> merged{this};
    accepted = into->Relayout(true, &joins, &merged);
    if (!accepted) into->Relayout(false, nullptr);
    // Not followed by a filed outline: it is no longer the net's.
    if (outline) outline->SetExact(false);
  }
  if (!accepted) {
    // The receiving net never moved, but it is laid out from its first facelet once
    // (so that it comes out the same to the last digit as from any earlier layout);
    // this one goes back to its own layout from its first facelet. After a Cancel no
    // layout is wanted: the nets go.
    edge->flags &= ~kEdgeJoinedFirst;
    across->flags &= ~kEdgeJoinedAdded;
    if (!ProgressTick()) return false;
    if (outline && !outline->IsNetLaidOut()) {
      into->Relayout(false, nullptr);
      outline->SetNetLaidOut();
    }
    Relayout(false, nullptr);
    return false;
  }
  for (Edge3D* e : joins) {
    e->flags |= kEdgePlacementJoin;
    if (Edge3D* other = Edge3D::GetNeighInNet(e, false)) other->flags |= kEdgePlacementJoin;
  }
  flags |= kNetMerged;
  Absorb(into, edge);
  return true;
}

namespace detail_NetCombine {

void ResetMergeMarks(Model3D* model) {
  for (NetType* type = model->mNetTypes; type; type = type->next) {
    type->flags &= ~(kNetTypeVisited | kNetTypeRejected);
    for (int n = 0; n < type->numNets; ++n) type->nets[n].flags &= ~kNetVisited;
  }
}

// Drops every removed net record; a type left without nets goes.
void Compact(Model3D* model) {
  NetType* previous = nullptr;
  NetType* type = model->mNetTypes;
  while (type) {
    NetType* next = type->next;
    int kept = 0;
    for (int n = 0; n < type->numNets; ++n) {
      if (!(type->nets[n].flags & kNetRemoved) && type->nets[n].first) ++kept;
    }
    if (kept == 0) {
      if (previous) {
        previous->next = next;
      } else {
        model->mNetTypes = next;
      }
      delete type;
    } else {
      if (kept != type->numNets) {
        for (int n = 0; n < type->numNets; ++n) {
          if (type->nets[n].flags & kNetRemoved) type->nets[n].first = type->nets[n].last = nullptr;
        }
        type->DropEmptyNets();
        type->GetFirstNet()->Relayout(false, nullptr);
      }
      previous = type;
    }
    type = next;
  }
  model->mNetTypesTail = previous;
}

}  // namespace detail_NetCombine

NetType* MergeConvexNetTypes(Model3D* model, NetType* start) {
  using namespace detail_NetCombine;
  if (!start) return nullptr;
  NetType* following = start->next;
  if (!(start->flags & kNetTypeCandidate)) return following;
  const int reached = start->CountReachableCandidates();
  const bool closure = reached >= 1 && start->TestClosure();
  if (!closure) {
    ResetMergeMarks(model);
    start->flags &= ~kNetTypeCandidate;
    return following;
  }
  std::vector<NetType*> visited;
  for (NetType* type = start; type; type = type->next) {
    if (type->flags & kNetTypeVisited) visited.push_back(type);
  }
  // Each net of a flat face of a finely cut model is large: the window answers between
  // their layouts, and a Cancel ends the pass (the nets go).
  MergeShare share;
  std::vector<int> sizes;
  for (NetType* type : visited) {
    for (int n = 0; n < type->numNets; ++n) sizes.push_back(Net::CountFacelets(&type->nets[n]));
  }
  for (const int size : sizes) share.total += 3.0 * size;
  size_t counted = 0;
  for (NetType* type : visited) {
    for (int n = 0; n < type->numNets; ++n) {
      type->nets[n].flags &= ~kNetMerged;
      share.done += sizes[counted++];
      if (n == 0) continue;
      if (!ProgressTick(share.Fraction())) {
        ResetMergeMarks(model);
        return nullptr;
      }
      type->nets[n].Relayout(false, nullptr);
    }
  }
  bool stopped = false;
  for (NetType* type : visited) {
    for (int n = 0; n < type->numNets && !stopped; ++n) {
      Net* net = &type->nets[n];
      if (net->flags & (kNetMerged | kNetRemoved)) continue;
      if (!net->MergeConvex(nullptr, nullptr, nullptr, &share)) {
        // Nothing could be taken in: this type is no candidate any more.
        net->type->flags &= ~kNetTypeCandidate;
        stopped = true;
        break;
      }
      // The merged net becomes a type of its own at the head of the list.
      NetType* own = new NetType(1, 1);
      own->nets[0] = *net;
      own->nets[0].type = own;
      own->nets[0].flags = kNetMerged;
      ProgressTicker tick;
      for (Face3D* f = own->nets[0].first; f; f = f->mNextInNet) {
        f->mNet = &own->nets[0];
        // After a Cancel the nets go, and with them the marks of the facelets.
        if (!tick()) {
          stopped = true;
          break;
        }
      }
      own->next = model->mNetTypes;
      model->mNetTypes = own;
      net->first = net->last = nullptr;
      net->flags |= kNetRemoved;
    }
    if (stopped) break;
  }
  ResetMergeMarks(model);
  // The pass goes on from the first type after the start that is still listed.
  NetType* next = nullptr;
  for (NetType* type = following; type && !next; type = type->next) {
    bool survives = false;
    for (int n = 0; n < type->numNets; ++n) survives = survives || !(type->nets[n].flags & kNetRemoved);
    if (survives) next = type;
  }
  Compact(model);
  return next;
}

}  // namespace corvia
