#pragma once
// TextureImage: one image file held as an OpenGL texture, shared by everything that
// shows that file with the same wrap modes and border colour, and counted by
// reference. Its textures exist only while some holder asks for them (the texture
// count), and the file is read again when it changes on disk.
//
// Texture names belong to a GL context: every context the image is drawn in (the
// panes' shared one, the off-screen one of image export and the tests) gets textures
// of its own, made the first time the image is bound there. A change of the file is
// noticed the first time the image is bound in a paint (and by PrepareAll, which the
// program runs when it becomes active); nothing polls.

#include <cstdint>
#include <string>
#include <vector>

#include "core/ListNode.h"

namespace corvia {

class FaceImageTextures;

// The GL wrap modes a TextureImage is asked for.
constexpr unsigned kWrapClamp = 0x2900;          // GL_CLAMP
constexpr unsigned kWrapRepeat = 0x2901;         // GL_REPEAT
constexpr unsigned kWrapClampToBorder = 0x812D;  // GL_CLAMP_TO_BORDER

// The options of the image textures: the largest texture side and the
// "Blocky Pixels when Close-Up" option.
struct TextureImageSettings {
  int maxImageSize = 1024;
  bool blockyPixels = false;
};
TextureImageSettings& GetTextureImageSettings();
// "Blocky Pixels when Close-Up": the option, every texture made again and the panes
// redrawn.
void SetBlockyPixels(bool on);

class TextureImage : public ListNode {
 public:
  // The instance for the file with the wrap modes (and, where a wrap clamps to the
  // border, the border colour, RGB; null for the image's own), with a reference added
  // for the caller. Made when none exists yet; with createNow its texture is made at
  // once. Null when the file does not exist, when the texture asked for cannot be made,
  // or when it is asked for at once and no OpenGL view exists (an internal error).
  static TextureImage* New(const char* file, unsigned wrapS, unsigned wrapT, const float* borderColour,
                           bool createNow);
  // Drops one reference; the last one deletes the instance.
  void Release();

  // Texture count: the first makes the textures (in the context of the view the
  // textures are made in) and prepares them; the last deletes them in every context.
  bool CreateTexture();
  void DeleteTexture();

  // Reads the file into the textures of the current context (made when needed): at
  // once when they exist only with force, or with checkTime when the file changed.
  // keepBorder keeps the stored sizes and the border colour in use. True on success.
  bool Prepare(bool checkTime, bool force, bool keepBorder);
  // Prepares every instance that holds textures; false when one failed.
  static bool PrepareAll(bool checkTime, bool force);
  static bool NeedIdleWork() { return false; }

  // The texture (or, with second, the alpha texture) in the current GL context: made
  // and read there the first time; the file time checked once per paint. 0 outside a
  // section, or when the image cannot be read.
  unsigned GetContextTexture(bool second);

  // A new border colour asked for (RGB; null: the image's own): the textures are read
  // again where they are next used.
  void SetRequestedBorder(const float* rgb);

  // The margins (left, bottom, right, top) round the image inside its texture.
  void GetTextureMargins(int* margins) const;

  // A context whose state is released: the textures of every instance made in it are
  // deleted when it is current, else forgotten with it.
  static void ForgetContext(const void* context);

  // The list of every instance, and its length.
  static TextureImage* GetList();
  static int CountAll();
  // The renderer's side of FaceImage (core/FaceImageRef.h): face images copy and let
  // go of their pictures, texture images, through it.
  static FaceImageTextures* GetFaceImageTextures();

  std::string mFileName;
  unsigned mWrapS = kWrapClamp;
  unsigned mWrapT = kWrapClamp;
  int64_t mFileTime = -1;
  int mImageWidth = 1;
  int mImageHeight = 1;
  int mUsedWidth = 1;
  int mUsedHeight = 1;
  int mTextureWidth = 1;
  int mTextureHeight = 1;
  double mAspectRatio = 1.0;
  bool mTranslucent = false;
  // A red of -1: the border colour is taken from the image.
  float mRequestedBorder[4] = {-1.0f, 0.0f, 0.0f, 1.0f};
  float mBorderInUse[4] = {-1.0f, 0.0f, 0.0f, 1.0f};
  int mRefCount = 0;
  int mTextureCount = 0;

 private:
  TextureImage() = default;
  ~TextureImage() override;

  // The textures of one GL context.
  struct ContextTextures {
    const void* context = nullptr;
    unsigned names[2] = {0, 0};
    int64_t loadedTime = -2;  // the file time of what they hold; -2: nothing yet
    unsigned checkedSerial = 0;
  };
  ContextTextures* FindContext(const void* context);
  ContextTextures& MakeContext(const void* context);
  // Deletes the textures of every context: those of contexts no view can make
  // current now wait until one can.
  void DeleteAllContextTextures();

  std::vector<ContextTextures> mContexts;
  // The last load failed, with the file at this modification time (-1: missing).
  bool mLoadFailed = false;
  int64_t mFailedTime = -1;
};

}  // namespace corvia
