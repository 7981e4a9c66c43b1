#pragma once
// What the geometry tells the panes and the frame: redraws, status text, the
// wait cursor, the information pane. The headless side counts the calls.

#include <string>

namespace corvia::platform {

class ViewNotifier {
public:
  virtual ~ViewNotifier() = default;
  virtual void RedrawAllViews(bool captionsToo) = 0;
  // Redraw every pane whose view-type bits contain the mask.
  virtual void InvalidateViewsOfKind(unsigned mask, int argument) = 0;
  virtual void InvalidateInfo(unsigned reasonBits) = 0;
  // Asks every pane whose view-type bits contain the mask for a normal fit.
  virtual void FitViewsOfKind(unsigned mask) = 0;
  // The panes whose view-type bits contain the mask show another side of the model
  // now: each takes its title again, fits what it shows and is redrawn.
  virtual void RefreshViewsOfKind(unsigned mask) {
    FitViewsOfKind(mask);
    InvalidateViewsOfKind(mask, 0);
  }
  // Gives every pane of exactly this view type a pending fit mode (1 fit, 2 fit loose,
  // 3 tight fit).
  virtual void SetFitModeOfType(unsigned viewType, int mode) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetWaitCursor(bool busy) = 0;
  // A formatted message shown in the active pane; empty clears it.
  virtual void SetPaneMessage(const std::string& text) = 0;
  // Work a pane asked for while it drew was left for later (the geometry's deferred
  // model work): the program does it when it is next idle. Nothing without a program.
  virtual void PrepareWhenIdle() {}
};

}  // namespace corvia::platform
