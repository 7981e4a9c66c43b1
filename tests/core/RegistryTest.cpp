#include "core/Registry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "platform/SettingsStore.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

// A store of its own in a scratch folder, installed as the process-wide one.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mFile = testing::ScratchDir("registry") / "settings.conf";
    Restart();
  }
  void TearDown() override { platform::SettingsStore::InstallInstance(mPrevious); }
  // Drops the store and reads the file into a new one, as the next run would.
  void Restart() {
    auto fresh = std::make_unique<platform::SettingsStore>(mFile);
    fresh->Load();
    platform::SettingsStore* previous = platform::SettingsStore::InstallInstance(fresh.get());
    if (!mStore) mPrevious = previous;
    mStore = std::move(fresh);
  }

  std::filesystem::path mFile;
  std::unique_ptr<platform::SettingsStore> mStore;
  platform::SettingsStore* mPrevious = nullptr;
};

TEST(RegistryKeyName, CompanyProfileSectionAndSubKey) {
  std::string name;
  ASSERT_TRUE(MakeRegistryKeyName(TheRegistryApp(), name, "Settings", "Columns"));
  EXPECT_EQ(name, "Software\\CorviaSoft\\Corvia\\Settings\\Columns");
  ASSERT_TRUE(MakeRegistryKeyName(TheRegistryApp(), name, nullptr, nullptr));
  EXPECT_EQ(name, "Software\\CorviaSoft\\Corvia");
  RegistryApp none;
  EXPECT_FALSE(MakeRegistryKeyName(none, name, "Settings", nullptr));
  EXPECT_EQ(OpenRegistryKeyForRead(none, "Settings", nullptr), nullptr);
  EXPECT_EQ(OpenRegistryKeyForWrite(none, "Settings", nullptr), nullptr);
}

// A save that fails is given back once, to Close, or kept for the program when the key
// was dropped unclosed; no box is shown by the key.
TEST_F(RegistryTest, AFailedSaveIsGivenBackOnce) {
  mStore->beforeRename = [](const std::filesystem::path&) { return false; };
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), "Settings", nullptr);
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(key->Close().done());  // nothing written yet
  ASSERT_TRUE(SetRegistryInt(key.get(), "Count", 1));
  const Outcome closed = key->Close();
  EXPECT_EQ(closed.kind(), Outcome::Kind::kFailed);
  EXPECT_FALSE(closed.text().empty());
  EXPECT_TRUE(key->Close().done());
  ASSERT_TRUE(SetRegistryInt(key.get(), "Count", 2));
  key.reset();
  const Outcome unheard = TakeUnheardRegistryFailure();
  EXPECT_EQ(unheard.kind(), Outcome::Kind::kFailed);
  EXPECT_EQ(unheard.text(), closed.text());
  EXPECT_TRUE(TakeUnheardRegistryFailure().done());
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
  mStore->beforeRename = nullptr;
}

TEST_F(RegistryTest, EveryKindSurvivesARestart) {
  const float color[3] = {1.0f, 0.5f, 0.0f};
  {
    RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), "Settings", nullptr);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(SetRegistryBool(key.get(), "Flag", true));
    EXPECT_TRUE(SetRegistryInt(key.get(), "Count", -123456));
    EXPECT_TRUE(SetRegistryFloat(key.get(), "Scale", 0.1));
    EXPECT_TRUE(SetRegistryColor(key.get(), "Colour", color));
    EXPECT_TRUE(SetRegistryString(key.get(), "Name", "Gr\xC3\xBC\xC3\x9F"));
    EXPECT_FALSE(SetRegistryString(key.get(), "Nothing", nullptr));
  }  // closing saves
  Restart();
  RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), "Settings", nullptr);
  ASSERT_NE(key, nullptr);
  bool flag = false;
  int count = 0;
  double scale = 0.0;
  float read[3] = {0, 0, 0};
  std::string name;
  EXPECT_TRUE(GetRegistryBool(key.get(), "Flag", flag));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(GetRegistryInt(key.get(), "Count", count));
  EXPECT_EQ(count, -123456);
  EXPECT_TRUE(GetRegistryFloat(key.get(), "Scale", scale));
  EXPECT_EQ(scale, static_cast<double>(0.1f));
  EXPECT_TRUE(GetRegistryColor(key.get(), "Colour", read));
  EXPECT_EQ(read[0], 1.0f);
  EXPECT_EQ(read[1], 128.0f / 255.0f);
  EXPECT_EQ(read[2], 0.0f);
  EXPECT_TRUE(GetRegistryCString(key.get(), "Name", name));
  EXPECT_EQ(name, "Gr\xC3\xBC\xC3\x9F");
  uint32_t packed = 0;
  EXPECT_TRUE(mStore->GetNumber(key->Path(), "Colour", packed));
  EXPECT_EQ(packed, 0x000080FFu);
  EXPECT_FALSE(SetRegistryInt(key.get(), "Count", 1)) << "a key opened for reading";
}

TEST_F(RegistryTest, MissingValuesLeaveDefaultsWithTheStoredRounding) {
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), "Settings", nullptr);
  ASSERT_NE(key, nullptr);
  bool flag = true;
  int count = 42;
  double scale = 0.1;
  float color[3] = {0.25f, 0.5f, 0.75f};
  std::string text = "default";
  char buffer[8] = "keep";
  EXPECT_FALSE(GetRegistryBool(key.get(), "Missing", flag));
  EXPECT_FALSE(GetRegistryInt(key.get(), "Missing", count));
  EXPECT_FALSE(GetRegistryFloat(key.get(), "Missing", scale));
  EXPECT_FALSE(GetRegistryColor(key.get(), "Missing", color));
  EXPECT_FALSE(GetRegistryCString(key.get(), "Missing", text));
  EXPECT_FALSE(GetRegistryString(key.get(), "Missing", buffer, sizeof buffer));
  EXPECT_TRUE(flag);
  EXPECT_EQ(count, 42);
  EXPECT_EQ(scale, static_cast<double>(0.1f));
  EXPECT_EQ(color[0], 64.0f / 255.0f);
  EXPECT_EQ(color[1], 128.0f / 255.0f);
  EXPECT_EQ(color[2], 191.0f / 255.0f);
  EXPECT_EQ(text, "default");
  EXPECT_STREQ(buffer, "keep");
  // With no key at all every read leaves its default.
  EXPECT_EQ(OpenRegistryKeyForRead(TheRegistryApp(), "NoSuchSection", nullptr), nullptr);
  EXPECT_FALSE(GetRegistryInt(nullptr, "Count", count));
  EXPECT_EQ(count, 42);
}

TEST_F(RegistryTest, ValueOfAnotherKindCountsAsMissing) {
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), "Settings", nullptr);
  ASSERT_TRUE(SetRegistryString(key.get(), "Count", "17"));
  ASSERT_TRUE(SetRegistryInt(key.get(), "Text", 0x41424344));
  ASSERT_TRUE(mStore->SetBinary(key->Path(), "Short", {1, 2}));
  int count = 5;
  bool flag = false;
  std::string text = "old";
  EXPECT_FALSE(GetRegistryInt(key.get(), "Count", count));
  EXPECT_FALSE(GetRegistryBool(key.get(), "Short", flag));
  EXPECT_FALSE(GetRegistryCString(key.get(), "Text", text));
  EXPECT_EQ(count, 5);
  EXPECT_FALSE(flag);
  EXPECT_EQ(text, "old");
}

TEST_F(RegistryTest, StringBufferIsCutAndAlwaysEnded) {
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), "Settings", "Sub");
  ASSERT_TRUE(SetRegistryString(key.get(), "Long", "abcdefghij"));
  ASSERT_TRUE(SetRegistryString(key.get(), "Wide", "ab\xC3\xA9"));
  char buffer[5];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_TRUE(GetRegistryString(key.get(), "Long", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "abcd");
  char narrow[4];
  EXPECT_TRUE(GetRegistryString(key.get(), "Wide", narrow, sizeof narrow));
  EXPECT_STREQ(narrow, "ab") << "never half a character";
  char untouched = 'q';
  EXPECT_FALSE(GetRegistryString(key.get(), "Long", &untouched, 0));
  EXPECT_EQ(untouched, 'q');
  std::string longText(1000, 'z');
  ASSERT_TRUE(SetRegistryString(key.get(), "VeryLong", longText.c_str()));
  std::string back;
  EXPECT_TRUE(GetRegistryCString(key.get(), "VeryLong", back));
  EXPECT_EQ(back, longText);
}

TEST(RegistryColor, ComponentsOutOfRangeStayInTheirByte) {
  const float wild[3] = {1.5f, -0.2f, 0.5f};
  EXPECT_EQ(PackRegistryColor(wild), 0x008000FFu);
}

}  // namespace
}  // namespace corvia
