// Drawing of one net: flat in the Unfolded Net pane, with its edges, texts and corner
// angles; folded in the Folding Net pane; and the bounds a view fits round it.

#include "render/NetDrawing.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/Globals.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"
#include "nets/Vert3D.h"
#include "render/FaceletDrawing.h"
#include "render/FlatNetMesh.h"
#include "render/GL.h"
#include "render/GLSelection.h"
#include "render/GeomagDrawing.h"
#include "render/LightSets.h"
#include "render/Matrix4.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "render/NetTexts.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/SelectionItems.h"

namespace corvia {

namespace detail_NetDrawing {

constexpr uint16_t kValleyStipple = 0x0F0F;
constexpr int kMouseModeCutEdges = 2;
constexpr int kMaxChainSteps = 1 << 22;

// How far past the pick region (in its own sizes) a facelet's box may reach and still be
// drawn in a pick: room for rounding, never a hit lost.
constexpr double kPickRegionReach = 2.0;

template <typename Visit>
void ForEachFacelet(const Net* net, Visit visit) {
  int steps = kMaxChainSteps;
  for (Face3D* f = net->first; f && steps-- > 0; f = f->mNextInNet) visit(f);
}

// The facelets a drawing of the flat net goes through: the whole chain, or in a pick
// only those that reach into the pick region.
struct FlatFacelets {
  const Net* net;
  const std::vector<Face3D*>* picked = nullptr;

  template <typename Visit>
  void ForEach(Visit visit) const {
    if (!picked) {
      ForEachFacelet(net, visit);
      return;
    }
    for (Face3D* f : *picked) visit(f);
  }
};

// The facelets whose outline or glue tabs reach into the region of the pick. The
// selection pass clips everything else away whole, so drawing only these names the same
// items at the same depths, and a click costs what lies under the pointer rather than
// the whole net. The pick region is the square from -1 to 1 in clip coordinates; the
// flat net's plane maps onto them affinely, so the box in the net's plane that holds
// the region (widened by the reach) is met by every facelet the pick can meet, and the
// net's grid of facelet boxes names them without a walk of the net.
std::vector<Face3D*> FaceletsInPickRegion(const Net* net, OpenGLView* view) {
  const Matrix4 toClip = view->GetProjectionMatrix() * view->GetModelViewMatrix();
  std::vector<Face3D*> met;
  // The plane z = 0 to clip x and y: q = A p + b.
  const double a00 = toClip(0, 0), a01 = toClip(0, 1), a10 = toClip(1, 0), a11 = toClip(1, 1);
  const double b0 = toClip(0, 3), b1 = toClip(1, 3);
  const double det = a00 * a11 - a01 * a10;
  const bool affine = toClip(3, 0) == 0.0 && toClip(3, 1) == 0.0 && toClip(3, 3) == 1.0;
  if (!affine || !std::isfinite(det) || std::fabs(det) < DBL_MIN) {
    // No flat mapping to invert: every facelet, as a paint draws them.
    ForEachFacelet(net, [&](Face3D* f) { met.push_back(f); });
    return met;
  }
  double lo[2] = {DBL_MAX, DBL_MAX}, hi[2] = {-DBL_MAX, -DBL_MAX};
  for (int corner = 0; corner < 4; ++corner) {
    const double q0 = (corner & 1 ? kPickRegionReach : -kPickRegionReach) - b0;
    const double q1 = (corner & 2 ? kPickRegionReach : -kPickRegionReach) - b1;
    const double p[2] = {(a11 * q0 - a01 * q1) / det, (a00 * q1 - a10 * q0) / det};
    for (int k = 0; k < 2; ++k) {
      lo[k] = std::min(lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
  }
  // The facelets' boxes, their tabs' points too, are filed with the net.
  net->FindFaceletsMeeting(lo, hi, met);
  return met;
}

double ModelScale(const Model3D* model) {
  return model && model->mPoly ? model->mPoly->mDisplayScale : 1.0;
}

bool GeomagOn() {
  return GetElementDisplayOptions().constructionToyStyle;
}

// The flat edges: each edgelet owns the edge from its corner to the next one; a
// joined edge is drawn from its first side only.
void DrawFlatEdges(const FlatFacelets& facelets, OpenGLView* view, float baseWidth) {
  const bool picking = view->IsPicking();
  const bool cutMode = GetMouseSelectionMode(view->GetViewGroup()) == kMouseModeCutEdges;
  if (!picking) view->Materials().SetColorv(GetNewEdgeColor());
  facelets.ForEach([&](Face3D* f) {
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      const Edge3D* e = &f->mEdges[i];
      const Edge3D* next = e->GetNextInLoop();
      if (!next || e->Has(kEdgeJoinedAdded)) continue;
      const double* a = e->unfolded;
      const double* b = next->unfolded;
      if (picking) {
        SetGLSelectionItem(kSelectEdge, Edge3D::GetNumber(e));
      } else {
        const bool valley = !e->IsConvex();
        view->Materials().SetLineStipple(valley ? kValleyStipple : 0);
        // Dashes start at the end with the lower vertex index, so that both sides of a
        // cut valley edge show them in one phase.
        if (valley && Vert3D::GetIndex(next->vert) < Vert3D::GetIndex(e->vert)) std::swap(a, b);
      }
      glLineWidth(baseWidth * (cutMode && e->Has(kEdgeUserCut) ? 3.0f : 1.0f));
      glBegin(GL_LINES);
      glVertex2dv(a);
      glVertex2dv(b);
      glEnd();
    }
  });
  if (picking) view->ClearGLSelectionItem();
  view->Materials().SetLineStipple(0);
}

}  // namespace detail_NetDrawing

void DrawUnfolded(Net* net) {
  using namespace detail_NetDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !net->first) return;
  std::vector<Face3D*> picked;
  FlatFacelets facelets{net};
  if (view->IsPicking()) {
    picked = FaceletsInPickRegion(net, view);
    facelets.picked = &picked;
  }
  // The facelets, tabs and edges from the buffers the pane keeps, where it can.
  const KeptFlatNet* kept = FindKeptFlatNet(view, net);
  // 1. The facelets, and the glue tabs beside them.
  if (kept) {
    DrawKeptFacelets(view, *kept);
  } else {
    GeomagRodBatch rods;
    facelets.ForEach([](Face3D* f) { Draw(f, kFaceletDrawFlat, nullptr, 1.0, nullptr); });
  }
  if (!kept) facelets.ForEach([view](Face3D* f) { DrawTabs(f, kFaceletDrawFlat, view, 1.0); });
  const bool lighting = SetLighting(view, false);
  float width = 1.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  // 2. Sphere sections and stellation lines, walked only where they are shown.
  const float baseWidth = GetEdgeLineWidth() * GetNetDrawSettings().netLineWidthFactor;
  glLineWidth(baseWidth);
  const NetDrawSettings& settings = GetNetDrawSettings();
  if (kept) {
    DrawKeptLines(view, *kept);
  } else {
    if (settings.showSphereSections && !settings.referenceSpheres.empty()) {
      facelets.ForEach([](Face3D* f) { DrawSphereSections(f, false, nullptr, false); });
    }
    if (settings.showStellationLines) facelets.ForEach([](Face3D* f) { DrawStellationLines(f, false, false); });
  }
  // 3. Edges.
  if (!GeomagOn()) {
    if (kept) {
      DrawKeptEdges(view, *kept, baseWidth);
    } else {
      DrawFlatEdges(facelets, view, baseWidth);
    }
  }
  glLineWidth(width);
  // 4. to 6. Texts: facelet numbers, edge texts, corner angles, from what the view keeps.
  if (!view->IsPicking()) {
    view->Materials().SetColorv(GetNewEdgeColor());
    DrawNetTexts(net, view);
  }
  SetLighting(view, lighting);
}

namespace detail_NetDrawing {

// One folded facelet as the net draws it: its triangles, with its extras through the
// coplanar stencil so that coplanar facelets of different nets do not fight over their
// pixels, and its tabs where they are shown. Its sphere sections and stellation lines
// show over it: they mark their pixels before it does, as a face's details do; the rest
// of its extras (texts, edges, the tabs glued under it) show only beyond both.
void DrawFoldedFacelet(Face3D* f, Model3D* model, OpenGLView* view, double scale) {
  if (GetModelDrawSettings().useStencil && !GeomagOn()) {
    const NetDrawSettings& settings = GetNetDrawSettings();
    const bool lines =
        (settings.showSphereSections && !settings.referenceSpheres.empty()) || settings.showStellationLines;
    PrepareCoplanarStencil(kStencilMark);
    if (lines) DrawNetExtras(f, model, kNetExtraLines);
    Draw(f, kFaceletDrawFolded, nullptr, scale, nullptr);
    PrepareCoplanarStencil(kStencilKeep);
    DrawNetExtras(f, model, lines ? kNetExtraRest : kNetExtrasAll);
    PrepareCoplanarStencil(kStencilClear);
    if (lines) DrawNetExtras(f, model, kNetExtraLines);
    Draw(f, kFaceletDrawFolded, nullptr, scale, nullptr);
    PrepareCoplanarStencil(kStencilFinish);
  } else {
    Draw(f, kFaceletDrawFolded, nullptr, scale, nullptr);
    DrawNetExtras(f, model);
  }
  if (GetNetSettings().show3DTabs) DrawTabs(f, kFaceletDrawFolded, view, scale);
}

// Each point the facelet is drawn through, folded (in the model's scale) or flat: its
// corners, and its tabs' outlines when withTabs.
template <typename Visit>
void ForEachDrawnPoint(const Face3D* f, bool folded, bool withTabs, double scale, Visit visit) {
  const int count = f->GetNumEdges();
  for (int i = 0; i < count; ++i) {
    const Edge3D& e = f->mEdges[i];
    double p[3];
    GetFaceletCorner(&e, folded ? kFaceletDrawFolded : kFaceletDrawFlat, nullptr, scale, p);
    visit(p);
    if (!withTabs || !e.tab) continue;
    for (const TabPoint& t : e.tab->outline) {
      if (folded) {
        Scale(p, t.pos3D, scale);
      } else {
        p[0] = t.pos2D[0];
        p[1] = t.pos2D[1];
        p[2] = 0.0;
      }
      visit(p);
    }
  }
}

// Whether the folded facelet, with its tabs where they are shown, may meet the pick
// region: what it draws besides (texts, lines, sections) lies within it. points is
// room for the points.
bool FoldedMayMeet(const PickRegion& region, const Face3D* f, double scale, std::vector<double>& points) {
  if (!region.Active()) return true;
  points.clear();
  ForEachDrawnPoint(f, true, GetNetSettings().show3DTabs, scale,
                    [&points](const double* p) { points.insert(points.end(), p, p + 3); });
  return region.MayMeet(points.data(), static_cast<int>(points.size() / 3));
}

// Whether the box of a run of folded facelets, in the model's scale, may meet the pick
// region.
bool FoldedBoxMayMeet(const PickRegion& region, const Net::FoldedBox& box, double scale) {
  double corners[8][3];
  for (int c = 0; c < 8; ++c) {
    for (int k = 0; k < 3; ++k) corners[c][k] = ((c >> k) & 1 ? box.largest[k] : box.least[k]) * scale;
  }
  return region.MayMeet(corners[0], 8);
}

bool IsDrawnFolded(const Net* net) {
  return net->first && net->first->mType && !net->first->mType->HasFlag(kTypeDrawn);
}

}  // namespace detail_NetDrawing

void DrawFolded(Net* net, Model3D* model) {
  using namespace detail_NetDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !IsDrawnFolded(net)) return;
  if (!model) model = Net::GetModel(net);
  const double scale = ModelScale(model);
  GeomagRodBatch rods;
  // A pick draws only the facelets it may hit, read from the runs of the chain whose
  // folded bounds meet it.
  const PickRegion region(view);
  std::vector<double> points;
  const std::vector<Face3D*>& places = net->Places();
  const std::vector<Net::FoldedBox>& boxes = net->FoldedBoxes();
  if (region.Active() && boxes.size() == (places.size() + Net::kFoldedRun - 1) / Net::kFoldedRun) {
    for (size_t run = 0; run < boxes.size(); ++run) {
      if (!FoldedBoxMayMeet(region, boxes[run], scale)) continue;
      const size_t end = std::min(places.size(), (run + 1) * Net::kFoldedRun);
      for (size_t i = run * Net::kFoldedRun; i < end; ++i) {
        if (FoldedMayMeet(region, places[i], scale, points)) DrawFoldedFacelet(places[i], model, view, scale);
      }
    }
  } else {
    ForEachFacelet(net, [&](Face3D* f) {
      if (FoldedMayMeet(region, f, scale, points)) DrawFoldedFacelet(f, model, view, scale);
    });
  }
  view->Materials().SetLineStipple(0);
}

void DrawFolded(NetType* netType, Model3D* model) {
  for (int i = 0; i < netType->numNets; ++i) DrawFolded(&netType->nets[i], model);
}

void DrawFoldedNets(Model3D* model) {
  using namespace detail_NetDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  std::vector<Net*> nets;
  for (Net* net : model->GetShownNets()) {
    if (IsDrawnFolded(net)) nets.push_back(net);
  }
  if (const KeptFlatNet* kept = FindKeptFoldedNets(view, model, nets)) {
    const double scale = ModelScale(model);
    DrawKeptFoldedNets(view, *kept, [&](Face3D* f) { DrawFoldedFacelet(f, model, view, scale); });
    view->Materials().SetLineStipple(0);
    return;
  }
  size_t facelets = 0;
  for (Net* net : nets) {
    DrawFolded(net, model);
    facelets += net->Places().size();
  }
  NoteFoldedFaceletsDrawnOneByOne(facelets);
}

void ExtendViewBounds(Net* net, OpenGLView* view, ViewExtents* extents, Model3D* model, bool folded) {
  using namespace detail_NetDrawing;
  if (!view || !extents) return;
  if (!model) model = Net::GetModel(net);
  const double scale = folded ? ModelScale(model) : 1.0;
  const bool withTabs = !(folded && !GetNetSettings().show3DTabs);
  ForEachFacelet(net, [&](Face3D* f) {
    ForEachDrawnPoint(f, folded, withTabs, scale, [&](const double* p) { view->Camera().AddPointToExtents(*extents, p); });
  });
}

void DrawSphereSections(Net* net, bool folded, void* page, bool printing) {
  detail_NetDrawing::ForEachFacelet(net, [&](Face3D* f) { DrawSphereSections(f, folded, page, printing); });
}

void DrawFaceletLines(Net* net, bool folded, bool printing) {
  detail_NetDrawing::ForEachFacelet(net, [&](Face3D* f) { DrawStellationLines(f, folded, printing); });
}

}  // namespace corvia
