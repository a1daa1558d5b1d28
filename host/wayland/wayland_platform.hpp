// The platform on a Wayland compositor that offers layer-shell: the form full-screen as one
// overlay surface on every output, followed as outputs come, go or change scale; input from the
// seat; the event loop on the compositor's connection. There is no preview here: no other
// client's surface can hold the form.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/platform.hpp"
#include "host/wayland/freetype_measurer.hpp"
#include "host/wayland/output_surface.hpp"
#include "host/wayland/pixman_canvas.hpp"
#include "host/wayland/seat_input.hpp"
#include "host/wayland/session_marker.hpp"
#include "host/window_records.hpp"
#include "host/x11/signal_fd.hpp"

namespace host::wayland {

struct SessionFacts {
  std::string runtimeDir;  // XDG_RUNTIME_DIR
  std::string display;     // WAYLAND_DISPLAY, or a name for an inherited socket
  // Started by a locker with an inherited connection and no seat: draw on every output, take
  // no input, and end quietly when the locker closes the connection.
  bool lockerChild = false;
};

class WaylandPlatform : public Platform {
 public:
  // Takes the connection (closed on destruction) and learns the compositor's globals.
  WaylandPlatform(wl_display* display, std::string commandLine, const SessionFacts& session);
  ~WaylandPlatform() override;
  WaylandPlatform(const WaylandPlatform&) = delete;
  WaylandPlatform& operator=(const WaylandPlatform&) = delete;

  // Whether the compositor lets a client cover its outputs at all.
  bool HasLayerShell() const { return globals_.layerShell != nullptr; }
  // Whether the run ended because the compositor went away.
  bool ConnectionLost() const { return connectionLost_; }

  std::string CommandLine() override { return commandLine_; }
  bool PrevInstance() override;
  void ReportError(std::string_view line) override;

  std::int64_t NowNs() override;
  WaitResult Wait(const WaitDeadlines& deadlines, EventSink& sink) override;

  Hwnd CreateFormWindow(const Form& form) override;
  void SetFormCaption(std::string_view caption) override;
  void ShowFormWindow() override;
  void DestroyFormWindow() override;
  drawing::Canvas& FormCanvas() override { return *canvas_; }
  drawing::TextMeasurer& Measurer() override { return measurer_; }

  Hwnd FindWindowA(const char* className, const char* windowName) override;
  Bool GetClientRect(Hwnd window, Rect* rect) override;
  Long GetWindowLongA(Hwnd window, int index) override;
  Long SetWindowLongA(Hwnd window, int index, Long value) override;
  Hwnd SetParent(Hwnd child, Hwnd newParent) override;
  Bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    UInt flags) override;
  int ShowCursor(Bool show) override;

 private:
  static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version);
  static void GlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
  void AddOutput(wl_output* output, std::uint32_t name);
  void OutputChanged(OutputSurface& output);
  void UpdateClientSize();
  void Present(pixman_image_t* buffer, std::span<const drawing::PixelRect> boxes);
  // Reads and dispatches what the compositor sent, waiting at most until deadlineNs; false when
  // the connection is gone.
  bool Pump(std::int64_t deadlineNs, bool* signalled);
  void DeliverPending(EventSink& sink);
  // Keeps the keyboard until the keys pressed over the saver are released (a second at most),
  // so their releases, and nothing else, reach the client that gets it next.
  void LetKeysGo();

  wl_display* display_;
  wl_registry* registry_ = nullptr;
  std::string commandLine_;
  SessionFacts session_;
  OutputSurface::Globals globals_;
  std::unique_ptr<SeatInput> seat_;
  std::vector<std::unique_ptr<OutputSurface>> outputs_;
  x11::SignalFd signals_;
  FreeTypeMeasurer measurer_;
  SessionMarker marker_;
  std::unique_ptr<PixmanCanvas> canvas_;
  bool windowCreated_ = false;
  bool fullScreen_ = false;
  bool connectionLost_ = false;
  PointerDisplayCount pointer_;
  WindowRecords records_;
  EventSink* sink_ = nullptr;  // while Wait dispatches
  std::vector<drawing::PixelRect> exposed_;
  std::vector<InputEvent> input_;
};

}  // namespace host::wayland
