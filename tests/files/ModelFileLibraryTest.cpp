// Every library model that builds, saved and opened again in both forms of the model
// file, is the same model: counts, positions to the bit, colours, names, origin and
// face types, each face starting at the same corner and the edges in the same order;
// saved again, it gives the same bytes. It also looks the same, and so does its undo
// step's copy restored: its face and vertex types are numbered as when it was made, it
// unfolds into as many nets of the same kinds, its face types are the same polygons,
// and it measures the same, its dual too.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "construction/ModelLookup.h"
#include "files/ModelFile.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "tests/files/ModelFileTestSupport.h"

namespace {

// The corners of each face from its first, then each edge's ends and sides, in order.
std::vector<int> InOrder(const corvia::Poly& poly) {
  std::vector<int> out;
  for (const corvia::PolyElement* f : test_ModelFile::Elements(poly.mFaces)) {
    for (int i = 0; i < f->mNumSides; ++i) out.push_back(f->GetCorner(i)->mIndex);
    out.push_back(-1);
  }
  for (int i = 0; i < poly.mNumEdges; ++i) {
    const corvia::Edge* e = poly.GetEdge(i);
    using corvia::PolyElement;
    out.insert(out.end(), {PolyElement::GetIndex(e->mVert1), PolyElement::GetIndex(e->mVert2),
                           PolyElement::GetIndex(e->mFace1), PolyElement::GetIndex(e->mFace2)});
  }
  return out;
}

// What a user sees of a model in its panes and the information bar: the number of the
// type of each face and vertex, the nets as the program counts them (how many, and
// each kind: its copies and the faces of one copy), and the measures of the model and
// of its dual.
struct Seen {
  std::vector<int> faceTypes;
  // Each face type's polygon {n/d}, as the information bar names it.
  std::vector<std::pair<int, int>> polygons;
  std::vector<int> vertexTypes;
  int nets = 0;
  std::vector<std::pair<int, int>> netKinds;
  double measures[4] = {};
};

Seen Look(corvia::Poly& poly, bool withNets = true) {
  Seen seen;
  for (const corvia::PolyElement* f : test_ModelFile::Elements(poly.mFaces))
    seen.faceTypes.push_back(corvia::FaceType::GetIndex(f->mType));
  for (const corvia::FaceType* type = poly.mBaseBlock->mFirstFaceType; type; type = type->mNext) {
    if (type->mFirstFace) seen.polygons.emplace_back(type->mFirstFace->mNumSides, type->mFirstFace->mDensity);
  }
  for (const corvia::PolyElement* v : test_ModelFile::Elements(poly.mVertices))
    seen.vertexTypes.push_back(corvia::FaceType::GetIndex(v->mType));
  corvia::Outcome why;
  const corvia::Model3D* model = withNets ? poly.mBaseBlock->GetModel3D(true, &why) : nullptr;
  if (model) {
    seen.nets = model->GetNumNets();
    for (const corvia::NetType* type = model->mNetTypes; type; type = type->next)
      seen.netKinds.emplace_back(type->numNets, type->CountFirstNetFacelets());
    std::sort(seen.netKinds.begin(), seen.netKinds.end());
  }
  const double measures[4] = {poly.mSurfaceArea, poly.mVolume, poly.mDualSurfaceArea, poly.mDualVolume};
  std::copy(std::begin(measures), std::end(measures), seen.measures);
  return seen;
}

void ExpectSeenAlike(const Seen& made, const Seen& opened, const std::string& what, bool withNets = true) {
  EXPECT_EQ(made.faceTypes, opened.faceTypes) << what << ": faces of other type numbers";
  EXPECT_EQ(made.polygons, opened.polygons) << what << ": face types of other polygons";
  EXPECT_EQ(made.vertexTypes, opened.vertexTypes) << what << ": vertices of other type numbers";
  if (withNets) {
    EXPECT_EQ(made.nets, opened.nets) << what << ": another number of nets";
    EXPECT_EQ(made.netKinds, opened.netKinds) << what << ": nets of other kinds";
  }
  const char* const names[4] = {"surface area", "volume", "dual surface area", "dual volume"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(made.measures[i], opened.measures[i], 1e-9 * (1.0 + std::fabs(made.measures[i])))
        << what << ": " << names[i];
  }
}

}  // namespace

TEST(ModelFileLibraryTest, EveryLibraryModelComesBackTheSameInBothForms) {
  using namespace test_ModelFile;
  const std::filesystem::path folder = corvia::testing::ScratchDir("library");
  auto& messages = corvia::testing::Platform().messages;
  int built = 0;
  for (int index = 0; index < corvia::GetNumLibraryEntries(); ++index) {
    messages.Clear();
    LibraryModel original;
    if (!original.Build(index)) continue;
    ++built;
    const Seen made = Look(original.poly);
    for (int form : {corvia::kModelFileAscii, corvia::kModelFileBinary}) {
      const std::string what = std::to_string(index) + " " + Text(original.poly.mName) +
                               (form == corvia::kModelFileAscii ? " (ASCII)" : " (BINARY)");
      const std::string path = (folder / ("model" + std::to_string(index) + ".corv")).string();
      messages.Clear();
      ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, original.poly)) << what;
      const std::string saved = Unstamped(ReadBytes(path));
      TestDocument document;
      ASSERT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain)) << what;
      EXPECT_TRUE(messages.Boxes().empty())
          << what << ": " << (messages.Boxes().empty() ? "" : messages.Boxes()[0].text);
      ExpectSameModel(original.poly, document.mPoly, what);
      EXPECT_TRUE(InOrder(original.poly) == InOrder(document.mPoly)) << what << ": corners or edges in another order";
      ExpectSeenAlike(made, Look(document.mPoly), what);
      ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, document.mPoly)) << what;
      EXPECT_TRUE(Unstamped(ReadBytes(path)) == saved) << what << ": saved again, other bytes";
    }
    // The undo step's copy in memory, which undo and redo restore, takes the same road
    // (its nets are those of the same set-up).
    std::string data;
    ASSERT_TRUE(corvia::WriteModelToMemory(original.poly, data));
    TestDocument document;
    std::string error;
    ASSERT_TRUE(corvia::RestoreModelFromMemory(data, "Undo step", &error)) << error;
    ExpectSeenAlike(made, Look(document.mPoly, false), std::to_string(index) + " (undo step)", false);
  }
  // The library's own tests say which records build; most do.
  EXPECT_GT(built, 150);
}
