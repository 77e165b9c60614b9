#include "platform/dir_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

#include "platform/clock.h"

namespace krv::platform {

bool DirectoryWatch::Start(const std::string& directory) {
    Stop();
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return false;
    // A file written by another program shows as created, closed after
    // writing, or renamed into place; a deletion matters to a wait for absence.
    const uint32_t events =
        IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_ATTRIB;
    if (::inotify_add_watch(fd, directory.c_str(), events) < 0) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

bool DirectoryWatch::Wait(int32_t ms) {
    if (!Active()) {
        SystemClock().SleepMs(ms);
        return false;
    }
    const int fd = static_cast<int>(handle_);
    pollfd p{fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, ms < 0 ? 0 : ms);
    } while (r < 0 && errno == EINTR);
    if (r <= 0) return false;
    // Only the wake-up matters: drain the events so the next wait blocks.
    alignas(inotify_event) char buffer[4096];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
    return true;
}

void DirectoryWatch::Stop() {
    if (handle_ != kNone) ::close(static_cast<int>(handle_));
    handle_ = kNone;
}

}  // namespace krv::platform
