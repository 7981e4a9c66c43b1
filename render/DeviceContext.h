#pragma once
// The 2D drawing of diagrams and nets onto paper (and any other flat surface): a
// small set of operations over a device context, in the device's own units. The
// window layer puts it over a wxDC (ui/WxDeviceContext.h); tests draw into a
// recording one.

#include <cstdint>

namespace corvia {

class DeviceContext {
 public:
  virtual ~DeviceContext();
  virtual void MoveTo(int x, int y) = 0;
  // A line from the current point, which moves to (x, y).
  virtual void LineTo(int x, int y) = 0;
  // A filled polygon of count points (x, y pairs) in the current pen and brush.
  virtual void Polygon(const int* xy, int count) = 0;
  // An arc of the circle about (cx, cy), counter-clockwise from the direction of
  // (x0, y0) to that of (x1, y1); equal directions give the whole circle.
  virtual void Arc(int cx, int cy, int radius, int x0, int y0, int x1, int y1) = 0;
  // A text written with its upper left corner at (x, y).
  virtual void TextOut(int x, int y, const char* text) = 0;
  // The width and height (one line) of a text in the device's font.
  virtual void GetTextExtent(const char* text, int& width, int& height) = 0;
  // The pen (of the width in device units) and the solid brush, as packed colours
  // 0x00BBGGRR.
  virtual void SetPen(uint32_t colour, int width) = 0;
  virtual void SetBrush(uint32_t colour) = 0;
};

// Half away from zero, as device points are rounded.
int RoundToDevice(double v);

}  // namespace corvia
