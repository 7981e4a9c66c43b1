#pragma once
// PaneViewType: the view type a pane shows and what it implies. It holds the code
// (app/ViewType.h) and answers what the rest of the pane asks of it: the categories the
// code belongs to (always false before the pane's first type, whose code has every bit
// set), the side of the model it shows and the sides it draws, whether it is drawn in
// perspective, what its title says before the model's name, and what its making asked
// for. What it needs of the document (the side the document shows, whether the model
// is four-dimensional, the morph ratio) it is given; it needs no pane and no window.

#include "app/ViewType.h"

namespace corvia {

// What a pane shows of the document's sides.
enum class ShownSide { Base, Dual, None };

class PaneViewType {
 public:
  ViewType Code() const { return mCode; }
  // Takes the code; gives back the one it held.
  ViewType Switch(ViewType code) {
    const ViewType old = mCode;
    mCode = code;
    return old;
  }

  bool IsSet() const { return mCode != kNoViewType; }
  bool Is(ViewType code) const { return mCode == code; }
  // Every one of the flags; any one of them.
  bool Has(ViewType flags) const { return IsSet() && HasViewFlags(mCode, flags); }
  bool HasAny(ViewType flags) const { return IsSet() && (mCode & flags) != 0; }
  bool IsNet() const { return Has(kViewFlagNet); }
  bool IsMorph() const { return Has(kViewFlagMorph); }
  bool IsStellation() const { return Has(kViewFlagStellation); }
  // Always the base or always the dual, whichever side the document shows.
  bool IsOfFixedSide() const { return HasAny(kViewFlagBase | kViewFlagDual); }
  // The Base, Dual and Base/Dual Compound panes: the model's own elements at their
  // places.
  bool IsModelPane() const {
    return mCode == kViewBasePolyhedron || mCode == kViewDualPolyhedron || mCode == kViewCompoundOfDuals;
  }
  bool IsStellationPane() const { return mCode == kViewStellationOfBase || mCode == kViewStellationOfDual; }
  // The view types that draw the shown side's nets, and those that draw its facets.
  bool DrawsNets() const { return IsNet(); }
  bool DrawsFacets() const { return IsStellationPane(); }
  // Whether a pane of the type shows a model of its own rather than the document's
  // shown side (faceting preview, compounds, morphs, cross-section).
  bool ShowsOtherModel() const;

  // Perspective and tumbling: the 3D types, and for a four-dimensional model its
  // element panes too.
  static bool IsThreeD(ViewType code, bool fourD);
  bool IsThreeD(bool fourD) const { return IsThreeD(mCode, fourD); }
  // A flat diagram prints with its own drawing; every other pane through OpenGL.
  bool PrintsThroughOpenGL(bool fourD) const;

  // The side shown, given the side the document shows.
  ShownSide GetShownSide(bool documentShowsDual) const;
  bool IsShowingDual(bool documentShowsDual) const;
  // The sides the type draws (bit 0 the base, bit 1 the dual), given the side the
  // document shows and the dual morph's ratio.
  int GetDrawnSides(bool documentShowsDual, double morphRatio) const;

  // The title's words before the shown model's name; null where the title is the
  // type's own name (the dual compound, the morphs) or the code is unknown.
  const char* GetTitlePrefix(bool fourD) const;

 private:
  ViewType mCode = kNoViewType;
};

}  // namespace corvia
