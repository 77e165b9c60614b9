// TLJWords: one delimited line split into fields, and joined back, optionally
// with a fixed width per field. Every line-oriented file of the library goes
// through it. No quoting exists: a delimiter can never be part of a field.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace krv {

class TLJWords {
  public:
    TLJWords() = default;
    explicit TLJWords(std::string_view delimiter) : Delimiter(delimiter) {}
    TLJWords(const TLJWords&) = delete;
    TLJWords& operator=(const TLJWords&) = delete;

    // One character; set before the first Init.
    std::string Delimiter;
    // Set when a caller reads the last field (Get) or past it (both readers),
    // so that record parsers learn that optional trailing fields are absent.
    bool EndReached = false;

    // Replaces fields and widths with the fields of `line`; the field count.
    // An empty line has no fields, and a delimiter at the very end adds none.
    int Init(std::string_view line);
    std::string_view operator=(std::string_view line) {
        Init(line);
        return line;
    }

    int GetCount() const { return count_; }

    // The field at `index`; "" for a negative index (flag untouched) or one
    // past the last (flag set).
    const std::string& operator[](int index);
    // As operator[], and reading exactly the last field sets the flag too.
    const std::string& Get(int index);

    // Replaces field `index`; any index past the last appends one field.
    void Put(int index, std::string_view value);

    // The output width of field `index`, or -1 when none is set.
    int GetSize(int index) const;
    void SetSize(int index, int width);

    // The fields joined with the delimiter; a field with a width is cut on
    // the right or padded with spaces on the left to that width.
    std::string ToString() const;
    explicit operator std::string() const { return ToString(); }

  private:
    // Field strings are kept beyond count_ so that their memory is reused by
    // the next Init: one allocation-free split per line in the hot path.
    std::vector<std::string> words_;
    int count_ = 0;
    std::vector<std::pair<int, int>> sizes_;  // index, width
};

}  // namespace krv
