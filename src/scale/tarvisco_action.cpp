#include "scale/tarvisco_action.h"

#include "exportdata/expbuf.h"
#include "host/library.h"
#include "platform/process.h"
#include "support/exception.h"
#include "support/strutil.h"

namespace krv {

namespace {

constexpr std::string_view kSection = "tarvisco_dgaction";

// The catalogue's description of a parameter, to name it in a message.
std::string OpisParametru(const std::string& name) {
    for (int32_t group : {101, 102}) {
        for (int32_t index = 0;; ++index) {
            std::string n, description, def, lower, upper;
            int32_t flags = 0;
            if (TKSLibrary::Parametr(group, index, n, description, def, lower, upper, flags) ==
                KRV_PARAM_NONE)
                break;
            if (TKSLibrary::ZgodnaNazwaParametru(n, name)) return description;
        }
    }
    return name;
}

}  // namespace

TarviscoAction::TarviscoAction(TKSLibrary* library, void* device)
    : KSAction(library, device), KodWazony(nullptr) {}

TarviscoAction::~TarviscoAction() = default;

std::string TarviscoAction::NazwaZasobuDzielonego() { return WartoscParametru("DigiSM_AdresIP"); }

std::string TarviscoAction::WlasciwosciUrzadzenia(int32_t code) {
    if (code == 1104) return "-1";
    if (code == 1101) return "0";
    return {};
}

void TarviscoAction::ReadParams() {
    Subgroup = ParamAsInt("DigiSM_Subgroup");
    SubgroupOnly = ParamAsInt("DigiSM_SubgroupOnly") != 0;
    SkadPlu = ParamAsInt("DigiSM_SkadPlu");
    KodyKD = ParamAsInt("DigiSM_KodyKD");
    KodPocz = ParamAsInt("DigiSM_KodPocz");
    KodKonc = ParamAsInt("DigiSM_KodKonc");
    FormatEtyk = ParamAsInt("DigiSM_FormatEtyk");
    RozmiarCzcionki = ParamAsInt("DigiSM_RozmiarCzcionki");
    RozmiarCzcionkiOpis = ParamAsInt("DigiSM_RozmiarCzcionkiOpis");
    DataSprzed = ParamAsInt("DigiSM_DataSprzed") != 0;
    DataWazn = ParamAsInt("DigiSM_DataWazn") != 0;
    DataPakow = ParamAsInt("DigiSM_DataPakow") != 0;
    GodzinaPakow = ParamAsInt("DigiSM_GodzinaPakow") != 0;
    FormatKodu = ParamAsInt("DigiSM_FormatKodu") + 1;
    EksportujOpisy = ParamAsInt("DigiSM_EksportujOpisy") != 0;
    // Blanks around the prefix would end up inside the barcode.
    PrzedrWagowy = Trim(ParamAsString("DigiSM_PrzedrWagowy"));
    PoziomCen = ParamAsInt("PoziomCen");
    DescriptionMode = ParamAsInt("DigiSM_DescriptionMode");
    Desc1 = ParamAsInt("DigiSMDesc1") != 0;
    Desc2 = ParamAsInt("DigiSMDesc2") != 0;
    Desc3 = ParamAsInt("DigiSMDesc3") != 0;
    Desc4 = ParamAsInt("DigiSMDesc4") != 0;
}

void TarviscoAction::DodFuncExecute(int32_t) { ReadParams(); }

int32_t TarviscoAction::Operacja(HKRVDLLSRODOWISKO& env, int32_t type, int32_t parameter) {
    ReadParams();
    switch (type) {
        case KRV_OP_DEVICE_FUNCTION:
            DodFuncExecute(parameter);
            env.result = 0;
            return 0;
        case KRV_OP_AUTO_EXPORT:  // started automatically: the same export
        case KRV_OP_EXPORT:
            Eksport();
            env.result = 0;
            return 0;
        default: return TKSActionBase::Operacja(env, type, parameter);
    }
}

PluLayout TarviscoAction::Layout() const {
    PluLayout l;
    l.RozmiarCzcionki = RozmiarCzcionki;
    l.RozmiarCzcionkiOpis = RozmiarCzcionkiOpis;
    l.FormatEtyk = FormatEtyk;
    l.FormatKodu = FormatKodu;
    l.DataSprzed = DataSprzed;
    l.DataWazn = DataWazn;
    l.DataPakow = DataPakow;
    l.GodzinaPakow = GodzinaPakow;
    l.EksportujOpisy = EksportujOpisy;
    l.PoziomCen = PoziomCen;
    l.DescriptionMode = DescriptionMode;
    l.Desc = {Desc1, Desc2, Desc3, Desc4};
    return l;
}

void TarviscoAction::SprawdzKonfiguracje() const {
    struct Check {
        const char* name;
        int32_t value;  // as the host holds it
        bool fits;
        std::string allowed;
    };
    const int32_t etykiety = [] {
        int32_t n = 0;
        while (!TKSLibrary::TekstListyParametru("DigiSM_FormatEtyk", n).empty()) ++n;
        return n;
    }();
    const Check checks[] = {
        {"DigiSM_RozmiarCzcionki", RozmiarCzcionki, RozmiarCzcionki >= 0 && RozmiarCzcionki <= 9,
         "0-9"},
        {"DigiSM_RozmiarCzcionkiOpis", RozmiarCzcionkiOpis,
         RozmiarCzcionkiOpis >= 0 && RozmiarCzcionkiOpis <= 9, "0-9"},
        {"DigiSM_FormatEtyk", FormatEtyk, FormatEtyk >= 0 && FormatEtyk < etykiety,
         "0-" + IntToStr(etykiety - 1)},
        {"DigiSM_FormatKodu", FormatKodu - 1, FormatKodu >= 1 && FormatKodu <= kDigiFormatCount,
         "0-" + IntToStr(kDigiFormatCount - 1)},
    };
    for (const Check& c : checks) {
        if (c.fits) continue;
        throw Exception(
            Format(TrFormat(TKSLibrary::CurrentLg(), kSection, "TarviscoEksportParamExceptio",
                            "Niedozwolona wartość %d parametru \"%s\" (%s), dozwolone: %s")
                       .c_str(),
                   c.value, OpisParametru(c.name).c_str(), c.name, c.allowed.c_str()));
    }
}

void TarviscoAction::Eksport() {
    ReadParams();
    if (KodyKD == 0 && WagaDigiFormat().empty())
        throw Exception(Tr(TKSLibrary::CurrentLg(), kSection, "TarviscoEksportExceptio",
                           "Niedozwolony format kodu ustawiony w konfiguracji (par. \"Format "
                           "kodu kreskowego na etykiecie\")"));
    SprawdzKonfiguracje();

    bufor_ = std::make_unique<KSExpBuf>(this);
    expBuf = bufor_.get();
    tekst.clear();
    LiczbaRekordow = 0;
    pominiete_.clear();
    pominieteOpis_.clear();
    try {
        expBuf->SetGoodsOnly(true);  // the scale takes the goods alone
        expBuf->ReadFromFile(FNameKEXP(), false, -1);
        MakePluRecs();
        SendPluRecs();
        // Every goods item counts as transferred (also those no scale takes),
        // except those whose values did not fit the record.
        expBuf->ResetTrOk(true);
        KSTowRec rec;
        for (int row : pominiete_) {
            expBuf->CzytajRec(row, &rec);
            rec.tr_ok = false;
            expBuf->ZapiszRec(row, &rec);
        }
        expBuf->ZapiszWynikEksp(FNameWEXP());
        ZapiszWynikEksportu();
    } catch (...) {
        expBuf = nullptr;
        bufor_.reset();
        MsgS(lpvFailed);
        throw;
    }
    expBuf = nullptr;
    bufor_.reset();
}

}  // namespace krv
