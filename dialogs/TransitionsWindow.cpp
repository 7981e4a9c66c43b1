// The window of the Transitions dialog: it stays open beside the main window and
// writes the fields into the records of the selected occasions on Apply and OK. The
// tour occasion alone, while rows of the tour bar are selected, stands for the
// transitions of those rows' events.

#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <array>
#include <vector>

#include "core/Strings.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "model/TransitionSettings.h"
#include "platform/wx/WxOwner.h"
#include "ui/Tour.h"
#include "ui/TourBar.h"
#include "ui/TransitionsDlg.h"

namespace corvia {

namespace detail_TransitionsWindow {

const char* const kTypeNames[] = {"No transition", "Random",         "Sideways",         "Orbit",
                                  "Shrink & Grow", "Explode & Grow", "Shrink & Implode", "Explode & Implode",
                                  "As the default"};
constexpr int kNumTypes = 9;

// The fields of the parameters, duration first, in the order of the record.
const char* const kParamLabels[kTransitionNumParams] = {
    "Duration (seconds):",       "Incoming model grows from:", "Sideways: direction (degrees):",
    "Sideways: spin (turns/s):", "Outgoing model shrinks to:", "Orbit: axis (degrees):",
    "Orbit: speed (turns/s):",   "Shrink & Grow: spin:",       "Explode and implode: spin:",
};
const char* const kParamNames[kTransitionNumParams] = {
    "duration",   "incomingScale", "slideAngle", "slideSpin",   "outgoingScale",
    "orbitAngle", "orbitSpeed",    "shrinkSpin", "explodeSpin",
};

// The events of the tour bar's selected rows, when the tour occasion is the one
// selected; none otherwise.
std::vector<TourEvent*> SelectedTourEvents() {
  std::vector<TourEvent*> events;
  CTourBar* bar = GetTourBar();
  if (!bar || GetSelectedOccasions() != std::vector<int>{kOccasionTour}) return events;
  for (int row : bar->GetSelectedRows()) {
    if (TourEvent* event = GetTour().GetEvent(row)) events.push_back(event);
  }
  return events;
}

class TransitionsWindow : public CorviaDialog {
 public:
  TransitionsWindow() : CorviaDialog(platform::DialogOwner(), "Transitions", TransitionsDlg::kName) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    mOccasions = new wxListBox(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(170, 260)), 0, nullptr, wxLB_EXTENDED,
                               wxDefaultValidator, "occasions");
    for (int i = 0; i < kNumTransitionOccasions; ++i) mOccasions->Append(GetTransitionOccasionName(i));
    mOccasions->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) {
      KeepSelection();
      ShowFields();
    });
    row->Add(mOccasions, 0, wxEXPAND | wxRIGHT, FromDIP(10));

    auto* grid = new wxFlexGridSizer(2, FromDIP(4), FromDIP(8));
    grid->Add(new wxStaticText(this, wxID_ANY, "Transition:"), 0, wxALIGN_CENTER_VERTICAL);
    mType = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, 0, wxDefaultValidator, "type");
    for (const char* name : kTypeNames) mType->Append(wxString::FromUTF8(name));
    grid->Add(mType, 1, wxEXPAND);
    for (int i = 0; i < kTransitionNumParams; ++i) {
      // "Shrink & Grow" names the transition: its "&" marks no key.
      grid->Add(new wxStaticText(this, wxID_ANY, wxControl::EscapeMnemonics(kParamLabels[i])), 0,
                wxALIGN_CENTER_VERTICAL);
      mParams[static_cast<size_t>(i)] = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, FromDIP(wxSize(110, -1)),
                                                       0, wxDefaultValidator, kParamNames[i]);
      grid->Add(mParams[static_cast<size_t>(i)], 1, wxEXPAND);
    }
    auto* right = new wxBoxSizer(wxVERTICAL);
    right->Add(grid, 0, wxEXPAND | wxBOTTOM, FromDIP(6));
    right->Add(new wxStaticText(this, wxID_ANY, "An empty field takes the default's value."));
    MakeModeless(right);
    row->Add(right, 1, wxEXPAND);
    FinishLayout(row);
  }

  void Select(int occasion) {
    if (occasion < 0 || occasion >= kNumTransitionOccasions) return;
    GetSelectedOccasions() = {occasion};
    TransferDataToWindow();
  }

  bool TransferDataToWindow() override {
    mOccasions->DeselectAll();
    std::vector<int>& selected = GetSelectedOccasions();
    if (selected.empty()) selected.push_back(kOccasionDefault);
    for (int occasion : selected) {
      if (occasion >= 0 && occasion < kNumTransitionOccasions) mOccasions->SetSelection(occasion);
    }
    ShowFields();
    return true;
  }

  bool TransferDataFromWindow() override {
    KeepSelection();
    const std::vector<int>& selected = GetSelectedOccasions();
    if (selected.empty()) return RefuseField("Please select the occasions to set.");
    bool defaultSelected = false;
    for (int occasion : selected) defaultSelected |= occasion == kOccasionDefault;
    const int type = mType->GetSelection();
    if (type < 0 || (defaultSelected && type == kTransitionDefault)) {
      return RefuseField("The default transition needs a type of its own.");
    }
    double values[kTransitionNumParams];
    for (int i = 0; i < kTransitionNumParams; ++i) {
      wxTextCtrl* field = mParams[static_cast<size_t>(i)];
      if (IsBlank(field->GetValue().utf8_string().c_str())) {
        if (defaultSelected) {
          field->SetFocus();
          return RefuseField("The default transition needs every value.");
        }
        values[i] = kTransitionUnset;
      } else if (!ReadReal(field, values[i])) {
        return false;
      }
    }
    if (values[kParamDuration] != kTransitionUnset && values[kParamDuration] < 0.0) {
      mParams[kParamDuration]->SetFocus();
      return RefuseField("A transition cannot last less than no time.");
    }
    std::vector<TransitionSettings*> records;
    const std::vector<TourEvent*> events = SelectedTourEvents();
    for (TourEvent* event : events) records.push_back(&event->mTransition);
    if (events.empty()) {
      for (int occasion : selected) {
        if (TransitionSettings* record = GetTransitionRecord(occasion)) records.push_back(record);
      }
    }
    for (TransitionSettings* record : records) {
      record->mType = type;
      for (int i = 0; i < kTransitionNumParams; ++i) record->Param(i) = values[i];
    }
    // The tour bar shows the events' fade types and times.
    if (!events.empty()) GetTourBar()->RefreshList(true);
    return true;
  }

 private:
  void KeepSelection() {
    wxArrayInt rows;
    mOccasions->GetSelections(rows);
    std::vector<int>& selected = GetSelectedOccasions();
    selected.assign(rows.begin(), rows.end());
  }

  // The fields show the first selected tour event, or the first selected occasion.
  void ShowFields() {
    const std::vector<int>& selected = GetSelectedOccasions();
    const std::vector<TourEvent*> events = SelectedTourEvents();
    const TransitionSettings* record = !events.empty()    ? &events.front()->mTransition
                                       : selected.empty() ? nullptr
                                                          : GetTransitionRecord(selected.front());
    if (!record) return;
    mType->SetSelection(record->mType >= 0 && record->mType < kNumTypes ? record->mType : kTransitionDefault);
    for (int i = 0; i < kTransitionNumParams; ++i) {
      const double value = record->Param(i);
      mParams[static_cast<size_t>(i)]->SetValue(value == kTransitionUnset ? std::string() : FormatFieldNumber(value));
    }
  }

  wxListBox* mOccasions;
  wxChoice* mType;
  std::array<wxTextCtrl*, kTransitionNumParams> mParams{};
};

}  // namespace detail_TransitionsWindow

void ShowTransitionsWindow(TransitionsDlg& values) {
  auto* window = dynamic_cast<detail_TransitionsWindow::TransitionsWindow*>(FindOpenDialog(TransitionsDlg::kName));
  if (!window) {
    window = new detail_TransitionsWindow::TransitionsWindow;
    window->TransferDataToWindow();
    window->Show();
  }
  window->Select(values.mOccasion);
  window->Raise();
}

}  // namespace corvia
