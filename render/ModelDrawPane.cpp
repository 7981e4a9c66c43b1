// The plain answers of a pane to the model drawing.

#include "render/ModelDrawPane.h"

#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "render/OutcomeBoxes.h"
#include "render/PreviewDrawing.h"

namespace corvia {

ModelDrawPane::~ModelDrawPane() = default;

int ModelDrawPane::PushTransparency(int mode) {
  ++mTransparencyNesting;
  if (OpenGLView* view = OpenGLView::GetCurrent()) view->Materials().SetTransparencyMode(mode);
  return mTransparencyNesting;
}

int ModelDrawPane::PopTransparency(int mode) {
  if (OpenGLView* view = OpenGLView::GetCurrent()) view->Materials().SetTransparencyMode(mode);
  if (mTransparencyNesting > 0) --mTransparencyNesting;
  return mTransparencyNesting;
}

unsigned ModelDrawPane::GetPreviewPickFlags() const {
  return kPreviewPickFaces;
}

int ModelDrawPane::GetPreviewSelectedFace() const {
  const Poly* poly = GetCurrentPoly();
  return poly ? poly->mSelectedFacetPreview : -1;
}

Model3D* ModelDrawPane::GetModel3D(Poly* poly) {
  return GetModel3DTellingAfterDrawing(poly ? poly->GetShownBlock() : nullptr, false);
}

// A plain pane draws every sphere and cylinder once, each in its element's colour.
int ModelDrawPane::SetVertexMaterial(MaterialPasses& passes) {
  passes.kind = 1;
  passes.pass = 0;
  return passes.kind;
}

void ModelDrawPane::EndVertexMaterial(MaterialPasses& passes) {
  passes.pass = 0;
}

int ModelDrawPane::SetEdgeMaterial(MaterialPasses& passes) {
  passes.kind = 1;
  passes.pass = 0;
  return passes.kind;
}

void ModelDrawPane::EndEdgeMaterial(MaterialPasses& passes) {
  passes.pass = 0;
}

bool ModelDrawPane::ApplyFaceAppearance(bool, MaterialPasses& passes) {
  return passes.pass++ == 0;
}

ModelDrawPane& GetModelDrawPane(OpenGLView* view) {
  if (auto* pane = dynamic_cast<ModelDrawPane*>(view)) return *pane;
  // The plain answers for a view that is not a document pane (a test's, a tool's, a
  // placeholder pane). Its transparency nesting is pushed and popped within one drawing
  // on the drawing thread, back to zero between drawings, and only a document pane holds
  // a face drag: one stand-in carries nothing from one view or frame to another.
  static ModelDrawPane plain;
  return plain;
}

}  // namespace corvia
