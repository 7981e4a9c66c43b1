// The camera's arithmetic, checked against geometry worked out here: fitting a
// sphere, zooming and panning about the point under the mouse, stereo parallax,
// field-of-view rules, rays and facing. Pixel checks of the fit draw off screen.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>

#include "core/VectorMath.h"
#include "render/GL.h"
#include "tests/render/RenderTestSupport.h"

namespace {

using namespace corvia;
using corvia::testing::TestView;

constexpr double kRad = std::numbers::pi / 180.0;

void ExpectOrthonormal(const OpenGLView& view) {
  const double* r = view.Camera().GetRightAxis();
  const double* u = view.Camera().GetUpAxis();
  const double* v = view.Camera().GetViewAxis();
  EXPECT_NEAR(Dot(r, r), 1.0, 1e-12);
  EXPECT_NEAR(Dot(u, u), 1.0, 1e-12);
  EXPECT_NEAR(Dot(v, v), 1.0, 1e-12);
  EXPECT_NEAR(Dot(r, u), 0.0, 1e-12);
  EXPECT_NEAR(Dot(r, v), 0.0, 1e-12);
  EXPECT_NEAR(Dot(u, v), 0.0, 1e-12);
  double c[3];
  Cross(c, r, u);
  EXPECT_NEAR(Dot(c, v), 1.0, 1e-12);  // right-handed
}

void Project(TestView& view, const double* p, double* out) { view.ApplyViewTransform(out, p); }

struct Shape {
  int width, height;
};

class CameraFit : public ::testing::TestWithParam<std::tuple<Shape, bool>> {};

// The outline of a sphere seen from the eye: the tangent points in the plane of
// the view axis and a screen axis.
void SilhouettePoints(const TestView& view, const double* axis, double radius, bool orthogonal, double* plus,
                      double* minus) {
  const double d = Dot(view.Camera().GetEye(), view.Camera().GetViewAxis());
  double along = 0.0, across = radius;
  if (!orthogonal) {
    along = radius * radius / d;
    across = radius * std::sqrt(1.0 - radius * radius / (d * d));
  }
  for (int k = 0; k < 3; ++k) {
    plus[k] = along * view.Camera().GetViewAxis()[k] + across * axis[k];
    minus[k] = along * view.Camera().GetViewAxis()[k] - across * axis[k];
  }
}

TEST_P(CameraFit, UnitSphereTouchesTheNearerEdges) {
  const auto [shape, orthogonal] = GetParam();
  TestView view;
  view.SetSizeForTest(shape.width, shape.height);
  view.Camera().InitCamera();
  // Turn the camera somewhere else first: the fit works along any view axis.
  const double axis[3] = {1, 2, -0.5};
  view.Camera().RotateCamera(axis, 37);
  view.Camera().OrthonormalizeCamera();
  view.Camera().SetOrthogonal(orthogonal);
  view.Camera().ViewSphere(nullptr, 1.0);

  const bool narrow = shape.width < shape.height;
  double plus[3], minus[3], a[3], b[3];
  SilhouettePoints(view, narrow ? view.Camera().GetRightAxis() : view.Camera().GetUpAxis(), 1.0, orthogonal, plus,
                   minus);
  Project(view, plus, a);
  Project(view, minus, b);
  if (narrow) {
    EXPECT_NEAR(a[0], shape.width, 1e-4);
    EXPECT_NEAR(b[0], 0.0, 1e-4);
  } else {
    EXPECT_NEAR(a[1], 0.0, 1e-4);  // window y runs down
    EXPECT_NEAR(b[1], shape.height, 1e-4);
  }
  // The other pair of edges is not reached.
  SilhouettePoints(view, narrow ? view.Camera().GetUpAxis() : view.Camera().GetRightAxis(), 1.0, orthogonal, plus,
                   minus);
  Project(view, plus, a);
  if (narrow) {
    EXPECT_GT(a[1], 0.0);
  } else if (shape.width > shape.height) {
    EXPECT_LT(a[0], shape.width);
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, CameraFit,
                         ::testing::Combine(::testing::Values(Shape{400, 300}, Shape{300, 300}, Shape{200, 600}),
                                            ::testing::Bool()));

class CameraPixels : public corvia::testing::GLTest {};

TEST_F(CameraPixels, FittedSphereFillsTheShorterSideWithinAPixel) {
  for (Shape shape : {Shape{400, 300}, Shape{300, 300}, Shape{100, 300}}) {
    for (bool orthogonal : {false, true}) {
      TestView view;
      view.SetBackgroundColor(0, 0, 0);
      SetLighting(&view, false);
      view.scene = [](TestView& v) {
        v.Materials().SetColor(1, 1, 1);
        GLUquadric* q = gluNewQuadric();
        gluSphere(q, 1.0, 720, 360);
        gluDeleteQuadric(q);
      };
      auto* window = Show(view, shape.width, shape.height);
      ASSERT_NE(window, nullptr);
      view.Camera().SetOrthogonal(orthogonal);
      view.Camera().ViewSphere(nullptr, 1.0);
      GLBitmap image = Draw(window);
      int minX = shape.width, maxX = -1, minY = shape.height, maxY = -1;
      for (int y = 0; y < shape.height; ++y) {
        for (int x = 0; x < shape.width; ++x) {
          if (corvia::testing::PixelAt(image, x, y).r < 128) continue;
          minX = std::min(minX, x), maxX = std::max(maxX, x);
          minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
      }
      SCOPED_TRACE(::testing::Message() << shape.width << "x" << shape.height << (orthogonal ? " orthogonal" : ""));
      if (shape.width < shape.height) {
        EXPECT_LE(minX, 1);
        EXPECT_GE(maxX, shape.width - 2);
        EXPECT_GT(minY, 1);
      } else {
        EXPECT_LE(minY, 1);
        EXPECT_GE(maxY, shape.height - 2);
        if (shape.width > shape.height) {
          EXPECT_GT(minX, 1);
        }
      }
      CloseWindows();
    }
  }
}

TEST(Camera, WideWindowFitsBySizeWithMargins) {
  TestView view;
  view.SetSizeForTest(400, 200);
  view.Camera().InitCamera();
  view.Camera().SetPixelMargins(10, 10);
  view.Camera().ViewSphere(nullptr, 2.0);
  const double expected = 2.0 * 200.0 / (200.0 - 20.0) / std::sin(view.Camera().GetFieldOfView() * kRad / 2.0);
  EXPECT_NEAR(Dot(view.Camera().GetEye(), view.Camera().GetViewAxis()), expected, 1e-9);
  // Margins as large as the window are ignored rather than putting the eye behind.
  view.Camera().SetPixelMargins(150, 150);
  view.Camera().ViewSphere(nullptr, 2.0);
  EXPECT_NEAR(Dot(view.Camera().GetEye(), view.Camera().GetViewAxis()),
              2.0 / std::sin(view.Camera().GetFieldOfView() * kRad / 2.0), 1e-9);
}

TEST(Camera, ExtentsOfSpherePointsAgreeWithTheSphereFit) {
  TestView view;
  view.SetSizeForTest(300, 200);
  view.Camera().InitCamera();
  view.Camera().ViewSphere(nullptr, 1.0);
  const double fitted = Dot(view.Camera().GetEye(), view.Camera().GetViewAxis());
  ViewExtents extents;
  view.Camera().InitExtents(extents, 0.0, 0, 0);
  for (int i = 0; i <= 180; ++i) {
    for (int j = 0; j < 360; j += 2) {
      const double t = i * kRad, p = j * kRad;
      const double point[3] = {std::sin(t) * std::cos(p), std::cos(t), std::sin(t) * std::sin(p)};
      view.Camera().AddPointToExtents(extents, point);
    }
  }
  view.Camera().ZoomToExtents(extents);
  EXPECT_NEAR(Dot(view.Camera().GetEye(), view.Camera().GetViewAxis()), fitted, 1e-3);
}

TEST(Camera, RotationsKeepTheFrameOrthonormal) {
  TestView view;
  view.SetSizeForTest(100, 100);
  view.Camera().InitCamera();
  std::mt19937 random(7);
  std::uniform_real_distribution<double> angle(-180, 180), coordinate(-1, 1);
  for (int i = 0; i < 50; ++i) {
    const double axis[3] = {coordinate(random), coordinate(random), coordinate(random)};
    switch (i % 4) {
      case 0:
        view.Camera().RotateCamera(axis, angle(random));
        break;
      case 1:
        view.Camera().RotateAboutViewAxis(i % 3, angle(random));
        break;
      case 2:
        view.Camera().RotateCameraEuler(angle(random), angle(random), angle(random));
        break;
      default:
        view.Camera().RotateInViewFrame(axis, angle(random), i % 8 == 3);
        break;
    }
    view.Camera().OrthonormalizeCamera();
    ExpectOrthonormal(view);
  }
  // Orbiting keeps the eye's distance; turning in place keeps the eye.
  const double before = VectorLength(view.Camera().GetEye());
  const double x[3] = {1, 0, 0};
  view.Camera().RotateInViewFrame(x, 20, true);
  EXPECT_NEAR(VectorLength(view.Camera().GetEye()), before, 1e-12);
  double eye[3];
  CopyVector(eye, view.Camera().GetEye());
  view.Camera().RotateInViewFrame(x, 20, false);
  EXPECT_TRUE(PointsEqual(eye, view.Camera().GetEye()));
}

TEST(Camera, OrthogonalAndBackRestoresTheDistance) {
  TestView view;
  view.SetSizeForTest(320, 240);
  view.Camera().InitCamera();
  const double eye[3] = {0.3, -0.2, 6.0};
  view.Camera().SetEye(eye);
  view.Camera().SetOrthogonal(true);
  EXPECT_NEAR(view.Camera().GetOrthoHalfHeight(), std::sin(25.0 * kRad / 2) * 6.0, 1e-6);
  view.Camera().SetOrthogonal(false);
  EXPECT_NEAR(view.Camera().GetEye()[2], 6.0, 1e-5);
  EXPECT_NEAR(view.Camera().GetEye()[0], 0.3, 1e-12);
  EXPECT_NEAR(view.Camera().GetEye()[1], -0.2, 1e-12);
}

TEST(Camera, StoredSlotsAndRecords) {
  TestView view;
  ViewGroup& group = view.GetViewGroup();
  ClearStoredCameras(group);
  view.SetSizeForTest(100, 100);
  view.Camera().InitCamera();
  CameraRecord before;
  view.Camera().GetCamera(before);
  view.Camera().StoreCamera(-1);
  view.Camera().UseCamera(5);
  view.Camera().SetCamera(CameraRecord{});  // invalid: ignored
  CameraRecord after;
  view.Camera().GetCamera(after);
  EXPECT_TRUE(PointsEqual(before.eye, after.eye));
  EXPECT_FALSE(IsCameraStored(group, 0));

  view.Camera().StoreCamera(2);
  EXPECT_TRUE(IsCameraStored(group, 2));
  const double axis[3] = {0, 1, 0};
  view.Camera().RotateCamera(axis, 90);
  view.Camera().UseCamera(2);
  EXPECT_TRUE(PointsEqual(before.eye, view.Camera().GetEye()));
  EXPECT_TRUE(PointsEqual(before.viewAxis, view.Camera().GetViewAxis()));

  CameraFrame frame;
  view.Camera().SaveCameraFrame(frame);
  view.Camera().RotateCamera(axis, 45);
  view.Camera().RestoreCameraFrame(frame);
  EXPECT_TRUE(PointsEqual(frame.eye, view.Camera().GetEye()));
  ClearStoredCameras(group);
}

// The model point on the plane through the origin under a window point.
void PointOnTargetPlane(const TestView& view, double x, double y, double* out) {
  double origin[3], direction[3];
  view.GetPickRay(origin, direction, x, y);
  const double t = -Dot(origin, view.Camera().GetViewAxis()) / Dot(direction, view.Camera().GetViewAxis());
  for (int k = 0; k < 3; ++k) out[k] = origin[k] + t * direction[k];
}

// A view of the size, its camera turned away from the default one.
void TurnedView(TestView& view, int width, int height, const double* axis, double angle, bool orthogonal) {
  view.SetSizeForTest(width, height);
  view.Camera().InitCamera();
  view.Camera().RotateCamera(axis, angle);
  view.Camera().SetOrthogonal(orthogonal);
}

TEST(Camera, PanMovesThePointUnderTheMouseWithTheMouse) {
  for (bool orthogonal : {false, true}) {
    TestView view;
    const double axis[3] = {1, 1, 0};
    TurnedView(view, 400, 300, axis, 30, orthogonal);
    double point[3], moved[3];
    PointOnTargetPlane(view, 120, 80, point);
    view.Camera().PanCamera(25, -40);
    Project(view, point, moved);
    EXPECT_NEAR(moved[0], 145, 1e-4);
    EXPECT_NEAR(moved[1], 40, 1e-4);
  }
}

TEST(Camera, RaysPassThroughTheirPixels) {
  for (bool orthogonal : {false, true}) {
    TestView view;
    const double axis[3] = {0.2, 1, 0.4};
    TurnedView(view, 300, 200, axis, 70, orthogonal);
    for (double x : {0.0, 37.5, 150.0, 299.0}) {
      for (double y : {0.0, 100.0, 180.25}) {
        double origin[3], direction[3], along[3], pixel[3];
        view.GetPickRay(origin, direction, x, y);
        for (int k = 0; k < 3; ++k) along[k] = origin[k] + 1.5 * direction[k];
        Project(view, along, pixel);
        EXPECT_NEAR(pixel[0], x, 1e-6);
        EXPECT_NEAR(pixel[1], y, 1e-6);
      }
    }
  }
}

TEST(Camera, WheelZoomStopsAtTheDistanceLimit) {
  TestView view;
  view.SetSizeForTest(200, 200);
  view.Camera().InitCamera();
  const double start = Dot(view.Camera().GetEye(), view.Camera().GetViewAxis());
  view.DoMouseWheel(120);
  EXPECT_NEAR(Dot(view.Camera().GetEye(), view.Camera().GetViewAxis()), start / 1.06, 1e-9);
  view.Camera().SetEyeDistanceLimits(-1, 9.0);
  for (int i = 0; i < 100; ++i) view.DoMouseWheel(-120);
  EXPECT_NEAR(Dot(view.Camera().GetEye(), view.Camera().GetViewAxis()), 9.0, 1e-9);
}

// A flat pane of 300 x 200 pixels fitted to the extents.
void FlatView(TestView& view, float left, float top, float right, float bottom) {
  view.SetIs3D(false);
  view.SetSizeForTest(300, 200);
  view.Mapping2D().SetExtents2D(left, top, right, bottom);
  view.Mapping2D().FitExtents2D();
}

TEST(Camera, ZoomingAFlatPaneKeepsThePointUnderTheMouse) {
  TestView view;
  FlatView(view, -3, 2, 3, -2);
  view.Mapping2D().SetRotation2D(30);
  for (double factor : {1.7, 2.2, 0.8}) {
    double before[2], after[2];
    view.Mapping2D().WindowToModel2D(before, 140, 90);
    view.Mapping2D().Zoom2DAt(factor, 140, 90);
    view.Mapping2D().WindowToModel2D(after, 140, 90);
    EXPECT_NEAR(after[0], before[0], 1e-4);
    EXPECT_NEAR(after[1], before[1], 1e-4);
  }
  // The window and model mappings are each other's inverse.
  double model[2] = {0.7, -1.1}, window[2], back[2];
  view.Mapping2D().ModelToWindow2D(window, model);
  view.Mapping2D().WindowToModel2D(back, window[0], window[1]);
  EXPECT_NEAR(back[0], model[0], 1e-5);
  EXPECT_NEAR(back[1], model[1], 1e-5);
}

TEST(Camera, ASmallFlatContentIsCentredAndCannotScroll) {
  TestView view;
  FlatView(view, -1, 1, 1, -1);
  view.Mapping2D().Zoom2DAt(0.5, 150, 100);
  EXPECT_LT(view.Mapping2D().GetContentSize2D()[0], 300);
  view.Mapping2D().ScrollTo(50, 50);
  EXPECT_EQ(view.Mapping2D().GetScrollPosition2D()[0], 0);
  EXPECT_EQ(view.Mapping2D().GetScrollPosition2D()[1], 0);
  EXPECT_NEAR(view.Mapping2D().ModelToWindowX(0), 150, 1e-4);
  EXPECT_NEAR(view.Mapping2D().ModelToWindowY(0), 100, 1e-4);
  // The top of the extents is above its bottom on screen.
  EXPECT_LT(view.Mapping2D().ModelToWindowY(1), view.Mapping2D().ModelToWindowY(-1));
}

TEST(Camera, EmptyFlatExtentsKeepTheZoom) {
  TestView view;
  FlatView(view, -1, 1, 1, -1);
  const float zoom = view.Mapping2D().GetZoom();
  view.Mapping2D().SetExtents2D(0, 0, 0, 0);
  view.Mapping2D().FitExtents2D();
  EXPECT_EQ(view.Mapping2D().GetZoom(), zoom);
  EXPECT_TRUE(std::isfinite(view.Mapping2D().WindowToModelX(10)));
}

// A pane too low to hold the extents (its height all taken by the margins and the
// scroll bar's room) keeps its zoom: fitted by its width alone, the content would be
// magnified by the whole height it is given later.
TEST(Camera, AFlatPaneWithNoRoomKeepsTheZoom) {
  TestView view;
  view.Camera().SetPixelMargins(4, 4);
  FlatView(view, -1, 1, 1, -1);
  const float zoom = view.Mapping2D().GetZoom();
  view.SetSizeForTest(300, 3);
  view.Mapping2D().FitExtents2D();
  EXPECT_EQ(view.Mapping2D().GetZoom(), zoom);
  view.SetSizeForTest(0, 200);
  view.Mapping2D().FitExtents2D();
  EXPECT_EQ(view.Mapping2D().GetZoom(), zoom);
  // A line along x needs no height.
  view.Mapping2D().SetExtents2D(-1, 0, 1, 0);
  view.SetSizeForTest(300, 3);
  view.Mapping2D().FitExtents2D();
  EXPECT_GT(view.Mapping2D().GetZoom(), zoom);
}

TEST(Camera, StereoEyesSeeThePlaneOfTheOriginAlikeAndNearerPointsApart) {
  TestView view;
  view.SetSizeForTest(400, 300);
  view.Camera().InitCamera();
  view.Stereo().SetStereoMode(kStereoRedCyan);
  view.Stereo().UpdateEyeSeparation();
  const double d = Dot(view.Camera().GetEye(), view.Camera().GetViewAxis());
  EXPECT_NEAR(view.Stereo().GetEyeSeparation(), d * 3.0 / 70.0, 1e-12);

  const double onPlane[3] = {0.3, -0.2, 0.0};
  const double nearer[3] = {0.3, -0.2, 0.5};
  double pixels[2][2][3];
  for (int eye = 1; eye <= 2; ++eye) {
    view.Stereo().SetCurrentEye(eye);
    Project(view, onPlane, pixels[eye - 1][0]);
    Project(view, nearer, pixels[eye - 1][1]);
  }
  view.Stereo().SetCurrentEye(0);
  EXPECT_NEAR(pixels[0][0][0], pixels[1][0][0], 1e-6);
  EXPECT_NEAR(pixels[0][0][1], pixels[1][0][1], 1e-6);

  // Each eye sees the window at the distance of the origin from its own place: a
  // point's image there is where its line from the eye meets that plane.
  const double sep = view.Stereo().GetEyeSeparation();
  const double z = d - nearer[2];
  const double halfWidth = view.Camera().GetAspectRatio() * d * std::tan(view.Camera().GetFieldOfView() * kRad / 2);
  double expected[2];
  for (int eye = 0; eye < 2; ++eye) {
    const double offset = eye == 0 ? -sep : sep;
    const double x = offset + (nearer[0] - offset) * d / z;
    expected[eye] = 200.0 + x / halfWidth * 200.0;
  }
  EXPECT_NEAR(pixels[0][1][0], expected[0], 1e-6);
  EXPECT_NEAR(pixels[1][1][0], expected[1], 1e-6);
  EXPECT_GT(pixels[0][1][0], pixels[1][1][0]);  // crossed: nearer than the plane
  view.Stereo().SetStereoMode(kStereoNone);
}

TEST(Camera, AReferenceAspectKeepsTheWiderAngle) {
  TestView view;
  view.SetSizeForTest(400, 200);
  view.Camera().InitCamera();
  view.Camera().InitFieldOfView(30, 1.0);
  EXPECT_NEAR(view.Camera().GetFieldOfViewInEffect(), 30.0, 1e-5);  // wide: the vertical angle
  view.SetSizeForTest(200, 400);
  // Narrow: the horizontal angle stays what it is at the reference aspect.
  EXPECT_NEAR(view.Camera().ConvertFieldOfView(-1, -1, -1), 30.0, 1e-4);
  EXPECT_NEAR(view.Camera().GetFieldOfView(), 30.0, 1e-4);
  view.SetSizeForTest(400, 200);
  EXPECT_NEAR(view.Camera().GetFieldOfViewInEffect(), 30.0, 1e-4);

  view.SetSizeForTest(100, 400);
  view.Camera().SetFieldOfView(40);
  EXPECT_NEAR(view.Camera().ConvertFieldOfView(-1, -1, -1), 40.0, 1e-4);
  EXPECT_NEAR(view.Camera().GetFieldOfView(), 40.0, 1e-4);
}

TEST(Camera, FacingThroughTheMatrixAgreesWithTheFacingValue) {
  for (bool orthogonal : {false, true}) {
    TestView view;
    const double axis[3] = {1, 0.3, 0.2};
    TurnedView(view, 200, 200, axis, 50, orthogonal);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> c(-1, 1);
    for (int i = 0; i < 200; ++i) {
      const double p[3] = {c(random), c(random), c(random)};
      const double n[3] = {c(random), c(random), c(random)};
      const double value = view.Camera().GetFacingValue(p, n, true);
      if (std::fabs(value) < 1e-6) continue;
      EXPECT_EQ(view.IsFrontFacing(p, n, true), value > 0);
      EXPECT_EQ(view.IsFrontFacing(p, n, false), value > 0);
    }
    double direction[3];
    const double p[3] = {0.1, 0.2, 0.3};
    view.Camera().GetViewDirection(direction, p);
    if (orthogonal) {
      EXPECT_TRUE(PointsEqual(direction, view.Camera().GetViewAxis()));
    } else {
      EXPECT_GT(Dot(direction, view.Camera().GetViewAxis()), 0);  // towards the viewer
    }
  }
}

// A camera, its flat mapping and its stereo on their own, as a view holds them.
struct LoneCamera {
  ViewArea area;
  ViewCamera camera{area, stereo, mapping, nullptr};
  ViewMapping2D mapping{area, camera, nullptr};
  ViewStereo stereo{area, camera, nullptr};
};

TEST(Camera, WithoutAViewItKeepsItsMatricesUntilItOrItsMappingChanges) {
  // Made on the heap: the parts refer to each other before all are made.
  auto made = std::make_unique<LoneCamera>();
  LoneCamera& lone = *made;
  lone.area.width = 200;
  lone.area.height = 100;
  lone.camera.InitCamera();
  ViewCamera& camera = lone.camera;
  // Where the camera's matrix, made anew, puts a point in the window.
  auto expectPixel = [&camera](const double* point, double x, double y) {
    camera.MakeMatrices(nullptr);
    double pixel[3];
    TransformPoint3(camera.GetCameraMatrix(), pixel, point);
    EXPECT_NEAR(pixel[0], x, 1e-6);
    EXPECT_NEAR(pixel[1], y, 1e-6);
  };
  const double origin[3] = {0, 0, 0};
  expectPixel(origin, 100, 50);

  // Side by side, the right eye draws into the right half.
  lone.stereo.SetStereoMode(kStereoParallel);
  lone.stereo.SetCurrentEye(2);
  lone.stereo.UpdateEyeSeparation();
  expectPixel(origin, 150, 50);
  lone.stereo.SetStereoMode(kStereoNone);
  lone.stereo.SetCurrentEye(0);

  // The camera's own move drops the matrices it kept.
  camera.MakeMatrices(nullptr);
  camera.PanCamera(10, -20);
  EXPECT_FALSE(camera.HasMatrices());
  expectPixel(origin, 110, 30);

  // A flat pane: the matrix maps the model plane as the mapping does, and a change of
  // the mapping drops it.
  lone.area.is3D = false;
  lone.mapping.SetExtents2D(-1, -2, 3, 1);
  lone.mapping.UpdateScrollRange();
  camera.MakeMatrices(nullptr);
  ViewMapping2D::Placement placement = lone.mapping.GetPlacement();
  placement.rotation = 30;
  placement.zoom *= 1.5f;
  lone.mapping.SetPlacement(placement);
  EXPECT_FALSE(camera.HasMatrices());
  const double point[3] = {2, 0.5, 0};
  double expected[2];
  lone.mapping.ModelToWindow2D(expected, point);
  expectPixel(point, expected[0], expected[1]);
}

}  // namespace
