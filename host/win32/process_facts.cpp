#include "host/win32/process_facts.hpp"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/win32/command_line.hpp"

namespace host::win32 {
namespace {

// The executable's full path, upper-cased: paths differing only in case name the same file.
std::wstring OwnPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) {
      std::wstring path(buffer.data(), length);
      if (!path.empty()) CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
      return path;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// Mutex names may not hold backslashes and are limited in length: the path enters as a hash.
std::wstring MutexNameFor(const std::wstring& path) {
  std::uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a, 64 bits
  for (const wchar_t c : path) {
    hash ^= static_cast<std::uint16_t>(c);
    hash *= 0x100000001b3u;
  }
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\vorthane-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace

InstanceMark::InstanceMark() {
  mutex_ = CreateMutexW(nullptr, FALSE, MutexNameFor(OwnPath()).c_str());
  anotherCopy_ = mutex_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

InstanceMark::~InstanceMark() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

void ReportErrorLine(std::string_view line) {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error != nullptr && error != INVALID_HANDLE_VALUE &&
      GetFileType(error) != FILE_TYPE_UNKNOWN) {
    const std::string text = std::string(line) + "\r\n";
    DWORD written = 0;
    if (WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
        written == text.size()) {
      return;
    }
  }
  int raised = 1;  // calls made so far, counting the one about to be made
  while (ShowCursor(TRUE) < 0) ++raised;
  MessageBoxW(nullptr, WideFromUtf8(line).c_str(), L"Vorthane",
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  // Back to the count the runtime keeps track of; it shows the pointer again as it ends.
  while (raised-- > 0) ShowCursor(FALSE);
}

}  // namespace host::win32
