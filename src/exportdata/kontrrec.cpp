#include "exportdata/kontrrec.h"

#include "exportdata/ljwords.h"
#include "support/exception.h"
#include "support/strutil.h"
#include "support/tdttools.h"

namespace krv {

void KSKontrRec::Clear() {
    KontrId = 0;
    Nazwa.clear();
    Skrot.clear();
    Ulica.clear();
    Kod.clear();
    Miasto.clear();
    Telefon.clear();
    NIP.clear();
    KodKarty.clear();
    TermWaznKarty = 0;
    KartaAktywna = false;
    PoziomRabatu = 0;
    RabatOdbiorcy = 0;
    IloscPunktow = 0;
    NrBuf = -1;
}

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
