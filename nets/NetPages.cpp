#include "nets/NetPages.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Units.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"

namespace corvia {

namespace detail_NetPages {

// The far edge of a net drawn in perspective shrinks to 0.7 of its width.
constexpr double kPerspectiveShrink = 0.3;

bool Passes(const Net& net, const float* colour, bool imagesOnly) {
  if (!net.first) return false;
  if (colour) {
    const float* c = net.GetColor();
    if (c[0] != colour[0] || c[1] != colour[1] || c[2] != colour[2]) return false;
  }
  return !imagesOnly || net.first->GetImage();
}

// The type's next net after the cursor that passes the filter, wrapping round.
int NextPassing(const NetType* type, int cursor, int step, const float* colour, bool imagesOnly) {
  const int n = type->numNets;
  if (n < 1) return -1;
  int k = cursor;
  for (int tries = 0; tries < n; ++tries) {
    k = ((k + step) % n + n) % n;
    if (Passes(type->nets[k], colour, imagesOnly)) return k;
  }
  return -1;
}

int32_t Twips(double modelLength) {
  return GetUnitSettings().ModelToTwipsRounded(modelLength);
}

struct Packer {
  Model3D* model;
  NetPage* page;
  int& remaining;
  int mode;
  const float* colour;
  bool imagesOnly;
  int32_t spacing;

  // The first net type still to print whose nets fit the area in a grid, upright or
  // turned, with the size of a net and the grids' columns and rows.
  struct Fit {
    NetType* type = nullptr;
    int64_t w = 0, h = 0, cols = 0, rows = 0, colsT = 0, rowsT = 0;
  };
  Fit FirstFittingType(int64_t width, int64_t height) const {
    const int64_t s = spacing;
    Fit fit;
    for (NetType* type = model->mNetTypes; type; type = type->next) {
      if (type->printCount <= 0) continue;
      fit.w = Twips(2.0 * type->radiusX);
      fit.h = Twips(2.0 * type->radiusY);
      if (fit.w + s <= 0 || fit.h + s <= 0) continue;
      fit.cols = width / (fit.w + s);
      fit.rows = height / (fit.h + s);
      fit.colsT = width / (fit.h + s);
      fit.rowsT = height / (fit.w + s);
      if (fit.cols * fit.rows > 0 || fit.colsT * fit.rowsT > 0) {
        fit.type = type;
        break;
      }
    }
    return fit;
  }

  // Places count nets of the type in a grid of perRow columns of cells cw by ch whose
  // first centre is (x0, y0): row by row from the top, each from the left.
  void PlaceGrid(NetType* chosen, int64_t count, int64_t perRow, bool turned, int64_t x0, int64_t y0, int64_t cw,
                 int64_t ch) {
    for (int64_t k = 0; k < count && chosen->printCount > 0; ++k) {
      const int next = NextPassing(chosen, chosen->printCursor, 1, colour, imagesOnly);
      if (next < 0) break;
      NetPlacement* placement = new NetPlacement;
      placement->previousCursor = chosen->printCursor;
      chosen->printCursor = next;
      placement->net = &chosen->nets[next];
      placement->rotated = turned ? 1 : 0;
      placement->x = static_cast<int32_t>(x0 + (k % perRow) * cw);
      placement->y = static_cast<int32_t>(y0 - (k / perRow) * ch);
      page->Append(placement);
      --remaining;
      --chosen->printCount;
    }
  }

  int32_t Pack(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    const int64_t s = spacing;
    const int64_t width = static_cast<int64_t>(right) - left;
    const int64_t height = static_cast<int64_t>(top) - bottom;
    if (remaining < 1 || width <= s || height <= s) return top;
    const Fit fit = FirstFittingType(width, height);
    NetType* chosen = fit.type;
    if (!chosen) return top;
    const int64_t w = fit.w, h = fit.h, cols = fit.cols, rows = fit.rows, colsT = fit.colsT, rowsT = fit.rowsT;
    const int64_t n = std::min<int64_t>(cols * rows, chosen->printCount);
    const int64_t nT = std::min<int64_t>(colsT * rowsT, chosen->printCount);
    bool turned = nT > n;
    if (nT == n && n > 0) turned = ((nT - 1) / colsT + 1) * (w + s) < ((n - 1) / cols + 1) * (h + s);
    const int64_t count = turned ? nT : n;
    const int64_t perRow = turned ? colsT : cols;
    const int64_t cw = turned ? h + s : w + s;
    const int64_t ch = turned ? w + s : h + s;
    const int64_t x0 = left + s / 2 + Twips(turned ? chosen->radiusY : chosen->radiusX);
    const int64_t y0 = top - s / 2 - Twips(turned ? chosen->radiusX : chosen->radiusY);
    PlaceGrid(chosen, count, perRow, turned, x0, y0, cw, ch);
    const int64_t r = (count - 1) / perRow + 1;
    const int64_t inLast = count - (r - 1) * perRow;
    const int64_t filledWidth = perRow * cw;
    const int64_t rightWidth = width - filledWidth;
    const int64_t p = inLast < perRow ? ch : 0;
    const int64_t filledHeight = r * ch - p;
    const int64_t yF = top - filledHeight;
    const int64_t yA = yF - p;
    const int64_t belowHeight = height - filledHeight - p;
    const int64_t u = inLast * cw;
    const int64_t g = filledWidth - u;
    if (remaining == 0) return static_cast<int32_t>(yA);
    const int64_t areaRight = rightWidth * height;
    int64_t areaBelow = belowHeight * width;
    const int64_t areaCorner = (belowHeight + p) * (rightWidth + g);
    if (mode == 1) areaBelow = areaCorner + areaRight + 1;
    int64_t rect[3][4];
    auto set = [&](int i, int64_t l, int64_t t, int64_t rr, int64_t b) {
      rect[i][0] = l;
      rect[i][1] = t;
      rect[i][2] = rr;
      rect[i][3] = b;
    };
    const int64_t L = left, T = top, R = right, B = bottom;
    if (areaCorner <= areaBelow || areaCorner <= areaRight) {
      if (areaBelow <= areaRight) {
        set(0, L + filledWidth, T, R, B);
        const int64_t b = (belowHeight + p) * g;
        const int64_t a = mode == 1 ? b + 1 : filledWidth * belowHeight;
        if (a <= b) {
          set(1, L + u, yF, L + filledWidth, B);
          set(2, L, yA, L + u, B);
        } else {
          set(1, L + u, yF, L + filledWidth, yA);
          set(2, L, yA, L + filledWidth, B);
        }
      } else {
        set(2, L, yA, R, B);
        const int64_t b = (p + filledHeight) * rightWidth;
        const int64_t a = mode == 1 ? b + 1 : (rightWidth + g) * p;
        if (a <= b) {
          set(0, L + filledWidth, T, R, yA);
          set(1, L + u, yF, L + filledWidth, yA);
        } else {
          set(0, L + filledWidth, T, R, yF);
          set(1, L + u, yF, R, yA);
        }
      }
    } else {
      set(0, L + filledWidth, T, R, yF);
      set(1, L + u, yF, R, B);
      set(2, L, yA, L + u, B);
    }
    int64_t lowest = yA;
    for (int i = 0; i < 3; ++i) {
      const int32_t y = Pack(static_cast<int32_t>(rect[i][0]), static_cast<int32_t>(rect[i][1]),
                             static_cast<int32_t>(rect[i][2]), static_cast<int32_t>(rect[i][3]));
      lowest = std::min<int64_t>(lowest, y);
    }
    return static_cast<int32_t>(lowest);
  }
};

}  // namespace detail_NetPages

// ---- Placements --------------------------------------------------------------------------

void NetPlacement::RotatePoint(const double* p, double* out) const {
  const double x = p[0], y = p[1];
  if (rotated) {
    out[0] = -y;
    out[1] = x;
  } else {
    out[0] = x;
    out[1] = y;
  }
}

void NetPlacement::RotatePointInPlace(double* p) const {
  RotatePoint(p, p);
}

void NetPlacement::RotateSize(int32_t* size) const {
  if (!rotated) return;
  std::swap(size[0], size[1]);
  std::swap(size[2], size[3]);
}

void NetPlacement::ToPagePoint(const double* p, bool perspective, double* out) const {
  const UnitSettings& units = GetUnitSettings();
  double q[2] = {units.ModelToTwips(p[0]), units.ModelToTwips(p[1])};
  RotatePointInPlace(q);
  if (perspective && net && net->type) {
    int32_t half[4] = {units.ModelToTwipsRounded(net->type->radiusX), units.ModelToTwipsRounded(net->type->radiusY), 0,
                       0};
    if (rotated) std::swap(half[0], half[1]);
    const double hx = half[0], hy = half[1];
    if (hy != 0.0) q[0] = (1.0 - ((hy + q[1]) / 2.0) / hy * detail_NetPages::kPerspectiveShrink) * q[0];
    if (hx != 0.0) q[1] = (1.0 - ((hx + q[0]) / 2.0) / hx * detail_NetPages::kPerspectiveShrink) * q[1];
  }
  out[0] = q[0] + x;
  out[1] = q[1] + y;
}

void NetPlacement::ToPagePixel(const double* p, bool perspective, int32_t* out) const {
  double q[2];
  ToPagePoint(p, perspective, q);
  out[0] = static_cast<int32_t>(std::round(q[0]));
  out[1] = static_cast<int32_t>(std::round(q[1]));
}

void NetPlacement::GetTransform(Transform3D& out) const {
  const UnitSettings& units = GetUnitSettings();
  const double factor = units.mTwipsPerUnit * units.mLengthScale;
  const double k = factor != 0.0 ? 1.0 / factor : 0.0;
  double* m = out.Matrix();
  for (int i = 0; i < 9; ++i) m[i] = 0.0;
  m[8] = 1.0;
  double* t = out.Translation();
  t[2] = 0.0;
  if (!rotated) {
    m[0] = k;
    m[4] = k;
    t[0] = -k * x;
    t[1] = -k * y;
  } else {
    // x' = k (Y - y), y' = -k (X - x).
    m[3] = k;
    m[1] = -k;
    t[0] = -k * y;
    t[1] = k * x;
  }
}

// ---- Pages ----------------------------------------------------------------------------------

NetPage::~NetPage() {
  NetPlacement* placement = head;
  while (placement) {
    NetPlacement* next = placement->next;
    delete placement;
    placement = next;
  }
}

void NetPage::Append(NetPlacement* placement) {
  placement->next = nullptr;
  if (tail) {
    tail->next = placement;
  } else {
    head = placement;
  }
  tail = placement;
}

bool NetPage::HasShownFacelet() const {
  for (const NetPlacement* placement = head; placement; placement = placement->next) {
    for (const Face3D* f = placement->net ? placement->net->first : nullptr; f; f = f->mNextInNet) {
      if (f->IsShown()) return true;
    }
  }
  return false;
}

bool NetPage::GetBounds(int32_t* rect) const {
  const bool upwards = rect[1] >= rect[3];
  bool any = false;
  int32_t least[2] = {0, 0}, largest[2] = {0, 0};
  for (const NetPlacement* placement = head; placement; placement = placement->next) {
    for (const Face3D* f = placement->net ? placement->net->first : nullptr; f; f = f->mNextInNet) {
      if (!f->IsShown()) continue;
      const int count = f->GetNumEdges();
      for (int i = 0; i < count; ++i) {
        int32_t p[2];
        placement->ToPagePixel(f->mEdges[i].unfolded, true, p);
        for (int k = 0; k < 2; ++k) {
          least[k] = any ? std::min(least[k], p[k]) : p[k];
          largest[k] = any ? std::max(largest[k], p[k]) : p[k];
        }
        any = true;
      }
    }
  }
  if (!any) return false;
  rect[0] = least[0];
  rect[2] = largest[0];
  rect[1] = upwards ? largest[1] : least[1];
  rect[3] = upwards ? least[1] : largest[1];
  return true;
}

void NetPage::Unplace() {
  std::vector<NetPlacement*> placed;
  for (NetPlacement* placement = head; placement; placement = placement->next) placed.push_back(placement);
  // Latest first, so that each type's cursor ends where it stood before the page.
  for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
    NetType* type = (*it)->net ? (*it)->net->type : nullptr;
    if (type) {
      ++type->printCount;
      type->printCursor = (*it)->previousCursor;
    }
    delete *it;
  }
  head = tail = nullptr;
}

void NetPage::FreeList(NetPage* pages) {
  while (pages) {
    NetPage* next = pages->next;
    delete pages;
    pages = next;
  }
}

NetPage* ListNth(NetPage* pages, int n) {
  for (int i = 0; pages && i < n; ++i) pages = pages->next;
  return n < 0 ? nullptr : pages;
}

int32_t PackNets(Model3D* model, NetPage* page, int32_t left, int32_t top, int32_t right, int32_t bottom,
                 int& remaining, int mode, const float* colour, bool imagesOnly) {
  detail_NetPages::Packer packer{model, page, remaining, mode, colour, imagesOnly, GetUnitSettings().mNetSpacing};
  return packer.Pack(left, top, right, bottom);
}

NetPage* FitNetsOnPages(Model3D* model, const int32_t* rect, int32_t headingHeight, const float* colour,
                        bool imagesOnly, int32_t* outY) {
  if (outY) *outY = rect[1];
  if (!model || !model->mNetTypes) return nullptr;
  int remaining = 0;
  for (NetType* type = model->mNetTypes; type; type = type->next) remaining += std::max(0, type->printCount);
  NetPage* pages = nullptr;
  NetPage* last = nullptr;
  bool firstPage = true;
  while (remaining > 0) {
    NetPage* page = new NetPage;
    if (last) {
      last->next = page;
    } else {
      pages = page;
    }
    last = page;
    const int32_t top = firstPage ? rect[1] - headingHeight : rect[1];
    firstPage = false;
    const int before = remaining;
    // Mode 1 first; when copies remain, mode 0 on the same page instead, and the run
    // that placed more is kept.
    int32_t y = PackNets(model, page, rect[0], top, rect[2], rect[3], remaining, 1, colour, imagesOnly);
    if (remaining > 0) {
      const int placedFirst = before - remaining;
      page->Unplace();
      remaining = before;
      const int32_t y0 = PackNets(model, page, rect[0], top, rect[2], rect[3], remaining, 0, colour, imagesOnly);
      if (before - remaining < placedFirst) {
        page->Unplace();
        remaining = before;
        y = PackNets(model, page, rect[0], top, rect[2], rect[3], remaining, 1, colour, imagesOnly);
      } else {
        y = y0;
      }
    }
    if (outY) *outY = y;
    if (remaining == before) {
      NetPage::FreeList(pages);
      return nullptr;
    }
  }
  return pages;
}

}  // namespace corvia
