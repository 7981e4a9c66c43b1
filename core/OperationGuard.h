#pragma once
// The edge of every operation a person starts: a command, an open, an undo or redo, the
// work the panes leave for idle time, a paint. Memory is bounded by what the process can
// get (platform/Memory.h), and estimates refuse what would not fit before the work
// begins; what an estimate missed ends at this edge. An allocation failure anywhere
// inside the operation ends that operation as a Cancel does, and never the program.

#include <functional>

namespace corvia {

// Runs `work` as one operation; false when it ran out of memory. An allocation failure
// inside it (std::bad_alloc, std::length_error) ends it as a Cancel does: the progress
// levels it opened are closed, the undo groups it opened end, the model comes back from
// the undo steps it recorded and they go (platform::UndoHooks::PutBackSince), and, with
// `tell`, the user is told "There was not enough memory to <what>." in a box, after the
// paint when a pane is drawing. Operations may nest: the innermost one that fails ends.
bool RunOperation(const char* what, const std::function<void()>& work, bool tell = true);

// How many operations have ended so since the start.
int GetMemoryFailureCount();

}  // namespace corvia
