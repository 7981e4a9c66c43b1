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

// What both editors know: their list and cell, and how the edit ends.
class InPlaceEditorState {
 public:
  int GetRow() const { return mRow; }
  int GetColumn() const { return mColumn; }
  bool IsCancelled() const { return mCancelled; }

 protected:
  InPlaceEditorState(NewListCtrl* list, int row, int column) : mList(list), mRow(row), mColumn(column) {}
  // Enter and Escape end the edit at once, before a dialog or the frame's keys see
  // them (Escape cancelling it); true when the key was one of them.
  bool EndKey(const wxKeyEvent& event);

  NewListCtrl* mList;
  int mRow, mColumn;
  bool mCancelled = false;
  bool mFinished = false;
};

class InPlaceEdit : public wxTextCtrl, public InPlaceEditorState {
 public:
  // Made by the list over the cell's rectangle (in the list body's coordinates).
  InPlaceEdit(NewListCtrl* list, wxWindow* parent, int row, int column, const std::string& text, const wxRect& rect,
              int align);

  // Ends the edit at once with the text as it stands (or cancelled); the editor goes
  // after the current event.
  void Finish();

 private:
  void OnCharHook(wxKeyEvent& event);
  void OnText(wxCommandEvent& event);
  void OnKillFocus(wxFocusEvent& event);
};

class InPlaceCombo : public wxComboBox, public InPlaceEditorState {
 public:
  InPlaceCombo(NewListCtrl* list, wxWindow* parent, int row, int column, const std::vector<std::string>& entries,
               int selected, const wxRect& rect);

  // Ends the edit with the entry chosen (or cancelled).
  void Finish();

 private:
  void OnCharHook(wxKeyEvent& event);
  void OnDropDown(wxCommandEvent& event);
  void OnCloseUp(wxCommandEvent& event);
  void OnKillFocus(wxFocusEvent& event);

  bool mDropped = false;
};

}  // namespace corvia
