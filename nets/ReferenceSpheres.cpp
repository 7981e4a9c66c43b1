#include "nets/ReferenceSpheres.h"

namespace corvia {

std::vector<double> g_ReferenceSpheres;

}  // namespace corvia
