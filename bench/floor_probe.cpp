// The floor under the saver's CPU: exactly the frames a saver needs and nothing else. A
// full-screen window, and 21.33 times a second, on absolute deadlines, one label-sized copy
// (169 x 17) from a pixmap to the window and a flush. Runs until the given seconds have passed
// or a signal ends it.
//   vorthane_floor_probe SECONDS
#include <X11/Xlib.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::int64_t kFrameNs = 46'875'000;  // three ticks of 15.625 ms
constexpr unsigned kLabelWidth = 169;
constexpr unsigned kLabelHeight = 17;

std::int64_t NowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: vorthane_floor_probe SECONDS\n", stderr);
    return 2;
  }
  const std::int64_t runNs = std::int64_t{std::atoi(argv[1])} * 1'000'000'000;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = BlackPixel(display, screen);
  const Window window =
      XCreateWindow(display, root, 0, 0, static_cast<unsigned>(DisplayWidth(display, screen)),
                    static_cast<unsigned>(DisplayHeight(display, screen)), 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
  XGCValues values{};
  values.graphics_exposures = False;
  const GC gc = XCreateGC(display, window, GCGraphicsExposures, &values);
  const Pixmap label = XCreatePixmap(display, window, kLabelWidth, kLabelHeight,
                                     static_cast<unsigned>(DefaultDepth(display, screen)));
  XSetForeground(display, gc, WhitePixel(display, screen));
  XFillRectangle(display, label, gc, 0, 0, kLabelWidth, kLabelHeight);
  XMapRaised(display, window);
  XSync(display, False);

  const std::int64_t start = NowNs();
  for (std::int64_t frame = 1;; ++frame) {
    const std::int64_t deadline = start + frame * kFrameNs;
    if (deadline - start > runNs) break;
    const timespec at{static_cast<time_t>(deadline / 1'000'000'000),
                      static_cast<long>(deadline % 1'000'000'000)};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
    // A line one pixel lower each frame, as the falling caption moves.
    XCopyArea(display, label, window, gc, 0, 0, kLabelWidth, kLabelHeight, 8,
              8 + static_cast<int>(frame % 180));
    XFlush(display);
  }
  XCloseDisplay(display);
  return 0;
}
