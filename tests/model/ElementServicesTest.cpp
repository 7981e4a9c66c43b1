// What the elements read from the template they were built from, and the placed
// images they carry.

#include <gtest/gtest.h>

#include <cmath>

#include "core/FaceImageRef.h"
#include "core/RainbowColor.h"
#include "model/ColorSchemes.h"
#include "model/ElementFlags.h"
#include "model/ElementServices.h"
#include "model/Face.h"
#include "model/FaceImageAttach.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "model/Vertex.h"
#include "tests/support/TestSupport.h"

namespace test_ElementServices {

// The first template polygon with the given sides and wraps.
const corvia::TemplatePolygon* FindPolygon(const corvia::PolyTemplate& t, int sides, int wraps) {
  const corvia::TemplatePolygon* p = t.GetHead();
  for (int i = 0; p && i < t.mValence; ++i, p = p->mNext) {
    if (p->mSides == sides && p->mWraps == wraps) return p;
  }
  return nullptr;
}

int CountImages() {
  int n = 0;
  for (corvia::ListNode* node = corvia::GetFaceImageList(); node; node = node->mNext) ++n;
  return n;
}

corvia::FacetPreviewPoint AllInside(const corvia::PolyElement*) {
  return corvia::FacetPreviewPoint::kInside;
}
corvia::FacetPreviewPoint AllOutside(const corvia::PolyElement*) {
  return corvia::FacetPreviewPoint::kOutside;
}

// Keeps the colour settings of the program as they were.
class VertexColourTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mSavedSame = corvia::ColorVertsSameAsDualFace;
    for (int c = 0; c < 3; ++c) mSavedDefault[c] = corvia::DefaultVertexColor[c];
  }
  void TearDown() override {
    corvia::ColorVertsSameAsDualFace = mSavedSame;
    for (int c = 0; c < 3; ++c) corvia::DefaultVertexColor[c] = mSavedDefault[c];
    corvia::SetFacetPreviewQuery(nullptr);
  }
  bool mSavedSame = false;
  float mSavedDefault[3] = {0.0f, 0.0f, 0.0f};
};

}  // namespace test_ElementServices

namespace corvia {
namespace {

TEST(ElementServices, FaceTakesItsRecordsIdentityDensityColourAndRadius) {
  PolyTemplate t;
  ASSERT_TRUE(t.Parse("3.5/2.3.5/2", nullptr));
  const TemplatePolygon* star = test_ElementServices::FindPolygon(t, 5, 2);
  const TemplatePolygon* triangle = test_ElementServices::FindPolygon(t, 3, 1);
  ASSERT_NE(star, nullptr);
  ASSERT_NE(triangle, nullptr);
  ASSERT_NE(star->mId, triangle->mId);

  Face starFace(nullptr, star, 5);
  EXPECT_EQ(starFace.mDensity, 2);
  EXPECT_EQ(starFace.mIdFlags, star->mId);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(starFace.mColor[c], star->mColor[c]);
  EXPECT_DOUBLE_EQ(starFace.GetRadius(), star->mFaceRadius);
  EXPECT_GT(starFace.GetRadius(), 0.0);
  EXPECT_FALSE(starFace.IsDensityOne());

  Face triangleFace(nullptr, triangle, 3);
  EXPECT_EQ(triangleFace.mDensity, 1);
  EXPECT_EQ(triangleFace.mIdFlags, triangle->mId);
  EXPECT_TRUE(triangleFace.IsDensityOne());
  // Polygons of different kinds got different wheel colours.
  EXPECT_NE(PackRainbowColor(triangleFace.mColor), PackRainbowColor(starFace.mColor));
}

TEST(ElementServices, VertexOfATemplateModelHasItsDualFaceInTheMidSphere) {
  PolyTemplate t;
  ASSERT_TRUE(t.Parse("3.4.3.4", nullptr));
  Poly poly;
  poly.mTemplate = &t;
  double position[3] = {0.0, 0.0, 2.0};
  Vertex* vertex = new Vertex(&poly, position, 4);
  // Cuboctahedron with circumradius 1: mid-radius sqrt(3)/2, so the polar plane of a
  // vertex lies at 3/4.
  EXPECT_NEAR(vertex->mCentre[2], 0.75, 1e-12);
  EXPECT_EQ(vertex->mCentre[0], 0.0);
  EXPECT_FALSE(vertex->HasFlag(kElementInf));
  EXPECT_TRUE(vertex->IsDensityOne());
  // A template without a wheel colour for vertices: the last wheel colour.
  EXPECT_EQ(PackRainbowColor(vertex->mColor), RainbowColorRef(-1));
  poly.mTemplate = nullptr;
}

TEST(ElementServices, VertexDensityOneNeedsOneWrapAndTheClearFlagByte) {
  PolyTemplate t;
  // Solved, whether or not the library names it.
  t.Parse("(5/2.5/2.5/2.5/2.5/2)/2", nullptr);
  ASSERT_EQ(t.mValence, 5);
  EXPECT_EQ(t.mWraps, 2);
  EXPECT_FALSE(TemplateIsDensityOne(&t));
  PolyTemplate once;
  ASSERT_TRUE(once.Parse("3.3.3.3.3", nullptr));
  EXPECT_TRUE(TemplateIsDensityOne(&once));
  once.mSpare = 1;
  EXPECT_FALSE(TemplateIsDensityOne(&once));
  EXPECT_FALSE(TemplateIsDensityOne(nullptr));
  EXPECT_EQ(TemplateDualFaceDistance(nullptr), 0.0);
}

TEST(ElementServices, NewElementsTakeTheirWheelColours) {
  double position[3] = {1.0, 0.0, 0.0};
  Vertex vertex(nullptr, position, 3);
  Face face(nullptr, nullptr, 3);
  EXPECT_EQ(PackRainbowColor(vertex.mColor), 0x0080FFu);
  EXPECT_EQ(PackRainbowColor(face.mColor), 0x0000FFu);
}

TEST(ElementServices, DestroyedElementGivesUpItsImage) {
  const int before = test_ElementServices::CountImages();
  FaceImage* image = new FaceImage(nullptr, kImageProjectPlanar, kImageBoundaryBorder);
  {
    Face a(nullptr, nullptr, 3);
    {
      Face b(nullptr, nullptr, 3);
      AttachToFace(image, &a, true);
      AttachToFace(image, &b, false);
      EXPECT_EQ(image->GetUseCount(), 2);
      EXPECT_EQ(image->mTextureCount, 2);
      EXPECT_FALSE(FaceImageHasAlpha(image));
      EXPECT_FALSE(a.IsTranslucent());
    }
    // b gave up its use and its texture reference; the image stays with a.
    EXPECT_EQ(test_ElementServices::CountImages(), before + 1);
    EXPECT_EQ(image->GetUseCount(), 1);
    EXPECT_EQ(image->mTextureCount, 1);
    EXPECT_EQ(image->GetOwnerFace(), &a);
  }
  // The last use went with a: the image is deleted and out of the list.
  EXPECT_EQ(test_ElementServices::CountImages(), before);
}

TEST(ElementServices, SurvivingImageForgetsItsDestroyedOwner) {
  FaceImage* image = new FaceImage(nullptr, kImageProjectPlanar, kImageBoundaryBorder);
  Face keeper(nullptr, nullptr, 3);
  {
    Face owner(nullptr, nullptr, 3);
    AttachToFace(image, &owner, true);
    AttachToFace(image, &keeper, false);
  }
  EXPECT_EQ(image->GetOwnerFace(), nullptr);
  EXPECT_EQ(keeper.GetImage(), image);
}

// The image, axis, facelet and second cell colours of an element share one record,
// freed when the last of them is cleared: each must outlive the others' clearing.
TEST(ElementServices, EachRarelySetFieldOutlivesTheOthersBeingCleared) {
  int stand[2] = {0, 0};  // any addresses stand for an axis and a facelet
  SymAxis* axis = reinterpret_cast<SymAxis*>(&stand[0]);
  Face3D* facelet = reinterpret_cast<Face3D*>(&stand[1]);
  for (int kept = 0; kept < 4; ++kept) {
    Face face(nullptr, nullptr, 3);
    FaceImage* image = new FaceImage(nullptr, kImageProjectPlanar, kImageBoundaryBorder);
    AttachToFace(image, &face, true);
    face.SetSymAxis(axis);
    face.SetOwnFace3D(facelet);
    const CellColorArray* second = &face.MakeCellColours(1);
    if (kept != 0) DetachFromFace(&face);
    if (kept != 1) face.SetSymAxis(nullptr);
    if (kept != 2) face.SetOwnFace3D(nullptr);
    if (kept != 3) face.DropCellColours(1);
    EXPECT_EQ(face.GetImage(), kept == 0 ? image : nullptr) << kept;
    EXPECT_EQ(face.GetSymAxis(), kept == 1 ? axis : nullptr) << kept;
    EXPECT_EQ(face.GetOwnFace3D(), kept == 2 ? facelet : nullptr) << kept;
    EXPECT_EQ(face.GetCellColours(1), kept == 3 ? second : nullptr) << kept;
    EXPECT_EQ(face.GetCellColours(0), nullptr) << kept;
  }
}

using VertexColourRef = test_ElementServices::VertexColourTest;

TEST_F(VertexColourRef, CurrentVertexGivesItsDrawColour) {
  Poly poly;
  double position[3] = {0.0, 1.0, 0.0};
  new Vertex(&poly, position, 3);  // the first vertex is the dual block's current one
  ColorVertsSameAsDualFace = false;
  EXPECT_EQ(poly.GetVertexColorRef(), 0xCCFFFFu);  // the default (1.0, 1.0, 0.8)
  ColorVertsSameAsDualFace = true;
  EXPECT_EQ(poly.GetVertexColorRef(), 0x0080FFu);  // its own wheel colour
  // Half a step rounds up.
  poly.GetOtherCurrentFace()->mColor[2] = 127.5f / 255.0f;
  EXPECT_EQ(poly.GetVertexColorRef(), 0x8080FFu);

  SetFacetPreviewQuery(test_ElementServices::AllInside);
  EXPECT_EQ(poly.GetVertexColorRef(), 0x00FF00u);
  SetFacetPreviewQuery(test_ElementServices::AllOutside);
  EXPECT_EQ(poly.GetVertexColorRef(), 0x0000CCu);
}

TEST_F(VertexColourRef, ModelWithoutVerticesGivesTheDefault) {
  Poly poly;
  ColorVertsSameAsDualFace = true;
  DefaultVertexColor[0] = 0.0f;
  EXPECT_EQ(poly.GetVertexColorRef(), 0xCCFF00u);
}

}  // namespace
}  // namespace corvia

namespace corvia {
namespace {

TEST(ElementServices, ConstructionToyStyleIsOneSetting) {
  const bool saved = GeomagStyle;
  GeomagStyle = true;
  EXPECT_TRUE(GetElementDisplayOptions().constructionToyStyle);
  GetElementDisplayOptions().constructionToyStyle = false;
  EXPECT_FALSE(GeomagStyle);
  // Every element counts as translucent in that style.
  Face face(nullptr, nullptr, 3);
  EXPECT_FALSE(face.IsTranslucent());
  GeomagStyle = true;
  EXPECT_TRUE(face.IsTranslucent());
  GeomagStyle = saved;
}

}  // namespace
}  // namespace corvia
