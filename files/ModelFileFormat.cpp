#include "files/ModelFileFormat.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "construction/Library.h"
#include "construction/ModelLookup.h"
#include "model/LibraryEntry.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_ModelFileFormat {

// In token order; the numbers are stored in BINARY files.
// clang-format off
constexpr const char* kTokenNames[modelfile::kNumTokens] = {
    /*  0 */ "Model", "EndModel", "Name", "DualName", "EntryText",
    /*  5 */ "Description", "WebLink", "LibraryEntry", "Configuration", "TookBranch",
    /* 10 */ "LengthScale", "MaxFacesPerNet", "ModelFlags", "CurrentFace", "Vertices",
    /* 15 */ "Faces", "Edges", "Labels", "Opacities", "FaceImage",
    /* 20 */ "EndFaceImage", "File", "Projection", "Boundary", "Flags",
    /* 25 */ "Offset", "Rotation", "Frame", "RotationFrame", "Size",
    /* 30 */ "BaseScale", "Owner", "UsedBy", "DrawnPolygon", "FacetingCriteria",
    /* 35 */ "MinFacets", "MaxFacets", "PartialFacetingOK", "SpikyFaceting", "FacetingTotalNum",
    /* 40 */ "FacetingNumChirals", "FacetingNumCompounds", "FacetingTime", "Scene", "EndScene",
    /* 45 */ "CompressedBlock", "VertexRings", "Checksum", "CheckedParts",
    /* 49 */ "EndFile"
};
// clang-format on

}  // namespace detail_ModelFileFormat

namespace modelfile {

const char* TokenName(int index) {
  if (index < 0 || index >= kNumTokens) return nullptr;
  return detail_ModelFileFormat::kTokenNames[index];
}

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  const auto* p = static_cast<const uint8_t*>(data);
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

bool FileChecksum(const char* path, int64_t from, int64_t to, uint32_t& crc) {
  crc = 0;
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "rb"), &std::fclose);
  if (!file || from < 0 || to < from || std::fseek(file.get(), long(from), SEEK_SET) != 0) return false;
  int64_t length = to - from;
  std::array<uint8_t, 65536> buffer;
  while (length > 0) {
    const size_t want = size_t(std::min<int64_t>(length, int64_t(buffer.size())));
    if (std::fread(buffer.data(), 1, want, file.get()) != want) return false;
    crc = Crc32(crc, buffer.data(), want);
    length -= int64_t(want);
  }
  return true;
}

const ioEnumPair kCriteriaNames[] = {
    {0, "Isohedral"}, {1, "DualTidy"}, {2, "Tidy"}, {3, "CoplanarVerts"}, {0, nullptr}};

}  // namespace modelfile

LibraryEntry* FindModelFileLibraryEntry(const ModelFileContents& contents) {
  if (contents.libraryName.empty()) return nullptr;
  LibraryEntry* entry = GetLibraryEntry(contents.libraryIndex);
  if (entry && entry->mName && contents.libraryName == entry->mName) return entry;
  const int count = GetNumLibraryEntries();
  for (int i = 0; i < count; ++i) {
    entry = GetLibraryEntry(i);
    if (entry && entry->mName && contents.libraryName == entry->mName) return entry;
  }
  return nullptr;
}

ModelFileContents::ModelFileContents() = default;
ModelFileContents::~ModelFileContents() = default;
ModelFileContents::ModelFileContents(ModelFileContents&&) noexcept = default;
ModelFileContents& ModelFileContents::operator=(ModelFileContents&&) noexcept = default;

}  // namespace corvia
