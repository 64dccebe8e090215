// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/prefault.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace vz::memory {

void prefault(void *data, std::size_t bytes)
{
#ifdef MADV_POPULATE_WRITE
    // Below a megabyte the faults cost too little to matter.
    if (bytes < (std::size_t{1} << 20))
        return;
    static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t last = (begin + bytes) / page * page;
    if (last <= first)
        return;
    // Whole 2 MiB stretches inside the range can be huge pages: one mapping instead of 512.
    constexpr std::uintptr_t huge = std::uintptr_t{2} << 20;
    const std::uintptr_t hugeFirst = (first + huge - 1) / huge * huge;
    const std::uintptr_t hugeLast = last / huge * huge;
    if (hugeLast > hugeFirst)
        ::madvise(reinterpret_cast<void *>(hugeFirst), hugeLast - hugeFirst, MADV_HUGEPAGE);
    ::madvise(reinterpret_cast<void *>(first), last - first, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace vz::memory
