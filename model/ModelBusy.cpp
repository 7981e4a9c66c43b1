#include "model/ModelBusy.h"

namespace corvia {

bool g_ModelBusy = false;

}  // namespace corvia
