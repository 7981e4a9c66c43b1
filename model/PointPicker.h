#pragma once
// Picked measurement points. A picker collects up to four points of one measurement
// (in 3D or 4D) and refuses a point that would make the set degenerate: coincident
// with the first, colinear with the first two, coplanar with the first three. Its
// points live in the shared table of measurement points.

#include <cstdint>

namespace corvia {

// The shared table: records 0-5 are the other measurement points, records 6-17 the
// pickers' (picker k owns 6 + 4k to 9 + 4k). Four doubles each (x, y, z, w); a record
// whose x is kUndefinedPoint is unset.
constexpr int kNumMeasurementPoints = 18;
constexpr int kFirstPickerPoint = 6;
constexpr int kNumPointPickers = 3;
constexpr int kMaxPickedPoints = 4;
double* GetMeasurementPoint(int i);

// AddPoint and StorePoint flags.
constexpr unsigned kPickAppend = 0x2;  // without it a new point starts a new set
constexpr unsigned kPickReport = 0x4;  // a refusal is shown in the view

class PointPicker {
 public:
  void Init(int k);
  void Reset();
  // The i-th point record (four doubles).
  double* GetPoint(int i) const;
  bool AllDefined() const;
  // Whether p (d coordinates, d = 3 or 4) may be added; stores nothing.
  bool AddPoint(const double* p, int d, unsigned flags) const;
  void StorePoint(const double* p, int d, unsigned flags);
  // The mean of the picked points (four coordinates); zero for an empty picker.
  void GetCentroid(double* out) const;

  // Sets the symmetry constants and initialises the three pickers.
  static void ResetAll();

  int32_t mCount = 0;
  int32_t mSlots[kMaxPickedPoints] = {kFirstPickerPoint, kFirstPickerPoint + 1, kFirstPickerPoint + 2,
                                      kFirstPickerPoint + 3};
};

// The three pickers, numbered 0, 1, 2.
PointPicker& GetPointPicker(int k);
// Resets the three pickers and the measurement point table (with the model).
void ResetMeasurementPoints();

}  // namespace corvia
