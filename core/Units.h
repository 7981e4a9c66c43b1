#pragma once
// Units in which lengths and angles are shown and typed, and how a model unit maps to
// paper. Paper lengths are held in twips (1/1440 inch); the distance unit only scales
// what the user sees. One process-wide object holds the settings.

#include <cstddef>
#include <cstdint>

namespace corvia {

// Distance units (index into the unit table).
constexpr int32_t kUnitMillimetre = 0;
constexpr int32_t kUnitCentimetre = 1;
constexpr int32_t kUnitMetre = 2;
constexpr int32_t kUnitInch = 3;
constexpr int32_t kUnitFoot = 4;
constexpr int32_t kNumDistanceUnits = 5;

// Angle units.
constexpr int32_t kAngleDegrees = 0;
constexpr int32_t kAngleDegreesMinutesSeconds = 1;
constexpr int32_t kAngleRadians = 2;

constexpr double kTwipsPerCentimetre = 566.9291338582677;

// How nets treat coincident edges: one of four single bits.
constexpr int32_t kCoincEdgeTongueInGroove = 1 << 22;
constexpr int32_t kCoincEdgeInternalSupport = 1 << 23;
constexpr int32_t kCoincEdgeNoInternalSupport = 1 << 24;
constexpr int32_t kCoincEdgeUnconnected = 1 << 25;

// singleColorPages: one colour per net and page, or decided from the model.
constexpr int32_t kSingleColorPagesYes = 1;
constexpr int32_t kSingleColorPagesAuto = 2;

// printShading.
constexpr int32_t kPrintShadingAuto = 0;
constexpr int32_t kPrintShadingNone = 1;
constexpr int32_t kPrintShadingGreyscale = 2;
constexpr int32_t kPrintShadingColor = 3;

// UnitSettings::mFlags: a length-scale change redraws only the views of kind 0x10000.
constexpr uint32_t kUnitFlagRedrawScaledViewsOnly = 0x100;
constexpr unsigned kViewKindScaled = 0x10000;

// Undo step of a length-scale change.
constexpr int kUndoLengthScale = 26;

// Information-pane update reason after a change of distance unit.
constexpr unsigned kInfoReasonUnits = 1;

// Room FormatAngle needs.
constexpr size_t kAngleTextSize = 64;

class UnitSettings {
 public:
  // t in twips, x in distance units, m in model units.
  double IntTwipsToUnits(int t) const { return t / mTwipsPerUnit; }
  double TwipsToUnits(double t) const { return t / mTwipsPerUnit; }
  double UnitsToTwips(double x) const { return x * mTwipsPerUnit; }
  int UnitsToTwipsRounded(double x) const;
  double ModelToTwips(double m) const { return mLengthScale * mTwipsPerUnit * m; }
  int ModelToTwipsRounded(double m) const;

  // Changes the distance unit keeping the printed size of the model; an index outside
  // the table changes nothing. Returns the unit before the call.
  int SetDistanceUnits(int unit);
  // Stores a positive scale (recording an undo step first when asked); then redraws
  // what depends on the scale and refreshes the current nets.
  void SetLengthScale(double scale, bool recordUndo);
  // The scale the user chooses for the model shown (Edit > Scale, the radius offered
  // for printing): one undo step, and every new model takes it from now on.
  void SetUserLengthScale(double scale);
  void SetAngleUnits(int unit);

  // Writes the angle in the current angle unit into buffer (kAngleTextSize bytes).
  char* FormatAngle(char* buffer, double radians, const char* unitText) const;

  // Margins are given and returned in centimetres and kept in whole twips.
  void SetMargins(double left, double right, double top, double bottom);
  void GetMargins(double* left, double* right, double* top, double* bottom) const;

  double GetNetSpacing() const { return TwipsToUnits(mNetSpacing); }
  void SetNetSpacing(double x) { mNetSpacing = UnitsToTwipsRounded(x); }

  // Whether each printed net page holds a single colour.
  bool UseSingleColorPages() const;
  // 1 None, 2 Greyscale or 3 Color: Auto resolved.
  int GetPrintShading(bool considerColourMixing) const;

  // "mm", "cm", "metres", "inches", "feet"; "??" for another index.
  static const char* GetDistanceUnitName(int unit);
  static double GetTwipsPerUnit(int unit);

  int32_t mDistanceUnit = kUnitCentimetre;
  int32_t mAngleUnit = kAngleDegrees;
  double mTwipsPerUnit = kTwipsPerCentimetre;
  // The paper length of one model unit of the model shown. A model made from another
  // carries that model's lengths over, so its scale is the one it is derived at.
  double mLengthScale = 8.0;
  // The scale the user chose last (or the default): the one every new model takes,
  // from the library, a configuration, a builder or a file that stores none, whatever
  // scale the model shown before it was derived at.
  double mUserLengthScale = 8.0;
  int32_t mMaxFacesPerNet = 1000000;
  int32_t mCoincEdgeMethod = kCoincEdgeInternalSupport;
  int32_t mSingleColorPages = kSingleColorPagesAuto;
  uint32_t mFlags = 0;
  int32_t mMarginLeft = 0;
  int32_t mMarginRight = 0;
  int32_t mMarginTop = 0;
  int32_t mMarginBottom = 0;
  int32_t mNetSpacing = 567;
  bool mPrintDashedLines = false;
  int32_t mPrintCellLines = 2;
  int32_t mNumExtraNets = 0;
  bool mPrintGivenNumNets = false;
  int32_t mNumNetsToPrint = 1;
  int32_t mPrintShading = kPrintShadingAuto;
  float mPrintShadeMax = 0.25f;
  int32_t mPrintLineWidth = 1;
  int32_t mCellLineWidth = 10;
};

// The one process-wide settings object.
UnitSettings& GetUnitSettings();

// The two display options of the sphere and cylinder settings after which a change of
// length scale redraws every view (the sphere intersections among them). The program
// keeps them in step with its settings.
struct LengthScaleRedrawOptions {
  bool sphereIntersections = false;
  bool scaledCylinders = false;
};
LengthScaleRedrawOptions& GetLengthScaleRedrawOptions();

// What the settings ask of the current model, which the geometry above supplies
// (installed with the geometry's hooks, files/GeometryHooks.h): the nets of the
// current model follow a change of length scale; and whether the current model's
// shown side can be printed one colour per page (the Auto rule). Without them nothing
// is refreshed and Auto prints one colour per page, as for no model at all.
struct UnitsModelHooks {
  void (*scaleChanged)() = nullptr;
  bool (*allowsSingleColorPages)() = nullptr;
};
// Installs the hooks (either may be null); returns the previous ones.
UnitsModelHooks SetUnitsModelHooks(const UnitsModelHooks& hooks);

}  // namespace corvia
