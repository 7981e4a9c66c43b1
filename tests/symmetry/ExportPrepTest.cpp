#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "construction/Prisms.h"
#include "core/ColorList.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/VectorMath.h"
#include "symmetry/ExportPrep.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/SolidCorners.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SimplePolyTestModels.h"

namespace test_ExportPrep {

using P3 = std::array<double, 3>;
using corvia::testmodels::ModelOf;

// The cube of side 2 centred on the origin, faces turning outwards.
std::unique_ptr<corvia::SimplePoly> Cube() {
  return ModelOf(corvia::testing::models::CubeCorners(),
                 {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}});
}

std::unique_ptr<corvia::SimplePoly> Tetrahedron() {
  return ModelOf(corvia::testing::models::TetrahedronCorners(), {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 3, 2}});
}

int LiveFaces(const corvia::SimplePoly& poly) {
  int n = 0;
  for (int i = 0; i < poly.NumFaces(); ++i) n += poly.FaceAt(i).IsTemp() ? 0 : 1;
  return n;
}

// Area of a face from its winding, and whether it turns away from the origin.
double Area(const corvia::SimpleFace& f, bool* outwards = nullptr) {
  double a[3];
  f.AreaVector(a);
  if (outwards) {
    double c[3];
    f.GetCentroid(c);
    *outwards = corvia::Dot(a, c) > 0;
  }
  return std::sqrt(corvia::Dot(a, a)) / 2;
}

TEST(ExportPrepTest, SubdivisionCountsAndOrientation) {
  auto cube = Cube();
  auto one = corvia::Subdivide(*cube, 0, 1);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->NumFaces(), 24);
  EXPECT_EQ(one->NumVerts(), 14);

  auto tetra = Tetrahedron();
  auto three = corvia::Subdivide(*tetra, 0, 3);
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(three->NumFaces(), 36);
  EXPECT_EQ(three->NumVerts(), 20);
  EXPECT_EQ(three->name, "Subdivided Polyhedron");

  auto cube4 = corvia::Subdivide(*cube, 0, 4);
  ASSERT_NE(cube4, nullptr);
  EXPECT_EQ(cube4->NumFaces(), 6 * 4 * 16);
  double total = 0;
  for (int i = 0; i < cube4->NumFaces(); ++i) {
    bool outwards = false;
    total += Area(cube4->FaceAt(i), &outwards);
    EXPECT_TRUE(outwards) << "face " << i;
    EXPECT_EQ(cube4->FaceAt(i).Count(), 3);
  }
  EXPECT_NEAR(total, 24.0, 1e-9);
}

TEST(ExportPrepTest, GeodesicSubdivisionPutsEveryVertexOnTheSphere) {
  auto cube = Cube();
  cube->flags |= corvia::kSimpleConvex;
  auto geo = corvia::Subdivide(*cube, corvia::kSubdivideGeodesic, 3);
  ASSERT_NE(geo, nullptr);
  for (int i = 0; i < geo->NumVerts(); ++i) EXPECT_NEAR(corvia::Dot(geo->VertAt(i).pos, geo->VertAt(i).pos), 1.0, 1e-12);
  EXPECT_EQ(geo->flags & 0x3840u, 0x3000u);
  EXPECT_EQ(geo->name.rfind("Geodesic ", 0), 0u);
}

TEST(ExportPrepTest, SubdivisionRefusesBadFrequencies) {
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  auto cube = Cube();
  corvia::Outcome outcome;
  EXPECT_EQ(corvia::Subdivide(*cube, 0, 0, &outcome), nullptr);
  EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(outcome.text(), "Number of subdivisions must be at least 1.");
  // Far too many faces for memory: a clear refusal, not an overflow or a crash.
  EXPECT_EQ(corvia::Subdivide(*cube, 0, 300, &outcome), nullptr);
  EXPECT_EQ(outcome.text(), "Subdividing this model with frequency 300 would make more than 1000000 faces,\nwhich is too many.");
  EXPECT_EQ(corvia::Subdivide(*cube, corvia::kSubdivideGeodesic, 2147483647, &outcome), nullptr);
  EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_TRUE(corvia::Subdivide(*cube, 0, 2, &outcome) && outcome.done());
  EXPECT_TRUE(messages.Boxes().empty());
}

TEST(ExportPrepTest, OpenAndDegenerateModelsSubdivide) {
  // A cube without its top: its rim edges have one face each.
  auto open = Cube();
  open->FaceAt(1).flags |= corvia::kSimpleTemp;
  auto sub = corvia::Subdivide(*open, 0, 3);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->NumFaces(), 5 * 4 * 9);
  // A flat square through the centre, made geodesic: the centre stays put.
  auto flat = ModelOf({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}}, {{0, 1, 2, 3}});
  auto geo = corvia::Subdivide(*flat, corvia::kSubdivideGeodesic, 2);
  ASSERT_NE(geo, nullptr);
  for (int i = 0; i < geo->NumVerts(); ++i) {
    for (int c = 0; c < 3; ++c) EXPECT_TRUE(std::isfinite(geo->VertAt(i).pos[c]));
  }
}

TEST(ExportPrepTest, CancelGivesNoModel) {
  auto& progress = corvia::testing::Platform().progress;
  corvia::ProgressScope outer;
  // The window opens only after the first second.
  corvia::testing::Platform().clock.Advance(2.0);
  progress.Current()->onPump = [](corvia::platform::HeadlessProgressWindow::State& state) { state.cancel = true; };
  auto cube = Cube();
  EXPECT_EQ(corvia::Subdivide(*cube, 0, 20), nullptr);
  progress.Current()->onPump = nullptr;
  progress.Current()->cancel = false;
  EXPECT_FALSE(corvia::testing::Platform().views.mWaitCursor);
}

// The icosahedron with corners (0, +-1, +-phi) and their cyclic shifts; its faces are
// the triples of corners at mutual distance 2, turned outwards.
std::unique_ptr<corvia::SimplePoly> Icosahedron() {
  const double phi = (1 + std::sqrt(5.0)) / 2;
  std::vector<P3> v;
  for (int shift = 0; shift < 3; ++shift) {
    for (int s1 : {-1, 1}) {
      for (int s2 : {-1, 1}) {
        P3 p{0, s1 * 1.0, s2 * phi};
        v.push_back({p[static_cast<size_t>((3 - shift) % 3)], p[static_cast<size_t>((4 - shift) % 3)],
                     p[static_cast<size_t>((5 - shift) % 3)]});
      }
    }
  }
  auto edge = [&](size_t a, size_t b) {
    double d = 0;
    for (int c = 0; c < 3; ++c) d += (v[a][static_cast<size_t>(c)] - v[b][static_cast<size_t>(c)]) *
                                     (v[a][static_cast<size_t>(c)] - v[b][static_cast<size_t>(c)]);
    return std::fabs(d - 4) < 1e-9;
  };
  std::vector<std::vector<int>> faces;
  for (size_t a = 0; a < 12; ++a) {
    for (size_t b = a + 1; b < 12; ++b) {
      for (size_t c = b + 1; c < 12; ++c) {
        if (!edge(a, b) || !edge(b, c) || !edge(a, c)) continue;
        double n[3];
        corvia::TriangleNormal(n, v[a].data(), v[b].data(), v[c].data());
        if (corvia::Dot(n, v[a].data()) > 0) {
          faces.push_back({static_cast<int>(a), static_cast<int>(b), static_cast<int>(c)});
        } else {
          faces.push_back({static_cast<int>(a), static_cast<int>(c), static_cast<int>(b)});
        }
      }
    }
  }
  return ModelOf(v, faces);
}

TEST(ExportPrepTest, GeodesicDoublingOfTheIcosahedron) {
  std::unique_ptr<corvia::SimplePoly> model = Icosahedron();
  ASSERT_EQ(model->NumFaces(), 20);
  const int faces[3] = {80, 320, 1280};
  const int verts[3] = {42, 162, 642};
  for (int step = 0; step < 3; ++step) {
    model = corvia::Subdivide(*model, corvia::kSubdivideGeodesic, 2);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->NumFaces(), faces[step]);
    EXPECT_EQ(model->NumVerts(), verts[step]);
    for (int i = 0; i < model->NumVerts(); ++i) {
      EXPECT_NEAR(corvia::Dot(model->VertAt(i).pos, model->VertAt(i).pos), 1.0, 1e-12);
    }
    for (int i = 0; i < model->NumFaces(); ++i) {
      bool outwards = false;
      Area(model->FaceAt(i), &outwards);
      EXPECT_TRUE(outwards);
    }
  }
}

TEST(ExportPrepTest, SpheresOfPowerOfTwoFrequencies) {
  corvia::testing::ExpectInternalErrors(3);
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  for (int f : {3, 0, -2}) EXPECT_EQ(corvia::CreateSphere(f), nullptr);
  ASSERT_EQ(messages.Boxes().size(), 3u);
  EXPECT_EQ(messages.Boxes()[0].text, "CreateSphere: frequency 3 is not a power of 2");
  EXPECT_EQ(messages.Boxes()[2].text, "CreateSphere: frequency -2 is not a power of 2");
  messages.Clear();
  struct Case {
    int frequency, faces, verts;
  };
  for (const Case& c : {Case{1, 20, 12}, Case{2, 80, 42}, Case{4, 320, 162}}) {
    auto sphere = corvia::CreateSphere(c.frequency);
    if (!sphere) {
      // Without the library's model builder the sphere fails loudly, never quietly.
      ASSERT_FALSE(messages.Boxes().empty());
      EXPECT_EQ(messages.Boxes().back().title, "Internal Error");
      messages.Clear();
      continue;
    }
    EXPECT_EQ(LiveFaces(*sphere), c.faces);
    EXPECT_EQ(sphere->NumVerts(), c.verts);
    for (int i = 0; c.frequency > 1 && i < sphere->NumVerts(); ++i) {
      EXPECT_NEAR(corvia::Dot(sphere->VertAt(i).pos, sphere->VertAt(i).pos), 1.0, 1e-12);
    }
  }
  messages.Clear();
}

TEST(ExportPrepTest, ColourListHoldsDistinctFaceColours) {
  auto cube = Cube();
  const uint32_t colours[6] = {0x0000FF, 0x00FF00, 0x0000FF, 0xFF0000, 0x00FF00, 0x123456};
  for (int i = 0; i < 6; ++i) cube->FaceAt(i).color = colours[i];
  // Removed and hidden faces take no part.
  cube->FaceAt(5).flags |= corvia::kSimpleHidden;
  corvia::ColorList list(1);
  corvia::AssignColorIndices(*cube, list);
  EXPECT_EQ(list.Capacity(), 6);
  EXPECT_EQ(list.Count(), 3);
  // Two colours within 1/512 in every component are one.
  const float red[3] = {1.0f, 0.0f, 0.0f};
  const float nearRed[3] = {1.0f - 1.0f / 1024, 1.0f / 1024, 0.0f};
  const float farRed[3] = {1.0f - 1.0f / 256, 0.0f, 0.0f};
  EXPECT_EQ(list.Find(red), 0);
  EXPECT_EQ(list.Find(nearRed), 0);
  EXPECT_EQ(list.Find(farRed), -1);
}

TEST(ExportPrepTest, EdgeListsHoldEachEdgeOnce) {
  auto cube = Cube();
  corvia::EdgeListNode* edges = corvia::CollectExportEdges(*cube);
  EXPECT_EQ(corvia::CountEdgeList(edges), 12);
  for (const corvia::EdgeListNode* e = edges; e; e = e->next) EXPECT_LT(e->low, e->high);
  corvia::FreeEdgeList(edges);

  // With edge records: hidden edges and edges between removed faces are left out.
  cube->SetNumEdges(3);
  cube->EdgeAt(0) = corvia::SimpleEdge{0, 0, 1, 0, 2, 0x112233, ""};
  cube->EdgeAt(1) = corvia::SimpleEdge{0x8, 1, 3, 0, 5, 0, ""};
  cube->EdgeAt(2) = corvia::SimpleEdge{0, 2, 3, 0, 3, 0, ""};
  cube->FaceAt(0).flags |= corvia::kSimpleTemp;
  cube->FaceAt(3).flags |= corvia::kSimpleHidden;
  edges = corvia::CollectExportEdges(*cube);
  ASSERT_EQ(corvia::CountEdgeList(edges), 1);
  EXPECT_EQ(edges->color, 0x112233u);
  corvia::AddEdgeToList(1, 0, 0, edges);
  EXPECT_EQ(corvia::CountEdgeList(edges), 1);
  corvia::FreeEdgeList(edges);
}

TEST(ExportPrepTest, TriangulatedCopies) {
  auto cube = Cube();
  corvia::EdgeListNode* edges = nullptr;
  auto plain = corvia::CreateTriangulatedCopy(*cube, 0, &edges);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->NumFaces(), 6);
  EXPECT_EQ(corvia::CountEdgeList(edges), 12);
  corvia::FreeEdgeList(edges);

  auto tri = corvia::CreateTriangulatedCopy(*cube, corvia::kExportTriangles);
  ASSERT_NE(tri, nullptr);
  EXPECT_EQ(tri->NumFaces(), 12);
  EXPECT_EQ(tri->NumVerts(), 8);
  double total = 0;
  for (int i = 0; i < tri->NumFaces(); ++i) {
    bool outwards = false;
    total += Area(tri->FaceAt(i), &outwards);
    EXPECT_TRUE(outwards);
  }
  EXPECT_NEAR(total, 24.0, 1e-9);

  // A pentagram: its region is cut into 8 triangles over its 5 tips and the 5
  // points where its edges cross.
  std::vector<P3> tips;
  for (int k = 0; k < 5; ++k) tips.push_back({std::cos(2 * M_PI * k / 5), std::sin(2 * M_PI * k / 5), 1.0});
  auto star = ModelOf(tips, {{0, 2, 4, 1, 3}});
  star->FaceAt(0).winding = 2;
  auto starTri = corvia::CreateTriangulatedCopy(*star, corvia::kExportTrianglesToo);
  ASSERT_NE(starTri, nullptr);
  EXPECT_EQ(starTri->NumFaces(), 8);
  EXPECT_EQ(starTri->NumVerts(), 10);
  const double inner = std::cos(2 * M_PI / 5) / std::cos(M_PI / 5);
  const double expected = 5 * inner * std::sin(M_PI / 5);
  double starArea = 0;
  for (int i = 0; i < starTri->NumFaces(); ++i) starArea += Area(starTri->FaceAt(i));
  EXPECT_NEAR(starArea, expected, 1e-9);
}

TEST(ExportPrepTest, TriangulatedCopyNeverLandsOnRemovedVertices) {
  // Vertex 0 was removed and vertex 4 lies where it lay; the face uses vertex 4.
  auto poly = ModelOf({{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}, {0, 0, 1}}, {{4, 1, 2, 3}});
  poly->VertAt(0).flags |= corvia::kSimpleTemp;
  auto tri = corvia::CreateTriangulatedCopy(*poly, corvia::kExportTriangles);
  ASSERT_NE(tri, nullptr);
  EXPECT_EQ(tri->NumFaces(), 2);
  for (int i = 0; i < tri->NumFaces(); ++i) {
    for (int32_t v : tri->FaceAt(i).items) EXPECT_FALSE(tri->VertAt(v).IsTemp());
  }
}

}  // namespace test_ExportPrep
