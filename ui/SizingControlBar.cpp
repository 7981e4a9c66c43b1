#include "ui/SizingControlBar.h"

#include <wx/aui/framemanager.h>
#include <wx/fontenum.h>
#include <wx/frame.h>
#include <wx/scrolbar.h>
#include <wx/scrolwin.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/Registry.h"
#include "ui/CommandTable.h"
#include "ui/SettingsKeys.h"

namespace corvia {

const wxSize CSizingControlBar::kMinHorz(33, 32);
const wxSize CSizingControlBar::kMinVert(33, 32);
const wxSize CSizingControlBar::kMinFloat(37, 32);

namespace detail_SizingControlBar {

// The sunken border a scrolled control draws round its contents.
constexpr int kScrolledBorder = 2;

wxSize AtLeast(const wxSize& size, const wxSize& minimum) {
  return wxSize(std::max(size.x, minimum.x), std::max(size.y, minimum.y));
}

std::string SectionName(const char* profileName, int id) {
  char section[256];
  std::snprintf(section, sizeof section, "%s-SCBar-%d", profileName ? profileName : "", id);
  return section;
}

// The least size a scrolled control needs to show both its scroll bars: each bar's
// length as the toolkit measures it, the other bar across its end, and the control's
// border round them.
wxSize LeastScrolledSize(wxWindow* parent);

// The toolkit lays a scroll bar out whatever room it is given, and one given less than
// its arrows and slider need cannot be laid out: a scrolled control in a bar sized
// below that shows its contents without scroll bars. Decided before the children take
// the bar's new size; what lies before a control inside the bar (a list's header) is
// room it does not get.
void FitScrollBars(wxWindow* bar, const wxSize& size) {
  const wxSize least = LeastScrolledSize(bar);
  // Positions inside the bar are summed up the parents: a bar not yet shown has no
  // place on the screen to measure from.
  const auto offsetInBar = [bar](wxWindow* window) {
    wxPoint offset;
    for (; window && window != bar; window = window->GetParent()) offset += window->GetPosition();
    return offset;
  };
  std::vector<wxWindow*> windows(bar->GetChildren().begin(), bar->GetChildren().end());
  for (size_t i = 0; i < windows.size(); ++i) {
    wxWindow* window = windows[i];
    for (wxWindow* child : window->GetChildren()) windows.push_back(child);
    auto* scrolled = dynamic_cast<wxScrollHelper*>(window);
    if (!scrolled) continue;
    const wxPoint before = offsetInBar(window);
    const bool fit = size.x - std::max(before.x, 0) >= least.x && size.y - std::max(before.y, 0) >= least.y;
    const wxScrollbarVisibility shown = fit ? wxSHOW_SB_DEFAULT : wxSHOW_SB_NEVER;
    scrolled->ShowScrollbars(shown, shown);
  }
}

wxSize LeastScrolledSize(wxWindow* parent) {
  static wxSize least;
  if (least.x > 0) return least;
  auto* bar = new wxScrollBar(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL);
  bar->Hide();
  const wxSize best = bar->GetBestSize();
  bar->Destroy();
  const int side = best.y + best.x + 2 * kScrolledBorder;
  least = wxSize(side, side);
  return least;
}

}  // namespace detail_SizingControlBar

bool CSizingControlBar::Create(const char* title, wxWindow* parent, int controlId) {
  mControlId = controlId;
  // wx takes ids below 32767 only: the bar's window id is that of its command range.
  const int id = controlId > 32766 ? ToWxId(controlId) : controlId;
  if (!wxPanel::Create(parent, id, wxDefaultPosition, wxSize(0, 0), wxTAB_TRAVERSAL | wxCLIP_CHILDREN, title))
    return false;
  mTitle = title ? title : "";
  SetLabel(wxString::FromUTF8(mTitle));
  Bind(wxEVT_SIZE, &CSizingControlBar::OnSize, this);
  return true;
}

void CSizingControlBar::SetTitle(const std::string& title) {
  mTitle = title;
  SetLabel(wxString::FromUTF8(title));
  if (mManager) {
    wxAuiPaneInfo& pane = mManager->GetPane(this);
    if (pane.IsOk()) {
      pane.Caption(wxString::FromUTF8(title));
      mManager->Update();
    }
  }
}

void CSizingControlBar::OnSize(wxSizeEvent& event) {
  if (mSizingStyle & kSizingSizeChild) {
    const wxSize size = GetClientSize();
    detail_SizingControlBar::FitScrollBars(this, size);
    const wxWindowList& children = GetChildren();
    if (!children.empty()) children.front()->SetSize(size);
  }
  event.Skip();
}

bool CSizingControlBar::IsFloating() const {
  if (!mManager) return false;
  const wxAuiPaneInfo& pane = mManager->GetPane(const_cast<CSizingControlBar*>(this));
  return pane.IsOk() && pane.IsFloating();
}

bool CSizingControlBar::IsHorzDocked() const {
  if (!mManager) return false;
  const wxAuiPaneInfo& pane = mManager->GetPane(const_cast<CSizingControlBar*>(this));
  return pane.IsOk() && pane.IsDocked() &&
         (pane.dock_direction == wxAUI_DOCK_TOP || pane.dock_direction == wxAUI_DOCK_BOTTOM);
}

bool CSizingControlBar::IsVertDocked() const {
  if (!mManager) return false;
  const wxAuiPaneInfo& pane = mManager->GetPane(const_cast<CSizingControlBar*>(this));
  return pane.IsOk() && pane.IsDocked() &&
         (pane.dock_direction == wxAUI_DOCK_LEFT || pane.dock_direction == wxAUI_DOCK_RIGHT);
}

void CSizingControlBar::TakeSizesFromManager() {
  if (!mManager) return;
  const wxAuiPaneInfo& pane = mManager->GetPane(this);
  if (!pane.IsOk()) return;
  using detail_SizingControlBar::AtLeast;
  if (pane.IsShown() && pane.IsDocked() && pane.rect.width > 0 && pane.rect.height > 0) {
    if (IsHorzDocked()) mSizeHorz = AtLeast(pane.rect.GetSize(), kMinHorz);
    if (IsVertDocked()) mSizeVert = AtLeast(pane.rect.GetSize(), kMinVert);
  }
  if (pane.IsFloating() && pane.frame)
    mSizeFloat = AtLeast(pane.frame->GetSize(), kMinFloat);
  else if (pane.floating_size.x > 0 && pane.floating_size.y > 0)
    mSizeFloat = AtLeast(pane.floating_size, kMinFloat);
}

void CSizingControlBar::ApplySizesToManager() {
  if (!mManager) return;
  wxAuiPaneInfo& pane = mManager->GetPane(this);
  if (!pane.IsOk()) return;
  const bool vertical = pane.dock_direction == wxAUI_DOCK_LEFT || pane.dock_direction == wxAUI_DOCK_RIGHT;
  pane.BestSize(vertical ? mSizeVert : mSizeHorz);
  pane.MinSize(vertical ? kMinVert : kMinHorz);
  pane.FloatingSize(mSizeFloat);
}

void CSizingControlBar::LoadState(const char* profileName) {
  using detail_SizingControlBar::AtLeast;
  const std::string section = detail_SizingControlBar::SectionName(profileName, mControlId);
  RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), section.c_str(), nullptr);
  if (!key) return;
  GetRegistryInt(key.get(), "sizeHorzCX", mSizeHorz.x);
  GetRegistryInt(key.get(), "sizeHorzCY", mSizeHorz.y);
  GetRegistryInt(key.get(), "sizeVertCX", mSizeVert.x);
  GetRegistryInt(key.get(), "sizeVertCY", mSizeVert.y);
  GetRegistryInt(key.get(), "sizeFloatCX", mSizeFloat.x);
  GetRegistryInt(key.get(), "sizeFloatCY", mSizeFloat.y);
  mSizeHorz = AtLeast(mSizeHorz, kMinHorz);
  mSizeVert = AtLeast(mSizeVert, kMinVert);
  mSizeFloat = AtLeast(mSizeFloat, kMinFloat);
}

void CSizingControlBar::SaveState(const char* profileName) {
  const std::string section = detail_SizingControlBar::SectionName(profileName, mControlId);
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), section.c_str(), nullptr);
  if (!key) return;
  SetRegistryInt(key.get(), "sizeHorzCX", mSizeHorz.x);
  SetRegistryInt(key.get(), "sizeHorzCY", mSizeHorz.y);
  SetRegistryInt(key.get(), "sizeVertCX", mSizeVert.x);
  SetRegistryInt(key.get(), "sizeVertCY", mSizeVert.y);
  SetRegistryInt(key.get(), "sizeFloatCX", mSizeFloat.x);
  SetRegistryInt(key.get(), "sizeFloatCY", mSizeFloat.y);
  CloseSettingsKey(*key);
}

void CSizingControlBar::GlobalLoadState(wxAuiManager& manager, const char* profileName) {
  wxAuiPaneInfoArray& panes = manager.GetAllPanes();
  for (size_t i = 0; i < panes.GetCount(); ++i) {
    if (auto* bar = dynamic_cast<CSizingControlBar*>(panes[i].window)) {
      bar->LoadState(profileName);
      bar->ApplySizesToManager();
    }
  }
}

void CSizingControlBar::GlobalSaveState(wxAuiManager& manager, const char* profileName) {
  wxAuiPaneInfoArray& panes = manager.GetAllPanes();
  for (size_t i = 0; i < panes.GetCount(); ++i) {
    if (auto* bar = dynamic_cast<CSizingControlBar*>(panes[i].window)) {
      bar->TakeSizesFromManager();
      bar->SaveState(profileName);
    }
  }
}

CSizingControlBarCF::CSizingControlBarCF() {
  mCaptionFace = wxFontEnumerator::IsValidFacename("Tahoma") ? "Tahoma" : "Arial";
}

void CSizingControlBarCF::UpdateActive() {
  wxWindow* focus = wxWindow::FindFocus();
  bool inside = false;
  for (wxWindow* w = focus; w; w = w->GetParent()) {
    if (w == this) {
      inside = true;
      break;
    }
  }
  if (inside == mActive) return;
  mActive = inside;
  if (GetParent()) GetParent()->Refresh(false);
}

}  // namespace corvia
