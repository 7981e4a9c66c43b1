// Clicks in the panes: which picked item a click means, what a click does in each
// mouse selection mode in off-screen panes, and the scale commands' arithmetic.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/DeferredPaneWork.h"
#include "app/ModelChange.h"
#include "app/PaneModeCommands.h"
#include "core/FaceImageRef.h"
#include "core/Folders.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "dialogs/ModelDialogs.h"
#include "files/ImageFormats.h"
#include "model/CrossSection.h"
#include "model/Edge.h"
#include "model/FaceImageAttach.h"
#include "model/FaceTypeBlock.h"
#include "model/Measurement.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "render/FlatNetMesh.h"
#include "render/GLSelection.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "render/OutcomeBoxes.h"
#include "render/SelectionItems.h"
#include "stellation/DeferredModelWork.h"
#include "stellation/StellationCell.h"
#include "symmetry/SimplePoly.h"
#include "tests/app/AppTestSupport.h"
#include "tests/stellation/StellationModels.h"
#include "ui/CommandIds.h"

namespace test_PaneMouse {

using namespace corvia;
using corvia::testing::DocumentTest;

GLHit Hit(int kind, int index, uint32_t depth) { return GLHit{MakeSelectionName(kind, index) - 1, depth}; }

bool Means(const PaneHit& hit, int kind, int index) { return hit.kind == kind && hit.index == index; }

TEST(ClickHits, PointsBeforeLinesBeforeFacesUnlessHidden) {
  InitGLSelection(kNumSelectionItemKinds);
  EXPECT_FALSE(ChooseClickHit({}, {}).Found());
  const GLHit front = Hit(kSelectFace, 3, 1000), back = Hit(kSelectFace, 9, 9000);
  // The nearest face under the pixel, whatever the order of the records.
  EXPECT_TRUE(Means(ChooseClickHit({back, front}, {}), kSelectFace, 3));
  // A vertex and an edge on the front face: the vertex wins, then the edge.
  EXPECT_TRUE(Means(ChooseClickHit({front, back}, {Hit(kSelectBaseEdge, 4, 1000), Hit(kSelectBaseVertex, 2, 1100)}),
                    kSelectBaseVertex, 2));
  EXPECT_TRUE(Means(ChooseClickHit({front, back}, {Hit(kSelectBaseEdge, 4, 1000)}), kSelectBaseEdge, 4));
  // A vertex and an edge behind the model are not what the click means.
  EXPECT_TRUE(Means(ChooseClickHit({front, back}, {Hit(kSelectBaseVertex, 7, 8800), Hit(kSelectBaseEdge, 5, 8900)}),
                    kSelectFace, 3));
  // Beside the model: the vertex or edge met around the pointer.
  EXPECT_TRUE(Means(ChooseClickHit({}, {Hit(kSelectDualEdge, 1, 5000)}), kSelectDualEdge, 1));
  // A net's edgelet under the pixel with no face.
  EXPECT_TRUE(Means(ChooseClickHit({Hit(kSelectGlueTab, 6, 10)}, {}), kSelectGlueTab, 6));
}

TEST(ScaleCommands, ScaleForAMeasurementOfEachDimension) {
  EXPECT_DOUBLE_EQ(ScaleForMeasure(0.5, 2.0, 1), 4.0);
  EXPECT_DOUBLE_EQ(ScaleForMeasure(2.0, 8.0, 2), 2.0);
  EXPECT_NEAR(ScaleForMeasure(1.0, 27.0, 3), 3.0, 1e-12);
  // Nothing for values that no scale gives.
  EXPECT_EQ(ScaleForMeasure(1.0, 0.0, 1), 0.0);
  EXPECT_EQ(ScaleForMeasure(1.0, -4.0, 2), 0.0);
  EXPECT_EQ(ScaleForMeasure(0.0, 1.0, 1), 0.0);
  EXPECT_EQ(ScaleForMeasure(1.0, INFINITY, 1), 0.0);
}

class PaneClickTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  }
  void TearDown() override {
    SetMouseSelectionMode(kSelectFacesVertices);
    DocumentTest::TearDown();
  }
  // The window point of a model point in a drawn pane.
  static void WindowOf(CPolyView* pane, const double* point, int& x, int& y) {
    double window[3];
    pane->ApplyViewTransform(window, point);
    x = static_cast<int>(std::lround(window[0]));
    y = static_cast<int>(std::lround(window[1]));
  }
  // The window point of a facelet's centre in a drawn flat net.
  static void WindowOfFacelet(CPolyView* pane, const Face3D* facelet, int& x, int& y) {
    double centre[3], direction[3], normal[3], window[2];
    facelet->GetCentreFrame(kFaceletDrawFlat, centre, direction, normal, nullptr, 1.0);
    pane->Mapping2D().ModelToWindow2D(window, centre);
    x = static_cast<int>(std::lround(window[0]));
    y = static_cast<int>(std::lround(window[1]));
  }
  static PolyElement* FrontFace(CPolyView* pane) {
    PolyElement* best = nullptr;
    for (PolyElement* f = GetCurrentPoly()->mFaces.mHead; f; f = f->mNext) {
      if (!best || Dot(f->mCentre, pane->Camera().GetEye()) > Dot(best->mCentre, pane->Camera().GetEye())) best = f;
    }
    return best;
  }
};

TEST_F(PaneClickTest, MeasuringTwoVerticesGivesTheEdgeLength) {
  CPolyView* pane = AddPane(kViewBasePolyhedron, 300, 300);
  pane->OnDraw();
  SetMouseSelectionMode(kSelectMeasurement);
  PolyElement* face = FrontFace(pane);
  PolyElement* a = face->GetCorner(0);
  PolyElement* b = face->GetCorner(1);
  // Points on the face near its corners: the picked points are the corners, in the face's plane.
  double p[3], q[3];
  for (int k = 0; k < 3; ++k) {
    p[k] = 0.9 * a->mDualVert[k] + 0.1 * face->mCentre[k];
    q[k] = 0.9 * b->mDualVert[k] + 0.1 * face->mCentre[k];
  }
  int x = 0, y = 0;
  WindowOf(pane, p, x, y);
  pane->Clicks().OnClick(x, y, 0);
  WindowOf(pane, q, x, y);
  pane->Clicks().OnClick(x, y, 0);
  double first[4], second[4];
  ASSERT_TRUE(GetMeasuredSegment(first, second));
  for (const double* point : {first, second}) {
    double offset[3];
    Subtract(offset, point, face->mCentre);
    EXPECT_NEAR(Dot(offset, face->mZAxis), 0.0, 1e-9);
  }
  // Clicks this near the corners measure from the corners themselves: the edge's length.
  double d[3];
  Subtract(d, a->mDualVert, b->mDualVert);
  EXPECT_NEAR(GetMeasuredDistance(), VectorLength(d), 1e-9);
}

TEST_F(PaneClickTest, CutModeCutsAndJoinsTheClickedEdgeOfANet) {
  CPolyView* pane = AddPane(kViewUnfoldedNet, 300, 300);
  pane->OnDraw();
  SetMouseSelectionMode(kSelectCutEdges);
  // An edge of the net near the pane's centre.
  PaneHit hit;
  int x = 0, y = 0;
  for (int dy = -30; dy <= 30 && hit.kind != kSelectEdge; dy += 3) {
    for (int dx = -30; dx <= 30 && hit.kind != kSelectEdge; dx += 3) {
      x = 150 + dx;
      y = 150 + dy;
      hit = pane->Clicks().PickAt(x, y);
    }
  }
  ASSERT_EQ(hit.kind, kSelectEdge);
  Model3D* model = pane->GetModel3D();
  ASSERT_NE(model, nullptr);
  auto edgelet = [&]() -> Edge3D* {
    for (Face3DType* type = model->mFaceTypes; type; type = type->mNext) {
      for (int f = 0; f < type->mNumFacelets; ++f) {
        for (int i = 0; i < type->mNumEdges; ++i) {
          Edge3D* e = &type->mFacelets[f].mEdges[i];
          if (Edge3D::GetNumber(e) == hit.index) return e;
        }
      }
    }
    return nullptr;
  };
  ASSERT_NE(edgelet(), nullptr);
  const bool before = edgelet()->Has(kEdgeUserCut);
  pane->Clicks().OnClick(x, y, 0);
  EXPECT_NE(edgelet()->Has(kEdgeUserCut), before);
  pane->OnDraw();
  pane->Clicks().OnClick(x, y, 0);
  EXPECT_EQ(edgelet()->Has(kEdgeUserCut), before);
}

// A drawn polygon joins the nets as a facelet outside the model's running numbers. A
// click on it in the Unfolded Net pane names nothing and tells nothing; the model's own
// facelets are named as ever. The model is the compound random use met it on.
TEST_F(PaneClickTest, AClickOnADrawnPolygonInANetNamesNothingAndTellsNothing) {
  corvia::testing::Platform().dialogs.Queue<CWatermanDialog>([](CWatermanDialog& d) {
    d.mRoot = 5;
    d.mLatticeType = 0;
    return true;
  });
  ASSERT_TRUE(RunDocCommand(kCmdCreateWaterman));
  for (int command : {kCmdCreateConvexCore, kCmdAddBaseAndDual, kCmdCreateConvexCore, kCmdAddBaseAndDual}) {
    ASSERT_TRUE(RunDocCommand(command));
  }
  Poly* poly = GetCurrentPoly();
  ASSERT_STREQ(poly->mName, "Dual compound of ... Convex core of Waterman R5");
  ASSERT_EQ(poly->mFaces.mCount, 86);
  CPolyView* pane = AddPane(kViewUnfoldedNet, 300, 300);
  pane->OnDraw();
  const PolyElement* face = poly->mFaces.mHead;
  for (int i = 0; i < face->mNumSides; ++i) poly->AddFacetVertex(face->GetCorner(i)->mDualVert);
  poly->FinishDrawnPolygon(false, false);
  Model3D* model = pane->GetModel3D();
  ASSERT_TRUE(model && model->HasNets());
  ASSERT_EQ(model->CountDrawnTypes(), 1);
  Face3D* drawn = &model->mDrawnTypes->mFacelets[0];
  ASSERT_NE(drawn->mNet, nullptr);
  model->mCurrentNet = drawn->mNet;
  DocumentTest::WindowOf(pane)->Paint();
  int x = 0, y = 0;
  WindowOfFacelet(pane, drawn, x, y);
  // The pointer is on the drawn facelet, in its own light blue.
  const auto image = DocumentTest::WindowOf(pane)->ReadPixels();
  const uint8_t* pixel = image.Pixel(x, y);
  EXPECT_GT(pixel[2], pixel[0] + 30);
  EXPECT_FALSE(pane->Clicks().PickAt(x, y).Found());
  // Identified, the click names nothing in the status bar, and no box comes.
  SetMouseSelectionMode(kSelectIdentification);
  auto& platform = corvia::testing::Platform();
  platform.views.mStatus.clear();
  platform.messages.Clear();
  pane->Clicks().OnClick(x, y, 0);
  EXPECT_EQ(platform.views.mStatus, "Nothing there");
  EXPECT_TRUE(platform.messages.Boxes().empty()) << platform.messages.Boxes().front().text;

  Face3D* own = model->GetFacelet(model->GetNumFacelets() - 1);
  model->mCurrentNet = own->mNet;
  DocumentTest::WindowOf(pane)->Paint();
  // Near enough for its edges to stand clear of the pointer.
  WindowOfFacelet(pane, own, x, y);
  pane->Mapping2D().Zoom2DAt(8.0, x, y);
  DocumentTest::WindowOf(pane)->Paint();
  WindowOfFacelet(pane, own, x, y);
  EXPECT_TRUE(Means(pane->Clicks().PickAt(x, y), kSelectFacelet, Face3D::GetIndex(own)));
}

// A fault met for every element a pick names (here names too narrow for most of the
// net's facelets and edgelets) is told once for the click, and the click does not act
// on what the pick found: the selection stays.
TEST_F(PaneClickTest, AnInternalErrorOfAPickIsToldOnceAndTheClickEnds) {
  CPolyView* pane = AddPane(kViewUnfoldedNet, 300, 300);
  pane->OnDraw();
  Model3D* model = pane->GetModel3D();
  ASSERT_TRUE(model && model->HasNets() && model->mCurrentNet);
  Poly* poly = GetCurrentPoly();
  poly->SelectFace(poly->mFaces.mHead, false);
  const PolyItem* selected = poly->mSelectedItem;
  ASSERT_NE(selected, nullptr);
  // The whole net within a few pixels of the pointer: the pick names every facelet and
  // edgelet of it.
  int x = 0, y = 0;
  WindowOfFacelet(pane, model->mCurrentNet->first, x, y);
  pane->Mapping2D().Zoom2DAt(0.01, x, y);
  pane->OnDraw();
  corvia::testing::ExpectInternalErrors(1);
  // Two bits of index: from 3 on, nothing can be named.
  InitGLSelection(1 << 30);
  pane->Clicks().OnClick(x, y, 0);
  InitGLSelection(kNumSelectionItemKinds);
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 1);
  EXPECT_EQ(poly->mSelectedItem, selected);
}

// A click on a large model draws for its pick only what lies under the pointer: a pick
// loads a name for each item it draws, a few dozen round the pointer on the front and
// the back of the 8,000-face geodesic sphere (every face, twice, before), and what it
// picks is what lies there: the face under a face's middle, and
// with the vertices and edges shown, the vertex under a corner and the edge under the
// middle of a side.
TEST_F(PaneClickTest, AClickOnALargeModelDrawsOnlyWhatLiesUnderThePointer) {
  std::unique_ptr<SimplePoly> sphere = GetCurrentPoly()->Subdivide(kSubdivideGeodesic, 20);
  ASSERT_TRUE(sphere);
  ASSERT_TRUE(CreateDerivedPolyWithUndo(Doc(), *sphere, -1, false, true).done());
  Poly* poly = GetCurrentPoly();
  ASSERT_EQ(poly->mFaces.mCount, 8000);
  constexpr int kSize = 600;
  CPolyView* pane = AddPane(kViewBasePolyhedron, kSize, kSize);
  pane->OnDraw();
  const double* eye = pane->Camera().GetEye();
  // The pixel whose centre is nearest the model point, and the names a pick there loads.
  auto pixelOf = [&](const double* point, int& x, int& y) {
    double p[3], window[3];
    Scale(p, point, poly->mDisplayScale);
    pane->ApplyViewTransform(window, p);
    x = static_cast<int>(std::floor(window[0]));
    y = static_cast<int>(std::floor(window[1]));
  };
  uint64_t mostNames = 0;
  auto pick = [&](int x, int y) {
    const uint64_t before = pane->GetPickNamesLoaded();
    const PaneHit hit = pane->Clicks().PickAt(x, y);
    mostNames = std::max(mostNames, pane->GetPickNamesLoaded() - before);
    return hit;
  };
  // The faces that face the eye squarely, where the pane shows them largest.
  std::vector<PolyElement*> faces;
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
    double toEye[3];
    Subtract(toEye, eye, f->mCentre);
    NormaliseVector(toEye, toEye);
    if (Dot(toEye, f->mZAxis) > 0.9 && faces.size() < 12) faces.push_back(f);
  }
  ASSERT_EQ(faces.size(), 12u);
  for (PolyElement* face : faces) {
    int x = 0, y = 0;
    pixelOf(face->mCentre, x, y);
    EXPECT_TRUE(Means(pick(x, y), kSelectFace, face->GetIndex())) << "face " << face->GetIndex();
  }
  EXPECT_LT(mostNames, 100u);

  ModelDrawSettings& settings = GetModelDrawSettings();
  const ModelDrawSettings saved = settings;
  settings.showVerts = settings.showEdges = true;
  pane->OnDraw();
  for (PolyElement* face : faces) {
    PolyElement* corner = face->GetCorner(0);
    int x = 0, y = 0;
    pixelOf(corner->mDualVert, x, y);
    EXPECT_TRUE(Means(pick(x, y), kSelectBaseVertex, corner->GetIndex())) << "corner of " << face->GetIndex();
    double a[3], b[3], middle[3];
    ASSERT_TRUE(face->GetSideEnds(0, a, b));
    for (int k = 0; k < 3; ++k) middle[k] = 0.5 * (a[k] + b[k]);
    pixelOf(middle, x, y);
    EXPECT_TRUE(Means(pick(x, y), kSelectBaseEdge, Edge::GetIndex(face->mEdges[0], poly)))
        << "side of " << face->GetIndex();
  }
  settings = saved;
  EXPECT_LT(mostNames, 150u);
}

// A click in the Unfolded Net pane of a net of 18,000 facelets compares the pick region
// with the boxes of the facelets filed near it, a few hundred with the whole net in the
// pane, not with every facelet's box (twice a click before), and picks what lies under
// the pointer: the facelet under the middle of facelets across the net.
TEST_F(PaneClickTest, AClickOnALargeNetTestsOnlyTheFaceletsUnderThePointer) {
  std::unique_ptr<SimplePoly> sphere = GetCurrentPoly()->Subdivide(kSubdivideGeodesic, 30);
  ASSERT_TRUE(sphere);
  ASSERT_TRUE(CreateDerivedPolyWithUndo(Doc(), *sphere, -1, false, true).done());
  const int32_t maxFaces = GetUnitSettings().mMaxFacesPerNet;
  GetUnitSettings().mMaxFacesPerNet = 1000000;
  CPolyView* pane = AddPane(kViewUnfoldedNet, 400, 400);
  DocumentTest::WindowOf(pane)->Paint();
  if (IsModelWorkPending(GetCurrentPoly()->mBaseBlock.get())) {
    EXPECT_TRUE(RunDeferredModelWork(TellOutcome));
  }
  DocumentTest::WindowOf(pane)->Paint();
  GetUnitSettings().mMaxFacesPerNet = maxFaces;
  Model3D* model = pane->GetModel3D();
  ASSERT_TRUE(model && model->HasNets() && model->mCurrentNet);
  const Net* net = model->mCurrentNet;
  const std::vector<Face3D*>& places = net->Places();
  ASSERT_GE(places.size(), 10000u);
  // The whole net in the pane, and near enough for a facelet's edges to stand clear of
  // the pointer.
  uint64_t mostTested = 0;
  const uint64_t whole = net->CountFaceletBoxesTested();
  pane->Clicks().PickAt(200, 200);
  mostTested = net->CountFaceletBoxesTested() - whole;
  for (size_t k = 0; k < 10; ++k) {
    const Face3D* facelet = places[k * places.size() / 10];
    int x = 0, y = 0;
    WindowOfFacelet(pane, facelet, x, y);
    pane->Mapping2D().Zoom2DAt(32.0, x, y);
    DocumentTest::WindowOf(pane)->Paint();
    WindowOfFacelet(pane, facelet, x, y);
    const uint64_t before = net->CountFaceletBoxesTested();
    EXPECT_TRUE(Means(pane->Clicks().PickAt(x, y), kSelectFacelet, Face3D::GetIndex(facelet))) << "facelet " << k;
    mostTested = std::max(mostTested, net->CountFaceletBoxesTested() - before);
    pane->Mapping2D().Zoom2DAt(1.0 / 32.0, x, y);
  }
  EXPECT_GT(mostTested, 0u);
  EXPECT_LT(mostTested, 1000u) << "of " << places.size();

  // The selection of a face (as a click in the model pane makes it) and of an edgelet
  // (as a click on it in a net pane), and the repaints of both net panes after each,
  // gather none of the nets again.
  // Without tabs, the folded net of this size is drawn from what the pane keeps.
  NetSettings& nets = GetNetSettings();
  const bool standing = nets.show3DTabs, glued = GetNetDrawSettings().showTabsOnFoldingNets;
  nets.show3DTabs = GetNetDrawSettings().showTabsOnFoldingNets = false;
  CPolyView* folding = AddPane(kViewFoldingNet, 400, 400);
  DocumentTest::WindowOf(folding)->Paint();
  ASSERT_GT(CountFoldedNetFaceletsGathered(), 0u);
  // A click there draws for the pick what lies under the pointer (every facelet before)
  // and picks the facelet nearest the eye under its centre.
  Face3D* nearest = nullptr;
  double nearestCentre[3] = {0.0, 0.0, 0.0};
  for (Face3D* f : places) {
    double centre[3];
    f->GetPlacedCentroid(centre);
    Scale(centre, centre, GetCurrentPoly()->mDisplayScale);
    if (nearest && Dot(centre, folding->Camera().GetEye()) <= Dot(nearestCentre, folding->Camera().GetEye())) continue;
    nearest = f;
    CopyVector(nearestCentre, centre);
  }
  int x = 0, y = 0;
  WindowOf(folding, nearestCentre, x, y);
  const uint64_t names = folding->GetPickNamesLoaded();
  EXPECT_TRUE(Means(folding->Clicks().PickAt(x, y), kSelectFacelet, Face3D::GetIndex(nearest)));
  EXPECT_LT(folding->GetPickNamesLoaded() - names, 1000u) << "of " << places.size();
  const unsigned long gathered = CountFlatNetFaceletsGathered() + CountFoldedNetFaceletsGathered();
  Face3D* facelet = places[places.size() / 2];
  GetCurrentPoly()->SelectFace(facelet->mSourceFace, false);
  ASSERT_TRUE(facelet->IsSelected(GetCurrentPoly()));
  DocumentTest::WindowOf(pane)->Paint();
  DocumentTest::WindowOf(folding)->Paint();
  DescribeSelectedEdge(model, &facelet->mEdges[0]);
  ASSERT_EQ(model->mSelectedEdge, &facelet->mEdges[0]);
  DocumentTest::WindowOf(pane)->Paint();
  DocumentTest::WindowOf(folding)->Paint();
  EXPECT_EQ(CountFlatNetFaceletsGathered() + CountFoldedNetFaceletsGathered(), gathered);
  nets.show3DTabs = standing;
  GetNetDrawSettings().showTabsOnFoldingNets = glued;
}

// The Folding Net pane of a model of 21,600 facelets folds none of its nets in a paint
// (a paint once folded them all, two seconds at a million facelets): the paint asks the
// idle work, and shows nothing before their first fold and the nets as they were last
// folded after a new fraction. The idle work's fold, under its progress window, is what
// the pane shows next, its buffers placed there too; its Cancel leaves the pane as it was
// and not asking again.
// A click in the Cell Diagram pane draws for its pick the boxes round the pointer, not
// every cell's box (twice a click before), and what it picks is what the diagram drawn
// a cell at a time picks: the same records, names and depths, at points across the
// pane fitted (a hidden cell among them) and zoomed in on a corner.
TEST_F(PaneClickTest, AClickInTheCellDiagramDrawsTheBoxesRoundThePointer) {
  ASSERT_TRUE(Doc().SetModel(Find("Snub Cube"), false, false));
  corvia::testing::StellateCurrentBase(2);
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  ASSERT_GT(block->GetNumCells(), 100);
  block->mFirstCell->mNext->SetHidden(true);
  constexpr int kWidth = 400, kHeight = 300;
  CPolyView* pane = AddPane(kViewCellDiagram, kWidth, kHeight);
  pane->OnDraw();
  uint64_t mostNames = 0;
  auto records = [&](int x, int y, bool oneByOne) {
    pane->Drawing().SetCellDiagramOneByOne(oneByOne);
    const uint64_t before = pane->GetPickNamesLoaded();
    std::vector<GLHit> hits;
    for (const bool wide : {false, true}) pane->DoSelection(hits, x, y, wide);
    if (!oneByOne) mostNames = std::max(mostNames, pane->GetPickNamesLoaded() - before);
    pane->Drawing().SetCellDiagramOneByOne(false);
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (const GLHit& hit : hits) out.emplace_back(hit.name, hit.depth);
    return out;
  };
  for (const double zoom : {1.0, 8.0}) {
    if (zoom != 1.0) pane->Mapping2D().Zoom2DAt(zoom, 60, 50);
    pane->OnDraw();
    int found = 0;
    for (int y = 3; y < kHeight; y += 9) {
      for (int x = 3; x < kWidth; x += 9) {
        const auto kept = records(x, y, false);
        EXPECT_EQ(kept, records(x, y, true)) << "at " << x << ", " << y << " zoom " << zoom;
        found += kept.empty() ? 0 : 1;
      }
    }
    EXPECT_GT(found, 150) << "zoom " << zoom;
  }
  EXPECT_LT(mostNames, 20u) << "of " << block->GetNumCells() << " cells";
}

TEST_F(PaneClickTest, ALargeModelsNetsAreFoldedByTheIdleWorkNotInThePaint) {
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  std::unique_ptr<SimplePoly> cube = GetCurrentPoly()->Subdivide(0, 30);
  ASSERT_TRUE(cube);
  ASSERT_TRUE(CreateDerivedPolyWithUndo(Doc(), *cube, -1, false, true).done());
  // The pixels of two pictures of the pane that differ.
  auto CountDifferentPixels = [](const GLBitmap& a, const GLBitmap& b) {
    int count = 0;
    for (int y = 0; y < std::min(a.height, b.height); ++y) {
      for (int x = 0; x < std::min(a.width, b.width); ++x) count += std::memcmp(a.Pixel(x, y), b.Pixel(x, y), 3) != 0;
    }
    return count;
  };
  NetSettings& settings = GetNetSettings();
  const double fraction = settings.foldFraction;
  settings.foldFraction = 0.5;
  CPolyView* pane = AddPane(kViewFoldingNet, 300, 300);
  OffscreenViewWindow* window = DocumentTest::WindowOf(pane);
  window->Paint();
  if (IsModelWorkPending(GetCurrentPoly()->mBaseBlock.get())) {
    EXPECT_TRUE(RunDeferredModelWork(TellOutcome));
  }
  Model3D* model = pane->GetModel3D();
  ASSERT_TRUE(model && model->HasNets());
  ASSERT_GE(model->GetNumFacelets(), kDeferredFoldFacelets);
  const GLBitmap empty = (window->Paint(), window->ReadPixels());
  auto paintAfterIdleWork = [&] {
    for (int turns = 0; turns < 4 && RunDeferredPaneWork(); ++turns) window->Paint();
    window->Paint();
    return window->ReadPixels();
  };
  ASSERT_EQ(model->GetFoldCount(), 0u) << "folded in the paint";
  EXPECT_TRUE(HasDeferredFolding());
  const GLBitmap half = paintAfterIdleWork();
  EXPECT_EQ(model->GetFoldCount(), 1u);
  ASSERT_GT(CountFoldedNetFaceletsGathered(), 0u) << "drawn one by one";
  EXPECT_GT(CountDifferentPixels(half, empty), 300 * 300 / 20);

  settings.foldFraction = 0.9;
  window->Paint();
  EXPECT_EQ(model->GetFoldCount(), 1u) << "folded in the paint";
  EXPECT_EQ(CountDifferentPixels(window->ReadPixels(), half), 0);
  // Cancelled by the user: the pane as it was, and no more asking.
  corvia::testing::TickingClock clock(1.0);
  platform::ServiceSet services = platform::Services();
  services.clock = &clock;
  const platform::ServiceSet before = platform::InstallServices(services);
  corvia::testing::Platform().progress.Current()->onPump = [](auto& state) { state.cancel = true; };
  EXPECT_TRUE(RunDeferredPaneWork());
  corvia::testing::Platform().progress.Current()->onPump = nullptr;
  corvia::testing::Platform().progress.Current()->cancel = false;
  platform::InstallServices(before);
  window->Paint();
  EXPECT_FALSE(HasDeferredFolding());
  EXPECT_EQ(model->GetFoldCount(), 1u);
  EXPECT_EQ(CountDifferentPixels(window->ReadPixels(), half), 0);
  // The view chosen again asks again. The idle work folds the nets, then places the
  // pane's buffers anew: a paint between the two draws the old places, and the paint
  // after them places nothing and shows the new fold.
  pane->ChooseViewType(kViewFoldingNet);
  window->Paint();
  EXPECT_TRUE(HasDeferredFolding());
  EXPECT_TRUE(FoldAskedNets({model}));
  EXPECT_EQ(model->GetFoldCount(), 2u);
  const unsigned long placed = CountFoldedNetFaceletsPlaced();
  window->Paint();
  EXPECT_EQ(CountFoldedNetFaceletsPlaced(), placed) << "placed in the paint";
  EXPECT_EQ(CountDifferentPixels(window->ReadPixels(), half), 0);
  for (int turns = 0; turns < 4 && RunDeferredPaneWork(); ++turns) {
  }
  const unsigned long placedWhenIdle = CountFoldedNetFaceletsPlaced();
  EXPECT_GE(placedWhenIdle - placed, static_cast<unsigned long>(kDeferredFlatNetFacelets));
  window->Paint();
  EXPECT_EQ(CountFoldedNetFaceletsPlaced(), placedWhenIdle) << "placed in the paint";
  EXPECT_GT(CountDifferentPixels(window->ReadPixels(), half), 300 * 300 / 50);
  settings.foldFraction = fraction;
}

TEST_F(PaneClickTest, MidradiusOfUniformModels) {
  // The icosahedron of radius 1: its midradius is the golden ratio over the radius of
  // the icosahedron of edge 2.
  const double phi = (1.0 + std::sqrt(5.0)) / 2.0;
  EXPECT_NEAR(GetMidradius(GetCurrentPoly()), phi / std::sqrt(phi * phi + 1.0), 1e-9);
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  EXPECT_NEAR(GetMidradius(GetCurrentPoly()), std::sqrt(2.0 / 3.0), 1e-9);
  UnitSettings& units = GetUnitSettings();
  const double saved = units.mLengthScale;
  ASSERT_TRUE(ScaleModelTo(ScaleMeasure::Midradius, 2.0));
  EXPECT_NEAR(GetMidradius(GetCurrentPoly()) * units.mLengthScale, 2.0, 1e-9);
  ASSERT_TRUE(ScaleModelTo(ScaleMeasure::DualInradius, 1.5));
  const double mid = GetMidradius(GetCurrentPoly());
  EXPECT_NEAR(mid * mid * units.mLengthScale, 1.5, 1e-9);
  units.SetLengthScale(saved, false);
}

TEST_F(PaneClickTest, ExportImageWritesThePaneAtItsSize) {
  InstallImageFormatTest();
  CPolyView* pane = AddPane(kViewBasePolyhedron, 120, 90);
  const std::string path = (corvia::testing::ScratchDir("pane-export-command") / "model.jpg").string();
  std::filesystem::remove(path);
  corvia::testing::Platform().fileDialogs.QueueChoice(path, 2);
  pane->OnFileExportImage();
  ASSERT_EQ(corvia::testing::Platform().fileDialogs.mRequests.size(), 1u);
  EXPECT_TRUE(corvia::testing::Platform().fileDialogs.mRequests[0].saving);
  EXPECT_TRUE(std::filesystem::exists(path));
  // Cancelled, nothing is written.
  std::filesystem::remove(path);
  corvia::testing::Platform().fileDialogs.QueueCancel();
  pane->OnFileExportImage();
  EXPECT_FALSE(std::filesystem::exists(path));

  // The name offered is the model's, dots of its vertex configuration and all, as a
  // PNG file in the image folder; taken as it stands, it is written.
  const platform::FileDialogRequest& offered = corvia::testing::Platform().fileDialogs.mRequests.back();
  EXPECT_EQ(offered.fileName, pane->Caption().GetExportModelName() + ".png");
  const std::string folder = DefaultFolder(DefaultFolderKind::Image).GetPath();
  EXPECT_EQ(offered.folder, folder);
  const std::string named = folder + offered.fileName;
  std::filesystem::remove(named);
  corvia::testing::Platform().fileDialogs.QueueChoice(named);
  pane->OnFileExportImage();
  EXPECT_TRUE(std::filesystem::exists(named));
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Error"), 0);
  std::filesystem::remove(named);

  // A file that cannot be made is told once, with its reason.
  corvia::testing::Platform().messages.Clear();
  const std::string nowhere = folder + "no such folder/model.png";
  corvia::testing::Platform().fileDialogs.QueueChoice(nowhere);
  pane->OnFileExportImage();
  ASSERT_EQ(corvia::testing::Platform().messages.Boxes().size(), 1u);
  EXPECT_NE(corvia::testing::Platform().messages.Boxes()[0].text.find("no new file can be made"), std::string::npos)
      << corvia::testing::Platform().messages.Boxes()[0].text;
  corvia::testing::Platform().messages.Clear();
}

TEST_F(PaneClickTest, ImageModePlacesAnImageAndAClickPicksTheFace) {
  InstallImageFormatTest();
  CPolyView* pane = AddPane(kViewBasePolyhedron, 300, 300);
  pane->OnDraw();
  const std::string path = (corvia::testing::ScratchDir("pane-image-mode") / "picture.png").string();
  ASSERT_TRUE(pane->ExportImage(path.c_str(), 16, 16));
  Poly* poly = GetCurrentPoly();
  PolyElement* current = poly->GetCurrentFace();
  ASSERT_NE(current, nullptr);
  // Cancelled, nothing is placed; chosen, the current face shows the picture.
  corvia::testing::Platform().fileDialogs.QueueCancel();
  EXPECT_FALSE(PlaceImageOnCurrentFace());
  EXPECT_EQ(current->GetImage(), nullptr);
  corvia::testing::Platform().fileDialogs.QueueChoice(path);
  EXPECT_TRUE(PlaceImageOnCurrentFace());
  EXPECT_NE(current->GetImage(), nullptr);
  // A face with an image is not asked for again.
  EXPECT_FALSE(PlaceImageOnCurrentFace());

  SetMouseSelectionMode(kSelectImage);
  PolyElement* face = FrontFace(pane);
  int x = 0, y = 0;
  WindowOf(pane, face->mCentre, x, y);
  pane->Clicks().OnClick(x, y, 0);
  EXPECT_EQ(poly->GetCurrentFace(), face);
  pane->Clicks().OnClick(x, y, 0);
  EXPECT_EQ(poly->GetCurrentFace(), face);
  DetachFromFace(current);
}

TEST_F(PaneClickTest, SectionTumbleModeTurnsTheSlicingPlaneNotTheCamera) {
  CPolyView* section = AddPane(kViewCrossSection, 200, 150);
  CPolyView* model = AddPane(kViewBasePolyhedron, 200, 150);
  section->OnDraw();
  model->OnDraw();
  auto frame = [] { return std::vector<double>(SlicingFrame(), SlicingFrame() + 12); };
  auto drag = [](CPolyView* pane) {
    pane->OnButtonDown(kMouseButtonLeft, 100, 75, 0);
    pane->OnMouseMove(130, 75, 0);
    pane->OnButtonUp(kMouseButtonLeft, 130, 75, 0);
  };
  const std::vector<double> before = frame();
  SetMouseSelectionMode(kSelectSectionTumble);
  // A model pane without the section in it keeps its camera's tumble.
  const double eye[3] = {model->Camera().GetEye()[0], model->Camera().GetEye()[1], model->Camera().GetEye()[2]};
  drag(model);
  EXPECT_EQ(frame(), before);
  EXPECT_NE(model->Camera().GetEye()[0], eye[0]);
  drag(section);
  EXPECT_NE(frame(), before);
  // Leaving the mode stops the plane's throw; the section pane pans again.
  SetMouseSelectionMode(kSelectFacesVertices);
  const std::vector<double> turned = frame();
  drag(section);
  EXPECT_EQ(frame(), turned);
}

}  // namespace test_PaneMouse
