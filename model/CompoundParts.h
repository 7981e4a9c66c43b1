#pragma once
// The connected pieces of a model: finding them (a face is joined to its vertices and
// a vertex to its faces), giving every element a consistent orientation, detecting
// one-sided pieces, turning pieces with a negative volume inside out, adding up the
// volumes of the model and its dual, and colouring a piece.
//
// The Poly members that belong here are declared with the Poly: UpdateSurfaceAreas,
// FindPartOf, ColorCompoundParts and MarkPart.

#include <cstdint>
#include <vector>

namespace corvia {

class Poly;
class PolyElement;
struct CompoundPart;

// Replaces the model's compound parts by the parts found from its face list, orients
// them, fills the volumes of the model and of its dual, each face type's area and the
// surface areas of both blocks. outMixed (may be null) receives whether the last
// part found has faces wound against its first face.
void FindCompoundParts(Poly* poly, bool* outMixed);

// Breadth-first fill of the part that holds the start face (which must carry the
// visit mark 0x100 on entry and is the first queue entry); the marks stay, so that
// later fills skip the part. Returns the sum of area x plane offset over its faces
// (three times its volume, negative when the part is wound inwards); outDualVolume
// receives the same sum over its vertices, outMixed whether a face's normal is
// reversed against the first face's.
double FindCompoundPart(CompoundPart* part, PolyElement* start, PolyElement** queue, int capacity,
                        double* outDualVolume, bool* outMixed);

// Marks every element of the part one-sided and clears its orientation bits.
void MarkCompoundPartOneSided(PolyElement* start, PolyElement** queue, int capacity);

// Turns the faces and/or vertices of the part the other way round.
void InvertCompoundPart(PolyElement* start, bool invertFaces, bool invertVertices, PolyElement** queue,
                        int capacity);

// Clears the bits on every face and every vertex of the model.
void ClearElementFlags(Poly* poly, uint32_t bits);

// Gives every element connected to the start (front and back colour) the colour;
// with sameColourOnly only those whose colour equals the start element's colour as
// it was before the fill, though the fill passes through all. The visit marks stay
// on the elements collected in the queue. Returns how many were reached.
int FloodFillColor(PolyElement* start, std::vector<PolyElement*>& queue, const float* colour, bool sameColourOnly);

}  // namespace corvia
