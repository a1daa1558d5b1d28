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
  Hwnd FindTopLevelWindow(const char* title) override;
  std::optional<drawing::PixelSize> HostClientSize(Hwnd host) override;
  bool EmbedForm(Hwnd host) override;
  void PlaceForm(const drawing::PixelRect& area, std::optional<bool> show) override;
  void SetPointerHidden(bool hidden) override;
  WindowManagerFunctions* NativeWindowManager() override { return this; }

  // The resolution is fixed when the scene is first drawn; from then on input uses the same.
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

 private:
  // What reached the window while no wait was running, for the next wait to deliver.
  struct Pending {
    enum class Kind { kInput, kClose, kExposed } kind = Kind::kInput;
    InputEvent input;
    drawing::PixelRect exposed;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Deliver(const Pending& event);
  void DeliverPending();
  bool RegisterWindowClass();
  int WindowDpi() const;

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
};

}  // namespace host::win32
