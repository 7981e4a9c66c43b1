#pragma once
// Headless front ends: they never block and never draw. Messages are recorded and
// questions answered from a script; progress windows follow a script of cancel and
// pause presses; views and undo count what they are asked.

#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace corvia::platform {

class HeadlessMessages final : public MessageFrontEnd {
public:
  MessageBoxReply ShowBox(const MessageBoxRequest& request) override;
  // Answers from QueueText, in order; with none queued the prompt is cancelled.
  bool AskText(const std::string& title, const std::string& prompt, std::string& text) override;

  // The next text prompt's answer (cancelled when `ok` is false).
  void QueueText(const std::string& text, bool ok = true);
  // The prompts asked so far, and the text each started from.
  const std::vector<std::string>& TextPrompts() const { return mTextPrompts; }
  const std::vector<std::string>& TextStarts() const { return mTextStarts; }

  // Answers for the next boxes, in order; without one a box gets its default button
  // and its check box stays as it started.
  void QueueAnswer(int result, bool checkBoxTicked = true);
  // The next box is dismissed with Escape: it gets the answer that changes nothing
  // (DismissedResult), its check box as it started.
  void QueueEscape();

  const std::vector<MessageBoxRequest>& Boxes() const { return mBoxes; }
  // Hands over the recorded boxes and forgets them.
  std::vector<MessageBoxRequest> TakeBoxes();
  int CountTitled(const std::string& title) const;
  void Clear();

  // Called for every box as it is shown (tests use it to fail on internal errors).
  std::function<void(const MessageBoxRequest&)> onBox;

private:
  std::vector<MessageBoxRequest> mBoxes;
  std::deque<MessageBoxReply> mAnswers;
  std::deque<std::pair<bool, std::string>> mTextAnswers;
  std::vector<std::string> mTextPrompts;
  std::vector<std::string> mTextStarts;
};

// A progress window that shows nothing. Tests read what it was told and script
// presses of Cancel and Pause at chosen pump counts.
class HeadlessProgressWindow final : public ProgressWindow {
public:
  struct State {
    std::string caption;
    std::string timeTaken;
    std::string timeRemaining;
    std::string pauseCaption = "Pause";
    int bar = 0;
    int pumps = 0;
    bool open = true;
    bool cancel = false;
    bool pause = false;
    // A click on Cancel that the window has not read yet: as a real window reads its
    // input, it is read at the window's next pump, and lost with a window that closes
    // first.
    bool cancelClicked = false;
    // Called on every pump with the state, so a test can press buttons or move a
    // fake clock while the window is up.
    std::function<void(State&)> onPump;
    // Called while paused, once per wait; must release the pause or cancel.
    std::function<void(State&)> onPausedWait;
  };

  explicit HeadlessProgressWindow(std::shared_ptr<State> state) : mState(std::move(state)) {}
  ~HeadlessProgressWindow() override { mState->open = false; }

  void SetCaption(const std::string& text) override { mState->caption = text; }
  void SetTimeTaken(const std::string& line) override { mState->timeTaken = line; }
  void SetTimeRemaining(const std::string& line) override { mState->timeRemaining = line; }
  void SetBar(int position) override { mState->bar = position; }
  void SetPauseCaption(const std::string& caption) override { mState->pauseCaption = caption; }
  void Pump() override;
  void WaitWhilePaused() override;
  bool CancelRequested() const override { return mState->cancel; }
  bool PauseRequested() const override { return mState->pause; }

private:
  std::shared_ptr<State> mState;
};

class HeadlessProgress final : public ProgressFrontEnd {
public:
  std::unique_ptr<ProgressWindow> CreateWindow() override;
  void PumpBeforeWindow() override;
  // The state of the window created last (or of the next one, before any).
  const std::shared_ptr<HeadlessProgressWindow::State>& Current() const { return mState; }
  int WindowsCreated() const { return mCreated; }
  // The pumps of work whose window had not appeared, since the start.
  int PumpsBeforeWindow() const { return mPumpsBeforeWindow; }
  // Called on each of them (a test closes the program's window there).
  std::function<void()> onPumpBeforeWindow;

private:
  std::shared_ptr<HeadlessProgressWindow::State> mState = std::make_shared<HeadlessProgressWindow::State>();
  int mCreated = 0;
  int mPumpsBeforeWindow = 0;
};

class HeadlessViews final : public ViewNotifier {
public:
  void RedrawAllViews(bool captionsToo) override;
  void InvalidateViewsOfKind(unsigned mask, int argument) override;
  void InvalidateInfo(unsigned reasonBits) override { mInfoBits |= reasonBits; }
  void SetStatusText(const std::string& text) override { mStatus = text; }
  void SetWaitCursor(bool busy) override { mWaitCursor = busy; if (busy) ++mWaitCursorCount; }
  void SetPaneMessage(const std::string& text) override { mPaneMessage = text; }
  void PrepareWhenIdle() override { ++mPrepareRequests; }
  void FitViewsOfKind(unsigned mask) override { mFitKinds |= mask; }
  void SetFitModeOfType(unsigned viewType, int mode) override {
    mFitModeType = viewType;
    mFitMode = mode;
  }

  int mRedraws = 0;
  int mCaptionRedraws = 0;
  unsigned mInvalidatedKinds = 0;
  unsigned mInfoBits = 0;
  unsigned mFitKinds = 0;
  unsigned mFitModeType = 0;
  int mFitMode = 0;
  int mWaitCursorCount = 0;
  int mPrepareRequests = 0;
  bool mWaitCursor = false;
  std::string mStatus;
  std::string mPaneMessage;
};

class HeadlessUndo final : public UndoHooks {
public:
  void AddUndo(int type, long argument) override { mCalls.push_back({type, argument}); }
  void CloseUndo() override { ++mCloses; }
  void BeginUndoGroup() override { ++mGroupDepth; }
  void EndUndoGroup() override { --mGroupDepth; }
  void DiscardLastUndo() override { ++mDiscards; }
  void AddStellationCellUndo(int cellIndex, bool included) override { mCellChanges.push_back({cellIndex, included}); }

  struct Call {
    int type;
    long argument;
  };
  std::vector<Call> mCalls;
  struct CellChange {
    int cell;
    bool included;
  };
  std::vector<CellChange> mCellChanges;
  int mCloses = 0;
  int mGroupDepth = 0;
  int mDiscards = 0;
};

class HeadlessShell final : public Shell {
public:
  bool OpenUrl(const std::string& url) override { mOpened.push_back(url); return true; }
  bool OpenFile(const std::string& path) override { mOpened.push_back(path); return true; }
  std::vector<std::string> mOpened;
};

// File dialogs that never show: each records its request and takes the next
// scripted reply; without one it is cancelled.
class HeadlessFileDialogs final : public FileDialogFrontEnd {
public:
  FileDialogReply RunFileDialog(const FileDialogRequest& request) override;
  // The next dialog chooses `path` with the given filter (or keeps the request's
  // filter when filterIndex is 0).
  void QueueChoice(const std::string& path, int filterIndex = 0);
  void QueueCancel();

  std::vector<FileDialogRequest> mRequests;

private:
  std::deque<FileDialogReply> mReplies;
};

// Dialogs that never show: each takes the next scripted answer, which may change
// the record and confirms or cancels it; with none queued a dialog is cancelled.
class HeadlessDialogs final : public DialogFrontEnd {
public:
  using Script = std::function<bool(DialogValues&)>;

  bool RunDialog(DialogValues& values) override;
  // A modeless dialog takes its scripted answer as it opens and stays open until
  // Close; it is brought forward when it is open already.
  void ShowModeless(DialogValues& values) override;
  bool IsOpen(const std::string& name) const override { return mOpen.count(name) != 0; }
  void Refresh(const std::string& name) override;
  void Apply(const std::string& name) override;

  // The next dialog's answer. The script sees the record only when it is of the kind
  // T (otherwise the dialog is cancelled and the mismatch recorded).
  template <class T>
  void Queue(std::function<bool(T&)> script) {
    mScripts.push_back([script](DialogValues& values) {
      T* typed = dynamic_cast<T*>(&values);
      return typed ? script(*typed) : false;
    });
    mExpected.push_back(T().DialogName());
  }
  // Confirms the next dialog as it stands, or cancels it.
  void QueueOk();
  void QueueCancel();
  void Close(const std::string& name) { mOpen.erase(name); }
  void Clear();

  // The names of the dialogs run or opened, in order.
  std::vector<std::string> mShown;
  // Dialogs that met a script written for another dialog.
  std::vector<std::string> mMismatches;
  // Refresh and apply requests that found their dialog open.
  std::vector<std::string> mRefreshed;
  std::vector<std::string> mApplied;

private:
  bool Answer(DialogValues& values);

  std::deque<Script> mScripts;
  std::deque<std::string> mExpected;  // empty: any dialog
  std::set<std::string> mOpen;
};

// A complete headless set that installs itself for its lifetime and puts the
// previous set back when it goes.
class HeadlessPlatform {
public:
  HeadlessPlatform();
  ~HeadlessPlatform();
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  HeadlessMessages messages;
  HeadlessProgress progress;
  HeadlessViews views;
  HeadlessUndo undo;
  HeadlessShell shell;
  ManualClock clock;
  HeadlessFileDialogs fileDialogs;
  HeadlessDialogs dialogs;

private:
  ServiceSet mPrevious;
};

}  // namespace corvia::platform
