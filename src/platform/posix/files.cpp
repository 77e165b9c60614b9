#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace krv::platform {

namespace {

void SetError(std::string* error) {
    if (error) *error = std::strerror(errno);
}

int Fd(intptr_t h) { return static_cast<int>(h); }

// '*' matches any run of characters, '?' exactly one; everything else itself.
bool WildcardMatch(const char* pattern, const char* name) {
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pattern == '?' || (*pattern && *pattern == *name)) {
            ++pattern;
            ++name;
        } else if (*pattern == '*') {
            starPattern = pattern++;
            starName = name;
        } else if (starPattern) {
            pattern = starPattern + 1;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

}  // namespace

bool RawFile::Open(const std::string& path, Mode mode, std::string* error) {
    Close();
    int flags = mode == Mode::kRead ? O_RDONLY : (O_RDWR | O_CREAT);
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        SetError(error);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        SetError(error);
        return false;
    }
    handle_ = fd;
    return true;
}

bool RawFile::Close(std::string* error) {
    if (handle_ == kClosed) return true;
    int rc = ::close(Fd(handle_));
    handle_ = kClosed;
    // EINTR: Linux has released the descriptor all the same, and a retry
    // could close another thread's file.
    if (rc != 0 && errno != EINTR) {
        SetError(error);
        return false;
    }
    return true;
}

bool RawFile::Sync(std::string* error) {
    int rc;
    do {
        rc = ::fsync(Fd(handle_));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        SetError(error);
        return false;
    }
    return true;
}

int64_t RawFile::Read(void* buffer, size_t n, std::string* error) {
    for (;;) {
        ssize_t r = ::read(Fd(handle_), buffer, n);
        if (r >= 0) return r;
        if (errno == EINTR) continue;
        SetError(error);
        return -1;
    }
}

bool RawFile::Write(const void* buffer, size_t n, std::string* error) {
    const char* p = static_cast<const char*>(buffer);
    while (n > 0) {
        ssize_t w = ::write(Fd(handle_), p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            SetError(error);
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

bool RawFile::Seek(uint64_t position, std::string* error) {
    if (::lseek(Fd(handle_), static_cast<off_t>(position), SEEK_SET) < 0) {
        SetError(error);
        return false;
    }
    return true;
}

bool RawFile::Size(uint64_t* size, std::string* error) {
    struct stat st {};
    if (::fstat(Fd(handle_), &st) != 0) {
        SetError(error);
        return false;
    }
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool RawFile::Truncate(uint64_t size, std::string* error) {
    if (::ftruncate(Fd(handle_), static_cast<off_t>(size)) != 0) {
        SetError(error);
        return false;
    }
    return true;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

FileProbe ProbeFile(const std::string& path, std::string* reason) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? FileProbe::kAbsent : FileProbe::kFile;
    if (errno == ENOENT || errno == ENOTDIR) return FileProbe::kAbsent;
    SetError(reason);
    return FileProbe::kUnknown;
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path) {
    if (DirectoryExists(path)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
    if (DirectoryExists(to)) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CommitReplacement(const std::string& temp, const std::string& path, bool durable,
                       std::string* error) {
    if (DirectoryExists(path)) {
        errno = EISDIR;
        SetError(error);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        SetError(error);
        return false;
    }
    if (!durable) return true;
    // The rename is an entry of the folder: the folder itself must reach the
    // disk for the new name to survive a power cut.
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int rc = -1;
    if (fd >= 0) {
        do {
            rc = ::fsync(fd);
        } while (rc != 0 && errno == EINTR);
    }
    // Some file systems (network shares among them) cannot sync a folder
    // and say so: their own server keeps the entry.
    bool ok = rc == 0 || (fd >= 0 && (errno == EINVAL || errno == ENOTSUP || errno == EROFS));
    int cause = errno;
    if (fd >= 0) ::close(fd);
    if (ok) return true;
    // A name that may not survive is no commit: the file is withdrawn, so
    // that no reader takes it for one that did, and the caller keeps what
    // it wrote from.
    std::string reason =
        std::string("its folder could not be flushed to the disk (") + std::strerror(cause) + ")";
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        reason +=
            std::string(", and the file could not be removed again (") + std::strerror(errno) + ")";
    else
        reason += ", so the file was removed again";
    if (error) *error = reason;
    errno = cause;
    return false;
}

bool CreateDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::string partial;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            if (!partial.empty() && !DirectoryExists(partial)) {
                if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) return false;
            }
        }
        if (i < path.size()) partial += path[i];
    }
    return DirectoryExists(path);
}

CreateNewResult CreateNewFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? CreateNewResult::kExists : CreateNewResult::kFailed;
    ::close(fd);
    return CreateNewResult::kCreated;
}

std::vector<FoundEntry> FindEntries(const std::string& pattern) {
    std::vector<FoundEntry> found;
    size_t slash = pattern.rfind('/');
    std::string dir = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
    std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return found;
    while (struct dirent* e = ::readdir(d)) {
        const char* name = e->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        if (!WildcardMatch(mask.c_str(), name)) continue;
        FoundEntry entry;
        entry.name = name;
        struct stat st {};
        std::string full = slash == std::string::npos ? entry.name : dir + entry.name;
        if (::lstat(full.c_str(), &st) == 0) {
            if (S_ISLNK(st.st_mode)) ::stat(full.c_str(), &st);
            entry.directory = S_ISDIR(st.st_mode);
            entry.system = !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode);
        }
        entry.hidden = name[0] == '.';
        found.push_back(std::move(entry));
    }
    ::closedir(d);
    return found;
}

std::string ShortPathName(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? path : std::string();
}

char PathSeparator() { return '/'; }

}  // namespace krv::platform
