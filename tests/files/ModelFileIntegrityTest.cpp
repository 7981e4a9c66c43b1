// The check of BINARY model files: every single-byte change of a saved file is
// refused with one error naming the file, or opens as the same model with the same
// scene, never as another; files written before files had the check open as they did.

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
  Append(out, &e.alpha, sizeof e.alpha);
  AppendText(out, e.label);
  if (!e.image) return;
  const corvia::FaceImage& image = *e.image;
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

// The fingerprint of the file, or the error that refuses it.
bool Read(const std::string& path, std::string& fingerprint, std::string& error) {
  corvia::ModelFileContents contents;
  error.clear();
  if (!corvia::ReadModelFile(path.c_str(), contents, &error, nullptr, false)) return false;
  fingerprint = Fingerprint(contents);
  return true;
}

struct Tally {
  int tried = 0;
  int refused = 0;
  int same = 0;
  int different = 0;
};

// Sets each byte of the file in turn to each other value, and reads it.
void ChangeEveryByte(const std::string& path, const std::string& bytes, const std::string& expected,
                     const std::string& what, Tally& tally) {
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
        std::string fingerprint, error;
        if (!Read(path, fingerprint, error)) {
          ++tally.refused;
          if (error.find(path) == std::string::npos && reported++ < 5)
            ADD_FAILURE() << what << " byte " << at << " = " << value << ": " << error;
        } else if (fingerprint == expected) {
          ++tally.same;
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
    std::string expected, error;
    ASSERT_TRUE(Read(path, expected, error)) << error;
    ChangeEveryByte(path, seed, expected, "file " + std::to_string(files), tally);
  }
  ASSERT_EQ(files, 2);
  std::printf("[ integrity] %d changed files: %d refused, %d opened the same, %d opened different\n", tally.tried,
              tally.refused, tally.same, tally.different);
  EXPECT_EQ(tally.different, 0);
  EXPECT_EQ(tally.tried, tally.refused + tally.same);
}

// Files written before files had the check: a cube with a face image, an opacity, a
// label, a drawn facet and a scene section, and a model with faces through its centre.
// They open to what they held, which is what the same models save to now.
TEST_F(ModelFileIntegrity, FilesWithoutTheCheckOpenAsBefore) {
  const std::filesystem::path folder = corvia::testing::ScratchDir("integrity-old");
  const std::string now = (folder / "now.corv").string();
  const char* const fixtures[] = {"cube-8.10.corv", "tetrahemihexahedron-8.10.corv"};
  for (int i = 0; i < 2; ++i) {
    const std::string old = (corvia::testing::FixturesDir() / "model-files" / fixtures[i]).string();
    std::string read, written, error;
    ASSERT_TRUE(Read(old, read, error)) << error;
    WriteBytes(now, seeds[size_t(2 * i + 1)]);
    ASSERT_TRUE(Read(now, written, error)) << error;
    EXPECT_EQ(read, written) << fixtures[i];
    // The check is all a file gains: the rest is as it was written before.
    const std::string before = ReadBytes(old);
    EXPECT_EQ(seeds[size_t(2 * i + 1)].compare(0, before.size(), before), 0) << fixtures[i];
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
  for (const std::string& bytes : {cube.substr(0, cube.size() - 1), cube + '\0', cube + cube.substr(cube.size() - 6)}) {
    WriteBytes(changed, bytes);
    EXPECT_FALSE(Read(changed, fingerprint, error));
    EXPECT_NE(error.find(changed), std::string::npos) << error;
  }
}
