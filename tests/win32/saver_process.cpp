#include "tests/win32/saver_process.hpp"

#include <stdexcept>
#include <string>

namespace win32test {
namespace {

std::string ReadWholeFile(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(no such file)";
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0 && got > 0) {
    text.append(buffer, got);
  }
  CloseHandle(file);
  return text;
}

}  // namespace

std::wstring SaverPath() {
  return WindowsPath(VORTHANE_SCR);
}

std::wstring WindowsPath(const std::string& built) {
  std::wstring path;
  for (const char c : built) path += static_cast<wchar_t>(c);
  // Built on Linux: wine's drive Z: is the root of the file system.
  if (!path.empty() && path[0] == L'/') {
    for (wchar_t& c : path) {
      if (c == L'/') c = L'\\';
    }
    path = L"Z:" + path;
  }
  return path;
}

SaverProcess::SaverProcess(const std::wstring& arguments) : SaverProcess(SaverPath(), arguments) {}

SaverProcess::SaverProcess(const std::wstring& path, const std::wstring& arguments) {
  wchar_t dir[MAX_PATH];
  wchar_t file[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"vsc", 0, file);
  stderrPath_ = file;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE errors =
      CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (errors == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create the stderr file");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = errors;
  startup.hStdOutput = errors;
  std::wstring commandLine = L"\"" + path + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  const BOOL ok = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                 nullptr, nullptr, &startup, &info_);
  CloseHandle(errors);
  if (ok == 0) {
    throw std::runtime_error("cannot start a program: error " + std::to_string(GetLastError()));
  }
}

SaverProcess::~SaverProcess() {
  if (Running()) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
  DeleteFileW(stderrPath_.c_str());
}

void SaverProcess::Kill() {
  TerminateProcess(info_.hProcess, 9);
  WaitForSingleObject(info_.hProcess, 5000);
}

bool SaverProcess::Running() const {
  return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> SaverProcess::WaitExit(std::chrono::milliseconds limit) {
  if (!PumpUntil([this] { return !Running(); }, limit)) return std::nullopt;
  DWORD status = 0;
  GetExitCodeProcess(info_.hProcess, &status);
  return status;
}

std::string SaverProcess::Stderr() const {
  return ReadWholeFile(stderrPath_);
}

std::vector<HWND> SaverProcess::TopLevelWindows() const {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{info_.dwProcessId, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == s->pid && IsWindowVisible(window)) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND SaverProcess::WaitForWindow(std::chrono::milliseconds limit) {
  HWND window = nullptr;
  PumpUntil(
      [&] {
        const std::vector<HWND> windows = TopLevelWindows();
        window = windows.empty() ? nullptr : windows.front();
        return window != nullptr || !Running();
      },
      limit);
  return window;
}

std::string RunForOutputLine(const std::wstring& program, const std::wstring& arguments,
                             std::chrono::milliseconds limit) {
  wchar_t dir[MAX_PATH];
  wchar_t file[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"vpr", 0, file);
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE output =
      CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) return {};
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION info{};
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &info);
  CloseHandle(output);
  std::string text;
  if (started != 0) {
    // wine gives no exit status for a Linux program: its one line of output is the answer.
    PumpUntil(
        [&] {
          text = ReadWholeFile(file);
          return text.find('\n') != std::string::npos;
        },
        limit);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  DeleteFileW(file);
  return text.substr(0, text.find('\n'));
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void PumpFor(std::chrono::milliseconds time) {
  PumpUntil([] { return false; }, time);
}

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

}  // namespace win32test
