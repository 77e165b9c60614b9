// TKSLibrary: the library object, one per registration by the host. It holds
// the host's callback table and the translation object, creates an action for
// each device-level call and wraps every host callback for the actions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "krvdll.h"
#include "support/lgext.h"

namespace krv {

class TKSActionBase;
struct HKRVDLLSRODOWISKO;

class TKSLibrary {
  public:
    explicit TKSLibrary(void* cookie);
    virtual ~TKSLibrary();
    TKSLibrary(const TKSLibrary&) = delete;
    TKSLibrary& operator=(const TKSLibrary&) = delete;

    // --- virtual operations, in slot order ---
    virtual std::unique_ptr<TKSActionBase> UtworzAkcje(void* device) = 0;
    virtual int32_t PokazOkno(TKSActionBase& action, int32_t windowIndex, bool flag, int32_t* value,
                              char* text);
    // Throws Exception for a session that is not ours (any non-null one).
    virtual void WeryfikujTypSesji(void* session, const std::string& sessionType);
    virtual bool PodtrzymajSesje(void** slot, std::string& sessionType, int32_t value, bool flag);

    // --- library-level questions, no object needed ---
    static int32_t TypBiblioteki() { return KRV_LIBRARY_KIND; }
    static std::string OpisOkna(int32_t) { return {}; }
    static std::string Wlasciwosci(int32_t code);
    static int32_t Parametr(int32_t group, int32_t index, std::string& name,
                            std::string& description, std::string& defaultValue, std::string& lower,
                            std::string& upper, int32_t& flags);
    static std::string TekstListyParametru(const std::string& listName, int32_t index);
    static bool ZgodnaNazwaParametru(const std::string& a, const std::string& b);
    static std::string NazwaZTypem(const std::string& name);
    static std::unique_ptr<TKSLibrary> RejestrujBiblioteke(void* cookie);

    // The process-wide current translation object (null until code 34).
    static const TMLgExtTools* CurrentLg();

    // One operation call for a device. A session that is not ours is refused
    // with a waiting message and result 1 (answer false: the caller's text is
    // not to be touched); otherwise the operation runs under the final catcher
    // and env carries its text and result back.
    bool RunOperation(void* device, HKRVDLLSRODOWISKO& env, int32_t type, int32_t parameter);
    // The name under which an operation's failure is reported.
    static std::string OperationName(int32_t type);

    void RejestrujCallback(void* fn, int32_t code);
    // The host has freed the library: no host function is called again and
    // the translation object gives the default texts from now on.
    void DetachHost();
    const TMLgExtTools* GetLgLink() const { return lg_.get(); }
    void* Cookie() const { return cookie_; }

    // --- wrappers of the host callbacks; each takes the action first ---
    bool CzyPrzerwac(const TKSActionBase& a) const;
    std::string WartoscParametru(const TKSActionBase& a, const std::string& name) const;
    void WypelnijDaneUrzadzenia(TKSActionBase& a) const;
    void DodajKomunikat(const TKSActionBase& a, int32_t kind, const std::string& text) const;
    void ZmienOstatniKomunikat(const TKSActionBase& a, int32_t kind, const std::string& text) const;
    void WypelnijFormatyWazone(TKSActionBase& a) const;
    void WypelnijStawkiVAT(TKSActionBase& a) const;
    void WypelnijStawkiVATPrec(TKSActionBase& a) const;
    bool ZapiszWynikEksportu(const TKSActionBase& a) const;
    bool ZapiszImport(const TKSActionBase& a) const;
    bool ZapiszParagon(const TKSActionBase& a) const;
    bool OdczytajTowar(const TKSActionBase& a, const std::string& key, std::string& record) const;
    void OdswiezParametry(const TKSActionBase& a) const;
    bool ZmienParametr(const TKSActionBase& a, const std::string& name,
                       const std::string& value) const;
    bool ZajmijZasobSterownika(const TKSActionBase& a, const std::string& resource) const;
    void ZwolnijZasobSterownika(const TKSActionBase& a, const std::string& resource) const;
    void KasujFlageAlarmu(const TKSActionBase& a) const;
    int32_t WstrzymajOperacje(const TKSActionBase& a, const std::string& text, int32_t value) const;
    void ZapiszStanLicznika(const TKSActionBase& a, int32_t* counters, int32_t count) const;
    void ZapiszStanICzasLicznika(const TKSActionBase& a, int32_t* counters, int32_t count,
                                 const std::string& time) const;
    int32_t DodajTowarZKasy(const TKSActionBase& a, const std::string& t1, int32_t i1,
                            const std::string& t2, int32_t i2, const std::string& t3,
                            const std::string& t4, int32_t i3, double f1, double f2, double f3,
                            double f4, int32_t i4, int32_t i5, const std::string& t5) const;

  private:
    void* cookie_;
    // Host callbacks, one slot per code.
    KrvInterruptFn cbPrzerwij_ = nullptr;               // 5
    KrvParameterValueFn cbWartoscParametru_ = nullptr;  // 6
    KrvDeviceDataFn cbDaneUrzadzenia_ = nullptr;        // 11
    KrvMessageFn cbDodajKomunikat_ = nullptr;           // 12
    KrvMessageFn cbZmienOstatniKomunikat_ = nullptr;    // 13
    KrvWeightedFormatFn cbFormatyWazone_ = nullptr;     // 14
    KrvVatRateFn cbStawkiVAT_ = nullptr;                // 15
    KrvVatRateFn cbStawkiVATPrec_ = nullptr;            // 32
    KrvStoreFn cbZapiszWynikEksportu_ = nullptr;        // 16
    KrvStoreFn cbZapiszImport_ = nullptr;               // 17
    KrvStoreFn cbZapiszParagon_ = nullptr;              // 18
    KrvReadGoodsFn cbOdczytajTowar_ = nullptr;          // 19
    KrvNotifyFn cbOdswiezParametry_ = nullptr;          // 20
    KrvChangeParameterFn cbZmienParametr_ = nullptr;    // 21
    KrvResourceFn cbZajmijZasob_ = nullptr;             // 22
    KrvResourceFn cbZwolnijZasob_ = nullptr;            // 23
    KrvNotifyFn cbKasujFlageAlarmu_ = nullptr;          // 24
    KrvSuspendFn cbWstrzymajOperacje_ = nullptr;        // 25
    KrvCountersFn cbStanLicznika_ = nullptr;            // 28
    KrvCountersTimeFn cbStanICzasLicznika_ = nullptr;   // 31
    KrvAddGoodsFn cbDodajTowarZKasy_ = nullptr;         // 33
    std::unique_ptr<TMLgExtTools> lg_;
};

}  // namespace krv
