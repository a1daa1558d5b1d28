// vorthane.scr started the way Windows starts it, for the tests that play the Settings dialog
// and the screen-saver service: its standard error goes to a file the test reads, and every
// wait pumps this thread's messages (the saver's window calls into the host's window).
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace win32test {

// The built vorthane.scr, as a Windows path.
std::wstring SaverPath();
// A path of the build machine as a Windows path (a Linux path becomes one on wine's drive Z:).
std::wstring WindowsPath(const std::string& built);

class SaverProcess {
 public:
  // Starts vorthane.scr with these arguments (the text after the program's name).
  explicit SaverProcess(const std::wstring& arguments);
  // Starts another program the same way (its standard output goes to the same file).
  SaverProcess(const std::wstring& program, const std::wstring& arguments);
  ~SaverProcess();  // ends a saver still running
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;

  DWORD pid() const { return info_.dwProcessId; }
  bool Running() const;
  // The exit status, or nothing if it still runs after `limit`.
  std::optional<DWORD> WaitExit(std::chrono::milliseconds limit);
  std::string Stderr() const;
  // Ends it at once, as a crash or the task manager would.
  void Kill();
  // Its visible top-level windows.
  std::vector<HWND> TopLevelWindows() const;
  // Waits for its first visible top-level window (nullptr after `limit`).
  HWND WaitForWindow(std::chrono::milliseconds limit = std::chrono::seconds(10));

 private:
  PROCESS_INFORMATION info_{};
  std::wstring stderrPath_;
};

// Runs a program (under wine this may be a Linux one) and returns the first line it writes to
// its standard output, waiting at most `limit` for it and pumping this thread's messages.
std::string RunForOutputLine(const std::wstring& program, const std::wstring& arguments,
                             std::chrono::milliseconds limit);

// Handles this thread's messages until `done` holds or `limit` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
// Handles this thread's messages for this long.
void PumpFor(std::chrono::milliseconds time);

std::wstring WindowText(HWND window);

}  // namespace win32test
