#include "model/ColorSchemes.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "core/ColorList.h"
#include "core/FaceImageRef.h"
#include "core/Globals.h"
#include "core/RainbowColor.h"
#include "model/FaceImageAttach.h"
#include "model/FaceType.h"
#include "tests/model/CompoundModels.h"
#include "tests/model/PolyModels.h"
#include "model/CompoundParts.h"
#include "tests/support/TestSupport.h"

namespace test_ColorSchemes {

using corvia::Edge;
using corvia::ElementList;
using corvia::FaceImage;
using corvia::FaceType;
using corvia::Poly;
using corvia::PolyElement;
using corvia::testing::BuildTwoCubes;

using Rgb = std::tuple<float, float, float>;

Rgb Front(const PolyElement* e) { return {e->mColor[0], e->mColor[1], e->mColor[2]}; }
Rgb Back(const PolyElement* e) { return {e->mBackColor[0], e->mBackColor[1], e->mBackColor[2]}; }

std::set<Rgb> FrontColours(const ElementList& list) {
  std::set<Rgb> out;
  for (const PolyElement* e = list.mHead; e; e = e->mNext) out.insert(Front(e));
  return out;
}

Rgb Wheel(int index, uint32_t flags = 0) {
  float rgb[3];
  corvia::RainbowColor(index, rgb, flags);
  return {rgb[0], rgb[1], rgb[2]};
}

// Puts face i of the model into base type typeOf[i] (types made in order) and every
// vertex into one dual type.
std::vector<FaceType*> SetBaseTypes(Poly& poly, const std::vector<int>& typeOf) {
  std::vector<FaceType*> types;
  int i = 0;
  for (PolyElement* face = poly.mFaces.mHead; face; face = face->mNext, ++i) {
    while (static_cast<int>(types.size()) <= typeOf[i]) {
      types.push_back(new FaceType(&poly, poly.mBaseBlock.get(), 0, static_cast<int>(types.size())));
      poly.mBaseBlock->AppendFaceType(types.back());
    }
    types[typeOf[i]]->AddFace(face);
  }
  FaceType* dual = new FaceType(&poly, poly.mDualBlock.get(), 0, 0);
  poly.mDualBlock->AppendFaceType(dual);
  for (PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) dual->AddFace(v);
  return types;
}

void MirrorPair(FaceType* a, FaceType* b) {
  a->mMirrorPartner = b;
  b->mMirrorPartner = a;
}

class ColorSchemesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mSavedScheme = corvia::FaceColorScheme;
    mSavedEdgeScheme = corvia::EdgeColorScheme;
    mSavedVertsSame = corvia::ColorVertsSameAsDualFace;
    corvia::CopyFloat3(mSavedEdgeDefault, corvia::GetNewEdgeColor());
    corvia::CopyFloat3(mSavedVertexDefault, corvia::DefaultVertexColor);
  }
  void TearDown() override {
    corvia::FaceColorScheme = mSavedScheme;
    corvia::EdgeColorScheme = mSavedEdgeScheme;
    corvia::ColorVertsSameAsDualFace = mSavedVertsSame;
    corvia::SetNewEdgeColor(mSavedEdgeDefault);
    corvia::CopyFloat3(corvia::DefaultVertexColor, mSavedVertexDefault);
  }
  uint32_t mSavedScheme = 0;
  int mSavedEdgeScheme = 0;
  bool mSavedVertsSame = false;
  float mSavedEdgeDefault[3];
  float mSavedVertexDefault[3];
};

TEST(ColorSchemesPacking, PacksRoundingHalfAwayFromZeroAndRoundTripsEveryByte) {
  const float rgb[3] = {1.0f, 0.0f, 0.5f};  // 0.5 x 255 = 127.5 goes up to 128
  EXPECT_EQ(corvia::PackRainbowColor(rgb), 0x8000FFu);
  const float outside[3] = {-0.2f, 1.7f, 0.0019f};  // clamped; 0.48 rounds down
  EXPECT_EQ(corvia::PackRainbowColor(outside), 0x00FF00u);
  for (uint32_t b = 0; b < 256; ++b) {
    float back[3];
    corvia::UnpackRainbowColor(b | (b << 8) | (b << 16), back);
    EXPECT_FLOAT_EQ(back[1], static_cast<float>(b) / 255.0f);
    EXPECT_EQ(corvia::PackRainbowColor(back), b | (b << 8) | (b << 16));
  }
}

TEST_F(ColorSchemesTest, ByFaceTypeTakesWheelColoursAndShiftsBacksByTheColourCount) {
  Poly poly;
  corvia::testing::BuildSquarePyramid(poly);
  SetBaseTypes(poly, {0, 1, 1, 1, 1});
  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kColorByFaceType);
  EXPECT_EQ(Front(poly.GetFace(0)), Wheel(0));
  EXPECT_EQ(Front(poly.GetFace(3)), Wheel(1));
  EXPECT_EQ(Back(poly.GetFace(0)), Wheel(2));  // n = 2
  EXPECT_EQ(Back(poly.GetFace(3)), Wheel(3));

  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kColorByFaceType | corvia::kColorSameFrontAndBack);
  EXPECT_EQ(Back(poly.GetFace(3)), Wheel(1));

  // Vertices are faces of the dual: their wheel runs backwards from the end.
  corvia::ColorScheme(&poly, &poly.mVertices, corvia::kColorSingle);
  EXPECT_EQ(Front(poly.GetVertex(0)), Wheel(corvia::kRainbowSize - 1));
  EXPECT_EQ(Back(poly.GetVertex(0)), Wheel(corvia::kRainbowSize - 2));
}

TEST_F(ColorSchemesTest, CountsOfColoursFollowTheRule) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  // Three pairs of opposite faces; types 0 and 1 are mirror images.
  std::vector<FaceType*> types = SetBaseTypes(poly, {0, 0, 1, 1, 2, 2});
  MirrorPair(types[0], types[1]);
  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kColorByFaceType);
  EXPECT_EQ(FrontColours(poly.mFaces).size(), 3u);
  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kColorByFaceType | corvia::kColorSameChiralPairs);
  EXPECT_EQ(FrontColours(poly.mFaces).size(), 2u);
  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kColorBySides);
  EXPECT_EQ(FrontColours(poly.mFaces).size(), 1u);
  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kColorSingle);
  EXPECT_EQ(FrontColours(poly.mFaces).size(), 1u);
  // Per face unless parallel: opposite faces share a colour, front and back alike.
  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kColorPerFaceUnlessParallel);
  EXPECT_EQ(FrontColours(poly.mFaces).size(), 3u);
  EXPECT_EQ(Front(poly.GetFace(0)), Front(poly.GetFace(1)));
  EXPECT_EQ(Back(poly.GetFace(0)), Front(poly.GetFace(0)));
  // Along the slicing direction (z): the walls at one depth split by type (x walls,
  // y walls); the top and the bottom share a type but not a depth.
  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kColorAlongCrossSection);
  EXPECT_EQ(FrontColours(poly.mFaces).size(), 4u);
  EXPECT_EQ(Front(poly.GetFace(0)), Front(poly.GetFace(1)));
  EXPECT_NE(Front(poly.GetFace(0)), Front(poly.GetFace(2)));
  EXPECT_NE(Front(poly.GetFace(4)), Front(poly.GetFace(5)));
  EXPECT_EQ(Front(poly.GetFace(5)), Wheel(0)) << "the lowest first";
}

TEST_F(ColorSchemesTest, AutoColourWithSixTypesMergesChiralPairsAndSharesFrontAndBack) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  std::vector<FaceType*> types = SetBaseTypes(poly, {0, 1, 2, 3, 4, 5});
  MirrorPair(types[0], types[1]);
  MirrorPair(types[2], types[3]);
  MirrorPair(types[4], types[5]);
  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kColorAuto);
  EXPECT_EQ(FrontColours(poly.mFaces).size(), 3u);
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) EXPECT_EQ(Front(f), Back(f));
}

TEST_F(ColorSchemesTest, DefaultSchemeColoursEachCubeOfACompoundInItsOwnColour) {
  Poly poly;
  BuildTwoCubes(poly);
  SetBaseTypes(poly, std::vector<int>(12, 0));
  corvia::FindCompoundParts(&poly, nullptr);
  ASSERT_EQ(poly.CountCompoundParts(), 2);
  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kDefaultFaceColorScheme);
  EXPECT_EQ(FrontColours(poly.mFaces).size(), 2u);
  EXPECT_EQ(Front(poly.GetFace(0)), Front(poly.GetFace(5)));
  EXPECT_NE(Front(poly.GetFace(0)), Front(poly.GetFace(6)));
  std::unique_ptr<corvia::ColorList> table;
  EXPECT_EQ(poly.GetColorTable(table), 2);

  // As a compound, from the menu: the pane reports the parts.
  EXPECT_TRUE(corvia::ColorByCompound(&poly, corvia::kColorAsCompound, 0).done());
  EXPECT_EQ(corvia::testing::Platform().views.mPaneMessage, "Compound has 2 parts.");
  EXPECT_EQ(corvia::testing::Platform().undo.mCalls.back().type, corvia::kUndoColorChange);
}

TEST_F(ColorSchemesTest, MenuWordTogglesOrReplacesAndWaitsForACompletedModel) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  SetBaseTypes(poly, std::vector<int>(6, 0));
  corvia::FaceColorScheme = 0x601;
  EXPECT_TRUE(corvia::ColorByCompound(&poly, corvia::kColorBySides, corvia::kColorBasicMask).done());
  EXPECT_EQ(corvia::FaceColorScheme, 0x604u);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().back().text,
            "Note: This color scheme will not take effect until\nthe polyhedron has been successfully completed.");
  poly.mBuildState = 1;
  EXPECT_TRUE(corvia::ColorByCompound(&poly, corvia::kColorSameFrontAndBack, corvia::kColorToggleMask).done());
  EXPECT_EQ(corvia::FaceColorScheme, 0x204u);
  EXPECT_EQ(Back(poly.GetFace(0)), Wheel(1));  // one side count, backs shifted by 1
}

TEST_F(ColorSchemesTest, EdgeSchemes) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  ASSERT_EQ(poly.mNumEdges, 12);
  // Four edge types of three edges; types 1 and 3 are mirror images of 0 and 2.
  for (int i = 0; i < 12; ++i) {
    Edge& e = poly.mEdgeArray[i];
    e.mEdgeType = i / 3;
    e.mEdgeFlags = (i / 3) % 2 ? corvia::kEdgeMirrorSecond : corvia::kEdgeMirrorFirst;
  }
  auto edgeColours = [&poly] {
    std::set<Rgb> out;
    for (int i = 0; i < poly.mNumEdges; ++i) {
      const float* c = poly.mEdgeArray[i].mColor;
      out.insert({c[0], c[1], c[2]});
    }
    return out;
  };
  corvia::EdgeColorScheme = corvia::kEdgeColorByTypeWithReflections;
  corvia::ApplyColorScheme(&poly, false);
  EXPECT_EQ(edgeColours().size(), 2u);
  corvia::EdgeColorScheme = corvia::kEdgeColorByType;
  corvia::ApplyColorScheme(&poly, false);
  EXPECT_EQ(edgeColours().size(), 4u);
  const float* first = poly.mEdgeArray[0].mColor;
  EXPECT_EQ(Rgb(first[0], first[1], first[2]), Wheel(0, corvia::kRainbowOppositeColor));
  corvia::EdgeColorScheme = corvia::kEdgeColorSameIfParallel;
  corvia::ApplyColorScheme(&poly, true);
  EXPECT_EQ(edgeColours().size(), 3u);
  EXPECT_EQ(corvia::testing::Platform().undo.mCalls.back().type, corvia::kUndoColorChange);

  corvia::ColorScheme(&poly, &poly.mFaces, corvia::kColorSingle);
  corvia::EdgeColorScheme = corvia::kEdgeColorFromFacesComplement;
  corvia::ApplyColorScheme(&poly, false);
  EXPECT_FLOAT_EQ(poly.mEdgeArray[5].mColor[0], 1.0f - poly.GetFace(0)->mColor[0]);
}

TEST_F(ColorSchemesTest, ZeroLengthEdgeDoesNotPullEveryEdgeIntoItsColour) {
  Poly poly;
  // A cube whose corner 3 sits on corner 1: the first edge (1 to 3) has no length.
  std::vector<corvia::testing::Point> p = corvia::testing::models::CubeCorners();
  p[3] = p[1];
  corvia::testing::BuildPoly(poly, p, corvia::testing::CubeSquares());
  corvia::EdgeColorScheme = corvia::kEdgeColorSameIfParallel;
  corvia::ApplyColorScheme(&poly, false);
  std::set<Rgb> colours;
  for (int i = 0; i < poly.mNumEdges; ++i) {
    const float* c = poly.mEdgeArray[i].mColor;
    colours.insert({c[0], c[1], c[2]});
  }
  EXPECT_GE(colours.size(), 3u);
}

TEST_F(ColorSchemesTest, ColourTableMergesColoursWithinOneIn512) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  const float a[3] = {0.5f, 0.5f, 0.5f};
  const float b[3] = {0.5f + 0.0019f, 0.5f, 0.5f - 0.0019f};
  const float c[3] = {0.5f + 0.0021f, 0.5f, 0.5f};
  int i = 0;
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext, ++i) corvia::CopyFloat3(f->mColor, i < 2 ? a : (i < 4 ? b : c));
  std::unique_ptr<corvia::ColorList> table;
  EXPECT_EQ(poly.GetColorTable(table), 2);
}

TEST_F(ColorSchemesTest, DefaultColoursReplaceMatchingColoursByTheirBytes) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  // A colour as the chooser gives it (bytes times 0.003921569), not byte / 255.
  const float chosen[3] = {212 * 0.003921569f, 7 * 0.003921569f, 99 * 0.003921569f};
  corvia::CopyFloat3(poly.mEdgeArray[4].mColor, chosen);
  const float red[3] = {1.0f, 0.0f, 0.0f};
  corvia::SetDefaultEdgeColor(&poly, red, chosen);
  EXPECT_EQ(poly.mEdgeArray[4].mColor[0], 1.0f);
  EXPECT_NE(corvia::PackRainbowColor(poly.mEdgeArray[3].mColor), 0x0000FFu) << "other edges keep their colour";
  EXPECT_NE(corvia::GetNewEdgeColor()[2], 0.0f) << "the default was not the old colour";

  // The default edge colour itself follows when it was the colour replaced.
  const float old[3] = {1.0f, 1.0f, 0.8f};
  corvia::SetNewEdgeColor(old);
  corvia::SetDefaultEdgeColor(&poly, red, old);
  EXPECT_EQ(corvia::PackRainbowColor(corvia::GetNewEdgeColor()), 0x0000FFu);
  EXPECT_EQ(corvia::PackRainbowColor(poly.mEdgeArray[0].mColor), 0x0000FFu);

  corvia::ColorVertsSameAsDualFace = false;
  const size_t undoBefore = corvia::testing::Platform().undo.mCalls.size();
  corvia::ApplyDefaultVertexColor(&poly, 0x00FF00u, corvia::kColorRefNone);
  EXPECT_EQ(corvia::PackRainbowColor(corvia::DefaultVertexColor), 0x00FF00u);
  EXPECT_EQ(corvia::testing::Platform().undo.mCalls.size(), undoBefore);

  corvia::ColorVertsSameAsDualFace = true;
  corvia::CopyFloat3(poly.GetVertex(2)->mColor, chosen);
  corvia::ApplyDefaultVertexColor(&poly, 0x00FF00u, corvia::PackRainbowColor(chosen));
  EXPECT_EQ(corvia::PackRainbowColor(poly.GetVertex(2)->mColor), 0x00FF00u);
  EXPECT_EQ(corvia::testing::Platform().undo.mCalls.back().type, corvia::kUndoColorChange);
}

TEST_F(ColorSchemesTest, LabelsAreRemovedOverTheScope) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  SetBaseTypes(poly, {0, 0, 1, 1, 1, 1});
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) f->SetLabel("F");
  poly.GetVertex(0)->SetLabel("V");
  poly.mEdgeArray[0].SetLabel("E");
  EXPECT_TRUE(corvia::SetLabelEverywhere(poly.GetFace(0), 1));
  EXPECT_FALSE(poly.GetFace(1)->HasLabel());
  EXPECT_TRUE(poly.GetFace(2)->HasLabel());
  EXPECT_EQ(poly.mFaces.mNumLabelled, 4);
  EXPECT_FALSE(corvia::SetLabelEverywhere(poly.GetFace(0), 0)) << "nothing left to remove";
  EXPECT_TRUE(corvia::SetLabelEverywhere(poly.GetFace(0), 6));
  EXPECT_EQ(poly.mFaces.mNumLabelled, 0);
  EXPECT_EQ(poly.mVertices.mNumLabelled, 0);
  EXPECT_FALSE(poly.mEdgeArray[0].HasLabel());
}

TEST(FaceImageRefs, CopiesAreSharedAndTheLastUseDeletes) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  FaceImage* image = new FaceImage(nullptr, corvia::kImageProjectPlanar, corvia::kImageBoundaryBorder);
  AttachToFace(image, poly.GetFace(0), true);
  AttachToFace(image, poly.GetFace(1), false);
  EXPECT_EQ(image->GetUseCount(), 2);
  EXPECT_EQ(image->GetOwnerFace(), poly.GetFace(0));
  EXPECT_TRUE(corvia::HasFaceImages());

  // A model copy: faces sharing an image share one copy.
  Poly copy;
  corvia::testing::BuildCube(copy);
  corvia::ClearFaceImageCopies();
  corvia::CopyFaceImage(copy.GetFace(0), poly.GetFace(0)->GetImage());
  corvia::CopyFaceImage(copy.GetFace(1), poly.GetFace(1)->GetImage());
  ASSERT_NE(copy.GetFace(0)->GetImage(), nullptr);
  EXPECT_NE(copy.GetFace(0)->GetImage(), image);
  EXPECT_EQ(copy.GetFace(0)->GetImage(), copy.GetFace(1)->GetImage());
  EXPECT_EQ(copy.GetFace(0)->GetImage()->GetUseCount(), 2);
  EXPECT_EQ(copy.GetFace(0)->GetImage()->mProjection, corvia::kImageProjectPlanar);

  // Re-attaching the same image keeps it alive; detaching the last use deletes it.
  AttachToFace(image, poly.GetFace(0), true);
  EXPECT_EQ(image->GetUseCount(), 2);
  for (Poly* p : {&poly, &copy}) {
    for (PolyElement* f = p->mFaces.mHead; f; f = f->mNext) DetachFromFace(f);
  }
  EXPECT_FALSE(corvia::HasFaceImages());
}

TEST(FaceImageRefs, SetFaceImageScopesAndCellColourFlags) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  SetBaseTypes(poly, {0, 0, 1, 1, 1, 1});
  auto& undo = corvia::testing::Platform().undo;
  FaceImage* first = new FaceImage(nullptr, 0, corvia::kImageBoundaryBorder);
  FaceImage* second = new FaceImage(nullptr, 0, corvia::kImageBoundaryBorder);
  first->AddUse();  // held by the test while it is on no face
  second->AddUse();
  poly.SetFaceImage(first, poly.GetFace(2), 1);
  EXPECT_EQ(poly.GetFace(5)->GetImage(), first);
  EXPECT_EQ(poly.GetFace(0)->GetImage(), nullptr);
  EXPECT_EQ(undo.mCalls.back().type, corvia::kUndoFaceImage);
  EXPECT_EQ(poly.mPolyFlags & corvia::kPolyFlagCellColoursStale, corvia::kPolyFlagCellColoursStale);

  // Scope 4 passes over every face that already has an image.
  poly.SetFaceImage(second, poly.GetFace(0), 4);
  EXPECT_EQ(poly.GetFace(1)->GetImage(), second);
  EXPECT_EQ(poly.GetFace(3)->GetImage(), first);
  // Scope 3: the faces of the given face's image; no change records no undo step.
  const size_t calls = undo.mCalls.size();
  poly.SetFaceImage(second, poly.GetFace(0), 3);
  EXPECT_EQ(undo.mCalls.size(), calls);

  poly.UpdateCellColours();
  EXPECT_EQ(poly.mPolyFlags & corvia::kPolyFlagCellColoursStale, 0u);

  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) DetachFromFace(f);
  FaceImage::Release(first);
  FaceImage::Release(second);
  EXPECT_FALSE(corvia::HasFaceImages());
}

}  // namespace test_ColorSchemes
