#pragma once
// Removal of coincident faces: when models are glued together, faces of one part can
// lie exactly on faces of another. These passes find such faces (same corners, in
// either order round), optionally ask the user, flag them as removed, and merge the
// vertices round them so that the parts join into one surface.

#include <cstdint>

namespace corvia {

class SimplePoly;

// Modes of RemoveCoincidentFaces.
constexpr int kCoincidentInPairs = 0;     // both faces of a coincident pair go
constexpr int kCoincidentKeepOne = 1;     // all but one face of each coincident set go
// Faces that meet back to back (wound against each other, as where two solids touch)
// go in pairs; a face repeated the same way round (the same side of two copies of a
// solid) is kept once.
constexpr int kCoincidentByFacing = 2;

// Flags the coincident faces of the whole model with removalFlag (kSimpleTemp to
// remove them; another bit only marks them) and merges the vertices round each
// matched pair. With ask, the user is asked at the first match: Cancel returns false
// with nothing changed, No returns true with nothing changed. True otherwise.
bool RemoveCoincidentFaces(SimplePoly& poly, int mode, bool ask, uint32_t removalFlag);

// Compares the faces of a model just added (faces from firstAddedFace, vertices from
// firstAddedVert on) with the faces before them, and removes matched pairs; old
// faces at or past faceLimit do not count as surviving faces of the old model. An
// added model that lies wholly on removed faces is removed itself. False only when
// the user cancels the question.
bool RemoveCoincidentFacePairs(SimplePoly& poly, int firstAddedFace, int firstAddedVert, int faceLimit, bool ask,
                               uint32_t removalFlag);

// Three-way order of two faces (indices) in which coincident faces are neighbours:
// corner count, canonical normal, centroid, index.
int CompareCoincidentFaces(const SimplePoly& poly, int faceA, int faceB);

}  // namespace corvia
