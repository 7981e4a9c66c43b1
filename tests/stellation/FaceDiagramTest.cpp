// Face diagrams: arrangement, loops, windings, nesting, cells and their colours.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "core/Progress.h"
#include "model/FaceDiagram.h"
#include "model/FaceDiagramCells.h"
#include "platform/Headless.h"
#include "tests/support/TestSupport.h"

namespace {

using corvia::DiagramCell;
using corvia::DiagramSource;
using corvia::FaceDiagram;
using corvia::FaceDiagramBuilder;
using corvia::FaceDiagramResult;

constexpr double kPi = 3.14159265358979323846;

struct Polygon {
  DiagramSource source;
  std::vector<std::array<double, 2>> points;
};

Polygon Regular(DiagramSource source, int n, int step, double radius, double cx = 0.0, double cy = 0.0) {
  Polygon p{source, {}};
  for (int i = 0; i < n; ++i) {
    const double a = 2.0 * kPi * i * step / n + 0.1;
    p.points.push_back({cx + radius * std::cos(a), cy + radius * std::sin(a)});
  }
  return p;
}

Polygon Box(DiagramSource source, double x0, double y0, double x1, double y1) {
  return {source, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}};
}

// Builds a diagram of closed paths and keeps the result for inspection.
struct Built {
  corvia::FaceDiagramWorkPools work;
  corvia::FaceDiagramResultPools results;
  FaceDiagram diagram{&work, &results};
  FaceDiagramResult result;
  DiagramCell* cells = nullptr;
  int loops = 0, clockwise = 0, components = 0;

  explicit Built(const std::vector<Polygon>& polygons, uint32_t flags = corvia::kDiagramFinishFilled,
                 int32_t kind = corvia::kDiagramSourceLoops) {
    FaceDiagramBuilder builder;
    corvia::BeginFaceDiagram(&result, &diagram, kind, &work, &results, &builder);
    for (const Polygon& p : polygons) {
      corvia::DiagramClosePath(p.source, false, &builder);
      for (const auto& q : p.points) corvia::DiagramLineTo(q.data(), &builder);
    }
    // Loops are inspected before the end releases them.
    corvia::DiagramClosePath(builder.mSource, false, &builder);
    diagram.CreateLoops();
    for (auto* l = diagram.mFirstLoop; l; l = l->next) {
      ++loops;
      if (l->flags & corvia::kLoopClockwise) ++clockwise;
    }
    components = diagram.mNumComponents;
    corvia::EndFaceDiagram(&result, &builder, &cells, flags, nullptr);
  }

  int32_t Winding(int cell, DiagramSource source) const {
    for (int k = 0; k < cells[cell].numPairs; ++k)
      if (cells[cell].pairs[k].source == source) return cells[cell].pairs[k].winding;
    return 0;
  }
  // Total area of the cells in which the source winds the given number of times.
  double AreaWithWinding(DiagramSource source, int winding) const {
    double area = 0.0;
    for (int c = 0; c < result.mNumCells; ++c)
      if (Winding(c, source) == winding) area += corvia::GetCellArea(&result, c);
    return area;
  }
  int CellsWithWinding(DiagramSource source, int winding) const {
    int n = 0;
    for (int c = 0; c < result.mNumCells; ++c) n += Winding(c, source) == winding;
    return n;
  }
};

double PolygonArea(const Polygon& p) {
  double a = 0.0;
  for (size_t i = 0; i < p.points.size(); ++i) {
    const auto& u = p.points[i];
    const auto& v = p.points[(i + 1) % p.points.size()];
    a += u[0] * v[1] - u[1] * v[0];
  }
  return 0.5 * a;
}

corvia::DiagramColouredLoop gRed{{1.0f, 0.0f, 0.0f}};
corvia::DiagramColouredLoop gBlue{{0.0f, 0.0f, 1.0f}};
DiagramSource Red() { return reinterpret_cast<DiagramSource>(&gRed); }
DiagramSource Blue() { return reinterpret_cast<DiagramSource>(&gBlue); }

TEST(FaceDiagramLoops, ConvexFaceGivesOneRegionOfWindingOneAndOneOuterLoop) {
  const Polygon square = Box(Red(), 0, 0, 2, 1);
  Built b({square});
  EXPECT_EQ(b.loops, 2);
  EXPECT_EQ(b.clockwise, 1);
  ASSERT_EQ(b.result.mNumCells, 1);
  EXPECT_EQ(b.Winding(0, Red()), 1);
  EXPECT_NEAR(corvia::GetCellArea(&b.result, 0), 2.0, 1e-12);
  EXPECT_EQ(b.result.mNumPoints, 4);
}

TEST(FaceDiagramLoops, DrawingDirectionSetsTheSignOfTheWinding) {
  Polygon triangle{Red(), {{0, 0}, {0, 1}, {1, 0}}};  // clockwise
  Built b({triangle});
  ASSERT_EQ(b.result.mNumCells, 1);
  EXPECT_EQ(b.Winding(0, Red()), -1);
  EXPECT_NEAR(corvia::GetCellArea(&b.result, 0), 0.5, 1e-12);
}

TEST(FaceDiagramLoops, PentagramHasCentreOfWindingTwoAndFivePointsOfWindingOne) {
  const Polygon star = Regular(Red(), 5, 2, 1.0);
  Built b({star});
  EXPECT_EQ(b.result.mNumCells, 2);
  EXPECT_EQ(b.CellsWithWinding(Red(), 2), 1);
  EXPECT_EQ(b.CellsWithWinding(Red(), 1), 1);  // the five points form one cell
  // Areas: the centre pentagon and the points, against the star's own measure.
  const double r = std::cos(2.0 * kPi / 5.0) / std::cos(kPi / 5.0);  // inner pentagon radius
  const double pentagon = 2.5 * r * r * std::sin(2.0 * kPi / 5.0);
  EXPECT_NEAR(b.AreaWithWinding(Red(), 2), pentagon, 1e-9);
  // The signed area of the drawn path counts each region by its winding.
  EXPECT_NEAR(b.AreaWithWinding(Red(), 1) + 2.0 * b.AreaWithWinding(Red(), 2), PolygonArea(star), 1e-9);
  // Ten vertices: five corners and five crossings.
  EXPECT_EQ(b.result.mNumPoints, 10);
}

TEST(FaceDiagramLoops, OverlappingFacesGiveTheOverlapWindingTwo) {
  Built b({Box(Red(), 0, 0, 2, 2), Box(Blue(), 1, 1, 3, 3)});
  ASSERT_EQ(b.result.mNumCells, 3);
  int both = -1;
  for (int c = 0; c < 3; ++c)
    if (b.Winding(c, Red()) == 1 && b.Winding(c, Blue()) == 1) both = c;
  ASSERT_GE(both, 0);
  EXPECT_NEAR(corvia::GetCellArea(&b.result, both), 1.0, 1e-12);
  EXPECT_NEAR(b.AreaWithWinding(Red(), 1), 4.0, 1e-12);
  EXPECT_NEAR(b.AreaWithWinding(Blue(), 1), 4.0, 1e-12);
  // Same source twice: winding 2 in the overlap.
  Built same({Box(Red(), 0, 0, 2, 2), Box(Red(), 1, 1, 3, 3)});
  EXPECT_NEAR(same.AreaWithWinding(Red(), 2), 1.0, 1e-12);
  EXPECT_NEAR(same.AreaWithWinding(Red(), 1), 6.0, 1e-12);
}

TEST(FaceDiagramLoops, NestedSquaresInheritTheWindingOfTheirRegion) {
  // Three levels: a big square, a middle one inside it, a small one in the middle.
  Built b({Box(Blue(), 2, 2, 3, 3), Box(Red(), 0, 0, 5, 5), Box(Red(), 1, 1, 4, 4)});
  EXPECT_EQ(b.components, 3);
  EXPECT_EQ(b.clockwise, 3);
  EXPECT_EQ(b.result.mNumCells, 3);
  EXPECT_NEAR(b.AreaWithWinding(Red(), 1), 25.0 - 9.0, 1e-9);
  EXPECT_NEAR(b.AreaWithWinding(Red(), 2), 9.0, 1e-9);  // includes the small square
  int inner = -1;
  for (int c = 0; c < b.result.mNumCells; ++c)
    if (b.Winding(c, Blue()) == 1) inner = c;
  ASSERT_GE(inner, 0);
  EXPECT_EQ(b.Winding(inner, Red()), 2);
  EXPECT_NEAR(corvia::GetCellArea(&b.result, inner), 1.0, 1e-12);
  // The ring between the middle and the small square is triangulated with its hole.
  EXPECT_NEAR(b.AreaWithWinding(Red(), 2) - 1.0, 8.0, 1e-9);
  // A hole drawn the other way cancels: an annulus with an empty centre.
  Polygon hole{Red(), {{1, 1}, {1, 4}, {4, 4}, {4, 1}}};
  Built annulus({Box(Red(), 0, 0, 5, 5), hole});
  EXPECT_NEAR(annulus.AreaWithWinding(Red(), 1), 16.0, 1e-9);
  EXPECT_NEAR(annulus.AreaWithWinding(Red(), 0), 9.0, 1e-9);
}

TEST(FaceDiagramLoops, CoincidentSegmentsFromTwoSourcesAreOneEdge) {
  Built b({Box(Red(), 0, 0, 1, 1), Box(Blue(), 1, 0, 2, 1)});
  EXPECT_EQ(b.result.mNumPoints, 6);
  EXPECT_EQ(b.result.mNumCells, 2);
  EXPECT_EQ(b.components, 1);
  // Partly overlapping collinear sides: a square sitting on a longer one.
  Built partial({Box(Red(), 0, 0, 4, 1), Box(Blue(), 1, 1, 2, 2)});
  EXPECT_EQ(partial.components, 1);
  EXPECT_NEAR(partial.AreaWithWinding(Blue(), 1), 1.0, 1e-12);
  EXPECT_NEAR(partial.AreaWithWinding(Red(), 1), 4.0, 1e-12);
}

// A plane cut into many faces, a grid of squares sharing their sides: each cell is one
// square wound once, and the windings carried from loop to loop across the plane leave
// out the squares crossed on the way. Carried, they grew with the width of the plane and
// the pool under them with it (four times the size here; on the million faces of a
// finely subdivided cube a single block of over half a gigabyte, allocated at once).
TEST(FaceDiagramLoops, WindingsAcrossAPlaneOfManyFacesStayShort) {
  constexpr int kSide = 100;
  std::vector<corvia::DiagramColouredLoop> records(kSide * kSide);
  std::vector<Polygon> squares;
  for (int i = 0; i < kSide; ++i) {
    for (int j = 0; j < kSide; ++j) {
      squares.push_back(Box(reinterpret_cast<DiagramSource>(&records[static_cast<size_t>(i * kSide + j)]), i, j,
                            i + 1, j + 1));
    }
  }
  Built b(squares);
  ASSERT_EQ(b.result.mNumCells, kSide * kSide);
  for (int c = 0; c < b.result.mNumCells; ++c) {
    ASSERT_EQ(b.cells[c].numPairs, 1) << c;
    EXPECT_EQ(b.cells[c].pairs[0].winding, 1) << c;
  }
  EXPECT_LT(b.work.mWindings->GetFirstBlockCapacity(), 16 * kSide * kSide);
}

// The cells of a diagram of many loops (a plane of many faces) are sorted, measured and
// ranked with reports along them: one plane of a million faces held the window up to
// 0.8 s with none. A Cancel meanwhile leaves the diagram without cells, at once.
TEST(FaceDiagramLoops, TheCellsOfManyLoopsReportAlongThemAndStopAtACancel) {
  constexpr int kSide = 100;
  std::vector<corvia::DiagramColouredLoop> records(kSide * kSide);
  corvia::platform::HeadlessProgress& progress = corvia::testing::Platform().progress;
  int pumps = 0;
  int cancelAt = 0;
  progress.Current()->onPump = [&](corvia::platform::HeadlessProgressWindow::State& state) {
    corvia::testing::Platform().clock.Advance(1.0);
    if (++pumps == cancelAt) state.cancel = true;
  };
  for (const int cancel : {0, 3}) {
    corvia::FaceDiagramWorkPools work;
    corvia::FaceDiagramResultPools results;
    FaceDiagram diagram{&work, &results};
    FaceDiagramBuilder builder;
    corvia::BeginFaceDiagram(nullptr, &diagram, corvia::kDiagramSourceLoops, &work, &results, &builder);
    for (int k = 0; k < kSide * kSide; ++k) {
      const Polygon square = Box(reinterpret_cast<DiagramSource>(&records[static_cast<size_t>(k)]), k / kSide,
                                 k % kSide, k / kSide + 1, k % kSide + 1);
      corvia::DiagramClosePath(square.source, false, &builder);
      for (const auto& q : square.points) corvia::DiagramLineTo(q.data(), &builder);
    }
    corvia::DiagramClosePath(builder.mSource, false, &builder);
    diagram.CreateLoops();
    pumps = 0;
    cancelAt = cancel;
    {
      corvia::ProgressScope scope;
      corvia::testing::Platform().clock.Advance(2.0);
      corvia::CreateLoopTypes(&diagram, nullptr, false);
    }
    if (cancel == 0) {
      // Eight passes' reports at the least: the loops' reading alone made three.
      EXPECT_GE(pumps, 8 * (kSide * kSide / 256));
      ASSERT_EQ(diagram.mNumCells, kSide * kSide);
      for (int c = 0; c < diagram.mNumCells; ++c) {
        ASSERT_EQ(diagram.mCells[c].numPairs, 1) << c;
        EXPECT_EQ(diagram.mCells[c].pairs[0].winding, 1) << c;
      }
    } else {
      EXPECT_EQ(pumps, 3);
      EXPECT_EQ(diagram.mNumCells, 0);
    }
  }
  progress.Current()->onPump = nullptr;
}

TEST(FaceDiagramDegenerate, ShortSegmentsCollinearEdgesAndRepeatsGiveDefinedResults) {
  // Ends closer than the tolerance add nothing.
  Polygon tiny{Red(), {{0, 0}, {5e-8, 5e-8}}};
  Built none({tiny});
  EXPECT_EQ(none.result.mNumCells, 0);
  EXPECT_EQ(none.loops, 0);
  // Collinear corners on a side, a repeated vertex, a corner within the tolerance of
  // another: still one unit square.
  Polygon messy{Red(), {{0, 0}, {0.5, 0}, {1, 0}, {1, 0}, {1, 1}, {1 + 3e-8, 1 - 3e-8}, {0, 1}}};
  Built b({messy});
  ASSERT_EQ(b.result.mNumCells, 1);
  EXPECT_NEAR(corvia::GetCellArea(&b.result, 0), 1.0, 1e-7);
  // A path that doubles back on itself encloses nothing.
  Polygon back{Red(), {{0, 0}, {2, 0}, {1, 0}}};
  Built line({back});
  EXPECT_EQ(line.result.mNumCells, 0);
  // A dangling edge inside a square and a square touching another at a corner.
  Polygon spike{Blue(), {{0.5, 0.5}, {0.7, 0.5}}};
  Built withSpike({Box(Red(), 0, 0, 1, 1), spike, Box(Red(), 1, 1, 2, 2)});
  EXPECT_NEAR(withSpike.AreaWithWinding(Red(), 1), 2.0, 1e-12);
  // Three lines through one point.
  Polygon fan{Red(), {{-1, 0}, {1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, -1}}};
  Built star({fan});
  double total = 0.0;
  for (int c = 0; c < star.result.mNumCells; ++c) total += std::fabs(corvia::GetCellArea(&star.result, c));
  EXPECT_GT(total, 0.0);
}

TEST(FaceDiagramDegenerate, ManyCrossingLinesStayConsistent) {
  // Long thin star polygons {n/k} in one plane: every region is found.
  for (int n : {7, 11, 17}) {
    const Polygon star = Regular(Red(), n, 3, 1.0);
    Built b({star});
    ASSERT_FALSE(b.diagram.LoopsFailed());
    double weighted = 0.0;
    for (int c = 0; c < b.result.mNumCells; ++c) weighted += b.Winding(c, Red()) * corvia::GetCellArea(&b.result, c);
    EXPECT_NEAR(weighted, PolygonArea(star), 1e-9) << n;
    EXPECT_EQ(b.result.mNumCells, 3) << n;
  }
}

// Many small squares, some overlapping, crossed by long star polygons: the small
// segments are cut against those near them only, the long ones against all. Every
// crossing is found: each source covers its own area, counted by winding, and the
// cells together cover as much as the squares and stars do.
TEST(FaceDiagramDegenerate, ShortAndLongSegmentsAreCutWhereverTheyCross) {
  std::vector<corvia::DiagramColouredLoop> records(600);
  std::vector<Polygon> polygons;
  auto source = [&records](size_t i) { return reinterpret_cast<DiagramSource>(&records[i]); };
  for (int i = 0; i < 24; ++i) {
    for (int j = 0; j < 20; ++j) {
      const double x = 0.1 * i + 0.013 * (j % 3);
      const double y = 0.1 * j + 0.017 * (i % 4);
      polygons.push_back(Box(source(polygons.size()), x, y, x + 0.07 + 0.05 * ((i + j) % 2), y + 0.06));
    }
  }
  polygons.push_back(Regular(source(polygons.size()), 7, 3, 1.1, 1.2, 1.0));
  polygons.push_back(Regular(source(polygons.size()), 5, 2, 0.9, 1.0, 1.1));
  Built b(polygons, 0);
  ASSERT_FALSE(b.diagram.LoopsFailed());
  for (const Polygon& p : polygons) {
    double weighted = 0.0;
    for (int c = 0; c < b.result.mNumCells; ++c) {
      weighted += b.Winding(c, p.source) * corvia::GetCellArea(&b.result, c);
    }
    EXPECT_NEAR(weighted, PolygonArea(p), 1e-9);
  }
}

TEST(FaceDiagramCells, OpacityAndColourFollowTheSources) {
  // Default flags (blend by weight, weight by winding): mean of red and blue.
  Built b({Box(Red(), 0, 0, 2, 2), Box(Blue(), 1, 1, 3, 3)}, 0);
  for (int c = 0; c < b.result.mNumCells; ++c) {
    if (b.Winding(c, Red()) == 1 && b.Winding(c, Blue()) == 1) {
      EXPECT_FLOAT_EQ(b.cells[c].colour[0], 0.5f);
      EXPECT_FLOAT_EQ(b.cells[c].colour[2], 0.5f);
    }
    EXPECT_FLOAT_EQ(b.cells[c].opacity, 1.0f);
  }
  // Translucent face: opacity 0.5 once, 0.75 under winding 2.
  corvia::DiagramSourceCallbacks callbacks;
  callbacks.colour = [](DiagramSource, float* rgb, float* alpha, void*) {
    rgb[0] = 0.2f;
    rgb[1] = 0.4f;
    rgb[2] = 0.6f;
    *alpha = 0.5f;
  };
  Built glass({Regular(7, 5, 2, 1.0)}, 0, corvia::kDiagramSourceCallbacks);
  corvia::CalcAllColors(glass.cells, glass.result.mNumCells, corvia::GetDiagramDrawFlags(false, false),
                        corvia::kDiagramSourceCallbacks, &callbacks);
  for (int c = 0; c < glass.result.mNumCells; ++c) {
    const float expected = glass.Winding(c, 7) == 2 ? 0.75f : 0.5f;
    EXPECT_FLOAT_EQ(glass.cells[c].opacity, expected);
    EXPECT_NEAR(glass.cells[c].colour[1], 0.4f, 1e-6);
  }
  // Even-odd: the centre of a pentagram is empty.
  Built evenOdd({Regular(Red(), 5, 2, 1.0)}, corvia::kDiagramFinishFilled | corvia::kDiagramFinishEvenOdd);
  for (int c = 0; c < evenOdd.result.mNumCells; ++c)
    EXPECT_FLOAT_EQ(evenOdd.cells[c].opacity, evenOdd.Winding(c, Red()) == 2 ? 0.0f : 1.0f);
  EXPECT_FALSE(corvia::AllCellsHidden(evenOdd.cells, &evenOdd.result));
  // Differing colours mix to light grey.
  corvia::CalcAllColors(b.cells, b.result.mNumCells, corvia::kCellMixDiffering, corvia::kDiagramSourceLoops, nullptr);
  for (int c = 0; c < b.result.mNumCells; ++c)
    if (b.cells[c].numPairs == 2) {
      EXPECT_FLOAT_EQ(b.cells[c].colour[0], 0.9f);
    }
}

TEST(FaceDiagramCells, SourcePairsFollowCoveredAreaAndHiddenSourcesDoNotCount) {
  // The small square covers less area, so it comes first in the overlap's pairs.
  Built b({Box(Red(), 0, 0, 4, 4), Box(Blue(), 1, 1, 2, 2)});
  for (int c = 0; c < b.result.mNumCells; ++c)
    if (b.cells[c].numPairs == 2) {
      EXPECT_EQ(b.cells[c].pairs[0].source, Blue());
    }
  corvia::DiagramSourceCallbacks callbacks;
  callbacks.colour = [](DiagramSource, float* rgb, float* alpha, void*) {
    rgb[0] = rgb[1] = rgb[2] = 1.0f;
    *alpha = 1.0f;
  };
  callbacks.isHidden = [](DiagramSource item, void*) { return item == 2; };
  callbacks.isSelected = [](DiagramSource item, void*) { return item == 1; };
  Built items({Box(1, 0, 0, 2, 2), Box(2, 1, 1, 3, 3)}, corvia::kDiagramFinishFilled, corvia::kDiagramSourceCallbacks);
  corvia::CalcAllColors(items.cells, items.result.mNumCells, corvia::GetDiagramDrawFlags(true, false),
                        corvia::kDiagramSourceCallbacks, &callbacks);
  for (int c = 0; c < items.result.mNumCells; ++c) {
    const bool onlyHidden = items.Winding(c, 1) == 0;
    EXPECT_FLOAT_EQ(items.cells[c].opacity, onlyHidden ? 0.0f : 1.0f);
    EXPECT_EQ(corvia::IsCellSelected(&items.cells[c], corvia::kDiagramSourceCallbacks, &callbacks), !onlyHidden);
    if (!onlyHidden) {
      EXPECT_DOUBLE_EQ(corvia::GetSelectedFraction(&items.cells[c], corvia::kDiagramSourceCallbacks, &callbacks), 1.0);
    }
  }
}

}  // namespace
