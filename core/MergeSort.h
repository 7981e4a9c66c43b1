#pragma once
// The one sorting helper for comparators that are not strict orders.
//
// Geometric comparators compare within a tolerance, so they are not transitive and
// std::sort may read out of bounds or loop on them. This is a bottom-up merge sort:
// it only ever compares two elements inside the range and writes each element once
// per pass, so whatever the comparator answers it stays in bounds and finishes in
// O(n log n) comparisons. Ties keep their original order (the element index decides),
// so the result is the same on every machine.

#include <cstddef>
#include <utility>
#include <vector>

namespace corvia {

// Sorts `items` by `compare(a, b)`, a three-way comparison returning a negative
// number, zero or a positive number. Equal items keep their order.
template <typename T, typename Compare>
void MergeSort(std::vector<T>& items, Compare compare) {
  const size_t n = items.size();
  if (n < 2) return;
  std::vector<T> buffer(items.begin(), items.end());
  std::vector<T>* from = &items;
  std::vector<T>* to = &buffer;
  // Merges the runs [low, low + width) and [low + width, low + 2 width) of *from into *to.
  auto merge = [&compare, n](std::vector<T>& in, std::vector<T>& out, size_t low, size_t width) {
    const size_t mid = low + width < n ? low + width : n;
    const size_t high = low + 2 * width < n ? low + 2 * width : n;
    size_t i = low, j = mid, k = low;
    while (i < mid && j < high) {
      // Take from the right run only when it is strictly smaller: stable.
      if (compare(in[j], in[i]) < 0) {
        out[k++] = std::move(in[j++]);
      } else {
        out[k++] = std::move(in[i++]);
      }
    }
    while (i < mid) out[k++] = std::move(in[i++]);
    while (j < high) out[k++] = std::move(in[j++]);
  };
  // The passes over runs shorter than a block are made block by block, while the block
  // lies in the cache. Every such merge stays inside its block, so the merges are the
  // same as those of whole passes.
  constexpr size_t kBlock = 1024;
  size_t width = 1;
  for (size_t begin = 0; begin < n; begin += kBlock) {
    const size_t end = begin + kBlock < n ? begin + kBlock : n;
    std::vector<T>* in = &items;
    std::vector<T>* out = &buffer;
    for (width = 1; width < n && width < kBlock; width *= 2) {
      for (size_t low = begin; low < end; low += 2 * width) merge(*in, *out, low, width);
      std::swap(in, out);
    }
  }
  for (size_t w = 1; w < width; w *= 2) std::swap(from, to);
  for (; width < n; width *= 2) {
    for (size_t low = 0; low < n; low += 2 * width) merge(*from, *to, low, width);
    std::swap(from, to);
  }
  if (from != &items) items = std::move(*from);
}

// Sorts the indices 0 .. count-1 by `compare(i, j)` on the indices; ties keep the
// smaller index first.
template <typename Compare>
std::vector<int> MergeSortIndices(int count, Compare compare) {
  std::vector<int> order;
  if (count <= 0) return order;
  order.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) order.push_back(i);
  MergeSort(order, compare);
  return order;
}

}  // namespace corvia
