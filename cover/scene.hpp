// The cover window's scene: window settings and its 26 controls, front-most first. Loading the
// form creates everything from this table; nothing else places or paints a control.
#pragma once

#include <array>
#include <span>

#include "credits/timer_table.hpp"
#include "host/form_design.hpp"
#include "vorthane/assets.hpp"

namespace cover {

inline constexpr host::Colour kBlack = 0x00000000;
inline constexpr host::Colour kWhite = 0x00FFFFFF;
inline constexpr host::Colour kMenuText = 0x80000007;
inline constexpr host::Colour kHighlightText = 0x8000000E;
inline constexpr host::Colour kButtonText = 0x80000012;

inline constexpr host::FontDesign kCaptionFont{
    .face = "Algerian", .points = 12, .weight = 400, .charset = 0};

constexpr host::ControlDesign TimerControl(int number) {
  const credits::TimerRow& row = credits::kTimerTable[static_cast<std::size_t>(number - 1)];
  return host::TimerDesign{row.name, row.number, row.interval, row.enabledAtLoad};
}

constexpr host::ControlDesign CaptionLabel(std::string_view name, std::string_view caption,
                                           host::TwipRect box, bool visible, host::Colour back,
                                           host::Colour fore, int tabIndex) {
  return host::LabelDesign{name, caption, box, visible, back, fore, tabIndex, true, kCaptionFont};
}

inline constexpr std::array<host::ControlDesign, 26> kFrmCoverControls = {
    TimerControl(20),
    TimerControl(19),
    TimerControl(17),
    TimerControl(18),
    TimerControl(16),
    TimerControl(15),
    TimerControl(13),
    TimerControl(14),
    TimerControl(12),
    TimerControl(11),
    TimerControl(9),
    TimerControl(10),
    TimerControl(8),
    TimerControl(7),
    TimerControl(6),
    TimerControl(5),
    TimerControl(4),
    TimerControl(3),
    TimerControl(2),
    TimerControl(1),
    CaptionLabel("Label5", "Dace Mirrowin", {11520, 120, 1695, 255}, false, kButtonText,
                 kHighlightText, 4),
    CaptionLabel("Label4", " AND", {9240, 120, 615, 255}, false, kButtonText, kHighlightText, 3),
    CaptionLabel("Label3", "Taliv Orrenby", {6480, 120, 1575, 495}, false, kButtonText,
                 kHighlightText, 2),
    CaptionLabel("Label2", "Created By:", {3960, 120, 1575, 495}, false, kMenuText, kHighlightText,
                 1),
    CaptionLabel("Label1", "Vorthane Software", {120, 120, 2535, 255}, true, kMenuText, kWhite, 0),
    host::ImageDesign{.name = "Image1",
                      .box = {1560, 4320, 12060, 3060},
                      .picture = assets::kBannerBmp,
                      .pictureWidth = 804,
                      .pictureHeight = 204,
                      .stretch = false,
                      .visible = true},
};

inline constexpr host::FormDesign kFrmCoverDesign{
    .name = "frmCover",
    .caption = "",
    .backColour = kBlack,
    .windowState = host::WindowState::kMaximized,
    .borderStyle = host::BorderStyle::kNone,
    .normalPlacement = {2010, 2430, 15090, 10065},
    .icon = assets::kIconIco,
    .controls = kFrmCoverControls,
};

// The controls by name.
inline constexpr host::ImageId Image1 = host::FindImage(kFrmCoverControls, "Image1");
inline constexpr host::LabelId Label1 = host::FindLabel(kFrmCoverControls, "Label1");
inline constexpr host::LabelId Label2 = host::FindLabel(kFrmCoverControls, "Label2");
inline constexpr host::LabelId Label3 = host::FindLabel(kFrmCoverControls, "Label3");
inline constexpr host::LabelId Label4 = host::FindLabel(kFrmCoverControls, "Label4");
inline constexpr host::LabelId Label5 = host::FindLabel(kFrmCoverControls, "Label5");
inline constexpr std::array<host::LabelId, 5> kCaptionLines = {Label1, Label2, Label3, Label4,
                                                               Label5};

// Timer n is kTimers[n - 1].
inline constexpr std::array<host::TimerId, 20> kTimers = [] {
  std::array<host::TimerId, 20> ids{};
  for (int n = 1; n <= 20; ++n) {
    ids[static_cast<std::size_t>(n - 1)] = host::FindTimerNumber(kFrmCoverControls, n);
  }
  return ids;
}();

}  // namespace cover
