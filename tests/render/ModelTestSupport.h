#pragma once
// What the model drawing tests share: models built from their vertex configurations,
// a pane that shows a model with a fixed camera, and reference images under
// tests/fixtures compared within one level per channel.

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "render/DepthSortedTriangles.h"
#include "render/ModelDrawing.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

namespace corvia::testing {

// A model of the vertex configuration, built as the library builds it.
struct TestModel {
  PolyTemplate polyTemplate;
  Poly poly;
  bool built = false;
  explicit TestModel(const char* configuration)
      : built(polyTemplate.Parse(configuration, nullptr) && poly.Build(&polyTemplate, 0)) {}
};

// A pane looking at the origin along -z from (0, 0, 5), orthogonal, 2 x halfHeight
// units high; its scene draws the model's faces in a mode, then the translucent queue.
class ModelView : public TestView {
 public:
  Poly* poly = nullptr;
  int drawMode = kDrawModePlain;
  bool lit = true;

  void Setup(double halfHeight) {
    Camera().SetOrthogonal(true);
    Camera().SetOrthoHalfHeight(static_cast<float>(halfHeight));
    const double eye[3] = {0, 0, 5};
    Camera().SetEye(eye);
    SetBackgroundColor(0, 0, 0);
  }
  void ScenePass() override {
    ++scenePasses;
    SetLighting(this, lit);
    if (scene) scene(*this);
    if (poly) DrawFaces(poly, &poly->mFaces, drawMode, 1.0, 1.0, nullptr);
    DrawDepthSortedTriangles();
  }
};

// Turns the model so that the direction points at the viewer (+z).
inline void TurnTowardsViewer(Poly& poly, const double* direction) {
  double d[3] = {direction[0], direction[1], direction[2]};
  NormaliseVector(d, d);
  const double z[3] = {0, 0, 1};
  double axis[3];
  Cross(axis, d, z);
  const double angle = std::atan2(VectorLength(axis), Dot(d, z));
  double m[9];
  AxisAngleRotationMatrix(m, axis, angle);
  for (ElementList* list : {static_cast<ElementList*>(&poly.mFaces), static_cast<ElementList*>(&poly.mVertices)}) {
    for (PolyElement* e = list->mHead; e; e = e->mNext) {
      double p[3];
      MatrixTimesVector(m, p, e->mDualVert);
      CopyVector(e->mDualVert, p);
      for (double* v : {e->mCentroid, e->mCentre, e->mXAxis, e->mYAxis, e->mZAxis}) {
        MatrixTimesVector(m, p, v);
        CopyVector(v, p);
      }
    }
  }
}

inline bool IsBackground(const Rgba& c) {
  return c.r + c.g + c.b <= 6;
}

// The pixel of a point in a square ModelView of `size` pixels set up with `halfHeight`.
inline void ProjectToPixel(const double* p, int size, double halfHeight, int* xy) {
  const double perUnit = (size / 2.0) / halfHeight;
  xy[0] = static_cast<int>(std::floor(size / 2.0 + p[0] * perUnit));
  xy[1] = static_cast<int>(std::floor(size / 2.0 - p[1] * perUnit));
}

// Whether a pixel within reach of (x, y) has the colour, within `tolerance` a channel.
inline bool ColourNearPixel(const GLBitmap& image, const int* xy, int r, int g, int b, int reach = 1,
                            int tolerance = 2) {
  for (int dy = -reach; dy <= reach; ++dy) {
    for (int dx = -reach; dx <= reach; ++dx) {
      const int x = xy[0] + dx, y = xy[1] + dy;
      if (x < 0 || y < 0 || x >= image.width || y >= image.height) continue;
      const Rgba c = PixelAt(image, x, y);
      if (std::abs(c.r - r) <= tolerance && std::abs(c.g - g) <= tolerance && std::abs(c.b - b) <= tolerance)
        return true;
    }
  }
  return false;
}

// ---- Reference images ----------------------------------------------------------------

inline bool SavePng(const GLBitmap& bitmap, const std::filesystem::path& path) {
  FIBITMAP* image = FreeImage_Allocate(bitmap.width, bitmap.height, 32);
  if (!image) return false;
  for (int y = 0; y < bitmap.height; ++y) {
    // FreeImage keeps the bottom row first.
    BYTE* row = FreeImage_GetScanLine(image, bitmap.height - 1 - y);
    for (int x = 0; x < bitmap.width; ++x) {
      const uint8_t* p = bitmap.Pixel(x, y);
      row[4 * x + FI_RGBA_RED] = p[0];
      row[4 * x + FI_RGBA_GREEN] = p[1];
      row[4 * x + FI_RGBA_BLUE] = p[2];
      row[4 * x + FI_RGBA_ALPHA] = 255;
    }
  }
  const bool saved = FreeImage_Save(FIF_PNG, image, path.string().c_str(), 0);
  FreeImage_Unload(image);
  return saved;
}

inline bool LoadPng(const std::filesystem::path& path, GLBitmap& bitmap) {
  FIBITMAP* loaded = FreeImage_Load(FIF_PNG, path.string().c_str(), 0);
  if (!loaded) return false;
  FIBITMAP* image = FreeImage_ConvertTo32Bits(loaded);
  FreeImage_Unload(loaded);
  if (!image) return false;
  bitmap.width = static_cast<int>(FreeImage_GetWidth(image));
  bitmap.height = static_cast<int>(FreeImage_GetHeight(image));
  bitmap.pixels.assign(static_cast<size_t>(bitmap.width) * bitmap.height * 4, 0);
  for (int y = 0; y < bitmap.height; ++y) {
    const BYTE* row = FreeImage_GetScanLine(image, bitmap.height - 1 - y);
    for (int x = 0; x < bitmap.width; ++x) {
      uint8_t* p = bitmap.Pixel(x, y);
      p[0] = row[4 * x + FI_RGBA_RED];
      p[1] = row[4 * x + FI_RGBA_GREEN];
      p[2] = row[4 * x + FI_RGBA_BLUE];
      p[3] = 255;
    }
  }
  FreeImage_Unload(image);
  return true;
}

// The largest difference of a colour channel between two images of one size; 1000
// for images of different sizes.
inline int LargestChannelDifference(const GLBitmap& a, const GLBitmap& b) {
  if (a.width != b.width || a.height != b.height) return 1000;
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    if (i % 4 != 3) worst = std::max(worst, std::abs(int{a.pixels[i]} - int{b.pixels[i]}));
  }
  return worst;
}

// Compares the image with tests/fixtures/<name>.png, one level per channel allowed. On
// a mismatch the image and a difference image go to fixture-mismatch/ in the working
// folder (the build folder under CTest). With CORVIA_UPDATE_FIXTURES set the image is
// written as the new reference instead.
inline void ExpectMatchesFixture(const GLBitmap& actual, const std::string& name) {
  const std::filesystem::path reference = FixturesDir() / (name + ".png");
  if (std::getenv("CORVIA_UPDATE_FIXTURES")) {
    EXPECT_TRUE(SavePng(actual, reference)) << reference;
    return;
  }
  GLBitmap expected;
  ASSERT_TRUE(LoadPng(reference, expected)) << "no reference image " << reference;
  ASSERT_EQ(expected.width, actual.width);
  ASSERT_EQ(expected.height, actual.height);
  GLBitmap difference = actual;
  int mismatched = 0;
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      const uint8_t* a = actual.Pixel(x, y);
      const uint8_t* e = expected.Pixel(x, y);
      uint8_t* d = difference.Pixel(x, y);
      bool bad = false;
      for (int k = 0; k < 3; ++k) {
        const int delta = std::abs(static_cast<int>(a[k]) - static_cast<int>(e[k]));
        bad = bad || delta > 1;
        d[k] = static_cast<uint8_t>(std::min(255, delta * 16));
      }
      mismatched += bad ? 1 : 0;
    }
  }
  if (mismatched == 0) return;
  const std::filesystem::path out = std::filesystem::current_path() / "fixture-mismatch";
  std::filesystem::create_directories(out);
  SavePng(actual, out / (name + ".actual.png"));
  SavePng(difference, out / (name + ".difference.png"));
  ADD_FAILURE() << name << ": " << mismatched << " pixels differ from " << reference << "; see " << out;
}

}  // namespace corvia::testing
