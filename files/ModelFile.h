#pragma once
// The native model file, as far as the geometry reads it.

#include <memory>

namespace corvia {

class SimplePoly;

// The model of a model file, or its dual, as a plain model owned by the caller; null
// after a message when the file cannot be read.
std::unique_ptr<SimplePoly> ReadModelFileAsSimplePoly(const char* path, bool dual);

}  // namespace corvia
