#include "construction/ModelLookup.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "construction/PolyFamily.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "model/PolyTemplate.h"

namespace corvia {

ModelSearchCriteria gModelSearchCriteria;

namespace detail_ModelLookup {

LibraryListNode* gHead = nullptr;
LibraryListNode* gTail = nullptr;
LibraryListNode* gCurrent = nullptr;

// Numbers typed for a catalogue index saturate here, so that a long run of digits
// can never wrap into the valid range.
constexpr long kIndexSaturation = 999999999;
constexpr int kMaxWythoffTermsBefore = 3;
constexpr int kMaxWythoffTermsAfter = 4;
constexpr int kTooManyTerms = 5;
constexpr int kNameScoreRaise = 100;
constexpr int kMinListedScore = 4;
constexpr int kAnswerSize = 80;
// Stands for the parameter in the configurations and symbols of parametric records.
constexpr const char* kPlaceholder = "<N>";
constexpr size_t kPlaceholderLength = 3;
// The name score of a text that is the whole name.
constexpr int kWholeNameScore = 6;

// Wenninger number, number of ranges, the ranges as pairs; ended by 0.
const int32_t kStellationTable[] = {
    19, 1, 0, 1, 23, 1, 0, 2, 24, 2, 0, 5, 7, 7, 25, 1, 0, 7, 26, 1, 0, 1, 27, 1, 0, 8, 28, 2, 0, 7, 9, 9,
    29, 1, 9, 9, 30, 2, 8, 8, 10, 10, 31, 1, 0, 9, 32, 2, 0, 3, 5, 5, 33, 2, 0, 8, 10, 10, 34, 2, 0, 4, 8, 8,
    35, 1, 7, 7, 36, 1, 5, 6, 37, 1, 5, 5, 38, 3, 4, 4, 6, 6, 8, 8, 39, 3, 5, 5, 6, 6, 9, 9, 40, 2, 4, 4, 6, 6,
    42, 1, 0, 11, 43, 1, 0, 2, 44, 1, 0, 3, 45, 1, 0, 5, 46, 1, 0, 7, 47, 1, 0, 2, 48, 1, 0, 3, 49, 1, 0, 5,
    50, 4, 0, 6, 8, 8, 11, 11, 15, 15, 51, 3, 0, 8, 11, 12, 15, 15, 52, 3, 0, 7, 11, 11, 15, 15,
    53, 2, 0, 16, 19, 19, 54, 4, 0, 19, 21, 21, 23, 23, 27, 27,
    55, 6, 8, 8, 12, 12, 14, 14, 17, 19, 21, 23, 27, 28,
    56, 7, 5, 5, 7, 10, 12, 14, 17, 19, 21, 23, 26, 28, 34, 34, 57, 2, 0, 18, 20, 20,
    58, 3, 0, 23, 25, 28, 34, 34, 59, 7, 0, 26, 29, 29, 32, 33, 36, 36, 38, 39, 45, 46, 49, 49,
    60, 5, 0, 33, 35, 36, 38, 39, 45, 46, 49, 49, 61, 5, 0, 36, 38, 39, 42, 42, 45, 46, 49, 49,
    62, 2, 0, 31, 34, 34, 63, 3, 11, 11, 13, 13, 15, 16, 64, 5, 26, 26, 32, 33, 38, 39, 45, 46, 49, 49,
    65, 4, 23, 24, 27, 31, 35, 36, 42, 42, 66, 1, 0, 49, 0};
// The last stellation whose base model is known (the icosahedron's).
constexpr int kLastStellationWithBase = 42;
constexpr int kLastOctahedronStellation = 19;

// ---- Catalogue indexes --------------------------------------------------------------

// Reads digits at p (saturating); true when there was at least one and nothing but
// blanks follows.
bool ReadIndex(const char* p, int& number) {
  if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
  long value = 0;
  while (std::isdigit(static_cast<unsigned char>(*p))) {
    value = value * 10 + (*p++ - '0');
    if (value > kIndexSaturation) value = kIndexSaturation;
  }
  if (*SkipBlanks(p) != 0) return false;
  number = static_cast<int>(value);
  return true;
}

// ---- Wythoff symbols ------------------------------------------------------------------

// Reads a whole run of digits at p into value; false, with p past the run, when it
// has more digits than a term may have (then no product of two terms could be
// formed without overflow, nor would the rest of the run be taken for another term).
bool ReadTermNumber(const char*& p, long& value) {
  value = 0;
  bool fits = true;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
    value = value * 10 + (*p - '0');
    if (value > kIndexSaturation) {
      fits = false;
      value = kIndexSaturation;
    }
  }
  return fits;
}

// A term of a Wythoff symbol; the placeholder "<N>" of a parametric record stands
// for the record's n and sorts after every number.
struct WythoffTerm {
  long num;
  long den;
  bool placeholder;
};

struct WythoffParts {
  WythoffTerm terms[2][kTooManyTerms];
  int count[2] = {0, 0};
};

// What ReadTerms and ReadWythoff give besides a count.
constexpr int kNoNumber = -1;
constexpr int kNumberTooLong = -2;

// Splits one part (up to the bar or the end) into terms; kNoNumber for a term that is
// not a number or has a zero denominator, kNumberTooLong for one of more than nine
// digits, kTooManyTerms for too many.
int ReadTerms(const char*& p, WythoffTerm* terms) {
  int count = 0;
  for (;;) {
    p = SkipBlanks(p);
    if (*p == 0 || *p == '|') return count;
    bool negate = false;
    if (*p == '(') {
      negate = true;
      p = SkipBlanks(p + 1);
    }
    if (std::strncmp(p, kPlaceholder, kPlaceholderLength) == 0) {
      p += kPlaceholderLength;
      if (count >= kTooManyTerms - 1) return kTooManyTerms;
      terms[count++] = {0, 1, true};
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(*p))) return kNoNumber;
    long num = 0, den = 1;
    if (!ReadTermNumber(p, num)) return kNumberTooLong;
    p = SkipBlanks(p);
    if (*p == '/') {
      p = SkipBlanks(p + 1);
      if (!std::isdigit(static_cast<unsigned char>(*p))) return kNoNumber;
      if (!ReadTermNumber(p, den)) return kNumberTooLong;
      if (den == 0) return kNoNumber;
      p = SkipBlanks(p);
    }
    // "(3/2)" and "3/2)" both stand for -3/2.
    if (*p == ')') {
      negate = true;
      ++p;
    }
    if (count >= kTooManyTerms - 1) return kTooManyTerms;
    terms[count++] = {negate ? -num : num, den, false};
  }
}

bool TermBefore(const WythoffTerm& a, const WythoffTerm& b) {
  if (a.placeholder || b.placeholder) return !a.placeholder && b.placeholder;
  // Terms have at most nine digits: the products stay below 2^60.
  return a.num * b.den < b.num * a.den;
}

// Selection sort by value, the first of equal values kept first.
void SortTerms(WythoffTerm* terms, int count) {
  for (int i = 0; i < count; ++i) {
    int best = i;
    for (int j = i + 1; j < count; ++j) {
      if (TermBefore(terms[j], terms[best])) best = j;
    }
    WythoffTerm t = terms[best];
    for (int j = best; j > i; --j) terms[j] = terms[j - 1];
    terms[i] = t;
  }
}

// 1 when read, 0 when some term is no number, -1 when a part has too many terms,
// kNumberTooLong for a number of more than nine digits.
int ReadWythoff(const char* text, WythoffParts& parts) {
  const char* p = text;
  for (int part = 0; part < 2; ++part) {
    int count = ReadTerms(p, parts.terms[part]);
    if (count == kNumberTooLong) return kNumberTooLong;
    if (count == kTooManyTerms || count > (part == 0 ? kMaxWythoffTermsBefore : kMaxWythoffTermsAfter)) return -1;
    if (count < 0) return 0;
    parts.count[part] = count;
    SortTerms(parts.terms[part], count);
    if (part == 0) {
      if (*p != '|') return 0;
      ++p;
    }
  }
  return *SkipBlanks(p) == 0 ? 1 : 0;
}

bool SameTerm(const WythoffTerm& a, const WythoffTerm& b) {
  if (a.placeholder || b.placeholder) return a.placeholder == b.placeholder;
  return a.num == b.num && a.den == b.den;
}

bool SameWythoff(const WythoffParts& a, const WythoffParts& b) {
  for (int part = 0; part < 2; ++part) {
    if (a.count[part] != b.count[part]) return false;
    for (int i = 0; i < a.count[part]; ++i) {
      if (!SameTerm(a.terms[part][i], b.terms[part][i])) return false;
    }
  }
  return true;
}

// Whether the typed symbol is the stored one. Where the stored symbol holds the
// placeholder, a typed whole number above 0 may stand in its place and becomes n
// (0 when the typed symbol holds the placeholder itself or the stored none).
bool MatchWythoff(const WythoffParts& typed, const WythoffParts& stored, int& n) {
  n = 0;
  if (SameWythoff(typed, stored)) return true;
  for (int part = 0; part < 2; ++part) {
    const int count = stored.count[part];
    // Sorted, so a placeholder is the last term of its part.
    if (count == 0 || !stored.terms[part][count - 1].placeholder || typed.count[part] != count) continue;
    for (int k = 0; k < count; ++k) {
      const WythoffTerm& candidate = typed.terms[part][k];
      if (candidate.placeholder || candidate.den != 1 || candidate.num < 1) continue;
      WythoffParts rest = typed;
      for (int j = k; j + 1 < count; ++j) rest.terms[part][j] = rest.terms[part][j + 1];
      rest.terms[part][count - 1] = {0, 1, true};
      if (SameWythoff(rest, stored)) {
        n = static_cast<int>(std::min<long>(candidate.num, kIndexSaturation));
        return true;
      }
    }
  }
  return false;
}

// ---- Configurations -------------------------------------------------------------------

bool SameConfigChar(char a, char b) {
  if (a == ',') a = '.';
  if (b == ',') b = '.';
  return CharEqualNoCase(a, b);
}

// Whether the text is the entry's configuration; n and d from the text where the
// configuration holds "<N>" (0 and 1 when none was given; numbered tells whether a
// number was given, so that every given number is checked, 0 included).
bool MatchConfig(const char* text, const char* config, int& n, int& d, bool& numbered) {
  n = 0;
  d = 1;
  numbered = false;
  const char* t = text;
  const char* c = config;
  for (;;) {
    t = SkipBlanks(t);
    c = SkipBlanks(c);
    if (*c == 0 || *t == 0) return *c == 0 && *t == 0;
    if (std::strncmp(c, kPlaceholder, kPlaceholderLength) == 0 && std::isdigit(static_cast<unsigned char>(*t))) {
      numbered = true;
      // A number too long for a parameter matches nothing (rather than its first
      // digits matching and the rest being compared with what follows).
      long value = 0;
      if (!ReadTermNumber(t, value)) return false;
      n = static_cast<int>(value);
      if (*t == '/' && std::isdigit(static_cast<unsigned char>(t[1]))) {
        ++t;
        if (!ReadTermNumber(t, value)) return false;
        d = static_cast<int>(value);
      }
      c += kPlaceholderLength;
      continue;
    }
    if (!SameConfigChar(*t, *c)) return false;
    ++t;
    ++c;
  }
}

// The terms of a plain configuration ("4.3.4.3"): its polygons in order round the
// vertex, lower case. Empty for a text with more than terms and dots (a placeholder,
// brackets, a power).
std::vector<std::string> ConfigTerms(const char* text) {
  std::vector<std::string> terms(1);
  for (const char* p = SkipBlanks(text); *p != 0; ++p) {
    const char c = *p == ',' ? '.' : static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    if (c == '.') {
      terms.emplace_back();
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '/') {
      terms.back() += c;
    } else if (c != ' ') {
      return {};
    }
  }
  for (const std::string& term : terms) {
    if (term.empty()) return {};
  }
  return terms.size() >= 3 ? terms : std::vector<std::string>{};
}

// Whether the text names the configuration with its polygons read from another one or
// in the other direction round the vertex ("3.4.3.4" for "4.3.4.3", "4.6.8" for
// "8.4.6"): the same vertex.
bool MatchConfigTurned(const char* text, const char* config) {
  const std::vector<std::string> typed = ConfigTerms(text);
  const std::vector<std::string> stored = ConfigTerms(config);
  const size_t n = stored.size();
  if (typed.empty() || typed.size() != n) return false;
  for (size_t start = 0; start < n; ++start) {
    for (int direction : {1, -1}) {
      bool same = true;
      for (size_t i = 0; i < n && same; ++i) {
        const size_t k = direction > 0 ? (start + i) % n : (start + n - i) % n;
        same = typed[i] == stored[k];
      }
      if (same) return true;
    }
  }
  return false;
}

// ---- Names ------------------------------------------------------------------------------

const char* const kStems[] = {"tetra", "oct", "cub", "dodec", "icos", "hexa", "dya",
                              "kis",   "hemi", "rhomb", "trunc", "snub", "conta"};

bool SameNameChar(char a, char b, bool first) {
  if (!first) {
    if (a == '-') a = ' ';
    if (b == '-') b = ' ';
  }
  return CharEqualNoCase(a, b);
}

// Whether text (length n) stands at name[at...] under the exact comparison.
bool EqualAt(const char* text, size_t n, const char* name, size_t at) {
  for (size_t i = 0; i < n; ++i) {
    if (!SameNameChar(text[i], name[at + i], at + i == 0)) return false;
  }
  return true;
}

bool StemStartsAt(const char* p) {
  for (const char* stem : kStems) {
    if (StartsWithNoCase(p, stem) == 0) return true;
  }
  return false;
}

// The initial letters of the name's words ("-" and "," standing as words).
std::string Initials(const char* name, size_t length, bool stems) {
  std::string initials;
  size_t i = 0;
  while (i < length) {
    while (i < length && name[i] == ' ') ++i;
    if (i >= length) break;
    char c = name[i];
    initials += c;
    ++i;
    if (c == '-' || c == ',') continue;
    while (i < length && name[i] != ' ' && name[i] != '-' && name[i] != ',' && !(stems && StemStartsAt(name + i))) ++i;
  }
  return initials;
}

// Scores of the initials rule: full when every word is used, partial when words
// are left over, 0 when the text is not a run of initials.
int InitialsScore(const std::string& text, const std::string& initials, int full, int partial) {
  if (text.empty() || text.size() > initials.size()) return 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!CharEqualNoCase(text[i], initials[i])) return 0;
  }
  return text.size() == initials.size() ? full : partial;
}

int ScoreOneName(const char* text, size_t textLength, const std::string& compact, const char* name, size_t length) {
  if (length == textLength && EqualAt(text, textLength, name, 0)) return 6;
  std::string name0(name, length);
  int score = InitialsScore(compact, Initials(name0.c_str(), length, true), 5, 3);
  int plain = InitialsScore(compact, Initials(name0.c_str(), length, false), 4, 2);
  if (plain > score) score = plain;
  if (score == 0 && textLength > 0 && textLength <= length) {
    for (size_t at = 0; at + textLength <= length; ++at) {
      if (EqualAt(text, textLength, name, at)) return 1;
    }
  }
  return score;
}

// ---- Result list --------------------------------------------------------------------------

void LinkAfter(LibraryListNode* node, LibraryListNode* after) {
  if (after == nullptr) {
    node->mPrev = nullptr;
    node->mNext = gHead;
    if (gHead != nullptr) gHead->mPrev = node;
    gHead = node;
    if (gTail == nullptr) gTail = node;
    gCurrent = node;
    return;
  }
  node->mPrev = after;
  node->mNext = after->mNext;
  if (after->mNext != nullptr) after->mNext->mPrev = node;
  else gTail = node;
  after->mNext = node;
}


}  // namespace detail_ModelLookup

// ---- Criteria -------------------------------------------------------------------------------

void ModelSearchCriteria::Reset() { *this = ModelSearchCriteria(); }

bool ModelSearchCriteria::IsEmpty() const {
  return mMinCells <= 0 && mMinFaces <= 0 && mMinEdges <= 0 && mMinVerts <= 0 && mMaxCells == kCriteriaUnset &&
         mMaxFaces == kCriteriaUnset && mMaxEdges == kCriteriaUnset && mMaxVerts == kCriteriaUnset;
}

bool ModelSearchCriteria::IsUsable() const {
  return mMaxCells >= 5 && mMaxFaces >= 4 && mMaxEdges >= 6 && mMaxVerts >= 4 && mMaxCells >= mMinCells &&
         mMaxFaces >= mMinFaces && mMaxEdges >= mMinEdges && mMaxVerts >= mMinVerts;
}

bool ModelSearchCriteria::Matches(const LibraryEntry& entry, bool dual, int n, int d) const {
  // Counted wide: the counts of a typed base of nine digits pass the range of int.
  int64_t cells, faces, edges, verts;
  if (entry.mCategory == kCategoryPrisms && entry.IsParametric()) {
    if (n < 1 || d < 1) return true;
    size_t length = std::strlen(entry.mConfig);
    uint32_t family = length > 0 && entry.mConfig[length - 1] == '4' ? kFamilyPrism : kFamilyAntiprism;
    cells = 0;
    faces = GetFamilyVertexCount(family, n, d);
    verts = 2 * int64_t(n);
    edges = verts + faces - 2;
    if (dual) std::swap(faces, verts);
  } else if (entry.IsParametric() && entry.mNumVerts < 0) {
    // The counts of a family member are not stored: it cannot be ruled out.
    return true;
  } else {
    cells = entry.GetNumCells(dual);
    faces = entry.GetNumFaces(dual);
    edges = entry.GetNumEdges(dual);
    verts = entry.GetNumVerts(dual);
  }
  // An unset maximum is no limit, also to counts beyond the range of int.
  auto within = [](int64_t count, int32_t min, int32_t max) {
    return count >= min && (max == kCriteriaUnset || count <= max);
  };
  return within(cells, mMinCells, mMaxCells) && within(faces, mMinFaces, mMaxFaces) &&
         within(edges, mMinEdges, mMaxEdges) && within(verts, mMinVerts, mMaxVerts);
}

// ---- Results --------------------------------------------------------------------------------

LibraryListNode::~LibraryListNode() {
  if (detail_ModelLookup::gCurrent == this) detail_ModelLookup::gCurrent = nullptr;
  if (mEntry != nullptr && mEntry->IsUserRecord() && mEntry != &gUserLibraryEntry) delete mEntry;
}

LibraryListNode* GetSearchResults() { return detail_ModelLookup::gHead; }
LibraryListNode* GetCurrentSearchResult() { return detail_ModelLookup::gCurrent; }
void SetCurrentSearchResult(LibraryListNode* node) { detail_ModelLookup::gCurrent = node; }

void ClearSearchResults() {
  using namespace detail_ModelLookup;
  while (gHead != nullptr) {
    ListNode* head = gHead;
    ListNode* tail = gTail;
    LibraryListNode* node = gHead;
    ListNode::Unlink(node, head, tail);
    gHead = static_cast<LibraryListNode*>(head);
    gTail = static_cast<LibraryListNode*>(tail);
    delete node;
  }
  gCurrent = nullptr;
}

int CountSearchResults() {
  int count = 0;
  for (LibraryListNode* node = GetSearchResults(); node != nullptr; node = node->Next()) ++count;
  return count;
}

LibraryListNode* AppendSearchResult(LibraryEntry* entry, bool isDual) {
  auto* node = new LibraryListNode(entry, isDual);
  detail_ModelLookup::LinkAfter(node, detail_ModelLookup::gTail);
  return node;
}

LibraryListNode* InsertSearchResult(LibraryEntry* entry, bool isDual, int score) {
  auto* node = new LibraryListNode(entry, isDual);
  node->mScore = score;
  LibraryListNode* after = detail_ModelLookup::gTail;
  while (after != nullptr && after->mScore >= 0 && after->mScore < score) after = after->Prev();
  detail_ModelLookup::LinkAfter(node, after);
  return node;
}

// ---- Names ----------------------------------------------------------------------------------

int ParseModelNameAbbrev(const char* text, const char* names) {
  if (text == nullptr || names == nullptr || *names == 0) return 0;
  size_t textLength = std::strlen(text);
  std::string compact;
  for (const char* p = text; *p != 0; ++p) {
    if (*p != ' ') compact += *p;
  }
  int best = 0;
  const char* p = names;
  while (*p != 0) {
    p = SkipBlanks(p);
    const char* end = std::strchr(p, ';');
    size_t length = end != nullptr ? static_cast<size_t>(end - p) : std::strlen(p);
    int score = detail_ModelLookup::ScoreOneName(text, textLength, compact, p, length);
    if (score == 6) return 6;
    if (score > best) best = score;
    if (end == nullptr) break;
    p = end + 1;
  }
  return best;
}

// ---- Lookup ---------------------------------------------------------------------------------

namespace detail_ModelLookup {

// A text looked up in the library, and what the lookup tells its caller.
struct LookUp {
  const char* p;
  const ModelSearchCriteria& criteria;
  bool findAll;
  bool* recognised;
  bool* isDual;
  Outcome* why;
};

// A catalogue index: U or M and a Maeder index, K and a Kaleido index, W or # and a
// Wenninger number (one without an entry is a stellation, described in *stellation).
// Nothing when the text is no index; else the lookup's answer.
std::optional<LibraryEntry*> LookUpByIndex(const LookUp& q, WenningerStellation* stellation) {
  const char* p = q.p;
  char first = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  int number = 0;
  struct IndexKind {
    bool matches;
    const char* digits;
    int maximum;
    const char* message;
  };
  const char* afterHash = *p != 0 && p[1] == '#' ? p + 2 : p + 1;
  IndexKind kinds[] = {
      {first == 'u' || first == 'm', afterHash, 80, "U%s is not a valid Maeder index.\n(Should be in the range 1-80)"},
      {first == 'k', p + 1, 80, "K%s is not a valid Kaleido index.\n(Should be in the range 1-80)"},
      {first == 'w' || first == '#', p + 1, 119, "W%s is not a valid Wenninger number.\n(Should be in the range 1-119)"},
  };
  for (int kind = 0; kind < 3; ++kind) {
    if (!kinds[kind].matches || !ReadIndex(kinds[kind].digits, number)) continue;
    *q.recognised = true;
    if (number < 1 || number > kinds[kind].maximum) {
      // The number as typed: one too large to read whole is not shown cut.
      std::string digits = SkipBlanks(kinds[kind].digits);
      TrimTrailingBlanks(digits.data());
      digits.resize(std::strlen(digits.c_str()));
      if (q.why) *q.why = Outcome::RefusedF(kinds[kind].message, digits.c_str());
      return nullptr;
    }
    for (int i = 0; i < kNumLibraryEntries; ++i) {
      LibraryEntry& entry = gLibraryTable[i];
      int index = kind == 0 ? entry.GetMaederIndex() : kind == 1 ? entry.GetKaleidoIndex() : entry.GetWenningerNumber();
      if (index != number) continue;
      if (q.findAll && !q.criteria.Matches(entry, false, -1, -1)) return nullptr;
      return &entry;
    }
    if (kind != 2 || !q.why) return nullptr;
    // A Wenninger number without an entry is a stellation of the octahedron or
    // the icosahedron.
    const int32_t* ranges = nullptr;
    int numRanges = GetWenningerStellationRanges(number, &ranges);
    if (numRanges == 0) return nullptr;
    if (number > kLastStellationWithBase) {
      *q.why = Outcome::RefusedF("No base model is known for the stellation W%d.", number);
      return nullptr;
    }
    if (stellation) {
      stellation->number = number;
      stellation->baseConfig = number <= kLastOctahedronStellation ? "3.3.3.3" : "3.3.3.3.3";
      stellation->ranges = ranges;
      stellation->numRanges = numRanges;
    }
    return nullptr;
  }
  return std::nullopt;
}

// A Wythoff symbol (the text holds a bar).
LibraryEntry* LookUpByWythoff(const LookUp& q) {
  WythoffParts typed;
  int read = ReadWythoff(q.p, typed);
  if (read == kNumberTooLong) {
    if (q.why) *q.why = Outcome::Refused("Invalid Wythoff symbol: a number has more than nine digits.");
    return nullptr;
  }
  if (read < 0) {
    if (q.why) *q.why = Outcome::Refused("Invalid Wythoff symbol: too many terms.");
    return nullptr;
  }
  if (read > 0) {
    for (int i = 0; i < kNumLibraryEntries; ++i) {
      LibraryEntry& entry = gLibraryTable[i];
      if (entry.mWythoff == nullptr || *entry.mWythoff == 0) continue;
      WythoffParts stored;
      int n = 0;
      if (ReadWythoff(entry.mWythoff, stored) <= 0 || !MatchWythoff(typed, stored, n)) continue;
      if (!q.criteria.Matches(entry, false, n > 0 ? n : -1, n > 0 ? 1 : -1)) continue;
      *q.recognised = true;
      if (n > 0 && !entry.CheckParams(n, 1, q.why)) return nullptr;
      if (!q.findAll) return &entry;
      AppendSearchResult(&entry, false);
    }
    if (gHead != nullptr) return gHead->mEntry;
  }
  if (q.why) *q.why = Outcome::Refused("There is no matching model with that Wythoff symbol.");
  return nullptr;
}

// A vertex configuration or symbol: the entry typed for building, or each one matched
// added to the results when they are all looked for. Nothing when the lookup goes on.
std::optional<LibraryEntry*> LookUpByConfig(const LookUp& q) {
  for (int i = 0; i < kNumLibraryEntries; ++i) {
    LibraryEntry& entry = gLibraryTable[i];
    int n = 0, d = 1;
    bool numbered = false;
    if (entry.mConfig == nullptr) continue;
    // The list of results also takes the configuration read from another polygon or the
    // other way round; a model typed for building is built as typed.
    if (!MatchConfig(q.p, entry.mConfig, n, d, numbered) && !(q.findAll && MatchConfigTurned(q.p, entry.mConfig)))
      continue;
    if (!q.criteria.Matches(entry, false, n, d)) continue;
    *q.recognised = true;
    if (numbered && !entry.CheckParams(n, d, q.why)) return nullptr;
    if (!q.findAll) return &entry;
    AppendSearchResult(&entry, false);
  }
  return std::nullopt;
}

// A name, its initials or a part of it, of a model or its dual; an empty text takes
// every entry the criteria match. A text that starts with a digit counts only where it
// is a whole name, so that configurations never read as initials or parts of names.
// Nothing when the lookup goes on.
std::optional<LibraryEntry*> LookUpByName(const LookUp& q) {
  const char* p = q.p;
  const bool wholeOnly = std::isdigit(static_cast<unsigned char>(*p)) != 0;
  auto nameScore = [&](const char* names) {
    const int score = ParseModelNameAbbrev(p, names);
    return wholeOnly && score != kWholeNameScore ? 0 : score;
  };
  int bestScore = 3;
  LibraryEntry* best = nullptr;
  bool bestDual = false;
  auto consider = [&](LibraryEntry& entry, bool dual, int score) {
    if (score > bestScore) {
      bestScore = score;
      best = &entry;
      bestDual = dual;
    }
    if (q.findAll && score >= kMinListedScore) InsertSearchResult(&entry, dual, score);
  };
  for (int i = 0; i < kNumLibraryEntries; ++i) {
    LibraryEntry& entry = gLibraryTable[i];
    bool m = q.criteria.Matches(entry, false, -1, -1);
    bool md = entry.mDualName != nullptr && *entry.mDualName != 0 && q.criteria.Matches(entry, true, -1, -1);
    bool dualListed = md && entry.mCategory != kCategoryPlatonic && entry.mCategory != kCategoryKeplerPoinsot;
    if (*p == 0) {
      if (!m && !md) continue;
      if (!q.findAll) {
        *q.isDual = !m;
        return &entry;
      }
      if (m) AppendSearchResult(&entry, false);
      if (dualListed) AppendSearchResult(&entry, true);
      continue;
    }
    if (m) {
      int score = 0;
      // The configurations were looked at already; a digit starts only those.
      if (!wholeOnly && entry.mConfig != nullptr && *entry.mConfig != 0)
        score = ParseModelNameAbbrev(p, entry.mConfig) * 4 + 3;
      int mainScore = nameScore(entry.mName);
      if (mainScore >= 5) mainScore += kNameScoreRaise;
      if (mainScore * 4 + 2 > score) score = mainScore * 4 + 2;
      int otherScore = nameScore(entry.mOtherNames) * 4 + 1;
      if (otherScore > score) score = otherScore;
      consider(entry, false, score);
    }
    if (dualListed) consider(entry, true, nameScore(entry.mDualName) * 4);
  }
  if (!q.findAll && best != nullptr) {
    *q.recognised = true;
    *q.isDual = bestDual;
    return best;
  }
  return std::nullopt;
}

}  // namespace detail_ModelLookup

LibraryEntry* LookUpModel(const char* text, bool* recognised, Outcome* why, bool* isDual, bool findAll,
                          WenningerStellation* stellation) {
  using namespace detail_ModelLookup;
  if (findAll) ClearSearchResults();
  bool recognisedLocal = false, dualLocal = false;
  if (recognised == nullptr) recognised = &recognisedLocal;
  if (isDual == nullptr) isDual = &dualLocal;
  *recognised = false;
  *isDual = false;
  const ModelSearchCriteria& criteria = gModelSearchCriteria;
  // Blanks round the text are no part of what is looked for.
  std::string trimmed = SkipBlanks(text != nullptr ? text : "");
  TrimTrailingBlanks(trimmed.data());
  trimmed.resize(std::strlen(trimmed.c_str()));
  const char* p = trimmed.c_str();
  if (*p == 0 && criteria.IsEmpty()) return nullptr;
  if (!criteria.IsUsable()) return nullptr;

  const LookUp q{p, criteria, findAll, recognised, isDual, why};
  if (const std::optional<LibraryEntry*> found = LookUpByIndex(q, stellation)) return *found;
  if (std::strchr(p, '|') != nullptr) return LookUpByWythoff(q);
  if (*p != 0 && *p != '!') {
    if (const std::optional<LibraryEntry*> found = LookUpByConfig(q)) return *found;
  }
  if (*p != '-' && *p != '!') {
    if (const std::optional<LibraryEntry*> found = LookUpByName(q)) return *found;
  }

  for (LibraryListNode* node = gHead; node != nullptr; node = node->Next()) node->mScore = -1;
  if (!findAll || gHead == nullptr) return nullptr;
  *isDual = gHead->mIsDual != 0;
  return gHead->mEntry;
}

int FindLibraryEntryByText(const LibraryEntry* entry, const PolyTemplate* poly, int* n, int* d) {
  if (n != nullptr) *n = -1;
  if (d != nullptr) *d = -1;
  if (entry != nullptr) return entry->GetIndex();
  if (poly == nullptr) return -1;
  std::vector<std::string> configs;
  for (const TemplatePolygon* t = poly->mNextToTry; t != nullptr; t = t->mNextToTry)
    configs.push_back(PolyTemplate::FormatVertexConfiguration(poly, t, false));
  for (const TemplatePolygon* t = poly->mPrevToTry; t != nullptr; t = t->mPrevToTry)
    configs.push_back(PolyTemplate::FormatVertexConfiguration(poly, t, true));
  for (int i = 0; i < kNumLibraryEntries; ++i) {
    const char* config = gLibraryTable[i].mConfig;
    if (config == nullptr || *config == 0) continue;
    size_t placeholder =
        std::strncmp(config, detail_ModelLookup::kPlaceholder, detail_ModelLookup::kPlaceholderLength) == 0
            ? detail_ModelLookup::kPlaceholderLength
        : config[0] == 'N' ? 1
                           : 0;
    for (const std::string& text : configs) {
      if (placeholder == 0) {
        if (text == config) return i;
        continue;
      }
      // A whole number in the placeholder's place; a fraction matches nothing.
      const char* t = text.c_str();
      if (!std::isdigit(static_cast<unsigned char>(*t))) continue;
      const char* rest = SkipDigits(t);
      if (*rest == '/' || std::strcmp(rest, config + placeholder) != 0) continue;
      if (n != nullptr) *n = static_cast<int>(std::strtol(t, nullptr, 10));
      if (d != nullptr) *d = 1;
      return i;
    }
  }
  return -1;
}

LibraryEntry* StepLibraryModel(LibraryEntry* entry, const PolyTemplate* poly, int step) {
  LibraryEntry* start = entry != nullptr ? entry : poly != nullptr ? poly->mEntry : nullptr;
  int index = start != nullptr ? start->GetIndex() : -1;
  if (index < 0) return nullptr;
  const int count = GetNumLibraryEntries();
  if (step == 0) return start;
  for (int tries = 0; tries <= count; ++tries) {
    index = ((index + step) % count + count) % count;
    if (!gLibraryTable[index].IsParametric()) return &gLibraryTable[index];
    if (step < -1) step = -1;
    if (step > 1) step = 1;
  }
  return nullptr;
}

int GetNumLibraryEntries() { return kNumLibraryEntries; }

bool CreateLibraryModel(LibraryEntry* entry, const LibraryEntry* defaultFrom, bool ask,
                        const std::function<void(const Outcome&)>& tell) {
  if (entry == nullptr) return false;
  if (!entry->IsParametric()) return true;
  char answer[detail_ModelLookup::kAnswerSize] = "5";
  if (defaultFrom != nullptr && defaultFrom->IsParametric()) {
    int n = 0, d = 1;
    defaultFrom->GetParams(n, d);
    if (d != 1) std::snprintf(answer, sizeof answer, "%d/%d", n, d);
    else std::snprintf(answer, sizeof answer, "%d", n);
  }
  for (;;) {
    if (ask && !AskText("Enter a value for <<N>", answer, detail_ModelLookup::kAnswerSize, 0)) return false;
    // "n" or, for the families that need it, "n/d".
    char* end = nullptr;
    int n = static_cast<int>(std::strtol(answer, &end, 10));
    int d = 1;
    if (end != nullptr && *end == '/') d = static_cast<int>(std::strtol(end + 1, nullptr, 10));
    Outcome why;
    if (entry->CheckParams(n, d, &why)) return true;
    if (tell) tell(why);
    if (!ask) return false;
  }
}

// ---- Categories -------------------------------------------------------------------------------

const char* GetCategoryName(int category) {
  if (category < 0 || category >= kNumLibraryCategories) return nullptr;
  const char* name = kLibraryCategories[category];
  while (*name == '-') ++name;
  return name;
}

int GetCategoryDepth(int category) {
  if (category < 0 || category >= kNumLibraryCategories) return 0;
  int depth = 0;
  for (const char* name = kLibraryCategories[category]; *name == '-'; ++name) ++depth;
  return depth;
}

int GetCategoryChildCount(int category) {
  if (category < 0 || category >= kNumLibraryCategories) return 0;
  int depth = GetCategoryDepth(category);
  int count = 0;
  for (int c = category + 1; c < kNumLibraryCategories && GetCategoryDepth(c) > depth; ++c) ++count;
  return count;
}

LibraryEntry* GetCategoryModel(int category, int position, bool makeCurrent, bool* isDual) {
  if (isDual != nullptr) *isDual = false;
  if (makeCurrent) SetCurrentSearchResult(nullptr);
  if (position < 0) return nullptr;
  if (category > 0) {
    int last = category + GetCategoryChildCount(category);
    for (int i = 0; i < kNumLibraryEntries; ++i) {
      int c = gLibraryTable[i].mCategory;
      if (c >= category && c <= last && position-- == 0) return &gLibraryTable[i];
    }
    return nullptr;
  }
  if (category < 0) return nullptr;
  for (LibraryListNode* node = GetSearchResults(); node != nullptr; node = node->Next()) {
    if (position-- > 0) continue;
    if (makeCurrent) SetCurrentSearchResult(node);
    if (isDual != nullptr) *isDual = node->mIsDual != 0;
    return node->mEntry;
  }
  return nullptr;
}

bool IsLibraryRootName(const char* text, int root) {
  if (text == nullptr || root < 0 || root >= kNumLibraryRoots) return false;
  return std::strcmp(text, gLibraryRoots[root].mFolderName) == 0;
}

int GetWenningerStellationRanges(int number, const int32_t** ranges) {
  const int32_t* p = detail_ModelLookup::kStellationTable;
  while (*p != 0) {
    if (p[0] == number) {
      if (ranges != nullptr) *ranges = p + 2;
      return p[1];
    }
    p += 2 + 2 * p[1];
  }
  return 0;
}

}  // namespace corvia
