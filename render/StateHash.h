#pragma once
// A word-by-word hash of the state that something a drawing keeps between frames was
// made of: what is kept is drawn again while the hash of the state now is the same.

#include <cstdint>
#include <cstring>

namespace corvia {

class StateHash {
 public:
  void Add(uint64_t v) {
    mHash ^= v;
    mHash *= 0x100000001b3ull;
    mHash ^= mHash >> 29;
  }
  void Add(const void* p) { Add(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p))); }
  void Add(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    Add(bits);
  }
  void Add(const float* v, int n) {
    for (int i = 0; i < n; ++i) {
      uint32_t bits;
      std::memcpy(&bits, &v[i], sizeof bits);
      Add(static_cast<uint64_t>(bits));
    }
  }
  uint64_t Get() const { return mHash; }

 private:
  uint64_t mHash = 0xcbf29ce484222325ull;
};

}  // namespace corvia
