// Drawing of one facelet: folded in a net in space, flat in a net, or on its source
// model. Its triangles go to the translucent queue; its edges, corners, glue tabs,
// number, edge texts and corner angles in a net; the circles where reference spheres
// cut it and the stellation lines it was cut from, on screen or on a printed page.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/FaceImageRef.h"
#include "core/Geometry.h"
#include "core/Globals.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetPages.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"
#include "nets/Vert3D.h"
#include "render/DepthSortedTriangles.h"
#include "render/ElementDrawing.h"
#include "render/FaceImageMapping.h"
#include "render/FaceImageTexturing.h"
#include "render/FaceletDrawing.h"
#include "render/FlatNetMesh.h"
#include "render/GL.h"
#include "render/GLSection.h"
#include "render/GLSelection.h"
#include "render/GLText.h"
#include "render/GeomagDrawing.h"
#include "render/LightSets.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/OutcomeBoxes.h"
#include "render/Primitives.h"
#include "render/PrintPage.h"
#include "render/SelectionItems.h"
#include "render/StellationDrawing.h"
#include "stellation/Model3DStellation.h"
#include "stellation/StellationDiagram.h"

namespace corvia {

namespace detail_FaceletDrawing {

constexpr double kPi = 3.141592653589793;
constexpr uint16_t kValleyStipple = 0x0F0F;
// Mouse selection mode 2, "Cut/Uncut Edges".
constexpr int kMouseModeCutEdges = 2;
// Segments of a whole circle of a sphere section.
constexpr int kCircleSegments = 120;
// The text flags of a label that lies flat in its plane.
constexpr uint32_t kLabelLieFlat = 0x1;
constexpr uint32_t kLabelFacingBits = 0xE;
// Where a folded facelet's corner angle stands: a tenth of the way along the two
// edges at the corner.
constexpr double kAngleTextPush = 0.1;
// The numbers and edge texts of folded facelets.
constexpr float kNetTextColour[3] = {1.0f, 1.0f, 1.0f};

bool GeomagOn() {
  return GetElementDisplayOptions().constructionToyStyle;
}

// The folded length of the edge from the edgelet's corner to the next one.
double EdgeLength(const Edge3D* e) {
  const Edge3D* next = e->GetNextInLoop();
  if (!next) return 0.0;
  double side[3];
  Subtract(side, next->pos3D, e->pos3D);
  return VectorLength(side);
}

// Line and point state brackets: width, point size and stipple come back as they were.
class LineState {
 public:
  explicit LineState(OpenGLView* view) : mView(view) {
    glGetFloatv(GL_LINE_WIDTH, &mWidth);
    glGetFloatv(GL_POINT_SIZE, &mSize);
  }
  ~LineState() {
    mView->Materials().SetLineStipple(0);
    glLineWidth(mWidth);
    glPointSize(mSize);
  }
  LineState(const LineState&) = delete;
  LineState& operator=(const LineState&) = delete;

 private:
  OpenGLView* mView;
  float mWidth = 1.0f;
  float mSize = 1.0f;
};

// The distance from a point of the flat facelet to the nearest line of its sides: the
// room a text centred there has.
double FlatRoom(const Face3D* facelet, const double* point) {
  double nearest = -1.0;
  const int count = facelet->GetNumEdges();
  for (int i = 0; i < count; ++i) {
    const Edge3D* e = &facelet->mEdges[i];
    const Edge3D* next = e->GetNextInLoop();
    if (!next) continue;
    const double side[2] = {next->unfolded[0] - e->unfolded[0], next->unfolded[1] - e->unfolded[1]};
    const double length = std::hypot(side[0], side[1]);
    if (length < kPointTolerance) continue;
    const double distance =
        std::fabs(side[0] * (point[1] - e->unfolded[1]) - side[1] * (point[0] - e->unfolded[0])) / length;
    if (nearest < 0.0 || distance < nearest) nearest = distance;
  }
  return std::max(nearest, 0.0);
}

}  // namespace detail_FaceletDrawing

// ---- Helpers shared with the model and net drawing -----------------------------------------

void GetFaceletCorner(const Edge3D* edge, int mode, const double* offset, double scale, double* out) {
  switch (mode) {
    case kFaceletDrawFlat:
      out[0] = edge->unfolded[0];
      out[1] = edge->unfolded[1];
      out[2] = 0.0;
      return;
    case kFaceletDrawFolded:
      for (int k = 0; k < 3; ++k) out[k] = edge->pos3D[k] * scale;
      return;
    default: {
      const double* p = Face3D::GetCornerPosition(edge);
      for (int k = 0; k < 3; ++k) out[k] = (p[k] + (offset ? offset[k] : 0.0)) * scale;
    }
  }
}

void GetFaceletNormal(const Face3D* facelet, int mode, double* out) {
  if (mode == kFaceletDrawFlat) {
    out[0] = out[1] = 0.0;
    out[2] = 1.0;
  } else if (mode == kFaceletDrawFolded) {
    CopyVector(out, facelet->mNormal);
  } else {
    facelet->GetNormal(out);
  }
}

double GetCornerAngle(const double* into, const double* outOf) {
  using detail_FaceletDrawing::kPi;
  const double a = std::hypot(into[0], into[1]);
  const double b = std::hypot(outOf[0], outOf[1]);
  double turn = 0.0;
  if (a >= kPointTolerance && b >= kPointTolerance) {
    const double u[2] = {into[0] / a, into[1] / a};
    const double v[2] = {outOf[0] / b, outOf[1] / b};
    if (u[0] * v[0] + u[1] * v[1] >= 0.0) {
      turn = 2.0 * std::asin(std::min(1.0, std::hypot(v[0] - u[0], v[1] - u[1]) / 2.0));
    } else {
      turn = kPi - 2.0 * std::asin(std::min(1.0, std::hypot(u[0] + v[0], u[1] + v[1]) / 2.0));
    }
    if (u[0] * v[1] - u[1] * v[0] < 0.0) turn = 2.0 * kPi - turn;
  }
  double angle = kPi - turn;
  if (angle < 0.0) angle += 2.0 * kPi;
  return angle;
}

// ---- One facelet ------------------------------------------------------------------------------

void Draw(Face3D* facelet, int mode, const double* offset, double scale, const Face3D* colourSource) {
  using namespace detail_FaceletDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !facelet->mType) return;
  // 1. Hidden faces, and the facelets of hidden stellation cells, show only in the
  // flat net.
  if (mode != kFaceletDrawFlat &&
      ((facelet->mSourceFace && facelet->mSourceFace->HasFlag(kElementHidden)) || IsInHiddenCell(*facelet)))
    return;
  // 2. Colour and alpha.
  const Face3D* source = colourSource ? colourSource : facelet;
  const float* colour = facelet->GetColor();
  float alpha = mode == kFaceletDrawFlat ? 1.0f : source->GetAlpha();
  // 3. Selection and naming.
  ModelDrawPane& pane = GetModelDrawPane(view);
  const int nesting = pane.GetTransparencyNesting();
  Model3D* model = facelet->GetModel();
  const bool selected = nesting != 0 && facelet->IsSelected(model ? model->mPoly : nullptr);
  const bool named = view->IsPicking() && GetNetDrawPane(view).PicksFaces();
  if (named) SetGLSelectionItem(kSelectFacelet, Face3D::GetIndex(facelet));
  const bool suspended = selected && view->Materials().SuspendRainbowLights(true);
  const int transparencyBefore = view->Materials().GetTransparencyMode();
  double normal[3];
  GetFaceletNormal(facelet, mode, normal);
  const int count = facelet->GetNumEdges();

  if (GeomagOn() && facelet->mType->IsGeomagPanel()) {
    // 4. A construction-toy panel.
    std::vector<double> corners(3 * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) GetFaceletCorner(&facelet->mEdges[i], mode, offset, scale, &corners[3 * i]);
    static const float kWhite[3] = {1.0f, 1.0f, 1.0f};
    const bool override = (GetRainbowFlags(view->GetViewGroup()) & kRainbowColors) != 0;
    // On the model, the image of the source face on the panel.
    FaceImage* image = nesting == 0 && mode == kFaceletDrawModel ? facelet->GetImage() : nullptr;
    Transform3D texture;
    if (image) GetTexCoordTransform(image, texture, source->mSourceFace);
    DrawGeomagModel(count, corners.data(), normal, override ? kWhite : colour, image, image ? &texture : nullptr);
  } else {
    // 5. An image on the source face: laid down, then fixed in the depth buffer.
    FaceImage* image = nesting == 0 ? facelet->GetImage() : nullptr;
    Transform3D texture;
    bool twoPass = false;
    if (image) {
      GetTexCoordTransform(image, texture, source->mSourceFace);
      twoPass = mode != kFaceletDrawFlat && !image->HasAlpha() && alpha == 1.0f;
    }
    // 6. The fill colour.
    float rgba[4] = {colour[0], colour[1], colour[2], alpha};
    if (selected || (image && !(image->mFlags & kFaceImageTint))) rgba[0] = rgba[1] = rgba[2] = 1.0f;
    if (selected) rgba[3] = GetNetDrawSettings().selectedAlpha;
    // 7. The triangles.
    const double triangleScale = mode == kFaceletDrawFlat ? 1.0 : scale;
    const unsigned flags = mode == kFaceletDrawFlat ? kTriangleNeverDefer : 0u;
    auto queue = [&](const FaceImage* withImage) {
      for (int i = 0; i + 2 < facelet->mType->mNumIndices; i += 3) {
        double p[3][3];
        bool valid = true;
        for (int c = 0; c < 3 && valid; ++c) {
          const int index = facelet->mType->mIndices[i + c];
          valid = index >= 0 && index < count;
          if (valid) GetFaceletCorner(&facelet->mEdges[index], mode, offset, 1.0, p[c]);
        }
        if (!valid) continue;
        float coords[6];
        const float* texCoords = nullptr;
        if (withImage) {
          double model3[9];
          facelet->GetTriangulationVertex(i, model3);
          const double* points[3] = {model3, model3 + 3, model3 + 6};
          GetTriangleTexCoords(withImage, texture, points, coords, nullptr);
          texCoords = coords;
        }
        AddDepthSortedTriangle(p[0], p[1], p[2], normal, rgba, flags, triangleScale, withImage,
                               withImage ? &texture : nullptr, texCoords);
      }
    };
    if (twoPass) {
      view->Materials().SetSpecular(0.0f);
      view->Materials().SetDepthWrites(false);
    }
    queue(image);
    if (twoPass) {
      view->Materials().SetDepthWrites(true);
      rgba[0] = rgba[1] = rgba[2] = 0.0f;
      rgba[3] = 1.0f;
      view->Materials().SetSpecular(0.5f);
      view->Materials().SetTransparencyMode(kTransparencyAdditive);
      queue(nullptr);
    }
    if (GetRainbowFlags(view->GetViewGroup()) & kRainbowColors) view->Materials().SetMaterialColorRGB(1.0f, 1.0f, 1.0f);
  }
  // 8. The transparency of entry.
  if (view->Materials().GetTransparencyMode() != transparencyBefore)
    view->Materials().SetTransparencyMode(transparencyBefore);
  if (suspended) view->Materials().ResumeRainbowLights(true);
  // 9. The source face's label. In the flat net it stands at least as high as the
  // pane's own texts, as far as the facelet has room for it.
  if (facelet->mSourceFace && facelet->mSourceFace->IsTextShown()) {
    double centre[3], direction[3], up[3];
    facelet->GetCentreFrame(mode, centre, direction, up, offset, scale);
    uint32_t& textMode = LabelTextModeOf(facelet->mSourceFace);
    const uint32_t before = textMode;
    double room = 0.0, least = 0.0;
    if (mode == kFaceletDrawFlat) {
      textMode = (textMode | kLabelLieFlat) & ~kLabelFacingBits;
      room = FlatRoom(facelet, centre);
      const double pixelsPerUnit = view->Mapping2D().UnitsToPixelsX(1.0);
      if (pixelsPerUnit > 0.0) least = view->Text().GetLineHeight() / pixelsPerUnit;
    }
    DrawLabel(facelet->mSourceFace, centre, direction, up, room, least);
    textMode = before;
  }
  // 10.
  if (named) view->ClearGLSelectionItem();
}

// ---- Edges and corners in a net ------------------------------------------------------------------

void DrawEdgesAndVertices(Face3D* facelet, Model3D* model, int mode, double scale) {
  using namespace detail_FaceletDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !facelet->mType) return;
  const ModelDrawSettings& settings = GetModelDrawSettings();
  const bool cutMode = GetMouseSelectionMode(view->GetViewGroup()) == kMouseModeCutEdges;
  const bool picking = view->IsPicking() && GetNetDrawPane(view).PicksEdges();
  const bool showEdges = settings.showEdges || settings.showStelEdges;
  const bool showVertices = settings.showVerts || settings.showStelVerts;
  if (!showEdges && !showVertices && !cutMode) return;
  const bool solidsAllowed = !cutMode && (mode != kFaceletDrawFlat || GeomagOn());
  const bool cylinders = solidsAllowed && UsingEdgeCylinders();
  const bool spheres = solidsAllowed && UsingVertexSpheres();
  const bool geomag = GeomagOn();
  LineState state(view);
  const bool lighting = SetLighting(view, cylinders || spheres);
  Poly* poly = model ? model->mPoly : nullptr;
  const double edgeLength = model ? model->GetMeanEdgeLength() : 0.0;
  const bool dual = model && model->IsDual();
  double joint = 0.0;
  const double rodRadius = cylinders ? GetSphereJointRadius(poly, dual, edgeLength, -1, -1.0, -1.0, &joint) : 0.0;
  const double ballRadius = spheres ? GetSphereRadius(poly, dual, edgeLength, -1, -1.0, -1.0) : 0.0;
  const int count = facelet->GetNumEdges();
  const float* edgeColour = GetNewEdgeColor();

  auto drawEdges = [&]() {
    if (!showEdges && !cutMode) return;
    for (int i = 0; i < count; ++i) {
      Edge3D* e = &facelet->mEdges[i];
      const Edge3D* next = e->GetNextInLoop();
      if (!next) continue;
      if (cylinders && e->Has(kEdgeJoinedAdded)) continue;
      if (geomag && !e->Has(kEdgeDrawnMark | kEdgeJoined)) continue;
      if (cutMode && !e->Has(kEdgeCut) && !picking) continue;
      double a[3], b[3];
      GetFaceletCorner(e, mode, nullptr, scale, a);
      GetFaceletCorner(next, mode, nullptr, scale, b);
      // Ends in a fixed order, so that the edge of two facelets draws the same line.
      if (e->vert && next->vert && next->vert < e->vert) std::swap(a, b);
      if (picking) SetGLSelectionItem(kSelectEdge, Edge3D::GetNumber(e));
      if (cylinders) {
        DrawGeomagRod(a, b, edgeColour, rodRadius, joint);
        continue;
      }
      if (!picking) {
        view->Materials().SetLineStipple(e->IsConvex() ? 0 : kValleyStipple);
        view->Materials().SetColorv(edgeColour);
      }
      glLineWidth(GetEdgeLineWidth() * (cutMode && e->Has(kEdgeUserCut) ? 3.0f : 1.0f));
      glBegin(GL_LINES);
      glVertex3dv(a);
      glVertex3dv(b);
      glEnd();
    }
    view->Materials().SetLineStipple(0);
  };
  auto drawCorners = [&]() {
    if (!showVertices) return;
    glPointSize(GetVertexPointSize());
    if (!spheres && !picking) view->Materials().SetColorv(DefaultVertexColor);
    for (int i = 0; i < count; ++i) {
      const Edge3D* e = &facelet->mEdges[i];
      if (geomag && e->vert) {
        // A shared corner is drawn once: at the first of its edgelets that is drawn.
        const Edge3D* first = e->vert->mFirstEdge;
        int steps = 1 << 20;
        while (first && !first->Has(kEdgeDrawnMark | kEdgeJoined) && steps-- > 0) first = first->nextAtVert;
        if (first != e) continue;
      }
      double p[3];
      GetFaceletCorner(e, mode, nullptr, scale, p);
      if (spheres) {
        DrawSphere(p, ballRadius);
      } else {
        glBegin(GL_POINTS);
        glVertex3dv(p);
        glEnd();
      }
    }
  };
  if (cylinders || spheres) {
    ModelDrawPane& pane = GetModelDrawPane(view);
    MaterialPasses passes;
    pane.SetEdgeMaterial(passes);
    while (pane.ApplyFaceAppearance(true, passes)) {
      drawEdges();
      drawCorners();
    }
    pane.EndEdgeMaterial(passes);
  } else {
    drawEdges();
    drawCorners();
  }
  SetLighting(view, lighting);
  if (picking) view->ClearGLSelectionItem();
}

// ---- Glue tabs -----------------------------------------------------------------------------------

void DrawFilled(const NetTab* tab, int mode, double scale, bool highlighted) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || tab->numIndices <= 0) return;
  const float grey = highlighted ? 1.0f : kTabFillGrey;
  view->Materials().SetMaterialColorRGB(grey, grey, grey);
  if (mode == kFaceletDrawFolded) glNormal3dv(tab->normal);
  glBegin(GL_TRIANGLES);
  for (int i = 0; i + 2 < tab->numIndices; i += 3) {
    for (int c = 0; c < 3; ++c) {
      const int index = tab->indices[static_cast<size_t>(i + c)];
      // A broken triangulation ends the drawing.
      if (index < 0 || index >= static_cast<int>(tab->points.size())) {
        glEnd();
        return;
      }
      const TabPoint& p = tab->points[static_cast<size_t>(index)];
      if (mode == kFaceletDrawFlat) {
        glVertex2dv(p.pos2D);
      } else {
        glVertex3d(p.pos3D[0] * scale, p.pos3D[1] * scale, p.pos3D[2] * scale);
      }
    }
  }
  glEnd();
}

void DrawOutline(const NetTab* tab, int mode, double scale) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || tab->outline.empty()) return;
  const bool lighting = SetLighting(view, false);
  view->Materials().SetColor(0.0f, 0.0f, 0.0f);
  glBegin(GL_LINE_STRIP);
  for (const TabPoint& p : tab->outline) {
    if (mode == kFaceletDrawFlat) {
      glVertex2dv(p.pos2D);
    } else {
      glVertex3d(p.pos3D[0] * scale, p.pos3D[1] * scale, p.pos3D[2] * scale);
    }
  }
  glEnd();
  SetLighting(view, lighting);
}

void DrawTab(const Edge3D* edge, int mode, double scale, bool highlighted) {
  const bool stencil = mode == kFaceletDrawFolded && GetModelDrawSettings().useStencil;
  if (stencil) {
    PrepareCoplanarStencil(kStencilMark);
    DrawOutline(edge->tab.get(), mode, scale);
    PrepareCoplanarStencil(kStencilKeep);
    DrawFilled(edge->tab.get(), mode, scale, highlighted);
    PrepareCoplanarStencil(kStencilClear);
    DrawOutline(edge->tab.get(), mode, scale);
    PrepareCoplanarStencil(kStencilFinish);
  } else {
    DrawFilled(edge->tab.get(), mode, scale, highlighted);
    DrawOutline(edge->tab.get(), mode, scale);
  }
}

void DrawTabs(Face3D* facelet, int mode, OpenGLView* view, double scale) {
  using namespace detail_FaceletDrawing;
  if (!view) view = OpenGLView::GetCurrent();
  if (!view || mode == kFaceletDrawModel || GeomagOn()) return;
  LineState state(view);
  glLineWidth(GetEdgeLineWidth());
  const bool picking = view->IsPicking();
  const Model3D* model = facelet->GetModel();
  const int count = facelet->GetNumEdges();
  for (int i = 0; i < count; ++i) {
    const Edge3D* e = &facelet->mEdges[i];
    if (!e->tab) continue;
    // Folded, a tab glued over its neighbour is drawn by that facelet.
    if (mode == kFaceletDrawFolded && IsTabShownFolded(e)) continue;
    if (picking) SetGLSelectionItem(kSelectGlueTab, Edge3D::GetNumber(e));
    DrawTab(e, mode, scale, model && model->mSelectedEdge == e);
  }
  if (picking) view->ClearGLSelectionItem();
}

const NetTab* FindTabGluedAt(const Edge3D* e) {
  if (e->tab) return nullptr;
  const Edge3D* neighbour = Edge3D::GetNeighInNet(e, false);
  if (!(neighbour && neighbour->tab && IsTabShownFolded(neighbour)) && e->Has(kEdgeTabGap)) {
    // The tab may stand in the gap of a ring of coincident edges.
    const Edge3D* member = e->nextCoinc;
    for (int steps = e->CountRingLimit(); member && member != e && steps > 0; --steps) {
      if (member->tab && IsTabShownFolded(member)) {
        neighbour = member;
        break;
      }
      member = member->mNeigh ? member->mNeigh->nextCoinc : nullptr;
    }
  }
  if (!neighbour || !neighbour->tab || !IsTabShownFolded(neighbour)) return nullptr;
  return neighbour->tab.get();
}

void DrawGluedTab(const NetTab& tab) {
  const float base = static_cast<float>(GetGLAbilities().polygonOffset);
  const float push = static_cast<float>(0.5 * GetNetDrawSettings().tabOffset) * base;
  const bool offsetOn = glIsEnabled(GL_POLYGON_OFFSET_FILL);
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(0.0f, base + push);
  DrawOutline(&tab, kFaceletDrawFolded, 1.0);
  DrawFilled(&tab, kFaceletDrawFolded, 1.0, false);
  glPolygonOffset(0.0f, base);
  if (!offsetOn) glDisable(GL_POLYGON_OFFSET_FILL);
}

// ---- Extras of a folded facelet ----------------------------------------------------------------

void DrawNetExtras(Face3D* facelet, Model3D* model, unsigned parts) {
  using namespace detail_FaceletDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !facelet->mType) return;
  const bool lighting = SetLighting(view, false);
  const double scale = model && model->mPoly ? model->mPoly->mDisplayScale : 1.0;
  glPushMatrix();
  if (scale != 1.0) glScaled(scale, scale, scale);
  view->Materials().SetColor(1.0f, 1.0f, 1.0f);
  const int count = facelet->GetNumEdges();
  char text[256];
  const bool rest = (parts & kNetExtraRest) != 0;
  const uint32_t edgeData = rest ? GetNetSettings().edgeData : 0u;
  const bool numbers = rest && AreFaceletNumbersShown();
  // A text taller on screen than the edge, corner or facelet it names falls on its
  // neighbours' texts and cannot be read: at that scale it is left out, so that a
  // large model seen whole does not lay out and draw a text for every edge.
  double textHeight = 0.0, perimeter = 0.0;
  if ((numbers || edgeData) && count > 0) {
    double middle[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < count; ++i) {
      for (int k = 0; k < 3; ++k) middle[k] += facelet->mEdges[i].pos3D[k] / count;
      perimeter += EdgeLength(&facelet->mEdges[i]);
    }
    textHeight = GetGLScreenTextHeight(middle);
  }
  // 1. The number.
  if (numbers && perimeter >= count * textHeight) {
    double centre[3];
    facelet->GetPlacedCentroid(centre);
    std::snprintf(text, sizeof text, "%d", GetFaceletDisplayNumber(facelet));
    DrawGLScreenText(text, centre, kNetTextColour);
  }
  // 2. Edge texts, 3. corner angles.
  for (int i = 0; i < count && edgeData; ++i) {
    const Edge3D* e = &facelet->mEdges[i];
    const Edge3D* next = e->GetNextInLoop();
    const Edge3D* previous = e->GetPrevInLoop();
    if (!next || !previous) continue;
    const double length = EdgeLength(e);
    if (length < textHeight) continue;
    if (e->GetEdgeDataText(text, sizeof text)) {
      double middle[3];
      for (int k = 0; k < 3; ++k) middle[k] = 0.5 * (e->pos3D[k] + next->pos3D[k]);
      DrawGLScreenText(text, middle, kNetTextColour);
    }
    if ((edgeData & kEdgeDataFaceAngles) && EdgeLength(previous) >= textHeight) {
      const double into[2] = {e->unfolded[0] - previous->unfolded[0], e->unfolded[1] - previous->unfolded[1]};
      const double outOf[2] = {next->unfolded[0] - e->unfolded[0], next->unfolded[1] - e->unfolded[1]};
      GetUnitSettings().FormatAngle(text, GetCornerAngle(into, outOf), nullptr);
      double at[3];
      for (int k = 0; k < 3; ++k) {
        at[k] = e->pos3D[k] + kAngleTextPush * ((next->pos3D[k] - e->pos3D[k]) - (e->pos3D[k] - previous->pos3D[k]));
      }
      DrawGLScreenText(text, at, kNetTextColour);
    }
  }
  // 4. Edges, corners, sphere sections and stellation lines.
  const bool picksEdges = view->IsPicking() && GetNetDrawPane(view).PicksEdges();
  const bool cutMode = GetMouseSelectionMode(view->GetViewGroup()) == kMouseModeCutEdges;
  if (rest && (!GetModelDrawSettings().spheresAndCylinders || cutMode || picksEdges)) {
    DrawEdgesAndVertices(facelet, model, kFaceletDrawFolded, 1.0);
  }
  if (parts & kNetExtraLines) {
    DrawSphereSections(facelet, true, nullptr, false);
    DrawStellationLines(facelet, true, false);
  }
  // 5. The tabs of neighbours glued under this facelet: pushed farther back than the
  // faces are, so that the facelet hides them once the net is closed.
  if (rest && GetNetDrawSettings().showTabsOnFoldingNets) {
    for (int i = 0; i < count; ++i) {
      const NetTab* tab = FindTabGluedAt(&facelet->mEdges[i]);
      if (!tab) continue;
      if (!tab->outline.empty() && !GetNetDrawPane(view).IsFoldedTabPointShown(tab->outline.front().pos3D)) break;
      DrawGluedTab(*tab);
    }
  }
  glPopMatrix();
  SetLighting(view, lighting);
}

// ---- Sphere sections and stellation lines ------------------------------------------------------

namespace detail_FaceletDrawing {

// Where a point of the source face's own 2D frame goes: into the flat net, onto the
// folded net, or onto a printed page.
struct FaceletPlace {
  const Face3D* facelet = nullptr;
  bool folded = false;
  const NetPlacement* page = nullptr;
  Transform3D faceToWorld;
  Transform3D foldedTransform;

  void Map(const double* p, double* out) const {
    if (folded) {
      const double q[3] = {p[0], p[1], 0.0};
      double world[3];
      TransformPoint(faceToWorld, world, q);
      TransformPoint(foldedTransform, out, world);
      return;
    }
    double net[2];
    Transform2DPoint(facelet->mNetTransform, p, net);
    out[0] = net[0];
    out[1] = net[1];
    out[2] = 0.0;
    if (page) {
      int32_t pixel[2];
      page->ToPagePixel(net, false, pixel);
      out[0] = pixel[0];
      out[1] = pixel[1];
    }
  }
};

FaceletPlace MakePlace(const Face3D* facelet, bool folded, const NetPlacement* page) {
  FaceletPlace place;
  place.facelet = facelet;
  place.folded = folded;
  place.page = page;
  facelet->mSourceFace->GetFaceToWorld(place.faceToWorld, false);
  if (folded) facelet->CalcFoldedTransform(place.foldedTransform);
  return place;
}

// The arc of radius r about the centre (face frame) from the direction of `from` to
// that of `to`, counter-clockwise, in steps of a 120th of a turn: drawn as a strip, or
// kept as its segments.
void DrawPlacedArc(const FaceletPlace& place, const double* centre, double r, double from, double to,
                   KeptLines* kept) {
  if (to <= from) to += 2.0 * kPi;
  const int steps = std::max(1, static_cast<int>(std::ceil((to - from) / (2.0 * kPi) * kCircleSegments)));
  if (!kept) glBegin(GL_LINE_STRIP);
  double previous[3] = {0.0, 0.0, 0.0};
  for (int k = 0; k <= steps; ++k) {
    const double a = from + (to - from) * k / steps;
    const double p[2] = {centre[0] + r * std::cos(a), centre[1] + r * std::sin(a)};
    double q[3];
    place.Map(p, q);
    if (!kept) {
      glVertex3dv(q);
    } else if (k > 0) {
      kept->Add(previous, q);
    }
    for (int c = 0; c < 3; ++c) previous[c] = q[c];
  }
  if (!kept) glEnd();
}

void PrintPlacedArc(DeviceContext& dc, const FaceletPlace& place, const double* centre, int radiusTwips,
                    const double* from, const double* to) {
  double c[3], a[3], b[3];
  place.Map(centre, c);
  place.Map(from, a);
  place.Map(to, b);
  dc.Arc(RoundToDevice(c[0]), RoundToDevice(c[1]), radiusTwips, RoundToDevice(a[0]), RoundToDevice(a[1]),
         RoundToDevice(b[0]), RoundToDevice(b[1]));
}

// The sphere sections of the facelet: printed on the page, drawn, or kept.
void SphereSections(Face3D* facelet, bool folded, void* page, bool printing, KeptLines* kept) {
  const NetDrawSettings& settings = GetNetDrawSettings();
  if (!settings.showSphereSections || settings.referenceSpheres.empty() || !facelet->mSourceFace || !facelet->mType)
    return;
  PrintPage* printPage = printing ? GetCurrentPrintPage() : nullptr;
  if (printing && (!printPage || !page)) return;
  const UnitSettings& units = GetUnitSettings();
  const double d = VectorLength(facelet->mSourceFace->mCentre);
  Transform3D worldToFace;
  facelet->mSourceFace->GetWorldToFace(worldToFace, false);
  const FaceletPlace place = MakePlace(facelet, folded, printing ? static_cast<const NetPlacement*>(page) : nullptr);
  const double centre[2] = {0.0, 0.0};
  for (double sphere : settings.referenceSpheres) {
    const double R = units.mLengthScale > 0.0 ? sphere / units.mLengthScale : sphere;
    // A sphere that only touches the plane leaves no circle on it.
    if (d * d > R * R - kSphereSectionTolerance) continue;
    const double r = std::sqrt(R * R - d * d);
    for (int i = 0; i + 2 < facelet->mType->mNumIndices; i += 3) {
      double corners[9];
      facelet->GetTriangulationVertex(i, corners);
      double triangle[6];
      for (int c = 0; c < 3; ++c) {
        double q[3];
        TransformPoint(worldToFace, q, corners + 3 * c);
        triangle[2 * c] = q[0];
        triangle[2 * c + 1] = q[1];
      }
      // Counter-clockwise corners.
      if ((triangle[2] - triangle[0]) * (triangle[5] - triangle[1]) -
              (triangle[4] - triangle[0]) * (triangle[3] - triangle[1]) <
          0.0) {
        std::swap(triangle[2], triangle[4]);
        std::swap(triangle[3], triangle[5]);
      }
      // Only what lies inside the triangle: a circle wholly inside it comes back as one
      // arc that ends where it starts, drawn whole.
      double starts[6], ends[6];
      const int arcs = IntersectCircleTriangle2D(centre, r, triangle, starts, ends);
      for (int k = 0; k < arcs; ++k) {
        if (printPage) {
          PrintPlacedArc(printPage->GetDC(), place, centre, units.ModelToTwipsRounded(r), starts + 2 * k,
                         ends + 2 * k);
        } else {
          DrawPlacedArc(place, centre, r, std::atan2(starts[2 * k + 1], starts[2 * k]),
                        std::atan2(ends[2 * k + 1], ends[2 * k]), kept);
        }
      }
    }
  }
}

// The stellation lines of the facelet: printed on the page, drawn, or kept.
void StellationLines(Face3D* facelet, bool folded, bool printing, KeptLines* kept) {
  const NetDrawSettings& settings = GetNetDrawSettings();
  if (printing) {
    if (settings.printStellationLines == kPrintLinesNever) return;
    if (settings.printStellationLines == kPrintLinesAsOnScreen && !settings.showStellationLines) return;
  } else if (!settings.showStellationLines) {
    return;
  }
  if (facelet->GetNumEdges() == 0 || !facelet->mSourceFace) return;
  if (!facelet->mFacetLoop) {
    Model3D* model = facelet->GetModel();
    if (model && !(model->mFlags & kModelLineData)) TellAfterDrawing(ComputeFaceletLineData(model));
  }
  if (!facelet->mFacetLoop) return;
  OpenGLView* view = OpenGLView::GetCurrent();
  PrintPage* page = printing ? GetCurrentPrintPage() : nullptr;
  if (printing ? !page : (!view && !kept)) return;
  // The diagram's frame carried to where the facelet is drawn.
  const FaceletPlace place = MakePlace(facelet, folded, page ? page->GetNetPlacement() : nullptr);
  double frame[16] = {0.0};
  double origin[3], xEnd[3], yEnd[3];
  const double o[2] = {0.0, 0.0}, x[2] = {1.0, 0.0}, y[2] = {0.0, 1.0};
  place.Map(o, origin);
  place.Map(x, xEnd);
  place.Map(y, yEnd);
  for (int k = 0; k < 3; ++k) {
    frame[k] = xEnd[k] - origin[k];
    frame[4 + k] = yEnd[k] - origin[k];
    frame[12 + k] = origin[k];
  }
  frame[15] = 1.0;
  if (printing) {
    DeviceContext& dc = page->GetDC();
    dc.SetPen(PackRainbowColor(settings.stellationLineColour), 1);
    DrawInNet(facelet->mFacetLoop, &dc, frame, true);
  } else if (kept) {
    ForEachLineInNet(facelet->mFacetLoop, frame, [kept](const double* a, const double* b) { kept->Add(a, b); });
  } else {
    view->Materials().SetColorv(settings.stellationLineColour);
    DrawInNet(facelet->mFacetLoop, nullptr, frame, !folded);
  }
  facelet->mFacetLoop->ClearMarks();
}

}  // namespace detail_FaceletDrawing

namespace detail_FaceletDrawing {

// A pick passes the lines by: they are drawn unnamed, so they can be hit by no click,
// and a facelet's lines can be many.
bool InPick(bool printing) {
  const OpenGLView* view = printing ? nullptr : OpenGLView::GetCurrent();
  return view && view->IsPicking();
}

}  // namespace detail_FaceletDrawing

void DrawSphereSections(Face3D* facelet, bool folded, void* page, bool printing) {
  using namespace detail_FaceletDrawing;
  if (InPick(printing)) return;
  const NetDrawSettings& settings = GetNetDrawSettings();
  if (!printing && settings.showSphereSections && !settings.referenceSpheres.empty()) NoteFaceletLinesDrawnOneByOne();
  SphereSections(facelet, folded, page, printing, nullptr);
}

void DrawStellationLines(Face3D* facelet, bool folded, bool printing) {
  using namespace detail_FaceletDrawing;
  if (InPick(printing)) return;
  if (!printing && GetNetDrawSettings().showStellationLines) NoteFaceletLinesDrawnOneByOne();
  StellationLines(facelet, folded, printing, nullptr);
}

void KeptLines::Add(const double* a, const double* b) {
  for (const double* p : {a, b}) {
    for (int k = 0; k < dims; ++k) points.push_back(static_cast<float>(p[k]));
  }
}

void GatherSphereSections(Face3D* facelet, bool folded, KeptLines& kept) {
  detail_FaceletDrawing::SphereSections(facelet, folded, nullptr, false, &kept);
}

void GatherStellationLines(Face3D* facelet, bool folded, KeptLines& kept) {
  detail_FaceletDrawing::StellationLines(facelet, folded, false, &kept);
}


}  // namespace corvia
