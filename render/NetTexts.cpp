// The texts over a flat net: where the pane's facelet numbers, edge texts and corner
// angles stand, worked out once and kept by the view; and the edge texts of a printed
// page.

#include "render/NetTexts.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/BoxGrid.h"
#include "core/Tolerances.h"
#include "core/Units.h"
#include "model/ElementLabels.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetPages.h"
#include "nets/NetSettings.h"
#include "render/DeviceContext.h"
#include "render/FaceletDrawing.h"
#include "render/GLContextState.h"
#include "render/NetDrawSettings.h"
#include "render/NetDrawing.h"
#include "render/OpenGLView.h"
#include "render/PrintPage.h"

namespace corvia {

namespace detail_NetTexts {

// Corner angles: the text stands on the bisector, farther out in sharp corners.
constexpr double kLeastCornerAngle = 0.001;
constexpr double kGreatestCornerAngle = 3.1315926535897933;
constexpr const char* kDegreeSign = "\xC2\xB0";
// Pixels between an edge line and the text written beside it.
constexpr double kEdgeTextGap = 2.0;
// The cells of the room the edge texts take are this many texts high.
constexpr double kCellTexts = 5.0;
// Two scales or turns of a view that differ by less than this share their texts.
constexpr double kSameMapping = 1e-9;
// A text whose point lies this far (pixels) past the window is not drawn by GL.
constexpr double kWindowMargin = 1.0;
constexpr size_t kTextSize = 256;

// The rectangles (least x, least y, largest x, largest y) that the edge texts placed so
// far take on their surface, found through a grid of cells: a text overlaps at most the
// few texts in the cells it covers, so a large net costs a bounded look per text.
class TextRoom {
 public:
  TextRoom(double cell, double gap) : mCell(cell > 0.0 && std::isfinite(cell) ? cell : 1.0), mGap(gap) {}
  // Whether the rectangle keeps half the gap clear of every rectangle taken.
  bool IsFree(const double* box) const {
    bool free = true;
    ForEachCell(box, [&](int64_t cell) {
      const auto found = mCells.find(cell);
      if (!free || found == mCells.end()) return;
      for (const std::array<double, 4>& other : found->second) {
        if (box[0] < other[2] + mGap / 2 && other[0] < box[2] + mGap / 2 && box[1] < other[3] + mGap / 2 &&
            other[1] < box[3] + mGap / 2) {
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
  // Small enough that a cell's two numbers pack into one key.
  static constexpr double kFarthestCell = 1 << 30;
  // The rectangle is finite and a text's size wide: it covers a few cells.
  template <typename Visit>
  void ForEachCell(const double* box, Visit visit) const {
    auto cell = [this](double at) {
      return static_cast<int64_t>(std::clamp(std::floor(at / mCell), -kFarthestCell, kFarthestCell));
    };
    const int64_t x0 = cell(box[0]), x1 = cell(box[2]), y0 = cell(box[1]), y1 = cell(box[3]);
    for (int64_t x = x0; x <= x1; ++x) {
      for (int64_t y = y0; y <= y1; ++y) visit(static_cast<int64_t>(static_cast<uint64_t>(x) << 32) ^ (y & 0xFFFFFFFF));
    }
  }
  double mCell;
  double mGap;
  std::unordered_map<int64_t, std::vector<std::array<double, 4>>> mCells;
};

// Where the texts go: a window or a printed page, each with its own units, as an affine
// map from the net's plane.
class TextSurface {
 public:
  virtual ~TextSurface() = default;
  virtual void FromNet(const double* net, double* out) const = 0;
  // The width and height of a text.
  virtual void Measure(const char* text, double& width, double& height) = 0;
};

// An edge text placed on a surface: its middle and the rectangle it takes.
struct SurfaceText {
  double at[2] = {0.0, 0.0};
  double box[4] = {0.0, 0.0, 0.0, 0.0};
};

// Where an edge's text stands on the surface: beside the middle of its segment, just far
// enough that the edge line passes clear of the text; on the facelet's side, or where
// another edge text stands there already, on the edge's other side (over the
// neighbouring facelet or the tab, which a joined edge labels only once). False when
// both are taken, and when the edge is shorter than a text is high: a text beside it
// would fall on the texts of its neighbours and could not be read. The text waits
// until the net is seen large enough to hold it.
bool PlaceEdgeText(TextSurface& surface, TextRoom& room, const double* inside, const Edge3D* e, const Edge3D* next,
                   const char* text, double lineHeight, double gap, SurfaceText& placed) {
  double a[2], b[2];
  surface.FromNet(e->unfolded, a);
  surface.FromNet(next->unfolded, b);
  const double side[2] = {b[0] - a[0], b[1] - a[1]};
  const double length = std::hypot(side[0], side[1]);
  if (!(length >= lineHeight) || !std::isfinite(length)) return false;
  const double middle[2] = {0.5 * (a[0] + b[0]), 0.5 * (a[1] + b[1])};
  double width = 0.0, height = 0.0;
  surface.Measure(text, width, height);
  double across[2] = {-side[1] / length, side[0] / length};
  if (across[0] * (inside[0] - middle[0]) + across[1] * (inside[1] - middle[1]) < 0.0) {
    across[0] = -across[0];
    across[1] = -across[1];
  }
  // Half the text's box measured across the edge, and a gap.
  const double reach = 0.5 * (width * std::fabs(across[0]) + height * std::fabs(across[1])) + gap;
  for (const double way : {1.0, -1.0}) {
    const double x = middle[0] + way * across[0] * reach, y = middle[1] + way * across[1] * reach;
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    const double box[4] = {x - 0.5 * width, y - 0.5 * height, x + 0.5 * width, y + 0.5 * height};
    if (!room.IsFree(box)) continue;
    room.Take(box);
    placed.at[0] = x;
    placed.at[1] = y;
    std::copy(box, box + 4, placed.box);
    return true;
  }
  return false;
}

// The edge texts of one facelet, each placed on the surface as PlaceEdgeText places it.
template <typename Placed>
void PlaceFaceletEdgeTexts(TextSurface& surface, TextRoom& room, const Face3D* f, double lineHeight, double gap,
                           Placed placed) {
  char text[kTextSize];
  double centre[3], direction[3], normal[3], inside[2];
  f->GetCentreFrame(kFaceletDrawFlat, centre, direction, normal, nullptr, 1.0);
  surface.FromNet(centre, inside);
  const int count = f->GetNumEdges();
  for (int i = 0; i < count; ++i) {
    const Edge3D* e = &f->mEdges[i];
    const Edge3D* next = e->GetNextInLoop();
    if (!next || !e->GetEdgeDataText(text, sizeof text)) continue;
    SurfaceText one;
    if (PlaceEdgeText(surface, room, inside, e, next, text, lineHeight, gap, one)) placed(text, one);
  }
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

// The window of a view, in pixels.
class WindowSurface final : public TextSurface {
 public:
  explicit WindowSurface(OpenGLView* view) : mView(view) {}
  void FromNet(const double* net, double* out) const override { mView->Mapping2D().ModelToWindow2D(out, net); }
  void Measure(const char* text, double& width, double& height) override {
    int w = 0, h = 0;
    mView->Text().MeasureText(text, w, h);
    width = w;
    height = h;
  }

 private:
  OpenGLView* mView;
};

// What the texts of a view say: the net as the model counted its changes, and the
// settings the texts are made of.
struct ContentKey {
  Model3D::NetMark nets;
  uint32_t edgeData = 0;
  uint32_t numbers = 0;
  double lengthScale = 0.0;
  int32_t angleUnit = 0;
  int32_t coincMethod = 0;
  int32_t maxFacesPerNet = 0;

  static ContentKey Of(const Net* net) {
    ContentKey key;
    key.nets = Model3D::NetMark::Of(net, Net::GetModel(net));
    key.edgeData = GetNetSettings().edgeData;
    key.numbers = AreFaceletNumbersShown() ? DiagnosticNumbers : 0u;
    const UnitSettings& units = GetUnitSettings();
    key.lengthScale = units.mLengthScale;
    key.angleUnit = units.mAngleUnit;
    key.coincMethod = units.mCoincEdgeMethod;
    key.maxFacesPerNet = units.mMaxFacesPerNet;
    return key;
  }
  bool Holds(const ContentKey& o) const {
    return nets.Holds(o.nets) && edgeData == o.edgeData && numbers == o.numbers && lengthScale == o.lengthScale &&
           angleUnit == o.angleUnit && coincMethod == o.coincMethod && maxFacesPerNet == o.maxFacesPerNet;
  }
};

// Where the texts of a view stand: the view's scale and turn (the window points of the
// net's unit steps, apart from the scroll) and its font.
struct LayoutKey {
  double steps[4] = {0.0, 0.0, 0.0, 0.0};
  int fontScale = 0;

  static LayoutKey Of(OpenGLView* view) {
    LayoutKey key;
    const double origin[2] = {0.0, 0.0}, x[2] = {1.0, 0.0}, y[2] = {0.0, 1.0};
    double o[2], px[2], py[2];
    view->Mapping2D().ModelToWindow2D(o, origin);
    view->Mapping2D().ModelToWindow2D(px, x);
    view->Mapping2D().ModelToWindow2D(py, y);
    key.steps[0] = px[0] - o[0];
    key.steps[1] = px[1] - o[1];
    key.steps[2] = py[0] - o[0];
    key.steps[3] = py[1] - o[1];
    key.fontScale = view->Text().GetFontScale();
    return key;
  }
  bool Holds(const LayoutKey& o) const {
    const double size = std::max(std::hypot(steps[0], steps[1]), std::hypot(steps[2], steps[3]));
    for (int k = 0; k < 4; ++k) {
      if (!(std::fabs(steps[k] - o.steps[k]) <= kSameMapping * size)) return false;
    }
    return fontScale == o.fontScale;
  }
};

// The facelets of a net in chain order, filed by the boxes of their flat corners.
struct FaceletIndex {
  Model3D::NetMark nets;
  std::vector<const Face3D*> facelets;
  std::unique_ptr<BoxGrid> grid;
  double bounds[4] = {DBL_MAX, DBL_MAX, -DBL_MAX, -DBL_MAX};

  void Build(const Net* net, const Model3D::NetMark& of) {
    nets = of;
    facelets.assign(net->Places().begin(), net->Places().end());
    bounds[0] = bounds[1] = DBL_MAX;
    bounds[2] = bounds[3] = -DBL_MAX;
    std::vector<std::array<double, 4>> boxes(facelets.size());
    double sum = 0.0;
    for (size_t i = 0; i < facelets.size(); ++i) {
      std::array<double, 4>& box = boxes[i];
      box = {DBL_MAX, DBL_MAX, -DBL_MAX, -DBL_MAX};
      const Face3D* f = facelets[i];
      for (int k = 0; k < f->GetNumEdges(); ++k) {
        const double* p = f->mEdges[k].unfolded;
        box = {std::min(box[0], p[0]), std::min(box[1], p[1]), std::max(box[2], p[0]), std::max(box[3], p[1])};
      }
      if (box[0] > box[2]) continue;
      for (int k = 0; k < 2; ++k) {
        bounds[k] = std::min(bounds[k], box[k]);
        bounds[k + 2] = std::max(bounds[k + 2], box[k + 2]);
      }
      sum += std::max(box[2] - box[0], box[3] - box[1]);
    }
    grid = std::make_unique<BoxGrid>(facelets.empty() ? 1.0 : sum / static_cast<double>(facelets.size()));
    for (size_t i = 0; i < facelets.size(); ++i) {
      if (boxes[i][0] <= boxes[i][2]) grid->Insert(static_cast<uint32_t>(i), &boxes[i][0], &boxes[i][2]);
    }
  }
  // The size of the facelet's flat box: no side and no pair of sides is longer.
  double Extent(uint32_t i) const {
    if (!grid->Contains(i)) return 0.0;
    const double* least = grid->Least(i);
    const double* largest = grid->Largest(i);
    return std::hypot(largest[0] - least[0], largest[1] - least[1]);
  }
};

// A text of the pane: what it says, its point in net units and, for an edge text, the
// window rectangle it took when it was placed.
struct PaneText {
  std::string text;
  double at[2] = {0.0, 0.0};
  bool edge = false;
  std::array<double, 4> box = {0.0, 0.0, 0.0, 0.0};
};

// What a view keeps of its net's texts.
struct ViewTexts {
  ContentKey content;
  LayoutKey layout;
  // The part of the net's plane (least x, least y, largest x, largest y) the texts
  // were worked out for.
  double region[4] = {0.0, 0.0, 0.0, 0.0};
  bool whole = false;
  bool made = false;
  FaceletIndex index;
  // Numbers first, then edge texts, then corner angles, as they are written.
  std::vector<PaneText> texts;
  std::vector<uint32_t> written;
};

struct Kept : GLContextPart {
  std::unordered_map<const OpenGLView*, ViewTexts> views;
  unsigned long workedOut = 0;
};

// The rectangle of the net's plane the window shows (least x, least y, largest x,
// largest y).
void WindowArea(OpenGLView* view, double* area) {
  const double w = std::max(view->GetClientWidth(), 1), h = std::max(view->GetClientHeight(), 1);
  const double corners[4][2] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
  area[0] = area[1] = DBL_MAX;
  area[2] = area[3] = -DBL_MAX;
  for (const auto& corner : corners) {
    double p[2];
    view->Mapping2D().WindowToModel2D(p, corner[0], corner[1]);
    for (int k = 0; k < 2; ++k) {
      area[k] = std::min(area[k], p[k]);
      area[k + 2] = std::max(area[k + 2], p[k]);
    }
  }
}

bool Covers(const double* outer, const double* inner) {
  return outer[0] <= inner[0] && outer[1] <= inner[1] && outer[2] >= inner[2] && outer[3] >= inner[3];
}

bool HasTexts(const ContentKey& key) {
  return (key.edgeData & (kEdgeDataTexts | kEdgeDataFaceAngles)) != 0 || key.numbers != 0;
}

// Whether what the view keeps says what a paint of the net writes now, in this window.
bool Holds(const ViewTexts& kept, const ContentKey& content, const LayoutKey& layout, const double* window) {
  return kept.made && kept.content.Holds(content) && kept.layout.Holds(layout) &&
         (kept.whole || Covers(kept.region, window));
}

// What the texts of the facelets near the window are worked out from: the view, the
// facelets, the text's height in pixels and in net units.
struct TextScale {
  OpenGLView* view;
  double lineHeight;
  double pixelsPerUnit;
  double textUnits;
};

// The facelets' numbers, where the sides are on average as long as a text is high (on a
// smaller facelet the number falls on its neighbours' numbers).
void AddFaceletNumbers(const std::vector<const Face3D*>& facelets, const TextScale& scale, std::vector<PaneText>& out) {
  char text[kTextSize];
  for (const Face3D* f : facelets) {
    if (FlatPerimeter(f) < f->GetNumEdges() * scale.textUnits) continue;
    PaneText one;
    double direction[3], normal[3], centre[3];
    f->GetCentreFrame(kFaceletDrawFlat, centre, direction, normal, nullptr, 1.0);
    std::snprintf(text, sizeof text, "%d", GetFaceletDisplayNumber(f));
    one.text = text;
    one.at[0] = centre[0];
    one.at[1] = centre[1];
    out.push_back(std::move(one));
  }
}

// The edge texts, none over another.
void AddEdgeTexts(const std::vector<const Face3D*>& facelets, const TextScale& scale, std::vector<PaneText>& out) {
  WindowSurface surface(scale.view);
  TextRoom room(kCellTexts * scale.lineHeight, kEdgeTextGap);
  for (const Face3D* f : facelets) {
    PlaceFaceletEdgeTexts(surface, room, f, scale.lineHeight, kEdgeTextGap,
                          [&](const char* placed, const SurfaceText& at) {
                            PaneText one;
                            one.text = placed;
                            one.edge = true;
                            scale.view->Mapping2D().WindowToModel2D(one.at, at.at[0], at.at[1]);
                            std::copy(at.box, at.box + 4, one.box.begin());
                            out.push_back(std::move(one));
                          });
  }
}

// The inside angle at each corner, on its bisector, where both sides are as long as a
// text is high (in a smaller corner it falls on the corner's other angles).
void AddCornerAngles(const std::vector<const Face3D*>& facelets, const TextScale& scale, std::vector<PaneText>& out) {
  for (const Face3D* f : facelets) {
    const int count = f->GetNumEdges();
    for (int k = 0; k < count; ++k) {
      const Edge3D* e = &f->mEdges[k];
      const Edge3D* previous = e->GetPrevInLoop();
      const Edge3D* next = e->GetNextInLoop();
      if (!previous || !next) continue;
      const double into[2] = {e->unfolded[0] - previous->unfolded[0], e->unfolded[1] - previous->unfolded[1]};
      const double outOf[2] = {next->unfolded[0] - e->unfolded[0], next->unfolded[1] - e->unfolded[1]};
      const double lengthIn = std::hypot(into[0], into[1]);
      const double lengthOut = std::hypot(outOf[0], outOf[1]);
      if (lengthIn < kPointTolerance || lengthOut < kPointTolerance) continue;
      if (std::min(lengthIn, lengthOut) < scale.textUnits) continue;
      const double angle = GetCornerAngle(into, outOf);
      // Bisector into the corner: between the way back and the way on, turned over for
      // a reflex corner; the left normal of the edge in a straight one.
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
      const double c = std::clamp(angle, kLeastCornerAngle, kGreatestCornerAngle);
      const double h = scale.lineHeight;
      double r = std::max(20.0 * h / (2.0 * std::tan(c / 2.0)), 10.0 * h) / scale.pixelsPerUnit;
      r = std::min(r, 0.25 * std::hypot(outOf[0] + into[0], outOf[1] + into[1]));
      PaneText one;
      char angleText[kAngleTextSize];
      one.text = GetUnitSettings().FormatAngle(angleText, angle, kDegreeSign);
      one.at[0] = e->unfolded[0] + r * bisector[0] / length;
      one.at[1] = e->unfolded[1] + r * bisector[1] / length;
      out.push_back(std::move(one));
    }
  }
}

// Works the texts out for the view's window: the facelets near it (or all, when the
// window and its surroundings hold the whole net), each kind in chain order.
void LayOut(ViewTexts& kept, const Net* net, OpenGLView* view, const ContentKey& content, const LayoutKey& layout,
            const double* window) {
  kept.content = content;
  kept.layout = layout;
  kept.made = true;
  kept.whole = true;
  kept.texts.clear();
  kept.written.clear();
  const double lineHeight = view->Text().GetLineHeight();
  const double pixelsPerUnit = view->Mapping2D().UnitsToPixelsX(1.0);
  if (!(pixelsPerUnit > 0.0) || !HasTexts(content)) return;
  const TextScale scale{view, lineHeight, pixelsPerUnit, lineHeight / pixelsPerUnit};
  if (!kept.index.grid || !kept.index.nets.Holds(content.nets)) kept.index.Build(net, content.nets);
  const FaceletIndex& index = kept.index;
  const double w = window[2] - window[0], h = window[3] - window[1];
  kept.region[0] = window[0] - w;
  kept.region[1] = window[1] - h;
  kept.region[2] = window[2] + w;
  kept.region[3] = window[3] + h;
  kept.whole = Covers(kept.region, index.bounds);
  std::vector<uint32_t> near;
  if (kept.whole) {
    near.resize(index.facelets.size());
    for (size_t i = 0; i < near.size(); ++i) near[i] = static_cast<uint32_t>(i);
  } else {
    index.grid->Query(kept.region, kept.region + 2, 0.0, near);
  }
  // No text can be read beside an edge, in a corner or on a facelet whose flat box is
  // smaller than a text is high: such facelets are passed over at once.
  std::vector<const Face3D*> legible;
  for (uint32_t i : near) {
    if (index.Extent(i) >= scale.textUnits) legible.push_back(index.facelets[i]);
  }
  if (content.numbers) AddFaceletNumbers(legible, scale, kept.texts);
  if (content.edgeData & kEdgeDataTexts) AddEdgeTexts(legible, scale, kept.texts);
  if (content.edgeData & kEdgeDataFaceAngles) AddCornerAngles(legible, scale, kept.texts);
}

// The texts whose point lies in the window: GL writes no other (its raster position
// would be outside the view).
template <typename Visit>
void ForEachInWindow(const ViewTexts& kept, OpenGLView* view, Visit visit) {
  const double w = view->GetClientWidth(), h = view->GetClientHeight();
  for (uint32_t i = 0; i < kept.texts.size(); ++i) {
    double p[2];
    view->Mapping2D().ModelToWindow2D(p, kept.texts[i].at);
    if (p[0] >= -kWindowMargin && p[0] <= w + kWindowMargin && p[1] >= -kWindowMargin && p[1] <= h + kWindowMargin) {
      visit(i);
    }
  }
}

// What the view keeps in the current context; null outside a section.
ViewTexts* FindKept(const OpenGLView* view) {
  Kept* kept = FindCurrentGLContextPart<Kept>(&GLContextState::netTexts);
  return kept ? &kept->views[view] : nullptr;
}

std::vector<NetText> ToNetTexts(const ViewTexts& kept, const std::vector<uint32_t>& which) {
  std::vector<NetText> out;
  out.reserve(which.size());
  for (uint32_t i : which) {
    NetText one;
    one.text = kept.texts[i].text;
    one.at[0] = kept.texts[i].at[0];
    one.at[1] = kept.texts[i].at[1];
    out.push_back(std::move(one));
  }
  return out;
}

// The page's net placement onto the page, in twips.
class PageSurface final : public TextSurface {
 public:
  PageSurface(PrintPage& page, const NetPlacement& placement) : mPage(page), mPlacement(placement) {}
  void FromNet(const double* net, double* out) const override { mPlacement.ToPagePoint(net, false, out); }
  void Measure(const char* text, double& width, double& height) override {
    int w = 0, h = 0;
    mPage.GetDC().GetTextExtent(text, w, h);
    width = w;
    height = h;
  }

 private:
  PrintPage& mPage;
  const NetPlacement& mPlacement;
};

}  // namespace detail_NetTexts

void DrawNetTexts(const Net* net, OpenGLView* view) {
  using namespace detail_NetTexts;
  if (!net || !view) return;
  ViewTexts* kept = FindKept(view);
  if (!kept) return;
  kept->written.clear();
  const ContentKey content = ContentKey::Of(net);
  if (!HasTexts(content)) return;
  const LayoutKey layout = LayoutKey::Of(view);
  double window[4];
  WindowArea(view, window);
  if (!Holds(*kept, content, layout, window)) {
    LayOut(*kept, net, view, content, layout, window);
    FindCurrentGLContextPart<Kept>(&GLContextState::netTexts)->workedOut += kept->texts.size();
  }
  ForEachInWindow(*kept, view, [&](uint32_t i) {
    view->Text().DrawText2Dv(kept->texts[i].text.c_str(), kept->texts[i].at, true);
    kept->written.push_back(i);
  });
}

std::vector<NetText> GetNetTextsWritten(const OpenGLView* view) {
  using namespace detail_NetTexts;
  std::vector<NetText> written;
  ForEachGLContextPart<Kept>(&GLContextState::netTexts, [&](const Kept& kept) {
    const auto found = kept.views.find(view);
    if (found != kept.views.end() && written.empty()) written = ToNetTexts(found->second, found->second.written);
  });
  return written;
}

std::vector<NetText> WorkOutNetTexts(const Net* net, OpenGLView* view) {
  using namespace detail_NetTexts;
  if (!net || !view) return {};
  const ContentKey content = ContentKey::Of(net);
  if (!HasTexts(content)) return {};
  ViewTexts fresh;
  double window[4];
  WindowArea(view, window);
  LayOut(fresh, net, view, content, LayoutKey::Of(view), window);
  std::vector<uint32_t> shown;
  ForEachInWindow(fresh, view, [&](uint32_t i) { shown.push_back(i); });
  return ToNetTexts(fresh, shown);
}

unsigned long CountNetTextsWorkedOut() {
  unsigned long count = 0;
  ForEachGLContextPart<detail_NetTexts::Kept>(&GLContextState::netTexts,
                                              [&](const detail_NetTexts::Kept& kept) { count += kept.workedOut; });
  return count;
}

void ForgetNetTexts(const OpenGLView* view) {
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (state->netTexts) static_cast<detail_NetTexts::Kept&>(*state->netTexts).views.erase(view);
  }
}

std::vector<PlacedEdgeText> PlaceEdgeTexts(const Net* net, OpenGLView* view) {
  using namespace detail_NetTexts;
  std::vector<PlacedEdgeText> placed;
  if (!net || !view) return placed;
  const ContentKey content = ContentKey::Of(net);
  if (!(content.edgeData & kEdgeDataTexts)) return placed;
  ViewTexts fresh;
  double window[4];
  WindowArea(view, window);
  LayOut(fresh, net, view, content, LayoutKey::Of(view), window);
  for (const PaneText& text : fresh.texts) {
    if (!text.edge) continue;
    PlacedEdgeText one;
    one.text = text.text;
    one.at[0] = text.at[0];
    one.at[1] = text.at[1];
    one.box = text.box;
    placed.push_back(std::move(one));
  }
  return placed;
}

void PrintEdgeTexts(const Net* net, double gap) {
  using namespace detail_NetTexts;
  PrintPage* page = GetCurrentPrintPage();
  const NetPlacement* placement = page ? page->GetNetPlacement() : nullptr;
  if (!net || !placement || !(GetNetSettings().edgeData & kEdgeDataTexts)) return;
  PageSurface surface(*page, *placement);
  double width = 0.0, lineHeight = 0.0;
  surface.Measure("0", width, lineHeight);
  if (!(lineHeight > 0.0)) return;
  TextRoom room(kCellTexts * lineHeight, gap);
  for (const Face3D* f : net->Places()) {
    PlaceFaceletEdgeTexts(surface, room, f, lineHeight, gap, [&](const char* text, const SurfaceText& at) {
      // The page's y runs up: a text is written from its upper left corner.
      const double corner[2] = {at.box[0], at.box[3]};
      page->PrintTextAt(corner, text);
    });
  }
}

}  // namespace corvia
