// The facelet line data: every facelet of a facet model knows the diagram region it
// was cut from, so that the stellation lines can be drawn on it. Checked against the
// diagrams themselves: the region, joined across the edges that are no edges of the
// model, has the facelet's area, and each facelet edge lies on a line along the
// region's border.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "platform/Services.h"
#include "stellation/Model3DStellation.h"
#include "stellation/StellationCell.h"
#include "tests/stellation/StellationModels.h"
#include "tests/support/TestSupport.h"

namespace test_FaceletLineData {

using corvia::Face3D;
using corvia::FaceTypeBlock;
using corvia::Model3D;
using corvia::SegVert;
using corvia::StellationLine;
using corvia::StellationSegment;

// The region of the segment: the segments joined to it across edges that are not used.
std::set<const StellationSegment*> Region(const StellationSegment* start) {
  std::set<const StellationSegment*> region{start};
  std::vector<const StellationSegment*> stack{start};
  while (!stack.empty()) {
    const StellationSegment* s = stack.back();
    stack.pop_back();
    const SegVert* c = s->mFirst;
    do {
      const StellationSegment* across = c->mTwin ? c->mTwin->mSegment : nullptr;
      if (across && !(c->mFlags & corvia::kSegVertUsed) && region.insert(across).second) stack.push_back(across);
      c = c->mNext;
    } while (c != s->mFirst);
  }
  return region;
}

// Every facelet has its region; the region covers the facelet's area, and each edge of
// the facelet (in the diagram's coordinates) lies on a line that borders the region.
// Returns the number of facelets checked.
int ExpectFaceletsOnTheirRegions(Model3D* model) {
  int checked = 0;
  for (int i = 0; i < model->GetNumFacelets(); ++i) {
    SCOPED_TRACE(i);
    const Face3D* facelet = model->GetFacelet(i);
    EXPECT_NE(facelet->mFacetLoop, nullptr);
    if (!facelet->mFacetLoop) continue;
    const std::set<const StellationSegment*> region = Region(facelet->mFacetLoop);
    double area = 0.0;
    std::set<const StellationLine*> border;
    for (const StellationSegment* s : region) {
      area += corvia::testing::SegmentArea(s);
      const SegVert* c = s->mFirst;
      do {
        if (!c->mTwin || !region.count(c->mTwin->mSegment)) border.insert(c->mLine);
        c = c->mNext;
      } while (c != s->mFirst);
    }
    EXPECT_NEAR(area, facelet->GetArea(), 1e-9);
    const int n = facelet->GetNumEdges();
    std::vector<std::array<double, 2>> points(static_cast<size_t>(n));
    for (int e = 0; e < n; ++e) {
      corvia::Transform2DPoint(facelet->mOutlineTransform, facelet->mEdges[e].local,
                               points[static_cast<size_t>(e)].data());
    }
    for (int e = 0; e < n; ++e) {
      const corvia::Edge3D* next = facelet->mEdges[e].GetNextInLoop();
      const auto& p = points[static_cast<size_t>(e)];
      const auto& q = points[static_cast<size_t>(next - facelet->mEdges.get())];
      bool onBorder = false;
      for (const StellationLine* line : border) {
        onBorder = onBorder ||
                   (std::fabs(line->Evaluate(p[0], p[1])) <= 1e-7 && std::fabs(line->Evaluate(q[0], q[1])) <= 1e-7);
      }
      EXPECT_TRUE(onBorder) << "edge " << e;
    }
    ++checked;
  }
  return checked;
}

// A model built from a configuration, its base block not stellated, and the block's
// facet model: the plain polyhedron's.
struct PlainModel {
  corvia::testing::ConfigModel model;
  FaceTypeBlock* block = nullptr;
  Model3D* plain = nullptr;
  explicit PlainModel(const char* configuration) : model(configuration) {
    if (!model.built) return;
    block = model.Block(false);
    plain = block->GetModel3D(false, nullptr);
  }
};

}  // namespace test_FaceletLineData

// The first stellation of the icosahedron is made from the diagram: each of its 60
// facelets takes its region from the diagram corners it was cut along, and the data
// count as known from the start.
TEST(FaceletLineData, FirstStellationOfTheIcosahedron) {
  using namespace test_FaceletLineData;
  corvia::testing::ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  ASSERT_TRUE(block->IsStellated());
  for (corvia::StellationCell* c = block->mFirstCell; c && c != block->GetOuterCell(); c = c->mNext) {
    corvia::StellationCell::SetIncluded(c, c->mType->mIndex < 2);
  }
  Model3D* model3D = block->GetModel3D(false, nullptr);
  ASSERT_NE(model3D, nullptr);
  EXPECT_TRUE(model3D->mFlags & corvia::kModelLineData);
  EXPECT_EQ(ExpectFaceletsOnTheirRegions(model3D), 60);
  // Asking again changes nothing.
  const StellationSegment* first = model3D->GetFacelet(0)->mFacetLoop;
  EXPECT_TRUE(ComputeFaceletLineData(model3D).done());
  EXPECT_EQ(model3D->GetFacelet(0)->mFacetLoop, first);
}

// The plain icosahedron's facelets learn their regions when asked: the block is
// stellated for its diagrams, keeps its facet model, and each face is the central
// region of its diagram.
TEST(FaceletLineData, PlainModelStellatesItsBlockWhenAsked) {
  using namespace test_FaceletLineData;
  PlainModel icosahedron("3.3.3.3.3");
  FaceTypeBlock* block = icosahedron.block;
  Model3D* plain = icosahedron.plain;
  ASSERT_NE(plain, nullptr);
  ASSERT_FALSE(block->IsStellated());
  EXPECT_FALSE(plain->mFlags & corvia::kModelLineData);
  EXPECT_EQ(plain->GetFacelet(0)->mFacetLoop, nullptr);
  EXPECT_TRUE(ComputeFaceletLineData(plain).done());
  EXPECT_TRUE(block->IsStellated());
  EXPECT_EQ(block->GetExistingModel3D(), plain);
  EXPECT_TRUE(plain->mFlags & corvia::kModelLineData);
  EXPECT_EQ(ExpectFaceletsOnTheirRegions(plain), 20);
  for (int i = 0; i < plain->GetNumFacelets(); ++i) {
    const Face3D* facelet = plain->GetFacelet(i);
    EXPECT_EQ(facelet->mFacetLoop, facelet->mSourceFace->mType->mCentralSegment);
  }
}

// Cancelling the stellation that the line data asks for leaves the facet model in its
// block (the cancelled set-up clears the block) and the facelets without lines.
TEST(FaceletLineData, CancelledStellationKeepsTheModel) {
  using namespace test_FaceletLineData;
  PlainModel snubCube("4.3.3.3.3");
  ASSERT_NE(snubCube.plain, nullptr);
  corvia::testing::TickingClock clock(0.25);
  corvia::platform::ServiceSet services = corvia::platform::Services();
  services.clock = &clock;
  const corvia::platform::ServiceSet previous = corvia::platform::InstallServices(services);
  auto& progress = corvia::testing::Platform().progress;
  bool cancelled = false;
  progress.Current()->onPump = [&](corvia::platform::HeadlessProgressWindow::State& state) {
    if (!state.caption.empty()) state.cancel = cancelled = true;
  };
  EXPECT_TRUE(ComputeFaceletLineData(snubCube.plain).done());
  progress.Current()->onPump = nullptr;
  progress.Current()->cancel = false;
  corvia::platform::InstallServices(previous);
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(snubCube.block->IsStellated());
  EXPECT_FALSE(corvia::IsProgressActive());
  ASSERT_EQ(snubCube.block->GetExistingModel3D(), snubCube.plain);
  EXPECT_TRUE(snubCube.plain->mFlags & corvia::kModelLineData);
  for (int i = 0; i < snubCube.plain->GetNumFacelets(); ++i)
    EXPECT_EQ(snubCube.plain->GetFacelet(i)->mFacetLoop, nullptr);
}
