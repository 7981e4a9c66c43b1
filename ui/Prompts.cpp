#include "ui/Prompts.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/Equation.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_Prompts {

constexpr const char* kRealTitle = "Corvia";
constexpr const char* kNumberTitle = "Enter a number";
constexpr const char* kEmptyNumber = "Please enter a number or an equation.";

// Asks until the text evaluates to a finite number or the user cancels. Every
// refusal is shown and the prompt opens again on the text as typed.
bool AskValue(const char* title, const char* prompt, std::string& text, double& result,
              bool (*accept)(const std::string& text, double value)) {
  for (;;) {
    if (!platform::Services().messages->AskText(title, prompt ? prompt : "", text)) return false;
    if (IsBlank(text.c_str())) {
      ShowError("%s", kEmptyNumber);
      continue;
    }
    const char* error = nullptr;
    const double value = ParseEquation(text.c_str(), &error);
    if (error) {
      ShowError("%s", EquationOutcome(error).text().c_str());
      continue;
    }
    if (accept && !accept(text, value)) continue;
    result = value;
    return true;
  }
}

bool IsWholeInt(const std::string& text, double value) {
  if (value == std::floor(value) && value >= std::numeric_limits<int>::min() &&
      value <= std::numeric_limits<int>::max()) {
    return true;
  }
  ShowError("'%s' is not a whole number.", text.c_str());
  return false;
}

}  // namespace detail_Prompts

bool AskReal(const char* message, double& value, int /*flags*/) {
  char current[64];
  std::snprintf(current, sizeof current, "%.15lg", value);
  std::string text = current;
  double result = 0.0;
  if (!detail_Prompts::AskValue(detail_Prompts::kRealTitle, message, text, result, nullptr)) return false;
  value = result;
  return true;
}

bool AskNumber(const char* prompt, int& value) {
  std::string text = std::to_string(value);
  double result = 0.0;
  if (!detail_Prompts::AskValue(detail_Prompts::kNumberTitle, prompt, text, result, detail_Prompts::IsWholeInt)) {
    return false;
  }
  value = static_cast<int>(result);
  return true;
}

bool AskMultiLineText(const char* prompt, std::string& text) {
  std::string answer = text;
  if (!platform::Services().messages->AskMultiLineText("Corvia", prompt ? prompt : "", answer)) return false;
  text = std::move(answer);
  return true;
}

}  // namespace corvia
