#pragma once
// Facelets and facelet types of the facet model. A facelet is one flat piece of a face
// of the shown model (or a user's drawn polygon) with its ring of edgelets; a facelet
// type is a symmetry class of facelets that share one outline (loops of 2D points in
// the facelet's own frame) and one triangulation.

#include <cstdint>
#include <memory>

#include "core/VectorMath.h"
#include "nets/Edge3D.h"

namespace corvia {

class Model3D;
class Net;
class PolyElement;
class FaceImage;
struct PolygonList;
struct StellationSegment;

// What a facelet cut from a stellation diagram learns from the owners of its ring
// points (the diagram's corners): the region it lies in, which becomes its facet
// loop, and the vertex at a corner's position in that corner's vertex group. The
// stellation's builder of the facet model supplies it.
class FaceletCornerLookup {
 public:
  virtual ~FaceletCornerLookup();
  // The corner's region; null when it has none.
  virtual StellationSegment* RegionOf(void* owner) const = 0;
  // The vertex at the position in the corner's vertex group; null after an internal
  // error when there is none.
  virtual Vert3D* FindVert(void* owner, const double* position) const = 0;
};

// Drawing modes of a facelet: folded net in 3D, flat net, on the source model.
constexpr int kFaceletDrawFolded = 0;
constexpr int kFaceletDrawFlat = 1;
constexpr int kFaceletDrawModel = 2;

// The colour of facelets made from drawn polygons.
extern const float kDrawnFaceletColor[3];

class Face3D;

class Face3DType {
 public:
  // The fold decides the axis bits (an internal error when the group has no axis of
  // that fold).
  Face3DType(int numFacelets, int fold, Model3D* owner, Face3DType* next);
  ~Face3DType();
  Face3DType(const Face3DType&) = delete;
  Face3DType& operator=(const Face3DType&) = delete;

  // Edge count, loop count and lengths from the list; convex when one convex ring.
  void SetLoops(const PolygonList* list);
  // Triangulates a copy of nothing: the list is consumed (the polygon pools keep it).
  void Triangulate(PolygonList* list);
  void ReverseTriangles();
  // 0-based position in the type list starting at first (the owner's when null): -1
  // for null, -2 when not found. In the owner's lists it is the kept number, found at
  // once.
  static int GetIndex(const Face3DType* type, const Face3DType* first = nullptr);
  int GetAxisKind() const;
  int GetNumRots() const;
  double GetArea() const;
  // Whether the facelets can be construction-toy panels (cached in the flags).
  bool IsGeomagPanel();
  bool HasFlag(uint32_t bits) const { return (mFlags & bits) != 0; }
  // Edgelet index of the first edgelet of loop i.
  int GetLoopStart(int loop) const;

  Model3D* mOwner;
  int32_t mNumFacelets;
  std::unique_ptr<Face3D[]> mFacelets;
  uint32_t mFlags = 0;
  int32_t mNumEdges = 0;
  int32_t mNumLoops = 0;
  std::unique_ptr<int32_t[]> mLoopLengths;
  int32_t mNumIndices = 0;
  std::unique_ptr<int[]> mIndices;
  Face3DType* mNext;
  // The type's place in its owner's list (a drawn type's in the drawn types), and the
  // running numbers of its first facelet and first edgelet over the owner's types (-1
  // for a drawn type, which has none): a pick names every facelet and edgelet it
  // draws, and must not walk the types for each. Model3D::NumberFaceTypes keeps them.
  int32_t mIndex = -1;
  int32_t mFirstFacelet = -1;
  int32_t mFirstEdgelet = -1;
};

class Face3D {
 public:
  Face3D();
  ~Face3D();
  Face3D(const Face3D&) = delete;
  Face3D& operator=(const Face3D&) = delete;

  // Builds the edgelets from the loops (one edgelet per polygon vertex, loop after
  // loop), placing each corner in space with the face transform. The builder sets
  // the flags kFaceletReversed and kFaceletFlipped before. With corners, edgelet k
  // starts at corners[k] (a builder that knows its vertices). The ring points of a
  // facelet cut from a stellation diagram name their diagram corner as owner, which
  // the diagram's lookup reads: the corner's region becomes the facet loop, and
  // without corners the vertex is found in the corner's vertex group. Otherwise the
  // vertex is looked up by position. The facelet joins the copies of the first
  // facelet met round the source's coplanar ring from the source; a builder that keeps
  // track of them gives it (null for none) in `joins`, instead of a walk round the ring
  // for every facelet of a plane of many faces.
  void Create(PolyElement* source, Face3DType* type, PolygonList* loops, const Transform3D& faceTransform,
              Model3D* model, Vert3D* const* corners = nullptr, const FaceletCornerLookup* diagram = nullptr,
              Face3D* const* joins = nullptr);
  // Links each edgelet to the edgelet of the facelet across its edge. reported is
  // the run's flag: only the first edgelet without any other facelet is reported.
  void ConnectEdges(bool& reported);
  // Gives one edgelet of each physical edge the drawn-edge mark.
  void MarkDrawnEdges();

  // ---- Queries ----
  Model3D* GetModel() const;
  // The running number over the model's facelets: -1 for null, -2 for a facelet
  // outside the model's types (a drawn polygon's).
  static int GetIndex(const Face3D* facelet);
  int GetIndexInNet() const;
  bool IsSelected(const class Poly* poly) const;
  const float* GetColor() const;
  float GetAlpha() const;
  FaceImage* GetImage() const;
  const char* GetLabel() const;
  bool IsShown() const;
  int FindEdgeByVertex(const Vert3D* vertex) const;
  int GetEdgeIndex(const Edge3D* edge) const;
  int GetNumEdges() const;
  void GetNormal(double* out) const;
  double DistanceToPlane(const double* point) const;
  double DistanceToPlacedPlane(const double* point) const;
  double GetArea() const;
  void GetCentroid(double* out) const;
  void GetLoopCentroid(int loop, double* out) const;
  void GetPlacedCentroid(double* out) const;
  Edge3D* GetLongestEdge() const;
  // The rigid motion from the net plane onto the facelet's place on the model.
  void CalcPlacementTransform(Transform3D& out) const;
  // The rigid motion from the facelet's place on the model to its folded place.
  void CalcFoldedTransform(Transform3D& out) const;
  // Where text and images go in a drawing mode: centre, in-plane direction, normal.
  void GetCentreFrame(int mode, double* centre, double* direction, double* normal, const double* offset,
                      double scale) const;
  // The corners of the triangle at index i of the triangulation (nine doubles).
  void GetTriangulationVertex(int i, double* out) const;
  // The position of an edgelet's start: its vertex, else its folded point.
  static const double* GetCornerPosition(const Edge3D* edge);

  PolyElement* mSourceFace = nullptr;
  // An image placed on the facelet itself (one use held); else it shows its source
  // face's.
  FaceImage* mImage = nullptr;
  Face3DType* mType = nullptr;
  uint32_t mFlags = 0;
  Net* mNet = nullptr;
  double mNormal[3] = {0.0, 0.0, 1.0};
  // The normal of the plane through its corners, turned like the source face's (and
  // back when reversed); worked out once, since the source face's frame can lean by
  // a little against the corners it was made from.
  double mPlaneNormal[3] = {0.0, 0.0, 0.0};
  std::unique_ptr<Edge3D[]> mEdges;
  // The diagram segment the facelet was cut from: its joined segments make the
  // stellation lines drawn on it (none until the facelet line data is computed). In
  // the diagram's coordinates the joined segments cover the facelet's outline as its
  // local points give it through the outline transform.
  StellationSegment* mFacetLoop = nullptr;
  // Six doubles m0, m1, m2, m3, tx, ty: x' = m0 x + m2 y + tx, y' = m1 x + m3 y + ty.
  double mNetTransform[6] = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
  double mOutlineTransform[6] = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
  Transform3D mPlacement;
  Face3D* mNextInNet = nullptr;
  // The place in its net's chain, kept by the net's table of places (Net::Places).
  mutable int32_t mPlaceInNet = -1;
  Face3D* mNextCopy;
};

// Applies a 2D affine transform (m0, m1, m2, m3, tx, ty) to a point.
void Transform2DPoint(const double* m, const double* p, double* out);

// The facelet switches to the image, as AttachToFace does for a face but without
// texture references (the facelet's source face holds those); with recordOwner the
// facelet becomes the owner. A null image or facelet does nothing.
void AttachToFacelet(FaceImage* image, Face3D* facelet, bool recordOwner);
// The facelet gives up its image (if any); an image it owned loses its owner.
void DetachFromFacelet(Face3D* facelet);
// The source's copy for the model being copied (CopyFaceImage of core/FaceImageRef.h)
// attached to the facelet; a null source leaves the facelet without an image.
void CopyFaceImage(Face3D* target, FaceImage* source);

}  // namespace corvia
