#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/DerivedNames.h"
#include "construction/Library.h"
#include "construction/ModelFactory.h"
#include "core/Outcome.h"
#include "model/CreatePoly.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/Subdivision.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"

namespace test_ConvexHullCommand {

using corvia::Poly;
using corvia::PolyElement;

std::unique_ptr<Poly> Built(corvia::SimplePoly* simple) {
  auto poly = std::make_unique<Poly>();
  if (!simple || !CreatePoly(*simple, poly.get(), false, false).done()) return nullptr;
  return poly;
}

std::unique_ptr<Poly> LibraryModel(int index) {
  std::unique_ptr<corvia::SimplePoly> simple = corvia::GetLibraryEntry(index)->CreatePoly(false);
  return Built(simple.get());
}

// Poly > Create Convex Hull's model of the base side, made as the command makes it.
std::unique_ptr<Poly> HullCommand(Poly& poly) {
  corvia::Outcome why;
  std::unique_ptr<corvia::SimplePoly> hull = CreateConvexHullOfModel(&poly, corvia::kViewBasePolyhedron, &why);
  if (!hull) return nullptr;
  bool dual = false;
  (void)corvia::NameAsLibraryModel(*hull, &dual);
  return Built(hull.get());
}

void Append(std::string& text, const char* format, double value) {
  char number[32];
  std::snprintf(number, sizeof number, format, value);
  text += number;
}

// What the user gets: the name and group, the vertices in their order, each face's
// corners and frame, and the types of faces with their mirror partners.
std::string Describe(const Poly& poly) {
  std::string text =
      std::string(poly.mName ? poly.mName : "") + " " + corvia::SymGroup::GetSchoenflies(poly.GetFullSymGroup()) + "\n";
  for (int i = 0; i < poly.mVertices.mCount; ++i) {
    const double* p = poly.GetVertex(i)->mDualVert;
    for (int k = 0; k < 3; ++k) Append(text, " %.6f", p[k] + 0.0);
    text += "\n";
  }
  for (int i = 0; i < poly.mFaces.mCount; ++i) {
    const PolyElement* face = poly.GetFace(i);
    for (int k = 0; k < face->mNumSides; ++k) text += " " + std::to_string(PolyElement::GetIndex(face->mNeighbours[k]));
    text += " |";
    for (int k = 0; k < 3; ++k) Append(text, " %.4f", face->mXAxis[k] + 0.0);
    text += " t" + std::to_string(corvia::FaceType::GetIndex(face->mType)) + "\n";
  }
  for (const corvia::FaceType* type = poly.mBaseBlock->mFirstFaceType; type; type = type->mNext) {
    text += "type " + std::to_string(type->mCount) + " mirror " +
            std::to_string(PolyElement::GetIndex(type->mMirrorFace)) + " partner " +
            std::to_string(corvia::FaceType::GetIndex(type->mMirrorPartner)) + "\n";
  }
  return text;
}

}  // namespace test_ConvexHullCommand

// The hulls the command makes of a few library models (convex, star, chiral and
// their like) and of a geodesic sphere large enough to be numbered anew keep the model
// recorded: the same vertices in the same order, the same faces and frames, group,
// name and mirror partners. CORVIA_HULL_COMMAND_RECORD=1 writes the table anew.
TEST(ConvexHullCommand, TheModelsTheCommandMakesAreAsRecorded) {
  namespace t = test_ConvexHullCommand;
  std::vector<std::pair<std::string, std::unique_ptr<corvia::Poly>>> sources;
  for (int index : {4, 6, 8, 17, 24, 40})
    sources.emplace_back("library " + std::to_string(index), t::LibraryModel(index));
  {
    std::unique_ptr<corvia::Poly> icosahedron = t::LibraryModel(4);
    ASSERT_TRUE(icosahedron);
    std::unique_ptr<corvia::SimplePoly> sphere = icosahedron->Subdivide(corvia::kSubdivideGeodesic, 41);
    sources.emplace_back("geodesic 41", t::Built(sphere.get()));
  }
  corvia::testing::RecordedHashes recorded("hull-command-hashes.txt", "CORVIA_HULL_COMMAND_RECORD");
  for (auto& [name, source] : sources) {
    ASSERT_TRUE(source) << name;
    std::unique_ptr<corvia::Poly> hull = t::HullCommand(*source);
    ASSERT_TRUE(hull) << name;
    recorded.Check(name, t::Describe(*hull), "hull's model");
  }
}
