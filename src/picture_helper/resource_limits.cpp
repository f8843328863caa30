#include "resource_limits.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define SPOLEBOX_HELPER_HAS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SPOLEBOX_HELPER_HAS_ASAN 1
#endif
#endif

namespace picture_helper {

namespace {

void setLimit(int resource, rlim_t value) {
    rlimit limit{value, value};
    ::setrlimit(resource, &limit);
}

} // namespace

void limitResources(std::chrono::seconds seconds, std::size_t megabytes) {
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    setLimit(RLIMIT_CPU, rlim_t(seconds.count()));
    ::alarm(unsigned(seconds.count()));
    setLimit(RLIMIT_CORE, 0);
    // A write to a file fails instead of ending the helper: a library may try to keep a
    // cache (fontconfig does) and goes on without it.
    setLimit(RLIMIT_FSIZE, 0);
    std::signal(SIGXFSZ, SIG_IGN);
#ifndef SPOLEBOX_HELPER_HAS_ASAN
    setLimit(RLIMIT_AS, rlim_t(megabytes) * 1024 * 1024);
#else
    (void)megabytes;
#endif
}

} // namespace picture_helper
