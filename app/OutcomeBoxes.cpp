#include "app/OutcomeBoxes.h"

#include "core/Messages.h"

namespace corvia {

bool TellOutcome(const Outcome& outcome) {
  if (outcome.told()) ShowError("%s", outcome.text().c_str());
  return outcome.done();
}

}  // namespace corvia
