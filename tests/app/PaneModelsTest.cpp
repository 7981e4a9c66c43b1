// What the geometry asks of the panes through the document: the plain models a pane
// shows, named as its title names them, and the pivot axis through the selection.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "construction/ModelFactory.h"
#include "core/VectorMath.h"
#include "model/Edge.h"
#include "model/ModelSymmetry.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/app/AppTestSupport.h"

namespace test_PaneModels {

using namespace corvia;
using corvia::testing::DocumentTest;

class PaneModelsTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  }
  void TearDown() override {
    if (Poly* poly = Doc().GetCurrentPoly(); poly && poly->mSymGroup) SelectAxis(poly->mSymGroup, -1);
    SetLinkedViews(false);
    DocumentTest::TearDown();
  }
  Poly* Model() { return Doc().GetCurrentPoly(); }
  static void ExpectAxis(const CPolyView* pane, const double* expected) {
    const double* axis = pane->Navigation().GetPivotThrow()->mAxis;
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(axis[k], expected[k], 1e-9) << "component " << k;
  }
};

TEST_F(PaneModelsTest, EachPaneGivesTheModelItShows) {
  CPolyView* base = AddPane(kViewBasePolyhedron);
  CPolyView* dual = AddPane(kViewDualPolyhedron);
  CPolyView* stellation = AddPane(kViewStellationOfBase);

  std::unique_ptr<SimplePoly> model(CreateModel(Model(), 0, nullptr, nullptr, CPolyDoc::GetPaneViewType(base)));
  ASSERT_TRUE(model);
  EXPECT_EQ(model->NumVerts(), 12);
  EXPECT_EQ(model->name, "Icosahedron");
  EXPECT_EQ(model->dualName, "Dodecahedron");

  // The dual pane's copy swaps the names with the sides.
  model.reset(CreateModel(Model(), 0, nullptr, nullptr, CPolyDoc::GetPaneViewType(dual)));
  ASSERT_TRUE(model);
  EXPECT_EQ(model->NumVerts(), 20);
  EXPECT_EQ(model->name, "Dodecahedron");
  EXPECT_EQ(model->dualName, "Icosahedron");

  // The unstellated icosahedron's stellation is the icosahedron itself.
  uint8_t derived = 0;
  model.reset(CreateModel(Model(), 0, nullptr, &derived, CPolyDoc::GetPaneViewType(stellation)));
  ASSERT_TRUE(model);
  EXPECT_EQ(derived, 1);
  EXPECT_EQ(model->NumFaces(), 20);
}

TEST_F(PaneModelsTest, WithoutAPaneTheActivePaneDecides) {
  CPolyView* dual = AddPane(kViewDualPolyhedron);
  dual->Activate(false);
  std::unique_ptr<SimplePoly> model(CreateModel(Model(), 0, nullptr, nullptr, CPolyDoc::GetPaneViewType(nullptr)));
  ASSERT_TRUE(model);
  EXPECT_EQ(model->NumVerts(), 20);
  EXPECT_EQ(model->name, "Dodecahedron");

  // A model that is not the document's, with no pane, keeps its own names and its own side.
  PolyTemplate cube;
  Poly other;
  ASSERT_TRUE(cube.Parse("4.4.4", nullptr));
  ASSERT_TRUE(other.Build(&cube, 0));
  other.SetName("Box");
  model.reset(CreateModel(&other, 0, nullptr, nullptr, 0));
  ASSERT_TRUE(model);
  EXPECT_EQ(model->NumVerts(), 8);
  EXPECT_EQ(model->name, "Box");

  // The tight fit measures the pane's model.
  dual->Drawing().FitGeometryToView(kFitTight);
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 0);
}

TEST_F(PaneModelsTest, ASelectedAxisBecomesThePivotAxis) {
  CPolyView* first = AddPane(kViewBasePolyhedron);
  CPolyView* second = AddPane(kViewDualPolyhedron);
  const double before[3] = {0, 1, 0};
  SymGroup* group = Model()->mSymGroup;
  ASSERT_TRUE(group);
  ASSERT_GT(group->TotalAxes(), 1);

  // The selection's caller has the document show what it asks.
  auto selectAxis = [this, group](int i) {
    if (SelectAxis(group, i)) Doc().PivotAroundSelectedItem();
    ShowSelectionChangeOf(Model());
  };
  first->Activate(false);
  selectAxis(1);
  ExpectAxis(first, group->GetAxis(1)->direction);
  ExpectAxis(second, before);

  // Linked views all turn about the same axis.
  SetLinkedViews(true);
  selectAxis(0);
  ExpectAxis(first, group->GetAxis(0)->direction);
  ExpectAxis(second, group->GetAxis(0)->direction);

  // A selected vertex takes the axis's place: the pivot runs through it.
  PolyElement* vertex = nullptr;
  for (int i = 0; i < Model()->mNumEdges && !vertex; ++i) {
    PolyElement* ends[2] = {nullptr, nullptr};
    Model()->GetEdge(i)->GetVerts(false, ends);
    vertex = ends[0];
  }
  ASSERT_TRUE(vertex);
  Model()->SelectEdge(vertex, true);
  ShowSelectionChangeOf(Model());
  EXPECT_EQ(SelectedSymAxis, nullptr);
  double through[3];
  ASSERT_TRUE(NormaliseVector(through, vertex->mDualVert));
  ExpectAxis(first, through);
  ExpectAxis(second, through);
}

}  // namespace test_PaneModels
