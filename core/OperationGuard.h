#pragma once
// The edge of every operation a person starts: a command, an open, an undo or redo, the
// work the panes leave for idle time, a paint. Memory is bounded by what the process can
// get (platform/Memory.h), and estimates refuse what would not fit before the work
// begins; what an estimate missed ends at this edge. An allocation failure anywhere
// inside the operation ends that operation as a Cancel does, and never the program.
//
// What runs while such a failure is in flight (destructors, the ends of scopes) frees
// and puts back flags only: it allocates nothing and throws nothing, or the program would
// end. Work that may allocate at the end of a scope is done by an explicit call on the
// normal road, and the scope's destructor only undoes what that call did not do.

#include <string>

#include "core/FunctionRef.h"

namespace corvia {

// What an operation is, in the words "There was not enough memory to ..." go on
// ('open "x.corv"'): made only when they are told, once the failed work has freed what
// it held, so that making them cannot fail before the operation begins.
using OperationWords = FunctionRef<std::string()>;

// Runs `work` as one operation; false when it ran out of memory. An allocation failure
// inside it (std::bad_alloc, std::length_error) ends it as a Cancel does: the progress
// levels it opened are closed, the undo groups it opened end, the model comes back from
// the undo steps it recorded and they go (platform::UndoHooks::PutBackSince), and, with
// `tell`, the user is told "There was not enough memory to <what>." in a box, after the
// paint when a pane is drawing: "the model is as it was", or, when it could not be put
// back, that it was changed. Operations may nest: the innermost one that fails ends.
// Nothing that runs out of memory here leaves it: words that cannot be made or shown
// give way to fewer, and at the last to none.
bool RunOperation(OperationWords what, FunctionRef<void()> work, bool tell = true);
bool RunOperation(const char* what, FunctionRef<void()> work, bool tell = true);

// How many operations have ended so since the start.
int GetMemoryFailureCount();

}  // namespace corvia
