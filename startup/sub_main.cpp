#include "startup/sub_main.hpp"

#include <array>
#include <string_view>

#include "host/text.hpp"
#include "host/window_styles.hpp"

namespace startup {
namespace {

// The mode key (the first two characters of the trimmed, upper-cased command line) selects the
// run mode; the first match counts and anything unlisted starts the saver.
struct ModeKey {
  std::string_view key;
  RunMode mode;
};
constexpr std::array<ModeKey, 4> kModeKeys = {{
    {"/C", RunModeConfigure},
    {"", RunModeSaver},
    {"/S", RunModeSaver},
    {"/P", RunModePreview},
}};
constexpr RunMode kOtherModeKey = RunModeSaver;

// A top-level window with this caption marks a running full-screen instance.
constexpr const char* kMarkerCaption = "VorthaneSoftware";
constexpr const char* kPreviewCaption = "Preview";

RunMode ModeFor(std::string_view modeKey) {
  for (const ModeKey& entry : kModeKeys) {
    if (entry.key == modeKey) return entry.mode;
  }
  return kOtherModeKey;
}

}  // namespace

SubMain::SubMain(host::Runtime& app, cover::FrmCover& cover) : App(app), frmCover(cover) {}

void SubMain::Main() {
  const std::string commandLine = host::UCase(host::Trim(App.Command()));
  const std::string modeKey = host::Mid(commandLine, 1, 2);
  CurrentRunMode = ModeFor(modeKey);
  App.NoteRunMode(CurrentRunMode);
  switch (CurrentRunMode) {
    case RunModeSaver:
      RunSaver();
      break;
    case RunModePreview:
      RunPreview(commandLine);
      break;
    default:
      break;  // configure: no dialog; with no window loaded the program ends
  }
}

// Runs on alone when no other copy runs; beside other copies it ends if one of them marked its
// window, and otherwise marks its own.
void SubMain::GuardSingleInstance() {
  if (App.PrevInstance() != host::True) return;
  if (App.User32().FindWindowA(nullptr, kMarkerCaption) != 0) App.End();
  frmCover.SetCaption(kMarkerCaption);
}

void SubMain::RunSaver() {
  GuardSingleInstance();
  frmCover.Load();
  frmCover.Show();
  App.User32().ShowCursor(0);  // hidden until the window unloads
}

// "/P <handle>": the cover window becomes a child of the host's preview window, covering its
// client area, captioned "Preview", shown without taking the focus. Input is ignored there.
void SubMain::RunPreview(const std::string& commandLine) {
  const std::int32_t hostWindow = ParsePreviewHandle(commandLine);
  host::Rect clientRect{};
  // A handle that names no window would leave an invisible instance nothing can close.
  if (App.User32().GetClientRect(hostWindow, &clientRect) == 0) {
    host::Raise(host::ErrorCode::kInvalidWindowHandle,
                "the preview window " + std::to_string(hostWindow) + " does not exist");
  }
  frmCover.Load();
  frmCover.SetCaption(kPreviewCaption);
  const host::Hwnd cover = frmCover.hWnd();
  using namespace host::wm;
  const host::Long style = App.User32().GetWindowLongA(cover, kGwlStyle);
  App.User32().SetWindowLongA(cover, kGwlStyle, style | kWsChild);
  App.User32().SetParent(cover, hostWindow);
  App.User32().SetWindowLongA(cover, kGwlHwndParent, hostWindow);
  App.User32().SetWindowPos(cover, 0, 0, 0, clientRect.right, clientRect.bottom,
                            kSwpNoZOrder | kSwpNoActivate | kSwpShowWindow);
}

std::int32_t SubMain::ParsePreviewHandle(std::string text) {
  text = host::Trim(text);
  // The position counter is 16 bits wide, range-checked as the runtime does.
  std::int16_t position = host::Len16(text);
  while (position >= 1) {
    const char c = text[static_cast<std::size_t>(position - 1)];
    if (c < '0' || c > '9') break;
    --position;
  }
  const std::int16_t digitsStart = host::CInt(std::int32_t{position} + 1);
  // Windows writes the handle as an unsigned number; the handle is its 32 bits.
  return host::CLngFromUnsigned(host::Mid(text, digitsStart));
}

}  // namespace startup
