#pragma once
// The picture files the program reads (pictures on faces, textures, the file dialogs'
// preview) are the common kinds a user puts on a model: PNG, JPEG, BMP and GIF,
// known by their content, never by their name. Their headers are read here, before
// any decoder sees the file: the size a picture claims must be one the program can
// hold and one its data can carry, so that a few damaged bytes never make a decoder
// allocate gigabytes or fill a picture from nothing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvia {

enum class ImageKind { kNone, kPng, kJpeg, kBmp, kGif };

// The largest picture read: each side, and the pixels in all (256 MiB at four bytes a
// pixel), and the largest file.
constexpr int64_t kMaxImageSide = 32768;
constexpr int64_t kMaxImagePixels = int64_t{1} << 26;
constexpr size_t kMaxImageFileBytes = size_t{1} << 28;

struct ImageHeader {
  ImageKind kind = ImageKind::kNone;
  int64_t width = 0;
  int64_t height = 0;
};

// "PNG", "JPEG", "BMP", "GIF"; "" for none.
const char* ImageKindName(ImageKind kind);

// The kind of the data by its first bytes (kNone for any other).
ImageKind SniffImageKind(const uint8_t* data, size_t size);

// The whole of a picture file, when it is a regular file (no folder, pipe or device,
// which are refused unopened) of at most kMaxImageFileBytes. False otherwise, with
// the reason in words (empty for a file that is not there).
bool ReadImageFileBytes(const char* path, std::vector<uint8_t>& bytes, std::string& reason);

// Reads the kind and size of a picture from its whole data and checks them: a kind
// of the four, a size within the bounds above, and, where the encoding bounds how
// many pixels a byte can give (PNG, JPEG and GIF by their compression, an
// uncompressed BMP exactly), no more pixels than the data can carry. False, with
// `reason` saying what is wrong, otherwise; `header` then still names the kind
// when it was known.
bool ReadImageHeader(const uint8_t* data, size_t size, ImageHeader& header, std::string& reason);

}  // namespace corvia
