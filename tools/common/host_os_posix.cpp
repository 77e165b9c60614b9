#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host_os.h"

namespace krv::host {

DynamicLibrary::~DynamicLibrary() { Close(); }

bool DynamicLibrary::Open(const std::string& path, std::string* error) {
    Close();
    // RTLD_LOCAL: the library's own symbols stay its own, as for any plug-in.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        *error = why ? why : ("cannot load " + path);
        return false;
    }
    return true;
}

void* DynamicLibrary::Symbol(const char* name) const {
    return handle_ ? dlsym(handle_, name) : nullptr;
}

void DynamicLibrary::Close() {
#if !defined(__SANITIZE_ADDRESS__)
    // Under the leak checker the library stays loaded until the process ends:
    // unloading it would unmap the window toolkit's load-time allocations and
    // make them look leaked.
    if (handle_) dlclose(handle_);
#endif
    handle_ = nullptr;
}

std::string ExecutableDir() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string path(buf, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

char PathSeparator() { return '/'; }

const char* LibraryFileName() { return "libtarvisco.so"; }

const char* ProgramSuffix() { return ""; }

void PrepareConsole() {}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

bool EnableColours(std::FILE* stream) {
    const char* term = getenv("TERM");
    return IsTerminal(stream) && !(term && std::strcmp(term, "dumb") == 0);
}

void* MainWindowHandle() { return nullptr; }

namespace {

volatile sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
    if (g_interrupted) {
        // Second Ctrl+C: the user means it.
        signal(SIGINT, SIG_DFL);
        raise(SIGINT);
        return;
    }
    g_interrupted = 1;
    static const char note[] = "\n^C interrupting (Ctrl+C again to quit at once)\n";
    ssize_t ignored = write(STDERR_FILENO, note, sizeof note - 1);
    (void)ignored;
}

}  // namespace

void InstallInterruptHandler() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
}

bool InterruptRequested() { return g_interrupted != 0; }

void SleepMs(int ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

namespace {

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when the process runs program_path itself, or an interpreter that was
// given program_path as its script (a "#!" program).
bool RunsProgram(const std::string& proc_dir, const std::string& program_path) {
    char buf[4096];
    ssize_t n = readlink((proc_dir + "/exe").c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, static_cast<size_t>(n)) == program_path) return true;
    std::string cmdline = ReadSmallFile(proc_dir + "/cmdline");
    size_t first_end = cmdline.find('\0');
    if (first_end == std::string::npos) return false;
    std::string first = cmdline.substr(0, first_end);
    size_t second_end = cmdline.find('\0', first_end + 1);
    std::string second =
        cmdline.substr(first_end + 1, second_end == std::string::npos ? std::string::npos
                                                                      : second_end - first_end - 1);
    return first == program_path || second == program_path;
}

std::vector<pid_t> ProcessesRunning(const std::string& program_path) {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    while (dirent* e = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || pid == getpid()) continue;
        std::string dir = std::string("/proc/") + e->d_name;
        struct stat st {};
        if (stat(dir.c_str(), &st) != 0 || st.st_uid != getuid()) continue;
        if (RunsProgram(dir, program_path)) found.push_back(static_cast<pid_t>(pid));
    }
    closedir(proc);
    return found;
}

}  // namespace

int StopProgramsRunningFrom(const std::string& program_path) {
    char resolved[4096];
    std::string path = realpath(program_path.c_str(), resolved) ? resolved : program_path;
    std::vector<pid_t> pids = ProcessesRunning(path);
    for (pid_t pid : pids) kill(pid, SIGTERM);
    for (int waited = 0; waited < 1000 && !ProcessesRunning(path).empty(); waited += 50)
        SleepMs(50);
    for (pid_t pid : ProcessesRunning(path)) kill(pid, SIGKILL);
    // Our own children (the library started them from this process) must be
    // reaped, or they would linger as zombies until krvhost exits.
    for (pid_t pid : pids) waitpid(pid, nullptr, WNOHANG);
    return static_cast<int>(pids.size());
}

bool MakeExecutable(const std::string& path) { return chmod(path.c_str(), 0755) == 0; }

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool CanCreateFileIn(const std::string& dir, std::string* error) {
    const std::string probe = dir + ".krvhost-check-" + std::to_string(getpid());
    int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    bool ok = write(fd, "test", 4) == 4;
    int saved = errno;
    ok = (close(fd) == 0) && ok;
    if (!ok && saved == 0) saved = errno;
    unlink(probe.c_str());
    if (!ok) *error = std::strerror(saved ? saved : EIO);
    return ok;
}

long long FreeBytes(const std::string& dir) {
    struct statvfs st {};
    if (statvfs(dir.c_str(), &st) != 0) return -1;
    return static_cast<long long>(st.f_bavail) * static_cast<long long>(st.f_frsize);
}

}  // namespace krv::host
