// Face outlines drawn into face diagrams, morph outlines and edge-line walks.

#include "model/FaceOutline.h"

#include <cmath>
#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/Geometry.h"
#include "core/PolygonRing.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/BlockPool.h"
#include "model/ColorSchemes.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/FaceDiagramCells.h"
#include "model/FaceType.h"
#include "model/Poly.h"
#include "model/PolyElement.h"

namespace corvia {

namespace detail_FaceOutline {

constexpr int kMaxPolygonPoints = 5;  // a corner at infinity stands for five points

// Members of the element's coplanar ring, starting with the element.
template <typename Visit>
void ForEachCoplanar(PolyElement* element, Visit visit) {
  PolyElement* member = element;
  const int limit = 1 << 20;
  int count = 0;
  do {
    visit(member);
    member = member->mCoplanarNext;
  } while (member && member != element && ++count < limit);
}

void ToFrame(const Transform3D& t, const double* p, double* out) {
  double q[3];
  TransformPoint(t, q, p);
  out[0] = q[0];
  out[1] = q[1];
}

bool SamePlaneDirection(const double* a, const double* b) {
  return NearlyEqual(a, b, kPointTolerance) || NearlyOpposite(a, b, kPointTolerance);
}

}  // namespace detail_FaceOutline

bool BuildFaceOutlineDiagram(PolyElement* element, FaceDiagram* diagram, FaceDiagramResult* result,
                             DiagramCell** cells, FaceDiagramWorkPools* workPools,
                             FaceDiagramResultPools* resultPools, bool evenOdd, bool ringCellCopies) {
  using namespace detail_FaceOutline;
  if (!element || (element->mFlags & kElementInf)) return false;
  Transform3D t;
  element->GetWorldToFace(t, false);
  FaceDiagramBuilder builder;
  BeginFaceDiagram(result, diagram, kDiagramSourceFaces, workPools, resultPools, &builder);
  double points[2 * kMaxPolygonPoints];
  ForEachCoplanar(element, [&](PolyElement* member) {
    DiagramClosePath(reinterpret_cast<DiagramSource>(member), (member->mFlags & kElementReversed) != 0, &builder);
    for (int i = 0; i < member->mNumSides; ++i) {
      const int n = member->GetPolygon2D(i, t, points);
      for (int k = 0; k < n && k < kMaxPolygonPoints; ++k) DiagramLineTo(&points[2 * k], &builder);
    }
  });
  EndFaceDiagram(result, &builder, cells, kOutlineDiagramFlags | (evenOdd ? kOutlineDiagramEvenOdd : 0),
                 ringCellCopies ? element : nullptr);
  return true;
}

PolygonVertex* CreateMorphPolygon(const PolyElement* element, double s, double t) {
  using namespace detail_FaceOutline;
  if (!element || (element->mFlags & kElementInf) || !element->mNeighbours) return nullptr;
  const double* normal = element->mZAxis;
  const double planeHeight = s * Dot(normal, element->mCentre);
  double dualPoint[3] = {t * element->mDualVert[0], t * element->mDualVert[1], t * element->mDualVert[2]};
  if (Dot(normal, dualPoint) <= planeHeight) return nullptr;
  Transform3D frame;
  element->GetWorldToFace(frame, false);
  PolygonVertex* ring = nullptr;
  const int n = element->mNumSides;
  auto add = [&](const double* p) {
    double q[2];
    ToFrame(frame, p, q);
    NewPolygonVertex(q[0], q[1], nullptr, p, ring);
  };
  for (int i = 0; i < n; ++i) {
    const PolyElement* A = element->mNeighbours[i];
    const PolyElement* B = element->mNeighbours[(i + 1) % n];
    if (!A || !B) continue;
    double a[3], b[3], ab[3];
    for (int k = 0; k < 3; ++k) {
      a[k] = s * A->mDualVert[k];
      b[k] = s * B->mDualVert[k];
      ab[k] = b[k] - a[k];
    }
    const double dA = t * Dot(A->mZAxis, A->mCentre), dB = t * Dot(B->mZAxis, B->mCentre);
    const double ha = Dot(A->mZAxis, a) - dA, hb = Dot(A->mZAxis, b) - dA;
    const double ka = Dot(B->mZAxis, a) - dB, kb = Dot(B->mZAxis, b) - dB;
    bool fallback = false;
    double u = 0.0, v = 1.0;
    if (ha > 0.0) {
      if (std::fabs(ha - hb) <= kPointTolerance)
        fallback = true;
      else
        u = ha / (ha - hb);
    }
    if (!fallback && kb > 0.0) {
      if (std::fabs(ka - kb) <= kPointTolerance)
        fallback = true;
      else
        v = ka / (ka - kb);
    }
    if (!fallback) {
      double diff[3];
      for (int k = 0; k < 3; ++k) diff[k] = B->mDualVert[k] - A->mDualVert[k];
      bool sense = Dot(diff, A->mZAxis) > 0.0;
      if (Dot(diff, B->mZAxis) < 0.0) sense = !sense;
      if ((u < v) == sense && u != 0.0 && v != 1.0) fallback = true;
    }
    if (fallback) {
      // The two planes cut each other before the edge: their common line meets the
      // element's plane at the corner of the cut outline.
      double point[3], direction[3], corner[3];
      if (IntersectPlanes(point, direction, A->mZAxis, -dA, B->mZAxis, -dB, kPointTolerance) &&
          IntersectLinePlane(corner, normal, -planeHeight, point, direction, kPointTolerance))
        add(corner);
      continue;
    }
    double p[3];
    for (int k = 0; k < 3; ++k) p[k] = a[k] + u * ab[k];
    add(p);
    if (v != 1.0) {
      for (int k = 0; k < 3; ++k) p[k] = a[k] + v * ab[k];
      add(p);
    }
  }
  return RemoveDuplicatePolygonVertices(ring);
}

bool BuildMorphOutlineDiagram(PolyElement* element, double s, double t, FaceDiagram* diagram,
                              FaceDiagramResult* result, DiagramCell** cells, FaceDiagramWorkPools* workPools,
                              FaceDiagramResultPools* resultPools, bool evenOdd) {
  using namespace detail_FaceOutline;
  if (!element || (element->mFlags & kElementInf)) return false;
  const double planeHeight = s * Dot(element->mZAxis, element->mCentre);
  const double dualPoint[3] = {t * element->mDualVert[0], t * element->mDualVert[1], t * element->mDualVert[2]};
  if (Dot(element->mZAxis, dualPoint) <= planeHeight) return false;
  FaceDiagramBuilder builder;
  BeginFaceDiagram(result, diagram, kDiagramSourceFaces, workPools, resultPools, &builder);
  ForEachCoplanar(element, [&](PolyElement* member) {
    PolygonVertex* ring = CreateMorphPolygon(member, s, t);
    if (!ring) return;
    DiagramClosePath(reinterpret_cast<DiagramSource>(member), (member->mFlags & kElementReversed) != 0, &builder);
    // Each member's polygon is in its own frame; coplanar members share the plane, so
    // their points are taken to the element's frame through 3D.
    Transform3D frame;
    element->GetWorldToFace(frame, false);
    PolygonVertex* p = ring;
    const int n = CountPolygonRing(ring);
    for (int i = 0; i < n; ++i, p = p->next) {
      double q[2];
      ToFrame(frame, p->point, q);
      DiagramLineTo(q, &builder);
    }
    FreePolygonRing(ring);
  });
  // The ring's copies of these cells are its second ones: the first are those of the
  // face diagram.
  EndFaceDiagram(result, &builder, cells,
                 kOutlineDiagramFlags | kDiagramFinishSecondColour | (evenOdd ? kOutlineDiagramEvenOdd : 0), element);
  return true;
}

MorphScales& TruncationMorphScales() {
  static MorphScales scales;
  return scales;
}

MorphScales& AugmentationMorphScales() {
  static MorphScales scales;
  return scales;
}

bool BuildTypeMorphDiagram(PolyElement* element, double s, double t) {
  using namespace detail_FaceOutline;
  FaceType* type = element ? element->mType : nullptr;
  Poly* poly = element ? element->mPoly : nullptr;
  if (!type || !poly || type->mCoplanarMaster || (element->mFlags & kElementInf)) return false;
  // The old diagram goes first, with the copies of its cells, so that none is left from
  // other scales when nothing is drawn now.
  type->mResults[1].Reset();
  type->mMorphCells = nullptr;
  for (PolyElement* face = type->mFirstFace; face; face = face->mNextOfType) {
    ForEachCoplanar(face, [](PolyElement* member) { member->DropCellColours(1); });
  }
  FaceDiagram diagram(poly->mDiagramWorkPools.get(), poly->mMorphDiagramResultPools.get());
  if (!BuildMorphOutlineDiagram(element, s, t, &diagram, &type->mResults[1], &type->mMorphCells,
                                poly->mDiagramWorkPools.get(), poly->mMorphDiagramResultPools.get(),
                                (poly->mPolyFlags & kPolyFlagOneSidedFace) != 0)) {
    return false;
  }
  // The ring's second cell colours are to be worked out.
  poly->mPolyFlags |= kPolyFlagCellColoursBack;
  return true;
}

bool FollowEdgeLine(double* out, PolyElement* previous, PolyElement* face0, PolyElement* face1, PolyElement* vertex,
                    PolyElement* next) {
  using namespace detail_FaceOutline;
  if (!out || !face0 || !face1 || !vertex) return false;
  for (int k = 0; k < 3; ++k) out[k] = vertex->mDualVert[k];
  const double* planeA = face0->mZAxis;
  const double* planeB = face1->mZAxis;
  bool result = false;
  // A degenerate model can lead the walk back to where it was: every vertex is passed
  // at most once.
  std::unordered_set<const PolyElement*> passed;
  while (true) {
    if (!next || !vertex->mNeighbours || !passed.insert(vertex).second) return result;
    if (!SamePlaneDirection(next->mZAxis, planeA) && !SamePlaneDirection(next->mZAxis, planeB)) return result;
    const int n = vertex->mNumSides;
    int at = -1;
    for (int i = 0; i < n && at < 0; ++i)
      if (vertex->mNeighbours[i] == face0) at = i;
    if (at < 0) return result;
    int dir;
    if (vertex->mNeighbours[(at + 1) % n] == next)
      dir = 1;
    else if (vertex->mNeighbours[(at + n - 1) % n] == next)
      dir = -1;
    else
      return result;
    PolyElement* last = face0;
    PolyElement* beyond = nullptr;
    for (int step = 1; step < n; ++step) {
      PolyElement* f = vertex->mNeighbours[((at + dir * step) % n + n) % n];
      if (f == face0) break;
      if (!SamePlaneDirection(f->mZAxis, planeA)) {
        beyond = f;
        break;
      }
      last = f;
    }
    if (!beyond || !SamePlaneDirection(beyond->mZAxis, planeB) || !last->mNeighbours) return result;
    const int m = last->mNumSides;
    const int v = last->FindVertexIndex(vertex, -1);
    if (v < 0) return result;
    PolyElement* w = last->mNeighbours[(v + 1) % m];
    const int inG = beyond->FindVertexIndex(vertex, -1);
    bool adjacentInG = false;
    if (inG >= 0 && beyond->mNeighbours) {
      const int g = beyond->mNumSides;
      adjacentInG = beyond->mNeighbours[(inG + 1) % g] == w || beyond->mNeighbours[(inG + g - 1) % g] == w;
    }
    if (w == previous || !adjacentInG) w = last->mNeighbours[(v + m - 1) % m];
    if (!w) return result;
    for (int k = 0; k < 3; ++k) out[k] = w->mDualVert[k];
    result = true;
    // On from w: the face after last round w, or the one before it when that is G.
    PolyElement* following = nullptr;
    if (w->mNeighbours) {
      const int wn = w->mNumSides;
      for (int i = 0; i < wn; ++i)
        if (w->mNeighbours[i] == last) {
          following = w->mNeighbours[(i + 1) % wn];
          if (following == beyond) following = w->mNeighbours[(i + wn - 1) % wn];
          break;
        }
    }
    previous = vertex;
    face0 = last;
    face1 = beyond;
    vertex = w;
    next = following;
  }
}

// ---- The face's own outlines ----------------------------------------------------------

void Face::BuildFaceDiagram() {
  FaceType* type = mType;
  if (!type || type->mMirrorPartner || HasFlag(kElementInf)) return;
  // Face diagrams now exist: their cell colours are to be worked out.
  if (mPoly) mPoly->mPolyFlags |= kPolyFlagCellColoursFront;
  const bool evenOdd = mPoly && (mPoly->mPolyFlags & kPolyFlagOneSidedFace);
  type->mResults[0].Reset();
  type->mDiagramCells = nullptr;
  // The results live in the model's own pools, as long as its face types.
  corvia::BuildFaceOutlineDiagram(this, &type->mFaceDiagram, &type->mResults[0], &type->mDiagramCells,
                                  mPoly ? mPoly->mDiagramWorkPools.get() : &GetFaceDiagramWorkPools(),
                                  mPoly ? mPoly->mDiagramResultPools.get() : &GetFaceDiagramResultPools(), evenOdd);
}

PolygonVertex* Face::CreateMorphPolygon(double s, double t) const { return corvia::CreateMorphPolygon(this, s, t); }

void Face::BuildMorphDiagram(double s, double t) { corvia::BuildTypeMorphDiagram(this, s, t); }

bool Face::FollowEdgeLine(double* out, PolyElement* previous, PolyElement* face1, PolyElement* vertex,
                          PolyElement* next) {
  return corvia::FollowEdgeLine(out, previous, this, face1, vertex, next);
}

// ---- FaceOutline ----------------------------------------------------------------------

namespace detail_FaceOutline {

// n[k] of the plane; k the dominant axis.
double DominantComponent(const FaceOutlineBuilder* builder) {
  return builder->normal[builder->axes[0]];
}

// Ints from the pool holding `count` doubles.
double* AllocDoubles(IntBlockPool* pool, int count) {
  int* block = AllocIndexBlock(pool, 2 * count + 2);
  auto address = reinterpret_cast<uintptr_t>(block);
  address = (address + alignof(double) - 1) & ~static_cast<uintptr_t>(alignof(double) - 1);
  return reinterpret_cast<double*>(address);
}

}  // namespace detail_FaceOutline

void FaceOutline::Clear() {
  if (!pool) {
    delete[] points;
    delete[] indices;
  }
  points = nullptr;
  indices = nullptr;
  indexCount = 0;
}

void FaceOutline::Begin(FaceOutline* outline, const double* plane, FaceDiagram* diagram, FaceOutlineBuilder* builder) {
  // Dominant axis of the normal, ties to the later axis.
  int k = 0;
  for (int i = 1; i < 3; ++i)
    if (std::fabs(plane[i]) >= std::fabs(plane[k])) k = i;
  builder->axes[0] = k;
  builder->axes[1] = (k + 1) % 3;
  builder->axes[2] = (k + 2) % 3;
  CopyVector(builder->normal, plane);
  builder->d = 0.0;
  builder->first[0] = builder->first[1] = 9.99999e99;
  builder->loop = 0;
  builder->diagram = diagram;
  outline->Clear();
}

void FaceOutline::AddPoint(const double* point, FaceOutlineBuilder* builder) {
  const double p[2] = {point[builder->axes[1]], point[builder->axes[2]]};
  if (builder->first[0] >= 9.99999e99) {
    builder->first[0] = p[0];
    builder->first[1] = p[1];
    builder->d = Dot(builder->normal, point);
  } else if (builder->diagram) {
    builder->diagram->AddEdge(static_cast<DiagramSource>(builder->loop), builder->previous, p);
  }
  builder->previous[0] = p[0];
  builder->previous[1] = p[1];
}

void FaceOutline::CloseLoop(int loopNumber, FaceOutlineBuilder* builder) {
  if (builder->first[0] < 9.99999e99) {
    if (builder->diagram)
      builder->diagram->AddEdge(static_cast<DiagramSource>(builder->loop), builder->previous, builder->first);
    builder->first[0] = builder->first[1] = 9.99999e99;
  }
  builder->loop = loopNumber;
}

void FaceOutline::Finish(FaceOutline* outline, FaceOutlineBuilder* builder) {
  using namespace detail_FaceOutline;
  CloseLoop(builder->loop, builder);
  FaceDiagram* diagram = builder->diagram;
  outline->Clear();
  if (!diagram) return;
  // The regions and their triangles; the outline needs no colours.
  diagram->CreateLoops();
  CreateLoopTypes(diagram, nullptr, false);

  // A region is filled when the loops wind round it a non-zero number of times.
  std::vector<bool> filled(diagram->mNumCells > 0 ? diagram->mNumCells : 0, false);
  int count = 0;
  for (int c = 0; c < diagram->mNumCells && diagram->mTriangles; ++c) {
    int winding = 0;
    const DiagramCell& cell = diagram->mCells[c];
    for (int i = 0; i < cell.numPairs; ++i) winding += cell.pairs[i].winding;
    filled[c] = winding != 0;
    if (filled[c]) count += diagram->mTriangles[c].numIndices;
  }

  const int numPoints = diagram->mNumVertices;
  if (outline->pool) {
    outline->points = AllocDoubles(&outline->pool->pool, 3 * (numPoints > 0 ? numPoints : 1));
    outline->indices = AllocIndexBlock(&outline->pool->pool, count > 0 ? count : 1);
  } else {
    outline->points = new double[3 * (numPoints > 0 ? numPoints : 1)];
    outline->indices = new int[count > 0 ? count : 1];
  }
  const int k = builder->axes[0], k1 = builder->axes[1], k2 = builder->axes[2];
  const double* n = builder->normal;
  for (const DiagramVertex* v = diagram->mFirstVertex; v; v = v->next) {
    if (v->index < 0 || v->index >= numPoints) continue;
    double* p = outline->points + 3 * v->index;
    p[k1] = v->x;
    p[k2] = v->y;
    p[k] = (builder->d - n[k1] * v->x - n[k2] * v->y) / n[k];
  }
  int at = 0;
  for (int c = 0; c < diagram->mNumCells; ++c) {
    if (!filled[c]) continue;
    const CellTriangles& triangles = diagram->mTriangles[c];
    for (int i = 0; i < triangles.numIndices; ++i) outline->indices[at++] = triangles.indices[i];
  }
  outline->indexCount = count;
  diagram->Reset();
  builder->diagram = nullptr;
  // Triangles face along the normal.
  if (DominantComponent(builder) < 0.0)
    for (int i = 0; i + 2 < count; i += 3) std::swap(outline->indices[i], outline->indices[i + 1]);
}

}  // namespace corvia
