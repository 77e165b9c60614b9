#include "settings.h"

#include "text.h"

namespace krv::smeth {
namespace {

std::vector<std::string> Items(const std::vector<std::string>& args) {
    std::vector<std::string> items;
    for (const std::string& arg : args) {
        size_t pos = 0;
        while (pos < arg.size()) {
            size_t blank = arg.find(' ', pos);
            if (blank == std::string::npos) blank = arg.size();
            if (blank > pos) items.push_back(arg.substr(pos, blank - pos));
            pos = blank + 1;
        }
    }
    return items;
}

std::optional<int> Number(std::string_view s, int min, int max) {
    if (!AllDigits(s) || s.size() > 6) return std::nullopt;
    int v = std::stoi(std::string(s));
    if (v < min || v > max) return std::nullopt;
    return v;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* bad) {
    for (const std::string& item : Items(args)) {
        if (item.size() < 2 || item[1] != '=') continue;
        std::string_view value = std::string_view(item).substr(2);
        std::optional<int> n;
        switch (item[0]) {
            case 'W':
            case 'w':
                if ((n = Number(value, 1, 999))) out->scale = *n;
                break;
            case 'I':
            case 'i':
                if ((n = Number(value, 0, 1))) out->verbose = *n == 1;
                break;
            case 'T':
            case 't':
                if ((n = Number(value, 1, 3600))) out->timeout_s = *n;
                break;
            default: continue;
        }
        if (!n) {
            *bad = item;
            return false;
        }
    }
    return true;
}

std::optional<ScaleAddress> ParseScaleAddress(std::string_view text) {
    std::string t = Trim(text);
    ScaleAddress a;
    std::string port;
    if (!t.empty() && t[0] == '[') {
        size_t close = t.find(']');
        if (close == std::string::npos) return std::nullopt;
        a.host = t.substr(1, close - 1);
        std::string rest = t.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':') return std::nullopt;
            port = rest.substr(1);
            if (port.empty()) return std::nullopt;
        }
    } else {
        size_t colon = t.find(':');
        if (colon != std::string::npos && t.find(':', colon + 1) != std::string::npos)
            return std::nullopt;
        a.host = t.substr(0, colon);
        if (colon != std::string::npos) {
            port = t.substr(colon + 1);
            if (port.empty()) return std::nullopt;
        }
    }
    if (a.host.empty() || a.host.find_first_of(" \t") != std::string::npos) return std::nullopt;
    if (!port.empty()) {
        std::optional<int> p = Number(port, 1, 65535);
        if (!p) return std::nullopt;
        a.port = *p;
        a.port_given = true;
    }
    return a;
}

std::optional<ScaleAddress> ParseDigiAddress(std::string_view text) {
    std::optional<ScaleAddress> a = ParseScaleAddress(text);
    if (!a || a->port_given) return a;
    // Four numbers of 0-255 separated by dots.
    std::string_view host = a->host;
    int parts = 0;
    std::optional<int> octet;
    while (true) {
        size_t dot = host.find('.');
        octet = Number(host.substr(0, dot), 0, 255);
        if (!octet || host.substr(0, dot).size() > 3) return std::nullopt;
        ++parts;
        if (dot == std::string_view::npos) break;
        host.remove_prefix(dot + 1);
    }
    if (parts != 4) return std::nullopt;
    a->port = 2000 + *octet;
    return a;
}

ProgramFiles ReadProgramFiles(const IniFile& ini) {
    ProgramFiles f;
    f.input = ini.Get("Zbiory", "DaneWej").value_or("");
    f.errors = ini.Get("Zbiory", "DaneWyj").value_or("");
    f.semaphore = ini.Get("Zbiory", "SemaforWyj").value_or("");
    f.codepage = ini.Get("Opcje", "WejscieStronaKodowa").value_or("");
    return f;
}

bool IsSupportedCodepage(std::string_view name) {
    return name.empty() || SameText(name, "windows-1250") || SameText(name, "cp1250") ||
           SameText(name, "1250");
}

ScaleEntry ReadScale(const IniFile& ini, int number) {
    std::string section = std::to_string(number);
    ScaleEntry e;
    e.found = ini.HasSection(section);
    e.name = ini.Get(section, "Nazwa").value_or("");
    e.address = ini.Get(section, "Adres").value_or("");
    return e;
}

}  // namespace krv::smeth
