// The augmentation object, the heights of the added solids and the solids themselves.

#include "construction/Augmentation.h"

#include <cmath>
#include <memory>
#include <vector>

#include "construction/FaceOrientation.h"
#include "construction/LibraryHooks.h"
#include "core/ListNode.h"
#include "core/Messages.h"
#include "core/RainbowColor.h"
#include "core/Units.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_Augmentation {

double Distance(const double* a, const double* b) {
  double d[3];
  Subtract(d, a, b);
  return std::sqrt(Dot(d, d));
}

// What the solid builders read of the face: its corners, centre and normal, and the
// colour every new element takes.
struct FaceBase {
  explicit FaceBase(const PolyElement& face) : n(face.mNumSides) {
    for (int i = 0; i < n; ++i) corners.push_back(face.GetCorner(i)->mDualVert);
    CopyVector(centre, face.mCentroid);
    face.GetNormal(normal);
    colour = PackRainbowColor(face.mColor);
    alpha = face.mOpacity;
  }
  const double* Corner(int i) const { return corners[static_cast<size_t>(((i % n) + n) % n)]; }
  // The midpoint of side i (corner i to corner i + 1).
  void Midpoint(int i, double* out) const {
    Add(out, Corner(i), Corner(i + 1));
    Scale(out, out, 0.5);
  }

  int n;
  std::vector<const double*> corners;
  double centre[3];
  double normal[3];
  uint32_t colour;
  float alpha;
};

// A solid being built on a face: the face's corners come first, as vertices 0 to
// n - 1, and the base (face 0) is the model's current face.
class SolidBuilder {
 public:
  SolidBuilder(const FaceBase& base, int numVerts, int numFaces, int baseRotations)
      : mBase(base), mModel(std::make_unique<SimplePoly>(numVerts, numFaces)) {
    for (int i = 0; i < base.n; ++i) SetVert(i, base.Corner(i));
    std::vector<int> corners;
    for (int i = 0; i < base.n; ++i) corners.push_back(i);
    SetFace(corners).rots = baseRotations;
    mModel->currentFace = 0;
  }

  void SetVert(int i, const double* p) {
    SimpleVert& v = mModel->VertAt(i);
    v.SetPos(p);
    v.color = v.color2 = mBase.colour;
    v.SetAlpha(mBase.alpha);
  }

  SimpleFace& SetFace(const std::vector<int>& corners) {
    SimpleFace& f = mModel->FaceAt(mFaces++);
    f.SetNumVerts(static_cast<int>(corners.size()));
    for (size_t k = 0; k < corners.size(); ++k) f.SetVertIndex(static_cast<int>(k), corners[k]);
    f.color = f.color2 = mBase.colour;
    f.SetAlpha(mBase.alpha);
    return f;
  }

  std::unique_ptr<SimplePoly> Finish() {
    mModel->Centre();
    mModel->CalcFaceNormals(true);
    return std::move(mModel);
  }

 private:
  const FaceBase& mBase;
  std::unique_ptr<SimplePoly> mModel;
  int mFaces = 0;
};

// p = a + s u + h n.
void Offset(double* out, const double* a, const double* u, double s, const double* n, double h) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] + s * u[k] + h * n[k];
}

const char* RegularFaceSolidName(uint32_t options) {
  if (options & kAugmentCupola) return " cupola";
  if (options & kAugmentAntiprism) return "n antiprism";
  return " pyramid with equal edges";
}

bool NeedsRegularFace(uint32_t options) {
  return (options & (kAugmentCupola | kAugmentAntiprism)) ||
         ((options & kAugmentPyramid) && (options & kAugmentHeightMask) == kPyramidEqualEdges);
}

// The pyramid's height on the face by the height mode; false with the refusal in
// `outcome`. The circumsphere mode may turn an augmentation into an excavation.
bool PyramidHeight(uint32_t& options, const PolyElement& face, const Augmentation& augmentation, double& h,
                   Outcome& outcome) {
  const FaceBase base(face);
  const double R = face.GetCircumradius();
  const double e = base.n > 1 ? Distance(base.Corner(0), base.Corner(1)) : 0.0;
  const double s = augmentation.mScale;
  const double u = GetUnitSettings().mLengthScale;
  const uint32_t mode = options & kAugmentHeightMask;
  switch (mode) {
    case kPyramidLateralEdge:
    case kPyramidEqualEdges: {
      const double lateral = s * e;
      if (face.IsRegular() && lateral * lateral - kPointTolerance >= R * R) {
        h = std::sqrt(lateral * lateral - R * R);
      } else if (mode == kPyramidEqualEdges) {
        outcome = Outcome::Refused("Face has too many sides to build pyramid on\nwhen using the keep-edge-length option.");
        return false;
      } else {
        h = R * s;
      }
      return true;
    }
    case kPyramidCircumradius:
      h = R * s;
      return true;
    case kPyramidCircumradius2:
      h = 2.0 * R * s;
      return true;
    case kPyramidEdgeLength: {
      const double L = s / u;
      if (L * L - kPointTolerance < R * R) {
        outcome = Outcome::Refused("Pyramid can not be created with requested edge lengths.");
        return false;
      }
      h = std::sqrt(L * L - R * R);
      return true;
    }
    case kPyramidHeight:
      h = s / u;
      return true;
    case kPyramidCircumsphere: {
      // The apex on the sphere of radius r about the centre: |C + h N|^2 = r^2.
      const double r = s * (face.IsVertex() ? augmentation.mPoly->GetRadius() : 1.0);
      const double d = Dot(base.centre, base.normal);
      const double D = d * d + r * r - Dot(base.centre, base.centre);
      if (D < -kPointTolerance) {
        outcome = Outcome::Refused(
            "Can't create pyramid to touch model's circumsphere.\nTry a larger scale in the augmentation options "
            "box.");
        return false;
      }
      h = D < kPointTolerance ? 0.0 : std::sqrt(D);
      const bool reversed = face.HasFlag(kElementReverseNorm);
      const bool excavate = (options & kAugmentExcavate) != 0;
      h = reversed == excavate ? h - d : h + d;
      if (h < 0.0) {
        // The apex lies on the other side of the face.
        options ^= kAugmentExcavate;
        h = -h;
      }
      return true;
    }
    default:
      ShowInternalError("%s", "GetAugmentationHeight: Bad flags");
      outcome = Outcome::Cancelled();
      return false;
  }
}

// The edge length the prism's height follows, by its mode.
double PrismEdge(uint32_t options, const PolyElement& face) {
  switch (options & kAugmentHeightMask) {
    case kPrismShortestEdge:
      return face.GetMinEdgeLength();
    case kPrismLongestEdge:
      return face.GetMaxEdgeLength();
    case kPrismLengthUnit:
      return 1.0 / GetUnitSettings().mLengthScale;
    default:
      return face.GetMeanEdgeLength();
  }
}

}  // namespace detail_Augmentation

// ---- Targets --------------------------------------------------------------------------

AugmentTarget::AugmentTarget(PolyElement* face) : mFace(face) {
  if (face && face->mType) face->mType->mFlags |= kFaceTypeAugmentTarget;
}

AugmentTarget::~AugmentTarget() {
  if (mFace && mFace->mType) mFace->mType->mFlags &= ~kFaceTypeAugmentTarget;
  FreeOrientations();
}

void AugmentTarget::FreeOrientations() {
  ListNode* head = mFirstOrientation;
  ListNode* tail = mLastOrientation;
  while (head) ListUnlink(head, head, tail);
  mFirstOrientation = mLastOrientation = mCurrent = nullptr;
}

void AugmentTarget::SetOrientations(FaceOrientation* list) {
  FreeOrientations();
  mFirstOrientation = list;
  FaceOrientation* last = list;
  while (last && last->mNext) last = static_cast<FaceOrientation*>(last->mNext);
  mLastOrientation = last;
  mCurrent = list;
}

int AugmentTarget::CountOrientations() const {
  int count = 0;
  for (const ListNode* node = mFirstOrientation; node; node = node->mNext) ++count;
  return count;
}

int AugmentTarget::GetCurrentIndex() const {
  if (!mCurrent) return -1;
  int i = 0;
  for (const ListNode* node = mFirstOrientation; node; node = node->mNext, ++i) {
    if (node == mCurrent) return i;
  }
  return -2;
}

// ---- The augmentation -------------------------------------------------------------------

Augmentation::Augmentation(Poly* poly) : mPoly(poly) {}

Augmentation::~Augmentation() { Reset(); }

void Augmentation::ClearMatching() {
  mRing.clear();
  mCurrentMatch = mRing.end();
  mTargets.clear();
}

void Augmentation::Reset() {
  ClearMatching();
  mAddedModel.reset();
  mTargetFace = nullptr;
  mOptions = 0;
  mHeight = mMadeHeight = 0.0;
  mExplode = 0.0;
  mTopRatio = 1.0;
  mFilePath.clear();
  mMemoryModel.reset();
  if (mView) {
    // The panes are drawn again; the one of the preview gives back its buttons then.
    mView = nullptr;
    platform::Services().views->RedrawAllViews(false);
  }
}

Augmentation* GetAugmentation(Poly* poly) {
  if (!poly->mAugmentation) poly->mAugmentation = MakePart<Augmentation>(poly);
  return poly->mAugmentation.get();
}

// ---- Heights ------------------------------------------------------------------------------

double CalcCupolaHeight(const double* c, const double* p0, const double* p1, const double* p2, const double* p3,
                        bool allowZero, double* ratio, Outcome* why) {
  double m[3], m2[3];
  Add(m, p0, p1);
  Scale(m, m, 0.5);
  Add(m2, p2, p3);
  Scale(m2, m2, 0.5);
  const double e = detail_Augmentation::Distance(p1, p0);
  const double apart = detail_Augmentation::Distance(m2, m);
  const double r = apart > 0.0 ? e / apart : 0.0;
  if (ratio) *ratio = r;
  const double inset = detail_Augmentation::Distance(m, c) * (1.0 - r);
  const double h2 = 0.75 * e * e - inset * inset;
  if (h2 >= kPointTolerance) return std::sqrt(h2);
  if (allowZero && h2 > -kPointTolerance) return 0.0;
  if (why) *why = Outcome::Warned("Face has too many sides to build regular-faced cupola on.");
  return -1.0;
}

Outcome GetAugmentationHeight(uint32_t options, PolyElement* target, Augmentation* augmentation) {
  namespace d = detail_Augmentation;
  if (!augmentation || !target) {
    ShowInternalError("%s", "GetAugmentationHeight: no augmentation or no target face");
    return Outcome::Cancelled();
  }
  if (augmentation->mView) return Outcome::Done();
  if (d::NeedsRegularFace(options) && !target->IsRegular()) {
    return Outcome::RefusedF("Face to be augmented is not regular as it should be\nwhen augmenting using a%s.",
                             d::RegularFaceSolidName(options));
  }
  Outcome outcome;
  const bool excavateAsked = (options & kAugmentExcavate) != 0;
  std::unique_ptr<SimplePoly> added;
  double height = -1.0;
  if (options & kAugmentPyramid) {
    if (!d::PyramidHeight(options, *target, *augmentation, height, outcome)) return outcome;
    const bool excavate = (options & kAugmentExcavate) != 0;
    added = CreateAugmentPyramid(*target, height, excavate);
    if (excavate) height = -height;
  } else if (options & kAugmentPrism) {
    height = augmentation->mScale * d::PrismEdge(options, *target);
    added = CreateAugmentPrism(*target, height, excavateAsked);
    if (excavateAsked) height = -height;
  } else if (options & kAugmentCupola) {
    if (target->mNumSides % 2 != 0) {
      return Outcome::Refused("To augment a face with a cupola,\nthe face must have an even number of sides.");
    }
    const d::FaceBase base(*target);
    double ratio = 1.0;
    const double h = CalcCupolaHeight(base.centre, base.Corner(0), base.Corner(1), base.Corner(2), base.Corner(3),
                                      false, &ratio, &outcome);
    if (h < 0.0) return outcome;
    height = augmentation->mScale * h;
    augmentation->mTopRatio = ratio;
    added = CreateAugmentCupola(*target, height, ratio, excavateAsked);
    if (excavateAsked) height = -height;
  } else if (options & kAugmentAntiprism) {
    added = CreateAugmentAntiprism(*target, augmentation->mScale, (options & kAugmentCrossedAntiprism) != 0,
                                   excavateAsked, &height, &augmentation->mTopRatio, outcome);
    if (!added) return outcome;
  } else if (options & kAugmentMemory) {
    const SimplePoly* memory = augmentation->mMemoryModel.get();
    if (!memory) {
      ShowInternalError("%s", "Can't augment from memory: memory is empty");
      return Outcome::Cancelled();
    }
    added = memory->CopyWithNames();
    height = 1.0;
  } else if (options & kAugmentBuiltIn) {
    // No model chosen: nothing to add, and nothing to tell.
    if (!augmentation->mLibraryEntry) return Outcome::Cancelled();
    added = augmentation->mLibraryEntry->CreatePoly((options & kAugmentUseDual) != 0, &outcome);
    height = 1.0;
  } else if (options & kAugmentFile) {
    added = ReadModelFromFile(augmentation->mFilePath.c_str(), (options & kAugmentUseDual) != 0, &outcome);
    height = 1.0;
  } else {
    ShowInternalError("%s", "GetAugmentationHeight: Bad flags");
    return Outcome::Cancelled();
  }
  // The sources of another model give their reason when they give nothing (none after
  // an internal error); a solid builder gives something whenever its height was found.
  if (!added) return outcome.told() ? outcome : Outcome::Cancelled();
  augmentation->mAddedModel = std::move(added);
  augmentation->mOptions = options;
  augmentation->mTargetFace = target;
  augmentation->mHeight = augmentation->mMadeHeight = height;
  // A model read from a file may come with the file's warning.
  return outcome.WarningsOnly();
}

// ---- Solids -------------------------------------------------------------------------------

std::unique_ptr<SimplePoly> CreateAugmentPyramid(const PolyElement& face, double height, bool excavate) {
  const detail_Augmentation::FaceBase base(face);
  const int n = base.n;
  if (excavate) height = -height;
  detail_Augmentation::SolidBuilder builder(base, n + 1, n + 1, n);
  double apex[3];
  detail_Augmentation::Offset(apex, base.centre, base.normal, 0.0, base.normal, height);
  builder.SetVert(n, apex);
  for (int i = 0; i < n; ++i) builder.SetFace({(i + n - 1) % n, i, n});
  return builder.Finish();
}

std::unique_ptr<SimplePoly> CreateAugmentPrism(const PolyElement& face, double height, bool excavate) {
  const detail_Augmentation::FaceBase base(face);
  const int n = base.n;
  if (excavate) height = -height;
  detail_Augmentation::SolidBuilder builder(base, 2 * n, n + 2, n);
  std::vector<int> top;
  for (int i = 0; i < n; ++i) {
    double p[3];
    detail_Augmentation::Offset(p, base.Corner(i), base.normal, 0.0, base.normal, height);
    builder.SetVert(n + i, p);
    top.push_back(n + i);
  }
  builder.SetFace(top);
  for (int i = 0; i < n; ++i) {
    const int previous = (i + n - 1) % n;
    builder.SetFace({previous, i, n + i, n + previous});
  }
  return builder.Finish();
}

std::unique_ptr<SimplePoly> CreateAugmentAntiprism(const PolyElement& face, double scale, bool crossed, bool excavate,
                                                   double* height, double* topRatio, Outcome& outcome) {
  const detail_Augmentation::FaceBase base(face);
  const int n = base.n;
  const double e = face.GetMeanEdgeLength();
  const double R = face.GetCircumradius();
  const double a2 = R * R - 0.25 * e * e;
  if (a2 < kPointTolerance) {
    outcome = Outcome::Failed("Failed to create antiprism on this face.");
    return nullptr;
  }
  double a = std::sqrt(a2);
  if (crossed) a = -a;
  const double h2 = 0.75 * e * e - (R - a) * (R - a);
  double h = (h2 >= kPointTolerance ? std::sqrt(h2) : R) * scale;
  // Inwards once: the height stays negative for the caller.
  if (excavate) h = -h;
  const double ratio = R / a - 1.0;
  if (height) *height = h;
  if (topRatio) *topRatio = ratio;
  detail_Augmentation::SolidBuilder builder(base, 2 * n, 2 * n + 2, n);
  std::vector<int> top;
  for (int i = 0; i < n; ++i) {
    // Above each side's midpoint, pushed out from the centre by the top ratio.
    double m[3], out[3], p[3];
    base.Midpoint(i, m);
    Subtract(out, m, base.centre);
    detail_Augmentation::Offset(p, m, out, ratio, base.normal, h);
    builder.SetVert(n + i, p);
    top.insert(top.begin(), n + i);
  }
  builder.SetFace(top);
  for (int i = 0; i < n; ++i) {
    const int next = (i + 1) % n;
    builder.SetFace({i, next, n + i});
    builder.SetFace({next, n + next, n + i});
  }
  return builder.Finish();
}

std::unique_ptr<SimplePoly> CreateAugmentCupola(const PolyElement& face, double height, double topRatio,
                                                bool excavate) {
  const detail_Augmentation::FaceBase base(face);
  const int n = base.n;
  const int m = n / 2;
  if (excavate) height = -height;
  detail_Augmentation::SolidBuilder builder(base, n + m, n > 4 ? n + 2 : n + 1, m);
  // Top corner k stands over the midpoint of side 2k, which carries a triangle; the
  // odd sides carry squares.
  std::vector<int> top;
  for (int k = 0; k < m; ++k) {
    double mid[3], out[3], p[3];
    base.Midpoint(2 * k, mid);
    Subtract(out, mid, base.centre);
    detail_Augmentation::Offset(p, base.centre, out, topRatio, base.normal, height);
    builder.SetVert(n + k, p);
    top.insert(top.begin(), n + k);
  }
  for (int k = 0; k < m; ++k) {
    builder.SetFace({2 * k, 2 * k + 1, n + k});
    builder.SetFace({2 * k + 1, (2 * k + 2) % n, n + (k + 1) % m, n + k});
  }
  if (n > 4) builder.SetFace(top);
  return builder.Finish();
}

}  // namespace corvia
