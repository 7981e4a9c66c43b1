// The facet model of a stellation: closed (every edge run once each way, the Euler
// characteristic of the surface), its vertices those the stellation counts, the volume
// it encloses that of the included cells, for every stellation that Miller's rules
// give and for models of every kind; its scales; and the plain model while a block is
// not stellated.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "construction/ModelFactory.h"
#include "model/CreatePoly.h"
#include "model/LibraryEntry.h"
#include "core/Progress.h"
#include "core/VectorMath.h"
#include "model/FaceType.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "platform/Services.h"
#include "stellation/Model3DStellation.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationState.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"
#include "tests/stellation/StellationModels.h"
#include "tests/support/TestSupport.h"

namespace test_StellatedModel {

using corvia::Edge3D;
using corvia::Face3D;
using corvia::FaceTypeBlock;
using corvia::Model3D;
using corvia::StellationCell;
using corvia::Vert3D;
using corvia::testing::ConfigModel;
using corvia::testing::CriteriaScope;

struct Surface {
  int vertices = 0;
  int edges = 0;
  int facelets = 0;
  int holes = 0;
  // Edges run more often one way than the other.
  int unbalanced = 0;
  double volume = 0.0;
  int Euler() const { return vertices - edges + facelets - holes; }
};

// The surface of the model as its edgelets give it: edges are the vertex pairs joined,
// the volume a third of each facelet's vector area against a point of its plane.
Surface Measure(Model3D* model) {
  Surface s;
  std::map<std::pair<const Vert3D*, const Vert3D*>, int> runs;
  std::set<const Vert3D*> corners;
  for (int i = 0; i < model->GetNumFacelets(); ++i) {
    Face3D* facelet = model->GetFacelet(i);
    ++s.facelets;
    s.holes += facelet->mType->mNumLoops - 1;
    double area[3] = {0.0, 0.0, 0.0};
    for (int e = 0; e < facelet->GetNumEdges(); ++e) {
      const Edge3D* edge = &facelet->mEdges[e];
      const Vert3D* a = edge->vert;
      const Vert3D* b = edge->GetNextInLoop()->vert;
      corners.insert(a);
      ++runs[{a, b}];
      double c[3];
      corvia::Cross(c, a->mPos, b->mPos);
      corvia::AddTo(area, c);
    }
    s.volume += corvia::Dot(area, facelet->mEdges[0].vert->mPos) / 6.0;
  }
  std::set<std::pair<const Vert3D*, const Vert3D*>> undirected;
  for (const auto& [run, count] : runs) {
    const auto back = runs.find({run.second, run.first});
    if (back == runs.end() || back->second != count) ++s.unbalanced;
    undirected.insert(run.first < run.second ? run : std::make_pair(run.second, run.first));
  }
  s.vertices = static_cast<int>(corners.size());
  s.edges = static_cast<int>(undirected.size());
  return s;
}

// The closed surface that the links between edgelets make: its Euler characteristic
// (corners joined round each vertex through the links, edges as linked pairs) and its
// number of parts. sameWay counts links between edgelets that run the same way.
struct Glued {
  int euler = 0;
  int parts = 0;
  int sameWay = 0;
};

Glued Glue(Model3D* model) {
  Glued g;
  std::set<const Edge3D*> seen;
  int edgelets = 0;
  int holes = 0;
  int corners = 0;
  std::map<const Face3D*, const Face3D*> parent;
  std::function<const Face3D*(const Face3D*)> root = [&](const Face3D* f) {
    while (parent[f] != f) f = parent[f] = parent[parent[f]];
    return f;
  };
  for (int i = 0; i < model->GetNumFacelets(); ++i) parent[model->GetFacelet(i)] = model->GetFacelet(i);
  for (int i = 0; i < model->GetNumFacelets(); ++i) {
    const Face3D* facelet = model->GetFacelet(i);
    holes += facelet->mType->mNumLoops - 1;
    for (int e = 0; e < facelet->GetNumEdges(); ++e) {
      const Edge3D* edge = &facelet->mEdges[e];
      ++edgelets;
      if (edge->Has(corvia::kEdgeSameWayNeighbour)) ++g.sameWay;
      if (edge->mNeigh) parent[root(facelet)] = root(edge->mNeigh->face);
      if (seen.count(edge)) continue;
      ++corners;
      // Round the vertex: the edgelet arriving here, across its link, leaves again.
      const Edge3D* x = edge;
      for (int steps = 0; x && !seen.count(x) && steps < 100000; ++steps) {
        seen.insert(x);
        const Edge3D* arriving = x->GetPrevInLoop();
        x = arriving->mNeigh;
      }
    }
  }
  for (const auto& [facelet, up] : parent) g.parts += facelet == up ? 1 : 0;
  g.euler = corners - edgelets / 2 + model->GetNumFacelets() - holes;
  return g;
}

// The checks every facelet model of a stellation passes: each edge run as often one way
// as the other, every edgelet linked to one across its edge that runs the other way,
// the vertices those the stellation counts, the volume that of the stellation's
// surface, and the glued surface closed and orientable (an even Euler characteristic,
// at most 2 per part).
Surface ExpectClosed(FaceTypeBlock* block) {
  Model3D* model = block->GetModel3D(false, nullptr);
  EXPECT_NE(model, nullptr);
  if (!model) return {};
  const Surface s = Measure(model);
  EXPECT_EQ(s.unbalanced, 0);
  EXPECT_EQ(s.vertices, model->GetNumVerts());
  if (!FaceTypeBlock::IsOriginalStellation(block)) {
    EXPECT_EQ(model->GetNumVerts(), block->mUsedSegVerts);
  }
  const double volume = corvia::testing::StellationVolume(block);
  EXPECT_NEAR(s.volume, volume, 1e-9 * std::fabs(volume));
  for (int i = 0; i < model->GetNumFacelets(); ++i) {
    const Face3D* facelet = model->GetFacelet(i);
    for (int e = 0; e < facelet->GetNumEdges(); ++e) {
      const Edge3D* edge = &facelet->mEdges[e];
      EXPECT_NE(edge->mNeigh, nullptr);
      if (edge->mNeigh) {
        EXPECT_EQ(edge->mNeigh->vert, edge->GetNextInLoop()->vert);
      }
    }
  }
  const Glued g = Glue(model);
  EXPECT_EQ(g.sameWay, 0);
  EXPECT_EQ(g.euler % 2, 0);
  EXPECT_LE(g.euler, 2 * g.parts);
  return s;
}

// Includes the cells of the first shells (layer below the limit).
void IncludeShells(FaceTypeBlock* block, int shells) {
  for (StellationCell* c = block->mFirstCell; c && c != block->GetOuterCell(); c = c->mNext) {
    StellationCell::SetIncluded(c, c->mType->mIndex < shells);
  }
}

}  // namespace test_StellatedModel

// The 59 stellations of the icosahedron as facelet models. The first is the
// icosahedron itself (the plain model: 20 faces); the complete stellation's surface has
// 92 vertices, 270 edges and 180 faces (Wenninger, Polyhedron Models, W42), the first
// stellation's 32, 90 and 60 (W26).
TEST(StellatedModel, MillerStellationsOfTheIcosahedron) {
  using namespace test_StellatedModel;
  CriteriaScope criterion(corvia::kCriteriaMiller);
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  ASSERT_TRUE(block->IsStellated());
  block->mCriteriaFlag = 0;
  block->GoToCore();
  Model3D* plain = block->GetModel3D(false, nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->GetNumFacelets(), 20);
  EXPECT_TRUE(plain->GetFacelet(0)->mFlags & corvia::kFaceletSelectAlone);
  int n = 0;
  do {
    SCOPED_TRACE(n);
    ExpectClosed(block);
    ++n;
  } while (block->NextStellation() && n < 100);
  EXPECT_EQ(n, 59);

  struct Known {
    int shells;
    int vertices, edges, facelets;
  };
  for (const Known& k : {Known{2, 32, 90, 60}, Known{8, 92, 270, 180}}) {
    SCOPED_TRACE(k.shells);
    IncludeShells(block, k.shells);
    const Surface s = ExpectClosed(block);
    EXPECT_EQ(s.vertices, k.vertices);
    EXPECT_EQ(s.edges, k.edges);
    EXPECT_EQ(s.facelets, k.facelets);
    EXPECT_EQ(s.holes, 0);
  }
}

// A stellation made of the first shells is star-shaped about the centre: its surface is
// one sphere.
TEST(StellatedModel, ShellsAreSpheres) {
  using namespace test_StellatedModel;
  for (const char* config : {"3.3.3.3.3", "5.5.5", "3.5.3.5", "V3.5.3.5", "3.4.3.4"}) {
    SCOPED_TRACE(config);
    const bool dual = config[0] == 'V';
    ConfigModel model(dual ? config + 1 : config);
    ASSERT_TRUE(model.built);
    FaceTypeBlock* block = model.Stellated(dual);
    ASSERT_TRUE(block->IsStellated());
    int shells = 0;
    for (StellationCell* c = block->mFirstCell; c != block->GetOuterCell(); c = c->mNext) {
      shells = std::max(shells, c->mType->mIndex + 1);
    }
    for (int k = 1; k <= shells; ++k) {
      SCOPED_TRACE(k);
      IncludeShells(block, k);
      ExpectClosed(block);
      const Glued g = Glue(block->GetModel3D(false, nullptr));
      EXPECT_EQ(g.parts, 1);
      EXPECT_EQ(g.euler, 2);
    }
  }
}

// Models of every kind give closed facelet models along Miller's stellations: faces
// through the centre, chiral snubs, a snub with coplanar faces of two types, compounds,
// and their duals.
TEST(StellatedModel, EveryKindOfModel) {
  using namespace test_StellatedModel;
  CriteriaScope criterion(corvia::kCriteriaMiller);
  for (const char* config :
       {"3.3.3.3", "3.6.3/2.6", "3.4.3/2.4", "4.6.4/3.6", "4.3.3.3.3", "3.3.3.3.5", "3.3.3.3.3.5/2"}) {
    ConfigModel model(config);
    ASSERT_TRUE(model.built) << config;
    for (bool dual : {false, true}) {
      SCOPED_TRACE(std::string(config) + (dual ? " dual" : ""));
      FaceTypeBlock* block = model.Stellated(dual);
      ASSERT_TRUE(block->IsStellated());
      block->mCriteriaFlag = 0;
      block->GoToCore();
      for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE(k);
        // The dual of a model with faces through the centre has corners at infinity:
        // shown unstellated it has no facelet model, and says why.
        corvia::Outcome why;
        if (dual && FaceTypeBlock::IsOriginalStellation(block) && !block->GetModel3D(false, &why)) {
          EXPECT_EQ(why.kind(), corvia::Outcome::Kind::kRefused);
          EXPECT_EQ(why.text(), "This operation may not be performed on a model with infinite vertices");
        } else {
          ExpectClosed(block);
        }
        if (!block->NextStellation()) break;
      }
    }
  }
}

// The model is made again when the cells change; the derived-model factory copies it;
// the scales come from it: the stella octangula reaches sqrt 3 times as far as the
// octahedron, and each face twice as far from its centre.
TEST(StellatedModel, RemadeCopiedAndMeasured) {
  using namespace test_StellatedModel;
  ConfigModel model("3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  ASSERT_TRUE(block->IsStellated());
  const corvia::FaceType* type = block->mFirstFaceType;
  const double radius = UpdateScale(block, nullptr);
  const double faceRadius = corvia::FaceType::GetScale(type);
  EXPECT_EQ(block->GetModel3D(false, nullptr)->GetNumFacelets(), 8);
  IncludeShells(block, 2);
  EXPECT_LT(block->mModelRadius, 0.0);
  Model3D* stellated = block->GetModel3D(false, nullptr);
  ASSERT_NE(stellated, nullptr);
  EXPECT_EQ(stellated->GetNumFacelets(), 24);
  EXPECT_NEAR(UpdateScale(block, nullptr), std::sqrt(3.0) * radius, 1e-12);
  EXPECT_NEAR(corvia::FaceType::GetScale(type), 2.0 * faceRadius, 1e-12);

  uint8_t derived = 0;
  std::unique_ptr<corvia::SimplePoly> copy(
      corvia::DeriveModelForViewType(model.poly, corvia::kPaneStellationOfBase, 0, nullptr, &derived));
  ASSERT_TRUE(copy);
  EXPECT_EQ(derived, 1);
  EXPECT_EQ(copy->NumVerts(), 14);
  EXPECT_EQ(copy->NumFaces(), 24);
}

// Every facelet of a stellation knows the included cell that the facet it was cut
// from bounds; hiding a cell marks exactly its facelets, and neither the surface nor
// the inclusion changes.
TEST(StellatedModel, FaceletsKnowTheirCellAndItsHiddenMark) {
  using namespace test_StellatedModel;
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  ASSERT_TRUE(block->IsStellated());
  // The first stellation whose surface bounds cells of more than one record.
  std::set<StellationCell*> cells;
  Model3D* facets = nullptr;
  for (int step = 0; step < 12 && cells.size() < 2; ++step) {
    block->NextStellation();
    facets = block->GetModel3D(false, nullptr);
    ASSERT_NE(facets, nullptr);
    cells.clear();
    for (int i = 0; i < facets->GetNumFacelets(); ++i) {
      const Face3D* facelet = facets->GetFacelet(i);
      ASSERT_NE(facelet->mFacetLoop, nullptr);
      StellationCell* cell = corvia::GetSurfaceCell(facelet->mFacetLoop->mFacet);
      ASSERT_NE(cell, nullptr) << i;
      EXPECT_TRUE(cell->IsIncluded());
      cells.insert(cell);
    }
  }
  ASSERT_GE(cells.size(), 2u);
  StellationCell* hidden = *cells.begin();
  const std::string inclusion = corvia::testing::Inclusion(block);
  const int facelets = facets->GetNumFacelets();
  hidden->SetHidden(true);
  int marked = 0;
  for (int i = 0; i < facelets; ++i) {
    const Face3D* facelet = facets->GetFacelet(i);
    const bool ofHidden = corvia::GetSurfaceCell(facelet->mFacetLoop->mFacet) == hidden;
    EXPECT_EQ(IsInHiddenCell(*facelet), ofHidden) << i;
    marked += ofHidden;
  }
  EXPECT_GT(marked, 0);
  EXPECT_LT(marked, facelets);
  EXPECT_EQ(block->GetModel3D(false, nullptr), facets);
  EXPECT_EQ(corvia::testing::Inclusion(block), inclusion);
  hidden->SetHidden(false);
  for (int i = 0; i < facelets; ++i) EXPECT_FALSE(IsInHiddenCell(*facets->GetFacelet(i)));
}

// Building the facelets of a large stellation shows progress and can be cancelled: no
// model is kept, and asking again builds it.
TEST(StellatedModel, ProgressAndCancel) {
  using namespace test_StellatedModel;
  ConfigModel model("4.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  ASSERT_TRUE(block->IsStellated());
  block->IncludeAllCells(false);
  corvia::testing::TickingClock clock(0.25);
  corvia::platform::ServiceSet services = corvia::platform::Services();
  services.clock = &clock;
  const corvia::platform::ServiceSet previous = corvia::platform::InstallServices(services);
  auto& progress = corvia::testing::Platform().progress;
  std::string caption;
  progress.Current()->onPump = [&](corvia::platform::HeadlessProgressWindow::State& state) {
    caption = state.caption;
    if (!caption.empty()) state.cancel = true;
  };
  EXPECT_EQ(block->GetModel3D(false, nullptr), nullptr);
  progress.Current()->onPump = nullptr;
  progress.Current()->cancel = false;
  EXPECT_EQ(caption, "Building the facelets of the stellation.");
  EXPECT_FALSE(corvia::IsProgressActive());
  EXPECT_TRUE(block->IsStellated());
  ExpectClosed(block);
  corvia::platform::InstallServices(previous);
}

// The dual of the octahemioctahedron has corners at infinity: its facet model is refused
// once, with the reason given back (and no pane message beside it), and every later
// request (each pane asks on every paint) gets none and no reason, until the cells change.
TEST(StellatedModel, ARefusedFacetModelIsRefusedOnce) {
  using namespace test_StellatedModel;
  ConfigModel model("3.6.3/2.6");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Block(true);
  auto& messages = corvia::testing::Platform().messages;
  auto& views = corvia::testing::Platform().views;
  messages.Clear();
  views.mPaneMessage.clear();
  corvia::Outcome first, second, third;
  EXPECT_EQ(block->GetModel3D(false, &first), nullptr);
  EXPECT_EQ(block->GetModel3D(false, &second), nullptr);
  EXPECT_EQ(block->GetModel3D(true, &third), nullptr);
  EXPECT_EQ(first.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(first.text(), "This operation may not be performed on a model with infinite vertices");
  EXPECT_FALSE(second.told());
  EXPECT_FALSE(third.told());
  EXPECT_TRUE(messages.Boxes().empty());
  EXPECT_TRUE(views.mPaneMessage.empty());
}

// A stellation with every cell left out has no face to show or unfold: the pane says
// so once, the model is not built again on every paint, and taking a cell back in
// brings it back.
TEST(StellatedModel, AStellationWithoutFacesSaysSo) {
  using namespace test_StellatedModel;
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  ASSERT_TRUE(block->IsStellated());
  IncludeShells(block, 0);
  auto& views = corvia::testing::Platform().views;
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  views.mPaneMessage.clear();
  EXPECT_EQ(block->GetModel3D(true, nullptr), nullptr);
  EXPECT_EQ(views.mPaneMessage, "The stellation shown has no faces, so there is nothing to unfold into nets.");
  EXPECT_EQ(messages.Boxes().size(), 0u);
  views.mPaneMessage.clear();
  EXPECT_EQ(block->GetModel3D(false, nullptr), nullptr);
  EXPECT_TRUE(views.mPaneMessage.empty()) << "said once";
  IncludeShells(block, 1);
  corvia::Model3D* facets = block->GetModel3D(true, nullptr);
  ASSERT_NE(facets, nullptr);
  EXPECT_EQ(facets->GetNumFacelets(), 20);
  EXPECT_TRUE(facets->HasNets());
  views.mPaneMessage.clear();
}

// The convex hull of the heptagrammic cupolaic blend (Q+ 7/3), a frustum of 14-fold
// symmetry: from the sixth of its 26 mainline stellations on, its bottom plane holds two
// regions centred on the axis, one round the other, and each is a facelet of its own
// (the inner one was taken for an image of the outer, and the facelets hanging from it
// had no neighbour). Every one is a closed facelet model whose nets are made.
TEST(StellatedModel, HullOfACupolaicBlend) {
  using namespace test_StellatedModel;
  CriteriaScope criterion(corvia::kCriteriaMainline);
  corvia::PolyTemplate polyTemplate;
  corvia::Poly blend;
  ASSERT_TRUE(CreateFromLibraryEntry(&blend, &polyTemplate, corvia::GetLibraryEntry(261), false));
  std::unique_ptr<corvia::SimplePoly> copy(CreateSimplePoly(&blend, corvia::kDeriveBase, nullptr, nullptr));
  ASSERT_NE(copy, nullptr);
  std::unique_ptr<corvia::SimplePoly> hull = corvia::CreateConvexHull(*copy, corvia::kHullKeepColors, nullptr);
  ASSERT_NE(hull, nullptr);
  corvia::Poly poly;
  ASSERT_TRUE(CreatePoly(*hull, &poly, false, false));
  FaceTypeBlock* block = poly.mBaseBlock.get();
  EXPECT_FALSE(Stellate(&poly, block, false).told());
  ASSERT_TRUE(block->IsStellated());
  block->mCriteriaFlag = 0;
  block->GoToCore();
  int n = 0;
  do {
    SCOPED_TRACE(n);
    ExpectClosed(block);
    EXPECT_NE(block->GetModel3D(true, nullptr), nullptr);
    ++n;
  } while (block->NextStellation() && n < 100);
  EXPECT_EQ(n, 26);
}

// Models whose planes leave the centre open, so that no cell lies round it: a Stewart
// toroid (record 217), a cuploid (250) and a cupolaic blend (256). Their cells are
// found from the first facet left without one, and the unstellated model's facelets
// and nets are made: the toroid's surface is closed, of genus 1, and holds its volume.
TEST(StellatedModel, PlanesThatLeaveTheCentreOpen) {
  using namespace test_StellatedModel;
  for (int record : {217, 250, 256}) {
    SCOPED_TRACE(record);
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(CreateFromLibraryEntry(&poly, &polyTemplate, corvia::GetLibraryEntry(record), false));
    FaceTypeBlock* block = poly.mBaseBlock.get();
    corvia::Outcome why;
    Model3D* model = block->GetModel3D(true, &why);
    ASSERT_NE(model, nullptr) << why.text();
    EXPECT_TRUE(model->HasNets());
    if (record != 217) continue;
    const Surface s = ExpectClosed(block);
    EXPECT_NEAR(s.volume, poly.mVolume, 1e-9 * poly.mVolume);
    const Glued g = Glue(model);
    EXPECT_EQ(g.parts, 1);
    EXPECT_EQ(g.euler, 0);
  }
}
