// TFrmStawkiNaKasie: the dialog that shows and edits the VAT ordering of a
// device. This class holds the dialog's behaviour and knows no toolkit; the
// native window (platform/vat_window.h) only shows its model.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/vat_window.h"
#include "support/lgext.h"
#include "support/macset.h"

namespace krv {

class TKSStawkiKolejne;

class TFrmStawkiNaKasie {
  public:
    static constexpr int32_t kResultOk = platform::kVatWindowOk;
    static constexpr int32_t kResultCancel = platform::kVatWindowCancel;

    // Shows a model modally and answers the result; the native window unless
    // a test has put something else in place.
    using WindowRunner = std::function<int32_t(platform::VatWindowModel&, void* owner)>;

    TFrmStawkiNaKasie(void* owner, bool hundredths, const TMLgExtTools* lg);

    // Every list gets the empty entry and then each host rate in display form.
    void SetStawkiMarket(const TMacSetOfIntegers& rates);
    // Selects in each list the item that shows the ordering's slot.
    void SetStawkiUrzadzenia(const TKSStawkiKolejne& ordering, bool editable);
    void SetIloscStawek(int32_t n);
    // Row labels counted from a number ("1" → 1:, 2: ...) or a letter ("A" → A:, B: ...).
    void SetNazwaStawki(const std::string& startName);
    void StawkaSpecjalna(const std::string& label, int32_t value);
    void SetSpecjalnaWidoczna(bool visible);
    bool GetSpecjalnaWidoczna() const { return model_.specialVisible; }
    // Reads the user's picks back into the ordering.
    void GetStawkiUrzadzenia(TKSStawkiKolejne& ordering) const;

    int32_t ShowModal();

    std::string ToDispFormat(int32_t value) const;
    int32_t FromDispFormat(const std::string& text) const;

    platform::VatWindowModel& Model() { return model_; }
    const platform::VatWindowModel& Model() const { return model_; }

    // Replaces the native window (tests); an empty runner restores it.
    static void SetWindowRunner(WindowRunner runner);

  private:
    void* owner_;
    bool hundredths_;
    const TMLgExtTools* lg_;
    platform::VatWindowModel model_;
    int32_t specialValue_ = -1;
};

}  // namespace krv
