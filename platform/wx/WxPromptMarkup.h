#pragma once
// The prompts of the text questions are written in the program's small mark-up: "<b>"
// and "<i>" (and their ends) for bold and italic, "<<" for a literal "<", "&lt;",
// "&gt;" and "&amp;" for those characters; any other tag is left out. The toolkit's
// labels take the same styles in their own mark-up, where "<", ">" and "&" must be
// written as entities.

#include <string>

namespace corvia::platform {

// The prompt as mark-up for a toolkit label (wxControl::SetLabelMarkup).
std::string PromptToLabelMarkup(const std::string& prompt);

}  // namespace corvia::platform
