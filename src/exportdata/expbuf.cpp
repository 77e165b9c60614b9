#include "exportdata/expbuf.h"

#include <cmath>
#include <cstring>

#include "action/action_base.h"
#include "exportdata/ljwords.h"
#include "support/exception.h"
#include "support/strutil.h"

namespace krv {

namespace {

const char* const kSection = "kstools_KSExpBuf";

using FT = TMFieldType;

template <typename Columns>
struct ColumnDef {
    const char* name;
    TMFieldType type;
    TMField* Columns::*member;
};

#define KRV_COL(set, name, type) \
    { #name, FT::type, &set::name }
template <typename Columns>
void Declare(TMDataSet& table, Columns& columns, const ColumnDef<Columns>* defs, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        TMField* f = table.GetFields().Add();
        f->SetName(defs[i].name);
        f->SetType(defs[i].type);
        columns.*defs[i].member = f;
    }
    table.Open();
}

// The unit entry id;precision;name split at ";".
void SplitUnit(TLJWords& words, const std::string& entry) {
    words.Init(entry);
}

}  // namespace

KSExpBuf::KSExpBuf(TKSActionBase* action)
    : action_(action), lg_(action ? action->GetLgLink() : nullptr) {
    BuildTables();
}

KSExpBuf::~KSExpBuf() {
    Clear();
}

void KSExpBuf::BuildTables() {
    using G = GoodsColumns;
    static const ColumnDef<G> kGoods[] = {
        KRV_COL(G, plu, ftInteger),
        KRV_COL(G, koldod, ftInteger),
        KRV_COL(G, kod, ftString),
        KRV_COL(G, cena, ftFloat),
        KRV_COL(G, cena_hurt, ftFloat),
        KRV_COL(G, cena_noc, ftFloat),
        KRV_COL(G, cena_dod, ftFloat),
        KRV_COL(G, nazwa, ftString),
        KRV_COL(G, stawka, ftInteger),
        KRV_COL(G, stawka_prec, ftInteger),
        KRV_COL(G, jedn, ftInteger),
        KRV_COL(G, czy_wazony, ftInteger),
        KRV_COL(G, precyzja, ftInteger),
        KRV_COL(G, wagowo_ilosciowy, ftInteger),
        KRV_COL(G, opakowanie, ftInteger),
        KRV_COL(G, cena_otwarta, ftInteger),
        KRV_COL(G, kod_opakowania, ftString),
        KRV_COL(G, plu_opakowania, ftInteger),
        KRV_COL(G, nr_asort, ftInteger),
        KRV_COL(G, status, ftInteger),
        KRV_COL(G, nr_buf, ftInteger),
        KRV_COL(G, plu_rec, ftString),
        KRV_COL(G, tr_ok, ftInteger),
        KRV_COL(G, flag, ftInteger),
        KRV_COL(G, add_rec, ftInteger),
        KRV_COL(G, org_barcode, ftString),
        KRV_COL(G, org_status, ftInteger),
        KRV_COL(G, opis1, ftString),
        KRV_COL(G, opis2, ftString),
        KRV_COL(G, PKWiU, ftString),
        KRV_COL(G, SWW, ftString),
        KRV_COL(G, TerminW, ftInteger),
        KRV_COL(G, fd_nr_src_buf, ftInteger),
        KRV_COL(G, fd_from_ecr, ftInteger),
        KRV_COL(G, fd_tow_z_kontr, ftInteger),
        KRV_COL(G, opis3, ftString),
        KRV_COL(G, opis4, ftString),
        KRV_COL(G, poziom_cen, ftInteger),
        KRV_COL(G, ile_w_kodzie, ftInteger),
        KRV_COL(G, fd_dod_rabat_tow, ftFloat),
        KRV_COL(G, nazwa_pelna, ftString),
        KRV_COL(G, ile_jedn, ftInteger),
    };
    static_assert(sizeof kGoods / sizeof kGoods[0] == 42);
    Declare(towary_, g_, kGoods, std::size(kGoods));

    using K = PartnerColumns;
    static const ColumnDef<K> kPartners[] = {
        KRV_COL(K, KontrId, ftInteger),      KRV_COL(K, Nazwa, ftString),
        KRV_COL(K, Skrot, ftString),         KRV_COL(K, Ulica, ftString),
        KRV_COL(K, Kod, ftString),           KRV_COL(K, Miasto, ftString),
        KRV_COL(K, Telefon, ftString),       KRV_COL(K, NIP, ftString),
        KRV_COL(K, KodKarty, ftString),      KRV_COL(K, TermWaznKarty, ftDateTime),
        KRV_COL(K, KartaAktywna, ftInteger), KRV_COL(K, PoziomRabatu, ftInteger),
        KRV_COL(K, RabatOdbiorcy, ftFloat),  KRV_COL(K, NrBuf, ftInteger),
        KRV_COL(K, IloscPunktow, ftInteger),
    };
    Declare(kontr_, k_, kPartners, std::size(kPartners));

    auto add = [](TMDataSet& t, const char* name, FT type) {
        TMField* f = t.GetFields().Add();
        f->SetName(name);
        f->SetType(type);
        return f;
    };
    dodKod_ = add(dodInfo_, "kod", FT::ftString);
    dodInfoCol_ = add(dodInfo_, "dodinfo", FT::ftString);
    dodInfo_.Open();
    indexCol_ = add(indeks_, "index", FT::ftInteger);
    indeks_.Open();
    asNo_ = add(asort_, "as_asno", FT::ftInteger);
    asName_ = add(asort_, "as_name", FT::ftString);
    asort_.Open();
}
#undef KRV_COL

// --- records ---------------------------------------------------------------

void KSExpBuf::WriteGoodsRow(size_t r, const KSTowRec& t, bool fresh) {
    // On a fresh row a zero or an empty text is already in place: most
    // goods leave half their columns at that, and skipping them is the
    // cheapest write.
    auto setInt = [&](TMField* f, int32_t v) {
        if (!fresh || v != 0) f->SetAsIntegerAt(r, v);
    };
    auto setNum = [&](TMField* f, double v) {
        if (!fresh || v != 0 || std::signbit(v)) f->SetAsExtendedAt(r, v);
    };
    auto setStr = [&](TMField* f, const std::string& v) {
        if (!fresh || !v.empty()) f->SetAsStringAt(r, v);
    };
    setInt(g_.plu, t.plu);
    setInt(g_.koldod, t.koldod);
    setStr(g_.kod, t.kod);
    setNum(g_.cena, t.cena);
    setNum(g_.cena_hurt, t.cena_hurt);
    setNum(g_.cena_noc, t.cena_noc);
    setNum(g_.cena_dod, t.cena_dod);
    setStr(g_.nazwa, t.nazwa);
    setInt(g_.stawka, t.stawka);
    setInt(g_.stawka_prec, t.stawka_prec);
    setInt(g_.jedn, t.jedn);
    setInt(g_.czy_wazony, t.czy_wazony);
    setInt(g_.precyzja, t.precyzja);
    setInt(g_.wagowo_ilosciowy, t.wagowo_ilosciowy);
    setInt(g_.opakowanie, t.opakowanie);
    setInt(g_.cena_otwarta, t.cena_otwarta);
    setStr(g_.kod_opakowania, t.kod_opakowania);
    setInt(g_.plu_opakowania, t.plu_opakowania);
    setInt(g_.nr_asort, t.nr_asort);
    setInt(g_.status, t.status);
    setInt(g_.nr_buf, t.nr_buf);
    setStr(g_.plu_rec, t.plu_rec);
    setInt(g_.tr_ok, t.tr_ok);
    setInt(g_.flag, t.flag);
    setInt(g_.add_rec, t.add_rec);
    setStr(g_.org_barcode, t.org_barcode);
    setInt(g_.org_status, t.org_status);
    setStr(g_.opis1, t.opis1);
    setStr(g_.opis2, t.opis2);
    setStr(g_.PKWiU, t.PKWiU);
    setStr(g_.SWW, t.SWW);
    setInt(g_.TerminW, t.TerminW);
    setInt(g_.fd_nr_src_buf, t.fd_nr_src_buf);
    setInt(g_.fd_from_ecr, t.fd_from_ecr);
    setInt(g_.fd_tow_z_kontr, t.fd_tow_z_kontr);
    setStr(g_.opis3, t.opis3);
    setStr(g_.opis4, t.opis4);
    setInt(g_.poziom_cen, t.poziom_cen);
    setInt(g_.ile_w_kodzie, t.ile_w_kodzie);
    setNum(g_.fd_dod_rabat_tow, t.fd_dod_rabat_tow);
    setStr(g_.nazwa_pelna, t.nazwa_pelna);
    setInt(g_.ile_jedn, t.ile_jedn);
}

void KSExpBuf::CountStatus(int status, int delta) {
    if (status >= 0 && status <= 3) statusCounts_[static_cast<size_t>(status)] += delta;
}

int KSExpBuf::GetStatusCount(int status) const {
    return status >= 0 && status <= 3 ? statusCounts_[static_cast<size_t>(status)] : 0;
}

void KSExpBuf::DodajRec(const KSTowRec* rec) {
    towary_.Append();
    size_t row = static_cast<size_t>(towary_.GetPosition());
    WriteGoodsRow(row, *rec, true);
    g_.nr_buf->SetAsIntegerAt(row, static_cast<int32_t>(row));
    ++goodsCount_;
    CountStatus(rec->status, +1);
    if (rec->opakowanie) ++packageCount_;
    if (rec->fd_tow_z_kontr) ++goodsFromPartners_;
}

void KSExpBuf::DodajRec(const KSKontrRec* rec) {
    kontr_.Append();
    size_t r = static_cast<size_t>(kontr_.GetPosition());
    k_.KontrId->SetAsIntegerAt(r, rec->KontrId);
    k_.Nazwa->SetAsStringAt(r, rec->Nazwa);
    k_.Skrot->SetAsStringAt(r, rec->Skrot);
    k_.Ulica->SetAsStringAt(r, rec->Ulica);
    k_.Kod->SetAsStringAt(r, rec->Kod);
    k_.Miasto->SetAsStringAt(r, rec->Miasto);
    k_.Telefon->SetAsStringAt(r, rec->Telefon);
    k_.NIP->SetAsStringAt(r, rec->NIP);
    k_.KodKarty->SetAsStringAt(r, rec->KodKarty);
    k_.TermWaznKarty->SetAsExtendedAt(r, rec->TermWaznKarty);
    k_.KartaAktywna->SetAsIntegerAt(r, rec->KartaAktywna);
    k_.PoziomRabatu->SetAsIntegerAt(r, rec->PoziomRabatu);
    k_.RabatOdbiorcy->SetAsExtendedAt(r, rec->RabatOdbiorcy);
    k_.NrBuf->SetAsIntegerAt(r, static_cast<int32_t>(r));
    k_.IloscPunktow->SetAsIntegerAt(r, rec->IloscPunktow);
    ++partnerCount_;
}

void KSExpBuf::DodajAsort(const KSAsort* rec) {
    asort_.Append();
    size_t r = static_cast<size_t>(asort_.GetPosition());
    asNo_->SetAsIntegerAt(r, rec->as_asno);
    asName_->SetAsStringAt(r, rec->as_name);
}

void KSExpBuf::CzytajRec(int row, KSTowRec* t) const {
    size_t r = static_cast<size_t>(row);
    t->plu = g_.plu->GetAsIntegerAt(r);
    t->koldod = g_.koldod->GetAsIntegerAt(r);
    t->kod.assign(g_.kod->StringViewAt(r));
    t->cena = g_.cena->GetAsExtendedAt(r);
    t->cena_hurt = g_.cena_hurt->GetAsExtendedAt(r);
    t->cena_noc = g_.cena_noc->GetAsExtendedAt(r);
    t->cena_dod = g_.cena_dod->GetAsExtendedAt(r);
    t->nazwa.assign(g_.nazwa->StringViewAt(r));
    t->stawka = g_.stawka->GetAsIntegerAt(r);
    t->stawka_prec = g_.stawka_prec->GetAsIntegerAt(r);
    t->jedn = g_.jedn->GetAsIntegerAt(r);
    t->czy_wazony = g_.czy_wazony->GetAsIntegerAt(r) != 0;
    t->precyzja = g_.precyzja->GetAsIntegerAt(r);
    t->wagowo_ilosciowy = g_.wagowo_ilosciowy->GetAsIntegerAt(r) != 0;
    t->opakowanie = g_.opakowanie->GetAsIntegerAt(r) != 0;
    t->cena_otwarta = g_.cena_otwarta->GetAsIntegerAt(r) != 0;
    t->kod_opakowania.assign(g_.kod_opakowania->StringViewAt(r));
    t->plu_opakowania = g_.plu_opakowania->GetAsIntegerAt(r);
    t->nr_asort = g_.nr_asort->GetAsIntegerAt(r);
    t->status = g_.status->GetAsIntegerAt(r);
    t->nr_buf = g_.nr_buf->GetAsIntegerAt(r);
    t->plu_rec.assign(g_.plu_rec->StringViewAt(r));
    t->tr_ok = g_.tr_ok->GetAsIntegerAt(r) != 0;
    t->flag = g_.flag->GetAsIntegerAt(r) != 0;
    t->add_rec = g_.add_rec->GetAsIntegerAt(r) != 0;
    t->org_barcode.assign(g_.org_barcode->StringViewAt(r));
    t->org_status = g_.org_status->GetAsIntegerAt(r);
    t->opis1.assign(g_.opis1->StringViewAt(r));
    t->opis2.assign(g_.opis2->StringViewAt(r));
    t->PKWiU.assign(g_.PKWiU->StringViewAt(r));
    t->SWW.assign(g_.SWW->StringViewAt(r));
    t->TerminW = g_.TerminW->GetAsIntegerAt(r);
    t->fd_nr_src_buf = g_.fd_nr_src_buf->GetAsIntegerAt(r);
    t->fd_from_ecr = g_.fd_from_ecr->GetAsIntegerAt(r) != 0;
    t->fd_tow_z_kontr = g_.fd_tow_z_kontr->GetAsIntegerAt(r) != 0;
    t->opis3.assign(g_.opis3->StringViewAt(r));
    t->opis4.assign(g_.opis4->StringViewAt(r));
    t->poziom_cen = g_.poziom_cen->GetAsIntegerAt(r);
    t->ile_w_kodzie = g_.ile_w_kodzie->GetAsIntegerAt(r);
    t->fd_dod_rabat_tow = g_.fd_dod_rabat_tow->GetAsExtendedAt(r);
    t->nazwa_pelna.assign(g_.nazwa_pelna->StringViewAt(r));
    t->ile_jedn = g_.ile_jedn->GetAsIntegerAt(r);
}

void KSExpBuf::CzytajRecDoUrzadzenia(int row, KSTowRec* t) const {
    size_t r = static_cast<size_t>(row);
    t->plu = g_.plu->GetAsIntegerAt(r);
    t->kod.assign(g_.kod->StringViewAt(r));
    t->nazwa.assign(g_.nazwa->StringViewAt(r));
    t->cena = g_.cena->GetAsExtendedAt(r);
    t->cena_hurt = g_.cena_hurt->GetAsExtendedAt(r);
    t->cena_noc = g_.cena_noc->GetAsExtendedAt(r);
    t->cena_dod = g_.cena_dod->GetAsExtendedAt(r);
    t->precyzja = g_.precyzja->GetAsIntegerAt(r);
    t->czy_wazony = g_.czy_wazony->GetAsIntegerAt(r) != 0;
    t->wagowo_ilosciowy = g_.wagowo_ilosciowy->GetAsIntegerAt(r) != 0;
    t->status = g_.status->GetAsIntegerAt(r);
    t->TerminW = g_.TerminW->GetAsIntegerAt(r);
    t->opis1.assign(g_.opis1->StringViewAt(r));
    t->opis2.assign(g_.opis2->StringViewAt(r));
    t->opis3.assign(g_.opis3->StringViewAt(r));
    t->opis4.assign(g_.opis4->StringViewAt(r));
}

void KSExpBuf::CzytajRec(int row, KSKontrRec* k) const {
    size_t r = static_cast<size_t>(row);
    k->KontrId = k_.KontrId->GetAsIntegerAt(r);
    k->Nazwa.assign(k_.Nazwa->StringViewAt(r));
    k->Skrot.assign(k_.Skrot->StringViewAt(r));
    k->Ulica.assign(k_.Ulica->StringViewAt(r));
    k->Kod.assign(k_.Kod->StringViewAt(r));
    k->Miasto.assign(k_.Miasto->StringViewAt(r));
    k->Telefon.assign(k_.Telefon->StringViewAt(r));
    k->NIP.assign(k_.NIP->StringViewAt(r));
    k->KodKarty.assign(k_.KodKarty->StringViewAt(r));
    k->TermWaznKarty = k_.TermWaznKarty->GetAsExtendedAt(r);
    k->KartaAktywna = k_.KartaAktywna->GetAsIntegerAt(r) != 0;
    k->PoziomRabatu = k_.PoziomRabatu->GetAsIntegerAt(r);
    k->RabatOdbiorcy = k_.RabatOdbiorcy->GetAsExtendedAt(r);
    k->NrBuf = k_.NrBuf->GetAsIntegerAt(r);
    k->IloscPunktow = k_.IloscPunktow->GetAsIntegerAt(r);
}

void KSExpBuf::CzytajPluRec(int row, char* buffer) const {
    std::string_view text = g_.plu_rec->StringViewAt(static_cast<size_t>(row));
    if (buffer && !text.empty()) std::memcpy(buffer, text.data(), text.size());
}

void KSExpBuf::CzytajAsort(int row, KSAsort* rec) const {
    size_t r = static_cast<size_t>(row);
    rec->as_asno = asNo_->GetAsIntegerAt(r);
    rec->as_name = asName_->GetAsStringAt(r);
}

void KSExpBuf::ZapiszRec(int row, const KSTowRec* rec) {
    size_t r = static_cast<size_t>(row);
    int old = g_.status->GetAsIntegerAt(r);
    WriteGoodsRow(r, *rec);
    CountStatus(old, -1);
    CountStatus(rec->status, +1);
}

void KSExpBuf::ResetFlags(bool value) {
    for (size_t r = 0, n = static_cast<size_t>(towary_.GetCount()); r < n; ++r)
        g_.flag->SetAsIntegerAt(r, value);
}

void KSExpBuf::ResetTrOk(bool value) {
    for (size_t r = 0, n = static_cast<size_t>(towary_.GetCount()); r < n; ++r)
        g_.tr_ok->SetAsIntegerAt(r, value);
}

void KSExpBuf::AddInPlu(const std::string& kod, const std::string& dodinfo) {
    dodInfo_.Append();
    size_t r = static_cast<size_t>(dodInfo_.GetPosition());
    dodKod_->SetAsStringAt(r, kod);
    dodInfoCol_->SetAsStringAt(r, dodinfo);
}

void KSExpBuf::DodInfo2TowRec(const std::string&, KSTowRec*) {}

void KSExpBuf::ModifyPLUStatus(KSTowRec& a, KSTowRec&) {
    if (a.status == kStatusPriceChange || a.status == kStatusAdd) a.status = kStatusUpdate;
}

bool KSExpBuf::CheckIfDeletePLU(KSTowRec&, KSTowRec&) {
    return false;
}

// --- sort and search -------------------------------------------------------

void KSExpBuf::CreateIndex() {
    indeks_.Clear();
    size_t n = static_cast<size_t>(towary_.GetCount());
    indeks_.Reserve(n);
    for (size_t r = 0; r < n; ++r) {
        indeks_.Append();
        indexCol_->SetAsIntegerAt(r, static_cast<int32_t>(r));
    }
}

namespace {
int Sign(int c) {
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
}  // namespace

int KSExpBuf::SortCompare(int i, int j) {
    std::string_view a = g_.kod->StringViewAt(static_cast<size_t>(IndexRow(i)));
    std::string_view b = g_.kod->StringViewAt(static_cast<size_t>(IndexRow(j)));
    return Sign(a.compare(b));
}

void KSExpBuf::ExChange(int i, int j) {
    int32_t a = IndexRow(i);
    indexCol_->SetAsIntegerAt(static_cast<size_t>(i), IndexRow(j));
    indexCol_->SetAsIntegerAt(static_cast<size_t>(j), a);
}

int KSExpBuf::FindCompare(int i) {
    return Sign(
        std::string_view(key_).compare(g_.kod->StringViewAt(static_cast<size_t>(IndexRow(i)))));
}

int KSExpBuf::FindRec(const std::string& kod, int count) {
    if (count <= 0) return -1;
    key_ = kod;
    if (!IsSorted()) {
        CreateIndex();
        Sort(0, count - 1);
        SetSorted(true);
    }
    int at = Find(0, count - 1);
    return at < 0 ? -1 : IndexRow(at);
}

// --- side lists ------------------------------------------------------------

KSKasjer* KSExpBuf::GetKasjer(int i) const {
    if (i < 0 || i >= GetKasjerCount())
        throw Exception(
            Tr(lg_, kSection, "KSExpBufGetKasjeExceptio", "Nieprawidłowy numer kasjera"));
    return cashiers_[static_cast<size_t>(i)].second.get();
}

KSWaluta* KSExpBuf::GetWaluta(int i) const {
    if (i < 0 || i >= GetWalutaCount())
        throw Exception(
            Tr(lg_, kSection, "KSExpBufGetWalutExceptio", "Nieprawidłowy numer waluty"));
    return currencies_[static_cast<size_t>(i)].second.get();
}

namespace {
// The position from 1 of the last entry whose number equals rate, or keep.
void ScanRates(const std::vector<std::string>& list, int rate, int& number) {
    for (size_t i = 0; i < list.size(); ++i) {
        auto value = TryStrToInt(Trim(list[i]));
        if (value && *value == rate) number = static_cast<int>(i) + 1;
    }
}
}  // namespace

int KSExpBuf::NumerStawki(int rate) {
    if (rate != vatCacheRate_) {
        vatCacheRate_ = rate;
        ScanRates(vat_, rate, vatCacheNumber_);
    }
    return vatCacheNumber_;
}

int KSExpBuf::NumerStawkiPrec(int rate) {
    if (rate != vatPrecCacheRate_) {
        vatPrecCacheRate_ = rate;
        ScanRates(vatPrec_, rate, vatPrecCacheNumber_);
    }
    return vatPrecCacheNumber_;
}

std::string KSExpBuf::NazwaJedn(int id) {
    if (id != unitCacheId_) {
        TLJWords w(";");
        bool found = false;
        for (const std::string& entry : units_) {
            SplitUnit(w, entry);
            auto value = TryStrToInt(Trim(w[0]));
            if (value && *value == id) {
                unitCacheId_ = id;
                unitCacheName_ = w[2];
                found = true;
                break;
            }
        }
        if (!found) return "szt.";
    }
    return unitCacheName_;
}

namespace {
[[noreturn]] void UnitRangeError(const TMLgExtTools* lg, const char* key) {
    throw Exception(Tr(lg, kSection, key, "Indeks jednostki miary poza zakresem"));
}
}  // namespace

int KSExpBuf::IdxJednId(int i) const {
    if (i < 0 || i + 1 > static_cast<int>(units_.size()))
        UnitRangeError(lg_, "KSExpBufIdxJednIExceptio");
    TLJWords w(";");
    SplitUnit(w, units_[static_cast<size_t>(i)]);
    return StrToIntDef(Trim(w[0]), 1);
}

int KSExpBuf::IdxJednPrec(int i) const {
    if (i < 0 || i + 1 > static_cast<int>(units_.size()))
        UnitRangeError(lg_, "KSExpBufIdxJednPExceptio");
    TLJWords w(";");
    SplitUnit(w, units_[static_cast<size_t>(i)]);
    return StrToIntDef(Trim(w[1]), 0);
}

std::string KSExpBuf::IdxJednNazwa(int i) const {
    if (i < 0 || i + 1 > static_cast<int>(units_.size()))
        UnitRangeError(lg_, "KSExpBufIdxJednNExceptio");
    TLJWords w(";");
    SplitUnit(w, units_[static_cast<size_t>(i)]);
    return w[2];
}

void KSExpBuf::Clear() {
    towary_.Clear();
    dodInfo_.Clear();
    indeks_.Clear();
    asort_.Clear();
    kontr_.Clear();
    vat_.clear();
    vatPrec_.clear();
    units_.clear();
    cashiers_.clear();
    currencies_.clear();
    goodsCount_ = 0;
    statusCounts_.fill(0);
    packageCount_ = 0;
    // The index went with the tables: a search must build it anew.
    SetSorted(false);
}

}  // namespace krv
