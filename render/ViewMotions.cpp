#include "render/ViewMotions.h"

#include "render/MouseThrow.h"
#include "render/OpenGLView.h"

namespace corvia {

namespace detail_ViewMotions {

// The panes' own throws: stepped by the paint that follows idle time's request, and
// stopped when a view's camera is set otherwise or the view goes.
class PaneThrowMotions final : public ViewMotions {
public:
  // Every running throw of the pane's frame advances with the first paint after the
  // request, whichever of its panes that is.
  bool StepMouseThrowsIfDue(NewView* view) override {
    ViewGroup& group = view->GetViewGroup();
    if (!IsThrowStepPending(group)) return GetActiveMouseThrows(group) != nullptr;
    return StepMouseThrows(group, nullptr);
  }
  void StopZoomThrow(OpenGLView* view) override { view->Navigation().GetZoomThrow()->Deactivate(); }
  void StopAllMotions(OpenGLView* view) override { view->Navigation().StopViewThrows(); }
};

// How panes are moved: by the program's way, installed once at start-up (a test
// installs its own), else by their own throws, which hold no state. One for the
// process, as the panes' commands are; made before any code runs, so a pane made by
// another file's start-up finds it.
struct PaneMotions {
  PaneThrowMotions own;
  ViewMotions* installed = nullptr;
};
constinit PaneMotions gMotions;

}  // namespace detail_ViewMotions

ViewMotions& GetViewMotions() {
  using detail_ViewMotions::gMotions;
  return gMotions.installed ? *gMotions.installed : gMotions.own;
}

ViewMotions* InstallViewMotions(ViewMotions* motions) {
  using detail_ViewMotions::gMotions;
  ViewMotions* previous = gMotions.installed;
  gMotions.installed = motions;
  return previous;
}

}  // namespace corvia
