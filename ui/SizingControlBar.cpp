#include "ui/SizingControlBar.h"

#include <wx/aui/framemanager.h>
#include <wx/fontenum.h>

#include <algorithm>
#include <cstdio>

#include "core/Registry.h"
#include "ui/CommandTable.h"

namespace corvia {

const wxSize CSizingControlBar::kMinHorz(33, 32);
const wxSize CSizingControlBar::kMinVert(33, 32);
const wxSize CSizingControlBar::kMinFloat(37, 32);

namespace detail_SizingControlBar {

wxSize AtLeast(const wxSize& size, const wxSize& minimum) {
  return wxSize(std::max(size.x, minimum.x), std::max(size.y, minimum.y));
}

std::string SectionName(const char* profileName, int id) {
  char section[256];
  std::snprintf(section, sizeof section, "%s-SCBar-%d", profileName ? profileName : "", id);
  return section;
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
    const wxWindowList& children = GetChildren();
    if (!children.empty()) children.front()->SetSize(GetClientSize());
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
  key->Close();
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
