// Placed images on the elements of a plain model: shared by reference, copied once
// per model copy, released with the element.

#include <gtest/gtest.h>

#include "core/FaceImageRef.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SimplePolyTestModels.h"

namespace test_SimplePolyImages {

int CountImages() {
  int n = 0;
  for (corvia::ListNode* node = corvia::GetFaceImageList(); node; node = node->mNext) ++n;
  return n;
}

// An image without a picture, with the given number of uses handed out.
corvia::FaceImage* NewImage(int uses) {
  auto* image = new corvia::FaceImage(nullptr, corvia::kImageProjectPlanar, corvia::kImageBoundaryBorder);
  for (int i = 0; i < uses; ++i) image->AddUse();
  return image;
}

}  // namespace test_SimplePolyImages

namespace corvia {
namespace {

TEST(SimplePolyImages, CopyGivesOneOwnImagePerSourceImage) {
  const int before = test_SimplePolyImages::CountImages();
  auto cube = testmodels::MakeCubes({{0, 0, 0}}, 1);
  FaceImage* image = test_SimplePolyImages::NewImage(3);
  image->mRotation = 0.25;
  cube->FaceAt(0).image = image;
  cube->FaceAt(3).image = image;
  cube->VertAt(5).image = image;
  {
    auto copy = cube->CopyWithNames();
    FaceImage* copied = copy->FaceAt(0).image;
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, image);
    EXPECT_EQ(copy->FaceAt(3).image, copied);
    EXPECT_EQ(copy->VertAt(5).image, copied);
    EXPECT_EQ(copy->FaceAt(1).image, nullptr);
    EXPECT_EQ(copied->GetUseCount(), 3);
    EXPECT_EQ(copied->mRotation, 0.25);
    EXPECT_EQ(image->GetUseCount(), 3);
    EXPECT_EQ(test_SimplePolyImages::CountImages(), before + 2);

    // A second copy does not share the first copy's image.
    auto again = cube->CopyWithNames();
    EXPECT_NE(again->FaceAt(0).image, copied);
    EXPECT_EQ(test_SimplePolyImages::CountImages(), before + 3);
  }
  // Both copies released their images; the source keeps its own.
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before + 1);
  EXPECT_EQ(image->GetUseCount(), 3);
  cube.reset();
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before);
}

TEST(SimplePolyImages, CopyingAttributesReplacesTheTargetsImage) {
  const int before = test_SimplePolyImages::CountImages();
  auto cube = testmodels::MakeCubes({{0, 0, 0}}, 1);
  FaceImage* old = test_SimplePolyImages::NewImage(1);
  cube->FaceAt(1).image = old;
  ClearFaceImageCopies();
  // The target's old image loses its only use; a source without an image leaves none.
  cube->FaceAt(1).CopyAttributes(cube->FaceAt(2));
  EXPECT_EQ(cube->FaceAt(1).image, nullptr);
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before);
}

TEST(SimplePolyImages, CombineCopiesTheImagesOfBothModels) {
  const int before = test_SimplePolyImages::CountImages();
  auto a = testmodels::MakeCubes({{0, 0, 0}}, 1);
  auto b = testmodels::MakeCubes({{5, 0, 0}}, 1);
  a->FaceAt(0).image = test_SimplePolyImages::NewImage(1);
  b->FaceAt(2).image = test_SimplePolyImages::NewImage(1);
  auto both = a->Combine(*b);
  ASSERT_NE(both->FaceAt(0).image, nullptr);
  ASSERT_NE(both->FaceAt(8).image, nullptr);
  EXPECT_NE(both->FaceAt(0).image, a->FaceAt(0).image);
  EXPECT_NE(both->FaceAt(8).image, b->FaceAt(2).image);
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before + 4);
  both.reset();
  a.reset();
  b.reset();
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before);
}

}  // namespace
}  // namespace corvia
