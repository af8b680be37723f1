#include "platform/LibraryNoise.h"

#include <cstdio>

#if defined(__GLIBC__)
#include <cerrno>
#include <unistd.h>
#endif

namespace murmex::platform {

bool IsLibraryNoise(std::string_view text) {
    constexpr std::string_view kStart = "Expression '";
    return text.substr(0, kStart.size()) == kStart && text.find("' failed in '") != std::string_view::npos &&
           text.find("', line: ") != std::string_view::npos;
}

#if defined(__GLIBC__)
namespace {

// The filtered stream is unbuffered, and the C library formats a whole printf call before it hands an
// unbuffered stream its text, so each report arrives here in one piece.
ssize_t WriteFiltered(void*, const char* buffer, std::size_t size) {
    if (IsLibraryNoise({buffer, size}))
        return static_cast<ssize_t>(size);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(STDERR_FILENO, buffer + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return written > 0 ? static_cast<ssize_t>(written) : -1;
        written += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(size);
}

} // namespace

std::unique_lock<std::recursive_mutex> HoldStderr() {
    static auto* held = new std::recursive_mutex; // a thread may still write while the process ends
    return std::unique_lock<std::recursive_mutex>(*held);
}

// The GNU C library lets a program set stderr to a stream of its own; the libraries read the variable at
// each call. Writes straight to the descriptor (sanitizer reports among them) pass by the filter.
void FilterLibraryNoise() {
    static const bool installed = [] {
        FILE* filtered = fopencookie(nullptr, "w", cookie_io_functions_t{nullptr, WriteFiltered, nullptr, nullptr});
        if (!filtered)
            return false;
        std::setvbuf(filtered, nullptr, _IONBF, 0);
        std::fflush(stderr);
        stderr = filtered;
        return true;
    }();
    (void)installed;
}
#else
void FilterLibraryNoise() {}
#endif

} // namespace murmex::platform
