#pragma once
// State of the stellation shared with the rest of the model code.

namespace corvia {

// Set only while the stellation's complexity warning is on screen: its question box
// runs a message loop of its own, and nothing may start a second stellation, build a
// cross-section or run the construction-kit checks meanwhile (those answer
// "buildable" and compute nothing).
extern bool StellationBusy;

}  // namespace corvia
