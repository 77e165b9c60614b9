// KSWymiana and KSWymiany: amounts summed per currency and rate (used by the
// sales import).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace krv {

class KSWymiana {
  public:
    KSWymiana(std::string text, int32_t first, int32_t amount)
        : text_(std::move(text)), first_(first), amount_(amount) {}

    // text;first;amount
    std::string GetText() const;
    // text;first: the key under which amounts are summed.
    std::string GetKurs() const;
    int32_t GetAmount() const { return amount_; }

  private:
    std::string text_;
    int32_t first_;
    int32_t amount_;
};

class KSWymiany {
  public:
    // Adds the amount to the sum kept under the entry's key.
    KSWymiany& operator+(const KSWymiana& wymiana);
    KSWymiany& operator+=(const KSWymiana& wymiana) { return *this + wymiana; }

    int GetCount() const { return static_cast<int>(sums_.size()); }
    // Entry i (in the order the keys first came) as text;first;sum.
    std::string GetTexts(int i) const;

  private:
    std::vector<std::pair<std::string, int64_t>> sums_;  // key, sum
};

}  // namespace krv
