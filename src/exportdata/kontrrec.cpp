#include "exportdata/kontrrec.h"

#include <ostream>

#include "exportdata/ljwords.h"
#include "support/exception.h"
#include "support/strutil.h"
#include "support/tdttools.h"

namespace krv {

void KSKontrRec::Clear() {
#define KRV_KONTRREC_RESET(member, kind, init) field::ToDefault(member, init);
    KRV_KONTRREC_FIELDS(KRV_KONTRREC_RESET)
#undef KRV_KONTRREC_RESET
}

std::string KSKontrRec::Text() const {
    std::string text;
#define KRV_KONTRREC_TEXT(member, ...) field::AppendText(text, #member, member);
    KRV_KONTRREC_FIELDS(KRV_KONTRREC_TEXT)
#undef KRV_KONTRREC_TEXT
    return text;
}

std::ostream& operator<<(std::ostream& out, const KSKontrRec& rec) { return out << rec.Text(); }

bool KSKontrRec::Bool(char c, const TMLgExtTools* lg) {
    if (c == 'T' || c == 't') return true;
    if (c == 'F' || c == 'f') return false;
    throw Exception(Tr(lg, "kstools_KSExpBuf", "KSKontrRBoolExceptio",
                       "Nieprawidłowy format pliku eksportowego"));
}

void KSKontrRec::FromLine(std::string_view line, const TMLgExtTools* lg) {
    TLJWords w(";");
    w.Init(line);
    Clear();
    KontrId = StrToInt(w[1]);
    Nazwa = w[2];
    Skrot = w[3];
    Ulica = w[4];
    Kod = w[5];
    Miasto = w[6];
    Telefon = w[7];
    NIP = w[8];
    KodKarty = w[9];
    // An expiry the date format cannot read leaves the date 0 (no date).
    TdtTools expiry;
    expiry.FromString(w[10], TdtTools::kStorage);
    TermWaznKarty = expiry.Value();
    KartaAktywna = Bool(w[11].empty() ? '\0' : w[11][0], lg);
    RabatOdbiorcy = AtoF(w[12]);
    PoziomRabatu = StrToInt(w[13]);
    if (!w.EndReached) IloscPunktow = StrToIntDef(w[14], 0);
}

void KSAsort::Clear() {
    as_asno = 0;
    as_name.clear();
}

void KSAsort::FromLine(std::string_view line) {
    TLJWords w(";");
    w.Init(line);
    Clear();
    as_asno = StrToInt(w[1]);
    as_name = w[2];
}

}  // namespace krv
