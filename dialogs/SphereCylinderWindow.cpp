// The window of the Sphere and Cylinder Options.

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "core/Globals.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "dialogs/SphereCylinderDialog.h"
#include "platform/Services.h"
#include "platform/wx/WxOwner.h"
#include "render/DisplaySettings.h"
#include "render/ModelDrawSettings.h"

namespace corvia {

namespace detail_SphereCylinderWindow {

// By the values of "SphereRadBasedOn" and of the material kinds.
const char* const kRadiusBases[] = {"The number of vertices and faces", "The edge length", "The model's radius",
                                    "The distance unit"};
const char* const kMaterials[] = {"Plain colour", "Each element's colour", "Gold", "Silver", "Copper", "Textured",
                                  "Glass"};
constexpr int kNumMaterials = 7;

wxArrayString Strings(const char* const* texts, size_t count) {
  wxArrayString out;
  for (size_t i = 0; i < count; ++i) out.Add(wxString::FromUTF8(texts[i]));
  return out;
}

class SphereCylinderWindow : public CorviaDialog {
 public:
  SphereCylinderWindow()
      : CorviaDialog(platform::DialogOwner(), "Sphere and Cylinder Options", SphereCylinderDlg::kName) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    mUse = new wxCheckBox(this, wxID_ANY, "Use spheres and cylinders", wxDefaultPosition, wxDefaultSize, 0,
                          wxDefaultValidator, "spheresAndCylinders");
    column->Add(mUse, 0, wxBOTTOM, FromDIP(4));
    mSpheres = new wxCheckBox(this, wxID_ANY, "Vertices as spheres", wxDefaultPosition, wxDefaultSize, 0,
                              wxDefaultValidator, "vertexSpheres");
    column->Add(mSpheres, 0, wxLEFT | wxBOTTOM, FromDIP(4));
    mCylinders = new wxCheckBox(this, wxID_ANY, "Edges as cylinders", wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "edgeCylinders");
    column->Add(mCylinders, 0, wxLEFT | wxBOTTOM, FromDIP(4));
    auto* grid = new wxFlexGridSizer(2, FromDIP(4), FromDIP(8));
    auto label = [&](const char* text) {
      grid->Add(new wxStaticText(this, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL);
    };
    label("Sphere size measured by:");
    mBasedOn = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, Strings(kRadiusBases, 4), 0,
                            wxDefaultValidator, "radiusBasedOn");
    grid->Add(mBasedOn, 1, wxEXPAND);
    label("Sphere radius (times that):");
    mSphereRad =
        new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "sphereRad");
    grid->Add(mSphereRad, 1, wxEXPAND);
    label("Cylinder radius (times the sphere's):");
    mCylinderRad =
        new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "cylinderRad");
    grid->Add(mCylinderRad, 1, wxEXPAND);
    label("Sphere material:");
    mSphereMaterial = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, Strings(kMaterials, kNumMaterials),
                                   0, wxDefaultValidator, "sphereMaterial");
    grid->Add(mSphereMaterial, 1, wxEXPAND);
    label("Cylinder material:");
    mCylinderMaterial = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                     Strings(kMaterials, kNumMaterials), 0, wxDefaultValidator, "cylinderMaterial");
    grid->Add(mCylinderMaterial, 1, wxEXPAND);
    column->Add(grid, 0, wxEXPAND | wxBOTTOM, FromDIP(6));
    mShare = new wxCheckBox(this, wxID_ANY, "Cylinders share the spheres' material", wxDefaultPosition, wxDefaultSize,
                            0, wxDefaultValidator, "shareMaterial");
    column->Add(mShare, 0, wxBOTTOM, FromDIP(6));
    auto* colours = new wxBoxSizer(wxHORIZONTAL);
    auto colourButton = [&](const char* text, const char* name, float* colour) {
      auto* button = new wxButton(this, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
      button->Bind(wxEVT_BUTTON, [colour](wxCommandEvent&) { ChooseColorDialog(colour); });
      colours->Add(button, 0, wxRIGHT, FromDIP(6));
    };
    colourButton("Sphere colour...", "sphereColour", mSphereColour);
    colourButton("Cylinder colour...", "cylinderColour", mCylinderColour);
    column->Add(colours);
    MakeModeless(column);
    FinishLayout(column);
  }

  bool TransferDataToWindow() override {
    const ModelDrawSettings& draw = GetModelDrawSettings();
    mUse->SetValue(draw.spheresAndCylinders);
    mSpheres->SetValue(draw.vertexSpheres);
    mCylinders->SetValue(draw.edgeCylinders);
    mBasedOn->SetSelection(std::clamp(draw.sphereRadBasedOn, 0, 3));
    mSphereRad->SetValue(FormatFieldNumber(draw.sphereRad));
    mCylinderRad->SetValue(FormatFieldNumber(draw.cylinderRad));
    mCylinderMaterial->SetSelection(std::clamp(draw.cylinderMaterial, 0, kNumMaterials - 1));
    mSphereMaterial->SetSelection(std::clamp(draw.sphereMaterial, 0, kNumMaterials - 1));
    const DisplaySettings& display = GetDisplaySettings();
    mShare->SetValue(display.shareMaterial);
    std::copy(display.sphereColor, display.sphereColor + 3, mSphereColour);
    std::copy(display.cylinderColor, display.cylinderColor + 3, mCylinderColour);
    return true;
  }

  bool TransferDataFromWindow() override {
    double sphereRad = 0.0, cylinderRad = 0.0;
    if (!ReadReal(mSphereRad, sphereRad) || !ReadReal(mCylinderRad, cylinderRad)) return false;
    if (!(sphereRad > 0.0) || !(cylinderRad > 0.0)) return RefuseField("The radii must be above 0.");
    ModelDrawSettings& draw = GetModelDrawSettings();
    draw.spheresAndCylinders = mUse->GetValue();
    draw.vertexSpheres = mSpheres->GetValue();
    draw.edgeCylinders = mCylinders->GetValue();
    draw.sphereRadBasedOn = std::max(0, mBasedOn->GetSelection());
    draw.sphereRad = sphereRad;
    draw.cylinderRad = cylinderRad;
    draw.cylinderMaterial = std::max(0, mCylinderMaterial->GetSelection());
    draw.sphereMaterial = std::max(0, mSphereMaterial->GetSelection());
    DisplaySettings& display = GetDisplaySettings();
    display.shareMaterial = mShare->GetValue();
    std::copy(mSphereColour, mSphereColour + 3, display.sphereColor);
    std::copy(mCylinderColour, mCylinderColour + 3, display.cylinderColor);
    platform::Services().views->RedrawAllViews(false);
    return true;
  }

 private:
  wxCheckBox* mUse;
  wxCheckBox* mSpheres;
  wxCheckBox* mCylinders;
  wxChoice* mBasedOn;
  wxTextCtrl* mSphereRad;
  wxTextCtrl* mCylinderRad;
  wxChoice* mCylinderMaterial;
  wxChoice* mSphereMaterial;
  wxCheckBox* mShare;
  float mSphereColour[3] = {1, 1, 1};
  float mCylinderColour[3] = {1, 1, 1};
};

}  // namespace detail_SphereCylinderWindow

void ShowSphereCylinderWindow(SphereCylinderDlg&) {
  CorviaDialog* window = FindOpenDialog(SphereCylinderDlg::kName);
  if (!window) {
    window = new detail_SphereCylinderWindow::SphereCylinderWindow;
    window->TransferDataToWindow();
    window->Show();
  }
  window->Raise();
}

}  // namespace corvia
