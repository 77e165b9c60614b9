/*
 * capi_test.c - a host written in plain C99 against include/krvdll.h only.
 *
 * It loads the built library at run time, as the real host does, finds the
 * fifteen exports by name and drives them through the C ABI: buffers of 301
 * bytes, callbacks with the C calling convention, Windows-1250 texts, null
 * pointers where a careless host would pass them. It needs no C++ runtime and
 * no test framework, so it also runs as a cross-built Windows program.
 *
 * Usage: capi_test [path-of-the-library]
 */
#include "krvdll.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

typedef void (*AnyFn)(void);

static AnyFn Lookup(void* lib, const char* name) {
    AnyFn fn = NULL;
#ifdef _WIN32
    FARPROC p = GetProcAddress((HMODULE)lib, name);
    memcpy(&fn, &p, sizeof fn);
#else
    void* p = dlsym(lib, name);
    memcpy(&fn, &p, sizeof fn);
#endif
    return fn;
}

static void* OpenLibrary(const char* path) {
#ifdef _WIN32
    return (void*)LoadLibraryA(path);
#else
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
#endif
}

static void CloseLibrary(void* lib) {
#ifdef _WIN32
    FreeLibrary((HMODULE)lib);
#elif defined(__SANITIZE_ADDRESS__)
    /* Stay loaded: a leak report can then name the library's functions. */
    (void)lib;
#else
    dlclose(lib);
#endif
}

/* ---- the exports, through the header's function-pointer types ---- */

static struct {
    KRVDLLTypBibliotekiFn TypBiblioteki;
    KRVDLLWlasciwosciFn Wlasciwosci;
    KRVDLLWlasciwosciUrzadzeniaFn WlasciwosciUrzadzenia;
    KRVDLLRejestrujBibliotekeFn RejestrujBiblioteke;
    KRVDLLRejestrujCallbackFn RejestrujCallback;
    KRVDLLZwolnijBibliotekeFn ZwolnijBiblioteke;
    KRVDLLSerKasJakSzukacParagonuFn SerKasJakSzukacParagonu;
    KRVDLLSerKasOpisOknaFn SerKasOpisOkna;
    KRVDLLSerKasPokazOknoFn SerKasPokazOkno;
    KRVDLLSerKasNazwaZasobuDzielonegoFn SerKasNazwaZasobuDzielonego;
    KRVDLLSerKasOperacjaFn SerKasOperacja;
    KRVDLLSerKasPodtrzymajSesjeFn SerKasPodtrzymajSesje;
    KRVDLLUstawJezykKomponentowFn UstawJezykKomponentow;
    KRVDLLParametrFn Parametr;
    KRVDLLTekstListyParametruFn TekstListyParametru;
} api;

/* ---- results ---- */

static int passed, failed;

static void Check(int ok, const char* what, int line) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        printf("FAILED (line %d): %s\n", line, what);
    }
}
#define CHECK(cond) Check((cond) != 0, #cond, __LINE__)
#define CHECK_TEXT(got, want) Check(strcmp((got), (want)) == 0, #got " == \"" want "\"", __LINE__)

/* A buffer as a careless host hands it over: 301 bytes of 'X', no zero at all. */
static void Dirty(char* buf) { memset(buf, 'X', KRV_TEXT_BUFFER); }
/* The same, but holding a short text for the functions that read it first. */
static void DirtyWithText(char* buf, const char* text) {
    Dirty(buf);
    memcpy(buf, text, strlen(text) + 1);
}
#define CHECK_ENDED(buf) Check((buf)[KRV_TEXT_MAX] == 0, #buf "[300] == 0", __LINE__)

/* ---- the host side: callbacks that record what the library tells ---- */

static int g_cookie, g_dev; /* only their addresses matter */
static int g_wrong_handles; /* callbacks that got a foreign cookie or device */
static int g_device_data_calls, g_device_data_preset_ok;
static int g_parameter_calls;
static int g_translate_calls, g_translate_bad_args;
static int g_translate_on; /* 0: answer "not translated" with rubbish in the buffer */

#define MAX_MESSAGES 64
static struct {
    int32_t kind;
    char text[KRV_TEXT_BUFFER];
} g_messages[MAX_MESSAGES];
static int g_message_count;

static void CopyOut(char* out, size_t max, const char* text) {
    size_t n = strlen(text);
    if (n > max) n = max;
    memcpy(out, text, n);
    out[n] = 0;
}

static int SameNameIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char ca = (*a >= 'A' && *a <= 'Z') ? (char)(*a - 'A' + 'a') : *a;
        char cb = (*b >= 'A' && *b <= 'Z') ? (char)(*b - 'A' + 'a') : *b;
        if (ca != cb) return 0;
    }
    return *a == *b;
}

static void CheckHandles(void* cookie, void* dev) {
    if (cookie != &g_cookie || dev != &g_dev) ++g_wrong_handles;
}

static int32_t KRV_CALL OnMessage(void* cookie, void* dev, int32_t kind, const char* text) {
    CheckHandles(cookie, dev);
    if (g_message_count < MAX_MESSAGES) {
        g_messages[g_message_count].kind = kind;
        CopyOut(g_messages[g_message_count].text, KRV_TEXT_MAX, text ? text : "(null)");
        ++g_message_count;
    }
    return 1;
}

static int32_t KRV_CALL OnParameterValue(void* cookie, void* dev, const char* name,
                                         char* value300) {
    CheckHandles(cookie, dev);
    ++g_parameter_calls;
    if (name && SameNameIgnoringCase(name, "DigiSM_AdresIP"))
        CopyOut(value300, KRV_TEXT_MAX, "127.0.0.1");
    else
        CopyOut(value300, KRV_TEXT_MAX, "");
    return 1;
}

static int32_t KRV_CALL OnDeviceData(void* cookie, void* dev, int32_t* first, int32_t* second,
                                     char* text_a, char* text_b, char* exchange_dir) {
    char dir[261];
    CheckHandles(cookie, dev);
    ++g_device_data_calls;
    if (first && second && text_a && text_b && exchange_dir && *first == -1 && *second == 0 &&
        !text_a[0] && !text_b[0] && !exchange_dir[0])
        ++g_device_data_preset_ok;
#ifdef _WIN32
    if (!GetTempPathA(sizeof dir, dir)) strcpy(dir, "C:\\");
#else
    {
        const char* tmp = getenv("TMPDIR");
        snprintf(dir, sizeof dir, "%s/", tmp && *tmp ? tmp : "/tmp");
    }
#endif
    if (first) *first = 1;
    if (second) *second = 1;
    if (text_a) CopyOut(text_a, KRV_TEXT_MAX, "capi");
    if (text_b) CopyOut(text_b, KRV_TEXT_MAX, "");
    if (exchange_dir) CopyOut(exchange_dir, 260, dir);
    return 1;
}

static int32_t KRV_CALL OnTranslate(char* out, int32_t size, const char* section, const char* key) {
    ++g_translate_calls;
    if (!out || size < 1 || !section || !key) {
        ++g_translate_bad_args;
        return 0;
    }
    if (g_translate_on && strcmp(section, "kstools_KSLib") == 0 &&
        strcmp(key, "TKSActioOperacjaExceptio") == 0) {
        CopyOut(out, (size_t)size, "CAPI-TRANSLATED");
        return 1;
    }
    CopyOut(out, (size_t)size, "rubbish that must not be used");
    return 0;
}

static int FindMessage(int32_t kind, const char* part) {
    int i;
    for (i = 0; i < g_message_count; ++i)
        if ((kind < 0 || g_messages[i].kind == kind) && strstr(g_messages[i].text, part)) return 1;
    return 0;
}

static void DumpMessages(void) {
    int i;
    for (i = 0; i < g_message_count; ++i)
        printf("  message %d kind %d: %s\n", i, (int)g_messages[i].kind, g_messages[i].text);
}

/* ---- the checks ---- */

static void TestLibraryTexts(void) {
    char buf[KRV_TEXT_BUFFER];

    CHECK(api.TypBiblioteki() == KRV_LIBRARY_KIND);

    Dirty(buf);
    api.Wlasciwosci(buf, 1);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "Digi SM (Ethernet)");
    Dirty(buf);
    api.Wlasciwosci(buf, 2);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "TV_Tarvisco");
    Dirty(buf);
    api.Wlasciwosci(buf, 3);
    CHECK_ENDED(buf);
    CHECK(strstr(buf, "\r\n") != NULL);
    Dirty(buf);
    api.Wlasciwosci(buf, 104);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "");
    api.Wlasciwosci(NULL, 1);

    Dirty(buf);
    CHECK(api.SerKasOpisOkna(buf, 0) == 0);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "");
    CHECK(api.SerKasOpisOkna(NULL, 1) == 0);

    api.UstawJezykKomponentow(0);
}

static void TestCatalogue(void) {
    char name[KRV_TEXT_BUFFER], desc[KRV_TEXT_BUFFER], def[KRV_TEXT_BUFFER];
    char low[KRV_TEXT_BUFFER], high[KRV_TEXT_BUFFER], buf[KRV_TEXT_BUFFER];
    int32_t flags = 77;

    Dirty(name), Dirty(desc), Dirty(def), Dirty(low), Dirty(high);
    CHECK(api.Parametr(102, 18, name, desc, def, low, high, &flags) == KRV_PARAM_INTEGER);
    CHECK_ENDED(name), CHECK_ENDED(desc), CHECK_ENDED(def), CHECK_ENDED(low), CHECK_ENDED(high);
    CHECK_TEXT(name, "DigiSM_Timeout");
    CHECK_TEXT(def, "120");
    CHECK_TEXT(low, "3");
    CHECK_TEXT(high, "99999");
    CHECK(desc[0] != 0);
    CHECK(flags == 0);

    /* No parameter at this place: every buffer is still written, empty. */
    Dirty(name), Dirty(desc), Dirty(def), Dirty(low), Dirty(high);
    CHECK(api.Parametr(103, 0, name, desc, def, low, high, NULL) == KRV_PARAM_NONE);
    CHECK(!name[0] && !desc[0] && !def[0] && !low[0] && !high[0]);
    api.Parametr(102, 18, NULL, NULL, NULL, NULL, NULL, NULL);

    Dirty(buf);
    CHECK(api.TekstListyParametru("digism_formatetyk", 17, buf) == 1);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "F1");
    Dirty(buf);
    CHECK(api.TekstListyParametru("DigiSM_FormatEtyk", 25, buf) == 0);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "");
    CHECK(api.TekstListyParametru(NULL, 0, buf) == 0);
    api.TekstListyParametru("DigiSM_FormatEtyk", 17, NULL);
}

static void TestDevice(void* lib) {
    char buf[KRV_TEXT_BUFFER], before[KRV_TEXT_BUFFER];
    int32_t a = 7, b = 8, c = 9, value = 5;
    void* slot = NULL;
    void* foreign_session = &value;

    Dirty(buf);
    api.SerKasNazwaZasobuDzielonego(lib, &g_dev, buf);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "127.0.0.1");
    CHECK(g_parameter_calls > 0);
    CHECK(g_device_data_calls > 0);
    CHECK(g_device_data_preset_ok == g_device_data_calls);

    Dirty(buf);
    api.WlasciwosciUrzadzenia(lib, &g_dev, buf, 1104);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "-1");
    Dirty(buf);
    api.WlasciwosciUrzadzenia(lib, &g_dev, buf, 1101);
    CHECK_TEXT(buf, "0");
    Dirty(buf);
    api.WlasciwosciUrzadzenia(lib, &g_dev, buf, 1);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "");
    api.WlasciwosciUrzadzenia(lib, &g_dev, NULL, 1104);

    CHECK(api.SerKasJakSzukacParagonu(lib, &g_dev, &a, &b, &c) == 0);
    CHECK(a == 7 && b == 8 && c == 9);
    CHECK(api.SerKasPokazOkno(lib, &g_dev, 0, 1, &value, NULL) == 0);

    /* An operation this device does not have: an error line, in Windows-1250. */
    g_message_count = 0;
    DirtyWithText(buf, "sesja");
    CHECK(api.SerKasOperacja(lib, &g_dev, &slot, buf, KRV_OP_SALES_IMPORT, 0) == 0);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "sesja");
    CHECK(FindMessage(KRV_MSG_ERROR, "nie obs\xb3uguje"));      /* "obsługuje" */
    CHECK(FindMessage(KRV_MSG_ERROR, "'import sprzeda\xbfy'")); /* "sprzedaży" */
    CHECK(!FindMessage(-1, "\xc5\x82"));                        /* no UTF-8 "ł" */
    CHECK(!FindMessage(-1, "rubbish"));
    CHECK(g_translate_calls > 0);
    CHECK(g_translate_bad_args == 0);
    if (failed) DumpMessages();

    /* The same through the host's translation. */
    g_message_count = 0;
    g_translate_on = 1;
    DirtyWithText(buf, "");
    CHECK(api.SerKasOperacja(lib, &g_dev, &slot, buf, 17, 0) == 0);
    CHECK_ENDED(buf);
    CHECK(FindMessage(KRV_MSG_ERROR, "CAPI-TRANSLATED"));
    CHECK(FindMessage(KRV_MSG_ERROR, "'operacja [17]'"));
    CHECK(!FindMessage(-1, "nie obs\xb3uguje"));
    g_translate_on = 0;

    /* A session the library does not own: it waits, answers 1, leaves the buffer alone. */
    g_message_count = 0;
    slot = foreign_session;
    DirtyWithText(buf, "obca");
    memcpy(before, buf, sizeof buf);
    CHECK(api.SerKasOperacja(lib, &g_dev, &slot, buf, KRV_OP_EXPORT, 0) == 1);
    CHECK(memcmp(before, buf, sizeof buf) == 0);
    CHECK(FindMessage(KRV_MSG_ORDINARY,
                      "Oczekiwanie na zamkni\xea"
                      "cie sesji 'obca'"));
    CHECK(!FindMessage(KRV_MSG_ERROR, ""));
    slot = NULL;

    DirtyWithText(buf, "sesja");
    api.SerKasPodtrzymajSesje(lib, &slot, buf, 0, 0);
    CHECK_ENDED(buf);
    CHECK_TEXT(buf, "sesja");
    api.SerKasPodtrzymajSesje(lib, &slot, NULL, 0, 0);
    api.SerKasPodtrzymajSesje(lib, NULL, buf, 0, 0);

    /* A careless host: null buffers and handles never crash. */
    CHECK(api.SerKasOperacja(lib, &g_dev, &slot, NULL, KRV_OP_SALES_IMPORT, 0) == 0);
    api.SerKasOperacja(lib, &g_dev, NULL, buf, KRV_OP_SALES_IMPORT, 0);
    CHECK(api.SerKasOperacja(NULL, &g_dev, &slot, buf, KRV_OP_EXPORT, 0) == 0);
    api.SerKasNazwaZasobuDzielonego(lib, &g_dev, NULL);
    api.SerKasNazwaZasobuDzielonego(NULL, &g_dev, buf);
    api.WlasciwosciUrzadzenia(NULL, &g_dev, buf, 1104);
    CHECK(api.SerKasJakSzukacParagonu(lib, &g_dev, NULL, NULL, NULL) == 0);
    CHECK(api.SerKasJakSzukacParagonu(NULL, &g_dev, &a, &b, &c) == 0);
    api.RejestrujCallback(NULL, (void*)0, KRV_CB_ADD_MESSAGE);
}

/* Function pointers travel as void* through KRVDLLRejestrujCallback. */
static void* AsPointer(AnyFn fn) {
    void* p;
    memcpy(&p, &fn, sizeof p);
    return p;
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : NULL;
    void *dll, *lib;
    int missing = 0;

#ifdef TARVISCO_LIBRARY_PATH
    if (!path) path = TARVISCO_LIBRARY_PATH;
#endif
    if (!path) {
        fprintf(stderr, "usage: %s path-of-the-library\n", argv[0]);
        return 2;
    }
    dll = OpenLibrary(path);
    if (!dll) {
        printf("cannot load %s\n", path);
        printf("0 passed, 1 failed\n");
        return 1;
    }

#define BIND(name)                                                \
    do {                                                          \
        api.name = (KRVDLL##name##Fn)Lookup(dll, "KRVDLL" #name); \
        if (!api.name) {                                          \
            printf("FAILED: export KRVDLL%s not found\n", #name); \
            ++missing;                                            \
        }                                                         \
    } while (0)
    BIND(TypBiblioteki);
    BIND(Wlasciwosci);
    BIND(WlasciwosciUrzadzenia);
    BIND(RejestrujBiblioteke);
    BIND(RejestrujCallback);
    BIND(ZwolnijBiblioteke);
    BIND(SerKasJakSzukacParagonu);
    BIND(SerKasOpisOkna);
    BIND(SerKasPokazOkno);
    BIND(SerKasNazwaZasobuDzielonego);
    BIND(SerKasOperacja);
    BIND(SerKasPodtrzymajSesje);
    BIND(UstawJezykKomponentow);
    BIND(Parametr);
    BIND(TekstListyParametru);
#undef BIND
    if (missing) {
        printf("%d passed, %d failed\n", 15 - missing, missing);
        return 1;
    }
    passed += 15;

    TestLibraryTexts();
    TestCatalogue();

    lib = api.RejestrujBiblioteke(&g_cookie, NULL, NULL, NULL);
    CHECK(lib != NULL);
    if (lib) {
        api.RejestrujCallback(lib, AsPointer((AnyFn)OnMessage), KRV_CB_ADD_MESSAGE);
        api.RejestrujCallback(lib, AsPointer((AnyFn)OnParameterValue), KRV_CB_PARAMETER_VALUE);
        api.RejestrujCallback(lib, AsPointer((AnyFn)OnDeviceData), KRV_CB_DEVICE_DATA);
        api.RejestrujCallback(lib, AsPointer((AnyFn)OnTranslate), KRV_CB_TRANSLATE);
        api.RejestrujCallback(lib, AsPointer((AnyFn)OnMessage), 999); /* ignored */
        TestDevice(lib);
        CHECK(g_wrong_handles == 0);
        api.ZwolnijBiblioteke(lib);
    }
    api.ZwolnijBiblioteke(NULL);

    /* The static texts still work once the library object is gone. */
    {
        char buf[KRV_TEXT_BUFFER];
        Dirty(buf);
        api.Wlasciwosci(buf, 2);
        CHECK_TEXT(buf, "TV_Tarvisco");
    }

    CloseLibrary(dll);
    printf("%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
