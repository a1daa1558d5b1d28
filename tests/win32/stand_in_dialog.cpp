// The Settings dialog's stand-in in a process of its own, for the tests that end that process:
// a top-level window with a 152 x 112 preview area. It writes the area's handle, in decimal, as
// its first line and runs until it is ended.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const HWND dialog = CreateWindowExW(0, L"STATIC", L"Screen Saver Settings",
                                      WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40, 400, 300,
                                      nullptr, nullptr, instance, nullptr);
  const HWND area = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 120, 60, 152, 112,
                                    dialog, nullptr, instance, nullptr);
  if (area == nullptr) return 1;
  std::printf("%lld\n", static_cast<long long>(reinterpret_cast<LONG_PTR>(area)));
  std::fflush(stdout);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
