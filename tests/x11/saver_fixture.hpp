// A private display per test and the saver started on it, with the scene's known places.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/drawing/bmp_image.hpp"
#include "tests/x11/child_process.hpp"
#include "tests/x11/screen_probe.hpp"
#include "tests/x11/x_server.hpp"

namespace x11test {

// Where the scene puts things, in pixels (twips / 15).
inline constexpr Box kBannerBox{104, 288, 804, 204};
inline constexpr Box kLabel1Box{8, 8, 169, 17};
inline constexpr Box kOtherLabelBoxes[] = {
    {264, 8, 105, 33}, {432, 8, 105, 33}, {616, 8, 41, 17}, {768, 8, 113, 17}};

// A window id as the daemons write it: "0x" and hex digits.
inline std::string Hex(Window w) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", w);
  return text;
}

class SaverTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts vorthane with these arguments; XSCREENSAVER_WINDOW is unset unless env sets it.
  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& args,
                                      std::map<std::string, std::string> env = {});
  // Runs xdotool on the private display.
  void Xdotool(const std::vector<std::string>& args);
  // Waits until the screen shows the whole banner where it belongs.
  bool WaitForBanner(std::chrono::milliseconds limit = std::chrono::seconds(10));
  bool BannerShown(const Shot& shot, int offsetX = 0, int offsetY = 0) const;
  // Mapped top-level windows titled `title`.
  std::vector<Window> TopLevelTitled(const std::string& title);
  // A plain window of another client, as a preview host.
  Window CreateHostWindow(int width, int height, long eventMask = 0);

  std::unique_ptr<XServer> server_;
  Display* display_ = nullptr;
  Window root_ = 0;
  host::drawing::RgbImage banner_;
};

}  // namespace x11test
