#pragma once
// The program-wide values the nets read: glue tab kind and size, which nets are shown,
// how far the folding nets are folded, which text the flat nets show at their edges,
// and whether facelets of different colours are kept apart.

#include <cstdint>

namespace corvia {

// "TabType": 0 default, 1 no tabs, 2 single tabs (alternate sides), 3 double tabs.
constexpr int32_t kTabKindDefault = 0;
constexpr int32_t kTabKindNone = 1;
constexpr int32_t kTabKindSingle = 2;
constexpr int32_t kTabKindDouble = 3;
// "TabSize" before the settings are read: 5 mm in twips.
constexpr double kDefaultTabSizeTwips = 283.46456692913387;

// Net display mode: only the current net, the nets of its type, anything else all.
constexpr int32_t kShowCurrentNet = 2;
constexpr int32_t kShowCurrentNetType = 1;
constexpr int32_t kShowAllNets = 0;

constexpr double kDefaultFoldFraction = 0.25;

// Edge data word: the text shown at each edge of the flat nets.
constexpr uint32_t kEdgeDataConnectionIds = 1;
constexpr uint32_t kEdgeDataNames = 2;
constexpr uint32_t kEdgeDataTypeNames = 4;
constexpr uint32_t kEdgeDataLengths = 8;
constexpr uint32_t kEdgeDataDihedrals = 16;
constexpr uint32_t kEdgeDataMitres = 32;
constexpr uint32_t kEdgeDataNumbers = 64;
constexpr uint32_t kEdgeDataFaceAngles = 0x80;
// The bits that choose an edge's text (at most one is set).
constexpr uint32_t kEdgeDataTexts = 0x7F;

struct NetSettings {
  int32_t tabType = kTabKindDouble;
  double tabSizeTwips = kDefaultTabSizeTwips;
  bool show3DTabs = true;
  int32_t displayMode = kShowAllNets;
  double foldFraction = kDefaultFoldFraction;
  double savedFoldFraction = kDefaultFoldFraction;
  uint32_t edgeData = 0;
  // Whether the stellation cell lines are shown on screen; with the print option
  // "Same as on screen" it decides whether facelets of different colours are glued.
  bool cellLinesOnScreen = false;
};

NetSettings& GetNetSettings();

// The tab kind of the global setting: the default kind means double tabs.
int32_t GetGlobalTabKind();
// The edge flag of a tab kind: 0x4000 for 1, 0x8000 for 2, 0x10000 for 3, else 0.
uint32_t GetTabKindFlag(int32_t kind);
// The tab depth in the current distance unit.
double GetNetTabSize();
// The tab depth in model units (the distance unit divided by the length scale).
double GetNetTabSizeInModelUnits();
// Whether stellation cell lines are printed on the nets, so that facelets of
// different colours are never glued: the print option, with "Same as on screen"
// decided by the screen option.
bool PrintCellLines();

// What the unit settings ask of the current model (core/Units.h, installed with the
// geometry's hooks): its nets follow a change of length scale; and whether its shown
// side can be printed one colour per page (the Auto rule).
void RefreshCurrentNetsAfterScaleChange();
bool CurrentModelAllowsSingleColorPages();

// Tangents of the tab end slopes: 45 degrees untrimmed, 60 degrees at most.
double TabSlope45();
double TabSlope60();

}  // namespace corvia
