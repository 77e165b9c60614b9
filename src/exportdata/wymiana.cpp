#include "exportdata/wymiana.h"

namespace krv {

std::string KSWymiana::GetText() const { return GetKurs() + ";" + std::to_string(amount_); }

std::string KSWymiana::GetKurs() const { return text_ + ";" + std::to_string(first_); }

KSWymiany& KSWymiany::operator+(const KSWymiana& wymiana) {
    std::string key = wymiana.GetKurs();
    for (auto& [k, sum] : sums_) {
        if (k == key) {
            sum += wymiana.GetAmount();
            return *this;
        }
    }
    sums_.emplace_back(std::move(key), wymiana.GetAmount());
    return *this;
}

std::string KSWymiany::GetTexts(int i) const {
    const auto& entry = sums_.at(static_cast<size_t>(i));
    return entry.first + ";" + std::to_string(entry.second);
}

}  // namespace krv
