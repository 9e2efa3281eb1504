/* LD_PRELOAD shim that counts the file operations a process makes on one
 * folder (a stand-in for a network share) and can make each of them slower.
 *   QEL_SHARE           the folder (a prefix of every path that counts)
 *   QEL_SHARE_DELAY_US  microseconds added to every counted operation
 * qel_share_ops() returns the count so far and qel_share_set_delay() changes
 * the delay (look them up with dlsym). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define MAX_FD 4096
static atomic_long ops, opens;
static atomic_char shared_fd[MAX_FD];

long qel_share_ops(void) { return atomic_load(&ops); }

/* With QEL_SHARE_REPORT set, the counts (operations, opens of the users
 * dataset) go into that file when the process ends. */
__attribute__((destructor)) static void report(void) {
    const char *path = getenv("QEL_SHARE_REPORT");
    FILE *out = path ? fopen(path, "w") : NULL;
    if (out) {
        fprintf(out, "%ld %ld\n", atomic_load(&ops), atomic_load(&opens));
        fclose(out);
    }
}

static atomic_long delay = -1;

/* From now on every counted operation takes `us` microseconds longer. */
void qel_share_set_delay(long us) { atomic_store(&delay, us); }

static void count(void) {
    if (atomic_load(&delay) < 0) {
        const char *text = getenv("QEL_SHARE_DELAY_US");
        atomic_store(&delay, text ? atol(text) : 0);
    }
    atomic_fetch_add(&ops, 1);
    if (atomic_load(&delay) > 0)
        usleep((useconds_t)atomic_load(&delay));
}

static int on_share(const char *path) {
    const char *share = getenv("QEL_SHARE");
    return share && path && *share && strncmp(path, share, strlen(share)) == 0;
}

static int fd_on_share(int fd) { return fd >= 0 && fd < MAX_FD && atomic_load(&shared_fd[fd]); }

#define REAL(name) static __typeof__(name) *real; if (!real) real = (__typeof__(name) *)dlsym(RTLD_NEXT, #name)

static int opened(const char *path, int fd) {
    if (fd >= 0 && fd < MAX_FD)
        atomic_store(&shared_fd[fd], (char)on_share(path));
    if (on_share(path)) {
        const size_t length = strlen(path), tail = strlen("QelDBase.isd");
        if (fd >= 0 && length >= tail && strcmp(path + length - tail, "QelDBase.isd") == 0)
            atomic_fetch_add(&opens, 1);
        count();
    }
    return fd;
}

#define OPEN_OP(name) \
    int name(const char *path, int flags, ...) { \
        REAL(name); va_list args; va_start(args, flags); mode_t mode = va_arg(args, mode_t); va_end(args); \
        return opened(path, real(path, flags, mode)); }
#define FCNTL_OP(name) \
    int name(int fd, int cmd, ...) { \
        REAL(name); va_list args; va_start(args, cmd); void *arg = va_arg(args, void *); va_end(args); \
        if (fd_on_share(fd) && (cmd == F_SETLK || cmd == F_SETLKW || cmd == F_GETLK)) count(); \
        return real(fd, cmd, arg); }
OPEN_OP(open)
OPEN_OP(open64)
FCNTL_OP(fcntl)
FCNTL_OP(fcntl64)
int close(int fd) {
    REAL(close);
    if (fd_on_share(fd)) { count(); atomic_store(&shared_fd[fd], 0); }
    return real(fd);
}
#define FD_OP(ret, name, params, args) \
    ret name params { REAL(name); if (fd_on_share(fd)) count(); return real args; }
#define PATH_OP(ret, name, params, args) \
    ret name params { REAL(name); if (on_share(path)) count(); return real args; }
FD_OP(ssize_t, read, (int fd, void *buf, size_t n), (fd, buf, n))
FD_OP(ssize_t, write, (int fd, const void *buf, size_t n), (fd, buf, n))
FD_OP(ssize_t, pread64, (int fd, void *buf, size_t n, off_t at), (fd, buf, n, at))
FD_OP(ssize_t, pwrite64, (int fd, const void *buf, size_t n, off_t at), (fd, buf, n, at))
FD_OP(int, fstat64, (int fd, struct stat64 *info), (fd, info))
FD_OP(int, fstat, (int fd, struct stat *info), (fd, info))
FD_OP(int, fsync, (int fd), (fd))
FD_OP(int, fdatasync, (int fd), (fd))
FD_OP(int, ftruncate64, (int fd, off_t size), (fd, size))
PATH_OP(int, stat64, (const char *path, struct stat64 *info), (path, info))
PATH_OP(int, stat, (const char *path, struct stat *info), (path, info))
PATH_OP(int, lstat64, (const char *path, struct stat64 *info), (path, info))
PATH_OP(int, lstat, (const char *path, struct stat *info), (path, info))
PATH_OP(int, access, (const char *path, int mode), (path, mode))
PATH_OP(int, unlink, (const char *path), (path))
