// TarviscoAction: the action of this library, one per host call for a DIGI SM
// scale. An export reads the host's goods file, builds the PLU file
// digism.exp, hands it to the scale-communication program SM_eth.exe, checks
// the program's error file and writes the export result for the host.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "action/ks_action.h"
#include "scale/digi_formats.h"
#include "scale/kod_wazony.h"
#include "scale/plu_record.h"

namespace krv {

namespace platform {
class Process;
}

class TarviscoAction : public KSAction {
  public:
    TarviscoAction(TKSLibrary* library, void* device);
    ~TarviscoAction() override;

    // The scale at the configured address is what operations of this device share.
    std::string NazwaZasobuDzielonego() override;
    int32_t Operacja(HKRVDLLSRODOWISKO& env, int32_t type, int32_t parameter) override;
    std::string WlasciwosciUrzadzenia(int32_t code) override;

    void ReadParams();
    // Additional device functions only reload the configuration.
    void DodFuncExecute(int32_t number);
    void Eksport();
    std::string WagaDigiFormat() const { return DigiTemplate(FormatKodu); }

    // --- the PLU file (tarvisco_plu.cpp) ---
    void MakePluRecs();
    // Whether the goods go to the scale, and with which PLU number (eight
    // digits, or longer when the number does not fit) and barcode.
    bool FormatujKodWazony(KSTowRec& rec, std::string& pluNumber, std::string& barcode);
    PluLayout Layout() const;

    // --- the program run (tarvisco_send.cpp) ---
    void SendPluRecs();
    void UruchomSterownik();
    void WeryfikujBledy();

    // --- file names ---
    std::string FNameEXP() const { return katalogWymiany + "digism.exp"; }
    std::string FNameDRV() const { return katalogWymiany + "SM_eth.exe"; }
    std::string FNameSEM() const { return katalogWymiany + "semafor.imp"; }
    std::string FNameERR() const { return katalogWymiany + "digism.err"; }
    std::string FNameWagiINI() const { return katalogWymiany + "wagi.ini"; }
    std::string FNameSM_ethINI() const { return katalogWymiany + "sm_eth.ini"; }

    // --- configuration, loaded by ReadParams ---
    int32_t Subgroup = 0;
    bool SubgroupOnly = false;
    int32_t SkadPlu = 0;  // 0 the host's goods number, 1 from the code
    int32_t KodyKD = 0;   // 0 short codes (barcode composed), 1 full weighted codes
    int32_t KodPocz = 0;
    int32_t KodKonc = 0;
    int32_t FormatEtyk = 0;
    int32_t RozmiarCzcionki = 0;
    int32_t RozmiarCzcionkiOpis = 0;
    bool DataSprzed = false;
    bool DataWazn = false;
    bool DataPakow = false;
    bool GodzinaPakow = false;
    int32_t FormatKodu = 0;  // the list index plus 1
    bool EksportujOpisy = false;
    std::string PrzedrWagowy;
    int32_t PoziomCen = 0;
    int32_t DescriptionMode = 0;
    bool Desc1 = false, Desc2 = false, Desc3 = false, Desc4 = false;
    int32_t LiczbaRekordow = 0;
    TKodWazony KodWazony;  // reads full codes; no format list of its own

    // Rows of the export buffer left out because a value does not fit the
    // record; they are not reported to the host as transferred.
    const std::vector<int>& Pominiete() const { return pominiete_; }

  private:
    // Stops the export when a setting does not fit its field in the record.
    void SprawdzKonfiguracje() const;
    void PokazPominiete();
    // Ends a program still running after a time-out or abort and says so.
    std::string ZakonczSterownik();
    // After a time-out: that the program had already ended by itself, and how
    // (a launcher that exits with 0 before its semaphore); "" when it runs.
    std::string ZakonczonyWczesniej();

    std::unique_ptr<KSExpBuf> bufor_;
    std::unique_ptr<platform::Process> sterownik_;
    std::vector<int> pominiete_;
    std::vector<std::string> pominieteOpis_;
};

}  // namespace krv
