// A platform with no screen: an in-memory window manager, a virtual clock, scripted input and
// a pointer display count. Everything happens in virtual time, as fast as the machine allows.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "host/headless/fixed_measurer.hpp"
#include "host/headless/memory_canvas.hpp"
#include "host/platform.hpp"
#include "host/window_records.hpp"

namespace host::headless {

struct HostWindowSpec {
  Hwnd handle = 0;
  int width = 0;  // client area, pixels
  int height = 0;
};

struct ScriptedAction {
  enum class Kind { kInput, kDestroyHosts };
  std::int64_t atNs = 0;
  Kind kind = Kind::kInput;
  InputEvent input;
};

struct DesktopConfig {
  std::string commandLine;
  bool prevInstance = false;
  int screenWidth = 1920;
  int screenHeight = 1080;
  std::vector<std::string> foreignTitles;         // foreign top-level windows with these captions
  std::vector<HostWindowSpec> hosts;              // preview host windows
  std::vector<ScriptedAction> actions;            // input and host destruction, at virtual times
  std::int64_t runNs = 60'000'000'000;            // stop after this much virtual time
  std::vector<FontSpec> fonts = StandardFonts();  // installed faces, the system default last
  bool raster = false;  // keep the frames' pixels (for tests; costs time and memory)
};

struct Window {
  Hwnd handle = 0;
  std::string caption;
  WindowRecords records;  // style bits and owner link
  Hwnd parent = 0;        // the window it sits in
  int x = 0;
  int y = 0;
  int width = 0;  // client area, pixels
  int height = 0;
  bool isForm = false;
};

class HeadlessPlatform : public Platform {
 public:
  // Errors the program reports are written as lines to errors (when not null).
  explicit HeadlessPlatform(DesktopConfig config, std::ostream* errors = nullptr);

  std::string CommandLine() override { return config_.commandLine; }
  bool PrevInstance() override { return config_.prevInstance; }
  void ReportError(std::string_view line) override;

  std::int64_t NowNs() override { return nowNs_; }
  // Moves the virtual clock on, as work outside any wait takes time (for tests).
  void Spend(std::int64_t ns) { nowNs_ += ns; }
  WaitResult Wait(const WaitDeadlines& deadlines, EventSink& sink) override;

  Hwnd CreateFormWindow(const Form& form) override;
  void SetFormCaption(std::string_view caption) override;
  void ShowFormWindow() override;
  void DestroyFormWindow() override;
  drawing::Canvas& FormCanvas() override { return canvas_; }
  drawing::TextMeasurer& Measurer() override { return measurer_; }

  Hwnd FindWindowA(const char* className, const char* windowName) override;
  Bool GetClientRect(Hwnd window, Rect* rect) override;
  Long GetWindowLongA(Hwnd window, int index) override;
  Long SetWindowLongA(Hwnd window, int index, Long value) override;
  Hwnd SetParent(Hwnd child, Hwnd newParent) override;
  Bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    UInt flags) override;
  int ShowCursor(Bool show) override;

  // Inspection.
  const Window* FindByHandle(Hwnd handle) const;
  Hwnd FormWindow() const { return formWindow_; }
  int CursorCount() const { return pointer_.Count(); }
  const MemoryCanvas& Canvas() const { return canvas_; }
  FixedMeasurer& Fonts() { return measurer_; }
  const std::vector<std::string>& ReportedErrors() const { return errors_; }

 private:
  Window* Find(Hwnd handle);
  Hwnd NewHandle();
  bool Visible(const Window& window) const;
  void DestroyWindowTree(Hwnd handle);
  void Perform(const ScriptedAction& action, EventSink& sink);
  void SizeChanged(const Window& window);

  DesktopConfig config_;
  std::ostream* errorStream_;
  std::map<Hwnd, Window> windows_;
  std::vector<std::string> errors_;
  std::size_t nextAction_ = 0;
  std::int64_t nowNs_ = 0;
  Hwnd nextHandle_ = 0x00010010;
  Hwnd formWindow_ = 0;
  PointerDisplayCount pointer_;
  FixedMeasurer measurer_;
  MemoryCanvas canvas_;
};

}  // namespace host::headless
