// The x86 test programs' nanosleep. They are built with the 64-bit time_t
// (as the DLL is), but Debian's winpthread was built with the 32-bit one, so
// the nanosleep it provides misreads the timespec that libstdc++'s inline
// std::this_thread::sleep_for hands it: a 700 ms sleep returned at once. This
// definition, of our own timespec, is linked in its place.
#if defined(__MINGW32__) && !defined(_WIN64) && defined(__MINGW_USE_VC2005_COMPAT)
#include <errno.h>
#include <time.h>
#include <windows.h>

extern "C" int nanosleep(const struct timespec* request, struct timespec* remain) {
    if (request == nullptr || request->tv_sec < 0 || request->tv_nsec < 0 ||
        request->tv_nsec >= 1000000000L) {
        errno = EINVAL;
        return -1;
    }
    unsigned long long ms =
        static_cast<unsigned long long>(request->tv_sec) * 1000u +
        (static_cast<unsigned long long>(request->tv_nsec) + 999999u) / 1000000u;
    while (ms > 0) {
        const DWORD chunk = ms > 0xFFFFFFF0ull ? 0xFFFFFFF0ul : static_cast<DWORD>(ms);
        Sleep(chunk);
        ms -= chunk;
    }
    if (remain != nullptr) *remain = timespec{};
    return 0;
}
#endif
