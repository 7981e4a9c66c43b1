// A pane's parts made on their own, on a view without a window and without a pane: what
// the drawing frames by the view type it is given, the radius its fits take, and the
// pending fit, made once and standing while the camera stays as the fit left it; the
// caption's title and buttons, the printed pages and what a click does, each by the
// view type and the view's frame it is given.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/PaneCaption.h"
#include "app/PaneClicks.h"
#include "app/PaneDrawing.h"
#include "app/PanePrinting.h"
#include "app/PaneViewType.h"
#include "model/PolyElement.h"
#include "stellation/StellationCell.h"
#include "tests/app/AppTestSupport.h"
#include "tests/render/RenderTestSupport.h"

namespace test_StandalonePaneDrawing {

using namespace corvia;

class PaneDrawingTest : public corvia::testing::IcosahedronDocumentTest {
 protected:
  void SetUp() override {
    IcosahedronDocumentTest::SetUp();
    mView.SetSizeForTest(200, 150);
  }

  // The type the part draws changes under it, as a pane's does.
  void Show(ViewType code) {
    mType.Switch(code);
    mView.SetIs3D(mType.IsThreeD(false));
  }
  const float* Extents() const { return mView.Mapping2D().GetExtents2D(); }

  corvia::testing::TestView mView;
  PaneViewType mType;
  PanePage mPage;
  PaneDrawing mDrawing{mView, mType, mPage};
};

TEST_F(PaneDrawingTest, AFlatPaneIsFramedByWhatItsViewTypeShows) {
  Poly* poly = GetCurrentPoly();
  // The face: a square round the current face with room to spare, whose half is the
  // radius a fit takes.
  Show(kViewFace);
  ASSERT_TRUE(mDrawing.PrepareDiagramPane());
  const double face = 1.05 * poly->GetCurrentFace()->GetCoplanarRadius();
  EXPECT_NEAR(Extents()[1], face, 1e-5);
  EXPECT_NEAR(Extents()[2], face, 1e-5);
  EXPECT_NEAR(mDrawing.GetGeometryRadius(false), face, 1e-5);

  // The cell diagram: its grid of boxes, which a tight fit cannot squeeze.
  corvia::testing::StellateCurrentBase(2);
  Show(kViewCellDiagram);
  mDrawing.SetFitMode(kFitTight);
  ASSERT_TRUE(mDrawing.PrepareDiagramPane());
  EXPECT_EQ(mDrawing.GetFitMode(), kFitNormal);
  const FaceTypeBlock* block = poly->mBaseBlock.get();
  int rows = 0;
  for (StellationCellType* type = block->mFirstCellType; type; type = type->mNext) ++rows;
  float grid[4];
  GetCellDiagramExtents(rows, block->GetMaxCellsPerType(), grid);
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(Extents()[i], grid[i]) << i;
  EXPECT_GT(mDrawing.GetGeometryRadius(false), face);

  // The model panes frame no flat extents: their radius is the side they show.
  Show(kViewBasePolyhedron);
  EXPECT_TRUE(mDrawing.PrepareDiagramPane());
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(Extents()[i], grid[i]) << i;
  EXPECT_DOUBLE_EQ(mDrawing.GetGeometryRadius(false), 1.0);
  Show(kViewDualPolyhedron);
  EXPECT_DOUBLE_EQ(mDrawing.GetGeometryRadius(false), poly->GetRadius());
}

TEST_F(PaneDrawingTest, APendingFitIsMadeOnceAndStandsUntilTheCameraMoves) {
  // A flat pane that has never framed anything is fitted though no fit was asked for.
  Show(kViewFace);
  EXPECT_FALSE(mDrawing.ShowsLastFit());
  mDrawing.ExtentsPass();
  EXPECT_TRUE(mDrawing.ShowsLastFit());
  EXPECT_EQ(mDrawing.GetFitMode(), kFitNone);
  EXPECT_GT(Extents()[2], Extents()[0]);

  // A zoom of the user's ends it; a fit asked for is made at the next pass, once.
  const float zoom = mView.Mapping2D().GetZoom();
  mView.Mapping2D().SetZoom(2.0f * zoom);
  EXPECT_FALSE(mDrawing.ShowsLastFit());
  mDrawing.SetFitMode(kFitNormal);
  mDrawing.ExtentsPass();
  EXPECT_EQ(mDrawing.GetFitMode(), kFitNone);
  EXPECT_TRUE(mDrawing.ShowsLastFit());
  EXPECT_FLOAT_EQ(mView.Mapping2D().GetZoom(), zoom);

  // While fits are suspended none is asked for.
  {
    FitSuspension suspended;
    mDrawing.SetFitMode(kFitNormal);
  }
  EXPECT_EQ(mDrawing.GetFitMode(), kFitNone);
}

// The other parts of a pane beside the drawing, made on the same view and view type.
class PanePartsTest : public PaneDrawingTest {
 protected:
  void TearDown() override {
    SetMouseSelectionMode(mView.GetViewGroup(), kSelectFacesVertices);
    PaneDrawingTest::TearDown();
  }
  std::vector<int> ButtonCommands() const {
    std::vector<int> commands;
    for (int i = 0; i < mView.Buttons().GetNumButtons(); ++i) commands.push_back(mView.Buttons().GetButton(i).command);
    return commands;
  }

  PaneCaption mCaption{mView, mType};
  PanePrinting mPrinting{mView, mType, mDrawing};
  PaneClicks mClicks{mView, mType};
};

TEST_F(PanePartsTest, TheCaptionNamesAndOffersWhatItsViewTypeShows) {
  Show(kViewDualPolyhedron);
  mCaption.UpdateCaption();
  EXPECT_EQ(mView.GetTitle(), "Dodecahedron (Dual of 3.3.3.3.3), WD4, p9");
  Show(kViewUnfoldedNet);
  mCaption.UpdateCaption();
  EXPECT_EQ(mView.GetTitle(), "Unfolded Net for Icosahedron (3.3.3.3.3), W4, p17");
  EXPECT_EQ(mCaption.GetExportModelName(), "Icosahedron (3.3.3.3.3), W4, p17");

  // The buttons follow the view type and the mode of the view's frame.
  Show(kViewStellationOfBase);
  mCaption.SetCaptionButtons();
  EXPECT_EQ(ButtonCommands(), (std::vector<int>{kCaptionNextModel, kCaptionPreviousModel, kCaptionNextStellation,
                                                kCaptionPreviousStellation, kCaptionMakeBase}));
  SetMouseSelectionMode(mView.GetViewGroup(), kSelectMeasurement);
  Show(kViewBasePolyhedron);
  mCaption.SetCaptionButtons();
  EXPECT_EQ(ButtonCommands(), (std::vector<int>{kCaptionNextModel, kCaptionPreviousModel, kCaptionLeaveMode}));
}

TEST_F(PanePartsTest, AFacePrintsOnOnePageFramedByTheDrawing) {
  // The ends of the lines printed, across the page.
  struct SpanDC final : DeviceContext {
    int lines = 0, left = INT32_MAX, right = INT32_MIN;
    void MoveTo(int x, int) override { Take(x); }
    void LineTo(int x, int) override { ++lines, Take(x); }
    void Polygon(const int* xy, int count) override {
      for (int i = 0; i < count; ++i) Take(xy[2 * i]);
    }
    void Arc(int, int, int, int, int, int, int) override {}
    void TextOut(int, int, const char*) override {}
    void GetTextExtent(const char*, int& width, int& height) override { width = height = 0; }
    void SetPen(uint32_t, int) override {}
    void SetBrush(uint32_t) override {}
    void Take(int x) { left = std::min(left, x), right = std::max(right, x); }
  };
  const int32_t rect[4] = {1440, 15000, 10000, 1440};
  Show(kViewBasePolyhedron);
  EXPECT_FALSE(mPrinting.PrintsWithPageDrawing());
  Show(kViewFace);
  ASSERT_TRUE(mPrinting.PrintsWithPageDrawing());
  EXPECT_EQ(mPrinting.CountPrintPages(rect), 1);
  SpanDC dc;
  ASSERT_TRUE(mPrinting.PrintPageContent(1, dc, rect));
  // The square the drawing frames round the face, not the model's radius, fills the
  // page's width.
  const double face = 1.05 * GetCurrentPoly()->GetCurrentFace()->GetCoplanarRadius();
  EXPECT_NEAR(Extents()[2], face, 1e-5);
  EXPECT_GE(dc.lines, 3);
  EXPECT_GE(dc.left, rect[0]);
  EXPECT_LE(dc.right, rect[2]);
  EXPECT_GT(dc.right - dc.left, (rect[2] - rect[0]) / 2);
  EXPECT_FALSE(mPrinting.Page().IsPrintingPage());
}

TEST_F(PanePartsTest, AClickActsByTheModeOfTheViewsFrameAndItsViewType) {
  // Without a window nothing is picked: a click meets nothing.
  Poly* poly = GetCurrentPoly();
  auto& status = corvia::testing::Platform().views.mStatus;
  SetMouseSelectionMode(mView.GetViewGroup(), kSelectMeasurement);
  Show(kViewUnfoldedNet);
  mClicks.OnClick(50, 50, 0);
  EXPECT_EQ(status.rfind("No measuring on nets", 0), 0u) << status;
  // The cross-section measures nothing: a click selects there, and on nothing clears
  // the selection.
  poly->SelectFace(poly->GetCurrentFace(), false);
  Show(kViewCrossSection);
  mClicks.OnClick(50, 50, 0);
  EXPECT_EQ(poly->mSelectedItem, nullptr);
  SetMouseSelectionMode(mView.GetViewGroup(), kSelectIdentification);
  Show(kViewBasePolyhedron);
  mClicks.OnClick(50, 50, 0);
  EXPECT_EQ(status, "Nothing there");
}

}  // namespace test_StandalonePaneDrawing
