#include "salesimport/paragon.h"

#include "platform/clock.h"
#include "support/mfile.h"
#include "support/strutil.h"

namespace krv {

namespace {
std::string Optional(int32_t value) { return value == -1 ? std::string() : IntToStr(value); }
}  // namespace

KRVParagon::~KRVParagon() = default;

void KRVParagon::ProcessFirstPosition(KRVPosition& position) {
    if (nrParagonu == -1) nrParagonu = position.nrParagonu;
    if (data == 0) data = position.czas;
}

void KRVParagon::ProcessFirstPayment(KRVPayment&) {}
void KRVParagon::ProcessEachPosition(KRVPosition&) {}
void KRVParagon::ProcessEachPayment(KRVPayment&) {}
void KRVParagon::PostProcess() {}

KRVParagon& KRVParagon::operator+(KRVPosition* position) {
    return *this + std::unique_ptr<KRVPosition>(position);
}

KRVParagon& KRVParagon::operator+(KRVPayment* payment) {
    return *this + std::unique_ptr<KRVPayment>(payment);
}

KRVParagon& KRVParagon::operator+(std::unique_ptr<KRVPosition> position) {
    if (!position) return *this;
    KRVPosition& p = *position;
    ProcessEachPosition(p);
    positions_.push_back(std::move(position));
    if (positions_.size() == 1) ProcessFirstPosition(p);
    return *this;
}

KRVParagon& KRVParagon::operator+(std::unique_ptr<KRVPayment> payment) {
    if (!payment) return *this;
    KRVPayment& p = *payment;
    ProcessEachPayment(p);
    payments_.push_back(std::move(payment));
    if (payments_.size() == 1) ProcessFirstPayment(p);
    return *this;
}

std::string KRVParagon::HeaderFrom(const std::string& text) const {
    return std::string(raportKasowy ? "KSK;" : "TRN;") + IntToStr(numer1) + ';' +
           IntToStr(nrParagonu) + ';' + IntToStr(GetnPosCount()) + ';' +
           IntToStr(GetnPaymentCount()) + ';' + Optional(opcja1) + ';' + Optional(opcja2) + ';' +
           text + ';' + Optional(opcja3) + ';' + SalesDateText(data) + ';' + IntToStr(rabat) + ';' +
           IntToStr(numerOstatni);
}

std::string KRVParagon::HeaderLine() const { return HeaderFrom(tekst); }

std::string KRVParagon::HeaderText() const {
    const std::string lead = "\r\n[Paragon nr " + IntToStr(nrParagonu) + "]\r\n";
    std::string header = lead + HeaderLine() + "\r\n";
    if (header.size() <= kMaxHeader) return header;
    // Only the free text gives way: the fields after it and the line end
    // must stay, or the importer would read the next line as part of this one.
    const size_t fixed = header.size() - tekst.size();
    const size_t room = fixed < kMaxHeader ? kMaxHeader - fixed : 0;
    return lead + HeaderFrom(tekst.substr(0, room)) + "\r\n";
}

void KRVParagon::WriteTo(TMFile& file) {
    file.Write(HeaderText());
    if (!raportKasowy) {
        int32_t written = 0;
        for (const auto& p : positions_) {
            p->WriteTo(file);
            if (++written % kPositionsPerPause == 0) platform::CurrentClock().SleepMs(kPauseMs);
        }
    }
    for (size_t i = 0; i < payments_.size(); ++i) {
        if (i + 1 == payments_.size()) payments_[i]->ostatnia = true;
        payments_[i]->WriteTo(file);
    }
}

}  // namespace krv
