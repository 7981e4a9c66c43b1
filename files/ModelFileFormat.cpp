#include "files/ModelFileFormat.h"

#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_ModelFileFormat {

// In token order; the numbers are stored in BINARY files.
// clang-format off
constexpr const char* kTokenNames[modelfile::kNumTokens] = {
    /*  0 */ "Model", "EndModel", "Name", "DualName", "EntryText",
    /*  5 */ "Description", "WebLink", "LibraryEntry", "Configuration", "TookBranch",
    /* 10 */ "LengthScale", "MaxFacesPerNet", "ModelFlags", "CurrentFace", "Vertices",
    /* 15 */ "Faces", "Edges", "Labels", "Opacities", "FaceImage",
    /* 20 */ "EndFaceImage", "File", "Projection", "Boundary", "Flags",
    /* 25 */ "Offset", "Rotation", "Frame", "RotationFrame", "Size",
    /* 30 */ "BaseScale", "Owner", "UsedBy", "DrawnPolygon", "FacetingCriteria",
    /* 35 */ "MinFacets", "MaxFacets", "PartialFacetingOK", "SpikyFaceting", "FacetingTotalNum",
    /* 40 */ "FacetingNumChirals", "FacetingNumCompounds", "FacetingTime", "Scene", "EndScene",
    /* 45 */ "CompressedBlock", "VertexRings"
};
// clang-format on

}  // namespace detail_ModelFileFormat

namespace modelfile {

const char* TokenName(int index) {
  if (index < 0 || index >= kNumTokens) return nullptr;
  return detail_ModelFileFormat::kTokenNames[index];
}

const ioEnumPair kCriteriaNames[] = {
    {0, "Isohedral"}, {1, "DualTidy"}, {2, "Tidy"}, {3, "CoplanarVerts"}, {0, nullptr}};

}  // namespace modelfile

ModelFileContents::ModelFileContents() = default;
ModelFileContents::~ModelFileContents() = default;
ModelFileContents::ModelFileContents(ModelFileContents&&) noexcept = default;
ModelFileContents& ModelFileContents::operator=(ModelFileContents&&) noexcept = default;

}  // namespace corvia
