// The export result for the host, the recount of the goods counters and the
// reconciliation of the goods with a device's own list.
#include <charconv>

#include "action/action_base.h"
#include "exportdata/expbuf.h"
#include "platform/clock.h"
#include "support/mfile.h"

namespace krv {

namespace {

// 0.00001 of a day between two progress reports.
constexpr int64_t kReportIntervalMs = 864;

void AppendInt(std::string& out, int32_t value) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

std::string StripLeadingZeros(const std::string& code) {
    size_t at = code.find_first_not_of('0');
    return at == std::string::npos ? std::string() : code.substr(at);
}

}  // namespace

void KSExpBuf::ZapiszWynikEksp(const std::string& path) {
    const int rows = towary_.GetCount();
    if (action_)
        action_->MsgAdd(
            Tr(lg_, "kstools_KSExpBuf", "ufZapiszWyksactionMsgAdd", "Zapis wyniku eksportu:"),
            lpvPercent, rows);
    // The host reads the result once the export has returned, and marks its
    // goods sent by it: whole or not at all, and kept through a power cut.
    TMFile file;
    file.SetPath(path);
    file.OpenReplacement();

    std::string line;
    platform::Clock& clock = platform::CurrentClock();
    int64_t lastReport = clock.MonotonicMs();
    for (int i = 0; i < rows; ++i) {
        // The clock every few rows only: a row takes far less than a millisecond.
        if ((i & 63) == 0) {
            int64_t now = clock.MonotonicMs();
            if (now - lastReport > kReportIntervalMs) {
                lastReport = now;
                if (action_) action_->MsgP(i + 1);
            }
        }
        // Only the columns of the report are read: the same answer as reading
        // the whole row, without copying its texts.
        const size_t r = static_cast<size_t>(i);
        const int32_t plu = g_.plu->GetAsIntegerAt(r);
        const int32_t orgStatus = g_.org_status->GetAsIntegerAt(r);
        if (g_.tr_ok->GetAsIntegerAt(r) == 0 || g_.add_rec->GetAsIntegerAt(r) != 0 || plu == 0 ||
            orgStatus < 0 || orgStatus > 3)
            continue;
        line.assign("PLU;");
        AppendInt(line, plu);
        line += ';';
        AppendInt(line, g_.koldod->GetAsIntegerAt(r));
        line += ';';
        line += g_.org_barcode->StringViewAt(r);
        line += ';';
        line += StatusWord(orgStatus);
        file.WriteLine(line, "\r\n");
        ++resultLines_;
    }
    if (action_) {
        action_->MsgP(rows);
        action_->MsgS(lpvFinished);
    }
    file.Commit(true);
}

void KSExpBuf::PrzeliczTowary() {
    goodsCount_ = towary_.GetCount();
    statusCounts_.fill(0);
    packageCount_ = 0;
    for (size_t r = 0, n = static_cast<size_t>(goodsCount_); r < n; ++r) {
        CountStatus(g_.status->GetAsIntegerAt(r), +1);
        if (g_.opakowanie->GetAsIntegerAt(r) != 0) ++packageCount_;
    }
}

void KSExpBuf::AnalizujCancelBufor(bool stripZeros) { Reconcile(stripZeros, false); }

void KSExpBuf::ComparePLUSets(bool stripZeros) { Reconcile(stripZeros, true); }

void KSExpBuf::Reconcile(bool stripZeros, bool compareSets) {
    const int n = towary_.GetCount();  // rows appended below are never searched
    ResetFlags(false);

    int progress = 1;
    platform::Clock& clock = platform::CurrentClock();
    int64_t lastReport = clock.MonotonicMs();
    auto step = [&] {
        if (!compareSets) return;
        ++progress;
        int64_t now = clock.MonotonicMs();
        if (now - lastReport > kReportIntervalMs) {
            lastReport = now;
            if (action_) action_->MsgP(progress);
        }
    };

    KSTowRec a, b;
    const int entries = dodInfo_.GetCount();
    for (int e = 0; e < entries; ++e) {
        const std::string code = dodKod_->GetAsStringAt(static_cast<size_t>(e));
        const std::string dodinfo = dodInfoCol_->GetAsStringAt(static_cast<size_t>(e));
        const std::string stripped = StripLeadingZeros(code);
        // Without stripping, the code is kept as the device has it and only
        // the search ignores its leading zeros; a code of zeros is no goods.
        const std::string& kept = stripZeros ? stripped : code;
        if (stripped.empty()) {
            step();
            continue;
        }
        int row = FindRec(stripped, n);
        if (compareSets) {
            b.Clear();
            b.status = kStatusDelete;
            b.flag = true;
            b.fd_from_ecr = true;
            DodInfo2TowRec(dodinfo, &b);
            if (row < 0) {
                DodajRec(&b);
            } else {
                CzytajRec(row, &a);
                ModifyPLUStatus(a, b);
                if (CheckIfDeletePLU(a, b)) DodajRec(&b);
                a.flag = true;
                ZapiszRec(row, &a);
            }
        } else if (row < 0) {
            // The device holds goods that the host no longer has: delete it.
            b.Clear();
            b.kod = kept;
            b.status = kStatusDelete;
            b.fd_from_ecr = true;
            b.flag = true;
            DodInfo2TowRec(dodinfo, &b);
            DodajRec(&b);
        } else {
            CzytajRec(row, &a);
            b.Clear();
            b.kod = a.kod;
            DodInfo2TowRec(dodinfo, &b);
            ModifyPLUStatus(a, b);
            a.flag = true;
            ZapiszRec(row, &a);
        }
        step();
    }

    // Goods that the device does not hold: a change becomes an addition, and
    // there is nothing to delete.
    for (int i = 0; i < n; ++i) {
        const size_t r = static_cast<size_t>(i);
        if (g_.flag->GetAsIntegerAt(r) == 0) {
            int32_t status = g_.status->GetAsIntegerAt(r);
            int32_t changed = status == kStatusUpdate || status == kStatusPriceChange ? kStatusAdd
                              : status == kStatusDelete                               ? kStatusNone
                                                                                      : status;
            if (changed != status) {
                CzytajRec(i, &a);
                a.status = changed;
                ZapiszRec(i, &a);
            }
        }
        step();
    }
    PrzeliczTowary();
}

}  // namespace krv
