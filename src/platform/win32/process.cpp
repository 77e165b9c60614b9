#include "platform/process.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/widepath.h"

namespace krv::platform {

namespace {

HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// Sets (or clears) the ending of every process of the job when its last
// handle goes.
bool KillOnClose(HANDLE job, bool on) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = on ? JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE : 0;
    return ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                     sizeof limits) != 0;
}

// A job of its own for the program, so that whatever it starts (the job is
// inherited) can be ended with it; none when the system refuses one.
intptr_t JobFor(HANDLE process) {
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    if (!job) return -1;
    if (!KillOnClose(job, true) || !::AssignProcessToJobObject(job, process)) {
        ::CloseHandle(job);
        return -1;
    }
    return reinterpret_cast<intptr_t>(job);
}

}  // namespace

bool Process::Start(const std::string& program, const std::string& parameters,
                    const std::string& directory, std::string* error) {
    Close();
    status_ = ExitStatus{};
    std::wstring file = win32::Widen(program);
    std::wstring params = win32::Widen(parameters);
    std::wstring dir = win32::Widen(directory);

    // The shell's "Open" verb, shown normally; the call returns only once the
    // program has been started (NOASYNC), and its process handle stays ours.
    // No error dialog of the shell (FLAG_NO_UI): an export may run unattended,
    // and the failure reaches the host as a message anyway.
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = L"Open";
    info.lpFile = file.c_str();
    info.lpParameters = params.c_str();
    info.lpDirectory = dir.empty() ? nullptr : dir.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        if (error) *error = win32::ErrorText(::GetLastError());
        return false;
    }
    // The shell may start something without a process of its own to hand
    // back; the program then runs untracked.
    if (info.hProcess) {
        handle_ = reinterpret_cast<intptr_t>(info.hProcess);
        job_ = JobFor(info.hProcess);
    }
    return true;
}

bool Process::HasEnded() {
    if (!Held()) return false;
    if (status_.kind != ExitStatus::Kind::kRunning) return true;
    if (::WaitForSingleObject(H(handle_), 0) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    if (::GetExitCodeProcess(H(handle_), &code))
        status_ = {ExitStatus::Kind::kExited, static_cast<uint32_t>(code)};
    else
        status_.kind = ExitStatus::Kind::kUnknown;
    return true;
}

bool Process::WaitFor(int32_t ms) {
    if (!Held()) return false;
    if (status_.kind == ExitStatus::Kind::kRunning)
        ::WaitForSingleObject(H(handle_), ms < 0 ? 0 : static_cast<DWORD>(ms));
    return HasEnded();
}

bool Process::Kill(int32_t waitMs) {
    if (!Held()) return false;
    // The job also when the program itself has ended: a launcher's worker
    // lives on in it.
    if (job_ != kNone) ::TerminateJobObject(H(job_), 1);
    if (HasEnded()) return true;
    ::TerminateProcess(H(handle_), 1);
    return WaitFor(waitMs);
}

void Process::Close() {
    if (!Held()) return;
    if (job_ != kNone) {
        // Released, not ended: the job's last handle must not take it along.
        KillOnClose(H(job_), false);
        ::CloseHandle(H(job_));
        job_ = kNone;
    }
    ::CloseHandle(H(handle_));
    handle_ = kNone;
}

}  // namespace krv::platform
