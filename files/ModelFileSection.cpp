#include "files/ModelFileSection.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "core/Strings.h"
#include "core/ioStream.h"
#include "files/ModelFileFormat.h"
#include "nets/Edge3D.h"
#include "nets/Model3D.h"

namespace corvia {

namespace detail_ModelFileSection {

std::vector<ModelFileSection*>& Sections() {
  static std::vector<ModelFileSection*> sections;
  return sections;
}

}  // namespace detail_ModelFileSection

ModelFileSection::~ModelFileSection() = default;

const std::vector<ModelFileSection*>& GetModelFileSections() {
  return detail_ModelFileSection::Sections();
}

bool IsSceneSectionName(const char* name) {
  if (name == nullptr || *name == '\0') return false;
  size_t length = 0;
  for (const char* p = name; *p; ++p, ++length) {
    if (length >= size_t(kSceneSectionNameMax) || !std::isalnum(static_cast<unsigned char>(*p))) return false;
  }
  return true;
}

ModelFileSection* FindModelFileSection(const char* name) {
  if (name == nullptr) return nullptr;
  for (ModelFileSection* section : detail_ModelFileSection::Sections()) {
    if (std::strcmp(section->GetName(), name) == 0) return section;
  }
  return nullptr;
}

void InstallModelFileSection(ModelFileSection* section) {
  if (section == nullptr) return;
  auto& sections = detail_ModelFileSection::Sections();
  for (ModelFileSection*& installed : sections) {
    if (std::strcmp(installed->GetName(), section->GetName()) == 0) {
      installed = section;
      return;
    }
  }
  sections.push_back(section);
}

void RemoveModelFileSection(ModelFileSection* section) {
  auto& sections = detail_ModelFileSection::Sections();
  sections.erase(std::remove(sections.begin(), sections.end(), section), sections.end());
}

std::string ReadSceneText(ioStream* stream, const char* what) {
  const int32_t line = stream ? stream->mLineNumber : 0;
  std::string text = ioReadString(stream, true);
  size_t replaced = 0;
  std::string clean = ReplaceNonText(text, &replaced);
  if (replaced == 0) return text;
  // Told on the line where the text begins, not the one read after it for its
  // continuation.
  const int32_t after = stream->mLineNumber;
  stream->mLineNumber = line;
  ioError(stream, kIoLevelWarning,
          "%s held bytes that are no UTF-8 text, or control characters: each was replaced by \"?\"", what);
  stream->mLineNumber = after;
  return clean;
}

bool WriteEdgeReference(ioStream* stream, const Edge3D* edge) {
  return ioPrintf(stream, "%d", edge ? Edge3D::GetNumber(edge) : -1);
}

Edge3D* ReadEdgeReference(ioStream* stream, const Model3D* model) {
  const int32_t index = ioReadInt(stream);
  // Model3D::GetEdge bounds the index: a negative one, or one past the last
  // edgelet, names none.
  return model ? model->GetEdge(index) : nullptr;
}

}  // namespace corvia
