#pragma once
// A small pseudo-random generator of our own with values uniform over 0..32767, so
// that anything built from random start positions (the spring relaxation) comes out
// the same on every platform and with every C library.

#include <cstdint>

namespace corvia {

constexpr int kRandom15Max = 32767;
constexpr uint32_t kRandom15DefaultSeed = 1;

class Random15 {
 public:
  explicit Random15(uint32_t seed = kRandom15DefaultSeed) : mState(seed) {}
  void Seed(uint32_t seed) { mState = seed; }
  // The next value, 0 .. kRandom15Max.
  int Next();

 private:
  uint32_t mState;
};

}  // namespace corvia
