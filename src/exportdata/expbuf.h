// KSExpBuf: the in-memory buffer of one goods export. It reads the host's
// goods file into tables (goods, additional information, sort index,
// assortments, partners) and side lists (VAT rates, units, cashiers,
// currencies, the euro rate), gives indexed access to the records, sorts and
// searches the goods by barcode, reconciles them with a device's own list and
// writes the export result for the host.
//
// Goods rows keep their numbers for the life of the buffer: sorting permutes
// only the index table. Barcodes are ordered by their Windows-1250 bytes
// (unsigned, case-sensitive), the same on every platform.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "exportdata/kasjer.h"
#include "exportdata/kontrrec.h"
#include "exportdata/quicksort.h"
#include "exportdata/towrec.h"
#include "support/lgext.h"
#include "support/mdataset.h"

namespace krv {

class FieldViews;
class TKSActionBase;

class KSExpBuf : public TLQuickSort {
  public:
    // The action receives the progress messages; it may be null.
    explicit KSExpBuf(TKSActionBase* action);
    ~KSExpBuf() override;
    KSExpBuf(const KSExpBuf&) = delete;
    KSExpBuf& operator=(const KSExpBuf&) = delete;

    // --- reading the goods file (expbuf_read.cpp) ---

    // Archives the file into ARCH2.EXP beside it, then reads every line.
    // A missing or unreadable file, and any bad line, ends the reading with
    // an exception; rows read before it stay.
    void ReadFromFile(const std::string& path, bool sort, int exportKind);
    // For an export that uses the goods records alone (a scale takes no
    // partners, cashiers, currencies, assortment or euro rate): a line of
    // another kind that cannot be read, and a goods field the export never
    // reads, give a warning after the reading instead of failing it; the
    // line, or that field, is left out.
    void SetGoodsOnly(bool goodsOnly) { goodsOnly_ = goodsOnly; }

    // --- records ---

    // Appends a goods row; its nr_buf column becomes the row's number.
    void DodajRec(const KSTowRec* rec);
    // Appends a partner row; its NrBuf column becomes the row's number.
    void DodajRec(const KSKontrRec* rec);
    void DodajAsort(const KSAsort* rec);
    void CzytajRec(int row, KSTowRec* rec) const;
    // Only the columns a device record is built from: plu, kod, nazwa, the
    // four prices, precyzja, czy_wazony, wagowo_ilosciowy, status, TerminW
    // and opis1-4. The other members keep their values; a walk over every
    // goods row then copies a third of the texts.
    void CzytajRecDoUrzadzenia(int row, KSTowRec* rec) const;
    void CzytajRec(int row, KSKontrRec* rec) const;
    // Copies the bytes of plu_rec of the row, without a terminating zero.
    void CzytajPluRec(int row, char* buffer) const;
    void CzytajAsort(int row, KSAsort* rec) const;
    // Writes every column of the record into the row; the status counters
    // follow the change of status.
    void ZapiszRec(int row, const KSTowRec* rec);
    void ResetFlags(bool value);
    void ResetTrOk(bool value);
    // A row of the device's own list (barcode and additional information).
    void AddInPlu(const std::string& kod, const std::string& dodinfo);

    // --- customer cards (expbuf_cards.cpp) ---

    // Appends one goods record per partner, its barcode the partner's card
    // code by the card-format template and its number the partner's id plus
    // `offset`; `debug` receives how each card was composed (the first 3000).
    // Returns the number of goods made from partners.
    int UtworzTowaryZKontrahentow(int32_t offset, const std::string& wzorzec, std::string& debug);

    // --- sort and search ---

    // One index row per goods row, in row order.
    void CreateIndex();
    // The goods row whose barcode is `kod` among the first `count`, or -1.
    // Sorts the index on first use.
    int FindRec(const std::string& kod, int count);

    // --- side lists ---

    KSKasjer* GetKasjer(int i) const;
    KSWaluta* GetWaluta(int i) const;
    // The VAT number (position from 1 in the VAT list) of a rate in whole
    // percent, respectively in hundredths of a percent. A rate that is not in
    // the list gives the number of the last rate found (1 before any).
    int NumerStawki(int rate);
    int NumerStawkiPrec(int rate);
    // The name of the unit with that id; "szt." when there is none.
    std::string NazwaJedn(int id);
    int IdxJednId(int i) const;
    int IdxJednPrec(int i) const;
    std::string IdxJednNazwa(int i) const;

    // Empties the tables and lists and zeroes the goods counters; the next
    // search sorts again.
    void Clear();

    // --- comparison and result (expbuf_result.cpp) ---

    // Writes the export result: one line per transferred goods row.
    void ZapiszWynikEksp(const std::string& path);
    // Recounts the goods and status counters from the goods table.
    void PrzeliczTowary();
    // Reconcile the goods with the device's list (AddInPlu rows).
    void AnalizujCancelBufor(bool stripZeros);
    void ComparePLUSets(bool stripZeros);

    // --- TLQuickSort, over the index table ---
    int SortCompare(int i, int j) override;
    void ExChange(int i, int j) override;
    int FindCompare(int i) override;

    // --- hooks for derived buffers ---
    // Copies a device entry's additional information into a record.
    virtual void DodInfo2TowRec(const std::string& dodinfo, KSTowRec* rec);
    // Status 2 (price change) or 0 (add) of `a` becomes 1 (update).
    virtual void ModifyPLUStatus(KSTowRec& a, KSTowRec& b);
    // Whether the device's goods `b` is to be deleted as well; false here.
    virtual bool CheckIfDeletePLU(KSTowRec& a, KSTowRec& b);

    // --- state ---
    TKSActionBase* GetAction() const { return action_; }
    const TMLgExtTools* GetLg() const { return lg_; }

    TMDataSet& Towary() { return towary_; }
    TMDataSet& DodInfo() { return dodInfo_; }
    TMDataSet& Indeks() { return indeks_; }
    TMDataSet& Asortymenty() { return asort_; }
    TMDataSet& Kontrahenci() { return kontr_; }

    int GetGoodsCount() const { return goodsCount_; }
    // Goods rows with status 0 add, 1 update, 2 price change, 3 delete.
    int GetStatusCount(int status) const;
    int GetPackageCount() const { return packageCount_; }
    int GetResultLineCount() const { return resultLines_; }
    // True after a "KON" line, false after a "KONA" line.
    bool GetPartnerKind() const { return partnerKind_; }
    int GetPartnerCount() const { return partnerCount_; }
    int GetGoodsFromPartnersCount() const { return goodsFromPartners_; }
    double GetEuroRate() const { return euroRate_; }

    const std::vector<std::string>& StawkiVat() const { return vat_; }
    const std::vector<std::string>& StawkiVatPrec() const { return vatPrec_; }
    const std::vector<std::string>& Jednostki() const { return units_; }
    int GetKasjerCount() const { return static_cast<int>(cashiers_.size()); }
    int GetWalutaCount() const { return static_cast<int>(currencies_.size()); }
    const std::string& GetKasjerText(int i) const {
        return cashiers_.at(static_cast<size_t>(i)).first;
    }
    const std::string& GetWalutaText(int i) const {
        return currencies_.at(static_cast<size_t>(i)).first;
    }

  private:
    // The columns of the goods and partner tables, one per record field
    // (towrec_fields.h, kontrrec_fields.h), looked up once.
#define KRV_COLUMN_POINTER(member, ...) TMField* member = nullptr;
    struct GoodsColumns {
        KRV_TOWREC_FIELDS(KRV_COLUMN_POINTER)
    };
    struct PartnerColumns {
        KRV_KONTRREC_FIELDS(KRV_COLUMN_POINTER)
    };
#undef KRV_COLUMN_POINTER

    void BuildTables();
    // `fresh`: the row was just appended and holds only zeros and empty
    // texts, so those values need no writing.
    void WriteGoodsRow(size_t row, const KSTowRec& rec, bool fresh = false);
    void CountStatus(int status, int delta);
    // What a goods-only read left out of line n (from 1), and why.
    void LeftOut(size_t n, std::string_view line, const std::string& why);
    void WarnLeftOut();
    // One trimmed, non-empty, non-comment line of the goods file.
    void DispatchLine(FieldViews& words, std::string_view line, KSTowRec& tow, KSKontrRec& kontr,
                      KSAsort& asort);
    // Shared by the two reconciliations.
    void Reconcile(bool stripZeros, bool compareSets);
    int32_t IndexRow(int i) const { return indexCol_->GetAsIntegerAt(static_cast<size_t>(i)); }

    TKSActionBase* action_;
    const TMLgExtTools* lg_;
    std::string key_;  // the barcode searched for

    TMDataSet towary_;
    TMDataSet dodInfo_;
    TMDataSet indeks_;
    TMDataSet asort_;
    TMDataSet kontr_;
    GoodsColumns g_{};
    PartnerColumns k_{};
    TMField* indexCol_ = nullptr;
    TMField* dodKod_ = nullptr;
    TMField* dodInfoCol_ = nullptr;
    TMField* asNo_ = nullptr;
    TMField* asName_ = nullptr;

    std::vector<std::pair<std::string, std::unique_ptr<KSKasjer>>> cashiers_;
    std::vector<std::pair<std::string, std::unique_ptr<KSWaluta>>> currencies_;

    int resultLines_ = 0;
    int goodsCount_ = 0;
    std::array<int, 4> statusCounts_{};
    int packageCount_ = 0;
    bool partnerKind_ = false;
    int partnerCount_ = 0;
    int goodsFromPartners_ = 0;

    std::vector<std::string> vat_;
    std::vector<std::string> vatPrec_;
    std::vector<std::string> units_;  // id;precision;name
    double euroRate_ = 0;
    bool goodsOnly_ = false;
    std::vector<std::string> leftOut_;  // warnings of a goods-only read
    size_t lineNumber_ = 0;             // of the line being dispatched, from 1

    // Last answers of NumerStawki, NumerStawkiPrec and NazwaJedn, kept per
    // buffer so that one buffer never answers with another's lists.
    int vatCacheRate_ = 9999;
    int vatCacheNumber_ = 1;
    int vatPrecCacheRate_ = 99999;
    int vatPrecCacheNumber_ = 1;
    int unitCacheId_ = -1;
    std::string unitCacheName_;
};

}  // namespace krv
