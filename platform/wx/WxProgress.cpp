#include "platform/wx/WxProgress.h"

#include <memory>
#include <string>

#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/weakref.h>

namespace corvia::platform {

namespace detail_WxProgress {

// While paused the window is pumped this often, sleeping in between.
constexpr unsigned long kPausedPollMs = 20;
constexpr long kPumpedEvents = wxEVT_CATEGORY_UI | wxEVT_CATEGORY_USER_INPUT;

// Sizes of the controls in dialog units.
const wxSize kCaptionSize(235, 35);
const wxSize kLineSize(255, 10);
const wxSize kPauseSize(50, 15);
const wxSize kCancelSize(50, 14);
constexpr int kMarginDialogUnits = 5;

// The modeless window. Its buttons only set flags; the computation that pumps the
// window reads them.
class ProgressDialog final : public wxDialog {
public:
  ProgressDialog() : wxDialog(nullptr, wxID_ANY, "Processing...") {
    const int margin = ConvertDialogToPixels(wxSize(kMarginDialogUnits, 0)).x;
    auto* column = new wxBoxSizer(wxVERTICAL);

    mCaption = new wxStaticText(this, wxID_ANY, "Please Wait...", wxDefaultPosition,
                                ConvertDialogToPixels(kCaptionSize), wxST_NO_AUTORESIZE);
    column->Add(mCaption, 0, wxLEFT | wxRIGHT | wxTOP, margin);

    mBar = new wxGauge(this, wxID_ANY, kProgressBarMax, wxDefaultPosition, ConvertDialogToPixels(kLineSize),
                       wxGA_HORIZONTAL | wxGA_SMOOTH);
    mBar->SetValue(0);
    column->Add(mBar, 0, wxLEFT | wxRIGHT | wxTOP | wxEXPAND, margin);

    mTimeTaken = new wxStaticText(this, wxID_ANY, "Time Taken: ...", wxDefaultPosition,
                                  ConvertDialogToPixels(kLineSize), wxST_NO_AUTORESIZE);
    column->Add(mTimeTaken, 0, wxLEFT | wxRIGHT | wxTOP | wxEXPAND, margin);
    mTimeRemaining = new wxStaticText(this, wxID_ANY, "Time Remaining: ...", wxDefaultPosition,
                                      ConvertDialogToPixels(kLineSize), wxST_NO_AUTORESIZE);
    column->Add(mTimeRemaining, 0, wxLEFT | wxRIGHT | wxEXPAND, margin);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    mPause = new wxButton(this, wxID_ANY, "Pause", wxDefaultPosition, ConvertDialogToPixels(kPauseSize));
    buttons->Add(mPause, 0);
    buttons->AddStretchSpacer(1);
    auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel", wxDefaultPosition, ConvertDialogToPixels(kCancelSize));
    buttons->Add(cancel, 0);
    column->Add(buttons, 0, wxALL | wxEXPAND, margin);

    SetSizerAndFit(column);
    SetEscapeId(wxID_CANCEL);
    // The window opens over the one the user was typing in, and its Cancel takes the
    // keys: an Enter or a Space meant for that window must not press a button here.
    // The buttons answer the pointer, and Escape is the window's Cancel.
    Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& event) {
      const int key = event.GetKeyCode();
      if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER && key != WXK_SPACE && key != WXK_NUMPAD_SPACE) event.Skip();
    });

    mPause->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { mPaused = !mPaused; });
    // Cancel only notes the request: the window stays until the work has stopped.
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { mCancelled = true; }, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
      if (event.CanVeto()) {
        event.Veto();
        mCancelled = true;
      } else {
        event.Skip();
      }
    });
  }

  void SetCaptionText(const std::string& text) { SetLabelIfChanged(mCaption, text); }
  void SetTimeTakenText(const std::string& text) { SetLabelIfChanged(mTimeTaken, text); }
  void SetTimeRemainingText(const std::string& text) { SetLabelIfChanged(mTimeRemaining, text); }
  void SetPauseText(const std::string& text) {
    const wxString label = wxString::FromUTF8(text);
    if (mPause->GetLabel() != label) mPause->SetLabel(label);
  }
  void SetBarPosition(int position) {
    if (position < 0) position = 0;
    if (position > kProgressBarMax) position = kProgressBarMax;
    if (mBar->GetValue() != position) mBar->SetValue(position);
  }

  bool mCancelled = false;
  bool mPaused = false;

private:
  static void SetLabelIfChanged(wxStaticText* control, const std::string& text) {
    // Labels are plain text: an '&' is no mnemonic here.
    const wxString label = wxString::FromUTF8(text);
    if (control->GetLabelText() != label) control->SetLabelText(label);
  }

  wxStaticText* mCaption = nullptr;
  wxGauge* mBar = nullptr;
  wxStaticText* mTimeTaken = nullptr;
  wxStaticText* mTimeRemaining = nullptr;
  wxButton* mPause = nullptr;
};

// Handles waiting repaints and input (only the dialog is enabled to take input, or
// before it shows the windows whose input the program holds back itself). Idle work,
// sockets and posted events stay queued until the work ends; the toolkit's yield fires
// the timers that are due.
void YieldToInterface() {
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  std::unique_ptr<wxEventLoopBase> temporary;
  if (!loop && wxTheApp) {
    // Before the main loop runs (work done at start-up) a loop of our own pumps.
    if (wxAppTraits* traits = wxTheApp->GetTraits()) {
      temporary.reset(traits->CreateEventLoop());
      loop = temporary.get();
    }
  }
  if (loop) loop->YieldFor(kPumpedEvents);
}

bool gOtherWindowsEnabled = false;
wxWeakRef<wxWindow> gOpenWindow;

class WxProgressWindow final : public ProgressWindow {
public:
  // `leftEnabled` (may be null) is not disabled with the other windows.
  explicit WxProgressWindow(wxWindow* leftEnabled) : mFocus(wxWindow::FindFocus()) {
    auto* dialog = new ProgressDialog();
    mDialog = dialog;
    gOpenWindow = dialog;
    dialog->Centre();
    dialog->Show();
    dialog->Raise();
    if (!gOtherWindowsEnabled) mDisabler = std::make_unique<wxWindowDisabler>(dialog, leftEnabled);
  }

  ~WxProgressWindow() override {
    mDisabler.reset();
    if (mDialog) mDialog->Destroy();
    // The keys go back where they went before the work (a pane stepping facetings with
    // the arrow keys takes the next key too).
    if (mFocus && mFocus->IsEnabled()) mFocus->SetFocus();
  }

  void SetCaption(const std::string& text) override {
    if (mDialog) mDialog->SetCaptionText(text);
  }
  void SetTimeTaken(const std::string& line) override {
    if (mDialog) mDialog->SetTimeTakenText(line);
  }
  void SetTimeRemaining(const std::string& line) override {
    if (mDialog) mDialog->SetTimeRemainingText(line);
  }
  void SetBar(int position) override {
    if (mDialog) mDialog->SetBarPosition(position);
  }
  void SetPauseCaption(const std::string& caption) override {
    if (mDialog) mDialog->SetPauseText(caption);
  }

  void Pump() override { YieldToInterface(); }

  void WaitWhilePaused() override {
    while (mDialog && mDialog->mPaused && !mDialog->mCancelled) {
      YieldToInterface();
      if (mDialog && mDialog->mPaused && !mDialog->mCancelled) wxMilliSleep(kPausedPollMs);
    }
  }

  // A window that has gone (the program is closing) counts as cancelled.
  bool CancelRequested() const override { return !mDialog || mDialog->mCancelled; }
  bool PauseRequested() const override { return mDialog && mDialog->mPaused; }

private:
  wxWeakRef<wxWindow> mFocus;
  wxWeakRef<ProgressDialog> mDialog;
  std::unique_ptr<wxWindowDisabler> mDisabler;
};

}  // namespace detail_WxProgress

std::unique_ptr<ProgressWindow> WxProgress::CreateWindow() {
  return std::make_unique<detail_WxProgress::WxProgressWindow>(mMainWindow.get());
}

void WxProgress::PumpBeforeWindow() { detail_WxProgress::YieldToInterface(); }

wxWindow* WxProgress::GetOpenWindow() { return detail_WxProgress::gOpenWindow.get(); }

bool WxProgress::IsPumping() {
  // The pump yields for the user-interface and input events only (a yield for every
  // event, the timers among them, is no work's); a box shown from inside it runs a loop
  // of its own, which is not yielding.
  const wxEventLoopBase* active = wxEventLoopBase::GetActive();
  return active && active->IsYielding() && !active->IsEventAllowedInsideYield(wxEVT_CATEGORY_TIMER);
}

void WxProgress::SetOtherWindowsEnabled(bool enabled) { detail_WxProgress::gOtherWindowsEnabled = enabled; }

void WxProgress::SetMainWindow(wxWindow* window) { mMainWindow = window; }

}  // namespace corvia::platform
