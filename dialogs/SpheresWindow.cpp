// The window of the Spheres dialog: the radii of the reference spheres.

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/sizer.h>

#include "ui/Prompts.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "dialogs/SpheresDialog.h"

namespace corvia {

namespace detail_SpheresWindow {

constexpr const char* kRadiusPrompt = "Radius of the sphere:";

class SpheresWindow : public CorviaDialog {
 public:
  explicit SpheresWindow(SpheresDlg& values) : CorviaDialog(nullptr, "Spheres", SpheresDlg::kName), mValues(values) {
    mList = new wxListBox(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(200, 160)), 0, nullptr, wxLB_SINGLE,
                          wxDefaultValidator, "radii");
    auto* buttons = new wxBoxSizer(wxVERTICAL);
    auto addButton = [&](const char* label, const char* name, void (SpheresWindow::*action)()) {
      auto* button = new wxButton(this, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
      button->Bind(wxEVT_BUTTON, [this, action](wxCommandEvent&) { (this->*action)(); });
      buttons->Add(button, 0, wxEXPAND | wxBOTTOM, FromDIP(4));
    };
    addButton("Add...", "add", &SpheresWindow::Add);
    addButton("Change...", "change", &SpheresWindow::Change);
    addButton("Remove", "remove", &SpheresWindow::Remove);
    mList->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { Change(); });
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(mList, 1, wxEXPAND | wxRIGHT, FromDIP(8));
    row->Add(buttons, 0);
    FinishLayout(row);
  }

  bool TransferDataToWindow() override {
    mRadii = mValues.mRadii;
    Fill(0);
    return true;
  }
  bool TransferDataFromWindow() override {
    mValues.mRadii = mRadii;
    return true;
  }

  void Add() {
    double radius = mRadii.empty() ? 1.0 : mRadii.back();
    if (!AskRadius(radius)) return;
    mRadii.push_back(radius);
    Fill(static_cast<int>(mRadii.size()) - 1);
  }
  void Change() {
    const int at = mList->GetSelection();
    if (at == wxNOT_FOUND) return;
    double radius = mRadii[static_cast<size_t>(at)];
    if (!AskRadius(radius)) return;
    mRadii[static_cast<size_t>(at)] = radius;
    Fill(at);
  }
  void Remove() {
    const int at = mList->GetSelection();
    if (at == wxNOT_FOUND) return;
    mRadii.erase(mRadii.begin() + at);
    Fill(std::min(at, static_cast<int>(mRadii.size()) - 1));
  }

 private:
  bool AskRadius(double& radius) {
    for (;;) {
      if (!AskReal(kRadiusPrompt, radius, 0)) return false;
      if (radius > 0.0) return true;
      RefuseField("The radius of a sphere must be above 0.");
    }
  }
  void Fill(int select) {
    mList->Clear();
    for (double radius : mRadii) mList->Append(FormatFieldNumber(radius));
    if (select >= 0 && select < static_cast<int>(mRadii.size())) mList->SetSelection(select);
  }

  SpheresDlg& mValues;
  std::vector<double> mRadii;
  wxListBox* mList;
};

}  // namespace detail_SpheresWindow

bool RunSpheresWindow(SpheresDlg& values) {
  return RunWindowOnCopy<detail_SpheresWindow::SpheresWindow>(values);
}

}  // namespace corvia
