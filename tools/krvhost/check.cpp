#include "check.h"

#include <cstdio>

#include "host_os.h"

namespace krv::host {

namespace {

const char* Mark(Verdict v) {
    switch (v) {
        case Verdict::kOk: return "\xE2\x9C\x93";  // ✓
        case Verdict::kWarning: return "!";
        case Verdict::kFailed: return "\xE2\x9C\x97";  // ✗
    }
    return "?";
}

const char* StatusName(Verdict v) {
    switch (v) {
        case Verdict::kOk: return "ok";
        case Verdict::kWarning: return "warning";
        case Verdict::kFailed: return "failed";
    }
    return "?";
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace

void CheckReport::Ok(const std::string& topic, const std::string& what) {
    findings_.push_back({topic, Verdict::kOk, what, ""});
}

void CheckReport::Warn(const std::string& topic, const std::string& what, const std::string& todo) {
    findings_.push_back({topic, Verdict::kWarning, what, todo});
}

void CheckReport::Fail(const std::string& topic, const std::string& what, const std::string& todo) {
    findings_.push_back({topic, Verdict::kFailed, what, todo});
}

bool CheckReport::Ready() const {
    for (const Finding& f : findings_)
        if (f.verdict == Verdict::kFailed) return false;
    return true;
}

const Finding* CheckReport::Find(const std::string& topic) const {
    for (const Finding& f : findings_)
        if (f.topic == topic) return &f;
    return nullptr;
}

std::string CheckReport::Text() const {
    std::string out;
    int failed = 0, warnings = 0;
    for (const Finding& f : findings_) {
        out += std::string(Mark(f.verdict)) + " " + f.topic + ": " + f.what + "\n";
        if (!f.todo.empty()) out += "    do: " + f.todo + "\n";
        failed += f.verdict == Verdict::kFailed;
        warnings += f.verdict == Verdict::kWarning;
    }
    if (failed)
        out += "krvhost: " + std::to_string(failed) + " problem" + (failed == 1 ? "" : "s") +
               " would stop the export or leave it with nothing to send\n";
    else
        out += std::string("krvhost: ready to export") +
               (warnings ? " (" + std::to_string(warnings) + " warning" +
                               (warnings == 1 ? "" : "s") + ")"
                         : "") +
               "\n";
    return out;
}

std::string CheckReport::Json() const {
    std::string out =
        std::string("{\"ready\": ") + (Ready() ? "true" : "false") + ", \"findings\": [";
    for (size_t i = 0; i < findings_.size(); ++i) {
        const Finding& f = findings_[i];
        out += std::string(i ? ",\n  " : "\n  ") + "{\"topic\": " + JsonString(f.topic) +
               ", \"status\": \"" + StatusName(f.verdict) + "\", \"what\": " + JsonString(f.what) +
               ", \"todo\": " + JsonString(f.todo) + "}";
    }
    return out + (findings_.empty() ? "]}\n" : "\n]}\n");
}

CheckReport RunChecks(Session& s, const CheckOptions& options) {
    CheckReport report;
    // The library's own look first: the device function reads every parameter
    // of the device and touches no file; an error it reports stops the check
    // of nothing else, but is the first thing to mend.
    const int errors_before = s.window->Errors();
    s.host->DeviceFunction();
    if (s.window->Errors() > errors_before)
        report.Fail("library", "the library reported an error reading the device's parameters",
                    "see the ERROR line on standard error and mend what it names");
    else
        report.Ok("library", s.library.Path() + " read " +
                                 std::to_string(s.host->ParametersRead().size()) +
                                 " parameters of the device");
    CheckParameters(*s.host, s.profile, &report);
    CheckFormats(*s.host, s.profile, &report);
    CheckExchange(*s.host, &report);
    CheckScale(*s.host, options, &report);
    return report;
}

int CmdCheck(const Options& options) {
    if (!options.args.empty()) {
        std::fprintf(stderr,
                     "krvhost: usage: krvhost [--profile FILE] check [--connect] [--json]\n");
        return kExitUsage;
    }
    Options quiet = options;
    quiet.window_to_stderr = true;  // standard output carries the report alone
    auto s = std::make_unique<Session>();
    std::string error;
    int code = kExitOk;
    if (!s->Open(quiet, &error, &code)) {
        std::fprintf(stderr, "krvhost: %s\n", error.c_str());
        return code;
    }
    CheckOptions check;
    check.connect = options.connect;
    CheckReport report = RunChecks(*s, check);
    std::string text = options.json ? report.Json() : report.Text();
    std::fputs(text.c_str(), stdout);
    return report.Ready() ? kExitOk : kExitFailed;
}

}  // namespace krv::host
