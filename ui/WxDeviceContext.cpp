// Diagrams and nets onto a wxDC.

#include "ui/WxDeviceContext.h"

#include <cmath>
#include <vector>

namespace corvia {

namespace detail_WxDeviceContext {

// Two colours that differ, sent at the start of a page (0x00BBGGRR as wxColour takes
// them from a long).
constexpr unsigned long kSyncColours[2] = {0x000000, 0xFFFFFF};

wxColour ToColour(uint32_t packed) {
  return wxColour(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

}  // namespace detail_WxDeviceContext

WxDeviceContext::WxDeviceContext(wxDC& dc) : mDC(dc), mOldPen(dc.GetPen()), mOldBrush(dc.GetBrush()) {
  // Printer DCs leave out a colour that they believe is set already, while a new page
  // starts from black: a colour left over from the last page would fill in black.
  // Two different colours in turn make the DC send the second, after which what it
  // believes and what the page holds agree.
  mDC.SetPen(wxPen(wxColour(detail_WxDeviceContext::kSyncColours[0])));
  mDC.SetPen(wxPen(wxColour(detail_WxDeviceContext::kSyncColours[1])));
  mDC.SetPen(mOldPen);
}

WxDeviceContext::~WxDeviceContext() {
  mDC.SetPen(mOldPen);
  mDC.SetBrush(mOldBrush);
}

void WxDeviceContext::MoveTo(int x, int y) {
  mCurrent = wxPoint(x, y);
}

void WxDeviceContext::LineTo(int x, int y) {
  mDC.DrawLine(mCurrent, wxPoint(x, y));
  mCurrent = wxPoint(x, y);
}

void WxDeviceContext::Polygon(const int* xy, int count) {
  if (!xy || count < 3) return;
  std::vector<wxPoint> points(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) points[static_cast<size_t>(i)] = wxPoint(xy[2 * i], xy[2 * i + 1]);
  mDC.DrawPolygon(count, points.data());
}

void WxDeviceContext::Arc(int cx, int cy, int radius, int x0, int y0, int x1, int y1) {
  if (radius <= 0) return;
  // wxDC::DrawArc runs from the first point to the second about the centre; the
  // points are put on the circle along their directions.
  auto onCircle = [&](int x, int y) {
    const double dx = x - cx, dy = y - cy;
    const double length = std::hypot(dx, dy);
    if (length <= 0.0) return wxPoint(cx + radius, cy);
    return wxPoint(cx + static_cast<int>(std::lround(radius * dx / length)),
                   cy + static_cast<int>(std::lround(radius * dy / length)));
  };
  const wxPoint from = onCircle(x0, y0);
  const wxPoint to = onCircle(x1, y1);
  const wxBrush brush = mDC.GetBrush();
  mDC.SetBrush(*wxTRANSPARENT_BRUSH);
  if (from == to) {
    mDC.DrawCircle(cx, cy, radius);
  } else {
    mDC.DrawArc(from, to, wxPoint(cx, cy));
  }
  mDC.SetBrush(brush);
}

void WxDeviceContext::TextOut(int x, int y, const char* text) {
  if (text) mDC.DrawText(wxString::FromUTF8(text), x, y);
}

void WxDeviceContext::GetTextExtent(const char* text, int& width, int& height) {
  wxCoord w = 0, h = 0;
  if (text) mDC.GetTextExtent(wxString::FromUTF8(text), &w, &h);
  width = w;
  height = h;
}

void WxDeviceContext::SetPen(uint32_t colour, int width) {
  mDC.SetPen(wxPen(detail_WxDeviceContext::ToColour(colour), width > 0 ? width : 1));
}

void WxDeviceContext::SetBrush(uint32_t colour) {
  mDC.SetBrush(wxBrush(detail_WxDeviceContext::ToColour(colour)));
}

}  // namespace corvia
