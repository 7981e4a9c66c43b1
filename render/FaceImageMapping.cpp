// Where an image placed on faces lies: its frame, rotation and size, the texture
// coordinates of its projections, the repair of the wrap seam and the poles, and the
// fit commands. Plain arithmetic: nothing here calls GL.

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/FaceImageRef.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "platform/Services.h"
#include "render/FaceImage.h"
#include "render/FaceImageMapping.h"
#include "render/FaceImageTexturing.h"
#include "render/OpenGLView.h"
#include "render/OutcomeBoxes.h"
#include "render/TextureImage.h"

namespace corvia {

namespace detail_FaceImageMapping {

constexpr double kPi = 3.14159265358979323846;
constexpr double kQuarterTurn = 0.5 * kPi;

// How the picture fills its texture.
struct TextureLayout {
  double aspect = 1.0;
  bool repeatS = false;
  bool repeatT = false;
  double usedWidth = 1.0, usedHeight = 1.0;
  double textureWidth = 1.0, textureHeight = 1.0;
  int margins[4] = {0, 0, 0, 0};
};

bool WrapsRound(int projection) {
  return projection == kImageProjectCylindrical || projection == kImageProjectSpherical ||
         projection == kImageProjectCubic;
}

TextureLayout LayoutOf(const FaceImage& image) {
  TextureLayout layout;
  const TextureImage* texture = image.mTextureImage;
  if (!texture) {
    // No picture: the whole of texture space is the image.
    layout.repeatS = WrapsRound(image.mProjection) || image.mBoundaryMode == kImageBoundaryRepeat;
    layout.repeatT = image.mBoundaryMode == kImageBoundaryRepeat;
    return layout;
  }
  layout.aspect = texture->mAspectRatio > 0.0 ? texture->mAspectRatio : 1.0;
  layout.repeatS = texture->mWrapS == kWrapRepeat;
  layout.repeatT = texture->mWrapT == kWrapRepeat;
  layout.usedWidth = std::max(texture->mUsedWidth, 1);
  layout.usedHeight = std::max(texture->mUsedHeight, 1);
  layout.textureWidth = std::max(texture->mTextureWidth, 1);
  layout.textureHeight = std::max(texture->mTextureHeight, 1);
  texture->GetTextureMargins(layout.margins);
  return layout;
}

// A coordinate of the image (0 to 1 across it) into the part of the texture it fills.
double IntoTextureS(const TextureLayout& layout, double u) {
  if (layout.repeatS) return u;
  return u * layout.usedWidth / layout.textureWidth + layout.margins[0] / layout.textureWidth;
}
double IntoTextureT(const TextureLayout& layout, double v) {
  if (layout.repeatT) return v;
  return v * layout.usedHeight / layout.textureHeight + layout.margins[1] / layout.textureHeight;
}

// A divisor that is never 0 (a damaged size from a file must not give infinities).
double Safe(double value) { return std::fabs(value) > 1e-300 ? value : 1.0; }

// The corners of an element: its neighbours' points, those at infinity left out.
std::vector<double> CornersOf(const PolyElement* element) {
  std::vector<double> corners;
  if (!element) return corners;
  for (int i = 0; i < element->mNumSides; ++i) {
    const PolyElement* c = element->mNeighbours ? element->mNeighbours[i] : nullptr;
    if (!c || c->HasFlag(kElementInf)) continue;
    corners.insert(corners.end(), c->mDualVert, c->mDualVert + 3);
  }
  return corners;
}

std::vector<double> CornersOf(const Face3D* facelet) {
  std::vector<double> corners;
  if (!facelet || !facelet->mEdges) return corners;
  const int count = facelet->GetNumEdges();
  for (int i = 0; i < count; ++i) {
    const double* p = Face3D::GetCornerPosition(&facelet->mEdges[i]);
    corners.insert(corners.end(), p, p + 3);
  }
  return corners;
}

// The face whose type decides the mirror rule for the image's owner.
const PolyElement* OwnerTypeFace(const FaceImage& image) {
  if (const Face3D* facelet = image.GetOwnerFacelet()) return facelet->mSourceFace;
  return image.GetOwnerFace();
}

bool IsMirrorImageType(const PolyElement* face) {
  return face && face->mType && face->mType->HasLowerIdPartner();
}

void RotationFrame(double* frame, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double values[12] = {c, s, 0.0, -s, c, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0};
  std::copy(values, values + 12, frame);
}

// The up direction of the pane being drawn or else the active pane; false when none.
bool ViewUp(double* up) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) view = dynamic_cast<OpenGLView*>(NewView::GetActiveView());
  if (!view) return false;
  CopyVector(up, view->Camera().GetUpAxis());
  return true;
}

void Widen(double* extents, double x, double y) {
  extents[0] = std::min(extents[0], x);
  extents[1] = std::min(extents[1], y);
  extents[2] = std::max(extents[2], x);
  extents[3] = std::max(extents[3], y);
}

void EmptyExtents(double* extents) {
  extents[0] = extents[1] = 1e300;
  extents[2] = extents[3] = -1e300;
}

bool HasExtents(const double* extents) { return extents[0] <= extents[2] && extents[1] <= extents[3]; }

// The facet model whose facelets the model shows, when it shows a stellation.
Model3D* ShownStellationModel(Poly* poly) {
  FaceTypeBlock* block = poly ? poly->GetShownBlock() : nullptr;
  if (!block || FaceTypeBlock::IsOriginalStellation(block)) return nullptr;
  return GetModel3DTellingAfterDrawing(block, false);
}

// Every point the fits round the model measure.
std::vector<double> ModelPoints(Poly* poly) {
  std::vector<double> points;
  if (Model3D* model = ShownStellationModel(poly)) {
    for (int i = 0; i < model->GetNumVerts(); ++i) {
      const double* p = model->GetVert(i)->mPos;
      points.insert(points.end(), p, p + 3);
    }
    if (!points.empty()) return points;
  }
  ElementList* vertices = nullptr;
  poly->GetParts(poly->mShowDual != 0, nullptr, &vertices, nullptr, nullptr);
  for (PolyElement* v = vertices ? vertices->mHead : nullptr; v; v = v->mNext) {
    if (v->HasFlag(kElementInf)) continue;
    points.insert(points.end(), v->mDualVert, v->mDualVert + 3);
  }
  return points;
}

// The corners the fit round the selected face measures: the facelets made from it
// when the model shows a stellation, else its own.
std::vector<double> SelectedFacePoints(Poly* poly, const PolyElement* face) {
  std::vector<double> points;
  if (Model3D* model = ShownStellationModel(poly)) {
    for (Face3DType* type = model->mFaceTypes; type; type = type->mNext) {
      for (int i = 0; i < type->mNumFacelets; ++i) {
        const Face3D& facelet = type->mFacelets[i];
        if (facelet.mSourceFace != face) continue;
        const std::vector<double> corners = CornersOf(&facelet);
        points.insert(points.end(), corners.begin(), corners.end());
      }
    }
    if (!points.empty()) return points;
  }
  return CornersOf(face);
}

}  // namespace detail_FaceImageMapping

// ---- Size --------------------------------------------------------------------------------

double GetAspectRatio(const FaceImage* image) {
  return detail_FaceImageMapping::LayoutOf(*image).aspect;
}

double GetBaseScale(const FaceImage* image) {
  return image->mBaseScale * GetAspectRatio(image);
}

double GetScale(const FaceImage* image) {
  return GetBaseScale(image) * image->mSize;
}

void SetScale(FaceImage* image, double width) {
  const double base = GetBaseScale(image);
  if (std::fabs(base) > 1e-300) image->mSize = width / base;
}

// ---- Frames and rotation -----------------------------------------------------------------

void UpdateFrame(const FaceImage* image, double* frame, const PolyElement* face) {
  using namespace detail_FaceImageMapping;
  double x[3], y[3], z[3], origin[3];
  if (image->mProjection == kImageProjectPerFace && !face) face = OwnerTypeFace(*image);
  if (image->mProjection == kImageProjectPerFace && face) {
    face->GetNormal(z);
    CopyVector(x, face->mXAxis);
    const bool upright = (image->mFlags & kFaceImageKeepUpright) != 0;
    if (!upright && IsMirrorImageType(face)) Negate(x);
    Cross(y, z, x);
    CopyVector(origin, face->mCentre);
    double up[3];
    if (upright && ViewUp(up)) {
      // The view's up made to lie in the face; a face seen along the up keeps its axes.
      double along[3];
      Scale(along, z, Dot(up, z));
      Subtract(up, up, along);
      double cross[3];
      if (NormaliseVector(up, up)) {
        Cross(cross, up, z);
        if (NormaliseVector(cross, cross)) {
          CopyVector(y, up);
          CopyVector(x, cross);
        }
      }
    }
  } else {
    CopyVector(x, image->mFrame);
    CopyVector(y, image->mFrame + 3);
    CopyVector(z, image->mFrame + 6);
    CopyVector(origin, image->mFrame + 9);
  }
  // The turn about z.
  const double* r = image->mRotationFrame;
  for (int k = 0; k < 3; ++k) {
    frame[k] = r[0] * x[k] + r[1] * y[k] + r[2] * z[k];
    frame[3 + k] = r[3] * x[k] + r[4] * y[k] + r[5] * z[k];
    frame[6 + k] = z[k];
    frame[9 + k] = origin[k];
  }
}

void SetRotation(FaceImage* image, double angle) {
  using namespace detail_FaceImageMapping;
  image->mRotation = angle;
  image->mRotationInUse = angle;
  RotationFrame(image->mRotationFrame, image->mRotationInUse);
  if (!GetFaceImageSettings().snapToEdges || !std::isfinite(angle)) return;
  if (image->mFlags & kFaceImageKeepUpright) {
    // To the nearest quarter turn; the remainder taken in 0 to 2 pi, so that turns the
    // other way snap too.
    double a = std::fmod(angle, 2.0 * kPi);
    if (a < 0.0) a += 2.0 * kPi;
    for (int k = 0; k <= 4; ++k) {
      if (std::fabs(a - k * kQuarterTurn) <= kImageSnapAngle) {
        image->mRotationInUse = (k % 4) * kQuarterTurn;
        RotationFrame(image->mRotationFrame, image->mRotationInUse);
        return;
      }
    }
    return;
  }
  // To the owner's edges: the smallest turn that lays an edge along an image axis.
  const Face3D* facelet = image->GetOwnerFacelet();
  const PolyElement* face = facelet ? facelet->mSourceFace : image->GetOwnerFace();
  const std::vector<double> corners = facelet ? CornersOf(facelet) : CornersOf(face);
  const size_t n = corners.size() / 3;
  if (n < 2) return;
  double frame[12];
  UpdateFrame(image, frame, face);
  double best = 0.0;
  bool found = false;
  for (size_t i = 0; i < n; ++i) {
    double edge[3];
    Subtract(edge, &corners[3 * ((i + 1) % n)], &corners[3 * i]);
    const double ex = Dot(edge, frame);
    const double ey = Dot(edge, frame + 3);
    if (std::hypot(ex, ey) <= kPointTolerance) continue;
    const double a = std::atan2(ey, ex);
    const double correction = a - std::round(a / kQuarterTurn) * kQuarterTurn;
    if (std::fabs(correction) <= kImageSnapAngle && (!found || std::fabs(correction) < std::fabs(best))) {
      best = correction;
      found = true;
    }
  }
  if (found) {
    image->mRotationInUse += best;
    RotationFrame(image->mRotationFrame, image->mRotationInUse);
  }
}

void Rotate(FaceImage* image, double delta) {
  using namespace detail_FaceImageMapping;
  if (IsMirrorImageType(OwnerTypeFace(*image))) delta = -delta;
  SetRotation(image, image->mRotation + delta);
}

bool OrientTowardsSelection(FaceImage* image, Poly* poly, bool alignHeight) {
  if (!poly) return false;
  PolyItem* item = poly->GetSelectedItemOrCurrentFace();
  if (!item) return false;
  const bool dual = poly->mShowDual != 0;
  double centre[3] = {0.0, 0.0, 0.0};
  const PolyElement* element = item->AsElement();
  if (element) {
    CopyVector(centre, PolyItem::IsVertexIn(item, dual) ? element->mDualVert : element->mCentre);
  } else if (Edge* edge = item->AsEdge()) {
    PolyElement* ends[2] = {nullptr, nullptr};
    edge->GetVerts(dual, ends);
    if (!ends[0] || !ends[1] || ends[0]->HasFlag(kElementInf) || ends[1]->HasFlag(kElementInf)) return false;
    for (int k = 0; k < 3; ++k) centre[k] = 0.5 * (ends[0]->mDualVert[k] + ends[1]->mDualVert[k]);
  }
  if (VectorLength(centre) <= kPointTolerance) return false;
  double towards[3];
  NormaliseVector(towards, centre);
  double x[3], y[3], z[3];
  if (!alignHeight) {
    CopyVector(z, towards);
    // The selected face's up, made square to the new axis.
    bool kept = false;
    if (element && !PolyItem::IsVertexIn(item, dual)) {
      double along[3];
      Scale(along, z, Dot(element->mYAxis, z));
      Subtract(y, element->mYAxis, along);
      kept = NormaliseVector(y, y);
    }
    if (!kept) {
      PerpendicularByAxis(y, z);
      NormaliseVector(y, y);
    }
  } else {
    CopyVector(y, towards);
    double along[3];
    Scale(along, y, Dot(image->mFrame + 6, y));
    Subtract(z, image->mFrame + 6, along);
    if (!NormaliseVector(z, z)) {
      PerpendicularByAxis(z, y);
      NormaliseVector(z, z);
    }
  }
  Cross(x, y, z);
  NormaliseVector(x, x);
  CopyVector(image->mFrame, x);
  CopyVector(image->mFrame + 3, y);
  CopyVector(image->mFrame + 6, z);
  platform::Services().views->RedrawAllViews(false);
  return true;
}

// ---- Extents and fitting -----------------------------------------------------------------

void GetExtentsInFrame(const FaceImage* image, const double* points, int count, const PolyElement* face,
                       double* extents) {
  using namespace detail_FaceImageMapping;
  EmptyExtents(extents);
  double frame[12];
  UpdateFrame(image, frame, face);
  for (int i = 0; i < count; ++i) {
    double d[3];
    Subtract(d, &points[3 * i], frame + 9);
    Widen(extents, Dot(d, frame), Dot(d, frame + 3));
  }
}

bool FitToExtents(FaceImage* image, const double* extents) {
  using namespace detail_FaceImageMapping;
  if (!HasExtents(extents)) return false;
  const double width = extents[2] - extents[0];
  const double height = extents[3] - extents[1];
  // An outline of no size would give a size of 0, and every coordinate a division by it.
  if (width <= kPointTolerance && height <= kPointTolerance) return false;
  image->mBaseScale = 1.0;
  SetScale(image, width);
  if (height > image->mSize) image->mSize = height;
  image->mOffset[0] = 0.5 * (extents[0] + extents[2]) / Safe(GetScale(image));
  image->mOffset[1] = 0.5 * (extents[1] + extents[3]) / Safe(image->mSize);
  return true;
}

void GetImageArea(const FaceImage* image, double* area) {
  using namespace detail_FaceImageMapping;
  const TextureLayout layout = LayoutOf(*image);
  area[0] = IntoTextureS(layout, 0.0);
  area[1] = IntoTextureT(layout, 0.0);
  area[2] = IntoTextureS(layout, 1.0);
  area[3] = IntoTextureT(layout, 1.0);
  if (image->mFlags & kFaceImageFlip) std::swap(area[0], area[2]);
}

bool LargestRectangleInPolygon(const std::vector<double>& polygon, double aspect, double* result) {
  const size_t n = polygon.size() / 2;
  if (n < 3 || !(aspect > 0.0)) return false;
  double area = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const size_t j = (i + 1) % n;
    area += polygon[2 * i] * polygon[2 * j + 1] - polygon[2 * j] * polygon[2 * i + 1];
  }
  if (std::fabs(area) <= kVanishingTolerance) return false;
  const double sense = area > 0.0 ? 1.0 : -1.0;
  // Each edge keeps the whole rectangle (centre c, height h, width aspect h) on its
  // inner side: n . c - h (|nx| aspect + |ny|) / 2 >= n . a. With h >= 0 these are
  // linear in (cx, cy, h); the best lies where three of them meet.
  struct Constraint {
    double a[3];
    double b;
  };
  std::vector<Constraint> constraints;
  for (size_t i = 0; i < n; ++i) {
    const size_t j = (i + 1) % n;
    double nx = -(polygon[2 * j + 1] - polygon[2 * i + 1]) * sense;
    double ny = (polygon[2 * j] - polygon[2 * i]) * sense;
    const double length = std::hypot(nx, ny);
    if (length <= kVanishingTolerance) continue;
    nx /= length;
    ny /= length;
    constraints.push_back(
        {{nx, ny, -0.5 * (std::fabs(nx) * aspect + std::fabs(ny))}, nx * polygon[2 * i] + ny * polygon[2 * i + 1]});
  }
  constraints.push_back({{0.0, 0.0, 1.0}, 0.0});
  const size_t m = constraints.size();
  bool found = false;
  double best[3] = {0.0, 0.0, -1.0};
  constexpr double kSlack = 1e-9;
  for (size_t i = 0; i < m; ++i) {
    for (size_t j = i + 1; j < m; ++j) {
      for (size_t k = j + 1; k < m; ++k) {
        const double* r0 = constraints[i].a;
        const double* r1 = constraints[j].a;
        const double* r2 = constraints[k].a;
        double c12[3], c20[3], c01[3];
        Cross(c12, r1, r2);
        Cross(c20, r2, r0);
        Cross(c01, r0, r1);
        const double det = Dot(r0, c12);
        if (std::fabs(det) <= kVanishingTolerance) continue;
        double p[3];
        for (int c = 0; c < 3; ++c) {
          p[c] = (constraints[i].b * c12[c] + constraints[j].b * c20[c] + constraints[k].b * c01[c]) / det;
        }
        if (p[2] <= best[2]) continue;
        bool inside = true;
        for (const Constraint& constraint : constraints) {
          if (Dot(constraint.a, p) < constraint.b - kSlack) {
            inside = false;
            break;
          }
        }
        if (inside) {
          CopyVector(best, p);
          found = true;
        }
      }
    }
  }
  if (!found || best[2] <= kPointTolerance) return false;
  CopyVector(result, best);
  return true;
}

namespace detail_FaceImageMapping {

enum class ImageFit { SelectedFace, FaceCircle, FacesWithSameImage, Model, ModelSphere, WithinFace };

bool FitImage(Poly* poly, ImageFit fit) {
  if (!poly) return false;
  PolyElement* face = poly->GetSelectedOrCurrentFace();
  FaceImage* image = face ? face->GetImage() : nullptr;
  if (!image) return false;
  image->mBaseScale = 1.0;
  double extents[4];
  EmptyExtents(extents);
  double frame[12];
  UpdateFrame(image, frame, face);
  auto widenByPoints = [&](const std::vector<double>& points, const PolyElement* frameFace) {
    double more[4];
    GetExtentsInFrame(image, points.data(), static_cast<int>(points.size() / 3), frameFace, more);
    if (!HasExtents(more)) return;
    Widen(extents, more[0], more[1]);
    Widen(extents, more[2], more[3]);
  };
  auto widenBySphere = [&](const double* centre, double radius) {
    double d[3];
    Subtract(d, centre, frame + 9);
    const double x = Dot(d, frame);
    const double y = Dot(d, frame + 3);
    Widen(extents, x - radius, y - radius);
    Widen(extents, x + radius, y + radius);
  };
  switch (fit) {
    case ImageFit::SelectedFace:
      widenByPoints(SelectedFacePoints(poly, face), face);
      break;
    case ImageFit::FaceCircle: {
      const std::vector<double> corners = CornersOf(face);
      double radius = 0.0;
      for (size_t i = 0; i + 2 < corners.size(); i += 3) {
        double d[3];
        Subtract(d, &corners[i], face->mCentre);
        radius = std::max(radius, VectorLength(d));
      }
      widenBySphere(face->mCentre, radius);
      break;
    }
    case ImageFit::FacesWithSameImage:
      if (!face->mList) {
        widenByPoints(CornersOf(face), face);
        break;
      }
      for (PolyElement* e = face->mList->mHead; e; e = e->mNext) {
        if (e->GetImage() == image) widenByPoints(CornersOf(e), e);
      }
      break;
    case ImageFit::Model:
      widenByPoints(ModelPoints(poly), face);
      break;
    case ImageFit::ModelSphere: {
      const std::vector<double> points = ModelPoints(poly);
      double radius = 0.0;
      for (size_t i = 0; i + 2 < points.size(); i += 3) radius = std::max(radius, VectorLength(&points[i]));
      const double origin[3] = {0.0, 0.0, 0.0};
      widenBySphere(origin, radius);
      break;
    }
    case ImageFit::WithinFace: {
      const std::vector<double> corners = CornersOf(face);
      std::vector<double> polygon;
      for (size_t i = 0; i + 2 < corners.size(); i += 3) {
        double d[3];
        Subtract(d, &corners[i], frame + 9);
        polygon.push_back(Dot(d, frame));
        polygon.push_back(Dot(d, frame + 3));
      }
      double rectangle[3];
      if (!LargestRectangleInPolygon(polygon, GetAspectRatio(image), rectangle)) return false;
      const double halfWidth = 0.5 * rectangle[2] * GetAspectRatio(image);
      Widen(extents, rectangle[0] - halfWidth, rectangle[1] - 0.5 * rectangle[2]);
      Widen(extents, rectangle[0] + halfWidth, rectangle[1] + 0.5 * rectangle[2]);
      break;
    }
  }
  if (!FitToExtents(image, extents)) return false;
  platform::Services().views->RedrawAllViews(false);
  return true;
}

}  // namespace detail_FaceImageMapping

bool FitImageAroundSelectedFace(Poly* poly) {
  using namespace detail_FaceImageMapping;
  return FitImage(poly, ImageFit::SelectedFace);
}
bool FitImageAroundFaceCircle(Poly* poly) {
  using namespace detail_FaceImageMapping;
  return FitImage(poly, ImageFit::FaceCircle);
}
bool FitImageAroundFacesWithSameImage(Poly* poly) {
  using namespace detail_FaceImageMapping;
  return FitImage(poly, ImageFit::FacesWithSameImage);
}
bool FitImageAroundModel(Poly* poly) {
  using namespace detail_FaceImageMapping;
  return FitImage(poly, ImageFit::Model);
}
bool FitImageAroundModelSphere(Poly* poly) {
  using namespace detail_FaceImageMapping;
  return FitImage(poly, ImageFit::ModelSphere);
}
bool FitImageWithinFace(Poly* poly) {
  using namespace detail_FaceImageMapping;
  return FitImage(poly, ImageFit::WithinFace);
}

// ---- Texture coordinates -------------------------------------------------------------------

void GetTexCoordTransform(const FaceImage* image, Transform3D& out, const PolyElement* face) {
  using namespace detail_FaceImageMapping;
  double frame[12];
  UpdateFrame(image, frame, face);
  const double* x = frame;
  const double* y = frame + 3;
  const double* z = frame + 6;
  const double* origin = frame + 9;
  double rows[3][4];
  if (WrapsRound(image->mProjection)) {
    // Into the image frame; the angles come per point.
    for (int k = 0; k < 3; ++k) {
      rows[0][k] = x[k];
      rows[1][k] = y[k];
      rows[2][k] = z[k];
    }
    rows[0][3] = -Dot(x, origin);
    rows[1][3] = -Dot(y, origin);
    rows[2][3] = -Dot(z, origin);
  } else {
    const TextureLayout layout = LayoutOf(*image);
    const double flip = (image->mFlags & kFaceImageFlip) ? -1.0 : 1.0;
    const double scale = Safe(GetScale(image));
    const double size = Safe(image->mSize);
    // u = flip ((p - o) . x / scale - offset x) + 0.5; v = (p - o) . y / size + 0.5 - offset y.
    double su = flip / scale;
    double tu = -su * Dot(x, origin) - flip * image->mOffset[0] + 0.5;
    double sv = 1.0 / size;
    double tv = -sv * Dot(y, origin) + 0.5 - image->mOffset[1];
    if (!layout.repeatS) {
      const double f = layout.usedWidth / layout.textureWidth;
      su *= f;
      tu = tu * f + layout.margins[0] / layout.textureWidth;
    }
    if (!layout.repeatT) {
      const double f = layout.usedHeight / layout.textureHeight;
      sv *= f;
      tv = tv * f + layout.margins[1] / layout.textureHeight;
    }
    for (int k = 0; k < 3; ++k) {
      rows[0][k] = su * x[k];
      rows[1][k] = sv * y[k];
      rows[2][k] = z[k];
    }
    rows[0][3] = tu;
    rows[1][3] = tv;
    rows[2][3] = -Dot(z, origin);
  }
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) out.m[3 * c + r] = rows[r][c];
    out.m[9 + r] = rows[r][3];
  }
}

void GetPointTexCoords(const FaceImage* image, const Transform3D& transform, const double* point, float* out,
                       const float* reference) {
  using namespace detail_FaceImageMapping;
  double q[3];
  TransformPoint(transform, q, point);
  if (!WrapsRound(image->mProjection)) {
    out[0] = static_cast<float>(q[0]);
    out[1] = static_cast<float>(q[1]);
    return;
  }
  const TextureLayout layout = LayoutOf(*image);
  const double distance = VectorLength(q);
  if (distance <= kImageAxisTolerance) {
    // The origin: no direction at all.
    out[0] = static_cast<float>(IntoTextureS(layout, 0.5));
    out[1] = static_cast<float>(IntoTextureT(layout, 0.5));
    return;
  }
  // u: the turn round the axis (y) from the right axis (x), towards the front (z)
  // going right; on the axis itself it has no value (FixTexCoordSeam gives one).
  double u = 0.5;
  if (std::hypot(q[0], q[2]) > kImageAxisTolerance) {
    u = std::atan2(-q[2], q[0]) / (2.0 * kPi) + 0.75 - image->mOffset[0];
    if (reference) {
      u += std::round(reference[0] - u);
    } else if (u >= 1.0) {
      u -= 1.0;
    }
  }
  double v;
  if (image->mProjection == kImageProjectCylindrical) {
    v = q[1] / Safe(image->mSize) + 0.5 - image->mOffset[1];
  } else {
    // The polar angle from the axis, accurate near both poles.
    double n[3];
    Scale(n, q, 1.0 / distance);
    double phi;
    if (n[1] >= 0.0) {
      const double d = std::hypot(n[0], n[1] - 1.0, n[2]);
      phi = 2.0 * std::asin(std::min(1.0, 0.5 * d));
    } else {
      const double d = std::hypot(n[0], n[1] + 1.0, n[2]);
      phi = kPi - 2.0 * std::asin(std::min(1.0, 0.5 * d));
    }
    v = (0.5 - phi / kPi) * layout.aspect * 0.5;
    v = v * image->mBaseScale + 0.5 - image->mOffset[1];
  }
  out[0] = static_cast<float>(IntoTextureS(layout, u));
  out[1] = static_cast<float>(IntoTextureT(layout, v));
}

void GetTriangleTexCoords(const FaceImage* image, const Transform3D& transform, const double* const* points, float* out,
                          const float* previousU) {
  const float previous[2] = {previousU ? *previousU : 0.0f, 0.0f};
  GetPointTexCoords(image, transform, points[0], out, previousU ? previous : nullptr);
  GetPointTexCoords(image, transform, points[1], out + 2, out);
  GetPointTexCoords(image, transform, points[2], out + 4, out);
  FixTexCoordSeam(transform, points, out, image->mProjection);
}

void FixTexCoordSeam(const Transform3D& transform, const double* const* points, float* coords, int projection) {
  using namespace detail_FaceImageMapping;
  if (!WrapsRound(projection)) return;
  bool onAxis[3];
  int count = 0;
  for (int i = 0; i < 3; ++i) {
    double q[3];
    TransformPoint(transform, q, points[i]);
    onAxis[i] = std::hypot(q[0], q[2]) <= kImageAxisTolerance;
    if (onAxis[i]) ++count;
  }
  if (count == 1) {
    const int a = onAxis[0] ? 0 : onAxis[1] ? 1 : 2;
    const int j = (a + 1) % 3;
    const int k = (a + 2) % 3;
    coords[2 * k] += std::round(coords[2 * j] - coords[2 * k]);
    coords[2 * a] = 0.5f * (coords[2 * j] + coords[2 * k]);
  } else if (count == 2) {
    const int third = !onAxis[0] ? 0 : !onAxis[1] ? 1 : 2;
    for (int i = 0; i < 3; ++i) coords[2 * i] = coords[2 * third];
  }
}

}  // namespace corvia
