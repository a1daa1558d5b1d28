#include "host/posix/linux_prev_instance.hpp"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace host::posix {

bool AnotherInstanceRuns() {
  struct stat self {};
  if (stat("/proc/self/exe", &self) != 0) return false;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return false;
  const std::string ownPid = std::to_string(getpid());
  const uid_t user = geteuid();
  bool found = false;
  while (const dirent* entry = readdir(proc)) {
    const std::string name = entry->d_name;
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (name == ownPid) continue;
    const std::string dir = "/proc/" + name;
    struct stat owner {};
    struct stat exe {};
    if (stat(dir.c_str(), &owner) != 0 || owner.st_uid != user) continue;
    if (stat((dir + "/exe").c_str(), &exe) != 0) continue;
    if (exe.st_dev == self.st_dev && exe.st_ino == self.st_ino) {
      found = true;
      break;
    }
  }
  closedir(proc);
  return found;
}

}  // namespace host::posix
