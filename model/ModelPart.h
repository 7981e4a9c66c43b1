#pragma once
// Records that a model or a face-type block owns but whose code lives in a folder above
// the model: the augmentation, the faceting engine and its preview, the facet model, the
// state of the stellation criteria, the stellation diagram's records, the block's
// stellation and the sections a model file kept. The owner holds each as a Part<T>:
// typed where the user knows T, deleted and told of the owner's changes through
// ModelPart's virtual functions, so that the model calls nothing defined above it.

#include <cstddef>
#include <utility>

#include "core/Outcome.h"

namespace corvia {

class DrawnPolygon;
class FaceTypeBlock;
class Poly;

// What an owner tells its parts. Each part answers the events it cares about; the
// others do nothing.
class ModelPart {
 public:
  ModelPart() = default;
  ModelPart(const ModelPart&) = default;
  ModelPart& operator=(const ModelPart&) = default;
  virtual ~ModelPart() = default;

  // The model's elements are about to go (the model is cleared or deleted).
  virtual void ModelCleared() {}
  // The face types were thrown away; their elements may still be there.
  virtual void FaceTypesCleared() {}
  // The face types were set up again for another group (a sub-symmetry); done, with
  // any warnings for the caller to tell.
  virtual Outcome FaceTypesChanged() { return Outcome(); }
  // The drawn polygons changed: whatever was found from them starts again.
  virtual void DrawnPolygonsReset() {}
  // A drawn polygon was closed and joins the model's polygons.
  virtual void DrawnPolygonFinished(DrawnPolygon* /*polygon*/) {}
  virtual void DrawnPolygonsCleared() {}
  // The polygon is about to leave the model's chain. typeIndex: its place among the
  // polygons that have a filled ring (-1 when it has none).
  virtual void DrawnPolygonRemoved(Poly& /*poly*/, DrawnPolygon* /*polygon*/, int /*typeIndex*/) {}
  // The model's selection was cleared.
  virtual void SelectionCleared() {}
  // The block forgets its stellation (cells, cell types, the facets' cell links).
  virtual void StellationReset(FaceTypeBlock& /*block*/) {}
  // The block's cell search arrays were freed.
  virtual void CellArraysCleared(FaceTypeBlock& /*block*/) {}
  // The block is being deleted.
  virtual void BlockGoing(FaceTypeBlock& /*block*/) {}

  // Asked of the facet model by the colour scheme "as compound" in a facelet pane:
  // colours its facelets one colour per connected part and answers the number of parts.
  // Other parts have no facelets: 0.
  virtual int ColorFaceletsByPart() { return 0; }
};

template <class T>
class Part;
template <class T, class... Args>
Part<T> MakePart(Args&&... args);

// Sole ownership of a T that derives from ModelPart, T complete or not: the holder keeps
// the object both as T (for its users) and as ModelPart (to delete it and to tell it
// of changes). Made only by MakePart, so that the two always name one object.
template <class T>
class Part {
 public:
  Part() = default;
  Part(std::nullptr_t) {}  // NOLINT: an empty part, as a null pointer
  Part(Part&& other) noexcept : mObject(other.mObject), mPart(other.mPart) {
    other.mObject = nullptr;
    other.mPart = nullptr;
  }
  Part& operator=(Part&& other) noexcept {
    if (this != &other) {
      // As a unique_ptr does: the holder names the new object before the old one goes,
      // so that a destructor that looks at its owner finds it up to date.
      ModelPart* old = mPart;
      mObject = other.mObject;
      mPart = other.mPart;
      other.mObject = nullptr;
      other.mPart = nullptr;
      delete old;
    }
    return *this;
  }
  Part(const Part&) = delete;
  Part& operator=(const Part&) = delete;
  ~Part() { delete mPart; }

  T* get() const { return mObject; }
  T* operator->() const { return mObject; }
  T& operator*() const { return *mObject; }
  explicit operator bool() const { return mObject != nullptr; }
  // Deletes the object; the part is empty afterwards.
  void reset() { *this = Part(); }
  // The object as the owner tells it of changes; null when empty.
  ModelPart* AsModelPart() const { return mPart; }

  friend bool operator==(const Part& part, std::nullptr_t) { return !part.mObject; }

 private:
  Part(T* object, ModelPart* part) : mObject(object), mPart(part) {}
  template <class U, class... Args>
  friend Part<U> MakePart(Args&&... args);

  T* mObject = nullptr;
  ModelPart* mPart = nullptr;
};

template <class T, class... Args>
Part<T> MakePart(Args&&... args) {
  T* object = new T(std::forward<Args>(args)...);
  return Part<T>(object, object);
}

// The part as its owner tells it of changes; null when empty.
template <class T>
ModelPart* AsPart(const Part<T>& part) {
  return part.AsModelPart();
}

}  // namespace corvia
