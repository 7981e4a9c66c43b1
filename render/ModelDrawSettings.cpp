// Display settings of the model drawing and the sizes of spheres, cylinders and labels.

#include "render/ModelDrawSettings.h"

#include <cmath>

#include "core/Units.h"
#include "model/Poly.h"

namespace corvia {

namespace detail_ModelDrawSettings {

// Elements counted for the size rules: the count given, or vertices plus faces when
// it is negative; 30 when that leaves none.
int ElementCount(const Poly* poly, int count) {
  if (count < 0) count = poly ? poly->mVertices.mCount + poly->mFaces.mCount : 0;
  return count > 0 ? count : 30;
}

// The value given for the block, or its stand-in: 1.0 for the base, the model's radius
// for the dual.
double BlockValue(Poly* poly, bool isDual, double baseValue, double dualValue) {
  if (!isDual) return baseValue > 0.0 ? baseValue : 1.0;
  if (dualValue > 0.0) return dualValue;
  return poly ? poly->GetRadius() : 1.0;
}

}  // namespace detail_ModelDrawSettings

bool UsingVertexSpheres() {
  const ModelDrawSettings& s = GetModelDrawSettings();
  return s.spheresAndCylinders && s.vertexSpheres;
}

bool UsingEdgeCylinders() {
  const ModelDrawSettings& s = GetModelDrawSettings();
  return s.spheresAndCylinders && s.edgeCylinders;
}

float GetVertexPointSize() {
  return GetModelDrawSettings().vertSize * GetModelDrawSettings().pointSizeFactor;
}
float GetEdgeLineWidth() {
  return GetModelDrawSettings().edgeWidth * GetModelDrawSettings().lineWidthFactor;
}

double GetSphereRadius(Poly* poly, bool isDual, double edgeLength, int count, double baseValue, double dualValue) {
  using namespace detail_ModelDrawSettings;
  const ModelDrawSettings& s = GetModelDrawSettings();
  double base = 0.0;
  switch (s.sphereRadBasedOn) {
    case 0:
      base = 1.0 / std::sqrt(static_cast<double>(ElementCount(poly, count)));
      break;
    case 1:
      base = edgeLength;
      break;
    case 2:
      base = BlockValue(poly, isDual, baseValue, dualValue);
      break;
    case 3: {
      const double factor = GetUnitSettings().mLengthScale;
      base = factor != 0.0 ? 1.0 / factor : 0.0;
      break;
    }
    default:
      break;
  }
  return base * s.sphereRad * (poly ? poly->mDisplayScale : 1.0);
}

double GetSphereJointRadius(Poly* poly, bool isDual, double edgeLength, int count, double baseValue, double dualValue,
                            double* joint) {
  const double r = GetSphereRadius(poly, isDual, edgeLength, count, baseValue, dualValue);
  const double c = r * GetModelDrawSettings().cylinderRad;
  if (joint) {
    const double inner = 0.95 * r;
    *joint = inner > c ? std::sqrt(inner * inner - c * c) : 0.0;
  }
  return c;
}

double GetLabelSize(Poly* poly, bool isDual, double edgeLength, int count, double baseValue, double dualValue) {
  using namespace detail_ModelDrawSettings;
  const ModelDrawSettings& s = GetModelDrawSettings();
  double size = 0.0;
  switch (s.labelSizeMode) {
    case 0:
      size = 1.0;
      break;
    case 1:
      size = 10.0 / std::sqrt(static_cast<double>(ElementCount(poly, count)));
      break;
    case 2:
      size = 2.0 * edgeLength;
      break;
    case 3:
      size = BlockValue(poly, isDual, baseValue, dualValue);
      break;
    default:
      size = dualValue;
      break;
  }
  return size * s.labelSizeFactor;
}

}  // namespace corvia
