#include "render/TextureImage.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/FaceImageRef.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "files/ImageFile.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/Textures.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_TextureImage {

// The library of texture images: every instance, in the order made, and the renderer's
// side of FaceImage (core/FaceImageRef.h), through which face images copy and let go
// of their pictures. One for the process: the images are shared by the models of every
// frame, their textures by the one shared context, and a face image that outlives
// every pane still gives its picture back through it.
class Library : public FaceImageTextures {
 public:
  TextureImage* CopyTextureImage(const TextureImage* source) override {
    const float* border = source->mRequestedBorder[0] >= 0.0f ? source->mRequestedBorder : nullptr;
    return TextureImage::New(source->mFileName.c_str(), source->mWrapS, source->mWrapT, border, false);
  }
  void ReleaseTextureImage(TextureImage* image) override { image->Release(); }
  void CreateTexture(TextureImage* image) override { image->CreateTexture(); }
  void DeleteTexture(TextureImage* image) override { image->DeleteTexture(); }
  bool HasAlphaChannel(const TextureImage* image) const override { return image->mTranslucent; }

  ListNode* head = nullptr;
  ListNode* tail = nullptr;
};
Library gLibrary;

// The textures let go of while their context was not current, deleted now that it is.
void DeleteReleasedTextures() {
  if (GLContextState* state = GetCurrentGLContextState()) state->DeleteReleased();
}

// A view whose window draws with the context, to make it current; null when none.
OpenGLView* ViewOfContext(const void* context) {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    auto* view = dynamic_cast<OpenGLView*>(v);
    if (view && view->HasGLContext() && view->GetWindow() && view->GetWindow()->ContextKey() == context) return view;
  }
  return nullptr;
}

}  // namespace detail_TextureImage

TextureImage* TextureImage::GetList() {
  return static_cast<TextureImage*>(detail_TextureImage::gLibrary.head);
}

FaceImageTextures* TextureImage::GetFaceImageTextures() {
  return &detail_TextureImage::gLibrary;
}

int TextureImage::CountAll() {
  int n = 0;
  for (ListNode* node = detail_TextureImage::gLibrary.head; node; node = node->mNext) ++n;
  return n;
}

TextureImage* TextureImage::New(const char* file, unsigned wrapS, unsigned wrapT, const float* borderColour,
                                bool createNow) {
  using namespace detail_TextureImage;
  if (!file || !*file) return nullptr;
  // 1. An instance of the same file and wraps; a border colour asked for must match
  // where a wrap clamps to the border. File names are compared exactly: on this
  // system two names that differ in case are two files.
  const bool border = borderColour && (wrapS == kWrapClampToBorder || wrapT == kWrapClampToBorder);
  TextureImage* image = nullptr;
  for (ListNode* node = gLibrary.head; node && !image; node = node->mNext) {
    auto* candidate = static_cast<TextureImage*>(node);
    if (candidate->mFileName != file || candidate->mWrapS != wrapS || candidate->mWrapT != wrapT) continue;
    if (border && std::memcmp(candidate->mRequestedBorder, borderColour, 3 * sizeof(float)) != 0) continue;
    image = candidate;
  }
  // 2. A new one. Its textures are made in each context where it is first drawn, so
  // only a texture asked for at once needs a view now (a model file opened before
  // any pane has its context keeps its images).
  if (!image) {
    if (createNow && !GetTextureView()) {
      ShowInternalError("TextureImage::New() called without OpenGL view");
      return nullptr;
    }
    if (!FileExists(file)) return nullptr;
    image = new TextureImage();
    image->mFileName = file;
    image->mWrapS = wrapS;
    image->mWrapT = wrapT;
    if (borderColour) {
      std::memcpy(image->mRequestedBorder, borderColour, 3 * sizeof(float));
      image->mRequestedBorder[3] = 1.0f;
    }
    std::memcpy(image->mBorderInUse, image->mRequestedBorder, sizeof image->mBorderInUse);
    ListNode::Append(image, gLibrary.head, gLibrary.tail);
  }
  // 3, 4. The caller's reference first, so that a failure undoes exactly this call.
  ++image->mRefCount;
  if (createNow && !image->CreateTexture()) {
    image->DeleteTexture();
    image->Release();
    return nullptr;
  }
  return image;
}

TextureImage::~TextureImage() {
  mTextureCount = 0;
  DeleteAllContextTextures();
}

void TextureImage::Release() {
  using namespace detail_TextureImage;
  if (--mRefCount > 0) return;
  ListNode::Unlink(this, gLibrary.head, gLibrary.tail);
  delete this;
}

TextureImage::ContextTextures* TextureImage::FindContext(const void* context) {
  for (ContextTextures& c : mContexts) {
    if (c.context == context) return &c;
  }
  return nullptr;
}

TextureImage::ContextTextures& TextureImage::MakeContext(const void* context) {
  if (ContextTextures* found = FindContext(context)) return *found;
  ContextTextures made;
  made.context = context;
  glGenTextures(2, made.names);
  mContexts.push_back(made);
  return mContexts.back();
}

bool TextureImage::CreateTexture() {
  if (++mTextureCount > 1) return true;
  OpenGLView* view = GetTextureView();
  if (!view) return true;
  GLSection section(view);
  if (!section.IsOpen()) return true;
  MakeContext(GetCurrentGLContextKey());
  return Prepare(true, false, false);
}

void TextureImage::DeleteTexture() {
  if (mTextureCount <= 0) return;
  if (--mTextureCount == 0) DeleteAllContextTextures();
}

void TextureImage::ForgetContext(const void* context) {
  const bool current = context && context == GetCurrentGLContextKey();
  for (ListNode* node = detail_TextureImage::gLibrary.head; node; node = node->mNext) {
    auto& contexts = static_cast<TextureImage*>(node)->mContexts;
    for (size_t i = 0; i < contexts.size();) {
      if (contexts[i].context != context) {
        ++i;
        continue;
      }
      if (current) glDeleteTextures(2, contexts[i].names);
      contexts.erase(contexts.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

void TextureImage::DeleteAllContextTextures() {
  using namespace detail_TextureImage;
  for (const ContextTextures& c : mContexts) {
    const void* current = GetCurrentGLContextKey();
    if (c.context == current) {
      glDeleteTextures(2, c.names);
      continue;
    }
    OpenGLView* view = ViewOfContext(c.context);
    GLSection section(view);
    if (view && section.IsOpen() && GetCurrentGLContextKey() == c.context) {
      glDeleteTextures(2, c.names);
      DeleteReleasedTextures();
    } else if (GLContextState* state = FindGLContextState(c.context)) {
      state->releasedTextures.insert(state->releasedTextures.end(), c.names, c.names + 2);
    }
  }
  mContexts.clear();
}

bool TextureImage::Prepare(bool checkTime, bool force, bool keepBorder) {
  using namespace detail_TextureImage;
  // 1.
  OpenGLView* view = GetTextureView();
  if (!view) {
    ShowInternalError("TextureImage::Prepare() called without OpenGL view");
    return false;
  }
  // 2. Every return below closes the section.
  GLSection section(view);
  if (!section.IsOpen()) return false;
  const void* context = GetCurrentGLContextKey();
  DeleteReleasedTextures();
  ContextTextures* textures = FindContext(context);
  const bool existed = textures && textures->loadedTime != -2;
  const int64_t fileTime = GetFileModifiedTime(mFileName.c_str());
  // A file that failed to load is not read again until it changes (or is gone and
  // back), so that its message is not shown at every paint.
  const bool failedAsItIs = mLoadFailed && fileTime == mFailedTime;
  if (existed && !force) {
    const bool changed = fileTime != -1 && fileTime != mFileTime && !failedAsItIs;
    // Another context may have read a newer file already.
    const bool behind = textures->loadedTime != mFileTime && mFileTime != -1;
    if (!checkTime || !(changed || behind)) return true;
  }
  if (!force && failedAsItIs) return false;

  // 3.
  Outcome loaded;
  FIBITMAP* image = LoadImageFile(mFileName.c_str(), 0, &loaded);
  if (!image) {
    // Told while a pane draws, the box is held and shown after the paint.
    if (loaded.told()) ShowError("%s", loaded.text().c_str());
    if (!(existed && keepBorder)) mFileTime = -1;
    mLoadFailed = true;
    mFailedTime = fileTime;
    return false;
  }
  mLoadFailed = false;
  // The panes show the new picture; their messages stay.
  RedrawAllViews(false, true);

  // 4.
  const bool keep = existed && keepBorder;
  if (!keep) {
    mFileTime = fileTime;
    mImageWidth = static_cast<int>(FreeImage_GetWidth(image));
    mImageHeight = static_cast<int>(FreeImage_GetHeight(image));
    mAspectRatio = mImageHeight > 0 ? static_cast<double>(mImageWidth) / mImageHeight : 1.0;
  }

  // 5.
  unsigned flags = kTextureMipmaps;
  if (mWrapS == kWrapRepeat) flags |= kTextureRepeatS;
  if (mWrapT == kWrapRepeat) flags |= kTextureRepeatT;
  if (mWrapS == kWrapClampToBorder) flags |= kTextureBorderS;
  if (mWrapT == kWrapClampToBorder) flags |= kTextureBorderT;
  if (keep) flags |= kTextureUpdateInPlace;
  if (GetTextureImageSettings().blockyPixels) flags |= kTextureBlockyPixels;

  // 6. The colour asked for is passed whenever there is one; otherwise the image's own
  // edges give it.
  if (!textures) textures = &MakeContext(context);
  const float* requested = mRequestedBorder[0] >= 0.0f ? mRequestedBorder : nullptr;
  int usedWidth = mUsedWidth, usedHeight = mUsedHeight, textureWidth = mTextureWidth, textureHeight = mTextureHeight;
  const int channels =
      PrepareTexture(textures->names[0], image, flags, textures->names[1], GetTextureImageSettings().maxImageSize,
                     mBorderInUse, requested, &usedWidth, &usedHeight, &textureWidth, &textureHeight);
  // 7.
  UnloadImage(image);
  if (channels <= 0) return false;
  mUsedWidth = usedWidth;
  mUsedHeight = usedHeight;
  mTextureWidth = textureWidth;
  mTextureHeight = textureHeight;
  textures->loadedTime = mFileTime;
  // 8.
  mTranslucent = channels == 2 || channels == 4;
  return true;
}

bool TextureImage::PrepareAll(bool checkTime, bool force) {
  using namespace detail_TextureImage;
  OpenGLView* view = GetTextureView();
  if (!view) {
    ShowInternalError("TextureImage::PrepareAll() called without OpenGL view");
    return false;
  }
  bool ok = true;
  GLSection* section = nullptr;
  bool open = false;
  for (ListNode* node = gLibrary.head; node; node = node->mNext) {
    auto* image = static_cast<TextureImage*>(node);
    if (image->mTextureCount <= 0) continue;
    if (!section) {
      section = new GLSection(view);
      open = section->IsOpen();
    }
    if (!open) break;
    ok = image->Prepare(checkTime, force, false) && ok;
  }
  delete section;
  return ok;
}

unsigned TextureImage::GetContextTexture(bool second) {
  using namespace detail_TextureImage;
  // Drawn, the image needs its textures here even when no holder counted them yet (an
  // image only on facelets); the last holder's DeleteTexture or the image's end
  // deletes them.
  const void* context = GetCurrentGLContextKey();
  if (!context) return 0;
  ContextTextures* textures = FindContext(context);
  if (!textures || textures->loadedTime == -2) {
    // First use in this context.
    Prepare(true, false, false);
    textures = FindContext(context);
    if (textures) textures->checkedSerial = GetOpenGLSectionSerial();
  } else if (textures->checkedSerial != GetOpenGLSectionSerial()) {
    textures->checkedSerial = GetOpenGLSectionSerial();
    Prepare(true, false, false);
    textures = FindContext(context);
  }
  if (!textures || textures->loadedTime == -2) return 0;
  return textures->names[second ? 1 : 0];
}

void SetBlockyPixels(bool on) {
  GetTextureImageSettings().blockyPixels = on;
  if (GetTextureView()) TextureImage::PrepareAll(false, true);
  RedrawAllViews(false, true);
}

void TextureImage::SetRequestedBorder(const float* rgb) {
  if (rgb) {
    std::memcpy(mRequestedBorder, rgb, 3 * sizeof(float));
  } else {
    mRequestedBorder[0] = -1.0f;
    mRequestedBorder[1] = mRequestedBorder[2] = 0.0f;
  }
  mRequestedBorder[3] = 1.0f;
  std::memcpy(mBorderInUse, mRequestedBorder, sizeof mBorderInUse);
  for (ContextTextures& c : mContexts) c.loadedTime = -2;
}

void TextureImage::GetTextureMargins(int* margins) const {
  CentreMargins(margins, mUsedWidth, mUsedHeight, mTextureWidth, mTextureHeight);
}

}  // namespace corvia
