// Random files for the model file reader: files cut short, files with bytes or words
// changed, and files of random bytes or words after a good header. Each round draws
// from its own generator seeded with (seed, round), so a failure names the round that
// replays it on every machine. Whatever the file, opening it either works (with at
// most a warning) or gives exactly one "Error" box, never an internal error, and a
// failed open leaves the current model as it was; a file that opens saves and opens
// again to the same model and the same kept scene sections.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "core/DrawnPolygon.h"
#include "core/FaceImageRef.h"
#include "core/PolygonRing.h"
#include "core/ioStream.h"
#include "files/ModelFile.h"
#include "files/ModelFileFormat.h"
#include "model/FaceImageAttach.h"
#include "tests/files/ModelFileTestSupport.h"
#include "tests/support/FuzzInput.h"

namespace test_ModelFileFuzz {

using namespace test_ModelFile;

constexpr uint32_t kSeed = 20261207;
constexpr int kRounds = 250;

using corvia::testing::Below;

std::string Where(const char* kind, int round) {
  return corvia::testing::RoundName(kind, kSeed, round);
}

// Words a changed text file may get in place of one of its own.
const std::vector<std::string> kWords = {
    "0",        "-1",         "2147483647", "-2147483648", "99999999999",  "1e308",           "nan",
    "inf",      "0x7fffffff", "\"\"",       "\"text\"",    "Yes",          "Model",           "EndModel",
    "Vertices", "Faces",      "Scene",      "EndScene",    "FaceImage",    "UsedBy",          "Continue",
    "ContNewL", "#",          "3.5",        "VertexRings", "DrawnPolygon", "CompressedBlock", "Labels",
    "010",      "-08",        "0x",         "EndScene\n"};

std::string RandomFile(std::mt19937& random) {
  std::string file;
  switch (Below(random, 3)) {
    case 0: {
      file = "Corvia ASCII 8.10\n";
      const int words = Below(random, 200);
      for (int i = 0; i < words; ++i)
        file += kWords[size_t(Below(random, int(kWords.size())))] + " \n"[Below(random, 2)];
      break;
    }
    case 1: {
      file = std::string("Corvia BINARY \x08\x00\x0a\x00", 18);
      const int bytes = Below(random, 400);
      for (int i = 0; i < bytes; ++i) file.push_back(char(random()));
      break;
    }
    default: {
      const int bytes = Below(random, 400);
      for (int i = 0; i < bytes; ++i) file.push_back(char(random()));
      break;
    }
  }
  return file;
}

// The scene sections a model keeps, as name, form and data.
std::vector<std::string> KeptSections(const corvia::Poly& poly) {
  std::vector<std::string> kept;
  if (!poly.mFileKeep) return kept;
  for (const corvia::ModelFileScene& scene : poly.mFileKeep->scene)
    kept.push_back(scene.name + " " + std::to_string(scene.form) + "\n" + scene.data);
  return kept;
}

// A model that opened saves in the form of its file and opens again to the same model
// with the same kept sections: nothing a file can hold is saved unreadable.
void SaveAndReopen(corvia::Poly& opened, const std::string& where, bool withSection, TestSection& section) {
  static const std::filesystem::path folder = corvia::testing::ScratchDir("fuzz-saved");
  const std::string path = (folder / "saved.corv").string();
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  if (withSection) corvia::InstallModelFileSection(&section);
  const bool saved = corvia::WriteModelFile(path.c_str(), corvia::GetModelFileForm(opened), opened).done();
  TestDocument again;
  const bool reopened = saved && corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
  if (withSection) corvia::RemoveModelFileSection(&section);
  ASSERT_TRUE(saved) << where;
  ASSERT_TRUE(reopened) << where << ": " << (messages.Boxes().empty() ? "" : messages.Boxes()[0].text);
  ExpectSameModel(opened, again.mPoly, where + ", saved and opened again");
  EXPECT_EQ(KeptSections(opened), KeptSections(again.mPoly)) << where;
}

// Opens the file over a current tetrahedron and checks the outcome.
void OpenAndCheck(const std::string& contents, const std::string& where, bool withSection, TestSection& section) {
  static const std::filesystem::path folder = corvia::testing::ScratchDir("fuzz");
  const std::string path = (folder / "round.corv").string();
  WriteBytes(path, contents);
  TestDocument document;
  LibraryModel tetra;
  ASSERT_TRUE(
      CreateFromLibraryEntry(&document.mPoly, &tetra.polyTemplate, corvia::GetLibraryEntry(kTetrahedron), false));
  const int vertices = document.mPoly.mVertices.mCount;
  double first[3];
  std::memcpy(first, document.mPoly.mVertices.mHead->mDualVert, sizeof first);
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  if (withSection) corvia::InstallModelFileSection(&section);
  const corvia::Outcome outcome = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
  const bool opened = outcome.done();
  if (withSection) corvia::RemoveModelFileSection(&section);
  const auto& boxes = messages.Boxes();
  if (opened) {
    EXPECT_LE(boxes.size(), 1u) << where;
    for (const auto& box : boxes) EXPECT_EQ(box.title, "Warning") << where << ": " << box.text;
    EXPECT_GT(document.mPoly.mFaces.mCount, 0) << where;
    SaveAndReopen(document.mPoly, where, withSection, section);
  } else {
    // Refused in words that name the file, for the caller to tell; no box of its own.
    EXPECT_TRUE(boxes.empty()) << where;
    EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused) << where;
    EXPECT_NE(outcome.text().find(path), std::string::npos) << where << ": " << outcome.text();
    EXPECT_EQ(document.mPoly.mVertices.mCount, vertices) << where;
    EXPECT_EQ(std::memcmp(document.mPoly.mVertices.mHead->mDualVert, first, sizeof first), 0) << where;
  }
}

}  // namespace test_ModelFileFuzz

using namespace test_ModelFileFuzz;

TEST(Fuzz, ModelFilesCutShort) {
  TestSection section;
  const std::vector<std::string> seeds = SeedFiles(section);
  ASSERT_EQ(seeds.size(), 4u);
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = corvia::testing::RoundRandom(kSeed, round);
    const std::string& seed = seeds[size_t(Below(random, int(seeds.size())))];
    OpenAndCheck(seed.substr(0, size_t(Below(random, int(seed.size())))), Where("cut", round), round % 2 == 0, section);
    if (HasFatalFailure()) return;
  }
}

TEST(Fuzz, ModelFilesChanged) {
  TestSection section;
  const std::vector<std::string> seeds = SeedFiles(section);
  ASSERT_EQ(seeds.size(), 4u);
  for (int round = 0; round < 2 * kRounds; ++round) {
    std::mt19937 random = corvia::testing::RoundRandom(kSeed + 1, round);
    const size_t which = size_t(Below(random, int(seeds.size())));
    const bool text = seeds[which].compare(0, 12, "Corvia ASCII") == 0;
    const std::string changed = text ? corvia::testing::ChangeText(seeds[which], random, kWords)
                                     : corvia::testing::ChangeBytes(seeds[which], random);
    OpenAndCheck(changed, Where("changed", round), round % 2 == 0, section);
    if (HasFatalFailure()) return;
  }
}

TEST(Fuzz, ModelFilesOfRandomData) {
  TestSection section;
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = corvia::testing::RoundRandom(kSeed + 2, round);
    OpenAndCheck(RandomFile(random), Where("random", round), round % 2 == 0, section);
    if (HasFatalFailure()) return;
  }
}
