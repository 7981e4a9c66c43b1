#include "model/CompoundParts.h"

#include <cmath>

#include "core/Messages.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/TimeFormat.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/CompoundPart.h"
#include "model/ElementFlags.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/Vertex.h"

namespace corvia {

namespace detail_CompoundParts {

// Whether the side between a face and one of its vertices crosses: the face passes
// the vertex in reverse. element is either of the two; k its neighbour index.
bool CrossesAt(const PolyElement* element, int k) {
  if (element->IsVertex()) {
    const auto* vertex = static_cast<const Vertex*>(element);
    return vertex->mFaceSense && vertex->mFaceSense[static_cast<size_t>(k)] != 0;
  }
  const PolyElement* neighbour = element->mNeighbours[k];
  if (!neighbour || !neighbour->IsVertex()) return false;
  const auto* vertex = static_cast<const Vertex*>(neighbour);
  const int position = vertex->FindVertexIndex(element, -1);
  return position >= 0 && vertex->mFaceSense && vertex->mFaceSense[static_cast<size_t>(position)] != 0;
}

double BlockSurfaceArea(const FaceTypeBlock* block) {
  double sum = 0.0;
  if (!block) return sum;
  for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) sum += type->mCount * type->mArea;
  return sum;
}

template <typename Visit>
void ForEachElement(Poly* poly, Visit visit) {
  for (PolyElement* face = poly->mFaces.mHead; face; face = face->mNext) visit(face);
  for (PolyElement* vertex = poly->mVertices.mHead; vertex; vertex = vertex->mNext) visit(vertex);
}

}  // namespace detail_CompoundParts

double FindCompoundPart(CompoundPart* part, PolyElement* start, PolyElement** queue, int capacity,
                        double* outDualVolume, bool* outMixed) {
  double faceSum = 0.0;
  double vertexSum = 0.0;
  bool mixed = false;
  if (!part || !start || !queue || capacity < 1) return 0.0;
  start->mFlags |= kElementVisitMark;
  queue[0] = start;
  int count = 1;
  bool firstFaceSeen = false;
  bool firstFaceReversedNormal = false;
  // A part of a large model takes a while: the progress window keeps answering.
  ProgressTicker tick;
  for (int next = 0; next < count; ++next) {
    (void)tick();
    if (next >= capacity) {
      ShowInternalError("FindCompoundPart() failed2, %d >= %d", next, capacity);
      break;
    }
    PolyElement* element = queue[next];
    double area = element->GetArea();
    if (element->HasFlag(kElementReversed)) area = -area;
    if (std::fabs(area) <= kPointTolerance) area = 0.0;
    if (area < 0.0) element->mFlags |= kElementReverseNorm;
    if (element->mType) element->mType->mArea = element->HasCornerAtInfinity() ? 0.0 : std::fabs(area);
    // The signed area times the plane offset: three times the signed volume of the
    // pyramid from the centre over the element. A part wound inwards sums negative.
    const double contribution = area * Dot(element->mZAxis, element->mCentre);
    if (element->IsFace()) {
      faceSum += contribution;
      ++part->mNumFaces;
      part->mNumEdges += element->mNumSides;
      const bool reversedNormal = element->HasFlag(kElementReverseNorm);
      if (!firstFaceSeen) {
        firstFaceSeen = true;
        firstFaceReversedNormal = reversedNormal;
      } else if (reversedNormal != firstFaceReversedNormal) {
        mixed = true;
      }
    } else {
      vertexSum += contribution;
      ++part->mNumVertices;
    }
    bool overflow = false;
    for (int k = 0; k < element->mNumSides && !overflow; ++k) {
      PolyElement* neighbour = element->mNeighbours[k];
      if (!neighbour) continue;
      bool required = element->HasFlag(kElementReversed);
      if (detail_CompoundParts::CrossesAt(element, k)) required = !required;
      if (!neighbour->HasFlag(kElementVisitMark)) {
        if (count >= capacity) {
          ShowInternalError("FindCompoundPart() failed, %d >= %d", count, capacity);
          overflow = true;
          break;
        }
        if (required) {
          neighbour->mFlags |= kElementReversed;
        } else {
          neighbour->mFlags &= ~kElementReversed;
        }
        neighbour->mFlags |= kElementVisitMark;
        queue[count++] = neighbour;
      } else if (neighbour->HasFlag(kElementReversed) != required) {
        if (element->mNumSides < 3) {
          element->mFlags ^= kElementReversed;
        } else if (neighbour->mNumSides > 2) {
          part->mFlags |= kCompoundPartOneSided;
        } else {
          neighbour->mFlags ^= kElementReversed;
        }
      }
    }
    if (overflow) break;
  }
  if (outDualVolume) *outDualVolume = vertexSum;
  if (outMixed) *outMixed = mixed;
  return faceSum;
}

void MarkCompoundPartOneSided(PolyElement* start, PolyElement** queue, int capacity) {
  if (!start || !queue || capacity < 1) return;
  start->mFlags |= kElementOneSided;
  start->mFlags &= ~(kElementReversed | kElementReverseNorm);
  queue[0] = start;
  int count = 1;
  for (int next = 0; next < count; ++next) {
    if (next >= capacity) {
      ShowInternalError("MarkCompoundPartOneSided() failed2, %d >= %d", next, capacity);
      return;
    }
    PolyElement* element = queue[next];
    for (int k = 0; k < element->mNumSides; ++k) {
      PolyElement* neighbour = element->mNeighbours[k];
      if (!neighbour || neighbour->HasFlag(kElementOneSided)) continue;
      if (count >= capacity) {
        ShowInternalError("MarkCompoundPartOneSided() failed, %d >= %d", count, capacity);
        return;
      }
      neighbour->mFlags |= kElementOneSided;
      neighbour->mFlags &= ~(kElementReversed | kElementReverseNorm);
      queue[count++] = neighbour;
    }
  }
}

void InvertCompoundPart(PolyElement* start, bool invertFaces, bool invertVertices, PolyElement** queue,
                        int capacity) {
  if (!start || !queue || capacity < 1) return;
  constexpr uint32_t kOrientation = kElementReversed | kElementReverseNorm;
  auto invert = [&](PolyElement* element) {
    if (element->IsFace() ? invertFaces : invertVertices) element->mFlags ^= kOrientation;
  };
  start->mFlags |= kElementInversionMark;
  invert(start);
  queue[0] = start;
  int count = 1;
  for (int next = 0; next < count; ++next) {
    if (next >= capacity) {
      ShowInternalError("InvertCompoundPart() failed2, %d >= %d", next, capacity);
      break;
    }
    PolyElement* element = queue[next];
    bool overflow = false;
    for (int k = 0; k < element->mNumSides; ++k) {
      PolyElement* neighbour = element->mNeighbours[k];
      if (!neighbour || neighbour->HasFlag(kElementInversionMark)) continue;
      if (count >= capacity) {
        ShowInternalError("InvertCompoundPart() failed, %d >= %d", count, capacity);
        overflow = true;
        break;
      }
      neighbour->mFlags |= kElementInversionMark;
      invert(neighbour);
      queue[count++] = neighbour;
    }
    if (overflow) break;
  }
  // The inversion marks are only this fill's own.
  for (int i = 0; i < count && i < capacity; ++i) queue[i]->mFlags &= ~kElementInversionMark;
}

void ClearElementFlags(Poly* poly, uint32_t bits) {
  if (!poly) return;
  detail_CompoundParts::ForEachElement(poly, [bits](PolyElement* element) { element->mFlags &= ~bits; });
}

void FindCompoundParts(Poly* poly, bool* outMixed) {
  TraceScope scope("FindCompoundParts");
  if (!poly) return;
  // Parts found earlier would be counted twice.
  poly->DeleteAllCompoundParts();
  if (poly->mDualBlock) poly->mDualBlock->UpdateFaceAreas();
  poly->mVolume = 0.0;
  poly->mDualVolume = 0.0;
  const int capacity = poly->mVertices.mCount + poly->mFaces.mCount;
  std::vector<PolyElement*> queue(static_cast<size_t>(capacity > 0 ? capacity : 1), nullptr);
  bool mixed = false;
  for (PolyElement* face = poly->mFaces.mHead; face; face = face->mNext) {
    if (face->HasFlag(kElementVisitMark)) continue;
    auto* part = new CompoundPart;
    part->mFirstElement = face;
    poly->AppendCompoundPart(part);
    double vertexSum = 0.0;
    double faceSum = FindCompoundPart(part, face, queue.data(), capacity, &vertexSum, &mixed);
    if (part->mFlags & kCompoundPartOneSided) {
      // A one-sided surface encloses no volume.
      MarkCompoundPartOneSided(face, queue.data(), capacity);
      part->mVolume = 0.0;
      continue;
    }
    const bool invertFaces = faceSum < -kPointTolerance;
    const bool invertVertices = vertexSum < -kPointTolerance;
    if (invertFaces || invertVertices) {
      InvertCompoundPart(face, invertFaces, invertVertices, queue.data(), capacity);
      faceSum = std::fabs(faceSum);
      vertexSum = std::fabs(vertexSum);
    }
    poly->mVolume += faceSum / 3.0;
    poly->mDualVolume += vertexSum;
    part->mVolume = faceSum / 3.0;
  }
  for (CompoundPart* part = poly->mCompoundParts; part; part = part->mNext) part->mNumEdges /= 2;
  poly->mDualVolume /= 3.0;
  if (std::fabs(poly->mVolume) <= kPointTolerance) poly->mVolume = 0.0;
  ClearElementFlags(poly, kElementVisitMark | kElementInversionMark);
  poly->UpdateSurfaceAreas();
  if (outMixed) *outMixed = mixed;
}

void Poly::UpdateSurfaceAreas() {
  mSurfaceArea = detail_CompoundParts::BlockSurfaceArea(mBaseBlock.get());
  mDualSurfaceArea = detail_CompoundParts::BlockSurfaceArea(mDualBlock.get());
}

CompoundPart* Poly::FindPartOf(PolyElement* element) {
  if (!element) return nullptr;
  std::vector<PolyElement*> collected;
  for (CompoundPart* part = mCompoundParts; part; part = part->mNext) {
    if (!part->mFirstElement) continue;
    part->mFirstElement->CollectConnectedPart(collected);
    const bool found = element->HasFlag(kElementVisitMark);
    for (PolyElement* member : collected) member->mFlags &= ~kElementVisitMark;
    if (found) return part;
  }
  return nullptr;
}

int FloodFillColor(PolyElement* start, std::vector<PolyElement*>& queue, const float* colour, bool sameColourOnly) {
  queue.clear();
  if (!start || !colour || start->HasFlag(kElementVisitMark)) return 0;
  // The start is recoloured first, so its old colour is kept for the comparison.
  float startColour[3];
  CopyFloat3(startColour, start->mColor);
  start->mFlags |= kElementVisitMark;
  queue.push_back(start);
  for (size_t next = 0; next < queue.size(); ++next) {
    PolyElement* element = queue[next];
    const bool recolour = !sameColourOnly || (element->mColor[0] == startColour[0] &&
                                              element->mColor[1] == startColour[1] &&
                                              element->mColor[2] == startColour[2]);
    if (recolour) {
      CopyFloat3(element->mColor, colour);
      CopyFloat3(element->mBackColor, colour);
    }
    for (int k = 0; k < element->mNumSides; ++k) {
      PolyElement* neighbour = element->mNeighbours[k];
      if (!neighbour || neighbour->HasFlag(kElementVisitMark)) continue;
      neighbour->mFlags |= kElementVisitMark;
      queue.push_back(neighbour);
    }
  }
  return static_cast<int>(queue.size());
}

int Poly::ColorCompoundParts() {
  NextRainbowColor(nullptr, 0);
  std::vector<PolyElement*> queue;
  int count = 0;
  for (CompoundPart* part = mCompoundParts; part; part = part->mNext) {
    float colour[3];
    NextRainbowColor(colour, 0);
    FloodFillColor(part->mFirstElement, queue, colour, false);
    ++count;
  }
  ClearElementFlags(this, kElementVisitMark);
  return count;
}

void Poly::MarkPart(PolyElement* element, const float* colour, bool sameColourOnly) {
  std::vector<PolyElement*> queue;
  FloodFillColor(element, queue, colour, sameColourOnly);
  for (PolyElement* member : queue) member->mFlags &= ~kElementVisitMark;
}

}  // namespace corvia
