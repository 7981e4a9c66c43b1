#include "model/CompoundPart.h"

#include "model/Poly.h"

namespace corvia {

int EulerCharacteristic(const CompoundPart* part) {
  return part->mNumFaces - part->mNumEdges + part->mNumVertices;
}

int Genus(const CompoundPart* part) {
  const int genus = 2 - EulerCharacteristic(part);
  return (part->mFlags & kCompoundPartOneSided) ? genus : genus / 2;
}

void DeleteCompoundParts(CompoundPart* first) {
  while (first) {
    CompoundPart* next = first->mNext;
    delete first;
    first = next;
  }
}

CompoundPart* Poly::GetCompoundPart(int i) const {
  if (i < 0) return nullptr;
  CompoundPart* part = mCompoundParts;
  while (part && i > 0) {
    part = part->mNext;
    --i;
  }
  return part;
}

bool Poly::IsCompound() const { return mCompoundParts && mCompoundParts->mNext; }

int Poly::CountCompoundParts() const {
  int count = 0;
  for (const CompoundPart* part = mCompoundParts; part; part = part->mNext) ++count;
  return count;
}

int Poly::GetGenus() const {
  int genus = 1;
  for (const CompoundPart* part = mCompoundParts; part; part = part->mNext) genus += Genus(part) - 1;
  return genus;
}

void Poly::AppendCompoundPart(CompoundPart* part) {
  part->mNext = nullptr;
  if (mLastCompoundPart) {
    mLastCompoundPart->mNext = part;
  } else {
    mCompoundParts = part;
  }
  mLastCompoundPart = part;
}

void Poly::DeleteAllCompoundParts() {
  DeleteCompoundParts(mCompoundParts);
  mCompoundParts = nullptr;
  mLastCompoundPart = nullptr;
}

}  // namespace corvia
