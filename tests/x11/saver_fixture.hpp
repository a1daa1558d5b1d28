// A private display per test and the saver started on it, with the scene's known places.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
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

// What another client sees of the screen: windows created or mapped on the root, the pointer.
class ScreenWatch {
 public:
  explicit ScreenWatch(Display* display) : display_(display), root_(DefaultRootWindow(display)) {
    XSelectInput(display_, root_, SubstructureNotifyMask);
    position_ = PointerPosition();
  }
  ~ScreenWatch() { XSelectInput(display_, root_, NoEventMask); }
  // True when no other client created or mapped a window on the root since the start.
  bool NoWindowAppeared() {
    XSync(display_, False);
    XEvent event;
    bool none = true;
    while (XCheckMaskEvent(display_, SubstructureNotifyMask, &event)) {
      if (event.type == CreateNotify || event.type == MapNotify) none = false;
    }
    return none;
  }
  bool PointerUntouched() { return PointerPosition() == position_ && !PointerInvisible(display_); }

 private:
  std::pair<int, int> PointerPosition() {
    Window rootReturn = 0;
    Window child = 0;
    int x = 0;
    int y = 0;
    int wx = 0;
    int wy = 0;
    unsigned mask = 0;
    XQueryPointer(display_, root_, &rootReturn, &child, &x, &y, &wx, &wy, &mask);
    return {x, y};
  }
  Display* display_;
  Window root_;
  std::pair<int, int> position_;
};

// Ends with status 1 and exactly one line holding `fragment`, having shown nothing.
inline void ExpectRefused(ChildProcess& saver, ScreenWatch& watch, const std::string& fragment) {
  const std::optional<int> status = saver.WaitExit(std::chrono::seconds(5));
  ASSERT_TRUE(status.has_value()) << "still running";
  EXPECT_EQ(*status, 1);
  const std::string error = saver.Stderr();
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  EXPECT_LT(error.size(), 200u) << "the line stays readable";
  EXPECT_NE(error.find(fragment), std::string::npos) << error;
  EXPECT_TRUE(watch.NoWindowAppeared()) << "a window was shown";
  EXPECT_TRUE(watch.PointerUntouched());
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

  // The private server's screen depth and further arguments, set before SetUp.
  int depth_ = 24;
  std::vector<std::string> serverArgs_;
  std::unique_ptr<XServer> server_;
  Display* display_ = nullptr;
  Window root_ = 0;
  host::drawing::RgbImage banner_;
};

}  // namespace x11test
