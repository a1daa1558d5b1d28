// The window-manager functions as every platform without them gets them: each call becomes the
// platform operation it stands for, and only the form's own window is ever changed.
#include <gtest/gtest.h>

#include "host/form.hpp"
#include "host/window_styles.hpp"
#include "tests/sim_harness.hpp"

namespace {

using namespace host::wm;
using testing_support::Desktop;
using testing_support::SimRun;

constexpr host::Hwnd kHost = 1234;
constexpr host::Hwnd kMissing = 999;

// A loaded, hidden form beside a preview host and a foreign window.
struct Desk {
  Desk() : run(Config()) { run.program.frmCover.Load(); }
  static host::headless::DesktopConfig Config() {
    auto config = Desktop("/c", 0);
    config.hosts.push_back({kHost, 152, 112});
    config.foreignTitles.push_back("Notes");
    return config;
  }
  host::WindowManager& wm() { return run.runtime.User32(); }
  host::Hwnd form() { return run.program.frmCover.hWnd(); }
  SimRun run;
};

TEST(WindowEmulation, FindsTopLevelWindowsByTitleAndNothingByClass) {
  Desk desk;
  const host::Hwnd notes = desk.wm().FindWindowA(nullptr, "Notes");
  EXPECT_NE(notes, 0);
  EXPECT_EQ(desk.wm().FindWindowA("Class", "Notes"), 0) << "no window has a registered class";
  EXPECT_EQ(desk.wm().FindWindowA(nullptr, "notes"), 0) << "titles match exactly";
  EXPECT_NE(desk.wm().FindWindowA(nullptr, nullptr), 0) << "no title: any top-level window";
  desk.wm().SetParent(desk.form(), kHost);
  desk.run.program.frmCover.SetCaption("Notes2");
  EXPECT_EQ(desk.wm().FindWindowA(nullptr, "Notes2"), 0) << "a child is not top-level";
}

TEST(WindowEmulation, ClientRectsOfTheFormAHostAndNoWindow) {
  Desk desk;
  host::Rect rect{};
  EXPECT_EQ(desk.wm().GetClientRect(kHost, &rect), 1);
  EXPECT_EQ(rect.right, 152);
  EXPECT_EQ(rect.bottom, 112);
  rect = {};
  EXPECT_EQ(desk.wm().GetClientRect(kMissing, &rect), 0);
  EXPECT_EQ(rect.right, 0) << "left as it was";
  EXPECT_EQ(desk.wm().GetClientRect(desk.form(), &rect), 1);
  EXPECT_EQ(rect.right, 1006) << "the design's normal placement";
  EXPECT_EQ(rect.bottom, 671);
}

TEST(WindowEmulation, WindowLongsAreKeptForTheFormOnly) {
  Desk desk;
  const host::Hwnd form = desk.form();
  EXPECT_EQ(desk.wm().GetWindowLongA(form, kGwlStyle), kPopupStyle);
  EXPECT_EQ(desk.wm().SetWindowLongA(form, kGwlStyle, kPopupStyle | kWsChild), kPopupStyle);
  EXPECT_EQ(desk.wm().GetWindowLongA(form, kGwlStyle), kPopupStyle | kWsChild);
  EXPECT_EQ(desk.wm().SetWindowLongA(form, kGwlHwndParent, kHost), 0);
  EXPECT_EQ(desk.wm().GetWindowLongA(form, kGwlHwndParent), kHost);
  EXPECT_EQ(desk.wm().GetWindowLongA(form, -20), 0) << "an index no window keeps";
  EXPECT_EQ(desk.wm().SetWindowLongA(kHost, kGwlStyle, 0), 0);
  EXPECT_EQ(desk.wm().GetWindowLongA(kHost, kGwlStyle), 0) << "other windows are not changed";
}

TEST(WindowEmulation, EmbeddingAndPlacingBecomeTheFormsViewInTheHost) {
  Desk desk;
  const host::Hwnd form = desk.form();
  EXPECT_EQ(desk.wm().SetParent(form, kMissing), 0);
  EXPECT_EQ(desk.run.platform.FindByHandle(form)->parent, 0) << "no such host: not embedded";
  EXPECT_EQ(desk.wm().SetParent(kHost, form), 0) << "only the form moves";
  EXPECT_EQ(desk.wm().SetParent(form, kHost), 0) << "it was top-level";
  EXPECT_EQ(desk.run.platform.FindByHandle(form)->parent, kHost);
  EXPECT_TRUE(desk.run.platform.Views().empty()) << "hidden until shown";

  EXPECT_EQ(desk.wm().SetWindowPos(form, 0, 0, 0, 152, 112, kSwpNoZOrder | kSwpShowWindow), 1);
  ASSERT_EQ(desk.run.platform.Views().size(), 1u);
  EXPECT_EQ(desk.run.platform.Canvas().Size(), (host::drawing::PixelSize{152, 112}));
  EXPECT_NE(desk.wm().GetWindowLongA(form, kGwlStyle) & kWsVisible, 0);

  EXPECT_EQ(desk.wm().SetWindowPos(form, 0, 9, 9, 80, 60, kSwpNoMove), 1);
  EXPECT_EQ(desk.run.platform.FindByHandle(form)->placement,
            (host::drawing::PixelRect{0, 0, 80, 60}));
  EXPECT_EQ(desk.wm().SetWindowPos(form, 0, 9, 9, 0, 0, kSwpNoSize | kSwpHideWindow), 1);
  EXPECT_EQ(desk.run.platform.FindByHandle(form)->placement,
            (host::drawing::PixelRect{9, 9, 80, 60}));
  EXPECT_TRUE(desk.run.platform.Views().empty());
  EXPECT_EQ(desk.wm().GetWindowLongA(form, kGwlStyle) & kWsVisible, 0);
  EXPECT_EQ(desk.wm().SetWindowPos(kHost, 0, 0, 0, 1, 1, 0), 0) << "other windows stay put";
}

TEST(WindowEmulation, ThePointerIsHiddenWhileTheDisplayCountIsNegative) {
  Desk desk;
  EXPECT_EQ(desk.wm().ShowCursor(0), -1);
  EXPECT_TRUE(desk.run.platform.PointerHidden());
  EXPECT_EQ(desk.wm().ShowCursor(0), -2);
  EXPECT_EQ(desk.wm().ShowCursor(-1), -1);
  EXPECT_TRUE(desk.run.platform.PointerHidden());
  EXPECT_EQ(desk.wm().ShowCursor(-1), 0);
  EXPECT_FALSE(desk.run.platform.PointerHidden());
}

}  // namespace
