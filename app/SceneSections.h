#pragma once
// The scene sections of the model file that the program's window keeps: the
// stellation each side shows and the side shown ("Stellation"), the pane layout with
// its ratios ("Layouts"), each pane's view type and camera and the active pane
// ("Panes"), and the mouse throws still running ("MouseThrows"), restored in that
// order, so that a saved scene opens as it was left.

namespace corvia {

// The section of the panes' view types and cameras.
constexpr const char* kSceneSectionPanes = "Panes";
// The section of the stellations shown.
constexpr const char* kSceneSectionStellation = "Stellation";

// Installs the four sections (the window services do, at start-up) and takes them
// out again.
void InstallSceneSections();
void RemoveSceneSections();

}  // namespace corvia
