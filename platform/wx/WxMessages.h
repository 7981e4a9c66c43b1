#pragma once
// Message and question boxes shown with wx. Owned by the active window, else the
// application's top window.

#include "platform/MessageFrontEnd.h"

namespace corvia::platform {

class WxMessages final : public MessageFrontEnd {
public:
  MessageBoxReply ShowBox(const MessageBoxRequest& request) override;
};

}  // namespace corvia::platform
