#include "construction/BuildHooks.h"

#include "construction/Library.h"
#include "construction/ModelLookup.h"

namespace corvia {

LibraryEntry* GetTemplateLibraryEntry(const PolyTemplate* poly, int* n, int* d) {
  const int index = poly ? FindLibraryEntryByText(nullptr, poly, n, d) : -1;
  return index >= 0 ? GetLibraryEntry(index) : nullptr;
}

}  // namespace corvia
