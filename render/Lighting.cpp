// OpenGLView: lighting, colours, materials, transparency, culling, stencil and the
// stereo colour filters. Drawing code sets all of these through the current view,
// which remembers what it gave GL last and skips what would change nothing.

#include <algorithm>
#include <vector>

#include "core/Messages.h"
#include "render/FaceMeshCache.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/LightSets.h"
#include "render/OpenGLView.h"
#include "render/ViewGroup.h"

namespace corvia {

namespace detail_Lighting {

// The coplanar stencil of a context's pass under way: the step each nesting level is
// in; level k marks bit k.
struct StencilPart : GLContextPart {
  std::vector<int> steps;
};

// The steps of the current context; null outside any section.
std::vector<int>* CurrentSteps() {
  StencilPart* part = FindCurrentGLContextPart<StencilPart>(&GLContextState::coplanarStencil);
  return part ? &part->steps : nullptr;
}

GLuint StencilBit(int level) {
  const int bits = std::max(GetGLAbilities().stencilBits, 1);
  return 1u << std::min(level, bits - 1);
}

}  // namespace detail_Lighting

// ---- Lighting and default materials -----------------------------------------------------

bool SetLighting(OpenGLView* view, bool on) {
  return view ? view->Materials().SwitchLighting(on) : false;
}

// ---- Stereo ----------------------------------------------------------------------------------

void SetStereoModeAllViews(ViewGroup& group, int mode) {
  for (NewView* v = group.views.first; v; v = v->GetNext()) {
    auto* view = dynamic_cast<OpenGLView*>(v);
    if (view && view->Is3D()) view->Stereo().SetStereoMode(mode);
  }
}

void SetStereoModeAllViews(int mode) {
  SetStereoModeAllViews(CurrentViewGroup(), mode);
}

// ---- Coplanar stencil ------------------------------------------------------------------------

int GetCoplanarStencilDepth() {
  if (GetCurrentGLContextKey()) {
    const std::vector<int>* steps = detail_Lighting::CurrentSteps();
    return steps ? static_cast<int>(steps->size()) : 0;
  }
  // Outside any section: what every context's passes left open.
  int depth = 0;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->coplanarStencil) continue;
    depth += static_cast<int>(static_cast<detail_Lighting::StencilPart&>(*state->coplanarStencil).steps.size());
  }
  return depth;
}

int GetCoplanarStencilStep() {
  const std::vector<int>* steps = detail_Lighting::CurrentSteps();
  return !steps || steps->empty() ? 0 : steps->back();
}

namespace detail_Lighting {

// The stencil, colour and depth state of a level in its step.
void ApplyStencilStep(int level, int step) {
  const GLuint bit = StencilBit(level);
  OpenGLView* view = OpenGLView::GetCurrent();
  glStencilMask(bit);
  if (step == 3) {
    glStencilFunc(GL_EQUAL, bit, bit);
    glStencilOp(GL_ZERO, GL_ZERO, GL_ZERO);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    if (view) view->Materials().SetDepthWrites(false);
    return;
  }
  glStencilFunc(GL_NOTEQUAL, bit, bit);
  if (step == 1) {
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  } else {
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  }
  if (view) {
    view->Stereo().ApplyStereoColorMask();
    view->Materials().SetDepthWrites(true);
  }
}

}  // namespace detail_Lighting

void PrepareCoplanarStencil(int step) {
  using namespace detail_Lighting;
  // No context to draw in outside a section.
  std::vector<int>* current = CurrentSteps();
  if (!current) return;
  std::vector<int>& steps = *current;
  switch (step) {
    case 1: {
      if (steps.empty()) glEnable(GL_STENCIL_TEST);
      if (static_cast<int>(steps.size()) >= std::max(GetGLAbilities().stencilBits, 1)) {
        ShowInternalError("PrepareCoplanarStencil: nested more deeply than the stencil has bits");
      }
      steps.push_back(1);
      ApplyStencilStep(static_cast<int>(steps.size()) - 1, 1);
      break;
    }
    case 2:
    case 3:
      if (steps.empty()) break;
      steps.back() = step;
      ApplyStencilStep(static_cast<int>(steps.size()) - 1, step);
      break;
    case 4: {
      if (steps.empty()) {
        ShowInternalError("StencilUsedDepth < 0");
        break;
      }
      steps.pop_back();
      if (!steps.empty()) {
        // The enclosing level carries on where it was.
        ApplyStencilStep(static_cast<int>(steps.size()) - 1, steps.back());
        break;
      }
      glDisable(GL_STENCIL_TEST);
      glStencilMask(~0u);
      glStencilFunc(GL_ALWAYS, 0, 1);
      glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
      if (OpenGLView* view = OpenGLView::GetCurrent()) {
        view->Stereo().ApplyStereoColorMask();
        view->Materials().SetDepthWrites(true);
      } else {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
      }
      break;
    }
    default:
      if (!steps.empty()) steps.back() = step;
      break;
  }
  CheckGLError("PrepareCoplanarStencil");
}

}  // namespace corvia
