// The fifteen exported functions: thin shells that reach the library object or
// a short-lived action, copy the answer into the caller's buffer and never let
// an exception out.
#include <cstring>
#include <memory>

#include "action/action_base.h"
#include "action/final_catch.h"
#include "host/library.h"
#include "platform/ui.h"
#include "support/cp1250.h"
#include "support/exception.h"
#include "support/strutil.h"

using namespace krv;

namespace {

TKSLibrary* Lib(void* handle) { return static_cast<TKSLibrary*>(handle); }

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
void WithAction(void* lib, void* dev, const char* operationUtf8, Fn&& fn) {
    if (!lib) return;
    try {
        std::unique_ptr<TKSActionBase> action = Lib(lib)->UtworzAkcje(dev);
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
        WriteResult(buf301, Trim(TKSLibrary::Wlasciwosci(code)));
    } catch (...) {
    }
}

KRV_EXPORT void KRV_CALL KRVDLLWlasciwosciUrzadzenia(void* lib, void* dev, char* buf301,
                                                     int32_t code) {
    if (!buf301) return;
    std::string text;
    WithAction(lib, dev, "właściwości urządzenia",
               [&](TKSActionBase& a) { text = a.WlasciwosciUrzadzenia(code); });
    WriteResult(buf301, Trim(text));
}

KRV_EXPORT void* KRV_CALL KRVDLLRejestrujBiblioteke(void* cookie, void*, void*, void* main_window) {
    try {
        platform::SetApplicationWindow(main_window);
        return TKSLibrary::RejestrujBiblioteke(cookie).release();
    } catch (...) {
        return nullptr;
    }
}

KRV_EXPORT void KRV_CALL KRVDLLRejestrujCallback(void* lib, void* fn, int32_t code) {
    if (!lib) return;
    try {
        Lib(lib)->RejestrujCallback(fn, code);
    } catch (...) {
    }
}

KRV_EXPORT void KRV_CALL KRVDLLZwolnijBiblioteke(void* lib) {
    try {
        delete Lib(lib);
    } catch (...) {
    }
}

KRV_EXPORT int32_t KRV_CALL KRVDLLSerKasJakSzukacParagonu(void* lib, void* dev, int32_t* a,
                                                          int32_t* b, int32_t* c) {
    bool result = false;
    WithAction(lib, dev, "jak szukać paragonu",
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
    WithAction(lib, dev, "wyświetlanie okna", [&](TKSActionBase& action) {
        result = Lib(lib)->PokazOkno(action, window_index, flag != 0, value, text);
    });
    return result;
}

KRV_EXPORT void KRV_CALL KRVDLLSerKasNazwaZasobuDzielonego(void* lib, void* dev, char* buf301) {
    if (!buf301) return;
    std::string text;
    WithAction(lib, dev, "identyfikacja zasobu dzielonego",
               [&](TKSActionBase& a) { text = a.NazwaZasobuDzielonego(); });
    WriteResult(buf301, Trim(text));
}

KRV_EXPORT int32_t KRV_CALL KRVDLLSerKasOperacja(void* lib, void* dev, void** session_slot,
                                                 char* buf301, int32_t operation_type,
                                                 int32_t operation_parameter) {
    if (!lib) return 0;
    try {
        HKRVDLLSRODOWISKO env;
        env.text = ReadCallerText(buf301);
        env.session_slot = session_slot;
        if (Lib(lib)->RunOperation(dev, env, operation_type, operation_parameter) && buf301)
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
    if (!lib) return;
    try {
        std::string text = ReadCallerText(buf301);
        Lib(lib)->WeryfikujTypSesji(session_slot ? *session_slot : nullptr, text);
        Lib(lib)->PodtrzymajSesje(session_slot, text, value, flag != 0);
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
        std::string text = Trim(TKSLibrary::TekstListyParametru(list_name ? list_name : "", index));
        if (buf301) WriteResult(buf301, text);
        return text.empty() ? 0 : 1;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
