#pragma once
// The two editors a NewListCtrl opens over one cell: InPlaceEdit, a single-line edit
// box, and InPlaceCombo, a drop-down list. Each reports its result to the list
// (EditableList::EndCellEdit, which tells the list's owner) when it loses the focus,
// and then goes. Enter, Escape and the closing of the drop-down all end the edit by
// giving the focus back to the list; Escape only changes what the end carries (no
// text). Neither writes the cell: the owner does.

#include <wx/combobox.h>
#include <wx/textctrl.h>

#include <string>
#include <vector>

namespace corvia {

class NewListCtrl;

// The control id of both editors (their window id is ToWxId of it).
constexpr int kInPlaceEditorId = 61446;

class InPlaceEdit : public wxTextCtrl {
 public:
  // Made by the list over the cell's rectangle (in the list body's coordinates).
  InPlaceEdit(NewListCtrl* list, wxWindow* parent, int row, int column, const std::string& text, const wxRect& rect,
              int align);

  int GetRow() const { return mRow; }
  int GetColumn() const { return mColumn; }
  bool IsCancelled() const { return mCancelled; }
  // Ends the edit at once with the text as it stands (or cancelled); the editor goes
  // after the current event.
  void Finish();

 private:
  void OnCharHook(wxKeyEvent& event);
  void OnText(wxCommandEvent& event);
  void OnKillFocus(wxFocusEvent& event);

  NewListCtrl* mList;
  int mRow, mColumn;
  std::string mInitialText;
  bool mCancelled = false;
  bool mFinished = false;
};

class InPlaceCombo : public wxComboBox {
 public:
  InPlaceCombo(NewListCtrl* list, wxWindow* parent, int row, int column, const std::vector<std::string>& entries,
               int selected, const wxRect& rect);

  int GetRow() const { return mRow; }
  int GetColumn() const { return mColumn; }
  bool IsCancelled() const { return mCancelled; }
  // Ends the edit with the entry chosen (or cancelled).
  void Finish();

 private:
  void OnCharHook(wxKeyEvent& event);
  void OnDropDown(wxCommandEvent& event);
  void OnCloseUp(wxCommandEvent& event);
  void OnKillFocus(wxFocusEvent& event);

  NewListCtrl* mList;
  int mRow, mColumn;
  bool mCancelled = false;
  bool mFinished = false;
  bool mDropped = false;
};

}  // namespace corvia
