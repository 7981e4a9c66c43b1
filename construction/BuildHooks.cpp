#include "construction/BuildHooks.h"

#include "core/Messages.h"

namespace corvia {

LibraryEntry* GetTemplateLibraryEntry(const PolyTemplate*, int* n, int* d) {
  if (n) *n = -1;
  if (d) *d = -1;
  ShowInternalError("GetTemplateLibraryEntry: Not available in this build");
  return nullptr;
}

}  // namespace corvia
