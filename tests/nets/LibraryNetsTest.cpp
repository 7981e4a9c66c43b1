// The nets of every uniform polyhedron and every Johnson solid with stored data:
// every facelet in one net, no overlap inside a net, folding back onto the model,
// every cut glued by a tab with paired connection numbers, congruent net types.

#include <gtest/gtest.h>

#include <string>

#include "tests/nets/NetChecks.h"

namespace test_LibraryNets {

namespace n = corvia::testing::nets;

std::string Boxes() {
  std::string text;
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) text += "[" + box.title + ": " + box.text + "] ";
  return text;
}

void CheckRecord(int index) {
  corvia::testing::Platform().messages.Clear();
  std::unique_ptr<corvia::Poly> poly = n::BuildLibraryPoly(index);
  ASSERT_NE(poly, nullptr) << index << " " << Boxes();
  const std::string name = std::to_string(index) + " " + corvia::GetLibraryEntry(index)->mName;
  corvia::testing::Platform().messages.Clear();
  corvia::Model3D model(poly.get(), false);
  ASSERT_GT(model.GetNumFacelets(), 0) << name;
  EXPECT_EQ(model.GetNumFacelets(), poly->mFaces.mCount) << name;
  model.MakeNets();
  ASSERT_TRUE(model.HasNets()) << name;
  n::ExpectCover(model, name);
  n::ExpectNoOverlap(model, name);
  n::ExpectFoldsBack(model, name);
  n::ExpectGluing(model, name, true);
  n::ExpectSingleTabs(model, name);
  n::ExpectCongruentTypes(model, name);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().size(), 0u) << name << " " << Boxes();
}

}  // namespace test_LibraryNets

TEST(LibraryNets, EveryUniformPolyhedron) {
  for (int index : corvia::testing::nets::UniformRecords()) test_LibraryNets::CheckRecord(index);
}

TEST(LibraryNets, EveryJohnsonSolidWithData) {
  for (int index : corvia::testing::nets::JohnsonRecords()) test_LibraryNets::CheckRecord(index);
}
