#include "stellation/FacetPreview.h"

#include <string>

#include "core/DrawnPolygon.h"
#include "core/PolygonRing.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "stellation/Faceting.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_FacetPreview {

// The panes that show the preview's selection: "Faceting Preview" and "Faceting
// Diagram".
constexpr unsigned kViewKindFacetingPreview = 0xc05;
constexpr unsigned kViewKindFacetingDiagram = 0x840c;

// Each face of the model as a triangulated polygon through its corners, in face order.
void MakeFacePolygons(FacetPreview& preview) {
  const SimplePoly& model = *preview.model;
  for (int i = 0; i < model.NumFaces(); ++i) {
    auto* polygon = new DrawnPolygon(preview.polygons, preview.lastPolygon);
    const SimpleFace& face = model.FaceAt(i);
    if (face.IsTemp()) continue;
    for (int32_t v : face.items) NewPolygonVertex(0.0, 0.0, nullptr, model.VertAt(v).pos, polygon->ring);
    polygon->Triangulate();
  }
}

}  // namespace detail_FacetPreview

FacetPreview::~FacetPreview() {
  DeleteDrawnPolygonChain(polygons);
}

void FacetPreview::DrawnPolygonRemoved(Poly& poly, DrawnPolygon* polygon, int /*typeIndex*/) {
  // The selected preview face keeps its place among the faces that stay.
  int& selected = poly.mSelectedFacetPreview;
  if (selected < 0 || selected >= int(records.size())) return;
  if (records[size_t(selected)].polygon == polygon) {
    selected = -1;
  } else {
    int before = 0;
    for (int i = 0; i < selected; ++i) before += records[size_t(i)].polygon == polygon ? 1 : 0;
    selected -= before;
  }
}

void UpdateFacetPreview(Poly* poly) {
  using namespace detail_FacetPreview;
  if (!poly) return;
  if (poly->mFacetPreviewDirty) {
    poly->mFacetPreview.reset();
    poly->mFacetPreviewDirty = false;
    std::vector<FacetPreviewRecord> records;
    SimplePoly* model = CreateSimpleFacetedPolyhedron(poly, kFacetedQuiet, &records);
    if (model) {
      Part<FacetPreview> preview = MakePart<FacetPreview>();
      preview->model.reset(model);
      preview->records = std::move(records);
      MakeFacePolygons(*preview);
      poly->mFacetPreview = std::move(preview);
    }
  }
  if (const FacetPreview* preview = poly->mFacetPreview.get()) {
    const int faces = preview->model->NumFaces();
    if (poly->mSelectedFacetPreview >= faces) poly->mSelectedFacetPreview = faces - 1;
  }
}

bool SelectFacetByPick(Poly* poly, int face) {
  using namespace detail_FacetPreview;
  if (!poly || face == poly->mSelectedFacetPreview) return false;
  poly->mSelectedFacetPreview = face;
  platform::Services().views->InvalidateViewsOfKind(kViewKindFacetingPreview, 0);
  platform::Services().views->InvalidateViewsOfKind(kViewKindFacetingDiagram, 0);
  const FacetPreview* preview = poly->mFacetPreview.get();
  FaceTypeBlock* block = poly->GetShownBlock();
  const Faceting* faceting = block ? block->mFaceting.get() : nullptr;
  if (!preview || !faceting || !faceting->GetFirstFacetInFaceting() || face < 0) return true;
  if (face >= static_cast<int>(preview->records.size())) return true;
  // The faceting is shown as one drawn polygon per facet, in the faceting's order.
  const int position = DrawnPolygon::GetIndexInChain(poly->mDrawnPolygons, preview->records[face].polygon);
  if (position < 0) return true;
  int at = 0;
  for (const Facet* facet = faceting->GetFirstFacetInFaceting(); facet; facet = facet->GetNextInFaceting(), ++at) {
    if (at == position) {
      platform::Services().views->SetStatusText(Facet::GetInfoText(facet));
      break;
    }
  }
  return true;
}

}  // namespace corvia
