#pragma once
// Message and question boxes shown with wx. Owned by the active window, else the
// application's top window.

#include "platform/MessageFrontEnd.h"

namespace corvia::platform {

class WxMessages final : public MessageFrontEnd {
public:
  MessageBoxReply ShowBox(const MessageBoxRequest& request) override;
  bool AskText(const std::string& title, const std::string& prompt, std::string& text) override;
  bool AskMultiLineText(const std::string& title, const std::string& prompt, std::string& text) override;
};

}  // namespace corvia::platform
