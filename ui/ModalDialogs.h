#pragma once
// Whether a modal dialog runs its loop: the program's own dialogs, the message boxes
// and the toolkit's colour and file dialogs all count, and so does a window that keeps
// the others disabled while it is open (the print preview). A command that opened one
// may hold the model, a face or an element across it, and a preview shows the model as
// it was when it opened and prints it so, so nothing that replaces or rebuilds the
// model on a timer or from idle time runs while one is open.

class wxWindow;

namespace corvia {

// Starts counting the modal dialogs (once; later calls do nothing). Dialogs opened
// before the first call are not counted.
void WatchModalDialogs();

// True while a modal dialog that was opened after WatchModalDialogs is open, or a
// window counted below.
bool IsModalDialogOpen();

// Counts a window that is shown beside the program's loop but disables the others as a
// modal dialog until it is destroyed.
void CountAsModalUntilDestroyed(wxWindow* window);

}  // namespace corvia
