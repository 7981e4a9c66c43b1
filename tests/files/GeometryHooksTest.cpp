// The geometry's own hooks: every one that goes up a layer is installed, to the same
// answers however often the installer runs.

#include <gtest/gtest.h>

#include "construction/LibraryHooks.h"
#include "core/Units.h"
#include "files/GeometryHooks.h"
#include "files/ModelFile.h"
#include "model/ElementServices.h"
#include "model/Globals.h"
#include "nets/NetSettings.h"
#include "stellation/Faceting.h"

namespace corvia {

TEST(GeometryHooks, EveryHookIsInstalledAndInstallingAgainKeepsThem) {
  for (int round = 0; round < 2; ++round) {
    InstallGeometryHooks();
    // Each setter hands back what was installed; putting that back leaves it as it was.
    const ModelFileReader reader = SetModelFileReader(nullptr);
    EXPECT_EQ(reader, &ReadModelFileAsSimplePoly);
    SetModelFileReader(reader);
    const UnitsModelHooks units = SetUnitsModelHooks({});
    EXPECT_EQ(units.scaleChanged, &RefreshCurrentNetsAfterScaleChange);
    EXPECT_EQ(units.allowsSingleColorPages, &CurrentModelAllowsSingleColorPages);
    SetUnitsModelHooks(units);
    const FacetPreviewQuery preview = SetFacetPreviewQuery(nullptr);
    EXPECT_EQ(preview, &PreviewPointOf);
    SetFacetPreviewQuery(preview);
  }
}

}  // namespace corvia
