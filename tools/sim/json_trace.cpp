#include "tools/sim/json_trace.hpp"

#include <charconv>
#include <cstdio>

namespace sim {
namespace {

template <typename Number>
void AppendNumber(std::string& out, Number value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void AppendJson(std::string& out, const host::TraceValue& value) {
  std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string_view>) {
          AppendJsonString(out, v);
        } else if constexpr (std::is_same_v<T, bool>) {
          out += v ? "true" : "false";
        } else if constexpr (std::is_same_v<T, std::nullptr_t>) {
          out += "null";
        } else if constexpr (std::is_same_v<T, host::TraceBoxes>) {
          out += '[';
          for (const host::drawing::PixelRect& box : v) {
            if (&box != v.data()) out += ',';
            out += '[';
            AppendNumber(out, box.x);
            out += ',';
            AppendNumber(out, box.y);
            out += ',';
            AppendNumber(out, box.width);
            out += ',';
            AppendNumber(out, box.height);
            out += ']';
          }
          out += ']';
        } else if constexpr (std::is_same_v<T, host::TraceControls>) {
          out += '[';
          for (const host::drawing::VisibleControl& control : v) {
            if (&control != v.data()) out += ',';
            out += "{\"control\":";
            AppendJsonString(out, control.control);
            out += ",\"x\":";
            AppendNumber(out, control.box.x);
            out += ",\"y\":";
            AppendNumber(out, control.box.y);
            out += ",\"w\":";
            AppendNumber(out, control.box.width);
            out += ",\"h\":";
            AppendNumber(out, control.box.height);
            out += '}';
          }
          out += ']';
        } else {
          AppendNumber(out, v);
        }
      },
      value);
}

void JsonTrace::Write(double timeMs, host::TraceOp op,
                      std::initializer_list<host::TraceField> fields) {
  WriteWith(timeMs, op, fields, {});
}

void JsonTrace::WriteWith(double timeMs, host::TraceOp op,
                          std::initializer_list<host::TraceField> fields,
                          std::string_view jsonFields) {
  line_.clear();
  line_ += "{\"t\":";
  AppendNumber(line_, timeMs);
  line_ += ",\"op\":";
  AppendJsonString(line_, host::TraceOpName(op));
  for (const host::TraceField& field : fields) {
    line_ += ',';
    AppendJsonString(line_, field.key);
    line_ += ':';
    AppendJson(line_, field.value);
  }
  line_ += jsonFields;
  line_ += "}\n";
  std::fwrite(line_.data(), 1, line_.size(), out_);
}

}  // namespace sim
