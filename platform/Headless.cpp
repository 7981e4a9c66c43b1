#include "platform/Headless.h"

#include <algorithm>
#include <cstring>

namespace corvia::platform {

std::string MessageFrontEnd::SystemErrorText(int code) {
  const char* text = std::strerror(code);
  return text ? text : std::string();
}

namespace {

int DefaultResult(const MessageBoxRequest& request) {
  switch (request.buttons) {
    case BoxButtons::Ok: return kBoxOk;
    case BoxButtons::OkCancel: return request.defaultButton == 1 ? kBoxCancel : kBoxOk;
    case BoxButtons::YesNo: return request.defaultButton == 1 ? kBoxNo : kBoxYes;
    case BoxButtons::YesNoCancel:
      return request.defaultButton == 2 ? kBoxCancel : request.defaultButton == 1 ? kBoxNo : kBoxYes;
    case BoxButtons::RetryCancel: return request.defaultButton == 1 ? kBoxCancel : kBoxRetry;
    case BoxButtons::AbortRetryIgnore:
      return request.defaultButton == 2 ? kBoxIgnore : request.defaultButton == 1 ? kBoxRetry : kBoxAbort;
    case BoxButtons::Custom: return request.defaultButton;
  }
  return kBoxOk;
}

}  // namespace

MessageBoxReply HeadlessMessages::ShowBox(const MessageBoxRequest& request) {
  mBoxes.push_back(request);
  if (onBox) onBox(request);
  if (!mAnswers.empty()) {
    MessageBoxReply reply = mAnswers.front();
    mAnswers.pop_front();
    return reply;
  }
  return MessageBoxReply{DefaultResult(request), request.checkBoxInitial};
}

bool HeadlessMessages::AskText(const std::string&, const std::string& prompt, std::string& text) {
  mTextPrompts.push_back(prompt);
  if (mTextAnswers.empty()) return false;
  auto [ok, answer] = mTextAnswers.front();
  mTextAnswers.pop_front();
  if (ok) text = answer;
  return ok;
}

void HeadlessMessages::QueueText(const std::string& text, bool ok) { mTextAnswers.emplace_back(ok, text); }

void HeadlessMessages::QueueAnswer(int result, bool checkBoxTicked) {
  mAnswers.push_back(MessageBoxReply{result, checkBoxTicked});
}

std::vector<MessageBoxRequest> HeadlessMessages::TakeBoxes() {
  std::vector<MessageBoxRequest> boxes;
  boxes.swap(mBoxes);
  return boxes;
}

int HeadlessMessages::CountTitled(const std::string& title) const {
  return static_cast<int>(std::count_if(mBoxes.begin(), mBoxes.end(),
                                        [&](const MessageBoxRequest& box) { return box.title == title; }));
}

void HeadlessMessages::Clear() {
  mBoxes.clear();
  mAnswers.clear();
  mTextAnswers.clear();
  mTextPrompts.clear();
}

void HeadlessProgressWindow::Pump() {
  ++mState->pumps;
  if (mState->onPump) mState->onPump(*mState);
}

void HeadlessProgressWindow::WaitWhilePaused() {
  // A script that never releases the pause would hang a real window; here it is a
  // bounded wait that gives up by cancelling.
  for (int i = 0; i < 1000000 && mState->pause && !mState->cancel; ++i) {
    if (mState->onPausedWait) {
      mState->onPausedWait(*mState);
    } else {
      mState->pause = false;
    }
  }
  if (mState->pause) mState->cancel = true;
}

std::unique_ptr<ProgressWindow> HeadlessProgress::CreateWindow() {
  if (mCreated > 0) {
    // Keep the test's hooks for the next window, start the rest afresh.
    auto next = std::make_shared<HeadlessProgressWindow::State>();
    next->onPump = mState->onPump;
    next->onPausedWait = mState->onPausedWait;
    mState = next;
  }
  ++mCreated;
  mState->open = true;
  return std::make_unique<HeadlessProgressWindow>(mState);
}

void HeadlessViews::RedrawAllViews(bool captionsToo) {
  ++mRedraws;
  if (captionsToo) ++mCaptionRedraws;
}

void HeadlessViews::InvalidateViewsOfKind(unsigned mask, int) { mInvalidatedKinds |= mask; }

FileDialogReply HeadlessFileDialogs::RunFileDialog(const FileDialogRequest& request) {
  mRequests.push_back(request);
  if (mReplies.empty()) return FileDialogReply{false, std::string(), request.filterIndex};
  FileDialogReply reply = mReplies.front();
  mReplies.pop_front();
  if (reply.ok && reply.filterIndex == 0) reply.filterIndex = request.filterIndex;
  return reply;
}

void HeadlessFileDialogs::QueueChoice(const std::string& path, int filterIndex) {
  mReplies.push_back(FileDialogReply{true, path, filterIndex});
}

void HeadlessFileDialogs::QueueCancel() { mReplies.push_back(FileDialogReply{false, std::string(), 0}); }

HeadlessPlatform::HeadlessPlatform() {
  ServiceSet set;
  set.messages = &messages;
  set.progress = &progress;
  set.views = &views;
  set.undo = &undo;
  set.shell = &shell;
  set.clock = &clock;
  set.fileDialogs = &fileDialogs;
  mPrevious = InstallServices(set);
}

HeadlessPlatform::~HeadlessPlatform() { InstallServices(mPrevious); }

}  // namespace corvia::platform
