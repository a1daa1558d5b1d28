// vorthane_x11_probe: measurements on a running X display for the daemon test and the
// benchmark. DISPLAY names the display.
//   wait-banner MS               exit 0 once the banner shows where the scene puts it
//   wait-banner-at X Y MS        the same for a scene whose window starts at X,Y
//   bench-saver SECONDS CMD...   start CMD, time exec to first frame, run, then two pointer
//                                moves and time them to exit; CPU and peak RSS
//   bench-hack SECONDS CMD...    start CMD, run, SIGTERM; CPU and peak RSS
//   pointer-hidden MS            exit 0 once the pointer is invisible (the Windows tests ask)
//   pointer-shown MS             exit 0 once it is visible again
// Both report the resident memory near the end of the run, and how much of it is the program's
// own (resident minus the pages of shared libraries).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/drawing/bmp_image.hpp"
#include "tests/x11/child_process.hpp"
#include "tests/x11/screen_probe.hpp"
#include "vorthane/assets.hpp"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBannerX = 104;
constexpr int kBannerY = 288;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Whether this part of the banner (in banner pixels) is on the screen, pixel for pixel.
bool BannerPartOnScreen(Display* display, const host::drawing::RgbImage& banner, int originX,
                        int originY, int left, int top, int width, int height) {
  XImage* image = XGetImage(display, DefaultRootWindow(display), originX + kBannerX + left,
                            originY + kBannerY + top, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  bool same = true;
  for (int y = 0; same && y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if ((XGetPixel(image, x, y) & 0xFFFFFF) !=
          banner.pixels[static_cast<std::size_t>((top + y) * banner.width + left + x)]) {
        same = false;
        break;
      }
    }
  }
  XDestroyImage(image);
  return same;
}

// A look at a small patch from the middle of the banner first: grabbing the whole banner every
// millisecond would keep the X server busy and delay the very program being timed.
bool BannerOnScreen(Display* display, const host::drawing::RgbImage& banner, int originX = 0,
                    int originY = 0) {
  if (!BannerPartOnScreen(display, banner, originX, originY, banner.width / 2 - 8,
                          banner.height / 2 - 8, 16, 16)) {
    return false;
  }
  XImage* image = XGetImage(display, DefaultRootWindow(display), originX + kBannerX,
                            originY + kBannerY, static_cast<unsigned>(banner.width),
                            static_cast<unsigned>(banner.height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  bool same = true;
  for (int y = 0; same && y < banner.height; ++y) {
    for (int x = 0; x < banner.width; ++x) {
      if ((XGetPixel(image, x, y) & 0xFFFFFF) !=
          banner.pixels[static_cast<std::size_t>(y * banner.width + x)]) {
        same = false;
        break;
      }
    }
  }
  XDestroyImage(image);
  return same;
}

// Resident kB in all, and in mappings that are not shared libraries, from /proc/PID/smaps.
struct Resident {
  long totalKb = 0;
  long ownKb = 0;
};

Resident ResidentOf(pid_t pid) {
  std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
  Resident r;
  bool library = false;
  for (std::string line; std::getline(smaps, line);) {
    std::istringstream fields(line);
    std::string first;
    fields >> first;
    if (first == "Rss:") {
      long kb = 0;
      fields >> kb;
      r.totalKb += kb;
      if (!library) r.ownKb += kb;
    } else if (first.find('-') != std::string::npos && first.back() != ':') {
      // A mapping's header: address range, permissions, offset, device, inode, path.
      std::string perms, offset, device, inode, path;
      fields >> perms >> offset >> device >> inode >> path;
      library = path.find(".so") != std::string::npos;
    }
  }
  return r;
}

std::vector<std::string> Command(int argc, char** argv, int from) {
  return std::vector<std::string>(argv + from, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs(
        "usage: vorthane_x11_probe wait-banner MS | wait-banner-at X Y MS | bench-saver S CMD... |"
        " bench-hack S CMD... | pointer-hidden MS | pointer-shown MS\n",
        stderr);
    return 2;
  }
  const std::unique_ptr<Display, int (*)(Display*)> connection(XOpenDisplay(nullptr),
                                                               XCloseDisplay);
  Display* display = connection.get();
  if (display == nullptr) return 2;
  const std::string mode = argv[1];
  const host::drawing::RgbImage banner = host::drawing::DecodeBmp24(assets::kBannerBmp);

  if (mode == "wait-banner" || (mode == "wait-banner-at" && argc == 5)) {
    const bool at = mode == "wait-banner-at";
    const int x = at ? std::atoi(argv[2]) : 0;
    const int y = at ? std::atoi(argv[3]) : 0;
    const auto start = Clock::now();
    const bool shown = x11test::WaitFor([&] { return BannerOnScreen(display, banner, x, y); },
                                        std::chrono::milliseconds(std::atoi(argv[at ? 4 : 2])));
    std::printf("%s after %.0f ms\n", shown ? "banner shown" : "no banner",
                Ms(Clock::now() - start));
    return shown ? 0 : 1;
  }

  if (mode == "pointer-hidden" || mode == "pointer-shown") {
    const bool wantHidden = mode == "pointer-hidden";
    const bool reached =
        x11test::WaitFor([&] { return x11test::PointerInvisible(display) == wantHidden; },
                         std::chrono::milliseconds(std::atoi(argv[2])));
    std::printf("pointer %s\n", x11test::PointerInvisible(display) ? "hidden" : "shown");
    return reached ? 0 : 1;
  }

  const auto runFor = std::chrono::seconds(std::atoi(argv[2]));
  if (argc < 4) return 2;
  const std::map<std::string, std::string> env{{"XSCREENSAVER_WINDOW", ""}};
  if (mode == "bench-saver") {
    const auto exec = Clock::now();
    x11test::ChildProcess saver(Command(argc, argv, 3), env);
    // Look every millisecond: a busy loop of screen grabs would hold the X server and delay the
    // saver's own connection, which is what is being measured.
    while (!BannerOnScreen(display, banner) && Clock::now() - exec < std::chrono::seconds(10)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double firstFrameMs = Ms(Clock::now() - exec);
    std::this_thread::sleep_for(runFor - (Clock::now() - exec));
    const Resident resident = ResidentOf(saver.pid());
    // The first move only records the position; the second ends the saver.
    const Window root = DefaultRootWindow(display);
    XWarpPointer(display, None, root, 0, 0, 0, 0, 700, 700);
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto input = Clock::now();
    XWarpPointer(display, None, root, 0, 0, 0, 0, 760, 760);
    XFlush(display);
    const std::optional<int> status = saver.WaitExit(std::chrono::seconds(5));
    const double inputToExitMs = Ms(Clock::now() - input);
    std::printf(
        "first_frame_ms=%.1f input_to_exit_ms=%.1f cpu_s=%.3f peak_rss_kb=%ld rss_kb=%ld "
        "own_kb=%ld status=%d\n",
        firstFrameMs, inputToExitMs, saver.CpuSeconds(), saver.PeakRssKb(), resident.totalKb,
        resident.ownKb, status.value_or(-999));
    return status == 0 ? 0 : 1;
  }
  if (mode == "bench-hack") {
    x11test::ChildProcess hack(Command(argc, argv, 3), env);
    std::this_thread::sleep_for(runFor - std::chrono::milliseconds(200));
    const Resident resident = ResidentOf(hack.pid());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    hack.Signal(SIGTERM);
    const std::optional<int> status = hack.WaitExit(std::chrono::seconds(5));
    std::printf("cpu_s=%.3f peak_rss_kb=%ld rss_kb=%ld own_kb=%ld status=%d\n", hack.CpuSeconds(),
                hack.PeakRssKb(), resident.totalKb, resident.ownKb, status.value_or(-999));
    return status.has_value() ? 0 : 1;
  }
  return 2;
}
