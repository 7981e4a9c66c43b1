#include "render/PaneFrame.h"

#include "render/ViewGroup.h"

namespace corvia {

namespace detail_PaneFrame {

// The frame whose panes are made and drawn now: the program has one main window, and
// the layout code that makes panes deep inside it does not carry the frame along.
PaneFrame* gInstalled = nullptr;

}  // namespace detail_PaneFrame

PaneFrame::PaneFrame() : mViewGroup(std::make_shared<ViewGroup>()) {}
PaneFrame::PaneFrame(std::shared_ptr<ViewGroup> group)
    : mViewGroup(group ? std::move(group) : std::make_shared<ViewGroup>()) {}
PaneFrame::~PaneFrame() = default;

ViewGroup& CurrentViewGroup() { return *GetPaneFrame().GetViewGroup(); }
std::shared_ptr<ViewGroup> ShareCurrentViewGroup() { return GetPaneFrame().GetViewGroup(); }

void HeadlessPaneFrame::SetMouseButtonHints(const std::string& left, const std::string& right,
                                            const std::string& both) {
  mLeft = left;
  mRight = right;
  mBoth = both;
  ++mHintUpdates;
}

HeadlessPaneFrame& GetHeadlessPaneFrame() {
  // The frame of panes made with no window around them (tests, tools, off-screen
  // views); it owns no GL object, so its end at exit releases nothing of a context.
  static HeadlessPaneFrame frame;
  return frame;
}

PaneFrame& GetPaneFrame() {
  using detail_PaneFrame::gInstalled;
  return gInstalled ? *gInstalled : GetHeadlessPaneFrame();
}

PaneFrame* InstallPaneFrame(PaneFrame* frame) {
  PaneFrame* previous = detail_PaneFrame::gInstalled;
  detail_PaneFrame::gInstalled = frame;
  return previous;
}

void SetMouseButtonHints(const char* left, const char* right, const char* both) {
  GetPaneFrame().SetMouseButtonHints(left ? left : "", right ? right : "", both ? both : "");
}

}  // namespace corvia
