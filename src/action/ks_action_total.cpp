// The sales total line of the file-exchange action.
#include "action/ks_action.h"
#include "salesimport/impbuf.h"
#include "salesimport/number_text.h"
#include "support/strutil.h"

namespace krv {

namespace {
constexpr std::string_view kSection = "kstools_KSAction";

// Replaces the first conversion of the format (the amount's, whatever
// precision a translation gave it) by "%s".
void AmountAsText(std::string& format) {
    for (size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%') continue;
        if (format[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t end = format.find_first_not_of("-+ #0123456789.lLhqjzt", i + 1);
        if (end == std::string::npos) return;
        format.replace(i, end - i + 1, "%s");
        return;
    }
}
}  // namespace

void KSAction::ShowTotalValue(const KSImpBuf* buffer) {
    if (!buffer) buffer = impBuf;
    if (!buffer) return;
    const TMLgExtTools* lg = GetLgLink();
    std::string format = TrFormat(lg, kSection, "KSActionShowTotadesc",
                                  " ------ WARTOŚĆ SPRZEDAŻY:     %.02Lf zł. %s ------");
    const std::string source = buffer->flags.fiskZPlu
                                   ? Tr(lg, kSection, "KSActionShowTota_00001", "(w/g PLU)")
                                   : Tr(lg, kSection, "KSActionShowTota", "(w/g finans.)");
    // The amount goes in as text, so that it reads with '.' whatever the
    // process locale; the format keeps the conversions of the default.
    AmountAsText(format);
    MsgAdd(Format(format.c_str(), TwoDecimalsText(buffer->GetTotalValue() / 100).c_str(),
                  source.c_str()),
           lpvPlain, 100);
}

}  // namespace krv
