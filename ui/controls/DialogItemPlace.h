#pragma once
// Controls made in place of a dialog's item: the new control takes the item's
// parent, rectangle, id and sizer slot, and the item goes.

#include <wx/window.h>

namespace corvia {

// Where a dialog item stands: its parent, rectangle and id; null parent when the
// dialog has no item of that id.
struct DialogItemPlace {
  wxWindow* item = nullptr;
  wxWindow* parent = nullptr;
  wxRect rect;
  int id = wxID_ANY;
};

DialogItemPlace FindDialogItemPlace(wxWindow* dialog, int itemId);

// Puts the control made at the place into the item's sizer slot and destroys the
// item.
void ReplaceDialogItem(const DialogItemPlace& place, wxWindow* control);

}  // namespace corvia
