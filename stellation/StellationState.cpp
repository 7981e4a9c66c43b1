#include "stellation/StellationState.h"

namespace corvia {

bool StellationBusy = false;

}  // namespace corvia
