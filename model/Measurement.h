#pragma once
// Measuring by picking points on a model. The picks gather into up to three items
// (the three point pickers, newest first): a point, a line (two points) or a plane
// (three points). From the two newest items the measurement fills slots 0-5 of the
// shared table of measurement points: the shortest segment between the items, or the
// three points of the angle between them. Points have four coordinates; w is 0 for a
// 3D model.

#include <cstdint>

namespace corvia {

// PickMeasurementPoint flags (the pickers read further bits of their own).
constexpr uint32_t kMeasureReplaceItem = 0x1;
constexpr uint32_t kMeasureAddToItem = 0x2;
constexpr uint32_t kMeasureFromMouse = 0x4;

// Slots 0-5 of the table; the measured angle when none is stored.
constexpr int kNumMeasureSlots = 6;
constexpr int kNoSegment = -1;

// Takes one picked point (four coordinates).
void PickMeasurementPoint(const double* point, uint32_t flags);

// The measured segment; table: six records of four doubles, or null for the global
// table. False when there is none.
bool GetMeasuredSegment(double* first, double* second, const double (*table)[4] = nullptr);
// The 4D length of the measured segment; DBL_MAX when none, 0 for 1e-7 or less.
double GetMeasuredDistance();
// Line 0 is slots (0, 1, 2) and line 1 slots (3, 4, 5), the middle slot being the
// vertex of the angle. False when the line is not fully defined.
bool GetMeasuredLine(int which, int* slots);
// Radians; DBL_MAX when undefined.
double GetMeasuredAngle(int which);
// The unit 4D direction from the origin to the nearest point of the newest item.
bool GetMeasuredPlane(double* out);

// Slots 0-5 undefined, segment 0-1, no stored angle. The model's reset calls it.
void ResetMeasurement();

// The view's mode help, refreshed after every pick; the program installs it.
using ModeHelpRefresher = void (*)();
ModeHelpRefresher SetModeHelpRefresher(ModeHelpRefresher refresher);

}  // namespace corvia
