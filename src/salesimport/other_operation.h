// KRVOther: a register operation that is not a sale (cash deposit or
// withdrawal, void, cancellation, shift opening or closing), with the goods
// positions and payments it concerns.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "salesimport/receipt_items.h"

namespace krv {

class TMFile;

class KRVOther {
  public:
    // Operation types; any other type is written without a prefix.
    static constexpr int32_t kWplata = 0;            // cash deposit, "OP_WPL;"
    static constexpr int32_t kWyplata = 1;           // withdrawal, "OP_WYPL;"
    static constexpr int32_t kStorno = 2;            // void, "OP_STORNO;"
    static constexpr int32_t kAnulowanie = 3;        // cancellation, "OP_ANUL;"
    static constexpr int32_t kOtwarcieZmiany = 4;    // shift opening, "OP_OTW_ZW;"
    static constexpr int32_t kZamkniecieZmiany = 5;  // shift closing, "OP_ZAMK_ZM;"

    KRVOther() = default;
    KRVOther(const KRVOther&) = delete;
    KRVOther& operator=(const KRVOther&) = delete;

    // Takes over an object made with new.
    void Add(KRVPosition* position);
    void Add(KRVPayment* payment);
    void Add(std::unique_ptr<KRVPosition> position);
    void Add(std::unique_ptr<KRVPayment> payment);
    int GetPozycjeTowCount() const { return static_cast<int>(positions_.size()); }
    KRVPosition* GetPozycjeTow(int i) const { return positions_.at(static_cast<size_t>(i)).get(); }
    int GetPaymentCount() const { return static_cast<int>(payments_.size()); }
    KRVPayment* GetPlatnosc(int i) const { return payments_.at(static_cast<size_t>(i)).get(); }

    // The prefix of an operation type ("" for an unknown one).
    static const char* Prefix(int32_t type);
    // LF [INNA_OPER] LF, the operation line (CR LF), then the positions and
    // the payments.
    std::string ToString() const;
    void WriteTo(TMFile& file) const;
    void WriteTo(std::ostream& out) const;

    int32_t typ = kWplata;
    std::string tekst1;
    std::string tekst2;
    std::string tekst3 = "-1";
    int32_t liczba1 = -1;
    int32_t liczba2 = -1;
    double data = 0;

  private:
    std::vector<std::unique_ptr<KRVPosition>> positions_;
    std::vector<std::unique_ptr<KRVPayment>> payments_;
};

}  // namespace krv
