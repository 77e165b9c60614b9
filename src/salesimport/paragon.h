// KRVParagon: one receipt of a register with its goods positions and
// payments, in the order added. A register driver derives its own receipt and
// overrides the hooks; the sales import buffer takes the receipt over, writes
// it after the [FLAGI] section and destroys it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "salesimport/receipt_items.h"

namespace krv {

class TMFile;

class KRVParagon {
  public:
    KRVParagon() = default;
    KRVParagon(const KRVParagon&) = delete;
    KRVParagon& operator=(const KRVParagon&) = delete;

    // Hooks, called as positions and payments arrive and before the buffer
    // takes the receipt. The base takes the receipt number and date from the
    // first position when the receipt has none; the others do nothing.
    // Declared in the slot order that register drivers derive from.
    virtual void ProcessFirstPosition(KRVPosition& position);
    virtual void ProcessFirstPayment(KRVPayment& payment);
    virtual void ProcessEachPosition(KRVPosition& position);
    virtual void ProcessEachPayment(KRVPayment& payment);
    virtual ~KRVParagon();
    virtual void PostProcess();

    // The receipt takes over a position or payment made with new and hands
    // back itself. The reference forms take over the object behind the
    // reference, which must also have been made with new.
    KRVParagon& operator+(KRVPosition* position);
    KRVParagon& operator+(KRVPayment* payment);
    KRVParagon& operator+(KRVPosition& position) { return *this + &position; }
    KRVParagon& operator+(KRVPayment& payment) { return *this + &payment; }
    // The same with the ownership in the type.
    KRVParagon& operator+(std::unique_ptr<KRVPosition> position);
    KRVParagon& operator+(std::unique_ptr<KRVPayment> payment);

    int GetnPosCount() const { return static_cast<int>(positions_.size()); }
    KRVPosition* GetPozycje(int i) const { return positions_.at(static_cast<size_t>(i)).get(); }
    int GetnPaymentCount() const { return static_cast<int>(payments_.size()); }
    KRVPayment* GetPlatnosci(int i) const { return payments_.at(static_cast<size_t>(i)).get(); }

    // The header line without its leading empty line and [Paragon nr] line:
    // "KSK;" or "TRN;" and the receipt's fields.
    std::string HeaderLine() const;
    // The header as written: an empty line, [Paragon nr N] and the header
    // line, at most 255 characters; a longer header loses the end of the
    // receipt's text, never its other fields or its line end.
    std::string HeaderText() const;
    // The header, the positions (not for a register report) with a pause of
    // 100 ms after every 100th, and the payments, the last one marked last.
    void WriteTo(TMFile& file);

    static constexpr size_t kMaxHeader = 255;
    static constexpr int32_t kPositionsPerPause = 100;
    static constexpr int32_t kPauseMs = 100;

    bool raportKasowy = true;  // a register report: "KSK;" and no positions; else "TRN;"
    int32_t numer1 = -1;       // written as it is
    int32_t nrParagonu = -1;
    int32_t opcja1 = -1;  // the optional numbers are written empty when -1
    int32_t opcja2 = -1;
    std::string tekst;
    int32_t opcja3 = -1;
    double data = 0;
    int32_t rabat = 0;
    int32_t numerOstatni = -1;  // written as it is

  private:
    std::string HeaderFrom(const std::string& text) const;

    std::vector<std::unique_ptr<KRVPosition>> positions_;
    std::vector<std::unique_ptr<KRVPayment>> payments_;
};

}  // namespace krv
