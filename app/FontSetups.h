#pragma once
// Font set-ups: named choices of the face, resolution, size and colour of the texts
// drawn in the panes, and of how each of three kinds of label is placed. Two are
// built in ("<Default>" and "<Screen>"); the user's own are kept with the settings.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvia {

constexpr const char* kDefaultFontSetup = "<Default>";
constexpr const char* kScreenFontSetup = "<Screen>";

// A slot word: bits 0-3 the placement mode, then the keep options.
constexpr uint32_t kFontPlaceExtend = 0;
constexpr uint32_t kFontPlaceFlat = 1;
constexpr uint32_t kFontPlaceSitOn = 2;
constexpr uint32_t kFontPlaceScreenAlign = 3;
constexpr uint32_t kFontPlaceMask = 0xF;
constexpr uint32_t kFontKeepSize = 0x100;
constexpr uint32_t kFontKeepUpright = 0x200;
constexpr uint32_t kFontKeepForward = 0x400;
constexpr int kFontSetupSlots = 3;

struct FontSetupEntry {
  std::string name;
  std::string face = "Arial";
  int resolution = 48;
  double size = 0.05;
  int colour = 0xFFFFFF;
  int proportionalTo = 0;
  uint32_t slots[kFontSetupSlots] = {kFontPlaceExtend, kFontPlaceExtend, kFontPlaceExtend};
};

// Deletes every user set-up and makes the built-in ones afresh.
void InitFontSetups();
// The set-up of the name; null when none.
FontSetupEntry* FindFontSetup(const std::string& name);
// A new set-up of the name with the default values; the existing one when the name is
// taken.
FontSetupEntry* NewFontSetup(const std::string& name);
bool IsUserFontSetup(const std::string& name);
const std::vector<std::unique_ptr<FontSetupEntry>>& GetFontSetups();

}  // namespace corvia
