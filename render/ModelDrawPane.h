#pragma once
// What the model drawing asks of the pane it draws in: the pane's nested
// transparency, its show-skipped switch and draw-order value, whether it shows a
// single face, the facelet model of its shown block, the face a drag in it holds, and
// the materials of spheres and cylinders. The document's pane class derives from ModelDrawPane beside
// OpenGLView and answers for itself; any other view gets the plain answers below.

#include <cstdint>

#include "render/OpenGLView.h"

namespace corvia {

class Poly;
class PolyElement;
class Model3D;

// Material pass flags of the document's panes: a sphere-map reflection, a texture, a
// second plain pass, a separate specular pass.
constexpr uint8_t kPassSphereMap = 2;
constexpr uint8_t kPassTexture = 4;
constexpr uint8_t kPassSecondPlain = 8;
constexpr uint8_t kPassSpecular = 16;

// The passes of one sphere or cylinder material set-up.
struct MaterialPasses {
  int kind = 0;  // what SetVertexMaterial / SetEdgeMaterial chose
  int pass = 0;  // passes given so far
  float colour[3] = {1.0f, 1.0f, 0.8f};
  // The document's panes: the passes still to come (kPass... bits), the one drawn
  // now, its texture (-1 none) and the specular colour and shininess of the material.
  uint8_t passFlags = 0;
  uint8_t passBit = 1;
  int texture = -1;
  float specular[3] = {0.5f, 0.5f, 0.5f};
  float shininess = 90.0f;
};

// A drag in the pane that lifts the held face off the model: while the offset is within
// kPointTolerance of 0 the face is not drawn in the pane.
struct FaceDragState {
  uint32_t options = 0;  // bit 25: draw the held face all the same
  double offset = 0.0;
  const PolyElement* heldFace = nullptr;
};

class ModelDrawPane {
 public:
  virtual ~ModelDrawPane();

  // Nested transparency: the nesting count goes up, then the view's mode is set; or
  // the mode is set, then the count goes down. Both return the new count.
  virtual int PushTransparency(int mode);
  virtual int PopTransparency(int mode);
  int GetTransparencyNesting() const { return mTransparencyNesting; }

  // Skipped faces (of coplanar rings) are drawn as well.
  virtual bool GetShowSkipped() const { return false; }
  // Below 1.0 the draw-first and draw-last flags of translucent triangles are ignored.
  virtual double GetDrawOrder() const { return 1.0; }
  // The pane shows one face on its own (its translucent faces need no second pass).
  virtual bool IsSingleFacePane() const { return false; }
  // The pane shows the faceting preview (its vertices come with their labels).
  virtual bool IsFacetingPreviewPane() const { return false; }
  // The faceting preview (render/PreviewDrawing.h): what a pick names (kPreviewPickVertices,
  // kPreviewPickFaces) and the selected face of the preview (-1 for none).
  virtual unsigned GetPreviewPickFlags() const;
  virtual int GetPreviewSelectedFace() const;
  // With the program-wide cell highlight option on, the pane draws unselected cells
  // white.
  virtual bool HighlightsCells() const { return false; }
  // The facelet model of the shown block of the model, built on demand.
  virtual Model3D* GetModel3D(Poly* poly);
  // The face drag under way in the pane (no held face: none).
  const FaceDragState& GetFaceDrag() const { return mFaceDrag; }
  void SetFaceDrag(const FaceDragState& drag) { mFaceDrag = drag; }

  // Sphere and cylinder materials. The Set functions return the kind (1: each sphere
  // or cylinder takes its element's colour); the drawer repeats its spheres or
  // cylinders while ApplyFaceAppearance answers true, then ends the material.
  virtual int SetVertexMaterial(MaterialPasses& passes);
  virtual void EndVertexMaterial(MaterialPasses& passes);
  virtual int SetEdgeMaterial(MaterialPasses& passes);
  virtual void EndEdgeMaterial(MaterialPasses& passes);
  virtual bool ApplyFaceAppearance(bool forSpheres, MaterialPasses& passes);

 private:
  int mTransparencyNesting = 0;
  FaceDragState mFaceDrag;
};

// The view's own answers when it is a ModelDrawPane, else those of a plain pane.
ModelDrawPane& GetModelDrawPane(OpenGLView* view);

}  // namespace corvia
