// The windows of the Waterman and Zonohedrify dialogs.

#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <string>

#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "dialogs/ModelDialogs.h"

namespace corvia {

namespace detail_ModelDialogWindows {

wxTextCtrl* AddField(wxWindow* parent, wxFlexGridSizer* grid, const char* label, const char* name) {
  grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
  auto* field = new wxTextCtrl(parent, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
  grid->Add(field, 1, wxEXPAND);
  return field;
}

wxRadioBox* AddChoice(wxWindow* parent, wxSizer* column, const char* label, const char* const* names, int count,
                      const char* name) {
  wxArrayString texts;
  for (int i = 0; i < count; ++i) texts.Add(names[i]);
  auto* box = new wxRadioBox(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, texts, 1, wxRA_SPECIFY_COLS,
                             wxDefaultValidator, name);
  column->Add(box, 0, wxEXPAND | wxBOTTOM, parent->FromDIP(6));
  return box;
}

class WatermanWindow : public CorviaDialog {
 public:
  explicit WatermanWindow(CWatermanDialog& values)
      : CorviaDialog(nullptr, "Create Waterman Polyhedron", CWatermanDialog::kName), mValues(values) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    auto* grid = new wxFlexGridSizer(2, FromDIP(6), FromDIP(10));
    mRoot = AddField(this, grid, "Root of the squared radius (1 to 10):", "root");
    column->Add(grid, 0, wxEXPAND | wxBOTTOM, FromDIP(6));
    mLattice = AddChoice(this, column, "Lattice and centre", CWatermanDialog::kLatticeNames,
                         CWatermanDialog::kNumLattices, "lattice");
    FinishLayout(column);
  }

  bool TransferDataToWindow() override {
    mRoot->SetValue(std::to_string(mValues.mRoot));
    mLattice->SetSelection(mValues.mLatticeType);
    return true;
  }

  bool TransferDataFromWindow() override {
    int root = 0;
    if (!ReadInt(mRoot, CWatermanDialog::kMinRoot, CWatermanDialog::kMaxRoot, "root", root)) return false;
    mValues.mRoot = root;
    mValues.mLatticeType = mLattice->GetSelection();
    return true;
  }

 private:
  CWatermanDialog& mValues;
  wxTextCtrl* mRoot;
  wxRadioBox* mLattice;
};

class ZonohedrifyWindow : public CorviaDialog {
 public:
  explicit ZonohedrifyWindow(CZonohedrifyDialog& values)
      : CorviaDialog(nullptr, "Zonohedrify", CZonohedrifyDialog::kName), mValues(values) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY, "Zones along the directions of the vertices:"), 0, wxBOTTOM,
                FromDIP(6));
    auto* grid = new wxFlexGridSizer(2, FromDIP(6), FromDIP(10));
    mMaxZones = AddField(this, grid, "Maximum zones (0 = no limit):", "maxZones");
    mEdgeScale = AddField(this, grid, "Zone edge scale:", "edgeScale");
    column->Add(grid, 0, wxEXPAND);
    FinishLayout(column);
  }

  bool TransferDataToWindow() override {
    mMaxZones->SetValue(std::to_string(mValues.mMaxZones));
    mEdgeScale->SetValue(wxString::FromUTF8(mValues.mEdgeScale));
    return true;
  }

  bool TransferDataFromWindow() override {
    int maxZones = 0;
    if (!ReadInt(mMaxZones, 0, 100000, "maximum number of zones", maxZones)) return false;
    mValues.mMaxZones = maxZones;
    mValues.mEdgeScale = mEdgeScale->GetValue().utf8_string();
    return true;
  }

 private:
  CZonohedrifyDialog& mValues;
  wxTextCtrl* mMaxZones;
  wxTextCtrl* mEdgeScale;
};

}  // namespace detail_ModelDialogWindows

bool RunWatermanWindow(CWatermanDialog& values) {
  return RunWindowOnCopy<detail_ModelDialogWindows::WatermanWindow>(values);
}

bool RunZonohedrifyWindow(CZonohedrifyDialog& values) {
  return RunWindowOnCopy<detail_ModelDialogWindows::ZonohedrifyWindow>(values);
}

}  // namespace corvia
