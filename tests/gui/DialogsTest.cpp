// The dialogs' windows under a virtual display: each opened through the wx front end,
// filled by a timer while its modal loop runs and confirmed or cancelled, so that no
// person is needed. Messages go to the headless front end, so refusals are recorded
// and never wait.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/display.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/radiobox.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "construction/Augmentation.h"
#include "construction/LibraryHooks.h"
#include "construction/ModelLookup.h"
#include "construction/PolyhedraDialog.h"
#include "core/Registry.h"
#include "core/TableDialog.h"
#include "dialogs/AugmentDlg.h"
#include "dialogs/DialogBase.h"
#include "dialogs/FontOptionsDlg.h"
#include "dialogs/SphereCylinderDialog.h"
#include "dialogs/SpheresDialog.h"
#include "dialogs/TorusDialog.h"
#include "dialogs/WxDialogs.h"
#include "model/LibraryEntry.h"
#include "model/TransitionSettings.h"
#include "nets/ReferenceSpheres.h"
#include "platform/SettingsStore.h"
#include "render/DisplaySettings.h"
#include "render/GLFont.h"
#include "render/ModelDrawSettings.h"
#include "symmetry/SimplePoly.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/BarDocument.h"
#include "ui/ComboDropWidth.h"
#include "ui/LayoutDlg.h"
#include "ui/TransitionsDlg.h"

namespace test_Dialogs {

using namespace corvia;
namespace ct = corvia::testing;

// While it lives the wx dialogs answer and the settings are kept in a scratch file.
class WxDialogsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    mStore = std::make_unique<platform::SettingsStore>(ct::ScratchDir("dialogs") / "settings.conf");
    mPreviousStore = platform::SettingsStore::InstallInstance(mStore.get());
    platform::ServiceSet set = platform::Services();
    set.dialogs = &mDialogs;
    mPrevious = platform::InstallServices(set);
  }
  void TearDown() override {
    platform::InstallServices(mPrevious);
    platform::SettingsStore::InstallInstance(mPreviousStore);
  }

  WxDialogs mDialogs;
  platform::ServiceSet mPrevious;
  std::unique_ptr<platform::SettingsStore> mStore;
  platform::SettingsStore* mPreviousStore = nullptr;
};

// Waits for the dialog of the key to open, then runs the script on it once; the
// script fills the fields and presses a button.
class Script : public wxTimer {
 public:
  Script(const char* key, std::function<void(CorviaDialog&)> script) : mKey(key), mScript(std::move(script)) {
    Start(kPeriodMs);
  }
  void Notify() override {
    CorviaDialog* dialog = GetTopDialog();
    if (!dialog || dialog->GetKey() != mKey || !dialog->IsShown()) return;
    Stop();
    mRan = true;
    mScript(*dialog);
    // A script that stopped half way (a failed assertion) must not leave the test
    // waiting for a person.
    if (dialog->IsModal()) {
      ADD_FAILURE() << mKey << " was left open";
      dialog->EndModal(wxID_CANCEL);
    }
  }
  bool Ran() const { return mRan; }

 private:
  static constexpr int kPeriodMs = 20;
  std::string mKey;
  std::function<void(CorviaDialog&)> mScript;
  bool mRan = false;
};

template <class T>
T* Control(CorviaDialog& dialog, const char* name) {
  T* control = FindDialogControl<T>(&dialog, name);
  EXPECT_NE(control, nullptr) << name;
  return control;
}

void SetText(CorviaDialog& dialog, const char* name, const char* text) {
  if (auto* field = Control<wxTextCtrl>(dialog, name)) field->SetValue(text);
}

void Click(CorviaDialog& dialog, const char* name) {
  wxButton* button = Control<wxButton>(dialog, name);
  if (!button) return;
  wxCommandEvent event(wxEVT_BUTTON, button->GetId());
  event.SetEventObject(button);
  button->ProcessWindowEvent(event);
}

void SelectRadio(CorviaDialog& dialog, const char* name, int index) {
  wxRadioBox* box = Control<wxRadioBox>(dialog, name);
  if (!box) return;
  box->SetSelection(index);
  wxCommandEvent event(wxEVT_RADIOBOX, box->GetId());
  event.SetInt(index);
  event.SetEventObject(box);
  box->ProcessWindowEvent(event);
}

TEST_F(WxDialogsFixture, TorusOkBuildsItCancelChangesNothingAndBadCountsAreRefused) {
  {
    Script script(CTorusDialog::kName, [](CorviaDialog& dialog) {
      SetText(dialog, "tubeRadius", "1/4");
      SetText(dialog, "rings", "2");
      SetText(dialog, "segments", "6");
      dialog.PressOk();
      // Two rings are too few: the dialog stays open with the error shown.
      EXPECT_TRUE(dialog.IsShown());
      EXPECT_EQ(ct::Platform().messages.CountTitled("Error"), 1);
      SetText(dialog, "rings", "2*4");
      dialog.PressOk();
    });
    Outcome outcome;
    std::unique_ptr<SimplePoly> torus = RunTorusDialog(outcome);
    EXPECT_TRUE(script.Ran());
    ASSERT_TRUE(torus);
    EXPECT_EQ(torus->NumVerts(), 48);
    EXPECT_EQ(torus->NumFaces(), 48);
  }
  EXPECT_EQ(CTorusDialog().mTubeRadius, 0.25);
  {
    Script script(CTorusDialog::kName, [](CorviaDialog& dialog) {
      SetText(dialog, "rings", "40");
      dialog.PressCancel();
    });
    Outcome outcome;
    EXPECT_EQ(RunTorusDialog(outcome), nullptr);
    EXPECT_TRUE(outcome.cancelled());
    EXPECT_TRUE(script.Ran());
  }
  EXPECT_EQ(CTorusDialog().mRings, 8);

  // The dialog's place is kept under its own key, and it opens there next time.
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), CTorusDialog::kName, nullptr);
  ASSERT_TRUE(key);
  int x = -1, y = -1;
  EXPECT_TRUE(GetRegistryInt(key.get(), "DialogX", x));
  EXPECT_TRUE(GetRegistryInt(key.get(), "DialogY", y));
  SetRegistryInt(key.get(), "DialogX", 130);
  SetRegistryInt(key.get(), "DialogY", 110);
  ASSERT_TRUE(key->Close().done());
  wxPoint shownAt;
  {
    Script script(CTorusDialog::kName, [&](CorviaDialog& dialog) {
      shownAt = dialog.GetScreenPosition();
      dialog.PressCancel();
    });
    Outcome outcome;
    RunTorusDialog(outcome);
  }
  EXPECT_EQ(shownAt, wxPoint(130, 110));
}

TEST_F(WxDialogsFixture, LayoutChoosesOneOfEleven) {
  LayoutDlg layout(1);
  Script script(LayoutDlg::kName, [](CorviaDialog& dialog) {
    EXPECT_TRUE(Control<wxBitmapToggleButton>(dialog, "layout1")->GetValue());
    wxBitmapToggleButton* six = Control<wxBitmapToggleButton>(dialog, "layout10");
    six->SetValue(true);
    wxCommandEvent event(wxEVT_TOGGLEBUTTON, six->GetId());
    event.SetEventObject(six);
    six->ProcessWindowEvent(event);
    EXPECT_FALSE(Control<wxBitmapToggleButton>(dialog, "layout1")->GetValue());
    dialog.PressOk();
  });
  EXPECT_TRUE(layout.DoModal());
  EXPECT_EQ(layout.mLayout, 10);
  Script cancel(LayoutDlg::kName, [](CorviaDialog& dialog) { dialog.PressCancel(); });
  EXPECT_FALSE(layout.DoModal());
  EXPECT_EQ(layout.mLayout, 10);
}

TEST_F(WxDialogsFixture, TableGivesTheChosenRow) {
  CTableDialog table("Choose a Geomag color", 2, 3, {"Color", "Name"}, {"", "Red", "", "Green", "", "Blue"},
                     {0x0000FF, 0x00FF00, 0xFF0000}, 0);
  Script script(CTableDialog::kName, [](CorviaDialog& dialog) {
    wxListCtrl* list = Control<wxListCtrl>(dialog, "table");
    EXPECT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(2, 1), "Blue");
    EXPECT_EQ(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 0);
    list->SetItemState(2, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    dialog.PressOk();
  });
  EXPECT_EQ(table.DoModal(), 2);
  Script cancel(CTableDialog::kName, [](CorviaDialog& dialog) { dialog.PressCancel(); });
  EXPECT_EQ(table.DoModal(), -1);
  // The column widths were kept.
  RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), CTableDialog::kName, nullptr);
  ASSERT_TRUE(key);
  int width = 0;
  EXPECT_TRUE(GetRegistryInt(key.get(), "Column1", width));
  EXPECT_GT(width, 0);
}

TEST_F(WxDialogsFixture, SpheresAddedThroughTheRadiusPrompt) {
  g_ReferenceSpheres = {1.5};
  ct::Platform().messages.QueueText("2*3");
  ct::Platform().messages.QueueText("0");  // refused: no sphere of radius 0
  ct::Platform().messages.QueueText("0.5");
  Script script(SpheresDlg::kName, [](CorviaDialog& dialog) {
    wxListBox* list = Control<wxListBox>(dialog, "radii");
    EXPECT_EQ(list->GetCount(), 1u);
    Click(dialog, "add");
    Click(dialog, "add");
    EXPECT_EQ(list->GetCount(), 3u);
    EXPECT_EQ(list->GetString(1), "6");
    EXPECT_EQ(list->GetString(2), "0.5");
    list->SetSelection(0);
    Click(dialog, "remove");
    dialog.PressOk();
  });
  EXPECT_TRUE(SpheresDlg().DoModal());
  EXPECT_EQ(g_ReferenceSpheres, (std::vector<double>{6.0, 0.5}));
  EXPECT_EQ(ct::Platform().messages.CountTitled("Error"), 1);
  Script cancel(SpheresDlg::kName, [](CorviaDialog& dialog) {
    Control<wxListBox>(dialog, "radii")->SetSelection(0);
    Click(dialog, "remove");
    dialog.PressCancel();
  });
  EXPECT_FALSE(SpheresDlg().DoModal());
  EXPECT_EQ(g_ReferenceSpheres, (std::vector<double>{6.0, 0.5}));
  g_ReferenceSpheres.clear();
}

TEST_F(WxDialogsFixture, AugmentationOptionsFromTheWindow) {
  AugmentDlg dialog{AugmentDlg::Blank{}};
  dialog.mOptions = kAugmentPyramid;
  Script script(AugmentDlg::kName, [](CorviaDialog& window) {
    // Opened the first time, the dialog has room for the longest of the pyramid's heights.
    wxChoice* heights = Control<wxChoice>(window, "heightMode");
    ASSERT_EQ(heights->GetCount(), 7u);
    for (unsigned i = 0; i < heights->GetCount(); ++i) {
      EXPECT_LE(heights->GetTextExtent(heights->GetString(i)).x, heights->GetSize().x - 24) << i;
    }
    SelectRadio(window, "kind", 2);  // prism
    wxChoice* height = Control<wxChoice>(window, "heightMode");
    EXPECT_EQ(height->GetCount(), 4u);
    height->SetSelection(2);
    SetText(window, "scale", "-1/2");
    SelectRadio(window, "faces", 1);
    SelectRadio(window, "colours", 1);
    Control<wxCheckBox>(window, "keepCoincident")->SetValue(true);
    Control<wxChoice>(window, "previewStyle")->SetSelection(2);
    window.PressOk();
  });
  ASSERT_TRUE(dialog.DoModal());
  EXPECT_EQ(dialog.mOptions, kAugmentPrism | kPrismLongestEdge | kAugmentSameType | kAugmentKeepColours |
                                 kAugmentKeepCoincident | kAugmentPreviewSolid | kAugmentPreviewWireFrame);
  EXPECT_EQ(dialog.mScale, -0.5);
  Augmentation augmentation(nullptr);
  dialog.GetParameters(augmentation);
  EXPECT_TRUE(augmentation.mOptions & kAugmentExcavate);
  EXPECT_EQ(augmentation.mScale, 0.5);

  // A built-in model must be chosen first; cancelling keeps the prism.
  Script refused(AugmentDlg::kName, [](CorviaDialog& window) {
    SelectRadio(window, "kind", 5);
    EXPECT_FALSE(Control<wxTextCtrl>(window, "scale")->IsEnabled());
    window.PressOk();
    EXPECT_TRUE(window.IsShown());
    window.PressCancel();
  });
  EXPECT_FALSE(dialog.DoModal());
  EXPECT_EQ(ct::Platform().messages.CountTitled("Error"), 1);
  EXPECT_EQ(dialog.mOptions & kAugmentSolidMask, kAugmentPrism);
}

// A model in memory with a long name: the window stays narrower than the screen, so
// that no control is given less room than it needs (GTK says so for a squeezed check
// box); the memory's line ends with its counts.
TEST_F(WxDialogsFixture, AugmentationWindowKeepsItsControlsWholeBesideALongModelName) {
  SimplePoly named;
  named.name = std::string("Compound of ") + std::string(180, 'n') + " and its dual";
  AugmentDlg dialog{AugmentDlg::Blank{}};
  dialog.mOptions = kAugmentPyramid;
  // Wide letters, ten times as many.
  SimplePoly wide;
  for (int i = 0; i < 1800; ++i) wide.name += "\xE5\xA4\x9A";
  dialog.mMemoryModels = {&named, &wide};
  Script script(AugmentDlg::kName, [](CorviaDialog& window) {
    const wxString memory = Control<wxChoice>(window, "memorySlot")->GetString(0);
    EXPECT_TRUE(memory.StartsWith("Memory 1: Compound of nnn")) << memory;
    EXPECT_TRUE(memory.EndsWith(" (0 faces, 0 vertices)")) << memory;
    EXPECT_TRUE(Control<wxChoice>(window, "memorySlot")->GetString(1).EndsWith(" (0 faces, 0 vertices)"));
    int boxes = 0;
    std::function<void(wxWindow*)> visit = [&](wxWindow* parent) {
      for (wxWindow* child : parent->GetChildren()) {
        if (auto* box = dynamic_cast<wxCheckBox*>(child)) {
          ++boxes;
          EXPECT_GE(box->GetSize().x, box->GetBestSize().x) << box->GetName();
        }
        visit(child);
      }
    };
    visit(&window);
    EXPECT_EQ(boxes, 6);
    window.PressCancel();
  });
  EXPECT_FALSE(dialog.DoModal());
  EXPECT_TRUE(script.Ran());
}

TEST_F(WxDialogsFixture, PolyhedraBrowserSearchesAndChooses) {
  ModelSearchCriteria before = gModelSearchCriteria;
  bool recognised = false;
  LibraryEntry* cube = LookUpModel("cube", &recognised, nullptr, nullptr, false);
  ASSERT_NE(cube, nullptr);
  {
    Script script(CPolyhedraDialog::kName, [](CorviaDialog& dialog) {
      SetText(dialog, "name", "cube");
      Click(dialog, "search");
      wxListBox* results = Control<wxListBox>(dialog, "results");
      ASSERT_GT(results->GetCount(), 0u);
      EXPECT_EQ(results->GetString(0), "Cube");
      results->SetSelection(0);
      dialog.PressOk();
    });
    bool dual = true;
    EXPECT_EQ(RunPolyhedraDialog(&dual), cube);
    EXPECT_FALSE(dual);
    EXPECT_EQ(gModelSearchCriteria.mName, "cube");
  }
  {
    // Bounds on the counts: of the models named like the tetrahedron only those
    // of at most four faces. Cancelled, the search stands as it was.
    Script script(CPolyhedraDialog::kName, [](CorviaDialog& dialog) {
      SetText(dialog, "name", "tetrahedron");
      Click(dialog, "search");
      wxListBox* results = Control<wxListBox>(dialog, "results");
      EXPECT_NE(results->FindString("Truncated Tetrahedron"), wxNOT_FOUND);
      SetText(dialog, "maxFaces", "4");
      Click(dialog, "search");
      EXPECT_NE(results->FindString("Tetrahedron"), wxNOT_FOUND);
      EXPECT_EQ(results->FindString("Truncated Tetrahedron"), wxNOT_FOUND);
      SetText(dialog, "maxFaces", "four");
      Click(dialog, "search");
      EXPECT_EQ(ct::Platform().messages.CountTitled("Error"), 1);
      dialog.PressCancel();
    });
    EXPECT_EQ(RunPolyhedraDialog(), nullptr);
    EXPECT_EQ(gModelSearchCriteria.mName, "cube");
    EXPECT_EQ(gModelSearchCriteria.mMaxFaces, kCriteriaUnset);
    ASSERT_NE(GetSearchResults(), nullptr);
    EXPECT_EQ(GetSearchResults()->mEntry, cube);
  }
  {
    // A Wenninger number the library holds only as a stellation goes to the document as
    // if typed in the model box; one out of range is refused there and then.
    struct TypedText : BarDocument {
      std::vector<std::string> typed;
      bool OpenModelByNameOrSymbol(const std::string& text) override {
        typed.push_back(text);
        return false;
      }
    } document;
    BarDocument* previous = InstallBarDocument(&document);
    Script script(CPolyhedraDialog::kName, [](CorviaDialog& dialog) {
      SetText(dialog, "name", "W26");
      Click(dialog, "search");
      SetText(dialog, "name", "W120");
      Click(dialog, "search");
      dialog.PressCancel();
    });
    const int errors = ct::Platform().messages.CountTitled("Error");
    EXPECT_EQ(RunPolyhedraDialog(), nullptr);
    InstallBarDocument(previous);
    EXPECT_EQ(document.typed, std::vector<std::string>{"W26"});
    EXPECT_EQ(ct::Platform().messages.CountTitled("Error"), errors + 1);
  }
  gModelSearchCriteria = before;
  ClearSearchResults();
}

TEST_F(WxDialogsFixture, FontOptionsChooseAnInstalledFont) {
  const std::string before = GetDefaultFontName();
  {
    Script script(FontOptionsDlg::kName, [](CorviaDialog& dialog) {
      wxComboBox* font = Control<wxComboBox>(dialog, "defaultFont");
      EXPECT_EQ(font->GetValue(), "Arial");
      EXPECT_NE(font->FindString("Liberation Serif"), wxNOT_FOUND);
      font->SetValue("No Such Font");
      dialog.PressOk();
      EXPECT_EQ(ct::Platform().messages.CountTitled("Error"), 1);
      font->SetValue("Liberation Serif");
      dialog.PressOk();
    });
    EXPECT_TRUE(FontOptionsDlg().DoModal());
  }
  EXPECT_STREQ(GetDefaultFontName(), "Liberation Serif");
  {
    Script script(FontOptionsDlg::kName, [](CorviaDialog& dialog) {
      Control<wxComboBox>(dialog, "defaultFont")->SetValue("DejaVu Sans");
      dialog.PressCancel();
    });
    EXPECT_FALSE(FontOptionsDlg().DoModal());
  }
  EXPECT_STREQ(GetDefaultFontName(), "Liberation Serif");
  SetDefaultFontName(before.c_str());
}

TEST(ComboDropWidth, WidestEntryWithinTheScreen) {
  wxFrame frame(nullptr, wxID_ANY, "combo", wxPoint(0, 0), wxSize(400, 200));
  auto* combo = new wxComboBox(&frame, wxID_ANY, "", wxPoint(10, 10), wxSize(80, -1));
  const int painted = ct::PaintCount(&frame);
  frame.Show();
  ct::YieldUntilPainted(&frame, painted);
  EXPECT_GE(SetComboDropWidth(combo), 1);
  combo->Append("short");
  const int narrow = SetComboDropWidth(combo);
  combo->Append("a much longer entry than the combo itself can show");
  const int wide = SetComboDropWidth(combo);
  EXPECT_GT(wide, narrow);
  EXPECT_GT(wide, combo->GetTextExtent("a much longer entry than the combo itself can show").x);
  // Near the screen's right edge the list stops at the edge.
  frame.Move(1200, 0);
  ct::YieldUntil([combo] { return combo->GetScreenPosition().x >= 1200; });
  const int screenRight = wxDisplay(0u).GetGeometry().GetRight() + 1;
  EXPECT_LE(SetComboDropWidth(combo), screenRight - combo->GetScreenPosition().x);
}

}  // namespace test_Dialogs

namespace test_ModelessWindows {

using namespace corvia;
namespace ct = corvia::testing;
using test_Dialogs::Control;
using test_Dialogs::SetText;

class ModelessFixture : public test_Dialogs::WxDialogsFixture {
 protected:
  void TearDown() override {
    for (CorviaDialog* dialog : std::vector<CorviaDialog*>(GetOpenDialogs())) {
      dialog->Destroy();
      ct::YieldUntilGone(dialog);
    }
    test_Dialogs::WxDialogsFixture::TearDown();
  }
};

TEST_F(ModelessFixture, TransitionsSetTheSelectedOccasions) {
  SetTransitionDefaults();
  ShowTransitionsDialog(kOccasionBuiltInModel);
  CorviaDialog* dialog = FindOpenDialog(TransitionsDlg::kName);
  ASSERT_NE(dialog, nullptr);
  wxListBox* occasions = Control<wxListBox>(*dialog, "occasions");
  wxArrayInt rows;
  occasions->GetSelections(rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], kOccasionBuiltInModel);
  EXPECT_EQ(Control<wxChoice>(*dialog, "type")->GetSelection(), kTransitionDefault);
  EXPECT_EQ(Control<wxTextCtrl>(*dialog, "duration")->GetValue(), "");

  Control<wxChoice>(*dialog, "type")->SetSelection(kTransitionOrbit);
  SetText(*dialog, "duration", "5/2");
  SetText(*dialog, "orbitSpeed", "1/4");
  dialog->PressOk();
  const TransitionSettings* record = GetTransitionRecord(kOccasionBuiltInModel);
  EXPECT_EQ(record->mType, kTransitionOrbit);
  EXPECT_EQ(record->mDuration, 2.5);
  EXPECT_EQ(record->mParams[kParamOrbitSpeed], 0.25);
  EXPECT_EQ(record->mParams[kParamSlideSpin], kTransitionUnset);
  ct::YieldUntil([] { return FindOpenDialog(TransitionsDlg::kName) == nullptr; });
  EXPECT_EQ(FindOpenDialog(TransitionsDlg::kName), nullptr);

  // The default needs every value; cancelled, nothing changes.
  ShowTransitionsDialog(kOccasionDefault);
  dialog = FindOpenDialog(TransitionsDlg::kName);
  ASSERT_NE(dialog, nullptr);
  const double duration = GetTransitionRecord(kOccasionDefault)->mDuration;
  SetText(*dialog, "duration", "");
  dialog->PressOk();
  EXPECT_EQ(ct::Platform().messages.CountTitled("Error"), 1);
  EXPECT_TRUE(dialog->IsShown());
  SetText(*dialog, "duration", "9");
  dialog->PressCancel();
  ct::YieldUntilGone(dialog);
  EXPECT_EQ(GetTransitionRecord(kOccasionDefault)->mDuration, duration);

  // Several occasions at once, and a refresh shows what changed meanwhile.
  ShowTransitionsDialog(-1);
  dialog = FindOpenDialog(TransitionsDlg::kName);
  ASSERT_NE(dialog, nullptr);
  occasions = Control<wxListBox>(*dialog, "occasions");
  occasions->DeselectAll();
  occasions->SetSelection(5);
  occasions->SetSelection(6);
  Control<wxChoice>(*dialog, "type")->SetSelection(kTransitionSideways);
  wxCommandEvent apply(wxEVT_BUTTON, wxID_APPLY);
  Control<wxButton>(*dialog, "apply")->ProcessWindowEvent(apply);
  EXPECT_EQ(GetTransitionRecord(5)->mType, kTransitionSideways);
  EXPECT_EQ(GetTransitionRecord(6)->mType, kTransitionSideways);
  EXPECT_EQ(GetSelectedOccasions(), (std::vector<int>{5, 6}));
  GetTransitionRecord(5)->mDuration = 7.0;
  RefreshTransitionsDlg();
  EXPECT_EQ(Control<wxTextCtrl>(*dialog, "duration")->GetValue(), "7");
  SetTransitionDefaults();
  FreeSelectedOccasions();
}

TEST_F(ModelessFixture, SphereAndCylinderOptionsGoToTheDrawSettings) {
  const ModelDrawSettings before = GetModelDrawSettings();
  ShowSphereCylinderOptions();
  CorviaDialog* dialog = FindOpenDialog(SphereCylinderDlg::kName);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control<wxTextCtrl>(*dialog, "sphereRad")->GetValue(), "0.4");
  Control<wxCheckBox>(*dialog, "spheresAndCylinders")->SetValue(true);
  Control<wxCheckBox>(*dialog, "edgeCylinders")->SetValue(false);
  SetText(*dialog, "sphereRad", "1/4");
  Control<wxChoice>(*dialog, "cylinderMaterial")->SetSelection(4);
  // Selecting a vertex applies the fields of the open dialog.
  ApplySphereCylinderOptions();
  EXPECT_TRUE(UsingVertexSpheres());
  EXPECT_FALSE(UsingEdgeCylinders());
  EXPECT_EQ(GetModelDrawSettings().sphereRad, 0.25);
  EXPECT_EQ(GetModelDrawSettings().cylinderMaterial, 4);
  EXPECT_EQ(GetDisplaySettings().shareMaterial, Control<wxCheckBox>(*dialog, "shareMaterial")->GetValue());
  // Opening it again brings the open one forward.
  ShowSphereCylinderOptions();
  EXPECT_EQ(FindOpenDialog(SphereCylinderDlg::kName), dialog);
  SetText(*dialog, "cylinderRad", "0");
  dialog->PressOk();
  EXPECT_EQ(ct::Platform().messages.CountTitled("Error"), 1);
  SetText(*dialog, "cylinderRad", "2");
  dialog->PressCancel();
  EXPECT_EQ(FindOpenDialog(SphereCylinderDlg::kName), nullptr);
  ct::YieldUntilGone(dialog);
  EXPECT_EQ(GetModelDrawSettings().cylinderRad, before.cylinderRad);
  GetModelDrawSettings() = before;
}

}  // namespace test_ModelessWindows
