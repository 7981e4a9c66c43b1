#pragma once
// How the geometry reaches the document's models without knowing the application:
// the document installs one DocumentAccess, and everything asks it. The default
// answers as if no document existed yet (null models, empty memories, nothing to
// mark or refresh).

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Globals.h"
#include "core/Outcome.h"

namespace corvia {

class Poly;
class Model3D;
class SimplePoly;   // augmentation
class OpenGLView;   // augmentation

// Each function says, after "Why:", what in the geometry still needs it. What a step
// of the geometry asks of the program otherwise is passed in by its caller or done by
// the caller after it, and refusals come back as outcomes (core/Outcome.h).
class DocumentAccess {
 public:
  virtual ~DocumentAccess();
  // The document's current model. Why: what follows the model the user is looking at
  // rather than a model handed in: the polygon splitting's colour mode, the faceting
  // preview and the mouse's facetings, the measurements, the symmetry notation of the
  // model shown, and the names a copy of the shown model takes (GetPanePolyNames).
  virtual Poly* GetCurrentPoly() { return nullptr; }
  // The information tree marks the selected face (1), edge (2) or vertex (3) type;
  // kind 1 with number -1 clears the mark. Why: selecting in a model marks its type.
  virtual void MarkSelectedType(int /*kind*/, int /*typeNumber*/, bool /*dual*/) {}
  // The views pivot around the selected item. Why: selecting an element or an axis.
  virtual void PivotAroundSelectedItem() {}
  // Applies the Sphere and Cylinder Options fields when that dialog is open. Why: a
  // vertex selected in the model shows its sizes there.
  virtual void ApplySphereCylinderOptions() {}
  // Cross-section panes are marked for rebuilding. Why: the selection moves the plane.
  virtual void InvalidateCrossSectionViews() {}
  // Points the slicing direction of the cross-sections along the unit vector. Why: a
  // new model's cross-section starts on its main axis.
  virtual void SetCrossSectionDirection(const double* /*direction*/) {}
  // Whether the cross-section is on display. Why: the face-type set-up resets its axis.
  virtual bool IsCrossSectionShown() { return false; }
  // The menu path of a command, the item texts from the menu bar down joined by "->";
  // empty when the command has none. Why: the faceting messages name the command to use.
  virtual std::string GetMenuPathOfCommand(int /*commandId*/) { return std::string(); }
  // The mouse selection mode of the views (0: selecting faces and vertices). Why: the
  // facetings follow the mouse only in their own mode.
  virtual int GetMouseSelectionMode() { return 0; }
  // ---- augmentation ----
  // The model a memory slot holds, as a plain model (the document keeps it); null for
  // an empty slot. Why: augmenting with a model from memory.
  virtual const SimplePoly* GetMemoryModel(int /*slot*/) { return nullptr; }
  // The preview in the pane has ended: the pane gets its caption buttons back. Why:
  // the preview ends inside the augmentation.
  virtual void EndAugmentationPreview(OpenGLView* /*view*/) {}
  // While the construction-toy style is on, every pane says whether its model can be
  // built with the toy (run when a model is made and when the style is switched on).
  // Why: every model made, by whatever road, gets the toy's verdict once finished.
  virtual void CheckConstructionToyAllViews() {}
  // ---- end augmentation ----
  // ---- panes ----
  // The display names of the current model and of its dual as the pane (null: the
  // active pane) titles them; false when there is no pane to ask. Why: a plain copy of
  // the shown model, made by whatever road (saved, stored, derived), keeps the names the
  // program shows, which may come from its file's name or mark a pseudo model.
  virtual bool GetPanePolyNames(OpenGLView* /*view*/, std::string* /*name*/, std::string* /*dualName*/) {
    return false;
  }
  // ---- end panes ----
};

// Installs the document's accessor (null: the default); returns the one before.
DocumentAccess* InstallDocumentAccess(DocumentAccess* access);
DocumentAccess& GetDocumentAccess();

Poly* GetCurrentPoly();
// The menu path of a command into the buffer (empty when unknown); returns the buffer.
// The document answers first; when it knows none, the main window's menu does.
char* GetMenuPathOfCommand(int commandId, char* buffer, size_t size);
using MenuPathProvider = std::string (*)(int commandId);
// Installs the menu's answer (null: none); returns the one before.
MenuPathProvider InstallMenuPathProvider(MenuPathProvider provider);
int GetMouseSelectionMode();
// The facelet model of the face-type block the current model shows; null without a
// model or before one is built.
Model3D* GetCurrentModel3D();

// "Filling method:" of the "Polygon Filling Options".
constexpr int kFillingAuto = 0;            // "Auto (depends on orientability)"
constexpr int kFillingDensityWinding = 1;  // "Density/winding method"
constexpr int kFillingModulo2 = 2;         // "Modulo-2 method"
extern int PolygonFillingMethod;
// 1 when the current model's polygons are filled by the modulo-2 method: chosen so, or
// Auto with a one-sided face in the model; else 0. Installed as the polygon splitting's
// colour-mode query (files/GeometryHooks.h).
int GetCurrentPolyColorMode();

}  // namespace corvia
