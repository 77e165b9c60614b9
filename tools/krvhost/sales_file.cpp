#include "sales_file.h"

#include <cmath>
#include <map>

#include "text.h"

namespace krv::host {

namespace {

enum class Section {
    kNone,
    kGoods,
    kOperations,
    kHourly,
    kCurrencies,
    kFinance,
    kCashState,
    kFlags,
    kTail
};

const char* const kFinanceKeys[] = {"WPLATY",         "WYPLATY",           "RABATY",
                                    "ZWROT_OPAKOWAN", "SPRZEDAZ_OPAKOWAN", "FPLATN_BON",
                                    "FPLATN_CZEK",    "FPLATN_KARTA",      "FPLATN_INNE",
                                    "IL_KOSZYKOW",    "IL_LINII_PAR"};
const char* const kFlagKeys[] = {"FISK_Z_PLU",    "NADPISZ_FISK", "NADPISZ_OPAK",
                                 "PODSUMUJ_OPAK", "NADPISZ_PLU",  "DOKLEJ_PLU"};
const char* const kFlagKeysWithDate[] = {"DATA_SPRZEDAZY", "FISK_Z_PLU",    "NADPISZ_FISK",
                                         "NADPISZ_OPAK",   "PODSUMUJ_OPAK", "NADPISZ_PLU",
                                         "DOKLEJ_PLU"};
const char* const kOtherKinds[] = {"OP_WPL",  "OP_WYPL",   "OP_STORNO",
                                   "OP_ANUL", "OP_OTW_ZW", "OP_ZAMK_ZM"};

bool Int(const std::string& s, long long* out) { return ParseInt(s, out); }

// Integers of fields [from, from + n); false when any is not one.
bool Ints(const std::vector<std::string>& f, size_t from, std::initializer_list<long long*> outs) {
    for (long long* out : outs)
        if (from >= f.size() || !Int(f[from++], out)) return false;
    return true;
}

bool Flag01(const std::string& s, bool* out) {
    if (s != "0" && s != "1") return false;
    *out = s == "1";
    return true;
}

class Reader {
  public:
    SalesFile Read(std::string_view text);

  private:
    // `next` is the line after this one (empty at the end).
    void Line(const std::string& line, const std::string& next);
    bool SectionHead(const std::string& line);
    bool CashStateEnds(const std::string& line, const std::string& next) const;
    bool Goods(const std::vector<std::string>& f);
    bool Finance(const std::vector<std::string>& f);
    bool Flags(const std::vector<std::string>& f);
    bool ReceiptHeader(const std::vector<std::string>& f);
    bool OtherLine(const std::string& line);
    static bool Position(const std::vector<std::string>& f, SalesPosition* p);
    static bool Payment(const std::vector<std::string>& f, SalesPayment* p);
    void Problem(const std::string& what) { file_.problems.push_back({number_, what}); }
    // A key seen a second time in its section is reported with its first line.
    void Once(std::map<std::string, int>& seen, const std::string& key, const std::string& where);
    void CheckCounts();
    void CheckComplete();

    SalesFile file_;
    Section section_ = Section::kNone;
    int number_ = 0;
    // After [Paragon nr N] or [INNA_OPER]: the next line is its header.
    enum class Expect { kNothing, kReceiptHeader, kOtherLine } expect_ = Expect::kNothing;
    // Where positions and payments go: the last receipt or other operation
    // whose header line was read, nowhere, or the one whose header was
    // reported as broken (its lines are not reported again).
    enum class Owner { kNone, kReceipt, kOther, kBroken } owner_ = Owner::kNone;
    // Lines of the first sight of each section head and of each key of
    // [FINANSOWE] and [FLAGI].
    std::map<std::string, int> sections_, financeKeys_, flagKeys_;
    std::vector<SalesPosition>* Positions();
    std::vector<SalesPayment>* Payments();
};

std::vector<SalesPosition>* Reader::Positions() {
    if (owner_ == Owner::kReceipt) return &file_.receipts.back().positions;
    if (owner_ == Owner::kOther) return &file_.others.back().positions;
    return nullptr;
}

std::vector<SalesPayment>* Reader::Payments() {
    if (owner_ == Owner::kReceipt) return &file_.receipts.back().payments;
    if (owner_ == Owner::kOther) return &file_.others.back().payments;
    return nullptr;
}

SalesFile Reader::Read(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        ++number_;
        Line(lines[i], i + 1 < lines.size() ? lines[i + 1] : std::string());
    }
    number_ = number_ + 1;
    if (expect_ != Expect::kNothing)
        Problem("the file ends where a receipt or operation line was due");
    CheckComplete();
    CheckCounts();
    return std::move(file_);
}

void Reader::Once(std::map<std::string, int>& seen, const std::string& key,
                  const std::string& where) {
    auto [it, first] = seen.emplace(key, number_);
    if (!first)
        Problem(ToUtf8(key) + " appears again" + where + " (first at line " +
                std::to_string(it->second) + "): only one is expected");
}

// The writer always writes [FINANSOWE] and [FLAGI] with every key: a file
// without them was cut off (or never finished) and holds no whole day.
void Reader::CheckComplete() {
    if (number_ == 1) {
        Problem("the file is empty: it holds no sales (was it written completely?)");
        return;
    }
    const auto check = [&](const char* head, const std::map<std::string, int>& seen,
                           const auto& keys) {
        if (!sections_.count(head)) {
            Problem(std::string("the file is incomplete: it has no ") + head +
                    " section, which the writer always writes (cut off?)");
            return;
        }
        std::string missing;
        for (const char* key : keys)
            if (!seen.count(key)) missing += (missing.empty() ? "" : ", ") + std::string(key);
        if (!missing.empty())
            Problem(std::string("the file is incomplete: ") + head + " lacks " + missing);
    };
    check("[FINANSOWE]", financeKeys_, kFinanceKeys);
    check("[FLAGI]", flagKeys_, kFlagKeysWithDate);
}

bool Reader::SectionHead(const std::string& line) {
    static const std::pair<const char*, Section> kHeads[] = {
        {"[TOWAROWE]", Section::kGoods},
        {"[OPERACJE]", Section::kOperations},
        {"[RAPORT_GODZINOWY]", Section::kHourly},
        {"[RAPORT_WALUTOWY]", Section::kCurrencies},
        {"[FINANSOWE]", Section::kFinance},
        {"[STAN_KASY]", Section::kCashState},
        {"[FLAGI]", Section::kFlags}};
    for (const auto& [head, section] : kHeads) {
        if (line != head) continue;
        Once(sections_, head, "");
        section_ = section;
        owner_ = Owner::kNone;
        return true;
    }
    owner_ = Owner::kNone;
    long long n = 0;
    if (line.rfind("[Paragon nr ", 0) == 0 && line.back() == ']' &&
        Int(line.substr(12, line.size() - 13), &n)) {
        section_ = Section::kTail;
        file_.receipts.emplace_back();
        file_.receipts.back().line = number_;
        file_.receipts.back().number = n;
        expect_ = Expect::kReceiptHeader;
        return true;
    }
    if (line == "[INNA_OPER]") {
        section_ = Section::kTail;
        file_.others.emplace_back();
        file_.others.back().line = number_;
        expect_ = Expect::kOtherLine;
        return true;
    }
    return false;
}

// The cash-state text is whatever the driver gave, any line included; the
// section ends only at the writer's own [FLAGI], the one its sale date follows.
bool Reader::CashStateEnds(const std::string& line, const std::string& next) const {
    return line == "[FLAGI]" && next.rfind("DATA_SPRZEDAZY;", 0) == 0;
}

void Reader::Line(const std::string& line, const std::string& next) {
    if (expect_ == Expect::kReceiptHeader) {
        expect_ = Expect::kNothing;
        if (!ReceiptHeader(Split(line, ';'))) {
            Problem("not a receipt header (KSK;... or TRN;...)");
            file_.receipts.pop_back();
            owner_ = Owner::kBroken;
        }
        return;
    }
    if (expect_ == Expect::kOtherLine) {
        expect_ = Expect::kNothing;
        if (!OtherLine(line)) {
            Problem("not the line of an other operation");
            file_.others.pop_back();
            owner_ = Owner::kBroken;
        }
        return;
    }
    if (Trim(line).empty()) return;
    if (section_ == Section::kCashState && !CashStateEnds(line, next)) {
        const size_t semicolon = line.find(';');
        if (semicolon == std::string::npos)
            file_.cashState.emplace_back(line, "");
        else
            file_.cashState.emplace_back(line.substr(0, semicolon), line.substr(semicolon + 1));
        return;
    }
    if (line[0] == '[') {
        if (!SectionHead(line)) Problem("unknown section " + ToUtf8(line));
        return;
    }
    const std::vector<std::string> f = Split(line, ';');
    bool ok = false;
    switch (section_) {
        case Section::kNone: Problem("a line before the first section"); return;
        case Section::kGoods: ok = Goods(f); break;
        case Section::kOperations:
            ok = f.size() >= 3 && f[0] == "KASPAR";
            if (ok) {
                // The value is everything after the name, ";" included.
                file_.parameters.emplace_back(f[1], line.substr(f[0].size() + f[1].size() + 2));
            }
            break;
        case Section::kHourly: {
            SalesHour h;
            ok = f.size() == 5 && f[0] == "GODZ" &&
                 Ints(f, 1, {&h.hour, &h.value, &h.baskets, &h.lines}) && h.hour >= 0 &&
                 h.hour <= 23;
            if (ok) file_.hours.push_back(h);
            break;
        }
        case Section::kCurrencies: {
            SalesCurrency c;
            ok = f.size() == 4 && f[0] == "WALUTA" && Ints(f, 2, {&c.rate, &c.amount});
            if (ok) {
                c.name = f[1];
                file_.currencies.push_back(c);
            }
            break;
        }
        case Section::kFinance: ok = Finance(f); break;
        case Section::kCashState: return;  // taken above
        case Section::kFlags: ok = Flags(f); break;
        case Section::kTail:
            if ((f[0] == "ZAW" || f[0] == "PMT") && owner_ == Owner::kBroken) return;
            if (f[0] == "ZAW" && Positions()) {
                SalesPosition p;
                ok = Position(f, &p);
                if (ok) Positions()->push_back(p);
            } else if (f[0] == "PMT" && Payments()) {
                SalesPayment p;
                ok = Payment(f, &p);
                if (ok) Payments()->push_back(p);
            }
            break;
    }
    if (!ok) Problem("malformed line: " + ToUtf8(line.substr(0, 60)));
}

bool Reader::Goods(const std::vector<std::string>& f) {
    SalesGoods g;
    if (f.size() != 5 || f[0] != "PLU" || !Ints(f, 3, {&g.quantity, &g.value})) return false;
    if (f[1].empty() == f[2].empty()) return false;  // exactly one column holds the code
    g.number = f[1];
    g.barcode = f[2];
    file_.goods.push_back(g);
    return true;
}

bool Reader::Finance(const std::vector<std::string>& f) {
    if (f[0] == "VAT") {
        SalesVat v;
        if (f.size() != 5 || !Ints(f, 1, {&v.taxno, &v.netto, &v.vat, &v.brutto})) return false;
        file_.vat.push_back(v);
        return true;
    }
    long long value = 0;
    if (f.size() != 2 || !Int(f[1], &value)) return false;
    for (const char* key : kFinanceKeys) {
        if (f[0] != key) continue;
        Once(financeKeys_, key, " in [FINANSOWE]");
        file_.finance.emplace_back(key, value);
        return true;
    }
    return false;
}

bool Reader::Flags(const std::vector<std::string>& f) {
    if (f.size() != 2) return false;
    if (f[0] == "DATA_SPRZEDAZY") {
        Once(flagKeys_, f[0], " in [FLAGI]");
        file_.saleDate = f[1];
        return true;
    }
    for (const char* key : kFlagKeys) {
        if (f[0] != key) continue;
        if (f[1] != "T" && f[1] != "N") return false;
        Once(flagKeys_, key, " in [FLAGI]");
        file_.flags.emplace_back(key, f[1] == "T");
        return true;
    }
    return false;
}

bool Reader::ReceiptHeader(const std::vector<std::string>& f) {
    // KSK|TRN;first;number;positions;payments;opt1;opt2;text;opt3;date;discount;last
    // The free text may itself hold ";": the fields are counted from both ends.
    if (f.size() < 12 || (f[0] != "KSK" && f[0] != "TRN")) return false;
    SalesReceipt& r = file_.receipts.back();
    r.registerReport = f[0] == "KSK";
    long long number = 0;
    const size_t n = f.size();
    if (!Ints(f, 1, {&r.first, &number, &r.positionCount, &r.paymentCount}) ||
        !Ints(f, n - 2, {&r.discount, &r.last}))
        return false;
    if (number != r.number)
        Problem("the receipt header names receipt " + std::to_string(number) +
                ", its [Paragon nr " + std::to_string(r.number) +
                "] line another: the lines below are read as receipt " + std::to_string(r.number));
    r.opt1 = f[5];
    r.opt2 = f[6];
    r.text = f[7];
    for (size_t i = 8; i + 4 < n; ++i) r.text += ";" + f[i];
    r.opt3 = f[n - 4];
    r.date = f[n - 3];
    owner_ = Owner::kReceipt;
    return true;
}

bool Reader::OtherLine(const std::string& line) {
    // [PREFIX;]text1;text2;positions;payments;n1;n2;;0;date;;text3
    SalesOther& o = file_.others.back();
    std::string rest = line;
    for (const char* kind : kOtherKinds) {
        const std::string prefix = std::string(kind) + ";";
        if (line.rfind(prefix, 0) == 0) {
            o.kind = kind;
            rest = line.substr(prefix.size());
            break;
        }
    }
    const std::vector<std::string> f = Split(rest, ';');
    if (f.size() != 11 || !f[6].empty() || f[7] != "0" || !f[9].empty() ||
        !Ints(f, 2, {&o.positionCount, &o.paymentCount, &o.n1, &o.n2}))
        return false;
    o.text1 = f[0];
    o.text2 = f[1];
    o.date = f[8];
    o.text3 = f[10];
    owner_ = Owner::kOther;
    return true;
}

bool Reader::Position(const std::vector<std::string>& f, SalesPosition* p) {
    // ZAW;number;barcode;quantity;value;further;receipt;time
    if (f.size() != 8 || !Ints(f, 3, {&p->quantity, &p->value, &p->further, &p->receipt}))
        return false;
    long long number = 0;
    if (!f[1].empty() && !Int(f[1], &number)) return false;
    p->number = f[1];
    p->barcode = f[2];
    p->time = f[7];
    return true;
}

bool Reader::Payment(const std::vector<std::string>& f, SalesPayment* p) {
    // PMT;type;amount;multiplier;n1;n2;n3;last;flag2;text;date[;ext;text;e1;e2]
    if ((f.size() != 11 && f.size() != 15) ||
        !Ints(f, 1, {&p->type, &p->amount, &p->multiplier, &p->n1, &p->n2, &p->n3}) ||
        !Flag01(f[7], &p->last) || !Flag01(f[8], &p->flag2))
        return false;
    p->text = f[9];
    p->date = f[10];
    if (f.size() == 15) {
        p->extended = true;
        p->extText = f[12];
        if (!Int(f[11], &p->extNumber) || !Ints(f, 13, {&p->ext1, &p->ext2})) return false;
    }
    return true;
}

void Reader::CheckCounts() {
    for (const SalesReceipt& r : file_.receipts) {
        number_ = r.line;
        if (r.registerReport && !r.positions.empty())
            Problem("receipt " + std::to_string(r.number) +
                    " is a register report (KSK), which has no positions, yet " +
                    std::to_string(r.positions.size()) + " position lines follow");
        if (!r.registerReport && r.positionCount != static_cast<long long>(r.positions.size()))
            Problem("receipt " + std::to_string(r.number) + ": the header counts " +
                    std::to_string(r.positionCount) + " positions, " +
                    std::to_string(r.positions.size()) + " follow");
        if (r.paymentCount != static_cast<long long>(r.payments.size()))
            Problem("receipt " + std::to_string(r.number) + ": the header counts " +
                    std::to_string(r.paymentCount) + " payments, " +
                    std::to_string(r.payments.size()) + " follow");
    }
    for (const SalesOther& o : file_.others) {
        number_ = o.line;
        if (o.positionCount != static_cast<long long>(o.positions.size()) ||
            o.paymentCount != static_cast<long long>(o.payments.size()))
            Problem("other operation: the counts of its line do not match what follows");
    }
}

}  // namespace

long double SalesPayment::Counted() const {
    return std::truncl(static_cast<long double>(amount) * multiplier / 100);
}

std::optional<long long> SalesFile::Finance(std::string_view key) const {
    for (const auto& [k, v] : finance)
        if (k == key) return v;
    return std::nullopt;
}

SalesFile ParseSalesFile(std::string_view text) { return Reader().Read(text); }

}  // namespace krv::host
