#pragma once
// What the panes need of the main window: the mouse-button hints of the status
// bar, the frame's active view, and the state its panes share (ViewGroup). The main
// window installs its own; until then a headless one keeps the last hints, so that
// tests can read them.

#include <memory>
#include <string>

namespace corvia {

class NewView;
struct ViewGroup;

class PaneFrame {
public:
  // A frame whose panes share nothing with any other frame's.
  PaneFrame();
  // A frame that takes over what another frame's panes keep (the main window takes over
  // what start-up set before it existed: the settings are read before it is made). It
  // hands the group back to that frame when it goes, so it goes first.
  explicit PaneFrame(std::shared_ptr<ViewGroup> group);
  virtual ~PaneFrame();
  // Shows the help texts of the left, the right and both buttons ("L: %s",
  // "R: %s" and "L+R: %s" in status-bar panes 1 to 3).
  virtual void SetMouseButtonHints(const std::string& left, const std::string& right, const std::string& both) = 0;
  // Makes the view the one that receives the frame's commands.
  virtual void SetActiveView(NewView* view) = 0;

  // What the frame's panes share (ViewGroup.h); each view holds it too, so that a
  // pane that outlives its frame's other parts still finds it.
  const std::shared_ptr<ViewGroup>& GetViewGroup() const { return mViewGroup; }

private:
  std::shared_ptr<ViewGroup> mViewGroup;
  PaneFrame* mGroupFrameBefore = nullptr;
};

// The installed frame; never null.
PaneFrame& GetPaneFrame();
// Installs a frame (null puts the headless one back); returns the one before.
PaneFrame* InstallPaneFrame(PaneFrame* frame);

// The headless frame: records what it is told.
class HeadlessPaneFrame final : public PaneFrame {
public:
  void SetMouseButtonHints(const std::string& left, const std::string& right, const std::string& both) override;
  void SetActiveView(NewView* view) override { mActiveView = view; }

  std::string mLeft, mRight, mBoth;
  NewView* mActiveView = nullptr;
  int mHintUpdates = 0;
};

HeadlessPaneFrame& GetHeadlessPaneFrame();

void SetMouseButtonHints(const char* left, const char* right, const char* both);

}  // namespace corvia
