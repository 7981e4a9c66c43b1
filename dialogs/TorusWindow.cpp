// The window of "Create a torus".

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "dialogs/TorusDialog.h"

namespace corvia {

namespace detail_TorusWindow {

class TorusWindow : public CorviaDialog {
 public:
  explicit TorusWindow(CTorusDialog& values)
      : CorviaDialog(nullptr, "Create a torus", CTorusDialog::kName), mValues(values) {
    auto* grid = new wxFlexGridSizer(2, FromDIP(6), FromDIP(10));
    mRadius = AddField(grid, "Tube radius (ring radius 1):", "tubeRadius");
    mRings = AddField(grid, "Number of rings:", "rings");
    mSegments = AddField(grid, "Segments in each ring:", "segments");
    FinishLayout(grid);
  }

  bool TransferDataToWindow() override {
    mRadius->SetValue(FormatFieldNumber(mValues.mTubeRadius));
    mRings->SetValue(std::to_string(mValues.mRings));
    mSegments->SetValue(std::to_string(mValues.mSegments));
    return true;
  }

  bool TransferDataFromWindow() override {
    double radius = 0.0;
    int rings = 0, segments = 0;
    if (!ReadReal(mRadius, radius)) return false;
    if (!(radius > 0.0)) {
      mRadius->SetFocus();
      return RefuseField("The tube radius must be above 0.");
    }
    if (!ReadInt(mRings, CTorusDialog::kMinCount, CTorusDialog::kMaxCount, "number of rings", rings) ||
        !ReadInt(mSegments, CTorusDialog::kMinCount, CTorusDialog::kMaxCount, "number of segments", segments)) {
      return false;
    }
    mValues.mTubeRadius = radius;
    mValues.mRings = rings;
    mValues.mSegments = segments;
    return true;
  }

 private:
  wxTextCtrl* AddField(wxFlexGridSizer* grid, const char* label, const char* name) {
    grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* field = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
    grid->Add(field, 1, wxEXPAND);
    return field;
  }

  CTorusDialog& mValues;
  wxTextCtrl* mRadius;
  wxTextCtrl* mRings;
  wxTextCtrl* mSegments;
};

}  // namespace detail_TorusWindow

bool RunTorusWindow(CTorusDialog& values) {
  return RunWindowOnCopy<detail_TorusWindow::TorusWindow>(values);
}

}  // namespace corvia
