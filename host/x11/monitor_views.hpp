// The full-screen saver's views on the monitors other than the primary (whose view is the
// form's own window): one borderless override-redirect window per monitor, each with its own
// canvas and resolution, following the monitors as they come, go and change.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "host/platform.hpp"
#include "host/x11/monitors.hpp"
#include "host/x11/x11_canvas.hpp"
#include "host/x11/xft_measurer.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

class MonitorViews {
 public:
  MonitorViews(Display* display, int screen, XftMeasurer& measurer)
      : display_(display), screen_(screen), measurer_(measurer) {}
  ~MonitorViews() { Cover({}, 0, nullptr, false); }
  MonitorViews(const MonitorViews&) = delete;
  MonitorViews& operator=(const MonitorViews&) = delete;

  // One window over each of these monitors, selecting `events` (new ones mapped on top when
  // `mapped`); a window whose monitor keeps its resolution keeps its view, one whose resolution
  // changed gets a new view. New view ids come from newViewIds.
  void Cover(std::span<const Monitor> monitors, long events, ViewIdSource* newViewIds, bool mapped);
  // Maps every window on top.
  void Map();
  // Appends their views, each seen as `seen` says of its window.
  void Append(std::vector<View>& views, const std::function<bool(Window)>& seen) const;
  // The view shown in this window, or nullptr when it is none of these.
  const View* ViewOf(Window window) const;
  // The pointer over every one of these windows (0: the parent's).
  void DefineCursor(Cursor cursor);

 private:
  struct MonitorWindow {
    Window window = 0;
    std::unique_ptr<X11Canvas> canvas;
    Monitor monitor;
    View view;
  };

  Display* display_;
  int screen_;
  XftMeasurer& measurer_;
  std::vector<MonitorWindow> covers_;
};

}  // namespace host::x11
