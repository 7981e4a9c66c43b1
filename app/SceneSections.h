#pragma once
// The scene sections of the model file that the program's window keeps: the pane
// layout with its ratios ("Layouts"), each pane's view type and camera ("Panes"), and
// the mouse throws still running ("MouseThrows"), restored in that order, so that a
// saved scene opens as it was left.

namespace corvia {

// The section of the panes' view types and cameras.
constexpr const char* kSceneSectionPanes = "Panes";

// Installs the three sections (the window services do, at start-up) and takes them
// out again.
void InstallSceneSections();
void RemoveSceneSections();

}  // namespace corvia
