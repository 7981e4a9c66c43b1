// The five toolbars in the main window, with a small document of the test's own: the
// category and model combos hold one item until they drop down, choosing a category or
// a model makes it current, the model box takes what is typed, the symmetry combos
// apply sub-symmetries with their undo steps, the drop-down menus carry their marks,
// and undo runs several steps under a progress report.

#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/odcombo.h>
#include <wx/uiaction.h>

#include <memory>
#include <string>
#include <vector>

#include "construction/Library.h"
#include "construction/ModelLookup.h"
#include "core/Messages.h"
#include "model/ColorSchemes.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "platform/SettingsStore.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymSubgroups.h"
#include "tests/gui/FrameTestSupport.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/BarDocument.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/MainFrame.h"
#include "ui/Toolbars.h"
#include "ui/Tour.h"
#include "ui/controls/OwnerDrawCombo.h"

namespace {

using namespace corvia;
using corvia::testing::ClickAt;
using corvia::testing::PaintCount;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;
using corvia::testing::YieldUntilPainted;

// The model box's text is looked up the way the library does.
class StandInDocument : public corvia::testing::ModelDocument {
 public:
  bool SetModel(LibraryEntry* entry, bool fromList, bool dual) override {
    lastFromList = fromList;
    lastDual = dual;
    return SetEntry(entry);
  }
  bool OpenModelByNameOrSymbol(const std::string& text) override {
    typed.push_back(text);
    bool recognised = false;
    Outcome why;
    LibraryEntry* entry = LookUpModel(text.c_str(), &recognised, &why, nullptr, false);
    if (why.told()) ShowError("%s", why.text().c_str());
    if (recognised) return entry && SetModel(entry, false, false);
    // A configuration the library holds in another order.
    PolyTemplate polyTemplate;
    if (text.find('.') != std::string::npos && polyTemplate.Parse(text.c_str(), &why))
      return SetModel(polyTemplate.mEntry, false, false);
    if (why.told()) ShowError("%s", why.text().c_str());
    ShowError("Couldn't find any model with name or symbol\n\"%s\"", text.c_str());
    return false;
  }
  std::vector<std::string> GetUndoNames(bool redo) override {
    return redo ? std::vector<std::string>{} : std::vector<std::string>{"Colour", "Model", "Scale", "Model"};
  }
  bool Undo() override {
    ++undos;
    if (onUndo) onUndo();
    return true;
  }

  std::vector<std::string> typed;
  bool lastFromList = false;
  bool lastDual = false;
  int undos = 0;
  std::function<void()> onUndo;
};

class Toolbars : public corvia::testing::FrameTest {
 protected:
  void SetUp() override { OpenFrame("toolbars", &mDocument, &mDocument); }
  void TearDown() override {
    FrameTest::TearDown();
    ClearSearchResults();
  }
  void SetModel(const char* text) {
    bool recognised = false;
    ASSERT_TRUE(mDocument.SetModel(LookUpModel(text, &recognised, nullptr, nullptr, false), false, false));
    MainToolBar* bar = mFrame->GetMainToolBar();
    bar->UpdateCategoryCombo();
    bar->UpdateModelCombo();
    mFrame->FillSymmetryCombos();
  }
  static std::string Item(wxOwnerDrawnComboBox* combo, int i) {
    return combo->GetString(static_cast<unsigned>(i)).utf8_string();
  }
  std::string ModelName() {
    return mDocument.GetCurrentPoly() && mDocument.GetCurrentPoly()->mLibraryEntry
               ? mDocument.GetCurrentPoly()->mLibraryEntry->mName
               : "";
  }

  StandInDocument mDocument;
};

TEST_F(Toolbars, CombosHoldOneItemUntilTheyDropDownAndListEveryCategory) {
  MainToolBar* bar = mFrame->GetMainToolBar();
  wxOwnerDrawnComboBox* categories = bar->GetCategoryCombo();
  wxOwnerDrawnComboBox* models = bar->GetModelCombo();
  // A model from no library entry.
  EXPECT_EQ(categories->GetCount(), 1u);
  EXPECT_EQ(Item(categories, 0), kUnknownCategory);
  EXPECT_EQ(Item(models, 0), kUnknownModel);

  SetModel("4.4.4");
  ASSERT_EQ(categories->GetCount(), 1u);
  EXPECT_EQ(Item(categories, 0), "- - - Platonic");
  EXPECT_EQ(Item(models, 0), "Cube");
  bar->FillCategoryCombo(false);
  ASSERT_EQ(categories->GetCount(), static_cast<unsigned>(kNumLibraryCategories + kNumLibraryRoots));
  EXPECT_EQ(Item(categories, 0), "Search Results");
  EXPECT_EQ(Item(categories, kCategoryPlatonic), "- - - Platonic");
  EXPECT_EQ(Item(categories, kNumLibraryCategories), "(Corvia Library)");
  EXPECT_EQ(categories->GetSelection(), kCategoryPlatonic);
  bar->FillModelComboIfNeeded(false);
  EXPECT_EQ(Item(models, models->GetSelection()), "Cube");

  // Choosing a model in the open list makes it current.
  bar->ChooseModel(0);
  EXPECT_EQ(ModelName(), "Tetrahedron");
  EXPECT_EQ(models->GetCount(), 1u);
  EXPECT_EQ(Item(models, 0), "Tetrahedron");
  // Choosing a category makes its first model current.
  bar->FillCategoryCombo(false);
  bar->ChooseCategory(kCategoryArchimedean);
  EXPECT_EQ(mDocument.GetCurrentPoly()->mLibraryEntry->mCategory, kCategoryArchimedean);
  EXPECT_FALSE(mDocument.lastFromList);
}

TEST_F(Toolbars, TheCombosStayEnabledThroughTheWindowsUpdates) {
  // The combos' ids lie among the commands, whose updates disable what has no handler.
  SetModel("4.4.4");
  mFrame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
  YieldUntilHandled();
  MainToolBar* main = mFrame->GetMainToolBar();
  OptionToolBar* options = mFrame->GetOptionToolBar();
  const std::vector<wxWindow*> combos = {main->GetCategoryCombo(), main->GetModelCombo(), options->GetSymmetryCombo(),
                                         options->GetRotationalCombo(), options->GetReflectiveCombo()};
  for (wxWindow* combo : combos) {
    combo->UpdateWindowUI();
    EXPECT_TRUE(combo->IsEnabled()) << FromWxId(combo->GetId());
  }
}

TEST_F(Toolbars, WithoutALibraryModelTheListsCountFromAfterThePlaceholder) {
  MainToolBar* bar = mFrame->GetMainToolBar();
  bar->FillCategoryCombo(true);
  EXPECT_EQ(Item(bar->GetCategoryCombo(), 0), kUnknownCategory);
  EXPECT_EQ(Item(bar->GetCategoryCombo(), 1), "Search Results");
  // Row 0 is the placeholder: nothing happens.
  bar->ChooseCategory(0);
  EXPECT_EQ(mDocument.GetCurrentPoly(), nullptr);
  bar->ChooseCategory(1 + kCategoryPlatonic);
  ASSERT_NE(mDocument.GetCurrentPoly(), nullptr);
  EXPECT_EQ(ModelName(), "Tetrahedron");
}

TEST_F(Toolbars, TheModelBoxTakesWhatIsTypedAndRefusesBadInputWithTheLookupsMessage) {
  SetModel("4.4.4");
  MainToolBar* bar = mFrame->GetMainToolBar();
  wxOwnerDrawnComboBox* models = bar->GetModelCombo();
  // Typed into the box and confirmed with Enter.
  models->ChangeValue("3.4.3.4");
  wxCommandEvent enter(wxEVT_TEXT_ENTER, models->GetId());
  enter.SetEventObject(models);
  enter.SetString(models->GetValue());
  models->ProcessWindowEvent(enter);
  YieldUntil([&] { return !mDocument.typed.empty(); });
  ASSERT_EQ(mDocument.typed.size(), 1u);
  EXPECT_EQ(mDocument.typed[0], "3.4.3.4");
  EXPECT_EQ(ModelName(), "Cuboctahedron");
  EXPECT_EQ(Item(models, 0), "Cuboctahedron");

  bar->OpenTypedModel("truncated octahedron");
  EXPECT_EQ(ModelName(), "Truncated Octahedron");
  // Bad input: the lookup's message, the model as it was, the box showing it again.
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  bar->OpenTypedModel("U81");
  EXPECT_EQ(messages.CountTitled("Error"), 1);
  EXPECT_EQ(ModelName(), "Truncated Octahedron");
  bar->OpenTypedModel("no such model at all");
  EXPECT_EQ(messages.CountTitled("Error"), 2);
  EXPECT_EQ(messages.Boxes().back().text, "Couldn't find any model with name or symbol\n\"no such model at all\"");
  EXPECT_EQ(ModelName(), "Truncated Octahedron");
  EXPECT_EQ(Item(models, 0), "Truncated Octahedron");
  EXPECT_EQ(models->GetCount(), 1u);
}

TEST_F(Toolbars, SymmetryCombosApplySubSymmetriesWithTheirUndoSteps) {
  SetModel("4.4.4");
  OptionToolBar* bar = mFrame->GetOptionToolBar();
  OwnerDrawCombo* symmetry = bar->GetSymmetryCombo();
  ASSERT_EQ(symmetry->GetItemCount(), 1);
  EXPECT_EQ(symmetry->GetComboItem(0)->mText1, "Oh");
  EXPECT_EQ(symmetry->GetComboItem(0)->mText2, "*432");
  EXPECT_EQ(bar->GetRotationalCombo()->GetString(0), "Octahedral");

  bar->FillSymmetryCombo(false);
  const SymGroup* full = mDocument.GetCurrentPoly()->mSymGroup;
  int subgroups = 0;
  {
    SymSubgroupSpec spec;
    int rot = 0, refl = 0;
    while (SymGroup::GetNextSubgroup(full, spec, rot, refl)) ++subgroups;
  }
  EXPECT_EQ(symmetry->GetItemCount(), subgroups);
  auto& undo = corvia::testing::Platform().undo;
  const size_t calls = undo.mCalls.size();
  bar->ChooseSymmetry(1);
  EXPECT_TRUE(IsSubSymmetryApplied());
  ASSERT_EQ(undo.mCalls.size(), calls + 1);
  EXPECT_EQ(undo.mCalls.back().type, kUndoSubSymmetry);
  int rot = 0, refl = 0;
  SymSubgroupSpec spec;
  ASSERT_TRUE(SymGroup::GetSubgroup(mDocument.GetCurrentPoly()->mFullSymGroup, 1, spec, rot, refl));
  EXPECT_EQ(bar->GetRotationalCombo()->GetSelection(), rot);
  EXPECT_EQ(bar->GetReflectiveCombo()->GetSelection(), refl);
  // While a sub-symmetry is applied the closed combos keep their lists.
  mFrame->FillSymmetryCombos();
  EXPECT_EQ(symmetry->GetItemCount(), subgroups);

  // A subgroup that does not exist leaves no undo step behind.
  const int discards = undo.mDiscards;
  bar->ChooseReflective(999);
  EXPECT_EQ(undo.mDiscards, discards + 1);
  // A scene's sub-symmetry shows in the combos.
  EXPECT_TRUE(mFrame->SelectSubSymmetry(1, 0, true));
  EXPECT_EQ(bar->GetRotationalCombo()->GetSelection(), 1);
  EXPECT_EQ(symmetry->GetSelectedItem(), SymGroup::FindSubgroupIndex(mDocument.GetCurrentPoly()->mFullSymGroup, 1, 0));
}

TEST_F(Toolbars, MenuTextsSpeakOfTheSelectedElement) {
  SetModel("4.4.4");
  Poly* poly = mDocument.GetCurrentPoly();
  ASSERT_NE(mFrame->GetMenuBar()->FindItem(ToWxId(32984)), nullptr);
  // The text the update sets, empty when it leaves the menu's text alone.
  auto update = [](int command, bool allowVertex, bool cells) {
    wxUpdateUIEvent event(ToWxId(command));
    if (cells)
      UpdateCmdTextForCells(event);
    else
      UpdateCmdTextForDual(event, allowVertex);
    return event.GetSetText() ? wxStripMenuCodes(event.GetText()).utf8_string() : std::string();
  };
  EXPECT_EQ(update(32984, true, false), "");
  poly->mSelectedElement = poly->mVertices.mHead;
  EXPECT_EQ(update(32984, true, false).rfind("Set Single Vertex Color...", 0), 0u);
  EXPECT_EQ(update(32984, false, false), "");
  // A polyhedron's faces stay faces; a command the menu does not hold is left alone.
  EXPECT_EQ(update(32834, false, true), "");
  EXPECT_EQ(update(kLastCommandId, true, false), "");
  poly->mSelectedElement = nullptr;
}

TEST_F(Toolbars, DropDownMenusCarryTheirMarks) {
  SetModel("4.4.4");
  const bool sameAsDual = ColorVertsSameAsDualFace;
  const int edges = EdgeColorScheme;
  ColorVertsSameAsDualFace = true;
  EdgeColorScheme = kEdgeColorSameIfParallel;
  wxMenu vertices, edgeMenu, section;
  OptionToolBar::BuildVertexMenu(vertices);
  OptionToolBar::BuildEdgeMenu(edgeMenu);
  BuildCrossSectionMenu(section);
  EXPECT_TRUE(vertices.FindItem(ToWxId(33444))->IsChecked());
  EXPECT_TRUE(edgeMenu.FindItem(ToWxId(33448))->IsChecked());
  EXPECT_FALSE(edgeMenu.FindItem(ToWxId(33445))->IsChecked());
  ColorVertsSameAsDualFace = false;
  EdgeColorScheme = 0;
  wxMenu vertices2, edges2;
  OptionToolBar::BuildVertexMenu(vertices2);
  OptionToolBar::BuildEdgeMenu(edges2);
  EXPECT_FALSE(vertices2.FindItem(ToWxId(33444))->IsChecked());
  EXPECT_TRUE(edges2.FindItem(ToWxId(33445))->IsChecked());
  ColorVertsSameAsDualFace = sameAsDual;
  EdgeColorScheme = edges;
  // The cube has three kinds of axis: each direction is offered.
  for (int id : {33378, 33379, 33380}) EXPECT_TRUE(section.FindItem(ToWxId(id))->IsEnabled());
  EXPECT_EQ(section.FindItem(ToWxId(33378))->GetItemLabelText().rfind("Along", 0), 0u);
  EXPECT_TRUE(section.FindItem(ToWxId(33396))->IsCheckable());
}

TEST_F(Toolbars, UndoRunsSeveralStepsAndStopsWhenCancelled) {
  MainToolBar* bar = mFrame->GetMainToolBar();
  bar->UndoSteps(3, false);
  EXPECT_EQ(mDocument.undos, 3);
  // A slow undo brings up the progress window; cancelling stops after that step.
  auto& platform = corvia::testing::Platform();
  mDocument.undos = 0;
  mDocument.onUndo = [&] { platform.clock.Advance(2.0); };
  platform.progress.Current()->onPump = [](auto& state) { state.cancel = true; };
  bar->UndoSteps(4, false);
  platform.progress.Current()->onPump = nullptr;
  EXPECT_GE(mDocument.undos, 1);
  EXPECT_LT(mDocument.undos, 4);
}

TEST_F(Toolbars, EachToolbarsButtonsReachTheirCommands) {
  struct Recorder : wxEvtHandler {
    std::vector<int> commands;
  } recorder;
  const int probes[][2] = {{kMainToolBarId, 32792},
                           {kTourToolBarId, 33487},
                           {kOptionToolBarId, 32935},
                           {kModeToolBarId, 32939},
                           {kViewToolBarId, 32773}};
  for (const auto& probe : probes) {
    SetCommandAvailable(probe[1], true);
    recorder.Bind(
        wxEVT_MENU, [&recorder](wxCommandEvent& e) { recorder.commands.push_back(FromWxId(e.GetId())); },
        ToWxId(probe[1]));
  }
  mFrame->AddCommandTarget(&recorder);
  // With its combos the main toolbar leaves the tour toolbar no room beside it on this
  // screen: it goes to a row of its own.
  mFrame->GetAuiManager().GetPane(mFrame->GetTourToolBar()).Row(3).Position(0);
  mFrame->GetAuiManager().Update();
  YieldUntilHandled();
  std::vector<int> expected;
  for (const auto& probe : probes) {
    CToolBarEx* bar = mFrame->GetToolBar(probe[0]);
    ASSERT_NE(bar, nullptr);
    // Clicked where the screen shows it: once it has been painted in its new place.
    const int painted = PaintCount(bar);
    bar->Refresh();
    bar->Update();
    YieldUntilPainted(bar, painted);
    const wxRect rect = bar->GetToolRect(ToWxId(probe[1]));
    ASSERT_FALSE(rect.IsEmpty()) << probe[1];
    ClickAt(bar, wxPoint(rect.x + rect.width / 3, rect.y + rect.height / 2));
    expected.push_back(probe[1]);
    YieldUntil([&] { return recorder.commands.size() == expected.size(); });
  }
  EXPECT_EQ(recorder.commands, expected);
  // The tour's own buttons reach the tour: "Add to Tour" records an event.
  GetTour().Clear();
  CToolBarEx* tourBar = mFrame->GetToolBar(kTourToolBarId);
  const wxRect add = tourBar->GetToolRect(ToWxId(33479));
  ClickAt(tourBar, wxPoint(add.x + add.width / 3, add.y + add.height / 2));
  YieldUntil([&] { return GetTour().GetNumEvents() == 1; });
  EXPECT_EQ(GetTour().GetNumEvents(), 1);
  GetTour().Clear();
  mFrame->RemoveCommandTarget(&recorder);
  for (const auto& probe : probes) SetCommandAvailable(probe[1], false);
}

}  // namespace
