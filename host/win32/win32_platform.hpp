// The platform on Windows: the form's window on user32 (full-screen over every monitor, or
// embedded in a preview host), its input, the event loop on a high-resolution waitable timer,
// the process facts, and the window manager's real functions.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/platform.hpp"
#include "host/win32/gdi_canvas.hpp"
#include "host/win32/gdi_measurer.hpp"
#include "host/win32/held_keys.hpp"
#include "host/win32/host_watch.hpp"
#include "host/win32/monitors.hpp"
#include "host/win32/process_facts.hpp"

namespace host::win32 {

// The user's colour scheme, read each time a colour is painted.
class SystemColours : public drawing::ColourScheme {
 public:
  std::optional<Colour> SystemColour(int index) const override;
};

// The window manager's functions are the system's own: the program's calls go straight to user32.
class Win32Platform : public Platform, public WindowManagerFunctions {
 public:
  Win32Platform(HINSTANCE instance, std::string commandLine);
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  std::string CommandLine() override { return commandLine_; }
  bool PrevInstance() override { return mark_.AnotherCopyRuns(); }
  void ReportError(std::string_view line) override { ReportErrorLine(line); }

  std::int64_t NowNs() override;
  WaitResult Wait(const WaitDeadlines& deadlines, EventSink& sink) override;

  Hwnd CreateFormWindow(const Form& form) override;
  void SetFormCaption(std::string_view caption) override;
  void ShowFullScreen() override;
  void DestroyFormWindow() override;

  // The operations below are what the portable emulation would use; the program's calls reach
  // user32 itself instead, so they only serve other callers.
  WindowManagerFunctions* NativeWindowManager() override { return this; }

  // The form's window first (full-screen: on the primary monitor), then a cover window on each
  // other monitor. Embedded, the resolution is fixed when the scene is first drawn; full-screen,
  // each view has its monitor's, and follows it when it changes.
  std::span<const View> Views() override;
  drawing::TextMeasurer& Measurer() override { return *measurer_; }
  const drawing::ColourScheme& Colours() override { return colours_; }

  Hwnd FindWindowA(const char* className, const char* windowName) override;
  Bool GetClientRect(Hwnd window, Rect* rect) override;
  Long GetWindowLongA(Hwnd window, int index) override;
  Long SetWindowLongA(Hwnd window, int index, Long value) override;
  Hwnd SetParent(Hwnd child, Hwnd newParent) override;
  Bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    UInt flags) override;
  int ShowCursor(Bool show) override;

  // After the program's end: the keys still held from the full-screen saver's last moments go
  // nowhere (for at most a second).
  void SwallowHeldKeys() {
    heldKeys_.SwallowUntilReleased(std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::nanoseconds(kHeldKeysLimitNs)));
  }

 private:
  // What reached the window while no wait was running, for the next wait to deliver.
  struct Pending {
    enum class Kind { kInput, kClose, kExposed } kind = Kind::kInput;
    InputEvent input;
    drawing::PixelRect exposed;
    int viewId = 0;  // the view that was exposed
  };
  // A window covering one monitor other than the primary, full-screen.
  struct Cover {
    HWND window = nullptr;
    std::unique_ptr<GdiCanvas> canvas;
    int viewId = 0;
    int dpi = USER_DEFAULT_SCREEN_DPI;
    std::wstring device;  // the monitor it covers
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static bool ThreadOfAnotherProcess(DWORD thread);
  static bool ForegroundOfAnotherProcess();
  static bool DesktopHasForeground();
  void Deliver(const Pending& event);
  void DeliverPending();
  bool RegisterWindowClass();
  int WindowDpi() const;
  // Full-screen: the form's window over the primary monitor and a cover over every other one,
  // after the monitors are enumerated again (host/win32/cover_windows.cpp).
  void CoverMonitors();
  // Whether the monitors differ from those covered, looked at twice a second: Windows announces
  // every change, but wine under XWayland announced neither a resized nor an added monitor.
  bool MonitorsDueForCheck();
  void DestroyCovers();
  int DpiOf(HWND window) const;
  int ViewIdOf(HWND window) const;
  GdiCanvas* CanvasOf(HWND window) const;

  HINSTANCE instance_;
  std::string commandLine_;
  InstanceMark mark_;
  HANDLE timer_ = nullptr;
  std::int64_t ticksPerSecond_ = 1;
  std::unique_ptr<GdiMeasurer> measurer_;
  SystemColours colours_;
  ATOM windowClass_ = 0;
  HICON bigIcon_ = nullptr;  // the design's icon, from the program file's resources
  HICON smallIcon_ = nullptr;
  HWND window_ = nullptr;
  std::unique_ptr<GdiCanvas> canvas_;  // from the window's creation to its end
  bool destroying_ = false;            // the program itself destroys its window
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  bool dpiFixed_ = false;
  std::vector<View> views_;
  int viewId_ = 0;             // the window's view, new with each window
  EventSink* sink_ = nullptr;  // set while a wait runs
  bool delivered_ = false;
  std::vector<Pending> pending_;

  // Full-screen on every monitor, until losing activation closes it.
  bool fullScreen_ = false;
  bool monitorsChanged_ = false;         // to be enumerated again before the wait returns
  HPOWERNOTIFY displayPower_ = nullptr;  // the display's power is announced to the form window
  bool displayOn_ = true;                // views are seen only while the display is on
  bool displayChanged_ = false;          // the wait returns for the runtime to look again
  std::vector<Cover> covers_;            // one per monitor other than the primary
  std::vector<Monitor> covered_;         // the monitors as last covered
  std::int64_t nextMonitorCheckNs_ = 0;
  ViewIdSource newViewIds_;
  HeldKeys heldKeys_;
  HostWatch previewHost_;
};

}  // namespace host::win32
