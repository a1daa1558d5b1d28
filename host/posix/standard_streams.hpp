// A launcher may start the program with standard input, output or error closed. The first file
// the program (or a library) opened would then take that number, and a warning meant for
// standard error would be written into it: so each closed one is opened on /dev/null first.
#pragma once

namespace host::posix {

// Call before anything else opens a file.
void OpenClosedStandardStreams();

}  // namespace host::posix
