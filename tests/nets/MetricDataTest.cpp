// The metric data file: the cube's file read back gives the cube's measures, a
// facelet with a hole closes its outer loop, and a file that cannot be written is
// reported and leaves the old one alone.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/PolygonRing.h"
#include "core/Units.h"
#include "model/PolyTemplate.h"
#include "nets/MetricData.h"
#include "tests/nets/NetChecks.h"

namespace test_MetricData {

namespace n = corvia::testing::nets;
using corvia::testing::Platform;

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The numbers of a line, in order ("1-0" gives 1 and -0).
std::vector<double> NumbersOf(const std::string& line) {
  static const std::regex number(R"([-+]?[0-9]*\.?[0-9]+(e[-+]?[0-9]+)?)");
  std::vector<double> values;
  for (auto it = std::sregex_iterator(line.begin(), line.end(), number); it != std::sregex_iterator(); ++it) {
    values.push_back(std::stod(it->str()));
  }
  return values;
}

class MetricDataTest : public n::NetsTest {};

TEST_F(MetricDataTest, TheCubesFileGivesItsLengthsAreasAndAngles) {
  corvia::PolyTemplate cubeTemplate;
  corvia::Poly cube;
  ASSERT_TRUE(cubeTemplate.Parse("4.4.4", nullptr));
  ASSERT_TRUE(cube.Build(&cubeTemplate, 0));
  corvia::Model3D model(&cube, false);
  ASSERT_EQ(model.GetNumFacelets(), 6);
  corvia::GetUnitSettings().mLengthScale = 2.0;
  corvia::GetUnitSettings().mAngleUnit = corvia::kAngleDegrees;

  const std::string path = (corvia::testing::ScratchDir("MetricCube") / "cube.txt").string();
  EXPECT_TRUE(corvia::WriteMetricDataFile(&model, path.c_str(), "Cube\nsecond line").done());
  EXPECT_TRUE(Platform().messages.Boxes().empty());
  const std::vector<std::string> lines = ReadLines(path);
  ASSERT_GE(lines.size(), 20u);
  EXPECT_EQ(lines[0], "================");
  EXPECT_EQ(lines[1], "Metric Data File");
  EXPECT_EQ(lines[2], "================");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "Written by Corvia");
  EXPECT_EQ(lines[6], "Cube");
  EXPECT_EQ(lines[7], "second line");
  EXPECT_EQ(lines[8], "");
  EXPECT_EQ(lines[9], " 6 facelets, of 1 type; 12 edgelets; 8 vertices, of 1 type.");

  // Radius 1 at the model's scale of 2; the cube's edge is 2 / sqrt 3 of its radius.
  const double edge = 2.0 / std::sqrt(3.0);
  auto expectNumbers = [](const std::string& line, const std::vector<double>& wanted) {
    const std::vector<double> got = NumbersOf(line);
    ASSERT_EQ(got.size(), wanted.size()) << line;
    for (size_t i = 0; i < wanted.size(); ++i)
      EXPECT_NEAR(got[i], wanted[i], 1e-5 * (1 + std::fabs(wanted[i]))) << line;
  };
  EXPECT_EQ(lines[10].rfind(" Radius ", 0), 0u);
  expectNumbers(lines[10], {2.0, 4.0});
  EXPECT_EQ(lines[11].rfind(" Uniform poly radius ", 0), 0u);
  expectNumbers(lines[11], {2.0, 2.0 * std::sqrt(2.0 / 3.0), 2.0 / std::sqrt(3.0)});
  expectNumbers(lines[12], {2.0 * edge});
  // Vertex height e^2 / 2 (radius 1); the vertex figure radius as stored.
  const double height = edge * edge / 2.0;
  expectNumbers(lines[13], {2.0 * height, std::sqrt(2.0 * height - height * height) / 2.0});
  EXPECT_EQ(lines[14], "");
  // The file counts facelet types from 0, and names the edgelets' types alike.
  EXPECT_EQ(lines[15].rfind(" Facelet type 0: area ", 0), 0u);
  expectNumbers(lines[15], {0.0, 4.0 * edge * edge});

  // Four edges, each joining another edge of type 0, at right angles; no hole.
  const std::regex edgeLine(R"(  Edge 0-([0-3]): Joins 0-[0-3], Length ([0-9.]+), Dihedral 90 deg, Mitre 45 deg)");
  for (int e = 0; e < 4; ++e) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[16 + 2 * e], match, edgeLine)) << lines[16 + 2 * e];
    EXPECT_EQ(std::stoi(match[1]), e);
    EXPECT_NEAR(std::stod(match[2]), 2.0 * edge, 1e-5);
    EXPECT_EQ(lines[17 + 2 * e], "        Face angle 90 deg");
  }
  EXPECT_EQ(lines.size(), 24u);

  // In degrees, minutes and seconds the angles change their form, not their value.
  corvia::GetUnitSettings().mAngleUnit = corvia::kAngleDegreesMinutesSeconds;
  EXPECT_TRUE(corvia::WriteMetricDataFile(&model, path.c_str(), nullptr).done());
  const std::vector<std::string> again = ReadLines(path);
  ASSERT_EQ(again.size(), 22u);
  EXPECT_NE(again[14].find("Dihedral 90deg0'0\", Mitre 45deg0'0\""), std::string::npos) << again[14];
}

TEST_F(MetricDataTest, AFaceletWithAHoleEndsItsOuterLoop) {
  // A square of side 4 with a triangular hole; no neighbours, no uniform measures.
  corvia::Model3D model(nullptr, false);
  corvia::PolygonVertex* outer = nullptr;
  for (auto [x, y] : {std::pair{0.0, 0.0}, {4.0, 0.0}, {4.0, 4.0}, {0.0, 4.0}})
    corvia::NewPolygonVertex(x, y, nullptr, nullptr, outer);
  corvia::PolygonVertex* hole = nullptr;
  for (auto [x, y] : {std::pair{1.0, 1.0}, {1.0, 3.0}, {3.0, 1.0}})
    corvia::NewPolygonVertex(x, y, nullptr, nullptr, hole);
  corvia::PolygonList* list = nullptr;
  corvia::PolygonList* tail = nullptr;
  corvia::AppendToPolygonList(outer, list, tail);
  corvia::AppendToPolygonList(hole, list, tail);
  auto* type = new corvia::Face3DType(1, 1, &model, nullptr);
  model.mFaceTypes = type;
  type->SetLoops(list);
  corvia::Transform3D identity = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
  type->mFacelets[0].Create(nullptr, type, list, identity, &model);
  type->Triangulate(list);
  corvia::GetUnitSettings().mLengthScale = 1.0;
  corvia::GetUnitSettings().mAngleUnit = corvia::kAngleDegrees;

  const std::string path = (corvia::testing::ScratchDir("MetricHole") / "hole.txt").string();
  EXPECT_TRUE(corvia::WriteMetricDataFile(&model, path.c_str(), "").done());
  const std::vector<std::string> lines = ReadLines(path);
  // The header block has its two lines; the facelet lines follow the radius line.
  ASSERT_EQ(lines.size(), 4u + 2u + 3u + 1u + 7u * 2u + 1u);
  EXPECT_EQ(lines[8].rfind(" Radius ", 0), 0u);
  EXPECT_EQ(lines[9], " Facelet type 0: area 14");
  EXPECT_EQ(lines[10], "  Edge 0-0: Joins NULL, Length 4, Dihedral 0 deg, Mitre 90 deg");
  EXPECT_EQ(lines[11], "        Face angle 90 deg");
  // After the outer loop's last edge, once; the hole turns the other way round.
  EXPECT_EQ(lines[16], "  Edge 0-3: Joins NULL, Length 4, Dihedral 0 deg, Mitre 90 deg");
  EXPECT_EQ(lines[17], "        Face angle 90 deg");
  EXPECT_EQ(lines[18], "  [End Loop]");
  EXPECT_EQ(lines[19], "  Edge 0-4: Joins NULL, Length 2, Dihedral 0 deg, Mitre 90 deg");
  EXPECT_EQ(lines[20], "        Face angle 315 deg");
  EXPECT_EQ(lines.back(), "        Face angle 270 deg");
}

TEST_F(MetricDataTest, AFileThatCannotBeWrittenIsReportedAndTheOldOneKept) {
  corvia::PolyTemplate cubeTemplate;
  corvia::Poly cube;
  ASSERT_TRUE(cubeTemplate.Parse("4.4.4", nullptr));
  ASSERT_TRUE(cube.Build(&cubeTemplate, 0));
  corvia::Model3D model(&cube, false);
  const std::string missing = (corvia::testing::ScratchDir("MetricMissing") / "no-folder" / "cube.txt").string();
  const corvia::Outcome outcome = corvia::WriteMetricDataFile(&model, missing.c_str(), nullptr);
  EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kFailed);
  EXPECT_EQ(outcome.text(), "Couldn't open '" + missing + "' for writing");
  EXPECT_TRUE(Platform().messages.Boxes().empty());

  // A null model writes nothing, and an existing file is only replaced whole.
  const std::string path = (corvia::testing::ScratchDir("MetricKeep") / "keep.txt").string();
  {
    std::ofstream out(path);
    out << "old\n";
  }
  EXPECT_TRUE(corvia::WriteMetricDataFile(nullptr, path.c_str(), nullptr).done());
  EXPECT_EQ(ReadLines(path), std::vector<std::string>{"old"});
  EXPECT_TRUE(corvia::WriteMetricDataFile(&model, path.c_str(), nullptr).done());
  EXPECT_EQ(ReadLines(path).at(1), "Metric Data File");
}

TEST(PolygonCornerAngle, TurnsLeftRightStraightAndBack) {
  const double o[2] = {0, 0}, x[2] = {1, 0}, up[2] = {1, 1}, down[2] = {1, -1}, on[2] = {2, 0};
  const double pi = 3.14159265358979323846;
  EXPECT_NEAR(corvia::GetPolygonCornerAngle(o, x, up), pi / 2, 1e-12);
  EXPECT_NEAR(corvia::GetPolygonCornerAngle(o, x, down), 3 * pi / 2, 1e-12);
  EXPECT_NEAR(corvia::GetPolygonCornerAngle(o, x, on), pi, 1e-12);
  EXPECT_NEAR(corvia::GetPolygonCornerAngle(o, x, o), 0.0, 1e-12);
  // Sharp turns on either side.
  const double back[2] = {0, 0.1}, backBelow[2] = {0, -0.1};
  EXPECT_NEAR(corvia::GetPolygonCornerAngle(o, x, back), std::atan2(0.1, 1.0), 1e-12);
  EXPECT_NEAR(corvia::GetPolygonCornerAngle(o, x, backBelow), 2 * pi - std::atan2(0.1, 1.0), 1e-12);
  // An edge of no length: no turn.
  EXPECT_NEAR(corvia::GetPolygonCornerAngle(x, x, up), pi, 1e-12);
}

}  // namespace test_MetricData
