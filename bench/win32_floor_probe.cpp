// The floor under the Windows saver's CPU: exactly the frames a saver needs and nothing else. A
// full-screen topmost window, and 21.33 times a second, on absolute deadlines of a
// high-resolution waitable timer, one label-sized copy (169 x 17) from a memory bitmap to the
// window. Runs until the given seconds have passed.
//   vorthane_win32_floor_probe.exe SECONDS
#include <windows.h>

#include <cstdint>
#include <cstdlib>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace {

constexpr std::int64_t kFrame100ns = 468'750;  // three ticks of 15.625 ms
constexpr int kLabelWidth = 169;
constexpr int kLabelHeight = 17;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const std::int64_t seconds = std::atoi(commandLine);
  if (seconds <= 0) return 2;
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Proc;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = L"VorthaneFloorProbe";
  RegisterClassW(&wc);
  const HWND window =
      CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                      nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  const HDC dc = GetDC(window);
  const HDC labelDc = CreateCompatibleDC(dc);
  const HBITMAP label = CreateCompatibleBitmap(dc, kLabelWidth, kLabelHeight);
  SelectObject(labelDc, label);
  const RECT all{0, 0, kLabelWidth, kLabelHeight};
  FillRect(labelDc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

  HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                        TIMER_ALL_ACCESS);
  if (timer == nullptr) timer = CreateWaitableTimerW(nullptr, FALSE, nullptr);
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  const std::int64_t start = (std::int64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  const std::int64_t frames = seconds * 10'000'000 / kFrame100ns;
  for (std::int64_t frame = 1; frame <= frames; ++frame) {
    LARGE_INTEGER due{};
    due.QuadPart = start + frame * kFrame100ns;  // absolute, in 100 ns units
    SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
    while (MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) !=
           WAIT_OBJECT_0) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) DispatchMessageW(&message);
    }
    // A line one pixel lower each frame, as the falling caption moves.
    BitBlt(dc, 8, 8 + static_cast<int>(frame % 180), kLabelWidth, kLabelHeight, labelDc, 0, 0,
           SRCCOPY);
    GdiFlush();
  }
  CloseHandle(timer);
  DeleteDC(labelDc);
  DeleteObject(label);
  ReleaseDC(window, dc);
  DestroyWindow(window);
  return 0;
}
