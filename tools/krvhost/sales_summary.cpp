// The readable summary of a sales import file: what an integrator checks
// after a register driver ran.
#include <charconv>
#include <cmath>
#include <map>

#include "files.h"
#include "sales_file.h"
#include "text.h"

namespace krv::host {

namespace {

std::string Pad(const std::string& s, size_t width) {
    const size_t n = Utf8Length(s);
    return n >= width ? s : s + std::string(width - n, ' ');
}

std::string PadLeft(const std::string& s, size_t width) {
    const size_t n = Utf8Length(s);
    return n >= width ? s : std::string(width - n, ' ') + s;
}

std::string Money(long double grosze) { return Zloty(grosze) + " zł"; }

const char* PaymentName(long long type) {
    switch (type) {
        case 1: return "voucher";
        case 2: return "cheque";
        case 3: return "card";
        case 4: return "other means";
        default: return "not summed";
    }
}

// What each line of the financial section counts.
const char* FinanceName(const std::string& key) {
    static const std::pair<const char*, const char*> kNames[] = {
        {"WPLATY", "cash deposits"},
        {"WYPLATY", "withdrawals"},
        {"RABATY", "discounts"},
        {"ZWROT_OPAKOWAN", "bottles returned"},
        {"SPRZEDAZ_OPAKOWAN", "bottle deposits sold"},
        {"FPLATN_BON", "paid by vouchers"},
        {"FPLATN_CZEK", "paid by cheques"},
        {"FPLATN_KARTA", "paid by cards"},
        {"FPLATN_INNE", "paid by other means"},
        {"IL_KOSZYKOW", "baskets (receipts)"},
        {"IL_LINII_PAR", "receipt lines"}};
    for (const auto& [k, name] : kNames)
        if (key == k) return name;
    return "";
}

const char* OtherName(const std::string& kind) {
    if (kind == "OP_WPL") return "cash deposit";
    if (kind == "OP_WYPL") return "withdrawal";
    if (kind == "OP_STORNO") return "void";
    if (kind == "OP_ANUL") return "cancellation";
    if (kind == "OP_OTW_ZW") return "shift opening";
    if (kind == "OP_ZAMK_ZM") return "shift closing";
    return "unknown type";
}

// Cash-state lines whose value is an amount in the smallest unit.
bool CashAmount(const std::string& key) {
    static const char* const kAmounts[] = {
        "KAS_STANKASY",   "KAS_KARTY",    "KAS_BONY",      "KAS_CZEKI",
        "KAS_PRZELEWY",   "KAS_DODFPLAT", "KAS_INNEFPLAT", "KAS_WART_PAR_ANULOWANYCH",
        "KAS_WART_STORNO"};
    for (const char* k : kAmounts)
        if (key == k) return true;
    const bool currency = key.rfind("KAS_WAL", 0) == 0;
    return currency &&
           (key.size() > 5 && (key.rfind("_STAN") == key.size() - 5 ||
                               (key.size() > 7 && key.rfind("_BILANS") == key.size() - 7)));
}

void Positions(const std::vector<SalesPosition>& positions, std::ostream& out) {
    for (const SalesPosition& p : positions) {
        const std::string code = p.barcode.empty() ? "no. " + p.number : ToUtf8(p.barcode);
        out << "    " << Pad(code, 18) << " qty " << PadLeft(std::to_string(p.quantity), 8) << "  "
            << PadLeft(Money(p.value), 14) << "  " << p.time << "\n";
    }
}

void Payments(const std::vector<SalesPayment>& payments, std::ostream& out) {
    for (const SalesPayment& p : payments) {
        out << "    payment " << Pad(PaymentName(p.type), 12)
            << PadLeft(std::to_string(p.amount), 10) << " x " << p.multiplier
            << "/100 = " << Money(p.Counted());
        if (!p.text.empty()) out << "  \"" << ToUtf8(p.text) << "\"";
        if (p.last) out << "  (last)";
        out << "\n";
    }
}

}  // namespace

std::string Zloty(long double grosze) {
    const long double rounded = std::roundl(grosze);
    // Every 64-bit amount the file can hold is shown exactly.
    if (rounded >= -9223372036854775807.0L && rounded <= 9223372036854775807.0L) {
        const long long g = static_cast<long long>(rounded);
        const unsigned long long a =
            g < 0 ? 0ULL - static_cast<unsigned long long>(g) : static_cast<unsigned long long>(g);
        std::string text = g < 0 ? "-" : "";
        text += std::to_string(a / 100);
        text += '.';
        text += static_cast<char>('0' + a % 100 / 10);
        text += static_cast<char>('0' + a % 10);
        return text;
    }
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(rounded / 100),
                           std::chars_format::fixed, 2);
    return std::string(buf, r.ptr);
}

void PrintSalesSummary(const SalesFile& f, std::ostream& out) {
    out << "Sale date: " << (f.saleDate.empty() ? "(none)" : f.saleDate) << "\n";

    out << "\nGoods sold (" << f.goods.size() << " lines)\n";
    long double goodsTotal = 0;
    for (const SalesGoods& g : f.goods) {
        const bool byNumber = !g.number.empty();
        out << "  " << (byNumber ? "number  " : "barcode ")
            << Pad(ToUtf8(byNumber ? g.number : g.barcode), 16) << " qty "
            << PadLeft(std::to_string(g.quantity), 8) << "  " << PadLeft(Money(g.value), 14)
            << "\n";
        goodsTotal += g.value;
    }
    out << "  " << Pad("total", 29) << "  " << PadLeft(Money(goodsTotal), 20) << "\n";

    out << "\nOperation parameters\n";
    for (const auto& [name, value] : f.parameters)
        out << "  " << ToUtf8(name) << " = " << ToUtf8(value) << "\n";

    out << "\nHourly report\n";
    for (const SalesHour& h : f.hours) {
        out << "  " << (h.hour < 10 ? "0" : "") << h.hour << ":00"
            << "  " << PadLeft(Money(h.value), 14) << "  baskets " << h.baskets << "  lines "
            << h.lines << "\n";
    }

    out << "\nCurrency report\n";
    for (const SalesCurrency& c : f.currencies)
        out << "  " << Pad(ToUtf8(c.name), 8) << " rate " << c.rate << "  amount "
            << Money(c.amount) << "\n";

    out << "\nFinancial\n";
    for (const SalesVat& v : f.vat)
        out << "  VAT " << v.taxno << ": net " << Money(v.netto) << ", VAT " << Money(v.vat)
            << ", gross " << Money(v.brutto) << "\n";
    for (const auto& [key, value] : f.finance) {
        const bool count = key == "IL_KOSZYKOW" || key == "IL_LINII_PAR";
        out << "  " << Pad(key, 18) << " " << Pad(FinanceName(key), 21)
            << PadLeft(count ? std::to_string(value) : Money(value), 14) << "\n";
    }

    if (!f.cashState.empty()) {
        out << "\nCash state\n";
        for (const auto& [key, value] : f.cashState) {
            long long amount = 0;
            const bool money = CashAmount(key) && ParseInt(value, &amount);
            out << "  " << Pad(key, 26) << " " << (money ? Money(amount) : ToUtf8(value)) << "\n";
        }
    }

    out << "\nFlags\n";
    for (const auto& [key, value] : f.flags)
        out << "  " << Pad(key, 14) << " " << (value ? "yes" : "no") << "\n";

    out << "\nReceipts (" << f.receipts.size() << ")\n";
    for (const SalesReceipt& r : f.receipts) {
        out << "  receipt " << r.number << (r.registerReport ? " (register report)" : " (sale)")
            << "  " << r.date << "  " << r.positionCount << " positions, " << r.paymentCount
            << " payments";
        if (r.discount != 0) out << ", discount " << Money(r.discount);
        if (!r.text.empty()) out << "  \"" << ToUtf8(r.text) << "\"";
        out << "\n";
        Positions(r.positions, out);
        Payments(r.payments, out);
    }

    out << "\nOther operations (" << f.others.size() << ")\n";
    for (const SalesOther& o : f.others) {
        out << "  " << OtherName(o.kind) << "  " << o.date << "  \"" << ToUtf8(o.text1) << "\" \""
            << ToUtf8(o.text2) << "\"  numbers " << o.n1 << ", " << o.n2 << "\n";
        Positions(o.positions, out);
        Payments(o.payments, out);
    }

    out << "\nTotals\n";
    const bool fromGoods = [&] {
        for (const auto& [k, v] : f.flags)
            if (k == "FISK_Z_PLU") return v;
        return false;
    }();
    long double gross = 0;
    for (const SalesVat& v : f.vat) gross += v.brutto;
    out << "  sales by VAT rate"
        << (fromGoods ? " (none: the totals come from the goods lines)" : "") << "\n";
    for (const SalesVat& v : f.vat)
        out << "    VAT " << v.taxno << "  " << PadLeft(Money(v.brutto), 16) << "\n";
    out << "  sales total          " << Money(fromGoods ? goodsTotal : gross)
        << (fromGoods ? " (by goods lines)" : " (by VAT lines)") << "\n";
    out << "  payments by means\n";
    static const std::pair<const char*, const char*> kMeans[] = {{"FPLATN_BON", "vouchers"},
                                                                 {"FPLATN_CZEK", "cheques"},
                                                                 {"FPLATN_KARTA", "cards"},
                                                                 {"FPLATN_INNE", "other means"}};
    for (const auto& [key, name] : kMeans)
        out << "    " << Pad(name, 12) << PadLeft(Money(f.Finance(key).value_or(0)), 16) << "\n";
    std::map<long long, long double> byType;
    for (const SalesReceipt& r : f.receipts)
        for (const SalesPayment& p : r.payments) byType[p.type] += p.Counted();
    if (!byType.empty()) {
        out << "  payments on the receipts\n";
        for (const auto& [type, sum] : byType)
            out << "    " << Pad(PaymentName(type), 12) << PadLeft(Money(sum), 16) << "  (type "
                << type << ")\n";
    }
    size_t sales = 0;
    for (const SalesReceipt& r : f.receipts) sales += r.registerReport ? 0 : 1;
    out << "  receipts             " << f.Finance("IL_KOSZYKOW").value_or(0)
        << " counted by the register, " << f.receipts.size() << " in the file (" << sales
        << " sales, " << f.receipts.size() - sales << " register reports)\n";
}

int RunSales(const std::string& path, std::ostream& out, std::ostream& err) {
    const std::optional<std::string> read = tools::ReadWholeNativeFile(path);
    if (!read) {
        err << "krvhost: cannot read " << path << "\n";
        return 2;
    }
    const std::string& text = *read;
    const SalesFile f = ParseSalesFile(text);
    out << "Sales import file " << path << "\n";
    PrintSalesSummary(f, out);
    for (const SalesProblem& p : f.problems)
        err << "krvhost: " << path << ":" << p.line << ": " << p.what << "\n";
    if (!f.problems.empty()) {
        out << "\n"
            << f.problems.size() << (f.problems.size() == 1 ? " problem" : " problems")
            << " found (listed on standard error)\n";
        return 1;
    }
    return 0;
}

}  // namespace krv::host
