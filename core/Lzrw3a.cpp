#include "core/Lzrw3a.h"

#include <cstring>
#include <memory>

namespace corvia {

namespace detail_Lzrw3a {

// Every table slot starts out referring to the first byte of this string, so a copy
// item can copy from it before any data exist.
constexpr char kSeed[] = "123456789012345678";
constexpr uint32_t kSeedLength = 18;

constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 18;
// With this many source bytes left, 16 items of at most 18 bytes always fit.
constexpr uint32_t kGroupSafeLength = 16 * kMaxMatch;
constexpr uint32_t kBucketMask = 0x1FF;
constexpr uint32_t kControlTop = 0xFFFF0000u;
constexpr uint32_t kControlItemBit = 0x10000u;
constexpr int kNoBucket = -1;

// Table slots hold positions in one address space: 0 to 17 is the seed, the data
// (source when compressing, output when decompressing) starts at kSeedLength.
struct Table {
  uint32_t* slots;
  uint32_t cycle = 0;

  void Reset() {
    for (uint32_t i = 0; i < kLzrw3aTableEntries; ++i) slots[i] = 0;
    cycle = 0;
  }
  // Writes the position into the bucket's slot chosen by the cycle, which goes round
  // the 8 slots whichever bucket receives the position.
  void Insert(uint32_t bucket, uint32_t dataPosition) {
    slots[bucket * kLzrw3aBucketDepth + cycle] = dataPosition + kSeedLength;
    cycle = (cycle + 1) & (kLzrw3aBucketDepth - 1);
  }
};

// Bucket of the three bytes at p. Only bits 4 to 12 of the product count.
inline uint32_t HashBucket(const uint8_t* p) {
  uint32_t key = (uint32_t(p[0]) << 8) ^ (uint32_t(p[1]) << 4) ^ uint32_t(p[2]);
  return ((key * uint32_t(-417)) >> 4) & kBucketMask;
}

uint32_t* AlignedTable(void* workMemory) {
  auto address = reinterpret_cast<uintptr_t>(workMemory);
  address = (address + 3) & ~uintptr_t(3);
  return reinterpret_cast<uint32_t*>(address);
}

bool StoreBlock(const uint8_t* source, uint32_t sourceLength, uint8_t* destination, uint32_t* destinationLength) {
  destination[0] = kLzrw3aFlagStored;
  destination[1] = destination[2] = destination[3] = 0;
  if (sourceLength > 0) std::memcpy(destination + kLzrw3aFlagBytes, source, sourceLength);
  *destinationLength = sourceLength + kLzrw3aFlagBytes;
  return true;
}

bool Compress(uint32_t* tableSlots, const uint8_t* src, uint32_t n, uint8_t* dst, uint32_t* dstLength) {
  if (n > kLzrw3aMaxLength || *dstLength < n + kLzrw3aCompressOverrun) {
    *dstLength = 0;
    return false;
  }
  Table table{tableSlots};
  table.Reset();
  const auto* seed = reinterpret_cast<const uint8_t*>(kSeed);
  // Byte at a table position (seed or source).
  auto byteAt = [&](uint32_t position) {
    return position < kSeedLength ? seed[position] : src[position - kSeedLength];
  };

  dst[0] = kLzrw3aFlagCompressed;
  dst[1] = dst[2] = dst[3] = 0;
  uint32_t out = kLzrw3aFlagBytes;
  uint32_t controlPos = out;
  out += 2;
  uint32_t control = kControlTop;
  uint32_t p = 0;
  // Buckets of the literals one and two items back, whose positions are inserted
  // only once the next three bytes are known to the decompressor as well.
  int waiting1 = kNoBucket;
  int waiting2 = kNoBucket;

  for (;;) {
    if (out > n) return StoreBlock(src, n, dst, dstLength);
    uint32_t remaining = n - p;
    if (remaining == 0) break;
    int items = remaining >= kGroupSafeLength ? 16 : 1;
    for (int item = 0; item < items; ++item) {
      remaining = n - p;
      uint32_t bucket = 0;
      uint32_t bestLength = 0;
      uint32_t bestIndex = 0;
      if (remaining >= kMaxMatch) {
        bucket = HashBucket(src + p);
        for (uint32_t slot = 0; slot < kLzrw3aBucketDepth && bestLength < kMaxMatch; ++slot) {
          uint32_t index = bucket * kLzrw3aBucketDepth + slot;
          uint32_t q = table.slots[index];
          // Only a strictly longer match can replace the best one: look first at the
          // byte just past it.
          if (byteAt(q + bestLength) != src[p + bestLength]) continue;
          uint32_t length = 0;
          while (length < kMaxMatch && byteAt(q + length) == src[p + length]) ++length;
          if (length > bestLength) {
            bestLength = length;
            bestIndex = index;
          }
        }
      }
      if (bestLength < kMinMatch) {
        dst[out++] = src[p];
        control &= ~kControlItemBit;
        if (waiting2 != kNoBucket) table.Insert(uint32_t(waiting2), p - 2);
        waiting2 = waiting1;
        waiting1 = int(bucket);
        p += 1;
      } else {
        dst[out++] = uint8_t(((bestIndex >> 4) & 0xF0) | (bestLength - kMinMatch));
        dst[out++] = uint8_t(bestIndex & 0xFF);
        if (waiting1 != kNoBucket) {
          if (waiting2 != kNoBucket) table.Insert(uint32_t(waiting2), p - 2);
          table.Insert(uint32_t(waiting1), p - 1);
          waiting1 = waiting2 = kNoBucket;
        }
        table.Insert(bucket, p);
        p += bestLength;
      }
      control >>= 1;
      if (control < kControlItemBit) {
        dst[controlPos] = uint8_t(control & 0xFF);
        dst[controlPos + 1] = uint8_t((control >> 8) & 0xFF);
        controlPos = out;
        out += 2;
        control = kControlTop;
      }
    }
  }

  // The bits of absent items in the last group stay 1.
  while (control >= kControlItemBit) control >>= 1;
  dst[controlPos] = uint8_t(control & 0xFF);
  dst[controlPos + 1] = uint8_t((control >> 8) & 0xFF);
  // A control word with no item after it is not part of the block.
  *dstLength = (out == controlPos + 2) ? controlPos : out;
  return true;
}

bool Decompress(uint32_t* tableSlots, const uint8_t* src, uint32_t n, uint8_t* dst, uint32_t* dstLength) {
  const uint32_t capacity = *dstLength;
  *dstLength = 0;
  if (n < kLzrw3aFlagBytes || n > kLzrw3aMaxLength) return false;
  if (src[0] == kLzrw3aFlagStored) {
    uint32_t length = n - kLzrw3aFlagBytes;
    if (length > capacity) return false;
    if (length > 0) std::memcpy(dst, src + kLzrw3aFlagBytes, length);
    *dstLength = length;
    return true;
  }
  if (src[0] != kLzrw3aFlagCompressed) return false;

  Table table{tableSlots};
  table.Reset();
  const auto* seed = reinterpret_cast<const uint8_t*>(kSeed);
  uint32_t in = kLzrw3aFlagBytes;
  uint32_t out = 0;
  uint32_t literalsNotHashed = 0;
  uint32_t control = 1;  // only the marker bit: the next control word is due

  while (in < n) {
    if (control == 1) {
      if (n - in < 2) return false;  // half a control word
      control = uint32_t(src[in]) | (uint32_t(src[in + 1]) << 8) | kControlItemBit;
      in += 2;
      if (in == n) break;
    }
    bool isCopy = (control & 1) != 0;
    control >>= 1;
    if (isCopy) {
      if (n - in < 2) return false;  // copy item cut off
      uint32_t b0 = src[in];
      uint32_t b1 = src[in + 1];
      in += 2;
      uint32_t index = ((b0 & 0xF0) << 4) | b1;
      uint32_t length = (b0 & 0x0F) + kMinMatch;
      if (capacity - out < length) return false;
      uint32_t from = table.slots[index];
      uint32_t start = out;
      // Every slot refers to the seed start or to output already written; the copy
      // goes byte by byte, so it may overlap its own output.
      if (from >= start + kSeedLength) return false;
      for (uint32_t k = 0; k < length; ++k) {
        uint32_t position = from + k;
        dst[out++] = position < kSeedLength ? seed[position] : dst[position - kSeedLength];
      }
      if (literalsNotHashed > 0) {
        uint32_t first = start - literalsNotHashed;
        table.Insert(HashBucket(dst + first), first);
        if (literalsNotHashed == 2) table.Insert(HashBucket(dst + first + 1), first + 1);
        literalsNotHashed = 0;
      }
      table.slots[(index & ~(kLzrw3aBucketDepth - 1)) + table.cycle] = start + kSeedLength;
      table.cycle = (table.cycle + 1) & (kLzrw3aBucketDepth - 1);
    } else {
      if (out >= capacity) return false;
      dst[out++] = src[in++];
      if (++literalsNotHashed == 3) {
        table.Insert(HashBucket(dst + out - 3), out - 3);
        literalsNotHashed = 2;
      }
    }
  }
  *dstLength = out;
  return true;
}

}  // namespace detail_Lzrw3a

bool Lzrw3aCompress(int action, void* workMemory, const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                    uint32_t* destinationLength) {
  if (action != kLzrw3aActionCompress && action != kLzrw3aActionDecompress) return false;
  if (destinationLength == nullptr) return false;
  if ((source == nullptr && sourceLength > 0) || destination == nullptr) {
    *destinationLength = 0;
    return false;
  }
  std::unique_ptr<uint32_t[]> ownTable;
  uint32_t* table;
  if (workMemory != nullptr) {
    table = detail_Lzrw3a::AlignedTable(workMemory);
  } else {
    ownTable = std::make_unique<uint32_t[]>(kLzrw3aTableEntries);
    table = ownTable.get();
  }
  if (action == kLzrw3aActionCompress)
    return detail_Lzrw3a::Compress(table, source, sourceLength, destination, destinationLength);
  return detail_Lzrw3a::Decompress(table, source, sourceLength, destination, destinationLength);
}

}  // namespace corvia
