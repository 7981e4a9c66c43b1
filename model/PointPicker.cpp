#include "model/PointPicker.h"

#include <cmath>
#include <string>

#include "core/Globals.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/Measurement.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_PointPicker {

constexpr const char* kRefusalPrefix = "That point is not allowed:\n";

double gTable[kNumMeasurementPoints][4];
PointPicker gPickers[kNumPointPickers];

void SetUndefined(double* record) {
  record[0] = kUndefinedPoint;
  record[1] = record[2] = record[3] = 0.0;
}

// The dimension a caller gives is 3 or 4; anything else would overrun the records.
int ClampDimension(int d) { return d < 3 ? 3 : (d > kMaxPickedPoints ? kMaxPickedPoints : d); }

void Refuse(unsigned flags, const char* reason) {
  if (!(flags & kPickReport)) return;
  platform::Services().views->SetPaneMessage(std::string(kRefusalPrefix) + reason);
}

struct TableInitialiser {
  TableInitialiser() {
    for (auto& record : gTable) SetUndefined(record);
    for (int k = 0; k < kNumPointPickers; ++k) gPickers[k].Init(k);
  }
};
TableInitialiser gInitialiser;

}  // namespace detail_PointPicker

double* GetMeasurementPoint(int i) {
  if (i < 0 || i >= kNumMeasurementPoints) return nullptr;
  return detail_PointPicker::gTable[i];
}

PointPicker& GetPointPicker(int k) {
  if (k < 0) k = 0;
  if (k >= kNumPointPickers) k = kNumPointPickers - 1;
  return detail_PointPicker::gPickers[k];
}

void ResetMeasurementPoints() {
  for (auto& record : detail_PointPicker::gTable) detail_PointPicker::SetUndefined(record);
  for (int k = 0; k < kNumPointPickers; ++k) detail_PointPicker::gPickers[k].Init(k);
  // What was measured between the picks goes with them: segment and stored angle.
  ResetMeasurement();
}

void PointPicker::Init(int k) {
  for (int j = 0; j < kMaxPickedPoints; ++j) mSlots[j] = kFirstPickerPoint + kMaxPickedPoints * k + j;
  Reset();
}

void PointPicker::Reset() {
  mCount = 0;
  for (int j = 0; j < kMaxPickedPoints; ++j) detail_PointPicker::SetUndefined(GetPoint(j));
}

double* PointPicker::GetPoint(int i) const { return GetMeasurementPoint(mSlots[i]); }

bool PointPicker::AllDefined() const {
  if (mCount < 1) return false;
  for (int i = 0; i < mCount; ++i) {
    if (GetPoint(i)[0] == kUndefinedPoint) return false;
  }
  return true;
}

bool PointPicker::AddPoint(const double* p, int d, unsigned flags) const {
  if (!(flags & kPickAppend)) return true;
  d = detail_PointPicker::ClampDimension(d);
  double q[4] = {0.0, 0.0, 0.0, 0.0};
  for (int c = 0; c < d; ++c) q[c] = p[c];
  if (mCount >= d) {
    detail_PointPicker::Refuse(flags, "Already using maximum number of points");
    return false;
  }
  double a[4];
  double b[4];
  double c[4];
  auto from = [&](double* out, int i) {
    const double* point = GetPoint(i);
    for (int k = 0; k < 4; ++k) out[k] = point[k] - q[k];
  };
  if (mCount == 1) {
    const double* first = GetPoint(0);
    bool same = true;
    for (int k = 0; k < 4; ++k) same = same && std::fabs(first[k] - q[k]) <= kPointTolerance;
    if (same) {
      detail_PointPicker::Refuse(flags, "Point is coincident with first point");
      return false;
    }
  } else if (mCount == 2) {
    from(a, 0);
    from(b, 1);
    if (AreParallel4(a, b, kPointTolerance)) {
      detail_PointPicker::Refuse(flags, "Point is colinear with first two points");
      return false;
    }
  } else if (mCount == 3) {
    from(a, 0);
    from(b, 1);
    from(c, 2);
    if (AreDependent4(a, b, c, kPointTolerance)) {
      detail_PointPicker::Refuse(flags, "Point is coplanar with first three points");
      return false;
    }
  }
  return true;
}

void PointPicker::StorePoint(const double* p, int d, unsigned flags) {
  d = detail_PointPicker::ClampDimension(d);
  if (!(flags & kPickAppend)) mCount = 0;
  if ((flags & kPickAppend) && mCount >= d) {
    mCount = 1;
    for (int j = 1; j < kMaxPickedPoints; ++j) detail_PointPicker::SetUndefined(GetPoint(j));
  }
  double* record = GetPoint(mCount);
  for (int c = 0; c < kMaxPickedPoints; ++c) record[c] = c < d ? p[c] : 0.0;
  ++mCount;
}

void PointPicker::GetCentroid(double* out) const {
  for (int c = 0; c < 4; ++c) out[c] = 0.0;
  if (mCount < 1) return;
  for (int i = 0; i < mCount; ++i) {
    const double* point = GetPoint(i);
    for (int c = 0; c < 4; ++c) out[c] += point[c];
  }
  for (int c = 0; c < 4; ++c) out[c] /= mCount;
}

void PointPicker::ResetAll() {
  for (int k = 0; k < kNumPointPickers; ++k) detail_PointPicker::gPickers[k].Init(k);
}

}  // namespace corvia
