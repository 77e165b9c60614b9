// TKSActionBase: the context of one host request for one device. It lives for
// one exported call, mirrors the host's operation window (messages and the
// progress line), forwards to the host callbacks and turns any failure into
// the one message of the final catcher.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "krvdll.h"
#include "support/lgext.h"
#include "support/macset.h"

namespace krv {

class TKSLibrary;
class TKSStawkiKolejne;

// State of the current progress line.
enum LPVState : int32_t {
    lpvFinished = KRV_STATE_FINISHED,  // status column "OK"
    lpvFailed = KRV_STATE_FAILED,      // sent as an error line
    lpvWarning = KRV_STATE_WARNING,    // sent as a warning line
    lpvPercent = KRV_STATE_PERCENT,    // running, percentage in the status column
    lpvCount = KRV_STATE_COUNT,        // running, count in the status column
    lpvPlain = KRV_STATE_PLAIN,        // plain text
};

// The character that divides a message from its status column.
inline constexpr char kStatusSeparator = KRV_STATUS_SEPARATOR;

// The environment record of one operation call.
struct HKRVDLLSRODOWISKO {
    std::string text;               // in: the caller's text; out: copied back
    void** session_slot = nullptr;  // the host's session cell (read only)
    int32_t result = 0;             // the operation's result code
};

class TKSActionBase {
  public:
    TKSActionBase(TKSLibrary* library, void* device);
    virtual ~TKSActionBase();
    TKSActionBase(const TKSActionBase&) = delete;
    TKSActionBase& operator=(const TKSActionBase&) = delete;

    // --- virtual operations, in slot order ---
    virtual std::string NazwaZasobuDzielonego() = 0;
    virtual bool JakSzukacParagonu(int32_t* a, int32_t* b, int32_t* c);
    virtual int32_t Operacja(HKRVDLLSRODOWISKO& env, int32_t type, int32_t parameter);
    virtual std::string WlasciwosciUrzadzenia(int32_t code);
    virtual int32_t IleMaxStawekKolejnych() const { return 10; }

    // --- device data, filled by the host at construction ---
    TKSLibrary* GetLibrary() const { return library_; }
    void* GetDevice() const { return device_; }
    int32_t daneInt1 = -1;
    int32_t daneInt2 = 0;
    std::string daneTekst1;
    std::string daneTekst2;
    std::string katalogWymiany;  // exchange directory, ends with a path separator

    // --- messages and progress ---
    void MsgAdd(const std::string& text, int32_t state, int32_t maximum);
    void MsgP(int32_t position);
    void MsgS(int32_t state);
    void DodajKomunikat(int32_t kind, const std::string& text);
    std::string ZmienOstatniKomunikat(int32_t kind, const std::string& text);
    std::string PodajOstatniKomunikat(bool cut) const;

    const std::string& ProgressLine() const { return progressLine_; }
    int32_t ProgressState() const { return progressState_; }
    int32_t ProgressMax() const { return progressMax_; }
    int32_t ProgressPosition() const { return progressPosition_; }

    // --- forwarders to the host callbacks ---
    bool CzyPrzerwac() const;
    std::string WartoscParametru(const std::string& name) const;
    bool OdczytajTowar(const std::string& key, std::string& record) const;
    void OdswiezParametry() const;
    void ZwolnijZasobSterownika(const std::string& name) const;
    void KasujFlageAlarmu() const;
    int32_t WstrzymajOperacje(const std::string& text, int32_t value) const;
    void ZapiszStanLicznika(int32_t* counters, int32_t count) const;
    void ZapiszStanICzasLicznika(int32_t* counters, int32_t count, const std::string& time) const;
    int32_t DodajTowarZKasy(const std::string& t1, int32_t i1, const std::string& t2, int32_t i2,
                            const std::string& t3, const std::string& t4, int32_t i3, double f1,
                            double f2, double f3, double f4, int32_t i4, int32_t i5,
                            const std::string& t5) const;
    // The library's translation object; null before the host registered
    // KRV_CB_TRANSLATE.
    const TMLgExtTools* GetLgLink() const;

    // --- operations with behaviour of their own ---
    void SprawdzCzyPrzerwac() const;  // throws EAbort when the user interrupts
    void ZajmijZasobSterownika(const std::string& name) const;
    void ZapiszWynikEksportu() const;
    void ZapiszKasaImp() const;
    void ZapiszParagonImp() const;
    std::vector<std::string>& GetFormatyWazone();
    void UstawParametrOperacji(int32_t value) { operationParameter_ = value; }
    int32_t ParametrOperacji() const { return operationParameter_; }

    // Final catcher: turns a failure into error lines for the host. A null
    // exception is a failure that is not an Exception. Never throws.
    void OstatecznePrzechwycenieBledu(const std::string& operationName,
                                      const std::exception* e) noexcept;

    // --- parameter access (action_params.cpp) ---
    std::string ParamAsString(const std::string& name) const;
    int32_t ParamAsInt(const std::string& name) const;
    double ParamAsDate(const std::string& name) const;
    std::string ParamAsDir(const std::string& name);
    void ReadParamEx(const std::string& name, std::string& value) const;
    void WriteParamEx(const std::string& name, const std::string& value) const;
    void ZmienParametr(const std::string& name, const std::string& value) const;
    std::string ReadLongParamEx(const std::string& name, int32_t count) const;
    void WriteLongParamEx(const std::string& name, const std::string& value, int32_t count) const;

    // --- VAT-rate mapping (action_vat.cpp) ---
    TMacSetOfIntegers& GetStawkiDostepne();
    TMacSetOfIntegers& GetStawkiDostepnePrec();
    TKSStawkiKolejne& GetStawkiKolejne();
    TKSStawkiKolejne& GetStawkiKolejnePrec();
    void OdczytajStawkiKolejne();
    void OdczytajStawkiKolejnePrec();
    void ZapiszStawkiKolejne();
    void ZapiszStawkiKolejnePrec();
    void WyswietlOknoStawekNaKasie(const std::string& startName, bool editable,
                                   const std::string& specialText);
    void WyswietlOknoStawekNaKasiePrec(const std::string& startName, bool editable,
                                       const std::string& specialText);

    // Filled by the library's wrappers (KRV_CB_WEIGHTED_FORMATS, KRV_CB_VAT_RATES,
    // KRV_CB_VAT_RATES_PREC).
    std::vector<std::string>& FormatyWazoneList() { return formatyWazone_; }
    TMacSetOfIntegers& StawkiDostepneSet();
    TMacSetOfIntegers& StawkiDostepnePrecSet();

  private:
    std::string StatusSuffix(int32_t state, int32_t position) const;

    TKSLibrary* library_;
    void* device_;

    std::vector<std::string> formatyWazone_;
    bool formatyWazoneLoaded_ = false;
    std::unique_ptr<TMacSetOfIntegers> stawkiDostepne_;
    std::unique_ptr<TKSStawkiKolejne> stawkiKolejne_;
    std::unique_ptr<TMacSetOfIntegers> stawkiDostepnePrec_;
    std::unique_ptr<TKSStawkiKolejne> stawkiKolejnePrec_;

    std::string progressLine_;
    int32_t progressState_ = lpvPlain;
    int32_t progressMax_ = 100;
    int32_t progressPosition_ = 0;
    int32_t operationParameter_ = 0;
    std::string lastMessage_;
};

}  // namespace krv
