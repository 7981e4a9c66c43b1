#pragma once
// LZRW3-A block compression: a byte-oriented LZ77 variant whose copy items name a
// slot of a hashed, 8-way table of earlier positions (12-bit index) instead of an
// offset. Both directions rebuild the same table as they go, so the index alone finds
// the source of a copy. The compressed layout is a stored format: model files keep
// such blocks, so the layout and the table updates must never change.
//
// Block layout: byte 0 is the flag (0 compressed, 1 stored), bytes 1-3 are zero.
// A stored block continues with the source bytes. A compressed block continues with
// groups: a 16-bit control word (low byte first) and up to 16 items, bit k of the
// word telling whether item k is a literal (0, one byte) or a copy (1, two bytes:
// ((index >> 4) & 0xF0) | (length - 3), then index & 0xFF; length 3 to 18).

#include <cstddef>
#include <cstdint>

namespace corvia {

constexpr int kLzrw3aActionCompress = 1;
constexpr int kLzrw3aActionDecompress = 2;

constexpr uint8_t kLzrw3aFlagCompressed = 0;
constexpr uint8_t kLzrw3aFlagStored = 1;
constexpr uint32_t kLzrw3aFlagBytes = 4;

// The table: 512 buckets of 8 slots, each slot a position in the seed or the data.
constexpr uint32_t kLzrw3aTableEntries = 4096;
constexpr uint32_t kLzrw3aBucketDepth = 8;

// Work memory the caller supplies: the table, aligned to 4 bytes inside it.
constexpr size_t kLzrw3aWorkMemorySize = kLzrw3aTableEntries * sizeof(uint32_t) + sizeof(uint32_t);

// A compression may run one group (16 two-byte items and the next control word)
// past the source length before it falls back to a stored block.
constexpr uint32_t kLzrw3aCompressOverrun = 34;

// Largest source or block length handled; longer inputs fail.
constexpr uint32_t kLzrw3aMaxLength = 0x7FFFFF00u;

// Compresses (action 1) or decompresses (action 2) one block.
//
// `workMemory` holds at least kLzrw3aWorkMemorySize bytes; null makes the call use
// a table of its own. `destinationLength` gives the capacity of the destination on
// entry and receives the length written on success.
//
// Compression needs a capacity of at least source length + kLzrw3aCompressOverrun;
// data that does not shrink come out as a stored block (flag 1, source length + 4).
// Decompression never reads past the block nor writes past the capacity: a block
// that is damaged or whose output would not fit returns false (destination length
// then 0). The caller compares the length written with the one it kept.
// Any other action does nothing and returns false.
bool Lzrw3aCompress(int action, void* workMemory, const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
                    uint32_t* destinationLength);

}  // namespace corvia
