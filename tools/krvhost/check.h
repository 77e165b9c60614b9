// krvhost check: before an export, what would stop it. Each finding is one
// line a person can act on: what was looked at, what is wrong and what to do.
// The checks read the profile, the library's catalogue, the exchange
// directory and (asked for) the scale's address; none of them writes a file
// the export uses.
#pragma once

#include <string>
#include <vector>

#include "commands.h"

namespace krv::host {

enum class Verdict {
    kOk,
    kWarning,  // the export runs, but not as the user may expect
    kFailed,   // the export would stop, or would send nothing
};

struct Finding {
    std::string topic;  // what was looked at: a parameter name, "goods file", ...
    Verdict verdict = Verdict::kOk;
    std::string what;  // what was found (UTF-8)
    std::string todo;  // what to do about it; empty when all is well
};

class CheckReport {
  public:
    void Ok(const std::string& topic, const std::string& what);
    void Warn(const std::string& topic, const std::string& what, const std::string& todo);
    void Fail(const std::string& topic, const std::string& what, const std::string& todo);

    const std::vector<Finding>& Findings() const { return findings_; }
    // True when nothing would stop the export.
    bool Ready() const;
    const Finding* Find(const std::string& topic) const;

    // One line per finding (✓, ! or ✗, the topic and what was found, the
    // remedy on an indented line after it) and a closing verdict.
    std::string Text() const;
    // {"ready": true|false, "findings": [{"topic", "status", "what", "todo"}]}
    std::string Json() const;

  private:
    std::vector<Finding> findings_;
};

struct CheckOptions {
    bool connect = false;  // try a TCP connection to the scale
    int connect_timeout_ms = 2000;
};

// Every check, in the order the export meets the things checked.
CheckReport RunChecks(Session& session, const CheckOptions& options);

// The parts of RunChecks (check_config.cpp, check_exchange.cpp).
void CheckParameters(const Host& host, const Profile& profile, CheckReport* report);
void CheckFormats(const Host& host, const Profile& profile, CheckReport* report);
void CheckExchange(const Host& host, CheckReport* report);
void CheckScale(const Host& host, const CheckOptions& options, CheckReport* report);

}  // namespace krv::host
