// FieldViews: one delimited line split into views of its fields, without a
// copy: the reader of the large goods file. It splits as TLJWords does and
// sets the same end flag, so that record parsers read optional trailing
// fields the same way through either.
#pragma once

#include <string_view>
#include <vector>

namespace krv {

class TLJWords;

class FieldViews {
  public:
    explicit FieldViews(char delimiter = ';') : delimiter_(delimiter) {}

    // Set when a caller reads past the last field.
    bool EndReached = false;

    // The fields of `line`, which must outlive the views; the field count.
    // An empty line has no fields, and a delimiter at the very end adds none.
    int Init(std::string_view line);
    // The fields of a line already split (views into `words`).
    int Init(TLJWords& words);

    int GetCount() const { return static_cast<int>(fields_.size()); }

    // The field at `index`; "" for a negative index (flag untouched) or one
    // past the last (flag set).
    std::string_view operator[](int index) {
        if (index < 0) return {};
        if (static_cast<size_t>(index) >= fields_.size()) {
            EndReached = true;
            return {};
        }
        return fields_[static_cast<size_t>(index)];
    }

  private:
    char delimiter_;
    // Kept between lines: after the first lines no split allocates.
    std::vector<std::string_view> fields_;
};

}  // namespace krv
