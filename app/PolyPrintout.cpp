#include "app/PolyPrintout.h"

#include <dlfcn.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/gdicmn.h>
#include <wx/printdlg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "app/PolyView.h"
#include "core/Messages.h"
#include "core/Units.h"
#include "platform/UserFolders.h"
#include "render/NewView.h"
#include "ui/ModalDialogs.h"
#include "ui/PanePrinting.h"
#include "ui/WxDeviceContext.h"

namespace corvia {

namespace detail_PolyPrintout {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kTextPoints = 9;

// Page units (twips, y up) onto the DC's units (y down).
class TwipsDeviceContext final : public DeviceContext {
 public:
  TwipsDeviceContext(DeviceContext& dc, const PrintPageGeometry& g) : mDC(dc), mG(g) {}
  void MoveTo(int x, int y) override { mDC.MoveTo(X(x), Y(y)); }
  void LineTo(int x, int y) override { mDC.LineTo(X(x), Y(y)); }
  void Polygon(const int* xy, int count) override {
    std::vector<int> points(static_cast<size_t>(2 * std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
      points[2 * i] = X(xy[2 * i]);
      points[2 * i + 1] = Y(xy[2 * i + 1]);
    }
    mDC.Polygon(points.data(), count);
  }
  void Arc(int cx, int cy, int radius, int x0, int y0, int x1, int y1) override {
    mDC.Arc(X(cx), Y(cy), std::max(1, RoundToDevice(radius * mG.scaleX)), X(x0), Y(y0), X(x1), Y(y1));
  }
  void TextOut(int x, int y, const char* text) override { mDC.TextOut(X(x), Y(y), text); }
  void GetTextExtent(const char* text, int& width, int& height) override {
    mDC.GetTextExtent(text, width, height);
    width = mG.scaleX > 0.0 ? RoundToDevice(width / mG.scaleX) : width;
    height = mG.scaleY > 0.0 ? RoundToDevice(height / mG.scaleY) : height;
  }
  void SetPen(uint32_t colour, int width) override {
    mDC.SetPen(colour, std::max(1, RoundToDevice(width * mG.scaleX)));
  }
  void SetBrush(uint32_t colour) override { mDC.SetBrush(colour); }

 private:
  int X(int x) const { return RoundToDevice(mG.originX + x * mG.scaleX); }
  int Y(int y) const { return RoundToDevice(mG.originY - y * mG.scaleY); }
  DeviceContext& mDC;
  const PrintPageGeometry& mG;
};

// Whether the pane still exists: a preview window may outlive the pane it shows.
bool IsLivePane(const CPolyView* pane) {
  for (NewView* view = NewView::GetFirstView(); pane && view; view = view->GetNext()) {
    if (view == pane) return true;
  }
  return false;
}

// The preview of a printout. The Print dialog it opens takes the keys; once the dialog
// is gone nothing gives them back, and with the main window disabled behind the preview
// no key would reach the program until the preview's Close button is clicked. The
// preview's page takes them again, as when it opened: after the dialog's last event,
// so that the request is not older than the focus the dialog's going gave away. The
// frame owns the preview and drops the call if it closes first.
class KeyedPrintPreview final : public wxPrintPreview {
 public:
  using wxPrintPreview::wxPrintPreview;
  bool Print(bool interactive) override {
    const bool printed = wxPrintPreview::Print(interactive);
    if (wxFrame* frame = GetFrame()) frame->CallAfter([this] { TakeKeys(); });
    return printed;
  }
  void TakeKeys() {
    wxFrame* frame = GetFrame();
    wxWindow* canvas = GetCanvas();
    if (!frame || !canvas || frame->IsBeingDeleted()) return;
    frame->Raise();
    // Raising asks for the keys with the time of the last key the program had, which
    // loses to any later change of focus (the dialog's going): the request goes with
    // the display's present time instead. GTK is in the process already (wx runs on
    // it), so its two calls are looked up rather than linked.
    using WidgetWindow = void* (*)(void*);
    using WindowFocus = void (*)(void*, uint32_t);
    static auto widgetWindow = reinterpret_cast<WidgetWindow>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
    static auto windowFocus = reinterpret_cast<WindowFocus>(dlsym(RTLD_DEFAULT, "gdk_window_focus"));
    if (widgetWindow && windowFocus && frame->GetHandle()) {
      if (void* window = widgetWindow(frame->GetHandle())) windowFocus(window, 0);
    }
    canvas->SetFocus();
  }
};

}  // namespace detail_PolyPrintout

PrintPageGeometry GetPrintPageGeometry(const wxRect& paper, const wxSize& ppi, double deviceX, double deviceY) {
  using detail_PolyPrintout::kTwipsPerInch;
  if (!(deviceX > 0.0) || !std::isfinite(deviceX)) deviceX = 1.0;
  if (!(deviceY > 0.0) || !std::isfinite(deviceY)) deviceY = 1.0;
  PrintPageGeometry g;
  const double pixelsPerTwipX = ppi.x > 0 ? ppi.x / kTwipsPerInch : 1.0;
  const double pixelsPerTwipY = ppi.y > 0 ? ppi.y / kTwipsPerInch : 1.0;
  g.scaleX = pixelsPerTwipX * deviceX;
  g.scaleY = pixelsPerTwipY * deviceY;
  g.originX = paper.x * deviceX;
  g.originY = (paper.y + paper.height) * deviceY;
  const UnitSettings& units = GetUnitSettings();
  // The page in twips is the paper's, whatever DC it is drawn on.
  const int32_t width = static_cast<int32_t>(std::lround(paper.width / pixelsPerTwipX));
  const int32_t height = static_cast<int32_t>(std::lround(paper.height / pixelsPerTwipY));
  g.rect[0] = units.mMarginLeft;
  g.rect[1] = height - units.mMarginTop;
  g.rect[2] = width - units.mMarginRight;
  g.rect[3] = units.mMarginBottom;
  // Margins larger than the paper leave a page of nothing rather than a turned one.
  if (g.rect[2] < g.rect[0]) g.rect[2] = g.rect[0];
  if (g.rect[1] < g.rect[3]) g.rect[1] = g.rect[3];
  return g;
}

double PrintFontPoints(double pagePoints, double pagePPI, double dcPPI) {
  if (!(pagePPI > 0.0) || !(dcPPI > 0.0)) return pagePoints;
  return pagePoints * pagePPI / dcPPI;
}

CPolyPrintout::CPolyPrintout(CPolyView* pane) : wxPrintout("Corvia"), mPane(pane) {}

CPolyPrintout::~CPolyPrintout() {
  if (CPolyView* pane = GetPane()) pane->Printing().EndPrinting();
}

CPolyView* CPolyPrintout::GetPane() const { return detail_PolyPrintout::IsLivePane(mPane) ? mPane : nullptr; }

PrintPageGeometry CPolyPrintout::GetGeometry() {
  int ppiX = 0, ppiY = 0;
  GetPPIPrinter(&ppiX, &ppiY);
  // The preview hands over a bitmap of the page at its zoom while the page keeps the
  // printer's pixels: the page is drawn at the bitmap's size, so that the preview shows
  // what the printer prints.
  double deviceX = 1.0, deviceY = 1.0;
  int pageX = 0, pageY = 0;
  GetPageSizePixels(&pageX, &pageY);
  if (wxDC* dc = GetDC(); dc && pageX > 0 && pageY > 0) {
    const wxSize size = dc->GetSize();
    if (size.x > 0 && size.y > 0) {
      deviceX = static_cast<double>(size.x) / pageX;
      deviceY = static_cast<double>(size.y) / pageY;
    }
  }
  return GetPrintPageGeometry(GetPaperRectPixels(), wxSize(ppiX, ppiY), deviceX, deviceY);
}

void CPolyPrintout::OnPreparePrinting() {
  mPages = 0;
  mToldWhy = false;
  CPolyView* pane = GetPane();
  if (!pane) return;
  const PrintPageGeometry g = GetGeometry();
  mPages = pane->Printing().PrintsWithPageDrawing() ? pane->Printing().CountPrintPages(g.rect) : 1;
  mToldWhy = mPages < 0;
  if (mPages < 0) mPages = 0;
}

void CPolyPrintout::GetPageInfo(int* minPage, int* maxPage, int* selFrom, int* selTo) {
  *minPage = 1;
  *maxPage = mPages;
  *selFrom = 1;
  *selTo = mPages;
}

bool CPolyPrintout::HasPage(int page) { return page >= 1 && page <= mPages; }

bool CPolyPrintout::OnPrintPage(int page) {
  wxDC* dc = GetDC();
  CPolyView* pane = GetPane();
  if (!dc || !pane || !HasPage(page)) return false;
  const PrintPageGeometry g = GetGeometry();
  if (!pane->Printing().PrintsWithPageDrawing()) {
    // The pane as an image on the page inside the margins.
    const wxRect rect(RoundToDevice(g.originX + g.rect[0] * g.scaleX), RoundToDevice(g.originY - g.rect[1] * g.scaleY),
                      RoundToDevice((g.rect[2] - g.rect[0]) * g.scaleX),
                      RoundToDevice((g.rect[1] - g.rect[3]) * g.scaleY));
    wxSize client(800, 600);
    if (wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr) client = top->GetClientSize();
    // The pane draws as it does for paper (white behind the model) while its image
    // is taken, and as on screen again afterwards.
    pane->OnPreparePrinting();
    const bool printed = DoPrint(pane, *dc, rect, IsPreview(), client);
    pane->OnEndPrinting();
    return printed;
  }
  // Texts stand as high on every page, on paper and in the preview. Every DC makes its
  // fonts for the display's pixels, a printer's as a preview's bitmap.
  wxFont font(wxFontInfo(detail_PolyPrintout::kTextPoints).Family(wxFONTFAMILY_SWISS));
  font.SetFractionalPointSize(PrintFontPoints(detail_PolyPrintout::kTextPoints,
                                              g.scaleY * detail_PolyPrintout::kTwipsPerInch, wxGetDisplayPPI().y));
  dc->SetFont(font);
  dc->SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  WxDeviceContext device(*dc);
  detail_PolyPrintout::TwipsDeviceContext twips(device, g);
  return pane->Printing().PrintPageContent(page, twips, g.rect);
}

void CPolyPrintout::OnEndPrinting() {
  if (CPolyView* pane = GetPane()) pane->Printing().EndPrinting();
}

wxPrintData& GetPrintData() { return GetPageSetupData().GetPrintData(); }

wxPageSetupDialogData& GetPageSetupData() {
  static wxPageSetupDialogData data;
  return data;
}

void ForgetPageSetup() { GetPageSetupData() = wxPageSetupDialogData(); }

bool ShowPrintPreview(CPolyView* pane, wxWindow* parent) {
  if (!pane) return false;
  // Printing to a file offers the user's documents folder, not the folder the program
  // was started from; a file chosen once is offered again.
  if (GetPrintData().GetFilename().empty()) {
    GetPrintData().SetFilename(wxString::FromUTF8((platform::DocumentsFolder() / "Corvia.pdf").string()));
  }
  wxPrintDialogData printData(GetPrintData());
  auto* printout = new CPolyPrintout(pane);
  auto* preview = new detail_PolyPrintout::KeyedPrintPreview(printout, new CPolyPrintout(pane), &printData);
  if (!preview->IsOk()) {
    delete preview;
    ShowError("There is no printer to print this view on.");
    return false;
  }
  // The preview counts the pages only when it first draws one: counted here too, so
  // that an empty print opens no window.
  printout->OnPreparePrinting();
  if (printout->GetPageCount() < 1) {
    // A pane whose nets cannot be fitted has said why already.
    const bool told = printout->HasToldWhy();
    delete preview;
    if (!told) ShowError("There is nothing to print in this view.");
    return false;
  }
  auto* frame = new wxPreviewFrame(preview, parent, "Print Preview", wxDefaultPosition, wxSize(800, 700));
  frame->Centre(wxBOTH);
  frame->Initialize();
  // The main window is disabled behind the preview, which shows the model as it was
  // when it opened and prints it so: the tour and the idle work wait as for a dialog.
  CountAsModalUntilDestroyed(frame);
  frame->Show(true);
  // The preview takes the keys at once, Escape closing it, also where no window
  // manager hands the new window the focus: the main window is disabled behind it.
  preview->TakeKeys();
  return true;
}

void ShowPageSetup(wxWindow* parent) {
  wxPageSetupDialog dialog(parent, &GetPageSetupData());
  if (dialog.ShowModal() == wxID_OK) GetPageSetupData() = dialog.GetPageSetupDialogData();
}

}  // namespace corvia
