// The window of the "Polyhedra" model browser.

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <array>
#include <vector>

#include "construction/ModelLookup.h"
#include "construction/PolyhedraDialog.h"
#include "core/Messages.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "model/LibraryEntry.h"
#include "ui/BarDocument.h"

namespace corvia {

namespace detail_PolyhedraWindow {

// The bounds in the order of the criteria's fields.
const char* const kCountNames[] = {"Cells", "Faces", "Edges", "Vertices"};
const char* const kMinNames[] = {"minCells", "minFaces", "minEdges", "minVerts"};
const char* const kMaxNames[] = {"maxCells", "maxFaces", "maxEdges", "maxVerts"};
constexpr int kNumCounts = 4;
constexpr int kCountLimit = 0x7ffffffe;

std::array<int32_t*, 2 * kNumCounts> CriteriaFields(ModelSearchCriteria& c) {
  return {&c.mMinCells, &c.mMaxCells, &c.mMinFaces, &c.mMaxFaces,
          &c.mMinEdges, &c.mMaxEdges, &c.mMinVerts, &c.mMaxVerts};
}

std::string ResultText(const LibraryListNode& node) {
  if (!node.mEntry) return std::string();
  if (node.mIsDual) return node.mEntry->GetDualName();
  return node.mEntry->mName ? node.mEntry->mName : "";
}

class PolyhedraWindow : public CorviaDialog {
 public:
  explicit PolyhedraWindow(CPolyhedraDialog& values)
      : CorviaDialog(nullptr, "Polyhedra", CPolyhedraDialog::kName), mValues(values) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    auto* searchRow = new wxBoxSizer(wxHORIZONTAL);
    searchRow->Add(new wxStaticText(this, wxID_ANY, "Name, symbol or configuration:"), 0,
                   wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(6));
    mName = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, FromDIP(wxSize(200, -1)), wxTE_PROCESS_ENTER,
                           wxDefaultValidator, "name");
    mName->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { Search(); });
    searchRow->Add(mName, 1, wxRIGHT, FromDIP(6));
    auto* search =
        new wxButton(this, wxID_ANY, "Search", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "search");
    search->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Search(); });
    searchRow->Add(search);
    column->Add(searchRow, 0, wxEXPAND | wxBOTTOM, FromDIP(8));

    auto* grid = new wxFlexGridSizer(3, FromDIP(4), FromDIP(8));
    grid->Add(new wxStaticText(this, wxID_ANY, ""));
    grid->Add(new wxStaticText(this, wxID_ANY, "at least"));
    grid->Add(new wxStaticText(this, wxID_ANY, "at most"));
    for (int i = 0; i < kNumCounts; ++i) {
      grid->Add(new wxStaticText(this, wxID_ANY, kCountNames[i]), 0, wxALIGN_CENTER_VERTICAL);
      for (int bound = 0; bound < 2; ++bound) {
        auto* field = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, FromDIP(wxSize(70, -1)), wxTE_PROCESS_ENTER,
                                     wxDefaultValidator, bound ? kMaxNames[i] : kMinNames[i]);
        field->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { Search(); });
        mBounds[static_cast<size_t>(2 * i + bound)] = field;
        grid->Add(field);
      }
    }
    column->Add(grid, 0, wxBOTTOM, FromDIP(8));
    mCount = new wxStaticText(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, 0, "count");
    column->Add(mCount, 0, wxBOTTOM, FromDIP(4));
    mResults = new wxListBox(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(340, 220)), 0, nullptr, wxLB_SINGLE,
                             wxDefaultValidator, "results");
    mResults->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { PressOk(); });
    column->Add(mResults, 1, wxEXPAND);
    FinishLayout(column);
  }

  bool TransferDataToWindow() override {
    ModelSearchCriteria& criteria = gModelSearchCriteria;
    mName->SetValue(wxString::FromUTF8(criteria.mName));
    const auto fields = CriteriaFields(criteria);
    for (size_t i = 0; i < fields.size(); ++i) {
      const int32_t value = *fields[i];
      const bool unset = (i % 2) ? value == kCriteriaUnset : value <= 0;
      mBounds[i]->SetValue(unset ? wxString() : wxString::Format("%d", value));
    }
    ShowResults();
    return true;
  }

  bool TransferDataFromWindow() override {
    const int at = mResults->GetSelection();
    if (at == wxNOT_FOUND || at >= static_cast<int>(mNodes.size())) return RefuseField("Please choose a model.");
    LibraryListNode* node = mNodes[static_cast<size_t>(at)];
    SetCurrentSearchResult(node);
    mValues.mEntry = node->mEntry;
    mValues.mIsDual = node->mIsDual != 0;
    return true;
  }

  // Reads the text and the bounds into the global criteria and looks for every
  // model that meets them.
  void Search() {
    ModelSearchCriteria criteria;
    criteria.Reset();
    criteria.mName = mName->GetValue().utf8_string();
    const auto fields = CriteriaFields(criteria);
    for (size_t i = 0; i < fields.size(); ++i) {
      if (mBounds[i]->GetValue().Trim().Trim(false).empty()) continue;
      int value = 0;
      if (!ReadInt(mBounds[i], 0, kCountLimit, "count", value)) return;
      *fields[i] = value;
    }
    gModelSearchCriteria = criteria;
    bool recognised = false, dual = false;
    Outcome why;
    WenningerStellation stellation;
    LibraryEntry* found = LookUpModel(criteria.mName.c_str(), &recognised, &why, &dual, true, &stellation);
    if (why.told()) ShowError("%s", why.text().c_str());
    // A Wenninger stellation is shown as if its number had been typed in the main
    // window's model box.
    if (stellation.number) GetBarDocument().OpenModelByNameOrSymbol(criteria.mName);
    // A catalogue index names one model and makes no result of it: it is listed all
    // the same, so that it can be chosen.
    if (found && !GetSearchResults()) AppendSearchResult(found, dual);
    ShowResults();
  }

 private:
  void ShowResults() {
    mResults->Clear();
    mNodes.clear();
    for (LibraryListNode* node = GetSearchResults(); node; node = node->Next()) {
      mNodes.push_back(node);
      mResults->Append(wxString::FromUTF8(ResultText(*node)));
    }
    const int count = static_cast<int>(mNodes.size());
    mCount->SetLabel(count == 1 ? wxString("1 model found") : wxString::Format("%d models found", count));
    int select = 0;
    for (int i = 0; i < count; ++i) {
      if (mNodes[static_cast<size_t>(i)] == GetCurrentSearchResult()) select = i;
    }
    if (count > 0) mResults->SetSelection(select);
  }

  CPolyhedraDialog& mValues;
  wxTextCtrl* mName;
  std::array<wxTextCtrl*, 2 * kNumCounts> mBounds{};
  wxStaticText* mCount;
  wxListBox* mResults;
  std::vector<LibraryListNode*> mNodes;
};

// The criteria and the search results as they stood before the dialog, put back
// when it is cancelled. A result that held a user record cannot come back: its
// record went with it.
class SearchSnapshot {
 public:
  SearchSnapshot() : mCriteria(gModelSearchCriteria) {
    for (LibraryListNode* node = GetSearchResults(); node; node = node->Next()) {
      if (node == GetCurrentSearchResult()) mCurrent = static_cast<int>(mResults.size());
      mResults.push_back({node->mEntry, node->mIsDual != 0, node->mEntry && node->mEntry->IsUserRecord()});
    }
  }
  bool Changed() const {
    int i = 0;
    for (LibraryListNode* node = GetSearchResults(); node; node = node->Next(), ++i) {
      if (i >= static_cast<int>(mResults.size()) || node->mEntry != mResults[static_cast<size_t>(i)].entry) return true;
    }
    return i != static_cast<int>(mResults.size());
  }
  void Restore() const {
    gModelSearchCriteria = mCriteria;
    if (!Changed()) return;
    ClearSearchResults();
    int i = 0;
    for (const Result& result : mResults) {
      if (!result.userRecord) {
        LibraryListNode* node = AppendSearchResult(result.entry, result.dual);
        if (i == mCurrent) SetCurrentSearchResult(node);
      }
      ++i;
    }
    if (mCurrent < 0) SetCurrentSearchResult(nullptr);
  }

 private:
  struct Result {
    LibraryEntry* entry;
    bool dual;
    bool userRecord;
  };
  ModelSearchCriteria mCriteria;
  std::vector<Result> mResults;
  int mCurrent = -1;
};

}  // namespace detail_PolyhedraWindow

bool RunPolyhedraWindow(CPolyhedraDialog& values) {
  const detail_PolyhedraWindow::SearchSnapshot before;
  if (RunWindowOnCopy<detail_PolyhedraWindow::PolyhedraWindow>(values)) return true;
  before.Restore();
  return false;
}

}  // namespace corvia
