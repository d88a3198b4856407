// A SQLite VFS that fails one chosen file operation, loaded into a program with LD_PRELOAD:
// it wraps the default VFS and becomes the default itself, so the program runs unchanged.
//
//   ZEL_FAULT=read:N | write:N | sync:N | lock:N | size:N
//       the N-th call of that kind (counted over every file) fails with the I/O error
//       SQLite expects of it, once; every other call goes through
//   ZEL_FAULT=full:N
//       the N-th write and every one after it fail with SQLITE_FULL (the disk stays full)
//   ZEL_FAULT_REPORT=FILE
//       at exit, FILE receives "injected <how many faults> calls <calls of that kind>"
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sqlite3.h>
#include <string>

namespace {

enum Kind { kRead, kWrite, kSync, kLock, kSize, kFull, kNone };

Kind g_kind = kNone;
long g_at = 0;
std::atomic<long> g_calls{0};
std::atomic<long> g_injected{0};
sqlite3_vfs* g_real = nullptr;

// Whether this call of `kind` is the one to fail.
bool Fails(Kind kind) {
    const bool counted = kind == g_kind || (g_kind == kFull && kind == kWrite);
    if (!counted) {
        return false;
    }
    const long n = ++g_calls;
    const bool fail = g_kind == kFull ? n >= g_at : n == g_at;
    if (fail) {
        ++g_injected;
    }
    return fail;
}

struct File {
    sqlite3_file base;
    sqlite3_file* real; // placed right after this struct, in the same allocation
};
sqlite3_file* Real(sqlite3_file* f) {
    return reinterpret_cast<File*>(f)->real;
}

int Close(sqlite3_file* f) {
    return Real(f)->pMethods != nullptr ? Real(f)->pMethods->xClose(Real(f)) : SQLITE_OK;
}
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    if (Fails(kRead)) {
        return SQLITE_IOERR_READ;
    }
    return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    if (Fails(kWrite)) {
        return g_kind == kFull ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    }
    return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    return Real(f)->pMethods->xTruncate(Real(f), size);
}
int Sync(sqlite3_file* f, int flags) {
    if (Fails(kSync)) {
        return SQLITE_IOERR_FSYNC;
    }
    return Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
    if (Fails(kSize)) {
        return SQLITE_IOERR_FSTAT;
    }
    return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int level) {
    if (Fails(kLock)) {
        return SQLITE_IOERR_LOCK;
    }
    return Real(f)->pMethods->xLock(Real(f), level);
}
int Unlock(sqlite3_file* f, int level) {
    return Real(f)->pMethods->xUnlock(Real(f), level);
}
int CheckReservedLock(sqlite3_file* f, int* out) {
    return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
    return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f) {
    return Real(f)->pMethods->xSectorSize(Real(f));
}
int DeviceCharacteristics(sqlite3_file* f) {
    return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) {
    Real(f)->pMethods->xShmBarrier(Real(f));
}
int ShmUnmap(sqlite3_file* f, int deleteFlag) {
    return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag);
}
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    *out = nullptr; // no memory-mapped reads: every read goes through Read
    (void)f, (void)offset, (void)amount;
    return SQLITE_OK;
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) {
    return Real(f)->pMethods->xUnfetch(Real(f), offset, page);
}

const sqlite3_io_methods kMethods = {
    3,
    Close,
    Read,
    Write,
    Truncate,
    Sync,
    FileSize,
    Lock,
    Unlock,
    CheckReservedLock,
    FileControl,
    SectorSize,
    DeviceCharacteristics,
    ShmMap,
    ShmLock,
    ShmBarrier,
    ShmUnmap,
    Fetch,
    Unfetch,
};

int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    auto* file = reinterpret_cast<File*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    file->base.pMethods = nullptr;
    const int rc = g_real->xOpen(g_real, name, file->real, flags, outFlags);
    if (file->real->pMethods != nullptr) {
        file->base.pMethods = &kMethods;
    }
    (void)vfs;
    return rc;
}

sqlite3_vfs g_vfs;

void Report() {
    if (const char* path = std::getenv("ZEL_FAULT_REPORT")) {
        if (FILE* out = std::fopen(path, "w")) {
            std::fprintf(out, "injected %ld calls %ld\n", g_injected.load(), g_calls.load());
            std::fclose(out);
        }
    }
}

__attribute__((constructor)) void Install() {
    const char* setting = std::getenv("ZEL_FAULT");
    if (setting == nullptr) {
        return;
    }
    static const char* const names[] = {"read", "write", "sync", "lock", "size", "full"};
    const std::string s(setting);
    const auto colon = s.find(':');
    for (int k = kRead; k < kNone; ++k) {
        if (s.substr(0, colon) == names[k]) {
            g_kind = static_cast<Kind>(k);
        }
    }
    g_at = colon == std::string::npos ? 0 : std::atol(s.c_str() + colon + 1);
    g_real = sqlite3_vfs_find(nullptr);
    if (g_kind == kNone || g_at <= 0 || g_real == nullptr) {
        std::fprintf(stderr, "ZEL_FAULT=%s: expected read|write|sync|lock|size|full:N\n", setting);
        std::abort();
    }
    g_vfs = *g_real;
    g_vfs.zName = "zel-fault";
    g_vfs.szOsFile = static_cast<int>(sizeof(File)) + g_real->szOsFile;
    g_vfs.xOpen = Open;
    sqlite3_vfs_register(&g_vfs, 1);
    std::atexit(Report);
}

} // namespace
