#include "symmetry/Symmetrise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "symmetry/RotationAxes.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_Symmetrise {

using Matrix = std::array<double, 9>;
using Point = std::array<double, 3>;

// Entries of two operations of a group differ by far more than this unless they are
// one operation.
constexpr double kSameOperation = 1e-9;

constexpr uint32_t kNotAPoint = kSimpleTemp | kSimpleInfinite;

// Coordinates of an orbit's places moved out from 0 one at a time, at most this often.
constexpr int kMostMovesOut = 8;

// The group's operations, each once.
std::vector<Matrix> DistinctOperations(const SymGroup& group, bool improper) {
  std::vector<Matrix> ops;
  SymOperationIterator it;
  Matrix m;
  while (GetNextSymmetryOperation(&group, it, true, m.data(), improper)) {
    bool known = false;
    for (const Matrix& o : ops) {
      known = true;
      for (int j = 0; j < 9 && known; ++j)
        known = std::fabs(o[static_cast<size_t>(j)] - m[static_cast<size_t>(j)]) <= kSameOperation;
      if (known) break;
    }
    if (!known) ops.push_back(m);
  }
  return ops;
}

// m^T v: an orthogonal operation undone.
void TransposeTimes(const Matrix& m, double* out, const double* v) {
  double r[3];
  for (int row = 0; row < 3; ++row) r[row] = Dot(&m[static_cast<size_t>(3 * row)], v);
  CopyVector(out, r);
}

// Solves a x = b for a symmetric 3x3 a; false when a is (nearly) singular.
bool Solve3(const double a[3][3], const double* b, double* x) {
  const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                     a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                     a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  const double scale = a[0][0] + a[1][1] + a[2][2];
  if (!(std::fabs(det) > kVanishingTolerance * scale * scale * scale)) return false;
  for (int c = 0; c < 3; ++c) {
    double m[3][3];
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) m[i][j] = j == c ? b[i] : a[i][j];
    }
    x[c] = (m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
            m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0])) /
           det;
  }
  return true;
}

// The largest coordinate of how far each vertex lies from its new place, once the
// small turn w (x -> x + w cross x) that brings the new places nearest the old is
// taken out: a model turned a little off the group's axes (its axes were found from
// inexact points) is no further from the group for that.
double DepartureAfterBestTurn(const SimplePoly& poly, const std::vector<Point>& target,
                              const std::vector<uint8_t>& placed) {
  double inertia[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  double moment[3] = {0, 0, 0};
  for (int i = 0; i < poly.NumVerts(); ++i) {
    if (!placed[static_cast<size_t>(i)]) continue;
    const double* q = target[static_cast<size_t>(i)].data();
    double d[3], qd[3];
    Subtract(d, poly.VertAt(i).pos, q);
    Cross(qd, q, d);
    AddTo(moment, qd);
    const double qq = Dot(q, q);
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) inertia[r][c] += (r == c ? qq : 0.0) - q[r] * q[c];
    }
  }
  double w[3] = {0, 0, 0};
  if (!Solve3(inertia, moment, w)) w[0] = w[1] = w[2] = 0;
  double worst = 0;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    if (!placed[static_cast<size_t>(i)]) continue;
    const double* q = target[static_cast<size_t>(i)].data();
    double d[3], turn[3];
    Subtract(d, poly.VertAt(i).pos, q);
    Cross(turn, w, q);
    for (int k = 0; k < 3; ++k) worst = std::max(worst, std::fabs(d[k] - turn[k]));
  }
  return worst;
}

// The places of one orbit: the mean of its representative and, for each vertex of the
// orbit, the operation that carries the mean there (-1: the mean itself); and the mean
// of the operations that carry the representative to its own place, which takes a
// point to the nearest point that they all fix.
struct Orbit {
  Point mean;
  std::vector<std::pair<int32_t, int32_t>> places;
  Matrix fixing;
};

// The largest coordinate of how far a vertex lies from its new place.
double LargestMove(const SimplePoly& poly, const std::vector<Point>& target, const std::vector<uint8_t>& placed) {
  double moved = 0;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    if (!placed[static_cast<size_t>(i)]) continue;
    const double* p = poly.VertAt(i).pos;
    const double* q = target[static_cast<size_t>(i)].data();
    for (int k = 0; k < 3; ++k) moved = std::max(moved, std::fabs(p[k] - q[k]));
  }
  return moved;
}

// The place the operation carries the point to (the point itself for -1).
void ImageOf(const std::vector<Matrix>& ops, int32_t op, const double* p, double* out) {
  if (op < 0) {
    CopyVector(out, p);
  } else {
    MatrixTimesVector(ops[static_cast<size_t>(op)].data(), out, p);
  }
}

// A coordinate that the built model takes as 0 (within zeroTolerance of it) and that
// is not 0 to rounding.
bool TakenAsZero(double c, double zeroTolerance) {
  return std::fabs(c) > kSymmetrisedTolerance && std::fabs(c) <= zeroTolerance;
}

// Row k of the operation (the identity for -1): (m x)_k = row . x. With `fixing`, the
// mean F of the operations that fix the orbit's mean, F^T row: the coordinate as it
// changes where the mean stays fixed by them.
void RowOf(const std::vector<Matrix>& ops, int32_t op, int k, const Matrix* fixing, double* row) {
  for (int j = 0; j < 3; ++j) {
    double unit[3] = {0, 0, 0}, image[3];
    unit[j] = 1;
    ImageOf(ops, op, unit, image);
    row[j] = image[k];
  }
  if (!fixing) return;
  double fixedRow[3];
  for (int j = 0; j < 3; ++j) {
    double unit[3] = {0, 0, 0}, column[3];
    unit[j] = 1;
    MatrixTimesVector(fixing->data(), column, unit);
    fixedRow[j] = Dot(column, row);
  }
  CopyVector(row, fixedRow);
}

// Row minus its parts along the orthonormal basis, made a unit vector; false when
// nearly nothing is left.
bool UnitBeyond(double* row, const double basis[3][3], int count, double* length) {
  for (int b = 0; b < count; ++b) {
    double along[3];
    Scale(along, basis[b], Dot(row, basis[b]));
    Subtract(row, row, along);
  }
  *length = std::sqrt(Dot(row, row));
  if (*length <= kAxisTolerance) return false;
  Divide(row, row, *length);
  return true;
}

// A coordinate of a place of the orbit that the built model would take as 0: its
// operation and axis.
struct NearZero {
  int32_t op;
  int k;
  double value;
};

bool FirstNearZero(const Orbit& orbit, const std::vector<Matrix>& ops, const double* mean, double zeroTolerance,
                   NearZero* found) {
  for (const auto& place : orbit.places) {
    double q[3];
    ImageOf(ops, place.second, mean, q);
    for (int k = 0; k < 3; ++k) {
      if (!TakenAsZero(q[k], zeroTolerance)) continue;
      *found = {place.second, k, q[k]};
      return true;
    }
  }
  return false;
}

// The mean moved, where the operations that fix it still fix it, so that no coordinate
// of its places is one the built model would take as 0: such a coordinate is made 0
// where that moves the mean no further than `tolerance`, or else moved out to twice
// zeroTolerance from 0, the zeros already made kept. False when that cannot be done.
bool ZerosKeepingTheGroup(const Orbit& orbit, const std::vector<Matrix>& ops, double zeroTolerance, double tolerance,
                          bool makeZeros, double* mean) {
  // The unit vectors along which the mean may no longer move: its products with
  // them are the coordinates made 0.
  double basis[3][3];
  int count = 0;
  CopyVector(mean, orbit.mean.data());
  for (const auto& place : orbit.places) {
    for (int k = 0; k < 3 && count < 3 && makeZeros; ++k) {
      double q[3], row[3], length = 0;
      ImageOf(ops, place.second, mean, q);
      if (!TakenAsZero(q[k], zeroTolerance)) continue;
      RowOf(ops, place.second, k, &orbit.fixing, row);
      if (!UnitBeyond(row, basis, count, &length)) continue;
      double moved[3], along[3];
      Scale(along, row, Dot(mean, row));
      Subtract(moved, mean, along);
      if (!NearlyEqual(moved, orbit.mean.data(), tolerance)) continue;
      CopyVector(mean, moved);
      CopyVector(basis[count++], row);
    }
  }
  // What could not be made 0 is moved out, one coordinate at a time.
  NearZero left;
  for (int step = 0; step < kMostMovesOut && FirstNearZero(orbit, ops, mean, zeroTolerance, &left); ++step) {
    double row[3], length = 0;
    RowOf(ops, left.op, left.k, &orbit.fixing, row);
    if (!UnitBeyond(row, basis, count, &length)) return false;
    double out[3];
    Scale(out, row, (std::copysign(2 * zeroTolerance, left.value) - left.value) / length);
    AddTo(mean, out);
  }
  return !FirstNearZero(orbit, ops, mean, zeroTolerance, &left) && NearlyEqual(mean, orbit.mean.data(), tolerance);
}

// The mean moved the shortest way to where each coordinate of its places that the
// built model would take as 0 is 0 (three at most), whatever the operations that fix
// it; false when that moves it further than `tolerance`.
bool ZerosFirst(const Orbit& orbit, const std::vector<Matrix>& ops, const std::vector<Point>& target,
                double zeroTolerance, double tolerance, double* mean) {
  double basis[3][3];
  int count = 0;
  for (const auto& [vertex, op] : orbit.places) {
    const double* q = target[static_cast<size_t>(vertex)].data();
    for (int k = 0; k < 3 && count < 3; ++k) {
      if (!TakenAsZero(q[k], zeroTolerance)) continue;
      double row[3], length = 0;
      RowOf(ops, op, k, nullptr, row);
      if (UnitBeyond(row, basis, count, &length)) CopyVector(basis[count++], row);
    }
  }
  CopyVector(mean, orbit.mean.data());
  for (int b = 0; b < count; ++b) {
    double along[3];
    Scale(along, basis[b], Dot(mean, basis[b]));
    Subtract(mean, mean, along);
  }
  return NearlyEqual(mean, orbit.mean.data(), tolerance);
}

// The built model takes a coordinate within zeroTolerance of 0 as 0, and so does the
// analysis of a model read back: the places of the orbit are given coordinates that
// it keeps, so that what is built is still exactly invariant and the same points read
// back are left as they are. The mean moves only where the operations that fix it
// still fix it (along their axis, within their mirror), each place staying the image
// of the mean under every operation that leads there. Where zeros made there leave
// others that cannot be made 0 (an axis nearly in a plane of coordinates, its orbit
// with more such coordinates than the mean has directions) every one is moved out
// instead; where that cannot be done either (a mirror nearly in a plane of
// coordinates holds a vertex near it) the zeros come first. An orbit that would move
// further than `tolerance` keeps its places.
void KeepZeros(Orbit& orbit, const std::vector<Matrix>& ops, std::vector<Point>& target, double zeroTolerance,
               double tolerance) {
  NearZero any;
  if (!FirstNearZero(orbit, ops, orbit.mean.data(), zeroTolerance, &any)) return;
  double mean[3];
  if (!ZerosKeepingTheGroup(orbit, ops, zeroTolerance, tolerance, true, mean) &&
      !ZerosKeepingTheGroup(orbit, ops, zeroTolerance, tolerance, false, mean) &&
      !ZerosFirst(orbit, ops, target, zeroTolerance, tolerance, mean)) {
    return;
  }
  for (const auto& [vertex, op] : orbit.places) ImageOf(ops, op, mean, target[static_cast<size_t>(vertex)].data());
}

}  // namespace detail_Symmetrise

SymmetriseOutcome SymmetriseVertices(SimplePoly& poly, const SymGroup& group, bool improper, double searchTolerance,
                                     double tolerance, double zeroTolerance, bool zerosOfExactModel) {
  namespace d = detail_Symmetrise;
  const std::vector<d::Matrix> ops = d::DistinctOperations(group, improper);
  const int n = poly.NumVerts();
  std::vector<d::Point> target(static_cast<size_t>(n));
  std::vector<uint8_t> placed(static_cast<size_t>(n), 0);
  std::vector<int32_t> images(ops.size());
  std::vector<d::Orbit> orbits;
  const VertexLocator locator(poly, searchTolerance);
  for (int r = 0; r < n; ++r) {
    const SimpleVert& rep = poly.VertAt(r);
    if ((rep.flags & d::kNotAPoint) || placed[static_cast<size_t>(r)]) continue;
    // The orbits of a large model take a while (each a search for every operation):
    // the progress window keeps answering.
    (void)ProgressTick();
    // The mean of the images carried back is fixed by every operation that fixes the
    // vertex, so its images under the operations are the orbit's exact places.
    double mean[3] = {0, 0, 0};
    for (size_t g = 0; g < ops.size(); ++g) {
      double p[3], at[3];
      MatrixTimesVector(ops[g].data(), p, rep.pos);
      const int32_t w = locator.FindFirst(p, d::kNotAPoint, at);
      if (w < 0) {
        return SymmetriseOutcome::kRefused;
      }
      images[g] = w;
      // The position the locator read is the vertex's: nothing moves before the end.
      double back[3];
      d::TransposeTimes(ops[g], back, at);
      AddTo(mean, back);
    }
    Divide(mean, mean, static_cast<double>(ops.size()));
    // The vertex itself: where several vertices share a place the search finds only
    // the first, and the others come here in turn.
    d::Orbit orbit;
    CopyVector(orbit.mean.data(), mean);
    const int32_t own = locator.FindFirst(rep.pos, d::kNotAPoint);
    int fixing = 0;
    orbit.fixing.fill(0.0);
    for (size_t g = 0; g < ops.size(); ++g) {
      if (images[g] != own) continue;
      for (size_t j = 0; j < 9; ++j) orbit.fixing[j] += ops[g][j];
      ++fixing;
    }
    for (double& entry : orbit.fixing) entry /= static_cast<double>(std::max(fixing, 1));
    orbit.places.push_back({r, -1});
    CopyVector(target[static_cast<size_t>(r)].data(), mean);
    placed[static_cast<size_t>(r)] = 1;
    for (size_t g = 0; g < ops.size(); ++g) {
      const size_t w = static_cast<size_t>(images[g]);
      double q[3];
      MatrixTimesVector(ops[g].data(), q, mean);
      if (placed[w]) {
        // Operations that fix the vertex agree up to rounding; an image reached from
        // two places that differ is a search that went astray.
        if (!NearlyEqual(target[w].data(), q, tolerance)) {
          return SymmetriseOutcome::kRefused;
        }
        continue;
      }
      CopyVector(target[w].data(), q);
      placed[w] = 1;
      orbit.places.push_back({images[g], static_cast<int32_t>(g)});
    }
    orbits.push_back(std::move(orbit));
  }

  if (d::LargestMove(poly, target, placed) <= kSymmetrisedTolerance && !zerosOfExactModel) {
    return SymmetriseOutcome::kExact;
  }
  if (d::DepartureAfterBestTurn(poly, target, placed) > tolerance) return SymmetriseOutcome::kRefused;
  // A coordinate within zeroTolerance of 0 is 0 once the model is built from these
  // points: the orbit keeps it 0 in every place, so that what is built is still the
  // group's, and the same points read back are left as they are.
  for (d::Orbit& orbit : orbits) d::KeepZeros(orbit, ops, target, zeroTolerance, tolerance);
  if (d::LargestMove(poly, target, placed) <= kSymmetrisedTolerance) return SymmetriseOutcome::kExact;
  for (int i = 0; i < n; ++i) {
    if (placed[static_cast<size_t>(i)]) CopyVector(poly.VertAt(i).pos, target[static_cast<size_t>(i)].data());
  }
  (void)ProgressTick();
  poly.RebuildVertexSearch();
  return SymmetriseOutcome::kMoved;
}

}  // namespace corvia
