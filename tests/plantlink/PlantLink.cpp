// Plants a symbolic link where a program is about to create a file; loaded with LD_PRELOAD.
// The first open(2) with O_CREAT of a path ending in ZEL_PLANT_SUFFIX first makes that path
// a link to ZEL_PLANT_TARGET. A program that creates its files new (O_EXCL, O_NOFOLLOW)
// finds the name taken and takes another; one that does not writes through the link.
#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {
std::atomic<bool> g_planted{false};

void MaybePlant(const char* path, int flags) {
    const char* suffix = std::getenv("ZEL_PLANT_SUFFIX");
    const char* target = std::getenv("ZEL_PLANT_TARGET");
    if ((flags & O_CREAT) == 0 || suffix == nullptr || target == nullptr || path == nullptr) {
        return;
    }
    const std::size_t n = std::strlen(path), k = std::strlen(suffix);
    if (n >= k && std::strcmp(path + n - k, suffix) == 0 && !g_planted.exchange(true)) {
        ::symlink(target, path);
    }
}

using OpenFn = int (*)(const char*, int, ...);

int Forward(const char* name, const char* path, int flags, mode_t mode) {
    MaybePlant(path, flags);
    static const auto real = reinterpret_cast<OpenFn>(::dlsym(RTLD_NEXT, name));
    return real(path, flags, mode);
}

mode_t ModeOf(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(args, int)) : 0;
}
} // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    return Forward("open", path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    return Forward("open64", path, flags, mode);
}
