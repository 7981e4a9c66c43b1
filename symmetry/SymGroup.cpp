#include "symmetry/SymGroup.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/IntMath.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "platform/Services.h"

namespace corvia {

SymAxis* SelectedSymAxis = nullptr;

namespace detail_SymGroup {

void SetVector(double* v, double x, double y, double z) {
  v[0] = x;
  v[1] = y;
  v[2] = z;
}

void SetAxis(SymAxis& axis, double x, double y, double z) {
  SetVector(axis.direction, x, y, z);
}

// Identity within the tolerance of the orientation code.
bool IsIdentityMatrix(const double* m) {
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 3; ++r) {
      double want = r == c ? 1.0 : 0.0;
      if (std::fabs(m[3 * c + r] - want) > kAxisTolerance) return false;
    }
  }
  return true;
}

// v = m v, with components that are zero but for rounding made exactly zero (only
// those: a group turned onto a model read from a file must stay a group, whatever
// small components the model's orientation gives its axes).
void TurnVector(const double* m, double* v) {
  double turned[3];
  MatrixTimesVector(m, turned, v);
  SnapNearZero(turned, kRoundingTolerance);
  CopyVector(v, turned);
}

bool SameDirection(const double* a, const double* b) {
  return NearlyEqual(a, b, kAxisTolerance);
}

// Parallel in either sense: with k the largest component of d (ties to the later
// one), a matches when every component equals d's times a[k] / d[k]. A d with no
// usable component matches everything.
bool ParallelTo(const double* a, const double* d) {
  int k = LargestAxis(d);
  if (std::fabs(d[k]) <= kAxisTolerance) return true;
  double s = a[k] / d[k];
  for (int j = 0; j < 3; ++j) {
    if (std::fabs(a[j] - d[j] * s) > kAxisTolerance) return false;
  }
  return true;
}

bool IsEvenFold(int fold) {
  return std::abs(fold) % 2 == 0;
}

void FillIcosahedral(SymGroup& g) {
  const double phi = GoldenRatio;
  const double s = SqrtThird;
  const double root = std::sqrt(25.0 + 10.0 * Sqrt5);
  const double a = (phi + 2.0) / root;
  const double b = (3.0 * phi + 1.0) / root;
  const double p = phi / std::sqrt(3.0);
  const double q = (phi - 1.0) / std::sqrt(3.0);
  const double big = (phi + 1.0) / std::sqrt(2.0 * (Sqrt5 + 3.0));
  const double small = 1.0 / std::sqrt(2.0 * (Sqrt5 + 3.0));
  const double h = 0.5;

  g.numRotations = 60;
  g.numAxisTypes = 3;
  g.axisTypes = std::make_unique<SymAxisType[]>(3);
  SymAxisType& five = g.axisTypes[0];
  SymAxisType& three = g.axisTypes[1];
  SymAxisType& two = g.axisTypes[2];
  five.Init(5, 6, 12);
  three.Init(3, 10, 20);
  two.Init(2, 15, 30);

  const double fiveDirs[6][3] = {{a, b, 0}, {a, -b, 0}, {0, a, b}, {0, a, -b}, {b, 0, a}, {-b, 0, a}};
  const double threeDirs[10][3] = {{p, q, 0},  {p, -q, 0}, {0, p, q},  {0, p, -q}, {q, 0, p},
                                   {-q, 0, p}, {s, s, s},  {s, s, -s}, {s, -s, s}, {s, -s, -s}};
  const double twoDirs[15][3] = {{1, 0, 0},        {0, 1, 0},        {0, 0, 1},         {big, h, small},
                                 {big, h, -small}, {big, -h, small}, {big, -h, -small}, {small, big, h},
                                 {small, big, -h}, {small, -big, h}, {small, -big, -h}, {h, small, big},
                                 {h, small, -big}, {h, -small, big}, {h, -small, -big}};
  const int fiveRefs[6] = {5, 11, 8, 6, 10, 7};
  const int threeRefs[10] = {10, 7, 0, 14, 6, 3, 12, 5, 4, 8};
  const int twoRefs[15] = {2, 0, 1, 9, 10, 7, 8, 12, 11, 14, 13, 6, 5, 4, 3};

  for (int i = 0; i < 15; ++i) CopyVector(two.axes[i].direction, twoDirs[i]);
  for (int i = 0; i < 15; ++i) CopyVector(two.axes[i].reference, twoDirs[twoRefs[i]]);
  for (int i = 0; i < 6; ++i) {
    CopyVector(five.axes[i].direction, fiveDirs[i]);
    CopyVector(five.axes[i].reference, twoDirs[fiveRefs[i]]);
  }
  for (int i = 0; i < 10; ++i) {
    CopyVector(three.axes[i].direction, threeDirs[i]);
    CopyVector(three.axes[i].reference, twoDirs[threeRefs[i]]);
  }
}

void FillOctahedral(SymGroup& g) {
  const double s = SqrtThird;
  const double r = SqrtHalf;
  g.numRotations = 24;
  g.numAxisTypes = 3;
  g.axisTypes = std::make_unique<SymAxisType[]>(3);
  SymAxisType& four = g.axisTypes[0];
  SymAxisType& three = g.axisTypes[1];
  SymAxisType& two = g.axisTypes[2];
  four.Init(4, 3, 6);
  three.Init(3, 4, 8);
  two.Init(2, 6, 12);

  const double fourDirs[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const double threeDirs[4][3] = {{s, s, s}, {s, s, -s}, {s, -s, s}, {s, -s, -s}};
  const double twoDirs[6][3] = {{r, r, 0}, {r, -r, 0}, {r, 0, r}, {r, 0, -r}, {0, r, r}, {0, r, -r}};
  const int fourRefs[3] = {1, 2, 0};
  const int threeRefs[4] = {1, 2, 4, 0};
  const int twoRefs[6] = {2, 2, 1, 1, 0, 0};
  for (int i = 0; i < 3; ++i) {
    CopyVector(four.axes[i].direction, fourDirs[i]);
    CopyVector(four.axes[i].reference, fourDirs[fourRefs[i]]);
  }
  for (int i = 0; i < 4; ++i) {
    CopyVector(three.axes[i].direction, threeDirs[i]);
    CopyVector(three.axes[i].reference, twoDirs[threeRefs[i]]);
  }
  for (int i = 0; i < 6; ++i) {
    CopyVector(two.axes[i].direction, twoDirs[i]);
    CopyVector(two.axes[i].reference, fourDirs[twoRefs[i]]);
  }
}

void FillTetrahedral(SymGroup& g) {
  const double s = SqrtThird;
  const double r = SqrtHalf;
  g.numRotations = 12;
  g.numAxisTypes = 3;
  g.axisTypes = std::make_unique<SymAxisType[]>(3);
  SymAxisType& three = g.axisTypes[0];
  SymAxisType& threeOpposite = g.axisTypes[1];
  SymAxisType& two = g.axisTypes[2];
  three.Init(3, 4, 4);
  threeOpposite.Init(3, 4, 4);
  threeOpposite.oppositeEnds = 1;
  two.Init(2, 3, 6);

  const double threeDirs[4][3] = {{s, s, s}, {s, -s, -s}, {-s, s, -s}, {-s, -s, s}};
  const double oppositeDirs[4][3] = {{-s, -s, -s}, {-s, s, s}, {s, -s, s}, {s, s, -s}};
  const double threeRefs[4][3] = {{r, -r, 0}, {r, r, 0}, {0, r, r}, {r, 0, r}};
  const double twoDirs[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const int twoRefs[3] = {1, 2, 0};
  for (int i = 0; i < 4; ++i) {
    CopyVector(three.axes[i].direction, threeDirs[i]);
    CopyVector(three.axes[i].reference, threeRefs[i]);
    CopyVector(threeOpposite.axes[i].direction, oppositeDirs[i]);
    CopyVector(threeOpposite.axes[i].reference, threeRefs[i]);
  }
  for (int i = 0; i < 3; ++i) {
    CopyVector(two.axes[i].direction, twoDirs[i]);
    CopyVector(two.axes[i].reference, twoDirs[twoRefs[i]]);
  }
}

// The 2-fold axes of a dihedral group lie in the plane y = 0; an axis at angle t
// (measured from +x towards -z) points along (cos t, 0, -sin t).
void SetAxisAtAngle(SymAxis& axis, int i, int n) {
  double sine, cosine;
  GetSinCos(i, n, sine, cosine);
  SetVector(axis.direction, cosine, 0, -sine);
  SetVector(axis.reference, sine, 0, cosine);
}

void FillDihedral(SymGroup& g, int n) {
  g.numRotations = 2 * n;
  g.numAxisTypes = 3;
  g.axisTypes = std::make_unique<SymAxisType[]>(3);
  SymAxisType& main = g.axisTypes[0];
  main.Init(n, 1, 2);
  SetAxis(main.axes[0], 0, 1, 0);
  SetVector(main.axes[0].reference, 1, 0, 0);

  // Even n: the n 2-fold axes fall into two classes of n/2 lines each (through
  // vertices and through edge midpoints of an n-gon in the plane y = 0). Odd n:
  // each 2-fold line has one end of each kind, so type 2 holds the opposite ends.
  int m = n % 2 == 0 ? n / 2 : n;
  SymAxisType& first = g.axisTypes[1];
  SymAxisType& second = g.axisTypes[2];
  first.Init(2, m, n);
  second.Init(2, m, n);
  if (n % 2 != 0) second.oppositeEnds = 1;
  for (int i = 0; i < m; ++i) {
    SetAxisAtAngle(first.axes[i], i, n);
    SetAxisAtAngle(second.axes[i], 2 * i + 1, 2 * n);
  }
}

void FillPyramidal(SymGroup& g, int n) {
  g.numRotations = n;
  g.numAxisTypes = 2;
  g.axisTypes = std::make_unique<SymAxisType[]>(2);
  SymAxisType& up = g.axisTypes[0];
  SymAxisType& down = g.axisTypes[1];
  up.Init(n, 1, 1);
  down.Init(n, 1, 1);
  down.oppositeEnds = 1;
  SetAxis(up.axes[0], 0, 1, 0);
  SetAxis(down.axes[0], 0, -1, 0);
  SetVector(up.axes[0].reference, 1, 0, 0);
  SetVector(down.axes[0].reference, 1, 0, 0);
}

// Normal of vertical mirror plane number k of 2n equal steps: (cos t, 0, -sin t).
void SetVerticalPlane(SymAxis& plane, int k, int steps) {
  double sine, cosine;
  GetSinCos(k, steps, sine, cosine);
  SetVector(plane.direction, cosine, 0, -sine);
}

}  // namespace detail_SymGroup

void SymAxisType::Init(int32_t foldIn, int32_t numAxesIn, int32_t numEndsIn) {
  fold = foldIn;
  numAxes = numAxesIn > 0 ? numAxesIn : 0;
  numEnds = numEndsIn;
  axes = numAxes > 0 ? std::make_unique<SymAxis[]>(static_cast<size_t>(numAxes)) : nullptr;
}

SymGroup::~SymGroup() {
  // Only an axis of this group can dangle once it is gone; a selection on another
  // group (the one the user sees) stays.
  if (SelectedSymAxis != nullptr && FindAxisTypeOfAxis(SelectedSymAxis) != nullptr) SelectedSymAxis = nullptr;
}

size_t SymGroup::GetMemorySize(const SymGroup* group) {
  if (group == nullptr) return 0;
  size_t size = sizeof(SymGroup) + static_cast<size_t>(group->numAxisTypes) * sizeof(SymAxisType);
  size += static_cast<size_t>(group->mirrorPlanes.count + group->TotalAxes()) * sizeof(SymAxis);
  return size;
}

void SymGroup::UpdateSingleEnded() {
  for (int t = 0; t < numAxisTypes; ++t) {
    axisTypes[t].singleEnded = axisTypes[t].numAxes == axisTypes[t].numEnds ? 1 : 0;
  }
}

std::unique_ptr<SymGroup> CreateSymGroup(int32_t type, int32_t fold) {
  using namespace detail_SymGroup;
  auto group = std::make_unique<SymGroup>();
  group->type = type;
  group->reflectionType = kReflectionChiral;
  // A fold below 1 would give no axes and a division by zero in the angles.
  int n = fold >= 1 ? fold : 1;
  switch (type) {
    case kSymGroupIcosahedral:
      FillIcosahedral(*group);
      break;
    case kSymGroupOctahedral:
      FillOctahedral(*group);
      break;
    case kSymGroupTetrahedral:
      FillTetrahedral(*group);
      break;
    case kSymGroupDihedral:
      FillDihedral(*group, n);
      break;
    case kSymGroupPyramidal:
      FillPyramidal(*group, n);
      break;
    default:
      group->numRotations = 1;
      break;
  }
  group->UpdateSingleEnded();
  return group;
}

std::unique_ptr<SymGroup> CopySymGroup(const SymGroup* group) {
  if (group == nullptr) return nullptr;
  auto copy = std::make_unique<SymGroup>();
  copy->type = group->type;
  copy->numAxisTypes = group->numAxisTypes;
  if (group->numAxisTypes > 0) {
    copy->axisTypes = std::make_unique<SymAxisType[]>(static_cast<size_t>(group->numAxisTypes));
    for (int t = 0; t < group->numAxisTypes; ++t) {
      const SymAxisType& from = group->axisTypes[t];
      SymAxisType& to = copy->axisTypes[t];
      to.Init(from.fold, from.numAxes, from.numEnds);
      to.oppositeEnds = from.oppositeEnds;
      for (int i = 0; i < to.numAxes; ++i) to.axes[i] = from.axes[i];
    }
  }
  copy->numRotations = group->numRotations;
  copy->UpdateSingleEnded();
  copy->reflectionType = group->reflectionType;
  copy->mirrorPlanes.Allocate(group->mirrorPlanes.count);
  for (int k = 0; k < copy->mirrorPlanes.count; ++k) copy->mirrorPlanes[k] = group->mirrorPlanes[k];
  for (int j = 0; j < 9; ++j) copy->orientation[j] = group->orientation[j];
  return copy;
}

std::unique_ptr<SymGroup> GuessSymGroupFromFaces(int32_t fold, int32_t count) {
  if ((fold == 5 && count % 12 == 0) || (fold == 3 && count % 20 == 0)) {
    return CreateSymGroup(kSymGroupIcosahedral, fold);
  }
  if ((fold == 4 && count % 6 == 0) || (fold == 3 && count % 8 == 0)) {
    return CreateSymGroup(kSymGroupOctahedral, fold);
  }
  if (fold == 3 && count % 4 == 0) return CreateSymGroup(kSymGroupTetrahedral, fold);
  return CreateSymGroup(kSymGroupDihedral, fold);
}

bool IsReflectionTypeAllowed(int32_t type, int32_t refl) {
  if (type < kSymGroupIcosahedral || type > kSymGroupNone) return false;
  if (refl == kReflectionHorizontal || refl == kReflectionChiral) return true;
  switch (refl) {
    case kReflectionDiagonal:
      return type == kSymGroupTetrahedral;
    case kReflectionVertical:
      return type == kSymGroupDihedral || type == kSymGroupPyramidal;
    case kReflectionRotation:
      return type == kSymGroupPyramidal;
    case kReflectionCentral:
      return type == kSymGroupNone;
    default:
      return false;
  }
}

void SymGroup::ArrangeDihedralTwoFoldAxes(bool joined) {
  if (type != kSymGroupDihedral || numAxisTypes < 2) return;
  const int n = axisTypes[0].fold;
  if (n < 2 || n % 2 != 0) return;
  const bool isJoined = numAxisTypes == 2;
  if (joined == isJoined) return;
  auto arranged = std::make_unique<SymAxisType[]>(joined ? 2 : 3);
  arranged[0] = std::move(axisTypes[0]);
  // Joined axis k lies at angle pi k / n: the classes of Dn alternate round the
  // main axis.
  SymAxis* selected = SelectedSymAxis;
  auto move = [selected](SymAxis& to, SymAxis& from) {
    to = from;
    if (selected == &from) SelectedSymAxis = &to;
  };
  if (joined) {
    arranged[1].Init(2, n, 2 * n);
    for (int i = 0; i < n / 2; ++i) {
      move(arranged[1].axes[2 * i], axisTypes[1].axes[i]);
      move(arranged[1].axes[2 * i + 1], axisTypes[2].axes[i]);
    }
  } else {
    arranged[1].Init(2, n / 2, n);
    arranged[2].Init(2, n / 2, n);
    for (int i = 0; i < n / 2; ++i) {
      move(arranged[1].axes[i], axisTypes[1].axes[2 * i]);
      move(arranged[2].axes[i], axisTypes[1].axes[2 * i + 1]);
    }
  }
  axisTypes = std::move(arranged);
  numAxisTypes = joined ? 2 : 3;
  UpdateSingleEnded();
}

SymAxis* SymGroup::StandardAxis(int t, int i) const {
  if (t < 0 || t >= 3 || i < 0) return nullptr;
  if (type == kSymGroupDihedral && numAxisTypes == 2 && t >= 1) {
    const int k = t == 1 ? 2 * i : 2 * i + 1;
    return k < axisTypes[1].numAxes ? &axisTypes[1].axes[k] : nullptr;
  }
  if (t >= numAxisTypes || i >= axisTypes[t].numAxes) return nullptr;
  return &axisTypes[t].axes[i];
}

void SymGroup::SetReflectionType(int32_t refl) {
  using namespace detail_SymGroup;
  ArrangeDihedralTwoFoldAxes(refl == kReflectionVertical);
  if (refl == kReflectionChiral || refl < 0) {
    reflectionType = kReflectionChiral;
    mirrorPlanes.Clear();
    return;
  }
  if (type < kSymGroupIcosahedral || type > kSymGroupNone) return;

  const double r = SqrtHalf;
  int n = numAxisTypes > 0 ? axisTypes[0].fold : 1;
  if (n < 1) n = 1;
  switch (type) {
    case kSymGroupIcosahedral: {
      // Every 2-fold axis of the icosahedral group is the normal of a mirror plane.
      auto standard = CreateSymGroup(kSymGroupIcosahedral, 0);
      const SymAxisType& two = standard->axisTypes[2];
      mirrorPlanes.Allocate(two.numAxes);
      for (int k = 0; k < two.numAxes; ++k) CopyVector(mirrorPlanes[k].direction, two.axes[k].direction);
      break;
    }
    case kSymGroupOctahedral: {
      const double normals[9][3] = {{1, 0, 0}, {0, 1, 0},  {0, 0, 1}, {r, r, 0}, {r, -r, 0},
                                    {r, 0, r}, {r, 0, -r}, {0, r, r}, {0, r, -r}};
      mirrorPlanes.Allocate(9);
      for (int k = 0; k < 9; ++k) CopyVector(mirrorPlanes[k].direction, normals[k]);
      break;
    }
    case kSymGroupTetrahedral:
      if (refl == kReflectionDiagonal) {
        const double normals[6][3] = {{r, r, 0}, {r, -r, 0}, {r, 0, r}, {r, 0, -r}, {0, r, r}, {0, r, -r}};
        mirrorPlanes.Allocate(6);
        for (int k = 0; k < 6; ++k) CopyVector(mirrorPlanes[k].direction, normals[k]);
      } else {
        mirrorPlanes.Allocate(3);
        for (int k = 0; k < 3; ++k) mirrorPlanes[k].direction[k] = 1;
      }
      break;
    case kSymGroupDihedral: {
      // Dnh with n even, and Dnd with n odd, have planes through the 2-fold axes of
      // type 1 (steps of pi/n from 0); the others have them half a step further.
      bool throughAxes = (refl == kReflectionHorizontal) == (n % 2 == 0);
      mirrorPlanes.Allocate(refl == kReflectionHorizontal ? n + 1 : n);
      for (int i = 0; i < n; ++i) {
        if (throughAxes) {
          SetVerticalPlane(mirrorPlanes[i], i, 2 * n);
        } else {
          SetVerticalPlane(mirrorPlanes[i], 2 * i + 1, 4 * n);
        }
      }
      if (refl == kReflectionHorizontal) SetVector(mirrorPlanes[n].direction, 0, 1, 0);
      break;
    }
    case kSymGroupPyramidal:
      if (refl == kReflectionHorizontal) {
        mirrorPlanes.Allocate(1);
        SetVector(mirrorPlanes[0].direction, 0, 1, 0);
      } else if (refl == kReflectionRotation) {
        mirrorPlanes.Clear();
      } else {
        mirrorPlanes.Allocate(n);
        for (int i = 0; i < n; ++i) SetVerticalPlane(mirrorPlanes[i], i, 2 * n);
      }
      break;
    default:  // no symmetry
      if (refl == kReflectionCentral) {
        mirrorPlanes.Clear();
      } else if (refl == kReflectionDiagonal) {
        mirrorPlanes.Allocate(1);
        SetVector(mirrorPlanes[0].direction, r, r, 0);
      } else {
        mirrorPlanes.Allocate(1);
        SetVector(mirrorPlanes[0].direction, 0, 1, 0);
      }
      break;
  }
  reflectionType = refl;
  OrientMirrorPlanes(orientation);
}

void SymGroup::OrientMirrorPlanes(const double* m) {
  using namespace detail_SymGroup;
  if (IsIdentityMatrix(m)) return;
  for (int k = 0; k < mirrorPlanes.count; ++k) TurnVector(m, mirrorPlanes[k].direction);
}

void SymGroup::Rotate(const double* m) {
  using namespace detail_SymGroup;
  if (IsIdentityMatrix(m)) return;
  double turned[9];
  MatrixTimesMatrix(turned, m, orientation);
  for (int j = 0; j < 9; ++j) orientation[j] = turned[j];
  for (int t = 0; t < numAxisTypes; ++t) {
    SymAxisType& axisType = axisTypes[t];
    for (int i = 0; i < axisType.numAxes; ++i) {
      TurnVector(m, axisType.axes[i].direction);
      TurnVector(m, axisType.axes[i].reference);
    }
  }
  for (int k = 0; k < mirrorPlanes.count; ++k) TurnVector(m, mirrorPlanes[k].direction);
}

bool SymGroup::HighlightAxis(int i, const SymAxis* previous) {
  platform::ViewNotifier* views = platform::Services().views;
  // A number past the last axis selects nothing, like a negative one.
  SymAxis* axis = i >= 0 ? GetAxis(i) : nullptr;
  if (axis) {
    char status[64];
    std::snprintf(status, sizeof status, "Selected %d-fold rotational symmetry axis",
                  std::abs(FindAxisTypeOfAxis(axis)->fold));
    views->SetStatusText(status);
  }
  SelectedSymAxis = axis;
  if (axis == previous) return false;
  views->RedrawAllViews(false);
  return axis != nullptr;
}

int SymGroup::TotalAxes() const {
  int total = 0;
  for (int t = 0; t < numAxisTypes; ++t) total += axisTypes[t].numAxes;
  return total;
}

SymAxis* SymGroup::GetAxis(int i) const {
  if (i < 0) return nullptr;
  for (int t = 0; t < numAxisTypes; ++t) {
    if (i < axisTypes[t].numAxes) return &axisTypes[t].axes[i];
    i -= axisTypes[t].numAxes;
  }
  return nullptr;
}

int SymGroup::GetAxisTypeIndex(int fold) const {
  for (int t = 0; t < numAxisTypes; ++t) {
    if (axisTypes[t].fold == fold) return t;
  }
  return -1;
}

SymAxisType* SymGroup::FindAxisType(int fold) const {
  int t = GetAxisTypeIndex(fold);
  return t >= 0 ? &axisTypes[t] : nullptr;
}

SymAxisType* SymGroup::FindAxisTypeOfAxis(const SymAxis* axis) const {
  if (axis == nullptr) return nullptr;
  for (int t = 0; t < numAxisTypes; ++t) {
    const SymAxisType& axisType = axisTypes[t];
    for (int i = 0; i < axisType.numAxes; ++i) {
      if (&axisType.axes[i] == axis) return &axisTypes[t];
    }
  }
  return nullptr;
}

int SymGroup::IndexOfAxisType(const SymAxisType* axisType) const {
  if (axisType == nullptr) return -1;
  for (int t = 0; t < numAxisTypes; ++t) {
    if (&axisTypes[t] == axisType) return t;
  }
  return -1;
}

SymAxis* SymGroup::FindAxisAlong(const double* d) const {
  using namespace detail_SymGroup;
  double opposite[3];
  NegateInto(opposite, d);
  for (int t = 0; t < numAxisTypes; ++t) {
    SymAxisType& axisType = axisTypes[t];
    for (int i = 0; i < axisType.numAxes; ++i) {
      const double* dir = axisType.axes[i].direction;
      if (SameDirection(dir, d) || (!axisType.singleEnded && SameDirection(dir, opposite))) {
        return &axisType.axes[i];
      }
    }
  }
  return nullptr;
}

SymAxisType* SymGroup::FindAxisTypeAlong(const double* d) const {
  return FindAxisTypeOfAxis(FindAxisAlong(d));
}

SymAxisType* SymGroup::FindAxisTypeOfDirection(const double* d) const {
  using namespace detail_SymGroup;
  for (int t = 0; t < numAxisTypes; ++t) {
    SymAxisType& axisType = axisTypes[t];
    for (int i = 0; i < axisType.numAxes; ++i) {
      if (ParallelTo(axisType.axes[i].direction, d)) return &axisTypes[t];
    }
  }
  return nullptr;
}

SymAxis* SymGroup::FindEvenAxisInPlane(const double* normal, const double* d) const {
  using namespace detail_SymGroup;
  for (int t = 0; t < numAxisTypes; ++t) {
    SymAxisType& axisType = axisTypes[t];
    if (!IsEvenFold(axisType.fold)) continue;
    for (int i = 0; i < axisType.numAxes; ++i) {
      const double* dir = axisType.axes[i].direction;
      if (std::fabs(Dot(dir, normal)) > kAxisTolerance) continue;
      if (d != nullptr && !ParallelTo(dir, d)) continue;
      return &axisType.axes[i];
    }
  }
  return nullptr;
}

SymAxis* SymGroup::FindNextEvenAxisInPlane(const double* normal, const SymAxis* after) const {
  using namespace detail_SymGroup;
  int startType = 0;
  int startAxis = 0;
  SymAxisType* ofAfter = FindAxisTypeOfAxis(after);
  if (ofAfter != nullptr) {
    startType = IndexOfAxisType(ofAfter);
    startAxis = static_cast<int>(after - ofAfter->axes.get()) + 1;
  }
  for (int t = startType; t < numAxisTypes; ++t) {
    SymAxisType& axisType = axisTypes[t];
    int first = t == startType ? startAxis : 0;
    if (!IsEvenFold(axisType.fold)) continue;
    for (int i = first; i < axisType.numAxes; ++i) {
      if (std::fabs(Dot(axisType.axes[i].direction, normal)) <= kAxisTolerance) return &axisType.axes[i];
    }
  }
  return nullptr;
}

void SymGroup::ClearAxisFlags() {
  for (int t = 0; t < numAxisTypes; ++t) {
    for (int i = 0; i < axisTypes[t].numAxes; ++i) axisTypes[t].axes[i].flags &= ~kSymAxisWorkFlags;
  }
}

}  // namespace corvia
