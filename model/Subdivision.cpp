// Subdivision of the shown side of a model into a triangle lattice, the geodesic
// sphere (the same lattice pushed onto the unit sphere), and the flat model of the
// unfolded nets.

#include "model/Subdivision.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/Messages.h"
#include "core/Outcome.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/CreatePoly.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Memory.h"
#include "platform/Services.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_Subdivision {

void ToUnitLength(double* p) {
  const double length = std::sqrt(Dot(p, p));
  if (length > kPointTolerance) Divide(p, p, length);
}

// A corner whose position is a direction (a point at infinity) cannot be cut.
bool HasCornerAtInfinity(const ElementList* faces) {
  for (const PolyElement* face = faces->mHead; face; face = face->mNext) {
    for (int i = 0; i < face->mNumSides; ++i) {
      const PolyElement* corner = face->GetCorner(i);
      if (!corner || corner->HasFlag(kElementHemi)) return true;
    }
  }
  return false;
}

// The lattice of one triangular region and the model it goes into.
struct LatticeBuilder {
  SimplePoly& mPoly;
  int mUsedVerts = 0;
  int mFacesMade = 0;
  int mFacesPlanned = 0;
  uint32_t mColour = 0;
  float mAlpha = 1.0f;

  // Index of the vertex at p, made when new; -1 when the model cannot hold it.
  int32_t Vertex(const double* p) {
    SimpleVert* v = mPoly.FindOrCreateVert(p, mUsedVerts);
    return v ? v->GetIndex() : kNoIndex;
  }

  bool Triangle(int32_t a, int32_t b, int32_t c) {
    if (a < 0 || b < 0 || c < 0) return false;
    SimpleFace* face = mPoly.GetFace(mFacesMade);
    if (!face) return false;
    face->SetNumVerts(3, 1);
    face->SetVertIndex(0, a);
    face->SetVertIndex(1, b);
    face->SetVertIndex(2, c);
    face->color = face->color2 = mColour;
    face->SetAlpha(mAlpha);
    ++mFacesMade;
    return true;
  }

  // P(r, j) of the region with apex C and base A-B cut into n.
  static void LatticePoint(double* out, const double* a, const double* b, const double* c, int n, int r, int j) {
    if (r == 0) {
      CopyVector(out, c);
      return;
    }
    const double s = static_cast<double>(r) / n;
    const double t = static_cast<double>(j) / r;
    for (int k = 0; k < 3; ++k) {
      const double left = c[k] + (a[k] - c[k]) * s;
      const double right = c[k] + (b[k] - c[k]) * s;
      out[k] = left + (right - left) * t;
    }
  }

  // Cuts the region into n x n triangles, row by row from the apex. False when the
  // user cancelled or the model could not take a vertex or face.
  bool Region(const double* a, const double* b, const double* c, int n, bool& cancelled) {
    std::vector<int32_t> upper{Vertex(c)};
    std::vector<int32_t> lower;
    double p[3];
    for (int r = 0; r < n; ++r) {
      if (!UpdateProgress(static_cast<double>(mFacesMade) / mFacesPlanned, "Created %d of %d faces", mFacesMade,
                          mFacesPlanned)) {
        cancelled = true;
        return false;
      }
      lower.clear();
      for (int j = 0; j <= r + 1; ++j) {
        LatticePoint(p, a, b, c, n, r + 1, j);
        lower.push_back(Vertex(p));
      }
      for (int j = 0; j <= r; ++j) {
        if (!Triangle(upper[j], lower[j], lower[j + 1])) return false;
        if (j < r && !Triangle(upper[j], lower[j + 1], upper[j + 1])) return false;
      }
      upper.swap(lower);
    }
    return true;
  }
};

}  // namespace detail_Subdivision

long long MaxMadeFacesHere(long long limit) {
  return platform::CountFittingInWorkMemory(kBytesPerMadeFace, limit);
}

std::unique_ptr<SimplePoly> Poly::Subdivide(uint32_t flags, int n, Outcome* outcome) {
  Outcome ignored;
  Outcome& told = outcome ? *outcome : ignored;
  told = Outcome::Done();
  const bool geodesic = (flags & kSubdivideGeodesic) != 0;
  const bool dual = mShowDual != 0;
  ElementList* faces = nullptr;
  ElementList* vertices = nullptr;
  GetParts(dual, &faces, &vertices, nullptr, nullptr);

  // A lattice needs real corners, and the model no faces through the centre (a
  // hemi-polyhedron's): the sphere cannot push such a face out, and the lattices of
  // the faces through the centre give no order of the pieces in their planes.
  if (mHasCentralFace || detail_Subdivision::HasCornerAtInfinity(faces)) {
    if (dual) {
      told = Outcome::Refused("This operation may not be performed on a model with infinite faces");
    } else {
      told = Outcome::Refused(
          "This operation may not be performed on a model with hemispherical faces\n(faces through the centre)");
    }
    return nullptr;
  }
  if (n < 1) {
    told = Outcome::Refused("Number of subdivisions must be at least 1.");
    return nullptr;
  }

  // Plan the sizes: a triangle is one region, a face of s sides s regions round its
  // centre; each region becomes n x n triangles.
  const int64_t n2 = static_cast<int64_t>(n) * n;
  int64_t regions = 0;
  int64_t edgePoints = 0;
  const long long maxFaces = MaxMadeFacesHere(kMaxSubdividedFaces);
  bool tooMany = n2 > maxFaces;
  for (const PolyElement* face = faces->mHead; face && !tooMany; face = face->mNext) {
    const int sides = face->mNumSides;
    if (sides < 3) continue;
    const bool triangle = sides == 3;
    regions += triangle ? 1 : sides;
    // Lattice points per face, counted twice over the model as each edge is shared.
    edgePoints += (triangle ? 0 : 2) + (triangle ? 1 : sides) * (n2 - 1);
    tooMany = regions > maxFaces / n2;
  }
  if (tooMany) {
    // Refused before anything is allocated: the faces alone would not fit in memory.
    told = Outcome::RefusedF(
        "Subdividing into %d parts would make more than %lld faces.\nPlease enter a smaller number.", n, maxFaces);
    return nullptr;
  }
  if (regions == 0) {
    told = Outcome::Refused("The model has no faces to subdivide.");
    return nullptr;
  }
  const int64_t facesPlanned = regions * n2;
  const int64_t vertsPlanned = vertices->mCount + edgePoints / 2;

  platform::WaitCursorScope wait;
  // Room for the plan, each record made as the lattice reaches it: made all at once, a
  // million faces' records held the window for most of a second before the first
  // report. An open surface has more lattice points than the plan, which counts every
  // edge as shared: the arrays grow rather than run out.
  auto result = std::make_unique<SimplePoly>(0, 0);
  result->Reserve(static_cast<int>(vertsPlanned), static_cast<int>(facesPlanned));
  result->flags |= kSimpleGrowable;
  ProgressScope progress;

  detail_Subdivision::LatticeBuilder builder{*result};
  builder.mFacesPlanned = static_cast<int>(facesPlanned);
  bool cancelled = false;
  for (const PolyElement* face = faces->mHead; face; face = face->mNext) {
    const int sides = face->mNumSides;
    if (sides < 3) continue;
    builder.mColour = PackRainbowColor(face->mColor);
    builder.mAlpha = face->mOpacity;
    double a[3], b[3], c[3];
    const int numRegions = sides == 3 ? 1 : sides;
    double centre[3] = {0.0, 0.0, 0.0};
    if (sides > 3) {
      for (int i = 0; i < sides; ++i) AddTo(centre, face->GetCorner(i)->mDualVert);
      Divide(centre, centre, sides);
    }
    for (int i = 0; i < numRegions; ++i) {
      if (sides == 3) {
        CopyVector(a, face->GetCorner(0)->mDualVert);
        CopyVector(b, face->GetCorner(1)->mDualVert);
        CopyVector(c, face->GetCorner(2)->mDualVert);
      } else {
        CopyVector(a, face->GetCorner(i)->mDualVert);
        CopyVector(b, face->GetCorner((i + 1) % sides)->mDualVert);
        CopyVector(c, centre);
      }
      if (geodesic) {
        detail_Subdivision::ToUnitLength(a);
        detail_Subdivision::ToUnitLength(b);
        detail_Subdivision::ToUnitLength(c);
      }
      if (!builder.Region(a, b, c, n, cancelled)) {
        told = cancelled ? Outcome::Cancelled()
                         : Outcome::Failed("The subdivided model could not take all of its vertices and faces.");
        return nullptr;
      }
    }
  }
  if (builder.mFacesMade != facesPlanned) {
    ShowInternalError("Subdivide: faceIdx %d != mNumFaces %d", builder.mFacesMade, static_cast<int>(facesPlanned));
  }
  result->Truncate(builder.mUsedVerts, builder.mFacesMade);
  result->flags &= ~kSimpleGrowable;

  if (geodesic) {
    // The lattice is all triangles, so the faces stay flat on the sphere.
    if (Outcome projected = result->ProjectOntoSphere(); !projected) {
      if (outcome) *outcome = std::move(projected);
      return nullptr;
    }
    result->SetName(GetPartName(false), "Geodesic ", true);
    if ((mPolyFlags & kPolyFlagConvex) || (!dual && (mPolyFlags & kPolyFlagDensityOne))) result->flags |= kGeodesicFlags;
  } else {
    result->SetName(GetPartName(false), "Subdivided ", true);
    if (mPolyFlags & kPolyFlagConvex) result->flags |= kSubdividedFlags;
  }
  result->flags |= CarriedSimpleFlags(*this);
  return result;
}

}  // namespace corvia
