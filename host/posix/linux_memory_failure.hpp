// Out of memory or stack (a tight `ulimit -v` or `ulimit -s`): one line on standard error and
// status 1 instead of an abort or a fault without a word. The display server drops the
// process's windows and cursors with its connection, so nothing it hid stays hidden.
#pragma once

namespace host::posix {

// A failed `new` and a memory fault (a library that did not check its allocation, a stack
// overflow, noticed on a stack of its own) end the program with this line. Threads started
// later get a stack of their own size, not the (perhaps tiny) one `ulimit -s` sets.
void EndWithOneLineOnMemoryFailure();

// The line for an exception that escaped the program.
const char* OutOfResourcesLine();

}  // namespace host::posix
