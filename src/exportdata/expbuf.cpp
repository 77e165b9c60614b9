#include "exportdata/expbuf.h"

#include <cstring>

#include "action/action_base.h"
#include "exportdata/ljwords.h"
#include "exportdata/record_columns.h"
#include "support/exception.h"
#include "support/strutil.h"

namespace krv {

namespace {

const char* const kSection = "kstools_KSExpBuf";

// The unit entry id;precision;name split at ";".
void SplitUnit(TLJWords& words, const std::string& entry) { words.Init(entry); }

}  // namespace

KSExpBuf::KSExpBuf(TKSActionBase* action)
    : action_(action), lg_(action ? action->GetLgLink() : nullptr) {
    BuildTables();
}

KSExpBuf::~KSExpBuf() { Clear(); }

void KSExpBuf::BuildTables() {
    using field::AddColumn;
    using field::ColumnType;
#define KRV_GOODS_COLUMN(member, kind, ...) \
    g_.member = AddColumn(towary_, #member, ColumnType<field::kind>());
    KRV_TOWREC_FIELDS(KRV_GOODS_COLUMN)
#undef KRV_GOODS_COLUMN
    towary_.Open();
#define KRV_PARTNER_COLUMN(member, kind, ...) \
    k_.member = AddColumn(kontr_, #member, ColumnType<field::kind>());
    KRV_KONTRREC_FIELDS(KRV_PARTNER_COLUMN)
#undef KRV_PARTNER_COLUMN
    kontr_.Open();

    using FT = TMFieldType;
    dodKod_ = AddColumn(dodInfo_, "kod", FT::ftString);
    dodInfoCol_ = AddColumn(dodInfo_, "dodinfo", FT::ftString);
    dodInfo_.Open();
    indexCol_ = AddColumn(indeks_, "index", FT::ftInteger);
    indeks_.Open();
    asNo_ = AddColumn(asort_, "as_asno", FT::ftInteger);
    asName_ = AddColumn(asort_, "as_name", FT::ftString);
    asort_.Open();
}

// --- records ---------------------------------------------------------------

void KSExpBuf::WriteGoodsRow(size_t r, const KSTowRec& t, bool fresh) {
#define KRV_PUT_GOODS(member, ...) field::Put(g_.member, r, t.member, fresh);
    KRV_TOWREC_FIELDS(KRV_PUT_GOODS)
#undef KRV_PUT_GOODS
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
#define KRV_PUT_PARTNER(member, ...) field::Put(k_.member, r, rec->member, false);
    KRV_KONTRREC_FIELDS(KRV_PUT_PARTNER)
#undef KRV_PUT_PARTNER
    k_.NrBuf->SetAsIntegerAt(r, static_cast<int32_t>(r));
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
#define KRV_GET_GOODS(member, ...) field::Get(g_.member, r, t->member);
    KRV_TOWREC_FIELDS(KRV_GET_GOODS)
#undef KRV_GET_GOODS
}

void KSExpBuf::CzytajRecDoUrzadzenia(int row, KSTowRec* t) const {
    size_t r = static_cast<size_t>(row);
#define KRV_GET_DEVICE(member, kind, init, clear, device) \
    if constexpr (field::device == field::Dev) field::Get(g_.member, r, t->member);
    KRV_TOWREC_FIELDS(KRV_GET_DEVICE)
#undef KRV_GET_DEVICE
}

void KSExpBuf::CzytajRec(int row, KSKontrRec* k) const {
    size_t r = static_cast<size_t>(row);
#define KRV_GET_PARTNER(member, ...) field::Get(k_.member, r, k->member);
    KRV_KONTRREC_FIELDS(KRV_GET_PARTNER)
#undef KRV_GET_PARTNER
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

bool KSExpBuf::CheckIfDeletePLU(KSTowRec&, KSTowRec&) { return false; }

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
int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }
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
