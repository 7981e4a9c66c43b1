#include "symmetry/SimplePoly.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/FaceImageRef.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/Units.h"
#include "symmetry/SymGroup.h"

namespace corvia {

bool HideFacesWithHiddenVerts = false;

// ---- The position search ------------------------------------------------------------

// Vertex indices hashed by the grid cell of their position. A cell is ten times the
// merge tolerance wide, so two points within the tolerance lie in the same or in
// neighbouring cells, and a lookup visits at most 27 cells. The search holds
// indices, never addresses, so it survives every growth of the vertex array.
struct SimpleVertSearch {
  struct Key {
    int64_t c[3];
    int64_t infinite;
    bool operator==(const Key& o) const {
      return c[0] == o.c[0] && c[1] == o.c[1] && c[2] == o.c[2] && infinite == o.infinite;
    }
  };
  struct KeyHash {
    size_t operator()(const Key& k) const {
      uint64_t h = static_cast<uint64_t>(k.infinite) * 0x9E3779B97F4A7C15ull;
      for (int64_t c : k.c) {
        h ^= static_cast<uint64_t>(c) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
      }
      return static_cast<size_t>(h);
    }
  };
  std::unordered_map<Key, std::vector<int32_t>, KeyHash> cells;
  // Set when the cells do not follow the positions: before the first search (a
  // model whose corners are all given, as a hull's or a file's, never searches, and
  // filing each corner as it is placed would cost an allocation or two a corner) and
  // after every position may have changed (the whole model moved). The cells are
  // filled from the positions when a search first needs them.
  bool stale = true;
};

namespace detail_SimplePoly {

constexpr double kCellSize = 10 * kPointTolerance;
// Coordinates beyond this many cells share the outermost cell (no overflow).
constexpr double kCellLimit = 4.0e18;

int64_t CellOf(double x) {
  const double c = std::floor(x / kCellSize);
  if (!(c == c)) return 0;  // NaN: never equal to anything anyway
  if (c > kCellLimit) return static_cast<int64_t>(kCellLimit);
  if (c < -kCellLimit) return -static_cast<int64_t>(kCellLimit);
  return static_cast<int64_t>(c);
}

SimpleVertSearch::Key KeyOf(const double* p, bool infinite) {
  return SimpleVertSearch::Key{{CellOf(p[0]), CellOf(p[1]), CellOf(p[2])}, infinite ? 1 : 0};
}

bool IsBlank(const char* s) {
  if (!s) return true;
  for (; *s; ++s) {
    if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n') return false;
  }
  return true;
}

// Cuts a UTF-8 text to at most `limit` bytes on a character boundary.
size_t Utf8Cut(const std::string& s, size_t limit) {
  if (s.size() <= limit) return s.size();
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

// The words the program's operations put before the name of the model they make a
// new one from: a derived name is a chain of them before the name of the model the
// chain started from ("Convex hull of Dual compound of Cube").
constexpr const char* kOperationWords[] = {
    "Convex hull of ", "Convex core of ", "Dual compound of ", "Compound of mirror images of ",
    "Faceted ",        "Stellated ",      "Augmented ",        "Subdivided ",
    "Geodesic ",       "Zonohedrified "};
// Stands for the operations that a shortened name leaves out.
constexpr const char* kLeftOut = "... ";
// A joined name longer than this leaves out operations of its chain.
constexpr size_t kMaxJoined = 60;

bool StartsWithAt(const std::string& text, size_t at, const char* word) {
  return text.compare(at, std::strlen(word), word) == 0;
}

// The prefix before the base, the chain of operations in the base shortened so that
// the name of the model it started from stays whole. The innermost operation stays
// with that name: library names such as "Augmented Tridiminished Icosahedron" and
// "Stellated Truncated Hexahedron" begin with an operation's word themselves. The
// operations nearest the prefix, the latest, are kept while the name stays short.
std::string JoinShortened(const std::string& p, const std::string& b) {
  std::vector<std::string> chain;
  size_t at = 0;
  for (bool found = true; found;) {
    found = false;
    for (const char* word : kOperationWords) {
      if (!StartsWithAt(b, at, word)) continue;
      chain.emplace_back(word);
      at += chain.back().size();
      found = true;
      break;
    }
    if (!found && StartsWithAt(b, at, kLeftOut)) {
      chain.emplace_back(kLeftOut);
      at += chain.back().size();
      found = true;
    }
  }
  if (chain.size() < 2) return p + b;
  std::string root = b.substr(at);
  if (chain.back() != kLeftOut) root = chain.back() + root;
  chain.pop_back();
  const size_t fixed = p.size() + std::strlen(kLeftOut) + root.size();
  std::string kept;
  for (const std::string& word : chain) {
    if (word == kLeftOut || fixed + kept.size() + word.size() > kMaxJoined) break;
    kept += word;
  }
  return p + kept + kLeftOut + root;
}

void SetNameString(std::string& out, const char* base, const char* prefix, bool force, const char* fallback) {
  const bool blankBase = IsBlank(base);
  const bool blankPrefix = IsBlank(prefix);
  if (blankBase && blankPrefix) return;
  const std::string b = blankBase ? std::string(fallback) : std::string(base);
  const std::string p = prefix ? std::string(prefix) : std::string();
  std::string result;
  if (!force && !p.empty() && b.compare(0, p.size(), p) == 0) {
    result = b;
  } else if (p.size() + b.size() > kMaxJoined) {
    result = JoinShortened(p, b);
  } else {
    result = p + b;
  }
  constexpr size_t kMaxName = 128;
  constexpr size_t kCutAt = 124;
  if (result.size() >= kMaxName) {
    result.resize(Utf8Cut(result, kCutAt));
    result += "...";
  }
  out = std::move(result);
}

// For a name (std::string) or a label (OptionalText).
template <typename Text>
void SetPlainString(Text& out, const char* text) {
  if (IsBlank(text)) {
    out.clear();
  } else {
    out = text;
  }
}

}  // namespace detail_SimplePoly

// ---- Free helpers ---------------------------------------------------------------------

int ComparePos(const double* p, bool infinite, const SimpleVert& v, double t) {
  const bool vInfinite = v.IsInfinite();
  if (infinite != vInfinite) return infinite ? 1 : -1;
  for (int c = 0; c < 3; ++c) {
    if (v.pos[c] - t > p[c]) return -1;
    if (v.pos[c] + t < p[c]) return 1;
  }
  return 0;
}

bool SamePos(const double* a, const double* b) { return NearlyEqual(a, b, kPointTolerance); }

int WrapIndex(int i, int step, int n) {
  int r = i + step;
  if (r >= n) {
    r -= n;
  } else if (r < 0) {
    r += n;
  }
  return r;
}

void ListInsertBefore(ListNode* anchor, ListNode* node, ListNode*& head, ListNode*& tail) {
  if (!anchor) {
    ListNode::Append(node, head, tail);
    return;
  }
  node->mNext = anchor;
  node->mPrev = anchor->mPrev;
  if (anchor->mPrev) {
    anchor->mPrev->mNext = node;
  } else {
    head = node;
  }
  anchor->mPrev = node;
}

void ListUnlink(ListNode* node, ListNode*& head, ListNode*& tail) {
  if (!node) return;
  ListNode::Unlink(node, head, tail);
  delete node;
}

// ---- SimpleElement ----------------------------------------------------------------------

SimpleElementExtras::~SimpleElementExtras() { FaceImage::Release(image); }

SimpleElement::SimpleElement(bool isFace, uint32_t c, uint32_t c2)
    : flags(isFace ? kSimpleIsFace : 0), color(c), color2(c2) {}

SimpleElement::SimpleElement(SimpleElement&& o) noexcept
    : items(std::move(o.items)),
      owner(o.owner),
      flags(o.flags),
      typeId(o.typeId),
      color(o.color),
      color2(o.color2),
      nextOfType(o.nextOfType),
      coinc(o.coinc),
      mExtras(std::move(o.mExtras)) {}

SimpleElement& SimpleElement::operator=(SimpleElement&& o) noexcept {
  if (this == &o) return *this;
  items = std::move(o.items);
  owner = o.owner;
  flags = o.flags;
  typeId = o.typeId;
  color = o.color;
  color2 = o.color2;
  nextOfType = o.nextOfType;
  coinc = o.coinc;
  mExtras = std::move(o.mExtras);
  return *this;
}

SimpleElement::~SimpleElement() = default;

const OptionalText& SimpleElement::NoLabel() {
  static const OptionalText none;
  return none;
}

SimpleElementExtras& SimpleElement::Extras() {
  if (!mExtras) mExtras = std::make_unique<SimpleElementExtras>();
  return *mExtras;
}

void SimpleElement::TrimExtras() {
  if (mExtras && mExtras->AllDefault()) mExtras.reset();
}

void SimpleElement::SetImage(FaceImage* image) {
  if (!image && !mExtras) return;
  SimpleElementExtras& extras = Extras();
  FaceImage::Release(extras.image);
  extras.image = image;
  TrimExtras();
}

void SimpleElement::SetLabel(const char* text) {
  if (detail_SimplePoly::IsBlank(text) && !mExtras) return;
  detail_SimplePoly::SetPlainString(Extras().label, text);
  TrimExtras();
}

void SimpleElement::SetAlpha(float alpha) {
  if (alpha == 1.0f && !mExtras) return;
  Extras().alpha = alpha;
  TrimExtras();
}

// The copy gets its own image, one per source image for the whole model copy (the
// copy links are cleared before each copy); a source without one leaves none.
void SimpleElement::CopyAttributes(const SimpleElement& from) {
  flags |= from.flags & kSimpleCopiedFlags;
  color = from.color;
  color2 = from.color2;
  if (!from.mExtras && !mExtras) return;
  FaceImage* image = CopyFaceImage(from.Image());
  // The source's fields are read before the target's extras are made: they may be
  // the same element's.
  const float alpha = from.Alpha();
  OptionalText label = from.Label();
  SimpleElementExtras& extras = Extras();
  FaceImage::Release(extras.image);
  extras.image = image;
  extras.alpha = alpha;
  extras.label = std::move(label);
  TrimExtras();
}

int SimpleElement::FindItem(int32_t item, int after) const {
  const int n = Count();
  for (int i = after < 0 ? 0 : after + 1; i < n; ++i) {
    if (items[static_cast<size_t>(i)] == item) return i;
  }
  return -1;
}

void SimpleEdge::SetLabel(const char* text) { detail_SimplePoly::SetPlainString(label, text); }

// ---- SimpleVert ----------------------------------------------------------------------------

int32_t SimpleVert::GetIndex() const {
  if (!owner || owner->mVerts.empty()) return -1;
  const SimpleVert* first = owner->mVerts.data();
  if (this < first || this >= first + owner->mVerts.size()) return -1;
  return static_cast<int32_t>(this - first);
}

SimpleFace& SimpleVert::FaceAt(int i) const { return owner->FaceAt(items[static_cast<size_t>(i)]); }

void SimpleVert::SetPos(const double* p) {
  const int32_t index = GetIndex();
  const bool inSearch = (flags & kSimpleInTree) != 0 && index >= 0;
  if (inSearch) owner->SearchErase(index);
  pos[0] = p[0];
  pos[1] = p[1];
  pos[2] = p[2];
  if (inSearch) {
    owner->SearchInsert(index);
  } else {
    InsertInTree();
  }
}

void SimpleVert::InsertInTree() {
  if (flags & kSimpleInTree) return;
  const int32_t index = GetIndex();
  if (index < 0) return;
  owner->SearchInsert(index);
  flags |= kSimpleInTree;
}

void SimpleVert::CopyFrom(const SimpleVert& v, bool withPos) {
  if (withPos) SetPos(v.pos);
  CopyAttributes(v);
}

int SimpleVert::CountLiveFaces() const {
  int n = 0;
  for (int32_t f : items) {
    if (!owner->FaceAt(f).IsTemp()) ++n;
  }
  return n;
}

namespace detail_SimplePoly {

// Rings are walked at most once round the whole array: a damaged ring cannot loop.
template <typename Rec, typename Link>
bool RingContains(std::vector<Rec>& array, int32_t start, int32_t wanted, Link link) {
  int32_t k = start;
  for (size_t steps = 0; steps <= array.size(); ++steps) {
    if (k == wanted) return true;
    k = link(array[static_cast<size_t>(k)]);
    if (k < 0 || k >= static_cast<int32_t>(array.size()) || k == start) return false;
  }
  return false;
}

// The first element of k's type's set, halving the paths on the way.
int32_t TypeSetOf(std::vector<int32_t>& parent, int32_t k) {
  while (parent[static_cast<size_t>(k)] != k) {
    const int32_t up = parent[static_cast<size_t>(parent[static_cast<size_t>(k)])];
    parent[static_cast<size_t>(k)] = up;
    k = up;
  }
  return k;
}

template <typename Rec>
void JoinTypeRings(std::vector<Rec>& array, std::vector<int32_t>& parent, int32_t self, int32_t other) {
  Rec& a = array[static_cast<size_t>(self)];
  Rec& b = array[static_cast<size_t>(other)];
  if (!parent.empty()) {
    // Elements added since the joins were deferred start sets of their own.
    while (parent.size() < array.size()) parent.push_back(static_cast<int32_t>(parent.size()));
    const int32_t setA = TypeSetOf(parent, self);
    const int32_t setB = TypeSetOf(parent, other);
    if (setA == setB) return;
    parent[static_cast<size_t>(setB)] = setA;
    std::swap(a.nextOfType, b.nextOfType);
    return;
  }
  if (a.typeId == b.typeId || self == other) return;
  int32_t k = other;
  for (size_t steps = 0; steps <= array.size(); ++steps) {
    Rec& r = array[static_cast<size_t>(k)];
    r.typeId = a.typeId;
    k = r.nextOfType;
    if (k < 0 || k >= static_cast<int32_t>(array.size()) || k == other) break;
  }
  std::swap(a.nextOfType, b.nextOfType);
}

template <typename Rec>
void SettleTypes(std::vector<Rec>& array, std::vector<int32_t>& parent) {
  // A set's first element never had its type written over: it holds the set's.
  for (size_t k = 0; k < parent.size() && k < array.size(); ++k) {
    array[k].typeId = array[static_cast<size_t>(TypeSetOf(parent, static_cast<int32_t>(k)))].typeId;
  }
  std::vector<int32_t>().swap(parent);
}

}  // namespace detail_SimplePoly

void SimpleVert::JoinTypeRing(SimpleVert& other) {
  detail_SimplePoly::JoinTypeRings(owner->mVerts, owner->mVertTypeParent, GetIndex(), other.GetIndex());
}

void SimplePoly::DeferTypeJoins() {
  mVertTypeParent.resize(mVerts.size());
  for (size_t k = 0; k < mVerts.size(); ++k) mVertTypeParent[k] = static_cast<int32_t>(k);
  mFaceTypeParent.resize(mFaces.size());
  for (size_t k = 0; k < mFaces.size(); ++k) mFaceTypeParent[k] = static_cast<int32_t>(k);
}

void SimplePoly::SettleTypeJoins() {
  detail_SimplePoly::SettleTypes(mVerts, mVertTypeParent);
  detail_SimplePoly::SettleTypes(mFaces, mFaceTypeParent);
}

void SimpleVert::SetRingFlags(uint32_t bits) {
  const int32_t start = GetIndex();
  int32_t k = start;
  for (int steps = 0; steps <= owner->NumVerts(); ++steps) {
    SimpleVert& v = owner->VertAt(k);
    v.flags |= bits;
    k = v.coinc;
    if (k < 0 || k >= owner->NumVerts() || k == start) break;
  }
}

void SimpleVert::ClearRingFlags(uint32_t bits) {
  const int32_t start = GetIndex();
  int32_t k = start;
  for (int steps = 0; steps <= owner->NumVerts(); ++steps) {
    SimpleVert& v = owner->VertAt(k);
    v.flags &= ~bits;
    k = v.coinc;
    if (k < 0 || k >= owner->NumVerts() || k == start) break;
  }
}

void SimpleVert::DumpTree(int indent) const {
  // The search has no tree shape; the vertices are written in the order of
  // positions (finite before infinite, then x, y, z), one level deep.
  if (!owner) return;
  std::vector<int> order;
  for (int i = 0; i < owner->NumVerts(); ++i) {
    if (owner->VertAt(i).flags & kSimpleInTree) order.push_back(i);
  }
  const SimplePoly* model = owner;
  MergeSort(order, [model](int a, int b) {
    const SimpleVert& va = model->VertAt(a);
    const int c = -ComparePos(model->VertAt(b).pos, model->VertAt(b).IsInfinite(), va, kPointTolerance);
    return c != 0 ? c : a - b;
  });
  // A trace only, on no failure path.
  for (int i : order) DoNothing("%*s%d\n", indent, "", i);
}

// ---- SimpleFace ------------------------------------------------------------------------------

int32_t SimpleFace::GetIndex() const {
  if (!owner || owner->mFaces.empty()) return -1;
  const SimpleFace* first = owner->mFaces.data();
  if (this < first || this >= first + owner->mFaces.size()) return -1;
  return static_cast<int32_t>(this - first);
}

SimpleVert& SimpleFace::VertAt(int i) const { return owner->VertAt(items[static_cast<size_t>(i)]); }

SimpleVert& SimpleFace::VertWrapped(int i) const {
  const int n = Count();
  int k = i % n;
  if (k < 0) k += n;
  return VertAt(k);
}

void SimpleFace::SetNumVerts(int n, int windingNumber) {
  if (n < 0) n = 0;
  items.assign(static_cast<size_t>(n), kNoIndex);
  winding = windingNumber;
  if (n == 0 && owner) owner->flags |= kSimpleHasPlaneFaces;
}

void SimpleFace::SetVert(int i, const SimpleVert* v) { items[static_cast<size_t>(i)] = v ? v->GetIndex() : kNoIndex; }

void SimpleFace::SetVertIndex(int i, int32_t k) { items[static_cast<size_t>(i)] = k; }

int SimpleFace::FindVert(const SimpleVert* v, int after) const { return v ? FindItem(v->GetIndex(), after) : -1; }

int SimpleFace::FindVertAtPos(const double* p, int after) const {
  for (int i = after < 0 ? 0 : after + 1; i < Count(); ++i) {
    if (items[static_cast<size_t>(i)] >= 0 && SamePos(VertAt(i).pos, p)) return i;
  }
  return -1;
}

void SimpleFace::RemoveVertsAt(int i, int k) {
  if (i < 0 || k <= 0 || i >= Count()) return;
  const int end = std::min(Count(), i + k);
  items.erase(items.begin() + i, items.begin() + end);
}

void SimpleFace::RemoveVert(const SimpleVert* v) {
  const int i = FindVert(v);
  if (i >= 0) RemoveVertsAt(i, 1);
}

void SimpleFace::InsertVertAt(int i, const SimpleVert* v) {
  i = std::clamp(i, 0, Count());
  items.insert(items.begin() + i, v ? v->GetIndex() : kNoIndex);
}

bool SimpleFace::HasEdge(int32_t a, int32_t b) const {
  const int n = Count();
  for (int k = 0; k < n; ++k) {
    if (items[static_cast<size_t>(k)] != a) continue;
    if (items[static_cast<size_t>(WrapIndex(k, 1, n))] == b) return true;
    if (items[static_cast<size_t>(WrapIndex(k, -1, n))] == b) return true;
  }
  return false;
}

SimpleFace* SimpleFace::GetAdjacentFace(int edgeIndex) const {
  const int n = Count();
  if (!owner || n < 2 || edgeIndex < 0 || edgeIndex >= n) return nullptr;
  const int32_t a = items[static_cast<size_t>(edgeIndex)];
  const int32_t b = items[static_cast<size_t>(WrapIndex(edgeIndex, 1, n))];
  if (a < 0 || b < 0) return nullptr;
  const SimpleVert& va = owner->VertAt(a);
  const int32_t self = GetIndex();
  const int m = va.Count();
  // The list round a is cyclic: the neighbours of its ends are at the other end.
  for (int j = 0; j < m; ++j) {
    if (va.items[static_cast<size_t>(j)] != self) continue;
    for (int step : {1, -1}) {
      const int k = WrapIndex(j, step, m);
      if (k == j) continue;
      SimpleFace& g = owner->FaceAt(va.items[static_cast<size_t>(k)]);
      if (g.HasEdge(a, b)) return &g;
    }
  }
  return nullptr;
}

bool SimpleFace::AllVertsHidden() const {
  if (flags & (kSimpleTemp | kSimpleHidden)) return true;
  if (!HideFacesWithHiddenVerts) return false;
  for (int i = 0; i < Count(); ++i) {
    if (items[static_cast<size_t>(i)] < 0) continue;
    if (!(VertAt(i).flags & (kSimpleTemp | kSimpleHidden))) return false;
  }
  return true;
}

void SimpleFace::CopyFrom(const SimpleFace& f) {
  CopyVector(normal, f.normal);
  CopyAttributes(f);
}

void SimpleFace::JoinTypeRing(SimpleFace& other) {
  detail_SimplePoly::JoinTypeRings(owner->mFaces, owner->mFaceTypeParent, GetIndex(), other.GetIndex());
}

int SimpleFace::CoincCount() const {
  const int32_t start = GetIndex();
  int n = 0;
  int32_t k = start;
  for (int steps = 0; steps <= owner->NumFaces(); ++steps) {
    ++n;
    k = owner->FaceAt(k).coinc;
    if (k < 0 || k >= owner->NumFaces() || k == start) break;
  }
  return n;
}

void SimpleFace::JoinCoinc(SimpleFace& other) {
  const int32_t self = GetIndex();
  const int32_t o = other.GetIndex();
  if (detail_SimplePoly::RingContains(owner->mFaces, self, o, [](const SimpleFace& f) { return f.coinc; })) return;
  std::swap(coinc, other.coinc);
}

// ---- SimplePoly: arrays -----------------------------------------------------------------------

SimplePoly::SimplePoly(int numVerts, int numFaces) : mSearch(std::make_unique<SimpleVertSearch>()) {
  // A model is measured in the units of the one shown, whose lengths a model made from
  // it carries across (KeepLengthUnits). The roads by which a new model enters give it
  // the user's own scale instead (UnitSettings::mUserLengthScale).
  scale = GetUnitSettings().mLengthScale;
  Resize(numVerts, numFaces);
}

SimplePoly::~SimplePoly() = default;

void SimplePoly::InitRecords(int firstVert, int firstFace) {
  for (int i = firstVert; i < NumVerts(); ++i) {
    SimpleVert& v = VertAt(i);
    v.owner = this;
    v.nextOfType = i;
    v.coinc = i;
  }
  for (int i = firstFace; i < NumFaces(); ++i) {
    SimpleFace& f = FaceAt(i);
    f.owner = this;
    f.nextOfType = i;
    f.coinc = i;
  }
}

void SimplePoly::Resize(int newVerts, int newFaces) {
  const int oldVerts = NumVerts();
  const int oldFaces = NumFaces();
  const bool large = newVerts - oldVerts > kRecordsPerReport || newFaces - oldFaces > kRecordsPerReport;
  if (!large) {
    if (newVerts > oldVerts) mVerts.resize(static_cast<size_t>(newVerts));
    if (newFaces > oldFaces) mFaces.resize(static_cast<size_t>(newFaces));
    InitRecords(oldVerts, oldFaces);
    return;
  }
  // A large model's records take most of a second to make: the window answers between
  // runs of them. A cancel is not taken here, where the caller cannot stop; its next
  // report hears it.
  const ProgressShield noCancelHere;
  if (newVerts > oldVerts) mVerts.reserve(static_cast<size_t>(newVerts));
  if (newFaces > oldFaces) mFaces.reserve(static_cast<size_t>(newFaces));
  while (NumVerts() < newVerts || NumFaces() < newFaces) {
    const int verts = NumVerts();
    const int faces = NumFaces();
    if (verts < newVerts) {
      mVerts.resize(static_cast<size_t>(std::min(verts + kRecordsPerReport, newVerts)));
    } else {
      mFaces.resize(static_cast<size_t>(std::min(faces + kRecordsPerReport, newFaces)));
    }
    InitRecords(verts, faces);
    (void)ProgressTick();
  }
}

void SimplePoly::Reserve(int numVerts, int numFaces) {
  if (numVerts > 0) mVerts.reserve(static_cast<size_t>(numVerts));
  if (numFaces > 0) mFaces.reserve(static_cast<size_t>(numFaces));
}

SimpleVert& SimplePoly::AddVert() {
  if (mVerts.capacity() == mVerts.size()) mVerts.reserve(2 * mVerts.size() + 10);
  Resize(NumVerts() + 1, NumFaces());
  return mVerts.back();
}

SimpleFace& SimplePoly::AddFace() {
  if (mFaces.capacity() == mFaces.size()) mFaces.reserve(2 * mFaces.size() + 10);
  Resize(NumVerts(), NumFaces() + 1);
  return mFaces.back();
}

SimpleVert* SimplePoly::GetVert(int i) {
  if (i < 0) {
    ShowInternalError("GetVert: vertIdx %d < 0", i);
    return nullptr;
  }
  if (i < NumVerts()) return &VertAt(i);
  if (!(flags & kSimpleGrowable)) {
    ShowInternalError("GetVert: vertIdx %d >= mNumVerts %d", i, NumVerts());
    return nullptr;
  }
  // Builders that grow the vertices give no edges.
  mEdges.clear();
  // Room for twice as many, so that growth one by one stays linear.
  if (mVerts.capacity() <= static_cast<size_t>(i)) mVerts.reserve(2 * static_cast<size_t>(i) + 10);
  Resize(i + 1, NumFaces());
  return &VertAt(i);
}

SimpleFace* SimplePoly::GetFace(int i) {
  if (i < 0) {
    ShowInternalError("GetFace: faceIdx %d < 0", i);
    return nullptr;
  }
  if (i < NumFaces()) return &FaceAt(i);
  if (!(flags & kSimpleGrowable)) {
    ShowInternalError("GetFace: faceIdx %d >= mNumFaces %d", i, NumFaces());
    return nullptr;
  }
  if (mFaces.capacity() <= static_cast<size_t>(i)) mFaces.reserve(2 * static_cast<size_t>(i) + 10);
  Resize(NumVerts(), i + 1);
  return &FaceAt(i);
}

bool SimplePoly::Truncate(int newVerts, int newFaces) {
  newVerts = std::clamp(newVerts, 0, NumVerts());
  newFaces = std::clamp(newFaces, 0, NumFaces());
  auto refused = [&]() {
    ShowInternalError("Truncate: a kept element refers to a dropped one");
    return false;
  };
  for (int i = 0; i < newFaces; ++i) {
    const SimpleFace& f = FaceAt(i);
    for (int32_t v : f.items) {
      if (v >= newVerts) return refused();
    }
    if (f.nextOfType >= newFaces || f.coinc >= newFaces) return refused();
  }
  for (int i = 0; i < newVerts; ++i) {
    const SimpleVert& v = VertAt(i);
    for (int32_t f : v.items) {
      if (f >= newFaces) return refused();
    }
    if (v.nextOfType >= newVerts || v.coinc >= newVerts) return refused();
  }
  for (const SimpleEdge& e : mEdges) {
    if (e.endA >= newVerts || e.endB >= newVerts || e.faceA >= newFaces || e.faceB >= newFaces) return refused();
  }
  if (currentFace >= newFaces) return refused();
  for (int i = newVerts; i < NumVerts(); ++i) {
    if (VertAt(i).flags & kSimpleInTree) SearchErase(i);
  }
  mVerts.erase(mVerts.begin() + newVerts, mVerts.end());
  mFaces.erase(mFaces.begin() + newFaces, mFaces.end());
  return true;
}

void SimplePoly::ReleaseElements() {
  std::vector<SimpleVert>().swap(mVerts);
  std::vector<SimpleFace>().swap(mFaces);
  mSearch = std::make_unique<SimpleVertSearch>();
  currentFace = kNoIndex;
  flags &= ~(kSimpleHasVertFaceLists | kSimpleSortedFaceLists);
}

void SimplePoly::SetNumEdges(int n) {
  mEdges.clear();
  if (n > 0) mEdges.resize(static_cast<size_t>(n));
}

// ---- SimplePoly: position search --------------------------------------------------------------

void SimplePoly::SearchInsert(int32_t index) {
  if (mSearch->stale) return;
  const SimpleVert& v = VertAt(index);
  mSearch->cells[detail_SimplePoly::KeyOf(v.pos, v.IsInfinite())].push_back(index);
}

void SimplePoly::SearchErase(int32_t index) {
  if (mSearch->stale) return;
  const SimpleVert& v = VertAt(index);
  auto it = mSearch->cells.find(detail_SimplePoly::KeyOf(v.pos, v.IsInfinite()));
  if (it == mSearch->cells.end()) return;
  std::vector<int32_t>& list = it->second;
  list.erase(std::remove(list.begin(), list.end(), index), list.end());
  if (list.empty()) mSearch->cells.erase(it);
}

int32_t SimplePoly::SearchFind(const double* p, bool infinite) const {
  if (mSearch->stale) {
    mSearch->stale = false;
    for (int i = 0; i < NumVerts(); ++i) {
      const SimpleVert& v = VertAt(i);
      if (v.flags & kSimpleInTree) mSearch->cells[detail_SimplePoly::KeyOf(v.pos, v.IsInfinite())].push_back(i);
    }
  }
  const SimpleVertSearch::Key centre = detail_SimplePoly::KeyOf(p, infinite);
  int32_t best = kNoIndex;
  SimpleVertSearch::Key key = centre;
  for (int64_t dx = -1; dx <= 1; ++dx) {
    for (int64_t dy = -1; dy <= 1; ++dy) {
      for (int64_t dz = -1; dz <= 1; ++dz) {
        key.c[0] = centre.c[0] + dx;
        key.c[1] = centre.c[1] + dy;
        key.c[2] = centre.c[2] + dz;
        auto it = mSearch->cells.find(key);
        if (it == mSearch->cells.end()) continue;
        for (int32_t k : it->second) {
          if ((best < 0 || k < best) && ComparePos(p, infinite, VertAt(k), kPointTolerance) == 0) best = k;
        }
      }
    }
  }
  return best;
}

void SimplePoly::RebuildVertexSearch() {
  // The cells of a large model take a while to free: one by one, with the progress
  // window answering.
  ProgressTicker tick;
  for (auto cell = mSearch->cells.begin(); cell != mSearch->cells.end();) {
    (void)tick();
    cell = mSearch->cells.erase(cell);
  }
  mSearch->stale = true;
}

SimpleVert* SimplePoly::FindOrCreateVert(const double* p, int& usedCount, bool infinite) {
  const int32_t found = SearchFind(p, infinite);
  if (found >= 0) return &VertAt(found);
  SimpleVert* v = GetVert(usedCount);
  if (!v) return nullptr;
  ++usedCount;
  // The kind decides where the vertex sorts, so it is set before the vertex is
  // entered in the search.
  if (infinite) v->flags |= kSimpleInfinite;
  v->SetPos(p);
  return v;
}

// ---- SimplePoly: names and attributes ---------------------------------------------------------

void SimplePoly::SetName(const char* base, const char* prefix, bool force) {
  detail_SimplePoly::SetNameString(name, base, prefix, force, "Polyhedron");
}

void SimplePoly::SetDualName(const char* base, const char* prefix, bool force) {
  detail_SimplePoly::SetNameString(dualName, base, prefix, force, "Dual");
}

void SimplePoly::SetDescription(const char* text) { detail_SimplePoly::SetPlainString(description, text); }

void SimplePoly::SetWebLink(const char* text) { detail_SimplePoly::SetPlainString(webLink, text); }

void SimplePoly::SetSymmetry(const SymGroup* group) {
  // Copied before the old group goes, so a model may be given its own group.
  std::unique_ptr<SymGroup> copy = CopySymGroup(group);
  symmetry = std::move(copy);
}

size_t SimplePoly::GetMemorySize() const {
  constexpr size_t kModelBytes = 72, kVertBytes = 104, kFaceBytes = 88, kEdgeBytes = 32, kItemBytes = 4;
  size_t size = kModelBytes;
  for (const std::string* s : {&name, &dualName, &description, &webLink}) {
    if (!s->empty()) size += s->size() + 1;
  }
  size += SymGroup::GetMemorySize(symmetry.get());
  for (const SimpleVert& v : mVerts) size += kVertBytes + kItemBytes * v.items.size();
  for (const SimpleFace& f : mFaces) size += kFaceBytes + kItemBytes * f.items.size();
  size += kEdgeBytes * mEdges.size();
  return size;
}

int SimplePoly::CountFacesWithoutFlags(uint32_t bits) const {
  int n = 0;
  for (const SimpleFace& f : mFaces) {
    if (!(f.flags & bits)) ++n;
  }
  return n;
}

void SimplePoly::ClearVertFlags(uint32_t bits) {
  for (SimpleVert& v : mVerts) v.flags &= ~bits;
}

void SimplePoly::ClearFaceFlags(uint32_t bits) {
  for (SimpleFace& f : mFaces) f.flags &= ~bits;
}

void SimplePoly::ClearAllFlags(uint32_t bits) {
  ClearVertFlags(bits);
  ClearFaceFlags(bits);
}

}  // namespace corvia
