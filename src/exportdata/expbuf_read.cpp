// Reading the host's goods file into the export buffer.
#include <exception>

#include "action/action_base.h"
#include "exportdata/expbuf.h"
#include "exportdata/ljwords.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/exception.h"
#include "support/ltools.h"
#include "support/mfile.h"
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

size_t CountGoodsLines(const std::vector<std::string_view>& lines) {
    size_t n = 0;
    for (std::string_view line : lines)
        if (TrimView(line).substr(0, 4) == "PLU;") ++n;
    return n;
}

// Fields from..to joined with ";".
std::string Join(TLJWords& w, int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) {
        if (i > from) text += ';';
        text += w[i];
    }
    return text;
}

}  // namespace

void KSExpBuf::DispatchLine(TLJWords& w, std::string_view line, KSTowRec& tow, KSKontrRec& kontr,
                            KSAsort& asort) {
    const std::string& tag = w[0];
    if (tag == "PLU") {
        tow.FromLine(w, lg_);
        DodajRec(&tow);
    } else if (tag == "KON" || tag == "KONA") {
        partnerKind_ = tag == "KON";
        kontr.FromLine(line, lg_);
        DodajRec(&kontr);
    } else if (tag == "VAT") {
        vat_.push_back(w[1]);
        if (w.GetCount() > 2) {
            vatPrec_.push_back(w[2]);
        } else {
            int rate = StrToIntDef(w[1], 0);
            vatPrec_.push_back(rate < 0 ? "-1" : IntToStr(int64_t{rate} * 100));
        }
    } else if (tag == "JM") {
        units_.push_back(w[1] + ";" + w[2] + ";" + w[3]);
    } else if (tag == "OPER") {
        std::string text = Join(w, 1, 5);
        cashiers_.emplace_back(text, std::make_unique<KSKasjer>(text, lg_));
    } else if (tag == "WAL") {
        std::string text = Join(w, 1, 5);
        currencies_.emplace_back(text, std::make_unique<KSWaluta>(text, lg_));
    } else if (tag == "ASS") {
        asort.FromLine(line);
        DodajAsort(&asort);
    } else if (tag.compare(0, 3, "EUR") == 0) {
        euroRate_ = TxfTools::FromString(w[1], 10, false) / 10000.0;
    }
    // Any other tag is not ours to read.
}

void KSExpBuf::ReadFromFile(const std::string& path, bool sort, int exportKind) {
    if (action_)
        action_->MsgAdd(Tr(lg_, kSection, "ufReadFromksactionMsgAdd", "Wczytywanie listy towarów"),
                        lpvPlain, 100);
    // The file's text and its lines as views into it: one allocation for the
    // whole file instead of one per line.
    std::string text;
    std::vector<std::string_view> lines;
    // Where a line failed, to tell the host after the progress line is closed.
    std::string failedLine;
    try {
        TLTools::ArchiveFile(path, ArchivePath(path), lg_, true, exportKind, true, "");

        lines.reserve(10000);
        try {
            TMFile::ReadLinesFromFile(path, text, lines, 4096);
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
                lpvPercent, static_cast<int32_t>(lines.size()));
        }

        // Room for every goods row up front: the columns then never move.
        towary_.Reserve(static_cast<size_t>(towary_.GetCount()) + CountGoodsLines(lines));

        TLJWords words(";");
        KSTowRec tow;
        KSKontrRec kontr;
        KSAsort asort;
        int64_t lastReport = platform::MonotonicMs();
        for (size_t i = 0; i < lines.size(); ++i) {
            int64_t now = platform::MonotonicMs();
            if (now - lastReport > kProgressIntervalMs) {
                lastReport = now;
                if (action_) action_->MsgP(static_cast<int32_t>(i));
                platform::SleepMs(kProgressPauseMs);
            }
            std::string_view line = TrimView(lines[i]);
            if (line.empty() || line[0] == '#' || line[0] == '[') continue;
            try {
                words.Init(line);
                DispatchLine(words, line, tow, kontr, asort);
            } catch (const std::exception&) {
                failedLine = Tr(lg_, kSection, "ufReadFromLineExceptio",
                                "Błąd w wierszu pliku towarów nr ") +
                             IntToStr(static_cast<int64_t>(i) + 1) + ": " +
                             TLTools::StrMax(std::string(line), kLineExcerpt, true);
                throw;
            }
        }
        // The line list is large; let it go before the index is built.
        size_t lineCount = lines.size();
        std::vector<std::string_view>().swap(lines);
        std::string().swap(text);

        if (action_) action_->MsgP(static_cast<int32_t>(lineCount));
        if (sort && towary_.GetCount() > 0 && !IsSorted()) {
            CreateIndex();
            Sort(0, towary_.GetCount() - 1);
            SetSorted(true);
        }
        if (action_) action_->MsgS(lpvFinished);
    } catch (...) {
        if (action_) {
            action_->MsgS(lpvFailed);
            if (!failedLine.empty()) action_->DodajKomunikat(KRV_MSG_ERROR, failedLine);
        }
        throw;
    }
}

}  // namespace krv
