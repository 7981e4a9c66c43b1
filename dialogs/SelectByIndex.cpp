#include "dialogs/SelectByIndex.h"

#include <cstdio>

#include "core/Messages.h"
#include "ui/BarDocument.h"
#include "ui/Prompts.h"
#include "model/Edge.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"

namespace corvia {

bool SelectElementByIndex(IndexedElement kind) {
  Poly* poly = GetCurrentPoly();
  if (!poly) return false;
  // The shown side's faces are the dual's: the base model's vertices, and the other
  // way round.
  const bool dual = poly->mShowDual != 0;
  const bool baseVertices = (kind == IndexedElement::Vertex) != dual;
  const char* name = kind == IndexedElement::Face ? "face" : kind == IndexedElement::Edge ? "edge" : "vertex";
  const int count = kind == IndexedElement::Edge ? poly->mNumEdges
                    : baseVertices               ? poly->mVertices.mCount
                                                 : poly->mFaces.mCount;
  if (count <= 0) {
    ShowError("The model has no %s to select.", kind == IndexedElement::Vertex ? "vertices" : name);
    return false;
  }
  char prompt[128];
  std::snprintf(prompt, sizeof prompt, "Number of the %s to select (1 to %d):", name, count);
  int number = 1;
  for (;;) {
    if (!AskNumber(prompt, number)) return false;
    if (number >= 1 && number <= count) break;
    ShowError("There is no %s %d: the numbers go from 1 to %d.", name, number, count);
  }
  if (kind == IndexedElement::Edge) {
    poly->SelectEdge(poly->GetEdge(number - 1), false);
  } else {
    PolyElement* element = baseVertices ? poly->GetVertex(number - 1) : poly->GetFace(number - 1);
    poly->SelectFace(element, kind == IndexedElement::Vertex);
  }
  GetBarDocument().ShowSelectionChange(*poly);
  return true;
}

}  // namespace corvia
