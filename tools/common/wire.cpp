#include "wire.h"

namespace krv::tools::wire {
namespace {

std::string OneLine(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

// Splits off the text before the first blank.
std::string_view Word(std::string_view* rest) {
    size_t blank = rest->find(' ');
    std::string_view word = rest->substr(0, blank);
    rest->remove_prefix(blank == std::string_view::npos ? rest->size() : blank + 1);
    return word;
}

}  // namespace

std::string PluCommand(std::string_view record) {
    std::string s(kPluCommand);
    s.append(record);
    s += '\n';
    return s;
}

std::string OkAnswer(std::string_view plu) {
    return std::string(kOkAnswer) + std::string(plu) + "\n";
}

std::string ErrAnswer(std::string_view plu, std::string_view code, std::string_view text) {
    return std::string(kErrAnswer) + std::string(plu) + " " + OneLine(code) + " " + OneLine(text) +
           "\n";
}

std::optional<Answer> ParseAnswer(std::string_view line) {
    Answer a;
    if (line.substr(0, kOkAnswer.size()) == kOkAnswer) {
        line.remove_prefix(kOkAnswer.size());
        a.ok = true;
        a.plu = std::string(Word(&line));
        if (a.plu.empty() || !line.empty()) return std::nullopt;
        return a;
    }
    if (line.substr(0, kErrAnswer.size()) == kErrAnswer) {
        line.remove_prefix(kErrAnswer.size());
        a.plu = std::string(Word(&line));
        a.code = std::string(Word(&line));
        a.text = std::string(line);
        if (a.plu.empty() || a.code.empty()) return std::nullopt;
        return a;
    }
    return std::nullopt;
}

}  // namespace krv::tools::wire
