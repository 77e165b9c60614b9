#include "salesimport/impbuf.h"

#include <cmath>

#include "salesimport/number_text.h"
#include "support/cp1250.h"
#include "support/exception.h"
#include "support/ltools.h"
#include "support/strutil.h"

namespace krv {

namespace {

TMField* AddField(TMDataSet& table, const char* name, TMFieldType type) {
    TMField* f = table.GetFields().Add();
    f->SetName(name);
    f->SetType(type);
    return f;
}

int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

}  // namespace

KSImpBuf::KSImpBuf(const TMLgExtTools* lg) : lg_(lg) {
    plu_ = AddField(goods_, "plu", TMFieldType::ftString);
    quantity_ = AddField(goods_, "quantity", TMFieldType::ftFloat);
    value_ = AddField(goods_, "value", TMFieldType::ftFloat);
    save_ = AddField(goods_, "save", TMFieldType::ftInteger);
    identifier_ = AddField(goods_, "identifier", TMFieldType::ftInteger);
    goods_.Open();
    taxno_ = AddField(vatTable_, "taxno", TMFieldType::ftInteger);
    netto_ = AddField(vatTable_, "netto", TMFieldType::ftFloat);
    vat_ = AddField(vatTable_, "vat", TMFieldType::ftFloat);
    brutto_ = AddField(vatTable_, "brutto", TMFieldType::ftFloat);
    vatTable_.Open();
    indexCol_ = AddField(index_, "index", TMFieldType::ftInteger);
    index_.Open();
    Clear();
}

KSImpBuf::~KSImpBuf() = default;

void KSImpBuf::Clear() {
    goods_.Clear();
    vatTable_.Clear();
    index_.Clear();
    liniePar_.clear();
    totals = Totals();
    hours_.fill(Godzina());
    Kas_Clear();
}

// --- goods -------------------------------------------------------------------

e_identifier KSImpBuf::Resolve(e_identifier ident) const {
    if (ident != id_default) return ident;
    return flags.kodKreskowyDomyslnie ? id_barcode : id_number;
}

void KSImpBuf::AddPlu(const std::string& kod, double ilosc, double wartosc, e_identifier ident) {
    goods_.Append();
    const size_t row = static_cast<size_t>(goods_.GetPosition());
    plu_->SetAsStringAt(row, kod);
    quantity_->SetAsExtendedAt(row, ilosc);
    value_->SetAsExtendedAt(row, wartosc);
    save_->SetAsIntegerAt(row, 1);
    identifier_->SetAsIntegerAt(row, ident);
    if (!IsSorted()) return;
    // Keep the index sorted. A code already present (under another
    // identifier) goes beside its twin; an empty index takes it first.
    key_ = kod;
    const int last = index_.GetCount() - 1;
    int at = 0;
    if (last >= 0) {
        at = FindInsertPlace(0, last);
        if (at < 0) at = Find(0, last);
    }
    index_.SetPosition(at);
    if (at > last)
        index_.Append();
    else
        index_.Insert();
    indexCol_->SetAsIntegerAt(static_cast<size_t>(at), static_cast<int32_t>(row));
}

int KSImpBuf::FindRec(const std::string& kod) {
    const int count = goods_.GetCount();
    if (count == 0) return -1;
    key_ = kod;
    if (!IsSorted()) {
        CreateIndex();
        Sort(0, count - 1);
        SetSorted(true);
    }
    const int at = Find(0, index_.GetCount() - 1);
    return at < 0 ? -1 : IndexRow(at);
}

void KSImpBuf::AddToPlu(const std::string& kod, double ilosc, double wartosc, e_identifier ident) {
    int row = FindRec(kod);
    if (row >= 0 && identifier_->GetAsIntegerAt(static_cast<size_t>(row)) != ident) {
        row = -1;
        for (int r = 0, n = goods_.GetCount(); r < n; ++r) {
            const size_t at = static_cast<size_t>(r);
            if (identifier_->GetAsIntegerAt(at) == ident && plu_->StringViewAt(at) == kod) {
                row = r;
                break;
            }
        }
    }
    if (row < 0) {
        AddPlu(kod, ilosc, wartosc, ident);
        return;
    }
    const size_t at = static_cast<size_t>(row);
    quantity_->SetAsExtendedAt(at, quantity_->GetAsExtendedAt(at) + ilosc);
    value_->SetAsExtendedAt(at, value_->GetAsExtendedAt(at) + wartosc);
}

void KSImpBuf::ExclAddToPlu(const std::string& kod, double ilosc, double wartosc) {
    const int row = FindRec(kod);
    if (row < 0) return;
    const size_t at = static_cast<size_t>(row);
    quantity_->SetAsExtendedAt(at, quantity_->GetAsExtendedAt(at) + ilosc);
    value_->SetAsExtendedAt(at, value_->GetAsExtendedAt(at) + wartosc);
}

void KSImpBuf::GetPlu(int row, KSImpTowRec& rec) const {
    const size_t at = static_cast<size_t>(row);
    rec.kod = plu_->GetAsStringAt(at);
    rec.ilosc = quantity_->GetAsExtendedAt(at);
    rec.wartosc = value_->GetAsExtendedAt(at);
    rec.zapisz = save_->GetAsIntegerAt(at) != 0;
    rec.ident = identifier_->GetAsIntegerAt(at);
}

void KSImpBuf::SetPluSave(int row, bool save) {
    save_->SetAsIntegerAt(static_cast<size_t>(row), save ? 1 : 0);
}

// --- index -------------------------------------------------------------------

void KSImpBuf::CreateIndex() {
    index_.Clear();
    const size_t n = static_cast<size_t>(goods_.GetCount());
    index_.Reserve(n);
    for (size_t r = 0; r < n; ++r) {
        index_.Append();
        indexCol_->SetAsIntegerAt(r, static_cast<int32_t>(r));
    }
}

int KSImpBuf::SortCompare(int i, int j) {
    return Sign(plu_->StringViewAt(static_cast<size_t>(IndexRow(i)))
                    .compare(plu_->StringViewAt(static_cast<size_t>(IndexRow(j)))));
}

void KSImpBuf::ExChange(int i, int j) {
    const int32_t a = IndexRow(i);
    indexCol_->SetAsIntegerAt(static_cast<size_t>(i), IndexRow(j));
    indexCol_->SetAsIntegerAt(static_cast<size_t>(j), a);
}

int KSImpBuf::FindCompare(int i) {
    return Sign(
        std::string_view(key_).compare(plu_->StringViewAt(static_cast<size_t>(IndexRow(i)))));
}

// --- totals --------------------------------------------------------------------

void KSImpBuf::AddVat(int32_t taxno, double netto, double vat, double brutto) {
    vatTable_.Append();
    const size_t row = static_cast<size_t>(vatTable_.GetPosition());
    taxno_->SetAsIntegerAt(row, taxno);
    netto_->SetAsExtendedAt(row, netto);
    vat_->SetAsExtendedAt(row, vat);
    brutto_->SetAsExtendedAt(row, brutto);
}

void KSImpBuf::AddDiscount(double amount, bool absolute) {
    totals.rabaty += absolute ? std::fabs(amount) : amount;
}

void KSImpBuf::AddBottlesTurned(double amount) { totals.zwrotOpakowan += std::fabs(amount); }
void KSImpBuf::AddBottlesSaled(double amount) { totals.sprzedazOpakowan += std::fabs(amount); }
void KSImpBuf::AddBony(double amount) { totals.bony += amount; }
void KSImpBuf::AddCzeki(double amount) { totals.czeki += amount; }
void KSImpBuf::AddKarty(double amount) { totals.karty += amount; }
void KSImpBuf::AddInne(double amount) { totals.inne += amount; }

void KSImpBuf::AddGodzinowy(int hour, double value, int32_t baskets, int32_t lines) {
    if (hour < 0 || hour > 23) return;
    Godzina& h = hours_[static_cast<size_t>(hour)];
    h.wartosc += value;
    h.koszyki += baskets;
    h.linie += lines;
}

double KSImpBuf::GetTotalValue() const {
    double sum = 0;
    if (flags.fiskZPlu) {
        for (size_t r = 0, n = static_cast<size_t>(goods_.GetCount()); r < n; ++r)
            if (save_->GetAsIntegerAt(r) != 0) sum += value_->GetAsExtendedAt(r);
    } else {
        for (size_t r = 0, n = static_cast<size_t>(vatTable_.GetCount()); r < n; ++r)
            sum += brutto_->GetAsExtendedAt(r);
    }
    return sum;
}

// --- receipt lines, cash state, parameters -------------------------------------

void KSImpBuf::AddLiniaParEx(const std::string& kod, double kwota1, double kwota2, double kwota3,
                             const std::string& tekst, double data, int32_t liczba1,
                             int32_t liczba2, e_identifier ident) {
    std::string number, barcode;
    switch (Resolve(ident)) {
        case id_number: number = kod; break;
        case id_barcode: barcode = kod; break;
        default: throw Exception(Utf8ToCp1250("KSExpBuf::AddLiniaParEx() - nieprawidłowy _ident"));
    }
    std::string line = "PAR;" + number + ';' + barcode + ';' + WholeText(kwota1) + ';' +
                       WholeText(kwota2) + ';' + WholeText(kwota3) + ';' + tekst + ';' +
                       SalesDateText(data) + ';';
    if (liczba1 >= 0) line += IntToStr(liczba1);
    line += ';';
    if (liczba2 >= 0) line += IntToStr(liczba2);
    liniePar_ += line + "\r\n";
}

void KSImpBuf::SaveOneParag(const std::string& path) const { TLTools::BufToFile(liniePar_, path); }

void KSImpBuf::AddLinieStanuKasy(const std::string& line) { stanKasyText_ += line + "\r\n"; }

void KSImpBuf::AddParameter(const std::string& name, const std::string& value) {
    for (auto& entry : parameters_) {
        if (SameText(entry.first, name)) {
            entry.second = value;
            return;
        }
    }
    parameters_.emplace_back(name, value);
}

// --- receipts ----------------------------------------------------------------------

void KSImpBuf::AddReceipt(KRVParagon* receipt) { AddReceipt(std::unique_ptr<KRVParagon>(receipt)); }

void KSImpBuf::AddReceipt(std::unique_ptr<KRVParagon> receipt) {
    if (!receipt) return;
    receipt->PostProcess();
    if (flags.przetwarzajParagony) {
        for (int i = 0; i < receipt->GetnPosCount(); ++i) *this + *receipt->GetPozycje(i);
        for (int i = 0; i < receipt->GetnPaymentCount(); ++i) *this + *receipt->GetPlatnosci(i);
        AddGodzinowy(SalesHour(receipt->data), 0, 1, receipt->GetnPosCount());
        AddDiscount(receipt->rabat, true);
    }
    receipts_.push_back(std::move(receipt));
}

void KSImpBuf::AddOther(KRVOther* other) { AddOther(std::unique_ptr<KRVOther>(other)); }

void KSImpBuf::AddOther(std::unique_ptr<KRVOther> other) {
    if (other) others_.push_back(std::move(other));
}

KSImpBuf& KSImpBuf::operator+(const KRVPosition& p) {
    const std::string barcode = Trim(p.kod);
    if (!barcode.empty())
        AddToPlu(barcode, p.ilosc, static_cast<double>(p.wartosc), id_barcode);
    else
        AddToPlu(IntToStr(p.nrTowaru), p.ilosc, static_cast<double>(p.wartosc), id_number);
    AddGodzinowy(SalesHour(p.czas), static_cast<double>(p.wartosc), 0, 0);
    if (p.rodzaj == KRVPosition::kKindBottleSale) AddBottlesSaled(static_cast<double>(p.wartosc));
    if (p.rodzaj == KRVPosition::kKindBottleReturn)
        AddBottlesTurned(static_cast<double>(p.wartosc));
    return *this;
}

KSImpBuf& KSImpBuf::operator+(const KRVPayment& p) {
    const double amount = p.KwotaLiczona();
    switch (p.typ) {
        case KRVPayment::kVoucher: AddBony(amount); break;
        case KRVPayment::kCheque: AddCzeki(amount); break;
        case KRVPayment::kCard: AddKarty(amount); break;
        case KRVPayment::kOther: AddInne(amount); break;
        default: break;
    }
    return *this;
}

}  // namespace krv
