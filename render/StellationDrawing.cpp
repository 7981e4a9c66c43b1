// Drawing of stellation diagrams: lines, points and facets in a face's plane or flat
// in the diagram pane, the facet edges on the model's faces, the facets picked on a
// face, symmetry marks and labels of the diagram pane, facets on a printed page, and
// the outlines of a facelet's segments in a net.

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "core/Messages.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSelection.h"
#include "render/GLText.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/ModelDrawing.h"
#include "render/NetDrawSettings.h"
#include "render/OpenGLView.h"
#include "render/OutcomeBoxes.h"
#include "render/Primitives.h"
#include "render/PrintPage.h"
#include "render/SelectionItems.h"
#include "render/StellationDrawing.h"
#include "render/SymmetryDrawing.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_StellationDrawing {

// Walks never run longer than this many steps on a broken ring.
constexpr int kMaxRingSteps = 100000;
// Labels just outside the end of their line.
constexpr double kLabelPush = 1.001;
constexpr uint16_t kAxisStipple = 0x3C3C;
constexpr uint16_t kMirrorStipple = 0xC3C3;
constexpr float kMirrorLineColour[3] = {0.7f, 1.0f, 0.7f};
constexpr double kMarkExtent = 1.05;
constexpr int kAxisDiscSegments = 24;
constexpr double kAxisDiscPixels = 5.0;

// Draw-state colours of the facets.
constexpr float kStateColours[4][3] = {{0.9f, 0.0f, 0.0f}, {0.8f, 0.8f, 0.0f}, {0.0f, 0.9f, 0.0f}, {0.0f, 0.0f, 0.9f}};

// The diagram whose records a type draws: its own, or its coplanar master's.
const FaceType* DiagramOwner(const FaceType* type) {
  return type && type->mCoplanarMaster ? type->mCoplanarMaster : type;
}

int Rotations(const FaceType* type) {
  return type && type->mNumRotations > 0 ? type->mNumRotations : 1;
}

// The end point of a corner's edge: where its twin (or the next corner) starts.
const StellationPoint* EdgeEnd(const SegVert* corner) {
  if (corner->mTwin && corner->mTwin->mPoint) return corner->mTwin->mPoint;
  return corner->mNext ? corner->mNext->mPoint : nullptr;
}

void FrameVertex(const double* frame, const StellationPoint* p) {
  double q[3];
  MapPointThroughFrame(q, frame, p->mX, p->mY);
  glVertex3dv(q);
}

// Calls visit with every corner of the segment's ring.
template <typename Visit>
void ForEachCorner(const StellationSegment* segment, Visit visit) {
  const SegVert* first = segment ? segment->mFirst : nullptr;
  const SegVert* corner = first;
  for (int steps = 0; corner && steps < kMaxRingSteps; ++steps) {
    visit(corner);
    corner = corner->mNext;
    if (corner == first) break;
  }
}

// Calls visit with each corner along the line from its first end.
template <typename Visit>
void ForEachCornerAlongLine(const StellationLine* line, Visit visit) {
  const SegVert* corner = line->mFirst;
  for (int steps = 0; corner && steps < kMaxRingSteps; ++steps) {
    visit(corner);
    corner = corner->GetNextAlongLine(line);
  }
}

// The face's frame (16 doubles, see FrameFromFace) scaled and moved: a diagram point
// goes to (frame point + offset) x scale.
void FrameOnFace(double* frame, const PolyElement* face, const double* offset, double scale) {
  FrameFromFace(frame, face);
  for (int k = 0; k < 3; ++k) frame[12 + k] += offset ? offset[k] : 0.0;
  if (scale == 1.0) return;
  for (int k = 0; k < 3; ++k) {
    frame[k] *= scale;
    frame[4 + k] *= scale;
    frame[12 + k] *= scale;
  }
}

// The face's frame scaled by the model's scale (left alone at exactly 1.0), then moved.
void FrameOnScaledFace(double* frame, const PolyElement* face, const double* offset, double scale) {
  FrameOnFace(frame, face, nullptr, scale);
  for (int k = 0; k < 3; ++k) frame[12 + k] += offset ? offset[k] : 0.0;
}

double ModelScale(const FaceType* type) {
  return type && type->mOwner ? type->mOwner->mDisplayScale : 1.0;
}

// The colour of a facet by the colouring mode; palette picks the wheel colour for
// modes 2 and 3, whose cursor runs over the facets of one drawing.
void FacetColour(const StellationFacet* facet, int mode, int& cursor, float* rgb) {
  switch (mode) {
    case 2:
      RainbowColor(cursor++, rgb);
      return;
    case 3: {
      const bool pairedSecond = DiagramOwner(facet->mOwner)->mFlags & kFaceTypeSelfMirror &&
                                (facet->mFlags & kFacetMirrorSecond) && cursor > 0;
      if (pairedSecond) {
        RainbowColor(cursor - 1, rgb);
      } else {
        RainbowColor(cursor++, rgb);
      }
      return;
    }
    case 4:
      RainbowColor(facet->mLayer, rgb);
      return;
    case 5: {
      const StellationCell* below = facet->mCellBelow;
      const int layer = below && below->mType ? below->mType->mIndex : -1;
      RainbowColor(layer, rgb);
      return;
    }
    default: {
      const float* c = kStateColours[facet->GetDrawState() & 3];
      rgb[0] = c[0];
      rgb[1] = c[1];
      rgb[2] = c[2];
    }
  }
}

// The colour of a facet on an original face, by the sides its region marks give.
void OriginalFacetColour(const StellationFacet* facet, float* rgb) {
  const bool top = facet->mFlags & kFacetRegionTop;
  const bool bottom = facet->mFlags & kFacetRegionBottom;
  float c[3] = {0.0f, 0.5f, 0.0f};
  if (top && bottom) {
    c[0] = 0.5f;
    c[1] = 0.0f;
  } else if (top) {
    c[1] = 0.0f;
  } else if (bottom) {
    c[0] = c[1] = c[2] = 0.3f;
  }
  rgb[0] = c[0];
  rgb[1] = c[1];
  rgb[2] = c[2];
}

// A diagram point, and the 2D frame of a face type's diagram pane: the
// representative face's own frame.
void ToFace2D(const PolyElement* face, const double* p, double* out) {
  double d[3];
  Subtract(d, p, face->mCentre);
  out[0] = Dot(d, face->mXAxis);
  out[1] = Dot(d, face->mYAxis);
}

// Line width and stipple brackets of the diagram pane's marks.
class StippledLines {
 public:
  StippledLines(OpenGLView* view, uint16_t pattern, float width) : mView(view) {
    glGetFloatv(GL_LINE_WIDTH, &mWidth);
    glLineWidth(width);
    mView->Materials().SetLineStipple(pattern);
  }
  ~StippledLines() {
    mView->Materials().SetLineStipple(0);
    glLineWidth(mWidth);
  }
  StippledLines(const StippledLines&) = delete;
  StippledLines& operator=(const StippledLines&) = delete;

 private:
  OpenGLView* mView;
  float mWidth = 1.0f;
};

// Labels of the diagram are white.
void DrawLabelAt(const double* frame, double x, double y, const char* text) {
  static const float kWhite[3] = {1.0f, 1.0f, 1.0f};
  double p[3];
  MapPointThroughFrame(p, frame, x, y);
  DrawGLScreenText(text, p, kWhite);
}

}  // namespace detail_StellationDrawing

const float* GetFacetStateColour(int state) { return detail_StellationDrawing::kStateColours[state & 3]; }

// ---- Facets ---------------------------------------------------------------------------------

void Draw(const StellationFacet* facet, const double* frame) {
  using namespace detail_StellationDrawing;
  if (!facet || !frame) return;
  const int rotations = Rotations(facet->mOwner);
  for (int k = 0; k < rotations; ++k) {
    const StellationSegment* segment = facet->GetSegment(k);
    if (!segment) continue;
    glBegin(GL_POLYGON);
    ForEachCorner(segment, [&](const SegVert* c) {
      if (c->mPoint) FrameVertex(frame, c->mPoint);
    });
    glEnd();
  }
}

void Print(const StellationFacet* facet, const double* transform) {
  using namespace detail_StellationDrawing;
  if (!facet || !transform) return;
  PrintPage* page = GetCurrentPrintPage();
  if (!page) {
    ShowInternalError("StellationFacet::Print: No page is being printed");
    return;
  }
  const int rotations = Rotations(facet->mOwner);
  std::vector<double> xy;
  for (int k = 0; k < rotations; ++k) {
    const StellationSegment* segment = facet->GetSegment(k);
    if (!segment) continue;
    xy.clear();
    ForEachCorner(segment, [&](const SegVert* c) {
      if (!c->mPoint) return;
      const double x = c->mPoint->mX;
      const double y = c->mPoint->mY;
      xy.push_back(transform[0] * x + transform[2] * y + transform[4]);
      xy.push_back(transform[1] * x + transform[3] * y + transform[5]);
    });
    page->PrintPolygon(xy.data(), static_cast<int>(xy.size() / 2));
  }
}

void DrawDiagramFacets(const FaceType* type, const double* frame, bool faded) {
  using namespace detail_StellationDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  const FaceType* owner = DiagramOwner(type);
  if (!view || !owner || !frame) return;
  const NetDrawSettings& settings = GetNetDrawSettings();
  const bool picking = view->IsPicking();
  const int mode = StellationColorScheme;
  float last[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
  if (settings.highlightColour && !faded) {
    view->Materials().SetMaterialColorRGB(1.0f, 1.0f, 1.0f);
    last[0] = last[1] = last[2] = last[3] = 1.0f;
  }
  int cursor = 0;
  int running = 0;
  for (const StellationFacet* f = owner->mAllFacets; f; f = f->mNext, ++running) {
    const int state = f->GetDrawState();
    const bool onSurface = state == kFacetStateOutside || state == kFacetStateInside;
    // Mode 1 shows the facets inside the stellation only to the pick.
    if (mode == 1 && !onSurface && !picking) continue;
    float c[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    FacetColour(f, mode, cursor, c);
    if (settings.showOriginalFacets && (f->mFlags & kFacetOriginal)) {
      OriginalFacetColour(f, c);
      c[3] = settings.fadeFactor;
    }
    if (faded && !onSurface) {
      for (int k = 0; k < 3; ++k) c[k] += (0.5f - c[k]) * settings.fadeFactor;
    }
    if (!faded)
      view->Materials().SetTransparencyMode(onSurface ? kTransparencyOpaque : settings.hiddenFacetTransparency);
    if (c[0] != last[0] || c[1] != last[1] || c[2] != last[2] || c[3] != last[3]) {
      view->Materials().SetMaterialColorAlphav(c, c[3]);
      for (int k = 0; k < 4; ++k) last[k] = c[k];
    }
    if (picking) SetGLSelectionItem(kSelectStellationFacet, running);
    Draw(f, frame);
  }
  if (picking) view->ClearGLSelectionItem();
  view->Materials().SetTransparencyMode(kTransparencyOpaque);
}

// ---- Lines and points ------------------------------------------------------------------------

void DrawDiagramLines(const FaceType* type, const double* frame, bool pickOnly) {
  using namespace detail_StellationDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  const FaceType* owner = DiagramOwner(type);
  if (!view || !owner || !frame) return;
  const bool picking = view->IsPicking();
  // Only the pick pass can answer whether a line is hit.
  if (pickOnly && !picking) return;
  const StellationLine* hit =
      GetNetDrawSettings().highlightLines && !pickOnly ? GetNetDrawPane(view).GetHighlightedLine() : nullptr;
  int index = 0;
  for (const StellationLine* line = owner->mLineEqns; line; line = line->mNext, ++index) {
    if (!line->mFirst || !line->mLast) continue;
    if (picking) SetGLSelectionItem(kSelectStellationLine, index);
    glBegin(GL_LINE_STRIP);
    const StellationPoint* end = nullptr;
    ForEachCornerAlongLine(line, [&](const SegVert* c) {
      if (c->mPoint) FrameVertex(frame, c->mPoint);
      end = EdgeEnd(c);
    });
    if (end) FrameVertex(frame, end);
    glEnd();
    if (line != hit) continue;
    float width = 1.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    glLineWidth(4.0f * GetDrawLineWidth(view->GetViewGroup()));
    glBegin(GL_LINES);
    ForEachCornerAlongLine(line, [&](const SegVert* c) {
      const StellationPoint* to = EdgeEnd(c);
      if (!(c->mFlags & kSegVertOriginalEdge) || !c->mPoint || !to) return;
      FrameVertex(frame, c->mPoint);
      FrameVertex(frame, to);
    });
    glEnd();
    glLineWidth(width);
  }
  if (picking) view->ClearGLSelectionItem();
}

void DrawFacetEdges(const FaceType* type, const double* frame, bool (*inside)(const StellationFacet*),
                    bool outlineOnly) {
  using namespace detail_StellationDrawing;
  if (!type || !frame || !inside) return;
  glBegin(GL_LINES);
  for (const StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
    if (!inside(f)) continue;
    const int rotations = Rotations(f->mOwner);
    for (int k = 0; k < rotations; ++k) {
      ForEachCorner(f->GetSegment(k), [&](const SegVert* c) {
        const StellationPoint* end = c->mNext ? c->mNext->mPoint : nullptr;
        if (!c->mPoint || !end) return;
        const StellationFacet* other = c->mTwin ? c->mTwin->GetFacet() : nullptr;
        const bool otherInside = other && inside(other);
        // An edge between two facets taken is drawn from one side only.
        if (otherInside && (outlineOnly || other < f)) return;
        FrameVertex(frame, c->mPoint);
        FrameVertex(frame, end);
      });
    }
  }
  glEnd();
  CheckGLError("DrawFacetEdges");
}

void DrawDiagramInPlane(const FaceType* type, const double* frame, bool faded) {
  using namespace detail_StellationDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  const FaceType* owner = DiagramOwner(type);
  if (!view || !owner || !frame) return;
  const uint32_t flags = GetDiagramFlags(view);
  if (flags & kDiagramShowPoints) {
    float size = 1.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    glPointSize(GetDrawPointSize(view->GetViewGroup()) * GetModelDrawSettings().pointSizeFactor);
    const bool picking = view->IsPicking();
    int index = 0;
    for (const StellationPoint* list : {owner->mOuterPoints, owner->mInnerPoints}) {
      for (const StellationPoint* p = list; p; p = p->mNext, ++index) {
        if (picking) SetGLSelectionItem(kSelectDiagramPoint, index);
        glBegin(GL_POINTS);
        FrameVertex(frame, p);
        glEnd();
      }
    }
    if (picking) view->ClearGLSelectionItem();
    glPointSize(size);
  }
  if (flags == kDiagramShowPoints) return;
  DrawDiagramFacets(type, frame, faded);
  glFlush();
  view->Materials().SetMaterialColorRGB(1.0f, 1.0f, 1.0f);
  DrawDiagramLines(type, frame, false);
}

// ---- On the model's faces ---------------------------------------------------------------------

bool SetUpFacetEdges(FaceType* type) {
  if (!type || !type->mBlock) return false;
  if (!type->mBlock->IsStellated() && type->mOwner) TellAfterDrawing(Stellate(type->mOwner, type->mBlock, false));
  return type->mBlock->IsStellated();
}

void DrawFacetEdgesOnFace(FaceType* type, PolyElement* face, const double* offset, double scale) {
  using namespace detail_StellationDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !face || !GetModelDrawSettings().showCellLines || !SetUpFacetEdges(type)) return;
  MarkAllUsedSegVerts(type->mBlock);
  const FaceType* owner = DiagramOwner(type);
  double frame[16];
  FrameOnFace(frame, face, offset, scale);
  const bool suspended = view->Materials().SuspendRainbowLights(true);
  view->Materials().SetMaterialColor(GetNetDrawSettings().stellationLineColour);
  const int rotations = Rotations(owner);
  glBegin(GL_LINES);
  for (const StellationFacet* f = owner->mVisibleFacets; f; f = f->mNextVisible) {
    for (int k = 0; k < rotations; ++k) {
      ForEachCorner(f->GetSegment(k), [&](const SegVert* c) {
        const StellationPoint* to = EdgeEnd(c);
        if ((c->mFlags & kSegVertUsed) || !c->mPoint || !to) return;
        // An edge between two visible segments is drawn from one side only.
        const StellationSegment* across = c->mTwin ? c->mTwin->mSegment : nullptr;
        if (across && across->mFacet && across->mFacet->IsVisible() && c->mTwin < c) return;
        FrameVertex(frame, c->mPoint);
        FrameVertex(frame, to);
      });
    }
  }
  glEnd();
  if (suspended) view->Materials().ResumeRainbowLights(true);
}

void DrawDiagramOnFace(FaceType* type, PolyElement* face, const double* offset) {
  using namespace detail_StellationDrawing;
  if (!face) return;
  double frame[16];
  FrameOnFace(frame, face, offset, 1.0);
  DrawDiagramInPlane(type, frame, false);
}

void DrawFacetsForSelection(FaceType* type, PolyElement* face, const double* offset) {
  using namespace detail_StellationDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !face || type->mCoplanarMaster) return;
  const double scale = ModelScale(type);
  double frame[16];
  FrameOnScaledFace(frame, face, offset, scale);
  double centre[3], normal[3];
  for (int k = 0; k < 3; ++k) centre[k] = face->mCentre[k] * scale + (offset ? offset[k] : 0.0);
  face->GetNormal(normal);
  const bool facesViewer = view->IsFrontFacing(centre, normal, true);
  for (const StellationFacet* f = type->mVisibleFacets; f; f = f->mNextVisible) {
    const bool down = (f->mFlags & kFacetFacesDown) != 0;
    if ((f->mFlags & kFacetBothSides) || (!down && facesViewer) || (down && !facesViewer)) Draw(f, frame);
  }
}

void DrawSelectedCell(Poly* poly, ElementList* faces, FaceTypeBlock* block, double morph) {
  using namespace detail_StellationDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  const StellationCell* cell = block ? block->mSelectedCell : nullptr;
  if (!view || !poly || !faces || !cell || !block->IsStellated() || view->IsPicking()) return;
  ModelDrawPane& pane = GetModelDrawPane(view);
  const NetDrawSettings& settings = GetNetDrawSettings();
  const int before = view->Materials().GetTransparencyMode();
  pane.PushTransparency(settings.selectedTransparency);
  const bool lighting = SetLighting(view, false);
  static const float kWhite[3] = {1.0f, 1.0f, 1.0f};
  view->Materials().SetMaterialColorAlphav(kWhite, settings.selectedAlpha);
  glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT | GL_LINE_BIT);
  glDisable(GL_CULL_FACE);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glDepthMask(GL_FALSE);
  const double display = poly->mDisplayScale;
  glPushMatrix();
  if (display != 1.0) glScaled(display, display, display);
  auto drawCopies = [&] {
    for (PolyElement* face = faces->mHead; face; face = face->mNext) {
      if (!face->mType || face->mType->mBlock != block) continue;
      const FaceType* owner = DiagramOwner(face->mType);
      double offset[3], frame[16];
      GetMorphOffset(face, morph, offset);
      FrameOnFace(frame, face, offset, 1.0);
      for (const StellationFacet* f : cell->mFacets) {
        if (f && DiagramOwner(f->mOwner) == owner) Draw(f, frame);
      }
    }
  };
  // The facets in sight are filled over the model's own; then the outlines of all of
  // them show through, dashed, so a cell inside the stellation is found too.
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  drawCopies();
  glDisable(GL_DEPTH_TEST);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  view->Materials().SetLineStipple(0x5555);
  drawCopies();
  view->Materials().SetLineStipple(0);
  glPopMatrix();
  glPopAttrib();
  SetLighting(view, lighting);
  pane.PopTransparency(before);
  CheckGLError("DrawSelectedCell");
}

// ---- Marks of the diagram pane ----------------------------------------------------------------

void DrawSymmetryAxes2D(FaceType* type, OpenGLView* view) {
  using namespace detail_StellationDrawing;
  const PolyElement* face = type->GetFirstPlaneFace();
  const SymGroup* group = type->mOwner ? type->mOwner->mSymGroup : nullptr;
  if (!view || !face || !group || !group->axisTypes) return;
  double normal[3];
  CopyVector(normal, face->mZAxis);
  const double d = Dot(face->mCentre, normal);
  const bool hemi = std::fabs(d) <= kPointTolerance;
  const double pixels = view->Mapping2D().UnitsToPixelsX(1.0);
  const double discRadius = pixels > 0.0 ? kAxisDiscPixels / pixels : 0.0;
  const double reach = kMarkExtent * DiagramOwner(type)->mDiagramRadius;
  for (int t = 0; t < group->numAxisTypes; ++t) {
    const SymAxisType& axisType = group->axisTypes[t];
    if (!axisType.axes) continue;
    SetSymmetryAxisColor(t);
    for (int i = 0; i < axisType.numAxes; ++i) {
      const double* direction = axisType.axes[i].direction;
      const double along = Dot(direction, normal);
      if (!hemi) {
        if (std::fabs(along) <= kPointTolerance) continue;
        double pierce[3], at[2];
        Scale(pierce, direction, d / along);
        ToFace2D(face, pierce, at);
        DrawCircle2D(at, discRadius, kAxisDiscSegments, true);
      } else if (std::fabs(along) <= kPointTolerance) {
        StippledLines lines(view, kAxisStipple, 3.0f * GetDrawLineWidth(view->GetViewGroup()));
        const double u[2] = {Dot(direction, face->mXAxis), Dot(direction, face->mYAxis)};
        glBegin(GL_LINES);
        glVertex2d(-reach * u[0], -reach * u[1]);
        glVertex2d(reach * u[0], reach * u[1]);
        glEnd();
      }
    }
  }
}

void DrawMirrorLines2D(FaceType* type, OpenGLView* view) {
  using namespace detail_StellationDrawing;
  const PolyElement* face = type->GetFirstPlaneFace();
  const SymGroup* group = type->mOwner ? type->mOwner->mSymGroup : nullptr;
  if (!view || !face || !group || group->mirrorPlanes.count <= 0) return;
  const double reach = kMarkExtent * DiagramOwner(type)->mDiagramRadius;
  view->Materials().SetColorv(kMirrorLineColour);
  StippledLines lines(view, kMirrorStipple, 3.0f * GetDrawLineWidth(view->GetViewGroup()));
  glBegin(GL_LINES);
  for (int i = 0; i < group->mirrorPlanes.count; ++i) {
    const double* m = group->mirrorPlanes.items[i].direction;
    // The plane's trace in the face's frame: a x + b y + c = 0.
    const double a = Dot(face->mXAxis, m);
    const double b = Dot(face->mYAxis, m);
    const double c = Dot(face->mCentre, m);
    const double length = std::sqrt(a * a + b * b);
    if (length <= kPointTolerance) continue;
    const double foot[2] = {-c * a / (length * length), -c * b / (length * length)};
    const double u[2] = {-b / length, a / length};
    glVertex2d(foot[0] - reach * u[0], foot[1] - reach * u[1]);
    glVertex2d(foot[0] + reach * u[0], foot[1] + reach * u[1]);
  }
  glEnd();
}

// ---- Labels ----------------------------------------------------------------------------------

void DrawLineLabels(const FaceType* type, const double* frame) {
  using namespace detail_StellationDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  const FaceType* owner = DiagramOwner(type);
  if (!view || !owner || !frame) return;
  const int scale = view->Text().GetFontScale();
  view->Text().SetFontScale(2);
  char text[16];
  int index = 0;
  for (const StellationLine* line = owner->mLineEqns; line; line = line->mNext, ++index) {
    if (!line->mLast || !line->mLast->mPoint) continue;
    std::snprintf(text, sizeof text, "%d", index);
    const StellationPoint* end = line->mLast->mPoint;
    DrawLabelAt(frame, end->mX * kLabelPush, end->mY * kLabelPush, text);
  }
  view->Text().SetFontScale(scale);
}

namespace detail_StellationDrawing {

// The label of each record the kind names, with the diagram point it stands at.
template <typename Emit>
void ForEachLabel(const FaceType* owner, int kind, Emit emit) {
  char text[kStellationNameSize];
  const int number = FaceType::GetNumber(owner);
  switch (kind) {
    case kDiagramLabelPoints:
      for (const StellationPoint* p = owner->mInnerPoints; p; p = p->mNext) {
        std::snprintf(text, sizeof text, "%.3f,%.3f", p->mX, p->mY);
        emit(p->mX, p->mY, text);
      }
      return;
    case kDiagramLabelCorners:
      for (const StellationSegment* s = owner->mFirstSegment; s; s = s->mNext) {
        double centre[3];
        s->GetCentroid(centre);
        ForEachCorner(s, [&](const SegVert* c) {
          if (!c->mPoint) return;
          const int i = c->GetIndexInSegment();
          if (i >= 0) {
            std::snprintf(text, sizeof text, "%d-%d", number, i);
          } else {
            std::snprintf(text, sizeof text, "%d-0x%x", number, static_cast<unsigned>(c->mFlags));
          }
          // A little inside the segment, so that the corners at one point part.
          emit(0.8 * c->mPoint->mX + 0.2 * centre[0], 0.8 * c->mPoint->mY + 0.2 * centre[1], text);
        });
      }
      return;
    case kDiagramLabelSegments: {
      int i = 0;
      for (const StellationSegment* s = owner->mFirstSegment; s; s = s->mNext, ++i) {
        double centre[3];
        s->GetCentroid(centre);
        std::snprintf(text, sizeof text, "%d", i);
        emit(centre[0], centre[1], text);
      }
      return;
    }
    case kDiagramLabelFacets:
      for (const StellationFacet* f = owner->mAllFacets; f; f = f->mNext) {
        const StellationSegment* s = f->GetSegment(0);
        if (!s) continue;
        double centre[3];
        s->GetCentroid(centre);
        if (f->mNumber >= 0) {
          std::snprintf(text, sizeof text, "%d", f->mNumber);
        } else {
          std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(f->mFlags));
        }
        emit(centre[0], centre[1], text);
      }
      return;
    default:
      return;
  }
}

}  // namespace detail_StellationDrawing

void DrawDiagramLabels(const FaceType* type, const double* frame, int kind) {
  using namespace detail_StellationDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  const FaceType* owner = DiagramOwner(type);
  if (!view || !owner || !frame) return;
  ForEachLabel(owner, kind, [&](double x, double y, const char* text) { DrawLabelAt(frame, x, y, text); });
}

void DrawLabelsOnFace(FaceType* type, PolyElement* face) {
  using namespace detail_StellationDrawing;
  if (!face) return;
  double frame[16];
  FrameOnFace(frame, face, nullptr, 1.0);
  DrawLineLabels(type, frame);
  DrawDiagramLabels(type, frame, kDiagramLabelPoints);
}

void PrintDiagramLabels(FaceType* type, void* deviceContext) {
  using namespace detail_StellationDrawing;
  auto* dc = static_cast<DeviceContext*>(deviceContext);
  PrintPage* page = GetCurrentPrintPage();
  if (!dc) return;
  if (!page) {
    ShowInternalError("FaceType::PrintDiagramLabels: No page is being printed");
    return;
  }
  const double* m = page->GetDiagramTransform();
  ForEachLabel(DiagramOwner(type), kDiagramLabelPoints, [&](double x, double y, const char* text) {
    dc->TextOut(RoundToDevice(m[0] * x + m[2] * y + m[4]), RoundToDevice(m[1] * x + m[3] * y + m[5]), text);
  });
}

// ---- Outlines in nets ----------------------------------------------------------------------------

void DrawInNet(StellationSegment* first, void* deviceContext, const double* frame, bool twoD) {
  auto* dc = static_cast<DeviceContext*>(deviceContext);
  if (!frame) return;
  if (!dc) glBegin(GL_LINES);
  ForEachLineInNet(first, frame, [&](const double* a, const double* b) {
    if (dc) {
      dc->MoveTo(RoundToDevice(a[0]), RoundToDevice(a[1]));
      dc->LineTo(RoundToDevice(b[0]), RoundToDevice(b[1]));
    } else if (twoD) {
      glVertex2d(a[0], a[1]);
      glVertex2d(b[0], b[1]);
    } else {
      glVertex3dv(a);
      glVertex3dv(b);
    }
  });
  if (!dc) glEnd();
}

void ForEachLineInNet(StellationSegment* first, const double* frame,
                      const std::function<void(const double*, const double*)>& visit) {
  using namespace detail_StellationDrawing;
  if (!frame) return;
  std::vector<StellationSegment*> stack = {first};
  first->mMarks |= kSegmentMarked;
  while (!stack.empty()) {
    StellationSegment* segment = stack.back();
    stack.pop_back();
    ForEachCorner(segment, [&](const SegVert* c) {
      const StellationPoint* to = EdgeEnd(c);
      StellationSegment* across = c->mTwin ? c->mTwin->mSegment : nullptr;
      // Joined across an edge that is no edge of the stellation: the same facelet,
      // and the line between them is drawn from one side.
      if (across && !(c->mFlags & kSegVertUsed)) {
        if (!(across->mMarks & kSegmentMarked)) {
          across->mMarks |= kSegmentMarked;
          stack.push_back(across);
        }
        if (c->mTwin < c) return;
      }
      if (!c->mPoint || !to) return;
      double a[3], b[3];
      MapPointThroughFrame(a, frame, c->mPoint->mX, c->mPoint->mY);
      MapPointThroughFrame(b, frame, to->mX, to->mY);
      visit(a, b);
    });
  }
}

}  // namespace corvia
