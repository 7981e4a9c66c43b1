#pragma once
// The tolerances of the geometry, in one place.
//
// Models are worked on at radius 1, so these are absolute. A comparison within a
// tolerance is a closed interval, |a - b| <= tol, unless its user says otherwise.
// Tolerances that differ in value keep their own names: a result near a tolerance
// must be the same whoever computes it, so never merge two of them, and take a new
// one from here rather than writing its number at a call site.

namespace corvia {

// ---- Positions -------------------------------------------------------------------

// Positions, lengths, plane offsets and components of unit vectors: values closer
// than this are equal. Two points closer than this in every coordinate are one
// point.
inline constexpr double kPointTolerance = 1e-7;
// The square of kPointTolerance, for comparisons of squared distances.
inline constexpr double kSquaredPointTolerance = 1e-14;
// Lengths and scales that count as 1: (kUnitLow, kUnitHigh), bounds excluded.
inline constexpr double kUnitLow = 0.9999999;
inline constexpr double kUnitHigh = 1.0000001;

// Positions along a line of a stellation diagram, and points at the diagram's centre:
// crossings of one line with others that are one point.
inline constexpr double kAlongLineTolerance = 3e-8;

// ---- Axes, planes and angles -----------------------------------------------------

// Directions of symmetry axes and normals, plane lookups, and centres of faces and
// rings (which are built from several points), compared per component.
inline constexpr double kAxisTolerance = 1e-6;
// Cosines of axis directions that count as 1: (kAxisUnitLow, kAxisUnitHigh).
inline constexpr double kAxisUnitLow = 0.999999;
inline constexpr double kAxisUnitHigh = 1.000001;
// Turns, angle sums and polar angles, in radians.
inline constexpr double kAngleTolerance = 1e-6;
// The angles of a face's frame about its normal, when coplanar faces are matched.
inline constexpr double kFrameAngleTolerance = 1e-7;
// Two solutions of a vertex configuration's height are ambiguous when their cosine
// terms and angle sums agree within this.
inline constexpr double kAmbiguousHeightTolerance = 1.0002e-6;

// ---- Nets --------------------------------------------------------------------------

// Edges of a facelet being laid into a net and of the net's outline that meet within
// this touch (the segment test of the overlap check).
inline constexpr double kNetContactTolerance = 1e-6;
// Heights and positions along a glue tab's edge closer than this are one.
inline constexpr double kTabProfileTolerance = 1e-9;

// ---- Construction toy --------------------------------------------------------------

// A face is a panel of the construction toy when its squared edges (in rod lengths)
// and the cross products of its consecutive edges match the panel shape within this.
inline constexpr double kToyPanelTolerance = 1e-6;

// ---- Images on faces ----------------------------------------------------------------

// A point this near the axis of a cylindrical or spherical image projection lies on
// it (its angle round the axis is undefined), and this near the projection's origin
// has no direction at all.
inline constexpr double kImageAxisTolerance = 1e-5;
// An image turned by the user snaps to a quarter turn, or to lie along an edge of its
// face, within this angle (5 degrees, in radians).
inline constexpr double kImageSnapAngle = 0.087266462599716474;

// ---- Matching under symmetry -----------------------------------------------------

// Elements matched under symmetry operations, and other results of long chains of
// arithmetic (turned images, solved heights), compared per component.
inline constexpr double kFaceMatchTolerance = 1e-5;
// A face of a plain model whose corners lie further than this from its plane (at
// radius 1) is plainly not flat and is refused; smaller departures (coordinates
// rounded to a few decimals) are built as they are.
inline constexpr double kFlatFaceTolerance = 1e-3;
// A face of a model read from a file whose corners lie further than this (times the
// model's size) from their plane is bent: more than coordinates written with six
// decimals or more explain.
inline constexpr double kFileFlatFaceTolerance = 1e-5;
// A face plane nearer the centre than this passes through it.
inline constexpr double kCentralPlaneTolerance = 1e-5;
// A hull face that joins several faces of its model lies on the model when their
// areas, seen along its normal, add up to its own within this share of it: a tiling
// adds up to rounding.
inline constexpr double kHullTilingTolerance = 1e-9;
// The fixed tolerance of the circle and triangle test.
inline constexpr double kCircleTriangleTolerance = 1e-5;

// ---- Symmetry of inexact models ----------------------------------------------------

// Vertices of a plain model this near one another (per coordinate, at the size near 1
// the symmetry analysis works at) are one point: a point that the program which wrote
// the model gave twice, computed or rounded each time its own way.
inline constexpr double kCoincidentVertexTolerance = 1e-6;

// A model whose vertices lie within this (per coordinate, at radius 1) of where a
// symmetry group puts them is given that group and moved onto it. Coordinates written
// by other programs with six decimals or more lie within it.
inline constexpr double kSymmetryTolerance = 1e-6;
// The search for the group compares positions within this many times the symmetry
// tolerance: an axis taken from one face, edge or vertex of an inexact model is off
// by about as much as its points, and the rotation about it adds that error to
// theirs. Every group found so is checked against the symmetry tolerance itself.
inline constexpr double kSymmetrySearchFactor = 10.0;
// Face normals of an inexact model are off by its error over the face's size: in the
// search they only filter (parallel within this), the corners decide.
inline constexpr double kSymmetryNormalTolerance = 1e-4;
// The symmetry tolerance is at most this share of the model's shortest edge, so that
// the corners of a small feature (the base of a needle) are never taken for one
// another.
inline constexpr double kSymmetryEdgeShare = 1e-2;
// A model that must keep its centre and is smaller than this share of its distance
// from the centre cannot be analysed: at the size the analysis works at, its vertices
// would lie within kCoincidentVertexTolerance of one another.
inline constexpr double kSmallestModelShare = 1e-5;
// A model within this of the positions the group puts its vertices at is left as it
// is, so that exact models keep their coordinates to the bit.
inline constexpr double kSymmetrisedTolerance = 1e-12;

// ---- Drawing ------------------------------------------------------------------------

// Faces and facets drawn back to front are ordered by products of two signed
// distances from a face's plane (the eye's and another face's point): a product within
// this of 0 says nothing about which lies in front, and the order is kept.
inline constexpr double kDepthOrderTolerance = 1e-7;
// A reference sphere leaves a circle on a face's plane only when its squared radius
// exceeds the square of the plane's distance from the centre by more than this: nearer,
// it only touches the plane.
inline constexpr double kSphereSectionTolerance = 1e-7;

// ---- Vanishing quantities --------------------------------------------------------

// A polygon edge shorter than this has no direction.
inline constexpr double kShortEdgeTolerance = 1e-10;
// A last triangle of a triangulation whose cross product lies below minus this is
// turned inside out.
inline constexpr double kInvertedTriangleTolerance = 1e-9;
// Lengths, areas and cross products this small (relative to their scale where one
// is given) vanish: no direction or turning sense can be taken from them.
inline constexpr double kVanishingTolerance = 1e-12;
// A stretch of a ray inside a stellation cell shorter than this is none: the ray only
// touches the cell.
inline constexpr double kRayInCellTolerance = 1e-9;
// Components of points and directions of a model this near 0 are rounding and are
// made 0. Only rounding: a small component that the model's own coordinates give (a
// face of a model read from a file, tilted by the rounding of its corners) is kept,
// or faces that are images of one another would get frames that are not.
inline constexpr double kRoundingTolerance = 1e-12;
// Entries of a symmetry matrix this close to 0, +-1/2 or +-1 are made exact.
inline constexpr double kExactEntryTolerance = 1e-13;

}  // namespace corvia
