// The display's power as Windows broadcasts it, into the running saver (in this process, since
// the broadcast carries a pointer): nothing drawn and no timer while off, a whole repaint when
// it comes on. wine never broadcasts it itself, so the test sends what Windows would.
// windows.h first: its names (DrawText) must mean the same in every header below.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/runtime.hpp"
#include "host/win32/win32_platform.hpp"
#include "startup/program.hpp"
#include "tests/win32/display_broadcast.hpp"

namespace {

using testing_support::OwnSaverWindow;
using testing_support::SendDisplayState;
using namespace std::chrono_literals;

// What the runtime did: each frame's first repainted box, and the timer events.
class CountingTrace : public host::TraceSink {
 public:
  void Write(double, host::TraceOp op, std::initializer_list<host::TraceField> fields) override {
    const std::lock_guard lock(mutex_);
    if (op == host::TraceOp::kTimer) ++timers_;
    if (op != host::TraceOp::kFrame) return;
    for (const host::TraceField& field : fields) {
      if (field.key != "damage") continue;
      const auto boxes = std::get<host::TraceBoxes>(field.value);
      frames_.push_back(boxes.empty() ? host::drawing::PixelRect{} : boxes.front());
    }
  }
  struct Counts {
    std::size_t frames;
    int timers;
  };
  Counts Now() {
    const std::lock_guard lock(mutex_);
    return {frames_.size(), timers_};
  }
  std::vector<host::drawing::PixelRect> Frames() {
    const std::lock_guard lock(mutex_);
    return frames_;
  }

 private:
  std::mutex mutex_;
  std::vector<host::drawing::PixelRect> frames_;
  int timers_ = 0;
};

TEST(DisplayPower, OffStopsTheFramesAndOnRepaintsWhole) {
  CountingTrace trace;
  host::win32::Win32Platform platform(GetModuleHandleW(nullptr), "/s");
  host::Runtime runtime(platform, &trace);
  startup::Program program(runtime);
  std::vector<CountingTrace::Counts> seen;
  RECT client{};
  std::thread display([&] {
    const HWND window = OwnSaverWindow();
    if (window == nullptr) return;
    GetClientRect(window, &client);
    std::this_thread::sleep_for(500ms);
    seen.push_back(trace.Now());  // running
    SendDisplayState(window, 0);
    // The wake-up that took the message still delivers the ticks that fell due before it.
    std::this_thread::sleep_for(200ms);
    seen.push_back(trace.Now());  // just off
    std::this_thread::sleep_for(1s);
    seen.push_back(trace.Now());  // a second off
    SendDisplayState(window, 1);
    std::this_thread::sleep_for(500ms);
    seen.push_back(trace.Now());  // on again
    PostMessageW(window, WM_CLOSE, 0, 0);
  });
  const int status = program.Run();
  display.join();
  EXPECT_EQ(status, 0);
  ASSERT_EQ(seen.size(), 4u) << "the saver's window never showed";
  EXPECT_GT(seen[0].frames, 1u) << "it was drawing before";
  EXPECT_EQ(seen[2].frames, seen[1].frames) << "frames while the display was off";
  EXPECT_EQ(seen[2].timers, seen[1].timers) << "timer events while the display was off";
  ASSERT_GT(seen[3].frames, seen[2].frames + 5) << "drawing again once on";
  const host::drawing::PixelRect whole{0, 0, client.right, client.bottom};
  EXPECT_EQ(trace.Frames()[seen[2].frames], whole) << "the first frame after is a whole repaint";
}

}  // namespace
