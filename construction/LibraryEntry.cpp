#include "model/LibraryEntry.h"

// The members of a library record that need the table of records, the families or the
// builders; the record's own are in model/LibraryEntry.cpp.

#include <cstdlib>
#include <cstring>

#include "construction/Library.h"
#include "construction/LibraryHooks.h"
#include "construction/PolyFamily.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_LibraryEntry {

// A point set larger than this is a damaged table.
constexpr int kMaxPointSetCount = 1000;

// A prism or antiprism record given by "<N>": the family named by its configuration.
uint32_t ParametricPrismFamily(const LibraryEntry& entry) {
  if (entry.mCategory != kCategoryPrisms || !entry.IsParametric() || entry.mConfig == nullptr) return 0;
  size_t length = std::strlen(entry.mConfig);
  return length > 0 && entry.mConfig[length - 1] == '4' ? kFamilyPrism : kFamilyAntiprism;
}

// The number of vertices a face-list text describes: the sum of its ring labels,
// or without labels one more than the largest vertex index.
int CountFaceListVerts(const char* text) {
  int labelled = 0, largest = -1;
  bool inFace = false;
  for (const char* p = text; *p != 0;) {
    if (*p == '(') {
      inFace = true;
      ++p;
    } else if (*p == ')') {
      inFace = false;
      ++p;
    } else if (!inFace && *p == 'L') {
      ++p;
      if (*p == '+') ++p;
      labelled += static_cast<int>(std::strtol(p, nullptr, 10));
      p = SkipDigits(p);
    } else if (inFace && *p >= '0' && *p <= '9') {
      int v = static_cast<int>(std::strtol(p, nullptr, 10));
      if (v > largest) largest = v;
      p = SkipDigits(p);
    } else {
      ++p;
    }
  }
  return labelled > 0 ? labelled : largest + 1;
}

}  // namespace detail_LibraryEntry

int LibraryEntry::GetIndex() const {
  if (this < &gLibraryTable[0] || this >= &gLibraryTable[kNumLibraryEntries]) return -1;
  return static_cast<int>(this - &gLibraryTable[0]);
}

std::optional<std::string> LibraryEntry::GetFaceListText() const {
  if (!IsSpringBuilt()) return std::nullopt;
  int n = 0, d = 1;
  GetParams(n, d);
  if (mFlags & kLibraryPrismFamily) return MakePrismDesc(n, d);
  if (mFlags & kLibraryAntiprismFamily) return MakeAntiprismDesc(n, d);
  if (mFlags & kLibraryPyramidFamily) return MakePyramidDesc(n, d);
  if (mFlags & kLibraryCupolaFamily) return MakeCupolaDesc(n, d);
  if (mFlags & kLibraryCuploidFamily) return MakeCuploidDesc(n, d);
  if (mFlags & kLibraryCupolaicBlendFamily) return MakeCupolaicBlendDesc(n, d);
  // Stored lists: one slot per record from the first spring-built one on.
  int slot = GetIndex() - GetFirstSpringRecordIndex();
  if (GetIndex() >= 0 && slot >= 0 && slot < kNumLibraryFaceLists) return std::string(kLibraryFaceLists[slot]);
  return std::string();
}

bool LibraryEntry::CheckParams(int n, int d, Outcome* why) {
  // The base is tested before it is stored, so a refused base never reaches the
  // record that stepping, naming and the builders read.
  uint32_t families = mFlags | detail_LibraryEntry::ParametricPrismFamily(*this);
  if ((families & kLibraryPrismFamily) && !CheckPrismBase(n, d, why)) return false;
  if ((families & kLibraryAntiprismFamily) && !CheckAntiprismBase(n, d, why)) return false;
  if ((families & kLibraryPyramidFamily) && !CheckPyramidBase(n, d, why)) return false;
  if ((families & kLibraryCupolaFamily) && !CheckCupolaBase(n, d, why)) return false;
  if ((families & kLibraryCuploidFamily) && !CheckCuploidBase(n, d, why)) return false;
  if ((families & kLibraryCupolaicBlendFamily) && !CheckCupolaicBlendBase(n, d, why)) return false;
  mWenninger = n;
  mModelsPage = d;
  return true;
}

bool LibraryEntry::IsAvailable() const {
  if (IsUserRecord() || !IsSpringBuilt() || (mFlags & kLibraryFamilyMask) != 0) return true;
  std::optional<std::string> text = GetFaceListText();
  return text && !text->empty();
}

bool LibraryEntry::CheckAvailable(Outcome* why) const {
  if (IsAvailable()) return true;
  if (why) *why = Outcome::Refused(GetNotAvailableText());
  return false;
}

std::unique_ptr<SimplePoly> LibraryEntry::CreatePoly(bool dual, Outcome* why) {
  if (IsUserRecord()) return ReadModelFromFile(mName, dual, why);
  if (!CheckAvailable(why)) return nullptr;
  return BuildLibraryEntryModel(*this, dual, why);
}

std::unique_ptr<SimplePoly> LibraryEntry::CreateSpringPoly(std::string* faceList, Outcome* why) {
  if (!IsSpringBuilt()) return nullptr;
  std::optional<std::string> text = GetFaceListText();
  if (!text || text->empty()) return nullptr;

  std::unique_ptr<SimplePoly> poly;
  if (mFlags & kLibraryFamilyMask) {
    poly = BuildSpringModel(text->c_str(), nullptr, 0, why);
  } else {
    // The point sets are stored one after the other from the first spring-built
    // record; there are none beyond the last set, and a set without points leaves
    // the model to the spring relaxation.
    const LibraryPointSet* set = nullptr;
    int slot = GetIndex() - GetFirstSpringRecordIndex();
    for (int k = 0; k <= slot && k < kNumLibraryPointSets; ++k) {
      if (kLibraryPointSets[k].count > detail_LibraryEntry::kMaxPointSetCount) {
        ShowInternalError("CreateSpringPoly: %d verts (0x%x)", kLibraryPointSets[k].count, k);
        break;
      }
      if (k == slot && kLibraryPointSets[k].count > 0) set = &kLibraryPointSets[k];
    }
    int modelVerts = detail_LibraryEntry::CountFaceListVerts(text->c_str());
    if (set != nullptr && set->count != modelVerts) {
      ShowInternalError("CreateSpringPoly: Expected %d verts, got %d", modelVerts, set->count);
      set = nullptr;
    }
    poly = set != nullptr ? BuildSpringModel(text->c_str(), set->points, set->count, why)
                          : BuildSpringModel(text->c_str(), nullptr, 0, why);
  }
  if (faceList != nullptr) *faceList = *text;
  if (poly == nullptr) return nullptr;

  const char* config = mConfig != nullptr ? mConfig : "";
  if (mCategory == kCategoryJohnson || mCategory == kCategoryNearMisses ||
      (mCategory == kCategoryPrisms && std::strchr(config, '/') == nullptr && std::strchr(config, 'N') == nullptr))
    poly->flags |= kSpringPolyRegularFlags;
  if (mCategory == kCategoryToroids && StrCompareNoCase(config, "P6 / gP6") == 0) poly->flags |= kSpringPolyToroidFlags;
  return poly;
}

}  // namespace corvia
