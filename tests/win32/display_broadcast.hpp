// The display's power as Windows broadcasts it, sent to a saver that runs in this process (the
// broadcast carries a pointer, and wine never sends it itself). Shared by the display-power test
// and its benchmark.
#pragma once

#include <windows.h>

#include <chrono>
#include <thread>

namespace testing_support {

// This process's full-screen saver window once it shows, or null after about `seconds`.
inline HWND OwnSaverWindow(int seconds = 10) {
  using namespace std::chrono_literals;
  for (int i = 0; i < seconds * 50; ++i) {
    HWND window = FindWindowW(L"VorthaneCover", nullptr);
    DWORD process = 0;
    if (window != nullptr && GetWindowThreadProcessId(window, &process) != 0 &&
        process == GetCurrentProcessId() && IsWindowVisible(window)) {
      return window;
    }
    std::this_thread::sleep_for(20ms);
  }
  return nullptr;
}

// What Windows sends a window registered for the session's display status: 0 off, 1 on.
inline void SendDisplayState(HWND window, DWORD state) {
  struct {
    POWERBROADCAST_SETTING header;
    BYTE rest[sizeof(DWORD)];
  } setting{};
  setting.header.PowerSetting = {
      0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
  setting.header.DataLength = sizeof state;
  CopyMemory(setting.header.Data, &state, sizeof state);
  SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
               reinterpret_cast<LPARAM>(&setting));
}

}  // namespace testing_support
