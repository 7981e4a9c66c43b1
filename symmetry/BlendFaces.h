#pragma once
// Blending of coplanar faces: faces of a plain model that lie in one plane and share
// an edge are merged into one face along their joint outline, and the outlines are
// straightened afterwards (a corner in the middle of a straight edge is dropped
// where it is straight in every face that uses it). Run after models are glued
// together and after simple facetings.

#include <cstdint>

namespace corvia {

class SimplePoly;

// Options of BlendCoplanarFaces.
constexpr uint32_t kBlendAskUser = 0x1;      // ask before the first blend
constexpr uint32_t kBlendMergeVerts = 0x2;   // merge coincident vertices after blending
// Result flag: the question was shown.
constexpr uint32_t kBlendQuestionShown = 0x4;


// Blends the coplanar faces that share an edge and straightens the outlines.
// answer (optional) receives 1 when the user agreed to blend and 0 when the user
// refused; resultFlags (optional) is set to 0 on entry and gets
// kBlendQuestionShown when the question was asked. A refusal changes nothing.
// A group of faces that surrounds a gap is left as it is (a face cannot hold a
// hole). True when any face or vertex was changed.
bool BlendCoplanarFaces(SimplePoly& poly, uint32_t options, uint8_t* answer = nullptr,
                        uint32_t* resultFlags = nullptr);

// Three-way order of two faces (indices) by plane: canonical normal, then plane
// offset, then index. Faces need their normals and at least one corner.
int CompareFacePlanes(const SimplePoly& poly, int faceA, int faceB);

}  // namespace corvia
