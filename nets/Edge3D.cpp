#include "nets/Edge3D.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Messages.h"
#include "core/Units.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"

namespace corvia {

namespace detail_Edge3D {

constexpr double kPi = 3.141592653589793;
// The degree sign in the text the program shows (UTF-8).
constexpr const char* kDegreeSign = "\xC2\xB0";

uint32_t MethodOf(const Edge3D* edge) {
  const uint32_t own = edge->flags & kEdgeCoincMethods;
  return own ? own : static_cast<uint32_t>(GetUnitSettings().mCoincEdgeMethod);
}

// The number of steps a walk round the edgelets of one edge may take: no ring is
// longer than the number of edgelets that start at its vertex.
int RingLimit(const Edge3D* edge) {
  int count = 2;
  if (edge && edge->vert) {
    for (const Edge3D* e = edge->vert->mFirstEdge; e; e = e->nextAtVert) ++count;
  }
  if (edge && edge->mNeigh && edge->mNeigh->vert) {
    for (const Edge3D* e = edge->mNeigh->vert->mFirstEdge; e; e = e->nextAtVert) ++count;
  }
  return count;
}

void Append(char* buffer, size_t size, const char* text) {
  const size_t used = std::strlen(buffer);
  if (used + 1 >= size) return;
  std::snprintf(buffer + used, size - used, "%s", text);
}

}  // namespace detail_Edge3D

Edge3D::Edge3D() = default;
Edge3D::~Edge3D() = default;

int Edge3D::GetIndex(const Edge3D* edge) {
  if (!edge || !edge->face || !edge->face->mEdges) return -1;
  return static_cast<int>(edge - edge->face->mEdges.get());
}

std::string GetEdgeName(const Edge3D* edge) {
  if (!edge) return "NULL";
  char text[64];
  std::snprintf(text, sizeof text, "%d-%d", Face3D::GetIndex(edge->face) + 1, Edge3D::GetIndex(edge));
  return text;
}

std::string Edge3D::GetTypeName(const Edge3D* edge) {
  if (!edge || !edge->face) return "NULL";
  char text[64];
  std::snprintf(text, sizeof text, "%d-%d", Face3DType::GetIndex(edge->face->mType) + 1, GetIndex(edge));
  return text;
}

int Edge3D::GetNumber(const Edge3D* edge) {
  if (!edge || !edge->face || !edge->face->mType) return -1;
  const Face3DType* type = edge->face->mType;
  const Model3D* model = type->mOwner;
  if (!model) return -1;
  model->KeepFaceTypesNumbered();
  if (type->mFirstEdgelet < 0) return -1;
  const int position = static_cast<int>(edge->face - type->mFacelets.get());
  return type->mFirstEdgelet + position * type->mNumEdges + GetIndex(edge);
}

int Edge3D::GetNumberByLoops(const Edge3D* edge) {
  if (!edge || !edge->face || !edge->face->mType) return -1;
  const Face3DType* own = edge->face->mType;
  const Model3D* model = own->mOwner;
  int number = 0;
  for (const Face3DType* type = model ? model->mFaceTypes : nullptr; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) {
      const Face3D* facelet = &type->mFacelets[f];
      int k = 0;
      for (int loop = 0; loop < type->mNumLoops; ++loop) {
        for (int j = 0; j < type->mLoopLengths[loop]; ++j, ++k, ++number) {
          if (&facelet->mEdges[k] == edge) return number;
        }
      }
    }
  }
  return -2;
}

Model3D* Edge3D::GetModel(const Edge3D* edge) {
  if (!edge || !edge->face || !edge->face->mType) return nullptr;
  return edge->face->mType->mOwner;
}

bool Edge3D::GetEdgeDataText(char* buffer, size_t size) const {
  using namespace detail_Edge3D;
  if (!buffer || size == 0) return false;
  buffer[0] = 0;
  const uint32_t word = GetNetSettings().edgeData & kEdgeDataTexts;
  if ((flags & kEdgeJoinedAdded) || word == 0) return false;
  char text[128];
  if (word & kEdgeDataConnectionIds) {
    if (!(flags & kEdgeJoinedFirst)) {
      std::snprintf(text, sizeof text, "%d", connectionId);
      Append(buffer, size, text);
    }
  }
  if (word & kEdgeDataNames) std::snprintf(buffer, size, "%s", GetEdgeName(this).c_str());
  if (word & kEdgeDataTypeNames) std::snprintf(buffer, size, "%s", GetTypeName(this).c_str());
  if (word & kEdgeDataLengths) {
    const Edge3D* next = GetNextInLoop();
    const double dx = next->unfolded[0] - unfolded[0];
    const double dy = next->unfolded[1] - unfolded[1];
    std::snprintf(buffer, size, "%g", std::sqrt(dx * dx + dy * dy) * GetUnitSettings().mLengthScale);
  }
  if (word & (kEdgeDataDihedrals | kEdgeDataMitres)) {
    char angle[kAngleTextSize];
    const double value = (word & kEdgeDataDihedrals) ? GetDihedralAngle() : GetMitreAngle();
    GetUnitSettings().FormatAngle(angle, value, kDegreeSign);
    std::snprintf(buffer, size, "%s", angle);
  }
  if (word & kEdgeDataNumbers) {
    if (flags & kEdgeJoined) {
      std::snprintf(buffer, size, "%d,%d", GetNumber(this), GetNumber(GetNeighInNet(this, true)));
    } else {
      std::snprintf(buffer, size, "%d", GetNumber(this));
    }
  }
  return buffer[0] != 0;
}

// ---- Neighbours and loops ---------------------------------------------------------------

Edge3D* Edge3D::GetNeighInNet(const Edge3D* edge, bool strict) {
  using namespace detail_Edge3D;
  if (!edge) return nullptr;
  if (strict && GetUnitSettings().mMaxFacesPerNet <= 1) return nullptr;
  if (!edge->nextCoinc) return edge->mNeigh;
  const uint32_t method = MethodOf(edge);
  switch (method) {
    case kCoincDisconnected:
      return edge->nextCoinc;
    case kCoincNoSupportRequired:
      return edge->mNeigh;
    case kCoincTongueInGroove:
      return strict ? nullptr : edge->mNeigh;
    case kCoincInternalSupport: {
      if (!strict) return edge->mNeigh;
      const Edge3D* copy = edge->GetFirstNetCopy();
      const int limit = RingLimit(edge);
      const Edge3D* current = edge->nextCoinc;
      for (int steps = 0; current && current != edge->mNeigh && steps < limit; ++steps) {
        if (current->GetFirstNetCopy() == copy || (current->flags & kEdgeAnyJoin)) return nullptr;
        const Edge3D* across = current->mNeigh;
        if (across && (across->GetFirstNetCopy() == copy || (across->flags & kEdgeAnyJoin))) return nullptr;
        current = across ? across->nextCoinc : nullptr;
      }
      return edge->mNeigh;
    }
    default:
      ShowInternalError("GetNeighInNet: Unknown coinc edge method 0x%x", method);
      return nullptr;
  }
}

Edge3D* Edge3D::GetNextInLoop() const {
  const Face3DType* type = face->mType;
  const int i = GetIndex(this);
  if (type->mNumLoops <= 1) return &face->mEdges[(i + 1) % type->mNumEdges];
  int start = 0;
  for (int loop = 0; loop < type->mNumLoops; ++loop) {
    const int length = type->mLoopLengths[loop];
    if (i < start + length) return &face->mEdges[i + 1 < start + length ? i + 1 : start];
    start += length;
  }
  return &face->mEdges[0];
}

Edge3D* Edge3D::GetPrevInLoop() const {
  const Face3DType* type = face->mType;
  const int i = GetIndex(this);
  if (type->mNumLoops <= 1) return &face->mEdges[(i + type->mNumEdges - 1) % type->mNumEdges];
  int start = 0;
  for (int loop = 0; loop < type->mNumLoops; ++loop) {
    const int length = type->mLoopLengths[loop];
    if (i < start + length) return &face->mEdges[i > start ? i - 1 : start + length - 1];
    start += length;
  }
  return &face->mEdges[0];
}

Edge3D* Edge3D::GetNextOutlineEdge(bool placementJoins) const {
  const uint32_t crossing = kEdgeJoined | (placementJoins && !(flags & kEdgePlacementJoin) ? kEdgePlacementJoin : 0);
  Edge3D* firstCandidate = GetNextInLoop();
  Edge3D* edge = firstCandidate;
  // The walk round a vertex passes each edgelet there at most once.
  const int limit = detail_Edge3D::RingLimit(edge) * 2 + 8;
  for (int steps = 0; edge->flags & crossing; ++steps) {
    Edge3D* across = GetNeighInNet(edge, false);
    if (!across || steps > limit) break;
    edge = across->GetNextInLoop();
    if (edge == firstCandidate) break;
  }
  return edge;
}

Edge3D* Edge3D::GetNextHullPoint() const {
  Edge3D* edge = GetNextOutlineEdge(true);
  Edge3D* remembered = nullptr;
  int limit = 10;
  int count = 0;
  while (!(edge->flags & kEdgeHullPoint)) {
    if (edge == this) return edge;
    if (++count > limit) {
      if (edge == remembered) return nullptr;
      remembered = edge;
      limit *= 2;
      count = 0;
    }
    edge = edge->GetNextOutlineEdge(true);
  }
  return edge;
}

Edge3D* Edge3D::GetFirstNetCopy() const {
  Edge3D* self = const_cast<Edge3D*>(this);
  const Net* net = face ? face->mNet : nullptr;
  if (!net || !net->type) return self;
  const Net* firstNet = net->type->GetFirstNet();
  if (firstNet == net || !firstNet) return self;
  const int position = face->GetIndexInNet();
  const Face3D* copy = firstNet->GetFaceletAt(position);
  if (!copy || copy->mType != face->mType) return self;
  return &copy->mEdges[GetIndex(this)];
}

bool Edge3D::IsInCoincRing(const Edge3D* other) const {
  if (other == this || other == mNeigh) return true;
  const int limit = detail_Edge3D::RingLimit(this);
  const Edge3D* current = nextCoinc;
  for (int steps = 0; current && current != this && steps < limit; ++steps) {
    if (current == other) return true;
    current = current->mNeigh;
    if (!current || current == this) break;
    if (current == other) return true;
    current = current->nextCoinc;
  }
  return false;
}

Edge3D* Edge3D::GetDrawingRepresentative(const std::function<bool(const Edge3D*)>& visible) {
  const int limit = detail_Edge3D::RingLimit(this);
  Edge3D* best = this;
  Edge3D* current = this;
  for (int steps = 0; current && steps < limit; ++steps) {
    if (visible(current) && current->mNeigh && visible(current->mNeigh)) return current;
    if (current->dihedral < 999999.9 && (best->dihedral >= 999999.9 || current->dihedral < best->dihedral)) {
      best = current;
    }
    Edge3D* next = current->nextCoinc ? current->nextCoinc->mNeigh : nullptr;
    if (!next || next == this) break;
    current = next;
  }
  return best;
}

bool Edge3D::IsSamePosition(const Edge3D* other) const {
  return other && face && other->face && face->mType == other->face->mType && GetIndex(this) == GetIndex(other);
}

double Edge3D::GetLengthSquared() const {
  const Edge3D* next = GetNextInLoop();
  const double dx = next->local[0] - local[0];
  const double dy = next->local[1] - local[1];
  return dx * dx + dy * dy;
}

const float* Edge3D::GetColor() const {
  return face->GetColor();
}

int Edge3D::CountRingLimit() const {
  return detail_Edge3D::RingLimit(this);
}

// ---- Angles ------------------------------------------------------------------------------

double Edge3D::GetDihedralAngle() const {
  if (nextCoinc && detail_Edge3D::MethodOf(this) == kCoincDisconnected) return coincAngle;
  return dihedral;
}

double Edge3D::GetMitreAngle() const {
  return (detail_Edge3D::kPi - GetDihedralAngle()) / 2.0;
}

bool Edge3D::IsConvex() const {
  return GetDihedralAngle() < kConvexLimit;
}

// ---- Copies ----------------------------------------------------------------------------------

void Edge3D::ForEachCopy(const std::function<bool(Edge3D*)>& fn) {
  Net* net = face ? face->mNet : nullptr;
  if (!net || !net->type) {
    fn(this);
    return;
  }
  const int position = face->GetIndexInNet();
  const int index = GetIndex(this);
  NetType* type = net->type;
  for (int n = 0; n < type->numNets; ++n) {
    Face3D* copy = type->nets[n].GetFaceletAt(position);
    if (!copy || copy->mType != face->mType) continue;
    if (!fn(&copy->mEdges[index])) return;
  }
}

bool Edge3D::AnyCopyHas(uint32_t bits) {
  bool found = false;
  ForEachCopy([&](Edge3D* copy) {
    found = (copy->flags & bits) != 0;
    return !found;
  });
  return found;
}

bool Edge3D::EveryCopyHas(uint32_t bits) {
  bool all = true;
  ForEachCopy([&](Edge3D* copy) {
    all = (copy->flags & bits) != 0;
    return all;
  });
  return all;
}

void Edge3D::SetFlagAllCopies(uint32_t bits, bool on, bool alsoNeighbour, bool /*inAllNets*/) {
  if (Model3D* model = GetModel(this)) model->MarkNetsChanged();
  auto apply = [&](Edge3D* edge) {
    if (!edge) return;
    if (on) {
      edge->flags |= bits;
    } else {
      edge->flags &= ~bits;
    }
  };
  // Both forms walk the same copies: the facelet at the same place of every net of
  // the net type and its edgelet of the same index.
  ForEachCopy([&](Edge3D* copy) {
    apply(copy);
    if (alsoNeighbour) apply(GetNeighInNet(copy, false));
    return true;
  });
}

// ---- Cut and join ------------------------------------------------------------------------

void Edge3D::ToggleCut(bool allCopies) {
  Model3D* model = GetModel(this);
  if (model) model->MarkNetsChanged();
  const bool cut = !(flags & kEdgeUserCut);
  if (allCopies) {
    SetFlagAllCopies(kEdgeUserCut, cut, true, false);
    if (cut && !(flags & kEdgeNeverJoin)) {
      SetFlagAllCopies(kEdgeNeverJoin, true, true, false);
    } else if (!cut && !AnyCopyHas(kEdgeCut)) {
      SetFlagAllCopies(kEdgeNeverJoin, false, true, false);
    }
  } else {
    Edge3D* neighbour = GetNeighInNet(this, false);
    for (Edge3D* edge : {this, neighbour}) {
      if (!edge) continue;
      if (cut) {
        edge->flags |= kEdgeUserCut | kEdgeNeverJoin;
      } else {
        edge->flags &= ~kEdgeUserCut;
      }
    }
    if (!cut && !(flags & kEdgeCut) && !(neighbour && (neighbour->flags & kEdgeCut))) {
      flags &= ~kEdgeNeverJoin;
      if (neighbour) neighbour->flags &= ~kEdgeNeverJoin;
    }
  }
  if (flags & kEdgeGeneratorCut) return;
  if (!model) return;
  Face3D* current = face;
  Edge3D* neighbour = GetNeighInNet(this, false);
  if (neighbour && neighbour->face->mNet && neighbour->face->mNet == face->mNet &&
      neighbour->face->GetIndexInNet() < face->GetIndexInNet()) {
    current = neighbour->face;
  }
  model->MakeNets();
  if (current->mNet) model->mCurrentNet = current->mNet;
}

int Model3D::JoinUserCuts() {
  int joined = 0;
  for (int i = 0; i < GetNumEdges(); ++i) {
    Edge3D* edge = GetEdge(i);
    if (!edge || !(edge->flags & kEdgeUserCut)) continue;
    edge->flags &= ~kEdgeUserCut;
    ++joined;
  }
  if (joined > 0) MarkNetsChanged();
  // The generation of the nets derives anew which edges stay apart.
  if (joined > 0 && HasNets()) MakeNets();
  return joined;
}

}  // namespace corvia
