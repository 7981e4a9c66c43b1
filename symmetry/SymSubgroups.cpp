#include "symmetry/SymSubgroups.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "core/VectorMath.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymGroupNames.h"

namespace corvia {

namespace detail_SymSubgroups {

// One entry of the list of rotational subgroups.
struct RotationalEntry {
  int32_t type;
  int32_t fold;
  uint8_t variant;
  uint8_t primary;
};

constexpr int32_t kNoFold = -1;
// The tetrahedral group is named by its 3-fold axes.
constexpr int32_t kTetrahedralFold = 3;

int FirstFold(const SymGroup& group) {
  return group.numAxisTypes > 0 ? group.axisTypes[0].fold : 1;
}

// |N / f|, 0 for a subgroup without a fold of its own to divide by.
int Quotient(int n, int f) {
  return f == 0 ? 0 : std::abs(n / f);
}

void Add(std::vector<RotationalEntry>& list, int32_t type, int32_t fold, uint8_t variant = 0, uint8_t primary = 1) {
  list.push_back({type, fold, variant, primary});
}

// The rotational subgroups of a group, the group itself first and the trivial
// group last. A cyclic or dihedral group of fold N lists each subgroup of a proper
// divisor d of N once (d = N is the group itself).
std::vector<RotationalEntry> RotationalList(const SymGroup& parent) {
  std::vector<RotationalEntry> list;
  const int n = FirstFold(parent);
  Add(list, parent.type, n);
  switch (parent.type) {
    case kSymGroupIcosahedral:
      Add(list, kSymGroupTetrahedral, kTetrahedralFold);
      Add(list, kSymGroupDihedral, 5, 1);
      Add(list, kSymGroupPyramidal, 5, 1);
      Add(list, kSymGroupDihedral, 3, 1);
      Add(list, kSymGroupPyramidal, 3, 1);
      Add(list, kSymGroupDihedral, 2);
      Add(list, kSymGroupPyramidal, 2);
      break;
    case kSymGroupOctahedral:
      Add(list, kSymGroupTetrahedral, kTetrahedralFold);
      Add(list, kSymGroupDihedral, 4);
      Add(list, kSymGroupDihedral, 2);
      Add(list, kSymGroupDihedral, 2, 0, 0);
      Add(list, kSymGroupPyramidal, 4);
      Add(list, kSymGroupPyramidal, 2);
      Add(list, kSymGroupDihedral, 3, 1);
      Add(list, kSymGroupPyramidal, 3, 1);
      Add(list, kSymGroupPyramidal, 2, 1);
      break;
    case kSymGroupTetrahedral:
      Add(list, kSymGroupPyramidal, 3, 1);
      Add(list, kSymGroupDihedral, 2);
      Add(list, kSymGroupPyramidal, 2);
      break;
    case kSymGroupDihedral:
      for (int d = n - 1; d >= 2; --d) {
        if (n % d != 0) continue;
        Add(list, kSymGroupDihedral, d);
        // With N/d even the d-fold dihedral subgroups fall into two classes,
        // using one or the other kind of 2-fold axis.
        if (n % 2 == 0 && (n / d) % 2 == 0) Add(list, kSymGroupDihedral, d, 1);
      }
      for (int d = n; d >= 2; --d) {
        if (n % d == 0) Add(list, kSymGroupPyramidal, d);
      }
      Add(list, kSymGroupPyramidal, 2, 0, 0);
      if (n % 2 == 0) Add(list, kSymGroupPyramidal, 2, 1, 0);
      break;
    case kSymGroupPyramidal:
      for (int d = n - 1; d >= 2; --d) {
        if (n % d == 0) Add(list, kSymGroupPyramidal, d);
      }
      break;
    default:
      // A group without symmetry is its only subgroup.
      return list;
  }
  Add(list, kSymGroupNone, kNoFold);
  return list;
}

int FindEntry(const std::vector<RotationalEntry>& list, const SymSubgroupSpec& spec) {
  for (size_t i = 0; i < list.size(); ++i) {
    const RotationalEntry& e = list[i];
    if (e.type == spec.type && e.fold == spec.fold && e.variant == spec.variant && e.primary == spec.primary) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// The reflection type of the first reflective variant of the subgroup record.
int32_t FirstReflection(const SymGroup& parent, const SymSubgroupSpec& spec) {
  const int pt = parent.type;
  const int pr = parent.reflectionType;
  const int n = FirstFold(parent);
  const int t = spec.type;
  const int f = spec.fold;
  const int q = Quotient(n, f);
  const bool qEven = q % 2 == 0;
  const bool nEven = n % 2 == 0;

  if (t == pt) {
    if (pt == kSymGroupPyramidal && pr == kReflectionRotation && qEven) return kReflectionChiral;
    if (pt != kSymGroupDihedral) return pr;
    return qEven && pr == kReflectionVertical ? kReflectionChiral : pr;
  }
  if (t == kSymGroupTetrahedral) {
    return pt == kSymGroupOctahedral ? kReflectionDiagonal : kReflectionHorizontal;
  }
  if (t == kSymGroupDihedral || t == kSymGroupPyramidal) {
    if (pt == kSymGroupIcosahedral || pt == kSymGroupOctahedral) {
      return f % 2 != 0 ? kReflectionVertical : kReflectionHorizontal;
    }
    if (pt == kSymGroupTetrahedral) {
      if (pr == kReflectionDiagonal) return kReflectionVertical;
      return f == 2 ? kReflectionHorizontal : kReflectionChiral;
    }
    if (pt == kSymGroupDihedral && spec.primary == 0) {
      if (!nEven) return pr == kReflectionHorizontal ? kReflectionVertical : kReflectionHorizontal;
      return pr > 0 ? kReflectionChiral : kReflectionHorizontal;
    }
    return pr;
  }
  // No symmetry.
  if (pr == kReflectionRotation) return nEven ? kReflectionChiral : kReflectionCentral;
  if (pr == kReflectionVertical || pr == kReflectionDiagonal) return pr;
  return kReflectionHorizontal;
}

// NextReflection for a subgroup without rotations (r is not yet central).
void NextReflectionOfTrivialSubgroup(const SymGroup& parent, SymSubgroupSpec& spec) {
  const int pt = parent.type;
  const int pr = parent.reflectionType;
  const bool nEven = FirstFold(parent) % 2 == 0;
  const int r = spec.reflectionType;
  const bool dihedralParent = pt == kSymGroupDihedral;
  const bool pyramidalParent = pt == kSymGroupPyramidal;
  int32_t& next = spec.reflectionType;
  const int32_t wasAlternate = spec.alternate;
  spec.alternate = 0;
  if (pt == kSymGroupOctahedral) {
    next = r == kReflectionHorizontal ? kReflectionDiagonal : kReflectionCentral;
  } else if (pt == kSymGroupIcosahedral) {
    next = kReflectionCentral;
  } else if (pt == kSymGroupTetrahedral) {
    next = kReflectionChiral;
  } else if (dihedralParent && r == kReflectionHorizontal) {
    next = kReflectionVertical;
  } else if ((dihedralParent || pyramidalParent) && r == kReflectionVertical && wasAlternate == 0 && nEven &&
             (pyramidalParent || pr == kReflectionHorizontal)) {
    spec.alternate = 1;
  } else if (!dihedralParent && !pyramidalParent) {
    next = kReflectionChiral;
  } else if (pr == kReflectionHorizontal && nEven) {
    next = kReflectionCentral;
  } else if (pr != kReflectionVertical) {
    next = kReflectionChiral;
  } else if (nEven || !dihedralParent) {
    next = kReflectionChiral;
  } else {
    next = kReflectionCentral;
  }
}

// NextReflection for a pyramidal subgroup.
void NextReflectionOfPyramidalSubgroup(const SymGroup& parent, SymSubgroupSpec& spec) {
  const int pt = parent.type;
  const int pr = parent.reflectionType;
  const int n = FirstFold(parent);
  const int f = spec.fold;
  const bool qEven = Quotient(n, f) % 2 == 0;
  const bool nEven = n % 2 == 0;
  const int r = spec.reflectionType;
  const bool dihedralParent = pt == kSymGroupDihedral;
  const bool pyramidalParent = pt == kSymGroupPyramidal;
  int32_t& next = spec.reflectionType;
  if (r == kReflectionRotation) {
    next = kReflectionChiral;
    return;
  }
  if (spec.primary == 0 && !nEven) {
    next = kReflectionChiral;
    return;
  }
  const int32_t wasAlternate = spec.alternate;
  spec.alternate = 0;
  if (wasAlternate == 0 && r == kReflectionVertical && spec.primary == 1 && spec.variant == 0 && qEven &&
      (pt == kSymGroupOctahedral || (dihedralParent && pr == kReflectionHorizontal) ||
       (pyramidalParent && pr == kReflectionVertical))) {
    spec.alternate = 1;
    return;
  }
  if (pt == kSymGroupOctahedral && f == 2 && spec.variant == 0) {
    next = r > 0 ? kReflectionRotation : kReflectionVertical;
    return;
  }
  if ((pt == kSymGroupIcosahedral || pt == kSymGroupOctahedral || pt == kSymGroupTetrahedral) &&
      ((pr != kReflectionDiagonal && f % 2 != 0) ||
       (pt == kSymGroupTetrahedral && pr == kReflectionDiagonal && f == 2))) {
    next = kReflectionRotation;
    return;
  }
  if (r == kReflectionHorizontal && !pyramidalParent) {
    next = kReflectionVertical;
  } else if (!dihedralParent) {
    next = kReflectionChiral;
  } else if (spec.primary == 0) {
    next = kReflectionChiral;
  } else if (pr == kReflectionVertical) {
    // The rotation-reflections of Dnd are the odd powers of its S2n, so a
    // d-fold axis carries an S2d of the group only when N/d is odd.
    next = qEven ? kReflectionChiral : kReflectionRotation;
  } else if (qEven) {
    next = kReflectionRotation;
  } else {
    next = kReflectionChiral;
  }
}

// Steps the subgroup record's reflection type (r >= 0) to the next variant; may set
// `alternate` for a second subgroup with the same reflection type.
void NextReflection(const SymGroup& parent, SymSubgroupSpec& spec) {
  const int pt = parent.type;
  const int n = FirstFold(parent);
  const int t = spec.type;
  const int f = spec.fold;
  const int q = Quotient(n, f);
  const bool qEven = q % 2 == 0;
  const int r = spec.reflectionType;
  const bool dihedralParent = pt == kSymGroupDihedral;
  int32_t& next = spec.reflectionType;

  if (t == kSymGroupNone && r != kReflectionCentral) return NextReflectionOfTrivialSubgroup(parent, spec);
  if (pt == kSymGroupOctahedral && r == kReflectionDiagonal) {
    next = kReflectionHorizontal;
    return;
  }
  if (t == kSymGroupPyramidal) return NextReflectionOfPyramidalSubgroup(parent, spec);
  if (t == kSymGroupDihedral) {
    if (pt == kSymGroupOctahedral && f == 2 && spec.variant == 0 && r == kReflectionHorizontal) {
      next = kReflectionVertical;
    } else if (!dihedralParent) {
      next = kReflectionChiral;
    } else if (!qEven || r != kReflectionHorizontal) {
      next = kReflectionChiral;
    } else {
      next = kReflectionVertical;
    }
    return;
  }
  next = kReflectionChiral;
}

}  // namespace detail_SymSubgroups

bool SymGroup::GetNextRotationalSubgroup(const SymGroup* group, SymSubgroupSpec& spec) {
  using namespace detail_SymSubgroups;
  if (group == nullptr) {
    spec.Reset();
    return false;
  }
  std::vector<RotationalEntry> list = RotationalList(*group);
  int next = 0;
  if (spec.type >= 0) {
    int at = FindEntry(list, spec);
    next = at < 0 ? static_cast<int>(list.size()) : at + 1;
  }
  if (next >= static_cast<int>(list.size())) {
    spec.Reset();
    return false;
  }
  const RotationalEntry& e = list[static_cast<size_t>(next)];
  spec.type = e.type;
  spec.fold = e.fold;
  spec.variant = e.variant;
  spec.primary = e.primary;
  spec.reflectionType = -1;
  spec.alternate = 0;
  return true;
}

bool SymGroup::GetRotationalSubgroup(const SymGroup* group, int n, SymSubgroupSpec& spec) {
  spec.Reset();
  for (int i = 0; i <= n; ++i) {
    if (!GetNextRotationalSubgroup(group, spec)) return false;
  }
  return true;
}

bool SymGroup::GetNextReflectiveSubgroup(const SymGroup* group, SymSubgroupSpec& spec) {
  using namespace detail_SymSubgroups;
  if (group == nullptr || spec.reflectionType == kReflectionChiral) {
    spec.reflectionType = -1;
    spec.alternate = 0;
    return false;
  }
  if (group->reflectionType == kReflectionChiral) {
    // A chiral parent has only chiral subgroups.
    spec.reflectionType = kReflectionChiral;
    spec.alternate = 0;
    return true;
  }
  if (spec.reflectionType < 0) {
    spec.alternate = 0;
    spec.reflectionType = FirstReflection(*group, spec);
    return true;
  }
  NextReflection(*group, spec);
  return true;
}

bool SymGroup::GetReflectiveSubgroup(const SymGroup* group, int n, SymSubgroupSpec& spec) {
  spec.reflectionType = -1;
  spec.alternate = 0;
  for (int i = 0; i <= n; ++i) {
    if (!GetNextReflectiveSubgroup(group, spec)) return false;
  }
  return true;
}

bool SymGroup::GetNextSubgroup(const SymGroup* group, SymSubgroupSpec& spec, int& rotational, int& reflective) {
  if (group == nullptr) {
    spec.Reset();
    return false;
  }
  if (spec.type >= 0) {
    if (GetNextReflectiveSubgroup(group, spec)) {
      ++reflective;
      return true;
    }
    if (!GetNextRotationalSubgroup(group, spec)) return false;
    ++rotational;
  } else {
    if (!GetNextRotationalSubgroup(group, spec)) return false;
    rotational = 0;
  }
  reflective = 0;
  return GetNextReflectiveSubgroup(group, spec);
}

bool SymGroup::GetSubgroup(const SymGroup* group, int n, SymSubgroupSpec& spec, int& rotational, int& reflective) {
  spec.Reset();
  rotational = reflective = 0;
  for (int i = 0; i <= n; ++i) {
    if (!GetNextSubgroup(group, spec, rotational, reflective)) return false;
  }
  return true;
}

int SymGroup::FindSubgroupIndex(const SymGroup* group, int rotational, int reflective) {
  if (rotational <= 0 && reflective <= 0) return 0;
  SymSubgroupSpec spec;
  int rot = 0;
  int refl = 0;
  for (int position = 0; GetNextSubgroup(group, spec, rot, refl); ++position) {
    if (rot == rotational && refl == reflective) return position;
  }
  return -1;
}

std::string SymGroup::GetRotationalSubgroupName(const SymGroup* group, const SymSubgroupSpec& spec) {
  using namespace detail_SymSubgroups;
  if (group == nullptr) return "NULL";
  const int n = FirstFold(*group);
  const std::string name = GetSymmetryName(spec.type, spec.fold);
  if (group->type == kSymGroupOctahedral) {
    if (spec.type == kSymGroupDihedral && spec.fold == 2) return name + (spec.primary ? " (A)" : " (B)");
    if (spec.type == kSymGroupPyramidal && spec.fold == 2) {
      return name + (spec.variant ? " (From 2-Axis)" : " (From 4-Axis)");
    }
  } else if (group->type == kSymGroupDihedral && n % 2 == 0) {
    if (spec.type == kSymGroupDihedral && spec.fold > 0 && (n / spec.fold) % 2 == 0) {
      return name + (spec.variant ? " (B)" : " (A)");
    }
    if (spec.type == kSymGroupPyramidal && spec.fold == 2) {
      const char* which = spec.primary ? "Primary" : spec.variant ? "B" : "A";
      return name + " (" + which + ")";
    }
  }
  return name;
}

std::string SymGroup::GetReflectiveSubgroupName(const SymGroup* group, const SymSubgroupSpec& spec) {
  using namespace detail_SymSubgroups;
  if (group == nullptr) return "NULL";
  const std::string name = corvia::GetReflectionName(spec.reflectionType);
  if (spec.alternate) return name + " (B)";
  const int pt = group->type;
  const int n = FirstFold(*group);
  const int q = Quotient(n, spec.fold);
  bool markFirst = false;
  if (spec.reflectionType == kReflectionVertical && pt != kSymGroupIcosahedral &&
      !(pt == kSymGroupDihedral && group->reflectionType != kReflectionHorizontal)) {
    // Where a second subgroup of the same kind follows, the first is marked (A).
    bool pyramidalTwin = spec.type == kSymGroupPyramidal && q % 2 == 0 && spec.primary &&
                         (pt != kSymGroupOctahedral || spec.variant == 0);
    bool trivialTwin =
        spec.type == kSymGroupNone && (pt == kSymGroupDihedral || pt == kSymGroupPyramidal) && n % 2 == 0;
    markFirst = pyramidalTwin || trivialTwin;
  }
  return markFirst ? name + " (A)" : name;
}

// ---- Building a subgroup ----------------------------------------------------------

bool SymGroup::HasAxis(int t, int i) const {
  return StandardAxis(t, i) != nullptr;
}

bool SymGroup::HasPlane(int k) const {
  return k >= 0 && k < mirrorPlanes.count;
}

void SymGroup::CopySubgroupAxis(int t, int i, const SymGroup& parent, int u, int j) {
  if (!HasAxis(t, i) || !parent.HasAxis(u, j)) {
    ShowInternalError("SymGroup::CopySubgroupAxis: no axis %d of type %d, or %d of parent type %d", i, t, j, u);
    return;
  }
  SymAxis& to = *StandardAxis(t, i);
  const SymAxis& from = *parent.StandardAxis(u, j);
  CopyVector(to.direction, from.direction);
  CopyVector(to.reference, from.reference);
}

void SymGroup::CopySubgroupAxisNegated(int t, int i, const SymGroup& parent, int u, int j) {
  if (!HasAxis(t, i) || !parent.HasAxis(u, j)) {
    ShowInternalError("SymGroup::CopySubgroupAxisNegated: no axis %d of type %d, or %d of parent type %d", i, t, j, u);
    return;
  }
  CopySubgroupAxis(t, i, parent, u, j);
  Negate(StandardAxis(t, i)->direction);
}

void SymGroup::CopySubgroupPlane(int k, const SymGroup& parent, int m) {
  if (!HasPlane(k) || !parent.HasPlane(m)) {
    ShowInternalError("SymGroup::CopySubgroupPlane: no plane %d, or parent plane %d", k, m);
    return;
  }
  CopyVector(mirrorPlanes[k].direction, parent.mirrorPlanes[m].direction);
}

void SymGroup::SetPlaneFromAxis(int k, int t, int i) {
  if (!HasPlane(k) || !HasAxis(t, i)) {
    ShowInternalError("SymGroup::SetPlaneFromAxis: no plane %d, or axis %d of type %d", k, i, t);
    return;
  }
  CopyVector(mirrorPlanes[k].direction, StandardAxis(t, i)->direction);
}

std::unique_ptr<SymGroup> SymGroup::CreateSubgroup(const SymSubgroupSpec& spec) const {
  auto sub = CreateSymGroup(spec.type, spec.fold);
  sub->SetReflectionType(spec.reflectionType);
  sub->Rotate(orientation);
  sub->ReseatSubgroup(*this, spec);
  return sub;
}

// Puts the subgroup's axes and planes (this) onto the parent's, which they
// coincide with as lines but not necessarily in number, sense or order.
void SymGroup::ReseatSubgroup(const SymGroup& parent, const SymSubgroupSpec& spec) {
  using namespace detail_SymSubgroups;
  // The two ends of the parent's 2-fold axis j (of type 2) become axis k of types 1
  // and 2; with `flipped` type 1 takes the far end.
  auto copyTwoFoldEnds = [&](int k, int j, bool flipped) {
    if (flipped) {
      CopySubgroupAxisNegated(1, k, parent, 2, j);
      CopySubgroupAxis(2, k, parent, 2, j);
    } else {
      CopySubgroupAxis(1, k, parent, 2, j);
      CopySubgroupAxisNegated(2, k, parent, 2, j);
    }
  };
  const int n = FirstFold(parent);
  const int f = spec.fold;
  const int q = f == 0 ? 0 : n / f;
  const int h = q / 2;
  const int r = spec.reflectionType;
  const int pt = parent.type;
  const bool dihedral = spec.type == kSymGroupDihedral;
  const bool pyramidal = spec.type == kSymGroupPyramidal;

  if (spec.primary == 0 && pt != kSymGroupOctahedral) {
    // The 2-fold axis across the main axis of a dihedral parent.
    int u = spec.variant == 1 ? 2 : 1;
    CopySubgroupAxis(0, 0, parent, u, 0);
    CopySubgroupAxisNegated(1, 0, parent, u, 0);
    if (r == kReflectionHorizontal) {
      SetPlaneFromAxis(0, 0, 0);
    } else if (r == kReflectionVertical) {
      CopySubgroupPlane(0, parent, n);
      CopySubgroupPlane(1, parent, spec.variant == 0 ? n / 2 : n / 2 + 1);
    }
    return;
  }
  if (spec.primary == 0) {
    // The second D2 of the octahedral group: about a 4-fold axis, with the 2-fold
    // axes along face diagonals.
    CopySubgroupAxis(1, 0, parent, 2, 2);
    CopySubgroupAxis(2, 0, parent, 2, 3);
    if (r == kReflectionHorizontal) {
      CopySubgroupPlane(0, parent, 5);
      CopySubgroupPlane(1, parent, 6);
    } else if (r == kReflectionVertical) {
      CopySubgroupPlane(0, parent, 0);
      CopySubgroupPlane(1, parent, 2);
    }
    return;
  }
  if (spec.variant == 0) {
    if (pt == kSymGroupOctahedral) {
      if (spec.alternate) {
        CopySubgroupPlane(0, parent, 5);
        CopySubgroupPlane(1, parent, 6);
        return;
      }
      if (pyramidal && f == 4 && r == kReflectionVertical) {
        const int planes[4] = {0, 5, 2, 6};
        for (int k = 0; k < 4; ++k) CopySubgroupPlane(k, parent, planes[k]);
        return;
      }
    }
    if (pt == kSymGroupTetrahedral && parent.reflectionType == kReflectionDiagonal && pyramidal && f == 2 &&
        r == kReflectionVertical) {
      CopySubgroupPlane(0, parent, 2);
      CopySubgroupPlane(1, parent, 3);
    } else if ((pt == kSymGroupDihedral || pt == kSymGroupPyramidal) && r == kReflectionVertical) {
      int a = spec.alternate ? 1 : 0;
      if (spec.type == kSymGroupNone) {
        CopySubgroupPlane(0, parent, a);
      } else if (pyramidal) {
        for (int k = 0; k < f; ++k) CopySubgroupPlane(k, parent, a + k * q);
      }
    }
    return;
  }
  // Variant 1: the subgroup's main axis is another axis of the parent.
  if (pt != kSymGroupDihedral) {
    if (f == 2) {
      CopySubgroupAxis(0, 0, parent, 2, 0);
      if (dihedral) {
        CopySubgroupAxis(1, 0, parent, 0, 2);
        CopySubgroupAxis(2, 0, parent, 2, 1);
        if (r == kReflectionHorizontal) {
          for (int k = 0; k < 3; ++k) SetPlaneFromAxis(k, k, 0);
        }
      } else if (pyramidal) {
        CopySubgroupAxisNegated(1, 0, parent, 2, 0);
        if (r == kReflectionHorizontal) {
          SetPlaneFromAxis(0, 0, 0);
        } else if (r == kReflectionVertical) {
          CopySubgroupPlane(0, parent, 2);
          CopySubgroupPlane(1, parent, 4);
        }
      }
    } else if (f == 5) {
      CopySubgroupAxis(0, 0, parent, 0, 0);
      if (pyramidal) {
        CopySubgroupAxisNegated(1, 0, parent, 0, 0);
      } else if (dihedral) {
        // Five 2-fold axes across the 5-fold axis, each taken at the end that
        // alternates round it; type 2 holds their other ends.
        const int axes[5] = {2, 5, 6, 13, 14};
        const bool negated[5] = {false, false, true, true, false};
        for (int k = 0; k < 5; ++k) copyTwoFoldEnds(k, axes[k], negated[k]);
      }
      if (r == kReflectionVertical) {
        const int planes[5] = {2, 5, 6, 13, 14};
        for (int k = 0; k < 5; ++k) CopySubgroupPlane(k, parent, planes[k]);
      }
    } else if (f == 3) {
      if (pt == kSymGroupIcosahedral) {
        CopySubgroupAxis(0, 0, parent, 1, 6);
      } else if (pt == kSymGroupOctahedral) {
        CopySubgroupAxis(0, 0, parent, 1, 0);
      } else {
        CopySubgroupAxis(0, 0, parent, 0, 0);
      }
      if (pyramidal && HasAxis(1, 0) && HasAxis(0, 0)) {
        CopySubgroupAxis(1, 0, *this, 0, 0);
        Negate(axisTypes[1].axes[0].direction);
      } else if (dihedral) {
        const bool octahedral = pt == kSymGroupOctahedral;
        const int axes[3] = {octahedral ? 1 : 6, octahedral ? 3 : 9, octahedral ? 5 : 12};
        const bool negated[3] = {false, true, !octahedral};
        for (int k = 0; k < 3; ++k) copyTwoFoldEnds(k, axes[k], negated[k]);
      }
      if (r == kReflectionVertical) {
        const int icosahedral[3] = {6, 9, 12};
        const int octahedral[3] = {4, 6, 8};
        const int other[3] = {1, 3, 5};
        const int* planes = pt == kSymGroupIcosahedral ? icosahedral : pt == kSymGroupOctahedral ? octahedral : other;
        for (int k = 0; k < 3; ++k) CopySubgroupPlane(k, parent, planes[k]);
      }
    }
    return;
  }
  // Variant 1 under a dihedral parent: the d-fold dihedral subgroup whose 2-fold
  // axes are the parent's 2-fold axes of type 2.
  if (n <= 0) return;
  if (f % 2 == 0) {
    for (int k = 0; k < f / 2; ++k) {
      CopySubgroupAxis(1, k, parent, 2, k * q);
      CopySubgroupAxis(2, k, parent, 2, k * q + h);
    }
  } else {
    for (int k = 0; k < f; ++k) copyTwoFoldEnds(k, k * h, k % 2 != 0);
  }
  if (r == kReflectionHorizontal || r == kReflectionVertical) {
    int offset = r == kReflectionHorizontal ? n / 2 + 1 : n / 2 + h + 1;
    for (int k = 0; k < f; ++k) CopySubgroupPlane(k, parent, (offset + k * q) % n);
  }
}

}  // namespace corvia
