// The document's browsing and edit commands: Next and Previous Polyhedron through the
// library, a folder of model files, the Waterman roots and search results, reversed
// transitions, regular faces; element texts and the text lists.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/DocCommandsBrowseText.h"
#include "app/ModelChange.h"
#include "construction/Prisms.h"
#include "construction/SpringRelax.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "files/ModelFile.h"
#include "model/CreatePoly.h"
#include "model/Edge.h"
#include "model/PolyElement.h"
#include "render/NewView.h"
#include "symmetry/SimplePoly.h"
#include "tests/app/AppTestSupport.h"

namespace test_BrowseTextCommands {

using namespace corvia;
using corvia::testing::Platform;
using Labels = std::vector<std::string>;

class BrowseTextCommandsTest : public corvia::testing::DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    mPane = AddPane(kViewBasePolyhedron);
    Platform().messages.Clear();
  }
  void TearDown() override {
    ClearSearchResults();
    SetTextListPersistent(false);
    SetTextListPath(TextListKind::Faces, "");
    DocumentTest::TearDown();
  }

  // Steps and gives the first pane's message.
  std::string Step(int step) {
    NewView::SetMessage(mPane, nullptr);
    StepPolyhedron(step);
    return mPane->GetMessage() ? mPane->GetMessage() : "";
  }
  void Show(const char* text) { ASSERT_TRUE(Doc().SetModel(Find(text), false, false)); }
  static std::string Name() { return GetCurrentPoly()->mName ? GetCurrentPoly()->mName : ""; }
  static int CountErrors() { return Platform().messages.CountTitled("Error"); }
  static std::string LastBox() { return Platform().messages.Boxes().back().text; }
  static std::string WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  static Labels FaceLabels() {
    Labels labels;
    for (PolyElement* f = GetCurrentPoly()->mFaces.mHead; f; f = f->mNext) labels.push_back(f->GetLabel() ? f->GetLabel() : "");
    return labels;
  }

  CPolyView* mPane = nullptr;
};

// ---- Browsing ---------------------------------------------------------------------------

TEST_F(BrowseTextCommandsTest, LibraryWrapsAtBothEnds) {
  LibraryEntry* first = GetLibraryEntry(0);
  ASSERT_TRUE(Doc().SetModel(first, false, false));
  int last = -1;
  for (int i = 0; i < GetNumLibraryEntries(); ++i) last = GetLibraryEntry(i)->IsParametric() ? last : i;
  EXPECT_EQ(Step(-1), "Wrapped from first to last model in the library");
  EXPECT_EQ(GetCurrentPoly()->mLibraryEntry, GetLibraryEntry(last));
  EXPECT_EQ(Step(1), "Wrapped from last to first model in the library");
  EXPECT_EQ(GetCurrentPoly()->mLibraryEntry, first);
  EXPECT_EQ(Step(1), "");
  EXPECT_EQ(CountErrors(), 0);
}

TEST_F(BrowseTextCommandsTest, FolderOfModelFilesInNaturalOrderWithWraps) {
  const auto folder = corvia::testing::ScratchDir("browse-folder");
  auto path = [&folder](const char* name) { return (folder / name).string(); };
  // Natural order m1, m2, m3, m10; m3 is damaged and is passed over.
  const char* models[][2] = {{"4.4.4", "m1.corv"}, {"3.3.3", "m2.corv"}, {"3.3.3.3", "m10.corv"}};
  for (const auto& [model, name] : models) {
    Show(model);
    ASSERT_TRUE(WriteModelFile(path(name).c_str(), kModelFileAscii, *GetCurrentPoly()));
  }
  WriteFile(folder / "m3.corv", "not a model file\n");

  ASSERT_TRUE(Doc().OnOpenDocument(path("m2.corv").c_str()));
  EXPECT_EQ(Step(1), "");
  EXPECT_EQ(Doc().GetPathName(), path("m10.corv"));
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 8);
  EXPECT_EQ(Step(1), "Wrapped from last to first file in folder");
  EXPECT_EQ(Doc().GetPathName(), path("m1.corv"));
  EXPECT_EQ(Step(-1), "Wrapped from first to last file in folder");
  EXPECT_EQ(Doc().GetPathName(), path("m10.corv"));
  Step(-1);
  EXPECT_EQ(Doc().GetPathName(), path("m2.corv"));
  EXPECT_EQ(CountErrors(), 0);

  const auto single = corvia::testing::ScratchDir("browse-single");
  std::filesystem::copy_file(path("m1.corv"), single / "only.corv");
  ASSERT_TRUE(Doc().OnOpenDocument((single / "only.corv").string().c_str()));
  EXPECT_EQ(Step(-1), "There are no other .CORV files in this folder");
}

TEST_F(BrowseTextCommandsTest, WatermanRootsKeepTheirLattice) {
  // The model's name says which Waterman polyhedron it is.
  Show("3.3.3.3.3");
  GetCurrentPoly()->SetName("Waterman R3, cubic");
  Step(1);
  EXPECT_EQ(Name(), "Waterman R4, cubic");
  GetCurrentPoly()->SetName("Waterman R1");
  EXPECT_EQ(Step(-1), "There are no more Waterman polyhedra in this direction");
  // Past the largest root nothing is built, and the user is told.
  GetCurrentPoly()->SetName("Waterman R10, type 2 4D");
  EXPECT_EQ(Step(1), "There are no more Waterman polyhedra in this direction");
  EXPECT_EQ(Name(), "Waterman R10, type 2 4D");
  EXPECT_EQ(CountErrors(), 0);
}

TEST_F(BrowseTextCommandsTest, SearchResultsWrapAndSwitchSides) {
  Show("3.3.3.3.3");
  SetCurrentSearchResult(AppendSearchResult(Find("4.4.4"), false));
  EXPECT_EQ(Step(1), "Your search only found one polyhedron");
  EXPECT_EQ(Name(), "Icosahedron");

  // The octahedron asked for as a dual: the pane turns to the dual side and back.
  LibraryListNode* dual = AppendSearchResult(Find("3.3.3.3"), true);
  EXPECT_EQ(Step(1), "Switched from base to dual view");
  EXPECT_EQ(GetCurrentSearchResult(), dual);
  EXPECT_EQ(mPane->GetViewType(), kViewDualPolyhedron);
  EXPECT_EQ(Step(1), "Switched from dual to base view\nWrapped from last to first search result");
  EXPECT_EQ(Name(), "Cube");
  EXPECT_EQ(mPane->GetViewType(), kViewBasePolyhedron);
  EXPECT_EQ(Step(-1), "Switched from base to dual view\nWrapped from first to last search result");
}

TEST_F(BrowseTextCommandsTest, PreviousPlaysTheTransitionBackwards) {
  SetTransitionsEnabled(true);
  TransitionSettings* record = GetTransitionRecord(kOccasionBuiltInModel);
  record->mType = kTransitionExplodeAndGrow;
  record->mDuration = 1.0;
  Show("3.3.3.3.3");
  Doc().EndAllTransitions();
  Step(-1);
  EXPECT_EQ(GetCurrentPoly()->mTransition.mType, kTransitionShrinkAndImplode);
  Doc().EndAllTransitions();
  Step(1);
  EXPECT_EQ(GetCurrentPoly()->mTransition.mType, kTransitionExplodeAndGrow);
  Doc().EndAllTransitions();
}

TEST_F(BrowseTextCommandsTest, MakeFacesRegular) {
  Show("3.3.3.3.3");
  OnTryToMakeFacesRegular();
  EXPECT_EQ(Platform().undo.mCalls.back().type, 23);
  EXPECT_EQ(Name(), "Icosahedron");
  EXPECT_EQ(CountErrors(), 0);
  // A library model made regular is still that model, with its catalogue symbol.
  Show("J8");
  LibraryEntry* j8 = GetCurrentPoly()->mLibraryEntry;
  ASSERT_NE(j8, nullptr);
  OnTryToMakeFacesRegular();
  EXPECT_EQ(GetCurrentPoly()->mLibraryEntry, j8);
  EXPECT_NE(Doc().GetTitle().find("J8 - "), std::string::npos) << Doc().GetTitle();

  // The faces of the sixth Waterman polyhedron cannot all be regular, although its
  // springs settle: the model stays as it was.
  GetCurrentPoly()->SetName("Waterman R5");
  Step(1);
  const Poly* before = GetCurrentPoly();
  const size_t steps = Platform().undo.mCalls.size();
  OnTryToMakeFacesRegular();
  EXPECT_EQ(LastBox(), "Could not make faces regular.");
  EXPECT_EQ(GetCurrentPoly(), before);
  EXPECT_EQ(Name(), "Waterman R6");
  EXPECT_EQ(Platform().undo.mCalls.size(), steps);

  // Nor can a near miss's: whether the springs come to rest at once (the tetrated
  // dodecahedron) or pull against each other (the half-truncated truncated
  // icosahedron), the stored compromise stays.
  for (const char* nearMiss : {"Tetrated Dodecahedron", "Half-truncated Truncated Icosahedron"}) {
    Show(nearMiss);
    const Poly* shown = GetCurrentPoly();
    const int errors = CountErrors();
    const size_t stepsBefore = Platform().undo.mCalls.size();
    OnTryToMakeFacesRegular();
    EXPECT_EQ(CountErrors(), errors + 1) << nearMiss;
    EXPECT_EQ(LastBox(), "Could not make faces regular.");
    EXPECT_EQ(GetCurrentPoly(), shown);
    EXPECT_EQ(Name(), nearMiss);
    EXPECT_EQ(Platform().undo.mCalls.size(), stepsBefore);
  }
}

// A torus of 24 rings of 12 squares cannot keep its hole with regular faces: the
// springs fold its tube flat, every face lying on another with its corners at copies of
// their vertices, a stack of no volume in other parts. The symmetry search takes such a
// stack for what it is, with no internal error, and the command says that the model
// would fold flat and leaves the torus as it was, still a torus.
TEST_F(BrowseTextCommandsTest, ATorusMadeRegularFoldsOntoItself) {
  Outcome outcome;
  std::unique_ptr<SimplePoly> torus = CreateTorus(0.4, 24, 12, outcome);
  ASSERT_TRUE(torus && CreatePolyWithUndo(*torus, 0, false, true));
  const Poly* shown = GetCurrentPoly();
  const double volume = shown->mVolume;
  ASSERT_GT(volume, 0.0);
  const size_t steps = Platform().undo.mCalls.size();
  const int errors = CountErrors();
  OnTryToMakeFacesRegular();
  ASSERT_EQ(CountErrors(), errors + 1);
  EXPECT_EQ(LastBox(), "Could not make faces regular without folding the model flat.");
  EXPECT_EQ(Platform().undo.mCalls.size(), steps);
  ASSERT_EQ(GetCurrentPoly(), shown);
  EXPECT_EQ(Name(), "Torus");
  EXPECT_EQ(shown->CountCompoundParts(), 1);
  EXPECT_EQ(shown->GetGenus(), 1);
  EXPECT_EQ(shown->mVolume, volume);

  // The stack the springs settle into.
  SpringPolyDesc desc;
  ASSERT_TRUE(CreateFromPoly(desc, shown));
  desc.mFlags |= kSpringDescFromModel;
  EXPECT_LT(RelaxSpringModel(desc, 10), kSpringConvergedForce);
  ASSERT_TRUE(desc.mResult);
  const double lengthScale = GetUnitSettings().mLengthScale;
  Poly made;
  ASSERT_TRUE(CreatePoly(*desc.mResult, &made, true, false));
  GetUnitSettings().mLengthScale = lengthScale;
  ASSERT_EQ(made.mFaces.mCount, 288);
  for (const PolyElement* face = made.mFaces.mHead; face; face = face->mNext) {
    EXPECT_TRUE(face->IsRegular());
    double centre[3], otherCentre[3];
    face->GetCornerCentroid(centre);
    int twins = 0;
    for (const PolyElement* other = made.mFaces.mHead; other; other = other->mNext) {
      other->GetCornerCentroid(otherCentre);
      twins += other != face && NearlyEqual(otherCentre, centre, 1e-6);
    }
    EXPECT_EQ(twins, 1) << PolyElement::GetIndex(face);
  }
  EXPECT_EQ(made.mVolume, 0.0);
  EXPECT_NE(made.CountCompoundParts(), 1);
}

// ---- Element texts ------------------------------------------------------------------------

TEST_F(BrowseTextCommandsTest, ElementTextAndRemoveText) {
  Show("4.4.4");
  Poly* poly = GetCurrentPoly();
  PolyElement* face = poly->mFaces.mHead->mNext;
  poly->SelectFace(face, false);
  Platform().messages.QueueText("<b>top</b>");
  OnEditElementText();
  EXPECT_STREQ(face->GetLabel(), "<b>top</b>");
  EXPECT_NE(Platform().messages.TextPrompts().back().find("Enter text to appear on face 2"), std::string::npos);

  const float green[3] = {0.1f, 0.9f, 0.3f};
  poly->mFaces.mHead->SetColour(green);
  face->SetColour(green);
  // Cancel, the selected face only, the faces of its colour, the faces of its type (all).
  const Labels expected[] = {{"t", "t", "t", "t", "t", "t"}, {"t", "", "t", "t", "t", "t"},
                             {"", "", "t", "t", "t", "t"}, {"", "", "", "", "", ""}};
  const int answers[] = {3, 0, 2, 1};
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) f->SetLabel("t");
  for (int i = 0; i < 4; ++i) {
    Platform().messages.QueueAnswer(answers[i]);
    OnRemoveText();
    EXPECT_EQ(FaceLabels(), expected[i]) << "answer " << answers[i];
  }
}

// ---- Text lists -------------------------------------------------------------------------

TEST(TextListLines, MarkupBothWays) {
  EXPECT_EQ(TextListLineToText("top<br>side"), "top\nside");
  EXPECT_EQ(TextToTextListLine("top\nside"), "top<br>side");
  EXPECT_EQ(TextToTextListLine("a\n\nb"), "a<p>b");
  EXPECT_EQ(TextListLineToText("a<P>b"), "a\n\nb");
  EXPECT_EQ(TextListLineToText("Items:<li>one<li>two"), "Items:\n<li>one\n<li>two");
  EXPECT_EQ(TextToTextListLine("Items:\n<li>one\n<li>two"), "Items:<li>one<li>two");
  EXPECT_EQ(TextToTextListLine("dos\r\nline"), "dos<br>line");
}

TEST_F(BrowseTextCommandsTest, TextListsOntoTheCubeAndBack) {
  Show("4.4.4");
  const auto folder = corvia::testing::ScratchDir("text-lists");
  GetCurrentPoly()->GetFace(5)->SetLabel("kept");
  // A blank line leaves its face alone; faces after the last line keep their text.
  const std::string list = WriteFile(folder / "names.txt", "north\r\neast\n\nwest<br>side\n");
  ASSERT_TRUE(LoadTextList(TextListKind::Faces, list.c_str()));
  EXPECT_EQ(FaceLabels(), (Labels{"north", "east", "", "west\nside", "", "kept"}));
  const std::string saved = (folder / "saved.txt").string();
  ASSERT_TRUE(SaveTextList(TextListKind::Faces, saved.c_str()));
  std::ifstream in(saved, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "north\neast\n\nwest<br>side\n\nkept\n");

  // Lines past the last edge are not read, however long.
  std::string many;
  for (int i = 1; i <= 12; ++i) many += "e" + std::to_string(i) + "\n";
  ASSERT_TRUE(LoadTextList(TextListKind::Edges, WriteFile(folder / "e.txt", many + std::string(5000, 'x')).c_str()));
  EXPECT_STREQ(GetCurrentPoly()->GetEdge(11)->GetLabel(), "e12");
  EXPECT_EQ(CountErrors(), 0);
}

TEST_F(BrowseTextCommandsTest, DamagedOrMissingListChangesNothing) {
  Show("4.4.4");
  const auto folder = corvia::testing::ScratchDir("bad-lists");
  for (PolyElement* f = GetCurrentPoly()->mFaces.mHead; f; f = f->mNext) f->SetLabel("old");
  const Labels before = FaceLabels();
  // A line too long for the reader after good ones; a Unicode file; no file.
  const std::string files[] = {WriteFile(folder / "long.txt", "one\ntwo\n" + std::string(2000, 'y') + "\n"),
                               WriteFile(folder / "utf16.txt", std::string("\xFF\xFEo\0n\0", 6)),
                               (folder / "missing.txt").string()};
  for (const std::string& file : files) {
    EXPECT_FALSE(LoadTextList(TextListKind::Faces, file.c_str()));
    EXPECT_EQ(FaceLabels(), before);
    EXPECT_NE(LastBox().find(file), std::string::npos);
  }
  EXPECT_NE(Platform().messages.Boxes()[0].text.find("Line 3"), std::string::npos);
  EXPECT_EQ(LastBox(), "Couldn't open file '" + files[2] + "' for reading");
  EXPECT_FALSE(SaveTextList(TextListKind::Faces, (folder / "none" / "x.txt").string().c_str()));
  EXPECT_EQ(CountErrors(), 4);
}

TEST_F(BrowseTextCommandsTest, EveryLabelComesBackThroughASavedList) {
  Show("4.4.4");
  // Blanks round a text, a text of line-break tags alone, a list, line breaks.
  const Labels labels = {"  north  ", "<br><br>", "Items:\n<li>one", "\ttab", "two\n\nparagraphs", "<p>"};
  std::vector<PolyElement*> faces;
  for (PolyElement* f = GetCurrentPoly()->mFaces.mHead; f; f = f->mNext) faces.push_back(f);
  ASSERT_EQ(faces.size(), labels.size());
  for (size_t i = 0; i < faces.size(); ++i) faces[i]->SetLabel(labels[i].c_str());
  const auto folder = corvia::testing::ScratchDir("text-lists-back");
  const std::string saved = (folder / "saved.txt").string();
  ASSERT_TRUE(SaveTextList(TextListKind::Faces, saved.c_str()));
  for (PolyElement* f : faces) f->SetLabel(nullptr);
  ASSERT_TRUE(LoadTextList(TextListKind::Faces, saved.c_str()));
  EXPECT_EQ(FaceLabels(), labels);
  // A list with lone carriage returns for line ends.
  ASSERT_TRUE(LoadTextList(TextListKind::Faces, WriteFile(folder / "mac.txt", "a\rb\r\rd").c_str()));
  EXPECT_EQ(FaceLabels(), (Labels{"a", "b", labels[2], "d", labels[4], labels[5]}));
  EXPECT_EQ(CountErrors(), 0);
}

TEST_F(BrowseTextCommandsTest, APipeADeviceOrAFolderIsNoList) {
  Show("4.4.4");
  const auto folder = corvia::testing::ScratchDir("text-lists-kinds");
  const std::filesystem::path pipe = folder / "pipe.txt";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (PolyElement* f = GetCurrentPoly()->mFaces.mHead; f; f = f->mNext) f->SetLabel("old");
  const Labels before = FaceLabels();
  for (const std::string& path : {pipe.string(), std::string("/dev/zero"), folder.string()}) {
    Platform().messages.Clear();
    // Loading says what is wrong at once, instead of waiting on a writer or reading
    // for ever; the dialogs' preview shows nothing; a persistent list of it is dropped.
    EXPECT_FALSE(LoadTextList(TextListKind::Faces, path.c_str()));
    ASSERT_EQ(Platform().messages.Boxes().size(), 1u);
    EXPECT_EQ(LastBox().rfind("Couldn't open file '" + path + "' for reading\nIt is ", 0), 0u) << LastBox();
    EXPECT_EQ(FaceLabels(), before);
    std::string preview;
    EXPECT_FALSE(DescribeTextListFile(path.c_str(), preview));
    SetTextListPath(TextListKind::Faces, path);
    SetTextListPersistent(true);
    ReloadPersistentTextLists();
    SetTextListPersistent(false);
    EXPECT_EQ(GetTextListPath(TextListKind::Faces), "");
  }
}

TEST_F(BrowseTextCommandsTest, PersistentListsFollowEveryNewModel) {
  Show("4.4.4");
  const auto folder = corvia::testing::ScratchDir("persistent");
  const std::string list = WriteFile(folder / "faces.txt", "a\nb\n");
  ASSERT_TRUE(LoadTextList(TextListKind::Faces, list.c_str()));
  SetTextListPersistent(true);
  Show("3.3.3.3");
  EXPECT_EQ(FaceLabels(), (Labels{"a", "b", "", "", "", "", "", ""}));

  // The list has gone: the next model says so once and the list is forgotten.
  std::filesystem::remove(list);
  Show("3.3.3");
  Show("4.4.4");
  EXPECT_EQ(CountErrors(), 1);
  EXPECT_EQ(GetTextListPath(TextListKind::Faces), "");
  EXPECT_EQ(GetCurrentPoly()->mFaces.mNumLabelled, 0);
}

TEST_F(BrowseTextCommandsTest, TextFilePreview) {
  const auto folder = corvia::testing::ScratchDir("preview");
  const std::pair<std::string, std::string> cases[] = {
      {"one\r\ntwo\n", "one\ntwo\n"},
      {"\xEF\xBB\xBFone\n", "<<Please resave as plain ASCII>>"},
      {std::string("a\0b", 3), "<<File has unrecognised encoding>>"},
      {"caf\xE9\n", "<<File has unrecognised encoding>>"},
      {"one\rtwo\r", "one\ntwo\n"}};
  std::string text;
  for (const auto& [contents, shown] : cases) {
    EXPECT_TRUE(DescribeTextListFile(WriteFile(folder / "t.txt", contents).c_str(), text));
    EXPECT_EQ(text, shown);
  }
  EXPECT_TRUE(DescribeTextListFile(nullptr, text));
  EXPECT_EQ(text, "Select a text file to see the first couple of lines");
}

}  // namespace test_BrowseTextCommands
