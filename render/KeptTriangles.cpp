// Kept translucent triangles: their vertex buffers, their order and its runs.

#include "render/KeptTriangles.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <unordered_map>

#include "core/VectorMath.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/Matrix4.h"
#include "render/OpenGLView.h"

namespace corvia {

namespace detail_KeptTriangles {

// Corners that the faces work out apart, each in its own frame, differ by rounding: the
// set draws them as one point, the first met, so that neighbouring triangles share
// their corners exactly (GL then covers each pixel along a shared side once).
class CornerMerger {
 public:
  CornerMerger(float tolerance, size_t expected) : mTolerance(tolerance), mCell(64.0f * tolerance) {
    mCells.reserve(expected);
  }
  // The id of the point, and the point moved onto the one it stands for.
  uint32_t Merge(float* p) {
    int64_t cell[3];
    for (int k = 0; k < 3; ++k) cell[k] = static_cast<int64_t>(std::floor(p[k] / mCell));
    if (const int32_t found = Find(cell, p); found >= 0) return Use(found, p);
    // Near a side of its cell it may have been met in the neighbouring one.
    int near[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
      const float within = p[k] - static_cast<float>(cell[k]) * mCell;
      near[k] = within < mTolerance ? -1 : within > mCell - mTolerance ? 1 : 0;
    }
    for (int dx = 0; dx <= 1; ++dx)
      for (int dy = 0; dy <= 1; ++dy)
        for (int dz = 0; dz <= 1; ++dz) {
          if ((dx && !near[0]) || (dy && !near[1]) || (dz && !near[2]) || !(dx || dy || dz)) continue;
          const int64_t other[3] = {cell[0] + dx * near[0], cell[1] + dy * near[1], cell[2] + dz * near[2]};
          if (const int32_t found = Find(other, p); found >= 0) return Use(found, p);
        }
    const auto id = static_cast<uint32_t>(mPoints.size());
    mPoints.push_back({{p[0], p[1], p[2]}, mCells.count(Key(cell)) ? mCells[Key(cell)] : -1});
    mCells[Key(cell)] = static_cast<int32_t>(id);
    return id;
  }

  struct Point {
    float p[3];
    int32_t next;  // the point met before in the same cell
  };
  static uint64_t Key(const int64_t* cell) {
    uint64_t h = 1469598103934665603ull;
    for (int k = 0; k < 3; ++k) h = (h ^ static_cast<uint64_t>(cell[k])) * 1099511628211ull;
    return h;
  }
  int32_t Find(const int64_t* cell, const float* p) const {
    const auto it = mCells.find(Key(cell));
    for (int32_t i = it == mCells.end() ? -1 : it->second; i >= 0; i = mPoints[static_cast<size_t>(i)].next) {
      const float* q = mPoints[static_cast<size_t>(i)].p;
      if (std::fabs(q[0] - p[0]) <= mTolerance && std::fabs(q[1] - p[1]) <= mTolerance &&
          std::fabs(q[2] - p[2]) <= mTolerance)
        return i;
    }
    return -1;
  }
  size_t Count() const { return mPoints.size(); }
  const float* At(size_t i) const { return mPoints[i].p; }

 private:
  uint32_t Use(int32_t i, float* p) const {
    std::copy(mPoints[static_cast<size_t>(i)].p, mPoints[static_cast<size_t>(i)].p + 3, p);
    return static_cast<uint32_t>(i);
  }

 private:
  float mTolerance;
  float mCell;
  std::vector<Point> mPoints;
  std::unordered_map<uint64_t, int32_t> mCells;
};

// Keeps at most `most` of the runs' starts, spread evenly, so that each run left is a
// stretch of neighbouring runs: drawn in their order still, but a highlight of one
// triangle is added over a later one where the two meet instead of under it.
void MergeRuns(std::vector<uint32_t>& starts, size_t most) {
  const size_t runs = starts.size();
  if (runs <= most || most == 0) return;
  for (size_t k = 0; k < most; ++k) starts[k] = starts[k * runs / most];
  starts.resize(most);
}

}  // namespace detail_KeptTriangles

void BeginKeptVertexArrays(const GLBuffer& buffer, bool colours) {
  buffer.Bind(false);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  if (colours) glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(KeptVertex), reinterpret_cast<const void*>(offsetof(KeptVertex, position)));
  glNormalPointer(GL_FLOAT, sizeof(KeptVertex), reinterpret_cast<const void*>(offsetof(KeptVertex, normal)));
  glColorPointer(4, GL_FLOAT, sizeof(KeptVertex), reinterpret_cast<const void*>(offsetof(KeptVertex, colour)));
}

void EndKeptVertexArrays() {
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glNormalPointer(GL_FLOAT, 0, nullptr);
  glColorPointer(4, GL_FLOAT, 0, nullptr);
}

void KeptTriangleSet::Add(const double (*corners)[3], const double* normal, const float* rgb, float alpha, int queue) {
  KeptTriangle t;
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) t.corners[i][k] = corners[i][k];
  for (int k = 0; k < 3; ++k) t.centroid[k] = (corners[0][k] + corners[1][k] + corners[2][k]) * (1.0 / 3.0);
  for (int k = 0; k < 3; ++k) t.normal[k] = normal[k];
  for (int k = 0; k < 3; ++k) t.colour[k] = rgb[k];
  t.alpha = alpha;
  t.queue = queue;
  // Only triangles of the sorted queue that take both passes are drawn from the
  // buffers.
  mAllSorted = mAllSorted && queue == kQueueSorted && alpha < 1.0f;
  mTriangles.push_back(t);
}

void KeptTriangleSet::Clear() {
  mTriangles.clear();
  mCornerIds.clear();
  mCornerPoints.clear();
  mVertexData.clear();
  mAllSorted = true;
  mPreparedIn = nullptr;
  for (Order& order : mOrders) order.valid = false;
}

size_t KeptTriangleSet::GetRunCount(int eye) const {
  const Order& order = mOrders[std::clamp(eye, 0, 2)];
  return order.valid ? order.starts.size() : 0;
}

bool KeptTriangleSet::Prepare(OpenGLView* view) {
  using namespace detail_KeptTriangles;
  if (!view || !GetGLAbilities().vertexBuffers || mTriangles.empty()) return false;
  std::vector<KeptVertex>& vertices = mVertexData;
  vertices.resize(3 * mTriangles.size());
  double extent = 0.0;
  for (const KeptTriangle& t : mTriangles)
    for (const auto& corner : t.corners)
      for (double x : corner) extent = std::max(extent, std::fabs(x));
  CornerMerger merger(static_cast<float>(kCornerMergeTolerance * std::max(extent, 1e-30)), vertices.size());
  mCornerIds.resize(vertices.size());
  for (size_t t = 0; t < mTriangles.size(); ++t) {
    const KeptTriangle& triangle = mTriangles[t];
    float colour[4];
    mLit = view->Materials().FilterMaterialColor(triangle.colour, triangle.alpha, colour);
    for (int i = 0; i < 3; ++i) {
      KeptVertex& v = vertices[3 * t + static_cast<size_t>(i)];
      for (int k = 0; k < 3; ++k) {
        v.position[k] = static_cast<float>(triangle.corners[i][k]);
        v.normal[k] = static_cast<float>(triangle.normal[k]);
      }
      std::copy(colour, colour + 4, v.colour);
      mCornerIds[3 * t + static_cast<size_t>(i)] = merger.Merge(v.position);
    }
  }
  mCornerPoints.resize(3 * merger.Count());
  for (size_t i = 0; i < merger.Count(); ++i) std::copy(merger.At(i), merger.At(i) + 3, &mCornerPoints[3 * i]);
  for (Order& order : mOrders) order.valid = false;
  mPreparedIn = GetCurrentGLContextKey();
  return mPreparedIn != nullptr;
}

bool KeptTriangleSet::IsPrepared() const {
  return mPreparedIn && mPreparedIn == GetCurrentGLContextKey();
}

bool KeptTriangleSet::NeedsSorting(const Order& order, const double* eye) const {
  if (!order.valid || !order.vertexBuffer.BelongsToCurrentContext()) return true;
  double moved[3];
  Subtract(moved, eye, order.sortedAt);
  const double distance = std::sqrt(Dot(moved, moved));
  if (distance == 0.0) return false;
  // A still eye gets the exact order of where it is.
  if (eye[0] == order.lastEye[0] && eye[1] == order.lastEye[1] && eye[2] == order.lastEye[2]) return true;
  const double reach = std::sqrt(Dot(order.sortedAt, order.sortedAt));
  return distance > reach * std::tan(kKeptOrderAngle * M_PI / 180.0);
}

void KeptTriangleSet::Sort(OpenGLView* view, Order& order, const double* eye) {
  const size_t n = mTriangles.size();
  // The keys of the depth-sorted queue: minus the squared distance of the centroid,
  // held as a float; the sort is stable.
  order.keys.resize(n);
  for (size_t t = 0; t < n; ++t) {
    double d[3];
    Subtract(d, mTriangles[t].centroid, eye);
    order.keys[t] = static_cast<float>(-Dot(d, d));
  }
  order.sorter.Sort(order.keys.data(), static_cast<unsigned>(n));
  const unsigned* sorted = order.sorter.GetIndices();
  order.sorted.assign(sorted, sorted + n);
  // The vertices in that order, so that each run is one stretch of the buffer.
  order.vertices.resize(3 * n);
  for (size_t k = 0; k < n; ++k)
    std::copy_n(&mVertexData[3 * static_cast<size_t>(order.sorted[k])], 3, &order.vertices[3 * k]);
  // The runs, from where the corners fall in the window now.
  const Matrix4& camera = view->GetCameraMatrix();
  const size_t points = mCornerPoints.size() / 3;
  order.pointsInWindow.resize(points);
  for (size_t i = 0; i < points; ++i) {
    const double p[4] = {mCornerPoints[3 * i], mCornerPoints[3 * i + 1], mCornerPoints[3 * i + 2], 1.0};
    double q[4];
    TransformPoint4(camera, q, p);
    Order::WindowPoint& w = order.pointsInWindow[i];
    w.usable = q[3] > 1e-9 && std::isfinite(q[0]) && std::isfinite(q[1]);
    w.xy[0] = w.usable ? q[0] / q[3] : 0.0;
    w.xy[1] = w.usable ? q[1] / q[3] : 0.0;
  }
  // In the order they are drawn.
  order.window.resize(n);
  for (size_t k = 0; k < n; ++k) {
    const size_t t = order.sorted[k];
    WindowTriangle& w = order.window[k];
    w.usable = true;
    for (int i = 0; i < 3; ++i) {
      const uint32_t id = mCornerIds[3 * t + static_cast<size_t>(i)];
      const Order::WindowPoint& p = order.pointsInWindow[id];
      w.usable = w.usable && p.usable;
      w.xy[i][0] = p.xy[0];
      w.xy[i][1] = p.xy[1];
      w.ids[i] = id;
    }
    SetUpWindowTriangle(w);
  }
  order.batcher.Split(order.window, n, kRunMargin, order.starts);
  detail_KeptTriangles::MergeRuns(order.starts, kMostKeptRuns);
  order.vertexBuffer.Upload(order.vertices.data(), order.vertices.size() * sizeof(KeptVertex), false);
  std::copy(eye, eye + 3, order.sortedAt);
  order.valid = true;
  ++mSortCount;
}

size_t KeptTriangleSet::Draw(OpenGLView* view) {
  using namespace detail_KeptTriangles;
  if (!view || mTriangles.empty()) return 0;
  Order& order = mOrders[std::clamp(view->Stereo().GetCurrentEye(), 0, 2)];
  const double* eye = view->Camera().GetPerEyePosition();
  if (NeedsSorting(order, eye)) Sort(view, order, eye);
  std::copy(eye, eye + 3, order.lastEye);
  GLfloat currentColour[4];
  if (mLit) glGetFloatv(GL_CURRENT_COLOR, currentColour);
  BeginKeptVertexArrays(order.vertexBuffer, false);
  if (mLit) glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  static const float kBlack[3] = {0.0f, 0.0f, 0.0f};
  const size_t n = mTriangles.size();
  for (size_t run = 0; run < order.starts.size(); ++run) {
    const size_t first = order.starts[run];
    const size_t end = run + 1 < order.starts.size() ? order.starts[run + 1] : n;
    const auto count = static_cast<GLsizei>(3 * (end - first));
    const auto at = static_cast<GLint>(3 * first);
    // The colours, blended, without the highlights.
    view->Materials().SetSpecular(0.0f);
    glEnableClientState(GL_COLOR_ARRAY);
    if (mLit) glEnable(GL_COLOR_MATERIAL);
    glDrawArrays(GL_TRIANGLES, at, count);
    if (mLit) glDisable(GL_COLOR_MATERIAL);
    glDisableClientState(GL_COLOR_ARRAY);
    // Again in black, adding the highlights: the depths are written.
    view->Materials().SetSpecular(0.5f);
    view->Materials().SetTransparencyMode(kTransparencyAdditive);
    view->Materials().SetMaterialColorAlphav(kBlack, 1.0f);
    glDrawArrays(GL_TRIANGLES, at, count);
    view->Materials().SetTransparencyMode(kTransparencyBlended);
  }
  EndKeptVertexArrays();
  // The state the last triangle drawn on its own would have left.
  if (!order.sorted.empty()) glNormal3dv(mTriangles[order.sorted.back()].normal);
  if (mLit) glColor4fv(currentColour);
  CheckGLError("KeptTriangleSet::Draw");
  return order.starts.size();
}

}  // namespace corvia
