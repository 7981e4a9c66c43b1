#include "render/OutcomeBoxes.h"

#include "core/Messages.h"
#include "model/FaceTypeBlock.h"
#include "stellation/StellationState.h"

namespace corvia {

bool TellOutcome(const Outcome& outcome) {
  for (const std::string& warning : outcome.warnings()) ShowWarning("%s", warning.c_str());
  if (outcome.kind() == Outcome::Kind::kWarned) {
    ShowWarning("%s", outcome.text().c_str());
  } else if (outcome.told()) {
    ShowError("%s", outcome.text().c_str());
  }
  return outcome.done();
}

void TellAfterDrawing(const Outcome& outcome) {
  const NoticesAfterDrawing afterDrawing;
  TellOutcome(outcome);
}

Model3D* GetModel3DOrTell(FaceTypeBlock* block, bool withNets) {
  if (!block) return nullptr;
  Outcome why;
  Model3D* model = block->GetModel3D(withNets, &why);
  TellOutcome(why);
  return model;
}

Model3D* GetModel3DTellingAfterDrawing(FaceTypeBlock* block, bool withNets) {
  const NoticesAfterDrawing afterDrawing;
  return GetModel3DOrTell(block, withNets);
}

double UpdateScaleOrTell(FaceTypeBlock* block) {
  if (!block) return -1.0;
  Outcome why;
  const double scale = UpdateScale(block, &why);
  TellOutcome(why);
  return scale;
}

}  // namespace corvia
