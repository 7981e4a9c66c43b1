#pragma once
// The full model: a polyhedron (or the 3D part of a polytope) with its names, its
// vertex and face lists, edges and edge types, compound parts, symmetry groups, the
// base and dual face-type blocks, and the selection and display state that belong to
// the model. Faces and vertices are each other's duals; mShowDual picks the role shown.
// A Poly is never copied as a whole; it owns everything it points to unless a field
// says otherwise.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>  // cross-section

#include "core/Outcome.h"
#include "model/CompoundPart.h"
#include "model/ElementList.h"
#include "model/Face.h"
#include "model/ModelPart.h"
#include "model/SelectionChange.h"
#include "model/Vertex.h"
#include "model/TransitionSettings.h"

namespace corvia {

class Augmentation;
class Edge;
class Vertex;
class FaceTypeBlock;
class SymGroup;
class SimplePoly;
class LibraryEntry;
class PolyTemplate;
class PolyBuildRecord;
class DrawnPolygon;
struct FacetPreview;
class PolyItem;
class PolyElement;
struct PointBlock;
class CrossSection;  // cross-section
struct ModelFileKeep;  // model file
struct GeomagColourKeep;
class FaceDiagramWorkPools;
class FaceDiagramResultPools;
struct SlicePlane;  // cross-section

// One class of symmetry-equivalent edges; the edges of a type are contiguous.
struct EdgeType {
  // Its place in the model's edge-type array; -1 for a null type or one of another
  // model. Its number, as the user sees it, counts from 1 (0 for a null type).
  static int GetIndex(const EdgeType* type, const Poly* model);
  static int GetNumber(const EdgeType* type, const Poly* model) { return GetIndex(type, model) + 1; }

  Edge* mFirstEdge = nullptr;
  int32_t mNumEdges = 0;
};

// Undo steps the model records, and the plain change of one model for another.
constexpr int kUndoModelChange = 2;
constexpr int kUndoTranslate = 24;
constexpr int kUndoDrawnPolygons = 28;

// mPolyFlags bits read here.
constexpr uint32_t kPolyFlagOneSidedFace = 0x20;
constexpr uint32_t kPolyFlagReversedFace = 0x40;    // a face is reversed against its type
constexpr uint32_t kPolyFlagRetroFailed = 0x80;     // SetRetroFaces failed at some vertex
constexpr uint32_t kPolyFlagAxisTreatment = 0x100;  // set-up re-orients axes from the first type
constexpr uint32_t kPolyFlagKeepFaceOrder = 0x200;  // the set-up leaves the face order
// Known convex from how it was built (a convex catalogue solid, a convex hull, a
// flat subdivision of either); its dual is convex too. Blocks kPolyFlagDensityOne.
constexpr uint32_t kPolyFlagConvex = 0x400;
// One part of genus 0 and density 1.
constexpr uint32_t kPolyFlagDensityOne = 0x800;
// Faces meet only along their edges (a convex solid, a torus): the model is its own
// first stellation.
constexpr uint32_t kPolyFlagPlainSurface = 0x1000;
// A mark passed on to every model made from this one.
constexpr uint32_t kPolyFlagInherited = 0x20000;
// Its corners came from a model file (kSimpleFileCorners), also passed on.
constexpr uint32_t kPolyFlagFileCorners = 0x40000;
// Its corners are known only to a file's decimals (kSimpleDecimalCorners), also passed on.
constexpr uint32_t kPolyFlagDecimalCorners = 0x80000;
constexpr uint32_t kPolyFlagCrossSectionValid = 0x10000;

// Information-tree update reasons.
constexpr unsigned kInfoReasonShowDual = 7;
constexpr unsigned kInfoReasonNames = 15;

// Selection kinds marked in the information tree.
constexpr int kInfoMarkFace = 1;
constexpr int kInfoMarkEdge = 2;
constexpr int kInfoMarkVertex = 3;

// The radius margin added to a model whose face plane passes through the centre.
double& GetRadiusMargin();
// The radius of the sphere that touches every edge, at a length scale of 1; 0 when the
// edges touch no one sphere (PolyGeometry.cpp).
double GetMidradius(const Poly* poly);
constexpr double kDefaultRadiusMargin = 0.375;

// ---- Sub-symmetry option (PolySubSymmetry.cpp) ----
// Re-apply the colour scheme when a sub-symmetry is applied.
extern bool RecolourOnSubSymmetry;
// ---- end sub-symmetry option ----

class Poly {
 public:
  Poly();
  ~Poly();
  Poly(const Poly&) = delete;
  Poly& operator=(const Poly&) = delete;

  // ---- Lifetime ---------------------------------------------------------------------
  void Init();
  // Frees everything the model holds; unless final, initialises it again.
  void Clear(bool final);
  // Throws the face types away: the group in use, every element's type, axis and
  // type serial and Coplanar flag, and both blocks' types.
  void ClearFaceTypes();

  // ---- Names ------------------------------------------------------------------------
  void SetName(const char* text);
  void SetDualName(const char* text);
  void SetName3(const char* text);
  void SetWebLink(const char* text);
  const char* GetPartName(bool other) const;
  // The vertex configuration text of the model's template or library entry.
  void GetName(char* buffer, size_t size) const;
  // Keeps the text (ownership passes: a NewString or CopyString text).
  void SetDescription(char* text);
  void SetLibraryEntry(LibraryEntry* entry);
  // The model is the dual of the record: it keeps its own names, and no record of
  // its own.
  void SetLibraryEntryOfDual(LibraryEntry* entry);
  // The model's uniform flag: every vertex is like every other under the model's
  // symmetry. Types are the orbits of the rotations, so a vertex and its mirror image
  // make two types that are each other's mirror partners.
  bool IsUniform() const;
  // The same of the faces: the dual's uniform flag.
  bool HasFacesAlike() const;

  // ---- Selection and display ---------------------------------------------------------
  PolyElement* GetCurrentFace() const;
  PolyElement* GetOtherCurrentFace() const;
  PolyElement* GetOtherCurrentFinite() const;
  PolyElement* GetSelectedOrCurrentFace() const;
  PolyItem* GetSelectedItemOrCurrentFace() const;
  bool IsSelectionVertex() const;
  bool IsEdgeSelected() const;
  Edge* GetSelectedEdge() const { return mCurrentEdge; }
  const char* GetSelectionKindName() const;
  uint32_t GetVertexColorRef() const;
  uint32_t GetEdgeColorRef() const;
  // These change the selection (and the side shown) of this model; what the program is
  // to show of the change gathers until TakeSelectionChange, which whoever changed the
  // selection calls afterwards (so do the callers of ApplySubSymmetry and BuildStep,
  // which keep the selection on their way).
  void SetShowDual(bool flag);
  void SelectFace(PolyElement* element, bool asVertex);
  void SelectEdge(PolyItem* item, bool asVertex);
  void SelectNextCoplanar(PolyElement* element);
  void ClearSelection();
  SelectionChange TakeSelectionChange() {
    SelectionChange change = mSelectionChange;
    mSelectionChange = SelectionChange();
    return change;
  }

  // ---- Access -------------------------------------------------------------------------
  PolyElement* GetVertex(int i) const;
  PolyElement* GetFace(int i) const;
  Edge* GetEdge(int i) const;
  // The type of edges numbered i from 0 (an edge's mEdgeType), null outside the array.
  EdgeType* GetEdgeType(int i) const;
  // Faces first, then vertices; null for a null model.
  static PolyElement* GetElementBySerial(const Poly* poly, int i);
  Edge* FindEdge(const PolyElement* end1, const PolyElement* end2, const PolyElement* side1,
                 const PolyElement* side2) const;
  // Any pointer may be null.
  void GetParts(bool dual, ElementList** faces, ElementList** vertices, FaceTypeBlock** shownBlock,
                FaceTypeBlock** otherBlock);
  FaceTypeBlock* GetShownBlock() const;
  SymGroup* GetFullSymGroup() const;
  // Each block builds the face diagrams of its types.
  void CreateAllPolygonsForDrawing();
  void SetRotSymOfTypes();
  // Makes every face type's morph diagram again at the truncation morph scales (base
  // types at the base scale cut by the dual's planes, dual types the other way round),
  // then the cell colours.
  void UpdateDiagramLineRanges();

  // ---- Geometry -----------------------------------------------------------------------
  double GetRadius();
  double GetWidthAlong(const double* direction, bool dual) const;
  void GetVertexCentroid(double* out) const;
  void GetEdgeCentroid(double* out) const;
  bool GetCircumcentre(double* out, double* radiusSquared) const;

  // ---- Drawn polygons --------------------------------------------------------------------
  // Adds a clicked vertex to the facet being drawn; clicking its last vertex (or the one
  // before) again takes the last one back, and a vertex off the facet's plane is refused.
  void AddFacetVertex(const double* point);
  void FinishDrawnPolygon(bool resetFacetings, bool withUndo);
  void ClearDrawnPolygons(bool resetFacetings);
  // By pointer, or (for a null pointer) by position in the chain.
  bool RemoveDrawnPolygon(DrawnPolygon* polygon, int index);

  // ---- Sub-symmetry (PolySubSymmetry.cpp) ------------------------------------------------
  // Re-classifies faces, vertices and edges under a subgroup of the full group: with
  // reflIndex >= 0 the rotIndex-th rotational subgroup and its reflIndex-th variant,
  // else position rotIndex of the flat list. False, the model unchanged, when there is
  // no such subgroup. The full group is kept (mFullSymGroup) the first time. The
  // warnings of a running augmentation preview, worked out again, are added to *warned
  // for the caller to tell.
  bool ApplySubSymmetry(int rotIndex, int reflIndex, Outcome* warned = nullptr);

  // ---- Compound parts ---------------------------------------------------------------------
  CompoundPart* GetCompoundPart(int i) const;
  bool IsCompound() const;
  int CountCompoundParts() const;
  int GetGenus() const;
  // Appends at the tail; the model owns the part.
  void AppendCompoundPart(CompoundPart* part);
  void DeleteAllCompoundParts();
  // ---- Compound-part areas, lookups and colouring (CompoundParts.cpp) ----
  void UpdateSurfaceAreas();
  CompoundPart* FindPartOf(PolyElement* element);
  int ColorCompoundParts();
  void MarkPart(PolyElement* element, const float* colour, bool sameColourOnly);

  // ---- Edges -----------------------------------------------------------------------------
  // Whether any edge carries a label.
  bool HasEdgeLabels() const { return mNumLabelledEdges > 0; }
  // Replaces the edge array, made by NewEdgeArray (the model owns it).
  void SetEdges(Edge* edges, int count);

  // ---- Derived models, transition timing, construction kit (Subdivision.cpp, Zonohedra.cpp, Transitions.cpp) ----
  // Null when refused, cancelled or failed, as *outcome (when given) says.
  std::unique_ptr<SimplePoly> Subdivide(uint32_t flags, int n, Outcome* outcome = nullptr);
  // The number of zones in the list; -1 when the options are refused (*outcome, when
  // given, says why).
  int CollectZoneVectors(class TolerantPointList& list, const struct ZonohedrifyOptions& options,
                         Outcome* outcome = nullptr);
  std::unique_ptr<SimplePoly> CreateZonishPolyhedron(class TolerantPointList& list);
  bool IsTransitionRunning() const;
  double GetTransitionStart() const;
  double GetTransitionDuration() const;
  void RetimeTransition(double now, double duration);
  void SetTransitionTarget(double now, double target);
  bool IsTransitionFading() const;
  // Builds the edge array and the edge types from the base face types.
  void CreateEdges();
  // Empties every element's edge slots and frees the edge array and the edge types.
  void ClearEdges();
  // mNumEdges from the base face types: half the sum of their sides.
  void CountEdges();
  // Lists the edges in the given order (each of them once), with their ends and their
  // sides swapped where `swaps` holds kSwapEnds and kSwapSides, and numbers the edge
  // types as they first come. Left as they are (false) when that order would split an
  // edge type.
  static constexpr uint8_t kSwapEnds = 1;
  static constexpr uint8_t kSwapSides = 2;
  bool TakeEdgeOrder(const std::vector<Edge*>& order, const std::vector<uint8_t>& swaps);

  // ---- Colours, face images and cell colours (ColorSchemes.cpp) ----
  int GetSelectionHighlight(int drawMode) const;
  int GetColorTable(std::unique_ptr<class ColorList>& table);
  void SetFaceImage(class FaceImage* image, PolyElement* face, int scope);
  bool IsInSelectedPlane(const PolyElement* element) const;
  // With redraw false the panes are not asked to draw again (the drawing itself brings
  // the colours up to date).
  void UpdateCellColours(bool redraw = true);
  // A new value whenever the model is made afresh, its face types are dropped or its
  // cells' colours are worked out again: what drawing keeps of the faces is good while
  // the model holds the same one.
  void MarkDrawnStateChanged();
  uint64_t GetDrawnStateSerial() const { return mDrawnStateSerial; }

  // ---- Set-up pipeline ------------------------------------------------------------------
  // Turns linked vertices and faces into a full model: face types of both blocks, the
  // symmetry group and frames, centroids, compound parts, density, colours, face order
  // and edges. The model takes ownership of group; with a null group the group is
  // worked out from the faces. faceRanks, by face number, gives the order in which the
  // faces of each type are taken (the first starts the type's frames) and in which
  // types of one kind are numbered; by default the order of the face list. With
  // stopOnCancel a cancel stops it where it is (the caller drops the half-made model);
  // otherwise it hears none and runs to its end.
  void SetFaceTypes(std::unique_ptr<SymGroup> group, bool recolour, bool recolourDual,
                    const std::vector<int32_t>* faceRanks = nullptr, bool stopOnCancel = false);
  // Orders the face list by CompareFaces and renumbers it.
  void SortFaces();
  // Records at each vertex which of its faces pass it in reverse.
  void SetRetroFaces();
  // Guesses the group from the principal face type and turns the model into the
  // group's standard orientation; the answer tells SetFaceTypes to treat axes of
  // rotation count 4 once more.
  uint8_t SetSymGroup();

  // ---- Building from a template (PolyBuild.cpp) ----
  bool Build(PolyTemplate* polyTemplate, uint32_t flags);
  bool Prepare(PolyTemplate* polyTemplate, uint32_t flags);
  bool RunBuild();
  bool BuildStep();
  // Undoes the latest vertex the build matched (nothing before the second); with full
  // the vertex's arrangement is forgotten too, else its other arrangements stay to try.
  void RemoveVertex(bool full);
  bool MatchStep(Vertex* vertex);
  bool CreateVertices(PolyElement* face);

  // ---- Augmentation (construction/Augmentation.h) ----
  Part<Augmentation> mAugmentation;
  // ---- end augmentation ----

  // ---- Fields -------------------------------------------------------------------------
  char* mName = nullptr;
  char* mDualName = nullptr;
  char* mEntryText = nullptr;
  char* mWebLink = nullptr;
  LibraryEntry* mLibraryEntry = nullptr;  // not owned
  // The library record whose dual this model is, when it is no record's own model (the
  // rhombic dodecahedron, dual of the cuboctahedron); not owned.
  LibraryEntry* mLibraryEntryOfDual = nullptr;
  PolyTemplate* mTemplate = nullptr;      // not owned
  char* mDescription = nullptr;
  void* mExtraRecord = nullptr;  // attached by another subsystem, not owned here
  int32_t mBuildState = 0;
  // How the last build into this model ended (CreatePoly, or Build and Prepare from a
  // template): the caller that owns the model tells a refusal.
  Outcome mBuildOutcome;
  uint32_t mPolyFlags = 0;
  int32_t mNumBranches = 0;
  PolyElement* mBranchVertex = nullptr;
  uint8_t mFirstMatch = 1;
  uint8_t mTookBranch = 0;
  uint8_t mHasCentralFace = 0;
  // The model is the 3D part of a four-dimensional polytope (no builder of this
  // program makes one): its group notations read "---".
  uint8_t mFourDimensional = 0;
  int32_t mMatchCounter = 0;
  // The builder's record beside the model (arrangements, faces in the order made,
  // links before the set-up); made by a build, freed with the model.
  struct BuildRecordDeleter {
    void operator()(PolyBuildRecord* record) const;
  };
  std::unique_ptr<PolyBuildRecord, BuildRecordDeleter> mBuildRecord;
  VertexList mVertices;
  FaceList mFaces;
  int32_t mNumEdges = 0;
  Edge* mEdgeArray = nullptr;
  int32_t mNumLabelledEdges = 0;
  int32_t mSpareWords[4] = {0, 0, 0, 0};
  int32_t mNumEdgeTypes = 0;
  EdgeType* mEdgeTypes = nullptr;
  CompoundPart* mCompoundParts = nullptr;
  // The names of the compound's parts where the command that made it knew them.
  std::vector<CompoundPartName> mPartNames;
  CompoundPart* mLastCompoundPart = nullptr;
  SymGroup* mFullSymGroup = nullptr;
  SymGroup* mSymGroup = nullptr;
  // The classification under the full group, saved with it: each element's next of its
  // type and identity flags then. An element destroyed leaves the table.
  struct SavedClass {
    PolyElement* nextOfType = nullptr;
    uint32_t idFlags = 0;
  };
  std::unordered_map<const PolyElement*, SavedClass> mSavedClasses;
  uint8_t mSavedReflexible = 0;
  uint8_t mReflexible = 0;
  int32_t mSubSymRotIndex = 0;
  int32_t mSubSymReflIndex = 0;
  // The pools of the face diagrams of the model's face types: their cells and triangles
  // live as long as the face types (the program's shared pools keep a result only
  // until the next diagram is built). Declared before the blocks, so that they outlive
  // the face types.
  struct DiagramWorkPoolsDeleter {
    void operator()(FaceDiagramWorkPools* pools) const;
  };
  struct DiagramResultPoolsDeleter {
    void operator()(FaceDiagramResultPools* pools) const;
  };
  std::unique_ptr<FaceDiagramWorkPools, DiagramWorkPoolsDeleter> mDiagramWorkPools;
  std::unique_ptr<FaceDiagramResultPools, DiagramResultPoolsDeleter> mDiagramResultPools;
  // The morph diagrams' own result pools, rewound whenever they are all made again.
  std::unique_ptr<FaceDiagramResultPools, DiagramResultPoolsDeleter> mMorphDiagramResultPools;
  std::unique_ptr<FaceTypeBlock> mBaseBlock;
  std::unique_ptr<FaceTypeBlock> mDualBlock;
  PolyElement* mSelectedElement = nullptr;
  PolyItem* mSelectedItem = nullptr;
  Edge* mCurrentEdge = nullptr;
  // What the selection changed since it was last taken (TakeSelectionChange).
  SelectionChange mSelectionChange;
  uint8_t mShowDual = 0;
  double mTransitionBase = 1.0;
  // Every drawn position of the model is multiplied by it (a fading transition scales
  // the model for a draw); 1.0 otherwise.
  double mDisplayScale = 1.0;
  uint64_t mDrawnStateSerial = 0;
  double mDualScale = 1.0;
  double mRadius = -1.0;
  double mVolume = 0.0;
  double mDualVolume = 0.0;
  double mSurfaceArea = 0.0;
  double mDualSurfaceArea = 0.0;
  double mModelDensity = 0.0;
  PointBlock* mPointBlocks = nullptr;
  DrawnPolygon* mDrawnPolygons = nullptr;
  DrawnPolygon* mLastDrawnPolygon = nullptr;
  DrawnPolygon* mCurrentDrawnPolygon = nullptr;
  uint8_t mNetsStale = 0;
  // Set when an option change alters what the model shows (the document reads it).
  uint8_t mModelChanged = 0;
  SimplePoly* mSimplePoly = nullptr;
  // The faceting preview (stellation/FacetPreview.h): the faceted model of the drawn
  // polygons with a record per face. Whoever changes the drawn polygons, the facets or
  // what the faceted model depends on sets the dirty mark; the next drawing makes the
  // preview again. The selected preview face: -1 for none.
  Part<FacetPreview> mFacetPreview;
  bool mFacetPreviewDirty = true;
  int32_t mSelectedFacetPreview = -1;
  SymGroup* mExtraSymGroup = nullptr;
  double mSpareVectors[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  double mTransitionEnd = -1.0;
  uint8_t mTransitionDirection = 0;
  double mTransitionProgress = 1.0;
  double mTransitionCurrent = 0.0;
  double mTransitionTarget = 1.0;
  TransitionSettings mTransition;
  TransitionSettings mOtherTransition;
  const char* mKitReason[2] = {nullptr, nullptr};

  // ---- 2D cross-section (PolyCrossSection.cpp) ----
  // The extent of the shown vertices along the slicing direction; returns the offset
  // of the slice plane at the current depth.
  double GetSliceRange(double* outMin, double* outMax);
  void GetSlicePlane(SlicePlane& plane);
  void InvalidateCrossSection();
  // Builds the loops and the fill unless they are up to date; false when no section
  // is available (nothing built, busy, a build already running, a broken loop). A
  // section kept through a change of the faces' colours takes the new ones.
  bool BuildCrossSection();
  // While the model's own cell colours are stale (kPolyFlagCellColoursOwn), the kept
  // section takes the faces' colours as they are now; the flag is cleared.
  void RecolourCrossSection();
  // Stores one loop (2D points and the face of each segment) outside a build.
  void AddCrossSectionLoop(std::vector<double>& points, std::vector<const PolyElement*>& faces);
  struct CrossSectionDeleter {
    void operator()(CrossSection* section) const;
  };
  std::unique_ptr<CrossSection, CrossSectionDeleter> mCrossSection;
  // ---- end cross-section ----

  // ---- Model file (files/ModelFile.h) ----
  // What the model file this model was read from held that nothing in the program
  // claimed (a scene section of a layer that is not there, faceting settings without
  // the faceting engine): kept with the model and written back when it is saved.
  Part<ModelFileKeep> mFileKeep;
  // ---- end model file ----

  // The model's own colours of the elements that the construction-toy style shows in
  // its panel colours (model/ColorSchemes.h); none while the style has changed none.
  Part<GeomagColourKeep> mGeomagKeep;
};

// The face order of Poly::SortFaces: polygons by n/d ascending; equal shapes by the
// size of their face types, then type number, then index.
int CompareFaces(const PolyElement* a, const PolyElement* b);

// Model memories held by the document.
constexpr int kNumMemorySlots = 9;
// What a model memory holds.
struct MemorySlotInfo {
  const char* name = nullptr;  // null or blank when the model has no name
  int numFaces = 0;
  int numVertices = 0;
};
// Describes the model of a memory (its temporary faces and vertices left out); false
// for an empty memory (null).
bool DescribeMemoryModel(const SimplePoly* memory, MemorySlotInfo* out);
// The menu text of memory slot (0-based), holding the model (null: empty), into buffer.
void GetMemoryDescription(int slot, const SimplePoly* memory, char* buffer, size_t size);
// The room GetMemoryDescription needs.
constexpr size_t kMemoryDescriptionSize = 256;

}  // namespace corvia
