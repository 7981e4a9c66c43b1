#include "render/ViewMotions.h"

#include "render/MouseThrow.h"
#include "render/OpenGLView.h"

namespace corvia {

namespace detail_ViewMotions {

// The panes' own throws: stepped by the paint that follows idle time's request, and
// stopped when a view's camera is set otherwise or the view goes.
class PaneThrowMotions final : public ViewMotions {
public:
  // Every running throw advances with the first paint after the request, whichever
  // pane that is.
  bool StepMouseThrowsIfDue(NewView*) override {
    if (!IsThrowStepPending()) return GetActiveMouseThrows() != nullptr;
    return StepMouseThrows(nullptr);
  }
  void StopZoomThrow(OpenGLView* view) override { view->Navigation().GetZoomThrow()->Deactivate(); }
  void StopAllMotions(OpenGLView* view) override { view->Navigation().StopViewThrows(); }
};

// The program's way of moving panes, installed once at start-up (a test installs its
// own); one for the process, as the panes' commands are.
ViewMotions* gInstalled = nullptr;

}  // namespace detail_ViewMotions

ViewMotions& GetViewMotions() {
  // The panes' own throws, until the program installs its motions; it holds no state.
  static detail_ViewMotions::PaneThrowMotions throws;
  return detail_ViewMotions::gInstalled ? *detail_ViewMotions::gInstalled : throws;
}

ViewMotions* InstallViewMotions(ViewMotions* motions) {
  ViewMotions* previous = detail_ViewMotions::gInstalled;
  detail_ViewMotions::gInstalled = motions;
  return previous;
}

}  // namespace corvia
