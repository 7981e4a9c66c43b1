// Random scene sections through the model file, with the program's own readers
// installed: the stellation shown, the layouts, the panes' view types, cameras and the
// active pane, the mouse throws and the tour. Each round changes the sections of a
// saved scene (words, quoted texts and bytes of the text form; bytes of the binary
// form's uncompressed data) and opens the file over a document with a stepped
// stellation with a hidden cell, two panes, running throws and a tour of two events. The
// open either fails with one "Error", leaving the model and every section's state as
// they were, or succeeds; then the scene saves and opens again to the same state.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/SceneSections.h"
#include "core/Progress.h"
#include "core/ioStream.h"
#include "files/ModelFile.h"
#include "files/ModelFileSection.h"
#include "tests/app/AppTestSupport.h"
#include "tests/stellation/StellationModels.h"
#include "tests/support/FuzzInput.h"
#include "ui/Layouts.h"
#include "ui/Tour.h"

namespace corvia::testing {
namespace {

constexpr uint32_t kSeed = 20260512;
constexpr int kCmdNextStellation = 32815;
constexpr int kRounds = 120;
const char* const kSectionNames[] = {kSceneSectionStellation, kSceneSectionLayouts, kSceneSectionPanes,
                                     kSceneSectionMouseThrows, kSceneSectionTour};

// Words a changed section may get in place of one of its own.
const std::vector<std::string> kWords = {
    "0",      "-1",         "1",        "5",           "6",          "1012",          "6001",     "99999999",
    "4194304", "2147483647", "nan",      "inf",         "-inf",       "1e308",         "0.5",      "010",
    "\"\"",   "Event",      "EndEvent", "EndSection",  "Points",     "Faces",         "Pane",     "Layout",
    "Ratios", "Current",    "Library",  "Duration",    "Fade",       "CurrentLayout", "Layout9",  "Layout2",
    "Name",   "Continue",   "ContNewL", "Configuration", "Dual",     "#",             "Active",   "Cells",
    "ShownSide"};

// Writes the data it is given as its section: how a test puts changed data in a file.
class RawSection final : public ModelFileSection {
 public:
  RawSection(std::string name, std::string data) : mName(std::move(name)), mData(std::move(data)) {}
  const char* GetName() const override { return mName.c_str(); }
  bool Write(ioStream* stream, int) override {
    return ioWriteBytes(stream, mData.data(), static_cast<int>(mData.size()), false);
  }
  bool Read(ioStream*, bool) override { return false; }

 private:
  std::string mName;
  std::string mData;
};

class SceneFuzzTest : public IcosahedronDocumentTest {
 protected:
  void SetUp() override {
    IcosahedronDocumentTest::SetUp();
    // Two panes, whose cameras have what a drawn pane's have (a content size above 0).
    for (ViewType type : {kViewBasePolyhedron, kViewDualPolyhedron}) {
      CPolyView* pane = AddPane(type);
      CameraRecord camera;
      pane->Camera().GetCamera(camera);
      pane->Camera().SetCamera(camera);
    }
    // The dual's pane active, which shows the dual's side; two steps through the
    // dual's stellations, and a cell of the third left out of the drawing.
    mPanes.back()->Activate(true);
    ASSERT_TRUE(GetCurrentPoly()->mShowDual);
    ASSERT_TRUE(RunDocCommand(kCmdNextStellation));
    ASSERT_TRUE(RunDocCommand(kCmdNextStellation));
    FaceTypeBlock* block = GetCurrentPoly()->mDualBlock.get();
    ASSERT_TRUE(block->IsStellated() && !FaceTypeBlock::IsOriginalStellation(block));
    StellationCell* third = block->mFirstCell && block->mFirstCell->mNext ? block->mFirstCell->mNext->mNext : nullptr;
    ASSERT_NE(third, nullptr);
    third->SetHidden(true);
    InstallSceneSections();
    InstallTourSection();
    mSavedLayout = GetCurrentLayoutIndex();
    SetCurrentLayoutIndex(kLayout3SplitLeft);
    LayoutRecord* record = GetLayoutRecord(kLayout3SplitLeft);
    record->numRatios = 2;
    record->ratios[0] = 0.1f;
    record->ratios[1] = 1.0f / 3.0f;
    // Two throws running, with speeds and axes that only 9 and 17 digits keep.
    int started = 0;
    for (int id = 0; id < kThrowIdPerKind * kThrowKindBound && started < 2; ++id) {
      if (MouseThrow* t = FindMouseThrow(id)) {
        t->StartThrow(0.1f * float(id + 1), -1.0f / 3.0f);
        t->mAxis[0] = 0.6;
        t->mAxis[1] = 0.8 / 3.0;
        t->mAxis[2] = 0.1;
        ++started;
      }
    }
    ASSERT_EQ(started, 2);
    // A tour: the icosahedron, then a model of its own points.
    Tour& tour = GetTour();
    tour.Clear();
    tour.AddToTour();
    TourEvent* event = tour.AddToTour();
    event->SetName("A \"quoted\" name\nover two lines", true);
    event->mDuration = 2.7f;
    event->mTransition.mType = 1;
    event->mTransition.mDuration = 0.1;
    event->mModel = TourModel();
    event->mModel.vertices = {0.1, 0.2, 1.0 / 3.0, -0.7, 2.0 / 3.0, 0.3, 0.5, -0.1, 1e-7, 0.0, 0.0, 1.1};
    event->mModel.faces = {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {2, 3, 0}};
  }
  void TearDown() override {
    GetTour().Clear();
    RemoveSceneSections();
    SetCurrentLayoutIndex(mSavedLayout);
    ResetLayouts();
    IcosahedronDocumentTest::TearDown();
  }

  // What each section would save now: its data written to memory ("none" when it has
  // nothing), and the model's first vertex. The running throws are compared in the
  // order they run.
  static std::vector<std::string> State() {
    std::vector<std::string> state;
    for (const char* name : kSectionNames) {
      ModelFileSection* section = FindModelFileSection(name);
      std::string data = "none";
      if (name == std::string(kSceneSectionMouseThrows)) {
        std::vector<std::string> throws;
        for (MouseThrow* t = GetActiveMouseThrows(); t; t = t->mNextActive) {
          char text[200];
          std::snprintf(text, sizeof text, "%d %a %a %a %a %a", t->GetID(), double(t->mSpeedX), double(t->mSpeedY),
                        t->mAxis[0], t->mAxis[1], t->mAxis[2]);
          throws.push_back(text);
        }
        data.clear();
        for (const std::string& t : throws) data += t + ";";
      } else if (section && section->HasData()) {
        ioBuffer buffer;
        ioStream* s = ioOpenWrite(nullptr, nullptr, kModelFileVersionMajor, kModelFileVersionMinor, kIoModeMemory,
                                  nullptr, [](int, const char*, const char*) { return 0; }, &buffer).release();
        const bool written = section->Write(s, 0);
        ioClose(s);
        data = (written ? "" : "failed ") + std::string(reinterpret_cast<const char*>(buffer.data), buffer.length);
      }
      state.push_back(name + std::string(": ") + data);
    }
    const Poly* poly = GetCurrentPoly();
    const double* first = poly->mVertices.mHead->mDualVert;
    state.push_back(std::to_string(poly->mVertices.mCount) + " " + std::to_string(first[0]) + " " +
                    std::to_string(first[1]) + " " + std::to_string(first[2]));
    return state;
  }

  // Where two states differ first: the section and the byte; empty when they agree.
  static std::string Difference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
      if (a[i] == b[i]) continue;
      size_t at = 0;
      while (at < a[i].size() && at < b[i].size() && a[i][at] == b[i][at]) ++at;
      return a[i].substr(0, a[i].find(':')) + " differs from byte " + std::to_string(at) + " of " +
             std::to_string(a[i].size()) + " and " + std::to_string(b[i].size());
    }
    return "";
  }

  // A model file of the current model with these sections in place of the installed
  // ones. A block's data begins with the version, which its stream writes itself.
  static void WriteWithSections(const std::string& path, int form, const std::vector<ModelFileScene>& scene) {
    constexpr size_t kVersionBytes = 4;
    std::vector<std::unique_ptr<RawSection>> raws;
    std::vector<ModelFileSection*> real;
    for (const ModelFileScene& section : scene) {
      real.push_back(FindModelFileSection(section.name.c_str()));
      const size_t skip = form == kModelFileBinary ? std::min(kVersionBytes, section.data.size()) : 0;
      raws.push_back(std::make_unique<RawSection>(section.name, section.data.substr(skip)));
      InstallModelFileSection(raws.back().get());
    }
    const bool written = WriteModelFile(path.c_str(), form, *GetCurrentPoly()).done();
    for (ModelFileSection* section : real) InstallModelFileSection(section);
    ASSERT_TRUE(written);
  }

  int mSavedLayout = -1;
};

TEST_F(SceneFuzzTest, ChangedSectionsFailWithOneErrorOrSaveAndOpenAgainAsRead) {
  const std::filesystem::path folder = ScratchDir("scene-fuzz");
  // The sections of the scene in both forms, as a file holds them.
  std::vector<ModelFileScene> seeds[2];
  for (int form : {kModelFileAscii, kModelFileBinary}) {
    const std::string path = (folder / ("seed" + std::to_string(form) + ".corv")).string();
    ASSERT_TRUE(WriteModelFile(path.c_str(), form, *GetCurrentPoly()));
    ModelFileContents contents;
    std::string error;
    ASSERT_TRUE(ReadModelFile(path.c_str(), contents, &error, nullptr, false)) << error;
    ASSERT_EQ(contents.scene.size(), std::size(kSectionNames)) << form;
    seeds[form] = contents.scene;
  }
  auto& messages = Platform().messages;
  // Unchanged, the scene opens to the state it was saved from, to the bit.
  const std::vector<std::string> saved = State();
  for (int form : {kModelFileAscii, kModelFileBinary}) {
    const std::string path = (folder / ("seed" + std::to_string(form) + ".corv")).string();
    messages.Clear();
    ASSERT_TRUE(OpenModelFile(path.c_str(), kOpenModelFilePlain));
    EXPECT_TRUE(messages.Boxes().empty());
    EXPECT_EQ(Difference(State(), saved), "") << "form " << form;
  }
  int opened = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = RoundRandom(kSeed, round);
    const std::string where = RoundName("scene", kSeed, round);
    const int form = round % 2 == 0 ? kModelFileAscii : kModelFileBinary;
    std::vector<ModelFileScene> scene = seeds[form];
    ModelFileScene& changed = scene[size_t(Below(random, int(scene.size())))];
    changed.data =
        form == kModelFileAscii ? ChangeText(changed.data, random, kWords) : ChangeBytes(changed.data, random);
    const std::string path = (folder / "round.corv").string();
    WriteWithSections(path, form, scene);
    if (HasFatalFailure()) return;

    const std::vector<std::string> before = State();
    messages.Clear();
    const Outcome outcome = OpenModelFile(path.c_str(), kOpenModelFilePlain);
    if (!outcome.done()) {
      std::string boxes;
      for (const auto& box : messages.Boxes()) boxes += "\n[" + box.title + "] " + box.text;
      // One refusal in words for the caller to tell, and no box of the reader's own.
      EXPECT_EQ(outcome.kind(), Outcome::Kind::kRefused) << where;
      EXPECT_TRUE(messages.Boxes().empty()) << where << boxes;
      EXPECT_EQ(Difference(State(), before), "") << where << ": " << outcome.text();
      continue;
    }
    ++opened;
    // Warnings are the caller's to tell.
    EXPECT_TRUE(messages.Boxes().empty()) << where << ": " << messages.Boxes()[0].text;
    const std::vector<std::string> read = State();
    const std::string again = (folder / "again.corv").string();
    ASSERT_TRUE(WriteModelFile(again.c_str(), form, *GetCurrentPoly())) << where;
    messages.Clear();
    ASSERT_TRUE(OpenModelFile(again.c_str(), kOpenModelFilePlain))
        << where << ": " << (messages.Boxes().empty() ? "" : messages.Boxes()[0].text);
    EXPECT_EQ(Difference(State(), read), "") << where;
  }
  // Many changes leave a scene that still reads: the saving is tested too.
  EXPECT_GT(opened, kRounds / 8);
}

// The bytes of a saved file, without the line of an ASCII file that tells when it was
// saved.
std::string SavedBytes(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::string bytes;
  if (!file) return bytes;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
  std::fclose(file);
  const size_t saved = bytes.find("\n# Corvia model file, saved ");
  if (saved != std::string::npos) bytes.erase(saved + 1, bytes.find('\n', saved + 1) - saved);
  return bytes;
}

// A file whose text is the saved one with `from` replaced by `to` (which must be found).
void WriteChanged(const std::string& from, const std::string& to, const std::string& text, const std::string& path) {
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  std::string changed = text;
  changed.replace(at, from.size(), to);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(changed.data(), 1, changed.size(), file);
  std::fclose(file);
}

// Open and save is a fixed point for every scene a file can give: a tour with no
// current event, a layout kept without ratios, throws running in an order; and a file
// that names a current event the tour does not have loses only its tour.
TEST_F(SceneFuzzTest, ScenesSaveTwiceToTheSameBytes) {
  const std::filesystem::path folder = ScratchDir("scene-fixed-point");
  auto& messages = Platform().messages;
  GetTour().SetCurrentEvent(nullptr);
  // A layout shown once and kept with no ratios (as a layout of one pane keeps them).
  GetLayoutRecord(kLayout1)->numRatios = 0;
  for (int form : {kModelFileAscii, kModelFileBinary}) {
    SCOPED_TRACE(form);
    const std::string first = (folder / "first.corv").string();
    const std::string second = (folder / "second.corv").string();
    const std::vector<std::string> state = State();
    ASSERT_TRUE(WriteModelFile(first.c_str(), form, *GetCurrentPoly()));
    messages.Clear();
    ASSERT_TRUE(OpenModelFile(first.c_str(), kOpenModelFilePlain));
    EXPECT_TRUE(messages.Boxes().empty());
    EXPECT_EQ(Difference(State(), state), "");
    EXPECT_EQ(GetTour().GetCurrentEvent(), nullptr);
    EXPECT_EQ(GetLayoutRecord(kLayout1)->numRatios, 0);
    ASSERT_TRUE(WriteModelFile(second.c_str(), form, *GetCurrentPoly()));
    EXPECT_EQ(SavedBytes(second), SavedBytes(first));
  }

  // "Ratios 0" is a layout kept without ratios: written as such, it stays.
  const std::string text = (folder / "text.corv").string();
  ASSERT_TRUE(WriteModelFile(text.c_str(), kModelFileAscii, *GetCurrentPoly()));
  const std::string saved = SavedBytes(text);
  const std::string changed = (folder / "changed.corv").string();
  WriteChanged("  Layout\tLayout1\n", "  Layout\tLayout2\n    Ratios\t0\n  Layout\tLayout1\n", saved, changed);
  ASSERT_TRUE(OpenModelFile(changed.c_str(), kOpenModelFilePlain));
  const std::string once = (folder / "once.corv").string();
  const std::string twice = (folder / "twice.corv").string();
  ASSERT_TRUE(WriteModelFile(once.c_str(), kModelFileAscii, *GetCurrentPoly()));
  ASSERT_TRUE(OpenModelFile(once.c_str(), kOpenModelFilePlain));
  ASSERT_TRUE(WriteModelFile(twice.c_str(), kModelFileAscii, *GetCurrentPoly()));
  EXPECT_EQ(SavedBytes(twice), SavedBytes(once));
  EXPECT_NE(SavedBytes(once).find("  Layout\tLayout2\n"), std::string::npos);

  // A current event past the last one: the tour is left out, with one warning.
  GetTour().SetCurrentEvent(GetTour().GetEvent(1));
  ASSERT_TRUE(WriteModelFile(text.c_str(), kModelFileAscii, *GetCurrentPoly()));
  WriteChanged("  Current\t1\n", "  Current\t2\n", SavedBytes(text), changed);
  GetTour().SetCurrentEvent(GetTour().GetEvent(0));
  // Opened by the document, the file's warning is told in a box.
  messages.Clear();
  ASSERT_TRUE(Doc().OnOpenDocument(changed.c_str()));
  ASSERT_EQ(messages.Boxes().size(), 1u);
  EXPECT_EQ(messages.Boxes()[0].title, "Warning");
  EXPECT_NE(messages.Boxes()[0].text.find("'Tour' was left out"), std::string::npos) << messages.Boxes()[0].text;
  EXPECT_EQ(GetTour().GetCurrentEvent(), GetTour().GetEvent(0));
}

// One bad value in a section costs that section alone: the model and the other
// sections come back, and one warning names the file, the section and what is wrong.
TEST_F(SceneFuzzTest, ADamagedSectionCostsOnlyItself) {
  const std::filesystem::path folder = ScratchDir("scene-damaged");
  const std::string path = (folder / "scene.corv").string();
  ASSERT_TRUE(WriteModelFile(path.c_str(), kModelFileAscii, *GetCurrentPoly()));
  const std::string saved = SavedBytes(path);
  const std::vector<std::string> state = State();
  struct Damage {
    const char* section;
    const char* from;
    const char* to;
    const char* why;
  };
  const Damage damages[] = {
      {kSceneSectionTour, "    Duration\t2.70000005\n", "    Duration\t0\n", "duration"},
      {kSceneSectionPanes, "  Pane\t1\t", "  Pane\t9\t", "pane"},
      {kSceneSectionLayouts, "  CurrentLayout\t", "  Pane\n  CurrentLayout\t", "Pane"},
      {kSceneSectionMouseThrows, "\n0.59999999999999998\t", "\nnan\t", "number"},
      {kSceneSectionStellation, "  ShownSide\t1\n", "  ShownSide\t2\n", "side"},
      {kSceneSectionPanes, "  Active\t1\n", "  Active\t-1\n", "active pane"},
  };
  auto& messages = Platform().messages;
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.section);
    const std::string changed = (folder / "changed.corv").string();
    WriteChanged(damage.from, damage.to, saved, changed);
    // What the other sections then hold comes from the file: change them first.
    GetTour().SetCurrentEvent(GetTour().GetEvent(0));
    ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
    messages.Clear();
    const Outcome opened = OpenModelFile(changed.c_str(), kOpenModelFilePlain);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(messages.Boxes().empty());
    ASSERT_EQ(opened.warnings().size(), 1u);
    const std::string& text = opened.warnings()[0];
    EXPECT_NE(text.find(changed), std::string::npos) << text;
    EXPECT_NE(text.find("'" + std::string(damage.section) + "' was left out"), std::string::npos) << text;
    EXPECT_NE(text.find(damage.why), std::string::npos) << text;
    // The model is the file's, and every section but the damaged one as saved.
    const std::vector<std::string> now = State();
    for (size_t i = 0; i < now.size(); ++i) {
      if (i < std::size(kSectionNames) && kSectionNames[i] == std::string(damage.section)) continue;
      EXPECT_EQ(now[i], state[i]) << i;
    }
    // The tour left out stays as it was.
    if (damage.section == std::string(kSceneSectionTour)) {
      EXPECT_EQ(GetTour().GetCurrentEvent(), GetTour().GetEvent(0));
    }
  }
}

// The stellation of a saved scene is set up again when the file opens, under the
// progress window: Cancel there stops that set-up alone. The file's model and the rest
// of its scene come, the side is left unstellated, and nothing is said; opened again,
// the stellation comes back.
TEST_F(SceneFuzzTest, ACancelOfTheStellationsSetUpLeavesTheFilesModelUnstellated) {
  const std::filesystem::path folder = ScratchDir("scene-stellation-cancel");
  const std::string path = (folder / "scene.corv").string();
  ASSERT_TRUE(WriteModelFile(path.c_str(), kModelFileBinary, *GetCurrentPoly()));
  const std::vector<std::string> saved = State();
  // Time moves on at every reading, so that the window shows within the set-up.
  TickingClock steps(0.05);
  platform::ServiceSet services = platform::Services();
  services.clock = &steps;
  const platform::ServiceSet before = platform::InstallServices(services);
  auto& progress = Platform().progress;
  int cancels = 0;
  progress.Current()->onPump = [&](platform::HeadlessProgressWindow::State& window) {
    // The first words of the stellation's set-up.
    if (window.caption.rfind("Creating symmetric facets", 0) != 0 || cancels > 0) return;
    window.cancelClicked = true;
    ++cancels;
  };
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  Platform().messages.Clear();
  const Outcome opened = OpenModelFile(path.c_str(), kOpenModelFilePlain);
  progress.Current()->onPump = nullptr;
  platform::InstallServices(before);
  ASSERT_EQ(cancels, 1);
  ASSERT_TRUE(opened);
  EXPECT_TRUE(opened.warnings().empty()) << opened.warnings()[0];
  EXPECT_TRUE(Platform().messages.Boxes().empty());
  EXPECT_FALSE(IsProgressActive());
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 20);
  EXPECT_FALSE(GetCurrentPoly()->mDualBlock->IsStellated());
  // The other sections are the file's.
  const std::vector<std::string> now = State();
  for (size_t i = 1; i < now.size(); ++i) EXPECT_EQ(now[i], saved[i]) << i;
  ASSERT_TRUE(OpenModelFile(path.c_str(), kOpenModelFilePlain));
  EXPECT_EQ(Difference(State(), saved), "");
}

// A tour event's name of another encoding is told as the model's names are: the file
// opens with one warning naming the section and the line, the name's bytes replaced by
// "?", and saved again it opens without a word.
TEST_F(SceneFuzzTest, ATourEventsNameOfAnotherEncodingIsToldAndReplaced) {
  const std::filesystem::path folder = ScratchDir("scene-encoding");
  const std::string path = (folder / "scene.corv").string();
  ASSERT_TRUE(WriteModelFile(path.c_str(), kModelFileAscii, *GetCurrentPoly()));
  const std::string saved = SavedBytes(path);
  const std::string changed = (folder / "changed.corv").string();
  const std::string name = "\"A \\\"quoted\\\" name\"";
  WriteChanged(name, "\"A \\\"quoted\\\" n\xE4me\"", saved, changed);
  const long line = std::count(saved.begin(), saved.begin() + long(saved.find(name)), '\n') + 1;
  const Outcome opened = OpenModelFile(changed.c_str(), kOpenModelFilePlain);
  ASSERT_EQ(opened.warnings().size(), 1u);
  EXPECT_NE(opened.warnings()[0].find("The scene section 'Tour' (line " + std::to_string(line) +
                                      "): A tour event's name held bytes that are no UTF-8 text"),
            std::string::npos)
      << opened.warnings()[0];
  ASSERT_EQ(GetTour().GetNumEvents(), 2);
  EXPECT_EQ(GetTour().GetEvent(1)->mName, "A \"quoted\" n?me\nover two lines");
  ASSERT_TRUE(WriteModelFile(path.c_str(), kModelFileAscii, *GetCurrentPoly()));
  const std::vector<std::string> state = State();
  EXPECT_TRUE(OpenModelFile(path.c_str(), kOpenModelFilePlain).warnings().empty());
  EXPECT_EQ(Difference(State(), state), "");
}

}  // namespace
}  // namespace corvia::testing
