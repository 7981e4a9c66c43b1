// The panes' own controls on a document whose panes are off screen, where the window
// tests (tests/gui/PaneControlsTest.cpp) do not reach: the stellation's core and final
// keys on the pane's own side, Home in the faceting panes, taking a drawn corner back,
// element steps, the preview's matching faces, orientations, drags and Esc, and the
// keys of the command table.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/PolyView.h"
#include "construction/Augmentation.h"
#include "core/BigUInt.h"
#include "core/VectorMath.h"
#include "dialogs/AugmentDlg.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "stellation/Faceting.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/MenuOptionsScope.h"
#include "tests/stellation/FacetingModels.h"
#include "ui/CommandTable.h"

namespace test_PaneActions {

using namespace corvia;
using corvia::testing::CountDrawnCorners;
using corvia::testing::CountFinishedPolygons;
using corvia::testing::IncludedCells;
using corvia::testing::Platform;

class PaneActionsTest : public corvia::testing::DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
  }
  void TearDown() override {
    SetMouseSelectionMode(kSelectFacesVertices);
    DocumentTest::TearDown();
    Platform().messages.Clear();
  }
  void Open(const char* name) { ASSERT_TRUE(Doc().SetModel(Find(name), false, false)) << name; }
  static void SelectFirst(int sides) {
    Poly* poly = GetCurrentPoly();
    for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
      if (f->mNumSides == sides) {
        poly->SelectFace(f, false);
        return;
      }
    }
  }
  static void QueueDialog(uint32_t options, LibraryEntry* entry = nullptr) {
    Platform().dialogs.Queue<AugmentDlg>([options, entry](AugmentDlg& d) {
      d.mOptions = options;
      d.mScale = 1.0;
      d.mEntry = entry;
      return true;
    });
  }

  corvia::testing::MenuOptionsScope mOptions;
};

TEST_F(PaneActionsTest, CtrlHomeAndCtrlEndGoToTheCoreAndTheFinalStellationOfThePanesSide) {
  Open("3.3.3.3.3");
  CPolyView* dual = AddPane(kViewStellationOfDual);
  Poly* poly = GetCurrentPoly();
  poly->SetShowDual(false);
  FaceTypeBlock* block = poly->mDualBlock.get();
  ASSERT_TRUE(dual->OnPaneKey(kPaneKeyEnd, kModifierCtrl));
  EXPECT_TRUE(poly->mShowDual);
  ASSERT_TRUE(block->IsStellated());
  const std::vector<bool> final = IncludedCells(block);
  ASSERT_TRUE(dual->OnPaneKey(kPaneKeyHome, kModifierCtrl));
  const std::vector<bool> core = IncludedCells(block);
  EXPECT_LT(std::count(core.begin(), core.end(), true), std::count(final.begin(), final.end(), true));
  // Shift with an arrow is not the pane's: it goes on to the commands.
  EXPECT_FALSE(dual->OnPaneKey(kPaneKeyUp, kModifierShift));
}

TEST_F(PaneActionsTest, HomeShowsTheModelsFacesAsTheFacetsAndACornerIsTakenBack) {
  Open("4.4.4");
  CPolyView* preview = AddPane(kViewFacetingPreview);
  Poly* poly = GetCurrentPoly();
  ASSERT_TRUE(preview->OnPaneKey(kPaneKeyHome, 0));
  EXPECT_EQ(CountFinishedPolygons(poly), 1);
  ASSERT_TRUE(preview->OnPaneKey(kPaneKeyHome, kModifierCtrl));
  EXPECT_NE(GetCurrentFaceting()->GetFirstFacetInFaceting(), nullptr);
  EXPECT_FALSE(preview->OnPaneKey(kPaneKeyLeft, 0));

  CPolyView* base = AddPane(kViewBasePolyhedron);
  SetMouseSelectionMode(kSelectFaceting);
  const PolyElement* face = poly->mFaces.mHead;
  for (int i = 0; i < 3; ++i) poly->AddFacetVertex(face->GetCorner(i)->mDualVert);
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionTakeBack, 0));
  EXPECT_EQ(CountDrawnCorners(poly->mCurrentDrawnPolygon), 2);
  // Two corners make no facet: accepting them finishes nothing and says why.
  const int finished = CountFinishedPolygons(poly);
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionAccept, 0));
  EXPECT_EQ(CountFinishedPolygons(poly), finished);
  EXPECT_STREQ(base->GetMessage(), "A facet needs at least three vertices");
}

TEST_F(PaneActionsTest, UpTellsAFacetingThatCannotBePreparedAndKeepsNoStep) {
  Open("3.3.3.3.3");
  CPolyView* preview = AddPane(kViewFacetingPreview);
  Platform().messages.Clear();
  const size_t steps = Platform().undo.mCalls.size();
  const int discards = Platform().undo.mDiscards;
  {
    corvia::testing::WorkMemoryLimitScope limit(4 << 10);
    ASSERT_TRUE(preview->OnPaneKey(kPaneKeyUp, 0));
  }
  // The step it recorded goes again: nothing changed.
  EXPECT_EQ(Platform().undo.mCalls.size(), steps + 1);
  EXPECT_EQ(Platform().undo.mDiscards, discards + 1);
  EXPECT_EQ(CountFinishedPolygons(GetCurrentPoly()), 0);
  ASSERT_EQ(Platform().messages.CountTitled("Error"), 1);
  EXPECT_EQ(Platform().messages.Boxes().back().text.rfind("This model is too large to facet on this computer", 0), 0u);
}

// Up from a facet drawn on the truncated icosidodecahedron searches for a faceting that
// holds it, for some 20,000 passes: the search grows the faceting from the drawn facet,
// then goes on from there when that is no faceting, each under a window of its own. One
// Cancel ends the whole step: no other search begins, the facet drawn stays as it was,
// and the step leaves no undo step behind.
TEST_F(PaneActionsTest, OneCancelEndsAFacetingStepAndLeavesTheDrawnFacetAndNoUndoStep) {
  ASSERT_TRUE(Doc().OpenModelByNameOrSymbol("4.6.10"));
  CPolyView* preview = AddPane(kViewFacetingPreview);
  Poly* poly = GetCurrentPoly();
  Faceting* faceting = GetCurrentFaceting();
  GetFacetingSettings() = FacetingSettings();
  ASSERT_TRUE(faceting->Prepare());
  const Facet* drawn = faceting->GetFirstFacet();
  while (drawn && std::string(Facet::GetIdText(drawn)) != "1-2") drawn = drawn->GetNext();
  ASSERT_NE(drawn, nullptr);
  corvia::testing::DrawFacet(*poly, drawn);
  const auto corners = corvia::testing::DrawnCorners(*poly);
  const size_t steps = Platform().undo.mCalls.size();
  const int discards = Platform().undo.mDiscards;
  const int64_t passes = faceting->mSearchPasses;
  int windowsAtCancel = -1;
  {
    // Every look at the clock a second on: each search shows its window at once, and
    // Cancel is pressed once, at the third report of a window.
    corvia::testing::CancelAfterPumps clock(1.0, std::numeric_limits<int>::max());
    Platform().progress.Current()->onPump = [&](platform::HeadlessProgressWindow::State& window) {
      if (window.pumps < 3 || windowsAtCancel >= 0) return;
      window.cancel = true;
      windowsAtCancel = Platform().progress.WindowsCreated();
    };
    ASSERT_TRUE(preview->OnPaneKey(kPaneKeyUp, 0));
  }
  ASSERT_GT(windowsAtCancel, 0);
  EXPECT_TRUE(faceting->WasCancelled());
  EXPECT_EQ(Platform().progress.WindowsCreated(), windowsAtCancel) << "a search began after the Cancel";
  EXPECT_LT(faceting->mSearchPasses - passes, 1000);
  EXPECT_EQ(corvia::testing::DrawnCorners(*poly), corners);
  EXPECT_EQ(Platform().undo.mCalls.size(), steps + 1);
  EXPECT_EQ(Platform().undo.mDiscards, discards + 1);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(PaneActionsTest, ElementButtonsStepTypesAndSayWhenThereIsOnlyOne) {
  // The square pyramid: two face types and two vertex types.
  Open("J1");
  Poly* poly = GetCurrentPoly();
  CPolyView* face = AddPane(kViewFace);
  CPolyView* figure = AddPane(kViewVertexFigure);
  const FaceType* faceType = poly->GetCurrentFace()->mType;
  ASSERT_TRUE(face->OnCaptionButton(0, kCaptionElementOn, 0));
  EXPECT_NE(poly->GetCurrentFace()->mType, faceType);
  const FaceType* vertexType = poly->GetOtherCurrentFace()->mType;
  ASSERT_TRUE(figure->OnCaptionButton(0, kCaptionElementBack, 0));
  EXPECT_NE(poly->GetOtherCurrentFace()->mType, vertexType);
  EXPECT_FALSE(poly->mShowDual);
  Open("5.5.5");
  ASSERT_TRUE(figure->OnCaptionButton(0, kCaptionElementOn, 0));
  EXPECT_EQ(Platform().views.mPaneMessage, "There is only one type of vertex");
  // A message the pane shows goes with the next action.
  NewView::SetMessage(figure, "%s", "Earlier news");
  ASSERT_TRUE(figure->OnCaptionButton(0, kCaptionNextModel, 0));
  EXPECT_EQ(figure->GetMessage(), nullptr);
}

TEST_F(PaneActionsTest, ThePreviewStepsFacesAndOrientationsAndEscLeavesTheModel) {
  // The elongated square pyramid on a square of the pentagonal prism: two kinds of
  // square to attach it by, and a side square, which has no turn of its own, in two
  // orientations that the prism square's half turn does not make one.
  Open("Pentagonal Prism");
  CPolyView* face = AddPane(kViewFace);
  CPolyView* base = AddPane(kViewBasePolyhedron);
  SelectFirst(4);
  QueueDialog(kAugmentBuiltIn | kAugmentAlwaysPreview, Find("J8"));
  // Asked from a face pane, the preview goes to the pane of the base model.
  face->OnAugmentPolyhedron();
  Augmentation* augmentation = GetAugmentation(GetCurrentPoly());
  ASSERT_EQ(augmentation->mView, base);
  ASSERT_EQ(augmentation->CountMatchingFaces(), 2);
  BigUInt value;
  auto orientations = [&] {
    augmentation->GetOrientationCounts(value);
    return value.Word(0);
  };
  auto current = [&] {
    augmentation->GetOrientationIndices(value);
    return value.Word(0);
  };
  const int first = augmentation->GetCurrentMatch()->face;
  ASSERT_TRUE(base->OnPaneKey(kPaneKeyUp, 0));
  EXPECT_NE(augmentation->GetCurrentMatch()->face, first);
  if (orientations() < 2) {
    ASSERT_TRUE(base->OnPaneKey(kPaneKeyDown, 0));
  }
  ASSERT_EQ(orientations(), 2u);
  EXPECT_EQ(GetAugmentationPreviewText(*augmentation), "Augmentation Preview\nOrientation 1 of 2");
  ASSERT_TRUE(base->OnPaneKey(kPaneKeyRight, 0));
  EXPECT_EQ(current(), 1u);
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionElementOn, 0));
  EXPECT_EQ(current(), 0u);
  ASSERT_TRUE(base->OnPaneKey(kPaneKeyLeft, 0));
  EXPECT_EQ(current(), 1u);
  ASSERT_TRUE(base->OnPaneKey(kPaneKeyEscape, 0));
  EXPECT_EQ(augmentation->mView, nullptr);
  EXPECT_EQ(base->Buttons().GetNumButtons(), 2);
  EXPECT_EQ(GetCurrentPoly()->mVertices.mCount, 10);
}

TEST_F(PaneActionsTest, DragsSetThePreviewsHeightAndExplosion) {
  Open("Pentagonal Prism");
  CPolyView* base = AddPane(kViewBasePolyhedron);
  SelectFirst(4);
  QueueDialog(kAugmentPyramid | kPyramidEqualEdges | kAugmentAlwaysPreview);
  base->OnAugmentPolyhedron();
  Augmentation* augmentation = GetAugmentation(GetCurrentPoly());
  ASSERT_EQ(augmentation->mView, base);
  auto drag = [base](int button, int dy) {
    base->OnButtonDown(button, 100, 100, 0);
    base->OnMouseMove(100, 100 - dy, 0);
    base->OnButtonUp(button, 100, 100 - dy, 0);
  };
  // Left up by 50 pixels raises the pyramid by half its height; right explodes it, and
  // back down unexplodes it, no further than where it started.
  const double made = augmentation->mHeight;
  drag(kMouseButtonLeft, 50);
  EXPECT_NEAR(augmentation->mHeight, 1.5 * made, 1e-12);
  drag(kMouseButtonRight, 20);
  EXPECT_GT(augmentation->mExplode, 0.0);
  drag(kMouseButtonRight, -40);
  EXPECT_EQ(augmentation->mExplode, 0.0);
  ASSERT_TRUE(base->OnPaneKey(kPaneKeyReturn, 0));
  // The apex, the vertex among triangles only, stands 1.5 times the height of the
  // pyramid of equal edges (the edge over the square root of 2) above the square.
  const Poly* poly = GetCurrentPoly();
  ASSERT_EQ(poly->mVertices.mCount, 11);
  int apexes = 0;
  for (const PolyElement* v = poly->mVertices.mHead; v; v = v->mNext) {
    bool triangles = true;
    for (int i = 0; i < v->mNumSides; ++i) triangles = triangles && v->GetCorner(i)->mNumSides == 3;
    if (!triangles) continue;
    ++apexes;
    // Two corners of a triangle at the apex make an edge of the square; its four
    // triangles' far corners are the square's corners.
    double centre[3] = {0.0, 0.0, 0.0}, side[3];
    const PolyElement* triangle = v->GetCorner(0);
    std::vector<const PolyElement*> corners;
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 3; ++j) {
        const PolyElement* c = v->GetCorner(i)->GetCorner(j);
        if (c != v && std::find(corners.begin(), corners.end(), c) == corners.end()) corners.push_back(c);
      }
    }
    ASSERT_EQ(corners.size(), 4u);
    for (const PolyElement* c : corners) {
      for (int k = 0; k < 3; ++k) centre[k] += c->mDualVert[k] / 4.0;
    }
    std::vector<const double*> ends;
    for (int j = 0; j < 3; ++j) {
      if (triangle->GetCorner(j) != v) ends.push_back(triangle->GetCorner(j)->mDualVert);
    }
    Subtract(side, ends[0], ends[1]);
    double up[3];
    Subtract(up, v->mDualVert, centre);
    EXPECT_NEAR(std::sqrt(Dot(up, up) / Dot(side, side)), 1.5 * std::sqrt(0.5), 1e-9);
  }
  EXPECT_EQ(apexes, 1);
}

TEST(PaneKeys, TheKeysOfTheCommandTableNameTheirCommands) {
  EXPECT_EQ(FindCommandOfKey(0, 'S'), 32850);
  EXPECT_EQ(FindCommandOfKey(kAccelShift, 'C'), 32879);
  EXPECT_EQ(FindCommandOfKey(kAccelCtrl | kAccelShift, 'C'), 33114);
  EXPECT_EQ(FindCommandOfKey(kAccelCtrl, kKeyRight), 32792);
  EXPECT_EQ(FindCommandOfKey(kAccelCtrl, '3'), 32828);
  // Esc is shown beside a stereo item but belongs to the selection mode.
  EXPECT_EQ(FindCommandOfKey(0, kKeyEscape), 32937);
  EXPECT_EQ(FindCommandOfKey(0, 'Q'), 0);
  EXPECT_EQ(FindCommandOfKey(kAccelAlt, 'S'), 0);
}

}  // namespace test_PaneActions
