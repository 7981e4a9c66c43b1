#include "core/Messages.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Progress.h"
#include "core/Strings.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_Messages {

constexpr const char* kEllipsis = "...";
constexpr size_t kEllipsisLength = 3;
// Questions built from several captions carry longer texts than the plain boxes.
constexpr size_t kQuestionBufferSize = 2048;

constexpr const char* kInternalErrorTitle = "Internal Error";

uint32_t gSessionMask = 0xFFFFFFFFu;
int gToldCount = 0;
// Internal errors met so far, told or not.
int gInternalErrorCount = 0;
// Open InternalErrorsToldOnce scopes, and whether the operation has told its error.
int gOnceDepth = 0;
bool gOnceTold = false;
uint32_t gSavedMask = 0xFFFFFFFFu;

SuspendOpenGLHook& TheSuspendHook() {
  static SuspendOpenGLHook hook;
  return hook;
}

// Shows one box with open drawing sections closed around it. Every box and question
// passes here: an answer that is none of the box's buttons (a front end's own answer
// for a box closed by the window manager) is the one that changes nothing.
platform::MessageBoxReply ShowNow(const platform::MessageBoxRequest& request) {
  std::function<void()> resume;
  if (const SuspendOpenGLHook& hook = TheSuspendHook()) resume = hook();
  platform::MessageBoxReply reply;
  try {
    reply = platform::Services().messages->ShowBox(request);
  } catch (...) {
    // A box that memory did not allow leaves the drawing sections as it found them.
    if (resume) resume();
    throw;
  }
  if (resume) resume();
  if (!platform::IsResultOfBox(request, reply.result)) reply.result = platform::DismissedResult(request);
  return reply;
}

bool gHoldWhileDrawing = false;
// Open NoticesAfterDrawing scopes.
int gAfterDrawingDepth = 0;

std::vector<platform::MessageBoxRequest>& HeldNotices() {
  static std::vector<platform::MessageBoxRequest> held;
  return held;
}

// Shows one box, its texts made well-formed UTF-8 first: a file name of another
// encoding shows with its odd bytes escaped, where a window would show nothing at all.
platform::MessageBoxReply ShowRequest(platform::MessageBoxRequest request) {
  request.title = EscapeNonUtf8(request.title);
  request.text = EscapeNonUtf8(request.text);
  request.checkBoxText = EscapeNonUtf8(request.checkBoxText);
  for (std::string& caption : request.captions) caption = EscapeNonUtf8(caption);
  if (request.title != kInternalErrorTitle) ++gToldCount;
  // A box's modal loop must not run inside a pane's paint: a notice with nothing to
  // answer waits until the drawing is over (ShowHeldMessages).
  if (gHoldWhileDrawing && (IsDrawingContextHeld() || gAfterDrawingDepth > 0) &&
      request.buttons == platform::BoxButtons::Ok && !request.hasCheckBox) {
    HeldNotices().push_back(std::move(request));
    return platform::MessageBoxReply{};
  }
  return ShowNow(request);
}

platform::BoxIcon IconOfStyle(BoxStyle style) {
  switch (style & kBoxStyleIconMask) {
    case kBoxStyleIconError:
      return platform::BoxIcon::Error;
    case kBoxStyleIconQuestion:
      return platform::BoxIcon::Question;
    case kBoxStyleIconWarning:
      return platform::BoxIcon::Warning;
    case kBoxStyleIconInformation:
      return platform::BoxIcon::Information;
    default:
      return platform::BoxIcon::None;
  }
}

// Button set and the number of its buttons.
std::pair<platform::BoxButtons, int> ButtonsOfStyle(BoxStyle style) {
  switch (style & kBoxStyleButtonMask) {
    case kBoxStyleOkCancel:
      return {platform::BoxButtons::OkCancel, 2};
    case kBoxStyleAbortRetryIgnore:
      return {platform::BoxButtons::AbortRetryIgnore, 3};
    case kBoxStyleYesNoCancel:
      return {platform::BoxButtons::YesNoCancel, 3};
    case kBoxStyleYesNo:
      return {platform::BoxButtons::YesNo, 2};
    case kBoxStyleRetryCancel:
      return {platform::BoxButtons::RetryCancel, 2};
    default:
      return {platform::BoxButtons::Ok, 1};
  }
}

// The icon of the message dialog's flags word: the first bit set counts.
platform::BoxIcon IconOfMessageFlags(unsigned flags, platform::BoxIcon otherwise) {
  if (flags & kMessageFlagErrorIcon) return platform::BoxIcon::Error;
  if (flags & kMessageFlagWarningIcon) return platform::BoxIcon::Warning;
  if (flags & kMessageFlagInformationIcon) return platform::BoxIcon::Information;
  return otherwise;
}

const char* TitleOfIcon(platform::BoxIcon icon) {
  switch (icon) {
    case platform::BoxIcon::Error:
      return "Error";
    case platform::BoxIcon::Warning:
      return "Warning";
    default:
      return "Information";
  }
}

int ShowFormatted(const std::string& text, const char* title, BoxStyle style) {
  return MessageBoxOnActiveWindow(text.c_str(), title, style);
}

}  // namespace detail_Messages

std::string FormatLimitedV(size_t size, const char* format, va_list args) {
  if (size == 0 || !format) return std::string();
  std::vector<char> buffer(size);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(buffer.data(), size, format, copy);
  va_end(copy);
  if (needed < 0) return std::string();
  if (static_cast<size_t>(needed) < size) return std::string(buffer.data(), static_cast<size_t>(needed));
  // Too long: keep what fits before the dots and the terminating zero, without
  // splitting a character.
  constexpr size_t kDots = detail_Messages::kEllipsisLength;
  size_t room = size > kDots + 1 ? size - kDots - 1 : 0;
  size_t keep = Utf8CutLength(buffer.data(), size - 1, room);
  std::string text(buffer.data(), keep);
  text.append(detail_Messages::kEllipsis, std::min(kDots, size - 1 - keep));
  return text;
}

std::string FormatLimited(size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(size, format, args);
  va_end(args);
  return text;
}

int MessageBoxOnActiveWindow(const char* text, const char* title, BoxStyle style) {
  platform::MessageBoxRequest request;
  request.title = title ? title : "";
  request.text = text ? text : "";
  request.icon = detail_Messages::IconOfStyle(style);
  auto [buttons, count] = detail_Messages::ButtonsOfStyle(style);
  request.buttons = buttons;
  int defaultButton = static_cast<int>((style & kBoxStyleDefaultButtonMask) >> 8);
  request.defaultButton = defaultButton < count ? defaultButton : 0;
  return detail_Messages::ShowRequest(request).result;
}

void SetNoticesWaitForDrawing(bool wait) { detail_Messages::gHoldWhileDrawing = wait; }

NoticesAfterDrawing::NoticesAfterDrawing() { ++detail_Messages::gAfterDrawingDepth; }

NoticesAfterDrawing::~NoticesAfterDrawing() { --detail_Messages::gAfterDrawingDepth; }

bool ShowHeldMessages() {
  if (IsDrawingContextHeld()) return false;
  std::vector<platform::MessageBoxRequest> held;
  held.swap(detail_Messages::HeldNotices());
  // The same notice told several times by one paint is shown once.
  held.erase(std::unique(held.begin(), held.end(),
                         [](const platform::MessageBoxRequest& a, const platform::MessageBoxRequest& b) {
                           return a.title == b.title && a.text == b.text;
                         }),
             held.end());
  for (const platform::MessageBoxRequest& request : held) detail_Messages::ShowNow(request);
  return !held.empty();
}

int GetToldMessageCount() {
  return detail_Messages::gToldCount;
}

int ShowError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  // Trace of a box that is shown.
  DoNothing("ERROR: %s\n", text.c_str());
  return detail_Messages::ShowFormatted(text, "Error", kBoxStyleOk | kBoxStyleIconError);
}

int ShowWarning(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  // Trace of a box that is shown.
  DoNothing("WARNING: %s\n", text.c_str());
  return detail_Messages::ShowFormatted(text, "Warning", kBoxStyleOk | kBoxStyleIconWarning);
}

int ShowInformation(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kInformationBufferSize, format, args);
  va_end(args);
  return detail_Messages::ShowFormatted(text, "Information", kBoxStyleOk | kBoxStyleIconInformation);
}

int ShowInternalError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  const InternalErrorTelling telling = EndWorkForInternalError();
  ++detail_Messages::gInternalErrorCount;
  const bool inOperation = telling == InternalErrorTelling::kNow && detail_Messages::gOnceDepth > 0;
  if (telling == InternalErrorTelling::kNotAgain || (inOperation && detail_Messages::gOnceTold)) {
    // The work or the operation this belongs to has told its internal error.
    DoNothing("ERROR (not told again): %s\n", text.c_str());
    return kBoxOk;
  }
  if (inOperation) detail_Messages::gOnceTold = true;
  // Trace of a box that is shown.
  DoNothing("ERROR: %s\n", text.c_str());
  std::optional<NoticesAfterDrawing> afterWork;
  if (telling == InternalErrorTelling::kAfterWork || inOperation) afterWork.emplace();
  return detail_Messages::ShowFormatted(text, detail_Messages::kInternalErrorTitle, kBoxStyleOk | kBoxStyleIconError);
}

InternalErrorsToldOnce::InternalErrorsToldOnce() : mStart(detail_Messages::gInternalErrorCount) {
  if (detail_Messages::gOnceDepth++ == 0) detail_Messages::gOnceTold = false;
}

InternalErrorsToldOnce::~InternalErrorsToldOnce() {
  --detail_Messages::gOnceDepth;
}

bool InternalErrorsToldOnce::Met() const {
  return detail_Messages::gInternalErrorCount != mStart;
}

bool AskYesNo(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  return detail_Messages::ShowFormatted(text, "Question", kBoxStyleYesNo | kBoxStyleIconQuestion) == kBoxYes;
}

bool AskOkCancel(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  return detail_Messages::ShowFormatted(text, "Question", kBoxStyleOkCancel | kBoxStyleIconQuestion) == kBoxOk;
}

int ShowMessageBox(BoxStyle style, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  const char* title = "Question";
  if ((style & kBoxStyleIconMask) == kBoxStyleIconWarning) title = "Warning";
  if ((style & kBoxStyleIconMask) == kBoxStyleIconError) title = "Error";
  return detail_Messages::ShowFormatted(text, title, style);
}

void ShowWindowsError(const char* format, ...) {
  // Formatting may itself set errno, so the code is taken first.
  int code = errno;
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  std::string system = platform::Services().messages->SystemErrorText(code);
  while (!system.empty() && (system.back() == '\n' || system.back() == '\r' || system.back() == ' ')) {
    system.pop_back();
  }
  if (!system.empty()) {
    ShowError("%s: %s", text.c_str(), system.c_str());
  } else {
    ShowError("%s: Failed with error code %d", text.c_str(), code);
  }
}

void ShowOptionalMessage(uint32_t bit, unsigned flags, const char* format, ...) {
  if (!(detail_Messages::gSessionMask & bit) || !(detail_Messages::gSavedMask & bit)) return;
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);

  platform::MessageBoxRequest request;
  request.icon = detail_Messages::IconOfMessageFlags(flags, platform::BoxIcon::None);
  request.title = detail_Messages::TitleOfIcon(request.icon);
  request.text = std::move(text);
  request.buttons = platform::BoxButtons::Ok;
  request.hasCheckBox = true;
  request.checkBoxText = (flags & kMessageFlagNextSession) ? kCheckBoxTextNextSession : kCheckBoxTextWhenAppropriate;
  request.checkBoxInitial = true;
  platform::MessageBoxReply reply = detail_Messages::ShowRequest(request);

  if (flags & kMessageFlagNextSession) {
    detail_Messages::gSessionMask &= ~bit;
    if (!reply.checkBoxTicked) detail_Messages::gSavedMask &= ~bit;
  } else if (!reply.checkBoxTicked) {
    detail_Messages::gSessionMask &= ~bit;
  }
}

int AskQuestion(unsigned flags, const char* title, std::initializer_list<const char*> captions, const char* format,
                ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(detail_Messages::kQuestionBufferSize, format, args);
  va_end(args);

  platform::MessageBoxRequest request;
  request.title = title ? title : "";
  request.text = std::move(text);
  request.icon = detail_Messages::IconOfMessageFlags(flags, platform::BoxIcon::Question);
  request.buttons = platform::BoxButtons::Custom;
  request.defaultButton = 0;
  request.cancelButton = -1;
  for (const char* caption : captions) {
    if (!caption) break;
    int index = static_cast<int>(request.captions.size());
    if (caption[0] == '+') {
      request.defaultButton = index;
      ++caption;
    } else if (caption[0] == '-') {
      request.cancelButton = index;
      ++caption;
    }
    request.captions.emplace_back(caption);
  }
  if (request.captions.empty()) request.captions.emplace_back("OK");
  // With no button marked for it, Escape takes the default one.
  if (request.cancelButton < 0) request.cancelButton = request.defaultButton;
  return detail_Messages::ShowRequest(request).result;
}

uint32_t GetSessionMessageMask() {
  return detail_Messages::gSessionMask;
}
void SetSessionMessageMask(uint32_t mask) {
  detail_Messages::gSessionMask = mask;
}
uint32_t GetSavedMessageMask() {
  return detail_Messages::gSavedMask;
}
void SetSavedMessageMask(uint32_t mask) {
  detail_Messages::gSavedMask = mask;
}

void SetSuspendOpenGLHook(SuspendOpenGLHook hook) {
  detail_Messages::TheSuspendHook() = std::move(hook);
}

double PositiveFmod(double x, double m) {
  if (x >= m) return std::fmod(x, m);
  if (x >= 0) return x;
  double r = m - std::fmod(-x, m);
  return r >= m ? r - m : r;
}

float PositiveFmodF(float x, float m) {
  float r = static_cast<float>(PositiveFmod(static_cast<double>(x), static_cast<double>(m)));
  // A remainder just below m can round up to m in single precision.
  return r >= m ? 0.0f : r;
}

bool AskText(const char* prompt, char* buffer, int size, int /*flags*/) {
  if (!buffer || size < 1) return false;
  std::string text(buffer, strnlen(buffer, static_cast<size_t>(size)));
  if (!platform::Services().messages->AskText("Corvia", prompt ? prompt : "", text)) return false;
  // Cut to the buffer without splitting a UTF-8 sequence.
  size_t length = text.size();
  if (length > static_cast<size_t>(size - 1)) {
    length = static_cast<size_t>(size - 1);
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return true;
}

}  // namespace corvia
