#pragma once
// The menu commands whose whole work is to open a dialog: Edit > Text Options...,
// Options > Transition Options..., Display > Vertex & Edge Options > Use Spheres and
// Cylinders... and the three Selection > Select ... by Index... commands. The main window routes them here once the
// program joins this handler to it (AddCommandTarget).

#include <wx/event.h>

namespace corvia {

class DialogCommands final : public wxEvtHandler {
 public:
  DialogCommands();
  // Marks the commands as handled in this build (or no longer).
  static void MarkAvailable(bool available);
};

}  // namespace corvia
