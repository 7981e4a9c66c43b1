// Building a uniform polyhedron from a solved vertex configuration. The model grows
// outwards from one face: at each vertex in turn one arrangement of the template's
// polygons is fitted round it, the faces it asks for are found or made, and their
// corners are found or made. Where a vertex admits more than one arrangement the
// choice is kept, so that a dead end backs up to the latest choice and a finished
// model can be stepped on to the next solution.
//
// A face is known by where it lies: no two faces of a polyhedron coincide. A vertex
// is known by the faces round it, not by where it lies, since in some degenerate
// polyhedra several vertices share one point. So a new face's corner is the vertex
// that a face already standing across the corner's edge has there; a corner that no
// such face reaches is a new vertex. When a vertex's arrangement asks for a face
// that already stands at another vertex in the same point, the two vertices are one
// and are merged; so are two vertices that one corner of a face turns out to be.
//
// Geometry of a vertex P: its neighbours along the edges lie on the vertex-figure
// circle about the axis through the centre and P. Reading the arrangement, face k
// spans the turn from its corner A_k (after P) to B_k (before P) by the polygon's
// projected angle, and B_k is A_(k+1). A_0 is the corner after P on the vertex's
// first face.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyBuild.h"
#include "model/PolyTemplate.h"
#include "model/Vertex.h"
#include "symmetry/FindSymmetries.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_PolyBuild {

constexpr uint32_t kPolyFlagsCategoryMarked = kPolyFlagConvex | kPolyFlagDensityOne | kPolyFlagPlainSurface;

// What a build keeps beside its model: the arrangements of the template (vertices
// point into them) and the faces in the order they were made, since the set-up of a
// finished model re-orders the face list.
struct SavedLinks {
  PolyElement* element;
  std::vector<PolyElement*> neighbours;
  std::vector<uint8_t> senses;
  // The identity as the build left it; the set-up may add bits of its own.
  uint32_t idFlags;
};

// A vertex merged into another one during the match with the given serial number:
// its first face and the face corners that held it. Undoing the match puts a vertex
// back there, in the point of the vertex that took its place (the set-up of a
// finished model may have turned the model since).
struct MergeRecord {
  int serial;
  PolyElement* firstFace;
  uint8_t firstSense;
  std::vector<std::pair<PolyElement*, int>> corners;
};

// A face's identity gathers the template polygons it stands for at each of its
// corners. Every bit a match adds is noted, so that undoing the match takes it away
// again: a face that outlives the match must not keep the identity of an
// arrangement that is gone.
struct IdFlagsChange {
  PolyElement* face;
  uint32_t previous;
  int serial;
};

}  // namespace detail_PolyBuild

// Owned by the model (Poly::mBuildRecord): it goes when the model is cleared or
// destroyed, so no later model can find another's faces in it.
class PolyBuildRecord {
 public:
  std::vector<TemplateArrangement> arrangements;
  std::vector<PolyElement*> madeFaces;
  // The links as the build left them, before the set-up of a finished model re-orders
  // corners and rings; the next solution starts from them.
  std::vector<detail_PolyBuild::SavedLinks> savedLinks;
  // In the order made, so in order of the matches' serial numbers.
  std::vector<detail_PolyBuild::IdFlagsChange> idChanges;
  // Likewise.
  std::vector<detail_PolyBuild::MergeRecord> merges;
  // The flags the build was prepared with, and how many solutions it has reached: a
  // step that finds no further solution builds the last one again.
  uint32_t buildFlags = 0;
  int solutions = 0;
  // Set while RunBuild runs its steps, and while the last solution is built again.
  bool running = false;
  bool returning = false;
  // Set while a whole build first looks only for solutions whose faces play their
  // parts alike (PartsStayAlike).
  bool alikeFirst = false;
};

void Poly::BuildRecordDeleter::operator()(PolyBuildRecord* record) const { delete record; }

namespace detail_PolyBuild {

PolyBuildRecord& RecordOf(Poly* poly) {
  if (!poly->mBuildRecord) poly->mBuildRecord.reset(new PolyBuildRecord);
  return *poly->mBuildRecord;
}

std::vector<TemplateArrangement>& TableOf(Poly* poly) { return RecordOf(poly).arrangements; }

const TemplatePolygon* StepPolygon(const TemplatePolygon* p, int list) { return list == 0 ? p->mNext : p->mPrev; }

// Platonic and Archimedean entries, and the plain prisms and antiprisms, mark their
// elements.
bool CategoryMarksElements(const LibraryEntry* entry) {
  if (entry->mCategory == kCategoryPlatonic || entry->mCategory == kCategoryArchimedean) return true;
  if (entry->mCategory != kCategoryPrisms) return false;
  const std::string text = entry->GetVertexConfiguration();
  return text.find('/') == std::string::npos && text.find('N') == std::string::npos;
}

bool IsRetrograde(const TemplatePolygon* p) { return 2 * p->mWraps > p->mSides; }

int Wrap(int i, int n) {
  const int r = i % n;
  return r < 0 ? r + n : r;
}

// Turns point about the unit axis through the origin by the angle whose cosine and
// sine are given (right-handed).
void RotateAbout(double* out, const double* point, const double* axis, double c, double s) {
  double cross[3];
  Cross(cross, axis, point);
  const double along = Dot(axis, point) * (1.0 - c);
  for (int i = 0; i < 3; ++i) out[i] = point[i] * c + cross[i] * s + axis[i] * along;
}

bool Normalise(double* v) {
  const double length = std::sqrt(Dot(v, v));
  if (length <= 0.0) return false;
  for (int i = 0; i < 3; ++i) v[i] /= length;
  return true;
}

// Where corner i of a face lies: corners step by the polygon's angle round the frame.
// A corner that exists is read from its vertex: the set-up of a finished model may
// turn the model and re-order the corners.
void CornerPosition(const PolyElement* face, int i, double* out) {
  const Face* f = static_cast<const Face*>(face);
  if (const PolyElement* corner = face->mNeighbours[Wrap(i, face->mNumSides)]) {
    CopyVector(out, corner->mDualVert);
    return;
  }
  const double angle = i * f->mRecord->mFaceAngle;
  const double r = f->mRecord->mFaceRadius;
  for (int k = 0; k < 3; ++k) {
    out[k] = face->mCentre[k] + r * std::cos(angle) * face->mXAxis[k] + r * std::sin(angle) * face->mYAxis[k];
  }
  SnapNearZero(out, kPointTolerance);
}

// One face with the vertex as a corner: the face, and the positions of its corners
// after and before the vertex.
struct Incidence {
  PolyElement* face;
  // The vertex's place among the face's corners.
  int corner;
  double after[3];
  double before[3];
};

// The faces at each vertex, by vertex index, in one array.
class IncidenceTable {
 public:
  class Range {
   public:
    const Incidence* begin() const { return mFirst; }
    const Incidence* end() const { return mLast; }
    size_t size() const { return static_cast<size_t>(mLast - mFirst); }
    const Incidence* mFirst;
    const Incidence* mLast;
  };
  Range operator[](size_t vertex) const { return {mItems.data() + mStart[vertex], mItems.data() + mStart[vertex + 1]}; }

  std::vector<size_t> mStart;
  std::vector<Incidence> mItems;
};

bool IsListedCorner(const PolyElement* corner, int count) {
  return corner && corner->mIndex >= 0 && corner->mIndex < count;
}

// Which faces stand at each vertex, read from the faces' corners.
IncidenceTable CollectIncidences(Poly& poly) {
  const int count = poly.mVertices.mCount;
  IncidenceTable table;
  table.mStart.assign(static_cast<size_t>(count) + 1, 0);
  for (PolyElement* face = poly.mFaces.mHead; face; face = face->mNext) {
    for (int i = 0; i < face->mNumSides; ++i) {
      const PolyElement* corner = face->mNeighbours[i];
      if (IsListedCorner(corner, count)) ++table.mStart[static_cast<size_t>(corner->mIndex) + 1];
    }
  }
  for (size_t v = 1; v < table.mStart.size(); ++v) table.mStart[v] += table.mStart[v - 1];
  table.mItems.resize(table.mStart.back());
  std::vector<size_t> next(table.mStart.begin(), table.mStart.end() - 1);
  for (PolyElement* face = poly.mFaces.mHead; face; face = face->mNext) {
    for (int i = 0; i < face->mNumSides; ++i) {
      const PolyElement* corner = face->mNeighbours[i];
      if (!IsListedCorner(corner, count)) continue;
      Incidence& entry = table.mItems[next[static_cast<size_t>(corner->mIndex)]++];
      entry.face = face;
      entry.corner = i;
      CornerPosition(face, i + 1, entry.after);
      CornerPosition(face, i - 1, entry.before);
    }
  }
  return table;
}

// The expected corners next to the vertex of every face of an arrangement read with
// turn direction sign (+1 or -1).
struct Expected {
  std::vector<const TemplatePolygon*> polygons;
  std::vector<std::array<double, 3>> after;
  std::vector<std::array<double, 3>> before;
};

bool ExpectArrangement(const Vertex* vertex, const TemplateArrangement& arrangement, int sign, int valence,
                       Expected& out) {
  PolyElement* first = vertex->mNeighbours[0];
  if (!first) return false;
  const int c = first->FindVertexIndex(vertex, -1);
  if (c < 0) return false;
  double axis[3];
  CopyVector(axis, vertex->mDualVert);
  if (!Normalise(axis)) return false;
  double a0[3];
  // The first face stands in forward sense: its next corner opens the ring.
  CornerPosition(first, vertex->mFaceSense[0] ? c - 1 : c + 1, a0);
  out.polygons.assign(static_cast<size_t>(valence), nullptr);
  out.after.assign(static_cast<size_t>(valence), {0.0, 0.0, 0.0});
  out.before.assign(static_cast<size_t>(valence), {0.0, 0.0, 0.0});
  const std::vector<double>& cosines = arrangement.mTurnCos;
  const std::vector<double>& sines = arrangement.mTurnSin;
  if (static_cast<int>(cosines.size()) <= valence || static_cast<int>(sines.size()) <= valence) return false;
  const TemplatePolygon* p = arrangement.mStart;
  for (int k = 0; k < valence; ++k, p = StepPolygon(p, arrangement.mList)) {
    const size_t i = static_cast<size_t>(k);
    out.polygons[i] = p;
    RotateAbout(out.after[i].data(), a0, axis, cosines[i], sign * sines[i]);
    RotateAbout(out.before[i].data(), a0, axis, cosines[i + 1], sign * sines[i + 1]);
    SnapNearZero(out.after[i].data(), kPointTolerance);
    SnapNearZero(out.before[i].data(), kPointTolerance);
  }
  return true;
}

// The turns of each arrangement, from the projected angles of its polygons.
void ComputeTurns(TemplateArrangement& arrangement, int valence) {
  arrangement.mTurnCos.assign(1, 1.0);
  arrangement.mTurnSin.assign(1, 0.0);
  double turned = 0.0;
  const TemplatePolygon* p = arrangement.mStart;
  for (int k = 0; k < valence; ++k, p = StepPolygon(p, arrangement.mList)) {
    turned += p->mProjectedAngle;
    arrangement.mTurnCos.push_back(std::cos(turned));
    arrangement.mTurnSin.push_back(std::sin(turned));
  }
}

bool Near(const double* a, const double* b) { return NearlyEqual(a, b, kPointTolerance); }

// The slot of the arrangement that an incident face fills, or -1. forward tells
// whether the face passes the vertex in the ring's own direction.
int SlotOf(const Expected& expected, const Incidence& incidence, bool& forward) {
  for (size_t k = 0; k < expected.polygons.size(); ++k) {
    if (expected.polygons[k]->mSides != incidence.face->mNumSides) continue;
    const double* a = expected.after[k].data();
    const double* b = expected.before[k].data();
    if (Near(incidence.after, a) && Near(incidence.before, b)) {
      forward = true;
      return static_cast<int>(k);
    }
    if (Near(incidence.after, b) && Near(incidence.before, a)) {
      forward = false;
      return static_cast<int>(k);
    }
  }
  return -1;
}

// An arrangement fitted at a vertex: which one, the turn, and how many of its faces
// are still missing.
struct Candidate {
  const TemplateArrangement* arrangement;
  int sign;
  int missing;
  // 0 when the arrangement reads the template in the vertex's own turn, 1 when it reads
  // it the other way round.
  int sense;
};

// Whether two arrangements would place the same faces in the same places round the
// vertex: they differ only in the parts they give the faces.
bool SamePlacement(const Expected& a, const Expected& b) {
  std::vector<uint8_t> used(b.polygons.size(), 0);
  for (size_t k = 0; k < a.polygons.size(); ++k) {
    bool found = false;
    for (size_t j = 0; j < b.polygons.size() && !found; ++j) {
      if (used[j] || a.polygons[k]->mSides != b.polygons[j]->mSides) continue;
      const bool forward = Near(a.after[k].data(), b.after[j].data()) && Near(a.before[k].data(), b.before[j].data());
      const bool reversed = Near(a.after[k].data(), b.before[j].data()) && Near(a.before[k].data(), b.after[j].data());
      if (forward || reversed) {
        used[j] = 1;
        found = true;
      }
    }
    if (!found) return false;
  }
  return true;
}

// Every arrangement (with either turn) that fits all faces standing at the vertex,
// fewest missing faces first, list 0 before list 1. Of arrangements that place the same
// faces in the same places, one is kept: the first that reads the template in the
// vertex's own turn. The others would give the faces of one and the same solution the
// parts of its mirror image, and the model's face types would no longer be its
// symmetry classes.
std::vector<Candidate> FindCandidates(Poly& poly, const Vertex* vertex, IncidenceTable::Range incidences) {
  std::vector<Candidate> found;
  std::vector<Expected> placements;
  const int valence = vertex->mNumSides;
  Expected expected;
  for (const TemplateArrangement& arrangement : TableOf(&poly)) {
    for (int sign : {1, -1}) {
      if (!ExpectArrangement(vertex, arrangement, sign, valence, expected)) continue;
      std::vector<uint8_t> used(static_cast<size_t>(valence), 0);
      bool fits = true;
      for (const Incidence& incidence : incidences) {
        bool forward = true;
        const int slot = SlotOf(expected, incidence, forward);
        if (slot < 0 || used[static_cast<size_t>(slot)]) {
          fits = false;
          break;
        }
        // The first face opens the ring, passing the vertex forwards.
        if (incidence.face == vertex->mNeighbours[0] && (slot != 0 || !forward)) {
          fits = false;
          break;
        }
        used[static_cast<size_t>(slot)] = 1;
      }
      if (!fits) continue;
      const int turn = sign > 0 ? 0 : 1;
      const Candidate candidate{&arrangement, sign, valence - static_cast<int>(incidences.size()),
                                arrangement.mList ^ turn};
      size_t same = 0;
      while (same < placements.size() && !SamePlacement(placements[same], expected)) ++same;
      if (same == placements.size()) {
        found.push_back(candidate);
        placements.push_back(expected);
      } else if (found[same].sense != 0 && candidate.sense == 0) {
        found[same] = candidate;
      }
    }
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Candidate& a, const Candidate& b) { return a.missing < b.missing; });
  return found;
}

// The vertex's configuration for messages: side counts round it, "-" for a face not
// yet there, "/d" for a density other than 1.
std::string DescribeVertex(const Vertex* vertex) {
  std::string text;
  char number[32];
  for (int k = 0; k < vertex->mNumSides; ++k) {
    if (k > 0) text += ", ";
    const PolyElement* face = vertex->mNeighbours[k];
    if (!face) {
      text += "-";
      continue;
    }
    if (face->mDensity != 1) {
      std::snprintf(number, sizeof number, "%d/%d", face->mNumSides, face->mDensity);
    } else {
      std::snprintf(number, sizeof number, "%d", face->mNumSides);
    }
    text += number;
  }
  text += ".";
  return text;
}

Vertex* AsVertex(PolyElement* element) { return static_cast<Vertex*>(element); }

// A vertex placed for the build; its dual face lies in its polar plane at the
// template's distance.
Vertex* NewVertex(Poly& poly, const double* position) {
  PolyTemplate* polyTemplate = poly.mTemplate;
  double p[3];
  CopyVector(p, position);
  poly.mTemplate = nullptr;
  Vertex* vertex = new Vertex(&poly, p, polyTemplate->mValence);
  poly.mTemplate = polyTemplate;
  Scale(vertex->mCentre, vertex->mZAxis, polyTemplate->mMidRadiusSqOverRadius);
  SnapNearZero(vertex->mCentre, kPointTolerance);
  vertex->mFlags &= ~kElementInf;
  return vertex;
}

// A face of the given template polygon, with its density, identity and colour.
Face* NewFace(Poly& poly, const TemplatePolygon* record) {
  Face* face = new Face(&poly, nullptr, record->mSides);
  face->mRecord = record;
  face->mDensity = record->mWraps;
  face->mIdFlags = record->mId;
  for (int k = 0; k < 3; ++k) face->mColor[k] = record->mColor[k];
  RecordOf(&poly).madeFaces.push_back(face);
  return face;
}

int CountRemaining(Poly& poly, Vertex* vertex, const IncidenceTable& table) {
  vertex->mChanged = 0;
  const auto& incidences = table[static_cast<size_t>(vertex->mIndex)];
  return static_cast<int>(FindCandidates(poly, vertex, incidences).size());
}

// After each step: every vertex still without an arrangement must have one left.
bool CheckRemaining(Poly& poly) {
  const IncidenceTable table = CollectIncidences(poly);
  for (PolyElement* element = poly.mVertices.mHead; element; element = element->mNext) {
    Vertex* vertex = AsVertex(element);
    if (vertex->mMatch) continue;
    // The count holds while no face came to the vertex or left it.
    if (vertex->mChanged || vertex->mRemaining < 0) vertex->mRemaining = CountRemaining(poly, vertex, table);
    if (vertex->mRemaining < 1) {
      // A dead end of the search, which backs up to the latest choice; the build says
      // why only when no choice is left (ReportFailure). A trace, not a failure.
      DoNothing("Failed: Found vertex with no possible match: '%s'", DescribeVertex(vertex).c_str());
      return false;
    }
  }
  return true;
}

// The next vertex to match: the one with the fewest arrangements left, ties to the one
// with more faces already standing at it; null when none is left.
Vertex* ChooseVertex(Poly& poly) {
  const IncidenceTable table = CollectIncidences(poly);
  Vertex* best = nullptr;
  size_t bestLinked = 0;
  for (PolyElement* element = poly.mVertices.mHead; element; element = element->mNext) {
    Vertex* vertex = AsVertex(element);
    if (vertex->mMatch) continue;
    if (vertex->mChanged || vertex->mRemaining < 0) vertex->mRemaining = CountRemaining(poly, vertex, table);
    if (vertex->mRemaining == 0) return nullptr;
    const size_t linked = table[static_cast<size_t>(vertex->mIndex)].size();
    if (!best || vertex->mRemaining < best->mRemaining ||
        (vertex->mRemaining == best->mRemaining && linked > bestLinked)) {
      best = vertex;
      bestLinked = linked;
    }
  }
  return best;
}

void CountBranches(Poly& poly) {
  poly.mNumBranches = 0;
  poly.mBranchVertex = nullptr;
  for (PolyElement* element = poly.mVertices.mHead; element; element = element->mNext) {
    Vertex* vertex = AsVertex(element);
    if (!vertex->mMatch || vertex->mRemaining < 1) continue;
    ++poly.mNumBranches;
    if (!poly.mBranchVertex) poly.mBranchVertex = vertex;
  }
}

// Moves the vertex on to its next arrangement: the one after its current one among
// those that fit now, or the first when it has none.
bool DoNextMatch(Poly& poly, Vertex* vertex) {
  const IncidenceTable table = CollectIncidences(poly);
  const std::vector<Candidate> candidates =
      FindCandidates(poly, vertex, table[static_cast<size_t>(vertex->mIndex)]);
  size_t next = 0;
  if (vertex->mMatch) {
    const int sign = vertex->mTurnSense == 0 ? 1 : -1;
    size_t k = 0;
    while (k < candidates.size() && !(candidates[k].arrangement == vertex->mMatch && candidates[k].sign == sign)) ++k;
    // The set-up of a finished model may have turned the first face's corners round,
    // which reads the same arrangement with the other turn.
    if (k == candidates.size()) {
      k = 0;
      while (k < candidates.size() && !(candidates[k].arrangement == vertex->mMatch && candidates[k].sign == -sign)) {
        ++k;
      }
    }
    next = k + 1;
  }
  if (next >= candidates.size()) {
    vertex->mMatch = nullptr;
    vertex->mMatchLevel = -1;
    vertex->mRemaining = 0;
    return false;
  }
  const Candidate& chosen = candidates[next];
  vertex->mMatch = chosen.arrangement;
  vertex->mMatchList = chosen.arrangement->mList;
  vertex->mTurnSense = chosen.sign > 0 ? 0 : 1;
  vertex->mMatchSense = (vertex->mTurnSense == 0) ? 0 : 1;
  vertex->mMatchLevel = chosen.missing;
  vertex->mMatchSerial = poly.mMatchCounter++;
  vertex->mFacesAtMatch = static_cast<int>(RecordOf(&poly).madeFaces.size());
  // The first vertex takes the first arrangement only: every solution has a vertex at
  // which its first face plays that part, so the first vertex's other arrangements
  // would build the same solutions again, turned round.
  vertex->mRemaining = vertex->mMatchSerial == 0 ? 0 : static_cast<int>(candidates.size() - next - 1);
  CountBranches(poly);
  return true;
}

// The vertex that a face other than `face`, standing at `from`, has next to `from`
// at `position`: the far end of the edge from `from` towards `position`, which
// `face` shares. Null when no face stands along that edge yet.
Vertex* VertexAcross(Poly& poly, const PolyElement* from, const PolyElement* face, const double* position) {
  if (!from) return nullptr;
  for (PolyElement* other = poly.mFaces.mHead; other; other = other->mNext) {
    if (other == face) continue;
    const int n = other->mNumSides;
    for (int i = 0; i < n; ++i) {
      if (other->mNeighbours[i] != from) continue;
      for (int step : {1, -1}) {
        PolyElement* corner = other->mNeighbours[Wrap(i + step, n)];
        if (corner && Near(corner->mDualVert, position)) return AsVertex(corner);
      }
    }
  }
  return nullptr;
}

// Merges `gone` into `keep`, two vertices in one point that are one vertex: every
// face corner that held gone holds keep, and gone (which has no arrangement yet) is
// destroyed. Noted under the match with the given serial number, whose undoing puts
// it back.
void MergeVertices(Poly& poly, Vertex* keep, Vertex* gone, int serial) {
  MergeRecord record;
  record.serial = serial;
  record.firstFace = gone->mNeighbours[0];
  record.firstSense = gone->mFaceSense[0];
  for (PolyElement* face = poly.mFaces.mHead; face; face = face->mNext) {
    for (int i = 0; i < face->mNumSides; ++i) {
      if (face->mNeighbours[i] != gone) continue;
      record.corners.emplace_back(face, i);
      face->SetNeighbour(i, keep);
    }
  }
  RecordOf(&poly).merges.push_back(std::move(record));
  keep->mChanged = 1;
  poly.mVertices.Remove(gone);
}

// Puts back every vertex merged under the match with the given serial number or a
// later one, latest first.
void UndoMerges(Poly& poly, int serial) {
  std::vector<MergeRecord>& merges = RecordOf(&poly).merges;
  while (!merges.empty() && merges.back().serial >= serial) {
    const MergeRecord& record = merges.back();
    if (record.corners.empty()) {
      merges.pop_back();
      continue;
    }
    const auto& [holder, corner] = record.corners.front();
    Vertex* vertex = NewVertex(poly, holder->mNeighbours[corner]->mDualVert);
    for (const auto& [face, i] : record.corners) {
      if (PolyElement* keep = face->mNeighbours[i]) AsVertex(keep)->mChanged = 1;
      face->SetNeighbour(i, vertex);
    }
    vertex->SetFace(0, record.firstFace);
    vertex->mFaceSense[0] = record.firstSense;
    merges.pop_back();
  }
}

// Sets corner i of a new face to the vertex. False when it cannot be: the vertex has
// its arrangement already (which does not hold the new face), or is another corner
// of the face.
bool SetCorner(PolyElement* face, int i, Vertex* vertex) {
  if (vertex->mMatch && vertex->FindVertexIndex(face, -1) < 0) return false;
  for (int k = 0; k < face->mNumSides; ++k) {
    if (k != i && face->mNeighbours[k] == vertex) return false;
  }
  face->SetNeighbour(i, vertex);
  vertex->mChanged = 1;
  return true;
}

// Corners, dual point and Hemi flag of a new face whose corner 0 is set. Walking
// round the face from corner 0, forwards and then backwards, each corner is the
// vertex that a face standing across the edge before it has there; where the two
// walks meet on two vertices, they are one. The corners no walk reaches are new
// vertices. False when the face cannot stand: it would pass a vertex whose
// arrangement does not hold it. Merges are noted under the given match serial.
bool PlaceCorners(Poly& poly, PolyElement* face, int serial) {
  if (!face->mNeighbours[0]) {
    ShowInternalError("CreateVertices: First vertex must exist!");
    return false;
  }
  const int n = face->mNumSides;
  double position[3];
  for (int i = 1; i < n && !face->mNeighbours[i]; ++i) {
    CornerPosition(face, i, position);
    Vertex* across = VertexAcross(poly, face->mNeighbours[i - 1], face, position);
    if (!across) break;
    if (!SetCorner(face, i, across)) return false;
  }
  for (int i = n - 1; i >= 1; --i) {
    CornerPosition(face, i, position);
    Vertex* across = VertexAcross(poly, face->mNeighbours[Wrap(i + 1, n)], face, position);
    if (!across) break;
    PolyElement* current = face->mNeighbours[i];
    if (!current) {
      if (!SetCorner(face, i, across)) return false;
      continue;
    }
    if (current != across) {
      // One corner, two vertices: one of them may not have its arrangement yet.
      Vertex* a = AsVertex(current);
      if (a->mMatch || across->mMatch) return false;
      Vertex* keep = a->mIndex < across->mIndex ? a : across;
      MergeVertices(poly, keep, keep == a ? across : a, serial);
    }
    break;
  }
  for (int i = 1; i < n; ++i) {
    if (face->mNeighbours[i]) continue;
    CornerPosition(face, i, position);
    Vertex* vertex = NewVertex(poly, position);
    vertex->SetFace(0, face);
    vertex->mFaceSense[0] = 0;
    face->SetNeighbour(i, vertex);
  }
  double m[3];
  Add(m, face->mNeighbours[0]->mDualVert, face->mNeighbours[1]->mDualVert);
  Normalise(m);
  const double c = Dot(m, face->mZAxis);
  if (std::fabs(c) > kCentralPlaneTolerance) {
    Scale(face->mDualVert, face->mZAxis, poly.mDualScale / c);
  } else {
    face->mFlags |= kElementHemi;
    CopyVector(face->mDualVert, face->mZAxis);
  }
  SnapNearZero(face->mDualVert, kPointTolerance);
  return true;
}

// Makes the face of slot k at the vertex from the expected corners next to it.
Face* MakeFace(Poly& poly, Vertex* vertex, const TemplatePolygon* record, const double* after, const double* before,
               bool& forward) {
  const double* p = vertex->mDualVert;
  double ab[3], bb[3], normal[3];
  Subtract(ab, after, p);
  Subtract(bb, before, p);
  Cross(normal, ab, bb);
  if (!Normalise(normal)) return nullptr;
  Face* face = NewFace(poly, record);
  double centre[3];
  Scale(centre, normal, Dot(normal, p));
  double x[3];
  Subtract(x, p, centre);
  if (!Normalise(x)) Subtract(x, p, centre);
  const double r = record->mFaceRadius;
  for (int k = 0; k < 3; ++k) face->mCentre[k] = p[k] - r * x[k];
  CopyVector(face->mXAxis, x);
  CopyVector(face->mZAxis, normal);
  Cross(face->mYAxis, face->mZAxis, face->mXAxis);
  SnapNearZero(face->mCentre, kPointTolerance);
  SnapNearZero(face->mXAxis, kPointTolerance);
  SnapNearZero(face->mYAxis, kPointTolerance);
  SnapNearZero(face->mZAxis, kPointTolerance);
  // Corner 1 must be the corner after the vertex; otherwise the frame turns over.
  double corner1[3];
  face->SetNeighbour(0, vertex);
  CornerPosition(face, 1, corner1);
  if (!Near(corner1, after)) {
    Scale(face->mZAxis, face->mZAxis, -1.0);
    Scale(face->mYAxis, face->mYAxis, -1.0);
  }
  forward = true;
  // Faces look outwards unless they are retrograde; one turned round passes the vertex
  // the other way.
  if (!IsRetrograde(record) && Dot(face->mZAxis, face->mCentre) < -kPointTolerance) {
    Scale(face->mZAxis, face->mZAxis, -1.0);
    Scale(face->mYAxis, face->mYAxis, -1.0);
    forward = false;
  }
  SnapNearZero(face->mYAxis, kPointTolerance);
  SnapNearZero(face->mZAxis, kPointTolerance);
  return face;
}

// A face standing at another vertex in the vertex's point that fills place k of the
// expected arrangement: that vertex and the face, or nulls.
std::pair<Vertex*, PolyElement*> CoincidentFace(Poly& poly, const Vertex* vertex, const IncidenceTable& table,
                                                const Expected& expected, size_t k) {
  for (PolyElement* element = poly.mVertices.mHead; element; element = element->mNext) {
    if (element == vertex || !Near(element->mDualVert, vertex->mDualVert)) continue;
    for (const Incidence& incidence : table[static_cast<size_t>(element->mIndex)]) {
      if (incidence.face->mNumSides != expected.polygons[k]->mSides) continue;
      const double* a = expected.after[k].data();
      const double* b = expected.before[k].data();
      if ((Near(incidence.after, a) && Near(incidence.before, b)) ||
          (Near(incidence.after, b) && Near(incidence.before, a))) {
        return {AsVertex(element), incidence.face};
      }
    }
  }
  return {nullptr, nullptr};
}

// Finds or makes every face of the vertex's arrangement. False at a dead end: a face
// it asks for belongs to another vertex's arrangement, or cannot stand.
bool CreateFaces(Poly& poly, Vertex* vertex) {
  if (!vertex->mNeighbours[0]) {
    ShowInternalError("CreateFaces: First face doesn't exist");
    return false;
  }
  Expected expected;
  const int sign = vertex->mTurnSense == 0 ? 1 : -1;
  if (!vertex->mMatch || !ExpectArrangement(vertex, *vertex->mMatch, sign, vertex->mNumSides, expected)) {
    ShowInternalError("CreateFaces: face doesn't match!");
    return false;
  }
  const size_t valence = static_cast<size_t>(vertex->mNumSides);
  std::vector<PolyElement*> slots;
  std::vector<uint8_t> senses;
  IncidenceTable table;
  for (bool merged = true; merged;) {
    merged = false;
    table = CollectIncidences(poly);
    slots.assign(valence, nullptr);
    senses.assign(valence, 0);
    for (const Incidence& incidence : table[static_cast<size_t>(vertex->mIndex)]) {
      bool forward = true;
      const int slot = SlotOf(expected, incidence, forward);
      if (slot < 0 || slots[static_cast<size_t>(slot)]) {
        ShowInternalError("CreateFaces: face doesn't match!");
        return false;
      }
      slots[static_cast<size_t>(slot)] = incidence.face;
      senses[static_cast<size_t>(slot)] = forward ? 0 : 1;
    }
    // A face the arrangement asks for that stands already at another vertex in this
    // point makes that vertex this one, with all its faces in free places.
    for (size_t k = 0; k < valence && !merged; ++k) {
      if (slots[k]) continue;
      const auto [other, face] = CoincidentFace(poly, vertex, table, expected, k);
      if (!other) continue;
      if (other->mMatch) return false;
      std::vector<uint8_t> taken(valence, 0);
      for (size_t j = 0; j < valence; ++j) taken[j] = slots[j] ? 1 : 0;
      for (const Incidence& incidence : table[static_cast<size_t>(other->mIndex)]) {
        bool forward = true;
        const int slot = SlotOf(expected, incidence, forward);
        if (slot < 0 || taken[static_cast<size_t>(slot)]) return false;
        taken[static_cast<size_t>(slot)] = 1;
      }
      MergeVertices(poly, vertex, other, vertex->mMatchSerial);
      merged = true;
    }
  }
  for (size_t k = 0; k < valence; ++k) {
    PolyElement* face = slots[k];
    if (face) {
      vertex->SetFace(static_cast<int>(k), face);
      vertex->mFaceSense[k] = senses[k];
      const uint32_t previous = face->mIdFlags;
      face->mIdFlags |= expected.polygons[k]->mId;
      if (face->mIdFlags != previous) RecordOf(&poly).idChanges.push_back({face, previous, vertex->mMatchSerial});
      continue;
    }
    bool forward = true;
    Face* made =
        MakeFace(poly, vertex, expected.polygons[k], expected.after[k].data(), expected.before[k].data(), forward);
    if (!made) {
      ShowInternalError("CreateFaces: face doesn't match!");
      return false;
    }
    vertex->SetFace(static_cast<int>(k), made);
    vertex->mFaceSense[k] = forward ? 0 : 1;
    if (!PlaceCorners(poly, made, vertex->mMatchSerial)) return false;
  }
  return true;
}

void ResetMatch(Vertex* vertex) {
  vertex->mMatch = nullptr;
  vertex->mMatchLevel = -1;
  vertex->mMatchSerial = -1;
  vertex->mFacesAtMatch = -1;
  vertex->mRemaining = -1;
  vertex->mTurnSense = -1;
  vertex->mChanged = 1;
}

// Clears every place of the vertex's ring but the first face's.
void UnlinkRing(Vertex* vertex) {
  for (int k = 1; k < vertex->mNumSides; ++k) {
    vertex->SetFace(k, nullptr);
    vertex->mFaceSense[k] = 0;
  }
}

// Undoes the matches from the vertex's on: the faces made since it was matched go, and
// with them the vertices that stood only on them; later vertices lose their
// arrangements. The vertex keeps its arrangement unless full, so that its next one
// can follow.
void RemoveMatchesFrom(Poly& poly, Vertex* vertex, bool full) {
  const int serial = vertex->mMatchSerial;
  const int facesAtMatch = vertex->mFacesAtMatch;
  poly.ClearEdges();
  poly.ClearFaceTypes();
  UndoMerges(poly, serial);
  // The identities go back to what they were before the vertex was matched, while
  // every face they name still stands.
  std::vector<IdFlagsChange>& changes = RecordOf(&poly).idChanges;
  while (!changes.empty() && changes.back().serial >= serial) {
    changes.back().face->mIdFlags = changes.back().previous;
    changes.pop_back();
  }
  std::vector<PolyElement*>& made = RecordOf(&poly).madeFaces;
  while (facesAtMatch >= 0 && static_cast<int>(made.size()) > facesAtMatch) {
    PolyElement* face = made.back();
    made.pop_back();
    for (int i = 0; i < face->mNumSides; ++i) {
      PolyElement* corner = face->mNeighbours[i];
      if (!corner) continue;
      AsVertex(corner)->mChanged = 1;
      for (int k = corner->FindVertexIndex(face, -1); k >= 0; k = corner->FindVertexIndex(face, k)) {
        AsVertex(corner)->SetFace(k, nullptr);
        AsVertex(corner)->mFaceSense[k] = 0;
      }
    }
    poly.mFaces.Remove(face);
  }
  for (PolyElement* element = poly.mVertices.mHead; element;) {
    PolyElement* following = element->mNext;
    Vertex* other = AsVertex(element);
    if (!other->mNeighbours[0]) {
      if (poly.mBranchVertex == other) poly.mBranchVertex = nullptr;
      poly.mVertices.Remove(other);
    } else if (other->mMatch && other->mMatchSerial > serial) {
      ResetMatch(other);
      UnlinkRing(other);
    }
    element = following;
  }
  UnlinkRing(vertex);
  vertex->mChanged = 1;
  poly.mMatchCounter = serial;
  if (full) ResetMatch(vertex);
  CountBranches(poly);
  poly.mBuildState = kBuildRunning;
}

void SaveLinks(Poly& poly) {
  std::vector<SavedLinks>& saved = RecordOf(&poly).savedLinks;
  saved.clear();
  for (ElementList* list : {static_cast<ElementList*>(&poly.mFaces), static_cast<ElementList*>(&poly.mVertices)}) {
    for (PolyElement* element = list->mHead; element; element = element->mNext) {
      SavedLinks links{element,
                       std::vector<PolyElement*>(element->mNeighbours.get(),
                                                 element->mNeighbours.get() + element->mNumSides),
                       {},
                       element->mIdFlags};
      if (element->IsVertex()) {
        const uint8_t* senses = AsVertex(element)->mFaceSense.get();
        links.senses.assign(senses, senses + element->mNumSides);
      }
      saved.push_back(std::move(links));
    }
  }
}

void RestoreLinks(Poly& poly) {
  std::vector<SavedLinks>& saved = RecordOf(&poly).savedLinks;
  for (const SavedLinks& links : saved) {
    for (int k = 0; k < links.element->mNumSides; ++k) {
      links.element->mNeighbours[k] = links.neighbours[static_cast<size_t>(k)];
      if (!links.senses.empty()) AsVertex(links.element)->mFaceSense[k] = links.senses[static_cast<size_t>(k)];
    }
    links.element->mIdFlags = links.idFlags;
    if (links.element->IsVertex()) AsVertex(links.element)->mChanged = 1;
  }
  saved.clear();
}

// Backs up to the latest vertex that still has an arrangement to try and tries it.
bool TakeBranch(Poly& poly) {
  poly.ClearEdges();
  if (!RecordOf(&poly).savedLinks.empty()) {
    poly.ClearFaceTypes();
    RestoreLinks(poly);
  }
  Vertex* latest = nullptr;
  for (PolyElement* element = poly.mVertices.mHead; element; element = element->mNext) {
    Vertex* vertex = AsVertex(element);
    if (!vertex->mMatch || vertex->mRemaining < 1) continue;
    if (!latest || vertex->mMatchSerial > latest->mMatchSerial) latest = vertex;
  }
  if (!latest) {
    ShowInternalError("TakeBranch: Couldn't find a branch");
    return false;
  }
  RemoveMatchesFrom(poly, latest, false);
  return poly.MatchStep(latest);
}

// Whether every vertex sees the others at the same distances, as the vertices of a
// uniform polyhedron do: its group carries any vertex to any other. A finished
// model that fails this (a cupola turned against the rest, say) is another
// polyhedron with the same vertex configuration.
bool VerticesAlike(const Poly& poly) {
  std::vector<const PolyElement*> vertices;
  for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) vertices.push_back(v);
  std::vector<double> first;
  std::vector<double> distances;
  for (size_t i = 0; i < vertices.size(); ++i) {
    distances.clear();
    for (size_t j = 0; j < vertices.size(); ++j) {
      double d[3];
      Subtract(d, vertices[i]->mDualVert, vertices[j]->mDualVert);
      distances.push_back(Dot(d, d));
    }
    // Plain numbers: an exact order, so std::sort is safe here.
    std::sort(distances.begin(), distances.end());
    if (i == 0) {
      first = distances;
      continue;
    }
    for (size_t k = 0; k < distances.size(); ++k) {
      if (std::fabs(distances[k] - first[k]) > kFaceMatchTolerance) return false;
    }
  }
  return true;
}

// The vertices that have their arrangement. Each is a vertex of the solution on its
// own; the others may yet prove to be one with another vertex in their point.
int CountMatched(const Poly& poly) {
  int count = 0;
  for (const PolyElement* element = poly.mVertices.mHead; element; element = element->mNext) {
    if (static_cast<const Vertex*>(element)->mMatch) ++count;
  }
  return count;
}

// How many vertices a solution may have: the library record's count when the
// template names a record that gives one. A branch whose matched vertices grow past
// it cannot close into that polyhedron.
int VertexBound(const Poly& poly) {
  const PolyTemplate* polyTemplate = poly.mTemplate;
  if (polyTemplate && polyTemplate->mEntry && polyTemplate->mEntry->mNumVerts > 0) {
    return polyTemplate->mEntry->mNumVerts;
  }
  return -1;
}

enum class FailureReason { kNoSolution, kNoArrangement, kTooManyVertices, kTooManySteps };

// Says why a build gave up: every failed build ends with a refusal in the model's
// build outcome, which the caller tells.
void ReportFailure(Poly& poly, FailureReason reason) {
  const char* text = poly.mTemplate ? poly.mTemplate->mText.c_str() : "";
  if (reason == FailureReason::kNoSolution) {
    poly.mBuildOutcome = Outcome::RefusedF("\"%s\" - The vertex configuration has no solution to build from.", text);
  } else if (reason == FailureReason::kTooManyVertices) {
    poly.mBuildOutcome = Outcome::RefusedF("\"%s\" - The faces don't close up into a polyhedron within %d vertices.",
                                           text, kBuildMaxNewVertices);
  } else if (reason == FailureReason::kTooManySteps) {
    poly.mBuildOutcome = Outcome::RefusedF(
        "\"%s\" - No arrangement of the faces closed up into a polyhedron within %d steps.", text, kBuildMaxSteps);
  } else {
    poly.mBuildOutcome = Outcome::RefusedF(
        "\"%s\" - No arrangement of the faces round the vertices closes up into a polyhedron.", text);
  }
}

// +1 when the face runs from a to b (b is the corner after a), -1 when from b to a, 0
// when the two are no side of the face.
int RunsFromTo(const PolyElement* face, const PolyElement* a, const PolyElement* b) {
  const int n = face->mNumSides;
  for (int i = 0; i < n; ++i) {
    if (face->mNeighbours[i] != a) continue;
    if (face->mNeighbours[Wrap(i + 1, n)] == b) return 1;
    if (face->mNeighbours[Wrap(i - 1, n)] == b) return -1;
  }
  return 0;
}

// The corner that two faces next to each other round a vertex share beside it: the far
// end of the edge between them. Null when they share none, or two.
const PolyElement* SharedNeighbour(const PolyElement* vertex, const PolyElement* f, const PolyElement* g) {
  const PolyElement* found = nullptr;
  const int n = f->mNumSides;
  for (int i = 0; i < n; ++i) {
    if (f->mNeighbours[i] != vertex) continue;
    for (int step : {1, -1}) {
      const PolyElement* x = f->mNeighbours[Wrap(i + step, n)];
      if (x == found || RunsFromTo(g, vertex, x) == 0) continue;
      if (found) return nullptr;
      found = x;
    }
  }
  return found;
}

// Three times the volume the faces enclose as they are wound (each face a fan of
// triangles from its first corner with the centre).
double WoundVolume(const Poly& poly) {
  double sum = 0.0;
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    const double* p0 = f->mNeighbours[0]->mDualVert;
    for (int i = 1; i + 1 < f->mNumSides; ++i) {
      double cross[3];
      Cross(cross, f->mNeighbours[i]->mDualVert, f->mNeighbours[i + 1]->mDualVert);
      sum += Dot(p0, cross);
    }
  }
  return sum;
}

// Turns faces of a finished solution round so that every edge is run one way by one of
// its faces and the other way by the other, and the faces enclose a positive volume.
// The builder makes each face wind as the vertex that made it sees it, which can set
// two faces of an edge running the same way (a retrograde face made at one corner, say);
// the model's own copy and every file written from it would then be wound
// inconsistently. A surface that cannot be wound one way (a one-sided one) keeps its
// faces as they are.
void WindConsistently(Poly& poly) {
  std::vector<PolyElement*> faces;
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    for (int i = 0; i < f->mNumSides; ++i) {
      if (!f->mNeighbours[i]) return;
    }
    faces.push_back(f);
  }
  if (faces.empty()) return;
  // Each pair of faces next to each other round a vertex must run their shared edge
  // opposite ways: a face keeps its winding (+1) or turns (-1).
  std::unordered_map<const PolyElement*, size_t> place;
  for (size_t i = 0; i < faces.size(); ++i) place.emplace(faces[i], i);
  struct Link {
    size_t other;
    bool sameWay;
  };
  std::vector<std::vector<Link>> links(faces.size());
  for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    const int q = v->mNumSides;
    for (int k = 0; k < q; ++k) {
      const PolyElement* f = v->mNeighbours[k];
      const PolyElement* g = v->mNeighbours[Wrap(k + 1, q)];
      if (!f || !g || f == g) continue;
      const PolyElement* x = SharedNeighbour(v, f, g);
      if (!x) continue;
      const auto fi = place.find(f);
      const auto gi = place.find(g);
      if (fi == place.end() || gi == place.end()) continue;
      const bool sameWay = RunsFromTo(f, v, x) == RunsFromTo(g, v, x);
      links[fi->second].push_back({gi->second, sameWay});
      links[gi->second].push_back({fi->second, sameWay});
    }
  }
  std::vector<int> turn(faces.size(), 0);
  for (size_t start = 0; start < faces.size(); ++start) {
    if (turn[start] != 0) continue;
    turn[start] = 1;
    std::vector<size_t> queue{start};
    while (!queue.empty()) {
      const size_t i = queue.back();
      queue.pop_back();
      for (const Link& link : links[i]) {
        const int wanted = link.sameWay ? -turn[i] : turn[i];
        if (turn[link.other] == 0) {
          turn[link.other] = wanted;
          queue.push_back(link.other);
        } else if (turn[link.other] != wanted) {
          return;
        }
      }
    }
  }
  // Corner 0 stays and the others run the other way; the face keeps its frame, so a
  // face turned round runs against its normal, as a retrograde face does. The links
  // as built are saved, and going back to them undoes this.
  auto rewind = [](PolyElement* face) {
    face->RotateCorners(0, true);
    for (int i = 0; i < face->mNumSides; ++i) {
      Vertex* corner = AsVertex(face->mNeighbours[i]);
      for (int k = corner->FindVertexIndex(face, -1); k >= 0; k = corner->FindVertexIndex(face, k)) {
        corner->mFaceSense[k] ^= 1;
      }
    }
  };
  for (size_t i = 0; i < faces.size(); ++i) {
    if (turn[i] < 0) rewind(faces[i]);
  }
  if (WoundVolume(poly) < -kPointTolerance) {
    for (PolyElement* face : faces) rewind(face);
  }
}

// Whether every vertex of a finished solution sees, in each part of its arrangement, a
// face of the same identity as the first vertex does. Then the identities are the
// symmetry classes the set-up takes them for; otherwise (a solution that is not
// uniform, whose vertices play their parts in different surroundings) they are not.
bool PartsAgree(const Poly& poly) {
  const PolyTemplate* polyTemplate = poly.mTemplate;
  if (!polyTemplate) return false;
  std::vector<uint32_t> first;
  std::vector<uint32_t> parts;
  for (const PolyElement* element = poly.mVertices.mHead; element; element = element->mNext) {
    const Vertex* vertex = static_cast<const Vertex*>(element);
    const TemplateArrangement* match = vertex->mMatch;
    if (!match || vertex->mNumSides != polyTemplate->mValence) return false;
    parts.assign(static_cast<size_t>(vertex->mNumSides), 0);
    const TemplatePolygon* p = match->mStart;
    for (int k = 0; k < vertex->mNumSides; ++k, p = StepPolygon(p, match->mList)) {
      const int index = p->GetIndex();
      const PolyElement* face = vertex->mNeighbours[k];
      if (index < 0 || index >= vertex->mNumSides || !face) return false;
      parts[static_cast<size_t>(index)] = face->mIdFlags;
    }
    if (first.empty()) {
      first = parts;
    } else if (parts != first) {
      return false;
    }
  }
  return true;
}

// Whether every corner of the face has its arrangement.
bool IsFinishedFace(const PolyElement* face) {
  for (int i = 0; i < face->mNumSides; ++i) {
    const PolyElement* corner = face->mNeighbours[i];
    if (!corner || !static_cast<const Vertex*>(corner)->mMatch) return false;
  }
  return true;
}

// Whether the faces round the vertex just matched can still play their parts alike: a
// face that shares a part with a finished face plays no part that one does not, and
// two finished faces that share a part play the same parts. Every branch towards a
// solution whose vertices play their parts alike (PartsAgree) keeps to this: each of
// its faces ends with the parts of any face that plays one of its parts.
bool PartsStayAlike(const Poly& poly, const Vertex* vertex) {
  for (int k = 0; k < vertex->mNumSides; ++k) {
    const PolyElement* face = vertex->mNeighbours[k];
    if (!face) continue;
    const uint32_t parts = face->mIdFlags;
    const bool finished = IsFinishedFace(face);
    for (const PolyElement* other = poly.mFaces.mHead; other; other = other->mNext) {
      const uint32_t otherParts = other->mIdFlags;
      if (other == face || (parts & otherParts) == 0) continue;
      if (finished && (otherParts & ~parts) != 0) return false;
      if ((parts & ~otherParts) != 0 && IsFinishedFace(other)) return false;
    }
  }
  return true;
}

// Sets a finished solution up with the symmetry its geometry has, found as for any
// other model: the types are the orbits of its vertices and faces under that group.
// False when the symmetry cannot be found for it.
bool SetUpBySymmetry(Poly& poly) {
  const int numVerts = poly.mVertices.mCount;
  const int numFaces = poly.mFaces.mCount;
  SimplePoly simple(numVerts, numFaces);
  for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) simple.VertAt(v->mIndex).SetPos(v->mDualVert);
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    SimpleFace& face = simple.FaceAt(f->mIndex);
    face.SetNumVerts(f->mNumSides, f->mDensity);
    for (int i = 0; i < f->mNumSides; ++i) face.SetVertIndex(i, f->mNeighbours[i]->mIndex);
  }
  simple.flags |= kSimpleKeepOrientation | kSimpleKeepCentre | kSimpleKeepSize;
  bool hasReflection = false;
  std::unique_ptr<SymGroup> group = FindSymmetries(simple, hasReflection);
  if (!group || simple.NumVerts() != numVerts || simple.NumFaces() != numFaces) return false;
  for (PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    v->mIdFlags = static_cast<uint32_t>(simple.VertAt(v->mIndex).typeId);
  }
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    f->mIdFlags = static_cast<uint32_t>(simple.FaceAt(f->mIndex).typeId);
  }
  poly.mReflexible = hasReflection ? 1 : 0;
  poly.SetFaceTypes(std::move(group), true, false);
  return true;
}

// A step that finds no further solution: the last one is built again, and stays, with
// no choices left.
void ReturnToLastSolution(Poly& poly) {
  PolyTemplate* polyTemplate = poly.mTemplate;
  const int solutions = RecordOf(&poly).solutions;
  const uint32_t flags = RecordOf(&poly).buildFlags;
  if (!polyTemplate || solutions < 1) return;
  bool built = poly.Prepare(polyTemplate, flags);
  RecordOf(&poly).returning = true;
  built = built && poly.RunBuild();
  while (built && RecordOf(&poly).solutions < solutions && poly.mBuildState == kBuildFinishedWithChoices) {
    poly.BuildStep();
    built = poly.RunBuild();
  }
  RecordOf(&poly).returning = false;
  if (!built) return;
  poly.mBuildState = kBuildFinished;
  poly.mNumBranches = 0;
  poly.mBranchVertex = nullptr;
  ShowInformation("\"%s\" - No other arrangement of the faces closes up into a polyhedron: the model stays as it was.",
                  polyTemplate->mText.c_str());
}

// Whether a failed step goes back to the last solution found.
bool ReturnsToLastSolution(Poly& poly) {
  const PolyBuildRecord& record = RecordOf(&poly);
  return poly.mBuildState == kBuildFailed && record.solutions >= 1 && !record.returning;
}

}  // namespace detail_PolyBuild

bool Poly::Build(PolyTemplate* polyTemplate, uint32_t flags) {
  if (!Prepare(polyTemplate, flags)) return false;
  // First the search kept to the branches whose faces can play their parts alike
  // (PartsStayAlike). It takes the plain search's branches in the same order and leaves
  // the others out, so where several arrangements fit a vertex equally well it reaches
  // the first solution in a fraction of the steps, and leaves the plain search's state
  // at that solution: stepping on reaches the same solutions. Where it finds none, the
  // plain search runs from the start, with its messages.
  detail_PolyBuild::RecordOf(this).alikeFirst = true;
  const bool built = RunBuild();
  detail_PolyBuild::RecordOf(this).alikeFirst = false;
  if (built) return true;
  if (!Prepare(polyTemplate, flags)) return false;
  return RunBuild();
}

bool Poly::Prepare(PolyTemplate* polyTemplate, uint32_t flags) {
  Clear(false);
  mBuildOutcome = Outcome::Done();
  if (!polyTemplate || !polyTemplate->GetHead() || polyTemplate->mValence < 3) return false;
  mPolyFlags |= flags;
  mTemplate = polyTemplate;
  if (polyTemplate->mEntry) SetLibraryEntry(polyTemplate->mEntry);
  mDualScale = polyTemplate->mMidRadius;
  // The model's radius is its dual's, the farthest pole of its faces; the template's
  // radius is the model's own (1), so it is left to be measured once the faces stand.
  mRadius = -1.0;
  mHasCentralFace = polyTemplate->mHasHemi;
  mBuildState = kBuildRunning;
  mNumBranches = 0;
  mBranchVertex = nullptr;
  mFirstMatch = 1;
  mMatchCounter = 0;
  if (LibraryEntry* entry = polyTemplate->mEntry) {
    if (detail_PolyBuild::CategoryMarksElements(entry)) mPolyFlags |= detail_PolyBuild::kPolyFlagsCategoryMarked;
  }
  // A template whose solving failed has no edge length: there are no faces to place.
  if (!(polyTemplate->mEdgeLength > kPointTolerance)) {
    mBuildState = kBuildFailed;
    detail_PolyBuild::ReportFailure(*this, detail_PolyBuild::FailureReason::kNoSolution);
    return false;
  }

  // The arrangements: the distinct starting polygons read forwards, then backwards.
  detail_PolyBuild::RecordOf(this).madeFaces.clear();
  detail_PolyBuild::RecordOf(this).savedLinks.clear();
  detail_PolyBuild::RecordOf(this).idChanges.clear();
  detail_PolyBuild::RecordOf(this).merges.clear();
  detail_PolyBuild::RecordOf(this).buildFlags = flags;
  detail_PolyBuild::RecordOf(this).solutions = 0;
  std::vector<TemplateArrangement>& table = detail_PolyBuild::TableOf(this);
  table.clear();
  for (const TemplatePolygon* p = polyTemplate->mNextToTry; p; p = p->mNextToTry)
    table.push_back({p, 0, p->mId, {}, {}});
  for (const TemplatePolygon* p = polyTemplate->mPrevToTry; p; p = p->mPrevToTry)
    table.push_back({p, 1, p->mId, {}, {}});
  if (table.empty()) table.push_back({polyTemplate->GetHead(), 0, polyTemplate->GetHead()->mId, {}, {}});
  for (TemplateArrangement& arrangement : table) detail_PolyBuild::ComputeTurns(arrangement, polyTemplate->mValence);

  // The first face lies level above the centre, corner 0 on the x axis.
  const TemplatePolygon* record = polyTemplate->GetHead();
  const double radius = polyTemplate->mRadius;
  const double r = record->mFaceRadius;
  double d = std::sqrt(std::max(0.0, radius * radius - r * r));
  if (record->mHeight < 0.0) d = -d;
  if (detail_PolyBuild::IsRetrograde(record)) d = -d;
  if (std::fabs(d) <= kPointTolerance) d = 0.0;
  Face* face = detail_PolyBuild::NewFace(*this, record);
  const double centre[3] = {0.0, d, 0.0};
  const double xAxis[3] = {1.0, 0.0, 0.0};
  // A retrograde face winds the other way round its centre: its corners step by the
  // polygon's angle the other way round the level frame, which is the same as
  // stepping forwards round the frame turned over. Faces made later keep that
  // reading (corners forwards round the frame); without the turn the first face
  // alone would wind against its fellows and the model would lose its symmetry.
  const bool turned = detail_PolyBuild::IsRetrograde(record);
  const double yAxis[3] = {0.0, 0.0, turned ? 1.0 : -1.0};
  const double zAxis[3] = {0.0, turned ? -1.0 : 1.0, 0.0};
  CopyVector(face->mCentre, centre);
  CopyVector(face->mXAxis, xAxis);
  CopyVector(face->mYAxis, yAxis);
  CopyVector(face->mZAxis, zAxis);
  double corner0[3];
  detail_PolyBuild::CornerPosition(face, 0, corner0);
  Vertex* vertex = detail_PolyBuild::NewVertex(*this, corner0);
  vertex->SetFace(0, face);
  vertex->mFaceSense[0] = 0;
  face->SetNeighbour(0, vertex);
  if (!CreateVertices(face)) return false;
  vertex->mRemaining = 1;
  vertex->mTurnSense = 0;
  // No arrangement takes even the first face: the template's faces do not close
  // round a vertex of a polyhedron.
  if (!detail_PolyBuild::DoNextMatch(*this, vertex)) {
    mBuildState = kBuildFailed;
    detail_PolyBuild::ReportFailure(*this, detail_PolyBuild::FailureReason::kNoArrangement);
    return false;
  }
  if (!detail_PolyBuild::CreateFaces(*this, vertex) || !detail_PolyBuild::CheckRemaining(*this)) {
    mBuildState = kBuildFailed;
    detail_PolyBuild::ReportFailure(*this, detail_PolyBuild::FailureReason::kNoArrangement);
    return false;
  }
  return true;
}

bool Poly::CreateVertices(PolyElement* face) {
  if (!face || !face->IsFace() || !static_cast<Face*>(face)->mRecord) return false;
  return detail_PolyBuild::PlaceCorners(*this, face, mMatchCounter - 1);
}

bool Poly::RunBuild() {
  const int startCount = mVertices.mCount;
  const bool wasRunning = mBuildState == kBuildRunning;
  detail_PolyBuild::FailureReason reason = detail_PolyBuild::FailureReason::kNoArrangement;
  int steps = 0;
  const int bound = detail_PolyBuild::VertexBound(*this);
  detail_PolyBuild::RecordOf(this).running = true;
  while (mBuildState == kBuildRunning) {
    if (bound > 0 && detail_PolyBuild::CountMatched(*this) > bound) {
      // A branch that has outgrown the polyhedron is a dead end like any other.
      bool resumed = false;
      while (!resumed && mBuildState != kBuildFailed && mNumBranches >= 1 && ++steps <= kBuildMaxSteps) {
        resumed = detail_PolyBuild::TakeBranch(*this);
      }
      if (steps > kBuildMaxSteps) reason = detail_PolyBuild::FailureReason::kTooManySteps;
      if (!resumed) mBuildState = kBuildFailed;
      continue;
    }
    BuildStep();
    if (mVertices.mCount - startCount > kBuildMaxNewVertices || ++steps > kBuildMaxSteps) {
      reason = steps > kBuildMaxSteps ? detail_PolyBuild::FailureReason::kTooManySteps
                                      : detail_PolyBuild::FailureReason::kTooManyVertices;
      mBuildState = kBuildFailed;
    }
  }
  detail_PolyBuild::RecordOf(this).running = false;
  if (detail_PolyBuild::ReturnsToLastSolution(*this)) {
    detail_PolyBuild::ReturnToLastSolution(*this);
  } else if (mBuildState == kBuildFailed && wasRunning && !detail_PolyBuild::RecordOf(this).alikeFirst) {
    detail_PolyBuild::ReportFailure(*this, reason);
  }
  if (mBuildState == kBuildFailed) return false;
  if (mPolyFlags & detail_PolyBuild::kPolyFlagsCategoryMarked) {
    for (ElementList* list : {static_cast<ElementList*>(&mFaces), static_cast<ElementList*>(&mVertices)}) {
      for (PolyElement* element = list->mHead; element; element = element->mNext) {
        element->mFlags |= kElementTemplateCategory;
      }
    }
  }
  return true;
}

bool Poly::BuildStep() {
  switch (mBuildState) {
    case kBuildFinished:
      return true;
    case kBuildFailed:
      return false;
    case kBuildFinishedWithChoices:
      if (detail_PolyBuild::TakeBranch(*this)) return true;
      break;
    default:
      if (MatchStep(detail_PolyBuild::ChooseVertex(*this))) return true;
      break;
  }
  // A dead end: back up through the choices still open.
  while (mBuildState != kBuildFailed && mNumBranches >= 1) {
    if (detail_PolyBuild::TakeBranch(*this)) return true;
  }
  mBuildState = kBuildFailed;
  // Stepped by hand past the last solution: that solution comes back.
  if (!detail_PolyBuild::RecordOf(this).running && detail_PolyBuild::ReturnsToLastSolution(*this)) {
    detail_PolyBuild::ReturnToLastSolution(*this);
  }
  return false;
}

void Poly::RemoveVertex(bool full) {
  using namespace detail_PolyBuild;
  if (mMatchCounter < 2) return;
  Vertex* latest = nullptr;
  for (PolyElement* element = mVertices.mHead; element && !latest; element = element->mNext) {
    Vertex* vertex = AsVertex(element);
    if (vertex->mMatch && vertex->mMatchSerial == mMatchCounter - 1) latest = vertex;
  }
  if (!latest) {
    ShowInternalError("RemoveVertex: Couldn't find vertex");
    return;
  }
  // A finished model has its links saved; the steps work on the links as built.
  ClearEdges();
  if (!RecordOf(this).savedLinks.empty()) {
    ClearFaceTypes();
    RestoreLinks(*this);
  }
  RemoveMatchesFrom(*this, latest, full);
}

bool Poly::MatchStep(Vertex* vertex) {
  if (!vertex) {
    PolyBuildRecord& record = detail_PolyBuild::RecordOf(this);
    // Until the first solution, one that is not uniform is one more dead end while
    // choices remain: a configuration's first model is its uniform polyhedron. Stepping
    // on from a solution reaches the others as well.
    if (record.solutions == 0 && mNumBranches >= 1 && !detail_PolyBuild::VerticesAlike(*this)) return false;
    mBuildState = mNumBranches < 1 ? kBuildFinished : kBuildFinishedWithChoices;
    if (mTemplate) mNumEdges = mTemplate->mValence * mVertices.mCount / 2;
    ++record.solutions;
    detail_PolyBuild::SaveLinks(*this);
    detail_PolyBuild::WindConsistently(*this);
    // The faces' identities give the types of a uniform solution whose vertices all
    // play their parts alike; any other solution is typed by its symmetry.
    const bool alike = detail_PolyBuild::PartsAgree(*this) && detail_PolyBuild::VerticesAlike(*this);
    if (alike || !detail_PolyBuild::SetUpBySymmetry(*this)) SetFaceTypes(nullptr, true, false);
    return true;
  }
  if (!detail_PolyBuild::DoNextMatch(*this, vertex)) {
    detail_PolyBuild::ResetMatch(vertex);
    detail_PolyBuild::CountBranches(*this);
    mBuildState = kBuildFailed;
    ShowInternalError("DoNextMatch failed");
    return false;
  }
  if (!detail_PolyBuild::CreateFaces(*this, vertex) || !detail_PolyBuild::CheckRemaining(*this)) return false;
  if (detail_PolyBuild::RecordOf(this).alikeFirst && !detail_PolyBuild::PartsStayAlike(*this, vertex)) return false;
  mBuildState = kBuildRunning;
  return true;
}

}  // namespace corvia
