#pragma once
// Flag bits of the model's elements and edges, and the tolerances of element geometry.

#include <cstdint>

namespace corvia {

// PolyElement::mFlags.
constexpr uint32_t kElementHemi = 0x1;      // plane through the centre: dual point at infinity, a direction
constexpr uint32_t kElementInf = 0x2;       // the dual face lies at infinity (a vertex at the centre)
constexpr uint32_t kElementHidden = 0x4;    // hidden by the user
constexpr uint32_t kElementCoplanar = 0x8;  // in a coplanar ring
constexpr uint32_t kElementSkip = 0x10;     // passed over when stepping through a coplanar ring
constexpr uint32_t kElementIsCopConcentric = 0x20;
constexpr uint32_t kElementSkipCopConcentric = 0x40;
constexpr uint32_t kElementVisitMark = 0x100;      // flood fills and passes; cleared before they return
constexpr uint32_t kElementInversionMark = 0x200;  // inversion fill of compound parts
constexpr uint32_t kElementOneSided = 0x400;
constexpr uint32_t kElementReversed = 0x800;
constexpr uint32_t kElementReverseNorm = 0x1000;
constexpr uint32_t kElementTemplateCategory = 0x8000;  // set by a template build whose category asks for it

// Edge::mEdgeFlags.
constexpr uint32_t kEdgeMirrorFirst = 0x1;   // first of a pair of mirror-image edge types
constexpr uint32_t kEdgeMirrorSecond = 0x2;  // second of such a pair: type number one more than its mirror's
constexpr uint32_t kEdgeSelfMirror = 0x4;    // the edge type is its own mirror image
constexpr uint32_t kEdgeHidden = 0x8;

// ElementList::mListFlags.
constexpr uint32_t kListEmptying = 0x1;

// Minimum searches start at or above this; a result this large means none.
constexpr double kNoMinimum = 9.99999e99;
constexpr double kMinimumStart = 1e100;

// Opacity snaps to 1 at this value and above and to 0 below kOpacitySnapZero.
constexpr float kOpacitySnapOne = 0.995f;
constexpr float kOpacitySnapZero = 0.005f;

}  // namespace corvia
