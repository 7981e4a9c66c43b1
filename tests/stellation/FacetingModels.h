#pragma once
// What the faceting tests share: uniform models built from their vertex
// configurations, a document whose current model is one of them, and a fixture that
// puts the program-wide faceting and stellation settings back after each test.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DrawnPolygon.h"
#include "core/PolygonRing.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "model/Subdivision.h"
#include "platform/Memory.h"
#include "stellation/Faceting.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymOperations.h"
#include "tests/support/TestSupport.h"

namespace corvia::testing {

// A uniform model built from its vertex configuration ("4.4.4" the cube).
struct TemplateModel {
  explicit TemplateModel(const char* configuration)
      : built(polyTemplate.Parse(configuration, nullptr) && poly.Build(&polyTemplate, 0)) {}
  Faceting& BaseFaceting() { return *GetFaceting(poly.mBaseBlock.get()); }
  Faceting& DualFaceting() { return *GetFaceting(poly.mDualBlock.get()); }

  PolyTemplate polyTemplate;
  Poly poly;
  bool built;
};

// The icosahedron's geodesic sphere of the frequency (20 n^2 faces), as Poly > Create
// Geodesic Sphere... makes it.
struct GeodesicSphere {
  explicit GeodesicSphere(int frequency) {
    TemplateModel icosahedron("3.3.3.3.3");
    std::unique_ptr<SimplePoly> made =
        icosahedron.built ? icosahedron.poly.Subdivide(kSubdivideGeodesic, frequency) : nullptr;
    built = made && CreatePoly(*made, &poly, false, false).done();
  }
  Faceting& BaseFaceting() { return *GetFaceting(poly.mBaseBlock.get()); }

  Poly poly;
  bool built = false;
};

// The document: its current model, with the menu paths of the program's commands and
// "Faceting Mode" off until a test turns it on.
class FacetingDocument : public DocumentAccess {
 public:
  explicit FacetingDocument(Poly* poly) : mPoly(poly) {
    mPrevious = InstallDocumentAccess(this);
    sShown = this;
    mPreviousMenu = InstallMenuPathProvider(&MenuPath);
  }
  ~FacetingDocument() override {
    SetFacetingModeOn(false);
    InstallMenuPathProvider(mPreviousMenu);
    sShown = nullptr;
    InstallDocumentAccess(mPrevious);
  }
  Poly* GetCurrentPoly() override { return mPoly; }

  Poly* mPoly;
  std::map<int, std::string> mMenuPaths;

 private:
  static std::string MenuPath(int commandId) {
    if (!sShown) return std::string();
    auto found = sShown->mMenuPaths.find(commandId);
    return found == sShown->mMenuPaths.end() ? std::string() : found->second;
  }
  inline static FacetingDocument* sShown = nullptr;
  DocumentAccess* mPrevious = nullptr;
  MenuPathProvider mPreviousMenu = nullptr;
};

// Settings back to their defaults around each test.
class FacetingFixture : public ::testing::Test {
 protected:
  void SetUp() override { Restore(); }
  void TearDown() override { Restore(); }
  static void Restore() {
    GetFacetingSettings() = FacetingSettings();
    StellationOptions = 0;
  }
  // Criteria, options and reflexibility, with the prepared elements thrown away.
  static void Use(Faceting& faceting, int criteria, uint32_t options = 0, bool maintainReflexibility = false) {
    GetFacetingSettings().criteria = criteria;
    GetFacetingSettings().options = options;
    StellationOptions = maintainReflexibility ? kStellationMaintainReflexibility : 0;
    faceting.Clear();
  }
};

// Cancel pressed in the progress window once it has been pumped `pumps` times, with a
// clock that moves on by `step` seconds at every look (the window shows after a
// second), for the lifetime of the object.
class CancelAfterPumps {
 public:
  CancelAfterPumps(double step, int pumps) : mClock(step) {
    platform::ServiceSet services = platform::Services();
    services.clock = &mClock;
    mSaved = platform::InstallServices(services);
    Platform().progress.Current()->onPump = [pumps](platform::HeadlessProgressWindow::State& state) {
      state.cancel = state.pumps >= pumps;
    };
  }
  ~CancelAfterPumps() {
    Platform().progress.Current()->onPump = nullptr;
    platform::InstallServices(mSaved);
  }
  CancelAfterPumps(const CancelAfterPumps&) = delete;
  CancelAfterPumps& operator=(const CancelAfterPumps&) = delete;

 private:
  class SteppingClock : public platform::Clock {
   public:
    explicit SteppingClock(double step) : mStep(step) {}
    double NowSeconds() const override { return mNow += mStep; }

   private:
    double mStep;
    mutable double mNow = 0.0;
  };
  SteppingClock mClock;
  platform::ServiceSet mSaved;
};

// The memory that long work may count on (platform::WorkMemoryLimit), for the lifetime
// of the object.
class WorkMemoryLimitScope {
 public:
  explicit WorkMemoryLimitScope(uint64_t bytes) : mBefore(platform::SetWorkMemoryLimit(bytes)) {}
  ~WorkMemoryLimitScope() { platform::SetWorkMemoryLimit(mBefore); }
  WorkMemoryLimitScope(const WorkMemoryLimitScope&) = delete;
  WorkMemoryLimitScope& operator=(const WorkMemoryLimitScope&) = delete;

 private:
  uint64_t mBefore;
};

// Draws the facet's polygon by clicking its vertices, and finishes it.
inline void DrawFacet(Poly& poly, const Facet* facet) {
  for (int i = 0; i < facet->mNumVerts; ++i) poly.AddFacetVertex(facet->GetVertexPosition(i));
  poly.FinishDrawnPolygon(false, false);
}

// The drawn polygons of a model with at least one corner, as lists of corners.
inline std::vector<std::vector<std::array<double, 3>>> DrawnCorners(const Poly& poly) {
  std::vector<std::vector<std::array<double, 3>>> all;
  for (const DrawnPolygon* polygon = poly.mDrawnPolygons; polygon; polygon = polygon->next) {
    if (!polygon->ring) continue;
    std::vector<std::array<double, 3>> corners;
    const PolygonVertex* v = polygon->ring;
    do {
      corners.push_back({v->point[0], v->point[1], v->point[2]});
      v = v->next;
    } while (v != polygon->ring);
    all.push_back(corners);
  }
  return all;
}

// The global indices of the facets of the current faceting, in its order.
inline std::vector<int> CurrentFacetIndices(const Faceting& faceting) {
  std::vector<int> indices;
  for (const Facet* facet = faceting.GetFirstFacetInFaceting(); facet; facet = facet->GetNextInFaceting()) {
    indices.push_back(facet->GetGlobalIndex());
  }
  return indices;
}

}  // namespace corvia::testing
