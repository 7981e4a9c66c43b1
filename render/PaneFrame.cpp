#include "render/PaneFrame.h"

#include "render/ViewGroup.h"

namespace corvia {

namespace detail_PaneFrame {

// The frame whose panes are made and drawn now: the one installed, else the headless
// one. One for the process: the program has one main window, and the layout code that
// makes panes deep inside it does not carry the frame along. The headless frame owns no
// GL object, so its end at exit releases nothing of a context.
struct PaneFrames {
  HeadlessPaneFrame headless;
  PaneFrame* installed = nullptr;
};

PaneFrames& Frames() {
  static PaneFrames frames;
  return frames;
}

}  // namespace detail_PaneFrame

PaneFrame::PaneFrame() : mViewGroup(std::make_shared<ViewGroup>()) {
  mViewGroup->frame = this;
}
PaneFrame::PaneFrame(std::shared_ptr<ViewGroup> group)
    : mViewGroup(group ? std::move(group) : std::make_shared<ViewGroup>()), mGroupFrameBefore(mViewGroup->frame) {
  mViewGroup->frame = this;
}
PaneFrame::~PaneFrame() {
  if (mViewGroup->frame == this) mViewGroup->frame = mGroupFrameBefore;
}

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
  return detail_PaneFrame::Frames().headless;
}

PaneFrame& GetPaneFrame() {
  detail_PaneFrame::PaneFrames& frames = detail_PaneFrame::Frames();
  return frames.installed ? *frames.installed : frames.headless;
}

PaneFrame* InstallPaneFrame(PaneFrame* frame) {
  PaneFrame*& installed = detail_PaneFrame::Frames().installed;
  PaneFrame* previous = installed;
  installed = frame;
  return previous;
}

void SetMouseButtonHints(const char* left, const char* right, const char* both) {
  GetPaneFrame().SetMouseButtonHints(left ? left : "", right ? right : "", both ? both : "");
}

}  // namespace corvia
