#include "commands.h"

#include <cstdio>
#include <iostream>

#include "host_os.h"
#include "sales_file.h"
#include "text.h"

namespace krv::host {

namespace {

void Out(const std::string& s) { std::fputs(s.c_str(), stdout); }

// Multi-line library texts (CR LF inside) printed with an indent.
std::string Indented(const std::string& cp1250, const std::string& indent) {
    std::string out;
    for (std::string line : Split(ToUtf8(cp1250), '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out += (out.empty() ? "" : "\n" + indent) + line;
    }
    return out;
}

std::string Pad(const std::string& s, size_t width) {
    size_t n = Utf8Length(s);
    return n >= width ? s + " " : s + std::string(width - n, ' ');
}

// Settings of the [device] section that `set` and `get` know.
bool IsDeviceKey(const std::string& key) {
    return SameText(key, "name") || SameText(key, "exchange_dir") || SameText(key, "vat") ||
           SameText(key, "vat_prec") || (key.size() > 7 && SameText(key.substr(0, 7), "format."));
}

bool CheckRateList(const std::string& value, std::string* error) {
    for (const std::string& item : Split(value, ',')) {
        long long n = 0;
        if (!ParseInt(item, &n)) {
            *error = "a VAT rate list is whole numbers separated by commas, e.g. 23,8,5,0,-1";
            return false;
        }
    }
    return true;
}

}  // namespace

bool Session::Open(const Options& options, std::string* error, int* exit_code) {
    PrepareConsole();
    std::string path = options.library.empty() ? DefaultLibraryPath() : options.library;
    if (!library.Load(path, error)) {
        *exit_code = kExitLibrary;
        return false;
    }
    profile = Profile(options.profile);
    if (!profile.Load(error)) {
        *exit_code = kExitUsage;
        return false;
    }
    // An installed krvhost speaks English unless told otherwise (--lang none:
    // the library's own texts).
    const std::string lang = options.lang.empty()     ? InstalledTranslationPath()
                             : options.lang == "none" ? std::string()
                                                      : options.lang;
    if (!lang.empty() && !translations.Load(lang, error)) {
        *exit_code = kExitUsage;
        return false;
    }
    std::FILE* out = options.window_to_stderr ? stderr : stdout;
    window = std::make_unique<OperationWindow>(out, IsTerminal(out),
                                               EnableColours(out) && !std::getenv("NO_COLOR"));
    host = std::make_unique<Host>(library.Api(), profile, *window,
                                  lang.empty() ? nullptr : &translations);
    host->trace = options.trace;
    if (!host->Start(error)) {
        *exit_code = kExitLibrary;
        return false;
    }
    return true;
}

namespace {

// Opens a session or reports why not; null on failure with *exit_code set.
std::unique_ptr<Session> OpenSession(const Options& options, int* exit_code) {
    auto s = std::make_unique<Session>();
    std::string error;
    if (!s->Open(options, &error, exit_code)) {
        std::fprintf(stderr, "krvhost: %s\n", error.c_str());
        return nullptr;
    }
    return s;
}

}  // namespace

int CmdInfo(const Options& options) {
    int code = 0;
    auto s = OpenSession(options, &code);
    if (!s) return code;
    const LibraryApi& api = s->library.Api();
    Out("library        " + s->library.Path() + "\n");
    Out("kind           " + std::to_string(api.TypBiblioteki()) + "\n");
    const struct {
        int code;
        const char* label;
    } properties[] = {{1, "name"},           {2, "type id"},        {3, "tested with"},
                      {102, "property 102"}, {103, "property 103"}, {105, "property 105"}};
    for (const auto& p : properties) {
        char buf[KRV_TEXT_BUFFER] = "";
        api.Wlasciwosci(buf, p.code);
        Out(Pad(p.label, 15) + Indented(buf, std::string(15, ' ')) + "\n");
    }
    return kExitOk;
}

int CmdParams(const Options& options) {
    int code = 0;
    auto s = OpenSession(options, &code);
    if (!s) return code;
    int group = 0;
    for (const CatalogueEntry& e : s->host->GetCatalogue().Entries()) {
        if (e.group != group) {
            group = e.group;
            Out(std::string(group == Catalogue::kGroups[0] ? "" : "\n") + "Group " +
                std::to_string(group) + "\n");
        }
        std::string line = "  " + Pad(ToUtf8(e.name), 28) + Pad(KindName(e.kind), 9) + "default " +
                           ToUtf8(e.default_value);
        if (!e.lower.empty() || !e.upper.empty())
            line += "  limits " + ToUtf8(e.lower) + ".." + ToUtf8(e.upper);
        if (e.flags) line += "  flags " + std::to_string(e.flags);
        Out(line + "\n      " + Indented(e.description, "      ") + "\n");
        for (size_t i = 0; i < e.choices.size(); ++i)
            Out("      " + std::to_string(i) + " = " + ToUtf8(e.choices[i]) + "\n");
    }
    return kExitOk;
}

int CmdSet(const Options& options) {
    if (options.args.size() != 2) {
        std::fprintf(stderr, "krvhost: usage: krvhost [--profile FILE] set NAME VALUE\n");
        return kExitUsage;
    }
    int code = 0;
    auto s = OpenSession(options, &code);
    if (!s) return code;
    const std::string& name = options.args[0];
    const std::string& value = options.args[1];
    std::string error;
    if (IsDeviceKey(name)) {
        if ((SameText(name, "vat") || SameText(name, "vat_prec")) &&
            !CheckRateList(value, &error)) {
            std::fprintf(stderr, "krvhost: %s\n", error.c_str());
            return kExitUsage;
        }
        s->profile.Set(kDeviceSection, name, value);
    } else if (name.size() > 7 && SameText(name.substr(0, 7), "hidden.")) {
        s->profile.Set(kHiddenSection, name.substr(7), value);
    } else if (const CatalogueEntry* e = s->host->GetCatalogue().Find(ToCp1250(name))) {
        std::string stored;
        if (!Catalogue::Normalise(*e, value, &stored, &error)) {
            std::fprintf(stderr, "krvhost: %s\n", error.c_str());
            return kExitUsage;
        }
        s->profile.Set(kParameterSection, ToUtf8(e->name), stored);
    } else {
        std::fprintf(
            stderr,
            "krvhost: unknown name '%s': not a device setting (name, exchange_dir, vat, vat_prec, "
            "format.N), not hidden.NAME and not a parameter of the library (see krvhost params)\n",
            name.c_str());
        return kExitUsage;
    }
    if (!s->profile.Save(&error)) {
        std::fprintf(stderr, "krvhost: %s\n", error.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

int CmdGet(const Options& options) {
    if (options.args.size() > 1) {
        std::fprintf(stderr, "krvhost: usage: krvhost [--profile FILE] get [NAME]\n");
        return kExitUsage;
    }
    int code = 0;
    auto s = OpenSession(options, &code);
    if (!s) return code;
    const Catalogue& catalogue = s->host->GetCatalogue();
    if (options.args.size() == 1) {
        const std::string& name = options.args[0];
        std::optional<std::string> v;
        if (SameText(name, "exchange_dir"))
            v = ToUtf8(s->host->ExchangeDir());
        else if (IsDeviceKey(name))
            v = s->profile.Get(kDeviceSection, name);
        else if (name.size() > 7 && SameText(name.substr(0, 7), "hidden."))
            v = s->profile.Get(kHiddenSection, name.substr(7));
        else if (const CatalogueEntry* e = catalogue.Find(ToCp1250(name)))
            v = s->profile.Get(kParameterSection, ToUtf8(e->name))
                    .value_or(ToUtf8(e->default_value));
        else if (auto h = s->profile.Get(kHiddenSection, name))
            v = h;
        if (!v) {
            std::fprintf(stderr, "krvhost: '%s' is not set\n", name.c_str());
            return kExitFailed;
        }
        Out(*v + "\n");
        return kExitOk;
    }
    Out("[device]\n");
    Out("  " + Pad("exchange_dir", 28) + ToUtf8(s->host->ExchangeDir()) + "\n");
    for (const auto& [key, value] : s->profile.Entries(kDeviceSection))
        if (!SameText(key, "exchange_dir")) Out("  " + Pad(key, 28) + value + "\n");
    Out("[parameters]\n");
    for (const CatalogueEntry& e : catalogue.Entries()) {
        auto v = s->profile.Get(kParameterSection, ToUtf8(e.name));
        std::string shown = v ? *v : ToUtf8(e.default_value) + "  (default)";
        if (e.kind == KRV_PARAM_CHOICE) {
            long long n = -1;
            if (ParseInt(v ? *v : ToUtf8(e.default_value), &n) && n >= 0 &&
                n < static_cast<long long>(e.choices.size()))
                shown += "  = " + ToUtf8(e.choices[static_cast<size_t>(n)]);
        }
        Out("  " + Pad(ToUtf8(e.name), 28) + shown + "\n");
    }
    auto hidden = s->profile.Entries(kHiddenSection);
    if (!hidden.empty()) Out("[hidden]\n");
    for (const auto& [key, value] : hidden) Out("  " + Pad(key, 28) + value + "\n");
    return kExitOk;
}

int RunExport(Session& s, bool automatic) {
    InstallInterruptHandler();
    Host& host = *s.host;
    bool stored = host.Export(automatic);
    if (!stored) {
        // The library leaves a program that outlived a failed transfer alone;
        // the host does not, or it could finish during the next export and
        // leave its files to be taken for that one's.
        int stopped = StopProgramsRunningFrom(host.ExchangeDir() + "SM_eth.exe");
        if (stopped > 0)
            s.window->Note("krvhost: stopped " + std::to_string(stopped) +
                           " SM_eth.exe still running after the failed export");
    }
    if (stored) {
        s.window->Note("krvhost: export finished; result stored (" +
                       std::to_string(host.Result().lines.size()) + " goods confirmed)");
        return kExitOk;
    }
    s.window->Note(std::string("ERROR: krvhost: export failed") +
                   (InterruptRequested() ? " (interrupted by the user)" : "") +
                   "; no result stored");
    return kExitFailed;
}

int CmdExport(const Options& options) {
    if (!options.args.empty()) {
        std::fprintf(stderr, "krvhost: usage: krvhost [--profile FILE] export [--auto]\n");
        return kExitUsage;
    }
    int code = 0;
    auto s = OpenSession(options, &code);
    if (!s) return code;
    return RunExport(*s, options.automatic);
}

int CmdSales(const Options& options) {
    if (options.args.size() != 1) {
        std::cerr << "krvhost: usage: krvhost sales FILE\n";
        return kExitUsage;
    }
    return RunSales(options.args[0], std::cout, std::cerr);
}

}  // namespace krv::host
