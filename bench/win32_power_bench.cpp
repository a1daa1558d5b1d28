// The Windows saver with the display on and then off, for bench/wine_power.sh (a benchmark, not
// a test). The saver runs full-screen in this process, as vorthane.scr runs it; a second thread
// tells its window what Windows broadcasts when the display goes off and comes on again (wine
// never broadcasts it, and the broadcast carries a pointer, so it must come from within). At the
// start and end of each phase the thread writes a line, so that the script can read this
// process's counters in /proc right then:
//   powerbench.exe SECONDS_SEEN SECONDS_UNSEEN
// "ready" when the saver's window shows; "seen" 3 s later; "off" after SECONDS_SEEN, a second
// before the display goes off; "unseen" a second after that; "on" after SECONDS_UNSEEN, a
// second before the display comes on; half a second after that the saver is closed.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "host/runtime.hpp"
#include "host/win32/win32_platform.hpp"
#include "startup/program.hpp"
#include "tests/win32/display_broadcast.hpp"

namespace {

using testing_support::OwnSaverWindow;
using testing_support::SendDisplayState;
using namespace std::chrono_literals;

void Say(const char* phase) {
  std::printf("%s\n", phase);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: powerbench SECONDS_SEEN SECONDS_UNSEEN\n");
    return 2;
  }
  const std::chrono::seconds seen(std::atoi(argv[1]));
  const std::chrono::seconds unseen(std::atoi(argv[2]));
  host::win32::Win32Platform platform(GetModuleHandleW(nullptr), "/s");
  host::Runtime runtime(platform);
  startup::Program program(runtime);
  bool shown = false;
  std::thread display([&] {
    const HWND window = OwnSaverWindow(20);
    if (window == nullptr) return;
    shown = true;
    Say("ready");
    std::this_thread::sleep_for(3s);
    Say("seen");
    std::this_thread::sleep_for(seen);
    Say("off");
    std::this_thread::sleep_for(1s);  // the script reads the counters before the change
    SendDisplayState(window, 0);
    std::this_thread::sleep_for(1s);
    Say("unseen");
    std::this_thread::sleep_for(unseen);
    Say("on");
    std::this_thread::sleep_for(1s);
    SendDisplayState(window, 1);
    std::this_thread::sleep_for(500ms);
    PostMessageW(window, WM_CLOSE, 0, 0);
  });
  const int status = program.Run();
  display.join();
  if (!shown) std::fprintf(stderr, "powerbench: the saver's window never showed\n");
  return shown ? status : 1;
}
