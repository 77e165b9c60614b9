#include "support/ftp_listing.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "support/cp1250.h"
#include "support/exception.h"
#include "support/strutil.h"
#include "support/tdttools.h"

namespace krv {

namespace {

using Kind = FtpListingEntry::Kind;

// Windows-1250 lower case, Polish and other Central European letters included.
unsigned char LowerByte(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    switch (c) {
        case 0x8A:
        case 0x8C:
        case 0x8D:
        case 0x8E:
        case 0x8F: return static_cast<unsigned char>(c + 0x10);
        case 0xA3: return 0xB3;
        case 0xA5: return 0xB9;
        case 0xAA: return 0xBA;
        case 0xAF: return 0xBF;
        case 0xBC: return 0xBE;
        default: break;
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    return c;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
    return out;
}

template <typename T>
std::optional<T> Number(std::string_view s) {
    T value{};
    if (s.empty()) return std::nullopt;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

// A size of digits only; one too large for 64 bits is the largest there is
// (the entry stays listed).
std::optional<int64_t> SizeOf(std::string_view s) {
    if (s.empty() || s.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return Number<int64_t>(s).value_or(std::numeric_limits<int64_t>::max());
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::optional<double> DateTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 60)
        return std::nullopt;
    return TdtTools::EncodeDate(year, month, day) + TdtTools::EncodeTime(hour, minute, second, 0);
}

// Blank-separated words of a line with where each one ends.
struct Word {
    std::string_view text;
    size_t end;
};

std::vector<Word> Words(std::string_view line, size_t max) {
    std::vector<Word> words;
    size_t i = 0;
    while (words.size() < max) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        words.push_back({line.substr(start, i - start), i});
    }
    return words;
}

int MonthOf(std::string_view word) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (word.size() != 3) return 0;
    std::string lower = Lower(word);
    for (size_t m = 0; m < kMonths.size(); ++m)
        if (lower == kMonths[m]) return static_cast<int>(m) + 1;
    return 0;
}

// "22:15" or "22:15:07".
bool ParseClock(std::string_view s, int& hour, int& minute, int& second) {
    second = 0;
    size_t colon = s.find(':');
    if (colon == std::string_view::npos) return false;
    auto h = Number<int>(s.substr(0, colon));
    std::string_view rest = s.substr(colon + 1);
    size_t colon2 = rest.find(':');
    auto m = Number<int>(rest.substr(0, colon2));
    if (!h || !m || rest.substr(0, colon2).size() != 2) return false;
    if (colon2 != std::string_view::npos) {
        auto sec = Number<int>(rest.substr(colon2 + 1));
        if (!sec) return false;
        second = *sec;
    }
    hour = *h;
    minute = *m;
    return true;
}

bool IsModeText(std::string_view s) {
    if (s.size() < 10 || std::string_view("-dlbcpsD").find(s[0]) == std::string_view::npos)
        return false;
    for (char c : Lower(s.substr(1, 9)))
        if (std::string_view("rwxstl-").find(c) == std::string_view::npos) return false;
    return true;
}

bool IsDotEntry(std::string_view name) { return name == "." || name == ".."; }

std::optional<FtpListingEntry> ParseUnix(std::string_view line, const ListingDate& today) {
    // Mode, links, owner, [group,] size, month, day, time or year, name.
    std::vector<Word> w = Words(line, 9);
    if (w.size() < 6 || !IsModeText(w[0].text)) return std::nullopt;
    for (size_t k = 2; k + 2 < w.size(); ++k) {
        int month = MonthOf(w[k].text);
        auto size = SizeOf(w[k - 1].text);
        auto day = Number<int>(w[k + 1].text);
        if (!month || !size || !day) continue;
        std::string_view when = w[k + 2].text;
        int year = 0, hour = 0, minute = 0, second = 0;
        if (when.size() >= 4 && SizeOf(when)) {
            // A year beyond 9999 gives the zero time, like any impossible date.
            year = Number<int>(when).value_or(0);
        } else if (ParseClock(when, hour, minute, second)) {
            // No year: this year, unless that lies ahead (by more than a day
            // of time-zone slack): then last year.
            year = today.year;
            if (month > today.month || (month == today.month && *day > today.day + 1)) --year;
        } else {
            continue;
        }
        size_t nameStart = w[k + 2].end + 1;
        if (nameStart >= line.size()) return std::nullopt;
        FtpListingEntry e;
        e.name = std::string(line.substr(nameStart));
        switch (w[0].text[0]) {
            case '-': e.kind = Kind::kFile; break;
            case 'd':
            case 'D': e.kind = Kind::kDirectory; break;
            case 'l': e.kind = Kind::kLink; break;
            default: e.kind = Kind::kOther; break;
        }
        if (e.kind == Kind::kLink) {
            size_t arrow = e.name.find(" -> ");
            if (arrow != std::string::npos) e.name.erase(arrow);
        }
        if (e.name.empty() || IsDotEntry(e.name)) return std::nullopt;
        e.permissions = Lower(w[0].text);
        e.size = *size;
        e.modified = DateTime(year, month, *day, hour, minute, second).value_or(0.0);
        return e;
    }
    return std::nullopt;
}

std::optional<FtpListingEntry> ParseDos(std::string_view line) {
    // "12-08-26  10:15PM  <DIR>  name" or "12-08-2026  22:15  1234 name".
    std::vector<Word> w = Words(line, 4);
    if (w.size() < 4) return std::nullopt;
    std::string_view date = w[0].text;
    char sep = date.size() > 2 ? date[2] : 0;
    if (sep != '-' && sep != '/') return std::nullopt;
    size_t second = date.find(sep, 3);
    if (second == std::string_view::npos) return std::nullopt;
    auto month = Number<int>(date.substr(0, 2));
    auto day = Number<int>(date.substr(3, second - 3));
    std::string_view yearText = date.substr(second + 1);
    auto year = Number<int>(yearText);
    if (!month || !day || !year || (yearText.size() != 2 && yearText.size() != 4))
        return std::nullopt;
    if (yearText.size() == 2) *year += *year < 70 ? 2000 : 1900;

    std::string_view time = w[1].text;
    size_t next = 2;
    std::string ampm;
    if (time.size() > 2 && (Lower(time.substr(time.size() - 2)) == "am" ||
                            Lower(time.substr(time.size() - 2)) == "pm")) {
        ampm = Lower(time.substr(time.size() - 2));
        time.remove_suffix(2);
    } else if (Lower(w[2].text) == "am" || Lower(w[2].text) == "pm") {
        ampm = Lower(w[2].text);
        next = 3;
        w = Words(line, 5);
        if (w.size() < 5) return std::nullopt;
    }
    int hour = 0, minute = 0, sec = 0;
    if (!ParseClock(time, hour, minute, sec)) return std::nullopt;
    if (!ampm.empty()) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (ampm == "pm" ? 12 : 0);
    }

    FtpListingEntry e;
    std::string_view what = w[next].text;
    if (Lower(what) == "<dir>") {
        e.kind = Kind::kDirectory;
    } else {
        std::string digits;
        for (char c : what)
            if (c != ',' && c != '.') digits += c;
        auto size = SizeOf(digits);
        if (!size) return std::nullopt;
        e.size = *size;
    }
    size_t nameStart = w[next].end;
    while (nameStart < line.size() && (line[nameStart] == ' ' || line[nameStart] == '\t'))
        ++nameStart;
    e.name = std::string(line.substr(nameStart));
    if (e.name.empty() || IsDotEntry(e.name)) return std::nullopt;
    e.modified = DateTime(*year, *month, *day, hour, minute, sec).value_or(0.0);
    return e;
}

// "0644" with the entry's kind as "-rw-r--r--".
std::string ModeText(std::string_view octal, Kind kind) {
    if (octal.empty() || octal.size() > 6) return "";
    unsigned bits = 0;
    for (char c : octal) {
        if (c < '0' || c > '7') return "";
        bits = bits * 8 + static_cast<unsigned>(c - '0');
    }
    std::string text(1, kind == Kind::kDirectory ? 'd' : kind == Kind::kLink ? 'l' : '-');
    for (int shift = 6; shift >= 0; shift -= 3) {
        text += (bits >> (shift + 2)) & 1 ? 'r' : '-';
        text += (bits >> (shift + 1)) & 1 ? 'w' : '-';
        text += (bits >> shift) & 1 ? 'x' : '-';
    }
    return text;
}

}  // namespace

std::optional<FtpListingEntry> ParseMlsdLine(std::string_view line) {
    size_t space = line.find(' ');
    if (space == std::string_view::npos || space + 1 >= line.size()) return std::nullopt;
    std::string_view facts = line.substr(0, space);
    FtpListingEntry e;
    e.name = std::string(line.substr(space + 1));
    std::string type, mode, perm;
    bool any = false;
    while (!facts.empty()) {
        size_t semi = facts.find(';');
        std::string_view fact = facts.substr(0, semi);
        facts = semi == std::string_view::npos ? std::string_view() : facts.substr(semi + 1);
        size_t eq = fact.find('=');
        if (eq == std::string_view::npos) continue;
        any = true;
        std::string key = Lower(fact.substr(0, eq));
        std::string_view value = fact.substr(eq + 1);
        if (key == "type") {
            type = Lower(value);
        } else if (key == "size" || key == "sizd") {
            // A negative size is no size: read like any other unreadable one.
            e.size = std::max<int64_t>(Number<int64_t>(value).value_or(0), 0);
        } else if (key == "modify" && value.size() >= 14) {
            auto y = Number<int>(value.substr(0, 4)), mo = Number<int>(value.substr(4, 2)),
                 d = Number<int>(value.substr(6, 2)), h = Number<int>(value.substr(8, 2)),
                 mi = Number<int>(value.substr(10, 2)), s = Number<int>(value.substr(12, 2));
            if (y && mo && d && h && mi && s)
                e.modified = DateTime(*y, *mo, *d, *h, *mi, *s).value_or(0.0);
        } else if (key == "unix.mode") {
            mode = std::string(value);
        } else if (key == "perm") {
            perm = Lower(value);
        }
    }
    if (!any || type == "cdir" || type == "pdir" || IsDotEntry(e.name)) return std::nullopt;
    if (type == "dir") {
        e.kind = Kind::kDirectory;
    } else if (type == "file") {
        e.kind = Kind::kFile;
    } else if (type.rfind("os.unix=slink", 0) == 0 || type == "os.unix=symlink") {
        e.kind = Kind::kLink;
    } else {
        e.kind = Kind::kOther;
    }
    e.permissions = mode.empty() ? perm : ModeText(mode, e.kind);
    return e;
}

std::optional<FtpListingEntry> ParseListLine(std::string_view line, const ListingDate& today) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    if (line.empty()) return std::nullopt;
    if (line[0] >= '0' && line[0] <= '9') return ParseDos(line);
    return ParseUnix(line, today);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerByte(static_cast<unsigned char>(a[i])) !=
            LowerByte(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void TFTPListingItems::AddFile(const std::string& name, const std::string& attributes,
                               const std::string& sizeText, const std::string&) {
    AddFile(name, attributes, Number<int64_t>(Trim(sizeText)).value_or(0), 0.0);
}

void TFTPListingItems::AddFile(const std::string& name, const std::string& attributes, int64_t size,
                               double date) {
    items_.emplace_back(name, attributes, size, date);
}

const TFTPListingItem& TFTPListingItems::Get(int index) const {
    if (index < 0 || index >= Count())
        throw Exception("TFTPListingItems: rozmiar poza zakresem (" + std::to_string(index) +
                        " / " + std::to_string(Count()) + ")");
    return items_[static_cast<size_t>(index)];
}

}  // namespace krv
