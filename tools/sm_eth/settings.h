// What the program is told: its command line, sm_eth.ini and wagi.ini.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ini_file.h"

namespace krv::smeth {

// "W=<scale> I=<0|1> T=<seconds>". W selects the section [W] of wagi.ini,
// I=1 allows a progress log on standard output, T is the time-out for each
// answer of the scale (and for connecting).
struct CommandLine {
    int scale = 1;
    bool verbose = false;
    int timeout_s = 4;
};

// Each argument may itself hold several items separated by blanks. Items are
// case-insensitive; unknown items are ignored. On a malformed W, I or T value
// returns false with the offending item in *bad.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* bad);

// Port of the scale when the address in wagi.ini names none.
inline constexpr int kDefaultScalePort = 5001;

struct ScaleAddress {
    std::string host;
    int port = kDefaultScalePort;
    bool port_given = false;  // the address named the port
};

// "host", "host:port", "[v6-address]" or "[v6-address]:port"; nullopt when the
// host is empty or the port is not a number from 1 to 65535.
std::optional<ScaleAddress> ParseScaleAddress(std::string_view text);

// The same for a DIGI scale, whose port is 2000 + the last octet of its IPv4
// address unless the address names one; nullopt also for an address without
// a port that is not a dotted IPv4 address.
std::optional<ScaleAddress> ParseDigiAddress(std::string_view text);

// [Zbiory] of sm_eth.ini: Windows-1250 paths, empty when a key is missing.
struct ProgramFiles {
    std::string input;      // DaneWej
    std::string errors;     // DaneWyj
    std::string semaphore;  // SemaforWyj
    std::string codepage;   // [Opcje] WejscieStronaKodowa; empty when absent
};
ProgramFiles ReadProgramFiles(const IniFile& ini);

// Windows-1250 is the only code page that the program passes on to the scale.
bool IsSupportedCodepage(std::string_view name);

// Section [number] of wagi.ini.
struct ScaleEntry {
    bool found = false;   // the section exists
    std::string name;     // Nazwa
    std::string address;  // Adres, as written
};
ScaleEntry ReadScale(const IniFile& ini, int number);

}  // namespace krv::smeth
