// KSImpBuf: what a register reports back after sales — goods sold, VAT
// totals, payments, hourly turnover, cash state, currencies, receipts and
// other operations, operation parameters — collected by its driver and
// written as the host's sales import file.
//
// Amounts and quantities are kept in the device's smallest units (grosze,
// thousandths) and written without decimals; the driver scales them.
// Goods codes are ordered by their Windows-1250 bytes, as the export buffer
// orders barcodes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "exportdata/quicksort.h"
#include "exportdata/wymiana.h"
#include "salesimport/cash_state.h"
#include "salesimport/other_operation.h"
#include "salesimport/paragon.h"
#include "support/lgext.h"
#include "support/mdataset.h"
#include "support/tdttools.h"

namespace krv {

class TMFile;

// Which column of the goods lines a code belongs to.
enum e_identifier : int32_t {
    id_default = 0,  // resolved by the buffer's barcode-default flag
    id_number = 1,   // the host's goods number, first column
    id_barcode = 2,  // a barcode, second column
};

// One goods row as GetPlu hands it out.
struct KSImpTowRec {
    std::string kod;
    double ilosc = 0;
    double wartosc = 0;
    bool zapisz = true;
    int32_t ident = id_default;
    void Clear() { *this = KSImpTowRec(); }
};

class KSImpBuf : public TLQuickSort {
  public:
    // The translations are used for the failure texts; may be null.
    explicit KSImpBuf(const TMLgExtTools* lg = nullptr);
    ~KSImpBuf() override;
    KSImpBuf(const KSImpBuf&) = delete;
    KSImpBuf& operator=(const KSImpBuf&) = delete;

    // Starts a new collection: empties the goods, VAT and index tables and
    // the receipt lines, zeroes totals, counters and the hourly report and
    // clears the cash-state record. Kept: the cash-state text, receipts and
    // other operations, operation parameters, currencies, sale date, flags.
    void Clear();

    // --- goods ---
    // A new goods row to be written.
    void AddPlu(const std::string& kod, double ilosc, double wartosc, e_identifier ident);
    // Adds to the row of the same code and identifier, or appends one.
    void AddToPlu(const std::string& kod, double ilosc, double wartosc, e_identifier ident);
    // Adds to the first row found with the code, whatever its identifier;
    // nothing when there is none.
    void ExclAddToPlu(const std::string& kod, double ilosc, double wartosc);
    // A row with the code, or -1.
    int FindRec(const std::string& kod);
    void GetPlu(int row, KSImpTowRec& rec) const;
    int GetPluCount() const { return goods_.GetCount(); }
    // Whether a goods row is written (the driver may hold one back).
    void SetPluSave(int row, bool save);

    // --- VAT and payment totals ---
    void AddVat(int32_t taxno, double netto, double vat, double brutto);
    int GetVatCount() const { return vatTable_.GetCount(); }
    void AddDiscount(double amount, bool absolute);
    void AddBottlesTurned(double amount);  // absolute value to bottles returned
    void AddBottlesSaled(double amount);   // absolute value to bottle deposits sold
    void AddBony(double amount);
    void AddCzeki(double amount);
    void AddKarty(double amount);
    void AddInne(double amount);
    void AddWplata(double amount) { totals.wplaty += amount; }
    void AddWyplata(double amount) { totals.wyplaty += amount; }

    // Hour 0 to 23; other hours are ignored.
    void AddGodzinowy(int hour, double value, int32_t baskets, int32_t lines);

    // --- receipt lines, cash state, parameters ---
    // One "PAR" line of the receipt-line text. An identifier other than 0, 1
    // and 2 throws.
    void AddLiniaParEx(const std::string& kod, double kwota1, double kwota2, double kwota3,
                       const std::string& tekst, double data, int32_t liczba1, int32_t liczba2,
                       e_identifier ident);
    const std::string& LiniePar() const { return liniePar_; }
    // The receipt-line text as the whole content of the file.
    void SaveOneParag(const std::string& path) const;

    // A line of the cash-state text, as the register gave it.
    void AddLinieStanuKasy(const std::string& line);
    const std::string& StanKasyText() const { return stanKasyText_; }
    void Kas_Clear() { kasa.Clear(); }
    void Kas_SetNazwisko(const std::string& name) { kasa.nazwisko = name; }
    void Kas_AddWaluta(const std::string& name, double rate, double amount, double balance) {
        kasa.AddWaluta(name, rate, amount, balance);
    }
    // The cash-state text from the record.
    void MakeStanKasyStr() { stanKasyText_ = kasa.ToText(); }

    // name=value; an existing name (any letter case) gets the new value.
    void AddParameter(const std::string& name, const std::string& value);
    // The currency report.
    KSWymiany& Wymiany() { return wymiany_; }

    void SetDataSprzedazy(double date) { dataSprzedazy_.SetValue(date); }
    double GetDataSprzedazy() const { return dataSprzedazy_.Value(); }

    // --- receipts ---
    // Takes the receipt over (made with new): PostProcess, then with
    // processReceipts its positions, payments, hour and discount go into the
    // totals, and the receipt is kept for writing.
    void AddReceipt(KRVParagon* receipt);
    void AddReceipt(std::unique_ptr<KRVParagon> receipt);
    // Takes an other operation over (made with new) for writing.
    void AddOther(KRVOther* other);
    void AddOther(std::unique_ptr<KRVOther> other);
    int GetReceiptCount() const { return static_cast<int>(receipts_.size()); }
    int GetOtherCount() const { return static_cast<int>(others_.size()); }
    // Into the totals: a position's quantity and value under its barcode (or
    // goods number), its hour, bottle deposits; a payment by its type.
    KSImpBuf& operator+(const KRVPosition& position);
    KSImpBuf& operator+(const KRVPayment& payment);
    KSImpBuf& operator+(const KRVPosition* position) {
        return position ? *this + *position : *this;
    }
    KSImpBuf& operator+(const KRVPayment* payment) { return payment ? *this + *payment : *this; }

    // The day's sales: with fiskZPlu the value of the goods rows written,
    // otherwise the gross of the VAT rows.
    double GetTotalValue() const;

    // --- the sales import file (impbuf_write.cpp) ---
    // Writes the file through a temporary file beside it, which replaces
    // the target only when complete: a failure never leaves a file the host
    // would take for a whole day, and a failure keeps the receipts for
    // another try. With strip, leading zeros of barcodes go.
    void Save(const std::string& path, bool strip);
    // Every section in order, then the receipts and other operations (with
    // zapisujParagony). A complete write consumes the receipts and other
    // operations, written or not; a failed one keeps them.
    void WriteToFile(TMFile* file, bool strip);

    // --- TLQuickSort over the index table ---
    void CreateIndex();
    int SortCompare(int i, int j) override;
    void ExChange(int i, int j) override;
    int FindCompare(int i) override;

    // --- what the driver sets directly ---
    struct Flags {
        bool fiskZPlu = false;      // FISK_Z_PLU: the fiscal totals come from the goods lines
        bool nadpiszFisk = false;   // NADPISZ_FISK
        bool nadpiszOpak = false;   // NADPISZ_OPAK
        bool podsumujOpak = false;  // PODSUMUJ_OPAK
        bool nadpiszPlu = false;    // NADPISZ_PLU
        bool doklejPlu = false;     // DOKLEJ_PLU
        bool kodKreskowyDomyslnie = false;  // id_default means id_barcode (else id_number)
        bool przetwarzajParagony = false;   // AddReceipt adds receipts to the totals
        bool zapisujParagony = false;       // WriteToFile writes receipts and other operations
    } flags;

    struct Totals {
        double rabaty = 0;
        double bony = 0;
        double czeki = 0;
        double karty = 0;
        double inne = 0;
        double sprzedazOpakowan = 0;  // bottle deposits sold
        double zwrotOpakowan = 0;     // bottles returned
        double wplaty = 0;            // cash deposits
        double wyplaty = 0;           // withdrawals
        int32_t koszyki = 0;          // baskets (receipts)
        int32_t liniePar = 0;         // receipt lines
    } totals;

    struct Godzina {
        double wartosc = 0;
        int32_t koszyki = 0;
        int32_t linie = 0;
    };
    const std::array<Godzina, 24>& Godzinowy() const { return hours_; }

    KSStanKasy kasa;

  private:
    e_identifier Resolve(e_identifier ident) const;
    int32_t IndexRow(int i) const { return indexCol_->GetAsIntegerAt(static_cast<size_t>(i)); }
    void WriteGoods(TMFile& file, bool strip);
    void WriteAll(TMFile& file, bool strip);
    void WriteReceipts(TMFile& file);
    void DropReceipts();

    const TMLgExtTools* lg_;

    TMDataSet goods_;  // plu, quantity, value, save, identifier
    TMField* plu_ = nullptr;
    TMField* quantity_ = nullptr;
    TMField* value_ = nullptr;
    TMField* save_ = nullptr;
    TMField* identifier_ = nullptr;
    TMDataSet vatTable_;  // taxno, netto, vat, brutto
    TMField* taxno_ = nullptr;
    TMField* netto_ = nullptr;
    TMField* vat_ = nullptr;
    TMField* brutto_ = nullptr;
    TMDataSet index_;  // goods rows in ascending order of their codes
    TMField* indexCol_ = nullptr;
    std::string key_;  // the code searched for

    std::vector<std::unique_ptr<KRVParagon>> receipts_;
    std::vector<std::unique_ptr<KRVOther>> others_;
    std::array<Godzina, 24> hours_{};
    std::string liniePar_;
    KSWymiany wymiany_;
    std::vector<std::pair<std::string, std::string>> parameters_;
    std::string stanKasyText_;
    TdtTools dataSprzedazy_;
};

}  // namespace krv
