#include "source_scan.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>

namespace krv::docgen {

namespace {

struct Token {
    enum Kind { kIdent, kString, kPunct, kOther } kind;
    std::string text;  // a string literal's value, unescaped
    int line;
};

bool IdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// C++ tokens, enough to follow calls: comments and preprocessor lines are
// dropped, adjacent string literals joined, "::" kept as one token.
std::vector<Token> Tokenize(const std::string& s) {
    std::vector<Token> out;
    int line = 1;
    bool lineStart = true;
    for (size_t i = 0; i < s.size();) {
        char c = s[i];
        if (c == '\n') {
            ++line;
            lineStart = true;
            ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (lineStart && c == '#') {  // up to the end of the line, with continuations
            while (i < s.size() && !(s[i] == '\n' && s[i - 1] != '\\')) ++i;
            continue;
        }
        lineStart = false;
        if (s.compare(i, 2, "//") == 0) {
            while (i < s.size() && s[i] != '\n') ++i;
            continue;
        }
        if (s.compare(i, 2, "/*") == 0) {
            size_t end = s.find("*/", i + 2);
            end = end == std::string::npos ? s.size() : end + 2;
            line += static_cast<int>(std::count(s.begin() + static_cast<long>(i),
                                                s.begin() + static_cast<long>(end), '\n'));
            i = end;
            continue;
        }
        if (c == '"' || c == '\'') {
            std::string value;
            size_t j = i + 1;
            for (; j < s.size() && s[j] != c; ++j) {
                if (s[j] != '\\' || j + 1 >= s.size()) {
                    value += s[j];
                    continue;
                }
                switch (char e = s[++j]) {
                    case 'n': value += '\n'; break;
                    case 'r': value += '\r'; break;
                    case 't': value += '\t'; break;
                    default: value += e;
                }
            }
            i = j + 1;
            while (i < s.size() && IdentChar(s[i])) ++i;  // a literal suffix (sv)
            if (c == '\'') {
                out.push_back({Token::kOther, value, line});
            } else if (!out.empty() && out.back().kind == Token::kString) {
                out.back().text += value;
            } else {
                out.push_back({Token::kString, value, line});
            }
            continue;
        }
        if (IdentChar(c)) {
            size_t j = i;
            while (j < s.size() && IdentChar(s[j])) ++j;
            bool number = std::isdigit(static_cast<unsigned char>(c));
            out.push_back({number ? Token::kOther : Token::kIdent, s.substr(i, j - i), line});
            i = j;
            continue;
        }
        if (s.compare(i, 2, "::") == 0 || s.compare(i, 2, "->") == 0) {
            out.push_back({Token::kPunct, s.substr(i, 2), line});
            i += 2;
            continue;
        }
        out.push_back({Token::kPunct, std::string(1, c), line});
        ++i;
    }
    return out;
}

using Range = std::pair<size_t, size_t>;  // [first, last) token indices

// A lookup function's argument positions.
struct Lookup {
    const char* name;
    size_t section, key, polish;
};
constexpr Lookup kLookups[] = {{"Tr", 1, 2, 3}, {"TrFormat", 1, 2, 3}, {"GetString", 1, 2, 4}};

const Lookup* FindLookup(const std::string& name) {
    for (const Lookup& l : kLookups)
        if (name == l.name) return &l;
    return nullptr;
}

class FileScan {
  public:
    FileScan(const std::string& file, const std::string& text, ScanResult& out)
        : file_(file), t_(Tokenize(text)), out_(out) {}

    void Run() {
        Constants();
        for (size_t i = 0; i + 1 < t_.size(); ++i) {
            const Lookup* lookup = t_[i].kind == Token::kIdent ? FindLookup(t_[i].text) : nullptr;
            if (!lookup || !IsCall(i)) continue;
            std::optional<Function> f = Enclosing(i);
            if (f && FindLookup(f->name)) continue;  // a lookup that wraps another
            LookupCall(i, *lookup, f);
        }
    }

  private:
    struct Function {
        std::string name;
        size_t nameAt = 0;
        std::vector<std::string> params;
    };
    // An argument: its tokens, and what the parameters of its function stand for.
    struct Arg {
        Range range;
        const std::map<std::string, Range>* bound;
    };

    bool Is(size_t i, const char* text) const { return i < t_.size() && t_[i].text == text; }
    bool IsPunct(size_t i, const char* text) const {
        return i < t_.size() && t_[i].kind == Token::kPunct && t_[i].text == text;
    }

    size_t Match(size_t open) const {  // the bracket that closes t_[open]
        const std::string o = t_[open].text;
        const std::string c = o == "(" ? ")" : o == "[" ? "]" : "}";
        int depth = 0;
        for (size_t i = open; i < t_.size(); ++i) {
            if (t_[i].kind != Token::kPunct) continue;
            if (t_[i].text == o) ++depth;
            if (t_[i].text == c && --depth == 0) return i;
        }
        return t_.size();
    }
    size_t MatchBack(size_t close) const {
        const std::string c = t_[close].text;
        const std::string o = c == ")" ? "(" : c == "]" ? "[" : "{";
        int depth = 0;
        for (size_t i = close + 1; i-- > 0;) {
            if (t_[i].kind != Token::kPunct) continue;
            if (t_[i].text == c) ++depth;
            if (t_[i].text == o && --depth == 0) return i;
        }
        return 0;
    }

    // name( ... ) used as a call: not a declaration (a type before the name)
    // and not a definition (a body after the parameters).
    bool IsCall(size_t i) const {
        if (!IsPunct(i + 1, "(")) return false;
        if (i > 0 && t_[i - 1].kind == Token::kIdent) {
            static const std::set<std::string> kBefore = {"return", "throw", "case", "else"};
            if (!kBefore.count(t_[i - 1].text)) return false;
        }
        size_t j = Match(i + 1) + 1;
        while (Is(j, "const") || Is(j, "noexcept") || Is(j, "override")) ++j;
        return !IsPunct(j, "{");
    }

    // The arguments (or, with `angles`, the parameters: template brackets
    // nest) between t_[open] and its bracket.
    std::vector<Range> Args(size_t open, bool angles = false) const {
        std::vector<Range> args;
        size_t close = Match(open), start = open + 1;
        int depth = 0;
        for (size_t i = open + 1; i < close; ++i) {
            const std::string& x = t_[i].text;
            if (t_[i].kind != Token::kPunct) continue;
            if (x == "(" || x == "[" || x == "{" || (angles && x == "<")) ++depth;
            if (x == ")" || x == "]" || x == "}" || (angles && x == ">")) --depth;
            if (x == "," && depth == 0) {
                args.push_back({start, i});
                start = i + 1;
            }
        }
        if (close > open + 1) args.push_back({start, close});
        return args;
    }

    // The innermost function or named lambda whose body holds token i.
    std::optional<Function> Enclosing(size_t i) const {
        static const std::set<std::string> kBlocks = {"if", "for", "while", "switch", "catch"};
        int depth = 0;
        for (size_t b = i; b-- > 0;) {
            if (t_[b].kind != Token::kPunct) continue;
            if (t_[b].text == "}") ++depth;
            if (t_[b].text != "{") continue;
            if (depth > 0) {
                --depth;
                continue;
            }
            size_t j = b;
            while (j > 0 && (Is(j - 1, "const") || Is(j - 1, "noexcept") || Is(j - 1, "mutable")))
                --j;
            if (j == 0 || !IsPunct(j - 1, ")")) continue;
            size_t open = MatchBack(j - 1);
            if (open == 0) continue;
            Function f;
            if (t_[open - 1].kind == Token::kIdent && !kBlocks.count(t_[open - 1].text)) {
                f.name = t_[open - 1].text;
                f.nameAt = open - 1;
            } else if (IsPunct(open - 1, "]")) {  // name = [captures](params) {
                size_t q = MatchBack(open - 1);
                if (q < 2 || !IsPunct(q - 1, "=") || t_[q - 2].kind != Token::kIdent) continue;
                f.name = t_[q - 2].text;
                f.nameAt = q - 2;
            } else {
                continue;
            }
            for (Range r : Args(open, true)) {
                size_t end = r.second;
                for (size_t k = r.first; k < r.second; ++k)
                    if (IsPunct(k, "=")) end = std::min(end, k);
                for (size_t k = end; k-- > r.first;)
                    if (t_[k].kind == Token::kIdent) {
                        f.params.push_back(t_[k].text);
                        break;
                    }
            }
            return f;
        }
        return std::nullopt;
    }

    // name = "text"; and name[] = {"a", "b", ...};
    void Constants() {
        for (size_t i = 0; i + 3 < t_.size(); ++i) {
            if (t_[i].kind != Token::kIdent) continue;
            if (IsPunct(i + 1, "=") && t_[i + 2].kind == Token::kString && IsPunct(i + 3, ";"))
                texts_[t_[i].text] = t_[i + 2].text;
            if (!IsPunct(i + 1, "[")) continue;
            size_t j = Match(i + 1) + 1;
            if (!IsPunct(j, "=") || !IsPunct(j + 1, "{")) continue;
            std::vector<std::string> items;
            size_t close = Match(j + 1);
            bool plain = true;
            for (size_t k = j + 2; k < close; ++k) {
                if (t_[k].kind == Token::kString)
                    items.push_back(t_[k].text);
                else if (!IsPunct(k, ","))
                    plain = false;
            }
            if (plain) arrays_[t_[i].text] = items;
        }
    }

    // The text or texts an argument stands for; nullopt when it cannot be
    // followed. An element of a constant array stands for all of them.
    std::optional<std::vector<std::string>> Value(Arg a) const {
        auto [first, last] = a.range;
        if (first < last &&
            std::all_of(t_.begin() + static_cast<long>(first), t_.begin() + static_cast<long>(last),
                        [](const Token& t) { return t.kind == Token::kString; }))
            return std::vector<std::string>{t_[first].text};
        if (last == first + 1 && t_[first].kind == Token::kIdent) {
            const std::string& name = t_[first].text;
            if (a.bound) {
                auto b = a.bound->find(name);
                if (b != a.bound->end()) return Value({b->second, nullptr});
            }
            auto c = texts_.find(name);
            if (c != texts_.end()) return std::vector<std::string>{c->second};
        }
        if (last > first + 1 && t_[first].kind == Token::kIdent && IsPunct(first + 1, "[") &&
            Match(first + 1) + 1 == last) {
            auto c = arrays_.find(t_[first].text);
            if (c != arrays_.end()) {
                return c->second;
            }
        }
        return std::nullopt;
    }

    // Whether the section, key or default is a parameter of f.
    bool UsesParameter(const std::vector<Range>& args, const Lookup& lookup,
                       const Function& f) const {
        for (size_t a : {lookup.section, lookup.key, lookup.polish})
            for (size_t k = args[a].first; k < args[a].second; ++k)
                if (t_[k].kind == Token::kIdent &&
                    std::find(f.params.begin(), f.params.end(), t_[k].text) != f.params.end())
                    return true;
        return false;
    }

    void Error(size_t at, const std::string& what) {
        out_.errors.push_back(file_ + ":" + std::to_string(t_[at].line) + ": " + what);
    }

    void LookupCall(size_t at, const Lookup& lookup, const std::optional<Function>& f) {
        std::vector<Range> args = Args(at + 1);
        if (args.size() <= lookup.polish) {
            Error(at, "a text lookup with too few arguments");
            return;
        }
        if (!f || !UsesParameter(args, lookup, *f)) {
            Emit(at, lookup, args, nullptr);
            return;
        }
        // The texts come from the callers of the helper around this lookup.
        int calls = 0;
        for (size_t i = 0; i + 1 < t_.size(); ++i) {
            if (i == f->nameAt || t_[i].text != f->name || !IsCall(i)) continue;
            std::vector<Range> given = Args(i + 1);
            std::map<std::string, Range> bound;
            for (size_t p = 0; p < f->params.size() && p < given.size(); ++p)
                bound[f->params[p]] = given[p];
            Emit(i, lookup, args, &bound);
            ++calls;
        }
        if (calls == 0)
            Error(at, "the text comes from a parameter of " + f->name + ", never called");
    }

    void Emit(size_t at, const Lookup& lookup, const std::vector<Range>& args,
              const std::map<std::string, Range>* bound) {
        auto section = Value({args[lookup.section], bound});
        auto key = Value({args[lookup.key], bound});
        auto polish = Value({args[lookup.polish], bound});
        if (!section || !key || !polish || section->size() != 1) {
            Error(at, "a text lookup whose section, key or default cannot be followed");
            return;
        }
        if (key->size() != polish->size()) {
            Error(at, "a key table and a text table of different lengths");
            return;
        }
        for (size_t n = 0; n < key->size(); ++n)
            out_.keys.push_back({section->front(), (*key)[n], (*polish)[n], file_});
    }

    std::string file_;
    std::vector<Token> t_;
    ScanResult& out_;
    std::map<std::string, std::string> texts_;
    std::map<std::string, std::vector<std::string>> arrays_;
};

}  // namespace

void ScanSource(const std::string& file, const std::string& text, ScanResult& out) {
    FileScan(file, text, out).Run();
}

void MergeKeys(ScanResult& result) {
    std::map<std::pair<std::string, std::string>, TextKey> merged;
    for (const TextKey& k : result.keys) {
        auto [it, added] = merged.try_emplace({k.section, k.key}, k);
        if (!added && it->second.polish != k.polish)
            result.errors.push_back(k.file + ": " + k.section + "/" + k.key +
                                    " is looked up with two different default texts");
    }
    result.keys.clear();
    for (auto& [id, k] : merged) result.keys.push_back(k);
}

}  // namespace krv::docgen
