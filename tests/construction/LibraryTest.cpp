#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "construction/Library.h"
#include "construction/LibraryHooks.h"
#include "construction/SpringRelax.h"
#include "construction/ModelLookup.h"
#include "symmetry/SimplePoly.h"
#include "tests/construction/LibraryParamsFixture.h"
#include "tests/support/TestSupport.h"

namespace test_Library {

class LibraryTest : public corvia::testing::LibraryParamsFixture {};

}  // namespace test_Library

namespace corvia {

using test_Library::LibraryTest;

TEST_F(LibraryTest, TableHoldsTheCategoriesInOrder) {
  EXPECT_EQ(gLibraryTable[kNumLibraryEntries].mConfig, nullptr);
  std::map<int, int> counts;
  int previous = 0;
  for (int i = 0; i < kNumLibraryEntries; ++i) {
    const LibraryEntry& entry = gLibraryTable[i];
    ASSERT_NE(entry.mConfig, nullptr) << i;
    ASSERT_NE(entry.mName, nullptr) << i;
    EXPECT_GE(entry.mCategory, previous) << i;
    previous = entry.mCategory;
    ++counts[entry.mCategory];
  }
  std::map<int, int> expected = {{4, 5},  {5, 4},   {7, 13},  {8, 1},   {9, 10},  {10, 32}, {11, 11},
                                 {12, 22}, {13, 7}, {14, 92}, {15, 15}, {16, 29}, {17, 23}};
  EXPECT_EQ(counts, expected);
  EXPECT_STREQ(gLibraryTable[105].mConfig, "J1");
  EXPECT_STREQ(gLibraryTable[196].mConfig, "J92");
  EXPECT_STREQ(gLibraryTable[196].mName, "Triangular Hebesphenorotunda");
  EXPECT_STREQ(gLibraryTable[216].mConfig, "P6 / gP6");
  EXPECT_STREQ(gLibraryTable[263].mName, "N-gonal Cupolaic Blend");
  EXPECT_EQ(gLibraryTable[75].mNumFaces, 204);
  EXPECT_EQ(gLibraryTable[75].GetMaederIndex(), 0);
}

// Counts agree with the configurations: E = V k / 2 and F = sum of V / n over the
// polygons round a vertex; the convex ones have Euler characteristic 2.
TEST_F(LibraryTest, UniformCountsAgreeWithTheirConfigurations) {
  for (int i = 0; i < 96; ++i) {
    const LibraryEntry& entry = gLibraryTable[i];
    std::string config = entry.mConfig;
    if (config[0] == '(') config = config.substr(1, config.find(')') - 1);
    double faces = 0;
    int valence = 0;
    for (const char* p = config.c_str(); *p != 0;) {
      int n = static_cast<int>(std::strtol(p, const_cast<char**>(&p), 10));
      if (*p == '/') std::strtol(p + 1, const_cast<char**>(&p), 10);
      if (*p == '.') ++p;
      faces += static_cast<double>(entry.mNumVerts) / n;
      ++valence;
    }
    EXPECT_EQ(entry.mNumVerts * valence, 2 * entry.mNumEdges) << entry.mName;
    EXPECT_DOUBLE_EQ(faces, entry.mNumFaces) << entry.mName;
    bool convex = entry.mCategory == kCategoryPlatonic || entry.mCategory == kCategoryArchimedean ||
                  (entry.mCategory == kCategoryPrisms && config.find('/') == std::string::npos);
    if (convex) {
      EXPECT_EQ(entry.mNumVerts - entry.mNumEdges + entry.mNumFaces, 2) << entry.mName;
    }
  }
  for (int i = 105; i < 197; ++i) {
    const LibraryEntry& entry = gLibraryTable[i];
    EXPECT_EQ(entry.mNumVerts - entry.mNumEdges + entry.mNumFaces, 2) << entry.mName;
  }
}

TEST_F(LibraryTest, Accessors) {
  const LibraryEntry& tetrahedron = gLibraryTable[0];
  EXPECT_EQ(tetrahedron.GetNumFaces(true), 4);
  EXPECT_EQ(tetrahedron.GetNumEdges(true), 6);
  EXPECT_EQ(tetrahedron.GetNumVerts(true), 4);
  const LibraryEntry& cube = gLibraryTable[1];
  EXPECT_EQ(cube.GetNumFaces(true), 8);
  EXPECT_EQ(cube.GetNumEdges(true), 12);
  EXPECT_EQ(cube.GetNumVerts(true), 6);
  EXPECT_EQ(gLibraryTable[2].GetDualName(), "Cube");
  EXPECT_TRUE(gLibraryTable[2].MatchesDualName("Cube"));
  EXPECT_FALSE(gLibraryTable[2].MatchesDualName("Cub"));
  EXPECT_FALSE(gLibraryTable[2].MatchesDualName("cube"));
  EXPECT_FALSE(gLibraryTable[2].MatchesDualName("  "));
  EXPECT_TRUE(gLibraryTable[105].MatchesDualName(""));
  EXPECT_EQ(GetDualName(nullptr), "");
  EXPECT_EQ(GetVertexConfiguration(nullptr), "");

  EXPECT_EQ(gLibraryTable[0].GetWenningerNumber(), 1);
  EXPECT_EQ(gLibraryTable[0].GetModelsPage(), 14);
  EXPECT_EQ(gLibraryTable[0].GetDualModelsPage(), 8);
  EXPECT_EQ(gLibraryTable[244].GetWenningerNumber(), -1);  // holds n
  EXPECT_EQ(gLibraryTable[96].GetModelsPage(), -1);

  int n = 0, d = 0;
  gLibraryTable[89].GetParams(n, d);  // 7/2.3.3.3
  EXPECT_EQ(n, 7);
  EXPECT_EQ(d, 2);
  gLibraryTable[85].GetParams(n, d);  // 7.4.4
  EXPECT_EQ(n, 7);
  EXPECT_EQ(d, 1);
  gLibraryTable[243].GetParams(n, d);  // Y 7/3
  EXPECT_EQ(n, 7);
  EXPECT_EQ(d, 3);
}

TEST_F(LibraryTest, ParametersOfParametricRecords) {
  LibraryEntry& prism = gLibraryTable[96];
  Outcome why;
  ASSERT_TRUE(prism.CheckParams(7, 2, &why));
  EXPECT_EQ(prism.GetVertexConfiguration(), "7/2.4.4");
  ASSERT_TRUE(prism.CheckParams(7, 1, &why));
  EXPECT_EQ(prism.GetVertexConfiguration(), "7.4.4");
  EXPECT_TRUE(why.done());
  // A refused base is not stored.
  EXPECT_FALSE(prism.CheckParams(2, 1, &why));
  EXPECT_EQ(prism.GetVertexConfiguration(), "7.4.4");
  EXPECT_EQ(why.kind(), Outcome::Kind::kRefused);
  EXPECT_EQ(why.text(), "Illegal prism base");
  LibraryEntry& cuploid = gLibraryTable[254];
  EXPECT_FALSE(cuploid.CheckParams(7, 3, nullptr));
  EXPECT_TRUE(cuploid.CheckParams(7, 4, nullptr));
  EXPECT_EQ(cuploid.GetVertexConfiguration(), "Q' 7/4");
  EXPECT_EQ(gLibraryTable[5].GetVertexConfiguration(), "5/2.5/2.5/2.5/2.5/2");
}

TEST_F(LibraryTest, FaceListTexts) {
  EXPECT_FALSE(gLibraryTable[0].GetFaceListText().has_value());
  EXPECT_EQ(gLibraryTable[105].GetFaceListText().value(), "h (4 1 0 3) (1 4 2) (0 1 2) (3 0 2) (4 3 2)");
  EXPECT_NE(gLibraryTable[114].GetFaceListText().value().find(" t("), std::string::npos);  // J10
  EXPECT_EQ(gLibraryTable[131].GetFaceListText().value().rfind("h (", 0), 0u);  // J27
  EXPECT_EQ(gLibraryTable[196].GetFaceListText().value().rfind("h (", 0), 0u);  // J92
  EXPECT_EQ(gLibraryTable[213].GetFaceListText().value(), "");  // Z4
  std::string pyramid = gLibraryTable[241].GetFaceListText().value();  // Y 5/2
  EXPECT_EQ(pyramid.rfind("L1 L5/2 ", 0), 0u);
  EXPECT_EQ(gLibraryTable[255].GetFaceListText().value(),
            "L4 L+4 (0 2 5 4) (1 5 4) (1 3 6 5) (2 6 5) (2 0 7 6) (3 7 6) (3 1 4 7) (0 4 7) t(4 5 6 7)");
}

// A record that carries no geometry says so plainly and builds nothing.
TEST_F(LibraryTest, RecordsWithoutDataAreRefusedPlainly) {
  auto& messages = testing::Platform().messages;
  Outcome why;
  EXPECT_EQ(gLibraryTable[213].CreatePoly(false, &why), nullptr);
  EXPECT_TRUE(messages.Boxes().empty());
  EXPECT_EQ(why.kind(), Outcome::Kind::kRefused);
  EXPECT_EQ(why.text(),
            "The model \"Stewart Z4\" is not available yet: Stewart's notation and the literature leave open which "
            "pieces of these toroids are joined or drilled, or how.");
  std::string text = "unchanged";
  EXPECT_EQ(gLibraryTable[225].CreateSpringPoly(&text), nullptr);
  EXPECT_EQ(gLibraryTable[0].CreateSpringPoly(&text), nullptr);
  EXPECT_EQ(text, "unchanged");
  EXPECT_TRUE(messages.Boxes().empty());
}

// Every family record with its stored base relaxes to a settled model; a face list
// that no regular faces can close (seven triangles round a heptagon) is refused with
// its final force.
TEST_F(LibraryTest, SpringModelsMustSettle) {
  auto& messages = testing::Platform().messages;
  int families = 0;
  for (int i = 0; i < kNumLibraryEntries; ++i) {
    LibraryEntry& entry = gLibraryTable[i];
    if (!entry.IsSpringBuilt() || (entry.mFlags & kLibraryFamilyMask) == 0) continue;
    ++families;
    EXPECT_NE(entry.CreateSpringPoly(nullptr), nullptr) << i;
  }
  EXPECT_GT(families, 0);
  EXPECT_TRUE(messages.Boxes().empty());

  const char* heptagonalPyramid =
      "L1 L7 (1 2 3 4 5 6 7) (0 2 1) (0 3 2) (0 4 3) (0 5 4) (0 6 5) (0 7 6) (0 1 7)";
  Outcome why;
  EXPECT_EQ(BuildSpringModel(heptagonalPyramid, nullptr, 0, &why), nullptr);
  EXPECT_EQ(why.kind(), Outcome::Kind::kFailed);
  EXPECT_EQ(why.text().rfind("The faces of this model could not be made regular", 0), 0u) << why.text();
  EXPECT_TRUE(messages.Boxes().empty());
  EXPECT_EQ(GetFirstSpringVert(), nullptr);
}

TEST_F(LibraryTest, FileNamesAndRoots) {
  char name[] = "Cube.CORV";
  StripLibraryExtension(name);
  EXPECT_STREQ(name, "Cube");
  std::string off = "model.OFF", plain = "model";
  AddLibraryExtension(off);
  AddLibraryExtension(plain);
  EXPECT_EQ(off, "model.OFF");
  EXPECT_EQ(plain, "model.corv");
  char swapped[] = "3/2 4 | 2;x";
  ReplaceSlashesWithSemicolons(swapped);
  EXPECT_STREQ(swapped, "3;2 4 | 2;x");
  ReplaceSemicolonsWithSlashes(swapped);
  EXPECT_STREQ(swapped, "3/2 4 | 2/x");
  EXPECT_STREQ(GetLibraryFileName("/a/b\\c/Cube.corv"), "Cube.corv");
  EXPECT_TRUE(IsLibraryRootName("CorviaLib", 0));
  EXPECT_TRUE(IsLibraryRootName("GeomagLib", 1));
  EXPECT_FALSE(IsLibraryRootName("GeomagLib", 0));
  EXPECT_FALSE(IsLibraryRootName("CorviaLib", 2));
  std::unique_ptr<LibraryEntry> user = NewUserLibraryEntry("/x/My;Model.corv");
  EXPECT_TRUE(user->IsUserRecord());
  EXPECT_EQ(user->GetVertexConfiguration(), "");
  EXPECT_EQ(user->GetIndex(), -1);
}

namespace test_Library {
std::string gReadPath;
bool gReadDual = false;
std::unique_ptr<SimplePoly> RecordingReader(const char* path, bool dual, Outcome* /*why*/) {
  gReadPath = path;
  gReadDual = dual;
  return std::make_unique<SimplePoly>();
}
}  // namespace test_Library

TEST_F(LibraryTest, AUserRecordIsReadThroughTheInstalledModelFileReader) {
  std::unique_ptr<LibraryEntry> user = NewUserLibraryEntry("/x/Mine.corv");
  const ModelFileReader installed = SetModelFileReader(&test_Library::RecordingReader);
  EXPECT_NE(user->CreatePoly(true), nullptr);
  EXPECT_EQ(test_Library::gReadPath, "/x/Mine.corv");
  EXPECT_TRUE(test_Library::gReadDual);
  // Without a reader the record fails loudly, never quietly.
  SetModelFileReader(nullptr);
  testing::ExpectInternalErrors(1);
  auto& messages = testing::Platform().messages;
  messages.Clear();
  EXPECT_EQ(user->CreatePoly(false), nullptr);
  ASSERT_EQ(messages.Boxes().size(), 1u);
  EXPECT_EQ(messages.Boxes()[0].text, "ReadModelFromFile: no model file reader installed");
  messages.Clear();
  SetModelFileReader(installed);
}

TEST_F(LibraryTest, CategoryTree) {
  EXPECT_STREQ(GetCategoryName(4), "Platonic");
  EXPECT_STREQ(GetCategoryName(0), "Search Results");
  EXPECT_EQ(GetCategoryName(18), nullptr);
  EXPECT_EQ(GetCategoryDepth(4), 3);
  EXPECT_EQ(GetCategoryDepth(-1), 0);
  EXPECT_EQ(GetCategoryChildCount(2), 11);  // Uniform: 3 to 13
  EXPECT_EQ(GetCategoryChildCount(1), 16);
  EXPECT_EQ(GetCategoryChildCount(14), 0);
  EXPECT_EQ(GetCategoryModel(4, 0, false), &gLibraryTable[0]);
  EXPECT_EQ(GetCategoryModel(3, 8, false), &gLibraryTable[8]);
  EXPECT_EQ(GetCategoryModel(3, 9, false), nullptr);
  EXPECT_EQ(GetCategoryModel(2, 104, false), &gLibraryTable[104]);
  EXPECT_EQ(GetCategoryModel(14, 0, false), &gLibraryTable[105]);
}

}  // namespace corvia
