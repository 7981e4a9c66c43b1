// Least-significant-byte-first radix sort of float keys.

#include "core/RadixSorter.h"

#include "core/Progress.h"

#include <algorithm>

#include <cstring>
#include <utility>

namespace corvia {

namespace detail_RadixSorter {

constexpr int kNumBytes = 4;
constexpr int kNumBuckets = 256;

// The float's bits turned so that unsigned order is float order: a negative float
// has all bits flipped (more negative gives a smaller word), a positive one only its
// sign bit. Minus zero is taken as plus zero, so the two keep their order as equal
// keys do.
inline uint32_t OrderedBits(float key) {
  if (key == 0.0f) key = 0.0f;
  uint32_t u = 0;
  std::memcpy(&u, &key, sizeof u);
  return (u & 0x80000000u) ? ~u : (u | 0x80000000u);
}

inline void* ReadLink(void* node, std::ptrdiff_t offset) {
  void* link = nullptr;
  std::memcpy(&link, static_cast<char*>(node) + offset, sizeof link);
  return link;
}

inline void WriteLink(void* node, std::ptrdiff_t offset, void* link) {
  std::memcpy(static_cast<char*>(node) + offset, &link, sizeof link);
}

}  // namespace detail_RadixSorter

void RadixSorter::Grow(unsigned count) {
  mIndices = std::make_unique<unsigned[]>(count);
  mIndices2 = std::make_unique<unsigned[]>(count);
  mKeys = std::make_unique<float[]>(count);
  mBits = std::make_unique<uint32_t[]>(count);
  mNodes = std::make_unique<void*[]>(count);
  mCapacity = count;
}

void RadixSorter::FreeAll() {
  mIndices.reset();
  mIndices2.reset();
  mKeys.reset();
  mBits.reset();
  mNodes.reset();
  mCapacity = 0;
  mPreviousCount = 0;
}

void RadixSorter::Sort(const float* keys, unsigned count) {
  if (keys == nullptr || count == 0) return;
  if (count != mPreviousCount) {
    if (count > mCapacity) Grow(count);
    for (unsigned j = 0; j < count; ++j) mIndices[j] = j;
    mPreviousCount = count;
  }
  // With the same count the last order is the starting order: from one frame to the
  // next a depth order hardly changes, and an order that still holds costs one sweep.
  SortFromCurrentOrder(keys, count);
}

void RadixSorter::SortFromCurrentOrder(const float* keys, unsigned count) {
  using namespace detail_RadixSorter;
  ++mNumSorts;

  uint32_t* bits = mBits.get();
  unsigned histogram[kNumBytes][kNumBuckets] = {};
  bool inOrder = true;
  uint32_t last = 0;
  for (unsigned j = 0; j < count; ++j) {
    const unsigned item = mIndices[j];
    const uint32_t b = OrderedBits(keys[item]);
    bits[item] = b;
    for (int p = 0; p < kNumBytes; ++p) ++histogram[p][(b >> (8 * p)) & 0xFF];
    if (b < last) inOrder = false;
    last = b;
  }
  if (inOrder) {
    ++mNumAlreadySorted;
    return;
  }

  // Each pass scatters the indices by one byte in their current order, so equal
  // bytes keep the order of the earlier passes: the whole sort is stable. Keys that
  // are negative sort correctly without a special last pass, because their words
  // were flipped (reversing the buckets of negative keys instead, as a plain float
  // radix sort does, would reverse equal negative keys too).
  for (int p = 0; p < kNumBytes; ++p) {
    const unsigned* h = histogram[p];
    const unsigned shift = 8u * static_cast<unsigned>(p);
    if (h[(bits[mIndices[0]] >> shift) & 0xFF] == count) continue;  // every key has this byte
    unsigned offset[kNumBuckets];
    unsigned running = 0;
    for (int k = 0; k < kNumBuckets; ++k) {
      offset[k] = running;
      running += h[k];
    }
    unsigned* to = mIndices2.get();
    for (unsigned j = 0; j < count; ++j) {
      const unsigned item = mIndices[j];
      to[offset[(bits[item] >> shift) & 0xFF]++] = item;
    }
    std::swap(mIndices, mIndices2);
  }
}

void* RadixSorter::SortByCallback(void* head, unsigned count, unsigned flags, std::ptrdiff_t keyOffset,
                                  const KeyFunction& keyFunction, std::ptrdiff_t nextOffset, std::ptrdiff_t prevOffset,
                                  void** outTail) {
  using namespace detail_RadixSorter;
  if (outTail != nullptr) *outTail = nullptr;
  if (head == nullptr) return nullptr;
  if (count == 0)
    for (void* node = head; node != nullptr; node = ReadLink(node, nextOffset)) ++count;
  if (count > mCapacity) Grow(count);

  // Collect at most count nodes; a list shorter than the count given is sorted as
  // far as it goes.
  unsigned n = 0;
  void* lastNode = nullptr;
  for (void* node = head; node != nullptr && n < count; node = ReadLink(node, nextOffset)) {
    float key = 0.0f;
    if (keyOffset >= 0)
      std::memcpy(&key, static_cast<char*>(node) + keyOffset, sizeof key);
    else if (keyFunction)
      key = static_cast<float>(keyFunction(node));
    mNodes[n] = node;
    mKeys[n] = key;
    lastNode = node;
    ++n;
  }
  void* rest = ReadLink(lastNode, nextOffset);  // nodes beyond the count stay behind the sorted ones

  // The list itself carries the last order, so the sort starts from list order; the
  // order of an earlier sort would scramble it, and with it the order of equal keys.
  for (unsigned j = 0; j < n; ++j) mIndices[j] = j;
  mPreviousCount = n;
  SortFromCurrentOrder(mKeys.get(), n);

  if (flags & kOrderOnly) {
    if (outTail != nullptr) *outTail = lastNode;
    return head;
  }

  void* previous = nullptr;
  for (unsigned j = 0; j < n; ++j) {
    void* node = mNodes[mIndices[j]];
    if (previous != nullptr) WriteLink(previous, nextOffset, node);
    if (prevOffset >= 0) WriteLink(node, prevOffset, previous);
    previous = node;
  }
  WriteLink(previous, nextOffset, rest);
  if (rest != nullptr && prevOffset >= 0) WriteLink(rest, prevOffset, previous);
  if (outTail != nullptr) *outTail = previous;
  return mNodes[mIndices[0]];
}

namespace detail_RadixSorter {

// The radix sort of SortByKey, for entries whose key keyOf gives.
template <typename Entry, typename KeyOf>
void RadixSortByKey(std::vector<Entry>& entries, KeyOf keyOf) {
  constexpr int kDigitBits = 11;
  constexpr size_t kDigits = size_t{1} << kDigitBits;
  if (entries.empty()) return;
  uint64_t differing = 0;
  for (const Entry& e : entries) differing |= keyOf(e) ^ keyOf(entries.front());
  // Millions of keys (the sides of a million-face model) take a good part of a second:
  // the window answers along the passes. The sort goes on to its end; a cancel taken
  // here is kept for the caller's next report. Short sorts make no report.
  constexpr unsigned kKeysATick = ProgressTicker::kPasses * 256;
  const bool large = entries.size() >= kKeysATick;
  std::vector<Entry> other;
  AssignAnsweringTheWindow(other, entries.size(), Entry());
  std::vector<size_t> start(kDigits + 1);
  ProgressTicker tick(kKeysATick);
  for (int shift = 0; shift < 64; shift += kDigitBits) {
    if (((differing >> shift) & (kDigits - 1)) == 0) continue;
    std::fill(start.begin(), start.end(), 0);
    for (const Entry& e : entries) {
      if (large) (void)tick();
      ++start[((keyOf(e) >> shift) & (kDigits - 1)) + 1];
    }
    for (size_t d = 0; d < kDigits; ++d) start[d + 1] += start[d];
    for (const Entry& e : entries) {
      if (large) (void)tick();
      other[start[(keyOf(e) >> shift) & (kDigits - 1)]++] = e;
    }
    entries.swap(other);
  }
}

}  // namespace detail_RadixSorter

void SortByKey(std::vector<KeyedEntry>& entries) {
  detail_RadixSorter::RadixSortByKey(entries, [](const KeyedEntry& e) { return e.key; });
}

void SortByKey(std::vector<uint64_t>& keys) {
  detail_RadixSorter::RadixSortByKey(keys, [](uint64_t key) { return key; });
}

}  // namespace corvia
