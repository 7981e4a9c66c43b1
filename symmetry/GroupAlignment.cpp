#include "symmetry/GroupAlignment.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_GroupAlignment {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLowStart = 999999.9;

void Transpose3x3(double* out, const double* m) {
  double t[9];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) t[3 * c + r] = m[3 * r + c];
  }
  std::copy(t, t + 9, out);
}

// Unit quaternion (w, x, y, z) of a rotation matrix (column order).
void RotationToQuaternion(double* q, const double* m) {
  const double t = m[0] + m[4] + m[8] + 1;
  if (t > kPointTolerance) {
    const double s = 0.5 / std::sqrt(t);
    q[0] = 0.25 / s;
    q[1] = (m[5] - m[7]) * s;
    q[2] = (m[6] - m[2]) * s;
    q[3] = (m[1] - m[3]) * s;
    return;
  }
  if (m[0] > m[4] && m[0] > m[8]) {
    const double s = 2 * std::sqrt(1 + m[0] - m[4] - m[8]);
    q[1] = s / 4;
    q[2] = (m[1] + m[3]) / s;
    q[3] = (m[2] + m[6]) / s;
    q[0] = (m[5] - m[7]) / s;
  } else if (m[4] > m[8]) {
    const double s = 2 * std::sqrt(1 + m[4] - m[0] - m[8]);
    q[1] = (m[1] + m[3]) / s;
    q[2] = s / 4;
    q[3] = (m[5] + m[7]) / s;
    q[0] = (m[6] - m[2]) / s;
  } else {
    const double s = 2 * std::sqrt(1 + m[8] - m[0] - m[4]);
    q[1] = (m[2] + m[6]) / s;
    q[2] = (m[5] + m[7]) / s;
    q[3] = s / 4;
    q[0] = (m[1] - m[3]) / s;
  }
}

bool IsIdentity(const double* m) {
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 3; ++r) {
      const double v = m[3 * c + r];
      if (r == c ? (v < kUnitLow || v > kUnitHigh) : std::fabs(v) > kPointTolerance) return false;
    }
  }
  return true;
}

bool Normalise(double* v) {
  const double len = std::sqrt(Dot(v, v));
  if (!(len > 0) || !std::isfinite(len)) return false;
  Divide(v, v, len);
  return true;
}

// c is not parallel to a: with i the largest component of a, c differs from the
// multiple (c_i / a_i) a somewhere by more than the tolerance. An a without a
// usable component passes every c over.
bool OffAxis(const double* a, const double* c, double tolerance) {
  const int i = LargestAxis(a);
  if (std::fabs(a[i]) <= kPointTolerance) return false;
  const double t = c[i] / a[i];
  for (int j = 0; j < 3; ++j) {
    if (std::fabs(c[j] - t * a[j]) > tolerance) return true;
  }
  return false;
}

void SumCorners(const SimplePoly& poly, const SimpleFace& f, double* out) {
  out[0] = out[1] = out[2] = 0;
  for (int32_t v : f.items) {
    if (v >= 0 && v < poly.NumVerts()) AddTo(out, poly.VertAt(v).pos);
  }
}

// A direction perpendicular to a, taken from the vertex sum of the most-sided face
// whose centre is off the axis (the first of those on a tie), else a x e with e the
// coordinate axis along a's smallest component; normalised.
void SecondaryDirection(const SimplePoly& poly, const double* a, double* b, double tolerance) {
  double e[3] = {0, 0, 0};
  e[SmallestAxis(a)] = 1;
  Cross(b, a, e);
  int best = 0;
  for (int i = 0; i < poly.NumFaces(); ++i) {
    const SimpleFace& f = poly.FaceAt(i);
    if (f.IsTemp() || f.Count() <= best) continue;
    double c[3];
    SumCorners(poly, f, c);
    if (OffAxis(a, c, tolerance)) {
      CopyVector(b, c);
      best = f.Count();
    }
  }
  double along[3];
  Scale(along, a, Dot(b, a));
  Subtract(b, b, along);
  Normalise(b);
}

// Single-axis rule: the wider end of the model along a (or, on a tie, the end
// nearer the centre) goes to the negative side, so a may be negated.
void OrientSingleAxis(const SimplePoly& poly, double* a, double tolerance) {
  double sMin = kLowStart, sMax = -kLowStart, wMin = 0, wMax = 0;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    const SimpleVert& v = poly.VertAt(i);
    if (v.IsTemp()) continue;
    const double s = Dot(a, v.pos);
    const double w = Dot(v.pos, v.pos) - s * s;
    if (s < sMin + tolerance) {
      if (s < sMin - tolerance) wMin = 0;
      sMin = s;
      wMin = std::max(wMin, w);
    }
    if (s > sMax - tolerance) {
      if (s > sMax + tolerance) wMax = 0;
      sMax = s;
      wMax = std::max(wMax, w);
    }
  }
  if (wMax > wMin + tolerance || (wMax > wMin - tolerance && -sMin > sMax)) Negate(a);
}

// A line of the group: an axis with its fold, or a mirror normal (fold 0).
struct GroupLine {
  int32_t fold;
  const double* direction;
};

std::vector<GroupLine> LinesOf(const SymGroup& group) {
  std::vector<GroupLine> lines;
  for (int t = 0; t < group.numAxisTypes; ++t) {
    const SymAxisType& type = group.axisTypes[t];
    for (int i = 0; i < type.numAxes; ++i) lines.push_back({std::abs(type.fold), type.axes[i].direction});
  }
  for (int k = 0; k < group.mirrorPlanes.count; ++k) lines.push_back({0, group.mirrorPlanes[k].direction});
  return lines;
}

// The line of the group of that fold along d (either way, within the tolerance per
// component), turned to d's side; false when there is none.
bool LineAlong(const std::vector<GroupLine>& lines, int32_t fold, const double* d, double tolerance, double* out) {
  for (const GroupLine& line : lines) {
    if (line.fold != fold) continue;
    if (NearlyEqual(line.direction, d, tolerance)) {
      CopyVector(out, line.direction);
      return true;
    }
    if (NearlyOpposite(line.direction, d, tolerance)) {
      NegateInto(out, line.direction);
      return true;
    }
  }
  return false;
}

// The columns a, a x b and a x (a x b), normalised.
void FrameOf(double* frame, const double* a, const double* b) {
  double c[3], d[3];
  Cross(c, a, b);
  Normalise(c);
  Cross(d, a, c);
  MatrixFromColumns(frame, a, c, d);
}

// Whether turning the group by m^T would give the group itself but for a turn within
// the tolerance: some rotation N carries the group's lines onto its lines, each onto
// one of its own fold, and N^T m, the turn that remains, lies within the tolerance of
// the identity (per entry). That turn is given. False for a group without lines, and
// for a turn of no more than rounding: the model lies in the group's orientation, and
// the group is turned by m^T onto it as found.
bool TurnWithinOwnLines(const std::vector<GroupLine>& lines, const double* m, double tolerance, double* turn) {
  if (lines.empty()) return false;
  const GroupLine& a = lines.front();
  double image[3], aImage[3];
  MatrixTimesVector(m, image, a.direction);
  if (!LineAlong(lines, a.fold, image, tolerance, aImage)) return false;
  // N: a and a second line across it to where m nearly takes them; about a single line
  // the group turns freely, and N is m put right the shortest way onto the line.
  double n[9];
  const GroupLine* b = nullptr;
  for (const GroupLine& line : lines) {
    if (!NearlyEqual(a.direction, line.direction, kAxisTolerance) &&
        !NearlyOpposite(a.direction, line.direction, kAxisTolerance)) {
      b = &line;
      break;
    }
  }
  if (b) {
    double bImage[3], from[9], to[9], back[9];
    MatrixTimesVector(m, image, b->direction);
    if (!LineAlong(lines, b->fold, image, tolerance, bImage)) return false;
    FrameOf(from, a.direction, b->direction);
    FrameOf(to, aImage, bImage);
    Transpose3x3(back, from);
    MatrixTimesMatrix(n, to, back);
  } else {
    // The rotation about image x aImage that takes image onto aImage, then m.
    double k[3], r[9];
    Cross(k, image, aImage);
    const double c = Dot(image, aImage);
    const double kx[9] = {0, k[2], -k[1], -k[2], 0, k[0], k[1], -k[0], 0};
    double kx2[9];
    MatrixTimesMatrix(kx2, kx, kx);
    for (int j = 0; j < 9; ++j) r[j] = (j % 4 == 0 ? 1.0 : 0.0) + kx[j] + kx2[j] / (1 + c);
    MatrixTimesMatrix(n, r, m);
  }
  // N must carry every line onto one of the group's.
  for (const GroupLine& line : lines) {
    double carried[3], found[3];
    MatrixTimesVector(n, carried, line.direction);
    if (!LineAlong(lines, line.fold, carried, kAxisTolerance, found)) return false;
  }
  double nt[9];
  Transpose3x3(nt, n);
  MatrixTimesMatrix(turn, nt, m);
  double off = 0;
  for (int j = 0; j < 9; ++j) off = std::max(off, std::fabs(turn[j] - (j % 4 == 0 ? 1.0 : 0.0)));
  return off <= tolerance && off > kSymmetrisedTolerance;
}

// Every vertex and face normal of the model turned by m, however little it turns.
void TurnPoints(SimplePoly& poly, const double* m) {
  for (int i = 0; i < poly.NumVerts(); ++i) {
    SimpleVert& v = poly.VertAt(i);
    MatrixTimesVector(m, v.pos, v.pos);
  }
  for (int i = 0; i < poly.NumFaces(); ++i) {
    SimpleFace& f = poly.FaceAt(i);
    if (f.HasNormal()) MatrixTimesVector(m, f.normal, f.normal);
  }
  poly.RebuildVertexSearch();
}

}  // namespace detail_GroupAlignment

void AddCandidateAxis(SymAxisList& axes, int32_t fold, const double* dir) {
  SymCandidateAxis rec;
  rec.fold = fold;
  CopyVector(rec.dir, dir);
  auto it = std::find_if(axes.begin(), axes.end(), [fold](const SymCandidateAxis& a) { return a.fold <= fold; });
  axes.insert(it, rec);
}

bool AxisListHasDirection(const SymAxisList& axes, const double* dir, double tolerance) {
  for (const SymCandidateAxis& a : axes) {
    if (NearlyEqual(a.dir, dir, tolerance) || NearlyOpposite(a.dir, dir, tolerance)) return true;
  }
  return false;
}

void SimplePoly::Rotate(const double* m) {
  namespace d = detail_GroupAlignment;
  if (d::IsIdentity(m)) return;
  d::TurnPoints(*this, m);
  if (symmetry) symmetry->Rotate(m);
}

namespace detail_GroupAlignment {

// The little turn that lines a model keeping its orientation up with the group in its
// standard orientation, where m turns the group onto itself there but for a turn
// within the tolerance; false when the model is not turned a little. `back` receives
// the turn that puts the group back in its standard orientation.
bool SmallTurnOntoGroup(const SimplePoly& poly, const SymGroup& group, const double* m, double tolerance, double* small,
                        double* back) {
  if (!(poly.flags & kSimpleKeepOrientation)) return false;
  // A group already turned onto the model is measured from where it started: its
  // lines are the model's, as exact as its points, and lining the model up with them
  // would gain nothing.
  double standardTurn[9];
  Transpose3x3(back, group.orientation);
  MatrixTimesMatrix(standardTurn, back, m);
  std::vector<std::array<double, 3>> standard;
  std::vector<GroupLine> lines = LinesOf(group);
  standard.reserve(lines.size());
  for (GroupLine& line : lines) {
    standard.push_back({});
    MatrixTimesVector(back, standard.back().data(), line.direction);
    line.direction = standard.back().data();
  }
  return TurnWithinOwnLines(lines, standardTurn, tolerance, small);
}

}  // namespace detail_GroupAlignment

bool TurnsModelALittle(const SimplePoly& poly, const SymGroup& group, const double* m, double tolerance) {
  double small[9], back[9];
  return detail_GroupAlignment::SmallTurnOntoGroup(poly, group, m, tolerance, small, back);
}

void TurnModelOrGroup(SimplePoly& poly, SimplePoly* hull, SymGroup& group, const double* m, double tolerance) {
  namespace d = detail_GroupAlignment;
  if (poly.flags & kSimpleKeepOrientation) {
    // m turns the group onto itself in its standard orientation but for a turn within
    // the tolerance: the model lies in that orientation as far as its points are known,
    // and is turned the little way onto it, the group put back in it. Turned the other
    // way by so little, the group's axes would stand off the model's axes of
    // coordinates by about the model's error, and symmetric points would no longer
    // have their zeros and equal coordinates.
    double small[9], back[9];
    if (d::SmallTurnOntoGroup(poly, group, m, tolerance, small, back)) {
      // A turn this small is below what Rotate takes for a turn at all.
      d::TurnPoints(poly, small);
      if (hull) d::TurnPoints(*hull, small);
      group.Rotate(back);
      return;
    }
    double t[9];
    d::Transpose3x3(t, m);
    group.Rotate(t);
    return;
  }
  poly.Rotate(m);
  if (hull) hull->Rotate(m);
}

std::unique_ptr<SymGroup> AlignSymmetries(SimplePoly& poly, SimplePoly& hull, const SymAxisList& axes, double tolerance,
                                          bool* inconsistent) {
  namespace d = detail_GroupAlignment;
  if (axes.empty()) {
    poly.ResetIndices();
    return CreateSymGroup(kSymGroupNone, 1);
  }

  // 1. The group from the highest fold and how many axes have it.
  const int32_t top = axes[0].fold;
  int c = 0;
  while (c < static_cast<int>(axes.size()) && axes[static_cast<size_t>(c)].fold == top) ++c;
  const int rest = c < static_cast<int>(axes.size()) ? c : -1;
  std::unique_ptr<SymGroup> group;
  int secondary = -1;
  if (top > 2 && c > 1) {
    int32_t type = -1;
    if (top == 5) type = kSymGroupIcosahedral;
    if (top == 4) type = kSymGroupOctahedral;
    if (top == 3) type = kSymGroupTetrahedral;
    if (type < 0) {
      if (inconsistent) {
        *inconsistent = true;
        return nullptr;
      }
      ShowInternalError("Symmetry group has %d axes with %d rots", c, top);
      return nullptr;
    }
    group = CreateSymGroup(type, 1);
    secondary = rest;
  } else if (rest < 0 && c != 3) {
    group = CreateSymGroup(kSymGroupPyramidal, top);
  } else {
    group = CreateSymGroup(kSymGroupDihedral, top);
    secondary = 1;
  }

  // 2. The axes found must be exactly the group's axes, fold by fold. An axis of a
  // fold the group does not have is a mismatch as well.
  size_t cursor = 0;
  bool mismatch = false;
  for (int t = 0; t < group->numAxisTypes; ++t) {
    const SymAxisType& type = group->axisTypes[static_cast<size_t>(t)];
    if (type.oppositeEnds) continue;
    int expected = type.numAxes;
    while (t + 1 < group->numAxisTypes && group->axisTypes[static_cast<size_t>(t + 1)].fold == type.fold) {
      ++t;
      const SymAxisType& same = group->axisTypes[static_cast<size_t>(t)];
      if (!same.oppositeEnds) expected += same.numAxes;
    }
    while (cursor < axes.size() && axes[cursor].fold == type.fold) {
      ++cursor;
      --expected;
    }
    if (expected != 0) mismatch = true;
  }
  if (cursor != axes.size()) mismatch = true;
  if (mismatch && inconsistent) {
    *inconsistent = true;
    return nullptr;
  }
  if (mismatch) {
    ShowInternalError("Failed to find symmetry group.\nResorting to no symmetry.");
    poly.ResetIndices();
    return CreateSymGroup(kSymGroupNone, 1);
  }

  // 3. The model's direction pair (a, b) and the group's (g, h).
  double a[3], b[3], g[3], h[3];
  CopyVector(a, axes[0].dir);
  d::Normalise(a);
  CopyVector(g, group->axisTypes[0].axes[0].direction);
  bool matched = false;
  if (secondary >= 0) {
    const SymCandidateAxis& sec = axes[static_cast<size_t>(secondary)];
    CopyVector(b, sec.dir);
    d::Normalise(b);
    const double dotAB = Dot(a, b);
    for (int t = 0; t < group->numAxisTypes && !matched; ++t) {
      const SymAxisType& type = group->axisTypes[static_cast<size_t>(t)];
      if (type.fold != sec.fold) continue;
      for (int i = 0; i < type.numAxes; ++i) {
        const double* x = type.axes[static_cast<size_t>(i)].direction;
        const double gx = Dot(g, x);
        if (std::fabs(gx - dotAB) <= tolerance) {
          CopyVector(h, x);
        } else if (std::fabs(-gx - dotAB) <= tolerance) {
          NegateInto(h, x);
        } else {
          continue;
        }
        matched = true;
        break;
      }
    }
    if (!matched && inconsistent) {
      *inconsistent = true;
      return nullptr;
    }
    if (!matched) ShowInternalError("Couldn't find matching axes");
  }
  if (!matched) {
    h[0] = 0;
    h[1] = 0;
    h[2] = 1;
    d::OrientSingleAxis(poly, a, tolerance);
    d::SecondaryDirection(poly, a, b, tolerance);
  }

  // 4. R takes a to g and the half-plane of b to that of h.
  double c1[3], d1[3], c2[3], d2[3];
  Cross(c1, g, h);
  d::Normalise(c1);
  Cross(d1, g, c1);
  Cross(c2, a, b);
  d::Normalise(c2);
  Cross(d2, a, c2);
  double r[9];
  for (int col = 0; col < 3; ++col) {
    for (int row = 0; row < 3; ++row) r[3 * col + row] = g[row] * a[col] + c1[row] * c2[col] + d1[row] * d2[col];
  }

  // 5. A rotation that is one of the group's own leaves the model as it is.
  double q[4];
  d::RotationToQuaternion(q, r);
  const double w = std::clamp(q[0], -1.0, 1.0);
  const double angle = 2 * std::acos(w);
  const double s = std::sqrt(std::max(0.0, 1 - w * w));
  double axis[3] = {q[1], q[2], q[3]};
  if (std::fabs(s) > kPointTolerance) Divide(axis, axis, s);
  const SymAxisType* type = group->FindAxisTypeOfDirection(axis);
  if (type) {
    double f = type->fold * angle / (2 * d::kPi);
    if (group->type == kSymGroupTetrahedral && type->fold == 2) f *= 2;
    const double rounded = f < 0 ? std::ceil(f - 0.5) : std::floor(f + 0.5);
    if (std::fabs(f - rounded) <= kPointTolerance) return group;
  }

  // 6. Turn the model (or the group onto the model).
  TurnModelOrGroup(poly, &hull, *group, r, tolerance);
  return group;
}

void AlignModelWithNoSymmetry(SimplePoly& poly, SimplePoly& hull, SymGroup& group, bool hasPlane, const double* normal,
                              double tolerance) {
  namespace d = detail_GroupAlignment;
  double a[3] = {0, 1, 0};
  if (hasPlane && group.reflectionType != kReflectionCentral && normal) {
    CopyVector(a, normal);
  } else {
    // The model rests on its largest hull face.
    double bestArea = -1;
    for (int i = 0; i < hull.NumFaces(); ++i) {
      const SimpleFace& f = hull.FaceAt(i);
      if (f.IsTemp() || f.Count() < 3 || !f.HasNormal()) continue;
      double v[3] = {0, 0, 0};
      const double* p0 = hull.VertAt(f.items[0]).pos;
      for (int k = 2; k < f.Count(); ++k) {
        double e1[3], e2[3], cr[3];
        Subtract(e1, hull.VertAt(f.items[static_cast<size_t>(k - 1)]).pos, p0);
        Subtract(e2, hull.VertAt(f.items[static_cast<size_t>(k)]).pos, p0);
        Cross(cr, e1, e2);
        AddTo(v, cr);
      }
      const double area2 = Dot(v, v);
      if (area2 > bestArea) {
        bestArea = area2;
        NegateInto(a, f.normal);
      }
    }
  }
  if (!d::Normalise(a)) return;
  double b[3], c[3], dd[3];
  d::SecondaryDirection(poly, a, b, tolerance);
  Cross(c, a, b);
  d::Normalise(c);
  Cross(dd, a, c);
  double minusD[3];
  NegateInto(minusD, dd);
  double r[9];
  MatrixFromRows(r, c, a, minusD);
  TurnModelOrGroup(poly, &hull, group, r, tolerance);
}

}  // namespace corvia
