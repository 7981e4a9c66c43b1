// Drawing of a model's faces in the face draw modes.

#include "render/ElementDrawing.h"
#include "render/FaceImageMapping.h"
#include "render/FaceletDrawing.h"
#include "render/FacetModelDrawing.h"
#include "render/ModelDrawing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "core/FaceImageRef.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/RadixSorter.h"
#include "core/Tolerances.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementLabels.h"
#include "model/ElementList.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "platform/Services.h"
#include "render/FaceDiagramDrawing.h"
#include "render/FaceMeshCache.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/GLSelection.h"
#include "render/GeomagDrawing.h"
#include "render/LightSets.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/MorphDrawing.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/OutcomeBoxes.h"
#include "render/SelectionItems.h"
#include "render/StellationDrawing.h"

namespace corvia {

namespace detail_ModelDrawing {

// Mouse selection mode 2, "Cut/Uncut Edges": facets are picked.
constexpr int kMouseModePickFacets = 2;
// Highlight mode 1: the selected face's stellation diagram is shown on it.
constexpr int kHighlightDiagram = 1;
// Face-drag option bit 25: the held face is drawn all the same.
constexpr uint32_t kFaceDragDrawHeld = 1u << 25;

// Whether the pane's own frame shows rainbow colours.
bool Rainbow(const OpenGLView* view) {
  return (GetRainbowFlags(view->GetViewGroup()) & kRainbowColors) != 0;
}

bool GeomagOn() {
  return GetElementDisplayOptions().constructionToyStyle;
}

// The members of the face's coplanar ring after it (not the face itself).
template <typename Visit>
void ForEachOtherInRing(PolyElement* face, Visit visit) {
  int steps = face->mList ? face->mList->mCount : 0;
  for (PolyElement* m = face->mCoplanarNext; m && m != face && steps-- > 0; m = m->mCoplanarNext) visit(m);
}

bool HasCoplanarPartner(const PolyElement* face) {
  return face->mCoplanarNext && face->mCoplanarNext != face;
}

// The face's own frame: diagram point (x, y) to world.
void FaceFrame(const PolyElement* face, Transform3D& frame) {
  face->GetFaceToWorld(frame, false);
}

// The facet edges of the face's diagram drawn on the face.
void DrawCellLinesOnFace(PolyElement* face, const double* offset) {
  if (face->mType) DrawFacetEdgesOnFace(face->mType, face, offset, 1.0);
}

void DrawCellLinesUnlessSelectedPlane(Poly* poly, PolyElement* face, double morph, const FaceDrawOptions& o) {
  if (!o.showCellLines) return;
  if (o.highlight == kHighlightDiagram && poly->IsInSelectedPlane(face)) return;
  double offset[3];
  GetMorphOffset(face, morph, offset);
  DrawCellLinesOnFace(face, offset);
}

// A face drawn on its own is drawn over everything, in the screen-door highlight.
class SingleFaceBrackets {
 public:
  SingleFaceBrackets(OpenGLView* view, bool on) : mView(view), mOn(on) {
    if (!mOn) return;
    glDisable(GL_DEPTH_TEST);
    mBefore = mView->Materials().GetTransparencyMode();
    GetModelDrawPane(mView).PushTransparency(kTransparencyScreenDoor);
  }
  ~SingleFaceBrackets() {
    if (!mOn) return;
    if (mView->Is3D()) glEnable(GL_DEPTH_TEST);
    GetModelDrawPane(mView).PopTransparency(mBefore);
  }
  SingleFaceBrackets(const SingleFaceBrackets&) = delete;
  SingleFaceBrackets& operator=(const SingleFaceBrackets&) = delete;

 private:
  OpenGLView* mView;
  bool mOn;
  int mBefore = kTransparencyOpaque;
};

// The points, lines and numbers drawn on the faces of one ring.
void DrawRingDetails(Poly* poly, PolyElement* face, double scale, double morph, const FaceDrawOptions& o) {
  OpenGLView* view = o.view;
  const bool lighting = SetLighting(view, false);
  auto details = [&](PolyElement* member) {
    double offset[3];
    GetMorphOffset(member, morph, offset);
    if (DiagnosticNumbers & kShowNumbersInFacePlanes) DrawNumber(member, scale, morph);
    if (o.showVertices) DrawCornerPoints(member, offset, scale);
    if (o.showEdges) DrawEdges(member, offset, scale);
  };
  details(face);
  ForEachOtherInRing(face, details);
  if (o.stellationModel) {
    if (const Face3D* facelet = PolyElement::GetFace3D(face)) {
      double offset[3];
      GetMorphOffset(face, morph, offset);
      if (o.showStelVertices) {
        view->Materials().SetMaterialColor(DefaultVertexColor);
        DrawRingVertices(o.stellationModel, facelet, offset);
      }
      if (o.showStelEdges) {
        view->Materials().SetMaterialColor(GetNewEdgeColor());
        DrawRingEdges(o.stellationModel, facelet, offset, o.facetPicking, false);
        DrawRingEdges(o.stellationModel, facelet, offset, o.facetPicking, true);
      }
    }
  }
  DrawCellLinesUnlessSelectedPlane(poly, face, morph, o);
  SetLighting(view, lighting);
}

// Whether the face shows another colour from behind: its own back colour, or that of
// one of its cells.
bool ColourDependsOnFacing(const PolyElement* face) {
  const float* front = face->GetColour();
  const float* back = face->mBackColor;
  if (front[0] != back[0] || front[1] != back[1] || front[2] != back[2]) return true;
  const CellColorArray* array = face->GetCellColours(0);
  if (!array || !array->mCells) return false;
  for (int32_t c = 0; c < array->mNumCells; ++c) {
    const DiagramCell& cell = array->mCells[c];
    if (cell.colour[0] != cell.secondColour[0] || cell.colour[1] != cell.secondColour[1] ||
        cell.colour[2] != cell.secondColour[2])
      return true;
  }
  return false;
}

// The face's cells through its frame, or (without cells) its polygon.
void DrawFaceCellsOrPolygon(PolyElement* face, double scale, const double* offset, CellDrawOptions& cells,
                            const float* colour, float alpha);

}  // namespace detail_ModelDrawing

bool DrawModeRespectsSkip(int drawMode) {
  return drawMode == kDrawModeStellation || (drawMode == kDrawModePlain && !detail_ModelDrawing::GeomagOn()) ||
         drawMode == kDrawModeTruncation || drawMode == kDrawModeExpansion;
}

bool IsMorphPieceMode(int drawMode) {
  return drawMode == kDrawModeAugmentation ||
         (drawMode >= kDrawModeTiltingQuads && drawMode <= kDrawModeTiltingToCompound);
}

void GetMorphOffset(const PolyElement* element, double morph, double* out) {
  if (morph == 1.0 || !element) {
    out[0] = out[1] = out[2] = 0.0;
    return;
  }
  for (int k = 0; k < 3; ++k) out[k] = (morph - 1.0) * element->mCentre[k];
}

namespace detail_ModelDrawing {

// The diagram whose cells DrawFaceThroughFrame draws for the face, or null when it
// draws the face's polygon.
const FaceDiagramResult* DrawnDiagram(const PolyElement* face) {
  const FaceType* type = face->mType;
  const FaceType* master = type && type->mCoplanarMaster ? type->mCoplanarMaster : type;
  const CellColorArray* array = face->GetCellColours(0);
  if (master && array && array->mCells && master->mResults[0].mNumCells > 0 &&
      array->mNumCells == master->mResults[0].mNumCells)
    return &master->mResults[0];
  return nullptr;
}

// The points of the face's polygon through the frame, moved and scaled, as GL is given
// them: for a star polygon a fan from its centre round every corner (the inner parts
// covered more than once).
void FacePolygonPoints(const PolyElement* face, const Transform3D& frame, double scale, const double* offset,
                       std::vector<double>& points) {
  points.clear();
  Transform3D worldToFace;
  face->GetWorldToFace(worldToFace, false);
  auto emit = [&](const double* p) {
    double local[3], q[3];
    TransformPoint(worldToFace, local, p);
    local[2] = 0.0;
    TransformPoint(frame, q, local);
    for (int k = 0; k < 3; ++k) q[k] += offset[k];
    if (scale != 1.0)
      for (double& v : q) v *= scale;
    points.insert(points.end(), q, q + 3);
  };
  const int n = face->mNumSides;
  if (face->mDensity == 1) {
    for (int i = 0; i < n; ++i)
      if (face->mNeighbours[i]) emit(face->mNeighbours[i]->mDualVert);
  } else {
    emit(face->mCentroid);
    if (n > 0 && face->mNeighbours[n - 1]) emit(face->mNeighbours[n - 1]->mDualVert);
    for (int i = 0; i < n; ++i)
      if (face->mNeighbours[i]) emit(face->mNeighbours[i]->mDualVert);
  }
}

// Whether what the plain drawing of the face names may meet the pick region: every
// point of its diagram, or its polygon, where DrawFaceThroughFrame puts them. The
// buffer is the caller's, kept from face to face.
bool PlainFaceMayMeet(const PickRegion& region, PolyElement* face, double scale, double morph,
                      std::vector<double>& points) {
  double offset[3];
  GetMorphOffset(face, morph, offset);
  Transform3D frame;
  FaceFrame(face, frame);
  if (const FaceDiagramResult* diagram = DrawnDiagram(face)) {
    if (!diagram->mPoints) return true;
    points.clear();
    const double* m = frame.m;
    for (int32_t i = 0; i < diagram->mNumPoints; ++i) {
      const DiagramPoint& p = diagram->mPoints[i];
      for (int k = 0; k < 3; ++k) points.push_back((m[9 + k] + p.x * m[k] + p.y * m[3 + k] + offset[k]) * scale);
    }
  } else {
    FacePolygonPoints(face, frame, scale, offset, points);
  }
  return region.MayMeet(points.data(), static_cast<int>(points.size() / 3));
}

}  // namespace detail_ModelDrawing

void DrawFaceThroughFrame(PolyElement* face, const Transform3D& frame, double scale, const double* offset,
                          CellDrawOptions& cells, const float* colour, float alpha) {
  using namespace detail_ModelDrawing;
  static const double kZero[3] = {0.0, 0.0, 0.0};
  if (!offset) offset = kZero;
  if (const FaceDiagramResult* diagram = DrawnDiagram(face)) {
    const Transform3D* before = cells.frame;
    cells.frame = &frame;
    cells.offset = offset;
    cells.scale = scale;
    DrawFaceDiagramCellsSorted(face->GetCellColours(0)->mCells, diagram, cells);
    cells.frame = before;
    return;
  }
  // A face without a diagram: its polygon, each point taken through the frame from the
  // face's own.
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  if (cells.fixedColour) {
    view->Materials().SetMaterialColorAlphav(cells.fixedColour, cells.fixedAlpha >= 0.0f ? cells.fixedAlpha : alpha);
  } else if (colour) {
    view->Materials().SetMaterialColorAlphav(colour, alpha);
  }
  double normal[3];
  face->GetNormal(normal);
  glNormal3dv(normal);
  std::vector<double> points;
  FacePolygonPoints(face, frame, scale, offset, points);
  const int count = static_cast<int>(points.size() / 3);
  // A recording keeps the points as a fan from the first, as GL draws the polygon.
  if (IsRecordingFaceMesh() && RecordFaceMeshFan(points.data(), count, normal)) return;
  glBegin(face->mDensity == 1 ? GL_POLYGON : GL_TRIANGLE_FAN);
  for (int i = 0; i < count; ++i) glVertex3dv(&points[3 * static_cast<size_t>(i)]);
  glEnd();
}

float GetFaceSortKey(const PolyElement* face, const double* eye, double morph) {
  if (!face->AnyCoplanarTranslucent()) return std::numeric_limits<float>::lowest();
  double offset[3];
  GetMorphOffset(face, morph, offset);
  double d[3];
  for (int k = 0; k < 3; ++k) d[k] = face->mCentroid[k] + offset[k] - eye[k];
  return static_cast<float>(-Dot(d, d));
}

namespace detail_ModelDrawing {

// A face whose reach is more than this times the mean of the faces' is large.
constexpr double kLargeReach = 4.0;

// The sorter of the construction toy's faces in a context.
struct FaceOrder : GLContextPart {
  RadixSorter sorter;
};

// Back to front for the construction-toy style: sorted by key, then repaired where a
// later face must be drawn before an earlier one that it may hide or be hidden by.
std::vector<PolyElement*> BackToFront(ElementList* faces, const double* eye, double morph, bool perspective) {
  std::vector<PolyElement*> order;
  std::vector<float> keys;
  for (PolyElement* f = faces->mHead; f; f = f->mNext) {
    order.push_back(f);
    keys.push_back(GetFaceSortKey(f, eye, morph));
  }
  if (order.empty()) return order;
  // Faces at the same depth keep the order of the context's last sort of as many faces,
  // so that they do not change places from one frame to the next.
  FaceOrder* kept = FindCurrentGLContextPart<FaceOrder>(&GLContextState::faceOrder);
  RadixSorter alone;
  RadixSorter& sorter = kept ? kept->sorter : alone;
  sorter.Sort(keys.data(), static_cast<unsigned>(keys.size()));
  std::vector<PolyElement*> sorted(order.size());
  for (size_t j = 0; j < order.size(); ++j) sorted[j] = order[sorter.GetIndices()[j]];
  // Reference points moved by their morph offsets.
  auto point = [morph](const PolyElement* f, double* out) {
    double offset[3];
    GetMorphOffset(f, morph, offset);
    for (int k = 0; k < 3; ++k) out[k] = f->mCentroid[k] + offset[k];
  };
  constexpr double kTolerance = kDepthOrderTolerance;
  size_t start = 0;
  while (start < sorted.size() && !sorted[start]->IsTranslucent()) ++start;
  // Two faces that no line from the eye meets both of never hide one another, whatever
  // their order: the repair passes over them. A face every point of which is nearer the
  // eye than every point of an earlier one is one of them; past the first such face
  // the later faces all are, so the repair looks no further. Looking at every later face
  // took the square of the faces (seconds a paint for 20,000 of them). In perspective
  // each face is seen within a cone round the direction of its centre (cosine and sine
  // of its half angle).
  struct Seen {
    double centre[3];
    double distance = 0.0;
    double reach = 0.0;
    bool large = false;
    double farthest = 0.0;  // of the farthest points of this face and the faces after it not large
    double direction[3];
    double cosine = -1.0, sine = 0.0;
  };
  std::vector<Seen> seen(sorted.size());
  for (size_t i = start; i < sorted.size(); ++i) {
    const PolyElement* f = sorted[i];
    Seen& v = seen[i];
    double d[3];
    point(f, v.centre);
    Subtract(d, v.centre, eye);
    v.distance = std::sqrt(Dot(d, d));
    for (int k = 0; k < f->mNumSides; ++k) {
      if (const PolyElement* c = f->mNeighbours[k]) {
        double r[3];
        Subtract(r, c->mDualVert, f->mCentroid);
        v.reach = std::max(v.reach, std::sqrt(Dot(r, r)));
      }
    }
    if (perspective && v.distance > v.reach && v.distance > 0.0) {
      Scale(v.direction, d, 1.0 / v.distance);
      v.sine = v.reach / v.distance;
      v.cosine = std::sqrt(1.0 - v.sine * v.sine);
    }
  }
  // The few faces far larger than most would keep the look-ahead long for every face
  // before them: they are looked at on their own.
  double meanReach = 0.0;
  for (size_t i = start; i < sorted.size(); ++i) meanReach += seen[i].reach / static_cast<double>(sorted.size() - start);
  std::vector<size_t> large;  // the positions of the large faces, in order
  for (size_t i = sorted.size(); i-- > start;) {
    Seen& v = seen[i];
    v.large = !(v.reach <= kLargeReach * meanReach);
    v.farthest = v.large ? -std::numeric_limits<double>::infinity() : v.distance + v.reach;
    if (i + 1 < sorted.size()) v.farthest = std::max(v.farthest, seen[i + 1].farthest);
    if (v.large) large.push_back(i);
  }
  std::reverse(large.begin(), large.end());
  // Whether the cones of two faces (widened a little) are apart.
  auto apart = [](const Seen& p, const Seen& q) {
    if (p.cosine < 0.0 || q.cosine < 0.0) return false;
    const double cosSum = p.cosine * q.cosine - p.sine * q.sine;
    const double sinSum = p.sine * q.cosine + p.cosine * q.sine;
    return sinSum < 0.9 && Dot(p.direction, q.direction) < cosSum - 1e-3;
  };
  // The keys are floats: a margin for their rounding.
  const double margin = 1e-5 * (start < seen.size() ? seen[start].distance : 0.0) + kTolerance;
  enum class Next { kLookOn, kStop };
  for (size_t a = start; a < sorted.size(); ++a) {
    const PolyElement* A = sorted[a];
    const double* pa = seen[a].centre;
    const double nearestOfA = seen[a].distance - seen[a].reach;
    // B at position b against A: on to the next, or done with A.
    auto compare = [&](size_t b) {
      if (seen[b].distance + seen[b].reach + margin < nearestOfA || apart(seen[a], seen[b])) return Next::kLookOn;
      const PolyElement* B = sorted[b];
      const double* pb = seen[b].centre;
      const double sA = A->DistanceAlongNormal(eye, pa) * A->DistanceAlongNormal(pb, pa);
      const double sB = B->DistanceAlongNormal(eye, pb) * B->DistanceAlongNormal(pa, pb);
      if (sA > kTolerance && sB < kTolerance) return Next::kStop;  // B already lies correctly in front
      if (!(sB > kTolerance && sA < -kTolerance)) return Next::kLookOn;
      // B must come before A, unless a face between them objects.
      for (size_t c = a + 1; c < b; ++c) {
        const PolyElement* C = sorted[c];
        const double* pc = seen[c].centre;
        const double sC = C->DistanceAlongNormal(eye, pc) * C->DistanceAlongNormal(pb, pc);
        const double sBc = B->DistanceAlongNormal(eye, pb) * B->DistanceAlongNormal(pc, pb);
        if (sBc > kTolerance && sC < -kTolerance) return Next::kLookOn;
      }
      // B goes before A; what follows A keeps its order, nearer and nearer.
      const auto first = static_cast<std::ptrdiff_t>(a), last = static_cast<std::ptrdiff_t>(b);
      std::rotate(sorted.begin() + first, sorted.begin() + last, sorted.begin() + last + 1);
      std::rotate(seen.begin() + first, seen.begin() + last, seen.begin() + last + 1);
      for (size_t& p : large) {
        if (p == b) {
          p = a;
        } else if (p >= a && p < b) {
          ++p;
        }
      }
      return Next::kStop;
    };
    size_t b = a + 1;
    bool stopped = false;
    for (; b < sorted.size() && !stopped; ++b) {
      if (seen[b].farthest + margin < nearestOfA) break;
      stopped = compare(b) == Next::kStop;
    }
    // Past the faces that can be behind A, only the large ones may be.
    for (size_t i = 0; i < large.size() && !stopped; ++i) {
      if (large[i] >= b) stopped = compare(large[i]) == Next::kStop;
    }
  }
  return sorted;
}

void DrawFaceCellsOrPolygon(PolyElement* face, double scale, const double* offset, CellDrawOptions& cells,
                            const float* colour, float alpha) {
  Transform3D frame;
  FaceFrame(face, frame);
  DrawFaceThroughFrame(face, frame, scale, offset, cells, colour, alpha);
}

}  // namespace detail_ModelDrawing

bool DrawFacePass(PolyElement* face, int drawMode, double scale, double morph, const FaceColourOverride& colour,
                  int& pass, int& piece) {
  using namespace detail_ModelDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !face) return false;
  const bool picking = view->IsPicking();
  // 1. A pick draws each face once.
  if (picking && pass > 0) return false;
  ModelDrawPane& pane = GetModelDrawPane(view);
  const bool respectSkip = DrawModeRespectsSkip(drawMode);
  double offset[3];
  GetMorphOffset(face, morph, offset);
  static const float kBlack[3] = {0.0f, 0.0f, 0.0f};
  static const float kWhite[3] = {1.0f, 1.0f, 1.0f};
  bool wantsAnother = false;

  if (drawMode == kDrawModeStellation) {
    // 9. The facelets of the stellation in the face's plane (DrawFaces asked for them).
    if (GetMouseSelectionMode(view->GetViewGroup()) == kMouseModePickFacets && face->mType) {
      double normal[3];
      face->GetNormal(normal);
      glNormal3dv(normal);
      DrawFacetsForSelection(face->mType, face, offset);
    } else if (Face3D* first = PolyElement::GetFace3D(face)) {
      Face3D* facelet = first;
      int steps = 1 << 20;
      do {
        Draw(facelet, 2, offset, scale, nullptr);
        facelet = facelet->mNextCopy;
      } while (facelet && facelet != first && steps-- > 0);
    }
    ++pass;
    return false;
  }

  const bool depthPass = pass == 1;
  const int transparencyBefore = view->Materials().GetTransparencyMode();
  // 3. The second pass writes the face's depth and leaves the colours alone.
  if (depthPass) {
    view->Materials().SetMaterialColorAlphav(kBlack, 1.0f);
    view->Materials().SetTransparencyMode(kTransparencyAdditive);
  }
  // 4. The translucent path: the colour pass without depth writes, then the depth pass.
  const FaceImage* image = depthPass ? nullptr : face->GetImage();
  bool translucentPath = false;
  if (pass == 0) {
    if (respectSkip) {
      translucentPath = (face->mFlags & kElementOpaqueImageInRing) != 0;
    } else {
      translucentPath = face->GetImage() && !face->GetImage()->HasAlpha() && face->mOpacity == 1.0f;
    }
    // A recording holds neither images nor the translucent passes: what it holds is
    // drawn before their state is set.
    if ((face->GetImage() || translucentPath) && IsRecordingFaceMesh()) SpoilFaceMeshRecording();
    const int stencil = GetCoplanarStencilStep();
    if (translucentPath && !pane.IsSingleFacePane() && !picking && !GeomagOn() && stencil != kStencilClear) {
      if (stencil == kStencilMark) glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
      view->Materials().SetDepthWrites(false);
      view->Materials().SetSpecular(0.0f);
      wantsAnother = true;
      if (!respectSkip && (face->mOpacity < 1.0f || (face->GetImage() && face->GetImage()->HasAlpha())))
        view->Materials().SetTransparencyMode(kTransparencyBlended);
    } else {
      translucentPath = false;
    }
  }

  // 5. The colour. The cells of the modes that pass over skipped faces colour
  // themselves; a face without cells takes its own colour in every mode.
  float rgb[3];
  CopyFloat3(rgb, face->GetColour());
  float alpha = face->mOpacity;
  bool setColour = true;
  if (depthPass) {
    CopyFloat3(rgb, kBlack);
    alpha = 1.0f;
  } else if (colour.IsSet()) {
    CopyFloat3(rgb, colour.rgb);
    alpha = colour.alpha;
  } else if (Rainbow(view)) {
    setColour = false;
  } else if (image && !(image->mFlags & kFaceImageTint)) {
    CopyFloat3(rgb, kWhite);
  } else if (drawMode != kDrawModeAugmentation && !IsMorphPieceMode(drawMode)) {
    const float* back = face->mBackColor;
    if (back[0] != rgb[0] || back[1] != rgb[1] || back[2] != rgb[2]) {
      double centre[3], normal[3];
      for (int k = 0; k < 3; ++k) centre[k] = (face->mCentre[k] + offset[k]) * scale;
      face->GetNormal(normal);
      if (!view->IsFrontFacing(centre, normal, false)) CopyFloat3(rgb, back);
    }
  }
  if (!respectSkip && setColour && !depthPass) view->Materials().SetMaterialColorAlphav(rgb, alpha);
  if (picking) SetGLSelectionItem(face->IsVertex() ? kSelectVertexAsFace : kSelectFace, face->GetIndex());

  // 7. The face by mode.
  CellDrawOptions cells;
  cells.picking = picking;
  cells.noneSelected = face->mPoly && !face->mPoly->mSelectedElement;
  double normal[3];
  face->GetNormal(normal);
  cells.normal = normal;
  {
    double centre[3];
    for (int k = 0; k < 3; ++k) centre[k] = (face->mCentre[k] + offset[k]) * scale;
    cells.front = view->IsFrontFacing(centre, normal, false);
    if (IsRecordingFaceMesh()) {
      // What depends on the drawing's state rather than its inputs: the side shown,
      // images, the translucent passes.
      if (ColourDependsOnFacing(face)) RecordFaceMeshFacing(centre, normal, cells.front);
    }
  }
  if (depthPass) {
    cells.fixedColour = kBlack;
    cells.fixedAlpha = 1.0f;
  } else if (colour.IsSet()) {
    cells.fixedColour = colour.rgb;
  }
  if (drawMode == kDrawModePlain && GeomagOn()) {
    FaceType* type = face->mType;
    if (type && type->CanBuildPanel()) {
      const int n = face->mNumSides;
      std::vector<double> corners;
      for (int i = 0; i < n; ++i) {
        const int k = (face->mFlags & kElementReversed) ? n - 1 - i : i;
        const PolyElement* c = face->mNeighbours[k];
        if (!c) continue;
        for (int j = 0; j < 3; ++j) corners.push_back(c->mDualVert[j] + offset[j]);
      }
      const bool plain = (face->mPoly && face == face->mPoly->mSelectedElement) || Rainbow(view);
      Transform3D texture;
      if (image) GetTexCoordTransform(image, texture, face);
      // The rods that hold a large face's panels in the colour of its own rods.
      const float* rod = face->mEdges && face->mEdges[0] ? PolyItem::GetColour(face->mEdges[0]) : nullptr;
      DrawGeomagModel(static_cast<int>(corners.size() / 3), corners.data(), normal, plain ? kWhite : rgb, image,
                      image ? &texture : nullptr, rod);
    } else {
      DrawFaceCellsOrPolygon(face, scale, offset, cells, setColour ? rgb : nullptr, alpha);
    }
  } else if (drawMode == kDrawModePlain) {
    DrawFaceCellsOrPolygon(face, scale, offset, cells, setColour ? rgb : nullptr, alpha);
  } else {
    const bool plain = (face->mPoly && face == face->mPoly->mSelectedElement) || Rainbow(view);
    DrawMorphElement(face, drawMode, scale, morph, offset, cells, depthPass ? kBlack : rgb, alpha, plain);
  }

  // 10. The end of the pass.
  if (depthPass) view->Materials().SetTransparencyMode(kTransparencyOpaque);
  if (translucentPath) {
    if (GetCoplanarStencilStep() == kStencilMark) glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    view->Materials().SetDepthWrites(true);
    view->Materials().SetSpecular(0.5f);
    if (!depthPass && !respectSkip) view->Materials().SetTransparencyMode(transparencyBefore);
  }
  if (picking) view->ClearGLSelectionItem();
  if (depthPass && Rainbow(view)) view->Materials().SetMaterialColor(kWhite);
  (void)piece;
  ++pass;
  CheckGLError("DrawFacePass");
  return wantsAnother;
}

void DrawFaceInPasses(Poly* poly, PolyElement* face, int drawMode, double scale, double morph,
                      const FaceDrawOptions& o) {
  using namespace detail_ModelDrawing;
  OpenGLView* view = o.view;
  const bool respectSkip = o.respectSkip;
  // 1. Skipped faces, unless the pane shows them.
  if (respectSkip && (face->mFlags & kElementSkip) && !GetModelDrawPane(view).GetShowSkipped()) return;
  // 2. A hidden face (or one whose dual lies at infinity) stands only for the other
  // members of its ring.
  if (face->mFlags & (kElementHidden | kElementInf)) {
    if (!respectSkip && drawMode != kDrawModeStellation) return;
    bool other = false;
    ForEachOtherInRing(face,
                       [&other](PolyElement* m) { other = other || !(m->mFlags & (kElementHidden | kElementInf)); });
    if (!other) return;
  }
  // 3. Under the diagram highlight the faces in the selected plane are left to it.
  PolyElement* selected = poly->mSelectedElement;
  if (o.highlight == kHighlightDiagram && face != selected && poly->IsInSelectedPlane(face)) return;
  // 4. The face held by a drag in this pane is lifted off the model.
  if (!respectSkip) {
    const FaceDragState& drag = GetModelDrawPane(view).GetFaceDrag();
    if (!(drag.options & kFaceDragDrawHeld) && std::fabs(drag.offset) <= kPointTolerance && drag.heldFace == face)
      return;
  }
  // 5. The colour override of the selected face.
  FaceColourOverride colour;
  colour.alpha = face->mOpacity < 1.0f ? face->mOpacity : 0.5f;
  const bool isSelected = face == selected || (drawMode == kDrawModeStellation && poly->IsInSelectedPlane(face));
  const bool useStencil = GetModelDrawSettings().useStencil;
  if (isSelected) {
    if (o.highlight == kHighlightDiagram && selected && selected->mType) return;
    colour.rgb[0] = colour.rgb[1] = colour.rgb[2] = 1.0f;
    if (!useStencil) {
      glDisable(GL_POLYGON_OFFSET_FILL);
      RecordFaceMeshPolygonOffset(false);
    }
  }
  // 6. The passes.
  int pass = 0, piece = 0;
  while (DrawFacePass(face, drawMode, scale, morph, colour, pass, piece)) {
  }
  // 7. Back to the plain state after the selected face.
  if (isSelected) {
    if (Rainbow(view)) view->Materials().SetMaterialColorRGB(1.0f, 1.0f, 1.0f);
    if (!useStencil) {
      glEnable(GL_POLYGON_OFFSET_FILL);
      RecordFaceMeshPolygonOffset(true);
    }
  }
}

void DrawFaceRing(Poly* poly, PolyElement* face, int drawMode, double scale, double morph, const FaceDrawOptions& o) {
  using namespace detail_ModelDrawing;
  OpenGLView* view = o.view;
  const bool single = o.singleFace == face;
  // 1. Without the stencil, or with nothing drawn on a face that needs none.
  if (!o.useStencil || (!o.anyDetails && (!HasCoplanarPartner(face) || o.singleFace || o.respectSkip))) {
    if ((face->mFlags & kElementSkip) && o.respectSkip && !single) return;
    {
      SingleFaceBrackets brackets(view, single);
      DrawFaceInPasses(poly, face, drawMode, scale, morph, o);
    }
    DrawCellLinesUnlessSelectedPlane(poly, face, morph, o);
    return;
  }
  // 2. Through the stencil: the details first mark their pixels, the face fills the
  // rest of its plane, then the details again clear the marks.
  if ((face->mFlags & kElementSkip) && !single) return;
  PrepareCoplanarStencil(kStencilMark);
  for (int iteration = 0; iteration < 2; ++iteration) {
    if (o.anyDetails) DrawRingDetails(poly, face, scale, morph, o);
    if (!o.respectSkip && !o.singleFace) {
      ForEachOtherInRing(face, [&](PolyElement* m) { DrawFaceInPasses(poly, m, drawMode, scale, morph, o); });
    }
    if (iteration == 0) {
      PrepareCoplanarStencil(kStencilKeep);
      {
        SingleFaceBrackets brackets(view, single);
        DrawFaceInPasses(poly, face, drawMode, scale, morph, o);
      }
      PrepareCoplanarStencil(kStencilClear);
    }
  }
  PrepareCoplanarStencil(kStencilFinish);
}

namespace detail_ModelDrawing {

// The model's colours gone stale are made in the paint for a pick, an image of the pane,
// a model other than the program's current one and one of fewer than
// kDeferredCellColourFaces faces. The current model's, when larger, are made by the
// program when idle (some half a second for a million faces, which with the recording
// of the faces held the window for more than a second): the paint asks for it, draws
// none of the faces, and the pane is painted again once they are made.
bool MakeCellColoursNow(OpenGLView* view, Poly* poly) {
  if (view->IsPicking() || view->IsBitmapTarget() || poly != GetCurrentPoly() ||
      poly->mFaces.mCount < kDeferredCellColourFaces) {
    poly->UpdateCellColours(false);
    return true;
  }
  view->Frames().NoteFrameDrawnAfresh();
  platform::Services().views->PrepareWhenIdle();
  return false;
}

}  // namespace detail_ModelDrawing

void DrawFaces(Poly* poly, ElementList* faces, int drawMode, double scale, double morph, PolyElement* singleFace) {
  using namespace detail_ModelDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !poly || !faces) return;
  if ((poly->mPolyFlags & kPolyFlagCellColoursStale) && !detail_ModelDrawing::MakeCellColoursNow(view, poly)) return;
  const ModelDrawSettings& s = GetModelDrawSettings();
  FaceDrawOptions o;
  o.view = view;
  o.singleFace = singleFace;
  // 1-3.
  o.respectSkip = DrawModeRespectsSkip(drawMode);
  if (!s.spheresAndCylinders) {
    o.showVertices = s.showVerts;
    o.showStelVertices = s.showStelVerts;
    o.showEdges = s.showEdges;
    o.showStelEdges = s.showStelEdges;
  }
  bool showPoints = o.showVertices || o.showStelVertices;
  bool showLines = o.showEdges || o.showStelEdges;
  o.showCellLines = s.showCellLines && (drawMode == kDrawModePlain || drawMode == kDrawModeStellation);
  o.anyDetails = showPoints || showLines || o.showCellLines || (DiagnosticNumbers & kShowNumbersInFacePlanes);
  o.useStencil = s.useStencil && drawMode != kDrawModeAugmentation && !IsMorphPieceMode(drawMode) && !GeomagOn();
  // 4. Only the plain and the stellation modes draw anything on the faces.
  if (drawMode != kDrawModePlain && drawMode != kDrawModeStellation) {
    o.showVertices = o.showStelVertices = o.showEdges = o.showStelEdges = false;
    showPoints = showLines = false;
    o.showCellLines = false;
    o.anyDetails = false;
  }
  // 5.
  if (GetMouseSelectionMode(view->GetViewGroup()) == kMouseModePickFacets && !view->IsPicking()) {
    o.showEdges = false;
    o.showStelEdges = true;
    showLines = true;
    o.anyDetails = true;
    o.facetPicking = true;
  } else if (drawMode == kDrawModeStellation) {
    o.showVertices = o.showStelVertices;
    o.showEdges = o.showStelEdges;
  }
  o.highlight = poly->GetSelectionHighlight(drawMode);
  // 6. The cell lines' set-up comes first: it lets go of the facet model.
  if (o.showCellLines) {
    for (PolyElement* f = faces->mHead; f; f = f->mNext) {
      if (f->mType) {
        SetUpFacetEdges(f->mType);
        break;
      }
    }
  }
  if (o.showStelVertices || o.showStelEdges) o.stellationModel = GetModelDrawPane(view).GetModel3D(poly);
  // What was drawn before may still be good. The faces whose drawing follows the
  // selection are drawn on their own, in their places among the kept ones.
  const auto drawRing = [&](PolyElement* face) { DrawFaceRing(poly, face, drawMode, scale, morph, o); };
  // One reference: the function holds it in place, with nothing allocated.
  const FaceDrawer drawApart = [&drawRing](PolyElement* face) { drawRing(face); };
  if (BeginFaceMeshDrawing(poly, faces, drawMode, scale, morph, o, drawApart)) {
    glPointSize(s.vertSize);
    glLineWidth(s.edgeWidth);
    return;
  }
  // 7.
  if (o.useStencil) {
    if (showPoints) glPointSize(GetVertexPointSize());
    if (showLines || o.showCellLines) glLineWidth(GetEdgeLineWidth());
  }
  // 8. The stellation's facelets are asked for once for the list, not for each face:
  // the question may weigh the whole side.
  if (drawMode == kDrawModeStellation && faces->mHead)
    GetModel3DTellingAfterDrawing(faces->mHead->GetTypeBlock(), false);
  if (!singleFace) {
    if (GeomagOn() && !view->IsPicking()) {
      GeomagRodBatch rods;
      for (PolyElement* face :
           BackToFront(faces, view->Camera().GetPerEyePosition(), morph, !view->Camera().IsOrthogonal()))
        DrawFaceRing(poly, face, drawMode, scale, morph, o);
    } else {
      // A pick draws only the faces it may hit. In the plain drawing a face names its own
      // cells or polygon and nothing else (what it draws on itself goes unnamed).
      const PickRegion region(view);
      const bool onlyMet = region.Active() && drawMode == kDrawModePlain && !GeomagOn();
      std::vector<double> points;
      for (PolyElement* face = faces->mHead; face; face = face->mNext) {
        if (onlyMet && !PlainFaceMayMeet(region, face, scale, morph, points)) continue;
        if (!NoteFaceMeshFace(face)) continue;
        DrawFaceRing(poly, face, drawMode, scale, morph, o);
      }
    }
  } else if (!view->IsPicking()) {
    DrawFaceRing(poly, singleFace, drawMode, scale, morph, o);
  }
  EndFaceMeshDrawing();
  // 9.
  glPointSize(s.vertSize);
  glLineWidth(s.edgeWidth);
  CheckGLError("DrawFaces");
}

}  // namespace corvia
