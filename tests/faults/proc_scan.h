// How many processes still run a program, by a scan of /proc (Linux only):
// the sweep's host and its runner both ask it after an export.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace krv::test {

// A file under /proc, as far as it can be read: it goes when its process
// ends (a stream would throw then).
inline std::string ReadProc(const std::string& path) {
    std::string text;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return text;
}

// Processes (not zombies) whose command line holds `program`.
inline int ProgramsRunning(const std::string& program) {
    int found = 0;
    DIR* proc = opendir("/proc");
    if (!proc) return 0;
    while (dirent* e = readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        std::string base = std::string("/proc/") + e->d_name;
        if (ReadProc(base + "/cmdline").find(program) == std::string::npos) continue;
        std::string line = ReadProc(base + "/stat");
        size_t close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z')
            ++found;
    }
    closedir(proc);
    return found;
}

}  // namespace krv::test
