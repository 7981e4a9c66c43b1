// The parts of a Poly that read its library entry: the names, the description and
// the web link a model takes from the record it was built from.

#include <cstdio>
#include <cstring>
#include <string>

#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"

namespace corvia {

namespace detail_PolyLibrary {

// A parametric record's names stand for every n: "N-gonal Prism".
constexpr const char* kParametricNamePrefix = "N-";
constexpr const char* kPlaceholder = "<N>";

bool IsBlankText(const char* text) {
  if (!text) return true;
  for (; *text; ++text) {
    if (*text != ' ' && *text != '\t') return false;
  }
  return true;
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// One type, or two that are each other's mirror partners.
bool AllAlike(const FaceTypeBlock* block) {
  const FaceType* first = block ? block->mFirstFaceType : nullptr;
  if (!first) return false;
  const FaceType* second = first->mNext;
  if (!second) return true;
  return !second->mNext && first->mMirrorPartner == second && second->mMirrorPartner == first;
}

}  // namespace detail_PolyLibrary

bool Poly::IsUniform() const {
  return detail_PolyLibrary::AllAlike(mDualBlock.get());
}

bool Poly::HasFacesAlike() const {
  return detail_PolyLibrary::AllAlike(mBaseBlock.get());
}

void Poly::SetLibraryEntry(LibraryEntry* entry) {
  namespace d = detail_PolyLibrary;
  mLibraryEntry = entry;
  mLibraryEntryOfDual = nullptr;
  SetName(nullptr);
  SetDualName(nullptr);
  SetName3(nullptr);
  SetWebLink(nullptr);
  if (!entry) return;

  std::string name = entry->mName ? entry->mName : "";
  const bool hasDual = !d::IsBlankText(entry->mDualName);
  std::string dualName = hasDual ? entry->mDualName : "";

  // A parametric record is named for the parameters it holds now: "N-gonal Prism"
  // with n = 7, d = 2 is the "7/2-gonal Prism".
  if (entry->IsParametric() && entry->mConfig && std::strstr(entry->mConfig, d::kPlaceholder)) {
    int n = 0;
    int den = 1;
    entry->GetParams(n, den);
    char prefix[32];
    if (den == 1) {
      std::snprintf(prefix, sizeof prefix, "%d", n);
    } else {
      std::snprintf(prefix, sizeof prefix, "%d/%d", n, den);
    }
    if (d::StartsWith(name, d::kParametricNamePrefix)) name = prefix + name.substr(1);
    if (hasDual && d::StartsWith(dualName, d::kParametricNamePrefix)) dualName = prefix + dualName.substr(1);
  }
  const size_t cut = dualName.find(';');
  if (cut != std::string::npos) dualName.resize(cut);

  SetName(name.c_str());
  SetDualName(dualName.c_str());
  SetName3(entry->mDescription);
  // A page name that is a full address stands as it is; any other needs the web
  // site's base address, and without one there is no link.
  if (!d::IsBlankText(entry->mWebPage)) {
    std::string link = entry->mWebPage;
    const std::string& base = LibraryWebSiteBase();
    if (!d::StartsWith(link, "http")) link = base.empty() ? std::string() : base + "/" + link;
    if (!link.empty()) SetWebLink(link.c_str());
  }
}

}  // namespace corvia
