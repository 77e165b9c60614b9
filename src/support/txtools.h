// TxTools: word selection and character filtering on one text.
#pragma once

#include <string>
#include <string_view>

namespace krv {

class TxTools {
  public:
    explicit TxTools(std::string text) : text_(std::move(text)) {}

    const std::string& Text() const { return text_; }
    // Word `index` (from 0) between any of the separator characters; empty
    // when there is no such word.
    std::string SelectWord(int index, std::string_view separators) const;
    std::string SelectWordEx(int index, bool& found, std::string_view separators) const;
    // Drops every character found in chars.
    TxTools& DelAnyChar(std::string_view chars);
    // Keeps only the characters found in chars.
    TxTools& DelAnyOtherChar(std::string_view chars);
    // Replaces every `from` by `to`.
    TxTools& Chars2Char(char from, char to);

    // Shows a message box through the platform layer.
    static int MsgBox(const std::string& text, const std::string& title, int flags);

  private:
    std::string text_;
};

}  // namespace krv
