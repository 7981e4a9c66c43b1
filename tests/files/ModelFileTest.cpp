// The model file beyond the plain model: face images, opacities, labels, drawn facets
// and faceting settings; the scene sections and their readers; the file a save
// replaces; the model of a file for augmentation; and bad files, which must give one
// message naming the file and leave the current model as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "construction/Augmentation.h"
#include "construction/DerivedModels.h"
#include "core/DrawnPolygon.h"
#include "core/FaceImageRef.h"
#include "core/PolygonRing.h"
#include "core/Progress.h"
#include "core/Units.h"
#include "core/ioStream.h"
#include "files/ModelFile.h"
#include "files/ModelFileFormat.h"
#include "model/CreatePoly.h"
#include "model/FaceImageAttach.h"
#include "nets/Model3D.h"
#include "stellation/Faceting.h"
#include "symmetry/SimplePoly.h"
#include "tests/files/ModelFileTestSupport.h"

namespace test_ModelFileFeatures {

using namespace test_ModelFile;
using corvia::FaceImage;
using corvia::FacetingCriteria;
using corvia::Poly;
using corvia::PolyElement;

constexpr const int kForms[] = {corvia::kModelFileAscii, corvia::kModelFileBinary};

std::string FormName(int form) {
  return form == corvia::kModelFileAscii ? "ASCII" : "BINARY";
}

auto& Messages() {
  return corvia::testing::Platform().messages;
}

// A file in a scratch folder made once for the test program.
std::string Path(const std::string& folder, const std::string& name) {
  static std::map<std::string, std::filesystem::path> folders;
  auto found = folders.find(folder);
  if (found == folders.end()) found = folders.emplace(folder, corvia::testing::ScratchDir(folder)).first;
  return (found->second / name).string();
}

// A picture-less image with every field set apart from its default.
FaceImage* MakeImage(const char* file, int projection, double seed) {
  auto* image = new FaceImage(nullptr, projection, corvia::kImageBoundaryRepeat);
  image->mFileName = file;
  image->mFlags = corvia::kFaceImageFlip | corvia::kFaceImageKeepUpright;
  image->mOffset[0] = seed / 3.0;
  image->mOffset[1] = -seed / 7.0;
  image->mRotation = seed / 11.0;
  image->mRotationInUse = seed / 13.0;
  for (int i = 0; i < 12; ++i) {
    image->mFrame[i] = seed + i / 17.0;
    image->mRotationFrame[i] = seed - i / 19.0;
  }
  image->mSize = seed * 0.1 + 1.0 / 3.0;
  image->mBaseScale = 2.0 / 3.0;
  return image;
}

bool SameImage(const FaceImage* a, const FaceImage* b) {
  return a && b && a->mFileName == b->mFileName && a->mProjection == b->mProjection &&
         a->mBoundaryMode == b->mBoundaryMode && (a->mFlags & 0x12) == (b->mFlags & 0x12) &&
         std::memcmp(a->mOffset, b->mOffset, sizeof a->mOffset) == 0 && a->mRotation == b->mRotation &&
         a->mRotationInUse == b->mRotationInUse && std::memcmp(a->mFrame, b->mFrame, sizeof a->mFrame) == 0 &&
         std::memcmp(a->mRotationFrame, b->mRotationFrame, sizeof a->mRotationFrame) == 0 && a->mSize == b->mSize &&
         a->mBaseScale == b->mBaseScale;
}

// The faceting settings are the program's: a test that changes them puts the defaults
// back.
void ResetFacetingSettings() {
  corvia::SetFacetingCriteria(corvia::kFacetingTidy);
  corvia::SetMinFacetTypes(1);
  corvia::SetMaxFacetTypes(0);
  corvia::SetFacetingOptions(0, true);
}

class FacetingDefaults {
 public:
  ~FacetingDefaults() { ResetFacetingSettings(); }
};

corvia::Faceting* ShownFaceting(Poly& poly) {
  return corvia::GetFaceting(poly.GetShownBlock());
}

std::string Count(const corvia::BigUInt& n) {
  char text[128];
  n.ToString(text, sizeof text);
  return text;
}

bool SameFaceting(const FacetingCriteria& a, const FacetingCriteria& b) {
  return a.criteria == b.criteria && a.minFacets == b.minFacets && a.maxFacets == b.maxFacets &&
         a.partialFacetingOK == b.partialFacetingOK && a.spikyFaceting == b.spikyFaceting &&
         Count(a.totalNum) == Count(b.totalNum) && Count(a.numChirals) == Count(b.numChirals) &&
         Count(a.numCompounds) == Count(b.numCompounds) && a.time == b.time;
}

// Draws a finished facet through the given corner points.
void DrawFacet(Poly& poly, const std::vector<const double*>& points) {
  corvia::DrawnPolygon* polygon = poly.mCurrentDrawnPolygon;
  for (const double* p : points) corvia::NewPolygonVertex(0.0, 0.0, nullptr, p, polygon->ring);
  polygon->Triangulate();
  poly.mCurrentDrawnPolygon = new corvia::DrawnPolygon(poly.mDrawnPolygons, poly.mLastDrawnPolygon);
}

std::vector<double> FacetPoints(const corvia::DrawnPolygon* polygon) {
  std::vector<double> points;
  const corvia::PolygonVertex* v = polygon->ring;
  do {
    points.insert(points.end(), v->point, v->point + 3);
    v = v->next;
  } while (v != polygon->ring);
  return points;
}

// What a failed open must leave: the current model as it was.
struct Snapshot {
  int vertices = 0;
  int faces = 0;
  std::string name;
  double first[3] = {0, 0, 0};
  explicit Snapshot(const Poly& poly)
      : vertices(poly.mVertices.mCount), faces(poly.mFaces.mCount), name(Text(poly.mName)) {
    if (poly.mVertices.mHead) std::memcpy(first, poly.mVertices.mHead->mDualVert, sizeof first);
  }
  bool Same(const Poly& poly) const {
    Snapshot now(poly);
    return now.vertices == vertices && now.faces == faces && now.name == name &&
           std::memcmp(now.first, first, sizeof first) == 0;
  }
};

// The renderer's NewFaceImage as the file meets it: it records the files asked for and
// cannot load a file whose name says "missing".
struct Maker {
  static FaceImage* Make(const char* file, int projection, uint32_t boundary, PolyElement* owner, void*, const float*) {
    calls.push_back(file);
    if (std::strstr(file, "missing")) return nullptr;
    auto* image = new FaceImage(nullptr, projection, boundary);
    image->mOwner = owner;
    made.push_back(image);
    return image;
  }
  static inline std::vector<std::string> calls;
  static inline std::vector<FaceImage*> made;
};

}  // namespace test_ModelFileFeatures

using namespace test_ModelFileFeatures;

TEST(ModelFileTest, ImagesOpacitiesLabelsDrawnFacetsAndFacetingComeBack) {
  FacetingDefaults defaults;
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  Poly& poly = cube.poly;
  std::vector<PolyElement*> faces = Elements(poly.mFaces);
  std::vector<PolyElement*> verts = Elements(poly.mVertices);
  FaceImage* planar = MakeImage("pictures/brick wall.png", corvia::kImageProjectPlanar, 1.5);
  AttachToFace(planar, faces[0], true);
  AttachToFace(planar, faces[1], false);
  FaceImage* spherical = MakeImage("/abs/globe \"map\".jpg", corvia::kImageProjectSpherical, -4.25);
  AttachToFace(spherical, verts[2], true);
  faces[3]->SetOpacity(0.25f);
  verts[5]->SetOpacity(0.8f);
  verts[1]->SetLabel("corner \"one\"");
  faces[4]->SetLabel("a face\nwith two lines");
  poly.GetEdge(3)->SetLabel("edge");
  const float red[3] = {1.0f, 0.0f, 0.0f};
  poly.GetEdge(5)->SetColour(red);
  poly.GetEdge(6)->mEdgeFlags |= 0x8;
  DrawFacet(poly, {verts[0]->mDualVert, verts[1]->mDualVert, verts[2]->mDualVert});
  DrawFacet(poly, {verts[4]->mDualVert, verts[5]->mDualVert, verts[6]->mDualVert, verts[7]->mDualVert});
  corvia::GetUnitSettings().mMaxFacesPerNet = 33;
  // The faceting settings, and the counts of an enumeration of the shown faceting.
  corvia::SetFacetingCriteria(corvia::kFacetingCoplanarVerts);
  corvia::SetMinFacetTypes(2);
  corvia::SetMaxFacetTypes(7);
  corvia::SetFacetingOptions(corvia::kFacetingAcceptPartial | corvia::kFacetingOnlySpiky, true);
  corvia::Faceting* faceting = ShownFaceting(poly);
  ASSERT_NE(faceting, nullptr);
  faceting->mNumFound.Parse("123456789012345678901234567890");
  faceting->mNumChirals = 17u;
  faceting->mNumCompounds = 5u;
  faceting->mElapsed = corvia::TimeSpan(2, 3456789);
  const FacetingCriteria saved = corvia::GetFacetingCriteria(faceting);

  for (int form : kForms) {
    const std::string path = Path("features", "cube-" + FormName(form) + ".corv");
    ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, poly));
    corvia::GetUnitSettings().mMaxFacesPerNet = 1000000;
    ResetFacetingSettings();
    Messages().Clear();
    TestDocument document;
    ASSERT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain)) << FormName(form);
    EXPECT_TRUE(Messages().Boxes().empty());
    Poly& back = document.mPoly;
    ExpectSameModel(poly, back, FormName(form));
    std::vector<PolyElement*> backFaces = Elements(back.mFaces);
    std::vector<PolyElement*> backVerts = Elements(back.mVertices);
    // One image each, shared as before, with every field; the owners come along.
    EXPECT_TRUE(SameImage(planar, backFaces[0]->GetImage())) << FormName(form);
    EXPECT_EQ(backFaces[0]->GetImage(), backFaces[1]->GetImage());
    EXPECT_EQ(backFaces[0]->GetImage()->GetOwnerFace(), backFaces[0]);
    EXPECT_EQ(backFaces[0]->GetImage()->GetUseCount(), 2);
    EXPECT_TRUE(SameImage(spherical, backVerts[2]->GetImage())) << FormName(form);
    EXPECT_EQ(backVerts[2]->GetImage()->GetOwnerFace(), backVerts[2]);
    EXPECT_EQ(backFaces[2]->GetImage(), nullptr);
    // The drawn facets, corner by corner, and a fresh open one to draw into.
    ASSERT_EQ(corvia::DrawnPolygon::CountChain(back.mDrawnPolygons), 3);
    EXPECT_EQ(FacetPoints(back.mDrawnPolygons), FacetPoints(poly.mDrawnPolygons));
    EXPECT_EQ(FacetPoints(back.mDrawnPolygons->next), FacetPoints(poly.mDrawnPolygons->next));
    EXPECT_GT(back.mDrawnPolygons->indexCount, 0);
    EXPECT_EQ(back.mCurrentDrawnPolygon, back.mLastDrawnPolygon);
    EXPECT_EQ(back.mCurrentDrawnPolygon->ring, nullptr);
    // The faceting settings come back, and the counts with the faceting of the new model.
    EXPECT_TRUE(SameFaceting(corvia::GetFacetingCriteria(ShownFaceting(back)), saved)) << FormName(form);
    EXPECT_EQ(corvia::GetUnitSettings().mMaxFacesPerNet, 33);
  }
}

// Faceting settings read from a file start no search, whatever they ask for (here a
// hundred thousand facet types, which no faceting has): the file restores the values
// and the drawn facet, and the search from the drawn facet is the user's next browse
// step.
TEST(ModelFileTest, FacetingSettingsOpenWithoutASearch) {
  FacetingDefaults defaults;
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  const PolyElement* face = cube.poly.GetFace(0);
  std::vector<const double*> corners;
  for (int k = 0; k < 4; ++k) corners.push_back(face->GetCorner(k)->mDualVert);
  DrawFacet(cube.poly, corners);
  corvia::SetFacetingCriteria(corvia::kFacetingIsohedral);
  corvia::SetMinFacetTypes(100000);
  const std::string path = Path("faceting", "cube.corv");
  ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileBinary, cube.poly));
  ResetFacetingSettings();
  TestDocument document;
  ASSERT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain));
  EXPECT_EQ(corvia::GetFacetingSettings().minFacetTypes, 100000);
  EXPECT_EQ(corvia::GetFacetingSettings().criteria, corvia::kFacetingIsohedral);
  corvia::Faceting* faceting = ShownFaceting(document.mPoly);
  ASSERT_NE(faceting, nullptr);
  EXPECT_EQ(faceting->mFacetsInFaceting, 0);
  faceting->StepForward();
  EXPECT_EQ(faceting->mFacetsInFaceting, 1);
}

// Texts of another encoding, damaged ones and control characters open with a warning
// that names the first and says what was replaced; saved, they open without a word.
TEST(ModelFileTest, TextsThatAreNoUtf8TextOpenWithTheirBytesReplaced) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  Elements(cube.poly.mFaces)[1]->SetLabel("Te\x03rahedron");
  cube.poly.SetDualName("\xD0");
  const std::string path = Path("encoding", "cube.corv");
  for (int form : kForms) {
    ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, cube.poly));
    std::string bytes = ReadBytes(path);
    if (form == corvia::kModelFileAscii) {
      bytes.replace(bytes.find("\"Cube\""), 6, "\"Oct\x97hedron\"");
      WriteBytes(path, bytes);
    }
    TestDocument document;
    Messages().Clear();
    const corvia::Outcome opened = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
    ASSERT_TRUE(opened) << opened.text();
    ASSERT_EQ(opened.warnings().size(), 1u) << FormName(form);
    const std::string& warning = opened.warnings()[0];
    if (form == corvia::kModelFileAscii) {
      EXPECT_NE(warning.find("The model's name (line 5) held bytes that are no UTF-8 text"), std::string::npos)
          << warning;
      EXPECT_NE(warning.find("So were those of 2 more texts."), std::string::npos) << warning;
      EXPECT_STREQ(document.mPoly.mName, "Oct?hedron");
    } else {
      EXPECT_NE(warning.find("The dual's name held bytes"), std::string::npos) << warning;
    }
    EXPECT_NE(warning.find("replaced by \"?\""), std::string::npos) << warning;
    EXPECT_STREQ(document.mPoly.mDualName, "?");
    EXPECT_EQ(Text(Elements(document.mPoly.mFaces)[1]->GetLabel()), "Te?rahedron");
    ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, document.mPoly));
    EXPECT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain).warnings().empty());
  }
}

// Each fault of a text costs only that text: a quote left open, another encoding in
// the vertex configuration or the library entry's name, a library entry the library
// does not hold, a quote left open in a scene section. The file opens with one warning
// that names the text and its line ("@"); the rest of the model and the scene come
// back, and the next save opens without a word to what was read.
TEST(ModelFileTest, AFaultyTextIsToldAndTheRestOfTheFileKept) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  TestSection section;
  Installed installed(&section);
  const std::string path = Path("text-faults", "cube.corv");
  ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileAscii, cube.poly));
  const std::string text = ReadBytes(path);
  const struct {
    const char *from, *to, *says, *name;
    bool entry;  // the model keeps its library entry
  } cases[] = {
      {"Name \"Cube\"", "Name \"Icosahedron`", "The model's name (line @) has no closing quote: it was read to the end",
       "Icosahedron`", true},
      {"\"4.4.4\"", "\"4.\xB4.4\"", "The vertex configuration (line @) held bytes that are no UTF-8 text", "Cube",
       true},
      {"1 \"Cube\"", "1 \"Cubus\"", "no model named \"Cubus\" (line @): the model is taken without its library entry",
       "Cube", false},
      {"1 \"Cube\"", "1 \"Cu\xE9\x65\"", "The library entry's name (line @) held bytes that are no UTF-8", "Cube",
       false},
      {"caption\"\n", "caption\n", "The scene section 'TestScene' (line @): A quoted text has no closing quote", "Cube",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.to);
    std::string changed = text;
    const size_t at = changed.find(c.from);
    WriteBytes(path, changed.replace(at, std::strlen(c.from), c.to));
    std::string says = c.says;
    says.replace(says.find('@'), 1, std::to_string(std::count(text.begin(), text.begin() + long(at), '\n') + 1));
    section.mReadNumber = 0;
    TestDocument document;
    const corvia::Outcome opened = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
    ASSERT_TRUE(opened) << opened.text();
    EXPECT_EQ(opened.warnings().size(), 1u);
    EXPECT_NE((opened.warnings().empty() ? "" : opened.warnings()[0]).find(says), std::string::npos) << says;
    EXPECT_EQ(document.mPoly.mVertices.mCount, 8);
    EXPECT_EQ(section.mReadNumber, -42);
    EXPECT_EQ(Text(document.mPoly.mName), c.name);
    EXPECT_EQ(document.mPoly.mLibraryEntry != nullptr, c.entry);
    const std::string again = Path("text-faults", "again.corv");
    ASSERT_TRUE(corvia::WriteModelFile(again.c_str(), corvia::kModelFileAscii, document.mPoly));
    TestDocument reopened;
    EXPECT_TRUE(corvia::OpenModelFile(again.c_str(), corvia::kOpenModelFilePlain).warnings().empty());
    ExpectSameModel(document.mPoly, reopened.mPoly, c.to);
  }
}

TEST(ModelFileTest, PicturesComeFromTheRenderersMakerAndAMissingOneIsReported) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  std::vector<PolyElement*> faces = Elements(cube.poly.mFaces);
  FaceImage* found = MakeImage("found.png", corvia::kImageProjectCylindrical, 2.0);
  AttachToFace(found, faces[0], true);
  AttachToFace(found, faces[5], false);
  AttachToFace(MakeImage("missing.png", corvia::kImageProjectPerFace, 3.0), faces[2], true);
  const std::string path = Path("pictures", "cube.corv");
  ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileBinary, cube.poly));

  corvia::SetModelFileImageMaker(Maker::Make);
  Messages().Clear();
  TestDocument document;
  const corvia::Outcome opened = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
  corvia::SetModelFileImageMaker(nullptr);
  ASSERT_TRUE(opened);
  EXPECT_EQ(Maker::calls.size(), 2u);
  ASSERT_EQ(Maker::made.size(), 1u);
  std::vector<PolyElement*> back = Elements(document.mPoly.mFaces);
  // The renderer's image carries the file's fields and serves both faces.
  EXPECT_EQ(back[0]->GetImage(), Maker::made[0]);
  EXPECT_EQ(back[5]->GetImage(), Maker::made[0]);
  EXPECT_EQ(Maker::made[0]->GetUseCount(), 2);
  EXPECT_TRUE(SameImage(found, Maker::made[0]));
  // The missing picture: one warning, returned for the caller to tell, and the image
  // stays with its file name.
  EXPECT_TRUE(Messages().Boxes().empty());
  ASSERT_EQ(opened.warnings().size(), 1u);
  EXPECT_NE(opened.warnings()[0].find("missing.png"), std::string::npos);
  ASSERT_NE(back[2]->GetImage(), nullptr);
  EXPECT_EQ(back[2]->GetImage()->mFileName, "missing.png");
}

TEST(ModelFileTest, FacetingKeysAreTheFacetingEnginesNames) {
  using namespace corvia::modelfile;
  EXPECT_STREQ(TokenName(kTokFacetingCriteria), corvia::kFacetingKeyCriteria);
  EXPECT_STREQ(TokenName(kTokMinFacets), corvia::kFacetingKeyMinFacets);
  EXPECT_STREQ(TokenName(kTokMaxFacets), corvia::kFacetingKeyMaxFacets);
  EXPECT_STREQ(TokenName(kTokPartialFacetingOK), corvia::kFacetingKeyPartialOK);
  EXPECT_STREQ(TokenName(kTokSpikyFaceting), corvia::kFacetingKeySpiky);
  EXPECT_STREQ(TokenName(kTokFacetingTotalNum), corvia::kFacetingKeyTotalNum);
  EXPECT_STREQ(TokenName(kTokFacetingNumChirals), corvia::kFacetingKeyNumChirals);
  EXPECT_STREQ(TokenName(kTokFacetingNumCompounds), corvia::kFacetingKeyNumCompounds);
  EXPECT_STREQ(TokenName(kTokFacetingTime), corvia::kFacetingKeyTime);
  for (int i = 0; i < corvia::kNumFacetingCriteria; ++i) {
    EXPECT_EQ(kCriteriaNames[i].value, i);
    EXPECT_STREQ(kCriteriaNames[i].name, corvia::kFacetingCriteriaNames[i]);
  }
  EXPECT_EQ(kCriteriaNames[corvia::kNumFacetingCriteria].name, nullptr);
  // The table ends where the tokens do.
  EXPECT_STREQ(TokenName(kTokVertexRings), "VertexRings");
  EXPECT_EQ(TokenName(kNumTokens), nullptr);
}

TEST(ModelFileTest, SceneSectionsGoThroughTheirReadersAndAreKeptWithoutOne) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  for (int form : kForms) {
    const std::string path = Path("scene", "with-scene-" + FormName(form) + ".corv");
    TestSection section;
    TestSection other("OtherScene");
    other.mNumber = 7;
    TestSection empty("EmptyScene");
    empty.mHasData = false;
    {
      Installed one(&section);
      Installed two(&other);
      Installed three(&empty);
      ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, cube.poly));
      // A section with nothing to save is left out.
      EXPECT_EQ(ReadBytes(path).find("EmptyScene"), std::string::npos);
      TestDocument document;
      Messages().Clear();
      ASSERT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain)) << FormName(form);
      EXPECT_TRUE(Messages().Boxes().empty());
      // Checked before the model changed, then applied.
      EXPECT_EQ(section.mChecked, 1);
      EXPECT_EQ(section.mApplied, 1);
      EXPECT_EQ(section.mReadNumber, -42);
      EXPECT_EQ(section.mReadReal, 1.0 / 3.0);
      EXPECT_EQ(section.mReadSingle, 0.1f);
      EXPECT_EQ(section.mReadText, section.mText);
      EXPECT_EQ(other.mReadNumber, 7);
      // The model remembers only its file's form: a plain Save writes that form again.
      ASSERT_TRUE(document.mPoly.mFileKeep);
      EXPECT_TRUE(document.mPoly.mFileKeep->scene.empty());
      EXPECT_EQ(corvia::GetModelFileForm(document.mPoly), form);
    }
    // Without a reader the file opens all the same; the sections stay with the model and
    // are written back in a file of the same form.
    const std::string again = Path("scene", "again-" + FormName(form) + ".corv");
    const std::string otherForm = Path("scene", "other-form-" + FormName(form) + ".corv");
    {
      TestDocument document;
      Messages().Clear();
      ASSERT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain))
          << (Messages().Boxes().empty() ? "" : Messages().Boxes()[0].text);
      EXPECT_TRUE(Messages().Boxes().empty());
      ASSERT_TRUE(document.mPoly.mFileKeep);
      ASSERT_EQ(document.mPoly.mFileKeep->scene.size(), 2u);
      ASSERT_TRUE(corvia::WriteModelFile(again.c_str(), form, document.mPoly));
      const int otherFormId = form == corvia::kModelFileAscii ? corvia::kModelFileBinary : corvia::kModelFileAscii;
      ASSERT_TRUE(corvia::WriteModelFile(otherForm.c_str(), otherFormId, document.mPoly));
    }
    TestSection reread;
    Installed installed(&reread);
    TestDocument document;
    ASSERT_TRUE(corvia::OpenModelFile(again.c_str(), corvia::kOpenModelFilePlain));
    EXPECT_EQ(reread.mReadNumber, -42);
    EXPECT_EQ(reread.mReadText, section.mText);
    // The other section, with no reader now either, is kept again.
    ASSERT_TRUE(document.mPoly.mFileKeep);
    EXPECT_EQ(document.mPoly.mFileKeep->scene.size(), 1u);
    // A kept section cannot change its form: a file of the other form goes without it.
    corvia::ModelFileContents contents;
    std::string error;
    ASSERT_TRUE(corvia::ReadModelFile(otherForm.c_str(), contents, &error)) << error;
    EXPECT_TRUE(contents.scene.empty());
  }
}

// A damaged scene costs only itself: the model opens, the section is left out with one
// warning naming the file, the section and why, and the sections after it still come
// back.
TEST(ModelFileTest, ASectionReadShortIsSkippedAndOneThatFailsIsLeftOut) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  for (int form : kForms) {
    const std::string path = Path("scene-bad", "cube-" + FormName(form) + ".corv");
    TestSection section;
    section.mExtra = true;
    TestSection after("After");
    after.mNumber = 5;
    Installed one(&section);
    Installed two(&after);
    ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, cube.poly));
    {
      // The section's reader leaves a number unread: it is skipped.
      TestDocument document;
      Messages().Clear();
      ASSERT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain));
      EXPECT_TRUE(Messages().Boxes().empty());
      EXPECT_EQ(after.mReadNumber, 5);
    }
    TestDocument document;
    LibraryModel tetra;
    ASSERT_TRUE(CreateFromLibraryEntry(&document.mPoly, &tetra.polyTemplate, corvia::GetLibraryEntry(0), false));
    section.mFailRead = true;
    section.mApplied = 0;
    after.mReadNumber = 0;
    Messages().Clear();
    const corvia::Outcome opened = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(Messages().Boxes().empty());
    ASSERT_EQ(opened.warnings().size(), 1u);
    const std::string& text = opened.warnings()[0];
    EXPECT_NE(text.find(path), std::string::npos);
    EXPECT_NE(text.find("'TestScene' was left out"), std::string::npos) << text;
    EXPECT_NE(text.find("The test scene cannot be read"), std::string::npos) << text;
    EXPECT_EQ(section.mApplied, 0);
    EXPECT_EQ(after.mReadNumber, 5);
    EXPECT_EQ(document.mPoly.mVertices.mCount, 8);
    // The section left out is not kept with the model either: the next save writes
    // what its reader has now.
    ASSERT_TRUE(document.mPoly.mFileKeep);
    EXPECT_TRUE(document.mPoly.mFileKeep->scene.empty());
    // A model taken from the file for augmentation needs no scene.
    Messages().Clear();
    EXPECT_TRUE(corvia::ReadModelFileAsSimplePoly(path.c_str(), false));
    EXPECT_TRUE(Messages().Boxes().empty());
  }
}

TEST(ModelFileTest, AFailedSaveKeepsTheOldFile) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  const std::filesystem::path folder = corvia::testing::ScratchDir("failed-save");
  const std::string path = (folder / "cube.corv").string();
  ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileBinary, cube.poly));
  const std::string before = ReadBytes(path);
  TestSection failing;
  failing.mFailWrite = true;
  Installed installed(&failing);
  for (int form : kForms) {
    Messages().Clear();
    const corvia::Outcome failed = corvia::WriteModelFile(path.c_str(), form, cube.poly);
    EXPECT_EQ(failed.kind(), corvia::Outcome::Kind::kFailed);
    EXPECT_EQ(failed.text().rfind("Couldn't save the model file\n'" + path + "':\n", 0), 0u) << failed.text();
    EXPECT_TRUE(Messages().Boxes().empty());
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
  }
  failing.mFailWrite = false;
  Messages().Clear();
  EXPECT_EQ(corvia::WriteModelFile((folder / "no folder" / "x.corv").c_str(), corvia::kModelFileAscii, cube.poly).kind(),
            corvia::Outcome::Kind::kFailed);
}

TEST(ModelFileTest, TheModelOfAFileForAugmentationAndUserRecords) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  const std::string path = Path("augment", "cube.corv");
  ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileAscii, cube.poly));
  corvia::UnitSettings& units = corvia::GetUnitSettings();
  units.mLengthScale = 5.5;
  std::unique_ptr<corvia::SimplePoly> base = corvia::ReadModelFileAsSimplePoly(path.c_str(), false);
  ASSERT_TRUE(base);
  EXPECT_EQ(base->NumVerts(), 8);
  EXPECT_EQ(base->NumFaces(), 6);
  EXPECT_EQ(base->name, "Cube");
  std::unique_ptr<corvia::SimplePoly> dual = corvia::ReadModelFileAsSimplePoly(path.c_str(), true);
  ASSERT_TRUE(dual);
  EXPECT_EQ(dual->NumVerts(), 6);
  EXPECT_EQ(dual->NumFaces(), 8);
  EXPECT_EQ(dual->name, "Octahedron");
  // Reading a model for augmentation leaves the program's length scale alone.
  EXPECT_EQ(units.mLengthScale, 5.5);

  // Any length scale a file is written with reads back, also one far beyond the range
  // of coordinates (models derived from models far out of scale reach such scales).
  for (double scale : {1e-200, 1.351086824336007e+299}) {
    SCOPED_TRACE(scale);
    units.mLengthScale = scale;
    ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileAscii, cube.poly));
    units.mLengthScale = 1.0;
    TestDocument document;
    ASSERT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain));
    EXPECT_EQ(units.mLengthScale, scale);
  }
  units.mLengthScale = 5.5;
  ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileAscii, cube.poly));

  // Augmentation with the model of the file: a cube on a face of a cube.
  LibraryModel target;
  ASSERT_TRUE(target.Build(kCube));
  target.poly.GetShownBlock()->SetCurrentFace(target.poly.GetFace(0));
  corvia::Augmentation* augmentation = GetAugmentation(&target.poly);
  augmentation->mFilePath = path;
  // Written by a newer version: the file's warning comes with the added model, to be
  // told by the caller.
  std::string newer = ReadBytes(path);
  newer.replace(newer.find("8.10"), 4, "8.99");
  WriteBytes(path, newer);
  Messages().Clear();
  const corvia::Outcome prepared = PrepareAugmentation(&target.poly, corvia::kAugmentFile, augmentation);
  ASSERT_TRUE(prepared);
  ASSERT_EQ(prepared.warnings().size(), 1u);
  corvia::Outcome outcome;
  std::unique_ptr<corvia::SimplePoly> augmented = corvia::CreateAugmentedPoly(corvia::kAugmentFile, *augmentation, outcome);
  augmentation->Reset();
  ASSERT_TRUE(augmented);
  EXPECT_EQ(augmented->NumVerts(), 12);
  // Made without preparing first, the model carries the warning of its preparation.
  augmentation->mFilePath = path;
  augmented = corvia::CreateAugmentedPoly(corvia::kAugmentFile, *augmentation, outcome);
  augmentation->Reset();
  ASSERT_TRUE(augmented);
  EXPECT_EQ(outcome.warnings(), prepared.warnings());

  // A user record of the library is its model file.
  std::unique_ptr<corvia::LibraryEntry> user = corvia::NewUserLibraryEntry(path.c_str());
  corvia::Outcome read;
  std::unique_ptr<corvia::SimplePoly> fromRecord = user->CreatePoly(true, &read);
  ASSERT_TRUE(fromRecord);
  EXPECT_EQ(fromRecord->NumFaces(), 8);
  EXPECT_EQ(read.warnings(), prepared.warnings());
  EXPECT_EQ(Messages().CountTitled("Warning"), 0);

  // A model whose dual has vertices at infinity has no dual to add.
  LibraryModel hemi;
  ASSERT_TRUE(hemi.Build(kTetrahemihexahedron));
  const std::string hemiPath = Path("augment", "hemi.corv");
  ASSERT_TRUE(corvia::WriteModelFile(hemiPath.c_str(), corvia::kModelFileBinary, hemi.poly));
  Messages().Clear();
  corvia::Outcome why;
  EXPECT_FALSE(corvia::ReadModelFileAsSimplePoly(hemiPath.c_str(), true, &why));
  EXPECT_EQ(why.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(why.text(), "This operation may not be performed on a model with infinite vertices");
  // An unreadable file: its reason names it; the user record gives the same reason.
  EXPECT_FALSE(corvia::ReadModelFileAsSimplePoly((hemiPath + ".none").c_str(), false, &why));
  EXPECT_EQ(why.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(why.text().rfind("Couldn't open the model file\n", 0), 0u) << why.text();
  EXPECT_NE(why.text().find(hemiPath + ".none"), std::string::npos);
  corvia::Outcome fromUser;
  EXPECT_FALSE(corvia::NewUserLibraryEntry((hemiPath + ".none").c_str())->CreatePoly(false, &fromUser));
  EXPECT_EQ(fromUser.text(), why.text());
  EXPECT_TRUE(Messages().Boxes().empty());
}

TEST(ModelFileTest, EdgeReferencesNameEdgeletsByTheirRunningIndex) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  corvia::Model3D model(&cube.poly, false);
  // Four edgelets round each of the six faces.
  ASSERT_NE(model.GetEdge(23), nullptr);
  ASSERT_EQ(model.GetEdge(24), nullptr);
  corvia::ioBuffer buffer;
  corvia::ioStream* w = corvia::ioOpenWrite(nullptr, nullptr, 8, 10, corvia::kIoModeMemory, nullptr, nullptr, &buffer).release();
  for (int i : {0, 5, 23}) EXPECT_TRUE(corvia::WriteEdgeReference(w, model.GetEdge(i)));
  EXPECT_TRUE(corvia::WriteEdgeReference(w, nullptr));
  corvia::ioPrintf(w, "%d%d", 24, 1 << 30);
  corvia::ioClose(w);
  corvia::ioStream* r = corvia::ioOpenRead(nullptr, nullptr, 8, 10, nullptr, nullptr, buffer.data, buffer.length).release();
  for (int i : {0, 5, 23}) EXPECT_EQ(corvia::ReadEdgeReference(r, &model), model.GetEdge(i));
  // None, and indices past the last edgelet, name no edgelet.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(corvia::ReadEdgeReference(r, &model), nullptr);
  corvia::ioClose(r);
}

// A square seen from both sides: it reads, but is no polyhedron.
constexpr const char* kFlatSquare =
    "Corvia ASCII 8.10\n"
    "Model\n"
    "  Vertices 4\n"
    "    0 0 0 0 0 0\n    1 0 0 0 0 0\n    1 1 0 0 0 0\n    0 1 0 0 0 0\n"
    "  Faces 2\n"
    "    4 0 1 2 3 0 0 0\n    4 0 3 2 1 0 0 0\n"
    "EndModel\n";

TEST(ModelFileTest, BadFilesGiveOneMessageNamingTheFileAndChangeNothing) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  const std::string good = Path("bad", "good.corv");
  ASSERT_TRUE(corvia::WriteModelFile(good.c_str(), corvia::kModelFileAscii, cube.poly));
  const std::string text = ReadBytes(good);
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string changed = text;
    const size_t at = changed.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? changed : changed.replace(at, from.size(), to);
  };
  const std::string binary = Path("bad", "good-binary.corv");
  ASSERT_TRUE(corvia::WriteModelFile(binary.c_str(), corvia::kModelFileBinary, cube.poly));
  const std::string bytes = ReadBytes(binary);
  std::string damaged = bytes;
  damaged[damaged.size() / 2] ^= 0x5A;
  damaged[damaged.size() / 2 + 1] ^= 0x3C;

  // Library models whose corners were moved together after they were built, saved
  // with the faces round each vertex in order: the prism's lower corners to one
  // point, two corners of the tetrahemihexahedron to the centre.
  auto collapsed = [](int record, int form, auto move) {
    LibraryModel model;
    EXPECT_TRUE(model.Build(record));
    for (corvia::PolyElement* v : Elements(model.poly.mVertices)) move(v->GetIndex(), v->mDualVert);
    const std::string path = Path("bad", "collapsed.corv");
    EXPECT_TRUE(corvia::WriteModelFile(path.c_str(), form, model.poly));
    return ReadBytes(path);
  };
  double lowest[3] = {0, 0, 0};
  const std::string prism = collapsed(kPentagonalPrism, corvia::kModelFileAscii, [&](int, double* p) {
    if (p[1] >= 0) return;
    if (lowest[1] == 0) std::copy(p, p + 3, lowest);
    std::copy(lowest, lowest + 3, p);
  });
  const std::string hemi = collapsed(kTetrahemihexahedron, corvia::kModelFileBinary, [](int i, double* p) {
    if (i < 2) std::fill(p, p + 3, 0.0);
  });

  struct Case {
    std::string name;
    std::string contents;
    std::string says;
  };
  const std::vector<Case> cases = {
      {"empty", "", "not the right kind of file"},
      {"other kind", "Other ASCII 8.10\n", "not the right kind of file"},
      {"newer", replaced("8.10", "9.00"), "newer version"},
      {"cut text", text.substr(0, text.size() / 2), "end of data"},
      {"cut binary", bytes.substr(0, bytes.size() - 40), "larger than what is left"},
      {"damaged binary", damaged, "'"},
      {"corner", replaced("4 0 1 2 3", "4 0 1 2 8"), "Face corner: index 8 is out of range"},
      {"count", replaced("Vertices 8", "Vertices 2000000"), "do not fit"},
      {"not a number", replaced("Faces 6", "Faces six"), "Expected a number, found 'six'"},
      {"infinite", replaced("0.5773502691896254 ", "inf "), "out of range"},
      {"huge", replaced("0.5773502691896254 ", "1e200 "), "out of range"},
      {"bent", replaced("0.5773502691896254 ", "0.5774 "), "Face 1 is not flat"},
      {"unknown", replaced("  CurrentFace", "  Colour 1\n  CurrentFace"), "Unknown token 'Colour'"},
      {"ring", replaced("3 0 1 2\n", "3 0 1 1\n"), "not the faces at it in order"},
      {"no model", "Corvia ASCII 8.10\n", "holds no model"},
      {"octal", replaced("Vertices 8", "Vertices 010"), "A number with a leading zero: '010'"},
      {"zero in a name", replaced("Name \"", std::string("Name \"\0", 7)), "zero byte"},
      {"zero in a kept section", replaced("EndFile\n", std::string("Scene \"Kept\"\n  a\0b\nEndScene\nEndFile\n", 36)),
       "zero byte"},
      {"flat", kFlatSquare, "does not appear to be valid"},
      {"collapsed prism", prism, "Face 1 passes twice through the point of vertex 5."},
      {"collapsed hemi", hemi, "Face 3 passes twice through the point of vertex 0."},
  };
  TestDocument document;
  LibraryModel tetra;
  ASSERT_TRUE(CreateFromLibraryEntry(&document.mPoly, &tetra.polyTemplate, corvia::GetLibraryEntry(0), false));
  const Snapshot before(document.mPoly);
  for (const Case& c : cases) {
    const std::string path = Path("bad", c.name + ".corv");
    WriteBytes(path, c.contents);
    Messages().Clear();
    const corvia::Outcome outcome = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
    EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused) << c.name;
    EXPECT_TRUE(Messages().Boxes().empty()) << c.name;
    EXPECT_EQ(outcome.text().rfind("Couldn't open the model file\n", 0), 0u) << c.name << ": " << outcome.text();
    EXPECT_NE(outcome.text().find(path), std::string::npos) << c.name << ": " << outcome.text();
    EXPECT_NE(outcome.text().find(c.says), std::string::npos) << c.name << ": " << outcome.text();
    EXPECT_TRUE(before.Same(document.mPoly)) << c.name;
  }
  // A missing file, a folder, a pipe and a device: refused without being read.
  const std::string pipe = Path("bad", "pipe.corv");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {Path("bad", "none.corv"), Path("bad", ""), pipe, std::string("/dev/zero")}) {
    Messages().Clear();
    const corvia::Outcome outcome = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
    EXPECT_FALSE(outcome);
    EXPECT_NE(outcome.text().find(path), std::string::npos) << outcome.text();
  }
  // Stepping through files the reader says no more: the program tells the pane.
  Messages().Clear();
  const corvia::Outcome stepped =
      corvia::OpenModelFile(Path("bad", "corner.corv").c_str(), corvia::kOpenModelFileStepping);
  EXPECT_NE(stepped.text().find("corner.corv"), std::string::npos);
  EXPECT_TRUE(Messages().Boxes().empty());
  EXPECT_TRUE(before.Same(document.mPoly));
}

TEST(ModelFileTest, AKeptSectionIsWrittenBackAsItWasRead) {
  // A section no reader claims, with indentation, tabs, blank and comment lines,
  // quotes and a word "EndScene" inside a quoted text: saved and opened again, it is
  // the same to the byte, first line included.
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  const std::string path = Path("kept", "cube.corv");
  ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileAscii, cube.poly));
  const std::string section =
      "    First\t1 2 3\n"
      "\n"
      "\tSecond \"a # b\" \"EndScene\"\n"
      "  Third 0x10 -1\n";
  std::string text = ReadBytes(path);
  text.insert(text.rfind("EndFile"), "Scene \"Unclaimed\"\n" + section + "  # a comment\nEndScene\n");
  WriteBytes(path, text);
  std::string kept;
  for (int round = 0; round < 2; ++round) {
    TestDocument document;
    Messages().Clear();
    ASSERT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain)) << round;
    EXPECT_TRUE(Messages().Boxes().empty());
    ASSERT_TRUE(document.mPoly.mFileKeep);
    ASSERT_EQ(document.mPoly.mFileKeep->scene.size(), 1u);
    const std::string& data = document.mPoly.mFileKeep->scene[0].data;
    EXPECT_EQ(data.compare(0, section.size(), section), 0) << round << ": " << data;
    if (round == 1) {
      EXPECT_EQ(data, kept);
    }
    kept = data;
    ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileAscii, document.mPoly));
  }
}

TEST(ModelFileTest, LongTextsAreCutShortAndLongReadsCanBeCancelled) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  const std::string path = Path("long", "cube.corv");
  ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileAscii, cube.poly));
  const std::string text = ReadBytes(path);
  // A name continued over 2 MB of lines is refused once it passes 1 MiB: on the line
  // that passes it (the 11,398th of 92 bytes, after the file's first 12 lines), the
  // lines after it left unread.
  std::string continued = "  Name \"start\"\n";
  for (int i = 0; i < 20000; ++i) continued += "    Continue \"" + std::string(92, 'x') + "\"\n";
  const std::string named = Path("long", "named.corv");
  WriteBytes(named, std::string(text).insert(text.find("  Vertices"), continued));
  corvia::ModelFileContents contents;
  std::string error;
  EXPECT_FALSE(corvia::ReadModelFile(named.c_str(), contents, &error));
  EXPECT_NE(error.find("String longer than 1048576 bytes"), std::string::npos) << error;
  EXPECT_NE(error.find("line 11410:"), std::string::npos) << error;

  // 8 MB of blank lines report progress as they are read: a cancel stops the reading,
  // with no message.
  const std::string blank = Path("long", "blank.corv");
  WriteBytes(blank, std::string(text).insert(text.find("Model"), std::string(8 << 20, '\n')));
  auto& progress = corvia::testing::Platform().progress;
  corvia::ProgressScope outer;
  corvia::testing::Platform().clock.Advance(2.0);
  int pumps = 0;
  progress.Current()->onPump = [&pumps](corvia::platform::HeadlessProgressWindow::State& state) {
    state.cancel = ++pumps == 2;
  };
  bool cancelled = false;
  EXPECT_FALSE(corvia::ReadModelFile(blank.c_str(), contents, &error, &cancelled));
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(error.empty()) << error;
  EXPECT_EQ(pumps, 2);
  progress.Current()->onPump = nullptr;
  progress.Current()->cancel = false;
  // Not cancelled, it reads.
  EXPECT_TRUE(corvia::ReadModelFile(blank.c_str(), contents, &error, &cancelled)) << error;
}

TEST(ModelFileTest, FilesWrittenElsewhereOpen) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  const std::string path = Path("elsewhere", "cube.corv");
  ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileAscii, cube.poly));
  const std::string text = ReadBytes(path);
  // Line ends of another system.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  // An image named with backslashes.
  crlf.replace(crlf.find("EndModel"), 0,
               "FaceImage\r\n  File \"pictures\\\\brick.png\"\r\n  UsedBy 1 1 2\r\nEndFaceImage\r\n");
  WriteBytes(path, crlf);
  TestDocument document;
  Messages().Clear();
  ASSERT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain).warnings().empty());
  ExpectSameModel(cube.poly, document.mPoly, "CR LF");
  ASSERT_NE(Elements(document.mPoly.mFaces)[2]->GetImage(), nullptr);
  EXPECT_EQ(Elements(document.mPoly.mFaces)[2]->GetImage()->mFileName, "pictures/brick.png");
  // A newer minor version: read after a warning; saved again, it takes the form it came in.
  std::string newer = text;
  newer.replace(newer.find("8.10"), 4, "8.99");
  WriteBytes(path, newer);
  const corvia::Outcome opened = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain);
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened.warnings().size(), 1u);
  EXPECT_TRUE(Messages().Boxes().empty());
  EXPECT_EQ(document.mPoly.mFaces.mCount, 6);
  ASSERT_TRUE(corvia::SaveModelFile(path.c_str(), corvia::kModelFileSameForm, &document.mPoly));
  EXPECT_EQ(ReadBytes(path).compare(0, 17, "Corvia ASCII 8.10"), 0);
}

// Coordinates are written whole in every form: in ASCII with 17 significant digits as
// printf's %.17g has them (files written before and elsewhere rely on the text), and
// each comes back bit for bit, the sign of zero and the smallest numbers included;
// colours keep their six hexadecimal digits. The large ones are past what a file may
// hold and the corners are no box, so only their text is checked.
TEST(ModelFileTest, CoordinatesComeBackBitForBitAndKeepTheirText) {
  using Corners = std::array<std::array<double, 3>, 8>;
  const Corners large = {{{-0.0, 1e-7, 1e21},
                          {1e17, 1e16, 123456789012345678.0},
                          {-1.7976931348623157e308, 9.999999999999999e22, 1e-5},
                          {1e15 + 0.3, 1e13, -4.35e14},
                          {1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}}};
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  std::vector<PolyElement*> verts = Elements(cube.poly.mVertices);
  ASSERT_EQ(verts.size(), 8u);
  // A box whose corners stand at such numbers: its faces stay flat, so the file opens.
  const double sides[3][2] = {{5e-324, 0.1 + 0.2}, {-0.0, 123456.5}, {2.2250738585072009e-308, -2.0 / 3.0}};
  Corners readable;
  for (size_t i = 0; i < verts.size(); ++i) {
    for (size_t c = 0; c < 3; ++c) readable[i][c] = sides[c][verts[i]->mDualVert[c] > 0 ? 1 : 0];
  }
  const float green[3] = {0.0f, 1.0f, 0.0f};
  std::copy(green, green + 3, Elements(cube.poly.mFaces)[2]->mColor);
  const std::string path = Path("coordinates", "cube.corv");
  for (const Corners* corners : std::array<const Corners*, 2>{&large, &readable}) {
    for (size_t i = 0; i < verts.size(); ++i) std::copy((*corners)[i].begin(), (*corners)[i].end(), verts[i]->mDualVert);
    ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), corvia::kModelFileAscii, cube.poly));
    const std::string text = ReadBytes(path);
    size_t at = text.find("\n  Vertices 8\n");
    ASSERT_NE(at, std::string::npos) << text;
    at = text.find('\n', at + 1) + 1;
    for (const auto& p : *corners) {
      char expected[128];
      std::snprintf(expected, sizeof expected, "    %.17g %.17g %.17g 0x", p[0], p[1], p[2]);
      EXPECT_EQ(text.compare(at, std::strlen(expected), expected), 0) << expected << "\n" << text.substr(at, 100);
      at = text.find('\n', at) + 1;
    }
    const size_t faces = text.find("  Faces 6\n");
    ASSERT_NE(faces, std::string::npos);
    EXPECT_NE(text.find(" 0x00ff00 ", faces), std::string::npos) << text.substr(faces, 300);
  }

  auto expectSame = [&](const corvia::ModelFileContents& contents, const char* form) {
    SCOPED_TRACE(form);
    ASSERT_NE(contents.model, nullptr);
    ASSERT_EQ(contents.model->NumVerts(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(SameBits(contents.model->VertAt(i).pos, readable[size_t(i)].data())) << i;
  };
  std::string error;
  for (int form : kForms) {
    ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, cube.poly));
    corvia::ModelFileContents contents;
    ASSERT_TRUE(corvia::ReadModelFile(path.c_str(), contents, &error)) << error;
    expectSame(contents, FormName(form).c_str());
  }
  std::string data;
  ASSERT_TRUE(corvia::WriteModelToMemory(cube.poly, data));
  corvia::ModelFileContents contents;
  ASSERT_TRUE(corvia::ReadModelFromMemory(data, "Undo step", contents, &error)) << error;
  expectSame(contents, "memory");
}

// The undo steps keep models in memory: the same model comes back, without the scene,
// and damaged or cut data is refused with the name given.
TEST(ModelFileMemory, TheModelComesBackAndDamagedDataIsRefused) {
  LibraryModel cube;
  ASSERT_TRUE(cube.Build(kCube));
  Poly& poly = cube.poly;
  std::vector<PolyElement*> faces = Elements(poly.mFaces);
  const float green[3] = {0.0f, 1.0f, 0.0f};
  std::copy(green, green + 3, faces[2]->mColor);
  faces[1]->SetLabel("labelled");
  TestSection section("Memo");
  Installed installed(&section);
  std::string data;
  ASSERT_TRUE(corvia::WriteModelToMemory(poly, data));
  ASSERT_FALSE(data.empty());

  corvia::ModelFileContents contents;
  std::string error;
  ASSERT_TRUE(corvia::ReadModelFromMemory(data, "Undo step", contents, &error)) << error;
  ASSERT_NE(contents.model, nullptr);
  EXPECT_EQ(contents.model->NumFaces(), 6);
  EXPECT_EQ(contents.model->NumVerts(), 8);
  EXPECT_TRUE(contents.scene.empty());
  LibraryModel again;
  ASSERT_TRUE(CreatePoly(*contents.model, &again.poly, true, true));
  std::vector<PolyElement*> back = Elements(again.poly.mFaces);
  ASSERT_EQ(back.size(), faces.size());
  for (size_t i = 0; i < faces.size(); ++i) EXPECT_EQ(Packed(back[i]->mColor), Packed(faces[i]->mColor)) << i;
  EXPECT_EQ(Text(back[1]->GetLabel()), "labelled");

  for (size_t cut : {size_t(0), size_t(3), data.size() / 2, data.size() - 1}) {
    SCOPED_TRACE(cut);
    error.clear();
    EXPECT_FALSE(corvia::ReadModelFromMemory(data.substr(0, cut), "Undo step", contents, &error));
    EXPECT_NE(error.find("Undo step"), std::string::npos) << error;
    EXPECT_EQ(contents.model, nullptr);
  }
  std::string damaged = data;
  for (size_t i = data.size() / 3; i < data.size() / 3 + 8; ++i) damaged[i] = char(damaged[i] ^ 0x5A);
  EXPECT_FALSE(corvia::ReadModelFromMemory(damaged, "Undo step", contents, &error));
}
