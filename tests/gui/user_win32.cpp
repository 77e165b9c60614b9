// The simulated user on Windows (and wine): finds the dialog by its caption,
// copies it from the screen into a bitmap file, moves the second row's list
// one item down with the arrow key and presses OK.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "simulated_user.h"

namespace krv::test {

namespace {

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::wstring Wide(const std::string& s) {
    int n = ::MultiByteToWideChar(1250, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(1250, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// Writes what the screen shows of the window's client area as a 24-bit BMP
// (without a window manager, as under Xvfb, nobody draws the frame).
bool Picture(HWND hwnd, const std::string& path) {
    RECT c{};
    if (!::GetClientRect(hwnd, &c)) return false;
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    RECT r{origin.x, origin.y, origin.x + c.right, origin.y + c.bottom};
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as a BMP file stores it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = ::CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    bool ok = ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != 0;
    ::GdiFlush();
    DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
    DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    bi.bmiHeader.biSizeImage = size;
    FILE* f = ok ? std::fopen(path.c_str(), "wb") : nullptr;
    if (f) {
        ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 &&
             std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, 1, size, f) == size;
        ok = std::fclose(f) == 0 && ok;
    } else {
        ok = false;
    }
    ::SelectObject(mem, old);
    ::DeleteObject(bmp);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace

bool DisplayAvailable(std::string& why) {
    // Windows always has a desktop; wine needs an X display for one.
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    bool underWine = ntdll && ::GetProcAddress(ntdll, "wine_get_version");
    const char* display = std::getenv("DISPLAY");
    if (underWine && (!display || !*display)) {
        why =
            "DISPLAY is not set: wine has no desktop (scripts/test.sh starts Xvfb for the whole "
            "run)";
        return false;
    }
    return true;
}

std::string RunUser(const UserScript& s) {
    std::wstring caption = Wide(s.caption);
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && !dialog; ++i) {
        HWND h = ::FindWindowW(L"TarviscoStawkiNaKasie", caption.c_str());
        if (h && ::IsWindowVisible(h))
            dialog = h;
        else
            Pause(100);
    }
    if (!dialog) return "the dialog did not appear";
    Pause(700);  // let it draw
    std::string base = s.artifacts + "/" + s.shotName;
    if (!Picture(dialog, base + ".bmp")) return "no picture";

    // The second row's list: one item down with the arrow key, as a user
    // with the keyboard would do.
    HWND list = ::GetDlgItem(dialog, 101);
    if (!list) return "no list in the second row";
    LRESULT before = ::SendMessageW(list, CB_GETCURSEL, 0, 0);
    ::PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0x00500001);
    ::PostMessageW(list, WM_KEYUP, VK_DOWN, static_cast<LPARAM>(0xC0500001u));
    for (int i = 0; i < 50 && ::SendMessageW(list, CB_GETCURSEL, 0, 0) == before; ++i) Pause(50);
    if (::SendMessageW(list, CB_GETCURSEL, 0, 0) != before + 1)
        return "the arrow key moved nothing";
    Pause(300);
    if (!Picture(dialog, base + "_changed.bmp")) return "no second picture";

    HWND ok = ::GetDlgItem(dialog, IDOK);
    if (!ok || !::IsWindowEnabled(ok)) return "no usable OK button";
    ::PostMessageW(ok, BM_CLICK, 0, 0);
    return {};
}

}  // namespace krv::test
