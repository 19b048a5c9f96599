/* Makes chosen system calls of a program fail or come back short, for the
 * tests of the copy step. Loaded with LD_PRELOAD; driven by
 *
 *   FALVORI_FAULT="call:n:how[,call:n:how...]"   how = short | zero | stop | EIO | ENOSPC | ...
 *   FALVORI_FAULT_LOG=path   gets one line per fault that fired, and at exit
 *                            "count CALL N" for every call seen
 *
 * The n-th call (counted from 1) of that function fails with the error, or
 * moves at most half its bytes (never more than 4093, so that a short result
 * never ends on a block border), or moves none (zero: a copy or a read that
 * ends early), or stops the process (SIGSTOP) and then makes the call, so
 * that a test can act in that moment. A close that fails has closed the
 * descriptor all the same, as on NFS. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>

enum { READ, WRITE, PREAD, PWRITE, COPY, SENDFILE, FSYNC, FDATASYNC, CLOSE, RENAME, RENAMEAT, RENAMEAT2, LINKAT,
       TMPFILE, CALLS };
/* "o_tmpfile" is an openat that makes an unnamed file. */
static const char* const names[CALLS] = {"read", "write", "pread64", "pwrite64", "copy_file_range", "sendfile",
                                         "fsync", "fdatasync", "close", "rename", "renameat",
                                         "renameat2", "linkat", "o_tmpfile"};
static long counts[CALLS];

enum { SHORT = 0, ZERO = -2, STOP = -3 };
struct fault { int call; long nth; int err; /* or one of the above */ };
static struct fault faults[16];
static int fault_count = -1;

static int error_number(const char* name) {
    static const struct { const char* name; int value; } known[] = {
        {"EIO", EIO}, {"ENOSPC", ENOSPC}, {"EDQUOT", EDQUOT}, {"EXDEV", EXDEV},
        {"EINTR", EINTR}, {"EPERM", EPERM}, {"EACCES", EACCES}, {"EINVAL", EINVAL},
        {"EOPNOTSUPP", EOPNOTSUPP}};
    for (size_t i = 0; i < sizeof known / sizeof known[0]; ++i)
        if (strcmp(known[i].name, name) == 0) return known[i].value;
    return atoi(name);
}

static void parse(void) {
    fault_count = 0;
    const char* plan = getenv("FALVORI_FAULT");
    if (!plan) return;
    char copy[512];
    snprintf(copy, sizeof copy, "%s", plan);
    char* save = NULL;
    for (char* item = strtok_r(copy, ",", &save); item && fault_count < 16;
         item = strtok_r(NULL, ",", &save)) {
        char call[64], how[32];
        long nth;
        if (sscanf(item, "%63[^:]:%ld:%31s", call, &nth, how) != 3) continue;
        for (int c = 0; c < CALLS; ++c) {
            if (strcmp(names[c], call) != 0 && !(c == PREAD && !strcmp(call, "pread")) &&
                !(c == PWRITE && !strcmp(call, "pwrite")))
                continue;
            faults[fault_count].call = c;
            faults[fault_count].nth = nth;
            faults[fault_count].err = !strcmp(how, "short") ? SHORT
                                      : !strcmp(how, "zero") ? ZERO
                                      : !strcmp(how, "stop") ? STOP : error_number(how);
            ++fault_count;
        }
    }
}

static void log_line(const char* text) {
    const char* path = getenv("FALVORI_FAULT_LOG");
    if (!path) return;
    FILE* f = fopen(path, "a");
    if (!f) return;
    fputs(text, f);
    fclose(f);
}

/* -1: no fault; SHORT, ZERO; else the error number. */
static int fault_for(int call, int fd) {
    if (fault_count < 0) parse();
    const long n = ++counts[call];
    for (int i = 0; i < fault_count; ++i) {
        if (faults[i].call != call || faults[i].nth != n) continue;
        char line[PATH_MAX + 128];
        const int err = faults[i].err;
        int len = snprintf(line, sizeof line, "fault %s %ld %s", names[call], n,
                           err > 0 ? strerror(err) : err == SHORT ? "short" : err == ZERO ? "zero" : "stop");
        if (call == CLOSE) {
            /* What is closed: a file written to, and where it lies. */
            char link[64], target[PATH_MAX] = "";
            snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
            const ssize_t got = readlink(link, target, sizeof target - 1);
            if (got > 0) target[got] = '\0';
            const int flags = fcntl(fd, F_GETFL);
            len += snprintf(line + len, sizeof line - len, " %s %s",
                            flags >= 0 && (flags & O_ACCMODE) != O_RDONLY ? "written" : "read",
                            target);
        }
        snprintf(line + len, sizeof line - len, "\n");
        log_line(line);
        if (err == STOP) {
            raise(SIGSTOP);
            return -1;
        }
        return err;
    }
    return -1;
}

static size_t shortened(size_t size) {
    size_t half = size / 2;
    if (half > 4093) half = 4093;
    return half ? half : 1;
}

__attribute__((destructor)) static void report_counts(void) {
    char line[96];
    for (int c = 0; c < CALLS; ++c) {
        snprintf(line, sizeof line, "count %s %ld\n", names[c], counts[c]);
        log_line(line);
    }
}

#define REAL(type, name, ...) \
    static type (*real)(__VA_ARGS__); \
    if (!real) real = (type (*)(__VA_ARGS__))dlsym(RTLD_NEXT, name)

ssize_t read(int fd, void* buf, size_t size) {
    REAL(ssize_t, "read", int, void*, size_t);
    const int f = fault_for(READ, fd);
    if (f > 0) return errno = f, -1;
    return real(fd, buf, f == 0 ? shortened(size) : size);
}

ssize_t write(int fd, const void* buf, size_t size) {
    REAL(ssize_t, "write", int, const void*, size_t);
    const int f = fault_for(WRITE, fd);
    if (f > 0) return errno = f, -1;
    return real(fd, buf, f == 0 ? shortened(size) : size);
}

ssize_t pread64(int fd, void* buf, size_t size, off_t offset) {
    REAL(ssize_t, "pread64", int, void*, size_t, off_t);
    const int f = fault_for(PREAD, fd);
    if (f > 0) return errno = f, -1;
    if (f == ZERO) return 0;
    return real(fd, buf, f == 0 ? shortened(size) : size, offset);
}
ssize_t pread(int fd, void* buf, size_t size, off_t offset) { return pread64(fd, buf, size, offset); }

ssize_t pwrite64(int fd, const void* buf, size_t size, off_t offset) {
    REAL(ssize_t, "pwrite64", int, const void*, size_t, off_t);
    const int f = fault_for(PWRITE, fd);
    if (f > 0) return errno = f, -1;
    return real(fd, buf, f == 0 ? shortened(size) : size, offset);
}
ssize_t pwrite(int fd, const void* buf, size_t size, off_t offset) { return pwrite64(fd, buf, size, offset); }

ssize_t copy_file_range(int in, off_t* in_off, int out, off_t* out_off, size_t size, unsigned flags) {
    REAL(ssize_t, "copy_file_range", int, off_t*, int, off_t*, size_t, unsigned);
    const int f = fault_for(COPY, out);
    if (f > 0) return errno = f, -1;
    if (f == ZERO) return 0;
    return real(in, in_off, out, out_off, f == 0 ? shortened(size) : size, flags);
}

ssize_t sendfile(int out, int in, off_t* offset, size_t size) {
    REAL(ssize_t, "sendfile", int, int, off_t*, size_t);
    const int f = fault_for(SENDFILE, out);
    if (f > 0) return errno = f, -1;
    if (f == ZERO) return 0;
    return real(out, in, offset, f == 0 ? shortened(size) : size);
}
ssize_t sendfile64(int out, int in, off_t* offset, size_t size) { return sendfile(out, in, offset, size); }

int fsync(int fd) {
    REAL(int, "fsync", int);
    const int f = fault_for(FSYNC, fd);
    if (f > 0) return errno = f, -1;
    return real(fd);
}

int fdatasync(int fd) {
    REAL(int, "fdatasync", int);
    const int f = fault_for(FDATASYNC, fd);
    if (f > 0) return errno = f, -1;
    return real(fd);
}

int close(int fd) {
    REAL(int, "close", int);
    const int f = fault_for(CLOSE, fd);
    const int result = real(fd);
    if (f > 0) return errno = f, -1;
    return result;
}

int rename(const char* from, const char* to) {
    REAL(int, "rename", const char*, const char*);
    const int f = fault_for(RENAME, -1);
    if (f > 0) return errno = f, -1;
    return real(from, to);
}

int renameat(int fromdir, const char* from, int todir, const char* to) {
    REAL(int, "renameat", int, const char*, int, const char*);
    const int f = fault_for(RENAMEAT, -1);
    if (f > 0) return errno = f, -1;
    return real(fromdir, from, todir, to);
}

int renameat2(int fromdir, const char* from, int todir, const char* to, unsigned flags) {
    REAL(int, "renameat2", int, const char*, int, const char*, unsigned);
    const int f = fault_for(RENAMEAT2, -1);
    if (f > 0) return errno = f, -1;
    return real(fromdir, from, todir, to, flags);
}

int linkat(int fromdir, const char* from, int todir, const char* to, int flags) {
    REAL(int, "linkat", int, const char*, int, const char*, int);
    const int f = fault_for(LINKAT, -1);
    if (f > 0) return errno = f, -1;
    return real(fromdir, from, todir, to, flags);
}

int openat(int dir, const char* path, int flags, ...) {
    REAL(int, "openat", int, const char*, int, ...);
    mode_t mode = 0;
    if (flags & (O_CREAT | __O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        const int f = fault_for(TMPFILE, -1);
        if (f > 0) return errno = f, -1;
    }
    return real(dir, path, flags, mode);
}
