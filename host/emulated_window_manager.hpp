// The window manager's functions for platforms whose system has none of them (X11, Wayland, the
// headless platform), written once: the form window's style bits and owner link, its parent and
// placement, and the pointer's display count are kept here, and each call becomes the platform
// operation it stands for. Windows other than the form are only ever looked at, never changed.
#pragma once

#include "host/drawing/pixel_geometry.hpp"
#include "host/window_manager_functions.hpp"
#include "host/window_operations.hpp"
#include "host/window_records.hpp"

namespace host {

class EmulatedWindowManager : public WindowManagerFunctions {
 public:
  // operations: null for a platform whose system has the functions itself (never called then).
  explicit EmulatedWindowManager(WindowOperations* operations) : platform_(operations) {}

  // The form's window as the runtime creates, shows and destroys it.
  void FormCreated(Hwnd form, const drawing::PixelRect& normalPlacement);
  void FormShownFullScreen();
  void FormDestroyed();

  Hwnd FindWindowA(const char* className, const char* windowName) override;
  Bool GetClientRect(Hwnd window, Rect* rect) override;
  Long GetWindowLongA(Hwnd window, int index) override;
  Long SetWindowLongA(Hwnd window, int index, Long value) override;
  Hwnd SetParent(Hwnd child, Hwnd newParent) override;
  Bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    UInt flags) override;
  int ShowCursor(Bool show) override;

  // Inspection: the form window's records, its parent and the pointer's display count.
  const WindowRecords& FormRecords() const { return records_; }
  Hwnd FormParent() const { return parent_; }
  int PointerCount() const { return pointer_.Count(); }

 private:
  bool IsForm(Hwnd window) const { return form_ != 0 && window == form_; }

  WindowOperations* platform_;  // the platform's operations
  Hwnd form_ = 0;
  WindowRecords records_;
  Hwnd parent_ = 0;
  drawing::PixelRect placement_;  // in the parent's client pixels
  PointerDisplayCount pointer_;
};

}  // namespace host
