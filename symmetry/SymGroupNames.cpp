#include "symmetry/SymGroupNames.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Strings.h"
#include "core/TimeFormat.h"
#include "symmetry/SymSubgroups.h"

namespace corvia {

namespace detail_SymGroupNames {

// Orbifold digits of folds of two or more digits are separated by dots.
const char* Separator(int fold) {
  return fold >= 10 ? "." : "";
}

std::string Number(long long n) {
  return std::to_string(n);
}

// 2n for the forms that print twice the fold, without overflow.
std::string Twice(int fold) {
  return Number(2LL * fold);
}

int FirstFold(const SymGroup& group) {
  return group.numAxisTypes > 0 ? group.axisTypes[0].fold : -1;
}

std::string Join(const std::string& a, const char* separator, const std::string& b, const std::string& c) {
  if (separator == nullptr) separator = "";
  return a + separator + b + separator + c;
}

}  // namespace detail_SymGroupNames

const char* GetSymmetryTypeName(int32_t type) {
  switch (type) {
    case kSymGroupIcosahedral:
      return "Icosahedral";
    case kSymGroupOctahedral:
      return "Octahedral";
    case kSymGroupTetrahedral:
      return "Tetrahedral";
    case kSymGroupDihedral:
      return "N-fold Dihedral";
    case kSymGroupPyramidal:
      return "N-fold Pyramidal";
    case kSymGroupNone:
      return "No Symmetry";
    default:
      return "???";
  }
}

std::string GetSymmetryName(int32_t type, int32_t fold) {
  using namespace detail_SymGroupNames;
  switch (type) {
    case kSymGroupDihedral:
      return Number(fold) + "-fold Dihedral";
    case kSymGroupPyramidal:
      return Number(fold) + "-fold Pyramidal";
    default:
      return GetSymmetryTypeName(type);
  }
}

const char* GetReflectionName(int32_t refl) {
  switch (refl) {
    case kReflectionHorizontal:
      return "Horizontal Reflection";
    case kReflectionVertical:
      return "Vertical Reflection";
    case kReflectionDiagonal:
      return "Diagonal Reflection";
    case kReflectionRotation:
      return "Rotation-Reflection";
    case kReflectionCentral:
      return "Central Inversion";
    case kReflectionChiral:
      return "Chiral (No Reflection)";
    default:
      return "???";
  }
}

std::string GetSchoenfliesNotation(int32_t type, int32_t refl, int32_t fold) {
  using namespace detail_SymGroupNames;
  std::string out;
  switch (type) {
    case kSymGroupIcosahedral:
      out = "I";
      break;
    case kSymGroupOctahedral:
      out = "O";
      break;
    case kSymGroupTetrahedral:
      out = "T";
      break;
    case kSymGroupDihedral:
      out = "D" + Number(fold);
      break;
    case kSymGroupPyramidal:
      // A rotation-reflection group is named by the order of its generator.
      out = refl == kReflectionRotation ? "S" + Twice(fold) : "C" + Number(fold);
      break;
    case kSymGroupNone:
      return refl == kReflectionCentral ? "Ci" : refl == kReflectionChiral ? "C1" : "Cs";
    default:
      return "???";
  }
  if (refl == kReflectionHorizontal) {
    out += 'h';
  } else if (refl == kReflectionVertical) {
    out += type == kSymGroupDihedral ? 'd' : 'v';
  } else if (refl == kReflectionDiagonal) {
    out += 'd';
  }
  return out;
}

std::string GetOrbifoldNotation(int32_t type, int32_t refl, int32_t fold) {
  using namespace detail_SymGroupNames;
  const std::string sep = Separator(fold);
  const std::string n = Number(fold);
  switch (type) {
    case kSymGroupIcosahedral:
      return refl == kReflectionHorizontal ? "*532" : "532";
    case kSymGroupOctahedral:
      return refl == kReflectionHorizontal ? "*432" : "432";
    case kSymGroupTetrahedral:
      if (refl == kReflectionHorizontal) return "3*2";
      if (refl == kReflectionDiagonal) return "*332";
      return "332";
    case kSymGroupDihedral:
      if (refl == kReflectionHorizontal) return "*2" + sep + "2" + sep + n;
      if (refl == kReflectionVertical) return "2*" + n;
      return "2" + sep + "2" + sep + n;
    case kSymGroupPyramidal:
      if (refl == kReflectionHorizontal) return n + "*";
      if (refl == kReflectionVertical) return "*" + n + sep + n;
      if (refl == kReflectionRotation) return n + "x";
      return n + sep + n;
    case kSymGroupNone:
      if (refl == kReflectionCentral) return "1x";
      if (refl == kReflectionChiral) return "11";
      return "1*";
    default:
      return "???";
  }
}

std::string GetCoxeterNotation(int32_t type, int32_t refl, int32_t fold) {
  using namespace detail_SymGroupNames;
  const std::string n = Number(fold);
  switch (type) {
    case kSymGroupIcosahedral:
      return refl == kReflectionHorizontal ? "[5,3]" : "[5,3]+";
    case kSymGroupOctahedral:
      return refl == kReflectionHorizontal ? "[4,3]" : "[4,3]+";
    case kSymGroupTetrahedral:
      if (refl == kReflectionHorizontal) return "[4,3+]";
      if (refl == kReflectionDiagonal) return "[3,3]";
      return "[3,3]+";
    case kSymGroupDihedral:
      if (refl == kReflectionHorizontal) return "[2," + n + "]";
      if (refl == kReflectionVertical) return "[2+," + Twice(fold) + "]";
      return "[2," + n + "]+";
    case kSymGroupPyramidal:
      if (refl == kReflectionHorizontal) return "[2," + n + "+]";
      if (refl == kReflectionVertical) return "[1," + n + "]";
      if (refl == kReflectionRotation) return "[2+," + Twice(fold) + "+]";
      return "[1," + n + "]+";
    case kSymGroupNone:
      if (refl == kReflectionCentral) return "[2+,2+]";
      if (refl == kReflectionChiral) return "[ ]+";
      return "[ ]";
    default:
      return "???";
  }
}

std::string SymGroup::GetName(const SymGroup* group) {
  if (group == nullptr) return "Unknown";
  return GetSymmetryName(group->type, detail_SymGroupNames::FirstFold(*group));
}

const char* SymGroup::GetReflectionName(const SymGroup* group) {
  if (group == nullptr) return "Unknown";
  return corvia::GetReflectionName(group->reflectionType);
}

std::string GetSubgroupSchoenflies(const SymSubgroupSpec* spec) {
  if (spec == nullptr) return "C1";
  return GetSchoenfliesNotation(spec->type, spec->reflectionType, spec->fold);
}

std::string GetSubgroupOrbifold(const SymSubgroupSpec* spec) {
  if (spec == nullptr) return "11";
  return GetOrbifoldNotation(spec->type, spec->reflectionType, spec->fold);
}

std::string GetSubgroupCoxeter(const SymSubgroupSpec* spec) {
  if (spec == nullptr) return "[ ]+";
  return GetCoxeterNotation(spec->type, spec->reflectionType, spec->fold);
}

std::string GetSubgroupNotations(const SymSubgroupSpec* spec, const char* separator) {
  using namespace detail_SymGroupNames;
  return Join(GetSubgroupSchoenflies(spec), separator, GetSubgroupOrbifold(spec), GetSubgroupCoxeter(spec));
}

bool GetAxisName(const SymGroup* group, char* buffer, size_t size, const char* prefix, int i) {
  if (buffer == nullptr || size == 0) return false;
  buffer[0] = 0;
  size_t length = 0;
  if (!IsBlank(prefix)) {
    int written = std::snprintf(buffer, size, "%s ", prefix);
    length = written < 0 ? 0 : static_cast<size_t>(written) < size ? static_cast<size_t>(written) : size - 1;
  }
  // A caption such as "Colour by axis" continues in lower case; a title such as
  // "Rotation Axis" does not.
  const char* noun = "Axis";
  if (prefix != nullptr) {
    for (const char* p = prefix; *p != 0; ++p) {
      if (p[0] == ' ' && std::islower(static_cast<unsigned char>(p[1]))) {
        noun = "axis";
        break;
      }
    }
  }
  if (group != nullptr && i >= 0 && i < group->numAxisTypes) {
    std::snprintf(buffer + length, size - length, "%d-fold %s", group->axisTypes[i].fold, noun);
    return true;
  }
  std::snprintf(buffer, size, "%s %d%s %s", prefix != nullptr ? prefix : "", i + 1, GetOrdinalSuffix(i + 1), noun);
  return false;
}

}  // namespace corvia
