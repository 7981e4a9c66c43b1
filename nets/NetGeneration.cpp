// Making the nets of a facet model: which facelets are glued together in the flat,
// in which order the nets grow, how they are grouped into net types and sorted,
// which edges carry glue tabs, and which net is current.

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/Units.h"
#include "model/Poly.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"
#include "nets/Unfold.h"
#include "platform/Services.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_NetGeneration {

constexpr double kPi = 3.141592653589793;
constexpr int kVertexWalkLimit = 101;
// Information-tree reason: the nets changed.
constexpr unsigned kInfoReasonNets = 2;
// The bar's parts, in the shares of the time they take: growing the nets (by the
// facelets in nets), merging them (by the merging passes), their layouts and numbers,
// and the glue tabs (by the edgelets trimmed).
constexpr double kGrowEnd = 0.15;
// Of the growing, the share of marking the edgelets that are never joined (by the
// facelet types); the rest goes by the facelets in nets.
constexpr double kMarkShare = 0.1;
double GrowthShare(double inNets) {
  return kGrowEnd * (kMarkShare + (1.0 - kMarkShare) * inNets);
}
constexpr double kMergeEnd = 0.25;
constexpr double kLayoutEnd = 0.3;

int MaxFacesPerNet() {
  const int32_t max = GetUnitSettings().mMaxFacesPerNet;
  return max < 1 ? 1 : max;
}

template <typename Fn>
void ForEachEdge(Model3D* model, Fn fn) {
  for (Face3DType* list : {model->mFaceTypes, model->mDrawnTypes}) {
    for (Face3DType* type = list; type; type = type->mNext) {
      for (int f = 0; f < type->mNumFacelets; ++f) {
        Face3D* facelet = &type->mFacelets[f];
        const int count = facelet->GetNumEdges();
        for (int i = 0; i < count; ++i) fn(&facelet->mEdges[i]);
      }
    }
  }
}

bool ColoursDiffer(const Face3D* a, const Face3D* b) {
  const float* ca = a->GetColor();
  const float* cb = b->GetColor();
  return ca[0] != cb[0] || ca[1] != cb[1] || ca[2] != cb[2];
}

}  // namespace detail_NetGeneration

// The state of one generation of nets: the model, the progress and the searches.
class NetGenerator {
 public:
  explicit NetGenerator(Model3D* model) : mModel(model) {}

  // False when the user cancelled.
  bool GenerateAllNets();
  // The rest of the nets (drawn polygons, layouts, numbers, order, tabs); false when
  // the user cancelled.
  bool FinishNets();
  // Reports the share of the work done (a ProgressTick, so at most every
  // kProgressTickSeconds); false once the work was cancelled.
  bool ReportProgress(double fraction);

 private:
  struct VertexLoop {
    std::vector<Edge3D*> edges;
    bool closed = false;
    bool metNotSymmetric = false;
  };
  struct Choice {
    Edge3D* edge = nullptr;
    Face3DType* faceType = nullptr;
    int order = 0;
    bool fromVertexSearch = false;
  };

  // The share of the growing done: the facelets in nets.
  bool ReportGrowth();
  // False when the user cancelled.
  bool MakeFlatRegionNets();
  bool GenerateNets();
  // The walk round the start vertex of e: across each edgelet to its neighbour in the
  // net and on to that one's next edgelet. Every edgelet passed gets the seen mark.
  bool WalkAroundVertex(Edge3D* e, VertexLoop& loop, std::vector<Edge3D*>& seen);
  Choice SearchVertices(std::vector<Edge3D*>& seen);
  Choice SearchFaceTypes(int bestOrder);
  Choice SearchAnyLoop(std::vector<Edge3D*>& seen);
  Edge3D* BestStartAroundVertex(Edge3D* e);
  // A net of a type that is not built like the first one (other facelet types or
  // joins at its places) cannot share the first one's layout and tabs: it becomes a
  // type of its own.
  void SplitUnlikeNets();
  void FinishNetTypes();

  Model3D* mModel;
  bool mCancelled = false;
  // The vertices the vertex search looks at: the first of each vertex group, not at
  // the origin, in index order.
  std::vector<Vert3D*> mSearchVerts;
  // The any-loop search rejects every edgelet before the one it finds: the next
  // search starts at that one's vertex.
  int mAnyLoopVertex = 0;
};

bool NetGenerator::ReportProgress(double fraction) {
  // A cancel may have been met by a tick deep in the work since the last report.
  if (!mCancelled && !ProgressTick(fraction, kMakingNetsCaption)) mCancelled = true;
  return !mCancelled;
}

bool NetGenerator::ReportGrowth() {
  // The count walks every facelet: it is made only when a report is due.
  if (mCancelled || !IsProgressTickDue()) return ReportProgress(kProgressNoReport);
  const int total = mModel->GetNumFacelets();
  int done = 0;
  for (Face3DType* type = mModel->mFaceTypes; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) done += type->mFacelets[f].mNet ? 1 : 0;
  }
  return ReportProgress(detail_NetGeneration::GrowthShare(total > 0 ? static_cast<double>(done) / total : 0.0));
}

bool NetGenerator::GenerateAllNets() {
  using namespace detail_NetGeneration;
  if (mModel->mNumVerts < 1) return true;
  for (Face3DType* type = mModel->mFaceTypes; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) {
      type->mFacelets[f].mNet = nullptr;
      type->mFacelets[f].mNextInNet = nullptr;
    }
  }
  ForEachEdge(mModel, [](Edge3D* e) { e->flags &= ~kEdgeGenerationFlags; });
  const bool keepColoursApart = PrintCellLines();
  int types = 0, marked = 0;
  for (const Face3DType* type = mModel->mFaceTypes; type; type = type->mNext) ++types;
  for (Face3DType* type = mModel->mFaceTypes; type; type = type->mNext) {
    if (!ReportProgress(kGrowEnd * kMarkShare * marked++ / types)) return false;
    if (type->mNumFacelets < 1 || type->mNumEdges < 1) continue;
    Edge3DType edgeType;
    edgeType.Init(type);
    do {
      bool cut = false;
      for (Edge3D* e = edgeType.GetEdge(nullptr); e; e = edgeType.GetEdge(e)) {
        Edge3D* neighbour = Edge3D::GetNeighInNet(e, true);
        if (!neighbour || (e->flags & kEdgeSameWayNeighbour)) e->flags |= kEdgeGeneratorCut;
        if (keepColoursApart && neighbour && ColoursDiffer(e->face, neighbour->face)) e->flags |= kEdgeGeneratorCut;
        if (e->flags & kEdgeCut) cut = true;
      }
      if (cut) {
        for (Edge3D* e = edgeType.GetEdge(nullptr); e; e = edgeType.GetEdge(e)) e->flags |= kEdgeNeverJoin;
      }
    } while (edgeType.Next());
  }
  if (!ReportGrowth() || !MakeFlatRegionNets()) return false;
  if (!ReportGrowth()) return false;
  // A refusal ends the growing; a Cancel (met inside the spreading) ends the nets.
  if (!GenerateNets()) return ReportProgress(kProgressNoReport);

  const SymGroup* group = mModel->mPoly ? mModel->mPoly->mSymGroup : nullptr;
  int order = group && group->numAxisTypes > 0 ? std::abs(group->axisTypes[0].fold) : 1;
  if (group && group->type == kSymGroupDihedral && order > 2) order = 2;
  if (order < 1) order = 1;
  for (NetType* type = mModel->mNetTypes; type; type = type->next) type->TryToCombineNets(order);
  SplitUnlikeNets();
  if (!ReportGrowth()) return false;
  FinishNetTypes();
  return !mCancelled;
}

bool NetGenerator::MakeFlatRegionNets() {
  const SymGroup* group = mModel->mPoly ? mModel->mPoly->mSymGroup : nullptr;
  const int groupOrder = group && group->numRotations > 0 ? group->numRotations : 1;
  const int total = mModel->GetNumFacelets();
  int64_t settled = 0;
  for (Face3DType* type = mModel->mFaceTypes; type; type = type->mNext) {
    if (type->mNumFacelets < 1 || type->mFacelets[0].mNet) continue;
    Face3D* start = &type->mFacelets[0];
    struct Reached {
      Face3D* facelet;
      Edge3D* from;
      Edge3D* across;
    };
    std::vector<Reached> queue{{start, nullptr, nullptr}};
    start->mFlags |= kFaceletVisited;
    int ownType = 1;
    // The flat face of a finely cut model is one region of many facelets: the bar moves
    // by the facelets reached and then placed.
    ProgressTicker tick;
    auto share = [&]() {
      return detail_NetGeneration::GrowthShare(total > 0 ? static_cast<double>(settled) / (2.0 * total) : 0.0);
    };
    for (size_t k = 0; k < queue.size(); ++k, ++settled) {
      if (!tick(share())) {
        for (const Reached& r : queue) r.facelet->mFlags &= ~kFaceletVisited;
        mCancelled = true;
        return false;
      }
      Face3D* facelet = queue[k].facelet;
      const int count = facelet->GetNumEdges();
      for (int i = 0; i < count; ++i) {
        Edge3D* e = &facelet->mEdges[i];
        Edge3D* across = e->mNeigh;
        if (!across || across->face->mNet || (e->flags & kEdgeNeverJoin) || e->nextCoinc) continue;
        if (e->dihedral < kFlatLow || e->dihedral > kFlatHigh) continue;
        if (across->face->mFlags & kFaceletVisited) {
          if (across != queue[k].from) {
            e->flags |= kEdgePlacementJoin;
            across->flags |= kEdgePlacementJoin;
          }
          continue;
        }
        across->face->mFlags |= kFaceletVisited;
        queue.push_back({across->face, e, across});
        if (across->face->mType == type) ++ownType;
      }
    }
    for (const Reached& r : queue) r.facelet->mFlags &= ~kFaceletVisited;
    if (queue.size() < 2) continue;
    const int nets = type->mNumFacelets / ownType;
    NetType* netType = new NetType(groupOrder / (nets > 0 ? nets : 1), nets);
    mModel->AppendNetType(netType);
    Net* net = netType->GetFirstNet();
    net->Init(netType, start);
    ++settled;
    for (size_t k = 1; k < queue.size(); ++k, ++settled) {
      if (!tick(share())) {
        mCancelled = true;
        return false;
      }
      CalcUnfoldedFacePos2D(queue[k].from, queue[k].across, false, nullptr);
      net->AddFacelet(queue[k].from, queue[k].across);
    }
    if (netType->numNets > 1) {
      // Each copy is reached and placed at once.
      const double from = share();
      settled += 2 * static_cast<int64_t>(netType->numNets - 1) * static_cast<int64_t>(queue.size());
      const ProgressRange whole = PushProgressRange(from, share());
      netType->CopyFirstNet();
      PopProgressRange(whole);
    }
    if (!ReportProgress(kProgressNoReport)) return false;
  }
  return true;
}

bool NetGenerator::WalkAroundVertex(Edge3D* e, VertexLoop& loop, std::vector<Edge3D*>& seen) {
  using namespace detail_NetGeneration;
  const int max = MaxFacesPerNet();
  loop.edges.clear();
  loop.closed = false;
  loop.metNotSymmetric = false;
  Edge3D* current = e;
  for (int steps = 0; steps < kVertexWalkLimit; ++steps) {
    if (!(current->flags & kEdgeSeenAtVertex)) {
      current->flags |= kEdgeSeenAtVertex;
      seen.push_back(current);
    }
    if ((current != e && (current->flags & kEdgeRejectedStart)) || (current->flags & kEdgeNeverJoin) ||
        current->face->mNet) {
      return false;
    }
    Edge3D* across = Edge3D::GetNeighInNet(current, true);
    if (!across) return false;
    if ((current->flags & kEdgeNotSymmetricStart) && !(current->flags & kEdgeRejectedStart))
      loop.metNotSymmetric = true;
    loop.edges.push_back(current);
    if (static_cast<int>(loop.edges.size()) > max) return false;
    Edge3D* next = across->GetNextInLoop();
    if (next == e) {
      loop.closed = true;
      return true;
    }
    current = next;
  }
  ShowInternalError("GenerateNets: Failed to find edge loop around vertex %d, starting at %s",
                    Vert3D::GetIndexIn(e->vert, mModel), GetEdgeName(e).c_str());
  return false;
}

NetGenerator::Choice NetGenerator::SearchVertices(std::vector<Edge3D*>& seen) {
  Choice best;
  double bestDistance = -1.0;
  double bestMean = 0.0;
  bool bestConvex = false;
  VertexLoop loop;
  for (Vert3D* vertex : mSearchVerts) {
    const double distance = Dot(vertex->mPos, vertex->mPos);
    if (distance < bestDistance - kPointTolerance) continue;
    const int rotations = vertex->GetNumRots(mModel);
    for (Edge3D* e = vertex->mFirstEdge; e; e = e->nextAtVert) {
      if (e->flags & (kEdgeSeenAtVertex | kEdgeRejectedStart | kEdgeNotSymmetricStart)) continue;
      if (e->face->mNet) {
        e->flags |= kEdgeRejectedStart;
        continue;
      }
      if (!WalkAroundVertex(e, loop, seen)) {
        e->flags |= kEdgeRejectedStart;
        continue;
      }
      if (loop.metNotSymmetric) {
        e->flags |= kEdgeNotSymmetricStart;
        continue;
      }
      bool convex = true;
      double sum = 0.0;
      for (const Edge3D* x : loop.edges) {
        convex = convex && x->GetDihedralAngle() <= kConvexLimit;
        sum += x->GetDihedralAngle();
      }
      if (!convex && bestConvex) continue;
      const int n = static_cast<int>(loop.edges.size());
      int order = 1;
      if (rotations > 1 && n % rotations == 0) {
        Edge3D* x = e;
        for (int k = 0; k < n / rotations && x; ++k) {
          Edge3D* across = Edge3D::GetNeighInNet(x, false);
          x = across ? across->GetNextInLoop() : nullptr;
        }
        if (x && x != e && Edge3D::GetIndex(x) == Edge3D::GetIndex(e) && x->face->mType == e->face->mType) {
          order = rotations;
        }
      }
      // A facelet with another corner of the same vertex group would be wanted by two
      // fans.
      bool shared = false;
      for (const Edge3D* x : loop.edges) {
        const int corners = x->face->GetNumEdges();
        for (int c = 0; c < corners && !shared; ++c) {
          const Vert3D* corner = x->face->mEdges[c].vert;
          shared = corner && corner != vertex && Vert3D::IsSameGroup(corner, vertex);
        }
      }
      if (shared) {
        e->flags |= kEdgeRejectedStart;
        continue;
      }
      const double mean = sum / n;
      if (convex || order > 1) {
        const bool farther = distance > bestDistance + kPointTolerance;
        const bool equal = std::fabs(distance - bestDistance) <= kPointTolerance;
        if (!best.edge || farther || (equal && ((convex && !bestConvex) || mean < bestMean))) {
          best.edge = e;
          best.order = order;
          best.fromVertexSearch = true;
          bestDistance = distance;
          bestMean = mean;
          bestConvex = convex;
        }
      } else {
        e->flags |= kEdgeNotSymmetricStart;
      }
    }
  }
  return best;
}

NetGenerator::Choice NetGenerator::SearchFaceTypes(int bestOrder) {
  const SymGroup* group = mModel->mPoly ? mModel->mPoly->mSymGroup : nullptr;
  const bool dihedral = group && group->type == kSymGroupDihedral;
  Choice best;
  for (Face3DType* type = mModel->mFaceTypes; type; type = type->mNext) {
    if (type->mNumFacelets < 1 || type->mFacelets[0].mNet) continue;
    int order = type->GetNumRots();
    if (dihedral && order > 2) order = 1;
    if (order > bestOrder && order > best.order) {
      best.faceType = type;
      best.order = order;
    }
  }
  return best;
}

NetGenerator::Choice NetGenerator::SearchAnyLoop(std::vector<Edge3D*>& seen) {
  Choice choice;
  VertexLoop loop;
  for (int v = mAnyLoopVertex; v < mModel->mNumVerts; ++v) {
    for (Edge3D* e = mModel->mVerts[static_cast<size_t>(v)].mFirstEdge; e; e = e->nextAtVert) {
      if (e->flags & kEdgeRejectedStart) continue;
      if (!e->face->mNet && WalkAroundVertex(e, loop, seen)) {
        choice.edge = e;
        choice.order = 1;
        mAnyLoopVertex = v;
        return choice;
      }
      e->flags |= kEdgeRejectedStart;
    }
  }
  return choice;
}

Edge3D* NetGenerator::BestStartAroundVertex(Edge3D* e) {
  VertexLoop loop;
  std::vector<Edge3D*> seen;
  const bool closed = WalkAroundVertex(e, loop, seen);
  for (Edge3D* x : seen) x->flags &= ~kEdgeSeenAtVertex;
  if (!closed || loop.edges.empty()) return nullptr;
  Edge3D* chosen = nullptr;
  double shortest = 0.0;
  for (int pass = 0; pass < 2 && !chosen; ++pass) {
    for (Edge3D* x : loop.edges) {
      if (pass == 0 && x->GetDihedralAngle() <= kConvexLimit) continue;
      const double length = x->GetLengthSquared();
      if (!chosen || length < shortest) {
        chosen = x;
        shortest = length;
      }
    }
  }
  Edge3D* across = Edge3D::GetNeighInNet(chosen, true);
  Edge3D* start = across ? across->GetNextInLoop() : nullptr;
  if (!start || start->face->mNet) {
    ShowInternalError("BestStartAroundVertex() - Face already done");
    return nullptr;
  }
  // The fan from the start must lie flat without overlap.
  std::vector<Edge3D*> marked;
  bool ok = true;
  Edge3D* current = start;
  for (size_t k = 0; k + 1 < loop.edges.size() && ok; ++k) {
    Edge3D* next = Edge3D::GetNeighInNet(current, true);
    if (!next) {
      ok = false;
      break;
    }
    if (next->face->mNet) {
      // A trace, not a failure: this start is passed over for another.
      DoNothing("BestStartAroundVertex() - Face %d already done\n", Face3D::GetIndex(next->face));
      ok = false;
      break;
    }
    if (!CalcUnfoldedFacePos2D(current, next, true, nullptr)) {
      ok = false;
      break;
    }
    current->flags |= kEdgeJoinedFirst | kEdgeTrialMark;
    next->flags |= kEdgeJoinedAdded | kEdgeTrialMark;
    marked.push_back(current);
    marked.push_back(next);
    current = next->GetNextInLoop();
  }
  for (Edge3D* x : marked) x->flags &= ~(kEdgeJoined | kEdgeTrialMark);
  return ok ? start : nullptr;
}

bool NetGenerator::GenerateNets() {
  for (NetType* type = mModel->mNetTypes; type; type = type->next) {
    if (type->groupSize > 1 && !type->Spread()) return false;
  }
  mSearchVerts.clear();
  for (int v = 0; v < mModel->mNumVerts; ++v) {
    Vert3D* vertex = &mModel->mVerts[static_cast<size_t>(v)];
    if ((vertex->mFlags & kVertGroupFirst) && !(vertex->mFlags & kVertAlone)) mSearchVerts.push_back(vertex);
  }
  mAnyLoopVertex = 0;
  const bool several = detail_NetGeneration::MaxFacesPerNet() > 1;
  bool vertexSearch = several;
  bool faceSearch = several;
  bool anyLoopSearch = several;
  std::vector<Edge3D*> seen;
  for (;;) {
    if (!ReportGrowth()) return false;
    Choice choice;
    if (vertexSearch) {
      choice = SearchVertices(seen);
      if (!choice.edge) vertexSearch = false;
    }
    if (!choice.edge && faceSearch) {
      choice = SearchFaceTypes(choice.order);
      if (!choice.faceType) faceSearch = false;
    }
    if (!choice.edge && !choice.faceType && anyLoopSearch) {
      choice = SearchAnyLoop(seen);
      if (!choice.edge) anyLoopSearch = false;
    }
    for (Edge3D* x : seen) x->flags &= ~kEdgeSeenAtVertex;
    seen.clear();
    if (!choice.edge && !choice.faceType) {
      for (Face3DType* type = mModel->mFaceTypes; type; type = type->mNext) {
        if (type->mNumFacelets > 0 && !type->mFacelets[0].mNet) {
          choice.faceType = type;
          choice.order = 1;
          break;
        }
      }
      if (!choice.faceType) return true;
    }
    if (choice.edge) {
      Edge3D* start = BestStartAroundVertex(choice.edge);
      if (!start) {
        choice.edge->flags |= kEdgeRejectedStart;
        continue;
      }
      choice.edge = start;
    }
    NetType* type = new NetType(choice.order, 0);
    mModel->AppendNetType(type);
    bool ok;
    if (choice.faceType) {
      ok = type->CreateFromFaceType(choice.faceType) && type->Spread();
    } else {
      ok = type->CreateFromVert(choice.edge, mModel) && (choice.fromVertexSearch || type->Spread());
    }
    if (!ok) return false;
  }
}

namespace detail_NetGeneration {

// How a net is built: for each place of its chain the facelet type, and for each
// edgelet the place and edgelet it is joined to (or how it is cut).
// The place of the facelet across is read from the net's table of places: a search of
// the chain for it would make a net of a whole flat face cost its facelets squared.
std::vector<const void*> NetShape(const Net& net) {
  const std::vector<Face3D*>& chain = net.Places();
  std::vector<const void*> shape;
  // The nets of a finely cut model's faces are compared answering the window.
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  for (const Face3D* f : chain) {
    (void)tick();
    shape.push_back(f->mType);
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      const Edge3D& e = f->mEdges[i];
      intptr_t code = -1;
      if (e.flags & (kEdgeJoined | kEdgePlacementJoin)) {
        const Edge3D* across = Edge3D::GetNeighInNet(&e, false);
        const int32_t place = across ? across->face->mPlaceInNet : -1;
        const bool inChain = place >= 0 && place < static_cast<int32_t>(chain.size()) &&
                             chain[static_cast<size_t>(place)] == across->face;
        code = !inChain ? -2
                        : intptr_t{place} * 4096 + Edge3D::GetIndex(across) * 4 +
                              ((e.flags & kEdgeJoinedFirst) ? 1 : 0) + ((e.flags & kEdgePlacementJoin) ? 2 : 0);
      }
      shape.push_back(reinterpret_cast<const void*>(code));
    }
  }
  return shape;
}

}  // namespace detail_NetGeneration

void NetGenerator::SplitUnlikeNets() {
  for (NetType* type = mModel->mNetTypes; type; type = type->next) {
    if (type->numNets < 2) continue;
    const std::vector<const void*> pattern = detail_NetGeneration::NetShape(type->nets[0]);
    bool split = false;
    for (int n = 1; n < type->numNets && ReportProgress(kProgressNoReport); ++n) {
      Net& net = type->nets[n];
      if (!net.first || detail_NetGeneration::NetShape(net) == pattern) continue;
      NetType* own = new NetType(1, 1);
      own->nets[0].type = own;
      own->nets[0].first = net.first;
      own->nets[0].last = net.last;
      for (Face3D* f = net.first; f; f = f->mNextInNet) f->mNet = &own->nets[0];
      net.first = net.last = nullptr;
      own->nets[0].Relayout(false, nullptr);
      mModel->AppendNetType(own);
      split = true;
    }
    if (split) {
      type->DropEmptyNets();
      type->groupSize = 1;
    }
  }
}

void NetGenerator::FinishNetTypes() {
  using namespace detail_NetGeneration;
  int types = 0;
  for (NetType* type = mModel->mNetTypes; type; type = type->next) {
    type->TestMergeCandidate();
    ++types;
  }
  NetType* type = mModel->mNetTypes;
  int passes = 0;
  // Each pass goes on from a later type of the list as it was: the passes are about
  // as many as the types.
  auto fraction = [&]() {
    return kGrowEnd + (kMergeEnd - kGrowEnd) * std::min(1.0, static_cast<double>(passes) / (types + 1));
  };
  while (type) {
    // A pass of large nets takes long: its reports move the bar over its own part.
    const double from = fraction();
    ++passes;
    const ProgressRange whole = PushProgressRange(from, fraction());
    type = MergeConvexNetTypes(mModel, type);
    PopProgressRange(whole);
    if (!ReportProgress(fraction())) return;
  }
  mModel->mCurrentNet = mModel->mNetTypes ? mModel->mNetTypes->GetFirstNet() : nullptr;
}

// ---- The model's side ----------------------------------------------------------------------------

void Model3D::MakeNets() {
  if (mMakingNets) return;
  platform::WaitCursorScope wait;
  struct Making {
    explicit Making(bool& flag) : mFlag(flag) { mFlag = true; }
    ~Making() { mFlag = false; }
    bool& mFlag;
  } making(mMakingNets);
  ClearNets(true);
  // Counted again once made: the nets change all along the way.
  struct Changed {
    Model3D& model;
    ~Changed() { model.MarkNetsChanged(); }
  } changed{*this};
  mFlags |= kModelHasNets;
  mNetsCancelled = false;
  ProgressScope progress;
  // The first report of the level is always made: the window says what is made.
  const bool begun = ProgressTick(0.0, kMakingNetsCaption);
  // A cancel puts back the edgelets' marks as they were before (the user's cuts and tab
  // kinds among them), and no tab is left without its net. Millions of marks are kept
  // answering the window, under this level: a cancel there is its own.
  std::vector<uint32_t> marks;
  {
    ProgressTicker tick(ProgressTicker::kPasses * 16);
    detail_NetGeneration::ForEachEdge(this, [&marks, &tick](Edge3D* e) {
      (void)tick();
      marks.push_back(e->flags);
    });
  }
  NetGenerator generator(this);
  // A cancel up to the very end leaves no nets: the last tick answers it too.
  if (!begun || !generator.GenerateAllNets() || !generator.FinishNets() || !ProgressTick()) {
    // Stopped by the user: no half-made nets are left.
    ClearNets(true);
    size_t k = 0;
    detail_NetGeneration::ForEachEdge(this, [&](Edge3D* e) {
      if (k < marks.size()) e->flags = marks[k++];
      e->tab.reset();
    });
    mFlags &= ~kModelHasNets;
    mNetsCancelled = true;
    return;
  }
  platform::Services().views->InvalidateInfo(detail_NetGeneration::kInfoReasonNets);
}

bool NetGenerator::FinishNets() {
  Model3D* model = mModel;
  // The drawn polygons' facelets are nets of their own.
  for (Face3DType* type = model->mDrawnTypes; type; type = type->mNext) {
    if (type->mNumFacelets < 1 || type->mFacelets[0].mNet) continue;
    NetType* netType = new NetType(1, 0);
    model->AppendNetType(netType);
    netType->CreateFromFaceType(type);
  }
  // Each step goes over every net of a large model: the window answers between them
  // and along each, the bar moving over the step's part (the boxes' measure the most).
  auto step = [this](double from, double to, auto work) {
    using detail_NetGeneration::kLayoutEnd, detail_NetGeneration::kMergeEnd;
    const ProgressRange whole =
        PushProgressRange(kMergeEnd + (kLayoutEnd - kMergeEnd) * from, kMergeEnd + (kLayoutEnd - kMergeEnd) * to);
    work();
    PopProgressRange(whole);
    return ReportProgress(kProgressNoReport);
  };
  if (!step(0.0, 0.6, [model] { model->SetNetBBoxRadii(); })) return false;
  model->CopyFirstNetLayout();
  if (!step(0.6, 0.7, [model] { model->NumberEdgeConnections(); })) return false;
  if (!step(0.7, 0.8, [model] {
        for (NetType* type = model->mNetTypes; type; type = type->next) type->CalcCentres();
      })) {
    return false;
  }
  model->SortNetTypes();
  model->mCurrentNet = model->mNetTypes ? model->mNetTypes->GetFirstNet() : nullptr;
  if (!step(0.8, 1.0, [model] { model->AssignTabs(); })) return false;
  const ProgressRange whole = PushProgressRange(detail_NetGeneration::kLayoutEnd, 1.0);
  const bool made = model->RecreateTabs();
  PopProgressRange(whole);
  if (!made) mCancelled = true;
  return made;
}

bool Model3D::HasNets() const {
  return (mFlags & kModelHasNets) != 0 && !mMakingNets;
}

int Model3D::GetNumNetTypes() const {
  int count = 0;
  for (const NetType* type = mNetTypes; type; type = type->next) ++count;
  return count;
}

int Model3D::GetNumNets() const {
  int count = 0;
  for (const NetType* type = mNetTypes; type; type = type->next) count += type->numNets;
  return count;
}

Net* Model3D::GetNet(int i) const {
  if (i < 0) return nullptr;
  for (NetType* type = mNetTypes; type; type = type->next) {
    if (i < type->numNets) return &type->nets[i];
    i -= type->numNets;
  }
  return nullptr;
}

void Model3D::ClearNets(bool resetFacelets) {
  MarkNetsChanged();
  NetType* type = mNetTypes;
  while (type) {
    NetType* next = type->next;
    delete type;
    type = next;
  }
  mNetTypes = mNetTypesTail = nullptr;
  mCurrentNet = nullptr;
  mFoldFraction = -1.0;
  mFolded = false;
  mFoldCancelled = -1.0;
  if (!resetFacelets) return;
  for (Face3DType* list : {mFaceTypes, mDrawnTypes}) {
    for (Face3DType* t = list; t; t = t->mNext) {
      for (int f = 0; f < t->mNumFacelets; ++f) {
        t->mFacelets[f].mNet = nullptr;
        t->mFacelets[f].mNextInNet = nullptr;
      }
    }
  }
}

void Model3D::AppendNetType(NetType* type) {
  type->next = nullptr;
  if (mNetTypesTail) {
    mNetTypesTail->next = type;
  } else {
    mNetTypes = type;
  }
  mNetTypesTail = type;
}

void Model3D::SetNetBBoxRadii() {
  // Each type's share of the current range, by its facelets.
  double total = 0.0;
  for (const NetType* type = mNetTypes; type; type = type->next) total += Net::CountFacelets(type->GetFirstNet());
  double done = 0.0;
  for (NetType* type = mNetTypes; type; type = type->next) {
    const double size = Net::CountFacelets(type->GetFirstNet());
    const ProgressRange whole = total > 0.0 ? PushProgressRange(done / total, (done + size) / total) : ProgressRange{};
    type->SetBBoxRadii();
    if (total > 0.0) PopProgressRange(whole);
    done += size;
  }
}

void Model3D::CopyFirstNetLayout() {
  for (NetType* type = mNetTypes; type; type = type->next) {
    const Net* firstNet = type->GetFirstNet();
    if (!firstNet) continue;
    for (int n = 1; n < type->numNets; ++n) {
      Face3D* copy = type->nets[n].first;
      for (const Face3D* pattern = firstNet->first; pattern && copy;
           pattern = pattern->mNextInNet, copy = copy->mNextInNet) {
        if (pattern->mType != copy->mType) break;
        const int count = pattern->GetNumEdges();
        for (int i = 0; i < count; ++i) {
          copy->mEdges[i].unfolded[0] = pattern->mEdges[i].unfolded[0];
          copy->mEdges[i].unfolded[1] = pattern->mEdges[i].unfolded[1];
        }
        for (int k = 0; k < 6; ++k) copy->mNetTransform[k] = pattern->mNetTransform[k];
      }
    }
  }
}

void Model3D::NumberEdgeConnections() {
  // A million facelets take a while: the window answers along them (the caller's next
  // report hears a cancel).
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  detail_NetGeneration::ForEachEdge(this, [&tick](Edge3D* e) {
    (void)tick();
    e->connectionId = -1;
  });
  int32_t next = 0;
  const double facelets = std::max(1, GetNumFacelets());
  double walked = 0.0;
  for (NetType* type = mNetTypes; type; type = type->next) {
    if (type->IsDrawn()) continue;
    for (int n = 0; n < type->numNets; ++n) {
      for (Face3D* f = type->nets[n].first; f; f = f->mNextInNet) {
        (void)tick(std::min(1.0, ++walked / facelets));
        const int count = f->GetNumEdges();
        for (int i = 0; i < count; ++i) {
          Edge3D* e = &f->mEdges[i];
          if (e->connectionId >= 0) continue;
          Edge3D* partner = Edge3D::GetNeighInNet(e, false);
          if (!partner) continue;
          e->connectionId = next;
          partner->connectionId = next;
          ++next;
        }
      }
    }
  }
}

void Model3D::SortNetTypes() {
  std::vector<NetType*> types;
  for (NetType* type = mNetTypes; type; type = type->next) types.push_back(type);
  if (types.empty()) return;
  MergeSort(types, [](const NetType* a, const NetType* b) { return CompareNetTypes(a, b); });
  mNetTypes = types.front();
  for (size_t i = 0; i < types.size(); ++i) types[i]->next = i + 1 < types.size() ? types[i + 1] : nullptr;
  mNetTypesTail = types.back();
}

void Model3D::RebuildTabs() {
  AssignTabs();
  RecreateTabs();
}

void Model3D::AssignTabs() {
  using namespace detail_NetGeneration;
  MarkNetsChanged();
  // A million facelets take a while: the window answers along them (the caller's next
  // report hears a cancel).
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  ForEachEdge(this, [&tick](Edge3D* e) {
    (void)tick();
    if (!(e->flags & kEdgeTabSingle)) e->flags &= ~kEdgeHasTab;
  });
  const int32_t kind = GetGlobalTabKind();
  // Every cut of every net is decided once, from either side: with single tabs one
  // side of each pair carries the tab, the side alternating along the walk of each
  // net. The scratch mark holds the edgelets already decided.
  std::vector<Edge3D*> decided;
  auto decide = [&](Edge3D* e) {
    e->flags |= kEdgeVisited;
    decided.push_back(e);
  };
  const double facelets = std::max(1, GetNumFacelets());
  double walked = 0.0;
  for (NetType* type = mNetTypes; type; type = type->next) {
    if (type->IsDrawn()) continue;
    for (int n = 0; n < type->numNets; ++n) {
      bool toggle = false;
      for (Face3D* f = type->nets[n].first; f; f = f->mNextInNet) {
        (void)tick(std::min(1.0, ++walked / facelets));
        const int count = f->GetNumEdges();
        for (int i = 0; i < count; ++i) {
          Edge3D* e = &f->mEdges[i];
          // Joined edges fold; only cut ones are glued.
          if (e->flags & (kEdgePlacementJoin | kEdgeJoined | kEdgeVisited)) continue;
          const uint32_t override = e->flags & kEdgeTabKinds;
          Edge3D* partner = Edge3D::GetNeighInNet(e, false);
          if (partner && (partner->flags & (kEdgeJoined | kEdgePlacementJoin))) partner = nullptr;
          if (override == kEdgeTabDouble || (override == 0 && kind == kTabKindDouble)) {
            e->flags |= kEdgeHasTab;
            decide(e);
            continue;
          }
          if (override == kEdgeTabNone || (override == 0 && kind == kTabKindNone)) {
            decide(e);
            continue;
          }
          // Single tabs. A reflex edge, or one with nothing across, is tabbed on both
          // sides.
          if (!partner || e->GetDihedralAngle() >= kPi) {
            if (override == 0) e->flags |= kEdgeHasTab;
            decide(e);
            continue;
          }
          const uint32_t partnerOverride = partner->flags & kEdgeTabKinds;
          if (override == kEdgeTabSingle || partnerOverride == kEdgeTabSingle) {
            // The user chose the side: the other takes the tab when the chosen one has
            // none.
            Edge3D* chosenBy = override == kEdgeTabSingle ? e : partner;
            Edge3D* other = chosenBy == e ? partner : e;
            if (!(other->flags & kEdgeVisited) && (other->flags & kEdgeTabKinds) == 0) {
              if (!(chosenBy->flags & kEdgeHasTab)) other->flags |= kEdgeHasTab;
            }
            decide(e);
            if (!(partner->flags & kEdgeVisited)) decide(partner);
            continue;
          }
          if (partner->flags & kEdgeVisited) {
            // Decided from the other side; this side takes the tab only when that one
            // has none and is not the user's to leave bare.
            if (!(partner->flags & kEdgeHasTab) && partnerOverride != kEdgeTabNone) e->flags |= kEdgeHasTab;
            toggle = !toggle;
            decide(e);
            continue;
          }
          Edge3D* chosen = toggle ? partner : e;
          toggle = !toggle;
          if ((chosen->flags & kEdgeTabKinds) == 0) chosen->flags |= kEdgeHasTab;
          decide(e);
          decide(partner);
        }
      }
    }
  }
  for (Edge3D* e : decided) {
    (void)tick();
    e->flags &= ~kEdgeVisited;
  }
}

bool Model3D::RecreateTabs() {
  using namespace detail_NetGeneration;
  MarkNetsChanged();
  int total = 0;
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  ForEachEdge(this, [&total, &tick](Edge3D* e) {
    (void)tick();
    e->tab.reset();
    e->flags &= ~kEdgeTabGap;
    ++total;
  });
  // The nets' own trimming takes about as long as the cut in space and the ends.
  int done = 0;
  auto share = [&](double count) { return total > 0 ? 0.5 * count / total : 0.0; };
  // A step of a net reports through its own part of the bar.
  auto step = [](double from, double to, auto work) {
    const ProgressRange whole = PushProgressRange(from, to);
    work();
    PopProgressRange(whole);
    return ProgressTick();
  };
  // Each net carries its own tabs, trimmed against its own layout; nets of one type
  // are laid out alike, so alike tabs come out alike.
  for (NetType* type = mNetTypes; type; type = type->next) {
    if (type->IsDrawn()) continue;
    for (int n = 0; n < type->numNets; ++n) {
      if (!ProgressTick(share(done))) return false;
      Net* net = &type->nets[n];
      std::vector<Edge3D*> tabbed;
      int edges = 0;
      ProgressTicker tick;
      for (Face3D* f = net->first; f; f = f->mNextInNet) {
        if (!tick()) return false;
        const int count = f->GetNumEdges();
        edges += count;
        for (int i = 0; i < count; ++i) {
          Edge3D* e = &f->mEdges[i];
          if (!(e->flags & kEdgeHasTab) || (e->flags & (kEdgeJoined | kEdgePlacementJoin))) continue;
          e->tab = std::make_unique<NetTab>(e);
          tabbed.push_back(e);
        }
      }
      // A large net takes a while: the trimming to the neighbours, to the net and the
      // parting of the tabs take about as long each.
      const double third = done + edges / 3.0, twoThirds = done + 2.0 * edges / 3.0;
      for (size_t k = 0; k < tabbed.size(); ++k) {
        if (!ProgressTick(share(done + (third - done) * static_cast<double>(k) / tabbed.size()))) return false;
        TrimTabToNeighbour(tabbed[k]);
      }
      if (!step(share(third), share(twoThirds), [net]() { TrimTabsToNet(net); })) return false;
      if (!step(share(twoThirds), share(done + edges), [net]() { SeparateTabs(net); })) return false;
      done += edges;
    }
  }
  std::vector<Edge3D*> all;
  ForEachEdge(this, [&](Edge3D* e) {
    (void)tick();
    if (e->tab) all.push_back(e);
  });
  for (Edge3D* e : all) {
    if (!tick()) return false;
    e->tab->foldAngle = e->GetTabAngle();
  }
  for (size_t k = 0; k < all.size(); ++k) {
    if (!ProgressTick(0.5 + 0.5 * static_cast<double>(k) / all.size())) return false;
    Edge3D* e = all[k];
    const Edge3D* partner = Edge3D::GetNeighInNet(e, false);
    if (partner && partner->tab) CutTabInSpace(e);
    e->tab->LimitEnds(TabSlope60());
  }
  mFoldFraction = -1.0;
  mFolded = false;
  mFoldCancelled = -1.0;
  platform::Services().views->InvalidateInfo(kInfoReasonNets);
  return true;
}

}  // namespace corvia
