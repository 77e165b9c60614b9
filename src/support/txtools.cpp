#include "support/txtools.h"

#include "platform/ui.h"

namespace krv {

std::string TxTools::SelectWordEx(int index, bool& found, std::string_view separators) const {
    found = false;
    if (index < 0) return {};
    int current = 0;
    size_t start = 0;
    for (size_t i = 0; i <= text_.size(); ++i) {
        if (i == text_.size() || separators.find(text_[i]) != std::string_view::npos) {
            if (current == index) {
                found = true;
                return text_.substr(start, i - start);
            }
            ++current;
            start = i + 1;
        }
    }
    return {};
}

std::string TxTools::SelectWord(int index, std::string_view separators) const {
    bool found;
    return SelectWordEx(index, found, separators);
}

TxTools& TxTools::DelAnyChar(std::string_view chars) {
    std::string out;
    for (char c : text_)
        if (chars.find(c) == std::string_view::npos) out += c;
    text_ = std::move(out);
    return *this;
}

TxTools& TxTools::DelAnyOtherChar(std::string_view chars) {
    std::string out;
    for (char c : text_)
        if (chars.find(c) != std::string_view::npos) out += c;
    text_ = std::move(out);
    return *this;
}

TxTools& TxTools::Chars2Char(char from, char to) {
    for (char& c : text_)
        if (c == from) c = to;
    return *this;
}

int TxTools::MsgBox(const std::string& text, const std::string& title, int flags) {
    return platform::ShowMessageBox(text, title, flags);
}

}  // namespace krv
