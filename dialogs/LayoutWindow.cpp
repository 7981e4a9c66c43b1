// The window of "Choose Layout": a picture of each layout's panes to click on.

#include <wx/dcclient.h>
#include <wx/sizer.h>
#include <wx/tglbtn.h>

#include <array>

#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "dialogs/LayoutDlg.h"

namespace corvia {

namespace detail_LayoutWindow {

// The panes of each layout as fractions of the pane area (x, y, width, height), in
// the order the layouts are numbered.
struct PaneRect {
  float x, y, w, h;
};
constexpr int kMaxPanes = 6;
struct Picture {
  int count;
  std::array<PaneRect, kMaxPanes> panes;
};
constexpr float k3 = 1.0f / 3.0f;
const Picture kPictures[LayoutDlg::kNumChoices] = {
    {1, {{{0, 0, 1, 1}}}},
    {2, {{{0, 0, 0.5f, 1}, {0.5f, 0, 0.5f, 1}}}},
    {3, {{{0, 0, k3, 1}, {k3, 0, k3, 1}, {2 * k3, 0, k3, 1}}}},
    {3, {{{0, 0, k3, 0.5f}, {0, 0.5f, k3, 0.5f}, {k3, 0, 2 * k3, 1}}}},
    {3, {{{0, 0, 2 * k3, 1}, {2 * k3, 0, k3, 0.5f}, {2 * k3, 0.5f, k3, 0.5f}}}},
    {4, {{{0, 0, 0.5f, 0.5f}, {0.5f, 0, 0.5f, 0.5f}, {0, 0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f, 0.5f}}}},
    {4, {{{0, 0, 0.25f, k3}, {0, k3, 0.25f, k3}, {0, 2 * k3, 0.25f, k3}, {0.25f, 0, 0.75f, 1}}}},
    {4, {{{0, 0, 0.75f, 1}, {0.75f, 0, 0.25f, k3}, {0.75f, k3, 0.25f, k3}, {0.75f, 2 * k3, 0.25f, k3}}}},
    {5,
     {{{0, 0, 0.25f, 0.5f}, {0.25f, 0, 0.25f, 0.5f}, {0, 0.5f, 0.25f, 0.5f}, {0.25f, 0.5f, 0.25f, 0.5f},
       {0.5f, 0, 0.5f, 1}}}},
    {5,
     {{{0, 0, 0.5f, 1}, {0.5f, 0, 0.25f, 0.5f}, {0.75f, 0, 0.25f, 0.5f}, {0.5f, 0.5f, 0.25f, 0.5f},
       {0.75f, 0.5f, 0.25f, 0.5f}}}},
    {6,
     {{{0, 0, k3, 0.5f}, {k3, 0, k3, 0.5f}, {2 * k3, 0, k3, 0.5f}, {0, 0.5f, k3, 0.5f}, {k3, 0.5f, k3, 0.5f},
       {2 * k3, 0.5f, k3, 0.5f}}}},
};

wxBitmap DrawPicture(const Picture& picture, const wxSize& size) {
  wxBitmap bitmap(size);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();
  dc.SetPen(*wxBLACK_PEN);
  dc.SetBrush(wxBrush(wxColour(200, 215, 235)));
  for (int i = 0; i < picture.count; ++i) {
    const PaneRect& pane = picture.panes[static_cast<size_t>(i)];
    dc.DrawRectangle(static_cast<int>(pane.x * (size.x - 1)), static_cast<int>(pane.y * (size.y - 1)),
                     static_cast<int>(pane.w * (size.x - 1)) + 1, static_cast<int>(pane.h * (size.y - 1)) + 1);
  }
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

class LayoutWindow : public CorviaDialog {
 public:
  explicit LayoutWindow(LayoutDlg& values) : CorviaDialog(nullptr, "Choose Layout", LayoutDlg::kName), mValues(values) {
    auto* grid = new wxGridSizer(4, FromDIP(6), FromDIP(6));
    const wxSize size = FromDIP(wxSize(64, 48));
    for (int i = 0; i < LayoutDlg::kNumChoices; ++i) {
      auto* button = new wxBitmapToggleButton(this, wxID_ANY, DrawPicture(kPictures[i], size), wxDefaultPosition,
                                              wxDefaultSize, 0, wxDefaultValidator, "layout" + std::to_string(i));
      button->SetToolTip(wxString::Format("%d pane%s", kPictures[i].count, kPictures[i].count > 1 ? "s" : ""));
      button->Bind(wxEVT_TOGGLEBUTTON, [this, i](wxCommandEvent&) { Choose(i); });
      // A double click chooses and closes.
      button->Bind(wxEVT_LEFT_DCLICK, [this, i](wxMouseEvent&) {
        Choose(i);
        PressOk();
      });
      mButtons[static_cast<size_t>(i)] = button;
      grid->Add(button);
    }
    FinishLayout(grid);
  }

  bool TransferDataToWindow() override {
    Choose(mValues.mLayout);
    return true;
  }
  bool TransferDataFromWindow() override {
    if (mChosen < 0) return RefuseField("Please choose a layout.");
    mValues.mLayout = mChosen;
    return true;
  }

  void Choose(int layout) {
    mChosen = layout >= 0 && layout < LayoutDlg::kNumChoices ? layout : -1;
    for (int i = 0; i < LayoutDlg::kNumChoices; ++i) mButtons[static_cast<size_t>(i)]->SetValue(i == mChosen);
  }

 private:
  LayoutDlg& mValues;
  std::array<wxBitmapToggleButton*, LayoutDlg::kNumChoices> mButtons{};
  int mChosen = -1;
};

}  // namespace detail_LayoutWindow

bool RunLayoutWindow(LayoutDlg& values) {
  LayoutDlg edited = values;
  detail_LayoutWindow::LayoutWindow window(edited);
  if (window.ShowModal() != wxID_OK) return false;
  values = edited;
  return true;
}

}  // namespace corvia
