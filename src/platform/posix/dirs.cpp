#include "platform/dirs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace krv::platform {

bool IsPathSeparator(char c) { return c == '/'; }

bool ForceDirectories(const std::string& path) {
    if (path.empty()) return false;
    // Create every prefix that ends before a separator, then the whole path;
    // failures on the way show in the final test.
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] == '/' && path[i - 1] != '/') {
            std::string prefix = path.substr(0, i);
            if (!DirectoryExists(prefix)) ::mkdir(prefix.c_str(), 0777);
        }
    }
    if (!DirectoryExists(path)) ::mkdir(path.c_str(), 0777);
    return DirectoryExists(path);
}

CreateNewResult CreateNewFile(const std::string& path, std::string_view content) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? CreateNewResult::kExists : CreateNewResult::kFailed;
    bool ok = true;
    size_t done = 0;
    while (ok && done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) ok = false;
    if (!ok) {
        ::unlink(path.c_str());
        return CreateNewResult::kFailed;
    }
    return CreateNewResult::kCreated;
}

}  // namespace krv::platform
