// Printed pages of a pane: texts, lines, arrows, dots and polygons clipped to the
// printable rectangle, and the pages themselves: the nets of an Unfolded Net pane
// fitted onto as many pages as they need, a flat diagram on one page.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/PolyView.h"
#include "app/VertexFigurePane.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/Units.h"
#include "model/ColorSchemes.h"
#include "model/CrossSection.h"
#include "model/Edge.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetPages.h"
#include "nets/NetTab.h"
#include "nets/Vert3D.h"
#include "platform/Services.h"
#include "render/FaceletDrawing.h"
#include "render/NetDrawing.h"
#include "render/NetTexts.h"
#include "render/OutcomeBoxes.h"
#include "render/Primitives.h"
#include "render/StellationDrawing.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"

namespace corvia {

namespace detail_PolyViewPrint {

constexpr double kDegrees = 3.14159265358979323846 / 180.0;
// Printed line widths and dashes count pixels of 1/96 inch, the size of a screen's
// pixel, so that a page looks alike on every printer and in the preview.
constexpr double kTwipsPerPrintedPixel = 15.0;
// Valley folds are dashed on paper as on screen: the screen's line stipple, one bit
// per printed pixel, from bit 0.
constexpr uint16_t kValleyStipple = 0x0F0F;
constexpr int kStippleBits = 16;
// Thin lines of the printed diagrams, in twips.
constexpr int kHairline = 10;
// The thinnest line, in twips: it only closes the seams between a polygon's triangles.
constexpr int kSeamLine = 1;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kGrey = 0x808080;
constexpr int kMaxChainSteps = 1000000;
// Printed pixels between an edge and its text.
constexpr double kEdgeTextGapPixels = 2.0;

uint32_t Pack(const float* rgb) { return PackRainbowColor(rgb); }

int PrintedPixelsToTwips(int pixels) {
  return static_cast<int>(std::lround(std::max(1, pixels) * kTwipsPerPrintedPixel));
}

template <typename Visit>
void ForEachFacelet(Net* net, Visit visit) {
  int steps = kMaxChainSteps;
  for (Face3D* f = net->first; f && steps-- > 0; f = f->mNextInNet) visit(f);
}

// The fills of a net page by the print shading: the colours of the screen, greys of
// the colours' shade levels (white for the first, 1 - the shade depth of white for
// the last, in the order the nets meet them), or none.
class PrintShades {
 public:
  explicit PrintShades(Model3D* model) {
    const UnitSettings& units = GetUnitSettings();
    mShading = units.GetPrintShading(false);
    if (mShading != kPrintShadingGreyscale || !model) return;
    for (NetType* type = model->mNetTypes; type; type = type->next) {
      for (int n = 0; n < type->numNets; ++n) {
        ForEachFacelet(&type->nets[n], [&](Face3D* f) {
          const uint32_t packed = Pack(f->GetColor());
          if (std::find(mLevels.begin(), mLevels.end(), packed) == mLevels.end()) mLevels.push_back(packed);
        });
      }
    }
    mShadeDepth = units.mPrintShadeMax;
  }

  // False when nothing is filled.
  bool FillOf(const float* rgb, uint32_t& out) const {
    if (mShading == kPrintShadingNone) return false;
    if (mShading != kPrintShadingGreyscale) {
      out = Pack(rgb);
      return true;
    }
    const auto at = std::find(mLevels.begin(), mLevels.end(), Pack(rgb));
    const size_t level = at == mLevels.end() ? 0 : static_cast<size_t>(at - mLevels.begin());
    const double t = mLevels.size() > 1 ? static_cast<double>(level) / (mLevels.size() - 1) : 0.0;
    const float grey = static_cast<float>(1.0 - mShadeDepth * t);
    const float rgbGrey[3] = {grey, grey, grey};
    out = Pack(rgbGrey);
    return true;
  }
  bool FillsTabs() const { return mShading != kPrintShadingNone; }

 private:
  int mShading = kPrintShadingColor;
  double mShadeDepth = 0.0;
  std::vector<uint32_t> mLevels;
};

// The convex polygon's points that stay against one page edge (x or y against v, on
// the upper side strictly above, on the lower side at most v), with the crossings.
std::vector<double> ClipAgainstEdge(const std::vector<double>& in, int axis, double v, bool upper) {
  const int n = static_cast<int>(in.size() / 2);
  auto stays = [&](int i) {
    const double c = in[2 * i + axis];
    return upper ? c > v : c <= v;
  };
  int firstOut = -1;
  for (int i = 0; i < n && firstOut < 0; ++i) {
    if (!stays(i)) firstOut = i;
  }
  if (firstOut < 0) return in;
  int firstIn = -1;
  for (int k = 1; k <= n && firstIn < 0; ++k) {
    const int i = (firstOut + k) % n;
    if (stays(i)) firstIn = i;
  }
  if (firstIn < 0) return {};
  auto crossing = [&](int a, int b, std::vector<double>& out) {
    const double ca = in[2 * a + axis], cb = in[2 * b + axis];
    const double t = cb != ca ? (v - ca) / (cb - ca) : 0.0;
    const int other = 1 - axis;
    double p[2];
    p[axis] = v;
    p[other] = in[2 * a + other] + t * (in[2 * b + other] - in[2 * a + other]);
    out.push_back(p[0]);
    out.push_back(p[1]);
  };
  std::vector<double> out;
  const int lastOut = (firstIn + n - 1) % n;
  crossing(lastOut, firstIn, out);
  int i = firstIn;
  int last = i;
  for (int k = 0; k < n && stays(i); ++k) {
    out.push_back(in[2 * i]);
    out.push_back(in[2 * i + 1]);
    last = i;
    i = (i + 1) % n;
  }
  crossing(last, (last + 1) % n, out);
  return out;
}

// A 2D affine map (m0..m5) that shows the extents (left, top, right, bottom) centred
// on the page rectangle, as large as fits.
void FitExtentsToPage(const float* extents, const int32_t* rect, double* m) {
  const double w = std::fabs(extents[2] - extents[0]);
  const double h = std::fabs(extents[1] - extents[3]);
  const double pw = rect[2] - rect[0];
  const double ph = rect[1] - rect[3];
  const double s = (w > 0.0 && h > 0.0) ? std::min(pw / w, ph / h) : 1.0;
  const double cx = (extents[0] + extents[2]) / 2.0, cy = (extents[1] + extents[3]) / 2.0;
  m[0] = s;
  m[1] = 0.0;
  m[2] = 0.0;
  m[3] = s;
  m[4] = (rect[0] + rect[2]) / 2.0 - s * cx;
  m[5] = (rect[1] + rect[3]) / 2.0 - s * cy;
}

void MapPoint(const double* m, double x, double y, double* out) {
  out[0] = m[0] * x + m[2] * y + m[4];
  out[1] = m[1] * x + m[3] * y + m[5];
}

// Whether the nets of every colour fit on pages of this size at the present radius.
bool NetsFitOnPages(Model3D* model, const int32_t* rect, const std::vector<const float*>& colours) {
  for (const float* colour : colours) {
    if (model->CountNetsToPrint(colour, false) <= 0) continue;
    int32_t lowest = 0;
    NetPage* pages = FitNetsOnPages(model, rect, 0, colour, false, &lowest);
    if (!pages) return false;
    NetPage::FreeList(pages);
  }
  return true;
}

// The value rounded down to three significant figures, a radius that a person reads
// and types again.
double RoundDownToThreeFigures(double value) {
  if (!(value > 0.0) || !std::isfinite(value)) return 0.0;
  const double step = std::pow(10.0, std::floor(std::log10(value)) - 2.0);
  return std::floor(value / step + 1e-9) * step;
}

// The largest radius, in three figures, at which the nets fit on the pages; 0 when none
// does, -1 when the user cancelled. The tabs keep their size on paper whatever the
// radius, so the nets do not shrink in proportion: the radius is tried from the
// proportional guess downwards. Each try makes every tab again, seconds on a large
// model, so the search runs under the progress window, and so does putting back the
// radius in force, which makes them once more: that cannot stop half done, so no cancel
// is taken there, and the search runs one level down so that a cancel of it leaves the
// window up while the tabs are made again.
double FindFittingRadius(Model3D* model, const int32_t* rect, const std::vector<const float*>& colours) {
  UnitSettings& units = GetUnitSettings();
  const double original = units.mLengthScale;
  int32_t largest = 0, smallest = 0;
  for (const NetType* type = model->mNetTypes; type; type = type->next) {
    if (type->printCount <= 0) continue;
    const int32_t w = units.ModelToTwipsRounded(2.0 * type->radiusX);
    const int32_t h = units.ModelToTwipsRounded(2.0 * type->radiusY);
    largest = std::max(largest, std::max(w, h));
    smallest = std::max(smallest, std::min(w, h));
  }
  const double pageLong = std::max(rect[2] - rect[0], rect[1] - rect[3]);
  const double pageShort = std::min(rect[2] - rect[0], rect[1] - rect[3]);
  if (largest <= 0 || smallest <= 0 || pageShort <= 0.0) return 0.0;
  double radius = RoundDownToThreeFigures(original * std::min(pageLong / largest, pageShort / smallest));
  double found = 0.0;
  constexpr int kTries = 200;
  constexpr double kShrink = 0.99;
  // How many radii are tried is not known beforehand: each try takes this share of
  // what is left of the bar, and putting back the radius takes the rest.
  constexpr double kTryShare = 0.25;
  double reached = 0.0;
  bool tried = false;
  const int cancels = GetProgressCancelCount();
  const ProgressScope whole;
  SetShowTimeRemaining(false);
  if (GetProgressCancelCount() == cancels) {
    const ProgressScope search;
    for (int i = 0; i < kTries && radius > 0.0 && found == 0.0; ++i) {
      if (!UpdateProgress(reached, "Finding the radius at which the nets fit on the page...")) break;
      const double next = reached + (1.0 - reached) * kTryShare;
      const ProgressRange bar = PushProgressRange(reached, next);
      tried = true;
      units.SetLengthScale(radius, false);
      const bool fits = NetsFitOnPages(model, rect, colours);
      PopProgressRange(bar);
      reached = next;
      // A cancel inside the try leaves its tabs half made.
      if (!ProgressTick()) break;
      if (fits) {
        found = radius;
      } else {
        radius = RoundDownToThreeFigures(radius * kShrink);
      }
    }
  }
  if (tried) {
    const ProgressShield toTheEnd;
    const ProgressScope restore;
    const ProgressRange bar = PushProgressRange(reached, 1.0);
    (void)UpdateProgress(0.0, "Making the nets again at the radius in force...");
    units.SetLengthScale(original, false);
    PopProgressRange(bar);
  }
  // A Cancel pressed while the nets were made again is heard now.
  (void)UpdateProgress(1.0);
  if (GetProgressCancelCount() != cancels) found = -1.0;
  return found;
}

// Says that a net is larger than the page, with the sizes that the user can change,
// and offers the largest radius at which the nets fit. True when the user took it (the
// radius is then in force, as one undo step, and the panes of the group are redrawn).
bool OfferFittingRadius(ViewGroup& group, Model3D* model, const int32_t* rect,
                        const std::vector<const float*>& colours) {
  UnitSettings& units = GetUnitSettings();
  double largest[2] = {0.0, 0.0};
  for (const NetType* type = model->mNetTypes; type; type = type->next) {
    if (type->printCount <= 0) continue;
    const double w = 2.0 * type->radiusX, h = 2.0 * type->radiusY;
    if (std::max(w, h) > std::max(largest[0], largest[1])) {
      largest[0] = w;
      largest[1] = h;
    }
  }
  const char* unit = UnitSettings::GetDistanceUnitName(units.mDistanceUnit);
  // The radius the information bar shows is the length scale itself.
  const std::string sizes = FormatLimited(
      kMessageBufferSize,
      "The nets do not fit on the page.\nThe largest net measures %.3g x %.3g %s with the model's radius at %g %s, "
      "and the page holds %.3g x %.3g %s.",
      largest[0] * units.mLengthScale, largest[1] * units.mLengthScale, unit, units.mLengthScale, unit,
      units.TwipsToUnits(rect[2] - rect[0]), units.TwipsToUnits(rect[1] - rect[3]), unit);
  const double radius = FindFittingRadius(model, rect, colours);
  if (radius < 0.0) return false;
  if (radius == 0.0) {
    ShowError("%s\nPrint on larger paper or with narrower margins.", sizes.c_str());
    return false;
  }
  if (!AskYesNo("%s\n\nMake the radius %g %s, the largest at which the nets fit on the page, and print?\n"
                "(Edit > Scale > Radius... changes it at any time.)",
                sizes.c_str(), radius, unit)) {
    return false;
  }
  units.SetUserLengthScale(radius);
  platform::Services().views->InvalidateInfo(kInfoReasonUnits);
  RedrawAllViews(group, false, false);
  return true;
}

}  // namespace detail_PolyViewPrint

// ---- The page ------------------------------------------------------------------------------

void PanePage::BeginPrintPage(DeviceContext* dc, const int32_t* rect) {
  mPrint.dc = dc;
  std::copy(rect, rect + 4, mPrint.rect);
  mPrint.placement = nullptr;
}

void PanePage::EndPrintPage() {
  mPrint.dc = nullptr;
  mPrint.placement = nullptr;
}

void PanePage::SetPrintDiagramTransform(const double* m) { std::copy(m, m + 6, mPrint.diagramTransform); }

DeviceContext& PanePage::GetDC() {
  // Callers reach the device context only through a page being printed.
  static class NullDC final : public DeviceContext {
   public:
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Polygon(const int*, int) override {}
    void Arc(int, int, int, int, int, int, int) override {}
    void TextOut(int, int, const char*) override {}
    void GetTextExtent(const char*, int& width, int& height) override { width = height = 0; }
    void SetPen(uint32_t, int) override {}
    void SetBrush(uint32_t) override {}
  } none;
  if (!mPrint.dc) {
    ShowInternalError("CPolyView::GetDC: No page is being printed");
    return none;
  }
  return *mPrint.dc;
}

bool PanePage::IsOnPage(const double* p) const {
  const int32_t* r = mPrint.rect;
  return p[0] >= r[0] && p[0] <= r[2] && p[1] >= r[3] && p[1] <= r[1];
}

bool PanePage::IsOnPage(int32_t x, int32_t y) const {
  const int32_t* r = mPrint.rect;
  return x >= r[0] && x <= r[2] && y >= r[3] && y <= r[1];
}

void PanePage::PrintTextAt(const double* point, const char* text) {
  if (!mPrint.dc || !text || !IsOnPage(point)) return;
  mPrint.dc->TextOut(RoundToDevice(point[0]), RoundToDevice(point[1]), text);
}

void PanePage::PrintTextAt(int32_t x, int32_t y, const char* text) {
  if (!mPrint.dc || !text || !IsOnPage(x, y)) return;
  mPrint.dc->TextOut(x, y, text);
}

bool PanePage::ClipToPage(const double* a, const double* b, int32_t* out) const {
  double p[2] = {a[0], a[1]}, q[2] = {b[0], b[1]};
  const double lo[2] = {static_cast<double>(mPrint.rect[0]), static_cast<double>(mPrint.rect[3])};
  const double hi[2] = {static_cast<double>(mPrint.rect[2]), static_cast<double>(mPrint.rect[1])};
  if (!std::isfinite(p[0] + p[1] + q[0] + q[1]) || !ClipLine2D(p, q, lo, hi)) return false;
  out[0] = RoundToDevice(p[0]);
  out[1] = RoundToDevice(p[1]);
  out[2] = RoundToDevice(q[0]);
  out[3] = RoundToDevice(q[1]);
  return true;
}

void PanePage::PrintLine(const double* a, const double* b) {
  int32_t c[4];
  if (!mPrint.dc || !ClipToPage(a, b, c)) return;
  mPrint.dc->MoveTo(c[0], c[1]);
  mPrint.dc->LineTo(c[2], c[3]);
}

void PanePage::PrintRectangle(const double* a, const double* b) {
  const double p0[2] = {a[0], a[1]}, p1[2] = {a[0], b[1]}, p2[2] = {b[0], a[1]}, p3[2] = {b[0], b[1]};
  PrintLine(p0, p1);
  PrintLine(p0, p2);
  PrintLine(p1, p3);
  PrintLine(p2, p3);
}

void PanePage::FillRectangle(const double* a, const double* b) {
  const double xy[8] = {a[0], a[1], a[0], b[1], b[0], b[1], b[0], a[1]};
  PrintPolygon(xy, 4);
}

void PanePage::PrintArrowHead(const double* from, const double* to, double size) {
  const double d[2] = {from[0] - to[0], from[1] - to[1]};
  const double length = std::hypot(d[0], d[1]);
  if (!(length > 0.0)) return;
  const double u[2] = {d[0] / length, d[1] / length};
  for (double turn : {45.0, -45.0}) {
    const double c = std::cos(turn * detail_PolyViewPrint::kDegrees), s = std::sin(turn * detail_PolyViewPrint::kDegrees);
    const double end[2] = {to[0] + size * (c * u[0] - s * u[1]), to[1] + size * (s * u[0] + c * u[1])};
    PrintLine(end, to);
  }
}

void PanePage::PrintArrow(const double* from, const double* to, double size) {
  PrintLine(from, to);
  PrintArrowHead(from, to, size);
}

void PanePage::PrintDoubleArrow(const double* from, const double* to, double size) {
  PrintLine(from, to);
  PrintArrowHead(from, to, size);
  PrintArrowHead(to, from, size);
}

void PanePage::PrintDot(const double* centre, double radius) {
  if (!mPrint.dc || !(radius >= 0.0)) return;
  // Nothing leaves the page: a dot that does not lie wholly on it is left out.
  const int32_t* r = mPrint.rect;
  if (!(centre[0] - radius >= r[0] && centre[0] + radius <= r[2] && centre[1] - radius >= r[3] &&
        centre[1] + radius <= r[1])) {
    return;
  }
  // The whole circle filled with the current brush, as a polygon of many sides.
  constexpr int kSides = 36;
  std::vector<int> xy(2 * kSides);
  for (int i = 0; i < kSides; ++i) {
    const double a = 2.0 * 3.14159265358979323846 * i / kSides;
    xy[2 * i] = RoundToDevice(centre[0] + radius * std::cos(a));
    xy[2 * i + 1] = RoundToDevice(centre[1] + radius * std::sin(a));
  }
  mPrint.dc->Polygon(xy.data(), kSides);
}

void PanePage::PrintClippedPolygon(const double* a, const double* b, const double* c) {
  using detail_PolyViewPrint::ClipAgainstEdge;
  if (!mPrint.dc) return;
  std::vector<double> xy = {a[0], a[1], b[0], b[1], c[0], c[1]};
  for (double v : xy) {
    if (!std::isfinite(v)) return;
  }
  const int32_t* r = mPrint.rect;
  xy = ClipAgainstEdge(xy, 0, r[0], true);
  if (!xy.empty()) xy = ClipAgainstEdge(xy, 0, r[2], false);
  if (!xy.empty()) xy = ClipAgainstEdge(xy, 1, r[3], true);
  if (!xy.empty()) xy = ClipAgainstEdge(xy, 1, r[1], false);
  if (xy.size() < 6) return;
  std::vector<int> points(xy.size());
  for (size_t i = 0; i < xy.size(); ++i) points[i] = RoundToDevice(xy[i]);
  mPrint.dc->Polygon(points.data(), static_cast<int>(points.size() / 2));
}

void PanePage::PrintPolygon(const double* xy, int count) {
  if (count < 3) return;
  for (int i = 1; i + 1 < count; ++i) PrintClippedPolygon(xy, xy + 2 * i, xy + 2 * (i + 1));
}

void PanePrinting::FitPaneToModel() {
  const float* e = mView.Mapping2D().GetExtents2D();
  if (e[0] != e[2] || e[1] != e[3]) return;
  Poly* poly = GetCurrentPoly();
  const float r = static_cast<float>(poly && mViewType.IsShowingDual(poly->mShowDual) ? poly->GetRadius() : 1.0);
  mView.Mapping2D().SetExtents2D(-r, r, r, -r);
}

bool PanePrinting::PrintsNetsAsToyPanels() const {
  if (!mViewType.Is(kViewUnfoldedNet) || !GeomagStyle) return false;
  FaceTypeBlock* block = GetPaneShownBlock(mViewType, GetCurrentPoly(), false);
  Model3D* model = block ? block->GetExistingModel3D() : nullptr;
  return model && model->CanBuildWithGeomag() && block->HasFaceImages();
}

// ---- Pages of a pane --------------------------------------------------------------------------

bool PanePrinting::PrintsWithPageDrawing() const {
  if (mViewType.Is(kViewUnfoldedNet)) return true;
  return (mViewType.Code() & kViewFlagDiagram) && !mView.Is3D() && !mViewType.Is(kViewFacetingDiagram);
}

void PanePrinting::FreePrintedPages() {
  NetPage::FreeList(mPrintedPages);
  mPrintedPages = nullptr;
}

void PanePrinting::EndPrinting() {
  FreePrintedPages();
  mPage.EndPrintPage();
}

int PanePrinting::CountPrintPages(const int32_t* rect) {
  FreePrintedPages();
  if (!mViewType.Is(kViewUnfoldedNet)) return 1;
  FaceTypeBlock* block = GetPaneShownBlock(mViewType, GetCurrentPoly(), false);
  Model3D* model = GetModel3DOrTell(block, true);
  if (!model || !model->HasNets()) return 0;
  // The pages are made after any remaking of the nets, and freed before the next: a
  // page holds pointers into the nets.
  // Pages of one colour each when the nets' colours are not to mix on paper: the
  // nets of each colour, in the order the nets meet the colours, on pages of their own.
  std::vector<const float*> colours;
  if (GetUnitSettings().UseSingleColorPages()) {
    for (uint32_t packed : model->GetNetColors()) {
      if (Net* net = model->FindNetByColor(packed)) colours.push_back(net->GetColor());
    }
    // Every net must fall under one of the colours, or it would be left off the paper.
    for (const NetType* type = model->mNetTypes; type && !colours.empty(); type = type->next) {
      for (int n = 0; n < type->numNets; ++n) {
        const float* c = type->nets[n].GetColor();
        auto same = [c](const float* k) { return c[0] == k[0] && c[1] == k[1] && c[2] == k[2]; };
        if (type->nets[n].first && std::none_of(colours.begin(), colours.end(), same)) colours.clear();
        if (colours.empty()) break;
      }
    }
  }
  if (colours.empty()) colours.push_back(nullptr);
  NetPage* last = nullptr;
  for (const float* colour : colours) {
    if (model->CountNetsToPrint(colour, false) <= 0) continue;
    int32_t lowest = 0;
    NetPage* pages = FitNetsOnPages(model, rect, 0, colour, false, &lowest);
    if (!pages) {
      FreePrintedPages();
      // At the radius the user accepts the nets fit, and are counted again.
      if (!detail_PolyViewPrint::OfferFittingRadius(mView.GetViewGroup(), model, rect, colours)) return -1;
      return CountPrintPages(rect);
    }
    (last ? last->next : mPrintedPages) = pages;
    for (last = pages; last->next; last = last->next) {
    }
  }
  int pages = 0;
  for (NetPage* page = mPrintedPages; page; page = page->next) ++pages;
  return pages;
}

bool PanePrinting::PrintPageContent(int page, DeviceContext& dc, const int32_t* rect) {
  Poly* poly = GetCurrentPoly();
  if (!poly || page < 1) return false;
  // The pages are fitted again for each page: the nets may have been made anew since
  // the count (a preview stays open while the model changes), and the old pages would
  // point into nets that are gone.
  if (mViewType.Is(kViewUnfoldedNet) && CountPrintPages(rect) < page) return false;
  mPage.BeginPrintPage(&dc, rect);
  {
    PrintPageScope scope(&mPage);
    if (mViewType.Is(kViewUnfoldedNet)) {
      PrintNetPage(page);
    } else {
      PrintDiagramPage(poly);
    }
  }
  mPage.EndPrintPage();
  return true;
}

void PanePrinting::PrintNetPage(int pageNumber) {
  using namespace detail_PolyViewPrint;
  NetPage* page = ListNth(mPrintedPages, pageNumber - 1);
  if (!page) return;
  DeviceContext& dc = *mPage.GetPrintState().dc;
  FaceTypeBlock* block = GetPaneShownBlock(mViewType, GetCurrentPoly(), false);
  const PrintShades shades(block ? block->GetExistingModel3D() : nullptr);
  const int lineWidth = PrintedPixelsToTwips(GetUnitSettings().mPrintLineWidth);
  for (NetPlacement* placement = page->head; placement; placement = placement->next) {
    Net* net = placement->net;
    if (!net) continue;
    mPage.SetPrintNetPlacement(placement);
    auto toPage = [placement](const double* p, double* out) { placement->ToPagePoint(p, false, out); };
    // The facelets filled in their colours, as on screen.
    ForEachFacelet(net, [&](Face3D* f) {
      uint32_t colour = 0;
      if (!f->mType || !shades.FillOf(f->GetColor(), colour)) return;
      dc.SetBrush(colour);
      dc.SetPen(colour, kSeamLine);
      const int count = f->GetNumEdges();
      for (int i = 0; i + 2 < f->mType->mNumIndices; i += 3) {
        double p[3][2];
        bool valid = true;
        for (int c = 0; c < 3 && valid; ++c) {
          const int index = f->mType->mIndices[i + c];
          valid = index >= 0 && index < count;
          if (valid) toPage(f->mEdges[index].unfolded, p[c]);
        }
        if (valid) mPage.PrintClippedPolygon(p[0], p[1], p[2]);
      }
    });
    // The glue tabs beside them, filled in the tabs' grey and outlined.
    const float tabGrey[3] = {kTabFillGrey, kTabFillGrey, kTabFillGrey};
    ForEachFacelet(net, [&](Face3D* f) {
      for (int i = 0; i < f->GetNumEdges(); ++i) {
        const NetTab* tab = f->mEdges[i].tab.get();
        if (!tab || tab->IsEmpty()) continue;
        if (shades.FillsTabs()) {
          dc.SetBrush(Pack(tabGrey));
          dc.SetPen(Pack(tabGrey), kSeamLine);
          const int points = static_cast<int>(tab->points.size());
          for (int k = 0; k + 2 < tab->numIndices && k + 2 < static_cast<int>(tab->indices.size()); k += 3) {
            double p[3][2];
            bool valid = true;
            for (int c = 0; c < 3 && valid; ++c) {
              const int index = tab->indices[static_cast<size_t>(k + c)];
              valid = index >= 0 && index < points;
              if (valid) toPage(tab->points[static_cast<size_t>(index)].pos2D, p[c]);
            }
            if (valid) mPage.PrintClippedPolygon(p[0], p[1], p[2]);
          }
        }
        dc.SetPen(kBlack, lineWidth);
        double previous[2];
        bool first = true;
        for (const TabPoint& point : tab->outline) {
          double q[2];
          toPage(point.pos2D, q);
          if (!first) mPage.PrintLine(previous, q);
          previous[0] = q[0];
          previous[1] = q[1];
          first = false;
        }
      }
    });
    // The edges: a joined edge once, from its first side; a valley fold dashed from its
    // end with the lower vertex index, so that the dashes of a cut valley edge meet in
    // one phase on both sides.
    dc.SetPen(kBlack, lineWidth);
    ForEachFacelet(net, [&](Face3D* f) {
      for (int i = 0; i < f->GetNumEdges(); ++i) {
        const Edge3D* e = &f->mEdges[i];
        const Edge3D* next = e->GetNextInLoop();
        if (!next || e->Has(kEdgeJoinedAdded)) continue;
        double a[2], b[2];
        toPage(e->unfolded, a);
        toPage(next->unfolded, b);
        if (e->IsConvex()) {
          mPage.PrintLine(a, b);
          continue;
        }
        if (Vert3D::GetIndex(next->vert) < Vert3D::GetIndex(e->vert)) std::swap(a, b);
        mPage.PrintStippledLine(a, b, kValleyStipple);
      }
    });
    DrawSphereSections(net, false, placement, true);
    DrawFaceletLines(net, false, true);
    // The edge texts the pane shows, which match the pieces when they are glued: in the
    // page's font, as far from their edges as on screen.
    PrintEdgeTexts(net, kEdgeTextGapPixels * kTwipsPerPrintedPixel);
  }
  mPage.SetPrintNetPlacement(nullptr);
}

void PanePage::PrintStippledLine(const double* a, const double* b, uint16_t pattern) {
  using namespace detail_PolyViewPrint;
  const double length = std::hypot(b[0] - a[0], b[1] - a[1]);
  if (!(length > 0.0) || !std::isfinite(length)) return;
  const double ux = (b[0] - a[0]) / length, uy = (b[1] - a[1]) / length;
  // Each run of set bits is one dash, cut off at the segment's end.
  const int pixels = static_cast<int>(std::ceil(length / kTwipsPerPrintedPixel));
  int k = 0;
  while (k < pixels) {
    if (!(pattern & (1u << (k % kStippleBits)))) {
      ++k;
      continue;
    }
    int end = k;
    while (end < pixels && (pattern & (1u << (end % kStippleBits)))) ++end;
    const double t0 = k * kTwipsPerPrintedPixel;
    const double t1 = std::min(length, end * kTwipsPerPrintedPixel);
    const double p[2] = {a[0] + t0 * ux, a[1] + t0 * uy};
    const double q[2] = {a[0] + t1 * ux, a[1] + t1 * uy};
    PrintLine(p, q);
    k = end;
  }
}

void PanePrinting::PrintDiagramPage(Poly* poly) {
  using namespace detail_PolyViewPrint;
  if (!mDrawing.PrepareDiagramPane()) FitPaneToModel();
  double m[6];
  FitExtentsToPage(mView.Mapping2D().GetExtents2D(), mPage.GetPrintState().rect, m);
  mPage.SetPrintDiagramTransform(m);
  DeviceContext& dc = *mPage.GetPrintState().dc;
  FaceTypeBlock* block = GetPaneShownBlock(mViewType, GetCurrentPoly(), false);
  PolyElement* face = poly->GetCurrentFace();
  auto line = [&](double x0, double y0, double x1, double y1) {
    double a[2], b[2];
    MapPoint(m, x0, y0, a);
    MapPoint(m, x1, y1, b);
    mPage.PrintLine(a, b);
  };
  switch (mViewType.Code()) {
    case kViewFace:
    case kViewFaceOfStellation:
    case kViewStellationDiagram: {
      if (!face || !face->mType) return;
      if (!block || !block->IsStellated()) {
        // The face pane of a model not stellated shows the face itself, in its colour.
        const std::vector<double> xy = GetElementPolygon2D(face);
        if (!mViewType.Is(kViewFace) || xy.size() < 6) return;
        std::vector<double> page(xy.size());
        for (size_t i = 0; i + 1 < xy.size(); i += 2) MapPoint(m, xy[i], xy[i + 1], &page[i]);
        float rgb[3];
        std::copy(face->GetColour(), face->GetColour() + 3, rgb);
        LightenDiagramColour(rgb);
        dc.SetBrush(Pack(rgb));
        dc.SetPen(Pack(rgb), kSeamLine);
        mPage.PrintPolygon(page.data(), static_cast<int>(page.size() / 2));
        dc.SetPen(kBlack, kHairline);
        for (size_t i = 0; i + 1 < page.size(); i += 2) {
          const size_t j = (i + 2) % page.size();
          mPage.PrintLine(&page[i], &page[j]);
        }
        return;
      }
      const FaceType* type = face->mType;
      if (!mViewType.Is(kViewStellationDiagram)) {
        for (const StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
          if (!f->IsVisible()) continue;
          float rgb[3];
          GetFacePaneFacetColour(f, face, mViewType.Is(kViewFaceOfStellation), rgb);
          dc.SetBrush(Pack(rgb));
          dc.SetPen(Pack(rgb), kSeamLine);
          Print(f, m);
        }
      }
      dc.SetPen(mViewType.Is(kViewStellationDiagram) ? kBlack : kGrey, kHairline);
      for (const StellationLine* l = type->mLineEqns; l; l = l->mNext) {
        if (!l->mFirst || !l->mLast || !l->mFirst->mPoint || !l->mLast->mPoint) continue;
        line(l->mFirst->mPoint->mX, l->mFirst->mPoint->mY, l->mLast->mPoint->mX, l->mLast->mPoint->mY);
      }
      break;
    }
    case kViewCellDiagram: {
      if (!block || !block->mFirstCellType) return;
      int types = 0;
      for (StellationCellType* type = block->mFirstCellType; type; type = type->mNext) ++types;
      int row = 0;
      for (StellationCellType* type = block->mFirstCellType; type; type = type->mNext, ++row) {
        const double y0 = -25.0 * types + 50.0 * row;
        int i = 0;
        for (const StellationCell* c = type->mFirstCell; c && c->mType == type && i < type->mNumCells;
             c = c->mNext, ++i) {
          const double x0 = -25.0 * type->mNumCells + 50.0 * i;
          double a[2], b[2];
          MapPoint(m, x0 + 5.0, y0 + 5.0, a);
          MapPoint(m, x0 + 45.0, y0 + 45.0, b);
          float rgb[3];
          RainbowColor(type->mIndex, rgb);
          LightenDiagramColour(rgb);
          dc.SetBrush(Pack(rgb));
          dc.SetPen(Pack(rgb), 1);
          mPage.FillRectangle(a, b);
          dc.SetPen(kBlack, c->IsIncluded() ? 3 * kHairline : kHairline);
          mPage.PrintRectangle(a, b);
        }
      }
      break;
    }
    case kViewVertexFigure: {
      PolyElement* element = poly->GetOtherCurrentFace();
      if (!element || !element->mNeighbours) return;
      // The vertex figure as the pane draws it, side by side in the colours of the wheel.
      double reach = 1.0;
      Transform3D worldToFace;
      element->GetWorldToFace(worldToFace, false);
      for (int i = 0; i < element->mNumSides; ++i) {
        double points[10];
        const int count = element->GetPolygon2D(i, worldToFace, points);
        for (int k = 0; k < count; ++k) reach = std::max(reach, std::hypot(points[2 * k], points[2 * k + 1]));
      }
      float rgb[3];
      RainbowColor(0, rgb);
      for (const VertexFigureSide& side : BuildVertexFigure2D(element, reach).sides) {
        dc.SetPen(Pack(rgb), 2 * kHairline);
        NextRainbowColor(rgb);
        line(side.a[0], side.a[1], side.b[0], side.b[1]);
      }
      break;
    }
    case kViewCrossSection: {
      if (!poly->BuildCrossSection() || !poly->mCrossSection) return;
      for (const auto& loop : poly->mCrossSection->mLoops) {
        const int n = loop->NumPoints();
        for (int i = 0; i < n; ++i) {
          const int j = (i + 1) % n;
          const PolyElement* f = loop->mFaces[static_cast<size_t>(j)];
          dc.SetPen(Pack(f ? f->GetColour() : loop->mColour.colour), 2 * kHairline);
          line(loop->mPoints[2 * i], loop->mPoints[2 * i + 1], loop->mPoints[2 * j], loop->mPoints[2 * j + 1]);
        }
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace corvia
