#include "construction/PolyFamily.h"

#include <initializer_list>

#include "core/IntMath.h"

namespace corvia {

namespace detail_PolyFamily {

// The refusal of a base, into *why when asked for: the size message for too many
// sides, else the family's plain message.
bool Refuse(int n, Outcome* why, const char* illegal, const char* family) {
  if (!why) return false;
  if (n > kFamilyMaxSides) {
    *why = Outcome::RefusedF("%s base must have less than %d sides", family, kFamilyMaxSides + 1);
  } else {
    *why = Outcome::Refused(illegal);
  }
  return false;
}

bool CupolaLike(int n, int d) {
  return n >= 2 && n <= kFamilyMaxSides && d > 0 && d < n && n / d < 6 && n / (n - d) < 6;
}

void AppendFace(std::string& text, int first, int count, int step, int d) {
  text += '(';
  for (int k = 0; k < count; ++k) {
    if (k > 0) text += ' ';
    text += std::to_string(first + k * step);
  }
  text += ')';
  if (d != 1) text += "/" + std::to_string(d);
}

void AppendList(std::string& text, std::initializer_list<int> verts) {
  text += " (";
  bool first = true;
  for (int v : verts) {
    if (!first) text += ' ';
    text += std::to_string(v);
    first = false;
  }
  text += ')';
}

}  // namespace detail_PolyFamily

bool CheckPrismBase(int n, int d, Outcome* why) {
  if (n >= 3 && n <= kFamilyMaxSides && d > 0 && d < n && Gcd(n, d) == 1) return true;
  return detail_PolyFamily::Refuse(n, why, "Illegal prism base", "Prism");
}

bool CheckAntiprismBase(int n, int d, Outcome* why) {
  // A crossed antiprism's triangles reach from base to base only while n / d > 3/2;
  // at or past it they would have to be other than equilateral.
  if (n >= 3 && n <= kFamilyMaxSides && d > 0 && 2 * n > 3 * d && Gcd(n, d) == 1) return true;
  return detail_PolyFamily::Refuse(n, why, "Illegal antiprism base", "Antiprism");
}

bool CheckPyramidBase(int n, int d, Outcome* why) {
  if (n >= 3 && n <= kFamilyMaxSides && d > 0 && d <= n / 2 && n / d < 6 && Gcd(n, d) == 1) return true;
  return detail_PolyFamily::Refuse(n, why, "Illegal pyramid base", "Pyramid");
}

bool CheckCupolaBase(int n, int d, Outcome* why) {
  if (detail_PolyFamily::CupolaLike(n, d) && d % 2 == 1 && Gcd(n, d) == 1) return true;
  return detail_PolyFamily::Refuse(n, why, "Illegal cupola base", "Cupola");
}

bool CheckCuploidBase(int n, int d, Outcome* why) {
  // d = n/2 would fall apart into two-vertex top faces.
  if (n >= 3 && detail_PolyFamily::CupolaLike(n, d) && d % 2 == 0 && 2 * d != n) return true;
  return detail_PolyFamily::Refuse(n, why, "Illegal cuploid base", "Cuploid");
}

bool CheckCupolaicBlendBase(int n, int d, Outcome* why) {
  if (detail_PolyFamily::CupolaLike(n, d) && d % 2 == 1 && Gcd(n, d) == 1) return true;
  return detail_PolyFamily::Refuse(n, why, "Illegal cupolaic blend base", "Cupolaic blend");
}

void AppendFamilyLabel(std::string& buffer, int k, int d, bool turned) {
  buffer += 'L';
  if (turned) buffer += '+';
  buffer += std::to_string(k);
  if (d != 1) buffer += "/" + std::to_string(d);
  buffer += ' ';
}

std::optional<std::string> MakePrismDesc(int n, int d) {
  if (!CheckPrismBase(n, d, nullptr)) return std::nullopt;
  std::string text;
  AppendFamilyLabel(text, n, d, false);
  AppendFamilyLabel(text, n, d, false);
  detail_PolyFamily::AppendFace(text, 0, n, 1, d);
  text += ' ';
  detail_PolyFamily::AppendFace(text, n, n, 1, d);
  for (int i = 0; i < n; ++i) {
    int next = (i + 1) % n;
    detail_PolyFamily::AppendList(text, {i, next, next + n, n + i});
  }
  return text;
}

std::optional<std::string> MakeAntiprismDesc(int n, int d) {
  if (!CheckAntiprismBase(n, d, nullptr)) return std::nullopt;
  std::string text;
  AppendFamilyLabel(text, n, d, false);
  AppendFamilyLabel(text, n, d, true);
  detail_PolyFamily::AppendFace(text, 0, n, 1, d);
  text += ' ';
  detail_PolyFamily::AppendFace(text, n, n, 1, d);
  for (int i = 0; i < n; ++i) {
    int next = (i + 1) % n;
    detail_PolyFamily::AppendList(text, {i, next, n + i});
    detail_PolyFamily::AppendList(text, {next, n + i, n + next});
  }
  return text;
}

std::optional<std::string> MakePyramidDesc(int n, int d) {
  if (!CheckPyramidBase(n, d, nullptr)) return std::nullopt;
  std::string text = d == 1 ? "h " : "";
  AppendFamilyLabel(text, 1, 1, false);
  AppendFamilyLabel(text, n, d, false);
  detail_PolyFamily::AppendFace(text, 1, n, 1, d);
  for (int i = 0; i < n; ++i) detail_PolyFamily::AppendList(text, {i + 1, (i + 1) % n + 1, 0});
  return text;
}

std::optional<std::string> MakeCupolaDesc(int n, int d) {
  if (!CheckCupolaBase(n, d, nullptr)) return std::nullopt;
  std::string text;
  AppendFamilyLabel(text, n, d, false);
  AppendFamilyLabel(text, 2 * n, d, true);
  if (n > 2) {
    detail_PolyFamily::AppendFace(text, 0, n, 1, d);
    text += ' ';
  }
  detail_PolyFamily::AppendFace(text, n, 2 * n, 1, d);
  for (int i = 0; i < n; ++i) {
    int next = (i + 1) % n;
    detail_PolyFamily::AppendList(text, {i, next, n + 1 + 2 * i, n + 2 * i});
    detail_PolyFamily::AppendList(text, {next, n + 1 + 2 * i, n + 2 * next});
  }
  return text;
}

std::optional<std::string> MakeCuploidDesc(int n, int d) {
  if (!CheckCuploidBase(n, d, nullptr)) return std::nullopt;
  std::string text;
  AppendFamilyLabel(text, n, 1, false);
  AppendFamilyLabel(text, n, 1, true);
  int g = Gcd(n, d);
  for (int k = 0; k < g; ++k) {
    text += '(';
    for (int m = 0; m < n / g; ++m) {
      if (m > 0) text += ' ';
      text += std::to_string((k + m * d) % n);
    }
    text += ')';
    if (d / g > 1) text += "/" + std::to_string(d / g);
  }
  for (int i = 0; i < n; ++i) {
    int a = d + i;
    if (a >= n) a -= n;
    int b = d / 2 + i;
    if (b >= n) b -= n;
    detail_PolyFamily::AppendList(text, {a, i, n + i, n + b});
    detail_PolyFamily::AppendList(text, {b, n + b, n + i});
  }
  return text;
}

std::optional<std::string> MakeCupolaicBlendDesc(int n, int d) {
  if (!CheckCupolaicBlendBase(n, d, nullptr)) return std::nullopt;
  const int ring = 2 * n;
  std::string text;
  AppendFamilyLabel(text, ring, d, false);
  AppendFamilyLabel(text, ring, d, true);
  text.pop_back();  // the faces below bring their own leading blanks
  if (n > 2) {
    text += ' ';
    detail_PolyFamily::AppendFace(text, 0, n, 2, d);
    text += ' ';
    detail_PolyFamily::AppendFace(text, 1, n, 2, d);
  }
  for (int i = 0; i < ring; ++i) {
    int j = (i + 1) % ring;
    int jNext = (j + 1) % ring;
    detail_PolyFamily::AppendList(text, {i, jNext, ring + j, ring + i});
    detail_PolyFamily::AppendList(text, {j, ring + j, ring + i});
  }
  text += " t";
  detail_PolyFamily::AppendFace(text, ring, ring, 1, d);
  return text;
}

int64_t GetFamilyVertexCount(uint32_t family, int n, int d) {
  int64_t count = int64_t(n) + (2 * int64_t(d) == n ? 0 : 2 * int64_t(Gcd(n, d)));
  if (family == kFamilyAntiprism) count += n;
  return count;
}

}  // namespace corvia
