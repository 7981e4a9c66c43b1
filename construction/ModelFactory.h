#pragma once
// The derived-model factory's entry points that take a model: the model a pane shows
// and its convex hull, the plain copy of one side, its edge list, and a library entry
// built into a model.
// Apart from construction/DerivedModels.h (which includes this) so that the window
// layers, which name the panes' view types themselves, can call them.

#include <cstdint>
#include <memory>
#include <vector>

#include "model/CompoundPart.h"

namespace corvia {

struct CompoundPart;
struct EdgeListNode;
class FaceTypeBlock;
class LibraryEntry;
class OpenGLView;
class Outcome;
class Poly;
class PolyTemplate;
class SimplePoly;

// Undo types of the models made here: a model made from what a pane shows replaces
// the current one as a plain change (kUndoModelChange, model/Poly.h), or as the
// faceted model of the drawn facets.
constexpr int kUndoFacetedModel = 4;
constexpr int kUndoWatermanModel = 19;

// Factory flags.
constexpr uint32_t kDeriveQuiet = 0x1;
constexpr uint32_t kDeriveNetModel = 0x4;
constexpr uint32_t kDeriveBase = 0x8;
constexpr uint32_t kDeriveDual = 0x10;
constexpr uint32_t kDeriveTriangles = 0x20;
constexpr uint32_t kDeriveTriangles2 = 0x40;
constexpr uint32_t kDeriveDropDegenerate = 0x80;
constexpr uint32_t kDeriveKeepPart = 0x100;
constexpr uint32_t kDeriveVerticesOnly = 0x200;
constexpr uint32_t kDeriveAllowInfinite = 0x400;
// Passed on by the finish of a morph; the plain copy carries them unchanged.
constexpr uint32_t kDeriveMorphFinish1 = 0x800;
constexpr uint32_t kDeriveMorphFinish2 = 0x1000;

// The model a pane shows, as a new plain model owned by the caller: the side the flags
// name, else the one the pane's view type (a code of the program's view types, 0 for
// no pane) shows. Null when refused, with the user's words in *why when given, or
// cancelled.
SimplePoly* DeriveModel(Poly* poly, uint32_t flags, EdgeListNode** edgeList, uint8_t* derived, uint32_t viewType,
                        Outcome* why = nullptr);
// DeriveModel, the model taking the description, web link and inherited mark of the
// model it came from where it has none of its own; a refusal in *why when given.
SimplePoly* CreateModel(Poly* poly, uint32_t flags, EdgeListNode** edgeList, uint8_t* derived, uint32_t viewType,
                        Outcome* why = nullptr);
// The convex hull of the model a pane of the view type shows, as Poly > Create Convex
// Hull makes it: named "Convex hull of" the model's name, with no dual name, the faces
// that survive from the model keeping their colours, marked kSimpleBuiltOnce (the model
// made is all it is for). Null, with the reason in *why (refused in the user's words,
// or cancelled).
std::unique_ptr<SimplePoly> CreateConvexHullOfModel(Poly* poly, uint32_t viewType, Outcome* why);

// The block whose facet model the model of a pane of the view type is made from with
// the flags (a stellation or a folding net: the shown side's), else null. A caller that
// derives quietly makes that facet model first to hear its build's refusal.
FaceTypeBlock* FacetModelBlockForViewType(Poly& poly, uint32_t viewType, uint32_t flags);
// The plain copy of one side (kDeriveDual: the dual's), of one compound part (with
// kDeriveKeepPart; without, the model less that part), or with faces cut into the
// triangles of their face types' outlines; named by NameSimplePoly. Null, refused in
// *why when given, for the dual of a model with faces through the centre and for a
// part of a model of one part.
SimplePoly* CreateSimplePoly(Poly* poly, uint32_t flags, CompoundPart* part, OpenGLView* view, Outcome* why = nullptr);
// The edges of one side as pairs of vertex indices with their colours: the edge array
// without its hidden edges, or, before there is one, the sides of the faces.
EdgeListNode* CreateEdgeList(Poly* poly, uint32_t flags);
// The document's model gives the copy the names its pane shows; any other model its
// own. The dual's copy takes the names swapped.
void NameSimplePoly(Poly* poly, bool dual, SimplePoly* simple, OpenGLView* view);
// Builds the library entry into the model: from coordinates, as a prism, or from its
// vertex configuration with the template (deferBuild: prepared, built later). False
// when the entry is not available or cannot be built (a refused prism base or
// configuration in *why when given).
bool CreateFromLibraryEntry(Poly* poly, PolyTemplate* polyTemplate, LibraryEntry* entry, bool deferBuild,
                            Outcome* why = nullptr);

// The compound of the model and its dual, each as the factory copies it (the model of
// a Base/Dual Compound pane); null when refused (in *why when given). partNames (when
// given) receives the two parts' names and counts.
SimplePoly* MakeCompoundWithDual(Poly& poly, uint32_t flags, Outcome* why = nullptr,
                                 std::vector<CompoundPartName>* partNames = nullptr);

}  // namespace corvia
