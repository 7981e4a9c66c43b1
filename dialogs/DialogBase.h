#pragma once
// What every dialog of the program shares: it opens where the user last left it
// (the values "DialogX" and "DialogY" under the dialog's own key of the settings),
// its lists keep their column widths ("Column%d"), and it is listed while it is open,
// so that closing the program can end it and tests can find it.

#include <wx/dialog.h>

#include <string>
#include <vector>

class wxListCtrl;
class wxSizer;
class wxTextCtrl;

namespace corvia {

class CorviaDialog : public wxDialog {
 public:
  // `key` names the dialog in the settings store.
  CorviaDialog(wxWindow* parent, const char* title, const char* key);
  ~CorviaDialog() override;

  const std::string& GetKey() const { return mKey; }

  bool Show(bool show = true) override;
  int ShowModal() override;

  // Confirms the dialog as its OK button does: the fields are checked and read
  // (TransferDataFromWindow), and a modal dialog ends with wxID_OK.
  void PressOk();
  void PressCancel();

 protected:
  // Puts the OK and Cancel buttons under the contents and fits the dialog.
  void FinishLayout(wxSizer* contents);
  // For a dialog that stays open beside the main window: OK applies the fields and
  // closes, Cancel closes, and closing destroys the window. Apply (added to the
  // sizer) applies the fields and stays open.
  void MakeModeless(wxSizer* applyPlace);
  // Tells the user what is wrong with a field and keeps the dialog open.
  bool RefuseField(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // A number or equation typed in a field; false (after the evaluator's message,
  // with the field focused) when it does not evaluate.
  bool ReadReal(wxTextCtrl* field, double& value);
  // A whole number from min to max typed in a field (as a number or an equation);
  // false after a message naming `what` when it is none.
  bool ReadInt(wxTextCtrl* field, int min, int max, const char* what, int& value);

 private:
  void RestorePlacement();
  void SavePlacement();

  std::string mKey;
  bool mPlaced = false;
};

// A number as the fields show it ("%.15lg").
std::string FormatFieldNumber(double value);

// The dialogs open now, the one opened last at the back.
const std::vector<CorviaDialog*>& GetOpenDialogs();
// The dialog opened last that is still open, or null.
CorviaDialog* GetTopDialog();
// The open dialog with that settings key, or null.
CorviaDialog* FindOpenDialog(const char* key);

// The widths of a report list's columns, as "Column%d" (from 0) under the dialog's
// key. A width that cannot be read leaves its column as it is; a list without a
// header is left alone.
void LoadListColumnWidths(wxListCtrl* list, const char* dialogKey);
void SaveListColumnWidths(wxListCtrl* list, const char* dialogKey);

// Runs the window W of a record modally on a copy of it: the record takes the copy
// only when the user confirms.
template <class W, class T>
bool RunWindowOnCopy(T& values) {
  T edited = values;
  W window(edited);
  if (window.ShowModal() != wxID_OK) return false;
  values = edited;
  return true;
}

// Finds a child control by its name (tests fill dialogs through it).
template <class T>
T* FindDialogControl(wxWindow* dialog, const char* name) {
  return dynamic_cast<T*>(wxWindow::FindWindowByName(name, dialog));
}

}  // namespace corvia
