#pragma once
// How the layouts make the view of a pane and give it a view type. The document's
// pane class installs its own maker; until then panes are plain OpenGL views that
// keep their view type and show it in their caption.

#include <memory>

namespace corvia {

class NewView;

class PaneViewMaker {
 public:
  virtual ~PaneViewMaker() = default;
  // A new view, not yet shown in a window.
  virtual std::unique_ptr<NewView> CreateView() = 0;
  // The view type a pane shows, -1 when it has none yet.
  virtual int GetViewType(const NewView* view) = 0;
  // Gives the pane a view type (without fitting the model anew).
  virtual void SetViewType(NewView* view, int viewType) = 0;
};

// The installed maker; never null.
PaneViewMaker& GetPaneViewMaker();
// Installs a maker (null puts the plain one back); returns the one before.
PaneViewMaker* InstallPaneViewMaker(PaneViewMaker* maker);

}  // namespace corvia
