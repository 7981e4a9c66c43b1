// The settings table: a first start, settings of an older version, a damaged file,
// the special rules of single values, and what a save writes, value by value.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "app/FontSetups.h"
#include "app/PolyDoc.h"
#include "app/Settings.h"
#include "core/Folders.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/Registry.h"
#include "core/Units.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "nets/NetSettings.h"
#include "platform/SettingsStore.h"
#include "render/DisplaySettings.h"
#include "render/GeomagStyle.h"
#include "render/ModelDrawSettings.h"
#include "render/NewView.h"
#include "render/LightSets.h"
#include "render/MouseThrow.h"
#include "render/OpenGLView.h"
#include "symmetry/SymOperations.h"
#include "ui/Layouts.h"
#include "stellation/StellationCell.h"
#include "tests/support/TestSupport.h"

namespace test_Settings {

using namespace corvia;

constexpr const char* kKey = "Software\\CorviaSoft\\Corvia\\Settings";

uint32_t FloatBits(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// One row of the table as the store holds it: a number (bools, ints, float bits,
// packed colours) or a text.
struct Stored {
  const char* name;
  std::variant<uint32_t, std::string> value;
};

// Every value a save of the built-in defaults writes, in the table's order. The units,
// margins, line widths and net spacing are the units object's own defaults
// (centimetres, and one centimetre between nets).
std::vector<Stored> DefaultTable() {
  const float cream[3] = {1.0f, 1.0f, 0.8f};
  const float grey[3] = {0.5f, 0.5f, 0.5f};
  const float white[3] = {1.0f, 1.0f, 1.0f};
  const float blue[3] = {0.0f, 0.7f, 1.0f};
  return {
      {"DistUnits", 1u},
      {"AngleUnits", 0u},
      {"Version", 5004u},
      {"NewStyleTitleBars", 1u},
      {"Geomag", 0u},
      {"EnableTransitions", 1u},
      {"PivotAroundAxis", 0u},
      {"RainbowColors", 0u},
      {"ShowVerts", 0u},
      {"ShowEdges", 0u},
      {"ShowStelVerts", 0u},
      {"ShowStelEdges", 0u},
      {"SpheresAndCylinders", 0u},
      {"SphereRadBasedOn", 0u},
      {"SphereRad", FloatBits(0.4f)},
      {"CylinderRad", FloatBits(0.7f)},
      {"ShareMaterial", 0u},
      {"SphereMaterial", 2u},
      {"CylinderMaterial", 3u},
      {"VertSize", FloatBits(3.0f)},
      {"EdgeWidth", FloatBits(1.0f)},
      {"SphereColor", PackRegistryColor(cream)},
      {"CylinderColor", PackRegistryColor(cream)},
      {"VertColor", PackRegistryColor(cream)},
      {"EdgeColor", PackRegistryColor(cream)},
      {"BGColor", PackRegistryColor(grey)},
      {"TitleColor", PackRegistryColor(white)},
      {"MidsphereColor", PackRegistryColor(blue)},
      {"BGImage", std::string()},
      {"BGImageFit", 0u},
      {"BGImageAlpha", 0u},
      {"UndoEnabled", 1u},
      {"MaxUndoSize", 33554432u},
      {"MinNumUndos", 2u},
      {"MaxNumUndos", 1000u},
      {"AutoFrameStellation", 1u},
      {"TabType", 3u},
      {"TabSize", FloatBits(283.46456692913387f)},
      {"Show3DTabs", 1u},
      {"LeftMargin", 0u},
      {"RightMargin", 0u},
      {"TopMargin", 0u},
      {"BottomMargin", 0u},
      {"PrintLineWidth", 1u},
      {"PrintCellLineWidth", 10u},
      {"NetSpacing", 567u},
      {"ShowMessages", 0xFFFFFFFFu},
      {"UseStencil", 1u},
      {"AutoStencil", 1u},
      {"HideFacetingDiagram", 1u},
      {"HideFacetingVertices", 1u},
      {"TopInfoItem", std::string()},
      {"ExportOrientation", 0u},
      {"ExportSameSizeAsView", 0u},
      {"ExportFit", 1u},
      {"ExportFitLoose", 0u},
      {"ExportBorders", 0u},
      {"ExportAspect", std::string("1")},
      {"ExportHideText", 1u},
      {"ExportOpen", 0u},
      {"ExportWidth", 500u},
      {"ExportHeight", 500u},
      {"ExportOverSample", 2u},
      {"ExportUnitScale", 0u},
      {"ExportDPI", 96u},
      {"ExportJPegQuality", 95u},
      {"ExportIsAnimation", 0u},
      {"ExportTour", 0u},
      {"ExportEndAfterFinalFrame", 1u},
      {"ExportNumRotations", std::string("1/5")},
      {"Export4DRot", 1u},
      {"ExportTiltAxis", std::string("0")},
      {"ExportStartRatio", std::string("0")},
      {"ExportEndRatio", std::string("1")},
      {"ExportIsPreviewing", 1u},
      {"ExportFps", 0u},
      {"ExportInterlaceMethod", 0u},
      {"ExportNumFrames", 0u},
      {"ExportCompression", 0u},
      {"ExportQuality", 0u},
      {"ExportImageType", 0u},
      {"UpdateCheckUrl", std::string()},
      {"CheckForUpdates", 1u},
      {"LastUpdateCheckDay", 0u},
  };
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mFolder = corvia::testing::ScratchDir("settings");
    mStore = std::make_unique<platform::SettingsStore>(mFolder / "settings.conf");
    mPrevious = platform::SettingsStore::InstallInstance(mStore.get());
    // Every variable the table reaches, to put back after the test.
    mDisplay = GetDisplaySettings();
    mModel = GetModelDrawSettings();
    mNets = GetNetSettings();
    mUnits = GetUnitSettings();
    mApp = GetAppSettings();
    mMask = GetSavedMessageMask();
    mCaptions = GetCaptionsShown();
    mTwist = GetTwistWithSpace();
    mTransitions = AreTransitionsEnabled();
    std::copy(GetDefaultBackgroundColor(), GetDefaultBackgroundColor() + 3, mBackground);
    std::copy(DefaultVertexColor, DefaultVertexColor + 3, mVertex);
    std::copy(GetNewEdgeColor(), GetNewEdgeColor() + 3, mEdge);
    for (int i = 0; i < static_cast<int>(DefaultFolderKind::Count); ++i) {
      mFolders[i] = DefaultFolder(static_cast<DefaultFolderKind>(i)).GetPath();
    }
    corvia::testing::Platform().messages.Clear();
  }

  void TearDown() override {
    GetDisplaySettings() = mDisplay;
    GetModelDrawSettings() = mModel;
    GetNetSettings() = mNets;
    GetUnitSettings() = mUnits;
    GetAppSettings() = mApp;
    SetSavedMessageMask(mMask);
    SetCaptionsShown(mCaptions);
    SetTwistWithSpace(mTwist);
    SetTransitionsEnabled(mTransitions);
    SetDefaultBackgroundColor(mBackground[0], mBackground[1], mBackground[2]);
    std::copy(mVertex, mVertex + 3, DefaultVertexColor);
    SetNewEdgeColor(mEdge);
    for (int i = 0; i < static_cast<int>(DefaultFolderKind::Count); ++i) {
      DefaultFolder(static_cast<DefaultFolderKind>(i)).SetPath(mFolders[i].c_str());
    }
    InitFontSetups();
    platform::SettingsStore::InstallInstance(mPrevious);
  }

  // Every value of the table as a save wrote it.
  void ExpectStored(const std::vector<Stored>& table) {
    for (const Stored& row : table) {
      if (const auto* number = std::get_if<uint32_t>(&row.value)) {
        uint32_t stored = 0;
        EXPECT_TRUE(mStore->GetNumber(kKey, row.name, stored)) << row.name;
        EXPECT_EQ(stored, *number) << row.name;
      } else {
        std::string stored = "unset";
        EXPECT_TRUE(mStore->GetString(kKey, row.name, stored)) << row.name;
        EXPECT_EQ(stored, std::get<std::string>(row.value)) << row.name;
      }
    }
  }

  int Boxes(const char* title) { return corvia::testing::Platform().messages.CountTitled(title); }

  std::filesystem::path mFolder;
  std::unique_ptr<platform::SettingsStore> mStore;
  platform::SettingsStore* mPrevious = nullptr;
  DisplaySettings mDisplay;
  ModelDrawSettings mModel;
  NetSettings mNets;
  UnitSettings mUnits;
  AppSettings mApp;
  uint32_t mMask = 0;
  bool mCaptions = true;
  bool mTwist = false;
  bool mTransitions = true;
  float mBackground[3];
  float mVertex[3];
  float mEdge[3];
  std::string mFolders[static_cast<int>(DefaultFolderKind::Count)];
};

TEST_F(SettingsTest, FirstStartKeepsEveryDefaultAndSavesThem) {
  LoadSettings();
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  EXPECT_EQ(GetUnitSettings().mDistanceUnit, kUnitCentimetre);
  EXPECT_EQ(GetNetSettings().tabSizeTwips, kDefaultTabSizeTwips);
  EXPECT_TRUE(GetModelDrawSettings().useStencil);
  EXPECT_EQ(GetModelDrawSettings().sphereRad, 0.4);
  ASSERT_NE(FindFontSetup(kDefaultFontSetup), nullptr);
  ASSERT_NE(FindFontSetup(kScreenFontSetup), nullptr);

  // The folders are written as they are: blank ones stay blank.
  for (DefaultFolderKind kind : {DefaultFolderKind::Program, DefaultFolderKind::Tour, DefaultFolderKind::Export,
                                 DefaultFolderKind::Image, DefaultFolderKind::Text}) {
    DefaultFolder(kind).SetPath("");
  }
  SaveSettings();
  std::vector<Stored> table = DefaultTable();
  for (const char* browse : {"BrowseCorv", "BrowseTour", "BrowseExport", "BrowseImage", "BrowseText"}) {
    table.push_back({browse, std::string()});
  }
  ExpectStored(table);
  // No export folder is written while it is blank, and no font set-up is a user's.
  std::string folder;
  EXPECT_FALSE(mStore->GetString(kKey, "ExportFolder0", folder));
  EXPECT_TRUE(mStore->SubKeys(std::string(kKey) + "\\FontSetups").empty());
  // The file was written.
  platform::SettingsStore reread(mStore->File());
  reread.Load();
  uint32_t version = 0;
  EXPECT_TRUE(reread.GetNumber(kKey, "Version", version));
  EXPECT_EQ(version, 5004u);
}

TEST_F(SettingsTest, OlderSettingsShowTheChangesNoteOnce) {
  mStore->SetNumber(kKey, "DistUnits", 2);
  mStore->SetNumber(kKey, "Version", 1500);
  mStore->SetNumber(kKey, "NetSpacing", 1000);
  LoadSettings();
  ASSERT_EQ(Boxes("Information"), 1);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes()[0].text.substr(0, 49),
            "Here's a few more changes you should be aware of:");
  EXPECT_EQ(GetUnitSettings().mDistanceUnit, kUnitMetre);
  // The spacing of older settings counted a 5 mm tab on each side: 1000 - 567.
  EXPECT_EQ(GetUnitSettings().mNetSpacing, 433);

  SaveSettings();
  corvia::testing::Platform().messages.Clear();
  LoadSettings();
  EXPECT_EQ(Boxes("Information"), 0);
  EXPECT_EQ(GetAppSettings().storedVersion, 5004);
  EXPECT_EQ(GetUnitSettings().mNetSpacing, 433);

  // Settings without units were never written by an earlier version: no note.
  mStore->Clear();
  mStore->SetNumber(kKey, "Version", 1500);
  corvia::testing::Platform().messages.Clear();
  LoadSettings();
  EXPECT_EQ(Boxes("Information"), 0);
}

TEST_F(SettingsTest, DamagedFileGivesDefaultsAndOneMessage) {
  {
    std::ofstream file(mFolder / "settings.conf", std::ios::binary);
    file << "\x01\x02 this is not a settings file {{{";
  }
  platform::LoadResult loaded = mStore->Load();
  EXPECT_TRUE(loaded.damaged);
  ASSERT_FALSE(loaded.warning.empty());
  ShowWarning("%s", loaded.warning.c_str());
  LoadSettings();
  EXPECT_EQ(Boxes("Warning"), 1);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().size(), 1u);
  EXPECT_EQ(GetModelDrawSettings().sphereMaterial, kMaterialGold);
  EXPECT_EQ(GetNetSettings().tabType, kTabKindDouble);
  SaveSettings();
  ExpectStored(DefaultTable());
}

TEST_F(SettingsTest, ValuesWithRulesOfTheirOwn) {
  // 0.5 mm stays although it reads back a little below it at float precision; less
  // becomes 5 mm.
  mStore->SetNumber(kKey, "TabSize", FloatBits(28.34645669291339f));
  mStore->SetNumber(kKey, "Version", 5004);
  LoadSettings();
  EXPECT_NEAR(GetNetSettings().tabSizeTwips, 28.3464566, 1e-5);
  mStore->SetNumber(kKey, "TabSize", FloatBits(20.0f));
  LoadSettings();
  EXPECT_EQ(GetNetSettings().tabSizeTwips, 283.46456692913387);

  // Without the stencil there is no automatic choice, whatever was stored.
  mStore->SetNumber(kKey, "UseStencil", 0);
  mStore->SetNumber(kKey, "AutoStencil", 1);
  LoadSettings();
  EXPECT_FALSE(GetModelDrawSettings().useStencil);
  EXPECT_FALSE(GetDisplaySettings().autoStencil);

  // The stored auto-frame switch reaches the stellation's own.
  mStore->SetNumber(kKey, "AutoFrameStellation", 0);
  LoadSettings();
  EXPECT_FALSE(AutoFrameStellation);
  mStore->SetNumber(kKey, "AutoFrameStellation", 1);
  LoadSettings();
  EXPECT_TRUE(AutoFrameStellation);

  // A blank export folder is the working directory; another blank folder has no path.
  mStore->SetString(kKey, "BrowseExport", "");
  mStore->SetString(kKey, "BrowseTour", " ");
  mStore->SetString(kKey, "BrowseImage", "/pictures/");
  LoadSettings();
  EXPECT_EQ(std::filesystem::path(DefaultFolder(DefaultFolderKind::Export).GetPath()),
            std::filesystem::current_path());
  EXPECT_FALSE(DefaultFolder(DefaultFolderKind::Tour).HasPath());
  EXPECT_STREQ(DefaultFolder(DefaultFolderKind::Image).GetPath(), "/pictures/");

  // Colours, the construction-toy flag and the mask come back as they were stored.
  const float pink[3] = {1.0f, 0.5f, 0.75f};
  mStore->SetNumber(kKey, "BGColor", PackRegistryColor(pink));
  mStore->SetNumber(kKey, "Geomag", 1);
  mStore->SetNumber(kKey, "ShowMessages", 0x5);
  LoadSettings();
  EXPECT_NEAR(GetDefaultBackgroundColor()[1], 128.0 / 255.0, 1e-6);
  EXPECT_TRUE(GetAppSettings().geomag);
  EXPECT_EQ(GetSavedMessageMask(), 0x5u);
  SaveSettings();
  uint32_t geomag = 0;
  EXPECT_TRUE(mStore->GetNumber(kKey, "Geomag", geomag));
  EXPECT_EQ(geomag, 1u);
}

TEST_F(SettingsTest, TheToyStyleIsSavedWithTheUsersOwnSettings) {
  GetModelDrawSettings().sphereRad = 0.25;
  GetModelDrawSettings().spheresAndCylinders = false;
  SetGeomagStyle(true);
  GetAppSettings().geomag = true;
  SaveSettings();
  uint32_t stored = 0;
  EXPECT_TRUE(mStore->GetNumber(kKey, "SphereRad", stored));
  EXPECT_EQ(stored, FloatBits(0.25f));
  EXPECT_TRUE(mStore->GetNumber(kKey, "SpheresAndCylinders", stored));
  EXPECT_EQ(stored, 0u);
  EXPECT_TRUE(mStore->GetNumber(kKey, "Geomag", stored));
  EXPECT_EQ(stored, 1u);
  // The style goes on as it was.
  EXPECT_TRUE(GeomagStyle);
  EXPECT_EQ(GetModelDrawSettings().sphereRad, 0.17);
  EXPECT_TRUE(GetModelDrawSettings().spheresAndCylinders);
  SetGeomagStyle(false);
  EXPECT_EQ(GetModelDrawSettings().sphereRad, 0.25);
}

TEST_F(SettingsTest, UserFontSetupsRoundTrip) {
  InitFontSetups();
  FontSetupEntry* labels = NewFontSetup("Labels");
  labels->face = "Liberation Serif";
  labels->resolution = 64;
  labels->size = 0.125;
  labels->colour = 0x3366CC;
  labels->proportionalTo = 2;
  labels->slots[0] = kFontPlaceFlat | kFontKeepUpright;
  labels->slots[1] = kFontPlaceSitOn | kFontKeepSize | kFontKeepForward;
  labels->slots[2] = kFontPlaceScreenAlign;
  SaveSettings();
  const std::string key = std::string(kKey) + "\\FontSetups\\Labels";
  uint32_t flat = 0;
  EXPECT_TRUE(mStore->GetNumber(key, "FontFlat0", flat));
  EXPECT_EQ(flat, 1u);
  EXPECT_FALSE(mStore->KindOf(key, "FontExtend0").has_value());
  // A set-up deleted since is gone from the store at the next save.
  mStore->CreateKey(std::string(kKey) + "\\FontSetups\\Old");
  InitFontSetups();
  LoadSettings();
  FontSetupEntry* read = FindFontSetup("Labels");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->face, "Liberation Serif");
  EXPECT_EQ(read->resolution, 64);
  EXPECT_EQ(read->size, 0.125);
  EXPECT_EQ(read->colour, 0x3366CC);
  EXPECT_EQ(read->proportionalTo, 2);
  EXPECT_EQ(read->slots[0], kFontPlaceFlat | kFontKeepUpright);
  EXPECT_EQ(read->slots[1], kFontPlaceSitOn | kFontKeepSize | kFontKeepForward);
  EXPECT_EQ(read->slots[2], kFontPlaceScreenAlign);
  EXPECT_NE(FindFontSetup("Old"), nullptr);
  InitFontSetups();
  NewFontSetup("Labels");
  SaveSettings();
  EXPECT_EQ(mStore->SubKeys(std::string(kKey) + "\\FontSetups"), std::vector<std::string>{"Labels"});
}

}  // namespace test_Settings

namespace test_Settings {

using namespace corvia;

// Every stored value changed from its default, in the store as a run would have left
// it: loading and saving again writes each of them back unchanged, so none is lost or
// left at its default between two runs.
TEST_F(SettingsTest, EveryStoredValueSurvivesARestart) {
  const float rose[3] = {1.0f, 0.2f, 0.4f};
  const float teal[3] = {0.0f, 0.6f, 0.6f};
  const float olive[3] = {0.4f, 0.4f, 0.0f};
  const std::vector<Stored> changed = {
      {"DistUnits", 2u}, {"AngleUnits", 1u}, {"Version", 5004u}, {"NewStyleTitleBars", 0u}, {"Geomag", 1u},
      {"EnableTransitions", 0u}, {"PivotAroundAxis", 1u}, {"RainbowColors", 1u}, {"ShowVerts", 1u},
      {"ShowEdges", 1u}, {"ShowStelVerts", 1u}, {"ShowStelEdges", 1u}, {"SpheresAndCylinders", 1u},
      {"SphereRadBasedOn", 1u}, {"SphereRad", FloatBits(0.5f)}, {"CylinderRad", FloatBits(0.25f)},
      {"ShareMaterial", 1u}, {"SphereMaterial", 4u}, {"CylinderMaterial", 5u}, {"VertSize", FloatBits(5.0f)},
      {"EdgeWidth", FloatBits(2.0f)}, {"Show Vertex Angles", 1u}, {"SphereColor", PackRegistryColor(rose)},
      {"CylinderColor", PackRegistryColor(teal)}, {"VertColor", PackRegistryColor(olive)},
      {"EdgeColor", PackRegistryColor(rose)}, {"BGColor", PackRegistryColor(teal)},
      {"TitleColor", PackRegistryColor(olive)}, {"MidsphereColor", PackRegistryColor(rose)},
      {"BGImage", std::string("/pictures/sky.png")}, {"BGImageFit", 3u}, {"BGImageAlpha", 40u},
      {"UndoEnabled", 0u}, {"MaxUndoSize", 1000000u}, {"MinNumUndos", 3u}, {"MaxNumUndos", 50u},
      {"AutoFrameStellation", 0u}, {"TabType", 2u}, {"TabSize", FloatBits(300.0f)}, {"Show3DTabs", 0u},
      {"LeftMargin", 100u}, {"RightMargin", 200u}, {"TopMargin", 300u}, {"BottomMargin", 400u},
      {"PrintLineWidth", 2u}, {"PrintCellLineWidth", 20u}, {"NetSpacing", 400u}, {"ShowMessages", 7u},
      {"UseStencil", 0u}, {"AutoStencil", 0u}, {"HideFacetingDiagram", 0u}, {"HideFacetingVertices", 0u},
      {"TopInfoItem", std::string("Dual")}, {"ExportFolder0", std::string("/exports/first")},
      {"ExportFolder9", std::string("/exports/last")}, {"ExportOrientation", 1u}, {"ExportSameSizeAsView", 1u},
      {"ExportFit", 0u}, {"ExportFitLoose", 1u}, {"ExportBorders", 1u}, {"ExportAspect", std::string("4/3")},
      {"ExportHideText", 0u}, {"ExportOpen", 1u}, {"ExportWidth", 640u}, {"ExportHeight", 480u},
      {"ExportOverSample", 3u}, {"ExportUnitScale", 1u}, {"ExportDPI", 300u}, {"ExportJPegQuality", 80u},
      {"ExportIsAnimation", 1u}, {"ExportTour", 1u}, {"ExportEndAfterFinalFrame", 0u},
      {"ExportNumRotations", std::string("2/7")}, {"Export4DRot", 0u}, {"ExportTiltAxis", std::string("15")},
      {"ExportStartRatio", std::string("1/4")}, {"ExportEndRatio", std::string("3/4")},
      {"ExportIsPreviewing", 0u}, {"ExportFps", 25u}, {"ExportInterlaceMethod", 1u}, {"ExportNumFrames", 90u},
      {"ExportCompression", 1u}, {"ExportQuality", 75u}, {"ExportImageType", 1u},
      {"BrowseCorv", std::string("/models")}, {"BrowseTour", std::string("/tours")},
      {"BrowseExport", std::string("/exports")}, {"BrowseImage", std::string("/images")},
      {"BrowseText", std::string("/texts")}, {"UpdateCheckUrl", std::string("http://127.0.0.1:9/check")},
      {"CheckForUpdates", 0u}, {"LastUpdateCheckDay", 12345u},
      // What the user chose of the panes and the stellations.
      {"ColorVertsSameAsDualFace", 1u}, {"AllowMouseInertia", 0u}, {"StellationCriteria", 4u}, {"StellationOptions", 5u}, {"Layout", 5u},
      {"LayoutViewTypes",
       std::string("0;0,14;0,14,15;0,14,15;0,14,15;3,9,1,8;0,14,15,1;0,14,15,1;0,14,15,1,2;0,14,15,1,2;0,14,15,3,9,10")},
  };
  // What the test changes beyond the fixture's variables, put back at its end.
  struct Restore {
    bool vertexColours = ColorVertsSameAsDualFace;
    bool inertia = IsMouseInertiaAllowed();
    int32_t criteria = StellationCriteria;
    uint32_t options = StellationOptions;
    StartLayout start = GetStartLayout();
    ~Restore() {
      ColorVertsSameAsDualFace = vertexColours;
      SetMouseInertiaAllowed(inertia);
      SetStellationCriteria(criteria);
      SetStellationOptions(options, true);
      GetStartLayout() = start;
      ApplyStartLayoutViewTypes();
      SetRainbowColors(false);
    }
  } restore;
  for (const Stored& row : changed) {
    if (const auto* number = std::get_if<uint32_t>(&row.value)) {
      mStore->SetNumber(kKey, row.name, *number);
    } else {
      mStore->SetString(kKey, row.name, std::get<std::string>(row.value).c_str());
    }
  }
  LoadSettings();
  // As the start-up applies it.
  SetRainbowColors(GetAppSettings().rainbowColors);
  EXPECT_FALSE(IsMouseInertiaAllowed());
  EXPECT_TRUE(ColorVertsSameAsDualFace);
  EXPECT_EQ(StellationCriteria, kCriteriaMiller);
  EXPECT_EQ(GetStartLayout().layout, kLayout4Grid);
  mStore->Clear();
  SaveSettings();
  ExpectStored(changed);
}

}  // namespace test_Settings
