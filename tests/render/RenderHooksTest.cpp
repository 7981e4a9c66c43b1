// The renderer's hooks: installed by InstallRenderHooks whether or not a pane exists,
// and the same ones again when it runs again.

#include <gtest/gtest.h>

#include "core/FaceImageRef.h"
#include "core/Progress.h"
#include "render/RenderHooks.h"

namespace {

using namespace corvia;

TEST(RenderHooks, FaceImagesGetTheRenderersPicturesAndTheProgressCodeAskedWhetherAPaneDraws) {
  InstallRenderHooks();
  FaceImageTextures* renderers = InstallFaceImageTextures(nullptr);
  ASSERT_NE(renderers, nullptr);
  // Again, after a stand-in (or none) took the place: the renderer's side comes back.
  InstallRenderHooks();
  EXPECT_EQ(InstallFaceImageTextures(renderers), renderers);

  DrawingContextQuery query = SetDrawingContextQuery(nullptr);
  ASSERT_NE(query, nullptr);
  EXPECT_FALSE(query());  // no pane draws outside a paint or a GL section
  SetDrawingContextQuery(query);
}

}  // namespace
