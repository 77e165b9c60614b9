#include "platform/process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/clock.h"

extern char** environ;

namespace krv::platform {

namespace {

pid_t Pid(intptr_t h) { return static_cast<pid_t>(h); }

// Children whose handle was released while they still ran. They are reaped
// whenever the library next starts or releases a program, so that none of
// them stays a zombie of the host process.
std::mutex orphansMutex;
std::vector<pid_t> orphans;

void ReapOrphans() {
    std::lock_guard<std::mutex> lock(orphansMutex);
    orphans.erase(std::remove_if(orphans.begin(), orphans.end(),
                                 [](pid_t pid) {
                                     int st = 0;
                                     pid_t r = ::waitpid(pid, &st, WNOHANG);
                                     return r == pid || (r < 0 && errno == ECHILD);
                                 }),
                  orphans.end());
}

// An absolute path: the child changes its directory before the program is
// looked up, so a relative program path would be read from the wrong place.
std::string Absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    std::string out = cwd;
    if (out.back() != '/') out += '/';
    return out + path;
}

}  // namespace

bool Process::Start(const std::string& program, const std::string& parameters,
                    const std::string& directory, std::string* error) {
    Close();
    ReapOrphans();
    status_ = ExitStatus{};

    std::string path = Absolute(program);
    std::vector<std::string> args = SplitParameters(parameters);
    std::vector<char*> argv;
    argv.push_back(path.data());
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    // A process group of its own, so that ending it also ends whatever it
    // started; no signal mask or ignored signal of the host passes on.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(
        &attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    int rc = ::posix_spawn(&pid, path.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        if (error) *error = std::strerror(rc);
        return false;
    }
    handle_ = pid;
    return true;
}

bool Process::HasEnded() {
    if (!Held()) return false;
    if (status_.kind != ExitStatus::Kind::kRunning) return true;
    int st = 0;
    pid_t r;
    do {
        r = ::waitpid(Pid(handle_), &st, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0) return false;
    if (r < 0) {
        // Reaped by someone else, or the host ignores SIGCHLD.
        status_.kind = ExitStatus::Kind::kUnknown;
    } else if (WIFEXITED(st)) {
        status_ = {ExitStatus::Kind::kExited, static_cast<uint32_t>(WEXITSTATUS(st))};
    } else if (WIFSIGNALED(st)) {
        status_ = {ExitStatus::Kind::kSignalled, static_cast<uint32_t>(WTERMSIG(st))};
    } else {
        return false;  // stopped or continued: still there
    }
    return true;
}

bool Process::WaitFor(int32_t ms) {
    int64_t end = SystemClock().MonotonicMs() + ms;
    // Short sleeps first: a program that has just written its last file is
    // usually gone within a millisecond or two, and the host waits for that.
    for (int round = 0; !HasEnded(); ++round) {
        if (!Held() || SystemClock().MonotonicMs() >= end) return false;
        SystemClock().SleepMs(round < 20 ? 1 : 5);
    }
    return true;
}

bool Process::Kill(int32_t waitMs) {
    if (!Held()) return false;
    // The group also when the program itself has ended: a launcher that
    // handed its work to another process leaves that one in its group. The
    // group's number cannot go to another process while a member lives.
    ::kill(-Pid(handle_), SIGKILL);
    if (HasEnded()) return true;
    ::kill(Pid(handle_), SIGKILL);
    return WaitFor(waitMs);
}

void Process::Close() {
    if (!Held()) return;
    if (!HasEnded()) {
        std::lock_guard<std::mutex> lock(orphansMutex);
        orphans.push_back(Pid(handle_));
    }
    handle_ = kNone;
}

}  // namespace krv::platform
