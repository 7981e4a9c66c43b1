// The faces of the dual-morph panes, element by element.

#include "render/MorphDrawing.h"

#include <memory>
#include <utility>
#include <vector>

#include "construction/DualMorph.h"
#include "core/PolygonRing.h"
#include "core/Tolerances.h"
#include "model/BlockPool.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceDiagram.h"
#include "model/FaceOutline.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/DepthSortedTriangles.h"
#include "render/FaceDiagramDrawing.h"
#include "render/GLContextState.h"
#include "render/ModelDrawing.h"
#include "render/Primitives.h"

namespace corvia {

namespace detail_MorphDrawing {

// The pools of the truncation outlines: rebuilt for every face drawn, and kept by the
// context drawn in so that their blocks serve the next face.
struct OutlinePools : GLContextPart {
  FaceDiagramWorkPools work;
  FaceDiagramResultPools results;
  FaceDiagram diagram{&work, &results};
};

// Those of the current context; null outside any section.
OutlinePools* GetOutlinePools() {
  return FindCurrentGLContextPart<OutlinePools>(&GLContextState::morphOutlines);
}

// The pieces an element makes, drawn as triangles: a quadrilateral split where its
// opposite sides cross, a larger polygon as a fan.
class PieceDrawer {
 public:
  PieceDrawer(double scale, const CellDrawOptions& cells, const float* colour, float alpha, bool plain)
      : mScale(scale), mCells(cells), mColour(colour), mAlpha(alpha), mPlain(plain) {}

  void operator()(const MorphPiece& piece) const {
    const int n = piece.Count();
    if (n < 3) return;
    const double* c = piece.corners.data();
    float rgba[4];
    if (mCells.fixedColour) {
      CopyFloat3(rgba, mCells.fixedColour);
      rgba[3] = mCells.fixedAlpha >= 0.0f ? mCells.fixedAlpha : piece.alpha;
    } else if (mPlain) {
      CopyFloat3(rgba, mColour);
      rgba[3] = mAlpha;
    } else {
      CopyFloat3(rgba, piece.rgb);
      rgba[3] = piece.alpha;
    }
    double normal[3];
    TriangleNormal(normal, c, c + 3, c + 6);
    if (!NormaliseVector(normal, normal)) return;
    if (Dot(normal, piece.outward) < 0.0) Negate(normal);
    if (n == 4) {
      double triangles[18];
      SplitQuad(triangles, c, c + 3, c + 6, c + 9, kPointTolerance);
      Triangle(triangles, triangles + 3, triangles + 6, normal, rgba);
      Triangle(triangles + 9, triangles + 12, triangles + 15, normal, rgba);
      return;
    }
    for (int k = 1; k + 1 < n; ++k) Triangle(c, c + 3 * k, c + 3 * (k + 1), normal, rgba);
  }

 private:
  // Lighting is two-sided and GL lights the side the corners wind round, so a triangle
  // that winds against the piece's outward normal is drawn the other way round, or it
  // shows its unlit back (a piece listed inwards, the crossed half of a split quad).
  void Triangle(const double* a, const double* b, const double* c, const double* normal, const float* rgba) const {
    double winding[3];
    TriangleNormal(winding, a, b, c);
    if (Dot(winding, normal) < 0.0) std::swap(b, c);
    AddDepthSortedTriangle(a, b, c, normal, rgba, mCells.triangleFlags, mScale, nullptr, nullptr, nullptr);
  }

  double mScale;
  const CellDrawOptions& mCells;
  const float* mColour;
  float mAlpha;
  bool mPlain;
};

// Mode 1: the face and the other members of its coplanar ring cut by the planes of
// their corners' dual elements, moved out by the truncation scale, as the cells of
// one diagram in the frame of the ring's first unskipped member.
void DrawTruncated(PolyElement* x, double scale, const double* offset, CellDrawOptions& cells) {
  const MorphScales scales = TruncationMorphScales();
  const bool vertexElement = x->IsVertex();
  const double own = vertexElement ? scales.dual : scales.base;
  const double other = vertexElement ? scales.base : scales.dual;
  const PolyElement* reference = PolyElement::GetFirstUnskipped(x);
  Transform3D frame, worldToReference;
  reference->GetFaceToWorld(frame, false);
  reference->GetWorldToFace(worldToReference, false);

  // Outside any context (a printed page) the outline is built in pools of its own.
  std::unique_ptr<OutlinePools> alone;
  OutlinePools* kept = GetOutlinePools();
  if (!kept) alone = std::make_unique<OutlinePools>();
  OutlinePools& pools = kept ? *kept : *alone;
  pools.results.Rewind();
  FaceDiagramResult result;
  FaceDiagramBuilder builder;
  BeginFaceDiagram(&result, &pools.diagram, kDiagramSourceFaces, &pools.work, &pools.results, &builder);
  int steps = x->mList ? x->mList->mCount : 1;
  const PolyElement* member = reference;
  bool any = false;
  do {
    if (PolygonVertex* ring = CreateMorphPolygon(member, own, other)) {
      Transform3D toWorld;
      member->GetFaceToWorld(toWorld, false);
      DiagramClosePath(reinterpret_cast<DiagramSource>(member), member->HasFlag(kElementReversed), &builder);
      const PolygonVertex* v = ring;
      do {
        const double local[3] = {v->x, v->y, 0.0};
        double world[3], there[3];
        TransformPoint(toWorld, world, local);
        TransformPoint(worldToReference, there, world);
        DiagramLineTo(there, &builder);
        v = v->next;
      } while (v && v != ring);
      FreePolygonRing(ring);
      any = true;
    }
    member = member->mCoplanarNext;
  } while (member && member != reference && steps-- > 0);
  const bool evenOdd = x->mPoly && (x->mPoly->mPolyFlags & kPolyFlagOneSidedFace);
  DiagramCell* diagramCells = nullptr;
  EndFaceDiagram(&result, &builder, &diagramCells, kOutlineDiagramFlags | (evenOdd ? kOutlineDiagramEvenOdd : 0),
                 nullptr);
  if (!any || !diagramCells) return;
  double shift[3];
  Scale(shift, reference->mCentre, own - 1.0);
  AddTo(frame.Translation(), shift);
  cells.frame = &frame;
  cells.offset = offset;
  cells.scale = scale;
  DrawFaceDiagramCellsSorted(diagramCells, &result, cells);
  cells.frame = nullptr;
}

// Mode 3: the face's cells shrunk towards its dual point and moved out along its
// normal by the ratio.
void DrawExpanded(PolyElement* x, double scale, const double* offset, CellDrawOptions& cells, const float* colour,
                  float alpha) {
  const double p = DualMorphRatio();
  const double e = x->IsVertex() ? 1.0 - p : p;
  Transform3D frame;
  x->GetFaceToWorld(frame, false);
  double normal[3], towards[3];
  CopyVector(normal, x->mZAxis);
  Subtract(towards, x->mDualVert, x->mCentre);
  const double lift = e * Dot(normal, towards);
  for (int k = 0; k < 3; ++k) {
    frame.m[k] *= 1.0 - e;
    frame.m[3 + k] *= 1.0 - e;
    frame.m[9 + k] += lift * normal[k];
  }
  DrawFaceThroughFrame(x, frame, scale, offset, cells, colour, alpha);
}

// Mode 2: the face flat at its scale while its apex lies below its plane, else the
// pyramid of triangles up to its apex.
void DrawAugmented(PolyElement* x, double scale, const double* offset, CellDrawOptions& cells, const float* colour,
                   float alpha, bool plain) {
  const MorphScales scales = AugmentationMorphScales();
  const bool vertexElement = x->IsVertex();
  const double b = vertexElement ? scales.dual : scales.base;
  const double a = vertexElement ? scales.base : scales.dual;
  double normal[3];
  x->GetNormal(normal);
  if (!x->HasFlag(kElementHemi) && b * Dot(x->mCentre, normal) > a * Dot(x->mDualVert, normal)) {
    Transform3D frame;
    x->GetFaceToWorld(frame, false);
    for (double& v : frame.m) v *= b;
    double moved[3];
    Scale(moved, offset, b);
    DrawFaceThroughFrame(x, frame, scale, moved, cells, colour, alpha);
    return;
  }
  if (!x->mPoly) return;
  MakeAugmentationMorphPieces(*x->mPoly, x, vertexElement, DualMorphRatio(),
                              PieceDrawer(scale, cells, colour, alpha, plain));
}

}  // namespace detail_MorphDrawing

void DrawMorphElement(PolyElement* x, int drawMode, double scale, double morph, const double* offset,
                      CellDrawOptions& cells, const float* colour, float alpha, bool plainColour) {
  using namespace detail_MorphDrawing;
  (void)morph;
  if (!x || !x->mNeighbours || x->mNumSides <= 0) return;
  const Poly* poly = x->mPoly;
  const double t = DualMorphRatio();
  const bool vertexElement = x->IsVertex();
  const PieceDrawer pieces(scale, cells, colour, alpha, plainColour);
  switch (drawMode) {
    case kDrawModeTruncation:
      DrawTruncated(x, scale, offset, cells);
      break;
    case kDrawModeAugmentation:
      DrawAugmented(x, scale, offset, cells, colour, alpha, plainColour);
      break;
    case kDrawModeExpansion:
      DrawExpanded(x, scale, offset, cells, colour, alpha);
      break;
    // The quadrilaterals and triangles of the two tilting morphs are the faces'; the
    // vertex elements' pieces at a face are the same ones.
    case kDrawModeTiltingQuads:
      if (!vertexElement && poly) MakeTiltingQuadsMorphPieces(*poly, x, t, pieces);
      break;
    case kDrawModeTiltingTriangles:
      if (!vertexElement && poly) MakeTiltingTrianglesMorphPieces(*poly, x, t, pieces);
      break;
    case kDrawModeTiltingToRectification:
    case kDrawModeTiltingToCompound:
      if (poly) MakeTiltingMorphPieces(*poly, x, vertexElement, t, drawMode == kDrawModeTiltingToCompound, pieces);
      break;
    default:
      break;
  }
}

}  // namespace corvia
