// Lights, materials, transparency, culling, stencil and the stereo colour filter,
// checked in the pixels of views drawn off screen.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "core/VectorMath.h"
#include "render/LightSets.h"
#include "render/PaneFrame.h"
#include "render/ViewGroup.h"
#include "render/Primitives.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace corvia;
using corvia::testing::PixelAt;
using corvia::testing::Rgba;
using corvia::testing::TestView;

class Lighting : public corvia::testing::GLTest {};

void Quad(double x0, double y0, double x1, double y1, double z, bool facingViewer) {
  glBegin(GL_QUADS);
  glNormal3d(0, 0, facingViewer ? 1 : -1);
  if (facingViewer) {
    glVertex3d(x0, y0, z), glVertex3d(x1, y0, z), glVertex3d(x1, y1, z), glVertex3d(x0, y1, z);
  } else {
    glVertex3d(x0, y0, z), glVertex3d(x0, y1, z), glVertex3d(x1, y1, z), glVertex3d(x1, y0, z);
  }
  glEnd();
}

void ExpectColor(const Rgba& c, int r, int g, int b) {
  EXPECT_NEAR(c.r, r, 1);
  EXPECT_NEAR(c.g, g, 1);
  EXPECT_NEAR(c.b, b, 1);
}

TEST_F(Lighting, ALitSphereIsBrightestWhereItFacesTheLight) {
  LightSet* before = GetCurrentLightSet();
  TestView view;
  view.SetBackgroundColor(0, 0, 0);
  auto* window = Show(view, 160, 160);
  ASSERT_NE(window, nullptr);
  window->Paint();  // sets up the built-in sets
  LightSet* test = FindLightSet("LitSphereTest");
  if (!test) {
    test = CreateLightSet("LitSphereTest");
    LightRecord& light = test->AddLight();
    light.flags = kLightDirectional;  // fixed to the model
    light.position[0] = 1, light.position[1] = 2, light.position[2] = 2;
    light.ambient = 0;
    light.diffuse = 1;
    light.specular = 0;
    test->AssignGLLights(8);
  }
  SelectLightSet(test);
  view.scene = [](TestView& v) {
    v.Materials().SetSpecular(0);
    v.Materials().SetMaterialColorRGB(1, 1, 1);
    const double centre[3] = {0, 0, 0};
    DrawSphere(centre, 1.0);
    v.Materials().SetSpecular(0.5f);
  };
  GLBitmap image = Draw(window);
  SelectLightSet(before);

  int brightest = 0;
  for (int y = 0; y < 160; ++y) {
    for (int x = 0; x < 160; ++x) brightest = std::max(brightest, PixelAt(image, x, y).r);
  }
  double sx = 0, sy = 0;
  int n = 0;
  for (int y = 0; y < 160; ++y) {
    for (int x = 0; x < 160; ++x) {
      if (PixelAt(image, x, y).r >= brightest - 1) sx += x + 0.5, sy += y + 0.5, ++n;
    }
  }
  ASSERT_GT(n, 0);
  // The normal of the sphere under the brightest pixels, from a ray cast of our own.
  const double* eye = view.Camera().GetEye();
  const double t = std::tan(view.Camera().GetFieldOfView() * M_PI / 360.0);
  const double dx = (sx / n - 80) / 80 * t, dy = (80 - sy / n) / 80 * t;
  double direction[3];
  for (int k = 0; k < 3; ++k)
    direction[k] =
        dx * view.Camera().GetRightAxis()[k] + dy * view.Camera().GetUpAxis()[k] - view.Camera().GetViewAxis()[k];
  NormaliseVector(direction, direction);
  const double b = Dot(eye, direction);
  const double s = -b - std::sqrt(b * b - (Dot(eye, eye) - 1.0));
  double normal[3];
  for (int k = 0; k < 3; ++k) normal[k] = eye[k] + s * direction[k];
  const double light[3] = {1.0 / 3, 2.0 / 3, 2.0 / 3};
  EXPECT_GT(Dot(normal, light), std::cos(5 * M_PI / 180));
  // Full diffuse light there, dark where the sphere turns away.
  EXPECT_NEAR(brightest, 255, 2);
}

TEST_F(Lighting, ATranslucentSquareOverAnOpaqueOneBlendsByItsAlpha) {
  TestView view;
  view.SetBackgroundColor(0, 0, 0);
  SetLighting(&view, false);
  view.scene = [](TestView& v) {
    v.Materials().SetMaterialColorRGB(1, 0, 0);
    Quad(-0.5, -0.5, 0.5, 0.5, 0, true);
    v.Materials().SetTransparencyMode(kTransparencyBlended);
    v.Materials().SetMaterialColorRGBA(0, 0, 1, 0.25f);
    Quad(-0.25, -0.25, 0.75, 0.75, 0.1, true);
    v.Materials().SetTransparencyMode(kTransparencyOpaque);
  };
  auto* window = Show(view, 100, 100);
  ASSERT_NE(window, nullptr);
  GLBitmap image = Draw(window);
  ExpectColor(PixelAt(image, 50, 50), 191, 0, 64);  // both
  ExpectColor(PixelAt(image, 30, 70), 255, 0, 0);   // the red one alone
  ExpectColor(PixelAt(image, 60, 40), 191, 0, 64);
}

TEST_F(Lighting, BackFacesAreLitWithTheFrontColour) {
  TestView view;
  view.SetBackgroundColor(0, 0, 0);
  bool facing = true;
  view.scene = [&](TestView& v) {
    v.Materials().SetSpecular(0);
    v.Materials().SetMaterialColorRGB(0.2f, 0.8f, 0.4f);
    Quad(-0.5, -0.3, 0.5, 0.3, 0, facing);
    v.Materials().SetSpecular(0.5f);
  };
  auto* window = Show(view, 120, 80);
  ASSERT_NE(window, nullptr);
  const Rgba front = PixelAt(Draw(window), 60, 40);
  facing = false;
  const Rgba back = PixelAt(Draw(window), 60, 40);
  EXPECT_GT(front.g, 100);
  ExpectColor(back, front.r, front.g, front.b);
}

TEST_F(Lighting, RedCyanGlassesSeeARedFaceAsThePartSays) {
  TestView view;
  view.SetBackgroundColor(0.5f, 0.5f, 0.5f);
  SetLighting(&view, false);
  view.scene = [](TestView& v) {
    v.Materials().SetMaterialColorRGB(1, 0, 0);
    Quad(-0.3, -0.3, 0.3, 0.3, 0, true);
  };
  auto* window = Show(view, 100, 100);
  ASSERT_NE(window, nullptr);
  view.Stereo().SetStereoMode(kStereoRedCyan);
  EXPECT_EQ(view.Stereo().GetStereoMode(), kStereoRedCyan);
  GLBitmap image = Draw(window);
  ExpectColor(PixelAt(image, 50, 50), 204, 153, 255);  // (0.8, 0.6, 1)
  ExpectColor(PixelAt(image, 3, 3), 102, 77, 128);     // grey 0.5 through the weights
  EXPECT_EQ(view.scenePasses, 2);

  view.Stereo().SetStereoMode(-1);  // no such mode: nothing changes
  EXPECT_EQ(view.Stereo().GetStereoMode(), kStereoRedCyan);
  view.Stereo().SetStereoMode(kNumStereoModes);
  EXPECT_EQ(view.Stereo().GetStereoMode(), kStereoRedCyan);
  view.Stereo().SetStereoMode(kStereoNone);
}

TEST_F(Lighting, SideBySideStereoDrawsEachEyeInItsHalf) {
  TestView view;
  view.SetBackgroundColor(0, 0, 0);
  SetLighting(&view, false);
  view.scene = [](TestView& v) {
    v.Materials().SetColor(v.Stereo().GetCurrentEye() == 1 ? 1.0f : 0.0f, v.Stereo().GetCurrentEye() == 2 ? 1.0f : 0.0f,
                           0);
    Quad(-0.3, -0.3, 0.3, 0.3, 0, true);
  };
  auto* window = Show(view, 200, 100);
  ASSERT_NE(window, nullptr);
  view.Stereo().SetStereoMode(kStereoCrossEyed);
  EXPECT_NEAR(view.Camera().GetAspectRatio(), 1.0, 1e-6);
  GLBitmap image = Draw(window);
  ExpectColor(PixelAt(image, 50, 50), 0, 255, 0);   // eye 2 on the left
  ExpectColor(PixelAt(image, 150, 50), 255, 0, 0);  // eye 1 on the right
  view.Stereo().SetStereoMode(kStereoNone);
}

TEST_F(Lighting, StateIsGivenToGLOnlyWhenItChanges) {
  TestView view;
  ASSERT_NE(Show(view, 16, 16), nullptr);
  ASSERT_TRUE(PreOpenGL(&view));
  EXPECT_EQ(view.Materials().SetCullMode(kCullFront), kCullNone);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  GLint mode = 0;
  glGetIntegerv(GL_CULL_FACE_MODE, &mode);
  EXPECT_EQ(mode, GL_FRONT);
  EXPECT_EQ(view.Materials().SetCullMode(kCullNone), kCullFront);
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));

  EXPECT_EQ(view.Materials().SetTransparencyMode(kTransparencyScreenDoor), kTransparencyOpaque);
  EXPECT_TRUE(glIsEnabled(GL_POLYGON_STIPPLE));
  // Setting it again changes nothing: a state changed behind the view's back stays.
  glDisable(GL_POLYGON_STIPPLE);
  EXPECT_EQ(view.Materials().SetTransparencyMode(kTransparencyScreenDoor), kTransparencyScreenDoor);
  EXPECT_FALSE(glIsEnabled(GL_POLYGON_STIPPLE));
  EXPECT_EQ(view.Materials().SetTransparencyMode(kTransparencyAdditive), kTransparencyScreenDoor);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(view.Materials().SetTransparencyMode(kTransparencyOpaque), kTransparencyAdditive);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));

  EXPECT_TRUE(view.Materials().SetDepthWrites(false));
  GLboolean writes = GL_TRUE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
  EXPECT_EQ(writes, GL_FALSE);
  EXPECT_FALSE(view.Materials().SetDepthWrites(true));
  view.Materials().SetLineStipple(0xF0F0);
  EXPECT_TRUE(glIsEnabled(GL_LINE_STIPPLE));
  view.Materials().SetLineStipple(0);
  EXPECT_FALSE(glIsEnabled(GL_LINE_STIPPLE));
  PostOpenGL(&view);
}

TEST_F(Lighting, TransparencyIsLeftAloneWhilePicking) {
  TestView view;
  int during = -1;
  view.scene = [&](TestView& v) {
    during = v.Materials().SetTransparencyMode(kTransparencyBlended) + 10 * v.Materials().GetTransparencyMode();
  };
  ASSERT_NE(Show(view, 16, 16), nullptr);
  std::vector<GLHit> hits;
  view.DoSelection(hits, 8, 8, false);
  EXPECT_EQ(during, 0);
  EXPECT_EQ(view.Materials().GetTransparencyMode(), kTransparencyOpaque);
}

TEST_F(Lighting, CoplanarStencilNestsAndReportsTooManyFinishes) {
  TestView view;
  ASSERT_NE(Show(view, 16, 16), nullptr);
  ASSERT_TRUE(PreOpenGL(&view));
  for (int i = 0; i < 4; ++i) PrepareCoplanarStencil(1);
  EXPECT_EQ(GetCoplanarStencilDepth(), 4);
  EXPECT_TRUE(glIsEnabled(GL_STENCIL_TEST));
  for (int i = 0; i < 4; ++i) PrepareCoplanarStencil(4);
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
  corvia::testing::ExpectInternalErrors(1);
  PrepareCoplanarStencil(4);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().back().text, "StencilUsedDepth < 0");
  EXPECT_EQ(GetCoplanarStencilDepth(), 0);
  PostOpenGL(&view);
}

TEST_F(Lighting, CoplanarStencilNestsInTheContextDrawnIn) {
  TestView view;
  auto* window = Show(view, 16, 16);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PreOpenGL(&view));
  for (int i = 0; i < 2; ++i) PrepareCoplanarStencil(1);
  {
    // A pass in another context starts at the outermost level and leaves this one's.
    corvia::testing::OtherContext other(window);
    ASSERT_TRUE(PreOpenGL(&view, &other));
    EXPECT_EQ(GetCoplanarStencilDepth(), 0);
    EXPECT_EQ(GetCoplanarStencilStep(), 0);
    PrepareCoplanarStencil(1);
    PrepareCoplanarStencil(4);
    PostOpenGL(&view);
  }
  EXPECT_EQ(GetCoplanarStencilDepth(), 2);
  EXPECT_EQ(GetCoplanarStencilStep(), 1);
  for (int i = 0; i < 2; ++i) PrepareCoplanarStencil(4);
  PostOpenGL(&view);
  EXPECT_EQ(GetCoplanarStencilDepth(), 0);
}

TEST_F(Lighting, CoplanarStencilBlendsOverlappingFacesOnce) {
  TestView view;
  view.SetBackgroundColor(0, 0, 0);
  SetLighting(&view, false);
  view.scene = [](TestView& v) {
    auto both = [] {
      Quad(-0.6, -0.3, 0.2, 0.3, 0, true);
      Quad(-0.2, -0.3, 0.6, 0.3, 0, true);
    };
    v.Materials().SetTransparencyMode(kTransparencyBlended);
    v.Materials().SetMaterialColorRGBA(0, 0, 1, 0.5f);
    PrepareCoplanarStencil(1);
    both();
    PrepareCoplanarStencil(3);
    both();
    PrepareCoplanarStencil(4);
    v.Materials().SetTransparencyMode(kTransparencyOpaque);
  };
  auto* window = Show(view, 100, 40);
  ASSERT_NE(window, nullptr);
  GLBitmap image = Draw(window);
  const Rgba single = PixelAt(image, 42, 20), overlap = PixelAt(image, 50, 20);
  EXPECT_NEAR(single.b, 128, 1);
  EXPECT_EQ(overlap.b, single.b);
}

TEST_F(Lighting, EachLightSetNumbersItsOwnLights) {
  TestView view;
  auto* window = Show(view, 8, 8);
  ASSERT_NE(window, nullptr);
  window->Paint();
  LightSet* normal = FindLightSet("Default");
  LightSet* rainbow = FindLightSet("Rainbow");
  ASSERT_TRUE(normal && rainbow);
  ASSERT_EQ(rainbow->GetLights().size(), 3u);
  EXPECT_EQ(normal->GetLights()[0].glLight, static_cast<unsigned>(GL_LIGHT0));
  EXPECT_EQ(normal->GetLights()[1].glLight, static_cast<unsigned>(GL_LIGHT1));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rainbow->GetLights()[i].glLight, static_cast<unsigned>(GL_LIGHT0 + i));
  EXPECT_EQ(FindLightSet(nullptr), nullptr);
}

// A frame of the test's own: its panes share their light sets with no other frame's.
struct FrameOfItsOwn : public PaneFrame {
  void SetMouseButtonHints(const std::string&, const std::string&, const std::string&) override {}
  void SetActiveView(NewView*) override {}
};

TEST_F(Lighting, APaneIsLitByItsOwnFramesLightsWhileAnotherFrameIsInstalled) {
  FrameOfItsOwn own, other;
  PaneFrame* before = InstallPaneFrame(&own);
  {
    TestView view;
    view.SetBackgroundColor(0, 0, 0);
    std::function<void(TestView&)> alsoInScene;
    view.scene = [&alsoInScene](TestView& v) {
      v.Materials().SetMaterialColorRGB(1, 1, 1);
      const double centre[3] = {0, 0, 0};
      DrawSphere(centre, 1.0);
      if (alsoInScene) alsoInScene(v);
    };
    auto* window = Show(view, 40, 40);
    ASSERT_NE(window, nullptr);
    const Rgba lit = PixelAt(Draw(window), 20, 20);
    ASSERT_GT(lit.g, 64);

    // The other frame lights its panes red only; the pane keeps its own frame's lights,
    // and so it does when its rainbow lights are put aside for true colours and back.
    InstallPaneFrame(&other);
    LightSet* red = CreateLightSet("RedOnly");
    LightRecord& light = red->AddLight();
    light.flags = kLightCameraFixed | kLightDirectional;
    light.position[0] = 0, light.position[1] = 0, light.position[2] = 1;
    light.color[1] = light.color[2] = 0;
    red->AssignGLLights(8);
    ASSERT_EQ(GetCurrentLightSet(), red);
    EXPECT_EQ(PixelAt(Draw(window), 20, 20), lit);

    ViewGroup& group = view.GetViewGroup();
    SelectRainbowLights(group, true);
    bool suspended = false;
    LightSet* whileSuspended = nullptr;
    alsoInScene = [&](TestView& v) {
      suspended = v.Materials().SuspendRainbowLights(true);
      whileSuspended = GetCurrentLightSet(group);
      v.Materials().ResumeRainbowLights(true);
    };
    Draw(window);
    EXPECT_TRUE(suspended);
    EXPECT_EQ(whileSuspended, FindLightSet(group, "Default"));
    EXPECT_TRUE(AreRainbowLightsSelected(group));
    EXPECT_EQ(GetCurrentLightSet(), red);
    FreeLightSets();
    InstallPaneFrame(&own);
  }
  InstallPaneFrame(before);
}

TEST_F(Lighting, RainbowColoursGreyOnlyWithTheirOwnBit) {
  TestView view;
  view.SetBackgroundColor(0, 0, 0);
  SetLighting(&view, false);
  view.scene = [](TestView& v) {
    v.Materials().SetMaterialColorRGB(0.8f, 0.2f, 0.4f);
    Quad(-0.5, -0.5, 0.5, 0.5, 0, true);
  };
  auto* window = Show(view, 40, 40);
  ASSERT_NE(window, nullptr);
  SetRainbowFlags(kRainbowKeepLights, true);
  ExpectColor(PixelAt(Draw(window), 20, 20), 204, 51, 102);
  SetRainbowColors(true);
  EXPECT_FALSE(AreRainbowLightsSelected());  // the normal lights were asked to stay
  ExpectColor(PixelAt(Draw(window), 20, 20), 204, 204, 204);
  SetRainbowColors(false);
  SetRainbowFlags(kRainbowKeepLights, false);
  SetRainbowColors(true);
  EXPECT_TRUE(AreRainbowLightsSelected());
  SetRainbowColors(false);
  EXPECT_FALSE(AreRainbowLightsSelected());
  ExpectColor(PixelAt(Draw(window), 20, 20), 204, 51, 102);
}

TEST_F(Lighting, PackedColoursAreBlueGreenRed) {
  TestView view;
  view.SetBackgroundColor(0, 0, 0);
  SetLighting(&view, false);
  view.scene = [](TestView& v) {
    v.Materials().SetMaterialColorRef(0x00336699);  // red 0x99, green 0x66, blue 0x33
    Quad(-0.5, -0.5, 0.5, 0.5, 0, true);
  };
  auto* window = Show(view, 20, 20);
  ASSERT_NE(window, nullptr);
  ExpectColor(PixelAt(Draw(window), 10, 10), 0x99, 0x66, 0x33);
}

}  // namespace
