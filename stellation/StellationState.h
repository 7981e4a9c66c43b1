#pragma once
// State of the stellation shared with the rest of the model code.

namespace corvia {

// Set while the stellation's complexity warning is on screen and while a set-up runs:
// the question box and the progress window run message loops of their own, and
// nothing may start a second stellation, build a facelet model from half-made
// diagrams, build a cross-section or run the construction-kit checks meanwhile (those
// answer "buildable" and compute nothing).
extern bool StellationBusy;

}  // namespace corvia
