// Drawing of one net: flat in the Unfolded Net pane, with its edges, texts and corner
// angles; folded in the Folding Net pane; and the bounds a view fits round it.

#include "render/NetDrawing.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "core/Globals.h"
#include "core/Tolerances.h"
#include "core/Units.h"
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
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/SelectionItems.h"

namespace corvia {

namespace detail_NetDrawing {

constexpr uint16_t kValleyStipple = 0x0F0F;
constexpr int kMouseModeCutEdges = 2;
constexpr int kMaxChainSteps = 1 << 22;
// Corner angles: the text stands on the bisector, farther out in sharp corners.
constexpr double kLeastCornerAngle = 0.001;
constexpr double kGreatestCornerAngle = 3.1315926535897933;
constexpr const char* kDegreeSign = "\xC2\xB0";
// Pixels between an edge line and the text written beside it.
constexpr double kEdgeTextGap = 2.0;

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
  const bool cutMode = GetMouseSelectionMode() == kMouseModeCutEdges;
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

// The window rectangles (pixels) that the edge texts drawn so far take, found through a
// grid of cells: a text overlaps at most the few texts in the cells it covers, so a
// large net costs a bounded look per text.
class TextRoom {
 public:
  // Whether the rectangle (left, top, right, bottom) keeps a pixel clear of every
  // rectangle taken.
  bool IsFree(const double* box) const {
    bool free = true;
    ForEachCell(box, [&](int64_t cell) {
      const auto found = mCells.find(cell);
      if (!free || found == mCells.end()) return;
      for (const std::array<double, 4>& other : found->second) {
        if (box[0] < other[2] + kEdgeTextGap / 2 && other[0] < box[2] + kEdgeTextGap / 2 &&
            box[1] < other[3] + kEdgeTextGap / 2 && other[1] < box[3] + kEdgeTextGap / 2) {
          free = false;
          return;
        }
      }
    });
    return free;
  }
  void Take(const double* box) {
    ForEachCell(box, [&](int64_t cell) { mCells[cell].push_back({box[0], box[1], box[2], box[3]}); });
  }

 private:
  static constexpr double kCellPixels = 64.0;
  // Past any window coordinate of a text that can show, and small enough that a cell's
  // two numbers pack into one key.
  static constexpr double kFarthestCell = 1 << 30;
  // The rectangle is finite and a text's size wide (a text has at most a few hundred
  // characters): it covers a few cells.
  template <typename Visit>
  static void ForEachCell(const double* box, Visit visit) {
    auto cell = [](double pixels) {
      return static_cast<int64_t>(std::clamp(std::floor(pixels / kCellPixels), -kFarthestCell, kFarthestCell));
    };
    const int64_t x0 = cell(box[0]), x1 = cell(box[2]), y0 = cell(box[1]), y1 = cell(box[3]);
    for (int64_t x = x0; x <= x1; ++x) {
      for (int64_t y = y0; y <= y1; ++y) visit(static_cast<int64_t>(static_cast<uint64_t>(x) << 32) ^ (y & 0xFFFFFFFF));
    }
  }
  std::unordered_map<int64_t, std::vector<std::array<double, 4>>> mCells;
};

// Where an edge's text stands, in net units: beside the middle of its segment, just far
// enough that the edge line passes clear of the text; on the facelet's side, or where
// another edge text stands there already, on the edge's other side (over the
// neighbouring facelet or the tab, which a joined edge labels only once). False when
// both are taken: the text waits until the net is zoomed in far enough to hold it.
bool EdgeTextPlace(OpenGLView* view, TextRoom& room, Face3D* facelet, const Edge3D* e, const Edge3D* next,
                   PlacedEdgeText& placed) {
  const char* text = placed.text.c_str();
  double a[2], b[2], centre[3], direction[3], normal[3], inside[2];
  view->Mapping2D().ModelToWindow2D(a, e->unfolded);
  view->Mapping2D().ModelToWindow2D(b, next->unfolded);
  facelet->GetCentreFrame(kFaceletDrawFlat, centre, direction, normal, nullptr, 1.0);
  view->Mapping2D().ModelToWindow2D(inside, centre);
  const double middle[2] = {0.5 * (a[0] + b[0]), 0.5 * (a[1] + b[1])};
  const double side[2] = {b[0] - a[0], b[1] - a[1]};
  const double length = std::hypot(side[0], side[1]);
  int width = 0, height = 0;
  view->Text().MeasureText(text, width, height);
  double across[2] = {0.0, 0.0};
  if (length > 0.0 && std::isfinite(length)) {
    across[0] = -side[1] / length;
    across[1] = side[0] / length;
    if (across[0] * (inside[0] - middle[0]) + across[1] * (inside[1] - middle[1]) < 0.0) {
      across[0] = -across[0];
      across[1] = -across[1];
    }
  }
  // Half the text's box measured across the edge, and a gap.
  const double pixels = 0.5 * (width * std::fabs(across[0]) + height * std::fabs(across[1])) + kEdgeTextGap;
  for (const double way : {1.0, -1.0}) {
    const double x = middle[0] + way * across[0] * pixels, y = middle[1] + way * across[1] * pixels;
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    const double box[4] = {x - 0.5 * width, y - 0.5 * height, x + 0.5 * width, y + 0.5 * height};
    if (!room.IsFree(box)) continue;
    room.Take(box);
    view->Mapping2D().WindowToModel2D(placed.at, x, y);
    std::copy(box, box + 4, placed.box.begin());
    return true;
  }
  return false;
}

// The length round the flat facelet.
double FlatPerimeter(const Face3D* f) {
  double length = 0.0;
  const int count = f->GetNumEdges();
  for (int i = 0; i < count; ++i) {
    const Edge3D* e = &f->mEdges[i];
    const Edge3D* next = e->GetNextInLoop();
    if (next) length += std::hypot(next->unfolded[0] - e->unfolded[0], next->unfolded[1] - e->unfolded[1]);
  }
  return length;
}

// The inside angle at each corner, written on its bisector.
void DrawCornerAngles(const Net* net, OpenGLView* view) {
  const double textPixels = view->Text().GetLineHeight();
  const double pixelsPerUnit = view->Mapping2D().UnitsToPixelsX(1.0);
  if (pixelsPerUnit <= 0.0) return;
  // An angle in a corner whose sides are shorter than a text is high cannot be read:
  // it would fall on the corner's other angles.
  const double textUnits = textPixels / pixelsPerUnit;
  char text[kAngleTextSize];
  ForEachFacelet(net, [&](Face3D* f) {
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      const Edge3D* e = &f->mEdges[i];
      const Edge3D* previous = e->GetPrevInLoop();
      const Edge3D* next = e->GetNextInLoop();
      if (!previous || !next) continue;
      const double into[2] = {e->unfolded[0] - previous->unfolded[0], e->unfolded[1] - previous->unfolded[1]};
      const double outOf[2] = {next->unfolded[0] - e->unfolded[0], next->unfolded[1] - e->unfolded[1]};
      const double angle = GetCornerAngle(into, outOf);
      const double lengthIn = std::hypot(into[0], into[1]);
      const double lengthOut = std::hypot(outOf[0], outOf[1]);
      if (lengthIn < kPointTolerance || lengthOut < kPointTolerance) continue;
      if (std::min(lengthIn, lengthOut) < textUnits) continue;
      // Bisector into the corner: between the way back and the way on, turned over
      // for a reflex corner; the left normal of the edge in a straight one.
      double bisector[2] = {outOf[0] / lengthOut - into[0] / lengthIn, outOf[1] / lengthOut - into[1] / lengthIn};
      double length = std::hypot(bisector[0], bisector[1]);
      if (length < kPointTolerance) {
        bisector[0] = -into[1] / lengthIn;
        bisector[1] = into[0] / lengthIn;
        length = 1.0;
      } else if (angle > 3.141592653589793) {
        bisector[0] = -bisector[0];
        bisector[1] = -bisector[1];
      }
      GetUnitSettings().FormatAngle(text, angle, kDegreeSign);
      const double c = std::clamp(angle, kLeastCornerAngle, kGreatestCornerAngle);
      double r = std::max(20.0 * textPixels / (2.0 * std::tan(c / 2.0)), 10.0 * textPixels) / pixelsPerUnit;
      const double span = std::hypot(outOf[0] + into[0], outOf[1] + into[1]);
      r = std::min(r, 0.25 * span);
      const double at[2] = {e->unfolded[0] + r * bisector[0] / length, e->unfolded[1] + r * bisector[1] / length};
      view->Text().DrawText2Dv(text, at, true);
    }
  });
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
  if (settings.showSphereSections && !settings.referenceSpheres.empty()) {
    facelets.ForEach([](Face3D* f) { DrawSphereSections(f, false, nullptr, false); });
  }
  if (settings.showStellationLines) facelets.ForEach([](Face3D* f) { DrawStellationLines(f, false, false); });
  // 3. Edges.
  if (!GeomagOn()) {
    if (kept) {
      DrawKeptEdges(view, *kept, baseWidth);
    } else {
      DrawFlatEdges(facelets, view, baseWidth);
    }
  }
  glLineWidth(width);
  // 4. to 6. Texts.
  if (!view->IsPicking()) {
    view->Materials().SetColorv(GetNewEdgeColor());
    char text[256];
    if (AreFaceletNumbersShown()) {
      // A number on a facelet whose sides are on average shorter than a text is high
      // falls on its neighbours' numbers and cannot be read.
      const double pixelsPerUnit = view->Mapping2D().UnitsToPixelsX(1.0);
      const double textUnits = pixelsPerUnit > 0.0 ? view->Text().GetLineHeight() / pixelsPerUnit : 0.0;
      ForEachFacelet(net, [&](Face3D* f) {
        if (FlatPerimeter(f) < f->GetNumEdges() * textUnits) return;
        double centre[3], direction[3], normal[3];
        f->GetCentreFrame(kFaceletDrawFlat, centre, direction, normal, nullptr, 1.0);
        std::snprintf(text, sizeof text, "%d", GetFaceletDisplayNumber(f));
        view->Text().DrawText2Dv(text, centre, true);
      });
    }
    for (const PlacedEdgeText& placed : PlaceEdgeTexts(net, view))
      view->Text().DrawText2Dv(placed.text.c_str(), placed.at, true);
    if (GetNetSettings().edgeData & kEdgeDataFaceAngles) DrawCornerAngles(net, view);
  }
  SetLighting(view, lighting);
}

std::vector<PlacedEdgeText> PlaceEdgeTexts(const Net* net, OpenGLView* view) {
  using namespace detail_NetDrawing;
  std::vector<PlacedEdgeText> placed;
  if (!view || !net || !GetNetSettings().edgeData) return placed;
  TextRoom room;
  char text[256];
  ForEachFacelet(net, [&](Face3D* f) {
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      const Edge3D* e = &f->mEdges[i];
      const Edge3D* next = e->GetNextInLoop();
      if (!next || !e->GetEdgeDataText(text, sizeof text)) continue;
      PlacedEdgeText one;
      one.text = text;
      if (EdgeTextPlace(view, room, f, e, next, one)) placed.push_back(std::move(one));
    }
  });
  return placed;
}

namespace detail_NetDrawing {

// One folded facelet as the net draws it: its triangles, with its extras through the
// coplanar stencil so that coplanar facelets of different nets do not fight over their
// pixels, and its tabs where they are shown.
void DrawFoldedFacelet(Face3D* f, Model3D* model, OpenGLView* view, double scale) {
  if (GetModelDrawSettings().useStencil && !GeomagOn()) {
    PrepareCoplanarStencil(kStencilMark);
    Draw(f, kFaceletDrawFolded, nullptr, scale, nullptr);
    PrepareCoplanarStencil(kStencilKeep);
    DrawNetExtras(f, model);
    PrepareCoplanarStencil(kStencilClear);
    Draw(f, kFaceletDrawFolded, nullptr, scale, nullptr);
    PrepareCoplanarStencil(kStencilFinish);
  } else {
    Draw(f, kFaceletDrawFolded, nullptr, scale, nullptr);
    DrawNetExtras(f, model);
  }
  if (GetNetSettings().show3DTabs) DrawTabs(f, kFaceletDrawFolded, view, scale);
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
  ForEachFacelet(net, [&](Face3D* f) { DrawFoldedFacelet(f, model, view, scale); });
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
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      const Edge3D& e = f->mEdges[i];
      double p[3];
      GetFaceletCorner(&e, folded ? kFaceletDrawFolded : kFaceletDrawFlat, nullptr, scale, p);
      view->Camera().AddPointToExtents(*extents, p);
      if (!withTabs || !e.tab) continue;
      for (const TabPoint& t : e.tab->outline) {
        if (folded) {
          Scale(p, t.pos3D, scale);
        } else {
          p[0] = t.pos2D[0];
          p[1] = t.pos2D[1];
          p[2] = 0.0;
        }
        view->Camera().AddPointToExtents(*extents, p);
      }
    }
  });
}

void DrawSphereSections(Net* net, bool folded, void* page, bool printing) {
  detail_NetDrawing::ForEachFacelet(net, [&](Face3D* f) { DrawSphereSections(f, folded, page, printing); });
}

void DrawFaceletLines(Net* net, bool folded, bool printing) {
  detail_NetDrawing::ForEachFacelet(net, [&](Face3D* f) { DrawStellationLines(f, folded, printing); });
}

}  // namespace corvia
