#include "exportdata/towrec.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <ostream>

#include "exportdata/field_views.h"
#include "exportdata/ljwords.h"
#include "support/exception.h"
#include "support/strutil.h"
#include "support/txftools.h"

namespace krv {

namespace {

const char* const kSection = "kstools_KSExpBuf";

[[noreturn]] void FormatError(const TMLgExtTools* lg, const char* key) {
    throw Exception(Tr(lg, kSection, key, "Nieprawidłowy format pliku eksportowego"));
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The leading decimal number of the text, 0 when it has none: blanks, a sign,
// digits with "." as the point and an exponent, as the C library reads it in
// its default locale, but never with the process locale's point.
double Decimal(std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && IsSpace(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
        // from_chars takes no sign of its own after ours.
        if (p < end && (*p == '+' || *p == '-')) return 0;
    }
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        return AtoF(text);  // a hexadecimal number: rare, left to the C rule
    double value = 0;
    auto [ptr, ec] = std::from_chars(p, end, value);
    if (ec == std::errc::result_out_of_range) return AtoF(text);  // infinity or zero
    if (ec != std::errc()) return 0;
    return negative ? -value : value;
}

// The C rule for a whole number: blanks, a sign, the leading digits; 0 when
// there are none or the number does not fit 32 bits.
int32_t LeadingInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{INT32_MAX} + 1) return 0;
    }
    if (negative) value = -value;
    return value > INT32_MAX ? 0 : static_cast<int32_t>(value);
}

int32_t Truncated(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return 0;
    return static_cast<int32_t>(value);
}

}  // namespace

const char* StatusWord(int32_t status) {
    static const char* const kWords[] = {"DOD", "AKT", "CEN", "USU"};
    return status >= 0 && status <= 3 ? kWords[status] : "";
}

void KSTowRec::Clear() {
#define KRV_TOWREC_RESET(member, kind, init, clear, ...) \
    if constexpr (field::clear == field::Reset) field::ToDefault(member, init);
    KRV_TOWREC_FIELDS(KRV_TOWREC_RESET)
#undef KRV_TOWREC_RESET
}

std::string KSTowRec::Text() const {
    std::string text;
#define KRV_TOWREC_TEXT(member, ...) field::AppendText(text, #member, member);
    KRV_TOWREC_FIELDS(KRV_TOWREC_TEXT)
#undef KRV_TOWREC_TEXT
    return text;
}

std::ostream& operator<<(std::ostream& out, const KSTowRec& rec) { return out << rec.Text(); }

bool KSTowRec::Bool(char c, const TMLgExtTools* lg) {
    if (c == 'T' || c == 't') return true;
    if (c == 'F' || c == 'f') return false;
    FormatError(lg, "KSTowRecBoolExceptio");
}

double KSTowRec::CenaAkt(int type) const {
    switch (type) {
        case 1: return cena_hurt;
        case 2: return cena_noc;
        case 3: return cena_dod;
        default: return cena;
    }
}

void KSTowRec::FromLine(std::string_view line, const TMLgExtTools* lg) {
    FieldViews fields(';');
    fields.Init(line);
    FromLine(fields, lg);
}

void KSTowRec::FromLine(TLJWords& words, const TMLgExtTools* lg) {
    FieldViews fields(';');
    fields.Init(words);
    FromLine(fields, lg);
}

void KSTowRec::FromLine(FieldViews& w, const TMLgExtTools* lg) { Read(w, lg, nullptr); }

void KSTowRec::FromLine(FieldViews& w, const TMLgExtTools* lg, std::string& unread) {
    unread.clear();
    Read(w, lg, &unread);
}

void KSTowRec::Read(FieldViews& w, const TMLgExtTools* lg, std::string* unread) {
    Clear();
    // A field the export does not read: with `unread`, a bad number there is 0.
    auto unused = [&](int i, const char* name) -> int32_t {
        if (!unread) return StrToInt(w[i]);
        if (auto v = TryStrToInt(w[i])) return *v;
        *unread +=
            (unread->empty() ? "" : ", ") + std::string(name) + " '" + std::string(w[i]) + "'";
        return 0;
    };
    auto boolAt = [&](int i) {
        std::string_view f = w[i];
        return Bool(f.empty() ? '\0' : f[0], lg);
    };

    plu = StrToInt(w[1]);
    koldod = StrToInt(w[2]);
    kod = w[3];
    nazwa = w[4];
    cena = Decimal(w[5]);
    cena_hurt = Decimal(w[6]);
    cena_noc = Decimal(w[7]);
    cena_dod = Decimal(w[8]);
    stawka = unused(9, "stawka");
    jedn = unused(10, "jedn");
    czy_wazony = boolAt(11);
    precyzja = StrToInt(w[12]);
    wagowo_ilosciowy = boolAt(13);
    opakowanie = boolAt(14);
    cena_otwarta = boolAt(15);
    kod_opakowania = w[16];
    if (!w[17].empty()) plu_opakowania = unused(17, "plu_opakowania");
    nr_asort = unused(18, "nr_asort");
    const std::string_view word = w[19];
    if (word == "DOD")
        status = kStatusAdd;
    else if (word == "AKT")
        status = kStatusUpdate;
    else if (word == "CEN")
        status = kStatusPriceChange;
    else if (word == "USU")
        status = kStatusDelete;
    else
        FormatError(lg, "KSTowRecFromLineExceptio");
    org_barcode = kod;
    org_status = status;

    // Optional trailing fields: each is read only while the end of the line
    // has not been reached; the pairs 20/21 and 27/28 are tested together.
    if (!w.EndReached) {
        opis1 = w[20];
        opis2 = w[21];
    }
    PKWiU = w.EndReached ? std::string_view() : w[22];
    SWW = w.EndReached ? std::string_view() : w[23];
    TerminW = w.EndReached ? 0 : LeadingInt(w[24]);
    poziom_cen = w.EndReached ? -1 : StrToIntDef(w[25], -1);
    ile_w_kodzie = w.EndReached ? 1000 : StrToIntDef(w[26], 1000);

    // The price level picks an alternative price: note that level 2 takes the
    // additional price and level 3 the night price.
    if (poziom_cen == 1)
        cena = cena_hurt;
    else if (poziom_cen == 2)
        cena = cena_dod;
    else if (poziom_cen == 3)
        cena = cena_noc;
    if (ile_w_kodzie != 1000) {
        double factor = ile_w_kodzie / 1000.0;
        cena = TxfTools::Round(cena * factor, 0);
        cena_hurt = TxfTools::Round(cena_hurt * factor, 0);
        cena_noc = TxfTools::Round(cena_noc * factor, 0);
        cena_dod = TxfTools::Round(cena_dod * factor, 0);
    }

    if (!w.EndReached) {
        opis3 = w[27];
        opis4 = w[28];
    }
    fd_dod_rabat_tow = w.EndReached ? 0 : Decimal(w[29]);

    // Lines of 31 fields or more carry the precise VAT rate in field 30.
    int next = 30;
    if (w.GetCount() >= 31) {
        stawka_prec = StrToIntDef(w[30], 0);
        next = 31;
    } else {
        stawka_prec = stawka < 0 ? -1 : static_cast<int32_t>(int64_t{stawka} * 100);
    }
    nazwa_pelna = w.EndReached ? std::string_view() : w[next];
    ile_jedn = w.EndReached ? 0 : Truncated(Decimal(w[next + 1]));
}

}  // namespace krv
