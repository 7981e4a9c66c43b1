#pragma once
// Whether a modal dialog runs its loop: the program's own dialogs, the message boxes
// and the toolkit's colour and file dialogs all count. A command that opened one may
// hold the model, a face or an element across it, so nothing that replaces or rebuilds
// the model on a timer or from idle time runs while one is open.

namespace corvia {

// Starts counting the modal dialogs (once; later calls do nothing). Dialogs opened
// before the first call are not counted.
void WatchModalDialogs();

// True while a modal dialog that was opened after WatchModalDialogs is open.
bool IsModalDialogOpen();

}  // namespace corvia
