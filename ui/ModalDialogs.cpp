#include "ui/ModalDialogs.h"

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/window.h>

namespace corvia {

namespace detail_ModalDialogs {

// wx calls the hook around every ShowModal, native dialogs included.
class ModalCount final : public wxModalDialogHook {
 public:
  ModalCount() { Register(); }
  int open = 0;
  int windows = 0;  // counted by CountAsModalUntilDestroyed

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

bool IsModalDialogOpen() {
  const detail_ModalDialogs::ModalCount& count = detail_ModalDialogs::Count();
  return count.open > 0 || count.windows > 0;
}

void CountAsModalUntilDestroyed(wxWindow* window) {
  if (!window) return;
  ++detail_ModalDialogs::Count().windows;
  window->Bind(wxEVT_DESTROY, [window](wxWindowDestroyEvent& event) {
    event.Skip();
    // The event of a child window reaches its parent too.
    if (event.GetEventObject() != window) return;
    int& windows = detail_ModalDialogs::Count().windows;
    if (windows > 0) --windows;
  });
}

}  // namespace corvia
