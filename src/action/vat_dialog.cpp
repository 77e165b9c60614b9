#include "action/vat_dialog.h"

#include <cmath>

#include "action/stawki_kolejne.h"
#include "support/strutil.h"
#include "support/txftools.h"

namespace krv {

namespace {

constexpr const char* kSection = "kstools_fstavat";

TFrmStawkiNaKasie::WindowRunner& Runner() {
    static TFrmStawkiNaKasie::WindowRunner runner;
    return runner;
}

}  // namespace

void TFrmStawkiNaKasie::SetWindowRunner(WindowRunner runner) { Runner() = std::move(runner); }

TFrmStawkiNaKasie::TFrmStawkiNaKasie(void* owner, bool hundredths, const TMLgExtTools* lg)
    : owner_(owner), hundredths_(hundredths), lg_(lg) {
    model_.caption = Tr(lg_, kSection, "Caption", "Stawki VAT na kasie");
    model_.okCaption = Tr(lg_, kSection, "btn_okCaption", "OK");
    model_.cancelCaption = Tr(lg_, kSection, "btn_cancCaption", "Anuluj");
    for (int32_t i = 0; i < platform::kVatRows; ++i)
        model_.rows[static_cast<size_t>(i)].label = IntToStr(i + 1) + ":";
    StawkaSpecjalna("", -1);
    model_.specialVisible = false;
}

void TFrmStawkiNaKasie::SetStawkiMarket(const TMacSetOfIntegers& rates) {
    std::vector<std::string> items;
    items.push_back(Tr(lg_, kSection, "TFrmStawSetStawkstr", "<pusta>"));
    for (int32_t i = 0; i < rates.GetCount(); ++i)
        items.push_back(ToDispFormat(rates.GetValues(i)));
    for (auto& row : model_.rows) {
        row.items = items;
        row.selected = 0;
    }
}

void TFrmStawkiNaKasie::SetStawkiUrzadzenia(const TKSStawkiKolejne& ordering, bool editable) {
    for (size_t i = 0; i < model_.rows.size(); ++i) {
        auto& row = model_.rows[i];
        std::string shown = ToDispFormat(ordering.GetWartosci(static_cast<int32_t>(i)));
        row.selected = row.items.empty() ? -1 : 0;
        for (size_t k = 0; k < row.items.size(); ++k) {
            if (Trim(row.items[k]) == shown) {
                row.selected = static_cast<int32_t>(k);
                break;
            }
        }
        row.enabled = editable;
    }
    model_.okEnabled = editable;
}

void TFrmStawkiNaKasie::SetIloscStawek(int32_t n) {
    for (size_t i = 0; i < model_.rows.size(); ++i)
        model_.rows[i].visible = static_cast<int32_t>(i) < n;
}

void TFrmStawkiNaKasie::SetNazwaStawki(const std::string& startName) {
    std::optional<int32_t> number = TryStrToInt(startName);
    if (number && *number >= 0) {
        for (size_t i = 0; i < model_.rows.size(); ++i)
            model_.rows[i].label =
                IntToStr(static_cast<int64_t>(*number) + static_cast<int64_t>(i)) + ":";
    } else if (!startName.empty()) {
        unsigned char first = static_cast<unsigned char>(startName[0]);
        for (size_t i = 0; i < model_.rows.size(); ++i)
            model_.rows[i].label = std::string(1, static_cast<char>(first + i)) + ":";
    }
    // An empty start name keeps the labels as they are.
}

void TFrmStawkiNaKasie::StawkaSpecjalna(const std::string& label, int32_t value) {
    model_.specialLabel = label;
    specialValue_ = value;
    model_.specialText = ToDispFormat(value);
}

void TFrmStawkiNaKasie::SetSpecjalnaWidoczna(bool visible) { model_.specialVisible = visible; }

void TFrmStawkiNaKasie::GetStawkiUrzadzenia(TKSStawkiKolejne& ordering) const {
    for (size_t i = 0; i < model_.rows.size(); ++i) {
        const auto& row = model_.rows[i];
        int32_t value = TKSStawkiKolejne::kPusta;
        if (row.selected > 0 && row.selected < static_cast<int32_t>(row.items.size()))
            value = FromDispFormat(row.items[static_cast<size_t>(row.selected)]);
        ordering.SetWartosci(static_cast<int32_t>(i), value);
    }
}

int32_t TFrmStawkiNaKasie::ShowModal() {
    if (Runner()) return Runner()(model_, owner_);
    return platform::ShowVatWindow(model_, owner_);
}

std::string TFrmStawkiNaKasie::ToDispFormat(int32_t value) const {
    if (value < -1) return Tr(lg_, kSection, "TFrmStawToDispForeturn", "<pusta>");
    if (value == -1) return "zw";
    if (hundredths_) return TxfTools::ToString(value / 100.0, 2);
    return IntToStr(value > 100 ? 100 : value);
}

int32_t TFrmStawkiNaKasie::FromDispFormat(const std::string& text) const {
    std::string t = Trim(text);
    if (SameText(t, "zw")) return -1;
    std::optional<double> number = TxfTools::TryFromString(t);
    if (!number || !std::isfinite(*number) || std::fabs(*number) > 1e7)
        return TKSStawkiKolejne::kPusta;
    // The rounded hundredths are whole numbers; llround keeps 8.70 from
    // becoming 869 through the binary fraction of 8.7 * 100.
    if (hundredths_) return static_cast<int32_t>(std::llround(TxfTools::Round(*number, 2) * 100.0));
    return static_cast<int32_t>(std::llround(*number));
}

}  // namespace krv
