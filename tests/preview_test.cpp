// "/P <handle>": the handle parse and the embedding in the host's preview window.
#include <gtest/gtest.h>

#include <string>

#include "host/run_time_error.hpp"
#include "host/window_styles.hpp"
#include "startup/sub_main.hpp"
#include "tests/sim_harness.hpp"

namespace {

using host::TraceOp;
using startup::SubMain;
using testing_support::Desktop;
using testing_support::DestroyHosts;
using testing_support::Input;
using testing_support::MouseAt;
using testing_support::SimRun;

struct HandleCase {
  std::string text;
  int handle;  // when error is 0
  host::ErrorCode error;
  bool raises;
};

class PreviewHandle : public ::testing::TestWithParam<HandleCase> {};

TEST_P(PreviewHandle, IsTheTrailingDigitRun) {
  const HandleCase& c = GetParam();
  if (!c.raises) {
    EXPECT_EQ(SubMain::ParsePreviewHandle(c.text), c.handle);
    return;
  }
  try {
    SubMain::ParsePreviewHandle(c.text);
    ADD_FAILURE() << "no error for " << c.text.substr(0, 40);
  } catch (const host::RunTimeError& e) {
    EXPECT_EQ(e.code(), c.error);
  }
}

const auto kOk = host::ErrorCode::kInvalidProcedureCall;  // unused when raises is false
INSTANTIATE_TEST_SUITE_P(
    Table, PreviewHandle,
    ::testing::Values(
        HandleCase{"/P 1234", 1234, kOk, false}, HandleCase{"/P:1234", 1234, kOk, false},
        HandleCase{"/P1234", 1234, kOk, false}, HandleCase{"/P 12 34", 34, kOk, false},
        HandleCase{"/P -5", 5, kOk, false}, HandleCase{"  /P 77  ", 77, kOk, false},
        HandleCase{"/P 2147483647", 2147483647, kOk, false},
        HandleCase{"/P", 0, host::ErrorCode::kTypeMismatch, true},
        HandleCase{"/P 12A", 0, host::ErrorCode::kTypeMismatch, true},
        HandleCase{"/P 99999999999", 0, host::ErrorCode::kOverflow, true},
        // The position counter is 16 bits: too long a text overflows before any character is
        // looked at, and so does the start position 32768.
        HandleCase{"/P " + std::string(32765, '1'), 0, host::ErrorCode::kOverflow, true},
        HandleCase{std::string(32766, ' ') + "/P", 0, host::ErrorCode::kTypeMismatch, true},
        HandleCase{"/P" + std::string(32764, ' ') + "x", 0, host::ErrorCode::kOverflow, true},
        HandleCase{"/P" + std::string(32764, ' ') + "7", 7, kOk, false}),
    [](const auto& info) { return testing_support::NameOfText(info.param.text); });

TEST(Preview, EmbedsTheCoverInTheHostWindowStepByStep) {
  auto config = Desktop("/p 1234", 100);
  config.hosts.push_back({1234, 152, 112});
  SimRun run(config);
  EXPECT_EQ(run.Run(), 0);
  EXPECT_TRUE(run.trace.Ops().starts_with(
      "RunMode,GetClientRect,Load,Caption,hWnd,GetWindowLongA,SetWindowLongA,SetParent,"
      "SetWindowLongA,SetWindowPos,Timer"))
      << run.trace.Ops().substr(0, 200);
  const auto cover = run.platform.FormWindow();
  const auto style = run.trace.Of(TraceOp::kGetWindowLongA)[0];
  EXPECT_EQ(style.Int("hwnd"), cover);
  EXPECT_EQ(style.Int("index"), -16);
  const auto longs = run.trace.Of(TraceOp::kSetWindowLongA);
  EXPECT_EQ(longs[0].Int("index"), -16);
  EXPECT_EQ(longs[0].Int("value"), style.Int("result") | 0x40000000);
  EXPECT_EQ(longs[1].Int("index"), -8);
  EXPECT_EQ(longs[1].Int("value"), 1234);
  const auto parent = run.trace.Of(TraceOp::kSetParent)[0];
  EXPECT_EQ(parent.Int("hwnd"), cover);
  EXPECT_EQ(parent.Int("parent"), 1234);
  const auto pos = run.trace.Of(TraceOp::kSetWindowPos)[0];
  EXPECT_EQ(pos.fields, (std::map<std::string, std::string>{{"hwnd", std::to_string(cover)},
                                                            {"after", "0"},
                                                            {"x", "0"},
                                                            {"y", "0"},
                                                            {"cx", "152"},
                                                            {"cy", "112"},
                                                            {"flags", "84"}}));
  EXPECT_EQ(run.trace.Of(TraceOp::kCaption)[0]["value"], "Preview");
  EXPECT_TRUE(run.trace.Of(TraceOp::kShow).empty());
  EXPECT_TRUE(run.trace.Of(TraceOp::kShowCursor).empty());
  EXPECT_TRUE(run.trace.Of(TraceOp::kPrevInstance).empty());

  const auto w = run.FormState();
  ASSERT_TRUE(w.has_value());
  EXPECT_EQ(w->parent, 1234);
  EXPECT_EQ(w->ownerLink, 1234);
  EXPECT_EQ(w->width, 152);
  EXPECT_EQ(w->height, 112);
  EXPECT_NE(w->style & host::wm::kWsVisible, 0);
  EXPECT_NE(w->style & host::wm::kWsChild, 0);
  // The animation runs in the preview too.
  EXPECT_FALSE(run.trace.Of(TraceOp::kTimer).empty());
}

TEST(Preview, IgnoresAllInputAndEndsWhenTheHostWindowIsDestroyed) {
  auto config = Desktop("/P:1234", 5000);
  config.hosts.push_back({1234, 152, 112});
  config.actions = {Input(100, host::InputKind::kKeyDown),
                    Input(110, host::InputKind::kKeyPress),
                    Input(120, host::InputKind::kClick),
                    Input(130, host::InputKind::kDblClick),
                    MouseAt(140, host::InputKind::kMouseDown, 3000, 3000),
                    MouseAt(150, host::InputKind::kMouseMove, 3000, 3000),
                    MouseAt(160, host::InputKind::kMouseMove, 9000, 9000),
                    DestroyHosts(2000)};
  SimRun run(config);
  EXPECT_EQ(run.Run(), 0);
  EXPECT_EQ(run.trace.Of(TraceOp::kInput).size(), 7u);
  EXPECT_EQ(run.program.frmCover.LastMouseX, 0);
  EXPECT_EQ(run.program.frmCover.LastMouseY, 0);
  const auto unload = run.trace.Of(TraceOp::kUnload);
  ASSERT_EQ(unload.size(), 1u);
  EXPECT_EQ(unload[0].t, 2000);
  EXPECT_EQ(run.trace.records.back().op, TraceOp::kEnd);
  EXPECT_EQ(run.trace.records.back().t, 2000);
  EXPECT_TRUE(run.trace.Of(TraceOp::kShowCursor).empty());
  EXPECT_EQ(run.CursorCount(), 0);
  EXPECT_EQ(run.platform.FindByHandle(1234), nullptr);
}

TEST(Preview, AHandleThatNamesNoWindowEndsWithAClearErrorAndNoWindow) {
  for (const char* line : {"/p 4321", "/p 0"}) {
    SimRun run(Desktop(line, 1000));
    EXPECT_EQ(run.Run(), 1);
    EXPECT_EQ(run.trace.Ops(), "RunMode,GetClientRect,Error,End") << line;
    EXPECT_EQ(run.platform.FormWindow(), 0);
    const std::string text = run.errors.str();
    EXPECT_NE(text.find("Invalid window handle"), std::string::npos) << text;
    EXPECT_NE(text.find("does not exist"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "one line";
  }
}

TEST(Preview, AFullScreenStartBesideAPreviewRunsAndMarksItsWindow) {
  // The preview window is a child captioned "Preview": the guard finds no marker.
  auto config = Desktop("/s", 100);
  config.prevInstance = true;
  config.foreignTitles = {"Preview"};
  SimRun run(config);
  run.Run();
  EXPECT_EQ(run.trace.Of(TraceOp::kFindWindowA)[0].Int("result"), 0);
  EXPECT_EQ(run.program.frmCover.Caption(), "VorthaneSoftware");
}

}  // namespace
