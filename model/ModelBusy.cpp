#include "model/ModelBusy.h"

namespace corvia {

bool g_ModelBusy = false;
bool StellationBusy = false;

}  // namespace corvia
