#include "exportdata/ljwords.h"

namespace krv {

namespace {
const std::string kEmpty;
}

int TLJWords::Init(std::string_view line) {
    count_ = 0;
    sizes_.clear();
    EndReached = false;
    auto add = [this](std::string_view field) {
        if (static_cast<size_t>(count_) == words_.size()) words_.emplace_back();
        words_[static_cast<size_t>(count_++)].assign(field);
    };
    // A missing delimiter leaves each line a single field. After each field
    // exactly one character is dropped, whatever the delimiter's length.
    size_t start = 0;
    while (start < line.size()) {
        size_t at = Delimiter.empty()       ? std::string_view::npos
                    : Delimiter.size() == 1 ? line.find(Delimiter[0], start)
                                            : line.find(Delimiter, start);
        if (at == std::string_view::npos) {
            add(line.substr(start));
            break;
        }
        add(line.substr(start, at - start));
        start = at + 1;
    }
    return count_;
}

const std::string& TLJWords::operator[](int index) {
    if (index < 0) return kEmpty;
    if (index >= count_) {
        EndReached = true;
        return kEmpty;
    }
    return words_[static_cast<size_t>(index)];
}

const std::string& TLJWords::Get(int index) {
    if (index >= 0 && index == count_ - 1) EndReached = true;
    return (*this)[index];
}

void TLJWords::Put(int index, std::string_view value) {
    if (index < 0) return;
    if (index < count_) {
        words_[static_cast<size_t>(index)].assign(value);
        return;
    }
    if (static_cast<size_t>(count_) == words_.size()) words_.emplace_back();
    words_[static_cast<size_t>(count_++)].assign(value);
}

int TLJWords::GetSize(int index) const {
    for (const auto& [i, width] : sizes_)
        if (i == index) return width;
    return -1;
}

void TLJWords::SetSize(int index, int width) {
    for (auto& entry : sizes_) {
        if (entry.first == index) {
            entry.second = width;
            return;
        }
    }
    sizes_.emplace_back(index, width);
}

std::string TLJWords::ToString() const {
    std::string out;
    for (int i = 0; i < count_; ++i) {
        if (i > 0) out += Delimiter;
        const std::string& field = words_[static_cast<size_t>(i)];
        int width = GetSize(i);
        if (width == -1) {
            out += field;
        } else if (width < static_cast<int>(field.size())) {
            out.append(field, 0, static_cast<size_t>(width < 0 ? 0 : width));
        } else {
            out.append(static_cast<size_t>(width) - field.size(), ' ');
            out += field;
        }
    }
    return out;
}

}  // namespace krv
