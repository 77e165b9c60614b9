// The conversation with a DIGI scale: one connection, then each frame and its
// answer before the next. A first answer byte other than ACK fails that record
// only; a dropped connection or an answer that never comes (after every try)
// ends the work with this scale, since nothing more can be known about it.
#pragma once

#include <string>
#include <vector>

#include "settings.h"
#include "transfer.h"

namespace krv::smeth {

struct DigiOutgoing {
    int line = 0;       // line number in the input file
    std::string plu;    // 8 digits
    std::string frame;  // the bytes to send
};

struct DigiFault {
    int line = 0;      // 0: the whole scale (no connection)
    std::string plu;   // empty with line 0
    int code = 0;      // the answer byte, or a negative code of error_codes.h
    std::string text;  // Windows-1250
};

struct DigiResult {
    int accepted = 0;
    std::vector<DigiFault> faults;
};

DigiResult SendDigiFrames(const ScaleAddress& address, const std::vector<DigiOutgoing>& frames,
                          int timeout_ms, int tries, const ProgressLog& log);

}  // namespace krv::smeth
