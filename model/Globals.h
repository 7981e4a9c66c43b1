#pragma once
// How the geometry reaches the document's models without knowing the application:
// the document installs one DocumentAccess, and everything asks it. The default
// answers as if no document existed yet (null models, no panes, nothing to refresh).

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Globals.h"
#include "core/Outcome.h"

namespace corvia {

class Poly;
class Model3D;
class OpenGLView;

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
// The menu path of a command into the buffer, the item texts from the menu bar down
// joined by "->" as the installed menu gives them (empty without one, or when the
// command has none); returns the buffer.
char* GetMenuPathOfCommand(int commandId, char* buffer, size_t size);
using MenuPathProvider = std::string (*)(int commandId);
// Installs the menu's answer (null: none); returns the one before.
MenuPathProvider InstallMenuPathProvider(MenuPathProvider provider);
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
