// Paper as the program prints it: the pages of File > Print, written by its printout
// into a PostScript file, read back with Ghostscript and measured against the nets
// themselves. Each net is as large as the length scale makes it and lies clear of the
// other nets and of the margins, each facelet shows at its centroid the colour it has
// on screen, every joined edge is a fold line (valley folds dashed), and the preview
// shows the pages that are printed. A net larger than the page is refused with its size.

#include <gtest/gtest.h>
#include <wx/dcps.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/prntbase.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyPrintout.h"
#include "app/PolyView.h"
#include "app/WindowServices.h"
#include "core/Units.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetPages.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"
#include "platform/Services.h"
#include "platform/UserFolders.h"
#include "render/FaceletDrawing.h"
#include "render/NetTexts.h"
#include "tests/app/AppTestSupport.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/PrintTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/InfoBar.h"
#include "ui/PaneWindow.h"
#include "ui/WxDeviceContext.h"

namespace test_PrintedPages {

using namespace corvia;
using corvia::testing::YieldUntil;

// The pages are read back at this resolution: a pixel is 0.17 mm.
constexpr int kDpi = 150;
constexpr double kMmPerInch = 25.4;
constexpr double kTwipsPerInch = 1440.0;
constexpr double kMmPerCentimetre = 10.0;
// How far a net on paper may lie from where its size and place put it.
constexpr double kToleranceMm = 0.5;
// Printed line widths count pixels of 1/96 inch.
constexpr double kPrintedPixelsPerInch = 96.0;
// Paper is white; ink is anything darker in some channel.
constexpr int kInkBelow = 245;
// The lines are black.
constexpr int kBlackBelow = 64;
// A colour on paper against the screen's, per channel.
constexpr int kColourTolerance = 3;
// Nets > Show Edge Data > Edge Lengths.
constexpr int kCmdShowEdgeLengths = 33000;
// The points of the page's texts.
constexpr double kTextPoints = 9.0;

double PixelsToMm(double pixels) {
  return pixels * kMmPerInch / kDpi;
}
double MmToPixels(double mm) {
  return mm * kDpi / kMmPerInch;
}
double TwipsToMm(double twips) {
  return twips * kMmPerInch / kTwipsPerInch;
}

// A colour of the model as 8-bit channels, rounded as a display rounds it.
std::array<int, 3> Channels(const float* rgb) {
  return {static_cast<int>(std::lround(rgb[0] * 255.0)), static_cast<int>(std::lround(rgb[1] * 255.0)),
          static_cast<int>(std::lround(rgb[2] * 255.0))};
}

bool CloseColour(const std::array<int, 3>& a, const std::array<int, 3>& b, int tolerance) {
  for (int c = 0; c < 3; ++c) {
    if (std::abs(a[c] - b[c]) > tolerance) return false;
  }
  return true;
}

// One net placed on a printed page, as the printout placed it.
struct Placed {
  Net* net = nullptr;
  bool turned = false;
  double x = 0.0;  // twips from the paper's left edge
  double y = 0.0;  // twips from the paper's lower edge
};

struct PrintedDocument {
  std::vector<wxImage> pages;
  std::vector<std::vector<Placed>> placed;
  int32_t rect[4] = {0, 0, 0, 0};
  std::filesystem::path file;
};

// Reads a PostScript file back as one image per page.
std::vector<wxImage> Rasterise(const std::filesystem::path& ps, int dpi) {
  const std::filesystem::path folder = ps.parent_path();
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".png") std::filesystem::remove(entry.path());
  }
  // No smoothing: a pixel is ink or paper, and a colour is the colour asked for.
  const std::string command = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r" + std::to_string(dpi) +
                              " -dGraphicsAlphaBits=1 -dTextAlphaBits=1 -sPAPERSIZE=a4 -dFIXEDMEDIA -sOutputFile='" +
                              (folder / "page-%d.png").string() + "' '" + ps.string() + "'";
  std::vector<wxImage> pages;
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << "Ghostscript could not read " << ps;
    return pages;
  }
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  for (int n = 1;; ++n) {
    const std::filesystem::path page = folder / ("page-" + std::to_string(n) + ".png");
    if (!std::filesystem::exists(page)) break;
    pages.emplace_back(page.string(), wxBITMAP_TYPE_PNG);
  }
  return pages;
}

// A word of a printed page: its text, the middle of its box in millimetres from the
// page's lower left corner, and the box's height.
struct PrintedWord {
  std::string text;
  double x = 0.0;
  double y = 0.0;
  double height = 0.0;
};

// The words of the first page of a PostScript file on A4, read back by Ghostscript.
std::vector<PrintedWord> ReadPrintedWords(const std::filesystem::path& ps) {
  constexpr double kA4Points = 841.89;
  constexpr double kPoint = kMmPerInch / 72.0;
  // The middle of a figure stands this many of the font's size above its baseline.
  constexpr double kFigureMiddle = 0.36;
  const std::filesystem::path out = ps.parent_path() / "words.txt";
  const std::string command =
      "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=txtwrite -dTextFormat=0 -dFirstPage=1 -dLastPage=1 "
      "-sPAPERSIZE=a4 -dFIXEDMEDIA -sOutputFile='" +
      out.string() + "' '" + ps.string() + "'";
  std::vector<PrintedWord> words;
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << "Ghostscript could not read " << ps;
    return words;
  }
  // Each word a span: its box (left, baseline from the top, right, baseline) and size
  // in points, then a line per character.
  std::ifstream file(out);
  std::string line;
  while (std::getline(file, line)) {
    double box[4], size = 0.0;
    if (std::sscanf(line.c_str(), "<span bbox=\"%lf %lf %lf %lf\" font=\"%*[^\"]\" size=\"%lf\"", &box[0], &box[1],
                    &box[2], &box[3], &size) == 5) {
      PrintedWord word;
      word.x = (box[0] + box[2]) / 2.0 * kPoint;
      word.y = (kA4Points - box[1] + kFigureMiddle * size) * kPoint;
      word.height = size * kPoint;
      words.push_back(word);
      continue;
    }
    const size_t at = line.find(" c=\"");
    if (!words.empty() && line.rfind("<char ", 0) == 0 && at != std::string::npos) {
      words.back().text += line.substr(at + 4, line.find('"', at + 4) - at - 4);
    }
  }
  return words;
}

// Prints the pane as File > Print does, to a PostScript file on A4.
PrintedDocument Print(CPolyView* pane, const std::string& name) {
  PrintedDocument printed;
  const std::filesystem::path path = corvia::testing::ScratchDir("printed-" + name) / "pages.ps";
  const corvia::testing::PostScriptPrint print = corvia::testing::PrintToPostScript(pane, path.string(), [&](int page) {
    std::vector<Placed> placed;
    const NetPage* fitted = ListNth(const_cast<NetPage*>(pane->Printing().GetPrintedPages()), page - 1);
    for (const NetPlacement* p = fitted ? fitted->head : nullptr; p; p = p->next) {
      placed.push_back({p->net, p->rotated != 0, static_cast<double>(p->x), static_cast<double>(p->y)});
    }
    printed.placed.push_back(placed);
  });
  const PrintPageGeometry geometry = GetPrintPageGeometry(wxRect(wxPoint(0, 0), print.size), print.ppi);
  std::copy(geometry.rect, geometry.rect + 4, printed.rect);
  printed.file = path;
  printed.pages = Rasterise(path, kDpi);
  EXPECT_EQ(printed.pages.size(), printed.placed.size());
  // For a person to look at: the pages where the screenshots of the window tests go.
  if (const char* folder = std::getenv("CORVIA_WRITE_SCREENSHOTS")) {
    std::filesystem::copy_file(path, std::string(folder) + "/printed-" + name + ".ps",
                               std::filesystem::copy_options::overwrite_existing);
    for (size_t i = 0; i < printed.pages.size(); ++i) {
      printed.pages[i].SaveFile(std::string(folder) + "/printed-" + name + "-" + std::to_string(i + 1) + ".png",
                                wxBITMAP_TYPE_PNG);
    }
  }
  return printed;
}

// Where a net point lands on the paper, in millimetres from the lower left corner (as
// PostScript measures, whatever height the printer takes the paper to have): the model
// length times the length scale in its distance unit, turned by a quarter when the net
// is turned, about the net's place.
void NetPointToPaperMm(const Placed& placed, const double* p, double* mm) {
  const UnitSettings& units = GetUnitSettings();
  ASSERT_EQ(units.mDistanceUnit, kUnitCentimetre);
  const double mmPerModelUnit = units.mLengthScale * kMmPerCentimetre;
  double x = p[0] * mmPerModelUnit, y = p[1] * mmPerModelUnit;
  if (placed.turned) {
    const double t = x;
    x = -y;
    y = t;
  }
  mm[0] = TwipsToMm(placed.x) + x;
  mm[1] = TwipsToMm(placed.y) + y;
}

// Every point of a net on paper: facelet corners and tab outlines.
template <typename Visit>
void ForEachNetPoint(const Net* net, Visit visit) {
  for (const Face3D* f = net->first; f; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      visit(f->mEdges[i].unfolded);
      if (const NetTab* tab = f->mEdges[i].tab.get()) {
        for (const TabPoint& point : tab->outline) visit(point.pos2D);
      }
    }
  }
}

// A rectangle in millimetres, y up.
struct Box {
  double left = 1e300, bottom = 1e300, right = -1e300, top = -1e300;
  void Add(double x, double y) {
    left = std::min(left, x);
    right = std::max(right, x);
    bottom = std::min(bottom, y);
    top = std::max(top, y);
  }
  bool Contains(double x, double y) const { return x >= left && x <= right && y >= bottom && y <= top; }
};

// The groups of touching ink pixels of a page, as boxes in millimetres from the page's
// lower left corner.
std::vector<Box> InkGroups(const wxImage& image) {
  const int w = image.GetWidth(), h = image.GetHeight();
  const unsigned char* rgb = image.GetData();
  auto ink = [&](int x, int y) {
    const unsigned char* p = rgb + 3 * (static_cast<size_t>(y) * w + x);
    return p[0] < kInkBelow || p[1] < kInkBelow || p[2] < kInkBelow;
  };
  std::vector<char> seen(static_cast<size_t>(w) * h, 0);
  std::vector<Box> groups;
  std::vector<int> stack;
  for (int y0 = 0; y0 < h; ++y0) {
    for (int x0 = 0; x0 < w; ++x0) {
      if (seen[static_cast<size_t>(y0) * w + x0] || !ink(x0, y0)) continue;
      Box box;
      stack.assign(1, y0 * w + x0);
      seen[static_cast<size_t>(y0) * w + x0] = 1;
      while (!stack.empty()) {
        const int at = stack.back();
        stack.pop_back();
        const int x = at % w, y = at / w;
        box.Add(PixelsToMm(x), PixelsToMm(h - y));
        box.Add(PixelsToMm(x + 1), PixelsToMm(h - y - 1));
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= w || ny >= h || seen[static_cast<size_t>(ny) * w + nx]) continue;
            if (!ink(nx, ny)) continue;
            seen[static_cast<size_t>(ny) * w + nx] = 1;
            stack.push_back(ny * w + nx);
          }
        }
      }
      groups.push_back(box);
    }
  }
  return groups;
}

// The colour of the page at a point in millimetres from its lower left corner.
std::array<int, 3> PixelAt(const wxImage& image, double xMm, double yMm) {
  const int x = static_cast<int>(MmToPixels(xMm)), y = image.GetHeight() - 1 - static_cast<int>(MmToPixels(yMm));
  if (x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) return {-1, -1, -1};
  return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

double DistanceToSegment(const double* p, const double* a, const double* b) {
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0.0 ? ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy);
}

// Whether the point lies inside a polygon (even-odd rule).
bool Inside(const std::vector<std::array<double, 2>>& polygon, const double* p) {
  bool in = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const auto& a = polygon[i];
    const auto& b = polygon[j];
    if ((a[1] > p[1]) != (b[1] > p[1]) && p[0] < (b[0] - a[0]) * (p[1] - a[1]) / (b[1] - a[1]) + a[0]) in = !in;
  }
  return in;
}

// What one page shows against what was placed on it.
struct PageCheck {
  int nets = 0;
  int faceletsChecked = 0;
  int facelets = 0;
  int convexFolds = 0;
  int valleyFolds = 0;
  int tabPixels = 0;
};

// The pixels of the page inside a polygon (millimetres) and clear of its sides by the
// clearance, where `skip` does not hold: how many, and how many are not of the colour.
template <typename Skip>
std::array<int, 2> PixelsInside(const wxImage& image, const std::vector<std::array<double, 2>>& polygon,
                                double clearance, const std::array<int, 3>& colour, Skip skip) {
  Box box;
  for (const auto& p : polygon) box.Add(p[0], p[1]);
  std::array<int, 2> counts = {0, 0};
  for (int px = static_cast<int>(MmToPixels(box.left)); px <= static_cast<int>(MmToPixels(box.right)); ++px) {
    for (int py = static_cast<int>(MmToPixels(box.bottom)); py <= static_cast<int>(MmToPixels(box.top)); ++py) {
      const double at[2] = {PixelsToMm(px + 0.5), PixelsToMm(py + 0.5)};
      if (!Inside(polygon, at) || skip(at)) continue;
      bool clear = true;
      for (size_t i = 0; i < polygon.size() && clear; ++i) {
        clear = DistanceToSegment(at, polygon[i].data(), polygon[(i + 1) % polygon.size()].data()) > clearance;
      }
      if (!clear) continue;
      ++counts[0];
      if (!CloseColour(PixelAt(image, at[0], at[1]), colour, kColourTolerance)) ++counts[1];
    }
  }
  return counts;
}

// Checks one printed page: a group of ink for each placed net, of the net's size and
// at its place, inside the margins; the facelets' colours at their centroids; the fold
// lines along the joined edges.
PageCheck CheckPage(const PrintedDocument& printed, size_t pageIndex) {
  PageCheck result;
  const wxImage& image = printed.pages[pageIndex];
  const std::vector<Placed>& placed = printed.placed[pageIndex];
  const std::vector<Box> groups = InkGroups(image);
  EXPECT_EQ(groups.size(), placed.size())
      << "page " << pageIndex + 1 << ": each net one group of ink, apart from the others";
  // The printable rectangle inside the margins.
  const double left = TwipsToMm(printed.rect[0]), right = TwipsToMm(printed.rect[2]);
  const double top = TwipsToMm(printed.rect[1]), bottom = TwipsToMm(printed.rect[3]);
  for (const Box& group : groups) {
    EXPECT_GE(group.left, left - kToleranceMm);
    EXPECT_LE(group.right, right + kToleranceMm);
    EXPECT_LE(group.top, top + kToleranceMm);
    EXPECT_GE(group.bottom, bottom - kToleranceMm);
  }
  // The lines are drawn about the net's outline: the ink reaches out by half their width.
  const double halfLine = GetUnitSettings().mPrintLineWidth * kMmPerInch / kPrintedPixelsPerInch / 2.0;
  for (const Placed& p : placed) {
    ++result.nets;
    Box expected;
    ForEachNetPoint(p.net, [&](const double* point) {
      double mm[2];
      NetPointToPaperMm(p, point, mm);
      expected.Add(mm[0], mm[1]);
    });
    expected.Add(expected.left - halfLine, expected.bottom - halfLine);
    expected.Add(expected.right + halfLine, expected.top + halfLine);
    const double cx = (expected.left + expected.right) / 2.0, cy = (expected.top + expected.bottom) / 2.0;
    const Box* match = nullptr;
    for (const Box& group : groups) {
      if (group.Contains(cx, cy)) match = &group;
    }
    if (!match) {
      ADD_FAILURE() << "page " << pageIndex + 1 << ": no ink where a net of " << expected.right - expected.left << " x "
                    << expected.top - expected.bottom << " mm belongs";
      continue;
    }
    EXPECT_NEAR(match->left, expected.left, kToleranceMm);
    EXPECT_NEAR(match->right, expected.right, kToleranceMm);
    EXPECT_NEAR(match->top, expected.top, kToleranceMm);
    EXPECT_NEAR(match->bottom, expected.bottom, kToleranceMm);

    // The tabs of the net on paper, which may cover a corner of a facelet.
    std::vector<std::vector<std::array<double, 2>>> tabs;
    for (const Face3D* f = p.net->first; f; f = f->mNextInNet) {
      for (int i = 0; i < f->GetNumEdges(); ++i) {
        const NetTab* tab = f->mEdges[i].tab.get();
        if (!tab || tab->IsEmpty()) continue;
        tabs.emplace_back();
        for (const TabPoint& point : tab->outline) {
          double mm[2];
          NetPointToPaperMm(p, point.pos2D, mm);
          tabs.back().push_back({mm[0], mm[1]});
        }
      }
    }
    for (const Face3D* f = p.net->first; f; f = f->mNextInNet) {
      ++result.facelets;
      const int n = f->GetNumEdges();
      std::vector<std::array<double, 2>> corners(static_cast<size_t>(n));
      double centroid[2] = {0.0, 0.0};
      for (int i = 0; i < n; ++i) {
        NetPointToPaperMm(p, f->mEdges[i].unfolded, corners[static_cast<size_t>(i)].data());
        centroid[0] += corners[static_cast<size_t>(i)][0] / n;
        centroid[1] += corners[static_cast<size_t>(i)][1] / n;
      }
      // Only where the centroid stands clear of the lines round the facelet.
      double clearance = 1e300;
      for (int i = 0; i < n; ++i) {
        clearance = std::min(clearance, DistanceToSegment(centroid, corners[static_cast<size_t>(i)].data(),
                                                          corners[static_cast<size_t>((i + 1) % n)].data()));
      }
      bool covered = !Inside(corners, centroid);
      for (const auto& tab : tabs) covered = covered || Inside(tab, centroid);
      if (clearance < 1.0 || covered) continue;
      ++result.faceletsChecked;
      const std::array<int, 3> paper = PixelAt(image, centroid[0], centroid[1]);
      EXPECT_TRUE(CloseColour(paper, Channels(f->GetColor()), kColourTolerance))
          << "page " << pageIndex + 1 << ": facelet printed (" << paper[0] << ", " << paper[1] << ", " << paper[2]
          << "), on screen (" << Channels(f->GetColor())[0] << ", " << Channels(f->GetColor())[1] << ", "
          << Channels(f->GetColor())[2] << ")";
    }

    // Nothing lies over a glue tab or a facelet: inside each, clear of its own lines,
    // the page shows its grey or its colour alone (another tab over it, or it over a
    // facelet, would bring their lines or fill in).
    const double clearance = halfLine + PixelsToMm(1.5);
    const int grey = static_cast<int>(std::lround(kTabFillGrey * 255.0));
    for (const auto& tab : tabs) {
      const std::array<int, 2> counts = PixelsInside(image, tab, clearance, {grey, grey, grey}, [](const double*) {
        return false;
      });
      result.tabPixels += counts[0];
      EXPECT_EQ(counts[1], 0) << "page " << pageIndex + 1 << ": " << counts[1] << " of " << counts[0]
                              << " pixels of a tab are not its grey";
    }
    for (const Face3D* f = p.net->first; f; f = f->mNextInNet) {
      std::vector<std::array<double, 2>> corners(static_cast<size_t>(f->GetNumEdges()));
      for (size_t i = 0; i < corners.size(); ++i) NetPointToPaperMm(p, f->mEdges[i].unfolded, corners[i].data());
      const std::array<int, 2> counts =
          PixelsInside(image, corners, clearance, Channels(f->GetColor()), [&tabs](const double* at) {
            return std::any_of(tabs.begin(), tabs.end(), [at](const auto& tab) { return Inside(tab, at); });
          });
      EXPECT_EQ(counts[1], 0) << "page " << pageIndex + 1 << ": " << counts[1] << " of " << counts[0]
                              << " pixels of a facelet are not its colour";
    }

    // The folds: ink along the middle of every joined edge, all the way along a
    // mountain fold, in dashes along a valley fold.
    for (const Face3D* f = p.net->first; f; f = f->mNextInNet) {
      for (int i = 0; i < f->GetNumEdges(); ++i) {
        const Edge3D* e = &f->mEdges[i];
        const Edge3D* next = e->GetNextInLoop();
        if (!next || !e->Has(kEdgeJoinedFirst)) continue;
        double a[2], b[2];
        NetPointToPaperMm(p, e->unfolded, a);
        NetPointToPaperMm(p, next->unfolded, b);
        const double length = std::hypot(b[0] - a[0], b[1] - a[1]);
        const int samples = static_cast<int>(MmToPixels(length * 0.6));
        if (samples < 8) continue;
        // Ink across the line within a pixel of its middle.
        const double across[2] = {-(b[1] - a[1]) / length * PixelsToMm(1.0), (b[0] - a[0]) / length * PixelsToMm(1.0)};
        int dark = 0;
        for (int k = 0; k < samples; ++k) {
          const double t = 0.2 + 0.6 * (k + 0.5) / samples;
          const double at[2] = {a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1])};
          bool black = false;
          for (int side = -1; side <= 1 && !black; ++side) {
            const std::array<int, 3> c = PixelAt(image, at[0] + side * across[0], at[1] + side * across[1]);
            black = c[0] < kBlackBelow && c[1] < kBlackBelow && c[2] < kBlackBelow;
          }
          dark += black ? 1 : 0;
        }
        const double fraction = static_cast<double>(dark) / samples;
        if (e->IsConvex()) {
          ++result.convexFolds;
          EXPECT_GT(fraction, 0.9) << "page " << pageIndex + 1 << ": a mountain fold is not drawn through";
        } else {
          ++result.valleyFolds;
          EXPECT_GT(fraction, 0.25) << "page " << pageIndex + 1 << ": a valley fold is not dashed";
          EXPECT_LT(fraction, 0.85) << "page " << pageIndex + 1 << ": a valley fold is not dashed";
        }
      }
    }
  }
  return result;
}

class PrintedPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mProgram = std::make_unique<corvia::testing::RunningProgram>("printed-pages-home");
    mFrame = mProgram->Frame();
    ASSERT_NE(mFrame, nullptr);
    platform::ServiceSet services = platform::Services();
    services.messages = &corvia::testing::Platform().messages;
    platform::InstallServices(services);
    YieldUntil([this] { return mFrame->IsShownOnScreen() && GetPane(1) && GetPane(1)->GetWindow(); });
    ASSERT_TRUE(mFrame->IsShownOnScreen());
    WaitForModel();
    mUnits = GetUnitSettings();
    mPaper = GetPrintData().GetPaperId();
    // Margins of a centimetre all round, which no net may reach into.
    GetUnitSettings().SetMargins(1.0, 1.0, 1.0, 1.0);
  }

  void TearDown() override {
    GetUnitSettings() = mUnits;
    GetPrintData().SetPaperId(mPaper);
    corvia::testing::Platform().messages.Clear();
    mProgram.reset();
  }

  static CPolyDoc* Doc() { return CPolyApp::Get().GetDoc(); }
  static void WaitForModel() {
    YieldUntil([] { return Doc() && Doc()->CountRecords() == 1 && !GetCurrentPoly()->IsTransitionRunning(); });
  }
  // The net pane, showing the nets of the current model.
  static CPolyView* NetPane() {
    CPolyView* pane = GetPane(1);
    EXPECT_EQ(pane->GetViewType(), kViewUnfoldedNet);
    return pane;
  }
  static void Open(const char* model) {
    ASSERT_TRUE(Doc()->OpenModelByNameOrSymbol(model)) << model;
    WaitForModel();
  }
  // The line of the information bar that shows the model's radius on paper.
  static std::string RadiusLine() {
    InfoBar* bar = GetInfoBar();
    const wxTreeItemId item =
        bar && bar->GetTree() ? FindItemInTree(bar->GetTree(), kInfoBaseRadius, true) : wxTreeItemId();
    return item.IsOk() ? bar->GetTree()->GetItemText(item).utf8_string() : "";
  }
  // The model's radius on paper, set as a user sets it: the information bar shows the
  // radius, its menu offers "Edit base radius...", whose command asks for the new
  // value in the distance unit.
  static void SetRadius(double centimetres) {
    char before[64], after[64];
    std::snprintf(before, sizeof before, "Radius: %g", GetUnitSettings().mLengthScale);
    std::snprintf(after, sizeof after, "Radius: %g", centimetres);
    YieldUntil([&] { return RadiusLine() == before; });
    ASSERT_EQ(RadiusLine(), before);
    const auto entries = InfoTree::GetMenuEntries(kInfoBaseRadius);
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_EQ(entries[0].second, "Edit base radius...");
    auto& messages = corvia::testing::Platform().messages;
    const size_t prompts = messages.TextPrompts().size();
    messages.QueueText(std::to_string(centimetres));
    wxCommandEvent event(wxEVT_MENU, ToWxId(GetInfoEditCommand(kInfoBaseRadius)));
    NewFrame* frame = GetMainFrame();
    ASSERT_NE(frame, nullptr);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
    ASSERT_EQ(messages.TextPrompts().size(), prompts + 1);
    EXPECT_EQ(messages.TextPrompts().back().rfind("Enter new base radius (cm)", 0), 0u)
        << messages.TextPrompts().back();
    ASSERT_DOUBLE_EQ(GetUnitSettings().mLengthScale, centimetres);
    YieldUntil([&] { return RadiusLine() == after; });
    EXPECT_EQ(RadiusLine(), after);
  }
  static Model3D* NetModel() {
    FaceTypeBlock* block = NetPane()->GetShownBlock(false);
    return block ? block->GetModel3D(true, nullptr) : nullptr;
  }

  // Prints the net pane and checks every page; the totals over the pages.
  PageCheck PrintAndCheck(const std::string& name, PrintedDocument* out = nullptr) {
    PrintedDocument printed = Print(NetPane(), name);
    PageCheck total;
    for (size_t i = 0; i < printed.pages.size(); ++i) {
      const PageCheck page = CheckPage(printed, i);
      total.nets += page.nets;
      total.facelets += page.facelets;
      total.faceletsChecked += page.faceletsChecked;
      total.convexFolds += page.convexFolds;
      total.valleyFolds += page.valleyFolds;
      total.tabPixels += page.tabPixels;
    }
    EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
    if (out) *out = std::move(printed);
    return total;
  }

  std::unique_ptr<corvia::testing::RunningProgram> mProgram;
  wxFrame* mFrame = nullptr;
  UnitSettings mUnits;
  wxPaperSize mPaper = wxPAPER_NONE;
  // The pages printed last.
  std::vector<wxImage> mPages;
};

// The copies of every net are printed, each at its size from the length scale, in
// the colours and with the folds of the screen.
TEST_F(PrintedPagesTest, IcosidodecahedronAndGreatDodecahedron) {
  Open("Icosidodecahedron");
  SetRadius(3.0);
  const PageCheck ico = PrintAndCheck("icosidodecahedron");
  EXPECT_EQ(ico.nets, 1);
  EXPECT_EQ(ico.facelets, 32);
  EXPECT_GE(ico.faceletsChecked, 28);
  // A net of 32 faces is held together by 31 folds, all mountain folds.
  EXPECT_EQ(ico.convexFolds, 31);
  EXPECT_EQ(ico.valleyFolds, 0);

  // The facelets of the net on screen show the colours that the paper shows.
  CPolyView* pane = NetPane();
  Model3D* model = NetModel();
  ASSERT_NE(model, nullptr);
  ASSERT_NE(model->mCurrentNet, nullptr);
  // The facelets whose centroid shows their colour on screen, and the other colours.
  std::vector<std::string> others;
  auto shownOnScreen = [&] {
    others.clear();
    pane->Invalidate(true);
    pane->UpdateNow();
    const wxImage screen = corvia::testing::ScreenPixels(static_cast<PaneWindow*>(pane->GetWindow())->GetCanvas());
    int shown = 0;
    for (const Face3D* f = model->mCurrentNet->first; f; f = f->mNextInNet) {
      double centroid[2] = {0.0, 0.0};
      const int n = f->GetNumEdges();
      for (int i = 0; i < n; ++i) {
        centroid[0] += f->mEdges[i].unfolded[0] / n;
        centroid[1] += f->mEdges[i].unfolded[1] / n;
      }
      double window[2];
      pane->Mapping2D().ModelToWindow2D(window, centroid);
      const int x = static_cast<int>(window[0]), y = static_cast<int>(window[1]);
      if (x < 0 || y < 0 || x >= screen.GetWidth() || y >= screen.GetHeight()) continue;
      const std::array<int, 3> c = {screen.GetRed(x, y), screen.GetGreen(x, y), screen.GetBlue(x, y)};
      if (CloseColour(c, Channels(f->GetColor()), kColourTolerance)) {
        ++shown;
      } else {
        others.push_back(std::to_string(c[0]) + ", " + std::to_string(c[1]) + ", " + std::to_string(c[2]));
      }
    }
    return shown;
  };
  YieldUntil([&] { return shownOnScreen() == 32; });
  EXPECT_EQ(shownOnScreen(), 32) << ::testing::PrintToString(others);

  // Twenty copies of the great dodecahedron's net, valley folds among their folds.
  Open("Great Dodecahedron");
  SetRadius(3.0);
  const PageCheck great = PrintAndCheck("great-dodecahedron");
  EXPECT_EQ(great.nets, 20);
  EXPECT_GE(great.faceletsChecked, great.facelets / 2);
  EXPECT_GT(great.valleyFolds, 0);
}

// A model of two net types over several pages, and a stellation; every page as the
// preview shows it.
TEST_F(PrintedPagesTest, SeveralNetTypesAndAStellationOnAsManyPagesAsTheyNeed) {
  Open("Great Icosahedron");
  SetRadius(4.0);
  Model3D* model = NetModel();
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->GetNumNetTypes(), 2);
  int copies = 0;
  for (NetType* type = model->mNetTypes; type; type = type->next) copies += type->numNets;
  PrintedDocument printed;
  const PageCheck great = PrintAndCheck("great-icosahedron", &printed);
  EXPECT_EQ(great.nets, copies);
  EXPECT_GT(printed.pages.size(), 1u);
  EXPECT_GE(great.faceletsChecked, great.facelets / 2);

  Open("Icosahedron");
  corvia::testing::StellateCurrentBase(3);
  SetRadius(2.0);
  const PageCheck stellation = PrintAndCheck("stellation");
  EXPECT_GT(stellation.nets, 0);
  EXPECT_GE(stellation.faceletsChecked, stellation.facelets / 2);
  EXPECT_GT(stellation.convexFolds + stellation.valleyFolds, 0);
}

// How a preview of a page differs from the page printed (both with the page's full
// size). The preview draws at the screen's few pixels per millimetre, where a line is at
// least a pixel wide: so the colours are compared where the printed page is of one
// colour over a few pixels, and the lines where the printed page has them.
struct PreviewDifference {
  double colours = 1.0;  // share of the even areas shown in another colour
  double lines = 1.0;    // share of the printed lines with no dark pixel near them
};

PreviewDifference ComparePreview(const wxImage& shown, const wxImage& printed) {
  PreviewDifference result;
  const int w = shown.GetWidth(), h = shown.GetHeight();
  if (w < 3 || h < 3) return result;
  const wxImage expected = printed.Scale(w, h, wxIMAGE_QUALITY_BOX_AVERAGE);
  const unsigned char* ps = shown.GetData();
  const unsigned char* pe = expected.GetData();
  auto at = [w](int x, int y) { return 3 * (static_cast<size_t>(y) * w + x); };
  size_t even = 0, evenDiffering = 0;
  for (int y = 1; y + 1 < h; ++y) {
    for (int x = 1; x + 1 < w; ++x) {
      const size_t i = at(x, y);
      bool flat = true;
      for (int dy = -1; dy <= 1 && flat; ++dy) {
        for (int dx = -1; dx <= 1 && flat; ++dx) {
          const size_t j = at(x + dx, y + dy);
          for (int c = 0; c < 3; ++c) flat = flat && std::abs(pe[i + c] - pe[j + c]) <= 8;
        }
      }
      if (!flat) continue;
      ++even;
      bool differs = false;
      for (int c = 0; c < 3; ++c) differs = differs || std::abs(ps[i + c] - pe[i + c]) > 48;
      evenDiffering += differs ? 1 : 0;
    }
  }
  result.colours = even ? static_cast<double>(evenDiffering) / even : 1.0;
  size_t lines = 0, missing = 0;
  const int W = printed.GetWidth(), H = printed.GetHeight();
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      if (printed.GetRed(x, y) >= kBlackBelow || printed.GetGreen(x, y) >= kBlackBelow ||
          printed.GetBlue(x, y) >= kBlackBelow) {
        continue;
      }
      ++lines;
      const int sx = x * w / W, sy = y * h / H;
      bool dark = false;
      for (int dy = -1; dy <= 1 && !dark; ++dy) {
        for (int dx = -1; dx <= 1 && !dark; ++dx) {
          const int nx = sx + dx, ny = sy + dy;
          if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
          const size_t j = at(nx, ny);
          dark = ps[j] < 160 && ps[j + 1] < 160 && ps[j + 2] < 160;
        }
      }
      missing += dark ? 0 : 1;
    }
  }
  result.lines = lines ? static_cast<double>(missing) / lines : 0.0;
  return result;
}

// Where the preview shows the page: the white paper on the grey of its window, found
// along the middle row and the middle column (the margins keep the paper's edges white).
wxRect WhitePage(const wxImage& screen) {
  auto white = [&](int x, int y) {
    return screen.GetRed(x, y) == 255 && screen.GetGreen(x, y) == 255 && screen.GetBlue(x, y) == 255;
  };
  const int w = screen.GetWidth(), h = screen.GetHeight();
  if (w < 3 || h < 3) return wxRect();
  int left = 0, right = w - 1, top = 0, bottom = h - 1;
  while (left < w && !white(left, h / 2)) ++left;
  while (right > left && !white(right, h / 2)) --right;
  const int middle = (left + right) / 2;
  while (top < h && !white(middle, top)) ++top;
  while (bottom > top && !white(middle, bottom)) --bottom;
  if (left >= right || top >= bottom) return wxRect();
  return wxRect(left, top, right - left + 1, bottom - top + 1);
}

// The colours that fill more than a hundredth of a printed page's ink and that the pane
// does not show anywhere on screen; -1 when the page has no colour at all.
int ColoursMissingFromScreen(const wxImage& page, CPolyView* pane) {
  std::vector<std::pair<std::array<int, 3>, int>> colours;
  int ink = 0;
  for (int y = 0; y < page.GetHeight(); ++y) {
    for (int x = 0; x < page.GetWidth(); ++x) {
      const std::array<int, 3> c = {page.GetRed(x, y), page.GetGreen(x, y), page.GetBlue(x, y)};
      const bool white = c[0] >= kInkBelow && c[1] >= kInkBelow && c[2] >= kInkBelow;
      const bool black = c[0] < kBlackBelow && c[1] < kBlackBelow && c[2] < kBlackBelow;
      if (white || black) continue;
      ++ink;
      auto at = std::find_if(colours.begin(), colours.end(), [&](const auto& e) { return e.first == c; });
      if (at == colours.end()) {
        colours.push_back({c, 1});
      } else {
        ++at->second;
      }
    }
  }
  if (ink == 0) return -1;
  pane->Invalidate(true);
  pane->UpdateNow();
  const wxImage screen = corvia::testing::ScreenPixels(static_cast<PaneWindow*>(pane->GetWindow())->GetCanvas());
  int missing = 0;
  for (const auto& [colour, count] : colours) {
    if (count * 100 < ink) continue;
    bool shown = false;
    for (int y = 0; y < screen.GetHeight() && !shown; ++y) {
      for (int x = 0; x < screen.GetWidth() && !shown; ++x) {
        shown =
            CloseColour({screen.GetRed(x, y), screen.GetGreen(x, y), screen.GetBlue(x, y)}, colour, kColourTolerance);
      }
    }
    if (!shown) {
      ADD_FAILURE() << "printed in (" << colour[0] << ", " << colour[1] << ", " << colour[2]
                    << "), which the pane does not show";
      ++missing;
    }
  }
  return missing;
}

wxPreviewFrame* FindPreviewFrame() {
  for (wxWindow* window : wxTopLevelWindows) {
    if (auto* frame = dynamic_cast<wxPreviewFrame*>(window)) return frame;
  }
  return nullptr;
}

// The print preview of File > Print shows, page by page, what the printer prints: for
// the nets on two pages, for a stellation diagram and for the model's own pane.
TEST_F(PrintedPagesTest, ThePreviewShowsThePrintedPages) {
  // The paper a user chooses in Print Setup; the preview and the printout take it.
  GetPrintData().SetPaperId(wxPAPER_A4);
  Open("Great Icosahedron");
  SetRadius(4.0);
  auto compare = [&](CPolyView* pane, const std::string& name, double allowedColours, double allowedLines) {
    const PrintedDocument printed = Print(pane, name);
    mPages = printed.pages;
    ASSERT_FALSE(printed.pages.empty());
    ASSERT_TRUE(ShowPrintPreview(pane, mFrame));
    // Print to File offers the documents folder, not the folder the program started in.
    EXPECT_EQ(std::filesystem::path(GetPrintData().GetFilename().utf8_string()).parent_path(),
              platform::DocumentsFolder());
    YieldUntil([] { return FindPreviewFrame() && FindPreviewFrame()->IsShownOnScreen(); });
    wxPreviewFrame* frame = FindPreviewFrame();
    ASSERT_NE(frame, nullptr);
    wxPrintPreviewBase* preview = frame->GetControlBar()->GetPrintPreview();
    ASSERT_NE(preview, nullptr);
    // Small enough that a whole page shows.
    preview->SetZoom(35);
    const int pages = static_cast<int>(printed.pages.size());
    YieldUntil([&] { return preview->GetMaxPage() == pages; });
    EXPECT_EQ(preview->GetMaxPage(), pages);
    for (int page = 1; page <= pages; ++page) {
      ASSERT_TRUE(preview->SetCurrentPage(page));
      wxPreviewCanvas* canvas = preview->GetCanvas();
      wxImage shown;
      PreviewDifference difference;
      YieldUntil([&] {
        canvas->Refresh();
        canvas->Update();
        const wxImage screen = corvia::testing::ScreenPixels(canvas);
        const wxRect paper = WhitePage(screen);
        if (paper.width < 100 || paper.height < 100) return false;
        shown = screen.GetSubImage(paper);
        difference = ComparePreview(shown, printed.pages[static_cast<size_t>(page - 1)]);
        return difference.colours < allowedColours && difference.lines < allowedLines;
      });
      EXPECT_LT(difference.colours, allowedColours) << name << " page " << page;
      EXPECT_LT(difference.lines, allowedLines) << name << " page " << page;
      if (const char* folder = std::getenv("CORVIA_WRITE_SCREENSHOTS")) {
        shown.SaveFile(std::string(folder) + "/preview-" + name + "-" + std::to_string(page) + ".png",
                       wxBITMAP_TYPE_PNG);
      }
    }
    frame->Close(true);
    YieldUntil([] { return FindPreviewFrame() == nullptr; });
  };
  compare(NetPane(), "nets", 0.01, 0.05);

  // The stellation diagram on one page.
  Open("Icosahedron");
  corvia::testing::StellateCurrentBase(2);
  ASSERT_TRUE(GetPane(1)->SetViewType(kViewStellationDiagram, false));
  compare(GetPane(1), "diagram", 0.01, 0.05);
  // The face of the stellation: its facets on paper in the colours of the pane.
  ASSERT_TRUE(GetPane(1)->SetViewType(kViewFaceOfStellation, false));
  compare(GetPane(1), "face", 0.01, 0.05);
  ASSERT_EQ(mPages.size(), 1u);
  EXPECT_EQ(ColoursMissingFromScreen(mPages[0], GetPane(1)), 0);
  // The model's pane as an image of the page.
  compare(GetPane(0), "model", 0.05, 1.0);
  // On white paper, not on the pane's grey: a corner of the page inside the margins.
  ASSERT_EQ(mPages.size(), 1u);
  const std::array<int, 3> corner = PixelAt(mPages[0], 15.0, 15.0);
  EXPECT_EQ(corner, (std::array<int, 3>{255, 255, 255}));
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// The message a model pane shows (here the one for a single type of face) speaks to
// the user at the screen: the printed page shows the model alone, as it does without it.
TEST_F(PrintedPagesTest, AModelPanePrintsWithoutItsMessage) {
  CPolyView* pane = GetPane(0);
  ASSERT_EQ(pane->GetViewType(), kViewBasePolyhedron);
  const PrintedDocument plain = Print(pane, "model-plain");
  NewView::SetMessage(pane, "There is only one type of face");
  ASSERT_NE(pane->GetMessage(), nullptr);
  const PrintedDocument withMessage = Print(pane, "model-message");
  ASSERT_EQ(plain.pages.size(), 1u);
  ASSERT_EQ(withMessage.pages.size(), 1u);
  const wxImage& a = plain.pages[0];
  const wxImage& b = withMessage.pages[0];
  ASSERT_EQ(a.GetSize(), b.GetSize());
  int differing = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      differing += std::abs(a.GetRed(x, y) - b.GetRed(x, y)) + std::abs(a.GetGreen(x, y) - b.GetGreen(x, y)) +
                       std::abs(a.GetBlue(x, y) - b.GetBlue(x, y)) >
                   48;
  EXPECT_EQ(differing, 0) << "the pane's message is on the page";
  EXPECT_NE(pane->GetMessage(), nullptr) << "the screen keeps it";
}

// The texts a pane lays over its picture on screen (the faceting preview's words, the
// state of a vertex's faceting diagram, a morph's progress) are for the screen: the
// printed page leaves the top of the picture, above the model, as white as the paper.
TEST_F(PrintedPagesTest, NoPanePrintsTheTextsItShowsOnScreen) {
  CPolyView* pane = GetPane(0);
  for (const ViewType type : {kViewFacetingPreview, kViewFacetingDiagram, kViewMorphBySizing}) {
    SCOPED_TRACE(type);
    ASSERT_TRUE(pane->SetViewType(type, false));
    pane->Invalidate(true);
    pane->UpdateNow();
    const PrintedDocument printed = Print(pane, "texts-" + std::to_string(type));
    ASSERT_EQ(printed.pages.size(), 1u);
    const wxImage& page = printed.pages[0];
    // The band of 15 mm at the top of the picture, across its width.
    const double top = TwipsToMm(printed.rect[1]);
    int ink = 0;
    for (double y = top - 15.0; y < top; y += PixelsToMm(1.0)) {
      for (double x = TwipsToMm(printed.rect[0]); x < TwipsToMm(printed.rect[2]); x += PixelsToMm(1.0)) {
        const std::array<int, 3> c = PixelAt(page, x, y);
        ink += c[0] < kInkBelow || c[1] < kInkBelow || c[2] < kInkBelow ? 1 : 0;
      }
    }
    EXPECT_EQ(ink, 0) << "pixels of ink above the model";
  }
  ASSERT_TRUE(pane->SetViewType(kViewBasePolyhedron, false));
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// A net larger than the page: the user is told how large it is and how much the page
// holds, and is offered the largest radius at which the nets fit. Declined, nothing is
// printed and the radius stays; taken, the nets print on one page at that radius, the
// largest of three figures that fits. The radius is a menu command as well.
TEST_F(PrintedPagesTest, ANetLargerThanThePageIsOfferedTheLargestRadiusThatFits) {
  GetPrintData().SetPaperId(wxPAPER_A4);
  Open("Icosidodecahedron");
  SetRadius(30.0);
  auto& messages = corvia::testing::Platform().messages;
  messages.QueueAnswer(platform::kBoxNo);
  EXPECT_FALSE(ShowPrintPreview(NetPane(), mFrame));
  EXPECT_EQ(FindPreviewFrame(), nullptr);
  ASSERT_EQ(messages.Boxes().size(), 1u);
  const std::string question = messages.Boxes()[0].text;
  EXPECT_EQ(messages.Boxes()[0].title, "Question");
  EXPECT_EQ(question.rfind("The nets do not fit on the page.\nThe largest net measures ", 0), 0u) << question;
  EXPECT_NE(question.find("with the model's radius at 30 cm, and the page holds 19 x 27.7 cm."), std::string::npos);
  const size_t at = question.find("Make the radius ");
  ASSERT_NE(at, std::string::npos) << question;
  const double offered = std::atof(question.c_str() + at + std::strlen("Make the radius "));
  EXPECT_GT(offered, 1.0);
  EXPECT_LT(offered, 30.0);
  EXPECT_DOUBLE_EQ(GetUnitSettings().mLengthScale, 30.0);
  messages.Clear();

  // Taken: printed at the offered radius, every net within the margins.
  messages.QueueAnswer(platform::kBoxYes);
  PrintedDocument printed = Print(NetPane(), "fitted");
  ASSERT_EQ(messages.Boxes().size(), 1u);
  EXPECT_EQ(messages.Boxes()[0].text, question);
  messages.Clear();
  EXPECT_DOUBLE_EQ(GetUnitSettings().mLengthScale, offered);
  ASSERT_EQ(printed.pages.size(), 1u);
  int nets = 0;
  for (size_t i = 0; i < printed.pages.size(); ++i) nets += CheckPage(printed, i).nets;
  EXPECT_GE(nets, 1);
  // The largest: a tenth of a percent more no longer fits.
  const int32_t rect[4] = {printed.rect[0], printed.rect[1], printed.rect[2], printed.rect[3]};
  GetUnitSettings().SetLengthScale(offered * 1.01, false);
  NetPage* larger = FitNetsOnPages(NetModel(), rect, 0, nullptr, false, nullptr);
  EXPECT_EQ(larger, nullptr);
  NetPage::FreeList(larger);
  GetUnitSettings().SetLengthScale(offered, false);

  // Edit > Scale > Radius... asks for the radius, as the Info bar's Radius does.
  wxMenuBar* bar = mFrame->GetMenuBar();
  wxMenuItem* item = bar ? bar->FindItem(ToWxId(kCmdScaleBaseRadius)) : nullptr;
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetItemLabelText().utf8_string(), "Radius...");
  messages.QueueText("5");
  corvia::testing::PostMenuCommand(mFrame, kCmdScaleBaseRadius);
  YieldUntil([] { return RadiusLine() == "Radius: 5"; });
  EXPECT_DOUBLE_EQ(GetUnitSettings().mLengthScale, 5.0);
  EXPECT_EQ(RadiusLine(), "Radius: 5");

  // As at a fresh start, with the program's own margins and radius: the offer is taken
  // and the page shows every tab clear of the others and of the facelets, at the
  // narrow inner corners of the net too.
  double margins[4];
  UnitSettings().GetMargins(&margins[0], &margins[1], &margins[2], &margins[3]);
  GetUnitSettings().SetMargins(margins[0], margins[1], margins[2], margins[3]);
  SetRadius(UnitSettings().mLengthScale);
  messages.QueueAnswer(platform::kBoxYes);
  PrintedDocument fresh = Print(NetPane(), "fresh-start");
  ASSERT_EQ(messages.Boxes().size(), 1u);
  EXPECT_NE(messages.Boxes()[0].text.find("Make the radius 4.21 cm,"), std::string::npos) << messages.Boxes()[0].text;
  messages.Clear();
  ASSERT_EQ(fresh.pages.size(), 1u);
  const PageCheck page = CheckPage(fresh, 0);
  EXPECT_EQ(page.nets, 1);
  EXPECT_GT(page.tabPixels, 10000);
}

// The search for the radius at which the nets fit makes every tab again at each radius
// it tries, seconds on a large model: it runs under the progress window, one bar over
// the radii tried, whose Cancel ends it with no box and no preview, the radius and every
// tab as they were; the tabs made again at the radius in force report under that window.
TEST_F(PrintedPagesTest, TheSearchForAFittingRadiusReportsAndItsCancelKeepsTheNets) {
  GetPrintData().SetPaperId(wxPAPER_A4);
  Open("Icosidodecahedron");
  SetRadius(30.0);
  auto tabs = [] {
    int count = 0;
    for (NetType* type = NetModel()->mNetTypes; type; type = type->next) {
      for (int n = 0; n < type->numNets; ++n) {
        for (Face3D* f = type->nets[n].first; f; f = f->mNextInNet) {
          for (int i = 0; i < f->GetNumEdges(); ++i) count += f->mEdges[i].tab ? 1 : 0;
        }
      }
    }
    return count;
  };
  const int before = tabs();
  ASSERT_GT(before, 0);
  // Every reading of the clock is two seconds of work: the window is up at once.
  class LeapingClock final : public platform::Clock {
   public:
    double NowSeconds() const override { return mNow += 2.0; }

   private:
    mutable double mNow = 0.0;
  } clock;
  auto& platform = corvia::testing::Platform();
  platform::ServiceSet services = platform::Services();
  const platform::ServiceSet wx = services;
  services.progress = &platform.progress;
  services.clock = &clock;
  platform::InstallServices(services);
  // Each report is seen by `look` as well as counted.
  auto watch = [&platform](std::function<void(int)> look) {
    platform.progress.Current()->onPump = [count = platform.progress.Current()->onPump,
                                           look](platform::HeadlessProgressWindow::State& state) {
      count(state);
      look(state.bar);
    };
  };
  int pumps = 0;
  {
    corvia::testing::ReportCounter reports;
    // One bar over the whole search: no try fills it again from the start.
    int shown = 0, fallen = 0;
    watch([&](int bar) {
      fallen = std::max(fallen, shown - bar);
      shown = bar;
    });
    const int windows = platform.progress.WindowsCreated();
    platform.messages.QueueAnswer(platform::kBoxNo);
    EXPECT_FALSE(ShowPrintPreview(NetPane(), mFrame));
    pumps = reports.pumps;
    EXPECT_EQ(platform.progress.WindowsCreated() - windows, 1);
    EXPECT_LT(fallen, platform::kProgressBarMax / 3) << "the bar starts again";
    EXPECT_EQ(platform.messages.Boxes().size(), 1u);
    platform.messages.Clear();
  }
  EXPECT_GE(pumps, 1) << "the search reports nothing";
  // A cancel that leaves another radius in force keeps the window up while the tabs
  // are made again at 30 cm, and the window answers as they are made.
  int restores = 0;
  for (int at = 1; at <= pumps; ++at) {
    SCOPED_TRACE(at);
    corvia::testing::ReportCounter reports;
    reports.cancelAt = at;
    bool scaled = false;
    int reportsWhileMade = 0;
    watch([&](int) {
      if (reports.pumps == at) {
        scaled = GetUnitSettings().mLengthScale != 30.0;
      } else if (reports.pumps > at && tabs() < before) {
        ++reportsWhileMade;
      }
    });
    const int windows = platform.progress.WindowsCreated();
    EXPECT_FALSE(ShowPrintPreview(NetPane(), mFrame));
    EXPECT_EQ(platform.progress.WindowsCreated() - windows, 1);
    if (scaled) {
      ++restores;
      EXPECT_GT(reportsWhileMade, 0) << "the tabs are made again with no report";
    }
    platform.progress.Current()->cancel = false;
    EXPECT_TRUE(platform.messages.Boxes().empty());
    platform.messages.Clear();
    EXPECT_EQ(FindPreviewFrame(), nullptr);
    EXPECT_DOUBLE_EQ(GetUnitSettings().mLengthScale, 30.0);
    EXPECT_EQ(tabs(), before);
  }
  EXPECT_GT(restores, 0);
  platform::InstallServices(wx);
}

// The Unfolded Net pane's edge texts on paper, where they match the pieces when they
// are glued: every text the pane shows at the page's size, beside the middle of its
// edge and clear of the line, each cut edge labelled on both pieces, each fold once.
TEST_F(PrintedPagesTest, APrintedNetCarriesTheEdgeTextsThePaneShows) {
  Open("Cuboctahedron");
  SetRadius(4.0);
  CPolyView* pane = NetPane();
  corvia::testing::PostMenuCommand(mFrame, kCmdShowEdgeLengths);
  ASSERT_EQ(GetNetSettings().edgeData, kEdgeDataLengths);
  YieldUntil([pane] { return !GetNetTextsWritten(pane).empty(); });
  const std::vector<NetText> shown = GetNetTextsWritten(pane);
  ASSERT_FALSE(shown.empty());
  for (const NetText& text : shown) EXPECT_EQ(text.text, "4");
  PrintedDocument printed = Print(pane, "edge-lengths");
  ASSERT_EQ(printed.pages.size(), 1u);
  ASSERT_EQ(printed.placed[0].size(), 1u);
  const Placed& placed = printed.placed[0][0];
  const std::vector<PrintedWord> words = ReadPrintedWords(printed.file);
  // The edgelets that carry a text, with their edges on paper.
  struct Labelled {
    std::string text;
    double a[2], b[2];
    int found = 0;
  };
  std::vector<Labelled> labelled;
  char text[256];
  for (const Face3D* f = placed.net->first; f; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      const Edge3D* e = &f->mEdges[i];
      if (!e->GetEdgeDataText(text, sizeof text)) continue;
      Labelled one;
      one.text = text;
      NetPointToPaperMm(placed, e->unfolded, one.a);
      NetPointToPaperMm(placed, e->GetNextInLoop()->unfolded, one.b);
      labelled.push_back(one);
    }
  }
  // 13 folds once, 11 cuts on both pieces.
  ASSERT_EQ(labelled.size(), 13u + 2u * 11u);
  EXPECT_EQ(words.size(), labelled.size());
  const double textMm = kTextPoints * kMmPerInch / 72.0;
  for (const PrintedWord& word : words) {
    EXPECT_EQ(word.text, "4");
    // 9 points high, as the page's other texts.
    EXPECT_NEAR(word.height, textMm, 0.4 * textMm) << word.text;
    // Beside the middle of an edge of its text, off the line by no more than its size.
    const double at[2] = {word.x, word.y};
    Labelled* nearest = nullptr;
    double best = 1e300;
    for (Labelled& edge : labelled) {
      const double middle[2] = {(edge.a[0] + edge.b[0]) / 2.0, (edge.a[1] + edge.b[1]) / 2.0};
      const double d = std::hypot(at[0] - middle[0], at[1] - middle[1]);
      if (edge.text == word.text && d < best && edge.found < 2) {
        best = d;
        nearest = &edge;
      }
    }
    ASSERT_NE(nearest, nullptr);
    ++nearest->found;
    EXPECT_LT(best, textMm) << "a text " << best << " mm from the middle of its edge";
    EXPECT_GT(DistanceToSegment(at, nearest->a, nearest->b), 0.3 * word.height) << "a text on its edge's line";
  }
  // Every edge its text: a cut edge's two edgelets share its middle, one text each.
  int unlabelled = 0;
  for (const Labelled& edge : labelled) unlabelled += edge.found == 0 ? 1 : 0;
  EXPECT_EQ(unlabelled, 0);
  // Chosen again, the data is off: the page carries no text.
  corvia::testing::PostMenuCommand(mFrame, kCmdShowEdgeLengths);
  ASSERT_EQ(GetNetSettings().edgeData, 0u);
  EXPECT_TRUE(ReadPrintedWords(Print(pane, "no-edge-data").file).empty());
}

// A printer's DC leaves out a colour that it believes the page already has: the
// first colour of a page is sent even when the last page ended in it.
TEST(PrintedPageColours, AColourLeftFromTheLastPageIsSetAgain) {
  const std::filesystem::path path = corvia::testing::ScratchDir("printed-colours") / "pages.ps";
  wxPrintData data;
  data.SetPaperId(wxPAPER_A4);
  data.SetFilename(path.string());
  data.SetPrintMode(wxPRINT_MODE_FILE);
  const wxColour orange(255, 128, 0);
  const wxPoint square[4] = {wxPoint(1000, 1000), wxPoint(2000, 1000), wxPoint(2000, 2000), wxPoint(1000, 2000)};
  const int xy[8] = {1000, 1000, 2000, 1000, 2000, 2000, 1000, 2000};
  {
    wxPostScriptDC dc(data);
    ASSERT_TRUE(dc.IsOk());
    ASSERT_TRUE(dc.StartDoc("Colours"));
    dc.StartPage();
    dc.SetBrush(wxBrush(orange));
    dc.SetPen(wxPen(orange));
    dc.DrawPolygon(4, square);
    dc.EndPage();
    dc.StartPage();
    {
      WxDeviceContext page(dc);
      page.SetBrush(0x0080FF);
      page.SetPen(0x0080FF, 1);
      page.Polygon(xy, 4);
    }
    dc.EndPage();
    dc.EndDoc();
  }
  const std::vector<wxImage> pages = Rasterise(path, 50);
  ASSERT_EQ(pages.size(), 2u);
  for (const wxImage& page : pages) {
    // The middle of the square: 1500 of the DC's 600 units per inch from the top left.
    const int x = 1500 * 50 / 600, y = 1500 * 50 / 600;
    EXPECT_EQ(page.GetRed(x, y), 255);
    EXPECT_NEAR(page.GetGreen(x, y), 128, 1);
    EXPECT_EQ(page.GetBlue(x, y), 0);
  }
}

}  // namespace test_PrintedPages
