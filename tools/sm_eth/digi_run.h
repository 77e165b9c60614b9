// The DIGI side of a run: every record of the input file as a frame, sent to
// every scale of wagi.ini in turn (or written in hex to a dump file instead).
#pragma once

#include <string>

#include "job.h"
#include "local_settings.h"

namespace krv::smeth {

// input_path and dump_path are UTF-8; an empty dump_path sends to the scales.
void TransferDigi(const std::string& input_path, const LocalSettings& settings, int timeout_ms,
                  const std::string& dump_path, Job* job);

}  // namespace krv::smeth
