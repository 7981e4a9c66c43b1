// Browsing facetings, edges, planes and facets with the keys' operations, showing
// facetings as drawn polygons, and starting the search from drawn polygons.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/DrawnPolygon.h"
#include "core/PolygonRing.h"
#include "model/ElementServices.h"
#include "model/PolyElement.h"
#include "tests/stellation/FacetingModels.h"

namespace corvia {
namespace {

using testing::CurrentFacetIndices;
using testing::DrawnCorners;
using testing::FacetingDocument;
using testing::FacetingFixture;
using testing::TemplateModel;

// A faceting as the set of its facets, and the drawn polygons as a set.
std::vector<int> Facets(const Faceting& faceting) {
  std::vector<int> indices = CurrentFacetIndices(faceting);
  std::sort(indices.begin(), indices.end());
  return indices;
}

std::vector<std::vector<std::array<double, 3>>> Drawn(const Poly& poly) {
  auto drawn = DrawnCorners(poly);
  std::sort(drawn.begin(), drawn.end());
  return drawn;
}

class FacetingBrowse : public FacetingFixture {
 protected:
  // The key handler's sequence: an undo step, the operation, the faceting shown.
  template <typename Step>
  static void Key(Faceting& faceting, Step step) {
    platform::Services().undo->AddUndo(kUndoDrawnPolygons, 0);
    step();
    ShowCurrentFaceting(&faceting);
  }
};

TEST_F(FacetingBrowse, ForwardToTheLastAndBackGivesTheListReversed) {
  TemplateModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingIsohedral);
  std::vector<std::vector<std::vector<std::array<double, 3>>>> shown;
  std::vector<std::vector<int>> forward;
  for (;;) {
    Key(faceting, [&] { faceting.StepForward(); });
    if (!faceting.GetFirstFacetInFaceting()) break;
    forward.push_back(Facets(faceting));
    shown.push_back(Drawn(model.poly));
  }
  ASSERT_EQ(forward.size(), 11u);
  // Past the last there is none; back from there gives them all again, last first (a
  // pair of mirror facets comes the other way round).
  std::vector<std::vector<int>> backward;
  for (;;) {
    Key(faceting, [&] { faceting.StepBack(); });
    if (!faceting.GetFirstFacetInFaceting()) break;
    backward.push_back(Facets(faceting));
    EXPECT_EQ(Drawn(model.poly), shown[shown.size() - backward.size()]);
  }
  std::reverse(backward.begin(), backward.end());
  EXPECT_EQ(backward, forward);
  // End goes to the last, Ctrl+Home to the first even with drawn polygons about.
  Key(faceting, [&] { faceting.GoToLast(); });
  EXPECT_EQ(Facets(faceting), forward.back());
  EXPECT_FALSE(model.poly.mDrawnPolygons->ring == nullptr);
  Key(faceting, [&] { faceting.GoToFirst(); });
  EXPECT_EQ(Facets(faceting), forward.front());
}

// Each step through the facetings says in the pane which one it shows: its number in
// the order of the steps, the count once a step or the enumeration went through them
// all, and its facets; past either end, that the steps start again.
TEST_F(FacetingBrowse, EachStepSaysWhichFacetingItShows) {
  TemplateModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingIsohedral);
  const std::string& said = testing::Platform().views.mPaneMessage;
  auto shows = [&](const std::string& place) {
    const Facet* first = faceting.GetFirstFacetInFaceting();
    if (!first) return ::testing::AssertionFailure() << "no faceting; the pane says " << said;
    const std::string words = place + ": facet";
    if (said.rfind(words, 0) != 0 || said.find(std::string(" ") + Facet::GetIdText(first)) == std::string::npos)
      return ::testing::AssertionFailure() << "the pane says " << said;
    return ::testing::AssertionSuccess();
  };
  for (int n = 1; n <= 11; ++n) {
    Key(faceting, [&] { faceting.StepForward(); });
    EXPECT_TRUE(shows("Faceting " + std::to_string(n))) << n;
  }
  Key(faceting, [&] { faceting.StepForward(); });
  EXPECT_EQ(said, "That was the last faceting (11 in all): the next step starts again from the first.");
  Key(faceting, [&] { faceting.StepForward(); });
  EXPECT_TRUE(shows("Faceting 1 of 11"));
  Key(faceting, [&] { faceting.StepBack(); });
  EXPECT_EQ(said, "That was the first faceting: the next step back goes to the last.");
  Key(faceting, [&] { faceting.StepBack(); });
  EXPECT_TRUE(shows("Faceting 11 of 11"));
  Key(faceting, [&] { faceting.StepBack(); });
  EXPECT_TRUE(shows("Faceting 10 of 11"));
  Key(faceting, [&] { faceting.GoToFirst(); });
  EXPECT_TRUE(shows("Faceting 1 of 11"));
  Key(faceting, [&] { faceting.GoToLast(); });
  EXPECT_TRUE(shows("Faceting 11 of 11"));

  // Under other criteria the count comes from the enumeration; the steps then start
  // from the first faceting.
  Use(faceting, kFacetingTidy);
  ASSERT_TRUE(faceting.EnumerateFacetings());
  const int64_t total = faceting.GetKnownTotal();
  ASSERT_GT(total, 1);
  Key(faceting, [&] { faceting.StepForward(); });
  EXPECT_TRUE(shows("Faceting 1 of " + std::to_string(total)));
  Key(faceting, [&] { faceting.StepForward(); });
  EXPECT_TRUE(shows("Faceting 2 of " + std::to_string(total)));
  // Other limits count other facetings.
  GetFacetingSettings().minFacetTypes = 2;
  EXPECT_EQ(faceting.GetKnownTotal(), -1);
}

TEST_F(FacetingBrowse, ASingleFacetingIsFoundAgainAfterNone) {
  TemplateModel model("3.3.3.3");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingIsohedral);
  Key(faceting, [&] { faceting.StepForward(); });
  const std::vector<int> only = CurrentFacetIndices(faceting);
  ASSERT_EQ(only.size(), 1u);
  EXPECT_EQ(DrawnCorners(model.poly).size(), 1u);
  Key(faceting, [&] { faceting.StepForward(); });
  EXPECT_TRUE(CurrentFacetIndices(faceting).empty());
  EXPECT_TRUE(DrawnCorners(model.poly).empty());
  Key(faceting, [&] { faceting.StepForward(); });
  EXPECT_EQ(CurrentFacetIndices(faceting), only);
}

TEST_F(FacetingBrowse, EndIsRefusedUnderTheOtherCriteriaAndKeepsTheFaceting) {
  TemplateModel model("3.4.3.4");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingTidy);
  Key(faceting, [&] { faceting.StepForward(); });
  Key(faceting, [&] { faceting.StepForward(); });
  const std::vector<int> current = CurrentFacetIndices(faceting);
  const auto drawn = DrawnCorners(model.poly);
  ASSERT_FALSE(current.empty());
  const size_t undoSteps = testing::Platform().undo.mCalls.size();
  const int discards = testing::Platform().undo.mDiscards;
  Key(faceting, [&] { faceting.GoToLast(); });
  EXPECT_EQ(CurrentFacetIndices(faceting), current);
  EXPECT_EQ(DrawnCorners(model.poly), drawn);
  EXPECT_EQ(testing::Platform().undo.mCalls.size(), undoSteps + 1);
  EXPECT_EQ(testing::Platform().undo.mDiscards, discards + 1) << "the key's undo step goes again";
  EXPECT_EQ(testing::Platform().views.mPaneMessage.rfind("Sorry, going to the previous faceting", 0), 0u);
}

TEST_F(FacetingBrowse, HomeShowsTheModelsOwnFaces) {
  TemplateModel model("3.4.3.4");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  ShowOriginalAsFaceting(&model.poly);
  const auto drawn = DrawnCorners(model.poly);
  ASSERT_EQ(drawn.size(), 2u) << "one polygon per face type";
  std::vector<size_t> sides = {drawn[0].size(), drawn[1].size()};
  std::sort(sides.begin(), sides.end());
  EXPECT_EQ(sides, (std::vector<size_t>{3, 4}));
  // Ctrl+Home clears them and finds the first faceting.
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingTidy);
  faceting.GoToFirst();
  ShowCurrentFaceting(&faceting);
  const std::vector<int> first = CurrentFacetIndices(faceting);
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(DrawnCorners(model.poly).size(), first.size());
}

TEST_F(FacetingBrowse, EdgesStepAndWrapThroughNone) {
  TemplateModel model("3.4.3.4");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingTidy);
  SetFacetingBrowseMode(kBrowseEdges);
  faceting.GoToFirst();
  ASSERT_TRUE(faceting.mCurrentEdge);
  EXPECT_EQ(faceting.mCurrentEdge, faceting.mEdgeHead);
  EXPECT_EQ(testing::Platform().views.mStatus.rfind("Faceting edge 0: Length ", 0), 0u);
  // The edge is drawn as a polygon of its two ends.
  ASSERT_TRUE(model.poly.mCurrentDrawnPolygon->ring);
  EXPECT_EQ(CountPolygonRing(model.poly.mCurrentDrawnPolygon->ring), 2);
  faceting.GoToLast();
  EXPECT_EQ(faceting.mCurrentEdge, faceting.mEdgeTail);
  faceting.StepForward();
  EXPECT_EQ(faceting.mCurrentEdge, nullptr);
  faceting.StepForward();
  EXPECT_EQ(faceting.mCurrentEdge, faceting.mEdgeHead);
  int steps = 1;
  while (faceting.mCurrentEdge) {
    faceting.StepForward();
    ++steps;
  }
  EXPECT_EQ(steps, faceting.mNumEdges + 1);
}

TEST_F(FacetingBrowse, FacetsAndPlanesStepInOrder) {
  TemplateModel model("3.6.6");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingCoplanarVerts);
  SetFacetingBrowseMode(kBrowseFacets);
  int facets = 0;
  for (faceting.StepForward(); faceting.mCurrentFacet; faceting.StepForward()) {
    EXPECT_EQ(faceting.mCurrentFacet->GetGlobalIndex(), facets++);
    EXPECT_EQ(testing::Platform().views.mStatus, Facet::GetInfoText(faceting.mCurrentFacet));
  }
  EXPECT_EQ(facets, faceting.mNumFacets);
  faceting.StepBack();
  EXPECT_EQ(faceting.mCurrentFacet, faceting.GetLastFacet());
  SetFacetingBrowseMode(kBrowsePlanes);
  ClearFacetingSelection();
  model.poly.mCurrentDrawnPolygon->Clear();
  int planes = 0;
  for (faceting.StepForward(); faceting.mCurrentFacet; faceting.StepForward()) {
    EXPECT_EQ(faceting.mCurrentFacet, faceting.mCurrentFacet->mPlane->mFacetHead);
    EXPECT_EQ(faceting.mCurrentFacet->mPlane->mIndex, planes++);
    EXPECT_EQ(testing::Platform().views.mStatus.rfind("Plane " + std::to_string(planes - 1) + ": Height ", 0), 0u);
  }
  EXPECT_EQ(planes, faceting.mNumPlanes);
}

TEST_F(FacetingBrowse, DrawnFacetsStartTheSearchWhereTheyAre) {
  TemplateModel model("3.6.6");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  for (int criteria : {kFacetingIsohedral, kFacetingTidy, kFacetingCoplanarVerts}) {
    SCOPED_TRACE(criteria);
    Use(faceting, criteria);
    std::vector<std::vector<int>> all;
    while (faceting.FindNextFaceting()) all.push_back(CurrentFacetIndices(faceting));
    ASSERT_GE(all.size(), 2u);
    // Show the second faceting, forget the engine's state, and start from the drawing.
    Use(faceting, criteria);
    faceting.FindNextFaceting();
    faceting.FindNextFaceting();
    ShowCurrentFaceting(&faceting);
    faceting.Reset(true, true);
    EXPECT_FALSE(faceting.StartFromDrawnFaces()) << "every drawn polygon matched";
    std::vector<int> found = CurrentFacetIndices(faceting);
    std::vector<int> expected = all[1];
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    // Each drawn polygon names its facet, whatever its place among the symmetric copies.
    for (const DrawnPolygon* polygon = model.poly.mDrawnPolygons; polygon && polygon->ring; polygon = polygon->next) {
      bool exact = false;
      const Facet* facet = faceting.FindFacetOfPolygon(polygon, &exact);
      EXPECT_TRUE(exact);
      EXPECT_TRUE(facet && (facet->mFlags & kFacetInFaceting));
    }
  }
  // A polygon that is no facet spoils the match.
  model.poly.ClearDrawnPolygons(true);
  const PolyElement* a = model.poly.mVertices.mHead;
  model.poly.AddFacetVertex(a->mDualVert);
  model.poly.AddFacetVertex(a->mNext->mDualVert);
  model.poly.FinishDrawnPolygon(false, false);
  EXPECT_TRUE(faceting.StartFromDrawnFaces());
}

TEST_F(FacetingBrowse, AFacetIsShownWhileDrawingInFacetingMode) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  EXPECT_FALSE(HasCurrentFaceting());
  const PolyElement* vertex = model.poly.mVertices.mHead;
  model.poly.AddFacetVertex(vertex->mDualVert);
  EXPECT_FALSE(HasCurrentFaceting()) << "not in faceting mode";
  SetFacetingModeOn(true);
  EXPECT_TRUE(HasCurrentFaceting());
  EXPECT_EQ(GetFacetPreviewPoint(vertex), FacetPreviewPoint::kInside);
  EXPECT_EQ(GetFacetPreviewPoint(vertex->mNext), FacetPreviewPoint::kOutside);
  SetFacetingModeOn(false);
  EXPECT_EQ(GetFacetPreviewPoint(vertex), FacetPreviewPoint::kNoPreview);
}

TEST_F(FacetingBrowse, SettingsForTheModelFile) {
  EXPECT_EQ(FindFacetingCriteriaByName("Isohedral"), kFacetingIsohedral);
  EXPECT_EQ(FindFacetingCriteriaByName("DualTidy"), kFacetingTidyAndDuals);
  EXPECT_EQ(FindFacetingCriteriaByName("Tidy"), kFacetingTidy);
  EXPECT_EQ(FindFacetingCriteriaByName("CoplanarVerts"), kFacetingCoplanarVerts);
  EXPECT_EQ(FindFacetingCriteriaByName("Spiky"), -1);
  TemplateModel model("3.6.6");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingCoplanarVerts, kFacetingOnlySpiky);
  SetMaxFacetTypes(0);
  EXPECT_EQ(GetFacetingSettings().maxFacetTypes, kFacetingNoLimit);
  SetMinFacetTypes(-3);
  EXPECT_EQ(GetFacetingSettings().minFacetTypes, 1);
  FacetingCriteria stored = GetFacetingCriteria(&faceting);
  EXPECT_EQ(stored.criteria, kFacetingCoplanarVerts);
  EXPECT_TRUE(stored.spikyFaceting);
  EXPECT_FALSE(stored.partialFacetingOK);
  stored.totalNum = BigUInt(41);
  stored.maxFacets = 5;
  stored.spikyFaceting = false;
  stored.criteria = kFacetingTidy;
  RestoreFacetingCriteria(stored, &faceting);
  EXPECT_EQ(GetFacetingSettings().criteria, kFacetingTidy);
  EXPECT_EQ(GetFacetingSettings().maxFacetTypes, 5);
  EXPECT_EQ(GetFacetingSettings().options, 0u);
  char text[16];
  faceting.mNumFound.ToString(text, sizeof text);
  EXPECT_STREQ(text, "41");
  // The prompts of the limits.
  testing::Platform().messages.QueueText("0");
  EXPECT_TRUE(PromptMaxFacetTypes());
  EXPECT_EQ(GetFacetingSettings().maxFacetTypes, kFacetingNoLimit);
  testing::Platform().messages.QueueText("3");
  EXPECT_TRUE(PromptMinFacetTypes());
  EXPECT_EQ(GetFacetingSettings().minFacetTypes, 3);
  EXPECT_EQ(testing::Platform().messages.TextPrompts().back(),
            "Enter minimum number of facet types for\nacceptable facetings");
}

}  // namespace
}  // namespace corvia
