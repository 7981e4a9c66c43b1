// The morphs between a model and its dual: their two ends, the uniform polyhedra
// they pass through at known ratios, the groups they keep, and their refusals.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/DualMorph.h"
#include "construction/ModelFactory.h"
#include "core/Progress.h"
#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "platform/UndoHooks.h"
#include "symmetry/SimplePoly.h"
#include "tests/construction/DerivedModelChecks.h"
#include "tests/support/TestSupport.h"

namespace test_DualMorph {

using corvia::Poly;
using corvia::SimplePoly;
using corvia::testing::Measure;
using corvia::testing::ModelFigures;
using corvia::testing::TemplateModel;

struct Builder {
  const char* name;
  uint32_t viewType;
};

// Every morph view that the factory answers with a model.
const Builder kBuilders[] = {
    {"sizing", corvia::kViewMorphBySizing},
    {"truncation", corvia::kViewMorphByTruncation},
    {"augmentation", corvia::kViewMorphByAugmentation},
    {"expansion", corvia::kViewMorphByExpansion},
    {"tilting quads", corvia::kViewMorphTiltingQuads},
    {"tilting triangles", corvia::kViewMorphTiltingTriangles},
    {"tilting to compound", corvia::kViewMorphTiltingCompound},
    {"tilting to rectification", corvia::kViewMorphTiltingRectification},
    {"via snub", corvia::kViewMorphViaSnub},
};

// The factory's answer for a morph pane at ratio t.
// What the last Morph gave back.
corvia::Outcome gWhy;

// The refusal of the last Morph holds the text.
bool Refused(const std::string& text) {
  return gWhy.kind() == corvia::Outcome::Kind::kRefused && gWhy.text().find(text) != std::string::npos;
}

std::unique_ptr<corvia::SimplePoly> Morph(Poly& poly, uint32_t viewType, double t, uint32_t flags = 0) {
  const double saved = corvia::DualMorphRatio();
  corvia::DualMorphRatio() = t;
  gWhy = corvia::Outcome();
  std::unique_ptr<corvia::SimplePoly> model(
      corvia::DeriveModelForViewType(poly, viewType, flags, nullptr, nullptr, &gWhy));
  corvia::DualMorphRatio() = saved;
  return model;
}

}  // namespace test_DualMorph

namespace dm = test_DualMorph;

TEST(DualMorph, EveryMorphEndsInTheModelAndItsDual) {
  for (const char* configuration : {"4.4.4", "3.3.3.3.4"}) {
    dm::TemplateModel model(configuration);
    ASSERT_TRUE(model.built) << configuration;
    const dm::ModelFigures base = dm::Measure(
        std::unique_ptr<corvia::SimplePoly>(CreateSimplePoly(&model.poly, corvia::kDeriveBase, nullptr, nullptr))
            .get());
    const dm::ModelFigures dual = dm::Measure(
        std::unique_ptr<corvia::SimplePoly>(CreateSimplePoly(&model.poly, corvia::kDeriveDual, nullptr, nullptr))
            .get());
    ASSERT_TRUE(base.made && dual.made);
    for (const dm::Builder& builder : dm::kBuilders) {
      SCOPED_TRACE(std::string(configuration) + " " + builder.name);
      const dm::ModelFigures start = dm::Measure(dm::Morph(model.poly, builder.viewType, 0.0).get());
      EXPECT_EQ(start.verts, base.verts);
      EXPECT_EQ(start.faces, base.faces);
      EXPECT_EQ(start.edges, base.edges);
      EXPECT_EQ(start.group, base.group);
      const dm::ModelFigures end = dm::Measure(dm::Morph(model.poly, builder.viewType, 1.0).get());
      EXPECT_EQ(end.verts, dual.verts);
      EXPECT_EQ(end.faces, dual.faces);
      EXPECT_EQ(end.edges, dual.edges);
      EXPECT_EQ(end.group, dual.group);
    }
  }
}

TEST(DualMorph, TruncatingTheCubeGivesTheTruncatedCubeAndTheCuboctahedron) {
  dm::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  // The dual's planes start at the cube's vertices; they cut the edges into equal
  // thirds of the octagon's kind at t = 1 - sqrt(1/2).
  const dm::ModelFigures truncated = dm::Measure(dm::Morph(cube.poly, corvia::kViewMorphByTruncation, 1.0 - std::sqrt(0.5)).get());
  EXPECT_EQ(truncated.verts, 24);
  EXPECT_EQ(truncated.edges, 36);
  EXPECT_EQ(truncated.faceKinds, (std::map<int, int>{{3, 8}, {8, 6}}));
  EXPECT_EQ(truncated.group, "Oh");
  EXPECT_TRUE(truncated.EqualEdges()) << truncated.shortestEdge << " " << truncated.longestEdge;

  const dm::ModelFigures middle = dm::Measure(dm::Morph(cube.poly, corvia::kViewMorphByTruncation, 0.5).get());
  EXPECT_EQ(middle.verts, 12);
  EXPECT_EQ(middle.edges, 24);
  EXPECT_EQ(middle.faceKinds, (std::map<int, int>{{3, 8}, {4, 6}}));
  EXPECT_EQ(middle.group, "Oh");
  EXPECT_TRUE(middle.EqualEdges());

  // Past the middle the octahedron is truncated: the truncated octahedron.
  const dm::ModelFigures other = dm::Measure(dm::Morph(cube.poly, corvia::kViewMorphByTruncation, 0.75).get());
  EXPECT_EQ(other.verts, 24);
  EXPECT_EQ(other.faceKinds.at(4), 6);
  EXPECT_EQ(other.faceKinds.at(6), 8);
}

TEST(DualMorph, ExpandingTheCubeGivesTheRhombicuboctahedron) {
  dm::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  // Squares of side 2(1 - t) and gaps of side 2 sqrt(2) t at the cube's size: equal
  // at t = sqrt(2) - 1.
  const dm::ModelFigures expanded = dm::Measure(dm::Morph(cube.poly, corvia::kViewMorphByExpansion, std::sqrt(2.0) - 1.0).get());
  EXPECT_EQ(expanded.verts, 24);
  EXPECT_EQ(expanded.edges, 48);
  EXPECT_EQ(expanded.faceKinds, (std::map<int, int>{{3, 8}, {4, 18}}));
  EXPECT_EQ(expanded.group, "Oh");
  EXPECT_TRUE(expanded.EqualEdges()) << expanded.shortestEdge << " " << expanded.longestEdge;
}

TEST(DualMorph, MorphsPassThroughTheCompoundAndTheRectifiedModel) {
  dm::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  const dm::ModelFigures rectified = dm::Measure(dm::Morph(cube.poly, corvia::kViewMorphTiltingRectification, 0.5).get());
  EXPECT_EQ(rectified.verts, 12);
  EXPECT_EQ(rectified.faceKinds, (std::map<int, int>{{3, 8}, {4, 6}}));
  EXPECT_TRUE(rectified.EqualEdges());
  // Half way the augmentation morph is the cube with pyramids up to the octahedron's
  // vertices, whose faces pair up into the rhombic dodecahedron.
  const dm::ModelFigures augmented = dm::Measure(dm::Morph(cube.poly, corvia::kViewMorphByAugmentation, 0.5).get());
  EXPECT_EQ(augmented.verts, 14);
  EXPECT_EQ(augmented.faceKinds, (std::map<int, int>{{4, 12}}));
  EXPECT_EQ(augmented.group, "Oh");
  const dm::ModelFigures sized = dm::Measure(dm::Morph(cube.poly, corvia::kViewMorphBySizing, 0.5).get());
  EXPECT_EQ(sized.parts, 2);
  EXPECT_EQ(sized.verts, 14);
  EXPECT_EQ(sized.group, "Oh");
}

TEST(DualMorph, MorphsOfTheSnubCubeKeepItsChiralGroup) {
  dm::TemplateModel snub("3.3.3.3.4");
  ASSERT_TRUE(snub.built);
  const dm::ModelFigures own = dm::Measure(dm::Morph(snub.poly, corvia::kViewMorphViaSnub, 0.0).get());
  EXPECT_EQ(own.verts, 24);
  EXPECT_EQ(own.edges, 60);
  EXPECT_EQ(own.faceKinds, (std::map<int, int>{{3, 32}, {4, 6}}));
  EXPECT_EQ(own.group, "O");
  for (const dm::Builder& builder : dm::kBuilders) {
    if (builder.viewType == corvia::kViewMorphViaSnub) continue;
    for (double t : {0.3, 0.5, 0.7}) {
      SCOPED_TRACE(std::string(builder.name) + " at " + std::to_string(t));
      const dm::ModelFigures figures = dm::Measure(dm::Morph(snub.poly, builder.viewType, t).get());
      ASSERT_TRUE(figures.made);
      EXPECT_EQ(figures.group, "O");
    }
  }
}

TEST(DualMorph, TheSnubMorphHasOnlyItsEnds) {
  dm::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  corvia::testing::Platform().messages.Clear();
  EXPECT_EQ(dm::Morph(cube.poly, corvia::kViewMorphViaSnub, 0.5, corvia::kDeriveQuiet), nullptr);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  EXPECT_EQ(dm::Morph(cube.poly, corvia::kViewMorphViaSnub, 0.25), nullptr);
  EXPECT_TRUE(dm::Refused("only at its two ends"));
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST(DualMorph, ScalesAndNames) {
  dm::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  SetTruncationMorphScale(&cube.poly, 0.5);
  EXPECT_EQ(corvia::TruncationMorphScales().base, 1.0);
  EXPECT_EQ(corvia::TruncationMorphScales().dual, 1.0);
  // At 0 the dual's planes pass through the cube's vertices: |V|^2 / m^2 = 3/2 of the
  // octahedron's own distance.
  SetTruncationMorphScale(&cube.poly, 0.0);
  EXPECT_NEAR(corvia::TruncationMorphScales().dual, 1.5, 1e-12);
  SetAugmentationMorphScale(&cube.poly, 0.5);
  EXPECT_EQ(corvia::AugmentationMorphScales().base, 1.0);
  EXPECT_EQ(corvia::AugmentationMorphScales().dual, 1.0);

  // A model without a template sizes linearly.
  std::unique_ptr<corvia::SimplePoly> copy(CreateSimplePoly(&cube.poly, corvia::kDeriveBase, nullptr, nullptr));
  corvia::Poly plain;
  ASSERT_TRUE(CreatePoly(*copy, &plain, true, false));
  plain.mPolyFlags &= ~corvia::kPolyFlagConvex;
  double base = 0.0, dual = 0.0;
  GetSizingMorphScales(&plain, 0.5, &base, &dual);
  EXPECT_EQ(base, 1.0);
  EXPECT_EQ(dual, 1.0);
  GetSizingMorphScales(&plain, 0.25, &base, &dual);
  EXPECT_EQ(dual, 0.5);

  std::unique_ptr<corvia::SimplePoly> morph = dm::Morph(cube.poly, corvia::kViewMorphByExpansion, 0.25);
  ASSERT_TRUE(morph);
  EXPECT_EQ(morph->name, "Dual Morph 25.0%");
  EXPECT_EQ(corvia::DualMorphName(0.25), "Dual Morph 25.0%");
}

// A star polyhedron's neighbouring faces fold back over each other: the pieces are
// still raised on every face, outward from the model.
TEST(DualMorph, AugmentingAStarPolyhedronRaisesEveryFace) {
  dm::TemplateModel star("5/2.5/2.5/2");
  ASSERT_TRUE(star.built);
  for (double t : {0.1, 0.9}) {
    const dm::ModelFigures figures = dm::Measure(dm::Morph(star.poly, corvia::kViewMorphByAugmentation, t).get());
    EXPECT_EQ(figures.faces, 60) << t;
    EXPECT_EQ(figures.group, "Ih") << t;
  }
}

// Near its start the augmentation morph is nearly the model: the pyramids on its
// faces are still flat, their apexes by the faces' centres.
TEST(DualMorph, TheAugmentationMorphStartsFlatOnTheModel) {
  dm::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  std::unique_ptr<corvia::SimplePoly> morph = dm::Morph(cube.poly, corvia::kViewMorphByAugmentation, 0.02);
  ASSERT_TRUE(morph);
  const double radius = cube.poly.GetRadius();
  for (int v = 0; v < morph->NumVerts(); ++v) {
    double nearest = 1e300;
    for (const corvia::PolyElement* x : {cube.poly.mVertices.mHead, cube.poly.mFaces.mHead}) {
      for (; x; x = x->mNext) {
        // A vertex of the cube, or the centre of one of its faces.
        const double* point = x->IsVertex() ? x->mDualVert : x->mCentre;
        double d[3];
        corvia::Subtract(d, morph->VertAt(v).pos, point);
        nearest = std::min(nearest, std::sqrt(corvia::Dot(d, d)));
      }
    }
    EXPECT_LT(nearest, 0.05 * radius) << "vertex " << v;
  }
}

// A model with a face through its centre has a dual with vertices at infinity, and no
// morph.
// The builders walk a large model's elements with the progress window answering; a
// cancel at any of their reports gives no model and no box, and the next morph is made.
TEST(DualMorph, ACancelAtAnyReportOfATiltingMorphGivesNoModel) {
  dm::TemplateModel model("4.6.10");
  ASSERT_TRUE(model.built);
  auto& platform = corvia::testing::Platform();
  corvia::testing::ReportCounter reports;
  int& pumps = reports.pumps;
  int& cancelAt = reports.cancelAt;
  auto morph = [&](uint32_t viewType) {
    corvia::ProgressScope scope;
    platform.clock.Advance(2.0);
    return dm::Morph(model.poly, viewType, 0.3);
  };
  for (uint32_t viewType : {corvia::kViewMorphTiltingQuads, corvia::kViewMorphTiltingTriangles,
                            corvia::kViewMorphTiltingCompound, corvia::kViewMorphTiltingRectification}) {
    pumps = 0;
    cancelAt = 0;
    ASSERT_TRUE(morph(viewType) != nullptr);
    const int count = pumps;
    EXPECT_GE(count, 3) << std::hex << viewType;
    for (cancelAt = 1; cancelAt <= count; ++cancelAt) {
      pumps = 0;
      platform.messages.Clear();
      EXPECT_TRUE(morph(viewType) == nullptr) << std::hex << viewType << ", cancelled at report " << std::dec
                                              << cancelAt;
      EXPECT_TRUE(platform.messages.Boxes().empty());
      EXPECT_FALSE(corvia::IsProgressActive());
    }
    cancelAt = 0;
    EXPECT_TRUE(morph(viewType) != nullptr) << std::hex << viewType;
  }
}

TEST(DualMorph, MorphsOfAHemipolyhedronAreRefused) {
  dm::TemplateModel hemi("3.4.3/2.4");
  ASSERT_TRUE(hemi.built);
  ASSERT_TRUE(hemi.poly.mHasCentralFace);
  corvia::testing::Platform().messages.Clear();
  EXPECT_EQ(dm::Morph(hemi.poly, corvia::kViewMorphByTruncation, 0.5), nullptr);
  EXPECT_TRUE(dm::Refused("This operation may not be performed on a model with infinite vertices"));
  corvia::testing::Platform().messages.Clear();
  EXPECT_EQ(dm::Morph(hemi.poly, corvia::kViewMorphTiltingQuads, 0.3, corvia::kDeriveQuiet), nullptr);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}
