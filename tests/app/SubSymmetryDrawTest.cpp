// The model panes after a subgroup of the symmetry is chosen: the icosahedron under
// its tetrahedral subgroup Th draws every face in its place, and the full group brings
// the first picture back.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "model/PolyElement.h"
#include "render/GL.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymSubgroups.h"
#include "tests/app/AppTestSupport.h"

namespace test_SubSymmetryDraw {

using namespace corvia;
using corvia::testing::DocumentTest;
using corvia::testing::Platform;

bool Foreground(const GLBitmap& image, int x, int y) {
  const uint8_t* corner = image.Pixel(image.width - 1, image.height - 1);
  const uint8_t* p = image.Pixel(x, y);
  return p[0] != corner[0] || p[1] != corner[1] || p[2] != corner[2];
}

// The filled polygons a paint of the pane sends to GL, in window pixels with y down.
std::vector<std::vector<std::array<double, 2>>> DrawnPolygons(OffscreenViewWindow* window, int height) {
  std::vector<GLfloat> buffer(1 << 20);
  window->MakeCurrent();
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
  glRenderMode(GL_FEEDBACK);
  window->Paint();
  window->MakeCurrent();
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<std::vector<std::array<double, 2>>> polygons;
  EXPECT_GT(used, 0) << "feedback buffer too small";
  auto vertex = [&](GLint at) { return std::array<double, 2>{buffer[at], height - buffer[at + 1]}; };
  for (GLint at = 0; at < used;) {
    const GLint token = static_cast<GLint>(buffer[at++]);
    switch (token) {
      case GL_POLYGON_TOKEN: {
        const GLint n = static_cast<GLint>(buffer[at++]);
        polygons.emplace_back();
        for (GLint i = 0; i < n; ++i, at += 3) polygons.back().push_back(vertex(at));
        break;
      }
      case GL_POINT_TOKEN:
      case GL_BITMAP_TOKEN:
      case GL_DRAW_PIXEL_TOKEN:
      case GL_COPY_PIXEL_TOKEN:
        at += 3;
        break;
      case GL_LINE_TOKEN:
      case GL_LINE_RESET_TOKEN:
        at += 6;
        break;
      case GL_PASS_THROUGH_TOKEN:
        at += 1;
        break;
      default:
        ADD_FAILURE() << "unknown feedback token " << token;
        return polygons;
    }
  }
  window->ReleaseCurrent();
  return polygons;
}

class SubSymmetryDrawTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
    Platform().messages.Clear();
  }
  GLBitmap Draw(CPolyView* pane) {
    WindowOf(pane)->Paint();
    return WindowOf(pane)->ReadPixels();
  }
  // The index of the tetrahedral subgroup among the rotational ones, as the option
  // toolbar's combo lists them.
  static int Tetrahedral(const SymGroup* full) {
    SymSubgroupSpec spec;
    for (int n = 0; SymGroup::GetRotationalSubgroup(full, n, spec); ++n) {
      if (spec.type == kSymGroupTetrahedral) return n;
    }
    return -1;
  }
};

TEST_F(SubSymmetryDrawTest, UnderThEveryFaceIsDrawnInItsPlaceAndTheFullGroupRestoresThePicture) {
  constexpr int kSize = 240;
  CPolyView* pane = AddPane(kViewBasePolyhedron, kSize, kSize);
  Poly* poly = GetCurrentPoly();
  const GLBitmap before = Draw(pane);
  const int rotational = Tetrahedral(poly->mSymGroup);
  ASSERT_GE(rotational, 0);
  ASSERT_TRUE(poly->ApplySubSymmetry(rotational, 0));
  ASSERT_EQ(SymGroup::GetSchoenflies(poly->mSymGroup), "Th");
  EXPECT_EQ(poly->mBaseBlock->CountDistinctFaceTypes(), 2);

  // Every polygon drawn is one face: its corners are the projected corners of a face
  // of the model (a face shifted or turned in its plane has corners elsewhere).
  const std::vector<std::vector<std::array<double, 2>>> drawn = DrawnPolygons(WindowOf(pane), kSize);
  std::vector<std::vector<std::array<double, 2>>> faces;
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
    faces.emplace_back();
    for (int i = 0; i < f->mNumSides; ++i) {
      double window[3];
      pane->ApplyViewTransform(window, f->GetCorner(i)->mDualVert);
      faces.back().push_back({window[0], window[1]});
    }
  }
  ASSERT_GE(drawn.size(), 10u);
  int misplaced = 0;
  for (const auto& polygon : drawn) {
    bool onAFace = false;
    for (const auto& face : faces) {
      bool all = true;
      for (const auto& p : polygon) {
        bool corner = false;
        for (const auto& q : face) corner = corner || std::hypot(p[0] - q[0], p[1] - q[1]) < 0.75;
        all = all && corner;
      }
      onAFace = onAFace || all;
    }
    misplaced += onAFace ? 0 : 1;
  }
  EXPECT_EQ(misplaced, 0) << "of " << drawn.size() << " polygons";

  // The outline is the icosahedron's, pixel for pixel.
  const GLBitmap after = Draw(pane);
  int differ = 0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) differ += Foreground(before, x, y) != Foreground(after, x, y) ? 1 : 0;
  }
  EXPECT_EQ(differ, 0);

  // The full group again: the first picture.
  ASSERT_TRUE(poly->ApplySubSymmetry(0, -1));
  EXPECT_EQ(SymGroup::GetSchoenflies(poly->mSymGroup), "Ih");
  const GLBitmap restored = Draw(pane);
  EXPECT_EQ(restored.pixels, before.pixels);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

}  // namespace test_SubSymmetryDraw
