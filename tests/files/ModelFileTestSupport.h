#pragma once
// What the model file tests share: a document with one current model, models built
// as the document builds them, and a comparison of two models element by element.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "construction/Library.h"
#include "construction/ModelFactory.h"
#include "core/DrawnPolygon.h"
#include "core/FaceImageRef.h"
#include "core/PolygonRing.h"
#include "core/RainbowColor.h"
#include "core/ioStream.h"
#include "files/ModelFile.h"
#include "files/ModelFileSection.h"
#include "model/FaceImageAttach.h"
#include "model/Edge.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "tests/support/TestSupport.h"

namespace test_ModelFile {

// Library records the tests build.
constexpr int kTetrahedron = 0;
constexpr int kCube = 1;
constexpr int kTetrahemihexahedron = 22;
constexpr int kPentagonalPrism = 78;

// The document: its current model is the one held here.
class TestDocument : public corvia::DocumentAccess {
 public:
  TestDocument() : mPrevious(corvia::InstallDocumentAccess(this)) {}
  ~TestDocument() override { corvia::InstallDocumentAccess(mPrevious); }
  corvia::Poly* GetCurrentPoly() override { return &mPoly; }

  corvia::Poly mPoly;

 private:
  corvia::DocumentAccess* mPrevious;
};

// A library model built as the document builds it: from the entry (through the
// template for a vertex configuration), then given the entry.
struct LibraryModel {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;

  bool Build(int index) {
    corvia::LibraryEntry* entry = corvia::GetLibraryEntry(index);
    if (!entry || !CreateFromLibraryEntry(&poly, &polyTemplate, entry, false)) return false;
    poly.SetLibraryEntry(entry);
    return poly.mVertices.mCount > 0 && poly.mFaces.mCount > 0;
  }
};

inline std::vector<corvia::PolyElement*> Elements(const corvia::ElementList& list) {
  std::vector<corvia::PolyElement*> out;
  for (corvia::PolyElement* e = list.mHead; e; e = e->mNext) out.push_back(e);
  return out;
}

inline uint32_t Packed(const float* rgb) {
  return corvia::PackRainbowColor(rgb);
}

inline std::string Text(const char* s) {
  return s ? s : "";
}

inline bool SameBits(const double* a, const double* b) {
  return std::memcmp(a, b, 3 * sizeof(double)) == 0;
}

// The same corners in the same cyclic order. The face-type set-up starts the corners of
// the faces of a type where the type's first face starts them, so a face may start at
// another corner once its model is rebuilt.
inline bool SameCycle(const corvia::PolyElement* a, const corvia::PolyElement* b) {
  const int n = a->mNumSides;
  if (n != b->mNumSides) return false;
  if (n == 0) return true;
  for (int shift = 0; shift < n; ++shift) {
    bool same = true;
    for (int k = 0; same && k < n; ++k) same = a->GetCorner(k)->mIndex == b->GetCorner((k + shift) % n)->mIndex;
    if (same) return true;
  }
  return false;
}

// The face types of a list as a partition: each element labelled by the order in
// which its type first turns up. Types are numbered by the way the model was made (a
// model built from its vertex configuration lists them by the template's polygons, any
// other by their distance from the centre), so the grouping is what must agree.
inline std::vector<int> TypePartition(const corvia::ElementList& list) {
  std::map<const corvia::FaceType*, int> label;
  std::vector<int> out;
  for (corvia::PolyElement* e = list.mHead; e; e = e->mNext) {
    auto found = label.emplace(e->mType, int(label.size())).first;
    out.push_back(e->mType ? found->second : -1);
  }
  return out;
}

// Edges by their ends and sides, with what a user can change on them.
inline std::map<std::array<int, 4>, std::string> EdgeAttributes(const corvia::Poly& poly) {
  std::map<std::array<int, 4>, std::string> out;
  for (int i = 0; i < poly.mNumEdges; ++i) {
    const corvia::Edge* e = poly.GetEdge(i);
    const int a = corvia::PolyElement::GetIndex(e->mVert1), b = corvia::PolyElement::GetIndex(e->mVert2);
    const int f = corvia::PolyElement::GetIndex(e->mFace1), g = corvia::PolyElement::GetIndex(e->mFace2);
    out[{std::min(a, b), std::max(a, b), std::min(f, g), std::max(f, g)}] =
        std::to_string(Packed(e->GetColour())) + " " + e->mLabel + ((e->mEdgeFlags & 0x8) ? " hidden" : "");
  }
  return out;
}

// The same model: counts, every position bit for bit, colours (as stored: 24 bits),
// opacities, labels, names, origin, and face types in both blocks.
inline void ExpectSameModel(const corvia::Poly& a, const corvia::Poly& b, const std::string& what) {
  ASSERT_EQ(a.mVertices.mCount, b.mVertices.mCount) << what;
  ASSERT_EQ(a.mFaces.mCount, b.mFaces.mCount) << what;
  EXPECT_EQ(a.mNumEdges, b.mNumEdges) << what;
  EXPECT_EQ(Text(a.mName), Text(b.mName)) << what;
  EXPECT_EQ(Text(a.mDualName), Text(b.mDualName)) << what;
  EXPECT_EQ(Text(a.mEntryText), Text(b.mEntryText)) << what;
  EXPECT_EQ(Text(a.mDescription), Text(b.mDescription)) << what;
  EXPECT_EQ(Text(a.mWebLink), Text(b.mWebLink)) << what;
  EXPECT_EQ(a.mLibraryEntry, b.mLibraryEntry) << what;
  char nameA[256], nameB[256];
  a.GetName(nameA, sizeof nameA);
  b.GetName(nameB, sizeof nameB);
  EXPECT_STREQ(nameA, nameB) << what;
  EXPECT_EQ(a.mBaseBlock->CountFaceTypes(), b.mBaseBlock->CountFaceTypes()) << what;
  EXPECT_EQ(a.mDualBlock->CountFaceTypes(), b.mDualBlock->CountFaceTypes()) << what;
  EXPECT_EQ(TypePartition(a.mFaces), TypePartition(b.mFaces)) << what;
  EXPECT_EQ(TypePartition(a.mVertices), TypePartition(b.mVertices)) << what;
  const auto va = Elements(a.mVertices), vb = Elements(b.mVertices);
  const auto fa = Elements(a.mFaces), fb = Elements(b.mFaces);
  int mismatches = 0;
  for (size_t i = 0; i < va.size() && mismatches < 5; ++i) {
    const bool same = SameBits(va[i]->mDualVert, vb[i]->mDualVert) && Packed(va[i]->mColor) == Packed(vb[i]->mColor) &&
                      Packed(va[i]->mBackColor) == Packed(vb[i]->mBackColor) && va[i]->mOpacity == vb[i]->mOpacity &&
                      va[i]->mLabel == vb[i]->mLabel && va[i]->mNumSides == vb[i]->mNumSides;
    if (!same) ++mismatches;
    EXPECT_TRUE(same) << what << ": vertex " << i;
  }
  for (size_t i = 0; i < fa.size() && mismatches < 5; ++i) {
    const bool same = SameCycle(fa[i], fb[i]) && Packed(fa[i]->mColor) == Packed(fb[i]->mColor) &&
                      Packed(fa[i]->mBackColor) == Packed(fb[i]->mBackColor) && fa[i]->mOpacity == fb[i]->mOpacity &&
                      fa[i]->mLabel == fb[i]->mLabel;
    if (!same) ++mismatches;
    EXPECT_TRUE(same) << what << ": face " << i;
  }
  EXPECT_EQ(EdgeAttributes(a), EdgeAttributes(b)) << what;
}

// A scene section of a layer above the geometry: a token table of its own, numbers,
// a text with a line end and quotes, and an edge reference-like number.
class TestSection : public corvia::ModelFileSection {
 public:
  explicit TestSection(const char* name = "TestScene") : mName(name) {}
  const char* GetName() const override { return mName.c_str(); }
  bool HasData() override { return mHasData; }
  bool Write(corvia::ioStream* s, int indent) override {
    if (mFailWrite) return false;
    const corvia::ioCallbacks saved = corvia::ioSetCallbacks(s, SectionToken, nullptr);
    bool ok = corvia::ioWriteToken(s, 1, indent);
    ok = corvia::ioPrintf(s, "\t%d\t%.17g\t%hg\n", mNumber, mReal, double(mSingle)) && ok;
    ok = corvia::ioWriteToken(s, 2, indent) && ok;
    ok = corvia::ioWriteString(s, "\t", mText.c_str(), "\n", indent) && ok;
    if (mExtra) ok = corvia::ioPrintf(s, "%d\n", 99) && ok;
    ok = corvia::ioWriteToken(s, 0, indent) && ok;
    ok = corvia::ioPrintf(s, "\n") && ok;
    corvia::ioRestoreCallbacks(s, saved);
    return ok;
  }
  bool Read(corvia::ioStream* s, bool apply) override {
    ++(apply ? mApplied : mChecked);
    if (mFailRead) {
      corvia::ioError(s, corvia::kIoLevelError, "The test scene cannot be read");
      return false;
    }
    const corvia::ioCallbacks saved = corvia::ioSetCallbacks(s, SectionToken, nullptr);
    bool ok = corvia::ioReadToken(s) == 1;
    const int number = corvia::ioReadInt(s);
    const double real = corvia::ioReadDouble(s);
    const float single = corvia::ioReadFloat(s);
    ok = ok && corvia::ioReadToken(s) == 2;
    const std::string text = corvia::ioReadString(s, true);
    corvia::ioRestoreCallbacks(s, saved);
    if (ok && apply) {
      mReadNumber = number;
      mReadReal = real;
      mReadSingle = single;
      mReadText = text;
    }
    return ok;
  }

  static const char* SectionToken(int i) {
    static const char* const kNames[] = {"EndSection", "Camera", "Caption"};
    return i >= 0 && i < 3 ? kNames[i] : nullptr;
  }

  std::string mName;
  bool mHasData = true;
  bool mFailWrite = false;
  bool mFailRead = false;
  bool mExtra = false;
  int mNumber = -42;
  double mReal = 1.0 / 3.0;
  float mSingle = 0.1f;
  std::string mText = "A \"quoted\" caption\nover two lines, with a backslash \\ in it";
  int mChecked = 0;
  int mApplied = 0;
  int mReadNumber = 0;
  double mReadReal = 0.0;
  float mReadSingle = 0.0f;
  std::string mReadText;
};

class Installed {
 public:
  explicit Installed(corvia::ModelFileSection* section) : mSection(section) {
    corvia::InstallModelFileSection(section);
  }
  ~Installed() { corvia::RemoveModelFileSection(mSection); }

 private:
  corvia::ModelFileSection* mSection;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes of a saved file less the ASCII form's line that tells when it was saved.
inline std::string Unstamped(std::string bytes) {
  const size_t stamp = bytes.find("# Corvia model file, saved ");
  if (stamp != std::string::npos) bytes.erase(stamp, bytes.find('\n', stamp) + 1 - stamp);
  return bytes;
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

// Files with everything a file can hold: a cube with a face image, an opacity, a label,
// a drawn facet and the section's scene, and a model with faces through its centre,
// each in both forms (ASCII first), as their bytes.
inline std::vector<std::string> SeedFiles(TestSection& section) {
  std::vector<std::string> files;
  const std::filesystem::path folder = corvia::testing::ScratchDir("seed-files");
  for (int index : {kCube, kTetrahemihexahedron}) {
    LibraryModel model;
    if (!model.Build(index)) continue;
    std::vector<corvia::PolyElement*> faces = Elements(model.poly.mFaces);
    std::vector<corvia::PolyElement*> verts = Elements(model.poly.mVertices);
    auto* image = new corvia::FaceImage(nullptr, corvia::kImageProjectPlanar, corvia::kImageBoundaryBorder);
    image->mFileName = "picture.png";
    AttachToFace(image, faces[0], true);
    AttachToFace(image, faces[1], false);
    faces[2]->SetOpacity(0.5f);
    verts[0]->SetLabel("label");
    corvia::DrawnPolygon* polygon = model.poly.mCurrentDrawnPolygon;
    for (int i = 0; i < 3; ++i) corvia::NewPolygonVertex(0, 0, nullptr, verts[size_t(i)]->mDualVert, polygon->ring);
    polygon->Triangulate();
    model.poly.mCurrentDrawnPolygon = new corvia::DrawnPolygon(model.poly.mDrawnPolygons, model.poly.mLastDrawnPolygon);
    for (int form : {corvia::kModelFileAscii, corvia::kModelFileBinary}) {
      const std::filesystem::path path = folder / ("seed" + std::to_string(files.size()) + ".corv");
      corvia::InstallModelFileSection(&section);
      const bool written = corvia::WriteModelFile(path.c_str(), form, model.poly).done();
      corvia::RemoveModelFileSection(&section);
      if (written) files.push_back(ReadBytes(path));
    }
  }
  return files;
}

}  // namespace test_ModelFile
