// A platform with no screen: an in-memory desktop of monitors and windows, a virtual clock and
// scripted input and monitor changes. Everything happens in virtual time, as fast as the
// machine allows.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/headless/fixed_measurer.hpp"
#include "host/headless/memory_canvas.hpp"
#include "host/platform.hpp"

namespace host::headless {

struct HostWindowSpec {
  Hwnd handle = 0;
  int width = 0;  // client area, pixels
  int height = 0;
};

// A monitor: its place on the virtual screen in pixels and its resolution.
struct MonitorSpec {
  drawing::PixelRect area;
  int dpi = drawing::kStandardDpi;
  bool operator==(const MonitorSpec&) const = default;
};

struct ScriptedAction {
  enum class Kind { kInput, kDestroyHosts, kSetMonitors, kDisplayPower };
  std::int64_t atNs = 0;
  Kind kind = Kind::kInput;
  InputEvent input;
  std::vector<MonitorSpec> monitors;  // kSetMonitors: the monitors from then on, primary first
  bool displayOn = true;              // kDisplayPower: the monitor's power from then on
  int monitor = kEveryMonitor;        // kDisplayPower: its index in the monitors, or all of them
  static constexpr int kEveryMonitor = -1;
};

struct DesktopConfig {
  std::string commandLine;
  bool prevInstance = false;
  // The monitors, primary first; none means one 96-dpi monitor of screenWidth x screenHeight.
  std::vector<MonitorSpec> monitors;
  int screenWidth = 1920;
  int screenHeight = 1080;
  std::vector<std::string> foreignTitles;         // foreign top-level windows with these captions
  std::vector<HostWindowSpec> hosts;              // preview host windows
  std::vector<ScriptedAction> actions;            // input, host destruction, monitor changes
  std::int64_t runNs = 60'000'000'000;            // stop after this much virtual time
  std::vector<FontSpec> fonts = StandardFonts();  // installed faces, the system default last
  bool raster = false;  // keep the frames' pixels (for tests; costs time and memory)
};

struct Window {
  Hwnd handle = 0;
  std::string caption;
  Hwnd parent = 0;  // the window it sits in
  bool visible = false;
  bool isForm = false;
  drawing::PixelRect placement;  // client area in the parent's client pixels
};

class HeadlessPlatform : public Platform, public WindowOperations {
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
  void ShowFullScreen() override;
  void DestroyFormWindow() override;

  WindowOperations* WindowOps() override { return this; }
  Hwnd FindTopLevelWindow(const char* title) override;
  std::optional<drawing::PixelSize> HostClientSize(Hwnd host) override;
  bool EmbedForm(Hwnd host) override;
  void PlaceForm(const drawing::PixelRect& area, std::optional<bool> show) override;
  void SetPointerHidden(bool hidden) override { pointerHidden_ = hidden; }

  std::span<const View> Views() override { return views_; }
  drawing::TextMeasurer& Measurer() override { return measurer_; }

  // Inspection.
  const Window* FindByHandle(Hwnd handle) const;
  Hwnd FormWindow() const { return formWindow_; }
  bool PointerHidden() const { return pointerHidden_; }
  // The canvas of the form's first view (the primary monitor's when full-screen).
  const MemoryCanvas& Canvas() const;
  const MemoryCanvas& CanvasOf(int viewId) const;
  FixedMeasurer& Fonts() { return measurer_; }
  const std::vector<std::string>& ReportedErrors() const { return errors_; }

 private:
  Window* Find(Hwnd handle);
  Hwnd NewHandle();
  bool Visible(const Window& window) const;
  void DestroyWindowTree(Hwnd handle);
  void Perform(const ScriptedAction& action, EventSink& sink);
  // Brings the views in line with the form's window and the monitors.
  void UpdateViews();
  MemoryCanvas& CanvasFor(int viewId);
  bool MonitorOn(std::size_t index) const;

  DesktopConfig config_;
  std::ostream* errorStream_;
  std::map<Hwnd, Window> windows_;
  std::vector<std::string> errors_;
  std::size_t nextAction_ = 0;
  std::int64_t nowNs_ = 0;
  Hwnd nextHandle_ = 0x00010010;
  Hwnd formWindow_ = 0;
  bool fullScreen_ = false;
  bool pointerHidden_ = false;
  std::vector<bool> monitorOff_;  // by monitor index: powered off (a display asleep)
  FixedMeasurer measurer_;
  // A view per monitor while full-screen, else one for the window itself; each with its canvas.
  std::vector<View> views_;
  std::map<int, std::unique_ptr<MemoryCanvas>> canvases_;
  ViewIdSource newViewIds_;
  MemoryCanvas noCanvas_;
};

}  // namespace host::headless
