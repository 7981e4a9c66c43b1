// The faceting preview kept on the model: made from the drawn facets when it is out of
// date, one record and one drawn polygon per face; what marks it out of date; and the
// selection of a preview face with the information text of its facet.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/DrawnPolygon.h"
#include "core/PolygonRing.h"
#include "model/PolyElement.h"
#include "stellation/FacetPreview.h"
#include "stellation/StellationCell.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymSubgroups.h"
#include "tests/stellation/FacetingModels.h"

namespace test_FacetPreview {

using namespace corvia;
using corvia::testing::FacetingDocument;
using corvia::testing::FacetingFixture;
using corvia::testing::Platform;
using corvia::testing::TemplateModel;

double Distance(const double* a, const double* b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

// Three corners of the icosahedron, pairwise at ratio times its edge length.
std::vector<const double*> IcosahedronTriangle(Poly& poly, double ratio) {
  std::vector<const double*> corners;
  for (PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) corners.push_back(v->mDualVert);
  double edge = 1e9;
  for (size_t i = 1; i < corners.size(); ++i) edge = std::min(edge, Distance(corners[0], corners[i]));
  const double second = edge * ratio;
  auto far = [&](const double* a, const double* b) { return std::fabs(Distance(a, b) - second) < 1e-6; };
  for (size_t i = 1; i < corners.size(); ++i) {
    for (size_t j = i + 1; j < corners.size(); ++j) {
      if (far(corners[0], corners[i]) && far(corners[0], corners[j]) && far(corners[i], corners[j]))
        return {corners[0], corners[i], corners[j]};
    }
  }
  return {};
}

// At the second-nearest distance: a face of the great icosahedron, square to a
// three-fold axis.
std::vector<const double*> GreatIcosahedronFace(Poly& poly) {
  return IcosahedronTriangle(poly, (1.0 + std::sqrt(5.0)) / 2.0);
}

void DrawFacet(Poly& poly, const std::vector<const double*>& corners) {
  for (const double* p : corners) poly.AddFacetVertex(p);
  poly.FinishDrawnPolygon(false, false);
}

// The corners of a drawn polygon's ring.
std::vector<const double*> RingPoints(const DrawnPolygon* polygon) {
  return GetDrawnPolygonPoints(polygon);
}

// The icosahedron as the current model, and a face of the great icosahedron to draw.
class FacetPreviewTest : public FacetingFixture {
 protected:
  void SetUp() override {
    FacetingFixture::SetUp();
    mModel = std::make_unique<TemplateModel>("3.3.3.3.3");
    ASSERT_TRUE(mModel->built);
    mDocument = std::make_unique<FacetingDocument>(&mModel->poly);
    mTriangle = GreatIcosahedronFace(mModel->poly);
    ASSERT_EQ(mTriangle.size(), 3u);
  }
  void TearDown() override {
    mDocument.reset();
    mModel.reset();
    FacetingFixture::TearDown();
  }

  std::unique_ptr<TemplateModel> mModel;
  std::unique_ptr<FacetingDocument> mDocument;
  std::vector<const double*> mTriangle;
};

TEST_F(FacetPreviewTest, TheGreatIcosahedronFromOneDrawnFacet) {
  Poly& poly = mModel->poly;
  // Nothing drawn: no preview, and no box either (the preview asks nothing).
  UpdateFacetPreview(&poly);
  EXPECT_EQ(poly.mFacetPreview, nullptr);
  EXPECT_FALSE(poly.mFacetPreviewDirty);

  const std::vector<const double*>& triangle = mTriangle;
  DrawFacet(poly, triangle);
  EXPECT_TRUE(poly.mFacetPreviewDirty);
  UpdateFacetPreview(&poly);
  EXPECT_FALSE(poly.mFacetPreviewDirty);
  ASSERT_NE(poly.mFacetPreview, nullptr);
  const FacetPreview& preview = *poly.mFacetPreview;
  const SimplePoly& faceted = *preview.model;
  ASSERT_EQ(faceted.NumFaces(), 20);
  EXPECT_EQ(faceted.NumVerts(), 12);
  ASSERT_EQ(preview.records.size(), 20u);
  ASSERT_EQ(DrawnPolygon::CountChain(preview.polygons), 20);
  // Each face is drawn by a polygon through its own corners, triangulated in its plane.
  const DrawnPolygon* polygon = preview.polygons;
  for (int i = 0; i < faceted.NumFaces(); ++i, polygon = polygon->next) {
    SCOPED_TRACE(i);
    EXPECT_EQ(preview.records[size_t(i)].polygon, poly.mDrawnPolygons);
    const SimpleFace& face = faceted.FaceAt(i);
    const std::vector<const double*> points = GetDrawnPolygonPoints(polygon);
    ASSERT_EQ(points.size(), face.items.size());
    for (size_t k = 0; k < points.size(); ++k) {
      EXPECT_LT(Distance(points[k], faceted.VertAt(face.items[k]).pos), 1e-12);
    }
    EXPECT_EQ(polygon->indexCount, 3);
    // The polygon's normal runs along the face's centre: the face is square to its
    // three-fold axis.
    double centre[3] = {0, 0, 0};
    for (const double* p : points)
      for (int k = 0; k < 3; ++k) centre[k] += p[k] / 3.0;
    const double r = std::sqrt(Dot(centre, centre));
    EXPECT_NEAR(std::fabs(Dot(polygon->normal, centre)), r, 1e-9);
  }
  EXPECT_TRUE(Platform().messages.Boxes().empty());

  // A selection beyond the preview's faces is taken back to its last face.
  poly.mSelectedFacetPreview = 25;
  UpdateFacetPreview(&poly);
  EXPECT_EQ(poly.mSelectedFacetPreview, 19);
  EXPECT_EQ(poly.mFacetPreview.get(), &preview);  // not made again
}

TEST_F(FacetPreviewTest, EveryChangeOfTheFacetsMarksThePreview) {
  Poly& poly = mModel->poly;
  const std::vector<const double*>& triangle = mTriangle;
  auto refresh = [&] {
    UpdateFacetPreview(&poly);
    ASSERT_FALSE(poly.mFacetPreviewDirty);
  };
  refresh();
  poly.AddFacetVertex(triangle[0]);
  EXPECT_TRUE(poly.mFacetPreviewDirty);
  refresh();
  poly.AddFacetVertex(triangle[1]);
  poly.AddFacetVertex(triangle[2]);
  refresh();
  poly.FinishDrawnPolygon(false, false);
  EXPECT_TRUE(poly.mFacetPreviewDirty);
  refresh();
  ASSERT_NE(poly.mFacetPreview, nullptr);
  EXPECT_EQ(poly.mFacetPreview->model->NumFaces(), 20);

  // A subgroup repeats the facet over fewer operations: under Th the three-fold axis
  // square to the facet leaves 12 / 3 rotations.
  const SymGroup* full = poly.mSymGroup;
  SymSubgroupSpec spec;
  int tetrahedral = -1;
  for (int n = 0; SymGroup::GetRotationalSubgroup(full, n, spec); ++n) {
    if (spec.type == kSymGroupTetrahedral) tetrahedral = n;
  }
  ASSERT_GE(tetrahedral, 0);
  ASSERT_TRUE(poly.ApplySubSymmetry(tetrahedral, 0));
  ASSERT_EQ(SymGroup::GetSchoenflies(poly.mSymGroup), "Th");
  EXPECT_TRUE(poly.mFacetPreviewDirty);
  refresh();
  ASSERT_NE(poly.mFacetPreview, nullptr);
  EXPECT_EQ(poly.mFacetPreview->model->NumFaces(), 4);
  // And the full group brings the twenty faces back.
  ASSERT_TRUE(poly.ApplySubSymmetry(0, -1));
  refresh();
  EXPECT_EQ(poly.mFacetPreview->model->NumFaces(), 20);

  // Maintain Reflexibility changes what the faceted model repeats.
  SetStellationOptions(kStellationMaintainReflexibility, false);
  EXPECT_TRUE(poly.mFacetPreviewDirty);
  refresh();
  SetStellationOptions(0, false);

  ASSERT_TRUE(poly.RemoveDrawnPolygon(nullptr, 0));
  EXPECT_TRUE(poly.mFacetPreviewDirty);
  refresh();
  EXPECT_EQ(poly.mFacetPreview, nullptr);
  DrawFacet(poly, triangle);
  refresh();
  poly.ClearDrawnPolygons(false);
  EXPECT_TRUE(poly.mFacetPreviewDirty);
  refresh();
  EXPECT_EQ(poly.mFacetPreview, nullptr);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(FacetPreviewTest, TheSelectedFaceStaysOnItsFaceWhenAFacetIsRemoved) {
  Poly& poly = mModel->poly;
  DrawFacet(poly, mTriangle);
  const std::vector<const double*> face = IcosahedronTriangle(poly, 1.0);  // a face of the model
  ASSERT_EQ(face.size(), 3u);
  DrawFacet(poly, face);
  UpdateFacetPreview(&poly);
  ASSERT_NE(poly.mFacetPreview, nullptr);
  DrawnPolygon* first = poly.mDrawnPolygons;
  DrawnPolygon* second = first->next;
  const std::vector<FacetPreviewRecord> records = poly.mFacetPreview->records;
  // The last face made from the second facet, and the faces of the first before it.
  int selected = -1;
  for (int i = 0; i < int(records.size()); ++i) selected = records[size_t(i)].polygon == second ? i : selected;
  int before = 0;
  for (int i = 0; i < selected; ++i) before += records[size_t(i)].polygon == first ? 1 : 0;
  ASSERT_GT(before, 0);
  poly.mSelectedFacetPreview = selected;
  ASSERT_TRUE(poly.RemoveDrawnPolygon(first, -1));
  EXPECT_EQ(poly.mSelectedFacetPreview, selected - before);
  // The facet the selected face was made from goes: no face is selected.
  UpdateFacetPreview(&poly);
  ASSERT_NE(poly.mFacetPreview, nullptr);
  ASSERT_EQ(poly.mFacetPreview->records.front().polygon, second);
  poly.mSelectedFacetPreview = 0;
  ASSERT_TRUE(poly.RemoveDrawnPolygon(second, -1));
  EXPECT_EQ(poly.mSelectedFacetPreview, -1);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(FacetPreviewTest, APickedFaceShowsItsFacet) {
  Poly& poly = mModel->poly;
  Faceting& faceting = mModel->BaseFaceting();
  Use(faceting, kFacetingIsohedral);
  faceting.StepForward();
  ASSERT_NE(faceting.GetFirstFacetInFaceting(), nullptr);
  ShowCurrentFaceting(&faceting);
  UpdateFacetPreview(&poly);
  ASSERT_NE(poly.mFacetPreview, nullptr);
  const FacetPreview& preview = *poly.mFacetPreview;
  const int faces = preview.model->NumFaces();
  ASSERT_GT(faces, 1);

  auto& views = Platform().views;
  for (int pick : {0, faces - 1}) {
    SCOPED_TRACE(pick);
    views.mInvalidatedKinds = 0;
    views.mStatus.clear();
    EXPECT_TRUE(SelectFacetByPick(&poly, pick));
    EXPECT_EQ(poly.mSelectedFacetPreview, pick);
    EXPECT_EQ(views.mInvalidatedKinds & 0xc05u, 0xc05u);
    EXPECT_EQ(views.mInvalidatedKinds & 0x840cu, 0x840cu);
    // The facet whose corners the face's drawn polygon goes through.
    const std::vector<const double*> points = GetDrawnPolygonPoints(preview.records[size_t(pick)].polygon);
    const Facet* expected = nullptr;
    for (const Facet* facet = faceting.GetFirstFacetInFaceting(); facet && !expected;
         facet = facet->GetNextInFaceting()) {
      bool same = facet->mNumVerts == int(points.size());
      for (int i = 0; same && i < facet->mNumVerts; ++i)
        same = Distance(facet->GetVertexPosition(i), points[size_t(i)]) < 1e-9;
      if (same) expected = facet;
    }
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(views.mStatus, Facet::GetInfoText(expected));
    EXPECT_FALSE(views.mStatus.empty());
  }
  // The same face again changes nothing.
  views.mInvalidatedKinds = 0;
  EXPECT_FALSE(SelectFacetByPick(&poly, faces - 1));
  EXPECT_EQ(views.mInvalidatedKinds, 0u);
  // A face the preview does not have, or none, shows no facet.
  for (int pick : {faces + 5, -1}) {
    views.mStatus.clear();
    EXPECT_TRUE(SelectFacetByPick(&poly, pick));
    EXPECT_EQ(poly.mSelectedFacetPreview, pick);
    EXPECT_EQ(views.mStatus, "");
  }
  // Without a preview the pick is only a selection.
  poly.mFacetPreview.reset();
  views.mStatus.clear();
  EXPECT_TRUE(SelectFacetByPick(&poly, 0));
  EXPECT_EQ(views.mStatus, "");
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

}  // namespace test_FacetPreview
