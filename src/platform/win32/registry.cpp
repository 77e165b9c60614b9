#include "platform/registry.h"

#include <windows.h>

#include <vector>

#include "platform/win32/widepath.h"

namespace krv::platform {

std::string ReadLocalMachineString(const std::string& key, const std::string& name) {
    HKEY h = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, win32::Widen(key).c_str(), 0, KEY_READ, &h) !=
        ERROR_SUCCESS)
        return {};
    std::wstring valueName = win32::Widen(name);
    DWORD type = 0, size = 0;
    std::string result;
    if (::RegQueryValueExW(h, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (::RegQueryValueExW(h, valueName.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer.data()), &bytes) == ERROR_SUCCESS &&
            type == REG_SZ) {
            buffer.back() = L'\0';
            result = win32::Narrow(std::wstring(buffer.data()));
        }
    }
    ::RegCloseKey(h);
    return result;
}

}  // namespace krv::platform
