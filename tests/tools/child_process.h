// Runs a tool as a child process for the integration tests (POSIX only). A
// child still running when its object goes away is killed and reaped, so a
// failing test never leaves a process behind.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace krv::testing {

class ChildProcess {
public:
    struct Setup {
        std::string program;
        std::vector<std::string> args;
        std::string work_dir;                                  // empty: the test's own
        std::vector<std::pair<std::string, std::string>> env;  // added to the test's environment
        std::string stdout_file;                               // empty: /dev/null
        std::string stderr_file;                               // empty: /dev/null
    };

    explicit ChildProcess(const Setup& setup);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // The exit code (128 + signal for a killed child); nullopt when the child
    // still runs after timeout_ms.
    std::optional<int> Wait(int timeout_ms);
    // SIGTERM, then SIGKILL when it has not ended after grace_ms; the exit code.
    int Stop(int grace_ms);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

}  // namespace krv::testing
