// The face-diagram pool sets and the program's global pair of them.

#include "model/BlockPool.h"

#include "model/FaceDiagramCells.h"

namespace corvia {

namespace detail_BlockPool {
constexpr int32_t kSourceTableBlock = 10;
constexpr int32_t kComponentBlock = 5;
}  // namespace detail_BlockPool

FaceDiagramWorkPools::FaceDiagramWorkPools()
    : mWindings(std::make_unique<BlockPool<WindingNode>>()),
      mVertices(std::make_unique<BlockPool<DiagramVertex>>()),
      mHalfEdges(std::make_unique<BlockPool<HalfEdge>>()),
      mLoops(std::make_unique<BlockPool<DiagramLoop>>()),
      mEdges(std::make_unique<BlockPool<DiagramEdge>>()),
      mSourceTables(std::make_unique<BlockPool<DiagramSourceEntry>>(detail_BlockPool::kSourceTableBlock)),
      mVertexTables(std::make_unique<BlockPool<int32_t>>()),
      mComponents(std::make_unique<BlockPool<DiagramComponent>>(detail_BlockPool::kComponentBlock)) {}

FaceDiagramWorkPools::~FaceDiagramWorkPools() = default;

void FaceDiagramWorkPools::Clear() {
  mWindings->Clear();
  mVertices->Clear();
  mHalfEdges->Clear();
  mLoops->Clear();
  mEdges->Clear();
  mSourceTables->Clear();
  mVertexTables->Clear();
  mComponents->Clear();
}

void FaceDiagramWorkPools::Rewind() {
  mWindings->Rewind();
  mVertices->Rewind();
  mHalfEdges->Rewind();
  mLoops->Rewind();
  mEdges->Rewind();
  mSourceTables->Rewind();
  mVertexTables->Rewind();
  mComponents->Rewind();
}

FaceDiagramResultPools::FaceDiagramResultPools()
    : mCells(std::make_unique<BlockPool<DiagramCell>>()),
      mTriangleRanges(std::make_unique<BlockPool<CellTriangles>>()),
      mSourcePairs(std::make_unique<BlockPool<CellSourcePair>>()),
      mCellCopies(std::make_unique<BlockPool<DiagramCell>>()),
      mPoints(std::make_unique<BlockPool<DiagramPoint>>()),
      mTriangleIndices(std::make_unique<BlockPool<int32_t>>()) {}

FaceDiagramResultPools::~FaceDiagramResultPools() = default;

void FaceDiagramResultPools::Clear() {
  mCells->Clear();
  mTriangleRanges->Clear();
  mSourcePairs->Clear();
  mCellCopies->Clear();
  mPoints->Clear();
  mTriangleIndices->Clear();
}

void FaceDiagramResultPools::Rewind() {
  mCells->Rewind();
  mTriangleRanges->Rewind();
  mSourcePairs->Rewind();
  mCellCopies->Rewind();
  mPoints->Rewind();
  mTriangleIndices->Rewind();
}

FaceDiagramWorkPools& GetFaceDiagramWorkPools() {
  static FaceDiagramWorkPools pools;
  return pools;
}

FaceDiagramResultPools& GetFaceDiagramResultPools() {
  static FaceDiagramResultPools pools;
  return pools;
}

void ClearFaceDiagramPools() { GetFaceDiagramWorkPools().Clear(); }

}  // namespace corvia
