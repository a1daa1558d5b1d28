#include "host/emulated_window_manager.hpp"

namespace host {

using namespace host::wm;

void EmulatedWindowManager::FormCreated(Hwnd form, const drawing::PixelRect& normalPlacement) {
  form_ = form;
  records_ = WindowRecords{.style = kPopupStyle};
  parent_ = 0;
  placement_ = normalPlacement;
}

void EmulatedWindowManager::FormShownFullScreen() {
  records_.style |= kWsVisible | kWsMaximize;
}

void EmulatedWindowManager::FormDestroyed() {
  form_ = 0;
  records_ = WindowRecords{};
  parent_ = 0;
}

// No window here has a registered class name; a null title matches any top-level window.
Hwnd EmulatedWindowManager::FindWindowA(const char* className, const char* windowName) {
  if (className != nullptr) return 0;
  return platform_->FindTopLevelWindow(windowName);
}

Bool EmulatedWindowManager::GetClientRect(Hwnd window, Rect* rect) {
  if (rect == nullptr || window == 0) return 0;
  if (IsForm(window)) {
    *rect = Rect{0, 0, placement_.width, placement_.height};
    return 1;
  }
  const std::optional<drawing::PixelSize> size = platform_->HostClientSize(window);
  if (!size) return 0;
  *rect = Rect{0, 0, size->width, size->height};
  return 1;
}

Long EmulatedWindowManager::GetWindowLongA(Hwnd window, int index) {
  return IsForm(window) ? records_.Get(index) : 0;
}

Long EmulatedWindowManager::SetWindowLongA(Hwnd window, int index, Long value) {
  return IsForm(window) ? records_.Set(index, value) : 0;
}

Hwnd EmulatedWindowManager::SetParent(Hwnd child, Hwnd newParent) {
  if (!IsForm(child) || newParent < 0 || newParent == form_) return 0;
  if (!platform_->EmbedForm(newParent)) return 0;
  const Hwnd previous = parent_;
  parent_ = newParent;
  return previous;
}

Bool EmulatedWindowManager::SetWindowPos(Hwnd window, Hwnd, int x, int y, int cx, int cy,
                                         UInt flags) {
  if (!IsForm(window)) return 0;
  if ((flags & kSwpNoMove) == 0) {
    placement_.x = x;
    placement_.y = y;
  }
  if ((flags & kSwpNoSize) == 0) {
    // A negative size is no size at all, as the window manager clamps it.
    placement_.width = cx < 0 ? 0 : cx;
    placement_.height = cy < 0 ? 0 : cy;
  }
  std::optional<bool> show;
  if (flags & kSwpShowWindow) show = true;
  if (flags & kSwpHideWindow) show = false;
  records_.ApplyPlacementFlags(flags);
  platform_->PlaceForm(placement_, show);
  return 1;
}

int EmulatedWindowManager::ShowCursor(Bool show) {
  const int count = pointer_.Show(show);
  platform_->SetPointerHidden(pointer_.Hidden());
  return count;
}

}  // namespace host
