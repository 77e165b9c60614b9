#include "exportdata/kasjer.h"

#include "support/exception.h"
#include "support/strutil.h"

namespace krv {

namespace {

const char* const kSection = "kstools_KSExpBuf";

// Runs one field read; any failure becomes the getter's own message.
template <typename Read>
auto Field(const TMLgExtTools* lg, const char* key, const char* text, Read read) {
    try {
        return read();
    } catch (const std::exception&) {
        throw Exception(Tr(lg, kSection, key, text));
    }
}

}  // namespace

KSKasjer::KSKasjer(std::string_view line, const TMLgExtTools* lg) : words_(";"), lg_(lg) {
    words_.Init(line);
}

KSKasjer::KSKasjer(int32_t numer, std::string_view nazwisko, int32_t poziom,
                   std::string_view identyfikator, std::string_view kodKarty,
                   const TMLgExtTools* lg)
    : words_(";"), lg_(lg) {
    words_.Init(std::to_string(numer) + ";" + std::string(nazwisko) + ";" + std::to_string(poziom) +
                ";" + std::string(identyfikator) + ";" + std::string(kodKarty));
}

int32_t KSKasjer::GetNumer() const {
    return Field(lg_, "KSKasjerGetNumerExceptio", "Błąd odczytu numeru kasjera",
                 [&] { return StrToInt(words_[0]); });
}

std::string KSKasjer::GetNazwisko() const {
    return Field(lg_, "KSKasjerGetNazwiExceptio", "Błąd odczytu nazwiska kasjera",
                 [&] { return words_[1]; });
}

int32_t KSKasjer::GetPoziomUprawnien() const {
    return Field(lg_, "KSKasjerGetPozioExceptio", "Błąd odczytu poziomu uprawnień kasjera",
                 [&] { return StrToInt(words_[2]); });
}

std::string KSKasjer::GetIdentyfikator() const {
    return Field(lg_, "KSKasjerGetIdentExceptio", "Błąd odczytu identyfikatora kasjera",
                 [&] { return words_[3]; });
}

std::string KSKasjer::GetKodKarty() const {
    return Field(lg_, "KSKasjerGetKodKaExceptio", "Błąd odczytu kodu karty kasjera",
                 [&] { return words_[4]; });
}

KSWaluta::KSWaluta(std::string_view line, const TMLgExtTools* lg) : words_(";"), lg_(lg) {
    words_.Init(line);
}

std::string KSWaluta::GetKod() const {
    return Field(lg_, "KSWalutaGetKodExceptio", "Błąd odczytu kodu waluty",
                 [&] { return words_[0]; });
}

std::string KSWaluta::GetNazwa() const {
    return Field(lg_, "KSWalutaGetNazwaExceptio", "Błąd odczytu nazwy waluty",
                 [&] { return words_[1]; });
}

int32_t KSWaluta::GetKurs() const {
    return Field(lg_, "KSWalutaGetKursExceptio", "Błąd odczytu kursu waluty",
                 [&] { return StrToInt(words_[2]); });
}

bool KSWaluta::GetCzyDomyslna() const {
    return Field(lg_, "KSWalutaGetCzyDoExceptio", "Błąd odczytu statusu \"domyślna\" waluty",
                 [&] { return words_[3] == "T"; });
}

bool KSWaluta::GetCzyMoznaWydawacReszte() const {
    return Field(lg_, "KSWalutaGetCzyMoExceptio",
                 "Błąd odczytu statusu \"czy można wydawać resztę\" waluty",
                 [&] { return words_[4] == "T"; });
}

}  // namespace krv
