// TMacSetOfIntegers: a small ordered set of integers with a fixed capacity.
// Values keep the order in which they were added; a value already present or
// one beyond the capacity is not added.
#pragma once

#include <cstdint>
#include <vector>

namespace krv {

class TMacSetOfIntegers {
  public:
    explicit TMacSetOfIntegers(int32_t capacity) : capacity_(capacity) {}

    bool Add(int32_t value) {
        if (static_cast<int32_t>(values_.size()) >= capacity_) return false;
        for (int32_t v : values_)
            if (v == value) return false;
        values_.push_back(value);
        return true;
    }
    void Clear() { values_.clear(); }
    int32_t GetCount() const { return static_cast<int32_t>(values_.size()); }
    // The value at index (0 = first added); 0 outside the set.
    int32_t GetValues(int32_t index) const {
        if (index < 0 || index >= GetCount()) return 0;
        return values_[static_cast<size_t>(index)];
    }
    int32_t GetCapacity() const { return capacity_; }

  private:
    int32_t capacity_;
    std::vector<int32_t> values_;
};

}  // namespace krv
