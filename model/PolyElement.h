#pragma once
// The common base of Vertex and Face. The model is self-dual in memory: a Vertex is
// also a face of the dual model and a Face a vertex of the dual, so every geometric
// field has one meaning per role and every operation here is written once for both.
// A "corner" is an entry of mNeighbours (a face's vertices, a vertex's faces) and the
// "position" of an element is its dual point mDualVert.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/VectorMath.h"
#include "model/ElementServices.h"
#include "model/PolyItem.h"

namespace corvia {

class ElementList;
class FaceType;
class FaceTypeBlock;
struct SymAxis;
class SymGroup;
class Face3D;

// The fields that nearly every element leaves empty, made when one of them is set and
// freed when the last is cleared: a large model holds hundreds of thousands of elements.
// (The cells of the first colour stay in the element: every face diagram gives each
// element of its type a copy.)
struct ElementExtras {
  FaceImage* image = nullptr;
  SymAxis* symAxis = nullptr;
  std::unique_ptr<CellColorArray, CellColorArrayDeleter> secondCellColours;

  bool IsEmpty() const { return !image && !symAxis && !secondCellColours; }
};

class PolyElement : public PolyItem {
 public:
  PolyElement(Poly* poly, int numSides);
  ~PolyElement() override;

  bool IsEdge() const override { return false; }
  Edge* AsEdge() override { return nullptr; }
  PolyElement* AsElement() override { return this; }
  // Radius of the element seen as a face (see Vertex and Face).
  virtual double GetRadius() const = 0;
  virtual bool IsDensityOne() const { return false; }
  virtual bool IsVertex() const { return false; }
  virtual bool IsFace() const { return false; }

  // Whether the element draws a text (its numbers or labels).
  bool IsTextShown() const;

  // ---- Vertex figure: the 2D pane of one element with its neighbours and the other
  // elements of its list projected into its frame --------------------------------------
  // The largest 2D distance from the origin of the element's polygon (and those of its
  // coplanar ring) and its neighbours' projections.
  double GetVertexFigureExtent2D() const;
  // The largest radius over the coplanar ring.
  double GetCoplanarRadius() const;
  // The largest 2D distance from the origin of the other elements of the list whose
  // projection is finite.
  double GetOthersExtent2D() const;
  // The largest distance from the origin of the lines through the projections of pairs
  // of other elements, kept in the list for this element until the list changes.
  double GetListSpread2D() const;

  // ---- Numbers and lists ----------------------------------------------------------
  static int GetIndex(const PolyElement* element) { return element ? element->mIndex : -1; }
  int GetIndex() const { return mIndex; }
  // The number shown to users: index + 1, 0 for none.
  static int GetNumber(const PolyElement* element) { return element ? element->mIndex + 1 : 0; }
  int GetNumber() const { return mIndex + 1; }
  // One numbering of all elements, faces first; -1 for none.
  static int GetSerialIndex(const PolyElement* element);
  // The base block for a face, the dual block for a vertex.
  FaceTypeBlock* GetTypeBlock() const;
  // Itself, or (when it lies at infinity) the next finite element of its list,
  // wrapping round; null when every element is infinite.
  PolyElement* GetSelfOrNextFinite();

  // ---- Opacity and translucency -----------------------------------------------------
  void SetOpacity(float value);
  bool IsTranslucent() const;
  bool AnyCoplanarTranslucent() const;

  // ---- Symmetry and density ---------------------------------------------------------
  int GetRotationOrder() const;
  void CalcDensity();

  // ---- Coplanar ring ------------------------------------------------------------------
  int CountCoplanar() const;
  // The ring members read count among the whole walks' steps (CountWholeWalkSteps).
  bool IsCoplanarWith(const PolyElement* other) const;
  // This element when null, in no ring or without the Skip flag; else the first ring
  // member after it without Skip (itself when all have it).
  static PolyElement* GetFirstUnskipped(PolyElement* element);
  // Takes the element out of its coplanar ring.
  void UnlinkCoplanar();

  // ---- Frames ---------------------------------------------------------------------
  // World to element frame: rows are the axes (first negated with flipX), origin mCentre.
  void GetWorldToFace(Transform3D& t, bool flipX) const;
  // Element frame to world: the inverse.
  void GetFaceToWorld(Transform3D& t, bool flipX) const;
  // Turns the dual point, frame origin and axes by a rotation (the centroid is left).
  void Rotate(const double* matrix);
  // mCentroid = mean dual point of the corners that are not Hemi (mCentre when none).
  void ComputeCentre();
  // That mean, computed afresh into out (mCentroid may not be set yet).
  void GetCornerCentroid(double* out) const;
  // The normal, negated when ReverseNorm is set.
  void GetNormal(double* out) const;
  // (a - b) . stored normal.
  double DistanceAlongNormal(const double* a, const double* b) const;
  // A unit normal of the polygon of the neighbours of the same kind.
  void GetAdjacentNormal(double* out) const;

  // ---- Projection into the element's plane and 2D frame ----------------------------
  bool ProjectToPlane(const double* point, bool isDirection, double* out) const;
  bool ProjectTo2D(const double* point, bool isDirection, const Transform3D& worldToFace, double* out2D) const;
  bool ProjectElementTo2D(const PolyElement* other, const Transform3D& worldToFace, double* out2D) const;
  bool GetAdjacent2D(int i, const Transform3D& worldToFace, double* out2D) const;
  // The 2D points that stand for corner i: out holds room for five points (ten
  // doubles). 0 for a missing corner, 1 for a finite one, 5 for one at infinity.
  int GetPolygon2D(int i, const Transform3D& worldToFace, double* out) const;
  // The ends of side i (corners i and i + 1) as lines and rods are drawn: the two
  // corners in one order whichever element draws the side (the lower index first), or
  // for a corner at infinity the chord of the model's sphere along the line through the
  // finite corner. False when a corner is missing, both lie at infinity, or the line
  // misses the sphere.
  bool GetSideEnds(int i, double* a, double* b) const;

  // ---- Measures ---------------------------------------------------------------------
  double GetMaxCornerDistanceXY(const double* p) const;
  double GetDistanceToEdges(const double* p, bool ignoreZero) const;
  double GetPartInradius(bool ignoreZero);
  // buffer: room for (vertex count + face count) pointers, or null.
  int GetPartCentroid(bool otherKind, double* out, PolyElement** buffer);
  double GetPartRadius(bool otherKind);
  double GetHalfNearestDistance(bool ignoreZero) const;
  double GetPartHalfNearestDistance(bool ignoreZero);
  double GetMeanEdgeLength() const;
  double GetMinEdgeLength() const;
  double GetMaxEdgeLength() const;
  double GetCircumradius() const;
  double GetArea() const;
  // Whether a corner lies at infinity (a face through the centre, seen from the dual):
  // such an element bounds no finite area, and its type counts none for the surface.
  bool HasCornerAtInfinity() const;
  double GetSolidAngle() const;
  bool IsRegular() const;
  // Up to three corner dual points that span the element (out: nine doubles).
  int GetSpanningCorners(double* out) const;
  bool IsMirrorPlane(double* direction) const;
  bool FindOrientationDirection(double* out) const;
  // The line where the other element's plane cuts this one, as (a, b, c) in this
  // element's 2D frame with a x + b y + c = 0 and (a, b) of unit length.
  bool IntersectPlaneLine(const PolyElement* other, double* out) const;

  // ---- Lookups ----------------------------------------------------------------------
  static Face3D* GetFace3D(const PolyElement* element);
  int FindEdgeIndexAfter(const Edge* edge, int start) const;
  static int FindVertexIndex(const PolyElement* element, const PolyElement* corner, int start);
  int FindVertexIndex(const PolyElement* corner, int start) const { return FindVertexIndex(this, corner, start); }
  bool HasCorner(const PolyElement* corner) const { return FindVertexIndex(corner, -1) >= 0; }
  // The neighbour of the same kind across edge i.
  static PolyElement* GetAdjacent(const PolyElement* element, int i);
  PolyElement* GetAdjacent(int i) const { return GetAdjacent(this, i); }
  // The neighbour across edge i; i becomes the index of the shared edge in it.
  PolyElement* GetAdjacentAcross(int& i) const;
  static PolyElement* FindCornerAt(const PolyElement* element, const double* point);
  PolyElement* FindCornerAt(const double* point) const { return FindCornerAt(this, point); }
  // The corner step places after the given one (cyclic); an internal error and null
  // when it is not a corner.
  PolyElement* GetNextNeighbour(const PolyElement* corner, int step) const;
  // Breadth-first collection of the connected part (both kinds), marking each with the
  // visit mark; the marks stay for the caller to clear. buffer: room for (vertex count
  // + face count) pointers. With a null buffer the part is only counted, and since the
  // caller cannot reach its elements, their marks are cleared again.
  int CollectConnectedPart(PolyElement** buffer);
  // The same into a growing array; the marks stay.
  int CollectConnectedPart(std::vector<PolyElement*>& part);
  void RotateCorners(int shift, bool reverse);

  // ---- Matching under symmetry operations and congruence (FaceMatching.cpp) -------
  bool MatchTransformed(const PolyElement* other, const double* dualPoint, const double* corner0, const double* matrix,
                        bool ordered, int* outOffset, bool* outReflected) const;
  bool MatchTransformedAxes(const PolyElement* other, const double* origin, const double* normal, const double* corner0,
                            const double* matrix, bool ordered, int* outOffset, bool* outReflected) const;
  bool MapsOntoUnder(const PolyElement* other, const double* matrix) const;
  int FindSymmetryOperation(const PolyElement* other, const double* origin, const double* normal,
                            const double* corner0, const SymGroup* group, int operation, int* outStep) const;
  bool IsCongruentTo(const PolyElement* other, bool allowScale) const;
  SymAxis* FindHalfTurnAxis() const;
  // ---- Coplanar rings (CoplanarFaces.cpp) ---------------------------------------------
  void CopyAxesFromPartner();

  // ---- Builder links ------------------------------------------------------------------
  void SetNeighbour(int i, PolyElement* element) { mNeighbours[i] = element; }
  PolyElement* GetCorner(int i) const { return mNeighbours[i]; }
  bool HasFlag(uint32_t flag) const { return (mFlags & flag) != 0; }

  // ---- Rarely set fields, held apart (ElementExtras) ----------------------------------
  // The image on the element; null for none. Set through AttachToFace and
  // DetachFromFace, which keep the image's count of users.
  FaceImage* GetImage() const { return mExtras ? mExtras->image : nullptr; }
  void SetImage(FaceImage* image);
  // The rotation axis of the group through the element, for a type that turns onto
  // itself; null for none.
  SymAxis* GetSymAxis() const { return mExtras ? mExtras->symAxis : nullptr; }
  void SetSymAxis(SymAxis* axis);
  // The facet made from this element in the 3D net model; null for none. (Held in the
  // element: the program shows a model's net beside it, so every face of a shown model
  // has its facet.)
  Face3D* GetOwnFace3D() const { return mFace3D; }
  void SetOwnFace3D(Face3D* facet) { mFace3D = facet; }
  // The element's copy of its face diagram's cells, for the first or second colour
  // (side 0 or 1); null for none. Make gives the holder, made empty when there is none.
  CellColorArray* GetCellColours(int side) const {
    if (side == 0) return mCellColours.get();
    return mExtras ? mExtras->secondCellColours.get() : nullptr;
  }
  CellColorArray& MakeCellColours(int side);
  void DropCellColours(int side);

  // (The 4-byte fields packed between the pointers: a model holds many elements.)
  int32_t mNumSides;
  int32_t mDensity = 1;
  int32_t mIndex = -1;
  FaceType* mType = nullptr;
  uint32_t mFlags = 0;
  uint32_t mIdFlags = 0;
  Poly* mPoly;
  double mCentroid[3] = {0.0, 0.0, 0.0};
  double mCentre[3] = {0.0, 0.0, 0.0};
  double mXAxis[3] = {1.0, 0.0, 0.0};
  double mYAxis[3] = {0.0, 1.0, 0.0};
  double mZAxis[3] = {0.0, 0.0, 1.0};
  double mDualVert[3] = {0.0, 0.0, 0.0};
  std::unique_ptr<PolyElement*[]> mNeighbours;
  std::unique_ptr<Edge*[]> mEdges;
  PolyElement* mCoplanarNext = nullptr;
  float mBackColor[3] = {0.0f, 0.0f, 0.0f};
  float mOpacity = 1.0f;
  PolyElement* mNextOfType = nullptr;
  ElementList* mList = nullptr;
  PolyElement* mNext = nullptr;
  PolyElement* mPrev = nullptr;

 private:
  std::unique_ptr<CellColorArray, CellColorArrayDeleter> mCellColours;
  Face3D* mFace3D = nullptr;
  std::unique_ptr<ElementExtras> mExtras;

 public:
  // Last, so that the 4 bytes after it hold the first field of a vertex or face.
  int32_t mTypeSerial = -1;

 private:
  ElementExtras& Extras();
  // Frees the rare fields' record once none of them is set.
  void DropExtrasIfEmpty();

 protected:
  // The largest number of steps a ring walk may take: a ring is never longer than
  // the list that holds its members, and a damaged ring must not loop for ever.
  int RingWalkLimit() const;
};
// A large model holds hundreds of thousands of these (and of its vertices' and
// faces' records, which add a few fields): no room is lost to padding.
static_assert(sizeof(PolyElement) <= 312, "an element record takes 312 bytes at most");

// The corners of a vertex's and a face's neighbourhood, for the builder.
class Vertex;
// The face step places after face round the vertex; backwards when the vertex's
// sense byte for face differs from sense.
PolyElement* GetNextFace(Vertex* vertex, PolyElement* face, int step, int sense);
// Puts newFace step places after face round the vertex and gives it its sense byte.
void SetNextFace(Vertex* vertex, PolyElement* face, int step, PolyElement* newFace, int sense);
// The corner of face step places after the vertex, reversed when the vertex passes
// the face in reverse.
PolyElement* GetNextVertex(PolyElement* face, Vertex* vertex, int step);
// The element across the side from corner i to corner i + 1, found round corner i
// (read from the edge once edges exist). Serves faces and, in the dual role, vertices.
PolyElement* GetAdjacentFaceVert(const PolyElement* face, int i);

}  // namespace corvia
