#pragma once
// Plain C-string helpers: blanks, null-safe comparison, owned copies, number
// formatting and the natural order of file names. Strings are 8-bit and
// zero-terminated (UTF-8 inside the program); "blank" is the C isspace test for
// codes 0-127 and never holds for bytes 128-255, so UTF-8 text is never split.

#include <cstddef>
#include <string>
#include <string_view>

namespace corvia {

// ---------------------------------------------------------------------------
// Owned strings: allocated here, released with DeleteString.

// n bytes (at least one) holding the empty string.
char* NewString(size_t n);
// A new copy; null gives null.
char* CopyString(const char* s);
// A new copy of at most n characters; null gives null.
char* CopyStringN(const char* s, size_t n);
// Releases an owned string; null is ignored.
void DeleteString(char* s);
// Length + 1, 0 for null.
size_t GetStringMemorySize(const char* s);

// ---------------------------------------------------------------------------
// Blanks and characters.

bool IsSpaceChar(int c);
// True for null or a string of blanks only.
bool IsBlank(const char* s);
// First character that is not a blank.
const char* SkipBlanks(const char* s);
char* SkipBlanks(char* s);
// First blank, or the end.
const char* SkipNonBlanks(const char* s);
char* SkipNonBlanks(char* s);
// First character that is not a decimal digit.
const char* SkipDigits(const char* s);
char* SkipDigits(char* s);
// Removes trailing blanks in place.
void TrimTrailingBlanks(char* s);
// ASCII letters to upper case in place.
void MakeUpper(char* s);
bool CharEqualNoCase(char a, char b);
// '/' or '\\' (the latter from paths written on Windows).
bool IsPathSeparator(char c);

// ---------------------------------------------------------------------------
// Comparison. Null-safe: a null string sorts before any other.

int StrCompare(const char* a, const char* b);
int StrCompareNoCase(const char* a, const char* b);
int StrCompareN(const char* a, const char* b, size_t n);
int StrCompareNNoCase(const char* a, const char* b, size_t n);
// 0 when s begins with the prefix, non-zero otherwise (a null prefix matches).
int StartsWith(const char* s, const char* prefix);
int StartsWithNoCase(const char* s, const char* prefix);
// The order of file lists and version texts: digit runs compare by value, other
// characters ignoring case; a shorter base name first; case or leading zeros decide
// only when nothing else does.
int CompareNatural(const char* a, const char* b);

// ---------------------------------------------------------------------------
// Copies and numbers.

// Copies at most size - 1 characters and always terminates (nothing for size 0).
void StrCopyN(char* dst, const char* src, size_t size);
// After the decimal point removes trailing zeros (then a bare point), keeping at
// least `keep` decimals. An exponent ("1.50e+10") is kept and only the mantissa is
// stripped; a string without a point is unchanged.
void StripTrailingZeros(char* s, int keep);
// "%.*f" with the decimals for -1e10 <= x < 1e10, else "%g"; trailing zeros stripped.
void FormatNumber(char* buffer, size_t size, double x, int decimals);
template <size_t N>
void FormatNumber(char (&buffer)[N], double x, int decimals) {
  FormatNumber(buffer, N, x, decimals);
}

// ---------------------------------------------------------------------------
// UTF-8: the largest length n <= limit (and <= length) at which the text can be cut
// without splitting a character.
size_t Utf8CutLength(const char* text, size_t length, size_t limit);
// The text with every byte that is no part of a well-formed UTF-8 character written
// as "\xNN" (a file name of another encoding, say), so that a window shows it
// instead of nothing; well-formed text comes back as it is.
std::string EscapeNonUtf8(std::string_view text);
// The text with every byte that is no part of a well-formed UTF-8 character, and every
// control character but tab, line feed and carriage return, replaced by "?" (text read
// from a file of another encoding, or damaged); the count of bytes replaced goes to
// *replaced. Text that is all well-formed comes back as it is.
std::string ReplaceNonText(std::string_view text, size_t* replaced);
// A reason given in words ("it is a folder") as a sentence of its own: its first
// letter a capital, a full stop at its end.
std::string AsSentence(std::string text);

}  // namespace corvia
