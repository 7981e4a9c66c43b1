#include "ui/Toolbars.h"

#include <wx/menu.h>
#include <wx/odcombo.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstring>

#include "construction/Library.h"
#include "construction/ModelLookup.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Progress.h"
#include "core/Strings.h"
#include "model/ColorSchemes.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "render/NewView.h"
#include "render/ViewWindow.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymGroupNames.h"
#include "symmetry/SymSubgroups.h"
#include "ui/BarDocument.h"
#include "ui/CommandTable.h"
#include "ui/PopupMenus.h"
#include "ui/Tour.h"
#include "ui/controls/OwnerDrawCombo.h"

namespace corvia {

namespace detail_Toolbars {

// Combo widths in average characters.
constexpr int kCategoryChars = 29;
constexpr int kModelChars = 56;
constexpr int kSymmetryChars = 32;
constexpr int kRotationalChars = 20;
constexpr int kReflectiveChars = 25;

// The buttons whose arrows open menus, by toolbar.
constexpr int kMainDropDowns[] = {57643, 57644};
constexpr int kOptionDropDowns[] = {32935, 32936, 33157};
constexpr int kModeDropDowns[] = {33186, 33384};
constexpr int kViewDropDowns[] = {33315};

// Commands of the menus.
constexpr int kCmdUndo = 57643;
constexpr int kCmdRedo = 57644;
constexpr int kCmdShowVertices = 32935;
constexpr int kCmdShowEdges = 32936;
constexpr int kCmdSpheresAndCylinders = 33157;
constexpr int kCmdImageMode = 33186;
constexpr int kCmdCrossSectionTumble = 33384;
constexpr int kCmdCrossSection = 33315;
constexpr int kCmdChooseGeomagEdgeStyle = 33169;
constexpr int kCmdImageOptions = 33295;
constexpr int kCmdAllImageOptions = 33296;
// The edge colouring modes and their commands, in menu order after "all the same".
constexpr int kCmdEdgesAllSame = 33445;
constexpr std::pair<int, int> kEdgeModes[] = {
    {kEdgeColorByTypeWithReflections, 33446}, {kEdgeColorByType, 33447},    {kEdgeColorSameIfParallel, 33448},
    {kEdgeColorByGreatCircles, 33449},        {kEdgeColorFromFaces, 33495}, {kEdgeColorFromFacesComplement, 33496},
};
// The cross-section directions along the symmetry axes 0 to 2.
constexpr int kCmdAlongAxis[3] = {33378, 33379, 33380};

wxOwnerDrawnComboBox* MakeCombo(CToolBarEx* bar, int id, int chars, int lines, long style) {
  auto* combo = new wxOwnerDrawnComboBox(bar, ToWxId(id), wxEmptyString, wxDefaultPosition,
                                         wxSize(bar->GetSlotWidth(chars), -1), 0, nullptr, style);
  combo->SetFont(bar->GetFont());
  combo->SetPopupMaxHeight(lines * (combo->GetCharHeight() + 2));
  return combo;
}

// Replaces the list by one item, selected.
void SetSingleItem(wxOwnerDrawnComboBox* combo, const std::string& text) {
  combo->Clear();
  combo->Append(wxString::FromUTF8(text));
  combo->SetSelection(0);
}

std::string Indented(int category) {
  std::string text;
  for (int i = 0; i < GetCategoryDepth(category); ++i) text += "- ";
  return text + (GetCategoryName(category) ? GetCategoryName(category) : "");
}

LibraryEntry* CurrentEntry() {
  return GetPolyLibraryEntry(GetCurrentPoly());
}

// The record whose dual the model is, when it is no record's own model.
const LibraryEntry* CurrentEntryOfDual() {
  const Poly* poly = GetCurrentPoly();
  return poly && !CurrentEntry() ? poly->mLibraryEntryOfDual : nullptr;
}

// The record whose category the model is listed in: its own, or that of the record
// whose dual it is.
const LibraryEntry* CategoryEntry() {
  const LibraryEntry* entry = CurrentEntry();
  return entry ? entry : CurrentEntryOfDual();
}

// The search results stand for the model only while it is the current result's
// model: one loaded another way shows its own name and category.
bool SearchResultsShown() {
  const LibraryListNode* result = GetCurrentSearchResult();
  if (!result || !result->mEntry) return false;
  const LibraryEntry* entry = CurrentEntry();
  if (result->mEntry->IsUserRecord()) return entry == nullptr || entry == result->mEntry;
  return entry == result->mEntry || (result->mIsDual && CurrentEntryOfDual() == result->mEntry);
}

// A model file's name as the lists show it: no folder, no extension, ';' as '/'.
std::string ModelFileTitle(const std::string& path) {
  std::string name = GetLibraryFileName(path.c_str());
  StripLibraryExtension(name);
  for (char& c : name) {
    if (c == ';') c = '/';
  }
  return name;
}

// The library root whose folder the path is (-1: none), and the root's folder.
std::string RootFolder(int root) {
  std::string path;
  FindProgramFile(path, gLibraryRoots[root].mFolderName, true);
  return path;
}
int RootOfFolder(const std::string& folder) {
  for (int root = 0; root < kNumLibraryRoots; ++root) {
    if (!folder.empty() && RootFolder(root) == folder) return root;
  }
  return -1;
}

SymGroup* FullGroup(const Poly* poly) {
  return poly ? (poly->mFullSymGroup ? poly->mFullSymGroup : poly->mSymGroup) : nullptr;
}

// A base of a family's model that the family refuses, told before it is asked for again.
void TellRefusedBase(const Outcome& refused) { ShowError("%s", refused.text().c_str()); }

// A model opened from the model box hands the keys to the active pane, so that the
// pane's keys (Ctrl+Left and Ctrl+Right stepping models among them) reach it at once
// rather than the box's text.
void GiveKeysToActivePane() {
  NewView* pane = NewView::GetActiveView();
  if (ViewWindow* window = pane ? pane->GetWindow() : nullptr) window->TakeKeyboardFocus();
}

}  // namespace detail_Toolbars

// ---- Keys of the drop-downs ------------------------------------------------------------------

void ComboKeys::Detach(wxWindow* toolbar) {
  wxWindow* frame = wxGetTopLevelParent(toolbar);
  if (!frame || mDetached) return;
  if (const wxAcceleratorTable* table = frame->GetAcceleratorTable()) mSaved = *table;
  frame->SetAcceleratorTable(wxNullAcceleratorTable);
  mDetached = true;
}

void ComboKeys::Restore(wxWindow* toolbar) {
  wxWindow* frame = wxGetTopLevelParent(toolbar);
  if (!frame || !mDetached) return;
  frame->SetAcceleratorTable(mSaved);
  mDetached = false;
}

void ShowMenuBelowButton(CToolBarEx* toolbar, int command, wxMenu& menu) {
  const wxRect rect = toolbar->GetToolRect(ToWxId(command));
  ShowPopupMenu(toolbar, menu, wxPoint(rect.GetLeft(), rect.GetBottom() + 1));
}

bool IsSubSymmetryApplied() {
  const Poly* poly = GetCurrentPoly();
  return poly && poly->mFullSymGroup != nullptr;
}

// ---- Main toolbar ---------------------------------------------------------------------------

MainToolBar::MainToolBar(wxWindow* parent)
    : CToolBarEx(parent, kMainToolBarId, "Main toolbar", GetToolbarResource(kMainToolBarId)) {
  for (int command : detail_Toolbars::kMainDropDowns) SetDropDown(command, true);
}

bool MainToolBar::CreateCombos() {
  using namespace detail_Toolbars;
  mCategoryCombo = MakeCombo(this, kCategoryComboId, kCategoryChars, kCategoryListLines, wxCB_READONLY);
  // The model box also takes a name, number, configuration or symbol typed into it.
  mModelCombo = MakeCombo(this, kModelComboId, kModelChars, kModelListLines, wxTE_PROCESS_ENTER);
  if (!ReplaceControlSlot(kCategoryComboId, mCategoryCombo) || !ReplaceControlSlot(kModelComboId, mModelCombo))
    return false;
  for (wxOwnerDrawnComboBox* combo : {mCategoryCombo, mModelCombo}) {
    auto handler = combo == mCategoryCombo ? &MainToolBar::OnCategoryEvent : &MainToolBar::OnModelEvent;
    combo->Bind(wxEVT_COMBOBOX_DROPDOWN, handler, this);
    combo->Bind(wxEVT_COMBOBOX_CLOSEUP, handler, this);
    combo->Bind(wxEVT_COMBOBOX, handler, this);
  }
  mModelCombo->Bind(wxEVT_TEXT_ENTER, &MainToolBar::OnModelEvent, this);
  // The combos' ids are commands too: the window's updates would disable them otherwise.
  SetCommandAvailable(kCategoryComboId, true);
  SetCommandAvailable(kModelComboId, true);
  UpdateCategoryCombo();
  UpdateModelCombo();
  return true;
}

void MainToolBar::OnCategoryEvent(wxCommandEvent& event) {
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_COMBOBOX_DROPDOWN) {
    mKeys.Detach(this);
    GetTour().StopTour();
    FillCategoryCombo(false);
  } else if (type == wxEVT_COMBOBOX_CLOSEUP) {
    mKeys.Restore(this);
  } else if (type == wxEVT_COMBOBOX && !mFilling) {
    ChooseCategory(mCategoryCombo->GetSelection());
  }
}

void MainToolBar::OnModelEvent(wxCommandEvent& event) {
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_COMBOBOX_DROPDOWN) {
    mKeys.Detach(this);
    GetTour().StopTour();
    FillModelComboIfNeeded(false);
  } else if (type == wxEVT_COMBOBOX_CLOSEUP) {
    mKeys.Restore(this);
  } else if (type == wxEVT_COMBOBOX && !mFilling) {
    ChooseModel(mModelCombo->GetSelection());
  } else if (type == wxEVT_TEXT_ENTER) {
    OpenTypedModel(mModelCombo->GetValue().utf8_string());
  }
}

bool MainToolBar::CategoryListHasUnknown() const {
  return mCategoryCombo && mCategoryCombo->GetCount() > 0 && mCategoryCombo->GetString(0) == kUnknownCategory;
}

void MainToolBar::UpdateCategoryCombo() {
  using namespace detail_Toolbars;
  if (!mCategoryCombo) return;
  if (mCategoryCombo->IsPopupShown()) {
    FillCategoryCombo(true);
    return;
  }
  mFilling = true;
  const LibraryEntry* entry = CategoryEntry();
  const int offset = CategoryListHasUnknown() ? 1 : 0;
  const int selected = mCategoryCombo->GetSelection() - offset;
  if (mCategoryCombo->GetCount() > 1 && entry && !mFolderShown && selected >= 0 && selected < mNumCategoryItems &&
      entry->mCategory >= selected && entry->mCategory <= selected + GetCategoryChildCount(selected)) {
    if (offset) mCategoryCombo->Delete(0);
    mFilling = false;
    return;
  }
  std::string text = kUnknownCategory;
  if (SearchResultsShown()) {
    text = kSearchResultsItem;
  } else if (mFolderShown) {
    const int root = RootOfFolder(mFolder);
    text = root >= 0 ? gLibraryRoots[root].mDisplayName : GetLibraryFileName(mFolder.c_str());
  } else if (entry) {
    text = Indented(entry->mCategory);
  }
  SetSingleItem(mCategoryCombo, text);
  mFilling = false;
}

void MainToolBar::FillCategoryCombo(bool force) {
  using namespace detail_Toolbars;
  if (!mCategoryCombo || (!force && mCategoryCombo->GetCount() > 1)) return;
  mFilling = true;
  const LibraryEntry* entry = CategoryEntry();
  const bool hadList = mCategoryCombo->GetCount() > 1 && !mFolderShown;
  const int remembered = hadList ? mCategoryCombo->GetSelection() - (CategoryListHasUnknown() ? 1 : 0) : -1;
  mCategoryCombo->Clear();
  const bool unknown = !SearchResultsShown() && !entry && !mFolderShown;
  if (unknown) mCategoryCombo->Append(kUnknownCategory);
  const int offset = unknown ? 1 : 0;
  mNumCategoryItems = 0;
  for (int c = 0; GetCategoryName(c); ++c, ++mNumCategoryItems) mCategoryCombo->Append(wxString::FromUTF8(Indented(c)));
  const int folderRoot = mFolderShown ? RootOfFolder(mFolder) : -1;
  for (int root = 0; root < kNumLibraryRoots; ++root)
    mCategoryCombo->Append(wxString::Format("(%s)", wxString::FromUTF8(gLibraryRoots[root].mDisplayName)));
  mNumListItems = mNumCategoryItems + kNumLibraryRoots;
  int select = 0;
  if (SearchResultsShown()) {
    select = 0;
  } else if (mFolderShown) {
    select = folderRoot >= 0 ? mNumCategoryItems + folderRoot : -1;
  } else if (entry && remembered >= 0 && remembered < mNumCategoryItems && entry->mCategory >= remembered &&
             entry->mCategory <= remembered + GetCategoryChildCount(remembered)) {
    select = remembered;
  } else {
    select = entry ? entry->mCategory : 0;
  }
  mCategoryCombo->SetSelection(select >= 0 ? select + offset : wxNOT_FOUND);
  mFilling = false;
}

void MainToolBar::ChooseCategory(int row) {
  using namespace detail_Toolbars;
  const int index = row - (CategoryListHasUnknown() ? 1 : 0);
  if (index < 0) return;
  mFolderShown = false;
  if (index >= mNumCategoryItems && index < mNumListItems) {
    // A library root: its model files are listed.
    mFolder = RootFolder(index - mNumCategoryItems);
    mFolderShown = true;
    UpdateCategoryCombo();
    FillModelComboIfNeeded(true);
    return;
  }
  mFolder.clear();
  bool dual = false;
  LibraryEntry* entry = GetCategoryModel(index, 0, true, &dual);
  if (!entry || !CreateLibraryModel(entry, CurrentEntry(), true, detail_Toolbars::TellRefusedBase) ||
      !GetBarDocument().SetModel(entry, index == kCategorySearchResults, dual)) {
    UpdateCategoryCombo();
    return;
  }
  UpdateCategoryCombo();
  UpdateModelCombo();
}

void MainToolBar::UpdateModelCombo() {
  using namespace detail_Toolbars;
  if (!mModelCombo) return;
  if (mModelCombo->IsPopupShown()) {
    FillModelComboIfNeeded(true);
    return;
  }
  mFilling = true;
  SetSingleItem(mModelCombo, ClosedModelText());
  mFilling = false;
}

std::string MainToolBar::ClosedModelText() const {
  using namespace detail_Toolbars;
  if (mFolderShown) return ModelFileTitle(GetBarDocument().GetPathName());
  if (const LibraryListNode* result = SearchResultsShown() ? GetCurrentSearchResult() : nullptr) {
    const LibraryEntry* found = result->mEntry;
    if (found && found->IsUserRecord()) return ModelFileTitle(found->mName ? found->mName : "");
    if (found && result->mIsDual) return found->GetDualName();
    return found && found->mName ? found->mName : "";
  }
  const LibraryEntry* entry = CurrentEntry();
  if (!entry && CurrentEntryOfDual()) return CurrentEntryOfDual()->GetDualName();
  return entry && entry->mName ? entry->mName : kUnknownModel;
}

int MainToolBar::ModelListCategory() {
  if (detail_Toolbars::SearchResultsShown()) return kCategorySearchResults;
  const LibraryEntry* entry = detail_Toolbars::CategoryEntry();
  int category = entry ? entry->mCategory : 0;
  if (mCategoryCombo && mCategoryCombo->GetCount() > 1) {
    const int selected = mCategoryCombo->GetSelection() - (CategoryListHasUnknown() ? 1 : 0);
    if (selected >= 0 && selected < mNumCategoryItems &&
        (!entry || (entry->mCategory >= selected && entry->mCategory <= selected + GetCategoryChildCount(selected))))
      category = selected;
  }
  return category;
}

void MainToolBar::FillModelComboIfNeeded(bool force) {
  if (!mModelCombo || (!force && mModelCombo->GetCount() > 1)) return;
  mFilling = true;
  if (mFolderShown)
    FillFolderList();
  else
    FillModelCombo();
  mFilling = false;
}

void MainToolBar::FillModelCombo() {
  using namespace detail_Toolbars;
  mModelCombo->Clear();
  const LibraryEntry* entry = CurrentEntry();
  const int category = ModelListCategory();
  int select = 0;
  if (category > 0) {
    // A model of no record stands first, by the name of the dual it is or as unknown.
    const int offset = entry ? 0 : 1;
    if (!entry) mModelCombo->Append(wxString::FromUTF8(ClosedModelText()));
    const int last = category + GetCategoryChildCount(category);
    int position = 0;
    for (int i = 0; i < kNumLibraryEntries; ++i) {
      const LibraryEntry& e = gLibraryTable[i];
      if (e.mCategory < category || e.mCategory > last) continue;
      if (&e == entry) select = position + offset;
      mModelCombo->Append(wxString::FromUTF8(e.mName ? e.mName : ""));
      ++position;
    }
  } else {
    int position = 0;
    const LibraryListNode* current = GetCurrentSearchResult();
    for (const LibraryListNode* node = GetSearchResults(); node; node = node->Next(), ++position) {
      const LibraryEntry* e = node->mEntry;
      std::string text;
      if (e && e->IsUserRecord())
        text = "  (" + ModelFileTitle(e->mName ? e->mName : "") + ")";
      else if (e && node->mIsDual)
        text = e->GetDualName();
      else
        text = e && e->mName ? e->mName : "";
      if (current && e &&
          (e == current->mEntry || (e->IsUserRecord() && current->mEntry && current->mEntry->IsUserRecord() &&
                                    StrCompareNoCase(e->mName, current->mEntry->mName) == 0)))
        select = position;
      mModelCombo->Append(wxString::FromUTF8(text));
    }
  }
  if (mModelCombo->GetCount() > 0) mModelCombo->SetSelection(select);
}

void MainToolBar::FillFolderList() {
  using namespace detail_Toolbars;
  mModelCombo->Clear();
  mModelCombo->Append(kUpOneLevel);
  int count = 0;
  const std::string folders = mFolder + "/*";
  char** names = ListDirectory(folders.c_str(), kListFolders, &count);
  for (int i = 0; i < count; ++i) mModelCombo->Append(wxString::Format("<%s>", wxString::FromUTF8(names[i])));
  DeleteStringArray(count, names);
  const std::string files = mFolder + "/*" + kLibraryExtension;
  names = ListDirectory(files.c_str(), kListFiles, &count);
  const std::string current = GetBarDocument().GetPathName();
  int select = 0;
  for (int i = 0; i < count; ++i) {
    if (!current.empty() && mFolder + "/" + names[i] == current) select = static_cast<int>(mModelCombo->GetCount());
    mModelCombo->Append(wxString::FromUTF8(ModelFileTitle(names[i])));
  }
  DeleteStringArray(count, names);
  mModelCombo->SetSelection(select);
}

void MainToolBar::ChooseModel(int row) {
  using namespace detail_Toolbars;
  if (row < 0 || !mModelCombo || row >= static_cast<int>(mModelCombo->GetCount())) return;
  if (mFolderShown) {
    const std::string text = mModelCombo->GetString(static_cast<unsigned>(row)).utf8_string();
    if (text.size() >= 3 && text.front() == '<' && text.back() == '>') {
      if (text == kUpOneLevel) {
        const size_t slash = mFolder.find_last_of("/\\");
        mFolder = slash == std::string::npos || slash == 0 ? std::string("/") : mFolder.substr(0, slash);
      } else {
        mFolder += "/" + text.substr(1, text.size() - 2);
      }
      UpdateCategoryCombo();
      FillModelComboIfNeeded(true);
      return;
    }
    std::string name = text;
    CStringReplaceSlashesWithSemicolons(name);
    AddLibraryExtension(name);
    if (GetBarDocument().OpenModelFile(mFolder + "/" + name)) {
      GiveKeysToActivePane();
    } else {
      UpdateModelCombo();
    }
    return;
  }
  const LibraryEntry* current = CurrentEntry();
  const int index = row - (!current && !SearchResultsShown() ? 1 : 0);
  if (index < 0) return;
  FillCategoryCombo(false);
  const int category = ModelListCategory();
  // A result found by its dual's name is that dual.
  bool dual = false;
  LibraryEntry* entry = GetCategoryModel(category, index, true, &dual);
  if (!entry || !CreateLibraryModel(entry, current, true, detail_Toolbars::TellRefusedBase) ||
      !GetBarDocument().SetModel(entry, category == kCategorySearchResults, dual)) {
    UpdateModelCombo();
    return;
  }
  UpdateCategoryCombo();
  UpdateModelCombo();
  GiveKeysToActivePane();
}

void MainToolBar::OpenTypedModel(const std::string& text) {
  GetTour().StopTour();
  const char* start = SkipBlanks(text.c_str());
  // Enter on the box's own text names the current model: nothing to look up (a model
  // with no record shows a placeholder no look-up knows).
  if (text == ClosedModelText()) {
    UpdateModelCombo();
    detail_Toolbars::GiveKeysToActivePane();
    return;
  }
  const bool opened = *start && GetBarDocument().OpenModelByNameOrSymbol(start);
  // Whatever it was, the boxes show the model that is current now.
  UpdateCategoryCombo();
  UpdateModelCombo();
  if (opened) detail_Toolbars::GiveKeysToActivePane();
}

void MainToolBar::OnDropDown(int command) {
  const bool redo = command == detail_Toolbars::kCmdRedo;
  if (command != detail_Toolbars::kCmdUndo && !redo) return;
  const std::vector<std::string> names = GetBarDocument().GetUndoNames(redo);
  if (names.empty()) return;
  wxMenu menu;
  for (size_t i = 0; i < names.size(); ++i) menu.Append(static_cast<int>(i) + 1, wxString::FromUTF8(names[i]));
  const wxRect rect = GetToolRect(ToWxId(command));
  const int chosen = ChoosePopupMenuCommand(this, menu, wxPoint(rect.GetLeft(), rect.GetBottom() + 1));
  if (chosen > 0) UndoSteps(chosen, redo);
}

void MainToolBar::UndoSteps(int n, bool redo) {
  BeginProgress();
  for (int i = 0; i < n; ++i) {
    if (!UpdateProgress(static_cast<double>(i) / n,
                        redo ? "Redone %d changes out of %d" : "Undone %d changes out of %d", i, n))
      return;  // cancelled: the progress is closed already
    if (!(redo ? GetBarDocument().Redo() : GetBarDocument().Undo())) break;
  }
  EndProgress();
}

// ---- Tour toolbar ---------------------------------------------------------------------------

TourToolBar::TourToolBar(wxWindow* parent)
    : CToolBarEx(parent, kTourToolBarId, "Tour toolbar", GetToolbarResource(kTourToolBarId)) {}

// ---- Option toolbar -------------------------------------------------------------------------

OptionToolBar::OptionToolBar(wxWindow* parent)
    : CToolBarEx(parent, kOptionToolBarId, "Option toolbar", GetToolbarResource(kOptionToolBarId)) {
  for (int command : detail_Toolbars::kOptionDropDowns) SetDropDown(command, true);
  Bind(wxEVT_TOOL, &OptionToolBar::OnGeomagStyleButton, this, ToWxId(detail_Toolbars::kCmdChooseGeomagEdgeStyle));
}

void OptionToolBar::OnGeomagStyleButton(wxCommandEvent& event) {
  // While the construction toy is shown, the button opens the edge colours instead.
  if (GeomagStyle) {
    const wxRect rect = GetToolRect(event.GetId());
    GetBarDocument().ShowRodColorMenu(this, wxRect(ClientToScreen(rect.GetTopLeft()), rect.GetSize()));
    return;
  }
  event.Skip();
}

bool OptionToolBar::CreateCombos() {
  using namespace detail_Toolbars;
  mSymmetryCombo = new OwnerDrawCombo(this, ToWxId(kSymmetryComboId), false, wxDefaultPosition,
                                      wxSize(GetSlotWidth(kSymmetryChars), -1));
  mSymmetryCombo->Configure(false, kSymmetrySecondColumn, kSymmetryThirdWidth, kComboAutoSize);
  mSymmetryCombo->SetPopupMaxHeight(kSymmetryListLines * (mSymmetryCombo->GetCharHeight() + 2));
  mRotationalCombo = MakeCombo(this, kRotationalComboId, kRotationalChars, kSymmetryListLines, wxCB_READONLY);
  mReflectiveCombo = MakeCombo(this, kReflectiveComboId, kReflectiveChars, kSymmetryListLines, wxCB_READONLY);
  if (!ReplaceControlSlot(kSymmetryComboId, mSymmetryCombo) ||
      !ReplaceControlSlot(kRotationalComboId, mRotationalCombo) ||
      !ReplaceControlSlot(kReflectiveComboId, mReflectiveCombo))
    return false;
  for (wxWindow* combo : {static_cast<wxWindow*>(mSymmetryCombo), static_cast<wxWindow*>(mRotationalCombo),
                          static_cast<wxWindow*>(mReflectiveCombo)}) {
    combo->Bind(wxEVT_COMBOBOX_DROPDOWN, &OptionToolBar::OnComboEvent, this);
    combo->Bind(wxEVT_COMBOBOX_CLOSEUP, &OptionToolBar::OnComboEvent, this);
    combo->Bind(wxEVT_COMBOBOX, &OptionToolBar::OnComboEvent, this);
    SetCommandAvailable(FromWxId(combo->GetId()), true);
  }
  UpdateSymmetryCombo();
  UpdateRotationalCombo();
  UpdateReflectiveCombo();
  return true;
}

void OptionToolBar::OnComboEvent(wxCommandEvent& event) {
  const wxEventType type = event.GetEventType();
  const int id = FromWxId(event.GetId());
  if (type == wxEVT_COMBOBOX_DROPDOWN) {
    mKeys.Detach(this);
    if (id == kSymmetryComboId) FillSymmetryCombo(false);
    if (id == kRotationalComboId) FillRotationalCombo(false);
    if (id == kReflectiveComboId) FillReflectiveCombo(false);
  } else if (type == wxEVT_COMBOBOX_CLOSEUP) {
    mKeys.Restore(this);
  } else if (type == wxEVT_COMBOBOX && !mFilling) {
    if (id == kSymmetryComboId) ChooseSymmetry(mSymmetryCombo->GetSelection());
    if (id == kRotationalComboId) ChooseRotational(mRotationalCombo->GetSelection());
    if (id == kReflectiveComboId) ChooseReflective(mReflectiveCombo->GetSelection());
  }
}

void OptionToolBar::UpdateSymmetryCombo() {
  if (!mSymmetryCombo) return;
  if (mSymmetryCombo->IsPopupShown()) {
    FillSymmetryCombo(true);
    return;
  }
  const Poly* poly = GetCurrentPoly();
  if (IsSubSymmetryApplied()) return;
  mFilling = true;
  mSymmetryCombo->ResetContent();
  // Without a model the combo stays empty.
  mSymmetryCombo->AddItem(poly && poly->mSymGroup ? SymGroup::GetNotations(poly->mSymGroup, "\t").c_str() : "");
  mSymmetryCombo->SetCurSel(0);
  mFilling = false;
}

void OptionToolBar::FillSymmetryCombo(bool force) {
  if (!mSymmetryCombo || (!force && mSymmetryCombo->GetItemCount() > 1)) return;
  mFilling = true;
  mSymmetryCombo->ResetContent();
  const SymGroup* full = detail_Toolbars::FullGroup(GetCurrentPoly());
  SymSubgroupSpec spec;
  int rotational = 0, reflective = 0;
  while (full && SymGroup::GetNextSubgroup(full, spec, rotational, reflective))
    mSymmetryCombo->AddItem(GetSubgroupNotations(&spec, "\t").c_str());
  if (mSymmetryCombo->GetItemCount() == 0) mSymmetryCombo->AddItem("");
  mSymmetryCombo->SetCurSel(0);
  mFilling = false;
}

void OptionToolBar::UpdateRotationalCombo() {
  if (!mRotationalCombo) return;
  if (mRotationalCombo->IsPopupShown()) {
    FillRotationalCombo(true);
    return;
  }
  if (IsSubSymmetryApplied()) return;
  const Poly* poly = GetCurrentPoly();
  mFilling = true;
  detail_Toolbars::SetSingleItem(mRotationalCombo, poly && poly->mSymGroup ? SymGroup::GetName(poly->mSymGroup) : "");
  mFilling = false;
}

void OptionToolBar::FillRotationalCombo(bool force) {
  if (!mRotationalCombo || (!force && mRotationalCombo->GetCount() > 1)) return;
  mFilling = true;
  mRotationalCombo->Clear();
  const SymGroup* full = detail_Toolbars::FullGroup(GetCurrentPoly());
  SymSubgroupSpec spec;
  while (full && SymGroup::GetNextRotationalSubgroup(full, spec))
    mRotationalCombo->Append(wxString::FromUTF8(SymGroup::GetRotationalSubgroupName(full, spec)));
  if (mRotationalCombo->GetCount() > 0) mRotationalCombo->SetSelection(0);
  mFilling = false;
}

void OptionToolBar::UpdateReflectiveCombo() {
  if (!mReflectiveCombo) return;
  if (mReflectiveCombo->IsPopupShown()) {
    FillReflectiveCombo(true);
    return;
  }
  const Poly* poly = GetCurrentPoly();
  mFilling = true;
  detail_Toolbars::SetSingleItem(mReflectiveCombo,
                                 poly && poly->mSymGroup ? SymGroup::GetReflectionName(poly->mSymGroup) : "");
  mFilling = false;
}

void OptionToolBar::FillReflectiveCombo(bool force) {
  if (!mReflectiveCombo || (!force && mReflectiveCombo->GetCount() > 1)) return;
  mFilling = true;
  mReflectiveCombo->Clear();
  const SymGroup* full = detail_Toolbars::FullGroup(GetCurrentPoly());
  const int rotational = mRotationalCombo && mRotationalCombo->GetCount() > 1 ? mRotationalCombo->GetSelection() : 0;
  SymSubgroupSpec spec;
  if (full && SymGroup::GetRotationalSubgroup(full, std::max(0, rotational), spec)) {
    while (SymGroup::GetNextReflectiveSubgroup(full, spec))
      mReflectiveCombo->Append(wxString::FromUTF8(SymGroup::GetReflectiveSubgroupName(full, spec)));
  }
  if (mReflectiveCombo->GetCount() > 0) mReflectiveCombo->SetSelection(0);
  mFilling = false;
}

void OptionToolBar::ChooseSymmetry(int row) {
  Poly* poly = GetCurrentPoly();
  if (!poly || row < 0) return;
  platform::UndoHooks* undo = platform::Services().undo;
  undo->AddUndo(kUndoSubSymmetry, 0);
  // A subgroup that cannot be applied changes nothing: its undo step goes.
  if (!ApplySubSymmetry(*poly, row, -1)) {
    undo->DiscardLastUndo();
    return;
  }
  const SymGroup* full = detail_Toolbars::FullGroup(poly);
  SymSubgroupSpec spec;
  int rotational = 0, reflective = 0;
  if (SymGroup::GetSubgroup(full, row, spec, rotational, reflective)) {
    FillRotationalCombo(false);
    mFilling = true;
    mRotationalCombo->SetSelection(rotational);
    mFilling = false;
    FillReflectiveCombo(true);
    mFilling = true;
    mReflectiveCombo->SetSelection(reflective);
    mFilling = false;
  }
  RedrawAllViews(false, false);
}

void OptionToolBar::ChooseRotational(int row) {
  Poly* poly = GetCurrentPoly();
  if (!poly || row < 0) return;
  platform::UndoHooks* undo = platform::Services().undo;
  undo->AddUndo(kUndoSubSymmetry, 0);
  if (!ApplySubSymmetry(*poly, row, 0)) {
    undo->DiscardLastUndo();
    return;
  }
  UpdateReflectiveCombo();
  FillSymmetryCombo(false);
  mFilling = true;
  mSymmetryCombo->SetCurSel(SymGroup::FindSubgroupIndex(detail_Toolbars::FullGroup(poly), row, 0));
  mFilling = false;
  RedrawAllViews(false, false);
}

void OptionToolBar::ChooseReflective(int row) {
  Poly* poly = GetCurrentPoly();
  if (!poly || row < 0) return;
  const int rotational = mRotationalCombo->GetCount() > 1 ? mRotationalCombo->GetSelection() : 0;
  platform::UndoHooks* undo = platform::Services().undo;
  undo->AddUndo(kUndoSubSymmetry, 0);
  if (!ApplySubSymmetry(*poly, std::max(0, rotational), row)) {
    undo->DiscardLastUndo();
    return;
  }
  FillSymmetryCombo(false);
  mFilling = true;
  mSymmetryCombo->SetCurSel(
      SymGroup::FindSubgroupIndex(detail_Toolbars::FullGroup(poly), std::max(0, rotational), row));
  mFilling = false;
  RedrawAllViews(false, false);
}

void OptionToolBar::BuildVertexMenu(wxMenu& menu) {
  menu.Append(ToWxId(33080), "Size for Drawing Vertices...");
  menu.Append(ToWxId(33079), "Default Vertex Color...");
  menu.AppendCheckItem(ToWxId(33444), "Color Vertices Same as Dual Face")->Check(ColorVertsSameAsDualFace);
}

void OptionToolBar::BuildEdgeMenu(wxMenu& menu) {
  using namespace detail_Toolbars;
  menu.Append(ToWxId(33060), "Line Width for Edges...");
  menu.Append(ToWxId(33061), "Default Edge Color...");
  menu.AppendSeparator();
  const char* const texts[] = {"Color Edges by Type (including reflections)",
                               "Color Edges by Type (excluding reflections)",
                               "Color Edges Same if Parallel",
                               "Color Edges by Great Circles",
                               "Color Edges from Neighbouring Faces",
                               "Color Edges from Neighbouring Faces (complement)"};
  bool marked = false;
  wxMenuItem* allSame = menu.AppendRadioItem(ToWxId(kCmdEdgesAllSame), "Color All Edges the Same");
  for (size_t i = 0; i < std::size(kEdgeModes); ++i) {
    wxMenuItem* item = menu.AppendRadioItem(ToWxId(kEdgeModes[i].second), texts[i]);
    if (EdgeColorScheme == kEdgeModes[i].first) {
      item->Check(true);
      marked = true;
    }
  }
  if (!marked) allSame->Check(true);
}

void OptionToolBar::OnDropDown(int command) {
  using namespace detail_Toolbars;
  wxMenu menu;
  if (command == kCmdShowVertices) {
    BuildVertexMenu(menu);
  } else if (command == kCmdShowEdges) {
    BuildEdgeMenu(menu);
  } else if (command == kCmdSpheresAndCylinders) {
    GetBarDocument().ShowSphereCylinderOptions();
    return;
  } else {
    return;
  }
  ShowMenuBelowButton(this, command, menu);
}

// ---- Mode and view toolbars -------------------------------------------------------------------

ModeToolBar::ModeToolBar(wxWindow* parent)
    : CToolBarEx(parent, kModeToolBarId, "Mode toolbar", GetToolbarResource(kModeToolBarId)) {
  for (int command : detail_Toolbars::kModeDropDowns) SetDropDown(command, true);
}

void ModeToolBar::BuildImageMenu(wxMenu& menu) {
  using namespace detail_Toolbars;
  const Poly* poly = GetCurrentPoly();
  const PolyElement* face = poly ? poly->GetCurrentFace() : nullptr;
  menu.Append(ToWxId(kCmdImageOptions), "Image Options...")->Enable(face && face->GetImage());
  const ElementList* list = poly ? (poly->mShowDual ? static_cast<const ElementList*>(&poly->mVertices)
                                                    : static_cast<const ElementList*>(&poly->mFaces))
                                 : nullptr;
  menu.Append(ToWxId(kCmdAllImageOptions), "Options for All Images...")
      ->Enable(face && list && list->HasOtherImageEntry(face->GetImage()));
}

void ModeToolBar::OnDropDown(int command) {
  using namespace detail_Toolbars;
  wxMenu menu;
  if (command == kCmdImageMode)
    BuildImageMenu(menu);
  else if (command == kCmdCrossSectionTumble)
    BuildCrossSectionMenu(menu);
  else
    return;
  ShowMenuBelowButton(this, command, menu);
}

ViewToolBar::ViewToolBar(wxWindow* parent)
    : CToolBarEx(parent, kViewToolBarId, "View toolbar", GetToolbarResource(kViewToolBarId)) {
  for (int command : detail_Toolbars::kViewDropDowns) SetDropDown(command, true);
}

void ViewToolBar::OnDropDown(int command) {
  if (command != detail_Toolbars::kCmdCrossSection) return;
  wxMenu menu;
  BuildCrossSectionMenu(menu);
  ShowMenuBelowButton(this, command, menu);
}

void BuildCrossSectionMenu(wxMenu& menu) {
  using namespace detail_Toolbars;
  menu.Append(ToWxId(33381), "Selected Face/Edge/Vertex/Symmetry First");
  const Poly* poly = GetCurrentPoly();
  for (int axis = 0; axis < 3; ++axis) {
    char name[128];
    const bool present = GetAxisName(poly ? poly->mSymGroup : nullptr, name, sizeof name, "Along", axis);
    menu.Append(ToWxId(kCmdAlongAxis[axis]), wxString::FromUTF8(name))->Enable(present);
  }
  menu.AppendSeparator();
  menu.Append(ToWxId(33439), "Measured Item First");
  menu.AppendCheckItem(ToWxId(33396), "Automatic");
}

}  // namespace corvia
