// The driver library as krvhost sees it: a file loaded at run time and the
// fifteen exported functions found in it by name, exactly as the real host
// does. krvhost never links the library.
#pragma once

#include <string>

#include "host_os.h"
#include "krvdll.h"

namespace krv::host {

// Pointers to the exported functions; the types come from the public header.
struct LibraryApi {
    decltype(&KRVDLLTypBiblioteki) TypBiblioteki = nullptr;
    decltype(&KRVDLLWlasciwosci) Wlasciwosci = nullptr;
    decltype(&KRVDLLWlasciwosciUrzadzenia) WlasciwosciUrzadzenia = nullptr;
    decltype(&KRVDLLRejestrujBiblioteke) RejestrujBiblioteke = nullptr;
    decltype(&KRVDLLRejestrujCallback) RejestrujCallback = nullptr;
    decltype(&KRVDLLZwolnijBiblioteke) ZwolnijBiblioteke = nullptr;
    decltype(&KRVDLLSerKasJakSzukacParagonu) SerKasJakSzukacParagonu = nullptr;
    decltype(&KRVDLLSerKasOpisOkna) SerKasOpisOkna = nullptr;
    decltype(&KRVDLLSerKasPokazOkno) SerKasPokazOkno = nullptr;
    decltype(&KRVDLLSerKasNazwaZasobuDzielonego) SerKasNazwaZasobuDzielonego = nullptr;
    decltype(&KRVDLLSerKasOperacja) SerKasOperacja = nullptr;
    decltype(&KRVDLLSerKasPodtrzymajSesje) SerKasPodtrzymajSesje = nullptr;
    decltype(&KRVDLLUstawJezykKomponentow) UstawJezykKomponentow = nullptr;
    decltype(&KRVDLLParametr) Parametr = nullptr;
    decltype(&KRVDLLTekstListyParametru) TekstListyParametru = nullptr;
};

class DriverLibrary {
  public:
    // Loads the file and looks up all fifteen names. False with *error set
    // when the file cannot be loaded or lacks a name.
    bool Load(const std::string& path, std::string* error);
    const LibraryApi& Api() const { return api_; }
    const std::string& Path() const { return path_; }

  private:
    DynamicLibrary file_;
    LibraryApi api_;
    std::string path_;
};

// Where krvhost looks for the library when --library is not given: beside the
// executable, then the build tree's location of it.
std::string DefaultLibraryPath();

// The English translation file where an install puts it (the Windows zip
// keeps the programs one folder deeper, in x86/ and x64/); "" when krvhost
// does not run from an install.
std::string InstalledTranslationPath();
// The installed manual page krvhost.1; "" when there is none.
std::string InstalledManualPath();

}  // namespace krv::host
