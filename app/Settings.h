#pragma once
// The program's settings under "Software\CorviaSoft\Corvia\Settings": read once at
// start-up, before the main window exists, and written when the main window closes.
// Between the two the values live in the program-wide variables of the parts that
// use them; the values whose parts are not in the program yet are kept here, so that
// a save writes back what was read.

#include <string>

namespace corvia {

// "Version": the settings' format as this program writes it (5.4).
constexpr int kSettingsVersion = 5004;
// Settings older than these show the changes note, and counted the tabs into the net
// spacing.
constexpr int kSettingsChangesNoteBefore = 2004;
constexpr int kSettingsNetSpacingBefore = 5000;
constexpr int kNumExportFolders = 10;

// The note shown once to a user whose settings an older version wrote.
extern const char* const kSettingsChangesNote;

struct ExportSettings {
  int orientation = 0;          // "ExportOrientation"
  int sameSizeAsView = 0;       // "ExportSameSizeAsView"
  int fit = 1;                  // "ExportFit"
  int fitLoose = 0;             // "ExportFitLoose"
  int borders = 0;              // "ExportBorders"
  std::string aspect = "1";     // "ExportAspect"
  int hideText = 1;             // "ExportHideText"
  int open = 0;                 // "ExportOpen"
  int width = 500;              // "ExportWidth"
  int height = 500;             // "ExportHeight"
  int overSample = 2;           // "ExportOverSample"
  int unitScale = 0;            // "ExportUnitScale"
  int dpi = 96;                 // "ExportDPI"
  int jpegQuality = 95;         // "ExportJPegQuality"
  int isAnimation = 0;          // "ExportIsAnimation"
  int tour = 0;                 // "ExportTour"
  int endAfterFinalFrame = 1;   // "ExportEndAfterFinalFrame"
  std::string numRotations = "1/5";  // "ExportNumRotations"
  int rotation4D = 1;           // "Export4DRot"
  std::string tiltAxis = "0";   // "ExportTiltAxis"
  std::string startRatio = "0";  // "ExportStartRatio"
  std::string endRatio = "1";   // "ExportEndRatio"
  bool isPreviewing = true;     // "ExportIsPreviewing"
  int fps = 0;                  // "ExportFps"
  int interlaceMethod = 0;      // "ExportInterlaceMethod"
  int numFrames = 0;            // "ExportNumFrames"
  int compression = 0;          // "ExportCompression"
  int quality = 0;              // "ExportQuality"
  int imageType = 0;            // "ExportImageType"
  std::string folders[kNumExportFolders];  // "ExportFolder0" to "ExportFolder9"
};

struct AppSettings {
  int storedVersion = 0;              // "Version" as read
  bool geomag = false;                // "Geomag": the construction-toy display style
  bool rainbowColors = false;         // "RainbowColors", applied at start-up
  bool undoEnabled = true;            // "UndoEnabled"
  int maxUndoSize = 33554432;         // "MaxUndoSize", bytes
  int minNumUndos = 2;                // "MinNumUndos"
  int maxNumUndos = 1000;             // "MaxNumUndos"
  bool autoFrameStellation = true;    // "AutoFrameStellation"
  std::string topInfoItem;            // "TopInfoItem"
  ExportSettings exports;
  // The update check: its server (none: no check is made), whether it runs once a
  // day by itself, and the day it last ran.
  std::string updateUrl;              // "UpdateCheckUrl"
  bool checkForUpdates = true;        // "CheckForUpdates"
  int lastUpdateCheckDay = 0;         // "LastUpdateCheckDay"
};

AppSettings& GetAppSettings();

// Reads every value of the table that the store holds (a missing one keeps the
// variable's default) and the user's font set-ups.
void LoadSettings();
void SaveSettings();

}  // namespace corvia
