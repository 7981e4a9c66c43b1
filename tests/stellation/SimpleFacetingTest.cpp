// Facets drawn by hand: adding clicked vertices, finishing polygons, and the faceted
// model made of each drawn facet repeated over the symmetry group.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "core/VectorMath.h"
#include "model/CreatePoly.h"
#include "model/PolyElement.h"
#include "stellation/SimpleFaceting.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/stellation/FacetingModels.h"

namespace corvia {
namespace {

using testing::DrawnCorners;
using testing::FacetingDocument;
using testing::FacetingFixture;
using testing::TemplateModel;

class SimpleFaceting : public FacetingFixture {
 protected:
  void SetUp() override {
    FacetingFixture::SetUp();
    testing::Platform().messages.Clear();
  }

  // The model's vertices lying in the plane through the first vertex with the normal.
  static std::vector<const PolyElement*> VerticesInPlane(const Poly& poly, const double* normal, double d) {
    std::vector<const PolyElement*> found;
    for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
      if (std::fabs(Dot(v->mDualVert, normal) - d) < 1e-6) found.push_back(v);
    }
    return found;
  }

  // Draws a facet through the given vertices, in order, and finishes it.
  static void Draw(Poly& poly, const std::vector<const PolyElement*>& corners) {
    for (const PolyElement* v : corners) poly.AddFacetVertex(v->mDualVert);
    poly.FinishDrawnPolygon(false, false);
  }

  static int LiveFaces(const SimplePoly& simple) {
    int count = 0;
    for (int f = 0; f < simple.NumFaces(); ++f) count += simple.FaceAt(f).IsTemp() ? 0 : 1;
    return count;
  }
};

TEST_F(SimpleFaceting, ClickingTheLastVertexAgainTakesItBack) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  const PolyElement* face = model.poly.mFaces.mHead;
  const PolyElement* a = face->GetCorner(0);
  const PolyElement* b = face->GetCorner(1);
  const PolyElement* c = face->GetCorner(2);
  model.poly.AddFacetVertex(a->mDualVert);
  model.poly.AddFacetVertex(b->mDualVert);
  model.poly.AddFacetVertex(c->mDualVert);
  EXPECT_EQ(DrawnCorners(model.poly).front().size(), 3u);
  model.poly.AddFacetVertex(c->mDualVert);
  EXPECT_EQ(DrawnCorners(model.poly).front().size(), 2u);
  // The vertex before the last takes the last back too; one vertex left is none.
  model.poly.AddFacetVertex(a->mDualVert);
  EXPECT_TRUE(DrawnCorners(model.poly).empty());
}

TEST_F(SimpleFaceting, AVertexOffThePlaneIsRefused) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  const PolyElement* face = model.poly.mFaces.mHead;
  for (int i = 0; i < 3; ++i) model.poly.AddFacetVertex(face->GetCorner(i)->mDualVert);
  // A vertex of the opposite face.
  const PolyElement* off = nullptr;
  for (const PolyElement* v = model.poly.mVertices.mHead; v && !off; v = v->mNext) {
    if (Dot(v->mDualVert, face->mZAxis) < 0.0) off = v;
  }
  ASSERT_TRUE(off);
  Faceting& faceting = model.BaseFaceting();
  ASSERT_TRUE(faceting.Prepare());
  faceting.mCurrentFacet = faceting.GetFirstFacet();
  model.poly.AddFacetVertex(off->mDualVert);
  EXPECT_EQ(DrawnCorners(model.poly).front().size(), 3u);
  EXPECT_EQ(testing::Platform().views.mPaneMessage, "Vertex not coplanar with existing polygon");
  EXPECT_EQ(testing::Platform().views.mStatus, "Vertex not coplanar with existing polygon");
  EXPECT_TRUE(faceting.mCurrentFacet) << "a refused vertex changes nothing";
  model.poly.AddFacetVertex(face->GetCorner(3)->mDualVert);
  EXPECT_EQ(DrawnCorners(model.poly).front().size(), 4u);
  EXPECT_EQ(faceting.mCurrentFacet, nullptr) << "a change forgets the faceting selection";
}

TEST_F(SimpleFaceting, FinishingDropsRepeatedCornersAndStartsANewPolygon) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  const PolyElement* face = model.poly.mFaces.mHead;
  DrawnPolygon* polygon = model.poly.mCurrentDrawnPolygon;
  for (int i : {0, 0, 1, 2, 3, 3, 0}) NewPolygonVertex(0, 0, nullptr, face->GetCorner(i)->mDualVert, polygon->ring);
  const size_t undoSteps = testing::Platform().undo.mCalls.size();
  model.poly.FinishDrawnPolygon(false, true);
  ASSERT_EQ(DrawnCorners(model.poly).size(), 1u);
  EXPECT_EQ(DrawnCorners(model.poly).front().size(), 4u);
  EXPECT_NE(model.poly.mCurrentDrawnPolygon, polygon);
  EXPECT_EQ(model.poly.mLastDrawnPolygon, model.poly.mCurrentDrawnPolygon);
  EXPECT_EQ(testing::Platform().undo.mCalls.size(), undoSteps + 1);
  EXPECT_EQ(testing::Platform().undo.mCalls.back().type, kUndoDrawnPolygons);
  // Nothing to finish: the open polygon stays, no undo step.
  DrawnPolygon* open = model.poly.mCurrentDrawnPolygon;
  model.poly.FinishDrawnPolygon(false, true);
  EXPECT_EQ(model.poly.mCurrentDrawnPolygon, open);
  EXPECT_EQ(testing::Platform().undo.mCalls.size(), undoSteps + 1);
  // Finishing with a faceting reset empties the current faceting.
  Faceting& faceting = model.BaseFaceting();
  ASSERT_TRUE(faceting.FindNextFaceting());
  Draw(model.poly, {face->GetCorner(0), face->GetCorner(1), face->GetCorner(2)});
  EXPECT_TRUE(faceting.GetFirstFacetInFaceting());
  for (int i = 0; i < 3; ++i) model.poly.AddFacetVertex(face->GetCorner(i)->mDualVert);
  model.poly.FinishDrawnPolygon(true, false);
  EXPECT_FALSE(faceting.GetFirstFacetInFaceting());
}

TEST_F(SimpleFaceting, WithoutFacetsThereIsNothingToBuild) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  document.mMenuPaths[kCommandFacetingMode] = "Selection->Mouse Selection Mode->Faceting Mode";
  Outcome why;
  EXPECT_EQ(CreateSimpleFacetedPolyhedron(&model.poly, kFacetedQuiet, nullptr, &why), nullptr);
  EXPECT_TRUE(why.done());
  EXPECT_EQ(CreateSimpleFacetedPolyhedron(&model.poly, 0, nullptr, &why), nullptr);
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
  EXPECT_EQ(why.kind(), Outcome::Kind::kRefused);
  EXPECT_EQ(
      why.text(),
      "Before creating a faceted polyhedron, you must create\none or more facets, which will be repeated over the\n"
      "symmetry group and used as its faces.\nTo do this, use:\n\"Selection->Mouse Selection Mode->Faceting "
      "Mode\"\n(or the equivalent toolbar button).");
}

TEST_F(SimpleFaceting, APartlyDrawnFacetIsUsedWhenTheUserSaysSo) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  const PolyElement* face = model.poly.mFaces.mHead;
  for (int i = 0; i < 4; ++i) model.poly.AddFacetVertex(face->GetCorner(i)->mDualVert);
  testing::Platform().messages.QueueAnswer(platform::kBoxYes);
  std::unique_ptr<SimplePoly> cube(CreateSimpleFacetedPolyhedron(&model.poly, 0, nullptr));
  ASSERT_TRUE(cube);
  EXPECT_EQ(testing::Platform().messages.Boxes().front().text,
            "You were in the middle of creating a facet.\nWould you like to include this partially complete facet?");
  EXPECT_EQ(LiveFaces(*cube), 6);
  EXPECT_EQ(cube->NumVerts(), 8);
  testing::Platform().messages.Clear();
  testing::Platform().messages.QueueAnswer(platform::kBoxNo);
  EXPECT_EQ(CreateSimpleFacetedPolyhedron(&model.poly, 0, nullptr), nullptr);
  // Quiet: the partial facet is left out without a question.
  testing::Platform().messages.Clear();
  EXPECT_EQ(CreateSimpleFacetedPolyhedron(&model.poly, kFacetedQuiet, nullptr), nullptr);
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
}

TEST_F(SimpleFaceting, AFacetOnAnAxisAppearsOncePerPosition) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  // The triangle round a 3-fold axis: one face for each of the eight corners, not
  // three each; the square round a 4-fold axis: six faces.
  const PolyElement* corner = model.poly.mVertices.mHead;
  double normal[3];
  Divide(normal, corner->mDualVert, std::sqrt(Dot(corner->mDualVert, corner->mDualVert)));
  const double edge2 = [&] {
    const PolyElement* face = model.poly.mFaces.mHead;
    double d[3];
    Subtract(d, face->GetCorner(0)->mDualVert, face->GetCorner(1)->mDualVert);
    return Dot(d, d);
  }();
  // The triangle's corners: the vertices at a face diagonal from the corner.
  std::vector<const PolyElement*> triangle;
  for (const PolyElement* v = model.poly.mVertices.mHead; v; v = v->mNext) {
    double d[3];
    Subtract(d, v->mDualVert, corner->mDualVert);
    if (std::fabs(Dot(d, d) - 2.0 * edge2) < 1e-6) triangle.push_back(v);
  }
  ASSERT_EQ(triangle.size(), 3u);
  Draw(model.poly, triangle);
  std::vector<FacetPreviewRecord> records;
  std::unique_ptr<SimplePoly> stella(CreateSimpleFacetedPolyhedron(&model.poly, kFacetedQuiet, &records));
  ASSERT_TRUE(stella);
  EXPECT_EQ(LiveFaces(*stella), 8);
  EXPECT_EQ(records.size(), 8u);
  // Each record's operation takes the drawn triangle onto its face.
  for (size_t f = 0; f < records.size(); ++f) {
    EXPECT_EQ(records[f].polygon, model.poly.mDrawnPolygons);
    const SimpleFace& face = stella->FaceAt(int(f));
    for (int i = 0; i < 3; ++i) {
      double image[3];
      MatrixTimesVector(records[f].transform.Matrix(), image, triangle[size_t(i)]->mDualVert);
      EXPECT_TRUE(NearlyEqual(image, stella->VertAt(face.items[size_t(i)]).pos, 1e-7));
    }
  }
  EXPECT_EQ(stella->name.rfind("Faceted ", 0), 0u);
  EXPECT_EQ(stella->dualName.rfind("Stellated ", 0), 0u);
  EXPECT_TRUE(stella->flags & kSimpleKeepOrientation);
  EXPECT_TRUE(stella->flags & kSimpleKeepLengthUnits);
  // The same through the faceting preview pane of the factory.
  std::unique_ptr<SimplePoly> preview(
      DeriveModelForViewType(model.poly, kViewFacetingPreview, kDeriveQuiet, nullptr, nullptr));
  ASSERT_TRUE(preview);
  EXPECT_EQ(LiveFaces(*preview), 8);
}

TEST_F(SimpleFaceting, MaintainReflexibilityDoublesAChiralFacet) {
  TemplateModel model("3.4.3.4");
  ASSERT_TRUE(model.built);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingCoplanarVerts);
  ASSERT_TRUE(faceting.Prepare());
  const Facet* chiral = faceting.GetFirstFacet();
  while (chiral && !chiral->IsChiral()) chiral = chiral->GetNext();
  ASSERT_TRUE(chiral);
  testing::DrawFacet(model.poly, chiral);
  std::unique_ptr<SimplePoly> plain(CreateSimpleFacetedPolyhedron(&model.poly, kFacetedQuiet, nullptr));
  StellationOptions = kStellationMaintainReflexibility;
  std::unique_ptr<SimplePoly> mirrored(CreateSimpleFacetedPolyhedron(&model.poly, kFacetedQuiet, nullptr));
  ASSERT_TRUE(plain && mirrored);
  EXPECT_EQ(LiveFaces(*mirrored), 2 * LiveFaces(*plain));
}

TEST_F(SimpleFaceting, AModelWithoutSymmetryRepeatsNothing) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  const PolyElement* face = model.poly.mFaces.mHead;
  Draw(model.poly, {face->GetCorner(0), face->GetCorner(1), face->GetCorner(2), face->GetCorner(3)});
  SymGroup* group = model.poly.mSymGroup;
  model.poly.mSymGroup = nullptr;
  std::unique_ptr<SimplePoly> one(CreateSimpleFacetedPolyhedron(&model.poly, kFacetedQuiet, nullptr));
  model.poly.mSymGroup = group;
  ASSERT_TRUE(one);
  EXPECT_EQ(LiveFaces(*one), 1);
}

TEST_F(SimpleFaceting, AnOpenModelFailsTheCheckAndAClosedOneBecomesTheModel) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  // A facet whose copies do not close its edges: the rectangle through the centre.
  Use(faceting, kFacetingCoplanarVerts);
  ASSERT_TRUE(faceting.Prepare());
  const Facet* open = faceting.GetFirstFacet();
  while (open && (open->mFlags & kFacetIsohedral)) open = open->GetNext();
  ASSERT_TRUE(open);
  testing::DrawFacet(model.poly, open);
  Outcome why;
  EXPECT_EQ(CreateSimpleFacetedPolyhedron(&model.poly, 0, nullptr, &why), nullptr);
  EXPECT_EQ(why.text(), "Invalid model: an odd number of faces meet at some edges.\nFaces must meet in pairs.");
  // The stella octangula from its triangle: its model replaces the one it was found in.
  model.poly.ClearDrawnPolygons(true);
  Use(faceting, kFacetingIsohedral);
  while (faceting.FindNextFaceting() && faceting.GetFirstFacetInFaceting()->mNumVerts != 3) {
  }
  ShowCurrentFaceting(&faceting);
  std::unique_ptr<SimplePoly> faceted(CreateSimpleFacetedPolyhedron(&model.poly, 0, nullptr, &why));
  ASSERT_TRUE(faceted);
  EXPECT_TRUE(CreatePoly(*faceted, &model.poly, false, false).done());
  EXPECT_EQ(model.poly.mFaces.mCount, 8);
  EXPECT_EQ(model.poly.mVertices.mCount, 8);
  EXPECT_FALSE(faceting.IsPrepared()) << "the new model's faceting starts afresh";
}

}  // namespace
}  // namespace corvia
