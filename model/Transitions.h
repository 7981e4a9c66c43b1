#pragma once
// Timing of a model's running transition (fade or morph in or out), and the check
// whether the shown model can be built with the magnetic construction kit (rods of
// one length, balls, flat panels in the faces). The timing members and the
// stellation check are members of Poly; see Poly.h.

#include <cstdint>

#include "model/TransitionSettings.h"

namespace corvia {

class Poly;

// Construction-kit verdicts in the Poly flags word, per side.
constexpr uint32_t kKitBaseBuildable = 0x1;
constexpr uint32_t kKitBaseNotBuildable = 0x2;
constexpr uint32_t kKitDualBuildable = 0x4;
constexpr uint32_t kKitDualNotBuildable = 0x8;

// The smallest angle the kit allows between two rods at a ball, and between the
// planes of two panels (as pi minus it): 53 degrees.
constexpr double kKitMinAngle = 0.9250245035569947;

// The kit's reasons.
constexpr const char* kKitEdgeLengths = "Edges have different lengths.";
constexpr const char* kKitFacesIntersect = "Faces intersect each other.";
constexpr const char* kKitEdgeAngle = "Angle between edges is too small.";
constexpr const char* kKitPanelShape = "Geomag don't make panels that shape.";
constexpr const char* kKitFaceAngle = "Angle between faces is too small.";

// Whether the model is the one held by the active document's current model record.
bool IsCurrentPoly(const Poly* poly);

// Whether the shown side (base, or dual when dualSide) can be built with the kit.
// With a reason the side is marked not buildable for that reason. The verdict is
// cached in the Poly's flags until the model changes. While a model is built or
// stellated (the busy flags of model/ModelBusy.h) it answers "buildable" and computes
// nothing.
bool CanBuildWithKit(Poly* poly, bool dualSide, const char* reason = nullptr);

}  // namespace corvia
