#include "app/FontSetups.h"

namespace corvia {

namespace detail_FontSetups {

std::vector<std::unique_ptr<FontSetupEntry>>& Setups() {
  static std::vector<std::unique_ptr<FontSetupEntry>> setups;
  return setups;
}

}  // namespace detail_FontSetups

void InitFontSetups() {
  auto& setups = detail_FontSetups::Setups();
  setups.clear();
  NewFontSetup(kDefaultFontSetup);
  // Texts on screen face the viewer whatever the model does.
  FontSetupEntry* screen = NewFontSetup(kScreenFontSetup);
  for (uint32_t& slot : screen->slots) slot = kFontPlaceScreenAlign;
}

FontSetupEntry* FindFontSetup(const std::string& name) {
  for (auto& setup : detail_FontSetups::Setups()) {
    if (setup->name == name) return setup.get();
  }
  return nullptr;
}

FontSetupEntry* NewFontSetup(const std::string& name) {
  if (FontSetupEntry* existing = FindFontSetup(name)) return existing;
  auto setup = std::make_unique<FontSetupEntry>();
  setup->name = name;
  detail_FontSetups::Setups().push_back(std::move(setup));
  return detail_FontSetups::Setups().back().get();
}

bool IsUserFontSetup(const std::string& name) { return name != kDefaultFontSetup && name != kScreenFontSetup; }

const std::vector<std::unique_ptr<FontSetupEntry>>& GetFontSetups() { return detail_FontSetups::Setups(); }

}  // namespace corvia
