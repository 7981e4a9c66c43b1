#pragma once
// The window that owns a dialog the seam opens: the top-level window of the active
// window, else the application's top window (null when there is none).

class wxWindow;

namespace corvia::platform {

wxWindow* DialogOwner();

}  // namespace corvia::platform
