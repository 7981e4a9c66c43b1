#include "render/ViewMotions.h"

namespace corvia {

namespace detail_ViewMotions {

// No throw exists before the document makes its own.
class NoMotions final : public ViewMotions {
public:
  bool StepMouseThrowsIfDue(NewView*) override { return false; }
  void StopZoomThrow(OpenGLView*) override {}
  void StopAllMotions(OpenGLView*) override {}
};

ViewMotions* gInstalled = nullptr;

}  // namespace detail_ViewMotions

ViewMotions& GetViewMotions() {
  static detail_ViewMotions::NoMotions none;
  return detail_ViewMotions::gInstalled ? *detail_ViewMotions::gInstalled : none;
}

ViewMotions* InstallViewMotions(ViewMotions* motions) {
  ViewMotions* previous = detail_ViewMotions::gInstalled;
  detail_ViewMotions::gInstalled = motions;
  return previous;
}

}  // namespace corvia
