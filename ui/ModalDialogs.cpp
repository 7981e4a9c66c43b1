#include "ui/ModalDialogs.h"

#include <wx/dialog.h>
#include <wx/modalhook.h>

namespace corvia {

namespace detail_ModalDialogs {

// wx calls the hook around every ShowModal, native dialogs included.
class ModalCount final : public wxModalDialogHook {
 public:
  ModalCount() { Register(); }
  int open = 0;

 protected:
  int Enter(wxDialog*) override {
    ++open;
    return wxID_NONE;  // the dialog is shown as usual
  }
  void Exit(wxDialog*) override {
    if (open > 0) --open;
  }
};

ModalCount& Count() {
  static ModalCount count;
  return count;
}

}  // namespace detail_ModalDialogs

void WatchModalDialogs() { detail_ModalDialogs::Count(); }

bool IsModalDialogOpen() { return detail_ModalDialogs::Count().open > 0; }

}  // namespace corvia
