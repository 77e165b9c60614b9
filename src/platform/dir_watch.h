// The system's change notification on one directory, behind one narrow
// interface per operating system (inotify on Linux, a change notification
// handle on Windows). A waiter for a file uses it to wake up as soon as
// something changes in the file's directory instead of sleeping a fixed time;
// it still looks at the file itself, so a missed or spurious notification
// costs only a poll interval, and without a watch the wait is plain polling.
#pragma once

#include <cstdint>
#include <string>

namespace krv::platform {

class DirectoryWatch {
  public:
    DirectoryWatch() = default;
    ~DirectoryWatch() { Stop(); }
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    // Watches the directory for files created, written, renamed or deleted.
    // False when the system cannot watch it (then Wait only sleeps).
    bool Start(const std::string& directory);
    bool Active() const { return handle_ != kNone; }
    // Blocks at most `ms` milliseconds, less when a change comes; true when
    // one came. Without an active watch it sleeps `ms` and answers false.
    bool Wait(int32_t ms);
    void Stop();

  private:
    static constexpr intptr_t kNone = -1;
    intptr_t handle_ = kNone;
};

// The directory part of a path (Windows or POSIX separators), with no
// trailing separator; "." when the path names no directory.
std::string DirectoryOf(const std::string& path);

}  // namespace krv::platform
