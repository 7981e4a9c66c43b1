// Reading model files comes with the model file itself; until then the call says
// that it is missing.

#include "core/Messages.h"
#include "files/ModelFile.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

std::unique_ptr<SimplePoly> ReadModelFileAsSimplePoly(const char*, bool) {
  ShowInternalError("%s", "ReadModelFileAsSimplePoly: Not available in this build");
  return nullptr;
}

}  // namespace corvia
