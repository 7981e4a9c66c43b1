#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "construction/BuildHooks.h"
#include "construction/PolyFamily.h"
#include "core/RainbowColor.h"
#include "model/LibraryEntry.h"
#include "model/PolyTemplate.h"
#include "tests/support/TestSupport.h"

namespace test_PolyTemplate {

// The refusal of the last Solve.
corvia::Outcome gWhy;

// Parses and solves a configuration; whether the library names it is tested apart.
void Solve(corvia::PolyTemplate& t, const char* text) {
  corvia::testing::Platform().messages.Clear();
  gWhy = corvia::Outcome();
  t.Parse(text, &gWhy);
}

// Every text of the error and warning boxes shown.
std::vector<std::string> Boxes(const char* title) {
  std::vector<std::string> texts;
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) {
    if (box.title == title) texts.push_back(box.text);
  }
  return texts;
}

std::string ErrorOf(const char* text) {
  corvia::PolyTemplate t;
  corvia::Outcome why;
  EXPECT_FALSE(t.Parse(text, &why)) << text;
  EXPECT_EQ(why.kind(), corvia::Outcome::Kind::kRefused) << text;
  return why.text();
}

std::string Quoted(const char* text, const std::string& message) {
  return std::string("\"") + text + "\" - " + message;
}

// The configurations read from every distinct starting polygon of both lists.
std::set<std::string> Readings(const corvia::PolyTemplate& t) {
  std::set<std::string> texts;
  for (auto* p = t.mNextToTry; p; p = p->mNextToTry) {
    texts.insert(corvia::PolyTemplate::FormatVertexConfiguration(&t, p, false));
  }
  for (auto* p = t.mPrevToTry; p; p = p->mPrevToTry) {
    texts.insert(corvia::PolyTemplate::FormatVertexConfiguration(&t, p, true));
  }
  return texts;
}

double SumProjected(const corvia::PolyTemplate& t) {
  double sum = 0.0;
  const corvia::TemplatePolygon* p = t.GetHead();
  for (int i = 0; i < t.mValence; ++i, p = p->mNext) sum += p->mProjectedAngle;
  return sum;
}

// Expected values of a Platonic or Archimedean solid with circumradius 1.
void ExpectAll(const corvia::PolyTemplate& t, double edge, double dihedral, double height) {
  EXPECT_NEAR(t.mEdgeLength, edge, 1e-9);
  const corvia::TemplatePolygon* p = t.GetHead();
  for (int i = 0; i < t.mValence; ++i, p = p->mNext) {
    EXPECT_NEAR(p->mDihedralAngle, dihedral, 1e-7);
    EXPECT_NEAR(p->mHeight, height, 1e-9);
  }
}

}  // namespace test_PolyTemplate

TEST(PolyTemplateTest, PlatonicSolidsAgreeWithClosedForms) {
  corvia::PolyTemplate t;
  const double s5 = std::sqrt(5.0);
  test_PolyTemplate::Solve(t, "3.3.3.3.3");
  EXPECT_EQ(t.mValence, 5);
  EXPECT_EQ(t.mWraps, 1);
  EXPECT_EQ(t.mReflexSides, -1);
  EXPECT_FALSE(t.mHasHemi);
  // Icosahedron: edge 4 / sqrt(10 + 2 sqrt 5), dihedral acos(-sqrt5 / 3).
  test_PolyTemplate::ExpectAll(t, 4.0 / std::sqrt(10.0 + 2.0 * s5), std::acos(-s5 / 3.0),
                               std::sqrt((5.0 + 2.0 * s5) / 15.0));
  EXPECT_NEAR(t.mEdgeLength, 1.0515, 1e-4);
  EXPECT_NEAR(t.GetHead()->mDihedralAngle, 2.4119, 1e-4);
  EXPECT_NEAR(t.GetHead()->mHeight, 0.7947, 1e-4);
  EXPECT_NEAR(t.mMidRadius, std::sqrt(1.0 - t.mEdgeLength * t.mEdgeLength / 4.0), 1e-12);
  EXPECT_NEAR(test_PolyTemplate::SumProjected(t), 2.0 * M_PI, 1e-6);

  test_PolyTemplate::Solve(t, "3.3.3");
  test_PolyTemplate::ExpectAll(t, std::sqrt(8.0 / 3.0), std::acos(1.0 / 3.0), 1.0 / 3.0);
  test_PolyTemplate::Solve(t, "4.4.4");
  test_PolyTemplate::ExpectAll(t, 2.0 / std::sqrt(3.0), M_PI / 2.0, 1.0 / std::sqrt(3.0));
  EXPECT_NEAR(t.mVertHeight, 2.0 / 3.0, 1e-9);
}

TEST(PolyTemplateTest, CuboctahedronAndPrismRing) {
  corvia::PolyTemplate t;
  test_PolyTemplate::Solve(t, "3.4.3.4");
  // Cuboctahedron: edge equal to the circumradius; triangle-square dihedral
  // acos(-1/sqrt3); face planes at sqrt(2/3) and sqrt(1/2).
  EXPECT_NEAR(t.mEdgeLength, 1.0, 1e-9);
  EXPECT_NEAR(t.mMidRadius, std::sqrt(3.0) / 2.0, 1e-9);
  const corvia::TemplatePolygon* p = t.GetHead();
  for (int i = 0; i < 4; ++i, p = p->mNext) {
    EXPECT_NEAR(p->mDihedralAngle, std::acos(-1.0 / std::sqrt(3.0)), 1e-7);
    EXPECT_GT(p->mHeight, 0.0);
    EXPECT_NEAR(p->mHeight, p->mSides == 3 ? std::sqrt(2.0 / 3.0) : std::sqrt(0.5), 1e-9);
  }
  // Like polygons share a colour: triangles red, squares yellow.
  float red[3], yellow[3];
  corvia::RainbowColor(0, red);
  corvia::RainbowColor(1, yellow);
  p = t.GetHead();
  for (int i = 0; i < 4; ++i, p = p->mNext) {
    EXPECT_FLOAT_EQ(p->mColor[0], p->mSides == 3 ? red[0] : yellow[0]);
    EXPECT_FLOAT_EQ(p->mColor[1], p->mSides == 3 ? red[1] : yellow[1]);
  }

  // 9.4.4: the prism on a nonagon. Base circumradius a with a^2 + e^2/4 = 1 and
  // e = 2 a sin(pi/9).
  test_PolyTemplate::Solve(t, "9.4.4");
  const double s = std::sin(M_PI / 9.0);
  const double a = 1.0 / std::sqrt(1.0 + s * s);
  EXPECT_NEAR(t.mEdgeLength, 2.0 * a * s, 1e-9);
  p = t.GetHead();
  EXPECT_NEAR(p->mHeight, std::sqrt(1.0 - a * a), 1e-9);
  EXPECT_NEAR(p->mDihedralAngle, M_PI / 2.0, 1e-7);
  const auto readings = test_PolyTemplate::Readings(t);
  EXPECT_TRUE(readings.count("9.4.4"));
  EXPECT_TRUE(readings.count("4.4.9"));
  EXPECT_TRUE(readings.count("4.9.4"));
}

TEST(PolyTemplateTest, RotatedAndReversedRingsAreTheSame) {
  corvia::PolyTemplate a, b;
  test_PolyTemplate::Solve(a, "3.4.3.4");
  test_PolyTemplate::Solve(b, "4.3.4.3");
  EXPECT_EQ(test_PolyTemplate::Readings(a), test_PolyTemplate::Readings(b));
  EXPECT_TRUE(test_PolyTemplate::Readings(a).count("4.3.4.3"));
  // Equivalent positions share identity bits; the ring reads the same backwards.
  EXPECT_EQ(a.GetHead()->mId, a.GetHead()->mNext->mNext->mId);
  EXPECT_NE(a.GetHead()->mId, a.GetHead()->mNext->mId);
  EXPECT_EQ(a.mPrevToTry, nullptr);
  EXPECT_TRUE(a.mHalfTurnMatch == 0 || a.mHalfTurnMatch == 1);

  // 4.6.8 read backwards is no rotation of itself: the backward list holds it.
  corvia::PolyTemplate c, d;
  test_PolyTemplate::Solve(c, "4.6.8");
  test_PolyTemplate::Solve(d, "6.4.8");
  EXPECT_NE(c.mPrevToTry, nullptr);
  EXPECT_EQ(test_PolyTemplate::Readings(c), test_PolyTemplate::Readings(d));
}

TEST(PolyTemplateTest, StarConfigurationsAndFormatting) {
  corvia::PolyTemplate t;
  test_PolyTemplate::Solve(t, "3.5/2.3.5/2");
  EXPECT_NEAR(test_PolyTemplate::SumProjected(t), 2.0 * M_PI, 1e-6);
  EXPECT_EQ(corvia::PolyTemplate::FormatVertexConfiguration(&t), "3.5/2.3.5/2");

  // Five pentagrams winding twice round the vertex solve, but no library entry has
  // that ring: the parse fails with its message.
  test_PolyTemplate::Solve(t, "(5/2.5/2.5/2.5/2.5/2)/2");
  EXPECT_EQ(t.mWraps, 2);
  EXPECT_EQ(t.mEntry, nullptr);
  EXPECT_NEAR(test_PolyTemplate::SumProjected(t), 4.0 * M_PI, 1e-6);
  EXPECT_EQ(corvia::PolyTemplate::FormatVertexConfiguration(&t), "(5/2.5/2.5/2.5/2.5/2)/2");
  EXPECT_EQ(test_PolyTemplate::gWhy.text(),
            test_PolyTemplate::Quoted("(5/2.5/2.5/2.5/2.5/2)/2",
                                      "No polyhedron of the library has this vertex configuration."));
  corvia::testing::Platform().messages.Clear();

  // The small stellated dodecahedron: five pentagrams round a vertex, winding once
  // (its vertex figure is a pentagon). Its vertices are an icosahedron's and its
  // edges join second neighbours of that icosahedron: phi times the icosahedron's
  // edge.
  corvia::PolyTemplate sissid;
  EXPECT_TRUE(sissid.Parse("5/2.5/2.5/2.5/2.5/2", &test_PolyTemplate::gWhy));
  ASSERT_NE(sissid.mEntry, nullptr);
  EXPECT_EQ(corvia::GetVertexConfiguration(sissid.mEntry), "5/2.5/2.5/2.5/2.5/2");
  EXPECT_EQ(sissid.mWraps, 1);
  const double phi = (1.0 + std::sqrt(5.0)) / 2.0;
  EXPECT_NEAR(sissid.mEdgeLength, phi * 4.0 / std::sqrt(10.0 + 2.0 * std::sqrt(5.0)), 1e-9);
  EXPECT_NEAR(test_PolyTemplate::SumProjected(sissid), 2.0 * M_PI, 1e-6);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());

  char small[8];
  corvia::PolyTemplate::FormatVertexConfiguration(&t, small, sizeof small, nullptr, false);
  EXPECT_EQ(std::string(small), "(5/2.5/");
  EXPECT_EQ(corvia::PolyTemplate::FormatVertexConfiguration(nullptr), "Not-uniform");

  // Braces and commas read like parentheses and full stops.
  corvia::PolyTemplate u;
  test_PolyTemplate::Solve(u, "{3, 3 ,3,3 . 3}");
  EXPECT_NEAR(u.mEdgeLength, 4.0 / std::sqrt(10.0 + 2.0 * std::sqrt(5.0)), 1e-9);
}

TEST(PolyTemplateTest, ParseErrorsGiveTheirMessages) {
  using test_PolyTemplate::ErrorOf;
  using test_PolyTemplate::Quoted;
  EXPECT_EQ(ErrorOf("2.3.3"), Quoted("2.3.3", "Polygons must have at least three sides."));
  EXPECT_EQ(ErrorOf("3.3"), Quoted("3.3", "Must have at least three faces at a vertex."));
  EXPECT_EQ(ErrorOf("6.6.6"), Quoted("6.6.6", "Faces at vertex lie in plane."));
  EXPECT_EQ(ErrorOf("6.6.6.6"), Quoted("6.6.6.6", "Faces can't connect around vertex."));
  EXPECT_EQ(ErrorOf("6/4.3.3"),
            Quoted("6/4.3.3", "Number of sides (6) and number of wraps (4) may not have a common factor (2)."));
  EXPECT_EQ(ErrorOf("(3.3.3"), Quoted("(3.3.3", "Missing closing parenthesis."));
  EXPECT_EQ(ErrorOf("3;3;3"), Quoted("3;3;3", "Expected ',' or '.', got ';'."));
  EXPECT_EQ(ErrorOf("3.3.3.3.3 xyz"), Quoted("3.3.3.3.3 xyz", "Expected ',' or '.', got 'x'."));
  EXPECT_EQ(ErrorOf("3.5/.3"), Quoted("3.5/.3", "Expected a number after '/'."));
  EXPECT_EQ(ErrorOf("(3.3.3)/"), Quoted("(3.3.3)/", "Expected a number after '/'."));
  EXPECT_EQ(ErrorOf("3.5/5.3"), Quoted("3.5/5.3", "Number of wraps may not be >= number of sides."));
  EXPECT_EQ(ErrorOf("3.3."), Quoted("3.3.", "Expected a number at end."));
  EXPECT_EQ(ErrorOf("3.x.3"), Quoted("3.x.3", "Expected a number at 'x.3'."));
  EXPECT_EQ(ErrorOf("3.5/2.5/3"),
            Quoted("3.5/2.5/3", "Face 5/2 may not be followed by matching retrograde face 5/3."));
  // The check closes the ring: from the last polygon to the first.
  EXPECT_EQ(ErrorOf("5/3.3.5/2"),
            Quoted("5/3.3.5/2", "Face 5/2 may not be followed by matching retrograde face 5/3."));
  EXPECT_EQ(ErrorOf("3.4.5.3/2.4/3.5/4"),
            Quoted("3.4.5.3/2.4/3.5/4", "Can't solve for ambiguous vertex height of valence > 4."));

  // Nothing is shown without the flag; the result is false all the same.
  corvia::PolyTemplate quiet;
  corvia::testing::Platform().messages.Clear();
  EXPECT_FALSE(quiet.Parse("3.3", nullptr));
  corvia::Outcome why;
  EXPECT_FALSE(quiet.Parse(nullptr, &why));
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST(PolyTemplateTest, TrailingTextAfterBracketWarnsAndSolves) {
  using test_PolyTemplate::gWhy;
  corvia::PolyTemplate t;
  test_PolyTemplate::Solve(t, "(3.3.3.3.3) xyz");
  // The warning is returned, not shown; the parse goes on and solves.
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  EXPECT_TRUE(gWhy.done());
  EXPECT_EQ(gWhy.warnings(), std::vector<std::string>{"\"(3.3.3.3.3) xyz\" - Ignoring trailing characters: 'xyz'."});
  EXPECT_NEAR(t.mEdgeLength, 4.0 / std::sqrt(10.0 + 2.0 * std::sqrt(5.0)), 1e-9);
  // A warning met before a refusal stays before it.
  test_PolyTemplate::Solve(t, "(6.6.6) x");
  EXPECT_EQ(gWhy.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(gWhy.text(), "\"(6.6.6) x\" - Faces at vertex lie in plane.");
  EXPECT_EQ(gWhy.warnings(), std::vector<std::string>{"\"(6.6.6) x\" - Ignoring trailing characters: 'x'."});
}

TEST(PolyTemplateTest, UnboundedInputsAreRefused) {
  using test_PolyTemplate::ErrorOf;
  using test_PolyTemplate::Quoted;
  // No winding round the vertex leaves nothing to close.
  EXPECT_EQ(ErrorOf("(3.3.3)/0"), Quoted("(3.3.3)/0", "Number of wraps round the vertex must be at least 1."));
  // Digit runs that would overflow are held at the bound.
  EXPECT_EQ(ErrorOf("99999999999999999999999.3.3"),
            Quoted("99999999999999999999999.3.3", "Polygons may not have more than 99 sides."));
  EXPECT_EQ(ErrorOf("5/99999999999999999999.3.3"),
            Quoted("5/99999999999999999999.3.3", "Number of wraps may not be >= number of sides."));
  // More polygons than identity bits.
  std::string many = "3";
  for (int i = 0; i < 40; ++i) many += ".3";
  EXPECT_EQ(ErrorOf(many.c_str()), Quoted(many.c_str(), "May not have more than 32 faces at a vertex."));
  // A long ring within the bounds formats completely.
  corvia::PolyTemplate t;
  test_PolyTemplate::Solve(t, "99.4.4");
  EXPECT_EQ(corvia::PolyTemplate::FormatVertexConfiguration(&t), "99.4.4");
}

// Polygons as large as the prism family allows and no larger: a larger one is
// refused while the text is read, before any solving.
TEST(PolyTemplateTest, PolygonsBeyondTheFamilyLimitAreRefusedAtOnce) {
  using test_PolyTemplate::ErrorOf;
  using test_PolyTemplate::Quoted;
  EXPECT_EQ(corvia::kTemplateMaxSides, corvia::kFamilyMaxSides);
  for (const char* text : {"100.4.4", "3.3.3.100", "99991.4.4", "100000.3.3.3", "100/3.4.4", "4.4.4.100"}) {
    EXPECT_EQ(ErrorOf(text), Quoted(text, "Polygons may not have more than 99 sides.")) << text;
  }
}

// Prisms {n}.4.4 and antiprisms {n}.3.3.3 of every size up to the limit solve to
// the edge length of their closed forms (circumradius 1), whichever polygon the
// text starts with, and name their library records.
TEST(PolyTemplateTest, EveryPrismAndAntiprismSizeSolves) {
  const double pi = 3.14159265358979323846;
  for (int n = 3; n <= corvia::kTemplateMaxSides; ++n) {
    const double s = std::sin(pi / n);
    // Prism: base radius rho and half height e / 2 with rho^2 + e^2 / 4 = 1.
    const double prismEdge = 2.0 * s / std::sqrt(1.0 + s * s);
    // Antiprism: the top ring turned by pi / n, height H with
    // e^2 = 2 rho^2 (1 - cos(pi / n)) + H^2 and rho^2 + H^2 / 4 = 1.
    const double h2OverRho2 = 4.0 * s * s - 2.0 * (1.0 - std::cos(pi / n));
    const double antiprismEdge = 2.0 * s / std::sqrt(1.0 + h2OverRho2 / 4.0);
    const std::string number = std::to_string(n);
    const std::string texts[] = {number + ".4.4", "4." + number + ".4", number + ".3.3.3", "3.3.3." + number};
    for (int k = 0; k < 4; ++k) {
      const std::string& text = texts[k];
      const bool prism = k < 2;
      corvia::PolyTemplate t;
      corvia::testing::Platform().messages.Clear();
      corvia::Outcome why;
      ASSERT_TRUE(t.Parse(text.c_str(), &why)) << text << " " << why.text();
      ASSERT_NE(t.mEntry, nullptr) << text;
      EXPECT_NEAR(t.mEdgeLength, prism ? prismEdge : antiprismEdge, 1e-9) << text;
      EXPECT_NEAR(test_PolyTemplate::SumProjected(t), 2.0 * pi, 1e-6) << text;
      if (n > 10) {
        EXPECT_EQ(t.mEntry->GetIndex(), prism ? 96 : 97) << text;
      }
    }
  }
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// Rings whose faces close round a vertex only in the plane solve to a vertex height
// of nothing (edges shorter than the distance at which two points are one): they
// are refused as flat, never handed on as a polyhedron of no size.
TEST(PolyTemplateTest, RingsThatCloseOnlyInThePlaneAreRefused) {
  using test_PolyTemplate::ErrorOf;
  using test_PolyTemplate::Quoted;
  for (const char* text :
       {"10.10/7.10", "8.8/5.8.8/5", "5/3.10.5/3.10", "10/7.5.10/7.5", "10.5/3.10.5/3", "3/2.6.3/2.6"}) {
    EXPECT_EQ(ErrorOf(text), Quoted(text, "Faces at vertex lie in plane.")) << text;
    corvia::PolyTemplate t;
    EXPECT_FALSE(t.Parse(text, nullptr));
    EXPECT_EQ(t.mEdgeLength, 0.0) << text;
    EXPECT_EQ(t.mEntry, nullptr) << text;
  }
}

TEST(PolyTemplateTest, SolvedConfigurationsNameTheirLibraryEntries) {
  corvia::PolyTemplate t;
  corvia::testing::Platform().messages.Clear();
  EXPECT_TRUE(t.Parse("3.3.3.3.3", &test_PolyTemplate::gWhy));
  ASSERT_NE(t.mEntry, nullptr);
  EXPECT_EQ(corvia::GetVertexConfiguration(t.mEntry), "3.3.3.3.3");
  // Read from another starting polygon and backwards, the cuboctahedron is found.
  corvia::PolyTemplate other;
  EXPECT_TRUE(other.Parse("3.4.3.4", &test_PolyTemplate::gWhy));
  EXPECT_TRUE(t.Parse("4.3.4.3", &test_PolyTemplate::gWhy));
  ASSERT_NE(t.mEntry, nullptr);
  EXPECT_EQ(t.mEntry, other.mEntry);
  // 9.4.4 is the parametric prism with n = 9.
  EXPECT_TRUE(t.Parse("9.4.4", &test_PolyTemplate::gWhy));
  ASSERT_NE(t.mEntry, nullptr);
  int n = 0, d = 0;
  EXPECT_EQ(corvia::GetTemplateLibraryEntry(&t, &n, &d), t.mEntry);
  EXPECT_EQ(n, 9);
  EXPECT_EQ(d, 1);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST(PolyTemplateTest, KeepsItsOwnCopyOfTheText) {
  corvia::PolyTemplate t;
  corvia::testing::Platform().messages.Clear();
  {
    // A caller's buffer that is overwritten and freed after the call.
    std::string text = "3.4.3.4 and a tail long enough to live on the heap";
    text.resize(7);
    EXPECT_TRUE(t.Parse(text.c_str(), nullptr));
    text.assign(text.size(), 'x');
  }
  EXPECT_EQ(t.mText, "3.4.3.4");
  // Parsing the template's own text again is safe.
  EXPECT_TRUE(t.Parse(t.mText.c_str(), nullptr));
  EXPECT_EQ(t.mText, "3.4.3.4");
  EXPECT_NE(t.mEntry, nullptr);
  t.Clear();
  EXPECT_TRUE(t.mText.empty());
}

// The retrograde partner of the ring's second polygon enters the auxiliary ring read
// forwards: these rings share their vertices with 8/3.3.8/3.4, 10/3.3.10/3.5 and
// 10/3.5/2.10/3.3, and so solve at their heights.
TEST(PolyTemplateTest, AmbiguousHeightsWithRetrogradePartnersSolve) {
  const char* pairs[][2] = {{"8/3.4.8/5.4/3", "8/3.3.8/3.4"},
                            {"10/3.6.10/7.6/5", "10/3.3.10/3.5"},
                            {"10/3.4.10/7.4/3", "10/3.5/2.10/3.3"}};
  for (const auto& pair : pairs) {
    SCOPED_TRACE(pair[0]);
    corvia::PolyTemplate ambiguous;
    corvia::PolyTemplate plain;
    corvia::testing::Platform().messages.Clear();
    ASSERT_TRUE(ambiguous.Parse(pair[0], &test_PolyTemplate::gWhy));
    ASSERT_TRUE(plain.Parse(pair[1], &test_PolyTemplate::gWhy));
    EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
    EXPECT_NEAR(ambiguous.mVertHeight, plain.mVertHeight, 1e-12);
    EXPECT_NEAR(ambiguous.mEdgeLength, plain.mEdgeLength, 1e-12);
  }
  // The great rhombihexahedron: edge over circumradius 2 / sqrt(5 - 2 sqrt(2)).
  corvia::PolyTemplate t;
  ASSERT_TRUE(t.Parse("8/3.4.8/5.4/3", &test_PolyTemplate::gWhy));
  EXPECT_NEAR(t.mEdgeLength, 2.0 / std::sqrt(5.0 - 2.0 * std::sqrt(2.0)), 1e-9);
}
