// The commands of krvhost. Each returns the process exit code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host.h"
#include "library.h"
#include "profile.h"
#include "translations.h"
#include "window.h"

namespace krv::host {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;   // the operation failed (export result not stored)
inline constexpr int kExitUsage = 2;    // bad command line, profile or translation file
inline constexpr int kExitLibrary = 3;  // the library cannot be loaded or registered

struct Options {
    std::string command;
    std::vector<std::string> args;
    std::string library;  // empty: the default location
    std::string profile = "krvhost.ini";
    std::string lang;  // translation file, optional
    bool trace = false;
    bool automatic = false;         // export --auto
    bool keep = false;              // demo --keep
    bool digi = false;              // demo --digi: the scale's own TCP protocol
    bool connect = false;           // check --connect: try the scale's address
    bool json = false;              // check --json
    bool window_to_stderr = false;  // the library's messages on standard error
};

// Everything one run needs: the library, the profile, the window and the host.
class Session {
  public:
    // False with *error set and *exit_code chosen when something is missing.
    bool Open(const Options& options, std::string* error, int* exit_code);

    DriverLibrary library;
    Profile profile;
    Translations translations;
    std::unique_ptr<OperationWindow> window;
    std::unique_ptr<Host> host;
};

int CmdInfo(const Options& options);
int CmdParams(const Options& options);
int CmdSet(const Options& options);
int CmdGet(const Options& options);
int CmdExport(const Options& options);
int CmdDemo(const Options& options);
// sales FILE: needs no library; see RunSales (sales_file.h).
int CmdSales(const Options& options);
// check [--connect] [--json]: what would stop an export (check.h).
int CmdCheck(const Options& options);

// The export of the session's device, as `export` and `demo` run it: the
// operation, leftover program clean-up and the closing line. Exit code.
int RunExport(Session& session, bool automatic);

}  // namespace krv::host
