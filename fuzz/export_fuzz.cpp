// A whole file-only export through the exported functions: the configuration
// and the goods file come from the input. The connection is always "file
// only", so no program is ever started. Input: the first lines (up to an
// empty line) are the values of the parameters below, in order; the rest is
// the goods file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_host.h"

namespace {

const char* const kParameters[] = {
    "DigiSM_KodyKD",       "DigiSM_SkadPlu",         "DigiSM_KodPocz",
    "DigiSM_KodKonc",      "DigiSM_PrzedrWagowy",    "DigiSM_FormatKodu",
    "DigiSM_FormatEtyk",   "DigiSM_RozmiarCzcionki", "DigiSM_RozmiarCzcionkiOpis",
    "DigiSM_DataWazn",     "DigiSM_DataPakow",       "DigiSM_DataSprzed",
    "DigiSM_GodzinaPakow", "DigiSM_EksportujOpisy",  "DigiSM_DescriptionMode",
    "DigiSM_Subgroup",     "DigiSM_SubgroupOnly",    "DigiSM_Timeout",
    "DigiSMNazwa",         "DigiSM_AdresIP",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static krv::fuzz::FuzzHost host;
    std::string_view in(reinterpret_cast<const char*>(data), size);
    host.params.clear();
    size_t pos = 0;
    for (const char* name : kParameters) {
        size_t end = in.find('\n', pos);
        if (end == std::string_view::npos || end == pos) break;
        host.params[name] = std::string(in.substr(pos, end - pos));
        pos = end + 1;
    }
    size_t blank = in.find("\n\n");
    std::string_view goods =
        blank == std::string_view::npos ? in.substr(pos) : in.substr(blank + 2);
    host.params["DigiSM_Zlacze"] = "0";
    host.Reset();
    host.Write("kasa.exp", goods);
    char buf[KRV_TEXT_BUFFER] = "";
    void* session = nullptr;
    KRVDLLSerKasOperacja(host.Library(), host.Device(), &session, buf, KRV_OP_EXPORT, 0);
    return 0;
}
