// The native window of the VAT-rate dialog. The dialog's behaviour lives in
// TFrmStawkiNaKasie (action/vat_dialog.h), which fills a VatWindowModel; the
// window shows the model modally, lets the user pick items and writes the
// picks back. One implementation per toolkit: Win32 on Windows, FLTK on Linux,
// and a stub that answers "cancel" where no window system was built in.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace krv::platform {

inline constexpr int32_t kVatRows = 10;

// Results of the modal window.
inline constexpr int32_t kVatWindowOk = 1;
inline constexpr int32_t kVatWindowCancel = 2;

struct VatWindowRow {
    std::string label;               // "1:", "A:" ...
    std::vector<std::string> items;  // choice list items (first: the empty entry)
    int32_t selected = -1;           // index into items, -1 none
    bool visible = true;
    bool enabled = true;
};

// Everything the window shows. Texts are Windows-1250.
struct VatWindowModel {
    std::string caption;
    std::string okCaption;
    std::string cancelCaption;
    std::array<VatWindowRow, kVatRows> rows;
    std::string specialLabel;
    std::string specialText;  // what the special (disabled) list shows
    bool specialVisible = false;
    bool okEnabled = true;
};

// Places of the components in pixels (96 dots per inch), client coordinates.
struct VatRect {
    int left, top, width, height;
};

struct VatLayout {
    int clientWidth = 248;
    int clientHeight = 229;
    int fontHeight = 12;       // Arial, Central European character set
    int labelFontHeight = 13;  // the row labels
    VatRect group{8, 0, 145, 225};
    std::array<VatRect, kVatRows> labels{{{7, 20, 22, 16},
                                          {7, 40, 22, 16},
                                          {7, 60, 22, 16},
                                          {7, 80, 22, 16},
                                          {7, 100, 22, 16},
                                          {7, 119, 22, 16},
                                          {7, 139, 22, 16},
                                          {7, 159, 22, 16},
                                          {7, 179, 22, 16},
                                          {7, 199, 22, 16}}};
    std::array<VatRect, kVatRows> lists{{{32, 16, 105, 23},
                                         {32, 35, 105, 23},
                                         {32, 55, 105, 23},
                                         {32, 75, 105, 23},
                                         {32, 95, 105, 23},
                                         {32, 115, 105, 23},
                                         {32, 135, 105, 23},
                                         {32, 155, 105, 23},
                                         {32, 175, 105, 23},
                                         {32, 195, 105, 23}}};
    VatRect specialLabel{12, 200, 16, 15};
    VatRect specialList{32, 195, 105, 23};
    VatRect ok{160, 152, 81, 33};
    VatRect cancel{160, 192, 81, 33};
};

inline constexpr VatLayout kVatLayout{};

// Shows the model as a modal window owned by `owner` (the host's window, or
// null), centred on the desktop. The row lists take tab order 0 to 9 and the
// special list 10; OK ends with kVatWindowOk, cancel (also the Escape key and
// closing the window) with kVatWindowCancel. On OK the rows' `selected`
// fields hold the user's picks; on cancel they are left as they were.
int32_t ShowVatWindow(VatWindowModel& model, void* owner);

}  // namespace krv::platform
