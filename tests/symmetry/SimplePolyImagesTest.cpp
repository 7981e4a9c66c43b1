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
  cube->FaceAt(0).SetImage(image);
  cube->FaceAt(3).SetImage(image);
  cube->VertAt(5).SetImage(image);
  {
    auto copy = cube->CopyWithNames();
    FaceImage* copied = copy->FaceAt(0).Image();
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, image);
    EXPECT_EQ(copy->FaceAt(3).Image(), copied);
    EXPECT_EQ(copy->VertAt(5).Image(), copied);
    EXPECT_EQ(copy->FaceAt(1).Image(), nullptr);
    EXPECT_EQ(copied->GetUseCount(), 3);
    EXPECT_EQ(copied->mRotation, 0.25);
    EXPECT_EQ(image->GetUseCount(), 3);
    EXPECT_EQ(test_SimplePolyImages::CountImages(), before + 2);

    // A second copy does not share the first copy's image.
    auto again = cube->CopyWithNames();
    EXPECT_NE(again->FaceAt(0).Image(), copied);
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
  cube->FaceAt(1).SetImage(old);
  ClearFaceImageCopies();
  // The target's old image loses its only use; a source without an image leaves none.
  cube->FaceAt(1).CopyAttributes(cube->FaceAt(2));
  EXPECT_EQ(cube->FaceAt(1).Image(), nullptr);
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before);
}

TEST(SimplePolyImages, CombineCopiesTheImagesOfBothModels) {
  const int before = test_SimplePolyImages::CountImages();
  auto a = testmodels::MakeCubes({{0, 0, 0}}, 1);
  auto b = testmodels::MakeCubes({{5, 0, 0}}, 1);
  a->FaceAt(0).SetImage(test_SimplePolyImages::NewImage(1));
  b->FaceAt(2).SetImage(test_SimplePolyImages::NewImage(1));
  auto both = a->Combine(*b);
  ASSERT_NE(both->FaceAt(0).Image(), nullptr);
  ASSERT_NE(both->FaceAt(8).Image(), nullptr);
  EXPECT_NE(both->FaceAt(0).Image(), a->FaceAt(0).Image());
  EXPECT_NE(both->FaceAt(8).Image(), b->FaceAt(2).Image());
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before + 4);
  both.reset();
  a.reset();
  b.reset();
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before);
}

// The picture, label and opacity live in a record of their own, held only while one
// of them is set: clearing them, copying defaults over them or moving the element
// away lets go of it, and every way the picture leaves an element releases its use.
TEST(SimplePolyImages, ExtrasAreHeldOnlyWhileSetAndReleaseTheirImage) {
  const int before = test_SimplePolyImages::CountImages();
  SimplePoly poly(4, 1);
  SimpleVert& a = poly.VertAt(0);
  a.SetAlpha(1.0f);
  a.SetLabel(" ");
  a.SetImage(nullptr);
  EXPECT_FALSE(a.HasExtras());

  FaceImage* image = test_SimplePolyImages::NewImage(1);
  a.SetImage(image);
  a.SetLabel("a");
  a.SetAlpha(0.5f);
  ClearFaceImageCopies();
  poly.VertAt(1).CopyAttributes(a);
  FaceImage* copied = poly.VertAt(1).Image();
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->GetUseCount(), 1);
  EXPECT_EQ(poly.VertAt(1).Label(), "a");
  EXPECT_EQ(poly.VertAt(1).Alpha(), 0.5f);
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before + 2);

  // Cleared one by one: the picture's use goes with it, the record with the last.
  a.SetImage(nullptr);
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before + 1);
  a.SetLabel(nullptr);
  EXPECT_TRUE(a.HasExtras());
  a.SetAlpha(1.0f);
  EXPECT_FALSE(a.HasExtras());

  // Moved: the record goes along with the ring links, the source keeps none.
  poly.VertAt(1).coinc = 2;
  SimpleVert moved(std::move(poly.VertAt(1)));
  EXPECT_FALSE(poly.VertAt(1).HasExtras());
  EXPECT_EQ(moved.Image(), copied);
  EXPECT_EQ(moved.coinc, 2);
  poly.VertAt(3) = std::move(moved);
  EXPECT_EQ(poly.VertAt(3).Label(), "a");
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before + 1);

  // A move onto it or a copy of defaults over it releases the picture it held.
  poly.VertAt(2).SetImage(test_SimplePolyImages::NewImage(1));
  poly.VertAt(2) = std::move(poly.VertAt(0));
  EXPECT_FALSE(poly.VertAt(2).HasExtras());
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before + 1);
  poly.VertAt(3).CopyAttributes(poly.VertAt(2));
  EXPECT_FALSE(poly.VertAt(3).HasExtras());
  EXPECT_EQ(test_SimplePolyImages::CountImages(), before);
}

}  // namespace
}  // namespace corvia
