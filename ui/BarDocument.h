#pragma once
// What the bars ask of the document that lies above them: making a model current,
// the model typed into the main toolbar's model box, opening a model file, the names
// of its undo steps, and the pane options some buttons open. The document installs
// its answers; until it does, the bars show what the geometry knows and change
// nothing (the default answers "no document").

#include <string>
#include <vector>

class wxWindow;
class wxRect;

namespace corvia {

class LibraryEntry;
class Poly;
class TransitionSettings;
struct TourModel;

class BarDocument {
 public:
  virtual ~BarDocument() = default;
  // Makes the model of a library entry (with dual: the entry's dual) current; false, the
  // model as it was, when it cannot be built. fromList: the entry was chosen from the
  // search results.
  virtual bool SetModel(LibraryEntry* /*entry*/, bool /*fromList*/, bool /*dual*/) { return false; }
  // A catalogue name or number, a vertex configuration or a Wythoff symbol typed by the
  // user; false (after the lookup's message) when it names no model.
  virtual bool OpenModelByNameOrSymbol(const std::string& /*text*/) { return false; }
  // Opens a model file as the current model; false when it was not read.
  virtual bool OpenModelFile(const std::string& /*path*/) { return false; }
  // The document's model file, empty for none.
  virtual std::string GetPathName() { return std::string(); }
  // The names of the undo (or redo) steps, the next one first; one step back or on.
  virtual std::vector<std::string> GetUndoNames(bool /*redo*/) { return {}; }
  virtual bool Undo() { return false; }
  virtual bool Redo() { return false; }
  // Makes a tour event's model current, with the transition or at once, and without
  // stopping the tour; false when it cannot be made.
  virtual bool SetTourModel(const TourModel& /*model*/, const TransitionSettings* /*transition*/) { return false; }
  // Asks for the model's link (the information tree's "Edit link..."); false when the
  // document takes no link.
  virtual bool EditLink() { return false; }
  virtual bool CanEditLink() { return false; }
  // "Options > Enable Transitions".
  virtual bool AreTransitionsEnabled() { return false; }
  // While on, the transitions that start run backwards.
  virtual void SetReverseTransitions(bool /*on*/) {}
  // The active pane's Sphere and Cylinder Options, and its menu of construction-toy
  // edge colours below a toolbar button (screen rectangle).
  virtual void ShowSphereCylinderOptions() {}
  // Takes what a change of the model's selection made in a bar or a dialog asks beyond
  // the model (Poly::TakeSelectionChange) and shows it: the information tree's mark,
  // the views' pivot, the Sphere and Cylinder Options, the cross-section panes.
  // Without a document the change is only taken.
  virtual void ShowSelectionChange(Poly& poly);
  virtual void ShowRodColorMenu(wxWindow* /*toolbar*/, const wxRect& /*button*/) {}
};

// The installed document; never null.
BarDocument& GetBarDocument();
// Installs a document (null puts the default back); returns the one before.
BarDocument* InstallBarDocument(BarDocument* document);

// Applies the sub-symmetry (Poly::ApplySubSymmetry) and has the document show what it
// did to the selection; false when it could not be applied.
bool ApplySubSymmetry(Poly& poly, int rotational, int reflective);

// The library entry the model came from: its own, or its template's.
LibraryEntry* GetPolyLibraryEntry(const Poly* poly);

}  // namespace corvia
