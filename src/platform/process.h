// Starting an outside program and keeping hold of it until it ends, behind one
// narrow interface per operating system. Paths and parameters are
// Windows-1250 text, like every string of the library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace krv::platform {

// How a started program ended.
struct ExitStatus {
    enum class Kind {
        kRunning,    // not ended yet (or not known to have ended)
        kExited,     // ended by itself; `code` is its exit code
        kSignalled,  // ended by a signal (POSIX); `code` is the signal number
        kUnknown,    // ended, but the system could not say how
    };
    Kind kind = Kind::kRunning;
    uint32_t code = 0;
};

// One started program. The object owns the system handle of the program (the
// process handle on Windows, the child's process id on POSIX) and releases it
// when destroyed; destroying it never ends the program.
class Process {
  public:
    Process() = default;
    ~Process() { Close(); }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts `program` with the parameter text `parameters` in the working
    // directory `directory`, shown normally where programs have windows.
    // Windows: the shell's open verb with the parameters as one text. POSIX:
    // the program is executed directly, no shell, the parameter text split at
    // spaces into arguments, in a process group of its own. False, with a
    // short reason in `error`, when the program could not be started.
    bool Start(const std::string& program, const std::string& parameters,
               const std::string& directory, std::string* error);

    // True while a handle is held (Start succeeded and Close was not called).
    bool Held() const { return handle_ != kNone; }

    // Asks without blocking whether the program has ended; once it has, the
    // exit status is kept in Status(). False when no handle is held.
    bool HasEnded();
    const ExitStatus& Status() const { return status_; }

    // Waits at most `ms` milliseconds for the program to end.
    bool WaitFor(int32_t ms);

    // Ends the program at once with everything it started (its process group
    // on POSIX, its job object on Windows), also when the program itself has
    // ended already (a launcher that handed its work to another process),
    // and waits at most `waitMs` for the program. True when it has ended.
    bool Kill(int32_t waitMs);

    // Releases the handle without ending the program. On POSIX a child that
    // is still running is reaped later, so that it never stays a zombie. On
    // Windows the program leaves its job's care: only a host that dies with
    // the handle held takes the program and its children with it.
    void Close();

  private:
    static constexpr intptr_t kNone = -1;
    intptr_t handle_ = kNone;
    intptr_t job_ = kNone;  // Windows: the job object holding the program and its children
    ExitStatus status_;
};

// Splits a parameter text into arguments at spaces; runs of spaces separate
// like one, and no argument is empty.
inline std::vector<std::string> SplitParameters(const std::string& parameters) {
    std::vector<std::string> out;
    std::string current;
    for (char c : parameters) {
        if (c == ' ') {
            if (!current.empty()) out.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) out.push_back(std::move(current));
    return out;
}

}  // namespace krv::platform
