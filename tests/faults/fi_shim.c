/* A file shim for the fault sweep, loaded with LD_PRELOAD into the host
 * program and (through the environment) into every program it starts. It
 * counts each file-system call that concerns the folder named by KRV_FI_DIR
 * while the shared control block (KRV_FI_CONTROL) is armed, logs each to
 * KRV_FI_LOG, and makes the target call fail or kills its process.
 *
 * Counted ("create" for an open that may create the file): open, openat,
 * creat, fopen, mkstemp; read, pread, fread; write, pwrite,
 * fwrite, fflush; close, fclose; stat, lstat, fstat, fstatat, access;
 * rename, renameat, renameat2, unlink, unlinkat, remove, mkdir; opendir, readdir,
 * closedir; ftruncate, fsync, fdatasync. The descriptor and stream calls
 * count for files opened in the folder only (never a pipe, socket or the
 * terminal).
 *
 * A started program is waited for inside posix_spawn (it stays a zombie for
 * its parent to reap): the calls of parent and child then come in one fixed
 * order, so that call N is the same call in every run. */
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fi_control.h"

#define MAX_FDS 4096
#define NAME_LEN 200

static struct krv_fi_control* ctl;
static char dir[PATH_MAX];
static size_t dir_len;
static int log_fd = -1;
/* Descriptors opened in the folder: the name (relative to it) and whether
 * the file was opened for writing. */
static char fd_name[MAX_FDS][NAME_LEN];
static char fd_writes[MAX_FDS];

#define REAL(ret, name, ...)                                               \
    static ret (*real_##name)(__VA_ARGS__);                                \
    static ret (*get_##name(void))(__VA_ARGS__) {                          \
        if (!real_##name) *(void**)&real_##name = dlsym(RTLD_NEXT, #name); \
        return real_##name;                                                \
    }

REAL(int, openat, int, const char*, int, ...)
REAL(FILE*, fopen, const char*, const char*)
REAL(ssize_t, read, int, void*, size_t)
REAL(ssize_t, pread, int, void*, size_t, off_t)
REAL(size_t, fread, void*, size_t, size_t, FILE*)
REAL(ssize_t, write, int, const void*, size_t)
REAL(ssize_t, pwrite, int, const void*, size_t, off_t)
REAL(size_t, fwrite, const void*, size_t, size_t, FILE*)
REAL(int, fflush, FILE*)
REAL(int, close, int)
REAL(int, fclose, FILE*)
REAL(int, stat, const char*, struct stat*)
REAL(int, stat64, const char*, struct stat64*)
REAL(int, lstat64, const char*, struct stat64*)
REAL(int, fstat64, int, struct stat64*)
REAL(int, fstatat64, int, const char*, struct stat64*, int)
REAL(struct dirent64*, readdir64, DIR*)
REAL(int, lstat, const char*, struct stat*)
REAL(int, fstat, int, struct stat*)
REAL(int, fstatat, int, const char*, struct stat*, int)
REAL(int, access, const char*, int)
REAL(int, rename, const char*, const char*)
REAL(int, renameat, int, const char*, int, const char*)
REAL(int, renameat2, int, const char*, int, const char*, unsigned)
REAL(int, unlink, const char*)
REAL(int, unlinkat, int, const char*, int)
REAL(int, remove, const char*)
REAL(int, mkdir, const char*, mode_t)
REAL(DIR*, opendir, const char*)
REAL(struct dirent*, readdir, DIR*)
REAL(int, closedir, DIR*)
REAL(int, ftruncate, int, off_t)
REAL(int, fsync, int)
REAL(int, fdatasync, int)
REAL(int, posix_spawn, pid_t*, const char*, const posix_spawn_file_actions_t*,
     const posix_spawnattr_t*, char* const[], char* const[])
REAL(int, posix_spawnp, pid_t*, const char*, const posix_spawn_file_actions_t*,
     const posix_spawnattr_t*, char* const[], char* const[])

__attribute__((constructor)) static void fi_init(void) {
    const char* control = getenv("KRV_FI_CONTROL");
    const char* folder = getenv("KRV_FI_DIR");
    if (!control || !*control || !folder || !*folder) return;
    if (!realpath(folder, dir)) return;
    dir_len = strlen(dir);
    int fd = (int)syscall(SYS_openat, AT_FDCWD, control, O_RDWR | O_CLOEXEC);
    if (fd < 0) return;
    void* p = mmap(NULL, sizeof *ctl, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    syscall(SYS_close, fd);
    if (p == MAP_FAILED) return;
    ctl = (struct krv_fi_control*)p;
    if (ctl->magic != KRV_FI_MAGIC) ctl = NULL;
    const char* log = getenv("KRV_FI_LOG");
    if (ctl && log && *log)
        log_fd = (int)syscall(SYS_openat, AT_FDCWD, log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC,
                              0644);
}

/* Names made unique by mkstemp (the template kept instead) or by the process
 * id ("@PID@" instead), so that a call has the same name in every run. */
#define MAX_TEMPS 32
static char temp_made[MAX_TEMPS][NAME_LEN];
static char temp_template[MAX_TEMPS][NAME_LEN];
static int temps;

static void normalise(char* name, size_t size) {
    for (int i = 0; i < temps; ++i)
        if (strcmp(name, temp_made[i]) == 0) {
            snprintf(name, size, "%s", temp_template[i]);
            return;
        }
    char pid[16];
    int len = snprintf(pid, sizeof pid, "%d", (int)getpid());
    for (char* at = strstr(name, pid); at; at = strstr(at + 1, pid)) {
        int before = at > name && at[-1] >= '0' && at[-1] <= '9';
        int after = at[len] >= '0' && at[len] <= '9';
        if (before || after) continue;
        char rest[NAME_LEN];
        snprintf(rest, sizeof rest, "%s", at + len);
        snprintf(at, size - (size_t)(at - name), "@PID@%s", rest);
        return;
    }
}

/* The path relative to the folder ("." for the folder itself), or NULL when
 * it lies outside. `at` is the directory descriptor of an *at call. */
static const char* in_folder(int at, const char* path, char* buf, size_t size) {
    if (!ctl || !path) return NULL;
    char full[2 * PATH_MAX + 2];
    if (path[0] == '/') {
        snprintf(full, sizeof full, "%s", path);
    } else {
        char base[PATH_MAX];
        if (at == AT_FDCWD) {
            if (!getcwd(base, sizeof base)) return NULL;
        } else {
            char link[64];
            snprintf(link, sizeof link, "/proc/self/fd/%d", at);
            ssize_t n = readlink(link, base, sizeof base - 1);
            if (n <= 0) return NULL;
            base[n] = '\0';
        }
        snprintf(full, sizeof full, "%s/%s", base, path);
    }
    if (strncmp(full, dir, dir_len) != 0) return NULL;
    const char* rest = full + dir_len;
    if (*rest == '\0') rest = "/.";
    if (*rest != '/') return NULL;
    ++rest;
    while (rest[0] == '.' && rest[1] == '/') rest += 2;
    snprintf(buf, size, "%s", *rest ? rest : ".");
    normalise(buf, size);
    return buf;
}

static const char* fd_file(int fd) {
    if (!ctl || fd < 0 || fd >= MAX_FDS || !fd_name[fd][0]) return NULL;
    return fd_name[fd];
}

static void track(int fd, const char* name, int writes) {
    if (fd < 0 || fd >= MAX_FDS) return;
    snprintf(fd_name[fd], NAME_LEN, "%s", name ? name : "");
    fd_writes[fd] = (char)(name && writes);
}

static void untrack(int fd) {
    if (fd >= 0 && fd < MAX_FDS) fd_name[fd][0] = '\0';
}

/* One counted call: logs it; answers the errno to fail it with (0: let it
 * through); kills the process when that is the action. */
static int point(const char* op, const char* name) {
    if (!ctl || !name || !ctl->armed) return 0;
    int64_t n = __atomic_add_fetch(&ctl->count, 1, __ATOMIC_SEQ_CST);
    if (log_fd >= 0) {
        char line[512];
        int len = snprintf(line, sizeof line, "%lld\t%s\t%s\t%s\n", (long long)n,
                           program_invocation_short_name, op, name);
        if (len > 0) syscall(SYS_write, log_fd, line, (size_t)len);
    }
    if (n != ctl->target || ctl->action == KRV_FI_COUNT) return 0;
    ctl->fired = 1;
    ctl->fired_pid = (int32_t)getpid();
    snprintf(ctl->fired_op, sizeof ctl->fired_op, "%s", op);
    snprintf(ctl->fired_path, sizeof ctl->fired_path, "%s", name);
    if (ctl->action == KRV_FI_KILL) {
        syscall(SYS_kill, getpid(), SIGKILL);
        for (;;) pause();
    }
    return ctl->error;
}

#define FAIL_IF(call, value)   \
    do {                       \
        int failure_ = (call); \
        if (failure_) {        \
            errno = failure_;  \
            return value;      \
        }                      \
    } while (0)

static int writes_flags(int flags) {
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
}

static int open_common(int at, const char* path, int flags, mode_t mode) {
    char buf[PATH_MAX];
    const char* name = in_folder(at, path, buf, sizeof buf);
    int err = point(flags & O_CREAT ? "create" : "open", name);
    FAIL_IF(err, -1);
    int fd = get_openat()(at, path, flags, mode);
    if (fd >= 0) track(fd, name, writes_flags(flags));
    return fd;
}

static mode_t mode_arg(int flags, va_list ap) {
    return (flags & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(ap, int) : 0;
}

int open(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_arg(flags, ap);
    va_end(ap);
    return open_common(AT_FDCWD, path, flags, mode);
}
int open64(const char* path, int flags, ...) __attribute__((alias("open")));

int openat(int at, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = mode_arg(flags, ap);
    va_end(ap);
    return open_common(at, path, flags, mode);
}
int openat64(int at, const char* path, int flags, ...) __attribute__((alias("openat")));

int creat(const char* path, mode_t mode) {
    return open_common(AT_FDCWD, path, O_WRONLY | O_CREAT | O_TRUNC, mode);
}
int creat64(const char* path, mode_t mode) __attribute__((alias("creat")));

FILE* fopen(const char* path, const char* how) {
    char buf[PATH_MAX];
    const char* name = in_folder(AT_FDCWD, path, buf, sizeof buf);
    int err = point(how[0] == 'r' ? "open" : "create", name);
    FAIL_IF(err, NULL);
    FILE* f = get_fopen()(path, how);
    if (f) track(fileno(f), name, how[0] != 'r' || strchr(how, '+') != NULL);
    return f;
}
FILE* fopen64(const char* path, const char* how) __attribute__((alias("fopen")));

/* mkstemp and kin: counted as a creation of the template's name. */
static int temp_common(char* tmpl, int suffix, int flags, int (*make)(char*, int, int)) {
    char buf[PATH_MAX];
    const char* name = in_folder(AT_FDCWD, tmpl, buf, sizeof buf);
    char template_name[NAME_LEN] = "";
    if (name) snprintf(template_name, sizeof template_name, "%s", name);
    FAIL_IF(point("create", name), -1);
    int fd = make(tmpl, suffix, flags);
    if (fd < 0 || !name) return fd;
    char made_buf[PATH_MAX];
    const char* made = in_folder(AT_FDCWD, tmpl, made_buf, sizeof made_buf);
    if (made && temps < MAX_TEMPS) {
        snprintf(temp_made[temps], NAME_LEN, "%s", made);
        snprintf(temp_template[temps], NAME_LEN, "%s", template_name);
        ++temps;
    }
    track(fd, template_name, 1);
    return fd;
}

REAL(int, mkostemps, char*, int, int)

static int make_temp(char* tmpl, int suffix, int flags) {
    return get_mkostemps()(tmpl, suffix, flags);
}

int mkstemp(char* tmpl) { return temp_common(tmpl, 0, 0, make_temp); }
int mkstemp64(char* tmpl) __attribute__((alias("mkstemp")));
int mkostemp(char* tmpl, int flags) { return temp_common(tmpl, 0, flags, make_temp); }
int mkostemp64(char* tmpl, int flags) __attribute__((alias("mkostemp")));
int mkstemps(char* tmpl, int suffix) { return temp_common(tmpl, suffix, 0, make_temp); }
int mkstemps64(char* tmpl, int suffix) __attribute__((alias("mkstemps")));
int mkostemps(char* tmpl, int suffix, int flags) {
    return temp_common(tmpl, suffix, flags, make_temp);
}
int mkostemps64(char* tmpl, int suffix, int flags) __attribute__((alias("mkostemps")));

ssize_t read(int fd, void* buffer, size_t n) {
    FAIL_IF(point("read", fd_file(fd)), -1);
    return get_read()(fd, buffer, n);
}

ssize_t pread(int fd, void* buffer, size_t n, off_t at) {
    FAIL_IF(point("read", fd_file(fd)), -1);
    return get_pread()(fd, buffer, n, at);
}
ssize_t pread64(int fd, void* buffer, size_t n, off_t at) __attribute__((alias("pread")));

/* A stream whose call failed keeps its error flag, as after a real failure. */
static void stream_failed(FILE* f) { f->_flags |= _IO_ERR_SEEN; }

size_t fread(void* buffer, size_t size, size_t n, FILE* f) {
    int err = point("read", fd_file(fileno(f)));
    if (err) {
        stream_failed(f);
        errno = err;
        return 0;
    }
    return get_fread()(buffer, size, n, f);
}

ssize_t write(int fd, const void* buffer, size_t n) {
    FAIL_IF(n ? point("write", fd_file(fd)) : 0, -1);
    return get_write()(fd, buffer, n);
}

ssize_t pwrite(int fd, const void* buffer, size_t n, off_t at) {
    FAIL_IF(point("write", fd_file(fd)), -1);
    return get_pwrite()(fd, buffer, n, at);
}
ssize_t pwrite64(int fd, const void* buffer, size_t n, off_t at) __attribute__((alias("pwrite")));

/* A write of nothing does no I/O and is not counted. */
size_t fwrite(const void* buffer, size_t size, size_t n, FILE* f) {
    int err = size && n ? point("write", fd_file(fileno(f))) : 0;
    if (err) {
        stream_failed(f);
        errno = err;
        return 0;
    }
    return get_fwrite()(buffer, size, n, f);
}

int fflush(FILE* f) {
    int err = point("write", f ? fd_file(fileno(f)) : NULL);
    if (err) {
        stream_failed(f);
        errno = err;
        return EOF;
    }
    return get_fflush()(f);
}

/* The descriptor is released also when close fails, as Linux does. */
static const char* close_op(int fd) {
    return fd >= 0 && fd < MAX_FDS && fd_writes[fd] ? "close-written" : "close";
}

int close(int fd) {
    const char* name = fd_file(fd);
    int err = point(close_op(fd), name);
    untrack(fd);
    int rc = get_close()(fd);
    FAIL_IF(err, -1);
    return rc;
}

int fclose(FILE* f) {
    int fd = f ? fileno(f) : -1;
    int err = point(close_op(fd), fd_file(fd));
    untrack(fd);
    int rc = get_fclose()(f);
    FAIL_IF(err, EOF);
    return rc;
}

static int path_call(const char* op, int at, const char* path) {
    char buf[PATH_MAX];
    return point(op, in_folder(at, path, buf, sizeof buf));
}

int stat(const char* path, struct stat* st) {
    FAIL_IF(path_call("stat", AT_FDCWD, path), -1);
    return get_stat()(path, st);
}
int stat64(const char* path, struct stat64* st) {
    FAIL_IF(path_call("stat", AT_FDCWD, path), -1);
    return get_stat64()(path, st);
}

int lstat(const char* path, struct stat* st) {
    FAIL_IF(path_call("stat", AT_FDCWD, path), -1);
    return get_lstat()(path, st);
}
int lstat64(const char* path, struct stat64* st) {
    FAIL_IF(path_call("stat", AT_FDCWD, path), -1);
    return get_lstat64()(path, st);
}

int fstat(int fd, struct stat* st) {
    FAIL_IF(point("stat", fd_file(fd)), -1);
    return get_fstat()(fd, st);
}
int fstat64(int fd, struct stat64* st) {
    FAIL_IF(point("stat", fd_file(fd)), -1);
    return get_fstat64()(fd, st);
}

int fstatat(int at, const char* path, struct stat* st, int flags) {
    FAIL_IF(path_call("stat", at, path), -1);
    return get_fstatat()(at, path, st, flags);
}
int fstatat64(int at, const char* path, struct stat64* st, int flags) {
    FAIL_IF(path_call("stat", at, path), -1);
    return get_fstatat64()(at, path, st, flags);
}

int access(const char* path, int how) {
    FAIL_IF(path_call("stat", AT_FDCWD, path), -1);
    return get_access()(path, how);
}

int rename(const char* from, const char* to) {
    char a[PATH_MAX], b[PATH_MAX];
    const char* name = in_folder(AT_FDCWD, to, b, sizeof b);
    if (!name) name = in_folder(AT_FDCWD, from, a, sizeof a);
    FAIL_IF(point("rename", name), -1);
    return get_rename()(from, to);
}

int renameat(int from_at, const char* from, int to_at, const char* to) {
    char a[PATH_MAX], b[PATH_MAX];
    const char* name = in_folder(to_at, to, b, sizeof b);
    if (!name) name = in_folder(from_at, from, a, sizeof a);
    FAIL_IF(point("rename", name), -1);
    return get_renameat()(from_at, from, to_at, to);
}

int renameat2(int from_at, const char* from, int to_at, const char* to, unsigned flags) {
    char a[PATH_MAX], b[PATH_MAX];
    const char* name = in_folder(to_at, to, b, sizeof b);
    if (!name) name = in_folder(from_at, from, a, sizeof a);
    FAIL_IF(point("rename", name), -1);
    return get_renameat2()(from_at, from, to_at, to, flags);
}

int unlink(const char* path) {
    FAIL_IF(path_call("remove", AT_FDCWD, path), -1);
    return get_unlink()(path);
}

int unlinkat(int at, const char* path, int flags) {
    FAIL_IF(path_call("remove", at, path), -1);
    return get_unlinkat()(at, path, flags);
}

int remove(const char* path) {
    FAIL_IF(path_call("remove", AT_FDCWD, path), -1);
    return get_remove()(path);
}

int mkdir(const char* path, mode_t mode) {
    FAIL_IF(path_call("mkdir", AT_FDCWD, path), -1);
    return get_mkdir()(path, mode);
}

DIR* opendir(const char* path) {
    char buf[PATH_MAX];
    const char* name = in_folder(AT_FDCWD, path, buf, sizeof buf);
    FAIL_IF(point("opendir", name), NULL);
    DIR* d = get_opendir()(path);
    if (d) track(dirfd(d), name, 0);
    return d;
}

struct dirent* readdir(DIR* d) {
    FAIL_IF(point("readdir", fd_file(dirfd(d))), NULL);
    return get_readdir()(d);
}
struct dirent64* readdir64(DIR* d) {
    FAIL_IF(point("readdir", fd_file(dirfd(d))), NULL);
    return get_readdir64()(d);
}

int closedir(DIR* d) {
    int fd = dirfd(d);
    int err = point("closedir", fd_file(fd));
    untrack(fd);
    int rc = get_closedir()(d);
    FAIL_IF(err, -1);
    return rc;
}

int ftruncate(int fd, off_t size) {
    FAIL_IF(point("truncate", fd_file(fd)), -1);
    return get_ftruncate()(fd, size);
}
int ftruncate64(int fd, off_t size) __attribute__((alias("ftruncate")));

int fsync(int fd) {
    FAIL_IF(point("sync", fd_file(fd)), -1);
    return get_fsync()(fd);
}

int fdatasync(int fd) {
    FAIL_IF(point("sync", fd_file(fd)), -1);
    return get_fdatasync()(fd);
}

/* Waits for the started program without reaping it. */
static void wait_child(pid_t pid) {
    if (!ctl) return;
    siginfo_t info;
    while (waitid(P_PID, (id_t)pid, &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
}

int posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                const posix_spawnattr_t* attr, char* const argv[], char* const envp[]) {
    int rc = get_posix_spawn()(pid, path, actions, attr, argv, envp);
    if (rc == 0 && pid) wait_child(*pid);
    return rc;
}

int posix_spawnp(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                 const posix_spawnattr_t* attr, char* const argv[], char* const envp[]) {
    int rc = get_posix_spawnp()(pid, path, actions, attr, argv, envp);
    if (rc == 0 && pid) wait_child(*pid);
    return rc;
}
