// The checks of BINARY model files: every single-byte change of a saved file is
// refused with one error naming the file, or opens as the same model with the same
// scene, or with the one scene section it damaged left out, never as another; a file
// cut anywhere is refused; files written before files had checks, or before each part
// had its own, open as they did.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/BigUInt.h"
#include "files/ModelFile.h"
#include "files/ModelFileFormat.h"
#include "symmetry/SimplePoly.h"
#include "tests/files/ModelFileTestSupport.h"

namespace test_ModelFileIntegrity {

using namespace test_ModelFile;

void Append(std::string& out, const void* data, size_t size) {
  out.append(static_cast<const char*>(data), size);
}

void AppendText(std::string& out, const std::string& text) {
  const size_t size = text.size();
  Append(out, &size, sizeof size);
  out += text;
}

void AppendElement(std::string& out, const corvia::SimpleElement& e) {
  const size_t count = e.items.size();
  Append(out, &count, sizeof count);
  Append(out, e.items.data(), count * sizeof(int32_t));
  Append(out, &e.flags, sizeof e.flags);
  Append(out, &e.color, sizeof e.color);
  Append(out, &e.color2, sizeof e.color2);
  const float alpha = e.Alpha();
  Append(out, &alpha, sizeof alpha);
  AppendText(out, e.Label());
  if (!e.Image()) return;
  const corvia::FaceImage& image = *e.Image();
  AppendText(out, image.mFileName);
  Append(out, &image.mFlags, sizeof image.mFlags);
  Append(out, image.mOffset, sizeof image.mOffset);
  Append(out, &image.mRotation, sizeof image.mRotation);
  Append(out, &image.mRotationInUse, sizeof image.mRotationInUse);
  Append(out, image.mFrame, sizeof image.mFrame);
  Append(out, image.mRotationFrame, sizeof image.mRotationFrame);
  Append(out, &image.mSize, sizeof image.mSize);
  Append(out, &image.mBaseScale, sizeof image.mBaseScale);
}

void AppendCount(std::string& out, const corvia::BigUInt& n) {
  for (int i = 0; i < n.Count(); ++i) {
    const uint32_t word = n.Word(i);
    Append(out, &word, sizeof word);
  }
  out += ';';
}

// Everything a file gives, bit for bit: two files give the same model and scene
// exactly when these agree.
std::string Fingerprint(const corvia::ModelFileContents& c) {
  std::string out;
  const corvia::SimplePoly& m = *c.model;
  for (const std::string* text : {&m.name, &m.dualName, &m.webLink, &c.entryText, &c.description, &c.libraryName,
                                  &c.configuration})
    AppendText(out, *text);
  for (int value : {c.libraryIndex, c.libraryN, c.libraryD, int(c.tookBranch), int(c.hasLengthScale),
                    c.maxFacesPerNet, int(m.currentFace), int(m.flags)})
    Append(out, &value, sizeof value);
  Append(out, &m.scale, sizeof m.scale);
  for (int i = 0; i < m.NumVerts(); ++i) {
    Append(out, m.VertAt(i).pos, sizeof m.VertAt(i).pos);
    AppendElement(out, m.VertAt(i));
  }
  for (int i = 0; i < m.NumFaces(); ++i) {
    AppendElement(out, m.FaceAt(i));
    if (m.FaceAt(i).Count() < 3) Append(out, m.FaceAt(i).normal, sizeof m.FaceAt(i).normal);
  }
  for (int i = 0; i < m.NumEdges(); ++i) {
    const corvia::SimpleEdge& e = m.EdgeAt(i);
    for (int32_t value : {int32_t(e.flags), e.endA, e.endB, e.faceA, e.faceB, int32_t(e.color)})
      Append(out, &value, sizeof value);
    AppendText(out, e.label);
  }
  for (const std::vector<double>& polygon : c.drawnPolygons) {
    out += 'P';
    Append(out, polygon.data(), polygon.size() * sizeof(double));
  }
  if (c.faceting) {
    const corvia::FacetingCriteria& f = *c.faceting;
    for (int value : {f.criteria, f.minFacets, f.maxFacets, int(f.partialFacetingOK), int(f.spikyFaceting)})
      Append(out, &value, sizeof value);
    for (const corvia::BigUInt* n : {&f.totalNum, &f.numChirals, &f.numCompounds}) AppendCount(out, *n);
    for (int64_t value : {f.time.GetDays(), f.time.GetMilliseconds()}) Append(out, &value, sizeof value);
  }
  for (const corvia::ModelFileScene& scene : c.scene) {
    AppendText(out, scene.name);
    AppendText(out, scene.data);
  }
  return out;
}

// The fingerprint of the file, or the error that refuses it; with `warning`, the
// file's warning, and the fingerprint without the scene.
bool Read(const std::string& path, std::string& fingerprint, std::string& error, std::string* warning = nullptr,
          std::string* withoutScene = nullptr) {
  corvia::ModelFileContents contents;
  error.clear();
  if (!corvia::ReadModelFile(path.c_str(), contents, &error, nullptr, false)) return false;
  fingerprint = Fingerprint(contents);
  if (warning) *warning = contents.warning;
  contents.scene.clear();
  if (withoutScene) *withoutScene = Fingerprint(contents);
  return true;
}

struct Tally {
  int tried = 0;
  int refused = 0;
  int same = 0;
  int leftOut = 0;  // the same model, its one scene section left out with a warning
  int different = 0;
};

// Sets each byte of the file in turn to each other value, and reads it.
void ChangeEveryByte(const std::string& path, const std::string& bytes, const std::string& expected,
                     const std::string& withoutScene, const std::string& what, Tally& tally) {
  WriteBytes(path, bytes);
  std::FILE* file = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(file, nullptr);
  int reported = 0;
  for (size_t at = 0; at < bytes.size(); ++at) {
    for (int value = 0; value < 256; ++value) {
      if (char(value) == bytes[at]) continue;
      for (int put : {value, int(uint8_t(bytes[at]))}) {
        std::fseek(file, long(at), SEEK_SET);
        std::fputc(put, file);
        std::fflush(file);
        if (put != value) break;
        ++tally.tried;
        std::string fingerprint, error, warning;
        if (!Read(path, fingerprint, error, &warning)) {
          ++tally.refused;
          if (error.find(path) == std::string::npos && reported++ < 5)
            ADD_FAILURE() << what << " byte " << at << " = " << value << ": " << error;
        } else if (fingerprint == expected) {
          ++tally.same;
        } else if (fingerprint == withoutScene && warning.find("' was left out") != std::string::npos) {
          ++tally.leftOut;
        } else {
          ++tally.different;
          if (reported++ < 5) ADD_FAILURE() << what << ": byte " << at << " = " << value << " opens another model";
        }
      }
    }
  }
  std::fclose(file);
}

// The files saved now, each form of each model (ASCII first).
class ModelFileIntegrity : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(seeds.size(), 4u); }
  TestSection section;
  const std::vector<std::string> seeds = SeedFiles(section);
};

}  // namespace test_ModelFileIntegrity

using namespace test_ModelFileIntegrity;

TEST_F(ModelFileIntegrity, EveryChangedByteIsRefusedOrOpensTheSameModel) {
  const std::filesystem::path folder = corvia::testing::ScratchDir("integrity");
  const std::string path = (folder / "changed.corv").string();
  Tally tally;
  int files = 0;
  for (const std::string& seed : seeds) {
    if (seed.compare(0, 13, "Corvia BINARY") != 0) continue;
    ++files;
    WriteBytes(path, seed);
    std::string expected, error, withoutScene;
    ASSERT_TRUE(Read(path, expected, error, nullptr, &withoutScene)) << error;
    ChangeEveryByte(path, seed, expected, withoutScene, "file " + std::to_string(files), tally);
  }
  ASSERT_EQ(files, 2);
  std::printf(
      "[ integrity] %d changed files: %d refused, %d opened the same, %d without their scene section, %d "
      "opened different\n",
      tally.tried, tally.refused, tally.same, tally.leftOut, tally.different);
  EXPECT_EQ(tally.different, 0);
  EXPECT_GT(tally.leftOut, 0);
  EXPECT_EQ(tally.tried, tally.refused + tally.same + tally.leftOut);
}

// A file cut short anywhere, at a boundary between tokens or parts too, is refused:
// a file must end with its end, in either form. A text file that lost only the line
// end after its end is whole.
TEST_F(ModelFileIntegrity, AFileCutAnywhereIsRefused) {
  const std::string path = (corvia::testing::ScratchDir("integrity-cut") / "cut.corv").string();
  for (const std::string& seed : seeds) {
    WriteBytes(path, seed);
    std::string whole, error;
    ASSERT_TRUE(Read(path, whole, error)) << error;
    for (size_t length = 0; length < seed.size(); ++length) {
      const std::string cut = seed.substr(0, length);
      WriteBytes(path, cut);
      std::string fingerprint;
      if (seed.find_first_not_of('\n', length) == std::string::npos) {
        ASSERT_TRUE(Read(path, fingerprint, error)) << error;
        EXPECT_EQ(fingerprint, whole);
        continue;
      }
      ASSERT_FALSE(Read(path, fingerprint, error)) << "cut at " << length << " of " << seed.size();
      ASSERT_NE(error.find(path), std::string::npos) << error;
      // Cut after a part of a text file, it says so.
      if (cut.ends_with("EndModel\n") || cut.ends_with("EndScene\n")) {
        EXPECT_NE(error.find("The file is cut short"), std::string::npos) << error;
      }
    }
  }
}

// Damage inside a scene section of a BINARY file costs that section alone, as in an
// ASCII file: the model opens with the sections after it and one warning that names
// it. Damage in the model refuses the file.
TEST_F(ModelFileIntegrity, DamageInsideASceneSectionCostsOnlyThatSection) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  const std::filesystem::path folder = corvia::testing::ScratchDir("integrity-scene");
  TestSection after("After");
  after.mNumber = 5;
  Installed one(&section);
  Installed two(&after);
  for (int form : {corvia::kModelFileAscii, corvia::kModelFileBinary}) {
    const std::string path = (folder / ("cube" + std::to_string(form) + ".corv")).string();
    ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, cube.poly));
    std::string bytes = ReadBytes(path);
    // A byte of the section's data: its caption in ASCII, its middle in BINARY.
    const size_t name = bytes.find("TestScene");
    const size_t at =
        form == corvia::kModelFileAscii ? bytes.find("Caption", name) + 3 : (name + bytes.find("After", name)) / 2;
    bytes[at] = char(bytes[at] ^ 0x21);
    WriteBytes(path, bytes);
    TestDocument document;
    after.mReadNumber = 0;
    corvia::testing::Platform().messages.Clear();
    const corvia::Outcome opened = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
    ASSERT_TRUE(opened) << form << ": " << opened.text();
    EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
    ASSERT_EQ(opened.warnings().size(), 1u) << form;
    EXPECT_NE(opened.warnings()[0].find("'TestScene' was left out"), std::string::npos) << opened.warnings()[0];
    EXPECT_EQ(opened.warnings()[0].find("'After'"), std::string::npos) << opened.warnings()[0];
    EXPECT_EQ(after.mReadNumber, 5) << form;
    ExpectSameModel(cube.poly, document.mPoly, "form " + std::to_string(form));
    if (form == corvia::kModelFileAscii) continue;
    // The model's block: refused as damaged.
    bytes = ReadBytes(path);
    bytes[name / 2] = char(bytes[name / 2] ^ 0x21);
    WriteBytes(path, bytes);
    const corvia::Outcome refused = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
    EXPECT_EQ(refused.kind(), corvia::Outcome::Kind::kRefused);
    EXPECT_NE(refused.text().find("damaged"), std::string::npos) << refused.text();
  }
}

// A BINARY file of now as it was written before checks: the mark, the checks of the
// parts and the end taken out.
std::string AsWrittenUnchecked(const std::string& bytes) {
  using namespace corvia::modelfile;
  const auto token = [&bytes](size_t at) { return int(uint8_t(bytes[at])) | int(uint8_t(bytes[at + 1])) << 8; };
  std::string out = bytes.substr(0, 18);
  for (size_t at = 18; at + 2 <= bytes.size();) {
    const int kind = token(at);
    if (kind == kTokEndFile) break;
    if (kind == kTokChecksum || kind == kTokCheckedParts) {
      at += kind == kTokChecksum ? 6 : 2;
      continue;
    }
    size_t end = at + 2;
    if (kind == kTokScene) end = bytes.find('\0', end) + 1;
    uint32_t stored = 0;
    std::memcpy(&stored, bytes.data() + end + 6, 4);
    end += 10 + stored;  // the block's token, lengths and stored bytes
    out += bytes.substr(at, end - at);
    at = end;
  }
  return out;
}

// Files written before files had checks, and with one check of the whole file (and
// in the ASCII form): a cube with a face image, an opacity, a label, a drawn facet and a scene
// section, and a model with faces through its centre. They open to what they held,
// which is what the same models save to now.
TEST_F(ModelFileIntegrity, FilesWithoutTheCheckOpenAsBefore) {
  const std::filesystem::path folder = corvia::testing::ScratchDir("integrity-old");
  const std::string now = (folder / "now.corv").string();
  const struct {
    const char* name;
    size_t seed;
    size_t checkBytes;  // the bytes of the one check at the end of the file
  } fixtures[] = {{"cube-8.10.corv", 1, 0},
                  {"tetrahemihexahedron-8.10.corv", 3, 0},
                  {"cube-8.10-checked.corv", 1, 6},
                  {"tetrahemihexahedron-8.10-checked.corv", 3, 6},
                  {"cube-8.10-ascii.corv", 0, 0}};
  for (const auto& fixture : fixtures) {
    const std::string old = (corvia::testing::FixturesDir() / "model-files" / fixture.name).string();
    std::string read, written, error;
    ASSERT_TRUE(Read(old, read, error)) << error;
    WriteBytes(now, seeds[fixture.seed]);
    ASSERT_TRUE(Read(now, written, error)) << error;
    EXPECT_EQ(read, written) << fixture.name;
    // The checks are all a BINARY file gains: the rest is as it was written before.
    const std::string before = ReadBytes(old);
    if (fixture.seed % 2 == 1) {
      EXPECT_EQ(AsWrittenUnchecked(seeds[fixture.seed]), before.substr(0, before.size() - fixture.checkBytes))
          << fixture.name;
    } else {
      // And the mark and the end all an ASCII file gains.
      std::string text = Unstamped(before);
      EXPECT_EQ(Unstamped(seeds[fixture.seed]), text.insert(text.find("Model\n"), "CheckedParts\n") + "EndFile\n");
    }
    // And through the document, with nothing to say.
    TestDocument document;
    Installed installed(&section);
    auto& messages = corvia::testing::Platform().messages;
    messages.Clear();
    EXPECT_TRUE(corvia::OpenModelFile(old.c_str(), corvia::kOpenModelFilePlain));
    EXPECT_TRUE(messages.Boxes().empty());
  }
  // A file cut short of its check, or with bytes after it, is refused.
  const std::string& cube = seeds[1];
  const std::string changed = (folder / "changed.corv").string();
  std::string fingerprint, error;
  // An ASCII file without the mark is read to its last part, as it always was: cut
  // after its model, it opens with the model alone.
  std::string old = ReadBytes(corvia::testing::FixturesDir() / "model-files" / "cube-8.10-ascii.corv"), model;
  WriteBytes(changed, old);
  ASSERT_TRUE(Read(changed, fingerprint, error, nullptr, &model)) << error;
  WriteBytes(changed, old.erase(old.find("Scene ")));
  ASSERT_TRUE(Read(changed, fingerprint, error)) << error;
  EXPECT_EQ(fingerprint, model);
  for (const std::string& bytes : {cube.substr(0, cube.size() - 1), cube + '\0', cube + cube.substr(cube.size() - 6)}) {
    WriteBytes(changed, bytes);
    EXPECT_FALSE(Read(changed, fingerprint, error));
    EXPECT_NE(error.find(changed), std::string::npos) << error;
  }
}
