#include "ui/controls/DialogItemPlace.h"

#include <wx/sizer.h>

namespace corvia {

DialogItemPlace FindDialogItemPlace(wxWindow* dialog, int itemId) {
  DialogItemPlace place;
  wxWindow* item = dialog ? dialog->FindWindow(itemId) : nullptr;
  if (!item || item == dialog) return place;
  place.item = item;
  place.parent = item->GetParent();
  place.rect = item->GetRect();
  place.id = itemId;
  return place;
}

void ReplaceDialogItem(const DialogItemPlace& place, wxWindow* control) {
  if (!place.item || !control) return;
  wxSizer* sizer = place.item->GetContainingSizer();
  if (sizer) sizer->Replace(place.item, control, true);
  place.item->Destroy();
  if (sizer && place.parent) place.parent->Layout();
}

}  // namespace corvia
