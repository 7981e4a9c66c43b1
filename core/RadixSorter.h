#pragma once
// Sorts items by 32-bit float keys, least significant byte first. Tuned for depth
// sorting frame after frame: the order of the last sort is the starting order of the
// next one of the same size, and an input already in order costs one sweep.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace corvia {

class RadixSorter {
 public:
  // SortByCallback flag: compute the order only, leave the list links alone.
  static constexpr unsigned kOrderOnly = 0x1;

  using KeyFunction = std::function<double(void* node)>;

  RadixSorter() = default;
  RadixSorter(const RadixSorter&) = delete;
  RadixSorter& operator=(const RadixSorter&) = delete;

  // Sorts count keys ascending (more negative first; -0 and +0 are equal).
  // Afterwards GetIndices()[j] is the index of the key in place j. The sort is
  // stable with respect to its starting order: the order of the last sort when the
  // count is unchanged, else the index order. Nothing happens for no keys or a
  // count of 0.
  void Sort(const float* keys, unsigned count);

  // Sorts an intrusive singly linked list that starts at head. The next link is the
  // pointer at nextOffset in each node; a count of 0 counts the list first. The key
  // of a node is the float at keyOffset when keyOffset >= 0, else keyFunction(node)
  // held as a float. Unless flags has kOrderOnly, the nodes are relinked in
  // ascending key order (stable with respect to the list order), previous links at
  // prevOffset are set when prevOffset >= 0, the last node goes to *outTail (when
  // given) and the new head is returned; the last node's next link is null (or, when
  // count is shorter than the list, the first node not sorted). With kOrderOnly the
  // list is untouched, *outTail gets its last sorted node and GetIndices() gives the
  // order as positions in the list. An empty list gives null and a null tail.
  void* SortByCallback(void* head, unsigned count, unsigned flags, std::ptrdiff_t keyOffset,
                       const KeyFunction& keyFunction, std::ptrdiff_t nextOffset, std::ptrdiff_t prevOffset,
                       void** outTail);

  // The sorted order of the last sort (count entries).
  const unsigned* GetIndices() const { return mIndices.get(); }
  unsigned GetCount() const { return mPreviousCount; }
  // Statistics: sorts made, and how many found their input already in order.
  unsigned GetNumSorts() const { return mNumSorts; }
  unsigned GetNumAlreadySorted() const { return mNumAlreadySorted; }

  // Frees the arrays; the next sort starts from the identity order.
  void FreeAll();

 private:
  void Grow(unsigned count);
  // The sort proper, from the current contents of mIndices.
  void SortFromCurrentOrder(const float* keys, unsigned count);

  unsigned mCapacity = 0;
  unsigned mPreviousCount = 0;
  std::unique_ptr<unsigned[]> mIndices;
  std::unique_ptr<unsigned[]> mIndices2;
  std::unique_ptr<float[]> mKeys;
  // The keys as unsigned words whose order is the order of the floats.
  std::unique_ptr<uint32_t[]> mBits;
  std::unique_ptr<void*[]> mNodes;
  unsigned mNumSorts = 0;
  unsigned mNumAlreadySorted = 0;
};

// A 64-bit key to sort by and what it belongs to.
struct KeyedEntry {
  uint64_t key;
  int32_t value;
};

// Sorts by key, ascending, keeping the order of entries with equal keys: a
// least-significant-digit radix sort, eleven bits at a time, that passes over the
// digits in which all keys agree.
void SortByKey(std::vector<KeyedEntry>& entries);
// Sorts plain 64-bit keys, ascending, the same way.
void SortByKey(std::vector<uint64_t>& keys);

// Sorts items in place with nothing held beside them but 2^12 counts: each item is
// swapped into the bucket of the top 12 bits of its 64-bit key, keyOf(item), and
// each bucket is then sorted by `less`, which must order by the key first.
template <typename Item, typename KeyOf, typename Less>
void SortInPlaceByTopBits(std::vector<Item>& items, KeyOf keyOf, Less less) {
  constexpr int kBucketBits = 12;
  constexpr size_t kBuckets = size_t{1} << kBucketBits;
  auto bucketOf = [&keyOf](const Item& item) { return static_cast<size_t>(keyOf(item) >> (64 - kBucketBits)); };
  std::vector<size_t> bucketStart(kBuckets + 1, 0);
  for (const Item& item : items) ++bucketStart[bucketOf(item) + 1];
  for (size_t d = 0; d < kBuckets; ++d) bucketStart[d + 1] += bucketStart[d];
  {
    // Each bucket's items are swapped into place from its front.
    std::vector<size_t> filled(bucketStart.begin(), bucketStart.end() - 1);
    for (size_t bucket = 0; bucket < kBuckets; ++bucket) {
      while (filled[bucket] < bucketStart[bucket + 1]) {
        Item& item = items[filled[bucket]];
        const size_t home = bucketOf(item);
        if (home == bucket) {
          ++filled[bucket];
        } else {
          std::swap(item, items[filled[home]++]);
        }
      }
    }
  }
  for (size_t bucket = 0; bucket < kBuckets; ++bucket) {
    std::sort(items.begin() + static_cast<std::ptrdiff_t>(bucketStart[bucket]),
              items.begin() + static_cast<std::ptrdiff_t>(bucketStart[bucket + 1]), less);
  }
}

}  // namespace corvia
