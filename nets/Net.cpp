// Nets and net types: their records, creation from a facelet type or round a vertex,
// copying the first net's shape, spreading, laying out again, the convex hull and
// bounding rectangle of the first net, and the order of net types.

#include "nets/Net.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <deque>
#include <memory>
#include <vector>

#include "core/BoxGrid.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/Units.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "nets/NetOutline.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"
#include "nets/Unfold.h"

namespace corvia {

namespace detail_Net {

int MaxFacesPerNet() {
  const int32_t max = GetUnitSettings().mMaxFacesPerNet;
  return max < 1 ? 1 : max;
}

double Cross2(const double* o, const double* a, const double* b) {
  return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

}  // namespace detail_Net

void ApplyPlacementJoins(const PlacementJoins& joins) {
  for (Edge3D* edge : joins) edge->SetFlagAllCopies(kEdgePlacementJoin, true, true, true);
}

// ---- Net records --------------------------------------------------------------------------

void Net::Init(NetType* owner, Face3D* facelet) {
  type = owner;
  first = last = facelet;
  facelet->mNet = this;
  facelet->mNextInNet = nullptr;
  mPlaces.clear();
  mPlacesValid = true;
  AppendPlace(facelet);
}

const std::vector<Face3D*>& Net::Places() const {
  // A chain changed behind the table's back shows in its ends.
  const bool inStep = mPlacesValid && (mPlaces.empty() ? !first : (mPlaces.front() == first && mPlaces.back() == last));
  if (!inStep) {
    mPlaces.clear();
    for (Face3D* f = first; f; f = f->mNextInNet) {
      f->mPlaceInNet = static_cast<int32_t>(mPlaces.size());
      mPlaces.push_back(f);
    }
    mPlacesValid = true;
  }
  return mPlaces;
}

// The facelets' boxes filed by their place in the chain, with what they were made from.
struct Net::FaceletBoxes {
  // The model's nets, and the chain, it was made for.
  Model3D::NetMark nets;
  const Face3D* first = nullptr;
  const Face3D* last = nullptr;
  size_t facelets = 0;
  // While it is being filed: the boxes measured so far (least x, y, largest x, y) with
  // the sum of their sizes, then the grid, filed up to `filed`.
  std::vector<std::array<double, 4>> boxes;
  size_t measured = 0;
  double sum = 0.0;
  size_t counted = 0;
  size_t filed = 0;
  std::unique_ptr<BoxGrid> grid;

  bool Holds(const Net& net, const Model3D::NetMark& now) const {
    return nets.Holds(now) && first == net.first && last == net.last && facelets == net.Places().size();
  }
  size_t StepsLeft() const { return 2 * facelets - measured - filed; }
};

namespace detail_Net {

// A facelet with no corners, or corners not numbers, meets nothing.
bool IsBox(const std::array<double, 4>& box) {
  const double size = (box[2] - box[0]) + (box[3] - box[1]);
  return box[0] <= box[2] && box[1] <= box[3] && std::isfinite(size);
}

// The facelet's flat box, the points of its glue tabs with it.
std::array<double, 4> FlatBox(const Face3D* f) {
  const int count = f->mType && f->mEdges ? f->mType->mNumEdges : 0;
  std::array<double, 4> box = {DBL_MAX, DBL_MAX, -DBL_MAX, -DBL_MAX};
  auto widen = [&box](const double* p) {
    for (int k = 0; k < 2; ++k) {
      box[k] = std::min(box[k], p[k]);
      box[2 + k] = std::max(box[2 + k], p[k]);
    }
  };
  for (int e = 0; e < count; ++e) {
    const Edge3D& edge = f->mEdges[e];
    widen(edge.unfolded);
    if (!edge.tab) continue;
    // The triangles' corners begin with the outline's points: the list is walked
    // only when they do not.
    if (edge.tab->points.size() < edge.tab->outline.size()) {
      for (const TabPoint& t : edge.tab->outline) widen(t.pos2D);
    }
    for (const TabPoint& t : edge.tab->points) widen(t.pos2D);
  }
  return box;
}

}  // namespace detail_Net

size_t Net::FileFaceletBoxes(size_t most) const {
  using namespace detail_Net;
  const Model3D::NetMark now = Model3D::NetMark::Of(this, GetModel(this));
  const std::vector<Face3D*>& places = Places();
  if (!mBoxes || !mBoxes->Holds(*this, now)) {
    mBoxes.reset();
    auto made = std::make_unique<FaceletBoxes>();
    made->nets = now;
    made->first = first;
    made->last = last;
    made->facelets = places.size();
    made->boxes.resize(places.size());
    mBoxes = std::move(made);
  }
  FaceletBoxes& b = *mBoxes;
  size_t steps = 0;
  for (; b.measured < b.facelets && steps < most; ++b.measured, ++steps) {
    const std::array<double, 4>& box = b.boxes[b.measured] = FlatBox(places[b.measured]);
    if (IsBox(box)) {
      b.sum += ((box[2] - box[0]) + (box[3] - box[1])) / 2.0;
      ++b.counted;
    }
  }
  if (b.measured < b.facelets) return b.StepsLeft();
  // Cells about a facelet wide: the mean of the boxes' widths and heights.
  if (!b.grid) b.grid = std::make_unique<BoxGrid>(b.counted > 0 ? b.sum / static_cast<double>(b.counted) : 1.0);
  for (; b.filed < b.facelets && steps < most; ++b.filed, ++steps) {
    const std::array<double, 4>& box = b.boxes[b.filed];
    if (IsBox(box)) b.grid->Insert(static_cast<uint32_t>(b.filed), box.data(), box.data() + 2);
  }
  if (b.filed == b.facelets) std::vector<std::array<double, 4>>().swap(b.boxes);
  return b.StepsLeft();
}

Net::FaceletBoxes& Net::Boxes() const {
  FileFaceletBoxes(SIZE_MAX);
  return *mBoxes;
}

void Net::FindFaceletsMeeting(const double* least, const double* largest, std::vector<Face3D*>& out) const {
  out.clear();
  // A box not of numbers meets nothing.
  if (!(least[0] <= largest[0] && least[1] <= largest[1])) return;
  std::vector<uint32_t> found;
  Boxes().grid->Query(least, largest, 0.0, found);
  const std::vector<Face3D*>& places = Places();
  out.reserve(found.size());
  for (uint32_t i : found) out.push_back(places[i]);
}

uint64_t Net::CountFaceletBoxesTested() const {
  return mBoxes && mBoxes->grid ? mBoxes->grid->CountBoxesRead() : 0;
}

void Net::AppendPlace(Face3D* facelet) {
  if (!mPlacesValid) return;
  facelet->mPlaceInNet = static_cast<int32_t>(mPlaces.size());
  mPlaces.push_back(facelet);
}

void Net::AddFacelet(Edge3D* edge, Edge3D* neighbour) {
  Face3D* facelet = neighbour->face;
  // The table follows the append only when it was in step before it.
  Places();
  facelet->mNet = this;
  facelet->mNextInNet = nullptr;
  if (last) {
    last->mNextInNet = facelet;
  } else {
    first = facelet;
  }
  last = facelet;
  AppendPlace(facelet);
  edge->flags |= kEdgeJoinedFirst;
  neighbour->flags |= kEdgeJoinedAdded;
  edge->GetFirstNetCopy()->flags |= kEdgeJoinedSomewhere;
  neighbour->GetFirstNetCopy()->flags |= kEdgeJoinedSomewhere;
}

void Net::Absorb(Net* into, Edge3D* edge) {
  Edge3D* neighbour = Edge3D::GetNeighInNet(edge, false);
  edge->flags |= kEdgeJoinedFirst;
  if (neighbour) neighbour->flags |= kEdgeJoinedAdded;
  edge->GetFirstNetCopy()->flags |= kEdgeJoinedSomewhere;
  if (neighbour) neighbour->GetFirstNetCopy()->flags |= kEdgeJoinedSomewhere;
  flags |= kNetRemoved;
  into->Places();
  // A net of a whole face taken in: the window answers along it.
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  for (Face3D* f = first; f; f = f->mNextInNet) {
    (void)tick();
    f->mNet = into;
    into->AppendPlace(f);
  }
  if (first) {
    if (into->last) {
      into->last->mNextInNet = first;
    } else {
      into->first = first;
    }
    into->last = last;
  }
  first = last = nullptr;
  mPlaces.clear();
}

int Net::CountFacelets(const Net* net) {
  return net ? static_cast<int>(net->Places().size()) : 0;
}

const float* Net::GetColor() const {
  return first ? first->GetColor() : kDrawnFaceletColor;
}

int Net::GetNumber(const Net* net) {
  if (!net) return -1;
  const Model3D* model = GetModel(net);
  if (!model) return -2;
  int number = 0;
  for (const NetType* type = model->mNetTypes; type; type = type->next) {
    if (net >= type->nets.get() && net < type->nets.get() + type->numNets) {
      return number + static_cast<int>(net - type->nets.get());
    }
    number += type->numNets;
  }
  return -2;
}

Model3D* Net::GetModel(const Net* net) {
  return net && net->first ? net->first->GetModel() : nullptr;
}

void Net::ClearEdgeFlags(uint32_t bits) {
  for (Face3D* f = first; f; f = f->mNextInNet) {
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) f->mEdges[i].flags &= ~bits;
  }
}

Edge3D* Net::FindEdgeWithout(uint32_t bits) const {
  for (Face3D* f = first; f; f = f->mNextInNet) {
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      if (!(f->mEdges[i].flags & (bits | kEdgeJoined))) return &f->mEdges[i];
    }
  }
  return nullptr;
}

Face3D* Net::GetFaceletAt(int position) const {
  const std::vector<Face3D*>& places = Places();
  if (position < 0 || position >= static_cast<int>(places.size())) return nullptr;
  return places[static_cast<size_t>(position)];
}

Edge3D* Net::GetEdgeAt(int position, int index) const {
  Face3D* f = GetFaceletAt(position);
  if (!f || index < 0 || index >= f->GetNumEdges()) return nullptr;
  return &f->mEdges[index];
}

void Net::CalcCentre() {
  double sum[3] = {0.0, 0.0, 0.0};
  int counted = 0;
  // A net of a million facelets answers the window along its walk.
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  const double facelets = std::max(1, CountFacelets(this));
  double walked = 0.0;
  for (const Face3D* f = first; f; f = f->mNextInNet) {
    (void)tick(std::min(1.0, ++walked / facelets));
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      if (!f->mEdges[i].vert) continue;
      AddTo(sum, f->mEdges[i].vert->mPos);
      ++counted;
    }
  }
  if (counted > 0) {
    Divide(centre, sum, counted);
  } else {
    centre[0] = centre[1] = centre[2] = 0.0;
  }
}

void CollectNetHinges(Face3D* start, const Edge3D* entry, const std::function<bool(const Face3D*)>& isMember,
                      std::vector<NetHinge>& tree, std::vector<NetHinge>& closing) {
  std::vector<Face3D*> visited{start};
  std::vector<const Edge3D*> entries{entry};  // the edgelet each facelet was reached by
  start->mFlags |= kFaceletVisited;
  // The tree of a whole face of a finely cut model is walked answering the window (a
  // cancel is kept for the caller's next report).
  ProgressTicker tick;
  for (size_t k = 0; k < visited.size(); ++k) {
    (void)tick();
    Face3D* facelet = visited[k];
    const int count = facelet->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* edge = &facelet->mEdges[i];
      if (!(edge->flags & kEdgeJoined)) continue;
      Edge3D* across = Edge3D::GetNeighInNet(edge, false);
      if (!across) {
        // A trace, not a failure: a join without a facelet across has nothing to hinge.
        DoNothing("Edge %s has no neighbour\n", GetEdgeName(edge).c_str());
        continue;
      }
      if (!isMember(across->face)) continue;
      if (across->face->mFlags & kFaceletVisited) {
        // A join that closes a cycle is met from both sides: kept from one. The hinge
        // a facelet was reached by is met again from the child: not a closing join.
        if (edge != entries[k] && (across->flags & kEdgeJoined) && edge < across) {
          closing.push_back({edge, across, edge->flags, across->flags});
        }
        continue;
      }
      across->face->mFlags |= kFaceletVisited;
      visited.push_back(across->face);
      entries.push_back(across);
      tree.push_back({edge, across, edge->flags, across->flags});
    }
  }
  for (Face3D* f : visited) f->mFlags &= ~kFaceletVisited;
}

void OpenNetHinges(const std::vector<NetHinge>& hinges) {
  for (const NetHinge& h : hinges) {
    h.edge->flags &= ~kEdgeJoined;
    h.across->flags &= ~kEdgeJoined;
  }
}

void RestoreNetHinge(const NetHinge& hinge) {
  hinge.edge->flags = hinge.edgeFlags;
  hinge.across->flags = hinge.acrossFlags;
}

bool Net::Relayout(bool check, PlacementJoins* joins, const std::vector<Net*>* mergedNets) {
  if (!first) return true;
  auto isMember = [&](const Face3D* f) {
    if (f->mNet == this) return true;
    return mergedNets && std::find(mergedNets->begin(), mergedNets->end(), f->mNet) != mergedNets->end();
  };
  // The tree of joins from the first facelet, breadth first; joins that close a
  // cycle among the members are kept apart.
  using Hinge = NetHinge;
  std::vector<Hinge> tree;
  std::vector<Hinge> extra;
  CollectNetHinges(first, nullptr, isMember, tree, extra);

  // A net of a whole face of a finely cut model takes a while to lay out, with or
  // without the checks: the window answers along it, and a cancel is kept for the
  // caller's next report (the layout is finished either way).
  ProgressTicker tick;
  auto layoutWithoutCheck = [&]() {
    for (const Hinge& h : tree) {
      (void)tick();
      CalcUnfoldedFacePos2D(h.edge, h.across, false, nullptr);
    }
  };
  if (!check) {
    layoutWithoutCheck();
    return true;
  }
  // Build the layout again hinge by hinge, so that each placement is tested against
  // the facelets already laid out. When nets are being taken in, this net's own
  // layout stands (it was tested when it was made): only their facelets are placed.
  std::vector<Hinge> kept;
  if (mergedNets) {
    std::vector<Hinge> moving;
    for (const Hinge& h : tree) (h.across->face->mNet == this ? kept : moving).push_back(h);
    tree.swap(moving);
    std::vector<Hinge> closing;
    for (const Hinge& h : extra) {
      if (h.edge->face->mNet != this || h.across->face->mNet != this) closing.push_back(h);
    }
    extra.swap(closing);
  }
  OpenNetHinges(tree);
  OpenNetHinges(extra);
  bool accepted = true;
  size_t placed = 0;
  for (; placed < tree.size(); ++placed) {
    (void)tick();
    const Hinge& h = tree[placed];
    const bool ok = CalcUnfoldedFacePos2D(h.edge, h.across, true, joins);
    RestoreNetHinge(h);
    if (!ok) {
      accepted = false;
      ++placed;
      break;
    }
  }
  for (; placed < tree.size(); ++placed) RestoreNetHinge(tree[placed]);
  for (const Hinge& h : extra) RestoreNetHinge(h);
  if (!accepted) {
    tree.insert(tree.begin(), kept.begin(), kept.end());
    layoutWithoutCheck();
  }
  return accepted;
}

void Net::Grow(int groupFilter) {
  const int max = detail_Net::MaxFacesPerNet();
  int count = CountFacelets(this);
  for (Face3D* f = first; f && count < max; f = f->mNextInNet) {
    const int edges = f->GetNumEdges();
    for (int i = 0; i < edges && count < max; ++i) {
      Edge3D* edge = &f->mEdges[i];
      if (edge->flags & kEdgeNeverJoin) continue;
      Edge3D* neighbour = Edge3D::GetNeighInNet(edge, true);
      if (!neighbour || neighbour->face->mNet) continue;
      const bool convex = edge->IsConvex();
      if ((groupFilter == 16) == convex) continue;
      PlacementJoins joins;
      if (CalcUnfoldedFacePos2D(edge, neighbour, true, &joins)) {
        AddFacelet(edge, neighbour);
        ApplyPlacementJoins(joins);
        ++count;
      }
    }
  }
}

// ---- Net types ------------------------------------------------------------------------------

NetType::NetType(int size, int count) : groupSize(size), numNets(count > 0 ? count : 0) {
  if (numNets > 0) {
    nets = std::make_unique<Net[]>(static_cast<size_t>(numNets));
    for (int n = 0; n < numNets; ++n) nets[n].type = this;
  }
}

NetType::~NetType() = default;

int NetType::GetIndex(const NetType* type, const Model3D* model) {
  if (!type) return -1;
  if (!model) return -2;
  int index = 0;
  for (const NetType* t = model->mNetTypes; t; t = t->next, ++index) {
    if (t == type) return index;
  }
  return -2;
}

int NetType::CountFirstNetFacelets() const {
  return Net::CountFacelets(GetFirstNet());
}

int NetType::CountFirstNetEdges() const {
  int count = 0;
  const Net* net = GetFirstNet();
  for (const Face3D* f = net ? net->first : nullptr; f; f = f->mNextInNet) count += f->GetNumEdges();
  return count;
}

bool NetType::IsDrawn() const {
  const Net* net = GetFirstNet();
  return net && net->first && net->first->mType && net->first->mType->HasFlag(kTypeDrawn);
}

void NetType::CalcCentres() {
  for (int n = 0; n < numNets; ++n) nets[n].CalcCentre();
}

void NetType::DropEmptyNets() {
  int kept = 0;
  for (int n = 0; n < numNets; ++n) {
    if (nets[n].first) ++kept;
  }
  if (kept == numNets) return;
  std::unique_ptr<Net[]> survivors = kept > 0 ? std::make_unique<Net[]>(static_cast<size_t>(kept)) : nullptr;
  int k = 0;
  for (int n = 0; n < numNets; ++n) {
    if (!nets[n].first) continue;
    survivors[k] = nets[n];
    for (Face3D* f = survivors[k].first; f; f = f->mNextInNet) f->mNet = &survivors[k];
    ++k;
  }
  nets = std::move(survivors);
  numNets = kept;
}

bool NetType::CreateFromFaceType(Face3DType* faceType) {
  numNets = faceType->mNumFacelets;
  nets = std::make_unique<Net[]>(static_cast<size_t>(numNets > 0 ? numNets : 1));
  int made = 0;
  for (int f = 0; f < faceType->mNumFacelets; ++f) {
    Face3D* facelet = &faceType->mFacelets[f];
    if (facelet->mNet) {
      // Taking it would leave it in two chains.
      ShowInternalError("CreateFromFaceType() - Face already done");
      continue;
    }
    nets[made].Init(this, facelet);
    ++made;
  }
  DropEmptyNets();
  return true;
}

bool NetType::CreateFromVert(Edge3D* edge, Model3D* model) {
  const int typeCount = edge->face->mType->mNumFacelets;
  const int expected = groupSize > 0 ? typeCount / groupSize : typeCount;
  numNets = expected;
  nets = std::make_unique<Net[]>(static_cast<size_t>(expected > 0 ? expected : 1));
  for (int n = 0; n < expected; ++n) nets[n].type = this;
  int made = 0;
  Edge3DType iterator;
  iterator.Init(edge);
  bool ok = true;
  for (Edge3D* e = iterator.GetEdge(nullptr); e && ok; e = iterator.GetEdge(e)) {
    if (e->face->mNet) continue;
    if (made >= expected) {
      ShowInternalError("CreateFromVert() - Too many nets");
      break;
    }
    Net* net = &nets[made];
    net->Init(this, e->face);
    std::vector<Face3D*> fan{e->face};
    const Edge3D* closing = Edge3D::GetNeighInNet(e->GetPrevInLoop(), true);
    Edge3D* current = e;
    const int limit = current->CountRingLimit() + 2;
    // Round the start vertex: across each edgelet to its neighbour, then on to the
    // neighbour's next edgelet, which starts at the vertex again.
    for (int steps = 0; steps < limit; ++steps) {
      Edge3D* across = Edge3D::GetNeighInNet(current, true);
      if (!across || across->face == e->face) break;
      if (across->face->mNet) {
        ShowInternalError("CreateFromVert() - Face %d already done(2)\nNetType %d, Net %d",
                          Face3D::GetIndex(across->face), GetNumber(this, model), made);
        ok = false;
        break;
      }
      if (made == 0) CalcUnfoldedFacePos2D(current, across, false, nullptr);
      net->AddFacelet(current, across);
      fan.push_back(across->face);
      Edge3D* next = across->GetNextInLoop();
      if (next == closing) break;
      current = next;
    }
    // The facelet half-way round the fan anchors the net.
    const size_t half = (fan.size() - 1) / 2;
    if (half > 0) {
      Face3D* anchor = fan[half];
      Face3D* before = fan[half - 1];
      before->mNextInNet = anchor->mNextInNet;
      if (net->last == anchor) net->last = before;
      anchor->mNextInNet = net->first;
      net->first = anchor;
    }
    ++made;
  }
  if (made < expected) {
    ShowInternalError("CreateFromVert() - Too few nets");
    numNets = made;
    DropEmptyNets();
  }
  return ok;
}

bool NetType::CopyFirstNet() {
  Net* firstNet = GetFirstNet();
  if (!firstNet || !firstNet->first) return false;
  Face3DType* faceType = firstNet->first->mType;
  int made = 1;
  bool ok = true;
  // The copies of a flat face of a finely cut model are many facelets each: the bar
  // moves over the current range by the copies made.
  ProgressTicker tick;
  const double copies = std::max(numNets - 1, 1);
  for (int f = 0; f < faceType->mNumFacelets && ok; ++f) {
    Face3D* facelet = &faceType->mFacelets[f];
    if (facelet->mNet) continue;
    if (made >= numNets) {
      ShowInternalError("CopyFirstNet: found too many nets, expected %d", numNets);
      break;
    }
    Net* net = &nets[made++];
    net->Init(this, facelet);
    Face3D* copy = net->first;
    for (Face3D* model = firstNet->first; model && copy; model = model->mNextInNet, copy = copy->mNextInNet) {
      if (!tick((made - 2) / copies)) return false;
      if (model->mType != copy->mType) {
        ShowInternalError("CopyFirstNet: faces of different types");
        ok = false;
        break;
      }
      const int count = model->GetNumEdges();
      for (int i = 0; i < count; ++i) {
        const Edge3D& pattern = model->mEdges[i];
        Edge3D* edge = &copy->mEdges[i];
        if (pattern.flags & kEdgePlacementJoin) {
          edge->flags |= kEdgePlacementJoin;
          if (Edge3D* across = Edge3D::GetNeighInNet(edge, false)) across->flags |= kEdgePlacementJoin;
        }
        if (pattern.flags & kEdgeJoinedFirst) {
          Edge3D* across = Edge3D::GetNeighInNet(edge, true);
          if (!across) {
            ShowInternalError("CopyFirstNet: neigh NULL");
            continue;
          }
          if (!across->face->mNet) net->AddFacelet(edge, across);
        }
      }
    }
  }
  if (made < numNets) {
    ShowInternalError("CopyFirstNet: found too few nets, expected %d, got %d", numNets, made);
    numNets = made;
    DropEmptyNets();
  }
  return ok;
}

std::vector<std::pair<int, int>> NetType::CopiesInFirstNet(const Edge3D* edge) const {
  const Net* firstNet = GetFirstNet();
  std::vector<std::pair<int, int>> places;
  Edge3DType copies;
  copies.Init(edge);
  for (Edge3D* copy = copies.GetEdge(nullptr); copy; copy = copies.GetEdge(copy)) {
    if (copy->face->mNet == firstNet) places.push_back({copy->face->GetIndexInNet(), Edge3D::GetIndex(copy)});
  }
  if (places.empty()) places.push_back({edge->face->GetIndexInNet(), Edge3D::GetIndex(edge)});
  std::sort(places.begin(), places.end());
  return places;
}

bool NetType::Spread() {
  Net* firstNet = GetFirstNet();
  if (!firstNet || !firstNet->first) return true;
  const int max = detail_Net::MaxFacesPerNet();
  int count = Net::CountFacelets(firstNet);
  // The outlines are filed only for nets that can grow: the nets of the flat faces of
  // a finely cut model have every neighbour in a net already.
  auto canGrowAt = [](const Edge3D* edge) {
    if (edge->flags & (kEdgeNeverJoin | kEdgeJoined | kEdgeJoinedSomewhere)) return false;
    const Edge3D* neighbour = Edge3D::GetNeighInNet(edge, true);
    return neighbour && !neighbour->face->mNet;
  };
  bool grows = false;
  for (const Face3D* f = firstNet->first; f && !grows; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges() && !grows; ++i) grows = canGrowAt(&f->mEdges[i]);
  }
  if (!grows) return true;
  // Every net's outline filed by place, kept in step as the nets grow.
  std::vector<std::unique_ptr<NetOutline>> outlines(static_cast<size_t>(numNets));
  const double cell = NetOutline::CellSizeFor(*firstNet);
  for (int n = 0; n < numNets; ++n) {
    outlines[static_cast<size_t>(n)] = std::make_unique<NetOutline>(cell);
    outlines[static_cast<size_t>(n)]->Fill(nets[n]);
  }
  auto outlineOf = [&](const Net* net) -> NetOutline* {
    const ptrdiff_t n = net - nets.get();
    return n >= 0 && n < numNets ? outlines[static_cast<size_t>(n)].get() : nullptr;
  };
  // A Cancel stops the spreading as a refusal does.
  ProgressTicker tick;
  for (Face3D* f = firstNet->first; f; f = f->mNextInNet) {
    if (groupSize + count > max) break;
    if (!tick()) return false;
    const int edges = f->GetNumEdges();
    for (int i = 0; i < edges && groupSize + count <= max; ++i) {
      Edge3D* edge = &f->mEdges[i];
      if (!canGrowAt(edge)) continue;
      Edge3D* neighbour = Edge3D::GetNeighInNet(edge, true);
      const int rots = neighbour->face->mType->GetNumRots();
      if (!(rots < 2 || rots == groupSize)) continue;
      // The same step at every copy of the edge, or at none. A net that its own
      // rotations keep holds several copies: its images of the edge under them, at the
      // same places in every net. A facelet on the net's axis is met from each of
      // them; it is placed from the first, and lies against the others where the
      // layout is symmetric.
      const std::vector<std::pair<int, int>> places = CopiesInFirstNet(edge);
      struct Trial {
        Net* net;
        Edge3D* copy;
        Edge3D* across;
        bool placed;  // false: met again, already placed from another copy
      };
      std::vector<Trial> trials;
      PlacementJoins joins;
      bool accepted = true;
      // The facelets placed so far in this step lie in their nets' outlines at once: a
      // later copy in the same net is tested against them as the walk would.
      std::vector<NetOutline*> recording;
      for (int n = 0; n < numNets && accepted; ++n) {
        Net* net = &nets[n];
        NetOutline* outline = outlineOf(net);
        if (outline) {
          outline->BeginTrial();
          recording.push_back(outline);
        }
        for (const auto& [position, index] : places) {
          Face3D* facelet = net->GetFaceletAt(position);
          Edge3D* copy = facelet && facelet->mType == f->mType && index < facelet->GetNumEdges()
                             ? &facelet->mEdges[index]
                             : nullptr;
          Edge3D* across = copy ? Edge3D::GetNeighInNet(copy, true) : nullptr;
          if (!across || (copy->flags & kEdgeJoined)) {
            accepted = false;
            break;
          }
          if (across->face->mNet) {
            const bool metAgain =
                across->face->mNet == net && std::any_of(trials.begin(), trials.end(), [&](const Trial& t) {
                  return t.placed && t.across->face == across->face;
                });
            const bool lying = std::find(joins.begin(), joins.end(), across) != joins.end() ||
                               std::find(joins.begin(), joins.end(), copy) != joins.end();
            if (!metAgain || !lying) {
              accepted = false;
              break;
            }
            trials.push_back({net, copy, across, false});
            continue;
          }
          if (!CalcUnfoldedFacePos2D(copy, across, true, &joins, outline)) {
            accepted = false;
            break;
          }
          copy->flags |= kEdgeJoinedFirst;
          across->flags |= kEdgeJoinedAdded;
          across->face->mNet = net;
          if (outline) {
            outline->Remove(copy);
            outline->InsertOpenEdges(across->face);
          }
          trials.push_back({net, copy, across, true});
        }
      }
      for (NetOutline* outline : recording) {
        if (accepted) {
          outline->KeepTrial();
        } else {
          outline->UndoTrial();
        }
      }
      for (const Trial& t : trials) {
        if (!t.placed) continue;
        t.copy->flags &= ~kEdgeJoinedFirst;
        t.across->flags &= ~kEdgeJoinedAdded;
        t.across->face->mNet = nullptr;
      }
      if (!accepted) continue;
      for (const Trial& t : trials) {
        if (!t.placed) continue;
        t.net->AddFacelet(t.copy, t.across);
        if (t.net == firstNet) ++count;
      }
      ApplyPlacementJoins(joins);
    }
  }
  const int recount = Net::CountFacelets(firstNet);
  if (recount != count) {
    ShowInternalError("Spread() - Expected %d faces, but actually have %d", count, recount);
    return false;
  }
  return true;
}

void NetType::SetBBoxRadii() {
  using detail_Net::Cross2;
  Net* net = GetFirstNet();
  hullStart = nullptr;
  radiusX = radiusY = 0.0;
  if (!net || !net->first) return;
  // The outline points of the first net and their convex hull (monotone chain).
  struct Point {
    double p[2];
    Edge3D* edge;
  };
  std::vector<Point> points;
  points.reserve(static_cast<size_t>(Net::CountFacelets(net)) * 4);
  // A net of a million facelets takes a while: the window answers as the points are
  // gathered and sorted, the hull found and the net turned, the bar moving over the
  // current range (a Cancel is taken at the next report). The sort counts on some
  // n log n comparisons.
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  const double facelets = std::max(1, Net::CountFacelets(net));
  double gathered = 0.0;
  for (Face3D* f = net->first; f; f = f->mNextInNet) {
    (void)tick(0.1 * std::min(1.0, ++gathered / facelets));
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* edge = &f->mEdges[i];
      edge->flags &= ~kEdgeHullPoint;
      points.push_back({{edge->unfolded[0], edge->unfolded[1]}, edge});
    }
  }
  const double comparisons = static_cast<double>(points.size()) * std::log2(static_cast<double>(points.size()) + 2.0);
  double compared = 0.0;
  std::sort(points.begin(), points.end(), [&](const Point& a, const Point& b) {
    (void)tick(0.1 + 0.7 * std::min(1.0, ++compared / comparisons));
    return a.p[0] < b.p[0] || (a.p[0] == b.p[0] && a.p[1] < b.p[1]);
  });
  // The chain holds at most every point and the first again: a net of a million
  // facelets wants no table of twice its points.
  std::vector<Point> hull;
  hull.reserve(points.size() + 1);
  auto turnsLeft = [&hull](const Point& next) {
    return Cross2(hull[hull.size() - 2].p, hull.back().p, next.p) > kPointTolerance * kPointTolerance;
  };
  const double walked = 2.0 * std::max<size_t>(points.size(), 1);
  for (size_t i = 0; i < points.size(); ++i) {
    (void)tick(0.8 + 0.05 * i / walked);
    while (hull.size() >= 2 && !turnsLeft(points[i])) hull.pop_back();
    hull.push_back(points[i]);
  }
  for (size_t i = points.size() - 1, lower = hull.size() + 1; i-- > 0;) {
    (void)tick(0.85 - 0.05 * i / walked);
    while (hull.size() >= lower && !turnsLeft(points[i])) hull.pop_back();
    hull.push_back(points[i]);
  }
  if (hull.size() > 1) hull.pop_back();
  for (const Point& h : hull) {
    if (!(h.edge->flags & kEdgeJoined)) h.edge->flags |= kEdgeHullPoint;
  }
  if (!hull.empty()) hullStart = hull.front().edge;

  // The least-area rectangle has a side along a hull edge.
  double bestArea = -1.0;
  double bestDir[2] = {1.0, 0.0};
  double bestMin[2] = {0.0, 0.0};
  double bestMax[2] = {0.0, 0.0};
  const size_t n = hull.size();
  // Each side against every hull point: a hull of thousands of points answers along.
  for (size_t i = 0; i < n; ++i) {
    (void)ProgressTick(0.85 + 0.1 * static_cast<double>(i) / n);
    const double* a = hull[i].p;
    const double* b = hull[(i + 1) % n].p;
    double d[2] = {b[0] - a[0], b[1] - a[1]};
    const double length = std::hypot(d[0], d[1]);
    if (length < kPointTolerance) {
      if (n > 1) continue;
      d[0] = 1.0;
      d[1] = 0.0;
    } else {
      d[0] /= length;
      d[1] /= length;
    }
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (const Point& q : hull) {
      const double along = q.p[0] * d[0] + q.p[1] * d[1];
      const double across = -q.p[0] * d[1] + q.p[1] * d[0];
      lo[0] = std::min(lo[0], along);
      hi[0] = std::max(hi[0], along);
      lo[1] = std::min(lo[1], across);
      hi[1] = std::max(hi[1], across);
    }
    const double area = (hi[0] - lo[0]) * (hi[1] - lo[1]);
    bool better = bestArea < 0.0 || area < bestArea - kPointTolerance;
    if (!better && std::fabs(area - bestArea) <= kPointTolerance) {
      better = d[0] > bestDir[0] + kPointTolerance ||
               (std::fabs(d[0] - bestDir[0]) <= kPointTolerance && d[1] > bestDir[1] + kPointTolerance);
    }
    if (better) {
      bestArea = area;
      bestDir[0] = d[0];
      bestDir[1] = d[1];
      bestMin[0] = lo[0];
      bestMin[1] = lo[1];
      bestMax[0] = hi[0];
      bestMax[1] = hi[1];
    }
  }
  const double tab = GetNetTabSizeInModelUnits();
  radiusX = (bestMax[0] - bestMin[0]) / 2.0 + tab;
  radiusY = (bestMax[1] - bestMin[1]) / 2.0 + tab;
  // Turn the net so that the rectangle is upright and centred on the origin.
  const double cx = (bestMin[0] + bestMax[0]) / 2.0;
  const double cy = (bestMin[1] + bestMax[1]) / 2.0;
  const double m[6] = {bestDir[0], -bestDir[1], bestDir[1], bestDir[0], -cx, -cy};
  double turned = 0.0;
  for (Face3D* f = net->first; f; f = f->mNextInNet) {
    (void)tick(0.95 + 0.05 * std::min(1.0, ++turned / facelets));
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) Transform2DPoint(m, f->mEdges[i].unfolded, f->mEdges[i].unfolded);
    const double* t = f->mNetTransform;
    const double composed[6] = {m[0] * t[0] + m[2] * t[1],        m[1] * t[0] + m[3] * t[1],
                                m[0] * t[2] + m[2] * t[3],        m[1] * t[2] + m[3] * t[3],
                                m[0] * t[4] + m[2] * t[5] + m[4], m[1] * t[4] + m[3] * t[5] + m[5]};
    for (int i = 0; i < 6; ++i) f->mNetTransform[i] = composed[i];
  }
}

double NetType::GetBBoxRadius() const {
  return std::sqrt(radiusX * radiusX + radiusY * radiusY);
}

int CompareNetTypes(const NetType* a, const NetType* b) {
  const double areaA = a->radiusX * a->radiusY;
  const double areaB = b->radiusX * b->radiusY;
  if (areaA > areaB + kPointTolerance) return -1;
  if (areaA < areaB - kPointTolerance) return 1;
  return 0;
}

}  // namespace corvia
