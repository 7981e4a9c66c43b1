#include "symmetry/ExportPrep.h"

#include <cmath>
#include <new>
#include <set>
#include <utility>
#include <vector>

#include "core/ColorList.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "platform/Services.h"
#include "symmetry/SimplePoly.h"

namespace corvia::detail_ExportPrep {

// Faces and vertices that take no part in an export.
constexpr uint32_t kNotExported = kSimpleTemp | kSimpleHidden;
// Flags a flat subdivision adds when the source is one of the marked categories, and
// those a geodesic one adds.
constexpr uint32_t kSubdividedCategoryFlags =
    kSimpleKeepLengthUnits | kSimpleConvex | kSimpleDensityOne | kSimplePlainSurface;
constexpr uint32_t kGeodesicCategoryFlags = kSimpleDensityOne | kSimplePlainSurface;

// Collects edges once each (as AddEdgeToList does) without searching the list.
class EdgeCollector {
 public:
  void Add(int32_t a, int32_t b, uint32_t color) {
    const std::pair<int32_t, int32_t> key = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
    if (!mSeen.insert(key).second) return;
    auto* node = new EdgeListNode;
    node->low = key.first;
    node->high = key.second;
    node->color = color;
    node->next = mHead;
    mHead = node;
  }
  EdgeListNode* Take() {
    EdgeListNode* head = mHead;
    mHead = nullptr;
    return head;
  }
  ~EdgeCollector() { FreeEdgeList(mHead); }

 private:
  std::set<std::pair<int32_t, int32_t>> mSeen;
  EdgeListNode* mHead = nullptr;
};

bool FaceExported(const SimplePoly& poly, int32_t face) {
  return face >= 0 && face < poly.NumFaces() && !(poly.FaceAt(face).flags & kNotExported);
}

// p scaled to unit length; a point at the centre stays where it is.
void PushToSphere(double* p) {
  const double length = std::sqrt(Dot(p, p));
  if (length > kPointTolerance) Divide(p, p, length);
}

void Lerp(double* out, const double* a, const double* b, double t) {
  for (int i = 0; i < 3; ++i) out[i] = a[i] + (b[i] - a[i]) * t;
}

// Builds the subdivided model face by face.
class Subdivider {
 public:
  Subdivider(const SimplePoly& source, bool geodesic, int n, long long numFaces)
      : mSource(source), mGeodesic(geodesic), mN(n), mNumFaces(numFaces) {}

  // False when the user cancelled.
  bool Run(SimplePoly& out);
  int UsedVerts() const { return mUsedVerts; }
  int UsedFaces() const { return mUsedFaces; }

 private:
  bool Triangle(SimplePoly& out, const double* apex, const double* x, const double* y, uint32_t color);
  int32_t Point(SimplePoly& out, const double* p);

  const SimplePoly& mSource;
  bool mGeodesic;
  int mN;
  long long mNumFaces;
  int mUsedVerts = 0;
  int mUsedFaces = 0;
};

int32_t Subdivider::Point(SimplePoly& out, const double* p) {
  SimpleVert* v = out.FindOrCreateVert(p, mUsedVerts);
  return v ? v->GetIndex() : kNoIndex;
}

// The triangle (apex, x, y) cut into n^2 triangles row by row from the apex; every
// new triangle turns like (apex, x, y).
bool Subdivider::Triangle(SimplePoly& out, const double* apex, const double* x, const double* y, uint32_t color) {
  double p[3], px[3], py[3];
  CopyVector(p, apex);
  CopyVector(px, x);
  CopyVector(py, y);
  if (mGeodesic) {
    PushToSphere(p);
    PushToSphere(px);
    PushToSphere(py);
  }
  const double n = mN;
  std::vector<int32_t> top, bottom;
  for (int i = 0; i < mN; ++i) {
    double left0[3], right0[3], left1[3], right1[3];
    Lerp(left0, p, px, i / n);
    Lerp(right0, p, py, i / n);
    Lerp(left1, p, px, (i + 1) / n);
    Lerp(right1, p, py, (i + 1) / n);
    top.assign(1, Point(out, left0));
    bottom.assign(1, Point(out, left1));
    for (int j = 0; j <= i; ++j) {
      double q[3];
      Lerp(q, left1, right1, (j + 1) / static_cast<double>(i + 1));
      bottom.push_back(Point(out, q));
      if (j < i) {
        Lerp(q, left0, right0, (j + 1) / static_cast<double>(i));
        top.push_back(Point(out, q));
      }
    }
    auto addFace = [&](int32_t a, int32_t b, int32_t c) {
      SimpleFace* f = out.GetFace(mUsedFaces);
      if (!f) return;
      ++mUsedFaces;
      f->SetNumVerts(3, 1);
      f->SetVertIndex(0, a);
      f->SetVertIndex(1, b);
      f->SetVertIndex(2, c);
      f->color = color;
      f->color2 = color;
    };
    for (int j = 0; j <= i; ++j) {
      const size_t k = static_cast<size_t>(j);
      addFace(top[k], bottom[k], bottom[k + 1]);
      if (j < i) addFace(top[k], bottom[k + 1], top[k + 1]);
    }
    const double done = mNumFaces > 0 ? static_cast<double>(mUsedFaces) / static_cast<double>(mNumFaces) : 1.0;
    if (!UpdateProgress(done)) return false;
  }
  return true;
}

bool Subdivider::Run(SimplePoly& out) {
  for (int fi = 0; fi < mSource.NumFaces(); ++fi) {
    const SimpleFace& f = mSource.FaceAt(fi);
    const int k = f.Count();
    if (f.IsTemp() || k < 3) continue;
    if (k == 3) {
      if (!Triangle(out, f.VertAt(2).pos, f.VertAt(0).pos, f.VertAt(1).pos, f.color)) return false;
      continue;
    }
    double centroid[3];
    f.GetCentroid(centroid);
    for (int e = 0; e < k; ++e) {
      if (!Triangle(out, centroid, f.VertAt(e).pos, f.VertWrapped(e + 1).pos, f.color)) return false;
    }
  }
  return true;
}

}  // namespace corvia::detail_ExportPrep

namespace corvia {

void AddEdgeToList(int32_t a, int32_t b, uint32_t color, EdgeListNode*& head) {
  const int32_t low = a < b ? a : b;
  const int32_t high = a < b ? b : a;
  for (const EdgeListNode* node = head; node; node = node->next) {
    if (node->low == low && node->high == high) return;
  }
  auto* node = new EdgeListNode;
  node->low = low;
  node->high = high;
  node->color = color;
  node->next = head;
  head = node;
}

void FreeEdgeList(EdgeListNode* head) {
  while (head) {
    EdgeListNode* next = head->next;
    delete head;
    head = next;
  }
}

int CountEdgeList(const EdgeListNode* head) {
  int n = 0;
  for (; head; head = head->next) ++n;
  return n;
}

void AssignColorIndices(const SimplePoly& poly, ColorList& colors) {
  colors = ColorList(poly.NumFaces());
  for (int i = 0; i < poly.NumFaces(); ++i) {
    const SimpleFace& f = poly.FaceAt(i);
    if (f.flags & detail_ExportPrep::kNotExported) continue;
    float rgb[3];
    UnpackRainbowColor(f.color, rgb);
    colors.FindOrAdd(rgb);
  }
}

EdgeListNode* CollectExportEdges(const SimplePoly& poly) {
  using namespace detail_ExportPrep;
  EdgeCollector edges;
  if (poly.NumEdges() > 0) {
    for (int i = 0; i < poly.NumEdges(); ++i) {
      const SimpleEdge& e = poly.EdgeAt(i);
      if (e.flags & kSimpleEdgeHidden) continue;
      if (e.endA < 0 || e.endB < 0) continue;
      if (!FaceExported(poly, e.faceA) && !FaceExported(poly, e.faceB)) continue;
      edges.Add(e.endA, e.endB, e.color);
    }
  } else {
    const uint32_t color = PackRainbowColor(GetNewEdgeColor());
    for (int fi = 0; fi < poly.NumFaces(); ++fi) {
      const SimpleFace& f = poly.FaceAt(fi);
      if (f.flags & kNotExported) continue;
      const int n = f.Count();
      for (int i = 0; i < n; ++i) edges.Add(f.items[static_cast<size_t>(i)], f.items[static_cast<size_t>((i + 1) % n)], color);
    }
  }
  return edges.Take();
}

std::unique_ptr<SimplePoly> CreateTriangulatedCopy(SimplePoly& poly, uint32_t options, EdgeListNode** edges) {
  if (edges && !*edges) *edges = CollectExportEdges(poly);
  if (!(options & (kExportTriangles | kExportTrianglesToo))) return poly.CopyWithNames();

  auto copy = std::make_unique<SimplePoly>(poly.NumVerts(), poly.NumFaces());
  copy->flags |= kSimpleGrowable;
  poly.CalcFaceNormals(false);
  for (int i = 0; i < poly.NumVerts(); ++i) {
    const SimpleVert& src = poly.VertAt(i);
    SimpleVert& v = copy->VertAt(i);
    // The kind decides where the vertex sorts in the search: set it first. Removed
    // vertices stay out of the search, so that no triangle lands on one.
    v.flags |= src.flags & kSimpleInfinite;
    if (src.IsTemp()) {
      v.CopyFrom(src, false);
      CopyVector(v.pos, src.pos);
    } else {
      v.CopyFrom(src, true);
    }
  }
  int usedVerts = poly.NumVerts();
  int usedFaces = 0;
  std::vector<int32_t> indices;
  std::vector<double> points;
  for (int fi = 0; fi < poly.NumFaces(); ++fi) {
    const SimpleFace& src = poly.FaceAt(fi);
    if (src.IsTemp()) continue;
    const int triangles = src.Triangulate(indices, points);
    for (int t = 0; t < triangles; ++t) {
      int32_t corners[3];
      for (int c = 0; c < 3; ++c) {
        const size_t point = static_cast<size_t>(indices[static_cast<size_t>(3 * t + c)]);
        SimpleVert* v = copy->FindOrCreateVert(&points[3 * point], usedVerts);
        corners[c] = v ? v->GetIndex() : kNoIndex;
      }
      SimpleFace* f = copy->GetFace(usedFaces);
      if (!f) break;
      ++usedFaces;
      f->SetNumVerts(3, 1);
      f->CopyFrom(src);
      for (int c = 0; c < 3; ++c) f->SetVertIndex(c, corners[c]);
    }
  }
  copy->Truncate(usedVerts, usedFaces);
  copy->scale = poly.scale;
  // The copy has no vertex-face lists yet, whatever the source had.
  copy->flags = poly.flags & ~(kSimpleHasVertFaceLists | kSimpleSortedFaceLists);
  copy->name = poly.name;
  copy->dualName = poly.dualName;
  copy->description = poly.description;
  copy->webLink = poly.webLink;
  return copy;
}

std::unique_ptr<SimplePoly> Subdivide(const SimplePoly& poly, uint32_t options, int n, Outcome* outcome) {
  using namespace detail_ExportPrep;
  Outcome ignored;
  Outcome& told = outcome ? *outcome : ignored;
  told = Outcome::Done();
  if (n < 1) {
    told = Outcome::Refused("Number of subdivisions must be at least 1.");
    return nullptr;
  }
  const bool geodesic = (options & kSubdivideGeodesic) != 0;
  platform::WaitCursorScope wait;
  const long long n2 = static_cast<long long>(n) * n;
  long long triangles = 0;
  for (int fi = 0; fi < poly.NumFaces() && triangles <= kMaxSubdividedFaces / n2; ++fi) {
    const SimpleFace& f = poly.FaceAt(fi);
    const long long k = f.Count();
    if (f.IsTemp() || k < 3) continue;
    triangles += k == 3 ? 1 : k;
  }
  if (triangles > kMaxSubdividedFaces / n2) {
    told = Outcome::RefusedF("Subdividing this model with frequency %d would make more than %lld faces,\nwhich is too many.",
                             n, kMaxSubdividedFaces);
    return nullptr;
  }
  const long long numFaces = triangles * n2;
  // New points: those inside each triangle and on its sides, a shared side counted
  // from both of its faces.
  long long extra = 0;
  for (int fi = 0; fi < poly.NumFaces(); ++fi) {
    const SimpleFace& f = poly.FaceAt(fi);
    const long long k = f.Count();
    if (f.IsTemp() || k < 3) continue;
    extra += k == 3 ? n2 - 1 : 2 + k * (n2 - 1);
  }
  // Exact for closed models; a model with open edges grows beyond it.
  const long long numVerts = poly.NumVerts() + extra / 2;

  std::unique_ptr<SimplePoly> out;
  try {
    out = std::make_unique<SimplePoly>(static_cast<int>(numVerts), static_cast<int>(numFaces));
  } catch (const std::bad_alloc&) {
    told = Outcome::Failed("Not enough memory to subdivide this model.");
    return nullptr;
  }
  out->flags |= kSimpleGrowable;
  ProgressScope progress;
  Subdivider subdivider(poly, geodesic, n, numFaces);
  bool finished;
  try {
    finished = subdivider.Run(*out);
  } catch (const std::bad_alloc&) {
    told = Outcome::Failed("Not enough memory to subdivide this model.");
    return nullptr;
  }
  if (!finished) {
    told = Outcome::Cancelled();
    return nullptr;
  }
  out->flags &= ~kSimpleGrowable;
  if (subdivider.UsedFaces() != numFaces) {
    ShowInternalError("Subdivide: faceIdx %d != mNumFaces %d", subdivider.UsedFaces(), static_cast<int>(numFaces));
  }
  out->Truncate(subdivider.UsedVerts(), subdivider.UsedFaces());

  const bool marked = (poly.flags & kSimpleConvex) != 0;
  if (!geodesic) {
    out->SetName(poly.name.c_str(), "Subdivided ");
    if (marked) out->flags |= kSubdividedCategoryFlags;
  } else {
    // Every face is a triangle, and a triangle stays flat.
    if (Outcome projected = out->ProjectOntoSphere(); !projected) {
      if (outcome) *outcome = std::move(projected);
      return nullptr;
    }
    out->SetName(poly.name.c_str(), "Geodesic ");
    if (marked) out->flags |= kGeodesicCategoryFlags;
  }
  out->flags |= poly.flags & kSimpleCarriedFlags;
  return out;
}

}  // namespace corvia
