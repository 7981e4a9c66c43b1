#pragma once
// The facelet model of a face-type block's current stellation, from which nets are
// unfolded, printed and exported. Only what the model layer calls is declared so far;
// the nets code defines it, and until then each call reports that it is missing.

namespace corvia {

class Poly;
class DrawnPolygon;

class Model3D {
 public:
  Model3D();
  ~Model3D();
  Model3D(const Model3D&) = delete;
  Model3D& operator=(const Model3D&) = delete;

  // Cached test whether the facelets can be built with the construction toy.
  bool CanBuildWithGeomag();
  // Gives each connected part of uncoloured facelets the next wheel colour; returns
  // the number of parts.
  int ColorFaceletsByPart();
  // The drawn-polygon hooks of the nets.
  bool HasNets() const;
  void AddDrawnPolygon(DrawnPolygon* polygon);
  void RemoveDrawnPolygon(DrawnPolygon* polygon);
  void MakeNets();
  void ClearDrawnPolygons();
  // After a change of length scale, in this order.
  void SetNetBBoxRadii();
  void CopyFirstNetLayout();
  void RebuildTabs();
  // Applies the current fold fraction when it changed.
  void UpdateFolding();
};

// Refreshes the base model's net edge selection.
void DescribeSelectedEdge(Model3D* model, bool flag);

}  // namespace corvia
