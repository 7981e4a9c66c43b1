// The flat panes and the net panes: what each draws and says for the icosahedron and
// a stellation of it; the printed page's clipping; the nets spread over as many pages
// as the page fitting makes, every line inside the margins; and image export, whose
// file holds the pane's pixels at the size asked, tiled or not.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/Settings.h"
#include "core/Units.h"
#include "model/Measurement.h"
#include "model/PointPicker.h"
#include "model/PolyElement.h"
#include "files/ImageFile.h"
#include "nets/Model3D.h"
#include "nets/NetPages.h"
#include "render/GLBitmapRender.h"
#include "render/ViewStereo.h"
#include "tests/app/AppTestSupport.h"
#include "tests/render/ModelTestSupport.h"

namespace test_PanesDraw {

using namespace corvia;
using corvia::testing::DocumentTest;
using corvia::testing::Platform;

// A page that keeps what is drawn on it.
class RecordingDC final : public DeviceContext {
 public:
  std::vector<std::pair<int, int>> points;  // every end of every line, every corner
  std::vector<std::vector<int>> polygons;
  std::vector<std::vector<int>> lines;  // x0 y0 x1 y1
  std::vector<std::pair<std::pair<int, int>, std::string>> texts;

  void MoveTo(int x, int y) override { mAt = {x, y}; }
  void LineTo(int x, int y) override {
    lines.push_back({mAt.first, mAt.second, x, y});
    points.push_back(mAt);
    points.emplace_back(x, y);
    mAt = {x, y};
  }
  void Polygon(const int* xy, int count) override {
    polygons.emplace_back(xy, xy + 2 * count);
    for (int i = 0; i < count; ++i) points.emplace_back(xy[2 * i], xy[2 * i + 1]);
  }
  void Arc(int, int, int, int, int, int, int) override {}
  void TextOut(int x, int y, const char* text) override { texts.push_back({{x, y}, text}); }
  // A 9 point text in twips, characters half as wide as high.
  void GetTextExtent(const char* text, int& width, int& height) override {
    height = 180;
    width = text ? 90 * static_cast<int>(std::strlen(text)) : 0;
  }
  void SetPen(uint32_t, int) override {}
  void SetBrush(uint32_t) override {}

 private:
  std::pair<int, int> mAt{0, 0};
};

// The pixels that differ from the pane's corner.
int Covered(const GLBitmap& image) {
  const uint8_t* corner = image.Pixel(image.width - 1, image.height - 1);
  int count = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.Pixel(x, y);
      count += (p[0] != corner[0] || p[1] != corner[1] || p[2] != corner[2]) ? 1 : 0;
    }
  }
  return count;
}

class PanesDrawTest : public corvia::testing::IcosahedronDocumentTest {
 protected:
  static void Stellate(int shells) { corvia::testing::StellateCurrentBase(shells); }
};

constexpr ViewType kFlatTypes[] = {kViewFace,         kViewFaceOfStellation, kViewStellationDiagram,
                                   kViewVertexFigure, kViewFacetingDiagram,  kViewCellDiagram,
                                   kViewCrossSection, kViewUnfoldedNet,      kViewFoldingNet};

TEST(DiagramPanes, CellGridAndLightColours) {
  float e[4];
  GetCellDiagramExtents(3, 4, e);
  EXPECT_EQ(e[2] - e[0], 200.0f);
  EXPECT_EQ(e[1] - e[3], 150.0f);
  EXPECT_EQ(e[0], -100.0f);
  // Red and green both above 0.8 scale all three parts down to 0.8 at most.
  float yellow[3] = {1.0f, 0.9f, 0.5f};
  LightenDiagramColour(yellow);
  EXPECT_FLOAT_EQ(yellow[0], 0.8f);
  EXPECT_FLOAT_EQ(yellow[1], 0.72f);
  EXPECT_FLOAT_EQ(yellow[2], 0.4f);
  float red[3] = {1.0f, 0.5f, 0.9f};
  LightenDiagramColour(red);
  EXPECT_FLOAT_EQ(red[0], 1.0f);
  EXPECT_FLOAT_EQ(red[2], 0.9f);
}

TEST_F(PanesDrawTest, EveryFlatPaneDrawsItsContentWithItsText) {
  std::vector<CPolyView*> panes;
  for (ViewType type : kFlatTypes) panes.push_back(AddPane(type, 240, 200));
  // Before the user picks one, the vertex panes show the model's first vertex.
  Poly* poly = GetCurrentPoly();
  ASSERT_EQ(poly->GetOtherCurrentFace(), poly->mVertices.mHead);
  std::vector<GLBitmap> before;
  for (size_t i = 0; i < panes.size(); ++i) {
    SCOPED_TRACE(GetViewTypeName(kFlatTypes[i]));
    EXPECT_EQ(GetMissingContentText(kFlatTypes[i]), nullptr);
    before.push_back(Draw(panes[i]));
    EXPECT_GT(Covered(before.back()), 400);
  }
  EXPECT_EQ(panes[0]->Drawing().GetPaneStatusText(), "Face type 1 of 1.  20 faces of this type.");
  EXPECT_EQ(panes[2]->Drawing().GetPaneStatusText(), panes[0]->Drawing().GetPaneStatusText());
  EXPECT_EQ(panes[3]->Drawing().GetPaneStatusText(), "Vertex type 1 of 1 (vertex 1 of 12).");
  EXPECT_EQ(panes[4]->Drawing().GetPaneStatusText(), "Vertex type 1 of 1.  Vertex 1 of 12.");
  EXPECT_EQ(panes[5]->Drawing().GetPaneStatusText(), "");
  EXPECT_EQ(panes[7]->Drawing().GetPaneStatusText(), "Net type 1 of 1.  Need 1 copy of this net.");
  EXPECT_EQ(panes[8]->Drawing().GetPaneStatusText(), "");

  // A stellation: the stellation panes and the nets follow it.
  Stellate(2);
  for (size_t i = 0; i < panes.size(); ++i) {
    SCOPED_TRACE(GetViewTypeName(kFlatTypes[i]));
    panes[i]->SetFitMode(kFitNormal);
    const GLBitmap after = Draw(panes[i]);
    EXPECT_GT(Covered(after), 400);
    const ViewType type = kFlatTypes[i];
    if (type == kViewFaceOfStellation || type == kViewCellDiagram || type == kViewUnfoldedNet ||
        type == kViewFoldingNet) {
      EXPECT_NE(after.pixels, before[i].pixels);
    }
  }
  const std::string nets = panes[7]->Drawing().GetPaneStatusText();
  EXPECT_EQ(nets.rfind("Net type 1 of ", 0), 0u) << nets;
  EXPECT_NE(nets.find(" copies of this net."), std::string::npos) << nets;
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// The cell diagram is worked out once and kept: a paint with nothing changed works out
// nothing, and what it draws from the kept diagram is what the diagram drawn a cell at
// a time shows, byte for byte: fitted (every number written, the included cells' wide
// frames, a hidden cell, the current cell's inner frame), after a cell's inclusion
// changed, zoomed in on a corner, where the numbers and links off the pane are passed
// over, and in anaglyph stereo.
TEST_F(PanesDrawTest, TheCellDiagramIsKeptAndDrawsAsACellAtATime) {
  Stellate(2);
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  StellationCell* last = block->mFirstCell;
  while (last->mNext && last->mNext != block->GetOuterCell()) last = last->mNext;
  block->mCurrentCell = block->mFirstCell->mNext;
  block->mFirstCell->mNext->mNext->SetHidden(true);
  CPolyView* pane = AddPane(kViewCellDiagram, 400, 300);
  auto oneByOne = [&]() {
    pane->Drawing().SetCellDiagramOneByOne(true);
    const GLBitmap image = Draw(pane);
    pane->Drawing().SetCellDiagramOneByOne(false);
    return image;
  };
  unsigned long made = pane->Drawing().CountCellDiagramsMade();
  const GLBitmap kept = Draw(pane);
  EXPECT_EQ(pane->Drawing().CountCellDiagramsMade(), made + 1);
  EXPECT_GT(Covered(kept), 5000);
  EXPECT_EQ(Draw(pane).pixels, kept.pixels);
  EXPECT_EQ(pane->Drawing().CountCellDiagramsMade(), made + 1) << "worked out again with nothing changed";
  EXPECT_EQ(oneByOne().pixels, kept.pixels);

  StellationCell::SetIncluded(last, !last->IsIncluded());
  made = pane->Drawing().CountCellDiagramsMade();
  const GLBitmap changed = Draw(pane);
  EXPECT_EQ(pane->Drawing().CountCellDiagramsMade(), made + 1);
  EXPECT_NE(changed.pixels, kept.pixels);
  EXPECT_EQ(oneByOne().pixels, changed.pixels);

  pane->Mapping2D().Zoom2DAt(6.0, 60, 50);
  const GLBitmap zoomed = Draw(pane);
  EXPECT_NE(zoomed.pixels, changed.pixels);
  EXPECT_GT(Covered(zoomed), 5000);
  EXPECT_EQ(oneByOne().pixels, zoomed.pixels);

  // In anaglyph stereo, whose filter inks every colour alike, from the kept diagram too
  // (worked out again for a cell's inclusion).
  pane->Stereo().SetStereoMode(kStereoRedCyan);
  StellationCell::SetIncluded(last, !last->IsIncluded());
  made = pane->Drawing().CountCellDiagramsMade();
  const GLBitmap anaglyph = Draw(pane);
  EXPECT_EQ(pane->Drawing().CountCellDiagramsMade(), made + 1);
  EXPECT_NE(anaglyph.pixels, zoomed.pixels);
  EXPECT_EQ(oneByOne().pixels, anaglyph.pixels);
  pane->Stereo().SetStereoMode(kStereoNone);
}

TEST_F(PanesDrawTest, ThePrintedPageClipsToItsRectangle) {
  // The page alone: no pane, no window.
  PanePage page;
  RecordingDC dc;
  const int32_t rect[4] = {-1000, 1000, 2000, -500};
  page.BeginPrintPage(&dc, rect);
  // Texts print at their anchor, rounded half away from zero, or not at all.
  const double inside[2] = {-2.5, 3.5}, outside[2] = {2001.0, 0.0}, edge[2] = {2000.0, 1000.0};
  page.PrintTextAt(inside, "a");
  page.PrintTextAt(outside, "b");
  page.PrintTextAt(edge, "c");
  page.PrintTextAt(-1001, 0, "d");
  ASSERT_EQ(dc.texts.size(), 2u);
  EXPECT_EQ(dc.texts[0].first, std::make_pair(-3, 4));
  EXPECT_EQ(dc.texts[1].second, "c");
  // A line from inside to far outside stops at the edge; one wholly outside is not drawn.
  const double a[2] = {0.0, 0.0}, far[2] = {1e6, 0.0}, out1[2] = {3000.0, 0.0}, out2[2] = {3000.0, 500.0};
  page.PrintLine(a, far);
  page.PrintLine(out1, out2);
  ASSERT_EQ(dc.lines.size(), 1u);
  EXPECT_EQ(dc.lines[0], (std::vector<int>{0, 0, 2000, 0}));
  // A triangle across the right edge prints as a quadrilateral ending on it.
  const double t0[2] = {1500.0, 0.0}, t1[2] = {2500.0, 0.0}, t2[2] = {1500.0, 500.0};
  page.PrintClippedPolygon(t0, t1, t2);
  ASSERT_EQ(dc.polygons.size(), 1u);
  ASSERT_EQ(dc.polygons[0].size(), 8u);
  int onEdge = 0;
  for (size_t i = 0; i < 8; i += 2) {
    EXPECT_LE(dc.polygons[0][i], 2000);
    onEdge += dc.polygons[0][i] == 2000 ? 1 : 0;
  }
  EXPECT_EQ(onEdge, 2);
  // Two points make no polygon; four make two triangles; a rectangle is four lines.
  const double two[4] = {0, 0, 10, 10}, square[8] = {0, 0, 100, 0, 100, 100, 0, 100};
  page.PrintPolygon(two, 2);
  EXPECT_EQ(dc.polygons.size(), 1u);
  page.PrintPolygon(square, 4);
  EXPECT_EQ(dc.polygons.size(), 3u);
  dc.lines.clear();
  const double c0[2] = {-50.0, -50.0}, c1[2] = {50.0, 50.0};
  page.PrintRectangle(c0, c1);
  page.PrintDoubleArrow(c0, c1, 10.0);
  EXPECT_EQ(dc.lines.size(), 9u);
  // A dot prints only where the whole of it lies on the page.
  const size_t polygons = dc.polygons.size();
  const double nearEdge[2] = {1995.0, 0.0}, middle[2] = {0.0, 0.0}, huge[2] = {1e300, 0.0};
  page.PrintDot(nearEdge, 10.0);
  page.PrintDot(huge, 10.0);
  EXPECT_EQ(dc.polygons.size(), polygons);
  page.PrintDot(middle, 10.0);
  ASSERT_EQ(dc.polygons.size(), polygons + 1);
  for (size_t i = 0; i < dc.polygons.back().size(); ++i) EXPECT_LE(std::abs(dc.polygons.back()[i]), 10);
  page.EndPrintPage();
  // Nothing is drawn once the page is done.
  page.PrintLine(a, far);
  EXPECT_EQ(dc.lines.size(), 9u);
  corvia::testing::ExpectInternalErrors(1);
  page.GetDC();
  EXPECT_EQ(Platform().messages.CountTitled("Internal Error"), 1);
}

TEST_F(PanesDrawTest, NetsPrintOnAsManyPagesAsTheFittingMakesInsideTheMargins) {
  Stellate(2);
  CPolyView* pane = AddPane(kViewUnfoldedNet);
  Draw(pane);
  Model3D* model = GetCurrentPoly()->mBaseBlock.get()->GetModel3D(true, nullptr);
  ASSERT_TRUE(model && model->HasNets());
  // Two centimetres for each unit of the model.
  UnitSettings& units = GetUnitSettings();
  const double savedScale = units.mLengthScale;
  units.mLengthScale = 2.0;
  // An A4 page in twips less one-inch margins, and one a quarter of its size.
  const int32_t pages[2][4] = {{1440, 15398, 10466, 1440}, {1440, 5000, 4000, 1440}};
  int last = 0;
  for (const auto& rect : pages) {
    const int count = pane->Printing().CountPrintPages(rect);
    model->CountNetsToPrint(nullptr, false);
    int32_t lowest = 0;
    NetPage* fitted = FitNetsOnPages(model, rect, 0, nullptr, false, &lowest);
    int expected = 0;
    for (NetPage* page = fitted; page; page = page->next) ++expected;
    NetPage::FreeList(fitted);
    // The pane's own fitting again: the count above freed nothing it still needs.
    ASSERT_EQ(pane->Printing().CountPrintPages(rect), count);
    EXPECT_EQ(count, expected);
    ASSERT_GE(count, 1);
    for (int page = 1; page <= count; ++page) {
      RecordingDC dc;
      ASSERT_TRUE(pane->Printing().PrintPageContent(page, dc, rect));
      EXPECT_GT(dc.lines.size(), 10u) << "page " << page;
      for (const auto& [x, y] : dc.points) {
        ASSERT_TRUE(x >= rect[0] && x <= rect[2] && y >= rect[3] && y <= rect[1])
            << "page " << page << " point " << x << "," << y;
      }
    }
    EXPECT_GE(count, last);
    last = count;
    pane->Printing().EndPrinting();
  }
  units.mLengthScale = savedScale;
  EXPECT_GT(last, 1);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(PanesDrawTest, AnExportedImageHoldsThePanesPixelsTiledOrNot) {
  CPolyView* pane = AddPane(kViewStellationDiagram, 160, 120);
  ExportSettings& settings = GetAppSettings().exports;
  const ExportSettings saved = settings;
  settings.overSample = 1;
  settings.hideText = 0;
  const GLBitmap screen = Draw(pane);
  const auto folder = corvia::testing::ScratchDir("PaneExport");
  const std::string png = (folder / "pane.png").string();
  ASSERT_TRUE(pane->ExportImage(png.c_str(), 160, 120));
  GLBitmap file;
  ASSERT_TRUE(corvia::testing::LoadPng(png, file));
  EXPECT_LE(corvia::testing::LargestChannelDifference(file, screen), 1);

  // Larger than the largest tile: the same picture drawn in pieces.
  settings.hideText = 1;
  GLBitmap whole;
  ASSERT_TRUE(pane->RenderImage(whole, 700, 500, 1, true));
  GLBitmapRender::SetMaxTileSize(128);
  ASSERT_TRUE(pane->ExportImage(png.c_str(), 700, 500));
  GLBitmapRender::SetMaxTileSize(0);
  ASSERT_TRUE(corvia::testing::LoadPng(png, file));
  EXPECT_EQ(file.width, 700);
  EXPECT_LE(corvia::testing::LargestChannelDifference(file, whole), 1);
  EXPECT_GT(Covered(file), 10000);

  // Over-sampled: the mean of each block, still the size asked.
  settings.overSample = 3;
  const std::string jpeg = (folder / "pane.jpg").string();
  ASSERT_TRUE(pane->ExportImage(jpeg.c_str(), 200, 150));
  EXPECT_EQ(corvia::GetImageFileKind(jpeg.c_str()), ImageFileKind::kJpeg);
  settings = saved;
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// A flat diagram prints on one page, fitted inside its rectangle; any other pane
// prints as an image.
TEST_F(PanesDrawTest, DiagramsPrintOnOnePageInsideTheRectangle) {
  Stellate(2);
  GetCurrentPoly()->mDualBlock.get()->SetCurrentFace(GetCurrentPoly()->mVertices.mHead);
  const int32_t rect[4] = {1440, 15000, 10000, 1440};
  for (ViewType type : {kViewFace, kViewFaceOfStellation, kViewStellationDiagram, kViewCellDiagram,
                        kViewVertexFigure, kViewCrossSection}) {
    SCOPED_TRACE(GetViewTypeName(type));
    CPolyView* pane = AddPane(type);
    Draw(pane);
    ASSERT_TRUE(pane->Printing().PrintsWithPageDrawing());
    EXPECT_EQ(pane->Printing().CountPrintPages(rect), 1);
    RecordingDC dc;
    ASSERT_TRUE(pane->Printing().PrintPageContent(1, dc, rect));
    EXPECT_GT(dc.lines.size() + dc.polygons.size(), 3u);
    int32_t lo[2] = {rect[2], rect[1]}, hi[2] = {rect[0], rect[3]};
    for (const auto& [x, y] : dc.points) {
      ASSERT_TRUE(x >= rect[0] && x <= rect[2] && y >= rect[3] && y <= rect[1]) << x << "," << y;
      lo[0] = std::min(lo[0], x), lo[1] = std::min(lo[1], y), hi[0] = std::max(hi[0], x), hi[1] = std::max(hi[1], y);
    }
    // Fitted: the drawing spans most of the page's narrower side.
    EXPECT_GT(std::max(hi[0] - lo[0], hi[1] - lo[1]), (rect[2] - rect[0]) / 2);
    EXPECT_FALSE(pane->Printing().Page().IsPrintingPage());
  }
  EXPECT_FALSE(AddPane(kViewBasePolyhedron)->Printing().PrintsWithPageDrawing());
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// The section shows inside the model panes while a cross-section pane is open, as the
// choice says.
TEST_F(PanesDrawTest, TheSectionShowsInsideTheModel) {
  CPolyView* model = AddPane(kViewBasePolyhedron, 200, 200);
  const int savedChoice = GetSectionInModelChoice();
  SetSectionInModelChoice(kSectionInModelWhenOpen);
  const GLBitmap alone = Draw(model);
  AddPane(kViewCrossSection);
  const GLBitmap withSection = Draw(model);
  EXPECT_NE(withSection.pixels, alone.pixels);
  SetSectionInModelChoice(kSectionInModelNever);
  EXPECT_EQ(Draw(model).pixels, alone.pixels);
  SetSectionInModelChoice(savedChoice);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// In Measurement Mode the model pane and the face pane show the measured points, the
// measured plane and the measured value; without points, nothing of them.
TEST_F(PanesDrawTest, MeasurementsShowInTheModelAndFacePanes) {
  CPolyView* model = AddPane(kViewBasePolyhedron, 200, 200);
  CPolyView* face = AddPane(kViewFace, 200, 200);
  const int savedMode = GetPaneSelectionMode();
  SetMouseSelectionMode(kSelectMeasurement);
  ResetMeasurementPoints();
  ResetMeasurement();
  const GLBitmap plainModel = Draw(model), plainFace = Draw(face);
  // A plane through three corners of the current face, and a point off it.
  PolyElement* current = GetCurrentPoly()->GetCurrentFace();
  ASSERT_NE(current, nullptr);
  for (int i = 0; i < 3; ++i) {
    const double* p = current->GetCorner(i)->mDualVert;
    const double point[4] = {p[0], p[1], p[2], 0.0};
    PickMeasurementPoint(point, kMeasureFromMouse | (i > 0 ? kMeasureAddToItem : 0));
  }
  const double origin[4] = {0.0, 0.0, 0.0, 0.0};
  PickMeasurementPoint(origin, kMeasureFromMouse);
  double a[4], b[4];
  ASSERT_TRUE(GetMeasuredSegment(a, b));
  EXPECT_NE(Draw(model).pixels, plainModel.pixels);
  EXPECT_NE(Draw(face).pixels, plainFace.pixels);
  ResetMeasurementPoints();
  ResetMeasurement();
  EXPECT_EQ(Draw(face).pixels, plainFace.pixels);
  SetMouseSelectionMode(savedMode);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

}  // namespace test_PanesDraw
