#include "window.h"

#include "krvdll.h"
#include "text.h"

namespace krv::host {

namespace {

constexpr const char* kRed = "\x1b[31m";
constexpr const char* kYellow = "\x1b[33m";
constexpr const char* kGreen = "\x1b[32m";
constexpr const char* kBold = "\x1b[1m";
constexpr const char* kReset = "\x1b[0m";

struct Parts {
    std::string marker;
    std::string message;
    std::string status;
    bool has_status = false;
};

Parts Split(int kind, const std::string& text) {
    Parts p;
    if (kind == KRV_MSG_WARNING)
        p.marker = "WARN: ";
    else if (kind == KRV_MSG_ERROR)
        p.marker = "ERROR: ";
    size_t sep = text.find(KRV_STATUS_SEPARATOR);
    if (sep == std::string::npos) {
        p.message = text;
        return p;
    }
    p.message = text.substr(0, sep);
    p.has_status = true;
    for (char c : text.substr(sep + 1))
        if (c != KRV_STATUS_SEPARATOR) p.status += c;
    p.status = Trim(p.status);
    return p;
}

std::string Padding(const Parts& p) {
    size_t used = Utf8Length(p.marker) + Utf8Length(p.message);
    return std::string(
        used + 1 < OperationWindow::kStatusColumn ? OperationWindow::kStatusColumn - used : 1, ' ');
}

}  // namespace

std::string OperationWindow::Render(int kind, const std::string& text) {
    Parts p = Split(kind, text);
    if (!p.has_status) return p.marker + p.message;
    return p.marker + p.message + Padding(p) + p.status;
}

std::string OperationWindow::Show(int kind, const std::string& text) const {
    if (!colours_) return Render(kind, text);
    Parts p = Split(kind, text);
    std::string colour = kind == KRV_MSG_ERROR ? kRed : kind == KRV_MSG_WARNING ? kYellow : "";
    std::string out = colour.empty() ? "" : colour + kBold + p.marker + kReset + colour;
    out += p.message;
    if (p.has_status) {
        out += Padding(p);
        if (p.status == "OK")
            out += std::string(kReset) + kGreen + kBold + p.status;
        else
            out += std::string(kReset) + kBold + p.status;
    }
    return out + kReset;
}

void OperationWindow::Count(int kind) {
    if (kind == KRV_MSG_WARNING) ++warnings_;
    if (kind == KRV_MSG_ERROR) ++errors_;
}

void OperationWindow::Add(int kind, const std::string& text) {
    Count(kind);
    if (terminal_) {
        if (open_) std::fputs("\n", out_);
        std::fputs(Show(kind, text).c_str(), out_);
        open_ = true;
    } else {
        last_ = Render(kind, text);
        std::fprintf(out_, "%s\n", last_.c_str());
    }
    last_kind_ = kind;
    std::fflush(out_);
}

void OperationWindow::Replace(int kind, const std::string& text) {
    // A line that turns into an error or warning counts once.
    if (kind != last_kind_) Count(kind);
    last_kind_ = kind;
    if (terminal_) {
        if (open_) std::fputs("\r\x1b[K", out_);
        std::fputs(Show(kind, text).c_str(), out_);
        open_ = true;
    } else {
        std::string line = Render(kind, text);
        if (line == last_) return;
        last_ = line;
        std::fprintf(out_, "%s\n", line.c_str());
    }
    std::fflush(out_);
}

void OperationWindow::Note(const std::string& text) {
    Finish();
    std::fprintf(out_, "%s\n", text.c_str());
    last_.clear();
    last_kind_ = -1;
    std::fflush(out_);
}

void OperationWindow::Finish() {
    if (open_) std::fputs("\n", out_);
    open_ = false;
    std::fflush(out_);
}

}  // namespace krv::host
