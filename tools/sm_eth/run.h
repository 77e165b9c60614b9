// One run of the program, from the INI files in the working directory to the
// error file and the semaphore.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace krv::smeth {

// Exit codes.
inline constexpr int kExitDone = 0;      // error file and semaphore written
inline constexpr int kExitIoFailed = 1;  // one of them could not be written
inline constexpr int kExitBadSetup = 2;  // unusable INI files or command line

// args: the command line without the program name. timeout_ms_override: the
// value of SM_ETH_TIMEOUT_MS (null when unset); a positive number of
// milliseconds replaces T=. log: where I=1 writes its progress lines.
int Run(const std::vector<std::string>& args, const char* timeout_ms_override, std::FILE* log);

}  // namespace krv::smeth
