// The program's arguments as one text, from the command line Windows hands every process.
#pragma once

#include <string>
#include <string_view>

namespace host::win32 {

// What follows the program's name: the name is the first token (quoted when it starts with a
// quote, else up to the first blank), and the blanks (spaces and tabs) after it are skipped,
// as the C runtime does for WinMain. The rest is kept exactly as it was written.
std::wstring_view ArgumentsAfterProgramName(std::wstring_view commandLine);

// UTF-16 to UTF-8 and back; unpaired surrogates become U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

}  // namespace host::win32
