#include "action/stawki_kolejne.h"

#include "support/strutil.h"

namespace krv {

namespace {

bool InRange(int32_t position) { return position >= 0 && position < TKSStawkiKolejne::kSloty; }

int32_t Normalised(int32_t value) {
    return value < TKSStawkiKolejne::kZwolniona ? TKSStawkiKolejne::kPusta : value;
}

}  // namespace

TKSStawkiKolejne::TKSStawkiKolejne() { slots_.fill(kPusta); }

int32_t TKSStawkiKolejne::GetWartosci(int32_t position) const {
    return InRange(position) ? slots_[static_cast<size_t>(position)] : kPusta;
}

void TKSStawkiKolejne::SetWartosci(int32_t position, int32_t value) {
    if (InRange(position)) slots_[static_cast<size_t>(position)] = Normalised(value);
}

bool TKSStawkiKolejne::GetUzywane(int32_t position) const {
    return InRange(position) && slots_[static_cast<size_t>(position)] >= kZwolniona;
}

bool TKSStawkiKolejne::GetZwolnione(int32_t position) const {
    return InRange(position) && slots_[static_cast<size_t>(position)] == kZwolniona;
}

int32_t TKSStawkiKolejne::IleUstawionych() const {
    for (int32_t i = kSloty - 1; i >= 0; --i)
        if (GetUzywane(i)) return i + 1;
    return 0;
}

void TKSStawkiKolejne::ObetnijDoTylu(int32_t n) {
    for (int32_t i = n < 0 ? 0 : n; i < kSloty; ++i) slots_[static_cast<size_t>(i)] = kPusta;
}

void TKSStawkiKolejne::WczytajZTekstuParametru(const std::string& text, bool times100) {
    slots_.fill(kPusta);
    std::vector<std::string> lines = SplitLines(Trim(text));
    for (size_t i = 0; i < lines.size() && i < static_cast<size_t>(kSloty); ++i) {
        int32_t value = Normalised(TryStrToInt(Trim(lines[i])).value_or(kPusta));
        // A rate this large in whole percent is no rate; it must not wrap round.
        if (times100 && value > 0) value = value > INT32_MAX / 100 ? kPusta : value * 100;
        slots_[i] = value;
    }
}

void TKSStawkiKolejne::WczytajZListyDostepnychStawek(const TMacSetOfIntegers& set) {
    slots_.fill(kPusta);
    int32_t count = set.GetCount();
    for (int32_t i = 0; i < kSloty && i < count; ++i)
        slots_[static_cast<size_t>(i)] = Normalised(set.GetValues(count - 1 - i));
}

std::string TKSStawkiKolejne::SpiszDoTekstuParametru() const {
    std::string text;
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += IntToStr(slots_[i]);
    }
    return text;
}

}  // namespace krv
