// The document's side of the toolbars' model search and of tours: a typed name,
// number, symbol or configuration made current, a tour event's model with the event's
// transition, and the information bar's mark of the selected element's type.

#include <cstring>

#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "construction/Library.h"
#include "construction/LibraryHooks.h"
#include "construction/ModelFactory.h"
#include "construction/ModelLookup.h"
#include "construction/StellationNames.h"
#include "core/Messages.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "platform/Services.h"
#include "render/OutcomeBoxes.h"
#include "symmetry/SimplePoly.h"
#include "ui/Tour.h"

namespace corvia {

namespace detail_PolyDocTour {

constexpr const char* kNotFound = "Couldn't find any model with name or symbol\n\"%s\"";
// Builds from a vertex configuration, whole or (one vertex at a time) prepared. A text
// checked before has had its warnings told with the check: they are not told again.
bool BuildConfiguration(Poly& poly, PolyTemplate& polyTemplate, const char* text, bool oneVertexAtATime,
                        bool checked) {
  Outcome why;
  const bool parsed = polyTemplate.Parse(text, &why);
  if (!parsed || !checked) TellOutcome(why);
  if (!parsed) return false;
  return oneVertexAtATime ? poly.Prepare(&polyTemplate, 0) : poly.Build(&polyTemplate, 0);
}

}  // namespace detail_PolyDocTour

bool CPolyDoc::OpenModelByNameOrSymbol(const char* text) {
  using namespace detail_PolyDocTour;
  if (!text) return false;
  bool recognised = false;
  bool dual = false;
  Outcome why;
  WenningerStellation stellation;
  LibraryEntry* entry = LookUpModel(text, &recognised, &why, &dual, false, &stellation);
  TellOutcome(why);
  if (stellation.number) ShowWenningerStellation(stellation);
  // A name of a record's dual gives that dual.
  if (recognised) return entry && SetModel(entry, false, false, dual);
  if (std::strchr(text, '*') || (!std::strchr(text, '.') && !std::strchr(text, ','))) {
    ShowError(kNotFound, text);
    return false;
  }
  // A configuration: its parser says what is wrong with it.
  PolyTemplate check;
  why = Outcome();
  const bool parsed = check.Parse(text, &why);
  TellOutcome(why);
  if (!parsed) return false;
  return MakeModel(kOccasionBuiltInModel, nullptr, false, 0, [&](Poly& poly, PolyTemplate& polyTemplate) {
    return BuildConfiguration(poly, polyTemplate, text, mOneVertexAtATime, true);
  });
}

void CPolyDoc::ShowWenningerStellation(const WenningerStellation& stellation) {
  // With panes to show it in (the active one among them), the stellation is offered a
  // pane of its own.
  if (GetPaneViewType(nullptr) != 0 && !FindViewOfType(kViewStellationOfBase, kViewStellationOfBase)) {
    const int answer = ShowMessageBox(kBoxStyleYesNoCancel | kBoxStyleIconQuestion,
                                      "Wenninger model W%d is a stellation, but you don't\ncurrently have a stellation "
                                      "view open.\n\nShall I change the current view to view stellations?",
                                      stellation.number);
    if (answer == kBoxCancel) return;
    if (answer == kBoxYes) {
      if (CPolyView* pane = CPolyView::GetActive()) pane->SetViewType(kViewStellationOfBase, false);
    }
  }
  bool recognised = false;
  // The base configurations are models of the library.
  LibraryEntry* entry = LookUpModel(stellation.baseConfig, &recognised, nullptr, nullptr, false);
  if (!entry) ShowInternalError("ShowWenningerStellation: no library model %s", stellation.baseConfig);
  if (!entry || !SetModel(entry, false, false)) return;
  Outcome why;
  const bool included = mPoly && IncludeWenningerCells(*mPoly, stellation.ranges, stellation.numRanges, &why);
  TellOutcome(why);
  if (!included) return;
  // Placed among the stellations of the criteria, it is named in the pane.
  const std::string shown = DescribeShownStellation(mPoly, mPoly->mBaseBlock.get(), true);
  if (!shown.empty()) platform::Services().views->SetPaneMessage("Stellation " + shown);
  platform::Services().views->RedrawAllViews(true);
}

bool CPolyDoc::SetTourModel(const TourModel& model, const TransitionSettings* transition) {
  using namespace detail_PolyDocTour;
  TransitionSettings none;
  none.mType = kTransitionNone;
  const TransitionSettings* used = transition ? transition : &none;
  bool built = false;
  if (model.libraryIndex >= 0) {
    LibraryEntry* entry = GetLibraryEntry(model.libraryIndex);
    if (!entry) return false;
    Outcome refused;
    if (entry->IsParametric() && !entry->CheckParams(model.n, model.d, &refused)) {
      TellOutcome(refused);
      return false;
    }
    built = MakeModel(kOccasionTour, used, false, kChangeKeepTour, [&](Poly& poly, PolyTemplate& polyTemplate) {
      Outcome why;
      const bool created = CreateFromLibraryEntry(&poly, &polyTemplate, entry, false, &why);
      TellOutcome(why);
      if (!created) return false;
      if (!poly.mLibraryEntry) poly.SetLibraryEntry(entry);
      return true;
    });
  } else if (!model.configuration.empty()) {
    built = MakeModel(kOccasionTour, used, false, kChangeKeepTour, [&](Poly& poly, PolyTemplate& polyTemplate) {
      return BuildConfiguration(poly, polyTemplate, model.configuration.c_str(), false, false);
    });
  } else if (!model.faces.empty()) {
    const int numVerts = static_cast<int>(model.vertices.size() / 3);
    built = MakeModel(kOccasionTour, used, false, kChangeKeepTour, [&](Poly& poly, PolyTemplate&) {
      SimplePoly simple(numVerts, static_cast<int>(model.faces.size()));
      for (int v = 0; v < numVerts; ++v) simple.VertAt(v).SetPos(&model.vertices[3 * static_cast<size_t>(v)]);
      for (size_t f = 0; f < model.faces.size(); ++f) simple.FaceAt(static_cast<int>(f)).items = model.faces[f];
      return CreatePoly(simple, &poly, false, false).done();
    });
  }
  if (built && mPoly->mShowDual != (model.showDual ? 1 : 0)) {
    mPoly->SetShowDual(model.showDual);
    ShowSelectionChange(mPoly->TakeSelectionChange());
  }
  return built;
}

}  // namespace corvia
