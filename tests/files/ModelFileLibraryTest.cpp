// Every library model that builds, saved and opened again in both forms of the model
// file, is the same model: counts, positions to the bit, colours, names, origin and
// face types, each face starting at the same corner and the edges in the same order;
// saved again, it gives the same bytes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "construction/ModelLookup.h"
#include "files/ModelFile.h"
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
      ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, document.mPoly)) << what;
      EXPECT_TRUE(Unstamped(ReadBytes(path)) == saved) << what << ": saved again, other bytes";
    }
  }
  // The library's own tests say which records build; most do.
  EXPECT_GT(built, 150);
}
