// Facts about this process that Windows keeps: another copy of the same program, and where an
// error message can go.
#pragma once

#include <windows.h>

#include <string_view>

namespace host::win32 {

// Holds a mutex named after this executable's full path for the life of the process; another
// copy of the same file holds the same one.
class InstanceMark {
 public:
  InstanceMark();
  ~InstanceMark();
  InstanceMark(const InstanceMark&) = delete;
  InstanceMark& operator=(const InstanceMark&) = delete;

  // Whether another copy already held the mutex when this one was made.
  bool AnotherCopyRuns() const { return anotherCopy_; }

 private:
  HANDLE mutex_ = nullptr;
  bool anotherCopy_ = false;
};

// One line on standard error when the caller gave the program one (a console, a file or a
// pipe); otherwise a message box with the same text, since a program started by the Settings
// dialog has no console. The pointer shows over the box even while the program has hidden it.
void ReportErrorLine(std::string_view line);

}  // namespace host::win32
