#include "ui/controls/InPlaceEditors.h"

#include <wx/app.h>
#include <wx/dcclient.h>

#include <algorithm>

#include "ui/CommandTable.h"
#include "ui/controls/NewListCtrl.h"

namespace corvia {

namespace detail_InPlaceEditors {

// The edit box grows to the text's width plus this.
constexpr int kGrowMargin = 5;

long AlignStyle(int align) {
  return align == kListAlignRight ? wxTE_RIGHT : align == kListAlignCentre ? wxTE_CENTRE : wxTE_LEFT;
}

// An editor is at least as tall as its toolkit draws it, centred on the row.
wxRect EditorRect(wxWindow* editor, const wxRect& cell) {
  const int height = std::max(cell.height, editor->GetBestSize().y);
  return wxRect(cell.x, cell.y + (cell.height - height) / 2, cell.width, height);
}

}  // namespace detail_InPlaceEditors

bool InPlaceEditorState::EndKey(const wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == WXK_ESCAPE) mCancelled = true;
  return key == WXK_ESCAPE || key == WXK_RETURN || key == WXK_NUMPAD_ENTER;
}

// ---- InPlaceEdit ----------------------------------------------------------------------------

InPlaceEdit::InPlaceEdit(NewListCtrl* list, wxWindow* parent, int row, int column, const std::string& text,
                         const wxRect& rect, int align)
    : wxTextCtrl(parent, ToWxId(kInPlaceEditorId), wxString::FromUTF8(text), rect.GetPosition(), rect.GetSize(),
                 wxTE_PROCESS_ENTER | detail_InPlaceEditors::AlignStyle(align)),
      InPlaceEditorState(list, row, column) {
  SetFont(list->GetFont());
  SetSize(detail_InPlaceEditors::EditorRect(this, rect));
  Bind(wxEVT_CHAR_HOOK, &InPlaceEdit::OnCharHook, this);
  Bind(wxEVT_TEXT, &InPlaceEdit::OnText, this);
  Bind(wxEVT_KILL_FOCUS, &InPlaceEdit::OnKillFocus, this);
  SetFocus();
  SetInsertionPointEnd();
  SelectAll();
}

void InPlaceEdit::OnCharHook(wxKeyEvent& event) {
  if (!EndKey(event)) {
    event.Skip();
    return;
  }
  Finish();
  mList->FocusBody();
}

void InPlaceEdit::OnText(wxCommandEvent& event) {
  event.Skip();
  if (mFinished) return;
  // The box widens with the text, up to the list's right edge; then the text scrolls.
  wxClientDC dc(this);
  dc.SetFont(GetFont());
  const int wanted = dc.GetTextExtent(GetValue()).x + detail_InPlaceEditors::kGrowMargin;
  const wxRect rect = GetRect();
  const int limit = GetParent()->GetClientSize().x - rect.x;
  if (rect.width < wanted && rect.width < limit) SetSize(rect.x, rect.y, std::min(wanted, limit), rect.height);
}

void InPlaceEdit::OnKillFocus(wxFocusEvent& event) {
  event.Skip();
  Finish();
}

void InPlaceEdit::Finish() {
  if (mFinished) return;
  mFinished = true;
  const std::string text = GetValue().utf8_string();
  NewListCtrl* list = mList;
  list->EditorGone(this);
  Hide();
  list->EndCellEdit(mRow, mColumn, mCancelled ? nullptr : text.c_str(), true);
  // The window goes once the event that ended it is done with it.
  wxTheApp->ScheduleForDestruction(this);
}

// ---- InPlaceCombo ---------------------------------------------------------------------------

InPlaceCombo::InPlaceCombo(NewListCtrl* list, wxWindow* parent, int row, int column,
                           const std::vector<std::string>& entries, int selected, const wxRect& rect)
    : wxComboBox(parent, ToWxId(kInPlaceEditorId), wxEmptyString, rect.GetPosition(), rect.GetSize(), 0, nullptr,
                 wxCB_READONLY),
      InPlaceEditorState(list, row, column) {
  SetFont(list->GetFont());
  for (const std::string& entry : entries) Append(wxString::FromUTF8(entry));
  if (selected >= 0 && selected < static_cast<int>(GetCount())) SetSelection(selected);
  SetSize(detail_InPlaceEditors::EditorRect(this, rect));
  Bind(wxEVT_CHAR_HOOK, &InPlaceCombo::OnCharHook, this);
  Bind(wxEVT_COMBOBOX_DROPDOWN, &InPlaceCombo::OnDropDown, this);
  Bind(wxEVT_COMBOBOX_CLOSEUP, &InPlaceCombo::OnCloseUp, this);
  Bind(wxEVT_KILL_FOCUS, &InPlaceCombo::OnKillFocus, this);
  SetFocus();
  // The list drops down at once.
  CallAfter([this] {
    if (!mFinished) Popup();
  });
}

void InPlaceCombo::OnCharHook(wxKeyEvent& event) {
  if (!EndKey(event)) {
    event.Skip();
    return;
  }
  Finish();
  mList->FocusBody();
}

void InPlaceCombo::OnDropDown(wxCommandEvent& event) {
  mDropped = true;
  event.Skip();
}

void InPlaceCombo::OnCloseUp(wxCommandEvent& event) {
  // Closing the drop-down ends the edit with what it shows.
  mDropped = false;
  event.Skip();
  CallAfter([this] {
    Finish();
    mList->FocusBody();
  });
}

void InPlaceCombo::OnKillFocus(wxFocusEvent& event) {
  event.Skip();
  // The drop-down itself takes the focus while it is open.
  if (!mDropped) Finish();
}

void InPlaceCombo::Finish() {
  if (mFinished) return;
  mFinished = true;
  const int selection = GetSelection();
  const std::string text = selection >= 0 ? GetString(static_cast<unsigned>(selection)).utf8_string() : std::string();
  NewListCtrl* list = mList;
  list->EditorGone(this);
  if (mDropped) Dismiss();
  Hide();
  list->EndCellEdit(mRow, mColumn, mCancelled || selection < 0 ? nullptr : text.c_str(), false);
  wxTheApp->ScheduleForDestruction(this);
}

}  // namespace corvia
