#pragma once
// One record of the built-in library of polyhedra: its vertex configuration (or
// symbol), catalogue numbers, element counts, names and Wythoff symbol, and how it
// becomes a model. The record is the model's (a Poly names its entry); the table of
// records, the builders and the members that need them are the library's, in
// construction/ (Library.h, LibraryEntry.cpp).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace corvia {

class Outcome;
class SimplePoly;

// ---- Record flags (LibraryEntry::mFlags) ------------------------------------------

constexpr uint32_t kLibraryMaederMask = 0x7F;     // U1 to U80, 0 for none
constexpr uint32_t kLibraryKaleidoMask = 0x7F00;  // K1 to K80, 0 for none
constexpr int kLibraryKaleidoShift = 8;
constexpr uint32_t kLibrarySpringBuilt = 1u << 17;  // built by the spring model
constexpr uint32_t kLibraryParametric = 1u << 18;   // the configuration holds "<N>"
constexpr uint32_t kLibraryPrismFamily = 1u << 19;
constexpr uint32_t kLibraryAntiprismFamily = 1u << 20;
constexpr uint32_t kLibraryPyramidFamily = 1u << 21;
constexpr uint32_t kLibraryCupolaFamily = 1u << 22;
constexpr uint32_t kLibraryCuploidFamily = 1u << 23;
constexpr uint32_t kLibraryCupolaicBlendFamily = 1u << 24;
constexpr uint32_t kLibraryFamilyMask = 0x1F80000;
constexpr uint32_t kLibraryUserRecord = 1u << 26;  // strings belong to the record

// ---- Categories used by the records -----------------------------------------------

constexpr int kCategorySearchResults = 0;
constexpr int kCategoryPlatonic = 4;
constexpr int kCategoryKeplerPoinsot = 5;
constexpr int kCategoryArchimedean = 7;
constexpr int kCategoryPrisms = 12;
constexpr int kCategoryDegenerates = 13;
constexpr int kCategoryJohnson = 14;
constexpr int kCategoryNearMisses = 15;
constexpr int kCategoryToroids = 16;
constexpr int kCategoryPyramids = 17;

// A plain record, so that the whole table is one constant initialiser. Built-in
// records point at constant text and own nothing; a user record (kLibraryUserRecord,
// made by NewUserLibraryEntry) owns its strings and is never copied.
class LibraryEntry {
 public:
  const char* mConfig;
  int32_t mCategory;
  int32_t mWenninger;  // the family parameter n in parametric and family records
  int32_t mModelsPage;  // the family parameter d in parametric and family records
  int32_t mDualModelsPage;
  uint32_t mFlags;
  int32_t mNumCells;
  int32_t mNumFaces;
  int32_t mNumEdges;
  int32_t mNumVerts;
  const char* mName;  // a user record: the model's file path
  const char* mOtherNames;
  const char* mDualName;
  const char* mWythoff;
  const char* mDescription;
  const char* mWebPage;

  ~LibraryEntry();

  bool IsParametric() const { return (mFlags & kLibraryParametric) != 0; }
  bool IsSpringBuilt() const { return (mFlags & kLibrarySpringBuilt) != 0; }
  bool IsUserRecord() const { return (mFlags & kLibraryUserRecord) != 0; }
  int GetMaederIndex() const { return static_cast<int>(mFlags & kLibraryMaederMask); }
  int GetKaleidoIndex() const { return static_cast<int>((mFlags & kLibraryKaleidoMask) >> kLibraryKaleidoShift); }

  // ---- The record's own (model/LibraryEntry.cpp) ----
  // Element counts of the entry or of its dual.
  int GetNumCells(bool dual) const;
  int GetNumFaces(bool dual) const;
  int GetNumEdges(bool dual) const;
  int GetNumVerts(bool dual) const;
  // -1 for spring-built and parametric records.
  int GetWenningerNumber() const;
  int GetModelsPage() const;
  int GetDualModelsPage() const;
  const char* GetWythoffSymbol() const { return mWythoff; }
  // The first dual name (the text before the first ";").
  std::string GetDualName() const;
  bool MatchesDualName(const char* text) const;
  // The family parameters; for a fixed prism or antiprism read from the configuration.
  void GetParams(int& n, int& d) const;
  // The configuration as shown, with the parameters in place of "<N>".
  std::string GetVertexConfiguration() const;

  // ---- With the library (construction/LibraryEntry.cpp): they read the table of
  // records, the families or the builders; nothing below the library calls them ----
  // Position in the table; -1 for a record outside it.
  int GetIndex() const;
  // The face-list text of a spring-built record (generated for a family); none
  // without kLibrarySpringBuilt or when the family refuses the stored base.
  std::optional<std::string> GetFaceListText() const;
  // Tests the base {n/d} against the record's families and stores it when accepted;
  // a refused base gives *why (when given) the family's refusal.
  bool CheckParams(int n, int d, Outcome* why);

  // Whether the record describes a model: a spring-built record that is no family
  // needs its stored face list (the near misses and some toroids have none yet).
  bool IsAvailable() const;
  // The same; when it is not, *why (when given) is refused with "The model ... is not
  // available yet" and the reason.
  bool CheckAvailable(Outcome* why) const;
  // Why a record describes no model yet (a sentence); empty for other records.
  const char* GetUnavailableReason() const;
  // "The model "<name>" is not available yet" with the reason, ending in a full stop.
  std::string GetNotAvailableText() const;

  // The model of the entry or of its dual; null when it cannot be made, with the
  // reason in *why when given (null asks quietly).
  std::unique_ptr<SimplePoly> CreatePoly(bool dual, Outcome* why = nullptr);
  // The model of a spring-built record; null when there is nothing to build, or when
  // the springs do not settle (in *why when given). The face-list text used goes to
  // faceList when given.
  std::unique_ptr<SimplePoly> CreateSpringPoly(std::string* faceList, Outcome* why = nullptr);
};

// ---- Helpers on the entries' null-tolerant accessors ------------------------------

std::string GetDualName(const LibraryEntry* entry);
std::string GetVertexConfiguration(const LibraryEntry* entry);

// The web-site address that a record's web-page name is joined to ("<base>/<page>").
// Empty by default: then only page names that are full addresses give a link.
std::string& LibraryWebSiteBase();

}  // namespace corvia
