// VAT-rate mapping of the action: the host's rate sets, the device orderings
// (whole percent and hundredths), their storage in hidden parameters and the
// dialog that edits them.
#include "action/action_base.h"
#include "action/stawki_kolejne.h"
#include "action/vat_dialog.h"
#include "host/library.h"
#include "platform/ui.h"
#include "support/strutil.h"

namespace krv {

namespace {

constexpr const char* kOrdering = "PosortowaneStawkiVat";
constexpr const char* kOrderingPrec = "PosortowaneStawkiVatPrec";
constexpr int32_t kRateCapacity = 100;

}  // namespace

TMacSetOfIntegers& TKSActionBase::GetStawkiDostepne() {
    if (!stawkiDostepne_) {
        stawkiDostepne_ = std::make_unique<TMacSetOfIntegers>(kRateCapacity);
        library_->WypelnijStawkiVAT(*this);
    }
    return *stawkiDostepne_;
}

TMacSetOfIntegers& TKSActionBase::GetStawkiDostepnePrec() {
    if (!stawkiDostepnePrec_) {
        stawkiDostepnePrec_ = std::make_unique<TMacSetOfIntegers>(kRateCapacity);
        library_->WypelnijStawkiVATPrec(*this);
    }
    return *stawkiDostepnePrec_;
}

TKSStawkiKolejne& TKSActionBase::GetStawkiKolejne() {
    if (!stawkiKolejne_) {
        stawkiKolejne_ = std::make_unique<TKSStawkiKolejne>();
        OdczytajStawkiKolejne();
    }
    return *stawkiKolejne_;
}

TKSStawkiKolejne& TKSActionBase::GetStawkiKolejnePrec() {
    if (!stawkiKolejnePrec_) {
        stawkiKolejnePrec_ = std::make_unique<TKSStawkiKolejne>();
        OdczytajStawkiKolejnePrec();
    }
    return *stawkiKolejnePrec_;
}

void TKSActionBase::OdczytajStawkiKolejne() {
    if (!stawkiKolejne_) stawkiKolejne_ = std::make_unique<TKSStawkiKolejne>();
    std::string text;
    ReadParamEx(kOrdering, text);
    if (Trim(text).empty())
        stawkiKolejne_->WczytajZListyDostepnychStawek(GetStawkiDostepne());
    else
        stawkiKolejne_->WczytajZTekstuParametru(text, false);
    stawkiKolejne_->ObetnijDoTylu(IleMaxStawekKolejnych());
}

void TKSActionBase::OdczytajStawkiKolejnePrec() {
    if (!stawkiKolejnePrec_) stawkiKolejnePrec_ = std::make_unique<TKSStawkiKolejne>();
    std::string text;
    ReadParamEx(kOrderingPrec, text);
    if (!Trim(text).empty()) {
        stawkiKolejnePrec_->WczytajZTekstuParametru(text, false);
    } else {
        // An ordering stored in whole percent only is carried over.
        ReadParamEx(kOrdering, text);
        if (!Trim(text).empty())
            stawkiKolejnePrec_->WczytajZTekstuParametru(text, true);
        else
            stawkiKolejnePrec_->WczytajZListyDostepnychStawek(GetStawkiDostepnePrec());
    }
    stawkiKolejnePrec_->ObetnijDoTylu(IleMaxStawekKolejnych());
}

void TKSActionBase::ZapiszStawkiKolejne() {
    WriteParamEx(kOrdering, GetStawkiKolejne().SpiszDoTekstuParametru());
}

void TKSActionBase::ZapiszStawkiKolejnePrec() {
    WriteParamEx(kOrderingPrec, GetStawkiKolejnePrec().SpiszDoTekstuParametru());
}

namespace {

// Shows the dialog for one variant; true when the user confirmed with OK.
bool ShowVatDialog(TKSActionBase& action, bool hundredths, TMacSetOfIntegers& rates,
                   TKSStawkiKolejne& ordering, const std::string& startName, bool editable,
                   const std::string& specialText) {
    TFrmStawkiNaKasie dialog(platform::GetApplicationWindow(), hundredths, action.GetLgLink());
    dialog.SetStawkiMarket(rates);
    dialog.SetStawkiUrzadzenia(ordering, editable);
    dialog.SetIloscStawek(action.IleMaxStawekKolejnych());
    dialog.SetNazwaStawki(startName);
    if (!specialText.empty()) {
        dialog.StawkaSpecjalna(specialText, -1);
        dialog.SetSpecjalnaWidoczna(true);
    }
    if (dialog.ShowModal() != TFrmStawkiNaKasie::kResultOk || !editable) return false;
    dialog.GetStawkiUrzadzenia(ordering);
    return true;
}

}  // namespace

void TKSActionBase::WyswietlOknoStawekNaKasie(const std::string& startName, bool editable,
                                              const std::string& specialText) {
    if (ShowVatDialog(*this, false, GetStawkiDostepne(), GetStawkiKolejne(), startName, editable,
                      specialText))
        ZapiszStawkiKolejne();
}

void TKSActionBase::WyswietlOknoStawekNaKasiePrec(const std::string& startName, bool editable,
                                                  const std::string& specialText) {
    if (ShowVatDialog(*this, true, GetStawkiDostepnePrec(), GetStawkiKolejnePrec(), startName,
                      editable, specialText))
        ZapiszStawkiKolejnePrec();
}

}  // namespace krv
