// Images on faces: the texture coordinates of each projection worked out here from
// the image's frame, rotation and offset; snapping, fitting and the repair of the
// axis of the projections that wrap round; and, off screen, the blocks of an image
// file found on a face of a cube where the test puts them, for every projection and
// boundary mode.

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/FaceImageRef.h"
#include "model/FaceImageAttach.h"
#include "model/Poly.h"
#include "nets/Face3D.h"
#include "render/FaceImage.h"
#include "render/FaceImageMapping.h"
#include "render/FaceImageTexturing.h"
#include "render/TextureImage.h"
#include "tests/render/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

namespace test_FaceImage {

using namespace corvia;
using corvia::testing::ModelView;
using corvia::testing::PixelAt;
using corvia::testing::Platform;
using corvia::testing::Rgba;
using corvia::testing::TestModel;

constexpr double kPi = 3.14159265358979323846;

// An image without a picture (aspect 1, the whole of texture space), removed with the test.
struct PlainImage {
  FaceImage* image;
  explicit PlainImage(int projection, uint32_t boundary = kImageBoundaryBorder)
      : image(new FaceImage(nullptr, projection, boundary)) {}
  ~PlainImage() { delete image; }
  FaceImage* operator->() { return image; }
  operator FaceImage*() const { return image; }
};

void Uv(const FaceImage& image, const Transform3D& t, double x, double y, double z, float* uv,
        const float* reference = nullptr) {
  const double p[3] = {x, y, z};
  GetPointTexCoords(&image, t, p, uv, reference);
}

// ---- Planar coordinates -----------------------------------------------------------------------

TEST(FaceImageMapping, PlanarCoordinatesFollowSizeOffsetRotationAndFlip) {
  PlainImage image(kImageProjectPlanar);
  image->mSize = 2.0;  // aspect 1: two units wide and high
  Transform3D t;
  GetTexCoordTransform(image, t, nullptr);
  float uv[2];
  Uv(*image.image, t, 0, 0, 0, uv);
  EXPECT_FLOAT_EQ(uv[0], 0.5f);
  EXPECT_FLOAT_EQ(uv[1], 0.5f);
  Uv(*image.image, t, 1, -1, 7, uv);  // depth does not matter
  EXPECT_FLOAT_EQ(uv[0], 1.0f);
  EXPECT_FLOAT_EQ(uv[1], 0.0f);

  // The offset moves the image centre, in image widths and heights.
  image->mOffset[0] = 0.25;
  image->mOffset[1] = -0.5;
  GetTexCoordTransform(image, t, nullptr);
  Uv(*image.image, t, 0.5, -1.0, 0, uv);
  EXPECT_NEAR(uv[0], 0.5, 1e-6);
  EXPECT_NEAR(uv[1], 0.5, 1e-6);

  // A quarter turn: the image's right axis is the model's y.
  image->mOffset[0] = image->mOffset[1] = 0.0;
  GetFaceImageSettings().snapToEdges = false;
  SetRotation(image, kPi / 2);
  GetTexCoordTransform(image, t, nullptr);
  Uv(*image.image, t, 0, 1, 0, uv);
  EXPECT_NEAR(uv[0], 1.0, 1e-6);
  EXPECT_NEAR(uv[1], 0.5, 1e-6);
  Uv(*image.image, t, 1, 0, 0, uv);
  EXPECT_NEAR(uv[0], 0.5, 1e-6);
  EXPECT_NEAR(uv[1], 0.0, 1e-6);

  // Flipped: u runs the other way round the centre.
  SetRotation(image, 0.0);
  image->mFlags |= kFaceImageFlip;
  GetTexCoordTransform(image, t, nullptr);
  Uv(*image.image, t, 0.5, 0, 0, uv);
  EXPECT_NEAR(uv[0], 0.25, 1e-6);
  double area[4];
  GetImageArea(image, area);
  EXPECT_EQ(area[0], 1.0);
  EXPECT_EQ(area[2], 0.0);
  GetFaceImageSettings() = FaceImageSettings();
}

TEST(FaceImageMapping, EachFaceProjectionUsesTheFacesOwnFrame) {
  TestModel model("4.4.4");
  ASSERT_TRUE(model.built);
  PlainImage image(kImageProjectPerFace);
  image->mSize = 1.0;
  for (PolyElement* face = model.poly.mFaces.mHead; face; face = face->mNext) {
    Transform3D t;
    GetTexCoordTransform(image, t, face);
    float uv[2];
    GetPointTexCoords(image, t, face->mCentre, uv, nullptr);
    EXPECT_NEAR(uv[0], 0.5, 1e-6);
    EXPECT_NEAR(uv[1], 0.5, 1e-6);
    double p[3];
    for (int k = 0; k < 3; ++k) p[k] = face->mCentre[k] + 0.25 * face->mXAxis[k];
    GetPointTexCoords(image, t, p, uv, nullptr);
    EXPECT_NEAR(uv[0], 0.75, 1e-6);
    EXPECT_NEAR(uv[1], 0.5, 1e-6);
  }
}

// ---- Rotation snapping --------------------------------------------------------------------------

TEST(FaceImageMapping, UprightImagesSnapToQuarterTurnsBothWays) {
  PlainImage image(kImageProjectPlanar);
  image->mFlags |= kFaceImageKeepUpright;
  const double degree = kPi / 180.0;
  SetRotation(image, 87 * degree);
  EXPECT_DOUBLE_EQ(image->mRotation, 87 * degree);
  EXPECT_DOUBLE_EQ(image->mRotationInUse, kPi / 2);
  SetRotation(image, 80 * degree);
  EXPECT_DOUBLE_EQ(image->mRotationInUse, 80 * degree);
  // Turns the other way snap as well (a remainder that kept its sign would not).
  SetRotation(image, -88 * degree);
  EXPECT_DOUBLE_EQ(image->mRotationInUse, 3 * kPi / 2);
  SetRotation(image, 357 * degree);
  EXPECT_DOUBLE_EQ(image->mRotationInUse, 0.0);
  // The rotation frame follows the rotation in use.
  SetRotation(image, 91 * degree);
  EXPECT_NEAR(image->mRotationFrame[0], 0.0, 1e-12);
  EXPECT_NEAR(image->mRotationFrame[1], 1.0, 1e-12);
  GetFaceImageSettings().snapToEdges = false;
  SetRotation(image, 87 * degree);
  EXPECT_DOUBLE_EQ(image->mRotationInUse, 87 * degree);
  GetFaceImageSettings() = FaceImageSettings();
}

TEST(FaceImageMapping, ImagesSnapToTheirOwnersEdges) {
  TestModel model("4.4.4");
  ASSERT_TRUE(model.built);
  PolyElement* face = model.poly.mFaces.mHead;
  // The square face's first edge, seen in its frame.
  double edge[3];
  Subtract(edge, face->mNeighbours[1]->mDualVert, face->mNeighbours[0]->mDualVert);
  double y[3];
  Cross(y, face->mZAxis, face->mXAxis);
  const double edgeAngle = std::atan2(Dot(edge, y), Dot(edge, face->mXAxis));
  PlainImage image(kImageProjectPerFace);
  image->mOwner = face;
  const double degree = kPi / 180.0;
  SetRotation(image, edgeAngle + 3 * degree);
  // Turned back so that the edges lie along the image's axes.
  const double remainder = std::remainder(image->mRotationInUse - edgeAngle, kPi / 2);
  EXPECT_NEAR(remainder, 0.0, 1e-9);
  EXPECT_DOUBLE_EQ(image->mRotation, edgeAngle + 3 * degree);
  SetRotation(image, edgeAngle + 20 * degree);
  EXPECT_DOUBLE_EQ(image->mRotationInUse, edgeAngle + 20 * degree);
}

// ---- Fitting ----------------------------------------------------------------------------------

TEST(FaceImageMapping, FittingCoversTheOutlineAndIgnoresOutlinesOfNoSize) {
  PlainImage image(kImageProjectPlanar);
  image->mBaseScale = 3.0;
  // A face twice as high as wide with a square image: the size becomes its height.
  const double extents[4] = {1.0, -1.0, 2.0, 1.0};
  ASSERT_TRUE(FitToExtents(image, extents));
  EXPECT_DOUBLE_EQ(image->mBaseScale, 1.0);
  EXPECT_DOUBLE_EQ(image->mSize, 2.0);
  EXPECT_DOUBLE_EQ(image->mOffset[0], 0.75);
  EXPECT_DOUBLE_EQ(image->mOffset[1], 0.0);
  // A point: nothing to fit round, and no division by a size of 0.
  const double point[4] = {0.5, 0.5, 0.5, 0.5};
  EXPECT_FALSE(FitToExtents(image, point));
  EXPECT_DOUBLE_EQ(image->mSize, 2.0);
  EXPECT_TRUE(std::isfinite(image->mOffset[0]));
}

TEST(FaceImageMapping, TheLargestRectangleInsideAPolygon) {
  double r[3];
  const std::vector<double> square = {0, 0, 2, 0, 2, 2, 0, 2};
  ASSERT_TRUE(LargestRectangleInPolygon(square, 1.0, r));
  EXPECT_NEAR(r[0], 1.0, 1e-9);
  EXPECT_NEAR(r[1], 1.0, 1e-9);
  EXPECT_NEAR(r[2], 2.0, 1e-9);
  // A wide image in the square: its width is the limit; either winding.
  const std::vector<double> clockwise = {0, 0, 0, 2, 2, 2, 2, 0};
  ASSERT_TRUE(LargestRectangleInPolygon(clockwise, 2.0, r));
  EXPECT_NEAR(r[2], 1.0, 1e-9);
  // A triangle of base 2 and height 2: a square of side 1 sits on the base.
  const std::vector<double> triangle = {-1, 0, 1, 0, 0, 2};
  ASSERT_TRUE(LargestRectangleInPolygon(triangle, 1.0, r));
  EXPECT_NEAR(r[2], 1.0, 1e-9);
  EXPECT_NEAR(r[1], 0.5, 1e-9);
  const std::vector<double> flat = {0, 0, 1, 0, 2, 0};
  EXPECT_FALSE(LargestRectangleInPolygon(flat, 1.0, r));
}

TEST(FaceImageMapping, FitCommandsMeasureTheSelectedFaceAndTheModel) {
  TestModel model("4.4.4");
  ASSERT_TRUE(model.built);
  PolyElement* face = model.poly.mFaces.mHead;
  auto* image = new FaceImage(nullptr, kImageProjectPerFace, kImageBoundaryBorder);
  AttachToFace(image, face, true);
  model.poly.mSelectedElement = face;
  // The square's corners in the face's frame.
  double y[3];
  Cross(y, face->mZAxis, face->mXAxis);
  std::vector<double> square;
  double half = 0.0;
  for (int i = 0; i < 4; ++i) {
    double d[3];
    Subtract(d, face->mNeighbours[i]->mDualVert, face->mCentre);
    square.push_back(Dot(d, face->mXAxis));
    square.push_back(Dot(d, y));
    half = std::max({half, std::fabs(square[2 * i]), std::fabs(square[2 * i + 1])});
  }
  ASSERT_TRUE(FitImageAroundSelectedFace(&model.poly));
  EXPECT_NEAR(image->mSize, 2 * half, 1e-9);
  EXPECT_NEAR(image->mOffset[0], 0.0, 1e-9);
  // The whole cube seen along the face's normal covers the face's square; so does the
  // one face that shows the image.
  image->mSize = 5.0;
  ASSERT_TRUE(FitImageAroundModel(&model.poly));
  EXPECT_NEAR(image->mSize, 2 * half, 1e-9);
  image->mSize = 5.0;
  ASSERT_TRUE(FitImageAroundFacesWithSameImage(&model.poly));
  EXPECT_NEAR(image->mSize, 2 * half, 1e-9);
  ASSERT_TRUE(FitImageAroundFaceCircle(&model.poly));
  EXPECT_NEAR(image->mSize, face->GetMaxEdgeLength() * std::sqrt(2.0), 1e-9);
  // Within the face: the largest centred square whose corners lie in the face, found by
  // halving.
  auto inside = [&square](double x, double yy) {
    for (int i = 0; i < 4; ++i) {
      const double* a = &square[2 * i];
      const double* b = &square[2 * ((i + 1) % 4)];
      if ((b[0] - a[0]) * (yy - a[1]) - (x - a[0]) * (b[1] - a[1]) < -1e-12) return false;
    }
    return true;
  };
  double low = 0.0, high = 2.0;
  for (int step = 0; step < 60; ++step) {
    const double h = 0.5 * (low + high);
    const bool fits = inside(h, h) && inside(-h, h) && inside(-h, -h) && inside(h, -h);
    (fits ? low : high) = h;
  }
  ASSERT_TRUE(FitImageWithinFace(&model.poly));
  EXPECT_NEAR(image->mSize, 2 * low, 1e-7);
  ASSERT_TRUE(FitImageAroundModelSphere(&model.poly));
  EXPECT_NEAR(image->mSize, 2.0, 1e-9);
  model.poly.mSelectedElement = nullptr;
  DetachFromFace(face);
}

// ---- Projections that wrap round an axis ----------------------------------------------------

TEST(FaceImageMapping, CylindricalCoordinatesGoRoundTheAxis) {
  PlainImage image(kImageProjectCylindrical);
  image->mSize = 2.0;
  Transform3D t;
  GetTexCoordTransform(image, t, nullptr);
  float uv[2];
  // In front (+z) the middle of the image, going right with x.
  Uv(*image.image, t, 0, 0, 1, uv);
  EXPECT_NEAR(uv[0], 0.5, 1e-6);
  EXPECT_NEAR(uv[1], 0.5, 1e-6);
  Uv(*image.image, t, 1, 0.5, 0, uv);
  EXPECT_NEAR(uv[0], 0.75, 1e-6);
  EXPECT_NEAR(uv[1], 0.75, 1e-6);
  Uv(*image.image, t, -1, 0, 0, uv);
  EXPECT_NEAR(uv[0], 0.25, 1e-6);
  // Behind, just either side of the seam: near the reference, not a whole turn away.
  Uv(*image.image, t, -0.01, 0, -1, uv);
  EXPECT_NEAR(uv[0], 0.0016, 1e-3);
  const float reference[2] = {0.99f, 0.0f};
  Uv(*image.image, t, -0.01, 0, -1, uv, reference);
  EXPECT_NEAR(uv[0], 1.0016, 1e-3);
  // On the axis, away from the origin, v keeps its height.
  Uv(*image.image, t, 0, 0.5, 0, uv);
  EXPECT_NEAR(uv[1], 0.75, 1e-6);
}

TEST(FaceImageMapping, SphericalPolesKeepTheirRowsAndTheOriginIsTheMiddle) {
  PlainImage image(kImageProjectSpherical);
  Transform3D t;
  GetTexCoordTransform(image, t, nullptr);
  float uv[2];
  // Aspect 1: v runs over the middle half of the image, the north pole at 0.75.
  Uv(*image.image, t, 0, 1, 0, uv);
  EXPECT_NEAR(uv[1], 0.75, 1e-6);
  Uv(*image.image, t, 0, -3, 0, uv);
  EXPECT_NEAR(uv[1], 0.25, 1e-6);
  Uv(*image.image, t, 1, 0, 0, uv);
  EXPECT_NEAR(uv[1], 0.5, 1e-6);
  Uv(*image.image, t, 0, 0, 0, uv);
  EXPECT_FLOAT_EQ(uv[0], 0.5f);
  EXPECT_FLOAT_EQ(uv[1], 0.5f);
  // Near a pole the polar angle stays accurate.
  Uv(*image.image, t, 1e-4, 1, 0, uv);
  EXPECT_NEAR(uv[1], 0.75 - 0.5 * 1e-4 / kPi, 1e-7);
}

TEST(FaceImageMapping, ACornerOnTheAxisTakesTheMeanOfTheOthers) {
  PlainImage image(kImageProjectSpherical);
  Transform3D t;
  GetTexCoordTransform(image, t, nullptr);
  // A triangle from the north pole down to two points either side of the seam.
  const double pole[3] = {0, 1, 0};
  const double a[3] = {-0.1, 0.5, -1};
  const double b[3] = {0.1, 0.5, -1};
  const double* points[3] = {pole, a, b};
  float uv[6];
  GetTriangleTexCoords(image, t, points, uv, nullptr);
  // The two lower corners lie within half a turn of each other, the pole between them.
  EXPECT_LT(std::fabs(uv[2] - uv[4]), 0.5f);
  EXPECT_NEAR(uv[0], 0.5 * (uv[2] + uv[4]), 1e-6);
  // Straight behind, at the seam: a whole number of turns.
  EXPECT_NEAR(uv[0], std::round(uv[0]), 1e-3);

  // Two corners on the axis take the third's u.
  const double south[3] = {0, -1, 0};
  const double side[3] = {1, 0, 0};
  const double* two[3] = {pole, side, south};
  GetTriangleTexCoords(image, t, two, uv, nullptr);
  EXPECT_FLOAT_EQ(uv[0], uv[2]);
  EXPECT_FLOAT_EQ(uv[4], uv[2]);

  // The planar projections are left alone.
  float planar[6] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
  FixTexCoordSeam(t, two, planar, kImageProjectPlanar);
  EXPECT_FLOAT_EQ(planar[0], 0.5f);
}

// ---- Facelets ----------------------------------------------------------------------------------

TEST(FaceImageMapping, AFaceletHoldsAUseAndLetsItsImageGoWhenItGoes) {
  auto* image = new FaceImage(nullptr, kImageProjectPlanar, kImageBoundaryBorder);
  image->AddUse();  // the test's
  {
    Face3D facelet;
    AttachToFacelet(image, &facelet, true);
    EXPECT_EQ(image->GetUseCount(), 2);
    EXPECT_EQ(image->GetOwnerFacelet(), &facelet);
    EXPECT_EQ(facelet.GetImage(), image);
  }
  EXPECT_EQ(image->GetUseCount(), 1);
  EXPECT_EQ(image->GetOwnerFacelet(), nullptr);
  EXPECT_EQ(image->mOwner, nullptr);
  FaceImage::Release(image);
  EXPECT_FALSE(HasFaceImages());
}

TEST(FaceImageMapping, ImagesAreCountedOnceAndCopiedOncePerModelCopy) {
  TestModel model("4.4.4");
  ASSERT_TRUE(model.built);
  auto* first = new FaceImage(nullptr, kImageProjectPlanar, kImageBoundaryBorder);
  auto* second = new FaceImage(nullptr, kImageProjectSpherical, kImageBoundaryRepeat);
  PolyElement* f = model.poly.mFaces.mHead;
  AttachToFace(first, f, true);
  AttachToFace(first, f->mNext, false);
  AttachToFace(second, f->mNext->mNext, true);
  second->mOffset[1] = 0.25;
  EXPECT_EQ(CountFaceImagesOfPoly(&model.poly), 2);
  ClearFaceImageMarks();
  EXPECT_EQ(CountFaceImagesOfFaces(&model.poly.mFaces), 2);
  EXPECT_EQ(CountFaceImagesOfFaces(&model.poly.mFaces), 0);  // marked already

  // Copies onto facelets: one copy per image, whatever the number of targets.
  ClearFaceImageCopies();
  {
    Face3D a, b, c;
    CopyFaceImage(&a, first);
    CopyFaceImage(&b, first);
    CopyFaceImage(&c, second);
    ASSERT_NE(a.GetImage(), nullptr);
    EXPECT_EQ(a.GetImage(), b.GetImage());
    EXPECT_NE(a.GetImage(), first);
    EXPECT_EQ(a.GetImage()->GetUseCount(), 2);
    EXPECT_EQ(c.GetImage()->mProjection, kImageProjectSpherical);
    EXPECT_EQ(c.GetImage()->mOffset[1], 0.25);
    CopyFaceImage(&c, nullptr);
    EXPECT_EQ(c.mImage, nullptr);
  }
  for (PolyElement* e = model.poly.mFaces.mHead; e; e = e->mNext) DetachFromFace(e);
  EXPECT_FALSE(HasFaceImages());
}

TEST(FaceImageMapping, OrientingTowardsTheSelectionTurnsTheFrame) {
  TestModel model("4.4.4");
  ASSERT_TRUE(model.built);
  PolyElement* face = model.poly.mFaces.mHead;
  PolyElement* vertex = model.poly.mVertices.mHead;
  PlainImage image(kImageProjectPlanar);
  model.poly.mSelectedItem = vertex;
  model.poly.mSelectedElement = vertex;
  ASSERT_TRUE(OrientTowardsSelection(image, &model.poly, false));
  double towards[3];
  NormaliseVector(towards, vertex->mDualVert);
  const double* x = image->mFrame;
  const double* y = image->mFrame + 3;
  const double* z = image->mFrame + 6;
  EXPECT_NEAR(Dot(z, towards), 1.0, 1e-12);
  // An orthonormal right-handed frame.
  EXPECT_NEAR(Dot(x, x), 1.0, 1e-12);
  EXPECT_NEAR(Dot(y, y), 1.0, 1e-12);
  EXPECT_NEAR(Dot(x, y), 0.0, 1e-12);
  EXPECT_NEAR(Dot(y, z), 0.0, 1e-12);
  double cross[3];
  Cross(cross, x, y);
  EXPECT_NEAR(Dot(cross, z), 1.0, 1e-12);

  // Towards a face, its frame's up kept (made square to the new axis).
  model.poly.mSelectedItem = face;
  model.poly.mSelectedElement = face;
  ASSERT_TRUE(OrientTowardsSelection(image, &model.poly, false));
  EXPECT_NEAR(Dot(z, face->mZAxis), 1.0, 1e-9);
  EXPECT_NEAR(Dot(y, face->mYAxis), 1.0, 1e-9);

  // The height along the vertex direction: y points at it.
  model.poly.mSelectedItem = vertex;
  model.poly.mSelectedElement = vertex;
  ASSERT_TRUE(OrientTowardsSelection(image, &model.poly, true));
  EXPECT_NEAR(Dot(y, towards), 1.0, 1e-12);
  EXPECT_NEAR(Dot(z, y), 0.0, 1e-12);
  Cross(cross, x, y);
  EXPECT_NEAR(Dot(cross, z), 1.0, 1e-12);
  model.poly.mSelectedItem = nullptr;
  model.poly.mSelectedElement = nullptr;
}

// ---- Off screen: an image file on a face of a cube ----------------------------------------------

constexpr int kSize = 200;
constexpr double kHalfHeight = 1.25;

// The 8 x 4 blocks of the test image, 16 pixels each: (30 bx + 20, 60 by + 10, 230 - 25 bx).
Rgba BlockColour(int bx, int by) { return Rgba{30 * bx + 20, 60 * by + 10, 230 - 25 * bx, 255}; }

std::string SaveBlocks(const std::filesystem::path& dir) {
  FIBITMAP* image = FreeImage_Allocate(128, 64, 24);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) {
      const Rgba c = BlockColour(x / 16, y / 16);
      RGBQUAD q = {static_cast<BYTE>(c.b), static_cast<BYTE>(c.g), static_cast<BYTE>(c.r), 0};
      FreeImage_SetPixelColor(image, x, y, &q);
    }
  }
  const std::string path = (dir / "blocks.png").string();
  EXPECT_TRUE(FreeImage_Save(FIF_PNG, image, path.c_str(), 0));
  FreeImage_Unload(image);
  return path;
}

// An image point: u and v (0 to 1 across the image, v from its bottom), or a block.
struct ImagePoint {
  double u, v;
};
ImagePoint BlockCentre(int bx, int by) { return {(bx + 0.5) / 8.0, (by + 0.5) / 4.0}; }

class FaceImageDrawing : public corvia::testing::GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    Platform().messages.Clear();
    mPath = SaveBlocks(corvia::testing::ScratchDir("FaceImage"));
    ASSERT_TRUE(mModel.built);
    // The face towards the viewer: the cube stands square to the axes.
    double best = -2.0;
    for (PolyElement* f = mModel.poly.mFaces.mHead; f; f = f->mNext) {
      double normal[3];
      f->GetNormal(normal);
      if (normal[2] > best) {
        best = normal[2];
        mFace = f;
      }
    }
    ASSERT_NEAR(best, 1.0, 1e-9);
    for (int i = 0; i < 4; ++i) {
      const double* c = mFace->mNeighbours[i]->mDualVert;
      ASSERT_NEAR(std::fabs(c[0]), mFace->mCentre[2], 1e-9);
      ASSERT_NEAR(std::fabs(c[1]), mFace->mCentre[2], 1e-9);
    }
    mView.poly = &mModel.poly;
    mView.lit = false;
    mWindow = Show(mView, kSize, kSize);
    mView.Setup(kHalfHeight);
  }
  void TearDown() override {
    for (PolyElement* f = mModel.poly.mFaces.mHead; f; f = f->mNext) DetachFromFace(f);
    CloseWindows();
    GLTest::TearDown();
  }

  // Places the file on the front face and draws.
  GLBitmap Place(int projection, uint32_t boundary, const float* border, void (*setUp)(FaceImage*)) {
    FaceImage* image = PlaceImageOnFaces(&mModel.poly, mFace, mPath.c_str(), projection, boundary, 0, border);
    EXPECT_NE(image, nullptr);
    if (!image) return GLBitmap();
    setUp(image);
    return Draw(mWindow);
  }

  // The pixel where the model point lies.
  static Rgba At(const GLBitmap& bitmap, const double* p) {
    const double perUnit = (kSize / 2.0) / kHalfHeight;
    return PixelAt(bitmap, static_cast<int>(kSize / 2.0 + p[0] * perUnit), static_cast<int>(kSize / 2.0 - p[1] * perUnit));
  }

  void ExpectColour(const GLBitmap& bitmap, const double* p, const Rgba& wanted, const std::string& what) {
    ASSERT_LE(std::fabs(p[0]), mFace->mCentre[2] - 0.02) << what << ": off the face";
    ASSERT_LE(std::fabs(p[1]), mFace->mCentre[2] - 0.02) << what << ": off the face";
    const Rgba got = At(bitmap, p);
    EXPECT_NEAR(got.r, wanted.r, 3) << what;
    EXPECT_NEAR(got.g, wanted.g, 3) << what;
    EXPECT_NEAR(got.b, wanted.b, 3) << what;
  }

  TestModel mModel{"4.4.4"};
  PolyElement* mFace = nullptr;
  ModelView mView;
  OffscreenViewWindow* mWindow = nullptr;
  std::string mPath;
};

// The planar projection: the image (twice as wide as high) in the plane z = 0 seen
// along z, its centre at the origin, its height the size.
void PlanarHalf(FaceImage* image) { image->mSize = 0.5; }
void PlanarQuarter(FaceImage* image) { image->mSize = 0.25; }

void PlanarPoint(const ImagePoint& q, double z, double* p, double size = 0.5) {
  p[0] = (q.u - 0.5) * 2.0 * size;
  p[1] = (q.v - 0.5) * size;
  p[2] = z;
}

TEST_F(FaceImageDrawing, PlanarWithABorderShowsTheImageAndTheBorderColourRoundIt) {
  const float magenta[3] = {1.0f, 0.0f, 1.0f};
  const GLBitmap bitmap = Place(kImageProjectPlanar, kImageBoundaryBorder, magenta, PlanarHalf);
  const double z = mFace->mCentre[2];
  for (auto [bx, by] : {std::pair{0, 0}, {7, 0}, {3, 2}, {5, 3}, {0, 3}}) {
    double p[3];
    PlanarPoint(BlockCentre(bx, by), z, p);
    ExpectColour(bitmap, p, BlockColour(bx, by), "block " + std::to_string(bx) + "," + std::to_string(by));
  }
  const double above[3] = {0.0, 0.45, z};
  const double right[3] = {0.54, 0.0, z};
  ExpectColour(bitmap, above, Rgba{255, 0, 255, 255}, "above the image");
  ExpectColour(bitmap, right, Rgba{255, 0, 255, 255}, "right of the image");
}

TEST_F(FaceImageDrawing, PlanarRepeatedShowsTheImageAgainBesideItself) {
  const GLBitmap bitmap = Place(kImageProjectPlanar, kImageBoundaryRepeat, nullptr, PlanarQuarter);
  const double z = mFace->mCentre[2];
  double p[3];
  // One image to the right, and one to the left and up.
  PlanarPoint({1.0 + BlockCentre(1, 2).u, BlockCentre(1, 2).v}, z, p, 0.25);
  ExpectColour(bitmap, p, BlockColour(1, 2), "one to the right");
  PlanarPoint({BlockCentre(6, 1).u - 1.0, BlockCentre(6, 1).v + 1.0}, z, p, 0.25);
  ExpectColour(bitmap, p, BlockColour(6, 1), "one to the left and up");
}

TEST_F(FaceImageDrawing, PlanarClampedStretchesTheEdgesOfTheImage) {
  const GLBitmap bitmap = Place(kImageProjectPlanar, kImageBoundaryClamp, nullptr, PlanarQuarter);
  const double z = mFace->mCentre[2];
  double p[3];
  PlanarPoint({1.05, BlockCentre(0, 2).v}, z, p, 0.25);
  ExpectColour(bitmap, p, BlockColour(7, 2), "right of the image");
  PlanarPoint({BlockCentre(2, 0).u, 1.8}, z, p, 0.25);
  ExpectColour(bitmap, p, BlockColour(2, 3), "above the image");
  PlanarPoint({-0.03, -0.9}, z, p, 0.25);
  ExpectColour(bitmap, p, BlockColour(0, 0), "below left");
}

TEST_F(FaceImageDrawing, EachFaceProjectionPlacesTheImageInTheFacesFrame) {
  const GLBitmap bitmap = Place(kImageProjectPerFace, kImageBoundaryBorder, nullptr, PlanarHalf);
  double y[3];
  Cross(y, mFace->mZAxis, mFace->mXAxis);
  for (auto [bx, by] : {std::pair{0, 0}, {7, 3}, {2, 1}, {6, 2}}) {
    const ImagePoint q = BlockCentre(bx, by);
    double p[3];
    for (int k = 0; k < 3; ++k) p[k] = mFace->mCentre[k] + mFace->mXAxis[k] * (q.u - 0.5) + y[k] * (q.v - 0.5) * 0.5;
    ExpectColour(bitmap, p, BlockColour(bx, by), "block " + std::to_string(bx) + "," + std::to_string(by));
  }
}

// The point of the front face (z = z0) that the projection going round the y axis
// through the origin gives the image point: u by the turn round the axis, v by height
// (cylindrical, size 1) or by the polar angle (spherical).
void RoundPoint(const ImagePoint& q, double z0, bool spherical, double* p) {
  const double theta = (q.u - 0.75) * 2.0 * kPi;
  if (!spherical) {
    const double t = z0 / -std::sin(theta);
    p[0] = t * std::cos(theta);
    p[1] = q.v - 0.5;
    p[2] = z0;
    return;
  }
  // The image is twice as wide as high: v runs from the south pole (0) to the north (1).
  const double phi = (1.0 - q.v) * kPi;
  const double n[3] = {std::sin(phi) * std::cos(theta), std::cos(phi), -std::sin(phi) * std::sin(theta)};
  const double t = z0 / n[2];
  for (int k = 0; k < 3; ++k) p[k] = t * n[k];
}

void CylinderOfHeightOne(FaceImage* image) { image->mSize = 1.0; }
void Unchanged(FaceImage*) {}

TEST_F(FaceImageDrawing, CylindricalWrapsTheImageRoundTheUpAxis) {
  const GLBitmap bitmap = Place(kImageProjectCylindrical, kImageBoundaryBorder, nullptr, CylinderOfHeightOne);
  ASSERT_EQ(mFace->GetImage()->mTextureImage->mWrapS, kWrapRepeat);
  for (auto [bx, by] : {std::pair{3, 1}, {4, 1}, {3, 2}, {4, 2}}) {
    double p[3];
    RoundPoint(BlockCentre(bx, by), mFace->mCentre[2], false, p);
    ExpectColour(bitmap, p, BlockColour(bx, by), "block " + std::to_string(bx) + "," + std::to_string(by));
  }
}

TEST_F(FaceImageDrawing, SphericalMapsTheImageByLongitudeAndLatitude) {
  const GLBitmap bitmap = Place(kImageProjectSpherical, kImageBoundaryBorder, nullptr, Unchanged);
  for (auto [bx, by] : {std::pair{3, 1}, {4, 1}, {3, 2}, {4, 2}}) {
    double p[3];
    RoundPoint(BlockCentre(bx, by), mFace->mCentre[2], true, p);
    ExpectColour(bitmap, p, BlockColour(bx, by), "block " + std::to_string(bx) + "," + std::to_string(by));
  }
}

TEST_F(FaceImageDrawing, TheWholeImageIsShownFaintlyWhereItLies) {
  FaceImage* image =
      PlaceImageOnFaces(&mModel.poly, mFace, mPath.c_str(), kImageProjectPlanar, kImageBoundaryBorder, 0, nullptr);
  ASSERT_NE(image, nullptr);
  image->mSize = 0.5;
  image->mOffset[0] = 1.0;  // one image to the right: mostly beside the cube
  PolyElement* face = mFace;
  mView.scene = [image, face](corvia::testing::TestView& view) { DrawWholeImage(image, &view, face); };
  const GLBitmap bitmap = Draw(mWindow);
  mView.scene = nullptr;
  for (auto [bx, by] : {std::pair{3, 1}, {5, 2}, {4, 0}}) {
    double p[3];
    PlanarPoint({BlockCentre(bx, by).u + 1.0, BlockCentre(bx, by).v}, 0.0, p);
    ASSERT_GT(p[0], mFace->mCentre[2] + 0.05);
    const Rgba got = At(bitmap, p);
    const Rgba block = BlockColour(bx, by);
    EXPECT_NEAR(got.r, 0.3 * block.r, 3) << bx << "," << by;
    EXPECT_NEAR(got.g, 0.3 * block.g, 3) << bx << "," << by;
    EXPECT_NEAR(got.b, 0.3 * block.b, 3) << bx << "," << by;
  }
  // Off, nothing is drawn there.
  GetFaceImageSettings().showWholeImage = false;
  mView.scene = [image, face](corvia::testing::TestView& view) { DrawWholeImage(image, &view, face); };
  double p[3];
  PlanarPoint({BlockCentre(5, 2).u + 1.0, BlockCentre(5, 2).v}, 0.0, p);
  EXPECT_EQ(At(Draw(mWindow), p), (Rgba{0, 0, 0, 255}));
  mView.scene = nullptr;
  GetFaceImageSettings() = FaceImageSettings();
}

TEST_F(FaceImageDrawing, SwitchingProjectionAsksForTheRepeatingPictureAndResetsTheBaseScale) {
  FaceImage* image = PlaceImageOnFaces(&mModel.poly, mFace, mPath.c_str(), kImageProjectPlanar, kImageBoundaryClamp, 0,
                                       nullptr);
  ASSERT_NE(image, nullptr);
  image->mBaseScale = 2.0;
  image->mSize = 0.7;
  image->mOffset[0] = 0.1;
  TextureImage* planar = image->mTextureImage;
  EXPECT_EQ(planar->mWrapS, kWrapClamp);
  SetProjection(image, kImageProjectCylindrical);
  EXPECT_EQ(image->mTextureImage->mWrapS, kWrapRepeat);
  EXPECT_EQ(image->mTextureImage->mWrapT, kWrapClamp);
  EXPECT_EQ(image->mBaseScale, 1.0);
  EXPECT_EQ(image->mSize, 0.7);
  EXPECT_EQ(image->mOffset[0], 0.1);
  EXPECT_TRUE(image->HasTexture());
  EXPECT_GT(image->mTextureImage->mTextureCount, 0);

  // A file gone: the image keeps its picture and says so.
  std::filesystem::remove(mPath);
  EXPECT_FALSE(Reload(image, kImageBoundaryRepeat, nullptr));
  EXPECT_EQ(Platform().messages.CountTitled("Error"), 1);
  EXPECT_EQ(Platform().messages.Boxes().back().text, "Couldn't reload image '" + mPath + "'");
  EXPECT_EQ(image->mTextureImage->mWrapS, kWrapRepeat);
  EXPECT_EQ(image->mTextureImage->mWrapT, kWrapClamp);
  // A new image of a missing file is refused, and said to be.
  EXPECT_EQ(PlaceImageOnFaces(&mModel.poly, mFace->mNext, mPath.c_str(), kImageProjectPlanar, kImageBoundaryClamp, 0,
                              nullptr),
            nullptr);
  EXPECT_EQ(Platform().messages.Boxes().back().text, "Couldn't load image '" + mPath + "'");
}

}  // namespace test_FaceImage
