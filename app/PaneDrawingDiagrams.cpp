// The flat panes of one element or diagram (the face, the face of the stellation, the
// stellation diagram, the cell diagram, the vertex figure, the faceting diagram, the
// cross-section) and the two net panes: their 2D extents, their drawing and their
// status texts.

#include <algorithm>
#include <cfloat>
#include <cstddef>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/PaneDrawing.h"

#include "app/CellDiagramMesh.h"
#include "app/PanePrinting.h"
#include "app/PaneViewType.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/VertexFigurePane.h"
#include "core/DrawnPolygon.h"
#include "core/Globals.h"
#include "core/RainbowColor.h"
#include "core/Units.h"
#include "core/PolygonRing.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/CrossSection.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/ColorSchemes.h"
#include "model/ElementLabels.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Measurement.h"
#include "model/ModelBusy.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PointPicker.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetSettings.h"
#include "render/CrossSectionDrawing.h"
#include "render/DisplaySettings.h"
#include "render/DrawnPolygonDrawing.h"
#include "render/ElementDrawing.h"
#include "render/FacetModelDrawing.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSelection.h"
#include "render/Matrix4.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "render/NetDrawing.h"
#include "render/OutcomeBoxes.h"
#include "render/PreviewDrawing.h"
#include "render/Primitives.h"
#include "render/SelectionItems.h"
#include "render/StateHash.h"
#include "render/StellationDrawing.h"
#include "stellation/DeferredModelWork.h"
#include "stellation/FacetPreview.h"
#include "stellation/Faceting.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"
#include "stellation/StellationState.h"

namespace corvia {

namespace detail_PaneDrawingDiagrams {

const double kIdentityFrame[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The room a flat pane's square leaves round its element or diagram.
constexpr double kDiagramRoom = 1.05;

// The cell diagram's grid: one box of this many units per cell.
constexpr double kCellBox = 50.0;
constexpr double kCellMargin = 5.0;
// Cell numbers are written once a text of this height in pixels fits a box.
constexpr double kCellLabelPixels = 8.5;

// The measured planes are drawn in this colour (scaled by 0.8).
constexpr float kMeasurePlaneColour[3] = {0.6f, 0.8f, 1.0f};
constexpr float kMeasurePlaneAlpha = 0.5f;

// Vertex figure marks.
constexpr double kArrowSize = 0.1;
constexpr int kReciprocationSegments = 180;

bool HasStellatedBlock(Poly* poly, FaceTypeBlock* block) {
  if (!poly || !block) return false;
  if (!block->IsStellated()) TellOutcome(Stellate(poly, block, false));
  return block->IsStellated();
}

// The longest line of a refusal shown in a pane's corner: a pane a third of the screen
// wide holds it.
constexpr size_t kCornerLineLength = 48;

// The refusal's words in lines that fit a pane, broken at spaces; its own line breaks
// stay.
std::string InCornerLines(const std::string& text) {
  std::string lines;
  size_t line = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(" \n", start);
    if (end == std::string::npos) end = text.size();
    const size_t word = end - start;
    if (line > 0 && line + 1 + word > kCornerLineLength) {
      lines += '\n';
      line = 0;
    } else if (line > 0) {
      lines += ' ';
      ++line;
    }
    lines.append(text, start, word);
    line += word;
    if (end < text.size() && text[end] == '\n') {
      lines += '\n';
      line = 0;
    }
    start = end + 1;
  }
  return lines;
}

}  // namespace detail_PaneDrawingDiagrams

std::vector<double> GetElementPolygon2D(const PolyElement* element) {
  std::vector<double> xy;
  if (!element || !element->mNeighbours) return xy;
  Transform3D worldToFace;
  element->GetWorldToFace(worldToFace, false);
  for (int i = 0; i < element->mNumSides; ++i) {
    const PolyElement* corner = element->GetCorner(i);
    if (!corner || corner->HasFlag(kElementHemi)) continue;
    double p[3];
    TransformPoint(worldToFace, p, corner->mDualVert);
    xy.push_back(p[0]);
    xy.push_back(p[1]);
  }
  return xy;
}

namespace detail_PaneDrawingDiagrams {

double Extent2D(const std::vector<double>& xy) {
  double r = 0.0;
  for (size_t i = 0; i + 1 < xy.size(); i += 2) r = std::max(r, std::hypot(xy[i], xy[i + 1]));
  return r;
}

// One edge of the hand-drawn faceting with the facets that share it.
struct DrawnEdge {
  double a[3];
  double b[3];
  std::vector<const double*> normals;
};

bool SamePoint(const double* p, const double* q) {
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(p[k] - q[k]) > kPointTolerance) return false;
  }
  return true;
}

// Normals equal, or nearly opposite.
bool Coplanar(const double* n, const double* m) {
  bool same = true, opposite = true;
  for (int k = 0; k < 3; ++k) {
    same = same && std::fabs(n[k] - m[k]) <= kPointTolerance;
    opposite = opposite && std::fabs(n[k] + m[k]) <= kPointTolerance;
  }
  return same || opposite;
}

std::vector<DrawnEdge> CollectDrawnEdges(const DrawnPolygon* polygons) {
  std::vector<DrawnEdge> edges;
  for (const DrawnPolygon* polygon = polygons; polygon; polygon = polygon->next) {
    const PolygonVertex* ring = polygon->ring;
    if (!ring) continue;
    const PolygonVertex* v = ring;
    int guard = 0;
    do {
      const PolygonVertex* w = v->next;
      if (!w || w == v) break;
      bool found = false;
      for (DrawnEdge& e : edges) {
        if ((SamePoint(e.a, v->point) && SamePoint(e.b, w->point)) ||
            (SamePoint(e.a, w->point) && SamePoint(e.b, v->point))) {
          e.normals.push_back(polygon->normal);
          found = true;
          break;
        }
      }
      if (!found) {
        DrawnEdge e{};
        std::copy(v->point, v->point + 3, e.a);
        std::copy(w->point, w->point + 3, e.b);
        e.normals.push_back(polygon->normal);
        edges.push_back(std::move(e));
      }
      v = w;
    } while (v != ring && ++guard < 100000);
  }
  return edges;
}

// Multiplies the GL matrix by the frame, then flattens onto the frame's plane (z = 0),
// so that points off the plane are drawn where they project onto it.
void MultiplyFlatFrame(const Transform3D& frame) {
  const GLdouble flatten[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  glMultMatrixd(flatten);
  GLdouble m[16] = {};
  for (int col = 0; col < 3; ++col) {
    for (int row = 0; row < 3; ++row) m[4 * col + row] = frame.m[3 * col + row];
    m[12 + col] = frame.m[9 + col];
  }
  m[15] = 1.0;
  glMultMatrixd(m);
}

const float* DrawnEdgeColour(const DrawnEdge& edge) {
  const size_t n = edge.normals.size();
  // The colours of the preview's problem edges, by how many facets share the edge.
  if (n == 1) return kOpenEdgeColour;
  if (n % 2 == 1) return kOddEdgeColour;
  if (n == 2) return Coplanar(edge.normals[0], edge.normals[1]) ? kCoplanarEdgeColour : GetNewEdgeColor();
  return kManyFaceEdgeColour;
}

}  // namespace detail_PaneDrawingDiagrams

void LightenDiagramColour(float* rgb) {
  if (rgb[0] > 0.8f && rgb[1] > 0.8f) {
    const float k = 0.8f / std::max(rgb[0], rgb[1]);
    for (int i = 0; i < 3; ++i) rgb[i] *= k;
  }
}

void GetFacePaneFacetColour(const StellationFacet* facet, const PolyElement* face, bool ofStellation, float* rgb) {
  const float* c = ofStellation                        ? GetFacetStateColour(std::clamp(facet->GetDrawState(), 0, 3))
                   : (facet->mFlags & kFacetFacesDown) ? face->mBackColor
                                                       : face->GetColour();
  std::copy(c, c + 3, rgb);
  LightenDiagramColour(rgb);
}

void GetCellDiagramExtents(int numCellTypes, int maxCellsPerType, float* extents) {
  using detail_PaneDrawingDiagrams::kCellBox;
  const float halfWidth = static_cast<float>(kCellBox / 2.0 * maxCellsPerType);
  const float halfHeight = static_cast<float>(kCellBox / 2.0 * numCellTypes);
  extents[0] = -halfWidth;
  extents[1] = halfHeight;
  extents[2] = halfWidth;
  extents[3] = -halfHeight;
}

// ---- Preparations ---------------------------------------------------------------------------

bool PaneDrawing::PrepareDiagramPane() {
  using namespace detail_PaneDrawingDiagrams;
  Poly* poly = GetCurrentPoly();
  if (!poly) return false;
  FaceTypeBlock* block = GetShownBlock(false);
  // A square round what the pane shows, with room to spare on every side: lines and
  // points drawn on its outline stay whole.
  auto square = [this](double r) {
    if (!(r > 0.0) || !std::isfinite(r)) return false;
    const float h = static_cast<float>(r * kDiagramRoom);
    mView.Mapping2D().SetExtents2D(-h, h, h, -h);
    return true;
  };
  switch (mViewType.Code()) {
    case kViewFace: {
      if (mView.Is3D()) return true;
      PolyElement* face = poly->GetCurrentFace();
      return face && square(face->GetCoplanarRadius());
    }
    case kViewVertexFigure: {
      if (mView.Is3D()) return true;
      // The figure's own sides, as far as they are drawn; with reciprocation shown, the
      // dual face drawn beside it too.
      const PolyElement* element = poly->GetOtherCurrentFinite();
      if (!element) return false;
      const double dualFace = Extent2D(GetElementPolygon2D(element));
      double extent = 0.0;
      for (const VertexFigureSide& side : BuildVertexFigure2D(element, std::max(dualFace, 1.0)).sides) {
        extent = std::max({extent, std::hypot(side.a[0], side.a[1]), std::hypot(side.b[0], side.b[1])});
      }
      if (GetDisplaySettings().showMidsphere || extent <= 0.0) extent = std::max(extent, dualFace);
      return square(extent);
    }
    case kViewFacetingDiagram: {
      PolyElement* element = poly->GetOtherCurrentFinite();
      return element && square(element->GetOthersExtent2D());
    }
    case kViewFaceOfStellation: {
      PolyElement* face = poly->GetCurrentFace();
      if (!face || !HasStellatedBlock(poly, block)) return false;
      if (!block->GetExistingModel3D()) GetModel3DOrTell(block, false);
      UpdateScaleOrTell(block);
      return square(FaceType::GetScale(face->mType));
    }
    case kViewStellationDiagram: {
      PolyElement* face = poly->GetCurrentFace();
      if (!face || !face->mType || !HasStellatedBlock(poly, block)) return false;
      return square(face->mType->mDiagramRadius);
    }
    case kViewCellDiagram: {
      if (!HasStellatedBlock(poly, block) || !block->mFirstCellType) return false;
      int types = 0;
      for (StellationCellType* type = block->mFirstCellType; type; type = type->mNext) ++types;
      float e[4];
      GetCellDiagramExtents(types, block->GetMaxCellsPerType(), e);
      mView.Mapping2D().SetExtents2D(e[0], e[1], e[2], e[3]);
      if (mFitMode == kFitTight) mFitMode = kFitNormal;
      return true;
    }
    case kViewCrossSection: {
      if (mView.Is3D()) return true;
      if (!poly->BuildCrossSection() || !poly->mCrossSection || poly->mCrossSection->mLoops.empty()) return false;
      double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
      for (const auto& loop : poly->mCrossSection->mLoops) {
        for (int i = 0; i < loop->NumPoints(); ++i) {
          for (int k = 0; k < 2; ++k) {
            lo[k] = std::min(lo[k], loop->mPoints[2 * i + k]);
            hi[k] = std::max(hi[k], loop->mPoints[2 * i + k]);
          }
        }
      }
      const double r = std::max({std::fabs(lo[0]), std::fabs(lo[1]), std::fabs(hi[0]), std::fabs(hi[1])});
      return square(r);
    }
    case kViewUnfoldedNet:
    case kViewFoldingNet: {
      if (mView.Is3D()) return true;
      if (mPage.IsPrintingPage()) return false;
      Model3D* model = GetModel3DOrTell(block, true);
      if (!model || !model->HasNets() || !model->mCurrentNet || !model->mCurrentNet->type) return false;
      // The net's bounding radius already holds its tabs.
      return square(model->mCurrentNet->type->GetBBoxRadius() / kDiagramRoom);
    }
    default:
      return true;
  }
}

// ---- Drawing --------------------------------------------------------------------------------

bool PaneDrawing::DrawDiagramPane(Poly* poly) {
  using namespace detail_PaneDrawingDiagrams;
  // The flat face panes show the selected preview face's facet, so the preview must be
  // up to date.
  if (mViewType.Is(kViewFace) || mViewType.Is(kViewFacetingDiagram)) UpdateFacetPreview(poly);
  switch (mViewType.Code()) {
    case kViewFace:
      DrawFacePane(poly, false);
      return true;
    case kViewFaceOfStellation:
      DrawFacePane(poly, true);
      return true;
    case kViewStellationDiagram: {
      FaceTypeBlock* block = GetShownBlock(false);
      PolyElement* face = poly->GetCurrentFace();
      if (face && face->mType && HasStellatedBlock(poly, block)) {
        DrawDiagramInPlane(face->mType, kIdentityFrame, false);
        DrawFaceTypePart(poly, face);
      }
      return true;
    }
    case kViewVertexFigure:
      DrawVertexFigurePane(poly);
      return true;
    case kViewFacetingDiagram: {
      PolyElement* element = poly->GetOtherCurrentFinite();
      if (element && !element->HasFlag(kElementInf)) DrawVertexFigure2D(element, &mView, true, mView.IsPicking());
      return true;
    }
    case kViewCellDiagram:
      DrawCellDiagramPane(poly);
      return true;
    case kViewCrossSection:
      if (poly->BuildCrossSection() && poly->mCrossSection) DrawCrossSectionView(poly->mCrossSection.get());
      return true;
    case kViewUnfoldedNet: {
      Model3D* model = GetModel3DOrTell(GetShownBlock(false), true);
      if (model && model->HasNets() && model->mCurrentNet) DrawUnfolded(model->mCurrentNet);
      return true;
    }
    case kViewFoldingNet: {
      Model3D* model = GetModel3DOrTell(GetShownBlock(false), true);
      if (model && model->HasNets()) DrawNets(model);
      return true;
    }
    default:
      return false;
  }
}

void PaneDrawing::DrawFacePane(Poly* poly, bool ofStellation) {
  using namespace detail_PaneDrawingDiagrams;
  PolyElement* face = poly->GetCurrentFace();
  FaceTypeBlock* block = GetShownBlock(false);
  if (!face || !face->mType) return;
  const FaceType* type = face->mType;
  const bool stellated = HasStellatedBlock(poly, block);
  const bool picking = mView.IsPicking();
  const bool lighting = corvia::SetLighting(&mView, false);
  if (stellated) {
    bool any = false;
    // A facet is named by its place in the type's list, counted as the list is drawn.
    int place = 0;
    for (const StellationFacet* f = type->mAllFacets; f; f = f->mNext, ++place) {
      if (!f->IsVisible()) continue;
      any = true;
      float rgb[3];
      GetFacePaneFacetColour(f, face, ofStellation, rgb);
      if (picking) {
        SetGLSelectionItem(kSelectStellationFacet, place);
      } else {
        mView.Materials().SetColorv(rgb);
      }
      Draw(f, kIdentityFrame);
    }
    if (picking) mView.ClearGLSelectionItem();
    if (any) {
      // The face's own outline in the stellation: the edges between a facet in it and
      // one outside; the face of the stellation shows every edge of its facets. Both
      // end where the facets do (the diagram's lines run far beyond).
      if (picking) {
        DrawDiagramLines(type, kIdentityFrame, true);
      } else {
        mView.Materials().SetColorv(GetNewEdgeColor());
        glLineWidth(GetEdgeLineWidth());
        DrawFacetEdges(type, kIdentityFrame, [](const StellationFacet* f) { return f->IsVisible(); }, !ofStellation);
      }
    } else if (!ofStellation) {
      DrawDiagramInPlane(type, kIdentityFrame, false);
    }
  } else if (!ofStellation) {
    // Without a stellation the face itself, in its colour.
    const std::vector<double> xy = GetElementPolygon2D(face);
    if (xy.size() >= 6) {
      float rgb[3];
      std::copy(face->GetColour(), face->GetColour() + 3, rgb);
      LightenDiagramColour(rgb);
      if (!picking) mView.Materials().SetColorv(rgb);
      glBegin(GL_POLYGON);
      for (size_t i = 0; i + 1 < xy.size(); i += 2) glVertex2d(xy[i], xy[i + 1]);
      glEnd();
      if (!picking) mView.Materials().SetColorv(GetNewEdgeColor());
      glBegin(GL_LINE_LOOP);
      for (size_t i = 0; i + 1 < xy.size(); i += 2) glVertex2d(xy[i], xy[i + 1]);
      glEnd();
    }
  }
  corvia::SetLighting(&mView, lighting);
  DrawFaceTypePart(poly, face);
  CheckGLError("PaneDrawing::DrawFacePane");
}

void PaneDrawing::DrawFaceTypePart(Poly* poly, PolyElement* face) {
  using namespace detail_PaneDrawingDiagrams;
  const int mode = GetMouseSelectionMode(mView.GetViewGroup());
  if (mode == kSelectFaceting && poly->mDrawnPolygons) {
    Transform3D worldToFace;
    face->GetWorldToFace(worldToFace, false);
    const float width = (GetModelDrawSettings().edgeWidth + 2.0f) * GetModelDrawSettings().lineWidthFactor;
    const bool lighting = corvia::SetLighting(&mView, false);
    glLineWidth(width);
    for (const DrawnEdge& edge : CollectDrawnEdges(poly->mDrawnPolygons)) {
      if (std::fabs(face->DistanceAlongNormal(edge.a, face->mCentre)) > kPointTolerance ||
          std::fabs(face->DistanceAlongNormal(edge.b, face->mCentre)) > kPointTolerance) {
        continue;
      }
      double a[3], b[3];
      TransformPoint(worldToFace, a, edge.a);
      TransformPoint(worldToFace, b, edge.b);
      mView.Materials().SetColorv(DrawnEdgeColour(edge));
      glBegin(GL_LINES);
      glVertex2d(a[0], a[1]);
      glVertex2d(b[0], b[1]);
      glEnd();
    }
    glLineWidth(GetModelDrawSettings().lineWidthFactor);
    corvia::SetLighting(&mView, lighting);
  }
  if (HasCurrentFaceting() && poly->mDrawnPolygons) {
    // The facets being drawn by hand, seen through.
    Transform3D worldToFace;
    face->GetWorldToFace(worldToFace, false);
    glPushMatrix();
    MultiplyFlatFrame(worldToFace);
    const int before = mView.Materials().GetTransparencyMode();
    GetModelDrawPane(&mView).PushTransparency(kTransparencyBlended);
    DrawDrawnPolygons(poly->mDrawnPolygons, &mView);
    GetModelDrawPane(&mView).PopTransparency(before);
    glPopMatrix();
  }
  if (mode == kSelectMeasurement) {
    Transform3D worldToFace;
    face->GetWorldToFace(worldToFace, false);
    DrawMeasurements(&worldToFace);
  }
  // The diagram's points with their coordinates, in the diagram's own frame (the pane's).
  if ((DiagnosticNumbers & kShowDiagramCoords) && face->mType && !mView.IsPicking()) {
    DrawDiagramLabels(face->mType, kIdentityFrame, kDiagramLabelPoints);
  }
  if (AreFaceletNumbersShown()) {
    if (Model3D* model = GetModel3D(poly)) {
      Transform3D worldToFace;
      face->GetWorldToFace(worldToFace, false);
      DrawFaceletNumbers(model, worldToFace, true);
    }
  }
}

void PaneDrawing::DrawVertexFigurePane(Poly* poly) {
  using namespace detail_PaneDrawingDiagrams;
  PolyElement* element = poly->GetOtherCurrentFace();
  if (!element) return;
  const bool picking = mView.IsPicking();
  const bool lighting = corvia::SetLighting(&mView, false);
  const bool reciprocation = GetDisplaySettings().showMidsphere;
  const bool atCentre = element->HasFlag(kElementInf);
  Transform3D worldToFace;
  element->GetWorldToFace(worldToFace, false);
  if (reciprocation && !atCentre && !picking) {
    // The reciprocating sphere (the midsphere) cut by the figure's plane; an imaginary
    // radius is drawn by its magnitude.
    const double origin[3] = {0.0, 0.0, 0.0};
    const double d = element->DistanceAlongNormal(element->mCentre, origin);
    const double r2 = poly->mDualScale * poly->mDualScale - d * d;
    const double centre[2] = {0.0, 0.0};
    mView.Materials().SetColorv(GetDisplaySettings().titleColor);
    DrawCircle2D(centre, std::sqrt(std::fabs(r2)), kReciprocationSegments, false);
  }
  // The vertex figure: from neighbour to neighbour round the vertex, each side standing
  // for the face between them; a side runs out towards a neighbour at infinity as far
  // as the dual face reaches.
  const double reach = std::max(Extent2D(GetElementPolygon2D(element)), 1.0);
  const VertexFigure2D figure = BuildVertexFigure2D(element, reach);
  if (reciprocation && !atCentre && !picking) {
    // The dual face in thin lines, and each side of the figure marked against the
    // corner of the dual face it reciprocates into.
    mView.Materials().SetColorv(GetNewEdgeColor());
    glBegin(GL_LINES);
    for (const std::vector<double>& segment : figure.dualFace) {
      glVertex2d(segment[0], segment[1]);
      glVertex2d(segment[2], segment[3]);
    }
    glEnd();
    mView.Materials().SetColorv(GetDisplaySettings().titleColor);
    for (const std::vector<double>& pair : figure.reciprocal) DrawDoubleArrow2D(&pair[0], &pair[2], kArrowSize);
  }
  float rgb[3] = {1.0f, 0.0f, 0.0f};
  RainbowColor(0, rgb);
  glLineWidth((GetModelDrawSettings().edgeWidth + 1.0f) * GetModelDrawSettings().lineWidthFactor);
  for (const VertexFigureSide& side : figure.sides) {
    if (picking) {
      SetGLSelectionItem(side.face && side.face->IsVertex() ? kSelectVertexAsFace : kSelectFace,
                         PolyElement::GetIndex(side.face));
    } else {
      mView.Materials().SetColorv(rgb);
      NextRainbowColor(rgb);
    }
    if (side.arrowAtA && side.arrowAtB) {
      DrawDoubleArrow2D(side.a, side.b, kArrowSize);
    } else if (side.arrowAtB) {
      DrawArrow2D(side.a, side.b, kArrowSize);
    } else if (side.arrowAtA) {
      DrawArrow2D(side.b, side.a, kArrowSize);
    } else {
      glBegin(GL_LINES);
      glVertex2dv(side.a);
      glVertex2dv(side.b);
      glEnd();
    }
  }
  if (picking) mView.ClearGLSelectionItem();
  glLineWidth(GetModelDrawSettings().lineWidthFactor);
  // The corners: their numbers, and the names of the vertices that have them.
  if (!picking) {
    mView.Materials().SetColorv(GetDisplaySettings().titleColor);
    for (const VertexFigureCorner& corner : figure.corners) {
      mView.Text().DrawText2Dv(corner.text.c_str(), corner.at, true);
    }
  }
  corvia::SetLighting(&mView, lighting);
  CheckGLError("PaneDrawing::DrawVertexFigurePane");
}

namespace detail_PaneDrawingDiagrams {

// Where each cell's box stands: rows from the bottom, each row centred.
struct CellBox {
  const StellationCell* cell;
  double x0, y0, x1, y1;
};

std::vector<CellBox> PlaceCellBoxes(const FaceTypeBlock* block) {
  int types = 0;
  for (StellationCellType* type = block->mFirstCellType; type; type = type->mNext) ++types;
  std::vector<CellBox> boxes;
  int row = 0;
  for (StellationCellType* type = block->mFirstCellType; type; type = type->mNext, ++row) {
    const double y0 = -kCellBox * types / 2.0 + row * kCellBox;
    int i = 0;
    for (const StellationCell* c = type->mFirstCell; c && c->mType == type && i < type->mNumCells; c = c->mNext, ++i) {
      const double x0 = -kCellBox * type->mNumCells / 2.0 + i * kCellBox;
      boxes.push_back(CellBox{c, x0 + kCellMargin, y0 + kCellMargin, x0 + kCellBox - kCellMargin,
                              y0 + kCellBox - kCellMargin});
    }
  }
  return boxes;
}

void CellBoxCentre(const CellBox& b, double* out) {
  out[0] = (b.x0 + b.x1) / 2.0;
  out[1] = (b.y0 + b.y1) / 2.0;
}

// The links between neighbouring cells' boxes, each once: a box is looked up, not
// searched for, so that a diagram of many cells costs its links.
template <typename Emit>
void ForEachCellLink(const std::vector<CellBox>& boxes, Emit&& emit) {
  std::unordered_map<const StellationCell*, size_t> boxOf;
  boxOf.reserve(boxes.size());
  for (size_t i = 0; i < boxes.size(); ++i) boxOf.emplace(boxes[i].cell, i);
  for (const CellBox& b : boxes) {
    for (const StellationCell* other : b.cell->mNeighbours) {
      if (!other || other <= b.cell) continue;
      const auto found = boxOf.find(other);
      if (found == boxOf.end()) continue;
      double p[2], q[2];
      CellBoxCentre(b, p);
      CellBoxCentre(boxes[found->second], q);
      emit(p, q);
    }
  }
}

// The state a kept diagram was made of: the cells in their order with their links and
// marks, the current cell and the box's size in pixels.
uint64_t CellDiagramState(const FaceTypeBlock* block, double pixels) {
  StateHash hash;
  hash.Add(block);
  hash.Add(pixels);
  hash.Add(block->mCurrentCell);
  for (const StellationCellType* type = block->mFirstCellType; type; type = type->mNext) {
    hash.Add(type);
    hash.Add(static_cast<uint64_t>(type->mNumCells));
    hash.Add(static_cast<uint64_t>(type->mIndex));
    int i = 0;
    for (const StellationCell* c = type->mFirstCell; c && c->mType == type && i < type->mNumCells; c = c->mNext, ++i) {
      hash.Add(c);
      hash.Add(static_cast<uint64_t>((c->IsIncluded() ? 1 : 0) | (c->IsHidden() ? 2 : 0)));
      hash.Add(static_cast<uint64_t>(c->mNeighbours.size()));
      for (const StellationCell* other : c->mNeighbours) hash.Add(other);
    }
  }
  return hash.Get();
}

void AddCellFrame(std::vector<float>& out, double x0, double y0, double x1, double y1) {
  const double corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  for (int k = 0; k < 4; ++k) {
    for (int end = 0; end < 2; ++end) {
      const double* p = corners[(k + end) % 4];
      out.push_back(static_cast<float>(p[0]));
      out.push_back(static_cast<float>(p[1]));
    }
  }
}

// Where the diagram's points fall against the viewport, by GL's own matrices (with a
// tile's or a stereo eye's part in them) and a margin of the line width and two
// pixels: what lies beyond it on one side draws no pixel.
class CellDiagramClip {
 public:
  CellDiagramClip() {
    Matrix4 modelview, projection;
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview.m);
    glGetDoublev(GL_PROJECTION_MATRIX, projection.m);
    mToClip = projection * modelview;
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLfloat width = 1.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    const double margin = width / 2.0 + 2.0;
    mReach[0] = 1.0 + 2.0 * margin / std::max(viewport[2], 1);
    mReach[1] = 1.0 + 2.0 * margin / std::max(viewport[3], 1);
  }
  // Bits 1 and 2 left and right of the viewport, 4 and 8 below and above; 0 inside.
  int Outside(double x, double y) const {
    const Matrix4& m = mToClip;
    const double w = m.m[3] * x + m.m[7] * y + m.m[15];
    const double cx = m.m[0] * x + m.m[4] * y + m.m[12];
    const double cy = m.m[1] * x + m.m[5] * y + m.m[13];
    if (w <= 0.0) return 15;
    return (cx < -mReach[0] * w ? 1 : 0) | (cx > mReach[0] * w ? 2 : 0) | (cy < -mReach[1] * w ? 4 : 0) |
           (cy > mReach[1] * w ? 8 : 0);
  }
  // The lines (x, y per end) not wholly beyond one side: `all` itself when every one
  // is, else those copied to `shown`.
  const std::vector<float>& KeepLinesShown(const std::vector<float>& all, std::vector<float>& shown) const {
    bool every = true;
    for (size_t i = 0; i + 3 < all.size() && every; i += 4) {
      every = Outside(all[i], all[i + 1]) == 0 && Outside(all[i + 2], all[i + 3]) == 0;
    }
    if (every) return all;
    for (size_t i = 0; i + 3 < all.size(); i += 4) {
      if ((Outside(all[i], all[i + 1]) & Outside(all[i + 2], all[i + 3])) == 0) {
        shown.insert(shown.end(), all.begin() + static_cast<std::ptrdiff_t>(i),
                     all.begin() + static_cast<std::ptrdiff_t>(i + 4));
      }
    }
    return shown;
  }

 private:
  Matrix4 mToClip;
  double mReach[2] = {1.0, 1.0};
};


// The diagram of the block at a box of `pixels` pixels, as the one-by-one drawing
// draws it (vertices in single precision, as GL takes them).
void MakeCellDiagramMesh(const FaceTypeBlock* block, double pixels, CellDiagramMesh& mesh) {
  mesh = CellDiagramMesh{};
  const std::vector<CellBox> boxes = PlaceCellBoxes(block);
  ForEachCellLink(boxes, [&](const double* p, const double* q) {
    for (const double* e : {p, q}) {
      mesh.links.push_back(static_cast<float>(e[0]));
      mesh.links.push_back(static_cast<float>(e[1]));
    }
  });
  mesh.includedWidth = static_cast<float>(std::clamp(pixels / 20.0, 1.0, 3.0));
  const bool labels = pixels >= kCellLabelPixels * 4.0;
  for (const CellBox& b : boxes) {
    float rgb[3];
    RainbowColor(b.cell->mType->mIndex, rgb);
    LightenDiagramColour(rgb);
    if (!b.cell->IsHidden()) {
      const float x0 = static_cast<float>(b.x0), y0 = static_cast<float>(b.y0);
      const float x1 = static_cast<float>(b.x1), y1 = static_cast<float>(b.y1);
      mesh.fills.insert(mesh.fills.end(), {x0, y0, x1, y0, x1, y1, x0, y1});
      for (int k = 0; k < 4; ++k) mesh.fillColours.insert(mesh.fillColours.end(), rgb, rgb + 3);
    }
    if (b.cell == block->mCurrentCell) {
      const double corners[8] = {b.x0 + kCellMargin, b.y0 + kCellMargin, b.x1 - kCellMargin, b.y0 + kCellMargin,
                                 b.x1 - kCellMargin, b.y1 - kCellMargin, b.x0 + kCellMargin, b.y1 - kCellMargin};
      for (double v : corners) mesh.current.push_back(static_cast<float>(v));
      mesh.currentIsFirst = &b == &boxes.front();
    }
    AddCellFrame(mesh.frames[b.cell->IsIncluded() ? 1 : 0], b.x0, b.y0, b.x1, b.y1);
    if (mesh.boxes.empty() || b.cell->mType != (&b - 1)->cell->mType) mesh.rows.push_back(mesh.boxes.size());
    mesh.boxes.push_back({b.x0, b.y0, b.x1, b.y1, StellationCell::GetIndex(b.cell)});
    if (labels) {
      CellDiagramMesh::Label label{};
      std::snprintf(label.text, sizeof label.text, "%d", StellationCell::GetIndexInType(b.cell) + 1);
      CellBoxCentre(b, label.at);
      mesh.labels[rgb[0] + rgb[1] + rgb[2] < 1.5f ? 1 : 0].push_back(label);
    }
  }
  mesh.rows.push_back(mesh.boxes.size());
  mesh.made = true;
}

// A pick of the kept diagram: each box that may meet the pick region under its cell's
// name, in the order the boxes are named drawn a cell at a time, so that the records
// are the same. The rows that reach the region's bounds, and in each the run of boxes
// that does, found by their places: a click costs the boxes round the pointer.
void PickCellDiagramMesh(OpenGLView* view, const CellDiagramMesh& mesh) {
  using PickBox = CellDiagramMesh::PickBox;
  const PickRegion region(view);
  double lo[2] = {-DBL_MAX, -DBL_MAX}, hi[2] = {DBL_MAX, DBL_MAX};
  if (!region.FlatBounds(lo, hi)) {
    // No flat mapping to invert: every box, as drawn a cell at a time.
    lo[0] = lo[1] = -DBL_MAX;
    hi[0] = hi[1] = DBL_MAX;
  }
  for (size_t r = 0; r + 1 < mesh.rows.size(); ++r) {
    const auto first = mesh.boxes.begin() + static_cast<std::ptrdiff_t>(mesh.rows[r]);
    const auto end = mesh.boxes.begin() + static_cast<std::ptrdiff_t>(mesh.rows[r + 1]);
    if (first == end || first->y1 < lo[1] || first->y0 > hi[1]) continue;
    for (auto b = std::partition_point(first, end, [&](const PickBox& box) { return box.x1 < lo[0]; });
         b != end && b->x0 <= hi[0]; ++b) {
      SetGLSelectionItem(kSelectStellationCell, b->cell);
      glRectd(b->x0, b->y0, b->x1, b->y1);
    }
  }
  view->ClearGLSelectionItem();
}

}  // namespace detail_PaneDrawingDiagrams

void PaneDrawing::DrawCellDiagramPane(Poly* poly) {
  using namespace detail_PaneDrawingDiagrams;
  FaceTypeBlock* block = GetShownBlock(false);
  if (!HasStellatedBlock(poly, block) || !block->mFirstCellType) return;
  const bool picking = mView.IsPicking();
  const bool lighting = corvia::SetLighting(&mView, false);
  if (mCellDiagramOneByOne) {
    DrawCellDiagramOneByOne(block, picking);
  } else {
    const double pixels = mView.Mapping2D().GetZoomedHeight() * kCellBox;
    const uint64_t state = CellDiagramState(block, pixels);
    if (!mCellDiagram) mCellDiagram = std::make_unique<CellDiagramMesh>();
    if (!mCellDiagram->made || mCellDiagram->state != state) {
      MakeCellDiagramMesh(block, pixels, *mCellDiagram);
      mCellDiagram->state = state;
      ++mCellDiagramsMade;
    }
    if (picking) {
      PickCellDiagramMesh(&mView, *mCellDiagram);
    } else {
      DrawCellDiagramMesh(*mCellDiagram);
    }
  }
  corvia::SetLighting(&mView, lighting);
  CheckGLError("PaneDrawing::DrawCellDiagramPane");
}

// A few array draws in the order of the one-by-one drawing's layers: where the boxes
// stand apart (always once their numbers are written) the pixels are the same.
void PaneDrawing::DrawCellDiagramMesh(const CellDiagramMesh& mesh) {
  using namespace detail_PaneDrawingDiagrams;
  const CellDiagramClip clip;
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glEnableClientState(GL_VERTEX_ARRAY);
  auto lines = [](const std::vector<float>& ends) {
    if (ends.empty()) return;
    glVertexPointer(2, GL_FLOAT, 0, ends.data());
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(ends.size() / 2));
  };
  mView.Materials().SetColor(0.6f, 0.6f, 0.6f);
  mView.Materials().SetLineStipple(0x6666);
  // A stippled line costs the rasterizer its length, off screen too: a pane zoomed in
  // draws the links that pass through it.
  std::vector<float> shown;
  const std::vector<float>& links = clip.KeepLinesShown(mesh.links, shown);
  lines(links);
  mView.Materials().SetLineStipple(0);
  if (!mesh.fills.empty()) {
    // The anaglyph's filter gives every colour one ink (ViewMaterials::SetColor): the
    // boxes are drawn in it, as a box at a time.
    const bool oneInk = mView.Stereo().GetStereoKind() == StereoKind::Anaglyph;
    if (oneInk) {
      mView.Materials().SetColorv(mesh.fillColours.data());
    } else {
      glEnableClientState(GL_COLOR_ARRAY);
      glColorPointer(3, GL_FLOAT, 0, mesh.fillColours.data());
    }
    glVertexPointer(2, GL_FLOAT, 0, mesh.fills.data());
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(mesh.fills.size() / 2));
    if (!oneInk) glDisableClientState(GL_COLOR_ARRAY);
  }
  if (!mesh.current.empty()) {
    if (!mesh.currentIsFirst) glLineWidth(1.0f);
    mView.Materials().SetColorv(GetDisplaySettings().titleColor);
    glVertexPointer(2, GL_FLOAT, 0, mesh.current.data());
    glDrawArrays(GL_LINE_LOOP, 0, 4);
  }
  glLineWidth(1.0f);
  mView.Materials().SetColorv(GetDisplaySettings().titleColor);
  lines(mesh.frames[0]);
  glLineWidth(mesh.includedWidth);
  mView.Materials().SetColorv(GetNewEdgeColor());
  lines(mesh.frames[1]);
  glLineWidth(1.0f);
  glDisableClientState(GL_VERTEX_ARRAY);
  // GL writes nothing at a raster position outside the viewport: a pane zoomed in on a
  // few boxes writes their numbers, not every cell's.
  for (int ink = 0; ink < 2; ++ink) {
    if (mesh.labels[ink].empty()) continue;
    const float v = static_cast<float>(ink);
    mView.Materials().SetColor(v, v, v);
    for (const CellDiagramMesh::Label& label : mesh.labels[ink]) {
      if (clip.Outside(label.at[0], label.at[1]) == 0) mView.Text().DrawText2Dv(label.text, label.at, true);
    }
  }
}

// The diagram drawn a cell at a time, each box under its cell's name in a pick: the
// road the kept diagram's paints and picks are measured against (SetCellDiagramOneByOne).
void PaneDrawing::DrawCellDiagramOneByOne(FaceTypeBlock* block, bool picking) {
  using namespace detail_PaneDrawingDiagrams;
  const std::vector<CellBox> boxes = PlaceCellBoxes(block);
  // The links between cells, behind the boxes.
  if (!picking) {
    mView.Materials().SetColor(0.6f, 0.6f, 0.6f);
    mView.Materials().SetLineStipple(0x6666);
    glBegin(GL_LINES);
    ForEachCellLink(boxes, [](const double* p, const double* q) {
      glVertex2dv(p);
      glVertex2dv(q);
    });
    glEnd();
    mView.Materials().SetLineStipple(0);
  }
  const double pixels = mView.Mapping2D().GetZoomedHeight() * kCellBox;
  char text[16];
  for (const CellBox& b : boxes) {
    float rgb[3];
    RainbowColor(b.cell->mType->mIndex, rgb);
    LightenDiagramColour(rgb);
    if (picking) {
      SetGLSelectionItem(kSelectStellationCell, StellationCell::GetIndex(b.cell));
    } else {
      mView.Materials().SetColorv(rgb);
    }
    // A hidden cell keeps its frame and its place for picking, without its colour.
    if (picking || !b.cell->IsHidden()) glRectd(b.x0, b.y0, b.x1, b.y1);
    if (picking) continue;
    // The cell the Show/Hide commands act on is framed twice.
    if (b.cell == block->mCurrentCell) {
      mView.Materials().SetColorv(GetDisplaySettings().titleColor);
      glBegin(GL_LINE_LOOP);
      glVertex2d(b.x0 + kCellMargin, b.y0 + kCellMargin);
      glVertex2d(b.x1 - kCellMargin, b.y0 + kCellMargin);
      glVertex2d(b.x1 - kCellMargin, b.y1 - kCellMargin);
      glVertex2d(b.x0 + kCellMargin, b.y1 - kCellMargin);
      glEnd();
    }
    const bool included = b.cell->IsIncluded();
    mView.Materials().SetColorv(included ? GetNewEdgeColor() : GetDisplaySettings().titleColor);
    glLineWidth(included ? static_cast<float>(std::clamp(pixels / 20.0, 1.0, 3.0)) : 1.0f);
    glBegin(GL_LINE_LOOP);
    glVertex2d(b.x0, b.y0);
    glVertex2d(b.x1, b.y0);
    glVertex2d(b.x1, b.y1);
    glVertex2d(b.x0, b.y1);
    glEnd();
    glLineWidth(1.0f);
    if (pixels >= kCellLabelPixels * 4.0) {
      const float ink = rgb[0] + rgb[1] + rgb[2] < 1.5f ? 1.0f : 0.0f;
      mView.Materials().SetColor(ink, ink, ink);
      std::snprintf(text, sizeof text, "%d", StellationCell::GetIndexInType(b.cell) + 1);
      double at[2];
      CellBoxCentre(b, at);
      mView.Text().DrawText2Dv(text, at, true);
    }
  }
  if (picking) mView.ClearGLSelectionItem();
}

// ---- Measurements ---------------------------------------------------------------------------

void PaneDrawing::DrawMeasurements(const Transform3D* toPlane) {
  using namespace detail_PaneDrawingDiagrams;
  bool any = false;
  for (int i = 0; i < kNumMeasurementPoints && !any; ++i) any = GetMeasurementPoint(i)[0] != kUndefinedPoint;
  if (!any) return;
  const bool lighting = corvia::SetLighting(&mView, false);
  // A flat pane shows everything in its element's frame, flattened onto its plane.
  glPushMatrix();
  if (toPlane) MultiplyFlatFrame(*toPlane);
  // 1. The planes of the pickers that hold three points or more, translucent and seen
  // from both sides.
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_CULL_FACE);
  for (int k = 0; k < kNumPointPickers; ++k) {
    const PointPicker& picker = GetPointPicker(k);
    if (picker.mCount < 3 || !picker.AllDefined()) continue;
    const int before = mView.Materials().GetTransparencyMode();
    GetModelDrawPane(&mView).PushTransparency(kTransparencyBlended);
    mView.Materials().SetColor4(0.8f * kMeasurePlaneColour[0], 0.8f * kMeasurePlaneColour[1],
                                0.8f * kMeasurePlaneColour[2], kMeasurePlaneAlpha);
    DrawPlane(&picker);
    GetModelDrawPane(&mView).PopTransparency(before);
  }
  glPopAttrib();
  // 2. A polytope's measured line, drawn once and then shown through.
  double a[4], b[4];
  const bool segment = GetMeasuredSegment(a, b);
  if (segment && Is4DModel()) {
    glLineWidth((GetModelDrawSettings().edgeWidth + 2.0f) * GetModelDrawSettings().lineWidthFactor);
    mView.Materials().SetColorv(GetNewEdgeColor());
    for (int pass = 0; pass < 2; ++pass) {
      if (pass == 1) {
        glDisable(GL_DEPTH_TEST);
        mView.Materials().SetLineStipple(0x5555);
      }
      glBegin(GL_LINES);
      glVertex3dv(a);
      glVertex3dv(b);
      glEnd();
    }
    mView.Materials().SetLineStipple(0);
    if (mView.Is3D()) glEnable(GL_DEPTH_TEST);
    glLineWidth(GetModelDrawSettings().lineWidthFactor);
  }
  // 3. The measured points.
  GLfloat pointSize = 1.0f;
  glGetFloatv(GL_POINT_SIZE, &pointSize);
  glPointSize((GetModelDrawSettings().vertSize + 4.0f) * GetModelDrawSettings().lineWidthFactor);
  mView.Materials().SetColorv(DefaultVertexColor);
  glBegin(GL_POINTS);
  for (int i = 0; i < kNumMeasurementPoints; ++i) {
    const double* p = GetMeasurementPoint(i);
    if (p[0] != kUndefinedPoint) glVertex3dv(p);
  }
  glEnd();
  glPointSize(pointSize);
  // 4. The length of the measured segment, and the measured angle, at its middle.
  if (segment) {
    char text[kAngleTextSize + 48];
    // In the user's length unit, as the status bar gives it.
    const double length = GetMeasuredDistance() * GetUnitSettings().mLengthScale;
    int used = std::snprintf(text, sizeof text, " %g", length);
    const double angle = GetMeasuredAngle(0);
    if (angle != std::numeric_limits<double>::max() && used > 0 && used < static_cast<int>(sizeof text) - 2) {
      char angleText[kAngleTextSize];
      std::snprintf(text + used, sizeof text - used, " %s", GetUnitSettings().FormatAngle(angleText, angle, nullptr));
    }
    const double middle[3] = {(a[0] + b[0]) / 2.0, (a[1] + b[1]) / 2.0, (a[2] + b[2]) / 2.0};
    mView.Materials().SetColorv(GetDisplaySettings().titleColor);
    // In front of the model: the segment's middle often lies inside it.
    const GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    mView.Text().DrawText3D(text, middle);
    if (depth) glEnable(GL_DEPTH_TEST);
  }
  glPopMatrix();
  corvia::SetLighting(&mView, lighting);
  CheckGLError("PaneDrawing::DrawMeasurements");
}

// ---- Status texts ---------------------------------------------------------------------------

std::string PaneDrawing::GetPaneStatusText() const {
  Poly* poly = GetCurrentPoly();
  if (!poly || !mViewType.IsSet()) return {};
  char text[512];
  text[0] = '\0';
  switch (mViewType.Code()) {
    case kViewFace:
    case kViewFaceOfStellation:
    case kViewStellationDiagram: {
      PolyElement* face = poly->GetCurrentFace();
      FaceTypeBlock* block = GetShownBlock(false);
      if (!face || !face->mType || !block) return {};
      std::snprintf(text, sizeof text, "Face type %d of %d%s.  %d faces of this type.", FaceType::GetNumber(face->mType),
                    block->CountDistinctFaceTypes(), face->HasFlag(kElementHemi) ? " (Infinite)" : "",
                    face->mType->mCount);
      break;
    }
    case kViewFacetingDiagram:
    case kViewVertexFigure: {
      const bool faceting = mViewType.Is(kViewFacetingDiagram);
      PolyElement* vertex = faceting ? poly->GetOtherCurrentFinite() : poly->GetOtherCurrentFace();
      FaceTypeBlock* block = GetShownBlock(true);
      if (!vertex || !block) return {};
      const int count = vertex->mList ? vertex->mList->mCount : 0;
      const bool infinite = vertex->HasFlag(kElementHemi);
      const bool atCentre = vertex->HasFlag(kElementInf);
      if (faceting) {
        std::snprintf(text, sizeof text, "Vertex type %d of %d%s.  Vertex %d of %d.%s", FaceType::GetNumber(vertex->mType),
                      block->CountDistinctFaceTypes(), infinite ? " (Infinite)" : "", vertex->GetNumber(), count,
                      atCentre ? "\nVertex is at centre of model,\nso faceting diagram is undefined." : "");
      } else {
        std::string s;
        std::snprintf(text, sizeof text, "Vertex type %d of %d (vertex %d of %d%s).", FaceType::GetNumber(vertex->mType),
                      block->CountDistinctFaceTypes(), vertex->GetNumber(), count, infinite ? ", infinite" : "");
        s = text;
        if (atCentre) {
          s += "\nVertex is at centre of model,\nso vertex figure is undefined.";
        } else if (GetDisplaySettings().showMidsphere) {
          s +=
              "\nThick lines: Vertex figure\nThin lines: Dual face\nCircle of reciprocation = intersection of plane "
              "and reciprocating sphere";
          const double origin[3] = {0.0, 0.0, 0.0};
          const double d = vertex->DistanceAlongNormal(vertex->mCentre, origin);
          if (poly->mDualScale * poly->mDualScale - d * d < 0.0) {
            s +=
                "\n\nDual face plane is outside reciprocation sphere so circle has imaginary\nradius.  Displayed "
                "circle still works to reciprocate, but an additional\ninversion is also required (rotation by 180 "
                "degrees).";
          }
        }
        return s;
      }
      break;
    }
    case kViewStellationOfBase:
    case kViewStellationOfDual: {
      // A stellation pane draws the block's facets: without them it says why it is empty.
      FaceTypeBlock* block = GetShownBlock(false);
      if (!block || !block->mFirstFaceType || block->GetExistingModel3D()) return {};
      if (IsModelWorkPending(block) || g_ModelBusy) return "Making facets...";
      return detail_PaneDrawingDiagrams::InCornerLines(DescribeMissingFacets(block));
    }
    case kViewUnfoldedNet: {
      FaceTypeBlock* block = GetShownBlock(false);
      Model3D* model = block ? block->GetExistingModel3D() : nullptr;
      if (!model || !model->HasNets() || !model->mCurrentNet || !model->mCurrentNet->type) {
        // Nets of a large model are made when the program is idle, under their progress;
        // those of a model being made, once it is made and drawn. Only nets cancelled
        // or refused are missing.
        const bool undrawn = block && !model && block->mFirstFaceType && block->HasPlainFacetModel() &&
                             !block->mModel3DRefused && !block->mModel3DCancelled;
        const bool waiting = undrawn || (model && !model->HasNets() && !model->mNetsCancelled);
        return IsModelWorkPending(block) || g_ModelBusy || waiting ? "Making nets..." : "No nets.";
      }
      const NetType* type = model->mCurrentNet->type;
      const int copies = type->numNets;
      std::snprintf(text, sizeof text, "Net type %d of %d.  Need %d %s of this net.", NetType::GetNumber(type, model),
                    model->GetNumNetTypes(), copies, copies == 1 ? "copy" : "copies");
      break;
    }
    default:
      return {};
  }
  return text;
}

}  // namespace corvia
