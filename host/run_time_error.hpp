// Run-time errors of the forms runtime. The program never catches them: the runtime reports
// the error, restores the pointer and ends the program with status 1.
#pragma once

#include <stdexcept>
#include <string>

namespace host {

enum class ErrorCode {
  kInvalidProcedureCall = 5,
  kOverflow = 6,
  kTypeMismatch = 13,
  kInvalidPropertyValue = 380,
  kInvalidWindowHandle = 1400,
};

std::string_view ErrorName(ErrorCode code);

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(ErrorCode code, const std::string& cause);
  ErrorCode code() const { return code_; }
  const std::string& cause() const { return cause_; }

 private:
  ErrorCode code_;
  std::string cause_;
};

[[noreturn]] void Raise(ErrorCode code, const std::string& cause);

// Thrown by End: the program stops at once, with no further event.
struct ProgramEnd {};

}  // namespace host
