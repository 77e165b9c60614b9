// The parameter catalogue and the library properties: fixed tables that the
// host reads to show and store a scale's configuration.
#include <array>
#include <span>

#include "host/library.h"
#include "support/cp1250.h"
#include "support/strutil.h"

namespace krv {

namespace {

constexpr const char* kSection = "tarvisco_dgaction";

// A text that is looked up under its key, or a fixed text when key is null.
struct Text {
    const char* key;
    const char* polish;  // UTF-8
};

std::string Show(const Text& t) {
    if (!t.key) return Utf8ToCp1250(t.polish);
    return Tr(TKSLibrary::CurrentLg(), kSection, t.key, t.polish);
}

struct Entry {
    const char* name;
    int32_t kind;
    const char* defaultValue;
    const char* lower;
    const char* upper;
    Text description;
};

// The tables keep one entry per line as the host lists them (not reflowed).
// clang-format off
constexpr Entry kGroup101[] = {
    {"DigiSM_Zlacze", KRV_PARAM_CHOICE, "1", "", "", {"TKSLibraParametrAOpis", "Złącze"}},
    {"DigiSM_AdresIP", KRV_PARAM_TEXT, "192.168.0.200", "", "",
     {"TKSLibraParametrAOpis_00001", "Adres IP"}},
    {"DigiSMNazwa", KRV_PARAM_TEXT, "Waga1", "", "", {nullptr, "Nazwa wagi"}},
    {"DigiSM_Subgroup", KRV_PARAM_TEXT, "", "", "",
     {"TKSLibraParametrAOpis_00002", "Skojarzona podgrupa PLU"}},
    {"DigiSM_SubgroupOnly", KRV_PARAM_CHOICE, "0", "", "",
     {"TKSLibraParametrAOpis_00003", "Wysyłaj tylko ze skojarzonej podgrupy"}},
    {"DigiSM_SkadPlu", KRV_PARAM_CHOICE, "1", "", "",
     {"TKSLibraParametrAOpis_00004", "Sposób tworzenia numeru PLU"}},
    {"PoziomCen", KRV_PARAM_CHOICE, "0", "", "", {"TKSLibraParametrAOpis_00005", "Poziom cen"}},
};

constexpr Entry kGroup102[] = {
    {"DigiSM_KodyKD", KRV_PARAM_CHOICE, "1", "", "",
     {"TKSLibraParametrAOpis_00006", "Digi SM - Jako kody ważone"}},
    {"DigiSM_KodPocz", KRV_PARAM_INTEGER, "1", "1", "99999",
     {"TKSLibraParametrAOpis_00007", "Digi SM - Kod początkowy (kody krótkie)"}},
    {"DigiSM_KodKonc", KRV_PARAM_INTEGER, "999", "1", "99999",
     {"TKSLibraParametrAOpis_00008", "Digi SM - Kod końcowy (kody krótkie)"}},
    {"DigiSM_PrzedrWagowy", KRV_PARAM_INTEGER, "29", "21", "99",
     {"TKSLibraParametrAOpis_00009", "Digi SM - Przedrostek ważony (kody krótkie)"}},
    {"DigiSM_FormatKodu", KRV_PARAM_CHOICE, "4", "", "",
     {"TKSLibraParametrAOpis_00010", "Digi SM - Format kodu kreskowego na etykiecie"}},
    {"DigiSM_FormatEtyk", KRV_PARAM_CHOICE, "17", "", "",
     {"TKSLibraParametrAOpis_00011", "Digi SM - Format etykiety"}},
    {"DigiSM_DataSprzed", KRV_PARAM_CHOICE, "0", "", "",
     {"TKSLibraParametrAOpis_00012", "Digi SM - Data \"sprzedać do\" na etykiecie"}},
    {"DigiSM_DataWazn", KRV_PARAM_CHOICE, "0", "", "",
     {"TKSLibraParametrAOpis_00013", "Digi SM - Data \"spożyć do\" na etykiecie"}},
    {"DigiSM_DataPakow", KRV_PARAM_CHOICE, "0", "", "",
     {"TKSLibraParametrAOpis_00014", "Digi SM - Data \"pakowano\" na etykiecie"}},
    {"DigiSM_GodzinaPakow", KRV_PARAM_CHOICE, "0", "", "",
     {"TKSLibraParametrAOpis_00015", "Digi SM - Godzina \"pakowano\" na etykiecie"}},
    {"DigiSM_DescriptionMode", KRV_PARAM_CHOICE, "0", "", "",
     {"TKSLibraParametrAOpis_00020", "Digi SM - Sposób wysyłania opisów"}},
    {"DigiSM_EksportujOpisy", KRV_PARAM_CHOICE, "0", "", "",
     {"TKSLibraParametrAOpis_00016", "Digi SM - Eksportuj pola Opis 1,2,3 (linie nazwy)"}},
    {"DigiSMDesc1", KRV_PARAM_CHOICE, "1", "", "",
     {nullptr, "Digi SM - Wysyłaj Opis 1 (linie składników)"}},
    {"DigiSMDesc2", KRV_PARAM_CHOICE, "1", "", "",
     {nullptr, "Digi SM - Wysyłaj Opis 2 (linie składników)"}},
    {"DigiSMDesc3", KRV_PARAM_CHOICE, "1", "", "",
     {nullptr, "Digi SM - Wysyłaj Opis 3 (linie składników)"}},
    {"DigiSMDesc4", KRV_PARAM_CHOICE, "1", "", "",
     {nullptr, "Digi SM - Wysyłaj Opis 4 (linie składników)"}},
    {"DigiSM_RozmiarCzcionkiOpis", KRV_PARAM_INTEGER, "3", "0", "9",
     {"TKSLibraParametrAOpis_00017", "Digi SM - Rozmiar czcionki opisów na etykiecie"}},
    {"DigiSM_RozmiarCzcionki", KRV_PARAM_INTEGER, "6", "0", "9",
     {"TKSLibraParametrAOpis_00018", "Digi SM - Rozmiar czcionki nazwy towaru na etykiecie"}},
    {"DigiSM_Timeout", KRV_PARAM_INTEGER, "120", "3", "99999",
     {"TKSLibraParametrAOpis_00019",
      "Digi SM - Timeout oczekiwania na zakończenie pracy sterownika (sek.)"}},
    {"DigiSM_HideDrv", KRV_PARAM_CHOICE, "0", "", "",
     {"TKSLibraParametrAOpis_00020", "Digi SM - Ukryj sterownik podczas pracy"}},
};

// Choice lists.
constexpr Text kTakNie[] = {{"TKSLibraTekstLisreturn", "Nie"},
                            {"TKSLibraTekstLisreturn_00001", "Tak"}};
constexpr Text kZlacze[] = {{"TKSLibraTekstLisreturn_00006", "Plik"}, {nullptr, "Ethernet"}};
constexpr Text kSkadPlu[] = {{"TKSLibraTekstLisreturn_00002", "Numer towaru z automatu"},
                             {"TKSLibraTekstLisreturn_00003", "Numer towaru z kodu kreskowego"}};
constexpr Text kPoziomCen[] = {{"TKSLibraTekstLisreturn_00017", "Detaliczna"},
                               {"TKSLibraTekstLisreturn_00018", "Hurtowa"},
                               {"TKSLibraTekstLisreturn_00019", "Nocna"},
                               {"TKSLibraTekstLisreturn_00020", "Dodatkowa"}};
constexpr Text kKodyKD[] = {{"TKSLibraTekstLisreturn_00004", "Krótkie (np. 123)"},
                            {"TKSLibraTekstLisreturn_00005", "Długie (np.280123?????]"}};
constexpr Text kDescriptionMode[] = {{nullptr, "linie nazwy towaru"},
                                     {nullptr, "linie składników"}};
constexpr Text kFormatEtyk[] = {
    {"TKSLibraTekstLisreturn_00007", "Domyślny"},
    {nullptr, "T1"}, {nullptr, "T2"}, {nullptr, "T3"}, {nullptr, "T4"}, {nullptr, "T5"},
    {nullptr, "T6"}, {nullptr, "T7"}, {nullptr, "T8"}, {nullptr, "T9"}, {nullptr, "T10"},
    {nullptr, "T11"}, {nullptr, "T12"}, {nullptr, "S"}, {nullptr, "A"}, {nullptr, "B"},
    {nullptr, "C"}, {nullptr, "F1"}, {nullptr, "F2"}, {nullptr, "F3"}, {nullptr, "F4"},
    {nullptr, "F5"}, {nullptr, "F6"}, {nullptr, "F7"}, {nullptr, "F8"},
};
constexpr Text kFormatKodu[] = {
    {nullptr, "F1F2 CCCCC S XXXX S"},
    {"TKSLibraTekstLisreturn_00008", "F2 CCCCCC S XXXX S (niedozwolony)"},
    {nullptr, "F1F2 CCCCC 0 XXXX SD"},
    {nullptr, "F1F2 CCCCCC XXXX S"},
    {nullptr, "F1F2 CCCCC XXXXX S"},
    {"TKSLibraTekstLisreturn_00009", "F2 CCCCCC XXXXX S (niedozwolony)"},
    {"TKSLibraTekstLisreturn_00010", "F2 CCCCC XXXXXX S (niedozwolony)"},
    {nullptr, "F1F2 CCCCCCCCCC S"},
    {nullptr, "F1F2 CCCC XXXXXX S"},
    {"TKSLibraTekstLisreturn_00011", "F1F2 CCCCC S (niedozwolony)"},
    {"TKSLibraTekstLisreturn_00012", "F2 CC XXXX S (niedozwolony)"},
    {"TKSLibraTekstLisreturn_00013", "No barcode (kod 12) (niedozwolony)"},
    {nullptr, "F1X1 CCCCC S XXXX S"},
    {nullptr, "F1X2 CCCCCC XXXX S"},
    {nullptr, "F1F2 CCCC S XXXXX S"},
    {"TKSLibraTekstLisreturn_00014", "F2 CCCCC S XXXXX S (niedozwolony)"},
    {nullptr, "F1F2 CCC XXXXXXX S"},
    {nullptr, "F1F2 CC XXXXXXXX S"},
    {"TKSLibraTekstLisreturn_00015", "CCC WWWW PPPPP S (niedozwolony)"},
    {"TKSLibraTekstLisreturn_00016", "No barcode (kod 20) (niedozwolony)"},
    {nullptr, "F1F2 CCCCC S XXXX S"},
};

struct List {
    const char* name;
    std::span<const Text> entries;
};

constexpr List kLists[] = {
    {"DigiSM_SubgroupOnly", kTakNie}, {"DigiSM_DataSprzed", kTakNie},
    {"DigiSM_DataWazn", kTakNie},     {"DigiSM_DataPakow", kTakNie},
    {"DigiSM_GodzinaPakow", kTakNie}, {"DigiSM_EksportujOpisy", kTakNie},
    {"DigiSM_HideDrv", kTakNie},      {"DigiSMDesc1", kTakNie},
    {"DigiSMDesc2", kTakNie},         {"DigiSMDesc3", kTakNie},
    {"DigiSMDesc4", kTakNie},         {"DigiSM_Zlacze", kZlacze},
    {"DigiSM_SkadPlu", kSkadPlu},     {"PoziomCen", kPoziomCen},
    {"DigiSM_KodyKD", kKodyKD},       {"DigiSM_DescriptionMode", kDescriptionMode},
    {"DigiSM_FormatEtyk", kFormatEtyk}, {"DigiSM_FormatKodu", kFormatKodu},
};
// clang-format on

}  // namespace

std::string TKSLibrary::Wlasciwosci(int32_t code) {
    switch (code) {
        case 1: return "Digi SM (Ethernet)";
        case 2: return "TV_Tarvisco";
        case 3:
            return Tr(CurrentLg(), kSection, "TKSLibraWlasciworeturn_00002",
                      "Testowano na:\r\nSM-300BJ wer. 14.84, SM-500 wer. 15.93c\r\n"
                      "SM_eth.exe wer. 1.0.0.0 z 27.11.2001");
        case 102:
        case 103: return "0";
        case 105: return "1";
        default: return {};
    }
}

int32_t TKSLibrary::Parametr(int32_t group, int32_t index, std::string& name,
                             std::string& description, std::string& defaultValue,
                             std::string& lower, std::string& upper, int32_t& flags) {
    lower.clear();
    upper.clear();
    flags = 0;
    std::span<const Entry> table;
    if (group == 101) table = kGroup101;
    if (group == 102) table = kGroup102;
    if (index < 0 || static_cast<size_t>(index) >= table.size()) return KRV_PARAM_NONE;
    const Entry& e = table[static_cast<size_t>(index)];
    name = e.name;
    description = Show(e.description);
    defaultValue = e.defaultValue;
    lower = e.lower;
    upper = e.upper;
    return e.kind;
}

std::string TKSLibrary::TekstListyParametru(const std::string& listName, int32_t index) {
    for (const List& list : kLists) {
        if (!ZgodnaNazwaParametru(listName, list.name)) continue;
        if (index < 0 || static_cast<size_t>(index) >= list.entries.size()) return {};
        return Show(list.entries[static_cast<size_t>(index)]);
    }
    return {};
}

}  // namespace krv
