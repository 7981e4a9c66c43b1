#include "construction/SpringRelax.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "construction/Random15.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "model/Face.h"
#include "model/Poly.h"
#include "model/Vertex.h"
#include "platform/Services.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_SpringRelax {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// Maps the generator's 0 .. 32767 onto -1 .. 1.
constexpr double kRandomScale = 6.103701895199438e-5;
constexpr double kNoMinimum = 9.9e40;
constexpr int kStepLimit = 10000;
constexpr int kStableLimit = 49;
constexpr double kProgressSteps = 100.0;
constexpr double kTimeStep = 0.5;
constexpr double kDamping = 0.5;
constexpr double kMinStiffness = 1e-13;
constexpr double kShapeStiffnessShare = 0.33333;
constexpr double kTemporaryStiffnessShare = 0.25;
// Vertex numbers of a face list beyond this are refused rather than allocated.
constexpr long long kMaxVertexNumber = 1000000;

struct World {
  ListNode* vertHead = nullptr;
  ListNode* vertTail = nullptr;
  ListNode* faceHead = nullptr;
  ListNode* faceTail = nullptr;
  ListNode* springHead = nullptr;
  ListNode* springTail = nullptr;
  int springCount = 0;
  Spring* root = nullptr;
  bool fourD = false;
  // Deletion of a node with two children alternates between its neighbours.
  bool takeLeft = true;
  Random15 random;
};

World& TheWorld() {
  static World world;
  return world;
}

int Dims() { return TheWorld().fourD ? 4 : 3; }

SpringVert* NewVert() {
  World& w = TheWorld();
  auto* v = new SpringVert();
  v->mIndex = w.vertTail ? static_cast<SpringVert*>(w.vertTail)->mIndex + 1 : 0;
  ListNode::Append(v, w.vertHead, w.vertTail);
  return v;
}

double Length(const double* d) {
  double sum = 0.0;
  for (int c = 0; c < Dims(); ++c) sum += d[c] * d[c];
  return std::sqrt(sum);
}

// Key order of a pair: by vertex number, the smaller first.
int ComparePair(const SpringVert* a, const SpringVert* b, const Spring* s) {
  if (a->mIndex != s->mEndA->mIndex) return a->mIndex < s->mEndA->mIndex ? -1 : 1;
  if (b->mIndex != s->mEndB->mIndex) return b->mIndex < s->mEndB->mIndex ? -1 : 1;
  return 0;
}

void ReplaceChild(Spring* parent, Spring* old, Spring* now) {
  if (!parent) {
    TheWorld().root = now;
  } else if (parent->mLeft == old) {
    parent->mLeft = now;
  } else {
    parent->mRight = now;
  }
  if (now) now->mParent = parent;
}

void TreeErase(Spring* s) {
  World& w = TheWorld();
  if (s->mLeft && s->mRight) {
    // Replace by the rightmost node of the left subtree or the leftmost of the
    // right subtree, in turn, so the tree does not lean to one side.
    Spring* r;
    if (w.takeLeft) {
      r = s->mLeft;
      while (r->mRight) r = r->mRight;
      if (r != s->mLeft) {
        ReplaceChild(r->mParent, r, r->mLeft);
        r->mLeft = s->mLeft;
        r->mLeft->mParent = r;
      }
      r->mRight = s->mRight;
      r->mRight->mParent = r;
    } else {
      r = s->mRight;
      while (r->mLeft) r = r->mLeft;
      if (r != s->mRight) {
        ReplaceChild(r->mParent, r, r->mRight);
        r->mRight = s->mRight;
        r->mRight->mParent = r;
      }
      r->mLeft = s->mLeft;
      r->mLeft->mParent = r;
    }
    w.takeLeft = !w.takeLeft;
    ReplaceChild(s->mParent, s, r);
  } else {
    ReplaceChild(s->mParent, s, s->mLeft ? s->mLeft : s->mRight);
  }
  s->mParent = s->mLeft = s->mRight = nullptr;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
const char* SkipBlanks(const char* s) {
  while (*s == ' ' || *s == '\t' || *s == '\r' || *s == '\n') ++s;
  return s;
}
long long ReadNumber(const char*& s) {
  long long value = 0;
  while (IsDigit(*s)) {
    if (value <= kMaxVertexNumber) value = value * 10 + (*s - '0');
    ++s;
  }
  return value;
}

// Reads the faces of a face list; without `build` only counts them and finds the
// largest vertex number. False after an error box.
bool ReadFaces(const char* start, bool build, int& numFaces, long long& maxVertex,
               const std::vector<SpringVert*>& verts) {
  World& w = TheWorld();
  const char* s = start;
  numFaces = 0;
  for (;;) {
    s = SkipBlanks(s);
    if (*s == '\0') return true;
    uint32_t flags = 0;
    if (*s == 't') {
      flags |= kSpringFaceNotInResult;
      s = SkipBlanks(s + 1);
    }
    if (*s == 'T') {
      flags |= kSpringFaceTemporary | kSpringFaceNotInResult;
      s = SkipBlanks(s + 1);
    }
    if (*s != '(') {
      ShowInternalError("Expected '(', got '%.50s'", s);
      return false;
    }
    s = SkipBlanks(s + 1);
    if (!IsDigit(*s)) {
      ShowInternalError("Expected digit after '(', got '%.50s'", s);
      return false;
    }
    std::vector<long long> numbers;
    for (;;) {
      s = SkipBlanks(s);
      if (*s == ')') break;
      if (!IsDigit(*s)) {
        ShowInternalError("No closing ')' in '%s'", start);
        return false;
      }
      const long long k = ReadNumber(s);
      if (k > kMaxVertexNumber) {
        ShowInternalError("Vertex number too large in '%.50s'", start);
        return false;
      }
      numbers.push_back(k);
      if (k > maxVertex) maxVertex = k;
    }
    s = SkipBlanks(s + 1);
    int wraps = 1;
    if (*s == '/') {
      s = SkipBlanks(s + 1);
      if (!IsDigit(*s)) {
        ShowInternalError("Expected digit after '/', got '%.50s'", s);
        return false;
      }
      const long long q = ReadNumber(s);
      // {n/q} needs 0 < q < n, else it has no circumradius.
      if (q < 1 || q >= static_cast<long long>(numbers.size())) {
        ShowInternalError("Bad number of wraps %lld in '%.50s'", q, start);
        return false;
      }
      wraps = static_cast<int>(q);
    }
    if (build) {
      auto* face = new SpringFace(static_cast<int>(numbers.size()));
      for (size_t i = 0; i < numbers.size(); ++i) {
        SpringVert* v = verts[static_cast<size_t>(numbers[i])];
        v->mFlags &= ~kSpringVertUnreferenced;
        v->mFlags |= kSpringVertModel;
        face->mVerts[i] = v;
      }
      face->SetWraps(wraps);
      face->mFlags = flags;
      ListNode::Append(face, w.faceHead, w.faceTail);
    }
    ++numFaces;
  }
}

// Places the vertices the ring labels name; returns how many were placed.
int PlaceRings(const char* text) {
  if (!text) return 0;
  struct Label {
    int count;
    int wraps;
    bool turned;
  };
  std::vector<Label> labels;
  const char* s = SkipBlanks(text);
  while (*s == 'l' || *s == 'L') {
    Label label{0, 1, false};
    ++s;
    if (*s == '+') {
      label.turned = true;
      ++s;
    }
    label.count = static_cast<int>(ReadNumber(s));
    if (*s == '/') {
      ++s;
      label.wraps = static_cast<int>(ReadNumber(s));
    }
    while (*s && *s != ' ' && *s != '\t') ++s;
    s = SkipBlanks(s);
    labels.push_back(label);
  }
  SpringVert* v = static_cast<SpringVert*>(TheWorld().vertHead);
  int placed = 0;
  const int r = static_cast<int>(labels.size());
  for (int i = 0; i < r; ++i) {
    const double y = r == 1 ? 1.0 : 1.0 - 2.0 * i / (r - 1);
    const Label& label = labels[static_cast<size_t>(i)];
    for (int j = 0; j < label.count && v; ++j) {
      for (double& c : v->mPos) c = 0.0;
      v->mPos[1] = y;
      if (label.count != 1) {
        const double a = (j + (label.turned ? 0.5 : 0.0)) / label.count * label.wraps * kTwoPi;
        v->mPos[0] = std::cos(a);
        v->mPos[2] = -std::sin(a);
      }
      v = static_cast<SpringVert*>(v->mNext);
      ++placed;
    }
  }
  return placed;
}

void CountSpring(SpringPolyDesc& desc, const Spring* s, bool temporary) {
  if (!s) return;
  if (s->mFlags & kSpringEdge) ++desc.mNumEdgeSprings;
  if (s->mFlags & kSpringDiagonal) ++desc.mNumDiagonalSprings;
  if (s->mFlags & kSpringTarget) ++desc.mNumTargetSprings;
  if (temporary) ++desc.mNumTemporarySprings;
}

// Deletes the springs and the target points so that CreateSprings can start again
// from the faces alone.
void ResetSprings() {
  World& w = TheWorld();
  while (w.springHead) DeleteSpring(static_cast<Spring*>(w.springHead));
  w.root = nullptr;
  for (ListNode* n = w.faceHead; n; n = n->mNext) {
    auto* f = static_cast<SpringFace*>(n);
    f->mVerts.resize(static_cast<size_t>(f->mNumSides));
  }
  ListNode* n = w.vertHead;
  while (n) {
    ListNode* next = n->mNext;
    auto* v = static_cast<SpringVert*>(n);
    v->mNeighbours.clear();
    if (!(v->mFlags & (kSpringVertModel | kSpringVertUnreferenced))) {
      ListNode::Unlink(v, w.vertHead, w.vertTail);
      delete v;
    }
    n = next;
  }
}

}  // namespace detail_SpringRelax

// ---- Records -----------------------------------------------------------------------

SpringVert::SpringVert() = default;

SpringFace::SpringFace(int numSides) : mNumSides(numSides) {
  mVerts.assign(static_cast<size_t>(numSides), nullptr);
  SetWraps(1);
}

void SpringFace::SetWraps(int wraps) {
  mWraps = wraps;
  mRadiusFactor = 1.0 / (2.0 * std::sin(detail_SpringRelax::kPi * wraps / mNumSides));
}

// ---- Global data ---------------------------------------------------------------------

SpringVert* GetFirstSpringVert() { return static_cast<SpringVert*>(detail_SpringRelax::TheWorld().vertHead); }
SpringFace* GetFirstSpringFace() { return static_cast<SpringFace*>(detail_SpringRelax::TheWorld().faceHead); }
Spring* GetFirstSpring() { return static_cast<Spring*>(detail_SpringRelax::TheWorld().springHead); }
int CountSprings() { return detail_SpringRelax::TheWorld().springCount; }
void SetFourDimensionalSprings(bool on) { detail_SpringRelax::TheWorld().fourD = on; }

void DeleteSpring(Spring* spring) {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  detail_SpringRelax::TreeErase(spring);
  ListNode::Unlink(spring, w.springHead, w.springTail);
  --w.springCount;
  delete spring;
}

void FreeAllSprings() {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  while (w.springHead) DeleteSpring(static_cast<Spring*>(w.springHead));
  w.root = nullptr;
  w.springCount = 0;
  w.fourD = false;
  while (w.faceHead) {
    ListNode* n = w.faceHead;
    ListNode::Unlink(n, w.faceHead, w.faceTail);
    delete n;
  }
  while (w.vertHead) {
    ListNode* n = w.vertHead;
    ListNode::Unlink(n, w.vertHead, w.vertTail);
    delete n;
  }
}

Spring* FindOrCreateSpring(SpringVert* a, SpringVert* b, double rest, bool temporary, int level, double stiffness) {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  if (b->mIndex < a->mIndex) std::swap(a, b);
  Spring* parent = nullptr;
  Spring** link = &w.root;
  while (*link) {
    Spring* s = *link;
    const int c = detail_SpringRelax::ComparePair(a, b, s);
    if (c == 0) {
      if (!temporary) s->mFlags &= ~kSpringTemporary;
      if (level > s->mLevel) s->mLevel = level;
      return nullptr;
    }
    parent = s;
    link = c < 0 ? &s->mLeft : &s->mRight;
  }
  auto* s = new Spring();
  s->mEndA = a;
  s->mEndB = b;
  s->mRestLength = rest;
  s->mStiffness = stiffness;
  s->mLevel = level;
  if (temporary) s->mFlags |= kSpringTemporary;
  s->mParent = parent;
  *link = s;
  ListNode::Append(s, w.springHead, w.springTail);
  ++w.springCount;
  return s;
}

// ---- Reading -------------------------------------------------------------------------

bool CreateFromDesc(SpringPolyDesc& desc, const char* text) {
  using detail_SpringRelax::IsDigit;
  using detail_SpringRelax::SkipBlanks;
  FreeAllSprings();
  desc.mFlags = 0;
  desc.mMaxHops = kSpringDefaultMaxHops;
  desc.mExtraLevel = -1;
  desc.mNumVerts = desc.mNumFaces = 0;
  if (!text) return false;
  const char* s = SkipBlanks(text);
  for (;;) {
    if (*s == 'h' || *s == 'H') {
      desc.mFlags |= kSpringDescNeighbourSprings;
      s = SkipBlanks(s + 1);
      if (IsDigit(*s)) desc.mMaxHops = static_cast<int>(detail_SpringRelax::ReadNumber(s));
      s = SkipBlanks(s);
    } else if (*s == '~') {
      desc.mExtraLevel = kSpringDefaultExtraLevel;
      s = SkipBlanks(s + 1);
      if (IsDigit(*s)) desc.mExtraLevel = static_cast<int>(detail_SpringRelax::ReadNumber(s));
      s = SkipBlanks(s);
    } else {
      break;
    }
  }
  desc.mText = s;
  while (*s == 'l' || *s == 'L') {
    while (*s && *s != ' ' && *s != '\t') ++s;
    s = SkipBlanks(s);
  }
  int numFaces = 0;
  long long maxVertex = -1;
  const std::vector<SpringVert*> none;
  if (!detail_SpringRelax::ReadFaces(s, false, numFaces, maxVertex, none)) {
    FreeAllSprings();
    return false;
  }
  desc.mNumVerts = static_cast<int>(maxVertex + 1);
  desc.mNumFaces = numFaces;
  std::vector<SpringVert*> verts;
  verts.reserve(static_cast<size_t>(desc.mNumVerts));
  for (int i = 0; i < desc.mNumVerts; ++i) {
    SpringVert* v = detail_SpringRelax::NewVert();
    v->mFlags = kSpringVertUnreferenced;
    verts.push_back(v);
  }
  if (!detail_SpringRelax::ReadFaces(s, true, numFaces, maxVertex, verts)) {
    FreeAllSprings();
    return false;
  }
  return true;
}

bool CreateFromPoly(SpringPolyDesc& desc, const Poly* poly) {
  FreeAllSprings();
  if (!poly) return false;
  desc.mPoly = poly;
  desc.mNumVerts = poly->mVertices.mCount;
  desc.mNumFaces = poly->mFaces.mCount;
  std::vector<SpringVert*> verts;
  for (const PolyElement* e = poly->mVertices.mHead; e; e = e->mNext) {
    SpringVert* v = detail_SpringRelax::NewVert();
    v->mFlags = kSpringVertModel;
    verts.push_back(v);
  }
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  for (const PolyElement* e = poly->mFaces.mHead; e; e = e->mNext) {
    auto* face = new SpringFace(e->mNumSides);
    for (int i = 0; i < e->mNumSides; ++i) {
      const int k = PolyElement::GetIndex(e->GetCorner(i));
      if (k < 0 || k >= static_cast<int>(verts.size())) {
        delete face;
        ShowInternalError("CreateFromPoly: Face corner %d is not a vertex of the model", i);
        FreeAllSprings();
        return false;
      }
      face->mVerts[static_cast<size_t>(i)] = verts[static_cast<size_t>(k)];
    }
    face->SetWraps(e->mDensity >= 1 && e->mDensity < e->mNumSides ? e->mDensity : 1);
    ListNode::Append(face, w.faceHead, w.faceTail);
  }
  return true;
}

// ---- Springs -------------------------------------------------------------------------

void CreateSprings(SpringPolyDesc& desc) {
  using detail_SpringRelax::kTwoPi;
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  platform::Services().views->SetWaitCursor(true);
  desc.mNumEdgeSprings = desc.mNumDiagonalSprings = desc.mNumTargetSprings = desc.mNumTemporarySprings = 0;
  for (ListNode* node = w.faceHead; node; node = node->mNext) {
    auto* f = static_cast<SpringFace*>(node);
    const int n = f->mNumSides;
    const int q = f->mWraps;
    const bool temporary = (f->mFlags & kSpringFaceTemporary) != 0;
    // Scales the chords of {n/q} on the unit circle to unit edges.
    const double c = n > 3 ? 1.0 / std::sqrt(2.0 - 2.0 * std::cos(kTwoPi * q / n)) : 1.0;
    if (n > 3) f->mVerts.resize(static_cast<size_t>(2 * n), nullptr);
    for (int k = 0; k < n; ++k) {
      SpringVert* vk = f->mVerts[static_cast<size_t>(k)];
      SpringVert* vp = f->mVerts[static_cast<size_t>(k == 0 ? n - 1 : k - 1)];
      Spring* s = FindOrCreateSpring(vp, vk, 1.0, temporary, n, 1.0);
      if (s) s->mFlags |= kSpringEdge;
      detail_SpringRelax::CountSpring(desc, s, temporary);
      for (int j = k + 2; j < n; ++j) {
        if (k == 0 && j == n - 1) continue;
        const double rest = std::sqrt(2.0 - 2.0 * std::cos((j - k) * kTwoPi * q / n)) * c;
        s = FindOrCreateSpring(vk, f->mVerts[static_cast<size_t>(j)], rest, temporary, n, 1.0);
        if (s) s->mFlags |= kSpringDiagonal;
        detail_SpringRelax::CountSpring(desc, s, temporary);
      }
      if (n > 3) {
        SpringVert* target = detail_SpringRelax::NewVert();
        f->mVerts[static_cast<size_t>(n + k)] = target;
        s = FindOrCreateSpring(target, vk, 0.0, temporary, -1, 1.0);
        if (s) s->mFlags |= kSpringTarget;
        detail_SpringRelax::CountSpring(desc, s, temporary);
      }
    }
  }
  for (ListNode* node = w.vertHead; node; node = node->mNext) static_cast<SpringVert*>(node)->mNeighbours.clear();
  for (ListNode* node = w.springHead; node; node = node->mNext) {
    auto* s = static_cast<Spring*>(node);
    if (!(s->mFlags & kSpringEdge)) continue;
    s->mEndA->mNeighbours.push_back(s->mEndB);
    s->mEndB->mNeighbours.push_back(s->mEndA);
  }
  platform::Services().views->SetWaitCursor(false);
}

void ScaleSpringModel() {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  double total = 0.0;
  int count = 0;
  for (ListNode* node = w.springHead; node; node = node->mNext) {
    auto* s = static_cast<Spring*>(node);
    if (!(s->mFlags & kSpringEdge)) continue;
    double d[4];
    for (int c = 0; c < 4; ++c) d[c] = s->mEndB->mPos[c] - s->mEndA->mPos[c];
    total += detail_SpringRelax::Length(d);
    ++count;
  }
  if (count == 0 || !(total > 0.0)) return;
  const double mean = total / count;
  for (ListNode* node = w.vertHead; node; node = node->mNext) {
    auto* v = static_cast<SpringVert*>(node);
    if (!(v->mFlags & kSpringVertModel)) continue;
    for (double& c : v->mPos) c /= mean;
  }
}

void CentreSpringModel() {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  double sum[4] = {0, 0, 0, 0};
  int count = 0;
  for (ListNode* node = w.vertHead; node; node = node->mNext) {
    auto* v = static_cast<SpringVert*>(node);
    if (!(v->mFlags & kSpringVertModel) || (v->mFlags & kSpringVertUnreferenced)) continue;
    for (int c = 0; c < 4; ++c) sum[c] += v->mPos[c];
    ++count;
  }
  if (count == 0) return;
  for (double& c : sum) c /= count;
  for (ListNode* node = w.vertHead; node; node = node->mNext) {
    auto* v = static_cast<SpringVert*>(node);
    for (int c = 0; c < 4; ++c) v->mPos[c] -= sum[c];
  }
}

bool ApplySpringSpecification(SpringPolyDesc& desc) {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  if (desc.mFlags & kSpringDescFromModel) {
    const PolyElement* e = desc.mPoly ? desc.mPoly->mVertices.mHead : nullptr;
    const int have = desc.mPoly ? desc.mPoly->mVertices.mCount : 0;
    // The spring set-up was made from the model itself (CreateFromPoly).
    if (have != desc.mNumVerts) {
      ShowInternalError("ApplySpringSpecification: %d vertices in the spring specification, %d in the model",
                        desc.mNumVerts, have);
    }
    for (ListNode* node = w.vertHead; node && e; node = node->mNext) {
      auto* v = static_cast<SpringVert*>(node);
      if (!(v->mFlags & kSpringVertModel)) continue;
      for (int c = 0; c < 3; ++c) v->mPos[c] = e->mDualVert[c];
      v->mPos[3] = 0.0;
      e = e->mNext;
    }
    ScaleSpringModel();
    return false;
  }
  const int placed = detail_SpringRelax::PlaceRings(desc.mText);
  bool usedRandom = false;
  int i = 0;
  for (ListNode* node = w.vertHead; node; node = node->mNext, ++i) {
    if (i < placed) continue;
    auto* v = static_cast<SpringVert*>(node);
    if (!(v->mFlags & kSpringVertModel)) continue;
    usedRandom = true;
    for (int c = 0; c < detail_SpringRelax::Dims(); ++c) {
      v->mPos[c] = w.random.Next() * detail_SpringRelax::kRandomScale - 1.0;
    }
  }
  ScaleSpringModel();
  return usedRandom;
}

double TimeStep(double dt, bool regular) {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  const int dims = detail_SpringRelax::Dims();
  for (ListNode* node = w.faceHead; node; node = node->mNext) {
    auto* f = static_cast<SpringFace*>(node);
    const int n = f->mNumSides;
    if (n <= 3 || static_cast<int>(f->mVerts.size()) < 2 * n) continue;
    auto P = [f](int i) { return f->mVerts[static_cast<size_t>(i)]->mPos; };
    double centre[4] = {0, 0, 0, 0};
    for (int k = 0; k < n; ++k) {
      for (int c = 0; c < 4; ++c) centre[c] += P(k)[c];
    }
    for (double& c : centre) c /= n;
    if (regular) {
      const int qq = std::min(f->mWraps, n - f->mWraps);
      const int q = qq < 0 ? -qq : qq;
      for (int k = 0; k < n; ++k) {
        double* target = P(n + k);
        double far[4];
        if (n % 2 == 0) {
          for (int c = 0; c < 4; ++c) far[c] = P((k + n / 2) % n)[c];
        } else {
          const double* a = P((k + (n - 1) / 2) % n);
          const double* b = P((k + (n + 1) / 2) % n);
          for (int c = 0; c < 4; ++c) far[c] = (a[c] + b[c]) / 2.0;
        }
        double u[4];
        bool zero = true;
        for (int c = 0; c < 4; ++c) {
          u[c] = centre[c] - far[c];
          if (std::fabs(u[c]) > kPointTolerance) zero = false;
        }
        if (zero) {
          for (int c = 0; c < 4; ++c) target[c] = 0.0;
          continue;
        }
        const double len = detail_SpringRelax::Length(u);
        double scale = f->mRadiusFactor / len;
        // For an odd star polygon whose q is even the corner lies on the same
        // side as the opposite edge.
        if (n % 2 == 1 && q % 2 == 0) scale = -scale;
        for (int c = 0; c < 4; ++c) target[c] = c < dims ? centre[c] + u[c] * scale : 0.0;
      }
    } else {
      double normal[3] = {0, 0, 0};
      for (int j = 1; j + 1 < n; ++j) {
        double a[3], b[3], x[3];
        for (int c = 0; c < 3; ++c) {
          a[c] = P(j)[c] - P(0)[c];
          b[c] = P(j + 1)[c] - P(0)[c];
        }
        x[0] = a[1] * b[2] - a[2] * b[1];
        x[1] = a[2] * b[0] - a[0] * b[2];
        x[2] = a[0] * b[1] - a[1] * b[0];
        for (int c = 0; c < 3; ++c) normal[c] += x[c];
      }
      const double lenSq = normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2];
      if (lenSq <= kPointTolerance) continue;
      for (double& c : normal) c /= std::sqrt(lenSq);
      for (int k = 0; k < n; ++k) {
        double* target = P(n + k);
        const double* p = P(k);
        double dist = 0.0;
        for (int c = 0; c < 3; ++c) dist += (p[c] - centre[c]) * normal[c];
        for (int c = 0; c < 3; ++c) target[c] = p[c] - dist * normal[c];
        target[3] = p[3];
      }
    }
  }
  for (ListNode* node = w.vertHead; node; node = node->mNext) {
    for (double& v : static_cast<SpringVert*>(node)->mVel) v *= detail_SpringRelax::kDamping;
  }
  double largest = 0.0;
  for (ListNode* node = w.springHead; node; node = node->mNext) {
    auto* s = static_cast<Spring*>(node);
    double d[4];
    for (int c = 0; c < 4; ++c) d[c] = s->mEndB->mPos[c] - s->mEndA->mPos[c];
    const double len = detail_SpringRelax::Length(d);
    const double f = (len - s->mRestLength) * s->mStiffness;
    if (std::fabs(f) > largest) largest = std::fabs(f);
    // Coinciding ends give no direction: pushing along a zero vector divided by
    // a zero length would fill every position with NaN.
    if (f == 0.0 || len < kVanishingTolerance) continue;
    const double k = f / len * dt;
    for (int c = 0; c < dims; ++c) {
      s->mEndA->mVel[c] += d[c] * k;
      s->mEndB->mVel[c] -= d[c] * k;
    }
  }
  for (ListNode* node = w.vertHead; node; node = node->mNext) {
    auto* v = static_cast<SpringVert*>(node);
    for (int c = 0; c < 4; ++c) v->mPos[c] += dt * v->mVel[c];
  }
  return largest;
}

double SettleOnceB(bool regular, int levelLimit) {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  double minimum = detail_SpringRelax::kNoMinimum;
  double force = 0.0;
  int steps = 0;
  int stable = 0;
  int numTargets = 0;
  if (levelLimit > 0) {
    for (ListNode* node = w.springHead; node; node = node->mNext) {
      if (static_cast<Spring*>(node)->mFlags & kSpringTarget) ++numTargets;
    }
  }
  for (;;) {
    if (levelLimit > 0) {
      // Fade the springs of the small faces and hand their stiffness to the
      // target springs, which now pull each face flat.
      double lost = 0.0;
      ListNode* node = w.springHead;
      while (node) {
        ListNode* next = node->mNext;
        auto* s = static_cast<Spring*>(node);
        if (s->mLevel >= 1 && s->mLevel <= levelLimit) {
          const double old = s->mStiffness;
          s->mStiffness /= 2.0;
          if (s->mStiffness < detail_SpringRelax::kMinStiffness) {
            lost += old;
            DeleteSpring(s);
          } else {
            lost += old - s->mStiffness;
          }
        }
        node = next;
      }
      // A model of triangles only has no target springs to take the share.
      if (numTargets > 0) {
        const double share = lost / numTargets;
        for (ListNode* t = w.springHead; t; t = t->mNext) {
          auto* s = static_cast<Spring*>(t);
          if (s->mFlags & kSpringTarget) s->mStiffness += share;
        }
      }
    }
    if (steps > detail_SpringRelax::kStepLimit) {
      // A trace, not a failure: the force left says whether the springs settled.
      DoNothing("STEP LIMIT REACHED!\n");
      break;
    }
    force = TimeStep(detail_SpringRelax::kTimeStep, regular);
    CentreSpringModel();
    if (!UpdateProgress(steps / (steps + detail_SpringRelax::kProgressSteps),
                        "%d iterations, force remaining in springs %g", steps, force) ||
        !(force > 0.0)) {
      break;
    }
    if (force >= minimum) {
      ++stable;
    } else {
      minimum = force;
      stable = 0;
    }
    ++steps;
    if (stable > detail_SpringRelax::kStableLimit) break;
  }
  // A trace: the force returned says whether the springs settled.
  DoNothing(" Final force = %g (min %g), took %d steps, %d springs, stable %d steps\n", force, minimum, steps,
            w.springCount, stable);
  return force;
}

int RemoveTemporarySprings() {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  int removed = 0;
  ListNode* node = w.springHead;
  while (node) {
    ListNode* next = node->mNext;
    auto* s = static_cast<Spring*>(node);
    if (s->mFlags & kSpringTemporary) {
      DeleteSpring(s);
      ++removed;
    }
    node = next;
  }
  ScaleSpringModel();
  return removed;
}

int AddNeighbourSprings(int maxHops) {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  int added = 0;
  int deepest = 0;
  struct SearchNode {
    SpringVert* vert;
    int depth;
  };
  std::vector<SearchNode> queue;
  std::vector<SpringVert*> visited;
  for (ListNode* node = w.vertHead; node; node = node->mNext) {
    auto* start = static_cast<SpringVert*>(node);
    queue.clear();
    visited.clear();
    queue.push_back({start, 0});
    start->mFlags |= kSpringVertVisited;
    visited.push_back(start);
    for (size_t head = 0; head < queue.size(); ++head) {
      const SearchNode current = queue[head];
      if (current.depth > deepest) deepest = current.depth;
      if (current.depth >= 2) {
        if (FindOrCreateSpring(start, current.vert, current.depth, true, -1, 1.0)) ++added;
      }
      if (current.depth >= maxHops) continue;
      for (SpringVert* next : current.vert->mNeighbours) {
        if (next->mFlags & kSpringVertVisited) continue;
        next->mFlags |= kSpringVertVisited;
        visited.push_back(next);
        queue.push_back({next, current.depth + 1});
      }
    }
    for (SpringVert* v : visited) v->mFlags &= ~kSpringVertVisited;
  }
  // A trace only, on no failure path.
  DoNothing("  Max %d hops\n", deepest);
  return added;
}

double SettleOnceA(SpringPolyDesc& desc) {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  ApplySpringSpecification(desc);
  for (ListNode* node = w.vertHead; node; node = node->mNext) {
    for (double& v : static_cast<SpringVert*>(node)->mVel) v = 0.0;
  }
  if (desc.mFlags & kSpringDescNeighbourSprings) desc.mNumTemporarySprings += AddNeighbourSprings(desc.mMaxHops);
  const double e = desc.mNumEdgeSprings;
  const double d = desc.mNumDiagonalSprings > 0 ? desc.mNumDiagonalSprings : 1;
  const double t = desc.mNumTargetSprings > 0 ? desc.mNumTargetSprings : 1;
  const double tmp = desc.mNumTemporarySprings > 0 ? desc.mNumTemporarySprings : 1;
  for (ListNode* node = w.springHead; node; node = node->mNext) {
    auto* s = static_cast<Spring*>(node);
    if (s->mFlags & (kSpringDiagonal | kSpringTarget)) {
      s->mStiffness = e / (t + d) * detail_SpringRelax::kShapeStiffnessShare;
    } else if (s->mFlags & kSpringTemporary) {
      s->mStiffness = e / tmp * detail_SpringRelax::kTemporaryStiffnessShare;
    }
  }
  double force = SettleOnceB(true, 0);
  if (RemoveTemporarySprings() > 0) force = SettleOnceB(true, 0);
  if (desc.mExtraLevel > 0) force = SettleOnceB(false, desc.mExtraLevel);
  // A trace: the caller judges the force returned.
  if (force > kSpringConvergedForce) DoNothing(" FINAL FORCE NON_ZERO: %g\n", force);
  return force;
}

double RelaxSpringModel(SpringPolyDesc& desc, int attempts) {
  detail_SpringRelax::World& w = detail_SpringRelax::TheWorld();
  ProgressScope scope;
  // The same description relaxes to the same model whatever ran before.
  w.random.Seed(kRandom15DefaultSeed);
  CreateSprings(desc);
  double force = 0.0;
  int ran = 0;
  for (int attempt = 0; attempt < (attempts > 0 ? attempts : 1); ++attempt) {
    if (attempt > 0) {
      // The previous attempt removed its temporary springs and faded those of the
      // small faces: a new attempt starts from the full set again.
      detail_SpringRelax::ResetSprings();
      CreateSprings(desc);
    }
    force = SettleOnceA(desc);
    ++ran;
    if (force < kSpringConvergedForce || (desc.mFlags & kSpringDescFromModel)) break;
  }
  auto result = std::make_unique<SimplePoly>(desc.mNumVerts, desc.mNumFaces);
  int i = 0;
  for (ListNode* node = w.vertHead; node && i < desc.mNumVerts; node = node->mNext, ++i) {
    auto* v = static_cast<SpringVert*>(node);
    result->VertAt(i).SetPos(v->mPos);
    if (!(v->mFlags & kSpringVertModel) || (v->mFlags & kSpringVertUnreferenced)) result->VertAt(i).flags |= kSimpleTemp;
  }
  i = 0;
  for (ListNode* node = w.faceHead; node && i < desc.mNumFaces; node = node->mNext, ++i) {
    auto* f = static_cast<SpringFace*>(node);
    SimpleFace& face = result->FaceAt(i);
    face.SetNumVerts(f->mNumSides, f->mWraps);
    for (int k = 0; k < f->mNumSides; ++k) face.SetVertIndex(k, f->mVerts[static_cast<size_t>(k)]->mIndex);
    if (f->mFlags & kSpringFaceNotInResult) face.flags |= kSimpleTemp;
  }
  FreeAllSprings();
  if ((desc.mFlags & kSpringDescFromModel) && desc.mPoly && desc.mPoly->mFaces.mCount == result->NumFaces()) {
    bool agree = true;
    const PolyElement* e = desc.mPoly->mFaces.mHead;
    for (int k = 0; k < result->NumFaces() && e; ++k, e = e->mNext) agree = agree && e->mNumSides == result->FaceAt(k).Count();
    if (agree) {
      e = desc.mPoly->mFaces.mHead;
      for (int k = 0; k < result->NumFaces() && e; ++k, e = e->mNext) {
        result->FaceAt(k).color = PackRainbowColor(e->mColor);
        result->FaceAt(k).color2 = PackRainbowColor(e->mBackColor);
      }
      result->flags |= kSimpleKeepColors;
    }
  }
  desc.mResult = std::move(result);
  // A trace only, on no failure path.
  if (ran > 1) DoNothing("Took %d attempts\n\n", ran);
  return force;
}

}  // namespace corvia
