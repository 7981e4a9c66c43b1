#pragma once
// One connected piece of a compound, with the counts from which its Euler
// characteristic and genus follow.

#include <cstdint>
#include <string>

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

// The names a part of a compound had as a model of its own, known by its counts (a
// compound's parts are found again from its faces whenever it is set up).
struct CompoundPartName {
  int32_t mNumFaces = 0;
  int32_t mNumVertices = 0;
  int32_t mNumEdges = 0;
  std::string mName;
  std::string mDualName;
};

// faces - edges + vertices.
int EulerCharacteristic(const CompoundPart* part);
// 2 - characteristic, halved for an orientable part (a one-sided part's count of
// cross-caps is not halved).
int Genus(const CompoundPart* part);
// Deletes every part of the chain.
void DeleteCompoundParts(CompoundPart* first);

}  // namespace corvia
