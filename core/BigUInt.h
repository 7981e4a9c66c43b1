#pragma once
// An unsigned integer of any size, for counts that outgrow 64 bits: stellations
// allowed by Miller's rules, facetings found, orientation combinations of
// augmentations. It does exactly what those counts need: adding, subtracting,
// multiplying and dividing by one word, shifting, parsing and printing in decimal.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvia {

class BigUInt {
 public:
  // No words yet: reads as zero.
  BigUInt() = default;
  // One word holding the value.
  BigUInt(uint32_t value) : mWords{value} {}  // NOLINT: counts are set from plain values

  BigUInt(const BigUInt&) = default;
  BigUInt(BigUInt&&) noexcept = default;
  BigUInt& operator=(const BigUInt& other) = default;
  BigUInt& operator=(BigUInt&& other) noexcept = default;
  // Resets to a single word holding the value.
  BigUInt& operator=(uint32_t value);

  // Adds a word with carry; a carry out of the top word appends a word holding 1.
  BigUInt& operator+=(uint32_t value);
  BigUInt& operator+=(const BigUInt& other);
  // Subtracts in place. A result that would be negative shows an internal error and
  // leaves zero. The word count is not trimmed.
  BigUInt& operator-=(const BigUInt& other);
  BigUInt& operator*=(uint32_t factor);

  // Adds one in place and gives the new value.
  const BigUInt& operator++();
  // Adds one in place and gives a copy of the old value.
  BigUInt PostIncrement();

  // Shifts left by the given number of bits, growing first so no bit is lost.
  void ShiftLeft(int bits);
  // Divides in place and returns the remainder; a divisor 0 leaves the number and
  // returns 0.
  uint32_t DivideBy(uint32_t divisor);
  // Appends n zero high words (nothing for n <= 0).
  void Grow(int n);
  // Drops zero high words; at least one word stays.
  void Trim();

  bool IsZero() const;
  // Number of decimal digits, 1 for zero.
  int CountDigits() const;
  // The decimal digits and a terminating zero when they fit in size - 1 characters;
  // else ">" and size - 2 nines, so a narrow field shows that the count overflows it.
  void ToString(char* buffer, int size) const;
  // Sets the number from text after leading blanks: "0x" hexadecimal, a leading "0"
  // octal, else decimal; reading stops at the first other character; text that
  // starts with anything else gives 0.
  void Parse(const char* text);

  int Count() const { return int(mWords.size()); }
  uint32_t Word(int i) const { return mWords[size_t(i)]; }

 private:
  // Least significant word first.
  std::vector<uint32_t> mWords;
};

}  // namespace corvia
