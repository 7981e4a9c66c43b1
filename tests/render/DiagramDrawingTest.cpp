// The cases of the diagram and facelet drawing that a picture alone does not show:
// the points-only pane, facets shown only to the pick, facets drawn on both sides,
// printed facets, outlines and numbers on a recorded page, corner angles, facelet
// numbering, selected facelets and cut edges.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/ElementLabels.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "render/DepthSortedTriangles.h"
#include "render/FaceletDrawing.h"
#include "render/FacetModelDrawing.h"
#include "render/GLSelection.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "render/PrintPage.h"
#include "render/SelectionItems.h"
#include "render/StellationDrawing.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"
#include "tests/render/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

namespace test_DiagramDrawing {

using namespace corvia;
using corvia::testing::IsBackground;
using corvia::testing::PixelAt;
using corvia::testing::TestView;

constexpr int kSize = 160;
const double kIdentityFrame[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr double kPi = 3.141592653589793;

// A flat pane with the diagram flags of a diagram pane.
class DiagramView : public TestView, public NetDrawPane {
 public:
  uint32_t flags = 0;
  uint32_t GetDiagramFlags() const override { return flags; }
  void Fit(double r) {
    SetIs3D(false);
    SetBackgroundColor(0, 0, 0);
    Mapping2D().SetExtents2D(static_cast<float>(-r), static_cast<float>(r), static_cast<float>(r),
                             static_cast<float>(-r));
    Mapping2D().FitExtents2D();
  }
  void ScenePass() override {
    SetLighting(this, false);
    if (scene) scene(*this);
    DrawDepthSortedTriangles();
  }
};

// A page that records what is printed on it, and its device context.
class RecordedPage : public PrintPage, public DeviceContext {
 public:
  std::vector<std::vector<double>> polygons;
  std::vector<std::pair<std::vector<double>, std::string>> texts;
  std::vector<int> lines;  // x0 y0 x1 y1 per line
  int currentX = 0, currentY = 0;
  double transform[6] = {100, 0, 0, 100, 1000, 2000};

  DeviceContext& GetDC() override { return *this; }
  void PrintPolygon(const double* xy, int count) override { polygons.emplace_back(xy, xy + 2 * count); }
  void PrintTextAt(const double* point, const char* text) override {
    texts.emplace_back(std::vector<double>{point[0], point[1]}, text);
  }
  const double* GetDiagramTransform() const override { return transform; }
  void MoveTo(int x, int y) override {
    currentX = x;
    currentY = y;
  }
  void LineTo(int x, int y) override {
    lines.insert(lines.end(), {currentX, currentY, x, y});
    currentX = x;
    currentY = y;
  }
  void Polygon(const int*, int) override {}
  void Arc(int, int, int, int, int, int, int) override {}
  void TextOut(int, int, const char*) override {}
  // A 9 point text in twips, characters half as wide as high.
  void GetTextExtent(const char* text, int& width, int& height) override {
    height = 180;
    width = text ? 90 * static_cast<int>(std::strlen(text)) : 0;
  }
  void SetPen(uint32_t, int) override {}
  void SetBrush(uint32_t) override {}
};

struct StellatedIcosahedron {
  corvia::testing::TestModel model{"3.3.3.3.3"};
  FaceTypeBlock* block = nullptr;
  FaceType* type = nullptr;
  bool Stellate(int shells) {
    if (!model.built) return false;
    block = model.poly.mBaseBlock.get();
    EXPECT_TRUE(corvia::Stellate(&model.poly, block, false).done());
    if (!block->IsStellated()) return false;
    type = block->mFirstFaceType;
    for (StellationCell* c = block->mFirstCell; c && c != block->GetOuterCell(); c = c->mNext) {
      StellationCell::SetIncluded(c, c->mType->mIndex < shells);
    }
    return type != nullptr;
  }
  // The facet round the centre of the diagram: the face of the icosahedron itself.
  const StellationFacet* Core() const {
    for (const StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
      const StellationSegment* s = f->GetSegment(0);
      double c[3];
      if (s && (s->GetCentroid(c), std::hypot(c[0], c[1]) < 1e-6)) return f;
    }
    return nullptr;
  }
};

int CountLit(const GLBitmap& image) {
  int count = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) count += IsBackground(PixelAt(image, x, y)) ? 0 : 1;
  return count;
}

class DiagramDrawing : public corvia::testing::GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    mScheme = StellationColorScheme;
    mNumbers = DiagnosticNumbers;
    mSettings = GetNetDrawSettings();
  }
  void TearDown() override {
    CloseWindows();
    StellationColorScheme = mScheme;
    DiagnosticNumbers = mNumbers;
    GetNetDrawSettings() = mSettings;
    GLTest::TearDown();
  }
  int mScheme = 0;
  uint32_t mNumbers = 0;
  NetDrawSettings mSettings;
};

// With the points bit alone the pane shows the diagram's points and nothing else; with
// no bit it shows the facets and lines.
TEST_F(DiagramDrawing, ThePointsBitAloneShowsOnlyThePoints) {
  StellatedIcosahedron ico;
  ASSERT_TRUE(ico.Stellate(1));
  DiagramView view;
  const FaceType* type = ico.type;
  view.scene = [type](TestView&) { DrawDiagramInPlane(type, kIdentityFrame, false); };
  auto* window = Show(view, kSize, kSize);
  ASSERT_NE(window, nullptr);
  view.Fit(1.05 * type->mDiagramRadius);
  view.flags = kDiagramShowPoints;
  const int points = CountLit(Draw(window));
  view.flags = 0;
  const int diagram = CountLit(Draw(window));
  view.flags = kDiagramShowPoints | 0x1;
  const int both = CountLit(Draw(window));
  int records = 0;
  for (const StellationPoint* list : {type->mOuterPoints, type->mInnerPoints})
    for (const StellationPoint* p = list; p; p = p->mNext) ++records;
  EXPECT_GT(points, 0);
  // Points of a few pixels each, many of them on one another.
  EXPECT_LE(points, 16 * records);
  EXPECT_GT(diagram, 4 * points);
  EXPECT_GE(both, diagram);
}

// In colouring mode 1 a facet between included cells is left out of the picture but
// still answers the pick.
TEST_F(DiagramDrawing, ModeOneShowsInsideFacetsOnlyToThePick) {
  StellatedIcosahedron ico;
  ASSERT_TRUE(ico.Stellate(2));
  const StellationFacet* core = ico.Core();
  ASSERT_NE(core, nullptr);
  ASSERT_EQ(core->GetDrawState(), kFacetStateHidden);
  InitGLSelection(kNumSelectionItemKinds);
  DiagramView view;
  const FaceType* type = ico.type;
  view.scene = [type](TestView&) { DrawDiagramInPlane(type, kIdentityFrame, false); };
  auto* window = Show(view, kSize, kSize);
  ASSERT_NE(window, nullptr);
  // Close up on the core: the centre pixel lies well inside it.
  view.Fit(0.3);
  const double centre[2] = {0.0, 0.0};
  double at[2];
  view.Mapping2D().ModelToWindow2D(at, centre);
  const int x = static_cast<int>(at[0]), y = static_cast<int>(at[1]);
  int running = 0;
  for (const StellationFacet* f = type->mAllFacets; f && f != core; f = f->mNext) ++running;
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    StellationColorScheme = mode;
    const GLBitmap image = Draw(window);
    EXPECT_EQ(IsBackground(PixelAt(image, x, y)), mode == 1);
    std::vector<GLHit> hits;
    view.DoSelection(hits, x, y, false);
    EXPECT_TRUE(ContainsHit(hits, kSelectStellationFacet, running));
  }
}

// The facets picked on a face: those facing the viewer, and those drawn on both sides
// whichever way the face turns.
TEST_F(DiagramDrawing, FacetsOnBothSidesShowFromBehind) {
  StellatedIcosahedron ico;
  ASSERT_TRUE(ico.Stellate(1));
  StellationFacet* core = const_cast<StellationFacet*>(ico.Core());
  ASSERT_NE(core, nullptr);
  ASSERT_TRUE(core->IsVisible());
  PolyElement* face = ico.type->mFirstFace;
  TestView view;
  view.scene = [face](TestView& v) {
    SetLighting(&v, false);
    v.Materials().SetColor(1, 1, 1);
    const double offset[3] = {0, 0, 0};
    DrawFacetsForSelection(face->mType, face, offset);
  };
  auto* window = Show(view, kSize, kSize);
  ASSERT_NE(window, nullptr);
  view.Camera().SetOrthogonal(true);
  view.Camera().SetOrthoHalfHeight(1.5f);
  view.SetBackgroundColor(0, 0, 0);
  double normal[3], eye[3], right[3], up[3];
  face->GetNormal(normal);
  PerpendicularByAxis(right, normal);
  NormaliseVector(right, right);
  for (double side : {1.0, -1.0}) {
    double axis[3];
    Scale(axis, normal, side);
    Cross(up, axis, right);
    Scale(eye, axis, 5.0);
    view.Camera().SetEye(eye);
    view.Camera().SetAxes(right, up, axis);
    core->mFlags &= ~kFacetBothSides;
    const int plain = CountLit(Draw(window));
    core->mFlags |= kFacetBothSides;
    const int both = CountLit(Draw(window));
    EXPECT_GT(both, 0);
    if (side > 0) {
      EXPECT_EQ(plain, both);
    } else {
      EXPECT_EQ(plain, 0);
    }
  }
  core->mFlags &= ~kFacetBothSides;
}

// A facet printed is one polygon per segment through the page transform; an outline in
// a net is its segment's edges as lines; without a page the print is refused aloud.
TEST_F(DiagramDrawing, FacetsAndOutlinesOnAPage) {
  StellatedIcosahedron ico;
  ASSERT_TRUE(ico.Stellate(1));
  const StellationFacet* core = ico.Core();
  ASSERT_NE(core, nullptr);
  const StellationSegment* segment = core->GetSegment(0);
  std::vector<double> corners;
  const SegVert* v = segment->mFirst;
  do {
    corners.push_back(v->mPoint->mX);
    corners.push_back(v->mPoint->mY);
    v = v->mNext;
  } while (v != segment->mFirst);
  RecordedPage page;
  {
    PrintPageScope scope(&page);
    Print(core, page.transform);
  }
  ASSERT_EQ(page.polygons.size(), 1u);
  ASSERT_EQ(page.polygons[0].size(), corners.size());
  for (size_t i = 0; i < corners.size(); i += 2) {
    EXPECT_NEAR(page.polygons[0][i], 100 * corners[i] + 1000, 1e-9);
    EXPECT_NEAR(page.polygons[0][i + 1], 100 * corners[i + 1] + 2000, 1e-9);
  }
  // The outline: every edge of the segment, from its corner to the next; its edges are
  // edges of the stellation, so nothing is joined across them.
  MarkAllUsedSegVerts(ico.block);
  double frame[16] = {100, 0, 0, 0, 0, 100, 0, 0, 0, 0, 1, 0, 1000, 2000, 0, 1};
  DrawInNet(const_cast<StellationSegment*>(segment), static_cast<DeviceContext*>(&page), frame, true);
  const_cast<StellationSegment*>(segment)->ClearMarks();
  ASSERT_EQ(page.lines.size(), 2 * corners.size());
  for (size_t k = 0; k < corners.size() / 2; ++k) {
    EXPECT_EQ(page.lines[4 * k], static_cast<int>(std::lround(100 * corners[2 * k] + 1000)));
    EXPECT_EQ(page.lines[4 * k + 1], static_cast<int>(std::lround(100 * corners[2 * k + 1] + 2000)));
  }
  EXPECT_EQ(segment->mMarks, 0u);
  corvia::testing::ExpectInternalErrors(1);
  Print(core, page.transform);
  EXPECT_EQ(page.polygons.size(), 1u);
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 1);
}

// ---- Facelets -----------------------------------------------------------------------------------

TEST(FaceletDrawing, CornerAnglesOfOutlines) {
  // A square run counter-clockwise: each corner 90 degrees.
  const double east[2] = {1, 0}, north[2] = {0, 1}, west[2] = {-1, 0};
  EXPECT_NEAR(GetCornerAngle(east, north), kPi / 2, 1e-12);
  EXPECT_NEAR(GetCornerAngle(north, west), kPi / 2, 1e-12);
  // A turn to the right is a reflex corner; going straight on is pi.
  const double south[2] = {0, -1};
  EXPECT_NEAR(GetCornerAngle(east, south), 1.5 * kPi, 1e-12);
  EXPECT_NEAR(GetCornerAngle(east, east), kPi, 1e-12);
  // Turning back: the corner of a spike.
  EXPECT_NEAR(GetCornerAngle(east, west), 0.0, 1e-7);
  const double none[2] = {0, 0};
  EXPECT_NEAR(GetCornerAngle(none, east), kPi, 1e-12);
}

class FacetModelDrawing : public DiagramDrawing {};

// Numbers count from 0: with every facelet, with every type, or both.
TEST_F(FacetModelDrawing, FaceletNumbersOnScreenAndOnPaper) {
  corvia::testing::TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  Model3D model(&cube.poly, false);
  ASSERT_GT(model.GetNumFacelets(), 0);
  const Face3D* last = model.GetFacelet(model.GetNumFacelets() - 1);
  const int types = model.GetNumFaceTypes();
  DiagnosticNumbers = kNumberEachFacelet;
  EXPECT_EQ(GetFaceletDisplayNumber(last), model.GetNumFacelets() - 1);
  DiagnosticNumbers = kNumberEachFaceletType;
  EXPECT_EQ(GetFaceletDisplayNumber(last), types - 1);
  DiagnosticNumbers = kNumberEachFacelet | kNumberEachFaceletType;
  EXPECT_EQ(GetFaceletDisplayNumber(last), model.GetNumFacelets() - 1 + types - 1);

  DiagnosticNumbers = kNumberEachFacelet;
  RecordedPage page;
  Transform3D identity = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
  const double pageTransform[6] = {10, 0, 0, 10, 50, 60};
  {
    PrintPageScope scope(&page);
    PrintFaceletNumbers(&model, last->mSourceFace, pageTransform, identity);
  }
  ASSERT_EQ(page.texts.size(), 1u);
  EXPECT_EQ(page.texts[0].second, std::to_string(model.GetNumFacelets() - 1));
  double c[3];
  last->GetCentroid(c);
  EXPECT_NEAR(page.texts[0].first[0], 10 * c[0] + 50, 1e-9);
  EXPECT_NEAR(page.texts[0].first[1], 10 * c[1] + 60, 1e-9);
}

// A selected facelet drawn by the selection pass is white with the selected alpha;
// drawn with the others it keeps its colour.
TEST_F(FacetModelDrawing, SelectedFaceletsAreWhite) {
  corvia::testing::TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  Model3D model(&cube.poly, false);
  Face3D* facelet = model.GetFacelet(0);
  facelet->mSourceFace->mOpacity = 0.6f;
  const float colour[3] = {0.2f, 0.4f, 0.6f};
  CopyFloat3(facelet->mSourceFace->mColor, colour);
  model.mSelectedFacelet = facelet;
  struct Seen {
    float rgb[3];
    float alpha;
    int count;
  } seen[2] = {};
  TestView view;
  view.scene = [&](TestView& v) {
    for (int pass = 0; pass < 2; ++pass) {
      if (pass == 0) {
        DrawSelectedFacelets(&model);
      } else {
        DrawFacelets(&model, 1.0);
      }
      SortDepthSortedTriangles(v.Camera().GetEye());
      seen[pass].count = GetDepthSortStatistics().sortedQueue;
      if (const DepthSortedTriangle* t = GetSortedTriangle(0)) {
        CopyFloat3(seen[pass].rgb, t->colour);
        seen[pass].alpha = t->alpha;
      }
      DiscardDepthSortedTriangles();
    }
  };
  auto* window = Show(view, 32, 32);
  ASSERT_NE(window, nullptr);
  Draw(window);
  ASSERT_EQ(seen[0].count, 2);
  EXPECT_FLOAT_EQ(seen[0].rgb[0], 1.0f);
  EXPECT_FLOAT_EQ(seen[0].rgb[2], 1.0f);
  EXPECT_FLOAT_EQ(seen[0].alpha, GetNetDrawSettings().selectedAlpha);
  ASSERT_EQ(seen[1].count, 2);
  EXPECT_FLOAT_EQ(seen[1].rgb[0], 0.2f);
  EXPECT_FLOAT_EQ(seen[1].rgb[2], 0.6f);
  EXPECT_FLOAT_EQ(seen[1].alpha, 0.6f);
}

// Only cut edges are marked.
TEST_F(FacetModelDrawing, MarkedEdgesAreTheCutOnes) {
  corvia::testing::TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  Model3D model(&cube.poly, false);
  TestView view;
  view.scene = [&](TestView& v) {
    SetLighting(&v, false);
    DrawMarkedEdges(&model, 1.0);
  };
  auto* window = Show(view, 64, 64);
  ASSERT_NE(window, nullptr);
  view.Camera().SetOrthogonal(true);
  view.Camera().SetOrthoHalfHeight(1.5f);
  const double eye[3] = {0, 0, 5};
  view.Camera().SetEye(eye);
  view.SetBackgroundColor(0, 0, 0);
  EXPECT_EQ(CountLit(Draw(window)), 0);
  for (int f = 0; f < model.GetNumFacelets(); ++f) {
    Face3D* facelet = model.GetFacelet(f);
    for (int i = 0; i < facelet->GetNumEdges(); ++i) facelet->mEdges[i].flags |= kEdgeUserCut;
  }
  EXPECT_GT(CountLit(Draw(window)), 0);
}

}  // namespace test_DiagramDrawing
