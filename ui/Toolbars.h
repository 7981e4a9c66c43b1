#pragma once
// The five toolbars of the main window. The main toolbar picks a model by category
// and name from the built-in library (or from the model files of a library folder),
// and takes a model typed into its model box; the option toolbar shows and changes the
// model's symmetry and sub-symmetry. Their combo boxes hold one item, the current
// value, until their list drops down. Buttons with arrows open small menus: the
// steps of undo and redo, vertex and edge options, image options and the direction of
// the cross-section.

#include <wx/accel.h>

#include <string>
#include <vector>

#include "ui/ToolBarEx.h"

class wxOwnerDrawnComboBox;

namespace corvia {

class OwnerDrawCombo;

// The texts of the lists.
constexpr const char* kUnknownCategory = "<Unknown Category>";
constexpr const char* kUnknownModel = "<Unknown Model>";
constexpr const char* kSearchResultsItem = "Search Results";
constexpr const char* kUpOneLevel = "<Up one level>";

// Lines of the combos' drop-down lists.
constexpr int kCategoryListLines = 28;
constexpr int kModelListLines = 28;
constexpr int kSymmetryListLines = 40;
// The symmetry combo's second and third columns.
constexpr int kSymmetrySecondColumn = 40;
constexpr int kSymmetryThirdWidth = 44;

// Undo step of a sub-symmetry change.
constexpr int kUndoSubSymmetry = 31;

// A toolbar combo's drop-down takes the keys: the main window's accelerators are off
// while it is open.
class ComboKeys {
 public:
  void Detach(wxWindow* toolbar);
  void Restore(wxWindow* toolbar);

 private:
  wxAcceleratorTable mSaved;
  bool mDetached = false;
};

class MainToolBar : public CToolBarEx {
 public:
  explicit MainToolBar(wxWindow* parent);

  bool CreateCombos();
  void UpdateCategoryCombo();
  void FillCategoryCombo(bool force);
  void UpdateModelCombo();
  void FillModelComboIfNeeded(bool force);
  void OnDropDown(int command) override;

  wxOwnerDrawnComboBox* GetCategoryCombo() const { return mCategoryCombo; }
  wxOwnerDrawnComboBox* GetModelCombo() const { return mModelCombo; }
  // The library folder whose model files the model list shows (empty: none).
  const std::string& GetBrowsedFolder() const { return mFolder; }
  bool IsFolderShown() const { return mFolderShown; }

  // What a choice in the lists does (the combos' selection events run them).
  void ChooseCategory(int row);
  void ChooseModel(int row);
  // The model box: what the user typed and confirmed with Enter.
  void OpenTypedModel(const std::string& text);
  // Undoes or redoes n steps under a progress report; stops when cancelled.
  void UndoSteps(int n, bool redo);

 private:
  // The category the model list shows, and whether the list starts with the unknown
  // model's line.
  int ModelListCategory();
  bool CategoryListHasUnknown() const;
  // What the closed model box shows for the current model.
  std::string ClosedModelText() const;
  void FillModelCombo();
  void FillFolderList();
  void OnCategoryEvent(wxCommandEvent& event);
  void OnModelEvent(wxCommandEvent& event);

  wxOwnerDrawnComboBox* mCategoryCombo = nullptr;
  wxOwnerDrawnComboBox* mModelCombo = nullptr;
  int mNumCategoryItems = 0;  // categories in the full list
  int mNumListItems = 0;      // items up to the end of the library roots
  std::string mFolder;
  bool mFolderShown = false;
  bool mFilling = false;
  ComboKeys mKeys;
};

class TourToolBar : public CToolBarEx {
 public:
  explicit TourToolBar(wxWindow* parent);
};

class OptionToolBar : public CToolBarEx {
 public:
  explicit OptionToolBar(wxWindow* parent);

  bool CreateCombos();
  void UpdateSymmetryCombo();
  void FillSymmetryCombo(bool force);
  void UpdateRotationalCombo();
  void FillRotationalCombo(bool force);
  void UpdateReflectiveCombo();
  void FillReflectiveCombo(bool force);
  void OnDropDown(int command) override;

  OwnerDrawCombo* GetSymmetryCombo() const { return mSymmetryCombo; }
  wxOwnerDrawnComboBox* GetRotationalCombo() const { return mRotationalCombo; }
  wxOwnerDrawnComboBox* GetReflectiveCombo() const { return mReflectiveCombo; }

  // What a choice in each list does.
  void ChooseSymmetry(int row);
  void ChooseRotational(int row);
  void ChooseReflective(int row);

  // The menus of the vertex and edge buttons (shown, then destroyed).
  static void BuildVertexMenu(class wxMenu& menu);
  static void BuildEdgeMenu(wxMenu& menu);

 private:
  void OnComboEvent(wxCommandEvent& event);
  void OnGeomagStyleButton(wxCommandEvent& event);

  OwnerDrawCombo* mSymmetryCombo = nullptr;
  wxOwnerDrawnComboBox* mRotationalCombo = nullptr;
  wxOwnerDrawnComboBox* mReflectiveCombo = nullptr;
  bool mFilling = false;
  ComboKeys mKeys;
};

class ModeToolBar : public CToolBarEx {
 public:
  explicit ModeToolBar(wxWindow* parent);
  void OnDropDown(int command) override;
  static void BuildImageMenu(wxMenu& menu);
};

class ViewToolBar : public CToolBarEx {
 public:
  explicit ViewToolBar(wxWindow* parent);
  void OnDropDown(int command) override;
};

// The cross-section direction menu of the mode and view toolbars.
void BuildCrossSectionMenu(wxMenu& menu);
// Shows a menu below a toolbar button; the chosen item goes out as a command.
void ShowMenuBelowButton(CToolBarEx* toolbar, int command, wxMenu& menu);

// Whether a sub-symmetry is applied to the current model.
bool IsSubSymmetryApplied();

}  // namespace corvia
