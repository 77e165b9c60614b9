// The device's configuration: every parameter within its kind, limits and
// choices, and the barcode settings composable, as the export needs them.
#include <map>

#include "check.h"
#include "scale/digi_formats.h"
#include "text.h"

namespace krv::host {

namespace {

// A value as the library reads a whole number: trimmed, else 0.
long long LibraryInt(const Host& host, const char* name) {
    long long n = 0;
    return ParseInt(Trim(host.Value(name)), &n) ? n : 0;
}

std::string ChoiceText(const Host& host, const char* name, long long index) {
    const CatalogueEntry* e = host.GetCatalogue().Find(name);
    if (!e || index < 0 || index >= static_cast<long long>(e->choices.size()))
        return std::to_string(index);
    return "'" + ToUtf8(e->choices[static_cast<size_t>(index)]) + "'";
}

// What is wrong with a value of the entry, or "" when it fits.
std::string Misfit(const CatalogueEntry& e, const std::string& value, std::string* todo) {
    const std::string name = ToUtf8(e.name);
    long long n = 0;
    switch (e.kind) {
        case KRV_PARAM_INTEGER: {
            long long lo = 0, hi = 0;
            const bool has_lo = ParseInt(e.lower, &lo), has_hi = ParseInt(e.upper, &hi);
            const std::string range = ToUtf8(e.lower) + ".." + ToUtf8(e.upper);
            *todo = "krvhost set " + name + " <a whole number in " + range + ">";
            if (!ParseInt(value, &n))
                return "'" + value + "' is not a whole number (the library would read 0)";
            if ((has_lo && n < lo) || (has_hi && n > hi)) return value + " lies outside " + range;
            return "";
        }
        case KRV_PARAM_CHOICE: {
            const long long count = static_cast<long long>(e.choices.size());
            *todo = "krvhost set " + name + " <0.." + std::to_string(count - 1) +
                    " or a choice's text> (krvhost params lists the choices)";
            if (!ParseInt(value, &n) || n < 0 || n >= count)
                return "'" + value + "' is not the number of one of its " + std::to_string(count) +
                       " choices (the library would read " +
                       (ParseInt(value, &n) ? value : std::string("0")) + ")";
            return "";
        }
        default:
            *todo = "krvhost set " + name + " <at most " + std::to_string(KRV_TEXT_MAX) +
                    " characters>";
            if (ToCp1250(value).size() > KRV_TEXT_MAX)
                return "the text is longer than " + std::to_string(KRV_TEXT_MAX) + " characters";
            return "";
    }
}

}  // namespace

void CheckParameters(const Host& host, const Profile& profile, CheckReport* report) {
    const Catalogue& catalogue = host.GetCatalogue();
    int good = 0;
    for (const CatalogueEntry& e : catalogue.Entries()) {
        std::string todo;
        std::string wrong = Misfit(e, host.Value(ToUtf8(e.name)), &todo);
        if (wrong.empty())
            ++good;
        else
            report->Fail(ToUtf8(e.name), wrong, todo);
    }
    if (good == static_cast<int>(catalogue.Entries().size()))
        report->Ok("parameters",
                   "all " + std::to_string(good) + " within their kinds, limits and choices");
    for (const auto& [key, value] : profile.Entries(kParameterSection))
        if (!catalogue.Find(ToCp1250(key)))
            report->Warn(key, "is not a parameter of the library, which never reads it",
                         "correct the name or remove the line from " + profile.Path() +
                             " (krvhost params lists the names)");
}

void CheckFormats(const Host& host, const Profile& profile, CheckReport* report) {
    const long long label = LibraryInt(host, "DigiSM_FormatEtyk");
    report->Ok("label format",
               ChoiceText(host, "DigiSM_FormatEtyk", label) + " written into every PLU record");

    const long long list_index = LibraryInt(host, "DigiSM_FormatKodu");
    const std::string format = ChoiceText(host, "DigiSM_FormatKodu", list_index);
    if (LibraryInt(host, "DigiSM_KodyKD") == 0) {
        const std::string composing = DigiTemplate(static_cast<int32_t>(list_index + 1));
        if (composing.empty()) {
            std::string usable;
            for (int32_t f = 1; f <= kDigiFormatCount; ++f)
                if (!DigiTemplate(f).empty())
                    usable += (usable.empty() ? "" : ", ") + std::to_string(f - 1);
            report->Fail("barcode format",
                         "barcodes are composed from short codes (DigiSM_KodyKD 0), and format " +
                             format + " cannot be composed: the export stops at once",
                         "krvhost set DigiSM_FormatKodu N with N one of " + usable +
                             ", or krvhost set DigiSM_KodyKD 1 when the goods carry whole "
                             "weighted codes");
            return;
        }
        const size_t digits = composing.find_last_of('S') - composing.find('S') + 1;
        const long long first = LibraryInt(host, "DigiSM_KodPocz");
        const long long last = LibraryInt(host, "DigiSM_KodKonc");
        long long widest = 1;
        for (size_t i = 0; i < digits; ++i) widest *= 10;
        --widest;
        if (first > last) {
            report->Fail("short codes",
                         "DigiSM_KodPocz " + std::to_string(first) + " is above DigiSM_KodKonc " +
                             std::to_string(last) + ": no goods would be sent",
                         "krvhost set DigiSM_KodKonc " + std::to_string(std::max(first, widest)));
        } else if (last > widest) {
            report->Warn("short codes",
                         "format " + format + " has " + std::to_string(digits) +
                             " goods digits: goods with codes above " + std::to_string(widest) +
                             " are left out",
                         "krvhost set DigiSM_KodKonc " + std::to_string(widest) +
                             ", or choose a format with more goods digits");
        }
        report->Ok("barcode format", format + " composes the barcodes (prefix " +
                                         Trim(host.Value("DigiSM_PrzedrWagowy")) + ", " +
                                         std::to_string(digits) + " goods digits)");
        return;
    }
    // Whole weighted codes go out as they are; the host's formats are needed
    // only to read goods numbers or groups out of them.
    std::map<long long, std::string> formats;
    for (const auto& [key, value] : profile.Entries(kDeviceSection)) {
        long long n = 0;
        if (key.size() > 7 && SameText(key.substr(0, 7), "format.") && ParseInt(key.substr(7), &n))
            formats[n] = value;
    }
    for (const auto& [n, value] : formats) {
        const std::string t = Trim(value);
        if (t.size() != 13 || t[0] < '0' || t[0] > '9' || t[1] < '0' || t[1] > '9')
            report->Warn("format." + std::to_string(n),
                         "'" + t + "' is not 13 characters starting with the two-digit prefix",
                         "krvhost set format." + std::to_string(n) +
                             " <prefix and 11 of S, G, ?, K, e.g. 28SSSSS?????K>");
    }
    const bool reads_codes =
        LibraryInt(host, "DigiSM_SkadPlu") != 0 || LibraryInt(host, "DigiSM_SubgroupOnly") != 0;
    if (reads_codes && formats.empty()) {
        report->Fail("weighted-barcode formats",
                     "goods numbers or groups are read out of the weighted codes "
                     "(DigiSM_SkadPlu or DigiSM_SubgroupOnly), but the profile gives no "
                     "format.N: every goods would be left out",
                     "krvhost set format.1 28SSSSS?????K (one per prefix the goods use)");
        return;
    }
    report->Ok("barcode format",
               "whole weighted codes are sent as they are, printed as " + format +
                   (reads_codes ? " (" + std::to_string(formats.size()) + " host formats read them)"
                                : ""));
}

}  // namespace krv::host
