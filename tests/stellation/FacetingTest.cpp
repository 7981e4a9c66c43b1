// The faceting engine: its elements and their texts, the acceptance tests and the
// bookkeeping of adding and removing facets, preparation edge cases, and the search:
// every faceting closed and symmetric, the same list on every run, chiral facetings
// with their compounds, cancelling and resuming an enumeration, counts beyond 64 bits,
// and the published facetings of the regular solids and the cuboctahedron.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/PolyElement.h"
#include "stellation/SimpleFaceting.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/stellation/FacetingModels.h"

namespace test_Faceting {

using corvia::Facet;
using corvia::Faceting;
using corvia::FacetingEdge;
using corvia::FacetPlane;

// Everything AddFacet and RemoveFacet touch.
struct State {
  std::vector<uint32_t> edgeFlags;
  std::vector<const void*> edgeUses;
  std::vector<int> leaderCounts;
  std::vector<uint32_t> facetFlags;
  std::vector<int> typeCounts;
  std::vector<const void*> openEdges;
  int facets, open, unmatched, usedTypes, uniting;
  bool operator==(const State&) const = default;
};

State Snapshot(const Faceting& faceting) {
  State state;
  for (const FacetingEdge* edge = faceting.mEdgeHead; edge; edge = edge->mNextEdge) {
    state.edgeFlags.push_back(edge->mFlags);
    state.edgeUses.push_back(edge->mFirstUse);
    state.edgeUses.push_back(edge->mSecondUse);
  }
  for (const corvia::ListNode* node = faceting.mPlaneHead; node; node = node->mNext) {
    const FacetPlane* plane = static_cast<const FacetPlane*>(node);
    for (const corvia::ListNode* v = plane->mVertHead; v; v = v->mNext) {
      state.leaderCounts.push_back(static_cast<const corvia::FacetPlaneVert*>(v)->mUseCount);
    }
  }
  for (const Facet* facet = faceting.GetFirstFacet(); facet; facet = facet->GetNext()) {
    state.facetFlags.push_back(facet->mFlags);
  }
  state.typeCounts = faceting.mVertexTypeUseCounts;
  for (const corvia::ListNode* node = faceting.mOpenHead; node; node = node->mNext) state.openEdges.push_back(node);
  state.facets = faceting.mFacetsInFaceting;
  state.open = faceting.mNumOpenEdges;
  state.unmatched = faceting.mNumUnmatchedChirals;
  state.usedTypes = faceting.mUsedVertexTypes;
  state.uniting = faceting.UnitingFace;
  return state;
}

// The faceted model of the current faceting: closed (every side shared by an even
// number of faces) and mapped onto itself by every operation of the group (its
// rotations, and with mirrors its improper operations too).
void ExpectClosedAndSymmetric(Faceting& faceting, bool withMirrors) {
  corvia::ShowCurrentFaceting(&faceting);
  corvia::Poly* poly = faceting.GetModel();
  std::unique_ptr<corvia::SimplePoly> model(
      corvia::CreateSimpleFacetedPolyhedron(poly, corvia::kFacetedQuiet, nullptr));
  ASSERT_TRUE(model);
  std::map<std::pair<int, int>, int> sides;
  std::set<std::vector<int>> faces;
  int live = 0;
  for (int f = 0; f < model->NumFaces(); ++f) {
    const corvia::SimpleFace& face = model->FaceAt(f);
    if (face.IsTemp()) continue;
    ++live;
    std::vector<int> sorted(face.items.begin(), face.items.end());
    std::sort(sorted.begin(), sorted.end());
    faces.insert(sorted);
    for (int i = 0; i < face.Count(); ++i) {
      const int a = face.items[size_t(i)], b = face.items[size_t((i + 1) % face.Count())];
      ++sides[{std::min(a, b), std::max(a, b)}];
    }
  }
  EXPECT_GT(live, 0);
  for (const auto& [side, count] : sides) EXPECT_EQ(count % 2, 0) << "side " << side.first << "-" << side.second;
  corvia::SymOperationIterator it;
  double m[9];
  while (corvia::GetNextSymmetryOperation(poly->mSymGroup, it, true, m, withMirrors)) {
    for (const std::vector<int>& face : faces) {
      std::vector<int> image;
      for (int v : face) {
        double p[3];
        corvia::MatrixTimesVector(m, p, model->VertAt(v).pos);
        int k = 0;
        while (k < model->NumVerts() && !corvia::NearlyEqual(model->VertAt(k).pos, p, 1e-6)) ++k;
        image.push_back(k);
      }
      std::sort(image.begin(), image.end());
      EXPECT_TRUE(faces.count(image)) << "a face has no image under a symmetry";
    }
  }
}

// The facetings found from the start, each as its facets' global indices.
std::vector<std::vector<int>> AllFacetings(Faceting& faceting) {
  std::vector<std::vector<int>> list;
  while (faceting.FindNextFaceting()) list.push_back(corvia::testing::CurrentFacetIndices(faceting));
  return list;
}

// A facet's orbit as the kind of face it gives: sides, and whether it is a star (turns
// more than once round) or lies in the hull or through the centre.
std::string Kind(const Facet* facet) {
  std::string kind = std::to_string(facet->mNumVerts);
  if (facet->mTotalTurning > 2.0 * M_PI + 1e-6) kind += "/star";
  if (facet->mPlane->mRelativeHeight > 0.9999999) kind += "/hull";
  if (facet->mPlane->mFlags & corvia::kPlaneThroughCentre) kind += "/centre";
  return kind;
}

}  // namespace test_Faceting

namespace corvia {
namespace {

using test_Faceting::AllFacetings;
using test_Faceting::ExpectClosedAndSymmetric;
using test_Faceting::Kind;
using test_Faceting::Snapshot;
using testing::CurrentFacetIndices;
using testing::FacetingDocument;
using testing::FacetingFixture;
using testing::TemplateModel;

using FacetingElements = FacetingFixture;
using FacetingPreparation = FacetingFixture;
using FacetingSearch = FacetingFixture;

// ---- Elements ---------------------------------------------------------------------------

TEST_F(FacetingElements, IdTextsRotateThroughFourBuffers) {
  TemplateModel model("3.4.3.4");
  ASSERT_TRUE(model.built);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingCoplanarVerts);
  ASSERT_TRUE(faceting.Prepare());
  EXPECT_STREQ(Facet::GetIdText(nullptr), "NULL");
  std::vector<const Facet*> facets;
  for (const Facet* f = faceting.GetFirstFacet(); f && facets.size() < 5; f = f->GetNext()) facets.push_back(f);
  ASSERT_EQ(facets.size(), 5u);
  const char* texts[5];
  for (int i = 0; i < 4; ++i) texts[i] = Facet::GetIdText(facets[size_t(i)]);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(std::string(texts[i]), std::to_string(facets[size_t(i)]->mPlane->mIndex) + "-" +
                                         std::to_string(facets[size_t(i)]->GetIndexInPlane()));
  }
  const std::string second = texts[1];
  texts[4] = Facet::GetIdText(facets[4]);
  EXPECT_EQ(texts[4], texts[0]) << "the fifth text reuses the first buffer";
  EXPECT_EQ(second, texts[1]) << "the others stay";
}

TEST_F(FacetingElements, StatusTextsOfFacetsEdgesAndPlanes) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingIsohedral);
  ASSERT_TRUE(faceting.Prepare());
  UnitSettings& units = GetUnitSettings();
  const double savedScale = units.mLengthScale;
  units.mLengthScale = 2.0;
  // The square face: its plane first (the hull), 4-fold and reflexible.
  Facet* square = faceting.GetFirstFacet();
  ASSERT_EQ(square->mNumVerts, 4);
  const double side = std::sqrt(square->mEdgeRecords.front().edge->mSquaredLength);
  char expected[256];
  std::snprintf(expected, sizeof expected, "Plane 0, Facet 0: area %g, 4 sides, 4-fold symmetry, reflexible",
                side * side * 4.0);
  EXPECT_EQ(Facet::GetInfoText(square), expected);
  // A bow-tie's area is stored negative and shown as 0.
  const double area = square->mSquaredArea;
  square->mSquaredArea = -area;
  square->mFlags |= kFacetBowTie;
  EXPECT_NE(Facet::GetInfoText(square).find("area 0, "), std::string::npos);
  EXPECT_NE(Facet::GetInfoText(square).find(", BowTie"), std::string::npos);
  square->mSquaredArea = area;
  square->mFlags &= ~kFacetBowTie;
  EXPECT_EQ(Facet::GetInfoText(nullptr), "");
  std::snprintf(expected, sizeof expected, "Faceting edge 0: Length %g, mirror 0", side * 2.0);
  EXPECT_STREQ(faceting.mEdgeHead->GetInfoText(), expected);
  std::snprintf(expected, sizeof expected, "Plane 0: Height %g, 4 vertices, 1 faces, 4-fold symmetry, reflexible",
                -square->mPlane->mD * 2.0);
  EXPECT_EQ(FacetPlane::GetInfoText(square->mPlane), expected);
  units.mLengthScale = savedScale;
}

TEST_F(FacetingElements, AddingAndRemovingFacetsRestoresEveryCount) {
  TemplateModel model("3.6.6");
  ASSERT_TRUE(model.built);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingTidy);
  ASSERT_TRUE(faceting.Prepare());
  const auto before = Snapshot(faceting);
  // A chiral facet, its partner, and whatever else fits.
  std::vector<Facet*> added;
  for (Facet* facet = faceting.GetFirstFacet(); facet && added.size() < 4; facet = facet->GetNext()) {
    if (!facet->IsChiral() || !facet->IsAcceptable(0)) continue;
    faceting.AddFacet(facet);
    added.push_back(facet);
    if (facet->mMirror->IsAcceptable(0)) {
      faceting.AddFacet(facet->mMirror);
      added.push_back(facet->mMirror);
    }
  }
  ASSERT_GE(added.size(), 2u);
  EXPECT_GT(faceting.mUsedVertexTypes, 0);
  const auto middle = Snapshot(faceting);
  EXPECT_FALSE(middle == before);
  for (auto it = added.rbegin(); it != added.rend(); ++it) faceting.RemoveFacet(*it);
  EXPECT_TRUE(Snapshot(faceting) == before);
  EXPECT_EQ(faceting.mNumUnmatchedChirals, 0);
}

TEST_F(FacetingElements, CoplanarFacetsShareVerticesOnlyUnderTheLastCriteria) {
  TemplateModel model("3.4.3.4");
  ASSERT_TRUE(model.built);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingCoplanarVerts);
  ASSERT_TRUE(faceting.Prepare());
  // Two facets of one plane that touch one vertex class and no common edge.
  Facet* first = nullptr;
  Facet* second = nullptr;
  for (Facet* a = faceting.GetFirstFacet(); a && !second; a = a->GetNext()) {
    for (Facet* b = a->mNextInPlane; b && !second; b = b->mNextInPlane) {
      bool vertex = false, edge = false;
      for (const FacetPlaneVert* x : a->mClassLeaders) {
        for (const FacetPlaneVert* y : b->mClassLeaders) vertex = vertex || x == y;
      }
      for (const FacetEdgeRecord& x : a->mEdgeRecords) {
        for (const FacetEdgeRecord& y : b->mEdgeRecords) edge = edge || x.edge == y.edge;
      }
      if (vertex && !edge && a->IsAcceptable(0)) {
        first = a;
        second = b;
      }
    }
  }
  ASSERT_TRUE(second);
  faceting.AddFacet(first);
  EXPECT_TRUE(second->IsAcceptable(0));
  GetFacetingSettings().criteria = kFacetingTidy;
  EXPECT_FALSE(second->IsAcceptable(0));
  GetFacetingSettings().criteria = kFacetingTidyAndDuals;
  EXPECT_FALSE(second->IsAcceptable(0));
  GetFacetingSettings().criteria = kFacetingIsohedral;
  EXPECT_TRUE(second->IsAcceptable(0));
  faceting.RemoveFacet(first);
}

TEST_F(FacetingElements, EveryFacetUsesItsEdgesOnceOrTwice) {
  for (const char* configuration : {"4.4.4", "3.3.3.3.3", "3.4.3.4", "3.6.6"}) {
    SCOPED_TRACE(configuration);
    TemplateModel model(configuration);
    ASSERT_TRUE(model.built);
    Faceting& faceting = model.BaseFaceting();
    Use(faceting, kFacetingCoplanarVerts);
    ASSERT_TRUE(faceting.Prepare());
    int facets = 0;
    for (const Facet* facet = faceting.GetFirstFacet(); facet; facet = facet->GetNext(), ++facets) {
      bool allTwice = true;
      for (const FacetEdgeRecord& record : facet->mEdgeRecords) {
        EXPECT_TRUE(record.multiplicity == 1 || record.multiplicity == 2);
        allTwice = allTwice && record.multiplicity == 2;
        // The record is on its edge's use list.
        bool listed = false;
        for (const FacetEdgeRecord* use = record.edge->mUseList; use; use = use->nextUse) listed |= use == &record;
        EXPECT_TRUE(listed);
      }
      EXPECT_EQ(allTwice, (facet->mFlags & kFacetIsohedral) != 0);
      EXPECT_EQ(facet->mMirror->mMirror, facet);
      EXPECT_EQ(facet->GetGlobalIndex(), facets);
    }
    EXPECT_EQ(facets, faceting.mNumFacets);
    // Planes from the hull inwards.
    const FacetPlane* previous = nullptr;
    for (const FacetPlane* plane = static_cast<FacetPlane*>(faceting.mPlaneHead); plane; plane = plane->GetNext()) {
      if (previous) {
        EXPECT_LE(plane->mRelativeHeight, previous->mRelativeHeight + 1e-7);
      }
      previous = plane;
    }
  }
}

// ---- Preparation ------------------------------------------------------------------------

TEST_F(FacetingPreparation, AModelWithoutSymmetryIsNotPrepared) {
  TemplateModel model("4.4.4");
  ASSERT_TRUE(model.built);
  SymGroup* group = model.poly.mSymGroup;
  model.poly.mSymGroup = nullptr;
  Faceting& faceting = model.BaseFaceting();
  EXPECT_FALSE(faceting.Prepare());
  EXPECT_FALSE(faceting.IsPrepared());
  EXPECT_FALSE(faceting.FindNextFaceting());
  faceting.StepForward();
  EXPECT_FALSE(faceting.IsPrepared());
  model.poly.mSymGroup = group;
}

TEST_F(FacetingPreparation, TheFirstCriteriaLeaveOutPlanesThroughTheCentre) {
  TemplateModel model("3.4.3.4");
  ASSERT_TRUE(model.built);
  Faceting& faceting = model.BaseFaceting();
  auto centralPlanes = [&] {
    int count = 0;
    for (const ListNode* node = faceting.mPlaneHead; node; node = node->mNext) {
      count += (static_cast<const FacetPlane*>(node)->mFlags & kPlaneThroughCentre) ? 1 : 0;
    }
    return count;
  };
  Use(faceting, kFacetingTidyAndDuals);
  ASSERT_TRUE(faceting.Prepare());
  EXPECT_EQ(centralPlanes(), 0);
  Use(faceting, kFacetingTidy);
  ASSERT_TRUE(faceting.Prepare());
  EXPECT_GT(centralPlanes(), 0);
  // A change of criteria clears the prepared elements of the current model.
  FacetingDocument document(&model.poly);
  SetFacetingCriteria(kFacetingTidyAndDuals);
  EXPECT_FALSE(faceting.IsPrepared());
}

TEST_F(FacetingPreparation, AGroupWithoutReflectionsHasNoChiralPartners) {
  TemplateModel model("3.3.3.3.4");
  ASSERT_TRUE(model.built);
  ASSERT_EQ(model.poly.mSymGroup->reflectionType, kReflectionChiral);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingIsohedral);
  ASSERT_TRUE(faceting.Prepare());
  for (const FacetingEdge* edge = faceting.mEdgeHead; edge; edge = edge->mNextEdge) {
    EXPECT_EQ(edge->mFlags & (kFacetingEdgeMirrorNext | kFacetingEdgeMirrorPrev), 0u);
  }
  for (const Facet* facet = faceting.GetFirstFacet(); facet; facet = facet->GetNext()) {
    EXPECT_EQ(facet->mMirror, nullptr);
    EXPECT_EQ(facet->mFlags & (kFacetSecondOfPair | kFacetExcluded), 0u);
  }
  EXPECT_TRUE(faceting.EnumerateFacetings());
  EXPECT_TRUE(faceting.mNumChirals.IsZero());
  EXPECT_TRUE(faceting.mNumCompounds.IsZero());
  EXPECT_FALSE(faceting.mNumFound.IsZero());
}

TEST_F(FacetingPreparation, ACancelledPreparationLeavesNothing) {
  TemplateModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingCoplanarVerts);
  // The counts of an interrupted enumeration, as a file restores them, belong to the
  // model: no preparation takes them.
  faceting.mNumFound = BigUInt(41);
  // The window shows at the first report after a second; Cancel is pressed then.
  {
    testing::CancelAfterPumps cancel(0.25, 1);
    EXPECT_FALSE(faceting.Prepare());
  }
  EXPECT_TRUE(faceting.TakePreparationOutcome().cancelled());
  EXPECT_FALSE(faceting.IsPrepared());
  EXPECT_EQ(faceting.mNumEdges, 0);
  EXPECT_TRUE(faceting.Prepare());
  EXPECT_TRUE(faceting.TakePreparationOutcome().done());
  char count[16];
  faceting.mNumFound.ToString(count, sizeof count);
  EXPECT_STREQ(count, "41");
}

TEST_F(FacetingPreparation, AVertexOffItsPlaceUnderTheGroupIsRefusedInWords) {
  // Farther off than the tolerance within which the preparation matches vertices with
  // their images: no plane, edge or facet can be matched with its images.
  for (const char* configuration : {"4.4.4", "3.4.3.4", "3.5.3.5"}) {
    SCOPED_TRACE(configuration);
    TemplateModel model(configuration);
    ASSERT_TRUE(model.built);
    model.poly.mVertices.mHead->mDualVert[1] += 2e-7;
    Faceting& faceting = model.BaseFaceting();
    EXPECT_FALSE(faceting.Prepare());
    const Outcome refused = faceting.TakePreparationOutcome();
    EXPECT_EQ(refused.kind(), Outcome::Kind::kRefused);
    EXPECT_EQ(refused.text().rfind("This model could not be faceted", 0), 0u) << refused.text();
    EXPECT_FALSE(faceting.IsPrepared());
  }
}

TEST_F(FacetingPreparation, APreparationPastItsMemoryIsRefusedInWordsUntilTheCriteriaChange) {
  TemplateModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingTidy);
  {
    testing::WorkMemoryLimitScope limit(64 << 10);
    EXPECT_FALSE(faceting.Prepare());
  }
  const Outcome refused = faceting.TakePreparationOutcome();
  EXPECT_EQ(refused.kind(), Outcome::Kind::kRefused);
  EXPECT_EQ(refused.text().rfind("This model is too large to facet on this computer", 0), 0u) << refused.text();
  EXPECT_FALSE(faceting.IsPrepared());
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
  // Given again at once, with the memory back, until other criteria call for other
  // elements.
  EXPECT_FALSE(faceting.Prepare());
  EXPECT_EQ(faceting.TakePreparationOutcome().text(), refused.text());
  faceting.StepForward();
  EXPECT_FALSE(faceting.IsPrepared());
  SetFacetingCriteria(kFacetingCoplanarVerts);
  EXPECT_TRUE(faceting.Prepare());
  EXPECT_TRUE(faceting.TakePreparationOutcome().done());
}

// A plane of the 500-face geodesic sphere has twenty vertices nearly all joined, whose
// closed paths a walk would go through for days: the preparation says so in words once
// its planes are made, before it walks any plane (its window never names one, where a
// walk begun would be cancelled), and keeps the refusal for the criteria. The tidy
// criteria of duals, which leave out the planes through the centre, are prepared.
TEST_F(FacetingPreparation, AWalkThatWouldRunPastMinutesIsRefusedInWordsBeforeItBegins) {
  testing::GeodesicSphere sphere(5);
  ASSERT_TRUE(sphere.built);
  FacetingDocument document(&sphere.poly);
  Faceting& faceting = sphere.BaseFaceting();
  Use(faceting, kFacetingTidy);
  bool walked = false;
  {
    testing::CancelAfterPumps clock(0.25, std::numeric_limits<int>::max());
    testing::Platform().progress.Current()->onPump = [&](platform::HeadlessProgressWindow::State& window) {
      if (window.caption.find("processing plane") == std::string::npos) return;
      walked = true;
      window.cancel = true;
    };
    EXPECT_FALSE(faceting.Prepare());
  }
  EXPECT_FALSE(walked);
  const Outcome refused = faceting.TakePreparationOutcome();
  EXPECT_EQ(refused.kind(), Outcome::Kind::kRefused);
  EXPECT_EQ(refused.text().rfind("This model is too large to facet on this computer: finding the possible\n"
                                 "facets of its planes would take about ",
                                 0),
            0u)
      << refused.text();
  EXPECT_FALSE(faceting.IsPrepared());
  EXPECT_FALSE(faceting.Prepare());
  EXPECT_EQ(faceting.TakePreparationOutcome().text(), refused.text());
  SetFacetingCriteria(kFacetingTidyAndDuals);
  EXPECT_TRUE(faceting.Prepare());
  EXPECT_GT(faceting.mNumFacets, 0);
}

// One plane of the truncated icosidodecahedron's 2,977 holds two thirds of the walk of
// their paths: the bar moves on while that plane is walked, by the work done rather
// than by whole planes, and the estimate it goes by comes near the work each large walk
// takes (the walk of a plane again makes no facet twice).
TEST_F(FacetingPreparation, TheBarMovesWithTheWalksWorkAsEachPlanesWalkIsEstimated) {
  TemplateModel model("4.6.10");
  ASSERT_TRUE(model.built);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingTidy);
  // The bar's places at the reports of each plane's walk, which name the plane (the
  // reports between them leave the caption as it was). A report's caption is shown
  // when the window is pumped, its bar after: the next pump sees it.
  std::map<std::string, std::set<int>> bars;
  {
    testing::CancelAfterPumps clock(0.001, std::numeric_limits<int>::max());
    std::string caption;
    bool named = false;
    testing::Platform().progress.Current()->onPump = [&](platform::HeadlessProgressWindow::State& window) {
      const size_t plane = caption.find("processing plane");
      if (named && plane != std::string::npos) bars[caption.substr(plane)].insert(window.bar);
      named = window.caption != caption;
      caption = window.caption;
    };
    ASSERT_TRUE(faceting.Prepare());
  }
  size_t most = 0;
  for (const auto& [plane, places] : bars) most = std::max(most, places.size());
  EXPECT_GE(most, 2u);
  const int facets = faceting.mNumFacets;
  constexpr double kLarge = 1e5;
  int large = 0;
  int number = 1;
  ProgressScope progress;
  for (FacetPlane* plane = static_cast<FacetPlane*>(faceting.mPlaneHead); plane; plane = plane->GetNext(), ++number) {
    const double estimate = plane->EstimateFaces(number);
    if (estimate < kLarge) continue;
    ++large;
    FacetWalkShare share;
    share.limit = std::numeric_limits<double>::max();
    ASSERT_TRUE(plane->CreateFaces(number, share));
    EXPECT_NEAR(estimate / share.spent, 1.0, 0.2) << "plane " << number << " of " << plane->mNumVerts << " vertices";
  }
  EXPECT_GE(large, 1);
  EXPECT_EQ(faceting.mNumFacets, facets);
}

// ---- Search --------------------------------------------------------------------------------

TEST_F(FacetingSearch, EveryFacetingIsClosedWithTheSymmetryAsked) {
  for (const char* configuration : {"4.4.4", "3.3.3.3", "3.3.3.3.3", "3.4.3.4"}) {
    SCOPED_TRACE(configuration);
    TemplateModel model(configuration);
    ASSERT_TRUE(model.built);
    Faceting& faceting = model.BaseFaceting();
    for (bool reflexible : {false, true}) {
      for (int criteria = 0; criteria < kNumFacetingCriteria; ++criteria) {
        Use(faceting, criteria, 0, reflexible);
        int found = 0;
        while (faceting.FindNextFaceting()) {
          ++found;
          // Reflexible facetings (all, with Maintain Reflexibility) keep the mirrors too.
          const bool mirrors = reflexible || faceting.mNumUnmatchedChirals == 0;
          ExpectClosedAndSymmetric(faceting, mirrors);
          EXPECT_EQ(faceting.mNumOpenEdges, 0);
        }
        EXPECT_GT(found, 0);
      }
    }
  }
}

TEST_F(FacetingSearch, TheSameListInTheSameOrderOnEveryRun) {
  std::vector<std::vector<int>> lists[2];
  for (auto& list : lists) {
    TemplateModel model("3.6.6");
    ASSERT_TRUE(model.built);
    Use(model.BaseFaceting(), kFacetingCoplanarVerts);
    list = AllFacetings(model.BaseFaceting());
    // And once more on the same model after the search has run out.
    EXPECT_EQ(AllFacetings(model.BaseFaceting()), list);
  }
  EXPECT_EQ(lists[0], lists[1]);
  EXPECT_EQ(lists[0].size(), 182u);
  std::set<std::vector<int>> distinct;
  for (std::vector<int> faceting : lists[0]) {
    std::sort(faceting.begin(), faceting.end());
    distinct.insert(faceting);
  }
  EXPECT_EQ(distinct.size(), lists[0].size()) << "no faceting is found twice";
}

TEST_F(FacetingSearch, AChiralFacetingIsFollowedByItsCompound) {
  TemplateModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingTidyAndDuals);
  std::vector<int> chiral;
  while (faceting.FindNextFaceting() && !faceting.isChiralCompound) chiral = CurrentFacetIndices(faceting);
  ASSERT_TRUE(faceting.isChiralCompound);
  const std::vector<int> compound = CurrentFacetIndices(faceting);
  ASSERT_EQ(compound.size(), 2 * chiral.size());
  EXPECT_TRUE(std::equal(chiral.begin(), chiral.end(), compound.begin()));
  ExpectClosedAndSymmetric(faceting, true);
  // Back from the compound: the chiral faceting; forward again: the compound.
  EXPECT_TRUE(faceting.FindPrevFaceting());
  EXPECT_EQ(CurrentFacetIndices(faceting), chiral);
  EXPECT_FALSE(faceting.isChiralCompound);
  EXPECT_TRUE(faceting.FindNextFaceting());
  EXPECT_EQ(CurrentFacetIndices(faceting), compound);
  // The search goes on after it.
  ASSERT_TRUE(faceting.FindNextFaceting());
  EXPECT_FALSE(faceting.isChiralCompound);
  EXPECT_NE(CurrentFacetIndices(faceting), chiral);
  // Elsewhere stepping back is refused: the newest undo step goes, a message shows.
  const std::vector<int> current = CurrentFacetIndices(faceting);
  document.mMenuPaths[kCommandFacetingIsohedral] = "Faceting->Faceting Criteria->Isohedral";
  const int discards = testing::Platform().undo.mDiscards;
  EXPECT_FALSE(faceting.FindPrevFaceting());
  EXPECT_EQ(CurrentFacetIndices(faceting), current);
  EXPECT_EQ(testing::Platform().undo.mDiscards, discards + 1);
  EXPECT_EQ(testing::Platform().views.mPaneMessage,
            "Sorry, going to the previous faceting has only\nbeen implemented when using the isohedral criteria.\n"
            "(See \"Faceting->Faceting Criteria->Isohedral\").\n\nIf you want to go back to a faceting you just\n"
            "passed, try using Ctrl+Z to undo instead.");
  // A chiral faceting with too few facet types for the minimum is taken as its compound.
  Use(faceting, kFacetingTidyAndDuals);
  SetMinFacetTypes(int(compound.size()));
  SetMaxFacetTypes(int(compound.size()));
  bool sawCompound = false;
  while (faceting.FindNextFaceting()) {
    EXPECT_EQ(faceting.mFacetsInFaceting, int(compound.size()));
    if (CurrentFacetIndices(faceting) == compound) sawCompound = faceting.isChiralCompound;
  }
  EXPECT_TRUE(sawCompound);
}

TEST_F(FacetingSearch, AnEnumerationCancelledResumesAndLeavesTheModel) {
  TemplateModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  FacetingDocument document(&model.poly);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingCoplanarVerts);
  ASSERT_TRUE(faceting.EnumerateFacetings());
  BigUInt all = faceting.mNumFound;
  char allText[32];
  all.ToString(allText, sizeof allText);
  Use(faceting, kFacetingCoplanarVerts);
  ASSERT_TRUE(faceting.Prepare());
  ShowOriginalAsFaceting(&model.poly);
  const auto drawn = testing::DrawnCorners(model.poly);
  const int faces = model.poly.mFaces.mCount;
  // A clock that moves on at every look, and Cancel pressed at the fifth pump.
  {
    testing::CancelAfterPumps cancel(0.01, 5);
    EXPECT_FALSE(faceting.EnumerateFacetings());
  }
  EXPECT_FALSE(faceting.mNumFound.IsZero());
  char partText[32];
  faceting.mNumFound.ToString(partText, sizeof partText);
  EXPECT_LT(std::atoi(partText), std::atoi(allText));
  EXPECT_EQ(faceting.GetEnumerationReport(true).rfind("WARNING!  Enumeration was not completed.\n\nFound ", 0), 0u);
  // The model and its drawn facets are as they were.
  EXPECT_EQ(testing::DrawnCorners(model.poly), drawn);
  EXPECT_EQ(model.poly.mFaces.mCount, faces);
  // Resumed, the count carries on to the full number.
  ASSERT_TRUE(faceting.EnumerateFacetings());
  char resumed[32];
  faceting.mNumFound.ToString(resumed, sizeof resumed);
  EXPECT_STREQ(resumed, allText);
  // The command reports the counts and then starts afresh.
  testing::Platform().messages.Clear();
  Use(faceting, kFacetingIsohedral);
  ASSERT_TRUE(faceting.EnumerateAndReport());
  ASSERT_FALSE(testing::Platform().messages.Boxes().empty());
  EXPECT_EQ(testing::Platform().messages.Boxes().back().text.rfind(
                "Found 11 facetings: 10 reflexible, 1 chiral.\nReflexible count includes 0 compounds of chiral pairs.\n"
                "Took ",
                0),
            0u);
  EXPECT_TRUE(faceting.mNumFound.IsZero());
  Use(faceting, kFacetingIsohedral, 0, true);
  ASSERT_TRUE(faceting.EnumerateFacetings());
  EXPECT_EQ(faceting.GetEnumerationReport(false).rfind("Found 10 reflexible facetings.\nTook ", 0), 0u);
}

TEST_F(FacetingSearch, CountsGoBeyondSixtyFourBits) {
  TemplateModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  Faceting& faceting = model.BaseFaceting();
  Use(faceting, kFacetingIsohedral);
  ASSERT_TRUE(faceting.Prepare());
  // An enumeration that already counted 2^64 - 1 carries on from there.
  faceting.mNumFound.Parse("18446744073709551615");
  ASSERT_TRUE(faceting.EnumerateFacetings());
  char text[32];
  faceting.mNumFound.ToString(text, sizeof text);
  EXPECT_STREQ(text, "18446744073709551619");
}

TEST_F(FacetingSearch, ThePublishedFacetingsAreFound) {
  // The kinds of face orbit of each faceting found under the last criteria.
  auto kinds = [](const char* configuration) {
    TemplateModel model(configuration);
    std::set<std::multiset<std::string>> all;
    if (!model.built) return all;
    Faceting& faceting = model.BaseFaceting();
    Use(faceting, kFacetingCoplanarVerts);
    while (faceting.FindNextFaceting()) {
      std::multiset<std::string> faceting_kinds;
      for (const Facet* f = faceting.GetFirstFacetInFaceting(); f; f = f->GetNextInFaceting()) {
        faceting_kinds.insert(Kind(f));
      }
      all.insert(faceting_kinds);
    }
    return all;
  };
  using Kinds = std::set<std::multiset<std::string>>;
  // The regular polyhedra on the icosahedron's vertices: the icosahedron, the great
  // dodecahedron, the small stellated dodecahedron and the great icosahedron
  // (H. S. M. Coxeter, Regular Polytopes, 3rd ed., 1973, chapter 6) are its facetings.
  EXPECT_EQ(kinds("3.3.3.3.3"), (Kinds{{"3/hull"}, {"5"}, {"5/star"}, {"3"}}));
  // The cube's: the cube and Kepler's stella octangula, two tetrahedra.
  EXPECT_EQ(kinds("4.4.4"), (Kinds{{"4/hull"}, {"3"}}));
  // Among the cuboctahedron's, the uniform octahemioctahedron and cubohemioctahedron
  // (H. S. M. Coxeter, M. S. Longuet-Higgins and J. C. P. Miller, Uniform polyhedra,
  // Phil. Trans. R. Soc. A 246, 1954), each with hexagons through the centre.
  const Kinds cuboctahedron = kinds("3.4.3.4");
  EXPECT_TRUE(cuboctahedron.count({"3/hull", "4/hull"}));
  EXPECT_TRUE(cuboctahedron.count({"3/hull", "6/centre"}));
  EXPECT_TRUE(cuboctahedron.count({"4/hull", "6/centre"}));
}

}  // namespace
}  // namespace corvia
