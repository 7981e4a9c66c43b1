// The Faceting Preview pane: the faceted model of a faceting of the icosahedron drawn
// where the camera puts its faces, and a face picked in it selected, with the pane and
// the Faceting Diagram pane redrawn.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/DrawnPolygon.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "render/GLSelection.h"
#include "render/PairLineLayer.h"
#include "render/SelectionItems.h"
#include "stellation/FacetPreview.h"
#include "stellation/Faceting.h"
#include "symmetry/SimplePoly.h"
#include "tests/app/AppTestSupport.h"
#include "tests/stellation/StellationModels.h"

namespace test_FacetPreviewPane {

using namespace corvia;
using corvia::testing::Platform;

// The panes hear of redraws as the program's do; everything else stays headless.
class PaneViews final : public platform::ViewNotifier {
 public:
  void RedrawAllViews(bool captionsToo) override { Platform().views.RedrawAllViews(captionsToo); }
  void InvalidateViewsOfKind(unsigned mask, int argument) override {
    Platform().views.InvalidateViewsOfKind(mask, argument);
    corvia::InvalidateViewsOfKind(mask, argument != 0);
  }
  void InvalidateInfo(unsigned reasonBits) override { Platform().views.InvalidateInfo(reasonBits); }
  void SetStatusText(const std::string& text) override { Platform().views.SetStatusText(text); }
  void SetWaitCursor(bool busy) override { Platform().views.SetWaitCursor(busy); }
  void SetPaneMessage(const std::string& text) override { Platform().views.SetPaneMessage(text); }
  void PrepareWhenIdle() override { Platform().views.PrepareWhenIdle(); }
  void FitViewsOfKind(unsigned mask) override { Platform().views.FitViewsOfKind(mask); }
  void SetFitModeOfType(unsigned viewType, int mode) override { Platform().views.SetFitModeOfType(viewType, mode); }
};

bool Background(const GLBitmap& image, int x, int y) {
  const uint8_t* corner = image.Pixel(image.width - 1, image.height - 1);
  const uint8_t* p = image.Pixel(x, y);
  return p[0] == corner[0] && p[1] == corner[1] && p[2] == corner[2];
}

// Whether (x, y) lies inside the polygon (a star polygon counts its inner parts, by
// winding number) and more than a pixel away from each of its sides.
bool InsidePolygon(const std::vector<std::array<double, 2>>& polygon, double x, double y) {
  double winding = 0.0;
  const size_t n = polygon.size();
  for (size_t i = 0; i < n; ++i) {
    const auto& a = polygon[i];
    const auto& b = polygon[(i + 1) % n];
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    const double t = std::clamp(((x - a[0]) * dx + (y - a[1]) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    if (std::hypot(a[0] + t * dx - x, a[1] + t * dy - y) <= 1.0) return false;
    winding += std::atan2((a[0] - x) * (b[1] - y) - (a[1] - y) * (b[0] - x),
                          (a[0] - x) * (b[0] - x) + (a[1] - y) * (b[1] - y));
  }
  return std::fabs(winding) > 1.0;
}

class FacetPreviewPaneTest : public corvia::testing::IcosahedronDocumentTest {
 protected:
  void SetUp() override {
    IcosahedronDocumentTest::SetUp();
    platform::ServiceSet services = platform::Services();
    services.views = &mViews;
    mSaved = platform::InstallServices(services);
    GetFacetingSettings() = FacetingSettings();
    InitGLSelection(kNumSelectionItemKinds);
    Platform().messages.Clear();
  }
  void TearDown() override {
    platform::InstallServices(mSaved);
    GetFacetingSettings() = FacetingSettings();
    SetDeferredPairLinesFrom(kDeferredPairLines);
    IcosahedronDocumentTest::TearDown();
  }

  PaneViews mViews;
  platform::ServiceSet mSaved;
};

TEST_F(FacetPreviewPaneTest, TheFacetingIsDrawnWhereItsFacesProjectAndAPickSelectsAFace) {
  // Wide enough that the empty pane's message, broken into lines that fit, stays clear
  // of the faces' centres.
  constexpr int kSize = 360;
  CPolyView* preview = AddPane(kViewFacetingPreview, kSize, kSize);
  CPolyView* diagram = AddPane(kViewFacetingDiagram, 160, 160);
  Poly* poly = GetCurrentPoly();
  poly->mDualBlock->SetCurrentFace(poly->mVertices.mHead);
  const GLBitmap empty = Draw(preview);

  ASSERT_NE(corvia::testing::ShowIsohedralFaceting(2), nullptr);
  const GLBitmap image = Draw(preview);
  ASSERT_NE(poly->mFacetPreview, nullptr);
  const SimplePoly& faceted = *poly->mFacetPreview->model;
  ASSERT_GT(faceted.NumFaces(), 4);

  // Each face turned to the eye covers the pixel of its centre, which showed the
  // background before.
  std::vector<std::vector<std::array<double, 2>>> projected;
  std::vector<bool> facing;
  int checked = 0;
  for (int i = 0; i < faceted.NumFaces(); ++i) {
    const SimpleFace& face = faceted.FaceAt(i);
    projected.emplace_back();
    double centre[3] = {0, 0, 0};
    for (int32_t v : face.items) {
      const double* p = faceted.VertAt(v).pos;
      double window[3];
      preview->ApplyViewTransform(window, p);
      projected.back().push_back({window[0], window[1]});
      for (int k = 0; k < 3; ++k) centre[k] += p[k] / double(face.items.size());
    }
    double toEye[3];
    Subtract(toEye, preview->Camera().GetEye(), centre);
    double normal[3];
    CopyVector(normal, face.normal);
    if (Dot(normal, centre) < 0.0) Negate(normal);
    facing.push_back(Dot(toEye, normal) > 0.2 * std::sqrt(Dot(toEye, toEye)));
    if (!facing.back() || face.IsTemp()) continue;
    double window[3];
    preview->ApplyViewTransform(window, centre);
    const int x = int(std::lround(window[0])), y = int(std::lround(window[1]));
    ASSERT_TRUE(x > 0 && y > 0 && x < kSize && y < kSize);
    EXPECT_FALSE(Background(image, x, y)) << "face " << i << " at " << x << "," << y;
    EXPECT_TRUE(Background(empty, x, y)) << "face " << i << " at " << x << "," << y;
    ++checked;
  }
  EXPECT_GT(checked, 2);

  // A pick at the centre of a face that faces the eye: the hit nearest the eye is a
  // preview face, and the pixel lies in its projection.
  int pickX = -1, pickY = -1;
  for (size_t i = 0; i < projected.size() && pickX < 0; ++i) {
    if (!facing[i]) continue;
    double x = 0.0, y = 0.0;
    for (const auto& p : projected[i]) {
      x += p[0] / double(projected[i].size());
      y += p[1] / double(projected[i].size());
    }
    if (InsidePolygon(projected[i], int(x) + 0.5, int(y) + 0.5)) {
      pickX = int(x);
      pickY = int(y);
    }
  }
  ASSERT_GE(pickX, 0);
  std::vector<GLHit> hits;
  preview->DoSelection(hits, pickX, pickY, false);
  SortHitsByDepth(hits);
  ASSERT_FALSE(hits.empty());
  int picked = -1;
  for (const GLHit& hit : hits) {
    if (GetHitItemType(hit) == kSelectSimplePolyFace) {
      picked = GetHitIndex(hit);
      break;
    }
  }
  ASSERT_GE(picked, 0);
  ASSERT_LT(picked, faceted.NumFaces());
  EXPECT_TRUE(InsidePolygon(projected[size_t(picked)], pickX + 0.5, pickY + 0.5));

  // The pick selects it: both faceting panes are to be drawn again, the facet's text
  // is shown, and the preview draws the face in white over the rest.
  Draw(diagram);
  EXPECT_FALSE(WindowOf(diagram)->IsPaintPending());
  EXPECT_FALSE(WindowOf(preview)->IsPaintPending());
  Platform().views.mStatus.clear();
  EXPECT_TRUE(SelectFacetByPick(poly, picked));
  EXPECT_EQ(poly->mSelectedFacetPreview, picked);
  EXPECT_TRUE(WindowOf(diagram)->IsPaintPending());
  EXPECT_TRUE(WindowOf(preview)->IsPaintPending());
  EXPECT_EQ(Platform().views.mStatus.rfind("Plane ", 0), 0u) << Platform().views.mStatus;
  const GLBitmap selected = Draw(preview);
  const uint8_t* p = selected.Pixel(pickX, pickY);
  const uint8_t* q = image.Pixel(pickX, pickY);
  EXPECT_GE(std::min({p[0], p[1], p[2]}), std::min({q[0], q[1], q[2]}));
  EXPECT_NE(selected.pixels, image.pixels);

  // A click on the same pixel in the select mode picks the same face.
  poly->mSelectedFacetPreview = -1;
  preview->Clicks().OnClick(pickX, pickY, 0);
  EXPECT_EQ(poly->mSelectedFacetPreview, picked);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// The lines through every pair of the diagram's points, a number that grows with the
// square of the model's vertices, are rasterized once for a vertex and a view: a
// repaint draws the kept picture, pixel for pixel.
TEST_F(FacetPreviewPaneTest, TheFacetingDiagramRasterizesItsPairLinesOnce) {
  CPolyView* diagram = AddPane(kViewFacetingDiagram, 160, 160);
  Poly* poly = GetCurrentPoly();
  poly->mDualBlock->SetCurrentFace(poly->mVertices.mHead);
  const unsigned long start = CountPairLinesRasterized();
  const GLBitmap first = Draw(diagram);
  const unsigned long lines = CountPairLinesRasterized() - start;
  ASSERT_GE(lines, 10u);
  const GLBitmap again = Draw(diagram);
  EXPECT_EQ(CountPairLinesRasterized() - start, lines);
  EXPECT_EQ(first.pixels, again.pixels);

  // Another vertex, or the view turned, draws its lines afresh.
  poly->mDualBlock->SetCurrentFace(poly->mVertices.mHead->mNext);
  Draw(diagram);
  EXPECT_EQ(CountPairLinesRasterized() - start, 2 * lines);
  diagram->Mapping2D().SetRotation2D(30.0f);
  const GLBitmap turned = Draw(diagram);
  EXPECT_EQ(CountPairLinesRasterized() - start, 3 * lines);
  EXPECT_NE(turned.pixels, first.pixels);
}

// A picture of many pair lines is not made in the paint, nor are its lines (some
// twenty million on a model of 6,000 vertices): the pane shows the diagram without them
// and the program is asked to come back, which makes the picture under the progress
// window, pixel for pixel the one made at once. A Cancel leaves the pane
// without the lines, and its paints do not ask again until it shows something else.
TEST_F(FacetPreviewPaneTest, AFacetingDiagramOfManyPairLinesIsMadeWhenIdleAndItsCancelLeavesThePaneWithoutThem) {
  CPolyView* diagram = AddPane(kViewFacetingDiagram, 160, 160);
  Poly* poly = GetCurrentPoly();
  poly->mDualBlock->SetCurrentFace(poly->mVertices.mHead);
  const GLBitmap atOnce = Draw(diagram);
  ForgetPairLineLayer(diagram);
  SetDeferredPairLinesFrom(10);
  const unsigned long start = CountPairLinesRasterized();
  const unsigned long madeBefore = CountPairLinesMade();
  const int requests = Platform().views.mPrepareRequests;
  const GLBitmap bare = Draw(diagram);
  EXPECT_EQ(CountPairLinesRasterized(), start);
  EXPECT_EQ(CountPairLinesMade(), madeBefore);
  EXPECT_EQ(Platform().views.mPrepareRequests, requests + 1);
  EXPECT_NE(bare.pixels, atOnce.pixels);
  ASSERT_TRUE(HasDeferredPairLinePictures());
  EXPECT_EQ(Draw(diagram).pixels, bare.pixels);

  corvia::testing::TickingClock clock(1.0);
  platform::ServiceSet services = platform::Services();
  services.clock = &clock;
  const platform::ServiceSet before = platform::InstallServices(services);
  EXPECT_TRUE(MakeDeferredPairLinePictures());
  EXPECT_FALSE(HasDeferredPairLinePictures());
  EXPECT_GE(CountPairLinesRasterized() - start, 10u);
  EXPECT_EQ(Platform().progress.Current()->caption.rfind("Drawing the faceting diagram", 0), 0u);
  EXPECT_TRUE(WindowOf(diagram)->IsPaintPending());
  EXPECT_EQ(Draw(diagram).pixels, atOnce.pixels);

  diagram->Mapping2D().SetRotation2D(30.0f);
  const GLBitmap turnedBare = Draw(diagram);
  Platform().progress.Current()->onPump = [](auto& state) { state.cancel = true; };
  EXPECT_FALSE(MakeDeferredPairLinePictures());
  Platform().progress.Current()->onPump = nullptr;
  Platform().progress.Current()->cancel = false;
  platform::InstallServices(before);
  const unsigned long made = CountPairLinesRasterized();
  EXPECT_EQ(Draw(diagram).pixels, turnedBare.pixels);
  EXPECT_FALSE(HasDeferredPairLinePictures());
  EXPECT_EQ(CountPairLinesRasterized(), made);
  diagram->Mapping2D().SetRotation2D(0.0f);
  Draw(diagram);
  EXPECT_TRUE(HasDeferredPairLinePictures());
}

}  // namespace test_FacetPreviewPane
