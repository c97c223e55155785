// A failing disk for one directory, preloaded (LD_PRELOAD) into a child process:
// after a number of calls succeed, reads, writes, syncs, renames or removals of
// files under that directory fail with the chosen error, as a full or broken disk
// makes them fail; or the process is killed right there, as a power cut would.
// Everything else goes straight to the C library.
//
//   KVARSEL_FAULT_DIR    directory, as its real path; files at or below it are affected
//   KVARSEL_FAULT_CALL   read (read, pread, readv), write (write, pwrite, writev),
//                        sync (fsync, fdatasync), rename (rename, renameat, renameat2),
//                        unlink (unlink, unlinkat) or link (link, linkat)
//                        or a list of them, each as family[:after[:count]]
//   KVARSEL_FAULT_AFTER  how many such calls succeed first (default 0)
//   KVARSEL_FAULT_COUNT  how many fail then (default: all that follow)
//   KVARSEL_FAULT_ERRNO  ENOSPC, EIO, EACCES, EPERM (what a file system without
//                        hard links answers a link) or KILL (the process gets
//                        SIGKILL instead of the call; default ENOSPC)
//
// Plain C library calls only: this runs inside another program, before and
// around its own start-up.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

enum Family { kNone, kRead, kWrite, kSync, kRename, kUnlink, kLink, kFamilies };

constexpr int kMaxFd = 65536;
std::atomic<unsigned char> g_tracked[kMaxFd]; // fds opened on a file under the directory
std::atomic<long> g_calls[kFamilies];         // calls so far, per family

const char* faultDir()
{
    static const char* dir = std::getenv("KVARSEL_FAULT_DIR");
    return dir && *dir ? dir : nullptr;
}

long numberFrom(const char* name, long fallback);

struct Plan {
    bool on = false;
    long after = 0;
    long count = -1;
};

Family familyNamed(const char* name, size_t n)
{
    static const char* const names[] = {"", "read", "write", "sync", "rename", "unlink", "link"};
    for (int f = 1; f < kFamilies; ++f)
        if (std::strlen(names[f]) == n && !std::strncmp(names[f], name, n))
            return Family(f);
    return kNone;
}

// KVARSEL_FAULT_CALL: "family" or a list "family[:after[:count]],...", each
// family counted on its own; a missing number comes from KVARSEL_FAULT_AFTER/COUNT.
const Plan* plans()
{
    static const Plan* const table = [] {
        static Plan p[kFamilies];
        const char* calls = std::getenv("KVARSEL_FAULT_CALL");
        const long after = numberFrom("KVARSEL_FAULT_AFTER", 0);
        const long count = numberFrom("KVARSEL_FAULT_COUNT", -1);
        while (calls && *calls) {
            const char* end = std::strchr(calls, ',');
            const size_t len = end ? size_t(end - calls) : std::strlen(calls);
            const char* colon = static_cast<const char*>(std::memchr(calls, ':', len));
            const Family f = familyNamed(calls, colon ? size_t(colon - calls) : len);
            if (f != kNone) {
                p[f].on = true;
                p[f].after = after;
                p[f].count = count;
                if (colon) {
                    char* next = nullptr;
                    p[f].after = std::strtol(colon + 1, &next, 10);
                    if (next && *next == ':')
                        p[f].count = std::strtol(next + 1, nullptr, 10);
                }
            }
            calls = end ? end + 1 : nullptr;
        }
        return p;
    }();
    return table;
}

long numberFrom(const char* name, long fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::strtol(value, nullptr, 10) : fallback;
}

int faultErrno()
{
    const char* value = std::getenv("KVARSEL_FAULT_ERRNO");
    if (value && !std::strcmp(value, "EIO"))
        return EIO;
    if (value && !std::strcmp(value, "EACCES"))
        return EACCES;
    if (value && !std::strcmp(value, "EPERM"))
        return EPERM;
    if (value && !std::strcmp(value, "KILL"))
        return -1;
    return ENOSPC;
}

bool underDir(const char* path)
{
    const char* dir = faultDir();
    if (!dir || !path)
        return false;
    const size_t n = std::strlen(dir);
    // The lock a run holds on a directory is no file of the user's: the disk fails
    // for the files under test, whatever the lock does around them.
    const char* name = std::strrchr(path, '/');
    if (name && !std::strcmp(name + 1, ".kvarsel.lock"))
        return false;
    return std::strncmp(path, dir, n) == 0 && (path[n] == '/' || path[n] == '\0');
}

// The absolute form of `path` as seen from `dirfd` (AT_FDCWD: the current directory).
void absolute(int dirfd, const char* path, char* out, size_t size)
{
    if (path[0] == '/') {
        std::snprintf(out, size, "%s", path);
        return;
    }
    char base[PATH_MAX] = "";
    if (dirfd == AT_FDCWD) {
        if (!getcwd(base, sizeof base))
            base[0] = '\0';
    } else {
        char link[64];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
        const ssize_t len = readlink(link, base, sizeof base - 1);
        base[len > 0 ? len : 0] = '\0';
    }
    std::snprintf(out, size, "%s/%s", base, path);
}

void track(int fd)
{
    if (fd < 0 || fd >= kMaxFd)
        return;
    char link[64];
    char path[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t len = readlink(link, path, sizeof path - 1);
    path[len > 0 ? len : 0] = '\0';
    g_tracked[fd].store(len > 0 && underDir(path) ? 1 : 0);
}

bool trackedFd(int fd) { return fd >= 0 && fd < kMaxFd && g_tracked[fd].load() != 0; }

// Counts a call of `family` on the directory; true when this one is to fail.
bool shouldFail(Family family)
{
    const Plan& plan = plans()[family];
    if (!plan.on)
        return false;
    const long call = ++g_calls[family];
    if (call <= plan.after || (plan.count >= 0 && call > plan.after + plan.count))
        return false;
    if (faultErrno() < 0)
        raise(SIGKILL);
    errno = faultErrno();
    return true;
}

template <typename F> F next(const char* name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }

bool takesMode(int flags)
{
#ifdef O_TMPFILE
    if ((flags & O_TMPFILE) == O_TMPFILE)
        return true;
#endif
    return (flags & O_CREAT) != 0;
}

} // namespace

#define MODE_ARG(flags)                                                                                      \
    mode_t mode = 0;                                                                                         \
    if (takesMode(flags)) {                                                                                  \
        va_list args;                                                                                        \
        va_start(args, flags);                                                                               \
        mode = mode_t(va_arg(args, int));                                                                    \
        va_end(args);                                                                                        \
    }

extern "C" {

int open(const char* path, int flags, ...)
{
    MODE_ARG(flags)
    static auto real = next<int (*)(const char*, int, ...)>("open");
    const int fd = real(path, flags, mode);
    track(fd);
    return fd;
}

int open64(const char* path, int flags, ...)
{
    MODE_ARG(flags)
    static auto real = next<int (*)(const char*, int, ...)>("open64");
    const int fd = real(path, flags, mode);
    track(fd);
    return fd;
}

int openat(int dirfd, const char* path, int flags, ...)
{
    MODE_ARG(flags)
    static auto real = next<int (*)(int, const char*, int, ...)>("openat");
    const int fd = real(dirfd, path, flags, mode);
    track(fd);
    return fd;
}

int openat64(int dirfd, const char* path, int flags, ...)
{
    MODE_ARG(flags)
    static auto real = next<int (*)(int, const char*, int, ...)>("openat64");
    const int fd = real(dirfd, path, flags, mode);
    track(fd);
    return fd;
}

int creat(const char* path, mode_t mode)
{
    static auto real = next<int (*)(const char*, mode_t)>("creat");
    const int fd = real(path, mode);
    track(fd);
    return fd;
}

int close(int fd)
{
    static auto real = next<int (*)(int)>("close");
    if (fd >= 0 && fd < kMaxFd)
        g_tracked[fd].store(0);
    return real(fd);
}

ssize_t read(int fd, void* buffer, size_t count)
{
    static auto real = next<ssize_t (*)(int, void*, size_t)>("read");
    if (trackedFd(fd) && shouldFail(kRead))
        return -1;
    return real(fd, buffer, count);
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset)
{
    static auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    if (trackedFd(fd) && shouldFail(kRead))
        return -1;
    return real(fd, buffer, count, offset);
}

ssize_t pread64(int fd, void* buffer, size_t count, off64_t offset)
{
    static auto real = next<ssize_t (*)(int, void*, size_t, off64_t)>("pread64");
    if (trackedFd(fd) && shouldFail(kRead))
        return -1;
    return real(fd, buffer, count, offset);
}

ssize_t readv(int fd, const struct iovec* iov, int count)
{
    static auto real = next<ssize_t (*)(int, const struct iovec*, int)>("readv");
    if (trackedFd(fd) && shouldFail(kRead))
        return -1;
    return real(fd, iov, count);
}

ssize_t write(int fd, const void* buffer, size_t count)
{
    static auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    if (trackedFd(fd) && shouldFail(kWrite))
        return -1;
    return real(fd, buffer, count);
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    static auto real = next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    if (trackedFd(fd) && shouldFail(kWrite))
        return -1;
    return real(fd, buffer, count, offset);
}

ssize_t pwrite64(int fd, const void* buffer, size_t count, off64_t offset)
{
    static auto real = next<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
    if (trackedFd(fd) && shouldFail(kWrite))
        return -1;
    return real(fd, buffer, count, offset);
}

ssize_t writev(int fd, const struct iovec* iov, int count)
{
    static auto real = next<ssize_t (*)(int, const struct iovec*, int)>("writev");
    if (trackedFd(fd) && shouldFail(kWrite))
        return -1;
    return real(fd, iov, count);
}

int fsync(int fd)
{
    static auto real = next<int (*)(int)>("fsync");
    if (trackedFd(fd) && shouldFail(kSync))
        return -1;
    return real(fd);
}

int fdatasync(int fd)
{
    static auto real = next<int (*)(int)>("fdatasync");
    if (trackedFd(fd) && shouldFail(kSync))
        return -1;
    return real(fd);
}

static bool renameUnderDir(int olddirfd, const char* oldpath, int newdirfd, const char* newpath)
{
    char from[PATH_MAX + 64], to[PATH_MAX + 64];
    absolute(olddirfd, oldpath, from, sizeof from);
    absolute(newdirfd, newpath, to, sizeof to);
    return underDir(from) || underDir(to);
}

int rename(const char* oldpath, const char* newpath)
{
    static auto real = next<int (*)(const char*, const char*)>("rename");
    if (renameUnderDir(AT_FDCWD, oldpath, AT_FDCWD, newpath) && shouldFail(kRename))
        return -1;
    return real(oldpath, newpath);
}

int renameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath)
{
    static auto real = next<int (*)(int, const char*, int, const char*)>("renameat");
    if (renameUnderDir(olddirfd, oldpath, newdirfd, newpath) && shouldFail(kRename))
        return -1;
    return real(olddirfd, oldpath, newdirfd, newpath);
}

int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, unsigned flags)
{
    static auto real = next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    if (renameUnderDir(olddirfd, oldpath, newdirfd, newpath) && shouldFail(kRename))
        return -1;
    return real(olddirfd, oldpath, newdirfd, newpath, flags);
}

int link(const char* oldpath, const char* newpath)
{
    static auto real = next<int (*)(const char*, const char*)>("link");
    if (renameUnderDir(AT_FDCWD, oldpath, AT_FDCWD, newpath) && shouldFail(kLink))
        return -1;
    return real(oldpath, newpath);
}

int linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags)
{
    static auto real = next<int (*)(int, const char*, int, const char*, int)>("linkat");
    if (renameUnderDir(olddirfd, oldpath, newdirfd, newpath) && shouldFail(kLink))
        return -1;
    return real(olddirfd, oldpath, newdirfd, newpath, flags);
}

int unlink(const char* path)
{
    static auto real = next<int (*)(const char*)>("unlink");
    char full[PATH_MAX + 64];
    absolute(AT_FDCWD, path, full, sizeof full);
    if (underDir(full) && shouldFail(kUnlink))
        return -1;
    return real(path);
}

int unlinkat(int dirfd, const char* path, int flags)
{
    static auto real = next<int (*)(int, const char*, int)>("unlinkat");
    char full[PATH_MAX + 64];
    absolute(dirfd, path, full, sizeof full);
    if (underDir(full) && shouldFail(kUnlink))
        return -1;
    return real(dirfd, path, flags);
}

} // extern "C"
