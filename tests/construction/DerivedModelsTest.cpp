#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "construction/ModelFactory.h"
#include "construction/WatermanStep.h"
#include "core/FaceImageRef.h"
#include "core/Units.h"
#include "model/CreatePoly.h"
#include "model/FaceImageAttach.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "model/Subdivision.h"
#include "stellation/Stellate.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"
#include "tests/construction/DerivedModelChecks.h"
#include "tests/support/TestSupport.h"

namespace test_DerivedModels {

struct Cube {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  bool built = polyTemplate.Parse("4.4.4", nullptr) && poly.Build(&polyTemplate, 0);
};

}  // namespace test_DerivedModels

TEST(DerivedModels, BaseAndDualCopiesOfTheCube) {
  test_DerivedModels::Cube cube;
  ASSERT_TRUE(cube.built);
  std::unique_ptr<corvia::SimplePoly> base(CreateSimplePoly(&cube.poly, corvia::kDeriveBase, nullptr, nullptr));
  ASSERT_TRUE(base);
  EXPECT_EQ(base->NumVerts(), 8);
  EXPECT_EQ(base->NumFaces(), 6);
  for (int i = 0; i < base->NumFaces(); ++i) EXPECT_EQ(base->FaceAt(i).Count(), 4);
  for (int i = 0; i < base->NumVerts(); ++i) EXPECT_EQ(base->VertAt(i).Count(), 3);
  std::unique_ptr<corvia::SimplePoly> dual(CreateSimplePoly(&cube.poly, corvia::kDeriveDual, nullptr, nullptr));
  ASSERT_TRUE(dual);
  EXPECT_EQ(dual->NumVerts(), 6);
  EXPECT_EQ(dual->NumFaces(), 8);
  for (int i = 0; i < dual->NumFaces(); ++i) EXPECT_EQ(dual->FaceAt(i).Count(), 3);
  // Vertices only: no faces at all.
  std::unique_ptr<corvia::SimplePoly> points(
      CreateSimplePoly(&cube.poly, corvia::kDeriveBase | corvia::kDeriveVerticesOnly, nullptr, nullptr));
  ASSERT_TRUE(points);
  EXPECT_EQ(points->NumVerts(), 8);
  EXPECT_EQ(points->NumFaces(), 0);
}

TEST(DerivedModels, EdgeListsKeepOneNodePerPair) {
  corvia::EdgeListNode* list = nullptr;
  corvia::AddEdgeToList(7, 3, 0x11, list);
  corvia::AddEdgeToList(3, 7, 0x22, list);
  ASSERT_EQ(corvia::CountEdgeList(list), 1);
  EXPECT_EQ(list->low, 3);
  EXPECT_EQ(list->high, 7);
  EXPECT_EQ(list->color, 0x11u);
  corvia::FreeEdgeList(list);

  test_DerivedModels::Cube cube;
  ASSERT_TRUE(cube.built);
  // With or without the edge array, one node per edge of the side.
  corvia::EdgeListNode* edges = CreateEdgeList(&cube.poly, corvia::kDeriveBase);
  EXPECT_EQ(corvia::CountEdgeList(edges), 12);
  corvia::FreeEdgeList(edges);
  cube.poly.ClearEdges();
  edges = CreateEdgeList(&cube.poly, corvia::kDeriveDual);
  EXPECT_EQ(corvia::CountEdgeList(edges), 12);
  for (const corvia::EdgeListNode* node = edges; node; node = node->next) EXPECT_LT(node->low, node->high);
  corvia::FreeEdgeList(edges);
}

TEST(DerivedModels, DispatchAndNames) {
  test_DerivedModels::Cube cube;
  ASSERT_TRUE(cube.built);
  cube.poly.SetName("Cube");
  cube.poly.SetDualName("Unnamed Dual");
  corvia::EdgeListNode* edges = nullptr;
  uint8_t derived = 0;
  std::unique_ptr<corvia::SimplePoly> dual(
      corvia::DeriveModelForViewType(cube.poly, corvia::kViewDualPolyhedron, 0, &edges, &derived));
  ASSERT_TRUE(dual);
  EXPECT_EQ(derived, 1);
  EXPECT_EQ(corvia::CountEdgeList(edges), 12);
  corvia::FreeEdgeList(edges);
  // The dual side swaps the names; a placeholder name counts as none.
  EXPECT_EQ(dual->name, "");
  EXPECT_EQ(dual->dualName, "Cube");

  // A compound pane cannot give a model: quietly, or with the message.
  const size_t before = corvia::testing::Platform().messages.Boxes().size();
  EXPECT_EQ(corvia::DeriveModelForViewType(cube.poly, corvia::kViewCompound, corvia::kDeriveQuiet, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().size(), before);
  corvia::Outcome why;
  EXPECT_EQ(corvia::DeriveModelForViewType(cube.poly, corvia::kViewFacetingDiagram, 0, nullptr, nullptr, &why),
            nullptr);
  EXPECT_EQ(why.text(), "Can't perform that operation from this type of view.\nPlease select another type of view first.");
  // A morph pane gives its morph at the panes' ratio (the model itself at 0); the
  // derived flag is the base and dual copies' alone.
  derived = 1;
  std::unique_ptr<corvia::SimplePoly> morph(
      corvia::DeriveModelForViewType(cube.poly, corvia::kViewMorphBySizing, 0, &edges, &derived));
  ASSERT_TRUE(morph);
  EXPECT_EQ(derived, 0);
  EXPECT_EQ(edges, nullptr);
  EXPECT_EQ(morph->NumVerts(), 14);
}

TEST(DerivedModels, WatermanRootOutOfRangeBuildsNothing) {
  const size_t before = corvia::testing::Platform().messages.Boxes().size();
  EXPECT_EQ(corvia::CreateWatermanModel(0, 11, false), nullptr);
  EXPECT_EQ(corvia::CreateWatermanModel(0, 0, false), nullptr);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().size(), before);
  EXPECT_EQ(corvia::GetWatermanSettings().root, 6);
}

TEST(DerivedModels, LibraryEntryTemplateOwnsItsConfiguration) {
  corvia::PolyTemplate lookup;
  ASSERT_TRUE(lookup.Parse("3.3.3.3.3", nullptr));
  ASSERT_NE(lookup.mEntry, nullptr);
  // The entry's configuration text is a temporary inside the call; the template
  // that the model keeps must not point into it.
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  ASSERT_TRUE(CreateFromLibraryEntry(&poly, &polyTemplate, lookup.mEntry, false));
  EXPECT_EQ(polyTemplate.mText, "3.3.3.3.3");
  EXPECT_EQ(poly.mFaces.mCount, 20);
}

TEST(DerivedModels, CompoundWithTheDual) {
  test_DerivedModels::Cube cube;
  ASSERT_TRUE(cube.built);
  cube.poly.SetName("Cube");
  std::unique_ptr<corvia::SimplePoly> compound(corvia::MakeCompoundWithDual(cube.poly, 0));
  ASSERT_TRUE(compound);
  EXPECT_EQ(compound->name, "Dual compound of Cube");
  const corvia::testing::ModelFigures figures = corvia::testing::Measure(*compound);
  EXPECT_EQ(figures.parts, 2);
  EXPECT_EQ(figures.group, "Oh");
  EXPECT_EQ(figures.verts, 14);
  EXPECT_EQ(figures.faceKinds, (std::map<int, int>{{3, 8}, {4, 6}}));
  // The Base/Dual Compound pane gives the same model.
  std::unique_ptr<corvia::SimplePoly> pane(
      corvia::DeriveModelForViewType(cube.poly, corvia::kViewBaseDualCompound, 0, nullptr, nullptr));
  ASSERT_TRUE(pane);
  EXPECT_EQ(pane->NumFaces(), 14);
}

TEST(DerivedModels, CopiesOfOnePartOfACompound) {
  test_DerivedModels::Cube cube;
  ASSERT_TRUE(cube.built);
  // A single model has no part to keep or to remove.
  corvia::CompoundPart* only = cube.poly.GetCompoundPart(0);
  ASSERT_NE(only, nullptr);
  corvia::Outcome why;
  EXPECT_EQ(CreateSimplePoly(&cube.poly, corvia::kDeriveBase | corvia::kDeriveKeepPart, only, nullptr, &why), nullptr);
  EXPECT_EQ(why.text(), "Model only has one part.");
  EXPECT_EQ(CreateSimplePoly(&cube.poly, corvia::kDeriveBase, only, nullptr, &why), nullptr);
  EXPECT_EQ(why.text(), "Can't remove only component.");
  EXPECT_EQ(why.kind(), corvia::Outcome::Kind::kRefused);

  std::unique_ptr<corvia::SimplePoly> simple(corvia::MakeCompoundWithDual(cube.poly, 0));
  corvia::Poly compound;
  ASSERT_TRUE(CreatePoly(*simple, &compound, true, false));
  ASSERT_EQ(compound.CountCompoundParts(), 2);
  std::vector<int> indices;
  std::vector<uint32_t> flags;
  for (corvia::PolyElement* e = compound.mVertices.mHead; e; e = e->mNext) {
    indices.push_back(e->mIndex);
    flags.push_back(e->mFlags);
  }
  for (int which = 0; which < 2; ++which) {
    corvia::CompoundPart* part = compound.GetCompoundPart(which);
    const int otherFaces = compound.GetCompoundPart(1 - which)->mNumFaces;
    std::unique_ptr<corvia::SimplePoly> kept(
        CreateSimplePoly(&compound, corvia::kDeriveBase | corvia::kDeriveKeepPart, part, nullptr));
    std::unique_ptr<corvia::SimplePoly> removed(CreateSimplePoly(&compound, corvia::kDeriveBase, part, nullptr));
    ASSERT_TRUE(kept && removed);
    EXPECT_EQ(kept->NumFaces(), part->mNumFaces);
    EXPECT_EQ(kept->NumVerts(), part->mNumVertices);
    EXPECT_EQ(removed->NumFaces(), otherFaces);
    // Indices address the copy, and each part is a sound model of its own.
    for (const corvia::SimplePoly* copy : {kept.get(), removed.get()}) {
      for (int f = 0; f < copy->NumFaces(); ++f) {
        for (int32_t v : copy->FaceAt(f).items) EXPECT_TRUE(v >= 0 && v < copy->NumVerts());
      }
      const corvia::testing::ModelFigures figures = corvia::testing::Measure(*copy);
      EXPECT_EQ(figures.parts, 1);
      EXPECT_EQ(figures.group, "Oh");
    }
    // Vertices only: no faces, part or not.
    std::unique_ptr<corvia::SimplePoly> points(CreateSimplePoly(
        &compound, corvia::kDeriveBase | corvia::kDeriveVerticesOnly | corvia::kDeriveKeepPart, part, nullptr));
    ASSERT_TRUE(points);
    EXPECT_EQ(points->NumFaces(), 0);
  }
  // The model is as it was.
  size_t k = 0;
  for (corvia::PolyElement* e = compound.mVertices.mHead; e; e = e->mNext, ++k) {
    EXPECT_EQ(e->mIndex, indices[k]);
    EXPECT_EQ(e->mFlags, flags[k]);
  }
}

TEST(DerivedModels, FacesAsTrianglesOfTheirOutlines) {
  test_DerivedModels::Cube cube;
  ASSERT_TRUE(cube.built);
  std::unique_ptr<corvia::SimplePoly> triangles(
      CreateSimplePoly(&cube.poly, corvia::kDeriveBase | corvia::kDeriveTriangles, nullptr, nullptr));
  ASSERT_TRUE(triangles);
  EXPECT_EQ(triangles->NumVerts(), 8);
  EXPECT_EQ(triangles->NumFaces(), 12);
  EXPECT_EQ(triangles->NumEdges(), 0);
  for (int f = 0; f < triangles->NumFaces(); ++f) EXPECT_EQ(triangles->FaceAt(f).Count(), 3);
  // Still a closed surface whose triangles wind outwards.
  const corvia::testing::ModelFigures figures = corvia::testing::Measure(*triangles);
  EXPECT_TRUE(figures.made);
  EXPECT_EQ(figures.edges, 18);

  // A pentagram's outline is its inner pentagon and its five points: the points where
  // the edges cross become vertices, shared by the faces whose inner pentagons are the
  // faces of the dodecahedron inside.
  corvia::testing::TemplateModel star("5/2.5/2.5/2.5/2.5/2");
  ASSERT_TRUE(star.built);
  std::unique_ptr<corvia::SimplePoly> pieces(
      CreateSimplePoly(&star.poly, corvia::kDeriveBase | corvia::kDeriveTriangles2, nullptr, nullptr));
  ASSERT_TRUE(pieces);
  EXPECT_EQ(pieces->NumVerts(), 12 + 20);
  EXPECT_EQ(pieces->NumFaces(), 12 * (3 + 5));
}

TEST(DerivedModels, CopiedPicturesReferToTheCopy) {
  test_DerivedModels::Cube cube;
  ASSERT_TRUE(cube.built);
  corvia::PolyElement* owner = cube.poly.GetFace(2);
  corvia::PolyElement* other = cube.poly.GetFace(4);
  auto* image = new corvia::FaceImage(nullptr, corvia::kImageProjectPlanar, corvia::kImageBoundaryBorder);
  AttachToFace(image, owner, true);
  AttachToFace(image, other, false);
  std::unique_ptr<corvia::SimplePoly> copy(CreateSimplePoly(&cube.poly, corvia::kDeriveBase, nullptr, nullptr));
  ASSERT_TRUE(copy);
  corvia::FaceImage* copied = copy->FaceAt(2).Image();
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied, image);
  EXPECT_EQ(copy->FaceAt(4).Image(), copied);
  EXPECT_EQ(copied->mOwner, static_cast<void*>(&copy->FaceAt(2)));
  copy.reset();
  corvia::DetachFromFace(owner);
  corvia::DetachFromFace(other);
}

// A model made from the current one keeps the lengths of what it was made from (the
// dual of the cube, scaled to a radius of 1, is as large on paper as beside the cube);
// a model made afresh takes the length scale the user has.
TEST(DerivedModels, ModelsKeepTheirSizeOnPaper) {
  corvia::UnitSettings& units = corvia::GetUnitSettings();
  const corvia::UnitSettings saved = units;
  units.mLengthScale = 3.0;
  test_DerivedModels::Cube cube;
  ASSERT_TRUE(cube.built);
  const double dualRadius = cube.poly.GetRadius() * units.mLengthScale;
  EXPECT_GT(std::fabs(dualRadius - 3.0), 0.1);
  std::unique_ptr<corvia::SimplePoly> dual(CreateSimplePoly(&cube.poly, corvia::kDeriveDual, nullptr, nullptr));
  ASSERT_TRUE(dual);
  corvia::Poly octahedron;
  ASSERT_TRUE(CreatePoly(*dual, &octahedron, false, false));
  EXPECT_NEAR(units.mLengthScale, dualRadius, 1e-9);

  std::unique_ptr<corvia::SimplePoly> copy(CreateSimplePoly(&octahedron, corvia::kDeriveBase, nullptr, nullptr));
  ASSERT_TRUE(copy);
  corvia::Poly same;
  ASSERT_TRUE(CreatePoly(*copy, &same, false, false));
  EXPECT_NEAR(units.mLengthScale, dualRadius, 1e-9);

  units.mLengthScale = 5.0;
  corvia::SimplePoly fresh(4, 0);
  EXPECT_EQ(fresh.scale, 5.0);
  units = saved;
}

// Models the program works out itself stellate as exactly as their planes allow: the
// convex hull of Waterman R8 with its dual, and the geodesic sphere of frequency 4, whose
// planes cross in points that lie near one another (they were refused with words about
// files written with few decimals). A model read from a file carries its file's decimals
// to every model made from it.
TEST(DerivedModels, ModelsTheProgramMakesStellateAsExactly) {
  std::unique_ptr<corvia::SimplePoly> waterman = corvia::CreateWatermanModel(0, 8, false);
  ASSERT_NE(waterman, nullptr);
  corvia::Poly lattice;
  ASSERT_TRUE(corvia::CreatePoly(*waterman, &lattice, false, false));
  std::unique_ptr<corvia::SimplePoly> both(corvia::MakeCompoundWithDual(lattice, 0));
  ASSERT_NE(both, nullptr);
  std::unique_ptr<corvia::SimplePoly> hull = corvia::CreateConvexHull(*both, 0, nullptr);
  ASSERT_NE(hull, nullptr);
  corvia::Poly sphere;
  {
    corvia::Poly icosahedron;
    corvia::PolyTemplate polyTemplate;
    ASSERT_TRUE(CreateFromLibraryEntry(&icosahedron, &polyTemplate, corvia::GetLibraryEntry(4), false));
    std::unique_ptr<corvia::SimplePoly> divided = icosahedron.Subdivide(corvia::kSubdivideGeodesic, 4);
    ASSERT_NE(divided, nullptr);
    ASSERT_TRUE(corvia::CreatePoly(*divided, &sphere, false, false));
  }
  corvia::Poly hullPoly;
  ASSERT_TRUE(corvia::CreatePoly(*hull, &hullPoly, false, false));
  auto& messages = corvia::testing::Platform().messages;
  for (corvia::Poly* poly : {&hullPoly, &sphere}) {
    SCOPED_TRACE(poly->mFaces.mCount);
    messages.Clear();
    messages.QueueAnswer(0);  // "Proceed anyway" at the complexity warning
    const corvia::Outcome why = corvia::Stellate(poly, poly->mBaseBlock.get(), false);
    EXPECT_TRUE(why.done()) << why.text();
    EXPECT_TRUE(poly->mBaseBlock->IsStellated());
  }
  // Read from a file, and made into another model.
  hullPoly.mPolyFlags |= corvia::kPolyFlagFileCorners | corvia::kPolyFlagDecimalCorners;
  std::unique_ptr<corvia::SimplePoly> copy(CreateSimplePoly(&hullPoly, corvia::kDeriveBase, nullptr, nullptr));
  ASSERT_NE(copy, nullptr);
  std::unique_ptr<corvia::SimplePoly> dual = copy->CreateDual(1.0);
  ASSERT_NE(dual, nullptr);
  EXPECT_NE(dual->flags & corvia::kSimpleFileCorners, 0u);
  EXPECT_NE(dual->flags & corvia::kSimpleDecimalCorners, 0u);
}
