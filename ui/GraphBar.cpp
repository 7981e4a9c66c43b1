#include "ui/GraphBar.h"

#include <wx/aui/framemanager.h>
#include <wx/dcbuffer.h>
#include <wx/frame.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>

#include "ui/GraphCurves.h"

namespace corvia {

namespace detail_GraphBar {

float gTime = 0.0f;
GraphTimeCallback gCallback = nullptr;
std::vector<GraphBar*> gWindows;

// The cursor line was drawn by inverting the yellow bits of what lies under it:
// on the window's background that gives this colour.
constexpr unsigned char kCursorXor[3] = {255, 255, 0};
// Curves are drawn this far beyond the window at most.
constexpr int kCurveSlack = 2;
// The components' colours, in turn.
constexpr unsigned char kComponentColours[][3] = {{200, 0, 0}, {0, 150, 0}, {0, 0, 220}, {200, 0, 200}, {0, 150, 150}};

void RefreshAll() {
  for (GraphBar* window : gWindows) window->Refresh(false);
}

}  // namespace detail_GraphBar

void SetGraphTime(float time) {
  using detail_GraphBar::gTime;
  if (!std::isfinite(time) || time == gTime) return;
  gTime = std::clamp(time, 0.0f, 1.0f);
  GetGraphCurves().ApplyAll(static_cast<double>(gTime));
  if (detail_GraphBar::gCallback) detail_GraphBar::gCallback();
}

float GetGraphTime() { return detail_GraphBar::gTime; }

void SetGraphTimeCallback(GraphTimeCallback callback) { detail_GraphBar::gCallback = callback; }

GraphBar::GraphBar(wxWindow* parent, wxWindowID id, int height, wxFrame* owner)
    : wxWindow(parent, id, wxDefaultPosition, wxSize(-1, height), wxFULL_REPAINT_ON_RESIZE),
      mOwner(owner),
      mHeight(height) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  mWidth = GetClientSize().x;
  detail_GraphBar::gWindows.push_back(this);
  Bind(wxEVT_PAINT, &GraphBar::OnPaint, this);
  Bind(wxEVT_SIZE, &GraphBar::OnSize, this);
  Bind(wxEVT_LEFT_DOWN, &GraphBar::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &GraphBar::OnLeftUp, this);
  Bind(wxEVT_RIGHT_DOWN, &GraphBar::OnRightDown, this);
  Bind(wxEVT_RIGHT_UP, &GraphBar::OnRightUp, this);
  Bind(wxEVT_MOTION, &GraphBar::OnMotion, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &GraphBar::OnCaptureLost, this);
}

GraphBar::~GraphBar() {
  auto& windows = detail_GraphBar::gWindows;
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
  if (HasCapture()) ReleaseMouse();
}

const std::vector<GraphBar*>& GraphBar::GetGraphWindows() { return detail_GraphBar::gWindows; }

wxColour GraphBar::GetCursorColour() {
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  using detail_GraphBar::kCursorXor;
  return wxColour(face.Red() ^ kCursorXor[0], face.Green() ^ kCursorXor[1], face.Blue() ^ kCursorXor[2]);
}

wxColour GraphBar::GetComponentColour(int component) {
  using detail_GraphBar::kComponentColours;
  constexpr int count = sizeof kComponentColours / sizeof kComponentColours[0];
  const auto& rgb = kComponentColours[((component % count) + count) % count];
  return wxColour(rgb[0], rgb[1], rgb[2]);
}

void GraphBar::SetGraphHeight(int height) {
  mHeight = std::max(height, 1);
  InvalidateBestSize();
  if (wxAuiManager* manager = wxAuiManager::GetManager(this)) {
    wxAuiPaneInfo& pane = manager->GetPane(this);
    if (pane.IsOk()) {
      pane.BestSize(wxSize(pane.best_size.x, mHeight));
      manager->Update();
      return;
    }
  }
  SetSize(wxSize(GetSize().x, mHeight));
  if (mOwner) mOwner->Layout();
}

wxSize GraphBar::DoGetBestSize() const { return wxSize(std::max(mWidth, 1), mHeight); }

void GraphBar::UsePlotSize() const { GetGraphCurves().SetPlotSize(mWidth, mHeight); }

void GraphBar::OnSize(wxSizeEvent& event) {
  event.Skip();
  const wxSize client = GetClientSize();
  mWidth = client.x;
  // The docking manager moves the bar's inner edge: the height follows it.
  if (client.y > 0) mHeight = client.y;
  Refresh(false);
}

void GraphBar::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  dc.Clear();
  UsePlotSize();
  const float now = GetGraphTime();
  const int x = GetGraphCurves().PixelOfTime(now);
  dc.SetPen(wxPen(GetCursorColour(), 1));
  dc.DrawLine(x, 0, x, mHeight);
  mCursorTime = now;
  DrawGraph(dc);
}

void GraphBar::DrawGraph(wxDC& dc) {
  const GraphCurves& curves = GetGraphCurves();
  const int width = curves.GetPlotWidth();
  const int height = curves.GetPlotHeight();
  if (width < kGraphMinPlotPixels || height < kGraphMinPlotPixels) return;
  const int low = -detail_GraphBar::kCurveSlack;
  const int high = height + detail_GraphBar::kCurveSlack;
  std::vector<wxPoint> line(static_cast<size_t>(width));
  for (const auto& curve : curves.GetCurves()) {
    if (!curve->mEnabled || curve->GetNodes().empty()) continue;
    for (int c = 0; c < curve->GetNumComponents(); ++c) {
      const wxColour colour = GetComponentColour(c);
      for (int px = 0; px < width; ++px) {
        const double value = curve->ValueAt(c, curves.TimeAtPixel(px));
        line[static_cast<size_t>(px)] = wxPoint(px, std::clamp(curves.PixelOfValue(*curve, value), low, high));
      }
      dc.SetPen(wxPen(colour, 1));
      dc.DrawLines(static_cast<int>(line.size()), line.data());
      // The nodes: filled while selected.
      for (const auto& node : curve->GetNodes()) {
        const int nx = curves.PixelOfTime(node->mTime);
        const int ny = curves.PixelOfValue(*curve, node->GetValue(c));
        if (nx < low || nx > width + detail_GraphBar::kCurveSlack || ny < low || ny > high) continue;
        dc.SetBrush(node->mSelected ? wxBrush(colour) : *wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(nx - kGraphHitPixels, ny - kGraphHitPixels, 2 * kGraphHitPixels + 1, 2 * kGraphHitPixels + 1);
      }
    }
  }
}

void GraphBar::BeginDrag(const wxMouseEvent& event, bool& flag) {
  if (!HasCapture()) CaptureMouse();
  mLast = event.GetPosition();
  flag = true;
}

void GraphBar::EndDrag(const wxMouseEvent& event, bool& flag, bool otherFlag) {
  if (!otherFlag && HasCapture()) ReleaseMouse();
  mLast = event.GetPosition();
  flag = false;
}

void GraphBar::OnLeftDown(wxMouseEvent& event) {
  BeginDrag(event, mLeftDrag);
  OnLeftPress(event);
}

void GraphBar::OnLeftPress(const wxMouseEvent& event) { TrackTime(event); }

void GraphBar::OnRightDown(wxMouseEvent& event) {
  BeginDrag(event, mRightDrag);
  if (TracksTime()) TrackTime(event);
}

void GraphBar::OnLeftUp(wxMouseEvent& event) { EndDrag(event, mLeftDrag, mRightDrag); }

void GraphBar::OnRightUp(wxMouseEvent& event) { EndDrag(event, mRightDrag, mLeftDrag); }

void GraphBar::OnCaptureLost(wxMouseCaptureLostEvent&) {
  mLeftDrag = false;
  mRightDrag = false;
}

void GraphBar::OnMotion(wxMouseEvent& event) {
  Pan(event);
  if (TracksTime()) TrackTime(event);
}

void GraphBar::Pan(const wxMouseEvent& event) {
  const wxPoint at = event.GetPosition();
  if (mRightDrag && !mLeftDrag) {
    GraphCurves& curves = GetGraphCurves();
    UsePlotSize();
    // What was under the pointer stays under it.
    const double dt = curves.TimeAtPixel(at.x) - curves.TimeAtPixel(mLast.x);
    curves.SetTimeRange(curves.GetTimeStart() - dt, curves.GetTimeEnd() - dt);
    for (const auto& curve : curves.GetCurves()) {
      if (!curve->HasSelectedNode()) continue;
      const double dv = curves.ValueAtPixel(*curve, at.y) - curves.ValueAtPixel(*curve, mLast.y);
      curve->mTop -= dv;
      curve->mBottom -= dv;
    }
    if (at != mLast) detail_GraphBar::RefreshAll();
  }
  mLast = at;
}

void GraphBar::TrackTime(const wxMouseEvent& event) {
  if (!mLeftDrag) return;
  UsePlotSize();
  SetGraphTime(static_cast<float>(GetGraphCurves().TimeAtPixel(event.GetPosition().x)));
  // The cursor lines move by repainting every graph window.
  detail_GraphBar::RefreshAll();
  mCursorTime = GetGraphTime();
}

void GraphKeyBar::OnLeftPress(const wxMouseEvent& event) {
  GraphCurves& curves = GetGraphCurves();
  UsePlotSize();
  mPickedComponent = -1;
  mPicked = curves.HitTest(event.GetX(), event.GetY(), &mPickedComponent);
  const bool ctrl = event.ControlDown();
  if (!mPicked) {
    if (ctrl) return;
    curves.SelectKey(nullptr, -1, false, false);
  } else if (ctrl) {
    curves.SelectKey(mPicked, mPickedComponent, !mPicked->mSelected, true);
  } else {
    curves.SelectKey(mPicked, mPickedComponent, true, false);
  }
  Refresh(false);
}

}  // namespace corvia
