#pragma once
// The "Polyhedra" model browser as its callers see it: the user types a name,
// symbol or configuration and bounds on the counts of cells, faces, edges and
// vertices (the global ModelSearchCriteria), looks through the search results and
// picks one. The window itself belongs to the dialogs.

#include "platform/DialogFrontEnd.h"

namespace corvia {

class LibraryEntry;

class CPolyhedraDialog : public platform::DialogValues {
 public:
  static constexpr const char* kName = "PolyhedraDialog";
  const char* DialogName() const override { return kName; }

  // Runs the browser modally; true when the user chose a model with OK.
  bool DoModal();

  // The chosen model, and whether its dual is meant (a result found by its dual's
  // name).
  LibraryEntry* mEntry = nullptr;
  bool mIsDual = false;
};

}  // namespace corvia
