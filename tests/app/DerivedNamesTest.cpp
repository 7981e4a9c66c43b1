// The names of models made from the shown one: a model is named, catalogued and typed
// as a library record only when it has that record's shape in every respect its name
// claims (points, edges, faces and how they wind, the planes of its faces); a compound
// is named by its parts. Read as the title, the toolbar and the information tree read
// them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DocCommandsBrowseText.h"
#include "app/ModelChange.h"
#include "app/PolyView.h"
#include "core/TableDialog.h"
#include "dialogs/ModelDialogs.h"
#include "files/ModelFile.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "tests/app/AppTestSupport.h"
#include "ui/BarDocument.h"
#include "ui/CommandIds.h"
#include "ui/InfoContents.h"

namespace test_DerivedNames {

using namespace corvia;
using corvia::testing::Platform;

constexpr int kCmdGoToVariation = 32780;

// The information tree's lines, by key.
class InfoLines final : public InfoSink {
 public:
  Item AddItem(int key, Item, const std::string& text) override {
    mLines.emplace_back(key, text);
    return static_cast<Item>(mLines.size());
  }
  void ExpandItem(Item) override {}
  std::string Text(int key) const {
    for (const auto& [k, text] : mLines)
      if (k == key) return text;
    return "<none>";
  }

 private:
  std::vector<std::pair<int, std::string>> mLines;
};

class DerivedNamesTest : public corvia::testing::DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
  }
  void TearDown() override {
    DocumentTest::TearDown();
    Platform().messages.Clear();
  }
  void Open(const char* name) { ASSERT_TRUE(Doc().SetModel(Find(name), false, false)) << name; }
  static std::string Name() { return GetCurrentPoly()->mName ? GetCurrentPoly()->mName : ""; }
  static std::string DualName() { return GetCurrentPoly()->mDualName ? GetCurrentPoly()->mDualName : ""; }
  // The record the toolbar's model box shows; empty for none.
  static std::string Record() {
    const LibraryEntry* entry = GetPolyLibraryEntry(GetCurrentPoly());
    return entry && entry->mName ? entry->mName : "";
  }
  static std::string Info(int key) {
    InfoLines lines;
    InsertInfoContents(lines, GetCurrentPoly());
    return lines.Text(key);
  }
  // Answers the memory list with the memory (0-based).
  static void AnswerMemory(int slot) {
    Platform().dialogs.Queue<CTableDialog>([slot](CTableDialog& table) {
      table.mRow = slot;
      return true;
    });
  }
  // The faceting that the step key reaches after `steps` steps made the base model.
  void MakeFacetingBase(CPolyView* preview, int steps) {
    Open("Dodecahedron");
    for (int i = 0; i < steps; ++i) ASSERT_TRUE(preview->OnPaneKey(kPaneKeyUp, 0));
    ASSERT_TRUE(preview->OnCaptionButton(0, kCaptionMakeBase, 0));
  }
};

// Of the dodecahedron's facetings, three of 20 vertices and 60 edges are uniform; two
// of them have triangles and pentagon-like faces alike, told apart by how their faces
// wind and where their planes lie. One faceting of 32 faces is in no record.
TEST_F(DerivedNamesTest, AFacetingIsNamedOnlyByTheRecordWhoseShapeItHas) {
  CPolyView* preview = AddPane(kViewFacetingPreview);
  MakeFacetingBase(preview, 2);
  EXPECT_EQ(Name(), "Small Ditrigonal Icosidodecahedron");
  EXPECT_EQ(Record(), "Small Ditrigonal Icosidodecahedron");
  EXPECT_DOUBLE_EQ(GetCurrentPoly()->mModelDensity, 2.0);
  EXPECT_EQ(Info(kInfoType), "Type: Uniform, Semi-regular");
  EXPECT_EQ(Info(kInfoWenninger), "Wenninger number: W70");
  EXPECT_NE(Doc().GetTitle().find("Small Ditrigonal Icosidodecahedron"), std::string::npos) << Doc().GetTitle();

  MakeFacetingBase(preview, 10);
  EXPECT_EQ(Name(), "Great Ditrigonal Icosidodecahedron");
  EXPECT_EQ(Info(kInfoWenninger), "Wenninger number: W87");

  MakeFacetingBase(preview, 4);
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 32);
  EXPECT_EQ(Name(), "Faceted Dodecahedron");
  EXPECT_EQ(Record(), "");
  EXPECT_EQ(Info(kInfoType), "Type: Unknown");
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// Hulls, cores, memories, pseudo versions and duals made current are named and typed
// as the records they are; compounds by their parts; a model blended with itself is
// itself.
TEST_F(DerivedNamesTest, DerivedModelsTakeTheirRecordAndCompoundsTheNamesOfTheirParts) {
  // The great dodecahedron's corners span the icosahedron; what lies inside every face
  // plane of the small stellated dodecahedron is the dodecahedron.
  Open("Great Dodecahedron");
  ASSERT_TRUE(RunDocCommand(kCmdCreateConvexHull));
  EXPECT_EQ(Name(), "Icosahedron");
  EXPECT_EQ(Record(), "Icosahedron");
  EXPECT_EQ(Info(kInfoType), "Type: Uniform, Regular, Platonic");
  EXPECT_EQ(Info(kInfoWenninger), "Wenninger number: W4");
  Open("Small Stellated Dodecahedron");
  ASSERT_TRUE(RunDocCommand(kCmdCreateConvexCore));
  EXPECT_EQ(Name(), "Dodecahedron");
  EXPECT_EQ(DualName(), "Icosahedron");

  // A cube kept in memory comes back as the cube of the library.
  Open("Cube");
  AnswerMemory(0);
  ASSERT_TRUE(RunDocCommand(kCmdStoreInMemory));
  Open("Snub Cube");
  AnswerMemory(0);
  ASSERT_TRUE(RunDocCommand(kCmdAddFromMemory));
  EXPECT_EQ(Name(), "Compound of Snub Cube and Cube");
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 38 + 6);
  Open("Snub Cube");
  AnswerMemory(0);
  ASSERT_TRUE(RunDocCommand(kCmdBlendWithMemory));
  EXPECT_EQ(Name(), "Compound of Snub Cube and Cube");
  AnswerMemory(0);
  ASSERT_TRUE(RunDocCommand(kCmdRetrieveFromMemory));
  EXPECT_EQ(Record(), "Cube");
  EXPECT_EQ(Info(kInfoType), "Type: Uniform, Regular, Platonic");
  EXPECT_EQ(Info(kInfoWenninger), "Wenninger number: W3");
  AnswerMemory(0);
  ASSERT_TRUE(RunDocCommand(kCmdBlendWithMemory));
  EXPECT_EQ(Platform().messages.CountTitled("Error"), 0);
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 6);
  EXPECT_EQ(GetCurrentPoly()->mVertices.mCount, 8);
  EXPECT_EQ(Name(), "Cube");
  EXPECT_EQ(Record(), "Cube");

  // The pseudo-rhombicuboctahedron is the Johnson solid J37.
  Open("Rhombicuboctahedron");
  ASSERT_TRUE(RunDocCommand(kCmdGoToVariation));
  EXPECT_EQ(Name(), "Elongated Square Gyrobicupola");
  EXPECT_EQ(Record(), "Elongated Square Gyrobicupola");
  EXPECT_EQ(Info(kInfoType), "Type: Johnson solid");
  EXPECT_EQ(Doc().GetTitle().find("Rhombicuboctahedron"), std::string::npos) << Doc().GetTitle();

  // The cube's dual made the base model is the octahedron of the library, not only a
  // model named as the cube's dual.
  Open("Cube");
  ASSERT_TRUE(EnterModelOfPane(GetCurrentPoly(), kViewDualPolyhedron));
  EXPECT_EQ(Name(), "Octahedron");
  EXPECT_EQ(Record(), "Octahedron");
  EXPECT_EQ(Info(kInfoType), "Type: Uniform, Regular, Platonic");

  // The cube's zonohedron is the cuboctahedron's dual, which has no record of its own.
  Open("Cube");
  Platform().dialogs.Queue<CZonohedrifyDialog>([](CZonohedrifyDialog& d) {
    d.mMaxZones = 0;
    d.mEdgeScale = "1";
    return true;
  });
  ASSERT_TRUE(RunDocCommand(kCmdZonohedrify));
  EXPECT_EQ(Name(), "Rhombic Dodecahedron");
  EXPECT_EQ(DualName(), "Cuboctahedron");
  EXPECT_EQ(Info(kInfoNumComponents), "convex, orientable");
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// The names a model goes by come back with it: an undo gives back the file whose name
// an unnamed model goes by, and a part of a compound left on its own goes by the names
// it had, also after the compound was undone and made again.
TEST_F(DerivedNamesTest, UndoAndDeleteOnePartKeepTheNamesAModelWentBy) {
  corvia::testing::DocumentUndoScope undo;
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  const std::string g10 = (corvia::testing::ScratchDir("names-through-undo") / "g10.corv").string();
  Platform().dialogs.Queue<CWatermanDialog>([](CWatermanDialog& d) {
    d.mRoot = 3;
    d.mLatticeType = 0;
    return true;
  });
  ASSERT_TRUE(RunDocCommand(kCmdCreateWaterman));
  GetCurrentPoly()->SetName(nullptr);
  GetCurrentPoly()->SetDualName(nullptr);
  ASSERT_TRUE(SaveModelFile(g10.c_str(), kModelFileAscii, GetCurrentPoly()).done());
  ASSERT_TRUE(Doc().OnOpenDocument(g10.c_str()));
  ASSERT_EQ(GetPolyName(false, false), "g10");
  EXPECT_EQ(pane->GetTitle(), "g10");
  ASSERT_TRUE(RunDocCommand(kCmdCreateConvexHull));
  EXPECT_EQ(Name(), "Convex hull of g10");
  ASSERT_TRUE(undo.List().Undo());
  EXPECT_EQ(GetPolyName(false, false), "g10");
  EXPECT_EQ(pane->GetTitle(), "g10");
  EXPECT_EQ(Doc().GetPathName(), g10);
  ASSERT_TRUE(RunDocCommand(kCmdCreateConvexHull));
  EXPECT_EQ(Name(), "Convex hull of g10");

  Open("Cube");
  Platform().messages.QueueText("Named Cube");
  ASSERT_TRUE(RunDocCommand(kCmdEditBaseName));
  ASSERT_TRUE(RunDocCommand(kCmdAddBaseAndDual));
  ASSERT_TRUE(undo.List().Undo());
  ASSERT_TRUE(undo.List().Redo());
  const auto deletePartWith = [](int sides) {
    Poly* poly = GetCurrentPoly();
    for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
      if (f->mNumSides != sides) continue;
      poly->SelectFace(f, false);
      return RunDocCommand(kCmdDeleteOnePartOfCompound);
    }
    return false;
  };
  ASSERT_TRUE(deletePartWith(3));
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 6);
  EXPECT_EQ(Name(), "Named Cube");
  EXPECT_EQ(Record(), "Cube");
  ASSERT_TRUE(undo.List().Undo());
  ASSERT_TRUE(deletePartWith(4));
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 8);
  EXPECT_EQ(Name(), "Octahedron");
  EXPECT_EQ(DualName(), "Named Cube");
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// The name of a record's dual gives that dual, named, typed and catalogued as the dual
// of its record, as the record's dual made current does; undo, redo and a saved file
// give it back. It is its own mirror image: Go to Variation says so and leaves it (and
// its file), while the dual of a chiral record turns into its other hand.
TEST_F(DerivedNamesTest, TheDualOfARecordIsNamedAndTypedAsThatDualOnEveryRoad) {
  corvia::testing::DocumentUndoScope undo;
  LibraryEntry* cuboctahedron = Find("Cuboctahedron");
  const auto expectRhombicDodecahedron = [&](const char* road) {
    SCOPED_TRACE(road);
    EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 12);
    EXPECT_EQ(GetCurrentPoly()->mVertices.mCount, 14);
    EXPECT_EQ(Name(), "Rhombic Dodecahedron");
    EXPECT_EQ(DualName(), "Cuboctahedron");
    EXPECT_EQ(Record(), "");
    EXPECT_EQ(GetCurrentPoly()->mLibraryEntryOfDual, cuboctahedron);
    EXPECT_EQ(Info(kInfoType), "Type: Dual of Uniform, Semi-regular, Archimedean");
    EXPECT_EQ(Info(kInfoSymbol), "Face Description: V4.3.4.3");
    EXPECT_EQ(Info(kInfoWenninger), "Wenninger number: W11");
    EXPECT_EQ(Info(kInfoDual), "Dual: \"Cuboctahedron\"");
    EXPECT_NE(Doc().GetTitle().find("Rhombic Dodecahedron"), std::string::npos) << Doc().GetTitle();
  };
  ASSERT_TRUE(Doc().OpenModelByNameOrSymbol("Rhombic Dodecahedron"));
  expectRhombicDodecahedron("typed");
  // Next Polyhedron steps the library from the record's place.
  StepPolyhedron(1);
  EXPECT_EQ(Record(), "Truncated Octahedron");
  Open("Cuboctahedron");
  ASSERT_TRUE(EnterModelOfPane(GetCurrentPoly(), kViewDualPolyhedron));
  expectRhombicDodecahedron("made from the dual pane");
  Open("Cube");
  ASSERT_TRUE(undo.List().Undo());
  expectRhombicDodecahedron("undone");
  ASSERT_TRUE(undo.List().Redo());
  ASSERT_TRUE(undo.List().Undo());
  expectRhombicDodecahedron("undone after a redo");

  const std::string path = (corvia::testing::ScratchDir("dual-of-record") / "rhombic.corv").string();
  ASSERT_TRUE(SaveModelFile(path.c_str(), kModelFileBinary, GetCurrentPoly()).done());
  Open("Cube");
  ASSERT_TRUE(Doc().OnOpenDocument(path.c_str()));
  expectRhombicDodecahedron("reopened");
  const int steps = undo.List().GetNumUndos();
  ASSERT_TRUE(RunDocCommand(kCmdGoToVariation));
  ASSERT_EQ(Platform().messages.Boxes().size(), 1u);
  EXPECT_EQ(Platform().messages.Boxes()[0].text,
            "This model is its own mirror image:\nits mirror image lies on it face for face, so there is no other "
            "model to make.");
  EXPECT_EQ(undo.List().GetNumUndos(), steps);
  EXPECT_EQ(Doc().GetPathName(), path);
  expectRhombicDodecahedron("after Go to Variation");
  Platform().messages.Clear();

  // The snub cube's dual has two hands: its mirror image is still that dual.
  ASSERT_TRUE(Doc().OpenModelByNameOrSymbol("Pentagonal Icositetrahedron"));
  EXPECT_EQ(GetCurrentPoly()->mLibraryEntryOfDual, Find("Snub Cube"));
  ASSERT_TRUE(RunDocCommand(kCmdGoToVariation));
  EXPECT_EQ(undo.List().GetNumUndos(), steps + 2);
  EXPECT_EQ(GetCurrentPoly()->mLibraryEntryOfDual, Find("Snub Cube"));
  EXPECT_EQ(Info(kInfoType), "Type: Dual of Uniform, Semi-regular, Archimedean");
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// A name made of a long chain of operations keeps the name of the model the chain
// started from, in the title too.
TEST_F(DerivedNamesTest, ALongDerivedNameLeavesOutOperationsNotTheModelItCameFrom) {
  Open("Crossed Heptagrammic Cupolaic Blend");
  ASSERT_TRUE(EnterModelOfPane(GetCurrentPoly(), kViewCompoundOfDuals));
  EXPECT_EQ(Name(), "Dual compound of Crossed Heptagrammic Cupolaic Blend");
  ASSERT_TRUE(RunDocCommand(kCmdCreateConvexHull));
  EXPECT_EQ(Name(), "Convex hull of Dual compound of Crossed Heptagrammic Cupolaic Blend");
  ASSERT_TRUE(EnterModelOfPane(GetCurrentPoly(), kViewCompoundOfDuals));
  EXPECT_EQ(Name(), "Dual compound of ... Dual compound of Crossed Heptagrammic Cupolaic Blend");
  EXPECT_NE(Doc().GetTitle().find("Crossed Heptagrammic Cupolaic Blend"), std::string::npos) << Doc().GetTitle();
}

}  // namespace test_DerivedNames
