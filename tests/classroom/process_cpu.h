// The process's CPU time so far (user and system, all threads), for the
// classroom's benchmark and soak to compare over a stretch of wall time.
#pragma once

#include <sys/resource.h>

namespace crvl::testing {

inline double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace crvl::testing
