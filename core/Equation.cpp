#include "core/Equation.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Messages.h"

namespace corvia {

namespace detail_Equation {

constexpr double kGoldenRatio = 1.618033988749895;
constexpr double kPi = 3.141592653589793;
constexpr double kRadiansPerDegree = 0.017453292519943295;
// Brackets, signs, roots and powers nest by recursion; deeper texts are refused
// rather than allowed to exhaust the stack.
constexpr int kMaxDepth = 200;

// The first error of the current evaluation; later ones do not overwrite it.
char gErrorBuffer[kEquationErrorSize];

void RecordError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void RecordError(const char* format, ...) {
  if (gErrorBuffer[0] != '\0') return;
  va_list args;
  va_start(args, format);
  std::vsnprintf(gErrorBuffer, sizeof(gErrorBuffer), format, args);
  va_end(args);
}

inline bool IsEquationBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
inline bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsBlankText(const char* text) {
  if (text == nullptr) return true;
  for (; *text != '\0'; ++text) {
    if (!IsEquationBlank(*text)) return false;
  }
  return true;
}

enum class Function { Sqrt, Cos, Sin, Tan, CosDegrees, SinDegrees, TanDegrees };

struct FunctionName {
  const char* name;
  Function function;
};

// Longer names first, so that "cosd" is never read as "cos" followed by "d".
constexpr FunctionName kFunctions[] = {
    {"sqrt", Function::Sqrt},       {"cosd", Function::CosDegrees}, {"sind", Function::SinDegrees},
    {"tand", Function::TanDegrees}, {"cos", Function::Cos},         {"sin", Function::Sin},
    {"tan", Function::Tan},
};

class Parser {
 public:
  explicit Parser(const char* text) : mPos(text), mEnd(text + std::strlen(text)) {}

  double ParseSum();
  bool AtEnd() {
    SkipBlanks();
    return mPos >= mEnd;
  }
  const char* Position() const { return mPos; }

 private:
  struct DepthGuard {
    explicit DepthGuard(int& depth) : mDepth(depth) { ++mDepth; }
    ~DepthGuard() { --mDepth; }
    int& mDepth;
  };

  double ParseProduct();
  double ParsePower();
  double ParseUnary();
  double ParsePrimary();
  double ParseNumber();
  double ParseBracketedSum();
  double SquareRoot(double value, const char* where);
  bool TooDeep();
  // The value of a step, recorded as an error where it is not finite: an infinity on
  // the way can vanish from the result (1/inf is 0) and must not pass unseen.
  static double Finite(double value, const char* at);

  void SkipBlanks() {
    while (mPos < mEnd && IsEquationBlank(*mPos)) ++mPos;
  }
  char Peek() const { return mPos < mEnd ? *mPos : '\0'; }
  // The name stands at the position as a whole word (no letter or digit after it).
  bool WordAt(const char* name) const {
    size_t n = std::strlen(name);
    if (size_t(mEnd - mPos) < n || std::strncmp(mPos, name, n) != 0) return false;
    return mPos + n >= mEnd || (!IsLetter(mPos[n]) && !IsDigit(mPos[n]));
  }
  void MoveToEnd() { mPos = mEnd; }

  const char* mPos;
  const char* mEnd;
  int mDepth = 0;
};

double Parser::Finite(double value, const char* at) {
  if (!std::isfinite(value)) RecordError("Result is not a finite number at '%.10s'", at);
  return value;
}

bool Parser::TooDeep() {
  if (mDepth <= kMaxDepth) return false;
  RecordError("Equation too deeply nested at '%.10s'", mPos);
  MoveToEnd();
  return true;
}

double Parser::ParseSum() {
  SkipBlanks();
  double value = ParseProduct();
  for (;;) {
    SkipBlanks();
    char c = Peek();
    if (c != '+' && c != '-') return value;
    const char* op = mPos;
    ++mPos;
    double term = ParseProduct();
    value = Finite((c == '+') ? value + term : value - term, op);
  }
}

double Parser::ParseProduct() {
  SkipBlanks();
  double value = ParsePower();
  for (;;) {
    SkipBlanks();
    char c = Peek();
    if (c == '\0' || c == '+' || c == '-' || c == ')') return value;
    const char* op = mPos;
    if (c == '*') {
      ++mPos;
      value = Finite(value * ParsePower(), op);
    } else if (c == '/') {
      ++mPos;
      double divisor = ParsePower();
      if (divisor == 0.0)
        RecordError("Division by zero at '%.10s'", op);
      else
        value = Finite(value / divisor, op);
    } else {
      // Juxtaposition multiplies: 2pi, 3(1+2), 2 sqrt(2), 2 3.
      value = Finite(value * ParsePower(), op);
    }
  }
}

double Parser::ParsePower() {
  DepthGuard guard(mDepth);
  if (TooDeep()) return 0.0;
  SkipBlanks();
  double base = ParseUnary();
  SkipBlanks();
  const char* op = mPos;
  if (Peek() == '^') {
    ++mPos;
  } else if (Peek() == '*' && mPos + 1 < mEnd && mPos[1] == '*') {
    mPos += 2;
  } else {
    return base;
  }
  double exponent = ParsePower();
  return Finite(std::pow(base, exponent), op);
}

double Parser::ParseUnary() {
  DepthGuard guard(mDepth);
  if (TooDeep()) return 0.0;
  SkipBlanks();
  char c = Peek();
  if (c == '+' || c == '-') {
    ++mPos;
    SkipBlanks();
    double value = ParsePrimary();
    return c == '-' ? -value : value;
  }
  return ParsePrimary();
}

double Parser::SquareRoot(double value, const char* where) {
  if (value < 0.0) {
    RecordError("Can't take square root of negative number %g in '%.10s'", value, where);
    return value;
  }
  return std::sqrt(value);
}

double Parser::ParseNumber() {
  // Decimal only, whatever the locale: digits, an optional fraction, an optional
  // exponent that counts only when digits follow it.
  const char* start = mPos;
  const char* p = mPos;
  bool digits = false;
  while (p < mEnd && IsDigit(*p)) {
    ++p;
    digits = true;
  }
  if (p < mEnd && *p == '.') {
    ++p;
    while (p < mEnd && IsDigit(*p)) {
      ++p;
      digits = true;
    }
  }
  if (p < mEnd && digits && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    if (q < mEnd && (*q == '+' || *q == '-')) ++q;
    if (q < mEnd && IsDigit(*q)) {
      while (q < mEnd && IsDigit(*q)) ++q;
      p = q;
    }
  }
  // A point with no digit, or a second point ("1..2", "1.2.3", "1e5.5"), makes no
  // number.
  if (!digits || (p < mEnd && *p == '.')) {
    RecordError("Malformed number at '%.10s'", start);
    MoveToEnd();
    return 0.0;
  }
  mPos = p;
  double value = 0.0;
  auto [last, ec] = std::from_chars(start, p, value, std::chars_format::general);
  (void)last;
  if (ec == std::errc::result_out_of_range) {
    // Tell an underflow (a plain 0) from an overflow.
    std::string copy(start, p);
    value = std::strtod(copy.c_str(), nullptr);
    if (!std::isfinite(value)) {
      RecordError("Number out of range at '%.10s'", start);
      value = 0.0;
    }
  }
  return value;
}

double Parser::ParseBracketedSum() {
  // At the '('.
  ++mPos;
  double value = ParseSum();
  SkipBlanks();
  if (Peek() == ')') {
    ++mPos;
  } else {
    RecordError("Expected closing ')'");
    MoveToEnd();
  }
  return value;
}

double Parser::ParsePrimary() {
  SkipBlanks();
  char c = Peek();
  if (IsDigit(c) || c == '.') return ParseNumber();
  if (c == '(') return ParseBracketedSum();
  if (!IsLetter(c)) {
    if (mPos >= mEnd)
      RecordError("Equation ended early");
    else
      RecordError("Unexpected character at '%.10s'", mPos);
    MoveToEnd();
    return 0.0;
  }
  if (WordAt("tau")) {
    mPos += 3;
    return kGoldenRatio;
  }
  if (WordAt("g")) {
    mPos += 1;
    return kGoldenRatio;
  }
  const char* start = mPos;
  if (c == 'r') {
    ++mPos;
    return SquareRoot(ParseUnary(), start);
  }
  for (const FunctionName& f : kFunctions) {
    size_t n = std::strlen(f.name);
    if (size_t(mEnd - mPos) < n || std::strncmp(mPos, f.name, n) != 0) continue;
    const char* p = mPos + n;
    while (p < mEnd && IsEquationBlank(*p)) ++p;
    if (p >= mEnd || *p != '(') break;  // a function name needs its bracket
    mPos = p;
    double argument = ParseBracketedSum();
    switch (f.function) {
      case Function::Sqrt:
        return SquareRoot(argument, start);
      case Function::Cos:
        return Finite(std::cos(argument), start);
      case Function::Sin:
        return Finite(std::sin(argument), start);
      case Function::Tan:
        return Finite(std::tan(argument), start);
      case Function::CosDegrees:
        return Finite(std::cos(argument * kRadiansPerDegree), start);
      case Function::SinDegrees:
        return Finite(std::sin(argument * kRadiansPerDegree), start);
      case Function::TanDegrees:
        return Finite(std::tan(argument * kRadiansPerDegree), start);
    }
  }
  if (WordAt("pi")) {
    mPos += 2;
    return kPi;
  }
  RecordError("Unknown identifier '%.10s'", start);
  MoveToEnd();
  return 0.0;
}

}  // namespace detail_Equation

double ParseEquation(const char* text, const char** error) {
  using namespace detail_Equation;
  if (error != nullptr) *error = nullptr;
  if (IsBlankText(text)) return 0.0;
  gErrorBuffer[0] = '\0';
  Parser parser(text);
  double value = parser.ParseSum();
  if (!parser.AtEnd()) RecordError("Trailing characters: '%.10s'", parser.Position());
  if (!std::isfinite(value)) RecordError("Result is not a finite number");
  if (gErrorBuffer[0] != '\0' && error != nullptr) *error = gErrorBuffer;
  return value;
}

Outcome EquationOutcome(const char* error) {
  if (detail_Equation::IsBlankText(error)) return Outcome::Done();
  return Outcome::RefusedF("Error in equation:\n%s", error);
}

Outcome CheckEquation(const char* text, double* value) {
  const char* error = nullptr;
  const double result = ParseEquation(text, &error);
  if (value) *value = result;
  return EquationOutcome(error);
}

}  // namespace corvia
