// A record of the goods file as a DIGI frame: operation 1 becomes a delete of
// its PLU, operation 0 a write whose status bits come from the record's own
// flags, with the name, the three name lines and the fifteen ingredient lines
// (blank lines left out) in the scale's code page.
#pragma once

#include <string>
#include <string_view>

#include "codepage.h"
#include "digi_frame.h"
#include "local_settings.h"

namespace krv::smeth {

struct DigiFrame {
    std::string bytes;
    int lacking = 0;  // characters the code page lacks, sent as '?'
};

// The record must have passed CheckRecord (digits where the format has them).
tools::digi::PluRecord DigiRecordOf(std::string_view record, const tools::CodePage& page,
                                    const LocalSettings& settings, int* lacking);
DigiFrame DigiFrameOf(std::string_view record, const tools::CodePage& page,
                      const LocalSettings& settings);

}  // namespace krv::smeth
