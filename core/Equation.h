#pragma once
// Numeric fields accept short arithmetic expressions instead of plain numbers:
// 2*sqrt(3), r5, tau^2, cosd(36). A recursive-descent evaluator turns the text into
// a double and, when the text is wrong, into one error message (the first found).
//
// Grammar, lowest precedence first: sums (+ -), products (* /, and juxtaposition:
// 2pi, 3(1+2), 2 3), powers (^ or **, grouping to the right), one optional sign
// (binding tighter than the power: -2^2 is 4), primaries (numbers, brackets,
// the constants pi, tau and g, r<unary> for a square root, sqrt cos sin tan in
// radians and cosd sind tand in degrees).

#include "core/Outcome.h"

namespace corvia {

// Size of the process-wide error buffer, terminating zero included.
constexpr int kEquationErrorSize = 256;

// Parses the text: done, with the value in *value (when given), or refused with
// "Error in equation:\n<message>" (*value then holds whatever was computed).
Outcome CheckEquation(const char* text, double* value = nullptr);

// A blank or null text gives 0 and no error. Else *error (when given) is set to null,
// or to the error buffer when an error occurred; the buffer lives until the next
// evaluation.
double ParseEquation(const char* text, const char** error);

// Done for a null or blank error text; else refused as CheckEquation refuses.
Outcome EquationOutcome(const char* error);

}  // namespace corvia
