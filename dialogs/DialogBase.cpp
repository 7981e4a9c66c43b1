#include "dialogs/DialogBase.h"

#include <wx/button.h>
#include <wx/display.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "core/Equation.h"
#include "core/Messages.h"
#include "core/Registry.h"
#include "core/Strings.h"
#include "platform/wx/WxOwner.h"
#include "ui/NewFrame.h"
#include "ui/SettingsKeys.h"

namespace corvia {

namespace detail_DialogBase {

std::vector<CorviaDialog*> gOpen;

constexpr const char* kDialogX = "DialogX";
constexpr const char* kDialogY = "DialogY";

// Open dialogs are also the main window's running dialogs, which its close-down ends.
void Remember(CorviaDialog* dialog) {
  gOpen.erase(std::remove(gOpen.begin(), gOpen.end(), dialog), gOpen.end());
  gOpen.push_back(dialog);
  RemoveRunningDialog(dialog);
  AddRunningDialog(dialog);
}

void Forget(CorviaDialog* dialog) {
  gOpen.erase(std::remove(gOpen.begin(), gOpen.end(), dialog), gOpen.end());
  RemoveRunningDialog(dialog);
}

}  // namespace detail_DialogBase

CorviaDialog::CorviaDialog(wxWindow* parent, const char* title, const char* key)
    : wxDialog(parent ? parent : platform::DialogOwner(), wxID_ANY, wxString::FromUTF8(title), wxDefaultPosition,
               wxDefaultSize, wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      mKey(key) {
  SetName(wxString::FromUTF8(key));
}

CorviaDialog::~CorviaDialog() {
  if (IsShown()) SavePlacement();
  detail_DialogBase::Forget(this);
}

bool CorviaDialog::Show(bool show) {
  if (show) {
    RestorePlacement();
    detail_DialogBase::Remember(this);
  } else {
    if (IsShown()) SavePlacement();
    detail_DialogBase::Forget(this);
  }
  return wxDialog::Show(show);
}

int CorviaDialog::ShowModal() {
  RestorePlacement();
  detail_DialogBase::Remember(this);
  const int result = wxDialog::ShowModal();
  SavePlacement();
  detail_DialogBase::Forget(this);
  return result;
}

void CorviaDialog::PressOk() {
  wxCommandEvent event(wxEVT_BUTTON, wxID_OK);
  event.SetEventObject(this);
  ProcessWindowEvent(event);
}

void CorviaDialog::PressCancel() {
  wxCommandEvent event(wxEVT_BUTTON, wxID_CANCEL);
  event.SetEventObject(this);
  ProcessWindowEvent(event);
}

void CorviaDialog::FinishLayout(wxSizer* contents) {
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(contents, 1, wxEXPAND | wxALL, FromDIP(10));
  if (wxSizer* buttons = CreateSeparatedButtonSizer(wxOK | wxCANCEL)) {
    column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(10));
  }
  SetSizerAndFit(column);
}

void CorviaDialog::MakeModeless(wxSizer* applyPlace) {
  auto* apply =
      new wxButton(this, wxID_APPLY, "Apply", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "apply");
  apply->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { TransferDataFromWindow(); });
  applyPlace->Add(apply, 0, wxTOP, FromDIP(8));
  Bind(
      wxEVT_BUTTON,
      [this](wxCommandEvent&) {
        if (Validate() && TransferDataFromWindow()) Close();
      },
      wxID_OK);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { Close(); }, wxID_CANCEL);
  // Hidden at once, so that it is no longer found open while it waits to be deleted.
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) {
    Hide();
    Destroy();
  });
}

bool CorviaDialog::RefuseField(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  ShowError("%s", text.c_str());
  return false;
}

bool CorviaDialog::ReadReal(wxTextCtrl* field, double& value) {
  const std::string text = field->GetValue().utf8_string();
  const char* error = nullptr;
  const double read = ParseEquation(text.c_str(), &error);
  if (error || IsBlank(text.c_str())) {
    if (error) {
      ShowError("%s", EquationOutcome(error).text().c_str());
    } else {
      ShowError("Please enter a number or an equation.");
    }
    field->SetFocus();
    field->SelectAll();
    return false;
  }
  value = read;
  return true;
}

bool CorviaDialog::ReadInt(wxTextCtrl* field, int min, int max, const char* what, int& value) {
  double read = 0.0;
  if (!ReadReal(field, read)) return false;
  if (read != std::floor(read) || read < min || read > max) {
    field->SetFocus();
    field->SelectAll();
    return RefuseField("The %s must be a whole number from %d to %d.", what, min, max);
  }
  value = static_cast<int>(read);
  return true;
}

void CorviaDialog::RestorePlacement() {
  if (mPlaced) return;
  mPlaced = true;
  int x = 0, y = 0;
  RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), mKey.c_str(), nullptr);
  const bool stored = key && GetRegistryInt(key.get(), detail_DialogBase::kDialogX, x) &&
                      GetRegistryInt(key.get(), detail_DialogBase::kDialogY, y);
  // A place that no screen shows any more (a display removed) is forgotten.
  if (stored && wxDisplay::GetFromPoint(wxPoint(x + FromDIP(20), y + FromDIP(10))) != wxNOT_FOUND) {
    Move(x, y);
  } else {
    CentreOnParent();
  }
}

void CorviaDialog::SavePlacement() {
  const wxPoint place = GetScreenPosition();
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), mKey.c_str(), nullptr);
  if (!key) return;
  SetRegistryInt(key.get(), detail_DialogBase::kDialogX, place.x);
  SetRegistryInt(key.get(), detail_DialogBase::kDialogY, place.y);
  CloseSettingsKey(*key);
}

std::string FormatFieldNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15lg", value);
  return text;
}

const std::vector<CorviaDialog*>& GetOpenDialogs() {
  return detail_DialogBase::gOpen;
}

CorviaDialog* GetTopDialog() {
  return detail_DialogBase::gOpen.empty() ? nullptr : detail_DialogBase::gOpen.back();
}

CorviaDialog* FindOpenDialog(const char* key) {
  for (CorviaDialog* dialog : detail_DialogBase::gOpen) {
    if (dialog->GetKey() == key) return dialog;
  }
  return nullptr;
}

void LoadListColumnWidths(wxListCtrl* list, const char* dialogKey) {
  if (!list || !list->InReportView() || list->HasFlag(wxLC_NO_HEADER)) return;
  RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), dialogKey, nullptr);
  if (!key) return;
  char name[32];
  for (int column = 0; column < list->GetColumnCount(); ++column) {
    std::snprintf(name, sizeof name, "Column%d", column);
    int width = 0;
    if (GetRegistryInt(key.get(), name, width) && width > 0) list->SetColumnWidth(column, width);
  }
}

void SaveListColumnWidths(wxListCtrl* list, const char* dialogKey) {
  if (!list || !list->InReportView() || list->HasFlag(wxLC_NO_HEADER)) return;
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), dialogKey, nullptr);
  if (!key) return;
  char name[32];
  for (int column = 0; column < list->GetColumnCount(); ++column) {
    std::snprintf(name, sizeof name, "Column%d", column);
    SetRegistryInt(key.get(), name, list->GetColumnWidth(column));
  }
  CloseSettingsKey(*key);
}

}  // namespace corvia
