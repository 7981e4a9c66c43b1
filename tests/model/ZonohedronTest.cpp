// Zonohedra of whole models, as the Zonohedrify command makes them: the zones of the
// vertex directions, the size refused before anything is made, the progress window
// answered from the first report, the same solid at every zone length, and a result
// that is convex and says so.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/Geometry.h"
#include "core/Outcome.h"
#include "core/Progress.h"
#include "model/CreatePoly.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "symmetry/SimplePoly.h"
#include "tests/construction/DerivedModelChecks.h"
#include "tests/support/TestSupport.h"

namespace test_Zonohedron {

using corvia::testing::TemplateModel;

// The zonohedron of the model's vertex directions at the zone edge scale; null when
// refused or cancelled, as *outcome says.
std::unique_ptr<corvia::SimplePoly> Zonohedrify(corvia::Poly& poly, const char* scale, corvia::Outcome* outcome) {
  corvia::ZonohedrifyOptions options;
  options.mEdgeScale = scale;
  corvia::TolerantPointList zones(corvia::kPointTolerance);
  if (poly.CollectZoneVectors(zones, options, outcome) < 0) return nullptr;
  return corvia::CreateZonohedron(&poly, zones, outcome);
}

// Every vertex of a is the vertex of b of the same number, times the factor.
bool ScaledCopy(const corvia::SimplePoly& a, const corvia::SimplePoly& b, double factor) {
  if (a.NumVerts() != b.NumVerts() || a.NumFaces() != b.NumFaces()) return false;
  for (int i = 0; i < a.NumVerts(); ++i) {
    for (int k = 0; k < 3; ++k) {
      if (std::fabs(a.VertAt(i).pos[k] - factor * b.VertAt(i).pos[k]) > 1e-9 * factor) return false;
    }
  }
  return true;
}

}  // namespace test_Zonohedron

namespace tz = test_Zonohedron;

// The zone length changes the size of the zonohedron and nothing else: the zones are
// told apart and put in planes by their directions.
TEST(Zonohedron, EveryZoneEdgeScaleGivesTheSameSolidScaled) {
  struct Case {
    const char* configuration;
    int faces;
    std::vector<const char*> scales;
  };
  // The cube's four diagonals make the rhombic dodecahedron; the snub cube has 24
  // zones and the snub dodecahedron 60 (no vertex stands opposite another).
  const std::vector<Case> cases = {{"4.4.4", 12, {"0.001", "1e-9", "500"}},
                                   {"3.3.3.3.4", 432, {"0.1", "500"}},
                                   {"3.3.3.3.5", 3300, {"0.1", "500"}}};
  for (const Case& c : cases) {
    tz::TemplateModel model(c.configuration);
    ASSERT_TRUE(model.built) << c.configuration;
    corvia::Outcome outcome;
    std::unique_ptr<corvia::SimplePoly> unit = tz::Zonohedrify(model.poly, "1", &outcome);
    ASSERT_TRUE(unit) << c.configuration << ": " << outcome.text();
    EXPECT_EQ(unit->NumFaces(), c.faces) << c.configuration;
    for (const char* scale : c.scales) {
      std::unique_ptr<corvia::SimplePoly> scaled = tz::Zonohedrify(model.poly, scale, &outcome);
      ASSERT_TRUE(scaled) << c.configuration << " at " << scale << ": " << outcome.text();
      EXPECT_TRUE(tz::ScaledCopy(*scaled, *unit, std::stod(scale))) << c.configuration << " at " << scale;
      corvia::Poly built;
      EXPECT_TRUE(corvia::CreatePoly(*scaled, &built, false, false).done()) << c.configuration << " at " << scale;
      EXPECT_EQ(built.mFaces.mCount, c.faces) << c.configuration << " at " << scale;
    }
  }
}

// A zonohedron is convex, and the model made of it says so, as the convex hull of the
// same points does.
TEST(Zonohedron, TheZonohedronIsConvex) {
  for (const char* configuration : {"4.4.4", "3.3.3.3.3"}) {
    tz::TemplateModel model(configuration);
    ASSERT_TRUE(model.built);
    corvia::Outcome outcome;
    std::unique_ptr<corvia::SimplePoly> zonohedron = tz::Zonohedrify(model.poly, "1", &outcome);
    ASSERT_TRUE(zonohedron);
    corvia::Poly built;
    ASSERT_TRUE(corvia::CreatePoly(*zonohedron, &built, false, false).done());
    EXPECT_TRUE(built.mPolyFlags & corvia::kPolyFlagConvex) << configuration;
    EXPECT_FALSE(built.mPolyFlags & corvia::kPolyFlagReversedFace) << configuration;
  }
}

// The geodesic sphere of 40,500 faces has 10,126 zones, whose zonohedron would have a
// hundred million faces: it is refused in words after a few planes are counted, with
// nothing made; the progress window answers from the first report, and Cancel there
// stops it. A sphere whose zonohedron fits is built, and cancelled at any report.
TEST(Zonohedron, ALargeZonohedronIsRefusedAndEveryReportTakesCancel) {
  tz::TemplateModel icosahedron("3.3.3.3.3");
  ASSERT_TRUE(icosahedron.built);
  auto sphereOf = [&icosahedron](int frequency, corvia::Poly& sphere) {
    std::unique_ptr<corvia::SimplePoly> made = icosahedron.poly.Subdivide(corvia::kSubdivideGeodesic, frequency);
    return made && corvia::CreatePoly(*made, &sphere, false, false).done();
  };
  corvia::Poly large;
  ASSERT_TRUE(sphereOf(45, large));
  ASSERT_EQ(large.mFaces.mCount, 40500);

  // The fixed limit, not a busy machine's memory, decides the words.
  const corvia::testing::WorkMemoryScope memory(uint64_t{1} << 40);
  corvia::testing::ReportCounter reports;
  auto run = [](corvia::Poly& poly, corvia::Outcome& outcome) {
    corvia::ProgressScope scope;
    corvia::testing::Platform().clock.Advance(2.0);
    return tz::Zonohedrify(poly, "1", &outcome);
  };
  corvia::Outcome outcome;
  EXPECT_FALSE(run(large, outcome));
  EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(outcome.text(),
            "The zonohedron of these 10126 zones would have more than 1000000 faces.\n"
            "Please set the maximum number of zones to 1000 or fewer.");
  EXPECT_GE(reports.pumps, 1);
  reports.cancelAt = 1;
  reports.pumps = 0;
  EXPECT_FALSE(run(large, outcome));
  EXPECT_TRUE(outcome.cancelled());
  EXPECT_FALSE(corvia::IsProgressActive());

  // Frequency 4: 162 vertices, 81 zones; great circles through the icosahedron's edges
  // hold several zones each, so there are fewer than 81 x 80 faces.
  corvia::Poly small;
  ASSERT_TRUE(sphereOf(4, small));
  reports.cancelAt = 0;
  reports.pumps = 0;
  std::unique_ptr<corvia::SimplePoly> made = run(small, outcome);
  const int count = reports.pumps;
  ASSERT_TRUE(made) << outcome.text();
  EXPECT_LT(made->NumFaces(), 81 * 80);
  corvia::Poly built;
  ASSERT_TRUE(corvia::CreatePoly(*made, &built, false, false).done());
  EXPECT_TRUE(built.mPolyFlags & corvia::kPolyFlagConvex);
  ASSERT_GE(count, 4);
  for (const int at : {1, 2, count / 2, count}) {
    reports.cancelAt = at;
    reports.pumps = 0;
    EXPECT_FALSE(run(small, outcome)) << "cancelled at report " << reports.cancelAt;
    EXPECT_TRUE(outcome.cancelled()) << reports.cancelAt;
    EXPECT_FALSE(corvia::IsProgressActive());
  }
}
