#include "library.h"

#include <filesystem>
#include <initializer_list>

namespace krv::host {

namespace {

template <typename Fn>
bool Find(const DynamicLibrary& file, const char* name, Fn* out, std::string* missing) {
    *out = reinterpret_cast<Fn>(file.Symbol(name));
    if (!*out) {
        if (!missing->empty()) *missing += ", ";
        *missing += name;
    }
    return *out != nullptr;
}

}  // namespace

bool DriverLibrary::Load(const std::string& path, std::string* error) {
    if (!file_.Open(path, error)) return false;
    path_ = path;
    std::string missing;
    LibraryApi a;
    Find(file_, "KRVDLLTypBiblioteki", &a.TypBiblioteki, &missing);
    Find(file_, "KRVDLLWlasciwosci", &a.Wlasciwosci, &missing);
    Find(file_, "KRVDLLWlasciwosciUrzadzenia", &a.WlasciwosciUrzadzenia, &missing);
    Find(file_, "KRVDLLRejestrujBiblioteke", &a.RejestrujBiblioteke, &missing);
    Find(file_, "KRVDLLRejestrujCallback", &a.RejestrujCallback, &missing);
    Find(file_, "KRVDLLZwolnijBiblioteke", &a.ZwolnijBiblioteke, &missing);
    Find(file_, "KRVDLLSerKasJakSzukacParagonu", &a.SerKasJakSzukacParagonu, &missing);
    Find(file_, "KRVDLLSerKasOpisOkna", &a.SerKasOpisOkna, &missing);
    Find(file_, "KRVDLLSerKasPokazOkno", &a.SerKasPokazOkno, &missing);
    Find(file_, "KRVDLLSerKasNazwaZasobuDzielonego", &a.SerKasNazwaZasobuDzielonego, &missing);
    Find(file_, "KRVDLLSerKasOperacja", &a.SerKasOperacja, &missing);
    Find(file_, "KRVDLLSerKasPodtrzymajSesje", &a.SerKasPodtrzymajSesje, &missing);
    Find(file_, "KRVDLLUstawJezykKomponentow", &a.UstawJezykKomponentow, &missing);
    Find(file_, "KRVDLLParametr", &a.Parametr, &missing);
    Find(file_, "KRVDLLTekstListyParametru", &a.TekstListyParametru, &missing);
    if (!missing.empty()) {
        *error = path + " is not a driver library: it lacks " + missing;
        file_.Close();
        return false;
    }
    api_ = a;
    return true;
}

std::string DefaultLibraryPath() {
    namespace fs = std::filesystem;
    const std::string dir = ExecutableDir();
    const std::string candidates[] = {
        dir + LibraryFileName(),
        dir + TARVISCO_BIN_TO_LIB "/" + LibraryFileName(),  // installed: bin -> lib
        dir + "../../src/" + LibraryFileName(),  // build/<kind>/tools/krvhost -> build/<kind>/src
    };
    for (const std::string& c : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(c, ec)) return fs::path(c).lexically_normal().string();
    }
    return candidates[0];
}

namespace {

std::string FirstFile(std::initializer_list<std::string> candidates) {
    namespace fs = std::filesystem;
    for (const std::string& c : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(c, ec)) return fs::path(c).lexically_normal().string();
    }
    return "";
}

}  // namespace

std::string InstalledTranslationPath() {
    const std::string dir = ExecutableDir();
    return FirstFile(
        {dir + TARVISCO_BIN_TO_LANG "/en.lang", dir + "../" TARVISCO_BIN_TO_LANG "/en.lang"});
}

std::string InstalledManualPath() {
    return FirstFile({ExecutableDir() + TARVISCO_BIN_TO_MAN "/krvhost.1"});
}

}  // namespace krv::host
