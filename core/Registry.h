#pragma once
// Typed settings under the user's key of the program: bools, ints, floats and
// colours stored as 32-bit numbers, texts as strings, all kept in the program's
// settings store. Every read leaves the caller's variable as it was when the value
// is missing, so each setting is first set to its default and then read. A value
// stored with another kind (a text where a number is expected) counts as missing.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/Outcome.h"

namespace corvia {

namespace platform {
class SettingsStore;
}

// The application's names for its settings: the company key and the profile name.
struct RegistryApp {
  const char* registryKey = nullptr;  // "CorviaSoft"; none means no settings are kept
  const char* profileName = nullptr;  // "Corvia"
};

constexpr const char* kRegistryCompanyKey = "CorviaSoft";
constexpr const char* kRegistryProfileName = "Corvia";

// The program's own names.
const RegistryApp& TheRegistryApp();

// An open key. Closing a key that was written saves the store, so the values
// survive the program; a failed save is given back once, to the caller of Close. A
// written key dropped without Close is saved then, and a failure there is kept for
// the program to tell (TakeUnheardRegistryFailure).
class RegistryKey {
 public:
  RegistryKey(platform::SettingsStore& store, std::string path, bool writable);
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  const std::string& Path() const { return mPath; }
  bool IsWritable() const { return mWritable; }
  platform::SettingsStore& Store() const { return mStore; }
  void MarkChanged() { mChanged = true; }
  // Saves when something was written: done when nothing needed saving or the save
  // worked, else failed with the store's words, naming the file.
  [[nodiscard]] Outcome Close();

 private:
  platform::SettingsStore& mStore;
  std::string mPath;
  bool mWritable = false;
  bool mChanged = false;
};

using RegistryKeyPtr = std::unique_ptr<RegistryKey>;

// The failed save of a key dropped without Close, which no caller heard, once; done
// when there is none.
Outcome TakeUnheardRegistryFailure();

// "Software\\<company>\\<profile>", then "\\<section>" when a section is given and
// "\\<subKey>" when a sub-key is given. False when the application keeps no settings.
bool MakeRegistryKeyName(const RegistryApp& app, std::string& keyName, const char* section, const char* subKey);

// None when the name cannot be made or the key does not exist.
RegistryKeyPtr OpenRegistryKeyForRead(const RegistryApp& app, const char* section, const char* subKey);
// The key, created when missing; none when the name cannot be made.
RegistryKeyPtr OpenRegistryKeyForWrite(const RegistryApp& app, const char* section, const char* subKey);

// Writes: true on success; false for no key, a key opened for reading only, or a
// name the store refuses.
bool SetRegistryBool(RegistryKey* key, const char* name, bool value);
bool SetRegistryInt(RegistryKey* key, const char* name, int value);
bool SetRegistryFloat(RegistryKey* key, const char* name, double value);
// The colour packed as 0x00BBGGRR, red in the lowest byte.
bool SetRegistryColor(RegistryKey* key, const char* name, const float color[3]);
// False for no text.
bool SetRegistryString(RegistryKey* key, const char* name, const char* text);

// Reads: true when the value was read.
bool GetRegistryBool(RegistryKey* key, const char* name, bool& value);
bool GetRegistryInt(RegistryKey* key, const char* name, int& value);
// The variable comes back at float precision, read or not.
bool GetRegistryFloat(RegistryKey* key, const char* name, double& value);
// The colour comes back rounded to multiples of 1/255, read or not.
bool GetRegistryColor(RegistryKey* key, const char* name, float color[3]);
// The text, cut to size - 1 bytes on a character boundary; the last byte of the
// buffer is always a zero (nothing is touched for a buffer of size 0).
bool GetRegistryString(RegistryKey* key, const char* name, char* buffer, size_t size);
// The whole text, however long.
bool GetRegistryCString(RegistryKey* key, const char* name, std::string& value);

// Packing of colours into 32 bits and back (each byte times 1/255).
uint32_t PackRegistryColor(const float color[3]);
void UnpackRegistryColor(uint32_t packed, float color[3]);

}  // namespace corvia
