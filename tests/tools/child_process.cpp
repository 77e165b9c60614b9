#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace krv::testing {
namespace {

int ExitCode(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

ChildProcess::ChildProcess(const Setup& setup) {
    // Everything the child needs is prepared before fork.
    std::vector<std::string> argv_s{setup.program};
    argv_s.insert(argv_s.end(), setup.args.begin(), setup.args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_s) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_s;
    for (char** e = environ; *e; ++e) {
        bool replaced = false;
        for (const auto& [k, v] : setup.env) replaced |= std::strncmp(*e, (k + "=").c_str(), k.size() + 1) == 0;
        if (!replaced) env_s.emplace_back(*e);
    }
    for (const auto& [k, v] : setup.env) env_s.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (std::string& e : env_s) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string out = setup.stdout_file.empty() ? "/dev/null" : setup.stdout_file;
    std::string err = setup.stderr_file.empty() ? "/dev/null" : setup.stderr_file;

    pid_ = fork();
    if (pid_ == 0) {
        int in_fd = open("/dev/null", O_RDONLY);
        int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in_fd < 0 || out_fd < 0 || err_fd < 0) _exit(126);
        dup2(in_fd, 0);
        dup2(out_fd, 1);
        dup2(err_fd, 2);
        if (!setup.work_dir.empty() && chdir(setup.work_dir.c_str()) != 0) _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_) Stop(0);
}

std::optional<int> ChildProcess::Wait(int timeout_ms) {
    if (status_) return status_;
    if (pid_ <= 0) return -1;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int status = 0;
        pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            status_ = ExitCode(status);
            return status_;
        }
        if (r < 0) {
            status_ = -1;
            return status_;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int ChildProcess::Stop(int grace_ms) {
    if (status_) return *status_;
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    if (std::optional<int> code = Wait(grace_ms)) return *code;
    kill(pid_, SIGKILL);
    return Wait(10000).value_or(-1);
}

}  // namespace krv::testing
