#pragma once
// What the information tree shows, in order: the base model, its dual, the
// stellation of the shown side and its nets, every line with its item key. The lines
// go to a sink: the tree of the information bar, or a list a test reads. Long
// per-type lists are made only while their branch and its parent are expanded; a
// collapsed one holds the single placeholder line.

#include <cstdint>
#include <functional>
#include <string>

namespace corvia {

class Poly;

// The 92 item keys, in the order of the tree.
enum InfoKey : int {
  kInfoBase,
  kInfoLink,
  kInfoComments,
  kInfoCommentLine,
  kInfoOtherBaseNames,
  kInfoOtherBaseName,
  kInfoColor,
  kInfoColorNickname,
  kInfoType,
  kInfoSymbol,
  kInfoWythoff,
  kInfoWenninger,
  kInfoWenningerBasePage,
  kInfoWenningerDualPage,
  kInfoMaeder,
  kInfoBaseGeomag,
  kInfoBaseGeomagBalls,
  kInfoBaseGeomagRods,
  kInfoBaseGeomagPanels,
  kInfoBaseGeomagError,
  kInfoBaseGeomagPanelType,
  kInfoConvexity,
  kInfoNumComponents,
  kInfoComponents,
  kInfoNumBaseCells,
  kInfoBaseCells,
  kInfoNumBaseFaces,
  kInfoBaseFaces,
  kInfoNumBaseEdges,
  kInfoBaseEdges,
  kInfoNumBaseVerts,
  kInfoBaseVerts,
  kInfoGenus,
  kInfoDensity,
  kInfoBaseMidRadius,
  kInfoBaseRadius,
  kInfoSurfaceArea,
  kInfoVolume,
  kInfoDual,
  kInfoOtherDualNames,
  kInfoOtherDualName,
  kInfoDualGeomag,
  kInfoDualGeomagBalls,
  kInfoDualGeomagRods,
  kInfoDualGeomagPanels,
  kInfoDualGeomagError,
  kInfoDualGeomagPanelType,
  kInfoNumDualCells,
  kInfoDualCells,
  kInfoNumDualFaces,
  kInfoDualFaces,
  kInfoNumDualEdges,
  kInfoDualEdges,
  kInfoNumDualVerts,
  kInfoDualVerts,
  kInfoDualInRadius,
  kInfoDualMidRadius,
  kInfoDualRadius,
  kInfoDualSurfaceArea,
  kInfoDualVolume,
  kInfoStellation,
  kInfoConnected,
  kInfoNumCells,
  kInfoNumReflexibleCells,
  kInfoNumChiralCells,
  kInfoNumSelCells,
  kInfoNumLayers,
  kInfoMaxPerLayer,
  kInfoNumFacePlanes,
  kInfoNumRegions,
  kInfoStelMemory,
  kInfoNets,
  kInfoNetsGeomag,
  kInfoNetsGeomagBalls,
  kInfoNetsGeomagRods,
  kInfoNetsGeomagPanels,
  kInfoNetsGeomagError,
  kInfoNetsGeomagPanelType,
  kInfoNumFacelets,
  kInfoNumEdgelets,
  kInfoNumJoined,
  kInfoNumUnjoined,
  kInfoNumToScore,
  kInfoNumToCut,
  kInfoNumToGlue,
  kInfoNumNets,
  kInfoFaceletsPerNet,
  kInfoNetMemory,
  kInfoTotalMemory,
  kInfoMemoryUsage,
  kInfoMemoryPhysical,
  kInfoMemoryVirtual,
  kNumInfoKeys
};

// The key's name ("Unknown" past the last); the index of the first key of that name
// (case-sensitive), 0 when none.
const char* GetInfoItemKey(int index);
int FindInfoItemKey(const char* name);

// The expansion flags: which branches the user opened.
bool IsInfoExpanded(int key);
void SetInfoExpanded(int key, bool on);
// All off, then the defaults: the base, the dual and the construction-toy groups.
void ResetInfoExpansion();

// The text of a line shown as "Please wait..." until its list is made.
extern const char* const kInfoPlaceholder;
// Line texts are cut to this many bytes, the last three being "...".
constexpr size_t kInfoTextSize = 128;

// A line's text: printf-like, cut to fit the item buffer.
std::string FormatInfoText(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "%g" of the scaled area; the volume in "%g", or the words for a one-sided model
// (long: "undefined for non-orientable surfaces", short: "undefined").
std::string FormatInfoArea(double area);
std::string FormatInfoVolume(double volume, bool orientable, bool longForm);
// "5-gon", "5/2-gon".
std::string AppendPolygonName(int sides, int density);

// Where the lines go.
class InfoSink {
 public:
  using Item = intptr_t;  // 0 stands for the root
  virtual ~InfoSink() = default;
  virtual Item AddItem(int key, Item parent, const std::string& text) = 0;
  virtual void ExpandItem(Item item) = 0;
};

// The names the tree shows for the model and for its dual. The panes install their
// display names; without them, the model's own names.
using InfoNameFunction = std::function<std::string(bool dual)>;
void SetInfoNameFunction(InfoNameFunction names);
std::string GetInfoModelName(const Poly* poly, bool dual);

// Inserts the four branches for the model; nothing without a model. Branches are
// expanded by their flags once their children are in; stellating or making the nets
// of the shown side happens here when their branches are open.
void InsertInfoContents(InfoSink& sink, Poly* poly);

}  // namespace corvia
