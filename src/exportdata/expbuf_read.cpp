// Reading the host's goods file into the export buffer.
#include <exception>

#include "action/action_base.h"
#include "exportdata/expbuf.h"
#include "exportdata/field_views.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/exception.h"
#include "support/line_reader.h"
#include "support/ltools.h"
#include "support/strutil.h"
#include "support/txftools.h"

namespace krv {

namespace {

const char* const kSection = "kstools_KSExpBuf";

// Progress is reported at most about once a second (0.0000116 of a day), with
// a short pause that lets the host's window draw it.
constexpr int64_t kProgressIntervalMs = 1002;
constexpr int32_t kProgressPauseMs = 20;
// How much of a failing line the host is shown.
constexpr int kLineExcerpt = 40;
// How many lines left out by a goods-only read are named one by one.
constexpr size_t kLeftOutNamed = 10;

// The archive of every goods file read lies beside it.
std::string ArchivePath(const std::string& path) {
    size_t at = path.find_last_of("\\/");
    return (at == std::string::npos ? std::string() : path.substr(0, at + 1)) + "ARCH2.EXP";
}

// Blanks and control characters (bytes up to ' ') off both ends.
std::string_view TrimView(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

// Fields from..to joined with ";".
std::string Join(FieldViews& w, int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) {
        if (i > from) text += ';';
        text += w[i];
    }
    return text;
}

}  // namespace

void KSExpBuf::DispatchLine(FieldViews& w, std::string_view line, KSTowRec& tow, KSKontrRec& kontr,
                            KSAsort& asort) {
    const std::string_view tag = w[0];
    if (tag == "PLU") {
        if (goodsOnly_) {
            std::string unread;
            tow.FromLine(w, lg_, unread);
            if (!unread.empty()) LeftOut(lineNumber_, line, unread);
        } else {
            tow.FromLine(w, lg_);
        }
        DodajRec(&tow);
    } else if (tag == "KON" || tag == "KONA") {
        partnerKind_ = tag == "KON";
        kontr.FromLine(line, lg_);
        DodajRec(&kontr);
    } else if (tag == "VAT") {
        vat_.emplace_back(w[1]);
        if (w.GetCount() > 2) {
            vatPrec_.emplace_back(w[2]);
        } else {
            int rate = StrToIntDef(w[1], 0);
            vatPrec_.push_back(rate < 0 ? "-1" : IntToStr(int64_t{rate} * 100));
        }
    } else if (tag == "JM") {
        units_.push_back(Join(w, 1, 3));
    } else if (tag == "OPER") {
        std::string text = Join(w, 1, 5);
        cashiers_.emplace_back(text, std::make_unique<KSKasjer>(text, lg_));
    } else if (tag == "WAL") {
        std::string text = Join(w, 1, 5);
        currencies_.emplace_back(text, std::make_unique<KSWaluta>(text, lg_));
    } else if (tag == "ASS") {
        asort.FromLine(line);
        DodajAsort(&asort);
    } else if (tag.substr(0, 3) == "EUR") {
        euroRate_ = TxfTools::FromString(w[1], 10, false) / 10000.0;
    }
    // Any other tag is not ours to read.
}

void KSExpBuf::LeftOut(size_t n, std::string_view line, const std::string& why) {
    leftOut_.push_back(
        Tr(lg_, kSection, "ufReadFromLineLeftOut", "Pominięto w wierszu pliku towarów nr ") +
        IntToStr(static_cast<int64_t>(n)) + ": " +
        TLTools::StrMax(std::string(line), kLineExcerpt, true) + " (" + why + ")");
}

// The export goes on without what was left out; the host learns what it was.
void KSExpBuf::WarnLeftOut() {
    if (action_) {
        for (size_t i = 0; i < leftOut_.size() && i < kLeftOutNamed; ++i)
            action_->DodajKomunikat(KRV_MSG_WARNING, leftOut_[i]);
        if (leftOut_.size() > kLeftOutNamed)
            action_->DodajKomunikat(
                KRV_MSG_WARNING,
                Tr(lg_, kSection, "ufReadFromLineLeftOutMore",
                   "Pominięto także w kolejnych wierszach: ") +
                    IntToStr(static_cast<int64_t>(leftOut_.size() - kLeftOutNamed)));
    }
    leftOut_.clear();
}

void KSExpBuf::ReadFromFile(const std::string& path, bool sort, int exportKind) {
    if (action_)
        action_->MsgAdd(Tr(lg_, kSection, "ufReadFromksactionMsgAdd", "Wczytywanie listy towarów"),
                        lpvPlain, 100);
    // Where a line failed, to tell the host after the progress line is closed.
    std::string failedLine;
    try {
        // The archive copy reads every line anyway: it counts them for the
        // progress and the goods lines for the table, so the goods file is
        // then parsed in one streaming pass, never held whole in memory.
        size_t lineCount = 0, goodsLines = 0;
        TLTools::ArchiveFile(path, ArchivePath(path), lg_, true, exportKind, true, "",
                             [&](std::string_view line) {
                                 ++lineCount;
                                 if (TrimView(line).substr(0, 4) == "PLU;") ++goodsLines;
                             });

        LineReader reader;
        try {
            reader.Open(path);
        } catch (const EFileError& e) {
            // Never an empty buffer that exports nothing: the host must learn
            // that its goods file was not there or could not be read.
            if (!platform::FileExists(path) && !platform::DirectoryExists(path))
                throw EFileError(
                    Tr(lg_, kSection, "ufReadFromFileMissing", "Brak pliku z listą towarów: ") +
                    path);
            throw EFileError(Tr(lg_, kSection, "ufReadFromFileReadError",
                                "Błąd odczytu pliku z listą towarów: ") +
                             path + "\r\n" + e.Message());
        }

        if (action_) {
            action_->MsgS(lpvFinished);
            action_->MsgAdd(
                Tr(lg_, kSection, "ufReadFromksactionMsgAdd_00001", "Analiza listy towarów"),
                lpvPercent, static_cast<int32_t>(lineCount));
        }

        // Room for every goods row up front: the columns then never move.
        towary_.Reserve(static_cast<size_t>(towary_.GetCount()) + goodsLines);

        FieldViews words(';');
        KSTowRec tow;
        KSKontrRec kontr;
        KSAsort asort;
        platform::Clock& clock = platform::CurrentClock();
        int64_t lastReport = clock.MonotonicMs();
        std::string_view raw;
        size_t i = 0;
        for (;; ++i) {
            try {
                if (!reader.Next(raw)) break;
            } catch (const EFileError& e) {
                throw EFileError(Tr(lg_, kSection, "ufReadFromFileReadError",
                                    "Błąd odczytu pliku z listą towarów: ") +
                                 path + "\r\n" + e.Message());
            }
            // The clock is read every few lines only: a goods line takes far
            // less than a millisecond.
            if ((i & 63) == 0) {
                int64_t now = clock.MonotonicMs();
                if (now - lastReport > kProgressIntervalMs) {
                    lastReport = now;
                    if (action_) action_->MsgP(static_cast<int32_t>(i));
                    clock.SleepMs(kProgressPauseMs);
                }
            }
            std::string_view line = TrimView(raw);
            if (line.empty() || line[0] == '#' || line[0] == '[') continue;
            try {
                words.Init(line);
                lineNumber_ = i + 1;
                DispatchLine(words, line, tow, kontr, asort);
            } catch (const std::exception& e) {
                if (goodsOnly_ && words[0] != "PLU") {
                    LeftOut(i + 1, line, e.what());
                    continue;
                }
                failedLine = Tr(lg_, kSection, "ufReadFromLineExceptio",
                                "Błąd w wierszu pliku towarów nr ") +
                             IntToStr(static_cast<int64_t>(i) + 1) + ": " +
                             TLTools::StrMax(std::string(line), kLineExcerpt, true);
                throw;
            }
        }
        reader.Close();
        lineCount = i;  // the lines read, should the file have changed meanwhile

        if (action_) action_->MsgP(static_cast<int32_t>(lineCount));
        if (sort && towary_.GetCount() > 0 && !IsSorted()) {
            CreateIndex();
            Sort(0, towary_.GetCount() - 1);
            SetSorted(true);
        }
        if (action_) action_->MsgS(lpvFinished);
        WarnLeftOut();
    } catch (...) {
        if (action_) {
            action_->MsgS(lpvFailed);
            if (!failedLine.empty()) action_->DodajKomunikat(KRV_MSG_ERROR, failedLine);
        }
        throw;
    }
}

}  // namespace krv
