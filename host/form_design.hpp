// Design data of a form and its controls: what the runtime creates when the form is loaded.
// Programs declare their forms as constant tables of these records.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <variant>

#include "host/basic_types.hpp"

namespace host {

struct FontDesign {
  std::string_view face{};
  int points = 0;
  int weight = 400;
  int charset = 0;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
};

struct TimerDesign {
  std::string_view name{};
  int number = 0;             // timers due in the same tick are delivered in ascending number
  std::int32_t interval = 0;  // milliseconds; 0 never fires
  bool enabled = false;
};

struct LabelDesign {
  std::string_view name{};
  std::string_view caption{};
  TwipRect box{};
  bool visible = false;
  Colour backColour = 0;
  Colour foreColour = 0;
  int tabIndex = 0;
  bool transparent = true;
  FontDesign font{};
};

struct ImageDesign {
  std::string_view name{};
  TwipRect box{};
  std::span<const std::uint8_t> picture{};  // a BMP file's bytes
  int pictureWidth = 0;                     // pixels
  int pictureHeight = 0;
  bool stretch = false;
  bool visible = true;
};

using ControlDesign = std::variant<TimerDesign, LabelDesign, ImageDesign>;

enum class WindowState { kNormal, kMinimized, kMaximized };
enum class BorderStyle { kNone, kFixedSingle, kSizable };

struct FormDesign {
  std::string_view name{};
  std::string_view caption{};
  Colour backColour = 0;
  WindowState windowState = WindowState::kNormal;
  BorderStyle borderStyle = BorderStyle::kSizable;
  TwipRect normalPlacement{};                 // the client area when neither maximized nor embedded
  std::span<const std::uint8_t> icon{};       // an ICO file's bytes
  std::span<const ControlDesign> controls{};  // front-most first
};

// Typed references to a form's controls: the control's position in FormDesign::controls.
struct LabelId {
  std::uint8_t index;
};
struct TimerId {
  std::uint8_t index;
};
struct ImageId {
  std::uint8_t index;
};

constexpr std::string_view ControlName(const ControlDesign& control) {
  return std::visit([](const auto& c) { return c.name; }, control);
}

template <typename Design>
constexpr std::uint8_t ControlIndex(std::span<const ControlDesign> controls,
                                    std::string_view name) {
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (std::holds_alternative<Design>(controls[i]) && ControlName(controls[i]) == name) {
      return static_cast<std::uint8_t>(i);
    }
  }
  throw std::logic_error("no such control");  // a compile-time error in constant evaluation
}

template <std::size_t N>
constexpr LabelId FindLabel(const std::array<ControlDesign, N>& controls, std::string_view name) {
  return LabelId{ControlIndex<LabelDesign>(controls, name)};
}
template <std::size_t N>
constexpr TimerId FindTimer(const std::array<ControlDesign, N>& controls, std::string_view name) {
  return TimerId{ControlIndex<TimerDesign>(controls, name)};
}
template <std::size_t N>
constexpr ImageId FindImage(const std::array<ControlDesign, N>& controls, std::string_view name) {
  return ImageId{ControlIndex<ImageDesign>(controls, name)};
}

}  // namespace host

namespace host {

template <std::size_t N>
constexpr TimerId FindTimerNumber(const std::array<ControlDesign, N>& controls, int number) {
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (std::holds_alternative<TimerDesign>(controls[i]) &&
        std::get<TimerDesign>(controls[i]).number == number) {
      return TimerId{static_cast<std::uint8_t>(i)};
    }
  }
  throw std::logic_error("no such timer");
}

}  // namespace host
