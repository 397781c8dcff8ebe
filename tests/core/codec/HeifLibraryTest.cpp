// Quorel — SPDX-License-Identifier: MIT
#include <dlfcn.h>
#include <gtest/gtest.h>
#include "codec/ImportPicture.h"
#include "codec/heif/HeifLibrary.h"
#include "support/TestData.h"
namespace quorel {
// Loaded by the first HEIF picture, not with the program nor by another format (its decoders build their tables as
// it loads); a missing library, or one without libheif's functions, is refused.
TEST(HeifLibrary, IsLoadedByTheFirstHeifPictureOnlyAndRefusedWhenUnusable) {
  ASSERT_TRUE(ReadPictureFile(test::DataPath("png/rgb8.png")));
  EXPECT_EQ(dlopen(QUOREL_HEIF_SONAME, RTLD_NOW | RTLD_NOLOAD), nullptr);
  ASSERT_TRUE(ReadPictureFile(test::DataPath("heif/colour.heic")));
  EXPECT_NE(dlopen(QUOREL_HEIF_SONAME, RTLD_NOW | RTLD_NOLOAD), nullptr);
  for (const char* name : {"libquorel-absent.so.0", "libm.so.6"})
    EXPECT_EQ(HeifLibrary::Load(name).status(), Status::kHeifLibrary) << name;
}
}  // namespace quorel
