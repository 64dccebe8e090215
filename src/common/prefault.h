// SPDX-License-Identifier: GPL-3.0-or-later
// Large buffers filled once (a whole ADIF file, the records of an import) are mapped in before
// they are written: one call instead of a page fault for every 4 KiB, which on a virtual
// machine costs more than the work done on the page.
#pragma once

#include <cstddef>

namespace vz::memory {

// Maps the pages of [data, data + bytes) in, ready for writing. Only a hint: where the system
// cannot, the pages are mapped in as they are first touched, as usual.
void prefault(void *data, std::size_t bytes);

// The same for the spare capacity of a container after reserve().
template <typename Container> void prefaultCapacity(Container &c)
{
    prefault(c.data() + c.size(), (c.capacity() - c.size()) * sizeof(*c.data()));
}

} // namespace vz::memory
