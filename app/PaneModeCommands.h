#pragma once
// The pane commands of the mouse selection modes, the scale commands of the active
// pane, "File > Export Image..." and "Poly > Augment Polyhedron...", joined to the main
// window.

class wxFrame;

namespace corvia {

class Poly;

// What the scale commands set.
enum class ScaleMeasure {
  Midradius,
  BaseRadius,
  BaseSurfaceArea,
  BaseVolume,
  DualInradius,
  DualRadius,
  DualSurfaceArea,
  DualVolume
};

// The length scale at which a measurement of the given dimension (1 length, 2 area,
// 3 volume) that is unitValue at a scale of 1 becomes wanted; 0 when there is none (a
// value not above 0).
double ScaleForMeasure(double unitValue, double wanted, int dimension);
// Rescales the current model so that the measurement becomes the value; false, after
// saying why, when it cannot.
bool ScaleModelTo(ScaleMeasure which, double wanted);

// Asks for an image file and places it on the current face when that face has no image
// yet; true when one was placed.
bool PlaceImageOnCurrentFace();

// Joins the commands to the main window, and takes them back.
void InstallPaneModeCommands(wxFrame* frame);
void RemovePaneModeCommands();

}  // namespace corvia
