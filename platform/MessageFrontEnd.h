#pragma once
// The message and question boxes the system shows. The geometry formats its text
// and asks through this interface; the program installs a wx implementation, tests
// a headless one that records every box and answers from a script.

#include <string>
#include <vector>

namespace corvia::platform {

enum class BoxIcon { None, Error, Warning, Information, Question };

// Button sets of the classic boxes; Custom uses the captions of the request.
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore, Custom };

// Results of the classic boxes (the values the stored callers compare against).
enum BoxResult : int {
  kBoxOk = 1,
  kBoxCancel = 2,
  kBoxAbort = 3,
  kBoxRetry = 4,
  kBoxIgnore = 5,
  kBoxYes = 6,
  kBoxNo = 7,
};

struct MessageBoxRequest {
  std::string title;
  std::string text;
  BoxIcon icon = BoxIcon::None;
  BoxButtons buttons = BoxButtons::Ok;
  // Custom buttons: captions in order; the result is the index of the one chosen.
  std::vector<std::string> captions;
  int defaultButton = 0;  // index into the buttons shown
  int cancelButton = -1;  // index of the button that Escape chooses, -1 for none
  // Optional check box under the text (the optional messages).
  bool hasCheckBox = false;
  std::string checkBoxText;
  bool checkBoxInitial = true;
};

// The answer that changes nothing, which Escape and the box's close button give: OK
// in a notice, No in a Yes/No question, Cancel where the box has it, Abort of Abort,
// Retry and Ignore; among custom buttons the one marked for Escape, else the default.
// Every front end answers a dismissed box so, and the messages take any answer that is
// none of the box's buttons for it.
int DismissedResult(const MessageBoxRequest& request);
// Whether the result is one of the box's buttons.
bool IsResultOfBox(const MessageBoxRequest& request, int result);

struct MessageBoxReply {
  int result = kBoxOk;      // a BoxResult, or the custom button's index
  bool checkBoxTicked = true;
};

class MessageFrontEnd {
public:
  virtual ~MessageFrontEnd() = default;
  // Shows the box modally (owned by the active window, or the main window).
  virtual MessageBoxReply ShowBox(const MessageBoxRequest& request) = 0;
  // The text the operating system gives for an error number (strerror on Linux).
  virtual std::string SystemErrorText(int code);
  // Asks for one line of text, starting from `text`; false when cancelled (then
  // `text` is left as it was).
  virtual bool AskText(const std::string& title, const std::string& prompt, std::string& text) = 0;
  // The same for a text of several lines ("\n" between them); a front end without
  // a prompt of its own for them asks with AskText.
  virtual bool AskMultiLineText(const std::string& title, const std::string& prompt, std::string& text);
};

}  // namespace corvia::platform
