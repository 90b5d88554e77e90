#pragma once

// Large buffers written once from start to end (a cartridge image, a workbook stream, a
// sheet's cells) are faulted in page by page, thousands of times for tens of megabytes.
// Asked for, the system backs them with 2 MB pages where it can.

#include <cstddef>
#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace common {

// Advises large pages for the whole 2 MB pages inside [data, data + size); smaller
// buffers and other systems are left as they are.
inline void AdviseLargePages(const void* data, size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kLarge = uintptr_t{2} << 20;
  const auto at = reinterpret_cast<uintptr_t>(data);
  const uintptr_t begin = (at + kLarge - 1) & ~(kLarge - 1);
  const uintptr_t end = (at + size) & ~(kLarge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace common
