#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>
#include <utility>

#include "core/Equation.h"
#include "tests/support/TestSupport.h"

namespace corvia::test_Equation {

struct Result {
  double value;
  std::string error;  // empty when none
};

Result Parse(const char* text) {
  const char* error = reinterpret_cast<const char*>(1);
  double value = ParseEquation(text, &error);
  return {value, error != nullptr ? error : ""};
}

void ExpectValue(const char* text, double expected) {
  Result r = Parse(text);
  EXPECT_EQ(r.error, "") << text;
  EXPECT_NEAR(r.value, expected, 1e-12 * std::max(1.0, std::fabs(expected))) << text;
}

void ExpectError(const char* text, double expected, const std::string& error) {
  Result r = Parse(text);
  EXPECT_EQ(r.error, error) << text;
  if (std::isnan(expected))
    EXPECT_TRUE(std::isnan(r.value)) << text;
  else
    EXPECT_NEAR(r.value, expected, 1e-12) << text;
}

TEST(EquationTest, PrecedenceAndGrouping) {
  ExpectValue("1+2*3", 7);
  ExpectValue("(1+2)*3", 9);
  ExpectValue("10-4-3", 3);
  ExpectValue("12/3/2", 2);
  ExpectValue("2^3^2", 512);
  ExpectValue("2**3**2", 512);
  ExpectValue("-2^2", 4);
  ExpectValue("2^-1", 0.5);
  ExpectValue("2*-3", -6);
  ExpectValue(" 1 +\t2 \n", 3);
  ExpectValue("1.5e2+.5", 150.5);
  ExpectValue("3.", 3);
}

TEST(EquationTest, JuxtapositionMultiplies) {
  ExpectValue("2pi", 6.283185307179586);
  ExpectValue("2 3", 6);
  ExpectValue("3(1+2)", 9);
  ExpectValue("2 sqrt(2)", 2 * std::sqrt(2.0));
  ExpectValue("2r2", 2 * std::sqrt(2.0));
}

TEST(EquationTest, FunctionsAndConstants) {
  ExpectValue("pi", 3.141592653589793);
  ExpectValue("tau", 1.618033988749895);
  ExpectValue("g", 1.618033988749895);
  ExpectValue("tau^2", 1.618033988749895 * 1.618033988749895);
  ExpectValue("r5", std::sqrt(5.0));
  ExpectValue("r(2+3)", std::sqrt(5.0));
  ExpectValue("sqrt (16)", 4);
  ExpectValue("cos(0)", 1);
  ExpectValue("sin(pi/2)", 1);
  ExpectValue("tan(pi/4)", std::tan(3.141592653589793 / 4));
  ExpectValue("sind(30)", std::sin(30 * 0.017453292519943295));
  ExpectValue("tand(45)", std::tan(45 * 0.017453292519943295));
  Result r = Parse("cosd(60)");
  EXPECT_EQ(r.error, "");
  EXPECT_NEAR(r.value, 0.5, 1e-15);
  ExpectValue("cosd(36)*2", 1.618033988749895);
}

TEST(EquationTest, ErrorsKeepTheFirstMessage) {
  ExpectError("1/0", 1, "Division by zero at '/0'");
  ExpectError("3)", 3, "Trailing characters: ')'");
  ExpectError("(1+2", 3, "Expected closing ')'");
  ExpectError("Cos(1)", 0, "Unknown identifier 'Cos(1)'");
  ExpectError("r-4", -4, "Can't take square root of negative number -4 in 'r-4'");
  ExpectError("1+", 1, "Equation ended early");
  ExpectError("2*$3", 0, "Unexpected character at '$3'");
  ExpectError("1/0 + 2/0", 3, "Division by zero at '/0 + 2/0'");
  ExpectError("abcdefghijklmnop", 0, "Unknown identifier 'abcdefghij'");
  // A function name needs its bracket; names are whole words.
  ExpectError("cos 5", 0, "Unknown identifier 'cos 5'");
  ExpectError("pie", 0, "Unknown identifier 'pie'");
  ExpectError("2pi3", 0, "Unknown identifier 'pi3'");
}

TEST(EquationTest, BlankTextGivesZeroWithoutError) {
  const char* error = "unset";
  EXPECT_EQ(ParseEquation("   ", &error), 0);
  EXPECT_EQ(error, nullptr);
  EXPECT_EQ(ParseEquation(nullptr, &error), 0);
  EXPECT_EQ(error, nullptr);
  EXPECT_TRUE(CheckEquation("").done());
}

TEST(EquationTest, NumbersAreDecimalOnlyAndFinite) {
  // No hexadecimal floats.
  ExpectError("0x1p3", 0, "Unknown identifier 'x1p3'");
  ExpectError("1e999", 0, "Number out of range at '1e999'");
  ExpectValue("1e-999", 0);
  ExpectError("(-8)^(1/3)", std::nan(""), "Result is not a finite number at '^(1/3)'");
  Result r = Parse("1e300*1e300");
  EXPECT_EQ(r.error, "Result is not a finite number at '*1e300'");
  // A comma locale must not change how numbers read.
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
    ExpectValue("2.5", 2.5);
    std::setlocale(LC_NUMERIC, "C");
  }
  // A lone '.' is no number.
  ExpectError("3 .", 0, "Malformed number at '.'");
}

TEST(EquationTest, MalformedNumbersAreErrors) {
  ExpectError(".", 0, "Malformed number at '.'");
  ExpectError("2 . 3", 0, "Malformed number at '. 3'");
  ExpectError("1..2", 0, "Malformed number at '1..2'");
  ExpectError("1.2.3", 0, "Malformed number at '1.2.3'");
  ExpectError("2*1e5.5", 0, "Malformed number at '1e5.5'");
  ExpectError("(.)", 0, "Malformed number at '.)'");
  // Sound forms around them still read.
  ExpectValue("3.", 3);
  ExpectValue(".5", 0.5);
  ExpectValue("2.5 .5", 1.25);
  ExpectValue("1.e2", 100);
}

TEST(EquationTest, InfinityOnTheWayIsAnErrorEvenWhenTheResultIsFinite) {
  ExpectError("1/(1e308*10)", 0, "Result is not a finite number at '*10)'");
  ExpectError("(1e308*10)^0", 1, "Result is not a finite number at '*10)^0'");
  const std::pair<const char*, const char*> others[] = {
      {"0*(1e308+1e308)", "Result is not a finite number at '+1e308)'"},
      {"(1e308*10)-(1e308*10)", "Result is not a finite number at '*10)-(1e30'"},
      {"cos(1e308*10)", "Result is not a finite number at '*10)'"},
      {"1/1e-320", "Result is not a finite number at '/1e-320'"},
      {"-(1e308*10)*0", "Result is not a finite number at '*10)*0'"},
      {"2^1e5", "Result is not a finite number at '^1e5'"},
  };
  for (const auto& [text, error] : others) EXPECT_EQ(Parse(text).error, error) << text;
  // Large but finite steps are fine.
  ExpectValue("1e308/10*10", 1e308);
}

TEST(EquationTest, DeepNestingIsRefused) {
  std::string deep(100000, '(');
  deep += "1";
  Result r = Parse(deep.c_str());
  EXPECT_EQ(r.error.rfind("Equation too deeply nested at '", 0), 0u) << r.error;
  std::string powers;
  for (int i = 0; i < 50000; ++i) powers += "1^";
  powers += "1";
  EXPECT_NE(Parse(powers.c_str()).error, "");
  std::string roots(50000, 'r');
  roots += "4";
  EXPECT_NE(Parse(roots.c_str()).error, "");
  // Moderate nesting is fine.
  std::string fine = std::string(50, '(') + "2" + std::string(50, ')');
  ExpectValue(fine.c_str(), 2);
}

TEST(EquationTest, CheckRefusesWithTheEvaluatorsWords) {
  double value = 0;
  const Outcome refused = CheckEquation("1/0", &value);
  EXPECT_EQ(refused.kind(), Outcome::Kind::kRefused);
  EXPECT_EQ(refused.text(), "Error in equation:\nDivision by zero at '/0'");
  EXPECT_EQ(value, 1);
  EXPECT_TRUE(CheckEquation("2+2", &value).done());
  EXPECT_EQ(value, 4);
  EXPECT_FALSE(CheckEquation("2+").done());
  EXPECT_TRUE(EquationOutcome("  ").done());
  EXPECT_EQ(EquationOutcome("Something").text(), "Error in equation:\nSomething");
  // The geometry shows nothing of its own.
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
}

}  // namespace corvia::test_Equation
