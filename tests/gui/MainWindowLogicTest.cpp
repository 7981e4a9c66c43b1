// What the main window decides without showing anything: the command table, the
// element words of command texts, the layout records and their scene section, the
// ratios of the grid splitters, and the menu style.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "core/ioStream.h"
#include "model/Globals.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/ElementWords.h"
#include "ui/Icons.h"
#include "ui/Layouts.h"
#include "ui/OwnerDrawMenu.h"

namespace {

using namespace corvia;

TEST(CommandTable, IdsAndPathsAreUniqueAndEveryImageExists) {
  std::set<int> ids;
  std::set<std::string> paths;
  for (const CommandInfo& info : GetCommandTable()) {
    if (info.id == kCommandSeparator) continue;
    EXPECT_TRUE(ids.insert(info.id).second) << "command " << info.id << " twice";
    if (*info.path) {
      EXPECT_TRUE(paths.insert(info.path).second) << info.path;
    }
    if (*info.icon) {
      EXPECT_TRUE(HasIcon(info.icon)) << info.icon;
    }
    const bool noItem = info.flags & (kCommandKeyOnly | kCommandNoItem);
    EXPECT_EQ(noItem, !*info.path) << "command " << info.id;
    EXPECT_GE(SplitMenuPath(info.path).size(), noItem ? 0u : 2u) << info.id;
  }
  // The faceting code names the isohedral criteria by this id.
  ASSERT_NE(FindCommand(kCommandFacetingIsohedral), nullptr);
  EXPECT_EQ(GetCommandMenuPath(kCommandFacetingIsohedral), "Faceting->Faceting Criteria->Isohedral");
}

TEST(CommandTable, PathsPromptsAndAccelerators) {
  EXPECT_EQ(GetCommandMenuPath(32940), "Selection->Mouse Selection Mode->Faceting Mode");
  EXPECT_EQ(GetCommandMenuPath(32826), "");  // Ctrl+1 has no item
  EXPECT_EQ(GetCommandPrompt(32984), "Set Single Face Color");
  EXPECT_EQ(GetCommandPrompt(32815), "Next Stellation");
  EXPECT_EQ(StripMenuText("Tidy Facetings && Duals\tCtrl+T"), "Tidy Facetings & Duals");
  // An "&" before a blank or at the end marks no key: it is the text's own.
  EXPECT_EQ(GetCommandMenuPath(32935), "Display->Vertex & Edge Options->Show Vertices");
  EXPECT_EQ(StripMenuText("A &"), "A &");
  EXPECT_EQ(MenuLabelText("Vertex & Edge Options"), "Vertex && Edge Options");
  EXPECT_EQ(MenuLabelText("&Display"), "&Display");
  EXPECT_EQ(MenuLabelText("Tidy && Duals &"), "Tidy && Duals &&");
  EXPECT_TRUE(MenuTextEquals("&Debug", "Debug"));
  EXPECT_TRUE(MenuTextEquals("4&D", "&4D"));
  EXPECT_FALSE(MenuTextEquals("Debug", "Debugging"));
  EXPECT_FALSE(MenuTextEquals("De&bug", "Debog"));
  EXPECT_TRUE(MenuTextEquals("", "&&"));
  EXPECT_FALSE(MenuTextEquals(nullptr, "x"));

  int flags = 0, key = 0;
  ASSERT_TRUE(ParseAccelerator("Ctrl+Shift+C", flags, key));
  EXPECT_EQ(flags, kAccelCtrl | kAccelShift);
  EXPECT_EQ(key, 'C');
  ASSERT_TRUE(ParseAccelerator("Shift+Right Arrow", flags, key));
  EXPECT_EQ(key, kKeyRight);
  ASSERT_TRUE(ParseAccelerator("F1", flags, key));
  EXPECT_EQ(key, kKeyF1);
  EXPECT_FALSE(ParseAccelerator("Ctrl+1-6", flags, key));
  EXPECT_FALSE(ParseAccelerator("F13", flags, key));
  EXPECT_EQ(WxAcceleratorText("Ctrl+Left Arrow"), "Ctrl+Left");
  EXPECT_EQ(MenuItemText("Select None", "N"), "Select None\tN");
  EXPECT_EQ(MenuItemText("Choose Layout...", "Ctrl+1-6"), "Choose Layout...");
}

TEST(ElementWords, CaseOfTheMatchedWordCarriesOver) {
  std::string text = "Faces";
  EXPECT_TRUE(ReplaceWordKeepCase(text, "face", "vertex"));
  EXPECT_EQ(text, "Vertexs");  // the plural is not special
  text = "Faces";
  EXPECT_TRUE(ReplaceWordKeepCase(text, "faces", "vertices"));
  EXPECT_EQ(text, "Vertices");
  text = "";
  EXPECT_FALSE(ReplaceWordKeepCase(text, "face", "cell"));
  // Only whole words from their start: "surface" is no face.
  text = "Surface of a FACE";
  EXPECT_TRUE(ReplaceWordKeepCase(text, "face", "cell"));
  EXPECT_EQ(text, "Surface of a CELL");
  // A longer word never outgrows the buffer.
  text = std::string(75, 'x') + " face";
  EXPECT_TRUE(ReplaceWordKeepCase(text, "face", "vertex", 80));
  EXPECT_EQ(text.size(), 79u);
}

TEST(ElementWords, SelectionDecidesTheWords) {
  ElementWordState vertex;
  vertex.selectionIsVertex = true;
  std::string text = "Set Single Face Color...";
  EXPECT_TRUE(SwapElementWords(text, true, vertex));
  EXPECT_EQ(text, "Set Single Vertex Color...");
  text = "Show/Hide Selected Face";  // allowVertex false keeps face words
  EXPECT_FALSE(SwapElementWords(text, false, vertex));
  EXPECT_EQ(text, "Show/Hide Selected Face");

  ElementWordState edge;
  edge.edgeSelected = true;
  text = "Show/Hide Selected Face";
  EXPECT_TRUE(SwapElementWords(text, false, edge));
  EXPECT_EQ(text, "Show/Hide Selected Edge");
  text = "Show/Hide Faces of Selected Type";
  EXPECT_TRUE(SwapElementWords(text, false, edge));
  EXPECT_EQ(text, "Show/Hide Edges of Selected Type");

  ElementWordState cells;
  cells.fourDimensional = true;
  text = "Select Faces/Vertices";
  EXPECT_TRUE(SwapFaceCellWords(text, cells));
  EXPECT_EQ(text, "Select Cells/Vertices");
  text = "Cell";
  EXPECT_TRUE(SwapFaceCellWords(text, ElementWordState{}));
  EXPECT_EQ(text, "Face");
  EXPECT_EQ(GetElementWordRule(32984), ElementWordRule::ElementsOrVertex);
  EXPECT_EQ(GetElementWordRule(32926), ElementWordRule::Elements);
  EXPECT_EQ(GetElementWordRule(32792), ElementWordRule::None);
}

TEST(Layouts, RecordsAndDefaultViewTypes) {
  ResetLayouts();
  ResetLayoutViewTypes();
  const LayoutRecord* r = GetLayoutRecord(kLayout5SplitRight);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->numPanes, 5);
  EXPECT_EQ(r->mainColumns, 2);
  EXPECT_EQ(r->nestedRows, 2);
  EXPECT_EQ(r->nestedColumns, 2);
  EXPECT_EQ(r->nestedColumn, 1);
  EXPECT_EQ(r->numRatios, -1);
  EXPECT_EQ(GetLayoutRecord(11), nullptr);
  EXPECT_EQ(GetLayoutViewType(kLayout6, 3), 0x2903);
  EXPECT_EQ(GetLayoutViewType(kLayout6, 5), 0xA40A);
  EXPECT_EQ(GetLayoutViewType(kLayout4Grid, 3), 0x1A01);
  EXPECT_EQ(GetLayoutViewType(kLayout1, 1), 0x1900);
  EXPECT_EQ(GetLayoutName(kLayout3SplitLeft), std::string("Layout3SplitLeft"));
}

TEST(Layouts, SplitterRatios) {
  ResetLayouts();
  // The first column of the split layouts, for the main splitter only.
  EXPECT_FLOAT_EQ(InitialSplitterRatios(GetLayoutRecord(3), 3, 1, 2, false)[0], 1.0f / 3);
  EXPECT_FLOAT_EQ(InitialSplitterRatios(GetLayoutRecord(7), 7, 1, 2, false)[0], 0.75f);
  EXPECT_FLOAT_EQ(InitialSplitterRatios(GetLayoutRecord(7), 7, 3, 1, true)[0], 1.0f / 3);
  const std::vector<float> six = InitialSplitterRatios(GetLayoutRecord(10), 10, 2, 3, false);
  ASSERT_EQ(six.size(), 3u);
  EXPECT_FLOAT_EQ(six[2], 0.5f);

  // Stored ratios count only when there are as many as the layout needs, each a
  // fraction: a scene with one value for Layout6 or a negative one takes the defaults.
  LayoutRecord& record = *GetLayoutRecord(kLayout6);
  record.numRatios = 1;
  record.ratios[0] = 0.9f;
  EXPECT_FLOAT_EQ(InitialSplitterRatios(&record, kLayout6, 2, 3, false)[0], 1.0f / 3);
  record.numRatios = 3;
  record.ratios[0] = 0.2f, record.ratios[1] = 0.3f, record.ratios[2] = -0.5f;
  EXPECT_FLOAT_EQ(InitialSplitterRatios(&record, kLayout6, 2, 3, false)[0], 1.0f / 3);
  record.ratios[2] = 0.6f;
  EXPECT_FLOAT_EQ(InitialSplitterRatios(&record, kLayout6, 2, 3, false)[1], 0.3f);

  const float half[1] = {0.5f};
  EXPECT_EQ(SizesFromRatios(101, half, 1), (std::vector<int>{51, 50}));  // half away from zero
  const float over[2] = {0.8f, 0.8f};
  EXPECT_EQ(SizesFromRatios(100, over, 2), (std::vector<int>{80, 20, 0}));
  const std::vector<float> back = RatiosFromSizes({200, 400});
  ASSERT_EQ(back.size(), 1u);
  EXPECT_FLOAT_EQ(back[0], 1.0f / 3);
  EXPECT_TRUE(RatiosFromSizes({0, 0}).empty());
  ResetLayouts();
}

// The section through a real ASCII file, read back by the same reader.
std::string WriteSectionText() {
  const std::string path = (corvia::testing::ScratchDir("layouts") / "scene.txt").string();
  ioStream* w = ioOpenWrite(path.c_str(), "Scene", 1, 0, kIoModeAscii, nullptr, nullptr, nullptr).release();
  EXPECT_NE(w, nullptr);
  EXPECT_TRUE(WriteLayouts(w, 2));
  ioClose(w);
  std::ifstream in(path);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

TEST(Layouts, SectionIsWrittenLineByLine) {
  ResetLayouts();
  SetCurrentLayoutIndex(kLayout2);
  LayoutRecord& two = *GetLayoutRecord(kLayout2);
  two.numRatios = 1;
  two.ratios[0] = 0.5f;
  GetLayoutRecord(kLayout1)->numRatios = 0;
  const std::string text = WriteSectionText();
  const std::string body = text.substr(text.find('\n') + 1);
  EXPECT_EQ(body,
            "  CurrentLayout\tLayout2\n"
            "  Layout\tLayout1\n"
            "  Layout\tLayout2\n"
            "    Ratios\t1\t0.5\n"
            "  EndSection\n");
  ResetLayouts();
  SetCurrentLayoutIndex(-1);
}

// Reads a section from text (the reader's header first); the stream's error messages
// are collected.
bool ReadSection(const std::string& section, int defaultCurrent, std::vector<std::string>* errors = nullptr) {
  const std::string text = "Scene ASCII 1.00\n" + section;
  const std::string path = (corvia::testing::ScratchDir("layouts-read") / "scene.txt").string();
  std::ofstream(path) << text;
  ioStream* r = ioOpenRead(path.c_str(), "Scene", 1, 0, nullptr,
                           [errors](int level, const char*, const char* message) {
                             if (errors && level >= kIoLevelError) errors->push_back(message);
                             return 0;
                           },
                           nullptr, 0).release();
  EXPECT_NE(r, nullptr);
  const bool ok = ReadLayouts(r, defaultCurrent, true);
  ioClose(r);
  return ok;
}

TEST(Layouts, HostileSectionsDoNoHarm) {
  corvia::testing::Platform().messages.TakeBoxes();
  // A layout number beyond the eleven names no record; its ratios go nowhere.
  EXPECT_TRUE(
      ReadSection("CurrentLayout\t57\nLayout\t57\n  Ratios\t3\t0.1\t0.2\t0.3\nLayout\tLayout2\n"
                  "  Ratios\t5\t0.25\t9\t9\t9\t9\nEndSection\n",
                  kLayout2));
  EXPECT_EQ(GetLayoutRecord(kLayout2)->numRatios, 3);  // more than three keep three
  EXPECT_FLOAT_EQ(GetLayoutRecord(kLayout2)->ratios[0], 0.25f);
  for (int i = 0; i < kNumLayouts; ++i) {
    if (i != kLayout2) {
      EXPECT_EQ(GetLayoutRecord(i)->numRatios, -1) << i;
    }
  }
  // Ratios that make no layout are not used: Layout2 takes its default half.
  EXPECT_FLOAT_EQ(InitialSplitterRatios(GetLayoutRecord(kLayout2), kLayout2, 1, 2, false)[0], 0.5f);

  // A layout of another version is passed over without a word; a token the section
  // does not know fails it, through the stream, whose reader (a model file) tells the
  // user once.
  std::vector<std::string> errors;
  EXPECT_FALSE(ReadSection("CurrentLayout\tLayout6\nPanes\t3\nEndSection\n", kLayout2, &errors));
  ASSERT_FALSE(errors.empty());
  EXPECT_NE(errors.back().find("Didn't expect layout token"), std::string::npos) << errors.back();
  EXPECT_TRUE(corvia::testing::Platform().messages.TakeBoxes().empty());
  ResetLayouts();
}

TEST(OwnerDrawMenuStyle, ClassicOrFlat) {
  EXPECT_EQ(ChooseMenuStyle(0xC0C0C0, 0xFFFFFF, 24), MenuStyle::Flat);
  EXPECT_EQ(ChooseMenuStyle(0xC0C0C0, 0xC0C0C0, 24), MenuStyle::Classic);
  EXPECT_EQ(ChooseMenuStyle(0xC0C0C0, 0xFFFFFF, 8), MenuStyle::Classic);
  EXPECT_EQ(LightenColor(0x000000, 0.5), 0x7F7F7Fu);
  EXPECT_EQ(LightenColor(0x0000FF, 1.0), 0xFFFFFFu);
  EXPECT_EQ(LightenColor(0x123456, 0.0), 0x123456u);
  EXPECT_EQ(LightenColor(0x123456, 1.5), 0x123456u);
}

}  // namespace
