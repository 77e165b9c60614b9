#include "salesimport/other_operation.h"

#include "support/mfile.h"
#include "support/strutil.h"

namespace krv {

void KRVOther::Add(KRVPosition* position) { Add(std::unique_ptr<KRVPosition>(position)); }
void KRVOther::Add(KRVPayment* payment) { Add(std::unique_ptr<KRVPayment>(payment)); }

void KRVOther::Add(std::unique_ptr<KRVPosition> position) {
    if (position) positions_.push_back(std::move(position));
}

void KRVOther::Add(std::unique_ptr<KRVPayment> payment) {
    if (payment) payments_.push_back(std::move(payment));
}

const char* KRVOther::Prefix(int32_t type) {
    switch (type) {
        case kWplata: return "OP_WPL;";
        case kWyplata: return "OP_WYPL;";
        case kStorno: return "OP_STORNO;";
        case kAnulowanie: return "OP_ANUL;";
        case kOtwarcieZmiany: return "OP_OTW_ZW;";
        case kZamkniecieZmiany: return "OP_ZAMK_ZM;";
        default: return "";
    }
}

std::string KRVOther::ToString() const {
    std::string s = "\n[INNA_OPER]\n";
    s += std::string(Prefix(typ)) + tekst1 + ';' + tekst2 + ';' + IntToStr(GetPozycjeTowCount()) +
         ';' + IntToStr(GetPaymentCount()) + ';' + IntToStr(liczba1) + ';' + IntToStr(liczba2) +
         ";;0;" + SalesDateText(data) + ";;" + tekst3 + "\r\n";
    for (const auto& p : positions_) s += p->ToString();
    for (const auto& p : payments_) s += p->ToString();
    return s;
}

void KRVOther::WriteTo(TMFile& file) const { file.Write(ToString()); }
void KRVOther::WriteTo(std::ostream& out) const { out << ToString(); }

}  // namespace krv
