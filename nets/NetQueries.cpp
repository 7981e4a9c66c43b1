// What the net views, the printing commands, the colour dialogs and the status bar
// ask of a facet model with nets: which edges are shown, the net colours, colouring
// by connected part, the copies to print, the folding, and the selection texts.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_NetQueries {

// The red component of a face that has no colour.
constexpr float kUncolouredRed = -1.0f;
constexpr double kDegreesPerRadian = 57.29577951308232;
// Panes whose view type has this bit show nets.
constexpr unsigned kViewKindNet = 0x10000;
// Walks along a net's facelets end after this many steps on a broken chain.
constexpr int kMaxNetSteps = 1 << 22;

bool SameColour(const float* a, const float* b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

}  // namespace detail_NetQueries

bool Model3D::IsEdgeShown(const Edge3D* edge, int selector) const {
  if (!edge) return false;
  const Net* net = edge->face ? edge->face->mNet : nullptr;
  if (selector == 1) return net && net == mCurrentNet;
  if (edge->face && edge->face->mType && edge->face->mType->HasFlag(kTypeDrawn)) return false;
  if (selector != 0) return true;
  switch (GetNetSettings().displayMode) {
    case kShowCurrentNet:
      return net && net == mCurrentNet;
    case kShowCurrentNetType:
      return !mCurrentNet || (net && net->type == mCurrentNet->type);
    default:
      return true;
  }
}

Net* Model3D::FindNetByColor(uint32_t packed) const {
  for (NetType* type = mNetTypes; type; type = type->next) {
    for (int n = 0; n < type->numNets; ++n) {
      if (PackRainbowColor(type->nets[n].GetColor()) == packed) return &type->nets[n];
    }
  }
  return nullptr;
}

std::vector<uint32_t> Model3D::GetNetColors() const {
  std::vector<uint32_t> colours;
  colours.reserve(32);
  for (const NetType* type = mNetTypes; type; type = type->next) {
    for (int n = 0; n < type->numNets; ++n) {
      const uint32_t packed = PackRainbowColor(type->nets[n].GetColor());
      bool seen = false;
      for (uint32_t c : colours) seen = seen || c == packed;
      if (!seen) colours.push_back(packed);
    }
  }
  return colours;
}

int Model3D::ColorFaceletsByPart() {
  using namespace detail_NetQueries;
  NextRainbowColor(nullptr);
  int parts = 0;
  const int limit = mPoly ? mPoly->mFaces.mCount + mPoly->mVertices.mCount + 1 : 1;
  for (Face3DType* type = mFaceTypes; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) {
      PolyElement* start = type->mFacelets[f].mSourceFace;
      if (!start || start->mColor[0] != kUncolouredRed) continue;
      float colour[3];
      NextRainbowColor(colour);
      ++parts;
      // Faces joined across edges that are not reflex take the colour, breadth first.
      std::deque<PolyElement*> queue{start};
      while (!queue.empty()) {
        PolyElement* face = queue.front();
        queue.pop_front();
        if (face->mColor[0] != kUncolouredRed) continue;
        PolyElement* member = face;
        for (int steps = 0; member && steps < limit; ++steps) {
          CopyFloat3(member->mColor, colour);
          member = member->mCoplanarNext;
          if (member == face) break;
        }
        Face3D* first = face->GetOwnFace3D();
        Face3D* facelet = first;
        for (int steps = 0; facelet && steps < limit; ++steps) {
          if (facelet->mSourceFace == face) {
            const int count = facelet->GetNumEdges();
            for (int i = 0; i < count; ++i) {
              const Edge3D& e = facelet->mEdges[i];
              if (!e.mNeigh || e.dihedral >= kConvexLimit) continue;
              PolyElement* next = e.mNeigh->face->mSourceFace;
              if (next && next->mColor[0] == kUncolouredRed) queue.push_back(next);
            }
          }
          facelet = facelet->mNextCopy;
          if (facelet == first) break;
        }
      }
    }
  }
  return parts;
}

int Model3D::CountNetsToPrint(const float* colour, bool onlyWithImages) {
  using namespace detail_NetQueries;
  const UnitSettings& units = GetUnitSettings();
  int total = 0;
  for (NetType* type = mNetTypes; type; type = type->next) {
    int passing = 0;
    for (int n = 0; n < type->numNets; ++n) {
      const Net& net = type->nets[n];
      if (colour && !SameColour(net.GetColor(), colour)) continue;
      if (onlyWithImages && !(net.first && net.first->GetImage())) continue;
      ++passing;
    }
    if (passing == 0) {
      type->printCount = 0;
    } else {
      type->printCount = units.mPrintGivenNumNets ? units.mNumNetsToPrint : passing + units.mNumExtraNets;
      if (type->printCount < 0) type->printCount = 0;
    }
    type->printCursor = -1;
    total += type->printCount;
  }
  return total;
}

namespace detail_NetQueries {

// The hinge and move of every net for the fold fraction g: a single net closes as it
// moves in; several first move in (to a half), then close.
void FoldShares(const Model3D& model, double g, double& hinge, double& place) {
  hinge = 1.0;
  place = 0.0;
  if (model.GetNumNetTypes() == 1 && model.GetNumNets() == 1) {
    hinge = g;
    place = 1.0;
  } else if (g < 0.5) {
    hinge = 2.0 * g;
  } else {
    place = 2.0 * g - 1.0;
  }
}

}  // namespace detail_NetQueries

bool Model3D::UpdateFolding(const std::function<bool()>& goOn) {
  const double g = GetNetSettings().foldFraction;
  if (g == mFoldFraction) return true;
  double hinge = 1.0, place = 0.0;
  detail_NetQueries::FoldShares(*this, g, hinge, place);
  for (NetType* type = mNetTypes; type; type = type->next) {
    if (type->Fold(hinge, place, goOn)) continue;
    // Part folded: folded whole at the next fold, whatever its fraction.
    mFoldFraction = -1.0;
    return false;
  }
  mFoldFraction = g;
  mFolded = true;
  ++mFoldCount;
  return true;
}

bool Model3D::FoldOrAskIdleWork() {
  if (GetNumFacelets() < kDeferredFoldFacelets) {
    UpdateFolding();
    return true;
  }
  mFoldAsked = true;
  if (IsFoldAsked()) platform::Services().views->PrepareWhenIdle();
  return mFolded;
}

bool Model3D::IsFoldAsked() const {
  return mFoldAsked && GetNetSettings().foldFraction != mFoldFraction && !WasFoldCancelled() && !mMakingNets;
}

bool Model3D::WasFoldCancelled() const {
  return mFoldCancelled >= 0.0 && mFoldCancelled == GetNetSettings().foldFraction;
}

bool FoldAskedNets(const std::vector<Model3D*>& models) {
  std::vector<Model3D*> asked;
  std::copy_if(models.begin(), models.end(), std::back_inserter(asked), [](Model3D* m) { return m->IsFoldAsked(); });
  if (asked.empty()) return true;
  // A Cancel at the window's first report ends the work before any of it begins.
  const int cancels = GetProgressCancelCount();
  ProgressScope progress;
  bool going = GetProgressCancelCount() == cancels && UpdateProgress(0.0, "Folding the nets");
  for (Model3D* model : asked) {
    if (!going) break;
    // The share folded counts the facelets placed (those of repeated nets each time).
    const double facelets = std::max(1, model->GetNumFacelets());
    size_t placed = 0;
    ProgressTicker ticker;
    going = model->UpdateFolding([&] { return ticker(std::min(1.0, static_cast<double>(++placed) / facelets)); });
    if (going) model->mFoldAsked = false;
  }
  if (going) return true;
  // The user's Cancel leaves the nets waiting as they are until the fraction changes;
  // after the program's stop the next paint asks again.
  const bool byUser = !WasProgressCancelRequested();
  for (Model3D* model : asked) {
    if (byUser && model->IsFoldAsked()) model->mFoldCancelled = GetNetSettings().foldFraction;
    model->mFoldAsked = false;
  }
  return false;
}

std::vector<Net*> Model3D::GetShownNets() const {
  std::vector<Net*> nets;
  const int32_t shown = GetNetSettings().displayMode;
  if (shown == kShowCurrentNet && mCurrentNet) {
    nets.push_back(mCurrentNet);
    return nets;
  }
  for (NetType* type = mNetTypes; type; type = type->next) {
    if (shown == kShowCurrentNetType && mCurrentNet && type != mCurrentNet->type) continue;
    for (int i = 0; i < type->numNets; ++i) nets.push_back(&type->nets[i]);
  }
  return nets;
}

double Model3D::GetShownNetsReach() {
  using namespace detail_NetQueries;
  if (!FoldOrAskIdleWork()) return 0.0;
  const bool tabs = GetNetSettings().show3DTabs;
  double reach = 0.0;
  auto add = [&reach](const double* p) { reach = std::max(reach, std::sqrt(Dot(p, p))); };
  for (const Net* net : GetShownNets()) {
    int steps = kMaxNetSteps;
    for (const Face3D* f = net->first; f && steps-- > 0; f = f->mNextInNet) {
      for (int i = 0; i < f->GetNumEdges(); ++i) {
        const Edge3D& e = f->mEdges[i];
        add(e.pos3D);
        if (!tabs || !e.tab) continue;
        for (const TabPoint& t : e.tab->outline) add(t.pos3D);
      }
    }
  }
  return reach * (mPoly ? mPoly->mDisplayScale : 1.0);
}

void DescribeSelectedFacelet(Model3D* model, Face3D* facelet) {
  if (!model) return;
  if (facelet) {
    Poly* poly = model->mPoly;
    if (poly) {
      poly->ClearSelection();
      if (facelet->mSourceFace && facelet->mSourceFace->mPoly == poly) poly->SelectFace(facelet->mSourceFace, false);
    }
    model->mCurrentNet = facelet->mNet ? facelet->mNet : (model->mNetTypes ? model->mNetTypes->GetFirstNet() : nullptr);
    std::string text = "Selected facelet " + std::to_string(Face3D::GetIndex(facelet));
    if (facelet->mSourceFace) {
      text += ", ";
      text += model->IsDual() ? "dual" : "base";
      text += "-face " + std::to_string(facelet->mSourceFace->GetNumber());
    }
    platform::Services().views->SetStatusText(text);
  }
  model->mSelectedFacelet = facelet;
  platform::Services().views->RedrawAllViews(false);
}

void DescribeSelectedEdge(Model3D* model, Edge3D* edge) {
  using namespace detail_NetQueries;
  if (!model) return;
  if (edge) {
    if (model->mPoly) model->mPoly->ClearSelection();
    model->mCurrentNet =
        edge->face->mNet ? edge->face->mNet : (model->mNetTypes ? model->mNetTypes->GetFirstNet() : nullptr);
    char number[64];
    std::string text = "Selected edge " + GetEdgeName(edge);
    if (edge->mNeigh) text += ", neighbour " + GetEdgeName(edge->mNeigh);
    std::snprintf(number, sizeof number, ", dihedral angle %.1f", edge->dihedral * kDegreesPerRadian);
    text += number;
    if (edge->nextCoinc) {
      std::snprintf(number, sizeof number, " angle %.1f", edge->coincAngle * kDegreesPerRadian);
      text += ", coincident edge " + GetEdgeName(edge->nextCoinc) + number;
    }
    platform::Services().views->SetStatusText(text);
  }
  if (edge != model->mSelectedEdge) {
    model->mSelectedEdge = edge;
    platform::Services().views->InvalidateViewsOfKind(kViewKindNet, 0);
  }
}

}  // namespace corvia
