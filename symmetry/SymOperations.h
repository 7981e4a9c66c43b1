#pragma once
// The operations of a symmetry group one by one, with exact matrices: rotations by
// 2 pi step / fold about each axis, then (when asked) the improper operations as
// each rotation times the group's improper matrix. Also the colour index that the
// special colour arrangements take from an element's symmetry axis, and the axis
// colours of the symmetry drawing.

#include <cstdint>

#include "symmetry/SymGroup.h"

namespace corvia {

// Position in the rotations of a group. All -1 before the start and after the end.
struct SymRotationIterator {
  int32_t axisType = -1;
  int32_t axis = -1;
  // 1 .. fold - 1; 0 for the identity.
  int32_t step = -1;

  void Reset() { axisType = axis = step = -1; }
  bool AtStart() const { return axisType < 0; }
};

// Position in all operations: the rotations, then (improperPhase 1) each rotation
// combined with the improper matrix.
struct SymOperationIterator : SymRotationIterator {
  uint8_t improperPhase = 0;

  void Reset() {
    SymRotationIterator::Reset();
    improperPhase = 0;
  }
};

// The stellation option bits; Maintain Reflexibility makes every operation
// iteration include the improper operations.
extern uint32_t StellationOptions;
constexpr uint32_t kStellationMaintainReflexibility = 0x1;

// Steps to the next rotation of the group; the identity comes first when
// withIdentity is set. With a matrix, fills it (column order). False at the end,
// the iterator then reset. A null group or one without axes has only the identity.
bool GetNextSymmetryRotation(const SymGroup* group, SymRotationIterator& it, bool withIdentity, double* matrix);

// All rotations, then, unless the group is chiral or neither includeImproper nor
// Maintain Reflexibility asks for them, every rotation R times the improper matrix
// F (R x F).
bool GetNextSymmetryOperation(const SymGroup* group, SymOperationIterator& it, bool withIdentity, double* matrix,
                              bool includeImproper);

// Only the improper operations R x F, the identity rotation first. Fills `improper`
// with F at the start. False at once for a chiral group.
bool GetNextImproperOperation(const SymGroup* group, SymRotationIterator& it, double* improper, double* matrix);

// The exact rotation by 2 pi step / fold about the (not necessarily unit) axis.
void SymmetryRotationMatrix(double* matrix, const double* axis, int step, int fold);

// ---- Special colour arrangements ----------------------------------------------

// Scheme bits; each is one arrangement of the Color menu.
constexpr uint32_t kColorArrangementDodecahedral1 = 0x1000;
constexpr uint32_t kColorArrangementDodecahedral2 = 0x2000;
constexpr uint32_t kColorArrangementIcosahedral1 = 0x4000;
constexpr uint32_t kColorArrangementIcosahedral2 = 0x8000;
constexpr uint32_t kColorArrangementIcosahedral3 = 0x10000;
constexpr uint32_t kColorArrangementTriacontahedral1 = 0x20000;
constexpr uint32_t kColorArrangementTriacontahedral2 = 0x40000;
constexpr uint32_t kColorArrangementCubic = 0x80000;
constexpr uint32_t kColorArrangementOctahedral = 0x100000;
constexpr uint32_t kColorArrangementRhombicDodecahedral1 = 0x200000;
constexpr uint32_t kColorArrangementRhombicDodecahedral2 = 0x400000;
constexpr uint32_t kColorArrangementRhombicDodecahedral3 = 0x800000;
constexpr uint32_t kColorArrangementMask = 0xfff000;

// Colour index of a face or vertex from the symmetry axis through it (`axis`) and the
// axis direction stored with the element (`elementDirection`; null: the axis's own),
// which tells the two ends of an axis apart; -1 when the scheme does not apply.
// `secondIndex` receives the colour of the axis's other end. GetPredefinedColorIndex
// (model/ColorSchemes.h) finds the element's axis first.
int GetPredefinedColorIndexOfAxis(const SymGroup* group, uint32_t schemeBits, const SymAxisType* axisType,
                                  const SymAxis* axis, const double* elementDirection, int* secondIndex);

}  // namespace corvia
