// The run of the scale-communication program: its two INI files, its start,
// the wait for its semaphore and the reading of its error file.
#include "exportdata/ljwords.h"
#include "host/library.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "scale/tarvisco_action.h"
#include "support/exception.h"
#include "support/ltools.h"
#include "support/mfile.h"
#include "support/strutil.h"

namespace krv {

namespace {

constexpr std::string_view kSection = "tarvisco_dgaction";

// A program that ended without its semaphore gets this long for the file to
// show up (a slow network share) before the export fails.
constexpr int64_t kGraceMs = 2000;
// How long a program may take to exit after its semaphore.
constexpr int32_t kExitWaitMs = 500;
// How long ending a program may take.
constexpr int32_t kKillWaitMs = 5000;

// Removes a file left by an earlier run; one that stays would end the coming
// wait at once, or be read as this run's result.
// Fails, naming the file and the system's reason, when the file cannot be
// examined: that is no answer to whether it is there.
bool JestPlik(const std::string& path) {
    std::string reason;
    platform::FileProbe probe = platform::ProbeFile(path, &reason);
    if (probe == platform::FileProbe::kUnknown)
        throw Exception(Format(
            KSAction::TrFormat(TKSLibrary::CurrentLg(), kSection, "TarviscoSendPluRNieSprawdzony",
                               "Nie można sprawdzić pliku %s: %s")
                .c_str(),
            path.c_str(), reason.c_str()));
    return probe == platform::FileProbe::kFile;
}

void UsunStary(const std::string& path) {
    if (!JestPlik(path)) return;
    platform::RemoveFile(path);
    if (JestPlik(path))
        throw Exception(Format(
            KSAction::TrFormat(TKSLibrary::CurrentLg(), kSection, "TarviscoSendPluRUsunExceptio",
                               "Nie można usunąć pliku %s z poprzedniego eksportu")
                .c_str(),
            path.c_str()));
}

// A program that ended by itself with a non-zero status, or by a signal.
bool Nieudany(const platform::ExitStatus& status) {
    return (status.kind == platform::ExitStatus::Kind::kExited && status.code != 0) ||
           status.kind == platform::ExitStatus::Kind::kSignalled;
}

std::string OpisStatusu(const platform::ExitStatus& status) {
    const TMLgExtTools* lg = TKSLibrary::CurrentLg();
    switch (status.kind) {
        case platform::ExitStatus::Kind::kExited:
            return Format(
                KSAction::TrFormat(lg, kSection, "TarviscoSendPluRKodWyjscia", "kod wyjścia %u")
                    .c_str(),
                status.code);
        case platform::ExitStatus::Kind::kSignalled:
            return Format(
                KSAction::TrFormat(lg, kSection, "TarviscoSendPluRSygnal", "zakończony sygnałem %u")
                    .c_str(),
                status.code);
        default: return Tr(lg, kSection, "TarviscoSendPluRNieznany", "kod wyjścia nieznany");
    }
}

}  // namespace

void TarviscoAction::SendPluRecs() {
    const TMLgExtTools* lg = TKSLibrary::CurrentLg();
    MsgAdd(Tr(lg, kSection, "TarviscoSendPluRMsgAdd", "Przygotowanie sterownika do pracy"),
           lpvPlain, 100);
    if (ParamAsInt("DigiSM_Zlacze") == 0) {
        DodajKomunikat(KRV_MSG_WARNING, Tr(lg, kSection, "SendPluRDodajKomKRVDLL_Z",
                                           "Eksport tylko do Pliku (digism.exp)"));
        return;
    }
    if (LiczbaRekordow == 0) {
        MsgAdd(Tr(lg, kSection, "TarviscoSendPluRMsgAdd_00001",
                  "Brak rekordów do wysłania... przerywam..."),
               lpvPlain, 100);
        return;
    }
    if (!JestPlik(FNameDRV()))
        throw Exception(
            Tr(lg, kSection, "SendPluRExceptioAnsiStri", "Brak programu SM_eth.exe w katalogu ") +
            katalogWymiany);
    UsunStary(FNameSEM());
    UsunStary(FNameERR());
    MsgS(lpvFinished);

    tekst = "[1]\r\nNazwa=" + ParamAsString("DigiSMNazwa") +
            "\r\nAdres=" + ParamAsString("DigiSM_AdresIP");
    TLTools::BufToFile(tekst, FNameWagiINI());
    tekst = "[Zbiory]\r\nDaneWej=" + FNameEXP() + "\r\nDaneWyj=" + FNameERR() +
            "\r\nSemaforWyj=" + FNameSEM() + "\r\n\r\n[Opcje]\r\nWejscieStronaKodowa=windows-1250";
    TLTools::BufToFile(tekst, FNameSM_ethINI());

    MsgAdd(
        Tr(lg, kSection, "TarviscoSendPluRMsgAdd_00002", "Trwa eksport towarów na wagę. Czekaj..."),
        lpvPlain, 100);
    UruchomSterownik();

    // A program that failed (a non-zero exit status or a signal) without its
    // semaphore will never write it. One that ended with status 0 may have
    // handed the work to another process (a launcher): the wait goes on.
    int64_t endedAt = -1;
    auto programGone = [&] {
        if (!sterownik_ || !sterownik_->HasEnded() || !Nieudany(sterownik_->Status())) return false;
        const int64_t now = platform::CurrentClock().MonotonicMs();
        if (endedAt < 0) endedAt = now;
        return now - endedAt >= kGraceMs;
    };
    int32_t result;
    try {
        result = WaitForFileState(FNameSEM(), false, ParamAsInt("DigiSM_Timeout"), programGone);
    } catch (...) {
        ZakonczSterownik();
        throw;
    }
    switch (result) {
        case kWaitTimeOut: {
            // Before the program's handle goes with ZakonczSterownik.
            const std::string ended = ZakonczonyWczesniej();
            throw Exception(Tr(lg, kSection, "TarviscoSendPluRExceptio_00001",
                               "Sterownik nie odpowiedział w zadanym czasie") +
                            ended + ZakonczSterownik());
        }
        case kWaitAborted:
            throw Exception(Tr(lg, kSection, "TarviscoSendPluRExceptio",
                               "Eksport przerwany przez użytkownika") +
                            ZakonczSterownik());
        case kWaitGivenUp: {
            const std::string status = OpisStatusu(sterownik_->Status());
            ZakonczSterownik();  // whatever it started goes with it
            throw Exception(Format(TrFormat(lg, kSection, "TarviscoSendPluRExceptioKoniec",
                                            "Sterownik zakończył działanie bez utworzenia pliku "
                                            "semafora (%s)")
                                       .c_str(),
                                   status.c_str()));
        }
        default: break;
    }
    // The program creates its semaphore last, so it is ending now: let it
    // finish, so that its handle is released with nothing left running. One
    // that lingers has done its work and is left to itself.
    sterownik_->WaitFor(kExitWaitMs);
    sterownik_.reset();

    MsgS(lpvFinished);
    MsgAdd(Tr(lg, kSection, "TarviscoSendPluRMsgAdd_00003", "Weryfikacja transmisji"), lpvPlain,
           100);
    WeryfikujBledy();
    MsgS(lpvFinished);
}

void TarviscoAction::UruchomSterownik() {
    const std::string parameters =
        Format("W=1 I=%d%s T=4", ParamAsInt("DigiSM_HideDrv") == 0 ? 1 : 0, "");
    sterownik_ = std::make_unique<platform::Process>();
    std::string reason;
    if (!sterownik_->Start(FNameDRV(), parameters, katalogWymiany, &reason)) {
        sterownik_.reset();
        std::string text = Tr(TKSLibrary::CurrentLg(), kSection, "TarviscoUruchomSExceptio",
                              "Nie powiodło się uruchomienie SM_Eth.exe!");
        if (!reason.empty()) text += "\r\n" + reason;
        throw Exception(text);
    }
}

std::string TarviscoAction::ZakonczonyWczesniej() {
    if (!sterownik_ || !sterownik_->Held() || !sterownik_->HasEnded()) return {};
    return "\r\n" +
           Format(TrFormat(TKSLibrary::CurrentLg(), kSection, "TarviscoSendPluRZakonczonyWczesniej",
                           "Program SM_eth.exe zakończył już wcześniej działanie (%s), "
                           "nie tworząc pliku semafora.")
                      .c_str(),
                  OpisStatusu(sterownik_->Status()).c_str());
}

std::string TarviscoAction::ZakonczSterownik() {
    if (!sterownik_ || !sterownik_->Held()) return {};
    std::string text;
    if (sterownik_->HasEnded()) {
        // A launcher that has ended may have left its worker: that one goes
        // too, so that no stray program writes into the next export.
        sterownik_->Kill(0);
    } else {
        const bool ended = sterownik_->Kill(kKillWaitMs);
        text =
            "\r\n" + (ended ? Tr(TKSLibrary::CurrentLg(), kSection, "TarviscoSendPluRZatrzymany",
                                 "Program SM_eth.exe został zatrzymany.")
                            : Tr(TKSLibrary::CurrentLg(), kSection, "TarviscoSendPluRNieZatrzymany",
                                 "Nie udało się zatrzymać programu SM_eth.exe."));
    }
    sterownik_.reset();
    return text;
}

void TarviscoAction::WeryfikujBledy() {
    const TMLgExtTools* lg = TKSLibrary::CurrentLg();
    if (!JestPlik(FNameERR()))
        throw Exception(
            Tr(lg, kSection, "TarviscoWeryfikuExceptio", "Sterownik nie utworzył pliku z błędami"));
    const std::string format = TrFormat(lg, kSection, "TarviscoWeryfikuFormat",
                                        "IP: %s, Nr linii: %s, Nr PLU: %s, Kod błędu: %s");
    TMFile file;  // closed by its destructor, also when reading fails
    file.SetPath(FNameERR());
    file.SetReadOnly(true);
    file.Open();
    TLJWords words;
    words.Delimiter = "\t";
    std::string line;
    int count = 0;
    while (file.ReadLine(line, "\r\n")) {
        if (line.empty()) continue;       // a blank line reports nothing
        if (count == 0) MsgS(lpvFailed);  // so that no error line is written over later
        words.Init(line);
        DodajKomunikat(KRV_MSG_ERROR, words[5]);
        DodajKomunikat(KRV_MSG_ERROR, Format(format.c_str(), words[1].c_str(), words[2].c_str(),
                                             words[3].c_str(), words[4].c_str()));
        ++count;
    }
    file.Close();
    if (count > 0)
        throw Exception(Tr(lg, kSection, "TarviscoWeryfikuExceptio_00001",
                           "Sterownik zakończył działanie z błędami"));
}

}  // namespace krv
