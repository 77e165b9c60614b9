// Parameter access of the action: typed readers of the host's parameter
// values, the directory check of exchange paths, and the library's own
// (hidden) parameters stored in the host under the library type prefix.
#include <algorithm>

#include "action/action_base.h"
#include "host/library.h"
#include "platform/dirs.h"
#include "support/exception.h"
#include "support/strutil.h"
#include "support/tdttools.h"

namespace krv {

namespace {

constexpr const char* kSection = "kstools_KSLib";

// The host keeps one parameter value in at most this many characters.
constexpr size_t kLongParamPiece = 250;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Splits a long value into pieces of at most `piece` characters. The host
// trims every value it stores, so a cut is moved back to a place where
// neither side is a blank or a control character; only a piece made of
// nothing but blanks is cut at full length.
std::vector<std::string> SplitForStorage(const std::string& value, size_t piece) {
    std::vector<std::string> pieces;
    size_t pos = 0;
    while (pos < value.size()) {
        size_t end = std::min(pos + piece, value.size());
        if (end < value.size()) {
            size_t cut = end;
            while (cut > pos && (IsBlank(value[cut - 1]) || IsBlank(value[cut]))) --cut;
            if (cut > pos) end = cut;
        }
        pieces.push_back(value.substr(pos, end - pos));
        pos = end;
    }
    return pieces;
}

}  // namespace

std::string TKSActionBase::ParamAsString(const std::string& name) const {
    return WartoscParametru(name);
}

int32_t TKSActionBase::ParamAsInt(const std::string& name) const {
    return TryStrToInt(Trim(WartoscParametru(name))).value_or(0);
}

double TKSActionBase::ParamAsDate(const std::string& name) const {
    TdtTools dt;
    dt.FromString(Trim(WartoscParametru(name)), TdtTools::kStorage);
    return dt.Date();
}

std::string TKSActionBase::ParamAsDir(const std::string& name) {
    const TMLgExtTools* lg = GetLgLink();
    std::string path = WartoscParametru(name);

    if (!platform::DirectoryExists(path)) {
        DodajKomunikat(
            KRV_MSG_ORDINARY,
            Tr(lg, kSection, "TKSActioParamAsDstr", "Katalog \"") + path +
                Tr(lg, kSection, "TKSActioParamAsDstrdir", "\" nie istnieje, próba utworzenia"));
        if (!platform::ForceDirectories(path))
            throw Exception(Tr(lg, kSection, "TKSActioParamAsDstr_00001",
                               "Próba utworzenia katalogu zakończona błędem"));
    }

    // Write test: create a new file, write a few bytes and remove it again.
    // Only a file that this test created is ever removed: when "test" is
    // already taken (a file of the user, say), the next free name is used.
    std::string base = path;
    if (!base.empty() && !platform::IsPathSeparator(base.back())) base += platform::PathSeparator();
    base += "test";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string testPath = attempt == 0 ? base : base + IntToStr(attempt);
        platform::CreateNewResult r = platform::CreateNewFile(testPath, "test");
        if (r == platform::CreateNewResult::kExists) continue;
        if (r == platform::CreateNewResult::kCreated) {
            platform::RemoveFile(testPath);
            return path;
        }
        break;
    }
    throw Exception(
        Tr(lg, kSection, "TKSActioParamAsDstr_00002",
           "Merkaton nie ma uprawnień do zapisu w katalogu \"") +
        path +
        Tr(lg, kSection, "TKSActioParamAsDstrdir_00001", "\", nadaj uprawnienia aby kontynuować"));
}

void TKSActionBase::ReadParamEx(const std::string& name, std::string& value) const {
    value = WartoscParametru(TKSLibrary::NazwaZTypem(name));
}

void TKSActionBase::WriteParamEx(const std::string& name, const std::string& value) const {
    ZmienParametr(TKSLibrary::NazwaZTypem(name), value);
}

void TKSActionBase::ZmienParametr(const std::string& name, const std::string& value) const {
    if (library_ && library_->ZmienParametr(*this, name, value)) return;
    const TMLgExtTools* lg = GetLgLink();
    throw Exception(Tr(lg, kSection, "TKSActioZmienParstr", "Błąd zapisu własnego parametru '") +
                    name + Tr(lg, kSection, "TKSActioZmienParstr_00001", "' do bazy danych"));
}

std::string TKSActionBase::ReadLongParamEx(const std::string& name, int32_t count) const {
    std::string result;
    for (int32_t i = 1; i <= count; ++i) {
        std::string piece;
        ReadParamEx(name + IntToStr(i), piece);
        result += piece;
    }
    return result;
}

void TKSActionBase::WriteLongParamEx(const std::string& name, const std::string& value,
                                     int32_t count) const {
    std::vector<std::string> pieces = SplitForStorage(value, kLongParamPiece);
    for (int32_t i = 1; i <= count; ++i) {
        size_t index = static_cast<size_t>(i - 1);
        WriteParamEx(name + IntToStr(i), index < pieces.size() ? pieces[index] : std::string());
    }
}

}  // namespace krv
