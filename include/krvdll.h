/*
 * krvdll.h - the C interface of the tarvisco driver library (DIGI SM scales).
 *
 * Conventions
 *  - C linkage, no name decoration. The library exports exactly the fifteen
 *    functions declared below and nothing else.
 *  - Calling convention: KRV_CALL, the C default, for exports and callbacks.
 *  - Every integer is int32_t; a "bool" is 0 or 1. Floating values are double.
 *  - Texts are zero-terminated Windows-1250 bytes.
 *  - A "buffer of n" is a char[n + 1] owned by the caller: at most n characters
 *    are written and a zero is always stored at index n. Exported text results
 *    use n = 300, so the host provides 301 bytes (KRV_TEXT_BUFFER).
 *  - Handles are opaque pointers. The session slot is void**; the library only
 *    reads *slot.
 *  - A null pointer where a buffer or a handle is expected never crashes the
 *    library: the function does nothing for that output and returns its initial
 *    result.
 *  - No function raises anything; failures reach the host as messages through
 *    callback KRV_CB_ADD_MESSAGE.
 *
 * Threads
 *  - The library starts no thread and takes no lock. It may be called from any
 *    thread, but from one thread at a time: the host serialises every call to
 *    every library handle (the translation object and a few caches are shared
 *    by the whole process).
 *  - Every callback runs on the thread that made the exported call, before
 *    that call returns; an operation blocks its thread until it ends (the user
 *    interrupts it through KRV_CB_INTERRUPT, which the library asks while it
 *    waits).
 *  - From inside a callback the host may call KRVDLLTypBiblioteki,
 *    KRVDLLWlasciwosci, KRVDLLParametr, KRVDLLTekstListyParametru,
 *    KRVDLLSerKasOpisOkna, KRVDLLUstawJezykKomponentow and
 *    KRVDLLRejestrujCallback (registering KRV_CB_TRANSLATE again takes effect
 *    from the next text looked up). It should not start another device-level
 *    call (KRVDLLSerKasOperacja, KRVDLLSerKasPokazOkno,
 *    KRVDLLSerKasPodtrzymajSesje, KRVDLLWlasciwosciUrzadzenia,
 *    KRVDLLSerKasJakSzukacParagonu, KRVDLLSerKasNazwaZasobuDzielonego).
 *  - A handle freed with KRVDLLZwolnijBiblioteke while an exported call is
 *    running (from inside a callback) is released when the outermost call
 *    returns; from the moment it is freed the library calls none of its host
 *    functions again, and the handle counts as null. Freeing a handle twice,
 *    or one the library never gave out, does nothing.
 */
#ifndef KRVDLL_H
#define KRVDLL_H

#include <stdint.h>

#if defined(_WIN32)
#define KRV_CALL __cdecl
#else
#define KRV_CALL
#endif

#if defined(KRV_BUILDING_LIBRARY)
#if defined(_WIN32)
#define KRV_EXPORT __declspec(dllexport)
#else
#define KRV_EXPORT __attribute__((visibility("default")))
#endif
#else
#define KRV_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Size of every exported text buffer: 300 characters and the terminating zero. */
#define KRV_TEXT_MAX 300
#define KRV_TEXT_BUFFER 301

/* Result of KRVDLLTypBiblioteki. */
#define KRV_LIBRARY_KIND 2

/* Operation type codes of KRVDLLSerKasOperacja. */
#define KRV_OP_CONNECTION_TEST (-1)
#define KRV_OP_EXPORT (-2)
#define KRV_OP_SALES_IMPORT (-3)
#define KRV_OP_RECEIPT_IMPORT (-4)
#define KRV_OP_AUTO_EXPORT (-5)
#define KRV_OP_AUTO_IMPORT (-6)
#define KRV_OP_LISTEN (-7)
#define KRV_OP_DEVICE_FUNCTION (-8)
#define KRV_OP_COUNTER_IMPORT (-9)

/* Message kinds of callbacks 12 and 13. */
#define KRV_MSG_ORDINARY 0
#define KRV_MSG_WARNING 1
#define KRV_MSG_ERROR 2

/* Progress states of a message line. */
#define KRV_STATE_FINISHED 0
#define KRV_STATE_FAILED 1
#define KRV_STATE_WARNING 2
#define KRV_STATE_PERCENT 3
#define KRV_STATE_COUNT 4
#define KRV_STATE_PLAIN 5

/* The character that divides a message from its status column. */
#define KRV_STATUS_SEPARATOR '\x01'

/* Parameter kinds of KRVDLLParametr. */
#define KRV_PARAM_NONE 0
#define KRV_PARAM_TEXT 1
#define KRV_PARAM_INTEGER 4
#define KRV_PARAM_CHOICE 7

/* Callback codes of KRVDLLRejestrujCallback. */
#define KRV_CB_INTERRUPT 5
#define KRV_CB_PARAMETER_VALUE 6
#define KRV_CB_DEVICE_DATA 11
#define KRV_CB_ADD_MESSAGE 12
#define KRV_CB_CHANGE_LAST_MESSAGE 13
#define KRV_CB_WEIGHTED_FORMATS 14
#define KRV_CB_VAT_RATES 15
#define KRV_CB_STORE_EXPORT_RESULT 16
#define KRV_CB_STORE_IMPORT 17
#define KRV_CB_STORE_RECEIPT 18
#define KRV_CB_READ_GOODS 19
#define KRV_CB_REFRESH_PARAMETERS 20
#define KRV_CB_CHANGE_PARAMETER 21
#define KRV_CB_TAKE_RESOURCE 22
#define KRV_CB_RELEASE_RESOURCE 23
#define KRV_CB_CLEAR_ALARM 24
#define KRV_CB_SUSPEND_OPERATION 25
#define KRV_CB_STORE_COUNTERS 28
#define KRV_CB_STORE_COUNTERS_TIME 31
#define KRV_CB_VAT_RATES_PREC 32
#define KRV_CB_ADD_GOODS_FROM_DEVICE 33
#define KRV_CB_TRANSLATE 34

/* Host callbacks. All but the translation function receive the host library
 * cookie and the device handle first. */
typedef int32_t(KRV_CALL* KrvInterruptFn)(void* cookie, void* dev);
typedef int32_t(KRV_CALL* KrvParameterValueFn)(void* cookie, void* dev, const char* name,
                                               char* value300);
typedef int32_t(KRV_CALL* KrvDeviceDataFn)(void* cookie, void* dev, int32_t* first, int32_t* second,
                                           char* text300_a, char* text300_b, char* exchange_dir260);
typedef int32_t(KRV_CALL* KrvMessageFn)(void* cookie, void* dev, int32_t kind, const char* text);
typedef int32_t(KRV_CALL* KrvWeightedFormatFn)(void* cookie, void* dev, int32_t index,
                                               char* format300);
typedef int32_t(KRV_CALL* KrvVatRateFn)(void* cookie, void* dev, int32_t index, int32_t* rate);
typedef int32_t(KRV_CALL* KrvStoreFn)(void* cookie, void* dev);
typedef int32_t(KRV_CALL* KrvReadGoodsFn)(void* cookie, void* dev, char* record2048,
                                          const char* key);
typedef int32_t(KRV_CALL* KrvNotifyFn)(void* cookie, void* dev);
typedef int32_t(KRV_CALL* KrvChangeParameterFn)(void* cookie, void* dev, const char* name,
                                                const char* value);
typedef int32_t(KRV_CALL* KrvResourceFn)(void* cookie, void* dev, const char* resource);
typedef int32_t(KRV_CALL* KrvSuspendFn)(void* cookie, void* dev, const char* text, int32_t value);
typedef int32_t(KRV_CALL* KrvCountersFn)(void* cookie, void* dev, int32_t* counters, int32_t count);
typedef int32_t(KRV_CALL* KrvCountersTimeFn)(void* cookie, void* dev, int32_t* counters,
                                             int32_t count, const char* time);
typedef int32_t(KRV_CALL* KrvAddGoodsFn)(void* cookie, void* dev, const char* t1, int32_t i1,
                                         const char* t2, int32_t i2, const char* t3, const char* t4,
                                         int32_t i3, double f1, double f2, double f3, double f4,
                                         int32_t i4, int32_t i5, const char* t5);
/* Code 34: no cookie, no device. The library passes a buffer of size + 1 bytes.
 * Non-zero with a non-empty text means "translated". */
typedef int32_t(KRV_CALL* KrvTranslateFn)(char* out, int32_t size, const char* section,
                                          const char* key);

/* Exported functions. */
KRV_EXPORT int32_t KRV_CALL KRVDLLTypBiblioteki(void);
KRV_EXPORT void KRV_CALL KRVDLLWlasciwosci(char* buf301, int32_t code);
KRV_EXPORT void KRV_CALL KRVDLLWlasciwosciUrzadzenia(void* lib, void* dev, char* buf301,
                                                     int32_t code);
KRV_EXPORT void* KRV_CALL KRVDLLRejestrujBiblioteke(void* cookie, void* unused1, void* unused2,
                                                    void* main_window);
KRV_EXPORT void KRV_CALL KRVDLLRejestrujCallback(void* lib, void* fn, int32_t code);
KRV_EXPORT void KRV_CALL KRVDLLZwolnijBiblioteke(void* lib);
KRV_EXPORT int32_t KRV_CALL KRVDLLSerKasJakSzukacParagonu(void* lib, void* dev, int32_t* a,
                                                          int32_t* b, int32_t* c);
KRV_EXPORT int32_t KRV_CALL KRVDLLSerKasOpisOkna(char* buf301, int32_t window_index);
KRV_EXPORT int32_t KRV_CALL KRVDLLSerKasPokazOkno(void* lib, void* dev, int32_t window_index,
                                                  int32_t flag, int32_t* value, char* text);
KRV_EXPORT void KRV_CALL KRVDLLSerKasNazwaZasobuDzielonego(void* lib, void* dev, char* buf301);
KRV_EXPORT int32_t KRV_CALL KRVDLLSerKasOperacja(void* lib, void* dev, void** session_slot,
                                                 char* buf301, int32_t operation_type,
                                                 int32_t operation_parameter);
KRV_EXPORT void KRV_CALL KRVDLLSerKasPodtrzymajSesje(void* lib, void** session_slot, char* buf301,
                                                     int32_t value, int32_t flag);
KRV_EXPORT void KRV_CALL KRVDLLUstawJezykKomponentow(int32_t language);
KRV_EXPORT int32_t KRV_CALL KRVDLLParametr(int32_t group, int32_t index, char* name301,
                                           char* description301, char* default301, char* lower301,
                                           char* upper301, int32_t* flags);
KRV_EXPORT int32_t KRV_CALL KRVDLLTekstListyParametru(const char* list_name, int32_t index,
                                                      char* buf301);

/* The exports as function-pointer types, for a host that loads the library at
 * run time (dlopen + dlsym, LoadLibrary + GetProcAddress) and looks each
 * function up by its name, which is the type's name with "Fn" dropped:
 *   KRVDLLTypBibliotekiFn typ =
 *       (KRVDLLTypBibliotekiFn)GetProcAddress(dll, "KRVDLLTypBiblioteki"); */
typedef int32_t(KRV_CALL* KRVDLLTypBibliotekiFn)(void);
typedef void(KRV_CALL* KRVDLLWlasciwosciFn)(char* buf301, int32_t code);
typedef void(KRV_CALL* KRVDLLWlasciwosciUrzadzeniaFn)(void* lib, void* dev, char* buf301,
                                                      int32_t code);
typedef void*(KRV_CALL* KRVDLLRejestrujBibliotekeFn)(void* cookie, void* unused1, void* unused2,
                                                     void* main_window);
typedef void(KRV_CALL* KRVDLLRejestrujCallbackFn)(void* lib, void* fn, int32_t code);
typedef void(KRV_CALL* KRVDLLZwolnijBibliotekeFn)(void* lib);
typedef int32_t(KRV_CALL* KRVDLLSerKasJakSzukacParagonuFn)(void* lib, void* dev, int32_t* a,
                                                           int32_t* b, int32_t* c);
typedef int32_t(KRV_CALL* KRVDLLSerKasOpisOknaFn)(char* buf301, int32_t window_index);
typedef int32_t(KRV_CALL* KRVDLLSerKasPokazOknoFn)(void* lib, void* dev, int32_t window_index,
                                                   int32_t flag, int32_t* value, char* text);
typedef void(KRV_CALL* KRVDLLSerKasNazwaZasobuDzielonegoFn)(void* lib, void* dev, char* buf301);
typedef int32_t(KRV_CALL* KRVDLLSerKasOperacjaFn)(void* lib, void* dev, void** session_slot,
                                                  char* buf301, int32_t operation_type,
                                                  int32_t operation_parameter);
typedef void(KRV_CALL* KRVDLLSerKasPodtrzymajSesjeFn)(void* lib, void** session_slot, char* buf301,
                                                      int32_t value, int32_t flag);
typedef void(KRV_CALL* KRVDLLUstawJezykKomponentowFn)(int32_t language);
typedef int32_t(KRV_CALL* KRVDLLParametrFn)(int32_t group, int32_t index, char* name301,
                                            char* description301, char* default301, char* lower301,
                                            char* upper301, int32_t* flags);
typedef int32_t(KRV_CALL* KRVDLLTekstListyParametruFn)(const char* list_name, int32_t index,
                                                       char* buf301);

#ifdef __cplusplus
}
#endif

#endif /* KRVDLL_H */
