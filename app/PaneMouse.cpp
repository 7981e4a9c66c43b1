// Clicks in the panes: a press and release of the left button without a drag picks
// what lies under the pointer and acts by the mouse selection mode (select, identify,
// cut net edges, measure on the model, draw facets by hand, hide faces, pick the face of an
// image).
// Drags stay the camera's, except that in Cross-section Tumble Mode the left button turns
// the model under the slicing plane, and that Ctrl with the left button drives the value a
// pane shows: the dual-morph ratio, the folding amount, the cross-section depth (Ctrl with
// a right click sets it half-way).
// Also the cursors, the mouse help and the status help of the modes.

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/PaneModeCommands.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "construction/Augmentation.h"
#include "core/DrawnPolygon.h"
#include "core/Geometry.h"
#include "core/Messages.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/CrossSection.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Measurement.h"
#include "model/PointPicker.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/NetSettings.h"
#include "platform/Services.h"
#include "render/GLSelection.h"
#include "render/OutcomeBoxes.h"
#include "render/SelectionItems.h"
#include "render/ViewGroup.h"
#include "render/ViewWindow.h"
#include "stellation/FacetPreview.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"

namespace corvia {

namespace detail_PaneMouse {

// A release within this many pixels of its press is a click, not a drag.
constexpr int kClickSlop = 3;
// A corner this near the pointer (pixels) is the vertex a facet or measuring click means.
constexpr double kCornerReach = 12.0;
// A vertex or an edge counts as in front when it lies no deeper than the face under
// the pointer by this share of the depth range that the pick met.
constexpr double kFrontShare = 0.125;

// The press being watched for a click, or driving the slicing plane's tumble.
struct PressState {
  bool candidate = false;
  bool section = false;
  // The press drives the augmentation preview of the pane (left: height, right:
  // explosion).
  int augment = 0;
  // The shared drag object that the press drives (Ctrl+left drag), or null.
  MouseThrow* value = nullptr;
  // A Ctrl+right press that set the pane's value half-way.
  bool halfWay = false;
  int x = 0;
  int y = 0;
};
PressState gPress;

// The shared drag object whose value a Ctrl+left drag in a pane of this type changes:
// the dual-morph ratio in morph panes, the folding amount in the Folding Net, the depth
// of the cut in the Cross-Section pane. Null for every other type.
MouseThrow* ValueThrowOf(ViewType type) {
  if (type == kNoViewType) return nullptr;
  if (type & kViewFlagMorph) return GetSharedThrow(kThrowKindDualMorph);
  if (type == kViewFoldingNet) return GetSharedThrow(kThrowKindFoldingNet);
  if (type == kViewCrossSection) return GetSharedThrow(kThrowKindSection);
  return nullptr;
}

// Ctrl with a right click: the value the pane's drag changes goes half-way.
bool SetValueHalfWay(ViewType type) {
  MouseThrow* drag = ValueThrowOf(type);
  if (!drag) return false;
  drag->Deactivate();
  if (type & kViewFlagMorph) {
    SetDualMorphRatio(0.5, true);
  } else if (type == kViewFoldingNet) {
    GetNetSettings().foldFraction = 0.5;
  } else {
    SliceDepth() = 0.5;
    if (Poly* poly = GetCurrentPoly()) poly->InvalidateCrossSection();
  }
  drag->Redraw();
  return true;
}

// Per pixel of drag, the change of the previewed height and explosion, in parts of the
// height the added solid was made with.
constexpr double kAugmentDragRate = 0.01;
// The height a drag leaves at least, in the same parts (the solid never turns inside out).
constexpr double kAugmentLeastHeight = 0.05;

// The augmentation whose preview the pane shows; null when none.
Augmentation* PreviewOf(const CPolyView* pane) {
  Poly* poly = GetCurrentPoly();
  Augmentation* augmentation = poly ? poly->mAugmentation.get() : nullptr;
  return augmentation && augmentation->mView == pane ? augmentation : nullptr;
}

// A vertical drag of dy pixels (up positive) on the preview: the left button raises or
// lowers the added solid, the right one moves it out along the face's normal or back.
void DragPreview(Augmentation* augmentation, int button, int dy) {
  const double made = std::fabs(augmentation->mMadeHeight) > 0.0 ? std::fabs(augmentation->mMadeHeight) : 1.0;
  const double step = kAugmentDragRate * made * dy;
  if (button == kMouseButtonLeft) {
    const double sign = augmentation->mHeight < 0.0 ? -1.0 : 1.0;
    const double height = std::max(std::fabs(augmentation->mHeight) + step, kAugmentLeastHeight * made);
    augmentation->mHeight = sign * height;
  } else {
    augmentation->mExplode = std::max(0.0, augmentation->mExplode + step);
  }
}

bool IsFaceKind(int kind) {
  return kind == kSelectFace || kind == kSelectVertexAsFace || kind == kSelectFacelet ||
         kind == kSelectStellationFacet || kind == kSelectStellationCell || kind == kSelectSimplePolyFace;
}
bool IsPointKind(int kind) {
  return kind == kSelectBaseVertex || kind == kSelectDualVertex || kind == kSelectVertex ||
         kind == kSelectDiagramPoint || kind == kSelectSimplePolyVertex;
}
bool IsLineKind(int kind) {
  return kind == kSelectBaseEdge || kind == kSelectDualEdge || kind == kSelectEdge || kind == kSelectStellationLine;
}

PaneHit HitOf(const GLHit& hit) { return PaneHit{GetHitItemType(hit), GetHitIndex(hit)}; }

// The element of the model that a hit names, and whether it is picked as a vertex.
PolyElement* ElementOf(Poly* poly, const PaneHit& hit, bool& asVertex) {
  asVertex = hit.kind == kSelectBaseVertex || hit.kind == kSelectDualVertex;
  switch (hit.kind) {
    case kSelectFace:
    case kSelectDualVertex:
      return poly->GetFace(hit.index);
    case kSelectVertexAsFace:
    case kSelectBaseVertex:
      return poly->GetVertex(hit.index);
    default:
      return nullptr;
  }
}

Edge* EdgeOf(Poly* poly, const PaneHit& hit) {
  if (hit.kind != kSelectBaseEdge && hit.kind != kSelectDualEdge) return nullptr;
  return poly->GetEdge(hit.index);
}

// The edgelet of the facet model with the running number (Edge3D::GetNumber).
Edge3D* FindEdgelet(Model3D* model, int number) {
  return model ? model->GetEdge(number) : nullptr;
}

void SetStatus(const std::string& text) { platform::Services().views->SetStatusText(text); }

// The facet model of the side a pane of the type shows (null, told, when it has none).
Model3D* ShownModel3D(const PaneViewType& type) {
  return GetModel3DOrTell(GetPaneShownBlock(type, GetCurrentPoly(), false), false);
}

int TypeNumber(const PolyElement* element) { return FaceType::GetNumber(element->mType); }

// What the identification mode says of an item.
std::string DescribeHit(const PaneViewType& type, Poly* poly, const PaneHit& hit) {
  char text[160];
  bool asVertex = false;
  if (PolyElement* element = ElementOf(poly, hit, asVertex)) {
    const bool dual = hit.kind == kSelectVertexAsFace || hit.kind == kSelectDualVertex;
    std::snprintf(text, sizeof text, "%s %s %d (type %d)", dual ? "Dual" : "Base", asVertex ? "vertex" : "face",
                  element->GetNumber(), TypeNumber(element));
    return text;
  }
  if (Edge* edge = EdgeOf(poly, hit)) {
    const bool dual = hit.kind == kSelectDualEdge;
    std::snprintf(text, sizeof text, "%s edge %d (type %d), length %g", dual ? "Dual" : "Base",
                  Edge::GetNumber(edge, poly), EdgeType::GetNumber(poly->GetEdgeType(edge->mEdgeType), poly),
                  edge->GetLength(dual) * GetUnitSettings().mLengthScale);
    return text;
  }
  if (hit.kind == kSelectEdge) {
    if (Edge3D* edgelet = FindEdgelet(ShownModel3D(type), hit.index)) return "Edge " + GetEdgeName(edgelet);
  }
  if (hit.kind == kSelectFacelet) {
    std::snprintf(text, sizeof text, "Facelet %d", hit.index + 1);
    return text;
  }
  return "Nothing there";
}

// The model point under the pointer on the item: a vertex itself, the point of an edge
// nearest the pick ray, the ray's crossing of a face's plane.
bool PointOnItem(const OpenGLView& view, Poly* poly, const PaneHit& hit, int x, int y, double* out) {
  double origin[3], direction[3];
  view.GetPickRay(origin, direction, x, y);
  const double scale = poly->mDisplayScale != 0.0 ? poly->mDisplayScale : 1.0;
  for (double& c : origin) c /= scale;
  bool asVertex = false;
  if (PolyElement* element = ElementOf(poly, hit, asVertex)) {
    if (asVertex) {
      CopyVector(out, element->mDualVert);
      return true;
    }
    const double facing = Dot(element->mZAxis, direction);
    if (std::fabs(facing) < kPointTolerance) return false;
    double toPlane[3];
    Subtract(toPlane, element->mCentre, origin);
    const double t = Dot(element->mZAxis, toPlane) / facing;
    for (int k = 0; k < 3; ++k) out[k] = origin[k] + t * direction[k];
    return true;
  }
  if (Edge* edge = EdgeOf(poly, hit)) {
    const bool dual = hit.kind == kSelectDualEdge;
    const PolyElement* a = edge->GetVert(dual, 0);
    const PolyElement* b = edge->GetVert(dual, 1);
    if (!a || !b) return false;
    double far[3], onEdge[3], onRay[3], params[2] = {0.0, 0.0};
    Add(far, origin, direction);
    ClosestPointsOfLines3D(onEdge, onRay, params, a->mDualVert, b->mDualVert, origin, far, kPointTolerance);
    const double t = std::clamp(params[0], 0.0, 1.0);
    for (int k = 0; k < 3; ++k) out[k] = a->mDualVert[k] + t * (b->mDualVert[k] - a->mDualVert[k]);
    return true;
  }
  return false;
}

// The vertex of the shown side that a faceting or measuring click means: the picked
// vertex, or the corner of the picked face (or end of the picked edge) nearest the
// pointer, when it lies near enough.
PolyElement* FacetingVertex(OpenGLView& view, Poly* poly, const PaneHit& hit, int x, int y) {
  bool asVertex = false;
  PolyElement* element = ElementOf(poly, hit, asVertex);
  if (element && asVertex) return element;
  // The corners of the face hit, or the ends of the edge hit.
  std::vector<PolyElement*> corners;
  if (element) {
    for (int i = 0; i < element->mNumSides; ++i) corners.push_back(element->GetCorner(i));
  } else if (Edge* edge = EdgeOf(poly, hit)) {
    const bool dual = hit.kind == kSelectDualEdge;
    corners = {edge->GetVert(dual, 0), edge->GetVert(dual, 1)};
  }
  PolyElement* best = nullptr;
  double bestDistance = kCornerReach;
  const double scale = poly->mDisplayScale;
  for (PolyElement* corner : corners) {
    if (!corner) continue;
    double p[3], window[3];
    Scale(p, corner->mDualVert, scale);
    view.ApplyViewTransform(window, p);
    const double distance = std::hypot(window[0] - x, window[1] - y);
    if (distance <= bestDistance) {
      bestDistance = distance;
      best = corner;
    }
  }
  return best;
}

// The stellation cell a hit names: a box of the cell diagram, or a facelet of a
// stellation (the cell that the facet it was cut from bounds); null for other hits.
StellationCell* CellOf(const PaneViewType& type, const PaneHit& hit) {
  FaceTypeBlock* block = GetPaneShownBlock(type, GetCurrentPoly(), false);
  if (!block || !block->IsStellated()) return nullptr;
  if (hit.kind == kSelectStellationCell && type.Is(kViewCellDiagram)) return block->FindCellByIndex(hit.index);
  if (hit.kind != kSelectFacelet || !type.IsStellationPane()) return nullptr;
  Model3D* model = ShownModel3D(type);
  const Face3D* facelet = model ? model->GetFacelet(hit.index) : nullptr;
  const StellationSegment* loop = facelet ? facelet->mFacetLoop : nullptr;
  return loop ? GetSurfaceCell(loop->mFacet) : nullptr;
}

// Mode 0: selects the item; the selected item again, or nothing, clears the selection.
// A cell picked in a stellation or in the cell diagram becomes the cell that the
// Show/Hide commands act on.
void SelectHit(ViewGroup& group, const PaneViewType& type, Poly* poly, const PaneHit& hit) {
  StellationCell* cell = CellOf(type, hit);
  // A click on anything else, or on the selected cell again, deselects the cells.
  bool hadCell = false;
  for (FaceTypeBlock* block : {poly->mBaseBlock.get(), poly->mDualBlock.get()}) {
    if (!block || !block->mSelectedCell) continue;
    hadCell = true;
    if (block->mSelectedCell != cell) block->mSelectedCell = nullptr;
  }
  if (cell) {
    FaceTypeBlock* block = cell->mOwner;
    block->mCurrentCell = cell;
    block->mSelectedCell = block->mSelectedCell == cell ? nullptr : cell;
    SetStatus(block->mSelectedCell ? std::string("Cell ") + StellationCell::GetName(cell) : std::string());
    RedrawAllViews(group, false, false);
    return;
  }
  if (hadCell) RedrawAllViews(group, false, false);
  bool asVertex = false;
  if (PolyElement* element = ElementOf(poly, hit, asVertex)) {
    if (poly->mSelectedItem == element && poly->IsSelectionVertex() == asVertex) {
      poly->ClearSelection();
    } else {
      poly->SelectFace(element, asVertex);
    }
    return;
  }
  if (Edge* edge = EdgeOf(poly, hit)) {
    const bool dual = hit.kind == kSelectDualEdge;
    if (poly->mSelectedItem == edge && (poly->mShowDual != 0) == dual) {
      poly->ClearSelection();
      return;
    }
    poly->SetShowDual(dual);
    poly->SelectEdge(edge, false);
    return;
  }
  if (hit.kind == kSelectSimplePolyFace && type.Is(kViewFacetingPreview)) {
    // A face of the preview names the facet it repeats.
    SelectFacetByPick(poly, hit.index);
    return;
  }
  if (hit.kind == kSelectEdge && HasViewFlags(type.Code(), kViewFlagNet)) {
    Model3D* model = ShownModel3D(type);
    if (Edge3D* edgelet = FindEdgelet(model, hit.index)) {
      poly->ClearSelection();
      DescribeSelectedEdge(model, edgelet);
      return;
    }
  }
  poly->ClearSelection();
}

}  // namespace detail_PaneMouse

PaneHit ChooseClickHit(std::vector<GLHit> pixel, std::vector<GLHit> around) {
  using namespace detail_PaneMouse;
  SortHitsByDepth(pixel);
  SortHitsByDepth(around);
  uint32_t lowest = UINT32_MAX, highest = 0;
  for (const std::vector<GLHit>* list : {&pixel, &around}) {
    for (const GLHit& h : *list) {
      lowest = std::min(lowest, h.depth);
      highest = std::max(highest, h.depth);
    }
  }
  if (lowest > highest) return PaneHit{};
  const GLHit* face = nullptr;
  for (const GLHit& h : pixel) {
    if (IsFaceKind(GetHitItemType(h))) {
      face = &h;
      break;
    }
  }
  const double slack = kFrontShare * static_cast<double>(highest - lowest);
  auto inFront = [&](const GLHit& h) { return !face || static_cast<double>(h.depth) <= face->depth + slack; };
  for (bool (*kind)(int) : {IsPointKind, IsLineKind}) {
    for (const GLHit& h : around) {
      if (kind(GetHitItemType(h)) && inFront(h)) return HitOf(h);
    }
  }
  if (face) return HitOf(*face);
  if (!pixel.empty()) return HitOf(pixel.front());
  return HitOf(around.front());
}

PaneHit PaneClicks::PickAt(int x, int y) {
  // The two selection passes are one pick: an internal error in them is told once.
  const InternalErrorsToldOnce once;
  std::vector<GLHit> pixel, around;
  mView.DoSelection(pixel, x, y, false);
  mView.DoSelection(around, x, y, true);
  return ChooseClickHit(std::move(pixel), std::move(around));
}

int GetClickMode(const ViewGroup& group, ViewType type) {
  const int mode = GetMouseSelectionMode(group);
  return mode == kSelectMeasurement && type == kViewCrossSection ? kSelectFacesVertices : mode;
}

const char* GetMeasuringRefusal(ViewType type) {
  // Measuring takes points on the model where the pane draws it: its own faces, edges
  // and vertices at their places, which these panes show and name to a click.
  if (type == kViewBasePolyhedron || type == kViewDualPolyhedron || type == kViewCompoundOfDuals) return nullptr;
  if (type != kNoViewType && (type & kViewFlagNet)) {
    return "No measuring on nets: their faces are unfolded, so distances across them are not the model's. "
           "Measure in a Base Polyhedron, Dual Polyhedron or Base + Dual pane.";
  }
  return "No measuring in this pane: clicks measure on the model in the Base Polyhedron, Dual Polyhedron and "
         "Base + Dual panes.";
}

void PaneClicks::OnClick(int x, int y, unsigned keyFlags) {
  using namespace detail_PaneMouse;
  Poly* poly = GetCurrentPoly();
  if (!poly || !mViewType.IsSet()) return;
  const int mode = GetClickMode(mView.GetViewGroup(), mViewType.Code());
  if (mode == kSelectMeasurement) {
    if (const char* refusal = GetMeasuringRefusal(mViewType.Code())) {
      SetStatus(refusal);
      return;
    }
  }
  PaneHit hit;
  {
    const InternalErrorsToldOnce pick;
    hit = PickAt(x, y);
    // A pick that met an internal error names nothing for sure: the click ends there.
    if (pick.Met()) return;
  }
  switch (mode) {
    case kSelectFacesVertices:
      SelectHit(mView.GetViewGroup(), mViewType, poly, hit);
      ShowSelectionChangeOf(poly);
      break;
    case kSelectIdentification:
      SetStatus(DescribeHit(mViewType, poly, hit));
      break;
    case kSelectCutEdges:
      if (hit.kind == kSelectEdge && HasViewFlags(mViewType.Code(), kViewFlagNet)) {
        if (Edge3D* edgelet = FindEdgelet(ShownModel3D(mViewType), hit.index)) {
          edgelet->ToggleCut(true);
          InvalidateViewsOfKind(kViewFlagNet, false);
        }
      }
      break;
    case kSelectMeasurement: {
      double point[4] = {0.0, 0.0, 0.0, 0.0};
      // A click near a corner measures from the corner itself.
      if (PolyElement* corner = FacetingVertex(mView, poly, hit, x, y)) {
        CopyVector(point, corner->mDualVert);
      } else if (!PointOnItem(mView, poly, hit, x, y, point)) {
        break;
      }
      // Ctrl adds the point to the newest item (a line or a plane), Shift puts it in
      // place of that item.
      uint32_t flags = kMeasureFromMouse;
      if (keyFlags & kMouseKeyControl) flags |= kMeasureAddToItem;
      if (keyFlags & kMouseKeyShift) flags |= kMeasureReplaceItem;
      PickMeasurementPoint(point, flags);
      break;
    }
    case kSelectFaceting: {
      PolyElement* vertex = nullptr;
      if (mView.Is3D()) {
        vertex = FacetingVertex(mView, poly, hit, x, y);
      } else if (mViewType.Is(kViewFacetingDiagram)) {
        // A point of the diagram is the vertex it shows; the facet drawn from here runs
        // through the diagram's own vertex, which starts it.
        bool asVertex = false;
        vertex = ElementOf(poly, hit, asVertex);
        PolyElement* own = poly->GetOtherCurrentFinite();
        const DrawnPolygon* open = poly->mCurrentDrawnPolygon;
        if (vertex && asVertex && own && (!open || !open->ring)) poly->AddFacetVertex(own->mDualVert);
        if (!asVertex) vertex = nullptr;
      }
      if (vertex) {
        poly->AddFacetVertex(vertex->mDualVert);
        RedrawAllViews(mView.GetViewGroup(), false, false);
      }
      break;
    }
    case kSelectImage: {
      // The clicked face becomes the current one, whose image the mode shows and the
      // image commands change; a face without an image asks for one.
      bool asVertex = false;
      PolyElement* element = ElementOf(poly, hit, asVertex);
      if (!element || asVertex) break;
      if (poly->mSelectedItem != element) {
        poly->SelectFace(element, false);
        ShowSelectionChangeOf(poly);
      }
      if (!element->GetImage()) PlaceImageOnCurrentFace();
      break;
    }
    case kSelectColorHide: {
      bool asVertex = false;
      PolyElement* element = ElementOf(poly, hit, asVertex);
      if (!element || asVertex || element->HasFlag(kElementHidden)) break;
      // A hidden face is an undo step of its own, as the Show/Hide commands make it.
      platform::Services().undo->AddUndo(kUndoColorChange, 0);
      if (poly->mSelectedItem == element) {
        poly->ClearSelection();
        ShowSelectionChangeOf(poly);
      }
      element->mFlags |= kElementHidden;
      // The panes keep what they drew of each side until its colour caches go stale.
      ResetColorCaches(poly, 0, false);
      ResetColorCaches(poly, 1, false);
      if (CPolyDoc* document = GetDocument()) {
        document->MarkColorsStaleAndRedraw();
      } else {
        RedrawAllViews(mView.GetViewGroup(), false, false);
      }
      break;
    }
    default:
      break;
  }
}

// ---- Press, move, release ---------------------------------------------------------------------

void CPolyView::OnButtonDown(int button, int x, int y, unsigned keyFlags) {
  using namespace detail_PaneMouse;
  // Only the left button pressed alone can end as a click.
  const bool alone = button == kMouseButtonLeft && GetViewGroup().mouse.buttons == 0;
  gPress.candidate = alone;
  gPress.section = false;
  gPress.augment = 0;
  gPress.value = nullptr;
  gPress.halfWay = false;
  gPress.x = x;
  gPress.y = y;
  const bool ctrlOnly = (keyFlags & kMouseKeyControl) && !(keyFlags & kMouseKeyShift);
  if (ctrlOnly && GetViewGroup().mouse.buttons == 0) {
    if (button == kMouseButtonLeft && ValueThrowOf(mViewType.Code())) {
      gPress.candidate = false;
      gPress.value = ValueThrowOf(mViewType.Code());
      NewView::OnButtonDown(button, x, y, keyFlags);
      gPress.value->AddDragSample(x, y);
      return;
    }
    if (button == kMouseButtonRight && SetValueHalfWay(mViewType.Code())) {
      gPress.candidate = false;
      gPress.halfWay = true;
      NewView::OnButtonDown(button, x, y, keyFlags);
      return;
    }
  }
  // In Cross-section Tumble Mode the left button turns the model under the slicing
  // plane in the panes that show the section, in place of the camera.
  if (alone && GetMouseSelectionMode(GetViewGroup()) == kSelectSectionTumble && TakesSectionDrag(mViewType.Code()) &&
      !(keyFlags & (kMouseKeyShift | kMouseKeyControl))) {
    gPress.candidate = false;
    gPress.section = true;
    NewView::OnButtonDown(button, x, y, keyFlags);
    mSectionThrow->AddDragSample(x, y);
    return;
  }
  // On the augmentation preview the left and right buttons set the added solid's
  // height and explosion.
  const bool noneHeld = GetViewGroup().mouse.buttons == 0;
  if ((button == kMouseButtonLeft || button == kMouseButtonRight) && noneHeld && PreviewOf(this) &&
      !(keyFlags & (kMouseKeyShift | kMouseKeyControl))) {
    gPress.candidate = false;
    gPress.augment = button;
    NewView::OnButtonDown(button, x, y, keyFlags);
    return;
  }
  OpenGLView::OnButtonDown(button, x, y, keyFlags);
}

void CPolyView::OnButtonDoubleClick(int button, int x, int y, unsigned keyFlags) {
  OnButtonDown(button, x, y, keyFlags);
}

void CPolyView::OnMouseMove(int x, int y, unsigned keyFlags) {
  using namespace detail_PaneMouse;
  if (gPress.augment && (GetViewGroup().mouse.buttons & gPress.augment)) {
    int lastX = 0, lastY = 0;
    GetViewGroup().mouse.GetCurrentPoint(lastX, lastY);
    if (Augmentation* augmentation = PreviewOf(this); augmentation && y != lastY) {
      DragPreview(augmentation, gPress.augment, lastY - y);
      Invalidate(true);
    }
    NewView::OnMouseMove(x, y, keyFlags);
    return;
  }
  if (gPress.value && (GetViewGroup().mouse.buttons & kMouseButtonLeft)) {
    int lastX = 0, lastY = 0;
    GetViewGroup().mouse.GetCurrentPoint(lastX, lastY);
    if (x != lastX || y != lastY) {
      gPress.value->AddDragSample(x, y);
      gPress.value->ApplyMotion(static_cast<float>(x - lastX), static_cast<float>(y - lastY));
      gPress.value->Redraw();
    }
    NewView::OnMouseMove(x, y, keyFlags);
    return;
  }
  if (gPress.section && (GetViewGroup().mouse.buttons & kMouseButtonLeft)) {
    int lastX = 0, lastY = 0;
    GetViewGroup().mouse.GetCurrentPoint(lastX, lastY);
    if (x != lastX || y != lastY) {
      mSectionThrow->AddDragSample(x, y);
      mSectionThrow->ApplyMotion(static_cast<float>(x - lastX), static_cast<float>(y - lastY));
      InvalidateCrossSectionViews(false);
    }
    NewView::OnMouseMove(x, y, keyFlags);
    return;
  }
  if (gPress.candidate && GetViewGroup().mouse.buttons &&
      (std::abs(x - gPress.x) > kClickSlop || std::abs(y - gPress.y) > kClickSlop)) {
    gPress.candidate = false;
  }
  OpenGLView::OnMouseMove(x, y, keyFlags);
}

void CPolyView::OnButtonUp(int button, int x, int y, unsigned keyFlags) {
  using namespace detail_PaneMouse;
  if (gPress.section && button == kMouseButtonLeft) {
    gPress.section = false;
    mSectionThrow->EndDrag();
    NewView::OnButtonUp(button, x, y, keyFlags);
    return;
  }
  if (gPress.value && button == kMouseButtonLeft) {
    MouseThrow* drag = gPress.value;
    gPress.value = nullptr;
    drag->EndDrag();
    NewView::OnButtonUp(button, x, y, keyFlags);
    return;
  }
  if (gPress.halfWay && button == kMouseButtonRight) {
    gPress.halfWay = false;
    NewView::OnButtonUp(button, x, y, keyFlags);
    return;
  }
  if (gPress.augment == button) {
    gPress.augment = 0;
    NewView::OnButtonUp(button, x, y, keyFlags);
    return;
  }
  const bool onlyLeft = GetViewGroup().mouse.buttons == kMouseButtonLeft;
  const bool click = gPress.candidate && button == kMouseButtonLeft && onlyLeft && std::abs(x - gPress.x) <= kClickSlop &&
                     std::abs(y - gPress.y) <= kClickSlop;
  gPress.candidate = false;
  OpenGLView::OnButtonUp(button, x, y, keyFlags);
  if (click) mClicks.OnClick(gPress.x, gPress.y, keyFlags);
}

// ---- Cursors and help -------------------------------------------------------------------------

int CPolyView::GetCursor() {
  // While a button or a key drives the camera, its cursor; else the mode's.
  const int navigation = OpenGLView::GetCursor();
  if (navigation != kArrowCursor || GetViewGroup().mouse.buttons) return navigation;
  switch (GetClickMode(GetViewGroup(), mViewType.Code())) {
    case kSelectIdentification:
      return kCursorIdentify;
    case kSelectCutEdges:
      return mViewType.IsNet() ? kCursorCutEdges : kArrowCursor;
    case kSelectMeasurement:
      return GetMeasuringRefusal(mViewType.Code()) ? kArrowCursor : kCursorMeasure;
    case kSelectFaceting:
      return kCursorFaceting;
    case kSelectColorHide:
      return kCursorColorHide;
    case kSelectSectionTumble:
      return TakesSectionDrag(mViewType.Code()) ? kCursorTumble : kArrowCursor;
    default:
      return kArrowCursor;
  }
}

void CPolyView::GetMouseButtonHelp(std::string& left, std::string& right, std::string& both) {
  OpenGLView::GetMouseButtonHelp(left, right, both);
  if (left == "-") return;
  if (detail_PaneMouse::PreviewOf(this)) {
    left = "Set augmentation height";
    right = "Unexplode augmentation";
    return;
  }
  static const char* const kClickHelp[] = {"Select",     "Identify",  "Cut/uncut edge", "Measure", "Add vertex",
                                           "Hide face", "Pick face", nullptr,          nullptr};
  const int mode = GetClickMode(GetViewGroup(), mViewType.Code());
  if (mode == kSelectCutEdges && !mViewType.IsNet()) return;
  if (mode == kSelectMeasurement && GetMeasuringRefusal(mViewType.Code())) return;
  if (mode == kSelectSectionTumble && TakesSectionDrag(mViewType.Code())) {
    left = "Tumble cross-section";
    return;
  }
  if (mode >= 0 && mode < static_cast<int>(std::size(kClickHelp)) && kClickHelp[mode]) {
    left = std::string(kClickHelp[mode]) + " (click), " + left;
  }
}

void ShowModeHelp() { ShowModeHelp(CurrentViewGroup()); }

void ShowModeHelp(const ViewGroup& group) {
  using namespace detail_PaneMouse;
  switch (GetMouseSelectionMode(group)) {
    case kSelectFacesVertices:
      SetStatus("Click on a face, vertex or edge to select it");
      break;
    case kSelectIdentification:
      SetStatus("Click on a face, vertex or edge to identify it");
      break;
    case kSelectCutEdges:
      SetStatus("Click on an edge of a net to cut or join it");
      break;
    case kSelectMeasurement: {
      const double distance = GetMeasuredDistance();
      const double angle = GetMeasuredAngle(0);
      std::string text;
      if (distance != DBL_MAX) {
        char value[64];
        std::snprintf(value, sizeof value, "Distance: %g", distance * GetUnitSettings().mLengthScale);
        text = value;
      }
      if (angle != DBL_MAX) {
        char value[kAngleTextSize];
        text += (text.empty() ? "Angle: " : ", angle: ") + std::string(GetUnitSettings().FormatAngle(value, angle, "deg"));
      }
      if (text.empty()) text = "Click on points to measure (Ctrl+click adds to a line or plane, Shift+click replaces)";
      SetStatus(text);
      break;
    }
    case kSelectFaceting:
      SetStatus("Click on vertices to draw a facet");
      break;
    case kSelectColorHide:
      SetStatus("Click on a face to hide it");
      break;
    case kSelectImage:
      SetStatus("Click on a face to show its image, or to choose one for it");
      break;
    case kSelectSectionTumble:
      SetStatus("Drag in a cross-section view to turn the model under the slicing plane");
      break;
    default:
      SetStatus("");
      break;
  }
}

}  // namespace corvia
