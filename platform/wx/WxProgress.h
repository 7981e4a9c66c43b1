#pragma once
// The "Processing..." window of long operations, shown with wx: a modeless dialog
// with the caption, a bar, the taken and remaining times, Pause/Resume and Cancel.
// While it is up every other top-level window is disabled, and pumping handles
// only user-interface and input events, so the computation that pumps is not
// re-entered by timers, idle work or posted commands (those wait in the queue).

#include <memory>

#include "platform/ProgressFrontEnd.h"

namespace corvia::platform {

class WxProgress final : public ProgressFrontEnd {
public:
  std::unique_ptr<ProgressWindow> CreateWindow() override;
};

}  // namespace corvia::platform
