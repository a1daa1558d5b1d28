#include "host/posix/read_once.hpp"

#include <sys/mman.h>
#include <unistd.h>

namespace host::posix {

void ReleaseReadOnce(std::span<const std::uint8_t> bytes) {
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<std::uintptr_t>(bytes.data()) + page - 1) / page * page;
  const auto end = (reinterpret_cast<std::uintptr_t>(bytes.data()) + bytes.size()) / page * page;
  if (end > begin) posix_madvise(reinterpret_cast<void*>(begin), end - begin, POSIX_MADV_DONTNEED);
}

}  // namespace host::posix
