#pragma once
// The built-in library: the table of records, the category tree, the two library
// roots, the static user record and the helpers that turn model names into file
// names and back.

#include <cstdint>
#include <memory>
#include <string>

#include "model/LibraryEntry.h"

namespace corvia {

// ---- Stored geometry of the spring-built records ----------------------------------

struct LibraryPointSet {
  int32_t count;
  const double (*points)[3];
};
// One slot of stored data per record from the first spring-built one (J1) on: the
// 92 Johnson solids, then the near misses and the toroids. A slot without points
// (count 0) is built by relaxing its face list; a slot whose face list is empty has
// no model. The families after them generate their face lists.
constexpr int kNumLibraryFaceLists = 140;
constexpr int kNumLibraryPointSets = kNumLibraryFaceLists;
constexpr int kNumJohnsonSolids = 92;
extern const LibraryPointSet kLibraryPointSets[kNumLibraryPointSets];
extern const char* const kLibraryFaceLists[kNumLibraryFaceLists];

// Flags added to the SimplePoly of a spring-built model.
constexpr uint32_t kSpringPolyRegularFlags = 0x3800;
constexpr uint32_t kSpringPolyToroidFlags = 0x2000;

// 264 records and the terminating record (mConfig null).
constexpr int kNumLibraryRecords = 265;
constexpr int kNumLibraryEntries = kNumLibraryRecords - 1;
extern LibraryEntry gLibraryTable[kNumLibraryRecords];

// Record i (0 <= i < kNumLibraryEntries), else null.
LibraryEntry* GetLibraryEntry(int index);
// Index of the first record built by the spring model; found on first use.
int GetFirstSpringRecordIndex();

// The category tree: names with leading "-" marks for their depth, ended by null.
constexpr int kNumLibraryCategories = 18;
extern const char* const kLibraryCategories[kNumLibraryCategories + 1];

// The two library roots: 0 the program's own model files, 1 the construction-toy
// models.
struct LibraryRoot {
  const char* mDisplayName;
  const char* mFolderName;
  int32_t mReserved;
};
constexpr int kNumLibraryRoots = 2;
extern LibraryRoot gLibraryRoots[kNumLibraryRoots];

// The static user record the model browser fills.
extern LibraryEntry gUserLibraryEntry;
// A user record for a model file: it owns a copy of the path (its name) and is
// deleted by its owner.
std::unique_ptr<LibraryEntry> NewUserLibraryEntry(const char* path);

// ---- Model names and file names ---------------------------------------------------

constexpr const char* kLibraryExtension = ".corv";

void ReplaceSemicolonsWithSlashes(char* text);
void ReplaceSlashesWithSemicolons(char* text);
void CStringReplaceSlashesWithSemicolons(std::string& text);
// Cuts a final ".corv" (any case).
void StripLibraryExtension(char* name);
void StripLibraryExtension(std::string& name);
// Appends ".corv" unless the name ends in ".off" (any case).
void AddLibraryExtension(std::string& name);
// The file-name part of a path (after the last '/' or '\').
const char* GetLibraryFileName(const char* path);

}  // namespace corvia
