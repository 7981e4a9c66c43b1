// How a library record becomes a model. A record given by a vertex configuration is
// solved into a PolyTemplate and grown face by face into a temporary Poly; a prism or
// antiprism is made directly; a record with stored or generated coordinates fills a
// SimplePoly through the spring model and goes through CreatePoly. The finished Poly
// then hands out its base or its dual as a SimplePoly and is thrown away.

#include <memory>

#include "construction/DerivedModels.h"
#include "construction/LibraryEntry.h"
#include "construction/LibraryHooks.h"
#include "construction/PolyTemplate.h"
#include "construction/SpringRelax.h"
#include "core/Messages.h"
#include "model/Poly.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_LibraryBuild {

// Settling runs of a relaxed model before it is given up.
constexpr int kSpringAttempts = 10;

// The spring model read from the text, with every vertex placed at its stored point.
std::unique_ptr<SimplePoly> PlaceAtPoints(const SpringPolyDesc& desc, const double (*points)[3]) {
  auto result = std::make_unique<SimplePoly>(desc.mNumVerts, desc.mNumFaces);
  int i = 0;
  for (SpringVert* v = GetFirstSpringVert(); v && i < desc.mNumVerts; v = static_cast<SpringVert*>(v->mNext), ++i) {
    result->VertAt(i).SetPos(points[i]);
    if (!(v->mFlags & kSpringVertModel) || (v->mFlags & kSpringVertUnreferenced))
      result->VertAt(i).flags |= kSimpleTemp;
  }
  i = 0;
  for (SpringFace* f = GetFirstSpringFace(); f && i < desc.mNumFaces; f = static_cast<SpringFace*>(f->mNext), ++i) {
    SimpleFace& face = result->FaceAt(i);
    face.SetNumVerts(f->mNumSides, f->mWraps);
    for (int k = 0; k < f->mNumSides; ++k) face.SetVertIndex(k, f->mVerts[static_cast<size_t>(k)]->mIndex);
    if (f->mFlags & kSpringFaceNotInResult) face.flags |= kSimpleTemp;
  }
  FreeAllSprings();
  return result;
}

}  // namespace detail_LibraryBuild

std::unique_ptr<SimplePoly> BuildSpringModel(const char* faceList, const double (*points)[3], int numPoints) {
  namespace d = detail_LibraryBuild;
  SpringPolyDesc desc;
  if (!faceList || !CreateFromDesc(desc, faceList)) return nullptr;
  if (points && numPoints == desc.mNumVerts) return d::PlaceAtPoints(desc, points);
  const double force = RelaxSpringModel(desc, d::kSpringAttempts);
  if (force > kSpringConvergedForce) {
    // A shape that has not settled has unequal edges: it is no model of the record.
    ShowError("The faces of this model could not be made regular (the springs did not settle: final force %g).", force);
    return nullptr;
  }
  return std::move(desc.mResult);
}

std::unique_ptr<SimplePoly> BuildLibraryEntryModel(LibraryEntry& entry, bool dual) {
  // The template outlives the Poly, which points at it while it is built.
  PolyTemplate polyTemplate;
  auto poly = std::make_unique<Poly>();
  if (!poly->CreateFromLibraryEntry(&polyTemplate, &entry, false)) return nullptr;
  // Models made without a template carry no names yet: they take the record's.
  if (!poly->mLibraryEntry) poly->SetLibraryEntry(&entry);
  return std::unique_ptr<SimplePoly>(poly->CreateModel(dual ? kDeriveDual : kDeriveBase, nullptr, nullptr, nullptr));
}

}  // namespace corvia
