#pragma once
// The plain model through which every polyhedron enters the system: an array of
// vertices, an array of faces (each face an ordered cycle of vertices), an optional
// array of edges, names, a length scale and a symmetry group. Builders fill one,
// the topology passes complete it, and CreatePoly turns it into a Poly.
//
// Records live in std::vectors owned by their SimplePoly, and refer to one another
// by index (an element's index is its position in its array), never by pointer, so
// the arrays may grow any number of times without leaving a stale reference. A
// SimpleVert& or SimpleFace* handed out by an accessor is valid only until the next
// growth of that array.
//
// Elements are never removed from the arrays: a removed element carries Temp, and
// every pass skips it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ListNode.h"
#include "core/OptionalText.h"
#include "core/Outcome.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "symmetry/SimpEdgeType.h"
#include "symmetry/SymmetryMatch.h"

namespace corvia {

class SimplePoly;
class SymGroup;
class FaceImage;
class Face;
class PolyTemplate;
struct PolygonList;
struct SimpEdgeType;
struct SimpleSplitRecord;
struct SimpleVertSearch;
struct SimpleFace;

// ---- Element flags (SimpleElement::flags) ----------------------------------------

constexpr uint32_t kSimpleDone = 0x1;          // scratch mark of the passes
constexpr uint32_t kSimpleMark2 = 0x2;         // second scratch mark (symmetry tests, blending, hull)
constexpr uint32_t kSimpleTemp = 0x4;          // removed or temporary: skipped everywhere
constexpr uint32_t kSimpleHidden = 0x8;        // hidden; carried to the Poly element
constexpr uint32_t kSimpleIsFace = 0x10;       // set by the face constructor
constexpr uint32_t kSimpleInfinite = 0x20;     // vertex at infinity (pos is a direction);
                                               // on a face: the face lies at infinity
constexpr uint32_t kSimpleMarked = 0x80;       // carried to the Poly element's 0x8000
constexpr uint32_t kSimpleSplit = 0x100;       // vertex split into several fans
constexpr uint32_t kSimpleSplitFan = 0x200;    // set together with kSimpleSplit
constexpr uint32_t kSimpleInTree = 0x2000;     // vertex is in the position search
constexpr uint32_t kSimpleCentralPlane = 0x10000;  // face plane through the origin
constexpr uint32_t kSimpleHemiFixed = 0x20000;     // sense of a central face settled
constexpr uint32_t kSimpleReversed = 0x40000;      // face fitted the other way round
// The bits CopyAttributes carries.
constexpr uint32_t kSimpleCopiedFlags = 0x5002D;

// ---- Model flags (SimplePoly::flags) ----------------------------------------------

constexpr uint32_t kSimpleHasVertFaceLists = 0x1;
constexpr uint32_t kSimpleSortedFaceLists = 0x2;
constexpr uint32_t kSimpleWantNewColors = 0x4;
constexpr uint32_t kSimpleIsOk = 0x8;
constexpr uint32_t kSimpleKeepOrientation = 0x10;
constexpr uint32_t kSimpleKeepCentre = 0x20;
constexpr uint32_t kSimpleKeepLengthUnits = 0x40;
constexpr uint32_t kSimpleKeepSize = 0x80;
constexpr uint32_t kSimpleKeepColors = 0x100;
constexpr uint32_t kSimpleKeepDualColors = 0x200;
constexpr uint32_t kSimpleGrowable = 0x400;
// The model kinds that CreatePoly carries to the Poly's flags kPolyFlagConvex,
// kPolyFlagDensityOne and kPolyFlagPlainSurface (model/Poly.h).
constexpr uint32_t kSimpleConvex = 0x800;
constexpr uint32_t kSimpleDensityOne = 0x1000;
constexpr uint32_t kSimplePlainSurface = 0x2000;
constexpr uint32_t kSimpleHasPlaneFaces = 0x4000;
constexpr uint32_t kSimpleHasCoplanarEdges = 0x8000;
constexpr uint32_t kSimpleHasManyFaceEdges = 0x10000;
constexpr uint32_t kSimpleHasOpenEdges = 0x20000;
constexpr uint32_t kSimpleHasOddEdges = 0x40000;
// Carried to the Poly's kPolyFlagInherited, and from it to every derived model.
constexpr uint32_t kSimpleInherited = 0x80000;
// The corners were read from a model file or an undo step's copy (or the model was
// made from one that was): its faces start where the file starts them. Carried as
// kPolyFlagFileCorners.
constexpr uint32_t kSimpleFileCorners = 0x100000;
// The corners are known only to the decimals a file gave them with (a file not written
// by this program, which writes every coordinate whole), or the model was made from
// one that was: planes that nearly cross in one line or point may be meant to. Carried
// as kPolyFlagDecimalCorners.
constexpr uint32_t kSimpleDecimalCorners = 0x200000;
// The marks a model made from another takes over from it.
constexpr uint32_t kSimpleCarriedFlags = kSimpleInherited | kSimpleFileCorners | kSimpleDecimalCorners;
// Made only to be built into a Poly, which then replaces it: CreatePoly lets go of its
// vertices and faces (ReleaseElements) once the Poly holds them, before the set-up of
// the Poly takes room of its own.
constexpr uint32_t kSimpleBuiltOnce = 0x400000;

// ---- Defaults and tolerances ------------------------------------------------------

constexpr uint32_t kSimpleVertColor = 0x0080FF;
constexpr uint32_t kSimpleVertColor2 = 0xFF0080;
constexpr uint32_t kSimpleFaceColor = 0x0000FF;
constexpr uint32_t kSimpleFaceColor2 = 0x00FFFF;
// The x component of a face normal that has not been computed.
constexpr double kNormalNotComputed = -2.0;
// Index of no element.
constexpr int32_t kNoIndex = -1;

// The option "hide faces whose vertices are all hidden" (a document setting; off
// until the document sets it).
extern bool HideFacesWithHiddenVerts;

// ---- Records ----------------------------------------------------------------------

// What nearly every element leaves at its default: a picture, a label, an opacity
// other than 1. An element holds one only while something in it is set.
struct SimpleElementExtras {
  // Picture shown on the element, shared by reference (one use held); null when none.
  FaceImage* image = nullptr;
  OptionalText label;
  float alpha = 1.0f;

  SimpleElementExtras() = default;
  SimpleElementExtras(const SimpleElementExtras&) = delete;
  SimpleElementExtras& operator=(const SimpleElementExtras&) = delete;
  ~SimpleElementExtras();
  bool AllDefault() const { return !image && label.empty() && alpha == 1.0f; }
};

// The part that vertices and faces share.
struct SimpleElement {
  // For a face its vertex indices in cycle order; for a vertex the indices of the
  // faces round it (the vertex-face list).
  std::vector<int32_t> items;
  SimplePoly* owner = nullptr;
  uint32_t flags = 0;
  // Symmetry class number; -1 when unset.
  int32_t typeId = -1;
  uint32_t color = 0;   // 0x00BBGGRR
  uint32_t color2 = 0;  // 0x00BBGGRR
  // Next element (same kind, by index) of the ring of all elements with this typeId;
  // -1 until the element has an index, then itself. (Beside the other 4-byte fields,
  // where it takes no padding: a large model holds millions of these records.)
  int32_t nextOfType = kNoIndex;
  // Ring of coincident elements (by index): for a vertex the vertices at its place,
  // for a face the faces in its plane.
  int32_t coinc = kNoIndex;

  SimpleElement(bool isFace, uint32_t c, uint32_t c2);
  SimpleElement(const SimpleElement&) = delete;
  SimpleElement& operator=(const SimpleElement&) = delete;
  // Moves carry everything, the image link included (no release).
  SimpleElement(SimpleElement&& other) noexcept;
  SimpleElement& operator=(SimpleElement&& other) noexcept;
  ~SimpleElement();

  // Number of faces round a vertex, or of corners of a face.
  int Count() const { return static_cast<int>(items.size()); }
  bool IsTemp() const { return (flags & kSimpleTemp) != 0; }

  FaceImage* Image() const { return mExtras ? mExtras->image : nullptr; }
  const OptionalText& Label() const { return mExtras ? mExtras->label : NoLabel(); }
  float Alpha() const { return mExtras ? mExtras->alpha : 1.0f; }
  // Whether the record of extras is held (one of the three is set).
  bool HasExtras() const { return mExtras != nullptr; }
  // Links the image, taking over one use the caller holds of it; the use of the image
  // it replaces is released.
  void SetImage(FaceImage* image);
  // Replaces the label by a copy; a blank text clears it.
  void SetLabel(const char* text);
  void SetAlpha(float alpha);

  // Or-in the copied flag bits, copy colours, opacity, image link and label.
  void CopyAttributes(const SimpleElement& from);
  // Index search in items after position `after` (-1 starts at 0); -1 when absent.
  int FindItem(int32_t item, int after = -1) const;

 private:
  static const OptionalText& NoLabel();
  SimpleElementExtras& Extras();
  // Lets go of the extras once all of them are back at their defaults.
  void TrimExtras();

  // Null while the picture, label and opacity are all at their defaults.
  std::unique_ptr<SimpleElementExtras> mExtras;
};

struct SimpleVert : SimpleElement {
  // Position; for an infinite vertex a direction.
  double pos[3] = {0, 0, 0};

  SimpleVert() : SimpleElement(false, kSimpleVertColor, kSimpleVertColor2) {}

  int32_t GetIndex() const;
  bool IsInfinite() const { return (flags & kSimpleInfinite) != 0; }
  // Face i of the vertex-face list.
  SimpleFace& FaceAt(int i) const;

  // Stores the position and enters the vertex in the owner's position search (or
  // moves it there when it is already in).
  void SetPos(const double* p);
  void InsertInTree();
  // Optionally SetPos (v.pos), then the attributes.
  void CopyFrom(const SimpleVert& v, bool withPos);
  // Faces in the list without Temp.
  int CountLiveFaces() const;
  // Sum of the centroids of the faces round the vertex.
  void SumCentroidsOfRing(double* out) const;

  // Ring operations (on the nextOfType and coinc rings of the owner's vertices).
  void JoinTypeRing(SimpleVert& other);
  void SetRingFlags(uint32_t bits);
  void ClearRingFlags(uint32_t bits);

  // Writes the vertices of the position search, in order, to the trace output.
  void DumpTree(int indent) const;
};
// A large model holds millions of these: what a search needs of every vertex for a
// while only is kept in tables of its own, not here, and what nearly every vertex
// leaves empty (its picture, label and opacity) takes no more than one pointer.
static_assert(sizeof(SimpleVert) <= 88, "a vertex record takes 88 bytes at most");

struct SimpleFace : SimpleElement {
  // The q of the face's polygon {n/q}.
  int32_t winding = 1;
  // Rotations that map the face onto itself.
  int32_t rots = 1;
  // Unit normal; (-2, -2, -2) when not computed. For a face without vertices the
  // foot point of its plane.
  double normal[3] = {kNormalNotComputed, kNormalNotComputed, kNormalNotComputed};

  SimpleFace() : SimpleElement(true, kSimpleFaceColor, kSimpleFaceColor2) {}

  int32_t GetIndex() const;
  bool HasNormal() const { return normal[0] != kNormalNotComputed; }
  // Vertex at corner i (no bounds check beyond the debug assertion).
  SimpleVert& VertAt(int i) const;
  // Vertex at corner i taken cyclically.
  SimpleVert& VertWrapped(int i) const;

  // ---- Corners ----
  void SetNumVerts(int n, int windingNumber = 1);
  void SetVert(int i, const SimpleVert* v);
  void SetVertIndex(int i, int32_t k);
  // Index of vertex v in the cycle after `after` (-1 starts at 0); -1 when absent.
  int FindVert(const SimpleVert* v, int after = -1) const;
  int FindVertAtPos(const double* p, int after = -1) const;
  void RemoveVertsAt(int i, int k);
  void RemoveVert(const SimpleVert* v);
  void InsertVertAt(int i, const SimpleVert* v);
  // The face across the edge from corner edgeIndex to the next; null when none.
  // Needs sorted vertex-face lists.
  SimpleFace* GetAdjacentFace(int edgeIndex) const;
  // Whether vertex b is next to vertex a (before or after some occurrence of a) in
  // the cycle, so that the face has an edge from a to b.
  bool HasEdge(int32_t a, int32_t b) const;
  bool AllVertsHidden() const;
  // Copies normal and attributes (the corners are the caller's).
  void CopyFrom(const SimpleFace& f);

  // ---- Rings ----
  void JoinTypeRing(SimpleFace& other);
  int CoincCount() const;
  void JoinCoinc(SimpleFace& other);

  // ---- Geometry ----
  void SumVertPositions(double* out) const;
  // Sum / count; the unchanged (zero) sum for a face without corners.
  void GetCentroid(double* out) const;
  double GetCircumradius() const;
  void AreaVector(double* out) const;
  // Whether every corner lies within the tolerance of the plane through the
  // centroid across the area vector; a face of (nearly) no area has no plane to
  // leave and counts as flat.
  bool IsFlat(double tolerance) const;
  // Whether every corner lies in the plane of unit normal n through the first corner,
  // to rounding (kSymmetrisedTolerance of the size of their coordinates).
  bool LiesInPlane(const double* n) const;
  // The point the face's plane is taken through: the first corner, or the centroid
  // when the corners do not lie in one plane (the plane is then the same whichever
  // corner the face starts at).
  void GetPlanePoint(double* out) const;
  // Triangulation of the region the face covers, in its plane: `points` receives
  // 3D points (x, y, z each: the corners and, for a star face, the points where
  // its edges cross) and `indices` three point numbers per triangle, wound like
  // the face. Returns the number of triangles; 0 (both empty) for fewer than
  // 3 corners or a face without a plane.
  int Triangulate(std::vector<int32_t>& indices, std::vector<double>& points) const;
  double CalcSolidAngle() const;
  bool MatchFace(const SimpleFace& other, const double* targetNormal, const double* point, const double* rotation,
                 bool* backward, const SymmetryMatch& match = {}) const;
};
static_assert(sizeof(SimpleFace) <= 96, "a face record takes 96 bytes at most");

// The unit normal of the face's plane, oriented like its cycle (Newell's sum); false
// for a face whose corners all lie on one line.
bool PlaneNormalOfCycle(const SimpleFace& f, double* out);

// SimpleEdge::flags: a hidden edge (the Poly's edge takes it over as its own hidden
// flag, which has the same bit).
constexpr uint32_t kSimpleEdgeHidden = 0x8;

struct SimpleEdge {
  uint32_t flags = 0;  // kSimpleEdgeHidden is carried to the Poly's edge
  int32_t endA = kNoIndex;
  int32_t endB = kNoIndex;
  int32_t faceA = kNoIndex;
  int32_t faceB = kNoIndex;
  uint32_t color = 0;
  OptionalText label;  // empty when none

  void SetLabel(const char* text);
};

// Whole-model sort of positions: -1, 0 or +1 with tolerance t per coordinate; all
// infinite vertices sort after all finite ones.
int ComparePos(const double* p, bool infinite, const SimpleVert& v, double t);
// All three coordinates within kPointTolerance.
bool SamePos(const double* a, const double* b);
// i + step reduced once into 0 .. n-1.
int WrapIndex(int i, int step, int n);

// Inserts node just before anchor (a null anchor appends at the tail).
void ListInsertBefore(ListNode* anchor, ListNode* node, ListNode*& head, ListNode*& tail);
// Unlinks the node and deletes it.
void ListUnlink(ListNode* node, ListNode*& head, ListNode*& tail);

// ---- The model --------------------------------------------------------------------

class SimplePoly {
 public:
  // Owned block for callers' scratch data; released by the destructor.
  std::unique_ptr<unsigned char[]> work;
  std::unique_ptr<SymGroup> symmetry;
  uint32_t flags = 0;
  // Face to become the current face type of the new Poly (index; -1 none).
  int32_t currentFace = kNoIndex;
  // Model length scale: the paper length of one model unit, in distance units; a new
  // model starts with the unit settings' scale, and CreatePoly hands it back to them.
  double scale = 1.0;
  // The vertex configuration the model was built from, when it is known (a model read
  // back from a file); not owned. CreatePoly hands it to the Poly before the face types
  // are set up, since they depend on it.
  PolyTemplate* polyTemplate = nullptr;
  // The faces type by type in the order the set-up of the saved model took them, where
  // the open road knows it (each face once: a file's model grown from its vertex
  // configuration); CreatePoly sets the types up in that order, and gives each face the
  // density its winding then holds. Empty when not known.
  std::vector<int32_t> faceTypeOrder;
  // Empty when not set.
  std::string name, dualName, description, webLink;

  SimplePoly(int numVerts = 0, int numFaces = 0);
  ~SimplePoly();
  SimplePoly(const SimplePoly&) = delete;
  SimplePoly& operator=(const SimplePoly&) = delete;

  // ---- Arrays ----
  int NumVerts() const { return static_cast<int>(mVerts.size()); }
  int NumFaces() const { return static_cast<int>(mFaces.size()); }
  int NumEdges() const { return static_cast<int>(mEdges.size()); }
  // Unchecked access (0 <= i < count).
  SimpleVert& VertAt(int i) { return mVerts[static_cast<size_t>(i)]; }
  const SimpleVert& VertAt(int i) const { return mVerts[static_cast<size_t>(i)]; }
  SimpleFace& FaceAt(int i) { return mFaces[static_cast<size_t>(i)]; }
  const SimpleFace& FaceAt(int i) const { return mFaces[static_cast<size_t>(i)]; }
  SimpleEdge& EdgeAt(int i) { return mEdges[static_cast<size_t>(i)]; }
  const SimpleEdge& EdgeAt(int i) const { return mEdges[static_cast<size_t>(i)]; }
  // Element i. Past the end: with Growable the array grows to hold it (a vertex
  // growth drops the edge array); without, an internal error and null.
  SimpleVert* GetVert(int i);
  SimpleFace* GetFace(int i);
  SimpleFace* GetCurrentFace() { return currentFace >= 0 && currentFace < NumFaces() ? &FaceAt(currentFace) : nullptr; }
  // Appends one fresh record and returns it.
  SimpleVert& AddVert();
  SimpleFace& AddFace();
  // Grows (never shrinks) the arrays to at least these counts; under a progress level,
  // reporting every kRecordsPerReport records made.
  static constexpr int kRecordsPerReport = 16384;
  void Resize(int newVerts, int newFaces);
  // Room for these counts without making the records: a Growable builder makes each
  // as it uses it (a large model's records are not all made in one long step).
  void Reserve(int numVerts, int numFaces);
  // Drops unused records at the ends of the arrays (a Growable builder's spare
  // ones). Refuses with an internal error, changing nothing, when a kept element
  // still refers to a dropped one.
  bool Truncate(int newVerts, int newFaces);
  // Lets go of every vertex and face record and of the position search; the edges,
  // names, scale and flags stay (an edge then names elements by their old numbers).
  void ReleaseElements();
  // A fresh edge array of n edges (0 drops it).
  void SetNumEdges(int n);

  // The vertex within kPointTolerance of p (of the same infinite kind), or a new
  // vertex GetVert (usedCount) at p, usedCount then counted up. Null when the model
  // cannot hold another vertex.
  SimpleVert* FindOrCreateVert(const double* p, int& usedCount, bool infinite = false);
  // Has every InTree vertex entered in the position search again (after positions
  // were written directly), when it is next searched.
  void RebuildVertexSearch();

  // ---- Names and attributes ----
  void SetName(const char* base, const char* prefix = nullptr, bool force = false);
  void SetDualName(const char* base, const char* prefix = nullptr, bool force = false);
  void SetDescription(const char* text);
  void SetWebLink(const char* text);
  void SetSymmetry(const SymGroup* group);
  size_t GetMemorySize() const;
  int CountFacesWithoutFlags(uint32_t bits) const;
  void ClearVertFlags(uint32_t bits);
  void ClearFaceFlags(uint32_t bits);
  void ClearAllFlags(uint32_t bits);

  // ---- Topology ----
  void CreateVertexFaceLists(bool force);
  void CompressVertexTypeIds();
  // Vertices within the tolerance of one another become one.
  void MergeCoincidentVerts(double tolerance = kPointTolerance);
  // Numbers the vertices in the order the live faces first use them (vertices no
  // live face uses follow, in their order), when they are listed far from where the
  // faces use them, as a file may list them: the passes over a large model then
  // meet its vertices near each other in memory. Only a plain model is renumbered
  // (positions and faces; no edges, rings, types, pictures or symmetry yet). True
  // when it was.
  bool RenumberScatteredVerts();
  bool SimpleSortVertFaces();
  bool SortVertFaces(const SymGroup* group);
  bool CheckTemporaryVerts() const;
  // The first live face with a corner that names no vertex (an index outside the
  // array or, with removedToo, a Temp vertex); -1 when none. `corner` receives the
  // index it names.
  int FindFaceWithUnknownCorner(bool removedToo, int32_t* corner = nullptr) const;
  // The first edge (by live face and corner) at which an odd number of face sides
  // meet, counting each side of a face once; false when every edge is met in pairs.
  bool FindOddEdge(int32_t& a, int32_t& b, int& sides) const;
  // The first live face that passes one vertex twice, or two vertices of one ring of
  // coincident vertices; -1 when none. `vertex` receives that vertex (the first of
  // the ring).
  int FindFaceWithRepeatedCorner(int32_t* vertex = nullptr) const;
  // The edge types of the model (empty when the lists are already sorted or
  // there are no edges).
  std::vector<std::unique_ptr<SimpEdgeType>> CreateEdgeTypes(const SymGroup* group);
  bool TraverseEdgeTypes(std::vector<std::unique_ptr<SimpEdgeType>>& types);
  bool SortVertFacesUsingEdgeTypes(std::vector<std::unique_ptr<SimpEdgeType>>& types, const SymGroup* group);
  void SplitVertices(std::vector<SimpleSplitRecord>& splitList);

  // ---- Whole-model operations ----
  void CalcFaceNormals(bool force, int firstFace = 0);
  double GetMaxVertexRadius() const;
  // The geometric mean of the distances of the edge lines from the centre (1 when no
  // edge line misses the centre): the radius of the sphere the dual is reciprocated in.
  double GetMidRadius() const;
  void GetCentre(double* out);
  void Translate(const double* v);
  void Centre();
  void Scale(double factor);
  void ScaleAlongAxis(double factor, const double* unitAxis);
  void ResetIndices();
  void ResetCoincRings();
  // Between these two a join of types does not write the joined type into every
  // element of the ring it takes in: it links the two types' sets (whose type is
  // that of their first element), and SettleTypeJoins writes each element's type
  // once. Nothing may read typeId in between. The symmetry search joins types
  // many times over and reads them only at the end.
  void DeferTypeJoins();
  void SettleTypeJoins();
  std::unique_ptr<SimplePoly> CopyWithNames() const;
  std::unique_ptr<SimplePoly> Combine(const SimplePoly& other) const;
  void Reflect(const SymGroup* group);
  std::unique_ptr<SimplePoly> CreateDual(double radius);
  void Dump() const;

  // Faces round vertex a matching faces round vertex b under rotation R.
  bool FaceSetMatches(const SimpleVert& a, const SimpleVert& b, const double* point, const double* rotation,
                      const SymmetryMatch& match = {}) const;

  // ---- Defined in the sources of the later steps of the model-entry road
  // (symmetry detection, validity check, sphere projection; the conversion to a Poly
  // is model/CreatePoly.h) ----
  SymGroup* FindSymmetries(bool& hasReflection);
  void Rotate(const double* m);
  // Refused, in the user's words, when the faces do not meet in pairs (unless the
  // hull offered instead is taken); cancelled when the user declines a question.
  Outcome CheckModelValidity(uint32_t options);
  // Every vertex pushed out to the unit sphere; refused, in the user's words, when a
  // face of more than three corners would no longer be flat.
  Outcome ProjectOntoSphere();

 private:
  friend struct SimpleVert;
  friend struct SimpleFace;

  void InitRecords(int firstVert, int firstFace);
  void SearchInsert(int32_t index);
  void SearchErase(int32_t index);
  int32_t SearchFind(const double* p, bool infinite) const;

  std::vector<SimpleVert> mVerts;
  std::vector<SimpleFace> mFaces;
  std::vector<SimpleEdge> mEdges;
  // While type joins are deferred: each vertex's and face's parent in its type's
  // set; empty otherwise.
  std::vector<int32_t> mVertTypeParent;
  std::vector<int32_t> mFaceTypeParent;

  // The position search: vertex indices hashed by the grid cell of their position
  // (cells wider than twice the tolerance, so a match lies in one of 27 cells).
  std::unique_ptr<SimpleVertSearch> mSearch;
};

}  // namespace corvia
