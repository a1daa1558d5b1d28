#include "host/win32/win32_platform.hpp"

#include "host/form.hpp"
#include "host/win32/command_line.hpp"
#include "host/win32/display_power.hpp"
#include "host/win32/handles.hpp"
#include "host/win32/input_messages.hpp"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace host::win32 {
namespace {

constexpr wchar_t kWindowClassName[] = L"VorthaneCover";
constexpr int kIconResource = 1;
constexpr int kStandInFaceResource = 2;  // RCDATA: the stand-in face's OpenType file

// The window record index of the owner link; 64-bit Windows keeps it pointer-sized.
constexpr int kOwnerLinkIndex = -8;

Modifiers HeldModifiers() {
  return Modifiers{GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                   GetKeyState(VK_MENU) < 0};
}

}  // namespace

std::optional<Colour> SystemColours::SystemColour(int index) const {
  // GetSysColor knows indexes 0 to 30; others keep the standard scheme's answer.
  if (index < 0 || index > COLOR_MENUBAR) return std::nullopt;
  return static_cast<Colour>(GetSysColor(index));
}

Win32Platform::Win32Platform(HINSTANCE instance, std::string commandLine)
    : instance_(instance),
      commandLine_(std::move(commandLine)),
      measurer_(std::make_unique<GdiMeasurer>(instance, kStandInFaceResource)) {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  ticksPerSecond_ = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
  // A high-resolution timer wakes within a millisecond of its due time where Windows has one
  // (Windows 10 1803 and later); elsewhere an ordinary one does, at the system's timer step.
  timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                  TIMER_ALL_ACCESS);
  if (timer_ == nullptr) timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
}

Win32Platform::~Win32Platform() {
  DestroyFormWindow();
  if (timer_ != nullptr) CloseHandle(timer_);
  if (windowClass_ != 0) UnregisterClassW(kWindowClassName, instance_);
}

std::int64_t Win32Platform::NowNs() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  const std::int64_t seconds = now.QuadPart / ticksPerSecond_;
  const std::int64_t rest = now.QuadPart % ticksPerSecond_;
  return seconds * 1'000'000'000 + rest * 1'000'000'000 / ticksPerSecond_;
}

// Pumps the thread's messages until one of them becomes an event of the form or the next frame
// is due; in between it sleeps on the timer and the message queue together (the sleep ends at
// once while messages wait, so the queue is looked at only when it holds something). The
// runtime then delivers the ticks slept through one by one.
WaitResult Win32Platform::Wait(const WaitDeadlines& deadlines, EventSink& sink) {
  const std::int64_t deadlineNs = deadlines.frameNs;
  // Nobody sees the scene (the display is off): sleep until a message or the host's end.
  const bool untilEvent = deadlineNs == kNoDeadline;
  sink_ = &sink;
  delivered_ = false;
  displayChanged_ = false;
  DeliverPending();
  bool messages = false;
  while (!delivered_ && !monitorsChanged_ && !displayChanged_) {
    if (previewHost_.Orphaned(window_)) {  // the host's process died without telling us
      Deliver(Pending{Pending::Kind::kClose, {}, {}});
      break;
    }
    if (const std::optional<SIZE> size = previewHost_.SizeToFollow(window_)) {
      // The runtime draws the new size as soon as the wait returns.
      ::SetWindowPos(window_, nullptr, 0, 0, size->cx, size->cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    const std::int64_t remaining = untilEvent ? kNoDeadline : deadlineNs - NowNs();
    if (messages || remaining <= 0) {
      MSG message;
      while (!delivered_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      if (delivered_ || monitorsChanged_ || displayChanged_ || remaining <= 0) break;
    }
    LARGE_INTEGER due{};
    due.QuadPart = untilEvent ? 0 : -((remaining + 99) / 100);  // relative, in 100 ns units
    const HANDLE hostProcess = previewHost_.Process();  // a preview wakes when its host dies
    DWORD count = hostProcess != nullptr ? 1 : 0;
    DWORD woke = 0;
    if (untilEvent) {
      // A preview whose host process is unknown looks for its host once a second.
      const DWORD ms = hostProcess != nullptr || fullScreen_ ? INFINITE : 1000;
      woke = MsgWaitForMultipleObjectsEx(count, &hostProcess, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    } else if (timer_ == nullptr ||
               SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE) == 0) {
      const DWORD ms = static_cast<DWORD>((remaining + 999'999) / 1'000'000);
      woke = MsgWaitForMultipleObjectsEx(count, &hostProcess, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    } else {
      const HANDLE handles[] = {timer_, hostProcess};
      count += 1;
      woke =
          MsgWaitForMultipleObjectsEx(count, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (woke == WAIT_OBJECT_0) break;  // the frame is due
    }
    messages = woke == WAIT_OBJECT_0 + count;
  }
  if (monitorsChanged_ || MonitorsDueForCheck()) CoverMonitors();
  sink_ = nullptr;
  return WaitResult::kReady;
}

void Win32Platform::Deliver(const Pending& event) {
  if (sink_ == nullptr) {
    pending_.push_back(event);
    return;
  }
  switch (event.kind) {
    case Pending::Kind::kInput:
      delivered_ = true;
      sink_->OnInput(event.input);
      break;
    case Pending::Kind::kClose:
      delivered_ = true;
      sink_->OnCloseRequest();
      break;
    case Pending::Kind::kExposed:
      // Already repaired from the back buffer; the painter presents it again with its next frame.
      if (event.viewId != 0) sink_->OnExposed(event.viewId, event.exposed);
      break;
  }
}

void Win32Platform::DeliverPending() {
  std::vector<Pending> events;
  events.swap(pending_);
  for (const Pending& event : events) {
    // Input for a window that has gone since is dropped; a close request never is.
    if (event.kind != Pending::Kind::kClose && window_ == nullptr) continue;
    Deliver(event);
  }
}

LRESULT CALLBACK Win32Platform::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(window, message, wParam, lParam);
}

// Whether the desktop itself has the foreground: no program took it from the saver. wine hands
// it the foreground for a moment while it builds its monitors again after a display change,
// and gives it back.
bool Win32Platform::DesktopHasForeground() {
  const HWND foreground = GetForegroundWindow();
  return foreground != nullptr &&
         (foreground == GetDesktopWindow() || foreground == GetShellWindow());
}

// Whether the thread belongs to another process; a thread that cannot be looked at is taken to.
bool Win32Platform::ThreadOfAnotherProcess(DWORD thread) {
  if (thread == 0) return false;
  const HANDLE handle = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, thread);
  if (handle == nullptr) return true;
  const DWORD process = GetProcessIdOfThread(handle);
  CloseHandle(handle);
  return process != GetCurrentProcessId();
}

// Whether the foreground window (wine names no thread in WM_ACTIVATEAPP) is another process's.
bool Win32Platform::ForegroundOfAnotherProcess() {
  const HWND foreground = GetForegroundWindow();
  if (foreground == nullptr) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  return process != 0 && process != GetCurrentProcessId();
}

LRESULT Win32Platform::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (const std::optional<InputEvent> input =
          InputFromMessage(message, wParam, lParam, HeldModifiers(), DpiOf(window))) {
    Deliver(Pending{Pending::Kind::kInput, *input, {}});
    return 0;
  }
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel: erasing first would flicker
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(window, &paint);
      GdiCanvas* canvas = CanvasOf(window);
      if (canvas == nullptr || !canvas->Repaint(dc, paint.rcPaint)) {
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      }
      EndPaint(window, &paint);
      const RECT& r = paint.rcPaint;
      if (r.right > r.left && r.bottom > r.top) {
        Deliver(Pending{Pending::Kind::kExposed,
                        {},
                        {r.left, r.top, r.right - r.left, r.bottom - r.top},
                        ViewIdOf(window)});
      }
      return 0;
    }
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE:
      // Full-screen, every monitor is covered again at its new size and resolution before the
      // wait returns; Windows' suggested new size is not applied. Embedded, the scene keeps the
      // resolution it was first drawn at.
      if (fullScreen_) monitorsChanged_ = true;
      return 0;
    case WM_POWERBROADCAST:
      // The display went off (nothing is drawn until it is back) or came on (every view is
      // repainted whole).
      if (const std::optional<bool> on = DisplayOnFromBroadcast(wParam, lParam)) {
        displayChanged_ = displayChanged_ || *on != displayOn_;
        displayOn_ = *on;
        return TRUE;
      }
      break;
    case WM_CLOSE:
      // The runtime decides: the form's Unload event runs and then the window goes.
      Deliver(Pending{Pending::Kind::kClose, {}, {}});
      return 0;
    case WM_ACTIVATEAPP:
      // Another program took the foreground: the full-screen saver closes as with any input,
      // and the keys typed to that program are not the saver's to see. Activation that goes to
      // no program at all, or to the desktop (wine under XWayland does both when a monitor
      // changes), is no reason.
      if (wParam == FALSE && fullScreen_ && !destroying_ && !DesktopHasForeground() &&
          (ThreadOfAnotherProcess(static_cast<DWORD>(lParam)) || ForegroundOfAnotherProcess())) {
        fullScreen_ = false;
        Deliver(Pending{Pending::Kind::kClose, {}, {}});
      }
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != 0) Deliver(Pending{Pending::Kind::kClose, {}, {}});
      return 0;
    case WM_SYSCOMMAND:
      // Windows asks the foreground window before it starts the screen saver: this is one.
      if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
      break;
    case WM_DESTROY:
      // Destroyed by someone else (the preview host went away): the form closes as any
      // window does.
      if (!destroying_) {
        if (window == window_) window_ = nullptr;  // nothing is left to destroy
        Deliver(Pending{Pending::Kind::kClose, {}, {}});
      }
      return 0;
    case WM_NCDESTROY:
      if (window == window_) window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool Win32Platform::RegisterWindowClass() {
  if (windowClass_ != 0) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  // One device context for the life of the window, not one a frame.
  wc.style = CS_DBLCLKS | CS_OWNDC;
  wc.lpfnWndProc = &Win32Platform::WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                           LR_DEFAULTCOLOR));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kWindowClassName;
  windowClass_ = RegisterClassExW(&wc);
  return windowClass_ != 0;
}

// The window's dots per inch where Windows can say (Windows 10 1607 and later), else the
// system's.
int Win32Platform::WindowDpi() const {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow != nullptr && window_ != nullptr) {
    const UINT dpi = getDpiForWindow(window_);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

Hwnd Win32Platform::CreateFormWindow(const Form& form) {
  DestroyFormWindow();
  if (!RegisterWindowClass()) return 0;
  dpiFixed_ = false;
  dpi_ = WindowDpi();
  const drawing::PixelRect normal = drawing::ToPixels(form.design().normalPlacement, dpi_);
  window_ = CreateWindowExW(0, kWindowClassName, WideFromUtf8(form.Caption()).c_str(),
                            WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, normal.x, normal.y,
                            normal.width, normal.height, nullptr, nullptr, instance_, this);
  if (window_ == nullptr) return 0;
  // The window's own icons too, not only its class's: other programs (the task switcher) ask
  // the window for them.
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  dpi_ = WindowDpi();
  canvas_ = std::make_unique<GdiCanvas>(window_, *measurer_);
  viewId_ = newViewIds_.Next();
  displayPower_ = RegisterDisplayPowerNotification(window_);
  displayOn_ = true;
  return Narrow(window_);
}

void Win32Platform::SetFormCaption(std::string_view caption) {
  if (window_ != nullptr) SetWindowTextW(window_, WideFromUtf8(caption).c_str());
}

// Full screen: the form's window, borderless and topmost, over the primary monitor, where it
// takes the keyboard; a cover window over each other monitor. Each shows the whole scene from
// its own top-left corner.
void Win32Platform::ShowFullScreen() {
  if (window_ == nullptr) return;
  fullScreen_ = true;
  CoverMonitors();
  heldKeys_.Watch(window_);
  SetForegroundWindow(window_);
  SetFocus(window_);
}

void Win32Platform::DestroyFormWindow() {
  if (window_ == nullptr) return;
  DestroyCovers();
  if (displayPower_ != nullptr) UnregisterPowerSettingNotification(displayPower_);
  displayPower_ = nullptr;
  fullScreen_ = false;
  destroying_ = true;
  DestroyWindow(window_);
  destroying_ = false;
  window_ = nullptr;
  views_.clear();
  canvas_.reset();
}

std::span<const View> Win32Platform::Views() {
  views_.clear();
  if (window_ == nullptr || !canvas_) return views_;
  dpiFixed_ = true;
  views_.push_back(View{viewId_, canvas_.get(), dpi_, displayOn_});
  for (const Cover& cover : covers_) {
    views_.push_back(View{cover.viewId, cover.canvas.get(), cover.dpi, displayOn_});
  }
  return views_;
}

Hwnd Win32Platform::FindWindowA(const char* className, const char* windowName) {
  return Narrow(::FindWindowA(className, windowName));
}

Bool Win32Platform::GetClientRect(Hwnd window, Rect* rect) {
  RECT r{};
  const BOOL ok = ::GetClientRect(Widen(window), &r);
  if (ok != 0 && rect != nullptr) *rect = Rect{r.left, r.top, r.right, r.bottom};
  return ok;
}

Long Win32Platform::GetWindowLongA(Hwnd window, int index) {
  if (index == kOwnerLinkIndex) {
    return Narrow(reinterpret_cast<HWND>(GetWindowLongPtrA(Widen(window), index)));
  }
  return ::GetWindowLongA(Widen(window), index);
}

// The owner link holds a handle: it goes to the pointer-sized function, widened, since the
// 32-bit one refuses that index on 64-bit Windows.
Long Win32Platform::SetWindowLongA(Hwnd window, int index, Long value) {
  if (index == kOwnerLinkIndex) {
    return Narrow(reinterpret_cast<HWND>(
        SetWindowLongPtrA(Widen(window), index, reinterpret_cast<LONG_PTR>(Widen(value)))));
  }
  return ::SetWindowLongA(Widen(window), index, value);
}

Hwnd Win32Platform::SetParent(Hwnd child, Hwnd newParent) {
  return Narrow(::SetParent(Widen(child), Widen(newParent)));
}

Bool Win32Platform::SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                                 UInt flags) {
  const BOOL ok = ::SetWindowPos(Widen(window), Widen(insertAfter), x, y, cx, cy, flags);
  // Embedded, it takes the resolution of the monitor its host is on.
  if (Widen(window) == window_ && !dpiFixed_) dpi_ = WindowDpi();
  return ok;
}

int Win32Platform::ShowCursor(Bool show) {
  return ::ShowCursor(show != 0 ? TRUE : FALSE);
}

}  // namespace host::win32
