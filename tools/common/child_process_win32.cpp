// Paths and parameters are in the system's code page, as krvhost, the only
// user on Windows, is given them on its command line.
#include <windows.h>

#include "child_process.h"

namespace krv::tools {
namespace {

HANDLE Handle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

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
        if (c != '"')
            out += c;
        else
            out += '"';
    }
    out.append(backslashes, '\\');
    return out + "\"";
}

// An output file the child inherits; the null device when no name is given.
HANDLE OpenOutput(const std::string& name, bool append) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileA(name.empty() ? "NUL" : name.c_str(),
                       append ? FILE_APPEND_DATA : GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                       append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void CloseOutput(HANDLE h) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (Started() && !status_) Stop(grace_on_destroy_ms_);
    if (Started()) CloseHandle(Handle(handle_));
}

bool ChildProcess::Start(const Setup& setup, std::string* error) {
    if (!setup.env.empty()) {
        if (error)
            *error = "cannot start " + setup.program +
                     ": an own environment is not supported on Windows";
        return false;
    }
    std::string cmd = Quote(setup.program);
    for (const std::string& a : setup.args) {
        cmd += ' ';
        cmd += Quote(a);
    }

    HANDLE out = OpenOutput(setup.stdout_file, setup.append);
    const bool shared = !setup.stdout_file.empty() && setup.stderr_file == setup.stdout_file;
    HANDLE err = shared ? out : OpenOutput(setup.stderr_file, setup.append);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    const DWORD flags = CREATE_NO_WINDOW | (setup.own_group ? CREATE_NEW_PROCESS_GROUP : 0);
    BOOL ok =
        CreateProcessA(setup.program.c_str(), cmd.data(), nullptr, nullptr, TRUE, flags, nullptr,
                       setup.work_dir.empty() ? nullptr : setup.work_dir.c_str(), &si, &pi);
    DWORD code = GetLastError();
    CloseOutput(out);
    if (!shared) CloseOutput(err);
    if (!ok) {
        if (error)
            *error =
                "cannot start " + setup.program + " (Windows error " + std::to_string(code) + ")";
        return false;
    }
    CloseHandle(pi.hThread);
    if (Started()) CloseHandle(Handle(handle_));
    Adopt(reinterpret_cast<std::intptr_t>(pi.hProcess), static_cast<long>(pi.dwProcessId),
          setup.grace_on_destroy_ms);
    return true;
}

std::optional<int> ChildProcess::Wait(int timeout_ms) {
    if (status_) return status_;
    if (!Started()) return -1;
    if (WaitForSingleObject(Handle(handle_), static_cast<DWORD>(timeout_ms < 0 ? 0 : timeout_ms)) !=
        WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    status_ = GetExitCodeProcess(Handle(handle_), &code) ? static_cast<int>(code) : -1;
    return status_;
}

int ChildProcess::Stop(int grace_ms) {
    // A console program of its own group cannot be asked politely from here;
    // the simulator keeps its state file consistent after every change.
    (void)grace_ms;
    if (status_) return *status_;
    if (!Started()) return -1;
    TerminateProcess(Handle(handle_), 1);
    return Wait(5000).value_or(-1);
}

bool ChildProcess::Signal(int) { return false; }

}  // namespace krv::tools
