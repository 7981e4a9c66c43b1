// The panes' own controls in the running program, used as a person uses them: caption
// buttons clicked where the caption draws them, keys pressed to the pane that has the
// focus. The stellation steps, the single-key commands, the dodecahedron's facetings
// shown in its faceting panes, a facet drawn by clicking the cube's corners, the
// pentagonal prism augmented through the dialog and its preview (and undone), the model
// a pane shows made the base model; every caption action of every pane handled; and the
// questions these roads ask (Save As over a file, nets too large to print, a half-made
// facet) dismissed with Escape or the close button, changing nothing.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/msgdlg.h>
#include <wx/odcombo.h>
#include <wx/print.h>
#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/ViewType.h"
#include "app/WindowServices.h"
#include "construction/Augmentation.h"
#include "core/DrawnPolygon.h"
#include "core/Globals.h"
#include "core/PolygonRing.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "dialogs/AugmentDlg.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/TransitionSettings.h"
#include "nets/Edge3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "platform/Services.h"
#include "render/ModelDrawSettings.h"
#include "render/NewView.h"
#include "render/PaneFrame.h"
#include "render/ViewGroup.h"
#include "stellation/FacetPreview.h"
#include "stellation/Faceting.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "symmetry/SimplePoly.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/MenuOptionsScope.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"
#include "ui/InfoBar.h"
#include "ui/InfoContents.h"
#include "ui/MainFrame.h"
#include "ui/PaneWindow.h"
#include "ui/Toolbars.h"

namespace test_PaneControls {

using namespace corvia;
using corvia::testing::CountDrawnCorners;
using corvia::testing::CountFinishedPolygons;
using corvia::testing::IncludedCells;
using corvia::testing::Platform;
using corvia::testing::YieldUntil;

constexpr int kCmdFacetingMode = 32940;
constexpr int kCmdMillersRules = 32819;
constexpr int kCmdAugment = 33008;

class PaneControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The scripted colour chooser answers in place of the program's.
    mScripted = SetColorChooser(nullptr);
    SetColorChooser(mScripted);
    mProgram = std::make_unique<corvia::testing::RunningProgram>("pane-controls-home");
    mFrame = mProgram->Frame();
    ASSERT_NE(mFrame, nullptr);
    mProgramChooser = SetColorChooser(mScripted);
    platform::ServiceSet services = platform::Services();
    services.messages = &Platform().messages;
    services.dialogs = &Platform().dialogs;
    platform::InstallServices(services);
    YieldUntil([] { return GetPane(1) && GetPane(1)->GetWindow(); });
    ASSERT_TRUE(mFrame->IsShownOnScreen());
    YieldUntil([] { return Doc()->CountRecords() == 1 && !GetCurrentPoly()->IsTransitionRunning(); });
    SetTransitionsEnabled(false);
  }

  void TearDown() override {
    SetMouseSelectionMode(kSelectFacesVertices);
    SetTransitionsEnabled(true);
    SetColorChooser(mProgramChooser);
    mProgram.reset();
    SetColorChooser(mScripted);
    EXPECT_EQ(Platform().messages.CountTitled("Internal Error"), 0);
    Platform().messages.Clear();
  }

  static CPolyDoc* Doc() { return CPolyApp::Get().GetDoc(); }
  static PaneWindow* WindowOf(CPolyView* pane) { return static_cast<PaneWindow*>(pane->GetWindow()); }

  static void Open(const char* name) {
    ASSERT_TRUE(Doc()->OpenModelByNameOrSymbol(name)) << name;
    YieldUntil([] { return Doc()->CountRecords() == 1; });
  }

  // Shows the type in the pane, painted.
  static CPolyView* Show(int index, ViewType type) {
    CPolyView* pane = GetPane(index);
    EXPECT_TRUE(pane->SetViewType(type, false));
    pane->Invalidate(true);
    pane->UpdateNow();
    return pane;
  }

  // Moves the pointer to the point of the window and clicks there, then waits for the
  // effect.
  static void ClickAt(wxWindow* window, const wxPoint& point, const std::function<bool()>& done) {
    const wxPoint target = window->ClientToScreen(point);
    wxUIActionSimulator mouse;
    mouse.MouseMove(target);
    YieldUntil([&] { return wxGetMousePosition() == target; });
    mouse.MouseClick();
    YieldUntil([&] { return NewView::GetMouseButtonsHeld() == 0 && done(); });
  }

  // Clicks the pane's caption button of the action in the middle of its rectangle.
  static void ClickCaptionButton(CPolyView* pane, int action, const std::function<bool()>& done) {
    int index = -1;
    for (int i = 0; i < pane->Buttons().GetNumButtons() && index < 0; ++i) {
      if (pane->Buttons().GetButton(i).command == action) index = i;
    }
    ASSERT_GE(index, 0) << "no button of action " << action;
    PixelRect r;
    ASSERT_TRUE(pane->Buttons().GetButtonRect(index, r));
    ClickAt(WindowOf(pane)->GetCaptionStrip(), wxPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2), done);
  }

  // Poly > Augment Polyhedron... with a pyramid on the square facing the eye, always
  // previewed.
  void StartPyramidPreview(CPolyView* pane) {
    GetCurrentPoly()->SelectFace(FrontFace(pane, 4), false);
    Platform().dialogs.Queue<AugmentDlg>([](AugmentDlg& d) {
      d.mOptions = kAugmentPyramid | kPyramidEqualEdges | kAugmentAlwaysPreview;
      return true;
    });
    corvia::testing::PostMenuCommand(mFrame, kCmdAugment);
  }

  // A click on the model point as the pane's camera shows it.
  static void ClickOnModel(CPolyView* pane, const double* point, const std::function<bool()>& done) {
    double p[3], window[3];
    Scale(p, point, GetCurrentPoly()->mDisplayScale);
    pane->ApplyViewTransform(window, p);
    ClickAt(WindowOf(pane)->GetCanvas(),
            wxPoint(static_cast<int>(std::lround(window[0])), static_cast<int>(std::lround(window[1]))), done);
  }

  // The cube in Faceting Mode, its base in the first pane and the view type in the
  // second: a click near each of the first corners of the square facing the eye,
  // inside it, adds that corner to the facet drawn. Returns the base pane.
  CPolyView* DrawOnTheCube(ViewType second, int corners) {
    Open("4.4.4");
    CPolyView* base = Show(0, kViewBasePolyhedron);
    Show(1, second);
    corvia::testing::PostMenuCommand(mFrame, kCmdFacetingMode);
    const Poly* poly = GetCurrentPoly();
    const PolyElement* face = FrontFace(base, 4);
    for (int i = 0; face && i < corners; ++i) {
      double p[3];
      for (int k = 0; k < 3; ++k) p[k] = face->GetCorner(i)->mDualVert[k] * 0.97 + face->mCentre[k] * 0.03;
      ClickOnModel(base, p, [&] { return CountDrawnCorners(poly->mCurrentDrawnPolygon) == i + 1; });
    }
    return base;
  }

  // Gives the pane the keyboard, presses the key, and waits for the effect.
  static void PressKey(CPolyView* pane, int key, int modifiers, const std::function<bool()>& done) {
    wxGLCanvas* canvas = WindowOf(pane)->GetCanvas();
    canvas->SetFocus();
    YieldUntil([&] { return wxWindow::FindFocus() == canvas; });
    wxUIActionSimulator keys;
    keys.Char(key, modifiers);
    YieldUntil(done);
  }

  // The face that faces the pane's eye most.
  static PolyElement* FrontFace(const CPolyView* pane, int sides) {
    PolyElement* best = nullptr;
    double most = -1e300;
    for (PolyElement* f = GetCurrentPoly()->mFaces.mHead; f; f = f->mNext) {
      const double facing = Dot(f->mCentre, pane->Camera().GetEye());
      if (f->mNumSides == sides && facing > most) most = facing, best = f;
    }
    return best;
  }

  // The pixels within the distance of the window point that differ between two
  // pictures of the pane.
  static int CountChanged(const wxImage& a, const wxImage& b, const double* centre, int reach) {
    int changed = 0;
    for (int y = std::max(0, int(centre[1]) - reach); y < std::min(a.GetHeight(), int(centre[1]) + reach); ++y) {
      for (int x = std::max(0, int(centre[0]) - reach); x < std::min(a.GetWidth(), int(centre[0]) + reach); ++x) {
        changed += a.GetRed(x, y) != b.GetRed(x, y) || a.GetGreen(x, y) != b.GetGreen(x, y) ||
                   a.GetBlue(x, y) != b.GetBlue(x, y);
      }
    }
    return changed;
  }

  static int CountDrawnPixels(CPolyView* pane) {
    const wxImage image = corvia::testing::ScreenPixels(WindowOf(pane)->GetCanvas());
    const float* bg = pane->GetBackgroundColor();
    int drawn = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
      for (int x = 0; x < image.GetWidth(); ++x) {
        const int d = std::abs(image.GetRed(x, y) - int(bg[0] * 255)) +
                      std::abs(image.GetGreen(x, y) - int(bg[1] * 255)) +
                      std::abs(image.GetBlue(x, y) - int(bg[2] * 255));
        drawn += d > 24;
      }
    }
    return drawn;
  }

  static bool HasDrawnFacets(const Poly* poly) {
    return CountFinishedPolygons(poly) > 0 || CountDrawnCorners(poly->mCurrentDrawnPolygon) > 0;
  }
  static std::string FacetsText() {
    char text[512];
    GetCurrentFaceting()->GetCurrentFacetsText(text, sizeof text);
    return text;
  }

  corvia::testing::MenuOptionsScope mOptions;
  std::unique_ptr<corvia::testing::RunningProgram> mProgram;
  wxFrame* mFrame = nullptr;
  ColorChooserFunction mScripted = nullptr;
  ColorChooserFunction mProgramChooser = nullptr;
};

TEST_F(PaneControlsTest, CaptionButtonsAndArrowsStepTheStellationAndTheModel) {
  CPolyView* stellation = Show(1, kViewStellationOfBase);
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  ClickCaptionButton(stellation, kCaptionNextStellation,
                     [&] { return block->IsStellated() && !FaceTypeBlock::IsOriginalStellation(block); });
  ASSERT_FALSE(FaceTypeBlock::IsOriginalStellation(block));
  const std::vector<bool> first = IncludedCells(block);
  PressKey(stellation, WXK_UP, wxMOD_NONE, [&] { return IncludedCells(block) != first; });
  const std::vector<bool> second = IncludedCells(block);
  EXPECT_NE(second, first);
  EXPECT_GT(std::count(second.begin(), second.end(), true), std::count(first.begin(), first.end(), true));
  PressKey(stellation, WXK_DOWN, wxMOD_NONE, [&] { return IncludedCells(block) == first; });
  EXPECT_EQ(IncludedCells(block), first);

  // The model pane's next-model button: the next model of the library.
  const std::string before = GetPolyName(false, false);
  ClickCaptionButton(GetPane(0), kCaptionNextModel, [&] { return GetPolyName(false, false) != before; });
  EXPECT_NE(GetPolyName(false, false), before);
}

// Under Miller's rules (chosen from the menu) Down steps back through the stellations
// that Up passed, and the pane says where each stands among the 59, in its message and
// its title: Ctrl+End shows the complete stellation (W42, eleventh in the depth-first
// order of the search), Ctrl+Home the core.
TEST_F(PaneControlsTest, UnderMillersRulesDownRetracesUp) {
  struct KeptCriteria {
    int32_t criteria = StellationCriteria;
    ~KeptCriteria() { SetStellationCriteria(criteria); }
  } kept;
  corvia::testing::PostMenuCommand(mFrame, kCmdMillersRules);
  ASSERT_EQ(StellationCriteria, kCriteriaMiller);
  CPolyView* stellation = Show(1, kViewStellationOfBase);
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  ASSERT_FALSE(Stellate(GetCurrentPoly(), block, false).told());
  ASSERT_NE(block->mFirstCell, nullptr);
  // The pane is clicked (away from the model) to take the keys and the messages.
  wxGLCanvas* canvas = WindowOf(stellation)->GetCanvas();
  ClickAt(canvas, wxPoint(8, canvas->GetClientSize().y - 8),
          [&] { return CPolyView::AsPolyView(NewView::GetActiveView()) == stellation; });
  auto titled = [&](const std::string& words) { return stellation->GetTitle().rfind(words, 0) == 0; };
  auto told = [&](const std::string& words) {
    return stellation->GetMessage() && std::string(stellation->GetMessage()).rfind(words, 0) == 0;
  };
  std::vector<std::vector<bool>> sets = {IncludedCells(block)};
  for (int step = 1; step <= 3; ++step) {
    PressKey(stellation, WXK_UP, wxMOD_NONE, [&] { return IncludedCells(block) != sets.back(); });
    sets.push_back(IncludedCells(block));
    ASSERT_NE(sets.back(), sets[sets.size() - 2]) << step;
  }
  EXPECT_TRUE(titled("Stellation 4 of 59 ")) << stellation->GetTitle();
  for (int step = 2; step >= 0; --step) {
    const std::vector<bool>& back = sets[static_cast<size_t>(step)];
    PressKey(stellation, WXK_DOWN, wxMOD_NONE, [&] { return IncludedCells(block) == back; });
    EXPECT_EQ(IncludedCells(block), back) << step;
    EXPECT_TRUE(told("Stellation " + std::to_string(step + 1) + " of 59")) << stellation->GetMessage();
    // The title says what the pane says, also of the icosahedron itself, the core
    // (whose title once named no place).
    ASSERT_NE(stellation->GetMessage(), nullptr);
    EXPECT_TRUE(titled(std::string(stellation->GetMessage()) + " of Icosahedron (3.3.3.3.3)"))
        << stellation->GetTitle() << " / " << stellation->GetMessage();
  }
  PressKey(stellation, WXK_END, wxMOD_CONTROL, [&] { return block->mIncludedCells == block->GetNumCells(); });
  EXPECT_NE(stellation->GetTitle().find(" of 59 (W42) "), std::string::npos) << stellation->GetTitle();
  EXPECT_TRUE(told("Stellation 11 of 59 (W42)")) << stellation->GetMessage();
  PressKey(stellation, WXK_HOME, wxMOD_CONTROL, [&] { return IncludedCells(block) == sets[0]; });
  EXPECT_TRUE(told("Stellation 1 of 59")) << stellation->GetMessage();
}

// The stellation pane's title names the stellation it shows after every step, whichever
// road the step takes: Stellation > Next before the pane is opened, Up in the pane round
// the end of the walk, a change of criteria, Ctrl+End and Stellation > Original
// Polyhedron (the title once kept the text of an earlier step).
TEST_F(PaneControlsTest, TheStellationTitleNamesTheStellationShownAfterEveryStep) {
  constexpr int kCmdNextStellation = 32815;
  constexpr int kCmdMainline = 32817;
  struct KeptCriteria {
    int32_t criteria = StellationCriteria;
    ~KeptCriteria() { SetStellationCriteria(criteria); }
  } kept;
  corvia::testing::PostMenuCommand(mFrame, kCmdMainline);
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  for (int step = 0; step < 4; ++step) {
    const std::vector<bool> before = IncludedCells(block);
    corvia::testing::PostMenuCommand(mFrame, kCmdNextStellation);
    YieldUntil([&] { return IncludedCells(block) != before; });
  }
  CPolyView* stellation = Show(1, kViewStellationOfBase);
  const std::string model = " of Icosahedron (3.3.3.3.3)";
  EXPECT_EQ(stellation->GetTitle(), "Stellation 5 of 8" + model);
  wxGLCanvas* canvas = WindowOf(stellation)->GetCanvas();
  ClickAt(canvas, wxPoint(8, canvas->GetClientSize().y - 8),
          [&] { return CPolyView::AsPolyView(NewView::GetActiveView()) == stellation; });
  for (const std::string& title :
       {"Stellation 6 of 8 (W27)" + model, "Stellation 7 of 8 (W41)" + model, "Stellation 8 of 8 (W42)" + model,
        "Stellation 1 of 8" + model + ", W4, p17", "Stellation 2 of 8 (W26)" + model}) {
    const std::vector<bool> before = IncludedCells(block);
    PressKey(stellation, WXK_UP, wxMOD_NONE, [&] { return IncludedCells(block) != before; });
    EXPECT_EQ(stellation->GetTitle(), title);
  }
  corvia::testing::PostMenuCommand(mFrame, kCmdMillersRules);
  ASSERT_EQ(StellationCriteria, kCriteriaMiller);
  EXPECT_EQ(stellation->GetTitle(), "Stellation 2 of 59 (W26)" + model);
  PressKey(stellation, WXK_END, wxMOD_CONTROL, [&] { return block->mIncludedCells == block->GetNumCells(); });
  EXPECT_EQ(stellation->GetTitle(), "Stellation 11 of 59 (W42)" + model);
  corvia::testing::PostMenuCommand(mFrame, kCmdOriginalStellation);
  ASSERT_TRUE(FaceTypeBlock::IsOriginalStellation(block));
  EXPECT_EQ(stellation->GetTitle(), "Stellation 1 of 59" + model + ", W4, p17");
}

TEST_F(PaneControlsTest, SingleKeysReachTheirCommandsFromTheFocusedPane) {
  CPolyView* pane = Show(0, kViewBasePolyhedron);
  PressKey(pane, 's', wxMOD_NONE, [&] { return pane->mShowSymmetryAxes; });
  EXPECT_TRUE(pane->mShowSymmetryAxes);
  PressKey(pane, 'r', wxMOD_NONE, [&] { return pane->mShowReflectionPlanes; });
  EXPECT_TRUE(pane->mShowReflectionPlanes);
  PressKey(pane, 's', wxMOD_NONE, [&] { return !pane->mShowSymmetryAxes; });
  EXPECT_FALSE(pane->mShowSymmetryAxes);
  // Shift+C colours the selected face's type.
  Poly* poly = GetCurrentPoly();
  PolyElement* face = FrontFace(pane, 3);
  ClickOnModel(pane, face->mCentre, [&] { return poly->mSelectedItem == face; });
  ASSERT_EQ(poly->mSelectedItem, face);
  corvia::testing::QueueColorChoice(0, 0, 255);
  PressKey(pane, 'c', wxMOD_SHIFT, [&] { return face->GetColour()[2] == 1.0f && face->GetColour()[0] == 0.0f; });
  EXPECT_EQ(face->GetColour()[0], 0.0f);
  EXPECT_EQ(face->GetColour()[2], 1.0f);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(PaneControlsTest, TheDodecahedronsFacetingsAreFoundFromItsFacetingPanes) {
  Open("5.5.5");
  // Before any vertex is chosen the faceting diagram shows the first one.
  CPolyView* diagram = Show(0, kViewFacetingDiagram);
  CPolyView* preview = Show(1, kViewFacetingPreview);
  EXPECT_EQ(diagram->Drawing().GetPaneStatusText(), "Vertex type 1 of 1.  Vertex 1 of 20.");
  YieldUntil([&] { return CountDrawnPixels(diagram) > 2000; });
  EXPECT_GT(CountDrawnPixels(diagram), 2000);

  // The counts of the enumeration, by criterion.
  const int criteria[] = {kCmdFacetingIsohedral, kCmdFacetingTidyAndDuals, kCmdFacetingTidy, kCmdFacetingCoplanarVerts};
  const char* const found[] = {"Found 10 ", "Found 22 ", "Found 24 ", "Found 38 "};
  for (int i = 0; i < 4; ++i) {
    corvia::testing::PostMenuCommand(mFrame, criteria[i]);
    Platform().messages.Clear();
    corvia::testing::PostMenuCommand(mFrame, kCmdFacetingEnumerate);
    ASSERT_EQ(Platform().messages.Boxes().size(), 1u);
    EXPECT_NE(Platform().messages.Boxes()[0].text.find(found[i]), std::string::npos)
        << Platform().messages.Boxes()[0].text;
  }
  Platform().messages.Clear();

  // Under the isohedral criterion Up in the preview shows each of the ten in turn, each
  // complete; an eleventh step finds none.
  corvia::testing::PostMenuCommand(mFrame, kCmdFacetingIsohedral);
  // The enumeration left its last faceting drawn: the preview's cancel button clears it.
  ClickCaptionButton(preview, kCaptionCancel, [] { return !HasDrawnFacets(GetCurrentPoly()); });
  ASSERT_FALSE(HasDrawnFacets(GetCurrentPoly()));
  std::set<std::string> shown;
  std::string last = FacetsText();
  for (int step = 0; step < 10; ++step) {
    PressKey(preview, WXK_UP, wxMOD_NONE, [&] { return FacetsText() != last; });
    last = FacetsText();
    ASSERT_FALSE(last.empty()) << "step " << step;
    EXPECT_EQ(GetCurrentFaceting()->mNumOpenEdges, 0);
    EXPECT_EQ(GetCurrentFaceting()->IsAcceptableFaceting(), 1);
    shown.insert(last);
    if (step == 3) {
      preview->Invalidate(true);
      preview->UpdateNow();
      corvia::testing::KeepScreenshot(mFrame, "faceting-dodecahedron");
      EXPECT_EQ(GetFacetingPreviewText(GetCurrentPoly()).rfind("Faceting is complete!", 0), 0u);
    }
  }
  EXPECT_EQ(shown.size(), 10u);
  PressKey(preview, WXK_UP, wxMOD_NONE, [&] { return FacetsText().empty(); });
  EXPECT_TRUE(FacetsText().empty());
  // The diagram's browse button starts again from the first.
  ClickCaptionButton(diagram, kCaptionFacetingOn, [&] { return !FacetsText().empty(); });
  EXPECT_EQ(shown.count(FacetsText()), 1u);
  UpdateFacetPreview(GetCurrentPoly());
  EXPECT_GT(GetCurrentPoly()->mFacetPreview->model->NumFaces(), 0);
}

// Counted from the menu, the dodecahedron's 24 facetings under the tidy criterion are
// each said by Up in the preview with their place among the 24, and those that are
// models of the library with the library's name, which the model made of the faceting
// (the caption's button) takes too. The words once named neither.
TEST_F(PaneControlsTest, TheDodecahedronsFacetingsSayTheirPlaceAndTheLibrarysName) {
  Open("5.5.5");
  CPolyView* preview = Show(1, kViewFacetingPreview);
  // The pane is clicked (away from the model) to take the keys and the messages.
  wxGLCanvas* canvas = WindowOf(preview)->GetCanvas();
  ClickAt(canvas, wxPoint(8, canvas->GetClientSize().y - 8),
          [&] { return CPolyView::AsPolyView(NewView::GetActiveView()) == preview; });
  corvia::testing::PostMenuCommand(mFrame, kCmdFacetingTidy);
  Platform().messages.Clear();
  corvia::testing::PostMenuCommand(mFrame, kCmdFacetingEnumerate);
  ASSERT_EQ(Platform().messages.Boxes().size(), 1u);
  ASSERT_NE(Platform().messages.Boxes()[0].text.find("Found 24 "), std::string::npos);
  Platform().messages.Clear();
  auto said = [&] { return std::string(preview->GetMessage() ? preview->GetMessage() : ""); };
  // The name in brackets at the end of the words; empty without one.
  auto nameIn = [](const std::string& words) {
    const size_t open = words.rfind(" (");
    return open == std::string::npos || words.back() != ')' ? std::string()
                                                             : words.substr(open + 2, words.size() - open - 3);
  };
  std::vector<std::string> names;
  std::string last;
  for (int n = 1; n <= 24; ++n) {
    PressKey(preview, WXK_UP, wxMOD_NONE, [&] { return said() != last && !FacetsText().empty(); });
    last = said();
    EXPECT_EQ(last.rfind("Faceting " + std::to_string(n) + " of 24: facet", 0), 0u) << last;
    if (!nameIn(last).empty()) names.push_back(nameIn(last));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Ditrigonal Dodecadodecahedron", "Dodecahedron",
                                             "Great Ditrigonal Icosidodecahedron", "Great Stellated Dodecahedron",
                                             "Small Ditrigonal Icosidodecahedron"}));
  // Round again to the first named faceting other than the model itself, and make it the
  // base model: the library's name it was said with is the model's.
  PressKey(preview, WXK_UP, wxMOD_NONE, [&] { return FacetsText().empty(); });
  std::string named;
  for (int n = 1; n <= 24 && (named.empty() || named == "Dodecahedron"); ++n) {
    PressKey(preview, WXK_UP, wxMOD_NONE, [&] { return said() != last && !FacetsText().empty(); });
    last = said();
    named = nameIn(last);
  }
  ASSERT_FALSE(named.empty());
  ClickCaptionButton(preview, kCaptionMakeBase, [&] { return GetPolyName(false, false) != "Dodecahedron"; });
  EXPECT_EQ(GetPolyName(false, false), named);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(PaneControlsTest, AFacetIsDrawnByClickingTheCubesCorners) {
  CPolyView* base = DrawOnTheCube(kViewFacetingDiagram, 4);
  CPolyView* diagram = GetPane(1);
  Poly* poly = GetCurrentPoly();
  ASSERT_EQ(CountDrawnCorners(poly->mCurrentDrawnPolygon), 4);
  ClickCaptionButton(base, kCaptionAccept, [&] { return CountDrawnCorners(poly->mCurrentDrawnPolygon) == 0; });
  ASSERT_TRUE(HasDrawnFacets(poly));
  // The square repeated over the cube's symmetry is the cube: a complete faceting.
  EXPECT_EQ(GetFacetingPreviewText(poly).rfind("Faceting is complete!", 0), 0u) << GetFacetingPreviewText(poly);
  ClickCaptionButton(base, kCaptionCancel, [&] { return !HasDrawnFacets(poly); });
  EXPECT_FALSE(HasDrawnFacets(poly));

  // In the faceting diagram a click on a point adds the vertex it shows to a facet
  // through the diagram's own vertex: two clicks make a triangle.
  const PolyElement* own = poly->GetOtherCurrentFinite();
  ASSERT_NE(own, nullptr);
  Transform3D worldToFace;
  own->GetWorldToFace(worldToFace, false);
  std::vector<std::pair<const PolyElement*, wxPoint>> points;
  for (const PolyElement* v = poly->mVertices.mHead; v; v = v->mNext) {
    double p[2], window[2];
    if (v == own || !own->ProjectElementTo2D(v, worldToFace, p)) continue;
    diagram->Mapping2D().ModelToWindow2D(window, p);
    points.emplace_back(v, wxPoint(int(std::lround(window[0])), int(std::lround(window[1]))));
  }
  // Points that no other point lies near, inside the pane.
  std::vector<std::pair<const PolyElement*, wxPoint>> apart;
  for (const auto& [v, point] : points) {
    bool alone = point.x > 10 && point.y > 10 && point.x < diagram->GetClientWidth() - 10 &&
                 point.y < diagram->GetClientHeight() - 10;
    for (const auto& [w, other] : points) {
      if (w != v && std::abs(other.x - point.x) + std::abs(other.y - point.y) < 12) alone = false;
    }
    if (alone) apart.emplace_back(v, point);
  }
  ASSERT_GE(apart.size(), 2u);
  wxWindow* canvas = WindowOf(diagram)->GetCanvas();
  ClickAt(canvas, apart[0].second, [&] { return CountDrawnCorners(poly->mCurrentDrawnPolygon) == 2; });
  ClickAt(canvas, apart[1].second, [&] { return CountDrawnCorners(poly->mCurrentDrawnPolygon) == 3; });
  ASSERT_EQ(CountDrawnCorners(poly->mCurrentDrawnPolygon), 3);
  const PolygonVertex* ring = poly->mCurrentDrawnPolygon->ring;
  EXPECT_TRUE(NearlyEqual(ring->point, own->mDualVert, 1e-9));
  EXPECT_TRUE(NearlyEqual(ring->next->point, apart[0].first->mDualVert, 1e-9));
  ClickCaptionButton(base, kCaptionLeaveMode, [] { return GetPaneSelectionMode() == kSelectFacesVertices; });
  EXPECT_EQ(GetPaneSelectionMode(), kSelectFacesVertices);
}

// A frame installed over the program's window, as a second window would be.
struct OtherFrame : PaneFrame {
  void SetMouseButtonHints(const std::string&, const std::string&, const std::string&) override {}
  void SetActiveView(NewView*) override {}
};

TEST_F(PaneControlsTest, TheLeaveModeButtonLeavesItsOwnFramesModeWhileAnotherFrameIsInstalled) {
  CPolyView* base = Show(0, kViewBasePolyhedron);
  ViewGroup& own = base->GetViewGroup();
  auto hasLeaveButton = [base] {
    for (int i = 0; i < base->Buttons().GetNumButtons(); ++i) {
      if (base->Buttons().GetButton(i).command == kCaptionLeaveMode) return true;
    }
    return false;
  };
  SetMouseSelectionMode(kSelectMeasurement);
  ASSERT_TRUE(hasLeaveButton());

  OtherFrame other;
  struct Installed {
    PaneFrame* before;
    ~Installed() { InstallPaneFrame(before); }
  } installed{InstallPaneFrame(&other)};
  ViewGroup& theirs = *other.GetViewGroup();
  ASSERT_NE(&theirs, &own);
  SetMouseSelectionMode(theirs, kSelectMeasurement);

  ClickCaptionButton(base, kCaptionLeaveMode, [&] { return GetMouseSelectionMode(own) == kSelectFacesVertices; });
  EXPECT_EQ(GetMouseSelectionMode(own), kSelectFacesVertices);
  EXPECT_FALSE(hasLeaveButton());
  EXPECT_EQ(GetMouseSelectionMode(theirs), kSelectMeasurement);
}

TEST_F(PaneControlsTest, InFacetingModeThePreviewShowsTheVerticesThatAClickAddsToTheFacet) {
  Open("4.4.4");
  CPolyView* preview = Show(1, kViewFacetingPreview);
  Poly* poly = GetCurrentPoly();
  ModelDrawSettings& settings = GetModelDrawSettings();
  const bool showVerts = settings.showVerts;
  settings.showVerts = false;
  // The corner nearest the eye, where the pane shows it.
  PolyElement* front = nullptr;
  for (PolyElement* v = poly->mVertices.mHead; v; v = v->mNext) {
    if (!front || Dot(v->mDualVert, preview->Camera().GetEye()) > Dot(front->mDualVert, preview->Camera().GetEye()))
      front = v;
  }
  double p[3], window[3];
  Scale(p, front->mDualVert, poly->mDisplayScale);
  preview->ApplyViewTransform(window, p);
  auto picture = [&] {
    preview->Invalidate(true);
    preview->UpdateNow();
    return corvia::testing::ScreenPixels(WindowOf(preview)->GetCanvas());
  };
  const wxImage before = picture();
  // Without facets and outside the mode the preview shows nothing there; in the mode
  // the vertices appear, and a click on one starts a facet at it.
  corvia::testing::PostMenuCommand(mFrame, kCmdFacetingMode);
  YieldUntil([&] { return CountChanged(before, picture(), window, 4) > 0; });
  EXPECT_GT(CountChanged(before, picture(), window, 4), 0);
  ClickOnModel(preview, front->mDualVert, [&] { return CountDrawnCorners(poly->mCurrentDrawnPolygon) == 1; });
  ASSERT_EQ(CountDrawnCorners(poly->mCurrentDrawnPolygon), 1);
  EXPECT_TRUE(NearlyEqual(poly->mCurrentDrawnPolygon->ring->point, front->mDualVert, 1e-9));
  settings.showVerts = showVerts;
}

// A triangle clicked in the great stellated dodecahedron's preview, whose turns make
// the compound of ten tetrahedra (the last of its facetings), saved and opened again
// from the File menu, shows as it did; Up passes it as it did before the file, to an
// empty pane that says so in one text (once also in the words for a model without
// facets), and the steps from the first come round to it.
TEST_F(PaneControlsTest, AFacetingDrawnInThePreviewReopensAndStepsAsBeforeSaving) {
  platform::ServiceSet services = platform::Services();
  services.fileDialogs = &Platform().fileDialogs;
  platform::InstallServices(services);
  Open("Great Stellated Dodecahedron");
  CPolyView* preview = Show(1, kViewFacetingPreview);
  corvia::testing::PostMenuCommand(mFrame, kCmdFacetingMode);
  // The triangle on the planes nearest the centre.
  auto innermostTriangle = [] {
    Faceting* faceting = GetCurrentFaceting();
    const Facet* found = nullptr;
    for (const Facet* f = faceting && faceting->Prepare() ? faceting->GetFirstFacet() : nullptr; f; f = f->GetNext()) {
      if (f->mNumVerts == 3 && (!found || f->mPlane->mRelativeHeight < found->mPlane->mRelativeHeight)) found = f;
    }
    return found;
  };
  const Facet* triangle = innermostTriangle();
  ASSERT_NE(triangle, nullptr);
  for (int i = 0; i < 3; ++i) {
    ClickOnModel(preview, triangle->GetVertexPosition(i),
                 [&] { return CountDrawnCorners(GetCurrentPoly()->mCurrentDrawnPolygon) == i + 1; });
  }
  ClickCaptionButton(preview, kCaptionAccept, [] { return CountFinishedPolygons(GetCurrentPoly()) == 1; });
  // The pane's pixels, its corner text and its message; and how much is drawn in its
  // top left corner, where only the corner text goes.
  struct Seen {
    wxImage image;
    std::string words;
    int inCorner = 0;
    bool operator==(const Seen& o) const {
      return words == o.words && image.GetSize() == o.image.GetSize() &&
             std::equal(image.GetData(), image.GetData() + 3 * image.GetWidth() * image.GetHeight(), o.image.GetData());
    }
  };
  auto seen = [&] {
    preview->Invalidate(true);
    preview->UpdateNow();
    Seen s{corvia::testing::ScreenPixels(WindowOf(preview)->GetCanvas()),
           GetFacetingPreviewText(GetCurrentPoly()) + " | " + (preview->GetMessage() ? preview->GetMessage() : "")};
    const float* bg = preview->GetBackgroundColor();
    for (int y = 0; y < s.image.GetHeight() / 12; ++y) {
      for (int x = 0; x < s.image.GetWidth() / 2; ++x) {
        s.inCorner += std::abs(s.image.GetRed(x, y) - int(bg[0] * 255)) > 24;
      }
    }
    return s;
  };
  auto stepUp = [&] {
    preview->ClearMessage();
    PressKey(preview, WXK_UP, wxMOD_NONE, [&] { return preview->GetMessage() != nullptr; });
    return seen();
  };
  const Seen drawn = seen();
  ASSERT_EQ(drawn.words.rfind("Faceting is complete!", 0), 0u) << drawn.words;
  const std::string path = (mProgram->Home() / "drawn-faceting.corv").string();
  Platform().fileDialogs.QueueChoice(path);
  corvia::testing::PostMenuCommand(mFrame, 57604);  // File > Save As...
  ASSERT_TRUE(std::filesystem::exists(path));
  const Seen passed = stepUp();
  EXPECT_NE(passed.words.find("| That was the last faceting"), std::string::npos) << passed.words;
  EXPECT_EQ(CountFinishedPolygons(GetCurrentPoly()), 0);
  EXPECT_EQ(passed.inCorner, 0);

  Open("Dodecahedron");
  Platform().fileDialogs.QueueChoice(path);
  corvia::testing::PostMenuCommand(mFrame, 57601);  // File > Open...
  YieldUntil([] { return Doc()->CountRecords() == 1 && CountFinishedPolygons(GetCurrentPoly()) == 1; });
  preview->ClearMessage();
  EXPECT_TRUE(seen() == drawn);
  EXPECT_TRUE(stepUp() == passed);
  const Facet* reopened = innermostTriangle();
  ASSERT_NE(reopened, nullptr);
  auto showsDrawn = [&] {
    const Facet* first = GetCurrentFaceting()->GetFirstFacetInFaceting();
    return first && !first->GetNextInFaceting() && first->mPlane->mRelativeHeight == reopened->mPlane->mRelativeHeight;
  };
  for (int step = 0; step < 40 && !showsDrawn(); ++step) stepUp();
  EXPECT_TRUE(showsDrawn());
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(PaneControlsTest, ThePentagonalPrismIsAugmentedThroughTheDialogAndItsPreview) {
  Open("Pentagonal Prism");
  CPolyView* base = Show(0, kViewBasePolyhedron);
  Poly* poly = GetCurrentPoly();
  PolyElement* square = FrontFace(base, 4);
  ClickOnModel(base, square->mCentre, [&] { return poly->mSelectedItem == square; });
  ASSERT_EQ(poly->GetCurrentFace(), square);
  double centre[3], p[3];
  Scale(p, square->mCentre, poly->mDisplayScale);
  base->ApplyViewTransform(centre, p);
  const wxImage before = corvia::testing::ScreenPixels(WindowOf(base)->GetCanvas());
  auto queue = [] {
    Platform().dialogs.Queue<AugmentDlg>([](AugmentDlg& d) {
      d.mOptions = kAugmentPyramid | kPyramidEqualEdges | kAugmentAlwaysPreview | kAugmentPreviewSolid;
      d.mScale = 1.0;
      return true;
    });
  };
  queue();
  corvia::testing::PostMenuCommand(mFrame, kCmdAugment);
  Augmentation* augmentation = GetAugmentation(poly);
  ASSERT_EQ(augmentation->mView, base);
  // The preview draws the pyramid over the square (its help message put aside), in the
  // pane that has the keys.
  base->UpdateNow();
  corvia::testing::KeepScreenshot(mFrame, "augmentation-preview");
  base->ClearMessage();
  base->Invalidate(true);
  base->UpdateNow();
  auto changed = [&] {
    return CountChanged(before, corvia::testing::ScreenPixels(WindowOf(base)->GetCanvas()), centre, 40);
  };
  YieldUntil([&] { return changed() > 400; });
  EXPECT_GT(changed(), 400);
  YieldUntil([&] { return wxWindow::FindFocus() == WindowOf(base)->GetCanvas(); });
  EXPECT_EQ(wxWindow::FindFocus(), WindowOf(base)->GetCanvas());
  PressKey(base, WXK_RETURN, wxMOD_NONE, [] { return GetCurrentPoly()->mVertices.mCount == 11; });
  // The augmented pentagonal prism (J52): 11 vertices, 19 edges, 10 faces.
  poly = GetCurrentPoly();
  EXPECT_EQ(poly->mVertices.mCount, 11);
  EXPECT_EQ(poly->mNumEdges, 19);
  EXPECT_EQ(poly->mFaces.mCount, 10);
  EXPECT_EQ(GetAugmentation(poly)->mView, nullptr);
  // It is the library's J52, and is named and typed so.
  ASSERT_NE(poly->mLibraryEntry, nullptr);
  EXPECT_STREQ(poly->mLibraryEntry->mName, "Augmented Pentagonal Prism");
  EXPECT_EQ(poly->mLibraryEntry->mCategory, kCategoryJohnson);
  EXPECT_STREQ(poly->mName, "Augmented Pentagonal Prism");

  // Undo takes it back, redo brings it again.
  PressKey(base, 'z', wxMOD_CONTROL, [] { return GetCurrentPoly()->mVertices.mCount == 10; });
  EXPECT_EQ(GetCurrentPoly()->mVertices.mCount, 10);
  PressKey(base, 'y', wxMOD_CONTROL, [] { return GetCurrentPoly()->mVertices.mCount == 11; });
  ASSERT_EQ(GetCurrentPoly()->mVertices.mCount, 11);

  // A second pyramid on a square that shares no corner with the first, accepted with the
  // caption's button: the biaugmented pentagonal prism (J53).
  poly = GetCurrentPoly();
  PolyElement* apart = nullptr;
  for (PolyElement* f = poly->mFaces.mHead; f && !apart; f = f->mNext) {
    if (f->mNumSides != 4) continue;
    bool touches = false;
    for (PolyElement* t = poly->mFaces.mHead; t; t = t->mNext) {
      if (t->mNumSides != 3) continue;
      for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) touches = touches || f->GetCorner(i) == t->GetCorner(j);
      }
    }
    if (!touches) apart = f;
  }
  ASSERT_NE(apart, nullptr);
  poly->SelectFace(apart, false);
  queue();
  corvia::testing::PostMenuCommand(mFrame, kCmdAugment);
  ASSERT_EQ(GetAugmentation(poly)->mView, base);
  ClickCaptionButton(base, kCaptionAccept, [] { return GetCurrentPoly()->mVertices.mCount == 12; });
  poly = GetCurrentPoly();
  EXPECT_EQ(poly->mVertices.mCount, 12);
  EXPECT_EQ(poly->mNumEdges, 23);
  EXPECT_EQ(poly->mFaces.mCount, 13);
  EXPECT_EQ(base->Buttons().GetNumButtons(), 2);
  ASSERT_NE(poly->mLibraryEntry, nullptr);
  EXPECT_STREQ(poly->mLibraryEntry->mName, "Biaugmented Pentagonal Prism");
  EXPECT_STREQ(poly->mName, "Biaugmented Pentagonal Prism");
  auto title = [this] { return mFrame->GetTitle().utf8_string(); };
  YieldUntil([&] { return title().find("Biaugmented Pentagonal Prism") != std::string::npos; });
  EXPECT_NE(title().find("Biaugmented Pentagonal Prism"), std::string::npos) << title();
  // The Info bar names it too, with its type.
  auto infoLine = [](int key) {
    InfoBar* bar = GetInfoBar();
    const wxTreeItemId item = bar && bar->GetTree() ? FindItemInTree(bar->GetTree(), key, true) : wxTreeItemId();
    return item.IsOk() ? bar->GetTree()->GetItemText(item).utf8_string() : std::string();
  };
  YieldUntil([&] { return infoLine(kInfoBase) == "\"Biaugmented Pentagonal Prism\""; });
  EXPECT_EQ(infoLine(kInfoBase), "\"Biaugmented Pentagonal Prism\"");
  EXPECT_EQ(infoLine(kInfoType), "Type: Johnson solid");
  corvia::testing::KeepScreenshot(mFrame, "biaugmented-pentagonal-prism");
}

TEST_F(PaneControlsTest, TheButtonTheNetPaneNamesMakesThePanesModelTheBaseModel) {
  Open("4.4.4");
  CPolyView* nets = Show(0, kViewUnfoldedNet);
  CPolyView* preview = Show(1, kViewFacetingPreview);
  GetFacetingSettings().criteria = kFacetingTidy;
  // The cube's tidy facetings are itself and the stella octangula: Up until the preview
  // shows the eight triangles of the second.
  auto previewFaces = [] {
    UpdateFacetPreview(GetCurrentPoly());
    const FacetPreview* shown = GetCurrentPoly()->mFacetPreview.get();
    return shown && shown->model ? shown->model->NumFaces() : 0;
  };
  for (int step = 0; step < 2 && previewFaces() != 8; ++step) {
    const std::string before = FacetsText();
    PressKey(preview, WXK_UP, wxMOD_NONE, [&] { return FacetsText() != before; });
  }
  ASSERT_EQ(previewFaces(), 8);
  // The preview pane made active shows another model than the base: the net pane says
  // how to see its nets.
  ClickAt(WindowOf(preview)->GetCaptionStrip(), wxPoint(60, kCaptionHeight / 2),
          [&] { return NewView::GetActiveView() == preview; });
  ASSERT_NE(nets->GetMessage(), nullptr);
  EXPECT_NE(std::string(nets->GetMessage()).find("left-and-down arrow button"), std::string::npos);
  ClickCaptionButton(preview, kCaptionMakeBase, [] {
    const char* name = GetCurrentPoly()->mName;
    return name && std::string(name).rfind("Faceted ", 0) == 0;
  });
  Poly* poly = GetCurrentPoly();
  ASSERT_NE(poly->mName, nullptr);
  EXPECT_EQ(std::string(poly->mName).rfind("Faceted ", 0), 0u) << poly->mName;
  // The stella octangula: two tetrahedra, 8 triangles on the cube's 8 corners.
  EXPECT_EQ(poly->mFaces.mCount, 8);
  EXPECT_EQ(poly->mVertices.mCount, 8);
}

// The caption actions that every pane defines, in every view type, mouse mode and
// augmentation state, each handled by the pane.
TEST_F(PaneControlsTest, EveryCaptionActionOfEveryPaneIsHandled) {
  Open("Pentagonal Prism");
  CPolyView* pane = GetPane(0);
  std::set<int> actions;
  std::vector<std::string> unhandled;
  auto collect = [&] {
    for (int i = 0; i < pane->Buttons().GetNumButtons(); ++i) actions.insert(pane->Buttons().GetButton(i).command);
  };
  for (int mode : {kSelectFacesVertices, kSelectMeasurement, kSelectFaceting}) {
    SetMouseSelectionMode(mode);
    for (int i = 0; i < kNumViewTypes; ++i) {
      pane->SetViewType(kViewTypes[i], false);
      collect();
    }
  }
  SetMouseSelectionMode(kSelectFacesVertices);
  pane->SetViewType(kViewBasePolyhedron, false);
  pane->Activate(true);
  Poly* poly = GetCurrentPoly();
  StartPyramidPreview(pane);
  ASSERT_EQ(GetAugmentation(poly)->mView, pane);
  collect();
  // The actions of the preview first (the last, accept, ends it), then the others.
  std::vector<int> order;
  for (int action : {kCaptionElementOn, kCaptionElementBack, kCaptionMatchOn, kCaptionMatchBack, kCaptionAccept}) {
    if (actions.erase(action)) order.push_back(action);
  }
  order.insert(order.end(), actions.begin(), actions.end());
  EXPECT_GE(order.size(), 15u);
  for (int action : order) {
    if (!pane->OnCaptionButton(0, action, 0)) unhandled.push_back(std::to_string(action));
  }
  std::string list;
  for (const std::string& action : unhandled) list += " " + action;
  EXPECT_TRUE(unhandled.empty()) << "caption actions without a handler:" << list;
}

// Every caption button names its action: the pointer over a button shows its tooltip,
// and no two buttons of a caption share one.
TEST_F(PaneControlsTest, EveryCaptionButtonHasATooltipNamingItsAction) {
  Open("Pentagonal Prism");
  CPolyView* pane = GetPane(0);
  wxWindow* strip = WindowOf(pane)->GetCaptionStrip();
  // The tooltip the strip shows with the pointer over the middle of the button.
  auto hover = [&](int index) {
    PixelRect r;
    EXPECT_TRUE(pane->Buttons().GetButtonRect(index, r));
    const wxPoint target = strip->ClientToScreen(wxPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    wxUIActionSimulator mouse;
    mouse.MouseMove(target);
    YieldUntil([&] { return wxGetMousePosition() == target && strip->GetToolTipText() != ""; });
    return strip->GetToolTipText().utf8_string();
  };
  auto tipsOf = [&](const std::string& where) {
    std::set<std::string> tips;
    for (int i = 0; i < pane->Buttons().GetNumButtons(); ++i) {
      PixelRect r;
      pane->Buttons().GetButtonRect(i, r);
      const std::string tip = pane->GetCaptionTip((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      EXPECT_FALSE(tip.empty()) << where << ": button " << i << " of action " << pane->Buttons().GetButton(i).command;
      tips.insert(tip);
    }
    // Within a group the two arrows differ; the same action twice (element steps in a
    // cross-section) says the same.
    std::set<int> actions;
    for (int i = 0; i < pane->Buttons().GetNumButtons(); ++i) actions.insert(pane->Buttons().GetButton(i).command);
    EXPECT_EQ(tips.size(), actions.size()) << where;
  };
  for (int mode : {kSelectFacesVertices, kSelectMeasurement, kSelectFaceting}) {
    SetMouseSelectionMode(mode);
    for (int i = 0; i < kNumViewTypes; ++i) {
      pane->SetViewType(kViewTypes[i], false);
      tipsOf("mode " + std::to_string(mode) + ", view type " + std::to_string(kViewTypes[i]));
    }
  }
  SetMouseSelectionMode(kSelectFacesVertices);
  pane->SetViewType(kViewBasePolyhedron, false);
  pane->Activate(true);
  pane->UpdateNow();
  EXPECT_EQ(hover(0), "Next polyhedron (Ctrl+Right Arrow)");
  EXPECT_EQ(hover(1), "Previous polyhedron (Ctrl+Left Arrow)");
  // The view-type icon at the left names what it opens.
  const wxPoint icon = strip->ClientToScreen(wxPoint(8, kCaptionHeight / 2));
  wxUIActionSimulator mouse;
  mouse.MouseMove(icon);
  YieldUntil([&] { return strip->GetToolTipText().Contains("view type"); });
  EXPECT_TRUE(strip->GetToolTipText().Contains("view type"));

  // The augmentation preview's three pairs of arrows: each tells what it steps.
  Poly* poly = GetCurrentPoly();
  StartPyramidPreview(pane);
  ASSERT_EQ(GetAugmentation(poly)->mView, pane);
  pane->UpdateNow();
  std::vector<std::string> shown;
  for (int i = 0; i < pane->Buttons().GetNumButtons(); ++i) shown.push_back(hover(i));
  for (const char* words : {"Next orientation", "Previous orientation", "Next matching face",
                            "Previous matching face", "Apply the augmentation", "Cancel the augmentation"}) {
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(), [words](const std::string& t) { return t.rfind(words, 0) == 0; }),
              1)
        << words;
  }
  GetAugmentation(poly)->Reset();
}

// The status bar names the face clicked; another model, or an undo back to the model
// before, takes that text away with the selection it spoke of.
TEST_F(PaneControlsTest, AnotherModelClearsTheStatusTextOfTheOldSelection) {
  Open("4.4.4");
  CPolyView* pane = Show(0, kViewBasePolyhedron);
  wxStatusBar* status = mFrame->GetStatusBar();
  ASSERT_NE(status, nullptr);
  const auto statusText = [status] { return status->GetStatusText(0).utf8_string(); };
  const auto clickFrontSquare = [&] {
    const double* centre = FrontFace(pane, 4)->mCentre;
    ClickOnModel(pane, centre, [&] { return statusText().rfind("Selected base face ", 0) == 0; });
    ASSERT_EQ(statusText().rfind("Selected base face ", 0), 0u) << statusText();
  };
  clickFrontSquare();
  Open("Dodecahedron");
  EXPECT_EQ(statusText(), "");
  // Back to the cube, a face clicked, and undone to the dodecahedron.
  Open("4.4.4");
  clickFrontSquare();
  PressKey(pane, 'z', wxMOD_CONTROL, [] { return GetCurrentPoly()->mFaces.mCount == 12; });
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 12);
  EXPECT_EQ(statusText(), "");
}

// The faceting preview chosen from the View menu takes the Up key at once, as its
// hint says, though the keys were in the model box.
TEST_F(PaneControlsTest, APaneTypeChosenFromTheMenuTakesItsKeysAtOnce) {
  Open("4.4.4");
  GetFacetingSettings().criteria = kFacetingTidy;
  auto* frame = dynamic_cast<CMainFrame*>(mFrame);
  ASSERT_NE(frame, nullptr);
  wxWindow* modelBox = frame->GetMainToolBar()->GetModelCombo();
  modelBox->SetFocus();
  YieldUntil([&] { return wxWindow::FindFocus() != nullptr && !dynamic_cast<wxGLCanvas*>(wxWindow::FindFocus()); });
  CPolyView* pane = GetPane(1);
  pane->Activate(true);
  corvia::testing::PostMenuCommand(mFrame, GetViewTypeCommand(kViewFacetingPreview));
  ASSERT_EQ(pane->GetViewType(), kViewFacetingPreview);
  wxGLCanvas* canvas = WindowOf(pane)->GetCanvas();
  YieldUntil([&] { return wxWindow::FindFocus() == canvas; });
  ASSERT_EQ(wxWindow::FindFocus(), canvas);
  const std::string before = FacetsText();
  wxUIActionSimulator keys;
  keys.Char(WXK_UP);
  YieldUntil([&] { return FacetsText() != before; });
  EXPECT_NE(FacetsText(), before);
}

// The X of the Unfolded Net joins the edges cut by hand, and says so when there are none.
TEST_F(PaneControlsTest, TheNetPanesXJoinsTheEdgesCutByHand) {
  Open("4.4.4");
  CPolyView* nets = Show(0, kViewUnfoldedNet);
  Model3D* model = nets->GetModel3D();
  ASSERT_NE(model, nullptr);
  ASSERT_TRUE(model->HasNets());
  // Which edgelets the nets join: the layout of the nets.
  auto joins = [&] {
    std::vector<bool> joined;
    for (int i = 0; i < model->GetNumEdges(); ++i) joined.push_back((model->GetEdge(i)->flags & kEdgeJoined) != 0);
    return joined;
  };
  const std::vector<bool> before = joins();
  // Cut, as the Cut/Uncut Edges mode does, an edge that joins two facelets of a net.
  Edge3D* joined = nullptr;
  for (int i = 0; i < model->GetNumEdges() && !joined; ++i) {
    Edge3D* edge = model->GetEdge(i);
    if (!(edge->flags & kEdgeCut) && Edge3D::GetNeighInNet(edge, false)) joined = edge;
  }
  ASSERT_NE(joined, nullptr);
  joined->ToggleCut(true);
  ASSERT_TRUE(joined->flags & kEdgeUserCut);
  ASSERT_NE(joins(), before);
  ClickCaptionButton(nets, kCaptionCancel, [&] { return !(joined->flags & kEdgeUserCut); });
  for (int i = 0; i < model->GetNumEdges(); ++i) EXPECT_FALSE(model->GetEdge(i)->flags & kEdgeUserCut) << i;
  EXPECT_TRUE(model->HasNets());
  EXPECT_EQ(joins(), before);
  // Nothing cut now: the pane says so.
  ClickCaptionButton(nets, kCaptionCancel, [&] { return nets->GetMessage() != nullptr; });
  ASSERT_NE(nets->GetMessage(), nullptr);
  EXPECT_NE(std::string(nets->GetMessage()).find("nothing to join"), std::string::npos);
}


// Dismisses the next question box once it shows on screen, as a person does: Escape
// pressed in it, or the close button of its frame. Keeps the question's text.
class DismissQuestion : public wxTimer {
 public:
  enum class How { kEscape, kCloseButton };
  explicit DismissQuestion(How how) : mHow(how) { Start(kPeriodMs); }
  void Notify() override {
    wxMessageDialogBase* box = nullptr;
    for (wxWindow* window : wxTopLevelWindows) {
      auto* shown = dynamic_cast<wxMessageDialogBase*>(window);
      if (shown && shown->IsModal() && shown->IsShownOnScreen() && shown->GetTitle() == "Question") box = shown;
    }
    if (!box) return;
    if (mHow == How::kEscape) {
      if (!corvia::testing::GiveKeysToWindowTitled("Question")) return;
      wxUIActionSimulator keys;
      keys.Char(WXK_ESCAPE);
    } else if (!corvia::testing::CloseWindowTitled("Question")) {
      return;
    }
    Stop();
    text = box->GetMessage().utf8_string();
  }
  std::string text;

 private:
  static constexpr int kPeriodMs = 20;
  How mHow;
};

// Escape in a question, or its close button, answers what changes nothing: the file
// that exists is not replaced, the nets' radius stays for this model and the next, and
// the half-made facet stays out of the model and as it was drawn.
TEST_F(PaneControlsTest, EscapeOrTheCloseButtonInAQuestionChangesNothing) {
  constexpr int kCmdSaveAs = 57604;
  corvia::testing::BoxesOnScreen questions("Question");
  platform::ServiceSet services = platform::Services();
  services.messages = &questions;
  services.fileDialogs = &Platform().fileDialogs;
  platform::InstallServices(services);
  UnitSettings& units = GetUnitSettings();
  const double scale = units.mLengthScale, userScale = units.mUserLengthScale;
  const std::filesystem::path file = corvia::testing::ScratchDir("question-escape") / "rd.corv";
  auto read = [&] {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  for (const auto how : {DismissQuestion::How::kEscape, DismissQuestion::How::kCloseButton}) {
    SCOPED_TRACE(how == DismissQuestion::How::kEscape ? "Escape" : "close button");
    Open("4.4.4");
    Platform().messages.Clear();

    // File > Save As, a name typed without its ending whose file exists.
    std::ofstream(file, std::ios::binary) << "the user's own file\n";
    const std::string path = Doc()->GetPathName();
    Platform().fileDialogs.QueueChoice((file.parent_path() / "rd").string());
    {
      DismissQuestion dismiss(how);
      corvia::testing::PostMenuCommand(mFrame, kCmdSaveAs);
      YieldUntil([&] { return !dismiss.IsRunning(); });
      EXPECT_EQ(dismiss.text, "rd.corv already exists.\nDo you want to replace it?");
    }
    EXPECT_TRUE(read() == "the user's own file\n") << "the file was replaced";
    EXPECT_EQ(Doc()->GetPathName(), path);

    // Ctrl+P in the net pane with nets too large for the page.
    CPolyView* nets = Show(1, kViewUnfoldedNet);
    units.mLengthScale = units.mUserLengthScale = 200.0;
    ClickAt(WindowOf(nets)->GetCaptionStrip(), wxPoint(60, kCaptionHeight / 2),
            [&] { return NewView::GetActiveView() == nets; });
    {
      DismissQuestion dismiss(how);
      PressKey(nets, 'P', wxMOD_CONTROL, [&] { return !dismiss.IsRunning(); });
      EXPECT_EQ(dismiss.text.rfind("The nets do not fit on the page.", 0), 0u) << dismiss.text;
    }
    EXPECT_EQ(units.mLengthScale, 200.0);
    EXPECT_EQ(units.mUserLengthScale, 200.0);
    for (wxWindow* window : wxTopLevelWindows) EXPECT_EQ(dynamic_cast<wxPreviewFrame*>(window), nullptr);
    Open("3.3.3");
    EXPECT_EQ(units.mLengthScale, 200.0) << "a later library model takes another radius";
    units.mLengthScale = scale;
    units.mUserLengthScale = userScale;

    // Faceting mode, three corners of the cube clicked, then the faceting preview's
    // button that makes its model the base.
    DrawOnTheCube(kViewFacetingPreview, 3);
    CPolyView* preview = GetPane(1);
    Poly* poly = GetCurrentPoly();
    ASSERT_EQ(CountDrawnCorners(poly->mCurrentDrawnPolygon), 3);
    Platform().messages.Clear();
    {
      DismissQuestion dismiss(how);
      ClickCaptionButton(preview, kCaptionMakeBase, [&] { return !dismiss.IsRunning(); });
      EXPECT_EQ(dismiss.text.rfind("You were in the middle of creating a facet.", 0), 0u) << dismiss.text;
    }
    YieldUntil([] { return Platform().messages.CountTitled("Error") > 0; });
    // Without the half-made facet there is none to repeat: the model stays, and says why.
    EXPECT_EQ(GetCurrentPoly(), poly);
    EXPECT_EQ(poly->mFaces.mCount, 6);
    ASSERT_EQ(Platform().messages.CountTitled("Error"), 1);
    EXPECT_NE(Platform().messages.Boxes().back().text.find("Before creating a faceted polyhedron"), std::string::npos);
    EXPECT_EQ(CountFinishedPolygons(poly), 0);
    EXPECT_EQ(CountDrawnCorners(poly->mCurrentDrawnPolygon), 3);
    SetMouseSelectionMode(kSelectFacesVertices);
  }
  std::filesystem::remove(file);
}

}  // namespace test_PaneControls
