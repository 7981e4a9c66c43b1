// What the model drawing keeps between frames: the kept faces draw the same pixels as
// the faces drawn one by one, every change of what is drawn is seen in the first frame
// after it, the translucent order is sorted again only when the eye has moved far
// enough (or stands still elsewhere), and the runs of translucent triangles hold no two
// that may cover one pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "construction/DualMorph.h"
#include "core/FaceImageRef.h"
#include "model/ColorSchemes.h"
#include "model/CreatePoly.h"
#include "model/ElementFlags.h"
#include "model/ElementServices.h"
#include "model/FaceDiagramCells.h"
#include "model/FaceImageAttach.h"
#include "model/PolyItem.h"
#include "model/Subdivision.h"
#include "symmetry/SimplePoly.h"
#include "render/FaceImage.h"
#include "render/FaceMeshCache.h"
#include "render/GeomagStyle.h"
#include "render/KeptTriangles.h"
#include "render/LightSets.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/TriangleBatches.h"
#include "tests/render/ModelTestSupport.h"
#include "tests/support/AllocationHook.h"

namespace test_KeptFaces {

using namespace corvia;
using corvia::testing::LargestChannelDifference;
using corvia::testing::ModelView;
using corvia::testing::PixelAt;
using corvia::testing::ProjectToPixel;
using corvia::testing::Rgba;
using corvia::testing::TestModel;
using corvia::testing::TestView;

constexpr int kSize = 160;
constexpr double kHalfHeight = 1.25;
const double kOblique[3] = {0.3, 0.5, 0.8};

class KeptFaces : public corvia::testing::GLTest {
 protected:
  void TearDown() override {
    CloseWindows();
    mWindows.clear();
    mViews.clear();
    SetGeomagStyle(false);
    SetRainbowColors(false);
    CellDisplayFlags() = kCellDefaultFlags;
    GetModelDrawSettings() = ModelDrawSettings();
    corvia::testing::GLTest::TearDown();
  }

  // A pane showing the model; it stays until the test ends.
  ModelView& NewPane(Poly& poly, OffscreenViewWindow** window, int mode = kDrawModePlain, bool lit = true) {
    mViews.push_back(std::make_unique<ModelView>());
    ModelView& view = *mViews.back();
    view.poly = &poly;
    view.drawMode = mode;
    view.lit = lit;
    // As the program's panes draw: without the stencil, faces are pushed back behind
    // the lines on them.
    view.scene = [](TestView&) {
      if (GetModelDrawSettings().useStencil) {
        glDisable(GL_POLYGON_OFFSET_FILL);
      } else {
        glEnable(GL_POLYGON_OFFSET_FILL);
      }
    };
    *window = Show(view, kSize, kSize);
    view.Setup(kHalfHeight);
    return view;
  }

  // The picture of a pane that has never drawn: every face drawn one by one.
  GLBitmap FreshPicture(Poly& poly, int mode, bool lit, int stereo = kStereoNone) {
    OffscreenViewWindow* window = nullptr;
    ModelView& view = NewPane(poly, &window, mode, lit);
    if (stereo != kStereoNone) view.Stereo().SetStereoMode(stereo);
    AllowFaceMeshArrays(false);
    GLBitmap picture = window ? Draw(window) : GLBitmap();
    AllowFaceMeshArrays(true);
    return picture;
  }

  // The view shown in a window, looking from the eye at the origin without perspective.
  OffscreenViewWindow* ShowLookingFrom(TestView& view, const double* eye) {
    OffscreenViewWindow* window = Show(view, kSize, kSize);
    if (!window) return nullptr;
    view.Camera().SetOrthogonal(true);
    view.Camera().SetOrthoHalfHeight(static_cast<float>(kHalfHeight));
    view.Camera().SetEye(eye);
    return window;
  }

  std::vector<std::unique_ptr<ModelView>> mViews;
};

// A scene of the model's faces in the plain mode at the scale the variable holds when it
// is drawn, and then the translucent triangles queued.
std::function<void(TestView&)> FacesAtScale(Poly& poly, const double& scale) {
  return [&poly, &scale](TestView&) {
    DrawFaces(&poly, &poly.mFaces, kDrawModePlain, scale, 1.0, nullptr);
    DrawDepthSortedTriangles();
  };
}

// A picture in blue and yellow halves saved in the test's folder: its file, empty when it
// could not be saved.
std::string SaveHalvesPicture(const char* folder) {
  GLBitmap picture;
  picture.width = picture.height = 16;
  picture.pixels.assign(16 * 16 * 4, 255);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      uint8_t* p = picture.Pixel(x, y);
      p[0] = p[1] = x < 8 ? 0 : 255;
      p[2] = x < 8 ? 255 : 0;
    }
  const std::string file = (corvia::testing::ScratchDir(folder) / "halves.png").string();
  return corvia::testing::SavePng(picture, file) ? file : std::string();
}

// The frames of one pane in a state that does not change: drawn triangle by triangle,
// drawn from the recording, then drawn from what was kept.
struct Frames {
  GLBitmap first, recorded, kept;
  unsigned keptDraws = 0;
};

Frames PaintThree(OffscreenViewWindow* window, const std::function<GLBitmap(OffscreenViewWindow*)>& draw) {
  Frames frames;
  AllowFaceMeshArrays(false);
  frames.first = draw(window);
  AllowFaceMeshArrays(true);
  frames.recorded = draw(window);
  const unsigned before = GetFaceMeshStatistics().kept;
  frames.kept = draw(window);
  frames.keptDraws = GetFaceMeshStatistics().kept - before;
  return frames;
}

// Star faces, faces through the centre, a selected face in its highlight with and
// without the stencil, translucent faces, lit and unlit, rainbow colours and anaglyph
// stereo: the kept faces give the pixels of the faces drawn one by one.
TEST_F(KeptFaces, DrawTheSamePixelsAsTheFacesDrawnOneByOne) {
  struct Case {
    const char* configuration;
    const char* what;
    bool translucent = false;
    bool lit = true;
    bool select = false;
    bool stencil = true;
    bool rainbow = false;
    int stereo = kStereoNone;
  };
  const std::vector<Case> cases = {
      {"4.4.4", "cube"},
      {"5/2.5/2.5/2.5/2.5/2", "small stellated dodecahedron"},
      {"(5.5.5.5.5)/2", "great dodecahedron, unlit", false, false},
      {"3.6.3/2.6", "octahemioctahedron, a face selected", false, true, true},
      {"3.6.3/2.6", "octahemioctahedron, a face selected, no stencil", false, true, true, false},
      {"4.4.4", "translucent cube", true},
      {"3.5.3.5", "translucent icosidodecahedron, a face selected", true, true, true, false},
      {"5/2.5/2.5/2.5/2.5/2", "rainbow colours", false, true, false, true, true},
      {"3.3.3.3.3", "red-cyan glasses", false, true, false, true, false, kStereoRedCyan},
  };
  // The dual morphs at one ratio.
  DualMorphRatio() = 0.3;
  for (int mode = kDrawModeTruncation; mode <= kDrawModeTiltingToCompound; ++mode) {
    SCOPED_TRACE(mode);
    TestModel model("3.4.3.4");
    ASSERT_TRUE(model.built);
    corvia::testing::TurnTowardsViewer(model.poly, kOblique);
    SetTruncationMorphScale(&model.poly, 0.3);
    SetAugmentationMorphScale(&model.poly, 0.3);
    OffscreenViewWindow* window = nullptr;
    NewPane(model.poly, &window, mode);
    ASSERT_NE(window, nullptr);
    const Frames frames = PaintThree(window, [this](OffscreenViewWindow* w) { return Draw(w); });
    EXPECT_EQ(frames.keptDraws, 1u);
    EXPECT_LE(LargestChannelDifference(frames.first, frames.recorded), 1);
    EXPECT_LE(LargestChannelDifference(frames.first, frames.kept), 1);
    CloseWindows();
    mWindows.clear();
  }
  DualMorphRatio() = 0.5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestModel model(c.configuration);
    ASSERT_TRUE(model.built);
    corvia::testing::TurnTowardsViewer(model.poly, kOblique);
    if (c.translucent) {
      for (PolyElement* f = model.poly.mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.5f);
      model.poly.mPolyFlags |= kPolyFlagCellColoursFront;
    }
    if (c.select) model.poly.SelectFace(model.poly.mFaces.mHead->mNext, false);
    GetModelDrawSettings().useStencil = c.stencil;
    SetRainbowColors(c.rainbow);
    OffscreenViewWindow* window = nullptr;
    ModelView& view = NewPane(model.poly, &window, kDrawModePlain, c.lit);
    ASSERT_NE(window, nullptr);
    view.Stereo().SetStereoMode(c.stereo);
    const unsigned culled = GetFaceMeshStatistics().culled;
    Frames frames = PaintThree(window, [this](OffscreenViewWindow* w) { return Draw(w); });
    if (GetFaceMeshStatistics().culled != culled) {
      // A closed opaque model is drawn from what is kept with its back faces culled,
      // and compared with its faces drawn one by one culled too: otherwise a back face
      // that wins the depth tie at a corner shows a pixel of its colour there.
      const std::function<void(TestView&)> scene = view.scene;
      view.scene = [scene](TestView& v) {
        scene(v);
        v.Materials().SetCullMode(kCullBack);
      };
      AllowFaceMeshArrays(false);
      frames.first = Draw(window);
      AllowFaceMeshArrays(true);
      view.scene = scene;
    }
    // Once a frame, or once an eye.
    EXPECT_EQ(frames.keptDraws, c.stereo == kStereoNone ? 1u : 2u);
    EXPECT_LE(LargestChannelDifference(frames.first, frames.recorded), 1);
    EXPECT_LE(LargestChannelDifference(frames.first, frames.kept), 1);
    SetRainbowColors(false);
    GetModelDrawSettings() = ModelDrawSettings();
    window->Paint();  // leaves the context as other tests expect it
    CloseWindows();
    mWindows.clear();
  }
}

// After each change the pane's next frame is the picture of the new state, as a pane
// that never drew shows it; then the change is undone and the pane settles again.
TEST_F(KeptFaces, EveryChangeOfWhatIsDrawnIsSeenInTheNextFrame) {
  TestModel model("3.5.3.5");
  TestModel other("3.4.4.4");
  ASSERT_TRUE(model.built && other.built);
  corvia::testing::TurnTowardsViewer(model.poly, kOblique);
  Poly& poly = model.poly;
  // The face turned most towards the viewer, whose changes show.
  PolyElement* face = poly.mFaces.mHead;
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    double normal[3], best[3];
    f->GetNormal(normal);
    face->GetNormal(best);
    if (normal[2] > best[2]) face = f;
  }
  int centre[2];
  ProjectToPixel(face->mCentroid, kSize, kHalfHeight, centre);
  struct Change {
    const char* what;
    std::function<void()> make;
    std::function<void()> undo;
    int stereo = kStereoNone;
    // What the face shows then, when it is known.
    std::function<void(const Rgba&)> check;
    // The change may leave the picture as it was (a convex model's cells have no even
    // windings).
    bool mayShowNothing = false;
  };
  // White as the lights show it (their colours tint it a little towards blue).
  auto white = [](const Rgba& c) { EXPECT_TRUE(std::abs(c.r - c.g) <= 2 && c.b >= c.r && c.r > 150) << c; };
  float before[3];
  CopyFloat3(before, face->GetColour());
  const std::string imageFile = SaveHalvesPicture("KeptFaces");
  ASSERT_FALSE(imageFile.empty());
  const float red[3] = {1.0f, 0.0f, 0.0f};
  const std::vector<Change> changes = {
      {"a face's colour by the colour commands",
       [&] {
         PolyItem::SetColour(face, red);
         NotifyColorChange(&poly);
       },
       [&] {
         PolyItem::SetColour(face, before);
         NotifyColorChange(&poly);
       },
       kStereoNone, [](const Rgba& c) { EXPECT_TRUE(c.r > 150 && 8 * c.g < c.r && 8 * c.b < c.r) << c; }},
      {"every face translucent",
       [&] {
         for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.5f);
         NotifyColorChange(&poly);
       },
       [&] {
         for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) f->SetOpacity(1.0f);
         NotifyColorChange(&poly);
       }},
      {"a face selected", [&] { poly.SelectFace(face, false); }, [&] { poly.SelectFace(nullptr, false); }, kStereoNone,
       white},
      {"a face hidden", [&] { face->mFlags |= kElementHidden; }, [&] { face->mFlags &= ~kElementHidden; }},
      {"the selected face without the stencil",
       [&] {
         poly.SelectFace(face, false);
         GetModelDrawSettings().useStencil = false;
       },
       [&] {
         poly.SelectFace(nullptr, false);
         GetModelDrawSettings().useStencil = true;
       },
       kStereoNone, white},
      {"edges shown on the faces", [&] { GetModelDrawSettings().showEdges = true; },
       [&] { GetModelDrawSettings().showEdges = false; }},
      {"cell colours by the even-odd rule",
       [&] {
         CellDisplayFlags() = kCellDefaultFlags | kCellEvenOdd;
         NotifyColorChange(&poly);
       },
       [&] {
         CellDisplayFlags() = kCellDefaultFlags;
         NotifyColorChange(&poly);
       },
       kStereoNone, nullptr, true},
      {"rainbow colours", [] { SetRainbowColors(true); }, [] { SetRainbowColors(false); }},
      {"red-cyan glasses", [] {}, [] {}, kStereoRedCyan},
      {"the construction-toy style", [] { SetGeomagStyle(true); }, [] { SetGeomagStyle(false); }},
      {"an image on a face",
       [&] {
         EXPECT_NE(
             PlaceImageOnFaces(&poly, face, imageFile.c_str(), kImageProjectPerFace, kImageBoundaryBorder, 0, nullptr),
             nullptr);
       },
       [&] {
         for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) DetachFromFace(f);
         NotifyColorChange(&poly);
       }},
  };
  OffscreenViewWindow* window = nullptr;
  ModelView& view = NewPane(poly, &window);
  ASSERT_NE(window, nullptr);
  auto settle = [&] {
    for (int i = 0; i < 3; ++i) window->Paint();
  };
  settle();
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    const GLBitmap shown = Draw(window);
    change.make();
    view.Stereo().SetStereoMode(change.stereo);
    const GLBitmap next = Draw(window);
    const GLBitmap fresh = FreshPicture(poly, kDrawModePlain, true, change.stereo);
    EXPECT_LE(LargestChannelDifference(next, fresh), 1);
    // The picture did change.
    if (!change.mayShowNothing) {
      EXPECT_GT(LargestChannelDifference(next, shown), 1);
    }
    if (change.check) change.check(PixelAt(next, centre[0], centre[1]));
    change.undo();
    view.Stereo().SetStereoMode(kStereoNone);
    settle();
  }
  // Another model in the same pane, and a view type of another draw mode and back.
  view.poly = &other.poly;
  EXPECT_LE(LargestChannelDifference(Draw(window), FreshPicture(other.poly, kDrawModePlain, true)), 1);
  settle();
  view.drawMode = kDrawModeStellation;
  EXPECT_LE(LargestChannelDifference(Draw(window), FreshPicture(other.poly, kDrawModeStellation, true)), 1);
  view.drawMode = kDrawModePlain;
  EXPECT_LE(LargestChannelDifference(Draw(window), FreshPicture(other.poly, kDrawModePlain, true)), 1);
  // A morph's next ratio.
  view.drawMode = kDrawModeTiltingToCompound;
  settle();
  DualMorphRatio() = 0.7;
  EXPECT_LE(LargestChannelDifference(Draw(window), FreshPicture(other.poly, kDrawModeTiltingToCompound, true)), 1);
  DualMorphRatio() = 0.5;
  CloseWindows();
}

// A click that selects another face costs the faces whose drawing follows the selection
// (the face, and its coplanar ring), drawn over what was kept: the list is not recorded
// again, and each frame is the picture a pane that never drew shows, with the highlight
// moved. With and without the stencil, coplanar rings, a dual morph; a translucent list
// keeps the selected face in its recording (its highlight joins the kept translucent
// set), and is recorded again; a list with an image on its last face is recorded every
// frame up to it, the faces left out before it drawn after.
TEST_F(KeptFaces, ANewSelectionIsDrawnOverWhatWasKept) {
  struct Case {
    const char* what;
    const char* configuration;
    int subdivisions = 0;
    int mode = kDrawModePlain;
    bool stencil = true;
    bool translucent = false;
    bool image = false;
  };
  const std::vector<Case> cases = {
      {"icosidodecahedron", "3.5.3.5"},
      {"icosidodecahedron, no stencil", "3.5.3.5", 0, kDrawModePlain, false},
      {"cube, its faces cut in four (coplanar rings)", "4.4.4", 2},
      {"cube, its faces cut in four, no stencil", "4.4.4", 2, kDrawModePlain, false},
      {"cuboctahedron in the truncation morph", "3.4.3.4", 0, kDrawModeTruncation},
      {"translucent icosidodecahedron", "3.5.3.5", 0, kDrawModePlain, false, true},
      {"icosidodecahedron, an image on its last face", "3.5.3.5", 0, kDrawModePlain, true, false, true},
  };
  const std::string imageFile = SaveHalvesPicture("KeptFacesSelection");
  ASSERT_FALSE(imageFile.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestModel model(c.configuration);
    ASSERT_TRUE(model.built);
    Poly cut;
    Poly& poly = c.subdivisions > 0 ? cut : model.poly;
    if (c.subdivisions > 0) {
      std::unique_ptr<SimplePoly> made = model.poly.Subdivide(0, c.subdivisions);
      ASSERT_TRUE(made && CreatePoly(*made, &cut, false, false).done());
    }
    corvia::testing::TurnTowardsViewer(poly, kOblique);
    if (c.translucent) {
      for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.5f);
      poly.mPolyFlags |= kPolyFlagCellColoursFront;
    }
    if (c.image) {
      PolyElement* last = poly.mFaces.mHead;
      while (last->mNext) last = last->mNext;
      ASSERT_NE(PlaceImageOnFaces(&poly, last, imageFile.c_str(), kImageProjectPerFace, kImageBoundaryBorder, 0, nullptr),
                nullptr);
    }
    SetTruncationMorphScale(&poly, 0.3);
    GetModelDrawSettings().useStencil = c.stencil;
    // The two faces turned most towards the viewer.
    std::vector<PolyElement*> faces;
    for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) faces.push_back(f);
    auto facing = [](const PolyElement* f) {
      double normal[3];
      f->GetNormal(normal);
      return normal[2];
    };
    std::partial_sort(faces.begin(), faces.begin() + 2, faces.end(),
                      [&](const PolyElement* a, const PolyElement* b) { return facing(a) > facing(b); });
    if (c.subdivisions > 0) {
      // The second from another plane.
      ASSERT_TRUE(faces[0]->mCoplanarNext && faces[0]->mCoplanarNext != faces[0]);
      faces[1] = *std::find_if(faces.begin(), faces.end(),
                               [&](const PolyElement* f) { return !f->IsCoplanarWith(faces[0]); });
    }
    OffscreenViewWindow* window = nullptr;
    NewPane(poly, &window, c.mode);
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 2; ++i) window->Paint();
    GLBitmap shown = Draw(window);
    for (PolyElement* selected : {faces[0], faces[1], static_cast<PolyElement*>(nullptr), faces[0]}) {
      SCOPED_TRACE(selected ? selected->mIndex : -1);
      poly.SelectFace(selected, false);
      const FaceMeshStatistics before = GetFaceMeshStatistics();
      const GLBitmap next = Draw(window);
      const FaceMeshStatistics after = GetFaceMeshStatistics();
      const bool recorded = c.translucent || c.image;
      EXPECT_EQ(after.recorded - before.recorded, recorded ? 1u : 0u);
      EXPECT_EQ(after.kept - before.kept, recorded ? 0u : 1u);
      EXPECT_LE(LargestChannelDifference(next, FreshPicture(poly, c.mode, true)), 1);
      EXPECT_GT(LargestChannelDifference(next, shown), 1);
      shown = next;
    }
    GetModelDrawSettings() = ModelDrawSettings();
    window->Paint();  // leaves the context as other tests expect it
    CloseWindows();
    mWindows.clear();
  }
}

// A model that changes every frame (a transition's scale) is drawn from a recording of
// each frame, with the pixels of its triangles drawn one by one, and each such frame is
// counted as drawn afresh; as soon as it stands still, every frame is kept.
TEST_F(KeptFaces, ChangingFramesAreDrawnFromTheirRecordingsAndStillOnesKept) {
  TestModel model("3.4.3.4");
  ASSERT_TRUE(model.built);
  for (PolyElement* f = model.poly.mFaces.mHead; f; f = f->mNext)
    if (f->mNumSides == 4) f->SetOpacity(0.5f);
  model.poly.mPolyFlags |= kPolyFlagCellColoursFront;
  double scale = 1.0;
  TestView view;
  view.scene = FacesAtScale(model.poly, scale);
  OffscreenViewWindow* window = Show(view, 64, 64);
  ASSERT_NE(window, nullptr);
  const FaceMeshStatistics before = GetFaceMeshStatistics();
  const ViewFrames::Counts countsBefore = view.Frames().GetFrameCounts();
  for (int frame = 0; frame < 10; ++frame) {
    scale = 1.0 - 0.02 * frame;
    const GLBitmap recorded = Draw(window);
    AllowFaceMeshArrays(false);
    const GLBitmap oneByOne = Draw(window);
    AllowFaceMeshArrays(true);
    EXPECT_LE(LargestChannelDifference(recorded, oneByOne), 1) << frame;
  }
  const FaceMeshStatistics after = GetFaceMeshStatistics();
  EXPECT_EQ(after.recorded - before.recorded, 10u);
  EXPECT_EQ(after.kept - before.kept, 0u);
  EXPECT_EQ(view.Frames().GetFrameCounts().afresh - countsBefore.afresh, 20u);
  EXPECT_TRUE(view.Frames().WasLastFrameDrawnAfresh());
  // Still again, at the last frame's scale: kept from the first frame on.
  for (int frame = 0; frame < 3; ++frame) window->Paint();
  EXPECT_EQ(GetFaceMeshStatistics().recorded - after.recorded, 0u);
  EXPECT_EQ(GetFaceMeshStatistics().kept - after.kept, 3u);
  EXPECT_FALSE(view.Frames().WasLastFrameDrawnAfresh());
  CloseWindows();
}

// A translucent model shown at no size, as a transition begins to grow it from nothing,
// covers no pixel: each frame draws its triangles in one run, not one run (two calls)
// a triangle. Grown, it looks as its faces drawn one by one, and turned a little at a
// time it is drawn from what the first frame at its size kept.
TEST_F(KeptFaces, AModelShownAtNoSizeIsDrawnInOneRun) {
  TestModel model("3.4.3.4");
  ASSERT_TRUE(model.built);
  for (PolyElement* f = model.poly.mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.5f);
  model.poly.mPolyFlags |= kPolyFlagCellColoursFront;
  double scale = 0.0;
  TestView view;
  view.scene = FacesAtScale(model.poly, scale);
  const double eye[3] = {1.0, 2.0, 4.0};
  OffscreenViewWindow* window = ShowLookingFrom(view, eye);
  ASSERT_NE(window, nullptr);
  for (int frame = 0; frame < 3; ++frame) {
    const unsigned before = GetDepthSortStatistics().runsDrawn;
    window->Paint();
    EXPECT_EQ(GetDepthSortStatistics().runsDrawn - before, 1u) << frame;
  }
  scale = 1.0;
  const GLBitmap grown = Draw(window);
  AllowFaceMeshArrays(false);
  EXPECT_LE(LargestChannelDifference(grown, Draw(window)), 1);
  AllowFaceMeshArrays(true);
  const FaceMeshStatistics before = GetFaceMeshStatistics();
  const double up[3] = {0, 1, 0};
  constexpr unsigned kFrames = 12;
  for (unsigned frame = 0; frame < kFrames; ++frame) {
    view.Camera().RotateCamera(up, 0.75 * kKeptOrderAngle);
    window->Paint();
  }
  EXPECT_EQ(GetFaceMeshStatistics().recorded - before.recorded, 0u);
  EXPECT_EQ(GetFaceMeshStatistics().kept - before.kept, kFrames);
  CloseWindows();
}

// A set shown small puts many triangles on each pixel: its exact runs would be one a
// triangle here, two calls each (thousands for a large model growing in a transition
// or zoomed far out, a paint of a second). It is drawn in a bounded number of runs.
TEST_F(KeptFaces, ASetPiledOnAFewPixelsIsDrawnInBoundedRuns) {
  auto set = std::make_shared<KeptTriangleSet>();
  const double normal[3] = {0, 0, 1};
  constexpr int kPile = 1000;
  for (int i = 0; i < kPile; ++i) {
    const double z = 0.001 * i;
    const double corners[3][3] = {{-0.02, -0.02, z}, {0.02, -0.02, z}, {0.0, 0.02, z}};
    const float colour[3] = {0.5f, static_cast<float>(i % 2), 0.25f};
    set->Add(corners, normal, colour, 0.5f, kQueueSorted);
  }
  TestView view;
  view.scene = [&](TestView& v) {
    if (!set->IsPrepared()) set->Prepare(&v);
    QueueKeptTriangles(set);
    DrawDepthSortedTriangles();
  };
  const double eye[3] = {0, 0, 5};
  OffscreenViewWindow* window = ShowLookingFrom(view, eye);
  ASSERT_NE(window, nullptr);
  const unsigned before = GetDepthSortStatistics().runsDrawn;
  window->Paint();
  EXPECT_EQ(GetDepthSortStatistics().runsDrawn - before, kMostKeptRuns);
  CloseWindows();
}

// Back faces are culled only where the picture cannot show them: a closed opaque model
// seen from outside, not one opened by a hidden face or by the near plane, nor one that
// is translucent or exploded; and the inside an opening shows is still drawn.
TEST_F(KeptFaces, BackFacesAreCulledOnlyWhereThePictureCannotShowThem) {
  const double towards[3] = {0.0, 0.0, 1.0};
  struct Case {
    const char* what;
    bool culled;
    bool opened;
    std::function<void(Poly&, ModelView&, double& morph)> change;
  };
  const std::vector<Case> cases = {
      {"closed and opaque", true, false, [](Poly&, ModelView&, double&) {}},
      {"a face hidden", false, true,
       [](Poly& poly, ModelView&, double&) {
         PolyElement* front = poly.mFaces.mHead;
         for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext)
           if (f->mCentre[2] > front->mCentre[2]) front = f;
         front->mFlags |= kElementHidden;
       }},
      {"the near plane inside", false, true,
       [](Poly&, ModelView& view, double&) {
         const double eye[3] = {0, 0, 0.3};
         view.Camera().SetEye(eye);
       }},
      {"translucent", false, false,
       [](Poly& poly, ModelView&, double&) {
         for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.6f);
       }},
      {"exploded", false, false, [](Poly&, ModelView&, double& morph) { morph = 1.4; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestModel model("4.4.4");
    ASSERT_TRUE(model.built);
    corvia::testing::TurnTowardsViewer(model.poly, towards);
    OffscreenViewWindow* window = nullptr;
    ModelView& view = NewPane(model.poly, &window);
    ASSERT_NE(window, nullptr);
    double morph = 1.0;
    c.change(model.poly, view, morph);
    view.poly = nullptr;
    view.scene = [&](TestView&) { DrawFaces(&model.poly, &model.poly.mFaces, kDrawModePlain, 1.0, morph, nullptr); };
    const FaceMeshStatistics before = GetFaceMeshStatistics();
    const Frames frames = PaintThree(window, [this](OffscreenViewWindow* w) { return Draw(w); });
    EXPECT_EQ(GetFaceMeshStatistics().culled - before.culled, c.culled ? 2u : 0u);
    EXPECT_LE(LargestChannelDifference(frames.first, frames.kept), 1);
    // Through the opening, the inside of the far face.
    if (c.opened) {
      const Rgba inside = PixelAt(frames.kept, kSize / 2, kSize / 2);
      EXPECT_GT(inside.r + inside.g + inside.b, 30);
    }
    CloseWindows();
    mWindows.clear();
  }
}

// A kept set of translucent triangles: sorted again only when the eye has moved by more
// than the angle, or stands still where it was not sorted; its picture is that of the
// triangles queued one by one.
TEST_F(KeptFaces, TheTranslucentOrderIsKeptWhileTheEyeMovesLittle) {
  // Two crossing fans of translucent triangles.
  auto set = std::make_shared<KeptTriangleSet>();
  std::vector<KeptTriangle> singles;
  const double normal[3] = {0, 0, 1};
  for (int i = 0; i < 24; ++i) {
    const double a = 2 * M_PI * i / 24, b = 2 * M_PI * (i + 1) / 24;
    const double z = 0.05 * (i % 3);
    const double corners[3][3] = {{0, 0, z}, {std::cos(a), std::sin(a), z}, {std::cos(b), std::sin(b), z}};
    const float colour[3] = {static_cast<float>(i % 2), 0.5f, static_cast<float>(i % 3) / 2.0f};
    set->Add(corners, normal, colour, 0.5f, kQueueSorted);
    const double tilted[3][3] = {{0, 0.2, -0.5}, {0.8, -0.5, 0.5}, {-0.8, -0.5, 0.3}};
    if (i == 0) set->Add(tilted, normal, colour, 0.4f, kQueueSorted);
  }
  bool kept = true;
  TestView view;
  view.SetBackgroundColor(0, 0, 0);
  view.scene = [&](TestView& v) {
    if (kept) {
      if (!set->IsPrepared()) set->Prepare(&v);
      QueueKeptTriangles(set);
    } else {
      for (size_t i = 0; i < set->Size(); ++i) {
        const KeptTriangle& t = set->At(i);
        const float rgba[4] = {t.colour[0], t.colour[1], t.colour[2], t.alpha};
        AddDepthSortedTriangle(t.corners[0], t.corners[1], t.corners[2], t.normal, rgba, 0, 1.0, nullptr, nullptr,
                               nullptr);
      }
    }
    DrawDepthSortedTriangles();
  };
  const double eye[3] = {0, 0, 5};
  OffscreenViewWindow* window = ShowLookingFrom(view, eye);
  ASSERT_NE(window, nullptr);
  const GLBitmap first = Draw(window);
  EXPECT_EQ(set->GetSortCount(), 1u);
  kept = false;
  EXPECT_LE(LargestChannelDifference(first, Draw(window)), 1);
  kept = true;
  const double up[3] = {0, 1, 0};
  view.Camera().RotateCamera(up, 0.5 * kKeptOrderAngle);
  window->Paint();
  EXPECT_EQ(set->GetSortCount(), 1u);
  // Standing still there: the exact order of where it is.
  const GLBitmap still = Draw(window);
  EXPECT_EQ(set->GetSortCount(), 2u);
  kept = false;
  EXPECT_LE(LargestChannelDifference(still, Draw(window)), 1);
  kept = true;
  view.Camera().RotateCamera(up, 1.5 * kKeptOrderAngle);
  window->Paint();
  EXPECT_EQ(set->GetSortCount(), 3u);
  EXPECT_EQ(GetDepthSortStatistics().keptQueue, 0);
  CloseWindows();
}

// The frames drawn from what is kept allocate nothing, also those that sort the
// translucent triangles again for an eye that has moved.
TEST_F(KeptFaces, KeptFramesAllocateNothing) {
  TestModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  for (PolyElement* f = model.poly.mFaces.mHead; f; f = f->mNext)
    if (f->mNumSides == 3) f->SetOpacity(0.5f);
  model.poly.mPolyFlags |= kPolyFlagCellColoursFront;
  model.poly.SelectFace(model.poly.mFaces.mHead, false);
  TestView view;
  view.scene = [&](TestView&) {
    corvia::testing::CountAllocations(true);
    DrawFaces(&model.poly, &model.poly.mFaces, kDrawModePlain, 1.0, 1.0, nullptr);
    DrawDepthSortedTriangles();
    corvia::testing::CountAllocations(false);
  };
  OffscreenViewWindow* window = Show(view, kSize, kSize);
  ASSERT_NE(window, nullptr);
  const double up[3] = {0, 1, 0};
  // Drawn, recorded, then kept and sorted once from there.
  for (int frame = 0; frame < 3; ++frame) window->Paint();
  const unsigned kept = GetFaceMeshStatistics().kept;
  corvia::testing::ResetAllocationCount();
  window->Paint();
  view.Camera().RotateCamera(up, 3.0 * kKeptOrderAngle);
  window->Paint();
  window->Paint();
  EXPECT_EQ(GetFaceMeshStatistics().kept - kept, 3u);
  EXPECT_EQ(corvia::testing::CountedAllocations(), 0u);
  CloseWindows();
}

// A face held by a drag is the state of the pane that drags: that pane's next frame is
// drawn afresh, while a second pane of the same model goes on drawing from what it
// kept; let go, the first pane shows the model as before.
TEST_F(KeptFaces, AFaceHeldByADragIsSeenByItsOwnPaneAlone) {
  struct DragPane : ModelView, ModelDrawPane {};
  TestModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  corvia::testing::TurnTowardsViewer(model.poly, kOblique);
  DragPane held, other;
  std::vector<OffscreenViewWindow*> windows;
  for (DragPane* pane : {&held, &other}) {
    pane->poly = &model.poly;
    windows.push_back(Show(*pane, kSize, kSize));
    ASSERT_NE(windows.back(), nullptr);
    pane->Setup(kHalfHeight);
    for (int frame = 0; frame < 3; ++frame) windows.back()->Paint();
  }
  const GLBitmap whole = Draw(windows[1]);
  FaceDragState drag;
  drag.heldFace = model.poly.mFaces.mHead;
  held.SetFaceDrag(drag);
  const unsigned recorded = GetFaceMeshStatistics().recorded;
  Draw(windows[0]);
  EXPECT_EQ(GetFaceMeshStatistics().recorded - recorded, 1u);
  const unsigned kept = GetFaceMeshStatistics().kept;
  EXPECT_EQ(LargestChannelDifference(Draw(windows[1]), whole), 0);
  EXPECT_EQ(GetFaceMeshStatistics().kept - kept, 1u);
  held.SetFaceDrag(FaceDragState());
  EXPECT_LE(LargestChannelDifference(Draw(windows[0]), whole), 1);
  CloseWindows();
}

// ---- Runs ----------------------------------------------------------------------------------

WindowTriangle Triangle(const double (&xy)[3][2], uint32_t a, uint32_t b, uint32_t c) {
  WindowTriangle t;
  for (int i = 0; i < 3; ++i) {
    t.xy[i][0] = xy[i][0];
    t.xy[i][1] = xy[i][1];
  }
  t.ids[0] = a;
  t.ids[1] = b;
  t.ids[2] = c;
  SetUpWindowTriangle(t);
  return t;
}

TEST(TriangleRuns, OnlyTrianglesThatCannotShareAPixelRunTogether) {
  const double m = kRunMargin;
  // Neighbours across a side, and the same pair folded onto one side of it.
  const WindowTriangle base = Triangle({{0, 0}, {10, 0}, {0, 10}}, 1, 2, 3);
  EXPECT_FALSE(TrianglesMayOverlap(base, Triangle({{10, 0}, {0, 10}, {10, 10}}, 2, 3, 4), m));
  EXPECT_TRUE(TrianglesMayOverlap(base, Triangle({{10, 0}, {0, 10}, {2, 2}}, 2, 3, 5), m));
  // The same points with other ids are not shared: they touch, which is too near.
  EXPECT_TRUE(TrianglesMayOverlap(base, Triangle({{10, 0}, {0, 10}, {10, 10}}, 6, 7, 8), m));
  // Two triangles of a fan facing each other across its centre; two that overlap there.
  const WindowTriangle up = Triangle({{0, 0}, {5, 8}, {-5, 8}}, 1, 9, 10);
  EXPECT_FALSE(TrianglesMayOverlap(up, Triangle({{0, 0}, {-5, -8}, {5, -8}}, 1, 11, 12), m));
  EXPECT_TRUE(TrianglesMayOverlap(up, Triangle({{0, 0}, {1, 9}, {6, 4}}, 1, 13, 14), m));
  // Two of a fan with one between them, either way round; one that comes nearer to
  // the side between them than the margin allows.
  const WindowTriangle fan = Triangle({{0, 0}, {10, 0}, {5, 8.66}}, 1, 40, 41);
  const WindowTriangle across = Triangle({{0, 0}, {-5, 8.66}, {-10, 0}}, 1, 42, 43);
  EXPECT_FALSE(TrianglesMayOverlap(fan, across, m));
  EXPECT_FALSE(TrianglesMayOverlap(across, fan, m));
  EXPECT_TRUE(TrianglesMayOverlap(fan, Triangle({{0, 0}, {2.5 - 0.087, 4.33 + 0.05}, {-10, 0}}, 1, 44, 43), m));
  // Apart, and apart by less than the margin.
  EXPECT_FALSE(TrianglesMayOverlap(base, Triangle({{20, 0}, {30, 0}, {20, 10}}, 15, 16, 17), m));
  EXPECT_TRUE(TrianglesMayOverlap(base, Triangle({{10.1, 0}, {20, 0}, {10.1, 10}}, 15, 16, 17), m));
  // A triangle with no area, or one behind the eye, stands alone.
  EXPECT_TRUE(TrianglesMayOverlap(base, Triangle({{30, 0}, {40, 0}, {50, 0}}, 18, 19, 20), m));

  // A fan of six round a corner is one run; a triangle over it begins another, and one
  // behind the eye stands alone.
  std::vector<WindowTriangle> triangles;
  for (uint32_t i = 0; i < 6; ++i) {
    const double a = M_PI / 3 * i, b = M_PI / 3 * (i + 1);
    triangles.push_back(Triangle({{0, 0}, {10 * std::cos(a), 10 * std::sin(a)}, {10 * std::cos(b), 10 * std::sin(b)}},
                                 0, 1 + i, 1 + (i + 1) % 6));
  }
  triangles.push_back(Triangle({{-3, -3}, {3, -3}, {0, 3}}, 20, 21, 22));
  triangles.push_back(Triangle({{30, 30}, {40, 30}, {30, 40}}, 23, 24, 25));
  WindowTriangle behind = Triangle({{50, 50}, {60, 50}, {50, 60}}, 26, 27, 28);
  behind.usable = false;
  triangles.push_back(behind);
  triangles.push_back(Triangle({{70, 70}, {80, 70}, {70, 80}}, 29, 30, 31));
  TriangleBatcher batcher;
  std::vector<uint32_t> starts;
  batcher.Split(triangles, triangles.size(), m, starts);
  EXPECT_EQ(starts, (std::vector<uint32_t>{0, 6, 8, 9}));

  // A triangle whose corners are one point (a model shown at no size) covers no pixel:
  // it meets nothing, and joins the run it falls in, before, within or after a fan.
  const WindowTriangle point = Triangle({{5, 5}, {5, 5}, {5, 5}}, 32, 32, 32);
  EXPECT_FALSE(TrianglesMayOverlap(base, point, m));
  EXPECT_FALSE(TrianglesMayOverlap(point, point, m));
  std::vector<WindowTriangle> points(20, point);
  points.insert(points.end(), triangles.begin(), triangles.begin() + 3);
  points.push_back(Triangle({{0, 0}, {0, 0}, {0, 0}}, 0, 0, 0));
  points.insert(points.end(), triangles.begin() + 3, triangles.begin() + 7);
  points.push_back(point);
  batcher.Split(points, points.size(), m, starts);
  EXPECT_EQ(starts, (std::vector<uint32_t>{0, 27}));

  // Twelve triangles going round a corner twice, side to side: the second time round
  // covers the first (and meets it where the ids differ), so runs begin there.
  triangles.clear();
  for (uint32_t i = 0; i < 12; ++i) {
    const double a = M_PI / 3 * i, b = M_PI / 3 * (i + 1);
    triangles.push_back(Triangle({{0, 0}, {10 * std::cos(a), 10 * std::sin(a)}, {10 * std::cos(b), 10 * std::sin(b)}},
                                 0, 1 + i, 1 + (i + 1) % 12));
  }
  batcher.Split(triangles, triangles.size(), m, starts);
  EXPECT_EQ(starts, (std::vector<uint32_t>{0, 5, 10}));
}

// Whether the insides of two triangles meet: no side of either has the other wholly
// on its outer side (touching allowed).
bool InsidesMeet(const WindowTriangle& a, const WindowTriangle& b) {
  for (const auto& [t, u] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
    const auto cross = [](const double* p, const double* q, const double* r) {
      return (q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0]);
    };
    const double turn = cross(t->xy[0], t->xy[1], t->xy[2]) > 0 ? 1 : -1;
    for (int i = 0; i < 3; ++i) {
      bool outside = true;
      for (const auto& r : u->xy) outside = outside && turn * cross(t->xy[i], t->xy[(i + 1) % 3], r) <= 1e-9;
      if (outside) return false;
    }
  }
  return true;
}

// The runs of the triangles as drawn: every triangle in exactly one run, no two of a
// run whose insides meet.
void ExpectRuns(const std::vector<WindowTriangle>& triangles, TriangleBatcher& batcher, const std::string& what) {
  std::vector<uint32_t> starts;
  batcher.Split(triangles, triangles.size(), kRunMargin, starts);
  ASSERT_FALSE(starts.empty());
  EXPECT_EQ(starts[0], 0u) << what;
  for (size_t r = 0; r < starts.size(); ++r) {
    const size_t end = r + 1 < starts.size() ? starts[r + 1] : triangles.size();
    ASSERT_LT(starts[r], end) << what;
    for (size_t j = starts[r]; j < end; ++j)
      for (size_t i = starts[r]; i < j; ++i)
        ASSERT_FALSE(InsidesMeet(triangles[i], triangles[j])) << what << ": " << i << " and " << j << " in one run";
  }
}

// A closed sphere of latitude bands (fans of forty thin triangles round the poles,
// more than a grid cell holds in place) in perspective, farthest first from eyes a
// little more than the kept order's angle apart, and shuffled; a heap of random
// triangles, some large, some flat; a fan with a triangle over only its last one.
TEST(TriangleRuns, EveryOrderSplitsIntoRunsWhoseTrianglesNeverMeet) {
  constexpr uint32_t kBands = 16, kAround = 40, kLast = kAround * (kBands - 1) + 1;
  const auto at = [](uint32_t b, uint32_t a) { return b == 0 ? 0 : b == kBands ? kLast : 1 + (b - 1) * kAround + a % kAround; };
  std::vector<std::array<uint32_t, 3>> corners;
  for (uint32_t a = 0; a < kAround; ++a)
    for (uint32_t b = 0; b < kBands; ++b) {
      if (b > 0) corners.push_back({at(b, a), at(b + 1, a + 1), at(b, a + 1)});
      if (b + 1 < kBands) corners.push_back({at(b, a), at(b + 1, a), at(b + 1, a + 1)});
    }
  const auto point = [](uint32_t id, double* p) {
    const double theta = id == 0 ? 0 : id == kLast ? M_PI : M_PI * (1 + (id - 1) / kAround) / kBands;
    const double phi = 2 * M_PI * ((id - 1) % kAround) / kAround;
    p[0] = std::sin(theta) * std::cos(phi), p[1] = std::sin(theta) * std::sin(phi), p[2] = std::cos(theta);
  };
  TriangleBatcher batcher;
  std::mt19937 random(7);
  for (const double degrees : {20.0, 20.0 + kKeptOrderAngle + 0.1, 50.0}) {
    const double c = std::cos(degrees * M_PI / 180), s = std::sin(degrees * M_PI / 180);
    const double eye[3] = {4 * s, 1.0, 4 * c};
    std::vector<std::pair<double, WindowTriangle>> depth;
    for (const auto& ids : corners) {
      double xy[3][2], centre[3] = {0, 0, 0};
      for (int i = 0; i < 3; ++i) {
        double p[3];
        point(ids[i], p);
        const double d[3] = {p[0] - eye[0], p[1] - eye[1], p[2] - eye[2]}, z = -(d[0] * s + d[2] * c);
        xy[i][0] = 400 + 1200 * (d[0] * c - d[2] * s) / z;
        xy[i][1] = 400 + 1200 * d[1] / z;
        for (int k = 0; k < 3; ++k) centre[k] += d[k];
      }
      depth.push_back({-Dot(centre, centre), Triangle(xy, ids[0], ids[1], ids[2])});
    }
    std::stable_sort(depth.begin(), depth.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<WindowTriangle> window;
    for (const auto& d : depth) window.push_back(d.second);
    ExpectRuns(window, batcher, "farthest first at " + std::to_string(degrees));
    std::shuffle(window.begin(), window.end(), random);
    ExpectRuns(window, batcher, "shuffled at " + std::to_string(degrees));
  }
  std::uniform_real_distribution<double> place(0, 400), size(-12, 12);
  std::vector<WindowTriangle> heap;
  for (uint32_t i = 0; i < 600; ++i) {
    const double x = place(random), y = place(random), scale = i % 50 == 0 ? 20 : 1;
    double xy[3][2];
    for (auto& p : xy) p[0] = x + scale * size(random), p[1] = y + scale * size(random);
    if (i % 61 == 0) xy[2][0] = xy[1][0], xy[2][1] = xy[1][1];
    heap.push_back(Triangle(xy, 3 * i, 3 * i + 1, 3 * i + 2));
  }
  ExpectRuns(heap, batcher, "heap");
  std::vector<WindowTriangle> fan;
  for (uint32_t i = 0; i < 40; ++i) {
    const double a = M_PI / 20 * i, b = M_PI / 20 * (i + 1);
    fan.push_back(Triangle({{0, 0}, {10 * std::cos(a), 10 * std::sin(a)}, {10 * std::cos(b), 10 * std::sin(b)}}, 0,
                           1 + i, 1 + (i + 1) % 40));
  }
  const double a = M_PI / 20 * 39.5, u[2] = {std::cos(a), std::sin(a)};
  fan.push_back(Triangle({{6 * u[0], 6 * u[1]}, {7 * u[0], 7 * u[1]}, {6.5 * u[0] + 0.1, 6.5 * u[1] + 0.1}}, 50, 51, 52));
  std::vector<uint32_t> starts;
  batcher.Split(fan, fan.size(), kRunMargin, starts);
  EXPECT_EQ(starts, (std::vector<uint32_t>{0, 40}));
}

}  // namespace test_KeptFaces
