// A program started by the tools (krvhost's demo starts the scale simulator)
// or by their tests, with its standard output and error going to files. One
// implementation per system (child_process_posix.cpp, child_process_win32.cpp).
// A program still running when its object goes away is stopped, so that a
// failing test or an interrupted demo never leaves one behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace krv::tools {

class ChildProcess {
  public:
    struct Setup {
        std::string program;  // run directly, no shell; no search of PATH
        std::vector<std::string> args;
        std::string work_dir;                                  // empty: ours
        std::vector<std::pair<std::string, std::string>> env;  // set on top of ours (POSIX only)
        std::string stdout_file;                               // empty: the null device
        std::string stderr_file;  // empty: the null device; the stdout file's name: both into one
        bool append = false;      // the output files are appended to rather than emptied
        // A process group of its own, so that a Ctrl+C meant for us does not
        // reach it.
        bool own_group = false;
        // How long the destructor lets a running program end by itself after
        // asking it to (0: it is killed at once).
        int grace_on_destroy_ms = 0;
    };

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False, with the reason in *error, when the program could not be started.
    bool Start(const Setup& setup, std::string* error);
    bool Started() const { return handle_ != kNone; }
    // True until the program has ended (and been waited for).
    bool Running() { return Started() && !Wait(0); }
    // The exit code (128 + signal when a signal ended it on POSIX); nullopt
    // while it still runs after timeout_ms; -1 when nothing was started.
    std::optional<int> Wait(int timeout_ms);
    // Asks the program to end (SIGTERM; on Windows, where a console program of
    // its own group cannot be asked, it is ended at once) and kills it when it
    // has not ended within grace_ms. Returns the exit code.
    int Stop(int grace_ms);
    // Sends a POSIX signal; false on Windows or when nothing runs.
    bool Signal(int sig);
    // The system's process id; -1 when nothing was started.
    long Pid() const { return pid_; }

  private:
    void Adopt(std::intptr_t handle, long pid, int grace_on_destroy_ms) {
        handle_ = handle;
        pid_ = pid;
        status_.reset();
        grace_on_destroy_ms_ = grace_on_destroy_ms;
    }

    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;  // pid on POSIX, process handle on Windows
    long pid_ = -1;
    std::optional<int> status_;
    int grace_on_destroy_ms_ = 0;
};

}  // namespace krv::tools
