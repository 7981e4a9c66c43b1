#pragma once
// One connected piece of a compound, with the counts from which its Euler
// characteristic and genus follow.

#include <cstdint>

namespace corvia {

class PolyElement;

// CompoundPart::mFlags: the part is one-sided (not orientable).
constexpr uint32_t kCompoundPartOneSided = 0x1;

struct CompoundPart {
  PolyElement* mFirstElement = nullptr;  // the face from which the part was found
  double mVolume = 0.0;
  uint32_t mFlags = 0;
  int32_t mNumFaces = 0;
  int32_t mNumVertices = 0;
  int32_t mNumEdges = 0;
  CompoundPart* mNext = nullptr;
};

// faces - edges + vertices.
int EulerCharacteristic(const CompoundPart* part);
// 2 - characteristic, halved for an orientable part (a one-sided part's count of
// cross-caps is not halved).
int Genus(const CompoundPart* part);
// Deletes every part of the chain.
void DeleteCompoundParts(CompoundPart* first);

}  // namespace corvia
