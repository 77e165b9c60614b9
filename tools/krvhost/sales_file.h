// The host's side of the sales import file that a register driver writes:
// a reader written from the file's layout alone (it shares no code with the
// library's writer) and the readable summary that `krvhost sales` prints.
//
// Lines end with CR LF or LF alone (receipt positions and payments, and the
// marker lines of other operations, end with LF). Text is Windows-1250 and
// kept so; amounts are whole numbers in the smallest currency unit.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace krv::host {

struct SalesGoods {
    std::string number;   // the host's goods number (first column) ...
    std::string barcode;  // ... or a barcode (second column)
    long long quantity = 0;
    long long value = 0;
};

struct SalesVat {
    long long taxno = 0, netto = 0, vat = 0, brutto = 0;
};

struct SalesHour {
    long long hour = 0, value = 0, baskets = 0, lines = 0;
};

struct SalesCurrency {
    std::string name;
    long long rate = 0, amount = 0;
};

struct SalesPosition {
    std::string number, barcode;
    long long quantity = 0, value = 0, further = 0, receipt = 0;
    std::string time;
};

struct SalesPayment {
    long long type = 0, amount = 0, multiplier = 0, n1 = 0, n2 = 0, n3 = 0;
    bool last = false, flag2 = false;
    std::string text, date;
    bool extended = false;
    long long extNumber = 0, ext1 = 0, ext2 = 0;
    std::string extText;
    // amount × multiplier / 100, truncated toward zero, as the totals count it.
    long double Counted() const;
};

struct SalesReceipt {
    int line = 0;                 // of its [Paragon nr N] line
    bool registerReport = false;  // KSK: no positions follow
    long long first = 0, number = 0, positionCount = 0, paymentCount = 0, discount = 0, last = 0;
    std::string opt1, opt2, text, opt3, date;
    std::vector<SalesPosition> positions;
    std::vector<SalesPayment> payments;
};

struct SalesOther {
    int line = 0;
    std::string kind;  // the prefix without its ";" (OP_WPL ...), empty for an unknown type
    std::string text1, text2, text3, date;
    long long positionCount = 0, paymentCount = 0, n1 = 0, n2 = 0;
    std::vector<SalesPosition> positions;
    std::vector<SalesPayment> payments;
};

struct SalesProblem {
    int line = 0;  // from 1
    std::string what;
};

struct SalesFile {
    std::vector<SalesGoods> goods;
    std::vector<std::pair<std::string, std::string>> parameters;
    std::vector<SalesHour> hours;
    std::vector<SalesCurrency> currencies;
    std::vector<SalesVat> vat;
    std::vector<std::pair<std::string, long long>> finance;  // WPLATY ... IL_LINII_PAR, in order
    std::vector<std::pair<std::string, std::string>> cashState;
    std::string saleDate;
    std::vector<std::pair<std::string, bool>> flags;
    std::vector<SalesReceipt> receipts;
    std::vector<SalesOther> others;
    // Malformed lines, counts that do not add up, repeats, an incomplete file.
    std::vector<SalesProblem> problems;

    std::optional<long long> Finance(std::string_view key) const;
};

// Reads the whole file's text; never throws, every fault is a problem.
SalesFile ParseSalesFile(std::string_view text);
// The readable summary, in UTF-8.
void PrintSalesSummary(const SalesFile& file, std::ostream& out);
// An amount in the smallest unit as złoty with two decimals ("-12.05").
std::string Zloty(long double grosze);

// `krvhost sales FILE`: the summary on `out`, each problem on `err`; exit 0,
// or 1 when the file has a problem (a malformed line, counts that do not add
// up, a repeated section or total, an incomplete file), 2 when it cannot be
// read.
int RunSales(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace krv::host
