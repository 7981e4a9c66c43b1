#pragma once
// Whole-number helpers and exact sines and cosines of rational fractions of a turn.
//
// Angles that are whole multiples of 1/240 of a turn (1.5 degrees) come from one
// table of 61 values, so that the same angle reached from different quadrants gives
// bit-identical results, a quarter turn gives exactly 0 and 1, and the sine and
// cosine of 45 degrees are the same double.

namespace corvia {

// Greatest common divisor by Euclid's algorithm with the truncating remainder.
// Gcd(a, 0) = a, Gcd(0, b) = b; otherwise the sign follows the operands
// (Gcd(4, -6) = -2, Gcd(-4, 6) = 2). Never overflows.
int Gcd(int a, int b);

// Least common multiple, (a * b) / Gcd(a, b) with that sign; 0 when either is 0.
// Worked in 64 bits; a multiple beyond the int range saturates to INT_MAX or
// INT_MIN (by its sign) rather than wrapping.
int Lcm(int a, int b);

// The table of sines of 0 to 60 steps of 1/240 turn. Its values are fixed
// constants, so it is ready before any static object asks for it.
class SinCosTable {
 public:
  static constexpr int kStepsPerTurn = 240;
  static constexpr int kStepsPerQuarter = 60;

  // T[k] = sin(k * 2 pi / 240), k = 0..60, each the double nearest the true value.
  static double Entry(int k);

  // Sine and cosine of k steps (any k, negative or large, reduced to 0..239).
  static void Lookup(int k, double& sine, double& cosine);
};

// Sine and cosine of 2 pi i / n. From the table whenever i * 240 / n is whole,
// otherwise computed directly. n must not be 0.
void GetSinCos(int i, int n, double& sine, double& cosine);
void GetSinCosF(int i, int n, float& sine, float& cosine);
double GetSin(int i, int n);

}  // namespace corvia
