#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "core/Globals.h"
#include "core/Strings.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "tests/model/PolyModels.h"
#include "tests/support/TestSupport.h"

namespace {

class ShowsOneModel : public corvia::DocumentAccess {
 public:
  corvia::Poly* model = nullptr;
  corvia::Poly* GetCurrentPoly() override { return model; }
};

TEST(GlobalsTest, DocumentAccessorsAnswerNullWithoutADocument) {
  EXPECT_EQ(corvia::GetCurrentPoly(), nullptr);
  EXPECT_EQ(corvia::GetCurrentModel3D(), nullptr);
  ShowsOneModel document;
  corvia::Poly cube;
  document.model = &cube;
  corvia::DocumentAccess* previous = corvia::InstallDocumentAccess(&document);
  EXPECT_EQ(corvia::GetCurrentPoly(), &cube);
  EXPECT_EQ(corvia::GetCurrentModel3D(), nullptr);  // no nets built
  EXPECT_EQ(corvia::InstallDocumentAccess(previous), &document);
  EXPECT_EQ(corvia::GetCurrentPoly(), nullptr);
}

TEST(GlobalsTest, ValueIndexListGrowsFromTenByDoubling) {
  corvia::ValueIndexList list;
  for (int i = 0; i < 11; ++i) EXPECT_EQ(list.FindOrAdd(100 - i), i);
  EXPECT_EQ(list.mCapacity, 20);
  EXPECT_EQ(list.FindOrAdd(95), 5);
  EXPECT_EQ(list.mCount, 11);
}

TEST(GlobalsTest, PointBlockChainsOfAnyLengthAreFreed) {
  corvia::PointBlock* chain = nullptr;
  for (int i = 0; i < 200000; ++i) chain = new corvia::PointBlock(i % 3, chain);
  EXPECT_EQ(chain->mWord1, 0);
  corvia::PointBlock::FreeChain(chain);  // iterative: no deep recursion
  corvia::PointBlock::FreeChain(nullptr);
}

TEST(GlobalsTest, HtmlColourTextIsClampedToTwoDigits) {
  const float orange[3] = {1.0f, 0.5f, 0.0f};
  EXPECT_STREQ(corvia::GetHtmlColorText(orange), "#ff8000");
  const float uncoloured[3] = {-1.0f, 2.0f, 0.25f};
  EXPECT_STREQ(corvia::GetHtmlColorText(uncoloured), "#00ff40");
}

bool PickRed(int* bytes) {
  bytes[0] = 255;
  bytes[1] = 0;
  bytes[2] = 0;
  return true;
}
bool Cancel(int*) { return false; }

TEST(GlobalsTest, ColourChooser) {
  float colour[3] = {0.2f, 0.4f, 0.6f};
  corvia::ColorChooserFunction previous = corvia::SetColorChooser(Cancel);
  EXPECT_FALSE(corvia::ChooseColorDialog(colour));
  EXPECT_EQ(colour[0], 0.2f);
  corvia::SetColorChooser(PickRed);
  EXPECT_TRUE(corvia::ChooseColorDialog(colour));
  EXPECT_NEAR(colour[0], 1.0f, 1e-6);
  EXPECT_EQ(colour[2], 0.0f);
  corvia::SetColorChooser(nullptr);
  corvia::testing::ExpectInternalErrors(1);
  EXPECT_FALSE(corvia::ChooseColorDialog(colour));
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 1);
  corvia::SetColorChooser(previous);
}

TEST(GlobalsTest, TestProgramsAnswerTheColourChooserFromTheirScript) {
  // Nothing queued: the chooser is cancelled, never left waiting for a person.
  float colour[3] = {1.0f, 0.5f, 0.0f};
  EXPECT_FALSE(corvia::ChooseColorDialog(colour));
  EXPECT_EQ(colour[1], 0.5f);
  corvia::testing::QueueColorChoice(0, 51, 255);
  corvia::testing::QueueColorCancel();
  EXPECT_TRUE(corvia::ChooseColorDialog(colour));
  EXPECT_EQ(colour[0], 0.0f);
  EXPECT_NEAR(colour[1], 0.2f, 1e-6);
  EXPECT_EQ(colour[2], 1.0f);
  EXPECT_FALSE(corvia::ChooseColorDialog(colour));
  EXPECT_EQ(colour[2], 1.0f);
  // Each opening was preset to the colour then current.
  const auto& asked = corvia::testing::ColorChooserRequests();
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0], (std::array<int, 3>{255, 128, 0}));
  EXPECT_EQ(asked[2], (std::array<int, 3>{0, 51, 255}));
}

std::string Encode(std::string data, const char* key, int rounds, const char* prefix) {
  const int keyLength = key ? static_cast<int>(std::strlen(key)) : 0;
  char* text = corvia::EncodeForPHP(reinterpret_cast<uint8_t*>(data.data()), static_cast<int>(data.size()), rounds,
                                    reinterpret_cast<const uint8_t*>(key), keyLength, prefix);
  if (!text) return "(null)";
  std::string result = text;
  corvia::DeleteString(text);
  return result;
}

TEST(GlobalsTest, EncodeForPHPWritesSixBitCharacters) {
  EXPECT_EQ(Encode("abc", nullptr, 3, "v="), "v=om9z");
  EXPECT_EQ(Encode("ab", nullptr, 3, "v="), "v=om8");
  EXPECT_EQ(Encode("", nullptr, 1, "v="), "v=");
  EXPECT_EQ(Encode("\xff\xff\xff", nullptr, 0, ""), "____");
  // The key is ignored for no rounds.
  EXPECT_EQ(Encode("abc", "key", 0, ""), "om9z");
  // Scrambled: same length, other characters, the same every time.
  const std::string a = Encode("version=1.2&user=someone", "secret", 2, "d=");
  EXPECT_EQ(a.size(), 2u + (8 * 24 + 5) / 6);
  EXPECT_NE(a, Encode("version=1.2&user=someone", nullptr, 2, "d="));
  EXPECT_EQ(a, Encode("version=1.2&user=someone", "secret", 2, "d="));
  EXPECT_NE(a, Encode("version=1.2&user=someone", "secret", 1, "d="));
  for (int n = 2; n < 12; ++n) EXPECT_NE(Encode(std::string(n, 'x'), "k", 1, ""), "(null)");
}

TEST(GlobalsTest, EncodeForPHPRefusesTooLittleDataToScramble) {
  corvia::testing::ExpectInternalErrors(2);
  EXPECT_EQ(Encode("a", "key", 1, "p"), "(null)");
  EXPECT_EQ(Encode("", "key", 1, "p"), "(null)");
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 2);
}

TEST(GlobalsTest, RememberedPathsStartEmpty) {
  corvia::GetRememberedPath(0) = "/tmp/list.txt";
  EXPECT_EQ(corvia::GetRememberedPath(0), "/tmp/list.txt");
  corvia::ClearRememberedPaths();
  for (int i = 0; i < corvia::kNumRememberedPaths; ++i) EXPECT_TRUE(corvia::GetRememberedPath(i).empty());
}

}  // namespace
