#include "core/Strings.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace corvia {

namespace detail_Strings {

int LowerAscii(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u < 128 ? std::tolower(u) : u;
}

int UpperAscii(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u < 128 ? std::toupper(u) : u;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Compares two digit runs by value without converting them, so runs of any length
// order correctly. Sets *endA and *endB after the runs.
int CompareDigitRuns(const char* a, const char* b, const char** endA, const char** endB) {
  while (*a == '0' && IsDigit(a[1])) ++a;
  while (*b == '0' && IsDigit(b[1])) ++b;
  const char* ea = a;
  const char* eb = b;
  while (IsDigit(*ea)) ++ea;
  while (IsDigit(*eb)) ++eb;
  *endA = ea;
  *endB = eb;
  if (ea - a != eb - b) return ea - a < eb - b ? -1 : 1;
  for (; a < ea; ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
  }
  return 0;
}

}  // namespace detail_Strings

char* NewString(size_t n) {
  char* s = new char[n > 0 ? n : 1];
  s[0] = '\0';
  return s;
}

char* CopyString(const char* s) {
  if (!s) return nullptr;
  size_t n = std::strlen(s);
  char* copy = new char[n + 1];
  std::memcpy(copy, s, n + 1);
  return copy;
}

char* CopyStringN(const char* s, size_t n) {
  if (!s) return nullptr;
  size_t length = strnlen(s, n);
  char* copy = new char[length + 1];
  std::memcpy(copy, s, length);
  copy[length] = '\0';
  return copy;
}

void DeleteString(char* s) {
  delete[] s;
}

size_t GetStringMemorySize(const char* s) {
  return s ? std::strlen(s) + 1 : 0;
}

bool IsSpaceChar(int c) {
  return c >= 0 && c < 128 && std::isspace(c);
}

bool IsBlank(const char* s) {
  if (!s) return true;
  return *SkipBlanks(s) == '\0';
}

const char* SkipBlanks(const char* s) {
  while (*s && IsSpaceChar(static_cast<unsigned char>(*s))) ++s;
  return s;
}

char* SkipBlanks(char* s) {
  return const_cast<char*>(SkipBlanks(static_cast<const char*>(s)));
}

const char* SkipNonBlanks(const char* s) {
  while (*s && !IsSpaceChar(static_cast<unsigned char>(*s))) ++s;
  return s;
}

char* SkipNonBlanks(char* s) {
  return const_cast<char*>(SkipNonBlanks(static_cast<const char*>(s)));
}

const char* SkipDigits(const char* s) {
  while (detail_Strings::IsDigit(*s)) ++s;
  return s;
}

char* SkipDigits(char* s) {
  return const_cast<char*>(SkipDigits(static_cast<const char*>(s)));
}

void TrimTrailingBlanks(char* s) {
  if (!s) return;
  size_t n = std::strlen(s);
  while (n > 0 && IsSpaceChar(static_cast<unsigned char>(s[n - 1]))) --n;
  s[n] = '\0';
}

void MakeUpper(char* s) {
  if (!s) return;
  for (; *s; ++s) *s = static_cast<char>(detail_Strings::UpperAscii(*s));
}

bool CharEqualNoCase(char a, char b) {
  return detail_Strings::LowerAscii(a) == detail_Strings::LowerAscii(b);
}

bool IsPathSeparator(char c) {
  return c == '/' || c == '\\';
}

int StrCompare(const char* a, const char* b) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  return std::strcmp(a, b);
}

int StrCompareNoCase(const char* a, const char* b) {
  return StrCompareNNoCase(a, b, static_cast<size_t>(-1));
}

int StrCompareN(const char* a, const char* b, size_t n) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  return std::strncmp(a, b, n);
}

int StrCompareNNoCase(const char* a, const char* b, size_t n) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  for (size_t i = 0; i < n; ++i) {
    int ca = detail_Strings::LowerAscii(a[i]);
    int cb = detail_Strings::LowerAscii(b[i]);
    if (ca != cb) return ca - cb;
    if (ca == 0) break;
  }
  return 0;
}

int StartsWith(const char* s, const char* prefix) {
  if (!prefix) return 0;
  return StrCompareN(s, prefix, std::strlen(prefix));
}

int StartsWithNoCase(const char* s, const char* prefix) {
  if (!prefix) return 0;
  return StrCompareNNoCase(s, prefix, std::strlen(prefix));
}

int CompareNatural(const char* a, const char* b) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  int tieBreak = 0;
  for (;;) {
    char ca = *a;
    char cb = *b;
    if (ca == '\0' || cb == '\0' || ca == '.' || cb == '.') {
      if (ca != cb) {
        // The one at its end first; else the one at its extension (shorter base name).
        if (ca == '\0') return -1;
        if (cb == '\0') return 1;
        return ca == '.' ? -1 : 1;
      }
      if (ca == '\0') return tieBreak;
      if (tieBreak != 0) return tieBreak;
      ++a;
      ++b;
      continue;
    }
    bool da = detail_Strings::IsDigit(ca);
    bool db = detail_Strings::IsDigit(cb);
    if (da != db) return da ? -1 : 1;
    const char* nextA = a + 1;
    const char* nextB = b + 1;
    int difference;
    if (da) {
      difference = detail_Strings::CompareDigitRuns(a, b, &nextA, &nextB);
    } else {
      difference = detail_Strings::LowerAscii(ca) - detail_Strings::LowerAscii(cb);
    }
    if (difference != 0) return difference;
    if (tieBreak == 0) tieBreak = static_cast<unsigned char>(ca) - static_cast<unsigned char>(cb);
    a = nextA;
    b = nextB;
  }
}

void StrCopyN(char* dst, const char* src, size_t size) {
  if (!dst || size == 0) return;
  size_t n = src ? strnlen(src, size - 1) : 0;
  if (n > 0) std::memmove(dst, src, n);
  dst[n] = '\0';
}

void StripTrailingZeros(char* s, int keep) {
  if (!s) return;
  char* point = std::strchr(s, '.');
  if (!point) return;
  // The mantissa ends at an exponent, whose digits are not decimals.
  char* end = point + 1;
  while (*end && *end != 'e' && *end != 'E') ++end;
  char* exponent = end;
  char* minimum = point + 1 + (keep > 0 ? keep : 0);
  while (end > minimum && end[-1] == '0') --end;
  if (end == point + 1) --end;  // a bare point goes too
  if (end != exponent) std::memmove(end, exponent, std::strlen(exponent) + 1);
}

void FormatNumber(char* buffer, size_t size, double x, int decimals) {
  if (!buffer || size == 0) return;
  if (x >= -1e10 && x < 1e10) {
    std::snprintf(buffer, size, "%.*f", decimals, x);
  } else {
    std::snprintf(buffer, size, "%g", x);
  }
  StripTrailingZeros(buffer, 0);
}

size_t Utf8CutLength(const char* text, size_t length, size_t limit) {
  if (limit >= length) return length;
  // A character is at most four bytes: step back over at most three continuation
  // bytes to the start of the character that the limit would split.
  size_t cut = limit;
  for (int i = 0; i < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++i) --cut;
  if ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) return limit;  // not UTF-8: cut at the limit
  return cut;
}

namespace detail_Strings {

// The length of the well-formed UTF-8 character that begins at i; 0 when the byte
// there begins none.
size_t Utf8CharacterLength(std::string_view text, size_t i) {
  const auto byte = [&text](size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char c = byte(i);
  // The length of the character c starts, and the range its second byte must lie in
  // (which rules out overlong forms, surrogates and code points past U+10FFFF).
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (c < 0x80) {
    length = 1;
  } else if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  }
  bool whole = length > 0 && i + length <= text.size();
  for (size_t k = 1; whole && k < length; ++k) {
    const unsigned char next = byte(i + k);
    whole = k == 1 ? next >= low && next <= high : (next & 0xC0) == 0x80;
  }
  return whole ? length : 0;
}

}  // namespace detail_Strings

std::string EscapeNonUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t length = detail_Strings::Utf8CharacterLength(text, i);
    if (length > 0) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[i]));
      out += escaped;
      ++i;
    }
  }
  return out;
}

std::string ReplaceNonText(std::string_view text, size_t* replaced) {
  std::string out;
  out.reserve(text.size());
  size_t count = 0;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool control = c < 0x20 && c != '\t' && c != '\n' && c != '\r';
    const size_t length = control ? 0 : detail_Strings::Utf8CharacterLength(text, i);
    if (length > 0) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out += '?';
      ++count;
      ++i;
    }
  }
  if (replaced) *replaced = count;
  return out;
}

std::string AsSentence(std::string text) {
  if (text.empty()) return text;
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (text.back() != '.') text += '.';
  return text;
}

}  // namespace corvia
