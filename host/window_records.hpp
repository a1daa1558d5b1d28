// The records a window manager keeps for a window and for the pointer, for platforms whose own
// windows have no such records (the headless and X11 platforms). Where the window manager is
// real, its functions are called instead.
#pragma once

#include "host/basic_types.hpp"
#include "host/window_styles.hpp"

namespace host {

// A window's style bits and owner link, as GetWindowLongA and SetWindowLongA reach them.
struct WindowRecords {
  Long style = 0;
  Long ownerLink = 0;

  // The record at a window-long index; 0 for an index no window here keeps.
  Long Get(int index) const {
    if (index == wm::kGwlStyle) return style;
    if (index == wm::kGwlHwndParent) return ownerLink;
    return 0;
  }
  // Stores a record and returns its previous value.
  Long Set(int index, Long value) {
    Long* record = index == wm::kGwlStyle        ? &style
                   : index == wm::kGwlHwndParent ? &ownerLink
                                                 : nullptr;
    if (record == nullptr) return 0;
    const Long previous = *record;
    *record = value;
    return previous;
  }
  // The visibility bit as SetWindowPos's show and hide flags leave it.
  void ApplyPlacementFlags(UInt flags) {
    if (flags & wm::kSwpShowWindow) style |= wm::kWsVisible;
    if (flags & wm::kSwpHideWindow) style &= ~wm::kWsVisible;
  }
  bool Visible() const { return (style & wm::kWsVisible) != 0; }
};

// The pointer's display count: each hide lowers it, each show raises it, and the pointer is
// hidden while it is negative.
class PointerDisplayCount {
 public:
  int Show(Bool show) {
    count_ += show ? 1 : -1;
    return count_;
  }
  int Count() const { return count_; }
  bool Hidden() const { return count_ < 0; }

 private:
  int count_ = 0;
};

}  // namespace host
