#include "salesimport/receipt_items.h"

#include "support/mfile.h"
#include "support/strutil.h"
#include "support/tdttools.h"

namespace krv {

std::string SalesDateText(double value) { return TdtTools(value).ToString(TdtTools::kStorage); }

int SalesHour(double value) {
    int h, m, s, ms;
    TdtTools::DecodeTime(value, h, m, s, ms);
    return h;
}

std::string KRVPosition::ToString() const {
    std::string s = "ZAW;";
    if (nrTowaru != -1) s += IntToStr(nrTowaru);
    s += ';' + kod + ';' + IntToStr(ilosc) + ';' + IntToStr(wartosc) + ';' + IntToStr(dodatkowy) +
         ';' + IntToStr(nrParagonu) + ';' + SalesDateText(czas) + '\n';
    return s;
}

void KRVPosition::WriteTo(TMFile& file) const { file.Write(ToString()); }

double KRVPayment::KwotaLiczona() const {
    int64_t product;
    if (!__builtin_mul_overflow(kwota, static_cast<int64_t>(mnoznik), &product))
        return static_cast<double>(product / 100);
    // kwota = 100 q + r with q and r of kwota's sign, so both parts of the
    // product share one sign and truncating the small part alone is exact.
    int64_t q = kwota / 100;
    int64_t r = kwota % 100;
    return static_cast<double>(q) * mnoznik + static_cast<double>(r * mnoznik / 100);
}

std::string KRVPayment::ToString() const {
    std::string s = "PMT;" + IntToStr(typ) + ';' + IntToStr(kwota) + ';' + IntToStr(mnoznik) + ';' +
                    IntToStr(liczba1) + ';' + IntToStr(liczba2) + ';' + IntToStr(liczba3) + ';' +
                    (ostatnia ? '1' : '0') + ';' + (flaga2 ? '1' : '0') + ';' + tekst + ';' +
                    SalesDateText(data);
    if (rozszerzenie != -1)
        s += ';' + IntToStr(rozszerzenie) + ';' + tekstRozszerzenia + ';' +
             IntToStr(rozszerzenie1) + ';' + IntToStr(rozszerzenie2);
    return s + '\n';
}

void KRVPayment::WriteTo(TMFile& file) const { file.Write(ToString()); }

}  // namespace krv
