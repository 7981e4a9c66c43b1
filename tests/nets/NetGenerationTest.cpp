// Making nets: the types the symmetry gives, the maximum facelets per net, the glue
// tabs of each kind, the user's cuts surviving a remake, a cancel, and models with a
// hole, with one side, or with faces through each other.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "construction/Prisms.h"
#include "core/BoxGrid.h"
#include "core/Progress.h"
#include "core/Units.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/Subdivision.h"
#include "nets/NetOutline.h"
#include "platform/Services.h"
#include "tests/nets/NetChecks.h"

namespace test_NetGeneration {

namespace n = corvia::testing::nets;
using corvia::Edge3D;
using corvia::Face3D;
using corvia::Model3D;
using corvia::Net;
using corvia::NetType;

class NetGenerationTest : public n::NetsTest {};

// Every edgelet that is cut, in pairs with the edgelet across.
std::vector<std::pair<Edge3D*, Edge3D*>> CutPairs(const Model3D& model) {
  std::vector<std::pair<Edge3D*, Edge3D*>> pairs;
  for (Face3D* f : n::AllFacelets(model)) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      Edge3D* e = &f->mEdges[i];
      Edge3D* across = Edge3D::GetNeighInNet(e, false);
      if ((e->flags & (corvia::kEdgeJoined | corvia::kEdgePlacementJoin)) || !across || across < e) continue;
      pairs.push_back({e, across});
    }
  }
  return pairs;
}

void ExpectValidNets(Model3D& model, const std::string& name) {
  n::ExpectCover(model, name);
  n::ExpectNoOverlap(model, name);
  n::ExpectFoldsBack(model, name);
  n::ExpectGluing(model, name, true);
}

// A clock that moves half a second at every look, so that the progress window opens.
class TickingClock final : public corvia::platform::Clock {
 public:
  double NowSeconds() const override { return mNow += 0.5; }

 private:
  mutable double mNow = 0.0;
};

// The ticking clock for a scope; the progress window's hook is cleared at its end.
class TickingClockScope {
 public:
  TickingClockScope() {
    corvia::platform::ServiceSet services = corvia::platform::Services();
    services.clock = &mClock;
    mBefore = corvia::platform::InstallServices(services);
  }
  ~TickingClockScope() {
    corvia::testing::Platform().progress.Current()->onPump = nullptr;
    corvia::platform::InstallServices(mBefore);
  }
  TickingClockScope(const TickingClockScope&) = delete;
  TickingClockScope& operator=(const TickingClockScope&) = delete;

 private:
  TickingClock mClock;
  corvia::platform::ServiceSet mBefore;
};

// The reports the work gives inside a progress level already open and reported, with
// the clock ticking at every read.
int ReportsDuring(const std::function<void()>& work) {
  const TickingClockScope ticking;
  int pumps = 0;
  corvia::testing::Platform().progress.Current()->onPump = [&pumps](corvia::platform::HeadlessProgressWindow::State&) {
    ++pumps;
  };
  corvia::ProgressScope progress;
  if (!corvia::ProgressTick()) return -1;
  pumps = 0;
  work();
  return pumps;
}

}  // namespace test_NetGeneration

namespace corvia {

using test_NetGeneration::CutPairs;
using test_NetGeneration::ExpectValidNets;
using test_NetGeneration::NetGenerationTest;
using test_NetGeneration::ReportsDuring;
using test_NetGeneration::TickingClockScope;
namespace n = testing::nets;

TEST_F(NetGenerationTest, IcosahedronNetsFollowItsSymmetry) {
  std::unique_ptr<Poly> ico = n::BuildLibraryPoly(n::kIcosahedron);
  ASSERT_TRUE(ico);
  // Merged across its convex edges, the whole icosahedron is one net.
  std::unique_ptr<Model3D> one = n::MakeNets(ico.get());
  EXPECT_EQ(one->GetNumNetTypes(), 1);
  EXPECT_EQ(one->GetNumNets(), 1);
  EXPECT_EQ(Net::CountFacelets(one->mCurrentNet), 20);
  ExpectValidNets(*one, "icosahedron");
  one.reset();
  // One facelet a net: the 20 triangles are one type of 20 nets, turned onto each
  // other by the rotations.
  std::unique_ptr<Model3D> single = n::MakeNets(ico.get(), 1);
  ASSERT_EQ(single->GetNumNetTypes(), 1);
  EXPECT_EQ(single->mNetTypes->numNets, 20);
  // One facelet a net switches the searches off: a facelet type of order 1.
  EXPECT_EQ(single->mNetTypes->groupSize, 1);
  n::ExpectCongruentTypes(*single, "icosahedron, one facelet a net");
  ExpectValidNets(*single, "icosahedron, one facelet a net");
}

TEST_F(NetGenerationTest, PentakisDodecahedronGrowsTwelveFansOfFive) {
  // The dual of the truncated icosahedron: 60 triangles, five round each 5-fold
  // vertex.
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kTruncatedIcosahedron, true);
  ASSERT_TRUE(poly);
  std::unique_ptr<Model3D> model = n::MakeNets(poly.get(), 5);
  ASSERT_EQ(model->GetNumNetTypes(), 1);
  NetType* type = model->mNetTypes;
  EXPECT_EQ(type->numNets, 12);
  EXPECT_EQ(type->groupSize, 5);
  for (int k = 0; k < type->numNets; ++k) {
    ASSERT_EQ(Net::CountFacelets(&type->nets[k]), 5);
    // One vertex is a corner of all five.
    std::map<const Vert3D*, int> corners;
    for (Face3D* f = type->nets[k].first; f; f = f->mNextInNet) {
      for (int i = 0; i < f->GetNumEdges(); ++i) ++corners[f->mEdges[i].vert];
    }
    int shared = 0;
    for (const auto& [v, count] : corners) shared += count == 5 ? 1 : 0;
    EXPECT_EQ(shared, 1) << k;
  }
  n::ExpectCongruentTypes(*model, "pentakis dodecahedron");
  ExpectValidNets(*model, "pentakis dodecahedron");
}

TEST_F(NetGenerationTest, OneFaceletPerNetMakesNoJoins) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  std::unique_ptr<Model3D> model = n::MakeNets(cube.get(), 1);
  EXPECT_EQ(model->GetNumNets(), 6);
  for (Face3D* f : n::AllFacelets(*model)) {
    EXPECT_EQ(Net::CountFacelets(f->mNet), 1);
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      EXPECT_EQ(Edge3D::GetNeighInNet(&f->mEdges[i], true), nullptr);
      EXPECT_NE(Edge3D::GetNeighInNet(&f->mEdges[i], false), nullptr);
      EXPECT_TRUE(f->mEdges[i].tab);
    }
  }
  ExpectValidNets(*model, "cube, one facelet a net");
}

TEST_F(NetGenerationTest, CubeIsOneNetOfSixWithTheTabsInItsRadii) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  std::unique_ptr<Model3D> model = n::MakeNets(cube.get(), 6);
  ASSERT_EQ(model->GetNumNets(), 1);
  EXPECT_EQ(Net::CountFacelets(model->mCurrentNet), 6);
  NetType* type = model->mNetTypes;
  // The rectangle is upright and centred on the origin; its radii add the tab depth.
  double least[2] = {1e300, 1e300}, largest[2] = {-1e300, -1e300};
  for (Face3D* f = type->nets[0].first; f; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      for (int k = 0; k < 2; ++k) {
        least[k] = std::min(least[k], f->mEdges[i].unfolded[k]);
        largest[k] = std::max(largest[k], f->mEdges[i].unfolded[k]);
      }
    }
  }
  const double tab = GetNetTabSizeInModelUnits();
  EXPECT_GT(tab, 0.0);
  EXPECT_NEAR(type->radiusX, (largest[0] - least[0]) / 2.0 + tab, 1e-9);
  EXPECT_NEAR(type->radiusY, (largest[1] - least[1]) / 2.0 + tab, 1e-9);
  EXPECT_NEAR(largest[0] + least[0], 0.0, 1e-9);
  EXPECT_NEAR(largest[1] + least[1], 0.0, 1e-9);
  ExpectValidNets(*model, "cube");
}

TEST_F(NetGenerationTest, NetTypesAreSortedLargestFirst) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kGreatDodecahedron);
  std::unique_ptr<Model3D> model = n::MakeNets(poly.get());
  ASSERT_GE(model->GetNumNetTypes(), 1);
  for (NetType* type = model->mNetTypes; type && type->next; type = type->next) {
    EXPECT_GE(type->radiusX * type->radiusY, type->next->radiusX * type->next->radiusY - 1e-7);
  }
  EXPECT_EQ(model->mCurrentNet, model->mNetTypes->GetFirstNet());
}

TEST_F(NetGenerationTest, EachTabKindGluesEveryCut) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kIcosahedron);
  std::unique_ptr<Model3D> model = n::MakeNets(poly.get());
  ASSERT_FALSE(CutPairs(*model).empty());
  // Double tabs: both sides of every cut.
  for (const auto& [a, b] : CutPairs(*model)) {
    EXPECT_TRUE(a->tab && b->tab);
    EXPECT_NEAR(a->tab->foldAngle, a->GetDihedralAngle() / 2.0, 1e-12);
  }
  // Single tabs: one side of each cut below pi, the side alternating along the walk.
  GetNetSettings().tabType = kTabKindSingle;
  model->RebuildTabs();
  int first = 0, second = 0;
  for (const auto& [a, b] : CutPairs(*model)) {
    ASSERT_LT(a->GetDihedralAngle(), n::kPi);
    EXPECT_EQ((a->tab != nullptr) + (b->tab != nullptr), 1) << GetEdgeName(a);
    first += a->tab ? 1 : 0;
    second += b->tab ? 1 : 0;
    const Edge3D* tabbed = a->tab ? a : b;
    EXPECT_NEAR(tabbed->tab->foldAngle, tabbed->GetDihedralAngle(), 1e-12);
  }
  EXPECT_GT(first, 0);
  EXPECT_GT(second, 0);
  // No tabs: none at all.
  GetNetSettings().tabType = kTabKindNone;
  model->RebuildTabs();
  for (Face3D* f : n::AllFacelets(*model)) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      EXPECT_FALSE(f->mEdges[i].tab);
      EXPECT_FALSE(f->mEdges[i].flags & kEdgeHasTab);
    }
  }
  // The user's No Tabs on one edge of double tabs.
  GetNetSettings().tabType = kTabKindDefault;
  Edge3D* chosen = CutPairs(*model).front().first;
  chosen->flags |= GetTabKindFlag(kTabKindNone);
  model->RebuildTabs();
  EXPECT_FALSE(chosen->tab);
  EXPECT_TRUE(Edge3D::GetNeighInNet(chosen, false)->tab);
  EXPECT_EQ(GetTabKindFlag(kTabKindDouble), kEdgeTabDouble);
  EXPECT_EQ(GetTabKindFlag(7), 0u);
}

TEST_F(NetGenerationTest, TheUsersCutsSurviveANewGeneration) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kIcosahedron);
  std::unique_ptr<Model3D> model = n::MakeNets(poly.get());
  // A joined edge of the net.
  Edge3D* joined = nullptr;
  for (Face3D* f = model->mCurrentNet->first; f && !joined; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges() && !joined; ++i) {
      if (f->mEdges[i].flags & kEdgeJoinedFirst) joined = &f->mEdges[i];
    }
  }
  ASSERT_NE(joined, nullptr);
  Edge3D* across = Edge3D::GetNeighInNet(joined, false);
  joined->flags |= GetTabKindFlag(kTabKindDouble);
  joined->ToggleCut(false);
  EXPECT_TRUE(joined->flags & kEdgeUserCut);
  EXPECT_TRUE(across->flags & kEdgeUserCut);
  EXPECT_FALSE(joined->flags & (kEdgeJoined | kEdgePlacementJoin));
  EXPECT_FALSE(across->flags & (kEdgeJoined | kEdgePlacementJoin));
  EXPECT_EQ(joined->connectionId, across->connectionId);
  EXPECT_TRUE(joined->flags & kEdgeTabDouble);  // the user's tab kind stays too
  EXPECT_TRUE(joined->tab && across->tab);
  ExpectValidNets(*model, "icosahedron with a cut");
  model->MakeNets();
  EXPECT_TRUE(joined->flags & kEdgeUserCut);
  EXPECT_FALSE(joined->flags & (kEdgeJoined | kEdgePlacementJoin));
  // Toggled back, the edge may join again.
  joined->ToggleCut(false);
  EXPECT_FALSE(joined->flags & (kEdgeUserCut | kEdgeNeverJoin));
  EXPECT_FALSE(across->flags & (kEdgeUserCut | kEdgeNeverJoin));
  ExpectValidNets(*model, "icosahedron joined again");
}

TEST_F(NetGenerationTest, ACancelLeavesNoNets) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kTruncatedIcosahedron);
  Model3D model(poly.get(), false);
  {
    const TickingClockScope ticking;
    testing::Platform().progress.Current()->onPump = [](platform::HeadlessProgressWindow::State& state) {
      state.cancel = true;
    };
    model.MakeNets();
  }
  EXPECT_GE(testing::Platform().progress.WindowsCreated(), 1);
  EXPECT_FALSE(model.HasNets());
  EXPECT_EQ(model.mNetTypes, nullptr);
  EXPECT_EQ(model.mCurrentNet, nullptr);
  for (Face3D* f : n::AllFacelets(model)) EXPECT_EQ(f->mNet, nullptr);
  EXPECT_FALSE(IsProgressActive());
  // Asked again, the nets are made.
  model.MakeNets();
  EXPECT_TRUE(model.HasNets());
  ExpectValidNets(model, "truncated icosahedron after a cancel");
}

// Long nets report from deep inside the work (growing, merging nets across convex
// edges, trimming tabs): a cancel at any of those reports, by the user's button or by
// the program (a menu command chosen meanwhile), stops the work there, with no report
// after it, leaves no nets and no progress level, and the nets are made in full when
// asked again.
TEST_F(NetGenerationTest, ACancelAnywhereInTheWorkLeavesNoNets) {
  std::unique_ptr<Poly> icosahedron = n::BuildLibraryPoly(n::kIcosahedron);
  std::unique_ptr<SimplePoly> simple = icosahedron->Subdivide(kSubdivideGeodesic, 4);
  ASSERT_TRUE(simple);
  Poly sphere;
  ASSERT_TRUE(CreatePoly(*simple, &sphere, false, false));
  const TickingClockScope ticking;
  auto& progress = testing::Platform().progress;
  int pumps = 0;
  int cancelAt = -1;
  bool byProgram = false;
  // Each window takes the hook over from the one before.
  progress.Current()->onPump = [&](platform::HeadlessProgressWindow::State& state) {
    if (++pumps != cancelAt) return;
    if (byProgram) {
      RequestProgressCancel();
    } else {
      state.cancel = true;
    }
  };
  {
    // The reports of the nets alone.
    Model3D model(&sphere, false);
    pumps = 0;
    model.MakeNets();
    ASSERT_TRUE(model.HasNets());
  }
  const int total = pumps;
  ASSERT_GT(total, 20);
  for (bool program : {false, true}) {
    for (int at : {2, total / 4, total / 2, total - 2, total}) {
      SCOPED_TRACE(std::to_string(at) + (program ? " by the program" : " by the user"));
      Model3D model(&sphere, false);
      pumps = 0;
      cancelAt = at;
      byProgram = program;
      model.MakeNets();
      EXPECT_EQ(pumps, at) << "the work goes on after the cancel";
      EXPECT_EQ(WasProgressCancelRequested(), program);
      EXPECT_FALSE(model.HasNets());
      EXPECT_TRUE(model.mNetsCancelled);
      EXPECT_EQ(model.mNetTypes, nullptr);
      for (Face3D* f : n::AllFacelets(model)) EXPECT_EQ(f->mNet, nullptr);
      EXPECT_FALSE(IsProgressActive());
      cancelAt = -1;
      model.MakeNets();
      ExpectValidNets(model, "sphere after a cancel");
    }
  }
}

// The cube cut into 12 parts a side, built into `cut`.
static bool CutCube(Poly& cut) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  std::unique_ptr<SimplePoly> simple = cube ? cube->Subdivide(0, 12) : nullptr;
  return simple && CreatePoly(*simple, &cut, false, false);
}

// The cube cut into 12 parts a side: six flat faces of 576 facelets, each grown into a
// net of its own and merged into one. Every step answers the window as it goes: no
// more facelets join the nets between two reports than tickers let pass, the bar moves
// all through the facelets and the nets (a net of a whole face placed, its tabs
// trimmed), and a Cancel at a report in the middle of the flat faces, or later, leaves
// no nets and no facelet marked.
TEST_F(NetGenerationTest, TheNetsOfAFinelyCutCubeAnswerTheWindowAsTheyGrow) {
  Poly cut;
  ASSERT_TRUE(CutCube(cut));
  std::vector<Face3D*> facelets;
  auto inNets = [&facelets] {
    int count = 0;
    for (const Face3D* f : facelets) count += f->mNet ? 1 : 0;
    return count;
  };
  auto ticking = std::make_unique<TickingClockScope>();
  auto& progress = testing::Platform().progress;
  int pumps = 0;
  int cancelAt = -1;
  int lastInNets = 0;
  int mostJoined = 0;
  int growing = -1;  // a report at which the flat faces are part grown
  int lastBar = -1, still = 0, longestStill = 0;
  progress.Current()->onPump = [&](platform::HeadlessProgressWindow::State& state) {
    ++pumps;
    const int now = inNets();
    mostJoined = std::max(mostJoined, now - lastInNets);
    if (growing < 0 && now > 0 && now < static_cast<int>(facelets.size())) growing = pumps;
    lastInNets = now;
    still = state.bar == lastBar ? still + 1 : 0;
    longestStill = std::max(longestStill, still);
    lastBar = state.bar;
    if (pumps == cancelAt) state.cancel = true;
  };
  Model3D model(&cut, false);
  facelets = n::AllFacelets(model);
  ASSERT_EQ(facelets.size(), 3456u);
  pumps = 0;
  model.MakeNets();
  ASSERT_TRUE(model.HasNets());
  const int total = pumps;
  // At most a ticker's passes from each of two loops met in turn.
  EXPECT_LE(mostJoined, 2 * static_cast<int>(ProgressTicker::kPasses))
      << "facelets joined the nets between two reports";
  // Of thousands of reports, a few in a row at most leave the bar where it was.
  EXPECT_LE(longestStill, 32) << "the bar stood still over that many reports of " << total;
  ASSERT_GT(growing, 0);
  for (int at : {growing, growing + 1, total / 2, total - 1}) {
    SCOPED_TRACE("cancelled at report " + std::to_string(at) + " of " + std::to_string(total));
    pumps = 0;
    lastInNets = 0;
    cancelAt = at;
    model.MakeNets();
    EXPECT_EQ(pumps, at) << "the work goes on after the cancel";
    EXPECT_FALSE(model.HasNets());
    EXPECT_TRUE(model.mNetsCancelled);
    EXPECT_EQ(model.mNetTypes, nullptr);
    for (const Face3D* f : facelets) {
      EXPECT_EQ(f->mNet, nullptr);
      EXPECT_EQ(f->mFlags & kFaceletVisited, 0u);
    }
    EXPECT_FALSE(IsProgressActive());
  }
  ticking.reset();
  model.MakeNets();
  ExpectValidNets(model, "cube cut into 12 parts");
}

// The facelets of that cube are made answering the window along its faces, not only at
// each kind of face.
TEST_F(NetGenerationTest, TheFaceletsOfAFinelyCutCubeAreMadeAnsweringTheWindow) {
  Poly cut;
  ASSERT_TRUE(CutCube(cut));
  const TickingClockScope ticking;
  int pumps = 0;
  testing::Platform().progress.Current()->onPump = [&pumps](platform::HeadlessProgressWindow::State&) { ++pumps; };
  const Model3D model(&cut, false);
  ASSERT_EQ(n::AllFacelets(model).size(), 3456u);
  // A report at each kind of vertex, at each kind of face and twice more at each as
  // its edges are linked; besides those, the coplanar rings of the flat faces are
  // filed and freed with reports along them.
  int types = 0;
  for (const Face3DType* t = model.mFaceTypes; t; t = t->mNext) ++types;
  EXPECT_GE(pumps, 1 + model.mNumVertTypes + 3 * types + 3456 / static_cast<int>(ProgressTicker::kPasses));
}

// The outline of that cube's one net is filed answering the window as its table of
// edgelets grows, not only once it is filed.
TEST_F(NetGenerationTest, TheOutlineOfALargeNetIsFiledAnsweringTheWindow) {
  Poly cut;
  ASSERT_TRUE(CutCube(cut));
  Model3D model(&cut, false);
  model.MakeNets();
  ASSERT_EQ(model.GetNumNets(), 1);
  const Net& net = *model.GetNet(0);
  int open = 0;
  for (const Face3D* f = net.first; f; f = f->mNextInNet) {
    for (int i = 0; i < f->GetNumEdges(); ++i) open += (f->mEdges[i].flags & kEdgeJoined) ? 0 : 1;
  }
  ASSERT_GT(open, 3000);
  const int pumps = ReportsDuring([&net] {
    NetOutline outline(NetOutline::CellSizeFor(net));
    outline.Fill(net);
  });
  EXPECT_GE(pumps, open / static_cast<int>(ProgressTicker::kPasses));
}

// The one net of that cube, measured for its box: the sort of its outline's ten
// thousand points answers the window as it goes, not only once it is done.
TEST_F(NetGenerationTest, TheBoxOfALargeNetIsMeasuredAnsweringTheWindow) {
  Poly cut;
  ASSERT_TRUE(CutCube(cut));
  Model3D model(&cut, false);
  model.MakeNets();
  ASSERT_EQ(model.GetNumNets(), 1);
  const int pumps = ReportsDuring([&model] { model.SetNetBBoxRadii(); });
  // 3456 facelets of three edges each: over 130,000 comparisons.
  EXPECT_GE(pumps, 3456 * 3 * 12 / static_cast<int>(ProgressTicker::kPasses * 16));
  EXPECT_GT(model.GetNet(0)->type->radiusX, 0.0);
}

// The steps that walk every edgelet of that cube's one net once it is laid out (its
// connections numbered, its tabs assigned, its centre found), and the grid of boxes that
// files its outline and its tabs' obstacles as the grid grows, answer the window along
// the way, not only between them.
TEST_F(NetGenerationTest, TheStepsOverEveryEdgeletOfALargeNetAnswerTheWindow) {
  Poly cut;
  ASSERT_TRUE(CutCube(cut));
  Model3D model(&cut, false);
  model.MakeNets();
  ASSERT_EQ(model.GetNumNets(), 1);
  const int edgelets = 3 * 3456;
  const int every = static_cast<int>(ProgressTicker::kPasses * 16);
  EXPECT_GE(ReportsDuring([&model] { model.NumberEdgeConnections(); }), edgelets / every) << "numbering";
  EXPECT_GE(ReportsDuring([&model] { model.AssignTabs(); }), edgelets / every) << "tabs";
  EXPECT_GE(ReportsDuring([&model] { model.mNetTypes->CalcCentres(); }), 1) << "centre";
  // Every box in a cell of its own: the grid's table of cells grows to a million slots.
  BoxGrid grid(1.0);
  const uint32_t boxes = 300000;
  const int filing = ReportsDuring([&grid] {
    for (uint32_t k = 0; k < boxes; ++k) {
      const double least[2] = {k % 1000 + 0.25, k / 1000 + 0.25};
      const double largest[2] = {least[0] + 0.5, least[1] + 0.5};
      grid.Insert(k, least, largest);
    }
  });
  EXPECT_GE(filing, static_cast<int>(boxes) / every) << "filing";
  // Filed as before.
  std::vector<uint32_t> found;
  const double least[2] = {999.5, 299.5}, largest[2] = {999.5, 299.5};
  grid.Query(least, largest, 0.0, found);
  EXPECT_EQ(found, std::vector<uint32_t>{299999});
  // A table of large records, as the grid's, moves to a larger block a megabyte or so
  // at a time, not a fixed count of records (21 MB of these).
  struct Wide {
    double v[9];
  };
  std::vector<Wide> table(boxes, Wide{{1.0}});
  const int moving = ReportsDuring([&table] { ReserveAnsweringTheWindow(table, table.size() + 1); });
  EXPECT_GE(moving, static_cast<int>(boxes * sizeof(Wide) / (std::size_t{2} << 20))) << "moving";
  EXPECT_EQ(table.size(), boxes);
  EXPECT_EQ(table.back().v[0], 1.0);
}

// The passes that go over a whole net as the nets of a finely cut model's faces are
// merged (its layout made again from its first facelet, checked or not, and the mean
// length of its edges that sizes its outline's cells), and its fold's passes, answer the
// window along the net, not only between nets; checked, the layout comes out as without
// the checks.
TEST_F(NetGenerationTest, TheLayoutOfALargeNetIsMadeAgainAnsweringTheWindow) {
  Poly cut;
  ASSERT_TRUE(CutCube(cut));
  Model3D model(&cut, false);
  model.MakeNets();
  ASSERT_EQ(model.GetNumNets(), 1);
  Net& net = *model.GetNet(0);
  const int facelets = Net::CountFacelets(&net);
  ASSERT_EQ(facelets, 3456);
  auto places = [&net] {
    std::vector<double> all;
    for (const Face3D* f = net.first; f; f = f->mNextInNet) {
      all.insert(all.end(), f->mNetTransform, f->mNetTransform + 6);
    }
    return all;
  };
  const int every = static_cast<int>(ProgressTicker::kPasses);
  EXPECT_GE(ReportsDuring([&net] { net.Relayout(false, nullptr); }), facelets / every) << "laid out";
  const std::vector<double> unchecked = places();
  bool accepted = false;
  EXPECT_GE(ReportsDuring([&net, &accepted] {
              PlacementJoins joins;
              accepted = net.Relayout(true, &joins);
            }),
            facelets / every)
      << "laid out and checked";
  EXPECT_TRUE(accepted);
  EXPECT_GE(ReportsDuring([&net] { (void)NetOutline::CellSizeFor(net); }), 1) << "cell size";
  EXPECT_EQ(places(), unchecked);
  // Its fold with no reports of its own (the marks cleared, the runs' bounds recorded).
  EXPECT_GE(ReportsDuring([&net] { net.Fold(1.0, 1.0, nullptr); }), 2 * facelets / (16 * every)) << "folded";
}

TEST_F(NetGenerationTest, AModelWithAHoleUnfolds) {
  Outcome outcome;
  std::unique_ptr<SimplePoly> simple = CreateTorus(0.4, 8, 6, outcome);
  ASSERT_TRUE(simple);
  Poly torus;
  ASSERT_TRUE(CreatePoly(*simple, &torus, false, false));
  Model3D* model = torus.mBaseBlock->GetModel3D(true, nullptr);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->GetNumFacelets(), 48);
  ExpectValidNets(*model, "torus");
  EXPECT_EQ(testing::Platform().messages.Boxes().size(), 0u);
}

TEST_F(NetGenerationTest, OneSidedModelsAndFacesThroughEachOtherUnfold) {
  for (int index : {n::kTetrahemihexahedron, n::kGreatDodecahedron}) {
    std::unique_ptr<Poly> poly = n::BuildLibraryPoly(index);
    ASSERT_TRUE(poly);
    Model3D* model = poly->mBaseBlock->GetModel3D(true, nullptr);
    ASSERT_NE(model, nullptr) << index;
    ExpectValidNets(*model, GetLibraryEntry(index)->mName);
  }
  // The one-sided model turns over at some edges: those are glued, never joined.
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kTetrahemihexahedron);
  Model3D model(poly.get(), false);
  int seams = 0;
  for (Face3D* f : n::AllFacelets(model)) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      const Edge3D& e = f->mEdges[i];
      if (!(e.flags & kEdgeSameWayNeighbour)) continue;
      ++seams;
      EXPECT_EQ(e.vert, e.mNeigh->vert);
      EXPECT_EQ(e.mNeigh->mNeigh, &e);
    }
  }
  EXPECT_GT(seams, 0);
  EXPECT_EQ(testing::Platform().messages.Boxes().size(), 0u);
}

// A net that its own rotations keep (made from a facelet on an axis, or round a
// vertex on one) grows at every copy of an edge in it, so that each net stays whole
// under them and the facelets it meets are taken up orbit by orbit.
TEST_F(NetGenerationTest, StellatedSurfacesGrowTheirSymmetricNetsInStep) {
  // The small and great rhombihexahedra, the great truncated cuboctahedron, the great
  // dodecicosahedron, and the crossed pentagrammic and heptagrammic cupolae.
  for (int index : {26, 28, 32, 39, 246, 248}) {
    testing::Platform().messages.Clear();
    std::unique_ptr<Poly> poly = n::BuildLibraryPoly(index);
    ASSERT_TRUE(poly);
    const std::string name = GetLibraryEntry(index)->mName;
    Model3D* model = poly->mBaseBlock->GetModel3D(true, nullptr);
    ASSERT_NE(model, nullptr) << name;
    ExpectValidNets(*model, name);
    n::ExpectCongruentTypes(*model, name);
    EXPECT_EQ(testing::Platform().messages.Boxes().size(), 0u) << name;
  }
}

}  // namespace corvia
