// The VAT dialog window drawn with FLTK (X11): the whole of the module
// libtarvisco_vatwindow.so, which the library loads when the dialog opens.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/x.H>

#include <memory>
#include <vector>

#include "platform/vat_window_module.h"
#include "support/cp1250.h"

namespace krv::platform {

namespace {

constexpr Fl_Font kFont = FL_HELVETICA;  // FLTK's Arial-like face

// FLTK opens the display on first use and ends the process when it cannot;
// the dialog opens it itself so that a missing display only cancels.
bool DisplayReady() {
    if (fl_display) return true;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    fl_open_display(d);
    return true;
}

// A choice list whose menu is built from plain texts: FLTK's add() would read
// '/', '&' and '_' in a text as menu syntax.
struct ChoiceItems {
    std::vector<std::string> texts;
    std::vector<Fl_Menu_Item> menu;

    explicit ChoiceItems(const std::vector<std::string>& items) {
        for (const auto& item : items) texts.push_back(Cp1250ToUtf8(item));
        for (const auto& text : texts) {
            Fl_Menu_Item m{};
            m.text = text.c_str();
            m.labelfont_ = kFont;
            m.labelsize_ = kVatLayout.fontHeight;
            menu.push_back(m);
        }
        menu.push_back(Fl_Menu_Item{});
    }
};

struct Dialog {
    int32_t result = kVatWindowCancel;
    Fl_Double_Window* window = nullptr;

    static void End(Fl_Widget*, void* data, int32_t result) {
        auto* self = static_cast<Dialog*>(data);
        self->result = result;
        self->window->hide();
    }
    static void OnOk(Fl_Widget* w, void* data) { End(w, data, kVatWindowOk); }
    static void OnCancel(Fl_Widget* w, void* data) { End(w, data, kVatWindowCancel); }
};

void Place(Fl_Widget* w, const VatRect& r) { w->resize(r.left, r.top, r.width, r.height); }

}  // namespace

int32_t Show(VatWindowModel& model) {
    if (!DisplayReady()) return kVatWindowNoDisplay;
    const VatLayout& lay = kVatLayout;
    Dialog dialog;
    std::string caption = Cp1250ToUtf8(model.caption);
    std::string okCaption = Cp1250ToUtf8(model.okCaption);
    std::string cancelCaption = Cp1250ToUtf8(model.cancelCaption);
    std::string specialLabel = Cp1250ToUtf8(model.specialLabel);
    std::string specialText = Cp1250ToUtf8(model.specialText);
    std::vector<std::string> labels;
    std::vector<std::unique_ptr<ChoiceItems>> items;
    for (const auto& row : model.rows) {
        labels.push_back(Cp1250ToUtf8(row.label));
        items.push_back(std::make_unique<ChoiceItems>(row.items));
    }

    int sx = 0, sy = 0, sw = 0, sh = 0;
    Fl::screen_work_area(sx, sy, sw, sh);
    // The window owns the widgets created while it is the current group.
    auto window = std::make_unique<Fl_Double_Window>(
        sx + (sw - lay.clientWidth) / 2, sy + (sh - lay.clientHeight) / 2, lay.clientWidth,
        lay.clientHeight, caption.c_str());
    dialog.window = window.get();
    window->set_modal();
    window->labelfont(kFont);
    window->callback(Dialog::OnCancel, &dialog);  // closing and Escape cancel

    // Creation order is the keyboard order: the lists 0 to 9, the special
    // list, then the buttons.
    auto* frame = new Fl_Box(FL_ENGRAVED_FRAME, 0, 0, 1, 1, nullptr);
    Place(frame, lay.group);

    std::vector<Fl_Choice*> lists;
    for (size_t i = 0; i < model.rows.size(); ++i) {
        const VatWindowRow& row = model.rows[i];
        auto* label = new Fl_Box(0, 0, 1, 1, labels[i].c_str());
        Place(label, lay.labels[i]);
        label->labelfont(kFont);
        label->labelsize(lay.labelFontHeight);
        label->align(FL_ALIGN_RIGHT | FL_ALIGN_INSIDE);
        auto* list = new Fl_Choice(0, 0, 1, 1);
        Place(list, lay.lists[i]);
        list->textfont(kFont);
        list->textsize(lay.fontHeight);
        list->menu(items[i]->menu.data());
        if (row.selected >= 0 && row.selected < static_cast<int>(row.items.size()))
            list->value(row.selected);
        if (!row.enabled) list->deactivate();
        // The special row takes the place of the tenth row.
        bool shown = row.visible && !(model.specialVisible && i + 1 == model.rows.size());
        if (!shown) {
            label->hide();
            list->hide();
        }
        lists.push_back(list);
    }

    auto* specialLabelBox = new Fl_Box(0, 0, 1, 1, specialLabel.c_str());
    Place(specialLabelBox, lay.specialLabel);
    specialLabelBox->labelfont(kFont);
    specialLabelBox->labelsize(lay.fontHeight);
    specialLabelBox->align(FL_ALIGN_RIGHT | FL_ALIGN_INSIDE);
    auto* specialList = new Fl_Input_Choice(0, 0, 1, 1);
    Place(specialList, lay.specialList);
    specialList->textfont(kFont);
    specialList->textsize(lay.fontHeight);
    specialList->value(specialText.c_str());
    specialList->deactivate();
    if (!model.specialVisible) {
        specialLabelBox->hide();
        specialList->hide();
    }

    auto* ok = new Fl_Button(0, 0, 1, 1, okCaption.c_str());
    Place(ok, lay.ok);
    ok->labelfont(kFont);
    ok->labelsize(lay.fontHeight);
    ok->callback(Dialog::OnOk, &dialog);
    ok->shortcut(FL_Enter);
    if (!model.okEnabled) ok->deactivate();
    auto* cancel = new Fl_Button(0, 0, 1, 1, cancelCaption.c_str());
    Place(cancel, lay.cancel);
    cancel->labelfont(kFont);
    cancel->labelsize(lay.fontHeight);
    cancel->callback(Dialog::OnCancel, &dialog);
    window->end();

    window->show();
    while (window->shown()) Fl::wait();

    if (dialog.result == kVatWindowOk) {
        for (size_t i = 0; i < model.rows.size(); ++i) model.rows[i].selected = lists[i]->value();
    }
    window.reset();
    Fl::flush();
    return dialog.result;
}

}  // namespace krv::platform

extern "C" __attribute__((visibility("default"))) int32_t tarvisco_vat_window_version() {
    return krv::platform::kVatWindowModuleVersion;
}

// The owner is not used: the host gives no X11 handle.
extern "C" __attribute__((visibility("default"))) int32_t tarvisco_vat_window_show(
    krv::platform::VatWindowModel* model, void* /*owner*/) {
    if (!model) return krv::platform::kVatWindowCancel;
    try {
        return krv::platform::Show(*model);
    } catch (...) {
        // Nothing may cross into the library as an exception of the module.
        return krv::platform::kVatWindowCancel;
    }
}
