#include "files/ModelFileFormat.h"

#include "model/Poly.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_ModelFileFormat {

// In token order; the numbers are stored in BINARY files.
constexpr const char* kTokenNames[modelfile::kNumTokens] = {
    "Model",          "EndModel",          "Name",              "DualName",      "EntryText",
    "Description",    "WebLink",           "LibraryEntry",      "Configuration", "TookBranch",
    "LengthScale",    "MaxFacesPerNet",    "ModelFlags",        "CurrentFace",   "Vertices",
    "Faces",          "Edges",             "Labels",            "Opacities",     "FaceImage",
    "EndFaceImage",   "File",              "Projection",        "Boundary",      "Flags",
    "Offset",         "Rotation",          "Frame",             "RotationFrame", "Size",
    "BaseScale",      "Owner",             "UsedBy",            "DrawnPolygon",  "FacetingCriteria",
    "MinFacets",      "MaxFacets",         "PartialFacetingOK", "SpikyFaceting", "FacetingTotalNum",
    "FacetingNumChirals", "FacetingNumCompounds", "FacetingTime", "Scene",       "EndScene",
    "CompressedBlock", "VertexRings"};

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

void Poly::FileKeepDeleter::operator()(ModelFileKeep* keep) const { delete keep; }

}  // namespace corvia
