#pragma once
// One set of symmetry-equivalent planes of a face-type block: faces of the model in the
// base block, vertices (faces of the dual) in the dual block. The type keeps its faces
// in a list whose first member is the representative face; its 2D frame is the frame
// of every diagram of the type, and the frames of the other faces are images of it
// under the model's symmetry operations. The type also holds the rotational order and
// in-plane mirror line of its faces, its mirror-image partner type, the face diagram
// of its plane and the records of its stellation diagram.

#include <cstdint>

#include "stellation/FaceDiagram.h"

namespace corvia {

class Poly;
class PolyElement;
class SymGroup;
class FaceTypeBlock;
struct SymAxis;
struct SymAxisType;
struct DiagramCell;
struct StellationLine;
struct StellationPoint;
struct SegVert;
struct StellationSegment;
struct StellationFacet;

// FaceType::mFlags.
constexpr uint32_t kFaceTypeSelfMirror = 0x1;      // its own mirror image, with an in-plane mirror line
constexpr uint32_t kFaceTypeFacetWork = 0x2;       // working flag of facet creation
constexpr uint32_t kFaceTypeHemiMirror = 0x4;      // a plane through the centre flipped onto itself
constexpr uint32_t kFaceTypeSharedLine = 0x8;      // a diagram line comes from more than one plane
constexpr uint32_t kFaceTypePanelYes = 0x10;       // the representative face is one kit panel
constexpr uint32_t kFaceTypePanelNo = 0x20;        // it is not
constexpr uint32_t kFaceTypePanelSquare2 = 0x40;   // the panel is of the second square kind
constexpr uint32_t kFaceTypeSecondPassFacets = 0x200;

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
  // After FaceTypeBlock::UpdateScale the largest corner distance of the stellated
  // face; 1.0 for no type.
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
  // Largest corner distance of the representative face's facelets in the block's
  // facelet model; 1.0 when it has none.
  double CalcStellatedRadius();

  // ---- Frames and rotational order --------------------------------------------------
  // mNumRotations from the corner and edge types of the representative face.
  void CalcRotSymFromShape();
  // Raises mNumRotations to the fold of a group axis along the representative face's
  // normal whose fold is a multiple of it.
  void RaiseRotSymFromAxes();
  // The in-plane mirror line, or the mirror-image partner type with its frames turned
  // to match this type's.
  void FindMirrorPartner();
  // For a representative face through the centre: an even-fold axis along its normal,
  // or one lying in its plane; null otherwise.
  SymAxis* FindEvenFoldAxisOnNormal() const;
  SymAxis* FindEvenAxisInPlane() const;

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
  FaceDiagramResult mResults[2];
  // The cells of the face diagram, in the diagram result pools.
  DiagramCell* mDiagramCells = nullptr;
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
// A coplanar copy takes a representative face in its master's plane and shares the
// master's stellation diagram.
void CopyCoplanarInfo(FaceType* type);
// Orders of SortCoplanarFaces: face-type index, then element index; centre x, y, z
// within 1e-6, then element index.
int CompareCoplanarByTypeAndIndex(const PolyElement* a, const PolyElement* b);
int CompareFacesByCentre(const PolyElement* a, const PolyElement* b);

// The order of a block's face types once they are set up: finite before infinite
// planes, distinct before coplanar copies, then by the face description's angle or by
// the distance of the plane, then by index.
int CompareFaceTypesForSort(const FaceType* a, const FaceType* b);

}  // namespace corvia
