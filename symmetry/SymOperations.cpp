#include "symmetry/SymOperations.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"

namespace corvia {

uint32_t StellationOptions = 0;

namespace detail_SymOperations {

void SetIdentity(double* m) {
  for (int j = 0; j < 9; ++j) m[j] = (j % 4 == 0) ? 1.0 : 0.0;
}

// The operations of the groups here are permutations, quarter and half turns and
// the like: entries that should be 0, +-1/2 or +-1 but come out a few units in
// the last place off after the frame products are made exactly that, so that a
// point on a symmetry element maps exactly onto one again.
void SnapExactEntries(double* m) {
  static constexpr double kExactValues[] = {0.0, 0.5, -0.5, 1.0, -1.0};
  for (int j = 0; j < 9; ++j) {
    for (double value : kExactValues) {
      if (std::fabs(m[j] - value) <= kExactEntryTolerance) {
        m[j] = value;
        break;
      }
    }
  }
}

bool Normalise(double* out, const double* v) {
  double length = std::sqrt(Dot(v, v));
  if (length == 0.0) return false;
  Divide(out, v, length);
  return true;
}

// I - 2 n n^T for a unit normal n.
void PlaneReflection(double* m, const double* n) {
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 3; ++r) m[3 * c + r] = (r == c ? 1.0 : 0.0) - 2.0 * n[r] * n[c];
  }
}

int FirstFold(const SymGroup& group) {
  return group.numAxisTypes > 0 ? group.axisTypes[0].fold : 1;
}

const double* FirstAxisDirection(const SymGroup& group) {
  if (group.numAxisTypes <= 0 || group.axisTypes[0].numAxes <= 0) return nullptr;
  return group.axisTypes[0].axes[0].direction;
}

bool IsChiral(const SymGroup* group) {
  return group == nullptr || group->reflectionType == kReflectionChiral;
}

// What the rotations of the group are built from, in the order of the cache key.
template <typename Visit>
void VisitAxesKey(const SymGroup& group, Visit&& visit) {
  for (int t = 0; t < group.numAxisTypes; ++t) {
    const SymAxisType& axisType = group.axisTypes[t];
    visit(axisType.fold);
    visit(axisType.numAxes);
    visit(axisType.oppositeEnds);
    for (int a = 0; a < axisType.numAxes; ++a) {
      for (double c : axisType.axes[a].direction) visit(c);
    }
  }
}

// The group's rotation matrices, built again only when its axes have changed since.
const SymOperationCache& RotationsOf(const SymGroup& group) {
  SymOperationCache& cache = group.mOperationCache;
  size_t k = 0;
  bool same = !cache.firstOfType.empty() || group.numAxisTypes <= 0;
  VisitAxesKey(group, [&](double value) {
    same = same && k < cache.axesKey.size() && cache.axesKey[k] == value;
    ++k;
  });
  if (same && k == cache.axesKey.size()) return cache;
  cache.axesKey.clear();
  VisitAxesKey(group, [&](double value) { cache.axesKey.push_back(value); });
  cache.firstOfType.assign(static_cast<size_t>(std::max(group.numAxisTypes, 0)), 0);
  cache.rotations.clear();
  cache.hasImproper = false;
  cache.improperOperations.clear();
  for (int t = 0; t < group.numAxisTypes; ++t) {
    const SymAxisType& axisType = group.axisTypes[t];
    cache.firstOfType[static_cast<size_t>(t)] = static_cast<int32_t>(cache.rotations.size());
    if (axisType.oppositeEnds) continue;
    for (int a = 0; a < axisType.numAxes; ++a) {
      for (int step = 1; step < axisType.fold; ++step) {
        cache.rotations.emplace_back();
        SymmetryRotationMatrix(cache.rotations.back().data(), axisType.axes[a].direction, step, axisType.fold);
      }
    }
  }
  return cache;
}

// Index of the iterator's rotation in the cache's list; -1 for the identity.
int RotationIndex(const SymGroup& group, const SymOperationCache& cache, const SymRotationIterator& it) {
  if (it.step <= 0 || group.numAxisTypes <= 0) return -1;
  const SymAxisType& axisType = group.axisTypes[it.axisType];
  return cache.firstOfType[static_cast<size_t>(it.axisType)] + it.axis * (axisType.fold - 1) + it.step - 1;
}

// The products R x F of every rotation with the improper matrix F, the identity's
// first, built again only when F or the rotations have changed since.
const SymOperationCache& ImproperOperationsOf(const SymGroup& group, const double* improper) {
  const SymOperationCache& rotations = RotationsOf(group);
  SymOperationCache& cache = group.mOperationCache;
  if (cache.hasImproper && std::equal(cache.improper.begin(), cache.improper.end(), improper)) return rotations;
  std::copy(improper, improper + 9, cache.improper.begin());
  cache.hasImproper = true;
  cache.improperOperations.assign(rotations.rotations.size() + 1, {});
  double identity[9];
  SetIdentity(identity);
  for (size_t r = 0; r < cache.improperOperations.size(); ++r) {
    const double* rotation = r == 0 ? identity : rotations.rotations[r - 1].data();
    double* product = cache.improperOperations[r].data();
    MatrixTimesMatrix(product, rotation, improper);
    SnapExactEntries(product);
  }
  return cache;
}

void CopyMatrix(double* out, const std::array<double, 9>& m) { std::copy(m.begin(), m.end(), out); }

}  // namespace detail_SymOperations

void SymmetryRotationMatrix(double* matrix, const double* axis, int step, int fold) {
  using namespace detail_SymOperations;
  double d[3];
  if (fold == 0 || !Normalise(d, axis)) {
    SetIdentity(matrix);
    return;
  }
  // A right-handed frame (u, v, d) with d as its third axis: the turn about z in
  // that frame is the turn about d, counter-clockwise seen from d's tip.
  double e[3] = {0, 0, 0};
  e[SmallestAxis(d)] = 1.0;
  double u[3], v[3];
  Cross(u, d, e);
  Normalise(u, u);
  Cross(v, d, u);
  double frame[9], frameTransposed[9], turn[9], partial[9];
  MatrixFromColumns(frame, u, v, d);
  MatrixFromRows(frameTransposed, u, v, d);
  AxisRotationMatrixExact(turn, 2, step, fold);
  MatrixTimesMatrix(partial, frame, turn);
  MatrixTimesMatrix(matrix, partial, frameTransposed);
  SnapExactEntries(matrix);
}

bool GetNextSymmetryRotation(const SymGroup* group, SymRotationIterator& it, bool withIdentity, double* matrix) {
  using namespace detail_SymOperations;
  int numTypes = group != nullptr ? group->numAxisTypes : 0;
  if (numTypes <= 0) {
    // Only the identity, once.
    if (it.AtStart() && withIdentity) {
      it.axisType = it.axis = it.step = 0;
      if (matrix != nullptr) SetIdentity(matrix);
      return true;
    }
    it.Reset();
    return false;
  }
  if (it.AtStart()) {
    // The matrices are checked against the axes once per iteration, at its start.
    RotationsOf(*group);
    it.axisType = 0;
    it.axis = 0;
    it.step = withIdentity ? 0 : 1;
    if (it.step == 0) {
      if (matrix != nullptr) SetIdentity(matrix);
      return true;
    }
  } else {
    ++it.step;
  }
  // Move on to the next valid (type, axis, step); types of opposite ends repeat
  // the rotations of the type before them.
  for (;;) {
    if (it.axisType >= numTypes) {
      it.Reset();
      return false;
    }
    const SymAxisType& axisType = group->axisTypes[it.axisType];
    if (axisType.oppositeEnds || it.axis >= axisType.numAxes) {
      ++it.axisType;
      it.axis = 0;
      it.step = 1;
    } else if (it.step >= axisType.fold) {
      ++it.axis;
      it.step = 1;
    } else {
      break;
    }
  }
  if (matrix != nullptr) {
    const SymOperationCache& cache = group->mOperationCache;
    CopyMatrix(matrix, cache.rotations[static_cast<size_t>(RotationIndex(*group, cache, it))]);
  }
  return true;
}

bool GetNextSymmetryOperation(const SymGroup* group, SymOperationIterator& it, bool withIdentity, double* matrix,
                              bool includeImproper) {
  using namespace detail_SymOperations;
  bool improper = includeImproper || (StellationOptions & kStellationMaintainReflexibility) != 0;
  if (IsChiral(group) || !improper) return GetNextSymmetryRotation(group, it, withIdentity, matrix);

  if (it.improperPhase == 0) {
    if (GetNextSymmetryRotation(group, it, withIdentity, matrix)) return true;
    // The rotations are done: go round again, each times the improper matrix.
    it.improperPhase = 1;
  }
  const bool starting = it.AtStart();
  if (!GetNextSymmetryRotation(group, it, true, nullptr)) {
    it.improperPhase = 0;
    return false;
  }
  if (matrix != nullptr) {
    // The improper matrix is checked once per round, at its start.
    const SymOperationCache* cache = &group->mOperationCache;
    if (starting || !cache->hasImproper) {
      double improperMatrix[9];
      SetIdentity(improperMatrix);
      group->GetReflectionMatrix(improperMatrix);
      cache = &ImproperOperationsOf(*group, improperMatrix);
    }
    CopyMatrix(matrix, cache->improperOperations[static_cast<size_t>(RotationIndex(*group, *cache, it) + 1)]);
  }
  return true;
}

bool GetNextImproperOperation(const SymGroup* group, SymRotationIterator& it, double* improper, double* matrix) {
  using namespace detail_SymOperations;
  if (IsChiral(group)) return false;
  const bool starting = it.AtStart();
  if (starting) {
    SetIdentity(improper);
    group->GetReflectionMatrix(improper);
  }
  if (!GetNextSymmetryRotation(group, it, true, nullptr)) return false;
  if (matrix != nullptr) {
    const SymOperationCache& cache =
        starting || !group->mOperationCache.hasImproper ? ImproperOperationsOf(*group, improper) : group->mOperationCache;
    CopyMatrix(matrix, cache.improperOperations[static_cast<size_t>(RotationIndex(*group, cache, it) + 1)]);
  }
  return true;
}

void SymGroup::GetReflectionMatrix(double* m, int32_t refl, const double* normal) const {
  using namespace detail_SymOperations;
  if (refl < 0) refl = reflectionType;
  if (refl == kReflectionChiral) return;
  if (refl == kReflectionCentral) {
    SetIdentity(m);
    ScaleMatrix(m, -1.0);
    return;
  }
  if (refl == kReflectionRotation) {
    // Turn by half a step of the main axis, then reflect in the plane across it.
    const double* given = normal != nullptr ? normal : FirstAxisDirection(*this);
    double a[3];
    if (given == nullptr || numAxisTypes <= 0 || !Normalise(a, given)) return;
    double turn[9], mirror[9];
    SymmetryRotationMatrix(turn, a, 1, 2 * FirstFold(*this));
    PlaneReflection(mirror, a);
    MatrixTimesMatrix(m, turn, mirror);
    SnapExactEntries(m);
    return;
  }
  const double* given = normal != nullptr ? normal : (mirrorPlanes.count > 0 ? mirrorPlanes[0].direction : nullptr);
  double n[3];
  if (given == nullptr || !Normalise(n, given)) return;
  PlaneReflection(m, n);
  SnapExactEntries(m);
}

bool SymGroup::ReflectInPlane(double* out, const double* in, int plane) const {
  if (plane < 0 || plane >= mirrorPlanes.count) {
    CopyVector(out, in);
    return false;
  }
  const double* n = mirrorPlanes[plane].direction;
  double twice = 2.0 * Dot(in, n);
  double result[3];
  for (int j = 0; j < 3; ++j) result[j] = in[j] - twice * n[j];
  CopyVector(out, result);
  return true;
}

bool SymGroup::ReflectPoint(double* out, const double* in, int plane) const {
  using namespace detail_SymOperations;
  if (reflectionType == kReflectionRotation) {
    if (FirstAxisDirection(*this) == nullptr) {
      CopyVector(out, in);
      return false;
    }
    double m[9];
    SetIdentity(m);
    GetReflectionMatrix(m, kReflectionRotation);
    double result[3];
    MatrixTimesVector(m, result, in);
    CopyVector(out, result);
    return true;
  }
  if (reflectionType == kReflectionCentral) {
    NegateInto(out, in);
    return true;
  }
  return ReflectInPlane(out, in, plane);
}

bool SymGroup::FindMirrorPlaneContaining(double* normal, const double* d) const {
  for (int k = 0; k < mirrorPlanes.count; ++k) {
    if (std::fabs(Dot(mirrorPlanes[k].direction, d)) <= kAxisTolerance) {
      CopyVector(normal, mirrorPlanes[k].direction);
      return true;
    }
  }
  return false;
}

bool SymGroup::HasCentralInversion() const {
  using namespace detail_SymOperations;
  if (reflectionType == kReflectionChiral) return false;
  if (reflectionType == kReflectionCentral) return true;
  bool evenFold = FirstFold(*this) % 2 == 0;
  switch (type) {
    case kSymGroupNone:
      return false;
    case kSymGroupDihedral:
      return (reflectionType == kReflectionHorizontal && evenFold) ||
             (reflectionType == kReflectionVertical && !evenFold);
    case kSymGroupPyramidal:
      return (reflectionType == kReflectionHorizontal && evenFold) ||
             (reflectionType == kReflectionRotation && !evenFold);
    default:
      return reflectionType == kReflectionHorizontal;
  }
}

int GetPredefinedColorIndexOfAxis(const SymGroup* group, uint32_t schemeBits, const SymAxisType* axisType,
                                  const SymAxis* axis, const double* elementDirection, int* secondIndex) {
  if ((schemeBits & kColorArrangementMask) == 0 || axisType == nullptr || group == nullptr || axis == nullptr) {
    return -1;
  }
  int k = -1;
  for (int i = 0; i < axisType->numAxes && k < 0; ++i) {
    if (&axisType->axes[i] == axis) k = i;
  }
  if (k < 0) {
    ShowInternalError("GetPredefinedColorIndex: Illegal axis");
    return -1;
  }
  int fold = axisType->fold;

  // The arrangements that colour the two ends of an axis differently.
  const int(*pairs)[2] = nullptr;
  int pairCount = 0;
  // The arrangements that give several axes one colour.
  const int* single = nullptr;
  int singleCount = 0;
  bool byIndex = false;

  static constexpr int kDodecahedral1[6][2] = {{0, 1}, {2, 3}, {1, 3}, {2, 0}, {3, 0}, {2, 1}};
  static constexpr int kIcosahedral1[10][2] = {{0, 2}, {1, 3}, {1, 0}, {2, 3}, {2, 1},
                                               {0, 3}, {3, 4}, {4, 1}, {4, 0}, {2, 4}};
  static constexpr int kIcosahedral2[10] = {0, 1, 2, 3, 0, 3, 4, 1, 2, 4};
  static constexpr int kTriacontahedral1[15] = {0, 0, 0, 1, 2, 3, 4, 3, 4, 1, 2, 4, 3, 2, 1};
  static constexpr int kRhombicDodecahedral1[6] = {0, 0, 1, 1, 2, 2};
  static constexpr int kRhombicDodecahedral2[6][2] = {{0, 1}, {2, 3}, {1, 2}, {3, 0}, {2, 0}, {1, 3}};

  if (group->type == kSymGroupIcosahedral) {
    if (fold == 5 && (schemeBits & kColorArrangementDodecahedral1)) {
      pairs = kDodecahedral1, pairCount = 6;
    } else if (fold == 5 && (schemeBits & kColorArrangementDodecahedral2)) {
      byIndex = true;
    } else if (fold == 3 && (schemeBits & kColorArrangementIcosahedral1)) {
      pairs = kIcosahedral1, pairCount = 10;
    } else if (fold == 3 && (schemeBits & kColorArrangementIcosahedral2)) {
      single = kIcosahedral2, singleCount = 10;
    } else if (fold == 3 && (schemeBits & kColorArrangementIcosahedral3)) {
      byIndex = true;
    } else if (fold == 2 && (schemeBits & kColorArrangementTriacontahedral1)) {
      single = kTriacontahedral1, singleCount = 15;
    } else if (fold == 2 && (schemeBits & kColorArrangementTriacontahedral2)) {
      byIndex = true;
    }
  } else if (group->type == kSymGroupOctahedral) {
    if (fold == 4 && (schemeBits & kColorArrangementCubic)) {
      byIndex = true;
    } else if (fold == 3 && (schemeBits & kColorArrangementOctahedral)) {
      byIndex = true;
    } else if (fold == 2 && (schemeBits & kColorArrangementRhombicDodecahedral1)) {
      single = kRhombicDodecahedral1, singleCount = 6;
    } else if (fold == 2 && (schemeBits & kColorArrangementRhombicDodecahedral2)) {
      pairs = kRhombicDodecahedral2, pairCount = 6;
    } else if (fold == 2 && (schemeBits & kColorArrangementRhombicDodecahedral3)) {
      byIndex = true;
    }
  }

  int result = -1;
  if (byIndex) {
    result = k;
  } else if (single != nullptr && k < singleCount) {
    result = single[k];
  } else if (pairs != nullptr && k < pairCount) {
    // The element at the axis's own end takes the first colour, the one at the
    // far end the second.
    bool atOwnEnd = elementDirection == nullptr || NearlyEqual(elementDirection, axis->direction, kAxisTolerance);
    int c = pairs[k][0];
    int c2 = pairs[k][1];
    if (secondIndex != nullptr) *secondIndex = atOwnEnd ? c2 : c;
    return atOwnEnd ? c : c2;
  }
  if (result >= 0 && secondIndex != nullptr) *secondIndex = result;
  return result;
}

}  // namespace corvia
