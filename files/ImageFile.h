#pragma once
// Images read through the image library: loading files and the program's own
// images, nearest-pixel resampling, the colour of one pixel, and the pixel buffer a
// texture is uploaded from. Images are the library's bitmaps (FIBITMAP); whoever
// receives one unloads it with FreeImage_Unload (or UnloadImage).
//
// Pixel rows count from the bottom (row 0 is the lowest), as the image library and
// OpenGL both do.

#include <cstdint>
#include <vector>

struct FIBITMAP;

#include "core/Outcome.h"

namespace corvia {

// Loads an image file of the common kinds (core/ImageHeader.h: PNG, JPEG, BMP, GIF),
// known by the file's contents, its size checked before it is decoded. Flags are the
// image library's load flags. Null when the file is missing or damaged; *outcome (when
// given) then says "Failed to load image '%s', format %d, flags 0x%x", with the reason
// on a line of its own when it is no file (a folder, a pipe, a device), too large, of
// another kind or claims a size beyond the bounds or its data.
FIBITMAP* LoadImageFile(const char* path, int flags, Outcome* outcome = nullptr);

// Loads one of the program's own images, of the same kinds: the name as a path when
// that file exists, else the file of that name in the program's "Resources" folder.
// Null, without a message, when neither loads.
FIBITMAP* LoadImageResource(const char* name);

// FreeImage_Unload; null is ignored.
void UnloadImage(FIBITMAP* image);

// A new image of the given size made by nearest-pixel stepping over the source,
// with the source's bit depth, palette and transparency table. Null for a null
// image or a size below 1.
FIBITMAP* ResampleImage(FIBITMAP* image, int width, int height);

// The colour of the pixel (x, y) as RGBA bytes, through the palette (and its
// transparency table) for indexed images; alpha 255 where the image has none.
// False, leaving rgba alone, for a null image, a pixel outside it or an image type
// with no colour reading.
bool GetImagePixelColor(FIBITMAP* image, int x, int y, uint8_t* rgba);

// The channel counts a texture buffer can have.
constexpr int kImageGrey = 1;
constexpr int kImageGreyAlpha = 2;
constexpr int kImageRGB = 3;
constexpr int kImageRGBA = 4;

// Fills buffer with a texture of textureWidth x textureHeight pixels, rows bottom
// first and packed without padding (upload with an unpack alignment of 1): the
// image is centred inside the area that keeps borderS columns free at the left and
// right and borderT rows at the bottom and top (an image larger than that area is
// cut to it), and every pixel it does not cover takes the border colour (RGBA
// floats 0..1; null is transparent black). Returns the channel count: grey images
// give 1 (2 with transparency), others 3 (4 with transparency); 0, with the buffer
// emptied, for a null image, a texture size outside 1..32768 or an image that
// cannot be read.
int GetOpenGLBuffer(FIBITMAP* image, std::vector<uint8_t>& buffer, int textureWidth, int textureHeight, int borderS,
                    int borderT, const float* borderColor);

// The image files the program writes, known by their extension.
enum class ImageFileKind { kNone, kPng, kJpeg };
// ".png" gives kPng; ".jpg", ".jpeg", ".jpe" give kJpeg (any case); anything else kNone.
ImageFileKind GetImageFileKind(const char* path);

// Writes RGBA pixels (rows top first; alpha is dropped) as a PNG or JPEG file of the
// kind its name gives, JPEG at the quality (1 to 100), with the resolution in dots per
// inch when it is above 0. The file is written beside its name and renamed over it
// when complete, so a failure leaves any old file as it was. A failure says "Couldn't
// write image file '%s'." with the reason on the next line, for the caller to tell.
Outcome WriteImageFile(const char* path, const uint8_t* rgba, int width, int height, int jpegQuality, int dpi);

// The margins that centre an inner rectangle inside an outer one: left, bottom,
// right and top, the odd pixel going to the right and top. Negative when the inner
// rectangle is the larger.
void CentreMargins(int* margins, int innerWidth, int innerHeight, int outerWidth, int outerHeight);

}  // namespace corvia
