#include "core/BigUInt.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "core/Messages.h"

namespace corvia {

namespace detail_BigUInt {

int BitLength(uint32_t v) {
  int bits = 0;
  while (v != 0) {
    ++bits;
    v >>= 1;
  }
  return bits;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Decimal digits of the number, most significant first ("0" for zero).
std::string DecimalDigits(BigUInt value) {
  constexpr uint32_t kChunk = 1000000000u;  // nine digits at a time
  std::string reversed;
  value.Trim();
  do {
    uint32_t chunk = value.DivideBy(kChunk);
    bool last = value.IsZero();
    for (int i = 0; i < 9; ++i) {
      reversed.push_back(char('0' + chunk % 10));
      chunk /= 10;
      if (last && chunk == 0) break;
    }
  } while (!value.IsZero());
  std::reverse(reversed.begin(), reversed.end());
  return reversed;
}

}  // namespace detail_BigUInt

BigUInt& BigUInt::operator=(uint32_t value) {
  mWords.assign(1, value);
  return *this;
}

BigUInt& BigUInt::operator+=(uint32_t value) {
  if (mWords.empty()) {
    mWords.assign(1, value);
    return *this;
  }
  uint64_t carry = value;
  for (size_t i = 0; i < mWords.size() && carry != 0; ++i) {
    uint64_t sum = uint64_t(mWords[i]) + carry;
    mWords[i] = uint32_t(sum);
    carry = sum >> 32;
  }
  if (carry != 0) mWords.push_back(1);
  return *this;
}

BigUInt& BigUInt::operator+=(const BigUInt& other) {
  size_t n = std::max(mWords.size(), other.mWords.size()) + 1;
  std::vector<uint32_t> sum(n, 0);
  uint64_t carry = 0;
  for (size_t i = 0; i < n; ++i) {
    uint64_t a = i < mWords.size() ? mWords[i] : 0;
    uint64_t b = i < other.mWords.size() ? other.mWords[i] : 0;
    uint64_t s = a + b + carry;
    sum[i] = uint32_t(s);
    carry = s >> 32;
  }
  mWords = std::move(sum);
  Trim();
  return *this;
}

BigUInt& BigUInt::operator-=(const BigUInt& other) {
  bool negative = false;
  for (size_t i = mWords.size(); i < other.mWords.size(); ++i) {
    if (other.mWords[i] != 0) negative = true;
  }
  uint64_t borrow = 0;
  if (!negative) {
    for (size_t i = 0; i < mWords.size(); ++i) {
      uint64_t b = (i < other.mWords.size() ? other.mWords[i] : 0) + borrow;
      uint64_t a = mWords[i];
      borrow = a < b ? 1 : 0;
      mWords[i] = uint32_t(a - b);  // wraps modulo 2^32 like the word it stands for
    }
  }
  if (negative || borrow != 0) {
    ShowInternalError("BigUInt::operator-=: must not become negative");
    mWords.assign(1, 0);
  }
  return *this;
}

BigUInt& BigUInt::operator*=(uint32_t factor) {
  Trim();
  int bits = (Count() - 1) * 32 + detail_BigUInt::BitLength(mWords.back()) + detail_BigUInt::BitLength(factor);
  int words = (bits + 31) / 32;
  if (words > Count()) Grow(words - Count());
  uint64_t carry = 0;
  for (uint32_t& word : mWords) {
    uint64_t product = uint64_t(word) * factor + carry;
    word = uint32_t(product);
    carry = product >> 32;
  }
  Trim();
  return *this;
}

const BigUInt& BigUInt::operator++() {
  *this += 1u;
  return *this;
}

BigUInt BigUInt::PostIncrement() {
  BigUInt old = *this;
  *this += 1u;
  return old;
}

void BigUInt::ShiftLeft(int bits) {
  if (bits <= 0 || mWords.empty()) return;
  // Whole words first, so any shift count is sound.
  if (bits >= 32) {
    mWords.insert(mWords.begin(), size_t(bits / 32), 0u);
    bits %= 32;
    if (bits == 0) return;
  }
  if ((mWords.back() >> (32 - bits)) != 0) mWords.push_back(0);
  for (size_t i = mWords.size(); i-- > 0;) {
    uint32_t low = i > 0 ? mWords[i - 1] >> (32 - bits) : 0;
    mWords[i] = (mWords[i] << bits) | low;
  }
}

uint32_t BigUInt::DivideBy(uint32_t divisor) {
  if (divisor == 0) return 0;
  if (mWords.empty()) {
    Trim();
    return 0;
  }
  // Remainder times 2^32 plus a word needs 64 bits.
  uint64_t remainder = 0;
  for (size_t i = mWords.size(); i-- > 0;) {
    uint64_t current = (remainder << 32) | mWords[i];
    mWords[i] = uint32_t(current / divisor);
    remainder = current % divisor;
  }
  Trim();
  return uint32_t(remainder);
}

void BigUInt::Grow(int n) {
  if (n <= 0) return;
  mWords.insert(mWords.end(), size_t(n), 0u);
}

void BigUInt::Trim() {
  while (mWords.size() > 1 && mWords.back() == 0) mWords.pop_back();
  if (mWords.empty()) mWords.push_back(0);
}

bool BigUInt::IsZero() const {
  for (uint32_t word : mWords) {
    if (word != 0) return false;
  }
  return true;
}

int BigUInt::CountDigits() const {
  return int(detail_BigUInt::DecimalDigits(*this).size());
}

void BigUInt::ToString(char* buffer, int size) const {
  // A buffer of fewer than 2 characters cannot hold the overflow mark.
  if (buffer == nullptr || size <= 0) return;
  std::string digits = detail_BigUInt::DecimalDigits(*this);
  if (int(digits.size()) <= size - 1) {
    std::memcpy(buffer, digits.c_str(), digits.size() + 1);
    return;
  }
  if (size == 1) {
    buffer[0] = '\0';
    return;
  }
  buffer[0] = '>';
  std::memset(buffer + 1, '9', size_t(size - 2));
  buffer[size - 1] = '\0';
}

void BigUInt::Parse(const char* text) {
  mWords.assign(1, 0);
  if (text == nullptr) return;
  while (*text != '\0' && (unsigned char)*text < 128 && std::isspace((unsigned char)*text)) ++text;
  uint32_t base = 10;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text += 2;
  } else if (text[0] == '0') {
    base = 8;
    ++text;
  }
  for (; *text != '\0'; ++text) {
    int digit = detail_BigUInt::DigitValue(*text);
    if (digit >= int(base)) break;
    *this *= base;
    *this += uint32_t(digit);
  }
}

}  // namespace corvia
