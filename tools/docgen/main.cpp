// docgen: writes the generated pages of the manual.
//
//   docgen parameters --library LIB --lang en.lang --notes parameters.txt --out FILE
//   docgen messages --sources SRC --lang en.lang --notes messages.txt --out FILE
//
// `parameters` loads the library as a host does and reads its catalogue
// twice: as the library gives it (Polish) and with the English translations
// of the --lang file handed over as the host's translation function.
// `messages` scans the library's sources for its text lookups. Either exits 1
// and writes nothing when something lacks an explanation.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "catalogue.h"
#include "library.h"
#include "pages.h"
#include "text.h"

namespace krv::docgen {

namespace {

const host::Translations* g_english = nullptr;

int32_t KRV_CALL Translate(char* out, int32_t size, const char* section, const char* key) {
    auto text = g_english->Find(section ? section : "", key ? key : "");
    if (!text || !out || size <= 0) return 0;
    host::CopyOut(out, static_cast<size_t>(size), *text);
    return 1;
}

bool ReadFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    *text = s.str();
    return static_cast<bool>(in);
}

// The catalogue's texts (parameter labels and choices, looked up through a
// table) are on the parameters page, read from the library itself.
bool Skipped(const std::string& relative) { return relative == "host/catalogue.cpp"; }

std::vector<TextKey> ScanTree(const std::string& root, std::vector<std::string>& errors) {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string ext = e.path().extension().string();
        if (e.is_regular_file() && (ext == ".cpp" || ext == ".h"))
            files.push_back(fs::relative(e.path(), root).generic_string());
    }
    std::sort(files.begin(), files.end());
    ScanResult result;
    for (const std::string& f : files) {
        std::string text;
        if (Skipped(f)) continue;
        if (!ReadFile(root + "/" + f, &text)) errors.push_back("cannot read " + root + "/" + f);
        ScanSource("src/" + f, text, result);
    }
    MergeKeys(result);
    errors.insert(errors.end(), result.errors.begin(), result.errors.end());
    return result.keys;
}

int Usage() {
    std::fputs(
        "usage: docgen parameters --library LIB --lang FILE --notes FILE --out FILE\n"
        "       docgen messages --sources DIR --lang FILE --notes FILE --out FILE\n",
        stderr);
    return 2;
}

}  // namespace

int Main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    std::map<std::string, std::string> o;
    for (int i = 2; i + 1 < argc; i += 2) o[argv[i]] = argv[i + 1];
    for (const char* needed : {"--lang", "--notes", "--out"})
        if (!o.count(needed)) return Usage();

    std::string error, notesText;
    host::Translations english;
    if (!english.Load(o["--lang"], &error)) {
        std::fprintf(stderr, "docgen: %s\n", error.c_str());
        return 2;
    }
    Notes notes;
    if (!ReadFile(o["--notes"], &notesText) || !notes.Parse(o["--notes"], notesText, &error)) {
        std::fprintf(stderr, "docgen: %s\n",
                     error.empty() ? "cannot read the notes" : error.c_str());
        return 2;
    }

    std::vector<std::string> errors;
    std::string page;
    if (command == "parameters" && o.count("--library")) {
        host::DriverLibrary library;
        if (!library.Load(o["--library"], &error)) {
            std::fprintf(stderr, "docgen: %s\n", error.c_str());
            return 2;
        }
        const host::LibraryApi& api = library.Api();
        const auto polish = host::Catalogue::Read(api).Entries();
        int cookie = 0;
        void* handle = api.RejestrujBiblioteke(&cookie, nullptr, nullptr, nullptr);
        g_english = &english;
        api.RejestrujCallback(handle, reinterpret_cast<void*>(&Translate), KRV_CB_TRANSLATE);
        const auto translated = host::Catalogue::Read(api).Entries();
        api.ZwolnijBiblioteke(handle);
        if (translated.size() != polish.size()) {
            std::fputs("docgen: the catalogue changed while it was read\n", stderr);
            return 1;
        }
        page = ParametersPage(polish, translated, notes, errors);
    } else if (command == "messages" && o.count("--sources")) {
        page = MessagesPage(ScanTree(o["--sources"], errors), english, notes, errors);
    } else {
        return Usage();
    }

    for (const std::string& e : errors) std::fprintf(stderr, "docgen: %s\n", e.c_str());
    if (!errors.empty()) return 1;
    std::ofstream out(o["--out"], std::ios::binary);
    out << page;
    out.close();
    if (!out) {
        std::fprintf(stderr, "docgen: cannot write %s\n", o["--out"].c_str());
        return 1;
    }
    return 0;
}

}  // namespace krv::docgen

int main(int argc, char** argv) { return krv::docgen::Main(argc, argv); }
