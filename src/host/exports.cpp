// The fifteen exported functions: thin shells that reach the library object or
// a short-lived action, copy the answer into the caller's buffer and never let
// an exception out. Every call that can reach the host's functions runs as a
// HostCall, so that a library the host frees meanwhile outlives the call.
#include <cstring>
#include <memory>

#include "action/action_base.h"
#include "action/final_catch.h"
#include "host/host_call.h"
#include "host/library.h"
#include "platform/ui.h"
#include "support/cp1250.h"
#include "support/exception.h"
#include "support/strutil.h"

using namespace krv;

namespace {

void WriteResult(char* buf, const std::string& text) { CopyToBuffer(buf, KRV_TEXT_MAX, text); }

// The caller's text: at most 300 characters, never read past the buffer.
std::string ReadCallerText(const char* buf) {
    if (!buf) return {};
    size_t n = 0;
    while (n < KRV_TEXT_MAX && buf[n] != '\0') ++n;
    return std::string(buf, n);
}

// Runs one query on a temporary action; a failure goes to the final catcher
// under the operation's name and leaves the initial result.
template <typename Fn>
void WithAction(TKSLibrary* lib, void* dev, const char* operationUtf8, Fn&& fn) {
    if (!lib) return;
    try {
        std::unique_ptr<TKSActionBase> action = lib->UtworzAkcje(dev);
        RunUnderFinalCatcher(*action, Utf8ToCp1250(operationUtf8), [&] { fn(*action); });
    } catch (...) {
        // Creating or destroying the action failed: the initial result stands.
    }
}

}  // namespace

extern "C" {

KRV_EXPORT int32_t KRV_CALL KRVDLLTypBiblioteki(void) { return TKSLibrary::TypBiblioteki(); }

KRV_EXPORT void KRV_CALL KRVDLLWlasciwosci(char* buf301, int32_t code) {
    if (!buf301) return;
    try {
        HostCall call;
        WriteResult(buf301, Trim(TKSLibrary::Wlasciwosci(code)));
    } catch (...) {
    }
}

KRV_EXPORT void KRV_CALL KRVDLLWlasciwosciUrzadzenia(void* lib, void* dev, char* buf301,
                                                     int32_t code) {
    if (!buf301) return;
    std::string text;
    HostCall call(lib);
    WithAction(call.Library(), dev, "właściwości urządzenia",
               [&](TKSActionBase& a) { text = a.WlasciwosciUrzadzenia(code); });
    WriteResult(buf301, Trim(text));
}

KRV_EXPORT void* KRV_CALL KRVDLLRejestrujBiblioteke(void* cookie, void*, void*, void* main_window) {
    try {
        platform::SetApplicationWindow(main_window);
        return HostCall::Register(TKSLibrary::RejestrujBiblioteke(cookie));
    } catch (...) {
        return nullptr;
    }
}

KRV_EXPORT void KRV_CALL KRVDLLRejestrujCallback(void* lib, void* fn, int32_t code) {
    HostCall call(lib);
    if (!call.Library()) return;
    try {
        call.Library()->RejestrujCallback(fn, code);
    } catch (...) {
    }
}

KRV_EXPORT void KRV_CALL KRVDLLZwolnijBiblioteke(void* lib) { HostCall::Release(lib); }

KRV_EXPORT int32_t KRV_CALL KRVDLLSerKasJakSzukacParagonu(void* lib, void* dev, int32_t* a,
                                                          int32_t* b, int32_t* c) {
    bool result = false;
    HostCall call(lib);
    WithAction(call.Library(), dev, "jak szukać paragonu",
               [&](TKSActionBase& action) { result = action.JakSzukacParagonu(a, b, c); });
    return result ? 1 : 0;
}

KRV_EXPORT int32_t KRV_CALL KRVDLLSerKasOpisOkna(char* buf301, int32_t window_index) {
    std::string text = TKSLibrary::OpisOkna(window_index);
    if (buf301) WriteResult(buf301, text);
    return text.empty() ? 0 : 1;
}

KRV_EXPORT int32_t KRV_CALL KRVDLLSerKasPokazOkno(void* lib, void* dev, int32_t window_index,
                                                  int32_t flag, int32_t* value, char* text) {
    int32_t result = 0;
    HostCall call(lib);
    WithAction(call.Library(), dev, "wyświetlanie okna", [&](TKSActionBase& action) {
        result = call.Library()->PokazOkno(action, window_index, flag != 0, value, text);
    });
    return result;
}

KRV_EXPORT void KRV_CALL KRVDLLSerKasNazwaZasobuDzielonego(void* lib, void* dev, char* buf301) {
    if (!buf301) return;
    std::string text;
    HostCall call(lib);
    WithAction(call.Library(), dev, "identyfikacja zasobu dzielonego",
               [&](TKSActionBase& a) { text = a.NazwaZasobuDzielonego(); });
    WriteResult(buf301, Trim(text));
}

KRV_EXPORT int32_t KRV_CALL KRVDLLSerKasOperacja(void* lib, void* dev, void** session_slot,
                                                 char* buf301, int32_t operation_type,
                                                 int32_t operation_parameter) {
    HostCall call(lib);
    if (!call.Library()) return 0;
    try {
        HKRVDLLSRODOWISKO env;
        env.text = ReadCallerText(buf301);
        env.session_slot = session_slot;
        if (call.Library()->RunOperation(dev, env, operation_type, operation_parameter) && buf301)
            WriteResult(buf301, env.text);
        return env.result;
    } catch (...) {
        try {
            platform::ShowMessageBox(Utf8ToCp1250("Wyjątek w KRVDLLSerKasOperacja"), "Uwaga!!!", 0);
        } catch (...) {
        }
        return 0;
    }
}

KRV_EXPORT void KRV_CALL KRVDLLSerKasPodtrzymajSesje(void* lib, void** session_slot, char* buf301,
                                                     int32_t value, int32_t flag) {
    HostCall call(lib);
    if (!call.Library()) return;
    try {
        std::string text = ReadCallerText(buf301);
        call.Library()->WeryfikujTypSesji(session_slot ? *session_slot : nullptr, text);
        call.Library()->PodtrzymajSesje(session_slot, text, value, flag != 0);
        if (buf301) WriteResult(buf301, text);
    } catch (...) {
    }
}

KRV_EXPORT void KRV_CALL KRVDLLUstawJezykKomponentow(int32_t language) {
    EMException::Language = language;
}

KRV_EXPORT int32_t KRV_CALL KRVDLLParametr(int32_t group, int32_t index, char* name301,
                                           char* description301, char* default301, char* lower301,
                                           char* upper301, int32_t* flags) {
    try {
        HostCall call;
        std::string name, description, def, lower, upper;
        int32_t f = 0;
        int32_t kind = TKSLibrary::Parametr(group, index, name, description, def, lower, upper, f);
        WriteResult(name301, name);
        WriteResult(description301, description);
        WriteResult(default301, def);
        WriteResult(lower301, lower);
        WriteResult(upper301, upper);
        if (flags) *flags = f;
        return kind;
    } catch (...) {
        return 0;
    }
}

KRV_EXPORT int32_t KRV_CALL KRVDLLTekstListyParametru(const char* list_name, int32_t index,
                                                      char* buf301) {
    try {
        HostCall call;
        std::string text = Trim(TKSLibrary::TekstListyParametru(list_name ? list_name : "", index));
        if (buf301) WriteResult(buf301, text);
        return text.empty() ? 0 : 1;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
