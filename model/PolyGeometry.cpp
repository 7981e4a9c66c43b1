// Whole-model measures, the drawn polygons (the model's parts hear of their changes),
// and the face diagrams of the morphs.

#include <cmath>
#include <memory>

#include "core/DrawnPolygon.h"
#include "core/Geometry.h"
#include "core/PolygonRing.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/FaceOutline.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_PolyGeometry {

// The faceting engines of both blocks start again: the drawn polygons changed.
void ResetFacetings(Poly& poly) {
  for (FaceTypeBlock* block : {poly.mBaseBlock.get(), poly.mDualBlock.get()}) {
    if (ModelPart* faceting = AsPart(block->mFaceting)) faceting->DrawnPolygonsReset();
  }
}

// Panes that show drawn polygons.
constexpr unsigned kDrawnPolygonViewKinds[] = {0xc05, 0x840c, 0x1340e, 0x9407, 0xa408, 0xa409};

double SquaredDistance(const double* a, const double* b) {
  double d[3];
  Subtract(d, a, b);
  return Dot(d, d);
}

// Squared distance of p from the line through a with direction u (not normalised).
double SquaredDistanceFromLine(const double* p, const double* a, const double* u) {
  double d[3];
  Subtract(d, p, a);
  double c[3];
  Cross(c, d, u);
  const double uu = Dot(u, u);
  return uu > 0.0 ? Dot(c, c) / uu : Dot(d, d);
}

bool SameCorner(const double* a, const double* b) { return NearlyEqual(a, b, kPointTolerance); }

}  // namespace detail_PolyGeometry

double GetMidradius(const Poly* poly) {
  // Every edge touches the midsphere: the edges' nearest points to the centre lie at
  // one distance.
  if (!poly || poly->mNumEdges <= 0) return 0.0;
  double radius = -1.0;
  for (int i = 0; i < poly->mNumEdges; ++i) {
    const Edge* edge = poly->GetEdge(i);
    if (!edge) return 0.0;
    double nearest[3];
    edge->GetNearestPointToCentre(nearest, false);
    const double distance = std::sqrt(Dot(nearest, nearest));
    if (radius < 0.0) {
      radius = distance;
    } else if (std::fabs(distance - radius) > kPointTolerance) {
      return 0.0;
    }
  }
  return radius;
}

double Poly::GetRadius() {
  if (!mBaseBlock->mFirstFaceType) return 1.0;
  if (mRadius < 0.0) {
    double largest = 0.0;
    for (const FaceType* type = mBaseBlock->mFirstFaceType; type; type = type->mNext) {
      const PolyElement* first = type->mFirstFace;
      if (!first || first->HasFlag(kElementHemi)) continue;
      const double squared = Dot(first->mDualVert, first->mDualVert);
      if (squared > largest) largest = squared;
    }
    mRadius = std::sqrt(largest);
  }
  return mHasCentralFace ? mRadius + GetRadiusMargin() : mRadius;
}

double Poly::GetWidthAlong(const double* direction, bool dual) const {
  double unit[3];
  const double length = std::sqrt(Dot(direction, direction));
  if (length <= 0.0) return 0.0;
  Divide(unit, direction, length);
  const ElementList& list = dual ? static_cast<const ElementList&>(mFaces) : mVertices;
  bool any = false;
  double least = 0.0;
  double largest = 0.0;
  for (const PolyElement* element = list.mHead; element; element = element->mNext) {
    if (element->HasFlag(kElementHemi)) continue;
    const double projection = Dot(element->mDualVert, unit);
    if (!any || projection < least) least = projection;
    if (!any || projection > largest) largest = projection;
    any = true;
  }
  return any ? largest - least : 0.0;
}

void Poly::GetVertexCentroid(double* out) const {
  // The mean of the vertices summed (not of all vertices); the origin for none.
  out[0] = out[1] = out[2] = 0.0;
  int summed = 0;
  for (const PolyElement* vertex = mVertices.mHead; vertex; vertex = vertex->mNext) {
    if (vertex->HasFlag(kElementSkip)) continue;
    Add(out, out, vertex->mDualVert);
    ++summed;
  }
  if (summed > 0) Divide(out, out, summed);
}

void Poly::GetEdgeCentroid(double* out) const {
  out[0] = out[1] = out[2] = 0.0;
  double weight = 0.0;
  for (const PolyElement* vertex = mVertices.mHead; vertex; vertex = vertex->mNext) {
    double scaled[3];
    Scale(scaled, vertex->mDualVert, vertex->mNumSides);
    Add(out, out, scaled);
    weight += vertex->mNumSides;
  }
  if (weight > 0.0) Divide(out, out, weight);
}

bool Poly::GetCircumcentre(double* out, double* radiusSquared) const {
  if (mVertices.mCount < 4) return false;
  const double origin[3] = {0.0, 0.0, 0.0};
  auto farthest = [&](auto&& measure) {
    const PolyElement* best = nullptr;
    double bestValue = -1.0;
    for (const PolyElement* vertex = mVertices.mHead; vertex; vertex = vertex->mNext) {
      const double value = measure(vertex->mDualVert);
      if (value > bestValue) {
        bestValue = value;
        best = vertex;
      }
    }
    return best->mDualVert;
  };
  const double* a = farthest([&](const double* p) { return detail_PolyGeometry::SquaredDistance(p, origin); });
  const double* b = farthest([&](const double* p) { return detail_PolyGeometry::SquaredDistance(p, a); });
  double ab[3];
  Subtract(ab, b, a);
  const double* c = farthest([&](const double* p) { return detail_PolyGeometry::SquaredDistanceFromLine(p, a, ab); });
  double ac[3];
  Subtract(ac, c, a);
  if (AreParallel(ab, ac, kPointTolerance)) return false;
  double normal[3];
  Cross(normal, ab, ac);
  const double normalLength = std::sqrt(Dot(normal, normal));
  const double* d = farthest([&](const double* p) {
    double ap[3];
    Subtract(ap, p, a);
    return std::fabs(Dot(ap, normal)) / normalLength;
  });
  // The sphere's centre comes back measured from A, so its length is the radius.
  double offset[3];
  if (!SphereThroughFourPoints(offset, a, b, c, d, kPointTolerance)) return false;
  double centre[3];
  Add(centre, a, offset);
  const double squared = Dot(offset, offset);
  for (const PolyElement* vertex = mVertices.mHead; vertex; vertex = vertex->mNext) {
    const double distance = detail_PolyGeometry::SquaredDistance(vertex->mDualVert, centre);
    if (std::fabs(distance - squared) > kPointTolerance) return false;
  }
  CopyVector(out, centre);
  if (radiusSquared) *radiusSquared = squared;
  return true;
}

void Poly::AddFacetVertex(const double* point) {
  if (!mCurrentDrawnPolygon) mCurrentDrawnPolygon = new DrawnPolygon(mDrawnPolygons, mLastDrawnPolygon);
  DrawnPolygon* polygon = mCurrentDrawnPolygon;
  const PolygonVertex* last = polygon->ring ? polygon->ring->prev : nullptr;
  if (last && (detail_PolyGeometry::SameCorner(point, last->point) ||
               (last->prev != last && detail_PolyGeometry::SameCorner(point, last->prev->point)))) {
    // Clicking the last vertex again takes it back.
    polygon->RemoveLastVertex();
  } else if (!polygon->IsCoplanar(point)) {
    const char* text = "Vertex not coplanar with existing polygon";
    platform::Services().views->SetPaneMessage(text);
    platform::Services().views->SetStatusText(text);
    return;
  } else {
    NewPolygonVertex(0.0, 0.0, nullptr, point, polygon->ring);
  }
  polygon->Triangulate();
  mFacetPreviewDirty = true;
  if (ModelPart* faceting = AsPart(GetShownBlock()->mFaceting)) faceting->SelectionCleared();
  platform::Services().views->RedrawAllViews(false);
}

void Poly::FinishDrawnPolygon(bool resetFacetings, bool withUndo) {
  if (!mCurrentDrawnPolygon) mCurrentDrawnPolygon = new DrawnPolygon(mDrawnPolygons, mLastDrawnPolygon);
  DrawnPolygon* polygon = mCurrentDrawnPolygon;
  // Repeated corners go, the closing one (last equal to first) too.
  while (polygon->ring && polygon->ring->next != polygon->ring) {
    PolygonVertex* repeated = nullptr;
    PolygonVertex* v = polygon->ring;
    do {
      if (detail_PolyGeometry::SameCorner(v->point, v->prev->point)) repeated = v;
      v = v->next;
    } while (!repeated && v != polygon->ring);
    if (!repeated) break;
    if (repeated == polygon->ring) polygon->ring = repeated->next;
    repeated->prev->next = repeated->next;
    repeated->next->prev = repeated->prev;
    FreePolygonVertex(repeated);
  }
  if (!polygon->ring || polygon->ring->next == polygon->ring) {
    polygon->Clear();
    return;
  }
  if (withUndo) platform::Services().undo->AddUndo(kUndoDrawnPolygons, 0);
  if (resetFacetings) detail_PolyGeometry::ResetFacetings(*this);
  for (FaceTypeBlock* block : {mBaseBlock.get(), mDualBlock.get()}) {
    if (ModelPart* model = AsPart(block->mModel3D)) model->DrawnPolygonFinished(polygon);
  }
  mCurrentDrawnPolygon = new DrawnPolygon(mDrawnPolygons, mLastDrawnPolygon);
  mNetsStale = 1;
  mFacetPreviewDirty = true;
  platform::Services().views->RedrawAllViews(false);
}

void Poly::ClearDrawnPolygons(bool resetFacetings) {
  if (resetFacetings) detail_PolyGeometry::ResetFacetings(*this);
  DeleteDrawnPolygonChain(mDrawnPolygons);
  mDrawnPolygons = mLastDrawnPolygon = nullptr;
  mCurrentDrawnPolygon = new DrawnPolygon(mDrawnPolygons, mLastDrawnPolygon);
  mNetsStale = 1;
  mFacetPreviewDirty = true;
  mSelectedFacetPreview = -1;
  for (FaceTypeBlock* block : {mBaseBlock.get(), mDualBlock.get()}) {
    if (ModelPart* model = AsPart(block->mModel3D)) model->DrawnPolygonsCleared();
  }
}

bool Poly::RemoveDrawnPolygon(DrawnPolygon* polygon, int index) {
  DrawnPolygon* previous = nullptr;
  DrawnPolygon* found = mDrawnPolygons;
  int position = 0;
  while (found && (polygon ? found != polygon : position != index)) {
    previous = found;
    found = found->next;
    ++position;
  }
  if (!found) return false;
  platform::Services().undo->AddUndo(kUndoDrawnPolygons, 0);
  detail_PolyGeometry::ResetFacetings(*this);
  // The facet models hold a facelet type for each polygon that has a ring, in chain
  // order.
  int typeIndex = -1;
  if (found->ring && found->pieces) {
    typeIndex = 0;
    for (DrawnPolygon* p = mDrawnPolygons; p && p != found; p = p->next) typeIndex += p->ring && p->pieces ? 1 : 0;
  }
  if (ModelPart* preview = AsPart(mFacetPreview)) preview->DrawnPolygonRemoved(*this, found, typeIndex);
  mFacetPreviewDirty = true;
  for (FaceTypeBlock* block : {mBaseBlock.get(), mDualBlock.get()}) {
    if (ModelPart* model = AsPart(block->mModel3D)) model->DrawnPolygonRemoved(*this, found, typeIndex);
  }
  if (previous) {
    previous->next = found->next;
  } else {
    mDrawnPolygons = found->next;
  }
  if (mLastDrawnPolygon == found) mLastDrawnPolygon = previous;
  if (mCurrentDrawnPolygon == found) mCurrentDrawnPolygon = nullptr;
  found->next = nullptr;
  delete found;
  if (!mCurrentDrawnPolygon) mCurrentDrawnPolygon = new DrawnPolygon(mDrawnPolygons, mLastDrawnPolygon);
  mNetsStale = 1;
  for (unsigned kind : detail_PolyGeometry::kDrawnPolygonViewKinds) {
    platform::Services().views->InvalidateViewsOfKind(kind, 0);
  }
  return true;
}

void Poly::CreateAllPolygonsForDrawing() {
  mBaseBlock->CreateFaceDiagrams();
  mDualBlock->CreateFaceDiagrams();
}

void Poly::UpdateDiagramLineRanges() {
  // Every morph diagram is made again: the old cells, and every element's copies of
  // them, go before their pools are rewound.
  for (ElementList* list : {static_cast<ElementList*>(&mFaces), static_cast<ElementList*>(&mVertices)}) {
    for (PolyElement* element = list->mHead; element; element = element->mNext) element->DropCellColours(1);
  }
  for (FaceTypeBlock* block : {mBaseBlock.get(), mDualBlock.get()}) {
    for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      type->mResults[1].Reset();
      type->mMorphCells = nullptr;
    }
  }
  mMorphDiagramResultPools->Rewind();
  // The base model's faces at its own scale cut by the dual's planes, and the dual's
  // faces the other way round.
  const MorphScales scales = TruncationMorphScales();
  for (FaceType* type = mBaseBlock->mFirstFaceType; type; type = type->mNext) {
    if (type->mFirstFace) BuildTypeMorphDiagram(type->mFirstFace, scales.base, scales.dual);
  }
  for (FaceType* type = mDualBlock->mFirstFaceType; type; type = type->mNext) {
    if (type->mFirstFace) BuildTypeMorphDiagram(type->mFirstFace, scales.dual, scales.base);
  }
  UpdateCellColours();
}

}  // namespace corvia
