#include "render/Matrix4.h"

#include <cmath>
#include <numbers>

namespace corvia {

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
  Matrix4 r;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a(row, k) * b(k, column);
      r(row, column) = sum;
    }
  }
  return r;
}

Matrix4 TranslationMatrix4(double x, double y, double z) {
  Matrix4 r;
  r(0, 3) = x;
  r(1, 3) = y;
  r(2, 3) = z;
  return r;
}

Matrix4 ScalingMatrix4(double x, double y, double z) {
  Matrix4 r;
  r(0, 0) = x;
  r(1, 1) = y;
  r(2, 2) = z;
  return r;
}

Matrix4 RotationMatrix4(const double* matrix3) {
  Matrix4 r;
  for (int column = 0; column < 3; ++column) {
    for (int row = 0; row < 3; ++row) r(row, column) = matrix3[3 * column + row];
  }
  return r;
}

Matrix4 OrthoMatrix4(double left, double right, double bottom, double top, double zNear, double zFar) {
  Matrix4 r;
  r(0, 0) = 2.0 / (right - left);
  r(1, 1) = 2.0 / (top - bottom);
  r(2, 2) = -2.0 / (zFar - zNear);
  r(0, 3) = -(right + left) / (right - left);
  r(1, 3) = -(top + bottom) / (top - bottom);
  r(2, 3) = -(zFar + zNear) / (zFar - zNear);
  return r;
}

Matrix4 FrustumMatrix4(double left, double right, double bottom, double top, double zNear, double zFar) {
  Matrix4 r;
  r(0, 0) = 2.0 * zNear / (right - left);
  r(1, 1) = 2.0 * zNear / (top - bottom);
  r(0, 2) = (right + left) / (right - left);
  r(1, 2) = (top + bottom) / (top - bottom);
  r(2, 2) = -(zFar + zNear) / (zFar - zNear);
  r(3, 2) = -1.0;
  r(2, 3) = -2.0 * zFar * zNear / (zFar - zNear);
  r(3, 3) = 0.0;
  return r;
}

Matrix4 PerspectiveMatrix4(double fovyDegrees, double aspect, double zNear, double zFar) {
  const double f = 1.0 / std::tan(fovyDegrees * std::numbers::pi / 360.0);
  Matrix4 r;
  r(0, 0) = f / aspect;
  r(1, 1) = f;
  r(2, 2) = (zFar + zNear) / (zNear - zFar);
  r(3, 2) = -1.0;
  r(2, 3) = 2.0 * zFar * zNear / (zNear - zFar);
  r(3, 3) = 0.0;
  return r;
}

Matrix4 RegionMatrix4(double x, double y, double width, double height, const int* viewport) {
  return TranslationMatrix4((viewport[2] - 2.0 * (x - viewport[0])) / width,
                            (viewport[3] - 2.0 * (y - viewport[1])) / height, 0.0) *
         ScalingMatrix4(viewport[2] / width, viewport[3] / height, 1.0);
}

void TransformPoint4(const Matrix4& m, double* out, const double* in) {
  double r[4];
  for (int row = 0; row < 4; ++row) {
    r[row] = m(row, 0) * in[0] + m(row, 1) * in[1] + m(row, 2) * in[2] + m(row, 3) * in[3];
  }
  for (int i = 0; i < 4; ++i) out[i] = r[i];
}

void TransformPoint3(const Matrix4& m, double* out, const double* in) {
  const double p[4] = {in[0], in[1], in[2], 1.0};
  double r[4];
  TransformPoint4(m, r, p);
  const double w = r[3] != 0.0 ? r[3] : 1.0;
  for (int i = 0; i < 3; ++i) out[i] = r[i] / w;
}

void TransformDirection3(const Matrix4& m, double* out, const double* in) {
  double r[3];
  for (int row = 0; row < 3; ++row) r[row] = m(row, 0) * in[0] + m(row, 1) * in[1] + m(row, 2) * in[2];
  for (int i = 0; i < 3; ++i) out[i] = r[i];
}

}  // namespace corvia
