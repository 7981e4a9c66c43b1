// Placeholders for the model's side of its contract with the elements (PolyFwd.h).
// They stand until the Poly itself is built, which defines these functions; this file
// is then deleted. Each shows an internal error naming the missing piece; a null model
// (elements built outside any model) is answered without one.

#include "core/Messages.h"
#include "model/PolyFwd.h"

namespace corvia {

namespace detail_PolyLinkStubs {
void Missing(const char* name) {
  ShowInternalError("%s: The model is not available in this build", name);
}
}  // namespace detail_PolyLinkStubs

ElementList* PolyVertexList(Poly* poly) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::mVertices");
  return nullptr;
}

ElementList* PolyFaceList(Poly* poly) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::mFaces");
  return nullptr;
}

FaceTypeBlock* PolyTypeBlock(Poly* poly, bool) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::mBaseBlock");
  return nullptr;
}

PolyElement* PolyBlockCurrent(Poly* poly, bool) {
  if (poly) detail_PolyLinkStubs::Missing("FaceTypeBlock current element");
  return nullptr;
}

void PolySetBlockCurrent(Poly* poly, bool, PolyElement*) {
  if (poly) detail_PolyLinkStubs::Missing("FaceTypeBlock current element");
}

void PolyForgetElement(Poly* poly, PolyElement*) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::mSelectedElement");
}

void PolyAddLabelledEdges(Poly* poly, int) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::mNumLabelledEdges");
}

Edge* PolyEdgeArray(Poly* poly) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::mEdgeArray");
  return nullptr;
}

int PolyNumEdges(Poly* poly) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::mNumEdges");
  return 0;
}

double PolyGetRadius(Poly* poly) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::GetRadius");
  return 1.0;
}

PolyTemplate* PolyTemplateOf(Poly* poly) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::mTemplate");
  return nullptr;
}

SymGroup* PolySymGroup(Poly* poly) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::mSymGroup");
  return nullptr;
}

SymGroup* PolyFullSymGroup(Poly* poly) {
  if (poly) detail_PolyLinkStubs::Missing("Poly::mFullSymGroup");
  return nullptr;
}

}  // namespace corvia
