#pragma once
// Fitting printed copies of the nets onto pages. Each net type knows its bounding
// rectangle (tab depth included) and how many copies are printed; the packer fills a
// page rectangle with a grid of copies of the largest type that fits, upright or
// turned by 90 degrees, and packs the leftover strips the same way. Page coordinates
// are twips with y growing upwards: a rectangle is (left, top, right, bottom) with
// top above bottom.

#include <cstdint>

#include "core/VectorMath.h"

namespace corvia {

class Model3D;
class Net;

struct NetPlacement {
  Net* net = nullptr;
  uint8_t rotated = 0;
  int32_t x = 0;
  int32_t y = 0;
  NetPlacement* next = nullptr;
  // The net type's print cursor before this copy was placed.
  int32_t previousCursor = -1;

  double AdjustAngle(double degrees) const { return rotated ? degrees + 90.0 : degrees; }
  // (x, y) -> (-y, x) when turned.
  void RotatePoint(const double* p, double* out) const;
  void RotatePointInPlace(double* p) const;
  // A size or box of four words: its halves swapped when turned.
  void RotateSize(int32_t* size) const;
  // The page point (twips) of a net point, optionally drawn in perspective.
  void ToPagePoint(const double* p, bool perspective, double* out) const;
  void ToPagePixel(const double* p, bool perspective, int32_t* out) const;
  // From the page back to the net plane (the inverse of the upright page point).
  void GetTransform(Transform3D& out) const;
};

class NetPage {
 public:
  NetPlacement* head = nullptr;
  NetPlacement* tail = nullptr;
  NetPage* next = nullptr;

  ~NetPage();
  void Append(NetPlacement* placement);
  // Whether any facelet of a placed net carries an image or text.
  bool HasShownFacelet() const;
  // The integer box, in page pixels with the perspective, of the shown facelets of the
  // placed nets; false when nothing is shown. rect is (left, top, right, bottom): top
  // keeps the caller's orientation.
  bool GetBounds(int32_t* rect) const;
  // Gives every copy back to its net type, its print cursor as before the copies
  // were placed, and forgets the placements.
  void Unplace();
  // Deletes the chain of pages from this one on.
  static void FreeList(NetPage* pages);
};

// The n-th page of a chain; null past the end.
NetPage* ListNth(NetPage* pages, int n);

// The packing of one page rectangle (Pack of the page fitting): places copies of the
// model's net types whose print counts are left, filtered by colour (null: any) and
// images; remaining counts down. Returns the lowest y used.
int32_t PackNets(Model3D* model, NetPage* page, int32_t left, int32_t top, int32_t right, int32_t bottom,
                 int& remaining, int mode, const float* colour, bool imagesOnly);

// Fits the copies counted by Model3D::CountNetsToPrint onto pages of the printable
// rectangle (left, top, right, bottom), the first page with headingHeight less at the
// top. outY receives the lowest y used on the last page. Null when a page takes
// nothing (a net larger than the page) or there is nothing to print.
NetPage* FitNetsOnPages(Model3D* model, const int32_t* rect, int32_t headingHeight, const float* colour,
                        bool imagesOnly, int32_t* outY);

}  // namespace corvia
