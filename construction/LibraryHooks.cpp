#include "construction/LibraryHooks.h"

// BuildLibraryEntryModel and BuildSpringModel are the library's own road to a model:
// LibraryBuild.cpp.

#include "construction/LibraryEntry.h"
#include "core/Messages.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

std::unique_ptr<SimplePoly> OpenUserLibraryModel(const char* /*path*/, bool /*dual*/) {
  ShowInternalError("OpenUserLibraryModel: Not available in this build");
  return nullptr;
}

void ShowWenningerStellation(int /*number*/, const char* /*baseConfig*/, const int32_t* /*ranges*/, int /*numRanges*/) {
  ShowInternalError("ShowWenningerStellation: Not available in this build");
}

LibraryEntry* RunPolyhedraDialog() {
  ShowInternalError("RunPolyhedraDialog: Not available in this build");
  return nullptr;
}

}  // namespace corvia
