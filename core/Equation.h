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

namespace corvia {

// Size of the process-wide error buffer, terminating zero included.
constexpr int kEquationErrorSize = 256;

// Parses the text; on an error shows "Error in equation:\n<message>" when asked to,
// else sends the message only to the debug trace. Returns whatever was computed.
double EvaluateEquation(const char* text, bool showErrors);

// True when the text parses without an error; reports like EvaluateEquation.
bool IsValidEquation(const char* text, bool showErrors);

// A blank or null text gives 0 and no error. Else *error (when given) is set to null,
// or to the error buffer when an error occurred; the buffer lives until the next
// evaluation.
double ParseEquation(const char* text, const char** error);

// Nothing for a blank error text; else reported as EvaluateEquation does.
void ReportEquationError(const char* error, bool show);

}  // namespace corvia
