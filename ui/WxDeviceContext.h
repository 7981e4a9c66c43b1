#pragma once
// The drawing onto paper of diagrams and nets (DeviceContext, render/DeviceContext.h)
// over a wxDC: a printer's, a preview's or a memory bitmap's. Pen and brush are made
// as they are asked for; the DC's own are put back when this goes.

#include <wx/brush.h>
#include <wx/dc.h>
#include <wx/pen.h>

#include "render/DeviceContext.h"

namespace corvia {

class WxDeviceContext final : public DeviceContext {
 public:
  explicit WxDeviceContext(wxDC& dc);
  ~WxDeviceContext() override;
  WxDeviceContext(const WxDeviceContext&) = delete;
  WxDeviceContext& operator=(const WxDeviceContext&) = delete;

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Polygon(const int* xy, int count) override;
  void Arc(int cx, int cy, int radius, int x0, int y0, int x1, int y1) override;
  void TextOut(int x, int y, const char* text) override;
  void GetTextExtent(const char* text, int& width, int& height) override;
  void SetPen(uint32_t colour, int width) override;
  void SetBrush(uint32_t colour) override;

 private:
  wxDC& mDC;
  wxPen mOldPen;
  wxBrush mOldBrush;
  wxPoint mCurrent;
};

}  // namespace corvia
