#pragma once
// The point symmetry group of a model: its type and reflection type, its rotation
// axes grouped by fold, its mirror planes and the orientation in which its standard
// axes have been turned.
//
// Standard orientation: the main axis of a dihedral or pyramidal group points
// along +y; the 4-fold axes of the octahedral group lie along x, y and z. A group
// is built in that orientation and then turned with SymGroup::Rotate.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvia {

struct SymSubgroupSpec;

// ---- Codes ----------------------------------------------------------------------

// Group types (SymGroup::type); -1 only in a freshly constructed group.
constexpr int32_t kSymGroupUnset = -1;
constexpr int32_t kSymGroupIcosahedral = 0;
constexpr int32_t kSymGroupOctahedral = 1;
constexpr int32_t kSymGroupTetrahedral = 2;
constexpr int32_t kSymGroupDihedral = 3;
constexpr int32_t kSymGroupPyramidal = 4;
constexpr int32_t kSymGroupNone = 5;

// Reflection types (SymGroup::reflectionType).
constexpr int32_t kReflectionHorizontal = 0;
constexpr int32_t kReflectionVertical = 1;
constexpr int32_t kReflectionDiagonal = 2;
constexpr int32_t kReflectionRotation = 3;  // rotation-reflection
constexpr int32_t kReflectionCentral = 4;   // central inversion
constexpr int32_t kReflectionChiral = 5;    // no reflection

// The low bits of SymAxis::flags are work marks of the faceting code.
constexpr int32_t kSymAxisWorkFlags = 0xF;


// ---- Constants ------------------------------------------------------------------

// sqrt(1/3), sqrt(1/2), sqrt(5) and the golden ratio (1 + sqrt 5) / 2, each the
// double nearest to its value.
inline constexpr double SqrtThird = 0.57735026918962576451;
inline constexpr double SqrtHalf = 0.70710678118654752440;
inline constexpr double Sqrt5 = 2.2360679774997896964;
inline constexpr double GoldenRatio = 1.6180339887498948482;

// ---- Records --------------------------------------------------------------------

// One rotation axis (or, in the mirror-plane list, one plane normal).
struct SymAxis {
  int32_t flags = 0;
  // Unit direction of the axis (or the plane normal).
  double direction[3] = {0, 0, 0};
  // Unit direction perpendicular to the axis: the frame of the rotations about it.
  double reference[3] = {0, 0, 0};
};

// The axis drawn highlighted in the views; null when none is selected.
extern SymAxis* SelectedSymAxis;

// A count and an owned array of that many records.
template <typename T>
struct CountedArray {
  int32_t count = 0;
  std::unique_ptr<T[]> items;

  // count fresh records (all zero), the old ones dropped.
  void Allocate(int32_t n) {
    count = n > 0 ? n : 0;
    items = count > 0 ? std::make_unique<T[]>(static_cast<size_t>(count)) : nullptr;
  }
  void Clear() {
    count = 0;
    items.reset();
  }
  T& operator[](int32_t i) { return items[static_cast<size_t>(i)]; }
  const T& operator[](int32_t i) const { return items[static_cast<size_t>(i)]; }
};

// The axes of one fold that the group's rotations permute among themselves.
struct SymAxisType {
  // Parity tests use the absolute value.
  int32_t fold = -1;
  int32_t numAxes = -1;
  // How many axis directions the type stands for: twice numAxes when both ends of
  // each axis are equivalent.
  int32_t numEnds = -1;
  std::unique_ptr<SymAxis[]> axes;
  // numAxes == numEnds: the opposite end of an axis is not of this type.
  uint8_t singleEnded = 0;
  // The axes of this type point the opposite way of the previous type's axes; they
  // add no rotations of their own.
  uint8_t oppositeEnds = 0;

  // Sets the counts and allocates numAxes zeroed axes.
  void Init(int32_t fold, int32_t numAxes, int32_t numEnds);
};

// The matrices of a group's operations in the order the iterators of
// symmetry/SymOperations.h give them, worked out once and kept while the axes and
// the improper matrix they were built from stay the same.
struct SymOperationCache {
  // Fold, axis count and directions of every axis type the rotations were built from.
  std::vector<double> axesKey;
  // Index of the first rotation of each axis type in `rotations`.
  std::vector<int32_t> firstOfType;
  // The rotations without the identity.
  std::vector<std::array<double, 9>> rotations;
  // The improper matrix F the products were built with, and the products R x F, the
  // identity's first.
  std::array<double, 9> improper = {};
  bool hasImproper = false;
  std::vector<std::array<double, 9>> improperOperations;
};

// ---- The group ------------------------------------------------------------------

class SymGroup {
 public:
  int32_t type = kSymGroupUnset;
  int32_t reflectionType = kReflectionChiral;
  int32_t numAxisTypes = 0;
  std::unique_ptr<SymAxisType[]> axisTypes;
  // Each record's direction is a plane normal.
  CountedArray<SymAxis> mirrorPlanes;
  // Order of the rotation group: 60, 24, 12, 2n, n or 1.
  int32_t numRotations = 0;
  // The rotation that has been applied to the standard axes (column order).
  double orientation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  // Kept by the operation iterators; not part of the group's value.
  mutable SymOperationCache mOperationCache;

  SymGroup() = default;
  // Clears the selected axis when it is one of this group's.
  ~SymGroup();
  SymGroup(const SymGroup&) = delete;
  SymGroup& operator=(const SymGroup&) = delete;

  // Bytes the group occupies with its axis types, axes and planes; 0 for null.
  static size_t GetMemorySize(const SymGroup* group);

  // Sets singleEnded of every axis type.
  void UpdateSingleEnded();

  // Rebuilds the mirror planes for the reflection type in the standard orientation
  // and turns them by the group's orientation. 5 or negative: no planes.
  void SetReflectionType(int32_t refl);

  // Turns the group by m (nothing when m is the identity).
  void Rotate(const double* m);
  // Turns the mirror normals by m (nothing when m is the identity).
  void OrientMirrorPlanes(const double* m);

  // Highlights axis number i (none for i < 0 or past the last), names it in the
  // status bar and redraws the views when the highlighted axis is not `previous`.
  // True when an axis other than `previous` is highlighted. Selecting an axis as the
  // user does (the model's selection gives way, the views pivot) is SelectAxis of
  // model/ModelSymmetry.h.
  bool HighlightAxis(int i, const SymAxis* previous);

  // ---- Axis lookups (null or -1 when nothing matches) ----

  int TotalAxes() const;
  // Axes numbered through the axis types in order.
  SymAxis* GetAxis(int i) const;
  // First axis type with exactly this fold.
  int GetAxisTypeIndex(int fold) const;
  SymAxisType* FindAxisType(int fold) const;
  // The type whose axis array holds the record.
  SymAxisType* FindAxisTypeOfAxis(const SymAxis* axis) const;
  int IndexOfAxisType(const SymAxisType* axisType) const;
  // First axis whose direction is d, or -d when its type is not single-ended.
  SymAxis* FindAxisAlong(const double* d) const;
  SymAxisType* FindAxisTypeAlong(const double* d) const;
  // First type with an axis parallel to d in either sense.
  SymAxisType* FindAxisTypeOfDirection(const double* d) const;
  // First axis of even fold lying in the plane of the normal (and parallel to d
  // when d is given).
  SymAxis* FindEvenAxisInPlane(const double* normal, const double* d) const;
  // The next such axis after the given one; does not wrap round.
  SymAxis* FindNextEvenAxisInPlane(const double* normal, const SymAxis* after) const;
  void ClearAxisFlags();

  // ---- Operations ----

  // The improper matrix of a reflection type (-1: the group's own): central
  // inversion -I; rotation-reflection about the given direction or the first axis;
  // chiral leaves m unchanged; otherwise the reflection in the given normal or in
  // the first mirror plane.
  void GetReflectionMatrix(double* m, int32_t refl = -1, const double* normal = nullptr) const;
  // The group's improper operation applied to a point: for plane reflections the
  // reflection in mirror plane `plane`. False (out = in) when there is no such
  // operation.
  bool ReflectPoint(double* out, const double* in, int plane) const;
  // out = in - 2 (in . n) n with n the normal of mirror plane `plane`; false
  // (out = in) when there is no such plane.
  bool ReflectInPlane(double* out, const double* in, int plane) const;
  // The normal of the first mirror plane that contains direction d.
  bool FindMirrorPlaneContaining(double* normal, const double* d) const;
  bool HasCentralInversion() const;

  // ---- Names (null group: "Unknown", or the texts of a group without symmetry) ----

  static std::string GetName(const SymGroup* group);
  static const char* GetReflectionName(const SymGroup* group);
  // The notations: for a null group those of the current model, which are "---" for
  // the 3D part of a four-dimensional polytope. Defined with the model, which knows
  // the current model (model/ModelSymmetry.cpp); nothing below it calls them.
  static std::string GetSchoenflies(const SymGroup* group);
  static std::string GetOrbifold(const SymGroup* group);
  static std::string GetCoxeter(const SymGroup* group);
  // Schoenflies, orbifold and Coxeter notations joined by the separator.
  static std::string GetNotations(const SymGroup* group, const char* separator);

  // ---- Subgroups (a null parent has none) ----

  static bool GetNextRotationalSubgroup(const SymGroup* group, SymSubgroupSpec& spec);
  static bool GetRotationalSubgroup(const SymGroup* group, int n, SymSubgroupSpec& spec);
  static bool GetNextReflectiveSubgroup(const SymGroup* group, SymSubgroupSpec& spec);
  static bool GetReflectiveSubgroup(const SymGroup* group, int n, SymSubgroupSpec& spec);
  // One flat list of all (rotational, reflective) pairs, with their list indices.
  static bool GetNextSubgroup(const SymGroup* group, SymSubgroupSpec& spec, int& rotational, int& reflective);
  static bool GetSubgroup(const SymGroup* group, int n, SymSubgroupSpec& spec, int& rotational, int& reflective);
  static int FindSubgroupIndex(const SymGroup* group, int rotational, int reflective);
  static std::string GetRotationalSubgroupName(const SymGroup* group, const SymSubgroupSpec& spec);
  static std::string GetReflectiveSubgroupName(const SymGroup* group, const SymSubgroupSpec& spec);
  // The subgroup as a group of its own, its axes and planes on the parent's.
  std::unique_ptr<SymGroup> CreateSubgroup(const SymSubgroupSpec& spec) const;

 private:
  // Dnd of even n: the rotation-reflection carries each 2-fold axis of one class of
  // Dn onto one of the other, so both classes become one axis type (joined), and go
  // back to two types for any other reflection type.
  void ArrangeDihedralTwoFoldAxes(bool joined);
  // Axis i of axis type t as numbered in a dihedral group's two 2-fold types, also
  // when they are joined (there axis 2i of type 1 and axis 2i + 1 of type 1); other
  // groups' axes as they are. Null when there is no such axis.
  SymAxis* StandardAxis(int t, int i) const;
  bool HasAxis(int t, int i) const;
  bool HasPlane(int k) const;
  // Re-seating of a subgroup's axes and planes on the parent's (this is the subgroup).
  void CopySubgroupAxis(int t, int i, const SymGroup& parent, int u, int j);
  void CopySubgroupAxisNegated(int t, int i, const SymGroup& parent, int u, int j);
  void CopySubgroupPlane(int k, const SymGroup& parent, int m);
  void SetPlaneFromAxis(int k, int t, int i);
  void ReseatSubgroup(const SymGroup& parent, const SymSubgroupSpec& spec);
};

// A new group of the type in the standard orientation, chiral; `fold` is read for
// dihedral and pyramidal groups only (at least 1).
std::unique_ptr<SymGroup> CreateSymGroup(int32_t type, int32_t fold);
// A deep copy; null for null.
std::unique_ptr<SymGroup> CopySymGroup(const SymGroup* group);
// The group a face type of `count` faces with `fold`-fold symmetry suggests.
std::unique_ptr<SymGroup> GuessSymGroupFromFaces(int32_t fold, int32_t count);
// Whether the pair of group type and reflection type names a group.
bool IsReflectionTypeAllowed(int32_t type, int32_t refl);

}  // namespace corvia
