// krvhost: a command-line host for the tarvisco driver library. It loads the
// library at run time the way the back-office host does, keeps a device
// profile in a file and runs the library's export in the terminal.
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"

using namespace krv::host;

namespace {

const char kUsage[] =
    "usage: krvhost [options] COMMAND [arguments]\n"
    "\n"
    "commands:\n"
    "  info                 the library's kind and properties\n"
    "  params               the parameter catalogue with defaults, limits and choices\n"
    "  set NAME VALUE       store a value in the device profile\n"
    "  get [NAME]           show one value of the device profile, or all of them\n"
    "  export [--auto]      export the goods file of the exchange directory to the scale\n"
    "                       (--auto: as an automatically started export)\n"
    "  demo [--keep] [--digi]  a whole export against the simulated scale on 127.0.0.1\n"
    "                       (--keep: leave the temporary files in place;\n"
    "                        --digi: the stand-in and the scale speak the DIGI scale's own "
    "protocol)\n"
    "  sales FILE           summary of a sales import file that a register driver wrote\n"
    "  check [--connect] [--json]  what would stop an export of the profile's device\n"
    "                       (--connect: also try the scale's address by TCP;\n"
    "                        --json: the findings for scripts)\n"
    "\n"
    "options:\n"
    "  --library PATH       the driver library (default: beside krvhost, then the build tree)\n"
    "  --profile FILE       the device profile (default: krvhost.ini)\n"
    "  --lang FILE          translations of the library's texts (section/key=text lines);\n"
    "                       default: an install's en.lang; none: the library's own texts\n"
    "  --trace              log every callback of the library on standard error\n"
    "  --help               this text\n"
    "  --version            krvhost's version (that of the library it was built with)\n"
    "\n"
    "exit codes: 0 done (export: result stored), 1 operation failed (sales: malformed\n"
    "            lines; check: a problem found), 2 bad usage or unreadable file,\n"
    "            3 library not loadable\n";

bool NeedsValue(const std::string& a) {
    return a == "--library" || a == "--profile" || a == "--lang";
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        std::string value;
        bool inline_value = false;
        if (a.rfind("--", 0) == 0 && a.find('=') != std::string::npos) {
            value = a.substr(a.find('=') + 1);
            a = a.substr(0, a.find('='));
            inline_value = true;
        }
        if (NeedsValue(a)) {
            if (!inline_value) {
                if (i + 1 >= argc) {
                    std::fprintf(stderr, "krvhost: %s needs a value\n%s", a.c_str(), kUsage);
                    return kExitUsage;
                }
                value = argv[++i];
            }
            if (a == "--library")
                o.library = value;
            else if (a == "--profile")
                o.profile = value;
            else
                o.lang = value;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--auto") {
            o.automatic = true;
        } else if (a == "--keep") {
            o.keep = true;
        } else if (a == "--digi") {
            o.digi = true;
        } else if (a == "--connect") {
            o.connect = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            const std::string manual = InstalledManualPath();
            if (!manual.empty()) std::printf("\nthe manual: man %s\n", manual.c_str());
            return kExitOk;
        } else if (a == "--version") {
            std::fputs("krvhost " TARVISCO_VERSION "\n", stdout);
            return kExitOk;
        } else if (a.rfind("--", 0) == 0 && o.command != "set") {
            std::fprintf(stderr, "krvhost: unknown option %s\n%s", a.c_str(), kUsage);
            return kExitUsage;
        } else if (o.command.empty()) {
            o.command = a;
        } else {
            o.args.push_back(argv[i]);
        }
    }
    if ((o.automatic && o.command != "export") || ((o.keep || o.digi) && o.command != "demo") ||
        ((o.connect || o.json) && o.command != "check")) {
        std::fprintf(stderr,
                     "krvhost: --auto belongs to export, --keep and --digi to demo, --connect and "
                     "--json to check\n");
        return kExitUsage;
    }
    if (o.command == "info") return CmdInfo(o);
    if (o.command == "params") return CmdParams(o);
    if (o.command == "set") return CmdSet(o);
    if (o.command == "get") return CmdGet(o);
    if (o.command == "export") return CmdExport(o);
    if (o.command == "demo") return CmdDemo(o);
    if (o.command == "sales") return CmdSales(o);
    if (o.command == "check") return CmdCheck(o);
    std::fprintf(stderr, "krvhost: %s\n%s",
                 o.command.empty() ? "no command given" : ("unknown command " + o.command).c_str(),
                 kUsage);
    return kExitUsage;
}
