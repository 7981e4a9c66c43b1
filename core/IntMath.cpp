// Whole-number helpers and the table of exact sines.

#include "core/IntMath.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace corvia {

namespace detail_IntMath {

// sin(k * 2 pi / 240) for k = 0..60, each the double nearest the true value (worked
// out to 50 digits). Constants rather than a table filled at start-up, so no static
// initialiser elsewhere can find it empty, and every machine gets the same bits.
constexpr double kSineTable[SinCosTable::kStepsPerQuarter + 1] = {
    0.0,
    0.026176948307873153,
    0.052335956242943835,
    0.07845909572784494,
    0.10452846326765347,
    0.1305261922200516,
    0.15643446504023087,
    0.18223552549214744,
    0.20791169081775934,
    0.23344536385590542,
    0.25881904510252074,
    0.2840153447039226,
    0.30901699437494745,
    0.3338068592337709,
    0.35836794954530027,
    0.3826834323650898,
    0.4067366430758002,
    0.43051109680829514,
    0.4539904997395468,
    0.4771587602596084,
    0.5,
    0.5224985647159489,
    0.5446390350150271,
    0.5664062369248328,
    0.5877852522924731,
    0.6087614290087207,
    0.6293203910498375,
    0.6494480483301837,
    0.6691306063588582,
    0.688354575693754,
    0.7071067811865476,
    0.7253743710122876,
    0.7431448254773942,
    0.7604059656000309,
    0.7771459614569709,
    0.7933533402912352,
    0.8090169943749475,
    0.8241261886220157,
    0.838670567945424,
    0.8526401643540922,
    0.8660254037844386,
    0.8788171126619654,
    0.8910065241883679,
    0.9025852843498606,
    0.9135454576426009,
    0.9238795325112867,
    0.9335804264972017,
    0.9426414910921784,
    0.9510565162951535,
    0.958819734868193,
    0.9659258262890683,
    0.9723699203976766,
    0.9781476007338057,
    0.9832549075639546,
    0.9876883405951378,
    0.9914448613738104,
    0.9945218953682733,
    0.996917333733128,
    0.9986295347545738,
    0.9996573249755573,
    1.0,
};

// k reduced to 0..239 (a negative k counts back from a whole turn).
inline int ReduceSteps(int64_t k) {
  int64_t r = k % SinCosTable::kStepsPerTurn;
  if (r < 0) r += SinCosTable::kStepsPerTurn;
  return static_cast<int>(r);
}

}  // namespace detail_IntMath

int Gcd(int a, int b) {
  if (a == 0) return b;
  if (b == 0) return a;
  // The remainder is taken in 64 bits: INT_MIN % -1 overflows in int.
  int64_t x = a;
  int64_t y = b;
  for (;;) {
    int64_t r = x % y;
    if (r == 0) return static_cast<int>(y);
    x = y;
    y = r;
  }
}

int Lcm(int a, int b) {
  if (a == 0 || b == 0) return 0;
  // Dividing first keeps the product within 64 bits (|a / g| <= 2^31, |b| <= 2^31);
  // the product a * b itself would overflow an int for moderate inputs.
  const int64_t g = Gcd(a, b);
  const int64_t m = static_cast<int64_t>(a) / g * static_cast<int64_t>(b);
  if (m > INT_MAX) return INT_MAX;
  if (m < INT_MIN) return INT_MIN;
  return static_cast<int>(m);
}

double SinCosTable::Entry(int k) {
  if (k < 0 || k > kStepsPerQuarter) return std::nan("");
  return detail_IntMath::kSineTable[k];
}

void SinCosTable::Lookup(int k, double& sine, double& cosine) {
  const double* t = detail_IntMath::kSineTable;
  const int q = detail_IntMath::ReduceSteps(k);
  // Each quadrant reads the first quadrant's table forwards for one function and
  // backwards for the other, so symmetric angles share their bits.
  if (q < 60) {
    sine = t[q];
    cosine = t[60 - q];
  } else if (q < 120) {
    sine = t[120 - q];
    cosine = -t[q - 60];
  } else if (q < 180) {
    sine = -t[q - 120];
    cosine = -t[180 - q];
  } else {
    sine = -t[240 - q];
    cosine = t[q - 180];
  }
}

void GetSinCos(int i, int n, double& sine, double& cosine) {
  // Products in 64 bits: i * 240 overflows an int for |i| above about 8.9 million.
  const int64_t steps = static_cast<int64_t>(i) * SinCosTable::kStepsPerTurn;
  if (n != 0 && steps % n == 0) {
    SinCosTable::Lookup(detail_IntMath::ReduceSteps(steps / n), sine, cosine);
    return;
  }
  // Off the table: whole turns are dropped first, so a large i loses no accuracy.
  const int64_t rest = n != 0 ? static_cast<int64_t>(i) % n : i;
  const double angle = 2.0 * std::numbers::pi * static_cast<double>(rest) / static_cast<double>(n);
  sine = std::sin(angle);
  cosine = std::cos(angle);
}

void GetSinCosF(int i, int n, float& sine, float& cosine) {
  double s = 0.0;
  double c = 0.0;
  GetSinCos(i, n, s, c);
  sine = static_cast<float>(s);
  cosine = static_cast<float>(c);
}

double GetSin(int i, int n) {
  double s = 0.0;
  double c = 0.0;
  GetSinCos(i, n, s, c);
  return s;
}

}  // namespace corvia
