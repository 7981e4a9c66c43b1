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
class LibraryEntry;
class SimplePoly;
class OpenGLView;

// Each function says, after "Why:", what in the geometry still needs it. What a step
// of the geometry asks of the program otherwise is passed in by its caller or done by
// the caller after it, and refusals come back as outcomes (core/Outcome.h).
class DocumentAccess {
 public:
  virtual ~DocumentAccess();
  // The document's current model. Why: the commands of the geometry (derived models,
  // faceting, the library's look-ups) work on the model shown, and the colour mode of
  // the polygon splitting depends on it.
  virtual Poly* GetCurrentPoly() { return nullptr; }
  // Makes the model of a library entry the current model; false when none was made
  // (without a document there is no current model to replace). Why: showing a
  // stellation of the library makes its base model current first.
  virtual bool SetModel(LibraryEntry* /*entry*/) { return false; }
  // ---- model change ----
  // Why here: a model made by the geometry (a file read, a derived model) becomes the
  // document's current model, and only the program knows its undo steps, transitions
  // and refresh. Builds the plain model into the current model as one undo step of the
  // type (none when negative) with the transition the type calls for; with `tell` the
  // program shows a refusal itself, else the caller gets it to tell. The default, for a
  // document without undo steps, transitions or boxes, builds into the current model
  // in place (CreatePoly); without a current model nothing is made.
  virtual Outcome ReplaceCurrentModel(SimplePoly& simple, int undoType, bool keepColors, bool keepDualColors,
                                      bool tell);
  // The document's refresh after a model change (flags: 1 title and redraw only,
  // 2 the model still matches its file, 4 keep a running tour). Why: a derived model
  // that turns out to be a library model takes that model's names after it was made.
  virtual void UpdateAfterChange(int /*flags*/) {}
  // ---- end model change ----
  // ---- panes ----
  // The view type code of the pane (null: the active pane); 0 when there is none.
  // Why: a derived model is made of the side the pane shows.
  virtual uint32_t GetPaneViewType(OpenGLView* /*view*/) { return 0; }
  // The display names of the current model and of its dual as the pane (null: the
  // active pane) titles them; false when there is no pane to ask. Why: derived models
  // are named after what the pane shows.
  virtual bool GetPanePolyNames(OpenGLView* /*view*/, std::string* /*name*/, std::string* /*dualName*/) {
    return false;
  }
  // Whether some pane shows the view type (a code of the program's view types). Why:
  // showing a stellation of the library offers it a stellation pane.
  virtual bool IsViewTypeShown(uint32_t /*viewType*/) { return false; }
  // Switches the active pane to the view type. Why: as above.
  virtual void SetActivePaneViewType(uint32_t /*viewType*/) {}
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
