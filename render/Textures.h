#pragma once
// Textures of the OpenGL views: an image held by the image library becomes an OpenGL
// texture (PrepareTexture, Textures.cpp). What the preparation decides
// before it touches GL (the texture size, the border colour found on the image's
// edges, the box filter of the mipmaps) is plain arithmetic here, so that it can be
// checked without a context.

#include <cstdint>
#include <vector>

struct FIBITMAP;

namespace corvia {

class OpenGLView;

// Bits of the flags of PrepareTexture.
constexpr unsigned kTextureRepeatS = 0x1;         // else clamped
constexpr unsigned kTextureRepeatT = 0x2;
constexpr unsigned kTextureBorderS = 0x4;         // a border column of the border colour at each side
constexpr unsigned kTextureBorderT = 0x8;         // border rows at the bottom and top
constexpr unsigned kTextureMipmaps = 0x10;
constexpr unsigned kTextureAlphaOnly = 0x20;      // one channel as alpha; colour images white with their alpha
constexpr unsigned kTextureUpdateInPlace = 0x40;  // replace the pixels when every size matches
constexpr unsigned kTextureBlockyPixels = 0x80;   // magnified without smoothing

// Makes the image the texture of textureId (flags: kTexture... above),
// in the view of the open GL section or else the active view: sized to powers of two
// no larger than maxSize and the implementation's limit, rescaled or padded, with
// its border colour (the given one, else found on the image's edges; written to
// outBorderColour when asked) and its mipmaps. An alphaTextureId (0: none) receives
// the image's alpha alone when it has one. The four sizes may be null; when given,
// the in-place update compares them, and they receive the image size used and the
// texture size. Returns the channels uploaded (1 to 4), 0 when nothing was.
int PrepareTexture(unsigned textureId, FIBITMAP* image, unsigned flags, unsigned alphaTextureId, int maxSize,
                   float* outBorderColour, const float* borderColour, int* imageWidth, int* imageHeight,
                   int* textureWidth, int* textureHeight);
// Texturing on with the texture bound, when the id names a texture (or, forced, a
// name not yet bound); true when it was bound.
bool EnableTexture(unsigned id, bool force);
void DisableTexture();

// The side of the texture for one side of an image: the least power of two that
// holds the image (with a border pixel at each end), no larger than maxSize (a
// power of two). Without mipmaps a repeating side that would fill less than three
// quarters of it takes half of it instead (the image is then shrunk to fit).
int TextureSideFor(int imageSide, bool border, bool repeat, bool mipmaps, int maxSize);

// The largest power of two not above size (0 for a size below 1).
int PowerOfTwoBelow(int size);

// The colour of an image's edges: the mean of every pixel of its outermost rows and
// columns (each counted once), or, when one colour covers more than a quarter of
// them in runs of at least five pixels, that colour. RGBA in 0..1; components
// within 1/510 of 0 become 0. False for an image without pixels to read.
bool FindImageBorderColour(FIBITMAP* image, float* rgba);

// One mipmap level from the one below, in place: each side above 1 is halved and
// each 2 x 2 (or 2 x 1) block of every channel averaged with rounding. With a
// border in s (t) the first and last pixel of each row (the first and last row)
// take the border pixel, given in the buffer's channel layout.
void HalveTextureBuffer(std::vector<uint8_t>& buffer, int& width, int& height, int channels, bool borderS,
                        bool borderT, const uint8_t* borderPixel);

// The view textures are made in: the view of the open GL section, else the active
// view, else the last view with a GL context; null when there is none.
OpenGLView* GetTextureView();

// Loads an image (a file, or one of the program's own images), prepares it as the
// texture and unloads it: the channel count, -1 when the image cannot be loaded.
int PrepareTextureFile(unsigned textureId, const char* name, unsigned flags, unsigned alphaTextureId, int maxSize,
                       float* outBorderColour, const float* borderColour, int* imageWidth, int* imageHeight,
                       int* textureWidth, int* textureHeight);

// The texture on the second texture unit (where there is one), its coordinates made
// by sphere mapping; the first unit stays the active one. Nothing happens when the
// id names no texture, unless forced. True when it was bound.
bool EnableSphereMapTexture(unsigned id, bool force);
void DisableSphereMapTexture();

}  // namespace corvia
