#include "goods_generator.h"

#include <fstream>
#include <random>
#include <stdexcept>

#include "support/cp1250.h"

namespace krv::bench {

namespace {

// std::mt19937 is specified to the bit; the distributions are not, so the
// generator draws its numbers itself.
class Draw {
  public:
    explicit Draw(uint32_t seed) : rng_(seed) {}
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
    template <size_t N>
    const char* Pick(const char* const (&items)[N]) {
        return items[Below(N)];
    }

  private:
    std::mt19937 rng_;
};

const char* const kNouns[] = {"Chleb",     "Bułka",   "Kiełbasa", "Szynka",    "Ser",    "Masło",
                              "Jabłka",    "Gruszki", "Śliwki",   "Pomidory",  "Ogórki", "Łosoś",
                              "Śledź",     "Pączek",  "Żurek",    "Mleko",     "Jogurt", "Kabanosy",
                              "Polędwica", "Boczek",  "Twaróg",   "Ziemniaki", "Cebula", "Marchew"};
const char* const kAdjectives[] = {
    "żytni",     "pszenny",    "wędzony", "świeży",   "śląski", "wiejski",  "extra",  "ekologiczny",
    "królewski", "tradycyjny", "łagodny", "pikantny", "domowy", "źródlany", "górski", "polski"};
const char* const kDescriptions[] = {"Produkt polski",
                                     "Przechowywać w chłodnym miejscu",
                                     "Zawiera gluten",
                                     "Bez konserwantów",
                                     "Wyrób regionalny",
                                     "Może zawierać orzechy",
                                     "Najlepiej spożyć przed końcem daty"};
const char* const kStatuses[] = {"DOD", "AKT", "CEN", "USU"};
struct Vat {
    int percent;
    int hundredths;
};
const Vat kVat[] = {{23, 2300}, {8, 800}, {5, 500}, {0, 0}, {-1, -1}};

// The EAN-13 check digit of twelve digits.
char CheckDigit(const std::string& twelve) {
    int sum = 0;
    for (size_t i = 0; i < 12; ++i) sum += (twelve[i] - '0') * (i % 2 ? 3 : 1);
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::string Digits(Draw& d, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + d.Below(10));
    return s;
}

std::string Price(Draw& d, uint32_t max) { return std::to_string(49 + d.Below(max)); }

}  // namespace

std::string GenerateGoodsFile(const GoodsFileOptions& o) {
    Draw d(o.seed);
    std::string out;
    out.reserve(static_cast<size_t>(o.goods) * 170 + 1024);
    auto line = [&out](const std::string& text) { out += Utf8ToCp1250(text) + "\r\n"; };

    line("# Eksport towarów – plik testowy wydajności");
    line("[STAWKI]");
    for (const Vat& v : kVat)
        line("VAT;" + std::to_string(v.percent) + ";" + std::to_string(v.hundredths));
    line("[JEDNOSTKI]");
    line("JM;1;0;szt.");
    line("JM;3;3;kg");
    line("JM;4;2;opak.");
    line("JM;5;1;l");
    line("EURO;43125");
    line("[TOWARY]");

    for (int i = 1; i <= o.goods; ++i) {
        const bool weighed = d.Chance(o.weighedPercent);
        std::string kod;
        if (weighed) {
            // Scale labels: a prefix, the goods number, '?' for the weight
            // and for the check digit that depends on it: 13 characters.
            if (d.Chance(70)) {
                kod.assign(1, '2');
                kod += std::to_string(d.Below(9) + 1);
                kod += Digits(d, 5);
                kod += "??????";
            } else {
                kod = std::to_string(i % 100000);  // short code
            }
        } else if (d.Chance(85)) {
            std::string twelve = "590" + Digits(d, 9);
            kod = twelve + CheckDigit(twelve);
        } else {
            kod = std::to_string(1000 + d.Below(90000));  // short in-house code
        }
        const Vat& vat = kVat[d.Below(5)];
        std::string name = std::string(d.Pick(kNouns)) + " " + d.Pick(kAdjectives);
        if (d.Chance(30)) {
            name += ' ';
            name += std::to_string(100 + d.Below(900));
            if (!weighed) name += " g";
        }
        const char* unit = weighed ? "3" : (d.Chance(80) ? "1" : (d.Chance(50) ? "4" : "5"));
        std::string f =
            "PLU;" + std::to_string(i) + ";" + std::to_string(d.Below(1000)) + ";" + kod + ";" +
            name + ";" + Price(d, 9000) + ";" + Price(d, 8000) + ";" +
            (d.Chance(20) ? Price(d, 8000) : "0") + ";" + (d.Chance(10) ? Price(d, 8000) : "0") +
            ";" + std::to_string(vat.percent) + ";" + unit + ";" + (weighed ? "T" : "F") + ";" +
            (weighed ? "3" : "0") + ";" + (weighed && d.Chance(20) ? "T" : "F") + ";F;" +
            (weighed ? "T" : "F") + ";0;;" + std::to_string(d.Below(40)) + ";" + d.Pick(kStatuses);
        // Most lines carry the optional fields, some in the short layout.
        uint32_t layout = d.Below(10);
        if (layout >= 3) {
            bool described = d.Chance(60);
            f += ';';
            if (described) f += d.Pick(kDescriptions);
            f += ';';
            if (described && d.Chance(50)) f += d.Pick(kDescriptions);
            f += ";;;";
            f += std::to_string(weighed ? 3 + d.Below(25) : 0);
            f += ';';
            f += d.Chance(10) ? std::to_string(1 + d.Below(3)) : std::string("-1");
            f += d.Chance(5) ? ";500" : ";1000";
        }
        if (layout >= 6) {
            f += ';';
            if (d.Chance(20)) f += d.Pick(kDescriptions);
            f += ";;0;";
            f += std::to_string(vat.hundredths);
            f += ';';
            f += name;
            f += " – opis pełny;";
            f += std::to_string(1 + d.Below(12));
        }
        line(f);
    }
    return out;
}

size_t WriteGoodsFile(const std::string& path, const GoodsFileOptions& options) {
    std::string text = GenerateGoodsFile(options);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path);
    return text.size();
}

}  // namespace krv::bench
