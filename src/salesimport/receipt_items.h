// The lines of a receipt as a register's journal gives them: a goods position
// ("ZAW") and a payment ("PMT"). An integer still at -1 from construction
// means that the register gave no value. Dates are the host's date values,
// written as YYYY-MM-DD hh:mm:ss. Both lines end with LF alone, as the host's
// importer has always read them.
#pragma once

#include <cstdint>
#include <string>

namespace krv {

class TMFile;

class KRVPosition {
  public:
    // Kinds that the sales totals treat apart.
    static constexpr int32_t kKindBottleSale = 1;    // a bottle deposit sold
    static constexpr int32_t kKindBottleReturn = 2;  // bottles returned

    int32_t nrTowaru = -1;    // the host's goods number; -1 when the barcode names it
    std::string kod;          // barcode
    int32_t ilosc = -1;       // quantity in the register's units
    int64_t wartosc = -1;     // value in the smallest currency unit
    int32_t dodatkowy = -1;   // carried to the file for the register's driver
    int32_t nrParagonu = -1;  // receipt number
    double czas = 0;          // time of the sale
    int32_t rodzaj = 0;       // kKindBottleSale, kKindBottleReturn, else goods

    // ZAW;number;barcode;quantity;value;further;receipt;time LF
    std::string ToString() const;
    void WriteTo(TMFile& file) const;
};

class KRVPayment {
  public:
    // Payment types that the sales totals sum.
    static constexpr int32_t kVoucher = 1;
    static constexpr int32_t kCheque = 2;
    static constexpr int32_t kCard = 3;
    static constexpr int32_t kOther = 4;

    int32_t typ = -1;
    int64_t kwota = -1;    // amount in the smallest unit of its currency
    int32_t mnoznik = 1;   // the totals count kwota * mnoznik / 100
    int32_t liczba1 = -1;  // three numbers carried to the file
    int32_t liczba2 = -1;
    int32_t liczba3 = -1;
    bool ostatnia = false;  // set by the receipt writer on the receipt's last payment
    bool flaga2 = false;    // carried to the file
    std::string tekst;
    double data = 0;
    int32_t rozszerzenie = -1;  // when not -1 the four extension fields are written
    std::string tekstRozszerzenia;
    int32_t rozszerzenie1 = 10000;
    int32_t rozszerzenie2 = 0;

    // What the totals count: kwota * mnoznik / 100, truncated toward zero.
    // Exact for every amount and multiplier; only a result beyond 64 bits
    // loses its last digits.
    double KwotaLiczona() const;

    // PMT;type;amount;multiplier;n1;n2;n3;last;flag2;text;date[;ext;text;e1;e2] LF
    std::string ToString() const;
    void WriteTo(TMFile& file) const;
};

// The host's date text of a date value (YYYY-MM-DD hh:mm:ss).
std::string SalesDateText(double value);
// The hour (0 to 23) of a date value.
int SalesHour(double value);

}  // namespace krv
