// Plain copies of the facet model for the derived-model factory: the facelets as
// faces of a SimplePoly, loop by loop or as triangles, with their edges.

#include <memory>
#include <string>

#include "core/Messages.h"
#include "core/RainbowColor.h"
#include "model/ElementFlags.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyItem.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "symmetry/ExportPrep.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_Model3DCopy {

constexpr const char* kHolesQuestion =
    "Warning: this model has holes in some faces,\nwhich isn't allowed for base models, so holes\nwill be turned into "
    "additional coplanar faces.";

void CopyLook(SimpleFace& out, const Face3D& facelet) {
  out.color = PackRainbowColor(facelet.GetColor());
  const PolyElement* source = facelet.mSourceFace;
  out.color2 = source ? PackRainbowColor(source->mBackColor) : out.color;
  out.SetAlpha(facelet.GetAlpha());
  if (source && source->HasFlag(kElementHidden)) out.flags |= kSimpleHidden;
  if (const char* label = facelet.GetLabel()) out.SetLabel(label);
}

}  // namespace detail_Model3DCopy

SimplePoly* Model3D::CreateSimplePoly(uint32_t options, EdgeListNode** edgeList) {
  using namespace detail_Model3DCopy;
  if (edgeList) *edgeList = nullptr;
  if (HasHoles() && !(options & kCopyHolesAllowed) && !AskYesNo("%s", kHolesQuestion)) return nullptr;
  const bool byPosition = (options & kCopyVerticesByPosition) != 0;
  auto simple = std::make_unique<SimplePoly>(byPosition ? 0 : mNumVerts, 0);
  simple->flags |= kSimpleGrowable | kSimpleKeepOrientation | kSimpleKeepLengthUnits;
  int used = 0;
  if (!byPosition) {
    int group = -1;
    for (int i = 0; i < mNumVerts; ++i) {
      if (mVerts[static_cast<size_t>(i)].mFlags & kVertGroupFirst) ++group;
      SimpleVert& out = simple->VertAt(i);
      out.SetPos(mVerts[static_cast<size_t>(i)].mPos);
      out.typeId = group < 0 ? 0 : group;
    }
    used = mNumVerts;
  }
  auto vertexOf = [&](const Edge3D& edge) -> int32_t {
    if (!byPosition && edge.vert) return Vert3D::GetIndexIn(edge.vert, this);
    SimpleVert* v = simple->FindOrCreateVert(Face3D::GetCornerPosition(&edge), used);
    return v ? v->GetIndex() : kNoIndex;
  };
  // Triangle copies of a type take their corners by position.
  auto cornerOf = [&](const Edge3D& edge) -> int32_t {
    SimpleVert* v = simple->FindOrCreateVert(Face3D::GetCornerPosition(&edge), used);
    return v ? v->GetIndex() : kNoIndex;
  };
  for (Face3DType* type = mFaceTypes; type; type = type->mNext) {
    const bool triangles = (options & kCopyTriangles) ||
                           ((options & kCopyNonConvexAsTriangles) && !type->HasFlag(kTypeConvex)) ||
                           ((options & kCopyHolesAsTriangles) && type->mNumLoops > 1);
    for (int f = 0; f < type->mNumFacelets; ++f) {
      const Face3D& facelet = type->mFacelets[f];
      if (triangles) {
        if (facelet.GetNumEdges() > 0 && !IsEdgeShown(&facelet.mEdges[0], 0)) continue;
        for (int i = 0; i + 2 < type->mNumIndices; i += 3) {
          SimpleFace& out = simple->AddFace();
          out.SetNumVerts(3);
          for (int c = 0; c < 3; ++c) out.SetVertIndex(c, cornerOf(facelet.mEdges[type->mIndices[i + c]]));
          CopyLook(out, facelet);
        }
        continue;
      }
      int start = 0;
      for (int loop = 0; loop < type->mNumLoops; ++loop) {
        const int length = type->mLoopLengths[loop];
        SimpleFace& out = simple->AddFace();
        out.SetNumVerts(length);
        for (int j = 0; j < length; ++j) out.SetVertIndex(j, vertexOf(facelet.mEdges[start + j]));
        CopyLook(out, facelet);
        start += length;
      }
    }
  }
  simple->Truncate(used, simple->NumFaces());
  simple->CreateVertexFaceLists(true);
  if (mPoly) {
    if (mPoly->mSymGroup) simple->SetSymmetry(mPoly->mSymGroup);
    if (!FaceTypeBlock::IsOriginalStellation(mBlock)) {
      simple->SetName(mPoly->GetPartName(false), "Stellated ", true);
      simple->SetDualName(mPoly->GetPartName(true), "Faceted ", true);
    } else {
      const bool dual = IsDual();
      const char* name = dual ? mPoly->mDualName : mPoly->mName;
      const char* dualName = dual ? mPoly->mName : mPoly->mDualName;
      simple->name = name ? name : "";
      simple->dualName = dualName ? dualName : "";
    }
  }
  if (edgeList) {
    const uint32_t colour = PackRainbowColor(PolyItem::GetColour(nullptr));
    for (Face3DType* type = mFaceTypes; type; type = type->mNext) {
      for (int f = 0; f < type->mNumFacelets; ++f) {
        const Face3D& facelet = type->mFacelets[f];
        for (int i = 0; i < type->mNumEdges; ++i) {
          const Edge3D& edge = facelet.mEdges[i];
          if (!(edge.flags & kEdgeDrawnMark) && edge.mNeigh) continue;
          const int32_t a = vertexOf(edge);
          const int32_t b = vertexOf(*edge.GetNextInLoop());
          if (a >= 0 && b >= 0) AddEdgeToList(a, b, colour, *edgeList);
        }
      }
    }
  }
  return simple.release();
}

}  // namespace corvia
