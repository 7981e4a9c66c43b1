#include "platform/MessageFrontEnd.h"

#include <cstring>

namespace corvia::platform {

std::string MessageFrontEnd::SystemErrorText(int code) {
  const char* text = std::strerror(code);
  return text ? text : std::string();
}

bool MessageFrontEnd::AskMultiLineText(const std::string& title, const std::string& prompt, std::string& text) {
  return AskText(title, prompt, text);
}

int DismissedResult(const MessageBoxRequest& request) {
  switch (request.buttons) {
    case BoxButtons::Ok: return kBoxOk;
    case BoxButtons::YesNo: return kBoxNo;
    case BoxButtons::OkCancel:
    case BoxButtons::YesNoCancel:
    case BoxButtons::RetryCancel: return kBoxCancel;
    case BoxButtons::AbortRetryIgnore: return kBoxAbort;
    case BoxButtons::Custom: break;
  }
  const int count = static_cast<int>(request.captions.size());
  if (request.cancelButton >= 0 && request.cancelButton < count) return request.cancelButton;
  return request.defaultButton;
}

bool IsResultOfBox(const MessageBoxRequest& request, int result) {
  switch (request.buttons) {
    case BoxButtons::Ok: return result == kBoxOk;
    case BoxButtons::OkCancel: return result == kBoxOk || result == kBoxCancel;
    case BoxButtons::YesNo: return result == kBoxYes || result == kBoxNo;
    case BoxButtons::YesNoCancel: return result == kBoxYes || result == kBoxNo || result == kBoxCancel;
    case BoxButtons::RetryCancel: return result == kBoxRetry || result == kBoxCancel;
    case BoxButtons::AbortRetryIgnore: return result == kBoxAbort || result == kBoxRetry || result == kBoxIgnore;
    case BoxButtons::Custom: return result >= 0 && result < static_cast<int>(request.captions.size());
  }
  return false;
}

}  // namespace corvia::platform
