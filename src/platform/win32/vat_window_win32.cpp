// The VAT dialog window in plain Win32, built in code: a modal popup owned by
// the host's window, with the standard combo box and button controls.
#include <windows.h>

#include <commctrl.h>
#include "platform/win32/widepath.h"

#include <array>

#include "platform/vat_window.h"

namespace krv::platform {

namespace {

constexpr int kIdList0 = 100;  // the row lists: 100 to 109
constexpr int kIdSpecial = 110;
constexpr wchar_t kClassName[] = L"TarviscoStawkiNaKasie";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;  // dialog frame, system menu only
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kDropDownHeight = 200;  // the opened list below a combo box

struct State {
    VatWindowModel* model = nullptr;
    std::array<HWND, kVatRows> lists{};
    int32_t result = kVatWindowCancel;
    bool done = false;
};

void Finish(HWND hwnd, State* st, int32_t result) {
    if (st->done) return;
    if (result == kVatWindowOk) {
        for (size_t i = 0; i < st->lists.size(); ++i)
            st->model->rows[i].selected =
                static_cast<int32_t>(::SendMessageW(st->lists[i], CB_GETCURSEL, 0, 0));
    }
    st->result = result;
    st->done = true;
    ::ShowWindow(hwnd, SW_HIDE);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* st = reinterpret_cast<State*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_NCCREATE: {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
            break;
        }
        case WM_COMMAND:
            if (!st) break;
            if (LOWORD(wp) == IDOK && ::IsWindowEnabled(::GetDlgItem(hwnd, IDOK))) {
                Finish(hwnd, st, kVatWindowOk);
                return 0;
            }
            if (LOWORD(wp) == IDCANCEL) {
                Finish(hwnd, st, kVatWindowCancel);
                return 0;
            }
            break;
        case WM_CLOSE:
            if (st) Finish(hwnd, st, kVatWindowCancel);
            return 0;
        default: break;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&WndProc), &module);
    return module;
}

bool RegisterOnce(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    if (::GetClassInfoExW(instance, kClassName, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HFONT MakeFont(int height) {
    return ::CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, EASTEUROPE_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, L"Arial");
}

HWND Child(HWND parent, HINSTANCE instance, const wchar_t* cls, const std::wstring& text,
           DWORD style, const VatRect& r, int id, HFONT font) {
    HWND h = ::CreateWindowExW(0, cls, text.c_str(), WS_CHILD | style, r.left, r.top, r.width,
                               r.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance, nullptr);
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

// A combo box of the given outer height (the selection field), its list
// opening below it.
HWND Combo(HWND parent, HINSTANCE instance, DWORD style, const VatRect& r, int id, HFONT font) {
    VatRect tall{r.left, r.top, r.width, r.height + kDropDownHeight};
    HWND h = Child(parent, instance, L"COMBOBOX", L"", style | WS_VSCROLL, tall, id, font);
    // The field's item height is the control height less its 3D border.
    ::SendMessageW(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), r.height - 6);
    return h;
}

}  // namespace

int32_t ShowVatWindow(VatWindowModel& model, void* owner) {
    const VatLayout& lay = kVatLayout;
    HINSTANCE instance = ThisModule();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (!RegisterOnce(instance)) return kVatWindowCancel;

    HWND ownerWnd = static_cast<HWND>(owner);
    if (ownerWnd && !::IsWindow(ownerWnd)) ownerWnd = nullptr;

    RECT outer{0, 0, lay.clientWidth, lay.clientHeight};
    ::AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    int width = outer.right - outer.left, height = outer.bottom - outer.top;
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left - width) / 2;
    int y = work.top + (work.bottom - work.top - height) / 2;

    State st;
    st.model = &model;
    HWND hwnd = ::CreateWindowExW(kExStyle, kClassName, win32::Widen(model.caption).c_str(), kStyle,
                                  x, y, width, height, ownerWnd, nullptr, instance, &st);
    if (!hwnd) return kVatWindowCancel;

    HFONT font = MakeFont(lay.fontHeight);
    HFONT labelFont = MakeFont(lay.labelFontHeight);

    // Creation order is the tab order: the lists 0 to 9, the special list,
    // then the buttons.
    Child(hwnd, instance, L"BUTTON", L"", WS_VISIBLE | BS_GROUPBOX, lay.group, -1, font);
    for (size_t i = 0; i < model.rows.size(); ++i) {
        const VatWindowRow& row = model.rows[i];
        // The special row takes the place of the tenth row.
        bool shown = row.visible && !(model.specialVisible && i + 1 == model.rows.size());
        DWORD vis = shown ? WS_VISIBLE : 0;
        Child(hwnd, instance, L"STATIC", win32::Widen(row.label), vis | SS_RIGHT, lay.labels[i], -1,
              labelFont);
        HWND list = Combo(hwnd, instance, vis | WS_TABSTOP | CBS_DROPDOWNLIST, lay.lists[i],
                          kIdList0 + static_cast<int>(i), font);
        for (const std::string& item : row.items)
            ::SendMessageW(list, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(win32::Widen(item).c_str()));
        ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(row.selected), 0);
        ::EnableWindow(list, row.enabled);
        st.lists[i] = list;
    }
    DWORD specialVis = model.specialVisible ? WS_VISIBLE : 0;
    Child(hwnd, instance, L"STATIC", win32::Widen(model.specialLabel), specialVis | SS_RIGHT,
          lay.specialLabel, -1, font);
    HWND special = Combo(hwnd, instance, specialVis | WS_TABSTOP | CBS_DROPDOWN, lay.specialList,
                         kIdSpecial, font);
    ::SetWindowTextW(special, win32::Widen(model.specialText).c_str());
    ::EnableWindow(special, FALSE);
    HWND ok = Child(hwnd, instance, L"BUTTON", win32::Widen(model.okCaption),
                    WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, lay.ok, IDOK, font);
    ::EnableWindow(ok, model.okEnabled);
    Child(hwnd, instance, L"BUTTON", win32::Widen(model.cancelCaption),
          WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, lay.cancel, IDCANCEL, font);

    // Modal: the owner takes no input while the dialog is up.
    bool ownerWasEnabled = ownerWnd && ::IsWindowEnabled(ownerWnd);
    if (ownerWasEnabled) ::EnableWindow(ownerWnd, FALSE);
    ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
    HWND first = ::GetNextDlgTabItem(hwnd, nullptr, FALSE);
    ::SetFocus(first ? first : hwnd);

    MSG msg;
    while (!st.done) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // WM_QUIT belongs to the host's own loop: hand it back, cancel.
            if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!::IsDialogMessageW(hwnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    if (ownerWasEnabled) ::EnableWindow(ownerWnd, TRUE);
    ::DestroyWindow(hwnd);
    ::DeleteObject(font);
    ::DeleteObject(labelFont);
    if (ownerWnd) ::SetActiveWindow(ownerWnd);
    return st.done ? st.result : kVatWindowCancel;
}

}  // namespace krv::platform
