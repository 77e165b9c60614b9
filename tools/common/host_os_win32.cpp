#include <windows.h>

#include <io.h>
#include <tlhelp32.h>

#include <cstring>

#include "host_os.h"
#include "wide_win32.h"

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

using tools::WideFromUtf8;

bool IsExecutableFile(const std::string& path) {
    DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos)
        return false;
    std::string ending = path.substr(dot + 1);
    for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ending == "exe" || ending == "com" || ending == "bat" || ending == "cmd";
}

bool CanCreateFileIn(const std::string& dir, std::string* error) {
    const std::string probe = dir + ".krvhost-check-" + std::to_string(GetCurrentProcessId());
    const std::wstring wide = WideFromUtf8(probe);
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = "Windows error " + std::to_string(GetLastError());
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, "test", 4, &written, nullptr) && written == 4;
    DWORD code = ok ? 0 : GetLastError();
    ok = CloseHandle(file) && ok;
    DeleteFileW(wide.c_str());
    if (!ok) *error = "Windows error " + std::to_string(code ? code : GetLastError());
    return ok;
}

long long FreeBytes(const std::string& dir) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(WideFromUtf8(dir).c_str(), &available, nullptr, nullptr)) return -1;
    return static_cast<long long>(available.QuadPart);
}

}  // namespace krv::host
