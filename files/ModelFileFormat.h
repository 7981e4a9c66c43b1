#pragma once
// What the model file's writer and reader share: the token table, the flag bits kept
// per element, the framing of compressed blocks, and what a model keeps of a file.
// The token numbers are stored in BINARY files: new tokens go at the end, and no
// token ever changes its number.

#include <cstdint>
#include <string>
#include <vector>

#include "files/ModelFile.h"
#include "model/ModelPart.h"

namespace corvia {

class LibraryEntry;

namespace modelfile {

enum Token : int {
  kTokModel = 0,
  kTokEndModel,
  kTokName,
  kTokDualName,
  kTokEntryText,
  kTokDescription,
  kTokWebLink,
  kTokLibraryEntry,
  kTokConfiguration,
  kTokTookBranch,
  kTokLengthScale,
  kTokMaxFacesPerNet,
  kTokModelFlags,
  kTokCurrentFace,
  kTokVertices,
  kTokFaces,
  kTokEdges,
  kTokLabels,
  kTokOpacities,
  kTokFaceImage,
  kTokEndFaceImage,
  kTokFile,
  kTokProjection,
  kTokBoundary,
  kTokFlags,
  kTokOffset,
  kTokRotation,
  kTokFrame,
  kTokRotationFrame,
  kTokSize,
  kTokBaseScale,
  kTokOwner,
  kTokUsedBy,
  kTokDrawnPolygon,
  kTokFacetingCriteria,
  kTokMinFacets,
  kTokMaxFacets,
  kTokPartialFacetingOK,
  kTokSpikyFaceting,
  kTokFacetingTotalNum,
  kTokFacetingNumChirals,
  kTokFacetingNumCompounds,
  kTokFacetingTime,
  kTokScene,
  kTokEndScene,
  kTokCompressedBlock,
  kTokVertexRings,
  kTokChecksum,
  kTokCheckedParts,
  kTokEndFile,
  kNumTokens
};

// The token table of the file (null past the last token).
const char* TokenName(int index);

// The faceting criteria as the file names them (kFacetingCriteriaNames, values 0 to 3).
extern const ioEnumPair kCriteriaNames[];

// Element kinds of labels, opacities and image users.
constexpr int kKindVertex = 0;
constexpr int kKindFace = 1;
constexpr int kKindEdge = 2;

// The plain-model flags a file keeps: per vertex, per face, per edge, per model.
constexpr uint32_t kStoredVertFlags = 0x8;       // hidden
constexpr uint32_t kStoredFaceFlags = 0x70008;   // hidden, central plane, its sense settled, reversed
constexpr uint32_t kStoredEdgeFlags = 0x8;       // hidden
// Convex, density one, plain surface, inherited, corners known to a file's decimals:
// this program writes every coordinate whole, so a model whose file has no model flags
// (one written elsewhere) takes the last.
constexpr uint32_t kStoredModelFlags = 0x283800;

// The FaceImage flags a file keeps (the owner-is-a-facelet and counting marks belong
// to the running program).
constexpr uint32_t kStoredImageFlags = 0x13;

// A compressed block: the token, the length of the data and of the stored block, the
// stored block (core/Lzrw3a.h). Decompression needs no more than this many bytes of
// output per byte of input (an item of two bytes copies at most 18), so a block whose
// claimed length is larger is damaged.
constexpr uint32_t kMaxExpansion = 9;
// Room the compressor is given beyond the data.
constexpr uint32_t kCompressRoom = 1024;

// The checks of a BINARY file: the token, then the CRC-32 (ISO-HDLC, as zip and PNG
// have it) of bytes of the file before the token, as 4 bytes. A file whose first token
// is CheckedParts ends each part (the model, with the header and the mark before it;
// each scene section) with the check of its own bytes, from the end of the part before
// it, and ends with EndFile: a part whose check does not agree is damaged, and a file
// without its end is cut short. Files written before have one check of every byte
// before it at their end, or, written before checks were, none; they are read as they
// were written.
uint32_t Crc32(uint32_t crc, const void* data, size_t size);
// The CRC-32 of the bytes of the file from `from` up to `to`; false when they cannot
// be read.
bool FileChecksum(const char* path, int64_t from, int64_t to, uint32_t& crc);

// The progress caption while reading and writing.
constexpr const char* kReadingCaption = "Reading model file";
constexpr const char* kWritingCaption = "Saving model file";
// Elements between two progress reports.
constexpr int kProgressStep = 4096;

}  // namespace modelfile

// What a model keeps of the file it was read from (Poly::mFileKeep).
struct ModelFileKeep : ModelPart {
  int form = kModelFileBinary;
  std::vector<ModelFileScene> scene;
};

// The library entry a file names: by its index when the name there still agrees, else
// by the name (the library may have been renumbered since the file was written); null
// when the file names none, or one the library does not hold.
LibraryEntry* FindModelFileLibraryEntry(const ModelFileContents& contents);

// The installed scene sections, in the order installed (ModelFileSection.cpp).
const std::vector<ModelFileSection*>& GetModelFileSections();

// A reading stream over a scene section's data as it was read from the file at path
// (ModelFileRead.cpp).
ioStreamOwner OpenSceneSectionStream(const char* path, const ModelFileScene& section,
                                     const ioErrorHandler& handler);

}  // namespace corvia
