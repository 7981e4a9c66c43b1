#pragma once
// The parametric families of the library that are generated for a base polygon
// {n/d}: prisms, antiprisms, pyramids, cupolae, cuploids and cupolaic blends. For
// each family a test of the base (with the message that refuses a bad one) and the
// generator of the face-list text that the spring model reads and relaxes.
//
// Face-list text: ring labels "L<count>" ("L+<count>" for a ring turned half a step
// against the previous one, "/d" after the count when d is not 1), then faces as
// parenthesised vertex lists, optionally followed by "/d"; "h " at the start asks
// for neighbour springs, a "t" before "(" marks a face that is not part of the
// result. Vertices are numbered from 0 in ring order.

#include <cstdint>
#include <optional>
#include <string>

#include "core/Outcome.h"
#include "model/PolyTemplate.h"

namespace corvia {

// Family codes of GetFamilyVertexCount (the record flag bits of the two families).
constexpr uint32_t kFamilyPrism = 0x80000;
constexpr uint32_t kFamilyAntiprism = 0x100000;

// The largest base polygon of every family, the largest polygon a vertex
// configuration may have. Building a model and finding its symmetry take time that
// grows fast with the base's sides (the spring families' faces carry a spring for
// every diagonal): up to this size a model builds within moments, and a larger base
// is refused before anything is built.
constexpr int kFamilyMaxSides = kTemplateMaxSides;

// Tests of a base {n/d}: true when allowed; otherwise false, with the family's
// refusal in *why when why is given.
bool CheckPrismBase(int n, int d, Outcome* why);
bool CheckAntiprismBase(int n, int d, Outcome* why);
bool CheckPyramidBase(int n, int d, Outcome* why);
bool CheckCupolaBase(int n, int d, Outcome* why);
bool CheckCuploidBase(int n, int d, Outcome* why);
bool CheckCupolaicBlendBase(int n, int d, Outcome* why);

// The face-list texts; none when the family refuses the base (a record's base is
// tested before it is stored, so its texts are always made).
std::optional<std::string> MakePrismDesc(int n, int d);
std::optional<std::string> MakeAntiprismDesc(int n, int d);
std::optional<std::string> MakePyramidDesc(int n, int d);
std::optional<std::string> MakeCupolaDesc(int n, int d);
std::optional<std::string> MakeCuploidDesc(int n, int d);
std::optional<std::string> MakeCupolaicBlendDesc(int n, int d);

// Appends "L<k>" ("L+<k>" when turned), "/d" when d is not 1, and a blank.
void AppendFamilyLabel(std::string& buffer, int k, int d, bool turned);

// The number of faces of the prism or antiprism {n/d}: n, plus 2 gcd(n, d) caps
// (none when n = 2d), plus n more triangles for an antiprism. Counted wide: a typed
// base may have nine digits.
int64_t GetFamilyVertexCount(uint32_t family, int n, int d);

}  // namespace corvia
