#pragma once
// The common prompts for a number and for a text of several lines. Numbers may be
// typed as equations ("2*sqrt(3)", "tau^2"); input the evaluator refuses is
// reported with its message and asked for again, starting from what was typed.

#include <string>

namespace corvia {

// Asks for a real number or an equation, showing the current value with "%.15lg".
// True when the user confirms a valid value (it then replaces `value`); false on
// Cancel, leaving it unchanged. Flags are reserved and pass 0.
bool AskReal(const char* message, double& value, int flags);

// Asks for a whole number ("Enter a number"), showing the current value. True when
// the user confirms one; false on Cancel, leaving `value` unchanged.
bool AskNumber(const char* prompt, int& value);

// Asks for a text of several lines, starting from `text`; false when cancelled
// (the text is then unchanged).
bool AskMultiLineText(const char* prompt, std::string& text);

}  // namespace corvia
