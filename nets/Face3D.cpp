#include "nets/Face3D.h"

#include <cmath>

#include "core/FaceImageRef.h"
#include "core/Messages.h"
#include "core/PolygonRing.h"
#include "core/Tolerances.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "symmetry/SymGroup.h"

namespace corvia {

const float kDrawnFaceletColor[3] = {0.7f, 0.7f, 1.0f};

namespace detail_Face3D {

constexpr double kPi = 3.141592653589793;

// Ring point flags the builders set and Face3D::Create turns into edgelet flags.
constexpr uint32_t kRingEdgeOnAxis = kPolygonVertexMarked;       // -> kEdgePrefer1
constexpr uint32_t kRingOwnerFlagged = kPolygonVertexOwnerFlag;  // -> kEdgePrefer2
constexpr uint32_t kRingRotatedCopy = 0x10;                      // -> kEdgeRotatedLoop

void Normalise(double* v) {
  const double length = std::sqrt(Dot(v, v));
  if (length > 0.0) Divide(v, v, length);
}

// Whether a ring crosses itself: then the ear clipper cannot take it.
bool RingCrossesItself(const PolygonVertex* ring) {
  if (!ring) return false;
  std::vector<const PolygonVertex*> points;
  const PolygonVertex* v = ring;
  do {
    points.push_back(v);
    v = v->next;
  } while (v != ring);
  const size_t n = points.size();
  for (size_t i = 0; i < n; ++i) {
    const double a[2] = {points[i]->x, points[i]->y};
    const double b[2] = {points[(i + 1) % n]->x, points[(i + 1) % n]->y};
    for (size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;
      const double c[2] = {points[j]->x, points[j]->y};
      const double d[2] = {points[(j + 1) % n]->x, points[(j + 1) % n]->y};
      const double e1x = b[0] - a[0], e1y = b[1] - a[1];
      const double e2x = d[0] - c[0], e2y = d[1] - c[1];
      const double s1 = e1x * (c[1] - a[1]) - e1y * (c[0] - a[0]);
      const double s2 = e1x * (d[1] - a[1]) - e1y * (d[0] - a[0]);
      const double s3 = e2x * (a[1] - c[1]) - e2y * (a[0] - c[0]);
      const double s4 = e2x * (b[1] - c[1]) - e2y * (b[0] - c[0]);
      if (((s1 > 0 && s2 < 0) || (s1 < 0 && s2 > 0)) && ((s3 > 0 && s4 < 0) || (s3 < 0 && s4 > 0))) return true;
    }
  }
  return false;
}

}  // namespace detail_Face3D

void Transform2DPoint(const double* m, const double* p, double* out) {
  const double x = m[0] * p[0] + m[2] * p[1] + m[4];
  const double y = m[1] * p[0] + m[3] * p[1] + m[5];
  out[0] = x;
  out[1] = y;
}

// ---- Facelet types -------------------------------------------------------------------

Face3DType::Face3DType(int numFacelets, int fold, Model3D* owner, Face3DType* next)
    : mOwner(owner), mNumFacelets(numFacelets > 0 ? numFacelets : 0), mNext(next) {
  mFacelets = std::make_unique<Face3D[]>(static_cast<size_t>(mNumFacelets));
  for (int i = 0; i < mNumFacelets; ++i) mFacelets[i].mType = this;
  if (fold > 1) {
    const SymGroup* group = owner && owner->mPoly ? owner->mPoly->mSymGroup : nullptr;
    switch (group ? group->GetAxisTypeIndex(fold) : -1) {
      case 0:
        mFlags |= kTypeOnAxis | kTypeAxisKind0;
        break;
      case 1:
        mFlags |= kTypeOnAxis | kTypeAxisKind1;
        break;
      case 2:
        mFlags |= kTypeOnAxis;
        break;
      default:
        ShowInternalError("Face3DType::Face3DType() Can't find rot sym");
        break;
    }
  }
}

Face3DType::~Face3DType() = default;

void Face3DType::SetLoops(const PolygonList* list) {
  mNumEdges = CountPolygonListVertices(list);
  mNumLoops = CountPolygonListRings(list);
  mLoopLengths = std::make_unique<int32_t[]>(static_cast<size_t>(mNumLoops > 0 ? mNumLoops : 1));
  int loop = 0;
  for (const PolygonList* node = list; node; node = node->next) {
    if (node->ring) mLoopLengths[loop++] = CountPolygonRing(node->ring);
  }
  if (IsPolygonListConvex(list)) {
    mFlags |= kTypeConvex;
  } else {
    mFlags &= ~kTypeConvex;
  }
}

void Face3DType::Triangulate(PolygonList* list) {
  mIndices.reset();
  mNumIndices = 0;
  if (!list) return;
  // A ring that crosses itself (a star polygon) is filled as a fan from its first
  // corner, which covers it by its winding; the ear clipper takes simple rings and
  // rings with holes.
  if (!list->next && list->ring && detail_Face3D::RingCrossesItself(list->ring)) {
    const int n = CountPolygonRing(list->ring);
    std::vector<int> order;
    const PolygonVertex* v = list->ring;
    do {
      order.push_back(v->index);
      v = v->next;
    } while (v != list->ring);
    mIndices = std::make_unique<int[]>(static_cast<size_t>(3 * (n - 2)));
    for (int i = 1; i + 1 < n; ++i) {
      mIndices[mNumIndices++] = order[0];
      mIndices[mNumIndices++] = order[static_cast<size_t>(i)];
      mIndices[mNumIndices++] = order[static_cast<size_t>(i + 1)];
    }
    FreePolygonList(list);
    return;
  }
  int* indices = nullptr;
  const int count = TriangulatePolygonListAlloc(list, &indices, nullptr);
  if (count < 3) {
    delete[] indices;
    ShowInternalError("Face3DType::Triangulate: face type %d could not be cut into triangles", GetIndex(this));
    return;
  }
  mIndices.reset(indices);
  mNumIndices = count;
}

void Face3DType::ReverseTriangles() {
  for (int i = 0; i + 2 < mNumIndices; i += 3) std::swap(mIndices[i], mIndices[i + 1]);
}

int Face3DType::GetIndex(const Face3DType* type, const Face3DType* first) {
  if (!type) return -1;
  const Model3D* owner = type->mOwner;
  if (owner && (!first || first == owner->mFaceTypes)) {
    owner->KeepFaceTypesNumbered();
    return type->mIndex >= 0 ? type->mIndex : -2;
  }
  if (!first) return -2;
  int index = 0;
  for (const Face3DType* t = first; t; t = t->mNext, ++index) {
    if (t == type) return index;
  }
  return -2;
}

int Face3DType::GetAxisKind() const {
  if (!(mFlags & kTypeOnAxis)) return -1;
  if (mFlags & kTypeAxisKind0) return 0;
  if (mFlags & kTypeAxisKind1) return 1;
  return 2;
}

int Face3DType::GetNumRots() const {
  const int kind = GetAxisKind();
  const SymGroup* group = mOwner && mOwner->mPoly ? mOwner->mPoly->mSymGroup : nullptr;
  if (kind < 0 || !group || kind >= group->numAxisTypes) return 1;
  const int fold = group->axisTypes[kind].fold;
  return fold < 0 ? -fold : fold;
}

double Face3DType::GetArea() const {
  return mNumFacelets > 0 ? mFacelets[0].GetArea() : 0.0;
}

int Face3DType::GetLoopStart(int loop) const {
  int start = 0;
  for (int i = 0; i < loop && i < mNumLoops; ++i) start += mLoopLengths[i];
  return start;
}

// ---- Facelets ----------------------------------------------------------------------------

FaceletCornerLookup::~FaceletCornerLookup() = default;

Face3D::Face3D() : mNextCopy(this) {
  const double identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  for (int i = 0; i < 12; ++i) mPlacement.m[i] = identity[i];
}

Face3D::~Face3D() { DetachFromFacelet(this); }

void Face3D::Create(PolyElement* source, Face3DType* type, PolygonList* loops, const Transform3D& faceTransform,
                    Model3D* model, Vert3D* const* corners, const FaceletCornerLookup* diagram, Face3D* const* joins) {
  using namespace detail_Face3D;
  mSourceFace = source;
  mType = type;
  if (source) {
    PolyElement* member = source;
    Face3D* found = joins ? *joins : nullptr;
    const int limit = source->mPoly ? source->mPoly->mFaces.mCount + source->mPoly->mVertices.mCount + 1 : 1;
    for (int steps = 0; !joins && member && steps < limit; ++steps) {
      if (Face3D* own = member->GetOwnFace3D()) {
        found = own;
        break;
      }
      member = member->mCoplanarNext;
      if (member == source) break;
    }
    if (found) {
      mNextCopy = found->mNextCopy;
      found->mNextCopy = this;
    }
    if (!source->GetOwnFace3D()) source->SetOwnFace3D(this);
  }
  if (((mFlags & kFaceletReversed) != 0) != ((mFlags & kFaceletFlipped) != 0)) mFlags |= kFaceletMirrored;
  const bool mirrored = (mFlags & kFaceletMirrored) != 0;
  mEdges = std::make_unique<Edge3D[]>(static_cast<size_t>(type->mNumEdges > 0 ? type->mNumEdges : 0));
  if (type->mNumLoops < 1) {
    if (type->mNumEdges != 0) {
      ShowInternalError("Face3D::Create(): Number of edges wrong\nGot %d, should be %d", 0, type->mNumEdges);
    }
    return;
  }
  mOutlineTransform[0] = mirrored ? -1.0 : 1.0;
  // Corners whose vertices are known (given, or found in their diagram corner's group)
  // give the outline its plane.
  bool fitToCorners = corners != nullptr;
  int k = 0;
  const PolygonList* node = loops;
  for (int loop = 0; loop < type->mNumLoops && node; ++loop, node = node->next) {
    PolygonVertex* v = node->ring;
    for (int j = 0; j < type->mLoopLengths[loop] && v && k < type->mNumEdges; ++j, v = v->next, ++k) {
      v->index = k;
      Edge3D& edge = mEdges[k];
      edge.face = this;
      if (v->flags & kRingEdgeOnAxis) edge.flags |= kEdgePrefer1;
      if (v->flags & kRingOwnerFlagged) edge.flags |= kEdgePrefer2;
      if (v->flags & kRingRotatedCopy) edge.flags |= kEdgeRotatedLoop;
      edge.local[0] = mirrored ? -v->x : v->x;
      edge.local[1] = v->y;
      const double flat[3] = {v->x, v->y, 0.0};
      TransformPoint(faceTransform, edge.pos3D, flat);
      // Corners cut from a stellation diagram name their diagram corner: its region is
      // the facelet's facet loop, which the stellation lines are drawn from, and its
      // point's vertex group holds the vertex.
      void* diagramCorner = diagram ? v->owner : nullptr;
      if (diagramCorner && !mFacetLoop) {
        if (StellationSegment* region = diagram->RegionOf(diagramCorner)) {
          mFacetLoop = region;
          if (model) model->mFlags |= kModelLineData;
        }
      }
      if (corners) {
        edge.vert = corners[k];
        if (edge.vert) CopyVector(edge.pos3D, edge.vert->mPos);
      } else if (diagramCorner) {
        edge.vert = model ? diagram->FindVert(diagramCorner, edge.pos3D) : nullptr;
        if (edge.vert) {
          CopyVector(edge.pos3D, edge.vert->mPos);
          fitToCorners = true;
        }
      } else {
        edge.vert = model ? model->FindVertExact(edge.pos3D) : nullptr;
      }
      edge.unfolded[0] = edge.local[0];
      edge.unfolded[1] = edge.local[1];
      if (edge.vert) edge.vert->AddEdge(&edge);
    }
  }
  if (k != type->mNumEdges) {
    ShowInternalError("Face3D::Create(): Number of edges wrong\nGot %d, should be %d", k, type->mNumEdges);
  }
  // The plane of the corners as placed, facing like the face transform's third axis.
  const double* up = faceTransform.Matrix() + 6;
  double plane[3] = {0.0, 0.0, 0.0};
  for (int i = 0; i < k; ++i) {
    const double* p = mEdges[i].pos3D;
    const double* q = mEdges[(i + 1) % k].pos3D;
    plane[0] += (p[1] - q[1]) * (p[2] + q[2]);
    plane[1] += (p[2] - q[2]) * (p[0] + q[0]);
    plane[2] += (p[0] - q[0]) * (p[1] + q[1]);
  }
  const double length = std::sqrt(Dot(plane, plane));
  if (length <= kPointTolerance) {
    CopyVector(plane, up);
  } else {
    Divide(plane, plane, length);
    if (Dot(plane, up) < 0.0) Negate(plane);
  }
  if (fitToCorners) {
    // The outline in the plane through the corners themselves, so that it fits them.
    double x[3], y[3], along[3];
    const double* origin = faceTransform.Translation();
    Scale(along, plane, Dot(faceTransform.Matrix(), plane));
    Subtract(x, faceTransform.Matrix(), along);
    detail_Face3D::Normalise(x);
    Cross(y, plane, x);
    for (int i = 0; i < k; ++i) {
      double r[3];
      Subtract(r, mEdges[i].pos3D, origin);
      mEdges[i].local[0] = mirrored ? -Dot(r, x) : Dot(r, x);
      mEdges[i].local[1] = Dot(r, y);
      mEdges[i].unfolded[0] = mEdges[i].local[0];
      mEdges[i].unfolded[1] = mEdges[i].local[1];
    }
  }
  if (mirrored) Negate(plane);
  CopyVector(mPlaneNormal, plane);
}

void Face3D::ConnectEdges(bool& reported) {
  using namespace detail_Face3D;
  double n[3];
  GetNormal(n);
  const int count = GetNumEdges();
  for (int i = 0; i < count; ++i) {
    Edge3D* e = &mEdges[i];
    if (e->mNeigh) continue;
    const Vert3D* a = e->vert;
    const Vert3D* b = e->GetNextInLoop()->vert;
    if (!a || !b) continue;
    double d[3];
    Subtract(d, b->mPos, a->mPos);
    for (Edge3D* f = b->mFirstEdge; f; f = f->nextAtVert) {
      if (f == e || f->GetNextInLoop()->vert != a) continue;
      double m[3];
      f->face->GetNormal(m);
      Negate(m);
      const double c = Dot(n, m);
      double angle = c <= -1.0 ? kPi : (c >= 1.0 ? 0.0 : std::acos(c));
      double cross[3];
      Cross(cross, n, m);
      if (Dot(cross, d) > 0.0) angle = 2.0 * kPi - angle;
      if (!e->mNeigh) {
        e->mNeigh = e->nextCoinc = f;
        e->dihedral = e->coincAngle = angle;
      } else if (angle > e->dihedral) {
        e->mNeigh = f;
        e->dihedral = angle;
      } else if (angle < e->coincAngle) {
        e->nextCoinc = f;
        e->coincAngle = angle;
      }
    }
    if (e->mNeigh) {
      if ((e->flags & kEdgePrefer1) && !e->IsSamePosition(e->mNeigh)) {
        e->flags &= ~kEdgePrefer1;
        e->mNeigh->flags &= ~kEdgePrefer1;
      }
      if (e->nextCoinc == e->mNeigh) {
        e->nextCoinc = nullptr;
        e->mNeigh->mNeigh = e;
        e->mNeigh->dihedral = e->dihedral;
      }
      continue;
    }
    // Where a one-sided surface turns over, the facelet across runs the same way
    // along the edge. It is the neighbour all the same: the two are glued, but never
    // joined flat in a net.
    for (Edge3D* f = a->mFirstEdge; f; f = f->nextAtVert) {
      if (f == e || f->mNeigh || f->GetNextInLoop()->vert != b) continue;
      double m[3];
      f->face->GetNormal(m);
      const double c = Dot(n, m);
      const double angle = c <= -1.0 ? kPi : (c >= 1.0 ? 0.0 : std::acos(c));
      e->mNeigh = f;
      f->mNeigh = e;
      e->dihedral = f->dihedral = kPi - angle;
      e->flags |= kEdgeSameWayNeighbour;
      f->flags |= kEdgeSameWayNeighbour;
      break;
    }
    if (!e->mNeigh && !reported) {
      reported = true;
      ShowInternalError("ConnectEdges(): Couldn't find mNeigh for edge %s", GetEdgeName(e).c_str());
    }
  }
}

void Face3D::MarkDrawnEdges() {
  const int count = GetNumEdges();
  for (int i = 0; i < count; ++i) {
    Edge3D* e = &mEdges[i];
    if (!e->mNeigh || (e->mNeigh->flags & kEdgeDrawnMark)) continue;
    if (!e->mNeigh->nextCoinc) {
      e->flags |= kEdgeDrawnMark;
      continue;
    }
    bool otherMarked = false;
    const int limit = e->CountRingLimit();
    const Edge3D* current = e->mNeigh->nextCoinc;
    for (int steps = 0; current && current != e && steps < limit; ++steps) {
      if (current->flags & kEdgeDrawnMark) {
        otherMarked = true;
        break;
      }
      current = current->mNeigh;
      if (!current || current == e) break;
      if (current->flags & kEdgeDrawnMark) {
        otherMarked = true;
        break;
      }
      current = current->nextCoinc;
    }
    if (!otherMarked) e->flags |= kEdgeDrawnMark;
  }
}

// ---- Queries ------------------------------------------------------------------------------

Model3D* Face3D::GetModel() const {
  return mType ? mType->mOwner : nullptr;
}

int Face3D::GetIndex(const Face3D* facelet) {
  if (!facelet) return -1;
  const Model3D* model = facelet->GetModel();
  if (!model) return -2;
  model->KeepFaceTypesNumbered();
  const Face3DType* type = facelet->mType;
  if (type->mFirstFacelet < 0) return -2;
  return type->mFirstFacelet + static_cast<int>(facelet - type->mFacelets.get());
}

int Face3D::GetIndexInNet() const {
  if (!mNet || !mNet->first) return -1;
  const std::vector<Face3D*>& places = mNet->Places();
  if (mPlaceInNet >= 0 && mPlaceInNet < static_cast<int>(places.size()) && places[mPlaceInNet] == this) {
    return mPlaceInNet;
  }
  return -1;
}

bool Face3D::IsSelected(const Poly* poly) const {
  const Model3D* model = GetModel();
  if (model && model->mSelectedFacelet) return model->mSelectedFacelet == this;
  if (!poly || !mSourceFace) return false;
  if (mFlags & kFaceletSelectAlone) return mSourceFace == poly->mSelectedElement;
  return poly->IsInSelectedPlane(mSourceFace);
}

const float* Face3D::GetColor() const {
  if ((mType && mType->HasFlag(kTypeDrawn)) || !mSourceFace) return kDrawnFaceletColor;
  return (mFlags & kFaceletReversed) ? mSourceFace->mBackColor : mSourceFace->mColor;
}

float Face3D::GetAlpha() const {
  return mSourceFace ? mSourceFace->mOpacity : 1.0f;
}

FaceImage* Face3D::GetImage() const {
  if (mImage) return mImage;
  return mSourceFace ? mSourceFace->GetImage() : nullptr;
}

const char* Face3D::GetLabel() const {
  return mSourceFace ? mSourceFace->GetLabel() : nullptr;
}

bool Face3D::IsShown() const {
  return mImage || (mSourceFace && (mSourceFace->GetImage() || mSourceFace->HasLabel()));
}

int Face3D::FindEdgeByVertex(const Vert3D* vertex) const {
  const int count = GetNumEdges();
  for (int i = 0; i < count; ++i) {
    if (mEdges[i].vert == vertex) return i;
  }
  return -1;
}

int Face3D::GetEdgeIndex(const Edge3D* edge) const {
  const int count = GetNumEdges();
  for (int i = 0; i < count; ++i) {
    if (&mEdges[i] == edge) return i;
  }
  return -1;
}

int Face3D::GetNumEdges() const {
  return mType && mEdges ? mType->mNumEdges : 0;
}

const double* Face3D::GetCornerPosition(const Edge3D* edge) {
  return edge->vert ? edge->vert->mPos : edge->pos3D;
}

void Face3D::GetNormal(double* out) const {
  if (mSourceFace && Dot(mPlaneNormal, mPlaneNormal) > 0.0) {
    // Already facing as the facelet does.
    CopyVector(out, mPlaneNormal);
    return;
  }
  if (mSourceFace) {
    CopyVector(out, mSourceFace->mZAxis);
  } else {
    out[0] = 0.0;
    out[1] = 0.0;
    out[2] = 1.0;
    const int count = GetNumEdges();
    if (count >= 2) {
      double d0[3];
      Subtract(d0, GetCornerPosition(&mEdges[0]), GetCornerPosition(&mEdges[count - 1]));
      for (int k = 1; k < count; ++k) {
        double d[3], c[3];
        Subtract(d, GetCornerPosition(&mEdges[k]), GetCornerPosition(&mEdges[k - 1]));
        Cross(c, d0, d);
        if (std::fabs(c[0]) > kPointTolerance || std::fabs(c[1]) > kPointTolerance ||
            std::fabs(c[2]) > kPointTolerance) {
          detail_Face3D::Normalise(c);
          CopyVector(out, c);
          break;
        }
      }
    }
  }
  if (mFlags & kFaceletReversed) Negate(out);
}

double Face3D::DistanceToPlane(const double* point) const {
  if (GetNumEdges() < 1) return 0.0;
  double n[3], d[3];
  GetNormal(n);
  Subtract(d, point, GetCornerPosition(&mEdges[0]));
  return Dot(d, n);
}

double Face3D::DistanceToPlacedPlane(const double* point) const {
  if (GetNumEdges() < 1) return 0.0;
  double d[3];
  Subtract(d, point, mEdges[0].pos3D);
  return Dot(d, mNormal);
}

double Face3D::GetArea() const {
  if (!mType || !mType->mIndices) return 0.0;
  double sum[3] = {0.0, 0.0, 0.0};
  for (int i = 0; i + 2 < mType->mNumIndices; i += 3) {
    double corners[9];
    GetTriangulationVertex(i, corners);
    double u[3], v[3], c[3];
    Subtract(u, corners + 3, corners);
    Subtract(v, corners + 6, corners);
    Cross(c, u, v);
    AddTo(sum, c);
  }
  return std::sqrt(Dot(sum, sum) / 4.0);
}

void Face3D::GetCentroid(double* out) const {
  out[0] = out[1] = out[2] = 0.0;
  const int count = GetNumEdges();
  for (int i = 0; i < count; ++i) AddTo(out, GetCornerPosition(&mEdges[i]));
  if (count > 0) Divide(out, out, count);
}

void Face3D::GetLoopCentroid(int loop, double* out) const {
  out[0] = out[1] = out[2] = 0.0;
  if (!mType || loop < 0 || loop >= mType->mNumLoops) return;
  const int start = mType->GetLoopStart(loop);
  const int length = mType->mLoopLengths[loop];
  for (int i = start; i < start + length; ++i) AddTo(out, GetCornerPosition(&mEdges[i]));
  if (length > 0) Divide(out, out, length);
}

void Face3D::GetPlacedCentroid(double* out) const {
  out[0] = out[1] = out[2] = 0.0;
  const int count = GetNumEdges();
  for (int i = 0; i < count; ++i) AddTo(out, mEdges[i].pos3D);
  if (count > 0) Divide(out, out, count);
}

Edge3D* Face3D::GetLongestEdge() const {
  if (GetNumEdges() < 1) return nullptr;
  Edge3D* start = &mEdges[0];
  Edge3D* best = nullptr;
  double bestLength = -1.0;
  bool preferredOnly = false;
  Edge3D* edge = start;
  do {
    const double length = edge->GetLengthSquared();
    const bool preferred = (edge->flags & kEdgePrefer1) != 0;
    if (preferred && !preferredOnly) {
      preferredOnly = true;
      best = edge;
      bestLength = length;
    } else if ((!preferredOnly || preferred) && length > bestLength - kPointTolerance) {
      best = edge;
      bestLength = length;
    }
    edge = edge->GetNextInLoop();
  } while (edge != start);
  return best;
}

void Face3D::CalcPlacementTransform(Transform3D& out) const {
  const int identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  for (int i = 0; i < 12; ++i) out.m[i] = identity[i];
  if (GetNumEdges() < 2) return;
  const Edge3D* e0 = &mEdges[0];
  const Edge3D* e1 = e0->GetNextInLoop();
  double d2[2] = {e1->unfolded[0] - e0->unfolded[0], e1->unfolded[1] - e0->unfolded[1]};
  const double length2 = std::hypot(d2[0], d2[1]);
  if (length2 > 0.0) {
    d2[0] /= length2;
    d2[1] /= length2;
  }
  double x[3], n[3], y[3];
  Subtract(x, GetCornerPosition(e1), GetCornerPosition(e0));
  detail_Face3D::Normalise(x);
  GetNormal(n);
  Cross(y, x, n);
  // The net frame: origin at the unfolded corner, axes along the edge, across it
  // (dy, -dx) and up. Its inverse first, then the frame on the model.
  Transform3D netToFrame;
  const double origin2[3] = {e0->unfolded[0], e0->unfolded[1], 0.0};
  const double a0[3] = {d2[0], d2[1], 0.0};
  const double a1[3] = {d2[1], -d2[0], 0.0};
  const double a2[3] = {0.0, 0.0, 1.0};
  SetTransformFromRows(netToFrame, origin2, a0, a1, a2);
  Transform3D frameToModel;
  SetTransformFromColumns(frameToModel, GetCornerPosition(e0), x, y, n);
  ComposeTransforms(out, frameToModel, netToFrame);
}

void Face3D::CalcFoldedTransform(Transform3D& out) const {
  const int identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  for (int i = 0; i < 12; ++i) out.m[i] = identity[i];
  if (GetNumEdges() < 2) return;
  const Edge3D* e0 = &mEdges[0];
  const Edge3D* e1 = e0->GetNextInLoop();
  double x[3], n[3], y[3];
  Subtract(x, GetCornerPosition(e1), GetCornerPosition(e0));
  detail_Face3D::Normalise(x);
  GetNormal(n);
  Cross(y, x, n);
  double px[3], py[3];
  Subtract(px, e1->pos3D, e0->pos3D);
  detail_Face3D::Normalise(px);
  Cross(py, px, mNormal);
  Transform3D modelToFrame, frameToFolded;
  SetTransformFromRows(modelToFrame, GetCornerPosition(e0), x, y, n);
  SetTransformFromColumns(frameToFolded, e0->pos3D, px, py, mNormal);
  ComposeTransforms(out, frameToFolded, modelToFrame);
}

void Face3D::GetCentreFrame(int mode, double* centre, double* direction, double* normal, const double* offset,
                            double scale) const {
  const int count = GetNumEdges();
  centre[0] = centre[1] = centre[2] = 0.0;
  if (mode == kFaceletDrawFlat) {
    for (int i = 0; i < count; ++i) {
      centre[0] += mEdges[i].unfolded[0];
      centre[1] += mEdges[i].unfolded[1];
    }
    if (count > 0) Divide(centre, centre, count);
    direction[0] = 1.0;
    direction[1] = direction[2] = 0.0;
    if (const Edge3D* longest = GetLongestEdge()) {
      const Edge3D* next = longest->GetNextInLoop();
      const double d[3] = {next->unfolded[0] - longest->unfolded[0], next->unfolded[1] - longest->unfolded[1], 0.0};
      const double length = std::sqrt(Dot(d, d));
      if (length > 0.0) Divide(direction, d, length);
    }
    normal[0] = normal[1] = 0.0;
    normal[2] = 1.0;
    return;
  }
  if (mode == kFaceletDrawFolded) {
    for (int i = 0; i < count; ++i) AddTo(centre, mEdges[i].pos3D);
    if (count > 0) Scale(centre, centre, scale / count);
    direction[0] = 1.0;
    direction[1] = direction[2] = 0.0;
    if (const Edge3D* longest = GetLongestEdge()) {
      double d[3];
      Subtract(d, longest->GetNextInLoop()->pos3D, longest->pos3D);
      const double length = std::sqrt(Dot(d, d));
      if (length > 0.0) Divide(direction, d, length);
    }
    CopyVector(normal, mNormal);
    return;
  }
  int counted = 0;
  for (int i = 0; i < count; ++i) {
    if (!mEdges[i].vert) continue;
    AddTo(centre, mEdges[i].vert->mPos);
    ++counted;
  }
  if (counted > 0) Divide(centre, centre, counted);
  if (offset) AddTo(centre, offset);
  Scale(centre, centre, scale);
  if (mSourceFace) {
    CopyVector(direction, mSourceFace->mXAxis);
    CopyVector(normal, mSourceFace->mZAxis);
  } else {
    direction[0] = 1.0;
    direction[1] = direction[2] = 0.0;
    GetNormal(normal);
  }
}

void Face3D::GetTriangulationVertex(int i, double* out) const {
  for (int c = 0; c < 3; ++c) {
    const int index = mType && i + c < mType->mNumIndices ? mType->mIndices[i + c] : 0;
    const Edge3D* edge = index >= 0 && index < GetNumEdges() ? &mEdges[index] : nullptr;
    if (edge) {
      CopyVector(out + 3 * c, GetCornerPosition(edge));
    } else {
      out[3 * c] = out[3 * c + 1] = out[3 * c + 2] = 0.0;
    }
  }
}

// ---- Face images ---------------------------------------------------------------------------

void AttachToFacelet(FaceImage* image, Face3D* facelet, bool recordOwner) {
  if (!image || !facelet) return;
  image->AddUse();
  DetachFromFacelet(facelet);
  facelet->mImage = image;
  if (Model3D* model = facelet->GetModel()) model->MarkNetsChanged();
  if (recordOwner) {
    image->mOwner = facelet;
    image->mFlags |= kFaceImageOwnerFacelet;
  }
}

void DetachFromFacelet(Face3D* facelet) {
  if (!facelet || !facelet->mImage) return;
  FaceImage* previous = facelet->mImage;
  facelet->mImage = nullptr;
  if (Model3D* model = facelet->GetModel()) model->MarkNetsChanged();
  // The facelet may go before the image: the image must not keep pointing at it.
  if (previous->mOwner == facelet && (previous->mFlags & kFaceImageOwnerFacelet)) {
    previous->mOwner = nullptr;
    previous->mFlags &= ~kFaceImageOwnerFacelet;
  }
  FaceImage::Release(previous);
}

void CopyFaceImage(Face3D* target, FaceImage* source) {
  if (!target) return;
  if (!source) {
    DetachFromFacelet(target);
    return;
  }
  FaceImage* copy = CopyFaceImage(source);
  if (!copy) return;
  AttachToFacelet(copy, target, false);
  copy->RemoveUse();
}

}  // namespace corvia
