#include "app/ViewType.h"

#include "core/Messages.h"

namespace corvia {

namespace detail_ViewType {

struct ViewTypeRow {
  ViewType code;
  const char* name;
  int command;
  const char* menuText;
};

constexpr ViewTypeRow kRows[kNumViewTypes] = {
    {kViewBasePolyhedron, "Base Polyhedron", 32772, "Base Polyhedron"},
    {kViewDualPolyhedron, "Dual of Base Polyhedron", 32773, "Dual Polyhedron"},
    {kViewCompoundOfDuals, "Base/Dual Compound", 32774, "Base + Dual"},
    {kViewStellationOfBase, "Stellation of Base Polyhedron", 32797, "Base Stellation"},
    {kViewStellationOfDual, "Stellation of Dual", 32798, "Dual Stellation"},
    {kViewFacetingPreview, "Faceting Preview", 33104, "Preview Faceting"},
    {kViewCompound, "Compound", 33105, "Compound"},
    {kViewFace, "Face of Base/Dual Polyhedron", 32834, "Face"},
    {kViewFaceOfStellation, "Face of Stellation", 32870, "Stellation Face"},
    {kViewStellationDiagram, "Stellation Diagram", 32836, "Stellation Diagram"},
    {kViewCellDiagram, "Cell Diagram", 32838, "Cell Diagram"},
    {kViewVertexFigure, "Vertex Figure", 32833, "Vertex Figure"},
    {kViewFacetingDiagram, "Faceting Diagram", 33130, "Faceting Diagram"},
    {kViewCrossSection, "Cross-Section", 33315, "Cross-Section"},
    {kViewUnfoldedNet, "Unfolded Net", 32840, "Unfolded Net"},
    {kViewFoldingNet, "Folding Net", 32883, "Folding Net"},
    {kViewMorphBySizing, "Morph Duals by Sizing", 32782, "By Sizing"},
    {kViewMorphByTruncation, "Morph Duals by Truncation", 32781, "By Truncation"},
    {kViewMorphByAugmentation, "Morph Duals by Augmentation", 32783, "By Augmentation"},
    {kViewMorphByExpansion, "Morph Duals by Expansion", 32947, "By Expansion"},
    {kViewMorphByTiltingQuads, "Morph Duals by Tilting Quads", 32948, "By Tilting Quads"},
    {kViewMorphByTiltingTriangles, "Morph Duals by Tilting Triangles", 33154, "By Tilting Triangles"},
    {kViewMorphByTiltingToCompound, "Morph Duals by Tilting to Compound", 33499, "By Tilting to Compound"},
    {kViewMorphByTiltingToRectification, "Morph Duals by Tilting to Rectification", 33500, "By Tilting to Rectify"},
    {kViewMorphViaSnub, "Morph Duals via Snub", 33501, "Via Snub"},
};

const ViewTypeRow* FindRow(ViewType code) {
  const int index = ViewIndexOf(code);
  if (index >= kNumViewTypes || kRows[index].code != code) return nullptr;
  return &kRows[index];
}

}  // namespace detail_ViewType

const ViewType kViewTypes[kNumViewTypes] = {
    kViewBasePolyhedron,          kViewDualPolyhedron,          kViewCompoundOfDuals,
    kViewStellationOfBase,        kViewStellationOfDual,        kViewFacetingPreview,
    kViewCompound,                kViewFace,                    kViewFaceOfStellation,
    kViewStellationDiagram,       kViewCellDiagram,             kViewVertexFigure,
    kViewFacetingDiagram,         kViewCrossSection,            kViewUnfoldedNet,
    kViewFoldingNet,              kViewMorphBySizing,           kViewMorphByTruncation,
    kViewMorphByAugmentation,     kViewMorphByExpansion,        kViewMorphByTiltingQuads,
    kViewMorphByTiltingTriangles, kViewMorphByTiltingToCompound, kViewMorphByTiltingToRectification,
    kViewMorphViaSnub,
};

bool IsKnownViewType(ViewType code) { return detail_ViewType::FindRow(code) != nullptr; }

ViewType ViewTypeFromIndex(uint32_t value) {
  const uint32_t index = value & kViewIndexMask;
  if (index >= static_cast<uint32_t>(kNumViewTypes)) return value;
  return kViewTypes[index];
}

const char* GetViewTypeName(ViewType code) {
  const detail_ViewType::ViewTypeRow* row = detail_ViewType::FindRow(code);
  if (!row) {
    ShowInternalError("Illegal view type in GetViewTypeName (0x%x).", code);
    return "Unknown view type";
  }
  return row->name;
}

int GetViewTypeCommand(ViewType code) {
  const detail_ViewType::ViewTypeRow* row = detail_ViewType::FindRow(code);
  return row ? row->command : 0;
}

const char* GetViewTypeMenuText(ViewType code) {
  const detail_ViewType::ViewTypeRow* row = detail_ViewType::FindRow(code);
  return row ? row->menuText : "";
}

ViewType GetViewTypeOfCommand(int command) {
  for (const detail_ViewType::ViewTypeRow& row : detail_ViewType::kRows) {
    if (row.command == command) return row.code;
  }
  return kNoViewType;
}

}  // namespace corvia
