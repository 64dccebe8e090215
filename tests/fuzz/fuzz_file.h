// SPDX-License-Identifier: GPL-3.0-or-later
// For readers that take a path: one scratch folder per fuzzing process, and the input written
// whole to a file in it before each run.
#pragma once

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace vz::fuzz {

inline const std::string &scratchFolder()
{
    static const std::string folder = [] {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vezo-fuzz.XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return folder;
}

// The path of `name` in the scratch folder, holding exactly `bytes`.
inline std::string fileHolding(const std::string &name, std::string_view bytes)
{
    const std::string path = scratchFolder() + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        std::abort();
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            std::abort();
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return path;
}

} // namespace vz::fuzz
