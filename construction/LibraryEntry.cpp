#include "construction/LibraryEntry.h"

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

constexpr const char* kPlaceholder = "<N>";
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

LibraryEntry::~LibraryEntry() {
  if (!IsUserRecord()) return;
  DeleteString(const_cast<char*>(mConfig));
  DeleteString(const_cast<char*>(mName));
  DeleteString(const_cast<char*>(mOtherNames));
  DeleteString(const_cast<char*>(mDescription));
  DeleteString(const_cast<char*>(mWebPage));
}

int LibraryEntry::GetIndex() const {
  if (this < &gLibraryTable[0] || this >= &gLibraryTable[kNumLibraryEntries]) return -1;
  return static_cast<int>(this - &gLibraryTable[0]);
}

int LibraryEntry::GetNumCells(bool dual) const {
  if (!dual) return mNumCells;
  return mNumCells > 0 ? mNumVerts : 0;
}

int LibraryEntry::GetNumFaces(bool dual) const {
  if (!dual) return mNumFaces;
  return mNumCells > 0 ? mNumEdges : mNumVerts;
}

int LibraryEntry::GetNumEdges(bool dual) const { return dual && mNumCells > 0 ? mNumFaces : mNumEdges; }

int LibraryEntry::GetNumVerts(bool dual) const {
  if (!dual) return mNumVerts;
  return mNumCells > 0 ? mNumCells : mNumFaces;
}

int LibraryEntry::GetWenningerNumber() const {
  return (mFlags & (kLibrarySpringBuilt | kLibraryParametric)) != 0 ? -1 : mWenninger;
}

int LibraryEntry::GetModelsPage() const {
  return (mFlags & (kLibrarySpringBuilt | kLibraryParametric)) != 0 ? -1 : mModelsPage;
}

int LibraryEntry::GetDualModelsPage() const {
  return (mFlags & (kLibrarySpringBuilt | kLibraryParametric)) != 0 ? -1 : mDualModelsPage;
}

std::string LibraryEntry::GetDualName() const {
  if (mDualName == nullptr) return {};
  const char* end = std::strchr(mDualName, ';');
  return end != nullptr ? std::string(mDualName, static_cast<size_t>(end - mDualName)) : std::string(mDualName);
}

bool LibraryEntry::MatchesDualName(const char* text) const {
  bool blankText = text == nullptr || IsBlank(text);
  if (mDualName == nullptr || IsBlank(mDualName)) return blankText;
  if (blankText) return false;
  return GetDualName() == text;
}

void LibraryEntry::GetParams(int& n, int& d) const {
  n = mWenninger;
  d = mModelsPage;
  if (mCategory == kCategoryPrisms && !IsParametric() && mConfig != nullptr) {
    char* end = nullptr;
    n = static_cast<int>(std::strtol(mConfig, &end, 10));
    d = *end == '/' ? static_cast<int>(std::strtol(end + 1, nullptr, 10)) : 1;
  }
}

std::string LibraryEntry::GetVertexConfiguration() const {
  if (IsUserRecord() || mConfig == nullptr) return {};
  if (!IsParametric()) return mConfig[0] == '?' ? std::string() : std::string(mConfig);
  int n = 0, d = 1;
  GetParams(n, d);
  std::string value = std::to_string(n);
  if (d != 1) value += "/" + std::to_string(d);
  std::string text;
  for (const char* p = mConfig; *p != 0;) {
    if (std::strncmp(p, detail_LibraryEntry::kPlaceholder, 3) == 0) {
      text += value;
      p += 3;
    } else {
      text += *p++;
    }
  }
  return text;
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

bool LibraryEntry::CheckParams(int n, int d, bool showErrors) {
  // The base is tested before it is stored, so a refused base never reaches the
  // record that stepping, naming and the builders read.
  uint32_t families = mFlags | detail_LibraryEntry::ParametricPrismFamily(*this);
  if ((families & kLibraryPrismFamily) && !CheckPrismBase(n, d, showErrors)) return false;
  if ((families & kLibraryAntiprismFamily) && !CheckAntiprismBase(n, d, showErrors)) return false;
  if ((families & kLibraryPyramidFamily) && !CheckPyramidBase(n, d, showErrors)) return false;
  if ((families & kLibraryCupolaFamily) && !CheckCupolaBase(n, d, showErrors)) return false;
  if ((families & kLibraryCuploidFamily) && !CheckCuploidBase(n, d, showErrors)) return false;
  if ((families & kLibraryCupolaicBlendFamily) && !CheckCupolaicBlendBase(n, d, showErrors)) return false;
  mWenninger = n;
  mModelsPage = d;
  return true;
}

bool LibraryEntry::IsAvailable() const {
  if (IsUserRecord() || !IsSpringBuilt() || (mFlags & kLibraryFamilyMask) != 0) return true;
  std::optional<std::string> text = GetFaceListText();
  return text && !text->empty();
}

bool LibraryEntry::CheckAvailable() const {
  if (IsAvailable()) return true;
  ShowNotAvailable();
  return false;
}

std::unique_ptr<SimplePoly> LibraryEntry::CreatePoly(bool dual) {
  if (IsUserRecord()) return OpenUserLibraryModel(mName, dual);
  if (!CheckAvailable()) return nullptr;
  return BuildLibraryEntryModel(*this, dual);
}

void LibraryEntry::ShowNotAvailable() const { ShowError("The model \"%s\" is not available yet.", mName); }

std::unique_ptr<SimplePoly> LibraryEntry::CreateSpringPoly(std::string* faceList) {
  if (!IsSpringBuilt()) return nullptr;
  std::optional<std::string> text = GetFaceListText();
  if (!text || text->empty()) return nullptr;

  std::unique_ptr<SimplePoly> poly;
  if (mFlags & kLibraryFamilyMask) {
    poly = BuildSpringModel(text->c_str(), nullptr, 0);
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
    poly = set != nullptr ? BuildSpringModel(text->c_str(), set->points, set->count)
                          : BuildSpringModel(text->c_str(), nullptr, 0);
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

std::string GetDualName(const LibraryEntry* entry) { return entry != nullptr ? entry->GetDualName() : std::string(); }

std::string GetVertexConfiguration(const LibraryEntry* entry) {
  return entry != nullptr ? entry->GetVertexConfiguration() : std::string();
}

std::string& LibraryWebSiteBase() {
  static std::string base;
  return base;
}

}  // namespace corvia
