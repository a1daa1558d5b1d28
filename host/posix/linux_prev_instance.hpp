// Whether another process of this user runs the same executable file.
#pragma once

namespace host::posix {

// Compares the device and inode behind /proc/<pid>/exe with /proc/self/exe for every other
// process; other users' processes cannot be read and never count.
bool AnotherInstanceRuns();

}  // namespace host::posix
