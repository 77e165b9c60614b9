#include "local_settings.h"

#include "text.h"

namespace krv::smeth {
namespace {

constexpr const char* kSection = "Scale";

std::optional<int> Number(const std::string& s, int min, int max) {
    if (!AllDigits(s) || s.size() > 7) return std::nullopt;
    int v = std::stoi(s);
    if (v < min || v > max) return std::nullopt;
    return v;
}

}  // namespace

bool ReadLocalSettings(const IniFile& ini, LocalSettings* out, std::string* error) {
    auto bad = [&](const char* key, const std::string& value, const char* takes) {
        *error = std::string(kLocalSettingsFile) + ": " + key + "=" + value + " — " + takes;
        return false;
    };
    if (std::optional<std::string> v = ini.Get(kSection, "Protocol")) {
        if (SameText(*v, "digi"))
            out->protocol = Protocol::kDigi;
        else if (SameText(*v, "tarvisco") || v->empty())
            out->protocol = Protocol::kTarvisco;
        else
            return bad("Protocol", *v, "takes digi or tarvisco");
    }
    if (std::optional<std::string> v = ini.Get(kSection, "CodePage"); v && !v->empty())
        out->codepage = *v;
    if (std::optional<std::string> v = ini.Get(kSection, "Tries")) {
        std::optional<int> n = Number(*v, 1, 10);
        if (!n) return bad("Tries", *v, "takes a number from 1 to 10");
        out->tries = *n;
    }
    if (std::optional<std::string> v = ini.Get(kSection, "TimeoutMs")) {
        std::optional<int> n = Number(*v, 1, 3600000);
        if (!n) return bad("TimeoutMs", *v, "takes milliseconds from 1 to 3600000");
        out->timeout_ms = *n;
    }
    struct Optional {
        const char* key;
        std::optional<int>* value;
    };
    for (Optional o : {Optional{"SpecialMessage", &out->special_message},
                       Optional{"IngredientNumber", &out->ingredient_number}}) {
        std::optional<std::string> v = ini.Get(kSection, o.key);
        if (!v) continue;
        if (SameText(*v, "none")) {
            o.value->reset();
            continue;
        }
        std::optional<int> n = Number(*v, 0, 255);
        if (!n) return bad(o.key, *v, "takes a number from 0 to 255, or none");
        *o.value = *n;
    }
    return true;
}

}  // namespace krv::smeth
