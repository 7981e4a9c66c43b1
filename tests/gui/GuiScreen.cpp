#include "tests/gui/GuiTestSupport.h"

#include <wx/window.h>

#include <memory>

// After wx: Xlib's macros (None, Status, ...) would clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace corvia::testing {

wxImage ScreenPixels(wxWindow* window) {
  const wxSize size = window->GetClientSize();
  const wxPoint origin = window->ClientToScreen(wxPoint(0, 0));
  wxImage image(size.x, size.y);
  // A connection of its own, as a screenshot program has: its requests wait for
  // nothing queued by the toolkit's.
  static Display* display = XOpenDisplay(nullptr);
  if (!display || size.x <= 0 || size.y <= 0) return image;
  XSync(display, False);
  auto destroy = [](XImage* image) { XDestroyImage(image); };
  std::unique_ptr<XImage, decltype(destroy)> shot(
      XGetImage(display, DefaultRootWindow(display), origin.x, origin.y, static_cast<unsigned>(size.x),
                static_cast<unsigned>(size.y), AllPlanes, ZPixmap),
      destroy);
  if (!shot) return image;
  auto channel = [](unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long top = mask >> shift;
    return static_cast<int>(((pixel >> shift) & top) * 255 / top);
  };
  for (int y = 0; y < size.y; ++y) {
    for (int x = 0; x < size.x; ++x) {
      const unsigned long pixel = XGetPixel(shot.get(), x, y);
      image.SetRGB(x, y, static_cast<unsigned char>(channel(pixel, shot->red_mask)),
                   static_cast<unsigned char>(channel(pixel, shot->green_mask)),
                   static_cast<unsigned char>(channel(pixel, shot->blue_mask)));
    }
  }
  return image;
}

}  // namespace corvia::testing
