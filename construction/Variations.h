#pragma once
// The variations of a model that Go to Variation makes: the mirror image of a model
// built from a plain description, and the pseudo version of a model that the builder
// grew from its vertex configuration (another solution of the same configuration).

#include <memory>

namespace corvia {

class Poly;
class SimplePoly;

// The plain description of the model's base side reflected in a plane through the
// centre: the plane that the symmetry group's orientation gives, x = 0 for a group in
// its standard orientation. Null after a message when the model cannot be copied.
std::unique_ptr<SimplePoly> MakeMirrorImage(Poly& poly);

// Whether the model and its mirror image lie on each other face for face, so that the
// model is its own mirror image (the rhombic dodecahedron, reflected in a plane of its
// symmetry).
bool IsOwnMirrorImage(const SimplePoly& model, const SimplePoly& mirror);
// The first words Add Mirror Image and Create Mirror Image give such a model.
constexpr const char* kOwnMirrorImageText =
    "This model is its own mirror image:\nits mirror image lies on it face for face";

// Grows the configuration of a model that the builder made (its first solution)
// again and backs up through the choices the build left open, until a solution of
// another shape turns up. Its plain description, to be set up from its own symmetry;
// null when every branch gives the same polyhedron again (or its mirror image) or
// none closes up. Whatever the solutions passed over say stays unseen.
std::unique_ptr<SimplePoly> FindPseudoVersion(const Poly& current);

}  // namespace corvia
