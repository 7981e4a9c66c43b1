#include "ui/controls/DragImage.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/popupwin.h>
#include <wx/settings.h>

namespace corvia {

namespace detail_DragImage {

class DragImageWindow : public wxPopupWindow {
 public:
  DragImageWindow(wxWindow* parent, const std::string& text)
      : wxPopupWindow(parent, wxBORDER_NONE), mText(wxString::FromUTF8(text)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    wxClientDC dc(this);
    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    const wxSize extent = dc.GetTextExtent(mText.empty() ? wxString(" ") : mText);
    SetClientSize(extent.x + 8, extent.y + 4);
    Bind(wxEVT_PAINT, &DragImageWindow::OnPaint, this);
  }

 private:
  void OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
    dc.Clear();
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(GetClientRect());
    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    dc.DrawText(mText, 4, 2);
  }

  wxString mText;
};

DragImageWindow* gImage = nullptr;

}  // namespace detail_DragImage

void DragImageBegin(const std::string& text, int screenX, int screenY) {
  using detail_DragImage::gImage;
  DragImageEnd();
  wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
  if (!top) return;
  gImage = new detail_DragImage::DragImageWindow(top, text);
  DragImageEnter(nullptr, screenX, screenY);
}

void DragImageMove(int screenX, int screenY) {
  if (detail_DragImage::gImage) detail_DragImage::gImage->Move(screenX + kDragImageOffset, screenY + kDragImageOffset);
}

void DragImageEnter(wxWindow* /*window*/, int screenX, int screenY) {
  using detail_DragImage::gImage;
  if (!gImage) return;
  DragImageMove(screenX, screenY);
  if (!gImage->IsShown()) gImage->Show();
}

void DragImageLeave() {
  if (detail_DragImage::gImage && detail_DragImage::gImage->IsShown()) detail_DragImage::gImage->Hide();
}

void DragImageEnd() {
  using detail_DragImage::gImage;
  if (!gImage) return;
  gImage->Destroy();
  gImage = nullptr;
}

bool IsDragImageShown() {
  return detail_DragImage::gImage && detail_DragImage::gImage->IsShown();
}

}  // namespace corvia
