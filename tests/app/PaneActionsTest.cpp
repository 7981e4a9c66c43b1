// The panes' own controls on a document whose panes are off screen: the caption
// buttons and the keys of the stellation, faceting, element, net and augmentation
// panes, making the shown model the base model, and the keys that reach commands.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "app/PolyView.h"
#include "construction/Augmentation.h"
#include "construction/LibraryEntry.h"
#include "core/BigUInt.h"
#include "core/DrawnPolygon.h"
#include "core/PolygonRing.h"
#include "core/VectorMath.h"
#include "dialogs/AugmentDlg.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "stellation/FaceTypeBlock.h"
#include "stellation/Faceting.h"
#include "stellation/StellationCell.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/MenuOptionsScope.h"
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

  static double Distance(const double* a, const double* b) {
    double d[3];
    Subtract(d, a, b);
    return std::sqrt(Dot(d, d));
  }
  static bool HasButton(const CPolyView* pane, int action) {
    for (int i = 0; i < pane->GetNumButtons(); ++i) {
      if (pane->GetButton(i).command == action) return true;
    }
    return false;
  }

  corvia::testing::MenuOptionsScope mOptions;
};

TEST_F(PaneActionsTest, StellationButtonsAndKeysStepTheCellsOfThePanesSide) {
  Open("3.3.3.3.3");
  CPolyView* pane = AddPane(kViewStellationOfBase);
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  ASSERT_TRUE(pane->OnCaptionButton(0, kCaptionNextStellation, 0));
  ASSERT_TRUE(block->IsStellated());
  const std::vector<bool> first = IncludedCells(block);
  ASSERT_TRUE(pane->OnPaneKey(kPaneKeyUp, 0));
  const std::vector<bool> second = IncludedCells(block);
  EXPECT_NE(second, first);
  ASSERT_TRUE(pane->OnPaneKey(kPaneKeyDown, 0));
  EXPECT_EQ(IncludedCells(block), first);
  ASSERT_TRUE(pane->OnCaptionButton(0, kCaptionPreviousStellation, 0));
  EXPECT_NE(IncludedCells(block), first);
  // Ctrl+End: the final valid stellation, every cell but the outermost; Ctrl+Home the
  // core again.
  ASSERT_TRUE(pane->OnPaneKey(kPaneKeyEnd, kModifierCtrl));
  const std::vector<bool> final = IncludedCells(block);
  ASSERT_TRUE(pane->OnPaneKey(kPaneKeyHome, kModifierCtrl));
  const std::vector<bool> core = IncludedCells(block);
  EXPECT_LT(std::count(core.begin(), core.end(), true), std::count(final.begin(), final.end(), true));
  // Shift with an arrow is not the pane's: it goes on to the commands.
  EXPECT_FALSE(pane->OnPaneKey(kPaneKeyUp, kModifierShift));

  // The dual's stellation pane steps the dual's cells, whatever side was shown.
  CPolyView* dual = AddPane(kViewStellationOfDual);
  GetCurrentPoly()->SetShowDual(false);
  ASSERT_TRUE(dual->OnCaptionButton(0, kCaptionNextStellation, 0));
  EXPECT_TRUE(GetCurrentPoly()->mDualBlock->IsStellated());
  EXPECT_TRUE(GetCurrentPoly()->mShowDual);
}

TEST_F(PaneActionsTest, FacetingKeysAndButtonsStepThroughTheCubesFacetings) {
  Open("4.4.4");
  CPolyView* preview = AddPane(kViewFacetingPreview);
  CPolyView* diagram = AddPane(kViewFacetingDiagram);
  EXPECT_TRUE(HasButton(preview, kCaptionFacetingOn));
  EXPECT_TRUE(HasButton(diagram, kCaptionFacetingBack));
  EXPECT_EQ(GetFacetingPreviewText(GetCurrentPoly()).rfind("No facets have been defined yet.\n", 0), 0u);
  GetFacetingSettings().criteria = kFacetingTidy;
  Faceting* faceting = GetCurrentFaceting();
  ASSERT_NE(faceting, nullptr);
  // The cube has two tidy facetings: itself and the stella octangula. Up finds each in
  // turn, a third step finds none, and the next one starts again.
  std::set<std::string> found;
  for (int step = 0; step < 2; ++step) {
    ASSERT_TRUE(step == 0 ? preview->OnPaneKey(kPaneKeyUp, 0) : diagram->OnCaptionButton(0, kCaptionFacetingOn, 0));
    ASSERT_NE(faceting->GetFirstFacetInFaceting(), nullptr);
    EXPECT_EQ(faceting->mNumOpenEdges, 0);
    char text[256];
    faceting->GetCurrentFacetsText(text, sizeof text);
    found.insert(text);
    // Every facet is one drawn polygon, and the preview shows the faceting whole.
    EXPECT_EQ(CountFinishedPolygons(GetCurrentPoly()), faceting->mFacetsInFaceting);
    UpdateFacetPreview(GetCurrentPoly());
    EXPECT_GT(GetCurrentPoly()->mFacetPreview->model->NumFaces(), 0);
  }
  EXPECT_EQ(found.size(), 2u);
  ASSERT_TRUE(preview->OnPaneKey(kPaneKeyUp, 0));
  EXPECT_EQ(faceting->GetFirstFacetInFaceting(), nullptr);
  EXPECT_EQ(CountFinishedPolygons(GetCurrentPoly()), 0);
  // Home shows the model's own faces, one polygon per face type; Ctrl+Home the first
  // faceting.
  ASSERT_TRUE(preview->OnPaneKey(kPaneKeyHome, 0));
  EXPECT_EQ(CountFinishedPolygons(GetCurrentPoly()), 1);
  ASSERT_TRUE(preview->OnPaneKey(kPaneKeyHome, kModifierCtrl));
  EXPECT_NE(faceting->GetFirstFacetInFaceting(), nullptr);
  // Left and Right are not the faceting panes'.
  EXPECT_FALSE(preview->OnPaneKey(kPaneKeyLeft, 0));
}

TEST_F(PaneActionsTest, TheFacetingButtonsFinishTakeBackAndClearTheDrawnFacets) {
  Open("4.4.4");
  CPolyView* base = AddPane(kViewBasePolyhedron);
  SetMouseSelectionMode(kSelectFaceting);
  for (int action : {kCaptionCancel, kCaptionAccept, kCaptionTakeBack, kCaptionLeaveMode}) {
    EXPECT_TRUE(HasButton(base, action)) << action;
  }
  Poly* poly = GetCurrentPoly();
  const PolyElement* face = poly->mFaces.mHead;
  for (int i = 0; i < face->mNumSides; ++i) poly->AddFacetVertex(face->GetCorner(i)->mDualVert);
  ASSERT_EQ(CountDrawnCorners(poly->mCurrentDrawnPolygon), 4);
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionTakeBack, 0));
  EXPECT_EQ(CountDrawnCorners(poly->mCurrentDrawnPolygon), 3);
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionAccept, 0));
  EXPECT_EQ(CountFinishedPolygons(poly), 1);
  EXPECT_EQ(CountDrawnCorners(poly->mCurrentDrawnPolygon), 0);
  // Accepting with nothing being drawn adds nothing.
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionAccept, 0));
  EXPECT_EQ(CountFinishedPolygons(poly), 1);
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionCancel, 0));
  EXPECT_EQ(CountFinishedPolygons(poly), 0);
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionLeaveMode, 0));
  EXPECT_EQ(GetPaneSelectionMode(), kSelectFacesVertices);
  EXPECT_FALSE(HasButton(base, kCaptionTakeBack));
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
  // The dodecahedron's vertices are all of one type.
  Open("5.5.5");
  figure->Activate(false);
  ASSERT_TRUE(figure->OnCaptionButton(0, kCaptionElementOn, 0));
  EXPECT_EQ(Platform().views.mPaneMessage, "There is only one type of vertex");
  // A message the pane shows goes with the next action.
  NewView::SetMessage(figure, "%s", "Earlier news");
  ASSERT_TRUE(figure->OnCaptionButton(0, kCaptionNextModel, 0));
  EXPECT_EQ(figure->GetMessage(), nullptr);
}

TEST_F(PaneActionsTest, TheStellationPanesButtonMakesItsModelTheBaseModel) {
  Open("3.3.3.3.3");
  corvia::testing::StellateCurrentBase(2);
  CPolyView* pane = AddPane(kViewStellationOfBase);
  ASSERT_TRUE(HasButton(pane, kCaptionMakeBase));
  ASSERT_TRUE(pane->OnCaptionButton(0, kCaptionMakeBase, 0));
  Poly* poly = GetCurrentPoly();
  ASSERT_NE(poly->mName, nullptr);
  EXPECT_EQ(std::string(poly->mName).rfind("Stellated ", 0), 0u) << poly->mName;
  // The new model is the stellation's solid, unstellated: its faces are the visible
  // pieces of the icosahedron's planes, no longer its 20 triangles.
  EXPECT_NE(poly->mFaces.mCount, 20);
  EXPECT_TRUE(FaceTypeBlock::IsOriginalStellation(poly->mBaseBlock.get()));
}

TEST_F(PaneActionsTest, TheAugmentationPreviewStepsAcceptsAndCancels) {
  Open("Pentagonal Prism");
  Poly* poly = GetCurrentPoly();
  CPolyView* face = AddPane(kViewFace);
  CPolyView* base = AddPane(kViewBasePolyhedron);
  PolyElement* square = nullptr;
  for (PolyElement* f = poly->mFaces.mHead; f && !square; f = f->mNext) {
    if (f->mNumSides == 4) square = f;
  }
  ASSERT_NE(square, nullptr);
  poly->SelectFace(square, false);

  // Asked from a face pane, the preview goes to the pane of the base model.
  auto queue = [](uint32_t options) {
    Platform().dialogs.Queue<AugmentDlg>([options](AugmentDlg& d) {
      d.mOptions = options;
      d.mScale = 1.0;
      return true;
    });
  };
  queue(kAugmentPyramid | kPyramidEqualEdges | kAugmentAlwaysPreview);
  face->OnAugmentPolyhedron();
  Augmentation* augmentation = poly->GetAugmentation();
  ASSERT_EQ(augmentation->mView, base);
  EXPECT_TRUE(HasButton(base, kCaptionMatchOn));
  EXPECT_FALSE(HasButton(face, kCaptionMatchOn));
  EXPECT_EQ(GetAugmentationPreviewText(*augmentation), "Augmentation Preview\nOrientation 1 of 1");
  // The one orientation and the one matching face say so, in place of the help.
  ASSERT_NE(base->GetMessage(), nullptr);
  ASSERT_TRUE(base->OnPaneKey(kPaneKeyRight, 0));
  EXPECT_EQ(base->GetMessage(), nullptr);
  EXPECT_EQ(Platform().views.mPaneMessage, "There is only one orientation");
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionMatchOn, 0));
  EXPECT_EQ(Platform().views.mPaneMessage, "There is only one matching face\nin the model being added");
  // Esc cancels: the model stays, the buttons come back.
  ASSERT_TRUE(base->OnPaneKey(kPaneKeyEscape, 0));
  EXPECT_EQ(augmentation->mView, nullptr);
  EXPECT_FALSE(HasButton(base, kCaptionMatchOn));
  EXPECT_EQ(GetCurrentPoly()->mVertices.mCount, 10);

  // Enter accepts: a square pyramid on a square gives the augmented pentagonal prism
  // (J52). A left drag up by 50 pixels first raises the pyramid by half its height; a
  // right drag explodes it and dragging back unexplodes it.
  poly->SelectFace(square, false);
  queue(kAugmentPyramid | kPyramidEqualEdges | kAugmentAlwaysPreview);
  base->OnAugmentPolyhedron();
  ASSERT_EQ(GetCurrentPoly()->GetAugmentation()->mView, base);
  auto drag = [base](int button, int dy) {
    base->OnButtonDown(button, 100, 100, 0);
    base->OnMouseMove(100, 100 - dy, 0);
    base->OnButtonUp(button, 100, 100 - dy, 0);
  };
  const double made = augmentation->mHeight;
  drag(kMouseButtonLeft, 50);
  EXPECT_NEAR(augmentation->mHeight, 1.5 * made, 1e-12);
  drag(kMouseButtonRight, 20);
  EXPECT_GT(augmentation->mExplode, 0.0);
  drag(kMouseButtonRight, -40);
  EXPECT_EQ(augmentation->mExplode, 0.0);
  ASSERT_TRUE(base->OnPaneKey(kPaneKeyReturn, 0));
  poly = GetCurrentPoly();
  EXPECT_EQ(poly->mVertices.mCount, 11);
  EXPECT_EQ(poly->mFaces.mCount, 10);
  EXPECT_EQ(poly->mNumEdges, 19);
  EXPECT_EQ(poly->GetAugmentation()->mView, nullptr);
  // The apex (the vertex among triangles only) stands 1.5 times the height of a pyramid
  // of equal edges, sqrt(1/2) of the edge, above the square's centre.
  const PolyElement* apex = nullptr;
  for (const PolyElement* v = poly->mVertices.mHead; v; v = v->mNext) {
    bool triangles = true;
    for (int i = 0; i < v->mNumSides; ++i) triangles = triangles && v->GetCorner(i)->mNumSides == 3;
    if (triangles) apex = v;
  }
  ASSERT_NE(apex, nullptr);
  ASSERT_EQ(apex->mNumSides, 4);
  std::vector<const double*> corners;
  for (int i = 0; i < 4; ++i) {
    const PolyElement* triangle = apex->GetCorner(i);
    for (int j = 0; j < 3; ++j) {
      const double* p = triangle->GetCorner(j)->mDualVert;
      if (triangle->GetCorner(j) == apex) continue;
      bool known = false;
      for (const double* q : corners) known = known || NearlyEqual(p, q, 1e-9);
      if (!known) corners.push_back(p);
    }
  }
  ASSERT_EQ(corners.size(), 4u);
  double centre[3] = {0.0, 0.0, 0.0};
  for (const double* p : corners) {
    for (int k = 0; k < 3; ++k) centre[k] += p[k] / 4.0;
  }
  double edge = 1e300;
  for (size_t i = 1; i < corners.size(); ++i) edge = std::min(edge, Distance(corners[0], corners[i]));
  EXPECT_NEAR(Distance(apex->mDualVert, centre) / edge, 1.5 * std::sqrt(0.5), 1e-9);

  // Without a preview asked for, one orientation is applied at once: a pentagonal
  // pyramid on a pentagon adds its apex and five triangles.
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
    if (f->mNumSides == 5) {
      poly->SelectFace(f, false);
      break;
    }
  }
  queue(kAugmentPyramid | kPyramidEqualEdges);
  base->OnAugmentPolyhedron();
  EXPECT_EQ(GetCurrentPoly()->mVertices.mCount, 12);
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 14);
  EXPECT_EQ(GetCurrentPoly()->GetAugmentation()->mView, nullptr);
}

TEST_F(PaneActionsTest, TheArrowKeysStepTheAddedModelsFacesAndOrientations) {
  // The elongated square pyramid on a square of the pentagonal prism: two kinds of
  // square to attach it by (its base and its sides), and a side, which has no turn of
  // its own, in two orientations that the square's half turn does not make one.
  Open("Pentagonal Prism");
  Poly* poly = GetCurrentPoly();
  CPolyView* base = AddPane(kViewBasePolyhedron);
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
    if (f->mNumSides == 4) {
      poly->SelectFace(f, false);
      break;
    }
  }
  LibraryEntry* j8 = Find("J8");
  ASSERT_NE(j8, nullptr);
  Platform().dialogs.Queue<AugmentDlg>([j8](AugmentDlg& d) {
    d.mOptions = kAugmentBuiltIn | kAugmentAlwaysPreview;
    d.mEntry = j8;
    return true;
  });
  base->OnAugmentPolyhedron();
  Augmentation* augmentation = poly->GetAugmentation();
  ASSERT_EQ(augmentation->mView, base);
  ASSERT_EQ(augmentation->CountMatchingFaces(), 2);
  BigUInt count, index;
  auto orientations = [&] {
    augmentation->GetOrientationCounts(count);
    return count.Word(0);
  };
  auto current = [&] {
    augmentation->GetOrientationIndices(index);
    return index.Word(0);
  };
  // Up and Down step the matching face; the side square is the one with two
  // orientations, which Right and Left step, as do the element buttons.
  const int first = augmentation->GetCurrentMatch()->face;
  ASSERT_TRUE(base->OnPaneKey(kPaneKeyUp, 0));
  const int second = augmentation->GetCurrentMatch()->face;
  EXPECT_NE(second, first);
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
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionMatchBack, 0));
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionMatchOn, 0));
  // The cancel button ends the preview and leaves the model as it was.
  ASSERT_TRUE(base->OnCaptionButton(0, kCaptionCancel, 0));
  EXPECT_EQ(augmentation->mView, nullptr);
  EXPECT_EQ(GetCurrentPoly()->mVertices.mCount, 10);
}

TEST(PaneKeys, TheKeysOfTheCommandTableNameTheirCommands) {
  EXPECT_EQ(FindCommandOfKey(0, 'S'), 32850);
  EXPECT_EQ(FindCommandOfKey(0, 'R'), 33074);
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
