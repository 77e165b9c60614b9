/*
 * example_host.c - the smallest useful host of the tarvisco driver library.
 *
 * Like the back-office host it loads the library by path at run time, looks
 * the exports up by name through the header's function-pointer types,
 * registers itself and three callbacks, and asks the library about itself,
 * its parameters and the device. It runs no export: see krvhost for that.
 *
 * Usage: example_host [path-of-the-library]
 */
#include <krvdll.h>

#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#define OPEN(path) ((void*)LoadLibraryA(path))
#define SYMBOL(lib, name) ((void*)GetProcAddress((HMODULE)(lib), name))
#define CLOSE(lib) FreeLibrary((HMODULE)(lib))
#else
#include <dlfcn.h>
#define OPEN(path) dlopen(path, RTLD_NOW | RTLD_LOCAL)
#define SYMBOL(lib, name) dlsym(lib, name)
#define CLOSE(lib) dlclose(lib)
#endif

/* ISO C has no cast between object and function pointers; copy the bits. */
#define LOOK_UP(var, name)                                \
    do {                                                  \
        void* p_ = SYMBOL(dll, name);                     \
        if (!p_) {                                        \
            fprintf(stderr, "%s lacks %s\n", path, name); \
            return 1;                                     \
        }                                                 \
        memcpy(&(var), &p_, sizeof p_);                   \
    } while (0)

static int g_device; /* the host's device handle: only its address matters */

/* KRV_CB_ADD_MESSAGE: a line for the operation window (Windows-1250 text). */
static int32_t KRV_CALL OnMessage(void* cookie, void* dev, int32_t kind, const char* text) {
    (void)cookie, (void)dev;
    printf("  [message kind %d] %s\n", (int)kind, text);
    return 1;
}

/* KRV_CB_PARAMETER_VALUE: the value of a parameter; this host knows one, the
 * scale's address. */
static int32_t KRV_CALL OnParameterValue(void* cookie, void* dev, const char* name,
                                         char* value300) {
    (void)cookie, (void)dev;
    value300[0] = 0;
    if (strcmp(name, "DigiSM_AdresIP") == 0) strcpy(value300, "127.0.0.1:5001");
    return 1;
}

/* KRV_CB_DEVICE_DATA: the device's numbers, name and exchange directory. */
static int32_t KRV_CALL OnDeviceData(void* cookie, void* dev, int32_t* first, int32_t* second,
                                     char* text300_a, char* text300_b, char* exchange_dir260) {
    (void)cookie, (void)dev;
    *first = 1;
    *second = 0;
    strcpy(text300_a, "Scale 1");
    text300_b[0] = 0;
#ifdef _WIN32
    strcpy(exchange_dir260, "C:\\scale1\\");
#else
    strcpy(exchange_dir260, "/tmp/scale1/");
#endif
    return 1;
}

/* Callbacks travel as void* through KRVDLLRejestrujCallback. */
typedef void (*AnyFn)(void);
static void* AsPointer(AnyFn fn) {
    void* p;
    memcpy(&p, &fn, sizeof p);
    return p;
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : TARVISCO_LIBRARY_FILE;
    KRVDLLTypBibliotekiFn typ;
    KRVDLLWlasciwosciFn wlasciwosci;
    KRVDLLParametrFn parametr;
    KRVDLLRejestrujBibliotekeFn rejestruj;
    KRVDLLRejestrujCallbackFn callback;
    KRVDLLSerKasNazwaZasobuDzielonegoFn zasob;
    KRVDLLZwolnijBibliotekeFn zwolnij;
    char buf[KRV_TEXT_BUFFER], name[KRV_TEXT_BUFFER], desc[KRV_TEXT_BUFFER];
    char def[KRV_TEXT_BUFFER], low[KRV_TEXT_BUFFER], high[KRV_TEXT_BUFFER];
    int32_t group, index, kind, flags;
    void *dll, *lib;

    dll = OPEN(path);
    if (!dll) {
        fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }
    LOOK_UP(typ, "KRVDLLTypBiblioteki");
    LOOK_UP(wlasciwosci, "KRVDLLWlasciwosci");
    LOOK_UP(parametr, "KRVDLLParametr");
    LOOK_UP(rejestruj, "KRVDLLRejestrujBiblioteke");
    LOOK_UP(callback, "KRVDLLRejestrujCallback");
    LOOK_UP(zasob, "KRVDLLSerKasNazwaZasobuDzielonego");
    LOOK_UP(zwolnij, "KRVDLLZwolnijBiblioteke");

    wlasciwosci(buf, 2);
    printf("library %s, kind %d\n", buf, (int)typ());
    wlasciwosci(buf, 1);
    printf("device  %s\n", buf);

    /* The catalogue: groups 101 and 102, each until its first empty place. */
    printf("parameters:\n");
    for (group = 101; group <= 102; ++group) {
        for (index = 0;; ++index) {
            kind = parametr(group, index, name, desc, def, low, high, &flags);
            if (kind == KRV_PARAM_NONE) break;
            printf("  %-24s kind %d, default \"%s\"\n", name, (int)kind, def);
        }
    }

    lib = rejestruj(&g_device, NULL, NULL, NULL);
    if (!lib) {
        fprintf(stderr, "the library did not register the host\n");
        return 1;
    }
    callback(lib, AsPointer((AnyFn)OnMessage), KRV_CB_ADD_MESSAGE);
    callback(lib, AsPointer((AnyFn)OnParameterValue), KRV_CB_PARAMETER_VALUE);
    callback(lib, AsPointer((AnyFn)OnDeviceData), KRV_CB_DEVICE_DATA);
    zasob(lib, &g_device, buf);
    printf("shared resource of the device: %s\n", buf);
    zwolnij(lib);
    CLOSE(dll);
    return 0;
}
