// Command line of the scale simulator (see README.md).
#pragma once

#include <string>
#include <vector>

namespace krv::scalesim {

// A PLU that the simulated scale refuses, with the code and text it answers.
struct RejectRule {
    int plu = 0;
    std::string code;
    std::string text;      // Windows-1250 (converted from the UTF-8 command line)
    int answer_byte = -1;  // DIGI: the code as the answer byte (0-255, decimal or 0xNN)
};

struct Options {
    int port = 0;             // 0: the system picks a free port
    std::string port_file;    // receives the port once the scale listens
    std::string state_file;   // the PLU table, rewritten after every change
    bool refuse = false;      // accept and close at once: an unreachable scale
    bool mute = false;        // read records but never answer them
    bool quiet = false;       // no log on standard error
    int drop_after = 0;       // close a connection after this many answers (0: never)
    int delay_ms = 0;         // wait this long before each answer
    int max_connections = 0;  // exit after this many connections (0: run until stopped)
    std::vector<RejectRule> rejects;
    bool digi = false;  // speak the DIGI scale's own TCP protocol
    std::string codepage =
        "windows-1250";     // DIGI: the page of the texts, for the JSON dump and the listing
    std::string json_file;  // DIGI: the decoded PLU table, rewritten after every change
    bool list = false;      // print the table of the state file and exit
    bool help = false;
};

// Accepts "--name value" and "--name=value". False with *error set on an
// unknown option or a bad value.
bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* error);

std::string Usage();

}  // namespace krv::scalesim
