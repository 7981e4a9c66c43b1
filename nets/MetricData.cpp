#include "nets/MetricData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/FileHeader.h"
#include "core/FileUtils.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/Units.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"

namespace corvia {

namespace detail_MetricData {

constexpr double kPi = 3.14159265358979323846;
constexpr const char* kAngleUnitText = "deg";

// The uniform polyhedron's own measures, from the vertex configuration it was built
// from; none for other models.
const PolyTemplate* UniformMeasures(const Model3D* model) {
  const Poly* poly = model->mPoly;
  const PolyTemplate* measures = poly ? poly->mTemplate : nullptr;
  return measures && measures->mEdgeLength > 0.0 && measures->GetHead() ? measures : nullptr;
}

// The distance of the nearest face plane from the centre.
double InRadius(const PolyTemplate* measures) {
  double nearest = -1.0;
  const TemplatePolygon* polygon = measures->GetHead();
  for (int i = 0; i < measures->mValence && polygon; ++i, polygon = polygon->mNext) {
    const double height = std::fabs(polygon->mHeight);
    if (nearest < 0.0 || height < nearest) nearest = height;
  }
  return std::max(nearest, 0.0);
}

std::string Angle(double radians) {
  char text[kAngleTextSize];
  return GetUnitSettings().FormatAngle(text, radians, kAngleUnitText);
}

// An edgelet's type as the file names it: the facelet type's index and the edgelet's
// index, both from 0, as the facelet type lines count; "NULL" for none.
std::string TypeIndexName(const Edge3D* edge) {
  if (!edge || !edge->face) return "NULL";
  char text[64];
  std::snprintf(text, sizeof text, "%d-%d", Face3DType::GetIndex(edge->face->mType), Edge3D::GetIndex(edge));
  return text;
}

void WriteFaceletType(FILE* file, const Face3DType* type, double scale) {
  const Face3D& facelet = type->mFacelets[0];
  std::fprintf(file, " Facelet type %d: area %g\n", Face3DType::GetIndex(type), type->GetArea() * scale * scale);
  for (int e = 0; e < type->mNumEdges; ++e) {
    const Edge3D* edge = &facelet.mEdges[e];
    const Edge3D* next = edge->GetNextInLoop();
    const Edge3D* after = next->GetNextInLoop();
    const double length = std::hypot(next->local[0] - edge->local[0], next->local[1] - edge->local[1]) * scale;
    std::fprintf(file, "  Edge %s: ", TypeIndexName(edge).c_str());
    std::fprintf(file, "Joins %s, Length %g, Dihedral %s, ", TypeIndexName(edge->mNeigh).c_str(), length,
                 Angle(edge->GetDihedralAngle()).c_str());
    std::fprintf(file, "Mitre %s\n", Angle(edge->GetMitreAngle()).c_str());
    std::fprintf(file, "        Face angle %s\n",
                 Angle(GetPolygonCornerAngle(edge->local, next->local, after->local)).c_str());
    // The loop closes here when it goes back to an earlier edgelet.
    if (e + 1 < type->mNumEdges && Edge3D::GetIndex(next) < e) std::fprintf(file, "  [End Loop]\n");
  }
}

}  // namespace detail_MetricData

double GetPolygonCornerAngle(const double* p0, const double* p1, const double* p2) {
  using detail_MetricData::kPi;
  double u[2] = {p1[0] - p0[0], p1[1] - p0[1]};
  double w[2] = {p2[0] - p1[0], p2[1] - p1[1]};
  const double lu = std::hypot(u[0], u[1]);
  const double lw = std::hypot(w[0], w[1]);
  double turn = 0.0;
  if (lu > kPointTolerance && lw > kPointTolerance) {
    for (int i = 0; i < 2; ++i) {
      u[i] /= lu;
      w[i] /= lw;
    }
    // The turn from u to w, from the chord between the unit vectors (accurate near 0
    // and pi, where an arc cosine is not).
    const bool forward = u[0] * w[0] + u[1] * w[1] >= 0.0;
    const double h = forward ? std::hypot(w[0] - u[0], w[1] - u[1]) : std::hypot(w[0] + u[0], w[1] + u[1]);
    const double half = 2.0 * std::asin(std::min(h / 2.0, 1.0));
    const bool left = u[0] * w[1] - u[1] * w[0] >= 0.0;
    if (forward) {
      turn = left ? half : 2.0 * kPi - half;
    } else {
      turn = left ? kPi - half : kPi + half;
    }
  }
  double angle = kPi - turn;
  if (angle < 0.0) angle += 2.0 * kPi;
  return angle;
}

Outcome WriteMetricDataFile(Model3D* model, const char* fileName, const char* headerText) {
  using namespace detail_MetricData;
  if (!model) return Outcome::Done();
  const double scale = GetUnitSettings().mLengthScale;
  auto write = [&](const char* path) {
    FILE* file = std::fopen(path, "w");
    if (!file) return false;
    std::fprintf(file, "================\n");
    std::fprintf(file, "Metric Data File\n");
    std::fprintf(file, "================\n\n");
    WriteFileHeaderComment(file, "", "", headerText);
    const auto s = [](int count) { return count == 1 ? "" : "s"; };
    std::fprintf(file, "\n %d facelet%s, of %d type%s; %d edgelet%s; %d vert%s, of %d type%s.\n",
                 model->GetNumFacelets(), s(model->GetNumFacelets()), model->GetNumFaceTypes(),
                 s(model->GetNumFaceTypes()), model->GetNumEdges(), s(model->GetNumEdges()), model->mNumVerts,
                 model->mNumVerts == 1 ? "ex" : "ices", model->mNumVertTypes, s(model->mNumVertTypes));
    const double radius = Model3D::CalcMaxRadius(model) * scale;
    std::fprintf(file, " Radius %g, Diameter %g\n", radius, 2.0 * radius);
    if (const PolyTemplate* measures = UniformMeasures(model)) {
      std::fprintf(file, " Uniform poly radius %g, Mid-radius %g, In-radius %g\n", scale, measures->mMidRadius * scale,
                   InRadius(measures) * scale);
      std::fprintf(file, " Uniform poly edge length %g\n", measures->mEdgeLength * scale);
      std::fprintf(file, " Vertex height %g, Vertex figure radius (rho) %g\n\n", measures->mVertHeight * scale,
                   measures->mHalfFigureRadius);
    }
    for (const Face3DType* type = model->mFaceTypes; type; type = type->mNext) {
      if (type->mNumFacelets > 0 && type->mNumEdges > 0) WriteFaceletType(file, type, scale);
    }
    // A full disk or a failed close must not pass for a written file.
    const bool written = std::fflush(file) == 0 && !std::ferror(file);
    return std::fclose(file) == 0 && written;
  };
  // Written beside the old file, which it replaces only when complete.
  if (!WriteFileReplacing(fileName, write, nullptr))
    return Outcome::FailedF("Couldn't open '%s' for writing", fileName ? fileName : "");
  return Outcome::Done();
}

}  // namespace corvia
