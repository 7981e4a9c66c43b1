#pragma once
// The main window as it stands: a plain frame holding the panes side by side, the
// frame's side of the panes (mouse hints, the active pane, the view-type menu of a
// pane's caption) and of the geometry's view notifications.

#include <wx/frame.h>

#include "app/ViewType.h"

namespace corvia {

class CPolyView;

// The default size of the main window.
constexpr int kMainWindowWidth = 1000;
constexpr int kMainWindowHeight = 800;
// The panes of the first layout.
constexpr int kDefaultPaneCount = 2;
extern const ViewType kDefaultPaneTypes[kDefaultPaneCount];

// Makes the frame with its panes (not shown yet) and installs its services.
wxFrame* CreateMainWindow();
// Takes the services back (the frame is gone).
void RemoveMainWindowServices();
// The pane of the main window at the index of the list of views; null when none.
CPolyView* GetPane(int index);
// Images of the caption buttons and cursors of the mouse modes.
void LoadPaneImages();

}  // namespace corvia
