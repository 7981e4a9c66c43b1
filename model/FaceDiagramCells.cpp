// Cells of a face diagram: grouping of regions, triangles, areas, colours.

#include "model/FaceDiagramCells.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/FaceImageRef.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/PolygonRing.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/PolyElement.h"
#include "model/PolyFwd.h"

namespace corvia {

namespace detail_FaceDiagramCells {

constexpr double kSingleLayerLow = 0.9999;
constexpr double kSingleLayerHigh = 1.0001;

using Cycle = std::vector<DiagramVertex*>;

// The loop's corners with the spikes of dangling edges taken out, split at the
// vertices it passes twice into simple cycles.
void LoopCycles(const DiagramLoop* loop, std::vector<Cycle>& cycles) {
  Cycle sequence;
  const HalfEdge* h = loop->first;
  for (int32_t s = 0; s < loop->numEdges; ++s, h = h->next) {
    DiagramVertex* v = h->start;
    if (sequence.size() >= 2 && sequence[sequence.size() - 2] == v) {
      sequence.pop_back();  // a -> b -> a: the tip b goes, a stays
      continue;
    }
    if (!sequence.empty() && sequence.back() == v) continue;
    sequence.push_back(v);
  }
  // Spikes and repeats across the point where the sequence wraps round.
  for (size_t guard = 0; sequence.size() >= 3 && guard <= static_cast<size_t>(loop->numEdges); ++guard) {
    const size_t n = sequence.size();
    if (sequence[n - 1] == sequence[0]) {
      sequence.pop_back();
    } else if (sequence[n - 2] == sequence[0]) {
      sequence.pop_back();
      sequence.pop_back();
    } else if (sequence[n - 1] == sequence[1]) {
      sequence.erase(sequence.begin(), sequence.begin() + 2);
    } else {
      break;
    }
  }
  if (sequence.size() < 3) return;
  // Peel a cycle off wherever the walk comes back to a vertex already on the path.
  Cycle path;
  std::unordered_map<const DiagramVertex*, size_t> onPath;
  for (DiagramVertex* v : sequence) {
    auto found = onPath.find(v);
    if (found != onPath.end()) {
      const size_t from = found->second;
      Cycle cycle(path.begin() + static_cast<std::ptrdiff_t>(from), path.end());
      for (size_t k = from + 1; k < path.size(); ++k) onPath.erase(path[k]);
      path.resize(from + 1);
      if (cycle.size() >= 3) cycles.push_back(std::move(cycle));
      continue;
    }
    onPath.emplace(v, path.size());
    path.push_back(v);
  }
  if (path.size() >= 3) cycles.push_back(std::move(path));
}

double CycleArea(const Cycle& cycle) {
  double area = 0.0;
  for (size_t i = 0; i < cycle.size(); ++i) {
    const DiagramVertex* a = cycle[i];
    const DiagramVertex* b = cycle[(i + 1) % cycle.size()];
    area += a->x * b->y - a->y * b->x;
  }
  return 0.5 * area;
}

// One polygon to triangulate: an outline and its holes.
struct Piece {
  Cycle outline;
  std::vector<Cycle> holes;
  int32_t room = 0;  // indices
};

void PiecesOfLoop(const DiagramLoop* loop, std::vector<Piece>& pieces) {
  std::vector<Cycle> cycles;
  LoopCycles(loop, cycles);
  std::vector<Cycle> holes;
  for (const DiagramComponent* nested = loop->firstNested; nested; nested = nested->nestedNext)
    LoopCycles(nested->outer, holes);
  size_t best = cycles.size();
  double bestArea = 0.0;
  for (size_t i = 0; i < cycles.size(); ++i) {
    const double area = CycleArea(cycles[i]);
    if (area > bestArea) {
      bestArea = area;
      best = i;
    }
  }
  if (best == cycles.size()) return;
  for (size_t i = 0; i < cycles.size(); ++i) {
    if (i == best) continue;
    if (CycleArea(cycles[i]) < 0.0)
      holes.push_back(cycles[i]);
    else
      pieces.push_back({cycles[i], {}, 3 * (static_cast<int32_t>(cycles[i].size()) - 2)});
  }
  Piece main{cycles[best], std::move(holes), 3 * (static_cast<int32_t>(cycles[best].size()) - 2)};
  for (const Cycle& hole : main.holes) main.room += 3 * (static_cast<int32_t>(hole.size()) + 2);
  pieces.push_back(std::move(main));
}

PolygonVertex* RingOf(const Cycle& cycle) {
  PolygonVertex* ring = nullptr;
  for (const DiagramVertex* v : cycle) {
    PolygonVertex* p = NewPolygonVertex(v->x, v->y, nullptr, nullptr, ring);
    p->index = v->index;
  }
  return ring;
}

TriangulationContext& CellTriangulation() {
  static TriangulationContext context;
  return context;
}

DiagramSource GroupKey(DiagramSource source, int32_t kind, const DiagramSourceCallbacks* callbacks) {
  if (kind == kDiagramSourceCallbacks && callbacks && callbacks->groupKey)
    return callbacks->groupKey(source, callbacks->context);
  return source;
}

// Number of pairs from i that form one group (kind 1: consecutive pairs with one key).
int32_t GroupLength(const DiagramCell* cell, int32_t i, int32_t kind, const DiagramSourceCallbacks* callbacks) {
  if (kind != kDiagramSourceCallbacks) return 1;
  const DiagramSource key = GroupKey(cell->pairs[i].source, kind, callbacks);
  int32_t n = 1;
  while (i + n < cell->numPairs && GroupKey(cell->pairs[i + n].source, kind, callbacks) == key) ++n;
  return n;
}

bool IsSourceSelected(DiagramSource source, int32_t kind, const DiagramSourceCallbacks* callbacks) {
  if (!source) return false;
  if (kind == kDiagramSourceFaces) {
    // The face the user selected. (Every model has a current face, the first of its
    // first type; taking that one would draw it white for good.)
    auto* face = reinterpret_cast<PolyElement*>(source);
    return face->mPoly && PolySelectedElement(face->mPoly) == face;
  }
  if (kind == kDiagramSourceCallbacks && callbacks && callbacks->isSelected)
    return callbacks->isSelected(source, callbacks->context);
  return false;
}

bool IsSourceVisible(DiagramSource source, int32_t kind, const DiagramSourceCallbacks* callbacks) {
  float colour[3], second[3], alpha;
  bool textured;
  return GetColorOfSource(source, kind, callbacks, colour, second, &alpha, &textured);
}

void Clamp(float* rgb) {
  for (int k = 0; k < 3; ++k) rgb[k] = rgb[k] < 0.0f ? 0.0f : (rgb[k] > 1.0f ? 1.0f : rgb[k]);
}

bool SameColour(const float* a, const float* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

}  // namespace detail_FaceDiagramCells

uint32_t& CellDisplayFlags() {
  static uint32_t flags = kCellDefaultFlags;
  return flags;
}

bool& CellHighlightOption() {
  static bool highlight = false;
  return highlight;
}

namespace detail_FaceDiagramCells {

// The bounded loops of the diagram in winding order, each numbered with its cell: runs
// of equal winding lists are one cell, whose first loop is flagged. The number of cells.
// A diagram of many loops takes a while to sort: the window answers every so many
// comparisons, and a cancel is left for the caller's next report.
int32_t BoundedLoopsByWinding(const FaceDiagram* diagram, std::vector<DiagramLoop*>& bounded, ProgressTicker& tick) {
  for (DiagramLoop* loop = diagram->mFirstLoop; loop; loop = loop->next) {
    (void)tick();
    if (!(loop->flags & (kLoopClockwise | kLoopDegenerate)) && loop->component) bounded.push_back(loop);
  }
  if (bounded.empty()) return 0;
  MergeSort(bounded, [&tick](const DiagramLoop* a, const DiagramLoop* b) {
    (void)tick();
    return CompareWindingLists(a->winding, b->winding);
  });
  int32_t numCells = 0;
  for (size_t i = 0; i < bounded.size(); ++i) {
    (void)tick();
    if (i == 0 || !WindingListsEqual(bounded[i - 1]->winding, bounded[i]->winding)) {
      bounded[i]->flags |= kLoopFirstOfCell;
      ++numCells;
    }
    bounded[i]->cell = numCells - 1;
  }
  return numCells;
}

// The signed area of each cell, summed over its triangles.
std::vector<double> CellAreas(const FaceDiagram* diagram, const CellTriangles* ranges, int32_t numCells,
                              ProgressTicker& tick) {
  std::vector<double> cellArea(static_cast<size_t>(numCells), 0.0);
  std::vector<const DiagramVertex*> vertexOf(static_cast<size_t>(diagram->mNumVertices), nullptr);
  for (const DiagramVertex* v = diagram->mFirstVertex; v; v = v->next) {
    (void)tick();
    if (v->index >= 0 && v->index < diagram->mNumVertices) vertexOf[static_cast<size_t>(v->index)] = v;
  }
  for (int32_t c = 0; c < numCells; ++c) {
    (void)tick();
    double area = 0.0;
    for (int32_t k = 0; k + 2 < ranges[c].numIndices; k += 3) {
      const DiagramVertex* a = vertexOf[static_cast<size_t>(ranges[c].indices[k])];
      const DiagramVertex* b = vertexOf[static_cast<size_t>(ranges[c].indices[k + 1])];
      const DiagramVertex* d = vertexOf[static_cast<size_t>(ranges[c].indices[k + 2])];
      area += 0.5 * ((b->x - a->x) * (d->y - a->y) - (b->y - a->y) * (d->x - a->x));
    }
    cellArea[static_cast<size_t>(c)] = area;
  }
  return cellArea;
}

// The rank of each source in the order of the source table sorted by covered area (the
// members of one group following the first entry of their group); the table's areas
// are summed on the way. The window answers along the cells and the sort, and a cancel
// is left for the caller's next report.
std::vector<int32_t> SourceRanks(FaceDiagram* diagram, const std::vector<DiagramLoop*>& bounded,
                                 const CellTriangles* ranges, int32_t numCells, ProgressTicker& tick) {
  const int32_t numSources = diagram->mNumSources;
  DiagramSourceEntry* table = diagram->mSources;
  const std::vector<double> cellArea = CellAreas(diagram, ranges, numCells, tick);
  for (size_t i = 0; i < bounded.size(); ++i) {
    (void)tick();
    if (!(bounded[i]->flags & kLoopFirstOfCell)) continue;
    for (const WindingNode* w = bounded[i]->winding; w; w = w->next)
      if (w->source >= 0 && w->source < numSources) table[w->source].area += cellArea[static_cast<size_t>(bounded[i]->cell)];
  }
  std::vector<int32_t> order(static_cast<size_t>(numSources));
  for (int32_t k = 0; k < numSources; ++k) order[static_cast<size_t>(k)] = k;
  MergeSort(order, [table, &tick](int32_t a, int32_t b) {
    (void)tick();
    const double da = table[a].area, db = table[b].area;
    if (std::fabs(da - db) > kPointTolerance) return da < db ? -1 : 1;
    return a < b ? -1 : (a > b ? 1 : 0);
  });
  if (diagram->mSourceKind == kDiagramSourceCallbacks) {
    // Members of one group follow the first entry of their group.
    std::vector<int32_t> grouped;
    std::vector<bool> taken(order.size(), false);
    for (size_t i = 0; i < order.size(); ++i) {
      if (taken[i]) continue;
      const DiagramSource key = GroupKey(table[order[i]].source, diagram->mSourceKind, diagram->mCallbacks);
      for (size_t j = i; j < order.size(); ++j) {
        if (taken[j] || GroupKey(table[order[j]].source, diagram->mSourceKind, diagram->mCallbacks) != key) continue;
        taken[j] = true;
        grouped.push_back(order[j]);
      }
    }
    order.swap(grouped);
  }
  std::vector<int32_t> rank(static_cast<size_t>(numSources), 0);
  for (size_t k = 0; k < order.size(); ++k) rank[static_cast<size_t>(order[k])] = static_cast<int32_t>(k);
  return rank;
}

// The source pairs of each cell, in rank order. False when the user cancelled.
bool FillCellPairs(FaceDiagram* diagram, const std::vector<DiagramLoop*>& bounded, const std::vector<int32_t>& rank,
                   DiagramCell* cells, ProgressTicker& tick) {
  const int32_t numSources = diagram->mNumSources;
  const DiagramSourceEntry* table = diagram->mSources;
  FaceDiagramResultPools& pools = *diagram->mResultPools;
  for (size_t i = 0; i < bounded.size(); ++i) {
    if (!tick()) return false;
    if (!(bounded[i]->flags & kLoopFirstOfCell)) continue;
    DiagramCell& cell = cells[bounded[i]->cell];
    std::vector<const WindingNode*> nodes;
    for (const WindingNode* w = bounded[i]->winding; w; w = w->next)
      if (w->source >= 0 && w->source < numSources) nodes.push_back(w);
    MergeSort(nodes, [&rank](const WindingNode* a, const WindingNode* b) {
      const int32_t ra = rank[static_cast<size_t>(a->source)], rb = rank[static_cast<size_t>(b->source)];
      return ra < rb ? -1 : (ra > rb ? 1 : 0);
    });
    cell.numPairs = static_cast<int32_t>(nodes.size());
    cell.pairs = pools.mSourcePairs->Alloc(cell.numPairs);
    for (size_t k = 0; k < nodes.size(); ++k) {
      cell.pairs[k].source = table[nodes[k]->source].source;
      cell.pairs[k].winding = nodes[k]->count;
    }
  }
  return true;
}

// Every face of the owner's type gets its own copy of the cells, each source turned
// into the face of that face's coplanar ring at the same place in its ring as the
// source in the owner's ring (the rings of one type are ordered alike). A source that
// is not in the owner's ring, or a ring of another length, gives the face itself. A
// face passed over in its ring gets none: the ring's first face draws the whole plane,
// and copies for every face of a plane would grow with the square of its faces.
void CopyCellsToRingFaces(FaceDiagram* diagram, PolyElement* ownerFace, bool secondColour, const DiagramCell* cells,
                          int32_t numCells, ProgressTicker& tick) {
  FaceDiagramResultPools& pools = *diagram->mResultPools;
  constexpr int32_t ringLimit = 1 << 20;
  auto ringOf = [&tick](PolyElement* start) {
    std::vector<PolyElement*> ring;
    PolyElement* member = start;
    do {
      (void)tick();
      ring.push_back(member);
      member = member->mCoplanarNext;
    } while (member && member != start && static_cast<int32_t>(ring.size()) < ringLimit);
    return ring;
  };
  // A plane of many faces gives large rings and many cells: the window answers along
  // them, and a cancel leaves the faces not yet served without copies.
  const std::vector<PolyElement*> ownerRing = ringOf(ownerFace);
  std::unordered_map<DiagramSource, size_t> ringPlace;
  for (size_t k = 0; k < ownerRing.size(); ++k) {
    if (!tick()) return;
    ringPlace.emplace(reinterpret_cast<DiagramSource>(ownerRing[k]), k);
  }
  std::vector<PolyElement*> starts;
  PolyElement* beyond = nullptr;
  if (ownerFace->mType) {
    for (beyond = ownerFace->mType->mFirstFace; beyond && static_cast<int32_t>(starts.size()) < ringLimit;
         beyond = beyond->mNextOfType)
      if (beyond != ownerFace) starts.push_back(beyond);
  }
  starts.insert(starts.begin(), ownerFace);
  // The face at place j of its ring takes the cells, or none.
  auto serve = [&](PolyElement* face, const std::vector<PolyElement*>* ring, size_t j) {
    if (face->mFlags & kElementHidden) return;
    if (face->mFlags & kElementSkip) {
      face->DropCellColours(secondColour ? 1 : 0);
      return;
    }
    const bool sameShape = ring && ring->size() == ownerRing.size();
    DiagramCell* copy = pools.mCellCopies->Alloc(numCells);
    for (int32_t c = 0; c < numCells; ++c) {
      if (!tick()) return;
      copy[c] = cells[c];
      copy[c].pairs = pools.mSourcePairs->Alloc(cells[c].numPairs);
      for (int32_t k = 0; k < cells[c].numPairs; ++k) {
        copy[c].pairs[k].winding = cells[c].pairs[k].winding;
        auto found = sameShape ? ringPlace.find(cells[c].pairs[k].source) : ringPlace.end();
        copy[c].pairs[k].source = found == ringPlace.end()
                                      ? reinterpret_cast<DiagramSource>(face)
                                      : reinterpret_cast<DiagramSource>((*ring)[(j + found->second) % ring->size()]);
      }
    }
    CellColorArray& holder = face->MakeCellColours(secondColour ? 1 : 0);
    holder.mCells = copy;
    holder.mNumCells = numCells;
  };
  // Faces alone in their planes (the type's list ends, so no face comes twice): each
  // is its own ring, where every source gives the face itself.
  const auto alone = [](const PolyElement* face) { return !face->mCoplanarNext || face->mCoplanarNext == face; };
  if (!beyond && std::all_of(starts.begin(), starts.end(), alone)) {
    for (PolyElement* face : starts) {
      if (!tick()) return;
      serve(face, nullptr, 0);
    }
    return;
  }
  std::unordered_set<const PolyElement*> served;
  for (PolyElement* start : starts) {
    if (served.count(start)) continue;
    const std::vector<PolyElement*> ring = start == ownerFace ? ownerRing : ringOf(start);
    for (size_t j = 0; j < ring.size(); ++j) {
      if (!tick()) return;
      if (served.insert(ring[j]).second) serve(ring[j], &ring, j);
    }
  }
}

}  // namespace detail_FaceDiagramCells

void CreateLoopTypes(FaceDiagram* diagram, PolyElement* ownerFace, bool secondColour) {
  using namespace detail_FaceDiagramCells;
  diagram->mNumCells = 0;
  diagram->mCells = nullptr;
  diagram->mTriangles = nullptr;
  // The loops of a large diagram answer the progress window; a cancel leaves it
  // without cells, and the faces without copies of them.
  ProgressTicker tick;
  for (DiagramLoop* loop = diagram->mFirstLoop; loop; loop = loop->next) {
    if (!tick()) return;
    DropZeroWindings(loop->winding);
  }

  // Bounded loops in winding order; runs of equal lists are one cell.
  std::vector<DiagramLoop*> bounded;
  const int32_t numCells = BoundedLoopsByWinding(diagram, bounded, tick);
  if (bounded.empty() || !tick()) return;

  // Polygons of every loop with the components nested in it.
  std::vector<std::vector<Piece>> pieces(bounded.size());
  int64_t room = 0;
  for (size_t i = 0; i < bounded.size(); ++i) {
    if (!tick()) return;
    PiecesOfLoop(bounded[i], pieces[i]);
    for (const Piece& piece : pieces[i]) room += piece.room;
  }
  if (room > INT32_MAX) room = 0;

  FaceDiagramResultPools& pools = *diagram->mResultPools;
  DiagramCell* cells = pools.mCells->Alloc(numCells);
  CellTriangles* ranges = pools.mTriangleRanges->Alloc(numCells);
  int32_t* indices = pools.mTriangleIndices->Alloc(static_cast<int32_t>(room));
  int32_t used = 0;
  TriangulationContext& context = CellTriangulation();
  for (size_t i = 0; i < bounded.size(); ++i) {
    if (!tick()) return;
    const int32_t c = bounded[i]->cell;
    if (bounded[i]->flags & kLoopFirstOfCell) ranges[c].indices = indices + used;
    for (Piece& piece : pieces[i]) {
      PolygonList* head = nullptr;
      PolygonList* tail = nullptr;
      AppendToPolygonList(RingOf(piece.outline), head, tail);
      for (const Cycle& hole : piece.holes) AppendToPolygonList(RingOf(hole), head, tail);
      const int32_t written = TriangulatePolygonList(head, piece.room, indices + used, &context);
      used += written;
      ranges[c].numIndices += written;
    }
  }

  // Source pairs in the order of the source table sorted by covered area.
  const std::vector<int32_t> rank = SourceRanks(diagram, bounded, ranges, numCells, tick);
  if (!tick() || !FillCellPairs(diagram, bounded, rank, cells, tick)) return;
  diagram->mNumCells = numCells;
  diagram->mCells = cells;
  diagram->mTriangles = ranges;

  if (ownerFace) CopyCellsToRingFaces(diagram, ownerFace, secondColour, cells, numCells, tick);
}

bool GetColorOfSource(DiagramSource source, int32_t kind, const DiagramSourceCallbacks* callbacks, float* colour,
                      float* secondColour, float* alpha, bool* textured) {
  *textured = false;
  *alpha = 1.0f;
  if (!source) {
    for (int k = 0; k < 3; ++k) colour[k] = secondColour[k] = 0.0f;
    return true;
  }
  if (kind == kDiagramSourceFaces) {
    const auto* face = reinterpret_cast<const PolyElement*>(source);
    const float* front = face->GetColour();
    for (int k = 0; k < 3; ++k) {
      colour[k] = front[k];
      secondColour[k] = face->mBackColor[k];
    }
    *alpha = face->mOpacity;
    *textured = face->GetImage() != nullptr;
    // An image that the face's colour does not tint shows its own colours.
    if (face->GetImage() && !(face->GetImage()->mFlags & kFaceImageTint)) {
      for (int k = 0; k < 3; ++k) colour[k] = secondColour[k] = 1.0f;
    }
    return !(face->mFlags & kElementHidden);
  }
  if (kind == kDiagramSourceCallbacks) {
    for (int k = 0; k < 3; ++k) colour[k] = 0.0f;
    if (callbacks && callbacks->colour) callbacks->colour(source, colour, alpha, callbacks->context);
    for (int k = 0; k < 3; ++k) secondColour[k] = colour[k];
    return !(callbacks && callbacks->isHidden && callbacks->isHidden(source, callbacks->context));
  }
  const auto* loop = reinterpret_cast<const DiagramColouredLoop*>(source);
  for (int k = 0; k < 3; ++k) colour[k] = secondColour[k] = loop->colour[k];
  return true;
}

void CalcCellColor(DiagramCell* cell, uint32_t flags, int32_t kind, const DiagramSourceCallbacks* callbacks) {
  using namespace detail_FaceDiagramCells;
  float colour[3] = {0.0f, 0.0f, 0.0f};
  float second[3] = {0.0f, 0.0f, 0.0f};
  double transmission = 1.0;
  int32_t layers = 0;
  int32_t summedWinding = 0;
  double totalWeight = 0.0;
  bool anyGroup = false;
  cell->textureSource = 0;
  for (int32_t i = 0; i < cell->numPairs;) {
    const int32_t length = GroupLength(cell, i, kind, callbacks);
    int32_t winding = 0;
    bool haveColour = false;
    float groupColour[3] = {0.0f, 0.0f, 0.0f}, groupSecond[3] = {0.0f, 0.0f, 0.0f};
    float alpha = 1.0f;
    DiagramSource texture = 0;
    for (int32_t k = i; k < i + length; ++k) {
      float c[3], s[3], a;
      bool textured;
      if (!GetColorOfSource(cell->pairs[k].source, kind, callbacks, c, s, &a, &textured)) continue;
      winding += cell->pairs[k].winding;
      if (!haveColour) {
        haveColour = true;
        for (int m = 0; m < 3; ++m) {
          groupColour[m] = c[m];
          groupSecond[m] = s[m];
        }
        alpha = a;
        if (textured) texture = cell->pairs[k].source;
      }
    }
    i += length;
    if (!haveColour || winding == 0) continue;
    if ((flags & kCellEvenOdd) && winding % 2 == 0) continue;
    const int32_t magnitude = winding < 0 ? -winding : winding;
    if (texture && !cell->textureSource) cell->textureSource = texture;
    for (int32_t k = 0; k < magnitude; ++k) transmission *= 1.0 - alpha;
    if (flags & kCellMixDiffering) {
      if (!anyGroup) {
        for (int m = 0; m < 3; ++m) {
          colour[m] = groupColour[m];
          second[m] = groupSecond[m];
        }
      } else {
        if (!SameColour(colour, groupColour))
          for (int m = 0; m < 3; ++m) colour[m] = kCellMixedColour[m];
        if (!SameColour(second, groupSecond))
          for (int m = 0; m < 3; ++m) second[m] = kCellMixedColour[m];
      }
    } else if (flags & kCellFirstSourceOnly) {
      if (!anyGroup)
        for (int m = 0; m < 3; ++m) {
          colour[m] = groupColour[m];
          second[m] = groupSecond[m];
        }
    } else {
      double weight = (flags & kCellWeightByWinding) ? magnitude : 1.0;
      if (flags & kCellBlendByWeight) {
        weight *= alpha;
        for (int m = 0; m < 3; ++m) {
          colour[m] += static_cast<float>(groupColour[m] * weight);
          second[m] += static_cast<float>(groupSecond[m] * weight);
        }
        totalWeight += weight;
      }
    }
    layers += (flags & kCellWeightByWinding) ? magnitude : 1;
    summedWinding += winding;
    anyGroup = true;
  }
  bool empty = !anyGroup;
  if ((flags & kCellZeroIsEmpty) && (summedWinding == 0 || ((flags & kCellEvenOdd) && summedWinding % 2 == 0)))
    empty = true;
  cell->opacity = empty ? 0.0f : static_cast<float>(1.0 - transmission);
  if ((flags & kCellBlendByWeight) && !(flags & (kCellMixDiffering | kCellFirstSourceOnly)) && totalWeight > 0.0) {
    if (!(layers == 1 && totalWeight >= kSingleLayerLow && totalWeight <= kSingleLayerHigh))
      for (int m = 0; m < 3; ++m) {
        colour[m] = static_cast<float>(colour[m] / totalWeight);
        second[m] = static_cast<float>(second[m] / totalWeight);
      }
  }
  if ((flags & kCellBlendByWeight) && (flags & (kCellLighten | kCellDarken)) && !(flags & kCellEvenOdd) && layers > 1) {
    const float t = 1.0f - std::pow(1.0f - kCellLayerFactor, static_cast<float>(layers - 1));
    const float target = (flags & kCellLighten) ? 1.0f : 0.0f;
    for (int m = 0; m < 3; ++m) {
      colour[m] += (target - colour[m]) * t;
      second[m] += (target - second[m]) * t;
    }
  }
  Clamp(colour);
  Clamp(second);
  for (int m = 0; m < 3; ++m) {
    cell->colour[m] = colour[m];
    cell->secondColour[m] = second[m];
  }
}

void CalcAllColors(DiagramCell* cells, int32_t count, uint32_t flags, int32_t kind,
                   const DiagramSourceCallbacks* callbacks) {
  if (!cells) return;
  for (int32_t i = 0; i < count; ++i) CalcCellColor(&cells[i], flags, kind, callbacks);
}

uint32_t GetDiagramDrawFlags(bool filled, bool evenOdd) {
  uint32_t flags = CellDisplayFlags();
  if (flags & kCellEvenOddFromCaller) flags = evenOdd ? (flags | kCellEvenOdd) : (flags & ~kCellEvenOdd);
  if (filled) {
    flags |= kCellZeroIsEmpty;
    if (evenOdd) flags |= kCellEvenOdd;
  }
  return flags;
}

bool IsCellSelected(const DiagramCell* cell, int32_t kind, const DiagramSourceCallbacks* callbacks) {
  using namespace detail_FaceDiagramCells;
  for (int32_t i = 0; i < cell->numPairs;) {
    const int32_t length = GroupLength(cell, i, kind, callbacks);
    // The visible winding is summed only for a group whose source is the selected one:
    // a cell drawn every frame costs a comparison per source.
    if (IsSourceSelected(cell->pairs[i].source, kind, callbacks)) {
      int32_t winding = 0;
      for (int32_t k = i; k < i + length; ++k)
        if (IsSourceVisible(cell->pairs[k].source, kind, callbacks)) winding += cell->pairs[k].winding;
      if (winding != 0) return true;
    }
    i += length;
  }
  return false;
}

double GetSelectedFraction(const DiagramCell* cell, int32_t kind, const DiagramSourceCallbacks* callbacks) {
  using namespace detail_FaceDiagramCells;
  int32_t selected = 0, all = 0;
  for (int32_t k = 0; k < cell->numPairs; ++k) {
    if (!IsSourceVisible(cell->pairs[k].source, kind, callbacks)) continue;
    all += cell->pairs[k].winding;
    if (IsSourceSelected(cell->pairs[k].source, kind, callbacks)) selected += cell->pairs[k].winding;
  }
  return all == 0 ? 0.0 : static_cast<double>(selected) / all;
}

DiagramSource GetCellSource(const DiagramCell* cell, int32_t kind, const DiagramSourceCallbacks* callbacks) {
  using namespace detail_FaceDiagramCells;
  const int32_t n = cell->numPairs;
  if (n == 0) return 0;
  int32_t firstSelected = -1;
  for (int32_t k = 0; k < n && firstSelected < 0; ++k)
    if (IsSourceSelected(cell->pairs[k].source, kind, callbacks)) firstSelected = k;
  const int32_t start = firstSelected >= 0 ? firstSelected + 1 : 1;
  for (int32_t step = 0; step < n; ++step) {
    const DiagramSource source = cell->pairs[(start + step) % n].source;
    if (IsSourceVisible(source, kind, callbacks) && !IsSourceSelected(source, kind, callbacks)) return source;
  }
  return firstSelected >= 0 ? cell->pairs[firstSelected].source : 0;
}

void CellColorArray::Calc(uint32_t flags, const FaceDiagramResult* result, int32_t kind,
                          const DiagramSourceCallbacks* callbacks) {
  const int32_t count = result && result->mNumCells > 0 ? result->mNumCells : mNumCells;
  CalcAllColors(mCells, count, flags, kind, callbacks);
}

bool AllCellsHidden(const DiagramCell* cells, const FaceDiagramResult* result) {
  if (!cells || !result || result->mNumCells <= 0) return true;
  for (int32_t i = 0; i < result->mNumCells; ++i)
    if (cells[i].opacity != 0.0f) return false;
  return true;
}

double GetCellArea(const FaceDiagramResult* result, int32_t cell) {
  if (!result || !result->mTriangles || cell < 0 || cell >= result->mNumCells) return 0.0;
  const CellTriangles& range = result->mTriangles[cell];
  double area = 0.0;
  for (int32_t k = 0; k + 2 < range.numIndices; k += 3) {
    const DiagramPoint& a = result->mPoints[range.indices[k]];
    const DiagramPoint& b = result->mPoints[range.indices[k + 1]];
    const DiagramPoint& c = result->mPoints[range.indices[k + 2]];
    area += 0.5 * ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
  }
  return area;
}

}  // namespace corvia
