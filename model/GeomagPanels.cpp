#include "model/GeomagPanels.h"

#include <cmath>

#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"

namespace corvia {

namespace detail_GeomagPanels {

constexpr double kPi = 3.14159265358979323846;

// The panel colours packed as 0x00BBGGRR, in index order.
constexpr uint32_t kPanelColors[kGeomagPanelColors] = {
    0x1A00FF,  // Red
    0x1AE6E6,  // Yellow
    0xFF3300,  // Blue
    0x80CC00,  // Green
    0xC0C0C0,  // Clear
};

bool Near(double a, double b) {
  return std::fabs(a - b) <= kToyPanelTolerance;
}

// Every corner turns by the angle whose sine is given: the cross product of each
// edge with the next equals that sine times the normal.
bool EveryCornerTurns(int sides, const double* edges, const double* normal, double sine) {
  for (int i = 0; i < sides; ++i) {
    double cross[3];
    Cross(cross, &edges[3 * i], &edges[3 * ((i + 1) % sides)]);
    for (int c = 0; c < 3; ++c) {
      if (!Near(cross[c], sine * normal[c])) return false;
    }
  }
  return true;
}

}  // namespace detail_GeomagPanels

bool CanMakeGeomagPanel(int sides, const double* corners, const double* normal, bool* isRhombus, int* firstCorner) {
  using namespace detail_GeomagPanels;
  if (isRhombus) *isRhombus = false;
  if (firstCorner) *firstCorner = 0;
  switch (sides) {
    case 3:
    case 4:
    case 5:
    case 6:
    case 8:
    case 10:
    case 12:
      break;
    default:
      return false;
  }
  if (!corners || !normal) return false;
  double edges[3 * kGeomagMaxPanelSides];
  for (int i = 0; i < sides; ++i) {
    double* edge = &edges[3 * i];
    Subtract(edge, &corners[3 * ((i + 1) % sides)], &corners[3 * i]);
    if (!Near(Dot(edge, edge), 1.0)) return false;
  }
  if (EveryCornerTurns(sides, edges, normal, std::sin(2.0 * kPi / sides))) return true;
  if (sides != 4 || !EveryCornerTurns(sides, edges, normal, std::sin(2.0 * kPi / 3.0))) return false;
  if (isRhombus) *isRhombus = true;
  // Corner 0 lies between the last edge (reversed) and the first: obtuse when the
  // two edges leaving it point apart.
  if (firstCorner && -Dot(&edges[0], &edges[9]) < 0.0) *firstCorner = 1;
  return true;
}

int FindGeomagPanelColor(const float* rgb) {
  if (!rgb) return -1;
  const uint32_t packed = PackRainbowColor(rgb);
  for (int i = 0; i < kGeomagPanelColors; ++i) {
    if (detail_GeomagPanels::kPanelColors[i] == packed) return i;
  }
  return -1;
}

bool GetGeomagPanelColor(int i, float* rgb) {
  if (i < 0 || i >= kGeomagPanelColors || !rgb) return false;
  UnpackRainbowColor(detail_GeomagPanels::kPanelColors[i], rgb);
  return true;
}

bool GetGeomagFaceParts(int sides, bool rhombus, GeomagFaceParts& parts) {
  parts = GeomagFaceParts();
  switch (sides) {
    case 3:
      parts.panels[kGeomagTriangle] = 1;
      return true;
    case 4:
      parts.panels[rhombus ? kGeomagRhombus : kGeomagSquare] = 1;
      return true;
    case 5:
      parts.panels[kGeomagPentagon] = 1;
      return true;
    case 6:
      // Three rhombi round a ball at the centre.
      parts.panels[kGeomagRhombus] = 3;
      parts.extraRods = 3;
      parts.extraBalls = 1;
      return true;
    case 8:
      parts.panels[kGeomagTriangle] = 4;
      parts.panels[kGeomagSquare] = 5;
      parts.extraRods = 12;
      parts.extraBalls = 4;
      return true;
    case 10:
      parts.panels[kGeomagTriangle] = 5;
      parts.panels[kGeomagSquare] = 5;
      parts.panels[kGeomagPentagon] = 1;
      parts.extraRods = 15;
      parts.extraBalls = 5;
      return true;
    case 12:
      parts.panels[kGeomagTriangle] = 6;
      parts.panels[kGeomagSquare] = 6;
      parts.panels[kGeomagRhombus] = 3;
      parts.extraRods = 21;
      parts.extraBalls = 7;
      return true;
    default:
      return false;
  }
}

}  // namespace corvia
