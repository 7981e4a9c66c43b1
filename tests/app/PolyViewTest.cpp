// The panes: view-type codes and names, titles, switching types, caption buttons,
// reaching panes by kind, the polygon offset, the material passes, and the motion of a
// fading transition; every view type drawing its scene, and the morph and compound
// panes against the outlines their models project to.

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "app/ModelChange.h"
#include "app/UndoList.h"
#include "construction/DualMorph.h"
#include "construction/Prisms.h"
#include "symmetry/SimplePoly.h"
#include "core/FaceImageRef.h"
#include "core/TimeFormat.h"
#include "model/ElementLabels.h"
#include "model/FaceImageAttach.h"
#include "model/FaceTypeBlock.h"
#include "model/PolyElement.h"
#include "nets/NetSettings.h"
#include "render/DisplaySettings.h"
#include "render/FaceImage.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/GeomagStyle.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "stellation/DeferredModelWork.h"
#include "stellation/Stellate.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/PlaneHull.h"

namespace test_PolyView {

using namespace corvia;
using corvia::testing::DocumentTest;

TEST(ViewTypes, IndexCodesAndNames) {
  for (int i = 0; i < kNumViewTypes; ++i) {
    EXPECT_EQ(ViewIndexOf(kViewTypes[i]), i);
    EXPECT_EQ(ViewTypeFromIndex(i), kViewTypes[i]);
    // A full code maps to itself.
    EXPECT_EQ(ViewTypeFromIndex(kViewTypes[i]), kViewTypes[i]);
    EXPECT_EQ(GetViewTypeOfCommand(GetViewTypeCommand(kViewTypes[i])), kViewTypes[i]);
  }
  EXPECT_EQ(ViewTypeFromIndex(25), 25u);
  EXPECT_EQ(ViewTypeFromIndex(0x1900), kViewBasePolyhedron);
  EXPECT_STREQ(GetViewTypeName(kViewFace), "Face of Base/Dual Polyhedron");
  EXPECT_STREQ(GetViewTypeName(kViewMorphViaSnub), "Morph Duals via Snub");
  EXPECT_EQ(GetViewTypeCommand(kViewUnfoldedNet), 32840);
  EXPECT_EQ(GetViewTypeOfCommand(1), kNoViewType);
  corvia::testing::ExpectInternalErrors(1);
  EXPECT_STREQ(GetViewTypeName(0x1919), "Unknown view type");
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 1);
}

// The view type of a pane, alone: before the first type (a code of every bit) it is of
// no category and shows no side; the side and the title follow the code and what it is
// given of the document.
TEST(ViewTypes, APanesTypeAnswersWithoutAPane) {
  PaneViewType type;
  EXPECT_FALSE(type.IsSet());
  EXPECT_FALSE(type.IsNet() || type.IsMorph() || type.IsStellation() || type.IsOfFixedSide() ||
               type.HasAny(kViewFlagBase | kViewFlagDual | kViewFlagPart) || type.IsThreeD(false));
  EXPECT_EQ(type.GetShownSide(true), ShownSide::None);
  EXPECT_EQ(type.GetTitlePrefix(false), nullptr);

  EXPECT_EQ(type.Switch(kViewUnfoldedNet), kNoViewType);
  EXPECT_TRUE(type.IsNet() && type.DrawsNets() && !type.DrawsFacets());
  EXPECT_EQ(type.GetShownSide(false), ShownSide::Base);
  EXPECT_EQ(type.GetShownSide(true), ShownSide::Dual);
  EXPECT_STREQ(type.GetTitlePrefix(false), "Unfolded Net for ");

  EXPECT_EQ(type.Switch(kViewDualPolyhedron), kViewUnfoldedNet);
  EXPECT_EQ(type.GetShownSide(false), ShownSide::Dual);
  EXPECT_TRUE(type.IsShowingDual(false) && type.IsModelPane() && type.IsOfFixedSide());
  EXPECT_EQ(type.GetDrawnSides(false, 0.5), 2);

  // A morph draws one side at its ends, the side the document shows between them.
  type.Switch(kViewMorphViaSnub);
  EXPECT_EQ(type.GetShownSide(true), ShownSide::None);
  EXPECT_EQ(type.GetDrawnSides(true, 0.0), 1);
  EXPECT_EQ(type.GetDrawnSides(false, 1.0), 2);
  EXPECT_EQ(type.GetDrawnSides(true, 0.5), 2);
  EXPECT_EQ(type.GetTitlePrefix(false), nullptr);

  // Flat diagrams print by their own drawing; a four-dimensional model's cells are 3D.
  type.Switch(kViewFace);
  EXPECT_FALSE(type.IsThreeD(false) || type.PrintsThroughOpenGL(false));
  EXPECT_TRUE(type.IsThreeD(true) && type.PrintsThroughOpenGL(true));
  EXPECT_STREQ(type.GetTitlePrefix(true), "Cell of ");
}

class PolyViewTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  }
};

TEST_F(PolyViewTest, TitlesNameTheModelTheTypeShows) {
  CPolyView* base = AddPane(kViewBasePolyhedron);
  CPolyView* dual = AddPane(kViewDualPolyhedron);
  CPolyView* nets = AddPane(kViewUnfoldedNet);
  CPolyView* morph = AddPane(kViewMorphBySizing);
  EXPECT_EQ(base->GetTitle(), "Icosahedron (3.3.3.3.3), W4, p17");
  EXPECT_EQ(dual->GetTitle(), "Dodecahedron (Dual of 3.3.3.3.3), WD4, p9");
  EXPECT_EQ(nets->GetTitle(), "Unfolded Net for Icosahedron (3.3.3.3.3), W4, p17");
  EXPECT_EQ(morph->GetTitle(), "Morph Duals by Sizing");
  EXPECT_EQ(base->Caption().GetExportModelName(), "Icosahedron (3.3.3.3.3), W4, p17");
  EXPECT_EQ(morph->Caption().GetExportModelName(), "Dual-morph of Icosahedron (3.3.3.3.3), W4, p17");
  EXPECT_EQ(morph->Caption().GetShownModelName(true, true), "<Unknown>");
  EXPECT_EQ(nets->Caption().GetStellationName(), "Icosahedron (3.3.3.3.3), W4, p17");

  // A model of the library built without a template: named by its record.
  ASSERT_TRUE(Doc().SetModel(Find("J1"), false, false));
  UpdateAllCaptions();
  EXPECT_EQ(base->GetTitle().rfind("Square Pyramid", 0), 0u) << base->GetTitle();
  EXPECT_EQ(GetDualPolyName(false, false), "Dual of Square Pyramid");
}

TEST_F(PolyViewTest, SwitchingTheTypeSetsItsPane) {
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  EXPECT_TRUE(pane->Is3D());
  EXPECT_EQ(pane->Drawing().GetFitMode(), kFitNormal);
  // Model stepping buttons on a model pane.
  ASSERT_EQ(pane->Buttons().GetNumButtons(), 2);
  EXPECT_EQ(pane->Buttons().GetButton(0).command, kCaptionNextModel);
  EXPECT_EQ(pane->Buttons().GetButton(1).icon, kIconPreviousModel);

  pane->SetViewType(kViewFace, false);
  EXPECT_FALSE(pane->Is3D());
  EXPECT_EQ(pane->Buttons().GetButton(0).command, kCaptionElementOn);
  EXPECT_FALSE(pane->IsPrintThroughGL());

  pane->SetViewType(kViewFoldingNet, false);
  EXPECT_TRUE(pane->Is3D());
  EXPECT_STREQ(pane->GetMessage(), "Ctrl+Left-drag --- Fold/unfold model\nCtrl+Right-click --- Unfold half-way");

  pane->SetViewType(kViewMorphByTruncation, false);
  EXPECT_STREQ(pane->GetMessage(),
               "Ctrl+Left-drag --- Morph between model and dual\nCtrl+Right-click --- Morph to half-way point");
  // The dual shown as the base gets the button that makes it the base model.
  EXPECT_EQ(pane->Buttons().GetButton(pane->Buttons().GetNumButtons() - 1).command, kCaptionMakeBase);
  // Between two morphs the camera stays: no new fit.
  pane->SetFitMode(kFitNone);
  pane->SetViewType(kViewMorphByExpansion, false);
  EXPECT_EQ(pane->Drawing().GetFitMode(), kFitNone);

  // The faceting buttons and the measurement button in faceting mode.
  pane->SetViewType(kViewFace, false);
  SetMouseSelectionMode(kSelectFaceting);
  ASSERT_GE(pane->Buttons().GetNumButtons(), 4);
  EXPECT_EQ(pane->Buttons().GetButton(pane->Buttons().GetNumButtons() - 1).command, kCaptionLeaveMode);
  EXPECT_EQ(pane->Buttons().GetButton(pane->Buttons().GetNumButtons() - 2).command, kCaptionTakeBack);
  SetMouseSelectionMode(kSelectFacesVertices);

  // The next-model button goes to the next model of the library and leaves no message.
  const std::string before = GetPolyName(false, false);
  EXPECT_TRUE(pane->OnCaptionButton(0, kCaptionNextModel, 0));
  EXPECT_NE(GetPolyName(false, false), before);
  EXPECT_EQ(pane->GetMessage(), nullptr);
}

TEST_F(PolyViewTest, PanesByKind) {
  CPolyView* base = AddPane(kViewBasePolyhedron);
  CPolyView* unfolded = AddPane(kViewUnfoldedNet);
  CPolyView* folding = AddPane(kViewFoldingNet);
  CPolyView* face = AddPane(kViewFace);
  for (auto& window : mWindows) window->Paint();
  InvalidateViewsOfKind(kViewFlagNet, false);
  EXPECT_TRUE(WindowOf(unfolded)->IsPaintPending());
  EXPECT_TRUE(WindowOf(folding)->IsPaintPending());
  EXPECT_FALSE(WindowOf(base)->IsPaintPending());
  EXPECT_FALSE(WindowOf(face)->IsPaintPending());
  EXPECT_EQ(FindViewOfType(kViewFace, kViewVertexFigure), face);
  EXPECT_EQ(FindViewOfType(kViewCrossSection, kViewCrossSection), nullptr);

  // Fits are dropped while suspended.
  base->SetFitMode(kFitNone);
  {
    FitSuspension suspended;
    SetFitModeAllViews(kFitTight);
  }
  EXPECT_EQ(base->Drawing().GetFitMode(), kFitNone);

  // The morph ratio: a value within 1e-7 of 0 is 0; the same value redraws nothing.
  for (auto& window : mWindows) window->Paint();
  SetDualMorphRatio(5e-8, true);
  EXPECT_EQ(GetDualMorphRatio(), 0.0);
  CPolyView* morph = AddPane(kViewMorphBySizing);
  WindowOf(morph)->Paint();
  SetDualMorphRatio(0.5, true);
  EXPECT_TRUE(WindowOf(morph)->IsPaintPending());
  WindowOf(morph)->Paint();
  SetDualMorphRatio(0.5, true);
  EXPECT_FALSE(WindowOf(morph)->IsPaintPending());
  SetDualMorphRatio(0.0, false);
}

TEST_F(PolyViewTest, NoPaneTypeLacksItsContent) {
  CPolyView* nets = AddPane(kViewFacetingPreview);
  // One face of the icosahedron drawn as a facet: the preview repeats it into the
  // icosahedron.
  Poly* poly = GetCurrentPoly();
  const PolyElement* face = poly->mFaces.mHead;
  for (int i = 0; i < face->mNumSides; ++i) poly->AddFacetVertex(face->GetCorner(i)->mDualVert);
  poly->FinishDrawnPolygon(false, false);
  corvia::testing::Platform().messages.Clear();
  WindowOf(nets)->Paint();
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  EXPECT_EQ(GetMissingContentText(kViewUnfoldedNet), nullptr);
  EXPECT_EQ(GetMissingContentText(kViewFacetingPreview), nullptr);
  // The preview's faces stand on the pane's background, lighter than it.
  const GLBitmap image = WindowOf(nets)->ReadPixels();
  int bright = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) bright += image.Pixel(x, y)[0] > 200 ? 1 : 0;
  }
  EXPECT_GT(bright, 50);
}

// The pixels of the pane's picture from the row on that differ from its lower right
// corner (the background).
int CoveredPixels(const GLBitmap& image, int firstRow = 0) {
  const unsigned char* corner = image.Pixel(image.width - 1, image.height - 1);
  int count = 0;
  for (int y = firstRow; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* p = image.Pixel(x, y);
      count += (p[0] != corner[0] || p[1] != corner[1] || p[2] != corner[2]) ? 1 : 0;
    }
  }
  return count;
}

// Where each set of points projects in the pane, as a convex outline in window pixels.
std::vector<corvia::testing::PlanePoint> ProjectedHull(CPolyView* pane, const std::vector<std::vector<double>>& points) {
  std::vector<corvia::testing::PlanePoint> projected;
  pane->UpdateCameraMatrix();
  for (const std::vector<double>& p : points) {
    const float point[3] = {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
    float window[3];
    pane->TransformByCamera(window, point);
    projected.emplace_back(window[0], window[1]);
  }
  return corvia::testing::PlaneHull(std::move(projected));
}

bool InsideConvex(const std::vector<corvia::testing::PlanePoint>& hull, double x, double y) {
  if (hull.size() < 3) return false;
  int sign = 0;
  for (size_t i = 0; i < hull.size(); ++i) {
    const auto& a = hull[i];
    const auto& b = hull[(i + 1) % hull.size()];
    const double cross = (b.first - a.first) * (y - a.second) - (b.second - a.second) * (x - a.first);
    const int s = cross > 0 ? 1 : (cross < 0 ? -1 : 0);
    if (s != 0 && sign != 0 && s != sign) return false;
    if (s != 0) sign = s;
  }
  return true;
}

// The pixel centres of a width x height pane from the row on inside any of the
// outlines, and about how many lie along an outline's edge (the tolerance of a
// comparison).
std::pair<int, int> CoverOfOutlines(const std::vector<std::vector<corvia::testing::PlanePoint>>& hulls, int width,
                                    int height, int firstRow = 0) {
  int inside = 0;
  double perimeter = 0;
  for (const auto& hull : hulls) {
    for (size_t i = 0; i < hull.size(); ++i) {
      const auto& a = hull[i];
      const auto& b = hull[(i + 1) % hull.size()];
      perimeter += std::hypot(b.first - a.first, b.second - a.second);
    }
  }
  for (int y = firstRow; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (const auto& hull : hulls) {
        if (InsideConvex(hull, x + 0.5, y + 0.5)) {
          ++inside;
          break;
        }
      }
    }
  }
  return {inside, static_cast<int>(perimeter) + 10};
}

// The corners of the base model and of its dual, at the size the panes draw them.
std::vector<std::vector<double>> BaseCorners(const Poly* poly, double scale) {
  std::vector<std::vector<double>> corners;
  for (const PolyElement* v = poly->mVertices.mHead; v; v = v->mNext) {
    corners.push_back({scale * v->mDualVert[0], scale * v->mDualVert[1], scale * v->mDualVert[2]});
  }
  return corners;
}

std::vector<std::vector<double>> DualCorners(const Poly* poly, double scale) {
  std::vector<std::vector<double>> corners;
  for (const PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
    corners.push_back({scale * f->mDualVert[0], scale * f->mDualVert[1], scale * f->mDualVert[2]});
  }
  return corners;
}

// Every view type draws its scene without a GL error or an internal error: for the
// icosahedron, the snub cube and a stellation of the icosahedron.
TEST_F(PolyViewTest, EveryViewTypeDrawsItsScene) {
  std::vector<std::string> errors;
  const GLErrorListener saved = SetGLErrorListener(
      [&](const std::string& location, const std::string& error) { errors.push_back(location + ": " + error); });
  CPolyView* pane = AddPane(kViewBasePolyhedron, 160, 120);
  for (const char* model : {"Icosahedron", "Snub Cube", "stellation"}) {
    SCOPED_TRACE(model);
    if (std::string(model) == "stellation") {
      ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
      Poly* poly = GetCurrentPoly();
      ASSERT_TRUE(StellateBlock(poly, false, 0).done());
      ASSERT_TRUE(poly->mBaseBlock->NextStellation());
      ASSERT_TRUE(poly->mBaseBlock->NextStellation());
    } else {
      ASSERT_TRUE(Doc().SetModel(Find(model), false, false));
    }
    for (const double t : {0.0, 0.4, 1.0}) {
      SetDualMorphRatio(t, false);
      for (int i = 0; i < kNumViewTypes; ++i) {
        SCOPED_TRACE(GetViewTypeName(kViewTypes[i]));
        corvia::testing::Platform().messages.Clear();
        pane->SetViewType(kViewTypes[i], false);
        WindowOf(pane)->Paint();
        EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 0);
        EXPECT_TRUE(errors.empty()) << errors.front();
        errors.clear();
      }
    }
  }
  SetDualMorphRatio(0.0, false);
  SetGLErrorListener(saved);
}

// A morph pane at its two ends shows the model and its dual: the drawn silhouette
// covers what their corners' outlines cover in the pane's camera (below the line that
// tells the morph's progress).
TEST_F(PolyViewTest, MorphPanesAtTheirEndsShowTheModelAndItsDual) {
  Poly* poly = GetCurrentPoly();
  ASSERT_NE(poly, nullptr);
  for (const ViewType type : {kViewMorphBySizing, kViewMorphByTruncation, kViewMorphByAugmentation,
                              kViewMorphByExpansion, kViewMorphByTiltingQuads, kViewMorphByTiltingTriangles,
                              kViewMorphByTiltingToCompound, kViewMorphByTiltingToRectification}) {
    SCOPED_TRACE(GetViewTypeName(type));
    CPolyView* pane = AddPane(type, 200, 200);
    for (const double t : {0.0, 1.0}) {
      SCOPED_TRACE(t);
      SetDualMorphRatio(t, false);
      pane->ClearMessage();
      WindowOf(pane)->Paint();
      const GLBitmap image = WindowOf(pane)->ReadPixels();
      double base = 1.0, dual = 1.0;
      GetSizingMorphScales(poly, t, &base, &dual);
      const double scale = poly->mDisplayScale * (type == kViewMorphBySizing ? (t == 0.0 ? base : dual) : 1.0);
      const auto corners = t == 0.0 ? BaseCorners(poly, scale) : DualCorners(poly, scale);
      constexpr int kBelowProgress = 20;
      const auto [expected, tolerance] = CoverOfOutlines({ProjectedHull(pane, corners)}, 200, 200, kBelowProgress);
      EXPECT_GT(expected, 2000);
      EXPECT_NEAR(CoveredPixels(image, kBelowProgress), expected, tolerance);
    }
  }
  SetDualMorphRatio(0.0, false);
}

// The dual of a star polyhedron reaches far outside the model's unit sphere: the dual's
// pane and the dual's stellation pane, fitted on their first paint, hold all of it.
TEST_F(PolyViewTest, TheDualsPanesHoldTheWholeDualOfAStar) {
  for (const char* name : {"Great Dodecahedron", "Great Icosahedron"}) {
    for (const ViewType type : {kViewDualPolyhedron, kViewStellationOfDual}) {
      SCOPED_TRACE(std::string(name) + ", " + GetViewTypeName(type));
      ASSERT_TRUE(Doc().SetModel(Find(name), false, false));
      CPolyView* pane = AddPane(type, 200, 200);
      pane->ClearMessage();
      WindowOf(pane)->Paint();
      const GLBitmap image = WindowOf(pane)->ReadPixels();
      EXPECT_GT(CoveredPixels(image), 2000);
      // Nothing of it runs off the pane: the border is background all round.
      const uint8_t* corner = image.Pixel(199, 199);
      int onBorder = 0;
      for (int k = 0; k < 200; ++k) {
        for (const auto& [x, y] : {std::pair{k, 0}, std::pair{k, 199}, std::pair{0, k}, std::pair{199, k}}) {
          const uint8_t* p = image.Pixel(x, y);
          onBorder += (p[0] != corner[0] || p[1] != corner[1] || p[2] != corner[2]) ? 1 : 0;
        }
      }
      EXPECT_EQ(onBorder, 0);
    }
  }
}

// Every face of the great dirhombicosidodecahedron shares its plane with another; each
// plane is drawn once, by the first face of its ring, so the model shows.
TEST_F(PolyViewTest, AModelWhoseFacesAllShareTheirPlanesIsDrawn) {
  ASSERT_TRUE(Doc().SetModel(Find("Great Dirhombicosidodecahedron"), false, false));
  CPolyView* pane = AddPane(kViewBasePolyhedron, 200, 200);
  WindowOf(pane)->Paint();
  const GLBitmap image = WindowOf(pane)->ReadPixels();
  EXPECT_GT(CoveredPixels(image), 10000);
}

// The compound of the model and its dual shows both: the union of their outlines.
TEST_F(PolyViewTest, TheCompoundOfDualsShowsBoth) {
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  Poly* poly = GetCurrentPoly();
  CPolyView* pane = AddPane(kViewCompoundOfDuals, 200, 200);
  WindowOf(pane)->Paint();
  const GLBitmap image = WindowOf(pane)->ReadPixels();
  const auto base = ProjectedHull(pane, BaseCorners(poly, poly->mDisplayScale));
  const auto dual = ProjectedHull(pane, DualCorners(poly, poly->mDisplayScale));
  const auto [both, tolerance] = CoverOfOutlines({base, dual}, 200, 200);
  const int baseOnly = CoverOfOutlines({base}, 200, 200).first;
  const int dualOnly = CoverOfOutlines({dual}, 200, 200).first;
  // Each model reaches past the other.
  ASSERT_GT(both, baseOnly + 200);
  ASSERT_GT(both, dualOnly + 200);
  EXPECT_NEAR(CoveredPixels(image), both, tolerance);
}

// The symmetry axes stand out of the model in the model and morph panes that show them.
TEST_F(PolyViewTest, SymmetryAxesStandOutOfTheModel) {
  for (const ViewType type : {kViewBasePolyhedron, kViewCompoundOfDuals, kViewMorphByTruncation}) {
    SCOPED_TRACE(GetViewTypeName(type));
    CPolyView* pane = AddPane(type, 200, 200);
    pane->ClearMessage();
    WindowOf(pane)->Paint();
    const int plain = CoveredPixels(WindowOf(pane)->ReadPixels(), 20);
    pane->mShowSymmetryAxes = true;
    WindowOf(pane)->Paint();
    const GLBitmap withAxes = WindowOf(pane)->ReadPixels();
    EXPECT_GT(CoveredPixels(withAxes, 20), plain + 50);
  }
}

// The stellation panes draw the current stellation facelet by facelet: at the start
// the model itself, as large as in the base pane.
TEST_F(PolyViewTest, StellationPanesDrawTheCurrentStellation) {
  CPolyView* base = AddPane(kViewBasePolyhedron);
  CPolyView* stellation = AddPane(kViewStellationOfBase);
  CPolyView* compound = AddPane(kViewCompound);
  corvia::testing::Platform().messages.Clear();
  auto covered = [this](CPolyView* pane) {
    WindowOf(pane)->Paint();
    return CoveredPixels(WindowOf(pane)->ReadPixels());
  };
  const int model = covered(base);
  ASSERT_GT(model, 2000);
  EXPECT_EQ(GetMissingContentText(kViewStellationOfBase), nullptr);
  EXPECT_NEAR(covered(stellation), model, model / 20);
  EXPECT_NEAR(covered(compound), model, model / 20);
  // The diagnostic facelet numbers stand on the facelets while they are asked for.
  const GLBitmap plain = WindowOf(stellation)->ReadPixels();
  const uint32_t savedNumbers = DiagnosticNumbers;
  DiagnosticNumbers |= kNumberEachFacelet;
  covered(stellation);
  EXPECT_NE(WindowOf(stellation)->ReadPixels().pixels, plain.pixels);
  DiagnosticNumbers = savedNumbers;
  covered(stellation);
  EXPECT_EQ(WindowOf(stellation)->ReadPixels().pixels, plain.pixels);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// A stellation pane whose facets wait for the idle work (the dual side of a torus has
// no plain facet model and a long set-up) asks for them once a paint: the paint that
// finds them missing weighs the work, walking the side's types, and the paints while
// they wait walk no more. A paint walks the model a few times at most, never once for
// each face it draws, and says what it waits for.
TEST_F(PolyViewTest, AStellationPaneWaitingForItsFacetsWalksTheModelOnlyOncePerPaint) {
  Outcome outcome;
  std::unique_ptr<SimplePoly> torus = CreateTorus(0.4, 24, 12, outcome);
  ASSERT_TRUE(torus && CreateDerivedPolyWithUndo(Doc(), *torus, kUndoNewModel, false, true).done());
  Poly* poly = GetCurrentPoly();
  FaceTypeBlock* block = poly->mDualBlock.get();
  ASSERT_FALSE(block->HasPlainFacetModel());
  ASSERT_GT(block->CountFaceTypes(), 4);
  CPolyView* pane = AddPane(kViewStellationOfDual);
  ASSERT_FALSE(IsModelWorkPending(block));
  const uint64_t elements = static_cast<uint64_t>(poly->mFaces.mCount + poly->mVertices.mCount);
  for (const bool waiting : {false, true}) {
    SCOPED_TRACE(waiting ? "a paint while the facets wait" : "the paint that finds them missing");
    const uint64_t before = CountWholeWalkSteps();
    WindowOf(pane)->Paint();
    const uint64_t walked = CountWholeWalkSteps() - before;
    ASSERT_TRUE(IsModelWorkPending(block));
    if (waiting) {
      EXPECT_EQ(walked, 0u);
    } else {
      EXPECT_GT(walked, 0u);
    }
    EXPECT_LE(walked, 4 * elements) << "a paint of " << poly->mVertices.mCount << " faces";
    EXPECT_EQ(pane->Drawing().GetPaneStatusText(), "Making facets...");
  }
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST(PolygonOffset, FollowsThePowerLawThroughItsPoints) {
  EXPECT_NEAR(PolygonOffsetUnits(1.2, false), 8000.0, 1e-6);
  EXPECT_NEAR(PolygonOffsetUnits(4.5, false), 200.0, 1e-6);
  EXPECT_NEAR(PolygonOffsetUnits(75.0, false), 6.0, 1e-6);
  EXPECT_EQ(PolygonOffsetUnits(3.0, true), 10.0);
  EXPECT_EQ(PolygonOffsetUnits(1e6, false), 1.0);
  // An eye at or behind the centre still gets a finite offset.
  EXPECT_TRUE(std::isfinite(PolygonOffsetUnits(0.0, false)));
  EXPECT_TRUE(std::isfinite(PolygonOffsetUnits(-2.0, false)));
  EXPECT_TRUE(std::isfinite(PolygonOffsetUnits(std::nan(""), false)));
}

TEST_F(PolyViewTest, MaterialPassesOfSpheres) {
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  ModelDrawSettings& settings = GetModelDrawSettings();
  const int saved = settings.sphereMaterial;
  ASSERT_TRUE(PreOpenGL(pane));
  EXPECT_EQ(&GetModelDrawPane(pane), static_cast<ModelDrawPane*>(pane));
  for (int kind : {kMaterialPlain, kMaterialGold}) {
    settings.sphereMaterial = kind;
    MaterialPasses passes;
    EXPECT_EQ(pane->SetVertexMaterial(passes), kind);
    int count = 0;
    while (pane->ApplyFaceAppearance(true, passes) && count < 10) ++count;
    // The plain pass and the second plain pass; there are no textures for the others.
    EXPECT_EQ(count, 2) << "kind " << kind;
    EXPECT_EQ(passes.passFlags, 0);
    EXPECT_EQ(pane->Materials().GetCullMode(), kCullNone);
    pane->EndVertexMaterial(passes);
  }
  PostOpenGL(pane);
  settings.sphereMaterial = saved;
}

TEST_F(PolyViewTest, FadingModelsMoveAsTheirTransitionSays) {
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  Poly* poly = GetCurrentPoly();
  Matrix4 motion;
  EXPECT_FALSE(pane->PreViewingMatrixHook(motion));

  // Sideways at 90 degrees, a quarter shown: the incoming model is three quarters of
  // the pane's radius above, the outgoing one as far below.
  poly->mTransition = TransitionSettings();
  GetTransitionSettings(poly->mTransition, kOccasionDefault);
  poly->mTransition.mType = kTransitionSideways;
  poly->mTransition.mParams[kParamSlideAngle] = 90.0;
  poly->mTransition.mParams[kParamSlideSpin] = 0.0;
  poly->mTransitionEnd = GetTimeSeconds() + 1.0;
  poly->mTransitionProgress = 0.25;
  poly->mTransitionDirection = 1;
  ASSERT_TRUE(pane->PreViewingMatrixHook(motion));
  const double radius = pane->Drawing().GetGeometryRadius(true);
  EXPECT_NEAR(motion(0, 3), 0.0, 1e-12);
  EXPECT_NEAR(motion(1, 3), 0.75 * radius, 1e-12);
  poly->mTransitionDirection = 0;
  ASSERT_TRUE(pane->PreViewingMatrixHook(motion));
  EXPECT_NEAR(motion(1, 3), -0.75 * radius, 1e-12);

  // Shrink & Grow: the scale goes from the starting size to 1 and spins about the
  // screen's vertical.
  poly->mTransition.mType = kTransitionShrinkAndGrow;
  poly->mTransition.mParams[kParamShrinkSpin] = 1.0;
  poly->mTransition.mDuration = 1.0;
  poly->mTransitionProgress = 0.5;
  poly->mTransitionDirection = 1;
  ASSERT_TRUE(pane->PreViewingMatrixHook(motion));
  EXPECT_NEAR(poly->mDisplayScale, 0.5, 1e-12);
  // 180 x 0.25 = 45 degrees.
  EXPECT_NEAR(motion(0, 0), std::cos(std::numbers::pi / 4.0), 1e-12);
  EXPECT_NEAR(motion(1, 1), 1.0, 1e-12);

  // An exploding type blows the fading model apart as it vanishes.
  poly->mTransition.mType = kTransitionExplodeAndImplode;
  poly->mTransitionProgress = 0.5;
  ASSERT_TRUE(pane->PreViewingMatrixHook(motion));
  EXPECT_NEAR(pane->Drawing().GetDrawExplosion(), 2.0, 1e-12);

  poly->mTransitionEnd = -1.0;
  poly->mTransitionProgress = 1.0;
  poly->mDisplayScale = 1.0;
  EXPECT_FALSE(pane->PreViewingMatrixHook(motion));
}

// In the construction-toy style each pane says what the toy can make of its model: when
// the style is switched on and when a model is made while it is on.
TEST_F(PolyViewTest, TheToyStylesVerdictStandsInEachPane) {
  struct StyleOff {
    ~StyleOff() { SetGeomagStyle(false); }
  } styleOff;
  CPolyView* base = AddPane(kViewBasePolyhedron);
  CPolyView* dual = AddPane(kViewDualPolyhedron);
  CPolyView* morph = AddPane(kViewMorphBySizing);
  SwitchGeomagStyle(true);
  EXPECT_EQ(base->GetMessage(), nullptr);
  ASSERT_NE(morph->GetMessage(), nullptr);
  EXPECT_STREQ(morph->GetMessage(), "Geomag-style not available in this view.");

  // The triakis tetrahedron has edges of two lengths: no rods for them.
  ASSERT_TRUE(Doc().SetModel(Find("Truncated Tetrahedron"), false, false));
  EXPECT_EQ(base->GetMessage(), nullptr);
  ASSERT_NE(dual->GetMessage(), nullptr);
  EXPECT_EQ(std::string(dual->GetMessage()).rfind("Model can't be made with Geomag.", 0), 0u) << dual->GetMessage();

  SetGeomagStyle(false);
  EXPECT_EQ(dual->GetMessage(), nullptr);
  EXPECT_EQ(morph->GetMessage(), nullptr);
  // The panels' colours go with the style: switched on and off, a model keeps its colours.
  ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  std::vector<float> before;
  for (PolyElement* f = GetCurrentPoly()->mFaces.mHead; f; f = f->mNext) before.insert(before.end(), f->mColor, f->mColor + 3);
  SetGeomagStyle(true);
  SetGeomagStyle(false);
  std::vector<float> after;
  for (PolyElement* f = GetCurrentPoly()->mFaces.mHead; f; f = f->mNext) after.insert(after.end(), f->mColor, f->mColor + 3);
  EXPECT_EQ(after, before);
}

// In image mode the pane shows the whole image of the current face faintly where it
// lies, and only then.
TEST_F(PolyViewTest, ImageModeShowsTheCurrentFacesWholeImage) {
  SetGLErrorListener([](const std::string& location, const std::string& error) {
    ADD_FAILURE() << "GL error at " << location << ": " << error;
  });
  struct Restore {
    ~Restore() {
      SetMouseSelectionMode(kSelectFacesVertices);
      SetGLErrorListener(nullptr);
    }
  } restore;
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  Poly* poly = GetCurrentPoly();
  PolyElement* face = poly->mFaces.mHead;
  poly->mBaseBlock->SetCurrentFace(face);

  // A white picture, placed far larger than the face, so that most of it lies beside
  // the model.
  FIBITMAP* picture = FreeImage_Allocate(8, 8, 24);
  RGBQUAD white = {255, 255, 255, 0};
  for (unsigned y = 0; y < 8; ++y) {
    for (unsigned x = 0; x < 8; ++x) FreeImage_SetPixelColor(picture, x, y, &white);
  }
  const std::string path = (corvia::testing::ScratchDir("ImageMode") / "white.png").string();
  ASSERT_TRUE(FreeImage_Save(FIF_PNG, picture, path.c_str(), 0));
  FreeImage_Unload(picture);
  FaceImage* image = PlaceImageOnFaces(poly, face, path.c_str(), kImageProjectPlanar, kImageBoundaryBorder, 0, nullptr);
  ASSERT_NE(image, nullptr);
  image->mSize = 20.0;

  WindowOf(pane)->Paint();
  const GLBitmap plain = WindowOf(pane)->ReadPixels();
  SetMouseSelectionMode(kSelectImage);
  WindowOf(pane)->Paint();
  const GLBitmap shown = WindowOf(pane)->ReadPixels();
  // The pane's corner lies beside the model: lighter with the image over it.
  EXPECT_GT(shown.Pixel(2, 2)[0], plain.Pixel(2, 2)[0] + 6);
  SetMouseSelectionMode(kSelectFacesVertices);
  WindowOf(pane)->Paint();
  EXPECT_EQ(WindowOf(pane)->ReadPixels().pixels, plain.pixels);
  DetachFromFace(face);
}

}  // namespace test_PolyView
