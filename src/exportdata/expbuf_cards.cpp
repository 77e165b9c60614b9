// Customer cards: every partner of the goods file becomes a goods record
// whose barcode is the partner's card code, for devices that sell or read
// loyalty cards as goods.
#include <cstdint>
#include <limits>

#include "action/action_base.h"
#include "exportdata/expbuf.h"
#include "exportdata/karta_rab.h"
#include "support/cp1250.h"
#include "support/exception.h"
#include "support/strutil.h"

namespace krv {

namespace {

constexpr const char* kSection = "kstools_KSExpBuf";
constexpr int kProgressEvery = 100;
constexpr int kDebugLines = 3000;

// The debug line of one card: its fields, the template and the code made.
std::string DebugLine(const TKartaRab& card, const std::string& wzorzec, const std::string& kod) {
    static const std::string format = Utf8ToCp1250(
        "%2d(przedrostek) + %10s(termin ważn.) + %1d(poziom rab.) + %13s(kod karty) ---> %13s "
        "(format)\r\n%92s%13s (kod po konwersji)\r\n");
    return Format(format.c_str(), card.Przedrostek,
                  card.TerminWaznosci.ToString(TdtTools::kDate).c_str(), card.PoziomRabatu,
                  card.KodKarty.c_str(), wzorzec.c_str(), "", kod.c_str());
}

}  // namespace

int KSExpBuf::UtworzTowaryZKontrahentow(int32_t offset, const std::string& wzorzec,
                                        std::string& debug) {
    if (action_)
        action_->MsgAdd(
            Tr(lg_, kSection, "ufUtworzToksactionMsgAdd", "Przygotowanie kart stałego klienta..."),
            lpvCount, 100);
    try {
        debug = Tr(lg_, kSection, "KSExpBufUtworzTo_debug",
                   "----------- [DEBUG KONWERSJI DANYCH KONTRAHENTA NA KOD KARTY RABATOWEJ] "
                   "------------\r\n");
        goodsFromPartners_ = 0;
        KSKontrRec partner;
        KSTowRec goods;
        TKartaRab card;
        for (int i = 0, n = kontr_.GetCount(); i < n; ++i) {
            if (action_ && i % kProgressEvery == 0) action_->MsgP(i);
            CzytajRec(i, &partner);
            goods.Clear();
            card.Czysc();
            card.TerminWaznosci.SetValue(partner.TermWaznKarty);
            card.PoziomRabatu = partner.PoziomRabatu;
            card.KodKarty = partner.KodKarty;

            goods.nazwa = partner.Nazwa;
            goods.kod = card.Poskladaj(wzorzec, lg_);
            if (i < kDebugLines)
                debug += DebugLine(card, wzorzec, goods.kod);
            else if (i == kDebugLines)
                debug += Tr(lg_, kSection, "KSExpBufUtworzTo_debug_00001", "itd...\r\n");

            // A goods number that does not fit would silently become another
            // goods' number.
            const int64_t plu = static_cast<int64_t>(partner.KontrId) + offset;
            if (plu < std::numeric_limits<int32_t>::min() ||
                plu > std::numeric_limits<int32_t>::max())
                throw Exception(Format(
                    Utf8ToCp1250("Konwersja kontrahentów na towary - numer PLU %lld poza zakresem "
                                 "(kontrahent %d, przesunięcie %d)")
                        .c_str(),
                    static_cast<long long>(plu), partner.KontrId, offset));
            goods.plu = static_cast<int32_t>(plu);
            const double points = static_cast<double>(partner.IloscPunktow) * 100;
            goods.cena = goods.cena_hurt = goods.cena_noc = goods.cena_dod = points;
            goods.status = kStatusAdd;
            goods.fd_tow_z_kontr = true;
            goods.jedn = IdxJednId(0);
            if (vat_.empty())
                throw Exception(Tr(lg_, kSection, "KSExpBufUtworzToExceptio",
                                   "Konwersja kontrahentów na towary - błąd stawki VAT"));
            goods.stawka = StrToIntDef(Trim(vat_.front()), 0);
            DodajRec(&goods);
        }
    } catch (...) {
        if (action_) action_->MsgS(lpvFailed);
        throw;
    }
    if (action_) action_->MsgS(lpvFinished);
    return goodsFromPartners_;
}

}  // namespace krv
