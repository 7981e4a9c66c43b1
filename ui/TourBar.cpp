#include "ui/TourBar.h"

#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/sizer.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "core/Messages.h"
#include "ui/Prompts.h"
#include "core/Strings.h"
#include "render/NewView.h"
#include "ui/CommandTable.h"
#include "ui/MainFrame.h"
#include "ui/PopupMenus.h"
#include "ui/Tour.h"
#include "ui/TransitionsDlg.h"

namespace corvia {

const wxSize CTourBar::kMinVertSize(33, 75);

namespace detail_TourBar {

CTourBar* gBar = nullptr;

struct ColumnSpec {
  const char* header;
  int width;
  uint8_t kind;
};
constexpr ColumnSpec kColumns[] = {
    {"Name", 150, kListEditTextAlso},   {"Duration", 53, kListEditText},        {"Fade", 40, kListEditText},
    {"Fade Type", 60, kListEditCustom}, {"Inherit Layout", 20, kListEditYesNo},
};
constexpr const char* kDurationPrompt = "Enter duration of selected tour events.";

std::string Seconds(double value) {
  char text[64];
  FormatNumber(text, value, 2);
  return text;
}

// A real number written whole (no letters after it); false for anything else.
bool ParseNumber(const char* text, double& value) {
  const char* start = SkipBlanks(text);
  char* end = nullptr;
  value = std::strtod(start, &end);
  return end != start && *SkipBlanks(end) == 0 && std::isfinite(value);
}

// A duration the tour can keep: above 0.01 seconds and a finite float.
bool IsUsableDuration(double seconds) {
  return seconds > static_cast<double>(kTourMinDuration) && seconds <= static_cast<double>(FLT_MAX);
}

}  // namespace detail_TourBar

// ---- The list -------------------------------------------------------------------------------

std::string CTourListCtrl::GetCellText(int row, int column) {
  const std::string text = NewListCtrl::GetCellText(row, column);
  // An unset fade time is edited as -1.
  if (column == kTourColumnFade && text == GetTransitionName(kTransitionDefault)) return "-1";
  return text;
}

bool CTourListCtrl::CanDragItem(int /*row*/) {
  return true;
}

void CTourListCtrl::OnDropItem(EditableList* target, int sourceRow, int dropRow) {
  if (target != this || sourceRow == dropRow || !mBar) return;
  mBar->GetTour().MoveEvent(sourceRow, dropRow);
}

bool CTourListCtrl::EditCellCustom(int row, int column) {
  const char* names[kTourFadeTypes + 1];
  for (int type = 0; type <= kTransitionDefault; ++type) names[type] = GetTransitionName(type);
  const TourEvent* event = mBar ? mBar->GetTour().GetEvent(row) : nullptr;
  const int selected = event ? std::clamp(event->mTransition.mType, 0, kTransitionDefault) : 0;
  return ShowInPlaceCombo(row, column, kTourFadeTypes + 1, names, selected);
}

// ---- The bar --------------------------------------------------------------------------------

CTourBar::CTourBar() = default;

CTourBar::~CTourBar() {
  if (detail_TourBar::gBar == this) {
    detail_TourBar::gBar = nullptr;
    corvia::GetTour().SetListener(nullptr);
    corvia::GetTour().SetSelectListener(nullptr);
    corvia::GetTour().SetSelectionSource(nullptr);
  }
}

CTourBar* GetTourBar() {
  return detail_TourBar::gBar;
}

Tour& CTourBar::GetTour() const {
  return corvia::GetTour();
}

bool CTourBar::CreateBar(wxWindow* parent) {
  if (!Create("Tour", parent, 298)) return false;
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
  // The dialog's one list, 140 by 195 dialog units, which the list then replaces.
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(new wxWindow(this, kTourListId, wxDefaultPosition, ConvertDialogToPixels(wxSize(140, 195))), 1, wxEXPAND);
  SetSizer(sizer);
  detail_TourBar::gBar = this;
  Setup();
  return mList != nullptr;
}

void CTourBar::Setup() {
  using namespace detail_TourBar;
  auto* list = new CTourListCtrl;
  if (!list->Create(this, kTourListId)) {
    delete list;
    return;
  }
  mList = list;
  mList->SetBar(this);
  mList->SetEditOwner(this);
  mList->SetEditLabels(true);
  // The current event stays marked while the tour plays and the focus is elsewhere.
  mList->SetShowSelectionAlways(true);
  mList->SetSelChangeCallback([this](int row, int selected) { OnSelection(row, selected); });
  uint8_t kinds[std::size(kColumns)];
  int column = 0;
  for (const ColumnSpec& spec : kColumns) {
    mList->InsertColumn(column, spec.header, column == 0 ? kListAlignLeft : kListAlignRight, spec.width);
    kinds[column++] = spec.kind;
  }
  mList->SetColumnKinds(kinds, static_cast<int>(std::size(kColumns)));
  mList->GetBody()->Bind(wxEVT_RIGHT_DOWN,
                         [this](wxMouseEvent& e) { ShowContextMenu(e.GetPosition(), e.ShiftDown(), e.ControlDown()); });
  Bind(wxEVT_MENU, &CTourBar::OnMenuCommand, this);
  // The menu's own commands answer here: the main window would disable them as
  // commands nobody handles.
  for (int command : {kCmdTourSetDuration, kCmdTourInheritLayout})
    Bind(wxEVT_UPDATE_UI, &CTourBar::OnUpdateMenuCommand, this, ToWxId(command));
  Tour& tour = GetTour();
  tour.SetListener([this](bool keep) { RefreshList(keep); });
  tour.SetSelectListener([this] { SelectCurrentEvent(true); });
  tour.SetSelectionSource([this] { return GetSelectedRows(); });
  RefreshList(false);
}

std::string CTourBar::CellText(const TourEvent& event, int column) {
  using detail_TourBar::Seconds;
  switch (column) {
    case kTourColumnName:
      return event.mName;
    case kTourColumnDuration:
      return Seconds(event.mDuration);
    case kTourColumnFade:
      return event.HasFadeTime() ? Seconds(event.mTransition.mDuration) : GetTransitionName(kTransitionDefault);
    case kTourColumnFadeType:
      return GetTransitionName(event.mTransition.mType);
    case kTourColumnInherit:
      return (event.mFlags & kTourEventInheritLayout) ? "Yes" : "No";
    default:
      return std::string();
  }
}

std::vector<int> CTourBar::GetSelectedRows() const {
  std::vector<int> rows;
  if (!mList) return rows;
  for (int row = mList->GetNextSelectedItem(-1); row >= 0; row = mList->GetNextSelectedItem(row)) rows.push_back(row);
  return rows;
}

void CTourBar::RefreshList(bool keepSelection) {
  if (!mList) return;
  Tour& tour = GetTour();
  const int top = mList->GetTopItem();
  const int scrollX = mList->GetScrollX();
  if (keepSelection) {
    for (int row : GetSelectedRows()) {
      if (TourEvent* event = tour.GetEvent(row)) event->mFlags |= kTourEventMarked;
    }
  }
  mList->Freeze();
  mList->DeleteAllItems();
  for (int i = 0; i < tour.GetNumEvents(); ++i) {
    TourEvent* event = tour.GetEvent(i);
    const int row = mList->InsertItem(i, CellText(*event, kTourColumnName).c_str());
    for (int column = 1; column < mList->GetColumnCount(); ++column)
      mList->SetItemText(row, column, CellText(*event, column).c_str());
    if (event->mFlags & kTourEventMarked) {
      mList->SetSelected(row, true);
      event->mFlags &= ~kTourEventMarked;
    }
  }
  // The last row comes into sight, then the old top row again.
  mList->EnsureVisible(mList->GetItemCount() - 1);
  mList->EnsureVisible(top);
  SelectCurrentEvent(false);
  mList->ScrollToX(scrollX);
  mList->Thaw();
}

void CTourBar::SelectCurrentEvent(bool deselectOthers) {
  if (!mList) return;
  const int row = GetTour().IndexOf(GetTour().GetCurrentEvent());
  if (row < 0) return;
  if (deselectOthers) mList->DeselectAll();
  mList->SetSelected(row, true);
  mList->SetFocusedItem(row);
  mList->EnsureVisible(row);
  RefreshTransitionsDlg();
}

void CTourBar::OnSelection(int row, int selected) {
  if (!selected) {
    // The transitions dialog may be showing the transition of the row's event.
    RefreshTransitionsDlg();
    return;
  }
  Tour& tour = GetTour();
  tour.StopTour();
  if (TourEvent* event = tour.GetEvent(row)) {
    tour.SetCurrentEvent(event);
    tour.GoToTourEvent(false, nullptr);
  }
}

bool CTourBar::OnBeginLabelEdit(EditableList& list, int /*row*/, int column) {
  // Only the cell that was clicked is edited; the frame's keys stay off meanwhile.
  if (column != list.GetLastClickedColumn()) return true;
  wxWindow* frame = wxGetTopLevelParent(this);
  if (frame && !mKeysSaved) {
    if (const wxAcceleratorTable* keys = frame->GetAcceleratorTable()) mSavedKeys = *keys;
    frame->SetAcceleratorTable(wxNullAcceleratorTable);
    mKeysSaved = true;
  }
  return false;
}

void CTourBar::OnEndLabelEdit(EditableList& /*list*/, int row, int column, const char* text) {
  using namespace detail_TourBar;
  if (mKeysSaved) {
    if (wxWindow* frame = wxGetTopLevelParent(this)) frame->SetAcceleratorTable(mSavedKeys);
    mKeysSaved = false;
  }
  TourEvent* event = GetTour().GetEvent(row);
  if (!text || IsBlank(text) || !event) return;
  double value = 0.0;
  switch (column) {
    case kTourColumnName:
      event->SetName(text, true);
      break;
    case kTourColumnDuration:
      if (!ParseNumber(text, value) || !IsUsableDuration(value)) return;
      event->mDuration = static_cast<float>(value);
      break;
    case kTourColumnFade:
      if (!ParseNumber(text, value)) return;
      event->mTransition.mDuration = value >= 0.0 ? value : kTransitionUnset;
      break;
    case kTourColumnFadeType: {
      const int type = FindTransitionByName(text);
      if (type < 0) return;
      event->mTransition.mType = type;
      break;
    }
    case kTourColumnInherit:
      if (text[0] == 'Y')
        event->mFlags |= kTourEventInheritLayout;
      else
        event->mFlags &= ~kTourEventInheritLayout;
      break;
    default:
      return;
  }
  if (mList) mList->SetItemText(row, column, CellText(*event, column).c_str());
  if (column == kTourColumnFade || column == kTourColumnFadeType) RefreshTransitionsDlg();
}

bool CTourBar::AllSelectedInheritLayout() const {
  for (int row : GetSelectedRows()) {
    const TourEvent* event = GetTour().GetEvent(row);
    if (event && !(event->mFlags & kTourEventInheritLayout)) return false;
  }
  return true;
}

void CTourBar::ShowContextMenu(const wxPoint& bodyPoint, bool shift, bool ctrl) {
  Tour& tour = GetTour();
  if (!mList || tour.GetNumEvents() == 0) return;
  const int row = mList->HitTest(bodyPoint);
  if (TourEvent* event = tour.GetEvent(row); event && !mList->IsSelected(row)) {
    if (!shift && !ctrl) mList->DeselectAll();
    mList->SetSelected(row, true);
    tour.SetCurrentEvent(event);
    tour.GoToTourEvent(false, nullptr);
  }
  wxMenu menu;
  menu.Append(ToWxId(kCmdTourSetDuration), "Set Duration...");
  menu.Append(ToWxId(kCmdTransitionOptions), "Transition Options...")
      ->Enable(IsCommandAvailable(kCmdTransitionOptions));
  menu.AppendCheckItem(ToWxId(kCmdTourInheritLayout), "Inherit Layout")->Check(AllSelectedInheritLayout());
  menu.AppendSeparator();
  menu.Append(ToWxId(kCmdExportVideo), "Export Video...")->Enable(IsCommandAvailable(kCmdExportVideo));
  menu.AppendSeparator();
  menu.Append(ToWxId(kCmdTourRemove), "Delete");
  ShowPopupMenu(mList->GetBody(), menu, bodyPoint);
}

void CTourBar::OnUpdateMenuCommand(wxUpdateUIEvent& event) {
  event.Enable(!GetSelectedRows().empty());
  if (FromWxId(event.GetId()) == kCmdTourInheritLayout) event.Check(AllSelectedInheritLayout());
}

void CTourBar::OnMenuCommand(wxCommandEvent& event) {
  switch (FromWxId(event.GetId())) {
    case kCmdTourSetDuration:
      SetDurationOfSelected();
      break;
    case kCmdTourInheritLayout:
      ToggleInheritLayout();
      break;
    case kCmdTourRemove:
      GetTour().RemoveFromTour(GetSelectedRows());
      break;
    case kCmdTransitionOptions:
      // Opened from here, the dialog shows the transitions of the selected events.
      ShowTransitionsDialog(kOccasionTour);
      break;
    default:
      // The video export is the main window's command.
      if (NewFrame* frame = GetMainFrame()) {
        wxCommandEvent command(wxEVT_MENU, event.GetId());
        command.SetEventObject(frame);
        if (FromWxId(event.GetId()) == kCmdExportVideo) command.SetInt(kExportTourVideo);
        frame->GetEventHandler()->ProcessEvent(command);
      }
      break;
  }
}

void CTourBar::SetDurationOfSelected() {
  using namespace detail_TourBar;
  const std::vector<int> rows = GetSelectedRows();
  // Without a selection there is nothing to set.
  if (rows.empty()) return;
  double shortest = DBL_MAX;
  for (int row : rows) {
    if (const TourEvent* event = GetTour().GetEvent(row)) shortest = std::min(shortest, double(event->mDuration));
  }
  double seconds = shortest;
  if (!AskReal(kDurationPrompt, seconds, 0) || !IsUsableDuration(seconds)) return;
  for (int row : rows) {
    if (TourEvent* event = GetTour().GetEvent(row)) event->mDuration = static_cast<float>(seconds);
  }
  RefreshList(true);
}

void CTourBar::ToggleInheritLayout() {
  const bool clear = AllSelectedInheritLayout();
  for (int row : GetSelectedRows()) {
    TourEvent* event = GetTour().GetEvent(row);
    if (!event) continue;
    if (clear)
      event->mFlags &= ~kTourEventInheritLayout;
    else
      event->mFlags |= kTourEventInheritLayout;
  }
  RefreshList(true);
}

// ---- The Tour menu ----------------------------------------------------------------------------

TourCommands::TourCommands(wxWindow* frame) : mFrame(frame) {
  for (int command :
       {kCmdTourAdd, kCmdTourReplace, kCmdTourRemove, kCmdTourNext, kCmdTourPrevious, kCmdTourPlay, kCmdTourShowList}) {
    Bind(wxEVT_MENU, &TourCommands::OnCommand, this, ToWxId(command));
    Bind(wxEVT_UPDATE_UI, &TourCommands::OnUpdate, this, ToWxId(command));
    SetCommandAvailable(command, true);
  }
}

void TourCommands::OnCommand(wxCommandEvent& event) {
  Tour& tour = GetTour();
  switch (FromWxId(event.GetId())) {
    case kCmdTourAdd:
      tour.AddToTour();
      break;
    case kCmdTourReplace:
      tour.ReplaceCurrentEvent();
      break;
    case kCmdTourRemove:
      tour.RemoveFromTour(tour.GetSelectedRows());
      break;
    case kCmdTourNext:
      tour.NextEvent();
      break;
    case kCmdTourPrevious:
      tour.PreviousEvent();
      break;
    case kCmdTourPlay:
      tour.PlayTour();
      break;
    case kCmdTourShowList:
      ExitFullScreen();
      if (auto* frame = dynamic_cast<CMainFrame*>(mFrame)) frame->ToggleBar(frame->GetTourBar());
      break;
    default:
      event.Skip();
  }
}

void TourCommands::OnUpdate(wxUpdateUIEvent& event) {
  const Tour& tour = GetTour();
  switch (FromWxId(event.GetId())) {
    case kCmdTourReplace:
    case kCmdTourRemove:
      event.Enable(tour.GetCurrentEvent() != nullptr);
      break;
    case kCmdTourNext:
    case kCmdTourPrevious:
      event.Enable(tour.GetNumEvents() > 0);
      break;
    case kCmdTourPlay:
      event.Enable(tour.GetNumEvents() > 0);
      event.Check(tour.IsTourPlaying());
      break;
    case kCmdTourShowList:
      if (auto* frame = dynamic_cast<CMainFrame*>(mFrame)) event.Check(frame->IsBarShown(frame->GetTourBar()));
      break;
    default:
      event.Enable(true);
  }
}

}  // namespace corvia
