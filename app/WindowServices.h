#pragma once
// What the main window and the panes of the document need of each other: the layouts
// make CPolyView panes, the View commands switch the active pane's view type, a
// pane's caption opens the view-type menu, the caption buttons and mouse modes have
// their images, and the geometry's view notifications reach the panes.

class wxFrame;

namespace corvia {

class CPolyView;

// Installs the pane maker, the view notifications and the images; before the main
// window is made.
void InstallWindowServices();
// Joins the commands of the panes to the main window (after it is made).
void ConnectMainWindow(wxFrame* frame);
// Takes everything back (the main window has gone).
void RemoveWindowServices();

// The pane at the index of the list of views; null when none.
CPolyView* GetPane(int index);
// The number of panes.
int CountPanes();

}  // namespace corvia
