#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "construction/Library.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"

namespace corvia {

TEST(LibraryBuildProbe, Records) {
  testing::ExpectInternalErrors();
  for (int i = 0; i < 131; ++i) {
    testing::Platform().messages.Clear();
    LibraryEntry* e = GetLibraryEntry(i);
    std::unique_ptr<SimplePoly> s = e->CreatePoly(false);
    std::fprintf(stderr, "%3d %-40.40s rec %d/%d/%d ", i, e->mName, e->mNumFaces, e->mNumEdges, e->mNumVerts);
    if (s) std::fprintf(stderr, "got %d/%d/%d %s", s->NumFaces(), s->NumEdges(), s->NumVerts(), SymGroup::GetSchoenflies(s->symmetry.get()));
    else std::fprintf(stderr, "NULL");
    for (auto& b : testing::Platform().messages.Boxes()) std::fprintf(stderr, " [%s: %.80s]", b.title.c_str(), b.text.c_str());
    std::fprintf(stderr, "\n");
  }
}

}  // namespace corvia
