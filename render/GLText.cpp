// Marked-up text drawn in the OpenGL panes: the layout's backend over the cached
// fonts, the text settings, links named while picking, and labels in space.

#include "render/GLText.h"

#include <FTGL/ftgl.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/HtmlText.h"
#include "core/Messages.h"
#include "core/VectorMath.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLFont.h"
#include "render/GLSelection.h"
#include "render/MipmapTextureFont.h"
#include "render/OpenGLView.h"
#include "render/ViewGroup.h"

namespace corvia {

namespace detail_GLText {

constexpr double kPi = 3.14159265358979323846;
// Constant-size labels: a size of 1 is this part of the pane's height in pixels
// (800 / height), and orthogonal panes show this many units per unit of zoom.
constexpr double kConstantSizePixels = 800.0;
constexpr double kOrthoUnit = 0.7;

// The label style and links of the frame whose pane is being drawn; outside a drawing,
// those of the installed frame's panes.
TextState& Text() {
  const OpenGLView* view = OpenGLView::GetCurrent();
  return view ? view->GetViewGroup().text : CurrentViewGroup().text;
}

GLFont* FontOf(TextFont font) {
  return const_cast<GLFont*>(static_cast<const GLFont*>(font));
}

// The layout's view of the cached fonts and of the current pane.
class GLTextBackend final : public TextBackend {
 public:
  explicit GLTextBackend(OpenGLView* view) : mView(view) {}

  TextFont GetDefaultFont() override {
    GLFontCacheEntry* entry = GetDefaultFontEntry();
    return entry ? &entry->font : nullptr;
  }
  TextFont GetFont(const char* faceList, size_t length, int resolution) override {
    const int saved = GetDefaultFontResolution();
    SetDefaultFontResolution(resolution);
    GLFont* font = corvia::GetFont(faceList, static_cast<int>(length));
    SetDefaultFontResolution(saved);
    return font;
  }
  int GetDefaultResolution() override { return GetDefaultFontResolution(); }
  double GetFontScale(TextFont font) override { return FontOf(font)->mScale; }
  int GetResolution(TextFont font) override { return FontOf(font)->mResolution; }
  double GetAscender(TextFont font, uint32_t style) override { return Face(font, style)->Ascender(); }
  double GetDescender(TextFont font, uint32_t style) override { return Face(font, style)->Descender(); }
  double GetLineHeight(TextFont font, uint32_t style) override { return Face(font, style)->LineHeight(); }
  double GetAdvance(TextFont font, uint32_t style, const char* text, size_t length) override {
    const std::string copy(text, length);
    return Face(font, style)->Advance(copy.c_str());
  }
  void GetBounds(TextFont font, uint32_t style, const char* text, size_t length, double* box) override {
    const std::string copy(text, length);
    const FTBBox bounds = Face(font, style)->BBox(copy.c_str());
    box[0] = bounds.Lower().X();
    box[1] = bounds.Lower().Y();
    box[2] = bounds.Upper().X();
    box[3] = bounds.Upper().Y();
  }
  void GetCornerColors(TextFont font, const float* rgba, float* top, float* bottom) override {
    const GLFont* f = FontOf(font);
    std::copy(rgba, rgba + 4, top);
    std::copy(rgba, rgba + 4, bottom);
    if (f->mFadeAmount >= 0.0f) {
      for (int c = 0; c < 3; ++c) bottom[c] = (f->mFadeLevel - rgba[c]) * f->mFadeAmount + rgba[c];
    } else if (f->mGradient[0] >= 0.0f) {
      std::copy(f->mGradient, f->mGradient + 3, bottom);
    }
  }
  float GetShadowAlpha(TextFont font) override { return FontOf(font)->mShadowAlpha; }
  void GetStartColor(float* rgba) override { std::copy(Text().color, Text().color + 4, rgba); }

  void BeginText() override {
    if (mView->IsPicking()) mView->ClearGLSelectionItem();
  }
  void UseFont(TextFont font) override { FontOf(font)->SetTextureEnable(); }
  void DrawPiece(const TextPiece& piece) override {
    // A pick finds only the links: other text carries no name and cannot be hit, and
    // its glyphs drawn in selection mode made the software driver keep vertex stores
    // it never freed.
    if (mView->IsPicking() && !mInPickedLink) return;
    FTFont* face = FontOf(piece.font)->GetFace(piece.style);
    if (!face) return;
    float top[4], bottom[4];
    std::copy(piece.top, piece.top + 4, top);
    std::copy(piece.bottom, piece.bottom + 4, bottom);
    mView->Materials().FilterColor4(top);
    mView->Materials().FilterColor4(bottom);
    SetGlyphCorners(top, bottom);
    // Glow passes lie over the text without hiding what is drawn later.
    const bool depthWrites = piece.kind == TextPieceKind::Glow ? mView->Materials().SetDepthWrites(false) : true;
    const std::string text(piece.text, piece.length);
    glPushMatrix();
    glTranslated(piece.pen[0], piece.pen[1], piece.pen[2]);
    glScaled(piece.scale, piece.scale, piece.scale);
    glNormal3f(0.0f, 0.0f, 1.0f);
    face->Render(text.c_str());
    glPopMatrix();
    if (piece.kind == TextPieceKind::Glow) mView->Materials().SetDepthWrites(depthWrites);
    SetGlyphShear(0.0f);
  }
  void BeginLink(const std::string& target, int id, intptr_t value) override {
    if (!mView->IsPicking() || Text().linkPickMask == 0) return;
    SetGLSelectionItem(Text().linkItemType, Text().linksDrawn++);
    Text().links.push_back(HtmlLink{target, id, value});
    mInPickedLink = true;
  }
  void EndLink() override {
    if (mView->IsPicking()) mView->ClearGLSelectionItem();
    mInPickedLink = false;
  }
  void Trace(const char* line) override { DoNothing("%s\n", line); }

 private:
  // A loaded font always has its regular face.
  FTFont* Face(TextFont font, uint32_t style) { return FontOf(font)->GetFace(style); }

  OpenGLView* mView;
  bool mInPickedLink = false;
};

// Runs the layout in the current pane: unlit, with texturing and the glyph state
// put back afterwards.
template <typename Draw>
double WithBackend(Draw draw) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return 0.0;
  const bool lit = SetLighting(view, false);
  const bool textured = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
  GLTextBackend backend(view);
  TextLayout layout(backend);
  const double result = draw(layout);
  SetGlyphShear(0.0f);
  if (textured) {
    glEnable(GL_TEXTURE_2D);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
  SetLighting(view, lit);
  CheckGLError("GLFont::DrawHtml");
  return result;
}

// a x b made unit; when they are parallel, a vector perpendicular to a.
void PerpendicularInPlane(double* out, const double* a, const double* b) {
  Cross(out, a, b);
  if (Dot(out, out) <= 1e-24) PerpendicularByAxis(out, a);
  NormaliseVector(out, out);
}

// Model units per pixel of the pane at the point, across the line of sight.
double UnitsPerPixelAt(OpenGLView* view, const double* point) {
  if (!view->Is3D()) return view->Mapping2D().PixelsToUnitsY(1.0);
  constexpr double kStep = 1e-3;
  double a[3], b[3], q[3];
  for (int i = 0; i < 3; ++i) q[i] = point[i] + kStep * view->Camera().GetUpAxis()[i];
  view->ApplyViewTransform(a, point);
  view->ApplyViewTransform(b, q);
  const double pixels = std::hypot(b[0] - a[0], b[1] - a[1]);
  return pixels > 0.0 && std::isfinite(pixels) ? kStep / pixels : 0.0;
}

}  // namespace detail_GLText

TextState::TextState() : offset(kDefaultTextOffset) {}
TextState::~TextState() = default;

// ---- Settings -------------------------------------------------------------------------------------

void SetGLTextColor(const float* rgba) {
  if (rgba) std::copy(rgba, rgba + 4, detail_GLText::Text().color);
}

void GetGLTextColor(float* rgba) {
  std::copy(detail_GLText::Text().color, detail_GLText::Text().color + 4, rgba);
}

void SetGLTextOffset(double offset, int mode) {
  detail_GLText::Text().offset = offset;
  detail_GLText::Text().offsetMode = mode;
}

double GetGLTextOffset() {
  return detail_GLText::Text().offset;
}
int GetGLTextOffsetMode() {
  return detail_GLText::Text().offsetMode;
}

// ---- Links ------------------------------------------------------------------------------------------

void ResetHtmlLinks(uint32_t pickMask, int itemType) {
  detail_GLText::Text().linkPickMask = pickMask;
  detail_GLText::Text().linkItemType = itemType;
  detail_GLText::Text().linksDrawn = 0;
  detail_GLText::Text().links.clear();
}

const HtmlLink* GetHtmlLink(int index) {
  const auto& links = detail_GLText::Text().links;
  return index >= 0 && index < static_cast<int>(links.size()) ? &links[static_cast<size_t>(index)] : nullptr;
}

int CountHtmlLinks() {
  return static_cast<int>(detail_GLText::Text().links.size());
}

// ---- Drawing --------------------------------------------------------------------------------------

float GLFont::DrawHtml(float* pen, float size, float width, const char* text, uint32_t flags, float* boxMin,
                       float* boxMax, int charLimit, intptr_t linkValue) {
  if (!pen) return 0.0f;
  double at[3] = {pen[0], pen[1], pen[2]};
  const float height = DrawHtmlAt(at, size, width, text, flags, boxMin, boxMax, charLimit, linkValue);
  for (int i = 0; i < 3; ++i) pen[i] = static_cast<float>(at[i]);
  return height;
}

float DrawHtmlAt(double* pen, float size, float width, const char* text, uint32_t flags, float* boxMin, float* boxMax,
                 int charLimit, intptr_t linkValue) {
  if (!pen || !text || !*text) return 0.0f;
  return static_cast<float>(detail_GLText::WithBackend([&](TextLayout& layout) {
    return layout.DrawHtml(pen, size, width, text, flags, boxMin, boxMax, charLimit, linkValue);
  }));
}

void GLFont::DrawRun(float* pen, float size, float left, float width, const float* rgba, uint32_t flags,
                     const char* text, int length, float* boxMin, float* boxMax) {
  if (!pen || !text || !rgba || !IsLoaded()) return;
  double at[3] = {pen[0], pen[1], pen[2]};
  const size_t n = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
  detail_GLText::WithBackend([&](TextLayout& layout) {
    layout.DrawRun(this, at, size, left, width, rgba, flags, text, n, boxMin, boxMax);
    return 0.0;
  });
  for (int i = 0; i < 3; ++i) pen[i] = static_cast<float>(at[i]);
}

void DrawGLText(int mode, const double* position, double size, double width, const char* text, uint32_t flags,
                const double* right, const double* up, const double* eye, const double* target, const double* viewUp) {
  using namespace detail_GLText;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !position || !text || !*text) return;
  // The text's box at the origin.
  float boxMin[2] = {FLT_MAX, FLT_MAX};
  float boxMax[2] = {-FLT_MAX, -FLT_MAX};
  double origin[3] = {0.0, 0.0, 0.0};
  DrawHtmlAt(origin, static_cast<float>(size), static_cast<float>(width), text, flags | kTextMeasureOnly, boxMin,
             boxMax, -1, 0);
  if (boxMin[0] > boxMax[0] || boxMin[1] > boxMax[1]) return;

  const int anchorKind = mode & kTextAnchorMask;
  double anchor[2] = {boxMin[0], (boxMin[1] + boxMax[1]) / 2.0};
  if (anchorKind == kTextAnchorCentre || anchorKind == kTextAnchorCentreFacing) {
    anchor[0] = (boxMin[0] + boxMax[0]) / 2.0;
  } else if (anchorKind == kTextAnchorBottomCentre) {
    anchor[0] = (boxMin[0] + boxMax[0]) / 2.0;
    anchor[1] = boxMin[1];
  }

  // The camera, unless the caller gives its own.
  double eyePoint[3], cameraUp[3], viewing[3];
  CopyVector(eyePoint, eye ? eye : view->Camera().GetEye());
  CopyVector(cameraUp, viewUp ? viewUp : view->Camera().GetUpAxis());
  if (target) {
    Subtract(viewing, target, eyePoint);
  } else {
    NegateInto(viewing, view->Camera().GetViewAxis());
  }
  NormaliseVector(viewing, viewing);
  double toEye[3];
  Subtract(toEye, eyePoint, position);
  if (Dot(toEye, toEye) <= 0.0) NegateInto(toEye, viewing);
  NormaliseVector(toEye, toEye);

  double r[3], u[3], n[3];
  if (right && anchorKind != kTextAnchorCentreFacing) {
    CopyVector(r, right);
    NormaliseVector(r, r);
    if (up) {
      CopyVector(u, up);
      NormaliseVector(u, u);
    } else {
      // Up across the right axis and the line of sight, so that the text faces the eye.
      double backwards[3];
      NegateInto(backwards, viewing);
      PerpendicularInPlane(u, backwards, r);
    }
  } else {
    // Facing the eye, turned as the view is turned about its line of sight.
    PerpendicularInPlane(r, cameraUp, toEye);
    Cross(u, toEye, r);
    NormaliseVector(u, u);
  }
  if ((mode & kTextKeepUpright) && Dot(u, cameraUp) < 0.0) {
    Negate(r);
    Negate(u);
    anchor[0] = boxMin[0] + boxMax[0] - anchor[0];
    anchor[1] = boxMin[1] + boxMax[1] - anchor[1];
  }
  Cross(n, r, u);
  if ((mode & kTextFaceEye) && Dot(n, toEye) < 0.0) {
    Negate(r);
    Negate(n);
    anchor[0] = boxMin[0] + boxMax[0] - anchor[0];
  }

  double at[3];
  CopyVector(at, position);
  if (!view->Camera().IsOrthogonal()) {
    double towards[3];
    Subtract(towards, eyePoint, position);
    if (detail_GLText::Text().offsetMode == 1) NormaliseVector(towards, towards);
    for (int i = 0; i < 3; ++i) at[i] += detail_GLText::Text().offset * towards[i];
  }
  double scale = 1.0;
  if ((mode & kTextConstantSize) && view->GetClientHeight() > 0) {
    double unit = kOrthoUnit / std::max(view->Mapping2D().GetZoom(), 1e-6f);
    if (!view->Camera().IsOrthogonal()) {
      double fromEye[3];
      Subtract(fromEye, at, eyePoint);
      unit = std::tan(view->Camera().GetFieldOfViewInEffect() * kPi / 360.0) * Dot(fromEye, viewing);
    }
    scale = kConstantSizePixels / view->GetClientHeight() * unit;
  }

  const GLdouble frame[16] = {r[0], r[1], r[2], 0.0, u[0],  u[1],  u[2],  0.0,
                              n[0], n[1], n[2], 0.0, at[0], at[1], at[2], 1.0};
  glPushMatrix();
  glMultMatrixd(frame);
  glScaled(scale, scale, scale);
  glTranslated(-anchor[0], -anchor[1], 0.0);
  double pen[3] = {0.0, 0.0, 0.0};
  DrawHtmlAt(pen, static_cast<float>(size), static_cast<float>(width), text, flags, nullptr, nullptr, -1, 0);
  glPopMatrix();
  CheckGLError("DrawGLText");
}

void DrawGLScreenText(const char* text, const double* position, const float* rgb) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || view->IsPicking() || !position || !text || !*text) return;
  const double size = GetGLScreenTextHeight(position);
  if (size <= 0.0) return;
  view->Text().CountScreenText();
  float saved[4];
  GetGLTextColor(saved);
  const float colour[4] = {rgb ? rgb[0] : 1.0f, rgb ? rgb[1] : 1.0f, rgb ? rgb[2] : 1.0f, 1.0f};
  SetGLTextColor(colour);
  DrawGLText(kTextAnchorCentreFacing, position, size, -1.0, text, 0, nullptr, nullptr, nullptr, nullptr, nullptr);
  SetGLTextColor(saved);
}

double GetGLScreenTextHeight(const double* position) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !position) return 0.0;
  return kScreenTextPixels * std::max(view->Text().GetFontScale(), 1) * detail_GLText::UnitsPerPixelAt(view, position);
}

uint64_t CountGLScreenTexts(OpenGLView& view) {
  return view.Text().GetScreenTextCount();
}

}  // namespace corvia
