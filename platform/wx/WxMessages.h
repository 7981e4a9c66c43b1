#pragma once
// Message and question boxes shown with wx. Owned by the active window, else the
// application's top window.

#include "platform/MessageFrontEnd.h"

namespace corvia::platform {

class WxMessages final : public MessageFrontEnd {
public:
  MessageBoxReply ShowBox(const MessageBoxRequest& request) override;
  // Hook around every box: the drawing code closes its open GL sections before a
  // box and reopens them after (set by the renderer; empty until then).
  void (*beforeBox)() = nullptr;
  void (*afterBox)() = nullptr;
};

}  // namespace corvia::platform
