#include "codepage.h"

#include <map>

#include "os.h"
#include "support/cp1250.h"
#include "support/strutil.h"

namespace krv::tools {
namespace {

struct PageInfo {
    const char* name;
    const char* aliases[3];
    const char* iconv_name;
    unsigned windows_page;
};

constexpr PageInfo kPages[] = {
    {"windows-1250", {"cp1250", "1250", "win1250"}, "CP1250", 1250},
    {"cp852", {"852", "ibm852", "dos852"}, "CP852", 852},
    {"iso-8859-2", {"latin2", "28592", "iso8859-2"}, "ISO-8859-2", 28592},
    {"cp866", {"866", "ibm866", "dos866"}, "CP866", 866},
};

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

const char kReplacementUtf8[] = "\xEF\xBF\xBD";

}  // namespace

const char* CodePage::KnownNames() { return "windows-1250, cp852, iso-8859-2, cp866"; }

std::optional<CodePage> CodePage::Named(std::string_view name) {
    name = Trimmed(name);
    const PageInfo* info = nullptr;
    for (const PageInfo& p : kPages) {
        bool match = SameText(name, p.name);
        for (const char* alias : p.aliases) match = match || SameText(name, alias);
        if (match) info = &p;
    }
    if (!info) return std::nullopt;

    CodePage page;
    page.name_ = info->name;
    // Every page here is a superset of ASCII; only the upper half differs.
    std::map<std::string, unsigned char> byte_of;
    int defined = 0;
    for (int b = 0; b < 256; ++b) {
        auto byte = static_cast<unsigned char>(b);
        if (b < 0x80) {
            page.utf8_[byte] = std::string(1, static_cast<char>(b));
            continue;
        }
        std::optional<std::string> utf8 =
            CodePageByteToUtf8(info->iconv_name, info->windows_page, byte);
        if (!utf8) {
            page.utf8_[byte] = kReplacementUtf8;
            continue;
        }
        ++defined;
        page.utf8_[byte] = *utf8;
        byte_of.emplace(*utf8, byte);
    }
    if (defined == 0) return std::nullopt;  // the system does not know the page

    for (int b = 0; b < 256; ++b) {
        auto byte = static_cast<unsigned char>(b);
        if (b < 0x80) {
            page.from_cp1250_[byte] = static_cast<char>(b);
            continue;
        }
        std::string utf8 = Cp1250ToUtf8(std::string(1, static_cast<char>(b)));
        auto found = utf8 == kReplacementUtf8 ? byte_of.end() : byte_of.find(utf8);
        page.lacking_[byte] = found == byte_of.end();
        page.from_cp1250_[byte] = page.lacking_[byte] ? '?' : static_cast<char>(found->second);
    }
    return page;
}

std::string CodePage::FromCp1250(std::string_view cp1250, int* lacking) const {
    std::string out;
    out.reserve(cp1250.size());
    for (char c : cp1250) {
        auto byte = static_cast<unsigned char>(c);
        if (lacking_[byte] && lacking) ++*lacking;
        out += from_cp1250_[byte];
    }
    return out;
}

std::string CodePage::ToUtf8(std::string_view bytes) const {
    std::string out;
    for (char c : bytes) out += utf8_[static_cast<unsigned char>(c)];
    return out;
}

}  // namespace krv::tools
