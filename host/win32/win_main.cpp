// vorthane.scr: the screen saver on Windows. Windows starts it with "/s" full-screen, "/p <hwnd>"
// for the Settings dialog's preview, "/c" (or "/c:<hwnd>", or nothing) for Settings.
#include <windows.h>

#include <string>

#include "host/runtime.hpp"
#include "host/win32/command_line.hpp"
#include "host/win32/win32_platform.hpp"
#include "startup/program.hpp"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Drawn at the monitor's real resolution, not stretched by Windows (the manifest says so too,
  // for the versions of Windows that read it there).
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (setContext != nullptr) {
    setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)));  // per monitor, v2
  }
  std::string commandLine =
      host::win32::Utf8FromWide(host::win32::ArgumentsAfterProgramName(GetCommandLineW()));
  host::win32::Win32Platform platform(instance, std::move(commandLine));
  host::Runtime runtime(platform);
  startup::Program program(runtime);
  const int status = program.Run();
  platform.SwallowHeldKeys();
  return status;
}
