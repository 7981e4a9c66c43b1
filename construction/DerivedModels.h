#pragma once
// The factory of plain models: a copy of one side of a Poly as a SimplePoly, its edge
// list, and the models that are made for the document (Waterman polyhedra, whose maker
// is declared in construction/WatermanStep.h, library entries, the flat model of the
// nets); and moving a model, which goes through its plain copy. The entry points for a
// pane's model, the plain copies and a library entry's model, with their flags, are in
// construction/ModelFactory.h.

#include <cstdint>
#include <memory>

#include "construction/ModelFactory.h"
#include "core/Outcome.h"
#include "symmetry/ExportPrep.h"

namespace corvia {

class Poly;

// View type codes the factory tells apart.
constexpr uint32_t kViewFacetingPreview = 0x0C05;
constexpr uint32_t kViewBaseDualCompound = 0x1802;
constexpr uint32_t kViewCompound = 0x2C06;
constexpr uint32_t kViewFacetingDiagram = 0x840C;
constexpr uint32_t kViewFoldingNet = 0x12C0F;
constexpr uint32_t kViewStellationBit = 0x2000;
constexpr uint32_t kViewMorphBySizing = 0x5810;
constexpr uint32_t kViewMorphByTruncation = 0x4811;
constexpr uint32_t kViewMorphByAugmentation = 0x4812;
constexpr uint32_t kViewMorphByExpansion = 0x5813;
constexpr uint32_t kViewMorphTiltingQuads = 0x5814;
constexpr uint32_t kViewMorphTiltingTriangles = 0x4815;
constexpr uint32_t kViewMorphTiltingCompound = 0x4816;
constexpr uint32_t kViewMorphTiltingRectification = 0x4817;
constexpr uint32_t kViewMorphViaSnub = 0x4818;
constexpr uint32_t kViewBasePolyhedron = 0x1900;
constexpr uint32_t kViewDualPolyhedron = 0x1A01;
// No pane: the side the model shows decides.
constexpr uint32_t kViewNone = 0;


// The dispatch by view type code (the part of DeriveModel after the view's type is
// known).
class SimplePoly;
SimplePoly* DeriveModelForViewType(Poly& poly, uint32_t viewType, uint32_t flags, EdgeListNode** edgeList,
                                   uint8_t* derived, Outcome* why = nullptr);

// The flat model of the unfolded nets of the shown side's facet model (as the net pane
// folds them now, hidden faces and edges left out); null without a facet model (a
// refusal of its build in *why when given, as FaceTypeBlock::GetModel3D).
std::unique_ptr<SimplePoly> CreateNetModel(Poly* poly, Outcome* why = nullptr);

// Moves the model by the vector, as one undo step: the dual is made again about the
// centre, so it changes shape. Nothing changes when the moved model cannot be made.
void TranslateBy(Poly* poly, const double* vector);

// Settings remembered by the Waterman command.
struct WatermanSettings {
  int root = 6;
  int latticeType = 0;
  bool fourD = false;
};
WatermanSettings& GetWatermanSettings();

}  // namespace corvia
