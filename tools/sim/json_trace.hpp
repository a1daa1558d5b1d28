// Writes trace records as JSON Lines: one object per host operation.
#pragma once

#include <cstdio>
#include <string>

#include "host/trace.hpp"

namespace sim {

class JsonTrace : public host::TraceSink {
 public:
  explicit JsonTrace(std::FILE* out) : out_(out) {}
  void Write(double timeMs, host::TraceOp op,
             std::initializer_list<host::TraceField> fields) override;
  // The same record with more fields already written as JSON (",\"key\":value..."), for the
  // simulator's own records.
  void WriteWith(double timeMs, host::TraceOp op, std::initializer_list<host::TraceField> fields,
                 std::string_view jsonFields);

 private:
  std::FILE* out_;
  std::string line_;
};

// JSON text of a value: strings escaped, numbers in their shortest exact form.
void AppendJson(std::string& out, const host::TraceValue& value);
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace sim
