#include "tests/x11/saver_fixture.hpp"

#include "vorthane/assets.hpp"

namespace x11test {
namespace {

int IgnoreXErrors(Display*, XErrorEvent*) {
  return 0;
}  // windows vanish while we look

}  // namespace

void SaverTest::SetUp() {
  XSetErrorHandler(IgnoreXErrors);
  server_ = std::make_unique<XServer>(1280, 1024, depth_, serverArgs_);
  display_ = server_->display();
  root_ = DefaultRootWindow(display_);
  banner_ = host::drawing::DecodeBmp24(assets::kBannerBmp);
  ASSERT_EQ(banner_.width, kBannerBox.width);
  ASSERT_EQ(banner_.height, kBannerBox.height);
}

void SaverTest::TearDown() {
  server_.reset();
}

std::unique_ptr<ChildProcess> SaverTest::Start(const std::vector<std::string>& args,
                                               std::map<std::string, std::string> env) {
  std::vector<std::string> argv{VORTHANE_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  env["DISPLAY"] = server_->name();
  env.emplace("XSCREENSAVER_WINDOW", "");
  return std::make_unique<ChildProcess>(argv, env);
}

void SaverTest::Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  ASSERT_EQ(RunToEnd(argv, {{"DISPLAY", server_->name()}}), 0);
}

bool SaverTest::BannerShown(const Shot& shot, int offsetX, int offsetY) const {
  if (shot.width < kBannerBox.x + offsetX + banner_.width ||
      shot.height < kBannerBox.y + offsetY + banner_.height) {
    return false;
  }
  for (int y = 0; y < banner_.height; ++y) {
    for (int x = 0; x < banner_.width; ++x) {
      const std::uint32_t want = banner_.pixels[static_cast<std::size_t>(y * banner_.width + x)];
      if (shot.At(kBannerBox.x + offsetX + x, kBannerBox.y + offsetY + y) != want) return false;
    }
  }
  return true;
}

bool SaverTest::WaitForBanner(std::chrono::milliseconds limit) {
  return WaitFor([&] { return BannerShown(Capture(display_)); }, limit);
}

std::vector<Window> SaverTest::TopLevelTitled(const std::string& title) {
  std::vector<Window> found;
  for (const Window w : MappedChildren(display_, root_)) {
    if (WmName(display_, w) == title) found.push_back(w);
  }
  return found;
}

Window SaverTest::CreateHostWindow(int width, int height, long eventMask) {
  const Window w = XCreateSimpleWindow(display_, root_, 40, 30, static_cast<unsigned>(width),
                                       static_cast<unsigned>(height), 0, 0, 0x202020);
  XStoreName(display_, w, "Preview host");
  XSelectInput(display_, w, eventMask);
  XMapWindow(display_, w);
  XSync(display_, False);
  return w;
}

}  // namespace x11test
