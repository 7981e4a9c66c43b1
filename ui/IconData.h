#pragma once
// The SVG images of ui/icons, built into the program (cmake/EmbedIcons.cmake).

namespace corvia {

struct IconSource {
  const char* name;
  const char* svg;
};

extern const IconSource kIconSources[];
extern const int kNumIconSources;

}  // namespace corvia
