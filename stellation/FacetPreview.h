#pragma once
// The faceting preview: the faceted model of a model's drawn polygons (each facet
// repeated over the symmetry group, CreateSimpleFacetedPolyhedron), kept on the Poly
// with one record per face, and a drawn polygon per face for the preview pane. It is
// made again on the next drawing after Poly::mFacetPreviewDirty is set.

#include <cstdint>
#include <memory>
#include <vector>

#include "model/ModelPart.h"
#include "stellation/SimpleFaceting.h"

namespace corvia {

class Poly;
class SimplePoly;
class DrawnPolygon;

struct FacetPreview : ModelPart {
  FacetPreview() = default;
  ~FacetPreview() override;
  FacetPreview(const FacetPreview&) = delete;
  FacetPreview& operator=(const FacetPreview&) = delete;

  // A drawn polygon leaves the model: the selected face, when it was not made from it,
  // moves down by the faces before it that were.
  void DrawnPolygonRemoved(Poly& poly, DrawnPolygon* polygon, int typeIndex) override;

  std::unique_ptr<SimplePoly> model;
  // One per face of the model, in face order: the drawn polygon the face is an image
  // of, and the operation that placed it.
  std::vector<FacetPreviewRecord> records;
  // The faces as triangulated polygons, one per face in face order (an empty one for a
  // face that was removed as a coincident copy); the preview drawing walks this chain.
  DrawnPolygon* polygons = nullptr;
  DrawnPolygon* lastPolygon = nullptr;
};

// Makes the preview again when the dirty mark is set, without questions or messages
// (an unfinished facet is left out), and clears the mark. With a preview, a selected
// face at or beyond its face count becomes the last face. Called by the preview pane
// and by the flat face panes before they draw.
void UpdateFacetPreview(Poly* poly);

// The preview face picked in the preview pane becomes the selected one: the preview
// and faceting-diagram panes are redrawn and, when the model's faceting has facets, the
// facet the face was made from shows its information text. False when the selection
// did not change.
bool SelectFacetByPick(Poly* poly, int face);

}  // namespace corvia
