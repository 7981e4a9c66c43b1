// Operations on a whole plain model: normals, centre and radius, moving and scaling,
// copies, the union of two models, the mirror image and the polar reciprocal.

#include <algorithm>
#include <cmath>

#include "core/FaceImageRef.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_SimplePolyOps {

// The radius of the reciprocation sphere when the model gives no edge distance: the
// normalised model's own radius.
constexpr double kDefaultMidRadius = 1.0;

bool IsZero(const double* v) { return std::fabs(v[0]) <= kPointTolerance && std::fabs(v[1]) <= kPointTolerance && std::fabs(v[2]) <= kPointTolerance; }

bool IsIdentity(const double* m) {
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 3; ++r) {
      const double e = m[3 * c + r];
      if (r == c ? (e < kUnitLow || e > kUnitHigh) : std::fabs(e) > kPointTolerance) return false;
    }
  }
  return true;
}

void CopyFaceRecord(SimpleFace& to, const SimpleFace& from, int32_t vertShift) {
  to.SetNumVerts(from.Count(), from.winding);
  to.CopyFrom(from);
  to.rots = from.rots;
  for (int i = 0; i < from.Count(); ++i) {
    const int32_t v = from.items[static_cast<size_t>(i)];
    to.items[static_cast<size_t>(i)] = v >= 0 ? v + vertShift : kNoIndex;
  }
}

}  // namespace detail_SimplePolyOps

void SimplePoly::CalcFaceNormals(bool force, int firstFace) {
  if (NumVerts() < 3) return;
  for (int fi = std::max(firstFace, 0); fi < NumFaces(); ++fi) {
    SimpleFace& f = FaceAt(fi);
    if (f.IsTemp() || f.Count() == 0 || (!force && f.HasNormal())) continue;
    double n[3] = {0, 0, 0};
    bool found = false;
    for (int i = 1; i + 1 < f.Count() && !found; ++i) {
      double e1[3], e2[3];
      Subtract(e1, f.VertAt(i).pos, f.VertAt(0).pos);
      Subtract(e2, f.VertAt(i + 1).pos, f.VertAt(i).pos);
      Cross(n, e1, e2);
      // Corners on one line give no plane: a cross product that vanishes beside the
      // edges that make it (however small the face, as the base of a needle is).
      found = std::sqrt(Dot(n, n)) > kVanishingTolerance * std::sqrt(Dot(e1, e1) * Dot(e2, e2));
    }
    // All corners on one line: the face is taken to face away from the origin.
    if (!found) f.GetCentroid(n);
    const double len = std::sqrt(Dot(n, n));
    if (!(len > 0.0)) {
      // A line through the origin has no plane: the normal stays unknown.
      for (double& c : f.normal) c = kNormalNotComputed;
      f.flags &= ~kSimpleCentralPlane;
      continue;
    }
    Divide(n, n, len);
    // Corners not quite in one plane (coordinates rounded by the program that wrote
    // them): the normal of the whole face and its plane through the centroid, which
    // do not depend on the corner the face starts at, so that faces that are images
    // of one another get normals that are images of one another.
    double through[3];
    CopyVector(through, f.VertAt(0).pos);
    if (found && !f.LiesInPlane(n)) {
      double area[3];
      f.AreaVector(area);
      const double areaLength = std::sqrt(Dot(area, area));
      if (areaLength > 0.0) {
        Divide(area, area, areaLength);
        if (Dot(area, n) < 0) Negate(area);
        CopyVector(n, area);
      }
      f.GetCentroid(through);
    }
    SnapNearZero(n, kRoundingTolerance);
    const double d = Dot(n, through);
    f.flags &= ~kSimpleCentralPlane;
    if (d < -kPointTolerance) {
      Negate(n);
    } else if (d < kPointTolerance) {
      f.flags |= kSimpleCentralPlane;
    }
    CopyVector(f.normal, n);
  }
}

double SimplePoly::GetMaxVertexRadius() const {
  double best = 0.0;
  for (const SimpleVert& v : mVerts) {
    if (!v.IsTemp()) best = std::max(best, std::sqrt(Dot(v.pos, v.pos)));
  }
  return best;
}

double SimplePoly::GetMidRadius() const {
  double logSum = 0.0;
  int count = 0;
  for (int i = 0; i < NumFaces(); ++i) {
    const SimpleFace& face = FaceAt(i);
    if (face.IsTemp()) continue;
    const int n = face.Count();
    for (int k = 0; k < n; ++k) {
      const double* a = face.VertWrapped(k).pos;
      const double* b = face.VertWrapped(k + 1).pos;
      double d[3], c[3], m[3];
      Subtract(d, b, a);
      Cross(c, d, a);
      if (detail_SimplePolyOps::IsZero(c)) continue;
      Cross(m, c, d);
      const double length = std::sqrt(Dot(m, m));
      if (length <= 0.0) continue;
      Divide(m, m, length);
      const double distance = std::fabs(Dot(m, a));
      if (distance <= 0.0) continue;
      logSum += std::log(distance);
      ++count;
    }
  }
  // No edge gives a distance: the mean of nothing is undefined.
  if (count == 0) return detail_SimplePolyOps::kDefaultMidRadius;
  return std::exp(logSum / count);
}

void SimplePoly::GetCentre(double* out) {
  out[0] = out[1] = out[2] = 0.0;
  int taken = 0;
  for (SimpleVert& v : mVerts) {
    if (v.flags & (kSimpleDone | kSimpleTemp)) continue;
    AddTo(out, v.pos);
    ++taken;
    v.SetRingFlags(kSimpleDone);
  }
  ClearVertFlags(kSimpleDone);
  if (taken > 0) Divide(out, out, taken);
}

void SimplePoly::Translate(const double* v) {
  if (detail_SimplePolyOps::IsZero(v)) return;
  for (SimpleVert& p : mVerts) {
    // A vertex at infinity is a direction, which a move leaves as it is.
    if (!p.IsInfinite()) Subtract(p.pos, p.pos, v);
  }
  // Planes of faces without vertices move with the model: the offset along the
  // unit normal n changes by -n.v.
  for (SimpleFace& f : mFaces) {
    if (f.Count() != 0 || f.IsTemp() || !f.HasNormal()) continue;
    double n[3];
    double d;
    if (f.flags & kSimpleCentralPlane) {
      CopyVector(n, f.normal);
      d = 0.0;
    } else {
      d = std::sqrt(Dot(f.normal, f.normal));
      if (!(d > 0.0)) continue;
      Divide(n, f.normal, d);
    }
    const double moved = d - Dot(n, v);
    if (std::fabs(moved) <= kPointTolerance) {
      CopyVector(f.normal, n);
      f.flags |= kSimpleCentralPlane;
    } else {
      corvia::Scale(f.normal, n, moved);
      f.flags &= ~kSimpleCentralPlane;
    }
  }
  RebuildVertexSearch();
}

void SimplePoly::Centre() {
  double c[3];
  GetCentre(c);
  Translate(c);
}

void SimplePoly::Scale(double factor) {
  if (factor >= kUnitLow && factor <= kUnitHigh) return;
  for (SimpleVert& v : mVerts) corvia::Scale(v.pos, v.pos, factor);
  if (flags & kSimpleHasPlaneFaces) {
    for (SimpleFace& f : mFaces) {
      if (f.Count() == 0 && f.HasNormal() && !(f.flags & kSimpleCentralPlane)) corvia::Scale(f.normal, f.normal, factor);
    }
  }
  RebuildVertexSearch();
}

void SimplePoly::ScaleAlongAxis(double factor, const double* unitAxis) {
  if (factor >= kUnitLow && factor <= kUnitHigh) return;
  for (SimpleVert& v : mVerts) {
    double step[3];
    corvia::Scale(step, unitAxis, (factor - 1.0) * Dot(v.pos, unitAxis));
    AddTo(v.pos, step);
  }
  RebuildVertexSearch();
}

void SimplePoly::ResetIndices() {
  for (int i = 0; i < NumVerts(); ++i) {
    VertAt(i).typeId = i;
    VertAt(i).nextOfType = i;
  }
  for (int i = 0; i < NumFaces(); ++i) {
    FaceAt(i).typeId = i;
    FaceAt(i).nextOfType = i;
  }
}

void SimplePoly::ResetCoincRings() {
  for (int i = 0; i < NumVerts(); ++i) VertAt(i).coinc = i;
  for (int i = 0; i < NumFaces(); ++i) FaceAt(i).coinc = i;
}

std::unique_ptr<SimplePoly> SimplePoly::CopyWithNames() const {
  ClearFaceImageCopies();
  auto copy = std::make_unique<SimplePoly>(NumVerts(), NumFaces());
  for (int i = 0; i < NumVerts(); ++i) {
    SimpleVert& v = copy->VertAt(i);
    const SimpleVert& src = VertAt(i);
    // The kind decides where the vertex sorts in the search: set it first.
    v.flags |= src.flags & kSimpleInfinite;
    v.CopyFrom(src, true);
    v.typeId = src.typeId;
  }
  for (int i = 0; i < NumFaces(); ++i) {
    detail_SimplePolyOps::CopyFaceRecord(copy->FaceAt(i), FaceAt(i), 0);
    copy->FaceAt(i).typeId = FaceAt(i).typeId;
  }
  copy->currentFace = currentFace;
  copy->scale = scale;
  copy->flags = flags;
  // The lists come with their flags: a copy never claims lists it does not have.
  if (flags & kSimpleHasVertFaceLists) {
    for (int i = 0; i < NumVerts(); ++i) copy->VertAt(i).items = VertAt(i).items;
  }
  copy->SetName(name.c_str());
  copy->dualName = dualName;
  copy->description = description;
  copy->webLink = webLink;
  copy->SetSymmetry(symmetry.get());
  return copy;
}

std::unique_ptr<SimplePoly> SimplePoly::Combine(const SimplePoly& other) const {
  ClearFaceImageCopies();
    const int nv = NumVerts();
  const int nf = NumFaces();
  auto result = std::make_unique<SimplePoly>(nv + other.NumVerts(), nf + other.NumFaces());
  auto copyVerts = [&](const SimplePoly& src, int shift) {
    for (int i = 0; i < src.NumVerts(); ++i) {
      SimpleVert& v = result->VertAt(shift + i);
      v.flags |= src.VertAt(i).flags & kSimpleInfinite;
      v.CopyFrom(src.VertAt(i), true);
    }
  };
  copyVerts(*this, 0);
  copyVerts(other, nv);
  for (int i = 0; i < nf; ++i) detail_SimplePolyOps::CopyFaceRecord(result->FaceAt(i), FaceAt(i), 0);
  for (int i = 0; i < other.NumFaces(); ++i) {
    detail_SimplePolyOps::CopyFaceRecord(result->FaceAt(nf + i), other.FaceAt(i), nv);
  }
  result->currentFace = currentFace;
  if ((flags & kSimpleSortedFaceLists) && (other.flags & kSimpleSortedFaceLists)) {
    for (int i = 0; i < nv; ++i) result->VertAt(i).items = VertAt(i).items;
    for (int i = 0; i < other.NumVerts(); ++i) {
      std::vector<int32_t>& list = result->VertAt(nv + i).items;
      list = other.VertAt(i).items;
      for (int32_t& f : list) f += nf;
    }
    result->flags |= kSimpleHasVertFaceLists | kSimpleSortedFaceLists;
  }
  result->scale = std::max(scale, other.scale);
  result->flags |= kSimpleKeepOrientation | kSimpleKeepLengthUnits;
  result->flags |= (flags | other.flags) & (kSimpleKeepCentre | kSimpleCarriedFlags);
  return result;
}

void SimplePoly::Reflect(const SymGroup* group) {
  double u[3] = {1.0, 0.0, 0.0};
  // A model without a group is in no particular orientation: mirror in x.
  if (group && !detail_SimplePolyOps::IsIdentity(group->orientation)) CopyVector(u, group->orientation);
  auto mirror = [&u](double* p) {
    double step[3];
    corvia::Scale(step, u, 2.0 * Dot(p, u));
    Subtract(p, p, step);
  };
  for (SimpleVert& v : mVerts) mirror(v.pos);
  for (SimpleFace& f : mFaces) {
    if (f.HasNormal()) mirror(f.normal);
  }
  SetSymmetry(nullptr);
  RebuildVertexSearch();
}

std::unique_ptr<SimplePoly> SimplePoly::CreateDual(double radius) {
  if (NumVerts() == 0 && NumFaces() == 0) return nullptr;
  const double r2 = radius * radius;
  CalcFaceNormals(false);
  CreateVertexFaceLists(true);
  // The dual's faces need the faces round each vertex in cyclic order; where the
  // quick walk fails (separate fans at a vertex) the full sort splits the vertex.
  if (!SimpleSortVertFaces()) {
    CreateVertexFaceLists(true);
    if (!SortVertFaces(symmetry.get())) return nullptr;
  }
  ClearFaceImageCopies();

  const int liveFaces = CountFacesWithoutFlags(kSimpleTemp);
  int liveVerts = 0;
  for (const SimpleVert& v : mVerts) {
    if (!v.IsTemp()) ++liveVerts;
  }
  auto dual = std::make_unique<SimplePoly>(liveFaces, liveVerts);
  dual->flags |= flags & kSimpleCarriedFlags;

  std::vector<int32_t> dualVertOfFace(mFaces.size(), kNoIndex);
  int k = 0;
  for (int fi = 0; fi < NumFaces(); ++fi) {
    const SimpleFace& f = FaceAt(fi);
    if (f.IsTemp()) continue;
    SimpleVert& dv = dual->VertAt(k);
    double p[3] = {0, 0, 0};
    if (f.flags & kSimpleInfinite) {
      // A face at infinity is the pole of the origin.
    } else if (!f.HasNormal()) {
      // A face with no plane has no pole; it is put at the centre.
    } else if (f.Count() == 0) {
      const double ff = Dot(f.normal, f.normal);
      if (ff > 0.0 && !(f.flags & kSimpleCentralPlane)) {
        corvia::Scale(p, f.normal, r2 / ff);
      } else {
        CopyVector(p, f.normal);
        dv.flags |= kSimpleInfinite;
      }
    } else {
      const double d = Dot(f.VertAt(0).pos, f.normal);
      if ((f.flags & kSimpleCentralPlane) || std::fabs(d) <= kPointTolerance) {
        // A plane through the centre has its pole at infinity, along its normal.
        CopyVector(p, f.normal);
        dv.flags |= kSimpleInfinite;
      } else {
        corvia::Scale(p, f.normal, r2 / d);
      }
    }
    dv.SetPos(p);
    dv.color = f.color;
    dv.color2 = f.color2;
    dv.SetLabel(f.Label().c_str());
    dualVertOfFace[static_cast<size_t>(fi)] = k++;
  }

  k = 0;
  for (int vi = 0; vi < NumVerts(); ++vi) {
    const SimpleVert& v = VertAt(vi);
    if (v.IsTemp()) continue;
    SimpleFace& df = dual->FaceAt(k++);
    df.SetNumVerts(v.Count(), 1);
    if (v.IsInfinite()) {
      CopyVector(df.normal, v.pos);
      df.flags |= kSimpleCentralPlane;
    } else if (!detail_SimplePolyOps::IsZero(v.pos)) {
      if (v.Count() == 0) corvia::Scale(df.normal, v.pos, r2 / Dot(v.pos, v.pos));
    } else {
      df.normal[0] = df.normal[1] = df.normal[2] = 0.0;
      df.flags |= kSimpleInfinite;
    }
    df.color = v.color;
    df.color2 = v.color2;
    for (int i = 0; i < v.Count(); ++i) df.items[static_cast<size_t>(i)] = dualVertOfFace[static_cast<size_t>(v.items[static_cast<size_t>(i)])];
    df.SetLabel(v.Label().c_str());
  }
  return dual;
}

void SimplePoly::Dump() const {
  // Traces only, on no failure path: the whole model, written for a developer.
  DoNothing("\nSimplePoly '%s': %d verts, %d faces, scale %g\n", name.c_str(), NumVerts(), NumFaces(), scale);
  DoNothing("  Flags:%s%s%s%s%s%s\n", (flags & kSimpleHasVertFaceLists) ? " HasVertFaceLists," : "",
            (flags & kSimpleSortedFaceLists) ? " SortedFaceLists," : "", (flags & kSimpleWantNewColors) ? " WantNewColors," : "",
            (flags & kSimpleIsOk) ? " IsOk," : "", (flags & kSimpleKeepOrientation) ? " KeepOrientation," : "",
            (flags & kSimpleKeepCentre) ? " KeepCentre," : "");
  for (int i = 0; i < NumVerts(); ++i) {
    const SimpleVert& v = VertAt(i);
    DoNothing("    %d: (%g, %g, %g), id %d%s%s", i, v.pos[0], v.pos[1], v.pos[2], v.typeId,
              (v.flags & kSimpleDone) ? ", Done" : "", v.IsTemp() ? ", Temp" : "");
    DoNothing(", nextOfType %d, coinc %d, %d faces:", v.nextOfType, v.coinc, v.Count());
    for (int32_t f : v.items) DoNothing(" %d,", f);
    if (v.nextOfType < 0 || v.nextOfType >= NumVerts()) DoNothing(", BAD_TYPE_LIST!");
    if (v.coinc < 0 || v.coinc >= NumVerts()) DoNothing(", BAD_COINC_LIST!");
    DoNothing("\n");
  }
  for (int i = 0; i < NumFaces(); ++i) {
    const SimpleFace& f = FaceAt(i);
    DoNothing("    %d(%d)", i, f.Count());
    if (f.winding != 1) DoNothing("/%d", f.winding);
    DoNothing(" n(%.2g, %.2g, %.2g), id %d, Flags 0x%x%s%s", f.normal[0], f.normal[1], f.normal[2], f.typeId, f.flags,
              (f.flags & kSimpleDone) ? ", Done" : "", f.IsTemp() ? ", Temp" : "");
    if (f.rots != 1) DoNothing(", %d rots", f.rots);
    if (!f.Label().empty()) DoNothing(", \"%s\"", f.Label().c_str());
    if (f.nextOfType < 0 || f.nextOfType >= NumFaces()) DoNothing(", BAD_TYPE_LIST!");
    if (f.coinc < 0 || f.coinc >= NumFaces()) DoNothing(", BAD_COINC_LIST!");
    DoNothing("\n");
  }
  for (int i = 0; i < NumEdges(); ++i) {
    const SimpleEdge& e = EdgeAt(i);
    DoNothing("    %d: verts %d-%d, faces %d-%d\n", i, e.endA, e.endB, e.faceA, e.faceB);
  }
}

}  // namespace corvia
