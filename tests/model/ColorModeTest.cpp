// How the current model's polygons are filled, as the polygon splitting asks it.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "core/PolygonRing.h"
#include "core/PolygonSplit.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "tests/support/TestSupport.h"

namespace test_ColorMode {

// A document whose current model is the given one.
class CurrentModel : public corvia::DocumentAccess {
 public:
  explicit CurrentModel(corvia::Poly* poly) : mPoly(poly) {}
  corvia::Poly* GetCurrentPoly() override { return mPoly; }
  corvia::Poly* mPoly;
};

// Restores the filling method and the document.
class ColorModeTest : public ::testing::Test {
 protected:
  void SetUp() override { mSaved = corvia::PolygonFillingMethod; }
  void TearDown() override {
    corvia::PolygonFillingMethod = mSaved;
    corvia::InstallDocumentAccess(nullptr);
  }
  int mSaved = corvia::kFillingAuto;
};

// Rings the split gives for a pentagram {5/2}.
int PentagramRings() {
  corvia::PolygonVertex* ring = nullptr;
  for (int i = 0; i < 5; ++i) {
    const double angle = 2.0 * M_PI * (2 * i) / 5.0;
    corvia::NewPolygonVertex(std::cos(angle), std::sin(angle), nullptr, nullptr, ring)->index = i;
  }
  double* points = nullptr;
  int count = 0;
  corvia::PolygonList* list = corvia::SplitPolygonRing(ring, &points, &count);
  corvia::FreePolygonRing(ring);
  delete[] points;
  int rings = 0;
  for (corvia::PolygonList* node = list; node; node = node->next) ++rings;
  corvia::FreePolygonList(list);
  return rings;
}

}  // namespace test_ColorMode

namespace corvia {
namespace {

using ColorMode = test_ColorMode::ColorModeTest;

TEST_F(ColorMode, FollowsTheFillingMethodAndTheModel) {
  Poly poly;
  test_ColorMode::CurrentModel document(&poly);
  InstallDocumentAccess(&document);
  PolygonFillingMethod = kFillingAuto;
  EXPECT_EQ(GetCurrentPolyColorMode(), 0);
  poly.mPolyFlags |= kPolyFlagOneSidedFace;
  EXPECT_EQ(GetCurrentPolyColorMode(), 1);
  PolygonFillingMethod = kFillingDensityWinding;
  EXPECT_EQ(GetCurrentPolyColorMode(), 0);
  PolygonFillingMethod = kFillingModulo2;
  poly.mPolyFlags = 0;
  EXPECT_EQ(GetCurrentPolyColorMode(), 1);
  // Auto without a current model: winding.
  InstallDocumentAccess(nullptr);
  PolygonFillingMethod = kFillingAuto;
  EXPECT_EQ(GetCurrentPolyColorMode(), 0);
}

TEST_F(ColorMode, PolygonSplittingAsksTheModelLayer) {
  PolygonFillingMethod = kFillingDensityWinding;
  EXPECT_EQ(test_ColorMode::PentagramRings(), 1);  // the whole star
  PolygonFillingMethod = kFillingModulo2;
  EXPECT_EQ(test_ColorMode::PentagramRings(), 2);  // the centre left open
}

}  // namespace
}  // namespace corvia
