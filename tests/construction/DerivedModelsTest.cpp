#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "construction/DerivedModels.h"
#include "construction/LibraryEntry.h"
#include "construction/PolyTemplate.h"
#include "model/Poly.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/MissingServices.h"
#include "tests/support/TestSupport.h"

namespace test_DerivedModels {

using corvia::testing::MissingServicesOnly;

bool HasBox(const std::string& title, const std::string& text) {
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) {
    if (box.title == title && box.text.find(text) != std::string::npos) return true;
  }
  return false;
}

struct Cube {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  bool built = polyTemplate.Parse("4.4.4", false) && poly.Build(&polyTemplate, 0);
};

}  // namespace test_DerivedModels

TEST(DerivedModels, BaseAndDualCopiesOfTheCube) {
  test_DerivedModels::MissingServicesOnly missing;
  test_DerivedModels::Cube cube;
  ASSERT_TRUE(cube.built);
  std::unique_ptr<corvia::SimplePoly> base(cube.poly.CreateSimplePoly(corvia::kDeriveBase, nullptr, nullptr));
  ASSERT_TRUE(base);
  EXPECT_EQ(base->NumVerts(), 8);
  EXPECT_EQ(base->NumFaces(), 6);
  for (int i = 0; i < base->NumFaces(); ++i) EXPECT_EQ(base->FaceAt(i).Count(), 4);
  for (int i = 0; i < base->NumVerts(); ++i) EXPECT_EQ(base->VertAt(i).Count(), 3);
  std::unique_ptr<corvia::SimplePoly> dual(cube.poly.CreateSimplePoly(corvia::kDeriveDual, nullptr, nullptr));
  ASSERT_TRUE(dual);
  EXPECT_EQ(dual->NumVerts(), 6);
  EXPECT_EQ(dual->NumFaces(), 8);
  for (int i = 0; i < dual->NumFaces(); ++i) EXPECT_EQ(dual->FaceAt(i).Count(), 3);
  // Vertices only: no faces at all.
  std::unique_ptr<corvia::SimplePoly> points(
      cube.poly.CreateSimplePoly(corvia::kDeriveBase | corvia::kDeriveVerticesOnly, nullptr, nullptr));
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

  test_DerivedModels::MissingServicesOnly missing;
  test_DerivedModels::Cube cube;
  ASSERT_TRUE(cube.built);
  // With or without the edge array, one node per edge of the side.
  corvia::EdgeListNode* edges = cube.poly.CreateEdgeList(corvia::kDeriveBase);
  EXPECT_EQ(corvia::CountEdgeList(edges), 12);
  corvia::FreeEdgeList(edges);
  cube.poly.ClearEdges();
  edges = cube.poly.CreateEdgeList(corvia::kDeriveDual);
  EXPECT_EQ(corvia::CountEdgeList(edges), 12);
  for (const corvia::EdgeListNode* node = edges; node; node = node->next) EXPECT_LT(node->low, node->high);
  corvia::FreeEdgeList(edges);
}

TEST(DerivedModels, DispatchAndNames) {
  test_DerivedModels::MissingServicesOnly missing;
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
  EXPECT_EQ(corvia::DeriveModelForViewType(cube.poly, corvia::kViewFacetingDiagram, 0, nullptr, nullptr), nullptr);
  EXPECT_TRUE(test_DerivedModels::HasBox("Error", "Can't perform that operation from this type of view."));
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
  corvia::CreateWatermanModel(0, 11, false);
  corvia::CreateWatermanModel(0, 0, false);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().size(), before);
  EXPECT_EQ(corvia::GetWatermanSettings().root, 6);
}

TEST(DerivedModels, LibraryEntryTemplateOwnsItsConfiguration) {
  test_DerivedModels::MissingServicesOnly missing;
  corvia::PolyTemplate lookup;
  ASSERT_TRUE(lookup.Parse("3.3.3.3.3", false));
  ASSERT_NE(lookup.mEntry, nullptr);
  // The entry's configuration text is a temporary inside the call; the template
  // that the model keeps must not point into it.
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  ASSERT_TRUE(poly.CreateFromLibraryEntry(&polyTemplate, lookup.mEntry, false));
  EXPECT_EQ(polyTemplate.mText, "3.3.3.3.3");
  EXPECT_EQ(poly.mFaces.mCount, 20);
}
