#include <windows.h>
#include <io.h>
#include <tlhelp32.h>

#include <cstring>

#include "os.h"

namespace krv::host {

DynamicLibrary::~DynamicLibrary() { Close(); }

bool DynamicLibrary::Open(const std::string& path, std::string* error) {
    Close();
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        *error = "cannot load " + path + " (Windows error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    handle_ = module;
    return true;
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (!handle_) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void DynamicLibrary::Close() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

std::string ExecutableDir() {
    char buf[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string path(buf, n);
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? ".\\" : path.substr(0, slash + 1);
}

char PathSeparator() { return '\\'; }

const char* LibraryFileName() { return "tarvisco.dll"; }

const char* ProgramSuffix() { return ".exe"; }

void PrepareConsole() { SetConsoleOutputCP(CP_UTF8); }

bool IsTerminal(std::FILE* stream) {
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return _isatty(_fileno(stream)) && GetConsoleMode(h, &mode);
}

bool EnableColours(std::FILE* stream) {
    if (!IsTerminal(stream)) return false;
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (!GetConsoleMode(h, &mode)) return false;
    return SetConsoleMode(h, mode | 0x0004 /* ENABLE_VIRTUAL_TERMINAL_PROCESSING */) != 0;
}

void* MainWindowHandle() { return GetConsoleWindow(); }

namespace {

volatile LONG g_interrupted = 0;

BOOL WINAPI OnConsoleCtrl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    if (InterlockedExchange(&g_interrupted, 1) != 0) return FALSE;  // second one: default, quit
    static const char note[] = "\n^C interrupting (Ctrl+C again to quit at once)\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), note, sizeof note - 1, &written, nullptr);
    return TRUE;
}

}  // namespace

void InstallInterruptHandler() { SetConsoleCtrlHandler(OnConsoleCtrl, TRUE); }

bool InterruptRequested() { return g_interrupted != 0; }

void SleepMs(int ms) { Sleep(static_cast<DWORD>(ms)); }

struct ChildProcess::Impl {
    HANDLE process = nullptr;
};

ChildProcess::ChildProcess() = default;

ChildProcess::~ChildProcess() { Stop(2000); }

namespace {

// Quoting by the rules that the C runtime uses to split a command line.
std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
        } else if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
            backslashes = 0;
        } else {
            backslashes = 0;
        }
        if (c != '"') out += c;
        else out += '"';
    }
    out.append(backslashes, '\\');
    return out + "\"";
}

}  // namespace

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const std::string& log_path, std::string* error) {
    std::string cmd = Quote(program);
    for (const std::string& a : args) cmd += " " + Quote(a);

    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE log = CreateFileA(log_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &sa, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = log;
    si.hStdError = log;
    PROCESS_INFORMATION pi{};
    // A process group of its own, so that Ctrl+C in the console does not stop it.
    BOOL ok = CreateProcessA(program.c_str(), cmd.data(), nullptr, nullptr, TRUE,
                             CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    DWORD err = GetLastError();
    if (log != INVALID_HANDLE_VALUE) CloseHandle(log);
    if (!ok) {
        *error = "cannot start " + program + " (Windows error " + std::to_string(err) + ")";
        return false;
    }
    CloseHandle(pi.hThread);
    impl_ = std::make_unique<Impl>();
    impl_->process = pi.hProcess;
    return true;
}

bool ChildProcess::Running() {
    if (!impl_ || !impl_->process) return false;
    if (WaitForSingleObject(impl_->process, 0) == WAIT_OBJECT_0) {
        CloseHandle(impl_->process);
        impl_->process = nullptr;
        return false;
    }
    return true;
}

void ChildProcess::Stop(int grace_ms) {
    // A console program of its own group cannot be asked politely from here;
    // the simulator keeps its state file consistent after every change.
    (void)grace_ms;
    if (!Running()) return;
    TerminateProcess(impl_->process, 1);
    WaitForSingleObject(impl_->process, 5000);
    CloseHandle(impl_->process);
    impl_->process = nullptr;
}

int StopProgramsRunningFrom(const std::string& program_path) {
    char full[MAX_PATH * 4];
    DWORD n = GetFullPathNameA(program_path.c_str(), sizeof full, full, nullptr);
    std::string wanted = n ? std::string(full, n) : program_path;

    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    int stopped = 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) continue;
        HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                               FALSE, entry.th32ProcessID);
        if (!p) continue;
        char image[MAX_PATH * 4];
        DWORD size = sizeof image;
        if (QueryFullProcessImageNameA(p, 0, image, &size) &&
            lstrcmpiA(std::string(image, size).c_str(), wanted.c_str()) == 0) {
            if (TerminateProcess(p, 1)) {
                WaitForSingleObject(p, 2000);
                ++stopped;
            }
        }
        CloseHandle(p);
    }
    CloseHandle(snap);
    return stopped;
}

bool MakeExecutable(const std::string&) { return true; }

}  // namespace krv::host
