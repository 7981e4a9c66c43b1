// The facet model, its nets and stellation diagrams drawn off screen: facelets of the
// flat nets where their unfolded points put them, tabs beside them, folding nets
// that close onto the model, the icosahedron's stellation diagram against its own
// geometry, a stellation's silhouette, printed facets and outlines, and reference
// images.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "construction/Library.h"
#include "core/Progress.h"
#include "core/Units.h"
#include "model/ColorSchemes.h"
#include "model/CreatePoly.h"
#include "model/ElementFlags.h"
#include "model/ElementLabels.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/Subdivision.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"
#include "platform/Services.h"
#include "render/DepthSortedTriangles.h"
#include "render/FaceletDrawing.h"
#include "render/FaceMeshCache.h"
#include "render/FacetModelDrawing.h"
#include "render/FlatNetMesh.h"
#include "render/GLSelection.h"
#include "render/GLText.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/NewView.h"
#include "render/NetDrawSettings.h"
#include "render/NetDrawing.h"
#include "render/NetTexts.h"
#include "render/PrintPage.h"
#include "render/SelectionItems.h"
#include "render/StellationDrawing.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"
#include "symmetry/SimplePoly.h"
#include "tests/render/ModelTestSupport.h"
#include "tests/stellation/StellationModels.h"
#include "tests/support/TestSupport.h"

namespace test_NetDrawing {

using namespace corvia;
using corvia::testing::IsBackground;
using corvia::testing::ModelView;
using corvia::testing::PixelAt;
using corvia::testing::Rgba;
using corvia::testing::TestView;

constexpr int kCubeRecord = 1;
constexpr int kIcosahedronRecord = 4;
constexpr int kSize = 240;

std::unique_ptr<Poly> BuildLibraryPoly(int index) {
  LibraryEntry* entry = GetLibraryEntry(index);
  if (!entry) return nullptr;
  std::unique_ptr<SimplePoly> simple = entry->CreatePoly(false);
  if (!simple) return nullptr;
  auto poly = std::make_unique<Poly>();
  if (!CreatePoly(*simple, poly.get(), false, false)) return nullptr;
  return poly;
}

// Each face a colour of its own, far apart in red and green, blue 0.
void ColourFacesApart(Poly& poly) {
  int i = 0;
  const int n = poly.mFaces.mCount;
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext, ++i) {
    const float t = (i + 1.0f) / (n + 1.0f);
    const float c[3] = {t, 1.0f - t, 0.0f};
    CopyFloat3(f->mColor, c);
    CopyFloat3(f->mBackColor, c);
    f->mOpacity = 1.0f;
  }
}

Rgba Expected(const float* c) {
  return {static_cast<int>(std::lround(c[0] * 255)), static_cast<int>(std::lround(c[1] * 255)),
          static_cast<int>(std::lround(c[2] * 255)), 255};
}

bool Near(const Rgba& a, const Rgba& b, int levels = 1) {
  return std::abs(a.r - b.r) <= levels && std::abs(a.g - b.g) <= levels && std::abs(a.b - b.b) <= levels;
}

// A flat pane showing the rectangle (left, top, right, bottom) of the net plane.
class FlatView : public TestView {
 public:
  void Fit(double left, double top, double right, double bottom) {
    SetIs3D(false);
    SetBackgroundColor(0, 0, 0);
    Mapping2D().SetExtents2D(static_cast<float>(left), static_cast<float>(top), static_cast<float>(right),
                             static_cast<float>(bottom));
    Mapping2D().FitExtents2D();
  }
  void ScenePass() override {
    ++scenePasses;
    SetLighting(this, false);
    if (scene) scene(*this);
    DrawDepthSortedTriangles();
  }
  // The pixel of a point of the plane.
  void Pixel(const double* p, int& x, int& y) {
    double w[2];
    Mapping2D().ModelToWindow2D(w, p);
    x = static_cast<int>(std::floor(w[0]));
    y = static_cast<int>(std::floor(w[1]));
  }
};

// The bounds of a net with its tabs in the plane, widened by a margin.
void NetBounds(const Net& net, double* box) {
  box[0] = box[1] = 1e300;
  box[2] = box[3] = -1e300;
  auto add = [&](const double* p) {
    box[0] = std::min(box[0], p[0]);
    box[1] = std::min(box[1], p[1]);
    box[2] = std::max(box[2], p[0]);
    box[3] = std::max(box[3], p[1]);
  };
  for (Face3D* f = net.first; f; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      add(f->mEdges[i].unfolded);
      if (f->mEdges[i].tab) {
        for (const TabPoint& t : f->mEdges[i].tab->outline) add(t.pos2D);
      }
    }
  }
  const double margin = 0.05 * std::max(box[2] - box[0], box[3] - box[1]);
  box[0] -= margin;
  box[1] -= margin;
  box[2] += margin;
  box[3] += margin;
}

// Whether every pixel within radius of (x, y) lies inside the polygon of the points:
// a probe away from the facelet's edges.
double DistanceToSegment(const double* p, const double* a, const double* b) {
  const double d[2] = {b[0] - a[0], b[1] - a[1]};
  const double len2 = d[0] * d[0] + d[1] * d[1];
  double t = len2 > 0 ? ((p[0] - a[0]) * d[0] + (p[1] - a[1]) * d[1]) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p[0] - a[0] - t * d[0], p[1] - a[1] - t * d[1]);
}

class NetDrawing : public corvia::testing::GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    mNets = GetNetSettings();
    mNetDraw = GetNetDrawSettings();
    mModelDraw = GetModelDrawSettings();
    mNumbers = DiagnosticNumbers;
    mScheme = StellationColorScheme;
    mMaxFaces = GetUnitSettings().mMaxFacesPerNet;
    // Nets as large on paper as the model: one unit of length per model unit, so that
    // the tabs (of a size on paper) stand as wide as the pictures expect.
    mLengthScale = GetUnitSettings().mLengthScale;
    GetUnitSettings().mLengthScale = 1.0;
  }
  void TearDown() override {
    CloseWindows();
    GetNetSettings() = mNets;
    GetNetDrawSettings() = mNetDraw;
    GetModelDrawSettings() = mModelDraw;
    DiagnosticNumbers = mNumbers;
    StellationColorScheme = mScheme;
    GetUnitSettings().mMaxFacesPerNet = mMaxFaces;
    GetUnitSettings().mLengthScale = mLengthScale;
    GLTest::TearDown();
  }

  // The flat net drawn in a pane fitted round it; also where the pane put it and, when
  // asked, the edge texts it placed.
  GLBitmap DrawFlatNet(Net& net, FlatView& view, int size = kSize, std::vector<PlacedEdgeText>* texts = nullptr) {
    double box[4];
    NetBounds(net, box);
    view.scene = [&net, texts](TestView& v) {
      DrawUnfolded(&net);
      if (texts) *texts = PlaceEdgeTexts(&net, &v);
    };
    auto* window = Show(view, size, size);
    if (!window) return GLBitmap();
    view.Fit(box[0], box[3], box[2], box[1]);
    return Draw(window);
  }

  // The library's cube subdivided into parts, its faces coloured apart; its nets may
  // be as large as it is. Null when it could not be made.
  static std::unique_ptr<Poly> SubdividedCube(int parts) {
    auto cube = BuildLibraryPoly(kCubeRecord);
    std::unique_ptr<SimplePoly> subdivided = cube ? cube->Subdivide(0, parts) : nullptr;
    auto poly = std::make_unique<Poly>();
    if (!subdivided || !CreatePoly(*subdivided, poly.get(), false, false)) return nullptr;
    ColourFacesApart(*poly);
    GetUnitSettings().mMaxFacesPerNet = 1000000;
    return poly;
  }
  // The camera looking from a general direction, so that no facelet stands edge on; its
  // axes in `axis`, `right` and `up`.
  static void TurnToAGeneralDirection(ModelView& view, double* axis, double* right, double* up) {
    const double general[3] = {0.3, 0.5, 0.8};
    double eye[3];
    NormaliseVector(axis, general);
    const double y[3] = {0, 1, 0};
    Cross(right, y, axis);
    NormaliseVector(right, right);
    Cross(up, axis, right);
    Scale(eye, axis, 5.0);
    view.Camera().SetEye(eye);
    view.Camera().SetAxes(right, up, axis);
  }
  // A lit pane turned to a general direction, fitted round the model's folded nets,
  // drawing them.
  OffscreenViewWindow* ShowFoldedNets(ModelView& view, Model3D* model) {
    view.scene = [model](TestView&) {
      model->UpdateFolding();
      DrawNets(model);
    };
    OffscreenViewWindow* window = Show(view, kSize, kSize);
    if (!window) return nullptr;
    // Folded first: a large model's reach is that of its nets as last folded.
    model->UpdateFolding();
    view.Setup(1.1 * model->GetShownNetsReach());
    double axis[3], right[3], up[3];
    TurnToAGeneralDirection(view, axis, right, up);
    return window;
  }
  // The pane drawn with nothing kept: the nets one facelet at a time.
  GLBitmap DrawOneByOne(OffscreenViewWindow* window) {
    AllowFaceMeshArrays(false);
    const GLBitmap image = Draw(window);
    AllowFaceMeshArrays(true);
    return image;
  }

  NetSettings mNets;
  NetDrawSettings mNetDraw;
  ModelDrawSettings mModelDraw;
  uint32_t mNumbers = 0;
  int mScheme = 0;
  int mMaxFaces = 0;
  double mLengthScale = 1.0;
};

// ---- Flat nets -------------------------------------------------------------------------------

// Every facelet of the unfolded nets of the cube and the icosahedron fills the pixels
// its unfolded corners enclose, in its face's colour; tabs stand grey beside the cut
// edges and edges are drawn in the edge colour.
TEST_F(NetDrawing, FlatNetsFillEachFaceletWhereItsPointsPutIt) {
  for (int record : {kCubeRecord, kIcosahedronRecord}) {
    SCOPED_TRACE(record);
    auto poly = BuildLibraryPoly(record);
    ASSERT_NE(poly, nullptr);
    ColourFacesApart(*poly);
    GetUnitSettings().mMaxFacesPerNet = 1000000;
    Model3D model(poly.get(), false);
    model.MakeNets();
    ASSERT_TRUE(model.HasNets());
    Net* net = model.GetNet(0);
    ASSERT_NE(net, nullptr);
    FlatView view;
    const GLBitmap image = DrawFlatNet(*net, view);
    ASSERT_GT(image.width, 0);
    int facelets = 0, tabs = 0;
    for (Face3D* f = net->first; f; f = f->mNextInNet, ++facelets) {
      // Probes on rays from the centre to each corner, half way: inside a convex
      // facelet, and away from its edges.
      double centre[2] = {0, 0};
      const int n = f->GetNumEdges();
      for (int i = 0; i < n; ++i) {
        centre[0] += f->mEdges[i].unfolded[0] / n;
        centre[1] += f->mEdges[i].unfolded[1] / n;
      }
      const Rgba expected = Expected(f->GetColor());
      for (int i = 0; i <= n; ++i) {
        double p[2] = {centre[0], centre[1]};
        if (i < n) {
          p[0] = 0.5 * (centre[0] + f->mEdges[i].unfolded[0]);
          p[1] = 0.5 * (centre[1] + f->mEdges[i].unfolded[1]);
        }
        int x = 0, y = 0;
        view.Pixel(p, x, y);
        EXPECT_TRUE(Near(PixelAt(image, x, y), expected))
            << "facelet " << Face3D::GetIndex(f) << " at " << x << "," << y << ": " << PixelAt(image, x, y).r << " "
            << PixelAt(image, x, y).g << " " << PixelAt(image, x, y).b;
      }
      for (int i = 0; i < n; ++i) {
        const NetTab* tab = f->mEdges[i].tab.get();
        if (!tab || tab->outline.size() < 3) continue;
        // The middle of the tab, half way out from its edge.
        const TabPoint& a = tab->outline.front();
        const TabPoint& b = tab->outline.back();
        double far[2] = {0, 0};
        double best = -1;
        for (const TabPoint& t : tab->outline) {
          const double d = DistanceToSegment(t.pos2D, a.pos2D, b.pos2D);
          if (d > best) {
            best = d;
            far[0] = t.pos2D[0];
            far[1] = t.pos2D[1];
          }
        }
        const double foot[2] = {0.5 * (a.pos2D[0] + b.pos2D[0]), 0.5 * (a.pos2D[1] + b.pos2D[1])};
        double p[2] = {foot[0], foot[1]};
        // Towards the far point's height, along the edge's outward normal.
        const double d[2] = {b.pos2D[0] - a.pos2D[0], b.pos2D[1] - a.pos2D[1]};
        const double len = std::hypot(d[0], d[1]);
        const double out[2] = {-d[1] / len, d[0] / len};
        const double side = (far[0] - foot[0]) * out[0] + (far[1] - foot[1]) * out[1];
        p[0] += 0.5 * side * out[0];
        p[1] += 0.5 * side * out[1];
        int x = 0, y = 0;
        view.Pixel(p, x, y);
        if (std::fabs(side) * view.Mapping2D().UnitsToPixelsX(1.0) < 8.0) continue;
        ++tabs;
        EXPECT_TRUE(Near(PixelAt(image, x, y), Rgba{179, 179, 179, 255}, 2)) << "tab at " << x << "," << y;
      }
    }
    EXPECT_EQ(facelets, model.GetNumFacelets());
    EXPECT_GT(tabs, 0);
    if (record == kIcosahedronRecord) corvia::testing::ExpectMatchesFixture(image, "net-icosahedron");
  }
}

// A hidden face shows in the flat net, and nowhere else.
TEST_F(NetDrawing, AHiddenFaceIsDrawnOnlyInTheFlatNet) {
  auto poly = BuildLibraryPoly(kCubeRecord);
  ASSERT_NE(poly, nullptr);
  ColourFacesApart(*poly);
  Model3D model(poly.get(), false);
  model.MakeNets();
  Face3D* facelet = model.GetNet(0)->first;
  ASSERT_NE(facelet, nullptr);
  // Translucent, so that its triangles are queued and can be counted.
  facelet->mSourceFace->mOpacity = 0.5f;
  int queued[3] = {0, 0, 0};
  TestView view;
  view.scene = [&](TestView&) {
    for (int mode : {kFaceletDrawFolded, kFaceletDrawModel}) {
      corvia::Draw(facelet, mode, nullptr, 1.0, nullptr);
      queued[mode] = GetDepthSortStatistics().sortedQueue;
      DiscardDepthSortedTriangles();
    }
  };
  auto* window = Show(view, 32, 32);
  ASSERT_NE(window, nullptr);
  Draw(window);
  EXPECT_EQ(queued[kFaceletDrawFolded], 2);
  EXPECT_EQ(queued[kFaceletDrawModel], 2);
  facelet->mSourceFace->mFlags |= kElementHidden;
  Draw(window);
  EXPECT_EQ(queued[kFaceletDrawFolded], 0);
  EXPECT_EQ(queued[kFaceletDrawModel], 0);
  CloseWindows();

  FlatView flat;
  const GLBitmap image = DrawFlatNet(*model.GetNet(0), flat);
  double centre[3], direction[3], normal[3];
  facelet->GetCentreFrame(kFaceletDrawFlat, centre, direction, normal, nullptr, 1.0);
  int x = 0, y = 0;
  flat.Pixel(centre, x, y);
  EXPECT_TRUE(Near(PixelAt(image, x, y), Expected(facelet->GetColor())));
}

// ---- Texts and circles on flat nets ---------------------------------------------------------------

// How far the pixel's centre lies inside the convex facelet as the pane shows it, in
// pixels (negative outside).
double PixelsInside(FlatView& view, const Face3D* f, int x, int y) {
  const int n = f->GetNumEdges();
  std::vector<std::array<double, 2>> corners;
  double turn = 0.0;
  for (int i = 0; i < n; ++i) {
    double w[2];
    view.Mapping2D().ModelToWindow2D(w, f->mEdges[i].unfolded);
    corners.push_back({w[0], w[1]});
  }
  for (int i = 0; i < n; ++i) {
    const auto& a = corners[i];
    const auto& b = corners[(i + 1) % n];
    const auto& c = corners[(i + 2) % n];
    turn += (b[0] - a[0]) * (c[1] - b[1]) - (b[1] - a[1]) * (c[0] - b[0]);
  }
  double inside = 1e300;
  for (int i = 0; i < n; ++i) {
    const auto& a = corners[i];
    const auto& b = corners[(i + 1) % n];
    const double length = std::hypot(b[0] - a[0], b[1] - a[1]);
    const double cross = (b[0] - a[0]) * (y + 0.5 - a[1]) - (b[1] - a[1]) * (x + 0.5 - a[0]);
    inside = std::min(inside, (turn > 0 ? cross : -cross) / length);
  }
  return inside;
}

// The pixels where two pictures differ.
std::vector<std::array<int, 2>> Differences(const GLBitmap& a, const GLBitmap& b) {
  std::vector<std::array<int, 2>> found;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (!Near(PixelAt(a, x, y), PixelAt(b, x, y), 8)) found.push_back({x, y});
  return found;
}

// A net of one facelet of the library model, and its pane.
struct OneFaceletNet {
  explicit OneFaceletNet(int record) : poly(BuildLibraryPoly(record)) {
    if (!poly) return;
    ColourFacesApart(*poly);
    GetUnitSettings().mMaxFacesPerNet = 1;
    model = std::make_unique<Model3D>(poly.get(), false);
    model->MakeNets();
    net = model->GetNet(0);
  }
  std::unique_ptr<Poly> poly;
  std::unique_ptr<Model3D> model;
  Net* net = nullptr;
};

// The texts of a flat net stand inside their facelet: the edges' lengths beside the
// middle of each edge, clear of its line, and the face's text in the middle, as high
// as the pane's own texts.
TEST_F(NetDrawing, TextsOfAFlatNetStandInsideTheirFaceletClearOfItsEdges) {
  OneFaceletNet cube(kCubeRecord);
  ASSERT_NE(cube.net, nullptr);
  Face3D* facelet = cube.net->first;
  ASSERT_EQ(facelet->mNextInNet, nullptr);
  FlatView view;
  const GLBitmap plain = DrawFlatNet(*cube.net, view);
  GetNetSettings().edgeData = kEdgeDataLengths;
  const GLBitmap lengths = DrawFlatNet(*cube.net, view);
  GetNetSettings().edgeData = 0;
  facelet->mSourceFace->SetLabel("HEH");
  const GLBitmap text = DrawFlatNet(*cube.net, view);
  int lineHeight = 0;
  if (PreOpenGL(&view)) {
    lineHeight = view.Text().GetLineHeight();
    PostOpenGL(&view);
  }
  ASSERT_GT(lineHeight, 0);

  const auto written = Differences(lengths, plain);
  ASSERT_GT(written.size(), 40u);
  int clear = 0;
  for (const auto& p : written) clear += PixelsInside(view, facelet, p[0], p[1]) >= 1.5 ? 1 : 0;
  EXPECT_EQ(clear, static_cast<int>(written.size())) << "edge lengths written over or outside the edges";

  const auto label = Differences(text, plain);
  ASSERT_FALSE(label.empty());
  int top = INT32_MAX, bottom = INT32_MIN;
  for (const auto& p : label) {
    EXPECT_GE(PixelsInside(view, facelet, p[0], p[1]), 0.0);
    top = std::min(top, p[1]);
    bottom = std::max(bottom, p[1]);
  }
  EXPECT_GE(bottom - top + 1, lineHeight / 2) << "the face's text is " << bottom - top + 1 << " pixels high";
  // The windows go before the view they show.
  CloseWindows();
}

// The edge lengths of the icosahedron's net, whose triangles are small in the pane: no
// two texts overlap, each text's ink lies in the box it was given, and a text with no
// room is left out. In a pane large enough every edge shows its length.
TEST_F(NetDrawing, EdgeTextsOfSmallFaceletsNeverOverlap) {
  auto poly = BuildLibraryPoly(kIcosahedronRecord);
  ASSERT_NE(poly, nullptr);
  ColourFacesApart(*poly);
  GetUnitSettings().mMaxFacesPerNet = 1000000;
  Model3D model(poly.get(), false);
  model.MakeNets();
  Net* net = model.GetNet(0);
  ASSERT_NE(net, nullptr);
  FlatView view;
  const GLBitmap plain = DrawFlatNet(*net, view);
  GetNetSettings().edgeData = kEdgeDataLengths;
  int labelled = 0;
  char text[256];
  for (Face3D* f = net->first; f; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges(); ++i) labelled += f->mEdges[i].GetEdgeDataText(text, sizeof text) ? 1 : 0;
  }
  // Each joined edge once, each cut edge from both sides.
  ASSERT_EQ(labelled, 19 + 2 * 11);

  auto expectApart = [](const std::vector<PlacedEdgeText>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) {
      for (size_t j = i + 1; j < texts.size(); ++j) {
        const auto& a = texts[i].box;
        const auto& b = texts[j].box;
        const bool apart = a[2] <= b[0] || b[2] <= a[0] || a[3] <= b[1] || b[3] <= a[1];
        EXPECT_TRUE(apart) << "\"" << texts[i].text << "\" at " << a[0] << "," << a[1] << " over \"" << texts[j].text
                           << "\" at " << b[0] << "," << b[1];
      }
    }
  };
  std::vector<PlacedEdgeText> small;
  const GLBitmap lengths = DrawFlatNet(*net, view, kSize, &small);
  EXPECT_GT(small.size(), 10u);
  EXPECT_LT(small.size(), static_cast<size_t>(labelled));
  expectApart(small);
  // The ink the texts add lies in their boxes (a pixel of rounding around them).
  int outside = 0;
  const auto written = Differences(lengths, plain);
  ASSERT_GT(written.size(), 100u);
  for (const auto& p : written) {
    const bool inBox = std::any_of(small.begin(), small.end(), [&](const PlacedEdgeText& t) {
      return p[0] + 0.5 >= t.box[0] - 1.5 && p[0] + 0.5 <= t.box[2] + 1.5 && p[1] + 0.5 >= t.box[1] - 1.5 &&
             p[1] + 0.5 <= t.box[3] + 1.5;
    });
    outside += inBox ? 0 : 1;
  }
  EXPECT_EQ(outside, 0) << "of " << written.size() << " pixels of the texts";

  std::vector<PlacedEdgeText> large;
  DrawFlatNet(*net, view, 4 * kSize, &large);
  EXPECT_EQ(large.size(), static_cast<size_t>(labelled));
  expectApart(large);
  // The windows go before the view they show.
  CloseWindows();
}

// Whether the view's last paint wrote the texts that a paint of the net writes now,
// worked out afresh: the same words at the same points.
bool WroteWhatIsWorkedOutAfresh(const Net* net, OpenGLView& view) {
  const std::vector<NetText> written = GetNetTextsWritten(&view);
  const std::vector<NetText> fresh = WorkOutNetTexts(net, &view);
  bool same = written.size() == fresh.size();
  for (size_t i = 0; same && i < written.size(); ++i) {
    same = written[i].text == fresh[i].text && std::fabs(written[i].at[0] - fresh[i].at[0]) < 1e-9 &&
           std::fabs(written[i].at[1] - fresh[i].at[1]) < 1e-9;
  }
  EXPECT_TRUE(same) << written.size() << " texts written, " << fresh.size() << " worked out afresh";
  return same;
}

bool AnyWritten(OpenGLView& view, const std::string& text) {
  const std::vector<NetText> written = GetNetTextsWritten(&view);
  return std::any_of(written.begin(), written.end(), [&](const NetText& t) { return t.text == text; });
}

// The texts over a flat net are worked out once and written from what the view keeps:
// a paint with nothing changed works out none; a change of length scale, of angle unit
// or of the data shown works them out again, and the pane writes what a fresh drawing
// writes. A large net seen close works out the texts near the window only, a scroll
// works out none, and a zoom works them out again.
TEST_F(NetDrawing, TheTextsOverANetAreWorkedOutOnceAndWrittenFromWhatIsKept) {
  auto poly = BuildLibraryPoly(kIcosahedronRecord);
  ASSERT_NE(poly, nullptr);
  GetUnitSettings().mMaxFacesPerNet = 1000000;
  Model3D model(poly.get(), false);
  model.MakeNets();
  Net* net = model.GetNet(0);
  ASSERT_NE(net, nullptr);
  GetNetSettings().edgeData = kEdgeDataLengths | kEdgeDataFaceAngles;
  FlatView view;
  const unsigned long start = CountNetTextsWorkedOut();
  const GLBitmap first = DrawFlatNet(*net, view, 4 * kSize);
  const unsigned long once = CountNetTextsWorkedOut() - start;
  // Every edge its length (each joined edge once), every corner its angle.
  EXPECT_EQ(once, 19u + 2u * 11u + 60u);
  WroteWhatIsWorkedOutAfresh(net, view);
  char length[64];
  const Edge3D& edge = net->first->mEdges[0];
  const Edge3D* next = edge.GetNextInLoop();
  const double unfolded = std::hypot(next->unfolded[0] - edge.unfolded[0], next->unfolded[1] - edge.unfolded[1]);
  std::snprintf(length, sizeof length, "%g", unfolded * GetUnitSettings().mLengthScale);
  EXPECT_TRUE(AnyWritten(view, length)) << length;
  EXPECT_TRUE(Differences(DrawFlatNet(*net, view, 4 * kSize), first).empty());
  EXPECT_EQ(CountNetTextsWorkedOut() - start, once) << "worked out again with nothing changed";

  GetUnitSettings().mLengthScale = 3.0;
  DrawFlatNet(*net, view, 4 * kSize);
  EXPECT_EQ(CountNetTextsWorkedOut() - start, 2 * once);
  WroteWhatIsWorkedOutAfresh(net, view);
  std::snprintf(length, sizeof length, "%g", unfolded * 3.0);
  EXPECT_TRUE(AnyWritten(view, length)) << length;
  const int32_t angleUnit = GetUnitSettings().mAngleUnit;
  GetUnitSettings().mAngleUnit = kAngleRadians;
  DrawFlatNet(*net, view, 4 * kSize);
  EXPECT_EQ(CountNetTextsWorkedOut() - start, 3 * once);
  char angle[kAngleTextSize];
  EXPECT_TRUE(AnyWritten(view, GetUnitSettings().FormatAngle(angle, 3.141592653589793 / 3.0, "\xC2\xB0")));
  GetUnitSettings().mAngleUnit = angleUnit;
  GetNetSettings().edgeData = kEdgeDataNames;
  DrawFlatNet(*net, view, 4 * kSize);
  EXPECT_TRUE(AnyWritten(view, GetEdgeName(&edge)));
  WroteWhatIsWorkedOutAfresh(net, view);
  GetNetSettings().edgeData = 0;
  DrawFlatNet(*net, view, 4 * kSize);
  EXPECT_TRUE(GetNetTextsWritten(&view).empty());

  // A geodesic sphere's net of thousands of triangles, seen close.
  std::unique_ptr<SimplePoly> subdivided = poly->Subdivide(kSubdivideGeodesic, 12);
  auto sphere = std::make_unique<Poly>();
  ASSERT_TRUE(subdivided && CreatePoly(*subdivided, sphere.get(), false, false));
  Model3D large(sphere.get(), false);
  large.MakeNets();
  Net* big = large.GetNet(0);
  ASSERT_NE(big, nullptr);
  const unsigned long facelets = static_cast<unsigned long>(Net::CountFacelets(big));
  ASSERT_GT(facelets, 2000u);
  GetNetSettings().edgeData = kEdgeDataLengths;
  FlatView close;
  close.scene = [big](TestView&) { DrawUnfolded(big); };
  auto* window = Show(close, kSize, kSize);
  ASSERT_NE(window, nullptr);
  double box[4];
  NetBounds(*big, box);
  close.Fit(box[0], box[3], box[2], box[1]);
  close.Mapping2D().Zoom2DAt(40.0, kSize / 2, kSize / 2);
  const unsigned long before = CountNetTextsWorkedOut();
  Draw(window);
  const unsigned long near = CountNetTextsWorkedOut() - before;
  EXPECT_GT(GetNetTextsWritten(&close).size(), 3u);
  EXPECT_GE(near, GetNetTextsWritten(&close).size());
  EXPECT_LT(near, facelets / 8) << "texts worked out for the whole net";
  WroteWhatIsWorkedOutAfresh(big, close);
  const float* scroll = close.Mapping2D().GetScrollPosition2D();
  close.Mapping2D().ScrollTo(scroll[0] + 20.0, scroll[1] - 10.0);
  Draw(window);
  EXPECT_EQ(CountNetTextsWorkedOut() - before, near) << "worked out again for a scroll";
  close.Mapping2D().Zoom2DAt(1.5, kSize / 2, kSize / 2);
  Draw(window);
  EXPECT_GT(CountNetTextsWorkedOut() - before, near);
  WroteWhatIsWorkedOutAfresh(big, close);
  // The windows go before the views they show.
  CloseWindows();
}

// The circle where a sphere cuts a face plane is drawn only where it crosses the face:
// a circle larger than the face's inscribed circle shows three arcs inside the
// triangle and nothing over the tabs or beside the net.
TEST_F(NetDrawing, SphereSectionsStayInsideTheirFacelet) {
  OneFaceletNet icosahedron(kIcosahedronRecord);
  ASSERT_NE(icosahedron.net, nullptr);
  Face3D* facelet = icosahedron.net->first;
  const PolyElement* face = facelet->mSourceFace;
  const double d = VectorLength(face->mCentre);
  double circumradius = 0.0;
  for (int i = 0; i < face->mNumSides; ++i) {
    double side[3];
    Subtract(side, face->mNeighbours[i]->mDualVert, face->mCentre);
    circumradius = std::max(circumradius, VectorLength(side));
  }
  FlatView view;
  const GLBitmap plain = DrawFlatNet(*icosahedron.net, view);
  NetDrawSettings& settings = GetNetDrawSettings();
  settings.showSphereSections = true;
  settings.referenceSpheres = {std::hypot(d, 0.8 * circumradius) * GetUnitSettings().mLengthScale};
  const GLBitmap circles = DrawFlatNet(*icosahedron.net, view);
  const auto drawn = Differences(circles, plain);
  ASSERT_GT(drawn.size(), 30u);
  int outside = 0;
  for (const auto& p : drawn) outside += PixelsInside(view, facelet, p[0], p[1]) < -1.5 ? 1 : 0;
  EXPECT_EQ(outside, 0);
  // The windows go before the view they show.
  CloseWindows();
}

// ---- Folding nets ------------------------------------------------------------------------------

// Pixels where a differs from b away from b's edges: where b is not one colour
// within a pixel, a may differ (the two pictures agree up to a pixel along edges).
int FarMismatches(const GLBitmap& a, const GLBitmap& b) {
  int count = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      const Rgba q = PixelAt(b, x, y);
      if (Near(PixelAt(a, x, y), q, 2)) continue;
      bool edge = false;
      for (int dy = -1; dy <= 1 && !edge; ++dy) {
        for (int dx = -1; dx <= 1 && !edge; ++dx) {
          const int nx = x + dx, ny = y + dy;
          edge = nx < 0 || ny < 0 || nx >= b.width || ny >= b.height || !Near(q, PixelAt(b, nx, ny), 2);
        }
      }
      count += edge ? 0 : 1;
    }
  }
  return count;
}

int CountLit(const GLBitmap& image) {
  int count = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) count += IsBackground(PixelAt(image, x, y)) ? 0 : 1;
  return count;
}

// The folding nets draw without a GL error half open and open, and closed they are
// the facet model drawn plainly, up to a pixel along the edges.
TEST_F(NetDrawing, FoldedNetsCloseOntoTheModel) {
  for (int record : {kCubeRecord, kIcosahedronRecord}) {
    SCOPED_TRACE(record);
    auto poly = BuildLibraryPoly(record);
    ASSERT_NE(poly, nullptr);
    ColourFacesApart(*poly);
    // A general direction, so that no face is seen edge on.
    const double turn[3] = {0.3, 0.5, 0.8};
    corvia::testing::TurnTowardsViewer(*poly, turn);
    Model3D turned(poly.get(), false);
    turned.MakeNets();
    ModelView view;
    view.lit = false;
    bool folded = true;
    view.scene = [&](TestView&) {
      if (folded) {
        DrawNets(&turned);
      } else {
        DrawFacelets(&turned, 1.0);
      }
    };
    auto* window = Show(view, kSize, kSize);
    ASSERT_NE(window, nullptr);
    view.Setup(1.3);
    GLBitmap images[3];
    const double fractions[3] = {0.0, 0.5, 1.0};
    for (int k = 0; k < 3; ++k) {
      GetNetSettings().foldFraction = fractions[k];
      images[k] = Draw(window);
      EXPECT_GT(CountLit(images[k]), 0) << fractions[k];
    }
    folded = false;
    const GLBitmap plain = Draw(window);
    EXPECT_EQ(FarMismatches(images[2], plain), 0);
    EXPECT_EQ(FarMismatches(plain, images[2]), 0);
    // Half folded, the nets stand out of the model's silhouette.
    EXPECT_GT(FarMismatches(images[1], plain), 0);
    CloseWindows();
    mWindows.clear();
  }
}

// Texts on facelets smaller on screen than a text is high cannot be read: they would
// fall on each other. The sphere's nets, whole in the pane, write none folded or flat,
// and a paint lays out no text for each of its thousands of edges; the icosahedron's,
// large in the same pane, write every edge's text and corner angle.
TEST_F(NetDrawing, NetsTooSmallOnScreenToReadWriteNoTexts) {
  GetNetSettings().foldFraction = 1.0;
  GetUnitSettings().mMaxFacesPerNet = 1000000;
  auto icosahedron = BuildLibraryPoly(kIcosahedronRecord);
  ASSERT_NE(icosahedron, nullptr);
  std::unique_ptr<SimplePoly> subdivided = icosahedron->Subdivide(kSubdivideGeodesic, 12);
  auto sphere = std::make_unique<Poly>();
  ASSERT_TRUE(subdivided && CreatePoly(*subdivided, sphere.get(), false, false));
  for (Poly* poly : {icosahedron.get(), sphere.get()}) {
    const bool large = poly == icosahedron.get();
    SCOPED_TRACE(large ? "icosahedron" : "sphere");
    Model3D model(poly, false);
    model.MakeNets();
    GetNetSettings().edgeData = kEdgeDataConnectionIds | kEdgeDataFaceAngles;
    uint64_t texts = 0;
    char text[256];
    for (Face3DType* type = model.mFaceTypes; type; type = type->mNext) {
      for (int f = 0; f < type->mNumFacelets; ++f) {
        const Face3D& facelet = type->mFacelets[f];
        for (int i = 0; i < facelet.GetNumEdges(); ++i)
          texts += facelet.mEdges[i].GetEdgeDataText(text, sizeof text) ? 2 : 1;
      }
    }
    ModelView folded;
    folded.scene = [&](TestView&) { DrawNets(&model); };
    auto* window = Show(folded, kSize, kSize);
    ASSERT_NE(window, nullptr);
    folded.Setup(1.3);
    const uint64_t before = CountGLScreenTexts(folded);
    Draw(window);
    EXPECT_EQ(CountGLScreenTexts(folded) - before, large ? texts : 0u) << "of " << texts << " texts";
    // The flat net's corner angles.
    FlatView flat;
    GetNetSettings().edgeData = 0;
    const GLBitmap plain = DrawFlatNet(*model.GetNet(0), flat);
    GetNetSettings().edgeData = kEdgeDataFaceAngles;
    const GLBitmap angles = DrawFlatNet(*model.GetNet(0), flat);
    EXPECT_EQ(Differences(angles, plain).empty(), !large);
    CloseWindows();
    mWindows.clear();
  }
}

// ---- Stellation diagrams ---------------------------------------------------------------------

const double kIdentityFrame[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The icosahedron, stellated; its first shells included.
struct StellatedIcosahedron {
  corvia::testing::TestModel model{"3.3.3.3.3"};
  FaceTypeBlock* block = nullptr;
  FaceType* type = nullptr;
  bool Stellate() {
    if (!model.built) return false;
    block = model.poly.mBaseBlock.get();
    EXPECT_TRUE(corvia::Stellate(&model.poly, block, false).done());
    if (!block->IsStellated()) return false;
    type = block->mFirstFaceType;
    return type != nullptr;
  }
  void IncludeShells(int shells) {
    for (StellationCell* c = block->mFirstCell; c && c != block->GetOuterCell(); c = c->mNext) {
      StellationCell::SetIncluded(c, c->mType->mIndex < shells);
    }
  }
};

void Centroid(const StellationSegment* s, double* out) {
  double c[3];
  s->GetCentroid(c);
  out[0] = c[0];
  out[1] = c[1];
}

// The colours of the draw states in the default colouring.
Rgba StateColour(int state) {
  static const float colours[4][3] = {{0.9f, 0.0f, 0.0f}, {0.8f, 0.8f, 0.0f}, {0.0f, 0.9f, 0.0f}, {0.0f, 0.0f, 0.9f}};
  return Expected(colours[state]);
}

// Lines of the diagram where its geometry puts them, and every facet filled in the
// colour of its state: on the surface (red) or between excluded cells (blue), as the
// cells included decide.
TEST_F(NetDrawing, TheStellationDiagramOfTheIcosahedron) {
  StellatedIcosahedron ico;
  ASSERT_TRUE(ico.Stellate());
  StellationColorScheme = 0;
  const FaceType* type = ico.type;
  const double full = 1.05 * type->mDiagramRadius;
  FlatView view;
  view.scene = [type](TestView&) { DrawDiagramInPlane(type, kIdentityFrame, false); };
  auto* window = Show(view, kSize, kSize);
  ASSERT_NE(window, nullptr);
  for (int shells : {1, 2}) {
    SCOPED_TRACE(shells);
    ico.IncludeShells(shells);
    int checked = 0, visible = 0;
    GLBitmap whole;
    // The whole diagram, and its middle closer up.
    for (double r : {full, 0.2 * full}) {
      view.Fit(-r, r, r, -r);
      const double perUnit = view.Mapping2D().UnitsToPixelsX(1.0);
      const GLBitmap image = Draw(window);
      if (r == full) whole = image;
      // Facets: the pixel at each segment's centroid, where it lies 3 pixels inside.
      for (const StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
        const int state = f->GetDrawState();
        for (int k = 0; k < type->mNumRotations; ++k) {
          const StellationSegment* segment = f->GetSegment(k);
          if (!segment) continue;
          double c[2];
          Centroid(segment, c);
          double inner = 1e300;
          const SegVert* v = segment->mFirst;
          do {
            const double a[2] = {v->mPoint->mX, v->mPoint->mY};
            const double b[2] = {v->mNext->mPoint->mX, v->mNext->mPoint->mY};
            inner = std::min(inner, DistanceToSegment(c, a, b));
            v = v->mNext;
          } while (v != segment->mFirst);
          int x = 0, y = 0;
          view.Pixel(c, x, y);
          if (inner * perUnit < 3.0 || x < 0 || y < 0 || x >= kSize || y >= kSize) continue;
          ++checked;
          visible += state == kFacetStateOutside ? 1 : 0;
          EXPECT_TRUE(Near(PixelAt(image, x, y), StateColour(state)))
              << "facet " << f->mNumber << " state " << state << " at " << x << "," << y;
        }
      }
      // Lines: white within a pixel of points along each line between its end points.
      for (const StellationLine* line = type->mLineEqns; line; line = line->mNext) {
        if (!line->mFirst || !line->mLast) continue;
        const StellationPoint* a = line->mFirst->mPoint;
        const StellationPoint* b = line->mLast->mPoint;
        for (double t : {0.1, 0.3, 0.5, 0.7, 0.9}) {
          const double p[2] = {a->mX + t * (b->mX - a->mX), a->mY + t * (b->mY - a->mY)};
          int x = 0, y = 0;
          view.Pixel(p, x, y);
          if (x < 1 || y < 1 || x >= kSize - 1 || y >= kSize - 1) continue;
          bool white = false;
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
              white = white || Near(PixelAt(image, x + dx, y + dy), Rgba{255, 255, 255, 255});
          EXPECT_TRUE(white) << "line " << StellationLine::GetIndex(line) << " at " << x << "," << y;
        }
      }
    }
    EXPECT_GT(checked, 20);
    EXPECT_GT(visible, 0);
    if (shells == 2) corvia::testing::ExpectMatchesFixture(whole, "stellation-diagram-icosahedron");
  }
}

// ---- Flat nets kept between paints ------------------------------------------------------------

int CountDifferentPixels(const GLBitmap& a, const GLBitmap& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int count = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) count += PixelAt(a, x, y) == PixelAt(b, x, y) ? 0 : 1;
  return count;
}

// The Unfolded Net pane's mouse mode that cuts edges, for the length of a test.
class CutEdgesMode {
 public:
  CutEdgesMode() : mMode(GetMouseSelectionMode()) { StoreMouseSelectionMode(2); }
  ~CutEdgesMode() { StoreMouseSelectionMode(mMode); }
  CutEdgesMode(const CutEdgesMode&) = delete;
  CutEdgesMode& operator=(const CutEdgesMode&) = delete;

 private:
  int mMode;
};

// A flat net drawn from the buffers its pane keeps shows the pixels of the net drawn one
// facelet at a time: a stellation's net with its glue tabs, dashed valley edges, an edge
// the user cut drawn wide in the mode that cuts edges, the selected edgelet's tab
// lighter, and a facelet with a label. A later paint draws what was kept without
// gathering the net again; a new colour of a face, or a cut, gathers it again.
TEST_F(NetDrawing, AFlatNetKeptBetweenPaintsShowsWhatItsFaceletsDrawnOneByOneShow) {
  StellatedIcosahedron ico;
  ASSERT_TRUE(ico.Stellate());
  ico.IncludeShells(3);
  Model3D* model = ico.block->GetModel3D(true, nullptr);
  ASSERT_TRUE(model && model->HasNets());
  const CutEdgesMode cutting;
  FlatView view;
  auto drawOneByOne = [&](Net& net) {
    AllowFaceMeshArrays(false);
    const GLBitmap image = DrawFlatNet(net, view);
    AllowFaceMeshArrays(true);
    return image;
  };
  // A joined edge of the first net cut by the user, and a tab selected.
  Net* net = model->GetNet(0);
  Edge3D* joined = nullptr;
  for (Face3D* f = net->first; f && !joined; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges() && !joined; ++i) {
      Edge3D* e = &f->mEdges[i];
      if (e->Has(kEdgeJoinedFirst) && !e->Has(kEdgeGeneratorCut)) joined = e;
    }
  }
  ASSERT_NE(joined, nullptr);
  joined->ToggleCut(false);
  net = model->mCurrentNet;
  ASSERT_NE(net, nullptr);
  int valleys = 0, wide = 0;
  for (Face3D* f = net->first; f; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      Edge3D* e = &f->mEdges[i];
      valleys += e->IsConvex() ? 0 : 1;
      wide += e->Has(kEdgeUserCut) ? 1 : 0;
      if (e->tab && !model->mSelectedEdge) model->mSelectedEdge = e;
    }
  }
  ASSERT_GT(valleys, 0);
  ASSERT_GT(wide, 0);
  ASSERT_NE(model->mSelectedEdge, nullptr);
  net->first->mNextInNet->mSourceFace->SetLabel("L");

  const unsigned long start = CountFlatNetFaceletsGathered();
  const GLBitmap kept = DrawFlatNet(*net, view);
  EXPECT_EQ(CountFlatNetFaceletsGathered() - start, static_cast<unsigned long>(Net::CountFacelets(net)));
  EXPECT_EQ(CountDifferentPixels(kept, drawOneByOne(*net)), 0);
  const unsigned long gathered = CountFlatNetFaceletsGathered();
  EXPECT_EQ(CountDifferentPixels(DrawFlatNet(*net, view), kept), 0);
  EXPECT_EQ(CountFlatNetFaceletsGathered(), gathered) << "gathered again with nothing changed";

  const float blue[3] = {0.1f, 0.3f, 0.9f};
  CopyFloat3(net->first->mSourceFace->mColor, blue);
  CopyFloat3(net->first->mSourceFace->mBackColor, blue);
  const GLBitmap recoloured = DrawFlatNet(*net, view);
  EXPECT_GT(CountFlatNetFaceletsGathered(), gathered);
  EXPECT_GT(CountDifferentPixels(recoloured, kept), 0);
  EXPECT_EQ(CountDifferentPixels(recoloured, drawOneByOne(*net)), 0);

  // Joined again: the nets are made anew.
  joined->ToggleCut(false);
  net = model->mCurrentNet;
  ASSERT_NE(net, nullptr);
  const unsigned long beforeJoin = CountFlatNetFaceletsGathered();
  const GLBitmap rejoined = DrawFlatNet(*net, view);
  EXPECT_GT(CountFlatNetFaceletsGathered(), beforeJoin);
  EXPECT_EQ(CountDifferentPixels(rejoined, drawOneByOne(*net)), 0);
  CloseWindows();
}

// The sphere sections and stellation lines over a flat net are gathered with it into
// the buffers its pane keeps, and a paint walks no facelet for them: the pixels are
// those of the lines drawn one facelet at a time. A later paint gathers nothing again;
// a sphere of another radius gathers the net again, and hidden they are gone.
TEST_F(NetDrawing, LinesOverAFlatNetAreKeptWithItAndShowWhatTheyShowOneByOne) {
  StellatedIcosahedron ico;
  ASSERT_TRUE(ico.Stellate());
  ico.IncludeShells(3);
  Model3D* model = ico.block->GetModel3D(true, nullptr);
  ASSERT_TRUE(model && model->HasNets());
  Net* net = model->GetNet(0);
  ASSERT_NE(net, nullptr);
  FlatView view;
  auto drawOneByOne = [&]() {
    AllowFaceMeshArrays(false);
    const GLBitmap image = DrawFlatNet(*net, view);
    AllowFaceMeshArrays(true);
    return image;
  };
  const GLBitmap plain = DrawFlatNet(*net, view);
  NetDrawSettings& settings = GetNetDrawSettings();
  settings.showStellationLines = true;
  const float orange[3] = {1.0f, 0.5f, 0.0f};
  CopyFloat3(settings.stellationLineColour, orange);
  settings.showSphereSections = true;
  const double d = VectorLength(net->first->mSourceFace->mCentre);
  settings.referenceSpheres = {1.2 * d};

  const unsigned long walks = CountFaceletLinesDrawnOneByOne();
  unsigned long gathered = CountFlatNetFaceletsGathered();
  const GLBitmap kept = DrawFlatNet(*net, view);
  EXPECT_EQ(CountFaceletLinesDrawnOneByOne(), walks) << "the facelets walked for their lines in a paint";
  EXPECT_GT(CountFlatNetFaceletsGathered(), gathered) << "the net not gathered again with its lines";
  EXPECT_GT(CountDifferentPixels(kept, plain), 50);
  const GLBitmap oneByOne = drawOneByOne();
  EXPECT_GT(CountFaceletLinesDrawnOneByOne(), walks);
  EXPECT_EQ(CountDifferentPixels(kept, oneByOne), 0);
  gathered = CountFlatNetFaceletsGathered();
  EXPECT_EQ(CountDifferentPixels(DrawFlatNet(*net, view), kept), 0);
  EXPECT_EQ(CountFlatNetFaceletsGathered(), gathered) << "gathered again with nothing changed";

  // A pick passes the lines by: drawn unnamed they name nothing, so what a click names
  // across the net is what it names with them hidden, and no facelet's lines are walked.
  auto picks = [&]() {
    std::vector<std::pair<uint32_t, uint32_t>> named;
    for (int y = 4; y < kSize; y += 12) {
      for (int x = 4; x < kSize; x += 12) {
        std::vector<GLHit> hits;
        view.DoSelection(hits, x, y, true);
        for (const GLHit& hit : hits) named.emplace_back(hit.name, hit.depth);
        named.emplace_back(0u, 0u);
      }
    }
    return named;
  };
  InitGLSelection(kNumSelectionItemKinds);
  const unsigned long walked = CountFaceletLinesDrawnOneByOne();
  const auto withLines = picks();
  EXPECT_EQ(CountFaceletLinesDrawnOneByOne(), walked) << "the facelets walked for their lines in a pick";
  EXPECT_GT(std::count_if(withLines.begin(), withLines.end(), [](const auto& hit) { return hit.first != 0u; }), 100);
  settings.showStellationLines = settings.showSphereSections = false;
  DrawFlatNet(*net, view);
  EXPECT_EQ(picks(), withLines);
  settings.showSphereSections = true;

  // The sections alone, of a wider sphere.
  settings.showStellationLines = false;
  settings.referenceSpheres = {1.4 * d};
  const GLBitmap sections = DrawFlatNet(*net, view);
  EXPECT_GT(CountFlatNetFaceletsGathered(), gathered);
  EXPECT_GT(CountDifferentPixels(sections, plain), 20);
  EXPECT_EQ(CountDifferentPixels(sections, drawOneByOne()), 0);
  settings.showSphereSections = false;
  EXPECT_EQ(CountDifferentPixels(DrawFlatNet(*net, view), plain), 0);

  // A small net of a large model: the lines' data, a stellation of the whole model, is
  // worked out by the idle work, not in the paint.
  std::unique_ptr<Poly> cube = SubdividedCube(30);
  ASSERT_NE(cube, nullptr);
  GetUnitSettings().mMaxFacesPerNet = 200;
  Model3D large(cube.get(), false);
  large.MakeNets();
  ASSERT_GE(large.GetNumFacelets(), kDeferredFlatNetFacelets);
  ASSERT_GT(large.GetNumNets(), 1);
  settings.showStellationLines = true;
  DrawFlatNet(*large.GetNet(0), view);
  EXPECT_FALSE(large.mFlags & kModelLineData) << "worked out in the paint";
  ASSERT_TRUE(HasDeferredFlatNets());
  EXPECT_TRUE(MakeDeferredFlatNets());
  EXPECT_TRUE(large.mFlags & kModelLineData);
  CloseWindows();
}

// A flat net of many facelets is not gathered in the paint that first shows it: the
// paint asks the program to come back and shows the part gathered so far (none). The
// idle work gathers it under the progress window, a turn at a time, and the pane then
// shows what the net drawn one facelet at a time shows; the net's boxes are filed in
// turns after it. The user's Cancel leaves the part gathered, and the paints do not ask
// again until the net changes; a stop the program asked for lets the next paint ask
// again.
TEST_F(NetDrawing, AFlatNetOfManyFaceletsIsGatheredByTheIdleWorkUnderItsProgress) {
  std::unique_ptr<Poly> poly = SubdividedCube(30);
  ASSERT_NE(poly, nullptr);
  Model3D model(poly.get(), false);
  model.MakeNets();
  Net* net = model.GetNet(0);
  ASSERT_NE(net, nullptr);
  ASSERT_GE(Net::CountFacelets(net), kDeferredFlatNetFacelets);
  FlatView view;
  AllowFaceMeshArrays(false);
  const GLBitmap oneByOne = DrawFlatNet(*net, view);
  AllowFaceMeshArrays(true);
  ASSERT_GT(CountLit(oneByOne), kSize * kSize / 4);

  const unsigned long start = CountFlatNetFaceletsGathered();
  const int requests = corvia::testing::Platform().views.mPrepareRequests;
  const GLBitmap asked = DrawFlatNet(*net, view);
  EXPECT_EQ(CountFlatNetFaceletsGathered(), start) << "gathered in the paint";
  EXPECT_EQ(corvia::testing::Platform().views.mPrepareRequests, requests + 1);
  EXPECT_EQ(CountLit(asked), 0);
  ASSERT_TRUE(HasDeferredFlatNets());

  // Cancelled by the user at the report after the first turn: its part is shown, and
  // nothing is asked again.
  corvia::testing::TickingClock clock(1.0);
  platform::ServiceSet services = platform::Services();
  services.clock = &clock;
  const platform::ServiceSet before = platform::InstallServices(services);
  int pumps = 0;
  std::vector<std::string> captions;
  corvia::testing::Platform().progress.Current()->onPump = [&](auto& state) {
    captions.push_back(state.caption);
    if (++pumps == 3) state.cancel = true;
  };
  EXPECT_FALSE(MakeDeferredFlatNets());
  corvia::testing::Platform().progress.Current()->onPump = nullptr;
  corvia::testing::Platform().progress.Current()->cancel = false;
  ASSERT_EQ(pumps, 3);
  EXPECT_EQ(captions.back().rfind("Drawing the net: ", 0), 0u) << captions.back();
  const unsigned long part = CountFlatNetFaceletsGathered() - start;
  EXPECT_GT(part, 0u);
  EXPECT_LT(part, static_cast<unsigned long>(Net::CountFacelets(net)));
  const GLBitmap partly = DrawFlatNet(*net, view);
  EXPECT_FALSE(HasDeferredFlatNets());
  EXPECT_GT(CountLit(partly), 0);
  EXPECT_LT(CountLit(partly), CountLit(oneByOne));
  EXPECT_EQ(CountFlatNetFaceletsGathered() - start, part);

  // The nets made again, and the work stopped by the program: asked for again.
  model.MakeNets();
  net = model.GetNet(0);
  DrawFlatNet(*net, view);
  ASSERT_TRUE(HasDeferredFlatNets());
  corvia::testing::Platform().progress.Current()->onPump = [](auto&) { RequestProgressCancel(); };
  EXPECT_FALSE(MakeDeferredFlatNets());
  corvia::testing::Platform().progress.Current()->onPump = nullptr;
  DrawFlatNet(*net, view);
  ASSERT_TRUE(HasDeferredFlatNets());

  // Done whole: the pane shows the net as drawn one facelet at a time, and its boxes
  // for a click's search are filed, a report between every two turns.
  int filingReports = 0;
  corvia::testing::Platform().progress.Current()->onPump = [&](auto& state) {
    filingReports += state.caption.rfind("Drawing the net: filing", 0) == 0 ? 1 : 0;
  };
  EXPECT_TRUE(MakeDeferredFlatNets());
  corvia::testing::Platform().progress.Current()->onPump = nullptr;
  EXPECT_EQ(net->FileFaceletBoxes(0), 0u);
  EXPECT_GE(filingReports, 2 * Net::CountFacelets(net) / 10000);
  platform::InstallServices(before);
  EXPECT_FALSE(HasDeferredFlatNets());
  const unsigned long whole = CountFlatNetFaceletsGathered();
  EXPECT_EQ(CountDifferentPixels(DrawFlatNet(*net, view), oneByOne), 0);
  EXPECT_EQ(CountFlatNetFaceletsGathered(), whole);
  CloseWindows();
}

// ---- Folded nets kept between paints -----------------------------------------------------------

// The nets of a stellation of the icosahedron folded in a lit pane and drawn from the
// buffers the pane keeps: only the facelets of a face with a label and of a translucent
// face are drawn one at a time. Without tabs the pixels are those of the nets drawn one
// facelet at a time, open, folded past a half and closed, a hidden face left out; a
// later paint and a new fold gather nothing again, a new colour gathers the nets again.
// With their tabs standing on their edgelets and glued under facelets the two differ
// only where pieces meet at one depth, in a pixel of fifty: a tab's outline drawn
// through the tabs in front of it made one in twenty, a tab missing many more.
TEST_F(NetDrawing, FoldedNetsKeptBetweenPaintsShowWhatTheirFaceletsDrawnOneByOneShow) {
  StellatedIcosahedron ico;
  ASSERT_TRUE(ico.Stellate());
  ico.IncludeShells(3);
  Model3D* model = ico.block->GetModel3D(true, nullptr);
  ASSERT_TRUE(model && model->HasNets());
  ASSERT_GT(model->GetNumNets(), 1);
  Poly& poly = ico.model.poly;
  PolyElement* labelled = poly.mFaces.mHead;
  PolyElement* translucent = labelled->mNext;
  PolyElement* hidden = translucent->mNext;
  labelled->SetLabel("L");
  translucent->mOpacity = 0.5f;
  hidden->mFlags |= kElementHidden;
  int asking = 0;
  for (Face3DType* type = model->mFaceTypes; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) {
      const PolyElement* source = type->mFacelets[f].mSourceFace;
      asking += source == labelled || source == translucent ? 1 : 0;
    }
  }
  ASSERT_GT(asking, 0);
  ModelView view;
  OffscreenViewWindow* window = ShowFoldedNets(view, model);
  ASSERT_NE(window, nullptr);
  GetNetSettings().show3DTabs = false;
  GetNetDrawSettings().showTabsOnFoldingNets = false;
  unsigned long gathered = 0;
  for (double fold : {0.25, 0.75, 1.0}) {
    SCOPED_TRACE(fold);
    GetNetSettings().foldFraction = fold;
    const unsigned long drawnBefore = CountFoldedNetFaceletsDrawnOneByOne();
    const GLBitmap kept = Draw(window);
    EXPECT_EQ(CountFoldedNetFaceletsDrawnOneByOne() - drawnBefore, static_cast<unsigned long>(asking));
    if (fold == 0.25) {
      gathered = CountFoldedNetFaceletsGathered();
      EXPECT_EQ(CountDifferentPixels(Draw(window), kept), 0);
    }
    EXPECT_EQ(CountFoldedNetFaceletsGathered(), gathered) << "gathered again with nothing changed";
    const GLBitmap oneByOne = DrawOneByOne(window);
    EXPECT_GT(CountLit(oneByOne), kSize * kSize / 10);
    EXPECT_EQ(CountDifferentPixels(kept, oneByOne), 0);
  }
  const float blue[3] = {0.1f, 0.3f, 0.9f};
  CopyFloat3(poly.mFaces.mTail->mColor, blue);
  CopyFloat3(poly.mFaces.mTail->mBackColor, blue);
  const GLBitmap recoloured = Draw(window);
  EXPECT_GT(CountFoldedNetFaceletsGathered(), gathered);
  EXPECT_EQ(CountDifferentPixels(recoloured, DrawOneByOne(window)), 0);

  // The stellation lines shown are placed with the facelets after each fold and drawn
  // from what is kept, not walked facelet by facelet in a paint; they show over their
  // facelets as drawn one by one, but where a line and another facelet meet at one
  // depth (along a fold the facelet beyond it, drawn after, covered half the line).
  GetNetDrawSettings().showStellationLines = true;
  for (double fold : {0.25, 1.0}) {
    SCOPED_TRACE(fold);
    GetNetSettings().foldFraction = fold;
    const unsigned long walks = CountFaceletLinesDrawnOneByOne();
    const unsigned long drawnBefore = CountFoldedNetFaceletsDrawnOneByOne();
    const GLBitmap lines = Draw(window);
    EXPECT_EQ(CountFoldedNetFaceletsDrawnOneByOne() - drawnBefore, static_cast<unsigned long>(asking));
    EXPECT_LE(CountFaceletLinesDrawnOneByOne() - walks, 2u * static_cast<unsigned long>(asking));
    const unsigned long linesGathered = CountFoldedNetFaceletsGathered();
    EXPECT_EQ(CountDifferentPixels(Draw(window), lines), 0);
    EXPECT_EQ(CountFoldedNetFaceletsGathered(), linesGathered) << "gathered again with nothing changed";
    const GLBitmap oneByOne = DrawOneByOne(window);
    GetNetDrawSettings().showStellationLines = false;
    const int shown = CountDifferentPixels(oneByOne, DrawOneByOne(window));
    GetNetDrawSettings().showStellationLines = true;
    EXPECT_GT(shown, 500);
    EXPECT_LT(CountDifferentPixels(lines, oneByOne), CountLit(oneByOne) / 50);
  }
  GetNetDrawSettings().showStellationLines = false;

  // With their tabs, nets this small are drawn one facelet at a time.
  GetNetSettings().show3DTabs = true;
  GetNetDrawSettings().showTabsOnFoldingNets = true;
  GetNetSettings().foldFraction = 0.75;
  const unsigned long drawnBefore = CountFoldedNetFaceletsDrawnOneByOne();
  const GLBitmap withTabs = Draw(window);
  EXPECT_EQ(CountFoldedNetFaceletsDrawnOneByOne() - drawnBefore, static_cast<unsigned long>(model->GetNumFacelets()));
  EXPECT_EQ(CountDifferentPixels(withTabs, DrawOneByOne(window)), 0);
}

// What a folded net draws over its facelets (sphere sections, stellation lines) shows
// on them, as on the flat net and on the model: a folded facelet marks no stencil that
// would keep its own sections out.
TEST_F(NetDrawing, SphereSectionsShowOverTheirFoldedFacelets) {
  auto poly = BuildLibraryPoly(kIcosahedronRecord);
  ASSERT_NE(poly, nullptr);
  ColourFacesApart(*poly);
  Model3D model(poly.get(), false);
  model.MakeNets();
  const PolyElement* face = poly->mFaces.mHead;
  double side[3];
  Subtract(side, face->mNeighbours[0]->mDualVert, face->mCentre);
  ModelView view;
  OffscreenViewWindow* window = ShowFoldedNets(view, &model);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(GetModelDrawSettings().useStencil);
  GetNetSettings().show3DTabs = false;
  GetNetDrawSettings().showTabsOnFoldingNets = false;
  GetNetSettings().foldFraction = 1.0;
  const GLBitmap plain = Draw(window);
  NetDrawSettings& settings = GetNetDrawSettings();
  settings.showSphereSections = true;
  // Circles well inside each face.
  settings.referenceSpheres = {std::hypot(VectorLength(face->mCentre), 0.5 * VectorLength(side)) *
                               GetUnitSettings().mLengthScale};
  const GLBitmap circles = Draw(window);
  settings.showSphereSections = false;
  // The closed net shows its outer side only: every circle drawn shows in part.
  EXPECT_GT(CountDifferentPixels(circles, plain), 300) << "the sections hidden by their own facelets";
}

// Folded nets of many facelets are not gathered in the paint that first shows them: the
// paint asks the program to come back and shows the part gathered so far (none). The
// idle work gathers them, and the pane then shows what the nets drawn one facelet at a
// time show, folded as they are and after a new fold, for which nothing is gathered.
TEST_F(NetDrawing, FoldedNetsOfManyFaceletsAreGatheredByTheIdleWork) {
  std::unique_ptr<Poly> poly = SubdividedCube(30);
  ASSERT_NE(poly, nullptr);
  Model3D model(poly.get(), false);
  model.MakeNets();
  ASSERT_GE(model.GetNumFacelets(), kDeferredFlatNetFacelets);
  GetNetSettings().show3DTabs = false;
  GetNetDrawSettings().showTabsOnFoldingNets = false;
  ModelView view;
  OffscreenViewWindow* window = ShowFoldedNets(view, &model);
  ASSERT_NE(window, nullptr);
  const GLBitmap oneByOne = DrawOneByOne(window);
  ASSERT_GT(CountLit(oneByOne), kSize * kSize / 50);

  const unsigned long start = CountFoldedNetFaceletsGathered();
  const int requests = corvia::testing::Platform().views.mPrepareRequests;
  EXPECT_EQ(CountLit(Draw(window)), 0);
  EXPECT_EQ(CountFoldedNetFaceletsGathered(), start) << "gathered in the paint";
  EXPECT_EQ(corvia::testing::Platform().views.mPrepareRequests, requests + 1);
  ASSERT_TRUE(HasDeferredFlatNets());
  EXPECT_TRUE(MakeDeferredFlatNets());
  EXPECT_FALSE(HasDeferredFlatNets());
  EXPECT_EQ(CountFoldedNetFaceletsGathered() - start, static_cast<unsigned long>(model.GetNumFacelets()));
  const unsigned long drawn = CountFoldedNetFaceletsDrawnOneByOne();
  EXPECT_EQ(CountDifferentPixels(Draw(window), oneByOne), 0);
  // Folded anew, the kept places are made by the idle work.
  GetNetSettings().foldFraction = 0.4;
  Draw(window);
  EXPECT_TRUE(PlaceDeferredFoldedNets());
  EXPECT_EQ(CountDifferentPixels(Draw(window), DrawOneByOne(window)), 0);
  EXPECT_EQ(CountFoldedNetFaceletsGathered() - start, static_cast<unsigned long>(model.GetNumFacelets()));
  EXPECT_EQ(CountFoldedNetFaceletsDrawnOneByOne() - drawn, static_cast<unsigned long>(model.GetNumFacelets()))
      << "only the drawing one by one draws them one by one";

  // With their tabs standing on their edgelets and glued under facelets the two differ
  // only where pieces meet at one depth, in a pixel of fifty: a tab's outline drawn
  // through the tabs in front of it made one in twenty, a tab missing many more.
  GetNetSettings().show3DTabs = true;
  GetNetDrawSettings().showTabsOnFoldingNets = true;
  for (double fold : {0.25, 0.75, 1.0}) {
    SCOPED_TRACE(fold);
    GetNetSettings().foldFraction = fold;
    // Which tabs are glued changes with the fold: the idle work gathers the nets again.
    Draw(window);
    if (HasDeferredFlatNets()) {
      EXPECT_TRUE(MakeDeferredFlatNets());
    }
    const unsigned long before = CountFoldedNetFaceletsDrawnOneByOne();
    const GLBitmap keptWhole = Draw(window);
    EXPECT_EQ(CountFoldedNetFaceletsDrawnOneByOne(), before);
    const GLBitmap oneByOne = DrawOneByOne(window);
    EXPECT_GT(CountLit(oneByOne), kSize * kSize / 50);
    EXPECT_LT(CountDifferentPixels(keptWhole, oneByOne), CountLit(oneByOne) / 50);
  }

  // The stellation lines shown: their data, a stellation of the whole model, is worked
  // out by the idle work, not in the paint.
  NetDrawSettings& settings = GetNetDrawSettings();
  settings.showStellationLines = true;
  const int asked = corvia::testing::Platform().views.mPrepareRequests;
  Draw(window);
  EXPECT_FALSE(model.mFlags & kModelLineData) << "worked out in the paint";
  EXPECT_EQ(corvia::testing::Platform().views.mPrepareRequests, asked + 1);
  ASSERT_TRUE(HasDeferredFlatNets());
  EXPECT_TRUE(MakeDeferredFlatNets());
  EXPECT_TRUE(model.mFlags & kModelLineData);
  EXPECT_FALSE(HasDeferredFlatNets());
  // The nets kept are placed again with their lines by the idle work, and drawn from
  // what is kept (with their tabs: but where pieces meet at one depth).
  Draw(window);
  ASSERT_TRUE(HasDeferredFoldedPlaces());
  EXPECT_TRUE(PlaceDeferredFoldedNets());
  const unsigned long drawnBefore = CountFoldedNetFaceletsDrawnOneByOne();
  const GLBitmap lines = Draw(window);
  EXPECT_EQ(CountFoldedNetFaceletsDrawnOneByOne(), drawnBefore);
  EXPECT_GT(CountLit(lines), kSize * kSize / 50);
  EXPECT_LT(CountDifferentPixels(lines, DrawOneByOne(window)), CountLit(lines) / 50);
  CloseWindows();
}

// The nets of a model of many facelets show while the stellation lines' data, a
// stellation of the whole model, waits for the idle work: drawn without the lines in the
// flat and the folded pane alike (they showed nothing). Once the idle work has made the
// data, the lines show as the nets drawn one facelet at a time show them.
TEST_F(NetDrawing, ALargeModelsNetsShowWithoutTheirLinesTillTheIdleWorkMakesTheirData) {
  std::unique_ptr<Poly> cube = SubdividedCube(30);
  ASSERT_TRUE(cube && cube->mBaseBlock);
  GetUnitSettings().mMaxFacesPerNet = 200;
  Model3D* made = cube->mBaseBlock->GetModel3D(true, nullptr);
  ASSERT_NE(made, nullptr);
  Model3D& model = *made;
  ASSERT_GE(model.GetNumFacelets(), kDeferredFlatNetFacelets);
  Net* net = model.GetNet(0);
  ASSERT_NE(net, nullptr);
  model.mCurrentNet = net;
  GetNetSettings().displayMode = kShowCurrentNet;
  GetNetSettings().show3DTabs = false;
  GetNetDrawSettings().showTabsOnFoldingNets = false;
  FlatView flat;
  ModelView folded;
  OffscreenViewWindow* window = ShowFoldedNets(folded, &model);
  ASSERT_NE(window, nullptr);
  const GLBitmap flatPlain = DrawFlatNet(*net, flat);
  const GLBitmap foldedPlain = Draw(window);
  ASSERT_GT(CountLit(flatPlain), kSize * kSize / 50);
  ASSERT_GT(CountLit(foldedPlain), 0);

  GetNetDrawSettings().showStellationLines = true;
  EXPECT_EQ(CountDifferentPixels(DrawFlatNet(*net, flat), flatPlain), 0);
  EXPECT_EQ(CountDifferentPixels(Draw(window), foldedPlain), 0);
  EXPECT_FALSE(model.mFlags & kModelLineData) << "worked out in a paint";
  ASSERT_TRUE(HasDeferredFlatNets());
  EXPECT_TRUE(MakeDeferredFlatNets());
  EXPECT_TRUE(model.mFlags & kModelLineData);
  EXPECT_FALSE(HasDeferredFlatNets());
  // The flat net keeps its facelets, its lines gathered over them. (A subdivided
  // face's facelets have no region of the diagram of their own, so no lines show over
  // them: the pictures are those drawn one facelet at a time.)
  const unsigned long gathered = CountFlatNetFaceletsGathered();
  const GLBitmap flatLines = DrawFlatNet(*net, flat);
  EXPECT_EQ(CountFlatNetFaceletsGathered(), gathered) << "the net gathered anew for its lines";
  AllowFaceMeshArrays(false);
  EXPECT_EQ(CountDifferentPixels(DrawFlatNet(*net, flat), flatLines), 0);
  AllowFaceMeshArrays(true);
  // The folded nets kept are placed again with their lines, not walked for them.
  const unsigned long walks = CountFaceletLinesDrawnOneByOne();
  const unsigned long foldedGathered = CountFoldedNetFaceletsGathered();
  const GLBitmap foldedLines = Draw(window);
  EXPECT_EQ(CountFaceletLinesDrawnOneByOne(), walks) << "the folded facelets' lines walked in a paint";
  EXPECT_EQ(CountFoldedNetFaceletsGathered(), foldedGathered) << "the folded nets gathered anew for their lines";
  EXPECT_EQ(CountDifferentPixels(foldedLines, DrawOneByOne(window)), 0);
  CloseWindows();
}

// ---- The facet model of a stellation -------------------------------------------------------------

// The first stellation of the icosahedron as a facet model: its silhouette covers the
// pixels its facelets' triangles project to, up to the pixels along the outline, and
// a pick at the centre names the facelet in front.
TEST_F(NetDrawing, TheFirstStellationDrawnAsAFacetModel) {
  StellatedIcosahedron ico;
  ASSERT_TRUE(ico.Stellate());
  ico.IncludeShells(2);
  Model3D* model = ico.block->GetModel3D(false, nullptr);
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->GetNumFacelets(), 60);
  InitGLSelection(kNumSelectionItemKinds);
  ModelView view;
  view.scene = [model](TestView&) { DrawFacelets(model, 1.0); };
  auto* window = Show(view, kSize, kSize);
  ASSERT_NE(window, nullptr);
  const double halfHeight = 1.1 * Model3D::CalcMaxRadius(model);
  view.Setup(halfHeight);
  double axis[3], right[3], up[3];
  TurnToAGeneralDirection(view, axis, right, up);
  const GLBitmap image = Draw(window);
  // Where the triangles project, worked out from the facelets' corners.
  const double perUnit = (kSize / 2.0) / halfHeight;
  std::vector<bool> cover(kSize * kSize, false);
  for (int i = 0; i < model->GetNumFacelets(); ++i) {
    const Face3D* f = model->GetFacelet(i);
    for (int t = 0; t + 2 < f->mType->mNumIndices; t += 3) {
      double corners[9];
      f->GetTriangulationVertex(t, corners);
      double px[3], py[3];
      for (int c = 0; c < 3; ++c) {
        px[c] = kSize / 2.0 + Dot(corners + 3 * c, right) * perUnit;
        py[c] = kSize / 2.0 - Dot(corners + 3 * c, up) * perUnit;
      }
      const int x0 = std::max(0, static_cast<int>(std::floor(*std::min_element(px, px + 3))));
      const int x1 = std::min(kSize - 1, static_cast<int>(std::ceil(*std::max_element(px, px + 3))));
      const int y0 = std::max(0, static_cast<int>(std::floor(*std::min_element(py, py + 3))));
      const int y1 = std::min(kSize - 1, static_cast<int>(std::ceil(*std::max_element(py, py + 3))));
      for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
          const double cx = x + 0.5, cy = y + 0.5;
          double side[3];
          for (int c = 0; c < 3; ++c) {
            const int d = (c + 1) % 3;
            side[c] = (px[d] - px[c]) * (cy - py[c]) - (cx - px[c]) * (py[d] - py[c]);
          }
          if ((side[0] >= 0 && side[1] >= 0 && side[2] >= 0) || (side[0] <= 0 && side[1] <= 0 && side[2] <= 0)) {
            cover[y * kSize + x] = true;
          }
        }
      }
    }
  }
  int covered = 0, boundary = 0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      if (!cover[y * kSize + x]) continue;
      ++covered;
      bool edge = false;
      for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        const int nx = x + dx, ny = y + dy;
        edge = edge || nx < 0 || ny < 0 || nx >= kSize || ny >= kSize || !cover[ny * kSize + nx];
      }
      boundary += edge ? 1 : 0;
    }
  }
  const int drawn = CountLit(image);
  EXPECT_GT(covered, kSize * kSize / 10);
  EXPECT_LE(std::abs(drawn - covered), boundary) << drawn << " drawn, " << covered << " covered";

  std::vector<GLHit> hits;
  view.DoSelection(hits, kSize / 2, kSize / 2, false);
  SortHitsByDepth(hits);
  ASSERT_FALSE(hits.empty());
  EXPECT_EQ(GetHitItemType(hits[0]), kSelectFacelet);
  // The facelet in front at the centre: the one whose plane the view ray meets first
  // among those the ray passes through.
  const int index = GetHitIndex(hits[0]);
  const Face3D* picked = nullptr;
  for (int i = 0; i < model->GetNumFacelets(); ++i) {
    if (Face3D::GetIndex(model->GetFacelet(i)) == index) picked = model->GetFacelet(i);
  }
  ASSERT_NE(picked, nullptr);
  double normal[3];
  picked->GetNormal(normal);
  EXPECT_GT(Dot(normal, axis), 0.0);
}

}  // namespace test_NetDrawing
