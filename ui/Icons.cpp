#include "ui/Icons.h"

#include <map>
#include <utility>

#include "ui/IconData.h"

namespace corvia {

namespace detail_Icons {

const char* FindSource(const std::string& name) {
  for (int i = 0; i < kNumIconSources; ++i) {
    if (name == kIconSources[i].name) return kIconSources[i].svg;
  }
  return nullptr;
}

}  // namespace detail_Icons

bool HasIcon(const std::string& name) {
  return detail_Icons::FindSource(name) != nullptr;
}

wxBitmapBundle GetIconBundle(const std::string& name, int size) {
  static std::map<std::pair<std::string, int>, wxBitmapBundle> cache;
  const auto key = std::make_pair(name, size);
  if (auto found = cache.find(key); found != cache.end()) return found->second;
  const char* svg = detail_Icons::FindSource(name);
  wxBitmapBundle bundle = svg ? wxBitmapBundle::FromSVG(svg, wxSize(size, size)) : wxBitmapBundle();
  cache.emplace(key, bundle);
  return bundle;
}

}  // namespace corvia
