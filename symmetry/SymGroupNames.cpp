#include "symmetry/SymGroupNames.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/Messages.h"
#include "core/Strings.h"
#include "core/TimeFormat.h"
#include "symmetry/SymSubgroups.h"

namespace corvia {

namespace detail_SymGroupNames {

// Large enough for any fold an int can hold ("*2147483647.2147483647"), so that
// no notation is ever cut; the joined texts are cut only by an absurd separator.
constexpr size_t kNameBufferSize = 48;
constexpr size_t kNotationBufferSize = 48;
constexpr size_t kJoinedBufferSize = 160;

char gNameBuffer[kNameBufferSize];
char gSchoenfliesBuffer[kNotationBufferSize];
char gOrbifoldBuffer[kNotationBufferSize];
char gCoxeterBuffer[kNotationBufferSize];
char gGroupNotationsBuffer[kJoinedBufferSize];
char gSubgroupNotationsBuffer[kJoinedBufferSize];

// Orbifold digits of folds of two or more digits are separated by dots.
const char* Separator(int fold) {
  return fold >= 10 ? "." : "";
}

// 2n for the forms that print twice the fold, without overflow.
long long Twice(int fold) {
  return 2LL * fold;
}

int FirstFold(const SymGroup& group) {
  return group.numAxisTypes > 0 ? group.axisTypes[0].fold : -1;
}

// Whether the current model is a four-dimensional polytope; its texts then read
// "---" in place of a group. The model does not exist in this build yet.
bool CurrentModelIsFourDimensional(const char* caller) {
  ShowInternalError("%s: the current model is not available in this build", caller);
  return false;
}

const char* Join(char* buffer, size_t size, const char* a, const char* separator, const char* b, const char* c) {
  if (separator == nullptr) separator = "";
  std::snprintf(buffer, size, "%s%s%s%s%s", a, separator, b, separator, c);
  return buffer;
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

const char* GetSymmetryName(int32_t type, int32_t fold) {
  using namespace detail_SymGroupNames;
  switch (type) {
    case kSymGroupDihedral:
      std::snprintf(gNameBuffer, sizeof gNameBuffer, "%d-fold Dihedral", fold);
      return gNameBuffer;
    case kSymGroupPyramidal:
      std::snprintf(gNameBuffer, sizeof gNameBuffer, "%d-fold Pyramidal", fold);
      return gNameBuffer;
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

const char* GetSchoenfliesNotation(int32_t type, int32_t refl, int32_t fold) {
  using namespace detail_SymGroupNames;
  char* out = gSchoenfliesBuffer;
  const size_t size = sizeof gSchoenfliesBuffer;
  int length = 0;
  switch (type) {
    case kSymGroupIcosahedral:
      length = std::snprintf(out, size, "I");
      break;
    case kSymGroupOctahedral:
      length = std::snprintf(out, size, "O");
      break;
    case kSymGroupTetrahedral:
      length = std::snprintf(out, size, "T");
      break;
    case kSymGroupDihedral:
      length = std::snprintf(out, size, "D%d", fold);
      break;
    case kSymGroupPyramidal:
      // A rotation-reflection group is named by the order of its generator.
      if (refl == kReflectionRotation) {
        length = std::snprintf(out, size, "S%lld", Twice(fold));
      } else {
        length = std::snprintf(out, size, "C%d", fold);
      }
      break;
    case kSymGroupNone: {
      char suffix = refl == kReflectionCentral ? 'i' : refl == kReflectionChiral ? '1' : 's';
      std::snprintf(out, size, "C%c", suffix);
      return out;
    }
    default:
      std::snprintf(out, size, "???");
      return out;
  }
  char suffix = 0;
  if (refl == kReflectionHorizontal) {
    suffix = 'h';
  } else if (refl == kReflectionVertical) {
    suffix = type == kSymGroupDihedral ? 'd' : 'v';
  } else if (refl == kReflectionDiagonal) {
    suffix = 'd';
  }
  if (suffix != 0 && length >= 0 && static_cast<size_t>(length) + 1 < size) {
    out[length] = suffix;
    out[length + 1] = 0;
  }
  return out;
}

const char* GetOrbifoldNotation(int32_t type, int32_t refl, int32_t fold) {
  using namespace detail_SymGroupNames;
  char* out = gOrbifoldBuffer;
  const size_t size = sizeof gOrbifoldBuffer;
  const char* sep = Separator(fold);
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
      if (refl == kReflectionHorizontal) {
        std::snprintf(out, size, "*2%s2%s%d", sep, sep, fold);
      } else if (refl == kReflectionVertical) {
        std::snprintf(out, size, "2*%d", fold);
      } else {
        std::snprintf(out, size, "2%s2%s%d", sep, sep, fold);
      }
      return out;
    case kSymGroupPyramidal:
      if (refl == kReflectionHorizontal) {
        std::snprintf(out, size, "%d*", fold);
      } else if (refl == kReflectionVertical) {
        std::snprintf(out, size, "*%d%s%d", fold, sep, fold);
      } else if (refl == kReflectionRotation) {
        std::snprintf(out, size, "%dx", fold);
      } else {
        std::snprintf(out, size, "%d%s%d", fold, sep, fold);
      }
      return out;
    case kSymGroupNone:
      if (refl == kReflectionCentral) return "1x";
      if (refl == kReflectionChiral) return "11";
      return "1*";
    default:
      return "???";
  }
}

const char* GetCoxeterNotation(int32_t type, int32_t refl, int32_t fold) {
  using namespace detail_SymGroupNames;
  char* out = gCoxeterBuffer;
  const size_t size = sizeof gCoxeterBuffer;
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
      if (refl == kReflectionHorizontal) {
        std::snprintf(out, size, "[2,%d]", fold);
      } else if (refl == kReflectionVertical) {
        std::snprintf(out, size, "[2+,%lld]", Twice(fold));
      } else {
        std::snprintf(out, size, "[2,%d]+", fold);
      }
      return out;
    case kSymGroupPyramidal:
      if (refl == kReflectionHorizontal) {
        std::snprintf(out, size, "[2,%d+]", fold);
      } else if (refl == kReflectionVertical) {
        std::snprintf(out, size, "[1,%d]", fold);
      } else if (refl == kReflectionRotation) {
        std::snprintf(out, size, "[2+,%lld+]", Twice(fold));
      } else {
        std::snprintf(out, size, "[1,%d]+", fold);
      }
      return out;
    case kSymGroupNone:
      if (refl == kReflectionCentral) return "[2+,2+]";
      if (refl == kReflectionChiral) return "[ ]+";
      return "[ ]";
    default:
      return "???";
  }
}

const char* SymGroup::GetName(const SymGroup* group) {
  if (group == nullptr) return "Unknown";
  return GetSymmetryName(group->type, detail_SymGroupNames::FirstFold(*group));
}

const char* SymGroup::GetReflectionName(const SymGroup* group) {
  if (group == nullptr) return "Unknown";
  return corvia::GetReflectionName(group->reflectionType);
}

const char* SymGroup::GetSchoenflies(const SymGroup* group) {
  using namespace detail_SymGroupNames;
  if (group == nullptr) {
    if (CurrentModelIsFourDimensional("SymGroup::GetSchoenflies")) return "---";
    return "C1";
  }
  return GetSchoenfliesNotation(group->type, group->reflectionType, FirstFold(*group));
}

const char* SymGroup::GetOrbifold(const SymGroup* group) {
  using namespace detail_SymGroupNames;
  if (group == nullptr) {
    if (CurrentModelIsFourDimensional("SymGroup::GetOrbifold")) return "---";
    return "11";
  }
  return GetOrbifoldNotation(group->type, group->reflectionType, FirstFold(*group));
}

const char* SymGroup::GetCoxeter(const SymGroup* group) {
  using namespace detail_SymGroupNames;
  if (group == nullptr) {
    if (CurrentModelIsFourDimensional("SymGroup::GetCoxeter")) return "---";
    return "[ ]+";
  }
  return GetCoxeterNotation(group->type, group->reflectionType, FirstFold(*group));
}

const char* SymGroup::GetNotations(const SymGroup* group, const char* separator) {
  using namespace detail_SymGroupNames;
  if (group == nullptr) {
    if (CurrentModelIsFourDimensional("SymGroup::GetNotations")) return "---";
    return Join(gGroupNotationsBuffer, sizeof gGroupNotationsBuffer, "C1", separator, "11", "[ ]+");
  }
  int fold = FirstFold(*group);
  // Each notation has a buffer of its own, so the three can be joined.
  return Join(gGroupNotationsBuffer, sizeof gGroupNotationsBuffer,
              GetSchoenfliesNotation(group->type, group->reflectionType, fold), separator,
              GetOrbifoldNotation(group->type, group->reflectionType, fold),
              GetCoxeterNotation(group->type, group->reflectionType, fold));
}

const char* GetSubgroupSchoenflies(const SymSubgroupSpec* spec) {
  if (spec == nullptr) return "C1";
  return GetSchoenfliesNotation(spec->type, spec->reflectionType, spec->fold);
}

const char* GetSubgroupOrbifold(const SymSubgroupSpec* spec) {
  if (spec == nullptr) return "11";
  return GetOrbifoldNotation(spec->type, spec->reflectionType, spec->fold);
}

const char* GetSubgroupCoxeter(const SymSubgroupSpec* spec) {
  if (spec == nullptr) return "[ ]+";
  return GetCoxeterNotation(spec->type, spec->reflectionType, spec->fold);
}

const char* GetSubgroupNotations(const SymSubgroupSpec* spec, const char* separator) {
  using namespace detail_SymGroupNames;
  return Join(gSubgroupNotationsBuffer, sizeof gSubgroupNotationsBuffer, GetSubgroupSchoenflies(spec), separator,
              GetSubgroupOrbifold(spec), GetSubgroupCoxeter(spec));
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
