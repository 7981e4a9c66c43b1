#include "core/DrawnPolygon.h"

#include <cmath>
#include <vector>

#include "core/Tolerances.h"

namespace corvia {

namespace detail_DrawnPolygon {

inline bool Within(double v, double tol) { return v >= -tol && v <= tol; }

}  // namespace detail_DrawnPolygon

DrawnPolygon::DrawnPolygon(DrawnPolygon*& head, DrawnPolygon*& tail) {
  if (tail)
    tail->next = this;
  else
    head = this;
  tail = this;
}

DrawnPolygon::~DrawnPolygon() {
  Clear();
  FreeTriangles();
}

void DrawnPolygon::FreeTriangles() {
  delete[] vertices;
  vertices = nullptr;
  delete[] indices;
  indices = nullptr;
  indexCount = -1;
}

void DrawnPolygon::Clear() {
  FreeTriangles();
  FreePolygonRing(ring);
  ring = nullptr;
  FreePolygonList(pieces);
  pieces = nullptr;
}

void DrawnPolygon::RemoveLastVertex() {
  if (!ring) return;
  PolygonVertex* last = ring->prev;
  if (last == ring || last->prev == ring) {
    Clear();  // one vertex or none would be left
    return;
  }
  last->prev->next = ring;
  ring->prev = last->prev;
  FreePolygonVertex(last);
}

bool DrawnPolygon::IsCoplanar(const double* point) const {
  if (indexCount < 1) return true;
  double d[3];
  Subtract(d, point, centroid);
  return detail_DrawnPolygon::Within(Dot(normal, d), kPointTolerance);
}

int DrawnPolygon::Triangulate() {
  FreeTriangles();
  if (!GetPolygonRingPlaneNormal(normal, ring)) return 0;
  GetPolygonRingCentroid(centroid, ring);
  // The normal faces away from the origin (outwards for a facet round the centre).
  if (Dot(normal, centroid) < 0.0) Negate(normal);
  double e[3] = {0.0, 0.0, 0.0};
  e[SmallestAxis(normal)] = 1.0;
  Cross(axisU, normal, e);
  Scale(axisU, axisU, 1.0 / std::sqrt(Dot(axisU, axisU)));
  Cross(axisV, normal, axisU);
  PolygonVertex* v = ring;
  do {
    double d[3];
    Subtract(d, v->point, centroid);
    v->x = Dot(axisU, d);
    v->y = Dot(axisV, d);
    v = v->next;
  } while (v != ring);
  FreePolygonList(pieces);
  pieces = SplitPolygonRing(ring, &vertices, nullptr);
  if (!pieces) {
    FreeTriangles();
    return 0;
  }
  indexCount = TriangulatePolygonListAlloc(CopyPolygonList(pieces), &indices, nullptr);
  return indexCount;
}

void DrawnPolygon::JoinMeshes(int count, const DrawnPolygonMesh* meshes) {
  FreeTriangles();
  int totalPoints = 0, totalIndices = 0;
  std::vector<int> pointCounts(count > 0 ? count : 0, 0);
  for (int i = 0; i < count; ++i) {
    int largest = -1;
    for (int j = 0; j < meshes[i].indexCount; ++j)
      if (meshes[i].indices[j] > largest) largest = meshes[i].indices[j];
    pointCounts[i] = largest + 1;
    totalPoints += largest + 1;
    totalIndices += meshes[i].indexCount;
  }
  vertices = new double[2 * (totalPoints > 0 ? totalPoints : 1)];
  indices = new int[totalIndices > 0 ? totalIndices : 1];
  int pointBase = 0, at = 0;
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < 2 * pointCounts[i]; ++j) vertices[2 * pointBase + j] = meshes[i].points[j];
    for (int j = 0; j < meshes[i].indexCount; ++j) indices[at++] = meshes[i].indices[j] + pointBase;
    pointBase += pointCounts[i];
  }
  indexCount = totalIndices;
}

int DrawnPolygon::CountChain(const DrawnPolygon* head) {
  int n = 0;
  for (; head; head = head->next) ++n;
  return n;
}

int DrawnPolygon::GetIndexInChain(const DrawnPolygon* head, const DrawnPolygon* polygon) {
  int i = 0;
  for (; head; head = head->next, ++i)
    if (head == polygon) return i;
  return -1;
}

void DeleteDrawnPolygonChain(DrawnPolygon*& head) {
  while (head) {
    DrawnPolygon* next = head->next;
    delete head;
    head = next;
  }
}

void GetPolygonCentroid(double* out, const DrawnPolygon* polygon) { GetPolygonRingCentroid(out, polygon->ring); }

}  // namespace corvia
