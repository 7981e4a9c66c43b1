#include "core/Registry.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "core/Strings.h"
#include "platform/SettingsStore.h"

namespace corvia {

namespace detail_Registry {

constexpr uint32_t kByteMask = 0xFFu;
constexpr double kColorScale = 255.0;

// A failed save of a key no caller closed, until the program takes it.
Outcome gUnheard;

bool IsGiven(const char* text) { return text != nullptr && text[0] != '\0'; }

// A key usable for reading.
bool CanRead(const RegistryKey* key, const char* name) { return key != nullptr && name != nullptr; }
bool CanWrite(const RegistryKey* key, const char* name) { return CanRead(key, name) && key->IsWritable(); }

bool SetNumber(RegistryKey* key, const char* name, uint32_t value) {
  if (!CanWrite(key, name)) return false;
  if (!key->Store().SetNumber(key->Path(), name, value)) return false;
  key->MarkChanged();
  return true;
}

bool GetNumber(RegistryKey* key, const char* name, uint32_t& value) {
  if (!CanRead(key, name)) return false;
  return key->Store().GetNumber(key->Path(), name, value);
}

uint8_t ColorByte(float component) {
  // Out-of-range components are clamped so that they cannot spill into the
  // neighbouring colour's byte.
  double scaled = std::round(static_cast<double>(component) * kColorScale);
  if (!(scaled >= 0.0)) return 0;  // also NaN
  if (scaled >= kColorScale) return static_cast<uint8_t>(kByteMask);
  return static_cast<uint8_t>(scaled);
}

}  // namespace detail_Registry

const RegistryApp& TheRegistryApp() {
  static const RegistryApp app{kRegistryCompanyKey, kRegistryProfileName};
  return app;
}

RegistryKey::RegistryKey(platform::SettingsStore& store, std::string path, bool writable)
    : mStore(store), mPath(std::move(path)), mWritable(writable) {}

RegistryKey::~RegistryKey() {
  Outcome saved = Close();
  if (saved.told()) detail_Registry::gUnheard = std::move(saved);
}

Outcome RegistryKey::Close() {
  if (!mChanged) return Outcome::Done();
  mChanged = false;
  platform::SaveResult result = mStore.Save();
  if (!result.saved) return Outcome::Failed(result.error);
  return Outcome::Done();
}

Outcome TakeUnheardRegistryFailure() { return std::exchange(detail_Registry::gUnheard, Outcome::Done()); }

bool MakeRegistryKeyName(const RegistryApp& app, std::string& keyName, const char* section, const char* subKey) {
  if (!detail_Registry::IsGiven(app.registryKey)) return false;
  keyName = "Software\\";
  keyName += app.registryKey;
  if (detail_Registry::IsGiven(app.profileName)) {
    keyName += '\\';
    keyName += app.profileName;
  }
  if (detail_Registry::IsGiven(section)) {
    keyName += '\\';
    keyName += section;
  }
  if (detail_Registry::IsGiven(subKey)) {
    keyName += '\\';
    keyName += subKey;
  }
  return true;
}

RegistryKeyPtr OpenRegistryKeyForRead(const RegistryApp& app, const char* section, const char* subKey) {
  std::string name;
  if (!MakeRegistryKeyName(app, name, section, subKey)) return nullptr;
  platform::SettingsStore& store = platform::SettingsStore::Instance();
  if (!store.KeyExists(name)) return nullptr;
  return std::make_unique<RegistryKey>(store, std::move(name), false);
}

RegistryKeyPtr OpenRegistryKeyForWrite(const RegistryApp& app, const char* section, const char* subKey) {
  std::string name;
  if (!MakeRegistryKeyName(app, name, section, subKey)) return nullptr;
  platform::SettingsStore& store = platform::SettingsStore::Instance();
  if (!store.CreateKey(name)) return nullptr;
  return std::make_unique<RegistryKey>(store, std::move(name), true);
}

bool SetRegistryBool(RegistryKey* key, const char* name, bool value) {
  return detail_Registry::SetNumber(key, name, value ? 1u : 0u);
}

bool SetRegistryInt(RegistryKey* key, const char* name, int value) {
  return detail_Registry::SetNumber(key, name, static_cast<uint32_t>(value));
}

bool SetRegistryFloat(RegistryKey* key, const char* name, double value) {
  float narrow = static_cast<float>(value);
  uint32_t bits = 0;
  static_assert(sizeof(bits) == sizeof(narrow));
  std::memcpy(&bits, &narrow, sizeof(bits));
  return detail_Registry::SetNumber(key, name, bits);
}

bool SetRegistryColor(RegistryKey* key, const char* name, const float color[3]) {
  if (color == nullptr) return false;
  return detail_Registry::SetNumber(key, name, PackRegistryColor(color));
}

bool SetRegistryString(RegistryKey* key, const char* name, const char* text) {
  if (text == nullptr || !detail_Registry::CanWrite(key, name)) return false;
  if (!key->Store().SetString(key->Path(), name, text)) return false;
  key->MarkChanged();
  return true;
}

bool GetRegistryBool(RegistryKey* key, const char* name, bool& value) {
  uint32_t number = value ? 1u : 0u;
  bool read = detail_Registry::GetNumber(key, name, number);
  // Only the low byte was ever written by the setter.
  if (read) value = (number & detail_Registry::kByteMask) != 0;
  return read;
}

bool GetRegistryInt(RegistryKey* key, const char* name, int& value) {
  uint32_t number = 0;
  if (!detail_Registry::GetNumber(key, name, number)) return false;
  value = static_cast<int>(number);
  return true;
}

bool GetRegistryFloat(RegistryKey* key, const char* name, double& value) {
  float narrow = static_cast<float>(value);
  uint32_t bits = 0;
  bool read = detail_Registry::GetNumber(key, name, bits);
  if (read) std::memcpy(&narrow, &bits, sizeof(narrow));
  value = static_cast<double>(narrow);
  return read;
}

bool GetRegistryColor(RegistryKey* key, const char* name, float color[3]) {
  if (color == nullptr) return false;
  uint32_t packed = PackRegistryColor(color);
  bool read = detail_Registry::GetNumber(key, name, packed);
  UnpackRegistryColor(packed, color);
  return read;
}

bool GetRegistryString(RegistryKey* key, const char* name, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return false;
  std::string text;
  bool read = GetRegistryCString(key, name, text);
  if (read) {
    size_t length = Utf8CutLength(text.c_str(), text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
  }
  buffer[size - 1] = '\0';
  return read;
}

bool GetRegistryCString(RegistryKey* key, const char* name, std::string& value) {
  if (!detail_Registry::CanRead(key, name)) return false;
  return key->Store().GetString(key->Path(), name, value);
}

uint32_t PackRegistryColor(const float color[3]) {
  return static_cast<uint32_t>(detail_Registry::ColorByte(color[0])) |
         (static_cast<uint32_t>(detail_Registry::ColorByte(color[1])) << 8) |
         (static_cast<uint32_t>(detail_Registry::ColorByte(color[2])) << 16);
}

void UnpackRegistryColor(uint32_t packed, float color[3]) {
  for (int i = 0; i < 3; ++i) {
    uint32_t byte = (packed >> (8 * i)) & detail_Registry::kByteMask;
    color[i] = static_cast<float>(byte / detail_Registry::kColorScale);
  }
}

}  // namespace corvia
