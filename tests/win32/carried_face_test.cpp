// The stand-in face travels inside vorthane.scr: the program registers its copy for itself, and
// GDI then finds it by its family name. (Under wine the build machine's own copy is listed among
// the installed fonts too and cannot be hidden from a process: the two are the same file.)
#include <gtest/gtest.h>

#include "host/drawing/caption_layout.hpp"
#include "host/win32/gdi_measurer.hpp"
#include "tests/win32/saver_process.hpp"

namespace win32test {
namespace {

constexpr int kStandInFaceResource = 2;

TEST(CarriedFace, RegistersAndIsFoundByItsFamily) {
  {
    // This test program carries no face.
    host::win32::GdiMeasurer none(GetModuleHandleW(nullptr), kStandInFaceResource);
    EXPECT_FALSE(none.CarriedFaceLoaded());
    EXPECT_EQ(none.OpenFace("No Such Family Anywhere", 16), host::drawing::kNoFace);
  }
  const HMODULE saver = LoadLibraryExW(SaverPath().c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(saver, nullptr);
  {
    host::win32::GdiMeasurer carried(saver, kStandInFaceResource);
    EXPECT_TRUE(carried.CarriedFaceLoaded());
    const host::drawing::FaceId face = carried.OpenFace(host::drawing::kStandInFamily, 16);
    ASSERT_NE(face, host::drawing::kNoFace);
    EXPECT_TRUE(carried.HasGlyph(face, U'V'));
    EXPECT_GT(carried.Advance(face, U"VORTHANE"), 60);
    EXPECT_GT(carried.Metrics(face).ascent, 8);
  }
  FreeLibrary(saver);
}

}  // namespace
}  // namespace win32test
