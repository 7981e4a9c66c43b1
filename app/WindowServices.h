#pragma once
// What the main window and the panes of the document need of each other: the layouts
// make CPolyView panes, the View commands switch the active pane's view type, a
// pane's caption opens the view-type menu, the caption buttons and mouse modes have
// their images, and the geometry's view notifications reach the panes.

class wxFrame;
class wxMenu;

namespace corvia {

class CPolyView;

// Installs the pane maker, the view notifications and the images; before the main
// window is made.
void InstallWindowServices();
// Joins the commands of the panes and those that open dialogs to the main window
// (after it is made).
void ConnectMainWindow(wxFrame* frame);
// Takes everything back (the main window has gone).
void RemoveWindowServices();

// The construction toy's edge colours, the items of Display > Geomag > Geomag Edge
// Style, the current one checked: the menu that the option toolbar's edge-style
// button opens below itself while the construction-toy style is on. The chosen item
// runs as its menu command.
void BuildRodColorMenu(wxMenu& menu);

// The pane at the index of the list of views; null when none.
CPolyView* GetPane(int index);
// The number of panes.
int CountPanes();

}  // namespace corvia
