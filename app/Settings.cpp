// The settings table: one exchange lists every value once, in the order both the
// load and the save handle them, with the special rules beside the values they touch.

#include "app/Settings.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/FontSetups.h"
#include "app/PolyDoc.h"
#include "app/ViewType.h"
#include "core/Folders.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/Registry.h"
#include "core/Strings.h"
#include "core/Units.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "nets/NetSettings.h"
#include "platform/SettingsStore.h"
#include "render/DisplaySettings.h"
#include "render/GeomagStyle.h"
#include "render/ModelDrawSettings.h"
#include "stellation/StellationCell.h"
#include "render/LightSets.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/MouseThrow.h"
#include "render/ViewGroup.h"
#include "symmetry/SymOperations.h"
#include "ui/InfoBar.h"
#include "ui/Layouts.h"
#include "ui/MainFrame.h"
#include "ui/SettingsKeys.h"

namespace corvia {

const char* const kSettingsChangesNote =
    "Here's a few more changes you should be aware of:\n\n"
    "    - I have swapped the zoom and twist functions\n"
    "      of the mouse.  So now Right-Drag zooms, and\n"
    "      Left+Right-Drag twists.  I think this is better\n"
    "      as zoom is a more common function.\n\n"
    "    - Some items from the View and Selection menus\n"
    "      have moved to the new Options menu, in case\n"
    "      you're looking for them.\n\n"
    "    - Some of the keyboard shortcuts for coloring\n"
    "      and hiding have been changed.  See the Color\n"
    "      and Display menus for details.\n\n"
    "For a complete list of changes, see the web site.";

namespace detail_Settings {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kFontSetupsKey = "FontSetups";

// 0.5 mm and 5 mm in twips: a tab smaller than the first is taken as the second.
constexpr double kSmallestTabSize = 28.34645669291339;
constexpr double kDefaultTabSize = 283.46456692913387;
// The stellation option bits the settings keep.
constexpr uint32_t kStoredStellationOptions = kStellationMaintainReflexibility | kStellationFullSupportAroundCore;

// One value of the table, read into or written from its variable. A value that
// cannot be read leaves the variable as it was; one that cannot be written is skipped.
class Exchange {
 public:
  Exchange(RegistryKey* key, bool loading) : mKey(key), mLoading(loading) {}
  bool Loading() const { return mLoading; }

  bool Bool(const char* name, bool& value) {
    if (!mLoading) return SetRegistryBool(mKey, name, value);
    return GetRegistryBool(mKey, name, value);
  }
  bool Int(const char* name, int& value) {
    if (!mLoading) return SetRegistryInt(mKey, name, value);
    return GetRegistryInt(mKey, name, value);
  }
  bool Int32(const char* name, int32_t& value) {
    int v = value;
    const bool done = Int(name, v);
    value = v;
    return done;
  }
  // Kept as the bits of a 32-bit float; the variable changes only when read.
  bool Float(const char* name, double& value) {
    if (!mLoading) return SetRegistryFloat(mKey, name, value);
    double read = value;
    if (!GetRegistryFloat(mKey, name, read)) return false;
    value = read;
    return true;
  }
  bool Float(const char* name, float& value) {
    double v = value;
    const bool done = Float(name, v);
    value = static_cast<float>(v);
    return done;
  }
  bool Colour(const char* name, float* rgb) {
    if (!mLoading) return SetRegistryColor(mKey, name, rgb);
    float read[3] = {rgb[0], rgb[1], rgb[2]};
    if (!GetRegistryColor(mKey, name, read)) return false;
    for (int i = 0; i < 3; ++i) rgb[i] = read[i];
    return true;
  }
  bool String(const char* name, std::string& value) {
    if (!mLoading) return SetRegistryString(mKey, name, value.c_str());
    return GetRegistryCString(mKey, name, value);
  }

 private:
  RegistryKey* mKey;
  bool mLoading;
};

// A folder's path as one value: a blank value leaves no path (the export folder is
// then the working directory).
void Folder(Exchange& io, const char* name, DefaultFolderKind kind) {
  FolderPath& folder = DefaultFolder(kind);
  std::string path = folder.GetPath();
  if (!io.String(name, path) || !io.Loading()) return;
  if (IsBlank(path.c_str()) && kind == DefaultFolderKind::Export) {
    folder.SetToWorkingDirectory();
  } else {
    folder.SetPath(path.c_str());
  }
}

// The view types of the layouts' panes as the settings keep them: the view indices of
// each layout's panes, the layouts separated by ';', the panes of one by ','.
std::string FormatLayoutViewTypes() {
  std::string text;
  for (int layout = 0; layout < kNumLayouts; ++layout) {
    if (layout > 0) text += ';';
    LayoutRecord shape;
    DefineLayout(shape, layout);
    const int panes = shape.numPanes;
    for (int pane = 0; pane < panes; ++pane) {
      if (pane > 0) text += ',';
      text += std::to_string(ViewIndexOf(static_cast<ViewType>(GetLayoutViewType(layout, pane))));
    }
  }
  return text;
}

// The table of view types from the settings' text, read as it comes: a number that
// names no view type gives Base Polyhedron, what is missing keeps its default.
std::vector<int> ParseLayoutViewTypes(const std::string& text) {
  ResetLayoutViewTypes();
  std::vector<int> types(static_cast<size_t>(kNumLayouts * kMaxPanes));
  for (int layout = 0; layout < kNumLayouts; ++layout) {
    for (int pane = 0; pane < kMaxPanes; ++pane) types[layout * kMaxPanes + pane] = GetLayoutViewType(layout, pane);
  }
  size_t start = 0;
  for (int layout = 0; layout < kNumLayouts && start <= text.size(); ++layout) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    const std::string group = text.substr(start, end - start);
    size_t at = 0;
    for (int pane = 0; pane < kMaxPanes && at < group.size(); ++pane) {
      size_t comma = group.find(',', at);
      if (comma == std::string::npos) comma = group.size();
      const std::string word = group.substr(at, comma - at);
      char* rest = nullptr;
      const long index = std::strtol(word.c_str(), &rest, 10);
      if (!word.empty() && rest && *rest == '\0') {
        const bool known = index >= 0 && index < kNumViewTypes;
        types[layout * kMaxPanes + pane] = static_cast<int>(known ? kViewTypes[index] : kViewBasePolyhedron);
      }
      at = comma + 1;
    }
    start = end + 1;
  }
  return types;
}

// Beyond the table: what the user chose of the panes, of the vertices' colours and of
// the stellations. The layout and its panes' view types are those shown when the
// settings are written (without a main window, those read).
void ExchangeChoices(Exchange& io) {
  const bool loading = io.Loading();
  io.Bool("ColorVertsSameAsDualFace", ColorVertsSameAsDualFace);
  bool inertia = IsMouseInertiaAllowed();
  if (io.Bool("AllowMouseInertia", inertia) && loading) SetMouseInertiaAllowed(inertia);
  int criteria = StellationCriteria;
  if (io.Int("StellationCriteria", criteria) && loading && criteria >= kCriteriaMainline &&
      criteria <= kCriteriaExhaustive) {
    SetStellationCriteria(criteria);
  }
  int options = static_cast<int>(StellationOptions);
  if (io.Int("StellationOptions", options) && loading) {
    SetStellationOptions(static_cast<uint32_t>(options) & kStoredStellationOptions, true);
  }
  StartLayout& start = GetStartLayout();
  // Written: what the window shows, else what was read (the start layout itself stays
  // as read).
  int layout = start.layout;
  if (!loading && GetCurrentLayoutIndex() >= 0) {
    KeepShownViewTypes(CurrentViewGroup());
    layout = GetCurrentLayoutIndex();
  } else if (!loading) {
    ApplyStartLayoutViewTypes();
  }
  if (io.Int("Layout", layout) && loading && layout >= 0 && layout < kNumLayouts) start.layout = layout;
  std::string views = FormatLayoutViewTypes();
  if (io.String("LayoutViewTypes", views) && loading) start.viewTypes = ParseLayoutViewTypes(views);
}

// The values after "Geomag", in the table's order.
void ExchangeTable(Exchange& io) {
  AppSettings& app = GetAppSettings();
  DisplaySettings& display = GetDisplaySettings();
  ModelDrawSettings& model = GetModelDrawSettings();
  UnitSettings& units = GetUnitSettings();
  NetSettings& nets = GetNetSettings();
  const bool loading = io.Loading();

  bool transitions = AreTransitionsEnabled();
  if (io.Bool("EnableTransitions", transitions) && loading) SetTransitionsEnabled(transitions);
  bool pivot = GetTwistWithSpace();
  if (io.Bool("PivotAroundAxis", pivot) && loading) SetTwistWithSpace(pivot);
  if (!loading) app.rainbowColors = (GetRainbowFlags() & kRainbowColors) != 0;
  io.Bool("RainbowColors", app.rainbowColors);
  io.Bool("ShowVerts", model.showVerts);
  io.Bool("ShowEdges", model.showEdges);
  io.Bool("ShowStelVerts", model.showStelVerts);
  io.Bool("ShowStelEdges", model.showStelEdges);
  io.Bool("SpheresAndCylinders", model.spheresAndCylinders);
  io.Int("SphereRadBasedOn", model.sphereRadBasedOn);
  io.Float("SphereRad", model.sphereRad);
  io.Float("CylinderRad", model.cylinderRad);
  io.Bool("ShareMaterial", display.shareMaterial);
  io.Int("SphereMaterial", model.sphereMaterial);
  io.Int("CylinderMaterial", model.cylinderMaterial);
  io.Float("VertSize", model.vertSize);
  io.Float("EdgeWidth", model.edgeWidth);
  io.Bool("Show Vertex Angles", model.showVertexAngles);
  io.Colour("SphereColor", display.sphereColor);
  io.Colour("CylinderColor", display.cylinderColor);
  io.Colour("VertColor", DefaultVertexColor);
  float edgeColour[3] = {GetNewEdgeColor()[0], GetNewEdgeColor()[1], GetNewEdgeColor()[2]};
  if (io.Colour("EdgeColor", edgeColour) && loading) SetNewEdgeColor(edgeColour);
  const float* background = GetDefaultBackgroundColor();
  float backgroundColour[3] = {background[0], background[1], background[2]};
  if (io.Colour("BGColor", backgroundColour) && loading) SetAllViewsBackgroundColor(backgroundColour);
  io.Colour("TitleColor", display.titleColor);
  io.Colour("MidsphereColor", display.midsphereColor);
  std::string image = display.bgImage;
  if (io.String("BGImage", image) && loading) display.bgImage = IsBlank(image.c_str()) ? std::string() : image;
  io.Int("BGImageFit", display.bgImageFit);
  io.Int("BGImageAlpha", display.bgImageAlpha);
  io.Bool("UndoEnabled", app.undoEnabled);
  io.Int("MaxUndoSize", app.maxUndoSize);
  io.Int("MinNumUndos", app.minNumUndos);
  io.Int("MaxNumUndos", app.maxNumUndos);
  // The stellation's own switch starts as the stored setting says.
  if (io.Bool("AutoFrameStellation", app.autoFrameStellation) && loading) {
    AutoFrameStellation = app.autoFrameStellation;
  }
  io.Int32("TabType", nets.tabType);
  double tab = nets.tabSizeTwips;
  if (io.Float("TabSize", tab) && loading) {
    // Stored at float precision: 0.5 mm itself reads back a little below it.
    const double smallest = static_cast<float>(kSmallestTabSize);
    nets.tabSizeTwips = tab < smallest ? kDefaultTabSize : tab;
  }
  io.Bool("Show3DTabs", nets.show3DTabs);
  io.Int32("LeftMargin", units.mMarginLeft);
  io.Int32("RightMargin", units.mMarginRight);
  io.Int32("TopMargin", units.mMarginTop);
  io.Int32("BottomMargin", units.mMarginBottom);
  io.Int32("PrintLineWidth", units.mPrintLineWidth);
  io.Int32("PrintCellLineWidth", units.mCellLineWidth);
  if (io.Int32("NetSpacing", units.mNetSpacing) && loading && app.storedVersion < kSettingsNetSpacingBefore) {
    // Older settings counted a tab on each side into the spacing.
    const int32_t tabs = static_cast<int32_t>(std::lround(2.0 * nets.tabSizeTwips));
    units.mNetSpacing = std::max(units.mNetSpacing - tabs, 0);
  }
  int messages = static_cast<int>(GetSavedMessageMask());
  if (io.Int("ShowMessages", messages) && loading) SetSavedMessageMask(static_cast<uint32_t>(messages));
  io.Bool("UseStencil", model.useStencil);
  if (loading && !model.useStencil) {
    // The automatic choice needs the stencil method.
    display.autoStencil = false;
  } else {
    io.Bool("AutoStencil", display.autoStencil);
  }
  io.Bool("HideFacetingDiagram", display.hideFacetingDiagram);
  io.Bool("HideFacetingVertices", display.hideFacetingVertices);
  io.String("TopInfoItem", app.topInfoItem);
  ExportSettings& e = app.exports;
  for (int i = 0; i < kNumExportFolders; ++i) {
    const std::string name = "ExportFolder" + std::to_string(i);
    if (!loading && IsBlank(e.folders[i].c_str())) continue;
    io.String(name.c_str(), e.folders[i]);
  }
  io.Int("ExportOrientation", e.orientation);
  io.Int("ExportSameSizeAsView", e.sameSizeAsView);
  io.Int("ExportFit", e.fit);
  io.Int("ExportFitLoose", e.fitLoose);
  io.Int("ExportBorders", e.borders);
  io.String("ExportAspect", e.aspect);
  io.Int("ExportHideText", e.hideText);
  io.Int("ExportOpen", e.open);
  io.Int("ExportWidth", e.width);
  io.Int("ExportHeight", e.height);
  io.Int("ExportOverSample", e.overSample);
  io.Int("ExportUnitScale", e.unitScale);
  io.Int("ExportDPI", e.dpi);
  io.Int("ExportJPegQuality", e.jpegQuality);
  io.Int("ExportIsAnimation", e.isAnimation);
  io.Int("ExportTour", e.tour);
  io.Int("ExportEndAfterFinalFrame", e.endAfterFinalFrame);
  io.String("ExportNumRotations", e.numRotations);
  io.Int("Export4DRot", e.rotation4D);
  io.String("ExportTiltAxis", e.tiltAxis);
  io.String("ExportStartRatio", e.startRatio);
  io.String("ExportEndRatio", e.endRatio);
  io.Bool("ExportIsPreviewing", e.isPreviewing);
  io.Int("ExportFps", e.fps);
  io.Int("ExportInterlaceMethod", e.interlaceMethod);
  io.Int("ExportNumFrames", e.numFrames);
  io.Int("ExportCompression", e.compression);
  io.Int("ExportQuality", e.quality);
  io.Int("ExportImageType", e.imageType);
  Folder(io, "BrowseCorv", DefaultFolderKind::Program);
  Folder(io, "BrowseTour", DefaultFolderKind::Tour);
  Folder(io, "BrowseExport", DefaultFolderKind::Export);
  Folder(io, "BrowseImage", DefaultFolderKind::Image);
  Folder(io, "BrowseText", DefaultFolderKind::Text);
  io.String("UpdateCheckUrl", app.updateUrl);
  io.Bool("CheckForUpdates", app.checkForUpdates);
  io.Int("LastUpdateCheckDay", app.lastUpdateCheckDay);
  ExchangeChoices(io);
}

// The values of one font set-up under its own key.
void ExchangeFontSetup(Exchange& io, FontSetupEntry& setup) {
  io.String("FontName", setup.face);
  io.Int("FontRes", setup.resolution);
  io.Float("FontSize", setup.size);
  io.Int("FontColor", setup.colour);
  io.Int("FontPropTo", setup.proportionalTo);
  static const char* const kModes[] = {"FontExtend", "FontFlat", "FontSitOn", "FontScreenAlign"};
  static const std::pair<const char*, uint32_t> kKeeps[] = {
      {"FontKeepSize", kFontKeepSize}, {"FontKeepUpright", kFontKeepUpright}, {"FontKeepForward", kFontKeepForward}};
  for (int slot = 0; slot < kFontSetupSlots; ++slot) {
    uint32_t& word = setup.slots[slot];
    const std::string digit = std::to_string(slot);
    if (io.Loading()) {
      // The last mode found wins.
      for (uint32_t mode = 0; mode <= kFontPlaceScreenAlign; ++mode) {
        int on = 0;
        if (io.Int((kModes[mode] + digit).c_str(), on) && on) word = (word & ~kFontPlaceMask) | mode;
      }
    } else {
      uint32_t mode = word & kFontPlaceMask;
      if (mode > kFontPlaceScreenAlign) mode = kFontPlaceScreenAlign;
      int on = 1;
      io.Int((kModes[mode] + digit).c_str(), on);
    }
    for (const auto& [name, bit] : kKeeps) {
      bool keep = (word & bit) != 0;
      if (io.Bool((name + digit).c_str(), keep) && io.Loading()) word = keep ? (word | bit) : (word & ~bit);
    }
  }
}

void LoadFontSetups() {
  InitFontSetups();
  RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), kSettingsSection, kFontSetupsKey);
  if (!key) return;
  for (const std::string& name : key->Store().SubKeys(key->Path())) {
    if (FindFontSetup(name)) continue;
    FontSetupEntry* setup = NewFontSetup(name);
    RegistryKeyPtr sub = OpenRegistryKeyForRead(TheRegistryApp(), kSettingsSection, (std::string(kFontSetupsKey) + "\\" + name).c_str());
    if (!sub) continue;
    Exchange io(sub.get(), true);
    ExchangeFontSetup(io, *setup);
  }
}

void SaveFontSetups() {
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), kSettingsSection, kFontSetupsKey);
  if (!key) return;
  platform::SettingsStore& store = key->Store();
  for (const std::string& name : store.SubKeys(key->Path())) {
    // A key that cannot be deleted is left: the next one is tried, never the same again.
    if (store.DeleteKey(key->Path() + "\\" + name)) key->MarkChanged();
  }
  for (const auto& setup : GetFontSetups()) {
    if (!IsUserFontSetup(setup->name)) continue;
    RegistryKeyPtr sub = OpenRegistryKeyForWrite(TheRegistryApp(), kSettingsSection,
                                                 (std::string(kFontSetupsKey) + "\\" + setup->name).c_str());
    if (!sub) continue;
    Exchange io(sub.get(), false);
    ExchangeFontSetup(io, *setup);
    CloseSettingsKey(*sub);
  }
  CloseSettingsKey(*key);
}

}  // namespace detail_Settings

AppSettings& GetAppSettings() {
  static AppSettings settings;
  return settings;
}

void LoadSettings() {
  using namespace detail_Settings;
  // What the store does not hold keeps its default: the panes too.
  GetStartLayout() = StartLayout{};
  RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), kSettingsSection, nullptr);
  if (key) {
    Exchange io(key.get(), true);
    UnitSettings& units = GetUnitSettings();
    int distance = units.mDistanceUnit;
    const bool earlier = io.Int("DistUnits", distance);
    if (earlier) units.SetDistanceUnits(distance);
    int angle = units.mAngleUnit;
    if (io.Int("AngleUnits", angle)) units.SetAngleUnits(angle);
    AppSettings& app = GetAppSettings();
    app.storedVersion = 0;
    io.Int("Version", app.storedVersion);
    if (earlier && app.storedVersion < kSettingsChangesNoteBefore) ShowInformation("%s", kSettingsChangesNote);
    bool captions = GetCaptionsShown();
    if (io.Bool("NewStyleTitleBars", captions)) SetCaptionsShown(captions);
    io.Bool("Geomag", app.geomag);
    ExchangeTable(io);
    // The information tree's first item, by its key's name.
    SetInfoTopItemSetting(app.topInfoItem.c_str());
  }
  LoadInfoExpansion();
  LoadFontSetups();
}

void SaveSettings() {
  using namespace detail_Settings;
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), kSettingsSection, nullptr);
  if (!key) return;
  {
    // The user's own sphere and edge settings are written, not the construction toy's.
    const bool suspended = SuspendGeomagStyle();
    struct Resume {
      bool suspended;
      ~Resume() { ResumeGeomagStyle(suspended); }
    } resume{suspended};
    Exchange io(key.get(), false);
    UnitSettings& units = GetUnitSettings();
    int distance = units.mDistanceUnit;
    io.Int("DistUnits", distance);
    int angle = units.mAngleUnit;
    io.Int("AngleUnits", angle);
    int version = kSettingsVersion;
    io.Int("Version", version);
    bool captions = GetCaptionsShown();
    io.Bool("NewStyleTitleBars", captions);
    AppSettings& app = GetAppSettings();
    io.Bool("Geomag", app.geomag);
    // Without the information tree the top item stays as it was read.
    if (GetInfoBar()) app.topInfoItem = GetInfoTopItemSetting();
    ExchangeTable(io);
  }
  CloseSettingsKey(*key);
  SaveInfoExpansion();
  SaveFontSetups();
}

}  // namespace corvia
