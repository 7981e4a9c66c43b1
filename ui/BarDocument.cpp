#include "ui/BarDocument.h"

#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "render/OutcomeBoxes.h"

namespace corvia {

namespace detail_BarDocument {

BarDocument gNoDocument;
BarDocument* gDocument = &gNoDocument;

}  // namespace detail_BarDocument

void BarDocument::ShowSelectionChange(Poly& poly) { (void)poly.TakeSelectionChange(); }

BarDocument& GetBarDocument() {
  return *detail_BarDocument::gDocument;
}

BarDocument* InstallBarDocument(BarDocument* document) {
  using namespace detail_BarDocument;
  BarDocument* previous = gDocument == &gNoDocument ? nullptr : gDocument;
  gDocument = document ? document : &gNoDocument;
  return previous;
}

bool ApplySubSymmetry(Poly& poly, int rotational, int reflective) {
  Outcome warned;
  const bool applied = poly.ApplySubSymmetry(rotational, reflective, &warned);
  TellOutcome(warned);
  GetBarDocument().ShowSelectionChange(poly);
  return applied;
}

LibraryEntry* GetPolyLibraryEntry(const Poly* poly) {
  if (!poly) return nullptr;
  if (poly->mLibraryEntry) return poly->mLibraryEntry;
  return poly->mTemplate ? poly->mTemplate->mEntry : nullptr;
}

}  // namespace corvia
