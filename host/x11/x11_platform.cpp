#include "host/x11/x11_platform.hpp"

#include <algorithm>
#include <cstdio>

#include "host/form.hpp"
#include "host/posix/fd_wait.hpp"
#include "host/posix/linux_prev_instance.hpp"
#include "host/window_styles.hpp"
#include "host/x11/input_events.hpp"
#include "host/x11/window_search.hpp"
#include "host/x11/x_errors.hpp"

namespace host::x11 {
namespace {

using namespace host::wm;

constexpr long kFullScreenEvents = ExposureMask | StructureNotifyMask | VisibilityChangeMask |
                                   KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                                   PointerMotionMask;
// Embedded, input is the host's: a child selecting it would take it away from the host.
constexpr long kEmbeddedEvents = ExposureMask | StructureNotifyMask | VisibilityChangeMask;

}  // namespace

X11Platform::X11Platform(Display* display, std::string commandLine)
    : display_(display),
      screen_(DefaultScreen(display)),
      root_(RootWindow(display, DefaultScreen(display))),
      commandLine_(std::move(commandLine)),
      measurer_(std::make_unique<XftMeasurer>(
          display, screen_, [this](std::string_view line) { ReportError(line); })) {
  InstallErrorHandlers();
}

X11Platform::~X11Platform() {
  DestroyWindow();
  if (claimWindow_ != 0) XDestroyWindow(display_, claimWindow_);
  measurer_.reset();
  if (invisibleCursor_ != 0) XFreeCursor(display_, invisibleCursor_);
  XCloseDisplay(display_);
}

bool X11Platform::PrevInstance() {
  return posix::AnotherInstanceRuns();
}

void X11Platform::ReportError(std::string_view line) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  std::fflush(stderr);
}

std::int64_t X11Platform::NowNs() {
  return posix::MonotonicNowNs();
}

// Sleeps in one ppoll on the X connection and the signal fd until the next frame is due (or,
// while views are shown, the monitors' power is to be asked for again). The signal fd is read
// only when ppoll says it has something, the connection also when its queues may hold events
// (ConnectionReads), so a frame costs the ppoll and the frame's own flush. The ticks slept
// through are delivered by the runtime when this returns.
WaitResult X11Platform::Wait(const WaitDeadlines& deadlines, EventSink& sink) {
  const std::int64_t frameNs = deadlines.frameNs;  // kNoDeadline while nobody sees a view
  bool xReadable = false;  // ppoll reports anything still unread on the socket
  bool signalled = false;
  for (;;) {
    // Events read off the socket by a request or a flush since the last look are in the
    // connection's queues, where ppoll cannot see them.
    if ((xReadable || reads_.Moved() || XQLength(display_) > 0) && DispatchQueued(sink)) {
      return WaitResult::kReady;
    }
    if (signalled && signals_.Drain()) {
      sink.OnCloseRequest();
      return WaitResult::kReady;
    }
    // Nothing to flush here: a frame goes out with its own flush, and every other request
    // this platform makes is flushed or synced where it is made.
    // After the frame is on its way: the grab waits for the server's answer.
    if (windowAlive_ && keyboard_.Poll(NowNs()) && coverPending_) {
      // Keys typed as the grab was won are queued for the root window: they count (Handle).
      Cover();
      return WaitResult::kReady;  // the views are new: the runtime paints them at once
    }
    if (!views_.empty() && power_.Refresh(NowNs())) {
      RebuildViews();
      return WaitResult::kReady;  // drawn afresh, or no longer drawn at all
    }
    const std::int64_t wakeNs = views_.empty() ? frameNs : std::min(frameNs, power_.NextQueryNs());
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {signals_.fd(), POLLIN, 0}};
    if (!posix::WaitForDescriptors(fds, 2, wakeNs)) {
      if (wakeNs == frameNs) return WaitResult::kReady;
      xReadable = false;
      signalled = false;
      continue;  // time to ask for the power state
    }
    xReadable = fds[0].revents != 0;
    signalled = fds[1].revents != 0;
  }
}

bool X11Platform::DispatchQueued(EventSink& sink) {
  bool delivered = false;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    Handle(event, sink, delivered);
  }
  reads_.Seen();  // everything read so far is handled
  return delivered;
}

const View* X11Platform::ViewOfWindow(Window window) const {
  if (window_ == 0) return nullptr;
  if (window == window_) return &formView_;
  return otherMonitors_.ViewOf(window);
}

bool X11Platform::IsMonitorChange(const XEvent& event) const {
  return randrEventBase_ >= 0 && (event.type == randrEventBase_ + RRScreenChangeNotify ||
                                  event.type == randrEventBase_ + RRNotify);
}

void X11Platform::Handle(XEvent& event, EventSink& sink, bool& delivered) {
  if (IsMonitorChange(event)) {
    XRRUpdateConfiguration(&event);
    // Followed at once: the runtime paints the changed views as soon as the wait returns.
    if (fullScreen_) CoverMonitors();
    delivered = true;
    return;
  }
  if (window_ == 0) return;
  if (host_ != 0 && event.xany.window == host_) {
    if (event.type == ConfigureNotify) {
      FollowHost(event.xconfigure.width, event.xconfigure.height);
      delivered = true;  // the runtime repaints the new size at once
    }
    return;
  }
  const View* view = ViewOfWindow(event.xany.window);
  // Grabbed on the root window before the form's window was mapped, keys are reported there.
  if (view == nullptr && event.xany.window == root_ && fullScreen_ && keyboard_.Held() &&
      (event.type == KeyPress || event.type == KeyRelease)) {
    view = &formView_;
  }
  if (view == nullptr) return;
  const bool formWindow = event.xany.window == window_;
  switch (event.type) {
    case Expose:
      sink.OnExposed(view->id, drawing::PixelRect{event.xexpose.x, event.xexpose.y,
                                                  event.xexpose.width, event.xexpose.height});
      delivered = true;  // presented at once, not at the next frame
      return;
    case VisibilityNotify: {
      const bool covered = event.xvisibility.state == VisibilityFullyObscured;
      if (covered == obscured_.contains(event.xany.window)) return;
      if (covered) {
        obscured_.insert(event.xany.window);
      } else {
        obscured_.erase(event.xany.window);
      }
      RebuildViews();
      delivered = true;  // drawn afresh, or no longer drawn
      return;
    }
    case ConfigureNotify:
      if (formWindow) SizeChanged(event.xconfigure.width, event.xconfigure.height);
      return;
    case DestroyNotify:
      if (!formWindow) return;
      // Gone with its host window: the form closes as any window does.
      windowAlive_ = false;
      delivered = true;
      sink.OnCloseRequest();
      return;
    case UnmapNotify:
      // Another client took the full-screen saver off the screen: nothing could reach it any
      // more, so it closes as any window does.
      if (fullScreen_) {
        fullScreen_ = false;
        delivered = true;
        sink.OnCloseRequest();
      }
      return;
    default:
      break;
  }
  for (const InputEvent& input : TranslateInput(event, view->dpi)) {
    delivered = true;
    sink.OnInput(input);
    if (window_ == 0) return;  // the input closed the window
  }
}

void X11Platform::SizeChanged(int width, int height) {
  if (canvas_) canvas_->SetClientSize({width, height});
}

Hwnd X11Platform::CreateFormWindow(const Form& form) {
  DestroyWindow();
  const drawing::PixelRect normal = drawing::ToPixels(form.design().normalPlacement);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display_, screen_);
  attributes.event_mask = kEmbeddedEvents;
  window_ = XCreateWindow(display_, root_, normal.x, normal.y, static_cast<unsigned>(normal.width),
                          static_cast<unsigned>(normal.height), 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWBackPixel | CWEventMask, &attributes);
  windowAlive_ = true;
  canvas_ = std::make_unique<X11Canvas>(display_, screen_, window_, *measurer_);
  // The primary monitor's resolution until the window is embedded or covers the monitors.
  formView_ = View{newViewIds_.Next(), canvas_.get(), QueryMonitors(display_, screen_).front().dpi};
  RebuildViews();
  SizeChanged(normal.width, normal.height);
  SetFormCaption(form.Caption());
  ApplyCursor();
  return static_cast<Hwnd>(window_);
}

void X11Platform::SetFormCaption(std::string_view caption) {
  if (window_ == 0) return;
  const std::string text(caption);
  XStoreName(display_, window_, text.c_str());
  XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", kXFalse),
                  XInternAtom(display_, "UTF8_STRING", kXFalse), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()),
                  static_cast<int>(text.size()));
  XFlush(display_);
}

// Full screen: borderless over every other window, with or without a window manager.
void X11Platform::ShowFullScreen() {
  if (window_ == 0) return;
  XSetWindowAttributes attributes{};
  attributes.override_redirect = kXTrue;
  XChangeWindowAttributes(display_, window_, CWOverrideRedirect, &attributes);
  XSelectInput(display_, window_, kFullScreenEvents);
  fullScreen_ = true;
  if (randrEventBase_ < 0 && !WatchMonitors(display_, screen_, &randrEventBase_)) {
    randrEventBase_ = -1;
  }
  // Keys reach an override-redirect window only through a grab, asked for once the first
  // frame is drawn (Wait) and again while another program holds the keyboard. The windows cover
  // the monitors only once the grab is held: nothing typed may reach a window hidden behind them.
  coverPending_ = true;
  CoverMonitors();
  keyboard_.Claim(window_);
  XFlush(display_);
}

void X11Platform::CoverMonitors() {
  const std::vector<Monitor> monitors = QueryMonitors(display_, screen_);
  const Monitor& primary = monitors.front();
  XMoveResizeWindow(display_, window_, primary.area.x, primary.area.y,
                    static_cast<unsigned>(primary.area.width),
                    static_cast<unsigned>(primary.area.height));
  XRaiseWindow(display_, window_);
  SizeChanged(primary.area.width, primary.area.height);
  SetFormDpi(primary.dpi);
  otherMonitors_.Cover(std::span(monitors).subspan(1), kFullScreenEvents, &newViewIds_,
                       !coverPending_);
  RebuildViews();
  ApplyCursor();
}

// A new resolution is a new view, painted afresh by a new painter.
void X11Platform::SetFormDpi(int dpi) {
  if (formView_.dpi == dpi) return;
  canvas_->ForgetDrawings();
  formView_ = View{newViewIds_.Next(), canvas_.get(), dpi};
}

// While the full-screen windows wait for the keyboard they are not on the screen: no views, so
// nothing is drawn into them.
void X11Platform::RebuildViews() {
  views_.clear();
  if (window_ == 0 || coverPending_) return;
  views_.push_back(formView_);
  views_.back().seen = Seen(window_);
  otherMonitors_.Append(views_, [this](Window window) { return Seen(window); });
}

bool X11Platform::Seen(Window window) const {
  return power_.On() && !obscured_.contains(window);
}

void X11Platform::Cover() {
  coverPending_ = false;
  XMapRaised(display_, window_);
  otherMonitors_.Map();
  keyboard_.Covered();
  RebuildViews();
  XFlush(display_);
}

// The host's client area changed: the window fills it again, and the runtime sees the new size.
void X11Platform::FollowHost(int width, int height) {
  if (width <= 0 || height <= 0) return;
  XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
  SizeChanged(width, height);
  XFlush(display_);
}

void X11Platform::DestroyFormWindow() {
  DestroyWindow();
}

void X11Platform::DestroyWindow() {
  if (window_ == 0) return;
  otherMonitors_.Cover({}, 0, &newViewIds_, false);
  views_.clear();
  canvas_.reset();
  keyboard_.Release(windowAlive_);
  fullScreen_ = false;
  coverPending_ = false;
  host_ = 0;
  if (windowAlive_) XDestroyWindow(display_, window_);
  window_ = 0;
  windowAlive_ = false;
  obscured_.clear();
  XSync(display_, kXFalse);  // the window is gone before the program goes on
}

Hwnd X11Platform::FindTopLevelWindow(const char* title) {
  ErrorTrap trap(display_);  // windows may vanish while the tree is walked
  Window found = 0;
  if (title != nullptr) {
    found = FindTopLevelByTitle(display_, root_, title);
    if (found == 0) found = ClaimTitle(title);
  } else if (const std::vector<Window> children = Children(display_, root_); !children.empty()) {
    found = children.back();  // the top-most
  }
  trap.Check();
  return static_cast<Hwnd>(found);
}

// Copies started at the same moment all find no window with the title yet and would all go on
// to take it. The claim settles it: with the server grabbed (no other client is served
// meanwhile) a selection named after the title is looked at and, when nobody owns it, taken
// by a window of this process. The server gives the selection up when its owner ends.
Window X11Platform::ClaimTitle(const std::string& title) {
  const std::string name = "_VORTHANE_TITLE_S" + std::to_string(screen_) + "_" + title;
  const Atom selection = XInternAtom(display_, name.c_str(), kXFalse);
  if (claimWindow_ == 0) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = kXTrue;
    claimWindow_ = XCreateWindow(display_, root_, -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                 CWOverrideRedirect, &attributes);
  }
  XGrabServer(display_);
  Window owner = XGetSelectionOwner(display_, selection);
  if (owner == 0) XSetSelectionOwner(display_, selection, claimWindow_, CurrentTime);
  XUngrabServer(display_);
  XSync(display_, kXFalse);
  return owner == claimWindow_ ? 0 : owner;
}

std::optional<drawing::PixelSize> X11Platform::HostClientSize(Hwnd host) {
  if (host <= 0) return std::nullopt;
  ErrorTrap trap(display_);
  XWindowAttributes attributes{};
  const int status = XGetWindowAttributes(display_, static_cast<Window>(host), &attributes);
  if (trap.Check() != 0 || status == 0) return std::nullopt;
  // An input-only window has no client area to draw in: no window can be embedded in it.
  if (attributes.c_class == InputOnly) return std::nullopt;
  // The saver draws on its own screen only: a window of another one is none it can use.
  if (attributes.root != root_) return std::nullopt;
  return drawing::PixelSize{attributes.width, attributes.height};
}

bool X11Platform::EmbedForm(Hwnd host) {
  if (window_ == 0 || host < 0) return false;
  const Window parent = host == 0 ? root_ : static_cast<Window>(host);
  ErrorTrap trap(display_);
  if (parent == root_) {
    // Straight on the root it is a top-level window a window manager must leave alone.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = kXTrue;
    XChangeWindowAttributes(display_, window_, CWOverrideRedirect, &attributes);
  }
  XReparentWindow(display_, window_, parent, 0, 0);
  // The window follows its host's size from now on (the host's ConfigureNotify, selected by
  // this client for itself only).
  XSelectInput(display_, parent, StructureNotifyMask);
  if (trap.Check() != 0) return false;
  host_ = parent;
  if (parent != root_) {
    SetFormDpi(HostMonitorDpi(parent));
    RebuildViews();
  }
  return true;
}

// A daemon's window lies on one monitor, the one it covers most of: the scene takes that
// monitor's resolution. (The root window spans them all and keeps the primary's.)
int X11Platform::HostMonitorDpi(Window host) {
  const std::vector<Monitor> monitors = QueryMonitors(display_, screen_);
  XWindowAttributes attributes{};
  int x = 0;
  int y = 0;
  Window child = 0;
  ErrorTrap trap(display_);
  const bool known = XGetWindowAttributes(display_, host, &attributes) != 0 &&
                     XTranslateCoordinates(display_, host, root_, 0, 0, &x, &y, &child) != 0;
  if (trap.Check() != 0 || !known) return monitors.front().dpi;
  const drawing::PixelRect area{x, y, attributes.width, attributes.height};
  const Monitor* best = &monitors.front();
  long bestArea = 0;
  for (const Monitor& monitor : monitors) {
    const drawing::PixelRect common = drawing::Intersect(area, monitor.area);
    const long size = common.Empty() ? 0 : long{common.width} * common.height;
    if (size > bestArea) {
      bestArea = size;
      best = &monitor;
    }
  }
  return best->dpi;
}

// Shown without taking the focus: nothing here ever sets it.
void X11Platform::PlaceForm(const drawing::PixelRect& area, std::optional<bool> show) {
  if (window_ == 0) return;
  ErrorTrap trap(display_);
  XMoveWindow(display_, window_, area.x, area.y);
  if (area.width > 0 && area.height > 0) {
    XResizeWindow(display_, window_, static_cast<unsigned>(area.width),
                  static_cast<unsigned>(area.height));
    SizeChanged(area.width, area.height);
  }
  // On the bare root window it draws where other programs draw on the root: below every other
  // window, which stay usable above it.
  if (host_ == root_) XLowerWindow(display_, window_);
  if (show == true) XMapWindow(display_, window_);
  if (show == false) {
    fullScreen_ = false;  // hidden by the program itself
    XUnmapWindow(display_, window_);
  }
  trap.Check();
  // The host may have changed its size since it was asked: its events count only from the
  // reparenting on.
  if (host_ != 0) FitToHost();
}

void X11Platform::FitToHost() {
  XWindowAttributes attributes{};
  ErrorTrap trap(display_);
  const int status = XGetWindowAttributes(display_, host_, &attributes);
  if (trap.Check() != 0 || status == 0) return;
  const drawing::PixelSize now = canvas_ ? canvas_->ClientSize() : drawing::PixelSize{};
  if (attributes.width != now.width || attributes.height != now.height) {
    FollowHost(attributes.width, attributes.height);
  }
}

void X11Platform::SetPointerHidden(bool hidden) {
  pointerHidden_ = hidden;
  ApplyCursor();
}

// While the display count is negative the pointer is invisible over the window.
void X11Platform::ApplyCursor() {
  if (window_ == 0 || !windowAlive_) return;
  if (!pointerHidden_) {
    XUndefineCursor(display_, window_);
    otherMonitors_.DefineCursor(0);
  } else {
    if (invisibleCursor_ == 0) {
      const char empty = 0;
      const Pixmap bitmap = XCreateBitmapFromData(display_, window_, &empty, 1, 1);
      XColor black{};
      invisibleCursor_ = XCreatePixmapCursor(display_, bitmap, bitmap, &black, &black, 0, 0);
      XFreePixmap(display_, bitmap);
    }
    XDefineCursor(display_, window_, invisibleCursor_);
    otherMonitors_.DefineCursor(invisibleCursor_);
  }
  XFlush(display_);
}

}  // namespace host::x11
