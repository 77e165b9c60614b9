#include "goods_cases.h"

#include <cstdio>

#include "support/cp1250.h"

namespace krv::test::chain {
namespace {

// splitmix64: the same numbers everywhere (std distributions are not).
class Rng {
  public:
    // The seed is mixed first, so that neighbouring seeds give unrelated cases.
    explicit Rng(uint64_t seed) : s_(Mix(seed + 0x632BE59BD9B4E019ull)) {}
    uint64_t Next() { return Mix(s_ += 0x9E3779B97F4A7C15ull); }

  private:
    static uint64_t Mix(uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

  public:
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % uint64_t(hi - lo + 1)); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }
    template <class T>
    const T& Pick(const std::vector<T>& v) {
        return v[Next() % v.size()];
    }

  private:
    uint64_t s_;
};

const std::vector<std::string>& Words() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> w;
        for (const char* u :
             {"Szynka",    "wiejska",  "wędzona",   "Kiełbasa", "krakowska", "Ser",       "żółty",
              "Bułka",     "kajzerka", "Pączek",    "z",        "różą",      "Śledź",     "w",
              "śmietanie", "Twaróg",   "półtłusty", "Łosoś",    "Żurek",     "ĄĘŚĆŹŃÓŁŻ", "gęś",
              "źdźbło",    "miód",     "Filet",     "kurczaka", "100%",      "1,5",       "kg",
              "\"Extra\"", "a\\b",     "Skład:",    "mąka",     "sól",       "&",         "x&y"})
            w.push_back(krv::Utf8ToCp1250(u));
        return w;
    }();
    return words;
}

std::string Text(Rng& r, int maxLength) {
    std::string t;
    int target = r.Int(0, maxLength);
    while (static_cast<int>(t.size()) < target) {
        if (!t.empty()) t += r.Chance(10) ? "&" : " ";
        t += r.Pick(Words());
    }
    if (static_cast<int>(t.size()) > maxLength) t.resize(static_cast<size_t>(maxLength));
    return t;
}

std::string Digits(Rng& r, int n) {
    std::string d;
    for (int i = 0; i < n; ++i) d += static_cast<char>('0' + r.Int(0, 9));
    return d;
}

// Weighted-code templates the host may list; two share a prefix (the first wins).
const std::vector<std::string> kTemplates = {"28SSSSS?????K", "27GGSSSS????K", "29SSSSSK????K",
                                             "20SSSSSS????K", "24GSSSSS????K", "28SSSS??????K"};

// A full code as the host stores it: digits where the template has them, '?'
// in the variable part; the check digits either way.
std::string FullCode(Rng& r) {
    std::string code;
    const bool noNumber = r.Chance(5);  // goods digits all 0
    for (char c : r.Pick(kTemplates)) {
        if (c >= '0' && c <= '9')
            code += c;
        else if (c == '?')
            code += '?';
        else if (c == 'K')
            code += r.Chance(50) ? '?' : static_cast<char>('0' + r.Int(0, 9));
        else
            code += c == 'S' && noNumber ? '0' : static_cast<char>('0' + r.Int(0, 9));
    }
    if (r.Chance(8)) code = code.substr(0, 12);                  // too short
    if (r.Chance(5)) code += "0";                                // too long
    if (r.Chance(5)) code = std::string("21") + code.substr(2);  // no template
    return code;
}

std::string Code(Rng& r, const std::vector<std::string>& earlier, bool fullCodes) {
    int k = r.Int(1, 100);
    if (k <= 8 && !earlier.empty()) return r.Pick(earlier);  // duplicate
    if (k <= (fullCodes ? 70 : 20)) return FullCode(r);
    if (k <= 33) return "";
    if (k <= 35) return "12A";
    if (k <= 42) return Digits(r, r.Int(6, 13));  // longer than short codes go
    int len = r.Int(1, 5);
    std::string c = Digits(r, len);
    if (r.Chance(10)) c = "00" + c;
    return c;
}

std::string Price(Rng& r, bool small) {
    int k = r.Int(1, 100);
    if (k <= 5) return "0";
    if (k <= 8) return "1";
    if (k <= 12 && !small) return "99999999";
    if (k <= 14 && !small) return "99999998.5";
    if (k <= 15 && !small) return r.Pick(std::vector<std::string>{"99999999.5", "100000000", "-1"});
    if (k <= 22) return std::to_string(r.Int(0, 99999)) + "." + Digits(r, r.Int(1, 2));
    if (k <= 24) return std::to_string(r.Int(1, 999)) + "zł";
    return std::to_string(r.Int(1, small ? 999999 : 9999999));
}

std::string Bool(Rng& r, bool value) {
    static const char* kTrue[] = {"T", "t", "Tak"};
    static const char* kFalse[] = {"F", "f", "Fałsz"};
    return krv::Utf8ToCp1250(value ? kTrue[r.Int(0, 2)] : kFalse[r.Int(0, 2)]);
}

std::string GoodsLine(Rng& r, std::vector<std::string>& codes, std::vector<int>& plus, bool poison,
                      bool fullCodes) {
    static const char* kStatus[] = {"DOD", "AKT", "CEN", "USU"};
    int plu;
    int k = r.Int(1, 100);
    if (k <= 8 && !plus.empty())
        plu = r.Pick(plus);
    else if (k <= 11)
        plu = 0;
    else if (k <= 14)
        plu = 99999999;
    else if (k <= 15)
        plu = r.Chance(50) ? 123456789 : -5;
    else if (k <= 20)
        plu = r.Int(1, 99999999);
    else
        plu = r.Int(1, 300);
    plus.push_back(plu);
    std::string code = Code(r, codes, fullCodes);
    codes.push_back(code);
    const bool weighed = r.Chance(fullCodes ? 75 : 50);
    const int scaled =
        r.Chance(80) ? 1000 : r.Pick(std::vector<int>{0, 1, 250, 500, 999, 1500, 2000});
    const bool small = scaled > 1000;
    std::vector<std::string> f = {"PLU",
                                  std::to_string(plu),
                                  std::to_string(r.Chance(70) ? 0 : r.Int(1, 99999)),
                                  code,
                                  Text(r, r.Chance(20) ? 60 : 28),
                                  Price(r, small),
                                  Price(r, small),
                                  Price(r, small),
                                  Price(r, small),
                                  r.Pick(std::vector<std::string>{"23", "8", "5", "0", "-1"}),
                                  weighed ? "2" : "1",
                                  Bool(r, weighed),
                                  weighed ? (r.Chance(80) ? "3" : "2") : "0",
                                  Bool(r, r.Chance(30)),
                                  Bool(r, false),
                                  Bool(r, r.Chance(20)),
                                  r.Chance(80) ? "0" : "",
                                  r.Chance(80) ? "" : "5",
                                  std::to_string(r.Int(0, 20)),
                                  kStatus[r.Int(0, 3)]};
    if (poison) {
        if (r.Chance(50))
            f[19] = r.Chance(50) ? "akt" : "NIC";
        else
            f[11] = r.Chance(50) ? "X" : "";
    }
    // The optional tail, cut anywhere.
    std::vector<std::string> tail = {
        Text(r, r.Chance(30) ? 120 : 40),  // opis1
        Text(r, 40),                       // opis2
        "10.71.11.0",                      // PKWiU
        "",                                // SWW
        r.Chance(10) ? r.Pick(std::vector<std::string>{"14dni", "-3", ""})
                     : std::to_string(r.Chance(15) ? r.Int(999, 1500) : r.Int(0, 60)),
        r.Pick(std::vector<std::string>{"", "-1", "0", "1", "2", "3", "x"}),
        scaled == 1000 && r.Chance(10) ? "abc" : std::to_string(scaled),
        Text(r, 60),  // opis3
        Text(r, 60),  // opis4
        "0",
        std::to_string(r.Int(0, 2300)),  // stawka_prec
        Text(r, 60),                     // nazwa_pelna
        "1"};
    if (scaled != 1000) f.insert(f.end(), tail.begin(), tail.begin() + 7);
    size_t keep = static_cast<size_t>(r.Int(0, static_cast<int>(tail.size())));
    for (size_t i = f.size() - 20; i < keep; ++i) f.push_back(tail[i]);
    std::string line = r.Chance(5) ? " " : "";  // blanks around a line are dropped
    for (size_t i = 0; i < f.size(); ++i) line += (i ? ";" : "") + f[i];
    return line + (r.Chance(5) ? "  " : "");
}

std::string OtherLine(Rng& r) {
    switch (r.Int(0, 11)) {
        case 0: return "# " + Text(r, 30);
        case 1: return "[TOWARY]";
        case 2: return "";
        case 3: return "   ";
        case 4: return "VAT;" + r.Pick(std::vector<std::string>{"23", "8;850", "-1", "0"});
        case 5: return "JM;" + std::to_string(r.Int(1, 5)) + ";3;kg";
        case 6:
        case 7:
            return std::string(r.Chance(50) ? "KON" : "KONA") + ";" +
                   std::to_string(r.Int(1, 999)) + ";" + Text(r, 30) +
                   ";Skrót;Długa 5;00-950;Łódź;123;5260001234;" +
                   (r.Chance(30) ? std::string(";")  // no card, no expiry date
                                 : Digits(r, 13) + ";" +
                                       (r.Chance(50) ? "2027-12-31" : "2026-01-15 10:00:00")) +
                   ";" + Bool(r, r.Chance(50)) + ";5.5;2" + (r.Chance(50) ? ";100" : "");
        case 8: return "OPER;1;Kowalski;1;ID1;" + Digits(r, 8);
        case 9: return "WAL;EUR;Euro;43125;F;T";
        case 10: return r.Chance(50) ? "ASS;3;Nabiał" : "EURO;43125";
        default: return "XYZ;1;PLU;2";
    }
}

HeldGoods Held(Rng& r, int plu) {
    HeldGoods h;
    h.plu = plu;
    h.byPiece = r.Chance(50);
    h.price = r.Int(0, 99999999);
    h.labelFormat = r.Int(0, 99);
    h.barcodeFormat = r.Int(0, 99);
    h.barcode = Digits(r, 14);
    h.font = r.Int(0, 9);
    h.name = "HELD " + std::to_string(plu);
    return h;
}

}  // namespace

Case GenerateCase(uint32_t seed) {
    Rng r(seed);
    Case c;
    c.seed = seed;
    auto flag = [&](int percent) { return std::string(r.Chance(percent) ? "1" : "0"); };
    auto& p = c.params;
    p["DigiSM_Zlacze"] = r.Chance(5) ? "0" : "1";
    p["DigiSM_SkadPlu"] = flag(50);
    p["DigiSM_KodyKD"] = flag(50);
    int from = r.Chance(75) ? 1 : r.Int(1, 500);
    int to = r.Chance(70) ? 99999 : r.Int(1, 1000);
    p["DigiSM_KodPocz"] = std::to_string(from);
    p["DigiSM_KodKonc"] = std::to_string(to);
    p["DigiSM_PrzedrWagowy"] = std::to_string(r.Int(21, 99));
    static const std::vector<int> kComposable = {0, 2, 3, 4, 7, 8, 12, 13, 14, 16, 17, 20};
    p["DigiSM_FormatKodu"] = std::to_string(
        p["DigiSM_KodyKD"] == "1" && r.Chance(30) ? r.Int(0, 20) : r.Pick(kComposable));
    p["DigiSM_FormatEtyk"] = std::to_string(r.Int(0, 24));
    p["DigiSM_RozmiarCzcionki"] = std::to_string(r.Int(0, 9));
    p["DigiSM_RozmiarCzcionkiOpis"] = std::to_string(r.Int(0, 9));
    for (const char* name :
         {"DigiSM_DataSprzed", "DigiSM_DataWazn", "DigiSM_DataPakow", "DigiSM_GodzinaPakow",
          "DigiSM_EksportujOpisy", "DigiSM_DescriptionMode"})
        p[name] = flag(50);
    for (const char* name : {"DigiSMDesc1", "DigiSMDesc2", "DigiSMDesc3", "DigiSMDesc4"})
        p[name] = flag(60);
    p["PoziomCen"] = std::to_string(r.Int(0, 3));
    p["DigiSM_SubgroupOnly"] = flag(15);
    p["DigiSM_Subgroup"] = r.Chance(20) ? "" : std::to_string(r.Int(0, 12));
    p["DigiSM_HideDrv"] = "1";
    p["DigiSM_Timeout"] = "60";

    std::vector<std::string> pool = kTemplates;
    for (int n = r.Int(0, 4); n > 0; --n) c.formats.push_back(r.Pick(pool));

    c.codePage = r.Pick(std::vector<std::string>{"windows-1250", "cp852", "iso-8859-2"});
    if (!r.Chance(20)) c.specialMessage = r.Int(0, 255);
    if (!r.Chance(20)) c.ingredientNumber = r.Int(0, 255);

    c.poisoned = r.Chance(3);
    if (r.Chance(15)) c.lineEnd = "\n";
    const int goods = r.Chance(5) ? 0 : r.Int(1, 30);
    const int poisonAt = c.poisoned ? r.Int(0, goods) : -1;
    std::vector<std::string> codes;
    std::vector<int> plus;
    if (r.Chance(70)) c.lines.push_back(krv::Utf8ToCp1250("# Eksport towarów"));
    for (int i = 0; i <= goods; ++i) {
        while (r.Chance(25)) c.lines.push_back(OtherLine(r));
        if (i < goods || i == poisonAt)
            c.lines.push_back(GoodsLine(r, codes, plus, i == poisonAt, p["DigiSM_KodyKD"] == "1"));
    }

    // The scale's table: some of the numbers the goods may land on, some others.
    std::map<int, bool> taken;
    for (int n = r.Int(0, 12); n > 0; --n) {
        int plu;
        if (r.Chance(60) && !plus.empty())
            plu = r.Pick(plus);
        else if (r.Chance(50) && !codes.empty())
            plu = std::atoi(r.Pick(codes).c_str()) % 100000;
        else
            plu = r.Int(1, 99999999);
        if (plu < 0 || plu > 99999999) continue;
        if (!taken[plu]) c.held.push_back(Held(r, plu));
        taken[plu] = true;
    }
    return c;
}

std::string GoodsFile(const Case& c) {
    std::string out;
    for (const std::string& l : c.lines) out += l + c.lineEnd;
    return out;
}

}  // namespace krv::test::chain
