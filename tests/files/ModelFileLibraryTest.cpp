// Every library model that builds, saved and opened again in both forms of the model
// file, is the same model: counts, positions to the bit, colours, names, origin and
// face types.

#include <gtest/gtest.h>

#include <string>

#include "construction/ModelLookup.h"
#include "files/ModelFile.h"
#include "tests/files/ModelFileTestSupport.h"

TEST(ModelFileLibraryTest, EveryLibraryModelComesBackTheSameInBothForms) {
  using namespace test_ModelFile;
  const std::filesystem::path folder = corvia::testing::ScratchDir("library");
  auto& messages = corvia::testing::Platform().messages;
  int built = 0;
  for (int index = 0; index < corvia::GetNumLibraryEntries(); ++index) {
    messages.Clear();
    LibraryModel original;
    if (!original.Build(index)) continue;
    ++built;
    for (int form : {corvia::kModelFileAscii, corvia::kModelFileBinary}) {
      const std::string what = std::to_string(index) + " " + Text(original.poly.mName) +
                               (form == corvia::kModelFileAscii ? " (ASCII)" : " (BINARY)");
      const std::string path = (folder / ("model" + std::to_string(index) + ".corv")).string();
      messages.Clear();
      ASSERT_TRUE(corvia::WriteModelFile(path.c_str(), form, original.poly)) << what;
      TestDocument document;
      ASSERT_TRUE(corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain)) << what;
      EXPECT_TRUE(messages.Boxes().empty())
          << what << ": " << (messages.Boxes().empty() ? "" : messages.Boxes()[0].text);
      ExpectSameModel(original.poly, document.mPoly, what);
    }
  }
  // The library's own tests say which records build; most do.
  EXPECT_GT(built, 150);
}
