#include "platform/files.h"

#include <windows.h>

#include "platform/win32/widepath.h"

namespace krv::platform {

using win32::Narrow;
using win32::Widen;

namespace {

void SetError(std::string* error) {
    if (error) *error = win32::ErrorText(::GetLastError());
}

HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(Widen(path).c_str()); }

}  // namespace

bool RawFile::Open(const std::string& path, Mode mode, std::string* error) {
    Close();
    DWORD access = mode == Mode::kRead ? GENERIC_READ : (GENERIC_READ | GENERIC_WRITE);
    DWORD disposition = mode == Mode::kRead ? OPEN_EXISTING : OPEN_ALWAYS;
    HANDLE h = ::CreateFileW(Widen(path).c_str(), access,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        SetError(error);
        return false;
    }
    handle_ = reinterpret_cast<intptr_t>(h);
    return true;
}

bool RawFile::Close(std::string* error) {
    if (handle_ == kClosed) return true;
    bool ok = ::CloseHandle(H(handle_)) != 0;
    handle_ = kClosed;
    if (!ok) SetError(error);
    return ok;
}

bool RawFile::Sync(std::string* error) {
    if (!::FlushFileBuffers(H(handle_))) {
        SetError(error);
        return false;
    }
    return true;
}

int64_t RawFile::Read(void* buffer, size_t n, std::string* error) {
    DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
    DWORD got = 0;
    if (!::ReadFile(H(handle_), buffer, chunk, &got, nullptr)) {
        SetError(error);
        return -1;
    }
    return got;
}

bool RawFile::Write(const void* buffer, size_t n, std::string* error) {
    const char* p = static_cast<const char*>(buffer);
    while (n > 0) {
        DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
        DWORD done = 0;
        if (!::WriteFile(H(handle_), p, chunk, &done, nullptr)) {
            SetError(error);
            return false;
        }
        p += done;
        n -= done;
    }
    return true;
}

bool RawFile::Seek(uint64_t position, std::string* error) {
    LARGE_INTEGER li;
    li.QuadPart = static_cast<LONGLONG>(position);
    if (!::SetFilePointerEx(H(handle_), li, nullptr, FILE_BEGIN)) {
        SetError(error);
        return false;
    }
    return true;
}

bool RawFile::Size(uint64_t* size, std::string* error) {
    LARGE_INTEGER li;
    if (!::GetFileSizeEx(H(handle_), &li)) {
        SetError(error);
        return false;
    }
    *size = static_cast<uint64_t>(li.QuadPart);
    return true;
}

bool RawFile::Truncate(uint64_t size, std::string* error) {
    LARGE_INTEGER zero{}, here{};
    if (!::SetFilePointerEx(H(handle_), zero, &here, FILE_CURRENT)) {
        SetError(error);
        return false;
    }
    LARGE_INTEGER target;
    target.QuadPart = static_cast<LONGLONG>(size);
    bool ok =
        ::SetFilePointerEx(H(handle_), target, nullptr, FILE_BEGIN) && ::SetEndOfFile(H(handle_));
    if (!ok) SetError(error);
    ::SetFilePointerEx(H(handle_), here, nullptr, FILE_BEGIN);
    return ok;
}

bool FileExists(const std::string& path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

FileProbe ProbeFile(const std::string& path, std::string* reason) {
    DWORD a = Attributes(path);
    if (a != INVALID_FILE_ATTRIBUTES)
        return (a & FILE_ATTRIBUTE_DIRECTORY) ? FileProbe::kAbsent : FileProbe::kFile;
    switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_DIRECTORY: return FileProbe::kAbsent;
        default: SetError(reason); return FileProbe::kUnknown;
    }
}

bool DirectoryExists(const std::string& path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(Widen(path).c_str()) != 0; }

bool RenameFile(const std::string& from, const std::string& to) {
    return ::MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

bool CommitReplacement(const std::string& temp, const std::string& path, bool durable,
                       std::string* error) {
    // No MOVEFILE_COPY_ALLOWED: a copy would not be one step.
    DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    if (::MoveFileExW(Widen(temp).c_str(), Widen(path).c_str(), flags)) return true;
    DWORD cause = ::GetLastError();
    if (error) *error = win32::ErrorText(cause);
    // A written-through move can fail once the file has moved (its flush
    // failed): a name that may not survive is no commit, so the file is
    // withdrawn, as on the other systems, and the caller keeps its data.
    if (durable && Attributes(temp) == INVALID_FILE_ATTRIBUTES &&
        ::GetLastError() == ERROR_FILE_NOT_FOUND && FileExists(path)) {
        bool removed = ::DeleteFileW(Widen(path).c_str()) != 0;
        if (error)
            *error += removed ? ", so the file was removed again"
                              : ", and the file could not be removed again (" +
                                    win32::ErrorText(::GetLastError()) + ")";
    }
    ::SetLastError(cause);
    return false;
}

bool CreateDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::string partial;
    for (size_t i = 0; i <= path.size(); ++i) {
        bool separator = i < path.size() && (path[i] == '\\' || path[i] == '/');
        if (i == path.size() || separator) {
            // Skip drive roots ("C:") and the empty leads of UNC paths.
            bool root = partial.empty() || (partial.size() == 2 && partial[1] == ':');
            if (!root && !DirectoryExists(partial) &&
                !::CreateDirectoryW(Widen(partial).c_str(), nullptr) &&
                ::GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        }
        if (i < path.size()) partial += path[i];
    }
    return DirectoryExists(path);
}

CreateNewResult CreateNewFile(const std::string& path) {
    HANDLE h = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD e = ::GetLastError();
        return e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS ? CreateNewResult::kExists
                                                                   : CreateNewResult::kFailed;
    }
    ::CloseHandle(h);
    return CreateNewResult::kCreated;
}

std::vector<FoundEntry> FindEntries(const std::string& pattern) {
    std::vector<FoundEntry> found;
    WIN32_FIND_DATAW data;
    HANDLE h = ::FindFirstFileW(Widen(pattern).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        FoundEntry entry;
        entry.name = Narrow(name);
        entry.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        entry.system = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
        found.push_back(std::move(entry));
    } while (::FindNextFileW(h, &data));
    ::FindClose(h);
    return found;
}

std::string ShortPathName(const std::string& path) {
    std::wstring wide = Widen(path);
    DWORD n = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (n == 0) return {};
    std::wstring buffer(n, L'\0');
    DWORD got = ::GetShortPathNameW(wide.c_str(), buffer.data(), n);
    if (got == 0 || got >= n) return {};
    buffer.resize(got);
    return Narrow(buffer);
}

char PathSeparator() { return '\\'; }

}  // namespace krv::platform
