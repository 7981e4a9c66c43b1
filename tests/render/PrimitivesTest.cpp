// The primitives: facet counts of spheres and rods by their size on screen (read
// through GL's feedback mode), arcs, clipping, quadrilateral splitting, text lines
// and boxes, and the winding of the sphere's facets.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/Primitives.h"
#include "tests/render/RenderTestSupport.h"

namespace {

using namespace corvia;
using corvia::testing::PixelAt;
using corvia::testing::TestView;

// What one draw sends to GL: polygons and line segments.
struct FeedbackCount {
  int polygons = 0;
  int lines = 0;
  int points = 0;
};

FeedbackCount Feedback(TestView& view, const std::function<void()>& draw) {
  std::vector<GLfloat> buffer(1 << 20);
  FeedbackCount count;
  EXPECT_TRUE(PreOpenGL(&view));
  view.UpdateViewport();
  view.SetViewingMatrix(kMatrixProjection, false);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  EXPECT_GE(used, 0);
  for (GLint i = 0; i < used;) {
    const int token = static_cast<int>(buffer[i++]);
    if (token == GL_POLYGON_TOKEN) {
      const int n = static_cast<int>(buffer[i++]);
      i += 3 * n;
      ++count.polygons;
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      i += 6;
      ++count.lines;
    } else if (token == GL_POINT_TOKEN) {
      i += 3;
      ++count.points;
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      i += 1;
    } else {
      i += 3;  // bitmap and pixel tokens carry one vertex
    }
  }
  PostOpenGL(&view);
  return count;
}

class Primitives : public corvia::testing::GLTest {
protected:
  // An orthogonal pane 200 pixels high showing 2 units: 100 pixels a unit.
  void SetUpView(TestView& view) {
    ASSERT_NE(Show(view, 200, 200), nullptr);
    view.Camera().SetOrthogonal(true);
    view.Camera().SetOrthoHalfHeight(1.0f);
  }
};

TEST_F(Primitives, SpheresTakeTheirFacetsFromTheirSizeOnScreen) {
  TestView view;
  SetUpView(view);
  const double centre[3] = {0, 0, 0};
  EXPECT_EQ(ChooseSphereLevel(view, centre, 0.02), 2);   // 4 pixels across
  EXPECT_EQ(ChooseSphereLevel(view, centre, 0.045), 3);  // 9
  EXPECT_EQ(ChooseSphereLevel(view, centre, 0.075), 4);  // 15
  EXPECT_EQ(ChooseSphereLevel(view, centre, 0.15), 6);   // 30
  EXPECT_EQ(ChooseSphereLevel(view, centre, 0.5), 8);    // 100
  // Each of the eight octants is `level` strips, row i holding 2i + 1 triangles.
  for (auto [radius, level] : {std::pair{0.02, 2}, std::pair{0.045, 3}, std::pair{0.075, 4}, std::pair{0.15, 6},
                               std::pair{0.5, 8}}) {
    FeedbackCount c = Feedback(view, [&, r = radius] { DrawSphere(centre, r); });
    EXPECT_EQ(c.polygons, 8 * level * level) << "radius " << radius;
  }
}

TEST_F(Primitives, RodsTakeTheirSegmentsFromTheNearerEnd) {
  TestView view;
  SetUpView(view);
  const double a[3] = {-0.5, 0, 0}, b[3] = {0.5, 0, 0};
  EXPECT_EQ(ChooseCylinderSegments(view, a, b, 0.004), 4);  // under a pixel across
  EXPECT_EQ(ChooseCylinderSegments(view, a, b, 0.008), 6);
  EXPECT_EQ(ChooseCylinderSegments(view, a, b, 0.04), 8);
  EXPECT_EQ(ChooseCylinderSegments(view, a, b, 0.1), 16);
  EXPECT_EQ(ChooseCylinderSegments(view, a, b, 0.2), 32);
  const double up[3] = {0, 1, 0};
  FeedbackCount plain = Feedback(view, [&] { DrawCylinder(&view, a, b, 0.1, 0.0, up, 0); });
  EXPECT_EQ(plain.polygons, 2 * 16);
  FeedbackCount capped = Feedback(view, [&] { DrawCylinder(&view, a, b, 0.1, 0.0, nullptr, 1); });
  EXPECT_EQ(capped.polygons, 2 * 16 + 2 * 14);  // GL hands each cap back as 14 triangles
  // Shorter than twice its trim, or with both ends in one place: nothing.
  EXPECT_EQ(Feedback(view, [&] { DrawCylinder(&view, a, b, 0.1, 0.5, up, 1); }).polygons, 0);
  EXPECT_EQ(Feedback(view, [&] { DrawCylinder(&view, a, a, 0.1, 0.0, up, 1); }).polygons, 0);
  // A reference along the rod still gives a round one.
  const double along[3] = {1, 0, 0};
  EXPECT_EQ(Feedback(view, [&] { DrawCylinder(&view, a, b, 0.1, 0.0, along, 0); }).polygons, 32);
}

TEST_F(Primitives, ArcsCirclesAndTheWireSphere) {
  TestView view;
  SetUpView(view);
  const double centre[2] = {0, 0}, from[2] = {1, 0}, quarter[2] = {0, 2};
  EXPECT_EQ(Feedback(view, [&] { DrawArc2D(centre, 0.5, from, from, 12); }).lines, 12);
  EXPECT_EQ(Feedback(view, [&] { DrawArc2D(centre, 0.5, from, quarter, 12); }).lines, 3);
  EXPECT_EQ(Feedback(view, [&] { DrawArc2D(centre, 0.5, from, quarter, 0); }).lines, 0);
  EXPECT_EQ(Feedback(view, [&] { DrawCircle2D(centre, 0.5, 24, false); }).lines, 24);
  EXPECT_EQ(Feedback(view, [&] { DrawCircle2D(centre, 0.5, 24, true); }).polygons, 22);
  const double c3[3] = {0, 0, 0}, axis[3] = {0, 0, 1}, f3[3] = {0.5, 0, 0}, t3[3] = {0, -0.5, 0};
  EXPECT_EQ(Feedback(view, [&] { DrawArc3D(c3, axis, 0.5, f3, t3, 12); }).lines, 9);
  EXPECT_EQ(Feedback(view, [&] { DrawWireSphere(c3, 0.9); }).lines, (11 + 12) * 120);
  const double p0[2] = {-0.5, 0}, p1[2] = {0.5, 0};
  EXPECT_EQ(Feedback(view, [&] { DrawDoubleArrow2D(p0, p1, 0.1); }).lines, 1 + 2 + 2);
  EXPECT_EQ(Feedback(view, [&] { DrawArrow2D(p0, p0, 0.1); }).lines, 0);
  const double q0[3] = {0, 0, -0.5}, q1[3] = {0, 0, 0.5};  // along the view axis
  EXPECT_EQ(Feedback(view, [&] { DrawDoubleArrow3D(&view, q0, q1, 0.1); }).lines, 5);
}

TEST_F(Primitives, SphereFacetsTurnOutwards) {
  TestView view;
  view.SetBackgroundColor(0, 0, 0);
  SetLighting(&view, false);
  view.scene = [](TestView& v) {
    v.Materials().SetCullMode(kCullBack);
    v.Materials().SetColor(1, 0, 0);
    const double centre[3] = {0, 0, 0};
    DrawSphere(centre, 0.8);
    v.Materials().SetCullMode(kCullNone);
    // A plane through the centre hides only a sphere whose far side was drawn.
    v.Materials().SetColor(0, 0, 1);
    glBegin(GL_QUADS);
    glVertex3d(-1, -1, 0), glVertex3d(1, -1, 0), glVertex3d(1, 1, 0), glVertex3d(-1, 1, 0);
    glEnd();
  };
  SetUpView(view);
  GLBitmap image = Draw(mWindows.back().get());
  int red = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 200; ++x) red += PixelAt(image, x, y).r > 128;
  }
  EXPECT_NEAR(red, M_PI * 80 * 80, 0.03 * M_PI * 80 * 80);
}

TEST(ClipLine2D, KeepsWhatLiesInsideTheRectangle) {
  const double min[2] = {0, 0}, max[2] = {10, 5};
  double a[2] = {-5, 2.5}, b[2] = {15, 2.5};
  ASSERT_TRUE(ClipLine2D(a, b, min, max));
  EXPECT_DOUBLE_EQ(a[0], 0);
  EXPECT_DOUBLE_EQ(b[0], 10);
  double c[2] = {-1, -1}, d[2] = {11, 5.0 + 1.0 * 6.0 / 12.0};
  ASSERT_TRUE(ClipLine2D(c, d, min, max));
  EXPECT_GE(c[0], 0);
  EXPECT_LE(d[0], 10);
  EXPECT_LE(d[1], 5);
  double e[2] = {-1, 6}, f[2] = {3, 9};
  EXPECT_FALSE(ClipLine2D(e, f, min, max));
  double g[2] = {-2, 3}, h[2] = {3, 9};  // crosses the corner region, misses
  EXPECT_FALSE(ClipLine2D(g, h, min, max));
  const double left[2] = {-2, 3};
  EXPECT_EQ(ClipOutcode(left, min, max), kClipLeft);
  const double above[2] = {12, 6};
  EXPECT_EQ(ClipOutcode(above, min, max), kClipRight | kClipAbove);
}

TEST(SplitQuad, MeetsAtTheCrossingOfCrossedSides) {
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0}, c[3] = {1, 1, 0}, d[3] = {0, 1, 0};
  double out[18];
  SplitQuad(out, a, b, c, d, 1e-7);
  const double convex[18] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0};
  for (int i = 0; i < 18; ++i) EXPECT_DOUBLE_EQ(out[i], convex[i]);
  // A bow tie: a-b crosses c-d at (0.5, 0.5).
  const double bb[3] = {1, 1, 0}, cc[3] = {1, 0, 0};
  const double dd[3] = {0, 1, 0};
  SplitQuad(out, a, bb, cc, dd, 1e-7);
  EXPECT_NEAR(out[0], 0.5, 1e-12);
  EXPECT_NEAR(out[1], 0.5, 1e-12);
  EXPECT_NEAR(out[9], 0.5, 1e-12);
  EXPECT_NEAR(out[10], 0.5, 1e-12);
}

TEST(TextLines, EndAtEveryKindOfBreak) {
  EXPECT_EQ(CountTextLines(nullptr), 0);
  EXPECT_EQ(CountTextLines(""), 0);
  EXPECT_EQ(CountTextLines("one"), 1);
  EXPECT_EQ(CountTextLines("a\r\nb\n\rc\rd\ne"), 5);
  EXPECT_EQ(CountTextLines("a\n\nb\n"), 3);
  EXPECT_EQ(SplitTextLines("x\r\ny")[1], "y");
}

TEST_F(Primitives, TextBoxesFitTheirTextAndDraw) {
  TestView view;
  view.SetBackgroundColor(0, 0, 0);
  PixelRect box, corner;
  view.scene = [&](TestView& v) {
    const float white[3] = {1, 1, 1};
    box = v.Text().DrawTextBox(10, 100, "Two\nlines", white, 0, 1.0f);
    corner = v.Text().DrawCornerText(0, "Top", white, 0, 0, 1.0f);
  };
  auto* window = Show(view, 200, 150);
  ASSERT_NE(window, nullptr);
  GLBitmap image = Draw(window);
  int width = 0, height = 0;
  view.Text().MeasureText("Two\nlines", width, height);
  const int line = view.Text().GetLineHeight();
  EXPECT_GT(width, 10);
  EXPECT_EQ(height, 2 * line);
  EXPECT_EQ(box.Width(), width + 4);
  EXPECT_EQ(box.Height(), height + 6);
  // The box is the inverse of the text colour; the text shows on it.
  EXPECT_EQ(PixelAt(image, box.left + 1, box.top + 1).r, 0);
  int lit = 0;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) lit += PixelAt(image, x, y).r > 128;
  }
  EXPECT_GT(lit, 20);
  EXPECT_LE(corner.top, 0);  // at the top edge
  EXPECT_EQ(corner.left, -1);
  // Without text (as while picking) nothing is drawn.
  SetTextEnabled(view.GetViewGroup(), false);
  view.scene = [&](TestView& v) {
    const float white[3] = {1, 1, 1};
    box = v.Text().DrawTextBox(10, 100, "Hidden", white, 0, 1.0f);
  };
  window->Paint();
  SetTextEnabled(view.GetViewGroup(), true);
  EXPECT_EQ(box, PixelRect{});
}

// A message longer than its pane is wide (the net pane's, after its Cancel button)
// breaks at its spaces: its box and every lit pixel of it stay inside the pane, and no
// word is lost. A text that fits keeps its lines.
TEST_F(Primitives, ACornerTextWiderThanThePaneBreaksAtItsSpaces) {
  const char* message = "No edge of the nets has been cut by hand (Cut/Uncut Edges mode):\nthere is nothing to join.";
  constexpr int kWidth = 260, kHeight = 200;
  TestView view;
  view.SetBackgroundColor(0.5f, 0.5f, 0.5f);
  PixelRect box, fitting;
  view.scene = [&](TestView& v) {
    const float white[3] = {1, 1, 1};
    box = v.Text().DrawCornerText(3, message, white, 0, 0, 1.0f);
    fitting = v.Text().DrawCornerText(0, "Short\nlines", white, 0, 0, 1.0f);
  };
  auto* window = Show(view, kWidth, kHeight);
  ASSERT_NE(window, nullptr);
  const GLBitmap image = Draw(window);
  const int line = view.Text().GetLineHeight();
  EXPECT_LE(box.right, kWidth) << "the message runs past the pane's edge";
  EXPECT_GE(box.left, 0);
  EXPECT_GE(box.Height(), 3 * line + 6) << "the long line did not break";
  EXPECT_EQ(fitting.Height(), 2 * line + 6);
  // The box is black up to its right side, with the pane's grey beyond it.
  for (int y = box.top + 1; y < box.bottom - 1; ++y) {
    EXPECT_EQ(PixelAt(image, box.right - 1, y).r, 0) << y;
    if (box.right < kWidth) {
      EXPECT_NEAR(PixelAt(image, box.right, y).r, 128, 2) << y;
    }
  }
  // Where the width holds only the widest word: every line within it, the words all
  // there in their order, and the text's own line break kept.
  auto advance = [&view](const std::string& s) {
    int w = 0, h = 0;
    view.Text().MeasureText(s.c_str(), w, h);
    return w;
  };
  const int narrow = advance("(Cut/Uncut");
  const std::vector<std::string> lines = WrapTextLines(message, narrow, advance);
  ASSERT_GE(lines.size(), 6u);
  std::string joined;
  for (const std::string& l : lines) {
    ASSERT_FALSE(l.empty());
    EXPECT_NE(l.front(), ' ');
    EXPECT_NE(l.back(), ' ');
    EXPECT_LE(advance(l), narrow) << l;
    joined += (joined.empty() ? "" : " ") + l;
  }
  EXPECT_EQ(joined, "No edge of the nets has been cut by hand (Cut/Uncut Edges mode): there is nothing to join.");
  EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& l) { return l.size() >= 6 && l.substr(l.size() - 6) == "mode):"; }),
            lines.end());
}

}  // namespace
