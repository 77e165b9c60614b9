#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace krv::tools {
namespace {

int ExitCode(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

std::vector<std::string> Environment(
    const std::vector<std::pair<std::string, std::string>>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        bool replaced = false;
        for (const auto& [k, v] : extra)
            replaced |= std::strncmp(*e, (k + "=").c_str(), k.size() + 1) == 0;
        if (!replaced) env.emplace_back(*e);
    }
    for (const auto& [k, v] : extra) env.push_back(k + "=" + v);
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (Started() && !status_) Stop(grace_on_destroy_ms_);
}

bool ChildProcess::Start(const Setup& setup, std::string* error) {
    std::vector<std::string> argv_s{setup.program};
    argv_s.insert(argv_s.end(), setup.args.begin(), setup.args.end());
    std::vector<char*> argv = Pointers(argv_s);
    std::vector<std::string> env_s = Environment(setup.env);
    std::vector<char*> envp = Pointers(env_s);
    const std::string out = setup.stdout_file.empty() ? "/dev/null" : setup.stdout_file;
    const std::string err = setup.stderr_file.empty() ? "/dev/null" : setup.stderr_file;
    const int flags = O_WRONLY | O_CREAT | (setup.append ? O_APPEND : O_TRUNC);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), flags, 0644);
    if (err == out && !setup.stdout_file.empty())
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), flags, 0644);
    if (!setup.work_dir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, setup.work_dir.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    if (setup.own_group) {
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attr, 0);
    }
    pid_t pid = -1;
    int rc = posix_spawn(&pid, setup.program.c_str(), &actions, &attr, argv.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (error) *error = "cannot start " + setup.program + ": " + std::strerror(rc);
        return false;
    }
    Adopt(pid, pid, setup.grace_on_destroy_ms);
    return true;
}

std::optional<int> ChildProcess::Wait(int timeout_ms) {
    if (status_) return status_;
    if (!Started()) return -1;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int status = 0;
        pid_t r = waitpid(static_cast<pid_t>(pid_), &status, WNOHANG);
        if (r == pid_) {
            status_ = ExitCode(status);
            return status_;
        }
        if (r < 0 && errno != EINTR) {
            status_ = -1;
            return status_;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int ChildProcess::Stop(int grace_ms) {
    if (status_) return *status_;
    if (!Started()) return -1;
    kill(static_cast<pid_t>(pid_), SIGTERM);
    if (std::optional<int> code = Wait(grace_ms)) return *code;
    kill(static_cast<pid_t>(pid_), SIGKILL);
    return Wait(10000).value_or(-1);
}

bool ChildProcess::Signal(int sig) { return Running() && kill(static_cast<pid_t>(pid_), sig) == 0; }

}  // namespace krv::tools
