#include "platform/dirs.h"

#include <windows.h>

#include "platform/win32/widepath.h"

namespace krv::platform {

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

bool ForceDirectories(const std::string& path) {
    if (path.empty()) return false;
    // Every prefix that ends before a separator is tried in turn; the drive
    // ("C:") and the server part of a UNC name simply fail to be created.
    for (size_t i = 1; i < path.size(); ++i) {
        if (IsPathSeparator(path[i]) && !IsPathSeparator(path[i - 1])) {
            std::string prefix = path.substr(0, i);
            if (!DirectoryExists(prefix)) ::CreateDirectoryW(win32::Widen(prefix).c_str(), nullptr);
        }
    }
    if (!DirectoryExists(path)) ::CreateDirectoryW(win32::Widen(path).c_str(), nullptr);
    return DirectoryExists(path);
}

CreateNewResult CreateNewFile(const std::string& path, std::string_view content) {
    std::wstring wpath = win32::Widen(path);
    HANDLE h = ::CreateFileW(wpath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD err = ::GetLastError();
        // A directory of that name answers "access denied" rather than "exists".
        bool taken = err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS ||
                     ::GetFileAttributesW(wpath.c_str()) != INVALID_FILE_ATTRIBUTES;
        return taken ? CreateNewResult::kExists : CreateNewResult::kFailed;
    }
    DWORD written = 0;
    bool ok = content.empty() || (::WriteFile(h, content.data(), static_cast<DWORD>(content.size()),
                                              &written, nullptr) &&
                                  written == content.size());
    if (!::CloseHandle(h)) ok = false;
    if (!ok) {
        ::DeleteFileW(wpath.c_str());
        return CreateNewResult::kFailed;
    }
    return CreateNewResult::kCreated;
}

}  // namespace krv::platform
