#include "core/Outcome.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace corvia {

namespace {

std::string FormatText(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  return std::string(buffer.data(), static_cast<size_t>(length));
}

}  // namespace

Outcome Outcome::RefusedF(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatText(format, args);
  va_end(args);
  return Refused(std::move(text));
}

Outcome Outcome::FailedF(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatText(format, args);
  va_end(args);
  return Failed(std::move(text));
}

}  // namespace corvia
