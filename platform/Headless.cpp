#include "platform/Headless.h"

#include <algorithm>

namespace corvia::platform {

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

// The queued answer that stands for Escape: no result any box gives.
constexpr int kEscapeAnswer = -1000;

}  // namespace

MessageBoxReply HeadlessMessages::ShowBox(const MessageBoxRequest& request) {
  mBoxes.push_back(request);
  if (onBox) onBox(request);
  if (!mAnswers.empty()) {
    MessageBoxReply reply = mAnswers.front();
    mAnswers.pop_front();
    if (reply.result == kEscapeAnswer) reply = MessageBoxReply{DismissedResult(request), request.checkBoxInitial};
    return reply;
  }
  return MessageBoxReply{DefaultResult(request), request.checkBoxInitial};
}

bool HeadlessMessages::AskText(const std::string&, const std::string& prompt, std::string& text) {
  mTextPrompts.push_back(prompt);
  mTextStarts.push_back(text);
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

void HeadlessMessages::QueueEscape() { mAnswers.push_back(MessageBoxReply{kEscapeAnswer, true}); }

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
  mTextStarts.clear();
}

void HeadlessProgressWindow::Pump() {
  ++mState->pumps;
  if (mState->cancelClicked) mState->cancel = true;
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

void HeadlessProgress::PumpBeforeWindow() {
  ++mPumpsBeforeWindow;
  if (onPumpBeforeWindow) onPumpBeforeWindow();
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

bool HeadlessDialogs::Answer(DialogValues& values) {
  const std::string name = values.DialogName();
  mShown.push_back(name);
  if (mScripts.empty()) return false;
  Script script = std::move(mScripts.front());
  std::string expected = std::move(mExpected.front());
  mScripts.pop_front();
  mExpected.pop_front();
  if (!expected.empty() && expected != name) {
    mMismatches.push_back(name);
    return false;
  }
  return script(values);
}

bool HeadlessDialogs::RunDialog(DialogValues& values) { return Answer(values); }

void HeadlessDialogs::ShowModeless(DialogValues& values) {
  mOpen.insert(values.DialogName());
  Answer(values);
}

void HeadlessDialogs::Refresh(const std::string& name) {
  if (IsOpen(name)) mRefreshed.push_back(name);
}

void HeadlessDialogs::Apply(const std::string& name) {
  if (IsOpen(name)) mApplied.push_back(name);
}

void HeadlessDialogs::QueueOk() {
  mScripts.push_back([](DialogValues&) { return true; });
  mExpected.emplace_back();
}

void HeadlessDialogs::QueueCancel() {
  mScripts.push_back([](DialogValues&) { return false; });
  mExpected.emplace_back();
}

void HeadlessDialogs::Clear() {
  mScripts.clear();
  mExpected.clear();
  mOpen.clear();
  mShown.clear();
  mMismatches.clear();
  mRefreshed.clear();
  mApplied.clear();
}

HeadlessPlatform::HeadlessPlatform() {
  ServiceSet set;
  set.messages = &messages;
  set.progress = &progress;
  set.views = &views;
  set.undo = &undo;
  set.shell = &shell;
  set.clock = &clock;
  set.fileDialogs = &fileDialogs;
  set.dialogs = &dialogs;
  mPrevious = InstallServices(set);
}

HeadlessPlatform::~HeadlessPlatform() { InstallServices(mPrevious); }

}  // namespace corvia::platform
