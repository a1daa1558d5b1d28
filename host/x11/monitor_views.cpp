#include "host/x11/monitor_views.hpp"

namespace host::x11 {

void MonitorViews::Cover(std::span<const Monitor> monitors, long events, ViewIdSource* newViewIds,
                         bool mapped) {
  while (covers_.size() > monitors.size()) {
    covers_.back().canvas.reset();
    XDestroyWindow(display_, covers_.back().window);
    covers_.pop_back();
  }
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const Monitor& monitor = monitors[i];
    const drawing::PixelRect& area = monitor.area;
    if (i == covers_.size()) {
      XSetWindowAttributes attributes{};
      attributes.background_pixel = BlackPixel(display_, screen_);
      attributes.override_redirect = kXTrue;
      attributes.event_mask = events;
      MonitorWindow cover;
      cover.window = XCreateWindow(
          display_, RootWindow(display_, screen_), area.x, area.y,
          static_cast<unsigned>(area.width), static_cast<unsigned>(area.height), 0, CopyFromParent,
          InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
      cover.canvas = std::make_unique<X11Canvas>(display_, screen_, cover.window, measurer_);
      if (mapped) XMapRaised(display_, cover.window);
      covers_.push_back(std::move(cover));
    } else if (covers_[i].monitor.area != area) {
      XMoveResizeWindow(display_, covers_[i].window, area.x, area.y,
                        static_cast<unsigned>(area.width), static_cast<unsigned>(area.height));
      XRaiseWindow(display_, covers_[i].window);
    }
    MonitorWindow& cover = covers_[i];
    if (cover.view.canvas == nullptr || cover.monitor.dpi != monitor.dpi) {
      if (cover.view.canvas != nullptr) cover.canvas->ForgetDrawings();
      cover.view = View{newViewIds->Next(), cover.canvas.get(), monitor.dpi};
    }
    cover.monitor = monitor;
    cover.canvas->SetClientSize({area.width, area.height});
  }
}

void MonitorViews::Map() {
  for (const MonitorWindow& cover : covers_) XMapRaised(display_, cover.window);
}

void MonitorViews::Append(std::vector<View>& views, const std::function<bool(Window)>& seen) const {
  for (const MonitorWindow& cover : covers_) {
    views.push_back(cover.view);
    views.back().seen = seen(cover.window);
  }
}

const View* MonitorViews::ViewOf(Window window) const {
  for (const MonitorWindow& cover : covers_) {
    if (cover.window == window) return &cover.view;
  }
  return nullptr;
}

void MonitorViews::DefineCursor(Cursor cursor) {
  for (const MonitorWindow& cover : covers_) {
    if (cursor == 0) {
      XUndefineCursor(display_, cover.window);
    } else {
      XDefineCursor(display_, cover.window, cursor);
    }
  }
}

}  // namespace host::x11
