#include "core/ImageHeader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Messages.h"
#include "core/Strings.h"
#include "platform/SafeFiles.h"

namespace corvia {

namespace detail_ImageHeader {

// The most pixels one byte of data can give. Deflate expands a byte to at most 1032
// (PNG: bytes of rows, each pixel at least a bit); a Huffman-coded JPEG spends at
// least a bit on each 8 x 8 block of its first component; an LZW code of GIF is at
// least 3 bits and stands for at most 4096 pixels. Each with room to spare.
constexpr int64_t kPngRowBytesPerByte = 1100;
constexpr int64_t kJpegPixelsPerByte = 1024;
constexpr int64_t kGifPixelsPerByte = 11000;

constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t Big16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Big32(const uint8_t* p) { return Big16(p) << 16 | Big16(p + 2); }
uint32_t Little16(const uint8_t* p) { return uint32_t(p[1]) << 8 | p[0]; }
uint32_t Little32(const uint8_t* p) { return Little16(p + 2) << 16 | Little16(p); }

struct Reader {
  const uint8_t* data;
  size_t size;
  ImageHeader& header;
  std::string& reason;

  bool Fail(const char* what) {
    reason = std::string("The ") + ImageKindName(header.kind) + " picture " + what + ".";
    return false;
  }
  // The size found, checked against the bounds, and against the pixels that the data
  // can give (none given: no such bound).
  bool Sized(int64_t width, int64_t height, int64_t mostPixels = -1) {
    header.width = width;
    header.height = height;
    if (width < 1 || height < 1) return Fail("has no size");
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
      reason = FormatLimited(kMessageBufferSize,
                             "The picture is %lld x %lld pixels: more than can be loaded (at most %lld a side and "
                             "%lld pixels).",
                             static_cast<long long>(width), static_cast<long long>(height),
                             static_cast<long long>(kMaxImageSide), static_cast<long long>(kMaxImagePixels));
      return false;
    }
    if (mostPixels >= 0 && width * height > mostPixels) {
      reason = FormatLimited(kMessageBufferSize,
                             "The %s picture claims %lld x %lld pixels, more than its %zu bytes can hold.",
                             ImageKindName(header.kind), static_cast<long long>(width),
                             static_cast<long long>(height), size);
      return false;
    }
    return true;
  }

  bool Png() {
    constexpr size_t kHeaderEnd = 8 + 8 + 13;
    if (size < kHeaderEnd || Big32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0)
      return Fail("has no header");
    const int64_t width = Big32(data + 16);
    const int64_t height = Big32(data + 20);
    const int depth = data[24];
    int channels = 0;
    switch (data[25]) {
      case 0:
      case 3:
        channels = 1;
        break;
      case 2:
        channels = 3;
        break;
      case 4:
        channels = 2;
        break;
      case 6:
        channels = 4;
        break;
      default:
        return Fail("has an unknown colour type");
    }
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) return Fail("has an unknown depth");
    if (!Sized(width, height)) return false;
    // Every row: its filter byte and its pixels' bits.
    const int64_t rowBytes = 1 + (width * channels * depth + 7) / 8;
    if (rowBytes * height > kPngRowBytesPerByte * int64_t(size)) return Sized(width, height, 0);
    return true;
  }

  bool Jpeg() {
    size_t at = 2;
    while (at + 1 < size) {
      if (data[at] != 0xFF) return Fail("is damaged");
      const uint8_t marker = data[at + 1];
      if (marker == 0xFF) {  // fill
        ++at;
        continue;
      }
      if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
        at += 2;
        continue;
      }
      if (marker == 0xD9 || marker == 0xDA) return Fail("has no size before its data");
      if (at + 4 > size) break;
      const size_t length = Big16(data + at + 2);
      if (length < 2) return Fail("is damaged");
      const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
      if (frame) {
        if (length < 8 || at + 9 > size) return Fail("is cut short");
        const int64_t height = Big16(data + at + 5);
        const int64_t width = Big16(data + at + 7);
        // Arithmetic coding (frames C9 and up) can spend less than a bit on a block.
        const bool huffman = marker < 0xC9;
        return Sized(width, height, huffman ? kJpegPixelsPerByte * int64_t(size) : -1);
      }
      at += 2 + length;
    }
    return Fail("is cut short");
  }

  bool Bmp() {
    constexpr size_t kFileHeader = 14;
    constexpr uint32_t kCoreHeader = 12;
    constexpr uint32_t kInfoHeader = 40;
    constexpr uint32_t kOs2Header = 64;
    if (size < kFileHeader + 4 + kCoreHeader) return Fail("has no header");
    const uint32_t offset = Little32(data + 10);
    const uint32_t headerSize = Little32(data + 14);
    int64_t width = 0, height = 0;
    uint32_t bits = 0, compression = 0;
    if (headerSize == kCoreHeader) {
      width = Little16(data + 18);
      height = Little16(data + 20);
      bits = Little16(data + 24);
    } else if (headerSize >= kInfoHeader && size >= kFileHeader + kInfoHeader) {
      width = int32_t(Little32(data + 18));
      height = int32_t(Little32(data + 22));
      bits = Little16(data + 28);
      compression = Little32(data + 30);
    } else {
      return Fail("has an unknown header");
    }
    // Rows may run from the top (a negative height).
    if (height < 0) height = -height;
    if (!Sized(width, height)) return false;
    // Uncompressed rows (colour masks included) are padded to four bytes: the data
    // must hold them all. Compressed rows may skip pixels: only the bounds hold.
    const bool plain = compression == 0 || (headerSize != kOs2Header && (compression == 3 || compression == 6));
    if (plain) {
      if (bits == 0 || bits > 32) return Fail("has an unknown depth");
      const int64_t rowBytes = (width * bits + 31) / 32 * 4;
      const int64_t room = offset <= size ? int64_t(size - offset) : 0;
      if (rowBytes * height > room) return Sized(width, height, 0);
    }
    return true;
  }

  // Steps over the sub-blocks that end in an empty one; false when cut short.
  bool SkipSubBlocks(size_t& at) {
    while (at < size) {
      const size_t length = data[at++];
      if (length == 0) return true;
      at += length;
    }
    return false;
  }

  bool Gif() {
    constexpr size_t kScreen = 13;
    constexpr size_t kDescriptor = 10;
    if (size < kScreen) return Fail("has no header");
    const int64_t screenWidth = Little16(data + 6);
    const int64_t screenHeight = Little16(data + 8);
    size_t at = kScreen;
    if (data[10] & 0x80) at += 3 * (size_t{2} << (data[10] & 7));
    // The first picture is the one loaded: the screen and it must fit the bounds.
    if (!Sized(screenWidth, screenHeight)) return false;
    while (at < size) {
      const uint8_t block = data[at];
      if (block == 0x21) {
        at += 2;
        if (!SkipSubBlocks(at)) break;
      } else if (block == 0x2C) {
        if (at + kDescriptor > size) break;
        return Sized(Little16(data + at + 5), Little16(data + at + 7), kGifPixelsPerByte * int64_t(size));
      } else {
        return Fail(block == 0x3B ? "holds no picture" : "is damaged");
      }
    }
    return Fail("is cut short");
  }
};

}  // namespace detail_ImageHeader

bool ReadImageFileBytes(const char* path, std::vector<uint8_t>& bytes, std::string& reason) {
  bytes.clear();
  reason.clear();
  std::string why;
  const int fd = platform::OpenRegularFile(path, &why);
  if (fd < 0) {
    if (errno != ENOENT) reason = AsSentence(why);
    return false;
  }
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0;
  if (ok && static_cast<uint64_t>(info.st_size) > kMaxImageFileBytes) {
    reason = FormatLimited(kMessageBufferSize, "The file is larger than %zu MiB.", kMaxImageFileBytes >> 20);
    ok = false;
  }
  if (ok) {
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t filled = 0;
    while (ok && filled < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
      if (got < 0 && errno == EINTR) continue;
      ok = got > 0;
      if (ok) filled += static_cast<size_t>(got);
    }
    bytes.resize(filled);
  }
  ::close(fd);
  return ok;
}

const char* ImageKindName(ImageKind kind) {
  switch (kind) {
    case ImageKind::kPng:
      return "PNG";
    case ImageKind::kJpeg:
      return "JPEG";
    case ImageKind::kBmp:
      return "BMP";
    case ImageKind::kGif:
      return "GIF";
    default:
      return "";
  }
}

ImageKind SniffImageKind(const uint8_t* data, size_t size) {
  if (!data) return ImageKind::kNone;
  const auto starts = [&](const void* bytes, size_t n) { return size >= n && std::memcmp(data, bytes, n) == 0; };
  if (starts(detail_ImageHeader::kPngSignature, sizeof detail_ImageHeader::kPngSignature)) return ImageKind::kPng;
  if (starts("\xFF\xD8\xFF", 3)) return ImageKind::kJpeg;
  if (starts("BM", 2)) return ImageKind::kBmp;
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return ImageKind::kGif;
  return ImageKind::kNone;
}

bool ReadImageHeader(const uint8_t* data, size_t size, ImageHeader& header, std::string& reason) {
  header = ImageHeader();
  reason.clear();
  header.kind = SniffImageKind(data, size);
  detail_ImageHeader::Reader r{data, size, header, reason};
  switch (header.kind) {
    case ImageKind::kPng:
      return r.Png();
    case ImageKind::kJpeg:
      return r.Jpeg();
    case ImageKind::kBmp:
      return r.Bmp();
    case ImageKind::kGif:
      return r.Gif();
    default:
      reason = "This is no PNG, JPEG, BMP or GIF picture.";
      return false;
  }
}

}  // namespace corvia
