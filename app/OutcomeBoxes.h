#pragma once
// Tells the user what a step of the geometry did: a refusal or a failure becomes an
// error box with the step's own words; done and cancelled show nothing.

#include "core/Outcome.h"

namespace corvia {

// Shows the error box of a refused or failed outcome; true when the step was done.
bool TellOutcome(const Outcome& outcome);

}  // namespace corvia
