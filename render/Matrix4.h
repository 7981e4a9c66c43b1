#pragma once
// 4 x 4 matrices in OpenGL's layout (column order: element (row r, column c) is
// entry 4c + r), worked in double. The camera computes its projection and viewing
// matrices with these and hands them to GL, so that nothing is read back from GL.

namespace corvia {

struct Matrix4 {
  double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  double& operator()(int row, int column) { return m[4 * column + row]; }
  double operator()(int row, int column) const { return m[4 * column + row]; }
};

// a b: apply b, then a.
Matrix4 operator*(const Matrix4& a, const Matrix4& b);

Matrix4 TranslationMatrix4(double x, double y, double z);
Matrix4 ScalingMatrix4(double x, double y, double z);
// A 3x3 matrix of the core (column order) in the upper left corner.
Matrix4 RotationMatrix4(const double* matrix3);
// The matrices of glOrtho, glFrustum and gluPerspective (angle in degrees).
Matrix4 OrthoMatrix4(double left, double right, double bottom, double top, double zNear, double zFar);
Matrix4 FrustumMatrix4(double left, double right, double bottom, double top, double zNear, double zFar);
Matrix4 PerspectiveMatrix4(double fovyDegrees, double aspect, double zNear, double zFar);
// The matrix of gluPickMatrix: maps the width x height region centred on (x, y) of
// the viewport (x, y, width, height; GL window coordinates, y up) onto the whole of it.
Matrix4 RegionMatrix4(double x, double y, double width, double height, const int* viewport);

// m (x, y, z, w).
void TransformPoint4(const Matrix4& m, double* out, const double* in);
// m (x, y, z, 1) with the perspective division; w = 0 leaves x, y, z undivided.
void TransformPoint3(const Matrix4& m, double* out, const double* in);
// The upper 3x3 part applied to a direction.
void TransformDirection3(const Matrix4& m, double* out, const double* in);

}  // namespace corvia
