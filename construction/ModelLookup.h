#pragma once
// Finding built-in models from what a user types or asks for: a catalogue index
// (U, K or W number), a Wythoff symbol, a vertex configuration, a name, another
// name, an abbreviation or a dual's name, filtered by element counts. Also the list
// of search results, stepping through the library, the parameter of parametric
// entries and the category tree.

#include <cstdint>
#include <functional>
#include <string>

#include "construction/Library.h"
#include "core/ListNode.h"
#include "core/Outcome.h"

namespace corvia {

class PolyTemplate;

// An unset maximum.
constexpr int32_t kCriteriaUnset = 0x7fffffff;

// The counts a search asks for (the "Polyhedra" dialog edits the global one).
struct ModelSearchCriteria {
  std::string mName;
  int32_t mMinCells = 0, mMaxCells = kCriteriaUnset;
  int32_t mMinFaces = 0, mMaxFaces = kCriteriaUnset;
  int32_t mMinEdges = 0, mMaxEdges = kCriteriaUnset;
  int32_t mMinVerts = 0, mMaxVerts = kCriteriaUnset;

  void Reset();
  // Every minimum at most 0 and every maximum unset (the name is not looked at).
  bool IsEmpty() const;
  // Large enough maxima for some polyhedron, and no maximum below its minimum.
  bool IsUsable() const;
  // Whether the entry (or its dual) has counts within the bounds; for the
  // parametric prism and antiprism the counts of {n/d}.
  bool Matches(const LibraryEntry& entry, bool dual, int n, int d) const;
};
extern ModelSearchCriteria gModelSearchCriteria;

// One search result.
class LibraryListNode : public ListNode {
 public:
  LibraryListNode(LibraryEntry* entry, bool isDual) : mEntry(entry), mIsDual(isDual) {}
  // Deletes a user record it holds; clears the current result when it is that.
  ~LibraryListNode() override;
  LibraryListNode* Next() const { return static_cast<LibraryListNode*>(mNext); }
  LibraryListNode* Prev() const { return static_cast<LibraryListNode*>(mPrev); }

  LibraryEntry* mEntry;
  uint8_t mIsDual;
  int32_t mScore = -1;
};

// The search results, highest score first.
LibraryListNode* GetSearchResults();
LibraryListNode* GetCurrentSearchResult();
void SetCurrentSearchResult(LibraryListNode* node);
void ClearSearchResults();
int CountSearchResults();
// Appends at the tail (score -1).
LibraryListNode* AppendSearchResult(LibraryEntry* entry, bool isDual);
// Inserts after the last node whose score is at least `score` (or negative).
LibraryListNode* InsertSearchResult(LibraryEntry* entry, bool isDual, int score);

// How well a text names one of the names of a ";"-separated list: 6 exactly, 5 or
// 4 as the initials of all its words (counting word stems), 3 or 2 as the initials
// of its first words, 1 inside it; 0 for none.
int ParseModelNameAbbrev(const char* text, const char* names);

// The entry a text names, or null. With findAll the search results are rebuilt
// and the first result's entry returned. With why given, a text that is no
// model's name gives *why the refusal to tell, and a Wenninger number of a
// stellation shows that stellation (a refusal of its set-up in *why).
LibraryEntry* LookUpModel(const char* text, bool* recognised, Outcome* why, bool* isDual, bool findAll);

// The index of the given entry, or of the first entry whose configuration equals
// the solved template's read from any of its distinct starting polygons; n (with
// d = 1) for an entry whose configuration begins with the placeholder, else -1 and
// -1. -1 when none.
int FindLibraryEntryByText(const LibraryEntry* entry, const PolyTemplate* poly, int* n, int* d);

// The entry `step` places from the entry (or the template's entry), passing over
// parametric entries and wrapping at both ends; null without a start.
LibraryEntry* StepLibraryModel(LibraryEntry* entry, const PolyTemplate* poly, int step);

int GetNumLibraryEntries();

// True when the entry can be built; asks for n of a parametric entry (with ask),
// the default taken from `defaultFrom` when it is parametric too. A refused base
// goes to `tell` (when given) before it is asked for again.
bool CreateLibraryModel(LibraryEntry* entry, const LibraryEntry* defaultFrom, bool ask,
                        const std::function<void(const Outcome&)>& tell = {});

// The category tree.
const char* GetCategoryName(int category);
int GetCategoryDepth(int category);
int GetCategoryChildCount(int category);
LibraryEntry* GetCategoryModel(int category, int position, bool makeCurrent, bool* isDual = nullptr);

bool IsLibraryRootName(const char* text, int root);

// The included cell ranges (pairs, inclusive) of the Wenninger stellation
// `number`; the number of pairs, 0 when it is not in the table.
int GetWenningerStellationRanges(int number, const int32_t** ranges);

}  // namespace corvia
