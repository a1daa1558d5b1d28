#include "host/run_time_error.hpp"

namespace host {

std::string_view ErrorName(ErrorCode code) {
  switch (code) {
    case ErrorCode::kInvalidProcedureCall:
      return "Invalid procedure call or argument";
    case ErrorCode::kOverflow:
      return "Overflow";
    case ErrorCode::kTypeMismatch:
      return "Type mismatch";
    case ErrorCode::kInvalidPropertyValue:
      return "Invalid property value";
    case ErrorCode::kInvalidWindowHandle:
      return "Invalid window handle";
  }
  return "Unknown error";
}

RunTimeError::RunTimeError(ErrorCode code, const std::string& cause)
    : std::runtime_error(std::string(ErrorName(code)) + ": " + cause), code_(code), cause_(cause) {}

void Raise(ErrorCode code, const std::string& cause) {
  throw RunTimeError(code, cause);
}

}  // namespace host
