#include "chain_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "support/cp1250.h"

namespace krv::test::chain {
namespace {

struct BadFile : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

std::string RTrim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// Fields at ';': no empty last field after a trailing delimiter.
std::vector<std::string> Split(std::string rest) {
    std::vector<std::string> f;
    while (!rest.empty()) {
        size_t d = rest.find(';');
        if (d == std::string::npos) {
            f.push_back(rest);
            break;
        }
        f.push_back(rest.substr(0, d));
        rest.erase(0, d + 1);
    }
    return f;
}

// A whole number (optional sign, digits, within 32 bits), else nothing.
bool WholeNumber(const std::string& s, int* out) {
    size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    if (i == s.size() || s.size() - i > 10) return false;
    for (size_t j = i; j < s.size(); ++j)
        if (s[j] < '0' || s[j] > '9') return false;
    long long v = std::atoll(s.c_str());
    if (v > 2147483647LL || v < -2147483648LL) return false;
    *out = static_cast<int>(v);
    return true;
}
int Integer(const std::string& s) {
    int v;
    if (!WholeNumber(s, &v)) throw BadFile("not an integer: " + s);
    return v;
}
int IntegerOr(const std::string& s, int fallback) {
    int v;
    return WholeNumber(s, &v) ? v : fallback;
}
long double Decimal(const std::string& s) { return std::strtold(s.c_str(), nullptr); }
bool Bool(const std::string& s) {
    if (s.empty()) throw BadFile("empty flag");
    if (s[0] == 'T' || s[0] == 't') return true;
    if (s[0] == 'F' || s[0] == 'f') return false;
    throw BadFile("bad flag: " + s);
}

struct Goods {
    int plu = 0, koldod = 0;
    std::string kod, nazwa, opis[4];
    long double cena[4] = {0, 0, 0, 0};  // retail, wholesale, night, additional
    bool wazony = false, wagowoIlosciowy = false;
    int precyzja = 0, status = 4, terminW = 0;
};

Goods ParseGoods(const std::vector<std::string>& f) {
    auto at = [&](size_t i) { return i < f.size() ? f[i] : std::string(); };
    Goods g;
    g.plu = Integer(at(1));
    g.koldod = Integer(at(2));
    g.kod = at(3);
    g.nazwa = at(4);
    for (int i = 0; i < 4; ++i) g.cena[i] = Decimal(at(5 + static_cast<size_t>(i)));
    Integer(at(9));
    Integer(at(10));
    g.wazony = Bool(at(11));
    g.precyzja = Integer(at(12));
    g.wagowoIlosciowy = Bool(at(13));
    Bool(at(14));
    Bool(at(15));
    if (!at(17).empty()) Integer(at(17));
    Integer(at(18));
    static const char* kWords[] = {"DOD", "AKT", "CEN", "USU"};
    g.status = -1;
    for (int s = 0; s < 4; ++s)
        if (at(19) == kWords[s]) g.status = s;
    if (g.status < 0) throw BadFile("bad status: " + at(19));
    g.opis[0] = at(20);
    g.opis[1] = at(21);
    g.terminW = std::atoi(at(24).c_str());
    const int level = IntegerOr(at(25), -1);
    const int scaled = IntegerOr(f.size() > 26 ? at(26) : "1000", 1000);
    if (level == 1) g.cena[0] = g.cena[1];
    if (level == 2) g.cena[0] = g.cena[3];
    if (level == 3) g.cena[0] = g.cena[2];
    if (scaled != 1000)
        for (long double& p : g.cena) p = std::round(p * (scaled / 1000.0L));
    g.opis[2] = at(27);
    g.opis[3] = at(28);
    return g;
}

std::string Fit(std::string s, size_t n) {
    if (s.size() > n) return s.substr(0, n);
    return std::string(n - s.size(), '0') + s;
}

std::string Template(int formatKodu) {
    static const std::map<int, std::string> kTemplates = {
        {1, "xxSSSSSK????K"},  {3, "xxSSSSS0????K"},  {4, "xxSSSSSS????K"},  {5, "xxSSSSS?????K"},
        {8, "xxSSSSSSSSSSK"},  {9, "xxSSSS??????K"},  {13, "xxSSSSSK????K"}, {14, "xxSSSSSS????K"},
        {15, "xxSSSSK?????K"}, {17, "xxSSS???????K"}, {18, "xxSS????????K"}, {21, "xxSSSSSK????K"}};
    auto it = kTemplates.find(formatKodu);
    return it == kTemplates.end() ? "" : it->second;
}

int Param(const Case& c, const std::string& name) {
    auto it = c.params.find(name);
    return it == c.params.end() ? 0 : IntegerOr(Trim(it->second), 0);
}

// Which goods go to the scale, with their PLU number and 13-digit barcode.
bool Select(const Case& c, const Goods& g, int* plu, std::string* barcode) {
    const bool shortCodes = Param(c, "DigiSM_KodyKD") == 0;
    std::string group;
    if (shortCodes) {
        if (g.kod.size() > 10) return false;
        const int value = IntegerOr(g.kod, 0);
        if (value < Param(c, "DigiSM_KodPocz") || value > Param(c, "DigiSM_KodKonc")) return false;
        std::string digits = g.kod;
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
        const std::string tpl = Template(Param(c, "DigiSM_FormatKodu") + 1);
        const size_t xs = std::count(tpl.begin(), tpl.end(), 'x');
        const size_t ss = std::count(tpl.begin(), tpl.end(), 'S');
        const std::string prefix = Fit(Trim(c.params.at("DigiSM_PrzedrWagowy")), xs);
        digits = Fit(digits, ss);
        barcode->clear();
        for (size_t i = 0; i < tpl.size(); ++i) {
            if (tpl[i] == 'x' && (i == 0 || tpl[i - 1] != 'x'))
                *barcode += prefix;
            else if (tpl[i] == 'S' && (i == 0 || tpl[i - 1] != 'S'))
                *barcode += digits;
            else if (tpl[i] != 'x' && tpl[i] != 'S')
                *barcode += '0';
        }
    } else {
        if (!g.wazony) return false;
        *barcode = g.kod;
        std::replace(barcode->begin(), barcode->end(), '?', '0');
        if (barcode->size() != 13) return false;
    }
    // The weighted-code formats give the goods digits (for the PLU number)
    // and the group digits (for the subgroup filter, whenever it is on).
    const bool filter = Param(c, "DigiSM_SubgroupOnly") != 0 && !shortCodes;
    std::string digits;
    if (!shortCodes && (Param(c, "DigiSM_SkadPlu") != 0 || filter)) {
        const std::string* tpl = nullptr;
        for (const std::string& t : c.formats)
            if (t.compare(0, 2, g.kod, 0, 2) == 0) {
                tpl = &t;
                break;
            }
        if (!tpl) return false;
        for (size_t i = 2; i < 13; ++i) {
            if ((*tpl)[i] == 'S') digits += g.kod[i];
            if ((*tpl)[i] == 'G') group += g.kod[i];
        }
    }
    if (Param(c, "DigiSM_SkadPlu") == 0)
        *plu = g.plu;
    else
        *plu = IntegerOr(shortCodes ? g.kod : digits, 0);
    if (filter) {
        int value;
        if (group.empty() || !WholeNumber(group, &value) || value != Param(c, "DigiSM_Subgroup"))
            return false;
    }
    return true;
}

std::string Padded(const std::string& s, size_t n) {  // left, cut
    return s.size() >= n ? s.substr(0, n) : s + std::string(n - s.size(), ' ');
}

std::string Record(const Case& c, const Goods& g, int plu, const std::string& barcode,
                   const std::string& price) {
    const std::string font = std::to_string(Param(c, "DigiSM_RozmiarCzcionki"));
    const std::string descFont = std::to_string(Param(c, "DigiSM_RozmiarCzcionkiOpis"));
    std::string nameLines[3], ingredients[15];
    if (Param(c, "DigiSM_DescriptionMode") == 0) {
        if (Param(c, "DigiSM_EksportujOpisy") != 0)
            for (int i = 0; i < 3; ++i)
                if (!g.opis[i].empty()) nameLines[i] = descFont + Padded(g.opis[i], 29);
    } else {
        std::string text;
        for (int i = 0; i < 4; ++i)
            if (Param(c, "DigiSMDesc" + std::to_string(i + 1)) != 0) text += g.opis[i];
        for (int n = 0; n < 15 && !(n == 0 && text.empty()); ++n) {
            std::string line;
            bool last = false;
            size_t amp = text.find('&');
            if (amp != std::string::npos && amp <= 49) {
                line = text.substr(0, amp);
                text.erase(0, amp + 1);
            } else if (amp == std::string::npos && text.size() < 50) {
                line = text;
                last = true;
            } else {
                line = text.substr(0, 49);
                text.erase(0, 49);
            }
            ingredients[n] = descFont + Padded(line, 49);
            if (last) break;
        }
    }
    const bool piece = g.precyzja == 0;
    const int days = std::clamp(g.terminW, 0, 999);  // no shelf life below 0 days
    const bool sell = Param(c, "DigiSM_DataSprzed") != 0;
    const bool useBy = Param(c, "DigiSM_DataWazn") != 0 && days != 0;
    char buf[64];
    std::string r;
    r += g.status == 3 ? "1" : "0";
    std::snprintf(buf, sizeof buf, "%08d", plu);
    r += buf;
    r += font + Padded(g.nazwa, 29);
    for (const std::string& l : nameLines) r += Padded(l, 30);
    r += price;
    r += piece ? "1" : "0";
    std::snprintf(buf, sizeof buf, "%02d%02d", Param(c, "DigiSM_FormatEtyk"),
                  Param(c, "DigiSM_FormatKodu") + 1);
    r += buf;
    r += barcode + (piece ? "0" : g.wagowoIlosciowy ? "1" : "0");
    r += "0001";
    std::snprintf(buf, sizeof buf, "%d%03d0000%d%03d%d000", sell ? 1 : 0, sell ? days : 0,
                  useBy ? 1 : 0, useBy ? days : 0, Param(c, "DigiSM_DataPakow") != 0 ? 1 : 0);
    r += buf;
    r += Param(c, "DigiSM_GodzinaPakow") != 0 ? "1000" : "0000";
    r += "0000";
    r += piece ? "1" : "3";
    for (const std::string& l : ingredients) r += Padded(l, 50);
    r += "000 " + std::string(61, '0');
    return r;
}

// The record, when the code, the PLU number and the price fit their fields:
// a short code's significant digits in the template's goods digits, the PLU
// in 8 digits, the price (rounded half away from zero) in 8 digits; a delete
// needs no price.
bool FitRecord(const Case& c, const Goods& g, int plu, const std::string& barcode,
               std::string* record) {
    if (Param(c, "DigiSM_KodyKD") == 0) {
        const std::string tpl = Template(Param(c, "DigiSM_FormatKodu") + 1);
        const size_t first = g.kod.find_first_not_of('0');
        const size_t significant = first == std::string::npos ? 0 : g.kod.size() - first;
        if (significant > static_cast<size_t>(std::count(tpl.begin(), tpl.end(), 'S')))
            return false;
    }
    if (plu < 0 || plu > 99999999) return false;
    const int level = Param(c, "PoziomCen");
    // + 0 turns a price that rounds to -0 into 0.
    const long double whole = std::round(g.cena[level >= 1 && level <= 3 ? level : 0]) + 0.0L;
    char price[32] = "00000000";
    if (whole >= 0 && whole <= 99999999)
        std::snprintf(price, sizeof price, "%08.0Lf", whole);
    else if (g.status != 3)
        return false;
    *record = Record(c, g, plu, barcode, price);
    return true;
}

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (char ch : utf8) {
        if (ch == '"' || ch == '\\') out += '\\';
        out += ch;
    }
    return out + "\"";
}

struct Line {
    int font;
    std::string text;  // Windows-1250
};

std::string JsonLines(const std::vector<Line>& lines) {
    std::string out = "[";
    for (const Line& l : lines)
        out += (out.size() > 1 ? "," : "") + std::string("{\"font\":") + std::to_string(l.font) +
               ",\"text\":" + JsonString(krv::Cp1250ToUtf8(l.text)) + "}";
    return out + "]";
}

std::string Optional(const std::optional<int>& v) { return v ? std::to_string(*v) : "null"; }
const char* Flag(bool b) { return b ? "true" : "false"; }

// What a DIGI scale holds for a PLU record: its fields, by their positions.
std::string DigiEntry(const std::optional<int>& special, const std::optional<int>& ingredient,
                      const std::string& r) {
    auto num = [&](size_t pos, size_t n) { return std::atoi(r.substr(pos, n).c_str()); };
    std::vector<Line> name, block;
    // A line of spaces is no line; a font digit before blanks is an empty
    // line the host asked for (a forced break). The name has its font apart.
    auto add = [&](std::vector<Line>& to, size_t font, size_t text, size_t width) {
        if (!RTrim(r.substr(font == 9 ? text : font, width + (font == 9 ? 0 : 1))).empty())
            to.push_back({r[font] - '0', RTrim(r.substr(text, width))});
    };
    add(name, 9, 10, 29);
    for (size_t i = 0; i < 3; ++i) add(name, 39 + 30 * i, 40 + 30 * i, 29);
    for (size_t i = 0; i < 15; ++i) add(block, 185 + 50 * i, 186 + 50 * i, 49);
    const bool sell = r[160] == '1', useBy = r[168] == '1';
    return "{\"plu\":" + std::to_string(num(1, 8)) + ",\"by_piece\":" + Flag(r[137] == '1') +
           ",\"print_sell_date\":" + Flag(sell) + ",\"print_use_by_date\":" + Flag(useBy) +
           ",\"print_packed_date\":" + Flag(r[172] == '1') +
           ",\"print_packed_time\":" + Flag(r.substr(176, 4) == "1000") +
           ",\"price\":" + std::to_string(num(129, 8)) +
           ",\"label_format\":" + std::to_string(num(138, 2)) +
           ",\"barcode_format\":" + std::to_string(num(140, 2)) + ",\"barcode\":\"" +
           r.substr(142, 14) +
           "\",\"sell_by_days\":" + (sell ? std::to_string(num(161, 3)) : "null") +
           ",\"use_by_days\":" + (useBy ? std::to_string(num(169, 3)) : "null") +
           ",\"special_message\":" + Optional(special) +
           ",\"ingredient_number\":" + Optional(ingredient) + ",\"name\":" + JsonLines(name) +
           ",\"text_block\":" + JsonLines(block) + "}";
}

std::string HeldRecord(const HeldGoods& h) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "0%08d%d%-29s%90s%08d%d%02d%02d%s0001000000000000000000000000%s",
                  h.plu, h.font, h.name.c_str(), "", h.price, h.byPiece ? 1 : 0, h.labelFormat,
                  h.barcodeFormat, h.barcode.c_str(), h.byPiece ? "1" : "3");
    return buf + std::string(750, ' ') + "000 " + std::string(61, '0');
}

std::string Bcd(long long v, int bytes) {
    std::string out;
    char buf[4];
    std::string digits = std::to_string(v);
    digits = std::string(static_cast<size_t>(bytes * 2) - digits.size(), '0') + digits;
    for (int i = 0; i < bytes; ++i) {
        std::snprintf(buf, sizeof buf, " %c%c", digits[2 * i], digits[2 * i + 1]);
        out += buf;
    }
    return out;
}

// A write frame of the DIGI PLU file (in the state file's hex): PLU, length,
// status bytes (sold by piece; label format, barcode format and data; name),
// price, formats, barcode, one name line, checksum.
std::string HeldFrame(const HeldGoods& h) {
    char buf[16];
    std::string body = Bcd(h.plu, 4);
    const int length = 4 + 2 + 2 + 3 + 4 + 1 + 1 + 7 + 2 + static_cast<int>(h.name.size()) + 1 + 1;
    std::snprintf(buf, sizeof buf, " %02X %02X", length >> 8, length & 0xFF);
    body += buf;
    body += h.byPiece ? " 01 00" : " 00 00";
    body += " 0D 20 00";
    body += Bcd(h.price, 4);
    std::snprintf(buf, sizeof buf, " %02X %02X", h.labelFormat, h.barcodeFormat);
    body += buf;
    body += Bcd(std::atoll(h.barcode.c_str()), 7);
    std::snprintf(buf, sizeof buf, " %02X %02X", h.font, static_cast<int>(h.name.size()));
    body += buf;
    for (unsigned char ch : h.name) {
        std::snprintf(buf, sizeof buf, " %02X", ch);
        body += buf;
    }
    return "F1 25" + body + " 0C 00";
}

}  // namespace

Expected Model(const Case& c) {
    Expected e;
    try {
        for (const std::string& raw : c.lines) {
            const std::string line = Trim(raw);
            if (line.empty() || line[0] == '#' || line[0] == '[') continue;
            const std::vector<std::string> f = Split(line);
            if (f[0] != "PLU") continue;
            const Goods g = ParseGoods(f);
            int plu;
            std::string barcode, record;
            // A goods item the scale takes but whose values do not fit the
            // record is left out and not confirmed to the host.
            const bool unfit =
                Select(c, g, &plu, &barcode) && !FitRecord(c, g, plu, barcode, &record);
            if (!record.empty()) e.records.push_back(record);
            if (g.plu != 0 && !unfit)
                e.result.push_back("PLU;" + std::to_string(g.plu) + ";" + std::to_string(g.koldod) +
                                   ";" + g.kod + ";" + f[19]);
        }
    } catch (const BadFile&) {
        return Expected{false, {}, {}};
    }
    return e;
}

Table HeldRecords(const Case& c) {
    Table t;
    for (const HeldGoods& h : c.held) t[h.plu] = HeldRecord(h);
    return t;
}

Table HeldDigi(const Case& c) {
    Table t;
    for (const HeldGoods& h : c.held) {
        // A frame made by hand carries neither number of sm_eth.cfg.
        t[h.plu] = DigiEntry(std::nullopt, std::nullopt, HeldRecord(h));
    }
    return t;
}

namespace {
bool Sends(const Case& c, const Expected& e) { return e.success && Param(c, "DigiSM_Zlacze") != 0; }
}  // namespace

Table AfterRecords(const Case& c, const Expected& e) {
    Table t = HeldRecords(c);
    if (!Sends(c, e)) return t;
    for (const std::string& r : e.records) {
        const int plu = std::atoi(r.substr(1, 8).c_str());
        if (r[0] == '1')
            t.erase(plu);
        else
            t[plu] = r;
    }
    return t;
}

Table AfterDigi(const Case& c, const Expected& e) {
    Table t = HeldDigi(c);
    if (!Sends(c, e)) return t;
    for (const std::string& r : e.records) {
        const int plu = std::atoi(r.substr(1, 8).c_str());
        if (r[0] == '1')
            t.erase(plu);
        else
            t[plu] = DigiEntry(c.specialMessage, c.ingredientNumber, r);
    }
    return t;
}

std::string RecordStateFile(const Case& c) {
    std::string out;
    char buf[16];
    for (const auto& [plu, record] : HeldRecords(c)) {
        std::snprintf(buf, sizeof buf, "%08d\t", plu);
        out += buf + record + "\n";
    }
    return out;
}

std::string DigiStateFile(const Case& c) {
    std::map<int, std::string> frames;
    for (const HeldGoods& h : c.held) frames[h.plu] = HeldFrame(h);
    std::string out;
    char buf[16];
    for (const auto& [plu, frame] : frames) {
        std::snprintf(buf, sizeof buf, "%08d\t", plu);
        out += buf + frame + "\n";
    }
    return out;
}

}  // namespace krv::test::chain
