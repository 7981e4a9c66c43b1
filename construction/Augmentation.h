#pragma once
// Augmentation: a pyramid, cupola, prism, antiprism or a whole other model put on
// faces of the current model (or dug into them), attached by one of its faces that
// matches the face it goes on. One Augmentation object per Poly holds the state from
// the options of the augmentation dialog through the preview, in which the user steps
// through the matching faces of the added model and its orientations on each target,
// to the augmented model built when the user accepts.
//
// Augmentation.cpp: the object, the heights and the added solids.
// AugmentMatch.cpp: matching faces, orientations, placement, the preview's geometry
// and the augmented model. The preview's drawing belongs to the renderer.

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "core/Outcome.h"
#include "core/VectorMath.h"
#include "model/ModelPart.h"

namespace corvia {

class BigUInt;
class FaceOrientation;
class LibraryEntry;
class OpenGLView;
class Poly;
class PolyElement;
class SimplePoly;

// ---- Options word (remembered between augmentations) ----------------------------------

// What is added: one of these seven bits.
constexpr uint32_t kAugmentPyramid = 0x1;
constexpr uint32_t kAugmentCupola = 0x2;
constexpr uint32_t kAugmentPrism = 0x4;
constexpr uint32_t kAugmentAntiprism = 0x8;
constexpr uint32_t kAugmentMemory = 0x10;   // the model in a memory slot
constexpr uint32_t kAugmentBuiltIn = 0x20;  // a model of the built-in library
constexpr uint32_t kAugmentFile = 0x40;     // a model file
constexpr uint32_t kAugmentSolidMask = 0xF;
constexpr uint32_t kAugmentModelMask = 0x70;
// How high a pyramid (0x000 to 0x600) or a prism (0x000 to 0x300) stands.
constexpr uint32_t kAugmentHeightMask = 0x700;
constexpr uint32_t kPyramidLateralEdge = 0x000;    // lateral edges = the face's edge times the scale
constexpr uint32_t kPyramidEqualEdges = 0x100;     // the same; the face must be regular
constexpr uint32_t kPyramidCircumradius = 0x200;   // circumradius times the scale
constexpr uint32_t kPyramidCircumradius2 = 0x300;  // twice the circumradius times the scale
constexpr uint32_t kPyramidCircumsphere = 0x400;   // apex on the model's circumsphere times the scale
constexpr uint32_t kPyramidEdgeLength = 0x500;     // lateral edge given in length units
constexpr uint32_t kPyramidHeight = 0x600;         // height given in length units
constexpr uint32_t kPrismMeanEdge = 0x000;
constexpr uint32_t kPrismShortestEdge = 0x100;
constexpr uint32_t kPrismLongestEdge = 0x200;
constexpr uint32_t kPrismLengthUnit = 0x300;
constexpr uint32_t kAugmentCrossedAntiprism = 0x1000;
constexpr uint32_t kAugmentUseDual = 0x2000;  // the dual of the built-in or file model
// Which faces are augmented.
constexpr uint32_t kAugmentFacesMask = 0xC000;
constexpr uint32_t kAugmentSelectedFace = 0x0000;
constexpr uint32_t kAugmentSameType = 0x4000;
constexpr uint32_t kAugmentSameShapeAndSize = 0x8000;
constexpr uint32_t kAugmentSameShape = 0xC000;
constexpr uint32_t kAugmentExcavate = 0x10000;  // inwards instead of outwards
// Colours of the new faces (none of the four: the colour scheme recolours them).
constexpr uint32_t kAugmentKeepColours = 0x20000;
constexpr uint32_t kAugmentInheritColour = 0x40000;
constexpr uint32_t kAugmentGivenColour = 0x80000;
constexpr uint32_t kAugmentUnusedColour = 0x100000;
constexpr uint32_t kAugmentColourMask = 0x1E0000;
constexpr uint32_t kAugmentSameColourOnly = 0x200000;  // only faces of the selected face's colour
constexpr uint32_t kAugmentAlwaysPreview = 0x400000;
constexpr uint32_t kAugmentPreviewSolid = 0x800000;
constexpr uint32_t kAugmentPreviewWireFrame = 0x1000000;
constexpr uint32_t kAugmentKeepCoincident = 0x2000000;

// ---- Heights and solids ---------------------------------------------------------------

class Augmentation;

// Works out the height of the added solid on the target face and builds the added
// model (the solid, or the other model) into the augmentation, keeping the options
// and the target. While a preview runs the augmentation stays as it is: done at once.
// Refused or failed, with the words to tell, when nothing can be added; cancelled when
// a warning, an internal error or the source of another model has already said why.
Outcome GetAugmentationHeight(uint32_t options, PolyElement* target, Augmentation* augmentation);

// The height of a regular-faced cupola on a face with centre c and first corners p0
// to p3; ratio receives how far the top polygon's corners stand from the centre,
// relative to the face's edge midpoints. -1.0 when the face has too many sides, with
// the warning that says so in *why when given; with allowZero a height just below zero
// gives 0.
double CalcCupolaHeight(const double* c, const double* p0, const double* p1, const double* p2, const double* p3,
                        bool allowZero, double* ratio, Outcome* why = nullptr);

// The solids, built on the face: their current face is the base, whose corners are the
// face's corners in order. Every vertex and face takes the face's colour; the model is
// centred and its face normals computed. height is the distance of the top from the
// face along its normal (inwards when excavating). Null after a message.
std::unique_ptr<SimplePoly> CreateAugmentPyramid(const PolyElement& face, double height, bool excavate);
std::unique_ptr<SimplePoly> CreateAugmentPrism(const PolyElement& face, double height, bool excavate);
std::unique_ptr<SimplePoly> CreateAugmentCupola(const PolyElement& face, double height, double topRatio, bool excavate);
// Works out its own height (times the scale) and top ratio; null with the reason in
// `outcome` when the face is too small round for one.
std::unique_ptr<SimplePoly> CreateAugmentAntiprism(const PolyElement& face, double scale, bool crossed, bool excavate,
                                                   double* height, double* topRatio, Outcome& outcome);

// ---- Matching faces, targets and the augmentation ---------------------------------------

// One face of the added model that can be attached.
struct RingNode {
  int32_t face = -1;  // index in the added model
};

// One face of the model that is augmented (with, by the faces option, every face of
// its type): the orientations in which the current matching face fits it, and the one
// in use. Making a target marks its face type (flag kFaceTypeAugmentTarget); freeing it
// clears the mark.
class AugmentTarget {
 public:
  explicit AugmentTarget(PolyElement* face);
  ~AugmentTarget();
  AugmentTarget(const AugmentTarget&) = delete;
  AugmentTarget& operator=(const AugmentTarget&) = delete;

  // Takes over the list (made by FindOrientations); the first is current.
  void SetOrientations(FaceOrientation* list);
  void FreeOrientations();
  int CountOrientations() const;
  // Position of the current orientation in the list; -1 when none is current.
  int GetCurrentIndex() const;

  PolyElement* mFace;
  FaceOrientation* mFirstOrientation = nullptr;
  FaceOrientation* mLastOrientation = nullptr;
  FaceOrientation* mCurrent = nullptr;
};

// The placement of the added model on one augmented face.
struct AugmentPlacement {
  const AugmentTarget* target = nullptr;
  const PolyElement* face = nullptr;
  Transform3D frame{};         // the face's frame: target-frame coordinates to the world
  double heightRatio = 1.0;    // the height now over the height the model was made with
  double explodeOffset = 0.0;  // along the face normal, outwards for an augmentation
  uint32_t newFaceColour = 0;  // packed 0x00BBGGRR

  // Where a point of the added model goes.
  void Place(const FaceOrientation& orientation, const double* point, double* out) const;
};

// A face of the added model as the preview shows it.
struct AugmentPreviewFace {
  std::vector<double> corners;  // x, y, z of each corner, in the model's space
  // The region the face covers cut into triangles: x, y, z of three points a
  // triangle, placed like the corners.
  std::vector<double> triangles;
  uint32_t colour = 0;          // packed 0x00BBGGRR
  float alpha = 1.0f;
  bool matchingFace = false;
};

// The model's augmentation: a part of the model, reset when the model's elements go and
// prepared again when its face types change under a running preview.
class Augmentation : public ModelPart {
 public:
  explicit Augmentation(Poly* poly);
  ~Augmentation() override;
  Augmentation(const Augmentation&) = delete;
  Augmentation& operator=(const Augmentation&) = delete;

  // Back to idle: the ring, targets and added model are freed, the options, height and
  // explode distance zeroed, the top ratio 1.0, the file path cleared; a preview ends
  // (its pane is redrawn and gets its caption buttons back).
  void Reset();
  // Frees the matching faces and the targets only.
  void ClearMatching();

  // Steps to the next (+1) or previous (-1) matching face, or evaluates the current
  // one (0); the new current node, or null when no face of the added model fits.
  RingNode* StepMatchingFace(int direction);
  void NextOrientation();
  void PreviousOrientation();
  // The number of orientation combinations of all targets.
  void GetOrientationCounts(BigUInt& out) const;
  // The number of the current combination (the first target counting fastest).
  // 0 when every target has a current orientation in its list; -1 when one has none
  // current, -2 when one's current orientation is not in its list (out is then 0).
  int GetOrientationIndices(BigUInt& out) const;

  // After the symmetry group changed during a preview: prepares again with the stored
  // options, keeping the added model and the height. Done, with the warnings of the
  // preparation for the caller to tell.
  Outcome Refresh();
  // Whether the current matching face keeps the model's symmetry on every target.
  bool KeepsSymmetry() const;

  // Every face on which the added model goes, with its placement, in the order the
  // augmented model is built: the targets and (by the faces option) the faces of
  // their types and of their mirror partners.
  std::vector<AugmentPlacement> GetPlacements() const;
  // The faces the preview draws: the added model placed on every augmented face,
  // without its matching face unless coincident faces are kept or it is exploded.
  void GetPreviewFaces(std::vector<AugmentPreviewFace>& out) const;

  bool HasTargets() const { return !mTargets.empty(); }
  const std::vector<std::unique_ptr<AugmentTarget>>& GetTargets() const { return mTargets; }
  RingNode* GetCurrentMatch() { return mCurrentMatch == mRing.end() ? nullptr : &*mCurrentMatch; }
  int CountMatchingFaces() const { return static_cast<int>(mRing.size()); }

  Poly* mPoly;
  // The matching faces, a ring walked in both directions, and the current one.
  std::list<RingNode> mRing;
  std::list<RingNode>::iterator mCurrentMatch = mRing.end();
  std::vector<std::unique_ptr<AugmentTarget>> mTargets;
  PolyElement* mTargetFace = nullptr;
  std::unique_ptr<SimplePoly> mAddedModel;
  uint32_t mOptions = 0;
  // The height of the added solid along the face normal (negative when excavating),
  // and the height it was made with.
  double mHeight = 0.0;
  double mMadeHeight = 0.0;
  // The number typed in the dialog (1.0 with an added model); kept positive.
  double mScale = 1.0;
  double mTopRatio = 1.0;
  double mExplode = 0.0;
  // The model from memory that is added, as the options were given (kept here, so that
  // the memory may change meanwhile); null when none was given.
  std::unique_ptr<SimplePoly> mMemoryModel;
  LibraryEntry* mLibraryEntry = nullptr;
  std::string mFilePath;
  uint32_t mNewFaceColour = 0;  // packed 0x00BBGGRR
  // The pane showing the preview; null while none runs.
  OpenGLView* mView = nullptr;

  void ModelCleared() override { Reset(); }
  Outcome FaceTypesChanged() override { return mView ? Refresh() : Outcome(); }

 private:
  void StepOrientations(bool forwards);
};

// The model's one augmentation, made on first use.
Augmentation* GetAugmentation(Poly* poly);
// Makes the shown side's current face the target, builds the added model and finds
// its matching faces and orientations; not done (as GetAugmentationHeight) when
// nothing fits.
Outcome PrepareAugmentation(Poly* poly, uint32_t options, Augmentation* augmentation);

// The augmented model, or null with the reason in `outcome` (a cancelled progress
// frees what was built). The augmentation is prepared first when it is not.
std::unique_ptr<SimplePoly> CreateAugmentedPoly(uint32_t options, Augmentation& augmentation, Outcome& outcome);

// Whether the augmented model keeps the colours given to its faces (else the colour
// scheme colours it).
bool AugmentationKeepsColours(uint32_t options);

}  // namespace corvia
