// The augmentation preview in its pane: the added model placed on every augmented
// face, as solid faces in the translucent queue and as outlines drawn over the model.

#include <vector>

#include "construction/Augmentation.h"
#include "core/Globals.h"
#include "core/RainbowColor.h"
#include "core/VectorMath.h"
#include "model/Edge.h"
#include "model/Poly.h"
#include "render/AugmentationDraw.h"
#include "render/DepthSortedTriangles.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/ModelDrawSettings.h"
#include "render/OpenGLView.h"

namespace corvia {

void Draw(const Augmentation* augmentation, bool wireFramePass) {
  if (!augmentation->mView || !augmentation->mPoly) return;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  std::vector<AugmentPreviewFace> faces;
  augmentation->GetPreviewFaces(faces);
  if (faces.empty()) return;
  const double scale = augmentation->mPoly->mDisplayScale;
  if (wireFramePass) {
    const bool lighting = SetLighting(view, false);
    view->Materials().SetColorv(GetNewEdgeColor());
    glLineWidth(2.0f * GetEdgeLineWidth());
    for (const AugmentPreviewFace& face : faces) {
      glBegin(GL_LINE_LOOP);
      for (size_t k = 0; k + 2 < face.corners.size(); k += 3) {
        glVertex3d(scale * face.corners[k], scale * face.corners[k + 1], scale * face.corners[k + 2]);
      }
      glEnd();
    }
    glLineWidth(GetModelDrawSettings().edgeWidth);
    SetLighting(view, lighting);
    CheckGLError("Augmentation::Draw");
    return;
  }
  for (const AugmentPreviewFace& face : faces) {
    float rgba[4];
    UnpackRainbowColor(face.colour, rgba);
    rgba[3] = face.alpha;
    for (size_t k = 0; k + 8 < face.triangles.size(); k += 9) {
      const double* a = &face.triangles[k];
      double ab[3], bc[3], normal[3];
      Subtract(ab, a + 3, a);
      Subtract(bc, a + 6, a + 3);
      Cross(normal, ab, bc);
      if (!NormaliseVector(normal, normal)) continue;
      AddDepthSortedTriangle(a, a + 3, a + 6, normal, rgba, 0, scale, nullptr, nullptr, nullptr);
    }
  }
  CheckGLError("Augmentation::Draw");
}

}  // namespace corvia
