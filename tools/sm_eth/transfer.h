// The conversation with the scale: connect, wait for its greeting, send each
// record and wait for its answer, say goodbye. Records go one at a time; the
// time-out bounds every single wait.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings.h"

namespace krv::smeth {

struct OutgoingRecord {
    int line = 0;             // line number in the input file
    std::string plu;          // positions 2-9
    std::string_view record;  // the 1000 characters
};

// A record that the scale answered with an error.
struct Rejection {
    int line = 0;
    std::string plu;
    std::string code;
    std::string text;
};

// Why the transfer broke off; the records not yet answered were not confirmed.
struct TransferFault {
    int code = 0;
    std::string text;  // Windows-1250
};

struct TransferResult {
    int answered = 0;  // records the scale answered, accepted or not
    std::vector<Rejection> rejected;
    std::optional<TransferFault> fault;
};

using ProgressLog = std::function<void(const std::string&)>;

TransferResult SendRecords(const ScaleAddress& address, const std::vector<OutgoingRecord>& records,
                           int timeout_ms, const ProgressLog& log);

}  // namespace krv::smeth
