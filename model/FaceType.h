#pragma once
// One set of symmetry-equivalent planes of a face-type block: faces of the model in the
// base block, vertices (faces of the dual) in the dual block. The type keeps its faces
// in a list whose first member is the representative face; its 2D frame is the frame
// of every diagram of the type, and the frames of the other faces are images of it
// under the model's symmetry operations. The type also holds the rotational order and
// in-plane mirror line of its faces, its mirror-image partner type, the face diagram
// of its plane and the records of its stellation diagram.

#include <cstdint>
#include <memory>

#include "model/FaceDiagram.h"
#include "model/ModelPart.h"

namespace corvia {

class Poly;
class PolyElement;
class SymGroup;
class FaceTypeBlock;
class CoplanarRingIndex;
class FaceImageIndex;
struct SymAxis;
struct SymAxisType;
struct DiagramCell;
struct StellationLine;
struct StellationPoint;
struct SegVert;
struct StellationSegment;
struct StellationFacet;
struct StellationDiagramPools;

// FaceType::mFlags.
constexpr uint32_t kFaceTypeSelfMirror = 0x1;      // its own mirror image, with an in-plane mirror line
constexpr uint32_t kFaceTypeFacetWork = 0x2;       // working flag of facet creation
constexpr uint32_t kFaceTypeHemiMirror = 0x4;      // a plane through the centre flipped onto itself
constexpr uint32_t kFaceTypeSharedLine = 0x8;      // a diagram line comes from more than one plane
constexpr uint32_t kFaceTypePanelYes = 0x10;       // the representative face is one kit panel
constexpr uint32_t kFaceTypePanelNo = 0x20;        // it is not
constexpr uint32_t kFaceTypePanelSquare2 = 0x40;   // the panel is of the second square kind
constexpr uint32_t kFaceTypeAugmentTarget = 0x80;  // a face of the type is an augmentation's target
constexpr uint32_t kFaceTypeSecondPassFacets = 0x200;

// What DrawDiagramLabels (render/StellationDrawing.h) labels: point coordinates, corners, segments,
// facets.
constexpr int kDiagramLabelPoints = 0;
constexpr int kDiagramLabelCorners = 1;
constexpr int kDiagramLabelSegments = 2;
constexpr int kDiagramLabelFacets = 3;

// Half-width of the square that bounds a diagram while it is built.
constexpr double kFaceTypeDiagramBound = 999999.9;
// Faces of this many sides or more are never one kit panel.
constexpr int kFaceTypeMaxPanelSides = 13;

class FaceType {
 public:
  // An empty type numbered index (0-based) in its block.
  FaceType(Poly* poly, FaceTypeBlock* block, uint32_t idFlags, int32_t index);
  ~FaceType();
  FaceType(const FaceType&) = delete;
  FaceType& operator=(const FaceType&) = delete;

  // Appends the element to the type's list (through mNextOfType), sets its type and
  // counts it.
  void AddFace(PolyElement* element);

  // 0-based index within the block; -1 for none.
  static int32_t GetIndex(const FaceType* type) { return type ? type->mIndex : -1; }
  // The number shown to users: index + 1; 0 for none.
  static int32_t GetNumber(const FaceType* type) { return type ? type->mIndex + 1 : 0; }
  // The largest corner distance of the stellated face once the stellation measured it
  // (UpdateScale, stellation/StellationState.h); 1.0 for no type.
  static double GetScale(const FaceType* type) { return type ? type->mScale : 1.0; }

  // The mirror partner exists and comes earlier in the block.
  bool HasLowerIdPartner() const;
  // The head of the element list that plays the face role for this type.
  PolyElement* GetFirstPlaneFace() const;
  // Frees the records of the stellation diagram (a coplanar copy owns none).
  void ClearStellationDiagram();
  // Whether the representative face can be built as one construction-kit panel
  // (cached in the flags).
  bool CanBuildPanel();

  // ---- Frames and rotational order --------------------------------------------------
  // mNumRotations from the corner and edge types of the representative face.
  void CalcRotSymFromShape();
  // Raises mNumRotations to the fold of a group axis along the representative face's
  // normal whose fold is a multiple of it.
  void RaiseRotSymFromAxes();
  // The in-plane mirror line, or the mirror-image partner type with its frames turned
  // to match this type's. The index, when given, is that of the type's block.
  void FindMirrorPartner();
  void FindMirrorPartner(const FaceImageIndex& index);
  // For a representative face through the centre: an even-fold axis along its normal,
  // or one lying in its plane; null otherwise.
  SymAxis* FindEvenFoldAxisOnNormal() const;
  SymAxis* FindEvenAxisInPlane() const;

  // ---- Stellation diagram (StellationDiagram.cpp) ----------------------------------
  // The line whose equation is (a, b, c) or (-a, -b, -c) within 1e-7 per coefficient (the
  // distance c within 1e-7 of itself beyond 1: a line far out is known only so well).
  StellationLine* FindLine(double a, double b, double c) const;
  StellationLine* FindLineExact(double a, double b, double c) const;
  // The corner of the bounding square's edge where the line enters the square, and the
  // entry coordinate along that edge; null after a report.
  SegVert* FindOuterEntry(const StellationLine* line, double* coordinate) const;
  // Largest distance from the centre of the lines' end points (1.0 without lines).
  void CalcDiagramRadius();
  // The corner at a 2D point, found along a line through it; null when none.
  SegVert* FindSegVertAt(double x, double y) const;
  int GetNumSegments() const { return mNumSegments; }
  // Widens the box (min x, min y, max x, max y) by every inner point.
  void AddPointsToBounds(double* bounds) const;
  // Geometry against the in-plane mirror line through the centre.
  void ReflectPoint(const double* in, double* out) const;
  bool IsRightOfMirror(double x, double y) const;
  bool IsOnMirror(double x, double y) const;
  bool SegmentStraddlesMirror(const StellationSegment* segment, bool acceptTouching) const;

  // ---- Facets (StellationLinking.cpp) --------------------------------------------------
  // Rings the points of each facet's rotated segments.
  void LinkRotatedCorners();
  // For a representative face through the centre: each inner point takes the axis bits
  // of the first point of its ring whose face is not through the centre.
  void CopyHemiPointFlags();
  SegVert* FindCornerAtCentre() const;
  SegVert* FindEdgeThroughCentre() const;
  // Where the region of corner k (of the linked diagram of the plane face) lies seen from
  // corner c: out[0] its signed distance from c's line (positive on the right of c's
  // edge), out[1] its height above this face's plane. True when it lies below.
  bool MirrorEdgeMeasure(const SegVert* c, const SegVert* k, const PolyElement* planeFace, double* out) const;
  int CountFacets() const;
  // The visible facets by layer, higher first, then by number.
  void SortFacets();
  StellationFacet* GetFacetByLayerIndex(int n) const;
  StellationFacet* GetFacetByIndex(int n) const;
  StellationFacet* GetNthFacet(int n) const { return GetFacetByLayerIndex(n); }
  // Position in the list of all facets; -1 for none, -2 when absent.
  int GetFacetIndex(const StellationFacet* facet) const;
  // Widens the box by the corners of the visible facets (of the master for a copy).
  void AddFacetsToBounds(double* bounds) const;

  Poly* mOwner;
  uint32_t mFlags = 0;
  uint32_t mIdFlags;
  int32_t mIndex;
  int32_t mSpare = -1;
  SymAxisType* mSymAxisType = nullptr;
  int32_t mCount = 0;
  int32_t mNumRotations = 0;
  // First two: direction of the in-plane mirror line in the representative face's
  // 2D frame.
  double mMirrorLine[4] = {0.0, 0.0, 0.0, 0.0};
  FaceType* mMirrorPartner = nullptr;
  PolyElement* mMirrorFace = nullptr;
  FaceDiagram mFaceDiagram;
  // The results of the face diagram and of the morph diagram (the faces truncated by
  // the dual's planes).
  FaceDiagramResult mResults[2];
  // The cells of the face diagram, in the diagram result pools.
  DiagramCell* mDiagramCells = nullptr;
  // The cells of the morph diagram, in the morph diagram result pools.
  DiagramCell* mMorphCells = nullptr;
  FaceTypeBlock* mBlock;
  PolyElement* mFirstFace = nullptr;
  PolyElement* mLastFace = nullptr;
  // Shares the master's plane and diagram; owns no diagram of its own.
  FaceType* mCoplanarMaster = nullptr;
  double mBound = kFaceTypeDiagramBound;
  double mDiagramRadius = 1.0;
  double mScale = -1.0;
  double mArea = 0.0;
  double mCornerMeasure = 0.0;
  int32_t mLayerLimit = -1;
  StellationFacet* mAllFacets = nullptr;
  StellationFacet* mVisibleFacets = nullptr;
  StellationSegment* mCentralSegment = nullptr;
  StellationSegment* mFirstSegment = nullptr;
  StellationSegment* mLastSegment = nullptr;
  int32_t mNumSegments = 0;
  StellationLine* mLineEqns = nullptr;
  StellationPoint* mOuterPoints = nullptr;
  StellationPoint* mInnerPoints = nullptr;
  SegVert* mOuterRing = nullptr;
  FaceType* mNext = nullptr;
  // The records of the stellation diagram (a coplanar copy owns none).
  Part<StellationDiagramPools> mStellationPools;
};

// ---- Frames of a block's types -------------------------------------------------------
// Each shows an internal error and does nothing more for a null group.
// The axis class along the representative face's normal, every face's axis and the
// rotational order from it.
void SetRotSym(FaceType* type, const SymGroup* group);
// Gives every face of the type a frame that is the image of the representative's.
void ReorientAxes(FaceType* type, const SymGroup* group);
void SetRotSymAndReorientAxes(FaceType* type, const SymGroup* group);
// Orders each ring of coplanar elements of the block alike over the faces of a type
// and marks concentric coplanar elements.
void SortCoplanarFaces(FaceTypeBlock* block);
// FaceType::FindMirrorPartner for every type of the block, in the order of the list.
void FindMirrorPartners(FaceTypeBlock* block);
// A coplanar copy takes a representative face in its master's plane and shares the
// master's stellation diagram. With the rings of the type's list numbered, the plane
// is found without a walk round the ring.
void CopyCoplanarInfo(FaceType* type, const CoplanarRingIndex* rings = nullptr);
// Orders of SortCoplanarFaces: face-type index, then element index; centre x, y, z
// within 1e-6, then element index.
int CompareCoplanarByTypeAndIndex(const PolyElement* a, const PolyElement* b);
int CompareFacesByCentre(const PolyElement* a, const PolyElement* b);

// The order of a block's face types once they are set up: finite before infinite
// planes, distinct before coplanar copies, then by the face description's angle or by
// the distance of the plane, then by index.
int CompareFaceTypesForSort(const FaceType* a, const FaceType* b);

}  // namespace corvia
