#include "model/LibraryEntry.h"

// The record's own members; those that need the library's table or its builders are
// the library's (construction/LibraryEntry.cpp).

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Messages.h"
#include "core/Strings.h"

namespace corvia {

namespace detail_LibraryEntryRecord {
constexpr const char* kPlaceholder = "<N>";
}  // namespace detail_LibraryEntryRecord

LibraryEntry::~LibraryEntry() {
  if (!IsUserRecord()) return;
  DeleteString(const_cast<char*>(mConfig));
  DeleteString(const_cast<char*>(mName));
  DeleteString(const_cast<char*>(mOtherNames));
  DeleteString(const_cast<char*>(mDescription));
  DeleteString(const_cast<char*>(mWebPage));
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
    if (std::strncmp(p, detail_LibraryEntryRecord::kPlaceholder, 3) == 0) {
      text += value;
      p += 3;
    } else {
      text += *p++;
    }
  }
  return text;
}

const char* LibraryEntry::GetUnavailableReason() const {
  switch (mCategory) {
    case kCategoryNearMisses:
      return "no published compromise fixes the coordinates of these near misses";
    case kCategoryToroids:
      return "Stewart's notation and the literature leave open which pieces of these toroids are joined or "
             "drilled, or how";
    default:
      return "";
  }
}

std::string LibraryEntry::GetNotAvailableText() const {
  std::string text = std::string("The model \"") + (mName ? mName : "") + "\" is not available yet";
  if (const char* reason = GetUnavailableReason(); *reason) text = text + ": " + reason;
  return text + ".";
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
