#include "ui/ToolBarEx.h"

#include <wx/aui/framemanager.h>
#include <wx/combobox.h>

#include <algorithm>
#include <map>

#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/Icons.h"

namespace corvia {

namespace detail_ToolBarEx {

// Widths of the combo slots in average characters.
int ComboChars(int id) {
  switch (id) {
    case kCategoryComboId:
      return 29;
    case kModelComboId:
      return 56;
    case kSymmetryComboId:
      return 32;
    case kRotationalComboId:
      return 20;
    case kReflectiveComboId:
      return 25;
    default:
      return 0;
  }
}

}  // namespace detail_ToolBarEx

const std::vector<int>& GetToolbarResource(int toolbarId) {
  static const std::map<int, std::vector<int>> resources = {
      {kMainToolBarId,
       {57601, 57603, 57604, 57609, 0, 57643, 57644, 0, 32785, kCategoryComboId, kModelComboId, 32791, 32792, 0, 33008,
        33151, 33152, 33126}},
      {kTourToolBarId, {33486, 0, 33487, 33493, 33488, 0, 33480, 0, 33479, 33483, 33482, 33485, 33484}},
      {kOptionToolBarId, {32963, 0,
                          33524, 33127,
                          32983, 33116,
                          32879, 32984,
                          33114, 33171,
                          33170, 0,
                          32935, 32936,
                          33157, 33159,
                          33169, 0,
                          33122, 0,
                          32795, 32796,
                          0,     kSymmetryComboId,
                          32850, kRotationalComboId,
                          33074, kReflectiveComboId,
                          33009, 0,
                          32816, 32815,
                          32868, 0,
                          33161, 33162,
                          33163, 33164,
                          33165, 33166,
                          33167, 33209,
                          33210, 33211,
                          33213}},
      {kModeToolBarId, {32937, 32945, 32938, 32939, 32940, 33175, 33186, 33384, 33382}},
      {kViewToolBarId,
       {32772, 32773, 32774, 32797, 32798, 33105, 33104, 32812, 0,     32834, 32870, 32836, 32838, 32833, 33130,
        33315, 0,     32840, 32883, 0,     32782, 32781, 32783, 32947, 32948, 33154, 33499, 33500, 33501}},
  };
  static const std::vector<int> none;
  auto found = resources.find(toolbarId);
  return found == resources.end() ? none : found->second;
}

CToolBarEx::CToolBarEx(wxWindow* parent, int id, const char* title, const std::vector<int>& buttons)
    : wxAuiToolBar(parent, id, wxDefaultPosition, wxDefaultSize,
                   wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_GRIPPER | wxAUI_TB_PLAIN_BACKGROUND | wxAUI_TB_OVERFLOW),
      mTitle(title) {
  SetName(title);
  SetToolBitmapSize(wxSize(16, 16));
  for (int command : buttons) {
    if (command == kCommandSeparator) {
      AddSeparator();
      continue;
    }
    if (const int chars = detail_ToolBarEx::ComboChars(command)) {
      AddControlSlot(command, chars);
      continue;
    }
    const CommandInfo* info = FindCommand(command);
    const std::string image = info && info->icon ? info->icon : "";
    const wxString tip = wxString::FromUTF8(GetCommandPrompt(command));
    const bool toggles = info && (info->flags & (kCommandCheck | kCommandRadio));
    AddTool(ToWxId(command), tip, GetIconBundle(image.empty() ? "list" : image), tip,
            toggles ? wxITEM_CHECK : wxITEM_NORMAL);
  }
  Realize();
  Bind(wxEVT_AUITOOLBAR_TOOL_DROPDOWN, &CToolBarEx::OnDropDownEvent, this);
  Bind(wxEVT_AUITOOLBAR_RIGHT_CLICK, &CToolBarEx::OnRightClick, this);
}

int CToolBarEx::GetSlotWidth(int chars) const {
  return GetCharWidth() * chars;
}

bool CToolBarEx::ReplaceControlSlot(int id, wxControl* control) {
  wxAuiToolBarItem* item = FindTool(ToWxId(id));
  if (!item || !control || !item->GetWindow()) return false;
  wxWindow* placeholder = item->GetWindow();
  item->SetWindow(control);
  item->SetMinSize(control->GetEffectiveMinSize());
  placeholder->Destroy();
  Realize();
  return true;
}

void CToolBarEx::AddControlSlot(int id, int chars) {
  const int width = GetSlotWidth(chars);
  auto* combo = new wxComboBox(this, ToWxId(id), wxEmptyString, wxDefaultPosition, wxSize(width, -1), 0, nullptr,
                               wxCB_DROPDOWN | wxCB_READONLY);
  combo->Disable();
  AddControl(combo);
}

void CToolBarEx::SetDropDown(int command, bool on) {
  // Only plain buttons draw the arrow; a button that toggles opens its menu by a right
  // click alone.
  wxAuiToolBarItem* item = FindTool(ToWxId(command));
  if (item && item->GetKind() == wxITEM_NORMAL) SetToolDropDown(ToWxId(command), on);
  mDropDowns.erase(std::remove(mDropDowns.begin(), mDropDowns.end(), command), mDropDowns.end());
  if (on) mDropDowns.push_back(command);
  Realize();
}

bool CToolBarEx::HasDropDown(int command) const {
  return std::find(mDropDowns.begin(), mDropDowns.end(), command) != mDropDowns.end();
}

void CToolBarEx::OnDropDown(int /*command*/) {}

void CToolBarEx::OnDropDownEvent(wxAuiToolBarEvent& event) {
  if (event.IsDropDownClicked() && GetToolEnabled(event.GetId())) {
    OnDropDown(FromWxId(event.GetId()));
    return;
  }
  event.Skip();
}

void CToolBarEx::OnRightClick(wxAuiToolBarEvent& event) {
  // A right click on an enabled button opens its drop-down, as its arrow does.
  const int id = event.GetId();
  if (FindTool(id) && GetToolEnabled(id) && HasDropDown(FromWxId(id))) {
    OnDropDown(FromWxId(id));
    return;
  }
  event.Skip();
}

std::vector<int> CToolBarEx::GetButtonCommands() const {
  std::vector<int> commands;
  for (size_t i = 0; i < GetToolCount(); ++i) {
    wxAuiToolBarItem* item = const_cast<CToolBarEx*>(this)->FindToolByIndex(static_cast<int>(i));
    if (item && item->GetKind() != wxITEM_SEPARATOR && !item->GetWindow()) commands.push_back(FromWxId(item->GetId()));
  }
  return commands;
}

bool CToolBarEx::SetButtonImage(int command, const std::string& image) {
  if (!FindTool(ToWxId(command)) || !HasIcon(image)) return false;
  SetToolBitmap(ToWxId(command), GetIconBundle(image));
  Refresh();
  return true;
}

bool CToolBarEx::DeleteButton(int command) {
  if (!FindTool(ToWxId(command))) return false;
  DeleteTool(ToWxId(command));
  return true;
}

int CToolBarEx::GetHotButton() const {
  for (size_t i = 0; i < m_items.GetCount(); ++i) {
    if (m_items[i].GetState() & wxAUI_BUTTON_STATE_HOVER) return FromWxId(m_items[i].GetId());
  }
  return -1;
}

void RemoveDoubleToolbarSeparators(wxAuiToolBar* toolbar) {
  if (!toolbar) return;
  bool previousWasSeparator = true;  // a separator that stands first goes too
  for (int i = 0; i < static_cast<int>(toolbar->GetToolCount());) {
    const bool separator = toolbar->FindToolByIndex(i)->GetKind() == wxITEM_SEPARATOR;
    if (separator && previousWasSeparator) {
      toolbar->DeleteByIndex(i);
      continue;
    }
    previousWasSeparator = separator;
    ++i;
  }
  const int count = static_cast<int>(toolbar->GetToolCount());
  if (count > 0 && toolbar->FindToolByIndex(count - 1)->GetKind() == wxITEM_SEPARATOR)
    toolbar->DeleteByIndex(count - 1);
  toolbar->Realize();
}

}  // namespace corvia
