#include "tests/gui/GuiTestSupport.h"

#include <wx/evtloop.h>
#include <wx/eventfilter.h>
#include <wx/window.h>

#include <memory>
#include <unordered_map>

// After wx: Xlib's macros (None, Status, ...) would clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace corvia::testing {

namespace {

// Counts the paint events of each window and of the windows around it.
class PaintCounter : public wxEventFilter {
 public:
  int FilterEvent(wxEvent& event) override {
    if (event.GetEventType() == wxEVT_PAINT) {
      for (auto* w = wxDynamicCast(event.GetEventObject(), wxWindow); w; w = w->GetParent()) ++mCounts[w];
    }
    return Event_Skip;
  }
  int Count(const wxWindow* window) const {
    const auto found = mCounts.find(window);
    return found == mCounts.end() ? 0 : found->second;
  }

 private:
  // By address: a window made where a destroyed one was goes on from its count, which
  // only ever grows.
  std::unordered_map<const wxWindow*, int> mCounts;
};

PaintCounter& Painted() {
  // Never removed: it counts until the program ends.
  static PaintCounter* counter = [] {
    auto* made = new PaintCounter;
    wxEvtHandler::AddFilter(made);
    return made;
  }();
  return *counter;
}

}  // namespace

int PaintCount(const wxWindow* window) { return Painted().Count(window); }

bool HasQueuedEvents() {
  // A question to the display through the toolkit's connection: the events sent before
  // the answer are then queued where the toolkit looks.
  wxGetMouseState();
  wxGUIEventLoop loop;
  return loop.Pending() || (wxTheApp && wxTheApp->HasPendingEvents());
}

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

GLBitmap ScreenBitmap(wxWindow* window) {
  const wxImage image = ScreenPixels(window);
  GLBitmap bitmap;
  bitmap.width = image.GetWidth();
  bitmap.height = image.GetHeight();
  bitmap.pixels.resize(static_cast<size_t>(bitmap.width) * bitmap.height * 4);
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      uint8_t* p = bitmap.Pixel(x, y);
      p[0] = image.GetRed(x, y);
      p[1] = image.GetGreen(x, y);
      p[2] = image.GetBlue(x, y);
      p[3] = 255;
    }
  }
  return bitmap;
}

namespace {

Display* KeysDisplay() {
  // A connection of its own, as a window manager has.
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

// The first title up the tree from the window: the focus may rest on a window inside
// the top-level one.
std::string TitleAbove(Display* display, Window window) {
  const Window root = DefaultRootWindow(display);
  for (int depth = 0; window != 0 && window != root && depth < 64; ++depth) {
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
      std::string title(name);
      XFree(name);
      return title;
    }
    Window rootOf = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &rootOf, &parent, &children, &count)) break;
    if (children) XFree(children);
    window = parent;
  }
  return {};
}

}  // namespace

std::string KeyWindowTitle() {
  Display* display = KeysDisplay();
  if (!display) return {};
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  if (focus == None) return {};
  const Window root = DefaultRootWindow(display);
  if (focus == PointerRoot || focus == root) {
    // The keys go to the top-level window under the pointer.
    Window rootOf = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display, root, &rootOf, &child, &rootX, &rootY, &x, &y, &mask)) return {};
    focus = child;
  }
  return TitleAbove(display, focus);
}

namespace {

// The topmost shown top-level window of the title; 0 when there is none.
Window WindowTitled(Display* display, const std::string& title) {
  Window rootOf = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &rootOf, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = count; i-- > 0 && !found;) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    if (TitleAbove(display, children[i]) == title) found = children[i];
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

bool GiveKeysToWindowTitled(const std::string& title) {
  Display* display = KeysDisplay();
  if (!display) return false;
  const Window found = WindowTitled(display, title);
  if (!found) return false;
  XSetInputFocus(display, found, RevertToParent, CurrentTime);
  XSync(display, False);
  return true;
}

bool CloseWindowTitled(const std::string& title) {
  Display* display = KeysDisplay();
  if (!display) return false;
  const Window found = WindowTitled(display, title);
  if (!found) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = found;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, found, False, NoEventMask, &event);
  XSync(display, False);
  return true;
}

}  // namespace corvia::testing
