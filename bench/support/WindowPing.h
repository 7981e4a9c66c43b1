#pragma once
// Whether a window answers, asked as a window manager asks it: a thread of its own, on
// a display connection of its own, sends the window a _NET_WM_PING every interval and
// notes when each one comes back. The toolkit answers a ping when it reads the window's
// events from the display, that is at every turn of an event loop of the program's
// thread (its main loop, a modal dialog's, the progress window's pump), the same turns
// that handle the user's clicks and keys; a paint, a pick or a step that holds the thread
// leaves the pings waiting. The longest wait of a ping sent in a stretch is, within one
// interval, the longest time the window did not answer then.
//
// The thread can also click where the user would, at a time given: a real button press
// and release of the display (XTest), so that the program reads it at its next turn, as
// a user's click, however busy the program's thread is then.
//
// Include after the wx headers: Xlib's macros (None, Status, Bool, ...) would clash
// with their names.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvia::bench {

class WindowPing {
 public:
  WindowPing() = default;
  ~WindowPing() { Stop(); }
  WindowPing(const WindowPing&) = delete;
  WindowPing& operator=(const WindowPing&) = delete;

  // Seconds of the steady clock, the one every time here is given in.
  static double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }

  // Finds the shown top-level window of this process with the title (UTF-8) and starts
  // pinging it every `interval` seconds; false when there is no display or no such
  // window.
  bool Start(const std::string& title, double interval) {
    Stop();
    mDisplay = XOpenDisplay(nullptr);
    if (!mDisplay) return false;
    IgnoreErrorsOf(mDisplay);
    mProtocols = XInternAtom(mDisplay, "WM_PROTOCOLS", False);
    mPingAtom = XInternAtom(mDisplay, "_NET_WM_PING", False);
    mPidAtom = XInternAtom(mDisplay, "_NET_WM_PID", False);
    mNameAtom = XInternAtom(mDisplay, "_NET_WM_NAME", False);
    mUtf8Atom = XInternAtom(mDisplay, "UTF8_STRING", False);
    mWindow = FindTopLevel(title);
    if (!mWindow) {
      XCloseDisplay(mDisplay);
      mDisplay = nullptr;
      return false;
    }
    // The toolkit sends its answer to the root window, for the window manager; any
    // client may listen there for structure changes, which the answer is sent as.
    XSelectInput(mDisplay, DefaultRootWindow(mDisplay), SubstructureNotifyMask);
    XFlush(mDisplay);
    mInterval = interval;
    mStop = false;
    mThread = std::thread([this] { Run(); });
    return true;
  }

  void Stop() {
    if (mThread.joinable()) {
      mStop = true;
      mThread.join();
    }
    if (mDisplay) {
      XCloseDisplay(mDisplay);
      mDisplay = nullptr;
    }
  }

  struct Hold {
    double seconds = 0.0;  // the longest wait for an answer
    double sentAt = 0.0;   // when the ping that waited it was sent
    int pings = 0;         // pings sent in the stretch
    int unanswered = 0;    // of those, not answered yet
  };
  // The longest wait among the pings sent from `from` to `to`; a ping not answered
  // yet counts its wait until now.
  Hold Longest(double from, double to) const {
    std::lock_guard<std::mutex> lock(mMutex);
    Hold hold;
    const double now = Now();
    for (const Ping& ping : mPings) {
      if (ping.sent < from || ping.sent > to) continue;
      ++hold.pings;
      if (ping.answered < 0.0) ++hold.unanswered;
      const double wait = (ping.answered < 0.0 ? now : ping.answered) - ping.sent;
      if (wait > hold.seconds) {
        hold.seconds = wait;
        hold.sentAt = ping.sent;
      }
    }
    return hold;
  }

  // From the time given on, clicks (left button) at the offset in the first shown
  // top-level window of this process with the title, as soon as there is one. The time
  // of the click is then ClickedAt's.
  void ScheduleClick(double at, const std::string& title, int dx, int dy) {
    std::lock_guard<std::mutex> lock(mMutex);
    mClick = {at, title, dx, dy, true};
    mClickedAt = -1.0;
  }
  void CancelClick() {
    std::lock_guard<std::mutex> lock(mMutex);
    mClick.pending = false;
  }
  // Below 0 before the click.
  double ClickedAt() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mClickedAt;
  }
  // Whether the display can take clicks from here.
  static bool CanClick() { return FakeMotion() && FakeButton(); }

  // Calls `expire` on the watch's own thread once the time given has passed, however
  // busy the program's thread is (to report and end a run that went on too long).
  void SetDeadline(double at, std::function<void()> expire) {
    std::lock_guard<std::mutex> lock(mMutex);
    mDeadline = at;
    mExpire = std::move(expire);
  }

 private:
  struct Ping {
    double sent;
    double answered;
  };
  struct Click {
    double at = 0.0;
    std::string title;
    int dx = 0;
    int dy = 0;
    bool pending = false;
  };

  using MotionFunction = int (*)(Display*, int, int, int, unsigned long);
  using ButtonFunction = int (*)(Display*, unsigned int, int, unsigned long);
  // The XTest calls, from the library the toolkit has loaded already.
  static void* Symbol(const char* name) {
    void* symbol = dlsym(RTLD_DEFAULT, name);
    if (!symbol) {
      static void* library = dlopen("libXtst.so.6", RTLD_NOW | RTLD_GLOBAL);
      if (library) symbol = dlsym(library, name);
    }
    return symbol;
  }
  static MotionFunction FakeMotion() {
    return reinterpret_cast<MotionFunction>(Symbol("XTestFakeMotionEvent"));
  }
  static ButtonFunction FakeButton() {
    return reinterpret_cast<ButtonFunction>(Symbol("XTestFakeButtonEvent"));
  }

  // A window may go between the question and the answer: the errors of this
  // connection are dropped, those of every other go where they went before.
  static Display*& QuietDisplay() {
    static Display* display = nullptr;
    return display;
  }
  static XErrorHandler& PreviousHandler() {
    static XErrorHandler handler = nullptr;
    return handler;
  }
  static int OnError(Display* display, XErrorEvent* error) {
    if (display == QuietDisplay()) return 0;
    return PreviousHandler() ? PreviousHandler()(display, error) : 0;
  }
  static void IgnoreErrorsOf(Display* display) {
    QuietDisplay() = display;
    static const bool installed = [] {
      PreviousHandler() = XSetErrorHandler(OnError);
      return true;
    }();
    (void)installed;
  }

  std::string NameOf(Window window) const {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(mDisplay, window, mNameAtom, 0, 1024, False, mUtf8Atom, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 8) {
      name.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data) XFree(data);
    if (name.empty()) {
      char* plain = nullptr;
      if (XFetchName(mDisplay, window, &plain) && plain) name = plain;
      if (plain) XFree(plain);
    }
    return name;
  }

  bool IsOurs(Window window) const {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool ours = false;
    if (XGetWindowProperty(mDisplay, window, mPidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 32 && count == 1) {
      ours = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == getpid();
    }
    if (data) XFree(data);
    return ours;
  }

  // The first shown top-level window of this process with the title; 0 when none.
  Window FindTopLevel(const std::string& title) const {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(mDisplay, DefaultRootWindow(mDisplay), &root, &parent, &children, &count)) return 0;
    Window found = 0;
    // From the top of the stack down.
    for (unsigned i = count; i-- > 0 && !found;) {
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(mDisplay, children[i], &attributes) || attributes.map_state != IsViewable) continue;
      if (IsOurs(children[i]) && NameOf(children[i]) == title) found = children[i];
    }
    if (children) XFree(children);
    return found;
  }

  void SendPing(long serial) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = mWindow;
    event.xclient.message_type = mProtocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(mPingAtom);
    event.xclient.data.l[1] = serial;
    event.xclient.data.l[2] = static_cast<long>(mWindow);
    XSendEvent(mDisplay, mWindow, False, NoEventMask, &event);
    XFlush(mDisplay);
  }

  // Clicks when one is due and its window is there.
  void ClickIfDue(double now) {
    Click click;
    {
      std::lock_guard<std::mutex> lock(mMutex);
      if (!mClick.pending || now < mClick.at) return;
      click = mClick;
    }
    const Window window = FindTopLevel(click.title);
    if (!window) return;
    Window child = 0;
    int x = 0, y = 0;
    if (!XTranslateCoordinates(mDisplay, window, DefaultRootWindow(mDisplay), click.dx, click.dy, &x, &y, &child)) {
      return;
    }
    const MotionFunction motion = FakeMotion();
    const ButtonFunction button = FakeButton();
    if (!motion || !button) return;
    motion(mDisplay, DefaultScreen(mDisplay), x, y, 0);
    button(mDisplay, 1, True, 0);
    button(mDisplay, 1, False, 0);
    XFlush(mDisplay);
    std::lock_guard<std::mutex> lock(mMutex);
    if (mClick.pending) mClickedAt = Now();
    mClick.pending = false;
  }

  void Run() {
    long serial = 0;
    double next = Now();
    const int fd = ConnectionNumber(mDisplay);
    while (!mStop) {
      double now = Now();
      if (now >= next) {
        SendPing(++serial);
        {
          std::lock_guard<std::mutex> lock(mMutex);
          mPings.push_back({now, -1.0});
        }
        next = std::max(next + mInterval, now + 0.5 * mInterval);
      }
      ClickIfDue(now);
      std::function<void()> expire;
      {
        std::lock_guard<std::mutex> lock(mMutex);
        if (mExpire && now >= mDeadline) expire = std::move(mExpire);
      }
      if (expire) expire();
      pollfd wait{fd, POLLIN, 0};
      const int timeout = std::max(1, std::min(10, static_cast<int>(std::ceil(1000.0 * (next - Now())))));
      if (!XPending(mDisplay)) poll(&wait, 1, timeout);
      while (XPending(mDisplay)) {
        XEvent event;
        XNextEvent(mDisplay, &event);
        if (event.type != ClientMessage || event.xclient.message_type != mProtocols ||
            event.xclient.data.l[0] != static_cast<long>(mPingAtom) ||
            event.xclient.data.l[2] != static_cast<long>(mWindow)) {
          continue;
        }
        const double answered = Now();
        const long number = event.xclient.data.l[1];
        std::lock_guard<std::mutex> lock(mMutex);
        if (number >= 1 && number <= static_cast<long>(mPings.size()) && mPings[number - 1].answered < 0.0) {
          mPings[number - 1].answered = answered;
        }
      }
    }
  }

  Display* mDisplay = nullptr;
  Window mWindow = 0;
  Atom mProtocols = 0, mPingAtom = 0, mPidAtom = 0, mNameAtom = 0, mUtf8Atom = 0;
  double mInterval = 0.05;
  std::atomic<bool> mStop{false};
  std::thread mThread;
  mutable std::mutex mMutex;
  std::vector<Ping> mPings;
  Click mClick;
  double mClickedAt = -1.0;
  double mDeadline = 0.0;
  std::function<void()> mExpire;
};

}  // namespace corvia::bench
