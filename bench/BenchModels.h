#pragma once
// Models the benchmarks measure on: a library record built as the program builds it,
// and the icosahedral geodesic sphere of a frequency.

#include <memory>

#include "construction/Library.h"
#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "symmetry/SimplePoly.h"

namespace corvia::bench {

constexpr int kLibraryIcosahedron = 4;

// Null when the record does not build.
inline std::unique_ptr<Poly> LibraryPoly(int index) {
  std::unique_ptr<SimplePoly> simple = GetLibraryEntry(index)->CreatePoly(false);
  auto poly = std::make_unique<Poly>();
  if (!simple || !CreatePoly(*simple, poly.get(), false, false)) return nullptr;
  return poly;
}

// 20 n^2 faces; null when it does not build.
inline std::unique_ptr<Poly> GeodesicSphere(int frequency) {
  std::unique_ptr<Poly> icosahedron = LibraryPoly(kLibraryIcosahedron);
  if (!icosahedron) return nullptr;
  std::unique_ptr<SimplePoly> simple = icosahedron->Subdivide(kSubdivideGeodesic, frequency);
  auto poly = std::make_unique<Poly>();
  if (!simple || !CreatePoly(*simple, poly.get(), false, false)) return nullptr;
  return poly;
}

// A document whose current model is `poly` while it lives (the writer and the
// commands ask the document for it).
class ShownModel final : public DocumentAccess {
 public:
  explicit ShownModel(Poly* poly) : mPoly(poly), mPrevious(InstallDocumentAccess(this)) {}
  ~ShownModel() override { InstallDocumentAccess(mPrevious); }
  ShownModel(const ShownModel&) = delete;
  ShownModel& operator=(const ShownModel&) = delete;
  Poly* GetCurrentPoly() override { return mPoly; }

 private:
  Poly* mPoly;
  DocumentAccess* mPrevious;
};

}  // namespace corvia::bench
